#include "script/cmd_flow_op.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/path.h"
#include "defs/cond.h"
#include "defs/flow.h"
#include "defs/flow_cmd.h"
#include "engine/chara.h"
#include "engine/message_window.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "project/save_data.h"
#include "project/world_map.h"
#include "script/flow_run.h"

namespace {

enum { OP_START = 0, OP_END = 1, OP_PAUSE = 2, OP_RESUME = 3, OP_DELETE = 4, OP_STOP_FOREVER = 5 };
enum { SCOPE_THIS = 0, SCOPE_OTHERS = 1, SCOPE_ID = 2 };

enum { NEXT_NUMBER = 0, NEXT_BY_NUMBER = 1, NEXT_BY_PATH = 2, NEXT_WORLD_CLEAR = 3 };
constexpr int FACING_AT_CLEAR = 2;

// The stage path without its extension and with a "." appended. Only a "." after the last
// folder separator is an extension, so a dot in a folder name stays.
std::string StageBase(const std::string& text) {
  std::string path = text;
  const size_t slash = path.find_last_of("\\/");
  const size_t dot = path.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.erase(dot);
  return path + ".";
}

int ClampCell(int value, int size) {
  if (value >= size) value = size - 1;
  return value < 0 ? 0 : value;
}

void ApplyOperation(cChara& owner, cFlowRun& run, int op) {
  switch (op) {
    case OP_START:
      run.Stop(owner);
      owner.RemoveFlowAnims(run.m_nRunId);
      run.Start(owner);
      run.m_bAbort = 1;
      break;
    case OP_END:
      run.Stop(owner);
      owner.RemoveFlowAnims(run.m_nRunId);
      run.m_bAbort = 1;
      break;
    case OP_PAUSE:
      run.Pause();
      owner.StopFlowAnims(run.m_nRunId);
      run.m_bAbort = 1;
      break;
    case OP_RESUME:
      run.Resume();
      owner.UnmarkFlowAnims(run.m_nRunId);
      break;
    case OP_DELETE:
      owner.m_bAnyDelete = 1;
      run.m_bDelete = 1;
      run.m_bAbort = 1;
      break;
    case OP_STOP_FOREVER:
      run.StopForever(owner);
      owner.RemoveFlowAnims(run.m_nRunId);
      run.m_bAbort = 1;
      break;
    default:
      break;
  }
}

}  // namespace

int CmdFlowOperation(cChara& chara, cFlowCmd& cmd) {
  if (!g_lpPlayScene) return 0;
  cPlayScene& scene = *g_lpPlayScene;
  if (cmd.m_pCondList && !scene.CheckCondList(cmd.m_pCondList->m_vCond, cmd.m_pCondList->m_byRule, chara)) return 0;
  const int op = cmd.Param(0);
  const int scope = cmd.Param(1);
  const int id = cmd.Param(2);
  const int slot = cmd.Param(3);
  cChara* owner = &chara;
  if (slot >= 1 && slot <= 4) {
    owner = chara.Target(slot - 1);
    if (!owner) return 0;
  }
  cFlowRun* current = scene.m_pCurRun;
  switch (scope) {
    case SCOPE_THIS:
      if (current) ApplyOperation(chara, *current, op);
      break;
    case SCOPE_OTHERS:
      for (cFlowRun& run : chara.m_vFlowRun)
        if (&run != current) ApplyOperation(chara, run, op);
      break;
    case SCOPE_ID: {
      auto matches = [id](const cFlowRun& run) {
        return id != 0 && run.m_pFlow && run.m_pFlow->m_byId == id;
      };
      if (op == OP_DELETE && owner != &chara) {
        // Another character's flows go at once: none of them is being stepped now.
        for (size_t i = 0; i < owner->m_vFlowRun.size();) {
          if (matches(owner->m_vFlowRun[i]))
            owner->RemoveFlowAt(static_cast<int>(i));
          else
            ++i;
        }
        break;
      }
      for (cFlowRun& run : owner->m_vFlowRun)
        if (matches(run)) ApplyOperation(*owner, run, op);
      break;
    }
    default:
      break;
  }
  return 0;
}

int CmdStageClear(cChara&, cFlowCmd& cmd) {
  if (!g_lpPlayScene) return 1;
  cPlayScene& scene = *g_lpPlayScene;
  const int current = g_SaveData.m_nStageNumber;
  switch (cmd.Param(0)) {
    case NEXT_NUMBER:
      scene.m_nNextStage = current + 1;
      scene.m_strNextStage.clear();
      break;
    case NEXT_BY_NUMBER:
      scene.m_nNextStage = cmd.Param(1);
      scene.m_strNextStage.clear();
      break;
    case NEXT_BY_PATH:
      scene.m_nNextStage = current;
      if (cmd.m_strText.empty()) {
        ErrorBoxF("ステージファイル %s が不正です。\nステージファイルとして認識できません。", cmd.m_strText.c_str());
        scene.m_strNextStage.clear();
      } else {
        // The command's own text stays as it is: the command may tick again.
        scene.m_strNextStage = StageBase(cmd.m_strText);
      }
      break;
    case NEXT_WORLD_CLEAR:
      scene.m_nNextStage = 0;
      scene.m_strNextStage.clear();
      break;
    default:
      break;
  }
  if (cmd.Param(2) != 0) {
    // Clamped both ways: the world map indexes its grid with these.
    g_SaveData.m_nMapX = ClampCell(cmd.Param(3), g_WorldMap.m_nWidth);
    g_SaveData.m_nMapY = ClampCell(cmd.Param(4), g_WorldMap.m_nHeight);
    g_SaveData.m_nMapState = 0;
  }
  if (cmd.Param(5) != 0) {
    g_SaveData.m_bRestart = 1;
    g_SaveData.m_nRestartX = cmd.Param(6);
    g_SaveData.m_nRestartY = cmd.Param(7);
    int facing = cmd.Param(8);
    if (facing == FACING_AT_CLEAR && !g_vPlayer.empty()) facing = g_vPlayer[0].m_nDir;
    g_SaveData.m_nRestartDir = facing;
  } else {
    g_SaveData.m_bRestart = 0;
  }
  return 1;
}

int CmdGameWait(cChara&, cFlowCmd& cmd) {
  if (!g_lpPlayScene) return 0;
  cPlayScene& scene = *g_lpPlayScene;
  const int frames = static_cast<int>(std::clamp<long long>(cmd.Param(0) * 6LL, INT_MIN, INT_MAX));
  scene.m_lMessage.emplace_back(MESSAGE_TIMER, "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, MESSAGE_TIMED, frames, 1, 0, 0, 0, 0,
                                0, 0, 0, 0, 0);
  const cMessageWindow* timer = &scene.m_lMessage.back();
  SetPauseWait(0, 0, frames, 0);
  scene.RunPauseLoop();
  // The timer may already have ended in the held frames: removed only when still there.
  scene.RemoveMessage(timer);
  return 0;
}
