#include "project/option_data.h"

#include "core/text.h"
#include "defs/stored_index.h"

cOptionData::cOptionData() {
  Register(DATA_VERSION);
  Clear();
  m_bBgm = 1;
  m_nSeVolume = 7;
  m_strRankingName = "aaa";
}

void cOptionData::RegisterFields(int version) {
  AddField(&m_nPalette);
  AddField(&m_bBgm);
  AddField(&m_nSeVolume);
  AddField(&m_nRankingMethod);
  AddStringField(&m_strRankingName);
}

void cOptionData::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  ClampStoredRange(m_nPalette, 0, OPTION_PALETTE_MAX, "cOptionData", "m_nPalette");
  ClampStoredRange(m_bBgm, 0, 1, "cOptionData", "m_bBgm");
  ClampStoredRange(m_nSeVolume, 0, OPTION_SE_VOLUME_MAX, "cOptionData", "m_nSeVolume");
  ClampStoredRange(m_nRankingMethod, 0, OPTION_RANKING_METHOD_MAX, "cOptionData", "m_nRankingMethod");
  // The name: three characters, a lead and trail byte pair counting one.
  size_t end = 0;
  for (int chars = 0; chars < OPTION_NAME_CHARS && end < m_strRankingName.size(); ++chars)
    end += IsDbcsPair(m_strRankingName.c_str() + end) ? 2 : 1;
  if (end < m_strRankingName.size()) m_strRankingName.resize(end);
}
