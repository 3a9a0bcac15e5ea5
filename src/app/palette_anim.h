// The colour work around the frames: the 8-bit colour schemes (a blend table and a palette with
// its blocks rotated or repeated), the 8-bit palette cycling and the Direct3D colour pulses.
#pragma once

#include <cstdint>

#include "draw/blend_blit.h"

struct PALETTEENTRY;

// The blend table of 8-bit DirectDraw (the byte at a * 256 + b is the palette index showing the
// mix of colours a and b) is the drawing layer's g_BlendTable.

// The colour pulses of the character drawing, entries 1..9: colour and Direct3D texture operation.
struct FlashColor {
  uint32_t dwColor;
  int32_t nColorOp;
};
extern FlashColor g_FlashColor[10];
// Entry 1..9 of the pulses, for the character drawing: 1 with the colour and operation, 0 for
// any other entry.
int GetFlashColor(int index, uint32_t* lpColor, int32_t* lpColorOp);

// The highest colour scheme: 0..11 rotate the palette, 12..23 repeat one block of it.
constexpr int HBT_SCHEME_MAX = 23;

// One step of a value moving between two limits: rising adds step and turns (undoing the step)
// on reaching high; falling subtracts and turns on reaching low, returning 1 then. A negative
// step counts as 0.
int PingPongStep(int* lpValue, int* lpDirection, int nStep, int nLow, int nHigh);

// The colour-scheme change of entries 16..207: schemes below 12 rotate them down by n blocks of
// 16; schemes 12..23 make every block a copy of block n - 11. Schemes outside 0..23 count as the
// nearest.
void ApplyHbtScheme(PALETTEENTRY* lpPalette, int n);

// The file of a colour scheme's blend table: "bmp\hbt\hbt%02d.dat".
void HbtFileName(char* lpszFile, int n);

// Colour scheme n in 8-bit DirectDraw (blend table, palette, scheme, the palette object); 1 on
// success or outside that mode.
int LoadHbtPalette(int n);

// One step of the palette animation (8-bit cycling of entries 208..239 every sixth call, or the
// Direct3D pulses).
void AnimatePalette();
// The animation as at start: pulses at 0 rising, the cycling colour red, the call counter 0.
void ResetPaletteAnimation();
