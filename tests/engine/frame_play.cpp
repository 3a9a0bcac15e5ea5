#include "frame_play.h"

#include "defs/cmd_kind.h"
#include "engine/chara.h"
#include "fixture/fixture.h"
#include "project/database.h"
#include "project/sword_type.h"
#include "test_thread.h"

namespace frameplay {

cFlowCmd Cmd(int kind, std::initializer_list<int32_t> params, int time) {
  cFlowCmd c;
  c.m_byKind = static_cast<int8_t>(kind);
  if (const cCmdKindInfo* info = GetCmdKindInfo(0, kind))
    c.m_vParam.assign(static_cast<size_t>(info->m_nParamCount), 0);
  size_t i = 0;
  for (int32_t p : params) c.m_vParam.CheckedAt(i++) = p;
  c.m_sTime = static_cast<int16_t>(time);
  return c;
}

cFlow Flow(int trigger, const std::vector<cFlowCmd>& cmds, int id) {
  cFlow f;
  f.m_byTrigger = static_cast<uint8_t>(trigger);
  f.m_byId = static_cast<uint8_t>(id);
  f.m_vCmd.assign(cmds.begin(), cmds.end());
  return f;
}

cFlowCmd Wait(int tenths) { return Cmd(CMD_WAIT, {}, tenths); }

cFlowCmd CountInS(int n) { return Cmd(CMD_STATUS, {1, 1, n, 0, 0, 1, 0, 1}); }

cFlowCmd TargetById(int cid, int slot) {
  cFlowCmd c = Cmd(CMD_SET_TARGET);
  c.m_vParam[0] = slot;
  c.m_vParam[1] = 3;
  c.m_vParam[3] = 1;
  c.m_vParam[9] = 1;
  c.m_vParam[10] = cid;
  return c;
}

cFlowCmd Code(const std::string& text) {
  cFlowCmd c = Cmd(CMD_CODE);
  c.m_strText = text;
  return c;
}

cStage FloorStage(int width, const std::vector<cFlow>& heroFlows, int floorEnd) {
  cStage s = fixture::Stage(width, 15);
  fixture::Fill(s, fixture::Block(1), 0, 14, floorEnd < 0 ? width - 1 : floorEnd, 14);
  cCharaData hero = fixture::Hero(1);
  hero.m_byDirection = 1;
  hero.m_byCharaId = 7;
  hero.m_vFlow.assign(heroFlows.begin(), heroFlows.end());
  fixture::Place(s, hero, 3, 13);
  s.m_nSpeedLevel = 1;
  s.m_bShowStartBanner = 0;
  s.m_bShowStageBanner = 0;
  fixture::EncloseGrid(s);
  return s;
}

cCharaData Flyer(int cid, int layer, const std::vector<cFlow>& flows) {
  cCharaData c = fixture::Chara(2);
  c.m_byFlying = 1;
  c.m_byCharaId = static_cast<uint8_t>(cid);
  c.m_byLayer = static_cast<uint8_t>(layer);
  c.m_nScore = 100;
  c.m_vFlow.assign(flows.begin(), flows.end());
  return c;
}

void PutSwordType1() {
  g_Database.m_vSwordType.assign(2, cSwordType());
  cSafeVector<cSwordTypeSub>& swing = g_Database.m_vSwordType[1].m_vSwing;
  swing.assign(2, cSwordTypeSub());
  swing[0].m_nWidth = 24;
  swing[0].m_nHeight = 8;
  swing[0].m_nPlace = 0;
  swing[0].m_nTime = 2;
  swing[1].m_nWidth = 16;
  swing[1].m_nHeight = 16;
  swing[1].m_nPlace = 2;
  swing[1].m_nTime = 1;
}

Play::Play(const cStage& stage, const std::function<void()>& startUp) : t(stage) {
  if (startUp) startUp();
  g_lpfnFireEventEx = nullptr;
  ok = t.Scene().SetStage(0, 1) == 1;
  t.Scene().m_nState = 2;
}

void Play::To(int last) {
  RunAsGameThread([&] {
    for (; frame < last; ++frame) t.Frames(1);
  });
}

int Play::S(int n) { return t.Scene().m_vStageVar[static_cast<size_t>(n)]; }

cStageChara* InPlay(int cid) {
  return g_lChara.Find([cid](cStageChara& c) { return c.m_Data.m_byCharaId == cid; });
}

}  // namespace frameplay
