// The warp command: by direction and distance (with the facing, the clone value and the warp
// switch's folding of diagonals), next to a target, to a point in its three coordinate modes
// with the mirror flags and the screen pin; warps into a wall or out of the stage undone
// exactly.
#include <gtest/gtest.h>

#include <cmath>

#include "defs/flow_cmd.h"
#include "fixture/fixture.h"
#include "project/global_data.h"
#include "script/cmd_dispatch.h"
#include "script/cmd_warp.h"
#include "script_kit.h"

using namespace scriptkit;

namespace {

cStage WallStage() {
  cStage s = fixture::Stage(20, 15);
  // The field reaches the border of the map grid.
  s.m_nScrollExtraX = (20 + 20) * 32 - 640;
  s.m_nScrollExtraY = (15 + 20) * 32 - 640;
  // A solid block at column 12, row 7.
  fixture::Place(s, fixture::Block(1), 12, 7);
  return s;
}

class WarpTest : public ::testing::Test {
 protected:
  WarpTest()
      : world(WallStage()), c(world.AddChara(fixture::Chara(1), 8, 7)), t(world.AddChara(fixture::Chara(2), 4, 4)) {
    c.m_bFree = 1;
    c.m_nDir = 1;
    x0 = c.m_dX;
    y0 = c.m_dY;
  }
  cFlowCmd Warp(int mode, int dir, int dist) {
    cFlowCmd cmd = Cmd(CMD_WARP, 0);
    CreateEdMove(cmd.m_pMove);
    cmd.m_pMove->m_byGoalMode = static_cast<uint8_t>(mode);
    cmd.m_pMove->m_byDirection = static_cast<uint8_t>(dir);
    cmd.m_pMove->m_sDistance = static_cast<int16_t>(dist);
    return cmd;
  }
  void Run(cFlowCmd cmd) { g_apfnCmdImpl[CMD_WARP](c, cmd); }
  void Reset() {
    c.m_dX = x0;
    c.m_dY = y0;
    c.UpdateFarX();
    c.UpdateFarY();
  }

  playkit::PlayWorld world;
  cStageChara& c;
  cStageChara& t;
  double x0 = 0;
  double y0 = 0;
};

TEST_F(WarpTest, ByDirectionAndDistance) {
  // 2 half blocks = 32 dots; diagonals 32/√2 on each axis.
  const double diag = 32 / std::sqrt(2.0);
  const struct {
    int dir, facing;
    double dx, dy;
  } rows[] = {
      {2, 1, -32, 0},     {3, 1, 32, 0},     {6, 1, 0, -32},       {7, 1, 0, 32},
      {8, 1, -diag, -diag}, {9, 1, -diag, diag}, {10, 1, diag, -diag}, {11, 1, diag, diag},
      {0, 1, 32, 0},      {0, 0, -32, 0},    {1, 1, -32, 0},       {1, 0, 32, 0},
      {4, 1, 0, 32},      {4, 0, 0, -32},    {5, 1, 0, -32},       {5, 0, 0, 32},
      {13, 1, 0, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "direction " << r.dir << " facing " << r.facing);
    Reset();
    c.m_nDir = r.facing;
    Run(Warp(0, r.dir, 2));
    EXPECT_EQ(c.m_dX, x0 + r.dx);
    EXPECT_EQ(c.m_dY, y0 + r.dy);
    EXPECT_EQ(c.m_dFarX, c.m_dX + c.m_nWidth - 1);
    EXPECT_EQ(c.m_dFarY, c.m_dY + c.m_nHeight - 1);
  }
  // The per-clone distance: (1 + 1 × 3) half blocks.
  Reset();
  c.m_sClone = 3;
  cFlowCmd cmd = Warp(0, 3, 1);
  cmd.m_pMove->m_sDistanceStep = 1;
  Run(cmd);
  EXPECT_EQ(c.m_dX, x0 + 64);
}

TEST_F(WarpTest, InputDirectionIsTheDirectionHeldNow) {
  const cSafeVector<cInput> saved = g_vInput;
  auto hold = [](WORD dir) {
    cInput input;
    input.ResetLogs();
    input.SetWords(dir, 0);
    input.LogChanges();
    g_vInput.assign(1, input);
  };
  const double diag = 32 / std::sqrt(2.0);
  const struct {
    WORD held;
    int free, warpSwitch, facing;
    double dx, dy;
  } rows[] = {
      {INPUT_LEFT, 1, 0, 1, -32, 0},
      {INPUT_UP, 1, 0, 1, 0, -32},
      {0, 1, 0, 1, 32, 0},  // nothing held: the facing
      {0, 1, 0, 0, -32, 0},
      {INPUT_DOWN | INPUT_RIGHT, 1, 0, 1, diag, diag},
      // A walker's held diagonal stays a diagonal without the warp switch, and is folded with it.
      {INPUT_DOWN | INPUT_RIGHT, 0, 0, 1, diag, diag},
      {INPUT_UP | INPUT_LEFT, 0, 1, 1, -32, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "held " << r.held << " free " << r.free << " switch " << r.warpSwitch);
    Reset();
    hold(r.held);
    c.m_bFree = r.free;
    c.m_nDir = r.facing;
    g_SystemData.m_bLegacy721 = r.warpSwitch;
    Run(Warp(0, 12, 2));
    EXPECT_EQ(c.m_dX, x0 + r.dx);
    EXPECT_EQ(c.m_dY, y0 + r.dy);
  }
  g_vInput = saved;
}

TEST_F(WarpTest, WarpSwitchFoldsDiagonalsOfWalkers) {
  c.m_bFree = 0;
  c.m_dVY = 5;
  g_SystemData.m_bLegacy721 = 1;
  Run(Warp(0, 8, 2));
  EXPECT_EQ(c.m_dX, x0 - 32);
  EXPECT_EQ(c.m_dY, y0);
  // A walker that warped loses its vertical speed.
  EXPECT_EQ(c.m_dVY, 0);
  // Without the switch the diagonal stays.
  Reset();
  g_SystemData.m_bLegacy721 = 0;
  Run(Warp(0, 10, 2));
  EXPECT_EQ(c.m_dX, x0 + 32 / std::sqrt(2.0));
  EXPECT_EQ(c.m_dY, y0 - 32 / std::sqrt(2.0));
  // A flyer keeps its diagonal and its vertical speed under the switch.
  Reset();
  c.m_bFree = 1;
  c.m_dVY = 5;
  g_SystemData.m_bLegacy721 = 1;
  Run(Warp(0, 11, 2));
  EXPECT_EQ(c.m_dX, x0 + 32 / std::sqrt(2.0));
  EXPECT_EQ(c.m_dVY, 5);
}

TEST_F(WarpTest, IntoAWallOrOutOfTheStageIsUndoneExactly) {
  // Column 12 is 4 cells (8 half blocks) to the right of column 8.
  ASSERT_EQ(world.scene.IsPlaceBlocked(c), 0);
  c.m_dX += 0.25;  // a fraction the undo must keep
  c.UpdateFarX();
  const double before[4] = {c.m_dX, c.m_dY, c.m_dFarX, c.m_dFarY};
  const RECT rect = c.m_rcScreen;
  c.m_dVY = 5;
  Run(Warp(0, 3, 8));
  EXPECT_EQ(c.m_dX, before[0]);
  EXPECT_EQ(c.m_dY, before[1]);
  EXPECT_EQ(c.m_dFarX, before[2]);
  EXPECT_EQ(c.m_dFarY, before[3]);
  EXPECT_EQ(c.m_rcScreen.left, rect.left);
  EXPECT_EQ(c.m_dVY, 5);
  // One half block short of the wall is free.
  Run(Warp(0, 3, 6));
  EXPECT_EQ(c.m_dX, before[0] + 96);
  // Beyond the left end of the stage (column 8 - 9 = -1): undone.
  Reset();
  Run(Warp(0, 2, 18));
  EXPECT_EQ(c.m_dX, x0);
  Run(Warp(0, 2, 16));
  EXPECT_EQ(c.m_dX, x0 - 256);
}

TEST_F(WarpTest, NextToATarget) {
  t.m_nDir = 0;
  c.SetTarget(1, &t);
  // Same graphic sizes: the base point is the target's own position.
  Run(Warp(2, 3, 2));
  EXPECT_EQ(c.m_dX, t.m_dX + 32);
  EXPECT_EQ(c.m_dY, t.m_dY);
  // Front is judged by the target's facing (left).
  Run(Warp(2, 0, 2));
  EXPECT_EQ(c.m_dX, t.m_dX - 32);
  Run(Warp(2, 7, 1));
  EXPECT_EQ(c.m_dX, t.m_dX);
  EXPECT_EQ(c.m_dY, t.m_dY + 16);
  // An empty slot: nothing moves.
  Reset();
  Run(Warp(3, 3, 2));
  EXPECT_EQ(c.m_dX, x0);
  EXPECT_EQ(c.m_dY, y0);
}

TEST_F(WarpTest, ToAPoint) {
  cFlowCmd cmd = Warp(5, 0, 0);
  cEdMove& m = *cmd.m_pMove;
  m.m_sGoalXBlocks = 1;
  m.m_sGoalXDots = 5;
  m.m_sGoalYBlocks = -1;
  m.m_sGoalYDots = 2;
  m.m_bMirrorGoalX = 1;
  m.m_bMirrorGoalY = 0;
  // Relative, facing right: x mirrored (-37), y as given (-30).
  m.m_byCoordMode = 0;
  Run(cmd);
  EXPECT_EQ(c.m_dX, x0 - 37);
  EXPECT_EQ(c.m_dY, y0 - 30);
  EXPECT_EQ(c.m_nPinX, 0);
  // Facing left: not mirrored.
  Reset();
  c.m_nDir = 0;
  Run(cmd);
  EXPECT_EQ(c.m_dX, x0 + 37);
  // On the grid: column 1 and row -1 of the stage proper plus the dots, which are never mirrored.
  Reset();
  c.m_nDir = 1;
  m.m_sGoalYBlocks = 3;
  m.m_byCoordMode = 1;
  Run(cmd);
  EXPECT_EQ(c.m_dX, (1 + 10) * 32 + c.m_nBaseGraphicX + 0.5 + 5);
  EXPECT_EQ(c.m_dY, (3 + 10) * 32 + c.m_nBaseGraphicY + 2);
  // On the screen: the place seen at (gx, gy) and pinned there.
  Reset();
  m.m_byCoordMode = 2;
  m.m_bMirrorGoalX = 0;
  m.m_sGoalXBlocks = 2;
  m.m_sGoalYBlocks = 3;
  Run(cmd);
  const int gx = 2 * 32 + 5;
  const int gy = 3 * 32 + 2;
  EXPECT_EQ(c.m_dX, c.m_nGraphicX + world.scene.m_ScrollX.m_dPos + gx);
  EXPECT_EQ(c.m_dY, c.m_nGraphicY + world.scene.m_ScrollY.m_dPos + gy);
  EXPECT_EQ(c.m_nPinX, 1);
  EXPECT_EQ(c.m_nPinY, 1);
  EXPECT_EQ(c.m_nPinLeft, gx);
  EXPECT_EQ(c.m_nPinTop, gy);
  // A warp of another kind clears the pins.
  Run(Warp(0, 3, 1));
  EXPECT_EQ(c.m_nPinX, 0);
  EXPECT_EQ(c.m_nPinY, 0);
}

}  // namespace
