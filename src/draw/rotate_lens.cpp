#include "draw/rotate_lens.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <type_traits>

#include "draw/blit.h"
#include "draw/context.h"
#include "draw/effect_pixels.h"
#include "draw/present.h"

namespace {

constexpr double kDegToRad = 0.017453292519943278;

// The pixel written where the rotation or the lens copies a source pixel: converted into the
// layout of the full-screen 16-bit back buffer, unchanged elsewhere.
DWORD Converted(DWORD p, bool toBack) { return toBack ? TextureToBackBuffer(p) : p; }

void RotateQuad(DDSURFACEDATA* dst, int x, int y, int w, int h, int px, int py, int nAngle, DDSURFACEDATA* src, int sx,
                int sy, int mw, int mh) {
  const float a = static_cast<float>(nAngle) * static_cast<float>(kDegToRad);
  const float s = std::sin(a), c = std::cos(a);
  const float ox = static_cast<float>(x) - 0.5f + static_cast<float>(px - (w >> 1));
  const float oy = static_cast<float>(y) - 0.5f + static_cast<float>(py - (h >> 1));
  const float tw = src->nTexWidth ? static_cast<float>(src->nTexWidth) : 1.0f;
  const float th = src->nTexHeight ? static_cast<float>(src->nTexHeight) : 1.0f;
  const float u0 = static_cast<float>(sx) / tw, v0 = static_cast<float>(sy) / th;
  const float u1 = static_cast<float>(sx + mw) / tw, v1 = static_cast<float>(sy + mh) / th;
  const int cu[4] = {0, 0, w, w}, cv[4] = {0, h, 0, h};
  const float tu[4] = {u0, u0, u1, u1}, tv[4] = {v0, v1, v0, v1};
  DDVERTEX quad[4];
  for (int k = 0; k < 4; ++k) {
    const float du = static_cast<float>(cu[k] - px), dv = static_cast<float>(cv[k] - py);
    const float cx = c * du, sy2 = s * dv, sx2 = s * du, cy = c * dv;
    quad[k] = DDVERTEX{ox + (cx - sy2), oy + (sx2 + cy), 0.0f, 1.0f, lpDTCon->dwDiffuse, tu[k], tv[k]};
  }
  if (!BeginEffectQuad(dst, src->lpDT, quad)) return;
  SetStageStates(static_cast<DWORD>(lpDTCon->nColorOp), D3DTA_TEXTURE, D3DTA_DIFFUSE,
                 static_cast<DWORD>(lpDTCon->nAlphaOp), D3DTA_TEXTURE, D3DTA_DIFFUSE);
  DrawEffectQuad(src->lpDT, src->lpDT->lpTexture);
}

// The offsets X for which floor((a × X + b) / 1024) lies in [lo, hi): an interval, as the
// value is monotone in X. Empty when first ≥ last.
struct Stretch {
  long long first = 0;
  long long last = 0;
};
long long FloorDiv(long long p, long long q) { return p / q - ((p % q != 0) && ((p < 0) != (q < 0))); }
Stretch SolveFixed(long long a, long long b, long long lo, long long hi) {
  // a × X lies in [A, B).
  const long long A = lo * 1024 - b, B = hi * 1024 - b;
  if (a == 0) return A <= 0 && 0 < B ? Stretch{LLONG_MIN / 2, LLONG_MAX / 2} : Stretch{};
  if (a > 0) return {-FloorDiv(-A, a), -FloorDiv(-B, a)};  // ceilings
  return {FloorDiv(B, a) + 1, FloorDiv(A, a) + 1};
}

// The lock-based rotation; mirrored (mw or mh negative) reads the source backward from the
// moved origin. Each destination row is solved for the stretch of pixels whose source lies in
// the rectangle and on the source surface; that stretch is then copied without tests.
template <class T>
void RotateLocked(cLockPair& lk, int x, int y, int w, int h, int px, int py, int nAngle, int sx, int sy, int mw,
                  int mh, int bTransmit, bool toBack) {
  // Products in 64 bits: sizes and pivots are not bounded by the callers' surfaces.
  using i64 = long long;
  const double a = nAngle * kDegToRad;
  const i64 S = static_cast<i64>(1024 * std::sin(a)), C = static_cast<i64>(1024 * std::cos(a));
  i64 minX = LLONG_MAX, maxX = LLONG_MIN, minY = LLONG_MAX, maxY = LLONG_MIN;
  for (const i64 u : {i64{-px}, i64{w} - px - 1}) {
    for (const i64 v : {i64{-py}, i64{h} - py - 1}) {
      const i64 bx = ((C * u - S * v) >> 10) + px, by = ((S * u + C * v) >> 10) + py;
      minX = std::min(minX, bx), maxX = std::max(maxX, bx);
      minY = std::min(minY, by), maxY = std::max(maxY, by);
    }
  }
  const i64 S2 = static_cast<i64>(1024 * std::sin(-a)), C2 = static_cast<i64>(1024 * std::cos(-a));
  const i64 srcW = lk.s.m_nWidth, srcH = lk.s.m_nHeight;
  const DWORD key = lpDTCon ? 0 : DDColorKey;
  // The rectangle's columns rx and rows ry whose source pixel lies on the source surface.
  const i64 rxLo = std::max<i64>(0, mw < 0 ? sx - srcW : -i64{sx});
  const i64 rxHi = std::min<i64>(w, mw < 0 ? i64{sx} : srcW - sx);
  const i64 ryLo = std::max<i64>(0, mh < 0 ? sy - srcH : -i64{sy});
  const i64 ryHi = std::min<i64>(h, mh < 0 ? i64{sy} : srcH - sy);
  if (rxLo >= rxHi || ryLo >= ryHi) return;
  // Destination rows and columns of the box that lie on the destination.
  const i64 by0 = std::max(minY - 2, i64{py} - y), by1 = std::min(maxY + 2, i64{lk.d.m_nHeight} - y + py);
  const i64 bx0 = std::max(minX - 2, i64{px} - x), bx1 = std::min(maxX + 2, i64{lk.d.m_nWidth} - x + px);
  for (i64 by = by0; by < by1; ++by) {
    const i64 Y = by - py;
    // ry = ((S2 × X + C2 × Y) >> 10) + py and rx = ((C2 × X − S2 × Y) >> 10) + px.
    const Stretch r = SolveFixed(S2, C2 * Y, ryLo - py, ryHi - py);
    const Stretch c = SolveFixed(C2, -S2 * Y, rxLo - px, rxHi - px);
    const i64 first = std::max({bx0 - px, r.first, c.first}), last = std::min({bx1 - px, r.last, c.last});
    if (first >= last) continue;
    T* const d = reinterpret_cast<T*>(Row8(lk.d, static_cast<int>(y + Y))) + (x + first);
    i64 nY = S2 * first + C2 * Y, nX = C2 * first - S2 * Y;
    for (i64 k = 0; k < last - first; ++k, nY += S2, nX += C2) {
      const i64 ry = (nY >> 10) + py, rx = (nX >> 10) + px;
      const i64 cx = mw < 0 ? sx - 1 - rx : sx + rx, cy = mh < 0 ? sy - 1 - ry : sy + ry;
      const DWORD p = reinterpret_cast<const T*>(Row8(lk.s, static_cast<int>(cy)))[cx];
      if (bTransmit == 1 && p == key) continue;
      d[k] = static_cast<T>(Converted(p, toBack));
    }
  }
}

// The disc of a lens on the destination and the source.
struct LensShape {
  int x, y, nRadius, nDepth;
  long long E;
  int nSrcX, nSrcY;
};

// The lens row by row over the square around the disc, cut to the destination. Each pixel of
// the disc takes the source pixel under its moved position, written by put(p, d), which says
// whether it wrote or kept the pixel as it wants it (false: with clear, the pixel becomes 0);
// with clear, the pixels outside the disc or whose sample lies off the source become 0 as well.
template <class T, class Put>
void LensRows(const cLockPair& lk, const LensShape& l, bool clear, Put put) {
  const long long R2 = static_cast<long long>(l.nRadius) * l.nRadius, E2 = l.E * l.E;
  const int ly0 = std::max(-l.nRadius, -l.y), ly1 = std::min(l.nRadius, lk.d.m_nHeight - 1 - l.y);
  const int lx0 = std::max(-l.nRadius, -l.x), lx1 = std::min(l.nRadius, lk.d.m_nWidth - 1 - l.x);
  for (int ly = ly0; ly <= ly1; ++ly) {
    T* const d = reinterpret_cast<T*>(Row8(lk.d, l.y + ly)) + (l.x + lx0);
    for (int lx = lx0; lx <= lx1; ++lx) {
      T& out = d[lx - lx0];
      const long long q = static_cast<long long>(lx) * lx + static_cast<long long>(ly) * ly;
      if (q > R2) {
        if (clear) out = 0;
        continue;
      }
      const double z = std::sqrt(static_cast<double>(E2 - q));
      int ox = lx, oy = ly;
      if (z != 0) {
        ox = static_cast<int>(lx * static_cast<double>(l.nDepth) / z + 0.5);
        oy = static_cast<int>(ly * static_cast<double>(l.nDepth) / z + 0.5);
      }
      const long long cx = static_cast<long long>(l.nSrcX) + ox, cy = static_cast<long long>(l.nSrcY) + oy;
      if (cx < 0 || cy < 0 || cx >= lk.s.m_nWidth || cy >= lk.s.m_nHeight) {
        if (clear) out = 0;
        continue;
      }
      if (!put(reinterpret_cast<const T*>(Row8(lk.s, static_cast<int>(cy)))[cx], out) && clear) out = 0;
    }
  }
}

}  // namespace

bool DDRotate(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nPivotX, int nPivotY, int nAngle,
              DDSURFACEDATA* lpSrcSD, int nSrcX, int nSrcY, int bTransmit) {
  if (!lpDstSD || !lpSrcSD) return true;
  int sx = nSrcX, sy = nSrcY, mw = nWidth, mh = nHeight;
  bool toBack = false;
  if (lpDTCon) {
    DDMirrorCoords(lpSrcSD, &sx, &sy, &mw, &mh);
    DDUseSubstitute(&lpDstSD);
    DDUseSubstitute(&lpSrcSD);
    DDRedirectBackBuffer(&lpDstSD);
    DDRedirectBackBuffer(&lpSrcSD);
    const DTDATA* d = lpDstSD->lpDT;
    const DTDATA* s = lpSrcSD->lpDT;
    if (!d || !s) return true;
    if (d->bRenderTarget && s->dwMemoryType != DTMEMORYTYPE_SYSTEM) {
      RotateQuad(lpDstSD, x, y, nWidth, nHeight, nPivotX, nPivotY, nAngle, lpSrcSD, sx, sy, mw, mh);
      return true;
    }
    if (DDBpp != 16 && DDBpp != 32) return true;
    toBack = DDBpp == 16 && DDIsFullscreenBackBuffer(lpDstSD);
  }
  cLockPair lk(lpDstSD, lpSrcSD);
  if (!lk.Locked()) return false;
  const int bytes = lk.d.m_nBytesPerPixel;
  if (lk.s.m_nBytesPerPixel != bytes) return true;
  switch (bytes) {
    case 1:
      RotateLocked<BYTE>(lk, x, y, nWidth, nHeight, nPivotX, nPivotY, nAngle, sx, sy, mw, mh, bTransmit, toBack);
      break;
    case 2:
      RotateLocked<WORD>(lk, x, y, nWidth, nHeight, nPivotX, nPivotY, nAngle, sx, sy, mw, mh, bTransmit, toBack);
      break;
    case 4:
      RotateLocked<DWORD>(lk, x, y, nWidth, nHeight, nPivotX, nPivotY, nAngle, sx, sy, mw, mh, bTransmit, toBack);
      break;
    default:
      break;
  }
  return true;
}

bool DDLens(DDSURFACEDATA* lpDstSD, int x, int y, int nRadius, int nDepth, DDSURFACEDATA* lpSrcSD, int nSrcX,
            int nSrcY, int bTransmit, int bClear) {
  if (nDepth < 0 || nRadius < 0 || !lpDstSD || !lpSrcSD) return false;
  const double r2 = static_cast<double>(nRadius) * nRadius;
  const long long E = static_cast<long long>(std::sqrt(r2 + static_cast<double>(nDepth) * nDepth));
  if (E <= nDepth) return false;
  if (lpDTCon) {
    DDUseSubstitute(&lpDstSD);
    DDUseSubstitute(&lpSrcSD);
    DDRedirectBackBuffer(&lpDstSD);
    DDRedirectBackBuffer(&lpSrcSD);
  }
  cLockPair lk(lpDstSD, lpSrcSD);
  if (!lk.Locked()) return false;
  const bool d3d = lpDTCon != nullptr;
  if (d3d && DDBpp != 16 && DDBpp != 32) return true;
  const int bytes = lk.d.m_nBytesPerPixel;
  if (lk.s.m_nBytesPerPixel != bytes) return true;
  const LensShape shape{x, y, nRadius, nDepth, E, nSrcX, nSrcY};
  const bool toBack = d3d && DDBpp == 16 && DDIsFullscreenBackBuffer(lpDstSD);
  const bool clear = d3d && DDBpp == 32 && bClear;
  if (d3d && DDBpp == 32) {
    // Samples with alpha are copied; with bClear the others, and the square around the disc, become 0.
    LensRows<DWORD>(lk, shape, clear, [](DWORD p, DWORD& d) {
      if (p >> 24) d = p;
      return (p >> 24) != 0;
    });
  } else if (d3d) {
    LensRows<WORD>(lk, shape, false, [bTransmit, toBack](DWORD p, WORD& d) {
      if (bTransmit == 1 && (p & 0xA000) == 0) return true;
      d = static_cast<WORD>(Converted(p, toBack));
      return true;
    });
  } else {
    const DWORD key = DDColorKey;
    const auto copy = [key](DWORD p, auto& d) {
      if (p != key) d = static_cast<std::remove_reference_t<decltype(d)>>(p);
      return true;
    };
    switch (bytes) {
      case 1:
        LensRows<BYTE>(lk, shape, false, copy);
        break;
      case 2:
        LensRows<WORD>(lk, shape, false, copy);
        break;
      case 4:
        LensRows<DWORD>(lk, shape, false, copy);
        break;
      default:
        break;
    }
  }
  return true;
}
