// Two pixel effects on locked surfaces: a box-blurred copy of a rectangle and a copy made of
// square blocks of one colour each. Source and destination must be different surfaces; pixels
// outside either surface are neither read nor written.
#pragma once

#include "draw/surface_data.h"

// Each pixel becomes the average of the 2·nRadiusY × 2·nRadiusX window reaching one pixel
// further up and left, within the rectangle; nFlags 1 leaves transparent pixels out of the
// average and unchanged. A radius of 0 (or below) draws nothing; 8-bit surfaces are refused with
// a line in the error log. False when a surface cannot be locked.
bool DDBlur(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nRadiusX, int nRadiusY,
            DDSURFACEDATA* lpSrcSD, int nSrcX, int nSrcY, int nFlags);
// Blocks nBlock × nBlock: under Direct3D and at 8 bits each takes its top-left source pixel,
// under DirectDraw at 16 and 32 bits the average of its pixels. A block size of 0 (or below)
// draws nothing. False when a surface cannot be locked.
bool DDMosaic(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nBlock, DDSURFACEDATA* lpSrcSD,
              int nSrcX, int nSrcY, int nFlags);
