#include "draw/blur_mosaic.h"

#include <algorithm>
#include <vector>

#include "core/log.h"
#include "draw/context.h"
#include "draw/effect_pixels.h"
#include "draw/present.h"

namespace {

bool LockBoth(DDSURFACEDATA*& lpDst, DDSURFACEDATA*& lpSrc) {
  if (!lpDst || !lpSrc) return false;
  if (lpDTCon) {
    DDUseSubstitute(&lpDst);
    DDUseSubstitute(&lpSrc);
    DDRedirectBackBuffer(&lpDst);
    DDRedirectBackBuffer(&lpSrc);
  }
  return true;
}

// Channel sums of a window.
struct Sum {
  DWORD r = 0;
  DWORD g = 0;
  DWORD b = 0;
  DWORD n = 0;
};

Channels SplitBytes(DWORD p) { return {(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF}; }

// The blur of the rectangle: for each destination row the channel sums of every source column
// over the row's window rows (slid from row to row), then each pixel's window as a difference of
// running sums along the row.
template <class T, class Split, class Write>
void BlurPixels(const cLockPair& lk, int x, int y, int w, int h, int rx, int ry, int sx, int sy, int nFlags,
                Split split, Write write) {
  // Destination pixels whose own source pixel lies on the source surface.
  const Span rows = ClipSpan(h, y, lk.d.m_nHeight, sy, 1, lk.s.m_nHeight);
  const Span cols = ClipSpan(w, x, lk.d.m_nWidth, sx, 1, lk.s.m_nWidth);
  if (rows.Empty() || cols.Empty()) return;
  // The window is cut to the rectangle and to the source surface.
  const int rowLo = std::max(0, -sy), rowHi = std::min(h, lk.s.m_nHeight - sy);
  const int colLo = std::max(0, -sx), colHi = std::min(w, lk.s.m_nWidth - sx);
  const bool skip = nFlags == 1;
  std::vector<Sum> column(static_cast<size_t>(colHi - colLo)), prefix(column.size() + 1);
  const auto addRow = [&](int r, bool add) {
    const T* row = reinterpret_cast<const T*>(Row8(lk.s, sy + r)) + sx;
    for (int c = colLo; c < colHi; ++c) {
      const DWORD p = row[c];
      if (skip && IsTransparentPixel(p)) continue;
      const Channels ch = split(p);
      Sum& s = column[static_cast<size_t>(c - colLo)];
      if (add) {
        s.r += ch.r, s.g += ch.g, s.b += ch.b, ++s.n;
      } else {
        s.r -= ch.r, s.g -= ch.g, s.b -= ch.b, --s.n;
      }
    }
  };
  // Window rows i − ry .. i + ry − 1 (cut) always contain row i and only move down.
  int lo = std::max(rows.lo - ry, rowLo), hi = lo;
  for (int i = rows.lo; i < rows.hi; ++i) {
    const int wlo = std::max(i - ry, rowLo), whi = std::min(i + ry, rowHi);
    while (hi < whi) addRow(hi++, true);
    while (lo < wlo) addRow(lo++, false);
    for (size_t k = 0; k < column.size(); ++k) {
      const Sum& a = prefix[k];
      const Sum& c = column[k];
      prefix[k + 1] = Sum{a.r + c.r, a.g + c.g, a.b + c.b, a.n + c.n};
    }
    const T* srow = reinterpret_cast<const T*>(Row8(lk.s, sy + i)) + sx;
    T* drow = reinterpret_cast<T*>(Row8(lk.d, y + i)) + x;
    for (int j = cols.lo; j < cols.hi; ++j) {
      if (skip && IsTransparentPixel(srow[j])) continue;
      const Sum& e = prefix[static_cast<size_t>(std::min(j + rx, colHi) - colLo)];
      const Sum& b = prefix[static_cast<size_t>(std::max(j - rx, colLo) - colLo)];
      const DWORD n = e.n - b.n;
      if (n == 0) continue;
      write(drow[j], Sum{(e.r - b.r) / n, (e.g - b.g) / n, (e.b - b.b) / n, n});
    }
  }
}

}  // namespace

bool DDBlur(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nRadiusX, int nRadiusY,
            DDSURFACEDATA* lpSrcSD, int nSrcX, int nSrcY, int nFlags) {
  if (nRadiusX <= 0 || nRadiusY <= 0) return true;
  if (!LockBoth(lpDstSD, lpSrcSD)) return true;
  cLockPair lk(lpDstSD, lpSrcSD);
  if (!lk.Locked()) return false;
  if (DDBpp == 8) {
    ErrorLog("8ビットぼかしは不可能！");
    return true;
  }
  // A window wider than the rectangle covers the same pixels as one just as wide.
  const int rx = std::min(nRadiusX, std::max(nWidth, 1)), ry = std::min(nRadiusY, std::max(nHeight, 1));
  if (DDBpp == 32) {
    const bool d3d = lpDTCon != nullptr;
    BlurPixels<DWORD>(lk, x, y, nWidth, nHeight, rx, ry, nSrcX, nSrcY, nFlags, SplitBytes, [d3d](DWORD& d, const Sum& a) {
      // Direct3D makes the pixel opaque; DirectDraw keeps its fourth byte.
      d = (d3d ? 0xFF000000u : (d & 0xFF000000u)) | a.r << 16 | a.g << 8 | a.b;
    });
  } else if (DDBpp == 16) {
    const DDPIXELLAYOUT& tl = g_PixelLayout;
    const auto split = [&tl](DWORD p) { return SplitPixel(p, tl); };
    if (lpDTCon && DDIsFullscreenBackBuffer(lpDstSD)) {
      const DDPIXELLAYOUT& bl = g_BackBufferLayout;
      BlurPixels<WORD>(lk, x, y, nWidth, nHeight, rx, ry, nSrcX, nSrcY, nFlags, split, [&bl](WORD& d, const Sum& a) {
        d = static_cast<WORD>(a.b << bl.nShiftB | (a.g * 2) << bl.nShiftG | a.r << bl.nShiftR);
      });
    } else {
      const DWORD alpha = lpDTCon ? AlphaBit(tl) : 0;
      BlurPixels<WORD>(lk, x, y, nWidth, nHeight, rx, ry, nSrcX, nSrcY, nFlags, split, [&tl, alpha](WORD& d, const Sum& a) {
        d = static_cast<WORD>(JoinPixel({a.r, a.g, a.b}, tl) | alpha);
      });
    }
  }
  return true;
}

bool DDMosaic(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nBlock, DDSURFACEDATA* lpSrcSD,
              int nSrcX, int nSrcY, int nFlags) {
  if (nBlock <= 0) return true;
  if (!LockBoth(lpDstSD, lpSrcSD)) return true;
  cLockPair lk(lpDstSD, lpSrcSD);
  if (!lk.Locked()) return false;
  // Cells whose destination and source both lie on their surfaces.
  const Span rows = ClipSpan(nHeight, y, lk.d.m_nHeight, nSrcY, 1, lk.s.m_nHeight);
  const Span cols = ClipSpan(nWidth, x, lk.d.m_nWidth, nSrcX, 1, lk.s.m_nWidth);
  if (rows.Empty() || cols.Empty()) return true;
  const bool d3d = lpDTCon != nullptr;
  const bool toBack = d3d && DDBpp == 16 && DDIsFullscreenBackBuffer(lpDstSD);
  const DDPIXELLAYOUT& tl = g_PixelLayout;
  const DWORD key = DDColorKey;
  for (int by = 0; by < nHeight; by += nBlock) {
    const int r0 = std::max(by, rows.lo), r1 = std::min(by + nBlock, rows.hi);
    for (int bx = 0; bx < nWidth; bx += nBlock) {
      const int c0 = std::max(bx, cols.lo), c1 = std::min(bx + nBlock, cols.hi);
      if (r0 >= r1 || c0 >= c1) {
        if (bx > nWidth - nBlock) break;
        continue;
      }
      DWORD value = 0;
      bool fill = true;
      if (d3d || DDBpp == 8) {
        // The block's top-left source pixel; one off the source leaves the block.
        const int tx = nSrcX + bx, ty = nSrcY + by;
        fill = tx >= 0 && ty >= 0 && tx < lk.s.m_nWidth && ty < lk.s.m_nHeight;
        if (fill) {
          value = lk.s.Get(tx, ty);
          if (nFlags == 1 && IsTransparentPixel(value)) fill = false;
          if (d3d && DDBpp == 32) value |= 0xFF000000u;
          if (toBack) value = TextureToBackBuffer(value);
        }
      } else {
        Sum sum;
        for (int r = r0; r < r1; ++r) {
          for (int c = c0; c < c1; ++c) {
            const DWORD p = lk.s.Get(nSrcX + c, nSrcY + r);
            if (nFlags == 1 && p == key) continue;
            const Channels ch = DDBpp == 32 ? SplitBytes(p)
                                            : Channels{Widen((p >> tl.nShiftR) & tl.dwMaxR, tl.dwMaxR),
                                                       Widen((p >> tl.nShiftG) & tl.dwMaxG, tl.dwMaxG),
                                                       Widen((p >> tl.nShiftB) & tl.dwMaxB, tl.dwMaxB)};
            sum.r += ch.r, sum.g += ch.g, sum.b += ch.b, ++sum.n;
          }
        }
        fill = sum.n > 0 && (DDBpp == 32 || DDBpp == 16);
        if (fill) {
          const DWORD ar = sum.r / sum.n, ag = sum.g / sum.n, ab = sum.b / sum.n;
          value = DDBpp == 32 ? (ar << 16 | ag << 8 | ab)
                              : JoinPixel({Narrow(ar, tl.dwMaxR), Narrow(ag, tl.dwMaxG), Narrow(ab, tl.dwMaxB)}, tl);
          if (nFlags == 1 && value == key) fill = false;
        }
      }
      if (fill && (DDBpp == 16 || DDBpp == 32 || (!d3d && DDBpp == 8))) {
        for (int r = r0; r < r1; ++r) {
          for (int c = c0; c < c1; ++c) {
            if (!d3d && DDBpp == 32) {
              DWORD* p = Row32(lk.d, y + r) + x + c;
              *p = (*p & 0xFF000000u) | value;
            } else {
              lk.d.Set(x + c, y + r, value);
            }
          }
        }
      }
      if (bx > nWidth - nBlock) break;  // the next block would start past the width
    }
    if (by > nHeight - nBlock) break;
  }
  return true;
}
