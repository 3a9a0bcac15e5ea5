// Small surface services: releasing a surface record (alone, or every record of a vector or a
// list), filling a Direct3D surface with the mirrored cells of a sheet, reloading a DirectDraw
// surface from its bitmap, and locking a DirectDraw surface.
#pragma once

#include "core/safe_container.h"
#include "draw/surface_data.h"

// Releases the back-end objects of the record; the record stays and may be created again. An
// alias record (one with a substitute) frees only its own part.
void DDReleaseSurface(DDSURFACEDATA* lpSD);
void DDReleaseSurfaceData(DDSURFACEDATA* lpSD);
// DDReleaseSurface on every element, element 0 first; the containers keep their elements.
void DDReleaseSurfaceArray(cSafeVector<DDSURFACEDATA>& surfaces);
void DDReleaseSurfaceList(cSafeList<DDSURFACEDATA>& surfaces);

// Direct3D, horizontal cells only: draws every whole cell of lpSrcSD flipped left to right in
// its own place on lpDstSD. Always true.
bool CreateMirror(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD, int nMirrorWidth, int nMirrorHeight);

// DirectDraw: copies the record's bitmap file into its surface again. Direct3D: true.
bool DDReloadSurface(DDSURFACEDATA* lpSD, int nBpp);

// DirectDraw: locks the whole surface; *lplpBits receives its pixels for the depths 8, 16, 24
// and 32. The caller unlocks. Direct3D: not supported (a line in the error log), true.
bool DDLock(DDSURFACEDATA* lpSD, DDSURFACEDESC2* lpDesc, void** lplpBits, int nBpp);
