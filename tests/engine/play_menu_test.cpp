// The in-game menu, the retry-or-quit window and game over: which entries each game mode
// offers, where decide and cancel lead, and that leaving a menu for play waits for the
// buttons to be released.
#include <gtest/gtest.h>

#include "engine/play_menu.h"
#include "fixture/fixture.h"
#include "play_scene_kit.h"
#include "project/global_data.h"
#include "project/shell_state.h"
#include "ui/input.h"

namespace {

using playscene::PlaySceneTest;

cStage FloorStage() {
  cStage s = fixture::Stage(20, 15);
  fixture::Fill(s, fixture::Block(1), 0, 14, 19, 14);
  fixture::Place(s, fixture::Hero(2), 2, 13);
  s.m_nSpeedLevel = 1;
  s.m_bShowStartBanner = 0;
  s.m_bShowStageBanner = 0;
  fixture::EncloseGrid(s);
  return s;
}

TEST(PlayMenu, EntriesOfferedByGameModeSwitchesAndClearedFlag) {
  struct Case {
    int mode, retrySwitch, mapSwitch, cleared;
    int32_t expected[4];
  };
  const Case cases[] = {
      {GAMEMODE_STORY, 1, 1, 1, {1, 1, 1, 1}},     {GAMEMODE_STORY, 1, 1, 0, {1, 1, 0, 0}},
      {GAMEMODE_STORY, 0, 1, 1, {1, 1, 0, 1}},     {GAMEMODE_STORY, 1, 0, 1, {1, 1, 1, 0}},
      {GAMEMODE_CHALLENGE, 1, 1, 1, {1, 1, 1, 0}}, {GAMEMODE_CHALLENGE, 1, 1, 0, {1, 1, 0, 0}},
      {GAMEMODE_CHALLENGE, 0, 1, 1, {1, 1, 0, 0}}, {GAMEMODE_FREE, 0, 0, 0, {1, 1, 1, 0}},
      {GAMEMODE_REPLAY, 0, 0, 0, {1, 1, 1, 0}},
  };
  for (const Case& c : cases) {
    int32_t en[4] = {9, 9, 9, 9};
    GetPlayMenuEnable(c.mode, c.retrySwitch, c.mapSwitch, c.cleared, en);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(en[i], c.expected[i]) << "mode " << c.mode << " switches " << c.retrySwitch << c.mapSwitch
                                      << " cleared " << c.cleared << " entry " << i;
  }
}

TEST(PlayMenu, RowsCountOnlyEnabledEntriesAndABadRowYieldsEntryZero) {
  const int32_t en[4] = {1, 1, 0, 1};
  EXPECT_EQ(GetPlayMenuEntry(0, en), 0);
  EXPECT_EQ(GetPlayMenuEntry(1, en), 1);
  EXPECT_EQ(GetPlayMenuEntry(2, en), 3);
  EXPECT_EQ(GetPlayMenuEntry(3, en), 0);
  EXPECT_EQ(GetPlayMenuEntry(-1, en), 0);
}

// Runs one menu frame with the given buttons and directions on input record 0.
void MenuFrame(PlaySceneTest& t, WORD buttons, WORD dirs = 0) {
  cInput& in = g_vInput.CheckedAt(0);
  in.SetWords(dirs, buttons);
  t.Frames(1);
}

struct MenuTest : ::testing::Test {
  PlaySceneTest t{FloorStage()};
  void SetUp() override {
    t.Frames(1);
    t.Scene().m_nState = 3;
    t.Scene().m_nStep = 0;
    t.Scene().m_nSavedState = 2;
    t.Scene().m_nSavedStep = 0;
    t.Scene().m_bWaitRelease = 0;
  }
};

TEST_F(MenuTest, OpensOnResumeAndResumeOrCancelReturnWaitingForRelease) {
  MenuFrame(t, 0);
  EXPECT_EQ(t.Scene().m_nState, 3);
  EXPECT_EQ(t.Scene().m_nMenuRow, 1) << "the cursor starts on resume";
  MenuFrame(t, 1);
  EXPECT_EQ(t.Scene().m_nState, 2);
  EXPECT_EQ(t.Scene().m_bWaitRelease, 1);

  t.Scene().m_nState = 3;
  t.Scene().m_nStep = 0;
  t.Scene().m_bWaitRelease = 0;
  MenuFrame(t, 0);
  MenuFrame(t, 2);
  EXPECT_EQ(t.Scene().m_nState, 2);
  EXPECT_EQ(t.Scene().m_bWaitRelease, 1);
}

TEST_F(MenuTest, TitleInFreePlayFadesOutAndRetryRestartsTheStage) {
  g_bFreePlay = 1;
  MenuFrame(t, 0);
  MenuFrame(t, 0, 4);  // up: row 0, the title
  EXPECT_EQ(t.Scene().m_nMenuRow, 0);
  MenuFrame(t, 1);
  EXPECT_EQ(t.Scene().m_nState, 7);

  // Free play offers title, resume and retry: down from resume reaches retry.
  t.Scene().m_nState = 3;
  t.Scene().m_nStep = 0;
  MenuFrame(t, 0);
  MenuFrame(t, 0, 8);
  EXPECT_EQ(t.Scene().m_nMenuRow, 2);
  MenuFrame(t, 1);
  EXPECT_EQ(t.Scene().m_nState, 1);
  EXPECT_EQ(t.Scene().m_nStep, 0);
  EXPECT_EQ(t.Scene().m_bWaitRelease, 1);
}

TEST_F(MenuTest, GameOverWaitsForDecideThenFadesToTheTitle) {
  t.Scene().m_nState = 6;
  t.Scene().m_nNextScene = 4;
  for (int i = 0; i < 30; ++i) MenuFrame(t, 0);
  EXPECT_EQ(t.Scene().m_nState, 6);
  MenuFrame(t, 1);
  EXPECT_EQ(t.Scene().m_nState, 7);
  EXPECT_EQ(t.Scene().m_nNextScene, 0);
}

TEST_F(MenuTest, RetryChoiceRestartsAndWaitsForReleaseWhileTheOtherRowGoesToTheMap) {
  t.Scene().m_nState = 5;
  MenuFrame(t, 0);
  EXPECT_EQ(t.Scene().m_nMenuRow, 0);
  MenuFrame(t, 1);
  EXPECT_EQ(t.Scene().m_nState, 1);
  EXPECT_EQ(t.Scene().m_bWaitRelease, 1);

  t.Scene().m_nState = 5;
  t.Scene().m_nStep = 0;
  MenuFrame(t, 0);
  MenuFrame(t, 0, 8);
  MenuFrame(t, 1);
  EXPECT_EQ(t.Scene().m_nState, 7);
  EXPECT_EQ(t.Scene().m_nNextScene, 1);
  EXPECT_EQ(g_SaveData.m_bLeftStage, 1);
}

}  // namespace
