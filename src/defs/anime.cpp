#include "defs/anime.h"

#include "defs/record_list.h"

void cAnimeFrame::RegisterFields(int) {
  AddField(&m_nPattern);
  AddField(&m_nTime);
  AddField(&m_nFlag);
}

void cAnime::Clear() {
  cSaveRecord::Clear();
  m_vFrame.assign(1, cAnimeFrame());
  m_byAnimeB = 1;
}

void cAnime::RegisterFields(int version) {
  AddStringField(&m_strName);
  if (version >= 55) {
    AddField(&m_wAnimeA);
    AddField(&m_byAnimeB);
    AddField(&m_wAnimeC);
  }
}

void cAnime::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  LoadFrameList(*this, fp);
}

void cAnime::Save(FILE* fp) {
  cSaveRecord::Save(fp);
  SaveRecordList(m_vFrame, fp);
}

void LoadFrameList(cAnime& anime, FILE* fp) { LoadRecordList(anime.m_vFrame, fp); }

namespace {

// Exactly four animations: the surplus removed, a shorter list padded with default ones.
void FixFourAnimations(cSafeVector<cAnime>& list) { list.resize(4); }

}  // namespace

void LoadAnimeSetList(cSafeVector<cAnime>& list, FILE* fp) {
  LoadRecordList(list, fp);
  if (g_nFileVersion < 119) FixFourAnimations(list);
  if (g_nFileVersion < 128) {
    FixFourAnimations(list);
    list[2].m_strName = "飛行";
    list[3].m_strName = "飛行移動";
  }
}

void SaveAnimeSetList(cSafeVector<cAnime>& list, FILE* fp) { SaveRecordList(list, fp); }
