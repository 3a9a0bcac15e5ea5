#include "script/cmd_message.h"

#include <algorithm>
#include <climits>
#include <string>

#include "core/sound_request.h"
#include "defs/flow_cmd.h"
#include "engine/chara.h"
#include "engine/message_window.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "script/cmd_state.h"
#include "script/flow_run.h"

namespace {

constexpr int MESSAGE_SOUND = 11;

// The window of an ID, or end() when none has it.
cSafeList<cMessageWindow>::iterator FindById(cSafeList<cMessageWindow>& list, int id) {
  for (auto it = list.begin(); it != list.end(); ++it)
    if (it->m_bHasId && it->m_nId == id) return it;
  return list.end();
}

}  // namespace

int CmdMessage(cChara& chara, cFlowCmd& cmd, int bChained) {
  if (!g_lpPlayScene) return 0;
  cPlayScene& scene = *g_lpPlayScene;
  if (scene.m_bQuit) return 0;
  auto& list = scene.m_lMessage;
  const int hasId = cmd.Param(12);
  const int erase = cmd.Param(15);
  auto found = hasId ? FindById(list, cmd.Param(13)) : list.end();
  if (erase) {
    if (found != list.end()) scene.RemoveMessage(&*found);
    return 0;
  }

  bool reuse = false;
  if (found != list.end()) {
    std::string text = cmd.m_strText;
    if (cmd.Param(9)) ExpandVarText(text);
    int w = 0, h = 0;
    cMessageWindow::MeasureText(text, &w, &h);
    reuse = w == found->m_nWidth && h == found->m_nHeight;
  }

  const int placement = cmd.Param(0);
  const int displayMode = cmd.Param(6);
  const int frames =
      cmd.Param(17) == 1 ? 1 : static_cast<int>(std::clamp<long long>(cmd.Param(7) * 6LL, INT_MIN, INT_MAX));
  int anchor = 0;
  if (placement >= 1 && placement <= 3)
    anchor = chara.m_nId;
  else if (placement >= 4 && placement <= 6 && !g_vPlayer.empty())
    anchor = g_vPlayer[0].m_nId;
  const int hold = cmd.Param(8);

  cMessageWindow* window = nullptr;
  if (reuse) {
    window = &*found;
    window->Setup(MESSAGE_TEXT, cmd.m_strText.c_str(), 0, 0, 0, placement, cmd.Param(1), cmd.Param(2), cmd.Param(3),
                  cmd.Param(4), cmd.Param(5), cmd.Param(10), displayMode, frames, hold, anchor, bChained, cmd.Param(9),
                  cmd.Param(11), cmd.Param(16), cmd.Param(14), hasId, cmd.Param(13), 1);
  } else {
    auto at = list.end();
    if (found != list.end()) {
      // Made again in the same place of the list.
      found->ReleaseSurface();
      at = list.erase(found);
    }
    auto it = list.emplace(at, MESSAGE_TEXT, cmd.m_strText.c_str(), 0, 0, 0, placement, cmd.Param(1), cmd.Param(2),
                           cmd.Param(3), cmd.Param(4), cmd.Param(5), cmd.Param(10), displayMode, frames, hold, anchor,
                           bChained, cmd.Param(9), cmd.Param(11), cmd.Param(16), cmd.Param(14), hasId, cmd.Param(13), 0);
    window = &*it;
  }

  if (hold != 1) return 0;
  if (displayMode == MESSAGE_TIMED) {
    SetPauseWait(1, 0, frames, bChained);
  } else {
    // A window shown until the stage ends holds the game like a key-wait one: the request is
    // always set here, so an older one never decides how long the hold lasts.
    SetPauseWait(1, 1, 0, bChained);
    if (!bChained) PlaySysSe(MESSAGE_SOUND);
  }
  scene.RunPauseLoop();
  // By identity: windows before it may have ended while the game was held.
  scene.RemoveMessage(window);
  return 0;
}

int CmdMessageEntry(cChara& chara, cFlowCmd& cmd) {
  if (!g_lpPlayScene) return 0;
  cPlayScene& scene = *g_lpPlayScene;
  int chained = scene.m_bListMsgCont;
  if (scene.m_pCurRun && scene.m_pCurCmd && scene.m_pCurCmd->m_pCmd == &cmd) chained = scene.m_pCurRun->m_bMessageChain;
  return CmdMessage(chara, cmd, chained);
}
