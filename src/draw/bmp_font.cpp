#include "draw/bmp_font.h"

#include <cstring>

#include "draw/blit.h"
#include "draw/surface.h"
#include "draw/surface_ops.h"

cBmpFont::cBmpFont(int nKind, int nCellWidth, int nCellHeight, int nColumns, int nRows)
    : m_nKind(nKind), m_nCellWidth(nCellWidth), m_nCellHeight(nCellHeight), m_nColumns(nColumns), m_nRows(nRows) {
  m_nCapacity = nColumns > 0 && nRows > 0 ? nColumns * nRows : 0;
  DDCreateSurface(&m_GlyphSD, nColumns * nCellWidth, nRows * nCellHeight, 1, 0, 0, 0, 0);
}

cBmpFont::~cBmpFont() { DDReleaseSurface(&m_GlyphSD); }

int cBmpFont::AddChar(const char* szChar) {
  if (m_nCount >= m_nCapacity) return 0;
  BMPFONTCHAR c;
  std::strncpy(c.chars, szChar, 2);
  c.nIndex = m_nCount;
  c.x = (m_nCount % m_nColumns) * m_nCellWidth;
  c.y = (m_nCount / m_nColumns) * m_nCellHeight;
  m_CharList.push_back(c);
  ++m_nCount;
  return 1;
}

void cBmpFont::DrawCell(DDSURFACEDATA* lpDstSD, int x, int y, int nCell, int nFlags) {
  if (m_nColumns <= 0) return;
  const int cell = nCell & 0xFF;
  DDBltFast(lpDstSD, x, y, m_nCellWidth, m_nCellHeight, &m_GlyphSD, (cell % m_nColumns) * m_nCellWidth,
            (cell / m_nColumns) * m_nCellHeight, nFlags);
}

int cBmpFont::DrawChar(DDSURFACEDATA* lpDstSD, int x, int y, const char* szChar, int nFlags) {
  for (const BMPFONTCHAR& c : m_CharList) {
    if (c.chars[0] == szChar[0] && c.chars[1] == szChar[1]) {
      DDBltFast(lpDstSD, x, y, m_nCellWidth, m_nCellHeight, &m_GlyphSD, c.x, c.y, nFlags);
      return 1;
    }
  }
  return 0;
}
