// The steering commands: the charge aimed once at a target (empty slot, dead target, on foot,
// turned by an angle under both rules), homing with its lag, the screen-edge move with and
// without the automatic scroll, the turn in its modes and the jump's end rules of a stage
// character. Expected values are worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "move_fixture.h"
#include "script/cmd_chase.h"
#include "script/cmd_move.h"

namespace {

constexpr double HALF_SQRT2 = 1.4142135623730951;  // 2 / √2

// The character of MoveCmd at screen centre (176, 176), speed 2, and a second character as the
// target in slot 1.
class Chase : public MoveCmd {
 protected:
  Chase() { cmd_.m_byKind = CMD_MOVE_CHARGE; }
  // A target in a cell, in target slot 1; screen centre (32 × column + 16, 32 × row + 16).
  cStageChara& PlaceTarget(int column, int row) {
    cStageChara& t = world_.PlaceChara(Def(), column, row);
    chara_.SetTarget(0, &t);
    return t;
  }
  void MoveTarget(cStageChara& t, double dx, double dy) {
    t.m_dX += dx;
    t.m_dY += dy;
    t.CalcScreenRect();
  }
};

TEST_F(Chase, ChargeWithAnEmptySlotNeverMovesAndADeadTargetKeepsTheLastVelocity) {
  // A velocity left in the state from an earlier run of the command.
  state_.m_dVx = 5;
  state_.m_dVy = 5;
  Fly();
  for (int i = 0; i < 3; ++i) {
    Tick(CmdChargeMove);
    EXPECT_EQ(chara_.m_dVX, 0) << "tick " << i;
    EXPECT_EQ(chara_.m_dVY, 0) << "tick " << i;
  }
  // A run against a living target 96 right and 128 down (1.2, 1.6 a tick), then one begun
  // after it died: its first tick moves nothing, the later ones charge on at (1.2, 1.6).
  cStageChara& t = PlaceTarget(8, 9);
  cCmdState again;
  again.m_pCmd = &cmd_;
  again.m_dSpeed = 2;
  chara_.m_dVX = chara_.m_dVY = 0;
  CmdChargeMove(chara_, again);
  ASSERT_DOUBLE_EQ(chara_.m_dVX, 1.2);
  t.m_bDead = 1;
  again.m_bStarted = 0;
  for (int i = 0; i < 3; ++i) {
    chara_.m_dVX = chara_.m_dVY = 0;
    CmdChargeMove(chara_, again);
    EXPECT_DOUBLE_EQ(chara_.m_dVX, i == 0 ? 0 : 1.2) << "tick " << i;
    EXPECT_DOUBLE_EQ(chara_.m_dVY, i == 0 ? 0 : 1.6) << "tick " << i;
  }
}

TEST_F(Chase, ChargeAimsOnceAtWhereTheTargetStood) {
  Fly();
  cStageChara& t = PlaceTarget(8, 9);  // 96 right and 128 down: 160 away
  Tick(CmdChargeMove);
  EXPECT_DOUBLE_EQ(chara_.m_dVX, 1.2);
  EXPECT_DOUBLE_EQ(chara_.m_dVY, 1.6);
  EXPECT_EQ(chara_.m_nDir, 1);
  MoveTarget(t, -300, -300);
  Tick(CmdChargeMove);
  EXPECT_DOUBLE_EQ(chara_.m_dVX, 1.2);
  EXPECT_DOUBLE_EQ(chara_.m_dVY, 1.6);
}

TEST_F(Chase, ChargeOnFootRunsAlongXOnly) {
  const struct {
    int column;
    double vx;
    int facing;
  } rows[] = {{8, 2, 1}, {5, -2, 0}, {2, -2, 0}};  // level counts as on the left
  for (const auto& r : rows) {
    SCOPED_TRACE(r.column);
    chara_.m_nDir = 1 - r.facing;
    cStageChara& t = PlaceTarget(r.column, 9);
    cCmdState s;
    s.m_pCmd = &cmd_;
    s.m_dSpeed = 2;
    chara_.m_dVX = chara_.m_dVY = 0;
    CmdChargeMove(chara_, s);
    EXPECT_EQ(chara_.m_dVX, r.vx);
    EXPECT_EQ(chara_.m_dVY, 0);
    EXPECT_EQ(chara_.m_nDir, r.facing);
    t.m_bRemoved = 1;
  }
}

TEST_F(Chase, ChargeTurnedByItsAngleUnderBothRules) {
  Fly();
  PlaceTarget(8, 9);
  Move().m_sAngle = 10;
  // atan2(128, 96) = 53.13 degrees.
  // Rule 0: trunc(53.13 + 180) + 10 = 243; vx = −2 cos 243, vy = −2 sin 243.
  Tick(CmdChargeMove);
  EXPECT_NEAR(chara_.m_dVX, 0.9079809994790938, 1e-12);
  EXPECT_NEAR(chara_.m_dVY, 1.7820130483767356, 1e-12);
  // Rule 1: atan2(96, 128) = 36.87; trunc(36.87 + 90) + 10 = 136; vx = 2 cos 136.
  g_SystemData.m_bLegacy728 = 1;
  cCmdState s;
  s.m_pCmd = &cmd_;
  s.m_dSpeed = 2;
  chara_.m_dVX = chara_.m_dVY = 0;
  CmdChargeMove(chara_, s);
  EXPECT_NEAR(chara_.m_dVX, -1.4386796006773024, 1e-12);
  EXPECT_NEAR(chara_.m_dVY, -1.3893167409179943, 1e-12);
}

TEST_F(Chase, BothAxesLockedStandStill) {
  Fly();
  PlaceTarget(8, 9);
  Move().m_bNoMoveX = 1;
  Move().m_bNoMoveY = 1;
  Tick(CmdChargeMove);
  EXPECT_EQ(chara_.m_dVX, 0);
  EXPECT_EQ(chara_.m_dVY, 0);
  // One lock: only the other axis.
  Move().m_bNoMoveX = 0;
  cCmdState s;
  s.m_pCmd = &cmd_;
  s.m_dSpeed = 2;
  chara_.m_dVX = chara_.m_dVY = 0;
  CmdChargeMove(chara_, s);
  EXPECT_EQ(chara_.m_dVX, 2);
  EXPECT_EQ(chara_.m_dVY, 0);
}

TEST_F(Chase, HomingReaimsEveryLagAtWhereTheTargetWas) {
  Fly();
  cmd_.m_byKind = CMD_MOVE_HOMING;
  state_.m_nMoveValue1 = 3;
  cStageChara& t = PlaceTarget(8, 5);  // 96 dots right, level
  std::vector<double> vx, vy;
  for (int tick = 0; tick < 7; ++tick) {
    if (tick == 1) MoveTarget(t, 0, 96);
    Tick(CmdHomingMove);
    vx.push_back(chara_.m_dVX);
    vy.push_back(chara_.m_dVY);
  }
  // Ticks 0..5 head for the first point (re-aimed at it on tick 3); tick 6 heads for where
  // the target stood on tick 3: 96 right and 96 down.
  for (int tick = 0; tick < 6; ++tick) {
    EXPECT_EQ(vx[static_cast<size_t>(tick)], 2) << tick;
    EXPECT_EQ(vy[static_cast<size_t>(tick)], 0) << tick;
  }
  EXPECT_NEAR(vx[6], HALF_SQRT2, 1e-12);
  EXPECT_NEAR(vy[6], HALF_SQRT2, 1e-12);
  EXPECT_EQ(state_.m_nCounter, 7);
  EXPECT_EQ(state_.m_lGoal.size(), 1u);
}

TEST_F(Chase, HomingWithoutLagFollowsAtOnceAndStopsWhileTheTargetIsDead) {
  Fly();
  cmd_.m_byKind = CMD_MOVE_HOMING;
  cStageChara& t = PlaceTarget(8, 5);
  Tick(CmdHomingMove);
  EXPECT_EQ(chara_.m_dVX, 2);
  MoveTarget(t, -192, 0);  // now 96 to the left
  Tick(CmdHomingMove);
  EXPECT_EQ(chara_.m_dVX, -2);
  t.m_bDead = 1;
  Tick(CmdHomingMove);
  EXPECT_EQ(chara_.m_dVX, 0);
  EXPECT_EQ(chara_.m_dVY, 0);
  EXPECT_EQ(state_.m_nCounter, 2);
  t.m_bDead = 0;
  Tick(CmdHomingMove);
  EXPECT_EQ(chara_.m_dVX, -2);
}

TEST_F(Chase, HomingOnFootUsesXOnlyAndALockedXStops) {
  cmd_.m_byKind = CMD_MOVE_HOMING;
  PlaceTarget(8, 2);
  Tick(CmdHomingMove);
  EXPECT_EQ(chara_.m_dVX, 2);
  EXPECT_EQ(chara_.m_dVY, 0);
  Move().m_bNoMoveX = 1;
  Tick(CmdHomingMove);
  EXPECT_EQ(chara_.m_dVX, 0);
  EXPECT_EQ(state_.m_nCounter, 1);
}

TEST_F(Chase, ScreenEdgeWithoutAutoScroll) {
  Fly();
  const struct {
    int code, facing, left, top, right, bottom;
    double vx, vy;
  } rows[] = {
      {2, 0, 609, 200, 625, 224, -2, 0},   // 左 watches the right edge
      {2, 0, 608, 200, 624, 224, 0, 0},
      {3, 0, 0, 200, 31, 224, 2, 0},       // 右 watches the left edge
      {3, 0, 0, 200, 32, 224, 0, 0},
      {0, 1, 0, 200, 31, 224, 2, 0},       // 前 facing right is 右
      {1, 1, 609, 200, 625, 224, -2, 0},
      {6, 0, 300, 449, 316, 473, 0, -2},   // 上 watches the bottom edge
      {6, 0, 300, 448, 316, 472, 0, 0},
      {7, 0, 300, 0, 316, 31, 0, 2},       // 下 watches the top edge
      {7, 0, 300, 0, 316, 32, 0, 0},
      {8, 0, 609, 449, 625, 473, -2, -2},  // 左上: right and bottom
      {11, 0, 0, 0, 31, 31, 2, 2},
      {4, 1, 300, 0, 316, 31, 0, 2},       // 前Y facing right is 下
      {12, 0, 609, 449, 625, 473, 0, 0},   // the input direction watches nothing
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "code " << r.code << " left " << r.left << " top " << r.top);
    chara_.m_nDir = r.facing;
    chara_.m_rcScreen = RECT{r.left, r.top, r.right, r.bottom};
    double vx = 9, vy = 9;
    chara_.AvoidScreenEdgeVelocity(vx, vy, 2, r.code);
    EXPECT_EQ(vx, r.vx);
    EXPECT_EQ(vy, r.vy);
  }
  // On foot the vertical part goes.
  chara_.m_bFree = 0;
  chara_.m_rcScreen = RECT{609, 449, 625, 473};
  double vx, vy;
  chara_.AvoidScreenEdgeVelocity(vx, vy, 2, 8);
  EXPECT_EQ(vx, -2);
  EXPECT_EQ(vy, 0);
}

TEST_F(Chase, ScreenEdgeAllowsForTheAutoScroll) {
  cScroll& sx = world_.scene.m_ScrollX;
  sx.m_nMax = 2000;  // positions up to 1360
  sx.m_bPinned = 0;
  const struct {
    double c, pos;
    int code, left, right;
    double vx;
  } rows[] = {
      {1, 320, 2, 607, 623, -1},     // 608 − |1 + 1| = 606 is the edge: 1 − 2
      {1, 320, 2, 606, 622, 0},
      {1, 1359, 2, 607, 623, -1},    // 1359 + 1 = 1360 is still inside
      {1, 1360, 2, 607, 623, 0},
      {1, 320, 3, 0, 33, 3},         // |1 + 1| + 32 = 34: 1 + 2
      {1, 320, 3, 0, 34, 0},
      {1, 1360, 3, 0, 33, 0},        // the scroll stands at its end
      {-3, 320, 3, 0, 33, -1},       // |−3 + 1| = 2: −3 + 2
      {-3, 3, 3, 0, 33, 0},          // 3 − 3 = 0 is not positive
      {-3, 320, 2, 607, 623, -5},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "c " << r.c << " pos " << r.pos << " left " << r.left << " right " << r.right);
    sx.m_dAutoSpeed = r.c;
    sx.m_dPos = r.pos;
    chara_.m_rcScreen = RECT{r.left, 200, r.right, 224};
    double vx = 9, vy = 9;
    chara_.AvoidScreenEdgeVelocity(vx, vy, 2, r.code);
    EXPECT_EQ(vx, r.vx);
  }
  // A scroll standing at a limit counts as still.
  sx.m_dAutoSpeed = 1;
  sx.m_bPinned = 1;
  sx.m_dPos = 320;
  chara_.m_rcScreen = RECT{607, 200, 623, 224};
  double vx, vy;
  chara_.AvoidScreenEdgeVelocity(vx, vy, 2, 2);
  EXPECT_EQ(vx, 0);
  chara_.m_rcScreen = RECT{609, 200, 625, 224};
  chara_.AvoidScreenEdgeVelocity(vx, vy, 2, 2);
  EXPECT_EQ(vx, -2);
}

TEST_F(Chase, ScreenEdgeHandlerAppliesAndCounts) {
  state_.m_cTurn = 2;
  chara_.m_rcScreen = RECT{609, 200, 625, 224};
  chara_.m_nPinX = 1;
  Tick(CmdAvoidOffscreenMove);
  EXPECT_EQ(chara_.m_dVX, -2);
  EXPECT_EQ(chara_.m_nPinX, 0);
  EXPECT_EQ(state_.m_nCounter, 1);
}

// The turn: parameter 0 is the mode; sound 4 plays as slot 20.
class Turn : public Chase {
 protected:
  Turn() {
    cmd_.m_byKind = CMD_TURN;
    cmd_.m_vParam.assign(1, 0);
    cmd_.m_sSound = 4;
    chara_.m_Data.m_bFixedFacing = 1;
  }
  int TurnOnce(int mode, int facing) {
    cmd_.m_vParam[0] = mode;
    chara_.m_nDir = facing;
    state_.m_nCounter = 0;
    CmdTurn(chara_, state_);
    return chara_.m_nDir;
  }
};

TEST_F(Turn, Modes) {
  cStageChara& t = PlaceTarget(8, 5);
  chara_.SetTarget(2, &t);  // also target 3
  cStageChara& level = world_.PlaceChara(Def(), 5, 9);
  chara_.SetTarget(1, &level);  // target 2: same centre x
  const struct {
    int mode, facing, wallSide, expected;
  } rows[] = {
      {0, 1, -1, 0}, {1, 0, -1, 1},
      {2, 0, -1, 1},   // target 1 on the right: face right
      {3, 1, -1, 0},   // the opposite
      {4, 1, -1, 0},   // target 2 level: left
      {5, 0, -1, 1},   // its opposite: right
      {6, 0, -1, 1},   // target 3 is target 1's character
      {8, 0, -1, 0},   // target 4 empty: nothing
      {9, 1, -1, 1},
      {10, 1, 0, 0}, {10, 0, 1, 1}, {10, 1, -1, 1},
      {11, 1, 1, 0}, {11, 0, 0, 1}, {11, 0, -1, 0},
      {12, 1, -1, 1},  // no such mode
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "mode " << r.mode << " facing " << r.facing);
    chara_.m_nWallSide = r.wallSide;
    EXPECT_EQ(TurnOnce(r.mode, r.facing), r.expected);
  }
  // Without a fixed facing nothing changes.
  chara_.m_Data.m_bFixedFacing = 0;
  EXPECT_EQ(TurnOnce(0, 1), 1);
  EXPECT_EQ(state_.m_nCounter, 0);
}

TEST_F(Turn, RepeatsEverySixTicksAndRetriesAnEmptySlot) {
  playkit::WindowRequestRecorder sounds;
  cmd_.m_vParam[0] = 1;
  chara_.m_nDir = 0;
  for (int tick = 0; tick < 7; ++tick) {
    if (tick == 1) chara_.m_nDir = 0;  // turned by something else meanwhile
    CmdTurn(chara_, state_);
    if (tick == 1) EXPECT_EQ(chara_.m_nDir, 0);
  }
  // Ticks 0 and 6 act (k = 1).
  EXPECT_EQ(chara_.m_nDir, 1);
  EXPECT_EQ(sounds.Sounds(), (std::vector<int>{20, 20}));
  EXPECT_EQ(state_.m_nCounter, 1);
  // An empty slot: the sound again on every tick, the counter stays.
  cmd_.m_vParam[0] = 2;
  state_.m_nCounter = 0;
  sounds.requests.clear();
  CmdTurn(chara_, state_);
  CmdTurn(chara_, state_);
  EXPECT_EQ(sounds.Sounds(), (std::vector<int>{20, 20}));
  EXPECT_EQ(state_.m_nCounter, 0);
}

// The jump of a stage character: start speed −3 from the flow builder.
class Jump : public Chase {
 protected:
  Jump() {
    cmd_.m_byKind = CMD_JUMP;
    cmd_.m_vParam.assign(5, 0);
    state_.m_dSpeed = -3;
    state_.m_nRemaining = 100;
    chara_.m_bAirborne = 0;
  }
};

TEST_F(Jump, StartsOnTheGroundAndEndsOnLanding) {
  chara_.m_nPinY = 1;
  CmdJump(chara_, state_);
  EXPECT_EQ(chara_.m_dVY, -3);
  EXPECT_EQ(state_.m_bStarted, 1);
  EXPECT_EQ(chara_.m_nPinY, 0);
  EXPECT_EQ(state_.m_nCounter, 1);
  EXPECT_EQ(state_.m_nRemaining, 100);
  // In the air the command goes on; standing on a solid chip again ends it.
  chara_.m_bAirborne = 1;
  CmdJump(chara_, state_);
  EXPECT_EQ(state_.m_nRemaining, 100);
  MapChip floor(fixture::Block(3));
  chara_.m_lpFloor = &floor;
  CmdJump(chara_, state_);
  EXPECT_EQ(state_.m_nRemaining, 0);
  chara_.m_lpFloor = nullptr;
}

TEST_F(Jump, StillInTheAirItGivesUpAfterFourTicksPerSubStep) {
  chara_.m_bAirborne = 1;
  for (int tick = 0; tick < 4; ++tick) {
    CmdJump(chara_, state_);
    EXPECT_EQ(state_.m_nRemaining, 100) << tick;
    EXPECT_EQ(state_.m_bStarted, 0) << tick;
  }
  CmdJump(chara_, state_);  // the counter stood at 4 × k
  EXPECT_EQ(state_.m_nRemaining, 0);
  // Under the older rule it only waits.
  g_SystemData.m_bLegacy749 = 1;
  cCmdState s;
  s.m_pCmd = &cmd_;
  s.m_dSpeed = -3;
  s.m_nRemaining = 100;
  for (int tick = 0; tick < 10; ++tick) CmdJump(chara_, s);
  EXPECT_EQ(s.m_nRemaining, 100);
  EXPECT_EQ(s.m_bStarted, 0);
  chara_.m_bAirborne = 0;
  CmdJump(chara_, s);
  EXPECT_EQ(s.m_bStarted, 1);
  EXPECT_EQ(chara_.m_dVY, -3);
}

}  // namespace
