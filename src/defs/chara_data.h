// Character definitions: the palette entry of a character, its look, attributes, collision and
// activity options and its behaviour as a list of flows. A character object of the running stage
// keeps its own copy and reads its live attributes from it.
#pragma once

#include <cstdint>
#include <cstdio>

#include "defs/flow.h"
#include "defs/palette_entry.h"

class cCharaData : public cPaletteEntry {
 public:
  // The number of inheritance groups.
  static constexpr int GROUP_COUNT = 37;
  // The group that copies the flow list.
  static constexpr int FLOW_GROUP = 36;

  // Raw head value stored after m_wHeadB; carried unchanged.
  uint32_t m_dwHeadExtra = 0;

  // Facing at placement: 0 left, 1 right.
  uint8_t m_byDirection = 0;
  // Kept only for computer-controlled characters.
  uint8_t m_byCpuReserved = 0;
  // Group placement: offset of the first member and the step between members, per axis, and
  // whether the offset is negated for placements facing 1.
  int16_t m_sGroupX0 = 0;
  int16_t m_sGroupXStep = 0;
  int16_t m_sGroupY0 = 0;
  int16_t m_sGroupYStep = 0;
  uint8_t m_bGroupMirrorX = 0;
  uint8_t m_bGroupMirrorY = 0;
  // Graphic cell index, source (0 block chips, 1 character sheets, 2 items, 3 shots, 4 a
  // dedicated bitmap of the Bmp_CharaExc list) and second graphic value.
  uint16_t m_wGraphic = 0;
  uint8_t m_byGraphicKind = 1;
  uint16_t m_wGraphicSub = 0;
  // Basic animation set (an AnimeSet index).
  uint16_t m_wAnimeSet = 0;
  // Drawing layer 0..7.
  uint8_t m_byZ = 3;
  uint8_t m_bTransparent = 0;
  // Character effect (a CharaEffect index; 0 none) started at set-up, its mode and value.
  uint16_t m_wAppearEffect = 0;
  uint8_t m_byAppearEffectMode = 0;
  uint8_t m_byAppearEffectValue = 1;
  // Character effect started at death and its mode.
  uint16_t m_wDeathEffect = 0;
  uint8_t m_byDeathEffectMode = 0;
  uint8_t m_bShowMark = 0;
  uint16_t m_wMark = 0;
  // Object kind: 0 player, 1 computer.
  uint8_t m_byControl = 1;
  // Input record of a player-controlled character: 0 player 1, the only one.
  uint8_t m_byPlayerNo = 0;
  // Collision layer 0..7, the character's side.
  uint8_t m_byLayer = 1;
  // "キャラID" 0..99.
  uint8_t m_byCharaId = 0;
  // 0 off, 1 through blocks, 2 hitting blocks, 3 dying on blocks.
  uint8_t m_byFlying = 0;
  uint8_t m_bFixedFacing = 1;
  // 0 off, 1 hit by shots, 2 shots pass; and how invincibility is shown.
  uint8_t m_byInvincible = 0;
  uint8_t m_byInvincibleOption = 0;
  uint8_t m_bBlockChara = 0;
  // "巨大化" 1..10 (the area factor is the value squared).
  uint8_t m_byZoom = 1;
  // Synchronised with the auto-scroll.
  uint8_t m_bScrollSync = 0;
  // Sight shape 0..4 and range in half blocks.
  uint8_t m_bySightShape = 0;
  uint8_t m_bySight = 0;
  int32_t m_nMaxHp = 10;
  int32_t m_nMaxSp = 0;
  // "止まりやすさ".
  int16_t m_sStop = 10;
  // Which box size becomes contact box A: 0 character against character, 1 character against
  // shot, 2 shot against character, 3 32×32.
  uint8_t m_byContactBox = 0;
  // Contact power and impact.
  int32_t m_nPower = 0;
  int8_t m_cImpact = 0;
  // Effect shown when hit (an Effect index).
  uint16_t m_wHitEffect = 0;
  int32_t m_nDefence = 0;
  uint8_t m_byImpactResist = 0;
  // Score for defeating the character.
  int32_t m_nScore = 0;
  // Read when the hero's box display list is built.
  uint8_t m_byBoxOption = 1;
  // Activation group: membership and number.
  uint8_t m_bActGroup = 0;
  uint16_t m_wActGroup = 0;
  // Activity range 0..3 and activation rule 0..2.
  uint8_t m_byActRange = 0;
  uint8_t m_byActRule = 0;
  // The character's behaviour.
  cSafeVector<cFlow> m_vFlow;

  cCharaData();

  // The registered fields and name to zero and empty, then the defaults; the flag list becomes
  // 37 zero flags. The conditions, the flows and the raw head values are kept.
  void Clear();

  void RegisterFields(int version) override;
  // The head, the flows, the removal of test-only flows (unless kept), the upgrades of older
  // files, inheritance, Validate, and the clamp of the player number, the collision layer and
  // the zoom (logged).
  void Load(FILE* fp) override;
  void Save(FILE* fp) override;

  // Inherits the flagged groups from the character palettes. A flow list that inheritance
  // leaves empty gets one default flow.
  void ApplyPalette();
  // Repairs the inheritance reference and the database indexes, clears the computer-only
  // options of a player character, validates the conditions and the flows, and erases the flows
  // that do nothing (cFlow::IsEmpty).
  void Validate();
  // The palette references of every flow.
  void ValidatePalette();

  // Offset of member i of a group placement: i × step + first offset, negated for facing 1 when
  // the axis's mirror switch is set.
  int GetGroupOffsetX(int i, int facing) const;
  int GetGroupOffsetY(int i, int facing) const;

 protected:
  void LoadHeadExtra(FILE* fp) override;
  void SaveHeadExtra(FILE* fp) override;

 private:
  void SetDefaults();
  void Upgrade(int version);
};
