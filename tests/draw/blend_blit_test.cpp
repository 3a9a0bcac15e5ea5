// Translucent, half-and-half and colour-changed blits: the arithmetic of every path, the
// transparent source and destination rules, cutting to the surfaces, and the blend table file.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "effect_fixture.h"

namespace {

constexpr DWORD R565(DWORD r, DWORD g, DWORD b) { return r << 11 | g << 5 | b; }
constexpr DWORD T555(DWORD r, DWORD g, DWORD b) { return 0x8000 | r << 10 | g << 5 | b; }

struct MixCase {
  const char* path;
  int d3d, bpp, window;
  DWORD src, dst;
  DWORD expected;
};

}  // namespace

// The lock-based paths mix half and half whatever the transparency asked for.
TEST_F(EffectTest, HalfAndHalfOnEveryLockPath) {
  const MixCase cases[] = {
      {"Direct3D 32", 1, 32, 1, 0xFF204060, 0xFF6080A0, 0xFF406080},
      {"Direct3D 16 texture", 1, 16, 1, T555(10, 20, 30), T555(20, 10, 0), T555(15, 15, 15)},
      {"DirectDraw 8", 0, 8, 0, 5, 3, 77},
      {"DirectDraw 8, destination 0", 0, 8, 0, 5, 0, 5},
      // 255 and 0 → 127 → 15 of 31; 0 and 255 → 127 → 31 of 63.
      {"DirectDraw 16", 0, 16, 0, R565(31, 0, 0), R565(0, 63, 0), R565(15, 31, 0)},
      {"DirectDraw 16, destination the key", 0, 16, 0, R565(31, 0, 0), R565(31, 0, 31), R565(31, 0, 0)},
      {"DirectDraw 32", 0, 32, 0, 0x11204060, 0x226080A0, 0x22406080},
      {"DirectDraw 32, destination the key", 0, 32, 0, 0x11204060, 0x00FF00FF, 0x00204060},
  };
  for (const MixCase& c : cases) {
    SCOPED_TRACE(c.path);
    InitOrFail(c.d3d, c.bpp, c.window);
    if (!c.d3d) DDSetTransmit(255, 0, 255);
    g_BlendTable[3 * 256 + 5] = 77;
    for (int alpha : {0, 128, 255}) {
      DDSURFACEDATA src, dst;
      MakeLocked(&src, 2, 1, c.src);
      MakeLocked(&dst, 2, 1, c.dst);
      EXPECT_TRUE(DDBltAlpha(&dst, 0, 0, 2, 1, &src, 0, 0, 0, g_BlendTable, alpha));
      EXPECT_EQ(Pixel(&dst, 1, 0), c.expected) << alpha;
      Fill(&dst, c.dst);
      EXPECT_TRUE(DDBltHalf(&dst, 0, 0, 2, 1, &src, 0, 0, 0, g_BlendTable));
      EXPECT_EQ(Pixel(&dst, 0, 0), c.expected) << alpha;
      DDReleaseSurface(&src);
      DDReleaseSurface(&dst);
    }
    g_BlendTable[3 * 256 + 5] = 0;
    DDEnd();
  }
}

// Full-screen Direct3D at 16 bits: the back buffer has six bits of green; a texture green of 31
// with a back-buffer green of 63 gives (63 + 62) >> 1 = 62.
TEST_F(EffectTest, HalfAndHalfOntoTheSixteenBitBackBuffer) {
  InitOrFail(1, 16, 0);
  ASSERT_TRUE(DDIsFullscreenBackBuffer(&BackBuffer));
  DDSURFACEDATA src;
  MakeLocked(&src, 4, 4, T555(31, 31, 0));
  Fill(&BackBuffer, R565(0, 63, 31));
  DDBltHalf(&BackBuffer, 1, 1, 2, 2, &src, 0, 0, 0, nullptr);
  EXPECT_EQ(Pixel(&BackBuffer, 1, 1), R565(15, 62, 15));
  EXPECT_EQ(Pixel(&BackBuffer, 0, 0), R565(0, 63, 31));
  DDReleaseSurface(&src);
}

TEST_F(EffectTest, TransparentSourcePixelsAreLeftOut) {
  const MixCase cases[] = {
      {"Direct3D 32", 1, 32, 1, 0x00FFFFFF, 0xFF102030, 0xFF102030},
      {"Direct3D 16 (0x2000 alone is transparent)", 1, 16, 1, 0x5FFF, T555(1, 2, 3), T555(1, 2, 3)},
      {"DirectDraw 8 (index 0)", 0, 8, 0, 0, 3, 3},
      {"DirectDraw 16", 0, 16, 0, R565(31, 0, 31), R565(1, 2, 3), R565(1, 2, 3)},
      {"DirectDraw 32", 0, 32, 0, 0x00FF00FF, 0x00010203, 0x00010203},
  };
  for (const MixCase& c : cases) {
    SCOPED_TRACE(c.path);
    InitOrFail(c.d3d, c.bpp, c.window);
    if (!c.d3d) DDSetTransmit(255, 0, 255);
    DDSURFACEDATA src, dst;
    MakeLocked(&src, 2, 1, c.src);
    MakeLocked(&dst, 2, 1, c.dst);
    DDBltHalf(&dst, 0, 0, 2, 1, &src, 0, 0, 1, g_BlendTable);
    EXPECT_EQ(Pixel(&dst, 0, 0), c.expected);
    // The colour change leaves them out too (at 8 bits the key is the colour key, index 0 here).
    DDBltColorChange(&dst, 0, 0, 2, 1, &src, 0, 0, 1, DDPalette, g_BlendTable, 1, 2);
    EXPECT_EQ(Pixel(&dst, 1, 0), c.expected);
    DDReleaseSurface(&src);
    DDReleaseSurface(&dst);
    DDEnd();
  }
}

// A rectangle reaching outside either surface draws only the pixels both hold, unshifted.
TEST_F(EffectTest, MixedRectanglesAreCutNotShifted) {
  InitOrFail(1, 32, 1);
  DDSURFACEDATA src, dst;
  MakeLocked(&src, 3, 1, 0xFF000000);
  Put(&src, 0, 0, 0xFF020202);
  Put(&src, 1, 0, 0xFF040404);
  Put(&src, 2, 0, 0xFF060606);
  MakeLocked(&dst, 3, 1, 0xFF000000);
  DDBltHalf(&dst, -1, 0, 3, 1, &src, 0, 0, 0, nullptr);
  EXPECT_EQ(Block(&dst, 0, 0, 3, 1), (std::vector<DWORD>{0xFF020202, 0xFF030303, 0xFF000000}));
  Fill(&dst, 0xFF000000);
  DDBltHalf(&dst, 0, 0, 3, 1, &src, -2, 0, 0, nullptr);  // source columns −2, −1 do not exist
  EXPECT_EQ(Block(&dst, 0, 0, 3, 1), (std::vector<DWORD>{0xFF000000, 0xFF000000, 0xFF010101}));
  Fill(&dst, 0xFF000000);
  DDBltHalf(&dst, 0, 5, 3, 1, &src, 0, 0, 0, nullptr);  // wholly outside
  DDBltHalf(&dst, 0, 0, 3, 9, &src, 0, 1, 0, nullptr);
  EXPECT_EQ(Block(&dst, 0, 0, 3, 1), std::vector<DWORD>(3, 0xFF000000));
  DDReleaseSurface(&src);
  DDReleaseSurface(&dst);
}

// The quad path honours the transparency: vertex alpha 255 − nAlpha modulates the texture.
TEST_F(EffectTest, TranslucentQuad) {
  InitOrFail(1, 32, 1);
  DDSURFACEDATA src, dst;
  MakeTarget(&src, 4, 4, 0xFFFFFFFF);
  MakeTarget(&dst, 4, 4, 0xFF000000);
  struct Case {
    int alpha;
    DWORD expected;
  } cases[] = {{0, 0xFFFFFF}, {128, 0x7F7F7F}, {255, 0x000000}, {256, 0xFFFFFF}};  // low byte of 255 − 256
  for (const Case& c : cases) {
    DDFillRectD3D(&dst, 0, 0, 4, 4, 0xFF000000);
    EXPECT_TRUE(DDBltAlpha(&dst, 1, 1, 2, 2, &src, 0, 0, 0, nullptr, c.alpha));
    EXPECT_EQ(Pixel(&dst, 1, 1) & 0xFFFFFF, c.expected) << c.alpha;
    EXPECT_EQ(Pixel(&dst, 0, 0) & 0xFFFFFF, 0u) << c.alpha;
  }
  DDReleaseSurface(&src);
  DDReleaseSurface(&dst);
}

TEST_F(EffectTest, ColourChangeOnEveryPath) {
  PALETTEENTRY pal[256] = {};
  pal[1] = PALETTEENTRY{255, 0, 0, 0};
  pal[2] = PALETTEENTRY{31, 0, 0, 0};  // DirectDraw 16: channel values
  g_BlendTable[5 * 256 + 1] = 6;
  g_BlendTable[6 * 256 + 1] = 9;
  struct Case {
    const char* path;
    int d3d, bpp, window, color, level;
    DWORD src, dst, expected;
  } cases[] = {
      {"Direct3D 32, level 1 halves", 1, 32, 1, 1, 1, 0xFFFFFFFF, 0, 0xFFFF7F7F},
      // a = 64/255: 200a + 255(1 − a) = 241.2, 200a = 50.2.
      {"Direct3D 32, level 2", 1, 32, 1, 1, 2, 0x00C8C8C8, 0, 0xFFF13232},
      {"Direct3D 32, level 5 is the colour", 1, 32, 1, 1, 5, 0xFFC8C8C8, 0, 0xFFFF0000},
      {"Direct3D 16 texture, level 1", 1, 16, 1, 1, 1, T555(20, 10, 31), 0, T555(25, 5, 15)},
      {"Direct3D 16 back buffer, level 1: green not halved", 1, 16, 0, 1, 1, T555(20, 10, 31), 0,
       R565(25, 10, 15)},
      {"DirectDraw 8, two lookups", 0, 8, 0, 1, 2, 5, 0, 9},
      {"DirectDraw 8, level 0 draws nothing", 0, 8, 0, 1, 0, 5, 3, 3},
      // 0 → 127 → 191; 191 × 31 / 255 = 23.
      {"DirectDraw 16, level 2", 0, 16, 0, 2, 2, 0, 0x0001, R565(23, 0, 0)},
      {"DirectDraw 32, level 2", 0, 32, 0, 1, 2, 0x00000000, 0x55000000, 0x55BF0000},
      {"DirectDraw 32, level 5 halves five times", 0, 32, 0, 1, 5, 0x00000000, 0, 0x00F70000},
      {"DirectDraw 32, a negative level copies", 0, 32, 0, 1, -1, 0x00123456, 0x77000000, 0x77123456},
      {"a colour outside the palette draws nothing", 0, 32, 0, 256, 1, 0x00123456, 0x5, 0x5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    InitOrFail(c.d3d, c.bpp, c.window);
    DDSURFACEDATA src, dst;
    MakeLocked(&src, 2, 2, c.src);
    const bool back = c.d3d && c.window == 0;
    DDSURFACEDATA* target = back ? &BackBuffer : &dst;
    if (back) {
      Fill(&BackBuffer, c.dst);
    } else {
      MakeLocked(&dst, 2, 2, c.dst);
    }
    EXPECT_TRUE(DDBltColorChange(target, 0, 0, 2, 2, &src, 0, 0, 0, pal, g_BlendTable, c.color, c.level));
    EXPECT_EQ(Pixel(target, 1, 1), c.expected);
    DDReleaseSurface(&src);
    if (!back) DDReleaseSurface(&dst);
    DDEnd();
  }
  g_BlendTable[5 * 256 + 1] = 0;
  g_BlendTable[6 * 256 + 1] = 0;
}

// The quad path mixes texture × k/255 + colour × (1 − k/255) with k 128, 80, 48, 16 by level.
TEST_F(EffectTest, ColourChangeQuad) {
  InitOrFail(1, 32, 1);
  PALETTEENTRY pal[256] = {};
  pal[1] = PALETTEENTRY{255, 0, 0, 0};
  DDSURFACEDATA src, dst;
  MakeTarget(&src, 4, 4, 0xFFFFFFFF);
  MakeTarget(&dst, 4, 4, 0xFF000000);
  struct Case {
    int level;
    DWORD expected;
  } cases[] = {{1, 0xFF8080}, {2, 0xFF5050}, {3, 0xFF3030}, {4, 0xFF1010}, {5, 0xFF0000}, {0, 0x000000}};
  for (const auto& c : cases) {
    DDFillRectD3D(&dst, 0, 0, 4, 4, 0xFF000000);
    DDBltColorChange(&dst, 0, 0, 4, 4, &src, 0, 0, 0, pal, nullptr, 1, c.level);
    EXPECT_EQ(Pixel(&dst, 2, 2) & 0xFFFFFF, c.expected) << c.level;
  }
  DDReleaseSurface(&src);
  DDReleaseSurface(&dst);
}

TEST_F(EffectTest, BlendTableFile) {
  const std::string path = env->dir().path() + "/hbt.dat";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  const BYTE head[3] = {7, 8, 9};
  std::fwrite(head, 1, 3, f);
  std::fclose(f);
  BYTE table[65536];
  std::fill(table, table + 65536, BYTE{0xAA});
  InitOrFail(1, 32, 1);
  EXPECT_TRUE(DDReadBlendTable(table, path.c_str()));  // Direct3D reads nothing
  EXPECT_EQ(table[0], 0xAA);
  DDEnd();
  InitOrFail(0, 8, 0);
  EXPECT_TRUE(DDReadBlendTable(table, path.c_str()));
  EXPECT_EQ(table[0], 7);
  EXPECT_EQ(table[2], 9);
  EXPECT_EQ(table[3], 0xAA);  // a short file leaves the rest
  EXPECT_EQ(table[65535], 0xAA);
  EXPECT_FALSE(DDReadBlendTable(table, (path + ".missing").c_str()));
  EXPECT_EQ(table[0], 7);
}

// A mirrored alias source on the Direct3D lock paths reads its cell flipped, as the quad path
// and the blits draw it, instead of the cell beside it.
TEST_F(EffectTest, MirroredAliasOnTheLockPaths) {
  InitOrFail(1, 32, 1);
  DDSURFACEDATA sheet, dst, alias;
  MakeLocked(&sheet, 8, 1, 0);
  for (int k = 0; k < 8; ++k) Put(&sheet, k, 0, 0xFF000000u | static_cast<DWORD>(2 * (k + 1)));
  alias.lpSubstitute = &sheet;
  alias.nMirrorWidth = 4;
  MakeLocked(&dst, 4, 1, 0xFF000000);
  // Cell 1 (columns 4..7 hold 10, 12, 14, 16) flipped: 16, 14, 12, 10, halved with black.
  DDBltHalf(&dst, 0, 0, 4, 1, &alias, 4, 0, 0, nullptr);
  EXPECT_EQ(Block(&dst, 0, 0, 4, 1), (std::vector<DWORD>{0xFF000008, 0xFF000007, 0xFF000006, 0xFF000005}));
  // Level 1 of the colour change halves with palette colour 0 (black under this palette).
  PALETTEENTRY pal[256] = {};
  DDBltColorChange(&dst, 0, 0, 4, 1, &alias, 0, 0, 0, pal, nullptr, 0, 1);  // cell 0: 8, 6, 4, 2
  EXPECT_EQ(Block(&dst, 0, 0, 4, 1), (std::vector<DWORD>{0xFF000004, 0xFF000003, 0xFF000002, 0xFF000001}));
  // The rotation by 0 about (2, 0) copies the flipped cell 1.
  Fill(&dst, 0xFF000000);
  DDRotate(&dst, 2, 0, 4, 1, 2, 0, 0, &alias, 4, 0, 0);
  EXPECT_EQ(Block(&dst, 0, 0, 4, 1), (std::vector<DWORD>{0xFF000010, 0xFF00000E, 0xFF00000C, 0xFF00000A}));
  DDReleaseSurface(&sheet);
  DDReleaseSurface(&dst);
}
