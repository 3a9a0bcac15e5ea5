#include "platform/gdi.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "platform/bmp.h"
#include "platform/display.h"

struct HBITMAP__ {
  gfx::Dib dib;
  std::atomic<int> selected{0};  // DCs it is selected into
  bool stock = false;
};

struct HFONT__ {
  GdiFontDesc desc;
  std::atomic<int> selected{0};
  bool stock = false;
};

struct HDC__ {
  gfx::PixelBuffer* pixels = nullptr;  // surface DC
  std::array<uint32_t, 256> palette{};
  bool hasPalette = false;
  bool memory = false;
  bool screen = false;
  HBITMAP bitmap = nullptr;
  HFONT font = nullptr;
  COLORREF textColor = 0;
  int bkMode = OPAQUE;
};

namespace {

enum class GdiKind { kBitmap, kFont };

std::mutex g_mutex;
std::map<const void*, GdiKind> g_objects;  // live bitmaps and fonts
std::set<const void*> g_dcs;      // live DCs
std::atomic<GdiTextEngine*> g_textEngine{nullptr};

// The objects selected into a new DC: a 1×1 monochrome bitmap and the system font.
HBITMAP StockBitmap() {
  static HBITMAP__* bmp = [] {
    HBITMAP__* b = new HBITMAP__;
    b->stock = true;
    b->dib.width = b->dib.height = 1;
    b->dib.bitCount = 1;
    b->dib.stride = 4;
    b->dib.colorsUsed = 2;
    b->dib.colorTable = {0, 0, 0, 0, 255, 255, 255, 0};
    b->dib.bits.assign(4, 0);
    std::lock_guard<std::mutex> lock(g_mutex);
    g_objects[b] = GdiKind::kBitmap;
    return b;
  }();
  return bmp;
}

HFONT StockFont() {
  static HFONT__* font = [] {
    HFONT__* f = new HFONT__;
    f->stock = true;
    f->desc.height = 16;
    f->desc.charSet = static_cast<int>(SHIFTJIS_CHARSET);
    std::lock_guard<std::mutex> lock(g_mutex);
    g_objects[f] = GdiKind::kFont;
    return f;
  }();
  return font;
}

bool IsKind(HGDIOBJ h, GdiKind kind) {
  if (!h) return false;
  StockBitmap();
  StockFont();
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = g_objects.find(h);
  return it != g_objects.end() && it->second == kind;
}

HBITMAP AsBitmap(HGDIOBJ h) { return IsKind(h, GdiKind::kBitmap) ? static_cast<HBITMAP>(h) : nullptr; }
HFONT AsFont(HGDIOBJ h) { return IsKind(h, GdiKind::kFont) ? static_cast<HFONT>(h) : nullptr; }

bool LiveDc(HDC hdc) {
  if (!hdc) return false;
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_dcs.count(hdc) != 0;
}

HDC NewDc() {
  HDC dc = new HDC__;
  dc->bitmap = StockBitmap();
  dc->font = StockFont();
  std::lock_guard<std::mutex> lock(g_mutex);
  g_dcs.insert(dc);
  return dc;
}

void FreeDc(HDC dc) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_dcs.erase(dc);
  }
  if (dc->bitmap) --dc->bitmap->selected;
  if (dc->font) --dc->font->selected;
  delete dc;
}

// Reads pixels of a blit source (a bitmap DC or a surface DC) as 0x00RRGGBB.
class Source {
 public:
  explicit Source(HDC dc) : dc_(dc) {}
  bool Valid() const { return dc_->pixels ? !dc_->pixels->Empty() : (dc_->bitmap && !dc_->bitmap->dib.bits.empty()); }
  int Width() const { return dc_->pixels ? dc_->pixels->width : dc_->bitmap->dib.width; }
  int Height() const { return dc_->pixels ? dc_->pixels->height : dc_->bitmap->dib.height; }
  uint32_t At(int x, int y) const {
    if (!dc_->pixels) return dc_->bitmap->dib.ColorAt(x, y);
    const gfx::PixelBuffer& p = *dc_->pixels;
    const uint32_t v = p.Get(x, y);
    if (p.format == gfx::PixelFormat::kIndex8) return dc_->palette[v & 0xFF];
    return gfx::WidenToArgb(p.format, v) & 0x00FFFFFFu;
  }

 private:
  HDC dc_;
};

uint32_t NearestIndex(const std::array<uint32_t, 256>& palette, uint32_t rgb) {
  int best = 0;
  int64_t bestDist = INT64_MAX;
  for (int i = 0; i < 256; ++i) {
    const int dr = static_cast<int>((palette[i] >> 16) & 0xFF) - static_cast<int>((rgb >> 16) & 0xFF);
    const int dg = static_cast<int>((palette[i] >> 8) & 0xFF) - static_cast<int>((rgb >> 8) & 0xFF);
    const int db = static_cast<int>(palette[i] & 0xFF) - static_cast<int>(rgb & 0xFF);
    const int64_t d = int64_t{dr} * dr + int64_t{dg} * dg + int64_t{db} * db;
    if (d < bestDist) {
      bestDist = d;
      best = i;
      if (d == 0) break;
    }
  }
  return static_cast<uint32_t>(best);
}

// A colour 0x00RRGGBB as a pixel of a surface DC.
uint32_t SurfacePixel(HDC dc, uint32_t rgb) {
  switch (dc->pixels->format) {
    case gfx::PixelFormat::kIndex8:
      return NearestIndex(dc->palette, rgb);
    case gfx::PixelFormat::kX8R8G8B8:
      return rgb & 0x00FFFFFFu;
    case gfx::PixelFormat::kA8R8G8B8:
      return rgb | 0xFF000000u;
    default:
      return gfx::NarrowFromArgb(dc->pixels->format, rgb | 0xFF000000u);
  }
}

// One signed extent: the pixel coordinates it covers, walked from its origin.
struct Extent {
  int origin;
  int length;  // absolute
  int step;    // +1 or −1
  int At(int k) const { return origin + step * k; }
};

Extent MakeExtent(int origin, int extent) {
  return extent >= 0 ? Extent{origin, extent, 1} : Extent{origin, -extent, -1};
}

BOOL Blit(HDC dst, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc, int ySrc, int wSrc, int hSrc,
          DWORD rop) {
  if (rop != SRCCOPY || !LiveDc(dst) || !LiveDc(src)) return FALSE;
  if (!dst->pixels || dst->pixels->Empty()) return FALSE;
  Source s(src);
  if (!s.Valid()) return FALSE;
  if (wDest == 0 || hDest == 0 || wSrc == 0 || hSrc == 0) return TRUE;
  const Extent dx = MakeExtent(xDest, wDest), dy = MakeExtent(yDest, hDest);
  const Extent sx = MakeExtent(xSrc, wSrc), sy = MakeExtent(ySrc, hSrc);
  gfx::PixelBuffer& out = *dst->pixels;
  const int sw = s.Width(), sh = s.Height();
  for (int j = 0; j < dy.length; ++j) {
    const int py = dy.At(j);
    if (py < 0 || py >= out.height) continue;
    const int64_t kj = (int64_t{2} * j + 1) * sy.length / (int64_t{2} * dy.length);
    const int qy = sy.At(static_cast<int>(kj));
    if (qy < 0 || qy >= sh) continue;
    for (int i = 0; i < dx.length; ++i) {
      const int px = dx.At(i);
      if (px < 0 || px >= out.width) continue;
      const int64_t ki = (int64_t{2} * i + 1) * sx.length / (int64_t{2} * dx.length);
      const int qx = sx.At(static_cast<int>(ki));
      if (qx < 0 || qx >= sw) continue;
      out.Set(px, py, SurfacePixel(dst, s.At(qx, qy)));
    }
  }
  return TRUE;
}

}  // namespace

HANDLE LoadImageA(HINSTANCE, const char* name, UINT type, int cx, int cy, UINT fuLoad) {
  if (type != IMAGE_BITMAP || !(fuLoad & LR_LOADFROMFILE)) return nullptr;
  gfx::Dib dib;
  if (!gfx::LoadBmpFile(name, &dib)) return nullptr;
  if ((cx != 0 && cx != dib.width) || (cy != 0 && cy != dib.height)) return nullptr;
  HBITMAP b = new HBITMAP__;
  b->dib = std::move(dib);
  std::lock_guard<std::mutex> lock(g_mutex);
  g_objects[b] = GdiKind::kBitmap;
  return b;
}

int GetObjectA(HANDLE h, int c, void* pv) {
  HBITMAP b = AsBitmap(h);
  if (!b) return 0;
  if (!pv) return static_cast<int>(sizeof(BITMAP));
  if (c < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP bm{};
  bm.bmType = 0;
  bm.bmWidth = b->dib.width;
  bm.bmHeight = b->dib.height;
  bm.bmWidthBytes = b->dib.stride;
  bm.bmPlanes = 1;
  bm.bmBitsPixel = static_cast<WORD>(b->dib.bitCount);
  bm.bmBits = b->dib.bits.data();
  std::memcpy(pv, &bm, sizeof(bm));
  return static_cast<int>(sizeof(BITMAP));
}

HDC CreateCompatibleDC(HDC) {
  HDC dc = NewDc();
  dc->memory = true;
  ++dc->bitmap->selected;
  ++dc->font->selected;
  return dc;
}

BOOL DeleteDC(HDC hdc) {
  if (!LiveDc(hdc) || !hdc->memory) return FALSE;
  FreeDc(hdc);
  return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
  if (!LiveDc(hdc)) return nullptr;
  if (HBITMAP b = AsBitmap(h)) {
    if (!hdc->memory) return nullptr;
    HBITMAP old = hdc->bitmap;
    if (old) --old->selected;
    hdc->bitmap = b;
    ++b->selected;
    return old;
  }
  if (HFONT f = AsFont(h)) {
    HFONT old = hdc->font;
    if (old) --old->selected;
    hdc->font = f;
    ++f->selected;
    return old;
  }
  return nullptr;
}

BOOL DeleteObject(HGDIOBJ ho) {
  if (HBITMAP b = AsBitmap(ho)) {
    if (b->stock) return TRUE;
    if (b->selected > 0) return FALSE;
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      g_objects.erase(b);
    }
    delete b;
    return TRUE;
  }
  HFONT f = AsFont(ho);
  if (!f) return FALSE;
  if (f->stock) return TRUE;
  if (f->selected > 0) return FALSE;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_objects.erase(f);
  }
  delete f;
  return TRUE;
}

UINT GetDIBColorTable(HDC hdc, UINT iStart, UINT cEntries, RGBQUAD* prgbq) {
  if (!LiveDc(hdc) || !hdc->bitmap || !prgbq) return 0;
  const gfx::Dib& d = hdc->bitmap->dib;
  if (d.bitCount > 8) return 0;
  const UINT total = static_cast<UINT>(d.colorTable.size() / 4);
  if (iStart >= total) return 0;
  const UINT n = std::min(cEntries, total - iStart);
  for (UINT i = 0; i < n; ++i) {
    const uint8_t* e = &d.colorTable[(iStart + i) * 4];
    prgbq[i] = RGBQUAD{e[0], e[1], e[2], 0};
  }
  return n;
}

BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  if (cx < 0 || cy < 0) return FALSE;
  return Blit(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop);
}

BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc, int wSrc,
                int hSrc, DWORD rop) {
  return Blit(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, wSrc, hSrc, rop);
}

int SetBkMode(HDC hdc, int mode) {
  if (!LiveDc(hdc) || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  const int old = hdc->bkMode;
  hdc->bkMode = mode;
  return old;
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
  if (!LiveDc(hdc)) return 0xFFFFFFFFu;
  const COLORREF old = hdc->textColor;
  hdc->textColor = color & 0x00FFFFFFu;
  return old;
}

HFONT CreateFontA(int cHeight, int cWidth, int, int, int cWeight, DWORD bItalic, DWORD, DWORD, DWORD iCharSet, DWORD,
                  DWORD, DWORD iQuality, DWORD iPitchAndFamily, const char* pszFaceName) {
  HFONT f = new HFONT__;
  f->desc.height = cHeight;
  f->desc.width = cWidth;
  f->desc.weight = cWeight;
  f->desc.italic = bItalic ? 1 : 0;
  f->desc.charSet = static_cast<int>(iCharSet);
  f->desc.quality = static_cast<int>(iQuality);
  f->desc.pitchAndFamily = static_cast<int>(iPitchAndFamily);
  if (pszFaceName) {
    std::strncpy(f->desc.faceName, pszFaceName, sizeof(f->desc.faceName) - 1);
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  g_objects[f] = GdiKind::kFont;
  return f;
}

BOOL TextOutA(HDC hdc, int x, int y, const char* lpString, int c) {
  if (!LiveDc(hdc) || !lpString || c < 0) return FALSE;
  GdiTextEngine* engine = g_textEngine.load();
  return engine ? engine->TextOut(hdc, x, y, lpString, c) : TRUE;
}

BOOL GetTextExtentPoint32A(HDC hdc, const char* lpString, int c, SIZE* psizl) {
  if (!LiveDc(hdc) || !lpString || c < 0 || !psizl) return FALSE;
  GdiTextEngine* engine = g_textEngine.load();
  if (engine) return engine->GetTextExtent(hdc, lpString, c, psizl);
  psizl->cx = psizl->cy = 0;
  return TRUE;
}

int GetDeviceCaps(HDC hdc, int index) {
  if (!LiveDc(hdc)) return 0;
  switch (index) {
    case BITSPIXEL:
      if (hdc->pixels) return 8 * gfx::BytesPerPixel(hdc->pixels->format);
      if (hdc->memory && hdc->bitmap && !hdc->bitmap->stock) return hdc->bitmap->dib.bitCount;
      return 32;
    case PLANES:
      return 1;
    default:
      return 0;
  }
}

HDC GetDC(HWND) {
  HDC dc = NewDc();
  dc->screen = true;
  ++dc->bitmap->selected;
  ++dc->font->selected;
  return dc;
}

int ReleaseDC(HWND, HDC hDC) {
  if (!LiveDc(hDC) || !hDC->screen) return 0;
  FreeDc(hDC);
  return 1;
}

LONG ChangeDisplaySettingsA(DEVMODEA* lpDevMode, DWORD) {
  if (!lpDevMode) return DISP_CHANGE_SUCCESSFUL;
  const gfx::DisplayMode mode = gfx::CurrentPresenter().DesktopMode();
  const DWORD f = lpDevMode->dmFields;
  const bool same = (!(f & DM_DISPLAYFREQUENCY) || lpDevMode->dmDisplayFrequency == static_cast<DWORD>(mode.refreshRate)) &&
                    (!(f & DM_BITSPERPEL) || lpDevMode->dmBitsPerPel == static_cast<DWORD>(mode.bitsPerPixel)) &&
                    (!(f & DM_PELSWIDTH) || lpDevMode->dmPelsWidth == static_cast<DWORD>(mode.width)) &&
                    (!(f & DM_PELSHEIGHT) || lpDevMode->dmPelsHeight == static_cast<DWORD>(mode.height));
  return same ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_FAILED;
}

void SetGdiTextEngine(GdiTextEngine* engine) { g_textEngine.store(engine); }

namespace gfx {

bool GetDcInfo(HDC hdc, DcInfo* info) {
  if (!LiveDc(hdc) || !info) return false;
  info->pixels = hdc->pixels;
  info->palette = hdc->hasPalette ? hdc->palette.data() : nullptr;
  info->font = hdc->font;
  info->textColor = hdc->textColor;
  info->bkMode = hdc->bkMode;
  return true;
}

const GdiFontDesc* GetFontDesc(HFONT font) {
  HFONT f = AsFont(font);
  return f ? &f->desc : nullptr;
}

uint32_t ColorToPixel(const DcInfo& info, COLORREF color) {
  const uint32_t rgb = (color & 0xFF) << 16 | (color & 0xFF00) | ((color >> 16) & 0xFF);
  if (!info.pixels) return rgb;
  switch (info.pixels->format) {
    case PixelFormat::kIndex8: {
      std::array<uint32_t, 256> pal{};
      if (info.palette) std::copy(info.palette, info.palette + 256, pal.begin());
      return NearestIndex(pal, rgb);
    }
    case PixelFormat::kX8R8G8B8:
      return rgb;
    case PixelFormat::kA8R8G8B8:
      return rgb | 0xFF000000u;
    default:
      return NarrowFromArgb(info.pixels->format, rgb | 0xFF000000u);
  }
}

HDC CreateSurfaceDC(PixelBuffer* pixels, const uint32_t* palette) {
  HDC dc = NewDc();
  dc->pixels = pixels;
  if (palette) {
    std::copy(palette, palette + 256, dc->palette.begin());
    dc->hasPalette = true;
  }
  ++dc->bitmap->selected;
  ++dc->font->selected;
  return dc;
}

void DestroySurfaceDC(HDC hdc) {
  if (LiveDc(hdc)) FreeDc(hdc);
}

}  // namespace gfx
