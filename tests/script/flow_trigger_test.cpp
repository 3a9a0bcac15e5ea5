// Events fired on a character start its flows: trigger and ID filters, the once-per-frame test
// and its two switches, one always-running flow per group, the partner in its target slot, and
// the runs that may not start.
#include "script/flow_trigger.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "fixture/fixture.h"
#include "project/global_data.h"
#include "project/system_data.h"
#include "script_kit.h"

using namespace scriptkit;

namespace {

// A flow of one wait command, optionally requiring right held (any length).
cFlow WaitFlow(int trigger, int id = 0, int group = 0, bool needsRight = false) {
  cFlow f = Flow(trigger, {Cmd(CMD_WAIT, 5)}, id, group);
  if (needsRight) {
    cKeyList e;
    e.m_vKeyState.CheckedAt(KEYPOS_DIR_RIGHT) = KEYSTATE_HELD;
    e.m_bAnyLength = 1;
    f.m_vKeyList.push_back(e);
  }
  return f;
}

// The stage character with its flows built, events reaching the real triggers, and player 1's
// record empty.
class FlowTrigger : public ::testing::Test {
 protected:
  void Make(const std::vector<cFlow>& flows) {
    // One stage in play at a time: the last one ends first.
    w_.reset();
    w_ = std::make_unique<ScriptWorld>(1, flows);
    g_lpfnFireEventEx = nullptr;
    g_vInput.CheckedAt(0).ResetLogs();
    NextFrame();
  }
  cStageChara& C() { return w_->chara; }
  cFlowRun& Run(int i) { return C().m_vFlowRun.CheckedAt(i); }
  void Press(WORD dir) {
    g_vInput.CheckedAt(0).SetWords(dir, 0);
    g_vInput.CheckedAt(0).LogChanges();
  }
  void NextFrame() { ClearFlowFrameFlags(C()); }
  std::unique_ptr<ScriptWorld> w_;
};

TEST_F(FlowTrigger, OnlyFlowsOfTheTriggerAndTheIdStart) {
  Make({WaitFlow(TRIGGER_ATTACK_HIT, 1), WaitFlow(TRIGGER_ATTACK_HIT, 2), WaitFlow(TRIGGER_DAMAGE, 2)});
  C().FireEventEx(TRIGGER_ATTACK_HIT, nullptr, 2);
  EXPECT_EQ(Run(0).m_bRunning, 0);
  EXPECT_EQ(Run(1).m_bRunning, 1);
  EXPECT_EQ(Run(2).m_bRunning, 0);
  NextFrame();
  C().FireEventEx(TRIGGER_ATTACK_HIT, nullptr, 0);
  EXPECT_EQ(Run(0).m_bRunning, 1);
  // The context of the firing is cleared.
  EXPECT_EQ(g_lpPlayScene->m_pCurChara, nullptr);
  EXPECT_EQ(g_lpPlayScene->m_pCurRun, nullptr);
}

TEST_F(FlowTrigger, AFlowIsTestedOncePerFrameUnlessTheLimitIsOff) {
  for (int noLimit = 0; noLimit <= 1; ++noLimit) {
    Make({WaitFlow(TRIGGER_DAMAGE, 0, 0, true)});
    g_SystemData.m_bLegacy525 = noLimit;
    C().FireEvent(TRIGGER_DAMAGE);  // no key: the test fails
    Press(INPUT_RIGHT);
    C().FireEvent(TRIGGER_DAMAGE);
    EXPECT_EQ(Run(0).m_bRunning, noLimit) << "no limit " << noLimit;
    if (!noLimit) {
      NextFrame();
      C().FireEvent(TRIGGER_DAMAGE);
      EXPECT_EQ(Run(0).m_bRunning, 1);
    }
  }
}

TEST_F(FlowTrigger, TheEarlySwitchCountsATestWhileTheFlowRuns) {
  // Running at the first firing, idle at the second in the same frame: only the early flag
  // counts the skipped firing as the frame's test.
  for (int early = 0; early <= 1; ++early) {
    Make({WaitFlow(TRIGGER_DAMAGE)});
    g_SystemData.m_bLegacy744 = early;
    Run(0).m_bRunning = 1;
    C().FireEvent(TRIGGER_DAMAGE);
    Run(0).m_bRunning = 0;
    C().FireEvent(TRIGGER_DAMAGE);
    EXPECT_EQ(Run(0).m_bRunning, early ? 0 : 1) << "early " << early;
  }
}

TEST_F(FlowTrigger, OneAlwaysFlowOfAGroupAtATimeAndOneStartPerFrame) {
  Make({WaitFlow(TRIGGER_ALWAYS, 0, 1), WaitFlow(TRIGGER_ALWAYS, 0, 1), WaitFlow(TRIGGER_ALWAYS, 0, 2)});
  C().FireEvent(TRIGGER_ALWAYS);
  EXPECT_EQ(Run(0).m_bRunning, 1);
  EXPECT_EQ(Run(1).m_bRunning, 0);
  EXPECT_EQ(Run(2).m_bRunning, 1);
  // The first stops and its group is released at the end of the turn: still no second start in
  // this frame.
  Run(0).StopForever(C());
  C().EndFlowTurn();
  C().FireEvent(TRIGGER_ALWAYS);
  EXPECT_EQ(Run(1).m_bRunning, 0);
  NextFrame();
  C().FireEvent(TRIGGER_ALWAYS);
  EXPECT_EQ(Run(1).m_bRunning, 1);
}

TEST_F(FlowTrigger, RunsThatMayNotStart) {
  struct Case {
    const char* name;
    void (*mark)(cFlowRun& run);
  };
  const Case cases[] = {
      {"paused", [](cFlowRun& r) { r.m_bPaused = 1; }},
      {"stopped forever", [](cFlowRun& r) { r.m_bStopForever = 1; }},
      {"marked for deletion", [](cFlowRun& r) { r.m_bDelete = 1; }},
      {"started this frame", [](cFlowRun& r) { r.m_bStartedThisFrame = 1; }},
  };
  for (const Case& c : cases) {
    Make({WaitFlow(TRIGGER_DAMAGE)});
    c.mark(Run(0));
    C().FireEvent(TRIGGER_DAMAGE);
    EXPECT_EQ(Run(0).m_bRunning, 0) << c.name;
  }
}

TEST_F(FlowTrigger, ThePartnerStaysInItsSlotOnlyWhenTheFlowStarts) {
  cFlow f = WaitFlow(TRIGGER_CHARA, 0, 0, true);
  f.m_bPartner = 1;
  f.m_byPartnerSlot = 2;
  Make({f});
  cStageChara& partner = w_->world.AddChara(fixture::Chara(1), 5, 2);
  cStageChara& before = w_->world.AddChara(fixture::Chara(1), 7, 2);
  C().SetTarget(2, &before);
  C().FireEventEx(TRIGGER_CHARA, &partner, 0);
  EXPECT_EQ(Run(0).m_bRunning, 0);
  EXPECT_EQ(C().Target(2), &before);
  NextFrame();
  Press(INPUT_DOWN | INPUT_RIGHT);
  Press(INPUT_RIGHT);
  C().FireEventEx(TRIGGER_CHARA, &partner, 0);
  EXPECT_EQ(Run(0).m_bRunning, 1);
  EXPECT_EQ(C().Target(2), &partner);
  // The direction held at the start: right.
  EXPECT_EQ(Run(0).m_nStartDir, KEYPOS_DIR_RIGHT);
}

}  // namespace
