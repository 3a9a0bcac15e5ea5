// Pixel storage and the channel rules of the software graphics device.
//
// Every surface, texture and bitmap of the device keeps its pixels in a PixelBuffer in one of
// the formats below. The conversions between formats are fixed here, once, for every caller:
//   - 5- and 6-bit channels widen to 8 bits by bit replication (v << 3 | v >> 2, v << 2 | v >> 4),
//     so 0 stays 0 and the largest value becomes 255;
//   - 8-bit channels narrow to 5 or 6 bits by truncation (v >> 3, v >> 2);
//   - a one-bit alpha is set when the 8-bit alpha is 128 or more, and widens to 0 or 255;
//   - formats without alpha read as opaque (255); X8R8G8B8 writes 0xFF into its X byte;
//   - products of two 8-bit values are divided by 255 with rounding to the nearest integer.
// With these rules, widening a 16-bit pixel and narrowing it again gives the same pixel back.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace gfx {

enum class PixelFormat : uint8_t {
  kUnknown,
  kIndex8,    // palette index
  kR5G6B5,
  kA1R5G5B5,
  kX8R8G8B8,  // 32-bit little-endian word 0xXXRRGGBB: bytes blue, green, red, X in memory
  kA8R8G8B8,
};

constexpr int BytesPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::kIndex8:
      return 1;
    case PixelFormat::kR5G6B5:
    case PixelFormat::kA1R5G5B5:
      return 2;
    case PixelFormat::kX8R8G8B8:
    case PixelFormat::kA8R8G8B8:
      return 4;
    default:
      return 0;
  }
}
inline bool HasAlpha(PixelFormat f) { return f == PixelFormat::kA1R5G5B5 || f == PixelFormat::kA8R8G8B8; }

inline uint32_t Expand5(uint32_t v) { return (v << 3) | (v >> 2); }
inline uint32_t Expand6(uint32_t v) { return (v << 2) | (v >> 4); }

// a × b / 255 rounded to the nearest integer, for a and b in 0..255.
inline uint32_t MulDiv255(uint32_t a, uint32_t b) { return (a * b + 127) / 255; }

// One 8-bit channel blended with the source factor a: (s × a + d × (255 − a)) / 255, rounded.
inline uint32_t BlendChannel(uint32_t s, uint32_t d, uint32_t a) { return (s * a + d * (255 - a) + 127) / 255; }

// A pixel value of a 16- or 32-bit format widened to A8R8G8B8.
inline uint32_t WidenToArgb(PixelFormat f, uint32_t p) {
  switch (f) {
    case PixelFormat::kA8R8G8B8:
      return p;
    case PixelFormat::kX8R8G8B8:
      return p | 0xFF000000u;
    case PixelFormat::kR5G6B5:
      return 0xFF000000u | Expand5((p >> 11) & 31) << 16 | Expand6((p >> 5) & 63) << 8 | Expand5(p & 31);
    case PixelFormat::kA1R5G5B5:
      return ((p & 0x8000) ? 0xFF000000u : 0u) | Expand5((p >> 10) & 31) << 16 | Expand5((p >> 5) & 31) << 8 |
             Expand5(p & 31);
    default:
      return 0;
  }
}

// An A8R8G8B8 colour narrowed to a pixel value of a 16- or 32-bit format.
inline uint32_t NarrowFromArgb(PixelFormat f, uint32_t c) {
  switch (f) {
    case PixelFormat::kA8R8G8B8:
      return c;
    case PixelFormat::kX8R8G8B8:
      return c | 0xFF000000u;
    case PixelFormat::kR5G6B5:
      return ((c >> 19) & 31) << 11 | ((c >> 10) & 63) << 5 | ((c >> 3) & 31);
    case PixelFormat::kA1R5G5B5:
      return ((c >> 24) >= 128 ? 0x8000u : 0u) | ((c >> 19) & 31) << 10 | ((c >> 11) & 31) << 5 | ((c >> 3) & 31);
    default:
      return 0;
  }
}

inline uint32_t LoadPixel(PixelFormat f, const uint8_t* p) {
  switch (BytesPerPixel(f)) {
    case 1:
      return p[0];
    case 2: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case 4: {
      uint32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
    default:
      return 0;
  }
}

inline void StorePixel(PixelFormat f, uint8_t* p, uint32_t v) {
  switch (BytesPerPixel(f)) {
    case 1:
      p[0] = static_cast<uint8_t>(v);
      break;
    case 2: {
      uint16_t w = static_cast<uint16_t>(v);
      std::memcpy(p, &w, 2);
      break;
    }
    case 4:
      std::memcpy(p, &v, 4);
      break;
    default:
      break;
  }
}

// The pixels of one surface: rows top-down, each pitch bytes long (a multiple of 4).
struct PixelBuffer {
  PixelFormat format = PixelFormat::kUnknown;
  int width = 0;
  int height = 0;
  int pitch = 0;
  std::vector<uint8_t> bits;

  // Allocates zeroed pixels; false (and an empty buffer) when the size is not usable.
  bool Allocate(PixelFormat f, int w, int h);
  bool Empty() const { return bits.empty(); }
  uint8_t* Row(int y) { return bits.data() + static_cast<size_t>(y) * static_cast<size_t>(pitch); }
  const uint8_t* Row(int y) const { return bits.data() + static_cast<size_t>(y) * static_cast<size_t>(pitch); }
  uint8_t* At(int x, int y) { return Row(y) + static_cast<size_t>(x) * static_cast<size_t>(BytesPerPixel(format)); }
  const uint8_t* At(int x, int y) const {
    return Row(y) + static_cast<size_t>(x) * static_cast<size_t>(BytesPerPixel(format));
  }
  uint32_t Get(int x, int y) const { return LoadPixel(format, At(x, y)); }
  void Set(int x, int y, uint32_t v) { StorePixel(format, At(x, y), v); }
  // Fills the rectangle [x0, x1) × [y0, y1), cut to the buffer, with one pixel value.
  void Fill(int x0, int y0, int x1, int y1, uint32_t value);
};

// Largest width or height of any surface, texture or bitmap the device makes.
constexpr int kMaxSurfaceSide = 32768;
// Largest number of pixels of one surface, texture or bitmap.
constexpr int64_t kMaxSurfacePixels = int64_t{1} << 26;

// Copies a rectangle between buffers of the same format (no overlap handling needed: the
// buffers are different). The rectangle must lie inside both.
void CopyRect(PixelBuffer& dst, int dx, int dy, const PixelBuffer& src, int sx, int sy, int w, int h);

// The frame of a buffer as 0xAARRGGBB words with opaque alpha, for showing it; 8-bit buffers
// look their indices up in the 256 palette entries given as 0x00RRGGBB words.
void ConvertToArgb(const PixelBuffer& src, const uint32_t* palette, uint32_t* out, int outPitchPixels);

}  // namespace gfx
