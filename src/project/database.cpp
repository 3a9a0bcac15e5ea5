#include "project/database.h"

#include <cstdint>

#include "core/log.h"
#include "project/db_record.h"

const char* const g_lpszDatabaseFile[DBLIST_COUNT] = {
    "data\\database\\AnimeSet.dat",    "data\\database\\Anime.dat",       "data\\database\\Bmp_CharaExc.dat",
    "data\\database\\SwordType.dat",   "data\\database\\Effect.dat",      "data\\database\\CharaEffect.dat",
    "data\\database\\ScrEffect.dat",   "data\\database\\Picture.dat",     "data\\database\\Sound.dat",
    "data\\database\\Bgm.dat",
};

namespace {

// Every later use relies on entry 0 and on the default entries: a list left shorter gets them
// back.
template <class T>
void PadToDefaults(cSafeVector<T>& list, const cSafeVector<T>& defaults, const char* path) {
  if (list.size() >= defaults.size()) return;
  ReportLog("%s: %d entries, padded to the %d default entries", path, static_cast<int>(list.size()),
            static_cast<int>(defaults.size()));
  for (size_t i = list.size(); i < defaults.size(); ++i) list.push_back(defaults[i]);
}

template <class T>
int ReadDatabaseList(cSafeVector<T>& list, const char* path, const cSafeVector<T>& defaults) {
  FILE* fp = OpenRecordFileRead(path);
  if (!fp) {
    ReportDatabaseLoadError(path);
    return 0;
  }
  uint32_t n = 0;
  // Carriage returns (g_bStripCR) are removed by the record base as each record loads.
  if (ReadRecordCount(fp, n, MIN_RECORD_BYTES)) ReadRecordsOver(list, n, fp);
  const bool ok = !RecordStreamFailed(fp);
  CloseRecordFile(fp);
  PadToDefaults(list, defaults, path);
  if (!ok) {
    ReportDatabaseLoadError(path);
    return 0;
  }
  return 1;
}

// The database the definitions see through g_DefContext.
const cDatabase* g_lpDefContextDatabase = nullptr;

cSafeVector<int32_t> DefContextSwordSwingTimes(int nSwordType) {
  if (!g_lpDefContextDatabase) return cSafeVector<int32_t>();
  return g_lpDefContextDatabase->SwordSwingTimes(nSwordType);
}

// A frame time in tenths of a second as frames of 60 per second, wrapping as 32-bit
// arithmetic does.
int WaitFrames(int32_t tenths) { return static_cast<int32_t>(static_cast<uint32_t>(tenths) * 6u); }

// Ends a step list: a list without frames first gets a step of pattern 0, so that the sequencer
// has a step to show and never advances past the terminator.
void EndSteps(cSafeVector<AnimStep>& steps, bool first) {
  if (steps.empty()) steps.push_back(AnimStep{0, 0, first ? 1 : 0});
  steps.push_back(first ? AnimStep{ANIM_LOOP, 0, 1} : AnimStep{ANIM_END, 0, 0});
}

}  // namespace

void cDatabase::SetDefault() {
  cSaveRecord::Clear();
  m_vAnimeSet.assign(1, cAnimeSet());
  m_vAnime.assign(2, cAnime());
  m_vAnime[0].m_strName = "なし";
  m_vAnime[1].m_strName = "アクションA";
  m_vBmpCharaExc.assign(2, cBmpCharaExc());
  m_vSwordType.assign(1, cSwordType());
  m_vEffect.assign(2, cEffectData());
  m_vCharaEffect.assign(2, cCharaEffectData());
  m_vScrEffect.assign(2, cScrEffectData());
  m_vPicture.assign(2, cPictureData());
  m_vSound.assign(2, cSoundData());
  m_vBgm.assign(2, cBgmData());
  m_vCharaEffectCopy.clear();
  m_vScrEffectCopy.clear();
}

int cDatabase::LoadList(eDbList list, const char* path) {
  const cDatabase defaults;
  switch (list) {
    case DBLIST_ANIMESET: return ReadDatabaseList(m_vAnimeSet, path, defaults.m_vAnimeSet);
    case DBLIST_ANIME: return ReadDatabaseList(m_vAnime, path, defaults.m_vAnime);
    case DBLIST_BMP_CHARAEXC: return ReadDatabaseList(m_vBmpCharaExc, path, defaults.m_vBmpCharaExc);
    case DBLIST_SWORDTYPE: return ReadDatabaseList(m_vSwordType, path, defaults.m_vSwordType);
    case DBLIST_EFFECT: return ReadDatabaseList(m_vEffect, path, defaults.m_vEffect);
    case DBLIST_CHARAEFFECT: return ReadDatabaseList(m_vCharaEffect, path, defaults.m_vCharaEffect);
    case DBLIST_SCREFFECT: return ReadDatabaseList(m_vScrEffect, path, defaults.m_vScrEffect);
    case DBLIST_PICTURE: return ReadDatabaseList(m_vPicture, path, defaults.m_vPicture);
    case DBLIST_SOUND: return ReadDatabaseList(m_vSound, path, defaults.m_vSound);
    case DBLIST_BGM: return ReadDatabaseList(m_vBgm, path, defaults.m_vBgm);
    case DBLIST_COUNT: break;
  }
  return 0;
}

int cDatabase::LoadAll(const char** lplpszFailed) {
  int ok = 1;
  for (int i = 0; ok && i < DBLIST_COUNT; ++i) {
    ok = LoadList(static_cast<eDbList>(i), g_lpszDatabaseFile[i]);
    if (!ok && lplpszFailed) *lplpszFailed = g_lpszDatabaseFile[i];
  }
  if (ok) ResetFirstEntries();
  SetDefContext();
  return ok;
}

void cDatabase::ResetFirstEntries() {
  if (!m_vCharaEffect.empty()) m_vCharaEffect[0].m_nKind = 0;
  if (!m_vScrEffect.empty()) m_vScrEffect[0].m_nKind = 0;
}

void cDatabase::CopyEffectLists() {
  m_vCharaEffectCopy = m_vCharaEffect;
  m_vScrEffectCopy = m_vScrEffect;
}

namespace {

template <class T>
const T& TemplateSource(const cSafeVector<T>& list, const cSafeVector<T>& copy, int index, int fromCopy) {
  if (fromCopy && index >= 0 && static_cast<size_t>(index) < copy.size()) return copy[static_cast<size_t>(index)];
  return list.CheckedAt(index);
}

}  // namespace

const cCharaEffectData& cDatabase::CharaEffectSource(int index, int reversed) const {
  return TemplateSource(m_vCharaEffect, m_vCharaEffectCopy, index, reversed);
}

const cScrEffectData& cDatabase::ScrEffectSource(int index, int backward) const {
  return TemplateSource(m_vScrEffect, m_vScrEffectCopy, index, backward);
}

int cDatabase::ListSize(eDbList list) const {
  size_t n = 0;
  switch (list) {
    case DBLIST_ANIMESET: n = m_vAnimeSet.size(); break;
    case DBLIST_ANIME: n = m_vAnime.size(); break;
    case DBLIST_BMP_CHARAEXC: n = m_vBmpCharaExc.size(); break;
    case DBLIST_SWORDTYPE: n = m_vSwordType.size(); break;
    case DBLIST_EFFECT: n = m_vEffect.size(); break;
    case DBLIST_CHARAEFFECT: n = m_vCharaEffect.size(); break;
    case DBLIST_SCREFFECT: n = m_vScrEffect.size(); break;
    case DBLIST_PICTURE: n = m_vPicture.size(); break;
    case DBLIST_SOUND: n = m_vSound.size(); break;
    case DBLIST_BGM: n = m_vBgm.size(); break;
    case DBLIST_COUNT: break;
  }
  return static_cast<int>(n);
}

cSafeVector<int32_t> cDatabase::SwordSwingTimes(int nSwordType) const {
  if (nSwordType < 0 || nSwordType >= static_cast<int>(m_vSwordType.size())) return cSafeVector<int32_t>();
  return m_vSwordType[static_cast<size_t>(nSwordType)].SwingTimes();
}

cDatabase::~cDatabase() {
  if (g_lpDefContextDatabase == this) g_lpDefContextDatabase = nullptr;
}

void cDatabase::SetDefContext() const {
  for (int i = 0; i < DBLIST_COUNT; ++i) g_DefContext.anDbListSize[i] = ListSize(static_cast<eDbList>(i));
  g_lpDefContextDatabase = this;
  g_DefContext.lpfnSwordSwingWaits = &DefContextSwordSwingTimes;
}

void ReportDatabaseLoadError(const char* path) {
  if (g_bFileTooNew)
    ReportErrorBox("%s の読み込みに失敗しました！\nソフトより上位のバージョンのファイルは使用できません。", path);
  else
    ReportErrorBox("%s の読み込みに失敗しました！", path);
}

void BuildAnimeStepTable(const cDatabase& db, cAnimStepTable& table) {
  table.clear();
  table.resize(db.m_vAnime.size());
  for (size_t i = 0; i < table.size(); ++i) {
    const bool first = i == 0;
    cSafeVector<AnimStep>& steps = table[i];
    int flag = first ? 1 : 0;
    for (const cAnimeFrame& f : db.m_vAnime[i].m_vFrame) {
      if (f.m_nFlag) flag = 1;
      steps.push_back(AnimStep{f.m_nPattern, first ? 0 : WaitFrames(f.m_nTime), flag});
    }
    EndSteps(steps, first);
  }
}

void BuildEffectStepTable(const cDatabase& db, cAnimStepTable& table) {
  table.clear();
  table.resize(db.m_vEffect.size());
  for (size_t i = 0; i < table.size(); ++i) {
    const bool first = i == 0;
    cSafeVector<AnimStep>& steps = table[i];
    for (const cEffectFrame& f : db.m_vEffect[i].m_vFrame)
      steps.push_back(first ? AnimStep{f.m_nPattern, 0, 1} : AnimStep{f.m_nPattern, WaitFrames(f.m_nTime), 0});
    EndSteps(steps, first);
  }
}
