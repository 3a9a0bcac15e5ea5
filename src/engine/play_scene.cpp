#include "engine/play_scene.h"

#include "core/frame_timing.h"
#include "engine/shot.h"
#include "project/stage.h"

cPlayScene::cPlayScene() = default;
cPlayScene::~cPlayScene() {
  // Nothing may reach a play scene that is gone.
  if (g_lpPlayScene == this) g_lpPlayScene = nullptr;
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
