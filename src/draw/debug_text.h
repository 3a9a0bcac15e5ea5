// Fixed-cell debug text drawn from a character sheet of 16 columns (the frame-rate overlay).
// Every byte is one cell: ASCII on rows 2 to 7, half-width katakana on rows 0, 1, 8 and 9.
#pragma once

#include "core/text.h"
#include "draw/surface_data.h"

void DDDebugText(DDSURFACEDATA* lpSD, int x, int y, int nCellWidth, int nCellHeight, DDSURFACEDATA* lpFontSD,
                 const char* lpText);
// Formats into 256 bytes (at most 255 characters), then DDDebugText.
void DDDebugTextF(DDSURFACEDATA* lpSD, int x, int y, int nCellWidth, int nCellHeight, DDSURFACEDATA* lpFontSD,
                  const char* lpFormat, ...) TW_PRINTF(7, 8);
