#include "defs/item_data.h"

#include "defs/stored_index.h"

namespace {

using Fn = CopyGroupFn<cItemData>;

const Fn kCopyTable[cItemData::GROUP_COUNT] = {
    [](cItemData& d, const cItemData& s) { d.CopyName(s); },
    [](cItemData& d, const cItemData& s) { d.CopyConds(s); },
    [](cItemData& d, const cItemData& s) { d.m_wAttrA = s.m_wAttrA; },
    [](cItemData& d, const cItemData& s) { d.m_wAttrB = s.m_wAttrB; },
    &CopyGraphicGroup<cItemData>,
    [](cItemData& d, const cItemData& s) { d.m_byZ = s.m_byZ; },
    [](cItemData& d, const cItemData& s) { d.m_bTransparent = s.m_bTransparent; },
    [](cItemData& d, const cItemData& s) {
      d.m_byShowMark = s.m_byShowMark;
      d.m_wMark = s.m_wMark;
    },
    [](cItemData& d, const cItemData& s) { d.m_byZoom = s.m_byZoom; },
    [](cItemData& d, const cItemData& s) { d.m_byTakeRule = s.m_byTakeRule; },
    [](cItemData& d, const cItemData& s) { d.m_bTakePopup = s.m_bTakePopup; },
    [](cItemData& d, const cItemData& s) { d.m_wSound = s.m_wSound; },
    [](cItemData& d, const cItemData& s) { AssignCmdList(d.m_vCmd, s.m_vCmd); },
};

}  // namespace

cItemData::cItemData() {
  Register(DATA_VERSION);
  Clear();
}

void cItemData::SetDefaults() {
  m_byGraphicKind = 2;
  m_wGraphic = 0;
  m_bTakePopup = 1;
  m_byZoom = 1;
  m_byZ = 6;
}

void cItemData::Clear() {
  cSaveRecord::Clear();
  ResetInheritFlags(GROUP_COUNT);
  SetDefaults();
}

void cItemData::RegisterFields(int) {
  AddHeadFields();
  AddField(&m_byCondRule);
  AddField(&m_bCondOnce);
  AddField(&m_wAttrA);
  AddField(&m_wAttrB);
  AddField(&m_wGraphic);
  AddField(&m_byGraphicKind);
  AddField(&m_wGraphicSub);
  AddField(&m_byZ);
  AddField(&m_bTransparent);
  AddField(&m_byShowMark);
  AddField(&m_wMark);
  // The pop-up switch is stored before the take rule.
  AddField(&m_bTakePopup);
  AddField(&m_byTakeRule);
  AddField(&m_byZoom);
  AddField(&m_wSound);
}

void cItemData::Load(FILE* fp) {
  LoadHead(fp);
  LoadCmdList(m_vCmd, fp);
  FixShotGraphic(m_byGraphicKind, m_wGraphic);
  ApplyPalette();
  Validate();
  ClampStoredRange(m_byZoom, MIN_ZOOM, MAX_ZOOM, "cItemData", "m_byZoom");
  ClampStoredRange(m_wMark, 0, MAX_MARK, "cItemData", "m_wMark");
}

void cItemData::Save(FILE* fp) {
  Validate();
  SaveHead(fp);
  SaveCmdList(m_vCmd, fp);
}

void cItemData::ApplyPalette() { ApplyInheritance(*this, g_DefContext.item, kCopyTable); }

void cItemData::Validate() {
  ValidatePaletteRef(g_DefContext.item);
  if (m_byZoom <= 0) m_byZoom = 1;
  if (!DbListHolds(DBLIST_SOUND, static_cast<uint16_t>(m_wSound))) m_wSound = 0;
  for (cFlowCmd& c : m_vCmd) c.Validate();
}

void cItemData::ValidatePalette() {
  for (cFlowCmd& c : m_vCmd) c.ValidatePalette();
}

const cItemData* GetPaletteItem(int kind, int16_t index) {
  const cPaletteList* list = g_DefContext.item.Of(kind);
  return list ? list->Entry<cItemData>(index) : nullptr;
}
