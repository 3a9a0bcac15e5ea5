#include "project/file_entry_data.h"

#include "project/db_record.h"

void cFileEntryData::RegisterFields(int version) {
  if (version >= 151) AddField(&m_nSpare);
  AddStringField(&m_strName);
  AddStringField(&m_strFile);
}

void cFileEntryData::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  ClearSpareOfOldFile(m_nSpare);
}
