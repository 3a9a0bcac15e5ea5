// One stage of the game: its settings, removal rules, stage palette, placed objects,
// background layers and texts, stored as one stage file in "data\stg4".
//
// Stage file (after the int32 data version; counts are uint32, values little-endian):
//   the record body of the 98 settings and the text; the ranking switches (count, int32s);
//   the five removal rules (record bodies); the block, character and item palettes (count,
//   entries); the placed blocks, characters and items (count, then per entry an int32 0 and
//   the entry); the background layers and the text list (count, record bodies); from data
//   version 173 on the trailer int32 123456789.
//
// A placed object is a whole definition record; its cell column and row are the entry's two
// raw head values. A placed character's third raw head value is the index of the placed item
// it carries (-1 none).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/save_record.h"
#include "defs/block_data.h"
#include "defs/chara_data.h"
#include "defs/item_data.h"
#include "project/stage_records.h"

// The stage trailer, the last four bytes of a stage file.
constexpr int32_t STAGE_TRAILER = 123456789;
// The speed levels offered: 1..10 run 1..10 sub-steps per frame with a speed limit of 6 dots
// per frame and sub-step, 11..19 run 1..9 sub-steps with the limit fixed at 60.
constexpr int MIN_SPEED_LEVEL = 1;
constexpr int MAX_SPEED_LEVEL = 19;
// Levels of 20 and above run that many sub-steps with a limit of 6 per sub-step; a stored
// level is held at 100 against hostile files.
constexpr int MAX_STORED_SPEED_LEVEL = 100;
// Bounds of the map size in cells: each side, and the cells of the play grid (the map with its
// margin of 10 cells on every side, rows as wide as the power of two that holds one).
constexpr int MAX_STAGE_SIDE = 10000;
constexpr int MAX_STAGE_GRID_CELLS = 1 << 22;

class cStage : public cSaveRecord {
 public:
  // Settings, in file order.
  int32_t m_nWidth = 0;
  int32_t m_nExtra1 = 0;
  int32_t m_nExtra2 = 0;
  int32_t m_nHeight = 0;
  // Scroll limits: the switches, then the cells the view may show at most.
  int32_t m_bLimitLeft = 0;
  int32_t m_bLimitRight = 0;
  int32_t m_bLimitTop = 0;
  int32_t m_bLimitBottom = 0;
  int32_t m_nLimitLeft = 0;
  int32_t m_nLimitRight = 0;
  int32_t m_nLimitTop = 0;
  int32_t m_nLimitBottom = 0;
  int32_t m_nFps = 60;
  int32_t m_bTimeLimit = 0;
  // Seconds; the warning sound plays at every second while 1..m_nTimeWarning remain.
  int32_t m_nTimeLimit = 200;
  int32_t m_nTimeWarning = 20;
  // 0 follow the hero, 1 automatic; automatic speeds in 0.1 dot per frame.
  int32_t m_nScrollModeX = 0;
  int32_t m_nScrollModeY = 0;
  int32_t m_nAutoSpeedX = 0;
  int32_t m_nAutoSpeedY = 0;
  // Dots per frame squared.
  double m_dGravity = 0.4;
  int32_t m_nSpeedLevel = 10;
  // Hit passes per frame: 0 every sub-step, 1..5 that many.
  int32_t m_nHitChecks = 0;
  // Index into the database's music list; 0 none.
  int32_t m_nBgm = 0;
  int32_t m_bBgmLoop = 0;
  int32_t m_bKeepBgm = 0;
  int32_t m_bDrawByPriority = 1;
  int32_t m_bCarryOver = 0;
  int32_t m_bStoreCarryOver = 0;
  int32_t m_bShowHud = 1;
  int32_t m_bAutoContinue = 0;
  int32_t m_bShowStageBanner = 0;
  int32_t m_bShowStartBanner = 1;
  int32_t m_bShowClearBanner = 1;
  int32_t m_bShowWaitBanner = 1;
  // Hero boxes (dots): body, contact box, shot-hit box, pick-up box; alignments 0 centred,
  // 1 bottom.
  int32_t m_nHeroW = 16;
  int32_t m_nHeroH = 24;
  int32_t m_nHeroFlyW = 16;
  int32_t m_nHeroFlyH = 16;
  int32_t m_nHeroContactW = 16;
  int32_t m_nHeroContactH = 24;
  int32_t m_nHeroFlyContactW = 16;
  int32_t m_nHeroFlyContactH = 16;
  int32_t m_nHeroShotHitW = 12;
  int32_t m_nHeroShotHitH = 8;
  int32_t m_nHeroItemW = 16;
  int32_t m_nHeroItemH = 16;
  int32_t m_bHeroBottom = 1;
  int32_t m_bHeroFlyBottom = 0;
  int32_t m_bHeroContactBottom = 1;
  int32_t m_bHeroFlyContactBottom = 0;
  // Box display modes (0 hidden, 1 shown, 2 frame only) and colours (0..7).
  int32_t m_nShowBody = 0;
  int32_t m_nShowContact = 0;
  int32_t m_nShowShotHit = 0;
  int32_t m_nShowItem = 0;
  int32_t m_nBodyColor = 0;
  int32_t m_nContactColor = 0;
  int32_t m_nShotHitColor = 0;
  int32_t m_nItemColor = 0;
  // Stage character boxes.
  int32_t m_nCharaW = 16;
  int32_t m_nCharaH = 24;
  int32_t m_nCharaFlyW = 16;
  int32_t m_nCharaFlyH = 16;
  int32_t m_nCharaContactW = 12;
  int32_t m_nCharaContactH = 24;
  int32_t m_nCharaFlyContactW = 12;
  int32_t m_nCharaFlyContactH = 16;
  int32_t m_nCharaShotHitW = 30;
  int32_t m_nCharaShotHitH = 30;
  int32_t m_bCharaBottom = 1;
  int32_t m_bCharaFlyBottom = 0;
  int32_t m_bCharaContactBottom = 1;
  int32_t m_bCharaFlyContactBottom = 0;
  // Item, shot and sword boxes.
  int32_t m_nItemW = 28;
  int32_t m_nItemH = 28;
  int32_t m_nHeroShotW = 16;
  int32_t m_nHeroShotH = 16;
  int32_t m_nHeroSwordW = 16;
  int32_t m_nHeroSwordH = 16;
  int32_t m_nCharaShotW = 16;
  int32_t m_nCharaShotH = 16;
  int32_t m_nCharaSwordW = 16;
  int32_t m_nCharaSwordH = 16;
  int32_t m_bExtra3 = 1;
  // Added to 640 for the outer edge of each scroll axis.
  int32_t m_nScrollExtraX = 0;
  int32_t m_nScrollExtraY = 0;
  // Derived from the speed level by SetSpeedLevel (stored, never read back): the sub-steps per
  // frame k, k as a double, k squared, the speed limit per frame, gravity and speed limit per
  // sub-step, and the sub-steps without ground before a character counts as airborne.
  int32_t m_nSubSteps = 10;
  double m_dSubSteps = 10;
  double m_dSubSteps2 = 100;
  double m_dSpeedLimit = 60;
  double m_dGravityStep = 0.004;
  double m_dSpeedLimitStep = 6;
  int32_t m_nAirborneSteps = 80;
  int32_t m_bHitOnScreenOnly = 1;
  // Frames (times k) for which a contact partner, or every contact, is ignored after a contact.
  int32_t m_nHeroPartnerPause = 30;
  int32_t m_nHeroContactPause = 0;
  int32_t m_nCharaPartnerPause = 30;
  int32_t m_nCharaContactPause = 0;
  // Not shown by the player.
  std::string m_strText;

  // Ranking kinds 0..4 this stage takes part in (not 0 = takes part).
  cSafeVector<int32_t> m_vRanking;
  // Removal rules: stage characters, block characters, items, shots of the hero side, shots of
  // the character side.
  cRemovalRule m_RuleChara;
  cRemovalRule m_RuleBlockChara;
  cRemovalRule m_RuleItem;
  cRemovalRule m_RuleHeroShot;
  cRemovalRule m_RuleCharaShot;
  // The stage palette (palette kind 2).
  cSafeVector<cBlockData> m_vBlock;
  cSafeVector<cCharaData> m_vChara;
  cSafeVector<cItemData> m_vItem;
  // The placed objects, in file order.
  cSafeVector<cBlockData> m_vPlacedBlock;
  cSafeVector<cCharaData> m_vPlacedChara;
  cSafeVector<cItemData> m_vPlacedItem;
  cSafeVector<cBgData> m_vBg;
  // From data version 754 on 1000 entries; kept and copied, never read.
  cSafeVector<cStrData> m_vStr;

  // Not in the file: the resolved path of the stage file (or of the replay being played), the
  // loader's find-newest argument, the loader's success flag, and 6 × k.
  std::string m_strPath;
  int32_t m_bFindNewest = 0;
  int32_t m_bLoaded = 0;
  int32_t m_nSubSteps6 = 60;
  // The trailer the last Load found (files older than data version 173 have none and count as
  // whole: STAGE_TRAILER).
  int32_t m_nTrailerRead = STAGE_TRAILER;

  cStage();
  cStage(const cStage&) = default;
  cStage(cStage&&) = default;
  cStage& operator=(const cStage&) = default;
  cStage& operator=(cStage&&) = default;

  // The defaults: one default entry in each palette list, no placed objects, one layer filled
  // with its colour, every ranking kind on, the default removal rules and boxes, no texts.
  // The loader's members are kept.
  void Clear();
  // The boxes of the hero, the stage characters, items, shots and swords to their defaults;
  // the display modes and colours to 0.
  void ResetBoxSettings();

  void RegisterFields(int version) override;
  // Reads a stage file body into a cleared record: the settings of the file's version, the
  // lists, the trailer from version 173 on, the fix-ups of older versions, then Normalize.
  // While it reads, this record's palette is the stage palette that entries inherit from.
  void Load(FILE* fp) override;
  // Normalize, then the body in the current version, with the trailer.
  void Save(FILE* fp) override;
  // Writes a stage file body whose settings, texts, ranking switches, removal rules, layers and
  // text list come from header and whose palettes and placed objects come from this record
  // (normalised first). A replay stores the stage it plays this way.
  void SaveForReplay(FILE* fp, cStage& header);

  // Bounds the settings that size, divide or index (map size, scroll limits, frame rate, speed
  // level and its derived values, hit passes, box colours, music, ranking switches), fills
  // every palette list up to two entries, bounds the carried-item indexes and repairs every
  // entry's references against this stage's palette and the common palette.
  void Normalize();
  // Sets the speed level and the values derived from it: k = level − 10 for 11..19, else the
  // level; speed limit 60 for 11..19, else 6k; per sub-step gravity / k², limit / k. A level
  // below 1 runs no sub-steps: k and the per-sub-step values are 0.
  void SetSpeedLevel(int level);

  // The index of the first placed character that is player-controlled and has a graphic; -1.
  int FindPlayer() const;
  bool HasPlayer() const { return FindPlayer() >= 0; }

  // The header copy: the settings and the text, the layers, the text list, the removal rules
  // and the ranking switches of src. The six object lists stay.
  void CopyHeaderFrom(const cStage& src);
  // Empties the three palette lists and the three placed lists.
  void ClearObjectLists();

  // Shows this stage's palette to the definitions as the stage palette (palette kind 2).
  void SetDefContext() const;

 private:
  void SaveHeader(FILE* fp);
  void SaveObjects(FILE* fp);
  void SaveTail(FILE* fp);
  void FixOldVersion(int version);
};

// Labels of the stage's stored choices (value n is the n-th text, an empty text ends the list;
// see LabelCount): the speed levels 1..19 (stored value = position + 1), the scroll modes, the
// hit passes, the box display modes, the box colours, the alignments of the hero's and the
// characters' boxes; and the choices of the editor's size change (the side of a width change,
// of a height change) and the two axes.
extern const char* const g_aszSpeedLevel[];
extern const char* const g_aszScrollMode[];
extern const char* const g_aszHitChecks[];
extern const char* const g_aszBoxShow[];
extern const char* const g_aszBoxColor[];
extern const char* const g_aszHeroBoxAlign[];
extern const char* const g_aszCharaBoxAlign[];
extern const char* const g_aszWidthChangeSide[];
extern const char* const g_aszHeightChangeSide[];
extern const char* const g_aszAxis[];

// The working stage, which the loader fills and the play engine reads, and the stage as
// loaded, without its object lists, from which every start and restart restores the settings.
extern cStage g_StageData;
extern cStage g_StageInit;
