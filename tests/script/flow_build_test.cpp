// Building the runs: durations from the time fields and the clone value, loop expansion with
// its bound, the movement set-up figures, the animation schedule, run numbers and the key
// latch of added flows.
#include <gtest/gtest.h>

#include <climits>

#include "defs/anime.h"
#include "fixture/fixture.h"
#include "project/database.h"
#include "project/system_data.h"
#include "script/flow_build.h"
#include "script_kit.h"

using namespace scriptkit;

namespace {

class FlowBuildTest : public ::testing::TestWithParam<int> {
 protected:
  int k() const { return GetParam(); }
};

cSafeVector<cFlowCmd> List(std::initializer_list<cFlowCmd> cmds) { return cSafeVector<cFlowCmd>(cmds); }
cFlowCmd W(const char* tag) { return Cmd(CMD_WAIT, 1, 0, tag); }

TEST(LoopExpansion, RepeatsBlocksAndExpandsNestedLoops) {
  const struct {
    cSafeVector<cFlowCmd> cmds;
    const char* expected;
  } cases[] = {
      {List({Loop(3, 2), W("A"), W("B"), W("C")}), "A B A B A B C"},
      {List({Loop(0, 2), W("A"), W("B"), W("C")}), "A B C"},
      {List({Loop(1, 2), W("A"), W("B"), W("C")}), "A B C"},
      {List({Loop(-7, 2), W("A"), W("B"), W("C")}), "A B C"},
      {List({W("A"), Loop(2, 9), W("B"), W("C")}), "A B C B C"},
      {List({W("A"), Loop(4, 0), W("B")}), "A B"},
      {List({W("A"), Loop(3, 1)}), "A"},
      // The inner loop stands in both copies of the outer block, and each copy is expanded.
      {List({Loop(2, 3), W("A"), Loop(2, 1), W("B"), W("C")}), "A B B A B B C"},
      {List({Loop(2, 2), W("A"), W("B"), Loop(2, 1), W("C")}), "A B A B C C"},
  };
  for (const auto& c : cases) {
    cSafeVector<cFlowCmd> cmds = c.cmds;
    ExpandLoops(cmds);
    EXPECT_EQ(Tags(cmds), c.expected);
  }
  // Item lists: list kind 24 is the loop.
  cFlowCmd loop = ListCmd(24);
  loop.m_vParam = {2, 1};
  cSafeVector<cFlowCmd> list = List({loop, ListCmd(20, "S"), ListCmd(3, "W")});
  ExpandLoops(list);
  EXPECT_EQ(Tags(list), "S S W");
}

TEST(LoopExpansion, StoredRepeatCountsCannotGrowAListWithoutBound) {
  // 3 commands: 9997 more fit under 10000, so 4998 copies of the 2-command block: 4999 blocks.
  cSafeVector<cFlowCmd> cmds = List({Loop(1000000, 2), W("A"), W("B")});
  ExpandLoops(cmds);
  EXPECT_EQ(cmds.size(), 9998u);
  // Nested loops with the largest counts: the outer one is cut (4998 copies of its 2-command
  // block fit), and the inner loops left in the 4999 blocks stand for one A each.
  cSafeVector<cFlowCmd> nested = List({Loop(INT_MAX, 2), Loop(INT_MAX, 1), W("A"), W("B")});
  ExpandLoops(nested);
  ASSERT_EQ(nested.size(), 4999u + 1);
  for (size_t i = 0; i < 4999; ++i) EXPECT_EQ(nested[i].m_strText, "A");
  EXPECT_EQ(nested.back().m_strText, "B");
}

TEST_P(FlowBuildTest, DurationsFromTimesAndCloneValue) {
  cFlowCmd a = Cmd(CMD_WAIT, 3);
  a.m_sTimePerClone = 1;
  cFlowCmd huge = Cmd(CMD_WAIT, 32767);
  huge.m_sTimePerClone = 32767;
  ScriptWorld w(k(), {});
  w.chara.m_sClone = 2;
  cSafeVector<cFlow> flows = {Flow(TRIGGER_NONE, {a, Cmd(CMD_WAIT, 0), huge})};
  w.chara.m_Data.m_vFlow = flows;
  w.chara.BuildFlows(w.chara.m_Data.m_vFlow, 0, -1);
  const cFlowRun& run = w.chara.m_vFlowRun[0];
  EXPECT_EQ(run.m_vCmdState[0].m_nDuration, 30 * k());
  EXPECT_EQ(run.m_vCmdState[1].m_nDuration, 0);
  // (32767 × 2 + 32767) × 6k does not fit: the largest count.
  EXPECT_EQ(run.m_vCmdState[2].m_nDuration, (98301LL * 6 * k() > INT_MAX) ? INT_MAX : 98301 * 6 * k());
  EXPECT_EQ(run.m_pFlow, &w.chara.m_Data.m_vFlow[0]);
  EXPECT_EQ(run.m_vCmdState[0].m_pCmd, &w.chara.m_Data.m_vFlow[0].m_vCmd[0]);
}

cFlowCmd Move(int kind, int time, int timeMode, int distance, int unit, int speed) {
  cFlowCmd c = Cmd(kind, time);
  CreateEdMove(c.m_pMove);
  c.m_pMove->m_byTimeMode = static_cast<uint8_t>(timeMode);
  c.m_pMove->m_sDistance = static_cast<int16_t>(distance);
  c.m_pMove->m_byDistanceUnit = static_cast<uint8_t>(unit);
  c.m_pMove->m_sSpeed = static_cast<int16_t>(speed);
  return c;
}

const cCmdState& BuildOne(ScriptWorld& w, const cFlowCmd& cmd) {
  cSafeVector<cFlow> flows = {Flow(TRIGGER_NONE, {cmd})};
  w.chara.m_Data.m_vFlow = flows;
  w.chara.BuildFlows(w.chara.m_Data.m_vFlow, 0, -1);
  return w.chara.m_vFlowRun[0].m_vCmdState[0];
}

TEST_P(FlowBuildTest, MovementSpeedsAndDistanceModes) {
  ScriptWorld w(k(), {});
  // Speed 10 tenths of a dot per frame: 1/k dot per sub-step; inertia limit likewise.
  cFlowCmd plain = Move(CMD_MOVE_LINE, 1, 0, 0, 0, 10);
  plain.m_pMove->m_bInertia = 1;
  plain.m_pMove->m_sMaxSpeed = 30;
  plain.m_pMove->m_byDirection = 5;
  const cCmdState& s0 = BuildOne(w, plain);
  EXPECT_DOUBLE_EQ(s0.m_dSpeed, 1.0 / k());
  EXPECT_DOUBLE_EQ(s0.m_dSpeed2, 3.0 / k());
  EXPECT_EQ(s0.m_cTurn, 5);
  EXPECT_EQ(s0.m_nDuration, 6 * k());
  // Mode 1: 4 half blocks (64 dots) over 1 tenth.
  EXPECT_DOUBLE_EQ(BuildOne(w, Move(CMD_MOVE_LINE, 1, 1, 4, 0, 10)).m_dSpeed, 64.0 / (6 * k()));
  EXPECT_DOUBLE_EQ(BuildOne(w, Move(CMD_MOVE_CHARGE, 1, 1, 12, 1, 10)).m_dSpeed, 12.0 / (6 * k()));
  // Mode 2: 64 dots at 1/k dot per sub-step: 64k sub-steps; a negative distance too, unless
  // the older rule keeps the sign.
  EXPECT_EQ(BuildOne(w, Move(CMD_MOVE_LINE, 1, 2, 4, 0, 10)).m_nDuration, 64 * k());
  EXPECT_EQ(BuildOne(w, Move(CMD_MOVE_AVOID_EDGE, 1, 2, -4, 0, 10)).m_nDuration, 64 * k());
  g_SystemData.m_bLegacy695 = 1;
  EXPECT_EQ(BuildOne(w, Move(CMD_MOVE_GROUND_TURN, 1, 2, -4, 0, 10)).m_nDuration, -64 * k());
  g_SystemData.m_bLegacy695 = 0;
  // Nothing divides by zero: a duration of 1 and no speed.
  const cCmdState& noTime = BuildOne(w, Move(CMD_MOVE_LINE, 0, 1, 4, 0, 10));
  EXPECT_EQ(noTime.m_nDuration, 1);
  EXPECT_EQ(noTime.m_dSpeed, 0.0);
  const cCmdState& noSpeed = BuildOne(w, Move(CMD_MOVE_LINE, 1, 2, 4, 0, 0));
  EXPECT_EQ(noSpeed.m_nDuration, 1);
  EXPECT_EQ(noSpeed.m_dSpeed, 0.0);
  // Homing: the homing value × k, then the distance mode.
  cFlowCmd homing = Move(CMD_MOVE_HOMING, 1, 1, 4, 0, 10);
  homing.m_pMove->m_sRadius = 7;
  const cCmdState& h = BuildOne(w, homing);
  EXPECT_EQ(h.m_nMoveValue1, 7 * k());
  EXPECT_DOUBLE_EQ(h.m_dSpeed, 64.0 / (6 * k()));
}

TEST_P(FlowBuildTest, CircleSetUp) {
  ScriptWorld w(k(), {});
  auto circle = [](int mirrorX, int mirrorY, int radius, int timeMode) {
    cFlowCmd c = Move(CMD_MOVE_CIRCLE, 1, timeMode, 90, 0, 10);
    c.m_pMove->m_sAngle = 30;
    c.m_pMove->m_sRadius = static_cast<int16_t>(radius);
    c.m_pMove->m_bMirrorGoalX = static_cast<uint8_t>(mirrorX);
    c.m_pMove->m_bMirrorGoalY = static_cast<uint8_t>(mirrorY);
    c.m_pMove->m_byDirection = 0;
    return c;
  };
  w.chara.m_nDir = 1;
  const cCmdState& right = BuildOne(w, circle(1, 0, 2, 0));
  EXPECT_EQ(right.m_cTurn, 1);
  EXPECT_EQ(right.m_nMoveValue1, 2 * 16 * k());
  EXPECT_EQ(right.m_nMoveValue2, 210 * k());
  EXPECT_EQ(right.m_nMoveValue3, 270 * k());
  // Span 60k over 6k sub-steps, divided by k.
  EXPECT_DOUBLE_EQ(right.m_dSpeed, 60.0 * k() / (6 * k()) / k());
  EXPECT_EQ(BuildOne(w, circle(1, 1, 2, 0)).m_cTurn, 0);
  EXPECT_EQ(BuildOne(w, circle(0, 1, 2, 0)).m_cTurn, 1);
  EXPECT_EQ(BuildOne(w, circle(1, 0, 25, 0)).m_nMoveValue1, 20 * 16 * k());
  EXPECT_EQ(BuildOne(w, circle(1, 0, -3, 0)).m_nMoveValue1, 0);
  w.chara.m_nDir = 0;
  const cCmdState& left = BuildOne(w, circle(1, 1, 2, 0));
  EXPECT_EQ(left.m_cTurn, 0);
  EXPECT_EQ(left.m_nMoveValue2, 30 * k());
  // Mode 1: the duration from the span (60k) and the speed (1/k): 60k / (1/k) / k = 60k.
  EXPECT_EQ(BuildOne(w, circle(0, 0, 2, 1)).m_nDuration, 60 * k());
}

TEST_P(FlowBuildTest, JumpTimeWrittenIntoTheFlowCopy) {
  cFlowCmd jump = Cmd(CMD_JUMP, 9);
  jump.m_sTimePerClone = 5;
  jump.m_vParam[2] = 4;
  ScriptWorld w(k(), {Flow(TRIGGER_NONE, {jump})});
  // The jump's own figures: start speed and time of a 4-half-block jump; the per-clone time
  // does not count.
  const int t = w.chara.JumpTimeForHbl(4);
  const cCmdState& s = w.chara.m_vFlowRun[0].m_vCmdState[0];
  EXPECT_EQ(w.chara.m_Data.m_vFlow[0].m_vCmd[0].m_sTime, t);
  EXPECT_EQ(s.m_nDuration, t * 6 * k());
  EXPECT_DOUBLE_EQ(s.m_dSpeed, w.chara.JumpSpeedForHbl(4));
  EXPECT_NE(t, 9);
}

// Animation 1 lasts 3 tenths (a control frame ends it); animation 2 has 4 tenths.
class ScheduleTest : public FlowBuildTest {
 protected:
  ScheduleTest() : saved_(g_Database.m_vAnime) {
    g_Database.m_vAnime.clear();
    g_Database.m_vAnime.push_back(fixture::Anime("none", {}));
    g_Database.m_vAnime.push_back(fixture::Anime("three", {{1, 1, 0}, {2, 1, 0}, {3, 1, 0}, {4, 5, 1}, {5, 5, 0}}));
    g_Database.m_vAnime.push_back(fixture::Anime("four", {{1, 4, 0}}));
  }
  ~ScheduleTest() override { g_Database.m_vAnime = saved_; }
  cSafeVector<cAnime> saved_;
};

cFlowCmd Animated(int kind, int time, int anime, int zero = 0) {
  cFlowCmd c = Cmd(kind, time, zero);
  c.m_sAnime = static_cast<int16_t>(anime);
  return c;
}

TEST_P(ScheduleTest, AnimationsEndWhenTheirCommandStarts) {
  ScriptWorld w(k(), {Flow(TRIGGER_NONE, {Cmd(CMD_WAIT, 1), Cmd(CMD_WAIT, 1), Animated(CMD_WAIT, 2, 1)}),
                      Flow(TRIGGER_NONE, {Cmd(CMD_WAIT, 2), Animated(CMD_WAIT, 0, 2, 1), Cmd(CMD_WAIT, 2), Animated(CMD_STATUS, 1, 1)}),
                      Flow(TRIGGER_NONE, {Animated(CMD_WAIT, 1, 1), Animated(CMD_SWORD, 0, 2, 1), Animated(CMD_WAIT, 0, 0)})});
  const struct {
    int run;
    size_t entry;
    int start, anime, skip, length, cmdTime, hold;
  } cases[] = {
      // After two 1-tenth commands (12k): starts at 0, 6 frames skipped, 12 played.
      {0, 0, 0, 1, 6, 12, 12, 1},
      // 4 tenths (24k) long with 2 tenths (12k) before it: starts at 0, 12 frames skipped.
      {1, 0, 0, 2, 12, 12, 0, 1},
      // After 2 + 2 tenths (24k, the zero-time one not counted): starts at 6k, nothing skipped.
      {1, 1, 6 * k(), 1, 0, 18, 6, 1},
      // On the first command: all skipped, length 0.
      {2, 0, 0, 1, 18, 0, 6, 1},
      // The sword holds nothing; 1 tenth (6k) before it: 18 frames skipped of 24.
      {2, 1, 0, 2, 18, 6, 0, 0},
  };
  for (const auto& c : cases) {
    const cSafeVector<cAnimSchedule>& list = w.chara.m_vFlowRun[static_cast<size_t>(c.run)].m_vAnimSchedule;
    ASSERT_LT(c.entry, list.size()) << c.run;
    const cAnimSchedule& e = list[c.entry];
    EXPECT_EQ(e.m_nStartTick, c.start) << c.run << "/" << c.entry;
    EXPECT_EQ(e.m_nStartTick2, c.start) << c.run << "/" << c.entry;
    EXPECT_EQ(e.m_sAnime, c.anime) << c.run << "/" << c.entry;
    EXPECT_EQ(e.m_sSkip, c.skip) << c.run << "/" << c.entry;
    EXPECT_EQ(e.m_sLength, c.length) << c.run << "/" << c.entry;
    EXPECT_EQ(e.m_sCmdTime, c.cmdTime) << c.run << "/" << c.entry;
    EXPECT_EQ(e.m_bHold, c.hold) << c.run << "/" << c.entry;
  }
  EXPECT_EQ(w.chara.m_vFlowRun[0].m_vAnimSchedule.size(), 1u);
  EXPECT_EQ(w.chara.m_vFlowRun[1].m_vAnimSchedule.size(), 2u);
  // The command without animation has no entry.
  EXPECT_EQ(w.chara.m_vFlowRun[2].m_vAnimSchedule.size(), 2u);
}

TEST_P(ScheduleTest, MovementCommandsGetAnEntryOnlyWithTheAnimationFlag) {
  cFlowCmd off = Move(CMD_MOVE_LINE, 1, 0, 0, 0, 10);
  off.m_sAnime = 1;
  cFlowCmd on = off;
  CreateEdMove(on.m_pMove);
  on.m_pMove->m_bTimeFromAnime = 1;
  ScriptWorld w(k(), {Flow(TRIGGER_NONE, {off}), Flow(TRIGGER_NONE, {on})});
  EXPECT_EQ(w.chara.m_vFlowRun[0].m_vAnimSchedule.size(), 0u);
  EXPECT_EQ(w.chara.m_vFlowRun[1].m_vAnimSchedule.size(), 1u);
  // Durations still come from the time fields.
  EXPECT_EQ(w.chara.m_vFlowRun[1].m_vCmdState[0].m_nDuration, 6 * k());
}

TEST_P(FlowBuildTest, AddedFlowsGetNewRunNumbersAndHoldTheKeys) {
  ScriptWorld w(k(), {Flow(TRIGGER_NONE, {W("A")}), Flow(TRIGGER_NONE, {W("B")})});
  EXPECT_EQ(w.chara.m_vFlowRun[0].m_nRunId, 0);
  EXPECT_EQ(w.chara.m_vFlowRun[1].m_nRunId, 1);
  EXPECT_EQ(w.chara.m_vFlowRun[0].m_bKeyHeld, 0);
  cFlow repeating = Flow(TRIGGER_NONE, {W("C")});
  repeating.m_bKeyRepeat = 1;
  cSafeVector<cFlow> added = {Flow(TRIGGER_NONE, {Loop(2, 1), W("D")}), repeating};
  EXPECT_EQ(w.chara.BuildFlows(added, 1, 1), 2);
  ASSERT_EQ(w.chara.m_vFlowRun.size(), 4u);
  EXPECT_EQ(Tags(w.chara.m_Data.m_vFlow[1].m_vCmd), "D D");
  EXPECT_EQ(w.chara.m_vFlowRun[1].m_nRunId, 2);
  EXPECT_EQ(w.chara.m_vFlowRun[2].m_nRunId, 3);
  EXPECT_EQ(w.chara.m_vFlowRun[1].m_bKeyHeld, 1);
  EXPECT_EQ(w.chara.m_vFlowRun[2].m_bKeyHeld, 0);
  // Every run points at its own flow after the insertion.
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(w.chara.m_vFlowRun[i].m_nIndex, static_cast<int>(i));
    EXPECT_EQ(w.chara.m_vFlowRun[i].m_pFlow, &w.chara.m_Data.m_vFlow[i]);
    EXPECT_EQ(w.chara.m_vFlowRun[i].m_vCmdState[0].m_pCmd, &w.chara.m_Data.m_vFlow[i].m_vCmd[0]);
  }
  EXPECT_EQ(Tags(w.chara.m_Data.m_vFlow[3].m_vCmd), "B");
  // Past the end: appended.
  cSafeVector<cFlow> more = {Flow(TRIGGER_NONE, {W("E")})};
  w.chara.BuildFlows(more, 1, 99);
  EXPECT_EQ(Tags(w.chara.m_Data.m_vFlow[4].m_vCmd), "E");
  EXPECT_EQ(w.chara.m_vFlowRun[4].m_nRunId, 4);
  cSafeVector<cFlow> none;
  EXPECT_EQ(w.chara.BuildFlows(none, 1, -1), 0);
}

INSTANTIATE_TEST_SUITE_P(SubSteps, FlowBuildTest, ::testing::Values(1, 3));
INSTANTIATE_TEST_SUITE_P(SubSteps, ScheduleTest, ::testing::Values(1, 3));

}  // namespace
