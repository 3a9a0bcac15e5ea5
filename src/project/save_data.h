// The game progress: lives, scores and totals, the current stage and the map position, the
// common variables, the stage flags, the best results of cleared and challenge stages, the
// hero's state carried from stage to stage, the player's name and the time of saving. One
// record of it is a save slot ("user_data\story\Story01.dat" .. "Story99.dat") or the challenge
// file ("user_data\challenge\Challenge.dat"); the live progress is g_SaveData.
//
// File (after the int32 data version): the record body (35 int32 fields in a data version of
// 790, 3 texts), the save time (16 bytes), then the lists, each a uint32 count and the
// elements: the carry-stored switches (int32, only above data version 500), the carry-overs,
// the clear entries, the challenge entries, the stage flags (int32), the common variables
// (int32).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/save_record.h"
#include "defs/chara_data.h"
#include "platform/wintypes.h"
#include "project/system_data.h"

class cStage;
class cWorldStage;

constexpr int SAVE_SLOT_COUNT = 99;
constexpr int STAGE_FLAG_COUNT = 1000;
// The common variables of a new game, and the fewest any progress holds (files older than data
// version 754 have 1000).
constexpr int COMMON_VAR_COUNT = 1001;
constexpr int MIN_COMMON_VAR_COUNT = 1000;
// Lives that never run out.
constexpr int UNLIMITED_LIVES = 999999;
// The most challenge stages a progress keeps entries for.
constexpr int MAX_CHALLENGE_STAGES = 10000;

// The hero's state carried from one stage to the next: a copy of the definition fields of the
// carry groups, and five values.
class cCarryOver : public cSaveRecord {
 public:
  cCharaData m_Chara;
  int32_t m_nHp = 0;
  int32_t m_nSp = 0;
  int32_t m_nTimeLimit = 0;
  int32_t m_nLives = 0;
  int32_t m_nBgm = 0;

  cCarryOver() {
    Register(DATA_VERSION);
    Clear();
  }

  void RegisterFields(int version) override;
  // The record body of the five values, then the definition's own form.
  void Load(FILE* fp) override;
  void Save(FILE* fp) override;
};

// The best result of a cleared stage, under its key.
class cClearEntry : public cSaveRecord {
 public:
  std::string m_strStage;
  // Stored from data version 759; older files use the stage name.
  std::string m_strKey;
  int32_t m_bCond = 0;
  int32_t m_nCondVar = 0;
  int32_t m_nCondValue = 0;
  int32_t m_nValue = 0;

  cClearEntry() {
    Register(DATA_VERSION);
    Clear();
  }

  void RegisterFields(int version) override;
  void Load(FILE* fp) override;
};

// One challenge stage: cleared, and the best total score.
class cIntPair : public cSaveRecord {
 public:
  int32_t m_bCleared = 0;
  int32_t m_nBest = 0;

  cIntPair() {
    Register(DATA_VERSION);
    Clear();
  }

  void RegisterFields(int version) override;
};

class cSaveData;

// One entry of the save-slot list: whether the slot file exists and when it was saved.
class SaveSlotInfo : public cSaveRecord {
 public:
  int32_t m_bUsed = 0;
  SYSTEMTIME m_SaveTime = {};

  SaveSlotInfo() {
    Register(DATA_VERSION);
    Clear();
  }

  void RegisterFields(int version) override;
  // Used, with the progress's save time.
  void Set(const cSaveData& progress);
  // "yyyy/mm/dd hh:mm\n" of the save time; empty for a slot not used.
  std::string FormatSaveTime() const;
};

class cSaveData : public cSaveRecord {
 public:
  // Registered fields, in file order.
  int32_t m_nExtra = 0;
  // The hero's cell on the world map.
  int32_t m_nMapX = 0;
  int32_t m_nMapY = 0;
  // The place of the world map's entry reference in the file: always written as 0, its value
  // is never used (the reference is m_lpStageEntry).
  int32_t m_nStageEntrySlot = 0;
  // Play-through counter.
  int32_t m_nLap = 0;
  // The current stage was entered under a common-variable condition (from data version 758).
  int32_t m_bStageCond = 0;
  int32_t m_nCondVar = 0;
  int32_t m_nCondValue = 0;
  // Story mode: index into m_vStageFlags; challenge mode: the 1-based challenge stage.
  int32_t m_nStageIndex = 0;
  // Number of the stage within its series.
  int32_t m_nStageNumber = 0;
  int32_t m_nStartLives = 0;
  int32_t m_nLives = 0;
  int32_t m_nStageScore = 0;
  int32_t m_nTotalScore = 0;
  // Sum of the best results.
  int32_t m_nClearTotal = 0;
  int32_t m_nTotalTime = 0;
  int32_t m_nTotalPlayTime = 0;
  // From data version 182.
  int32_t m_nTotalHp = 0;
  int32_t m_nTotalSp = 0;
  // The current stage file belongs to a numbered series.
  int32_t m_bSeries = 0;
  int32_t m_nBgmPlaying = 0;
  // From data version 166.
  int32_t m_bBgmPlayingLoop = 0;
  // From data version 194.
  int32_t m_nMapState = 0;
  // From data version 190.
  int32_t m_bLeftStage = 0;
  // From data version 191.
  int32_t m_nPrevMapX = 0;
  int32_t m_nPrevMapY = 0;
  int32_t m_nChallengeOpen = 0;
  // Save slot of this game, −1 none.
  int32_t m_nSlot = 0;
  // From data version 169.
  int32_t m_bAutoSave = 0;
  int32_t m_bShowRanking = 0;
  // Ranking kind 0..4 the ranking displays show.
  int32_t m_nRankingKind = 0;
  // Restart point set by the stage-clear command (from 678; the facing from 679).
  int32_t m_bRestart = 0;
  int32_t m_nRestartX = 0;
  int32_t m_nRestartY = 0;
  int32_t m_nRestartDir = 0;
  // Registered texts: the current stage name as SetCurrentStage made it, the stage key (from
  // data version 724), the ranking name.
  std::string m_strStage;
  std::string m_strStageKey;
  std::string m_strPlayerName;

  // Written after the record body.
  SYSTEMTIME m_SaveTime = {};
  cSafeVector<int32_t> m_vCarryStored;
  cSafeVector<cCarryOver> m_vCarryOver;
  cSafeVector<cClearEntry> m_vClear;
  cSafeVector<cIntPair> m_vChallenge;
  cSafeVector<int32_t> m_vStageFlags;
  cSafeVector<int32_t> m_vCommonVar;

  // Never stored: a carry-over is stored; the world map's entry of the stage being played (set
  // by the world-map screen; g_WorldMap is constant while it is used); the values at the start
  // of the stage.
  int32_t m_bCarry = 0;
  const cWorldStage* m_lpStageEntry = nullptr;
  cSafeVector<int32_t> m_vVarAtStart;
  int32_t m_nLivesAtStart = 0;
  int32_t m_nScoreAtStart = 0;

  // Registered and cleared, every list empty.
  cSaveData();

  void RegisterFields(int version) override;
  // The record and the lists, the fix-ups of older files, then Validate.
  void Load(FILE* fp) override;
  // Validate, then the record (the entry reference as 0) and the lists.
  void Save(FILE* fp) override;

  // Map positions off the world map (negative ones too) become its start position; the lists
  // get their lengths (25 carry switches, at least one carry-over, 1000 stage flags, 1000
  // common variables, one challenge entry per challenge stage); the open challenge stages at
  // most their number; a stage index or ranking kind out of range becomes 0.
  void Validate();

  // A new game's progress: cleared, the 25 carry switches 0, one carry-over, 1000 stage flags
  // with flag 0 set, 1001 common variables 0, no clears or challenge entries, one open
  // challenge stage, no slot, the name "aaa"; nothing of the game before remains.
  void ResetGameData();
  // The carry-over list becomes n default entries.
  void ResetCarryOverList(int n);
  // ResetGameData, the world map's start position, and the lives of the story mode.
  void BeginNewGame();

  // Stamps the save time and writes the slot file of slot 0..98; on success the slot list
  // shows the slot used. A write that fails is reported and the slot list is left as it was
  // (the previous slot file stays); a slot outside the list takes the checked access's error
  // path without a file. 1 or 0.
  int SaveSlot(int slot);
  // Reads a slot file into a new game's progress and, when the whole file was read, makes it
  // this progress and applies the lives rule of the story mode. 0 (this progress unchanged)
  // when the file is missing, too new or damaged.
  int LoadSlot(int slot);
  // The same with "user_data\challenge\Challenge.dat" and the challenge mode.
  int LoadChallenge();
  // Unlimited lives in the game mode: 999999 lives; otherwise unlimited lives left from before
  // become the mode's start lives.
  void ApplyLivesRule(int mode);

  // The current stage: the name cut after its "-1" series mark (as "name.") or after its last
  // dot, the condition, and the stage key (the name with the condition suffix).
  void SetCurrentStage(const char* name, int bCond, int nCondVar, int nCondValue);

  // The best result under a key: a new key adds an entry and its value to the clear total; a
  // better value raises the entry and the total by the difference.
  void AddClear(const std::string& stage, const std::string& key, int bCond, int nCondVar, int nCondValue,
                int nValue);
  // The best result under a key; 0 when none.
  int FindClear(const std::string& key) const;
  // The clear total from the entries whose stage still has a node on the world map.
  void RecountClears();

  // Keeps the common variables, lives and total score of the stage start.
  void MarkStageStart();
  // Back to the stage start: with bForce the variables, the total score and the lives; without,
  // the total score, and the variables when the restore switch of the current play is on.
  // Returns the total score of the stage start.
  int RestoreStageStart(int bForce);

  // Carry-over of the hero of player `player` (the groups the system settings switch on).
  // StoreCarryOver copies the groups from the hero's definition and values; ApplyCarryOver
  // copies the stored groups back into the hero's placed definition and the stage.
  void StoreCarryOver(int player, const cCharaData& hero, int nHp, int nSp, int nEffect, int nEffectMode,
                      int nEffectValue, int nTimeLimit, int nLives, int nBgm);
  void ApplyCarryOver(int player, cCharaData& hero, cStage& stage);
  // The carried hit and skill points, when their groups are switched on and stored; the
  // outputs stay otherwise.
  void GetCarriedValues(int player, int* lpHp, int* lpSp) const;
  // Forgets the stored groups whose restart-reset switch is on.
  void DropCarryOverGroups();

  // The next play-through: the lap counted, every stage flag cleared, the map's start position.
  void StartNextRound();
  // Steps the ranking kind shown over the kinds the game mode records: n forward (n > 0), n
  // backward (n < 0), or onto the next recorded kind unless it rests on one (n = 0).
  void StepRankingKind(int mode, int n);
  // The five totals 0 (the clear total stays).
  void ClearTotals();

 private:
  void FixOldVersion(int version);
  // The file into a new game's progress, and on success into this one.
  int LoadProgressFile(const char* path);
};

// Appends the condition suffix "_c<variable, three digits>_<value>" before a trailing dot
// (nothing when bCond is 0).
void MakeStageFileName(std::string& text, int bCond, int nCondVar, int nCondValue);
// The file of slot 0..98: "user_data\story\Story" and the number slot + 1 (two digits at least).
void MakeSaveFileName(char* buffer, int slot);
// Fills the slot list from the slot files: a slot is used when its file reads whole.
void LoadSaveSlotList(cSafeVector<SaveSlotInfo>& list);

// What the save-slot list draws at (x, y) for rows first .. first + count − 1: the second
// font's box of 320 × 16·count dots; a 320 × 1 separator of palette colour 240 under every row
// but the last (up to the first row beyond the list); per row that exists, its slot number
// ("%d", from 1) at x + 16 and its save time at x + 64.
struct SaveSlotListLayout {
  int x = 0;
  int y = 0;
  int nWidth = 0;
  int nHeight = 0;
  cSafeVector<int> vSeparatorY;
  struct Row {
    int y = 0;
    std::string strNumber;
    std::string strTime;
  };
  cSafeVector<Row> vRow;
};
SaveSlotListLayout MakeSaveSlotList(int x, int y, const cSafeVector<SaveSlotInfo>& list, int first, int count);

// The live progress and its snapshots at the start of the current and of the previous attempt,
// and the save-slot list (defined with the other global data objects).
extern cSaveData g_SaveData;
extern cSaveData g_ReplaySaveData;
extern cSaveData g_PrevReplaySaveData;
extern cSafeVector<SaveSlotInfo> g_vSaveSlotInfo;
