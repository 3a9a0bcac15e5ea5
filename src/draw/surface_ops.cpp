#include "draw/surface_ops.h"

#include "core/log.h"
#include "draw/blit.h"
#include "draw/context.h"
#include "draw/palette.h"

namespace {

template <class T>
void ReleaseAndClear(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

}  // namespace

void DDReleaseSurface(DDSURFACEDATA* lpSD) { DDReleaseSurfaceData(lpSD); }

void DDReleaseSurfaceData(DDSURFACEDATA* lpSD) {
  if (!lpSD) return;
  if (DTDATA* dt = lpSD->lpDT) {
    if (!lpSD->lpSubstitute) {
      ReleaseAndClear(dt->lpTexture);
      ReleaseAndClear(dt->lpExtra);
      ReleaseAndClear(dt->lpVB);
      ReleaseAndClear(dt->lpSystemSurface);
      ReleaseAndClear(dt->lpSurface);
      const int index = dt->nIndex;
      g_RestoreList.remove_if([dt, index](const DTDATA* e) { return e == dt || e->nIndex == index; });
      delete[] dt->lpPalIndexMap;
    } else {
      // An alias: the texture objects belong to the substitute.
      g_RestoreList.remove(dt);
    }
    delete dt;
    lpSD->lpDT = nullptr;
  }
  if (DDSURFOBJ* obj = lpSD->lpDDObj) {
    ReleaseAndClear(obj->lpSurface);
    delete[] obj->lpPalIndexMap;
    delete obj;
    lpSD->lpDDObj = nullptr;
  }
}

void DDReleaseSurfaceArray(cSafeVector<DDSURFACEDATA>& surfaces) {
  const int n = static_cast<int>(surfaces.size());
  for (int i = 0; i < n; ++i) DDReleaseSurface(&surfaces.CheckedAt(i));
}

void DDReleaseSurfaceList(cSafeList<DDSURFACEDATA>& surfaces) {
  const int n = static_cast<int>(surfaces.size());
  for (int i = 0; i < n; ++i) DDReleaseSurface(&surfaces.CheckedListAt(i));
}

bool CreateMirror(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD, int nMirrorWidth, int nMirrorHeight) {
  if (!lpDTCon || nMirrorWidth == 0 || nMirrorHeight != 0 || !lpDstSD || !lpSrcSD) return true;
  if (DDSetRenderTarget(0, lpDstSD)) {
    lpDevice->Clear(0, nullptr, D3DCLEAR_TARGET, lpDTCon->dwTransmitClear, 1.0f, 0);
    DDSetRenderTarget(0, lpDTCon->lpDefaultTargetSD);
  }
  const int cells = lpSrcSD->nWidth / nMirrorWidth;
  for (int i = 0; i < cells; ++i) {
    DDBlt(lpDstSD, i * nMirrorWidth, 0, nMirrorWidth, lpSrcSD->nHeight, lpSrcSD, (i + 1) * nMirrorWidth, 0,
          -nMirrorWidth, lpSrcSD->nHeight, 0);
  }
  return true;
}

bool DDReloadSurface(DDSURFACEDATA* lpSD, int nBpp) {
  if (lpDTCon) return true;
  if (!lpSD) return false;
  const int rebuildMap = lpSD->lpDDObj && lpSD->lpDDObj->lpPalIndexMap ? 1 : 0;
  return CopyBitmap(lpSD, lpSD->szFileName, nBpp, rebuildMap, lpSD->nMirrorWidth, lpSD->nMirrorHeight);
}

bool DDLock(DDSURFACEDATA* lpSD, DDSURFACEDESC2* lpDesc, void** lplpBits, int nBpp) {
  if (lpDTCon) {
    ErrorLog("D3DではDDLockは未対応");
    return true;
  }
  if (!lpSD || !lpSD->lpDDObj || !lpSD->lpDDObj->lpSurface || !lpDesc) return false;
  lpDesc->dwSize = 124;
  if (FAILED(lpSD->lpDDObj->lpSurface->Lock(nullptr, lpDesc, DDLOCK_WAIT, nullptr))) return false;
  if (lplpBits && (nBpp == 8 || nBpp == 16 || nBpp == 24 || nBpp == 32)) *lplpBits = lpDesc->lpSurface;
  return true;
}
