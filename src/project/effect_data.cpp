#include "project/effect_data.h"

#include "project/db_record.h"

void cEffectFrame::RegisterFields(int) {
  AddField(&m_nPattern);
  AddField(&m_nTime);
}

cEffectData::cEffectData() {
  Register(DATA_VERSION);
  Clear();
  m_nWidth = 32;
  m_nHeight = 32;
  m_vFrame.resize(1);
}

void cEffectData::RegisterFields(int version) {
  if (version >= 151) AddField(&m_nSpare);
  AddField(&m_nWidth);
  AddField(&m_nHeight);
  AddField(&m_bScaleWithHit);
  AddStringField(&m_strName);
  AddStringField(&m_strFile);
}

void cEffectData::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  ReadRecordList(m_vFrame, fp);
  ClearSpareOfOldFile(m_nSpare);
}

void cEffectData::Save(FILE* fp) {
  cSaveRecord::Save(fp);
  WriteRecordList(m_vFrame, fp);
}
