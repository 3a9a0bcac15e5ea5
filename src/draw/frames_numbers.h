// Rectangle outlines, framed pictures and numbers drawn from a sheet of digit cells.
#pragma once

#include "draw/surface_data.h"
#include "platform/wintypes.h"

// A rectangle outline nThickness thick in a palette colour, its four edges in one rectangle
// batch: top, bottom, left, right.
void DDFrameRect(DDSURFACEDATA* lpSD, int x, int y, int nWidth, int nHeight, int nThickness, DWORD dwPalNum);
// The source's top-left nWidth × nHeight copied opaquely to (x, y), with a frame nMargin thick
// right around it.
void DDBltFramed(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nMargin,
                 DWORD dwPalNum);
// nValue in decimal from the digit cells 0..9 side by side at (nSrcX, nSrcY) of lpSrcSD: right-
// aligned in a field of nMinDigits cells, or centred in it with bCenter. A negative value draws
// nothing (the sheets have no minus sign).
void DDDrawNumber(DDSURFACEDATA* lpDstSD, int x, int y, int nCellWidth, int nCellHeight, DDSURFACEDATA* lpSrcSD,
                  int nSrcX, int nSrcY, int nFlags, int nValue, int nMinDigits, int bCenter);
