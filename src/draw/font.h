// The system's text drawing objects: a font made from a font definition draws Shift-JIS text in
// a palette colour with a GDI font (DirectDraw) or a D3DX font and sprite (Direct3D),
// proportional or on a fixed-pitch grid of cells, optionally from two glyph caches (a
// half-width sheet of the byte values 16..255 and a full-width sheet that grows with every new
// character), with the lowercase letters a..z drawn as pictures from a sheet, and in boxes.
//
// Texts are Shift-JIS; "\n" starts a new line. The coordinate FONT_CENTER given as x or y of a
// box operation centres the box on the box picture.
#pragma once

#include <list>

#include "draw/bitmap_entry.h"
#include "draw/bmp_font.h"
#include "draw/font_def.h"
#include "draw/surface_data.h"
#include "platform/d3dx9.h"
#include "platform/gdi.h"

constexpr int FONT_CENTER = 10000;

// The 256 full-width characters every full-width cache starts with.
extern const char g_FontCacheSet[];

class cFont {
 public:
  cFont() = default;
  ~cFont();
  cFont(const cFont&) = delete;
  cFont& operator=(const cFont&) = delete;

  // Makes the font for the running back-end: its colour from DDPalette entry nColor, the work
  // surface, and the caches when nCache is on and both cell sizes are set.
  void Create(const char* lpszFace, int nWidth, int nHeight, int nCellWidth, int nLineHeight, int nColor,
              DDSURFACEDATA* lpBoxSD, int nBoxMargin, int nBoxColor, DDSURFACEDATA* lpPictureSD, int nCache);
  // Releases the font objects, the work surface and the caches.
  void Release();

  // Print the half-width cache's byte values, and the full-width cache's characters (bRebuild
  // 0: the common set first; 1: the characters already placed, in their cells).
  void BuildHalfCache();
  void BuildFullCache(int bRebuild);
  // Clears lpSD and prints "0123456789" on it with the font: the digits of a number sheet.
  static void MakeDigitSheet(DDSURFACEDATA* lpSD, cFont* lpFont);
  // The device's part of a Direct3D reset: the D3DX font and sprite let go of their device
  // objects before it and take them again after it. A failure is logged and the pass goes on.
  void OnLostDevice();
  void OnResetDevice();
  // Redraws lost caches after a restore.
  void OnRestore();

  // Draws the text with its top-left corner at (x, y). bNoPicture non-zero draws the lowercase
  // letters as letters too (the picture pass still draws over them). Returns 1.
  int Print(DDSURFACEDATA* lpDstSD, int x, int y, const char* szText, int bNoPicture = 0);
  // printf-style into at most 255 bytes, then Print.
  int Printf(DDSURFACEDATA* lpDstSD, int x, int y, const char* szFormat, ...) __attribute__((format(printf, 5, 6)));
  // The box picture framed nBoxMargin thick at (x, y, w, h).
  void DrawBox(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h);
  // A box (sized to the text when w or h is 0) with the text in it, indented by nIndent.
  void PrintInBox(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, const char* szText, int nIndent);
  // The same; the colour argument is not used (the text has the font's colour).
  void PrintInBoxEx(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, const char* szText, int nIndent,
                    DWORD dwColor);
  // printf-style into at most 511 bytes, then PrintInBoxEx with indent 0.
  void PrintfInBox(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h, const char* szFormat, ...)
      __attribute__((format(printf, 7, 8)));

  // Width and height of a text in a fixed-pitch font: the longest line's characters × the cell
  // width, the lines × the line height.
  void GetTextSize(const char* szText, int* lpWidth, int* lpHeight);
  // Width and height of a text measured in hDC with the font's face: the largest line extent,
  // the lines × the line height.
  void GetTextExtent(HDC hDC, const char* szText, int* lpWidth, int* lpHeight);
  // Bytes before the first "\n" or the end.
  static int LineLength(const char* szText);

  int m_nIndex = 0;
  HFONT m_hFont = nullptr;
  ID3DXFont* lpFont = nullptr;
  ID3DXSprite* lpSprite = nullptr;
  const char* m_lpszFace = nullptr;
  int m_nWidth = 0;
  int m_nHeight = 0;
  int nCellWidth = 0;
  int nLineHeight = 0;
  int m_nColor = 0;
  DWORD m_dwColor = 0;
  int m_bCenter = 0;
  DDSURFACEDATA m_WorkSD;
  DDSURFACEDATA* m_lpBoxSD = nullptr;
  int nBoxMargin = 0;
  int nBoxColor = 0;
  DDSURFACEDATA* m_lpPictureSD = nullptr;
  int m_bPicture = 0;
  int m_nCache = 0;
  cBmpFont* m_lpFastFont_Half = nullptr;
  cBmpFont* m_lpFastFont_FullAdd = nullptr;

 private:
  void DeleteCaches();
  void DrawFast(DDSURFACEDATA* lpWorkSD, HDC hDC, int xWork, int yWork, DDSURFACEDATA* lpDstSD, int xDst, int yDst,
                const char* szText, int bPicture);
  void DrawChar(DDSURFACEDATA* lpSD, HDC hDC, int x, int y, const char* szChar, int nBytes);
  void DrawPictureChar(DDSURFACEDATA* lpDstSD, int x, int y, const char* szText);
  void AddFullWidthGlyph(const char* szChar, DDSURFACEDATA* lpDstSD, int x, int y);
  void MeasureText(const char* szText, int* lpWidth, int* lpHeight);
  void PrintCacheText(cBmpFont* lpCache, const char* szText);
};

// The three fonts of the system and every font made so far.
constexpr int FONT_COUNT_MAX = 3;
extern cFont g_Font[FONT_COUNT_MAX];
extern std::list<cFont*> g_FontList;

// The fonts' part of a restore, for every font of g_FontList: with 0 before a Direct3D reset
// (OnLostDevice), with 1 after every restore (OnResetDevice, then OnRestore). cFont::Create
// installs it as the drawing layer's restore hook.
void DDRestoreFonts(int bAfter);

// cFont::Create for each of n definitions, with the image numbers turned into system images.
int CreateFonts(cFont* lpFonts, const FONTDEF* lpDefs, int n);
// One digit sheet per font: cell width × 10 by line height, made as entry i says, then drawn.
int CreateNumberFonts(DDSURFACEDATA* lpSurfaces, const BitmapEntry* lpEntries, int n, cFont* lpFonts);
