#include "script/cmd_effect.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "defs/flow_cmd.h"
#include "draw/context.h"
#include "draw/present.h"
#include "engine/chara.h"
#include "engine/effect.h"
#include "engine/message_window.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "project/database.h"
#include "project/stage.h"

namespace {

constexpr int SCREEN_CENTRE_X = VIEW_WIDTH / 2;
constexpr int SCREEN_CENTRE_Y = 240;
constexpr int FRAMES_PER_TENTH = 6;
constexpr int SCREEN_COLOR_PARAMS = 8;

// Background modes of "背景の変更".
constexpr int BACK_SHOW = 0;
constexpr int BACK_HIDE = 1;
constexpr int BACK_TOGGLE = 2;

// percent × size / 100, rounded to the nearest whole number with halves away from zero and
// kept within the int range.
int ScalePercent(int percent, int size) {
  const long long q = static_cast<long long>(percent) * size;
  const long long r = q >= 0 ? (q + 50) / 100 : -((-q + 50) / 100);
  return static_cast<int>(std::clamp<long long>(r, INT_MIN, INT_MAX));
}

// The frames an effect entry takes to play: each step's wait counts six frames per tenth.
int EffectFrames(const cEffectData& def) {
  long long total = 0;
  for (const cEffectFrame& f : def.m_vFrame) total += static_cast<long long>(f.m_nTime) * FRAMES_PER_TENTH;
  return static_cast<int>(std::clamp<long long>(total, 0, INT_MAX));
}

void CentreOf(const cChara& c, double sx, double sy, double& cx, double& cy) {
  cx = c.CenterX() + sx;
  cy = c.CenterY() + sy;
}

}  // namespace

void CalcDisplayPosition(double& x, double& y, int w, int h, const cChara& chara, int placement, int blockX,
                         int blockY, int offsetX, int offsetY) {
  const double sx = g_lpPlayScene ? g_lpPlayScene->m_ScrollX.m_dPos : 0;
  const double sy = g_lpPlayScene ? g_lpPlayScene->m_ScrollY.m_dPos : 0;
  double cx = sx + SCREEN_CENTRE_X;
  double cy = sy + SCREEN_CENTRE_Y;
  switch (placement) {
    case PLACE_CHARA_CENTRE:
      CentreOf(chara, sx, sy, cx, cy);
      break;
    case PLACE_HERO_CENTRE:
      if (!g_vPlayer.empty()) CentreOf(g_vPlayer[0], sx, sy, cx, cy);
      break;
    case PLACE_SCREEN_BLOCK:
      x = sx + static_cast<double>(blockX) * CELL_DOTS + offsetX;
      y = sy + static_cast<double>(blockY) * CELL_DOTS + offsetY;
      return;
    case PLACE_STAGE_BLOCK:
      x = (static_cast<double>(blockX) + MAP_MARGIN) * CELL_DOTS + offsetX;
      y = (static_cast<double>(blockY) + MAP_MARGIN) * CELL_DOTS + offsetY;
      return;
    default:
      break;
  }
  x = offsetX + cx - w / 2;
  y = offsetY + cy - h / 2;
}

int CmdPlayEffect(cChara& chara, cFlowCmd& cmd) {
  cPlayScene* scene = g_lpPlayScene;
  if (!scene || scene->m_bQuit) return 0;
  const int number = static_cast<int16_t>(cmd.Param(0));
  if (number == 0) {
    scene->m_lEffect.clear();
    return 0;
  }
  // A number outside the table is reported (and closes the program) through the checked
  // access; nothing is started then.
  if (number < 0 || static_cast<size_t>(number) >= g_Database.m_vEffect.size()) {
    (void)g_Database.m_vEffect.CheckedAt(number);
    return 0;
  }
  const cEffectData& def = g_Database.m_vEffect[static_cast<size_t>(number)];
  const int w = ScalePercent(cmd.Param(6), def.m_nWidth);
  const int h = ScalePercent(cmd.Param(6), def.m_nHeight);
  double x = 0, y = 0;
  CalcDisplayPosition(x, y, w, h, chara, cmd.Param(1), cmd.Param(2), cmd.Param(3), cmd.Param(4), cmd.Param(5));
  const int hold = cmd.Param(7) == 1 ? 1 : 0;
  cEffect effect;
  if (!effect.Start(number, x, y, w, h, cmd.Param(7))) return 0;
  scene->m_lEffect.push_back(effect);
  if (hold) {
    SetPauseWait(2, 0, EffectFrames(def), 0);
    scene->RunPauseLoop();
  }
  return 0;
}

int CmdCharaEffect(cChara& chara, cFlowCmd& cmd) {
  chara.m_Effect.Start(static_cast<int16_t>(cmd.Param(0)), cmd.Param(1), cmd.Param(2));
  return 0;
}

int CmdScreenEffect(cChara&, cFlowCmd& cmd) {
  cPlayScene* scene = g_lpPlayScene;
  if (!scene) return 0;
  scene->m_ScrEffect.Start(static_cast<int16_t>(cmd.Param(0)), cmd.Param(1), cmd.Param(2));
  if (scene->m_ScrEffect.m_sEffect == 0 && lpDTCon && lpDTCon->bVirtualBackBuffer) DDSetVirtualBackBuffer(0);
  return 0;
}

int CmdScreenColor(cChara&, cFlowCmd& cmd) {
  if (!g_lpPlayScene) return 0;
  int32_t params[SCREEN_COLOR_PARAMS];
  for (int i = 0; i < SCREEN_COLOR_PARAMS; ++i) params[i] = cmd.Param(static_cast<size_t>(i));
  const int paletteMode = !lpDTCon && DDBpp == 8 ? 1 : 0;
  g_lpPlayScene->m_ScreenColor.Start(params, paletteMode);
  return 0;
}

int CmdChangeBack(cChara&, cFlowCmd& cmd) {
  cSafeVector<cBgData>& layers = g_StageData.m_vBg;
  const uint32_t index = static_cast<uint32_t>(cmd.Param(0)) - 1u;
  if (index >= layers.size()) return 0;
  cBgData& layer = layers[index];
  switch (cmd.Param(1)) {
    case BACK_SHOW: layer.m_bShow = 1; break;
    case BACK_HIDE: layer.m_bShow = 0; break;
    case BACK_TOGGLE: layer.m_bShow = layer.m_bShow ? 0 : 1; break;
    default: break;
  }
  return 0;
}
