// Fuzz target of the BMP reader: any bytes are decoded; a picture that is accepted is read back
// pixel by pixel, so every read of its rows and colour table is checked by the sanitizers.
#include <cstddef>
#include <cstdint>

#include "platform/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gfx::Dib dib;
  if (!gfx::DecodeBmp(data, size, &dib)) return 0;
  uint32_t sum = 0;
  for (int y = 0; y < dib.height; ++y) {
    for (int x = 0; x < dib.width; ++x) {
      sum += dib.ColorAt(x, y);
      if (dib.bitCount <= 8) sum += static_cast<uint32_t>(dib.IndexAt(x, y));
    }
  }
  volatile uint32_t sink = sum;
  (void)sink;
  return 0;
}
