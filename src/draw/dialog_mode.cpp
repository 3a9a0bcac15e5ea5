#include "draw/dialog_mode.h"

#include "core/log.h"
#include "draw/blit.h"
#include "draw/context.h"
#include "platform/window.h"

namespace {

void HideCursor() {
  while (ShowCursor(FALSE) >= 0) {
  }
}

}  // namespace

int DDSetDialogMode(int bOn) {
  if (DDWindowMode != 0) return 1;
  if (lpDTCon) {
    if (!lpDevice) return 0;
    if (bOn) {
      // The frame's scene is closed; the next drawing opens a new one.
      DDEndScene();
      if (FAILED(lpDevice->SetDialogBoxMode(TRUE))) {
        ErrorLog("D3D_OK != lpDevice->SetDialogBoxMode(TRUE)");
        return 0;
      }
      ShowCursor(TRUE);
      return 1;
    }
    HideCursor();
    return FAILED(lpDevice->SetDialogBoxMode(FALSE)) ? 0 : 1;
  }
  if (lpDD) {
    if (bOn) {
      if (FAILED(lpDD->FlipToGDISurface())) return 0;
      ShowCursor(TRUE);
      return 1;
    }
    HideCursor();
    return 1;
  }
  // Neither back-end runs (before DDInit or after DDEnd).
  return 0;
}
