#include "project/save_data.h"

#include <algorithm>

#include "core/log.h"
#include "defs/record_list.h"
#include "defs/stored_index.h"
#include "platform/time.h"
#include "project/data_folder.h"
#include "project/palette_list.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/system_data.h"
#include "project/world_map.h"

namespace {

// A carry-over in a file: the record body and a character definition.
constexpr size_t MIN_CARRY_OVER_BYTES = MIN_RECORD_BYTES + MIN_CHARA_BYTES;

template <class T>
void PadList(cSafeVector<T>& list, size_t n) {
  if (list.size() < n) list.resize(n);
}

// Copies the definition fields of carry group g (groups 0..10 and 13..21; the others carry
// values of their own).
void CopyCarryGroup(int g, const cCharaData& from, cCharaData& to) {
  switch (g) {
    case 0:
      to.m_byGraphicKind = from.m_byGraphicKind;
      to.m_wGraphic = from.m_wGraphic;
      to.m_wGraphicSub = from.m_wGraphicSub;
      break;
    case 1: to.m_wAnimeSet = from.m_wAnimeSet; break;
    case 2: to.m_byZ = from.m_byZ; break;
    case 3: to.m_bTransparent = from.m_bTransparent; break;
    case 4:
      to.m_wAppearEffect = from.m_wAppearEffect;
      to.m_byAppearEffectMode = from.m_byAppearEffectMode;
      to.m_byAppearEffectValue = from.m_byAppearEffectValue;
      break;
    case 5: to.m_bFixedFacing = from.m_bFixedFacing; break;
    case 6: to.m_byFlying = from.m_byFlying; break;
    case 7: to.m_byInvincible = from.m_byInvincible; break;
    case 8: to.m_byZoom = from.m_byZoom; break;
    case 9: to.m_bScrollSync = from.m_bScrollSync; break;
    case 10:
      to.m_bySightShape = from.m_bySightShape;
      to.m_bySight = from.m_bySight;
      break;
    case 13: to.m_nMaxHp = from.m_nMaxHp; break;
    case 14: to.m_nMaxSp = from.m_nMaxSp; break;
    case 15: to.m_byContactBox = from.m_byContactBox; break;
    case 16: to.m_nPower = from.m_nPower; break;
    case 17: to.m_cImpact = from.m_cImpact; break;
    case 18: to.m_nDefence = from.m_nDefence; break;
    case 19: to.m_byImpactResist = from.m_byImpactResist; break;
    case 20: to.m_sStop = from.m_sStop; break;
    case 21: AssignRecordList(to.m_vFlow, from.m_vFlow); break;
    default: break;
  }
}

bool CarryGroupOn(int g) { return g_SystemData.m_vCarryGroup.CheckedAt(g) != 0; }

}  // namespace

// ---- The records of the lists ----

void cCarryOver::RegisterFields(int version) {
  AddField(&m_nHp);
  AddField(&m_nSp);
  AddField(&m_nTimeLimit);
  AddField(&m_nLives);
  AddField(&m_nBgm);
}

void cCarryOver::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  m_Chara.Load(fp);
}

void cCarryOver::Save(FILE* fp) {
  cSaveRecord::Save(fp);
  m_Chara.Save(fp);
}

void cClearEntry::RegisterFields(int version) {
  if (version >= 759) {
    AddField(&m_bCond);
    AddField(&m_nCondVar);
    AddField(&m_nCondValue);
  }
  AddField(&m_nValue);
  AddStringField(&m_strStage);
  if (version >= 759) AddStringField(&m_strKey);
}

void cClearEntry::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  if (g_nFileVersion < 759) m_strKey = m_strStage;
}

void cIntPair::RegisterFields(int version) {
  AddField(&m_bCleared);
  AddField(&m_nBest);
}

void SaveSlotInfo::RegisterFields(int version) { AddField(&m_bUsed); }

void SaveSlotInfo::Set(const cSaveData& progress) {
  m_bUsed = 1;
  m_SaveTime = progress.m_SaveTime;
}

std::string SaveSlotInfo::FormatSaveTime() const {
  std::string text;
  if (!m_bUsed) return text;
  const SYSTEMTIME& t = m_SaveTime;
  FormatString(text, "%04d/%02d/%02d %02d:%02d\n", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
  return text;
}

// ---- The progress record ----

cSaveData::cSaveData() {
  Register(DATA_VERSION);
  Clear();
}

void cSaveData::RegisterFields(int version) {
  AddField(&m_nExtra);
  AddField(&m_nMapX);
  AddField(&m_nMapY);
  AddField(&m_nStageEntrySlot);
  AddField(&m_nLap);
  if (version >= 758) {
    AddField(&m_bStageCond);
    AddField(&m_nCondVar);
    AddField(&m_nCondValue);
  }
  AddField(&m_nStageIndex);
  AddField(&m_nStageNumber);
  AddField(&m_nStartLives);
  AddField(&m_nLives);
  AddField(&m_nStageScore);
  AddField(&m_nTotalScore);
  AddField(&m_nClearTotal);
  AddField(&m_nTotalTime);
  AddField(&m_nTotalPlayTime);
  if (version >= 182) {
    AddField(&m_nTotalHp);
    AddField(&m_nTotalSp);
  }
  AddField(&m_bSeries);
  AddField(&m_nBgmPlaying);
  if (version >= 166) AddField(&m_bBgmPlayingLoop);
  if (version >= 194) AddField(&m_nMapState);
  if (version >= 190) AddField(&m_bLeftStage);
  if (version >= 191) {
    AddField(&m_nPrevMapX);
    AddField(&m_nPrevMapY);
  }
  AddField(&m_nChallengeOpen);
  AddField(&m_nSlot);
  if (version >= 169) AddField(&m_bAutoSave);
  AddField(&m_bShowRanking);
  AddField(&m_nRankingKind);
  if (version >= 678) {
    AddField(&m_bRestart);
    AddField(&m_nRestartX);
    AddField(&m_nRestartY);
  }
  if (version >= 679) AddField(&m_nRestartDir);
  AddStringField(&m_strStage);
  if (version >= 724) AddStringField(&m_strStageKey);
  AddStringField(&m_strPlayerName);
}

void cSaveData::Load(FILE* fp) {
  const int version = g_nFileVersion;
  cSaveRecord::Load(fp);
  m_nStageEntrySlot = 0;
  ReadRecordBytes(fp, &m_SaveTime, sizeof m_SaveTime);
  if (version > 500) LoadValueList(m_vCarryStored, fp);
  LoadRecordList(m_vCarryOver, fp, MIN_CARRY_OVER_BYTES);
  LoadRecordList(m_vClear, fp);
  LoadRecordList(m_vChallenge, fp);
  LoadValueList(m_vStageFlags, fp);
  LoadValueList(m_vCommonVar, fp);
  if (version < DATA_VERSION) FixOldVersion(version);
  Validate();
}

void cSaveData::FixOldVersion(int version) {
  if (version < 166) m_bBgmPlayingLoop = 1;
  if (version < 169) m_bAutoSave = 0;
  if (version < 182) m_nTotalHp = m_nTotalSp = 0;
  if (version < 190) m_bLeftStage = 0;
  if (version <= 190) m_nPrevMapX = m_nPrevMapY = 0;
  if (version < 194) m_nMapState = 0;
  if (version <= 500) m_vCarryStored.assign(CARRY_GROUP_COUNT, 1);
  if (version < 754) {
    m_vCommonVar.resize(MIN_COMMON_VAR_COUNT);
    m_vVarAtStart.resize(MIN_COMMON_VAR_COUNT);
  }
}

void cSaveData::Save(FILE* fp) {
  Validate();
  m_nStageEntrySlot = 0;
  cSaveRecord::Save(fp);
  WriteRecordBytes(fp, &m_SaveTime, sizeof m_SaveTime);
  SaveValueList(m_vCarryStored, fp);
  SaveRecordList(m_vCarryOver, fp);
  SaveRecordList(m_vClear, fp);
  SaveRecordList(m_vChallenge, fp);
  SaveValueList(m_vStageFlags, fp);
  SaveValueList(m_vCommonVar, fp);
}

void cSaveData::Validate() {
  const cWorldMap& map = g_WorldMap;
  if (m_nMapX < 0 || m_nMapX >= map.m_nWidth) m_nMapX = map.m_nCursorX;
  if (m_nMapY < 0 || m_nMapY >= map.m_nHeight) m_nMapY = map.m_nCursorY;
  if (m_nPrevMapX < 0 || m_nPrevMapX >= map.m_nWidth) m_nPrevMapX = map.m_nCursorX;
  if (m_nPrevMapY < 0 || m_nPrevMapY >= map.m_nHeight) m_nPrevMapY = map.m_nCursorY;
  const int stages = std::clamp(g_SystemData.m_nChallengeStages, 0, MAX_CHALLENGE_STAGES);
  m_vChallenge.resize(static_cast<size_t>(stages));
  m_nChallengeOpen = std::min(m_nChallengeOpen, stages);
  PadList(m_vCarryStored, CARRY_GROUP_COUNT);
  PadList(m_vCarryOver, 1);
  PadList(m_vStageFlags, STAGE_FLAG_COUNT);
  PadList(m_vCommonVar, MIN_COMMON_VAR_COUNT);
  // The stage index addresses a stage flag (story) or a challenge stage from 1 (challenge).
  const int indexes = static_cast<int>(std::max(m_vStageFlags.size(), m_vChallenge.size() + 1));
  if (m_nStageIndex < 0 || m_nStageIndex >= indexes) {
    LogStoredClamp("cSaveData", "m_nStageIndex", m_nStageIndex, 0);
    m_nStageIndex = 0;
  }
  if (m_nRankingKind < 0 || m_nRankingKind >= RANKING_KIND_COUNT) {
    LogStoredClamp("cSaveData", "m_nRankingKind", m_nRankingKind, 0);
    m_nRankingKind = 0;
  }
}

void cSaveData::ResetGameData() {
  Clear();
  m_vCarryStored.assign(CARRY_GROUP_COUNT, 0);
  ResetCarryOverList(1);
  m_vStageFlags.assign(STAGE_FLAG_COUNT, 0);
  m_vStageFlags[0] = 1;
  m_vCommonVar.assign(COMMON_VAR_COUNT, 0);
  m_vClear.clear();
  m_vChallenge.clear();
  m_nChallengeOpen = 1;
  m_nSlot = -1;
  m_strPlayerName = "aaa";
  // What is never stored belongs to the game before as well.
  m_SaveTime = SYSTEMTIME{};
  m_bCarry = 0;
  m_lpStageEntry = nullptr;
  m_vVarAtStart.clear();
  m_nLivesAtStart = 0;
  m_nScoreAtStart = 0;
}

void cSaveData::ResetCarryOverList(int n) {
  m_vCarryOver.clear();
  m_vCarryOver.resize(static_cast<size_t>(std::max(n, 0)));
}

void cSaveData::BeginNewGame() {
  ResetGameData();
  m_nMapX = g_WorldMap.m_nCursorX;
  m_nMapY = g_WorldMap.m_nCursorY;
  if (g_SystemData.m_vUnlimitedLives.CheckedAt(GAMEMODE_STORY)) {
    m_nStartLives = m_nLives = UNLIMITED_LIVES;
  } else {
    m_nStartLives = g_SystemData.m_vStartLives.CheckedAt(GAMEMODE_STORY);
    m_nLives = m_nStartLives - 1;
  }
}

// ---- Files ----

void MakeSaveFileName(char* buffer, int slot) {
  std::snprintf(buffer, MAX_PATH, "%s%02d.dat", g_PathTable[PATH_STORY_SAVE], slot + 1);
}

int cSaveData::SaveSlot(int slot) {
  // A slot the list does not have takes the checked access's error path, and no file is made.
  if (slot < 0 || static_cast<size_t>(slot) >= g_vSaveSlotInfo.size()) {
    g_vSaveSlotInfo.CheckedAt(slot);
    return 0;
  }
  char name[MAX_PATH];
  MakeSaveFileName(name, slot);
  const SYSTEMTIME before = m_SaveTime;
  GetLocalTime(&m_SaveTime);
  if (!SaveFile(name)) {
    m_SaveTime = before;
    ReportErrorBox("%s のセーブに失敗しました！", name);
    return 0;
  }
  g_vSaveSlotInfo.CheckedAt(slot).Set(*this);
  return 1;
}

int cSaveData::LoadProgressFile(const char* path) {
  cSaveData loaded;
  loaded.ResetGameData();
  if (!loaded.LoadFile(path)) return 0;
  *this = loaded;
  return 1;
}

int cSaveData::LoadSlot(int slot) {
  char name[MAX_PATH];
  MakeSaveFileName(name, slot);
  if (!LoadProgressFile(name)) return 0;
  ApplyLivesRule(GAMEMODE_STORY);
  return 1;
}

int cSaveData::LoadChallenge() {
  if (!LoadProgressFile(g_PathTable[PATH_CHALLENGE])) return 0;
  ApplyLivesRule(GAMEMODE_CHALLENGE);
  return 1;
}

void cSaveData::ApplyLivesRule(int mode) {
  if (g_SystemData.m_vUnlimitedLives.CheckedAt(mode)) {
    m_nStartLives = m_nLives = UNLIMITED_LIVES;
  } else if (m_nLives == UNLIMITED_LIVES) {
    m_nLives = g_SystemData.m_vStartLives.CheckedAt(mode);
  }
}

void LoadSaveSlotList(cSafeVector<SaveSlotInfo>& list) {
  for (size_t i = 0; i < list.size(); ++i) {
    SaveSlotInfo& info = list[i];
    char name[MAX_PATH];
    MakeSaveFileName(name, static_cast<int>(i));
    // A slot whose file cannot be read whole cannot be continued: it shows as empty.
    cSaveData scratch;
    scratch.ResetGameData();
    if (!scratch.LoadFile(name)) {
      info.m_bUsed = 0;
      continue;
    }
    info.Set(scratch);
  }
}

SaveSlotListLayout MakeSaveSlotList(int x, int y, const cSafeVector<SaveSlotInfo>& list, int first, int count) {
  SaveSlotListLayout layout;
  layout.x = x;
  layout.y = y;
  layout.nWidth = 320;
  layout.nHeight = 16 * std::max(count, 0);
  for (int i = 0; i < count; ++i) {
    if (i != count - 1) layout.vSeparatorY.push_back(y + 16 * i + 15);
    const long long slot = static_cast<long long>(first) + i;
    if (slot < 0 || slot >= static_cast<long long>(list.size())) break;
    SaveSlotListLayout::Row row;
    row.y = y + 16 * i;
    FormatString(row.strNumber, "%d", static_cast<int>(slot) + 1);
    row.strTime = list[static_cast<size_t>(slot)].FormatSaveTime();
    layout.vRow.push_back(row);
  }
  return layout;
}

// ---- The current stage and the clears ----

void MakeStageFileName(std::string& text, int bCond, int nCondVar, int nCondValue) {
  if (!bCond) return;
  const bool dot = !text.empty() && text.back() == '.';
  if (dot) text.pop_back();
  AppendFormat(text, "_c%03d_%d", nCondVar, nCondValue);
  if (dot) text += '.';
}

void cSaveData::SetCurrentStage(const char* name, int bCond, int nCondVar, int nCondValue) {
  m_strStage = name ? name : "";
  m_bStageCond = bCond;
  m_nCondVar = nCondVar;
  m_nCondValue = nCondValue;
  m_bSeries = 0;
  size_t mark = std::string::npos;
  for (size_t i = m_strStage.size(); i-- > 1;) {
    if (m_strStage[i - 1] == '-' && m_strStage[i] == '1') {
      mark = i - 1;
      break;
    }
  }
  if (mark != std::string::npos) {
    m_bSeries = 1;
    m_strStage.resize(mark);
    m_strStage += '.';
  } else {
    const size_t dot = m_strStage.rfind('.');
    m_strStage.resize(dot == std::string::npos ? 0 : dot + 1);
  }
  m_strStageKey = m_strStage;
  if (m_bStageCond) MakeStageFileName(m_strStageKey, m_bStageCond, m_nCondVar, m_nCondValue);
}

void cSaveData::AddClear(const std::string& stage, const std::string& key, int bCond, int nCondVar, int nCondValue,
                         int nValue) {
  for (cClearEntry& entry : m_vClear) {
    if (entry.m_strKey != key) continue;
    if (entry.m_nValue >= nValue) return;
    m_nClearTotal += nValue - entry.m_nValue;
    entry.m_nValue = nValue;
    return;
  }
  cClearEntry entry;
  entry.m_strStage = stage;
  entry.m_strKey = key;
  entry.m_bCond = bCond;
  entry.m_nCondVar = nCondVar;
  entry.m_nCondValue = nCondValue;
  entry.m_nValue = nValue;
  m_vClear.push_back(entry);
  m_nClearTotal += nValue;
}

int cSaveData::FindClear(const std::string& key) const {
  for (const cClearEntry& entry : m_vClear)
    if (entry.m_strKey == key) return entry.m_nValue;
  return 0;
}

void cSaveData::RecountClears() {
  m_nClearTotal = 0;
  for (const cClearEntry& entry : m_vClear)
    if (g_WorldMap.HasStageNode(entry.m_strStage, entry.m_bCond, entry.m_nCondVar, entry.m_nCondValue))
      m_nClearTotal += entry.m_nValue;
}

void cSaveData::MarkStageStart() {
  m_vVarAtStart = m_vCommonVar;
  m_nLivesAtStart = m_nLives;
  m_nScoreAtStart = m_nTotalScore;
}

int cSaveData::RestoreStageStart(int bForce) {
  if (bForce) {
    m_vCommonVar = m_vVarAtStart;
    m_nTotalScore = m_nScoreAtStart;
    m_nLives = m_nLivesAtStart;
    return m_nScoreAtStart;
  }
  int restore = 1;
  const cSystemData& sys = g_SystemData;
  if (g_bFreePlay || g_bTestPlay)
    restore = sys.m_bFileRestore;
  else if (g_nGameMode == GAMEMODE_STORY)
    restore = sys.m_bStoryRestore;
  else if (g_nGameMode == GAMEMODE_CHALLENGE)
    restore = sys.m_bChallengeRestore;
  else if (g_nGameMode == GAMEMODE_FREE)
    restore = sys.m_bFreeRestore;
  if (restore) m_vCommonVar = m_vVarAtStart;
  m_nTotalScore = m_nScoreAtStart;
  return m_nScoreAtStart;
}

// ---- Carry-over ----

void cSaveData::StoreCarryOver(int player, const cCharaData& hero, int nHp, int nSp, int nEffect, int nEffectMode,
                               int nEffectValue, int nTimeLimit, int nLives, int nBgm) {
  m_bCarry = 1;
  cCarryOver& carry = m_vCarryOver.CheckedAt(player);
  for (int g = 0; g < CARRY_GROUP_COUNT; ++g) {
    if (!CarryGroupOn(g)) continue;
    switch (g) {
      case 4:
        carry.m_Chara.m_wAppearEffect = static_cast<uint16_t>(nEffect);
        carry.m_Chara.m_byAppearEffectMode = static_cast<uint8_t>(nEffectMode);
        carry.m_Chara.m_byAppearEffectValue = static_cast<uint8_t>(nEffectValue);
        break;
      case 11: carry.m_nHp = nHp; break;
      case 12: carry.m_nSp = nSp; break;
      case 22: carry.m_nTimeLimit = nTimeLimit; break;
      case 23: carry.m_nLives = nLives; break;
      case 24: carry.m_nBgm = nBgm; break;
      default: CopyCarryGroup(g, hero, carry.m_Chara); break;
    }
    m_vCarryStored.CheckedAt(g) = 1;
  }
}

void cSaveData::ApplyCarryOver(int player, cCharaData& hero, cStage& stage) {
  if (!m_bCarry) return;
  const cCarryOver& carry = m_vCarryOver.CheckedAt(player);
  for (int g = 0; g < CARRY_GROUP_COUNT; ++g) {
    if (!CarryGroupOn(g) || !m_vCarryStored.CheckedAt(g)) continue;
    switch (g) {
      case 0:
        CopyCarryGroup(g, carry.m_Chara, hero);
        if (hero.m_wGraphic == 0) hero.m_wGraphic = 1;
        break;
      case 1:
        if (hero.m_wAnimeSet != carry.m_Chara.m_wAnimeSet) hero.m_wAnimeSet = carry.m_Chara.m_wAnimeSet;
        break;
      case 11:
      case 12: break;
      case 22: stage.m_nTimeLimit = carry.m_nTimeLimit; break;
      case 23: m_nLives = carry.m_nLives; break;
      case 24: stage.m_nBgm = carry.m_nBgm; break;
      default: CopyCarryGroup(g, carry.m_Chara, hero); break;
    }
  }
}

void cSaveData::GetCarriedValues(int player, int* lpHp, int* lpSp) const {
  if (!m_bCarry) return;
  const cCarryOver& carry = m_vCarryOver.CheckedAt(player);
  if (lpHp && CarryGroupOn(11) && m_vCarryStored.CheckedAt(11)) *lpHp = carry.m_nHp;
  if (lpSp && CarryGroupOn(12) && m_vCarryStored.CheckedAt(12)) *lpSp = carry.m_nSp;
}

void cSaveData::DropCarryOverGroups() {
  for (int g = 0; g < CARRY_GROUP_COUNT; ++g)
    if (g_SystemData.m_vRestartReset.CheckedAt(g)) m_vCarryStored.CheckedAt(g) = 0;
}

// ---- Rounds, ranking kinds, totals ----

void cSaveData::StartNextRound() {
  ++m_nLap;
  m_vStageFlags.Fill(0);
  m_nMapX = g_WorldMap.m_nCursorX;
  m_nMapY = g_WorldMap.m_nCursorY;
}

void cSaveData::StepRankingKind(int mode, int n) {
  const cSafeVector<uint8_t>& kinds = g_SystemData.m_vRankingKinds.CheckedAt(mode).m_vKinds;
  auto on = [&](int k) { return static_cast<size_t>(k) < kinds.size() && kinds[static_cast<size_t>(k)] != 0; };
  int enabled = 0;
  for (int k = 0; k < RANKING_KIND_COUNT; ++k) enabled += on(k);
  if (enabled == 0) return;
  int kind = m_nRankingKind >= 0 && m_nRankingKind < RANKING_KIND_COUNT ? m_nRankingKind : 0;
  const int step = n < 0 ? RANKING_KIND_COUNT - 1 : 1;
  auto move = [&] {
    do kind = (kind + step) % RANKING_KIND_COUNT;
    while (!on(kind));
  };
  if (n == 0) {
    while (!on(kind)) kind = (kind + 1) % RANKING_KIND_COUNT;
  } else {
    // After the first move the kind rests on a recorded kind, and they repeat every `enabled`
    // moves.
    const long long moves = n > 0 ? static_cast<long long>(n) : -static_cast<long long>(n);
    move();
    for (long long i = (moves - 1) % enabled; i > 0; --i) move();
  }
  m_nRankingKind = kind;
}

void cSaveData::ClearTotals() {
  m_nTotalScore = 0;
  m_nTotalTime = 0;
  m_nTotalPlayTime = 0;
  m_nTotalHp = 0;
  m_nTotalSp = 0;
}
