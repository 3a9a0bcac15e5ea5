#include "project/system_data.h"

#include <algorithm>

#include "core/log.h"
#include "core/text.h"
#include "defs/def_context.h"
#include "defs/record_list.h"
#include "project/db_record.h"

namespace {

// A list of texts: uint32 count (each text takes at least its four length bytes), then the
// texts; the list is emptied and resized to the count first. Stops at the first text that
// cannot be read.
void LoadTexts(cSafeVector<std::string>& list, FILE* fp) {
  uint32_t n = 0;
  if (!ReadRecordCount(fp, n, 4)) return;
  list.assign(n, std::string());
  for (std::string& text : list)
    if (!LoadString(text, fp)) return;
}

void SaveTexts(const cSafeVector<std::string>& list, FILE* fp) {
  WriteRecordValue(fp, static_cast<uint32_t>(list.size()));
  for (const std::string& text : list) SaveString(text, fp);
}

// Inserts value at pos into a list of fixed length: the list is first resized to that length,
// the entries from pos move up by one place and the last entry is lost.
template <class T>
void InsertFixed(cSafeVector<T>& list, size_t length, size_t pos, const T& value) {
  list.resize(length);
  for (size_t i = length - 1; i > pos; --i) list[i] = list[i - 1];
  list[pos] = value;
}

cCmdItem MenuEntry(const char* name) {
  cCmdItem item;
  item.m_strName = name;
  return item;
}

IniKeyEntry NumberKey(const char* key, int32_t value) {
  IniKeyEntry entry;
  entry.SetNumberKey(key, value);
  return entry;
}

// The defaults that short lists are padded with, made once.
const cSystemData& Defaults() {
  static const cSystemData defaults;
  return defaults;
}

template <class T>
void PadList(cSafeVector<T>& list, const cSafeVector<T>& defaults, size_t length, const char* name) {
  if (list.size() >= length) return;
  ReportLog("System.dat: %s has %d entries, padded to %d", name, static_cast<int>(list.size()),
            static_cast<int>(length));
  for (size_t i = list.size(); i < length; ++i) list.push_back(i < defaults.size() ? defaults[i] : T());
}

}  // namespace

// ---- Element records ----

void DisplayItem::RegisterFields(int version) {
  AddField(&m_bShow);
  AddField(&m_bIcon);
  AddField(&m_nDigits);
  if (version >= 204) AddField(&m_bShowValue);
  if (version >= 587) {
    AddField(&m_nLowLevel);
    AddField(&m_bLowPercent);
  }
  AddStringField(&m_strLabel);
}

void DisplayItem::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  if (g_nFileVersion < 204) m_bShowValue = 1;
}

void RankingEntry::RegisterFields(int version) { AddField(&m_bRanking); }

void RankingEntry::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  LoadValueList(m_vKinds, fp);
}

void RankingEntry::Save(FILE* fp) {
  cSaveRecord::Save(fp);
  SaveValueList(m_vKinds, fp);
}

void IniKeyEntry::RegisterFields(int version) {
  AddField(&m_nKind);
  AddField(&m_nDefault);
  AddStringField(&m_strKey);
  AddStringField(&m_strDefault);
}

void IniKeyEntry::SetNumberKey(const char* key, int32_t value) {
  m_strKey = key;
  m_nKind = 0;
  m_nDefault = value;
}

void IniKeyEntry::SetTextKey(const char* key, const char* text) {
  m_strKey = key;
  m_nKind = 1;
  m_strDefault = text;
}

// ---- Texts ----

bool LoadString(std::string& text, FILE* fp) {
  uint32_t length = 0;
  if (!ReadRecordValue(fp, length)) return false;
  if (length <= 1) {
    text.clear();
    return true;
  }
  // The buffer is taken only for bytes the file holds.
  if (static_cast<unsigned long long>(RecordBytesLeft(fp)) < length) {
    FailRecordStream(fp);
    return false;
  }
  std::string bytes(length, '\0');
  if (!ReadRecordBytes(fp, bytes.data(), length)) return false;
  const size_t zero = bytes.find('\0');
  if (zero != std::string::npos) bytes.resize(zero);
  text = std::move(bytes);
  return true;
}

void SaveString(const std::string& text, FILE* fp) {
  const size_t n = std::min(text.find('\0'), text.size());
  WriteRecordValue(fp, static_cast<uint32_t>(n + 1));
  if (n == 0) return;
  WriteRecordBytes(fp, text.data(), n);
  WriteRecordValue(fp, '\0');
}

// ---- The record ----

// The behaviour switches stored after the colour settings, in file order, each stored from the
// data version in its name.
const cSystemData::SwitchField cSystemData::kSwitchFields[21] = {
    {525, &cSystemData::m_bLegacy525},  {555, &cSystemData::m_bLegacy555},  {637, &cSystemData::m_bLegacy637},
    {669, &cSystemData::m_bLegacy669},  {677, &cSystemData::m_bLegacy677},  {695, &cSystemData::m_bLegacy695},
    {696, &cSystemData::m_bLegacy696},  {697, &cSystemData::m_bLegacy697},  {721, &cSystemData::m_bLegacy721},
    {728, &cSystemData::m_bLegacy728},  {733, &cSystemData::m_bLegacy733},  {744, &cSystemData::m_bLegacy744},
    {749, &cSystemData::m_bLegacy749},  {752, &cSystemData::m_bLegacy752},  {763, &cSystemData::m_bLegacy763A},
    {763, &cSystemData::m_bLegacy763B}, {768, &cSystemData::m_bLegacy768},  {773, &cSystemData::m_bLegacy773},
    {781, &cSystemData::m_bLegacy781},  {782, &cSystemData::m_bLegacy782},  {783, &cSystemData::m_bLegacy783},
};

cSystemData::cSystemData() {
  Register(DATA_VERSION);
  SetDefault();
}

void cSystemData::RegisterFields(int v) {
  AddStringField(&m_strTitle);
  if (v >= 185) AddField(&m_bExtraLife);
  AddField(&m_nExtraLifeScore);
  AddField(&m_bMenuDraw);
  AddField(&m_bPictureChars);
  if (v >= 205) AddField(&m_nFontFace);
  if (v >= 170) AddField(&m_bFixedPitch);
  if (v >= 113) AddField(&m_bKeepFlaggedFlows);
  if (v >= 184) AddField(&m_bReplay);
  if (v >= 157) AddField(&m_bTitleMenuCentre);
  AddField(&m_bMapKeepsLives);
  if (v >= 191) {
    AddField(&m_bMissChoice);
    AddField(&m_bMapShowLives);
  }
  AddField(&m_nChallengeStages);
  AddField(&m_bChallengeAllOpen);
  if (v >= 167) {
    AddField(&m_bStoryMapScore);
    AddField(&m_bStoryTotalScore);
    if (v >= 188) AddField(&m_bStoryRestore);
    if (v >= 224) AddField(&m_bStoryMenuRetry);
    AddField(&m_bChallengeScores);
    AddField(&m_bChallengeTotalScore);
    if (v >= 188) AddField(&m_bChallengeRestore);
    if (v >= 224) AddField(&m_bChallengeMenuRetry);
    if (v >= 188) AddField(&m_bFreeRestore);
    if (v >= 192) AddField(&m_bFileRestore);
  }
  if (v >= 187) {
    AddField(&m_bFullColour);
    AddField(&m_rgbTransparent[0]);
    AddField(&m_rgbTransparent[1]);
    AddField(&m_rgbTransparent[2]);
  }
  if (v >= 214) AddField(&m_bLegacy214);
  if (v >= 221 && v <= 259) AddField(&m_nDropped);
  if (v >= 261) AddField(&m_bLegacy261);
  if (v >= 272) AddField(&m_bOption272);
  if (v >= 287) AddField(&m_bOption287);
  if (v >= 515) AddField(&m_nPaletteAnimStep);
  if (v >= 289) AddField(&m_bPaletteAnim);
  if (v >= 757) AddField(&m_bStoryMenuMap);
  for (const SwitchField& sw : kSwitchFields)
    if (v >= sw.version) AddField(&(this->*sw.member));
  if (v >= 670) {
    AddField(&m_nFullColourBpp);
    AddField(&m_nPaletteBpp);
  }
}

void cSystemData::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  const int v = g_nFileVersion;
  LoadValueList(m_vCarryGroup, fp);
  if (v >= 501) LoadValueList(m_vRestartReset, fp);
  ReadRecordList(m_vDisplayItems, fp);
  LoadValueList(m_vStartLives, fp);
  if (v >= 191) LoadValueList(m_vUnlimitedLives, fp);
  if (v >= 186) ReadRecordList(m_vRankingKinds, fp);
  LoadTexts(m_vTexts, fp);
  LoadTexts(m_vSystemSe, fp);
  LoadValueList(m_vScreenBgm, fp);
  if (v >= 202) LoadValueList(m_vScreenBgmFlag, fp);
  ReadRecordList(m_vTitleMenu, fp);
  ReadRecordList(m_vSaveMenu, fp);
  ReadRecordList(m_vOptionMenu, fp);
  if (v >= 674) LoadTexts(m_vRankingMethods, fp);
  ReadRecordList(m_vIniKeys, fp);
  if (v < DATA_VERSION) Upgrade(v);
  PadFixedLists();
  ValidateScreenBgm();
}

void cSystemData::Save(FILE* fp) {
  ValidateScreenBgm();
  cSaveRecord::Save(fp);
  SaveValueList(m_vCarryGroup, fp);
  SaveValueList(m_vRestartReset, fp);
  WriteRecordList(m_vDisplayItems, fp);
  SaveValueList(m_vStartLives, fp);
  SaveValueList(m_vUnlimitedLives, fp);
  WriteRecordList(m_vRankingKinds, fp);
  SaveTexts(m_vTexts, fp);
  SaveTexts(m_vSystemSe, fp);
  SaveValueList(m_vScreenBgm, fp);
  SaveValueList(m_vScreenBgmFlag, fp);
  WriteRecordList(m_vTitleMenu, fp);
  WriteRecordList(m_vSaveMenu, fp);
  WriteRecordList(m_vOptionMenu, fp);
  SaveTexts(m_vRankingMethods, fp);
  WriteRecordList(m_vIniKeys, fp);
}

void cSystemData::Upgrade(int v) {
  const size_t texts = SYSTEM_TEXT_COUNT;
  const size_t groups = CARRY_GROUP_COUNT;
  if (v < 113) m_bKeepFlaggedFlows = 0;
  if (v < 157) m_bTitleMenuCentre = 0;
  if (v < 167) m_bStoryMapScore = m_bStoryTotalScore = m_bChallengeScores = m_bChallengeTotalScore = 1;
  if (v < 168) InsertFixed<uint8_t>(m_vCarryGroup, groups, 16, 1);
  if (v < 169) {
    InsertFixed(m_vSaveMenu, SAVE_MENU_COUNT, 1, MenuEntry("オートセーブ"));
    InsertFixed<std::string>(m_vTexts, texts, 12, "保存先が不明です！一度は「セーブ」して下さい！");
    InsertFixed<std::string>(m_vTexts, texts, 12, "オートセーブＯＦＦ");
    InsertFixed<std::string>(m_vTexts, texts, 12, "オートセーブＯＮ");
  }
  if (v < 170) m_bFixedPitch = 0;
  if (v < 181) {
    for (RankingEntry& entry : m_vRankingKinds) {
      entry.m_vKinds.resize(RANKING_KIND_COUNT);
      entry.m_vKinds[3] = entry.m_vKinds[4] = 0;
    }
    InsertFixed<std::string>(m_vTexts, texts, 8, "残りHP");
    InsertFixed<std::string>(m_vTexts, texts, 9, "残りSP");
  }
  if (v < 184) m_bReplay = 1;
  if (v < 185) m_bExtraLife = 1;
  if (v < 187) {
    m_bFullColour = 0;
    m_rgbTransparent[0] = 0;
    m_rgbTransparent[1] = 177;
    m_rgbTransparent[2] = 0;
  }
  if (v < 188) m_bStoryRestore = m_bChallengeRestore = m_bFreeRestore = 1;
  if (v < 191) {
    m_vUnlimitedLives.assign({0, 0, 0, 1});
    m_bMissChoice = 0;
    m_bMapShowLives = 0;
  }
  if (v < 192) m_bFileRestore = 1;
  if (v < 193) {
    InsertFixed<std::string>(m_vTexts, texts, 22, "リトライ");
    InsertFixed<std::string>(m_vTexts, texts, 23, "マップへ戻る");
  }
  if (v < 201) InsertFixed<uint8_t>(m_vCarryGroup, groups, 14, 0);
  if (v < 202) m_vScreenBgmFlag.assign(SCREEN_BGM_COUNT, 1);
  if (v < 205) m_nFontFace = DEFAULT_FONT_FACE;
  if (v < 210) InsertFixed<uint8_t>(m_vCarryGroup, groups, 9, 0);
  if (v < 214) m_bLegacy214 = 1;
  if (v < 224) m_bStoryMenuRetry = m_bChallengeMenuRetry = 0;
  if (v < 261) m_bLegacy261 = 1;
  if (v < 272) m_bOption272 = 0;
  if (v < 286) {
    InsertFixed(m_vIniKeys, INI_KEY_COUNT, INIKEY_DIRECT3D, NumberKey("Direct3D", 1));
    if (m_vIniKeys[INIKEY_VSYNC].m_nDefault >= 3) m_vIniKeys[INIKEY_VSYNC].m_nDefault = 2;
  }
  if (v < 287) m_bOption287 = 0;
  if (v < 289) m_bPaletteAnim = m_bFullColour == 0 ? 1 : 0;
  if (v < 501) m_vRestartReset.assign(groups, 0);
  if (v < 515) m_nPaletteAnimStep = 16;
  if (v < 567) InsertFixed(m_vIniKeys, INI_KEY_COUNT, 4, NumberKey("DD_VideoStretch", 0));
  if (v < 568) {
    InsertFixed(m_vIniKeys, INI_KEY_COUNT, 4, NumberKey("D3D_FontCache", 0));
    InsertFixed(m_vIniKeys, INI_KEY_COUNT, 5, NumberKey("DD_FontCache", 1));
  }
  if (v < 587) {
    m_vDisplayItems.resize(DISPLAY_ITEM_COUNT);
    for (int i : {DISPITEM_HP, DISPITEM_SP}) {
      m_vDisplayItems[i].m_nLowLevel = 33;
      m_vDisplayItems[i].m_bLowPercent = 1;
    }
  }
  if (v < 637) m_bLegacy637 = v <= 616 ? 1 : 0;
  if (v < 670) {
    m_nFullColourBpp = 0;
    m_nPaletteBpp = 2;
  }
  if (v < 672) {
    m_vIniKeys.resize(INI_KEY_COUNT);
    m_vIniKeys[INIKEY_ENGLISH].SetNumberKey("English", 0);
  }
  if (v < 756) InsertFixed<std::string>(m_vTexts, texts, 22, "マップへ戻る");
  if (v < 757) m_bStoryMenuMap = 0;
  // The switches read 1 in files older than their version (the block summoning switch above
  // depends on the version).
  for (const SwitchField& sw : kSwitchFields)
    if (v < sw.version && sw.member != &cSystemData::m_bLegacy637) this->*sw.member = 1;
}

void cSystemData::PadFixedLists() {
  const cSystemData& d = Defaults();
  PadList(m_vCarryGroup, d.m_vCarryGroup, CARRY_GROUP_COUNT, "carry groups");
  PadList(m_vRestartReset, d.m_vRestartReset, CARRY_GROUP_COUNT, "restart reset");
  PadList(m_vDisplayItems, d.m_vDisplayItems, DISPLAY_ITEM_COUNT, "display items");
  PadList(m_vStartLives, d.m_vStartLives, GAME_MODE_COUNT, "start lives");
  PadList(m_vUnlimitedLives, d.m_vUnlimitedLives, GAME_MODE_COUNT, "unlimited lives");
  PadList(m_vRankingKinds, d.m_vRankingKinds, GAME_MODE_COUNT, "ranking kinds");
  // The kinds a stored mode record lacks are off, as in a new record.
  int shortKinds = 0;
  for (RankingEntry& entry : m_vRankingKinds) {
    if (entry.m_vKinds.size() >= RANKING_KIND_COUNT) continue;
    entry.m_vKinds.resize(RANKING_KIND_COUNT, 0);
    ++shortKinds;
  }
  if (shortKinds)
    ReportLog("System.dat: %d ranking entries have fewer than %d kinds, padded with kinds off", shortKinds,
              RANKING_KIND_COUNT);
  PadList(m_vTexts, d.m_vTexts, SYSTEM_TEXT_COUNT, "texts");
  PadList(m_vSystemSe, d.m_vSystemSe, SYSTEM_SE_COUNT, "system sounds");
  PadList(m_vScreenBgm, d.m_vScreenBgm, SCREEN_BGM_COUNT, "screen music");
  PadList(m_vScreenBgmFlag, d.m_vScreenBgmFlag, SCREEN_BGM_COUNT, "screen music loops");
  PadList(m_vTitleMenu, d.m_vTitleMenu, TITLE_MENU_COUNT, "title menu");
  PadList(m_vSaveMenu, d.m_vSaveMenu, SAVE_MENU_COUNT, "save menu");
  PadList(m_vOptionMenu, d.m_vOptionMenu, OPTION_MENU_COUNT, "options menu");
  PadList(m_vRankingMethods, d.m_vRankingMethods, RANKING_METHOD_COUNT, "ranking methods");
  PadList(m_vIniKeys, d.m_vIniKeys, INI_KEY_COUNT, "ini keys");
}

void cSystemData::ValidateScreenBgm() {
  const uint32_t count = static_cast<uint32_t>(g_DefContext.DbListSize(DBLIST_BGM));
  for (int32_t& bgm : m_vScreenBgm)
    if (static_cast<uint32_t>(bgm) >= count) bgm = 0;
}

int cSystemData::CountRankingKinds(int mode) const {
  const RankingEntry& entry = m_vRankingKinds.CheckedAt(mode);
  if (!entry.m_bRanking) return 0;
  return static_cast<int>(std::count_if(entry.m_vKinds.begin(), entry.m_vKinds.end(), [](uint8_t k) { return k != 0; }));
}

// ---- Menus and gauges ----

namespace {

// The widest of the system texts first .. first + count − 1, in characters.
int WidestText(int first, int count) {
  int w = 0;
  for (int i = 0; i < count; ++i) w = std::max(w, CountChars(g_SystemData.m_vTexts.CheckedAt(first + i).c_str()));
  return w;
}

}  // namespace

int GetMenuLeft(int x, int first, int count, int bCursor) {
  const int w = WidestText(first, count);
  return x - 8 * (bCursor ? w + 1 : w);
}

MenuListBox MakeMenuListBox(int x, int y, int first, int count, int bCursor) {
  MenuListBox box;
  if (count <= 0) return box;
  box.bDraw = true;
  box.x = x;
  box.y = y;
  box.nWidth = 16 * (WidestText(first, count) + (bCursor ? 1 : 0));
  box.nHeight = 16 * count;
  for (int i = 0; i < count; ++i) {
    if (bCursor) box.strText += ' ';
    box.strText += g_SystemData.m_vTexts.CheckedAt(first + i);
    box.strText += '\n';
  }
  return box;
}

bool IsGaugeLow(int item, int value, int maximum) {
  const DisplayItem& d = g_SystemData.m_vDisplayItems.CheckedAt(item);
  // A gauge without a maximum (nothing to measure against) is never low.
  if (maximum == 0) return false;
  const double level = d.m_nLowLevel;
  if (!d.m_bLowPercent) return level >= value;
  return level >= static_cast<double>(value) * 100.0 / maximum;
}
