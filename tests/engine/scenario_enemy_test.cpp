// Enemies acting through their own flows on stages run by the real play frame: a ground-turn
// walk on a platform with open edges, turning back at each edge; a walker between two walls
// that turns at each wall, jumps and fires. Positions in stage dots
// relative to the map origin (the 10-cell margin adds 320 to both x and y); one sub-step a
// frame.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "defs/cmd_kind.h"
#include "defs/ed_move.h"
#include "defs/ed_shot.h"
#include "engine/shot.h"
#include "fixture/fixture.h"
#include "play_scene_kit.h"
#include "script/flow_trigger.h"

namespace {

using playscene::PlaySceneTest;

constexpr double kMargin = 320;

cFlowCmd Command(int kind, int time) {
  cFlowCmd c;
  c.m_byKind = static_cast<int8_t>(kind);
  if (const cCmdKindInfo* info = GetCmdKindInfo(0, kind)) c.m_vParam.assign(static_cast<size_t>(info->m_nParamCount), 0);
  c.m_sTime = static_cast<int16_t>(time);
  return c;
}

cFlow OneCommandFlow(int trigger, const cFlowCmd& cmd) {
  cFlow f;
  f.m_byTrigger = static_cast<uint8_t>(trigger);
  f.m_vCmd.push_back(cmd);
  return f;
}

// An always-tested flow of one ground-turn walk lasting a tenth, at 1 dot a frame.
cFlow GroundTurnFlow() {
  cFlowCmd walk = Command(CMD_MOVE_GROUND_TURN, 1);
  CreateEdMove(walk.m_pMove);
  walk.m_pMove->m_sSpeed = 10;
  return OneCommandFlow(TRIGGER_ALWAYS, walk);
}

// A 20 × 15 stage with the given blocks, the hero standing apart on a block of its own
// (columns 15..19, rows 12..) where it never meets the walker, and a walker facing right on
// cell (7, 13) with the given flows.
cStage WalkerStage(void (*blocks)(cStage&), const std::vector<cFlow>& flows) {
  cStage s = fixture::Stage(20, 15);
  blocks(s);
  fixture::Place(s, fixture::Hero(1), 17, 11);
  cCharaData walker = fixture::Chara(2);
  walker.m_byLayer = 2;
  walker.m_byDirection = 1;
  walker.m_vFlow.assign(flows.begin(), flows.end());
  fixture::Place(s, walker, 7, 13);
  s.m_nSpeedLevel = 1;
  s.m_bShowStartBanner = 0;
  s.m_bShowStageBanner = 0;
  fixture::EncloseGrid(s);
  return s;
}

// The stage in play with its flows started by their events, run frame by frame.
class WalkerPlay {
 public:
  explicit WalkerPlay(const cStage& stage) : t(stage) {
    ok = t.Scene().SetStage(0, 1) == 1 && g_lChara.Count() == 1;
    t.Scene().m_nState = 2;
    g_lpfnFireEventEx = nullptr;
    g_lChara.ForEach([&](cStageChara& c) { walker = &c; });
  }
  // Runs the frames up to frame `last` (1 is the first).
  void To(int last) {
    for (; frame < last; ++frame) t.Frames(1);
  }

  PlaySceneTest t;
  bool ok = false;
  cStageChara* walker = nullptr;
  int frame = 0;
};

TEST(EnemyScenario, AGroundTurnWalkerTurnsBackAtBothEdgesOfItsPlatform) {
  // The only floor is the platform of columns 4..11 on row 14.
  WalkerPlay play(WalkerStage(
      [](cStage& s) {
        fixture::Fill(s, fixture::Block(1), 4, 14, 11, 14);
        fixture::Fill(s, fixture::Block(1), 15, 12, 19, 14);
      },
      {GroundTurnFlow()}));
  ASSERT_TRUE(play.ok);
  cStageChara* walker = play.walker;
  // The body, 16 × 24 on the bottom of cell (7, 13): x 7 × 32 + 8 + 0.5 = 232.5, far x
  // x + 15, bottom 13 × 32 + 31 = 447, so the row under the feet is ⌊(447 + 1.1) / 32⌋ = 14.
  ASSERT_EQ(walker->m_dX, kMargin + 232.5);
  EXPECT_EQ(walker->m_nDir, 1);
  // Each frame the walk's tick (in the character's act) sets 1 dot in the facing's direction
  // from the position the frame starts with, then the horizontal step moves it. The tick of
  // frame n sees x = 232.5 + (n − 1) while walking right: its right edge x + 15 first stands
  // over the open column 12 (x ≥ 384 − 15 = 369) on frame 138 (x 369.5), with the left edge
  // still over the platform (column 11): the walker faces left, and that frame still moves
  // right (370.5 after it). From frame 139 it walks left: x = 370.5 − (n − 138) after frame
  // n. The tick of frame n sees x = 370.5 − (n − 139); its left edge first stands over the
  // open column 3 (x < 128) on frame 382 (x 127.5, right edge 142.5 over column 4): it faces
  // right, moves left once more (126.5) and walks right again from frame 383.
  struct Point {
    int frame;
    double x;
    int dir;
  };
  const Point trace[] = {
      {1, 233.5, 1},   {100, 332.5, 1}, {137, 369.5, 1}, {138, 370.5, 0}, {139, 369.5, 0},
      {200, 308.5, 0}, {381, 127.5, 0}, {382, 126.5, 1}, {383, 127.5, 1}, {450, 194.5, 1},
  };
  for (const Point& p : trace) {
    play.To(p.frame);
    EXPECT_EQ(walker->m_dX, kMargin + p.x) << "frame " << p.frame;
    EXPECT_EQ(walker->m_nDir, p.dir) << "frame " << p.frame;
    // Standing, the body sinks by the gravity (0.4 a frame) into its cell's last dot row and is
    // put back: its bottom stays within the dot row 447.
    EXPECT_EQ(static_cast<int>(walker->m_dFarY), kMargin + 447) << "frame " << p.frame << ": on the platform";
  }
}

// A walker between two walls. A wall at its side (trigger "自分の左右にブロックが当たった時")
// starts three flows at once, listed before the walk so that they act first in a tick: turn
// away from the wall (the opposite of the last block side), a jump of 2 half-blocks, and one
// shot flying left at 6 dots a frame.
std::vector<cFlow> WallFlows() {
  cFlowCmd turn = Command(CMD_TURN, 1);
  turn.m_vParam[0] = 11;
  cFlowCmd jump = Command(CMD_JUMP, 0);
  jump.m_vParam = {0, 0, 2, 0, 0};
  cFlowCmd shot = Command(CMD_SHOT, 1);
  shot.m_pShot.reset(new cEdShot());
  shot.m_pShot->m_byFormation = 4;
  shot.m_pShot->m_byCount = 1;
  shot.m_pShot->m_byDirection = 2;
  shot.m_pShot->m_sSpeed = 60;
  return {OneCommandFlow(TRIGGER_BLOCK_SIDES, turn), OneCommandFlow(TRIGGER_BLOCK_SIDES, jump),
          OneCommandFlow(TRIGGER_BLOCK_SIDES, shot), GroundTurnFlow()};
}

TEST(EnemyScenario, AWalkerTurnsAtWallsJumpsAndFires) {
  // A floor over the whole width, walls on columns 3 and 12 (rows 9..13).
  WalkerPlay play(WalkerStage(
      [](cStage& s) {
        fixture::Fill(s, fixture::Block(1), 0, 14, 19, 14);
        fixture::Fill(s, fixture::Block(1), 3, 9, 3, 13);
        fixture::Fill(s, fixture::Block(1), 12, 9, 12, 13);
        fixture::Fill(s, fixture::Block(1), 15, 12, 19, 13);
      },
      WallFlows()));
  ASSERT_TRUE(play.ok);
  cStageChara* walker = play.walker;
  auto shotXs = [&] {
    std::vector<double> xs;
    play.t.Scene().m_lShot.ForEach([&](cShot& sh) { xs.push_back(sh.m_dX - kMargin); });
    return xs;
  };
  // Walking right from x 232.5 (x = 232.5 + n after frame n), the right edge x + 15 enters the
  // wall's column 12 (384) on frame 137 (x 369.5, right edge 384.5): it is put back by
  // (384 & 31) + 1 = 1 to 368.5, and the wall at its right fires the side event.
  play.To(136);
  EXPECT_EQ(walker->m_dX, kMargin + 368.5);
  EXPECT_TRUE(shotXs().empty());
  play.To(137);
  EXPECT_EQ(walker->m_dX, kMargin + 368.5);
  EXPECT_EQ(walker->m_nDir, 1);
  const double y0 = walker->m_dY;
  const double h = walker->m_dFarY - walker->m_dY;
  ASSERT_EQ(h, 23);
  // Frame 138: the three flows start. The walker faces left and walks left (367.5, then
  // 367.5 − (n − 138)). The shot, 16 × 16, starts centred on the walker's 32-dot graphic
  // cell as it stands at the tick (left trunc(368.5 − 8) = 360, centre 376): left 368, and
  // moves 6 in the same frame: 362 − 6 (n − 138) after frame n.
  // The jump: start speed for 32 dots (−g − √(g (8 × 32 + g))) / 2 with g = 0.4; each frame
  // gravity, then the move; a bottom that reaches into the floor row (14) lands: speed 0, y
  // back by (bottom & 31) + 1.
  const double g = 0.4;
  double v = (-g - std::sqrt(g * (8 * 32 + g))) / 2;
  double y = y0;
  int landing = -1;
  for (int n = 138; n <= 180; ++n) {
    play.To(n);
    v += g;
    y += v;
    const int bottom = static_cast<int>(y + h);
    const bool airborne = landing < 0;
    if (airborne && bottom >= (14 + 10) * 32) {
      y -= (bottom & 31) + 1;
      v = 0;
      landing = n;
    }
    if (airborne) {
      EXPECT_NEAR(walker->m_dY, y, 1e-9) << "frame " << n;
    }
    EXPECT_EQ(walker->m_dX, kMargin + 367.5 - (n - 138)) << "frame " << n;
    EXPECT_EQ(walker->m_nDir, 0) << "frame " << n;
    if (n <= 170) {
      ASSERT_EQ(shotXs().size(), 1u) << "frame " << n;
      EXPECT_EQ(shotXs()[0], 362 - 6 * (n - 138)) << "frame " << n;
    }
  }
  EXPECT_GT(landing, 138);
  // By frame 180 the shot (left 362 − 6 × 42 = 110) stands inside the wall's column 3 (96..127)
  // and has been taken off by the map.
  EXPECT_TRUE(shotXs().empty());
  EXPECT_EQ(static_cast<int>(walker->m_dFarY), kMargin + 447) << "landed on the floor";
  // Walking left (367.5 − (n − 138) after frame n: 129.5 after frame 376, 128.5 after 377),
  // the left edge enters the wall's column 3 (its last dot 127) on frame 378 (127.5): it is
  // put forward by 32 − (127 & 31) = 1 to 128.5. Frame 379 turns it right and jumps again:
  // 129.5, then 129.5 + (n − 379).
  play.To(376);
  EXPECT_EQ(walker->m_dX, kMargin + 129.5);
  play.To(377);
  EXPECT_EQ(walker->m_dX, kMargin + 128.5);
  play.To(378);
  EXPECT_EQ(walker->m_dX, kMargin + 128.5);
  EXPECT_EQ(walker->m_nDir, 0);
  play.To(379);
  EXPECT_EQ(walker->m_dX, kMargin + 129.5);
  EXPECT_EQ(walker->m_nDir, 1);
  EXPECT_LT(walker->m_dY, y0) << "jumping again";
  play.To(400);
  EXPECT_EQ(walker->m_dX, kMargin + 150.5);
}

}  // namespace
