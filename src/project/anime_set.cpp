#include "project/anime_set.h"

void cAnimeSet::SetDefault() {
  cSaveRecord::Clear();
  m_nInvinciblePattern = 4;
  m_nBlockPattern = 8;
  m_nFlyPattern = 0;
  m_vAnimation.resize(4);
  m_vAnimation[0].m_strName = "立ち";
  m_vAnimation[1].m_strName = "立ち移動";
  m_vAnimation[2].m_strName = "飛行";
  m_vAnimation[3].m_strName = "飛行移動";
}

void cAnimeSet::RegisterFields(int version) {
  AddField(&m_nInvinciblePattern);
  AddField(&m_nBlockPattern);
  if (version >= 119) AddField(&m_nFlyPattern);
  AddStringField(&m_strName);
}

void cAnimeSet::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  LoadAnimeSetList(m_vAnimation, fp);
}

void cAnimeSet::Save(FILE* fp) {
  cSaveRecord::Save(fp);
  SaveAnimeSetList(m_vAnimation, fp);
}
