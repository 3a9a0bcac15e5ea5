// Stands in for the GDI subset of the drawing layer: bitmaps loaded from BMP files as
// device-independent bitmaps (DIB sections), memory device contexts, device contexts of
// Direct3D and DirectDraw surfaces, BitBlt and StretchBlt from a bitmap into a surface with
// colour conversion, the colour table, fonts, and the display settings.
//
// Text is drawn and measured by a text engine that plugs in through SetGdiTextEngine (below);
// without one, TextOutA draws nothing and GetTextExtentPoint32A measures 0 × 0.
#pragma once

#include <cstdint>

#include "platform/pixels.h"
#include "platform/wintypes.h"

typedef void* HGDIOBJ;
struct HBITMAP__;
typedef HBITMAP__* HBITMAP;
struct HFONT__;
typedef HFONT__* HFONT;

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT LR_LOADFROMFILE = 0x00000010;
constexpr UINT LR_CREATEDIBSECTION = 0x00002000;
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr DWORD SHIFTJIS_CHARSET = 128;

constexpr BYTE PC_RESERVED = 0x01;
constexpr BYTE PC_EXPLICIT = 0x02;

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  void* bmBits;
};

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};

struct RGBTRIPLE {
  BYTE rgbtBlue;
  BYTE rgbtGreen;
  BYTE rgbtRed;
};

struct PALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
};

inline constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | static_cast<COLORREF>(g) << 8 | static_cast<COLORREF>(b) << 16;
}

// Display settings.
constexpr DWORD DM_BITSPERPEL = 0x00040000;
constexpr DWORD DM_PELSWIDTH = 0x00080000;
constexpr DWORD DM_PELSHEIGHT = 0x00100000;
constexpr DWORD DM_DISPLAYFREQUENCY = 0x00400000;
constexpr DWORD CDS_TEST = 0x00000002;
constexpr DWORD CDS_FULLSCREEN = 0x00000004;
constexpr LONG DISP_CHANGE_SUCCESSFUL = 0;
constexpr LONG DISP_CHANGE_FAILED = -1;

struct DEVMODEA {
  WORD dmSize;
  DWORD dmFields;
  DWORD dmBitsPerPel;
  DWORD dmPelsWidth;
  DWORD dmPelsHeight;
  DWORD dmDisplayFrequency;
};

// Stands in for LoadImageA: only bitmaps from files (LR_LOADFROMFILE), at their own size
// (cx = cy = 0). The result is a DIB section of the file's depth whose rows are bottom-up
// (GetObjectA's bmBits points at the bottom row), RLE files decoded. Null when the file is
// missing or refused (see bmp.h).
HANDLE LoadImageA(HINSTANCE hInst, const char* name, UINT type, int cx, int cy, UINT fuLoad);

// Stands in for GetObjectA: a bitmap's BITMAP. Returns the bytes written, or the size needed
// when pv is null; 0 for anything else.
int GetObjectA(HANDLE h, int c, void* pv);

// Stands in for CreateCompatibleDC: a memory DC (any hdc argument); a bitmap is selected into
// it to be a blit source.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);

// Stands in for SelectObject: selects a bitmap (memory DCs) or a font; returns the object
// selected before (at first the DC's stock object), or null for an unknown object.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);

// Stands in for DeleteObject: fails for an object still selected into a DC, as GDI does.
BOOL DeleteObject(HGDIOBJ ho);

// Stands in for GetDIBColorTable: colour-table entries of the bitmap selected into hdc. The
// whole table of a bitmap of up to 8 bits is returned (2^depth entries; those the file did not
// give are black); 0 for deeper bitmaps.
UINT GetDIBColorTable(HDC hdc, UINT iStart, UINT cEntries, RGBQUAD* prgbq);

// Stands in for BitBlt and StretchBlt (SRCCOPY) from a bitmap or surface DC into a surface DC,
// converting colours: 5/6-bit channels are truncated from 8 bits; 8-bit surfaces receive the
// nearest entry of their palette; 32-bit surfaces receive 0x00RRGGBB. StretchBlt samples the
// source pixel under each destination pixel centre. A negative extent counts from its origin
// toward lower coordinates, the origin pixel included, and mirrors when the source and
// destination extents differ in sign: StretchBlt(x + w − 1, y, −w, h, src, sx, sy, w, h) puts
// the cell flipped into columns x .. x + w − 1. Destination pixels outside the surface and
// source pixels outside the source are left out.
BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop);
BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc, int wSrc,
                int hSrc, DWORD rop);

int SetBkMode(HDC hdc, int mode);
COLORREF SetTextColor(HDC hdc, COLORREF color);

// Stands in for CreateFontA: a font object holding the request; the text engine reads it.
HFONT CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight, DWORD bItalic,
                  DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision, DWORD iClipPrecision,
                  DWORD iQuality, DWORD iPitchAndFamily, const char* pszFaceName);

// Stand in for TextOutA and GetTextExtentPoint32A: handed to the text engine.
BOOL TextOutA(HDC hdc, int x, int y, const char* lpString, int c);
BOOL GetTextExtentPoint32A(HDC hdc, const char* lpString, int c, SIZE* psizl);

// Stands in for GetDeviceCaps: BITSPIXEL is 32 for the screen (the desktop always runs at 32
// bits here) and the surface's depth for a surface DC; PLANES is 1.
int GetDeviceCaps(HDC hdc, int index);

// Stand in for GetDC and ReleaseDC of a window: a DC of the screen, without pixels.
HDC GetDC(HWND hWnd);
int ReleaseDC(HWND hWnd, HDC hDC);

// Stands in for ChangeDisplaySettingsA: the desktop's mode cannot be changed here. A request
// that matches the current mode (or none) reports success; any other reports failure.
LONG ChangeDisplaySettingsA(DEVMODEA* lpDevMode, DWORD dwFlags);

// The text engine's seam.
struct GdiFontDesc {
  int height = 0;
  int width = 0;
  int weight = 0;
  int italic = 0;
  int charSet = 0;
  int quality = 0;
  int pitchAndFamily = 0;
  char faceName[32] = {};  // Shift-JIS, as given
};

class GdiTextEngine {
 public:
  virtual ~GdiTextEngine() = default;
  virtual BOOL TextOut(HDC hdc, int x, int y, const char* text, int count) = 0;
  virtual BOOL GetTextExtent(HDC hdc, const char* text, int count, SIZE* size) = 0;
};
// Installs the text engine (null: none). The caller keeps it alive while installed.
void SetGdiTextEngine(GdiTextEngine* engine);

namespace gfx {

// What a DC holds, for the text engine: the pixels it draws into (null for the screen and for
// memory DCs), the palette of an 8-bit surface (256 words 0x00RRGGBB), the font, the text
// colour and the background mode.
struct DcInfo {
  PixelBuffer* pixels = nullptr;
  const uint32_t* palette = nullptr;
  HFONT font = nullptr;
  COLORREF textColor = 0;
  int bkMode = OPAQUE;
};
bool GetDcInfo(HDC hdc, DcInfo* info);
const GdiFontDesc* GetFontDesc(HFONT font);
// A GDI colour as a pixel value of the DC's surface (the nearest palette entry at 8 bits).
uint32_t ColorToPixel(const DcInfo& info, COLORREF color);

// DCs of device surfaces (Direct3D and DirectDraw GetDC): drawing goes into pixels; palette
// (copied) gives the colours of an 8-bit surface.
HDC CreateSurfaceDC(PixelBuffer* pixels, const uint32_t* palette);
void DestroySurfaceDC(HDC hdc);

}  // namespace gfx
