#include "defs/anime.h"

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
  WriteRecordValue(fp, static_cast<uint32_t>(m_vFrame.size()));
  for (cAnimeFrame& f : m_vFrame) f.Save(fp);
}

void LoadFrameList(cAnime& anime, FILE* fp) {
  anime.m_vFrame.clear();
  uint32_t n = 0;
  if (!ReadRecordCount(fp, n, MIN_RECORD_BYTES)) return;
  anime.m_vFrame.resize(n);
  for (cAnimeFrame& f : anime.m_vFrame) {
    f.Load(fp);
    if (RecordStreamFailed(fp)) break;
  }
}

namespace {

// Exactly four animations: the surplus removed, a shorter list padded with default ones.
void FixFourAnimations(cSafeVector<cAnime>& list) { list.resize(4); }

}  // namespace

void LoadAnimeSetList(cSafeVector<cAnime>& list, FILE* fp) {
  list.clear();
  uint32_t n = 0;
  if (ReadRecordCount(fp, n, MIN_RECORD_BYTES)) {
    list.resize(n);
    for (cAnime& a : list) {
      a.Load(fp);
      if (RecordStreamFailed(fp)) break;
    }
  }
  if (g_nFileVersion < 119) FixFourAnimations(list);
  if (g_nFileVersion < 128) {
    FixFourAnimations(list);
    list[2].m_strName = "飛行";
    list[3].m_strName = "飛行移動";
  }
}

void SaveAnimeSetList(cSafeVector<cAnime>& list, FILE* fp) {
  WriteRecordValue(fp, static_cast<uint32_t>(list.size()));
  for (cAnime& a : list) a.Save(fp);
}
