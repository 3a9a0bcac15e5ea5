#include "project/sword_type.h"

#include <cstdint>

#include "project/db_record.h"

const char* const g_lpszSwordPlaceName[5] = {"前", "後", "上", "下", ""};

void cSwordTypeSub::RegisterFields(int version) {
  AddField(&m_nOffsetX);
  AddField(&m_nOffsetY);
  if (version >= 138) {
    AddField(&m_bMirrorX);
    AddField(&m_bMirrorY);
  }
  AddField(&m_nPlace);
  AddField(&m_nSrcX);
  AddField(&m_nSrcY);
  AddField(&m_nWidth);
  AddField(&m_nHeight);
  AddField(&m_nTime);
}

cSwordType::cSwordType() {
  Register(DATA_VERSION);
  Clear();
  m_vSwing.resize(1);
  m_vSwing[0].m_nTime = 1;
}

void cSwordType::RegisterFields(int version) {
  if (version >= 151) AddField(&m_nSpare);
  AddStringField(&m_strName);
  AddStringField(&m_strFileLeft);
  AddStringField(&m_strFileRight);
}

void cSwordType::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  ReadSwingList(m_vSwing, fp);
  ClearSpareOfOldFile(m_nSpare);
}

void cSwordType::Save(FILE* fp) {
  cSaveRecord::Save(fp);
  WriteRecordList(m_vSwing, fp);
}

cSafeVector<int32_t> cSwordType::SwingTimes() const {
  cSafeVector<int32_t> times;
  for (const cSwordTypeSub& f : m_vSwing) times.push_back(f.m_nTime);
  return times;
}

void ReadSwingList(cSafeVector<cSwordTypeSub>& list, FILE* fp) { ReadRecordList(list, fp); }
