#include "script/flow_edit.h"

#include <utility>

#include "defs/flow.h"
#include "engine/chara.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "script/flow_run.h"

void cChara::RelinkFlowRuns() {
  cSafeVector<cFlow>& flows = m_Data.m_vFlow;
  for (size_t i = 0; i < m_vFlowRun.size(); ++i) {
    cFlowRun& run = m_vFlowRun[i];
    cFlow& flow = flows.CheckedAt(static_cast<int>(i));
    run.m_nIndex = static_cast<int32_t>(i);
    run.m_pFlow = &flow;
    for (size_t j = 0; j < run.m_vKeyList.size(); ++j)
      run.m_vKeyList[j] = &flow.m_vKeyList.CheckedAt(static_cast<int>(j));
    for (size_t j = 0; j < run.m_vCmdState.size(); ++j)
      run.m_vCmdState[j].m_pCmd = &flow.m_vCmd.CheckedAt(static_cast<int>(j));
  }
}

void cChara::RemoveFlowAnims(int runId) {
  m_lAnime.remove_if([runId](const cRunningAnime& a) { return a.nFlowId == runId; });
}

void cChara::RemoveFlowAt(int index) {
  cFlowRun& run = m_vFlowRun.CheckedAt(index);
  run.Stop(*this);
  RemoveFlowAnims(run.m_nRunId);
  const int at = run.m_nIndex;
  if (at >= 0 && at < static_cast<int>(m_Data.m_vFlow.size())) m_Data.m_vFlow.erase(m_Data.m_vFlow.begin() + at);
  if (at >= 0 && at < static_cast<int>(m_vFlowRun.size())) m_vFlowRun.erase(m_vFlowRun.begin() + at);
  RelinkFlowRuns();
}

int cChara::RemoveFlowsById(int id) {
  if (id == 0) {
    for (cFlowRun& run : m_vFlowRun) run.Stop(*this);
    m_vFlowRun.clear();
    m_Data.m_vFlow.clear();
    m_lAnime.clear();
    return 0;
  }
  int first = -1;
  for (size_t i = 0; i < m_vFlowRun.size();) {
    cFlowRun& run = m_vFlowRun[i];
    if (!run.m_pFlow || run.m_pFlow->m_byId != id) {
      ++i;
      continue;
    }
    if (first < 0) first = static_cast<int>(i);
    RemoveFlowAt(static_cast<int>(i));
  }
  return first;
}

void cChara::CopyFlowRuns(const cChara& other) {
  m_vFlowRun = other.m_vFlowRun;
  RelinkFlowRuns();
}

void cChara::CopyFlowState(const cChara& o) {
  m_nNextRunId = o.m_nNextRunId;
  m_sClone = o.m_sClone;
  m_vDeferredFlowCmd = o.m_vDeferredFlowCmd;
  CopyFlowRuns(o);
}

void CmdChangeFlow(cChara& chara, const cFlowCmd& cmd, int bNow) {
  const bool isHero = !g_vPlayer.empty() && &chara == &g_vPlayer[0];
  if (!bNow && isHero && g_lpPlayScene && g_lpPlayScene->m_pCurChara == &chara) {
    chara.m_vDeferredFlowCmd.push_back(cmd);
    return;
  }
  int pos = -1;
  switch (cmd.Param(0)) {
    case 0:
      break;
    case 1:
      pos = chara.RemoveFlowsById(cmd.Param(1));
      break;
    case 2:
      chara.RemoveFlowsById(cmd.Param(1));
      return;
    default:
      return;
  }
  // The nested flows are the command's own: their loops stay expanded after the first build.
  cSafeVector<cFlow> added = cmd.m_vFlow;
  chara.BuildFlows(added, 1, pos);
}

void cChara::StepFlowRuns(int bDying) {
  RunActFlows(bDying);
  EndFlowTurn();
}
