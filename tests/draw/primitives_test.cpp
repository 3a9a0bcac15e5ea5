// Pixels, circle outlines, whole-surface clears, the rectangle batch, framed rectangles and
// numbers drawn from a digit sheet.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect_fixture.h"

namespace {

// Marks where a picture of '.' (background) and '#' (drawn) differs from a surface's pixels.
std::vector<std::string> Picture(const std::vector<DWORD>& px, int w, DWORD background) {
  std::vector<std::string> rows;
  for (size_t i = 0; i < px.size(); i += static_cast<size_t>(w)) {
    std::string row;
    for (int x = 0; x < w; ++x) row += px[i + static_cast<size_t>(x)] == background ? '.' : '#';
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

TEST_F(EffectTest, CircleOutlinesInEveryMode) {
  // Radius 3 by the midpoint steps: (0,3) d = −3 → (1,3) d = 3 → (2,2) stops after plotting.
  const std::vector<std::string> radius3 = {
      "..###..", ".#...#.", "#.....#", "#.....#", "#.....#", ".#...#.", "..###..",
  };
  const std::vector<std::string> radius1 = {".#.", "#.#", ".#."};
  for (const DrawMode& m : kDrawModes) {
    SCOPED_TRACE(m.name);
    InitOrFail(m.d3d, m.bpp, 0);
    DDSURFACEDATA sd;
    MakeLocked(&sd, 9, 9, 0);
    const DWORD bg = Pixel(&sd, 0, 0);
    DDCircle(&sd, 4, 4, 3, 1);
    EXPECT_EQ(Picture(Block(&sd, 1, 1, 7, 7), 7, bg), radius3);
    EXPECT_EQ(Pixel(&sd, 4, 1), Stored(1));
    Fill(&sd, bg);
    DDCircle(&sd, 4, 4, 1, 1);
    EXPECT_EQ(Picture(Block(&sd, 3, 3, 3, 3), 3, bg), radius1);
    Fill(&sd, bg);
    DDCircle(&sd, 4, 4, 0, 1);
    DDCircle(&sd, 0, 0, 3, 1);  // three quarters off the surface
    EXPECT_EQ(Pixel(&sd, 4, 4), bg);
    EXPECT_EQ(Pixel(&sd, 3, 0), Stored(1));
    EXPECT_EQ(Pixel(&sd, 0, 3), Stored(1));
    DDReleaseSurface(&sd);
    DDEnd();
  }
}

TEST_F(EffectTest, PixelsAndClearsStayOnTheSurface) {
  for (const DrawMode& m : kDrawModes) {
    SCOPED_TRACE(m.name);
    InitOrFail(m.d3d, m.bpp, 0);
    DDSURFACEDATA sd;
    MakeLocked(&sd, 4, 3, 0);
    DDClearSurface(&sd, 2);
    EXPECT_EQ(Block(&sd, 0, 0, 4, 3), std::vector<DWORD>(12, Stored(2)));
    DDPutPixel(&sd, 3, 2, 1);
    DDPutPixel(&sd, 4, 0, 1);   // one past the right edge
    DDPutPixel(&sd, 0, 3, 1);   // one past the bottom
    DDPutPixel(&sd, -1, 0, 1);  // one before the left edge
    std::vector<DWORD> expected(12, Stored(2));
    expected[11] = Stored(1);
    EXPECT_EQ(Block(&sd, 0, 0, 4, 3), expected);
    DDReleaseSurface(&sd);
    DDEnd();
  }
}

TEST_F(EffectTest, ClearWithAPackedColour) {
  InitOrFail(1, 32, 1);
  DDSURFACEDATA sd;
  MakeLocked(&sd, 3, 2, 0);
  DDClearSurfaceColor(&sd, 0x80123456u);
  EXPECT_EQ(Block(&sd, 0, 0, 3, 2), std::vector<DWORD>(6, 0x80123456u));
  DDReleaseSurface(&sd);
  DDEnd();
  InitOrFail(0, 16, 0);
  MakeLocked(&sd, 3, 2, 0);
  DDClearSurfaceColor(&sd, 0x07E0);  // a display pixel, used as it stands
  EXPECT_EQ(Block(&sd, 0, 0, 3, 2), std::vector<DWORD>(6, 0x07E0u));
  DDReleaseSurface(&sd);
}

// While the batch is open, fills of render targets wait for the flush and are then drawn in
// their order; fills that clear a keyed surface and lock-path fills are drawn at once.
TEST_F(EffectTest, RectangleBatchDrawsAtTheFlush) {
  InitOrFail(1, 32, 1);
  DDSURFACEDATA a, b, locked;
  MakeTarget(&a, 8, 8, 0xFF000000u);
  MakeTarget(&b, 8, 8, 0xFF000000u);
  MakeLocked(&locked, 8, 8, 0);
  DDBeginRectBatch();
  DDFillRect(&a, 0, 0, 4, 4, 1);
  DDFillRect(&a, 2, 2, 4, 4, 2);  // overlaps the first: drawn after it
  DDFillRect(&b, -2, 6, 4, 4, 3);  // cut to the surface
  DDFillRect(&a, 7, 7, 1, 1, 4);
  DDFillRect(&locked, 1, 1, 1, 1, 5);
  EXPECT_EQ(Pixel(&a, 0, 0), 0xFF000000u);
  EXPECT_EQ(Pixel(&b, 0, 7), 0xFF000000u);
  EXPECT_EQ(Pixel(&locked, 1, 1), Stored(5));
  DDFlushRectBatch();
  EXPECT_EQ(Pixel(&a, 0, 0), Stored(1));
  EXPECT_EQ(Pixel(&a, 3, 3), Stored(2));
  EXPECT_EQ(Pixel(&a, 5, 5), Stored(2));
  EXPECT_EQ(Pixel(&a, 6, 6), 0xFF000000u);
  EXPECT_EQ(Pixel(&a, 7, 7), Stored(4));
  EXPECT_EQ(Pixel(&b, 0, 7), Stored(3));
  EXPECT_EQ(Pixel(&b, 1, 7), Stored(3));
  EXPECT_EQ(Pixel(&b, 2, 7), 0xFF000000u);
  // Closed again: a fill draws at once.
  DDFillRect(&a, 6, 6, 1, 1, 3);
  EXPECT_EQ(Pixel(&a, 6, 6), Stored(3));
  // An empty flush and a flush without an open batch draw nothing and leave it closed.
  DDFlushRectBatch();
  DDFlushRectBatch();
  DDFillRect(&a, 6, 6, 1, 1, 4);
  EXPECT_EQ(Pixel(&a, 6, 6), Stored(4));
  DDReleaseSurface(&a);
  DDReleaseSurface(&b);
  DDReleaseSurface(&locked);
}

TEST_F(EffectTest, FramedRectanglesAndPictures) {
  const std::vector<std::string> frame = {
      "#######", "#######", "##...##", "#######", "#######",
  };
  for (const DrawMode& m : kDrawModes) {
    SCOPED_TRACE(m.name);
    InitOrFail(m.d3d, m.bpp, 0);
    DDSURFACEDATA sd, pic;
    if (m.d3d) {
      MakeTarget(&sd, 9, 7, 0xFF000000u);
    } else {
      MakeLocked(&sd, 9, 7, 0);
    }
    const DWORD bg = Pixel(&sd, 0, 0);
    DDFrameRect(&sd, 1, 1, 7, 5, 2, 1);
    EXPECT_EQ(Picture(Block(&sd, 1, 1, 7, 5), 7, bg), frame);
    EXPECT_EQ(Pixel(&sd, 1, 1), Stored(1));
    EXPECT_EQ(Pixel(&sd, 0, 0), bg);
    EXPECT_EQ(Pixel(&sd, 8, 6), bg);
    // A 3 × 1 picture with a 1-pixel frame right around it.
    Fill(&sd, bg);
    MakeLocked(&pic, 3, 1, Stored(2));
    DDBltFramed(&sd, 3, 3, 3, 1, &pic, 1, 1);
    EXPECT_EQ(Block(&sd, 2, 2, 5, 3),
              (std::vector<DWORD>{Stored(1), Stored(1), Stored(1), Stored(1), Stored(1),
                                  Stored(1), Stored(2), Stored(2), Stored(2), Stored(1),
                                  Stored(1), Stored(1), Stored(1), Stored(1), Stored(1)}));
    DDReleaseSurface(&pic);
    DDReleaseSurface(&sd);
    DDEnd();
  }
}

TEST_F(EffectTest, NumbersFromADigitSheet) {
  InitOrFail(0, 32, 0);
  // Digit d is 2 × 1 pixels of value d + 1.
  DDSURFACEDATA sheet, dst;
  MakeLocked(&sheet, 20, 1, 0);
  for (int d = 0; d < 10; ++d) {
    Put(&sheet, 2 * d, 0, static_cast<DWORD>(d + 1));
    Put(&sheet, 2 * d + 1, 0, static_cast<DWORD>(d + 1));
  }
  MakeLocked(&dst, 24, 1, 0xEE);
  // The digits as a string of cells, '.' where nothing was drawn.
  const auto cells = [&](int value, int minDigits, int center) {
    Fill(&dst, 0xEE);
    DDDrawNumber(&dst, 2, 0, 2, 1, &sheet, 0, 0, 0, value, minDigits, center);
    std::string s;
    for (int x = 0; x < 24; x += 2) {
      const DWORD p = Pixel(&dst, x, 0);
      EXPECT_EQ(Pixel(&dst, x + 1, 0), p);
      s += p == 0xEE ? '.' : static_cast<char>('0' + p - 1);
    }
    return s;
  };
  EXPECT_EQ(cells(7, 3, 0), "...7........");
  EXPECT_EQ(cells(7, 3, 1), "..7.........");
  EXPECT_EQ(cells(0, 0, 0), ".0..........");
  EXPECT_EQ(cells(305, 2, 0), ".305........");
  EXPECT_EQ(cells(2147483647, 1, 0), ".2147483647.");
  EXPECT_EQ(cells(-5, 3, 0), "............");
  // Centred 7 in four cells: half of three cells (6 pixels) is 3 pixels.
  Fill(&dst, 0xEE);
  DDDrawNumber(&dst, 2, 0, 2, 1, &sheet, 0, 0, 0, 7, 4, 1);
  EXPECT_EQ(Pixel(&dst, 4, 0), 0xEEu);
  EXPECT_EQ(Pixel(&dst, 5, 0), 8u);
  EXPECT_EQ(Pixel(&dst, 6, 0), 8u);
  EXPECT_EQ(Pixel(&dst, 7, 0), 0xEEu);
  DDReleaseSurface(&sheet);
  DDReleaseSurface(&dst);
}
