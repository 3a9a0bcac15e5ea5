// Palettes, the transparent colour and bitmap conversion: loading the palette from a bitmap
// file, establishing the transparent colour in the forms each back-end needs, reading the
// DirectDraw display format, and copying bitmap files into DirectDraw surfaces.
#pragma once

#include "draw/context.h"
#include "draw/surface_data.h"
#include "platform/gdi.h"

// Fills the 256 entries from the file: the colour table of an 8-bit file (Direct3D, and
// DirectDraw at 8 bits, where the palette object gets them too), and at 16, 24 and 32 bits
// the palette block of the picture (DDSetPalette_UnPal). False when the file cannot be loaded.
bool DDLoadPaletteFromFile(PALETTEENTRY* lpPalette, const char* szFile, int nUnused);

// Sets the transparent colour. Under Direct3D at 16 bits the channels are values of the
// texture format (0..31).
void DDSetTransmit(BYTE cbRed, BYTE cbGreen, BYTE cbBlue);
// Sets the transparent colour from the top-left pixel of an image file; 1 success, 0 failure.
int DDSetTransmitFromFile(const char* szFile);

// DirectDraw: copies a bitmap file into an existing surface of its size, each mirror cell
// flipped in its place; the palette-number map is built when asked (not at 8 bits).
// Direct3D, or an empty name: true at once.
bool CopyBitmap(DDSURFACEDATA* lpSD, const char* szFile, int nBpp, int bPalIndexMap, int nMirrorWidth,
                int nMirrorHeight);

// DirectDraw: the primary surface's red, green and blue layout (alpha untouched).
void DDGetPixelFormat(DDPIXELLAYOUT* lpLayout);

// DirectDraw: a palette entry (red, green, blue bytes) as a 16-bit display pixel; the channel
// values are masked, not scaled.
WORD DDPalToRGB16(const BYTE* rgb);

// Reads the 256 entries (4 bytes each) from the 16 × 16 pixels at columns 0..15 of rows 8..23
// of the surface, at 16 and 32 bits.
void DDSetPalette_UnPal(BYTE* lpPalEntries, DDSURFACEDATA* lpSD);
