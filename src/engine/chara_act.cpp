#include "engine/chara.h"
#include "engine/play_scene.h"
#include "script/flow_edit.h"
#include "script/flow_run.h"

namespace {

void ClearCurrentContext() {
  if (!g_lpPlayScene) return;
  g_lpPlayScene->m_pCurChara = nullptr;
  g_lpPlayScene->m_pCurRun = nullptr;
  g_lpPlayScene->m_pCurCmd = nullptr;
}

}  // namespace

int cChara::RunActFlows(int bDying) {
  if (g_lpPlayScene) g_lpPlayScene->m_pCurChara = this;
  // Indexes, not iterators: a command may add or remove runs of this character.
  for (size_t i = 0; i < m_vFlowRun.size(); ++i) {
    cFlowRun& run = m_vFlowRun[i];
    if (!run.m_bRunning) continue;
    if (!run.m_pFlow || run.m_pFlow->m_vCmd.empty()) {
      run.Stop(*this);
      continue;
    }
    if (run.m_bPaused || run.m_bStopForever) continue;
    const bool deathFlow = run.m_pFlow->m_byTrigger == TRIGGER_DEATH;
    if (bDying && !deathFlow) continue;
    if (run.Step() == 1) run.Stop(*this);
    // A command made the character vanish (its remove-now flag), or its hit points ran out
    // outside the death flows: the act ends here and the frame takes it out of play. The
    // current pointers are cleared all the same, since nothing else of this act runs.
    if (m_bRemoveNow || (!bDying && !deathFlow && m_nHp <= 0)) {
      ClearCurrentContext();
      return 1;
    }
  }
  ClearCurrentContext();
  return 0;
}

void cChara::EndFlowTurn() {
  if (!m_vDeferredFlowCmd.empty()) {
    cSafeVector<cFlowCmd> deferred;
    deferred.swap(m_vDeferredFlowCmd);
    for (const cFlowCmd& cmd : deferred) CmdChangeFlow(*this, cmd, 1);
  }
  if (m_bAnyDelete) {
    for (size_t i = 0; i < m_vFlowRun.size();) {
      if (m_vFlowRun[i].m_bDelete)
        RemoveFlowAt(static_cast<int>(i));
      else
        ++i;
    }
    m_bAnyDelete = 0;
  }
  if (m_bAnyGroupStopped) {
    for (int g = 0; g < FLOW_GROUPS; ++g) {
      if (m_vGroupStopped[g]) {
        m_vGroupRunning[g] = 0;
        m_vGroupStopped[g] = 0;
      }
    }
    m_bAnyGroupStopped = 0;
  }
}

void cChara::EndAct() {
  EndFlowTurn();
  if (!m_bMovedByCmd && m_dAX == 0 && m_dAY == 0) m_Anime.Change(m_bFree ? 2 : 0, 1);
}
