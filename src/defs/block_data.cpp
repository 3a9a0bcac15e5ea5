#include "defs/block_data.h"

namespace {

using Fn = CopyGroupFn<cBlockData>;

const Fn kCopyTable[cBlockData::GROUP_COUNT] = {
    [](cBlockData& d, const cBlockData& s) { d.CopyName(s); },
    [](cBlockData& d, const cBlockData& s) { d.CopyConds(s); },
    &CopyGraphicGroup<cBlockData>,
    [](cBlockData& d, const cBlockData& s) { d.m_byZ = s.m_byZ; },
    [](cBlockData& d, const cBlockData& s) { d.m_bTransparent = s.m_bTransparent; },
    [](cBlockData& d, const cBlockData& s) {
      d.m_byShowMark = s.m_byShowMark;
      d.m_wMark = s.m_wMark;
    },
    [](cBlockData& d, const cBlockData& s) { d.m_byHit = s.m_byHit; },
    [](cBlockData& d, const cBlockData& s) { d.m_cExemptLayer = s.m_cExemptLayer; },
    [](cBlockData& d, const cBlockData& s) {
      d.m_byEffect = s.m_byEffect;
      d.m_nEffectX = s.m_nEffectX;
    },
    [](cBlockData& d, const cBlockData& s) {
      d.m_byItemKind = s.m_byItemKind;
      d.m_wItemIndex = s.m_wItemIndex;
    },
    [](cBlockData& d, const cBlockData& s) { d.m_byExtra = s.m_byExtra; },
};

}  // namespace

cBlockData::cBlockData() {
  Register(DATA_VERSION);
  Clear();
}

void cBlockData::SetDefaults() {
  m_byHit = 1;
  m_cExemptLayer = -1;
  m_wGraphic = 0;
}

void cBlockData::Clear() {
  cSaveRecord::Clear();
  ResetInheritFlags(GROUP_COUNT);
  SetDefaults();
}

void cBlockData::RegisterFields(int) {
  AddHeadFields();
  AddField(&m_byCondRule);
  AddField(&m_bCondOnce);
  AddField(&m_wGraphic);
  AddField(&m_byGraphicKind);
  AddField(&m_wGraphicSub);
  AddField(&m_byZ);
  AddField(&m_bTransparent);
  AddField(&m_byShowMark);
  AddField(&m_wMark);
  AddField(&m_byHit);
  AddField(&m_cExemptLayer);
  AddField(&m_byEffect);
  AddField(&m_nEffectX);
  AddField(&m_byItemKind);
  AddField(&m_wItemIndex);
  AddField(&m_byExtra);
}

void cBlockData::Load(FILE* fp) {
  LoadHead(fp);
  FixShotGraphic(m_byGraphicKind, m_wGraphic);
  ApplyPalette();
  Validate();
}

void cBlockData::Save(FILE* fp) {
  Validate();
  SaveHead(fp);
}

void cBlockData::ApplyPalette() { ApplyInheritance(*this, g_DefContext.block, kCopyTable); }

void cBlockData::Validate() {
  ValidatePaletteRef(g_DefContext.block);
  if (m_wGraphic == 0) {
    m_byHit = 0;
    m_byExtra = 0;
  }
}

void cBlockData::ValidateItemRef() {
  const cPaletteList* items = g_DefContext.item.Of(m_byItemKind);
  if (items && !items->Holds(m_wItemIndex)) {
    m_byItemKind = 0;
    m_wItemIndex = 0;
  }
}

int MapChip::GetHitType(int layer) {
  if (!m_vCond.empty() && g_DefContext.lpfnCheckBlockConds && !g_DefContext.lpfnCheckBlockConds(*this)) return 0;
  if (m_cExemptLayer == layer) return 0;
  return m_byHit;
}
