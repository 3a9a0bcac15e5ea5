// What the software graphics devices need from the display and the main window: the desktop
// mode, the client area of a window, switching full screen, showing a finished frame and
// waiting for the vertical blank, and the video memory they pretend to have.
//
// The window layer installs the real presenter. Until it does (and in tests) the built-in
// headless presenter answers: a 640×480 client area at the origin, a desktop of 32 bits at
// 60 Hz, no waiting, and every frame shown is kept (converted to 0xAARRGGBB) for inspection.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/pixels.h"
#include "platform/wintypes.h"

namespace gfx {

struct DisplayMode {
  int width = 0;
  int height = 0;
  int refreshRate = 0;  // Hz
  int bitsPerPixel = 32;
};

class Presenter {
 public:
  virtual ~Presenter() = default;
  virtual DisplayMode DesktopMode() = 0;
  // The client area of a window, in pixels, and its top-left corner on the screen.
  virtual void ClientSize(HWND hWnd, int* width, int* height) = 0;
  virtual void ClientOrigin(HWND hWnd, int* x, int* y) = 0;
  // A device takes the whole screen (full screen) or gives it back.
  virtual void SetFullscreen(HWND hWnd, bool on) = 0;
  // Shows a finished frame in the window (the pixels are copied before the call returns);
  // 8-bit frames look their indices up in palette (256 words 0x00RRGGBB). vsync asks for the
  // frame to be shown in step with the display's refresh.
  virtual void ShowFrame(HWND hWnd, const PixelBuffer& frame, const uint32_t* palette, bool vsync) = 0;
  // Blocks until the next vertical blank of the display.
  virtual void WaitVerticalBlank() = 0;
};

// Installs a presenter (null: the headless one). The caller keeps it alive while installed.
void SetPresenter(Presenter* presenter);
Presenter& CurrentPresenter();

// The headless presenter's record of shown frames (tests and tools).
struct ShownFrame {
  HWND hWnd = nullptr;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;  // width × height, rows top-down
};
int HeadlessFrameCount();
ShownFrame HeadlessLastFrame();
bool HeadlessFullscreen();
void ResetHeadlessPresenter();

// Video memory: what the devices report and what their video-memory surfaces use up.
constexpr int64_t kVideoMemoryTotal = int64_t{512} << 20;
// Reserves bytes of video memory; false when the budget (unlimited unless a test sets one)
// would be exceeded.
bool ReserveVideoMemory(int64_t bytes);
void ReleaseVideoMemory(int64_t bytes);
int64_t VideoMemoryFree();
// Tests: a budget of video memory (bytes; negative: unlimited), to provoke out-of-memory paths.
void SetVideoMemoryBudgetForTest(int64_t bytes);

}  // namespace gfx
