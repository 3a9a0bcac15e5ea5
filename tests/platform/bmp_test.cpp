#include "platform/bmp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bmp_builder.h"
#include "support/bytes.h"

namespace {

// The 3 × 2 picture every depth encodes: red, green, blue over white, black, grey.
const std::vector<uint32_t> kColors = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};

std::vector<uint32_t> Decoded(const gfx::Dib& d) {
  std::vector<uint32_t> out;
  for (int y = 0; y < d.height; ++y) {
    for (int x = 0; x < d.width; ++x) out.push_back(d.ColorAt(x, y));
  }
  return out;
}

bool Decode(const std::string& bytes, gfx::Dib* d) {
  return gfx::DecodeBmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), d);
}

BmpSpec Indexed8() {
  BmpSpec s;
  s.width = 3;
  s.height = 2;
  s.bitCount = 8;
  s.palette = kColors;
  s.clrUsed = 6;
  s.data = PackRows(8, 3, 2, {0, 1, 2, 3, 4, 5});
  return s;
}

uint32_t To555(uint32_t c) { return ((c >> 19) & 31) << 10 | ((c >> 11) & 31) << 5 | ((c >> 3) & 31); }
uint32_t To565(uint32_t c) { return ((c >> 19) & 31) << 11 | ((c >> 10) & 63) << 5 | ((c >> 3) & 31); }

std::vector<uint32_t> Map(const std::vector<uint32_t>& v, uint32_t (*f)(uint32_t)) {
  std::vector<uint32_t> out;
  for (uint32_t c : v) out.push_back(f(c));
  return out;
}

TEST(BmpDecode, EveryDepthGivesThePicture) {
  struct Case {
    const char* name;
    BmpSpec spec;
    std::vector<uint32_t> expect;
  };
  std::vector<Case> cases;
  cases.push_back({"8 bits", Indexed8(), kColors});
  {
    BmpSpec s = Indexed8();
    s.bitCount = 4;
    s.data = PackRows(4, 3, 2, {0, 1, 2, 3, 4, 5});
    cases.push_back({"4 bits", s, kColors});
  }
  {
    BmpSpec s = Indexed8();
    s.bitCount = 1;
    s.palette = {0x000000, 0xFFFFFF};
    s.clrUsed = 0;
    s.data = PackRows(1, 3, 2, {1, 0, 1, 0, 1, 0});
    cases.push_back({"1 bit", s, {0xFFFFFF, 0, 0xFFFFFF, 0, 0xFFFFFF, 0}});
  }
  {
    BmpSpec s = Indexed8();
    s.bitCount = 24;
    s.palette.clear();
    s.data = PackRows(24, 3, 2, kColors);
    cases.push_back({"24 bits", s, kColors});
  }
  {
    BmpSpec s = Indexed8();
    s.bitCount = 32;
    s.palette.clear();
    s.data = PackRows(32, 3, 2, kColors);
    cases.push_back({"32 bits", s, kColors});
  }
  {
    // Red in the low byte, blue in the third: brought to the usual layout.
    BmpSpec s = Indexed8();
    s.bitCount = 32;
    s.compression = 3;
    s.masks[0] = 0x000000FF;
    s.masks[1] = 0x0000FF00;
    s.masks[2] = 0x00FF0000;
    s.palette.clear();
    std::vector<uint32_t> swapped;
    for (uint32_t c : kColors) swapped.push_back((c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16));
    s.data = PackRows(32, 3, 2, swapped);
    cases.push_back({"32-bit fields", s, kColors});
  }
  // 5- and 6-bit channels widen by replication: grey 0x80 comes back as 0x84 (5 bits), 0x82 (6 bits).
  {
    BmpSpec s = Indexed8();
    s.bitCount = 16;
    s.palette.clear();
    s.data = PackRows(16, 3, 2, Map(kColors, To555));
    cases.push_back({"16 bits 555", s, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0, 0x848484}});
  }
  {
    BmpSpec s = Indexed8();
    s.bitCount = 16;
    s.compression = 3;
    s.masks[0] = 0xF800;
    s.masks[1] = 0x07E0;
    s.masks[2] = 0x001F;
    s.palette.clear();
    s.data = PackRows(16, 3, 2, Map(kColors, To565));
    cases.push_back({"16-bit fields 565", s, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0, 0x848284}});
    s.headerSize = 124;  // the masks inside a long header
    cases.push_back({"16-bit fields, long header", s, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0, 0x848284}});
  }
  {
    BmpSpec s = Indexed8();
    s.bitCount = 24;
    s.palette.clear();
    s.topDown = true;
    s.data = PackRows(24, 3, 2, kColors, true);
    cases.push_back({"top-down", s, kColors});
  }
  {
    BmpSpec s = Indexed8();
    s.headerSize = 12;  // no count of colours: the whole table of 256 three-byte entries
    s.palette.resize(256, 0);
    cases.push_back({"core header", s, kColors});
  }
  {
    BmpSpec s = Indexed8();
    s.zeroOffset = true;  // the data follows the six entries
    cases.push_back({"short colour table, no offset", s, kColors});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gfx::Dib d;
    ASSERT_TRUE(Decode(BuildBmp(c.spec), &d));
    EXPECT_EQ(d.width, 3);
    EXPECT_EQ(d.height, 2);
    EXPECT_EQ(d.bitCount, c.spec.bitCount);
    EXPECT_EQ(Decoded(d), c.expect);
  }
}

TEST(BmpDecode, RowsAreKeptBottomUpWhateverTheFileOrder) {
  BmpSpec s = Indexed8();
  s.topDown = true;
  s.data = PackRows(8, 3, 2, {0, 1, 2, 3, 4, 5}, true);
  gfx::Dib d;
  ASSERT_TRUE(Decode(BuildBmp(s), &d));
  EXPECT_EQ(d.stride, 4);
  EXPECT_EQ(d.Row(0)[0], 3);  // the bottom row first
  EXPECT_EQ(d.Row(1)[0], 0);
}

TEST(BmpDecode, Rle8RunsAbsoluteRunsDeltasAndLineEnds) {
  // 6 × 3 picture, bottom row first in the codes. Untouched pixels keep index 0.
  BmpSpec s;
  s.width = 6;
  s.height = 3;
  s.bitCount = 8;
  s.compression = 1;
  for (uint32_t i = 0; i < 8; ++i) s.palette.push_back(i * 0x111111);
  s.clrUsed = 8;
  ByteWriter w;
  w.U8(4).U8(1).U8(0).U8(0);                               // bottom row: 1 1 1 1 0 0
  w.U8(0).U8(3).U8(5).U8(6).U8(7).U8(0);                   // middle row: absolute 5 6 7 (padded)
  w.U8(0).U8(2).U8(1).U8(1);                               // delta: x 4, top row
  w.U8(2).U8(2);                                           // top row: 0 2 2 ... at x 4, 5
  w.U8(0).U8(1);                                           // end of bitmap
  s.data = w.str();
  gfx::Dib d;
  ASSERT_TRUE(Decode(BuildBmp(s), &d));
  std::vector<int> idx;
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 6; ++x) idx.push_back(d.IndexAt(x, y));
  }
  EXPECT_EQ(idx, (std::vector<int>{0, 0, 0, 0, 2, 2,  //
                                   5, 6, 7, 0, 0, 0,  //
                                   1, 1, 1, 1, 0, 0}));
}

TEST(BmpDecode, Rle4AlternatesNibbles) {
  BmpSpec s;
  s.width = 5;
  s.height = 2;
  s.bitCount = 4;
  s.compression = 2;
  for (uint32_t i = 0; i < 16; ++i) s.palette.push_back(i);
  ByteWriter w;
  w.U8(5).U8(0x12).U8(0).U8(0);                // bottom row: 1 2 1 2 1
  w.U8(0).U8(3).U8(0x34).U8(0x50).U8(0).U8(1);  // top row: absolute 3 4 5 (two bytes), end
  s.data = w.str();
  gfx::Dib d;
  ASSERT_TRUE(Decode(BuildBmp(s), &d));
  std::vector<int> idx;
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 5; ++x) idx.push_back(d.IndexAt(x, y));
  }
  EXPECT_EQ(idx, (std::vector<int>{3, 4, 5, 0, 0, 1, 2, 1, 2, 1}));
}

TEST(BmpDecode, RleWritesOutsideThePictureAreDropped) {
  BmpSpec s;
  s.width = 2;
  s.height = 2;
  s.bitCount = 8;
  s.compression = 1;
  s.palette = {0, 0xFFFFFF};
  s.clrUsed = 2;
  ByteWriter w;
  w.U8(255).U8(1);            // a run far past the right edge
  w.U8(0).U8(2).U8(255).U8(0);  // a delta far to the right
  w.U8(0).U8(2).U8(0).U8(200);  // a delta far past the top: decoding ends there
  s.data = w.str();
  gfx::Dib d;
  ASSERT_TRUE(Decode(BuildBmp(s), &d));
  EXPECT_EQ(d.IndexAt(0, 1), 1);
  EXPECT_EQ(d.IndexAt(1, 1), 1);
  EXPECT_EQ(d.IndexAt(0, 0), 0);
}

// Rows whose width fills whole words have no padding after them: a pixel written one past the
// right edge would land in the next row up (or past the picture's end on the top row).
TEST(BmpDecode, RleRunsStopAtTheRightEdgeOfRowsWithoutPadding) {
  struct Case {
    const char* name;
    int bitCount, width;
    bool absolute;
  };
  const Case cases[] = {
      {"RLE8 run, width 4", 8, 4, false},      {"RLE8 absolute, width 4", 8, 4, true},
      {"RLE8 run, width 8", 8, 8, false},      {"RLE8 absolute, width 8", 8, 8, true},
      {"RLE4 run, width 8", 4, 8, false},      {"RLE4 absolute, width 8", 4, 8, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BmpSpec s;
    s.width = c.width;
    s.height = 2;
    s.bitCount = c.bitCount;
    s.compression = c.bitCount == 8 ? 1 : 2;
    for (uint32_t i = 0; i < 16; ++i) s.palette.push_back(i * 0x111111);
    s.clrUsed = 16;
    const int count = c.width + 2;
    // Pixel k of the bottom row's codes: a run of 9 (8 bits) or of 9 and 10 in turn (4 bits);
    // an absolute run of 1, 2, 3, ...
    auto value = [&](int k) { return c.absolute ? k + 1 : (c.bitCount == 8 || k % 2 == 0 ? 9 : 10); };
    ByteWriter w;
    if (!c.absolute) {
      w.U8(static_cast<uint8_t>(count)).U8(c.bitCount == 8 ? 9 : 0x9A);
    } else {
      w.U8(0).U8(static_cast<uint8_t>(count));
      std::string bytes;
      for (int k = 0; k < count; ++k) {
        if (c.bitCount == 8) bytes.push_back(static_cast<char>(value(k)));
        else if (k % 2 == 0) bytes.push_back(static_cast<char>(value(k) << 4));
        else bytes.back() = static_cast<char>(bytes.back() | value(k));
      }
      if (bytes.size() % 2) bytes.push_back(0);
      w.Bytes(bytes);
    }
    w.U8(0).U8(1);  // end of bitmap: the top row is never written
    s.data = w.str();
    gfx::Dib d;
    ASSERT_TRUE(Decode(BuildBmp(s), &d));
    ASSERT_EQ(d.stride * 8, c.width * c.bitCount) << "no padding after a row";
    for (int x = 0; x < c.width; ++x) {
      EXPECT_EQ(d.IndexAt(x, 1), value(x)) << "bottom row, x " << x;
      EXPECT_EQ(d.IndexAt(x, 0), 0) << "top row, x " << x;
    }
  }
}

TEST(BmpDecode, HostileFilesAreRefused) {
  const std::string good = BuildBmp(Indexed8());
  auto patched = [&](size_t offset, std::vector<uint8_t> bytes) {
    std::string b = good;
    for (size_t i = 0; i < bytes.size(); ++i) b[offset + i] = static_cast<char>(bytes[i]);
    return b;
  };
  BmpSpec rle;
  rle.width = 4;
  rle.height = 2;
  rle.bitCount = 8;
  rle.compression = 1;
  rle.palette = {0};
  rle.clrUsed = 1;
  rle.data = std::string("\x04\x01\x00\x00", 4);  // one row, no end of bitmap
  BmpSpec rleShortRun = rle;
  rleShortRun.data = std::string("\x00\x05\x01\x02", 4);  // an absolute run of 5 with 2 bytes
  BmpSpec rleTopDown = rle;
  rleTopDown.topDown = true;
  rleTopDown.data = std::string("\x00\x01", 2);
  BmpSpec rle4With8 = rle;
  rle4With8.compression = 2;
  rle4With8.data = std::string("\x00\x01", 2);

  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"empty", ""},
      {"not BM", patched(0, {'X'})},
      {"file header only", good.substr(0, 14)},
      {"pixel data one byte short", good.substr(0, good.size() - 1)},
      {"colour table cut", good.substr(0, 54 + 4 * 3)},
      {"zero width", patched(18, {0, 0, 0, 0})},
      {"negative width", patched(18, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"zero height", patched(22, {0, 0, 0, 0})},
      {"too wide", patched(18, {0x01, 0x80, 0, 0})},
      {"huge picture area", patched(18, {0x00, 0x70, 0, 0}) .replace(22, 4, std::string("\x00\x70\x00\x00", 4))},
      {"two planes", patched(26, {2, 0})},
      {"2 bits per pixel", patched(28, {2, 0})},
      {"unknown header size", patched(14, {64, 0, 0, 0})},
      {"JPEG compression", patched(30, {4, 0, 0, 0})},
      {"RLE8 on 24 bits", patched(28, {24, 0}).replace(30, 4, std::string("\x01\x00\x00\x00", 4))},
      {"bit fields on 8 bits", patched(30, {3, 0, 0, 0})},
      {"offset past the end", patched(10, {0xFF, 0xFF, 0, 0})},
      {"offset inside the file header", patched(10, {10, 0, 0, 0})},
      {"RLE without end", BuildBmp(rle)},
      {"RLE absolute run cut", BuildBmp(rleShortRun)},
      {"RLE top-down", BuildBmp(rleTopDown)},
      {"RLE4 on 8 bits", BuildBmp(rle4With8)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gfx::Dib d;
    EXPECT_FALSE(Decode(c.bytes, &d));
    EXPECT_TRUE(d.bits.empty());
  }
}

}  // namespace
