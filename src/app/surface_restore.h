// The DirectDraw restore pass of the frame loops: the primary surface and the system images,
// then the stage's, the pictures', the screen's, the message windows' and the fonts' surfaces
// brought back after the display took their video memory away.
#pragma once

#include "core/safe_container.h"
#include "draw/surface_data.h"

// One record: a lost surface is restored; one in video memory is marked lost (its owner draws
// it again) and, when it was loaded from a file, loaded again. False only when that load fails.
bool RestoreSurface(DDSURFACEDATA* lpSD);
// The records in order, stopping with false at the first failure.
bool RestoreSurfaces(cSafeVector<DDSURFACEDATA>& list);
bool RestoreSurfaces(cSafeList<DDSURFACEDATA>& list);
// The digit sheets of the first n fonts: a lost sheet in video memory is drawn again from its
// font. Always true.
bool RestoreFontSurfaces(DDSURFACEDATA* lpSheets, int n);
