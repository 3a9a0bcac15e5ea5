#include "draw/blend_blit.h"

#include <cmath>
#include <cstdio>

#include "draw/blit.h"
#include "draw/context.h"
#include "draw/effect_pixels.h"
#include "draw/present.h"
#include "platform/file.h"

BYTE g_BlendTable[DD_BLEND_TABLE_SIZE];

namespace {

// The rectangles of a lock-based mix: destination (x, y) and the source read from (sx, sy)
// forward, or backward from sx − 1 (sy − 1) for a mirrored source.
struct MixRect {
  int x, y, w, h;
  int sx, sy;
  int dirX = 1;
  int dirY = 1;
};

// Runs fn(S, D&) over every pixel both surfaces hold, rows of the width's element type T; S is
// skipped when transparent and bTransmit is set (8-bit: index 0 when skipZero).
template <class T, class Fn>
void ForEachPixel(const cLockPair& lk, const MixRect& r, int bTransmit, Fn fn) {
  const Span rows = ClipSpan(r.h, r.y, lk.d.m_nHeight, r.sy, r.dirY, lk.s.m_nHeight);
  const Span cols = ClipSpan(r.w, r.x, lk.d.m_nWidth, r.sx, r.dirX, lk.s.m_nWidth);
  if (rows.Empty() || cols.Empty()) return;
  for (int i = rows.lo; i < rows.hi; ++i) {
    const T* s = reinterpret_cast<const T*>(Row8(lk.s, r.sy + r.dirY * i)) + r.sx;
    T* d = reinterpret_cast<T*>(Row8(lk.d, r.y + i)) + r.x;
    for (int j = cols.lo; j < cols.hi; ++j) {
      const DWORD p = s[r.dirX * j];
      if (bTransmit == 1 && IsTransparentPixel(p)) continue;
      T& out = d[j];
      fn(p, out);
    }
  }
}

// The quad-path decision and the source rectangle of a Direct3D mix: the mirrored cell of an
// alias record read backward. True for the quad path.
bool PrepareD3D(DDSURFACEDATA** lplpDst, DDSURFACEDATA** lplpSrc, int* pSrcX, int* pSrcY, int* pW, int* pH) {
  DDMirrorCoords(*lplpSrc, pSrcX, pSrcY, pW, pH);
  DDUseSubstitute(lplpDst);
  DDUseSubstitute(lplpSrc);
  DDRedirectBackBuffer(lplpDst);
  DDRedirectBackBuffer(lplpSrc);
  const DTDATA* d = (*lplpDst)->lpDT;
  const DTDATA* s = (*lplpSrc)->lpDT;
  return d && s && d->bRenderTarget && s->dwMemoryType != DTMEMORYTYPE_SYSTEM;
}

MixRect LockRect(int x, int y, int w, int h, int sx, int sy, int mw, int mh) {
  MixRect r{x, y, w, h, sx, sy};
  if (mw < 0) {
    r.sx = sx - 1;
    r.dirX = -1;
  }
  if (mh < 0) {
    r.sy = sy - 1;
    r.dirY = -1;
  }
  return r;
}

// Writes the quad and opens the target; the caller sets its states and draws.
bool BeginMixQuad(DDSURFACEDATA* dst, DDSURFACEDATA* src, int x, int y, int w, int h, int sx, int sy, int mw, int mh,
                  D3DCOLOR color) {
  const float tw = src->nTexWidth ? static_cast<float>(src->nTexWidth) : 1.0f;
  const float th = src->nTexHeight ? static_cast<float>(src->nTexHeight) : 1.0f;
  DDVERTEX quad[4];
  MakeQuad(quad, static_cast<float>(x) - 0.5f, static_cast<float>(y) - 0.5f, static_cast<float>(x + w) - 0.5f,
           static_cast<float>(y + h) - 0.5f, color, static_cast<float>(sx) / tw, static_cast<float>(sy) / th,
           static_cast<float>(sx + mw) / tw, static_cast<float>(sy + mh) / th);
  return BeginEffectQuad(dst, src->lpDT, quad);
}

BYTE Half(BYTE a, BYTE b) { return static_cast<BYTE>((a + b) >> 1); }

void AlphaD3DLocked(const cLockPair& lk, const MixRect& r, int bTransmit, bool toBack) {
  if (DDBpp == 32) {
    ForEachPixel<DWORD>(lk, r, bTransmit, [](DWORD s, DWORD& d) {
      const DWORD b = ((s & 0xFF) + (d & 0xFF)) >> 1, g = (((s >> 8) & 0xFF) + ((d >> 8) & 0xFF)) >> 1;
      const DWORD rr = (((s >> 16) & 0xFF) + ((d >> 16) & 0xFF)) >> 1;
      d = 0xFF000000u | rr << 16 | g << 8 | b;
    });
    return;
  }
  if (DDBpp != 16) return;
  const DDPIXELLAYOUT& tl = g_PixelLayout;
  const DDPIXELLAYOUT& bl = g_BackBufferLayout;
  if (toBack) {
    ForEachPixel<WORD>(lk, r, bTransmit, [&](DWORD s, WORD& d) {
      const Channels S = SplitPixel(s, tl), D = SplitPixel(d, bl);
      d = static_cast<WORD>(((S.r + D.r) >> 1) << bl.nShiftR | ((D.g + 2 * S.g) >> 1) << bl.nShiftG |
                            ((S.b + D.b) >> 1) << bl.nShiftB);
    });
  } else {
    ForEachPixel<WORD>(lk, r, bTransmit, [&](DWORD s, WORD& d) {
      const Channels S = SplitPixel(s, tl), D = SplitPixel(d, tl);
      d = static_cast<WORD>(JoinPixel({(S.r + D.r) >> 1, (S.g + D.g) >> 1, (S.b + D.b) >> 1}, tl) | AlphaBit(tl));
    });
  }
}

void AlphaDDLocked(const cLockPair& lk, const MixRect& r, int bTransmit, const BYTE* table) {
  const DWORD key = DDColorKey;
  if (DDBpp == 8) {
    // Index 0 is the transparent source here, and a destination of index 0 takes the source.
    const auto mix = [&](DWORD s, BYTE& d) { d = d == 0 ? static_cast<BYTE>(s) : table[d * 256u + s]; };
    const Span rows = ClipSpan(r.h, r.y, lk.d.m_nHeight, r.sy, r.dirY, lk.s.m_nHeight);
    const Span cols = ClipSpan(r.w, r.x, lk.d.m_nWidth, r.sx, r.dirX, lk.s.m_nWidth);
    for (int i = rows.lo; i < rows.hi && !cols.Empty(); ++i) {
      const BYTE* s = Row8(lk.s, r.sy + i) + r.sx;
      BYTE* d = Row8(lk.d, r.y + i) + r.x;
      for (int j = cols.lo; j < cols.hi; ++j) {
        if (bTransmit == 1 && s[j] == 0) continue;
        mix(s[j], d[j]);
      }
    }
  } else if (DDBpp == 16) {
    // Both fields widened to 0..255, halved and narrowed back, by tables.
    const DDPIXELLAYOUT& l = g_PixelLayout;
    const FieldTables wide(l, [](DWORD v, DWORD max, int) { return Widen(v, max); });
    DWORD narrow[3][256];
    const DWORD max[3] = {l.dwMaxR, l.dwMaxG, l.dwMaxB};
    for (int c = 0; c < 3; ++c) {
      for (DWORD v = 0; v < 256; ++v) narrow[c][v] = Narrow(v, max[c]);
    }
    ForEachPixel<WORD>(lk, r, bTransmit, [&](DWORD s, WORD& d) {
      if (d == key) {
        d = static_cast<WORD>(s);
        return;
      }
      const Channels S = LookUp(wide, s, l), D = LookUp(wide, d, l);
      d = static_cast<WORD>(JoinPixel(
          {narrow[0][(S.r + D.r) >> 1], narrow[1][(S.g + D.g) >> 1], narrow[2][(S.b + D.b) >> 1]}, l));
    });
  } else if (DDBpp == 32) {
    ForEachPixel<DWORD>(lk, r, bTransmit, [&](DWORD s, DWORD& d) {
      BYTE* db = reinterpret_cast<BYTE*>(&d);
      const BYTE* sb = reinterpret_cast<const BYTE*>(&s);
      if (d == key) {
        db[0] = sb[0], db[1] = sb[1], db[2] = sb[2];
        return;
      }
      db[0] = Half(sb[0], db[0]), db[1] = Half(sb[1], db[1]), db[2] = Half(sb[2], db[2]);
    });
  }
}

int ColorChangeQuadK(int nLevel) {
  switch (nLevel) {
    case 1: return 128;
    case 2: return 80;
    case 3: return 48;
    case 4: return 16;
    default: return 0;
  }
}

int ColorChangeLockK(int nLevel) {
  switch (nLevel) {
    case 1: return 128;
    case 2: return 64;
    case 3: return 32;
    case 4: return 16;
    default: return 0;
  }
}

void ColorChangeD3DLocked(const cLockPair& lk, const MixRect& r, int bTransmit, const PALETTEENTRY& colour, int nLevel,
                          bool toBack) {
  const DDPIXELLAYOUT& tl = g_PixelLayout;
  const float a = static_cast<float>(ColorChangeLockK(nLevel)) * (1.0f / 255.0f);
  const Channels c{colour.peRed * tl.dwMaxR / 255, colour.peGreen * tl.dwMaxG / 255, colour.peBlue * tl.dwMaxB / 255};
  const float ia = 1.0f - a;
  const float cr = ia * static_cast<float>(c.r), cg = ia * static_cast<float>(c.g), cb = ia * static_cast<float>(c.b);
  const auto mix = [&](DWORD s, DWORD cc, float cf) {
    if (nLevel == 1) return (s + cc) >> 1;
    const float m = static_cast<float>(s) * a;
    return static_cast<DWORD>(m + cf);
  };
  if (DDBpp == 32) {
    ForEachPixel<DWORD>(lk, r, bTransmit, [&](DWORD s, DWORD& d) {
      const Channels S = SplitPixel(s, tl);
      d = 0xFF000000u | mix(S.r, c.r, cr) << 16 | mix(S.g, c.g, cg) << 8 | mix(S.b, c.b, cb);
    });
  } else if (DDBpp == 16 && toBack) {
    const DDPIXELLAYOUT& bl = g_BackBufferLayout;
    ForEachPixel<WORD>(lk, r, bTransmit, [&](DWORD s, WORD& d) {
      const Channels S = SplitPixel(s, tl);
      const DWORD g = nLevel == 1 ? S.g + c.g : 2 * mix(S.g, c.g, cg);
      d = static_cast<WORD>(mix(S.r, c.r, cr) << bl.nShiftR | g << bl.nShiftG | mix(S.b, c.b, cb) << bl.nShiftB);
    });
  } else if (DDBpp == 16) {
    ForEachPixel<WORD>(lk, r, bTransmit, [&](DWORD s, WORD& d) {
      const Channels S = SplitPixel(s, tl);
      d = static_cast<WORD>(JoinPixel({mix(S.r, c.r, cr), mix(S.g, c.g, cg), mix(S.b, c.b, cb)}, tl) | AlphaBit(tl));
    });
  }
}

void ColorChangeDDLocked(const cLockPair& lk, const MixRect& r, int bTransmit, const PALETTEENTRY& colour, int nColor,
                         int nLevel) {
  // The result of a pixel depends on its own value (at 8 bits) or on each channel's own value:
  // the levels are worked out once per value into a table.
  const auto steps = [nLevel](DWORD v, DWORD toward) {
    for (int k = 0; k < nLevel; ++k) {
      const DWORD next = (v + toward) >> 1;
      if (next == v) break;  // settled: every further step gives it again
      v = next;
    }
    return v;
  };
  if (DDBpp == 8) {
    BYTE changed[256];
    for (DWORD v = 0; v < 256; ++v) {
      DWORD p = v;
      for (int k = 0; k < nLevel; ++k) {
        const DWORD next = g_BlendTable[p * 256u + static_cast<DWORD>(nColor)];
        if (next == p) break;
        p = next;
      }
      changed[v] = static_cast<BYTE>(p);
    }
    ForEachPixel<BYTE>(lk, r, bTransmit, [&](DWORD s, BYTE& d) { d = changed[s]; });
  } else if (DDBpp == 16) {
    // Each field's result depends on its own value only: one table per field.
    const DDPIXELLAYOUT& l = g_PixelLayout;
    const Channels c{Widen(colour.peRed, l.dwMaxR), Widen(colour.peGreen, l.dwMaxG), Widen(colour.peBlue, l.dwMaxB)};
    const DWORD toward[3] = {c.r, c.g, c.b};
    const FieldTables changed(
        l, [&](DWORD v, DWORD max, int field) { return Narrow(steps(Widen(v, max), toward[field]), max); });
    ForEachPixel<WORD>(lk, r, bTransmit,
                       [&](DWORD s, WORD& d) { d = static_cast<WORD>(JoinPixel(LookUp(changed, s, l), l)); });
  } else if (DDBpp == 32) {
    DWORD red[256], green[256], blue[256];
    for (DWORD v = 0; v < 256; ++v) {
      red[v] = steps(v, colour.peRed) << 16;
      green[v] = steps(v, colour.peGreen) << 8;
      blue[v] = steps(v, colour.peBlue);
    }
    ForEachPixel<DWORD>(lk, r, bTransmit, [&](DWORD s, DWORD& d) {
      d = (d & 0xFF000000u) | red[(s >> 16) & 0xFF] | green[(s >> 8) & 0xFF] | blue[s & 0xFF];
    });
  }
}

}  // namespace

bool DDReadBlendTable(BYTE* lpBlendTable, const char* lpFileName) {
  if (lpDTCon) return true;
  if (!lpBlendTable || !lpFileName) return false;
  FILE* f = FileOpen(lpFileName, "rb");
  if (!f) return false;
  std::fread(lpBlendTable, 1, DD_BLEND_TABLE_SIZE, f);
  std::fclose(f);
  return true;
}

bool DDBltAlpha(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nSrcX,
                int nSrcY, int bTransmit, const BYTE* lpBlendTable, int nAlpha) {
  if (!lpDstSD || !lpSrcSD) return true;
  if (lpDTCon) {
    int sx = nSrcX, sy = nSrcY, mw = nWidth, mh = nHeight;
    if (PrepareD3D(&lpDstSD, &lpSrcSD, &sx, &sy, &mw, &mh)) {
      const D3DCOLOR color = static_cast<D3DCOLOR>((255 - nAlpha) & 0xFF) << 24 | 0x00FFFFFFu;
      if (!BeginMixQuad(lpDstSD, lpSrcSD, x, y, nWidth, nHeight, sx, sy, mw, mh, color)) return true;
      SetStageStates(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
      if (DrawEffectQuad(lpSrcSD->lpDT, lpSrcSD->lpDT->lpTexture)) {
        lpDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        lpDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
      }
      return true;
    }
    cLockPair lk(lpDstSD, lpSrcSD);
    if (lk.Locked()) {
      AlphaD3DLocked(lk, LockRect(x, y, nWidth, nHeight, sx, sy, mw, mh), bTransmit,
                     DDBpp == 16 && DDIsFullscreenBackBuffer(lpDstSD));
    }
    return true;
  }
  cLockPair lk(lpDstSD, lpSrcSD);
  if (!lk.Locked()) return false;
  AlphaDDLocked(lk, LockRect(x, y, nWidth, nHeight, nSrcX, nSrcY, nWidth, nHeight), bTransmit,
                lpBlendTable ? lpBlendTable : g_BlendTable);
  return true;
}

bool DDBltHalf(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nSrcX,
               int nSrcY, int bTransmit, const BYTE* lpBlendTable) {
  return DDBltAlpha(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, nSrcX, nSrcY, bTransmit, lpBlendTable, 128);
}

bool DDBltColorChange(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD,
                      int nSrcX, int nSrcY, int bTransmit, const PALETTEENTRY* lpPalette, const BYTE*, int nColor,
                      int nLevel) {
  if (!lpDstSD || !lpSrcSD || !lpPalette || nColor < 0 || nColor > 255) return true;
  const PALETTEENTRY& colour = lpPalette[nColor];
  if (lpDTCon) {
    if (nLevel <= 0) return true;
    int sx = nSrcX, sy = nSrcY, mw = nWidth, mh = nHeight;
    if (PrepareD3D(&lpDstSD, &lpSrcSD, &sx, &sy, &mw, &mh)) {
      if (!BeginMixQuad(lpDstSD, lpSrcSD, x, y, nWidth, nHeight, sx, sy, mw, mh, 0xFFFFFFFFu)) return true;
      const D3DCOLOR factor = static_cast<D3DCOLOR>(ColorChangeQuadK(nLevel)) << 24 |
                              static_cast<D3DCOLOR>(colour.peRed) << 16 | static_cast<D3DCOLOR>(colour.peGreen) << 8 |
                              colour.peBlue;
      lpDevice->SetRenderState(D3DRS_TEXTUREFACTOR, factor);
      SetStageStates(D3DTOP_BLENDFACTORALPHA, D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTOP_SELECTARG1, D3DTA_TEXTURE,
                     D3DTA_DIFFUSE);
      DrawEffectQuad(lpSrcSD->lpDT, lpSrcSD->lpDT->lpTexture);
      return true;
    }
    cLockPair lk(lpDstSD, lpSrcSD);
    if (lk.Locked()) {
      ColorChangeD3DLocked(lk, LockRect(x, y, nWidth, nHeight, sx, sy, mw, mh), bTransmit, colour, nLevel,
                           DDBpp == 16 && DDIsFullscreenBackBuffer(lpDstSD));
    }
    return true;
  }
  if (nLevel == 0) return true;
  cLockPair lk(lpDstSD, lpSrcSD);
  if (!lk.Locked()) return false;
  ColorChangeDDLocked(lk, LockRect(x, y, nWidth, nHeight, nSrcX, nSrcY, nWidth, nHeight), bTransmit, colour, nColor,
                      nLevel);
  return true;
}
