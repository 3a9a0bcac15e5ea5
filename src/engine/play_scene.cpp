#include "engine/play_scene.h"

#include "core/frame_timing.h"
#include "draw/context.h"
#include "draw/surface_ops.h"
#include "engine/shot.h"
#include "engine/stage_draw.h"
#include "engine/stage_images.h"
#include "project/stage.h"

cPlayScene::cPlayScene() = default;
cPlayScene::~cPlayScene() {
  // Nothing may reach a play scene that is gone.
  if (g_lpPlayScene == this) g_lpPlayScene = nullptr;
  // The images the play made for itself: the stage's own bitmaps, swords and effects with
  // their creation entries, and the sight mask.
  DDReleaseSurfaceArray(g_vStageBmpSurface);
  DDReleaseSurfaceArray(g_vSwordSurface);
  DDReleaseSurfaceArray(g_vEffectSurface);
  g_vStageBmpSurface.clear();
  g_vStageBmpEntry.clear();
  g_vSwordSurface.clear();
  g_vSwordBmpEntry.clear();
  g_vEffectSurface.clear();
  g_vEffectBmpEntry.clear();
  DDReleaseSurface(&g_SystemImage[IMAGE_SIGHT_MASK]);
  DDReleaseSurface(&g_SystemImage[IMAGE_SIGHT_WINDOW]);
}

void cPlayScene::SetUpScrolls(const cStage& stage) {
  m_ScrollX.SetUpX(stage);
  m_ScrollY.SetUpY(stage);
}

void cPlayScene::SetUpTime(const cStage& stage) {
  if (stage.m_bTimeLimit) {
    m_nTime = stage.m_nTimeLimit;
    m_bTimeStop = 0;
  } else {
    m_nTime = 999;
    m_bTimeStop = 1;
  }
  m_nPlayFrames = 0;
  m_nPlayTime = 0;
}

int cPlayScene::CountDownTime(int delta) {
  if (m_bTimeStop) return 0;
  if (!EveryNCalls(1, 60)) return 0;
  long long t = static_cast<long long>(m_nTime) + delta;
  if (t > 999) {
    m_nTime = 999;
    return 0;
  }
  if (t <= 0) {
    m_nTime = 0;
    return 1;
  }
  m_nTime = static_cast<int32_t>(t);
  return 0;
}

void cPlayScene::CountPlayTime() {
  constexpr int PLAY_TIME_MAX = 599999;
  if (m_nPlayTime > PLAY_TIME_MAX - 1) return;
  ++m_nPlayFrames;
  long long t = static_cast<long long>(m_nPlayFrames) * 100 / 60;
  m_nPlayTime = static_cast<int32_t>(t > PLAY_TIME_MAX ? PLAY_TIME_MAX : t);
}
