// PNG files of drawn frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "draw/png_file.h"
#include "support/temp_dir.h"

namespace {

std::vector<unsigned char> ReadAll(const std::string& path) {
  std::vector<unsigned char> bytes;
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) return bytes;
  int c;
  while ((c = std::fgetc(fp)) != EOF) bytes.push_back(static_cast<unsigned char>(c));
  std::fclose(fp);
  return bytes;
}

uint32_t Big32(const std::vector<unsigned char>& b, size_t at) {
  return static_cast<uint32_t>(b[at]) << 24 | static_cast<uint32_t>(b[at + 1]) << 16 |
         static_cast<uint32_t>(b[at + 2]) << 8 | b[at + 3];
}

TEST(PngFile, WritesAnRgbImageOfTheGivenSize) {
  TempDir dir;
  const std::string path = dir.path() + "/frame.png";
  const std::vector<uint32_t> argb = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x00FFFFFF, 0xFF000000, 0xFF123456};
  ASSERT_TRUE(WritePngFile(path.c_str(), 3, 2, argb.data()));
  const std::vector<unsigned char> b = ReadAll(path);
  ASSERT_GT(b.size(), 33u);
  const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_TRUE(std::equal(signature, signature + 8, b.begin()));
  EXPECT_EQ(std::string(b.begin() + 12, b.begin() + 16), "IHDR");
  EXPECT_EQ(Big32(b, 16), 3u);
  EXPECT_EQ(Big32(b, 20), 2u);
  EXPECT_EQ(b[24], 8);  // bits per channel
  EXPECT_EQ(b[25], 2);  // RGB
  EXPECT_EQ(std::string(b.end() - 8, b.end() - 4), "IEND");
}

TEST(PngFile, RefusesWhatItCannotWrite) {
  TempDir dir;
  const uint32_t one = 0;
  EXPECT_FALSE(WritePngFile((dir.path() + "/missing/frame.png").c_str(), 1, 1, &one));
  EXPECT_FALSE(WritePngFile((dir.path() + "/empty.png").c_str(), 0, 1, &one));
  EXPECT_FALSE(WritePngFile((dir.path() + "/null.png").c_str(), 1, 1, nullptr));
}

}  // namespace
