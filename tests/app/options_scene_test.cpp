// The options screen without a drawing device: its entries, values that wrap in their ranges and
// take effect at once, a cancelled edit put back, the name dialog, and the options file written
// only when the screen is left.
#include "app/options_scene.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/menu_cursor.h"
#include "project/option_data.h"
#include "project/system_data.h"
#include "screen_fixture.h"
#include "support/bytes.h"
#include "ui/input.h"

namespace {

std::vector<int> g_palettes;
std::vector<int> g_volumes;

int RecordPalette(int n) {
  g_palettes.push_back(n);
  return 1;
}
void RecordVolume(int step) { g_volumes.push_back(step); }

class OptionsSceneTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    g_palettes.clear();
    g_volumes.clear();
    g_OptionAppliers.lpfnPalette = &RecordPalette;
    g_OptionAppliers.lpfnSeVolume = &RecordVolume;
    scene.m_nPhase = cSettingsScene::PHASE_MENU;
    scene.SetUpEntries();
  }

  // A frame of the menu with this input.
  int Frame(int dir, int buttons) {
    Input(dir, buttons);
    return scene.StepMenu();
  }

  // Opens the edit of the entry of that kind.
  void Edit(int kind) {
    Frame(0, 0);
    int row = -1;
    for (int i = 0; i < scene.m_nEntries; ++i)
      if (scene.m_nKind[i] == kind) row = i;
    ASSERT_GE(row, 0);
    g_Cursor.Current().nRow = row;
    Frame(0, 1);
    ASSERT_EQ(scene.m_nStep, cSettingsScene::STEP_EDIT);
    ASSERT_EQ(scene.m_nEditKind, kind);
  }

  std::string OptionFile() const { return env.dir() / "user_data/Option.dat"; }

  cSettingsScene scene;
};

TEST_F(OptionsSceneTest, EntriesAreTheEnabledKindsAtMostSix) {
  ASSERT_EQ(scene.m_nEntries, 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(scene.m_nKind[i], i);

  g_SystemData.m_vOptionMenu.resize(9);
  for (cCmdItem& item : g_SystemData.m_vOptionMenu) item.m_bEnable = 1;
  scene.SetUpEntries();
  EXPECT_EQ(scene.m_nEntries, 6);

  for (cCmdItem& item : g_SystemData.m_vOptionMenu) item.m_bEnable = 0;
  g_SystemData.m_vOptionMenu[2].m_bEnable = 1;
  g_SystemData.m_vOptionMenu[5].m_bEnable = 1;
  scene.SetUpEntries();
  ASSERT_EQ(scene.m_nEntries, 2);
  EXPECT_EQ(scene.m_nKind[0], 2);
  EXPECT_EQ(scene.m_nKind[1], 5);

  for (cCmdItem& item : g_SystemData.m_vOptionMenu) item.m_bEnable = 0;
  scene.SetUpEntries();
  ASSERT_EQ(scene.m_nEntries, 1);
  EXPECT_EQ(scene.m_nKind[0], 0);
}

// Row k of a new project's options screen edits option k, so its label names that option:
// palette number, music, sound-effect volume, ranking mode, ranking name, return.
TEST_F(OptionsSceneTest, EachRowOfANewProjectIsLabelledWithTheOptionItEdits) {
  const char* const labels[] = {"パレット", "BGM", "SE", "ランキング登録", "ランキング登録名", "もどる"};
  ASSERT_EQ(scene.m_nEntries, 6);
  for (int row = 0; row < 6; ++row) EXPECT_EQ(scene.EntryName(row), labels[row]) << row;
  EXPECT_EQ(scene.m_nKind[1], OPTION_BGM);
  EXPECT_EQ(scene.m_nKind[5], OPTION_RETURN);

  // With entries switched off, the rows keep the names of the kinds they edit.
  g_SystemData.m_vOptionMenu[OPTION_PALETTE].m_bEnable = 0;
  g_SystemData.m_vOptionMenu[OPTION_SE_VOLUME].m_bEnable = 0;
  scene.SetUpEntries();
  ASSERT_EQ(scene.m_nEntries, 4);
  const char* const shown[] = {"BGM", "ランキング登録", "ランキング登録名", "もどる"};
  for (int row = 0; row < 4; ++row) EXPECT_EQ(scene.EntryName(row), shown[row]) << row;
  EXPECT_EQ(scene.ValueText(scene.m_nKind[0]), g_OptionData.m_bBgm ? "ON" : "OFF");
}

TEST_F(OptionsSceneTest, ValuesWrapInTheirRangesAndTakeEffectAtOnce) {
  struct Case {
    int kind;
    int start;
    int dir;
    int expected;
  } cases[] = {
      {OPTION_SE_VOLUME, 10, INPUT_UP, 0},      {OPTION_SE_VOLUME, 0, INPUT_DOWN, 10},
      {OPTION_SE_VOLUME, 9, INPUT_UP, 10},      {OPTION_PALETTE, 0, INPUT_DOWN, 23},
      {OPTION_PALETTE, 23, INPUT_UP, 0},        {OPTION_PALETTE, 22, INPUT_UP, 23},
      {OPTION_BGM, 1, INPUT_UP, 0},             {OPTION_BGM, 1, INPUT_DOWN, 0},
      {OPTION_BGM, 0, INPUT_UP, 1},             {OPTION_RANKING_METHOD, 3, INPUT_UP, 0},
      {OPTION_RANKING_METHOD, 0, INPUT_DOWN, 3},
  };
  for (const Case& c : cases) {
    g_palettes.clear();
    g_volumes.clear();
    g_Cursor.Reset();
    scene.m_nStep = cSettingsScene::STEP_ENTER;
    int32_t* fields[] = {&g_OptionData.m_nPalette, &g_OptionData.m_bBgm, &g_OptionData.m_nSeVolume,
                         &g_OptionData.m_nRankingMethod};
    *fields[c.kind] = c.start;
    Edit(c.kind);
    EXPECT_EQ(Frame(c.dir, 0), cSettingsScene::DRAW_EDIT_CURSORS);
    EXPECT_EQ(*fields[c.kind], c.expected) << c.kind << " from " << c.start;
    EXPECT_EQ(g_palettes, c.kind == OPTION_PALETTE ? std::vector<int>{c.expected} : std::vector<int>{});
    EXPECT_EQ(g_volumes, c.kind == OPTION_SE_VOLUME ? std::vector<int>{c.expected} : std::vector<int>{});
    // Decided: the value stays and the cursor is back on its entry.
    Frame(0, 1);
    EXPECT_EQ(scene.m_nStep, cSettingsScene::STEP_CHOOSE);
    EXPECT_EQ(*fields[c.kind], c.expected);
    EXPECT_EQ(g_Cursor.Depth(), 1);
    EXPECT_EQ(scene.m_nKind[g_Cursor.Current().nRow], c.kind);
  }
}

TEST_F(OptionsSceneTest, CancelPutsTheOldValueBackAndAppliesIt) {
  g_OptionData.m_nPalette = 5;
  Edit(OPTION_PALETTE);
  Frame(INPUT_UP, 0);
  Frame(INPUT_UP, 0);
  EXPECT_EQ(g_OptionData.m_nPalette, 7);
  Frame(0, 2);
  EXPECT_EQ(g_OptionData.m_nPalette, 5);
  EXPECT_EQ(g_palettes, (std::vector<int>{6, 7, 5}));
  EXPECT_EQ(scene.m_nStep, cSettingsScene::STEP_CHOOSE);
  EXPECT_EQ(scene.m_nPhase, cSettingsScene::PHASE_MENU) << "a cancelled edit stays on the screen";

  g_OptionData.m_nSeVolume = 7;
  Edit(OPTION_SE_VOLUME);
  Frame(INPUT_DOWN, 0);
  Frame(0, 2);
  EXPECT_EQ(g_OptionData.m_nSeVolume, 7);
  EXPECT_EQ(g_volumes, (std::vector<int>{6, 7}));
  EXPECT_FALSE(ReadFileBytes(OptionFile()).size()) << "nothing is written before the screen is left";
}

TEST_F(OptionsSceneTest, NameDialogAndLeaving) {
  Frame(0, 0);
  g_Cursor.Current().nRow = OPTION_RANKING_NAME;
  EXPECT_EQ(Frame(0, 1), cSettingsScene::DRAW_ENTRY_CURSOR);
  EXPECT_EQ(g_req.nameDialog, 1);
  EXPECT_EQ(g_OptionData.m_strRankingName, "xyz");
  EXPECT_EQ(scene.m_nStep, cSettingsScene::STEP_CHOOSE);

  // The return entry and button 2 both leave for the title.
  for (int way = 0; way < 2; ++way) {
    scene.m_nPhase = cSettingsScene::PHASE_MENU;
    scene.m_nStep = cSettingsScene::STEP_ENTER;
    g_SceneManager.m_nNextScene = 3;
    Frame(0, 0);
    g_Cursor.Current().nRow = OPTION_RETURN;
    Frame(0, way == 0 ? 1 : 2);
    EXPECT_EQ(scene.m_nPhase, cSettingsScene::PHASE_FADE_OUT) << way;
    EXPECT_EQ(g_SceneManager.m_nNextScene, SCENE_TITLE) << way;
  }
}

TEST_F(OptionsSceneTest, LeavingWritesTheOptionsInTheirRanges) {
  g_OptionData.m_bBgm = 0;  // music off and idle: nothing to start or stop
  g_OptionData.m_nPalette = 30;
  g_OptionData.m_nSeVolume = -2;
  g_OptionData.m_nRankingMethod = 2;
  g_OptionData.m_strRankingName = "abc";
  g_SceneManager.m_nNextScene = SCENE_TITLE;
  g_SceneManager.m_nScene = SCENE_OPTIONS;
  g_Cursor.Push(0);
  scene.Leave();
  EXPECT_EQ(Hex(ReadFileBytes(OptionFile())),
            Hex(ByteWriter().I32(790).I32(4).I32(23).I32(0).I32(0).I32(2).I32(1).Str("abc").str()));
  EXPECT_EQ(g_SceneManager.m_nPrevScene, SCENE_OPTIONS);
  EXPECT_EQ(g_SceneManager.m_nScene, SCENE_TITLE);
  EXPECT_EQ(g_Cursor.Depth(), 1);
}

// Options that cannot be written are reported as a failed save slot is ("%s のセーブに失敗しました！"
// with the file), and the screen is left all the same.
TEST_F(OptionsSceneTest, OptionsThatCannotBeWrittenAreReportedAsAFailedSave) {
  // user_data is a plain file: nothing can be made in it, whoever runs the test.
  std::filesystem::remove_all(env.dir() / "user_data");
  WriteFileBytes(env.dir() / "user_data", "");
  g_OptionData.m_bBgm = 0;
  g_SceneManager.m_nNextScene = SCENE_TITLE;
  g_SceneManager.m_nScene = SCENE_OPTIONS;
  scene.Leave();
  ASSERT_EQ(env.Boxes().size(), 1u);
  EXPECT_EQ(env.Boxes()[0].text, "user_data\\Option.dat のセーブに失敗しました！");
  EXPECT_EQ(env.Boxes()[0].caption, "エラー");
  EXPECT_NE(env.ReportText().find("user_data\\Option.dat のセーブに失敗しました！"), std::string::npos);
  EXPECT_EQ(g_SceneManager.m_nScene, SCENE_TITLE);

  // Written, nothing is said.
  std::filesystem::remove(env.dir() / "user_data");
  env.dir().MakeDir("user_data");
  scene.Leave();
  EXPECT_EQ(env.Boxes().size(), 1u);
}

}  // namespace
