// An enemy walking through its own flow on a stage run by the real play frame: a ground-turn
// walk on a platform with open edges, turning back at each edge. Positions in stage dots
// relative to the map origin (the 10-cell margin adds 320 to both x and y); one sub-step a
// frame.
#include <gtest/gtest.h>

#include "defs/cmd_kind.h"
#include "defs/ed_move.h"
#include "fixture/fixture.h"
#include "play_scene_kit.h"
#include "script/flow_trigger.h"

namespace {

using playscene::PlaySceneTest;

constexpr double kMargin = 320;

// An always-tested flow of one ground-turn walk lasting a tenth, at 1 dot a frame.
cFlow GroundTurnFlow() {
  cFlowCmd walk;
  walk.m_byKind = static_cast<int8_t>(CMD_MOVE_GROUND_TURN);
  if (const cCmdKindInfo* info = GetCmdKindInfo(0, CMD_MOVE_GROUND_TURN))
    walk.m_vParam.assign(static_cast<size_t>(info->m_nParamCount), 0);
  walk.m_sTime = 1;
  CreateEdMove(walk.m_pMove);
  walk.m_pMove->m_sSpeed = 10;
  cFlow f;
  f.m_byTrigger = TRIGGER_ALWAYS;
  f.m_vCmd.push_back(walk);
  return f;
}

// A 20 × 15 stage whose only floor is the platform of columns 4..11 on row 14; the hero
// stands apart in a pit of its own (columns 16..18, walled) and never meets the walker.
cStage WalkStage() {
  cStage s = fixture::Stage(20, 15);
  fixture::Fill(s, fixture::Block(1), 4, 14, 11, 14);
  fixture::Fill(s, fixture::Block(1), 15, 12, 19, 14);
  fixture::Place(s, fixture::Hero(1), 17, 11);
  cCharaData walker = fixture::Chara(2);
  walker.m_byLayer = 2;
  walker.m_byDirection = 1;
  walker.m_vFlow.assign(1, GroundTurnFlow());
  fixture::Place(s, walker, 7, 13);
  s.m_nSpeedLevel = 1;
  s.m_bShowStartBanner = 0;
  s.m_bShowStageBanner = 0;
  fixture::EncloseGrid(s);
  return s;
}

TEST(EnemyScenario, AGroundTurnWalkerTurnsBackAtBothEdgesOfItsPlatform) {
  PlaySceneTest t(WalkStage());
  ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
  t.Scene().m_nState = 2;
  g_lpfnFireEventEx = nullptr;  // events start the flows
  ASSERT_EQ(g_lChara.Count(), 1u);
  cStageChara* walker = nullptr;
  g_lChara.ForEach([&](cStageChara& c) { walker = &c; });
  // The body, 16 × 24 on the bottom of cell (7, 13): x 7 × 32 + 8 + 0.5 = 232.5, far x
  // x + 15, bottom 13 × 32 + 31 = 447, so the row under the feet is ⌊(447 + 1.1) / 32⌋ = 14.
  ASSERT_EQ(walker->m_dX, kMargin + 232.5);
  EXPECT_EQ(walker->m_nDir, 1);
  int frame = 0;
  auto runTo = [&](int last) {
    while (frame < last) {
      t.Frames(1);
      ++frame;
    }
  };
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
    runTo(p.frame);
    EXPECT_EQ(walker->m_dX, kMargin + p.x) << "frame " << p.frame;
    EXPECT_EQ(walker->m_nDir, p.dir) << "frame " << p.frame;
    // Standing, the body sinks by the gravity (0.4 a frame) into its cell's last dot row and is
    // put back: its bottom stays within the dot row 447.
    EXPECT_EQ(static_cast<int>(walker->m_dFarY), kMargin + 447) << "frame " << p.frame << ": on the platform";
  }
}

}  // namespace
