// Palette numbers as pixel values, rectangle fills and the palette-number map.
#include <gtest/gtest.h>

#include <string>

#include "draw_fixture.h"

namespace {

DWORD BackBufferPixel(int x, int y) {
  if (lpDTCon) {
    cSurfaceLock lock(&BackBuffer);
    return lock.Get(x, y) & 0xFFFFFF;
  }
  return BackBuffer.lpDDObj->lpSurface->pixels.Get(x, y);
}

}  // namespace

TEST_F(DrawTest, PaletteNumbersAsPixelValues) {
  struct Case {
    const char* name;
    int d3d, bpp;
    DWORD zero, cyan;
  } cases[] = {
      {"Direct3D 32", 1, 32, 0, 0xFF00FFFF}, {"Direct3D 16", 1, 16, 0, 0xFF00FFFF}, {"DirectDraw 8", 0, 8, 0, 5},
      {"DirectDraw 16", 0, 16, 0xF81F, 0x07FF}, {"DirectDraw 32", 0, 32, 0xFF00FF, 0x00FFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitOrFail(c.d3d, c.bpp, 0);
    EXPECT_EQ(PalNumToRGB(0), c.zero);
    EXPECT_EQ(PalNumToRGB(5), c.cyan);
    const std::string before = Errors();
    EXPECT_EQ(PalNumToRGB(256), 0u);
    EXPECT_EQ(Errors().substr(before.size()), "PalNumToRGB(DWORD dwPalNum) Err dwPalNum = 256\n");
    DDEnd();
  }
}

// Palette number 0 under Direct3D: a keyed surface becomes transparent, an unkeyed render
// target does not change (the colour has alpha 0), a system-memory surface gets the value 0.
TEST_F(DrawTest, FillingWithPaletteZeroUnderDirect3D) {
  InitOrFail(1, 32, 1);
  struct Case {
    int transmit;
    DWORD type;
    DWORD after;
  } cases[] = {{1, DTMEMORYTYPE_VIDEO_RT, 0}, {0, DTMEMORYTYPE_VIDEO_RT, 0xFFFF0000u}, {0, DTMEMORYTYPE_SYSTEM, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.transmit << " " << c.type);
    DDSURFACEDATA sd;
    ASSERT_TRUE(DDCreateSurface(&sd, 16, 16, c.transmit, 0, c.type, 0, 0));
    DDFillRect(&sd, 0, 0, 16, 16, 1);
    ASSERT_EQ(Pixel(&sd, 4, 4), 0xFFFF0000u);
    DDFillRect(&sd, 2, 2, 4, 4, 0);
    EXPECT_EQ(Pixel(&sd, 4, 4), c.after);
    EXPECT_EQ(Pixel(&sd, 8, 8), 0xFFFF0000u);
    DDReleaseSurface(&sd);
  }
}

TEST_F(DrawTest, FillsAreCutToTheSurface) {
  for (int d3d : {1, 0}) {
    SCOPED_TRACE(d3d);
    InitOrFail(d3d, 32, 0);
    DDFillRect(&BackBuffer, 0, 0, 640, 480, 3);
    DDFillRect(&BackBuffer, -10, 0, 50, 5, 1);
    DDFillRect(&BackBuffer, 630, 10, 50, 5, 2);
    EXPECT_EQ(BackBufferPixel(0, 0), SheetColor(1));
    EXPECT_EQ(BackBufferPixel(39, 4), SheetColor(1));
    EXPECT_EQ(BackBufferPixel(40, 4), SheetColor(3));
    EXPECT_EQ(BackBufferPixel(629, 10), SheetColor(3));
    EXPECT_EQ(BackBufferPixel(630, 10), SheetColor(2));
    EXPECT_EQ(BackBufferPixel(639, 14), SheetColor(2));
    DDEnd();
  }
}

TEST_F(DrawTest, SixteenBitFillsThroughALock) {
  InitOrFail(1, 16, 1);
  DDSURFACEDATA sd;
  ASSERT_TRUE(DDCreateSurface(&sd, 8, 8, 0, 0, DTMEMORYTYPE_SYSTEM, 0, 0));
  DDFillRectD3D(&sd, 0, 0, 4, 4, 0xFF00FF00u);
  EXPECT_EQ(Pixel(&sd, 3, 3), 0x83E0u);
  EXPECT_EQ(Pixel(&sd, 4, 4), 0u);
  DDFillRect(&sd, 0, 0, 2, 2, 256);
  EXPECT_EQ(Pixel(&sd, 1, 1), 0u) << "a palette number above 255 fills with 0";
  EXPECT_EQ(Pixel(&sd, 2, 2), 0x83E0u);
  DDReleaseSurface(&sd);
}

// The map holds the first palette entry of each pixel's colour: index 7 repeats the colour of
// index 1, and the transparent pixel maps to 0.
TEST_F(DrawTest, PaletteNumberMapsOfFileSurfaces) {
  const uint32_t colours[8] = {0xFF00FF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x00FFFF, 0xFFFF00, 0xFF0000};
  std::vector<uint32_t> table(colours, colours + 8), indices = {0, 1, 2, 3, 4, 5, 6, 7};
  const std::string file = Bmp8("map.bmp", 8, 1, table, indices);
  struct Case {
    const char* name;
    int d3d, bpp;
  } cases[] = {{"Direct3D 32", 1, 32}, {"Direct3D 16", 1, 16}, {"DirectDraw 16", 0, 16}, {"DirectDraw 32", 0, 32}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitOrFail(c.d3d, c.bpp, 0);
    // At 16 bits under DirectDraw the palette holds the display's channel values.
    const bool raw = !c.d3d && c.bpp == 16;
    for (int i = 0; i < 256; ++i) {
      const uint32_t v = i < 8 ? colours[i] : static_cast<uint32_t>(i) * 0x010101u;
      const auto ch = [&](int shift, BYTE max) {
        const BYTE b = static_cast<BYTE>(v >> shift);
        return raw ? static_cast<BYTE>(b == 255 ? max : 0) : b;
      };
      DDPalette[i] = PALETTEENTRY{ch(16, 31), ch(8, 63), ch(0, 31), 0};
    }
    if (c.d3d) DDSetTransmit(255, 0, 255);
    DDSURFACEDATA sd;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, file.c_str(), 1, c.bpp, 1, 0, 0, 1, 0, 0, 0), 0);
    const BYTE* map = c.d3d ? sd.lpDT->lpPalIndexMap : sd.lpDDObj->lpPalIndexMap;
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(std::vector<int>(map, map + 8), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 1}));
    DDReleaseSurface(&sd);
    DDEnd();
  }
  InitOrFail(0, 8, 0);
  DDSURFACEDATA sd;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sd, file.c_str(), 1, 8, 1, 0, 0, 1, 0, 0, 0), 0);
  EXPECT_EQ(sd.lpDDObj->lpPalIndexMap, nullptr) << "no map at 8 bits";
  DDReleaseSurface(&sd);
  // A surface that cannot be locked ends the run as for a lack of memory.
  DDSURFACEDATA none;
  BYTE* map = nullptr;
  env->TakeCloseRequests();
  EXPECT_EQ(DDBuildPalIndexMap(&map, &none), 0);
  EXPECT_EQ(CountBoxes("メモリが不足しています！"), 1u);
  EXPECT_EQ(env->TakeCloseRequests(), 1);
}
