#include "draw/fill.h"

#include <algorithm>
#include <map>
#include <vector>

#include "core/log.h"
#include "draw/blit.h"
#include "draw/context.h"
#include "draw/palette.h"
#include "draw/present.h"
#include "draw/rect_batch.h"
#include "draw/surface.h"

namespace {

DWORD Rgb(const PALETTEENTRY& e) {
  return static_cast<DWORD>(e.peRed) << 16 | static_cast<DWORD>(e.peGreen) << 8 | e.peBlue;
}

// DirectDraw colour fill of a rectangle cut to the record's size.
void FillDirectDraw(DDSURFACEDATA* lpSD, int x, int y, int nWidth, int nHeight, DWORD value) {
  if (!lpSD || !lpSD->lpDDObj || !lpSD->lpDDObj->lpSurface) return;
  RECT r{std::max(x, 0), std::max(y, 0), std::min(x + nWidth, lpSD->nWidth), std::min(y + nHeight, lpSD->nHeight)};
  if (r.left >= r.right || r.top >= r.bottom) return;
  DDBLTFX fx{100, value};
  lpSD->lpDDObj->lpSurface->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

// A fill of a surface that is not a render target, through a lock.
void FillLocked(DDSURFACEDATA* lpSD, int x, int y, int nWidth, int nHeight, DWORD dwColor) {
  cSurfaceLock lock(lpSD);
  if (!lock.Locked()) return;
  DWORD value = dwColor;
  if (DDBpp == 16) {
    const DDPIXELLAYOUT& t = g_PixelLayout;
    const bool back = DDIsFullscreenBackBuffer(lpSD);
    const DDPIXELLAYOUT& shifts = back ? g_BackBufferLayout : g_PixelLayout;
    const DWORD a = (dwColor >> 24) * t.dwMaxA / 255, r = ((dwColor >> 16) & 0xFF) * t.dwMaxR / 255;
    const DWORD g = ((dwColor >> 8) & 0xFF) * t.dwMaxG / 255, b = (dwColor & 0xFF) * t.dwMaxB / 255;
    value = (a << shifts.nShiftA | r << shifts.nShiftR | (back ? g * 2 : g) << shifts.nShiftG | b << shifts.nShiftB) &
            0xFFFF;
  } else if (DDBpp != 32) {
    return;
  }
  for (int i = 0; i < nHeight; ++i) {
    const int py = y + i;
    if (py < 0 || py >= lock.m_nHeight) continue;
    for (int j = 0; j < nWidth; ++j) {
      const int px = x + j;
      if (px >= 0 && px < lock.m_nWidth) lock.Set(px, py, value);
    }
  }
}

}  // namespace

DWORD PalNumToRGB(DWORD dwPalNum) {
  if (dwPalNum > 255) {
    ErrorLog("PalNumToRGB(DWORD dwPalNum) Err dwPalNum = %d", static_cast<int>(dwPalNum));
    return 0;
  }
  const PALETTEENTRY& e = DDPalette[dwPalNum];
  if (lpDTCon) {
    if (DDBpp != 16 && DDBpp != 32) return 0;
    return dwPalNum == 0 ? lpDTCon->dwTransmitClear : 0xFF000000u | Rgb(e);
  }
  switch (DDBpp) {
    case 8:
      return dwPalNum;
    case 16: {
      // In this mode the palette holds channel values of the display format already.
      const DDPIXELLAYOUT& l = g_PixelLayout;
      return (e.peRed & l.dwMaxR) << l.nShiftR | (e.peGreen & l.dwMaxG) << l.nShiftG | (e.peBlue & l.dwMaxB) << l.nShiftB;
    }
    case 24:
    case 32:
      return Rgb(e);
    default:
      return 0;
  }
}

void DDFillRect(DDSURFACEDATA* lpSD, int x, int y, int nWidth, int nHeight, DWORD dwPalNum) {
  if (lpDTCon) {
    DDFillRectD3D(lpSD, x, y, nWidth, nHeight, PalNumToRGB(dwPalNum));
    return;
  }
  FillDirectDraw(lpSD, x, y, nWidth, nHeight, PalNumToRGB(dwPalNum));
}

void DDFillRectD3D(DDSURFACEDATA* lpSD, int x, int y, int nWidth, int nHeight, DWORD dwColor) {
  if (!lpDTCon) {
    FillDirectDraw(lpSD, x, y, nWidth, nHeight, dwColor);
    return;
  }
  if (!lpSD) return;
  DDUseSubstitute(&lpSD);
  DDRedirectBackBuffer(&lpSD);
  DTDATA* dt = lpSD->lpDT;
  if (!dt) return;
  if (!dt->bRenderTarget) {
    FillLocked(lpSD, x, y, nWidth, nHeight, dwColor);
    return;
  }
  const int left = std::clamp(x, 0, lpSD->nWidth), top = std::clamp(y, 0, lpSD->nHeight);
  const int right = std::min(x + nWidth, lpSD->nWidth), bottom = std::min(y + nHeight, lpSD->nHeight);
  if (right <= left || bottom <= top) return;
  const DTCONTEXT& c = *lpDTCon;
  const D3DCOLOR transparent = lpSD == &BackBuffer ? c.dwTransmitARGB : c.dwTransmitClear;
  if (dt->bTransmit && (DDBpp == 16 || DDBpp == 32) && dwColor == transparent) {
    // Filling a keyed surface with its transparent value makes the area transparent again.
    if (!DDBeginScene() || !DDSetRenderTarget(0, lpSD)) return;
    const D3DRECT r{left, top, right, bottom};
    lpDevice->Clear(1, &r, D3DCLEAR_TARGET, dwColor, 1.0f, 0);
    DDSetRenderTarget(0, c.lpDefaultTargetSD);
    return;
  }
  if (DDQueueRect(lpSD, left, top, right - left, bottom - top, dwColor)) return;
  if (!dt->lpVB) return;
  const float l = static_cast<float>(left) - 0.5f, r = static_cast<float>(right) - 0.5f;
  const float t = static_cast<float>(top) - 0.5f, b = static_cast<float>(bottom) - 0.5f;
  const DDVERTEX quad[4] = {{l, t, 0, 1, dwColor, 0, 0}, {l, b, 0, 1, dwColor, 0, 0}, {r, t, 0, 1, dwColor, 0, 0},
                            {r, b, 0, 1, dwColor, 0, 0}};
  void* p = nullptr;
  if (FAILED(dt->lpVB->Lock(0, DD_QUAD_BYTES, &p, 0))) return;
  std::copy(quad, quad + 4, static_cast<DDVERTEX*>(p));
  dt->lpVB->Unlock();
  if (!DDBeginScene() || !DDSetRenderTarget(0, lpSD)) return;
  lpDevice->SetRenderState(D3DRS_TEXTUREFACTOR, dwColor);
  lpDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  lpDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
  lpDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
  lpDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
  lpDevice->SetStreamSource(0, dt->lpVB, 0, sizeof(DDVERTEX));
  lpDevice->SetFVF(DD_VERTEX_FVF);
  lpDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  DDSetRenderTarget(0, c.lpDefaultTargetSD);
}

void DDClearSurface(DDSURFACEDATA* lpSD, DWORD dwPalNum) {
  if (lpSD) DDFillRect(lpSD, 0, 0, lpSD->nWidth, lpSD->nHeight, dwPalNum);
}

void DDClearSurfaceColor(DDSURFACEDATA* lpSD, DWORD dwColor) {
  if (lpSD) DDFillRectD3D(lpSD, 0, 0, lpSD->nWidth, lpSD->nHeight, dwColor);
}

void DDPutPixel(DDSURFACEDATA* lpSD, int x, int y, DWORD dwPalNum) {
  if (!lpSD || x < 0 || y < 0 || x >= lpSD->nWidth || y >= lpSD->nHeight) return;
  DDFillRect(lpSD, x, y, 1, 1, dwPalNum);
}

void DDCircle(DDSURFACEDATA* lpSD, int nCenterX, int nCenterY, int nRadius, DWORD dwPalNum) {
  if (!lpSD || nRadius < 1) return;
  // The colour is converted once (with its error line once for a number above 255).
  const DWORD value = PalNumToRGB(dwPalNum);
  const auto plot = [&](int px, int py) {
    if (lpDTCon) {
      DDFillRectD3D(lpSD, px, py, 1, 1, value);
    } else if (px >= 0 && py >= 0 && px < lpSD->nWidth && py < lpSD->nHeight) {
      FillDirectDraw(lpSD, px, py, 1, 1, value);
    }
  };
  int px = 0, py = nRadius, d = 3 - 2 * nRadius;
  while (px <= py) {
    plot(nCenterX + px, nCenterY + py);
    plot(nCenterX - px, nCenterY + py);
    plot(nCenterX + px, nCenterY - py);
    plot(nCenterX - px, nCenterY - py);
    plot(nCenterX + py, nCenterY + px);
    plot(nCenterX - py, nCenterY + px);
    plot(nCenterX + py, nCenterY - px);
    plot(nCenterX - py, nCenterY - px);
    if (d < 0) {
      d += 4 * px + 6;
    } else {
      d += 4 * (px - py) + 10;
      py -= 1;
    }
    px += 1;
  }
}

int DDBuildPalIndexMap(BYTE** lppMap, DDSURFACEDATA* lpSD) {
  cSurfaceLock lock;
  if (!lppMap || !lock.Lock(lpSD)) {
    OutOfMemoryExit();
    return 0;
  }
  const int w = std::min(lpSD->nWidth, lock.m_nWidth), h = std::min(lpSD->nHeight, lock.m_nHeight);
  const int pitch = lock.m_nPitch;
  delete[] *lppMap;
  *lppMap = new BYTE[static_cast<size_t>(std::max(lpSD->nHeight, 0)) * static_cast<size_t>(pitch)]();
  BYTE* map = *lppMap;
  const DDPIXELLAYOUT& l = g_PixelLayout;
  // The first entry of each colour: later entries of the same colour do not replace it.
  std::map<DWORD, BYTE> first;
  if (DDBpp == 32) {
    for (int k = 0; k < 256; ++k) first.emplace(Rgb(DDPalette[k]), static_cast<BYTE>(k));
  } else if (DDBpp == 16) {
    for (int k = 0; k < 256; ++k) {
      const PALETTEENTRY& e = DDPalette[k];
      if (lpDTCon) {
        // The colour a 16-bit pixel shows, each channel scaled back to 0..255.
        first.emplace(Rgb(e), static_cast<BYTE>(k));
      } else {
        const BYTE rgb[3] = {e.peRed, e.peGreen, e.peBlue};
        first.emplace(DDPalToRGB16(rgb), static_cast<BYTE>(k));
      }
    }
  }
  const bool keyed = lpDTCon && lpSD->lpDT && lpSD->lpDT->bTransmit;
  for (int y = 0; y < h && (DDBpp == 16 || DDBpp == 32); ++y) {
    for (int x = 0; x < w; ++x) {
      const DWORD p = lock.Get(x, y);
      DWORD colour;
      if (DDBpp == 32) {
        colour = p & 0x00FFFFFFu;
      } else if (lpDTCon) {
        if (keyed && p == 0) {
          map[static_cast<size_t>(y) * static_cast<size_t>(pitch) + static_cast<size_t>(x)] = 0;
          continue;
        }
        const auto up = [](DWORD v, DWORD max) { return max ? v * 255 / max : 0; };
        colour = up((p >> l.nShiftR) & l.dwMaxR, l.dwMaxR) << 16 | up((p >> l.nShiftG) & l.dwMaxG, l.dwMaxG) << 8 |
                 up((p >> l.nShiftB) & l.dwMaxB, l.dwMaxB);
      } else {
        colour = p;
      }
      const auto it = first.find(colour);
      if (it != first.end()) map[static_cast<size_t>(y) * static_cast<size_t>(pitch) + static_cast<size_t>(x)] = it->second;
    }
  }
  return 1;
}
