#include "platform/pixels.h"

#include <algorithm>

#include "platform/spans.h"

namespace gfx {

bool PixelBuffer::Allocate(PixelFormat f, int w, int h) {
  format = PixelFormat::kUnknown;
  width = height = pitch = 0;
  bits.clear();
  const int bpp = BytesPerPixel(f);
  if (bpp == 0 || w <= 0 || h <= 0 || w > kMaxSurfaceSide || h > kMaxSurfaceSide ||
      int64_t{w} * h > kMaxSurfacePixels) {
    return false;
  }
  format = f;
  width = w;
  height = h;
  pitch = (w * bpp + 3) & ~3;
  bits.assign(static_cast<size_t>(pitch) * static_cast<size_t>(h), 0);
  return true;
}

void PixelBuffer::Fill(int x0, int y0, int x1, int y1, uint32_t value) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, width);
  y1 = std::min(y1, height);
  if (x0 >= x1 || y0 >= y1) return;
  const int bpp = BytesPerPixel(format);
  if (bpp == 0) return;
  const size_t bytes = static_cast<size_t>(x1 - x0) * static_cast<size_t>(bpp);
  uint8_t* const first = At(x0, y0);
  const int n = x1 - x0;
  switch (bpp) {
    case 1:
      std::memset(first, static_cast<int>(value & 0xFF), bytes);
      break;
    case 2: {
      const uint16_t v = static_cast<uint16_t>(value);
      for (int i = 0; i < n; ++i) std::memcpy(first + 2 * i, &v, 2);
      break;
    }
    default:
      for (int i = 0; i < n; ++i) std::memcpy(first + 4 * i, &value, 4);
      break;
  }
  // The other rows copy the first, row by row down the pitch.
  uint8_t* row = first;
  for (int y = y0 + 1; y < y1; ++y) std::memcpy(row += pitch, first, bytes);
}

void CopyRect(PixelBuffer& dst, int dx, int dy, const PixelBuffer& src, int sx, int sy, int w, int h) {
  const size_t bytes = static_cast<size_t>(w) * static_cast<size_t>(BytesPerPixel(src.format));
  for (int y = 0; y < h; ++y) std::memmove(dst.At(dx, dy + y), src.At(sx, sy + y), bytes);
}

void ConvertToArgb(const PixelBuffer& src, const uint32_t* palette, uint32_t* out, int outPitchPixels) {
  for (int y = 0; y < src.height; ++y) {
    const uint8_t* row = src.Row(y);
    uint8_t* o = reinterpret_cast<uint8_t*>(out + static_cast<size_t>(y) * static_cast<size_t>(outPitchPixels));
    switch (src.format) {
      case PixelFormat::kIndex8:
        ArgbFromIndexRun(o, row, src.width, palette);
        break;
      case PixelFormat::kX8R8G8B8:
      case PixelFormat::kA8R8G8B8:
        CopyRun(o, row, src.width, 0xFF000000u);
        break;
      case PixelFormat::kR5G6B5:
        ArgbFromR5G6B5Run(o, row, src.width);
        break;
      case PixelFormat::kA1R5G5B5:
        ArgbFromA1R5G5B5Run(o, row, src.width);
        break;
      default:  // black
        ArgbFromIndexRun(o, row, src.width, nullptr);
        break;
    }
  }
}

}  // namespace gfx
