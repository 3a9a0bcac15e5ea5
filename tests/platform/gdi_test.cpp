#include "platform/gdi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bmp_builder.h"
#include "device_fixture.h"
#include "platform/ddraw.h"
#include "platform/display.h"
#include "support/temp_dir.h"

namespace {

// Red, green, blue over white, black, grey, as an 8-bit file stored top-down.
std::string Picture8() {
  BmpSpec s;
  s.width = 3;
  s.height = 2;
  s.bitCount = 8;
  s.topDown = true;
  s.palette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};
  s.clrUsed = 6;
  s.data = PackRows(8, 3, 2, {0, 1, 2, 3, 4, 5}, true);
  return BuildBmp(s);
}

class GdiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gfx::ResetHeadlessPresenter();
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
    file = WriteBmp(dir.path(), "pic.bmp", Picture8());
  }
  void TearDown() override {
    if (surface) surface->Release();
    if (primary) primary->Release();
    if (pal) pal->Release();
    dd->Release();
  }
  // A display of the given depth and an off-screen surface of w × h on it.
  void Display(DWORD bpp, DWORD w, DWORD h) {
    ASSERT_EQ(dd->SetCooperativeLevel(reinterpret_cast<HWND>(1), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    ASSERT_EQ(dd->SetDisplayMode(8, 8, bpp, 0, 0), DD_OK);
    DDSURFACEDESC2 d{};
    d.dwFlags = DDSD_CAPS;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    ASSERT_EQ(dd->CreateSurface(&d, &primary, nullptr), DD_OK);
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = w;
    d.dwHeight = h;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    ASSERT_EQ(dd->CreateSurface(&d, &surface, nullptr), DD_OK);
  }
  std::vector<uint32_t> Pixels() { return SurfacePixels(surface); }
  // Runs f(surface DC, memory DC holding the bitmap of path).
  template <class F>
  void WithDcs(const std::string& path, F f) {
    HBITMAP bmp = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                                  LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_NE(bmp, nullptr);
    HDC mem = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mem, bmp);
    HDC dc = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    f(dc, mem);
    surface->ReleaseDC(dc);
    SelectObject(mem, old);
    DeleteDC(mem);
    EXPECT_TRUE(DeleteObject(bmp));
  }

  TempDir dir;
  std::string file;
  IDirectDraw7* dd = nullptr;
  IDirectDrawSurface7* primary = nullptr;
  IDirectDrawSurface7* surface = nullptr;
  IDirectDrawPalette* pal = nullptr;
};

TEST_F(GdiTest, LoadImageGivesABottomUpSectionAndItsColourTable) {
  HBITMAP bmp = static_cast<HBITMAP>(LoadImageA(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0,
                                                LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  ASSERT_NE(bmp, nullptr);
  BITMAP bm{};
  EXPECT_EQ(GetObjectA(bmp, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
  ASSERT_EQ(GetObjectA(bmp, sizeof bm, &bm), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(bm.bmWidth, 3);
  EXPECT_EQ(bm.bmHeight, 2);
  EXPECT_EQ(bm.bmBitsPixel, 8);
  EXPECT_EQ(bm.bmWidthBytes, 4);
  const uint8_t* bits = static_cast<const uint8_t*>(bm.bmBits);
  EXPECT_EQ(bits[0], 3);  // picture row 1 is stored first
  EXPECT_EQ(bits[4], 0);

  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ stock = SelectObject(mem, bmp);
  EXPECT_NE(stock, nullptr);
  RGBQUAD table[256];
  std::memset(table, 0xAA, sizeof table);
  EXPECT_EQ(GetDIBColorTable(mem, 0, 256, table), 256u);
  EXPECT_EQ(table[5].rgbRed, 0x80);
  EXPECT_EQ(table[0].rgbRed, 0xFF);
  EXPECT_EQ(table[0].rgbBlue, 0);
  EXPECT_EQ(table[6].rgbRed, 0);  // entries the file does not give are black
  EXPECT_EQ(table[255].rgbGreen, 0);
  EXPECT_EQ(GetDIBColorTable(mem, 250, 20, table), 6u);
  EXPECT_EQ(GetDeviceCaps(mem, BITSPIXEL), 8);
  EXPECT_FALSE(DeleteObject(bmp));  // still selected
  SelectObject(mem, stock);
  EXPECT_TRUE(DeleteObject(bmp));
  EXPECT_TRUE(DeleteDC(mem));
  EXPECT_FALSE(DeleteDC(mem));

  const std::string missing = dir.path() + "/missing.bmp";
  EXPECT_EQ(LoadImageA(nullptr, missing.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION), nullptr);
  const std::string cut = WriteBmp(dir.path(), "cut.bmp", Picture8().substr(0, 60));
  EXPECT_EQ(LoadImageA(nullptr, cut.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION), nullptr);
}

TEST_F(GdiTest, BitBltConvertsToTheSurfaceFormat) {
  struct Row {
    DWORD bpp;
    std::vector<uint32_t> expect;
  };
  const Row rows[] = {
      {32, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080}},
      {16, {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0x8410}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.bpp);
    TearDown();
    surface = primary = nullptr;
    pal = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
    Display(r.bpp, 3, 2);
    WithDcs(file, [&](HDC dc, HDC mem) {
      EXPECT_TRUE(BitBlt(dc, 0, 0, 3, 2, mem, 0, 0, SRCCOPY));
      EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), static_cast<int>(r.bpp));
    });
    EXPECT_EQ(Pixels(), r.expect);
  }
}

TEST_F(GdiTest, EightBitSurfacesTakeTheNearestPaletteEntry) {
  Display(8, 3, 2);
  PALETTEENTRY entries[256] = {};
  entries[10] = {0xF0, 0x00, 0x00, 0};
  entries[11] = {0x00, 0xF0, 0x00, 0};
  entries[12] = {0x00, 0x00, 0xF0, 0};
  entries[13] = {0xFF, 0xFF, 0xFF, 0};
  entries[14] = {0x70, 0x70, 0x70, 0};
  for (int i = 15; i < 256; ++i) entries[i] = entries[13];
  entries[0] = {0x00, 0x00, 0x08, 0};
  for (int i = 1; i < 10; ++i) entries[i] = entries[13];
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &pal, nullptr), DD_OK);
  primary->SetPalette(pal);
  WithDcs(file, [](HDC dc, HDC mem) { EXPECT_TRUE(BitBlt(dc, 0, 0, 3, 2, mem, 0, 0, SRCCOPY)); });
  EXPECT_EQ(Pixels(), (std::vector<uint32_t>{10, 11, 12, 1, 0, 14}));
}

TEST_F(GdiTest, StretchBltWithNegativeExtentsFlipsEachCellInPlace) {
  Display(32, 4, 2);
  // A 4 × 2 picture of two cells 2 pixels wide.
  BmpSpec s;
  s.width = 4;
  s.height = 2;
  s.bitCount = 24;
  s.data = PackRows(24, 4, 2, {1, 2, 3, 4, 5, 6, 7, 8});
  const std::string path = WriteBmp(dir.path(), "cells.bmp", BuildBmp(s));
  WithDcs(path, [](HDC dc, HDC mem) {
    EXPECT_TRUE(StretchBlt(dc, 1, 0, -2, 2, mem, 0, 0, 2, 2, SRCCOPY));
    EXPECT_TRUE(StretchBlt(dc, 3, 0, -2, 2, mem, 2, 0, 2, 2, SRCCOPY));
  });
  EXPECT_EQ(Pixels(), (std::vector<uint32_t>{2, 1, 4, 3, 6, 5, 8, 7}));
  WithDcs(path, [](HDC dc, HDC mem) {
    EXPECT_TRUE(StretchBlt(dc, 0, 1, 4, -2, mem, 0, 0, 4, 2, SRCCOPY));  // upside down
  });
  EXPECT_EQ(Pixels(), (std::vector<uint32_t>{5, 6, 7, 8, 1, 2, 3, 4}));
  WithDcs(path, [](HDC dc, HDC mem) {
    EXPECT_TRUE(StretchBlt(dc, 2, 0, 4, 1, mem, 0, 0, 2, 1, SRCCOPY));  // doubled, cut at the edge
    EXPECT_TRUE(BitBlt(dc, 0, 1, 4, 1, mem, 3, 1, SRCCOPY));            // source cut at its edge
  });
  EXPECT_EQ(Pixels(), (std::vector<uint32_t>{5, 6, 1, 1, 8, 2, 3, 4}));
}

class RecordingEngine : public GdiTextEngine {
 public:
  BOOL TextOut(HDC hdc, int x, int y, const char* text, int count) override {
    gfx::DcInfo info;
    EXPECT_TRUE(gfx::GetDcInfo(hdc, &info));
    drawn = std::string(text, static_cast<size_t>(count));
    at = {x, y};
    pixels = info.pixels;
    color = info.pixels ? gfx::ColorToPixel(info, info.textColor) : 0;
    bk = info.bkMode;
    const GdiFontDesc* f = gfx::GetFontDesc(info.font);
    face = f ? f->faceName : "";
    height = f ? f->height : 0;
    return TRUE;
  }
  BOOL GetTextExtent(HDC, const char*, int count, SIZE* size) override {
    size->cx = 8 * count;
    size->cy = 16;
    return TRUE;
  }
  std::string drawn, face;
  POINT at{};
  gfx::PixelBuffer* pixels = nullptr;
  uint32_t color = 0;
  int bk = 0, height = 0;
};

TEST_F(GdiTest, TextGoesToTheTextEngineWithTheDcState) {
  Display(16, 4, 4);
  HDC dc = nullptr;
  ASSERT_EQ(surface->GetDC(&dc), DD_OK);
  SIZE size{1, 1};
  EXPECT_TRUE(GetTextExtentPoint32A(dc, "abc", 3, &size));  // no engine: nothing measured
  EXPECT_EQ(size.cx, 0);
  EXPECT_TRUE(TextOutA(dc, 0, 0, "abc", 3));
  RecordingEngine engine;
  SetGdiTextEngine(&engine);
  HFONT font = CreateFontA(16, 8, 0, 0, 400, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0, 0, 0, "face");
  HGDIOBJ old = SelectObject(dc, font);
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  SetTextColor(dc, RGB(255, 0, 255));
  EXPECT_TRUE(TextOutA(dc, 3, 4, "text", 4));
  EXPECT_EQ(engine.drawn, "text");
  EXPECT_EQ(engine.at.x, 3);
  EXPECT_NE(engine.pixels, nullptr);
  EXPECT_EQ(engine.color, 0xF81Fu);
  EXPECT_EQ(engine.bk, TRANSPARENT);
  EXPECT_EQ(engine.face, "face");
  EXPECT_EQ(engine.height, 16);
  EXPECT_TRUE(GetTextExtentPoint32A(dc, "ab", 2, &size));
  EXPECT_EQ(size.cx, 16);
  SetGdiTextEngine(nullptr);
  EXPECT_FALSE(DeleteObject(font));
  SelectObject(dc, old);
  surface->ReleaseDC(dc);
  EXPECT_TRUE(DeleteObject(font));
}

TEST(GdiScreen, ScreenDcAndDisplaySettings) {
  gfx::ResetHeadlessPresenter();
  HDC dc = GetDC(nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
  EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
  DEVMODEA mode{};
  mode.dmSize = 148;
  mode.dmFields = DM_DISPLAYFREQUENCY;
  mode.dmDisplayFrequency = 60;
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_TEST), DISP_CHANGE_SUCCESSFUL);
  mode.dmDisplayFrequency = 75;
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_TEST), DISP_CHANGE_FAILED);
  EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
}

}  // namespace
