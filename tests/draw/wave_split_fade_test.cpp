// Waves, splits, turns about an axis, bursts, palette mixing and rotation, and the screen fades.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect_fixture.h"

namespace {

// A 32-bit DirectDraw source whose pixel (x, y) is 1 + x + 16 × y.
void Numbered(DDSURFACEDATA* sd, int w, int h) {
  cSurfaceLock lock(sd);
  ASSERT_TRUE(lock.Locked());
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) lock.Set(x, y, static_cast<DWORD>(1 + x + 16 * y));
  }
}

PALETTEENTRY Entry4(BYTE r, BYTE g, BYTE b, BYTE f) { return PALETTEENTRY{r, g, b, f}; }

bool SameEntry(const PALETTEENTRY& a, const PALETTEENTRY& b) {
  return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue && a.peFlags == b.peFlags;
}

}  // namespace

// Rows move sideways by trunc(amplitude × sin(nWaves × (phase + sum))) with the sum growing by
// 360 / L × strip before each strip: for L 4, one wave, amplitude 2: 2, 0, −2, 0.
TEST_F(EffectTest, WaveMovesStripsAlongASine) {
  InitOrFail(0, 32, 0);
  DDSURFACEDATA src, dst;
  MakeLocked(&src, 8, 8, 0);
  Numbered(&src, 8, 8);
  MakeLocked(&dst, 12, 8, 0);
  DDWave(&dst, 3, 0, 3, 4, 1, 2.0, 0, 1, &src, 0, 0, 0, 0);
  const int shift[4] = {2, 0, -2, 0};
  for (int row = 0; row < 4; ++row) {
    SCOPED_TRACE(row);
    for (int x = 0; x < 12; ++x) {
      const int sx = x - 3 - shift[row];
      EXPECT_EQ(Pixel(&dst, x, row), sx >= 0 && sx < 3 ? static_cast<DWORD>(1 + sx + 16 * row) : 0u) << x;
    }
  }
  // Columns move up and down the same way.
  Fill(&dst, 0);
  DDWave(&dst, 0, 3, 4, 2, 1, 2.0, 0, 1, &src, 0, 0, 0, 1);
  for (int col = 0; col < 4; ++col) {
    EXPECT_EQ(Pixel(&dst, col, 3 + shift[col]), static_cast<DWORD>(1 + col)) << col;
    EXPECT_EQ(Pixel(&dst, col, 4 + shift[col]), static_cast<DWORD>(1 + col + 16)) << col;
  }
  // Amplitude 0 copies in strips; the last strip is cut to the rectangle (5 rows in strips of 2).
  Fill(&dst, 0);
  DDWave(&dst, 0, 0, 8, 5, 3, 0.0, 45, 2, &src, 0, 0, 0, 0);
  EXPECT_EQ(Block(&dst, 0, 0, 8, 5), Block(&src, 0, 0, 8, 5));
  EXPECT_EQ(Block(&dst, 0, 5, 8, 3), std::vector<DWORD>(24, 0));
  // No strip, no rectangle: nothing.
  Fill(&dst, 0);
  DDWave(&dst, 0, 0, 8, 5, 1, 2.0, 0, 0, &src, 0, 0, 0, 0);
  DDWave(&dst, 0, 0, 8, 0, 1, 2.0, 0, 1, &src, 0, 0, 0, 0);
  EXPECT_EQ(Block(&dst, 0, 0, 12, 8), std::vector<DWORD>(96, 0));
  DDReleaseSurface(&src);
  DDReleaseSurface(&dst);
}

// 100 columns in strips of 30: three strips (0..89), strip 1 raised, strips 0 and 2 lowered.
TEST_F(EffectTest, SplitPushesStripsApart) {
  InitOrFail(0, 32, 0);
  DDSURFACEDATA src, dst;
  MakeLocked(&src, 100, 2, 0);
  {
    cSurfaceLock lock(&src);
    for (int x = 0; x < 100; ++x) lock.Set(x, 0, static_cast<DWORD>(x + 1)), lock.Set(x, 1, static_cast<DWORD>(x + 1));
  }
  MakeLocked(&dst, 100, 10, 0);
  DDSplit(&dst, 0, 4, 100, 2, 30, 3, &src, 0, 0, 0, 1);
  for (int x = 0; x < 100; ++x) {
    SCOPED_TRACE(x);
    const int top = x >= 90 ? -1 : (x / 30) % 2 == 1 ? 1 : 7;
    for (int y = 0; y < 10; ++y) {
      EXPECT_EQ(Pixel(&dst, x, y), top >= 0 && (y == top || y == top + 1) ? static_cast<DWORD>(x + 1) : 0u) << y;
    }
  }
  // Rows: odd rows to the left, even rows to the right; strip 0 is a plain copy.
  Fill(&dst, 0);
  DDSplit(&dst, 2, 0, 3, 2, 1, 1, &src, 0, 0, 0, 0);
  EXPECT_EQ(Block(&dst, 0, 0, 6, 2), (std::vector<DWORD>{0, 0, 0, 1, 2, 3, 0, 1, 2, 3, 0, 0}));
  Fill(&dst, 0);
  DDSplit(&dst, 1, 1, 3, 2, 0, 5, &src, 0, 0, 0, 1);
  EXPECT_EQ(Block(&dst, 0, 1, 5, 2), (std::vector<DWORD>{0, 1, 2, 3, 0, 0, 1, 2, 3, 0}));
  DDReleaseSurface(&src);
  DDReleaseSurface(&dst);
}

// Width 64 (u = 32): the drawn columns and which image shows them, by phase.
TEST_F(EffectTest, TurnAboutAnAxis) {
  InitOrFail(0, 32, 0);
  DDSURFACEDATA front, back, dst;
  MakeLocked(&front, 4, 2, 1);
  MakeLocked(&back, 4, 2, 2);
  MakeLocked(&dst, 70, 70, 0);
  struct Case {
    int phase;
    int first, count;  // drawn columns
    DWORD image;
  } cases[] = {{0, 0, 64, 1}, {31, 31, 2, 1}, {32, 31, 2, 2}, {63, 0, 64, 2}, {64, 0, 64, 2},
               {95, 31, 2, 2}, {96, 31, 2, 1}, {127, 0, 64, 1}, {128, 0, 64, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.phase);
    for (int axis : {0, 1}) {
      Fill(&dst, 0);
      DDRotateDepth(&dst, 0, 0, 64, 64, &front, 0, 0, &back, 0, 0, 4, 2, 0, c.phase, axis);
      for (int k = 0; k < 66; ++k) {
        const DWORD expected = k >= c.first && k < c.first + c.count ? c.image : 0;
        EXPECT_EQ(axis == 0 ? Pixel(&dst, k, 10) : Pixel(&dst, 10, k), expected) << axis << " " << k;
      }
    }
  }
  // Sizes below 2, a negative phase and other axes draw nothing.
  Fill(&dst, 0);
  DDRotateDepth(&dst, 0, 0, 1, 64, &front, 0, 0, &back, 0, 0, 4, 2, 0, 0, 0);
  DDRotateDepth(&dst, 0, 0, 0, 64, &front, 0, 0, &back, 0, 0, 4, 2, 0, 5, 0);
  DDRotateDepth(&dst, 0, 0, 64, 1, &front, 0, 0, &back, 0, 0, 4, 2, 0, 3, 1);
  DDRotateDepth(&dst, 0, 0, 64, 64, &front, 0, 0, &back, 0, 0, 4, 2, 0, -1, 0);
  DDRotateDepth(&dst, 0, 0, 64, 64, &front, 0, 0, &back, 0, 0, 4, 2, 0, 0, 2);
  EXPECT_EQ(Block(&dst, 0, 0, 70, 70), std::vector<DWORD>(4900, 0));
  // Size 2 (u = 1) turns without dividing by zero: phases 0..3 show front, back, back, front.
  const DWORD shown[4] = {1, 2, 2, 1};
  for (int phase = 0; phase < 4; ++phase) {
    Fill(&dst, 0);
    DDRotateDepth(&dst, 0, 0, 2, 1, &front, 0, 0, &back, 0, 0, 4, 2, 0, phase, 0);
    EXPECT_EQ(Block(&dst, 0, 0, 3, 1), (std::vector<DWORD>{shown[phase], shown[phase], 0})) << phase;
  }
  DDReleaseSurface(&front);
  DDReleaseSurface(&back);
  DDReleaseSurface(&dst);
}

TEST_F(EffectTest, BurstPushesTheQuartersOut) {
  InitOrFail(0, 32, 0);
  DDSURFACEDATA src, dst;
  MakeLocked(&src, 5, 5, 0);
  Numbered(&src, 5, 5);
  MakeLocked(&dst, 9, 9, 0);
  DDBurst(&dst, 2, 2, 5, 5, &src, 0, 0, 1, 0);  // odd sizes lose their last column and row
  // Quarters of 2 × 2 at (1, 1), (5, 1), (1, 5) and (5, 5).
  const std::vector<DWORD> expected = {
      0, 0,  0,  0, 0, 0,  0,  0, 0,  //
      0, 1,  2,  0, 0, 3,  4,  0, 0,  //
      0, 17, 18, 0, 0, 19, 20, 0, 0,  //
      0, 0,  0,  0, 0, 0,  0,  0, 0,  //
      0, 0,  0,  0, 0, 0,  0,  0, 0,  //
      0, 33, 34, 0, 0, 35, 36, 0, 0,  //
      0, 49, 50, 0, 0, 51, 52, 0, 0,  //
      0, 0,  0,  0, 0, 0,  0,  0, 0,  //
      0, 0,  0,  0, 0, 0,  0,  0, 0,
  };
  EXPECT_EQ(Block(&dst, 0, 0, 9, 9), expected);
  DDReleaseSurface(&src);
  DDReleaseSurface(&dst);
}

TEST_F(EffectTest, PaletteMixing) {
  PALETTEENTRY src[256], dst[256];
  for (int i = 0; i < 256; ++i) src[i] = dst[i] = Entry4(200, 100, 7, 0);
  src[5] = Entry4(200, 100, 8, 4);
  DDBlendPalette(dst, 5, 6, 256, 10, 20, 30, src);  // the source kept, flags 1
  EXPECT_TRUE(SameEntry(dst[5], Entry4(200, 100, 8, 1)));
  EXPECT_TRUE(SameEntry(dst[6], Entry4(200, 100, 7, 1)));
  EXPECT_TRUE(SameEntry(dst[7], Entry4(200, 100, 7, 0)));
  DDBlendPalette(dst, 5, 5, 0, 10, 20, 30, src);  // the colour alone
  EXPECT_TRUE(SameEntry(dst[5], Entry4(10, 20, 30, 1)));
  // (200 × 128 + 0 × 128) >> 8 = 100; (100 × 128 + 255 × 128) >> 8 = 177; (8 × 128) >> 8 = 4.
  DDBlendPalette(dst, 5, 5, 128, 0, 255, 0, src);
  EXPECT_TRUE(SameEntry(dst[5], Entry4(100, 177, 4, 1)));
  DDBlendPalette(dst, 9, 8, 0, 1, 1, 1, src);  // an empty range
  EXPECT_TRUE(SameEntry(dst[8], Entry4(200, 100, 7, 0)));
  EXPECT_TRUE(SameEntry(dst[9], Entry4(200, 100, 7, 0)));
}

TEST_F(EffectTest, PaletteRotation) {
  InitOrFail(0, 8, 0);
  PALETTEENTRY src[256], dst[256];
  for (int i = 0; i < 256; ++i) src[i] = Entry4(static_cast<BYTE>(i), 0, 0, 0);
  const auto reds = [&](int from, int count) {
    std::vector<int> out;
    for (int i = from; i < from + count; ++i) out.push_back(dst[i].peRed);
    return out;
  };
  struct Case {
    int count, direction;
    std::vector<int> first6;  // entries 0..5 after rotating 0..3
  } cases[] = {
      {1, 0, {3, 0, 1, 2, 4, 5}}, {1, 1, {1, 2, 3, 0, 4, 5}}, {3, 0, {1, 2, 3, 0, 4, 5}},
      {0, 0, {0, 1, 2, 3, 4, 5}}, {4, 1, {0, 1, 2, 3, 4, 5}}, {5, 0, {3, 0, 1, 2, 4, 5}},
      {1, 2, {0, 1, 2, 3, 4, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << " " << c.direction);
    for (int i = 0; i < 256; ++i) dst[i] = Entry4(9, 9, 9, 9);
    DDRotatePalette(dst, 0, 3, c.count, c.direction, src);
    EXPECT_EQ(reds(0, 6), c.first6);
    EXPECT_EQ(dst[255].peRed, 255);  // the rest is copied
  }
  // The colour schemes' call: entries 16..207 move down by n blocks of 16, in place.
  for (int i = 0; i < 256; ++i) dst[i] = src[i];
  DDRotatePalette(dst, 16, 207, 2 * 16, 1, dst);
  EXPECT_EQ(reds(16, 2), (std::vector<int>{48, 49}));
  EXPECT_EQ(reds(175, 2), (std::vector<int>{207, 16}));
  EXPECT_EQ(reds(206, 2), (std::vector<int>{46, 47}));
  EXPECT_EQ(reds(208, 1), std::vector<int>{208});
}

// Direct3D: the back buffer is covered by black with alpha 255 − trunc(255 × sin(angle)).
// With step 30 the angles are 90, 60, 30, 0: alphas 0, 35, 128, 255.
TEST_F(EffectTest, Direct3DFadeSteps) {
  InitOrFail(1, 32, 1);
  const auto step = [&](bool out, BYTE finish, DWORD* after) {
    DDFillRect(&BackBuffer, 0, 0, 640, 480, 4);
    const bool done = out ? DDFadeOut(DDPaletteWork, 0, 255, 0, 0, 0, 30.0, DDPalette, finish)
                          : DDFadeIn(DDPaletteWork, 0, 255, 0, 0, 0, 30.0, DDPalette, finish);
    *after = Pixel(&BackBuffer, 320, 240) & 0xFFFFFF;
    return done;
  };
  DWORD p = 0;
  const DWORD out[4] = {0xFFFFFF, 0xDCDCDC, 0x7F7F7F, 0x000000};
  for (int round = 0; round < 2; ++round) {
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(step(true, 0, &p), k == 3) << round << " " << k;
      EXPECT_EQ(p, out[k]) << round << " " << k;
    }
  }
  const DWORD in[4] = {0x000000, 0x7F7F7F, 0xDCDCDC, 0xFFFFFF};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(step(false, 0, &p), k == 3) << k;
    EXPECT_EQ(p, in[k]) << k;
  }
  // bFinish draws the end at once and completes; an abandoned fade goes on where it stopped.
  EXPECT_TRUE(step(true, 1, &p));
  EXPECT_EQ(p, 0u);
  EXPECT_FALSE(step(false, 0, &p));
  EXPECT_TRUE(step(false, 1, &p));
  EXPECT_EQ(p, 0xFFFFFFu);
  EXPECT_FALSE(step(true, 0, &p));
  EXPECT_FALSE(step(true, 0, &p));
  EXPECT_EQ(p, 0xDCDCDCu);
  DDResetFades();
}

// DirectDraw 32 and 16 bits: the picture kept at the start of the fade is mixed toward the
// colour at level trunc(256 × sin(angle)): 256, 221, 127, 0 for step 30.
TEST_F(EffectTest, DirectDrawFadeSteps) {
  struct Case {
    int bpp;
    DWORD picture, other;
    DWORD levels[4];
    DWORD spot, spotAt221;  // one pixel of its own at (7, 3)
  } cases[] = {
      // 200 × 221 >> 8 = 172, 200 × 127 >> 8 = 99; 100 × 221 >> 8 = 86.
      {32, 0x00C8C8C8, 0x00123456, {0x00C8C8C8, 0x00ACACAC, 0x00636363, 0}, 0x00000064, 0x00000056},
      // white 565: 255 × 221 >> 8 = 220 → 26 and 54; 255 × 127 >> 8 = 126 → 15 and 31.
      {16, 0xFFFF, 0x1234, {0xFFFF, (26u << 11) | (54u << 5) | 26u, (15u << 11) | (31u << 5) | 15u, 0}, 31, 26},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bpp);
    InitOrFail(0, c.bpp, 0);
    Fill(&BackBuffer, c.picture);
    Put(&BackBuffer, 7, 3, c.spot);
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(DDFadeOut(DDPaletteWork, 0, 255, 0, 0, 0, 30.0, DDPalette, 0), k == 3) << k;
      EXPECT_EQ(Pixel(&BackBuffer, 5, 5), c.levels[k]) << k;
      if (k == 1) {
        EXPECT_EQ(Pixel(&BackBuffer, 7, 3), c.spotAt221);
      }
      Fill(&BackBuffer, c.other);  // the fade keeps working from the picture it took
    }
    DDEnd();
  }
}

TEST_F(EffectTest, DirectDrawEightBitFadeMixesThePalette) {
  InitOrFail(0, 8, 0);
  for (int i = 0; i < 256; ++i) DDPalette[i] = Entry4(200, 100, 0, 0);
  EXPECT_FALSE(DDFadeOut(DDPaletteWork, 0, 255, 0, 0, 0, 30.0, DDPalette, 0));
  EXPECT_TRUE(SameEntry(DDPaletteWork[7], Entry4(200, 100, 0, 1)));
  EXPECT_FALSE(DDFadeOut(DDPaletteWork, 0, 255, 0, 0, 0, 30.0, DDPalette, 0));
  EXPECT_TRUE(SameEntry(DDPaletteWork[7], Entry4(172, 86, 0, 1)));  // level 221
  EXPECT_TRUE(DDFadeOut(DDPaletteWork, 0, 255, 0, 0, 0, 30.0, DDPalette, 1));
  EXPECT_TRUE(SameEntry(DDPaletteWork[255], Entry4(0, 0, 0, 1)));
}
