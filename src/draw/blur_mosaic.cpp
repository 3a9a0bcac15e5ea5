#include "draw/blur_mosaic.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>
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

// x / n for a 32-bit x by a product instead of a division, with the same quotient: for
// m = ⌈2^64 / n⌉, x·m / 2^64 = x / n + x·(m·n − 2^64) / (n·2^64), and the second term is below
// 1 / n (x < 2^32 and m·n − 2^64 < n ≤ 2^32), too little to reach the next whole number.
class Divider {
 public:
  void Set(DWORD n) {
    n_ = n;
    m_ = n > 1 ? UINT64_MAX / n + 1 : 0;
  }
  DWORD Divisor() const { return n_; }
  DWORD operator()(DWORD x) const {
    return n_ > 1 ? static_cast<DWORD>((static_cast<unsigned __int128>(x) * m_) >> 64) : x;
  }

 private:
  DWORD n_ = 1;
  uint64_t m_ = 0;
};

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
  const TransparentTest transparent;
  std::vector<Sum> column(static_cast<size_t>(colHi - colLo)), prefix(column.size() + 1);
  // Adds a source row to the column sums (std::true_type) or takes it away (std::false_type).
  const auto addRow = [&](int r, auto add) {
    const T* row = reinterpret_cast<const T*>(Row8(lk.s, sy + r)) + sx;
    Sum* s = column.data() - colLo;
    for (int c = colLo; c < colHi; ++c) {
      const DWORD p = row[c];
      if (skip && transparent(p)) continue;
      const Channels ch = split(p);
      if constexpr (decltype(add)::value) {
        s[c].r += ch.r, s[c].g += ch.g, s[c].b += ch.b, ++s[c].n;
      } else {
        s[c].r -= ch.r, s[c].g -= ch.g, s[c].b -= ch.b, --s[c].n;
      }
    }
  };
  Divider divide;
  // Window rows i − ry .. i + ry − 1 (cut) always contain row i and only move down.
  int lo = std::max(rows.lo - ry, rowLo), hi = lo;
  for (int i = rows.lo; i < rows.hi; ++i) {
    const int wlo = std::max(i - ry, rowLo), whi = std::min(i + ry, rowHi);
    while (hi < whi) addRow(hi++, std::true_type{});
    while (lo < wlo) addRow(lo++, std::false_type{});
    Sum run;  // kept in registers: the prefix sums of the column sums along the row
    for (size_t k = 0; k < column.size(); ++k) {
      const Sum& c = column[k];
      run = Sum{run.r + c.r, run.g + c.g, run.b + c.b, run.n + c.n};
      prefix[k + 1] = run;
    }
    const T* srow = reinterpret_cast<const T*>(Row8(lk.s, sy + i)) + sx;
    T* drow = reinterpret_cast<T*>(Row8(lk.d, y + i)) + x;
    for (int j = cols.lo; j < cols.hi; ++j) {
      if (skip && transparent(srow[j])) continue;
      const Sum& e = prefix[static_cast<size_t>(std::min(j + rx, colHi) - colLo)];
      const Sum& b = prefix[static_cast<size_t>(std::max(j - rx, colLo) - colLo)];
      const DWORD n = e.n - b.n;
      if (n == 0) continue;
      if (n != divide.Divisor()) divide.Set(n);  // the window's count changes only near edges and holes
      write(drow[j], Sum{divide(e.r - b.r), divide(e.g - b.g), divide(e.b - b.b), n});
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
    const auto split = [](DWORD p) { return SplitBytes(p); };
    BlurPixels<DWORD>(lk, x, y, nWidth, nHeight, rx, ry, nSrcX, nSrcY, nFlags, split, [d3d](DWORD& d, const Sum& a) {
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

namespace {

// The blocks of a mosaic row by row: block (bx, by) covers the rectangle's offsets [bx, bx + n)
// × [by, by + n), cut to the cells both surfaces hold. value(bx, by, r0, r1, c0, c1, &v) gives
// a block's pixel value, or false to leave the block. A row of blocks is laid out once as a
// line of pixels with the runs of blocks that draw, and store(out, line, count) writes each run
// into every pixel row the blocks cover: each destination pixel is written once.
template <class T, class Value, class Store>
void MosaicBlocks(const cLockPair& lk, int x, int y, int nBlock, const Span& rows, const Span& cols, Value value,
                  Store store) {
  const long long n = nBlock;
  struct Run {
    int c0, c1;
  };
  std::vector<Run> runs;
  std::vector<T> line(static_cast<size_t>(cols.hi - cols.lo));
  for (long long by = rows.lo / n * n; by < rows.hi; by += n) {
    const int r0 = static_cast<int>(std::max<long long>(by, rows.lo));
    const int r1 = static_cast<int>(std::min<long long>(by + n, rows.hi));
    runs.clear();
    for (long long bx = cols.lo / n * n; bx < cols.hi; bx += n) {
      const int c0 = static_cast<int>(std::max<long long>(bx, cols.lo));
      const int c1 = static_cast<int>(std::min<long long>(bx + n, cols.hi));
      DWORD v = 0;
      if (!value(static_cast<int>(bx), static_cast<int>(by), r0, r1, c0, c1, &v)) continue;
      std::fill(line.begin() + (c0 - cols.lo), line.begin() + (c1 - cols.lo), static_cast<T>(v));
      if (!runs.empty() && runs.back().c1 == c0) {
        runs.back().c1 = c1;
      } else {
        runs.push_back({c0, c1});
      }
    }
    for (int r = r0; r < r1; ++r) {
      T* d = reinterpret_cast<T*>(Row8(lk.d, y + r)) + x;
      for (const Run& run : runs) store(d + run.c0, line.data() + (run.c0 - cols.lo), run.c1 - run.c0);
    }
  }
}

template <class T>
void MosaicLocked(const cLockPair& lk, int x, int y, int nBlock, int sx, int sy, int nFlags, const Span& rows,
                  const Span& cols, bool toBack) {
  const bool d3d = lpDTCon != nullptr;
  const auto copy = [](T* out, const T* line, int count) { std::memcpy(out, line, sizeof(T) * static_cast<size_t>(count)); };
  if (d3d || DDBpp == 8) {
    // Each block takes its top-left source pixel; a corner off the source leaves the block.
    const auto corner = [&](int bx, int by, int, int, int, int, DWORD* v) {
      const long long tx = static_cast<long long>(sx) + bx, ty = static_cast<long long>(sy) + by;
      if (tx < 0 || ty < 0 || tx >= lk.s.m_nWidth || ty >= lk.s.m_nHeight) return false;
      DWORD p = reinterpret_cast<const T*>(Row8(lk.s, static_cast<int>(ty)))[tx];
      if (nFlags == 1 && IsTransparentPixel(p)) return false;
      if (d3d && DDBpp == 32) p |= 0xFF000000u;
      if (toBack) p = TextureToBackBuffer(p);
      *v = p;
      return true;
    };
    MosaicBlocks<T>(lk, x, y, nBlock, rows, cols, corner, copy);
    return;
  }
  // DirectDraw at 16 and 32 bits: the average of the block's pixels, keyed ones left out with
  // nFlags 1; an average equal to the key is not written either.
  const DDPIXELLAYOUT& tl = g_PixelLayout;
  const DWORD key = DDColorKey;
  const FieldTables widened(tl, [](DWORD v, DWORD max, int) { return Widen(v, max); });
  const auto average = [&](int, int, int r0, int r1, int c0, int c1, DWORD* v) {
    Sum sum;
    for (int r = r0; r < r1; ++r) {
      const T* s = reinterpret_cast<const T*>(Row8(lk.s, sy + r)) + sx;
      for (int c = c0; c < c1; ++c) {
        const DWORD p = s[c];
        if (nFlags == 1 && p == key) continue;
        const Channels ch = DDBpp == 32 ? SplitBytes(p) : LookUp(widened, p, tl);
        sum.r += ch.r, sum.g += ch.g, sum.b += ch.b, ++sum.n;
      }
    }
    if (sum.n == 0) return false;
    const DWORD ar = sum.r / sum.n, ag = sum.g / sum.n, ab = sum.b / sum.n;
    *v = DDBpp == 32 ? (ar << 16 | ag << 8 | ab)
                     : JoinPixel({Narrow(ar, tl.dwMaxR), Narrow(ag, tl.dwMaxG), Narrow(ab, tl.dwMaxB)}, tl);
    return !(nFlags == 1 && *v == key);
  };
  if (DDBpp == 32) {
    // The fourth byte of the destination stays.
    MosaicBlocks<T>(lk, x, y, nBlock, rows, cols, average, [](T* out, const T* line, int count) {
      for (int i = 0; i < count; ++i) out[i] = static_cast<T>((out[i] & 0xFF000000u) | line[i]);
    });
  } else {
    MosaicBlocks<T>(lk, x, y, nBlock, rows, cols, average, copy);
  }
}

}  // namespace

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
  const int bytes = DDBpp / 8;
  if (lk.d.m_nBytesPerPixel != bytes || lk.s.m_nBytesPerPixel != bytes) return true;
  switch (DDBpp) {
    case 8:
      if (!d3d) MosaicLocked<BYTE>(lk, x, y, nBlock, nSrcX, nSrcY, nFlags, rows, cols, false);
      break;
    case 16:
      MosaicLocked<WORD>(lk, x, y, nBlock, nSrcX, nSrcY, nFlags, rows, cols, d3d && DDIsFullscreenBackBuffer(lpDstSD));
      break;
    case 32:
      MosaicLocked<DWORD>(lk, x, y, nBlock, nSrcX, nSrcY, nFlags, rows, cols, false);
      break;
    default:
      break;
  }
  return true;
}
