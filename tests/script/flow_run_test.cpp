// Flow runs: command durations in sub-steps, chains of zero-time commands, the before-the-stage
// flows, pause and resume, the permanent stop, flows that restart themselves, the group flags
// of the owner, and a character's flows stepped for some hundred sub-steps against a trace
// worked out by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/play_scene.h"
#include "script/flow_run.h"
#include "script_kit.h"

using namespace scriptkit;

namespace {

class FlowRunTest : public ::testing::TestWithParam<int> {
 protected:
  int k() const { return GetParam(); }
};

// Steps the character's flows once; the result of the run's Step as the turn sees it.
int StepRun(cStageChara& c, int index) {
  g_lpPlayScene->m_pCurChara = &c;
  int r = c.m_vFlowRun[static_cast<size_t>(index)].Step();
  if (r == 1) c.m_vFlowRun[static_cast<size_t>(index)].Stop(c);
  return r;
}

TEST_P(FlowRunTest, DurationsCountSubSteps) {
  HandlerSwap wait(CMD_WAIT, RecordTick);
  {
    // Time 0 and no per-clone time: one tick all the same.
    ScriptWorld w(k(), {Flow(TRIGGER_NONE, {Cmd(CMD_WAIT, 0, 0, "A")})});
    cFlowRun& run = w.chara.m_vFlowRun[0];
    EXPECT_EQ(run.m_vCmdState[0].m_nDuration, 0);
    run.Start(w.chara);
    EXPECT_EQ(StepRun(w.chara, 0), 1);
    EXPECT_EQ(Log().size(), 1u);
  }
  {
    // Two commands of one tenth: the run ends on sub-step 12k, having counted 12k - 1.
    ScriptWorld w(k(), {Flow(TRIGGER_NONE, {Cmd(CMD_WAIT, 1, 0, "A"), Cmd(CMD_WAIT, 1, 0, "B")})});
    cFlowRun& run = w.chara.m_vFlowRun[0];
    run.Start(w.chara);
    int endedAt = 0;
    for (int s = 1; s <= 20 * k() && !endedAt; ++s)
      if (StepRun(w.chara, 0) == 1) endedAt = s;
    EXPECT_EQ(endedAt, 12 * k());
    EXPECT_EQ(run.m_nTicks, 12 * k() - 1);
    EXPECT_EQ(run.m_bRunning, 0);
    ASSERT_EQ(Log().size(), static_cast<size_t>(12 * k()));
    EXPECT_EQ(Log()[static_cast<size_t>(6 * k() - 1)], "A");
    EXPECT_EQ(Log()[static_cast<size_t>(6 * k())], "B");
  }
}

TEST_P(FlowRunTest, ZeroTimeCommandsChainInOneSubStep) {
  HandlerSwap wait(CMD_WAIT, RecordTick);
  {
    ScriptWorld w(k(), {Flow(TRIGGER_NONE, {Cmd(CMD_WAIT, 0, 1, "A"), Cmd(CMD_WAIT, 0, 1, "B"), Cmd(CMD_WAIT, 0, 1, "C")})});
    w.chara.m_vFlowRun[0].Start(w.chara);
    EXPECT_EQ(StepRun(w.chara, 0), 1);
    EXPECT_EQ(Log(), (std::vector<std::string>{"A", "B", "C"}));
  }
  {
    // The last zero-time command finishes first: the run ends, the earlier one is cut off.
    ScriptWorld w(k(), {Flow(TRIGGER_NONE, {Cmd(CMD_WAIT, 1, 1, "A"), Cmd(CMD_WAIT, 0, 1, "B")})});
    cFlowRun& run = w.chara.m_vFlowRun[0];
    run.Start(w.chara);
    EXPECT_EQ(StepRun(w.chara, 0), 1);
    EXPECT_EQ(Log(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(run.m_vCmdState[0].m_bDone, 0);
    EXPECT_EQ(run.m_vCmdState[0].m_nRemaining, 0);
  }
  {
    // An unfinished zero-time command keeps ticking beside the command after it.
    ScriptWorld w(k(), {Flow(TRIGGER_NONE, {Cmd(CMD_WAIT, 1, 1, "A"), Cmd(CMD_WAIT, 1, 0, "B")})});
    w.chara.m_vFlowRun[0].Start(w.chara);
    int endedAt = 0;
    for (int s = 1; s <= 10 * k() && !endedAt; ++s)
      if (StepRun(w.chara, 0) == 1) endedAt = s;
    EXPECT_EQ(endedAt, 6 * k());
    ASSERT_EQ(Log().size(), static_cast<size_t>(12 * k()));
    for (size_t i = 0; i < Log().size(); ++i) EXPECT_EQ(Log()[i], i % 2 ? "B" : "A") << i;
  }
}

TEST_P(FlowRunTest, BeforeTheStageFlowRunsOnlyItsZeroTimeCommandsFromKind16) {
  HandlerSwap h1(CMD_WAIT, RecordTick);
  HandlerSwap h2(CMD_STATUS, RecordTick);
  HandlerSwap h3(CMD_GAME_WAIT, RecordTick);
  HandlerSwap h4(CMD_CODE, RecordTick);
  HandlerSwap h5(CMD_FLOW_OPERATION, RecordTick);
  ScriptWorld w(k(), {Flow(TRIGGER_BEFORE_STAGE,
                           {Cmd(CMD_WAIT, 0, 1, "wait"), Cmd(CMD_STATUS, 0, 1, "status"), Cmd(CMD_GAME_WAIT, 1, 0, "game wait"),
                            Cmd(CMD_FLOW_OPERATION, 0, 1, "flow op"), Cmd(CMD_STATUS, 1, 1, "long"), Cmd(CMD_CODE, 0, 1, "code")})});
  cFlowRun& run = w.chara.m_vFlowRun[0];
  run.Start(w.chara);
  // A zero-time command that would need more ticks gets one all the same, and the run goes on.
  EXPECT_EQ(Log(), (std::vector<std::string>{"status", "flow op", "long", "code"}));
  EXPECT_EQ(run.m_bRunning, 0);
  EXPECT_EQ(run.m_vCmdState[1].m_bDone, 1);
  EXPECT_EQ(run.m_vCmdState[4].m_bDone, 1);
  EXPECT_EQ(run.m_vCmdState[0].m_bDone, 0);
  EXPECT_EQ(run.m_vCmdState[4].m_nRemaining, 0);
}

TEST_P(FlowRunTest, PauseKeepsTheCommandAndResumeGoesOn) {
  HandlerSwap wait(CMD_WAIT, RecordTick);
  ScriptWorld w(k(), {Flow(TRIGGER_NONE, {Cmd(CMD_WAIT, 1, 0, "A"), Cmd(CMD_WAIT, 1, 0, "B")})});
  cFlowRun& run = w.chara.m_vFlowRun[0];
  run.Start(w.chara);
  for (int s = 0; s < 3; ++s) w.chara.StepFlowRuns(0);
  run.Pause();
  const int remaining = run.m_vCmdState[0].m_nRemaining;
  EXPECT_EQ(remaining, 6 * k() - 3);
  for (int s = 0; s < 5; ++s) w.chara.StepFlowRuns(0);
  EXPECT_EQ(run.m_vCmdState[0].m_nRemaining, remaining);
  EXPECT_EQ(run.m_nCurrent, 0);
  EXPECT_EQ(run.m_nTicks, 3);
  EXPECT_EQ(Log().size(), 3u);
  run.Resume();
  w.chara.StepFlowRuns(0);
  EXPECT_EQ(run.m_vCmdState[0].m_nRemaining, remaining - 1);
  EXPECT_EQ(Log().size(), 4u);
}

TEST_P(FlowRunTest, StopForeverLeavesTheRunFlaggedButNeverStepped) {
  HandlerSwap wait(CMD_WAIT, RecordTick);
  ScriptWorld w(k(), {Flow(TRIGGER_NONE, {Cmd(CMD_WAIT, 1, 0, "A")}, 0, 4)});
  cFlowRun& run = w.chara.m_vFlowRun[0];
  run.Start(w.chara);
  w.chara.StepFlowRuns(0);
  run.StopForever(w.chara);
  EXPECT_EQ(run.m_bRunning, 1);
  EXPECT_EQ(run.m_bStopForever, 1);
  EXPECT_EQ(run.m_vCmdState[0].m_nRemaining, 0);
  EXPECT_EQ(w.chara.m_vGroupStopped[4], 1);
  for (int s = 0; s < 10 * k(); ++s) w.chara.StepFlowRuns(0);
  EXPECT_EQ(Log().size(), 1u);
  EXPECT_EQ(run.m_bRunning, 1);
  // The group's flags were released at the end of the turn.
  EXPECT_EQ(w.chara.m_vGroupStopped[4], 0);
  EXPECT_EQ(w.chara.m_bAnyGroupStopped, 0);
}

// The flow operation "start this flow": stops and starts the current run, ends the step.
void RestartOwnFlow(cChara& chara, cCmdState& state) {
  RecordTick(chara, state);
  cFlowRun* run = g_lpPlayScene->m_pCurRun;
  run->Stop(chara);
  run->Start(chara);
  run->m_bAbort = 1;
}

TEST_P(FlowRunTest, FlowRestartingItselfRunsAgainFromItsFirstCommand) {
  HandlerSwap wait(CMD_WAIT, RecordTick);
  HandlerSwap op(CMD_FLOW_OPERATION, RestartOwnFlow);
  {
    // Last command: the flow loops for good, A for 6k sub-steps and then the restart.
    ScriptWorld w(k(), {Flow(TRIGGER_NONE, {Cmd(CMD_WAIT, 1, 0, "A"), Cmd(CMD_FLOW_OPERATION, 0, 0, "op")})});
    cFlowRun& run = w.chara.m_vFlowRun[0];
    run.Start(w.chara);
    const int period = 6 * k() + 1;
    for (int s = 0; s < 3 * period; ++s) w.chara.StepFlowRuns(0);
    ASSERT_EQ(Log().size(), static_cast<size_t>(3 * period));
    for (int s = 0; s < 3 * period; ++s) EXPECT_EQ(Log()[static_cast<size_t>(s)], s % period == period - 1 ? "op" : "A") << s;
    EXPECT_EQ(run.m_bRunning, 1);
  }
  {
    // Middle command: the command after it never runs.
    ScriptWorld w(k(), {Flow(TRIGGER_NONE, {Cmd(CMD_WAIT, 0, 0, "A"), Cmd(CMD_FLOW_OPERATION, 0, 0, "op"), Cmd(CMD_WAIT, 0, 0, "C")})});
    w.chara.m_vFlowRun[0].Start(w.chara);
    for (int s = 0; s < 8; ++s) w.chara.StepFlowRuns(0);
    EXPECT_EQ(Log(), (std::vector<std::string>{"A", "op", "A", "op", "A", "op", "A", "op"}));
  }
}

// "Start this flow" as a zero-time command of a before-the-stage flow, and "start the other
// flow" between two such flows.
void StartCurrentRun(cChara& chara, cCmdState& state) {
  RecordTick(chara, state);
  g_lpPlayScene->m_pCurRun->Start(chara);
}
void StartOtherRun(cChara& chara, cCmdState& state) {
  RecordTick(chara, state);
  cFlowRun* run = g_lpPlayScene->m_pCurRun;
  chara.m_vFlowRun[run->m_nIndex == 0 ? 1 : 0].Start(chara);
}

TEST_P(FlowRunTest, BeforeTheStageFlowsStartingThemselvesEndAfterOnePass) {
  {
    HandlerSwap op(CMD_FLOW_OPERATION, StartCurrentRun);
    ScriptWorld w(k(), {Flow(TRIGGER_BEFORE_STAGE, {Cmd(CMD_FLOW_OPERATION, 0, 1, "self")})});
    w.chara.m_vFlowRun[0].Start(w.chara);
    EXPECT_EQ(Log(), (std::vector<std::string>{"self"}));
    EXPECT_EQ(w.chara.m_vFlowRun[0].m_bRunning, 0);
  }
  {
    HandlerSwap op(CMD_FLOW_OPERATION, StartOtherRun);
    ScriptWorld w(k(), {Flow(TRIGGER_BEFORE_STAGE, {Cmd(CMD_FLOW_OPERATION, 0, 1, "A")}),
                        Flow(TRIGGER_BEFORE_STAGE, {Cmd(CMD_FLOW_OPERATION, 0, 1, "B")})});
    w.chara.m_vFlowRun[0].Start(w.chara);
    EXPECT_EQ(Log(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(w.chara.m_vFlowRun[0].m_bRunning, 0);
    EXPECT_EQ(w.chara.m_vFlowRun[1].m_bRunning, 0);
  }
}

TEST_P(FlowRunTest, StartMarksTheOwnersGroupAndKeepsTheCurrentContext) {
  ScriptWorld w(k(), {Flow(TRIGGER_ALWAYS, {Cmd(CMD_WAIT, 1)}, 0, 3), Flow(TRIGGER_BEFORE_STAGE, {Cmd(CMD_STATUS, 0, 1)})});
  cStageChara& other = w.world.AddChara(w.chara.m_Data, 5, 2);
  cFlowRun outer;
  cCmdState outerCmd;
  g_lpPlayScene->m_pCurChara = &other;
  g_lpPlayScene->m_pCurRun = &outer;
  g_lpPlayScene->m_pCurCmd = &outerCmd;
  w.chara.m_vFlowRun[0].Start(w.chara);
  EXPECT_EQ(w.chara.m_vGroupRunning[3], 1);
  EXPECT_EQ(w.chara.m_vGroupStarted[3], 1);
  EXPECT_EQ(other.m_vGroupRunning[3], 0);
  w.chara.m_vFlowRun[1].Start(w.chara);
  EXPECT_EQ(g_lpPlayScene->m_pCurChara, &other);
  EXPECT_EQ(g_lpPlayScene->m_pCurRun, &outer);
  EXPECT_EQ(g_lpPlayScene->m_pCurCmd, &outerCmd);
}

TEST_P(FlowRunTest, ChainingMessageSetsTheChainFlag) {
  cFlowCmd chained = Cmd(CMD_MESSAGE, 0);
  cFlowCmd keyless = chained;
  keyless.m_vParam[6] = 1;
  cFlowCmd unchained = chained;
  unchained.m_vParam[15] = 1;
  EXPECT_TRUE(IsChainingMessage(chained));
  EXPECT_FALSE(IsChainingMessage(keyless));
  EXPECT_FALSE(IsChainingMessage(unchained));
  ScriptWorld w(k(), {Flow(TRIGGER_NONE, {chained, Cmd(CMD_WAIT, 0, 1), Cmd(CMD_WAIT, 1), Cmd(CMD_WAIT, 1)})});
  cFlowRun& run = w.chara.m_vFlowRun[0];
  run.Start(w.chara);
  w.chara.StepFlowRuns(0);
  EXPECT_EQ(run.m_bMessageChain, 1);
  // The zero-time command keeps the flag; the wait that starts next clears it.
  w.chara.StepFlowRuns(0);
  EXPECT_EQ(run.m_nCurrent, 2);
  EXPECT_EQ(run.m_bMessageChain, 0);
}

// Flows with waits and a loop: F = loop {2, 2} [A (1 tenth), Z (status, zero-time)], B (2
// tenths), restarted whenever idle (as the always-trigger would), and G, an always flow of
// group 2 of one tenth, started once. By hand, with p the position 1..24k in F's period after
// the sub-step: F's current command is 0 up to 6k - 1, 1 at 6k, 2 up to 12k - 1, 3 at 12k and 4
// from there; its tick count equals p, except at 24k where the run ends (count 24k - 1, not
// running). Z runs at p = 6k + 1 and 12k + 1. G ends at sub-step 6k and its group is free from
// the end of that turn.
TEST_P(FlowRunTest, CharacterFlowsFollowTheTraceWorkedOutByHand) {
  HandlerSwap status(CMD_STATUS, RecordTick);
  ScriptWorld w(k(), {Flow(TRIGGER_NONE, {Loop(2, 2), Cmd(CMD_WAIT, 1, 0, "A"), Cmd(CMD_STATUS, 0, 1, "Z"), Cmd(CMD_WAIT, 2, 0, "B")}),
                      Flow(TRIGGER_ALWAYS, {Cmd(CMD_WAIT, 1)}, 0, 2)});
  cFlowRun& f = w.chara.m_vFlowRun[0];
  cFlowRun& g = w.chara.m_vFlowRun[1];
  ASSERT_EQ(f.m_vCmdState.size(), 5u);
  g.Start(w.chara);
  const int period = 24 * k();
  const int steps = 300;
  std::vector<int> zAt;
  for (int s = 1; s <= steps; ++s) {
    if (!f.m_bRunning) f.Start(w.chara);
    const size_t before = Log().size();
    w.chara.StepFlowRuns(0);
    const int p = (s - 1) % period + 1;
    if (Log().size() > before) zAt.push_back(p);
    int current = 4;
    if (p < 6 * k())
      current = 0;
    else if (p == 6 * k())
      current = 1;
    else if (p < 12 * k())
      current = 2;
    else if (p == 12 * k())
      current = 3;
    EXPECT_EQ(f.m_nCurrent, current) << "sub-step " << s;
    EXPECT_EQ(f.m_nTicks, p == period ? period - 1 : p) << "sub-step " << s;
    EXPECT_EQ(f.m_bRunning, p == period ? 0 : 1) << "sub-step " << s;
    EXPECT_EQ(g.m_bRunning, s < 6 * k() ? 1 : 0) << "sub-step " << s;
    EXPECT_EQ(w.chara.m_vGroupRunning[2], s < 6 * k() ? 1 : 0) << "sub-step " << s;
  }
  ASSERT_GE(zAt.size(), 2u);
  for (size_t i = 0; i < zAt.size(); ++i) EXPECT_EQ(zAt[i], i % 2 ? 12 * k() + 1 : 6 * k() + 1) << i;
  EXPECT_EQ(zAt.size(), static_cast<size_t>(2 * (steps / period) + (steps % period > 12 * k() ? 2 : steps % period > 6 * k() ? 1 : 0)));
}

INSTANTIATE_TEST_SUITE_P(SubSteps, FlowRunTest, ::testing::Values(1, 3));

}  // namespace

namespace {

// The trace's flows stepped n sub-steps; the state of play afterwards.
std::string PlayedFlows(int k, int n) {
  ScriptWorld w(k, {Flow(TRIGGER_NONE, {Loop(2, 2), Cmd(CMD_WAIT, 1), Cmd(CMD_STATUS, 0, 1), Cmd(CMD_WAIT, 2)}),
                    Flow(TRIGGER_ALWAYS, {Cmd(CMD_WAIT, 1)}, 0, 2)});
  w.chara.m_vFlowRun[1].Start(w.chara);
  for (int s = 0; s < n; ++s) {
    if (!w.chara.m_vFlowRun[0].m_bRunning) w.chara.m_vFlowRun[0].Start(w.chara);
    w.chara.StepFlowRuns(0);
  }
  return playkit::DescribePlay();
}

TEST(FlowRunDigest, SameFlowsSameStates) {
  const std::string a = PlayedFlows(3, 200);
  EXPECT_EQ(a, PlayedFlows(3, 200));
  EXPECT_NE(a, PlayedFlows(3, 199));
  // At 200 = 2 × 72 + 56: the first flow is on its last command (B, 2 tenths = 36 sub-steps,
  // started at 37: 20 ticked, 16 left), the second ended long ago.
  EXPECT_NE(a.find("run 0/0 running=1 paused=0 forever=0 delete=0 current=4 ticks=56 left=0d 0d 0d 0d 16 "), std::string::npos)
      << a;
  EXPECT_NE(a.find("run 1/1 running=0"), std::string::npos) << a;
}

}  // namespace

namespace {

void KillActor(cChara& chara, cCmdState& state) {
  RecordTick(chara, state);
  chara.m_nHp = 0;
}

TEST(FlowTurn, HitPointsAtZeroEndTheTurnAndTheDyingPassStepsOnlyDeathFlows) {
  HandlerSwap wait(CMD_WAIT, RecordTick);
  HandlerSwap status(CMD_STATUS, KillActor);
  ScriptWorld w(1, {Flow(TRIGGER_NONE, {Cmd(CMD_STATUS, 1, 0, "kill")}), Flow(TRIGGER_DEATH, {Cmd(CMD_WAIT, 1, 0, "death")}),
                    Flow(TRIGGER_NONE, {Cmd(CMD_WAIT, 1, 0, "after")})});
  w.chara.m_nHp = 5;
  for (cFlowRun& r : w.chara.m_vFlowRun) r.Start(w.chara);
  // The first run kills: the turn ends after it.
  w.chara.StepFlowRuns(0);
  EXPECT_EQ(Log(), (std::vector<std::string>{"kill"}));
  Log().clear();
  w.chara.StepFlowRuns(1);
  EXPECT_EQ(Log(), (std::vector<std::string>{"death"}));
  // A running flow without commands is stopped and not stepped.
  w.chara.m_Data.m_vFlow[2].m_vCmd.clear();
  w.chara.m_vFlowRun[2].m_vCmdState.clear();
  w.chara.m_vFlowRun[0].Stop(w.chara);
  w.chara.m_nHp = 5;
  w.chara.StepFlowRuns(0);
  EXPECT_EQ(w.chara.m_vFlowRun[2].m_bRunning, 0);
}

}  // namespace
