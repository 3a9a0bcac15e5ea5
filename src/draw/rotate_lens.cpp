#include "draw/rotate_lens.h"

#include <algorithm>
#include <climits>
#include <cmath>

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

// The lock-based rotation; mirrored (mw or mh negative) reads the source backward from the
// moved origin.
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
  const int srcW = lk.s.m_nWidth, srcH = lk.s.m_nHeight;
  const DWORD key = lpDTCon ? 0 : DDColorKey;
  // Destination rows and columns of the box that lie on the destination.
  const i64 by0 = std::max(minY - 2, i64{py} - y), by1 = std::min(maxY + 2, i64{lk.d.m_nHeight} - y + py);
  const i64 bx0 = std::max(minX - 2, i64{px} - x), bx1 = std::min(maxX + 2, i64{lk.d.m_nWidth} - x + px);
  for (i64 by = by0; by < by1; ++by) {
    const i64 Y = by - py;
    for (i64 bx = bx0; bx < bx1; ++bx) {
      const i64 X = bx - px;
      const i64 ry = ((S2 * X + C2 * Y) >> 10) + py;
      if (ry < 0 || ry >= h) continue;
      const i64 rx = ((C2 * X - S2 * Y) >> 10) + px;
      if (rx < 0 || rx >= w) continue;
      const i64 cx = mw < 0 ? sx - 1 - rx : sx + rx, cy = mh < 0 ? sy - 1 - ry : sy + ry;
      if (cx < 0 || cy < 0 || cx >= srcW || cy >= srcH) continue;
      const DWORD p = lk.s.Get(static_cast<int>(cx), static_cast<int>(cy));
      if (bTransmit == 1 && p == key) continue;
      lk.d.Set(static_cast<int>(x + X), static_cast<int>(y + Y), Converted(p, toBack));
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
  RotateLocked(lk, x, y, nWidth, nHeight, nPivotX, nPivotY, nAngle, sx, sy, mw, mh, bTransmit, toBack);
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
  const bool toBack = d3d && DDBpp == 16 && DDIsFullscreenBackBuffer(lpDstSD);
  const bool clear = d3d && DDBpp == 32 && bClear;
  const long long R2 = static_cast<long long>(nRadius) * nRadius, E2 = E * E;
  const int ly0 = std::max(-nRadius, -y), ly1 = std::min(nRadius, lk.d.m_nHeight - 1 - y);
  const int lx0 = std::max(-nRadius, -x), lx1 = std::min(nRadius, lk.d.m_nWidth - 1 - x);
  for (int ly = ly0; ly <= ly1; ++ly) {
    for (int lx = lx0; lx <= lx1; ++lx) {
      const long long q = static_cast<long long>(lx) * lx + static_cast<long long>(ly) * ly;
      if (q > R2) {
        if (clear) lk.d.Set(x + lx, y + ly, 0);
        continue;
      }
      const double z = std::sqrt(static_cast<double>(E2 - q));
      int ox = lx, oy = ly;
      if (z != 0) {
        ox = static_cast<int>(lx * static_cast<double>(nDepth) / z + 0.5);
        oy = static_cast<int>(ly * static_cast<double>(nDepth) / z + 0.5);
      }
      const int cx = nSrcX + ox, cy = nSrcY + oy;
      const bool inside = cx >= 0 && cy >= 0 && cx < lk.s.m_nWidth && cy < lk.s.m_nHeight;
      if (!inside) {
        if (clear) lk.d.Set(x + lx, y + ly, 0);
        continue;
      }
      const DWORD p = lk.s.Get(cx, cy);
      if (d3d && DDBpp == 32) {
        if (p >> 24) {
          lk.d.Set(x + lx, y + ly, p);
        } else if (clear) {
          lk.d.Set(x + lx, y + ly, 0);
        }
      } else if (d3d && DDBpp == 16) {
        if (bTransmit == 1 && (p & 0xA000) == 0) continue;
        lk.d.Set(x + lx, y + ly, Converted(p, toBack));
      } else if (!d3d) {
        if (p == DDColorKey) continue;
        lk.d.Set(x + lx, y + ly, p);
      }
    }
  }
  return true;
}
