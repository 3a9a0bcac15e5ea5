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

// Checks a target of dw × dh pixels (d0 before the copy) after copying rectangle sRect of the
// source s (sw pixels wide) onto dRect: each pixel inside takes the source pixel under its centre
// unless that pixel's masked colour is the key.
void ExpectCopyRule(const std::vector<uint32_t>& got, const std::vector<uint32_t>& d0, int dw, int dh,
                    const std::vector<uint32_t>& s, int sw, const RECT& sRect, const RECT& dRect, bool keyed,
                    uint32_t key, uint32_t keyMask, const testing::Message& what) {
  const int64_t rw = dRect.right - dRect.left, rh = dRect.bottom - dRect.top;
  for (int y = 0; y < dh; ++y) {
    for (int x = 0; x < dw; ++x) {
      uint32_t want = d0[static_cast<size_t>(y * dw + x)];
      if (x >= dRect.left && x < dRect.right && y >= dRect.top && y < dRect.bottom) {
        // The source pixel under the centre x + ½ of the target pixel.
        const int64_t sx = sRect.left + ((2 * (x - dRect.left) + 1) * (sRect.right - sRect.left)) / (2 * rw);
        const int64_t sy = sRect.top + ((2 * (y - dRect.top) + 1) * (sRect.bottom - sRect.top)) / (2 * rh);
        const uint32_t v = s[static_cast<size_t>(sy * sw + sx)];
        if (!keyed || (v & keyMask) != key) want = v;
      }
      ASSERT_EQ(got[static_cast<size_t>(y * dw + x)], want) << what << " pixel (" << x << ", " << y << ")";
    }
  }
}

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

    ExpectCopyRule(SurfacePixels(dst), d0, dw, dh, s, sw, sRect, dRect, keyed, key & keyMask, keyMask,
                   testing::Message() << "trial " << trial << (fast ? " BltFast" : " Blt"));
    for (IDirectDrawSurface7* surface : surfaces) surface->Release();
    surfaces.clear();
  }
}

TEST_P(DDrawRowsTest, WholeRowsCopyAsOneRunOnlyWhereBothSurfacesAreThatWide) {
  // Rows that fill their surfaces' pitches lie end to end and are copied in one run; a wider or
  // narrower surface on either side, or a part of a row, goes row by row. Widths whose rows are
  // a whole number of 4-byte words at this depth, and their neighbours.
  const DWORD bpp = GetParam();
  const uint32_t keyMask = bpp == 32 ? 0x00FFFFFFu : PixelMask(bpp);
  const int word = bpp == 8 ? 4 : bpp == 16 ? 2 : 1;  // pixels in 4 bytes
  std::mt19937 rng(bpp + 1);
  struct Case {
    int sw, dw, sl, sr;
  };
  const int w = 9 * word;
  for (const Case& c : {Case{w, w, 0, w}, Case{w, w + word, 0, w}, Case{w + word, w, 0, w}, Case{w, w, 1, w},
                        Case{w, w, 0, w - 1}, Case{w + 1, w + 1, 0, w + 1}}) {
    for (bool keyed : {false, true}) {
      const int sh = 6, dh = 7;
      IDirectDrawSurface7* src = Surface(c.sw, sh);
      IDirectDrawSurface7* dst = Surface(c.dw, dh);
      ASSERT_TRUE(src && dst);
      std::vector<uint32_t> s(static_cast<size_t>(c.sw * sh)), d0(static_cast<size_t>(c.dw * dh));
      for (auto& v : s) v = ((rng() % 3) * 0x00010101u | (bpp == 32 ? rng() & 0xFF000000u : 0u)) & PixelMask(bpp);
      for (auto& v : d0) v = rng() & PixelMask(bpp);
      WriteSurface(src, s);
      WriteSurface(dst, d0);
      const uint32_t key = 0x00010101u & PixelMask(bpp);
      DDCOLORKEY ck{key, key};
      ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &ck), DD_OK);
      RECT sRect{c.sl, 2, c.sr, 6};  // the last four rows, to target rows 1 to 4
      ASSERT_EQ(dst->BltFast(0, 1, src, &sRect, keyed ? DDBLTFAST_SRCCOLORKEY : DDBLTFAST_NOCOLORKEY), DD_OK);
      const RECT dRect{0, 1, c.sr - c.sl, 5};
      ExpectCopyRule(SurfacePixels(dst), d0, c.dw, dh, s, c.sw, sRect, dRect, keyed, key, keyMask,
                     testing::Message() << "source " << c.sw << " target " << c.dw << " columns " << c.sl << ".."
                                        << c.sr << (keyed ? " keyed" : ""));
      for (IDirectDrawSurface7* surface : surfaces) surface->Release();
      surfaces.clear();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, DDrawRowsTest, ::testing::Values(8u, 16u, 32u));

}  // namespace
