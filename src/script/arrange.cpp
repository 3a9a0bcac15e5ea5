#include "script/arrange.h"

#include <climits>

#include "defs/cmd_kind.h"
#include "defs/flow_cmd.h"
#include "engine/chara.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "project/save_data.h"
#include "script/cmd_param_def.h"
#include "script/flow_run.h"
#include "script/status_op.h"

namespace {

// Kinds whose arrangeable values are elements of the command's parameter list: for each
// parameter index, the element it reaches (-1 ends the row).
struct cParamMap {
  int kind;
  int element[7];
};
const cParamMap kParamMap[] = {
    {17, {1, 6, 7, 3, 4, -1}},   {19, {13, 1, 2, 3, 4, -1}},     {21, {2, 10, 13, -1}},
    {22, {8, 9, -1}},            {24, {1, -1}},                  {26, {1, 2, -1}},
    {29, {2, 3, 4, 5, 6, -1}},   {32, {13, 2, 3, 4, 5, 7, -1}},  {33, {0, 1, 2, 3, -1}},
    {34, {0, -1}},
};

int ElementOf(int kind, int index) {
  if (index < 0 || index >= 7) return -1;
  for (const cParamMap& m : kParamMap) {
    if (m.kind != kind) continue;
    for (int i = 0; i <= index; ++i)
      if (m.element[i] < 0) return -1;
    return m.element[index];
  }
  return -1;
}

}  // namespace

int ArrangeGetParam(int kind, int index, const cFlowCmd& cmd, int& value) {
  int e = ElementOf(kind, index);
  if (e < 0 || static_cast<size_t>(e) >= cmd.m_vParam.size()) return 0;
  value = cmd.m_vParam[static_cast<size_t>(e)];
  return 1;
}

void ArrangeSetParam(int kind, int index, cFlowCmd& cmd, int value) {
  int e = ElementOf(kind, index);
  if (e < 0 || static_cast<size_t>(e) >= cmd.m_vParam.size()) return;
  cmd.m_vParam[static_cast<size_t>(e)] = value;
}

int CmdArrange(cChara& chara, cFlowCmd& cmd) {
  if (cmd.m_bySelector != 0) {
    if (!g_vPlayer.empty()) g_vPlayer[0].m_lPlayerArrange.push_back(cmd);
    return 0;
  }
  (void)chara;
  if (g_lpPlayScene && g_lpPlayScene->m_pCurRun) g_lpPlayScene->m_pCurRun->m_lArrange.push_back(cmd);
  return 0;
}

void ApplyArrangeEntry(cFlowCmd& cmd, const cFlowCmd& entry, cChara& chara) {
  int kind = cmd.FlowKind();
  if (entry.Param(0) != kind) return;
  int index = entry.Param(1);
  int cur = 0;
  // Kinds without arrangeable fields reached here (the movement and shot records included)
  // change nothing.
  if (!ArrangeGetParam(kind, index, cmd, cur)) return;
  int d = 0;
  int n = entry.Param(4);
  switch (entry.Param(3)) {
    case 0:
      if (n < 1 || static_cast<size_t>(n) >= g_SaveData.m_vCommonVar.size()) return;
      d = g_SaveData.m_vCommonVar[static_cast<size_t>(n)];
      break;
    case 1:
      if (!g_lpPlayScene || n < 1 || static_cast<size_t>(n) >= g_lpPlayScene->m_vStageVar.size()) return;
      d = g_lpPlayScene->m_vStageVar[static_cast<size_t>(n)];
      break;
    case 2:
      if (n < 0 || static_cast<size_t>(n) >= chara.m_vVar.size()) return;
      d = chara.m_vVar[static_cast<size_t>(n)];
      break;
    default: d = n; break;
  }
  const cCmdParamDef& def = g_vCmdParamDef.CheckedAt(kind).CheckedAt(index);
  ApplyStatusOp(cur, d, entry.Param(2), def.m_nMin, def.m_nMax);
  ArrangeSetParam(kind, index, cmd, cur);
}

void ApplyFlowArranges(cChara* lpChara, cFlowRun* lpRun, cCmdState& state) {
  if (!lpChara || !lpRun || !state.m_pCmd) return;
  for (const cFlowCmd& e : lpRun->m_lArrange) ApplyArrangeEntry(*state.m_pCmd, e, *lpChara);
}

void ApplyPlayerArranges(cChara& hero, cFlowCmd& cmd) {
  for (const cFlowCmd& e : hero.m_lPlayerArrange) ApplyArrangeEntry(cmd, e, hero);
  hero.m_lPlayerArrange.clear();
}
