#include "platform/ddraw.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/display.h"
#include "platform/spans.h"

// Our own identifier of the interface; only compared for equality.
const GUID IID_IDirectDraw7 = {0x7D0D0007u, 0x0007, 0x0001, {'d', 'd', 'r', 'a', 'w', '7', 0, 0}};

namespace {

gfx::PixelFormat FormatForDepth(DWORD bpp) {
  switch (bpp) {
    case 8:
      return gfx::PixelFormat::kIndex8;
    case 16:
      return gfx::PixelFormat::kR5G6B5;
    case 32:
      return gfx::PixelFormat::kX8R8G8B8;
    default:
      return gfx::PixelFormat::kUnknown;
  }
}

void FillPixelFormat(gfx::PixelFormat f, DDPIXELFORMAT* pf) {
  const DWORD size = pf->dwSize;
  *pf = DDPIXELFORMAT{};
  pf->dwSize = size;
  switch (f) {
    case gfx::PixelFormat::kIndex8:
      pf->dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
      pf->dwRGBBitCount = 8;
      break;
    case gfx::PixelFormat::kR5G6B5:
      pf->dwFlags = DDPF_RGB;
      pf->dwRGBBitCount = 16;
      pf->dwRBitMask = 0xF800;
      pf->dwGBitMask = 0x07E0;
      pf->dwBBitMask = 0x001F;
      break;
    default:
      pf->dwFlags = DDPF_RGB;
      pf->dwRGBBitCount = 32;
      pf->dwRBitMask = 0x00FF0000;
      pf->dwGBitMask = 0x0000FF00;
      pf->dwBBitMask = 0x000000FF;
      break;
  }
}

bool Inside(const RECT& r, const gfx::PixelBuffer& p) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= p.width &&
         r.bottom <= p.height;
}

// The bits of a pixel the colour key compares: at 32 bits the fourth byte is not part of it.
uint32_t KeyMask(gfx::PixelFormat f) {
  switch (f) {
    case gfx::PixelFormat::kIndex8:
      return 0xFF;
    case gfx::PixelFormat::kR5G6B5:
      return 0xFFFF;
    default:
      return 0x00FFFFFF;
  }
}

// A row of pixels side by side, keyed: the run routine of the depth.
void KeyedRow(int bpp, uint8_t* out, const uint8_t* in, int n, uint32_t key, uint32_t mask) {
  switch (bpp) {
    case 1:
      gfx::KeyedCopyRun8(out, in, n, static_cast<uint8_t>(key));
      break;
    case 2:
      if (key > 0xFFFF) {  // a key wider than the pixel matches none of them
        std::memcpy(out, in, static_cast<size_t>(n) * 2);
      } else {
        gfx::KeyedCopyRun16(out, in, n, static_cast<uint16_t>(key));
      }
      break;
    default:
      gfx::KeyedCopyRun32(out, in, n, key, mask);
      break;
  }
}

// A scaled row: the source pixel under each target pixel by the column table, keyed pixels
// selected away without a branch.
template <int Bpp>
void CopyRow(uint8_t* out, const uint8_t* in, const int* cols, int n, bool useKey, uint32_t key, uint32_t mask) {
  for (int i = 0; i < n; ++i, out += Bpp) {
    uint32_t v = 0, d = 0;
    std::memcpy(&v, in + static_cast<size_t>(cols[i]) * Bpp, Bpp);
    std::memcpy(&d, out, Bpp);
    v = useKey && (v & mask) == key ? d : v;
    std::memcpy(out, &v, Bpp);
  }
}

// Copies src rectangle s onto dst rectangle d (same format), scaling by the pixel under each
// destination pixel centre, leaving out keyed pixels when useKey. Only the part of d inside
// clip is written.
void CopyScaled(gfx::PixelBuffer& dst, const RECT& d, const gfx::PixelBuffer& src, const RECT& s, bool useKey,
                uint32_t key, const RECT& clip) {
  const int64_t dw = d.right - d.left, dh = d.bottom - d.top, sw = s.right - s.left, sh = s.bottom - s.top;
  const int bpp = gfx::BytesPerPixel(dst.format);
  const int x0 = static_cast<int>(std::max<LONG>(d.left, clip.left)), x1 = static_cast<int>(std::min<LONG>(d.right, clip.right));
  const int y0 = static_cast<int>(std::max<LONG>(d.top, clip.top)), y1 = static_cast<int>(std::min<LONG>(d.bottom, clip.bottom));
  if (x0 >= x1 || y0 >= y1) return;
  const uint32_t mask = KeyMask(dst.format);
  key &= mask;
  const int n = x1 - x0;
  const bool unscaled = dw == sw;
  // Unscaled rows start at the column under the first pixel and run on side by side; scaled
  // ones take their columns from a table kept per thread (it only grows).
  thread_local std::vector<int> table;
  const int firstCol = static_cast<int>(s.left + ((2 * (x0 - d.left) + 1) * sw) / (2 * dw));
  if (!unscaled) {
    if (table.size() < static_cast<size_t>(n)) table.resize(static_cast<size_t>(n));
    for (int x = x0; x < x1; ++x) {
      table[static_cast<size_t>(x - x0)] = static_cast<int>(s.left + ((2 * (x - d.left) + 1) * sw) / (2 * dw));
    }
  }
  const int* const cols = table.data();
  const int64_t rowBytes = int64_t{n} * bpp;
  if (unscaled && dh == sh && rowBytes == dst.pitch && rowBytes == src.pitch && rowBytes * (y1 - y0) <= INT32_MAX) {
    // Whole rows of both surfaces lie end to end: the rectangle is one run.
    uint8_t* out = dst.At(x0, y0);
    const uint8_t* in = src.At(firstCol, static_cast<int>(s.top + (y0 - d.top)));
    const int count = n * (y1 - y0);
    if (useKey) {
      KeyedRow(bpp, out, in, count, key, mask);
    } else {
      std::memmove(out, in, static_cast<size_t>(count) * static_cast<size_t>(bpp));
    }
    return;
  }
  for (int y = y0; y < y1; ++y) {
    // Unscaled, the row under the centre is the row at the same offset (no division).
    const int sy = static_cast<int>(dh == sh ? s.top + (y - d.top) : s.top + ((2 * (y - d.top) + 1) * sh) / (2 * dh));
    uint8_t* out = dst.At(x0, y);
    if (unscaled) {
      const uint8_t* in = src.At(firstCol, sy);
      if (useKey) {
        KeyedRow(bpp, out, in, n, key, mask);
      } else {
        std::memcpy(out, in, static_cast<size_t>(n) * static_cast<size_t>(bpp));
      }
      continue;
    }
    const uint8_t* in = src.Row(sy);
    switch (bpp) {
      case 1:
        CopyRow<1>(out, in, cols, n, useKey, key, mask);
        break;
      case 2:
        CopyRow<2>(out, in, cols, n, useKey, key, mask);
        break;
      default:
        CopyRow<4>(out, in, cols, n, useKey, key, mask);
        break;
    }
  }
}

}  // namespace

// ---- Palette and clipper ----

IDirectDrawPalette::IDirectDrawPalette(IDirectDraw7* owner) : owner_(owner) { owner_->AddRef(); }
IDirectDrawPalette::~IDirectDrawPalette() { owner_->Release(); }

HRESULT IDirectDrawPalette::GetEntries(DWORD, DWORD dwBase, DWORD dwNumEntries, PALETTEENTRY* lpEntries) {
  if (!lpEntries || dwBase > 256 || dwNumEntries > 256 - dwBase) return DDERR_INVALIDPARAMS;
  std::copy(entries + dwBase, entries + dwBase + dwNumEntries, lpEntries);
  return DD_OK;
}

HRESULT IDirectDrawPalette::SetEntries(DWORD, DWORD dwStartingEntry, DWORD dwCount, const PALETTEENTRY* lpEntries) {
  if (!lpEntries || dwStartingEntry > 256 || dwCount > 256 - dwStartingEntry) return DDERR_INVALIDPARAMS;
  std::copy(lpEntries, lpEntries + dwCount, entries + dwStartingEntry);
  return DD_OK;
}

void IDirectDrawPalette::Words(uint32_t out[256]) const {
  for (int i = 0; i < 256; ++i) {
    out[i] = static_cast<uint32_t>(entries[i].peRed) << 16 | static_cast<uint32_t>(entries[i].peGreen) << 8 |
             entries[i].peBlue;
  }
}

IDirectDrawClipper::IDirectDrawClipper(IDirectDraw7* owner) : owner_(owner) { owner_->AddRef(); }
IDirectDrawClipper::~IDirectDrawClipper() { owner_->Release(); }

HRESULT IDirectDrawClipper::SetHWnd(DWORD, HWND h) {
  hWnd = h;
  return DD_OK;
}

// ---- Surfaces ----

IDirectDrawSurface7::IDirectDrawSurface7(IDirectDraw7* owner) : owner_(owner) { owner_->AddRef(); }

IDirectDrawSurface7::~IDirectDrawSurface7() {
  if (dc) gfx::DestroySurfaceDC(dc);
  for (IDirectDrawSurface7* b : backBuffers) b->Release();
  if (palette) palette->Release();
  if (clipper) clipper->Release();
  if (videoBytes) gfx::ReleaseVideoMemory(videoBytes);
  owner_->Forget(this);
  owner_->Release();
}

void IDirectDrawSurface7::ShowIfPrimary(bool vsync) {
  if (owner_->Primary() != this) return;
  uint32_t words[256] = {};
  const bool indexed = pixels.format == gfx::PixelFormat::kIndex8;
  if (indexed && palette) palette->Words(words);
  gfx::CurrentPresenter().ShowFrame(owner_->Window(), pixels, indexed ? words : nullptr, vsync);
}

void IDirectDrawSurface7::CopyFrom(IDirectDrawSurface7* src, const RECT& d, const RECT& s, bool useKey) {
  const RECT whole{0, 0, pixels.width, pixels.height};
  if (src == this) {
    const gfx::PixelBuffer copy = src->pixels;  // overlapping rectangles of one surface
    CopyScaled(pixels, d, copy, s, useKey, src->key, whole);
  } else {
    CopyScaled(pixels, d, src->pixels, s, useKey, src->key, whole);
  }
  ShowIfPrimary();
}

HRESULT IDirectDrawSurface7::Blt(RECT* lpDestRect, IDirectDrawSurface7* src, RECT* lpSrcRect, DWORD dwFlags,
                                 DDBLTFX* fx) {
  if (lost) return DDERR_SURFACELOST;
  if (Busy()) return DDERR_SURFACEBUSY;
  RECT d = lpDestRect ? *lpDestRect : RECT{0, 0, pixels.width, pixels.height};
  // The primary of a window is addressed in screen coordinates.
  if (owner_->Primary() == this && !owner_->Exclusive() && lpDestRect) {
    int ox = 0, oy = 0;
    gfx::CurrentPresenter().ClientOrigin(clipper && clipper->hWnd ? clipper->hWnd : owner_->Window(), &ox, &oy);
    d.left -= ox;
    d.right -= ox;
    d.top -= oy;
    d.bottom -= oy;
  }
  if (d.left >= d.right || d.top >= d.bottom) return DDERR_INVALIDRECT;
  if (!clipper && !Inside(d, pixels)) return DDERR_INVALIDRECT;

  if (dwFlags & DDBLT_COLORFILL) {
    if (!fx) return DDERR_INVALIDPARAMS;
    pixels.Fill(static_cast<int>(std::max<LONG>(d.left, 0)), static_cast<int>(std::max<LONG>(d.top, 0)),
                static_cast<int>(std::min<LONG>(d.right, pixels.width)),
                static_cast<int>(std::min<LONG>(d.bottom, pixels.height)), fx->dwFillColor);
    ShowIfPrimary();
    return DD_OK;
  }
  if (!src) return DDERR_INVALIDPARAMS;
  if (src->lost) return DDERR_SURFACELOST;
  if (src != this && src->Busy()) return DDERR_SURFACEBUSY;
  if (src->pixels.format != pixels.format) return DDERR_INVALIDPIXELFORMAT;
  const RECT s = lpSrcRect ? *lpSrcRect : RECT{0, 0, src->pixels.width, src->pixels.height};
  if (!Inside(s, src->pixels)) return DDERR_INVALIDRECT;
  CopyFrom(src, d, s, (dwFlags & DDBLT_KEYSRC) && src->hasKey);
  return DD_OK;
}

HRESULT IDirectDrawSurface7::BltFast(DWORD dwX, DWORD dwY, IDirectDrawSurface7* src, RECT* lpSrcRect, DWORD dwTrans) {
  if (!src) return DDERR_INVALIDPARAMS;
  if (lost || src->lost) return DDERR_SURFACELOST;
  if (Busy() || (src != this && src->Busy())) return DDERR_SURFACEBUSY;
  if (clipper) return DDERR_BLTFASTCANTCLIP;
  if (src->pixels.format != pixels.format) return DDERR_INVALIDPIXELFORMAT;
  const RECT s = lpSrcRect ? *lpSrcRect : RECT{0, 0, src->pixels.width, src->pixels.height};
  if (!Inside(s, src->pixels) || dwX > 0x7FFFFFFFu || dwY > 0x7FFFFFFFu) return DDERR_INVALIDRECT;
  const RECT d{static_cast<LONG>(dwX), static_cast<LONG>(dwY), static_cast<LONG>(dwX) + (s.right - s.left),
               static_cast<LONG>(dwY) + (s.bottom - s.top)};
  if (!Inside(d, pixels)) return DDERR_INVALIDRECT;
  CopyFrom(src, d, s, (dwTrans & DDBLTFAST_SRCCOLORKEY) && src->hasKey);
  return DD_OK;
}

HRESULT IDirectDrawSurface7::Flip(IDirectDrawSurface7* lpTargetOverride, DWORD) {
  if (backBuffers.empty()) return DDERR_NOTFLIPPABLE;
  if (lpTargetOverride && lpTargetOverride != backBuffers[0]) return DDERR_INVALIDPARAMS;
  if (lost) return DDERR_SURFACELOST;
  if (Busy()) return DDERR_SURFACEBUSY;
  for (IDirectDrawSurface7* b : backBuffers) {
    if (b->lost) return DDERR_SURFACELOST;
    if (b->Busy()) return DDERR_SURFACEBUSY;
  }
  // The front takes the first back buffer's pixels, each back buffer the next one's, and the
  // last back buffer the old front.
  gfx::PixelBuffer oldFront = std::move(pixels);
  pixels = std::move(backBuffers[0]->pixels);
  for (size_t i = 0; i + 1 < backBuffers.size(); ++i) backBuffers[i]->pixels = std::move(backBuffers[i + 1]->pixels);
  backBuffers.back()->pixels = std::move(oldFront);
  ShowIfPrimary(true);
  gfx::CurrentPresenter().WaitVerticalBlank();
  return DD_OK;
}

HRESULT IDirectDrawSurface7::GetAttachedSurface(DDSCAPS2* lpCaps, IDirectDrawSurface7** lplpAttached) {
  if (!lpCaps || !lplpAttached) return DDERR_INVALIDPARAMS;
  if (backBuffers.empty() || !(lpCaps->dwCaps & (DDSCAPS_BACKBUFFER | DDSCAPS_FLIP))) return DDERR_NOTFOUND;
  backBuffers[0]->AddRef();
  *lplpAttached = backBuffers[0];
  return DD_OK;
}

HRESULT IDirectDrawSurface7::GetDC(HDC* lphDC) {
  if (!lphDC) return DDERR_INVALIDPARAMS;
  if (lost) return DDERR_SURFACELOST;
  if (Busy()) return DDERR_SURFACEBUSY;
  uint32_t words[256] = {};
  IDirectDrawPalette* pal = palette ? palette : (owner_->Primary() ? owner_->Primary()->palette : nullptr);
  if (pal) pal->Words(words);
  dc = gfx::CreateSurfaceDC(&pixels, pixels.format == gfx::PixelFormat::kIndex8 ? words : nullptr);
  *lphDC = dc;
  return DD_OK;
}

HRESULT IDirectDrawSurface7::ReleaseDC(HDC hDC) {
  if (!dc || hDC != dc) return DDERR_INVALIDPARAMS;
  gfx::DestroySurfaceDC(dc);
  dc = nullptr;
  ShowIfPrimary();
  return DD_OK;
}

HRESULT IDirectDrawSurface7::GetPixelFormat(DDPIXELFORMAT* lpPixelFormat) {
  if (!lpPixelFormat) return DDERR_INVALIDPARAMS;
  FillPixelFormat(pixels.format, lpPixelFormat);
  return DD_OK;
}

HRESULT IDirectDrawSurface7::GetSurfaceDesc(DDSURFACEDESC2* lpDesc) {
  if (!lpDesc) return DDERR_INVALIDPARAMS;
  const DWORD size = lpDesc->dwSize;
  *lpDesc = DDSURFACEDESC2{};
  lpDesc->dwSize = size;
  lpDesc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
  lpDesc->dwWidth = static_cast<DWORD>(pixels.width);
  lpDesc->dwHeight = static_cast<DWORD>(pixels.height);
  lpDesc->lPitch = pixels.pitch;
  lpDesc->dwBackBufferCount = static_cast<DWORD>(backBuffers.size());
  lpDesc->ddsCaps.dwCaps = caps | (video ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);
  FillPixelFormat(pixels.format, &lpDesc->ddpfPixelFormat);
  return DD_OK;
}

HRESULT IDirectDrawSurface7::IsLost() { return lost ? DDERR_SURFACELOST : DD_OK; }

HRESULT IDirectDrawSurface7::Restore() {
  if (lost) {
    std::fill(pixels.bits.begin(), pixels.bits.end(), 0);
    lost = false;
  }
  return DD_OK;
}

HRESULT IDirectDrawSurface7::Lock(RECT* lpDestRect, DDSURFACEDESC2* lpDesc, DWORD, HANDLE) {
  if (!lpDesc) return DDERR_INVALIDPARAMS;
  if (lost) return DDERR_SURFACELOST;
  if (Busy()) return DDERR_SURFACEBUSY;
  RECT r{0, 0, pixels.width, pixels.height};
  if (lpDestRect) {
    if (!Inside(*lpDestRect, pixels)) return DDERR_INVALIDRECT;
    r = *lpDestRect;
  }
  GetSurfaceDesc(lpDesc);
  lpDesc->dwFlags |= DDSD_LPSURFACE;
  lpDesc->lpSurface = pixels.At(static_cast<int>(r.left), static_cast<int>(r.top));
  ++locks;
  return DD_OK;
}

HRESULT IDirectDrawSurface7::Unlock(RECT*) {
  if (locks == 0) return DDERR_NOTLOCKED;
  --locks;
  if (locks == 0) ShowIfPrimary();
  return DD_OK;
}

HRESULT IDirectDrawSurface7::SetClipper(IDirectDrawClipper* lpClipper) {
  if (lpClipper) lpClipper->AddRef();
  if (clipper) clipper->Release();
  clipper = lpClipper;
  return DD_OK;
}

HRESULT IDirectDrawSurface7::SetColorKey(DWORD dwFlags, DDCOLORKEY* lpColorKey) {
  if (!(dwFlags & DDCKEY_SRCBLT)) return DDERR_INVALIDPARAMS;
  hasKey = lpColorKey != nullptr;
  key = lpColorKey ? lpColorKey->dwColorSpaceLowValue : 0;
  return DD_OK;
}

HRESULT IDirectDrawSurface7::SetPalette(IDirectDrawPalette* lpPalette) {
  if (pixels.format != gfx::PixelFormat::kIndex8) return DDERR_INVALIDPIXELFORMAT;
  if (lpPalette) lpPalette->AddRef();
  if (palette) palette->Release();
  palette = lpPalette;
  return DD_OK;
}

// ---- DirectDraw object ----

IDirectDraw7::~IDirectDraw7() {
  if (exclusive_) gfx::CurrentPresenter().SetFullscreen(hWnd_, false);
}

void IDirectDraw7::Forget(IDirectDrawSurface7* s) {
  surfaces_.erase(std::remove(surfaces_.begin(), surfaces_.end(), s), surfaces_.end());
  if (primary_ == s) primary_ = nullptr;
}

HRESULT IDirectDraw7::CreateClipper(DWORD, IDirectDrawClipper** lplpDDClipper, IUnknown*) {
  if (!lplpDDClipper) return DDERR_INVALIDPARAMS;
  *lplpDDClipper = new IDirectDrawClipper(this);
  return DD_OK;
}

HRESULT IDirectDraw7::CreatePalette(DWORD dwFlags, PALETTEENTRY* lpDDColorArray, IDirectDrawPalette** lplpDDPalette,
                                    IUnknown*) {
  if (!lplpDDPalette || !lpDDColorArray || !(dwFlags & DDPCAPS_8BIT)) return DDERR_INVALIDPARAMS;
  IDirectDrawPalette* p = new IDirectDrawPalette(this);
  std::copy(lpDDColorArray, lpDDColorArray + 256, p->entries);
  *lplpDDPalette = p;
  return DD_OK;
}

HRESULT IDirectDraw7::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** lplpDDSurface, IUnknown*) {
  if (!desc || !lplpDDSurface || !(desc->dwFlags & DDSD_CAPS)) return DDERR_INVALIDPARAMS;
  *lplpDDSurface = nullptr;
  if (level_ == 0) return DDERR_NOCOOPERATIVELEVELSET;
  const DWORD c = desc->ddsCaps.dwCaps;
  if (c & DDSCAPS_PRIMARYSURFACE) {
    if (primary_) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    const bool chain = (c & DDSCAPS_FLIP) != 0;
    int w = modeWidth_, h = modeHeight_;
    if (!exclusive_) {
      if (chain) return DDERR_NOEXCLUSIVEMODE;
      gfx::CurrentPresenter().ClientSize(hWnd_, &w, &h);
    }
    DWORD backs = 0;
    if (chain) {
      if (!(desc->dwFlags & DDSD_BACKBUFFERCOUNT) || desc->dwBackBufferCount < 1 || desc->dwBackBufferCount > 3) {
        return DDERR_INVALIDPARAMS;
      }
      backs = desc->dwBackBufferCount;
    }
    IDirectDrawSurface7* p = new IDirectDrawSurface7(this);
    p->caps = DDSCAPS_PRIMARYSURFACE | (chain ? (DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_FRONTBUFFER) : 0);
    p->video = true;
    if (!p->pixels.Allocate(format_, w, h)) {
      p->Release();
      return DDERR_OUTOFMEMORY;
    }
    surfaces_.push_back(p);
    primary_ = p;
    for (DWORD i = 0; i < backs; ++i) {
      IDirectDrawSurface7* b = new IDirectDrawSurface7(this);
      b->caps = DDSCAPS_FLIP | DDSCAPS_COMPLEX | (i == 0 ? DDSCAPS_BACKBUFFER : 0);
      b->video = true;
      b->pixels.Allocate(format_, w, h);
      surfaces_.push_back(b);
      p->backBuffers.push_back(b);
    }
    *lplpDDSurface = p;
    return DD_OK;
  }
  if (!(desc->dwFlags & DDSD_WIDTH) || !(desc->dwFlags & DDSD_HEIGHT) || desc->dwWidth == 0 || desc->dwHeight == 0 ||
      desc->dwWidth > static_cast<DWORD>(gfx::kMaxSurfaceSide) || desc->dwHeight > static_cast<DWORD>(gfx::kMaxSurfaceSide)) {
    return DDERR_INVALIDPARAMS;
  }
  const bool video = !(c & DDSCAPS_SYSTEMMEMORY);
  const int w = static_cast<int>(desc->dwWidth), h = static_cast<int>(desc->dwHeight);
  int64_t bytes = 0;
  if (video) {
    bytes = int64_t{w} * h * gfx::BytesPerPixel(format_);
    if (!gfx::ReserveVideoMemory(bytes)) return DDERR_OUTOFVIDEOMEMORY;
  }
  IDirectDrawSurface7* s = new IDirectDrawSurface7(this);
  s->caps = c & (DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY);
  s->video = video;
  s->videoBytes = bytes;
  if (!s->pixels.Allocate(format_, w, h)) {
    s->Release();
    return DDERR_OUTOFMEMORY;
  }
  surfaces_.push_back(s);
  *lplpDDSurface = s;
  return DD_OK;
}

HRESULT IDirectDraw7::FlipToGDISurface() { return DD_OK; }

HRESULT IDirectDraw7::GetAvailableVidMem(DDSCAPS2*, DWORD* lpdwTotal, DWORD* lpdwFree) {
  if (lpdwTotal) *lpdwTotal = static_cast<DWORD>(gfx::kVideoMemoryTotal);
  if (lpdwFree) *lpdwFree = static_cast<DWORD>(gfx::VideoMemoryFree());
  return DD_OK;
}

HRESULT IDirectDraw7::GetMonitorFrequency(DWORD* lpdwFrequency) {
  if (!lpdwFrequency) return DDERR_INVALIDPARAMS;
  const int hz = gfx::CurrentPresenter().DesktopMode().refreshRate;
  if (hz <= 0) return DDERR_UNSUPPORTED;
  *lpdwFrequency = static_cast<DWORD>(hz);
  return DD_OK;
}

HRESULT IDirectDraw7::SetCooperativeLevel(HWND hWnd, DWORD dwFlags) {
  const bool fullscreen = (dwFlags & DDSCL_FULLSCREEN) != 0, exclusive = (dwFlags & DDSCL_EXCLUSIVE) != 0;
  if (fullscreen != exclusive || (fullscreen && !hWnd)) return DDERR_INVALIDPARAMS;
  if (!fullscreen && !(dwFlags & DDSCL_NORMAL)) return DDERR_INVALIDPARAMS;
  if (exclusive_ && !exclusive) {
    gfx::CurrentPresenter().SetFullscreen(hWnd_, false);
    format_ = gfx::PixelFormat::kX8R8G8B8;
  }
  hWnd_ = hWnd;
  level_ = dwFlags;
  exclusive_ = exclusive;
  if (exclusive) gfx::CurrentPresenter().SetFullscreen(hWnd_, true);
  return DD_OK;
}

HRESULT IDirectDraw7::SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP, DWORD, DWORD) {
  if (!exclusive_) return DDERR_NOEXCLUSIVEMODE;
  const gfx::PixelFormat f = FormatForDepth(dwBPP);
  if (f == gfx::PixelFormat::kUnknown || dwWidth == 0 || dwHeight == 0 || dwWidth > 8192 || dwHeight > 8192) {
    return DDERR_INVALIDMODE;
  }
  modeWidth_ = static_cast<int>(dwWidth);
  modeHeight_ = static_cast<int>(dwHeight);
  format_ = f;
  return DD_OK;
}

HRESULT IDirectDraw7::WaitForVerticalBlank(DWORD, HANDLE) {
  gfx::CurrentPresenter().WaitVerticalBlank();
  return DD_OK;
}

void IDirectDraw7::LoseSurfacesForTest() {
  for (IDirectDrawSurface7* s : surfaces_) {
    if (!s->video) continue;
    s->lost = true;
    std::fill(s->pixels.bits.begin(), s->pixels.bits.end(), 0);
  }
}

HRESULT DirectDrawCreateEx(GUID* lpGuid, void** lplpDD, REFIID iid, IUnknown* pUnkOuter) {
  if (!lplpDD || lpGuid || pUnkOuter || !(iid == IID_IDirectDraw7)) return DDERR_INVALIDPARAMS;
  *lplpDD = new IDirectDraw7;
  return DD_OK;
}
