#include "project/palette_list.h"

namespace {

// The list of palette kind 1 or 2 of one entry class (any other kind names the stage palette's).
cPaletteList& ListOf(cPaletteLists& lists, int kind) { return kind == 1 ? lists.common : lists.stage; }

// Zeroes the registered fields and the name, and sets the whole flag list to n zero flags.
void ClearEntry(cPaletteEntry& entry, size_t n) {
  entry.cSaveRecord::Clear();
  entry.m_vInheritFlags.assign(n, 0);
}

}  // namespace

void SetFixedDefault(cBlockData& entry) {
  ClearEntry(entry, cBlockData::GROUP_COUNT);
  entry.m_wGraphic = 0;
  entry.m_byHit = 1;
  entry.m_cExemptLayer = -1;
}

void SetFixedDefault(cCharaData& entry) {
  ClearEntry(entry, cCharaData::GROUP_COUNT);
  entry.m_dwHeadExtra = 0;
  entry.m_wGraphic = 0;
  entry.m_byGraphicKind = 1;
  entry.m_byZ = 3;
  entry.m_byAppearEffectValue = 1;
  entry.m_byControl = 1;
  entry.m_byLayer = 1;
  entry.m_bFixedFacing = 1;
  entry.m_byZoom = 1;
  entry.m_nMaxHp = 10;
  entry.m_sStop = 10;
  entry.m_nDefence = 0;
  entry.m_byBoxOption = 1;
}

void SetFixedDefault(cItemData& entry) {
  ClearEntry(entry, cItemData::GROUP_COUNT);
  entry.m_wGraphic = 0;
  entry.m_byGraphicKind = 2;
  entry.m_byZ = 6;
  entry.m_byTakeRule = 1;
  entry.m_byZoom = 1;
}

void LoadPaletteLists(cSafeVector<cBlockData>& blocks, cSafeVector<cCharaData>& charas, cSafeVector<cItemData>& items,
                      FILE* fp) {
  LoadPaletteList(blocks, fp);
  LoadPaletteList(charas, fp);
  LoadPaletteList(items, fp);
  ForceFixedDefault(blocks);
  ForceFixedDefault(charas);
  ForceFixedDefault(items);
}

void SavePaletteLists(cSafeVector<cBlockData>& blocks, cSafeVector<cCharaData>& charas, cSafeVector<cItemData>& items,
                      FILE* fp) {
  SaveRecordList(blocks, fp);
  SaveRecordList(charas, fp);
  SaveRecordList(items, fp);
}

void ValidatePaletteList(cSafeVector<cBlockData>& list) {
  for (cBlockData& b : list) {
    b.Validate();
    b.ValidateItemRef();
  }
}

void ValidatePaletteList(cSafeVector<cCharaData>& list) {
  for (cCharaData& c : list) {
    c.Validate();
    c.ValidatePalette();
  }
}

void ValidatePaletteList(cSafeVector<cItemData>& list) {
  for (cItemData& i : list) {
    i.Validate();
    i.ValidatePalette();
  }
}

void BindPaletteLists(int kind, const cSafeVector<cBlockData>& blocks, const cSafeVector<cCharaData>& charas,
                      const cSafeVector<cItemData>& items) {
  ListOf(g_DefContext.block, kind).Bind(&blocks);
  ListOf(g_DefContext.chara, kind).Bind(&charas);
  ListOf(g_DefContext.item, kind).Bind(&items);
}

cPaletteBinding::cPaletteBinding(int kind, const cSafeVector<cBlockData>& blocks,
                                 const cSafeVector<cCharaData>& charas, const cSafeVector<cItemData>& items)
    : m_nKind(kind),
      m_OldBlock(ListOf(g_DefContext.block, kind)),
      m_OldChara(ListOf(g_DefContext.chara, kind)),
      m_OldItem(ListOf(g_DefContext.item, kind)) {
  BindPaletteLists(kind, blocks, charas, items);
}

cPaletteBinding::~cPaletteBinding() {
  ListOf(g_DefContext.block, m_nKind) = m_OldBlock;
  ListOf(g_DefContext.chara, m_nKind) = m_OldChara;
  ListOf(g_DefContext.item, m_nKind) = m_OldItem;
}
