// The system settings: the layout of "data\System.dat" in every data version, the upgrades of
// older files, the padding of short lists, damaged files, the defaults of a new project, and the
// menu, gauge and ranking functions that read the settings.
#include "project/system_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "defs/defs_fixture.h"
#include "fixture/fixture.h"
#include "support/bytes.h"
#include "support/layout_gates.h"
#include "system_bytes.h"

namespace {

// The member behind each named field of SystemFields().
int64_t Member(const cSystemData& s, const std::string& name) {
  static const std::map<std::string, std::function<int64_t(const cSystemData&)>> members = {
      {"ExtraLife", [](const cSystemData& s) { return s.m_bExtraLife; }},
      {"ExtraLifeScore", [](const cSystemData& s) { return s.m_nExtraLifeScore; }},
      {"MenuDraw", [](const cSystemData& s) { return s.m_bMenuDraw; }},
      {"PictureChars", [](const cSystemData& s) { return s.m_bPictureChars; }},
      {"FontFace", [](const cSystemData& s) { return s.m_nFontFace; }},
      {"FixedPitch", [](const cSystemData& s) { return s.m_bFixedPitch; }},
      {"KeepFlaggedFlows", [](const cSystemData& s) { return s.m_bKeepFlaggedFlows; }},
      {"Replay", [](const cSystemData& s) { return s.m_bReplay; }},
      {"TitleMenuCentre", [](const cSystemData& s) { return s.m_bTitleMenuCentre; }},
      {"MapKeepsLives", [](const cSystemData& s) { return s.m_bMapKeepsLives; }},
      {"MissChoice", [](const cSystemData& s) { return s.m_bMissChoice; }},
      {"MapShowLives", [](const cSystemData& s) { return s.m_bMapShowLives; }},
      {"ChallengeStages", [](const cSystemData& s) { return s.m_nChallengeStages; }},
      {"ChallengeAllOpen", [](const cSystemData& s) { return s.m_bChallengeAllOpen; }},
      {"StoryMapScore", [](const cSystemData& s) { return s.m_bStoryMapScore; }},
      {"StoryTotalScore", [](const cSystemData& s) { return s.m_bStoryTotalScore; }},
      {"StoryRestore", [](const cSystemData& s) { return s.m_bStoryRestore; }},
      {"StoryMenuRetry", [](const cSystemData& s) { return s.m_bStoryMenuRetry; }},
      {"ChallengeScores", [](const cSystemData& s) { return s.m_bChallengeScores; }},
      {"ChallengeTotalScore", [](const cSystemData& s) { return s.m_bChallengeTotalScore; }},
      {"ChallengeRestore", [](const cSystemData& s) { return s.m_bChallengeRestore; }},
      {"ChallengeMenuRetry", [](const cSystemData& s) { return s.m_bChallengeMenuRetry; }},
      {"FreeRestore", [](const cSystemData& s) { return s.m_bFreeRestore; }},
      {"FileRestore", [](const cSystemData& s) { return s.m_bFileRestore; }},
      {"FullColour", [](const cSystemData& s) { return s.m_bFullColour; }},
      {"Red", [](const cSystemData& s) { return s.m_rgbTransparent[0]; }},
      {"Green", [](const cSystemData& s) { return s.m_rgbTransparent[1]; }},
      {"Blue", [](const cSystemData& s) { return s.m_rgbTransparent[2]; }},
      {"Legacy214", [](const cSystemData& s) { return s.m_bLegacy214; }},
      {"Legacy261", [](const cSystemData& s) { return s.m_bLegacy261; }},
      {"Option272", [](const cSystemData& s) { return s.m_bOption272; }},
      {"Option287", [](const cSystemData& s) { return s.m_bOption287; }},
      {"PaletteAnimStep", [](const cSystemData& s) { return s.m_nPaletteAnimStep; }},
      {"PaletteAnim", [](const cSystemData& s) { return s.m_bPaletteAnim; }},
      {"StoryMenuMap", [](const cSystemData& s) { return s.m_bStoryMenuMap; }},
      {"Legacy525", [](const cSystemData& s) { return s.m_bLegacy525; }},
      {"Legacy555", [](const cSystemData& s) { return s.m_bLegacy555; }},
      {"Legacy637", [](const cSystemData& s) { return s.m_bLegacy637; }},
      {"Legacy669", [](const cSystemData& s) { return s.m_bLegacy669; }},
      {"Legacy677", [](const cSystemData& s) { return s.m_bLegacy677; }},
      {"Legacy695", [](const cSystemData& s) { return s.m_bLegacy695; }},
      {"Legacy696", [](const cSystemData& s) { return s.m_bLegacy696; }},
      {"Legacy697", [](const cSystemData& s) { return s.m_bLegacy697; }},
      {"Legacy721", [](const cSystemData& s) { return s.m_bLegacy721; }},
      {"Legacy728", [](const cSystemData& s) { return s.m_bLegacy728; }},
      {"Legacy733", [](const cSystemData& s) { return s.m_bLegacy733; }},
      {"Legacy744", [](const cSystemData& s) { return s.m_bLegacy744; }},
      {"Legacy749", [](const cSystemData& s) { return s.m_bLegacy749; }},
      {"Legacy752", [](const cSystemData& s) { return s.m_bLegacy752; }},
      {"Legacy763A", [](const cSystemData& s) { return s.m_bLegacy763A; }},
      {"Legacy763B", [](const cSystemData& s) { return s.m_bLegacy763B; }},
      {"Legacy768", [](const cSystemData& s) { return s.m_bLegacy768; }},
      {"Legacy773", [](const cSystemData& s) { return s.m_bLegacy773; }},
      {"Legacy781", [](const cSystemData& s) { return s.m_bLegacy781; }},
      {"Legacy782", [](const cSystemData& s) { return s.m_bLegacy782; }},
      {"Legacy783", [](const cSystemData& s) { return s.m_bLegacy783; }},
      {"FullColourBpp", [](const cSystemData& s) { return s.m_nFullColourBpp; }},
      {"PaletteBpp", [](const cSystemData& s) { return s.m_nPaletteBpp; }},
  };
  return members.at(name)(s);
}

std::vector<std::string> Texts(const cSafeVector<std::string>& list) { return {list.begin(), list.end()}; }

std::vector<int> Bytes(const cSafeVector<uint8_t>& list) { return {list.begin(), list.end()}; }

// {kind, key, number, text} of each key entry.
struct Key {
  uint32_t kind;
  std::string key;
  int32_t number;
  std::string text;
  bool operator==(const Key&) const = default;
};
std::vector<Key> Keys(const cSafeVector<IniKeyEntry>& list) {
  std::vector<Key> keys;
  for (const IniKeyEntry& e : list) keys.push_back({e.m_nKind, e.m_strKey, e.m_nDefault, e.m_strDefault});
  return keys;
}

void PrintTo(const Key& k, std::ostream* os) { *os << "{" << k.kind << ", " << k.key << ", " << k.number << "}"; }

// The system settings tests: the logs in a temporary folder, a clean definition context and
// g_SystemData, the tables and the version globals put back afterwards.
class SystemDataTest : public DefsTest {
 protected:
  void TearDown() override {
    g_SystemData = cSystemData();
    DefsTest::TearDown();
  }

  // Loads a file of the version and body; the bytes left unread, or -1 when the stream failed.
  long long LoadBody(cSystemData& sd, int version, const std::string& body) { return Load(sd, version, body); }
};

// ---- Layout ----

// Every version at which the layout changes, and the version before it.
TEST_F(SystemDataTest, EveryVersionReadsItsFieldsInOrder) {
  const SystemDatBytes layout;
  const std::vector<int> versions = LayoutGateVersions([&](int v) { return layout.Body(v); }, 100, DATA_VERSION);
  // The first gate of the table, at both sides.
  ASSERT_TRUE(std::binary_search(versions.begin(), versions.end(), 184));
  ASSERT_TRUE(std::binary_search(versions.begin(), versions.end(), 185));
  for (int v : versions) {
    SCOPED_TRACE(v);
    const SystemDatBytes file;
    cSystemData registered;
    registered.Register(v);
    EXPECT_EQ(registered.GetFieldCount(), StoredFieldCount(file.Body(v)));
    cSystemData sd;
    EXPECT_EQ(LoadBody(sd, v, file.Body(v)), 0);
    EXPECT_EQ(env.TakeCloseRequests(), 0);
    for (size_t i = 0; i < SystemFields().size(); ++i) {
      const SystemField& f = SystemFields()[i];
      if (v < f.from || v > f.to || std::string(f.name) == "Dropped") continue;
      EXPECT_EQ(Member(sd, f.name), file.fields[i]) << f.name;
    }
    EXPECT_EQ(sd.m_strTitle, "title");
    EXPECT_EQ(sd.m_vStartLives, (cSafeVector<int32_t>{3, 4, 5, 6}));
    EXPECT_EQ(sd.m_vSystemSe[16], "se16.wav");
    EXPECT_EQ(sd.m_vTitleMenu[6].m_strName, "title6");
    EXPECT_EQ(sd.m_vOptionMenu[5].m_strName, "option5");
    EXPECT_EQ(sd.m_vDisplayItems[4].m_strLabel, "item4");
    if (v >= 674) {
      EXPECT_EQ(sd.m_vRankingMethods[3], "m3");
    }
    if (v >= 191) {
      EXPECT_EQ(sd.m_vUnlimitedLives, (cSafeVector<int32_t>{0, 1, 0, 1}));
    }
    if (v >= 202) {
      EXPECT_EQ(Bytes(sd.m_vScreenBgmFlag), (std::vector<int>{1, 0, 1, 0}));
    }
  }
}

TEST_F(SystemDataTest, CurrentFileSavesAsItWasRead) {
  g_DefContext.anDbListSize[DBLIST_BGM] = 10;
  SystemDatBytes file;
  file.title = "ゲーム";
  file.carry[3] = 1;
  file.restartReset[24] = 1;
  file.items[2] = {0, 1, "HP", 1, 0, 25, 1};
  file.ranking[1] = {1, {0, 1, 0, 1, 0}};
  file.texts[22] = "";
  file.screenBgm = {9, 1, 0, 2};
  file.titleMenu[3].enable = 0;
  file.iniKeys[8] = {1, "FreeStage", 0, "stage.stg4"};
  file.Set("Red", 200).Set("Blue", 0xff);
  cSystemData sd;
  ASSERT_EQ(LoadBody(sd, 790, file.Body(790)), 0);
  EXPECT_EQ(Hex(Save(sd)), Hex(file.Body(790)));
  EXPECT_EQ(sd.CountRankingKinds(1), 2);
  EXPECT_EQ(sd.m_vIniKeys[8].m_strDefault, "stage.stg4");
}

TEST_F(SystemDataTest, NewProjectWrittenByTheFixtureReadsBackUnchanged) {
  TempDir root;
  fixture::Project project(root.path());
  project.database.m_vBgm.resize(4);
  cSystemData& src = project.systemData;
  src.m_strTitle = "タイトル";
  src.m_vScreenBgm = {3, 4, 1, 0};
  src.m_vTexts[0] = "two\r\nlines";
  ASSERT_TRUE(project.WriteSystemData());
  // The fixture checks the music against its own database and leaves the context as it was.
  EXPECT_EQ(g_DefContext.DbListSize(DBLIST_BGM), 0);

  g_DefContext.anDbListSize[DBLIST_BGM] = 4;
  g_bStripCR = 1;
  cSystemData loaded;
  loaded.m_vTexts.clear();
  loaded.m_nChallengeStages = 7;
  ASSERT_EQ(loaded.LoadFile(project.StoredPath("data\\System.dat").c_str()), 1);
  EXPECT_EQ(loaded.m_strTitle, "タイトル");
  EXPECT_EQ(loaded.m_vScreenBgm, (cSafeVector<int32_t>{3, 0, 1, 0}));
  // Texts of the lists keep their carriage returns even while the record strings lose theirs.
  EXPECT_EQ(loaded.m_vTexts[0], "two\r\nlines");
  EXPECT_EQ(Save(loaded), Save(src));
  EXPECT_EQ(env.ReportText().find("padded"), std::string::npos);
}

// ---- Upgrades of older files ----

TEST_F(SystemDataTest, TextsOfVersion160GetTheTextsOfLaterVersions) {
  const SystemDatBytes file;
  cSystemData sd;
  ASSERT_EQ(LoadBody(sd, 160, file.Body(160)), 0);
  const std::vector<std::string> expected = {
      "T0", "T1", "T2", "T3", "T4", "T5", "T6", "T7", "残りHP", "残りSP", "T8", "T9", "T10", "T11",
      "オートセーブＯＮ", "オートセーブＯＦＦ", "保存先が不明です！一度は「セーブ」して下さい！",
      "T12", "T13", "T14", "T15", "T16", "マップへ戻る", "リトライ", "マップへ戻る", "T17", "T18", "T19", "T20"};
  EXPECT_EQ(Texts(sd.m_vTexts), expected);
  // The save menu of that time had no auto-save entry: it is inserted at 1.
  ASSERT_EQ(sd.m_vSaveMenu.size(), 4u);
  EXPECT_EQ(sd.m_vSaveMenu[0].m_strName, "save0");
  EXPECT_EQ(sd.m_vSaveMenu[1].m_strName, "オートセーブ");
  EXPECT_EQ(sd.m_vSaveMenu[1].m_bEnable, 1u);
  EXPECT_EQ(sd.m_vSaveMenu[3].m_strName, "save2");
}

TEST_F(SystemDataTest, TextTwentyTwoOfFilesBefore756ReturnsToTheMap) {
  const SystemDatBytes file;
  for (int v : {755, 756}) {
    cSystemData sd;
    ASSERT_EQ(LoadBody(sd, v, file.Body(v)), 0);
    EXPECT_EQ(sd.m_vTexts[22], v < 756 ? "マップへ戻る" : "T22");
    EXPECT_EQ(sd.m_vTexts[28], v < 756 ? "T27" : "T28");
  }
  EXPECT_EQ(cSystemData().m_vTexts[22], "");
}

TEST_F(SystemDataTest, IniKeyTablesOfOlderVersionsBecomeTheTenKeys) {
  const std::vector<Key> full = {{0, "Direct3D", 1, ""},      {0, "WindowMode", 1, ""},     {0, "Bpp", 16, ""},
                                 {0, "VSync", 2, ""},         {0, "D3D_FontCache", 0, ""},  {0, "DD_FontCache", 1, ""},
                                 {0, "DD_VideoStretch", 0, ""}, {0, "ShowFps", 1, ""},      {1, "FreeStage", 0, "a"},
                                 {0, "English", 0, ""}};
  const IniKeyBytes d3d{0, "Direct3D", 1, ""}, wm{0, "WindowMode", 1, ""}, bpp{0, "Bpp", 16, ""};
  const IniKeyBytes vsync3{0, "VSync", 3, ""}, vsync2{0, "VSync", 2, ""}, stretch{0, "DD_VideoStretch", 0, ""};
  const IniKeyBytes fps{0, "ShowFps", 1, ""}, stage{1, "FreeStage", 0, "a"}, other{0, "Other", 5, ""};
  struct Row {
    int version;
    std::vector<IniKeyBytes> stored;
    std::vector<Key> expected;
  };
  std::vector<Key> keepsVSync3 = full;
  keepsVSync3[3].number = 3;
  const Row rows[] = {
      // Before 286 the table began with the window mode, and a VSync default of 3 meant what 2 means now.
      {285, {wm, bpp, vsync3, fps, stage}, full},
      {285, {wm, bpp, vsync2, fps, stage}, full},
      {286, {d3d, wm, bpp, vsync3, fps, stage}, keepsVSync3},
      {566, {d3d, wm, bpp, vsync2, fps, stage}, full},
      {567, {d3d, wm, bpp, vsync2, stretch, fps, stage}, full},
      // Entry 9 becomes "English" whatever it held.
      {671, {d3d, wm, bpp, vsync2, {0, "D3D_FontCache", 0, ""}, {0, "DD_FontCache", 1, ""}, stretch, fps, stage, other},
       full},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.version);
    SystemDatBytes file;
    file.iniKeys = row.stored;
    cSystemData sd;
    ASSERT_EQ(LoadBody(sd, row.version, file.Body(row.version)), 0);
    EXPECT_EQ(Keys(sd.m_vIniKeys), row.expected);
  }
}

TEST_F(SystemDataTest, BehaviourSwitchesAreSetForFilesOlderThanTheirVersion) {
  // {field, version from which the file stores it}; files of the version before read 1.
  const std::vector<std::pair<const char*, int>> switches = {
      {"Legacy214", 214}, {"Legacy261", 261}, {"Legacy525", 525}, {"Legacy555", 555}, {"Legacy669", 669},
      {"Legacy677", 677}, {"Legacy695", 695}, {"Legacy696", 696}, {"Legacy697", 697}, {"Legacy721", 721},
      {"Legacy728", 728}, {"Legacy733", 733}, {"Legacy744", 744}, {"Legacy749", 749}, {"Legacy752", 752},
      {"Legacy763A", 763}, {"Legacy763B", 763}, {"Legacy768", 768}, {"Legacy773", 773}, {"Legacy781", 781},
      {"Legacy782", 782}, {"Legacy783", 783}};
  SystemDatBytes file;
  for (size_t i = 0; i < file.fields.size(); ++i) file.fields[i] = 0;
  for (const auto& [name, version] : switches) {
    SCOPED_TRACE(name);
    cSystemData older, current;
    ASSERT_EQ(LoadBody(older, version - 1, file.Body(version - 1)), 0);
    ASSERT_EQ(LoadBody(current, version, file.Body(version)), 0);
    EXPECT_EQ(Member(older, name), 1);
    EXPECT_EQ(Member(current, name), 0);
  }
  // The two options keep 0 in older files.
  cSystemData old;
  ASSERT_EQ(LoadBody(old, 200, file.Body(200)), 0);
  EXPECT_EQ(old.m_bOption272, 0);
  EXPECT_EQ(old.m_bOption287, 0);
}

TEST_F(SystemDataTest, BlockSummonSwitchDependsOnTheVersionOfOlderFiles) {
  SystemDatBytes file;
  file.Set("Legacy637", 0);
  for (auto [version, expected] : {std::pair{600, 1}, {616, 1}, {617, 0}, {620, 0}, {636, 0}, {637, 0}}) {
    cSystemData sd;
    ASSERT_EQ(LoadBody(sd, version, file.Body(version)), 0);
    EXPECT_EQ(sd.m_bLegacy637, expected) << version;
  }
}

TEST_F(SystemDataTest, OlderFilesGetTheValuesTheirVersionLacked) {
  struct Row {
    int version;
    const char* what;
    std::function<void(SystemDatBytes&)> prepare;
    std::function<void(const cSystemData&)> check;
  };
  const Row rows[] = {
      {190, "unlimited lives and the miss choice",
       [](SystemDatBytes&) {},
       [](const cSystemData& s) {
         EXPECT_EQ(s.m_vUnlimitedLives, (cSafeVector<int32_t>{0, 0, 0, 1}));
         EXPECT_EQ(s.m_bMissChoice, 0);
         EXPECT_EQ(s.m_bMapShowLives, 0);
         EXPECT_EQ(s.m_bFileRestore, 1);
       }},
      {166, "carry groups inserted at 16, 14 and 9",
       [](SystemDatBytes& f) {
         f.carry.clear();
         for (int i = 0; i < 25; ++i) f.carry.push_back(static_cast<uint8_t>(100 + i));
       },
       [](const cSystemData& s) {
         // 1 inserted at 16 (below 168), then 0 at 14 (below 201), then 0 at 9 (below 210).
         EXPECT_EQ(Bytes(s.m_vCarryGroup),
                   (std::vector<int>{100, 101, 102, 103, 104, 105, 106, 107, 108, 0,   109, 110, 111,
                                     112, 113, 0,   114, 115, 1,   116, 117, 118, 119, 120, 121}));
         EXPECT_EQ(s.m_bStoryMapScore, 1);
         EXPECT_EQ(s.m_bChallengeTotalScore, 1);
       }},
      {180, "ranking kinds 3 and 4 of every mode off",
       [](SystemDatBytes&) {},
       [](const cSystemData& s) {
         for (int mode = 0; mode < 3; ++mode) EXPECT_EQ(Bytes(s.m_vRankingKinds[mode].m_vKinds), (std::vector<int>{1, 1, 1, 0, 0}));
         EXPECT_EQ(s.m_bReplay, 1);
         EXPECT_EQ(s.m_bExtraLife, 1);
       }},
      {186, "the transparent colour of palette projects",
       [](SystemDatBytes&) {},
       [](const cSystemData& s) {
         EXPECT_EQ(s.m_bFullColour, 0);
         EXPECT_EQ(s.m_rgbTransparent[0], 0);
         EXPECT_EQ(s.m_rgbTransparent[1], 177);
         EXPECT_EQ(s.m_rgbTransparent[2], 0);
         EXPECT_EQ(s.m_bStoryRestore, 1);
       }},
      {201, "screen music loops and the font face",
       [](SystemDatBytes&) {},
       [](const cSystemData& s) {
         EXPECT_EQ(Bytes(s.m_vScreenBgmFlag), (std::vector<int>{1, 1, 1, 1}));
         EXPECT_EQ(s.m_nFontFace, 60);
         EXPECT_EQ(s.m_bStoryMenuRetry, 0);
         EXPECT_EQ(s.m_bChallengeMenuRetry, 0);
       }},
      {203, "value over the gauges shown",
       [](SystemDatBytes&) {},
       [](const cSystemData& s) {
         for (const DisplayItem& d : s.m_vDisplayItems) EXPECT_EQ(d.m_bShowValue, 1u);
       }},
      {288, "palette animation of a full-colour project",
       [](SystemDatBytes& f) { f.Set("FullColour", 1); },
       [](const cSystemData& s) { EXPECT_EQ(s.m_bPaletteAnim, 0); }},
      {288, "palette animation of a palette project",
       [](SystemDatBytes& f) { f.Set("FullColour", 0); },
       [](const cSystemData& s) { EXPECT_EQ(s.m_bPaletteAnim, 1); }},
      {500, "restart reset switches and the colour pulse",
       [](SystemDatBytes&) {},
       [](const cSystemData& s) {
         EXPECT_EQ(Bytes(s.m_vRestartReset), std::vector<int>(25, 0));
         EXPECT_EQ(s.m_nPaletteAnimStep, 16);
       }},
      {586, "low levels of the gauges",
       [](SystemDatBytes&) {},
       [](const cSystemData& s) {
         EXPECT_EQ(s.m_vDisplayItems[DISPITEM_HP].m_nLowLevel, 33u);
         EXPECT_EQ(s.m_vDisplayItems[DISPITEM_SP].m_bLowPercent, 1u);
         EXPECT_EQ(s.m_vDisplayItems[DISPITEM_LIVES].m_nLowLevel, 0u);
       }},
      {669, "screen depths",
       [](SystemDatBytes&) {},
       [](const cSystemData& s) {
         EXPECT_EQ(s.m_nFullColourBpp, 0);
         EXPECT_EQ(s.m_nPaletteBpp, 2);
       }},
      {756, "the return-to-map entry of the in-game menu",
       [](SystemDatBytes&) {},
       [](const cSystemData& s) { EXPECT_EQ(s.m_bStoryMenuMap, 0); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SystemDatBytes file;
    row.prepare(file);
    cSystemData sd;
    // Values the file does not hold must come from the upgrade, not from the record before.
    sd.m_nFontFace = 3;
    sd.m_nPaletteBpp = 0;
    sd.m_bStoryMenuMap = 1;
    ASSERT_EQ(LoadBody(sd, row.version, file.Body(row.version)), 0);
    row.check(sd);
  }
}

// ---- Short lists and damaged files ----

TEST_F(SystemDataTest, ShortListsArePaddedWithTheDefaults) {
  SystemDatBytes file;
  file.texts.resize(3);
  file.systemSe.clear();
  file.titleMenu.resize(2);
  file.iniKeys.clear();
  file.ranking.resize(1);
  file.ranking[0].kinds = {1, 1};
  file.items.resize(2);
  file.startLives.clear();
  file.carry.assign(10, 1);
  file.screenBgmFlag.clear();
  file.rankingMethods.resize(1);
  const std::string path = env.dir() / "System.dat";
  WriteFileBytes(path, ByteWriter().I32(790).Bytes(file.Body(790)).str());

  cSystemData sd;
  ASSERT_EQ(sd.LoadFile(path.c_str()), 1);
  EXPECT_EQ(env.TakeCloseRequests(), 0);
  const cSystemData d;
  EXPECT_EQ(sd.m_vTexts.size(), 29u);
  EXPECT_EQ(sd.m_vTexts[2], "T2");
  EXPECT_EQ(sd.m_vTexts[3], d.m_vTexts[3]);
  EXPECT_EQ(sd.m_vTexts[28], d.m_vTexts[28]);
  EXPECT_EQ(Texts(sd.m_vSystemSe), std::vector<std::string>(17, ""));
  ASSERT_EQ(sd.m_vTitleMenu.size(), 7u);
  EXPECT_EQ(sd.m_vTitleMenu[1].m_strName, "title1");
  EXPECT_EQ(sd.m_vTitleMenu[6].m_strName, "しゅうりょう");
  EXPECT_EQ(Keys(sd.m_vIniKeys), Keys(d.m_vIniKeys));
  ASSERT_EQ(sd.m_vRankingKinds.size(), 4u);
  // A mode record's missing kinds are off; missing mode records are the defaults.
  EXPECT_EQ(Bytes(sd.m_vRankingKinds[0].m_vKinds), (std::vector<int>{1, 1, 0, 0, 0}));
  EXPECT_EQ(sd.CountRankingKinds(2), 5);
  EXPECT_EQ(sd.CountRankingKinds(3), 0);
  ASSERT_EQ(sd.m_vDisplayItems.size(), 5u);
  EXPECT_EQ(sd.m_vDisplayItems[4].m_strLabel, "人");
  EXPECT_EQ(sd.m_vStartLives.size(), 4u);
  EXPECT_EQ(Bytes(sd.m_vCarryGroup), Bytes([&] {
              cSafeVector<uint8_t> v(10, 1);
              v.insert(v.end(), d.m_vCarryGroup.begin() + 10, d.m_vCarryGroup.end());
              return v;
            }()));
  EXPECT_EQ(sd.m_vScreenBgmFlag.size(), 4u);
  EXPECT_EQ(sd.m_vRankingMethods[3], d.m_vRankingMethods[3]);
  const std::string report = env.ReportText();
  EXPECT_NE(report.find("System.dat: texts has 3 entries, padded to 29"), std::string::npos) << report;
  EXPECT_NE(report.find("System.dat: ini keys has 0 entries, padded to 10"), std::string::npos);
  EXPECT_NE(report.find("System.dat: 1 ranking entries have fewer than 5 kinds"), std::string::npos);
}

TEST_F(SystemDataTest, TextsOfTheListsReadAsStored) {
  struct Row {
    std::string bytes;
    bool ok;
    std::string text;
    long long left;
  };
  const std::string tail = "tail";
  const Row rows[] = {
      {ByteWriter().U32(1).Bytes(tail).str(), true, "", 4},
      {ByteWriter().U32(0).Bytes(tail).str(), true, "", 4},
      {ByteWriter().U32(5).Bytes(std::string("abc\0\0", 5)).Bytes(tail).str(), true, "abc", 4},
      {ByteWriter().U32(4).Bytes(std::string("a\0c\0", 4)).Bytes(tail).str(), true, "a", 4},
      // Lengths the file cannot hold fail the stream, the text unchanged.
      {ByteWriter().U32(9).Bytes("abc").str(), false, "old", -1},
      {ByteWriter().U32(0x7fffffff).Bytes(tail).str(), false, "old", -1},
      {ByteWriter().U32(0xffffffff).Bytes(tail).str(), false, "old", -1},
      {ByteWriter().U16(1).str(), false, "old", -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Hex(row.bytes));
    std::string text = "old";
    bool ok = false;
    const long long left = ReadFile(790, row.bytes, [&](FILE* fp) { ok = LoadString(text, fp); });
    EXPECT_EQ(ok, row.ok);
    EXPECT_EQ(text, row.text);
    EXPECT_EQ(left, row.left);
  }
  // Written up to the first zero, with the zero; the empty text is its length alone.
  EXPECT_EQ(Hex(WriteFile([](FILE* fp) { SaveString(std::string("ab\0c", 4), fp); })),
            Hex(ByteWriter().U32(3).Bytes(std::string("ab\0", 3)).str()));
  EXPECT_EQ(Hex(WriteFile([](FILE* fp) { SaveString("", fp); })), Hex(ByteWriter().U32(1).str()));
}

TEST_F(SystemDataTest, DamagedFilesFailAndLeaveEveryListItsLength) {
  SystemDatBytes file;
  file.systemSe[3] = std::string(5000, 'x');
  const std::string body = file.Body(790);
  std::vector<std::string> damaged;
  // Every cut of the file, in steps that land inside fields, counts, lengths and texts.
  for (size_t n = 0; n < body.size(); n += 7) damaged.push_back(body.substr(0, n));
  // A text length beyond the file.
  SystemDatBytes badText;
  badText.texts[5] = "abc";
  std::string bad = badText.Body(790);
  const std::string needle = ByteWriter().Str("abc").str();
  bad.replace(bad.find(needle), 4, ByteWriter().U32(0x10000000).str());
  damaged.push_back(bad);
  // Counts the file cannot hold.
  SystemDatBytes hugeCount;
  hugeCount.iniKeys.clear();
  std::string huge = hugeCount.Body(790);
  huge.replace(huge.size() - 4, 4, ByteWriter().U32(0xffffffff).str());
  damaged.push_back(huge);

  const std::string path = env.dir() / "System.dat";
  for (const std::string& d : damaged) {
    WriteFileBytes(path, ByteWriter().I32(790).Bytes(d).str());
    cSystemData sd;
    ASSERT_EQ(sd.LoadFile(path.c_str()), 0) << d.size();
    EXPECT_GE(sd.m_vTexts.size(), 29u);
    EXPECT_GE(sd.m_vSystemSe.size(), 17u);
    EXPECT_GE(sd.m_vIniKeys.size(), 10u);
    EXPECT_GE(sd.m_vOptionMenu.size(), 6u);
    for (const RankingEntry& r : sd.m_vRankingKinds) EXPECT_GE(r.m_vKinds.size(), 5u);
  }
  EXPECT_EQ(env.TakeCloseRequests(), 0);
  // The whole file reads.
  WriteFileBytes(path, ByteWriter().I32(790).Bytes(body).str());
  cSystemData sd;
  EXPECT_EQ(sd.LoadFile(path.c_str()), 1);
  EXPECT_EQ(sd.m_vSystemSe[3].size(), 5000u);
}

// ---- Checks and queries ----

TEST_F(SystemDataTest, ScreenMusicBeyondTheMusicListIsSilence) {
  g_DefContext.anDbListSize[DBLIST_BGM] = 3;
  SystemDatBytes file;
  file.screenBgm = {2, 3, -1, 1};
  cSystemData sd;
  ASSERT_EQ(LoadBody(sd, 790, file.Body(790)), 0);
  EXPECT_EQ(sd.m_vScreenBgm, (cSafeVector<int32_t>{2, 0, 0, 1}));
  sd.m_vScreenBgm = {3, INT_MIN, 2, 0};
  Save(sd);
  EXPECT_EQ(sd.m_vScreenBgm, (cSafeVector<int32_t>{0, 0, 2, 0}));
}

TEST_F(SystemDataTest, RankingKindsCountTheKindsOfModesWithRankings) {
  cSystemData sd;
  sd.m_vRankingKinds[0].m_vKinds = {1, 0, 2, 0, 1};
  sd.m_vRankingKinds[1].m_bRanking = 0;
  sd.m_vRankingKinds[2].m_vKinds = {0, 0, 0, 0, 0};
  EXPECT_EQ(sd.CountRankingKinds(0), 3);
  EXPECT_EQ(sd.CountRankingKinds(1), 0);
  EXPECT_EQ(sd.CountRankingKinds(2), 0);
  EXPECT_EQ(sd.CountRankingKinds(3), 0);
  EXPECT_EQ(env.TakeCloseRequests(), 0);
  // A mode outside the list takes the checked access's fatal path (and reads mode 0).
  EXPECT_EQ(sd.CountRankingKinds(4), 3);
  EXPECT_EQ(env.TakeCloseRequests(), 1);
}

TEST_F(SystemDataTest, MenusOfSystemTextsAreLaidOutAroundTheirCentre) {
  // Texts 12 and 13 ("セーブする", "やっぱりやめる"): 7 characters at most.
  EXPECT_EQ(GetMenuLeft(320, 12, 2, 1), 256);
  EXPECT_EQ(GetMenuLeft(320, 12, 2, 0), 264);
  EXPECT_EQ(GetMenuLeft(320, 12, 0, 1), 312);
  EXPECT_EQ(GetMenuLeft(320, 12, 0, 0), 320);

  const MenuListBox box = MakeMenuListBox(256, 400, 12, 2, 1);
  EXPECT_TRUE(box.bDraw);
  EXPECT_EQ(box.x, 256);
  EXPECT_EQ(box.y, 400);
  EXPECT_EQ(box.nWidth, 128);
  EXPECT_EQ(box.nHeight, 32);
  EXPECT_EQ(box.strText, " セーブする\n やっぱりやめる\n");
  // Text 16 alone, without the cursor column: 23 characters.
  const MenuListBox single = MakeMenuListBox(0, 232, 16, 1, 0);
  EXPECT_EQ(single.nWidth, 16 * 23);
  EXPECT_EQ(single.nHeight, 16);
  EXPECT_EQ(single.strText, g_SystemData.m_vTexts[16] + "\n");
  EXPECT_FALSE(MakeMenuListBox(0, 0, 12, 0, 1).bDraw);
  EXPECT_EQ(env.TakeCloseRequests(), 0);
  // Texts beyond the list take the checked access's fatal path.
  GetMenuLeft(320, 28, 2, 1);
  EXPECT_EQ(env.TakeCloseRequests(), 1);
}

TEST_F(SystemDataTest, GaugesAreLowAtOrBelowTheirLevel) {
  DisplayItem& hp = g_SystemData.m_vDisplayItems[DISPITEM_HP];
  hp.m_nLowLevel = 33;
  hp.m_bLowPercent = 1;
  DisplayItem& sp = g_SystemData.m_vDisplayItems[DISPITEM_SP];
  sp.m_nLowLevel = 5;
  sp.m_bLowPercent = 0;
  struct Row {
    int item, value, maximum;
    bool low;
  };
  const Row rows[] = {
      {DISPITEM_HP, 33, 100, true}, {DISPITEM_HP, 34, 100, false}, {DISPITEM_HP, 1, 3, false},
      {DISPITEM_HP, 0, 3, true},    {DISPITEM_HP, 5, 0, false},     {DISPITEM_HP, 0, 0, false},
      {DISPITEM_HP, -1, 0, false},  {DISPITEM_SP, 5, 100, true},    {DISPITEM_SP, 6, 100, false},
      {DISPITEM_SP, -3, 100, true}, {DISPITEM_SP, 5, 0, false},
  };
  for (const Row& r : rows)
    EXPECT_EQ(IsGaugeLow(r.item, r.value, r.maximum), r.low) << r.item << " " << r.value << "/" << r.maximum;
}

// ---- Defaults ----

TEST_F(SystemDataTest, NewProjectDefaults) {
  const cSystemData sd;
  EXPECT_EQ(sd.m_strTitle, "");
  EXPECT_EQ(sd.m_nExtraLifeScore, 100);
  EXPECT_EQ(sd.m_nFontFace, 60);
  EXPECT_EQ(sd.m_nChallengeStages, 40);
  EXPECT_EQ(sd.m_nPaletteAnimStep, 16);
  EXPECT_EQ(sd.m_nPaletteBpp, 2);
  EXPECT_EQ(sd.m_bStoryMenuMap, 1);
  EXPECT_EQ(sd.m_bFileRestore, 0);
  EXPECT_EQ(sd.m_bLegacy214 + sd.m_bLegacy637 + sd.m_bLegacy783 + sd.m_bLegacy696, 0);
  EXPECT_EQ(Bytes(sd.m_vCarryGroup), (std::vector<int>{1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                       1, 1, 0, 1, 1, 0, 1, 1, 1, 0, 0, 0}));
  std::vector<int> reset(25, 0);
  reset[11] = reset[12] = 1;
  EXPECT_EQ(Bytes(sd.m_vRestartReset), reset);
  ASSERT_EQ(sd.m_vDisplayItems.size(), 5u);
  EXPECT_EQ(sd.m_vDisplayItems[0].m_nDigits, 4u);
  EXPECT_EQ(sd.m_vDisplayItems[2].m_strLabel, "HP");
  EXPECT_EQ(sd.m_vDisplayItems[4].m_strLabel, "人");
  EXPECT_EQ(sd.m_vDisplayItems[3].m_nLowLevel, 0u);
  EXPECT_EQ(sd.CountRankingKinds(0), 5);
  EXPECT_EQ(sd.CountRankingKinds(2), 5);
  EXPECT_EQ(Bytes(sd.m_vRankingKinds[3].m_vKinds), std::vector<int>(5, 0));
  EXPECT_EQ(sd.m_vTitleMenu[6].m_strName, "しゅうりょう");
  EXPECT_EQ(sd.m_vSaveMenu[1].m_strName, "オートセーブ");
  // Entry k edits option k: palette, music, sound-effect volume, ranking mode, ranking name,
  // return.
  ASSERT_EQ(sd.m_vOptionMenu.size(), 6u);
  EXPECT_EQ(sd.m_vOptionMenu[0].m_strName, "パレット");
  EXPECT_EQ(sd.m_vOptionMenu[1].m_strName, "BGM");
  EXPECT_EQ(sd.m_vOptionMenu[4].m_strName, "ランキング登録名");
  EXPECT_EQ(sd.m_vOptionMenu[5].m_strName, "もどる");
  EXPECT_EQ(sd.m_vOptionMenu[0].m_bEnable, 1u);
  EXPECT_EQ(sd.m_vOptionMenu[5].m_bEnable, 1u);
  EXPECT_EQ(sd.m_vRankingMethods[2], "自動登録（登録名入力）");
  EXPECT_EQ(sd.m_vTexts.size(), 29u);
  EXPECT_EQ(sd.m_vTexts[16], "保存先が不明です！一度は「セーブ」して下さい！");
  EXPECT_EQ(sd.m_vTexts[28], "F3キーでランキングへ登録");
  EXPECT_EQ(Texts(sd.m_vSystemSe), std::vector<std::string>(17, ""));
  EXPECT_EQ(sd.m_vScreenBgm, cSafeVector<int32_t>(4, 0));
  const std::vector<Key> keys = {{0, "Direct3D", 2, ""},      {0, "WindowMode", 0, ""},   {0, "Bpp", 0, ""},
                                 {0, "VSync", 2, ""},         {0, "D3D_FontCache", 0, ""}, {0, "DD_FontCache", 1, ""},
                                 {0, "DD_VideoStretch", 0, ""}, {0, "ShowFps", 1, ""},     {1, "FreeStage", 0, ""},
                                 {0, "English", 0, ""}};
  EXPECT_EQ(Keys(sd.m_vIniKeys), keys);
}

TEST_F(SystemDataTest, FontFaceTableAndItsFallback) {
  EXPECT_STREQ(g_lpszFontFace[0], "System");
  EXPECT_STREQ(g_lpszFontFace[59], "ＭＳ ゴシック");
  EXPECT_STREQ(g_lpszFontFace[100], "メイリオ");
  EXPECT_STREQ(g_lpszFontFace[121], "Sydnie");
  EXPECT_STREQ(g_lpszFontFace[122], "");
  EXPECT_STREQ(FontFaceName(60), "ＭＳ Ｐゴシック");
  EXPECT_STREQ(FontFaceName(-1), "ＭＳ Ｐゴシック");
  EXPECT_STREQ(FontFaceName(123), "ＭＳ Ｐゴシック");
  EXPECT_STREQ(FontFaceName(INT_MIN), "ＭＳ Ｐゴシック");
}

}  // namespace
