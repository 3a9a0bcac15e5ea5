// Blits that mix the source with something else: translucent (DDBltAlpha, DDBltHalf) and pulled
// toward a palette colour (DDBltColorChange), and the blend table the 8-bit mode mixes with.
//
// Each has a Direct3D quad path (destination a render target, source not in system memory) and
// lock-based paths on Direct3D (16, 32 bits) and DirectDraw (8, 16, 32 bits) surfaces; their
// constants differ per path. The lock-based paths cut both rectangles to their surfaces.
#pragma once

#include "draw/surface_data.h"
#include "platform/wintypes.h"

// The blend table of 8-bit DirectDraw mode: byte a × 256 + b is the palette index of the mix of
// colours a and b.
constexpr size_t DD_BLEND_TABLE_SIZE = 65536;
extern BYTE g_BlendTable[DD_BLEND_TABLE_SIZE];

// DirectDraw: reads up to 65,536 bytes of the file into the table (a short file leaves the rest
// as it was); false when the file cannot be opened. Direct3D: true, nothing read.
bool DDReadBlendTable(BYTE* lpBlendTable, const char* lpFileName);

// The source drawn with the transparency nAlpha (0 opaque, 255 invisible) on the Direct3D quad
// path; the lock-based paths always mix half and half. bTransmit 1 leaves transparent source
// pixels out. False only when a DirectDraw surface cannot be locked.
bool DDBltAlpha(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nSrcX,
                int nSrcY, int bTransmit, const BYTE* lpBlendTable, int nAlpha);
bool DDBltHalf(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nSrcX,
               int nSrcY, int bTransmit, const BYTE* lpBlendTable);
// The source pulled toward palette colour nColor (of lpPalette) with the strength nLevel 1..4.
// nLevel 0 and a colour outside 0..255 draw nothing. False only when a DirectDraw surface
// cannot be locked.
bool DDBltColorChange(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD,
                      int nSrcX, int nSrcY, int bTransmit, const PALETTEENTRY* lpPalette, const BYTE* lpBlendTable,
                      int nColor, int nLevel);
