#include "draw/device_restore.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "core/log.h"
#include "draw/blit.h"
#include "draw/context.h"
#include "draw/setup.h"
#include "draw/surface.h"
#include "draw/surface_ops.h"
#include "platform/window.h"

void (*g_lpfnDDRestoreFonts)(int bAfter) = nullptr;

namespace {

// Makes one texture of the restore list again through a record standing in for its owner.
void Recreate(DTDATA* dt) {
  DDSURFACEDATA rec;
  rec.lpDT = dt;
  std::snprintf(rec.szFileName, sizeof rec.szFileName, "%s", dt->szFileName);
  rec.nWidth = dt->nWidth;
  rec.nHeight = dt->nHeight;
  rec.nMemory = dt->nMemory;
  rec.nMirrorWidth = dt->nMirrorWidth;
  rec.nMirrorHeight = dt->nMirrorHeight;
  const bool fromFile = rec.szFileName[0] != '\0' && std::string_view(rec.szFileName) != "E";
  if (fromFile) {
    if (DDCreateSurfaceFromFile(&rec, dt->szFileName, dt->bTransmit, DDBpp, dt->nMemory, dt->dwMemoryType, 0, 0,
                                dt->nMirrorWidth, dt->nMirrorHeight, 1) != DDCREATE_OK) {
      ErrorLog("Err");
    }
  } else {
    if (!DDCreateSurface(&rec, dt->nWidth, dt->nHeight, dt->bTransmit, dt->nMemory, dt->dwMemoryType, 0, 1)) {
      ErrorLog("Err");
    }
    dt->bLost = 1;
  }
}

}  // namespace

std::recursive_mutex& DDDrawingMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

int DDTakeLost(DDSURFACEDATA* lpSD) {
  if (!lpSD) return 0;
  if (lpSD->lpDT && lpSD->lpDT->bLost) {
    lpSD->bLost = 1;
    lpSD->lpDT->bLost = 0;
  }
  return lpSD->bLost;
}

int DDRestoreSurface() {
  ErrorLog("Restore In");
  if (!lpDTCon) {
    ErrorLog("DDではDDRestoreSurfaceは未対応");
    return 1;
  }
  const std::lock_guard<std::recursive_mutex> hold(DDDrawingMutex());
  // Only a device that asks for its reset loses its textures: one that is not lost keeps
  // everything, one still lost is left alone until it can be reset.
  const HRESULT state = lpDevice->TestCooperativeLevel();
  if (state == D3D_OK) {
    ErrorLog("Restore Out");
    return 1;
  }
  if (state != D3DERR_DEVICENOTRESET) {
    ErrorLog("復旧失敗…リセット可能な状態ではありません…");
    return 0;
  }
  // The snapshot: a mirrored sheet made again adds and removes a helper surface of its own.
  const std::vector<DTDATA*> list(g_RestoreList.begin(), g_RestoreList.end());
  for (DTDATA* dt : list) {
    if (dt->dwMemoryType == DTMEMORYTYPE_SYSTEM) continue;
    if (dt->lpTexture) dt->lpTexture->Release();
    if (dt->lpSurface) dt->lpSurface->Release();
    dt->lpTexture = nullptr;
    dt->lpSurface = nullptr;
  }
  if (g_lpfnDDRestoreFonts) g_lpfnDDRestoreFonts(0);
  if (BackBuffer.lpDT && BackBuffer.lpDT->lpSurface) {
    BackBuffer.lpDT->lpSurface->Release();
    BackBuffer.lpDT->lpSurface = nullptr;
  }
  lpDTCon->bInScene = 0;
  if (FAILED(lpDevice->Reset(&lpDTCon->d3dpp))) return 0;
  DDSetRenderStates();
  if (BackBuffer.lpDT) lpDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &BackBuffer.lpDT->lpSurface);
  for (DTDATA* dt : list) Recreate(dt);
  if (g_lpfnDDRestoreFonts) g_lpfnDDRestoreFonts(1);
  if (!DDWindowMode) ShowWindow(g_hWndDD, SW_SHOWNORMAL);
  ErrorLog("Restore Out");
  return 1;
}

bool DDRestore() {
  if (lpDTCon) {
    ErrorLog("D3DではDDRestoreは未対応");
    return true;
  }
  const std::lock_guard<std::recursive_mutex> hold(DDDrawingMutex());
  IDirectDrawSurface7* primary = PrimarySD.lpDDObj ? PrimarySD.lpDDObj->lpSurface : nullptr;
  if (!primary || primary->IsLost() != DDERR_SURFACELOST) return true;
  primary->Restore();
  IDirectDrawSurface7* back = BackBuffer.lpDDObj ? BackBuffer.lpDDObj->lpSurface : nullptr;
  if (back && back->IsLost() == DDERR_SURFACELOST) back->Restore();
  for (int i = 0; g_lpSystemSD && i < g_nSystemImageCount; ++i) {
    DDSURFACEDATA& sd = g_lpSystemSD[i];
    IDirectDrawSurface7* s = sd.lpDDObj ? sd.lpDDObj->lpSurface : nullptr;
    if (!s || s->IsLost() != DDERR_SURFACELOST) continue;
    s->Restore();
    if (sd.nMemory != 0) continue;
    const std::string_view file(sd.szFileName);
    if (!file.empty() && file != "E") {
      DDReloadSurface(&sd, DDBpp);
    } else {
      sd.bLost = 1;
    }
  }
  if (DDBpp == 8 && lpDDPal) lpDDPal->SetEntries(0, 0, 256, DDPaletteWork);
  if (g_lpfnDDRestoreFonts) g_lpfnDDRestoreFonts(1);
  return true;
}
