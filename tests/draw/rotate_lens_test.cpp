// Rotation by whole degrees on the quad and the lock-based paths, and the lens geometry with
// its write rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect_fixture.h"

namespace {

constexpr DWORD R565(DWORD r, DWORD g, DWORD b) { return r << 11 | g << 5 | b; }
constexpr DWORD T555(DWORD r, DWORD g, DWORD b) { return 0x8000 | r << 10 | g << 5 | b; }

// 1..9 in a 3 × 3 block at (sx, sy), with the mode's opaque bits.
void Nine(EffectTest*, DDSURFACEDATA* sd, int sx, int sy, DWORD opaque) {
  cSurfaceLock lock(sd);
  ASSERT_TRUE(lock.Locked());
  for (int i = 0; i < 9; ++i) lock.Set(sx + i % 3, sy + i / 3, opaque | static_cast<DWORD>(i + 1));
}

std::vector<DWORD> WithBits(std::vector<DWORD> v, DWORD opaque) {
  for (DWORD& p : v) p |= opaque;
  return v;
}

}  // namespace

// The lock-based rotation in every mode: angle 0 copies, 90 turns clockwise exactly; the
// bounding box's margins receive nothing.
TEST_F(EffectTest, LockRotationTurnsExactly) {
  const std::vector<DWORD> turned = {7, 4, 1, 8, 5, 2, 9, 6, 3};
  const std::vector<DWORD> upsideDown = {9, 8, 7, 6, 5, 4, 3, 2, 1};
  for (const DrawMode& m : kDrawModes) {
    SCOPED_TRACE(m.name);
    InitOrFail(m.d3d, m.bpp, m.d3d);
    const DWORD opaque = m.d3d ? (m.bpp == 32 ? 0xFF000000u : 0x8000u) : 0;
    const DWORD bg = m.d3d ? opaque | 0x20 : 0x20;
    DDSURFACEDATA src, dst;
    MakeLocked(&src, 5, 5, 0);
    Nine(this, &src, 1, 1, opaque);
    MakeLocked(&dst, 9, 9, bg);
    EXPECT_TRUE(DDRotate(&dst, 4, 4, 3, 3, 1, 1, 0, &src, 1, 1, 0));
    EXPECT_EQ(Block(&dst, 3, 3, 3, 3), WithBits({1, 2, 3, 4, 5, 6, 7, 8, 9}, opaque));
    EXPECT_EQ(Block(&dst, 0, 0, 9, 2), std::vector<DWORD>(18, bg));
    EXPECT_EQ(Block(&dst, 0, 6, 9, 3), std::vector<DWORD>(27, bg));
    EXPECT_EQ(Pixel(&dst, 2, 4), bg);
    EXPECT_EQ(Pixel(&dst, 6, 4), bg);
    Fill(&dst, bg);
    EXPECT_TRUE(DDRotate(&dst, 4, 4, 3, 3, 1, 1, 90, &src, 1, 1, 0));
    EXPECT_EQ(Block(&dst, 3, 3, 3, 3), WithBits(turned, opaque));
    Fill(&dst, bg);
    EXPECT_TRUE(DDRotate(&dst, 4, 4, 3, 3, 1, 1, 180, &src, 1, 1, 0));
    EXPECT_EQ(Block(&dst, 3, 3, 3, 3), WithBits(upsideDown, opaque));
    // Partly off the destination: the rest is drawn in place.
    Fill(&dst, bg);
    EXPECT_TRUE(DDRotate(&dst, 0, 0, 3, 3, 1, 1, 0, &src, 1, 1, 0));
    EXPECT_EQ(Block(&dst, 0, 0, 2, 2), WithBits({5, 6, 8, 9}, opaque));
    DDReleaseSurface(&src);
    DDReleaseSurface(&dst);
    DDEnd();
  }
}

TEST_F(EffectTest, RotationLeavesTheKeyOut) {
  InitOrFail(0, 32, 0);
  DDSetTransmit(255, 0, 255);
  DDSURFACEDATA src, dst;
  MakeLocked(&src, 2, 1, 0x00FF00FF);
  Put(&src, 1, 0, 0x123456);
  MakeLocked(&dst, 4, 4, 0x44);
  DDRotate(&dst, 1, 1, 2, 1, 1, 0, 0, &src, 0, 0, 1);
  EXPECT_EQ(Pixel(&dst, 0, 1), 0x44u);
  EXPECT_EQ(Pixel(&dst, 1, 1), 0x123456u);
  DDRotate(&dst, 1, 1, 2, 1, 1, 0, 0, &src, 0, 0, 0);
  EXPECT_EQ(Pixel(&dst, 0, 1), 0x00FF00FFu);
  DDReleaseSurface(&src);
  DDReleaseSurface(&dst);
}

// Onto the full-screen 16-bit back buffer the lock-based rotation writes the back buffer's
// layout (green doubled), as every other path does.
TEST_F(EffectTest, RotationOntoTheSixteenBitBackBufferConverts) {
  InitOrFail(1, 16, 0);
  DDSURFACEDATA src;
  MakeLocked(&src, 3, 3, T555(1, 2, 3));
  Fill(&BackBuffer, 0);
  EXPECT_TRUE(DDRotate(&BackBuffer, 10, 10, 3, 3, 1, 1, 90, &src, 0, 0, 0));
  EXPECT_EQ(Pixel(&BackBuffer, 10, 10), R565(1, 4, 3));
  EXPECT_EQ(Pixel(&BackBuffer, 5, 5), 0u);
  DDReleaseSurface(&src);
}

// The quad path turns the same way. Its pivot is the pixel corner at (1, 1) of the rectangle, so
// at 90° texel (i, j) lands on (x − j, y + i − 1): one column left of the lock-based result.
TEST_F(EffectTest, QuadRotationTurnsTheSameWay) {
  InitOrFail(1, 32, 1);
  DDSURFACEDATA src, dst;
  MakeTarget(&src, 4, 4, 0xFF000000);
  Nine(this, &src, 0, 0, 0xFF000000);
  MakeTarget(&dst, 9, 9, 0xFF000020);
  EXPECT_TRUE(DDRotate(&dst, 4, 4, 3, 3, 1, 1, 0, &src, 0, 0, 0));
  EXPECT_EQ(Block(&dst, 3, 3, 3, 3), WithBits({1, 2, 3, 4, 5, 6, 7, 8, 9}, 0xFF000000));
  DDFillRectD3D(&dst, 0, 0, 9, 9, 0xFF000020);
  EXPECT_TRUE(DDRotate(&dst, 4, 4, 3, 3, 1, 1, 90, &src, 0, 0, 0));
  EXPECT_EQ(Block(&dst, 2, 3, 3, 3), WithBits({7, 4, 1, 8, 5, 2, 9, 6, 3}, 0xFF000000));
  EXPECT_EQ(Pixel(&dst, 5, 4), 0xFF000020u);
  EXPECT_TRUE(DDRotate(&dst, 4, 4, 3, 3, 1, 1, 90, nullptr, 0, 0, 0));
  DDReleaseSurface(&src);
  DDReleaseSurface(&dst);
}

// Radius 10, depth 1: E = 10, so the rim (q = 100) is undistorted; inside, offsets are
// trunc(l × depth / √(E² − q) + 0.5).
TEST_F(EffectTest, LensGeometry) {
  for (const DrawMode& m : kDrawModes) {
    if (m.bpp == 8 || m.bpp == 16) continue;
    SCOPED_TRACE(m.name);
    InitOrFail(m.d3d, m.bpp, m.d3d);
    const DWORD opaque = m.d3d ? 0xFF000000u : 0;
    DDSURFACEDATA src, dst;
    MakeLocked(&src, 32, 32, 0);
    {
      cSurfaceLock lock(&src);
      for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) lock.Set(x, y, opaque | static_cast<DWORD>(1 + x + 32 * y));
      }
    }
    const auto at = [&](int x, int y) { return opaque | static_cast<DWORD>(1 + x + 32 * y); };
    MakeLocked(&dst, 40, 40, 0x77);
    EXPECT_TRUE(DDLens(&dst, 20, 20, 10, 1, &src, 16, 16, 0, 0));
    struct Probe {
      int dx, dy, sx, sy;
    } probes[] = {
        {20, 20, 16, 16},  // centre
        {25, 20, 17, 16},  // 5 / √75 + 0.5 = 1.08 → 1
        {15, 20, 16, 16},  // −0.58 + 0.5 → −0.08 → 0 (toward zero)
        {30, 20, 26, 16},  // rim: z = 0, copied undistorted
        {20, 10, 16, 6},   // rim above
        {27, 27, 21, 21},  // 7 / √2 + 0.5 = 5.45 → 5
    };
    for (const Probe& p : probes) EXPECT_EQ(Pixel(&dst, p.dx, p.dy), at(p.sx, p.sy)) << p.dx << "," << p.dy;
    EXPECT_EQ(Pixel(&dst, 31, 20), 0x77u);  // outside the disc
    EXPECT_EQ(Pixel(&dst, 28, 28), 0x77u);  // q = 128 > 100
    // Invalid parameters draw nothing.
    Fill(&dst, 0x77);
    EXPECT_FALSE(DDLens(&dst, 20, 20, 0, 1, &src, 16, 16, 0, 0));
    EXPECT_FALSE(DDLens(&dst, 20, 20, -1, 1, &src, 16, 16, 0, 0));
    EXPECT_FALSE(DDLens(&dst, 20, 20, 3, -1, &src, 16, 16, 0, 0));
    EXPECT_FALSE(DDLens(&dst, 20, 20, 1, 5, &src, 16, 16, 0, 0));  // E = 5 = depth
    EXPECT_EQ(Block(&dst, 0, 0, 40, 40), std::vector<DWORD>(1600, 0x77));
    DDReleaseSurface(&src);
    DDReleaseSurface(&dst);
    DDEnd();
  }
}

// Direct3D 32 with bClear: the square around the disc and transparent samples become 0; without
// it transparent samples are not written. DirectDraw leaves the key out.
TEST_F(EffectTest, LensWriteRules) {
  InitOrFail(1, 32, 1);
  DDSURFACEDATA src, dst;
  MakeLocked(&src, 8, 8, 0xFF112233);
  Put(&src, 4, 4, 0x00FFFFFF);  // transparent centre
  MakeLocked(&dst, 9, 9, 0xFF777777);
  EXPECT_TRUE(DDLens(&dst, 4, 4, 2, 1, &src, 4, 4, 0, 1));
  EXPECT_EQ(Pixel(&dst, 2, 2), 0u);  // corner of the square
  EXPECT_EQ(Pixel(&dst, 6, 6), 0u);
  EXPECT_EQ(Pixel(&dst, 4, 4), 0u);  // transparent sample
  EXPECT_EQ(Pixel(&dst, 4, 2), 0xFF112233u);
  EXPECT_EQ(Pixel(&dst, 1, 4), 0xFF777777u);  // outside the square
  Fill(&dst, 0xFF777777);
  EXPECT_TRUE(DDLens(&dst, 4, 4, 2, 1, &src, 4, 4, 0, 0));
  EXPECT_EQ(Pixel(&dst, 2, 2), 0xFF777777u);
  EXPECT_EQ(Pixel(&dst, 4, 4), 0xFF777777u);
  DDReleaseSurface(&src);
  DDReleaseSurface(&dst);
  DDEnd();
  InitOrFail(0, 16, 0);
  DDSetTransmit(255, 0, 255);
  MakeLocked(&src, 8, 8, R565(1, 2, 3));
  Put(&src, 4, 4, R565(31, 0, 31));
  MakeLocked(&dst, 9, 9, 0x0777);
  EXPECT_TRUE(DDLens(&dst, 4, 4, 2, 1, &src, 4, 4, 0, 1));
  EXPECT_EQ(Pixel(&dst, 4, 4), 0x0777u);
  EXPECT_EQ(Pixel(&dst, 4, 2), R565(1, 2, 3));
  EXPECT_EQ(Pixel(&dst, 2, 2), 0x0777u);
  DDReleaseSurface(&src);
  DDReleaseSurface(&dst);
  DDEnd();
  // Direct3D 16 onto the full-screen back buffer converts; bTransmit leaves 0xA000-less pixels out.
  InitOrFail(1, 16, 0);
  MakeLocked(&src, 8, 8, T555(1, 2, 3));
  Put(&src, 4, 4, 0x5FFF);
  Fill(&BackBuffer, 0x0777);
  EXPECT_TRUE(DDLens(&BackBuffer, 4, 4, 2, 1, &src, 4, 4, 1, 0));
  EXPECT_EQ(Pixel(&BackBuffer, 4, 2), R565(1, 4, 3));
  EXPECT_EQ(Pixel(&BackBuffer, 4, 4), 0x0777u);
  DDReleaseSurface(&src);
}

// Rectangles far larger than any surface are cut to the surfaces without overflowing: the
// rotation's box of a 2^30-wide rectangle, and a blur window of INT_MAX (the whole rectangle).
TEST_F(EffectTest, HugeRectanglesAndWindowsStayInRange) {
  InitOrFail(0, 32, 0);
  DDSURFACEDATA src, dst;
  MakeLocked(&src, 3, 3, 0);
  Nine(this, &src, 0, 0, 0);
  MakeLocked(&dst, 5, 5, 0x20);
  EXPECT_TRUE(DDRotate(&dst, 0, 0, 1 << 30, 1 << 30, 0, 0, 0, &src, 0, 0, 0));
  EXPECT_EQ(Block(&dst, 0, 0, 3, 3), (std::vector<DWORD>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(Pixel(&dst, 3, 3), 0x20u);
  EXPECT_TRUE(DDBlur(&dst, 0, 0, 3, 3, 0x7FFFFFFF, 0x7FFFFFFF, &src, 0, 0, 0));
  EXPECT_EQ(Block(&dst, 0, 0, 3, 3), std::vector<DWORD>(9, 5));  // (1 + … + 9) / 9
  DDReleaseSurface(&src);
  DDReleaseSurface(&dst);
}
