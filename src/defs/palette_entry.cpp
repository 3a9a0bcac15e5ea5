#include "defs/palette_entry.h"

void cPaletteEntry::AddHeadFields() {
  AddField(&m_byInheritKind);
  AddField(&m_wInheritIndex);
  AddStringField(&m_strName);
}

void cPaletteEntry::LoadHead(FILE* fp) {
  cSaveRecord::Load(fp);
  ReadRecordValue(fp, m_wHeadA);
  ReadRecordValue(fp, m_wHeadB);
  LoadHeadExtra(fp);
  uint32_t n = 0;
  if (ReadRecordCount(fp, n, 1)) {
    m_vInheritFlags.resize(n);
    ReadRecordBytes(fp, m_vInheritFlags.data(), n);
  }
  LoadCondList(m_vCond, fp);
}

void cPaletteEntry::SaveHead(FILE* fp) {
  cSaveRecord::Save(fp);
  WriteRecordValue(fp, m_wHeadA);
  WriteRecordValue(fp, m_wHeadB);
  SaveHeadExtra(fp);
  WriteRecordValue(fp, static_cast<uint32_t>(m_vInheritFlags.size()));
  WriteRecordBytes(fp, m_vInheritFlags.data(), m_vInheritFlags.size());
  SaveCondList(m_vCond, fp);
}

void cPaletteEntry::ResetInheritFlags(size_t n) {
  m_vInheritFlags.assign(n, 0);
}

void cPaletteEntry::ValidatePaletteRef(const cPaletteLists& palettes) {
  const cPaletteList* list = palettes.Of(m_byInheritKind);
  if (list && !list->Holds(m_wInheritIndex)) {
    m_byInheritKind = 0;
    m_wInheritIndex = 0;
  }
  for (cCond& c : m_vCond) c.Validate();
}

void cPaletteEntry::CopyConds(const cPaletteEntry& src) {
  AssignCondList(m_vCond, src.m_vCond);
  m_byCondRule = src.m_byCondRule;
  m_bCondOnce = src.m_bCondOnce;
}
