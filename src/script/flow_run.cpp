#include "script/flow_run.h"

#include "core/log.h"
#include "defs/flow.h"
#include "engine/chara.h"
#include "engine/play_scene.h"

bool IsChainingMessage(const cFlowCmd& cmd) {
  return cmd.FlowKind() == CMD_MESSAGE && cmd.Param(6) == 0 && cmd.Param(15) == 0;
}

void cCmdState::Reset() {
  m_nRemaining = m_nDuration;
  m_bDone = 0;
  m_nCounter = 0;
  m_bStarted = 0;
  m_dPhaseX = 0;
  m_dPhaseY = 0;
  if (!g_lpPlayScene || !m_pCmd || m_pCmd->FlowKind() == CMD_ARRANGE) return;
  cFlowRun* run = g_lpPlayScene->m_pCurRun;
  if (!run) return;
  ApplyFlowArranges(g_lpPlayScene->m_pCurChara, run, *this);
  run->m_lArrange.clear();
}

int cCmdState::Tick() {
  if (g_lpPlayScene) {
    g_lpPlayScene->m_pCurCmd = this;
    if (g_lpPlayScene->m_pCurChara) g_lpPlayScene->m_pCurChara->ExecCommand(*this);
  }
  if (--m_nRemaining > 0) return 0;
  m_nRemaining = 0;
  return 1;
}

void cFlowRun::ClearRemaining() {
  for (cCmdState& s : m_vCmdState) s.m_nRemaining = 0;
}

void cFlowRun::FlagGroupStopped(cChara& owner) const {
  if (!m_pFlow || m_pFlow->m_byGroup == 0) return;
  owner.m_vGroupStopped.CheckedAt(m_pFlow->m_byGroup) = 1;
  owner.m_bAnyGroupStopped = 1;
}

void cFlowRun::Start(cChara& owner) {
  if (m_bStarting) {
    ReportLog("Flow %d started again while its start runs: not started", m_nRunId);
    return;
  }
  m_bRunning = 1;
  m_nCurrent = 0;
  m_nTicks = 0;
  m_bMessageChain = 0;
  for (cCmdState& s : m_vCmdState) s.m_bDone = 0;
  m_bStartedThisFrame = 1;
  if (!m_pFlow) return;
  if (m_pFlow->m_byTrigger == TRIGGER_ALWAYS && m_pFlow->m_byGroup != 0) {
    owner.m_vGroupRunning.CheckedAt(m_pFlow->m_byGroup) = 1;
    owner.m_vGroupStarted.CheckedAt(m_pFlow->m_byGroup) = 1;
  }
  if (m_vCmdState.empty() || m_pFlow->m_byTrigger != TRIGGER_BEFORE_STAGE) return;

  // Before the stage: the zero-time commands of kind 16 and up run at once, with the owner as
  // the subject; the context of whatever started this run is put back afterwards.
  m_bStarting = 1;
  cChara* savedChara = nullptr;
  cFlowRun* savedRun = nullptr;
  cCmdState* savedCmd = nullptr;
  if (g_lpPlayScene) {
    savedChara = g_lpPlayScene->m_pCurChara;
    savedRun = g_lpPlayScene->m_pCurRun;
    savedCmd = g_lpPlayScene->m_pCurCmd;
    g_lpPlayScene->m_pCurChara = &owner;
    g_lpPlayScene->m_pCurRun = this;
  }
  m_bAbort = 0;
  for (size_t i = 0; i < m_vCmdState.size(); ++i) {
    cCmdState& s = m_vCmdState[i];
    if (!s.m_pCmd || s.m_pCmd->FlowKind() < CMD_FLOW_OPERATION || !s.m_pCmd->m_bZeroTime) continue;
    s.Reset();
    if (!s.Tick()) DebugErrorBoxF("使用時間0なので、ここにくることはあり得ないはず！");
    if (m_bAbort) break;
    s.m_bDone = 1;
  }
  Stop(owner);
  if (g_lpPlayScene) {
    g_lpPlayScene->m_pCurChara = savedChara;
    g_lpPlayScene->m_pCurRun = savedRun;
    g_lpPlayScene->m_pCurCmd = savedCmd;
  }
  m_bStarting = 0;
}

int cFlowRun::Step() {
  if (g_lpPlayScene) g_lpPlayScene->m_pCurRun = this;
  m_bAbort = 0;
  if (m_vCmdState.empty()) return 1;
  for (int i = 0; m_nCurrent >= 0 && i <= m_nCurrent; ++i) {
    const int last = static_cast<int>(m_vCmdState.size()) - 1;
    if (i > last) continue;
    cCmdState& s = m_vCmdState[static_cast<size_t>(i)];
    if (s.m_bDone) continue;
    const cFlowCmd* cmd = s.m_pCmd;
    const bool zeroTime = cmd && cmd->m_bZeroTime == 1;
    const bool chaining = cmd && IsChainingMessage(*cmd);
    if (s.m_nRemaining == 0) {
      s.Reset();
      if (!zeroTime && !chaining) m_bMessageChain = 0;
    }
    const int finished = s.Tick();
    // A command that restarted or stopped its own flow has already set the run's state: the
    // step ends before it is marked done or the current command moves.
    if (m_bAbort) return 0;
    if (zeroTime) {
      if (finished) {
        s.m_bDone = 1;
        if (i == last) return 1;
      }
      if (i == m_nCurrent) ++m_nCurrent;
      continue;
    }
    if (!finished) continue;
    s.m_bDone = 1;
    if (chaining) m_bMessageChain = 1;
    if (i == last) return 1;
    ++m_nCurrent;
    break;
  }
  if (m_vCmdState.back().m_bDone) return 1;
  ++m_nTicks;
  return 0;
}

void cFlowRun::Stop(cChara& owner) {
  if (!m_bRunning) return;
  m_bRunning = 0;
  m_lArrange.clear();
  ClearRemaining();
  FlagGroupStopped(owner);
}

void cFlowRun::StopForever(cChara& owner) {
  m_bStopForever = 1;
  if (!m_bRunning) return;
  ClearRemaining();
  FlagGroupStopped(owner);
}
