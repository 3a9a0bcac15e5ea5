#include "script/flow_trigger.h"

#include "engine/chara.h"
#include "engine/play_scene.h"
#include "project/global_data.h"
#include "project/system_data.h"
#include "script/key_cond.h"

void ClearFlowFrameFlags(cChara& chara) {
  for (cFlowRun& run : chara.m_vFlowRun) {
    run.m_bTestedThisFrame = 0;
    run.m_bStartedThisFrame = 0;
  }
  chara.m_vGroupStarted.assign(FLOW_GROUPS, 0);
}

namespace {

// The start conditions and the key conditions; the partner, when the flow takes one, stands in
// its target slot during the test and stays there only when both hold.
bool PassesStartTests(cChara& chara, cFlowRun& run, cChara* lpPartner) {
  const cFlow& flow = *run.m_pFlow;
  if (flow.m_bPartner && lpPartner) {
    const int slot = flow.m_byPartnerSlot;
    cChara* saved = chara.Target(slot);
    chara.SetTarget(slot, lpPartner);
    if (g_lpPlayScene->CheckFlowConds(run, chara) && CheckKeyConds(chara, run)) return true;
    chara.SetTarget(slot, saved);
    return false;
  }
  return g_lpPlayScene->CheckFlowConds(run, chara) && CheckKeyConds(chara, run);
}

}  // namespace

void FireFlowEvent(cChara& chara, int trigger, cObject* lpPartner, int idFilter) {
  if (!g_lpPlayScene) return;
  cPlayScene& scene = *g_lpPlayScene;
  // Only characters fill target slots; any other partner counts as none.
  cChara* partner = dynamic_cast<cChara*>(lpPartner);
  const int noLimit = g_SystemData.m_bLegacy525;
  const int earlyTest = g_SystemData.m_bLegacy744;
  scene.m_pCurChara = &chara;
  // Indexes, not iterators: a flow started here may add or remove runs of the character.
  for (size_t i = 0; i < chara.m_vFlowRun.size(); ++i) {
    cFlowRun& run = chara.m_vFlowRun[i];
    if (!run.m_pFlow) continue;
    const cFlow& flow = *run.m_pFlow;
    if (flow.m_byTrigger != trigger) continue;
    if (earlyTest && !noLimit) {
      if (run.m_bTestedThisFrame) continue;
      run.m_bTestedThisFrame = 1;
    }
    // A run marked for deletion is on its way out and never starts again.
    if (run.m_bRunning || run.m_bPaused || run.m_bStopForever || run.m_bStartedThisFrame || run.m_bDelete) continue;
    if (trigger == TRIGGER_ALWAYS && flow.m_byGroup != 0 &&
        (chara.m_vGroupRunning.CheckedAt(flow.m_byGroup) || chara.m_vGroupStarted.CheckedAt(flow.m_byGroup))) {
      continue;
    }
    if (idFilter >= 1 && idFilter != flow.m_byId) continue;
    if (!earlyTest && !noLimit) {
      if (run.m_bTestedThisFrame) continue;
      run.m_bTestedThisFrame = 1;
    }
    if (!PassesStartTests(chara, run, partner)) continue;
    // Player 1's record is the only one; a hero's own player is player 1 as well.
    run.m_nStartDir = GetHeldDirection(g_vInput.CheckedAt(0));
    run.Start(chara);
  }
  scene.m_pCurChara = nullptr;
  scene.m_pCurRun = nullptr;
  scene.m_pCurCmd = nullptr;
}
