// The movement commands: velocities by direction, angle and target point, the distance-derived
// time, the follow turn and the axis locks of the straight move, the ground walk on a grid
// (floor edges, solid characters, a walker above the top row), inertia with its brake and
// limit, the circle and the cancel of all movement. Expected values are worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>

#include "defs/ed_move.h"
#include "defs/flow_cmd.h"
#include "engine/map_grid.h"
#include "fixture/fixture.h"
#include "script/cmd_move.h"
#include "move_fixture.h"

namespace {

constexpr double HALF_SQRT2 = 1.4142135623730951;  // 2 / √2
constexpr double DEG = 3.14159265358979323846 / 180;

TEST_F(MoveCmd, FixtureStandsWhereTheHandComputationsAssume) {
  EXPECT_EQ(chara_.CenterX() + world_.scene.m_ScrollX.m_dPos, 496);
  EXPECT_EQ(chara_.CenterY() + world_.scene.m_ScrollY.m_dPos, 496);
  EXPECT_EQ(chara_.m_dFarY, 511);
  EXPECT_EQ(chara_.m_nCellX, 15);
  EXPECT_EQ(chara_.m_nFarCellX, 15);
}

TEST_F(MoveCmd, VelocityByDirectionCode) {
  const struct {
    int code, facingRight, flying, fixed;
    double vx, vy;
    int request;
  } rows[] = {
      {0, 1, 0, 0, 2, 0, FACE_RIGHT},   // 前 facing right
      {0, 0, 0, 0, -2, 0, FACE_LEFT},   // 前 facing left
      {1, 1, 0, 0, -2, 0, FACE_LEFT},   // 後 facing right
      {2, 1, 0, 1, -2, 0, FACE_NONE},   // 左 with the facing fixed: no request
      {6, 1, 0, 0, 0, 0, FACE_NONE},    // 上 on foot: no motion
      {6, 1, 1, 0, 0, -2, FACE_NONE},   // 上 flying
      {7, 0, 1, 0, 0, 2, FACE_NONE},    // 下 flying
      {4, 1, 1, 0, 0, 2, FACE_NONE},    // 前Y facing right: down
      {4, 0, 1, 0, 0, -2, FACE_NONE},   // 前Y facing left: up
      {5, 1, 1, 0, 0, -2, FACE_NONE},   // 後Y facing right: up
      {8, 1, 1, 0, -HALF_SQRT2, -HALF_SQRT2, FACE_LEFT},
      {8, 1, 0, 0, -HALF_SQRT2, 0, FACE_LEFT},  // on foot the vertical part goes
      {9, 1, 1, 0, -HALF_SQRT2, HALF_SQRT2, FACE_LEFT},
      {10, 0, 1, 0, HALF_SQRT2, -HALF_SQRT2, FACE_RIGHT},
      {11, 0, 1, 1, HALF_SQRT2, HALF_SQRT2, FACE_NONE},
      {12, 1, 0, 0, 2, 0, FACE_RIGHT},  // 入力方向 without input: the facing
      {12, 0, 0, 0, -2, 0, FACE_LEFT},
      {13, 1, 1, 0, 0, 0, FACE_NONE},   // no such code
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "code " << r.code << " right " << r.facingRight << " fly " << r.flying);
    chara_.m_nDir = r.facingRight;
    chara_.m_bFree = r.flying;
    chara_.m_Data.m_bFixedFacing = static_cast<uint8_t>(r.fixed);
    double vx = 9, vy = 9;
    int request = 9;
    chara_.DirectionVelocity(vx, vy, request, 2, r.code);
    EXPECT_DOUBLE_EQ(vx, r.vx);
    EXPECT_DOUBLE_EQ(vy, r.vy);
    EXPECT_EQ(request, r.request);
  }
}

TEST_F(MoveCmd, VelocityByAngle) {
  const struct {
    int code, angle, flying;
    double vx, vy;
    int request;
  } rows[] = {
      {2, 90, 1, 0, -2, FACE_LEFT},   // left turned by 90: up
      {3, 90, 1, 0, 2, FACE_RIGHT},   // right turned by 90: down
      {2, 60, 1, -1, -1.7320508075688772, FACE_LEFT},
      {2, 60, 0, -1, 0, FACE_LEFT},   // on foot only the horizontal part
      {7, 0, 1, 0, 2, FACE_NONE},
      {9, 45, 1, -2, 0, FACE_LEFT},   // 315 + 45 = 360
      {12, 180, 1, -2, 0, FACE_RIGHT},  // input direction: facing right, then turned round
      {13, 30, 1, 0, 0, FACE_NONE},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "code " << r.code << " angle " << r.angle);
    chara_.m_bFree = r.flying;
    double vx = 9, vy = 9;
    int request = 9;
    chara_.AngleVelocity(vx, vy, request, 2, r.code, r.angle);
    EXPECT_NEAR(vx, r.vx, 1e-12);
    EXPECT_NEAR(vy, r.vy, 1e-12);
    EXPECT_EQ(request, r.request);
  }
}

TEST_F(MoveCmd, AngleAndOffsetsOfTheRecord) {
  Move().m_sAngle = 30;
  Move().m_sAngleStep = 0;
  chara_.CalcMoveAngle(state_, Move());
  EXPECT_EQ(state_.m_nAngle, 30);  // basic facing left: not mirrored
  chara_.m_Data.m_byDirection = 1;
  chara_.CalcMoveAngle(state_, Move());
  EXPECT_EQ(state_.m_nAngle, 330);
  Move().m_bMirrorAngle = 0;
  Move().m_sAngle = 10;
  Move().m_sAngleStep = 30000;
  chara_.m_sClone = 30000;
  // 10 + 9 × 10^8 whole degrees: 2,500,000 turns taken off at once.
  chara_.CalcMoveAngle(state_, Move());
  EXPECT_EQ(state_.m_nAngle, 10);
  Move().m_sAngleStep = 0;
  Move().m_sAngle = 360;
  chara_.CalcMoveAngle(state_, Move());
  EXPECT_EQ(state_.m_nAngle, 0);
  Move().m_sAngle = 359;
  chara_.CalcMoveAngle(state_, Move());
  EXPECT_EQ(state_.m_nAngle, 359);

  Move().m_sGoalXBlocks = 3;
  Move().m_sGoalXDots = 4;
  Move().m_sGoalYBlocks = -1;
  Move().m_sGoalYDots = 2;
  chara_.m_Data.m_byDirection = 0;
  chara_.CalcMoveOffset(state_, Move());
  EXPECT_EQ(state_.m_nOffsetX, 100);
  EXPECT_EQ(state_.m_nOffsetY, -30);
  chara_.m_Data.m_byDirection = 1;  // mirror X by default, not Y
  chara_.CalcMoveOffset(state_, Move());
  EXPECT_EQ(state_.m_nOffsetX, -100);
  EXPECT_EQ(state_.m_nOffsetY, -30);
}

TEST_F(MoveCmd, StraightMoveFrontFacingRight) {
  chara_.m_nDir = 1;
  Tick(CmdStraightMove);
  EXPECT_EQ(chara_.m_dVX, 2);
  EXPECT_EQ(chara_.m_dVY, 0);
  EXPECT_EQ(chara_.m_nDir, 1);
  EXPECT_EQ(chara_.m_bMovedByCmd, 1);
  EXPECT_EQ(chara_.m_Anime.Anime(), 1);  // walking
  Tick(CmdStraightMove);
  EXPECT_EQ(chara_.m_dVX, 2);
  // Front facing left turns the character left.
  cCmdState again;
  again.m_pCmd = &cmd_;
  again.m_dSpeed = 2;
  chara_.m_nDir = 0;
  chara_.m_dVX = 0;
  CmdStraightMove(chara_, again);
  EXPECT_EQ(chara_.m_dVX, -2);
  EXPECT_EQ(chara_.m_nDir, 0);
}

TEST_F(MoveCmd, StraightMoveUpOnFootStaysStill) {
  state_.m_cTurn = 6;
  chara_.m_nPinX = chara_.m_nPinY = 7;
  Tick(CmdStraightMove);
  EXPECT_EQ(chara_.m_dVX, 0);
  EXPECT_EQ(chara_.m_dVY, 0);
  EXPECT_EQ(chara_.m_nPinX, 0);
  EXPECT_EQ(chara_.m_nPinY, 0);
  Fly();
  cCmdState flying;
  flying.m_pCmd = &cmd_;
  flying.m_dSpeed = 2;
  flying.m_cTurn = 6;
  CmdStraightMove(chara_, flying);
  EXPECT_EQ(chara_.m_dVY, -2);
  EXPECT_EQ(chara_.m_Anime.Anime(), 3);  // the flying walk
}

TEST_F(MoveCmd, TargetPointTimeByDistance) {
  Move().m_byGoalMode = 1;
  Move().m_byCoordMode = 1;
  Move().m_sGoalXBlocks = 3;
  Move().m_sGoalXDots = 4;  // 100 dots to the right
  state_.m_dSpeed = 3;
  state_.m_nRemaining = 500;
  Tick(CmdStraightMove);
  EXPECT_EQ(state_.m_nRemaining, 33);  // 100 / 3 truncated
  EXPECT_EQ(chara_.m_dVX, 3);
  EXPECT_EQ(chara_.m_nDir, 1);

  const struct {
    int dots;
    double speed;
    int remaining;
  } rows[] = {{99, 3, 33}, {98, 3, 32}, {3, 3, 1}, {2, 3, 0}, {-100, 3, 33}, {100, -3, 33}};
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.dots << " dots at " << r.speed);
    double vx, vy;
    int request;
    int32_t remaining = -1;
    chara_.TargetPointVelocity(vx, vy, request, r.speed, r.dots, 0, Move(), remaining);
    EXPECT_EQ(remaining, r.remaining);
  }
  // Without the flag the time stays.
  Move().m_bTimeFromDistance = 0;
  double vx, vy;
  int request;
  int32_t remaining = 77;
  chara_.TargetPointVelocity(vx, vy, request, 3, 100, 0, Move(), remaining);
  EXPECT_EQ(remaining, 77);
}

TEST_F(MoveCmd, TargetPointStopsWhenLessThanATickAway) {
  Move().m_byCoordMode = 1;
  Move().m_bStopAtGoal = 1;
  double vx, vy;
  int request;
  int32_t remaining = 0;
  chara_.TargetPointVelocity(vx, vy, request, 3, 2, 0, Move(), remaining);
  EXPECT_EQ(remaining, 0);
  EXPECT_EQ(vx, 0);
  EXPECT_EQ(request, FACE_NONE);
  chara_.TargetPointVelocity(vx, vy, request, 3, 3, 0, Move(), remaining);
  EXPECT_EQ(remaining, 1);
  EXPECT_EQ(vx, 3);
  EXPECT_EQ(request, FACE_RIGHT);
}

TEST_F(MoveCmd, TargetPointZeroOffsetsGiveNoMotionAndNoRequest) {
  Move().m_byGoalMode = 1;
  Move().m_byCoordMode = 1;
  chara_.m_nDir = 0;
  Tick(CmdStraightMove);
  EXPECT_EQ(chara_.m_dVX, 0);
  EXPECT_EQ(chara_.m_dVY, 0);
  EXPECT_EQ(state_.m_nFacingOut, FACE_NONE);
  EXPECT_EQ(chara_.m_nDir, 0);
}

TEST_F(MoveCmd, TargetPointCoordinateModes) {
  Fly();
  world_.scene.m_ScrollX.m_dPos = 352;  // the camera one block to the right
  chara_.CalcScreenRect();
  chara_.m_nPlaceValue[0] = 496 + 64;
  chara_.m_nPlaceValue[1] = 496;
  const struct {
    int mode, offsetX, offsetY, useY;
    double vx, vy;
    int remaining;
  } rows[] = {
      {0, 0, 0, 1, 2, 0, 32},          // back to the placement 64 dots right
      {0, -64, 0, 1, 0, 0, 0},         // the placement moved by the offset onto the centre
      {2, 96, 0, 0, -2, 0, 32},        // block 3 of the stage: 320 + 96 + 16 = 432, 64 left
      {2, 160, 999, 0, 0, 0, 0},       // block 5 is the character's own; y unused
      {3, 96, 0, 0, -2, 0, 16},        // screen block 3: 352 + 96 + 16 = 464, 32 left
      {1, 30, 40, 1, 1.2, 1.6, 25},    // 3-4-5 triangle: 50 dots at 2
      {4, 30, 40, 1, 0, 0, -1},        // no such mode: nothing, the time stays
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "mode " << r.mode << " offset " << r.offsetX);
    Move().m_byCoordMode = static_cast<uint8_t>(r.mode);
    Move().m_bGoalY = static_cast<uint8_t>(r.useY);
    double vx, vy;
    int request;
    int32_t remaining = -1;
    chara_.TargetPointVelocity(vx, vy, request, 2, r.offsetX, r.offsetY, Move(), remaining);
    EXPECT_NEAR(vx, r.vx, 1e-12);
    EXPECT_NEAR(vy, r.vy, 1e-12);
    EXPECT_EQ(remaining, r.remaining);
  }
  // A locked axis gets no velocity, the distance still counts whole.
  Move().m_byCoordMode = 1;
  Move().m_bGoalY = 1;
  Move().m_bNoMoveX = 1;
  double vx, vy;
  int request;
  int32_t remaining = -1;
  chara_.TargetPointVelocity(vx, vy, request, 2, 30, 40, Move(), remaining);
  EXPECT_EQ(vx, 0);
  EXPECT_NEAR(vy, 1.6, 1e-12);
  EXPECT_EQ(request, FACE_NONE);
  EXPECT_EQ(remaining, 25);
}

TEST_F(MoveCmd, StraightMoveFollowsTheTurnOfAFixedFacing) {
  chara_.m_Data.m_bFixedFacing = 1;
  state_.m_cTurn = 3;
  Tick(CmdStraightMove);
  EXPECT_EQ(chara_.m_dVX, 2);
  chara_.m_nDir = 0;  // turned by something else
  Tick(CmdStraightMove);
  EXPECT_EQ(chara_.m_dVX, -2);
  Tick(CmdStraightMove);
  EXPECT_EQ(chara_.m_dVX, -2);
  // Without the follow flag the velocity stays.
  Move().m_bReverseWithFacing = 0;
  chara_.m_nDir = 1;
  Tick(CmdStraightMove);
  EXPECT_EQ(chara_.m_dVX, -2);
}

TEST_F(MoveCmd, FollowTurnOfATargetPointMoveOnlyUnderTheSwitch) {
  chara_.m_Data.m_bFixedFacing = 1;
  Move().m_byGoalMode = 1;
  Move().m_byCoordMode = 1;
  Move().m_sGoalXDots = 100;
  for (int sw : {0, 1}) {
    SCOPED_TRACE(sw);
    g_SystemData.m_bLegacy783 = sw;
    cCmdState s;
    s.m_pCmd = &cmd_;
    s.m_dSpeed = 2;
    chara_.m_nDir = 1;
    chara_.m_dVX = 0;
    CmdStraightMove(chara_, s);
    EXPECT_EQ(chara_.m_dVX, 2);
    chara_.m_nDir = 0;
    chara_.m_dVX = 0;
    CmdStraightMove(chara_, s);
    EXPECT_EQ(chara_.m_dVX, sw ? -2 : 2);
  }
}

TEST_F(MoveCmd, AxisLocksOfTheStraightMoveUnderTheSwitch) {
  Fly();
  state_.m_cTurn = 11;  // 右下
  Move().m_bNoMoveX = 1;
  Tick(CmdStraightMove);
  EXPECT_EQ(chara_.m_dVX, 0);
  EXPECT_DOUBLE_EQ(chara_.m_dVY, HALF_SQRT2);
  g_SystemData.m_bLegacy773 = 1;  // older projects ignore the locks
  cCmdState s;
  s.m_pCmd = &cmd_;
  s.m_dSpeed = 2;
  s.m_cTurn = 11;
  chara_.m_dVX = chara_.m_dVY = 0;
  CmdStraightMove(chara_, s);
  EXPECT_DOUBLE_EQ(chara_.m_dVX, HALF_SQRT2);
}

TEST_F(MoveCmd, KeepFacingAndOwnAnimation) {
  Move().m_bKeepFacing = 1;
  Move().m_bTimeFromAnime = 1;
  chara_.m_Anime.Set(0, 1);
  chara_.m_bMovedByCmd = 0;
  chara_.m_nDir = 1;
  state_.m_cTurn = 2;
  Tick(CmdStraightMove);
  EXPECT_EQ(chara_.m_dVX, -2);
  EXPECT_EQ(chara_.m_nDir, 1);
  EXPECT_EQ(chara_.m_bMovedByCmd, 0);
  EXPECT_EQ(chara_.m_Anime.Anime(), 0);
}

TEST_F(MoveCmd, InertiaAcceleratesBrakesAndKeepsToItsLimit) {
  Move().m_bInertia = 1;
  Move().m_dBrake = 2;
  state_.m_dSpeed2 = 0.08;
  chara_.m_bFrictionX = chara_.m_bFrictionY = 1;
  // 3 dots per tick as an acceleration: 3 / 1 / 60 = 0.05 per tick.
  chara_.ApplyCommandMove(3, 0, FACE_NONE, state_, &Move(), 0);
  EXPECT_NEAR(chara_.m_dAX, 0.05, 1e-15);
  EXPECT_EQ(chara_.m_dVX, 0);
  EXPECT_EQ(chara_.m_bFrictionX, 0);
  EXPECT_EQ(chara_.m_bFrictionY, 0);
  chara_.ApplyCommandMove(3, 0, FACE_NONE, state_, &Move(), 0);
  EXPECT_EQ(chara_.m_dAX, 0.08);  // 0.1 held at the limit
  chara_.m_bFrictionX = 1;
  // Against the motion the acceleration is doubled: 0.08 − 0.1.
  chara_.ApplyCommandMove(-3, 0, FACE_NONE, state_, &Move(), 0);
  EXPECT_NEAR(chara_.m_dAX, -0.02, 1e-15);
  EXPECT_EQ(chara_.m_bFrictionX, 1);
  chara_.ApplyCommandMove(-3, 0, FACE_NONE, state_, &Move(), 0);  // with the motion again: −0.07
  EXPECT_NEAR(chara_.m_dAX, -0.07, 1e-15);
  chara_.ApplyCommandMove(-6, 0, FACE_NONE, state_, &Move(), 0);
  EXPECT_EQ(chara_.m_dAX, -0.08);
}

// The ground walk: the grid row under the feet is grid row 16 ((511 + 1.1) / 32).
class GroundTurn : public MoveCmd {
 protected:
  GroundTurn() {
    chara_.m_Data.m_bFixedFacing = 1;
    // Straddle grid columns 15 and 16.
    chara_.m_dX += 16;
    chara_.UpdateFarX();
  }
  void SetSolid(int column, int row) {
    g_MapGrid[static_cast<size_t>(world_.scene.CellIndex(column, row))] = MapChip(fixture::Block(3));
  }
};

TEST_F(GroundTurn, TurnsAtAFloorEdgeAlsoWithItsFacingFixed) {
  ASSERT_EQ(chara_.m_nCellX, 15);
  ASSERT_EQ(chara_.m_nFarCellX, 16);
  SetSolid(15, 16);
  chara_.m_nDir = 1;
  Tick(CmdGroundTurnMove);
  EXPECT_EQ(chara_.m_dVX, 2);  // this tick still on
  EXPECT_EQ(chara_.m_nDir, 0);
  EXPECT_EQ(chara_.m_bMovedByCmd, 1);
  Tick(CmdGroundTurnMove);
  EXPECT_EQ(chara_.m_dVX, -2);
  EXPECT_EQ(chara_.m_nDir, 0);
}

TEST_F(GroundTurn, FloorEdgeOnTheLeftTurnsRightAndFullFloorKeepsGoing) {
  SetSolid(16, 16);
  chara_.m_nDir = 0;
  Tick(CmdGroundTurnMove);
  EXPECT_EQ(chara_.m_dVX, -2);
  EXPECT_EQ(chara_.m_nDir, 1);
  SetSolid(15, 16);
  Tick(CmdGroundTurnMove);
  EXPECT_EQ(chara_.m_dVX, 2);
  EXPECT_EQ(chara_.m_nDir, 1);
  // The row is taken 1.1 dots below the bottom: a bottom at 510.8 still reads row 15.
  chara_.m_dFarY = 510.8;
  SetSolid(15, 15);
  Tick(CmdGroundTurnMove);
  EXPECT_EQ(chara_.m_nDir, 0);
}

TEST_F(GroundTurn, AWalkerAboveTheTopRowStandsOverNothing) {
  chara_.m_dY = -200;
  chara_.m_dFarY = -177;
  SetSolid(15, 0);
  chara_.m_nDir = 1;
  Tick(CmdGroundTurnMove);
  EXPECT_EQ(chara_.m_nDir, 1);
  EXPECT_EQ(chara_.m_dVX, 2);
  // Below the grid the last row counts.
  chara_.m_dY = 5000;
  chara_.m_dFarY = 5023;
  SetSolid(15, world_.scene.m_ScrollY.m_nCells - 1);
  Tick(CmdGroundTurnMove);
  EXPECT_EQ(chara_.m_nDir, 0);
}

TEST_F(GroundTurn, BumpingIntoASolidCharacterTurnsItRound) {
  cStageChara& block = world_.PlaceChara(Def(), 7, 5);
  const struct {
    int facing;
    double moved, vx;
    int newFacing;
  } rows[] = {
      {1, 3, -2 + 3, 0},      // moving with it: once
      {1, -3, -2 - 6, 0},     // facing right and it moved left: twice
      {0, 3, 2 + 6, 1},       // facing left and it moved right: twice
      {0, -3, 2 - 3, 1},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "facing " << r.facing << " moved " << r.moved);
    chara_.m_nDir = r.facing;
    chara_.m_bTurnBack = 1;
    chara_.m_nTurnBackId = block.m_nId;
    chara_.m_dTurnBackX = block.m_dX - r.moved;
    Tick(CmdGroundTurnMove);
    EXPECT_EQ(chara_.m_dVX, r.vx);
    EXPECT_EQ(chara_.m_nDir, r.newFacing);
    EXPECT_EQ(chara_.m_bTurnBack, 0);
  }
  // A partner no longer in the list adds nothing.
  chara_.m_nDir = 1;
  chara_.m_bTurnBack = 1;
  chara_.m_nTurnBackId = 999;
  Tick(CmdGroundTurnMove);
  EXPECT_EQ(chara_.m_dVX, -2);
  EXPECT_EQ(chara_.m_nDir, 0);
}

TEST_F(GroundTurn, KnockedBackOrFlyingItDoesNotTurn) {
  SetSolid(15, 16);
  chara_.m_nDir = 1;
  chara_.m_dKnockY = 0.5;
  Tick(CmdGroundTurnMove);
  EXPECT_EQ(chara_.m_dVX, 2);
  EXPECT_EQ(chara_.m_nDir, 1);
  chara_.m_dKnockY = 0;
  chara_.m_bMovedByCmd = 0;
  Fly();
  Tick(CmdGroundTurnMove);
  EXPECT_EQ(chara_.m_dVX, 0);
  EXPECT_EQ(chara_.m_nDir, 1);
  EXPECT_EQ(chara_.m_bMovedByCmd, 0);
}

TEST_F(MoveCmd, CircleFollowsItsWave) {
  Fly();
  state_.m_nMoveValue1 = 32;  // radius 2 hbl at k = 1
  state_.m_nMoveValue2 = 0;
  state_.m_cTurn = 0;
  // Phase 0: vx = −(π/180) × cos 0 × 32 × 2; vy with offset 270: cos 270 = 0.
  Tick(CmdCircleMove);
  EXPECT_NEAR(chara_.m_dVX, -64 * DEG, 1e-12);
  EXPECT_NEAR(chara_.m_dVY, 0, 1e-12);
  EXPECT_EQ(state_.m_dPhaseX, 2);
  // 44 more ticks bring the phase to 90.
  for (int i = 0; i < 44; ++i) Tick(CmdCircleMove);
  EXPECT_EQ(state_.m_dPhaseX, 90);
  Tick(CmdCircleMove);
  EXPECT_NEAR(chara_.m_dVX, 0, 1e-12);
  EXPECT_NEAR(chara_.m_dVY, -64 * DEG, 1e-12);  // cos(90 + 270) = 1
  // The other sense: offset 90.
  cCmdState other;
  other.m_pCmd = &cmd_;
  other.m_dSpeed = 2;
  other.m_nMoveValue1 = 32;
  other.m_nMoveValue2 = 358;
  other.m_cTurn = 3;  // with the character facing left: sense 1
  chara_.m_nDir = 0;
  chara_.m_dVX = chara_.m_dVY = 0;
  CmdCircleMove(chara_, other);
  EXPECT_NEAR(chara_.m_dVX, -64 * DEG * std::cos(358 * DEG), 1e-12);
  EXPECT_NEAR(chara_.m_dVY, -64 * DEG * std::cos(448 * DEG), 1e-12);
  EXPECT_EQ(other.m_dPhaseX, 0);  // 360 wraps to 0
  // A radius of 0 does nothing.
  cCmdState none;
  none.m_pCmd = &cmd_;
  none.m_dSpeed = 2;
  chara_.m_dVX = 0;
  CmdCircleMove(chara_, none);
  EXPECT_EQ(chara_.m_dVX, 0);
  EXPECT_EQ(chara_.m_bMovedByCmd, 1);
}

TEST_F(MoveCmd, CancelStopsEveryMotionForTheSubStep) {
  chara_.m_dVX = 1;
  chara_.m_dVY = 2;
  chara_.m_dAX = 3;
  chara_.m_dAY = 4;
  chara_.m_dKnockX = 5;
  chara_.m_dKnockY = 6;
  chara_.m_nPinX = chara_.m_nPinY = 1;
  CmdStopMove(chara_, state_);
  EXPECT_EQ(chara_.m_dVX, 0);
  EXPECT_EQ(chara_.m_dVY, 0);
  EXPECT_EQ(chara_.m_dAX, 0);
  EXPECT_EQ(chara_.m_dAY, 0);
  EXPECT_EQ(chara_.m_dKnockX, 0);
  EXPECT_EQ(chara_.m_dKnockY, 0);
  EXPECT_EQ(chara_.m_nPinX, 0);
  EXPECT_EQ(chara_.m_bGravityHold, 1);
}

}  // namespace

namespace {

// A stage character walks its platform through a ground-walk flow for 400 frames (k = 1, one
// dot a frame). The platform is stage row 8 under columns 3..8, grid x 416 .. 607; the walker
// starts in cell (5, 7) at x 488.5 (body 16 wide) facing right. A turn is asked for on the
// tick after the cells under its edges differ, and that tick still moves the old way:
// - right edge: the far column reaches 19 at x 593.5 (tick 105); tick 106 turns, x 594.5;
// - left edge: the near column reaches 12 at x 415.5 (tick 285); tick 286 turns, x 414.5;
// - right edge again at x 593.5 on tick 465.
TEST(GroundWalk, AWalkerPacesItsPlatform) {
  cStage stage = fixture::Stage(20, 15);
  stage.m_nSpeedLevel = 1;
  fixture::Fill(stage, fixture::Block(3), 3, 8, 8, 8);
  playkit::PlayWorld world(stage);
  cCharaData def = fixture::Chara(1);
  def.m_byDirection = 1;
  cFlowCmd walk = scriptkit::Cmd(CMD_MOVE_GROUND_TURN, 999);
  CreateEdMove(walk.m_pMove);
  walk.m_pMove->m_sSpeed = 10;
  def.m_vFlow.assign(1, scriptkit::Flow(TRIGGER_NONE, {walk}));
  cStageChara& c = world.PlaceChara(def, 5, 7);
  c.m_vFlowRun.CheckedAt(0).Start(c);
  ASSERT_EQ(c.m_dX, 488.5);
  const struct {
    int tick;
    double x;
    int facing;
  } marks[] = {{1, 489.5, 1},   {105, 593.5, 1}, {106, 594.5, 0}, {107, 593.5, 0}, {285, 415.5, 0},
               {286, 414.5, 1}, {287, 415.5, 1}, {400, 528.5, 1}};
  size_t next = 0;
  for (int tick = 1; tick <= 400; ++tick) {
    world.scene.m_nSubStep = 1;
    c.Act(0);
    c.StepX();
    world.scene.MoveMapX(c);
    c.ApplyGravity();
    c.StepY();
    world.scene.MoveMapY(c);
    ASSERT_LT(c.m_dFarY, (8 + 10) * 32) << "tick " << tick;  // it never falls off
    if (next < std::size(marks) && marks[next].tick == tick) {
      EXPECT_EQ(c.m_dX, marks[next].x) << "tick " << tick;
      EXPECT_EQ(c.m_nDir, marks[next].facing) << "tick " << tick;
      ++next;
    }
  }
  EXPECT_EQ(next, std::size(marks));
}

}  // namespace
