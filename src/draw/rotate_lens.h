// Geometric blits: a rectangle rotated by whole degrees about a pivot, and a disc magnified as
// through a convex lens. Both sample the nearest source pixel.
#pragma once

#include "draw/surface_data.h"

// The source rectangle (nSrcX, nSrcY, nWidth, nHeight) turned by nAngle degrees (clockwise on
// screen) about its point (nPivotX, nPivotY), which lands on (x, y). bTransmit 1 leaves
// transparent pixels out. False when a lock-based path cannot lock a surface.
bool DDRotate(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nPivotX, int nPivotY, int nAngle,
              DDSURFACEDATA* lpSrcSD, int nSrcX, int nSrcY, int bTransmit);
// The disc of nRadius around (x, y) showing the source around (nSrcX, nSrcY) magnified by about
// √(nRadius² + nDepth²) / nDepth at the centre and not at all at the rim. bTransmit is used at
// Direct3D 16 bits, bClear (clear the square around the disc) at Direct3D 32 bits. False for a
// negative radius or depth, a radius too small to magnify, or a failed lock.
bool DDLens(DDSURFACEDATA* lpDstSD, int x, int y, int nRadius, int nDepth, DDSURFACEDATA* lpSrcSD, int nSrcX,
            int nSrcY, int bTransmit, int bClear);
