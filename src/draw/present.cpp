#include "draw/present.h"

#include "core/frame_timing.h"
#include "draw/blit.h"
#include "draw/context.h"
#include "platform/time.h"
#include "platform/window.h"

void DDSetVirtualBackBuffer(int bOn) {
  if (!lpDTCon) return;
  // The picture drawn so far must not be lost when drawing goes back to BackBuffer.
  if (lpDTCon->bVirtualBackBuffer && !bOn && VirBackBuffer.lpDT && VirBackBuffer.lpDT->lpSurface) {
    DDCopyVirtualBackBuffer(&BackBuffer, &VirBackBuffer);
  }
  lpDTCon->bVirtualBackBuffer = bOn;
  lpDTCon->lpDefaultTargetSD = bOn ? &BackBuffer : &VirBackBuffer;
  DDSURFACEDATA* target = lpDTCon->lpDefaultTargetSD;
  if (target->lpDT && target->lpDT->lpSurface) DDSetRenderTarget(0, target);
}

int DDRedirectBackBuffer(DDSURFACEDATA** lplpSD) {
  if (!lpDTCon || !lpDTCon->bVirtualBackBuffer || *lplpSD != &BackBuffer) return 0;
  *lplpSD = &VirBackBuffer;
  return 1;
}

bool DDIsFullscreenBackBuffer(const DDSURFACEDATA* lpSD) {
  return lpDTCon && lpSD == &BackBuffer && DDWindowMode == 0;
}

void DDCopyVirtualBackBuffer(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc) {
  if (!lpDTCon) return;
  lpDTCon->bCopyVirtual = 1;
  // The source's alpha is ignored: the copy is opaque.
  DDSetAlphaOp(D3DTOP_DISABLE);
  DDBltFast(lpDst, 0, 0, lpSrc->nWidth, lpSrc->nHeight, lpSrc, 0, 0, 0);
  DDResetAlphaOp();
  lpDTCon->bCopyVirtual = 0;
}

int DDPresent(int fps, int bShow, DDSURFACEDATA* lpFontSD) {
  if (!lpDTCon) return 1;
  if (lpDTCon->bVirtualBackBuffer) DDCopyVirtualBackBuffer(&BackBuffer, &VirBackBuffer);
  // With vertical sync the device's presentation interval does the waiting.
  if (!g_bVSync) {
    while (!PaceFrame(fps, bShow, lpFontSD)) Sleep(1);
  }
  DDEndScene();
  if (!lpDevice) return 1;
  if (lpDevice->Present(nullptr, nullptr, nullptr, nullptr) == D3DERR_DEVICELOST) {
    if (DDWindowMode == 0) ShowWindow(g_hWndDD, SW_SHOWMINNOACTIVE);
    return 0;
  }
  return 1;
}

void DDUseSubstitute(DDSURFACEDATA** lplpSD) {
  if (lpDTCon && *lplpSD && (*lplpSD)->lpSubstitute) *lplpSD = (*lplpSD)->lpSubstitute;
}

void DDSetDiffuse(D3DCOLOR dwDiffuse) {
  if (lpDTCon) lpDTCon->dwDiffuse = dwDiffuse;
}

void DDResetDiffuse() { DDSetDiffuse(0xFFFFFFFFu); }

void DDSetColorOp(int nColorOp) {
  if (lpDTCon) lpDTCon->nColorOp = nColorOp;
}

void DDResetColorOp() { DDSetColorOp(D3DTOP_MODULATE); }

void DDSetAlphaOp(int nAlphaOp) {
  if (lpDTCon) lpDTCon->nAlphaOp = nAlphaOp;
}

void DDResetAlphaOp() { DDSetAlphaOp(D3DTOP_SELECTARG1); }
