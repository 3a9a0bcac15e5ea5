#include "app/frame.h"

#include "app/main_window.h"
#include "app/scene.h"
#include "app/startup.h"
#include "core/frame_timing.h"
#include "core/shell_link.h"
#include "draw/blit.h"
#include "draw/context.h"
#include "draw/present.h"
#include "platform/ddraw.h"
#include "platform/message.h"
#include "platform/thread.h"
#include "platform/time.h"
#include "project/stage.h"
#include "ui/input.h"
#include "ui/key_config.h"

int g_bBltPresent = 0;

namespace {

IDirectDrawSurface7* PrimarySurface() { return PrimarySD.lpDDObj ? PrimarySD.lpDDObj->lpSurface : nullptr; }
IDirectDrawSurface7* BackSurface() { return BackBuffer.lpDDObj ? BackBuffer.lpDDObj->lpSurface : nullptr; }

}  // namespace

bool PlayRunsAbove60() { return g_SceneManager.HasPlayScene() && g_StageData.m_nFps > 60; }

void WaitNextFrame() {
  if (lpDTCon || !lpDDCon) return;
  while (!LimitFrameRate(g_SceneManager.m_nFrameRate)) Sleep(1);
}

void PresentFrame() {
  if (lpDTCon) {
    if (!DDPresent(g_SceneManager.m_nFrameRate, 0, nullptr) && g_bWindowed) {
      SendMessageA(g_hWnd, WM_RESTORE_DEVICE, 0, 0);
    }
    return;
  }
  if (!lpDDCon) return;
  IDirectDrawSurface7* primary = PrimarySurface();
  if (!primary || !BackSurface()) return;
  if (g_bWindowed) {
    if (!PlayRunsAbove60() && lpDD) lpDD->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
    BltBackBufferToClient();
  } else if (g_bBltPresent || PlayRunsAbove60()) {
    DDBltFast(&PrimarySD, 0, 0, 640, 480, &BackBuffer, 0, 0, 0);
  } else {
    primary->Flip(nullptr, DDFLIP_WAIT);
  }
}

void BltBackBufferToClient() {
  IDirectDrawSurface7* primary = PrimarySurface();
  IDirectDrawSurface7* back = BackSurface();
  if (primary && back) primary->Blt(&DDClientRect, back, nullptr, DDBLT_WAIT, nullptr);
}

void PollPlayerInput(cSafeVector<cInput>& vInput) {
  if (g_KeyConfig.bUse) {
    vInput.CheckedAt(0).PollKeyConfig(1, 60);
  } else {
    vInput.CheckedAt(0).Poll(0, 3, 60);
  }
}
