// The blur window and its average in every mode, transparent pixels, and the mosaic blocks:
// sampled under Direct3D and at 8 bits, averaged under DirectDraw at 16 and 32 bits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect_fixture.h"

namespace {

constexpr DWORD R565(DWORD r, DWORD g, DWORD b) { return r << 11 | g << 5 | b; }
constexpr DWORD T555(DWORD r, DWORD g, DWORD b) { return 0x8000 | r << 10 | g << 5 | b; }

// A pixel of the mode holding the blue value b (Direct3D opaque; DirectDraw 32 with a fourth
// byte of its own).
DWORD Blue(const DrawMode& m, DWORD b) {
  if (m.d3d) return m.bpp == 32 ? 0xFF000000u | b : 0x8000u | b;
  return m.bpp == 32 ? 0x55000000u | b : b;
}

}  // namespace

// Radius 1: each pixel is the average of the 2 × 2 pixels above-left of and at it, cut to the
// rectangle (the top-left pixel alone).
TEST_F(EffectTest, BlurAveragesTheWindow) {
  const std::vector<DWORD> source = {0, 1, 2, 3, 4, 5, 6, 7, 8};
  const std::vector<DWORD> blurred = {0, 0, 1, 1, 2, 3, 4, 5, 6};
  for (const DrawMode& m : kDrawModes) {
    if (m.bpp == 8) continue;
    SCOPED_TRACE(m.name);
    InitOrFail(m.d3d, m.bpp, m.d3d);
    DDSURFACEDATA src, dst;
    MakeLocked(&src, 3, 3, 0);
    for (int i = 0; i < 9; ++i) Put(&src, i % 3, i / 3, Blue(m, source[static_cast<size_t>(i)]));
    MakeLocked(&dst, 5, 5, Blue(m, 31));
    if (!m.d3d && m.bpp == 32) Fill(&dst, 0x77000000u | 31);
    EXPECT_TRUE(DDBlur(&dst, 1, 1, 3, 3, 1, 1, &src, 0, 0, 0));
    for (int i = 0; i < 9; ++i) {
      // DirectDraw 32 keeps the destination's fourth byte.
      const DWORD expected = !m.d3d && m.bpp == 32 ? 0x77000000u | blurred[static_cast<size_t>(i)]
                                                   : Blue(m, blurred[static_cast<size_t>(i)]);
      EXPECT_EQ(Pixel(&dst, 1 + i % 3, 1 + i / 3), expected) << i;
    }
    EXPECT_EQ(Pixel(&dst, 0, 0), !m.d3d && m.bpp == 32 ? 0x7700001Fu : Blue(m, 31));
    EXPECT_EQ(Pixel(&dst, 4, 4), !m.d3d && m.bpp == 32 ? 0x7700001Fu : Blue(m, 31));
    // A wider window: radius 2 × 1 at (2, 1) takes columns 0..2 of rows 0..1: 15 / 6.
    EXPECT_TRUE(DDBlur(&dst, 0, 0, 3, 3, 2, 1, &src, 0, 0, 0));
    EXPECT_EQ(Pixel(&dst, 2, 1) & 0xFF, 2u);
    // Radius 0 draws nothing.
    Fill(&dst, Blue(m, 31));
    EXPECT_TRUE(DDBlur(&dst, 0, 0, 3, 3, 0, 1, &src, 0, 0, 0));
    EXPECT_TRUE(DDBlur(&dst, 0, 0, 3, 3, 1, 0, &src, 0, 0, 0));
    EXPECT_EQ(Block(&dst, 0, 0, 5, 5), std::vector<DWORD>(25, Blue(m, 31)));
    DDReleaseSurface(&src);
    DDReleaseSurface(&dst);
    DDEnd();
  }
}

TEST_F(EffectTest, BlurLeavesTransparentPixelsOut) {
  struct Case {
    const char* name;
    int d3d, bpp;
    DWORD transparent;
  } cases[] = {{"Direct3D 32", 1, 32, 0x00000000}, {"Direct3D 16", 1, 16, 0x1F}, {"DirectDraw 32", 0, 32, 0x00FF00FF},
               {"DirectDraw 16", 0, 16, R565(31, 0, 31)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitOrFail(c.d3d, c.bpp, c.d3d);
    if (!c.d3d) DDSetTransmit(255, 0, 255);
    const DrawMode m{c.name, c.d3d, c.bpp};
    DDSURFACEDATA src, dst;
    MakeLocked(&src, 2, 2, Blue(m, 3));
    Put(&src, 0, 1, Blue(m, 9));
    Put(&src, 0, 0, c.transparent);
    MakeLocked(&dst, 2, 2, Blue(m, 20));
    EXPECT_TRUE(DDBlur(&dst, 0, 0, 2, 2, 1, 1, &src, 0, 0, 1));
    EXPECT_EQ(Pixel(&dst, 0, 0), Blue(m, 20));      // transparent itself: unchanged
    EXPECT_EQ(Pixel(&dst, 0, 1), Blue(m, 9));       // (9) alone, the pixel above is left out
    EXPECT_EQ(Pixel(&dst, 1, 1) & 0xFF, 5u);        // (3 + 9 + 3) / 3
    Fill(&src, c.transparent);
    Fill(&dst, Blue(m, 20));
    EXPECT_TRUE(DDBlur(&dst, 0, 0, 2, 2, 1, 1, &src, 0, 0, 1));
    EXPECT_EQ(Block(&dst, 0, 0, 2, 2), std::vector<DWORD>(4, Blue(m, 20)));
    DDReleaseSurface(&src);
    DDReleaseSurface(&dst);
    DDEnd();
  }
}

TEST_F(EffectTest, BlurRefusesEightBits) {
  InitOrFail(0, 8, 0);
  DDSURFACEDATA src, dst;
  MakeLocked(&src, 2, 2, 3);
  MakeLocked(&dst, 2, 2, 4);
  const std::string before = Errors();
  EXPECT_TRUE(DDBlur(&dst, 0, 0, 2, 2, 1, 1, &src, 0, 0, 0));
  EXPECT_EQ(Errors().substr(before.size()), "8ビットぼかしは不可能！\n");
  EXPECT_EQ(Block(&dst, 0, 0, 2, 2), std::vector<DWORD>(4, 4));
  DDReleaseSurface(&src);
  DDReleaseSurface(&dst);
}

// Blocks of 16 on a 40 × 20 rectangle start at 0, 16, 32 and 0, 16; under Direct3D each takes
// its top-left source pixel, opaque.
TEST_F(EffectTest, MosaicBlocksSampleTheirCorner) {
  InitOrFail(1, 32, 1);
  DDSURFACEDATA src, dst;
  MakeLocked(&src, 48, 24, 0);
  {
    cSurfaceLock lock(&src);
    for (int y = 0; y < 24; ++y) {
      for (int x = 0; x < 48; ++x) lock.Set(x, y, 0x12000000u | static_cast<DWORD>(y) << 8 | static_cast<DWORD>(x));
    }
  }
  MakeLocked(&dst, 48, 24, 0xEE);
  EXPECT_TRUE(DDMosaic(&dst, 0, 0, 40, 20, 16, &src, 0, 0, 0));
  struct Probe {
    int x, y;
    DWORD expected;
  } probes[] = {{0, 0, 0xFF000000},   {15, 15, 0xFF000000}, {16, 0, 0xFF000010}, {31, 15, 0xFF000010},
                {32, 0, 0xFF000020},  {39, 15, 0xFF000020}, {0, 16, 0xFF001000}, {39, 19, 0xFF001020},
                {40, 0, 0xEE},        {0, 20, 0xEE},        {47, 23, 0xEE}};
  for (const Probe& p : probes) EXPECT_EQ(Pixel(&dst, p.x, p.y), p.expected) << p.x << "," << p.y;
  // Block 1 copies, alpha forced opaque; block 0 draws nothing.
  EXPECT_TRUE(DDMosaic(&dst, 0, 0, 48, 24, 1, &src, 0, 0, 0));
  EXPECT_EQ(Pixel(&dst, 45, 21), 0xFF00152Du);
  Fill(&dst, 0xEE);
  EXPECT_TRUE(DDMosaic(&dst, 0, 0, 48, 24, 0, &src, 0, 0, 0));
  EXPECT_EQ(Pixel(&dst, 5, 5), 0xEEu);
  // A transparent corner leaves its block.
  Put(&src, 16, 0, 0x00FFFFFF);
  EXPECT_TRUE(DDMosaic(&dst, 0, 0, 40, 20, 16, &src, 0, 0, 1));
  EXPECT_EQ(Pixel(&dst, 20, 5), 0xEEu);
  EXPECT_EQ(Pixel(&dst, 5, 5), 0xFF000000u);
  DDReleaseSurface(&src);
  DDReleaseSurface(&dst);
}

TEST_F(EffectTest, MosaicInTheOtherModes) {
  struct Case {
    const char* name;
    int d3d, bpp, window;
    std::vector<DWORD> block;  // the 2 × 2 source block
    DWORD dst;
    int flags;
    DWORD expected;
  } cases[] = {
      {"Direct3D 16 texture: the corner", 1, 16, 1, {T555(1, 2, 3), T555(9, 9, 9), 0x8000, 0x8000}, 0, 0,
       T555(1, 2, 3)},
      {"DirectDraw 8: the corner", 0, 8, 0, {5, 6, 7, 8}, 0, 0, 5},
      {"DirectDraw 8: a keyed corner", 0, 8, 0, {0, 6, 7, 8}, 9, 1, 9},
      {"DirectDraw 32: the average per byte", 0, 32, 0, {0x000000, 0x020202, 0x040404, 0x060A0E}, 0x77000000, 0,
       0x77030405},
      {"DirectDraw 32: keyed pixels left out", 0, 32, 0, {0xFF00FF, 0x000003, 0x000006, 0x000009}, 0, 1, 0x000006},
      {"DirectDraw 32: all keyed", 0, 32, 0, {0xFF00FF, 0xFF00FF, 0xFF00FF, 0xFF00FF}, 0x11, 1, 0x11},
      // 31 → 255 and 0: 127 → 15; 63 → 255 and 0: 127 → 31.
      {"DirectDraw 16: widened, averaged, narrowed", 0, 16, 0, {R565(31, 63, 0), 0, R565(31, 63, 0), 0}, 0, 0,
       R565(15, 31, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitOrFail(c.d3d, c.bpp, c.window);
    if (!c.d3d) DDSetTransmit(255, 0, 255);
    if (!c.d3d && c.bpp == 8) DDColorKey = 0;
    DDSURFACEDATA src, dst;
    MakeLocked(&src, 2, 2, 0);
    for (int i = 0; i < 4; ++i) Put(&src, i % 2, i / 2, c.block[static_cast<size_t>(i)]);
    MakeLocked(&dst, 2, 2, c.dst);
    EXPECT_TRUE(DDMosaic(&dst, 0, 0, 2, 2, 2, &src, 0, 0, c.flags));
    EXPECT_EQ(Block(&dst, 0, 0, 2, 2), std::vector<DWORD>(4, c.expected));
    DDReleaseSurface(&src);
    DDReleaseSurface(&dst);
    DDEnd();
  }
}

// An average that equals the colour key is not written (key (0, 0, 128): 127 and 129 average to it).
TEST_F(EffectTest, MosaicAverageEqualToTheKeyIsNotWritten) {
  InitOrFail(0, 32, 0);
  DDSetTransmit(0, 0, 128);
  ASSERT_EQ(DDColorKey, 0x80u);
  DDSURFACEDATA src, dst;
  MakeLocked(&src, 2, 1, 0x7F);
  Put(&src, 1, 0, 0x81);
  MakeLocked(&dst, 2, 1, 0x44);
  DDMosaic(&dst, 0, 0, 2, 1, 2, &src, 0, 0, 1);
  EXPECT_EQ(Pixel(&dst, 0, 0), 0x44u);
  DDMosaic(&dst, 0, 0, 2, 1, 2, &src, 0, 0, 0);  // without the key test it is written
  EXPECT_EQ(Pixel(&dst, 0, 0), 0x80u);
  DDReleaseSurface(&src);
  DDReleaseSurface(&dst);
}

// The screen mosaic onto the full-screen 16-bit back buffer moves the pixel into its layout.
TEST_F(EffectTest, MosaicOntoTheSixteenBitBackBuffer) {
  InitOrFail(1, 16, 0);
  DDSURFACEDATA src;
  MakeLocked(&src, 4, 4, T555(1, 2, 3));
  DDMosaic(&BackBuffer, 0, 0, 4, 4, 2, &src, 0, 0, 0);
  EXPECT_EQ(Pixel(&BackBuffer, 3, 3), R565(1, 4, 3));
  DDReleaseSurface(&src);
}
