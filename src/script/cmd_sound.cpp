#include "script/cmd_sound.h"

#include "core/sound_request.h"
#include "defs/flow_cmd.h"
#include "engine/chara.h"
#include "engine/play_scene.h"
#include "script/code_lang.h"

int CmdPlaySound(cChara& chara, cFlowCmd& cmd) {
  if (cmd.m_bSoundOnScreen && !chara.IsOnScreen()) return 0;
  PlayUserSe(cmd.Param(0));
  return 0;
}

int CmdPlayBgm(cChara&, cFlowCmd& cmd) {
  if (g_lpPlayScene) g_lpPlayScene->PlayBgm(cmd.Param(0), cmd.Param(1));
  return 0;
}

int CmdRunCode(cChara& chara, cFlowCmd& cmd) {
  (void)ExecCode(cmd.m_strText, chara);
  return 0;
}
