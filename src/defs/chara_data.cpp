#include "defs/chara_data.h"

#include <algorithm>

#include "defs/stored_index.h"

namespace {

using C = cCharaData;
using Fn = CopyGroupFn<C>;

const Fn kCopyTable[C::GROUP_COUNT] = {
    [](C& d, const C& s) { d.CopyName(s); },
    [](C& d, const C& s) {
      d.m_byControl = s.m_byControl;
      d.m_byPlayerNo = s.m_byPlayerNo;
    },
    [](C& d, const C& s) { d.m_byLayer = s.m_byLayer; },
    [](C& d, const C& s) { d.m_byCharaId = s.m_byCharaId; },
    [](C& d, const C& s) { d.CopyConds(s); },
    [](C& d, const C& s) { d.m_byDirection = s.m_byDirection; },
    [](C& d, const C& s) { d.m_byCpuReserved = s.m_byCpuReserved; },
    [](C& d, const C& s) {
      d.m_sGroupX0 = s.m_sGroupX0;
      d.m_sGroupXStep = s.m_sGroupXStep;
      d.m_bGroupMirrorX = s.m_bGroupMirrorX;
    },
    [](C& d, const C& s) {
      d.m_sGroupY0 = s.m_sGroupY0;
      d.m_sGroupYStep = s.m_sGroupYStep;
      d.m_bGroupMirrorY = s.m_bGroupMirrorY;
    },
    &CopyGraphicGroup<C>,
    [](C& d, const C& s) { d.m_wAnimeSet = s.m_wAnimeSet; },
    [](C& d, const C& s) { d.m_byZ = s.m_byZ; },
    [](C& d, const C& s) { d.m_bTransparent = s.m_bTransparent; },
    [](C& d, const C& s) {
      d.m_wAppearEffect = s.m_wAppearEffect;
      d.m_byAppearEffectMode = s.m_byAppearEffectMode;
      d.m_byAppearEffectValue = s.m_byAppearEffectValue;
    },
    [](C& d, const C& s) {
      d.m_wDeathEffect = s.m_wDeathEffect;
      d.m_byDeathEffectMode = s.m_byDeathEffectMode;
    },
    [](C& d, const C& s) {
      d.m_bShowMark = s.m_bShowMark;
      d.m_wMark = s.m_wMark;
    },
    [](C& d, const C& s) { d.m_bFixedFacing = s.m_bFixedFacing; },
    [](C& d, const C& s) { d.m_byFlying = s.m_byFlying; },
    [](C& d, const C& s) {
      d.m_byInvincible = s.m_byInvincible;
      d.m_byInvincibleOption = s.m_byInvincibleOption;
    },
    [](C& d, const C& s) { d.m_bBlockChara = s.m_bBlockChara; },
    [](C& d, const C& s) { d.m_byZoom = s.m_byZoom; },
    [](C& d, const C& s) { d.m_bScrollSync = s.m_bScrollSync; },
    [](C& d, const C& s) {
      d.m_bySightShape = s.m_bySightShape;
      d.m_bySight = s.m_bySight;
    },
    [](C& d, const C& s) { d.m_nMaxHp = s.m_nMaxHp; },
    [](C& d, const C& s) { d.m_nMaxSp = s.m_nMaxSp; },
    [](C& d, const C& s) { d.m_byContactBox = s.m_byContactBox; },
    [](C& d, const C& s) { d.m_nPower = s.m_nPower; },
    [](C& d, const C& s) { d.m_cImpact = s.m_cImpact; },
    [](C& d, const C& s) { d.m_wHitEffect = s.m_wHitEffect; },
    [](C& d, const C& s) { d.m_nDefence = s.m_nDefence; },
    [](C& d, const C& s) { d.m_byImpactResist = s.m_byImpactResist; },
    [](C& d, const C& s) { d.m_sStop = s.m_sStop; },
    [](C& d, const C& s) {
      d.m_byActRange = s.m_byActRange;
      d.m_byActRule = s.m_byActRule;
    },
    [](C& d, const C& s) {
      d.m_wActGroup = s.m_wActGroup;
      d.m_bActGroup = s.m_bActGroup;
    },
    [](C& d, const C& s) { d.m_nScore = s.m_nScore; },
    [](C& d, const C& s) { d.m_byBoxOption = s.m_byBoxOption; },
    // A character always gets at least one flow from its source.
    [](C& d, const C& s) {
      AssignFlowList(d.m_vFlow, s.m_vFlow);
      if (d.m_vFlow.empty()) d.m_vFlow.resize(1);
    },
};

// The flag list of a file from before group `at` came in: exactly 37 flags, the flags from `at`
// on move up by one (the last is lost) and the new group's flag is set, so a character that
// inherits from another keeps inheriting the members the group took over.
void InsertInheritFlag(cSafeVector<uint8_t>& flags, int at) {
  flags.resize(C::GROUP_COUNT);
  for (int i = C::GROUP_COUNT - 1; i > at; --i) flags[i] = flags[i - 1];
  flags[at] = 1;
}

int GroupOffset(int i, int step, int offset, bool mirror, int facing) {
  const int v = i * step + offset;
  return facing == 1 && mirror ? -v : v;
}

}  // namespace

cCharaData::cCharaData() {
  Register(DATA_VERSION);
  Clear();
}

void cCharaData::SetDefaults() {
  m_byGraphicKind = 1;
  m_byZ = 3;
  m_byAppearEffectValue = 1;
  m_byControl = 1;
  m_byLayer = 1;
  m_bFixedFacing = 1;
  m_byZoom = 1;
  m_nMaxHp = 10;
  m_sStop = 10;
  m_byBoxOption = 1;
}

void cCharaData::Clear() {
  cSaveRecord::Clear();
  ResetInheritFlags(GROUP_COUNT);
  SetDefaults();
}

void cCharaData::RegisterFields(int version) {
  AddHeadFields();
  AddField(&m_byCondRule);
  AddField(&m_bCondOnce);
  AddField(&m_byDirection);
  AddField(&m_byCpuReserved);
  AddField(&m_sGroupX0);
  AddField(&m_sGroupXStep);
  AddField(&m_sGroupY0);
  AddField(&m_sGroupYStep);
  AddField(&m_bGroupMirrorX);
  AddField(&m_bGroupMirrorY);
  AddField(&m_wGraphic);
  AddField(&m_byGraphicKind);
  AddField(&m_wGraphicSub);
  AddField(&m_wAnimeSet);
  AddField(&m_byZ);
  AddField(&m_bTransparent);
  AddField(&m_wAppearEffect);
  if (version >= 196) AddField(&m_byAppearEffectMode);
  AddField(&m_byAppearEffectValue);
  AddField(&m_wDeathEffect);
  if (version >= 196) AddField(&m_byDeathEffectMode);
  AddField(&m_bShowMark);
  AddField(&m_wMark);
  AddField(&m_byControl);
  AddField(&m_byPlayerNo);
  AddField(&m_byLayer);
  AddField(&m_byCharaId);
  AddField(&m_byFlying);
  AddField(&m_bFixedFacing);
  AddField(&m_byInvincible);
  if (version >= 285) AddField(&m_byInvincibleOption);
  AddField(&m_bBlockChara);
  AddField(&m_byZoom);
  if (version >= 210) AddField(&m_bScrollSync);
  AddField(&m_bySightShape);
  AddField(&m_bySight);
  AddField(&m_nMaxHp);
  AddField(&m_nMaxSp);
  AddField(&m_sStop);
  if (version >= 201) AddField(&m_byContactBox);
  AddField(&m_nPower);
  AddField(&m_cImpact);
  AddField(&m_wHitEffect);
  if (version >= 168) AddField(&m_nDefence);
  AddField(&m_byImpactResist);
  AddField(&m_nScore);
  AddField(&m_byBoxOption);
  AddField(&m_bActGroup);
  AddField(&m_wActGroup);
  AddField(&m_byActRange);
  AddField(&m_byActRule);
}

void cCharaData::LoadHeadExtra(FILE* fp) { ReadRecordValue(fp, m_dwHeadExtra); }

void cCharaData::SaveHeadExtra(FILE* fp) { WriteRecordValue(fp, m_dwHeadExtra); }

void cCharaData::Load(FILE* fp) {
  LoadHead(fp);
  LoadFlowList(m_vFlow, fp);
  if (!KeepMarkedFlows()) RemoveMarkedFlows(m_vFlow);
  if (g_nFileVersion < DATA_VERSION) Upgrade(g_nFileVersion);
  ApplyPalette();
  Validate();
  ClampStoredRange(m_byPlayerNo, 0, MAX_PLAYER_NO, "cCharaData", "m_byPlayerNo");
  ClampStoredRange(m_byLayer, 0, MAX_LAYER, "cCharaData", "m_byLayer");
  ClampStoredRange(m_byZoom, MIN_ZOOM, MAX_ZOOM, "cCharaData", "m_byZoom");
}

void cCharaData::Upgrade(int v) {
  if (v < 168) {
    m_nDefence = 0;
    InsertInheritFlag(m_vInheritFlags, 27);
  }
  if (v < 196) {
    m_byAppearEffectMode = 0;
    m_byDeathEffectMode = 0;
  }
  if (v < 201) {
    m_byContactBox = 0;
    InsertInheritFlag(m_vInheritFlags, 24);
  }
  // A box size was inserted at 2.
  if (v < 206 && m_byContactBox >= 2) ++m_byContactBox;
  if (v < 210) {
    m_bScrollSync = 0;
    InsertInheritFlag(m_vInheritFlags, 21);
  }
  FixShotGraphic(m_byGraphicKind, m_wGraphic);
  if (v < 285) m_byInvincibleOption = 1;
}

void cCharaData::Save(FILE* fp) {
  Validate();
  SaveHead(fp);
  SaveFlowList(m_vFlow, fp);
}

void cCharaData::ApplyPalette() { ApplyInheritance(*this, g_DefContext.chara, kCopyTable); }

void cCharaData::Validate() {
  ValidatePaletteRef(g_DefContext.chara);
  if (m_byGraphicKind == 4 && !DbListHolds(DBLIST_BMP_CHARAEXC, m_wGraphic))
    m_wGraphic = static_cast<uint16_t>(FirstEntryOrNone(g_DefContext.DbListSize(DBLIST_BMP_CHARAEXC)));
  if (m_byZoom == 0) m_byZoom = 1;
  if (!DbListHolds(DBLIST_ANIMESET, m_wAnimeSet)) m_wAnimeSet = 0;
  if (!DbListHolds(DBLIST_CHARAEFFECT, m_wAppearEffect)) m_wAppearEffect = 0;
  if (!DbListHolds(DBLIST_CHARAEFFECT, m_wDeathEffect)) m_wDeathEffect = 0;
  if (!DbListHolds(DBLIST_EFFECT, m_wHitEffect)) m_wHitEffect = 0;
  if (m_byControl == 0) {
    m_bBlockChara = 0;
    m_byCpuReserved = 0;
  }
  for (cFlow& f : m_vFlow) f.Validate();
  m_vFlow.erase(std::remove_if(m_vFlow.begin(), m_vFlow.end(), [](const cFlow& f) { return f.IsEmpty(); }),
                m_vFlow.end());
}

void cCharaData::ValidatePalette() {
  for (cFlow& f : m_vFlow) f.ValidatePalette();
}

int cCharaData::GetGroupOffsetX(int i, int facing) const {
  return GroupOffset(i, m_sGroupXStep, m_sGroupX0, m_bGroupMirrorX != 0, facing);
}

int cCharaData::GetGroupOffsetY(int i, int facing) const {
  return GroupOffset(i, m_sGroupYStep, m_sGroupY0, m_bGroupMirrorY != 0, facing);
}
