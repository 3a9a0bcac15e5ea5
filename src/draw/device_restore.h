// Bringing the layer back after the device lost its video memory: the Direct3D device reset with
// every texture of the restore list made again, and the DirectDraw surfaces restored with their
// images reloaded. Surfaces that cannot be reloaded from a file come back empty and marked lost,
// so that their owners draw them again.
#pragma once

#include <mutex>

#include "draw/surface_data.h"

// Direct3D: resets a device that reports it can be reset and makes every texture again.
// 1 when done, when the device was not lost, and under DirectDraw; 0 while the device cannot be
// reset yet (nothing is released then) or when the reset fails.
int DDRestoreSurface();
// DirectDraw: restores lost surfaces and reloads the system images; always true.
bool DDRestore();

// The lock held while a frame is drawn: the restore takes it, so it never runs in the middle of
// a frame drawn by another thread.
std::recursive_mutex& DDDrawingMutex();

// Whether the surface must be drawn again: the record's bLost, with the mark a device reset left
// on its Direct3D part moved onto it.
int DDTakeLost(DDSURFACEDATA* lpSD);

// The fonts' part of a restore, installed by the text code: called with 0 before a Direct3D
// reset (the fonts let go of their device objects) and with 1 after every restore (they take
// them again and rebuild their glyph caches). Null: no fonts.
extern void (*g_lpfnDDRestoreFonts)(int bAfter);
