// The palette and the transparent colour in every back-end and depth, the DirectDraw bitmap
// copies and the 16-bit conversions.
#include <gtest/gtest.h>

#include <string>

#include "../platform/bmp_builder.h"
#include "draw_fixture.h"

namespace {

struct Rgba {
  int r, g, b, flags;
};

Rgba Entry(const PALETTEENTRY& e) { return Rgba{e.peRed, e.peGreen, e.peBlue, e.peFlags}; }

bool operator==(const Rgba& a, const Rgba& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b && a.flags == b.flags;
}

std::ostream& operator<<(std::ostream& os, const Rgba& c) {
  return os << "(" << c.r << "," << c.g << "," << c.b << "," << c.flags << ")";
}

}  // namespace

// The palette is loaded in every mode: from the colour table where there is a hardware palette
// (and under Direct3D), and from the palette block of the picture at 16 and 32 bits.
TEST_F(DrawTest, PaletteIsLoadedInEveryMode) {
  const std::string sheet = SheetBmp();
  const auto colour = [](int i, int shiftR, int shiftG, int shiftB, bool scale, int flags) {
    const uint32_t c = SheetColor(i);
    const int r = static_cast<int>(c >> 16) >> shiftR, g = static_cast<int>((c >> 8) & 255) >> shiftG;
    const int b = static_cast<int>(c & 255) >> shiftB;
    if (!scale) return Rgba{r, g, b, flags};
    return Rgba{r * 255 / (255 >> shiftR), g * 255 / (255 >> shiftG), b * 255 / (255 >> shiftB), flags};
  };
  struct Case {
    const char* name;
    int d3d, bpp;
    Rgba e1, e100, e250;
  } cases[] = {
      {"Direct3D 32", 1, 32, colour(1, 0, 0, 0, false, 255), colour(100, 0, 0, 0, false, 255),
       colour(250, 0, 0, 0, false, 255)},
      {"Direct3D 16", 1, 16, colour(1, 3, 3, 3, true, 255), colour(100, 3, 3, 3, true, 255),
       colour(250, 3, 3, 3, true, 255)},
      {"DirectDraw 8", 0, 8, colour(1, 0, 0, 0, false, PC_EXPLICIT), colour(100, 0, 0, 0, false, PC_RESERVED),
       colour(250, 0, 0, 0, false, PC_EXPLICIT)},
      {"DirectDraw 16", 0, 16, colour(1, 3, 2, 3, false, 0), colour(100, 3, 2, 3, false, 0),
       colour(250, 3, 2, 3, false, 0)},
      {"DirectDraw 32", 0, 32, colour(1, 0, 0, 0, false, 0), colour(100, 0, 0, 0, false, 0),
       colour(250, 0, 0, 0, false, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitOrFail(c.d3d, c.bpp, 0);
    for (PALETTEENTRY& e : DDPalette) e = PALETTEENTRY{};
    ASSERT_TRUE(DDLoadPaletteFromFile(DDPalette, sheet.c_str(), 0));
    EXPECT_EQ(Entry(DDPalette[1]), c.e1);
    EXPECT_EQ(Entry(DDPalette[100]), c.e100);
    EXPECT_EQ(Entry(DDPalette[250]), c.e250);
    if (!c.d3d && c.bpp == 8) {
      EXPECT_EQ(Entry(lpDDPal->entries[100]), c.e100) << "the display's palette too";
    }
    EXPECT_FALSE(DDLoadPaletteFromFile(DDPalette, (sheet + "x").c_str(), 0));
    DDEnd();
  }
}

TEST_F(DrawTest, PaletteBlockEntriesThatAreTransparentStay) {
  InitOrFail(1, 32, 1);
  DDSetTransmit(255, 0, 255);
  const std::string sheet = SheetBmp();
  DDSURFACEDATA sd;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sd, sheet.c_str(), 1, 32, 0, DTMEMORYTYPE_SYSTEM, 0, 0, 0, 0, 0), 0);
  BYTE pal[256 * 4];
  std::fill(pal, pal + sizeof pal, 0x11);
  DDSetPalette_UnPal(pal, &sd);
  EXPECT_EQ(pal[0], 0x11) << "entry 0 is the transparent magenta";
  EXPECT_EQ(pal[3], 0x11);
  EXPECT_EQ(pal[4], 255);
  EXPECT_EQ(pal[5], 0);
  EXPECT_EQ(pal[7], 255);
  DDReleaseSurface(&sd);
  // A surface too small for the block changes nothing.
  DDSURFACEDATA small;
  ASSERT_TRUE(DDCreateSurface(&small, 16, 16, 0, 0, DTMEMORYTYPE_SYSTEM, 0, 0));
  std::fill(pal, pal + sizeof pal, 0x22);
  DDSetPalette_UnPal(pal, &small);
  EXPECT_EQ(pal[4 * 100], 0x22);
  DDReleaseSurface(&small);
}

TEST_F(DrawTest, TransparentColourInEachMode) {
  const std::string sheet = SheetBmp();
  // Direct3D 32: the colour itself.
  InitOrFail(1, 32, 1);
  DDSetTransmit(255, 0, 255);
  EXPECT_EQ(lpDTCon->dwTransmitARGB, 0xFFFF00FFu);
  EXPECT_EQ(lpDTCon->dwTransmitClear, 0u);
  EXPECT_EQ(lpDTCon->wTransmit_16, 0);
  EXPECT_EQ(DDColorKey, 0u);
  EXPECT_NE(Errors().find("SetTrans lpDTCon->rgbTransmit.rgbtRed = 255"), std::string::npos);
  DDSetTransmit(0, 0, 0);
  ASSERT_EQ(DDSetTransmitFromFile(sheet.c_str()), 1);
  EXPECT_EQ(lpDTCon->dwTransmitARGB, 0xFFFF00FFu);
  DDEnd();

  // Direct3D 16: channels of the texture format, the file's colour for the key.
  InitOrFail(1, 16, 1);
  ASSERT_EQ(DDSetTransmitFromFile(sheet.c_str()), 1);
  const DTCONTEXT& c = *lpDTCon;
  EXPECT_EQ(c.rgbTransmitBmp.rgbtRed, 255);
  EXPECT_EQ(c.rgbTransmitBmp.rgbtGreen, 0);
  EXPECT_EQ(c.rgbTransmitBmp.rgbtBlue, 255);
  EXPECT_EQ(c.rgbTransmit.rgbtRed, 31);
  EXPECT_EQ(c.rgbTransmit.rgbtBlue, 31);
  EXPECT_EQ(c.wTransmit_16, 0xFC1F) << "magenta in A1R5G5B5 with its alpha bit";
  EXPECT_EQ(DDColorKey, 0xFC1Fu);
  EXPECT_NE(Errors().find("SetTrans(filename) lpDTCon->wTransmit_16 = (fc1f)"), std::string::npos);
  DDEnd();

  // DirectDraw 32 and 16.
  InitOrFail(0, 32, 0);
  DDSetTransmit(0, 0, 255);
  EXPECT_EQ(DDColorKey, 0x000000FFu);
  EXPECT_EQ(lpDDCon->rgbTransmit.rgbtBlue, 255);
  ASSERT_EQ(DDSetTransmitFromFile(sheet.c_str()), 1);
  EXPECT_EQ(DDColorKey, 0x00FF00FFu);
  EXPECT_EQ(lpDDCon->rgbTransmit.rgbtRed, 255);
  EXPECT_EQ(lpDDCon->rgbTransmit.rgbtGreen, 0);
  DDEnd();
  InitOrFail(0, 16, 0);
  DDSetTransmit(255, 0, 255);
  EXPECT_EQ(DDColorKey, 0xF81Fu);
  EXPECT_NE(Errors().find("※16bit色で"), std::string::npos);
  EXPECT_EQ(CountBoxes("Tr 63519 RGB32(255,0,255) -> RGB16(255,0,255)"), 1u) << "shown while the error log is on";
  DDEnd();

  // DirectDraw 8: the index of the top-left pixel.
  InitOrFail(0, 8, 0);
  DDColorKey = 77;
  ASSERT_EQ(DDSetTransmitFromFile(sheet.c_str()), 1);
  EXPECT_EQ(DDColorKey, 0u);
  const std::string before = Errors();
  EXPECT_EQ(DDSetTransmitFromFile((sheet + "x").c_str()), 0);
  EXPECT_NE(Errors().substr(before.size()).find("作成失敗！"), std::string::npos);
}

// A 64-pixel-wide sheet with 32-pixel mirror cells, copied by each of the three paths.
TEST_F(DrawTest, CopyBitmapMirrorsCellsOnEveryPath) {
  std::vector<uint32_t> indices(64 * 2), rgb(64 * 2);
  std::vector<uint32_t> palette;
  for (int i = 0; i < 256; ++i) palette.push_back(static_cast<uint32_t>(i) << 16 | 0x0000FF);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 64; ++x) {
      indices[static_cast<size_t>(y * 64 + x)] = static_cast<uint32_t>(x * 4);
      rgb[static_cast<size_t>(y * 64 + x)] = static_cast<uint32_t>(x * 4) << 16 | 0x0000FF;
    }
  }
  const std::string eight = Bmp8("eight.bmp", 64, 2, palette, indices);
  const std::string deep = Bmp24("deep.bmp", 64, 2, rgb);
  struct Case {
    const char* name;
    int bpp;
    std::string file;
  } cases[] = {{"indices at 8 bits", 8, eight}, {"converted at 16 bits", 16, deep}, {"through GDI at 32 bits", 32, eight}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InitOrFail(0, c.bpp, 0);
    DDSURFACEDATA sd;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, c.file.c_str(), 0, c.bpp, 1, 0, 0, 0, 32, 0, 0), 0);
    EXPECT_EQ(sd.nMirrorWidth, 32);
    IDirectDrawSurface7* s = sd.lpDDObj->lpSurface;
    for (int x : {0, 31, 32, 63}) {
      const DWORD source = static_cast<DWORD>((x / 32) * 32 + 31 - x % 32) * 4;
      const DWORD expected = c.bpp == 8 ? source : (c.bpp == 16 ? (source * 31 / 255) << 11 | 0x1F : source << 16 | 0xFF);
      EXPECT_EQ(SurfacePixel(s, x, 1), expected) << "column " << x;
    }
    DDReleaseSurface(&sd);
    DDEnd();
  }
}

TEST_F(DrawTest, SixteenBitCopiesKeepOpaqueColoursOffTheKey) {
  std::vector<uint32_t> rgb = {0xFF00FF, 0xFF02FF, 0x00FF00, 0x000000};
  const std::string file = Bmp24("keys.bmp", 4, 1, rgb);
  InitOrFail(0, 16, 0);
  DDSetTransmit(255, 0, 255);
  lpDDCon->rgbTransmitBmp = RGBTRIPLE{255, 0, 255};
  DDSURFACEDATA sd;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sd, file.c_str(), 1, 16, 1, 0, 0, 0, 0, 0, 0), 0);
  IDirectDrawSurface7* s = sd.lpDDObj->lpSurface;
  EXPECT_EQ(SurfacePixel(s, 0, 0), 0xF81Fu) << "the transparent colour";
  EXPECT_EQ(SurfacePixel(s, 1, 0), 0xF81Eu) << "converts to the key, so it moves one step off";
  EXPECT_EQ(SurfacePixel(s, 2, 0), 0x07E0u);
  EXPECT_EQ(SurfacePixel(s, 3, 0), 0u);
  DDReleaseSurface(&sd);
}

// The copies stay inside the surface: a 4-bit bitmap at 8 bits is converted to palette indices
// (its bytes are not indices), and a larger 24-bit bitmap at 16 bits is cut to the surface.
TEST_F(DrawTest, CopiesOfOtherDepthsStayInsideTheSurface) {
  BmpSpec spec;
  spec.width = 16;
  spec.height = 2;
  spec.bitCount = 4;
  spec.palette = {0xFF0000, 0x00FF00};
  spec.clrUsed = 2;
  std::vector<uint32_t> px(32);
  for (int i = 0; i < 32; ++i) px[static_cast<size_t>(i)] = static_cast<uint32_t>(i & 1);
  spec.data = PackRows(4, 16, 2, px);
  const std::string nibbles = WriteBmp(env->dir().path(), "nibbles.bmp", BuildBmp(spec));
  const std::string sheet = SheetBmp();
  InitOrFail(0, 8, 0);
  ASSERT_TRUE(DDLoadPaletteFromFile(DDPalette, sheet.c_str(), 0));
  DDSURFACEDATA sd;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sd, nibbles.c_str(), 0, 8, 1, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(SurfacePixel(sd.lpDDObj->lpSurface, 0, 0), 1u) << "red";
  EXPECT_EQ(SurfacePixel(sd.lpDDObj->lpSurface, 15, 1), 2u) << "green";
  DDReleaseSurface(&sd);
  DDEnd();

  const std::string big = Bmp24("big.bmp", 8, 8, std::vector<uint32_t>(64, 0x00FF00));
  InitOrFail(0, 16, 0);
  ASSERT_TRUE(DDCreateSurface(&sd, 4, 4, 0, 1, 0, 0, 0));
  EXPECT_TRUE(CopyBitmap(&sd, big.c_str(), 16, 0, 0, 0));
  EXPECT_EQ(SurfacePixel(sd.lpDDObj->lpSurface, 3, 3), 0x07E0u);
  DDReleaseSurface(&sd);
}

TEST_F(DrawTest, EightBitCopiesOfAnotherSizeChangeNothing) {
  std::vector<uint32_t> px(20 * 10, 5);
  const std::string file = Bmp8("other.bmp", 20, 10, SheetPalette(), px);
  InitOrFail(0, 8, 0);
  DDSURFACEDATA sd;
  ASSERT_TRUE(DDCreateSurface(&sd, 16, 16, 0, 1, 0, 0, 0));
  EXPECT_TRUE(CopyBitmap(&sd, file.c_str(), 8, 0, 0, 0));
  EXPECT_NE(Errors().find("CopyBitmap Err " + file + " Surface(16,16) Bmp(20,10)"), std::string::npos);
  EXPECT_EQ(SurfacePixel(sd.lpDDObj->lpSurface, 3, 3), 0u);
  EXPECT_FALSE(CopyBitmap(&sd, (file + "x").c_str(), 8, 0, 0, 0));
  DDReleaseSurface(&sd);
  DDEnd();
  InitOrFail(1, 32, 1);
  EXPECT_TRUE(CopyBitmap(&sd, file.c_str(), 32, 0, 0, 0)) << "nothing to do under Direct3D";
}

TEST_F(DrawTest, PaletteEntriesAsSixteenBitPixels) {
  InitOrFail(0, 16, 0);
  const BYTE white[3] = {255, 255, 255}, small[3] = {8, 4, 2};
  EXPECT_EQ(DDPalToRGB16(white), 0xFFFF);
  EXPECT_EQ(DDPalToRGB16(small), 8 << 11 | 4 << 5 | 2);
  DDEnd();
  InitOrFail(1, 16, 1);
  EXPECT_EQ(DDPalToRGB16(white), 0);
  EXPECT_NE(Errors().find("DDPalToRGB16はDirect3Dでは未対応"), std::string::npos);
}
