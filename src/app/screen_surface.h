// The work surfaces of the screen being shown (the title menu's menu picture, ...) and their
// creation entries; a screen releases and empties them when it lays itself out. Defined with the
// global data objects.
#pragma once

#include "core/safe_container.h"
#include "draw/bitmap_entry.h"
#include "draw/surface_data.h"

extern cSafeVector<DDSURFACEDATA> g_vScreenSurface;
extern cSafeVector<BitmapEntry> g_vScreenSurfaceEntry;
