// Game objects: clamps, steps, friction, screen rectangles, view and range tests, knock-back,
// wave and aimed moves, and the searches for a character.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "defs/ed_move.h"
#include "defs/flow_cmd.h"
#include "engine/aimed_move.h"
#include "engine/chara_search.h"
#include "engine/object.h"
#include "fixture/fixture.h"
#include "play_kit.h"
#include "script/cmd_state.h"

namespace {

// A stage 100 cells wide and 60 high: the stage proper spans 320..3520 horizontally and
// 320..2240 vertically; the field's outer edges are 4000 and 3000; the scroll range is
// 320..960 and 320..800.
cStage MotionStage(int speedLevel = 10) {
  cStage stage = fixture::Stage(100, 60);
  stage.m_nSpeedLevel = speedLevel;
  stage.m_nScrollExtraX = 3360;
  stage.m_nScrollExtraY = 2360;
  stage.m_bLimitRight = 1;
  stage.m_nLimitRight = 19;
  stage.m_bLimitBottom = 1;
  stage.m_nLimitBottom = 14;
  return stage;
}

cObject Body(double x, double y, int w = 16, int h = 16) {
  cObject o;
  o.m_nWidth = o.m_nBaseWidth = w;
  o.m_nHeight = o.m_nBaseHeight = h;
  o.m_dX = x;
  o.m_dY = y;
  o.UpdateFarX();
  o.UpdateFarY();
  return o;
}

struct ClampCase {
  int rule;
  double pos;
  int size;
  int result;
  double after;
};

TEST(Clamp, RulesAndResultsOfBothAxes) {
  playkit::PlayWorld world(MotionStage());
  ASSERT_EQ(world.scene.m_ScrollX.m_nMax, 960);
  ASSERT_EQ(world.scene.m_ScrollX.m_nOuter, 4000);
  const ClampCase xCases[] = {
      // Rule 2: the field's edges clamp (3), the stage's and the scroll range's classify.
      {2, -5, 16, 3, 0},        {2, -1, 5000, 3, 0},      {2, 0, 16, 2, 0},        {2, 319.5, 16, 2, 319.5},
      {2, 320, 16, 0, 320},     {2, 944, 16, 0, 944},     {2, 945, 16, 1, 945},    {2, 3504, 16, 1, 3504},
      {2, 3505, 16, 2, 3505},   {2, 3984, 16, 2, 3984},   {2, 3985, 16, 3, 3984},  {2, 3990.5, 16, 3, 3984},
      // Rule 1: kept in the stage proper; 1 when outside the scroll range.
      {1, 300, 16, 0, 320},     {1, 3505, 16, 0, 3504},   {1, 1000, 16, 1, 1000},  {1, 500, 16, 0, 500},
      // Rule 0: kept in the scroll range.
      {0, 300, 16, 0, 320},     {0, 945, 16, 0, 944},     {0, 944, 16, 0, 944},
      // Any other rule: nothing.
      {3, -40, 16, 0, -40},     {-1, 5000, 16, 0, 5000},
  };
  for (const ClampCase& c : xCases) {
    cObject o = Body(c.pos, 400, c.size, 16);
    EXPECT_EQ(o.ClampX(c.rule), c.result) << c.rule << " " << c.pos;
    EXPECT_EQ(o.m_dX, c.after) << c.rule << " " << c.pos;
    EXPECT_EQ(o.m_dFarX, c.after + c.size - 1);
  }
  // Vertically: outer 3000, stage 320..2240, scroll 320..800.
  const ClampCase yCases[] = {
      {2, -0.5, 16, 3, 0},   {2, 2985, 16, 6, 2984},  {2, 2984, 16, 5, 2984}, {2, 2225, 16, 5, 2225},
      {2, 2224, 16, 4, 2224}, {2, 785, 16, 4, 785},   {2, 784, 16, 0, 784},   {2, 319, 16, 2, 319},
      {1, 100, 16, 0, 320},  {1, 785, 16, 4, 785},    {1, 2230, 16, 0, 2224},
  };
  for (const ClampCase& c : yCases) {
    cObject o = Body(400, c.pos, 16, c.size);
    EXPECT_EQ(o.ClampY(c.rule), c.result) << c.rule << " " << c.pos;
    EXPECT_EQ(o.m_dY, c.after) << c.rule << " " << c.pos;
  }
}

TEST(Clamp, CellsTruncateTowardZeroBeforeTheShift) {
  playkit::PlayWorld world(MotionStage());
  const struct {
    double x;
    int cell;
    int farCell;
  } cases[] = {{100.5, 3, 3}, {31.9, 0, 1}, {-0.5, 0, 0}, {-33, -2, -1}};
  for (const auto& c : cases) {
    cObject o = Body(c.x, 400);
    o.ClampX(3);
    EXPECT_EQ(o.m_nCellX, c.cell) << c.x;
    EXPECT_EQ(o.m_nFarCellX, c.farCell) << c.x;
  }
}

TEST(MoveStep, TheSpeedIsLimitedBeforeTheMove) {
  playkit::PlayWorld world(MotionStage());
  ASSERT_EQ(g_StageData.m_dSpeedLimitStep, 6);
  const struct {
    double v;
    double kept;
  } cases[] = {{7, 6}, {6, 6}, {5.5, 5.5}, {-6, -6}, {-6.5, -6}};
  for (const auto& c : cases) {
    cObject o = Body(500, 500);
    o.m_dVX = c.v;
    o.m_dVY = c.v;
    EXPECT_EQ(o.MoveStepX(3), 0);
    EXPECT_EQ(o.MoveStepY(3), 0);
    EXPECT_EQ(o.m_dVX, c.kept);
    EXPECT_EQ(o.m_dX, 500 + c.kept);
    EXPECT_EQ(o.m_dY, 500 + c.kept);
  }
}

TEST(Friction, MovesTowardZeroWithoutCrossingIt) {
  cObject o;
  o.m_dFriction = 0.5;
  const struct {
    double value;
    int on;
    double after;
  } cases[] = {{0.3, 1, 0}, {-0.3, 1, 0}, {1.0, 1, 0.5}, {-1.0, 1, -0.5}, {0, 1, 0}, {0.3, 0, 0.3}, {0.5, 1, 0}};
  for (const auto& c : cases) {
    double v = c.value;
    o.Friction(v, c.on);
    EXPECT_EQ(v, c.after) << c.value;
  }
}

TEST(MoveMode, SetsTheFreeVerticalFlagAndBlockMode) {
  const struct {
    int mode;
    int free;
    int block;
  } cases[] = {{0, 0, 1}, {1, 1, 0}, {2, 1, 1}, {3, 1, 2}};
  for (const auto& c : cases) {
    cObject o;
    o.SetMoveMode(c.mode);
    EXPECT_EQ(o.m_bFree, c.free);
    EXPECT_EQ(o.m_byBlockMode, c.block);
    o.SetMoveMode(4);
    o.SetMoveMode(-1);
    EXPECT_EQ(o.m_bFree, c.free);
    EXPECT_EQ(o.m_byBlockMode, c.block);
  }
}

class ZoomProbe : public cObject {
 public:
  void OnZoom(int zoom) override { zooms.push_back(zoom); }
  std::vector<int> zooms;
};

TEST(Zoom, SizesScaleAndTheHorizontalCentreStays) {
  playkit::PlayWorld world(MotionStage());
  ZoomProbe o;
  o.Init(1, 1, 0, 1, 1, nullptr, 0, 8, 6, 16, 24, 32, 32, 1, 0, 0);
  o.m_dX = 1000;
  o.m_dY = 1000;
  o.SetZoom(3, 1);
  EXPECT_EQ(o.m_nWidth, 48);
  EXPECT_EQ(o.m_nHeight, 72);
  EXPECT_EQ(o.m_nGraphicX, 24);
  EXPECT_EQ(o.m_nGraphicY, 18);
  EXPECT_EQ(o.m_nGraphicW, 96);
  EXPECT_EQ(o.m_nGraphicH, 96);
  EXPECT_EQ(o.m_nBaseWidth, 16);
  // x -= (3 - 1) × (16 >> 1), then the clamp of rule 2 (inside the field: no change).
  EXPECT_EQ(o.m_dX, 984);
  EXPECT_EQ(o.m_dFarX, 984 + 47);
  EXPECT_EQ(o.m_dY, 1000);
  EXPECT_EQ(o.zooms, (std::vector<int>{3}));
  o.SetZoom(3, 3);
  EXPECT_EQ(o.zooms.size(), 1u);
  EXPECT_EQ(o.m_nLife, LIFETIME_UNLIMITED);
}

TEST(ScreenRect, FourVariantsByGravityAutoScrollAndScrollBinding) {
  cStage stage = MotionStage();
  stage.m_nScrollModeX = 1;
  stage.m_nAutoSpeedX = 10;
  stage.m_nScrollModeY = 1;
  stage.m_nAutoSpeedY = 10;
  playkit::PlayWorld world(stage);
  cScroll& sx = world.scene.m_ScrollX;
  cScroll& sy = world.scene.m_ScrollY;
  sx.m_dPos = 500.2;
  sy.m_dPos = 400.1;
  sx.m_bPinned = sy.m_bPinned = 0;
  cObject o = Body(450.9, 500.9);
  o.m_nGraphicX = 8;
  o.m_nGraphicY = 4;
  o.m_nGraphicW = 32;
  o.m_nGraphicH = 48;
  const struct {
    int free;
    int bound;
    bool moving;
    int left;
    int top;
  } cases[] = {
      // Under gravity: trunc(450.9 - 8 - 500) = -57; trunc(500.9 - 4 - 400) = 96.
      {0, 0, true, -57, 96},
      // Free, moving axes, bound: trunc(450.9 - 500.2) - 8 = -57; trunc(100.8) - 4 + 1 = 97.
      {1, 1, true, -57, 97},
      // Free, moving, not bound: as under gravity horizontally; vertically the same as bound.
      {1, 0, true, -57, 97},
      // Free, axes at rest: 450 - 500 - 8 = -58; 500 - 400 - 4 = 96.
      {1, 1, false, -58, 96},
  };
  for (const auto& c : cases) {
    o.m_bFree = c.free;
    o.m_bScrollSync = c.bound;
    sx.m_dAutoSpeed = sy.m_dAutoSpeed = c.moving ? 1.0 : 0.0;
    o.CalcScreenRect();
    EXPECT_EQ(o.m_rcScreen.left, c.left) << c.free << c.bound << c.moving;
    EXPECT_EQ(o.m_rcScreen.top, c.top) << c.free << c.bound << c.moving;
    EXPECT_EQ(o.m_rcScreen.right, c.left + 31);
    EXPECT_EQ(o.m_rcScreen.bottom, c.top + 47);
  }
  // A free body bound to a scroll that moved 0.4 dot: the bound variant follows the fraction.
  o.m_bFree = 1;
  o.m_bScrollSync = 1;
  sx.m_dAutoSpeed = 1.0;
  o.m_dX = 550.1;
  o.CalcScreenRect();
  EXPECT_EQ(o.m_rcScreen.left, 49 - 8);
}

TEST(ViewTests, OnScreenInsideStageAndOutOfRange) {
  playkit::PlayWorld world(MotionStage());
  cScroll& sx = world.scene.m_ScrollX;
  cScroll& sy = world.scene.m_ScrollY;
  sx.m_dPos = 1000;
  sy.m_dPos = 320;
  // On screen: far x >= scroll x and scroll x + 640 > x.
  EXPECT_TRUE(Body(985, 400).IsOnScreen());
  EXPECT_FALSE(Body(984, 400).IsOnScreen());
  EXPECT_TRUE(Body(1639.5, 400).IsOnScreen());
  EXPECT_FALSE(Body(1640, 400).IsOnScreen());
  EXPECT_TRUE(Body(1640, 400).IsOnScreenAxes(1, 0));
  EXPECT_FALSE(Body(1000, 100).IsOnScreenAxes(1, 0));
  EXPECT_TRUE(Body(1000, 100).IsOnScreenAxes(0, 1));

  EXPECT_TRUE(Body(320, 320).IsInsideStage(0));
  EXPECT_FALSE(Body(319, 320).IsInsideStage(0));
  EXPECT_TRUE(Body(3504, 2224).IsInsideStage(0));
  EXPECT_FALSE(Body(3505, 2224).IsInsideStage(0));
  EXPECT_TRUE(Body(0, 0).IsInsideStage(1));
  EXPECT_FALSE(Body(-0.5, 0).IsInsideStage(1));
  EXPECT_TRUE(Body(3984, 2984).IsInsideStage(1));
  EXPECT_FALSE(Body(3985, 2984).IsInsideStage(1));

  cRemovalRule off;
  off.Set(0, 0, 0, 0, 0, 0, 0, 0);
  // With every switch off only the field edge removes: x or y at 0, or the far edge at the
  // outer edge - 1.
  EXPECT_EQ(Body(0, 400).IsOutOfRange(off), 1);
  EXPECT_EQ(Body(2000, 400).IsOutOfRange(off), 0);
  EXPECT_EQ(Body(0.5, 400).IsOutOfRange(off), 0);
  EXPECT_EQ(Body(2000, 0).IsOutOfRange(off), 1);
  EXPECT_EQ(Body(3984, 400).IsOutOfRange(off), 1);
  EXPECT_EQ(Body(3983, 400).IsOutOfRange(off), 0);
  // On screen is never out of range, even at the field edge.
  sx.m_dPos = 0;
  EXPECT_EQ(Body(0, 400).IsOutOfRange(off), 0);
  sx.m_dPos = 1000;
  // Left switch with a margin of 2 cells: far x <= trunc(1000 - 64) = 936.
  cRemovalRule left;
  left.Set(1, 0, 0, 0, 2, 0, 0, 0);
  EXPECT_EQ(Body(921, 400).IsOutOfRange(left), 1);
  EXPECT_EQ(Body(922, 400).IsOutOfRange(left), 0);
  // Right switch, margin 1: x >= trunc(1000 + 32 + 640) = 1672.
  cRemovalRule right;
  right.Set(0, 1, 0, 0, 0, 1, 0, 0);
  EXPECT_EQ(Body(1672, 400).IsOutOfRange(right), 1);
  EXPECT_EQ(Body(1671.5, 400).IsOutOfRange(right), 0);
  // Bottom switch, margin 0: y >= 320 + 480 = 800; top switch, margin 1: far y <= 288.
  cRemovalRule vertical;
  vertical.Set(0, 0, 1, 1, 0, 0, 1, 0);
  EXPECT_EQ(Body(1200, 800).IsOutOfRange(vertical), 1);
  EXPECT_EQ(Body(1200, 273).IsOutOfRange(vertical), 1);
  EXPECT_EQ(Body(1200, 274).IsOutOfRange(vertical), 0);
}

TEST(Knockback, ImpactZeroLeavesTheSpeedAndTheStartSpeedCarriesSixteenDotsPerHalfBlock) {
  for (int level : {1, 2, 10}) {
    playkit::PlayWorld world(MotionStage(level));
    double k = g_StageData.m_dSubSteps;
    double vx = 5;
    double vy = 7;
    KnockbackSpeed(vx, vy, 0, 3, 4);
    EXPECT_EQ(vx, 5);
    EXPECT_EQ(vy, 7);
    KnockbackSpeed(vx, vy, 4, 0, 0);
    EXPECT_EQ(vx, 0);
    EXPECT_EQ(vy, 0);
    // Impact 4 shared 3:1: d = 3, e = 1 (negative direction on y).
    KnockbackSpeed(vx, vy, 4, 6, -2);
    EXPECT_DOUBLE_EQ(vx, (std::sqrt(1 + 128 * k * 3) - 1) / (2 * k));
    EXPECT_DOUBLE_EQ(vy, -(std::sqrt(1 + 128 * k * 1) - 1) / (2 * k));
    // Losing 1/k per sub-step, the travel is 16 × |d| dots (to within the last step).
    cChara c;
    c.m_dKnockX = vx;
    c.m_dKnockY = vy;
    double travelX = 0;
    double travelY = 0;
    for (int i = 0; i < 10000 && (c.m_dKnockX != 0 || c.m_dKnockY != 0); ++i) {
      travelX += c.m_dKnockX;
      travelY += c.m_dKnockY;
      c.DecayKnockX();
      c.DecayKnockY();
    }
    EXPECT_NEAR(travelX, 48, vx);
    EXPECT_NEAR(travelY, -16, -vy);
  }
}

TEST(Wave, PhaseAdvancesAndWrapsOnceAtAFullTurn) {
  playkit::PlayWorld world(MotionStage(2));
  const double pi = 3.14159265358979323846;
  double r = 90 * pi / 180;
  double phase = 0;
  EXPECT_DOUBLE_EQ(WaveVelocity(10, 90, phase, 3, 0), r * 10 / 2);
  EXPECT_EQ(phase, 3);
  // The value uses the phase before the advance: 3 / k = 1.5 degrees.
  EXPECT_DOUBLE_EQ(WaveVelocityY(10, 90, phase, 3, 0), -(r * std::sin(r * 1.5) * (r / 2) * 10) / 2);
  phase = 719.5;
  WaveVelocity(10, 90, phase, 1, 0);
  EXPECT_EQ(phase, 0.5);
  phase = 718;
  WaveVelocity(10, 90, phase, 1, 0);
  EXPECT_EQ(phase, 719);
}

class AimedMove : public ::testing::Test {
 protected:
  AimedMove() : world_(MotionStage()) {}
  playkit::PlayWorld world_;
};

TEST_F(AimedMove, NegativeSpeedMovesAwayOnTheDiagonal) {
  double vx = 0;
  double vy = 0;
  int dir = -1;
  // Goal right of and below the mover: away is up and left, 3/√2 on each axis.
  EXPECT_EQ(AimVelocity(vx, vy, dir, nullptr, 100, 100, 130, 140, -3, 0, 0, 1), 0);
  EXPECT_DOUBLE_EQ(vx, -3 * 0.7071067811865476);
  EXPECT_DOUBLE_EQ(vy, -3 * 0.7071067811865476);
  EXPECT_EQ(dir, 1);
  // A goal level with the mover counts as above it.
  AimVelocity(vx, vy, dir, nullptr, 100, 100, 50, 100, -3, 0, 0, 0);
  EXPECT_GT(vx, 0);
  EXPECT_GT(vy, 0);
  EXPECT_EQ(dir, 2);
  // Straight only: a negative speed moves straight away.
  AimVelocity(vx, vy, dir, nullptr, 0, 0, 30, 40, -5, 0, 1, 0);
  EXPECT_DOUBLE_EQ(vx, -3);
  EXPECT_DOUBLE_EQ(vy, -4);
}

TEST_F(AimedMove, StraightMoveAndArrival) {
  double vx = 0;
  double vy = 0;
  int dir = -1;
  EXPECT_EQ(AimVelocity(vx, vy, dir, nullptr, 0, 0, 30, 40, 5, 0, 0, 1), 0);
  EXPECT_DOUBLE_EQ(vx, 3);
  EXPECT_DOUBLE_EQ(vy, 4);
  EXPECT_EQ(dir, 2);
  EXPECT_EQ(AimVelocity(vx, vy, dir, nullptr, 0, 0, 5, -5, 5, 0, 0, 1), 1);
  EXPECT_EQ(AimVelocity(vx, vy, dir, nullptr, 0, 0, 6, -5, 5, 0, 0, 1), 0);
  EXPECT_EQ(AimVelocity(vx, vy, dir, nullptr, 0, 0, 6, -5, 5, 0, 0, 0), 0);
  // At the goal: distance taken as 1, no movement, arrived.
  EXPECT_EQ(AimVelocity(vx, vy, dir, nullptr, 7, 7, 7, 7, 5, 0, 0, 1), 1);
  EXPECT_EQ(vx, 0);
  EXPECT_EQ(vy, 0);
  EXPECT_EQ(dir, 0);
}

TEST_F(AimedMove, ScrollCorrectionWithBothValuesOfTheLegacySwitch) {
  cScroll& sx = world_.scene.m_ScrollX;
  sx.m_dAutoSpeed = 0.5;
  sx.m_bPinned = 0;
  cCharaData def = fixture::Chara(1);
  cStageChara& target = world_.AddChara(def, 5, 5);
  double vx = 0;
  double vy = 0;
  int dir = 0;
  g_SystemData.m_bLegacy214 = 1;
  AimVelocity(vx, vy, dir, nullptr, 0, 0, 30, 40, 5, 0, 0, 0);
  EXPECT_DOUBLE_EQ(vx, 3.5);
  EXPECT_DOUBLE_EQ(vy, 4);
  g_SystemData.m_bLegacy214 = 0;
  AimVelocity(vx, vy, dir, nullptr, 0, 0, 30, 40, 5, 0, 0, 0);
  EXPECT_DOUBLE_EQ(vx, 3);
  // A target that does not move with the scroll: the scroll's speed is taken off.
  AimVelocity(vx, vy, dir, &target, 0, 0, 30, 40, 5, 0, 0, 0);
  EXPECT_DOUBLE_EQ(vx, 2.5);
  // Both bound: nothing changes.
  target.m_bScrollSync = 1;
  AimVelocity(vx, vy, dir, &target, 0, 0, 30, 40, 5, 1, 0, 0);
  EXPECT_DOUBLE_EQ(vx, 3);
  // Diagonal: only when exactly one of them is bound.
  AimVelocity(vx, vy, dir, &target, 0, 0, 30, 40, -2, 1, 0, 0);
  EXPECT_DOUBLE_EQ(vx, -2 * 0.7071067811865476);
  AimVelocity(vx, vy, dir, &target, 0, 0, 30, 40, -2, 0, 0, 0);
  EXPECT_DOUBLE_EQ(vx, -2 * 0.7071067811865476 - 0.5);
  // A pinned scroll does not move by itself: nothing to correct.
  sx.m_bPinned = 1;
  g_SystemData.m_bLegacy214 = 1;
  AimVelocity(vx, vy, dir, nullptr, 0, 0, 30, 40, 5, 0, 0, 0);
  EXPECT_DOUBLE_EQ(vx, 3);
}

TEST_F(AimedMove, InterceptMeetsAGoalCarriedByTheScroll) {
  cScroll& sx = world_.scene.m_ScrollX;
  sx.m_dAutoSpeed = 1;
  sx.m_bPinned = 0;
  cStageChara& target = world_.AddChara(fixture::Chara(1), 5, 5);
  target.m_bScrollSync = 1;
  const struct {
    double gx;
    double gy;
    double speed;
  } cases[] = {{30, 40, 5}, {40, 30, 5}, {10, 40, 3}, {60, -20, 4}};
  for (const auto& c : cases) {
    double vx = 0;
    double vy = 0;
    int dir = 0;
    AimVelocity(vx, vy, dir, &target, 0, 0, c.gx, c.gy, c.speed, 0, 0, 0);
    // The speed stays the same, and mover and goal meet: at the time t the mover has covered
    // the goal's distance on the solved axis, the goal has moved on by t × (1, 0).
    EXPECT_NEAR(std::sqrt(vx * vx + vy * vy), c.speed, 1e-9);
    bool vertical = std::fabs(c.gy) >= std::fabs(c.gx);
    double t = vertical ? c.gy / vy : (c.gx) / (vx - 1);
    EXPECT_GT(t, 0);
    EXPECT_NEAR(vx * t, c.gx + t, 1e-9);
    EXPECT_NEAR(vy * t, c.gy, 1e-9);
  }
  // Toward the negative side the root is taken with the sign of the distance: goal (-40, 10),
  // solved horizontally: W = 1.0625, B = 0.125, R / dx² - V² = -8.9375, so the root is
  // -(0.125 + √38) / 2.125; t = 40 / (1 - u) and vy = 10 / t.
  double vx = 0;
  double vy = 0;
  int dir = 0;
  AimVelocity(vx, vy, dir, &target, 0, 0, -40, 10, 3, 0, 0, 0);
  double u = -(0.125 + std::sqrt(38.0)) / 2.125;
  EXPECT_NEAR(vx, u, 1e-12);
  EXPECT_NEAR(vy, 10 / (40 / (1 - u)), 1e-12);
  EXPECT_EQ(dir, 1);
}

TEST_F(AimedMove, NoSolutionKeepsTheStraightVelocityAndNeverANonNumber) {
  cScroll& sx = world_.scene.m_ScrollX;
  sx.m_bPinned = 0;
  cStageChara& target = world_.AddChara(fixture::Chara(1), 5, 5);
  target.m_bScrollSync = 1;
  // A goal that runs away faster than the mover: no meeting.
  sx.m_dAutoSpeed = 5;
  double vx = 0;
  double vy = 0;
  int dir = 0;
  AimVelocity(vx, vy, dir, &target, 0, 0, 30, 40, 0.1, 0, 0, 0);
  EXPECT_DOUBLE_EQ(vx, 0.06);
  EXPECT_DOUBLE_EQ(vy, 0.08);
  EXPECT_EQ(dir, 2);
  // Zero speed, the goal on the mover, or on one axis: finite every time.
  const double goals[][2] = {{0, 0}, {30, 0}, {0, 30}, {-30, 0}};
  for (double speed : {0.0, 2.0, -2.0}) {
    for (const auto& g : goals) {
      for (double k : {0.0, 1.0, 5.0}) {
        sx.m_dAutoSpeed = k;
        AimVelocity(vx, vy, dir, &target, 0, 0, g[0], g[1], speed, 0, 0, 1);
        EXPECT_TRUE(std::isfinite(vx) && std::isfinite(vy)) << speed << " " << g[0] << "," << g[1] << " " << k;
      }
    }
  }
}

TEST_F(AimedMove, OneAxisSteps) {
  cScroll& sx = world_.scene.m_ScrollX;
  sx.m_dAutoSpeed = 0.5;
  sx.m_bPinned = 0;
  cStageChara& target = world_.AddChara(fixture::Chara(1), 5, 5);
  target.m_bScrollSync = 1;
  double v = 0;
  double ignored = 9;
  int dir = 0;
  EXPECT_EQ(StepTowardX(v, ignored, dir, nullptr, 100, 100, 2, 0, 1), 1);
  EXPECT_EQ(dir, 1);
  EXPECT_EQ(v, -2);
  EXPECT_EQ(ignored, 0);
  EXPECT_EQ(StepTowardX(v, ignored, dir, nullptr, 100, 102, 2, 0, 1), 0);
  EXPECT_EQ(dir, 2);
  EXPECT_EQ(v, 2);
  EXPECT_EQ(StepTowardX(v, ignored, dir, nullptr, 100, 101.5, 2, 0, 1), 1);
  g_SystemData.m_bLegacy214 = 1;
  StepTowardX(v, ignored, dir, &target, 100, 200, 2, 0, 0);
  EXPECT_EQ(v, 2.5);
  StepTowardX(v, ignored, dir, &target, 100, 200, 2, 1, 0);
  EXPECT_EQ(v, 2);
  g_SystemData.m_bLegacy214 = 0;
  StepTowardX(v, ignored, dir, &target, 100, 200, 2, 0, 0);
  EXPECT_EQ(v, 2);
  EXPECT_EQ(StepTowardY(v, ignored, nullptr, 50, 10, 3, 0, 1), 0);
  EXPECT_EQ(v, -3);
}

TEST_F(AimedMove, ArrivalAtTheGoalPutsTheCentreThereWhenTheMoveStopsAtIt) {
  cStageChara& c = world_.AddChara(fixture::Chara(1), 5, 5);
  c.CalcScreenRect();
  int cx = c.CenterX();
  int cy = c.CenterY();
  cFlowCmd cmd;
  CreateEdMove(cmd.m_pMove);
  cCmdState state;
  state.m_pCmd = &cmd;
  state.m_dSpeed = 5;
  double x = c.m_dX;
  double y = c.m_dY;
  // Within one step of the goal, without the stop switch: only the velocity.
  EXPECT_EQ(c.MoveToward(state, nullptr, cx + 3, cy - 4, 0, 1), 1);
  EXPECT_DOUBLE_EQ(state.m_dVx, 3);
  EXPECT_EQ(c.m_dX, x);
  // With it: the centre moves onto the goal and the move stops.
  cmd.m_pMove->m_bStopAtGoal = 1;
  EXPECT_EQ(c.MoveToward(state, nullptr, cx + 3, cy - 4, 0, 1), 1);
  EXPECT_EQ(c.m_dX, x + 3);
  EXPECT_EQ(c.m_dY, y - 4);
  EXPECT_EQ(state.m_dVx, 0);
  EXPECT_EQ(state.m_dVy, 0);
  // Farther away: no arrival.
  c.CalcScreenRect();
  EXPECT_EQ(c.MoveToward(state, nullptr, c.CenterX() + 30, c.CenterY(), 0, 1), 0);
  EXPECT_DOUBLE_EQ(state.m_dVx, 5);
  EXPECT_EQ(state.m_nFacingOut, 2);
  // One axis.
  EXPECT_EQ(c.MoveTowardX(state, nullptr, c.CenterX() - 2, 0, 1), 1);
  EXPECT_EQ(state.m_dVx, 0);
  int goal = 0;
  int other = 0;
  state.m_nOffsetX = 7;
  state.m_nOffsetY = -9;
  c.GetMoveGoal(goal, other, state);
  EXPECT_EQ(goal, c.CenterX() + 7);
  EXPECT_EQ(other, c.CenterY() - 9);
}

TEST(Range, EdgesAndTheVerticalOffsetRuleWithBothValuesOfTheSwitch) {
  const struct {
    int extentLow;
    int extentHigh;
    int whole;
    int low;
    int high;
  } cases[] = {{0, 0, 1, 100, 132}, {0, 0, 0, 116, 116}, {10, 0, 1, 90, 116}, {0, 20, 0, 116, 152}, {10, 20, 0, 90, 152}};
  for (const auto& c : cases) {
    int low = 0;
    int high = 0;
    RangeEdges(low, high, 100, 33, c.extentLow, c.extentHigh, c.whole);
    EXPECT_EQ(low, c.low);
    EXPECT_EQ(high, c.high);
  }
  playkit::PlayWorld world(MotionStage());
  cObject self;
  cObject target = Body(500, 500, 16, 24);
  target.m_nGraphicH = 32;
  // low = 116 against the target's high 120 shrunk by the offset 8: 112.
  for (int legacy : {0, 1}) {
    g_SystemData.m_bLegacy733 = legacy;
    // trunc(23) + 8 + 1 = 32 is not below the graphic height: without the switch the offset
    // is dropped from the first comparison.
    EXPECT_EQ(self.IsInRange(100, 32, 90, 120, 8, 0, 0, 0, 1, &target), legacy == 0) << legacy;
    EXPECT_FALSE(self.IsInRange(100, 32, 90, 120, 8, 0, 0, 0, 0, &target));
  }
  g_SystemData.m_bLegacy733 = 0;
  cObject shorter = Body(500, 500, 16, 23);
  shorter.m_nGraphicH = 32;
  EXPECT_FALSE(self.IsInRange(100, 32, 90, 120, 8, 0, 0, 0, 1, &shorter));
  EXPECT_TRUE(self.IsInRange(100, 32, 90, 124, 8, 0, 0, 0, 1, &shorter));
  EXPECT_FALSE(self.IsInRange(100, 32, 109, 124, 8, 0, 0, 0, 1, &shorter));
}

class Search : public ::testing::Test {
 protected:
  Search() : world_(MotionStage()) {}
  cStageChara& At(int cx, int cy, int onScreen) {
    cStageChara& c = world_.AddChara(fixture::Chara(1), 5, 5);
    c.m_rcScreen.left = cx - 16;
    c.m_rcScreen.top = cy - 16;
    c.m_nGraphicW = c.m_nGraphicH = 32;
    c.m_bOnScreen = onScreen;
    return c;
  }
  playkit::PlayWorld world_;
};

TEST_F(Search, ModeZeroTakesAnOffScreenCharacterOnlyWhenNoneOnScreenPasses) {
  cStageChara& far = At(200, 0, 1);
  cStageChara& near = At(10, 0, 0);
  cCharaFilter any;
  EXPECT_EQ(FindTargetChara(0, 0, g_lChara, 0, any), &far);
  EXPECT_EQ(FindTargetChara(0, 0, g_lChara, 1, any), &near);
  EXPECT_EQ(FindTargetChara(0, 0, g_lChara, 2, any), &far);
  EXPECT_EQ(FindTargetChara(0, 0, g_lChara, 3, any), nullptr);
  EXPECT_EQ(FindTargetChara(0, 0, g_lChara, -1, any), nullptr);
  far.m_bDead = 1;
  cCharaFilter alive;
  alive.bAlive = 1;
  EXPECT_EQ(FindTargetChara(0, 0, g_lChara, 0, alive), &near);
  EXPECT_EQ(FindTargetChara(0, 0, g_lChara, 2, alive), nullptr);
  // A removed character is found by no search.
  cObjectList<cStageChara>::Remove(near);
  EXPECT_EQ(FindTargetChara(0, 0, g_lChara, 0, alive), nullptr);
  EXPECT_EQ(FindCharaInList(g_lChara, alive), nullptr);
}

TEST_F(Search, TiesGoToTheFirstInListOrderAndInactiveCharactersAreSkipped) {
  cStageChara& a = At(0, 50, 1);
  cStageChara& b = At(50, 0, 1);
  cStageChara& c = At(5, 5, 1);
  c.m_bActive = 0;
  cCharaFilter any;
  EXPECT_EQ(FindTargetChara(0, 0, g_lChara, 1, any), &a);
  b.m_rcScreen.left -= 1;
  EXPECT_EQ(FindTargetChara(0, 0, g_lChara, 1, any), &b);
}

TEST_F(Search, FiltersAndTheVariableComparison) {
  cStageChara& a = At(0, 0, 1);
  cStageChara& b = At(0, 0, 1);
  a.m_Data.m_byCharaId = 3;
  b.m_Data.m_byCharaId = 4;
  b.m_vVar[2] = -12;
  cCharaFilter byId;
  byId.bCharaId = 1;
  byId.nCharaId = 4;
  EXPECT_EQ(FindCharaInList(g_lChara, byId), &b);
  cCharaFilter notSelf;
  notSelf.lpSelf = &a;
  EXPECT_EQ(FindCharaInList(g_lChara, notSelf), &b);
  a.m_Data.m_byInvincible = 1;
  cCharaFilter inv;
  inv.bNotInvincible1 = 1;
  EXPECT_EQ(FindCharaInList(g_lChara, inv), &b);
  b.m_Data.m_bBlockChara = 1;
  cCharaFilter block;
  block.bNotBlockChara = 1;
  EXPECT_EQ(FindCharaInList(g_lChara, block), &a);
  // Variable 2 of b is -12, of a is 0.
  const struct {
    int op;
    int value;
    bool a;
    bool b;
  } ops[] = {{0, -12, false, true}, {1, 0, false, true},  {2, 0, true, false}, {3, -12, false, true},
             {4, -12, true, false}, {5, 0, false, true},  {6, 5, true, false}, {6, 4, true, true},
             {6, 0, true, true},    {7, 5, false, true},  {7, 0, false, false}, {8, 0, false, false}};
  for (const auto& o : ops) {
    cCharaFilter f;
    f.bVar = 1;
    f.nVar = 2;
    f.nOp = o.op;
    f.nValue = o.value;
    EXPECT_EQ(f.Pass(a), o.a) << o.op << " " << o.value;
    EXPECT_EQ(f.Pass(b), o.b) << o.op << " " << o.value;
  }
  cCharaFilter badVar;
  badVar.bVar = 1;
  badVar.nVar = 9;
  EXPECT_FALSE(badVar.Pass(a));
  // References from the last to the first, by slot.
  cLinkList<cCharaRef> refs;
  for (const cCharaRef& r : {cCharaRef{&a, 1}, cCharaRef{&b, 1}, cCharaRef{&a, 2}}) refs.AddOnce(r);
  cCharaFilter none;
  EXPECT_EQ(FindCharaInRefs(refs, 1, none), &b);
  EXPECT_EQ(FindCharaInRefs(refs, 2, none), &a);
  EXPECT_EQ(FindCharaInRefs(refs, 0, none), nullptr);
}

TEST_F(Search, NearestFollowsTheStageOnScreenSwitchAndSkipsInvincibleTwo) {
  cStageChara& off = At(10, 0, 0);
  cStageChara& on = At(300, 0, 1);
  g_StageData.m_bHitOnScreenOnly = 1;
  EXPECT_EQ(FindNearestChara(0, 0, g_lChara), &on);
  on.m_Data.m_byInvincible = 2;
  EXPECT_EQ(FindNearestChara(0, 0, g_lChara), nullptr);
  g_StageData.m_bHitOnScreenOnly = 0;
  EXPECT_EQ(FindNearestChara(0, 0, g_lChara), &off);
  on.m_Data.m_byInvincible = 0;
  EXPECT_EQ(FindNearestChara(0, 0, g_lChara), &on);
  EXPECT_EQ(FindNearest(off, g_lChara), &on);
}

}  // namespace
