// Scroll axes, the time limit and the play time.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/frame_timing.h"
#include "engine/play_scene.h"
#include "fixture/fixture.h"
#include "play_kit.h"
#include "temp_dir.h"

namespace {

struct AxisCase {
  int width;
  int cells;
  int shift;
  int pitch;
  int end;
};

TEST(ScrollSetUp, GridPitchIsTheSmallestPowerOfTwoAboveTheLastColumn) {
  // cells = width + 20; the shift counts the bits of width + 19; end = (cells - 10) × 32.
  const AxisCase cases[] = {
      {1, 21, 5, 32, 352},    {2, 22, 5, 32, 384},      {12, 32, 5, 32, 704},
      {13, 33, 6, 64, 736},   {30, 50, 6, 64, 1280},    {44, 64, 6, 64, 1728},
      {45, 65, 7, 128, 1760}, {2000, 2020, 11, 2048, 64320},
  };
  for (const AxisCase& c : cases) {
    cStage stage = fixture::Stage(c.width, 7);
    stage.m_nScrollExtraX = 100;
    stage.m_nScrollExtraY = 5;
    playkit::PlayWorld world(stage);
    const cScroll& x = world.scene.m_ScrollX;
    const cScroll& y = world.scene.m_ScrollY;
    SCOPED_TRACE(c.width);
    EXPECT_EQ(x.m_nCells, c.cells);
    EXPECT_EQ(x.m_nShift, c.shift);
    EXPECT_EQ(x.m_nPitch, c.pitch);
    EXPECT_EQ(x.m_nStart, 320);
    EXPECT_EQ(x.m_nEnd, c.end);
    EXPECT_EQ(x.m_nOuter, 740);
    EXPECT_EQ(x.m_nView, 640);
    EXPECT_EQ(y.m_nCells, 27);
    EXPECT_EQ(y.m_nPitch, 27);
    EXPECT_EQ(y.m_nShift, 0);
    EXPECT_EQ(y.m_nEnd, 544);
    EXPECT_EQ(y.m_nOuter, 645);
    EXPECT_EQ(y.m_nView, 480);
  }
}

TEST(ScrollClamp, LimitsAndStageEdges) {
  cScroll s;
  s.m_nView = 640;
  s.m_nStart = 320;
  s.m_nEnd = 3520;
  s.SetLimits(0, 0, 0, 0);
  EXPECT_EQ(s.m_nMin, 320);
  EXPECT_EQ(s.m_nMax, 3520);
  struct {
    double pos;
    double expect;
    int pinned;
  } cases[] = {
      {319.5, 320, 1}, {320, 320, 0}, {1000, 1000, 0}, {2879.5, 2879.5, 0}, {2880, 2880, 1}, {5000, 2880, 1},
  };
  for (const auto& c : cases) {
    s.m_dPos = c.pos;
    s.Clamp();
    EXPECT_EQ(s.m_dPos, c.expect) << c.pos;
    EXPECT_EQ(s.m_bPinned, c.pinned) << c.pos;
  }
  // Limits by cell: the low cell's left edge and the right edge of the high cell.
  s.SetLimits(5, 40, 1, 1);
  EXPECT_EQ(s.m_nMin, 320 + 160);
  EXPECT_EQ(s.m_nMax, 320 + 41 * 32);
  // A high cell left of the low cell: the maximum becomes the minimum, the view stays there.
  s.SetLimits(5, 2, 1, 1);
  EXPECT_EQ(s.m_nMax, s.m_nMin);
  for (double pos : {0.0, 480.0, 1000.0}) {
    s.m_dPos = pos;
    s.Clamp();
    EXPECT_EQ(s.m_dPos, 480);
    EXPECT_EQ(s.m_bPinned, 1);
  }
}

// Limit cells and outer edges far outside the grid, as a damaged stage file keeps them (the
// limits have no lower bound): the axes are set up as for any other value.
TEST(ScrollSetUp, StoredValuesFarOutsideTheGrid) {
  TempDir dir;
  cStage stored = fixture::Stage(30, 20);
  stored.m_bLimitBottom = 1;
  stored.m_nLimitBottom = -2139062143;
  stored.m_bLimitLeft = 1;
  stored.m_nLimitLeft = -2139062143;
  stored.m_nScrollExtraX = INT32_MAX;
  stored.m_nScrollExtraY = INT32_MIN;
  const std::string path = dir / "far.stg4_000";
  ASSERT_EQ(stored.SaveFile(path.c_str()), 1);
  cStage stage;
  ASSERT_EQ(stage.LoadFile(path.c_str()), 1);
  ASSERT_EQ(stage.m_nLimitBottom, -2139062143);
  playkit::PlayWorld world(stage);
  cScroll& x = world.scene.m_ScrollX;
  cScroll& y = world.scene.m_ScrollY;
  // The bottom limit's edge lies above the top: the maximum becomes the minimum, 320.
  EXPECT_EQ(y.m_nMin, 320);
  EXPECT_EQ(y.m_nMax, 320);
  y.m_dPos = 500;
  y.Clamp();
  EXPECT_EQ(y.m_dPos, 320);
  // The left limit lies far left of the grid: a view a million dots left of it is not stopped.
  EXPECT_LT(x.m_nMin, -1000000);
  x.m_dPos = -1000000;
  x.Clamp();
  EXPECT_EQ(x.m_dPos, -1000000);
  EXPECT_EQ(x.m_bPinned, 0);
  // The outer edges: beyond the whole grid, and before its start.
  EXPECT_GE(x.m_nOuter, x.m_nCells * 32);
  EXPECT_LT(y.m_nOuter, 0);
}

TEST(ScrollClamp, ViewWiderThanTheStageStaysAtTheMinimum) {
  cStage stage = fixture::Stage(10, 5);
  playkit::PlayWorld world(stage);
  cScroll& x = world.scene.m_ScrollX;
  x.m_dPos = 400;
  x.Clamp();
  EXPECT_EQ(x.m_dPos, 320);
  EXPECT_EQ(x.m_bPinned, 1);
}

TEST(ScrollAuto, TenthsOfADotPerFrameSharedOutOverTheSubSteps) {
  cStage stage = fixture::Stage(100, 20);
  stage.m_nSpeedLevel = 2;  // k = 2
  stage.m_nScrollModeX = 1;
  stage.m_nAutoSpeedX = 10;
  playkit::PlayWorld world(stage);
  cScroll& x = world.scene.m_ScrollX;
  EXPECT_EQ(x.m_bAuto, 1);
  EXPECT_EQ(x.m_dAutoSpeed, 0.5);
  double before = x.m_dPos;
  x.Advance();
  x.Advance();
  EXPECT_EQ(x.m_dPos, before + 1);
  EXPECT_TRUE(x.MovesByItself());
  x.SetAutoSpeed(0, 10);
  EXPECT_EQ(x.m_bAuto, 0);
  EXPECT_EQ(x.m_dAutoSpeed, 0.0);
  // A pinned axis does not move by itself.
  x.SetAutoSpeed(1, -10);
  x.m_dPos = x.m_nMin;
  x.Advance();
  EXPECT_EQ(x.m_bPinned, 1);
  EXPECT_FALSE(x.MovesByItself());
}

class TimeLimit : public ::testing::Test {
 protected:
  void SetUp() override { EveryNCalls(0, 60); }
  void TearDown() override { EveryNCalls(0, 60); }
  cPlayScene scene;
};

TEST_F(TimeLimit, OneSecondRunsOutOnTheSixtiethFrameAndEverySixtiethAfter) {
  scene.m_nTime = 1;
  for (int frame = 1; frame <= 180; ++frame) {
    int r = scene.CountDownTime(-1);
    EXPECT_EQ(r, frame % 60 == 0 ? 1 : 0) << frame;
    EXPECT_EQ(scene.m_nTime, frame < 60 ? 1 : 0) << frame;
  }
}

TEST_F(TimeLimit, AboveTheLimitIsCutAtTheNextSecond) {
  const struct {
    int time;
    int after;
  } cases[] = {{1500, 999}, {1000, 999}, {999, 998}, {2, 1}};
  for (const auto& c : cases) {
    EveryNCalls(0, 60);
    scene.m_nTime = c.time;
    for (int i = 0; i < 60; ++i) EXPECT_EQ(scene.CountDownTime(-1), 0);
    EXPECT_EQ(scene.m_nTime, c.after) << c.time;
  }
}

TEST_F(TimeLimit, StoppedTimeDoesNotCount) {
  scene.m_nTime = 1;
  scene.m_bTimeStop = 1;
  for (int i = 0; i < 120; ++i) EXPECT_EQ(scene.CountDownTime(-1), 0);
  EXPECT_EQ(scene.m_nTime, 1);
}

TEST(TimeSetUp, LimitFromTheStageOrNone) {
  cStage stage = fixture::Stage(20, 15);
  stage.m_bTimeLimit = 1;
  stage.m_nTimeLimit = 200;
  cPlayScene scene;
  scene.m_nPlayFrames = 5;
  scene.SetUpTime(stage);
  EXPECT_EQ(scene.m_nTime, 200);
  EXPECT_EQ(scene.m_bTimeStop, 0);
  EXPECT_EQ(scene.m_nPlayFrames, 0);
  stage.m_bTimeLimit = 0;
  scene.SetUpTime(stage);
  EXPECT_EQ(scene.m_nTime, 999);
  EXPECT_EQ(scene.m_bTimeStop, 1);
}

TEST(PlayTime, HundredthsOfASecondCappedAtAHundredMinutes) {
  cPlayScene scene;
  // Ten minutes: 36000 frames are 600 seconds.
  for (int i = 0; i < 36000; ++i) scene.CountPlayTime();
  EXPECT_EQ(scene.m_nPlayFrames, 36000);
  EXPECT_EQ(scene.m_nPlayTime, 60000);
  // 359999 frames give 599998 hundredths (599998.33), still counting; the next frame would
  // give 600000 and is cut to 599999; from then on nothing changes.
  scene.m_nPlayFrames = 359998;
  scene.CountPlayTime();
  EXPECT_EQ(scene.m_nPlayTime, 599998);
  scene.CountPlayTime();
  EXPECT_EQ(scene.m_nPlayFrames, 360000);
  EXPECT_EQ(scene.m_nPlayTime, 599999);
  scene.CountPlayTime();
  EXPECT_EQ(scene.m_nPlayFrames, 360000);
  EXPECT_EQ(scene.m_nPlayTime, 599999);
}

}  // namespace
