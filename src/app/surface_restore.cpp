#include "app/surface_restore.h"

#include <string_view>

#include "draw/context.h"
#include "draw/font.h"
#include "draw/surface_ops.h"
#include "platform/ddraw.h"

namespace {

// The record's DirectDraw surface when it reports its memory lost (it is restored then).
IDirectDrawSurface7* RestoreIfLost(DDSURFACEDATA* lpSD) {
  IDirectDrawSurface7* s = lpSD && lpSD->lpDDObj ? lpSD->lpDDObj->lpSurface : nullptr;
  if (!s || s->IsLost() != DDERR_SURFACELOST) return nullptr;
  s->Restore();
  return s;
}

}  // namespace

bool RestoreSurface(DDSURFACEDATA* lpSD) {
  if (!RestoreIfLost(lpSD) || lpSD->nMemory != 0) return true;
  lpSD->bLost = 1;
  // A surface drawn by its owner (no file, or "E" for one made empty) comes back empty; its owner
  // sees bLost and draws it again. Trying to load it would fail and close the program.
  const std::string_view file(lpSD->szFileName);
  if (file.empty() || file == "E") return true;
  return DDReloadSurface(lpSD, DDBpp);
}

bool RestoreSurfaces(cSafeVector<DDSURFACEDATA>& list) {
  for (int i = 0; i < static_cast<int>(list.size()); ++i) {
    if (!RestoreSurface(&list.CheckedAt(i))) return false;
  }
  return true;
}

bool RestoreSurfaces(cSafeList<DDSURFACEDATA>& list) {
  for (DDSURFACEDATA& sd : list) {
    if (!RestoreSurface(&sd)) return false;
  }
  return true;
}

bool RestoreFontSurfaces(DDSURFACEDATA* lpSheets, int n) {
  for (int i = 0; i < n && i < FONT_COUNT_MAX; ++i) {
    if (RestoreIfLost(&lpSheets[i]) && lpSheets[i].nMemory == 0) cFont::MakeDigitSheet(&lpSheets[i], &g_Font[i]);
  }
  return true;
}
