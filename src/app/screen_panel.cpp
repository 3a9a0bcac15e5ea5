#include "app/screen_panel.h"

#include "app/palette_anim.h"
#include "app/screen_surface.h"
#include "draw/blit.h"
#include "draw/context.h"

void ShowScreenPanel(const std::function<void()>& redraw) {
  if (!g_vScreenSurface.empty()) {
    DDSURFACEDATA* panel = &g_vScreenSurface.CheckedAt(0);
    if (panel->bLost) {
      redraw();
      panel->bLost = 0;
    }
    DDBltFast(&BackBuffer, 0, 0, 640, 480, panel, 0, 0, 0);
  }
  AnimatePalette();
}
