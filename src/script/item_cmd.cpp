#include "script/item_cmd.h"

#include "core/log.h"
#include "defs/flow_cmd.h"
#include "engine/chara.h"
#include "engine/play_scene.h"
#include "script/cmd_dispatch.h"
#include "script/flow_edit.h"
#include "script/flow_run.h"

namespace {

// Depth of item lists running inside item lists (an item taken by a list).
int g_nListDepth = 0;

int RunImpl(cChara& chara, cFlowCmd& cmd, int flowKind) {
  CmdImpl impl = g_apfnCmdImpl[flowKind];
  if (impl) impl(chara, cmd);
  return 0;
}

int RunListCmdNone(cChara&, cFlowCmd&) { return 0; }
int RunListCmdChangeFlow(cChara& chara, cFlowCmd& cmd) {
  CmdChangeFlow(chara, cmd, 0);
  return 0;
}
int RunListCmdStageClear(cChara& chara, cFlowCmd& cmd) {
  RunImpl(chara, cmd, CMD_STAGE_CLEAR);
  return 1;
}
int RunListCmdGameWait(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_GAME_WAIT); }
// Every message after the first of one list is chained to the one before it.
int RunListCmdMessage(cChara& chara, cFlowCmd& cmd) {
  RunImpl(chara, cmd, CMD_MESSAGE);
  if (g_lpPlayScene) g_lpPlayScene->m_bListMsgCont = 1;
  return 0;
}
int RunListCmdWarp(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_WARP); }
int RunListCmdSetTarget(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_SET_TARGET); }
int RunListCmdStatusOperation(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_STATUS); }
int RunListCmdStatusOperation2(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_STATUS2); }
int RunListCmdVanish(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_VANISH); }
int RunListCmdTakeItem(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_TAKE_ITEM); }
int RunListCmdChangeGraphic(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_CHANGE_GRAPHIC); }
int RunListCmdChangeAnimSet(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_CHANGE_ANIMESET); }
int RunListCmdPlayAnim(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_PLAY_ANIME); }
int RunListCmdPlayEffect(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_EFFECT); }
int RunListCmdCharaEffect(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_CHARA_EFFECT); }
int RunListCmdScreenEffect(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_SCREEN_EFFECT); }
int RunListCmdShowPicture(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_PICTURE); }
int RunListCmdScreenColor(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_SCREEN_COLOR); }
int RunListCmdChangeBack(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_CHANGE_BACK); }
int RunListCmdPlaySound(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_SOUND); }
int RunListCmdPlayBgm(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_BGM); }
int RunListCmdRunCode(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_CODE); }
int RunListCmdArrange(cChara& chara, cFlowCmd& cmd) { return RunImpl(chara, cmd, CMD_ARRANGE); }
// Loops are expanded when the item is set up.
int RunListCmdLoop(cChara&, cFlowCmd&) { return 0; }

}  // namespace

const ListCmdHandler g_apfnListCmdHandler[LISTCMD_KIND_COUNT] = {
    RunListCmdNone,           RunListCmdChangeFlow,       RunListCmdStageClear,       RunListCmdGameWait,
    RunListCmdMessage,        RunListCmdWarp,             RunListCmdSetTarget,        RunListCmdStatusOperation,
    RunListCmdStatusOperation2, RunListCmdVanish,         RunListCmdTakeItem,         RunListCmdChangeGraphic,
    RunListCmdChangeAnimSet,  RunListCmdPlayAnim,         RunListCmdPlayEffect,       RunListCmdCharaEffect,
    RunListCmdScreenEffect,   RunListCmdShowPicture,      RunListCmdScreenColor,      RunListCmdChangeBack,
    RunListCmdPlaySound,      RunListCmdPlayBgm,          RunListCmdRunCode,          RunListCmdArrange,
    RunListCmdLoop,
};

int RunCommandList(cChara& hero, cSafeVector<cFlowCmd>& cmds) {
  if (g_nListDepth >= MAX_ITEM_LIST_DEPTH) {
    ReportLog("Item command lists nested %d deep: the list is not run", g_nListDepth);
    return 0;
  }
  ++g_nListDepth;
  if (g_lpPlayScene) g_lpPlayScene->m_bListMsgCont = 0;
  int result = 0;
  for (size_t i = 0; i < cmds.size(); ++i) {
    cFlowCmd& cmd = cmds[i];
    const int kind = cmd.m_byKind;
    if (kind != LISTCMD_FIRST_SHARED + (CMD_ARRANGE - CMD_STAGE_CLEAR)) ApplyPlayerArranges(hero, cmd);
    const int r = kind >= 0 && kind < LISTCMD_KIND_COUNT ? g_apfnListCmdHandler[kind](hero, cmd) : 0;
    if (hero.m_nHp <= 0) {
      result = 2;
      break;
    }
    if (r != 0) {
      result = r;
      break;
    }
  }
  if (result == 0 && hero.m_nHp <= 0) result = 2;
  --g_nListDepth;
  return result;
}
