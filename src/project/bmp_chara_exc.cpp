#include "project/bmp_chara_exc.h"

#include "project/db_record.h"

void cBmpCharaExc::RegisterFields(int version) {
  if (version >= 152) AddField(&m_nSpare);
  if (version >= 172) {
    AddField(&m_bLargeCell);
    AddField(&m_nCellUnits);
  }
  AddStringField(&m_strName);
  AddStringField(&m_strFile);
}

void cBmpCharaExc::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  ClearSpareOfOldFile(m_nSpare);
}

int cBmpCharaExc::CellUnits() const {
  if (!m_bLargeCell || m_nCellUnits < 1) return 1;
  return m_nCellUnits > 16 ? 16 : m_nCellUnits;
}
