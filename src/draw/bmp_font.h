// A glyph sheet with a grid of cells: the half-width and full-width glyph caches of a font.
// Characters are printed into the sheet once and blitted from it afterwards.
#pragma once

#include <list>

#include "draw/surface_data.h"

// True when the record's surface has been made (its texture or DirectDraw surface exists).
inline bool SurfaceMade(const DDSURFACEDATA* lpSD) {
  return lpSD && ((lpSD->lpDT && lpSD->lpDT->lpSurface) || (lpSD->lpDDObj && lpSD->lpDDObj->lpSurface));
}

// One character placed in a sheet: its bytes (lead byte, trail byte or 0, terminating 0), its
// cell number and the cell's top-left pixel.
struct BMPFONTCHAR {
  char chars[4] = {};
  int nIndex = 0;
  int x = 0;
  int y = 0;
};

class cBmpFont {
 public:
  // nKind: 0 half-width cache, 1 full-width cache. Makes the sheet, columns × cell width wide
  // and rows × cell height high, with transparency.
  cBmpFont(int nKind, int nCellWidth, int nCellHeight, int nColumns, int nRows);
  ~cBmpFont();
  cBmpFont(const cBmpFont&) = delete;
  cBmpFont& operator=(const cBmpFont&) = delete;

  // Places a character (at most two bytes) in the next free cell; 0 when the sheet is full.
  // Characters already placed are not looked for.
  int AddChar(const char* szChar);
  // Blits cell nCell (a byte value 0..255) to (x, y).
  void DrawCell(DDSURFACEDATA* lpDstSD, int x, int y, int nCell, int nFlags);
  // Blits the first cell holding the character; 0 when it has none.
  int DrawChar(DDSURFACEDATA* lpDstSD, int x, int y, const char* szChar, int nFlags);

  int m_nKind = 0;
  int m_nCellWidth = 0;
  int m_nCellHeight = 0;
  int m_nColumns = 0;
  int m_nRows = 0;
  int m_nCapacity = 0;
  int m_nCount = 0;
  DDSURFACEDATA m_GlyphSD;
  std::list<BMPFONTCHAR> m_CharList;
};
