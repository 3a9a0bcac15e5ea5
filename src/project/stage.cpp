#include "project/stage.h"

#include <algorithm>
#include <cmath>

#include "core/log.h"
#include "defs/def_context.h"
#include "defs/stored_index.h"
#include "project/palette_list.h"

namespace {

// A file holds at least a placed entry's int32 and the entry.
template <class T>
void LoadPlacedList(cSafeVector<T>& list, FILE* fp) {
  list.clear();
  uint32_t n = 0;
  if (!ReadRecordCount(fp, n, 4 + MinEntryBytes(static_cast<const T*>(nullptr)))) return;
  list.resize(n);
  for (T& entry : list) {
    int32_t ignored = 0;
    ReadRecordValue(fp, ignored);
    entry.Load(fp);
    if (RecordStreamFailed(fp)) break;
  }
}

template <class T>
void SavePlacedList(cSafeVector<T>& list, FILE* fp) {
  WriteRecordValue(fp, static_cast<uint32_t>(list.size()));
  for (T& entry : list) {
    WriteRecordValue(fp, int32_t{0});
    entry.Save(fp);
  }
}

// The sizes of the boxes of the hero, the characters, the items, the shots and the swords, in
// dots. A cell is 32 dots and the largest map 320,640; a size beyond ±2^20 dots would overflow
// the sums and the zoom of the boxes in play.
constexpr int MAX_BOX_DOTS = 1 << 20;
int32_t cStage::* const kBoxSizes[] = {
    &cStage::m_nHeroW,           &cStage::m_nHeroH,           &cStage::m_nHeroFlyW,
    &cStage::m_nHeroFlyH,        &cStage::m_nHeroContactW,    &cStage::m_nHeroContactH,
    &cStage::m_nHeroFlyContactW, &cStage::m_nHeroFlyContactH, &cStage::m_nHeroShotHitW,
    &cStage::m_nHeroShotHitH,    &cStage::m_nHeroItemW,       &cStage::m_nHeroItemH,
    &cStage::m_nCharaW,          &cStage::m_nCharaH,          &cStage::m_nCharaFlyW,
    &cStage::m_nCharaFlyH,       &cStage::m_nCharaContactW,   &cStage::m_nCharaContactH,
    &cStage::m_nCharaFlyContactW, &cStage::m_nCharaFlyContactH, &cStage::m_nCharaShotHitW,
    &cStage::m_nCharaShotHitH,   &cStage::m_nItemW,           &cStage::m_nItemH,
    &cStage::m_nHeroShotW,       &cStage::m_nHeroShotH,       &cStage::m_nHeroSwordW,
    &cStage::m_nHeroSwordH,      &cStage::m_nCharaShotW,      &cStage::m_nCharaShotH,
    &cStage::m_nCharaSwordW,     &cStage::m_nCharaSwordH,
};

// A value outside min..max becomes the fallback; the change goes to the report log.
void ResetOutOfRange(int32_t& value, int min, int max, int fallback, const char* member) {
  if (value >= min && value <= max) return;
  LogStoredClamp("cStage", member, value, fallback);
  value = fallback;
}

// The play grid of a map: rows as wide as the smallest power of two that holds the width and
// its margins, as many rows as the height and its margins.
long long GridPitch(int width) {
  long long pitch = 1;
  while (pitch < width + 20LL) pitch <<= 1;
  return pitch;
}

}  // namespace

cStage::cStage() {
  Register(DATA_VERSION);
  Clear();
}

void cStage::Clear() {
  cSaveRecord::Clear();
  m_vPlacedBlock.clear();
  m_vPlacedChara.clear();
  m_vPlacedItem.clear();
  ResetPaletteList(m_vBlock, 1);
  ResetPaletteList(m_vChara, 1);
  ResetPaletteList(m_vItem, 1);
  m_nFps = 60;
  m_nTimeLimit = 200;
  m_nTimeWarning = 20;
  m_dGravity = 0.4;
  m_nSpeedLevel = 10;
  m_bDrawByPriority = 1;
  m_bShowHud = 1;
  m_bShowStartBanner = 1;
  m_bShowClearBanner = 1;
  m_bShowWaitBanner = 1;
  m_bHitOnScreenOnly = 1;
  m_nHeroPartnerPause = 30;
  m_nCharaPartnerPause = 30;
  ResetPaletteList(m_vBg, 1);
  m_vBg[0].m_bFill = 1;
  m_vStr.clear();
  m_vRanking.assign(5, 1);
  m_RuleChara.Set(0, 0, 0, 0, 0, 0, 0, 0);
  m_RuleBlockChara.Set(0, 0, 0, 0, 0, 0, 0, 0);
  m_RuleItem.Set(0, 0, 0, 0, 0, 0, 0, 0);
  m_RuleHeroShot.Set(1, 1, 1, 1, 0, 0, 0, 0);
  m_RuleCharaShot.Set(1, 1, 1, 1, 10, 10, 10, 10);
  ResetBoxSettings();
  m_bExtra3 = 1;
  SetSpeedLevel(m_nSpeedLevel);
}

void cStage::ResetBoxSettings() {
  m_nHeroW = 16, m_nHeroH = 24, m_nHeroFlyW = 16, m_nHeroFlyH = 16;
  m_nHeroContactW = 16, m_nHeroContactH = 24, m_nHeroFlyContactW = 16, m_nHeroFlyContactH = 16;
  m_nHeroShotHitW = 12, m_nHeroShotHitH = 8, m_nHeroItemW = 16, m_nHeroItemH = 16;
  m_bHeroBottom = 1, m_bHeroFlyBottom = 0, m_bHeroContactBottom = 1, m_bHeroFlyContactBottom = 0;
  m_nShowBody = 0, m_nShowContact = 0, m_nShowShotHit = 0, m_nShowItem = 0;
  m_nBodyColor = 0, m_nContactColor = 0, m_nShotHitColor = 0, m_nItemColor = 0;
  m_nCharaW = 16, m_nCharaH = 24, m_nCharaFlyW = 16, m_nCharaFlyH = 16;
  m_nCharaContactW = 12, m_nCharaContactH = 24, m_nCharaFlyContactW = 12, m_nCharaFlyContactH = 16;
  m_nCharaShotHitW = 30, m_nCharaShotHitH = 30;
  m_bCharaBottom = 1, m_bCharaFlyBottom = 0, m_bCharaContactBottom = 1, m_bCharaFlyContactBottom = 0;
  m_nItemW = 28, m_nItemH = 28;
  m_nHeroShotW = 16, m_nHeroShotH = 16, m_nHeroSwordW = 16, m_nHeroSwordH = 16;
  m_nCharaShotW = 16, m_nCharaShotH = 16, m_nCharaSwordW = 16, m_nCharaSwordH = 16;
}

void cStage::RegisterFields(int version) {
  AddField(&m_nWidth);
  AddField(&m_nExtra1);
  AddField(&m_nExtra2);
  AddField(&m_nHeight);
  AddField(&m_bLimitLeft);
  AddField(&m_bLimitRight);
  AddField(&m_bLimitTop);
  AddField(&m_bLimitBottom);
  AddField(&m_nLimitLeft);
  AddField(&m_nLimitRight);
  AddField(&m_nLimitTop);
  AddField(&m_nLimitBottom);
  AddField(&m_nFps);
  AddField(&m_bTimeLimit);
  AddField(&m_nTimeLimit);
  AddField(&m_nTimeWarning);
  AddField(&m_nScrollModeX);
  AddField(&m_nScrollModeY);
  AddField(&m_nAutoSpeedX);
  AddField(&m_nAutoSpeedY);
  AddField(&m_dGravity);
  AddField(&m_nSpeedLevel);
  AddField(&m_nHitChecks);
  AddField(&m_nBgm);
  if (version >= 166) AddField(&m_bBgmLoop);
  if (version >= 199) AddField(&m_bKeepBgm);
  AddField(&m_bDrawByPriority);
  AddField(&m_bCarryOver);
  AddField(&m_bStoreCarryOver);
  if (version >= 183) AddField(&m_bShowHud);
  if (version >= 184) AddField(&m_bAutoContinue);
  AddField(&m_bShowStageBanner);
  if (version >= 225) AddField(&m_bShowStartBanner);
  AddField(&m_bShowClearBanner);
  AddField(&m_bShowWaitBanner);
  if (version >= 200) {
    AddField(&m_nHeroW);
    AddField(&m_nHeroH);
    AddField(&m_nHeroFlyW);
    AddField(&m_nHeroFlyH);
  }
  AddField(&m_nHeroContactW);
  AddField(&m_nHeroContactH);
  if (version >= 155) {
    AddField(&m_nHeroFlyContactW);
    AddField(&m_nHeroFlyContactH);
  }
  AddField(&m_nHeroShotHitW);
  AddField(&m_nHeroShotHitH);
  AddField(&m_nHeroItemW);
  AddField(&m_nHeroItemH);
  if (version >= 200) {
    AddField(&m_bHeroBottom);
    AddField(&m_bHeroFlyBottom);
  }
  if (version >= 155) {
    AddField(&m_bHeroContactBottom);
    AddField(&m_bHeroFlyContactBottom);
  }
  if (version >= 200) AddField(&m_nShowBody);
  AddField(&m_nShowContact);
  AddField(&m_nShowShotHit);
  AddField(&m_nShowItem);
  if (version >= 200) AddField(&m_nBodyColor);
  AddField(&m_nContactColor);
  AddField(&m_nShotHitColor);
  AddField(&m_nItemColor);
  if (version >= 200) {
    AddField(&m_nCharaW);
    AddField(&m_nCharaH);
    AddField(&m_nCharaFlyW);
    AddField(&m_nCharaFlyH);
  }
  AddField(&m_nCharaContactW);
  AddField(&m_nCharaContactH);
  if (version >= 155) {
    AddField(&m_nCharaFlyContactW);
    AddField(&m_nCharaFlyContactH);
  }
  AddField(&m_nCharaShotHitW);
  AddField(&m_nCharaShotHitH);
  if (version >= 200) {
    AddField(&m_bCharaBottom);
    AddField(&m_bCharaFlyBottom);
  }
  if (version >= 155) {
    AddField(&m_bCharaContactBottom);
    AddField(&m_bCharaFlyContactBottom);
  }
  AddField(&m_nItemW);
  AddField(&m_nItemH);
  AddField(&m_nHeroShotW);
  AddField(&m_nHeroShotH);
  AddField(&m_nHeroSwordW);
  AddField(&m_nHeroSwordH);
  AddField(&m_nCharaShotW);
  AddField(&m_nCharaShotH);
  AddField(&m_nCharaSwordW);
  AddField(&m_nCharaSwordH);
  AddField(&m_bExtra3);
  AddField(&m_nScrollExtraX);
  AddField(&m_nScrollExtraY);
  AddField(&m_nSubSteps);
  AddField(&m_dSubSteps);
  AddField(&m_dSubSteps2);
  AddField(&m_dSpeedLimit);
  AddField(&m_dGravityStep);
  AddField(&m_dSpeedLimitStep);
  AddField(&m_nAirborneSteps);
  AddField(&m_bHitOnScreenOnly);
  AddField(&m_nHeroPartnerPause);
  AddField(&m_nHeroContactPause);
  AddField(&m_nCharaPartnerPause);
  AddField(&m_nCharaContactPause);
  AddStringField(&m_strText);
}

void cStage::Load(FILE* fp) {
  const int version = g_nFileVersion;
  // Entries of the stage palette inherit from this stage as it is being read.
  cPaletteBinding binding(2, m_vBlock, m_vChara, m_vItem);
  // Nothing of a stage read before may show through in the settings an older file lacks.
  Clear();
  cSaveRecord::Load(fp);
  uint32_t n = 0;
  if (ReadRecordCount(fp, n, sizeof(int32_t))) {
    m_vRanking.resize(n);
    ReadRecordBytes(fp, m_vRanking.data(), n * sizeof(int32_t));
  }
  for (cRemovalRule* rule : {&m_RuleChara, &m_RuleBlockChara, &m_RuleItem, &m_RuleHeroShot, &m_RuleCharaShot})
    rule->Load(fp);
  LoadPaletteLists(m_vBlock, m_vChara, m_vItem, fp);
  LoadPlacedList(m_vPlacedBlock, fp);
  LoadPlacedList(m_vPlacedChara, fp);
  LoadPlacedList(m_vPlacedItem, fp);
  LoadRecordList(m_vBg, fp);
  LoadRecordList(m_vStr, fp);
  m_nTrailerRead = version >= 173 ? 0 : STAGE_TRAILER;
  if (version >= 173) ReadRecordValue(fp, m_nTrailerRead);
  if (version < DATA_VERSION) FixOldVersion(version);
  Normalize();
}

void cStage::FixOldVersion(int version) {
  if (version < 155) {
    m_nHeroFlyContactW = m_nHeroContactW;
    m_nHeroFlyContactH = m_nHeroContactH;
    m_nCharaFlyContactW = m_nCharaContactW;
    m_nCharaFlyContactH = m_nCharaContactH;
    m_bHeroContactBottom = 0;
    m_bHeroFlyContactBottom = 0;
    m_bCharaContactBottom = 0;
    m_bCharaFlyContactBottom = 0;
  }
  if (version < 166) m_bBgmLoop = 1;
  if (version < 181) {
    m_vRanking.resize(5);
    m_vRanking[3] = 0;
    m_vRanking[4] = 0;
  }
  if (version < 183) m_bShowHud = 1;
  if (version < 184) m_bAutoContinue = 0;
  if (version < 199) m_bKeepBgm = 0;
  if (version < 200) {
    m_nHeroW = 16, m_nHeroH = 24, m_nHeroFlyW = 16, m_nHeroFlyH = 16;
    m_bHeroBottom = 1, m_bHeroFlyBottom = 0, m_nShowBody = 0, m_nBodyColor = 5;
    m_nCharaW = 16, m_nCharaH = 30, m_nCharaFlyW = 16, m_nCharaFlyH = 30;
    m_bCharaBottom = 1, m_bCharaFlyBottom = 1;
  }
  if (version < 225) m_bShowStartBanner = 0;
  if (version < 754) m_vStr.resize(1000);
}

void cStage::SaveHeader(FILE* fp) {
  cSaveRecord::Save(fp);
  WriteRecordValue(fp, static_cast<uint32_t>(m_vRanking.size()));
  WriteRecordBytes(fp, m_vRanking.data(), m_vRanking.size() * sizeof(int32_t));
  for (cRemovalRule* rule : {&m_RuleChara, &m_RuleBlockChara, &m_RuleItem, &m_RuleHeroShot, &m_RuleCharaShot})
    rule->Save(fp);
}

void cStage::SaveObjects(FILE* fp) {
  cPaletteBinding binding(2, m_vBlock, m_vChara, m_vItem);
  SavePaletteLists(m_vBlock, m_vChara, m_vItem, fp);
  SavePlacedList(m_vPlacedBlock, fp);
  SavePlacedList(m_vPlacedChara, fp);
  SavePlacedList(m_vPlacedItem, fp);
}

void cStage::SaveTail(FILE* fp) {
  SaveRecordList(m_vBg, fp);
  SaveRecordList(m_vStr, fp);
  WriteRecordValue(fp, STAGE_TRAILER);
}

void cStage::Save(FILE* fp) {
  Normalize();
  SaveHeader(fp);
  SaveObjects(fp);
  SaveTail(fp);
}

void cStage::SaveForReplay(FILE* fp, cStage& header) {
  Normalize();
  header.SaveHeader(fp);
  SaveObjects(fp);
  header.SaveTail(fp);
}

void cStage::Normalize() {
  cPaletteBinding binding(2, m_vBlock, m_vChara, m_vItem);
  // The map size sizes the play grid.
  ClampStoredRange(m_nWidth, 1, MAX_STAGE_SIDE, "cStage", "m_nWidth");
  ClampStoredRange(m_nHeight, 1, MAX_STAGE_SIDE, "cStage", "m_nHeight");
  const long long pitch = GridPitch(m_nWidth);
  if (pitch * (m_nHeight + 20LL) > MAX_STAGE_GRID_CELLS) {
    const int height = static_cast<int>(MAX_STAGE_GRID_CELLS / pitch - 20);
    LogStoredClamp("cStage", "m_nHeight", m_nHeight, height);
    m_nHeight = height;
  }
  m_nLimitLeft = std::min(m_nLimitLeft, m_nWidth - 20);
  m_nLimitRight = std::min(m_nLimitRight, m_nWidth - 1);
  m_nLimitTop = std::min(m_nLimitTop, m_nHeight - 15);
  m_nLimitBottom = std::min(m_nLimitBottom, m_nHeight - 1);
  for (int32_t cStage::*size : kBoxSizes)
    ClampStoredRange(this->*size, -MAX_BOX_DOTS, MAX_BOX_DOTS, "cStage", "box size");
  // Gravity that is not a number would make every position in play not a number.
  if (std::isnan(m_dGravity)) {
    ReportLog("cStage: the gravity is not a number, 0.4 is taken");
    m_dGravity = 0.4;
  }
  // The frame rate divides the second; the speed level gives the sub-steps per frame.
  ResetOutOfRange(m_nFps, 1, INT32_MAX, 60, "m_nFps");
  ClampStoredRange(m_nSpeedLevel, MIN_SPEED_LEVEL, MAX_STORED_SPEED_LEVEL, "cStage", "m_nSpeedLevel");
  SetSpeedLevel(m_nSpeedLevel);
  ResetOutOfRange(m_nHitChecks, 0, 5, 0, "m_nHitChecks");
  ResetOutOfRange(m_nBodyColor, 0, 7, 0, "m_nBodyColor");
  ResetOutOfRange(m_nContactColor, 0, 7, 0, "m_nContactColor");
  ResetOutOfRange(m_nShotHitColor, 0, 7, 0, "m_nShotHitColor");
  ResetOutOfRange(m_nItemColor, 0, 7, 0, "m_nItemColor");
  if (static_cast<uint32_t>(m_nBgm) >= static_cast<uint32_t>(g_DefContext.DbListSize(DBLIST_BGM))) m_nBgm = 0;
  // Every ranking kind has its switch.
  if (m_vRanking.size() < 5) m_vRanking.resize(5);
  FillPaletteList(m_vBlock, 2);
  FillPaletteList(m_vChara, 2);
  FillPaletteList(m_vItem, 2);
  // A carried item is a placed item, or none.
  for (cCharaData& c : m_vPlacedChara) {
    const int32_t carried = static_cast<int32_t>(c.m_dwHeadExtra);
    if (carried < -1 || carried >= static_cast<int32_t>(m_vPlacedItem.size())) {
      LogStoredClamp("cStage", "carried item", carried, -1);
      c.m_dwHeadExtra = static_cast<uint32_t>(-1);
    }
  }
  ValidatePaletteList(m_vBlock);
  ValidatePaletteList(m_vPlacedBlock);
  ValidatePaletteList(m_vChara);
  ValidatePaletteList(m_vPlacedChara);
  ValidatePaletteList(m_vItem);
  ValidatePaletteList(m_vPlacedItem);
}

void cStage::SetSpeedLevel(int level) {
  m_nSpeedLevel = level;
  const bool fixedLimit = level >= 11 && level <= 19;
  const int k = fixedLimit ? level - 10 : level;
  if (k < 1) {
    m_nSubSteps = 0;
    m_dSubSteps = 0;
    m_nSubSteps6 = 0;
    m_dSubSteps2 = 0;
    m_nAirborneSteps = 0;
    m_dSpeedLimit = 0;
    m_dSpeedLimitStep = 0;
    m_dGravityStep = 0;
    return;
  }
  m_nSubSteps = k;
  m_dSubSteps = k;
  m_nSubSteps6 = 6 * k;
  m_dSubSteps2 = static_cast<double>(k) * k;
  m_nAirborneSteps = 8 * k;
  m_dSpeedLimit = fixedLimit ? 60.0 : 6.0 * k;
  m_dSpeedLimitStep = m_dSpeedLimit / k;
  m_dGravityStep = m_dGravity / (static_cast<double>(k) * k);
}

int cStage::FindPlayer() const {
  for (size_t i = 0; i < m_vPlacedChara.size(); ++i) {
    const cCharaData& c = m_vPlacedChara[i];
    if (c.m_wGraphic != 0 && c.m_byControl == 0) return static_cast<int>(i);
  }
  return -1;
}

void cStage::CopyHeaderFrom(const cStage& src) {
  if (&src == this) return;
  CopyFrom(src);
  m_nSubSteps6 = src.m_nSubSteps6;
  AssignRecordList(m_vBg, src.m_vBg);
  AssignRecordList(m_vStr, src.m_vStr);
  m_RuleChara = src.m_RuleChara;
  m_RuleBlockChara = src.m_RuleBlockChara;
  m_RuleItem = src.m_RuleItem;
  m_RuleHeroShot = src.m_RuleHeroShot;
  m_RuleCharaShot = src.m_RuleCharaShot;
  m_vRanking = src.m_vRanking;
}

void cStage::ClearObjectLists() {
  m_vBlock.clear();
  m_vChara.clear();
  m_vItem.clear();
  m_vPlacedBlock.clear();
  m_vPlacedChara.clear();
  m_vPlacedItem.clear();
}

void cStage::SetDefContext() const { BindPaletteLists(2, m_vBlock, m_vChara, m_vItem); }
