#include "script/cmd_shot.h"

#include "core/sound_request.h"
#include "defs/cmd_kind.h"
#include "defs/flow_cmd.h"
#include "engine/chara.h"
#include "engine/object_limits.h"
#include "engine/play_scene.h"
#include "engine/shot.h"
#include "engine/shot_formation.h"
#include "engine/summon.h"
#include "script/cmd_state.h"

namespace {

const cEdShot* ShotData(const cCmdState& state) { return state.m_pCmd ? state.m_pCmd->m_pShot.get() : nullptr; }

}  // namespace

void RunCmdShot(cChara& chara, cCmdState& state) {
  const cEdShot* shot = ShotData(state);
  if (shot && g_lpPlayScene) CmdShot(g_lpPlayScene->m_lShot, chara, state, *shot);
}

void RunCmdSummonBlock(cChara& chara, cCmdState& state) {
  if (const cEdShot* shot = ShotData(state)) CmdSummonBlock(chara, state, *shot);
}

void RunCmdSummonChara(cChara& chara, cCmdState& state) {
  if (const cEdShot* shot = ShotData(state)) CmdSummonChara(chara, state, *shot);
}

void RunCmdSummonItem(cChara& chara, cCmdState& state) {
  if (const cEdShot* shot = ShotData(state)) CmdSummonItem(chara, state, *shot);
}

void RunShotPeriodic(cChara& chara, cCmdState& state, int kind) {
  switch (kind) {
    case CMD_SHOT: return RunCmdShot(chara, state);
    case CMD_SUMMON_BLOCK: return RunCmdSummonBlock(chara, state);
    case CMD_SUMMON_CHARA: return RunCmdSummonChara(chara, state);
    case CMD_SUMMON_ITEM: return RunCmdSummonItem(chara, state);
    default: return;
  }
}

void CmdSword(cChara& chara, cCmdState& state) {
  if (state.m_nCounter == 0 && state.m_pCmd) {
    const cFlowCmd& cmd = *state.m_pCmd;
    if (cmd.m_bSoundOnScreen == 0 || chara.IsOnScreen()) PlayUserSe(cmd.m_sSound);
    const cEdShot* shot = ShotData(state);
    if (shot && g_lpPlayScene && RoomForObject(LIMIT_SHOTS, g_lpPlayScene->m_lShot.Stored())) {
      cShot tmp;
      if (tmp.SetData(g_lpPlayScene->m_nNextShotId, chara, SHOT_KIND_SWORD, *shot, cShotSpawn())) {
        tmp.m_lpTarget = nullptr;
        tmp.m_lpOwner = nullptr;
        cShot& sword = CloneShot(g_lpPlayScene->m_lShot, tmp);
        ++g_lpPlayScene->m_nNextShotId;
        sword.LinkOnce(chara, SUMMONER_SLOT);
      }
    }
  }
  ++state.m_nCounter;
}

int CmdSwordImpl(cChara& chara, cFlowCmd& cmd) {
  cCmdState* current = g_lpPlayScene ? g_lpPlayScene->m_pCurCmd : nullptr;
  if (current && current->m_pCmd == &cmd) {
    CmdSword(chara, *current);
  } else {
    cCmdState once;
    once.m_pCmd = &cmd;
    CmdSword(chara, once);
  }
  return 0;
}
