#include "platform/display.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace gfx {
namespace {

class HeadlessPresenter : public Presenter {
 public:
  DisplayMode DesktopMode() override { return DisplayMode{1920, 1080, 60, 32}; }
  void ClientSize(HWND, int* width, int* height) override {
    *width = 640;
    *height = 480;
  }
  void ClientOrigin(HWND, int* x, int* y) override { *x = *y = 0; }
  void SetFullscreen(HWND, bool on) override {
    std::lock_guard<std::mutex> lock(mutex_);
    fullscreen_ = on;
  }
  void ShowFrame(HWND hWnd, const PixelBuffer& frame, const uint32_t* palette, bool) override {
    std::lock_guard<std::mutex> lock(mutex_);
    last_.hWnd = hWnd;
    last_.width = frame.width;
    last_.height = frame.height;
    last_.argb.resize(static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height));
    ConvertToArgb(frame, palette, last_.argb.data(), frame.width);
    ++count_;
  }
  void WaitVerticalBlank() override {}

  int Count() {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
  }
  ShownFrame Last() {
    std::lock_guard<std::mutex> lock(mutex_);
    return last_;
  }
  bool Fullscreen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return fullscreen_;
  }
  void Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    last_ = ShownFrame{};
    count_ = 0;
    fullscreen_ = false;
  }

 private:
  std::mutex mutex_;
  ShownFrame last_;
  int count_ = 0;
  bool fullscreen_ = false;
};

HeadlessPresenter& Headless() {
  static HeadlessPresenter p;
  return p;
}

std::atomic<Presenter*> g_presenter{nullptr};

std::mutex g_memMutex;
int64_t g_memUsed = 0;
int64_t g_memBudget = -1;

}  // namespace

void SetPresenter(Presenter* presenter) { g_presenter.store(presenter); }

Presenter& CurrentPresenter() {
  Presenter* p = g_presenter.load();
  return p ? *p : Headless();
}

int HeadlessFrameCount() { return Headless().Count(); }
ShownFrame HeadlessLastFrame() { return Headless().Last(); }
bool HeadlessFullscreen() { return Headless().Fullscreen(); }
void ResetHeadlessPresenter() { Headless().Reset(); }

bool ReserveVideoMemory(int64_t bytes) {
  std::lock_guard<std::mutex> lock(g_memMutex);
  if (g_memBudget >= 0 && g_memUsed + bytes > g_memBudget) return false;
  g_memUsed += bytes;
  return true;
}

void ReleaseVideoMemory(int64_t bytes) {
  std::lock_guard<std::mutex> lock(g_memMutex);
  g_memUsed = std::max<int64_t>(0, g_memUsed - bytes);
}

int64_t VideoMemoryFree() {
  std::lock_guard<std::mutex> lock(g_memMutex);
  const int64_t total = g_memBudget >= 0 ? std::min(g_memBudget, kVideoMemoryTotal) : kVideoMemoryTotal;
  return std::max<int64_t>(0, total - g_memUsed);
}

void SetVideoMemoryBudgetForTest(int64_t bytes) {
  std::lock_guard<std::mutex> lock(g_memMutex);
  g_memBudget = bytes;
}

}  // namespace gfx
