// The play's own images beside the system images: the dedicated character bitmaps, the sword
// images and the effect images of the database, each with the creation entries the drawing
// layer restores them from.
#pragma once

#include "core/safe_container.h"
#include "draw/bitmap_entry.h"
#include "draw/surface_data.h"

// Four per Bmp_CharaExc entry from entry 1 on: plain, plain mirrored by cells, and the same
// two in system memory.
extern cSafeVector<DDSURFACEDATA> g_vStageBmpSurface;
extern cSafeVector<BitmapEntry> g_vStageBmpEntry;
// Four per SwordType entry: the left-facing image plain and in system memory, then the
// right-facing one.
extern cSafeVector<DDSURFACEDATA> g_vSwordSurface;
extern cSafeVector<BitmapEntry> g_vSwordBmpEntry;
// Two per Effect entry from entry 1 on: plain and in system memory.
extern cSafeVector<DDSURFACEDATA> g_vEffectSurface;
extern cSafeVector<BitmapEntry> g_vEffectBmpEntry;

// "DD_VideoStretch" of System.ini: stretching blits from the video-memory variants under
// DirectDraw. The shell copies it here before play.
extern int g_bVideoStretch;

// The surface at an index of a stage surface list, or null past its ends (an index taken from
// a definition is never trusted).
DDSURFACEDATA* StageSurfaceAt(cSafeVector<DDSURFACEDATA>& list, long long index);
// System image n, or null outside the 71 images.
DDSURFACEDATA* SystemImageAt(int n);
