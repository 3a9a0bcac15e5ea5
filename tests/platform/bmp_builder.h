// BMP files built byte by byte for the bitmap tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct BmpSpec {
  int width = 0;
  int height = 0;             // the picture's height; written negative when topDown
  bool topDown = false;
  int bitCount = 8;
  uint32_t compression = 0;   // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
  int headerSize = 40;        // 12 (core), 40, 108 or 124
  std::vector<uint32_t> palette;  // 0x00RRGGBB entries written as the colour table
  uint32_t clrUsed = 0;       // the header's count of used colours
  uint32_t masks[3] = {0, 0, 0};  // red, green, blue masks for bit fields
  std::string data;           // the pixel data as stored (rows or RLE codes)
  bool zeroOffset = false;    // write 0 as the offset of the pixel data
};

std::string BuildBmp(const BmpSpec& spec);

// Packs pixel values given top-down (one value per pixel: an index, or a 16/24/32-bit value)
// into stored rows of the given depth: bottom-up unless topDown, each padded to 4 bytes.
std::string PackRows(int bitCount, int width, int height, const std::vector<uint32_t>& topDownPixels,
                     bool topDown = false);

// Writes the bytes to a file in dir and returns its path.
std::string WriteBmp(const std::string& dir, const std::string& name, const std::string& bytes);
