// The drawing layer on a test window: the core's test environment (logs, boxes, close
// requests), a main window over SDL's dummy driver, a presenter that keeps the frames shown and
// reports a desktop of a chosen refresh rate, the drivable clock, and the test sheet's colours
// in DDPalette. Every test ends with DDEnd.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "draw/draw.h"
#include "platform/display.h"
#include "support/temp_dir.h"

class TestPresenter : public gfx::Presenter {
 public:
  gfx::DisplayMode DesktopMode() override { return gfx::DisplayMode{1920, 1080, refreshRate, 32}; }
  void ClientSize(HWND, int* width, int* height) override {
    *width = 640;
    *height = 480;
  }
  void ClientOrigin(HWND hWnd, int* x, int* y) override;
  void SetFullscreen(HWND, bool on) override { fullscreen = on; }
  void ShowFrame(HWND, const gfx::PixelBuffer& frame, const uint32_t* palette, bool) override;
  void WaitVerticalBlank() override {}

  int refreshRate = 60;
  bool fullscreen = false;
  int frames = 0;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;  // the last frame shown, 0xAARRGGBB, rows top-down
  uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
};

class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Sets the layer up on the test window at 640 × 480 with the test's system image table.
  bool Init(int bDirect3D, int bpp, int windowMode, int vsync = 0, int backBuffers = 1);
  void InitOrFail(int bDirect3D, int bpp, int windowMode) { ASSERT_TRUE(Init(bDirect3D, bpp, windowMode)); }

  // BMP files in the test's folder; the returned name is the file's path (plain ASCII).
  // Palettes are 0x00RRGGBB; pixels are given top-down.
  std::string Bmp8(const std::string& name, int w, int h, const std::vector<uint32_t>& palette,
                   const std::vector<uint32_t>& indices);
  std::string Bmp24(const std::string& name, int w, int h, const std::vector<uint32_t>& rgb);
  // The test sheet, 32 × 24 at 8 bits: pixel (0, 0) is index 0, the transparent magenta; the
  // rest of row 0 is red (1), rows 1..7 green (2); columns 0..15 of rows 8..23 hold indices
  // 0..255 in order (the palette block), columns 16..31 white (4).
  std::string SheetBmp();

  // The raw pixel values of a surface through the layer's lock, rows top-down, and one pixel.
  std::vector<DWORD> Pixels(DDSURFACEDATA* sd);
  DWORD Pixel(DDSURFACEDATA* sd, int x, int y);

  // The pixels of a DirectDraw surface object.
  static DWORD SurfacePixel(IDirectDrawSurface7* s, int x, int y);

  // The display count of the cursor, read and set through ShowCursor.
  static int CursorCount();
  static void SetCursorCount(int n);

  std::string Report() const { return env->ReportText(); }
  std::string Errors() const { return env->ErrorText(); }
  size_t CountBoxes(const std::string& text) const;

  std::unique_ptr<CoreTestEnv> env;
  HWND hwnd = nullptr;
  TestPresenter presenter;
  BitmapEntry table[DD_SYSTEM_IMAGE_COUNT];
  // A test that leaves a DirectDraw surface unreleased on purpose sets this.
  bool expectLeakBox = false;

 private:
  const BitmapEntry* oldImageTable_ = nullptr;
};

// The sheet's colour table: 0 magenta, 1 red, 2 green, 3 blue, 4 white, 5 cyan, then greys
// n, n, n (0x00RRGGBB).
uint32_t SheetColor(int index);
std::vector<uint32_t> SheetPalette();

// A system image table entry: file, transparency, DirectDraw memory, Direct3D memory type,
// no texture, palette map, optional, mirror cells, size of an empty surface.
BitmapEntry Entry(const char* file, int transmit, int ddMemory, int d3dMemory, int noTexture, int paletteMap,
                  int optional, int mirrorW, int mirrorH, int w, int h);

// A 0xAARRGGBB colour from a shown frame without its alpha.
inline uint32_t Rgb(uint32_t argb) { return argb & 0x00FFFFFFu; }
