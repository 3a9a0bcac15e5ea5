#include "draw/palette.h"

#include <cstdio>
#include <cstring>

#include "core/log.h"
#include "draw/fill.h"
#include "draw/loaded_bitmap.h"
#include "draw/surface.h"
#include "draw/surface_ops.h"

namespace {

// Flags of the DirectDraw 8-bit palette: the system's static colours at both ends.
BYTE EightBitFlags(int i) { return i >= 10 && i <= 245 ? PC_RESERVED : PC_EXPLICIT; }

DWORD ScaleDown(DWORD value, DWORD max) { return value * max / 255; }
DWORD ScaleUp(DWORD value, DWORD max) { return max ? value * 255 / max : 0; }

// Where source column (or row) x lands with mirror cells of size c: each cell flipped in place.
int Mirrored(int x, int c) { return c > 0 ? c * (x / c + 1) - x % c - 1 : x; }

// 8-bit display: the indices of an 8-bit bitmap copied as they are.
void CopyIndices(DDSURFACEDATA* lpSD, const char* szFile, const BITMAP& bm, int nMirrorWidth, int nMirrorHeight) {
  DDSURFACEDESC2 desc{};
  void* bits = nullptr;
  if (!DDLock(lpSD, &desc, &bits, 8)) return;
  const int w = static_cast<int>(desc.dwWidth), h = static_cast<int>(desc.dwHeight);
  if (w != bm.bmWidth || h != bm.bmHeight) {
    ErrorLog("CopyBitmap Err %s Surface(%d,%d) Bmp(%d,%d)", szFile, w, h, static_cast<int>(bm.bmWidth),
             static_cast<int>(bm.bmHeight));
  } else {
    const BYTE* src = static_cast<const BYTE*>(bm.bmBits);
    BYTE* dst = static_cast<BYTE*>(bits);
    for (int y = 0; y < h; ++y) {
      const int my = Mirrored(y, nMirrorHeight);
      if (my >= h) break;
      const BYTE* row = src + static_cast<size_t>(h - y - 1) * static_cast<size_t>(bm.bmWidthBytes);
      for (int x = 0; x < w; ++x) {
        const int mx = Mirrored(x, nMirrorWidth);
        if (mx >= w) break;
        dst[static_cast<size_t>(my) * static_cast<size_t>(desc.lPitch) + static_cast<size_t>(mx)] = row[x];
      }
    }
  }
  lpSD->lpDDObj->lpSurface->Unlock(nullptr);
}

// 16-bit display with a 24- or 32-bit bitmap: the pixels converted by hand, so that the
// transparent colour becomes the key exactly and no other colour becomes it.
void CopyConverted16(DDSURFACEDATA* lpSD, const BITMAP& bm, int nMirrorWidth, int nMirrorHeight) {
  DDSURFACEDESC2 desc{};
  void* bits = nullptr;
  if (!DDLock(lpSD, &desc, &bits, 16)) return;
  const int w = static_cast<int>(desc.dwWidth), h = static_cast<int>(desc.dwHeight);
  const int bw = bm.bmWidth, bh = bm.bmHeight, bpp = bm.bmBitsPixel / 8;
  const RGBTRIPLE key = lpDDCon ? lpDDCon->rgbTransmitBmp : RGBTRIPLE{};
  const DDPIXELLAYOUT& l = g_PixelLayout;
  const BYTE* src = static_cast<const BYTE*>(bm.bmBits);
  for (int y = 0; y < bh; ++y) {
    const int my = Mirrored(y, nMirrorHeight);
    if (my >= bh) break;
    if (my >= h) continue;
    const BYTE* row = src + static_cast<size_t>(bh - y - 1) * static_cast<size_t>(bm.bmWidthBytes);
    WORD* out = reinterpret_cast<WORD*>(static_cast<BYTE*>(bits) + static_cast<size_t>(my) * static_cast<size_t>(desc.lPitch));
    for (int x = 0; x < bw; ++x) {
      const int mx = Mirrored(x, nMirrorWidth);
      if (mx >= bw) break;
      if (mx >= w) continue;
      const BYTE b = row[x * bpp], g = row[x * bpp + 1], r = row[x * bpp + 2];
      DWORD v;
      if (b == key.rgbtBlue && g == key.rgbtGreen && r == key.rgbtRed) {
        v = DDColorKey;
      } else {
        v = ScaleDown(b, l.dwMaxB) << l.nShiftB | ScaleDown(g, l.dwMaxG) << l.nShiftG | ScaleDown(r, l.dwMaxR) << l.nShiftR;
        if (v == DDColorKey) v = ((v >> l.nShiftB) & l.dwMaxB) == l.dwMaxB ? v - 1 : v + 1;
      }
      out[mx] = static_cast<WORD>(v);
    }
  }
  lpSD->lpDDObj->lpSurface->Unlock(nullptr);
}

// Every other case: GDI converts, one blit of the whole picture or one mirrored blit per cell.
void CopyThroughGdi(DDSURFACEDATA* lpSD, const cLoadedBitmap& bmp, int nMirrorWidth, int nMirrorHeight) {
  IDirectDrawSurface7* surface = lpSD->lpDDObj->lpSurface;
  HDC dst = nullptr;
  if (FAILED(surface->GetDC(&dst))) return;
  HDC src = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(src, bmp.Handle());
  const int bw = bmp.Info().bmWidth, bh = bmp.Info().bmHeight;
  if (nMirrorWidth <= 0 && nMirrorHeight <= 0) {
    BitBlt(dst, 0, 0, bw, bh, src, 0, 0, SRCCOPY);
  } else {
    const int cw = nMirrorWidth > 0 ? nMirrorWidth : bw, ch = nMirrorHeight > 0 ? nMirrorHeight : bh;
    for (int y = 0; y < bh; y += ch) {
      for (int x = 0; x < bw; x += cw) {
        StretchBlt(dst, nMirrorWidth > 0 ? x + cw - 1 : x, nMirrorHeight > 0 ? y + ch - 1 : y,
                   nMirrorWidth > 0 ? -cw : cw, nMirrorHeight > 0 ? -ch : ch, src, x, y, cw, ch, SRCCOPY);
      }
    }
  }
  SelectObject(src, old);
  DeleteDC(src);
  surface->ReleaseDC(dst);
}

}  // namespace

bool DDLoadPaletteFromFile(PALETTEENTRY* lpPalette, const char* szFile, int) {
  {
    cLoadedBitmap bmp(szFile);
    if (!bmp.Loaded()) return false;
    if (bmp.Info().bmBitsPixel == 8 && (lpDTCon || DDBpp == 8)) {
      RGBQUAD table[256] = {};
      const UINT n = bmp.ColorTable(table, 256);
      for (UINT i = 0; i < n; ++i) {
        const BYTE flags = lpDTCon ? 0xFF : EightBitFlags(static_cast<int>(i));
        lpPalette[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, flags};
      }
    }
  }
  if (!lpDTCon && DDBpp == 8 && lpDDPal) lpDDPal->SetEntries(0, 0, 256, lpPalette);
  if (DDBpp == 16 || DDBpp == 24 || DDBpp == 32) {
    // Without a hardware palette the palette is read from the picture's palette block.
    DDSURFACEDATA work;
    if (DDCreateSurfaceFromFile(&work, szFile, 0, DDBpp, 1, DTMEMORYTYPE_SYSTEM, 0, 0, 0, 0, 0) == DDCREATE_OK) {
      DDSetPalette_UnPal(reinterpret_cast<BYTE*>(lpPalette), &work);
    }
    DDReleaseSurface(&work);
  }
  return true;
}

void DDSetTransmit(BYTE cbRed, BYTE cbGreen, BYTE cbBlue) {
  if (lpDTCon) {
    DTCONTEXT& c = *lpDTCon;
    c.rgbTransmit = RGBTRIPLE{cbBlue, cbGreen, cbRed};
    ErrorLog("SetTrans lpDTCon->rgbTransmit.rgbtRed = %d,lpDTCon->rgbTransmit.rgbtGreen = %d,lpDTCon->rgbTransmit.rgbtBlue = %d",
             cbRed, cbGreen, cbBlue);
    if (DDBpp != 16 && DDBpp != 32) return;
    c.dwTransmitClear = 0;
    c.dwTransmitARGB = 0xFF000000u | static_cast<DWORD>(cbRed) << 16 | static_cast<DWORD>(cbGreen) << 8 | cbBlue;
    c.wTransmitClear_16 = 0;
    if (DDBpp == 32) {
      c.wTransmit_16 = 0;
      DDColorKey = 0;
    } else {
      const DDPIXELLAYOUT& l = g_PixelLayout;
      c.wTransmit_16 = static_cast<WORD>((cbBlue & l.dwMaxB) << l.nShiftB | (cbGreen & l.dwMaxG) << l.nShiftG |
                                         (cbRed & l.dwMaxR) << l.nShiftR | (1 & l.dwMaxA) << l.nShiftA);
    }
    return;
  }
  if (DDBpp == 32) {
    DDColorKey = static_cast<DWORD>(cbRed) << 16 | static_cast<DWORD>(cbGreen) << 8 | cbBlue;
    if (lpDDCon) lpDDCon->rgbTransmit = RGBTRIPLE{cbBlue, cbGreen, cbRed};
  } else if (DDBpp == 16) {
    const DDPIXELLAYOUT& l = g_PixelLayout;
    DDColorKey = (ScaleDown(cbBlue, l.dwMaxB) << l.nShiftB & 0xFFFF) | (ScaleDown(cbGreen, l.dwMaxG) << l.nShiftG & 0xFFFF) |
                 (ScaleDown(cbRed, l.dwMaxR) << l.nShiftR & 0xFFFF);
    ErrorLog("※16bit色で　DDSetTransmit(BYTE cbRed,BYTE cbGreen,BYTE cbBlue)　は未対応！");
    DebugErrorBoxF("Tr %d RGB32(%d,%d,%d) -> RGB16(%d,%d,%d)", static_cast<int>(DDColorKey), cbRed, cbGreen, cbBlue,
                   static_cast<int>(ScaleUp((DDColorKey >> l.nShiftR) & l.dwMaxR, l.dwMaxR)),
                   static_cast<int>(ScaleUp((DDColorKey >> l.nShiftG) & l.dwMaxG, l.dwMaxG)),
                   static_cast<int>(ScaleUp((DDColorKey >> l.nShiftB) & l.dwMaxB, l.dwMaxB)));
  }
}

int DDSetTransmitFromFile(const char* szFile) {
  DDSURFACEDATA work;
  const int result = DDCreateSurfaceFromFile(&work, szFile, 0, DDBpp, 1, DTMEMORYTYPE_SYSTEM, 0, 0, 0, 0, 0);
  if (!DDCheckCreateResult(result)) {
    ErrorLog("%s 作成失敗！", szFile);
    DDReleaseSurface(&work);
    return 0;
  }
  DWORD pixel = 0;
  {
    cSurfaceLock lock;
    if (!lock.LockForReading(&work)) {
      ErrorLog("Lock 失敗！");
      lock.Unlock();
      DDReleaseSurface(&work);
      return 0;
    }
    pixel = lock.Get(0, 0);
  }
  int ok = 1;
  if (lpDTCon) {
    const DDPIXELLAYOUT& l = g_PixelLayout;
    if (DDBpp == 16) {
      DDColorKey = pixel;
      cLoadedBitmap bmp(szFile);
      if (!bmp.Loaded()) {
        ok = 0;
      } else {
        if (bmp.Info().bmBitsPixel == 8) {
          RGBQUAD entry{};
          if (bmp.ColorTable(&entry, 1) == 1) lpDTCon->rgbTransmitBmp = RGBTRIPLE{entry.rgbBlue, entry.rgbGreen, entry.rgbRed};
        }
        DDSetTransmit(static_cast<BYTE>(l.dwMaxR & pixel >> l.nShiftR), static_cast<BYTE>(l.dwMaxG & pixel >> l.nShiftG),
                      static_cast<BYTE>(l.dwMaxB & pixel >> l.nShiftB));
        ErrorLog("SetTrans(filename) lpDTCon->wTransmit_16 = (%x)", lpDTCon->wTransmit_16);
      }
    } else if (DDBpp == 32) {
      DDSetTransmit(static_cast<BYTE>(pixel >> 16), static_cast<BYTE>(pixel >> 8), static_cast<BYTE>(pixel));
    }
  } else {
    DDColorKey = pixel;
    if (DDBpp == 32 && lpDDCon) {
      lpDDCon->rgbTransmit = RGBTRIPLE{static_cast<BYTE>(pixel), static_cast<BYTE>(pixel >> 8), static_cast<BYTE>(pixel >> 16)};
    }
  }
  DDReleaseSurface(&work);
  return ok;
}

bool CopyBitmap(DDSURFACEDATA* lpSD, const char* szFile, int nBpp, int bPalIndexMap, int nMirrorWidth,
                int nMirrorHeight) {
  if (lpDTCon || !szFile || !*szFile) return true;
  if (!lpSD || !lpSD->lpDDObj || !lpSD->lpDDObj->lpSurface) return false;
  {
    cLoadedBitmap bmp(szFile);
    if (!bmp.Loaded()) return false;
    const BITMAP& bm = bmp.Info();
    if (nBpp == 8 && bm.bmBitsPixel == 8) {
      CopyIndices(lpSD, szFile, bm, nMirrorWidth, nMirrorHeight);
    } else if (nBpp == 16 && (bm.bmBitsPixel == 24 || bm.bmBitsPixel == 32)) {
      CopyConverted16(lpSD, bm, nMirrorWidth, nMirrorHeight);
    } else {
      // Bitmaps of other depths are converted by GDI, also at 8 bits (to the nearest entry of
      // the palette), where their bytes are not palette indices.
      CopyThroughGdi(lpSD, bmp, nMirrorWidth, nMirrorHeight);
    }
    lpSD->nWidth = bm.bmWidth;
    lpSD->nHeight = bm.bmHeight;
  }
  lpSD->nMirrorWidth = nMirrorWidth;
  lpSD->nMirrorHeight = nMirrorHeight;
  if (szFile != lpSD->szFileName) std::snprintf(lpSD->szFileName, sizeof lpSD->szFileName, "%s", szFile);
  DDSURFOBJ* obj = lpSD->lpDDObj;
  if (bPalIndexMap && nBpp != 8) return DDBuildPalIndexMap(&obj->lpPalIndexMap, lpSD) != 0;
  delete[] obj->lpPalIndexMap;
  obj->lpPalIndexMap = nullptr;
  return true;
}

void DDGetPixelFormat(DDPIXELLAYOUT* lpLayout) {
  if (lpDTCon || !lpLayout || !PrimarySD.lpDDObj || !PrimarySD.lpDDObj->lpSurface) return;
  DDPIXELFORMAT pf{};
  pf.dwSize = sizeof pf;
  if (FAILED(PrimarySD.lpDDObj->lpSurface->GetPixelFormat(&pf))) return;
  const auto channel = [&pf](DWORD mask, int* shift, DWORD* max) {
    int s = 0;
    while (s < static_cast<int>(pf.dwRGBBitCount) && s < 32 && !(mask >> s & 1)) ++s;
    *shift = s;
    *max = s < 32 ? mask >> s : 0;
  };
  channel(pf.dwRBitMask, &lpLayout->nShiftR, &lpLayout->dwMaxR);
  channel(pf.dwGBitMask, &lpLayout->nShiftG, &lpLayout->dwMaxG);
  channel(pf.dwBBitMask, &lpLayout->nShiftB, &lpLayout->dwMaxB);
}

WORD DDPalToRGB16(const BYTE* rgb) {
  if (lpDTCon) {
    ErrorLog("DDPalToRGB16はDirect3Dでは未対応");
    return 0;
  }
  const DDPIXELLAYOUT& l = g_PixelLayout;
  return static_cast<WORD>((rgb[2] & l.dwMaxB) << l.nShiftB | (rgb[1] & l.dwMaxG) << l.nShiftG |
                           (rgb[0] & l.dwMaxR) << l.nShiftR);
}

void DDSetPalette_UnPal(BYTE* lpPalEntries, DDSURFACEDATA* lpSD) {
  if (!lpPalEntries || (DDBpp != 16 && DDBpp != 32)) return;
  cSurfaceLock lock;
  if (!lock.LockForReading(lpSD)) {
    if (lpDTCon) ErrorLog("DDSetPalette_UnPal Lock Err");
    return;
  }
  // The block lies at columns 0..15 of rows 8..23.
  if (lock.m_nWidth < 16 || lock.m_nHeight < 24) return;
  const DDPIXELLAYOUT& l = g_PixelLayout;
  for (int n = 0; n < 256; ++n) {
    const DWORD p = lock.Get(n % 16, 8 + n / 16);
    BYTE* e = lpPalEntries + 4 * n;
    if (DDBpp == 16) {
      const DWORD r = (p >> l.nShiftR) & l.dwMaxR, g = (p >> l.nShiftG) & l.dwMaxG, b = (p >> l.nShiftB) & l.dwMaxB;
      if (lpDTCon) {
        if (((p >> l.nShiftA) & l.dwMaxA) == 0) continue;
        e[0] = static_cast<BYTE>(ScaleUp(r, l.dwMaxR));
        e[1] = static_cast<BYTE>(ScaleUp(g, l.dwMaxG));
        e[2] = static_cast<BYTE>(ScaleUp(b, l.dwMaxB));
      } else {
        e[0] = static_cast<BYTE>(r);
        e[1] = static_cast<BYTE>(g);
        e[2] = static_cast<BYTE>(b);
      }
    } else {
      if (lpDTCon && (p >> 24) == 0) continue;
      e[0] = static_cast<BYTE>(p >> 16);
      e[1] = static_cast<BYTE>(p >> 8);
      e[2] = static_cast<BYTE>(p);
      e[3] = static_cast<BYTE>(p >> 24);
    }
  }
}
