#include "app/scene.h"

#include <cstdio>
#include <exception>
#include <new>

#include "app/font_setup.h"
#include "app/frame.h"
#include "app/screen_surface.h"
#include "app/surface_restore.h"
#include "app/system_ini.h"
#include "core/frame_timing.h"
#include "core/log.h"
#include "core/shell_link.h"
#include "draw/context.h"
#include "draw/device_restore.h"
#include "engine/message_window.h"
#include "engine/picture.h"
#include "engine/stage_images.h"
#include "platform/ddraw.h"
#include "project/global_data.h"
#include "ui/input.h"

int32_t g_FrameCount = 0;
int32_t g_nFps = 0;
int32_t g_nFrameTime = 0;
int32_t g_FrameTimeRing[16] = {};
int32_t g_nFrameTimeIndex = 0;
int32_t g_nFrameTimeAvg = 0;

namespace {

// The play type without a play engine: nothing drawn, back to the title menu.
class cNoPlayScene : public cScene {
 public:
  explicit cNoPlayScene(cSceneManager& manager) : m_Manager(manager) {}
  void Update() override {
    m_Manager.m_nPrevScene = SCENE_PLAY;
    m_Manager.m_nScene = SCENE_TITLE;
  }

 private:
  cSceneManager& m_Manager;
};

// Deletion order of the types.
constexpr int kDeleteOrder[SCENE_TYPE_COUNT] = {SCENE_TITLE, SCENE_SAVE, SCENE_WORLD_MAP, SCENE_STAGE_SELECT,
                                                SCENE_PLAY, SCENE_OPTIONS};

}  // namespace

int SceneSlot(int nType) {
  static constexpr int kSlot[SCENE_TYPE_COUNT] = {0, 1, 2, 3, 5, 4};
  return nType >= 0 && nType < SCENE_TYPE_COUNT ? kSlot[nType] : -1;
}

void cScene::StepScreen(int nButtonMask) {
  cInput& input = g_vInput.CheckedAt(0);
  input.AutoRepeat();
  input.LatchButtons(nButtonMask);
  if (m_nPhase == -1) {
    try {
      Init();
    } catch (const char* text) {
      ErrorLogAndClose(g_hWnd, "%s", text);
    } catch (const std::exception& e) {
      ErrorLogAndClose(g_hWnd, "%s", e.what());
    }
    m_nPhase = 0;
  }
  if (m_nPhase >= 0 && static_cast<size_t>(m_nPhase) < m_vHandler.size() && m_vHandler[static_cast<size_t>(m_nPhase)]) {
    (this->*m_vHandler[static_cast<size_t>(m_nPhase)])();
  }
}

void cSceneManager::SetSceneFactory(int nType, SceneFactory lpfnCreate) {
  if (nType >= 0 && nType < SCENE_TYPE_COUNT && nType != SCENE_PLAY) m_lpfnCreate[nType] = lpfnCreate;
}

cScene* cSceneManager::SceneOf(int nType) const {
  const int slot = SceneSlot(nType);
  return slot < 0 ? nullptr : m_pScene[slot];
}

cScene* cSceneManager::Create(int nType) {
  if (nType == SCENE_PLAY) {
    if (!m_PlayHooks.lpfnCreate) return new cNoPlayScene(*this);
    cPlayScene* play = nullptr;
    cScene* scene = m_PlayHooks.lpfnCreate(&play);
    g_lpPlayScene = scene ? play : nullptr;
    return scene;
  }
  return m_lpfnCreate[nType] ? m_lpfnCreate[nType]() : new cScene;
}

void cSceneManager::SetScene(int nType) {
  for (int type : kDeleteOrder) {
    if (type == nType) continue;
    cScene*& slot = m_pScene[SceneSlot(type)];
    if (!slot) continue;
    delete slot;
    slot = nullptr;
    // The play scene's pointer goes with it: nothing may reach a deleted play scene.
    if (type == SCENE_PLAY) g_lpPlayScene = nullptr;
  }
  if (nType < 0 || nType >= SCENE_TYPE_COUNT) return;
  cScene*& slot = m_pScene[SceneSlot(nType)];
  if (slot) return;
  try {
    slot = Create(nType);
  } catch (const std::bad_alloc&) {
    OutOfMemoryExit();
  }
}

void cSceneManager::DeleteAll() {
  for (cScene*& slot : m_pScene) {
    delete slot;
    slot = nullptr;
  }
  g_lpPlayScene = nullptr;
}

int cSceneManager::CheckSurfaceLost() {
  if (lpDTCon) return 1;
  IDirectDrawSurface7* primary = PrimarySD.lpDDObj ? PrimarySD.lpDDObj->lpSurface : nullptr;
  if (primary && primary->IsLost() == DDERR_SURFACELOST && !DDRestore()) return 0;
  if (!RestoreSurfaces(g_vStageBmpSurface) || !RestoreSurfaces(g_vEffectSurface) ||
      !RestoreSurfaces(g_vSwordSurface) || !RestoreSurfaces(g_lPictureSurface) ||
      !RestoreSurfaces(g_vScreenSurface) || !RestoreSurfaces(Off_Msg)) {
    return 0;
  }
  RestoreFontSurfaces(g_FontSurface, FONT_COUNT);
  return 1;
}

void RecordFrameTime(int32_t nTime) {
  g_FrameTimeRing[g_nFrameTimeIndex] = nTime;
  if (++g_nFrameTimeIndex < 16) return;
  g_nFrameTimeIndex = 0;
  int32_t sum = 0;
  for (int32_t t : g_FrameTimeRing) sum += t;
  g_nFrameTimeAvg = sum >> 4;
}

int cSceneManager::Tick() {
  WaitNextFrame();
  ++g_FrameCount;
  StartTimer();
  // The frame is drawn and shown under the drawing lock: a device restore asked for meanwhile
  // waits until the frame is on the screen.
  const std::lock_guard<std::recursive_mutex> drawing(DDDrawingMutex());
  if (!lpDTCon && lpDDCon && !CheckSurfaceLost()) return 0;
  PollPlayerInput(g_vInput);
  try {
    SetScene(m_nScene);
  } catch (const char* text) {
    ErrorLogAndClose(g_hWnd, "%s", text);
  } catch (const std::exception& e) {
    ErrorLogAndClose(g_hWnd, "%s", e.what());
  }
  if (cScene* scene = SceneOf(m_nScene)) scene->Update();
  g_nFps = CountFps(1);
  g_nFrameTime = static_cast<int32_t>(GetElapsedTime(1));
  if (g_lpPlayScene && m_PlayHooks.lpfnSetFps) m_PlayHooks.lpfnSetFps(g_lpPlayScene, g_nFps);
  if (g_SystemIni.ShowFps != 0) {
    RecordFrameTime(g_nFrameTime);
    char text[64];
    std::snprintf(text, sizeof(text), "FPS%2d(%2d)", g_nFps, g_nFrameTimeAvg);
    DrawFpsText(g_SystemIni.ShowFps, text);
  }
  PresentFrame();
  return 1;
}
