// What the program gives the play scene's menus and end of play: where the menus and their
// cursor cell go, the cells drawn on the software device, the scene change after play, the
// ranking positions from the stage's ranking table, the restart of a stage file and the fade.
#include "app/play_menu_link.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../draw/draw_fixture.h"
#include "app/menu_cursor.h"
#include "app/ranking.h"
#include "app/scene.h"
#include "app_fixture.h"
#include "draw/blit.h"
#include "draw/context.h"
#include "draw/fill.h"
#include "draw/surface.h"
#include "engine/play_menu.h"
#include "project/global_data.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/system_data.h"
#include "support/temp_dir.h"

namespace {

// The hooks installed for one test and taken away afterwards; the system texts of the menus.
class PlayMenuLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_PlayMenuLink;
    savedTexts_ = g_SystemData.m_vTexts;
    InstallPlayMenuLink();
    g_SystemData.m_vTexts.assign(40, "");
  }
  void TearDown() override {
    g_PlayMenuLink = saved_;
    g_SystemData.m_vTexts = savedTexts_;
    g_RankingTable.SetDefault();
    g_Cursor.Reset();
    g_SceneManager.m_nScene = g_SceneManager.m_nPrevScene = g_SceneManager.m_nFrameRate = 0;
    g_SceneManager.m_bRanking = 0;
  }
  static void Texts(int first, const std::vector<std::string>& texts) {
    for (size_t i = 0; i < texts.size(); ++i) g_SystemData.m_vTexts[first + i] = texts[i];
  }

 private:
  cPlayMenuLink saved_;
  cSafeVector<std::string> savedTexts_;
};

TEST_F(PlayMenuLinkTest, EveryHookIsSet) {
  EXPECT_NE(g_PlayMenuLink.lpfnDrawMenu, nullptr);
  EXPECT_NE(g_PlayMenuLink.lpfnDrawEndCell, nullptr);
  EXPECT_NE(g_PlayMenuLink.lpfnDrawStatusPanel, nullptr);
  EXPECT_NE(g_PlayMenuLink.lpfnRankingsShown, nullptr);
  EXPECT_NE(g_PlayMenuLink.lpfnFadeOutStep, nullptr);
  EXPECT_NE(g_PlayMenuLink.lpfnStartGameFromFile, nullptr);
  EXPECT_NE(g_PlayMenuLink.lpfnChangeScene, nullptr);
  EXPECT_NE(g_PlayMenuLink.lpfnFindRankPos, nullptr);
}

// The in-game menu is centred on x by its widest enabled name plus the cursor column
// (x - (w + 1) x 16 / 2); the choice window by its two texts (x - 8 (w + 1)); the cursor cell
// sits in the box's left column, 16 dots a row.
TEST_F(PlayMenuLinkTest, MenuAndCursorPlaces) {
  Texts(19, {"Title", "Resume", "Retry", "Map"});
  Texts(23, {"Retry", "Back to map"});
  struct Case {
    const char* name;
    int kind;
    int32_t enable[4];
    int row;
    int x, cursorY;
  } cases[] = {
      {"all four: widest 6", 0, {1, 1, 1, 1}, 1, 320 - 7 * 16 / 2, 272 + 16},
      {"resume off: widest 5", 0, {1, 0, 1, 1}, 0, 320 - 6 * 16 / 2, 272},
      {"last row of three", 0, {1, 1, 0, 1}, 2, 320 - 7 * 16 / 2, 272 + 32},
      {"choice: widest 11", 1, {}, 1, 320 - 8 * 12, 272 + 16},
      {"choice row 0", 1, {}, 0, 320 - 8 * 12, 272},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PlayMenuPlace p = PlacePlayMenu(c.kind, c.kind == 0 ? c.enable : nullptr, 320, 272, c.row);
    EXPECT_EQ(p.x, c.x);
    EXPECT_EQ(p.y, 272);
    EXPECT_EQ(p.nCursorX, c.x);
    EXPECT_EQ(p.nCursorY, c.cursorY);
  }
  // No name at all: the box is not drawn and the menu stays at x.
  Texts(19, {"", "", "", ""});
  const int32_t all[4] = {1, 1, 1, 1};
  EXPECT_EQ(PlacePlayMenu(0, all, 320, 272, 0).x, 320);
}

// Leaving play: the next screen, frame rate 60, play as the previous screen, and the title
// menu's cursor on the row asked for (-1 keeps it).
TEST_F(PlayMenuLinkTest, SceneChangeAfterPlay) {
  g_SceneManager.m_nScene = SCENE_PLAY;
  g_SceneManager.m_nFrameRate = 30;
  g_Cursor.Current().nRow = 5;
  g_PlayMenuLink.lpfnChangeScene(SCENE_TITLE, 3);
  EXPECT_EQ(g_SceneManager.m_nScene, SCENE_TITLE);
  EXPECT_EQ(g_SceneManager.m_nFrameRate, 60);
  EXPECT_EQ(g_SceneManager.m_nPrevScene, SCENE_PLAY);
  EXPECT_EQ(g_Cursor.Current().nRow, 3);

  g_SceneManager.m_nFrameRate = 30;
  g_PlayMenuLink.lpfnChangeScene(SCENE_WORLD_MAP, -1);
  EXPECT_EQ(g_SceneManager.m_nScene, SCENE_WORLD_MAP);
  EXPECT_EQ(g_SceneManager.m_nFrameRate, 60);
  EXPECT_EQ(g_Cursor.Current().nRow, 3);
}

TEST_F(PlayMenuLinkTest, RankingsSwitchOfTheTitleMenu) {
  g_SceneManager.m_bRanking = 0;
  EXPECT_EQ(g_PlayMenuLink.lpfnRankingsShown(), 0);
  g_SceneManager.m_bRanking = 1;
  EXPECT_EQ(g_PlayMenuLink.lpfnRankingsShown(), 1);
}

// The positions come from the loaded table of the stage, list by kind; kinds outside the table
// do not rank.
TEST_F(PlayMenuLinkTest, RankPositionsFromTheStagesTable) {
  g_RankingTable.m_vList[0].Register("abc", 1000);  // score: larger is better
  g_RankingTable.m_vList[2].Register("abc", 500);   // clear time: smaller is better
  EXPECT_EQ(g_PlayMenuLink.lpfnFindRankPos(0, 1001), 0);
  EXPECT_EQ(g_PlayMenuLink.lpfnFindRankPos(0, 1000), 1);
  EXPECT_EQ(g_PlayMenuLink.lpfnFindRankPos(2, 499), 0);
  EXPECT_EQ(g_PlayMenuLink.lpfnFindRankPos(2, 500), 1);
  EXPECT_EQ(g_PlayMenuLink.lpfnFindRankPos(4, 0), 0) << "a free list takes any value";
  for (int i = 1; i < RANKING_PLACE_COUNT; ++i) g_RankingTable.m_vList[0].Register("abc", 1000);
  EXPECT_EQ(g_PlayMenuLink.lpfnFindRankPos(0, 1000), -1) << "a full list of equals";
  EXPECT_EQ(g_PlayMenuLink.lpfnFindRankPos(-1, 1), -1);
  EXPECT_EQ(g_PlayMenuLink.lpfnFindRankPos(5, 1), -1);
  g_RankingTable.m_vList.resize(3);
  EXPECT_EQ(g_PlayMenuLink.lpfnFindRankPos(3, 1), -1) << "a table with fewer lists";
}

// Free play starts the stage file that was played again: that very version, with the progress
// of a stage started alone; a file that is gone answers 0.
TEST_F(PlayMenuLinkTest, RestartOfTheStageFile) {
  CoreTestEnv env;
  ASSERT_TRUE(appfixture::WriteProject(env.dir() / "game"));
  ScopedChdir chdir(env.dir() / "game");
  const int oldFree = g_bFreePlay;
  g_bFreePlay = 1;
  g_SaveData.m_nStageIndex = 7;
  EXPECT_EQ(g_PlayMenuLink.lpfnStartGameFromFile("data\\stg4\\free.stg4_002"), 1);
  EXPECT_EQ(g_StageData.m_strPath, "data\\stg4\\free.stg4_002") << "not the newest version 10";
  EXPECT_EQ(g_SaveData.m_nStageIndex, 1);
  EXPECT_EQ(g_PlayMenuLink.lpfnStartGameFromFile("data\\stg4\\gone.stg4"), 0);
  g_bFreePlay = oldFree;
  g_SaveData.ResetGameData();
  g_StageData = cStage();
}

// The cells on the software device (DirectDraw, 32 bits): the game-over cell, the clear cell
// split in and whole, the menu's cursor cell, and the fade that ends on a cleared back buffer.
class PlayMenuCellTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    saved_ = g_PlayMenuLink;
    savedTexts_ = g_SystemData.m_vTexts;
    savedFadeStep_ = g_SceneManager.m_nFadeStep;
    InstallPlayMenuLink();
    g_SystemData.m_vTexts.assign(40, "");
  }
  void TearDown() override {
    g_SceneManager.m_nFadeStep = savedFadeStep_;
    DDReleaseSurface(&g_SystemImage[49]);
    DDReleaseSurface(&g_SystemImage[51]);
    g_PlayMenuLink = saved_;
    g_SystemData.m_vTexts = savedTexts_;
    DrawTest::TearDown();
  }
  // A 256 x 128 sheet without transparent pixels whose every pixel tells its place.
  std::string CellSheet() {
    std::vector<uint32_t> palette(256);
    palette[0] = 0xFF00FF;
    for (uint32_t i = 1; i < 256; ++i) palette[i] = (i << 16) | ((255 - i) << 8) | ((i * 7) & 255);
    std::vector<uint32_t> px(256 * 128);
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 256; ++x) px[static_cast<size_t>(y * 256 + x)] = 1 + static_cast<uint32_t>(x / 2 + y * 3) % 255;
    return Bmp8("cells.bmp", 256, 128, palette, px);
  }
  void LoadCells() {
    const std::string sheet = CellSheet();
    for (int n : {49, 51}) {
      ASSERT_TRUE(DDCheckCreateResult(DDCreateSurfaceFromFile(&g_SystemImage[n], sheet.c_str(), 1, 32, 0, 0, 0, 0, 0, 0, 0)));
    }
    src_ = Pixels(&g_SystemImage[51]);
  }
  DWORD Src(int x, int y) const { return src_[static_cast<size_t>(y * 256 + x)]; }
  // Whether the w x h block of the back buffer at (x, y) shows the sheet's block at (sx, sy).
  bool Shows(const std::vector<DWORD>& back, int x, int y, int w, int h, int sx, int sy) const {
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i)
        if (back[static_cast<size_t>((y + j) * 640 + x + i)] != Src(sx + i, sy + j)) return false;
    return true;
  }
  void Clear() { DDFillRect(&BackBuffer, 0, 0, 640, 480, 0); }

  std::vector<DWORD> src_;

 private:
  cPlayMenuLink saved_;
  cSafeVector<std::string> savedTexts_;
  int savedFadeStep_ = 0;
};

TEST_F(PlayMenuCellTest, GameOverAndClearCells) {
  InitOrFail(0, 32, 1);
  LoadCells();
  Clear();
  const DWORD blank = Pixel(&BackBuffer, 0, 0);
  g_PlayMenuLink.lpfnDrawEndCell(1, 248, 224, 0);
  std::vector<DWORD> back = Pixels(&BackBuffer);
  EXPECT_TRUE(Shows(back, 248, 224, 144, 32, 0, 96)) << "the game-over cell, 144 x 32 from (0, 96)";
  EXPECT_EQ(back[224 * 640 + 248 + 144], blank);
  EXPECT_EQ(back[(224 + 32) * 640 + 248], blank);

  Clear();
  g_PlayMenuLink.lpfnDrawEndCell(0, 256, 192, 0);
  back = Pixels(&BackBuffer);
  EXPECT_TRUE(Shows(back, 256, 192, 128, 32, 0, 64)) << "the clear cell, 128 x 32 from (0, 64)";
  EXPECT_EQ(back[192 * 640 + 256 + 128], blank);

  // Split in: rows in strips of 4, the even strips pushed right, the odd ones left.
  Clear();
  g_PlayMenuLink.lpfnDrawEndCell(0, 256, 192, 8);
  back = Pixels(&BackBuffer);
  for (int strip = 0; strip < 8; ++strip) {
    SCOPED_TRACE(strip);
    const int dx = strip % 2 == 0 ? 8 : -8;
    EXPECT_TRUE(Shows(back, 256 + dx, 192 + strip * 4, 128, 4, 0, 64 + strip * 4));
  }
}

TEST_F(PlayMenuCellTest, MenuCursorCellAndFade) {
  InitOrFail(0, 32, 1);
  LoadCells();
  Clear();
  // No names: no box, the cursor cell (16 x 16 from (64, 0)) at x on the row.
  const int32_t enable[4] = {1, 1, 0, 1};
  g_PlayMenuLink.lpfnDrawMenu(0, enable, 320, 272, 2);
  const std::vector<DWORD> back = Pixels(&BackBuffer);
  EXPECT_TRUE(Shows(back, 320, 272 + 32, 16, 16, 64, 0));

  g_SceneManager.m_nFadeStep = 64;
  int steps = 0;
  while (!g_PlayMenuLink.lpfnFadeOutStep() && steps < 1000) ++steps;
  EXPECT_LT(steps, 1000) << "the fade ends";
  EXPECT_GT(steps, 0) << "and takes more than one step";
  const DWORD cleared = Pixel(&BackBuffer, 320, 304);
  EXPECT_NE(cleared, Src(64, 0)) << "the cursor cell is gone";
  DDClearSurface(&BackBuffer, 16);
  EXPECT_EQ(cleared, Pixel(&BackBuffer, 320, 304)) << "the back buffer cleared with colour 16";
  EXPECT_EQ(Pixel(&BackBuffer, 0, 0), cleared);
}

}  // namespace
