#include "bmp_builder.h"

#include "support/bytes.h"

std::string BuildBmp(const BmpSpec& s) {
  const bool core = s.headerSize == 12;
  const size_t entry = core ? 3 : 4;
  const size_t masksAfterHeader = (s.compression == 3 && s.headerSize == 40) ? 12 : 0;
  const size_t offset = 14 + static_cast<size_t>(s.headerSize) + masksAfterHeader + s.palette.size() * entry;
  ByteWriter w;
  w.U8('B').U8('M').U32(static_cast<uint32_t>(offset + s.data.size())).U16(0).U16(0);
  w.U32(s.zeroOffset ? 0u : static_cast<uint32_t>(offset));
  if (core) {
    w.U32(12).U16(static_cast<uint16_t>(s.width)).U16(static_cast<uint16_t>(s.height)).U16(1);
    w.U16(static_cast<uint16_t>(s.bitCount));
  } else {
    w.U32(static_cast<uint32_t>(s.headerSize)).I32(s.width).I32(s.topDown ? -s.height : s.height).U16(1);
    w.U16(static_cast<uint16_t>(s.bitCount)).U32(s.compression).U32(static_cast<uint32_t>(s.data.size()));
    w.I32(2835).I32(2835).U32(s.clrUsed).U32(0);
    if (s.headerSize > 40) {
      w.U32(s.masks[0]).U32(s.masks[1]).U32(s.masks[2]).U32(0);
      w.Zeros(static_cast<size_t>(s.headerSize) - 56);
    }
    if (masksAfterHeader) w.U32(s.masks[0]).U32(s.masks[1]).U32(s.masks[2]);
  }
  for (uint32_t c : s.palette) {
    w.U8(static_cast<uint8_t>(c)).U8(static_cast<uint8_t>(c >> 8)).U8(static_cast<uint8_t>(c >> 16));
    if (!core) w.U8(0);
  }
  w.Bytes(s.data);
  return w.str();
}

std::string PackRows(int bitCount, int width, int height, const std::vector<uint32_t>& px, bool topDown) {
  const size_t stride = static_cast<size_t>((width * bitCount + 31) / 32) * 4;
  std::string out;
  for (int r = 0; r < height; ++r) {
    const int y = topDown ? r : height - 1 - r;
    std::string row(stride, '\0');
    for (int x = 0; x < width; ++x) {
      const uint32_t v = px[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
      switch (bitCount) {
        case 1:
          if (v & 1) row[static_cast<size_t>(x / 8)] = static_cast<char>(row[static_cast<size_t>(x / 8)] | (0x80 >> (x % 8)));
          break;
        case 4:
          row[static_cast<size_t>(x / 2)] =
              static_cast<char>(row[static_cast<size_t>(x / 2)] | ((x % 2) ? (v & 15) : ((v & 15) << 4)));
          break;
        default:
          for (int b = 0; b < bitCount / 8; ++b) {
            row[static_cast<size_t>(x * (bitCount / 8) + b)] = static_cast<char>(v >> (8 * b));
          }
          break;
      }
    }
    out += row;
  }
  return out;
}

std::string WriteBmp(const std::string& dir, const std::string& name, const std::string& bytes) {
  const std::string path = dir + "/" + name;
  WriteFileBytes(path, bytes);
  return path;
}
