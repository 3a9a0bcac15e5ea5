// The lock-based effects, which work row by row, against the same effects worked out pixel by
// pixel on copies of the surfaces as the effects define them: random surfaces and parameters in
// every mode, rectangles hanging over every edge of both surfaces, transparent and keyed pixels,
// mirrored sources and the full-screen 16-bit back buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "effect_fixture.h"

namespace {

// The pixels of a surface as raw values, rows top-down.
struct Image {
  int w = 0;
  int h = 0;
  std::vector<DWORD> px;
  bool In(long long x, long long y) const { return x >= 0 && y >= 0 && x < w && y < h; }
  DWORD& At(long long x, long long y) { return px[static_cast<size_t>(y * w + x)]; }
  DWORD At(long long x, long long y) const { return px[static_cast<size_t>(y * w + x)]; }
};

bool D3D() { return lpDTCon != nullptr; }

// Transparent source pixels: alpha 0 at Direct3D 32 bits, none of the bits 0xA000 at 16 bits,
// the colour key under DirectDraw.
bool Transparent(DWORD p) {
  if (D3D()) return DDBpp == 32 ? (p >> 24) == 0 : (p & 0xA000) == 0;
  return p == DDColorKey;
}

// A 16-bit texture pixel in the full-screen back buffer's layout: green doubled.
DWORD ToBack(DWORD p) {
  const DDPIXELLAYOUT& t = g_PixelLayout;
  const DDPIXELLAYOUT& b = g_BackBufferLayout;
  const DWORD r = (p >> t.nShiftR) & t.dwMaxR, g = (p >> t.nShiftG) & t.dwMaxG, bl = (p >> t.nShiftB) & t.dwMaxB;
  return (r << b.nShiftR | (g * 2) << b.nShiftG | bl << b.nShiftB) & 0xFFFF;
}

// Where DDMirrorCoords puts the source of an alias record with mirror cells (cell = 0: none).
void Mirror(int cell, int* pos, int* size) {
  if (cell == 0) return;
  if (*size == cell) {
    *pos += cell;
    *size = -cell;
  } else if (*size < cell) {
    *pos = *pos + cell - 2 * (*pos % cell);
    *size = -*size;
  }
}

// ---- the effects pixel by pixel ----

void MosaicReference(Image& d, const Image& s, int x, int y, int w, int h, int n, int sx, int sy, int flags,
                     bool toBack) {
  if (n <= 0) return;
  for (long long by = 0; by < h; by += n) {
    for (long long bx = 0; bx < w; bx += n) {
      std::vector<std::pair<long long, long long>> cells;
      for (long long r = by; r < std::min<long long>(by + n, h); ++r) {
        for (long long c = bx; c < std::min<long long>(bx + n, w); ++c) {
          if (d.In(x + c, y + r) && s.In(sx + c, sy + r)) cells.push_back({c, r});
        }
      }
      if (cells.empty()) continue;
      DWORD v = 0;
      if (D3D() || DDBpp == 8) {
        // The block's top-left source pixel.
        if (!s.In(sx + bx, sy + by)) continue;
        v = s.At(sx + bx, sy + by);
        if (flags == 1 && Transparent(v)) continue;
        if (D3D() && DDBpp == 32) v |= 0xFF000000u;
        if (toBack) v = ToBack(v);
      } else {
        // The average of the block's pixels, each channel widened to 0..255.
        const DDPIXELLAYOUT& l = g_PixelLayout;
        DWORD sum[3] = {}, count = 0;
        for (const auto& [c, r] : cells) {
          const DWORD p = s.At(sx + c, sy + r);
          if (flags == 1 && p == DDColorKey) continue;
          if (DDBpp == 32) {
            sum[0] += (p >> 16) & 0xFF, sum[1] += (p >> 8) & 0xFF, sum[2] += p & 0xFF;
          } else {
            sum[0] += ((p >> l.nShiftR) & l.dwMaxR) * 255 / l.dwMaxR;
            sum[1] += ((p >> l.nShiftG) & l.dwMaxG) * 255 / l.dwMaxG;
            sum[2] += ((p >> l.nShiftB) & l.dwMaxB) * 255 / l.dwMaxB;
          }
          ++count;
        }
        if (count == 0) continue;
        const DWORD r = sum[0] / count, g = sum[1] / count, b = sum[2] / count;
        v = DDBpp == 32 ? (r << 16 | g << 8 | b)
                        : (r * l.dwMaxR / 255) << l.nShiftR | (g * l.dwMaxG / 255) << l.nShiftG |
                              (b * l.dwMaxB / 255) << l.nShiftB;
        if (flags == 1 && v == DDColorKey) continue;
      }
      for (const auto& [c, r] : cells) {
        DWORD& out = d.At(x + c, y + r);
        out = !D3D() && DDBpp == 32 ? (out & 0xFF000000u) | v : v;
      }
    }
  }
}

void RotateReference(Image& d, const Image& s, int x, int y, int w, int h, int px, int py, int angle, int sx, int sy,
                     int mw, int mh, int transmit, bool toBack) {
  using i64 = long long;
  const double a = angle * 0.017453292519943278;
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
  const DWORD key = D3D() ? 0 : DDColorKey;
  for (i64 by = minY - 2; by < maxY + 2; ++by) {
    for (i64 bx = minX - 2; bx < maxX + 2; ++bx) {
      const i64 X = bx - px, Y = by - py;
      if (!d.In(x + X, y + Y)) continue;
      const i64 ry = ((S2 * X + C2 * Y) >> 10) + py, rx = ((C2 * X - S2 * Y) >> 10) + px;
      if (ry < 0 || ry >= h || rx < 0 || rx >= w) continue;
      const i64 cx = mw < 0 ? sx - 1 - rx : sx + rx, cy = mh < 0 ? sy - 1 - ry : sy + ry;
      if (!s.In(cx, cy)) continue;
      const DWORD p = s.At(cx, cy);
      if (transmit == 1 && p == key) continue;
      d.At(x + X, y + Y) = toBack ? ToBack(p) : p;
    }
  }
}

void LensReference(Image& d, const Image& s, int x, int y, int radius, int depth, int sx, int sy, int transmit,
                   int clearFlag, bool toBack) {
  const long long E = static_cast<long long>(std::sqrt(static_cast<double>(radius) * radius +
                                                       static_cast<double>(depth) * depth));
  const bool clear = D3D() && DDBpp == 32 && clearFlag;
  for (int ly = -radius; ly <= radius; ++ly) {
    for (int lx = -radius; lx <= radius; ++lx) {
      if (!d.In(x + lx, y + ly)) continue;
      DWORD& out = d.At(x + lx, y + ly);
      const long long q = static_cast<long long>(lx) * lx + static_cast<long long>(ly) * ly;
      if (q > static_cast<long long>(radius) * radius) {
        if (clear) out = 0;
        continue;
      }
      const double z = std::sqrt(static_cast<double>(E * E - q));
      int ox = lx, oy = ly;
      if (z != 0) {
        ox = static_cast<int>(lx * static_cast<double>(depth) / z + 0.5);
        oy = static_cast<int>(ly * static_cast<double>(depth) / z + 0.5);
      }
      if (!s.In(sx + ox, sy + oy)) {
        if (clear) out = 0;
        continue;
      }
      const DWORD p = s.At(sx + ox, sy + oy);
      if (D3D() && DDBpp == 32) {
        if (p >> 24) {
          out = p;
        } else if (clear) {
          out = 0;
        }
      } else if (D3D()) {
        if (transmit == 1 && (p & 0xA000) == 0) continue;
        out = toBack ? ToBack(p) : p;
      } else if (p != DDColorKey) {
        out = p;
      }
    }
  }
}

// A Direct3D blit between locked surfaces: the source pixel under each destination pixel.
void BlitReference(Image& d, const Image& s, int x, int y, int w, int h, int sx, int sy, int sw, int sh, int flags,
                   bool toBack) {
  const auto source = [](int k, int n, int start, int size) {
    const float f = static_cast<float>(size) / static_cast<float>(n);
    const int o = static_cast<int>(static_cast<float>(k) * f);
    if (size < 0 ? (o <= size || o > 0) : (o < 0 || o >= size)) return -1;
    return size < 0 ? start + o - 1 : start + o;
  };
  const bool unscaled = sw == w && sh == h;
  for (int i = 0; i < h; ++i) {
    const int row = unscaled ? sy + i : source(i, h, sy, sh);
    for (int j = 0; j < w; ++j) {
      const int col = unscaled ? sx + j : source(j, w, sx, sw);
      if (!d.In(x + j, y + i) || row < 0 || col < 0 || !s.In(col, row)) continue;
      DWORD p = s.At(col, row);
      if (flags == 1 && Transparent(p)) continue;
      if (toBack) p = ToBack(p);
      d.At(x + j, y + i) = p;
    }
  }
}

// The blur: each pixel the average of the window of rows i − ry .. i + ry − 1 and columns
// j − rx .. j + rx − 1 of the rectangle (cut to the source), transparent pixels left out (and
// left alone) with flags 1; channels as bytes at 32 bits, as the fields' own values at 16.
void BlurReference(Image& d, const Image& s, int x, int y, int w, int h, int rx, int ry, int sx, int sy, int flags,
                   bool toBack) {
  rx = std::min(rx, std::max(w, 1));
  ry = std::min(ry, std::max(h, 1));
  const DDPIXELLAYOUT& l = g_PixelLayout;
  const auto field = [&](DWORD p, int k) {
    if (DDBpp == 32) return (p >> (16 - 8 * k)) & 0xFF;
    const int shift[3] = {l.nShiftR, l.nShiftG, l.nShiftB};
    const DWORD max[3] = {l.dwMaxR, l.dwMaxG, l.dwMaxB};
    return (p >> shift[k]) & max[k];
  };
  const Image before = d;
  for (int i = 0; i < h; ++i) {
    for (int j = 0; j < w; ++j) {
      if (!d.In(x + j, y + i) || !s.In(sx + j, sy + i)) continue;
      if (flags == 1 && Transparent(s.At(sx + j, sy + i))) continue;
      DWORD sum[3] = {}, n = 0;
      for (int r = std::max(i - ry, 0); r < std::min(i + ry, h); ++r) {
        for (int c = std::max(j - rx, 0); c < std::min(j + rx, w); ++c) {
          if (!s.In(sx + c, sy + r)) continue;
          const DWORD p = s.At(sx + c, sy + r);
          if (flags == 1 && Transparent(p)) continue;
          for (int k = 0; k < 3; ++k) sum[k] += field(p, k);
          ++n;
        }
      }
      if (n == 0) continue;
      const DWORD a[3] = {sum[0] / n, sum[1] / n, sum[2] / n};
      DWORD& out = d.At(x + j, y + i);
      if (DDBpp == 32) {
        out = (D3D() ? 0xFF000000u : before.At(x + j, y + i) & 0xFF000000u) | a[0] << 16 | a[1] << 8 | a[2];
      } else if (toBack) {
        const DDPIXELLAYOUT& b = g_BackBufferLayout;
        out = a[0] << b.nShiftR | (a[1] * 2) << b.nShiftG | a[2] << b.nShiftB;
      } else {
        out = (a[0] & l.dwMaxR) << l.nShiftR | (a[1] & l.dwMaxG) << l.nShiftG | (a[2] & l.dwMaxB) << l.nShiftB |
              (D3D() ? (l.dwMaxA & 1) << l.nShiftA : 0);
      }
    }
  }
}

// A DirectDraw 16-bit field widened to 0..255 and narrowed back.
DWORD Wide(DWORD v, DWORD max) { return max ? v * 255 / max : 0; }
DWORD Narrow(DWORD v, DWORD max) { return v * max / 255; }

// fn(source pixel, destination pixel) on every pixel of the rectangle that both surfaces hold,
// transparent source pixels left out with transmit 1 (the key; index 0 at 8 bits).
template <class Fn>
void MixReference(Image& d, const Image& s, int x, int y, int w, int h, int sx, int sy, int transmit, Fn fn) {
  for (int i = 0; i < h; ++i) {
    for (int j = 0; j < w; ++j) {
      if (!d.In(x + j, y + i) || !s.In(sx + j, sy + i)) continue;
      const DWORD p = s.At(sx + j, sy + i);
      if (transmit == 1 && p == DDColorKey) continue;
      fn(p, d.At(x + j, y + i));
    }
  }
}

// The DirectDraw half blit: the blend table at 8 bits, halves of the widened fields at 16 bits
// and of the bytes at 32 bits; a destination pixel of the key takes the source.
void HalfReference(Image& d, const Image& s, int x, int y, int w, int h, int sx, int sy, int transmit) {
  const DDPIXELLAYOUT& l = g_PixelLayout;
  MixReference(d, s, x, y, w, h, sx, sy, transmit, [&](DWORD p, DWORD& out) {
    if (DDBpp == 8) {
      out = out == 0 ? p : g_BlendTable[out * 256 + p];
    } else if (out == DDColorKey) {
      out = DDBpp == 32 ? (out & 0xFF000000u) | (p & 0x00FFFFFFu) : p;
    } else if (DDBpp == 16) {
      DWORD v = 0;
      for (const auto& [shift, max] : {std::pair{l.nShiftR, l.dwMaxR}, {l.nShiftG, l.dwMaxG}, {l.nShiftB, l.dwMaxB}}) {
        v |= Narrow((Wide((p >> shift) & max, max) + Wide((out >> shift) & max, max)) >> 1, max) << shift;
      }
      out = v;
    } else {
      DWORD v = out & 0xFF000000u;
      for (int shift = 0; shift < 24; shift += 8) v |= ((((p >> shift) & 0xFF) + ((out >> shift) & 0xFF)) >> 1) << shift;
      out = v;
    }
  });
}

// The DirectDraw colour change: the source pulled level times halfway toward the colour (through
// the blend table at 8 bits); the fourth byte of a 32-bit destination stays.
void ColourChangeReference(Image& d, const Image& s, int x, int y, int w, int h, int sx, int sy, int transmit,
                           const PALETTEENTRY& c, int colour, int level) {
  const DDPIXELLAYOUT& l = g_PixelLayout;
  MixReference(d, s, x, y, w, h, sx, sy, transmit, [&](DWORD p, DWORD& out) {
    if (DDBpp == 8) {
      for (int k = 0; k < level; ++k) p = g_BlendTable[p * 256 + static_cast<DWORD>(colour)];
      out = p;
    } else if (DDBpp == 16) {
      DWORD v = 0;
      for (const auto& [shift, max, toward] : {std::tuple{l.nShiftR, l.dwMaxR, DWORD{c.peRed}},
                                               {l.nShiftG, l.dwMaxG, DWORD{c.peGreen}},
                                               {l.nShiftB, l.dwMaxB, DWORD{c.peBlue}}}) {
        DWORD f = Wide((p >> shift) & max, max);
        for (int k = 0; k < level; ++k) f = (f + Wide(toward, max)) >> 1;
        v |= Narrow(f, max) << shift;
      }
      out = v;
    } else {
      DWORD v = out & 0xFF000000u;
      const DWORD toward[3] = {c.peBlue, c.peGreen, c.peRed};
      for (int k = 0; k < 3; ++k) {
        DWORD f = (p >> (8 * k)) & 0xFF;
        for (int n = 0; n < level; ++n) f = (f + toward[k]) >> 1;
        v |= f << (8 * k);
      }
      out = v;
    }
  });
}

// The DirectDraw fade of a surface toward a colour at a level 0..256.
void FadeReference(Image& d, const Image& s, int level, const BYTE colour[3]) {
  const DDPIXELLAYOUT& l = g_PixelLayout;
  for (int y = 0; y < std::min(d.h, s.h); ++y) {
    for (int x = 0; x < std::min(d.w, s.w); ++x) {
      const DWORD p = s.At(x, y);
      DWORD& out = d.At(x, y);
      if (DDBpp == 32) {
        DWORD v = out & 0xFF000000u;
        for (int k = 0; k < 3; ++k) {
          v |= ((colour[2 - k] * static_cast<DWORD>(256 - level) + static_cast<DWORD>(level) * ((p >> (8 * k)) & 0xFF)) >> 8)
               << (8 * k);
        }
        out = v;
      } else if (DDBpp == 16) {
        DWORD v = 0;
        const std::tuple<int, DWORD, BYTE> fields[3] = {
            {l.nShiftR, l.dwMaxR, colour[0]}, {l.nShiftG, l.dwMaxG, colour[1]}, {l.nShiftB, l.dwMaxB, colour[2]}};
        for (const auto& [shift, max, c] : fields) {
          const int m = (c * (256 - level) + level * static_cast<int>(Wide((p >> shift) & max, max))) >> 8;
          v |= Narrow(static_cast<DWORD>(m), max) << shift;
        }
        out = v;
      }
    }
  }
}

class EffectPathTest : public EffectTest {
 protected:
  static Image Read(DDSURFACEDATA* sd) {
    cSurfaceLock lock(sd);
    EXPECT_TRUE(lock.Locked());
    Image im{lock.m_nWidth, lock.m_nHeight, {}};
    im.px.resize(static_cast<size_t>(im.w) * static_cast<size_t>(im.h));
    const size_t bytes = static_cast<size_t>(lock.m_nBytesPerPixel);
    for (int y = 0; y < im.h; ++y) {
      const BYTE* row = lock.m_lpBits + static_cast<size_t>(y) * static_cast<size_t>(lock.m_nPitch) * bytes;
      for (int x = 0; x < im.w; ++x) {
        DWORD v = 0;
        std::memcpy(&v, row + static_cast<size_t>(x) * bytes, bytes);  // little-endian pixels
        im.px[static_cast<size_t>(y * im.w + x)] = v;
      }
    }
    return im;
  }

  // Random pixels of the mode: a fifth of them transparent (alpha 0, none of the bits 0xA000,
  // the key), a fifth repeating their left neighbour so that runs and blocks of one value occur,
  // a fifth opaque at Direct3D 32 bits.
  void Scramble(DDSURFACEDATA* sd) {
    cSurfaceLock lock(sd);
    ASSERT_TRUE(lock.Locked());
    const DWORD mask = lock.m_nBytesPerPixel == 4 ? 0xFFFFFFFFu : lock.m_nBytesPerPixel == 2 ? 0xFFFFu : 0xFFu;
    DWORD last = 0;
    for (int y = 0; y < lock.m_nHeight; ++y) {
      for (int x = 0; x < lock.m_nWidth; ++x) {
        DWORD p = static_cast<DWORD>(rng()) & mask;
        switch (rng() % 5) {
          case 0:
            p = D3D() ? (DDBpp == 32 ? p & 0x00FFFFFFu : p & ~0xA000u) : DDColorKey;
            break;
          case 1:
            p = last;
            break;
          case 2:
            if (D3D() && DDBpp == 32) p |= 0xFF000000u;
            break;
          default:
            break;
        }
        lock.Set(x, y, p);
        last = p;
      }
    }
  }

  // Sets a mode up for the random cases (full screen, so that the 16-bit Direct3D back buffer
  // has its own layout): DirectDraw with a key the random pixels meet.
  void InitMode(const DrawMode& m) {
    InitOrFail(m.d3d, m.bpp, 0);
    if (!m.d3d) {
      DDSetTransmit(255, 0, 255);
      if (m.bpp == 8) DDColorKey = 0;
    }
  }

  int Random(int lo, int hi) { return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1)); }

  // Random cases in a mode: a source and a destination of random sizes and pixels (every
  // sixteenth destination the back buffer, when asked); run(dst, src, before, source) draws the
  // effect and returns the reference's picture worked out from the pixels before, which the
  // destination must then hold on every pixel.
  template <class Run>
  void Trials(const DrawMode& m, int trials, bool backBuffer, Run run) {
    for (int trial = 0; trial < trials && !HasFailure(); ++trial) {
      SCOPED_TRACE(testing::Message() << m.name << ", trial " << trial);
      DDSURFACEDATA src, dst;
      DDSURFACEDATA* target = backBuffer && trial % 16 == 0 ? &BackBuffer : &dst;
      if (target == &dst) {
        ASSERT_NO_FATAL_FAILURE(MakeLocked(&dst, Random(1, 48), Random(1, 36), 0, 1));
      }
      ASSERT_NO_FATAL_FAILURE(Scramble(target));
      ASSERT_NO_FATAL_FAILURE(MakeLocked(&src, Random(1, 48), Random(1, 36), 0, 1));
      ASSERT_NO_FATAL_FAILURE(Scramble(&src));
      const Image before = Read(target), source = Read(&src);
      const Image expected = run(target, &src, before, source);
      const Image drawn = Read(target);
      DDReleaseSurface(&src);
      if (target == &dst) DDReleaseSurface(&dst);
      const auto diff = std::mismatch(drawn.px.begin(), drawn.px.end(), expected.px.begin());
      if (diff.first != drawn.px.end()) {
        const long long at = diff.first - drawn.px.begin();
        FAIL() << "pixel (" << at % drawn.w << ", " << at / drawn.w << "): " << std::hex << *diff.first
               << " drawn, " << *diff.second << " expected";
      }
    }
  }

  std::mt19937 rng{4242};
};

TEST_F(EffectPathTest, MosaicMatchesThePixelByPixelMosaic) {
  for (const DrawMode& m : kDrawModes) {
    InitMode(m);
    Trials(m, 120, true, [&](DDSURFACEDATA* dst, DDSURFACEDATA* src, Image d, const Image& s) {
      const int x = Random(-20, d.w), y = Random(-20, d.h), w = Random(0, 60), h = Random(0, 50);
      const int n = Random(0, 4) == 0 ? Random(20, 90) : Random(1, 9);
      const int sx = Random(-10, s.w), sy = Random(-10, s.h), flags = Random(0, 1);
      EXPECT_TRUE(DDMosaic(dst, x, y, w, h, n, src, sx, sy, flags));
      MosaicReference(d, s, x, y, w, h, n, sx, sy, flags, m.d3d && m.bpp == 16 && dst == &BackBuffer);
      return d;
    });
    DDEnd();
  }
}

TEST_F(EffectPathTest, LockRotationMatchesThePixelByPixelRotation) {
  for (const DrawMode& m : kDrawModes) {
    InitMode(m);
    Trials(m, 120, true, [&](DDSURFACEDATA* dst, DDSURFACEDATA* src, Image d, const Image& s) {
      const int w = Random(1, 40), h = Random(1, 30);
      const int x = Random(-20, d.w + 20), y = Random(-20, d.h + 20);
      const int px = Random(-5, w + 5), py = Random(-5, h + 5), angle = Random(-400, 400);
      const int callX = Random(-10, s.w), callY = Random(-10, s.h), transmit = Random(0, 1);
      // Under Direct3D every other case reads a mirrored cell through an alias record.
      int sx = callX, sy = callY, mw = w, mh = h;
      DDSURFACEDATA alias;
      DDSURFACEDATA* from = src;
      if (m.d3d && Random(0, 1)) {
        alias.lpSubstitute = src;
        alias.nMirrorWidth = Random(0, 1) ? w : 0;
        alias.nMirrorHeight = Random(0, 1) ? h : 0;
        from = &alias;
        Mirror(alias.nMirrorWidth, &sx, &mw);
        Mirror(alias.nMirrorHeight, &sy, &mh);
      }
      EXPECT_TRUE(DDRotate(dst, x, y, w, h, px, py, angle, from, callX, callY, transmit));
      RotateReference(d, s, x, y, w, h, px, py, angle, sx, sy, mw, mh, transmit,
                      m.d3d && m.bpp == 16 && dst == &BackBuffer);
      return d;
    });
    DDEnd();
  }
}

TEST_F(EffectPathTest, LensMatchesThePixelByPixelLens) {
  for (const DrawMode& m : kDrawModes) {
    InitMode(m);
    Trials(m, 100, true, [&](DDSURFACEDATA* dst, DDSURFACEDATA* src, Image d, const Image& s) {
      const int radius = Random(1, 30), depth = Random(0, 25);
      const int x = Random(-20, d.w + 20), y = Random(-20, d.h + 20);
      const int sx = Random(-10, s.w + 10), sy = Random(-10, s.h + 10);
      const int transmit = Random(0, 1), clear = Random(0, 1);
      const long long E = static_cast<long long>(std::sqrt(static_cast<double>(radius) * radius +
                                                           static_cast<double>(depth) * depth));
      EXPECT_EQ(DDLens(dst, x, y, radius, depth, src, sx, sy, transmit, clear), E > depth);
      if (E > depth) LensReference(d, s, x, y, radius, depth, sx, sy, transmit, clear, m.d3d && m.bpp == 16 && dst == &BackBuffer);
      return d;
    });
    DDEnd();
  }
}

// Direct3D blits onto a surface that is not a render target, or from a system-memory texture,
// go through locks: unscaled, scaled and mirrored.
TEST_F(EffectPathTest, LockedBlitsMatchThePixelByPixelBlit) {
  for (const DrawMode& m : kDrawModes) {
    if (!m.d3d) continue;
    InitMode(m);
    Trials(m, 150, true, [&](DDSURFACEDATA* dst, DDSURFACEDATA* src, Image d, const Image& s) {
      const int w = Random(1, 50), h = Random(1, 40);
      const int x = Random(-20, d.w + 5), y = Random(-20, d.h + 5);
      const int callX = Random(-5, s.w), callY = Random(-5, s.h), flags = Random(0, 1);
      const bool scaled = Random(0, 2) == 0;
      const int callW = scaled ? Random(1, 60) : w, callH = scaled ? Random(1, 45) : h;
      // Some unscaled blits read a mirrored cell through an alias record.
      int sx = callX, sy = callY, sw = callW, sh = callH;
      DDSURFACEDATA alias;
      DDSURFACEDATA* from = src;
      if (!scaled && Random(0, 2) == 0) {
        alias.lpSubstitute = src;
        alias.nMirrorWidth = w;
        from = &alias;
        Mirror(alias.nMirrorWidth, &sx, &sw);
      }
      DDBlt(dst, x, y, w, h, from, callX, callY, callW, callH, flags);
      BlitReference(d, s, x, y, w, h, sx, sy, sw, sh, flags, m.bpp == 16 && dst == &BackBuffer);
      return d;
    });
    DDEnd();
  }
}

TEST_F(EffectPathTest, BlurMatchesThePixelByPixelBlur) {
  for (const DrawMode& m : kDrawModes) {
    if (m.bpp == 8) continue;  // refused at 8 bits
    InitMode(m);
    Trials(m, 60, true, [&](DDSURFACEDATA* dst, DDSURFACEDATA* src, Image d, const Image& s) {
      const int x = Random(-10, d.w), y = Random(-10, d.h), w = Random(1, 40), h = Random(1, 30);
      const int rx = Random(1, 6), ry = Random(0, 3) == 0 ? Random(20, 60) : Random(1, 6);
      const int sx = Random(-10, s.w), sy = Random(-10, s.h), flags = Random(0, 1);
      EXPECT_TRUE(DDBlur(dst, x, y, w, h, rx, ry, src, sx, sy, flags));
      BlurReference(d, s, x, y, w, h, rx, ry, sx, sy, flags, m.d3d && m.bpp == 16 && dst == &BackBuffer);
      return d;
    });
    DDEnd();
  }
}

// The DirectDraw mixes of two surfaces: the half blit, the colour change at levels up to 9 and
// the fade at levels 0..256.
TEST_F(EffectPathTest, DirectDrawMixesMatchThePixelByPixelMixes) {
  for (const DrawMode& m : kDrawModes) {
    if (m.d3d) continue;
    InitMode(m);
    for (size_t i = 0; i < DD_BLEND_TABLE_SIZE; ++i) g_BlendTable[i] = static_cast<BYTE>(rng());
    // At 16 bits the palette holds the fields' own values (0..max), as it is loaded in that mode.
    const DDPIXELLAYOUT& l = g_PixelLayout;
    const auto field = [&](DWORD max) { return static_cast<BYTE>(m.bpp == 16 ? rng() % (max + 1) : rng() % 256); };
    PALETTEENTRY palette[256];
    for (PALETTEENTRY& e : palette) e = {field(l.dwMaxR), field(l.dwMaxG), field(l.dwMaxB), 0};
    Trials(m, 60, true, [&](DDSURFACEDATA* dst, DDSURFACEDATA* src, Image d, const Image& s) {
      const int x = Random(-10, d.w), y = Random(-10, d.h), w = Random(0, 50), h = Random(0, 40);
      const int sx = Random(-10, s.w), sy = Random(-10, s.h), transmit = Random(0, 1);
      EXPECT_TRUE(DDBltHalf(dst, x, y, w, h, src, sx, sy, transmit, g_BlendTable));
      HalfReference(d, s, x, y, w, h, sx, sy, transmit);
      return d;
    });
    Trials(m, 60, true, [&](DDSURFACEDATA* dst, DDSURFACEDATA* src, Image d, const Image& s) {
      const int x = Random(-10, d.w), y = Random(-10, d.h), w = Random(0, 50), h = Random(0, 40);
      const int sx = Random(-10, s.w), sy = Random(-10, s.h), transmit = Random(0, 1);
      const int colour = Random(0, 255), level = Random(0, 9);
      EXPECT_TRUE(DDBltColorChange(dst, x, y, w, h, src, sx, sy, transmit, palette, g_BlendTable, colour, level));
      if (level != 0) ColourChangeReference(d, s, x, y, w, h, sx, sy, transmit, palette[colour], colour, level);
      return d;
    });
    if (m.bpp != 8) {
      Trials(m, 40, false, [&](DDSURFACEDATA* dst, DDSURFACEDATA* src, Image d, const Image& s) {
        const int level = Random(0, 256);
        const BYTE colour[3] = {static_cast<BYTE>(rng()), static_cast<BYTE>(rng()), static_cast<BYTE>(rng())};
        EXPECT_EQ(DDFade_UnPal(dst, level, colour[0], colour[1], colour[2], src), 1);
        FadeReference(d, s, level, colour);
        return d;
      });
    }
    DDEnd();
  }
}

}  // namespace
