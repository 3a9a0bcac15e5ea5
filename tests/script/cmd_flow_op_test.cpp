// "フローの操作": each operation on the own flow, on the other flows and on the flows of an ID of
// a target; the delete of another character's flows at once; the empty target slot and the
// condition gate.
#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include "defs/cond.h"
#include "engine/play_scene.h"
#include "fixture/fixture.h"
#include "script/cmd_flow_op.h"
#include "script/flow_run.h"
#include "script_kit.h"

namespace {

using scriptkit::Cmd;
using scriptkit::Flow;

cFlowCmd Op(int op, int scope, int id = 0, int owner = 0) {
  cFlowCmd cmd = Cmd(CMD_FLOW_OPERATION, 1);
  cmd.m_vParam.assign(4, 0);
  cmd.m_vParam[0] = op;
  cmd.m_vParam[1] = scope;
  cmd.m_vParam[2] = id;
  cmd.m_vParam[3] = owner;
  return cmd;
}

// Three flows (IDs 1, 2, 2), the first one running at its second command.
struct FlowOpWorld {
  FlowOpWorld()
      : w(1, {Flow(TRIGGER_NONE, {Cmd(CMD_WAIT, 5), Cmd(CMD_WAIT, 5)}, 1), Flow(TRIGGER_NONE, {Cmd(CMD_WAIT, 5)}, 2),
              Flow(TRIGGER_NONE, {Cmd(CMD_WAIT, 5)}, 2)}) {
    cFlowRun& run = w.chara.m_vFlowRun[0];
    run.Start(w.chara);
    run.m_nCurrent = 1;
    w.world.scene.m_pCurRun = &run;
  }
  int Run(cFlowCmd cmd) { return CmdFlowOperation(w.chara, cmd); }
  cFlowRun& R(size_t i) { return w.chara.m_vFlowRun[i]; }
  scriptkit::ScriptWorld w;
};

TEST(FlowOperation, OnTheOwnFlow) {
  struct Case {
    int op;
    int running, paused, forever, deleted, abort;
  };
  const Case cases[] = {
      {0, 1, 0, 0, 0, 1},  // start: from the first command again
      {1, 0, 0, 0, 0, 1},  // end
      {2, 1, 1, 0, 0, 1},  // pause
      {3, 1, 0, 0, 0, 0},  // resume: the step goes on
      {4, 1, 0, 0, 1, 1},  // delete: at the end of the sub-step
      {5, 1, 0, 1, 0, 1},  // stop for good
      {6, 1, 0, 0, 0, 0},  // unknown: nothing
  };
  for (const Case& c : cases) {
    FlowOpWorld f;
    f.R(0).m_bPaused = c.op == 3 ? 1 : 0;
    f.Run(Op(c.op, 0));
    cFlowRun& r = f.R(0);
    EXPECT_EQ(r.m_bRunning, c.running) << c.op;
    EXPECT_EQ(r.m_bPaused, c.paused) << c.op;
    EXPECT_EQ(r.m_bStopForever, c.forever) << c.op;
    EXPECT_EQ(r.m_bDelete, c.deleted) << c.op;
    EXPECT_EQ(f.w.chara.m_bAnyDelete, c.deleted) << c.op;
    EXPECT_EQ(r.m_bAbort, c.abort) << c.op;
    EXPECT_EQ(r.m_nCurrent, c.op == 0 ? 0 : 1) << c.op;
    // The others are untouched.
    EXPECT_EQ(f.R(1).m_bRunning + f.R(1).m_bPaused + f.R(1).m_bDelete, 0) << c.op;
  }
}

TEST(FlowOperation, StartOnAllOthersStartsTheIdleFlows) {
  FlowOpWorld f;
  f.Run(Op(0, 1));
  EXPECT_EQ(f.R(1).m_bRunning, 1);
  EXPECT_EQ(f.R(2).m_bRunning, 1);
  EXPECT_EQ(f.R(0).m_nCurrent, 1);
  EXPECT_EQ(f.R(0).m_bAbort, 0);
}

TEST(FlowOperation, FlowsOfAnIdIncludeTheOwnAndSkipIdZero) {
  {
    FlowOpWorld f;
    f.Run(Op(2, 2, 2));
    EXPECT_EQ(f.R(0).m_bPaused, 0);
    EXPECT_EQ(f.R(1).m_bPaused, 1);
    EXPECT_EQ(f.R(2).m_bPaused, 1);
    f.Run(Op(2, 2, 1));
    EXPECT_EQ(f.R(0).m_bPaused, 1);
  }
  FlowOpWorld g;
  g.R(1).m_pFlow->m_byId = 0;
  g.Run(Op(2, 2, 0));
  EXPECT_EQ(g.R(1).m_bPaused, 0);
}

TEST(FlowOperation, DeleteOfATargetsFlowsRemovesThemAtOnce) {
  FlowOpWorld f;
  cStageChara& other = f.w.world.AddChara(fixture::Chara(1), 9, 3);
  other.m_Data.m_vFlow = f.w.chara.m_Data.m_vFlow;
  other.BuildFlows(other.m_Data.m_vFlow, 0, 0);
  ASSERT_EQ(other.m_vFlowRun.size(), 3u);
  // An empty slot: nothing.
  f.Run(Op(4, 2, 2, 1));
  EXPECT_EQ(other.m_vFlowRun.size(), 3u);
  f.w.chara.SetTarget(0, &other);
  f.Run(Op(4, 2, 2, 1));
  // Both adjacent flows of ID 2 went; the acting character's stay.
  ASSERT_EQ(other.m_vFlowRun.size(), 1u);
  EXPECT_EQ(other.m_vFlowRun[0].m_pFlow->m_byId, 1);
  EXPECT_EQ(f.w.chara.m_vFlowRun.size(), 3u);
  EXPECT_EQ(f.w.chara.m_bAnyDelete, 0);
}

TEST(FlowOperation, ConditionGate) {
  FlowOpWorld f;
  cFlowCmd cmd = Op(1, 0);
  cmd.m_pCondList = boost::make_shared<cCondList>();
  cmd.m_pCondList->m_byRule = 1;  // at least one of none: fails
  f.Run(cmd);
  EXPECT_EQ(f.R(0).m_bRunning, 1);
  cmd.m_pCondList->m_byRule = 0;  // all of none: holds
  f.Run(cmd);
  EXPECT_EQ(f.R(0).m_bRunning, 0);
}

}  // namespace
