// The panel of a screen that draws itself into one 640x480 work surface (the first of
// g_vScreenSurface): shown by a whole-screen blit, redrawn first when the surface was lost.
#pragma once

#include <functional>

// Redraws the panel through redraw when its surface was lost (and clears the flag), blits it to
// the back buffer at (0, 0) without transparency, then steps the palette animation.
void ShowScreenPanel(const std::function<void()>& redraw);
