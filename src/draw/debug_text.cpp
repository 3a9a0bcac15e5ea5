#include "draw/debug_text.h"

#include <cstdarg>
#include <cstdio>

#include "draw/blit.h"
#include "draw/context.h"

namespace {

// The sheet row of a byte: half-width katakana on rows 0, 1, 8 and 9, everything else by its
// high nibble.
int CellRow(unsigned c) {
  if (c >= 0xA6 && c <= 0xBF) return static_cast<int>(c >> 4) - 10;
  if (c >= 0xC0 && c <= 0xDD) return static_cast<int>(c >> 4) - 4;
  return static_cast<int>(c >> 4);
}

}  // namespace

void DDDebugText(DDSURFACEDATA* lpSD, int x, int y, int nCellWidth, int nCellHeight, DDSURFACEDATA* lpFontSD,
                 const char* lpText) {
  if (!lpText) return;
  if (lpDTCon) DDBeginSpriteBatch(0);
  int col = 0, lineY = y;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(lpText); *p; ++p) {
    const unsigned c = *p;
    if (c == '\n') {
      lineY += nCellHeight;
      col = 0;
      continue;
    }
    DDBltFast(lpSD, x + col, lineY, nCellWidth, nCellHeight, lpFontSD, static_cast<int>(c & 15) * nCellWidth,
              CellRow(c) * nCellHeight, 1);
    col += nCellWidth;
    if (col >= g_nScreenWidth) {
      lineY += nCellHeight;
      col = 0;
    }
  }
  if (lpDTCon) DDFlushSpriteBatch();
}

void DDDebugTextF(DDSURFACEDATA* lpSD, int x, int y, int nCellWidth, int nCellHeight, DDSURFACEDATA* lpFontSD,
                  const char* lpFormat, ...) {
  char text[256];
  va_list ap;
  va_start(ap, lpFormat);
  std::vsnprintf(text, sizeof text, lpFormat, ap);
  va_end(ap);
  DDDebugText(lpSD, x, y, nCellWidth, nCellHeight, lpFontSD, text);
}
