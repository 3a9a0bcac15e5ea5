// The circle blit's strips, the DirectDraw whole-surface fade and the Direct3D tint.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect_fixture.h"

namespace {

constexpr DWORD R565(DWORD r, DWORD g, DWORD b) { return r << 11 | g << 5 | b; }

// Rows of '#' (drawn) and '.' of a 14 × 14 destination around its centre (7, 7).
std::vector<std::string> Rows(DWORD bg, const std::vector<DWORD>& px) {
  std::vector<std::string> rows;
  for (int y = 0; y < 14; ++y) {
    std::string row;
    for (int x = 0; x < 14; ++x) row += px[static_cast<size_t>(y * 14 + x)] == bg ? '.' : '#';
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

// Half-widths floor(√(r² − i²)) kept below r; strips taller than a row use their middle row and
// are moved to end at the half height.
TEST_F(EffectTest, CircleBlitStrips) {
  struct Case {
    const char* what;
    int halfHeight, radius, strip;
    std::vector<std::string> picture;
  } cases[] = {
      // Rows 4..−5 (destination rows 11..2): half-widths 3, 4 × 7, 3, 0.
      {"radius 5, rows", 7, 5, 1,
       {"..............", "..............", "..............", "....######....", "...########...",
        "...########...", "...########...", "...########...", "...########...", "...########...",
        "...########...", "....######....", "..............", ".............."}},
      // Strips at 3, 1, −1, −3, −5 with half-widths from rows 4, 2, 0, −2, −4: 3, 4, 4, 4, 3.
      {"radius 5, strips of 2", 7, 5, 2,
       {"..............", "..............", "....######....", "....######....", "...########...",
        "...########...", "...########...", "...########...", "...########...", "...########...",
        "....######....", "....######....", "..............", ".............."}},
      {"half height 3 cuts rows −3..2", 3, 5, 2,
       {"..............", "..............", "..............", "..............", "...########...",
        "...########...", "...########...", "...########...", "...########...", "...########...",
        "..............", "..............", "..............", ".............."}},
      {"strips of 3 moved to end at the half height 4", 4, 5, 3,
       {"..............", "..............", "..............", "...########...", "...########...",
        "...########...", "...########...", "...########...", "...########...", "...########...",
        "...########...", "..............", "..............", ".............."}},
      {"radius 1: half-width 0 draws nothing", 7, 1, 1,
       {"..............", "..............", "..............", "..............", "..............",
        "..............", "..............", "..............", "..............", "..............",
        "..............", "..............", "..............", ".............."}},
  };
  for (int d3d : {0, 1}) {
    InitOrFail(d3d, 32, d3d);
    const DWORD bg = d3d ? 0xFF000000u : 0;
    DDSURFACEDATA src, dst;
    MakeLocked(&src, 14, 14, d3d ? 0xFF00FF00u : 0x00FF00u);
    MakeLocked(&dst, 14, 14, bg);
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.what << (d3d ? " Direct3D" : " DirectDraw"));
      Fill(&dst, bg);
      DDBltCircle(&dst, 7, 7, 7, c.halfHeight, c.radius, c.strip, &src, 7, 7, 0);
      EXPECT_EQ(Rows(bg, Block(&dst, 0, 0, 14, 14)), c.picture);
    }
    // No radius or no strip: nothing.
    Fill(&dst, bg);
    DDBltCircle(&dst, 7, 7, 7, 7, 0, 1, &src, 7, 7, 0);
    DDBltCircle(&dst, 7, 7, 7, 7, 5, 0, &src, 7, 7, 0);
    EXPECT_EQ(Block(&dst, 0, 0, 14, 14), std::vector<DWORD>(196, bg));
    DDReleaseSurface(&src);
    DDReleaseSurface(&dst);
    DDEnd();
  }
}

// A source centre near the source's left edge: strips start at source column 0 and move right
// on the destination by as much.
TEST_F(EffectTest, CircleBlitCutAtTheSourceEdges) {
  InitOrFail(0, 32, 0);
  DDSURFACEDATA src, dst;
  MakeLocked(&src, 6, 12, 0);
  {
    cSurfaceLock lock(&src);
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 6; ++x) lock.Set(x, y, static_cast<DWORD>(100 + x));
    }
  }
  MakeLocked(&dst, 16, 16, 0);
  // Row 0: half-width 4, source columns −3..4 cut to 0..4, drawn at destination 7..11.
  DDBltCircle(&dst, 8, 8, 10, 5, 5, 1, &src, 1, 6, 0);
  EXPECT_EQ(Block(&dst, 6, 8, 7, 1), (std::vector<DWORD>{0, 100, 101, 102, 103, 104, 0}));
  // The right side stops at the source's width: centre 4, columns 0..5 only.
  Fill(&dst, 0);
  DDBltCircle(&dst, 8, 8, 10, 5, 5, 1, &src, 4, 6, 0);
  EXPECT_EQ(Block(&dst, 3, 8, 9, 1), (std::vector<DWORD>{0, 100, 101, 102, 103, 104, 105, 0, 0}));
  DDReleaseSurface(&src);
  DDReleaseSurface(&dst);
}

TEST_F(EffectTest, SurfaceFadeMixesWithAColour) {
  InitOrFail(0, 32, 0);
  DDSURFACEDATA src, dst;
  MakeLocked(&src, 2, 2, 0x11C8C8C8);
  Put(&src, 1, 1, 0x11C86400);
  MakeLocked(&dst, 3, 3, 0x77000000);
  // (0 × 128 + 128 × 200) >> 8 = 100; (255 × 128 + 128 × 200) >> 8 = 227; (255 × 128) >> 8 = 127.
  EXPECT_EQ(DDFade_UnPal(&dst, 128, 0, 0, 255, &src), 1);
  EXPECT_EQ(Pixel(&dst, 0, 0), 0x776464E3u);
  EXPECT_EQ(Pixel(&dst, 1, 1), 0x7764327Fu);
  EXPECT_EQ(Pixel(&dst, 2, 2), 0x77000000u);  // beyond the source: left as it was
  EXPECT_EQ(DDFade_UnPal(&dst, 256, 9, 9, 9, &src), 1);
  EXPECT_EQ(Pixel(&dst, 0, 0), 0x77C8C8C8u);
  EXPECT_EQ(DDFade_UnPal(&dst, 0, 9, 8, 7, &src), 1);
  EXPECT_EQ(Pixel(&dst, 1, 0), 0x77090807u);
  DDReleaseSurface(&src);
  DDReleaseSurface(&dst);
  DDEnd();
  InitOrFail(1, 32, 1);
  const std::string before = Errors();
  EXPECT_EQ(DDFade_UnPal(&BackBuffer, 128, 0, 0, 0, &WorkSD2), 1);
  EXPECT_EQ(Errors().substr(before.size()), "D3DではDDFade_UnPalは未対応\n");
}

// The tint draws the destination × colour with alpha 255 − nAlpha over itself; the back buffer
// is drawn from a copy of its frame, so a red tint keeps the red of the picture.
TEST_F(EffectTest, TintOverTheWholeSurface) {
  InitOrFail(1, 32, 1);
  DDSURFACEDATA rt;
  MakeTarget(&rt, 4, 4, 0xFF804020);
  struct Case {
    int alpha;
    BYTE r, g, b;
    DWORD expected;
  } cases[] = {
      {255, 255, 0, 0, 0x804020}, {0, 255, 255, 255, 0x804020}, {0, 255, 0, 0, 0x800000},
      // α = 127: green 64 × 128 / 255 = 32, blue 16.
      {128, 255, 0, 0, 0x802010},
  };
  for (DDSURFACEDATA* sd : {&rt, &BackBuffer}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << (sd == &BackBuffer ? "back buffer " : "texture ") << c.alpha);
      DDFillRectD3D(sd, 0, 0, 4, 4, 0xFF804020);
      EXPECT_EQ(DDChangeColor(sd, 0, 0, 4, 4, c.alpha, c.r, c.g, c.b), 1);
      EXPECT_EQ(Pixel(sd, 1, 2) & 0xFFFFFF, c.expected);
    }
  }
  DDReleaseSurface(&rt);
  DDEnd();
  // Full-screen 16 bits: the frame's copy keeps its six-bit green.
  InitOrFail(1, 16, 0);
  Fill(&BackBuffer, R565(20, 63, 10));
  DDChangeColor(&BackBuffer, 0, 0, 640, 480, 0, 255, 255, 255);
  EXPECT_EQ(Pixel(&BackBuffer, 5, 5), R565(20, 63, 10));
  DDEnd();
  InitOrFail(0, 32, 0);
  const std::string before = Errors();
  EXPECT_EQ(DDChangeColor(&BackBuffer, 0, 0, 640, 480, 0, 1, 2, 3), 1);
  EXPECT_NE(Errors().find("DDrawでは DDChangeColor("), std::string::npos);
}
