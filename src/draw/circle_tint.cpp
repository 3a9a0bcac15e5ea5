#include "draw/circle_tint.h"

#include <algorithm>
#include <cmath>

#include "core/log.h"
#include "draw/blit.h"
#include "draw/context.h"
#include "draw/effect_pixels.h"
#include "draw/present.h"
#include "platform/d3dx9.h"

namespace {

// floor(√(r² − d²)) kept below r (only the middle row reaches r); 0 outside the circle.
int HalfWidth(int r, int d) {
  const long long q = static_cast<long long>(r) * r - static_cast<long long>(d) * d;
  if (q <= 0) return 0;
  const int hw = static_cast<int>(std::floor(std::sqrt(static_cast<double>(q))));
  return hw >= r ? r - 1 : hw;
}

// A copy of the Direct3D back buffer as an opaque texture of the texture format, for drawing the
// frame onto itself; null when it cannot be made.
IDirect3DTexture9* CopyBackBuffer(DDSURFACEDATA* lpBack) {
  IDirect3DTexture9* tex = nullptr;
  if (FAILED(D3DXCreateTexture(lpDevice, static_cast<UINT>(lpBack->nTexWidth), static_cast<UINT>(lpBack->nTexHeight), 1,
                               0, lpDTCon->fmtTexture, D3DPOOL_MANAGED, &tex))) {
    return nullptr;
  }
  cSurfaceLock src;
  src.LockForReading(lpBack);
  D3DLOCKED_RECT lr{};
  if (!src.Locked() || FAILED(tex->LockRect(0, &lr, nullptr, 0))) {
    tex->Release();
    return nullptr;
  }
  const int w = std::min(src.m_nWidth, lpBack->nTexWidth), h = std::min(src.m_nHeight, lpBack->nTexHeight);
  const DDPIXELLAYOUT& bl = g_BackBufferLayout;
  const DDPIXELLAYOUT& tl = g_PixelLayout;
  for (int y = 0; y < h; ++y) {
    BYTE* row = static_cast<BYTE*>(lr.pBits) + static_cast<size_t>(y) * static_cast<size_t>(lr.Pitch);
    if (DDBpp == 32) {
      const DWORD* s = Row32(src, y);
      DWORD* d = reinterpret_cast<DWORD*>(row);
      for (int x = 0; x < w; ++x) d[x] = s[x] | 0xFF000000u;
    } else {
      const WORD* s = Row16(src, y);
      WORD* d = reinterpret_cast<WORD*>(row);
      for (int x = 0; x < w; ++x) {
        Channels c = SplitPixel(s[x], bl);
        if (bl.dwMaxG > tl.dwMaxG) c.g >>= 1;  // six bits of green narrowed to five
        d[x] = static_cast<WORD>(JoinPixel(c, tl) | AlphaBit(tl));
      }
    }
  }
  tex->UnlockRect(0);
  return tex;
}

}  // namespace

void DDBltCircle(DDSURFACEDATA* lpDstSD, int x, int y, int nHalfWidth, int nHalfHeight, int nRadius, int nStrip,
                 DDSURFACEDATA* lpSrcSD, int nSrcX, int nSrcY, int nFlags) {
  if (nRadius <= 0 || nStrip <= 0 || !lpDstSD || !lpSrcSD) return;
  DDUseSubstitute(&lpDstSD);
  DDUseSubstitute(&lpSrcSD);
  const int L = std::max(0, nSrcX - nHalfWidth);
  const int R = std::min(nSrcX + nHalfWidth, lpSrcSD->nWidth);
  DDBeginSpriteBatch(0);
  const auto strip = [&](int i, int h, int hw) {
    int sx = nSrcX - hw, dx = x - hw, w = 2 * hw;
    if (sx < L) {
      w -= L - sx;
      dx += L - sx;
      sx = L;
    }
    if (sx + w >= R) w = R - sx;
    if (w <= 0) return;
    if (lpDTCon) {
      DDBlt(lpDstSD, dx, y + i, w, h, lpSrcSD, sx, nSrcY + i, w, h, nFlags);
    } else {
      DDBltFast(lpDstSD, dx, y + i, w, h, lpSrcSD, sx, nSrcY + i, nFlags);
    }
  };
  if (nStrip == 1) {
    for (int i = nRadius - 1; i >= -nRadius; --i) {
      if (i >= nHalfHeight) continue;
      if (i < -nHalfHeight) break;
      strip(i, 1, HalfWidth(nRadius, i));
    }
  } else {
    for (int i = nRadius - nStrip; i >= -nRadius; i -= nStrip) {
      if (i >= nHalfHeight) continue;
      if (i + nStrip <= -nHalfHeight) break;
      if (i + nStrip > nHalfHeight) {
        i = nHalfHeight - nStrip;
      } else if (i < -nHalfHeight) {
        i = -nHalfHeight;
      }
      strip(i, nStrip, HalfWidth(nRadius, i + (nStrip >> 1)));
    }
  }
  DDFlushSpriteBatch();
}

int DDFade_UnPal(DDSURFACEDATA* lpDstSD, int nLevel, BYTE bRed, BYTE bGreen, BYTE bBlue, DDSURFACEDATA* lpSrcSD) {
  if (lpDTCon) {
    ErrorLog("D3DではDDFade_UnPalは未対応");
    return 1;
  }
  cLockPair lk(lpDstSD, lpSrcSD);
  if (!lk.Locked()) return 0;
  // The mix covers the destination as far as the source reaches.
  const int w = std::min(lk.d.m_nWidth, lk.s.m_nWidth), h = std::min(lk.d.m_nHeight, lk.s.m_nHeight);
  const int rest = 256 - nLevel;
  if (DDBpp == 32) {
    const DWORD cr = bRed * static_cast<DWORD>(rest), cg = bGreen * static_cast<DWORD>(rest);
    const DWORD cb = bBlue * static_cast<DWORD>(rest);
    for (int y = 0; y < h; ++y) {
      const BYTE* s = Row8(lk.s, y);
      BYTE* d = Row8(lk.d, y);
      for (int x = 0; x < w; ++x, s += 4, d += 4) {
        d[0] = static_cast<BYTE>((cb + static_cast<DWORD>(nLevel) * s[0]) >> 8);
        d[1] = static_cast<BYTE>((cg + static_cast<DWORD>(nLevel) * s[1]) >> 8);
        d[2] = static_cast<BYTE>((cr + static_cast<DWORD>(nLevel) * s[2]) >> 8);
      }
    }
  } else if (DDBpp == 16) {
    // Each field's mix depends on its own value only: one table per field.
    const DDPIXELLAYOUT& l = g_PixelLayout;
    const auto mix = [&](DWORD v, DWORD max, BYTE colour) {
      const int m = (colour * rest + nLevel * static_cast<int>(Widen(v, max))) >> 8;
      return Narrow(static_cast<DWORD>(m), max);
    };
    const BYTE colours[3] = {bRed, bGreen, bBlue};
    const FieldTables mixed(l, [&](DWORD v, DWORD max, int c) { return mix(v, max, colours[c]); });
    for (int y = 0; y < h; ++y) {
      const WORD* s = Row16(lk.s, y);
      WORD* d = Row16(lk.d, y);
      for (int x = 0; x < w; ++x) d[x] = static_cast<WORD>(JoinPixel(LookUp(mixed, s[x], l), l));
    }
  }
  return 1;
}

int DDChangeColor(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nAlpha, BYTE bRed, BYTE bGreen,
                  BYTE bBlue) {
  return DDChangeColorFrom(lpDstSD, x, y, nWidth, nHeight, lpDstSD, nAlpha, bRed, bGreen, bBlue);
}

int DDChangeColorFrom(DDSURFACEDATA* lpDstSD, int, int, int, int, DDSURFACEDATA* lpSrcSD, int nAlpha, BYTE bRed,
                      BYTE bGreen, BYTE bBlue) {
  if (!lpDTCon) {
    ErrorLog(
        "DDrawでは DDChangeColor(DDSURFACEDATA *lpDstSD,int x,int y,int nWidth,int nHeight,int nAlpha,BYTE bRed,BYTE "
        "bGreen,BYTE bBlue) は未対応");
    return 1;
  }
  if (!lpDstSD || !lpSrcSD) return 1;
  DDUseSubstitute(&lpDstSD);
  DDUseSubstitute(&lpSrcSD);
  DDRedirectBackBuffer(&lpDstSD);
  DDRedirectBackBuffer(&lpSrcSD);
  if (!lpDstSD->lpDT || !lpSrcSD->lpDT) return 1;
  // The back buffer has no texture: it is drawn from a copy of the frame taken now, so the tint
  // applies once to the picture rather than to white.
  IDirect3DTexture9* copy = lpSrcSD->lpDT->lpTexture ? nullptr : CopyBackBuffer(lpSrcSD);
  IDirect3DTexture9* tex = copy ? copy : lpSrcSD->lpDT->lpTexture;
  const float w = static_cast<float>(lpDstSD->nWidth), h = static_cast<float>(lpDstSD->nHeight);
  const float tw = lpSrcSD->nTexWidth ? static_cast<float>(lpSrcSD->nTexWidth) : 1.0f;
  const float th = lpSrcSD->nTexHeight ? static_cast<float>(lpSrcSD->nTexHeight) : 1.0f;
  const D3DCOLOR color = static_cast<D3DCOLOR>((255 - nAlpha) & 0xFF) << 24 | static_cast<D3DCOLOR>(bRed) << 16 |
                         static_cast<D3DCOLOR>(bGreen) << 8 | bBlue;
  DDVERTEX quad[4];
  MakeQuad(quad, -0.5f, -0.5f, w - 0.5f, h - 0.5f, color, 0.0f, 0.0f, w / tw, h / th);
  if (BeginEffectQuad(lpDstSD, lpSrcSD->lpDT, quad)) {
    SetStageStates(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    DrawEffectQuad(lpSrcSD->lpDT, tex);
    lpDevice->SetTexture(0, nullptr);
  }
  if (copy) copy->Release();
  return 1;
}
