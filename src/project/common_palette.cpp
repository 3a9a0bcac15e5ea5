#include "project/common_palette.h"

#include <algorithm>

#include "project/palette_list.h"

namespace {

template <class T>
void ClearInheritFlags(cSafeVector<T>& list) {
  for (T& entry : list) std::fill(entry.m_vInheritFlags.begin(), entry.m_vInheritFlags.end(), 0);
}

}  // namespace

cCommonPalette::cCommonPalette() {
  Register(DATA_VERSION);
  Clear();
  ResetPaletteList(m_vBlock, 1);
  ResetPaletteList(m_vChara, 1);
  ResetPaletteList(m_vItem, 1);
}

void cCommonPalette::Load(FILE* fp) {
  cPaletteBinding binding(1, m_vBlock, m_vChara, m_vItem);
  cSaveRecord::Load(fp);
  LoadPaletteLists(m_vBlock, m_vChara, m_vItem, fp);
  ClearInheritFlags(m_vBlock);
  ClearInheritFlags(m_vChara);
  ClearInheritFlags(m_vItem);
  Normalize();
}

void cCommonPalette::Save(FILE* fp) {
  Normalize();
  cPaletteBinding binding(1, m_vBlock, m_vChara, m_vItem);
  cSaveRecord::Save(fp);
  SavePaletteLists(m_vBlock, m_vChara, m_vItem, fp);
}

void cCommonPalette::Normalize() {
  cPaletteBinding binding(1, m_vBlock, m_vChara, m_vItem);
  FillPaletteList(m_vBlock, 2);
  FillPaletteList(m_vChara, 2);
  FillPaletteList(m_vItem, 2);
  ValidatePaletteList(m_vBlock);
  ValidatePaletteList(m_vChara);
  ValidatePaletteList(m_vItem);
}

void cCommonPalette::SetDefContext() const { BindPaletteLists(1, m_vBlock, m_vChara, m_vItem); }
