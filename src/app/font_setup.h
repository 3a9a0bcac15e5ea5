// The program's side of the three fonts and their digit sheets: made at start-up after the
// palette, used for the frame-rate display, counted into the report log and released at the end.
#pragma once

#include "draw/surface_data.h"
#include "project/system_image.h"

// The digit sheets of the three fonts ("0123456789" in each font's cells), defined with the
// other global data objects.
extern DDSURFACEDATA g_FontSurface[FONT_COUNT];

// Makes the three fonts from their definitions (faces and caches already set), with the second
// font's picture and centred characters, then the digit sheets; false when either fails.
bool CreateStartupFonts(int bPictureChars, int bCenterChars);
// The glyph-cache counts "Font10 : n" and "Font16 : n" of the first two fonts, to the report log.
void ReportFontCacheCounts();
// Releases the three fonts and the digit sheets.
void ReleaseStartupFonts();
// Draws the frame-rate text on the back buffer: ShowFps 2 with the first font at (549, 469),
// another non-zero value with the second font in a box at (495, 463).
void DrawFpsText(int nShowFps, const char* lpszText);
