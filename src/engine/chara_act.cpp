#include "engine/chara.h"
#include "engine/flow_seam.h"
#include "engine/play_scene.h"

int cChara::RunActFlows(int bDying) {
  int r = g_lpfnRunFlows ? g_lpfnRunFlows(*this, bDying) : 0;
  return r != 0 ? 1 : 0;
}

void cChara::EndAct() {
  if (m_bAnyDelete) {
    if (g_lpfnRemoveDeletedFlows) g_lpfnRemoveDeletedFlows(*this);
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
  if (!m_bMovedByCmd && m_dAX == 0 && m_dAY == 0) m_Anime.Change(m_bFree ? 2 : 0, 1);
}
