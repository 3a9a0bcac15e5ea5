// 8-bit BMP files of the fixture builder: the bytes of a small picture worked out by hand, and the
// same file read back through the system's bitmap loader.
#include "fixture/bmp8.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/gdi.h"
#include "support/temp_dir.h"

namespace {

uint32_t U32(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 | static_cast<uint8_t>(b[at + 2]) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

// 3 × 2 dots: rows of 3 bytes padded to 4, stored bottom row first.
fixture::Image8 SmallPicture() {
  fixture::Image8 image(3, 2);
  const uint8_t dots[2][3] = {{1, 2, 3}, {4, 5, 6}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) image.Set(x, y, dots[y][x]);
  return image;
}

TEST(Bmp8, HeaderColourTableAndRowsAreLaidOutAsTheFormatSays) {
  fixture::Palette256 palette{};
  palette[1] = {10, 20, 30};
  const std::string b = fixture::EncodeBmp8(SmallPicture(), palette);
  // 14 + 40 header bytes, 256 × 4 colour bytes, 2 rows × 4 bytes.
  ASSERT_EQ(b.size(), 1086u);
  EXPECT_EQ(b.substr(0, 2), "BM");
  EXPECT_EQ(U32(b, 2), 1086u);
  EXPECT_EQ(U32(b, 10), 1078u);
  EXPECT_EQ(U32(b, 18), 3u);
  EXPECT_EQ(U32(b, 22), 2u);
  EXPECT_EQ(static_cast<uint8_t>(b[28]), 8);
  // Colour 1 as blue, green, red, 0.
  EXPECT_EQ(b.substr(58, 4), std::string("\x1E\x14\x0A\x00", 4));
  EXPECT_EQ(b.substr(1078, 8), std::string("\x04\x05\x06\x00\x01\x02\x03\x00", 8));
}

TEST(Bmp8, DotsOutsideThePictureAreDropped) {
  fixture::Image8 image = SmallPicture();
  image.Set(3, 0, 9);
  image.Set(-1, 1, 9);
  image.Set(0, 2, 9);
  image.Set(0, -1, 9);
  EXPECT_EQ(image.At(0, 1), 4) << "a write past the row's end must not reach the next row";
  EXPECT_EQ(image.At(2, 0), 3);
  for (uint8_t p : image.pixels) EXPECT_NE(p, 9);
}

TEST(Bmp8, TheSystemsBitmapLoaderReadsTheFile) {
  TempDir dir;
  ASSERT_TRUE(fixture::WriteBmp8(dir / "small.bmp", SmallPicture(), fixture::Palette256{}));
  ScopedChdir chdir(dir.path());
  HANDLE h = LoadImageA(nullptr, "small.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  ASSERT_NE(h, nullptr);
  BITMAP bm{};
  ASSERT_GT(GetObjectA(h, sizeof bm, &bm), 0);
  EXPECT_EQ(bm.bmWidth, 3);
  EXPECT_EQ(bm.bmHeight, 2);
  EXPECT_EQ(bm.bmBitsPixel, 8);
  // The bits start at the bottom row.
  const auto* bits = static_cast<const uint8_t*>(bm.bmBits);
  EXPECT_EQ(bits[0], 4);
  EXPECT_EQ(bits[bm.bmWidthBytes + 2], 3);
  DeleteObject(h);
}

}  // namespace
