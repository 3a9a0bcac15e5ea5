// Printing with a font: the text loop over the fixed-pitch grid or the proportional lines, the
// glyph caches, the picture characters, boxes and measuring.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "draw/blit.h"
#include "draw/context.h"
#include "draw/fill.h"
#include "draw/font.h"
#include "draw/frames_numbers.h"
#include "draw/present.h"
#include "platform/sjis.h"

namespace {

// One character of a text being walked: its bytes (0 when the text ends, including a lead
// byte that has no byte after it).
int CharBytes(const char* p) {
  const auto c = static_cast<unsigned char>(p[0]);
  if (!c) return 0;
  if (IsSjisLeadByte(c)) {
    if (!p[1]) return 0;
    if (IsSjisTrailByte(static_cast<unsigned char>(p[1]))) return 2;
  }
  return 1;
}

// The fixed-pitch pen over a text: each character takes one cell, a line end moves the pen to
// the start of the next line.
struct GridPen {
  const char* p;
  int cellWidth;
  int lineHeight;
  int x = 0;
  int y = 0;
  int bytes = 0;  // of the current character
  // Moves to the next character that is not a line end; false at the end of the text.
  bool Next() {
    if (bytes) {
      p += bytes;
      x += cellWidth;
    }
    while ((bytes = CharBytes(p)) == 1 && *p == '\n') {
      ++p;
      x = 0;
      y += lineHeight;
    }
    return bytes != 0;
  }
};

// Lines and the largest number of characters of a line.
void CountGrid(const char* text, int* lpColumns, int* lpLines) {
  int lines = 1, columns = 0, longest = 0;
  for (const char* p = text; int n = CharBytes(p); p += n) {
    if (*p == '\n') {
      ++lines;
      columns = 0;
      continue;
    }
    longest = std::max(longest, ++columns);
  }
  *lpColumns = longest;
  *lpLines = lines;
}

HDC SurfaceDC(DDSURFACEDATA* lpSD) {
  HDC dc = nullptr;
  if (lpSD && lpSD->lpDT && lpSD->lpDT->lpSurface) {
    if (FAILED(lpSD->lpDT->lpSurface->GetDC(&dc))) dc = nullptr;
  } else if (lpSD && lpSD->lpDDObj && lpSD->lpDDObj->lpSurface) {
    if (FAILED(lpSD->lpDDObj->lpSurface->GetDC(&dc))) dc = nullptr;
  }
  return dc;
}

void ReleaseSurfaceDC(DDSURFACEDATA* lpSD, HDC dc) {
  if (!dc) return;
  if (lpSD->lpDT && lpSD->lpDT->lpSurface) {
    lpSD->lpDT->lpSurface->ReleaseDC(dc);
  } else if (lpSD->lpDDObj && lpSD->lpDDObj->lpSurface) {
    lpSD->lpDDObj->lpSurface->ReleaseDC(dc);
  }
}

// A DC of the surface with the font selected, a transparent background and the text colour;
// null when the surface gives none.
HDC OpenTextDC(DDSURFACEDATA* lpSD, HFONT font, COLORREF color, HGDIOBJ* old) {
  HDC dc = SurfaceDC(lpSD);
  if (!dc) return nullptr;
  *old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color);
  return dc;
}

void CloseTextDC(DDSURFACEDATA* lpSD, HDC dc, HGDIOBJ old) {
  SelectObject(dc, old);
  ReleaseSurfaceDC(lpSD, dc);
}

// An x or y of FONT_CENTER centres a side of length n on a side of length full.
int Centre(int v, int full, int n) { return v == FONT_CENTER ? (full >> 1) - (n >> 1) : v; }

constexpr DWORD kSpriteFlags = D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE;

}  // namespace

int cFont::LineLength(const char* szText) {
  const char* nl = std::strchr(szText, '\n');
  return nl ? static_cast<int>(nl - szText) : static_cast<int>(std::strlen(szText));
}

void cFont::GetTextSize(const char* szText, int* lpWidth, int* lpHeight) {
  int columns = 0, lines = 0;
  CountGrid(szText, &columns, &lines);
  *lpWidth = columns * nCellWidth;
  *lpHeight = lines * nLineHeight;
}

void cFont::GetTextExtent(HDC hDC, const char* szText, int* lpWidth, int* lpHeight) {
  int width = 0, lines = 0;
  HGDIOBJ old = m_hFont ? SelectObject(hDC, m_hFont) : nullptr;
  for (const char* p = szText;; ++lines) {
    const int len = LineLength(p);
    int w = 0;
    if (lpDTCon) {
      // Under Direct3D the text is measured with the face that draws it.
      RECT r{0, 0, 0, 0};
      if (lpFont) lpFont->DrawTextA(nullptr, p, len, &r, DT_CALCRECT, m_dwColor);
      w = r.right - r.left;
    } else {
      SIZE sz{0, 0};
      GetTextExtentPoint32A(hDC, p, len, &sz);
      w = sz.cx;
    }
    width = std::max(width, w);
    if (!p[len]) break;
    p += len + 1;
  }
  if (old) SelectObject(hDC, old);
  *lpWidth = width;
  *lpHeight = (lines + 1) * nLineHeight;
}

void cFont::MeasureText(const char* szText, int* lpWidth, int* lpHeight) {
  if (nCellWidth) {
    GetTextSize(szText, lpWidth, lpHeight);
    return;
  }
  HDC dc = lpDTCon ? nullptr : SurfaceDC(&m_WorkSD);
  GetTextExtent(dc, szText, lpWidth, lpHeight);
  ReleaseSurfaceDC(&m_WorkSD, dc);
}

int cFont::Print(DDSURFACEDATA* lpDstSD, int x, int y, const char* szText, int bNoPicture) {
  if (!lpDstSD || !szText) return 1;
  // A font whose glyph caches could not be made skips its texts.
  if (m_nCache && (!m_lpFastFont_Half || !m_lpFastFont_FullAdd)) return 1;
  const int picture = m_bPicture && !bNoPicture;
  int w = 0, h = 0;
  if (lpDTCon) {
    if (!lpFont || !lpSprite) return 1;
    DDUseSubstitute(&lpDstSD);
    DDRedirectBackBuffer(&lpDstSD);
    if (!lpDstSD->lpDT) return 1;
    const bool toSystem = lpDstSD->lpDT->dwMemoryType == DTMEMORYTYPE_SYSTEM && !lpDstSD->lpDT->bRenderTarget;
    DDSURFACEDATA* target = toSystem ? &m_WorkSD : lpDstSD;
    const int xw = toSystem ? 0 : x, yw = toSystem ? 0 : y;
    if (toSystem) {
      MeasureText(szText, &w, &h);
      DDFillRect(&m_WorkSD, 0, 0, w, h, 0);
    }
    if (!m_nCache) {
      if (!DDBeginScene()) return 1;
      DDSetRenderTarget(0, target);
      lpSprite->Begin(kSpriteFlags);
    }
    DrawFast(target, nullptr, xw, yw, lpDstSD, x, y, szText, picture);
    if (!m_nCache) lpSprite->End();
    DrawPictureChar(target, xw, yw, szText);
    if (!m_nCache) DDSetRenderTarget(0, lpDTCon->lpDefaultTargetSD);
    if (toSystem) DDBltFast(lpDstSD, x, y, w, h, &m_WorkSD, 0, 0, 1);
    return 1;
  }
  MeasureText(szText, &w, &h);
  DDFillRect(&m_WorkSD, 0, 0, w, h, 0);
  HGDIOBJ old = nullptr;
  if (HDC dc = OpenTextDC(&m_WorkSD, m_hFont, m_dwColor, &old)) {
    DrawFast(&m_WorkSD, dc, 0, 0, lpDstSD, x, y, szText, picture);
    CloseTextDC(&m_WorkSD, dc, old);
  }
  DDBltFast(lpDstSD, x, y, w, h, &m_WorkSD, 0, 0, 1);
  DrawPictureChar(lpDstSD, x, y, szText);
  return 1;
}

void cFont::DrawFast(DDSURFACEDATA* lpWorkSD, HDC hDC, int xWork, int yWork, DDSURFACEDATA* lpDstSD, int xDst,
                     int yDst, const char* szText, int bPicture) {
  DDBeginSpriteBatch(1);
  if (!nCellWidth) {
    // Proportional: each line drawn whole, nLineHeight below the one before.
    int yl = yWork;
    for (const char* p = szText;; yl += nLineHeight) {
      const int len = LineLength(p);
      if (lpDTCon) {
        RECT r{xWork, yl, xWork, yl};
        if (lpFont) lpFont->DrawTextA(lpSprite, p, len, &r, DT_NOCLIP, m_dwColor);
      } else {
        TextOutA(hDC, xWork, yl, p, len);
      }
      if (!p[len]) break;
      p += len + 1;
    }
    DDFlushSpriteBatch();
    return;
  }
  const bool cached = m_nCache && m_lpFastFont_Half && m_lpFastFont_FullAdd;
  for (GridPen pen{szText, nCellWidth, nLineHeight}; pen.Next();) {
    const char* p = pen.p;
    const int px = pen.x, py = pen.y;
    const auto c = static_cast<unsigned char>(*p);
    if (pen.bytes == 2) {
      if (c == 0x81 && static_cast<unsigned char>(p[1]) == 0x40) continue;  // the full-width space
      const char two[3] = {p[0], p[1], 0};
      if (!cached) {
        DrawChar(lpWorkSD, hDC, xWork + px, yWork + py, two, 2);
      } else if (!m_lpFastFont_FullAdd->DrawChar(lpDstSD, xDst + px, yDst + py, two, 1)) {
        if (m_lpFastFont_FullAdd->AddChar(two)) {
          AddFullWidthGlyph(two, lpDstSD, xDst + px, yDst + py);
        } else {
          DrawChar(lpWorkSD, hDC, xWork + px, yWork + py, two, 2);
        }
      }
      continue;
    }
    if (c == ' ') continue;
    if (bPicture && c >= 'a' && c <= 'z') continue;  // the picture pass draws it
    if (cached) {
      m_lpFastFont_Half->DrawCell(lpDstSD, xDst + px, yDst + py, c, 1);
    } else {
      const char one[2] = {p[0], 0};
      DrawChar(lpWorkSD, hDC, xWork + px, yWork + py, one, 1);
    }
  }
  DDFlushSpriteBatch();
}

void cFont::AddFullWidthGlyph(const char* szChar, DDSURFACEDATA* lpDstSD, int x, int y) {
  cBmpFont* full = m_lpFastFont_FullAdd;
  const BMPFONTCHAR& cell = full->m_CharList.back();
  DDSURFACEDATA* sheet = &full->m_GlyphSD;
  if (lpDTCon) {
    // Caches are on: DrawChar opens the scene and makes the sheet the render target itself.
    DrawChar(sheet, nullptr, cell.x, cell.y, szChar, 2);
  } else {
    if (DDBpp == 8 && lpDDPal) lpDDPal->SetEntries(0, 0, 256, DDPalette);
    HGDIOBJ old = nullptr;
    if (HDC dc = OpenTextDC(sheet, m_hFont, m_dwColor, &old)) {
      DrawChar(sheet, dc, cell.x, cell.y, szChar, 2);
      CloseTextDC(sheet, dc, old);
    }
    if (DDBpp == 8 && lpDDPal) lpDDPal->SetEntries(0, 0, 256, DDPaletteWork);
  }
  full->DrawChar(lpDstSD, x, y, szChar, 1);
}

void cFont::DrawChar(DDSURFACEDATA* lpSD, HDC hDC, int x, int y, const char* szChar, int nBytes) {
  int cx = nBytes == 1 ? x + nCellWidth / 8 : x;
  int cy = nBytes == 1 ? y + nLineHeight / 16 - 1 : y;
  if (m_bCenter) {
    int ew = 0, eh = 0;
    if (lpDTCon) {
      RECT r{0, 0, 0, 0};
      if (lpFont) lpFont->DrawTextA(lpSprite, szChar, nBytes, &r, DT_CALCRECT, m_dwColor);
      ew = r.right - r.left;
      eh = r.bottom - r.top;
    } else {
      SIZE sz{0, 0};
      GetTextExtentPoint32A(hDC, szChar, nBytes, &sz);
      ew = sz.cx;
      eh = sz.cy;
    }
    cx = x + nCellWidth / 2 - ew / 2;
    cy = y + nLineHeight / 2 - eh / 2;
  }
  if (!lpDTCon) {
    TextOutA(hDC, cx, cy, szChar, nBytes);
    return;
  }
  if (!lpFont || !lpSprite) return;
  if (m_nCache) {
    if (!DDBeginScene()) return;
    DDSetRenderTarget(0, lpSD);
    lpSprite->Begin(kSpriteFlags);
  }
  RECT r{cx, cy, cx, cy};
  lpFont->DrawTextA(lpSprite, szChar, nBytes, &r, DT_NOCLIP, m_dwColor);
  if (m_nCache) {
    lpSprite->End();
    DDSetRenderTarget(0, lpDTCon->lpDefaultTargetSD);
  }
}

void cFont::DrawPictureChar(DDSURFACEDATA* lpDstSD, int x, int y, const char* szText) {
  if (!m_bPicture || !SurfaceMade(m_lpPictureSD) || !nCellWidth) return;
  DDBeginSpriteBatch(0);
  for (GridPen pen{szText, nCellWidth, nLineHeight}; pen.Next();) {
    const auto c = static_cast<unsigned char>(*pen.p);
    if (pen.bytes == 1 && c >= 'a' && c <= 'z') {
      DDBltFast(lpDstSD, x + pen.x, y + pen.y, nCellWidth, nLineHeight, m_lpPictureSD, nCellWidth * (c - 'a'), 0, 1);
    }
  }
  DDFlushSpriteBatch();
}

int cFont::Printf(DDSURFACEDATA* lpDstSD, int x, int y, const char* szFormat, ...) {
  char text[256];
  va_list args;
  va_start(args, szFormat);
  std::vsnprintf(text, sizeof text, szFormat, args);
  va_end(args);
  return Print(lpDstSD, x, y, text, 0);
}

void cFont::DrawBox(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h) {
  const int bw = m_lpBoxSD ? m_lpBoxSD->nWidth : 0, bh = m_lpBoxSD ? m_lpBoxSD->nHeight : 0;
  DDBltFramed(lpDstSD, Centre(x, bw, w), Centre(y, bh, h), w, h, m_lpBoxSD, nBoxMargin, static_cast<DWORD>(nBoxColor));
}

void cFont::PrintInBox(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, const char* szText, int nIndent) {
  PrintInBoxEx(lpDstSD, x, y, w, h, szText, nIndent, m_dwColor);
}

void cFont::PrintInBoxEx(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, const char* szText, int nIndent, DWORD) {
  if (!lpDstSD || !szText) return;
  if (!w || !h) {
    int tw = 0, th = 0;
    if (nCellWidth) {
      GetTextSize(szText, &tw, &th);
    } else {
      HDC dc = lpDTCon ? nullptr : SurfaceDC(lpDstSD);
      GetTextExtent(dc, szText, &tw, &th);
      ReleaseSurfaceDC(lpDstSD, dc);
    }
    if (!w) w = nIndent + tw;
    if (!h) h = th;
  }
  const int bw = m_lpBoxSD ? m_lpBoxSD->nWidth : 0, bh = m_lpBoxSD ? m_lpBoxSD->nHeight : 0;
  x = Centre(x, bw, w);
  y = Centre(y, bh, h);
  DDBltFramed(lpDstSD, x, y, w, h, m_lpBoxSD, nBoxMargin, static_cast<DWORD>(nBoxColor));
  Print(lpDstSD, x + nIndent, y, szText, 0);
}

void cFont::PrintfInBox(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, const char* szFormat, ...) {
  char text[512];
  va_list args;
  va_start(args, szFormat);
  std::vsnprintf(text, sizeof text, szFormat, args);
  va_end(args);
  PrintInBoxEx(lpDstSD, x, y, w, h, text, 0, m_dwColor);
}
