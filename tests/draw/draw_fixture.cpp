#include "draw_fixture.h"

#include <cstdio>

#include "../platform/bmp_builder.h"
#include "core/frame_timing.h"
#include "platform/time.h"
#include "platform/window.h"

namespace {

LRESULT TestWindowProc(HWND h, UINT msg, WPARAM w, LPARAM l) { return DefWindowProcA(h, msg, w, l); }

void RegisterTestClass() {
  static const bool registered = [] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TestWindowProc;
    wc.lpszClassName = "DrawTestWindow";
    return RegisterClassExA(&wc) != 0;
  }();
  (void)registered;
}

}  // namespace

void TestPresenter::ClientOrigin(HWND hWnd, int* x, int* y) {
  POINT p{0, 0};
  ClientToScreen(hWnd, &p);
  *x = static_cast<int>(p.x);
  *y = static_cast<int>(p.y);
}

void TestPresenter::ShowFrame(HWND, const gfx::PixelBuffer& frame, const uint32_t* palette, bool) {
  width = frame.width;
  height = frame.height;
  argb.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  gfx::ConvertToArgb(frame, palette, argb.data(), width);
  ++frames;
}

void DrawTest::SetUp() {
  env = std::make_unique<CoreTestEnv>(true);
  RegisterTestClass();
  hwnd = CreateWindowExA(0, "DrawTestWindow", "draw", WS_POPUP | WS_CAPTION, 0, 0, 640, 480, nullptr, nullptr, nullptr,
                         nullptr);
  ASSERT_NE(hwnd, nullptr);
  gfx::SetPresenter(&presenter);
  oldImageTable_ = g_SystemImageTable;
  UseTestClock(10000);
  ResetFrameTiming();
  // The sheet's colours, until a test loads a palette of its own.
  for (int i = 0; i < 256; ++i) {
    const uint32_t c = SheetColor(i);
    DDPalette[i] = PALETTEENTRY{static_cast<BYTE>(c >> 16), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c), 0};
  }
}

void DrawTest::TearDown() {
  DDEnd();
  if (!expectLeakBox) {
    EXPECT_EQ(CountBoxes("解放漏れがあります"), 0u) << "a DirectDraw object was left";
  }
  g_lpfnGetDisplayDdiVersion = nullptr;
  gfx::SetVideoMemoryBudgetForTest(-1);
  if (hwnd) DestroyWindow(hwnd);
  gfx::SetPresenter(nullptr);
  // The layer keeps a pointer to the test's image table, which goes with the test.
  g_SystemImageTable = oldImageTable_;
  UseSystemClock();
  ResetFrameTiming();
  env.reset();
}

bool DrawTest::Init(int bDirect3D, int bpp, int windowMode, int vsync, int backBuffers) {
  return DDInit(bDirect3D, hwnd, 640, 480, bpp, vsync, windowMode, backBuffers, 60, vsync, g_SystemImage, table,
                DD_SYSTEM_IMAGE_COUNT);
}

std::string DrawTest::Bmp8(const std::string& name, int w, int h, const std::vector<uint32_t>& palette,
                           const std::vector<uint32_t>& indices) {
  BmpSpec spec;
  spec.width = w;
  spec.height = h;
  spec.bitCount = 8;
  spec.palette = palette;
  spec.clrUsed = palette.size() < 256 ? static_cast<uint32_t>(palette.size()) : 0;
  spec.data = PackRows(8, w, h, indices);
  return WriteBmp(env->dir().path(), name, BuildBmp(spec));
}

std::string DrawTest::Bmp24(const std::string& name, int w, int h, const std::vector<uint32_t>& rgb) {
  BmpSpec spec;
  spec.width = w;
  spec.height = h;
  spec.bitCount = 24;
  spec.data = PackRows(24, w, h, rgb);
  return WriteBmp(env->dir().path(), name, BuildBmp(spec));
}

BitmapEntry Entry(const char* file, int transmit, int ddMemory, int d3dMemory, int noTexture, int paletteMap,
                  int optional, int mirrorW, int mirrorH, int w, int h) {
  BitmapEntry e;
  std::snprintf(e.szFileName, sizeof e.szFileName, "%s", file);
  e.nTransmit = transmit;
  e.nDDMemory = ddMemory;
  e.nD3DMemory = d3dMemory;
  e.bNoTexture = noTexture;
  e.bPaletteMap = paletteMap;
  e.bOptional = optional;
  e.nMirrorCellW = mirrorW;
  e.nMirrorCellH = mirrorH;
  e.nWidth = w;
  e.nHeight = h;
  return e;
}

uint32_t SheetColor(int index) {
  static const uint32_t kFirst[] = {0xFF00FF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x00FFFF};
  if (index < 6) return kFirst[index];
  const uint32_t n = static_cast<uint32_t>(index);
  return n << 16 | n << 8 | n;
}

std::vector<uint32_t> SheetPalette() {
  std::vector<uint32_t> p;
  for (int i = 0; i < 256; ++i) p.push_back(SheetColor(i));
  return p;
}

std::string DrawTest::SheetBmp() {
  std::vector<uint32_t> px(32 * 24);
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 32; ++x) {
      uint32_t v = 4;
      if (y == 0) {
        v = x == 0 ? 0 : 1;
      } else if (y < 8) {
        v = 2;
      } else if (x < 16) {
        v = static_cast<uint32_t>((y - 8) * 16 + x);
      }
      px[static_cast<size_t>(y * 32 + x)] = v;
    }
  }
  return Bmp8("sheet.bmp", 32, 24, SheetPalette(), px);
}

std::vector<DWORD> DrawTest::Pixels(DDSURFACEDATA* sd) {
  cSurfaceLock lock(sd);
  EXPECT_TRUE(lock.Locked());
  std::vector<DWORD> out;
  if (!lock.Locked()) return out;
  for (int y = 0; y < lock.m_nHeight; ++y) {
    for (int x = 0; x < lock.m_nWidth; ++x) out.push_back(lock.Get(x, y));
  }
  return out;
}

DWORD DrawTest::Pixel(DDSURFACEDATA* sd, int x, int y) {
  cSurfaceLock lock(sd);
  EXPECT_TRUE(lock.Locked());
  return lock.Locked() ? lock.Get(x, y) : 0xDEADBEEFu;
}

DWORD DrawTest::SurfacePixel(IDirectDrawSurface7* s, int x, int y) { return s->pixels.Get(x, y); }

int DrawTest::CursorCount() {
  const int count = ShowCursor(TRUE) - 1;
  ShowCursor(FALSE);
  return count;
}

void DrawTest::SetCursorCount(int n) {
  int count = CursorCount();
  while (count < n) count = ShowCursor(TRUE);
  while (count > n) count = ShowCursor(FALSE);
}

size_t DrawTest::CountBoxes(const std::string& text) const {
  size_t n = 0;
  for (const CoreTestEnv::Box& b : env->Boxes()) n += b.text == text ? 1 : 0;
  return n;
}
