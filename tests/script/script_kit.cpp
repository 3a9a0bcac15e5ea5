#include "script_kit.h"

#include "fixture/fixture.h"

namespace scriptkit {

cFlowCmd Cmd(int kind, int time, int zeroTime, const std::string& tag) {
  cFlowCmd c;
  c.m_bySelector = 0;
  c.m_byKind = static_cast<int8_t>(kind);
  if (const cCmdKindInfo* info = GetCmdKindInfo(0, kind)) c.m_vParam.assign(static_cast<size_t>(info->m_nParamCount), 0);
  c.m_sTime = static_cast<int16_t>(time);
  c.m_bZeroTime = static_cast<uint8_t>(zeroTime);
  c.m_strText = tag;
  return c;
}

cFlowCmd CmdWith(int kind, std::initializer_list<int32_t> params) {
  cFlowCmd c = Cmd(kind, 0);
  c.m_vParam = params;
  return c;
}

cFlowCmd ListCmd(int kind, const std::string& tag) {
  cFlowCmd c;
  c.m_bySelector = 1;
  c.m_byKind = static_cast<int8_t>(kind);
  if (const cCmdKindInfo* info = GetCmdKindInfo(1, kind)) c.m_vParam.assign(static_cast<size_t>(info->m_nParamCount), 0);
  c.m_strText = tag;
  return c;
}

cFlowCmd Loop(int count, int block) {
  cFlowCmd c = Cmd(CMD_LOOP, 0);
  c.m_vParam = {count, block};
  return c;
}

cFlow Flow(int trigger, const std::vector<cFlowCmd>& cmds, int id, int group) {
  cFlow f;
  f.m_byTrigger = static_cast<uint8_t>(trigger);
  f.m_byId = static_cast<uint8_t>(id);
  f.m_byGroup = static_cast<uint8_t>(group);
  f.m_vCmd.assign(cmds.begin(), cmds.end());
  return f;
}

std::string Tags(const cSafeVector<cFlowCmd>& cmds) {
  std::string s;
  for (const cFlowCmd& c : cmds) s += (s.empty() ? "" : " ") + c.m_strText;
  return s;
}

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

void RecordTick(cChara&, cCmdState& state) { Log().push_back(state.m_pCmd->m_strText); }
int RecordImpl(cChara&, cFlowCmd& cmd) {
  Log().push_back(cmd.m_strText);
  return 0;
}

HandlerSwap::HandlerSwap(int kind, CmdHandler handler) : kind_(kind), saved_(g_apfnCmdHandler[kind]) {
  g_apfnCmdHandler[kind] = handler;
}
HandlerSwap::~HandlerSwap() { g_apfnCmdHandler[kind_] = saved_; }
ImplSwap::ImplSwap(int kind, CmdImpl impl) : kind_(kind), saved_(g_apfnCmdImpl[kind]) { g_apfnCmdImpl[kind] = impl; }
ImplSwap::~ImplSwap() { g_apfnCmdImpl[kind_] = saved_; }

namespace {
cStage StageAt(int k) {
  cStage s = fixture::Stage(20, 15);
  s.m_nSpeedLevel = k;
  return s;
}
}  // namespace

ScriptWorld::ScriptWorld(int k, const std::vector<cFlow>& flows)
    : world(StageAt(k)), chara(Make(world, flows)) {
  Log().clear();
}

cStageChara& ScriptWorld::Make(playkit::PlayWorld& world, const std::vector<cFlow>& flows) {
  cCharaData def = fixture::Chara(1);
  def.m_vFlow.assign(flows.begin(), flows.end());
  cStageChara& c = world.AddChara(def, 2, 2);
  c.BuildFlows(c.m_Data.m_vFlow, 0, -1);
  return c;
}

int RunToEnd(ScriptWorld& w, size_t run) {
  w.chara.m_vFlowRun[run].Start(w.chara);
  int steps = 0;
  while (w.chara.m_vFlowRun[run].m_bRunning && steps < 100000) {
    w.chara.StepFlowRuns(0);
    ++steps;
  }
  return steps;
}

}  // namespace scriptkit
