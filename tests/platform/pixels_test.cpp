// The channel arithmetic of the software graphics device, against values worked out by hand:
// products divided by 255 rounded to the nearest integer (not cut), 5- and 6-bit channels
// widened by bit replication and narrowed by cutting the low bits.
#include "platform/pixels.h"

#include <gtest/gtest.h>

namespace {

using gfx::PixelFormat;

TEST(PixelArithmetic, ProductsOfTwoChannelsRoundToTheNearest) {
  struct Row {
    uint32_t a, b, expect;  // round(a × b / 255)
  };
  const Row rows[] = {
      {255, 128, 128}, {255, 255, 255}, {0, 255, 0},     {1, 255, 1},
      {1, 127, 0},     // 0.498
      {1, 128, 1},     // 0.502: cut, 0
      {128, 128, 64},  // 64.25
      {200, 200, 157}, // 156.86: cut, 156
      {64, 128, 32},   // 32.13
      {254, 254, 253}, // 253.00
      {100, 3, 1},     // 1.18
      {85, 3, 1},      // exactly 1
      {127, 2, 1},     // 0.996: cut, 0
  };
  for (const Row& r : rows) {
    EXPECT_EQ(gfx::MulDiv255(r.a, r.b), r.expect) << r.a << " x " << r.b;
    EXPECT_EQ(gfx::MulDiv255(r.b, r.a), r.expect) << r.b << " x " << r.a;
  }
}

TEST(PixelArithmetic, BlendedChannelsRoundToTheNearest) {
  struct Row {
    uint32_t s, d, a, expect;  // round((s × a + d × (255 − a)) / 255)
  };
  const Row rows[] = {
      {255, 0, 128, 128},  // 128.00
      {0, 255, 128, 127},  // 127.00
      {1, 0, 128, 1},      // 0.502: cut, 0
      {0, 1, 128, 0},      // 0.498
      {0, 1, 127, 1},      // 0.502: cut, 0
      {10, 0, 200, 8},     // 7.84: cut, 7
      {15, 0, 128, 8},     // 7.53: cut, 7
      {0, 255, 1, 254},    // 254.00
      {0, 248, 1, 247},    // 247.03
      {200, 100, 100, 139},  // 139.22
      {77, 77, 33, 77},    // equal channels stay
      {9, 200, 0, 200},    // alpha 0 keeps the destination
      {9, 200, 255, 9},    // alpha 255 takes the source
  };
  for (const Row& r : rows) {
    EXPECT_EQ(gfx::BlendChannel(r.s, r.d, r.a), r.expect) << r.s << " over " << r.d << " at " << r.a;
  }
}

TEST(PixelArithmetic, FiveAndSixBitChannelsWidenByReplicatingTheirHighBits) {
  struct Row {
    uint32_t v, expect;
  };
  const Row five[] = {{0, 0}, {1, 8}, {2, 16}, {4, 33}, {15, 123}, {16, 132}, {30, 247}, {31, 255}};
  for (const Row& r : five) EXPECT_EQ(gfx::Expand5(r.v), r.expect) << r.v;
  const Row six[] = {{0, 0}, {1, 4}, {15, 60}, {16, 65}, {31, 125}, {32, 130}, {62, 251}, {63, 255}};
  for (const Row& r : six) EXPECT_EQ(gfx::Expand6(r.v), r.expect) << r.v;
}

TEST(PixelArithmetic, SixteenBitPixelsWidenAndNarrowWithTheseValues) {
  struct Row {
    PixelFormat format;
    uint32_t pixel, argb;
  };
  // Widening: R5G6B5 0x8410 is 16, 32, 16; A1R5G5B5 0x4210 is 16, 16, 16 without alpha.
  const Row widened[] = {
      {PixelFormat::kR5G6B5, 0xFFFF, 0xFFFFFFFF},   {PixelFormat::kR5G6B5, 0x0000, 0xFF000000},
      {PixelFormat::kR5G6B5, 0x8410, 0xFF848284},   {PixelFormat::kR5G6B5, 0x0821, 0xFF080408},
      {PixelFormat::kA1R5G5B5, 0xFFFF, 0xFFFFFFFF}, {PixelFormat::kA1R5G5B5, 0x7FFF, 0x00FFFFFF},
      {PixelFormat::kA1R5G5B5, 0x4210, 0x00848484}, {PixelFormat::kA1R5G5B5, 0x8421, 0xFF080808},
      {PixelFormat::kX8R8G8B8, 0x00123456, 0xFF123456}, {PixelFormat::kA8R8G8B8, 0x01123456, 0x01123456},
  };
  for (const Row& r : widened) {
    EXPECT_EQ(gfx::WidenToArgb(r.format, r.pixel), r.argb) << std::hex << r.pixel;
  }
  // Narrowing cuts: 7 -> 0 and 8 -> 1 at 5 bits, 3 -> 0 and 4 -> 1 at 6 bits; alpha from 128.
  const Row narrowed[] = {
      {PixelFormat::kR5G6B5, 0xFFFF, 0xFFFFFFFF},   {PixelFormat::kR5G6B5, 0x0000, 0xFF070307},
      {PixelFormat::kR5G6B5, 0x0821, 0x00080408},   {PixelFormat::kR5G6B5, 0x8410, 0xFF848284},
      {PixelFormat::kR5G6B5, 0x7BEF, 0xFF7F7F7F},   {PixelFormat::kR5G6B5, 0x8410, 0xFF808080},
      {PixelFormat::kA1R5G5B5, 0x8000, 0x80070707}, {PixelFormat::kA1R5G5B5, 0x0421, 0x7F080808},
      {PixelFormat::kA1R5G5B5, 0xFFFF, 0xFFFFFFFF}, {PixelFormat::kX8R8G8B8, 0xFF123456, 0x00123456},
  };
  for (const Row& r : narrowed) {
    EXPECT_EQ(gfx::NarrowFromArgb(r.format, r.argb), r.pixel) << std::hex << r.argb;
  }
}

}  // namespace
