// The surfaces of a stage's own graphics, which the play scene loads when it is entered: the
// four surfaces of every dedicated character sheet (Bmp_CharaExc entry a: 4a - 4 as drawn,
// 4a - 3 mirrored, 4a - 2 and 4a - 1 their second variants) and the two of every running-effect
// entry (Effect entry n: 2n - 2 the sheet, 2n - 1 its magnified copy); and the System.ini
// switch that lets DirectDraw stretch in video memory, which decides the surfaces drawn from.
#pragma once

#include "core/safe_container.h"
#include "draw/bitmap_entry.h"
#include "draw/surface_data.h"

extern cSafeVector<DDSURFACEDATA> g_vStageBmpSurface;
extern cSafeVector<BitmapEntry> g_vStageBmpEntry;
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
