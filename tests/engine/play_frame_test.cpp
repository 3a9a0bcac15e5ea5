// The play scene's frame: the start displays, the order of a sub-step's passes, the result
// codes that end the frame or take a character out, the time running out, the dead hero.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/log.h"
#include "engine/shot.h"
#include "fixture/fixture.h"
#include "play_scene_kit.h"
#include "project/shell_state.h"
#include "temp_dir.h"

namespace {

using playscene::g_calls;
using playscene::LoggedChara;
using playscene::PlaySceneTest;

// A stage of one sub-step per frame with the hero standing on a floor, nothing shown at the
// start.
cStage FloorStage(void (*edit)(cStage&) = nullptr, int width = 20) {
  cStage s = fixture::Stage(width, 15);
  fixture::Fill(s, fixture::Block(1), 0, 14, width - 1, 14);
  fixture::Place(s, fixture::Hero(2), 2, 13);
  s.m_nSpeedLevel = 1;
  s.m_bShowStartBanner = 0;
  s.m_bShowStageBanner = 0;
  fixture::EncloseGrid(s);
  if (edit) edit(s);
  return s;
}

std::vector<int> g_banners;
void RecordBanner(int kind, int) { g_banners.push_back(kind); }

TEST(PlayFrame, TheStageNumberAndTheStartBannerShow79FramesEach) {
  PlaySceneTest t(FloorStage([](cStage& s) {
    s.m_bShowStageBanner = 1;
    s.m_bShowStartBanner = 1;
  }));
  g_banners.clear();
  g_PlayShellLink.lpfnDrawBanner = &RecordBanner;
  t.Frames(1);  // Init and the fade (complete at once here)
  ASSERT_EQ(t.Scene().m_nState, 1);
  int frames = 0;
  while (t.Scene().m_nState == 1 && frames < 1000) {
    t.Frames(1);
    ++frames;
  }
  g_PlayShellLink.lpfnDrawBanner = nullptr;
  EXPECT_EQ(frames, 79 + 79 + 1) << "the frame after the last display enters play";
  ASSERT_EQ(g_banners.size(), 158u);
  EXPECT_EQ(std::count(g_banners.begin(), g_banners.begin() + 79, 1), 79);
  EXPECT_EQ(std::count(g_banners.begin() + 79, g_banners.end(), 2), 79);
  EXPECT_EQ(t.Scene().m_nStartCount, 0);
}

TEST(PlayFrame, ASubStepStepsBlockCharactersThenTheHeroThenTheOthers) {
  PlaySceneTest t(FloorStage([](cStage& s) { s.m_nSpeedLevel = 2; }));
  ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
  t.Scene().m_nState = 2;
  LoggedChara& other = t.AddLogged(8, 5, false);
  LoggedChara& block = t.AddLogged(10, 5, true);
  g_calls.clear();
  t.Frames(1);
  const std::string o = std::to_string(other.m_nId) + ":";
  const std::string b = std::to_string(block.m_nId) + ":";
  const std::vector<std::string> one = {b + "event0", b + "act", b + "x", b + "y", "0:event0",
                                        o + "event0", o + "act", o + "x", o + "y"};
  std::vector<std::string> expected = one;
  expected.insert(expected.end(), one.begin(), one.end());
  EXPECT_EQ(g_calls, expected);
  EXPECT_EQ(t.Scene().m_nSubStepCount, 2);
  EXPECT_EQ(t.Scene().m_nFrame, 1);
}

TEST(PlayFrame, StepXFourAndStepYEightRemoveTheCharacterOnceAfterBothAxes) {
  PlaySceneTest t(FloorStage([](cStage& s) { s.m_nSpeedLevel = 2; }));
  ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
  t.Scene().m_nState = 2;
  LoggedChara& c = t.AddLogged(8, 5, false);
  c.stepX = 4;
  c.stepY = 8;
  const std::string id = std::to_string(c.m_nId) + ":";
  g_calls.clear();
  t.Frames(1);
  // The second sub-step finds the character gone.
  const std::vector<std::string> expected = {"0:event0", id + "event0", id + "act", id + "x", id + "y", "0:event0"};
  EXPECT_EQ(g_calls, expected);
  EXPECT_EQ(g_lChara.Count(), 0u);
  EXPECT_EQ(g_lChara.Stored(), 0u) << "freed after the sub-step";
  EXPECT_TRUE(t.Scene().m_vDrawList[1].size() == 1u) << "only the hero is left to draw";
}

// The sweeps pass by while nothing is taken out of play or added; a character taken out after
// frames of that is still freed at the end of the next sub-step.
TEST(PlayFrame, ACharacterTakenOutAfterQuietFramesIsFreedByTheNextSweep) {
  PlaySceneTest t(FloorStage());
  ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
  t.Scene().m_nState = 2;
  LoggedChara& c = t.AddLogged(8, 5, false);
  const size_t stored = g_lChara.Stored();
  t.Frames(3);
  ASSERT_EQ(g_lChara.Stored(), stored);
  cObjectList<cStageChara>::Remove(c);
  EXPECT_EQ(g_lChara.Stored(), stored) << "kept until the sweep";
  t.Frames(1);
  EXPECT_EQ(g_lChara.Stored(), stored - 1);
  for (const std::list<cChara*>& layer : t.Scene().m_vDrawList)
    for (const cChara* drawn : layer) EXPECT_EQ(drawn->m_bRemoved, 0);
}

TEST(PlayFrame, ACharacterThatDiesInItsActIsErasedOrKeptByTheDefeatSwitch) {
  for (int option : {0, 1}) {
    PlaySceneTest t(FloorStage());
    ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
    t.Scene().m_nState = 2;
    g_SystemData.m_bOption272 = option;
    LoggedChara& c = t.AddLogged(8, 5, true);
    c.act = 1;
    playkit::WindowRequestRecorder window;
    // The sub-step alone: the frame's drawing then erases a character whose defeat animation
    // has ended (one without a death effect ends at once).
    t.Scene().SubStep(1);
    const std::vector<int> sounds = window.Sounds();
    if (option == 0) {
      EXPECT_EQ(g_lChara.Count(), 0u) << "erased at once";
      EXPECT_EQ(std::count(sounds.begin(), sounds.end(), 9), 0);
    } else {
      EXPECT_EQ(g_lChara.Count(), 1u) << "kept for its defeat animation";
      EXPECT_TRUE(c.m_bDead);
      t.Frames(1);
      EXPECT_EQ(g_lChara.Count(), 0u) << "its drawing ends the defeat animation without a death effect";
      EXPECT_EQ(std::count(sounds.begin(), sounds.end(), 9), 1);
    }
  }
}

TEST(PlayFrame, AnActWithTheRemoveNowFlagErasesWithoutADefeat) {
  PlaySceneTest t(FloorStage());
  ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
  t.Scene().m_nState = 2;
  g_SystemData.m_bOption272 = 1;
  LoggedChara& c = t.AddLogged(8, 5, false);
  c.act = 1;
  c.m_bRemoveNow = 1;
  playkit::WindowRequestRecorder window;
  t.Frames(1);
  EXPECT_EQ(g_lChara.Count(), 0u);
  const std::vector<int> sounds = window.Sounds();
  EXPECT_EQ(std::count(sounds.begin(), sounds.end(), 9), 0);
}

TEST(PlayFrame, TheTimeRunningOutKillsTheHeroBeforeAnySubStepAndThenOnlyShotsMove) {
  PlaySceneTest t(FloorStage([](cStage& s) {
    s.m_bTimeLimit = 1;
    s.m_nTimeLimit = 1;
  }));
  ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
  t.Scene().m_nState = 2;
  t.AddLogged(8, 5, false);
  playkit::WindowRequestRecorder window;
  // The limit counts down once every 60 frames: 59 frames leave it at 1.
  t.Frames(59);
  EXPECT_EQ(t.Scene().m_nTime, 1);
  EXPECT_EQ(g_vPlayer[0].m_bDead, 0);
  g_calls.clear();
  t.world.events.clear();
  t.Frames(1);
  EXPECT_EQ(t.Scene().m_nTime, 0);
  EXPECT_EQ(g_vPlayer[0].m_bDead, 1);
  ASSERT_FALSE(t.world.events.empty());
  EXPECT_EQ(t.world.events.front().key, 3) << "the hero's death comes first";
  EXPECT_TRUE(g_calls.empty()) << "no pass ran after the death";
  const std::vector<int> sounds = window.Sounds();
  EXPECT_EQ(std::count(sounds.begin(), sounds.end(), 8), 1);
  const int steps = t.Scene().m_nSubStepCount;
  t.Frames(5);
  EXPECT_TRUE(g_calls.empty()) << "no character is stepped while the hero is dead";
  EXPECT_EQ(t.Scene().m_nSubStepCount, steps + 5) << "the sub-steps still run (the shots move)";
  EXPECT_EQ(g_vPlayer[0].m_bDead, 1);
}

// The error log written while it lives (the log is otherwise off).
class ErrorLogCapture {
 public:
  ErrorLogCapture() : path_(dir_.path() + "/log.txt") {
    g_bErrorLogWritten = 0;
    SetErrorLogPath(1, path_.c_str());
  }
  ~ErrorLogCapture() {
    SetErrorLogPath(0, "");
    g_bErrorLogWritten = 0;
  }
  std::string Text() const {
    std::ifstream in(path_);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

 private:
  TempDir dir_;
  std::string path_;
};

TEST(PlayFrame, TheHeroSqueezedBetweenWallsDiesAndGoesBack) {
  // A body 40 dots wide in a gap of 32 between two walls is pressed on both sides.
  PlaySceneTest t(FloorStage([](cStage& s) {
    s.m_nHeroW = 40;
    fixture::Fill(s, fixture::Block(1), 1, 10, 1, 13);
    fixture::Fill(s, fixture::Block(1), 3, 10, 3, 13);
  }));
  ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
  t.Scene().m_nState = 2;
  ErrorLogCapture log;
  t.Frames(1);
  EXPECT_EQ(g_vPlayer[0].m_bDead, 1);
  // Squeezed by the map alone: the crush test before the contacts catches it first.
  const std::string text = log.Text();
  EXPECT_NE(text.find("Player[P1].LRUD = 1,1,"), std::string::npos) << text;
  EXPECT_NE(text.find("Dead SP"), std::string::npos) << text;
  EXPECT_EQ(text.find("Dead "), text.find("Dead SP")) << text;
}

TEST(PlayFrame, AHeroSqueezedOnlyAfterTheContactsDiesByTheSecondCrushTest) {
  {
    // A 16-dot hero in its cell at 392.5..407.5, the wall from 416 on. A block character beside
    // the left of its upper half, overlapping it by 10.5 dots, pushes it to the block's far edge
    // + 1.5, 12 dots to the right: 3.5 dots into the wall, more than the contacts step back out
    // of a chip (1.5 dots). Only the re-test then presses the right side, so only
    // the second test finds the hero squeezed.
    PlaySceneTest t(FloorStage([](cStage& s) { fixture::Fill(s, fixture::Block(1), 3, 10, 3, 13); }));
    ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
    t.Scene().m_nState = 2;
    t.Frames(1);
    const cPlayer& hero = g_vPlayer[0];
    ASSERT_EQ(hero.m_bDead, 0);
    ASSERT_EQ(hero.m_dX, (2 + 10) * 32 + 8.5);
    ASSERT_EQ(hero.m_nWidth, 16);
    LoggedChara& block = t.AddLogged(0, 12, true);
    block.m_nWidth = 32;
    block.m_nHeight = 32;
    block.m_dX = hero.m_dX + 12 - 1.5 - 31;
    block.m_dY = hero.m_dY - 16;
    block.UpdateFarX();
    block.UpdateFarY();
    block.SavePosition();
    ErrorLogCapture log;
    t.Frames(1);
    EXPECT_EQ(g_vPlayer[0].m_bDead, 1);
    const std::string text = log.Text();
    EXPECT_NE(text.find("Player[P1].LRUD = 1,1,"), std::string::npos) << text;
    EXPECT_NE(text.find("Dead 9"), std::string::npos) << text;
    EXPECT_EQ(text.find("Dead SP"), std::string::npos) << text;
    EXPECT_EQ(text.find("Dead 6"), std::string::npos) << text;
    EXPECT_EQ(text.find("Dead 7"), std::string::npos) << text;
  }
}

TEST(PlayFrame, AQuitRequestClosesWithoutPlaying) {
  PlaySceneTest t(FloorStage());
  playkit::WindowRequestRecorder window;
  ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
  t.Scene().m_nState = 2;
  t.Scene().m_bQuit = 1;
  t.Frames(1);
  EXPECT_EQ(t.Scene().m_nFrame, 0);
  EXPECT_EQ(t.Scene().m_nState, 2);
}

// A still hero shot well right of the screen (cell 30 of a 40-cell stage, the camera at the
// left end) goes on the first sub-step only when the hero-shot range tests the right side.
TEST(PlayFrame, AShotBeyondItsSidesRemovalRangeGoesOnTheFirstSubStep) {
  struct Case {
    int heroRight, charaRight;
    size_t left;
  } cases[] = {{0, 0, 1}, {0, 1, 1}, {1, 0, 0}};
  for (const Case& c : cases) {
    cStage stage = FloorStage(nullptr, 40);
    stage.m_RuleHeroShot = cRemovalRule();
    stage.m_RuleCharaShot = cRemovalRule();
    stage.m_RuleHeroShot.m_bRight = c.heroRight;
    stage.m_RuleCharaShot.m_bRight = c.charaRight;
    PlaySceneTest t(stage);
    ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
    t.Scene().m_nState = 2;
    cEdShot data;
    cShotSpawn spawn;
    spawn.nX = (30 + 10) * 32;
    spawn.nY = (5 + 10) * 32;
    cShot shot;
    ASSERT_EQ(shot.SetData(99, g_vPlayer[0], SHOT_KIND_SHOT, data, spawn), 1);
    CloneShot(t.Scene().m_lShot, shot);
    t.Frames(1);
    EXPECT_EQ(t.Scene().m_lShot.Count(), c.left) << c.heroRight << c.charaRight;
  }
}

}  // namespace
