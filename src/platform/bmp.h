// Reading BMP files into device-independent bitmaps, for the bitmap loader of GDI and the
// texture loader of D3DX.
//
// Accepted: the file header "BM", the 12-byte core header and the 40/52/56/108/124-byte info
// headers; 1, 4, 8, 16, 24 and 32 bits per pixel; no compression, RLE8 (8 bits), RLE4 (4 bits)
// and bit fields (16 and 32 bits); rows bottom-up or top-down (a negative height; not with
// RLE). Anything else, and every file whose counts, sizes or offsets do not fit inside the
// file, is refused: nothing is read outside the bytes given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gfx {

// A device-independent bitmap as a DIB section holds it: the file's own depth, rows bottom-up
// (row 0 is the bottom row of the picture), each row padded to 4 bytes.
struct Dib {
  int width = 0;
  int height = 0;
  int bitCount = 0;       // 1, 4, 8, 16, 24 or 32
  int stride = 0;         // bytes per row
  int colorsUsed = 0;     // entries of the colour table the file gives (depths up to 8)
  std::vector<uint8_t> colorTable;  // 4 bytes per entry (blue, green, red, 0); 2^bitCount entries up to 8 bits
  uint32_t masks[3] = {0, 0, 0};    // red, green, blue masks of 16-bit pixels
  std::vector<uint8_t> bits;        // stride × height bytes

  const uint8_t* Row(int bottomUpRow) const { return bits.data() + static_cast<size_t>(bottomUpRow) * stride; }
  uint8_t* Row(int bottomUpRow) { return bits.data() + static_cast<size_t>(bottomUpRow) * stride; }
  // The colour of the pixel at (x, y), y counted from the top, as 0x00RRGGBB.
  uint32_t ColorAt(int x, int y) const;
  // The palette index of the pixel at (x, y) of a bitmap of up to 8 bits.
  int IndexAt(int x, int y) const;
};

// Decodes the bytes of a BMP file. False, leaving *out empty, when the file is refused.
bool DecodeBmp(const uint8_t* data, size_t size, Dib* out);

// Reads and decodes a BMP file given by its stored (Shift-JIS) name.
bool LoadBmpFile(const char* sjisPath, Dib* out);

}  // namespace gfx
