// The end-of-play display: decide is accepted once the counter reaches 200 (4 a frame with the
// clear banner, at once without it), automatic continuation leaves by itself at 200.
#include <gtest/gtest.h>

#include "engine/pause_thread.h"
#include "engine/play_menu.h"
#include "fixture/fixture.h"
#include "play_scene_kit.h"
#include "project/global_data.h"
#include "project/shell_state.h"
#include "temp_dir.h"
#include "ui/input.h"

namespace {

using playscene::PlaySceneTest;

cStage EndStage(int banner, int autoContinue) {
  cStage s = fixture::Stage(20, 15);
  fixture::Fill(s, fixture::Block(1), 0, 14, 19, 14);
  fixture::Place(s, fixture::Hero(2), 2, 13);
  s.m_nSpeedLevel = 1;
  s.m_bShowStartBanner = 0;
  s.m_bShowStageBanner = 0;
  s.m_bShowClearBanner = banner;
  s.m_bAutoContinue = autoContinue;
  fixture::EncloseGrid(s);
  return s;
}

// Frames of the end display until it leaves; decide is pressed first in frame `pressAt`
// (0: never). The number of the frame in which state 7 is entered, or -1 after 300 frames.
int FramesUntilLeaving(int banner, int autoContinue, int pressAt) {
  PlaySceneTest t(EndStage(banner, autoContinue));
  t.Frames(1);
  t.Scene().m_nState = 4;
  t.Scene().m_nStep = 0;
  cInput& in = g_vInput.CheckedAt(0);
  for (int frame = 1; frame <= 300; ++frame) {
    in.SetWords(0, pressAt != 0 && frame >= pressAt ? 1 : 0);
    t.Frames(1);
    if (t.Scene().m_nState == 7) return frame;
  }
  return -1;
}

TEST(PlayEnd, DecideCountsFromThe51stFrameWithTheBannerAndTheSecondWithout) {
  // With the banner the counter is 4 (k - 1) when frame k tests it: 200 first in frame 51.
  EXPECT_EQ(FramesUntilLeaving(1, 0, 50), -1) << "a press held from frame 50 is reported once, too early";
  EXPECT_EQ(FramesUntilLeaving(1, 0, 51), 51);
  // Without it the first frame sets the counter to 200.
  EXPECT_EQ(FramesUntilLeaving(0, 0, 1), -1);
  EXPECT_EQ(FramesUntilLeaving(0, 0, 2), 2);
  EXPECT_EQ(FramesUntilLeaving(1, 0, 0), -1) << "without decide the display stays";
}

TEST(PlayEnd, AutomaticContinuationLeavesAtTwoHundredAndIgnoresDecide) {
  EXPECT_EQ(FramesUntilLeaving(1, 1, 0), 51);
  EXPECT_EQ(FramesUntilLeaving(1, 1, 1), 51);
  EXPECT_EQ(FramesUntilLeaving(0, 1, 0), 2);
}

// A ranking table stand-in: kind 2 never ranks, every other kind ranks at its own number + 1;
// each question is logged as {kind, value}.
std::vector<std::pair<int, int32_t>> g_rankQuestions;
int FakeFindRankPos(int nKind, int32_t nValue) {
  g_rankQuestions.emplace_back(nKind, nValue);
  return nKind == 2 ? -1 : nKind + 1;
}
int g_rankingsOn = 0;
int FakeRankingsOn() { return g_rankingsOn; }

TEST(PlayEnd, RankingPositionsFollowTheModeTheStageAndTheGates) {
  TempDir dir;
  fixture::Project project(dir.path());
  cStage next = EndStage(0, 0);
  ASSERT_TRUE(project.WriteStage(next, "x-2", 0));
  ScopedChdir in(dir.path());
  struct Case {
    const char* what;
    int freePlay, rankingsOn, nextStage, testPlay, hook;
    uint8_t modeKinds[5];
    int32_t stageKinds[5];
    std::vector<int32_t> positions;
    int rankIn;
    bool valuesTaken;
  };
  const std::vector<int32_t> none = {-1, -1, -1, -1, -1};
  const Case cases[] = {
      {"free play: the kinds both switch on", 1, 0, 0, 0, 1, {1, 1, 1, 0, 1}, {1, 1, 1, 1, 0}, {1, 2, -1, -1, -1}, 1, true},
      {"only a kind that does not rank", 1, 0, 0, 0, 1, {0, 0, 1, 0, 0}, {1, 1, 1, 1, 1}, none, 0, true},
      {"last stage of the mode with rankings", 0, 1, 0, 0, 1, {0, 0, 0, 1, 1}, {0, 0, 0, 1, 1}, {-1, -1, -1, 4, 5}, 1,
       true},
      {"a next stage that is missing counts as the last", 0, 1, 3, 0, 1, {1, 0, 0, 0, 0}, {1, 0, 0, 0, 0},
       {1, -1, -1, -1, -1}, 1, true},
      {"a next stage follows", 0, 1, 2, 0, 1, {1, 1, 1, 1, 1}, {1, 1, 1, 1, 1}, none, 0, false},
      {"rankings off for the mode", 0, 0, 0, 0, 1, {1, 1, 1, 1, 1}, {1, 1, 1, 1, 1}, none, 0, false},
      {"test play shows the values only", 1, 1, 0, 1, 1, {1, 1, 1, 1, 1}, {1, 1, 1, 1, 1}, none, 0, true},
      {"no ranking tables", 1, 1, 0, 0, 0, {1, 1, 1, 1, 1}, {1, 1, 1, 1, 1}, none, 0, true},
  };
  const cPauseLink savedPause = g_PauseLink;
  const cPlayMenuLink savedMenu = g_PlayMenuLink;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PlaySceneTest t(EndStage(0, 0));
    ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
    g_bFreePlay = c.freePlay;
    g_bTestPlay = c.testPlay;
    g_rankingsOn = c.rankingsOn;
    g_PauseLink.lpfnRankingsOn = &FakeRankingsOn;
    g_PlayMenuLink.lpfnFindRankPos = c.hook ? &FakeFindRankPos : nullptr;
    g_rankQuestions.clear();
    g_nGameMode = GAMEMODE_FREE;
    g_SystemData.m_vRankingKinds.resize(3);
    g_SystemData.m_vRankingKinds[GAMEMODE_FREE].m_vKinds.assign(c.modeKinds, c.modeKinds + 5);
    g_StageData.m_vRanking.assign(c.stageKinds, c.stageKinds + 5);
    g_SaveData.m_bSeries = 1;
    g_SaveData.m_strStage = "data\\stg4\\x";
    t.Scene().m_nNextStage = c.nextStage;
    // Totals before the end: 1200 score + 300 of the stage; the time limit is off; no play
    // time; hit points 0 + the hero's 3; skill points 5 + 0.
    g_SaveData.m_nTotalScore = 1200;
    g_SaveData.m_nStageScore = 300;
    g_SaveData.m_nTotalTime = 0;
    g_SaveData.m_nTotalPlayTime = 0;
    g_SaveData.m_nTotalHp = 0;
    g_SaveData.m_nTotalSp = 5;
    g_vPlayer[0].m_nHp = 3;
    g_vPlayer[0].m_nSp = 0;
    t.Scene().m_vRankValue.assign(5, 7);
    t.Scene().EndPlay();
    const std::vector<int32_t> values = {1500, 0, 0, 3, 5};
    EXPECT_EQ(std::vector<int32_t>(t.Scene().m_vRankPos.begin(), t.Scene().m_vRankPos.end()), c.positions);
    EXPECT_EQ(t.Scene().m_bRankIn, c.rankIn);
    EXPECT_EQ(std::vector<int32_t>(t.Scene().m_vRankValue.begin(), t.Scene().m_vRankValue.end()),
              c.valuesTaken ? values : std::vector<int32_t>(5, 7));
    // The tables are asked only for the kinds switched on, with that kind's value.
    for (const auto& q : g_rankQuestions) {
      EXPECT_TRUE(c.modeKinds[q.first] && c.stageKinds[q.first]) << "kind " << q.first;
      EXPECT_EQ(q.second, values[static_cast<size_t>(q.first)]);
    }
  }
  g_PauseLink = savedPause;
  g_PlayMenuLink = savedMenu;
}

}  // namespace
