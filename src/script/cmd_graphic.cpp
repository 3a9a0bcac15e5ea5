#include "script/cmd_graphic.h"

#include <cstdint>

#include "core/log.h"
#include "defs/flow_cmd.h"
#include "engine/chara.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "project/common_palette.h"
#include "project/database.h"
#include "project/stage.h"
#include "script/flow_run.h"
#include "script/item_cmd.h"

namespace {

constexpr int PALETTE_COMMON = 0;
constexpr int PALETTE_STAGE = 1;

}  // namespace

int CmdTakeItem(cChara&, cFlowCmd& cmd) {
  const int palette = cmd.Param(0);
  cSafeVector<cItemData>* items = nullptr;
  if (palette == PALETTE_COMMON) items = &g_CommonPalette.m_vItem;
  if (palette == PALETTE_STAGE) items = &g_StageData.m_vItem;
  if (!items || g_vPlayer.empty()) return 0;
  if (items->empty()) {
    ReportLog("Item %d taken from an empty palette (%d): nothing happens", cmd.Param(1), palette);
    return 0;
  }
  cItemData& item = items->CheckedAt(cmd.Param(1));
  const int result = RunCommandList(g_vPlayer[0], item.m_vCmd);
  if (g_lpPlayScene) g_lpPlayScene->m_nStageResult = result;
  return result;
}

int CmdChangeGraphic(cChara& chara, cFlowCmd& cmd) {
  chara.m_Data.m_byGraphicKind = static_cast<uint8_t>(cmd.Param(0));
  chara.m_Data.m_wGraphic = static_cast<uint16_t>(cmd.Param(1));
  chara.m_nGraphic = chara.m_Data.m_wGraphic;
  chara.m_Data.m_wGraphicSub = static_cast<uint16_t>(cmd.Param(2));
  return 0;
}

int CmdChangeAnimSet(cChara& chara, cFlowCmd& cmd) {
  // The number is an unsigned 16-bit value; the set is rebuilt even when it is the current one.
  chara.SetAnimeSet(static_cast<uint16_t>(cmd.Param(0)), 1);
  return 0;
}

int CmdPlayAnim(cChara& chara, cFlowCmd& cmd) {
  const cFlowRun* run = g_lpPlayScene ? g_lpPlayScene->m_pCurRun : nullptr;
  if (g_vAnimeSteps.empty()) {
    ReportLog("Animation %d started before the animation table was built: nothing happens", cmd.Param(0));
    return 0;
  }
  const cSafeVector<AnimStep>& steps = g_vAnimeSteps.CheckedAt(cmd.Param(0));
  cRunningAnime anime;
  anime.nFlowId = run ? run->m_nRunId : -1;
  anime.seq.BuildOne(steps);
  anime.seq.Set(0, 1);
  chara.m_lAnime.push_front(anime);
  return 0;
}
