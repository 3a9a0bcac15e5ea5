// DirectDraw copies with and without the source colour key at every depth, on random surfaces,
// rectangles and keys, against the copy rule worked out pixel by pixel: a target pixel takes the
// source pixel under its centre unless that pixel's colour (at 32 bits its lower three bytes)
// is the key; a clipper cuts the target rectangle to the surface.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "device_fixture.h"
#include "platform/ddraw.h"

namespace {

class DDrawRowsTest : public ::testing::TestWithParam<DWORD> {
 protected:
  void SetUp() override {
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(reinterpret_cast<HWND>(1), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    ASSERT_EQ(dd->SetDisplayMode(64, 48, GetParam(), 60, 0), DD_OK);
  }
  void TearDown() override {
    for (IDirectDrawSurface7* s : surfaces) s->Release();
    if (clipper) clipper->Release();
    EXPECT_EQ(dd->Release(), 0u);
  }
  IDirectDrawSurface7* Surface(int w, int h) {
    DDSURFACEDESC2 d{};
    d.dwSize = 124;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = static_cast<DWORD>(w);
    d.dwHeight = static_cast<DWORD>(h);
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
    if (s) surfaces.push_back(s);
    return s;
  }
  IDirectDraw7* dd = nullptr;
  IDirectDrawClipper* clipper = nullptr;
  std::vector<IDirectDrawSurface7*> surfaces;
};

uint32_t PixelMask(DWORD bpp) { return bpp == 8 ? 0xFFu : bpp == 16 ? 0xFFFFu : 0xFFFFFFFFu; }

TEST_P(DDrawRowsTest, KeyedAndPlainCopiesMatchTheCopyRule) {
  const DWORD bpp = GetParam();
  const uint32_t keyMask = bpp == 32 ? 0x00FFFFFFu : PixelMask(bpp);
  std::mt19937 rng(bpp);
  for (int trial = 0; trial < 150; ++trial) {
    const int sw = 1 + static_cast<int>(rng() % 45), sh = 1 + static_cast<int>(rng() % 6);
    const int dw = 1 + static_cast<int>(rng() % 50), dh = 1 + static_cast<int>(rng() % 7);
    IDirectDrawSurface7* src = Surface(sw, sh);
    IDirectDrawSurface7* dst = Surface(dw, dh);
    ASSERT_TRUE(src && dst);
    // Few distinct colours, so that the key is common; at 32 bits the fourth byte varies freely.
    std::vector<uint32_t> s(static_cast<size_t>(sw * sh)), d0(static_cast<size_t>(dw * dh));
    for (auto& v : s) v = ((rng() % 3) * 0x00010101u | (bpp == 32 ? rng() & 0xFF000000u : 0u)) & PixelMask(bpp);
    for (auto& v : d0) v = rng() & PixelMask(bpp);
    WriteSurface(src, s);
    WriteSurface(dst, d0);
    const bool keyed = rng() % 4 != 0;
    const uint32_t key = ((rng() % 3) * 0x00010101u | (rng() & 0xFF000000u)) & PixelMask(bpp);
    DDCOLORKEY ck{key, key};
    ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &ck), DD_OK);

    // A source rectangle, and a target rectangle that BltFast keeps inside or Blt (with a
    // clipper) may hang over any edge and scale.
    const int sl = static_cast<int>(rng() % static_cast<uint32_t>(sw)), st = static_cast<int>(rng() % static_cast<uint32_t>(sh));
    const int sr = sl + 1 + static_cast<int>(rng() % static_cast<uint32_t>(sw - sl));
    const int sb = st + 1 + static_cast<int>(rng() % static_cast<uint32_t>(sh - st));
    RECT sRect{sl, st, sr, sb};
    RECT dRect{};
    const bool fast = rng() % 2 == 0 && sr - sl <= dw && sb - st <= dh;
    if (fast) {
      const int x = static_cast<int>(rng() % static_cast<uint32_t>(dw - (sr - sl) + 1));
      const int y = static_cast<int>(rng() % static_cast<uint32_t>(dh - (sb - st) + 1));
      dRect = RECT{x, y, x + (sr - sl), y + (sb - st)};
      ASSERT_EQ(dst->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), src, &sRect,
                             keyed ? DDBLTFAST_SRCCOLORKEY : DDBLTFAST_NOCOLORKEY),
                DD_OK);
    } else {
      if (!clipper) {
        ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
      }
      ASSERT_EQ(dst->SetClipper(clipper), DD_OK);
      const int x = static_cast<int>(rng() % static_cast<uint32_t>(dw + 10)) - 5;
      const int y = static_cast<int>(rng() % static_cast<uint32_t>(dh + 4)) - 2;
      const bool scaled = rng() % 2 == 0;
      const int w = scaled ? 1 + static_cast<int>(rng() % 60) : sr - sl;
      const int h = scaled ? 1 + static_cast<int>(rng() % 9) : sb - st;
      dRect = RECT{x, y, x + w, y + h};
      ASSERT_EQ(dst->Blt(&dRect, src, &sRect, DDBLT_WAIT | (keyed ? DDBLT_KEYSRC : 0), nullptr), DD_OK);
      ASSERT_EQ(dst->SetClipper(nullptr), DD_OK);
    }

    const std::vector<uint32_t> got = SurfacePixels(dst);
    const int64_t rw = dRect.right - dRect.left, rh = dRect.bottom - dRect.top;
    for (int y = 0; y < dh; ++y) {
      for (int x = 0; x < dw; ++x) {
        uint32_t want = d0[static_cast<size_t>(y * dw + x)];
        if (x >= dRect.left && x < dRect.right && y >= dRect.top && y < dRect.bottom) {
          // The source pixel under the centre x + ½ of the target pixel.
          const int64_t sx = sl + ((2 * (x - dRect.left) + 1) * (sr - sl)) / (2 * rw);
          const int64_t sy = st + ((2 * (y - dRect.top) + 1) * (sb - st)) / (2 * rh);
          const uint32_t v = s[static_cast<size_t>(sy * sw + sx)];
          if (!keyed || (v & keyMask) != (key & keyMask)) want = v;
        }
        ASSERT_EQ(got[static_cast<size_t>(y * dw + x)], want)
            << "trial " << trial << " pixel (" << x << ", " << y << ")" << (fast ? " BltFast" : " Blt");
      }
    }
    for (IDirectDrawSurface7* surface : surfaces) surface->Release();
    surfaces.clear();
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, DDrawRowsTest, ::testing::Values(8u, 16u, 32u));

}  // namespace
