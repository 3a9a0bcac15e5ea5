#include "platform/bmp.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/file.h"
#include "platform/pixels.h"

namespace gfx {
namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr size_t kFileHeaderSize = 14;

// Bounded little-endian reads from the file's bytes.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Has(size_t offset, size_t n) const { return offset <= size_ && n <= size_ - offset; }
  uint32_t U8(size_t o) const { return data_[o]; }
  uint32_t U16(size_t o) const { return data_[o] | static_cast<uint32_t>(data_[o + 1]) << 8; }
  uint32_t U32(size_t o) const { return U16(o) | U16(o + 2) << 16; }
  int32_t I32(size_t o) const { return static_cast<int32_t>(U32(o)); }
  const uint8_t* Ptr(size_t o) const { return data_ + o; }
  size_t size() const { return size_; }

 private:
  const uint8_t* data_;
  size_t size_;
};

int MaskShift(uint32_t mask) {
  if (!mask) return 0;
  int s = 0;
  while (!(mask & 1u)) {
    mask >>= 1;
    ++s;
  }
  return s;
}

int MaskWidth(uint32_t mask) {
  mask >>= MaskShift(mask);
  int w = 0;
  while (mask & 1u) {
    mask >>= 1;
    ++w;
  }
  return w;
}

// The channel under a mask, widened (by replication) or narrowed to 8 bits.
uint32_t Channel8(uint32_t pixel, uint32_t mask) {
  const int w = MaskWidth(mask);
  if (w == 0) return 0;
  uint32_t v = (pixel & mask) >> MaskShift(mask);
  v &= (w >= 32) ? 0xFFFFFFFFu : ((1u << w) - 1);
  if (w >= 8) return v >> (w - 8);
  uint32_t out = 0;
  int filled = 0;
  while (filled < 8) {
    const int shift = 8 - filled - w;
    out |= shift >= 0 ? v << shift : v >> -shift;
    filled += w;
  }
  return out & 0xFF;
}

void SetIndex(Dib* d, int64_t x, int64_t row, uint32_t value) {
  if (x < 0 || x >= d->width || row < 0 || row >= d->height) return;
  uint8_t* r = d->Row(row);
  if (d->bitCount == 8) {
    r[x] = static_cast<uint8_t>(value);
  } else {  // 4 bits: the high nibble holds the left pixel
    uint8_t& b = r[x >> 1];
    if (x & 1) b = static_cast<uint8_t>((b & 0xF0) | (value & 0x0F));
    else b = static_cast<uint8_t>((b & 0x0F) | ((value & 0x0F) << 4));
  }
}

// Decodes RLE8 or RLE4 data. Every write outside the picture is dropped; the data must end
// with the end-of-bitmap code, or run past the top row.
bool DecodeRle(const uint8_t* p, size_t n, bool four, Dib* d) {
  size_t i = 0;
  int64_t x = 0, y = 0;
  while (y < d->height) {
    if (n - i < 2) return false;
    const uint32_t count = p[i], value = p[i + 1];
    i += 2;
    if (count > 0) {
      for (uint32_t k = 0; k < count; ++k, ++x) {
        const uint32_t v = four ? ((k & 1) ? (value & 0x0F) : (value >> 4)) : value;
        SetIndex(d, x, y, v);
      }
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++y;
        break;
      case 1:  // end of bitmap
        return true;
      case 2:  // delta
        if (n - i < 2) return false;
        x += p[i];
        y += p[i + 1];
        i += 2;
        break;
      default: {  // absolute run of `value` pixels, padded to a whole word
        const size_t bytes = four ? (value + 1) / 2 : value;
        const size_t padded = (bytes + 1) & ~size_t{1};
        if (n - i < padded) return false;
        for (uint32_t k = 0; k < value; ++k, ++x) {
          const uint32_t b = p[i + (four ? k / 2 : k)];
          SetIndex(d, x, y, four ? ((k & 1) ? (b & 0x0F) : (b >> 4)) : b);
        }
        i += padded;
        break;
      }
    }
  }
  return true;
}

bool Fail(Dib* out) {
  *out = Dib{};
  return false;
}

}  // namespace

uint32_t Dib::ColorAt(int x, int y) const {
  const uint8_t* r = Row(height - 1 - y);
  auto entry = [&](int i) -> uint32_t {
    if (i < 0 || static_cast<size_t>(i) * 4 + 4 > colorTable.size()) return 0;
    const uint8_t* e = &colorTable[static_cast<size_t>(i) * 4];
    return static_cast<uint32_t>(e[2]) << 16 | static_cast<uint32_t>(e[1]) << 8 | e[0];
  };
  switch (bitCount) {
    case 1:
    case 4:
    case 8:
      return entry(IndexAt(x, y));
    case 16: {
      const uint32_t p = r[2 * x] | static_cast<uint32_t>(r[2 * x + 1]) << 8;
      return Channel8(p, masks[0]) << 16 | Channel8(p, masks[1]) << 8 | Channel8(p, masks[2]);
    }
    case 24:
      return static_cast<uint32_t>(r[3 * x + 2]) << 16 | static_cast<uint32_t>(r[3 * x + 1]) << 8 | r[3 * x];
    case 32:
      return static_cast<uint32_t>(r[4 * x + 2]) << 16 | static_cast<uint32_t>(r[4 * x + 1]) << 8 | r[4 * x];
    default:
      return 0;
  }
}

int Dib::IndexAt(int x, int y) const {
  const uint8_t* r = Row(height - 1 - y);
  switch (bitCount) {
    case 1:
      return (r[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
      return (x & 1) ? (r[x >> 1] & 0x0F) : (r[x >> 1] >> 4);
    case 8:
      return r[x];
    default:
      return 0;
  }
}

bool DecodeBmp(const uint8_t* data, size_t size, Dib* out) {
  *out = Dib{};
  if (!data) return false;
  Reader rd(data, size);
  if (!rd.Has(0, kFileHeaderSize + 4) || rd.U8(0) != 'B' || rd.U8(1) != 'M') return false;
  const uint32_t offBits = rd.U32(10);
  const size_t h = kFileHeaderSize;
  const uint32_t headerSize = rd.U32(h);
  const bool core = headerSize == 12;
  if (!core && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 && headerSize != 124) {
    return false;
  }
  if (!rd.Has(h, headerSize)) return false;

  int64_t width, height;
  uint32_t planes, bitCount, compression = kBiRgb, sizeImage = 0, clrUsed = 0;
  if (core) {
    width = rd.U16(h + 4);
    height = rd.U16(h + 6);
    planes = rd.U16(h + 8);
    bitCount = rd.U16(h + 10);
  } else {
    width = rd.I32(h + 4);
    height = rd.I32(h + 8);
    planes = rd.U16(h + 12);
    bitCount = rd.U16(h + 14);
    compression = rd.U32(h + 16);
    sizeImage = rd.U32(h + 20);
    clrUsed = rd.U32(h + 32);
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (planes != 1 || width <= 0 || height <= 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide ||
      width * height > kMaxSurfacePixels) {
    return false;
  }
  switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      return false;
  }
  switch (compression) {
    case kBiRgb:
      break;
    case kBiRle8:
      if (bitCount != 8 || topDown) return false;
      break;
    case kBiRle4:
      if (bitCount != 4 || topDown) return false;
      break;
    case kBiBitfields:
      if (bitCount != 16 && bitCount != 32) return false;
      break;
    default:
      return false;
  }

  Dib d;
  d.width = static_cast<int>(width);
  d.height = static_cast<int>(height);
  d.bitCount = static_cast<int>(bitCount);
  d.stride = static_cast<int>(((width * bitCount + 31) / 32) * 4);

  // Masks: after a 40-byte header for bit fields, inside the longer headers.
  size_t tableOffset = h + headerSize;
  if (compression == kBiBitfields) {
    size_t maskOffset = h + 40;
    if (headerSize == 40) {
      if (!rd.Has(maskOffset, 12)) return false;
      tableOffset += 12;
    }
    d.masks[0] = rd.U32(maskOffset);
    d.masks[1] = rd.U32(maskOffset + 4);
    d.masks[2] = rd.U32(maskOffset + 8);
  } else if (bitCount == 16) {
    d.masks[0] = 0x7C00;
    d.masks[1] = 0x03E0;
    d.masks[2] = 0x001F;
  }

  // Colour table.
  if (bitCount <= 8) {
    const uint32_t full = 1u << bitCount;
    const uint32_t used = (clrUsed == 0 || clrUsed > full) ? full : clrUsed;
    const size_t entrySize = core ? 3 : 4;
    d.colorTable.assign(static_cast<size_t>(full) * 4, 0);
    uint32_t available = 0;
    if (rd.Has(tableOffset, 0)) {
      available = static_cast<uint32_t>(std::min<size_t>(used, (rd.size() - tableOffset) / entrySize));
    }
    if (available < used) return false;
    for (uint32_t i = 0; i < used; ++i) {
      const size_t o = tableOffset + i * entrySize;
      d.colorTable[i * 4 + 0] = static_cast<uint8_t>(rd.U8(o));
      d.colorTable[i * 4 + 1] = static_cast<uint8_t>(rd.U8(o + 1));
      d.colorTable[i * 4 + 2] = static_cast<uint8_t>(rd.U8(o + 2));
    }
    d.colorsUsed = static_cast<int>(used);
    tableOffset += static_cast<size_t>(used) * entrySize;
  }

  // Pixel data: at the offset the file header gives, or right after the table when it gives 0.
  size_t bitsOffset = tableOffset;
  if (offBits != 0) {
    if (offBits < h + headerSize) return false;
    bitsOffset = offBits;
  }
  if (!rd.Has(bitsOffset, 0)) return false;

  d.bits.assign(static_cast<size_t>(d.stride) * static_cast<size_t>(d.height), 0);
  if (compression == kBiRle8 || compression == kBiRle4) {
    size_t n = rd.size() - bitsOffset;
    if (sizeImage != 0 && sizeImage < n) n = sizeImage;
    if (!DecodeRle(rd.Ptr(bitsOffset), n, compression == kBiRle4, &d)) return Fail(out);
  } else {
    const size_t need = static_cast<size_t>(d.stride) * static_cast<size_t>(d.height);
    if (!rd.Has(bitsOffset, need)) return false;
    for (int y = 0; y < d.height; ++y) {
      const int src = topDown ? d.height - 1 - y : y;
      std::memcpy(d.Row(y), rd.Ptr(bitsOffset + static_cast<size_t>(src) * d.stride), static_cast<size_t>(d.stride));
    }
    // 32-bit bit fields are brought to the usual layout: blue, green, red, 0.
    if (compression == kBiBitfields && bitCount == 32 &&
        !(d.masks[0] == 0x00FF0000u && d.masks[1] == 0x0000FF00u && d.masks[2] == 0x000000FFu)) {
      for (int y = 0; y < d.height; ++y) {
        uint8_t* r = d.Row(y);
        for (int x = 0; x < d.width; ++x) {
          const uint32_t p = r[4 * x] | static_cast<uint32_t>(r[4 * x + 1]) << 8 |
                             static_cast<uint32_t>(r[4 * x + 2]) << 16 | static_cast<uint32_t>(r[4 * x + 3]) << 24;
          r[4 * x + 0] = static_cast<uint8_t>(Channel8(p, d.masks[2]));
          r[4 * x + 1] = static_cast<uint8_t>(Channel8(p, d.masks[1]));
          r[4 * x + 2] = static_cast<uint8_t>(Channel8(p, d.masks[0]));
          r[4 * x + 3] = 0;
        }
      }
      d.masks[0] = d.masks[1] = d.masks[2] = 0;
    }
  }
  if (bitCount == 32) d.masks[0] = d.masks[1] = d.masks[2] = 0;
  *out = std::move(d);
  return true;
}

bool LoadBmpFile(const char* sjisPath, Dib* out) {
  *out = Dib{};
  if (!sjisPath || !*sjisPath) return false;
  FILE* fp = FileOpen(sjisPath, "rb");
  if (!fp) return false;
  std::vector<uint8_t> bytes;
  uint8_t buf[65536];
  size_t n;
  // Files larger than the largest bitmap the device accepts are refused unread.
  constexpr size_t kMaxFile = static_cast<size_t>(kMaxSurfacePixels) * 4 + (1u << 20);
  while ((n = std::fread(buf, 1, sizeof(buf), fp)) > 0) {
    if (bytes.size() + n > kMaxFile) {
      std::fclose(fp);
      return false;
    }
    bytes.insert(bytes.end(), buf, buf + n);
  }
  std::fclose(fp);
  return DecodeBmp(bytes.data(), bytes.size(), out);
}

}  // namespace gfx
