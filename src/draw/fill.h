// Rectangle fills with a palette colour or a packed colour, and the palette-number map of a
// surface made from an image.
//
// Colours are palette numbers 0..255 into DDPalette; under Direct3D number 0 is the transparent
// colour of textures (transparent black), not palette entry 0.
#pragma once

#include "draw/surface_data.h"
#include "platform/wintypes.h"

// A palette number as a pixel value of the running back-end and depth; a number above 255
// gives 0 after a line in the error log.
DWORD PalNumToRGB(DWORD dwPalNum);

// Fills a rectangle (cut to the surface) with a palette colour.
void DDFillRect(DDSURFACEDATA* lpSD, int x, int y, int nWidth, int nHeight, DWORD dwPalNum);
// Fills a rectangle with a packed colour: an ARGB colour under Direct3D, a display pixel under
// DirectDraw.
void DDFillRectD3D(DDSURFACEDATA* lpSD, int x, int y, int nWidth, int nHeight, DWORD dwColor);

// The whole surface filled with a palette colour, or with a packed colour.
void DDClearSurface(DDSURFACEDATA* lpSD, DWORD dwPalNum);
void DDClearSurfaceColor(DDSURFACEDATA* lpSD, DWORD dwColor);
// One pixel in a palette colour; a pixel outside the surface is ignored.
void DDPutPixel(DDSURFACEDATA* lpSD, int x, int y, DWORD dwPalNum);
// A circle outline (midpoint method); a radius below 1 draws nothing.
void DDCircle(DDSURFACEDATA* lpSD, int nCenterX, int nCenterY, int nRadius, DWORD dwPalNum);

// Builds the record's palette-number map (the slot lppMap): for each pixel the first palette
// entry of its colour, 0 where none matches. 0 when the surface cannot be locked, after the
// out-of-memory end of the run.
int DDBuildPalIndexMap(BYTE** lppMap, DDSURFACEDATA* lpSD);
