#include "platform/display_errors.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "support/wait.h"
#include "x_display.h"

// Last: the X library's macros (None, Bool, ...) would break the headers above.
#include <SDL_syswm.h>
#include <X11/Xlib.h>

namespace {

std::vector<std::string> g_told;

void Record(const char* text, int bLost) {
  if (!bLost) g_told.push_back(text);
}

// SDL's video on a real X display of its own, for this test only (the suite runs on SDL's dummy
// driver), and a connection of another program to it; the program's failures are recorded.
class DisplayErrors : public testing::Test {
 protected:
  void SetUp() override {
    if (!ProgramInstalled("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    std::string error;
    ASSERT_TRUE(display_.Start(&error)) << error;
    const char* driver = getenv("SDL_VIDEODRIVER");
    const std::string driverBefore = driver ? driver : "";
    setenv("DISPLAY", display_.Name().c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
#if defined(__SANITIZE_ADDRESS__)
    // SDL's X11 video starts the D-Bus library, which keeps memory to the process's end.
    __lsan_disable();
#endif
    const int init = SDL_InitSubSystem(SDL_INIT_VIDEO);
#if defined(__SANITIZE_ADDRESS__)
    __lsan_enable();
#endif
    if (driverBefore.empty()) {
      unsetenv("SDL_VIDEODRIVER");
    } else {
      setenv("SDL_VIDEODRIVER", driverBefore.c_str(), 1);
    }
    ASSERT_EQ(init, 0) << SDL_GetError();
    video_ = true;
    g_told.clear();
    SetDisplayErrorHandler(&Record);
    other_ = XOpenDisplay(display_.Name().c_str());
    ASSERT_NE(other_, nullptr);
  }
  void TearDown() override {
    if (other_) XCloseDisplay(other_);
    SetDisplayErrorHandler(nullptr);
    if (video_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  XDisplay display_;
  bool video_ = false;
  Display* other_ = nullptr;
};

// The program's handlers on a real X display: a request refused for a window of this process
// that is gone is told (the program closes on it), except the event SDL sends to wake a waiting
// thread, which a window just closed refuses without anything being lost.
TEST_F(DisplayErrors, AWakeUpRefusedByAClosedWindowIsNoFailureAndOtherRefusalsAre) {
  const XErrorHandler before = XSetErrorHandler(nullptr);
  XSetErrorHandler(before);
  const XIOErrorHandler beforeIo = XSetIOErrorHandler(nullptr);
  XSetIOErrorHandler(beforeIo);
  InstallDisplayErrorHandlers();

  Display* dpy = XOpenDisplay(display_.Name().c_str());
  ASSERT_NE(dpy, nullptr);
  const Window gone = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 10, 10, 0, 0, 0);
  XDestroyWindow(dpy, gone);
  XSync(dpy, False);
  XEvent wake{};
  wake.xclient.type = ClientMessage;
  wake.xclient.window = gone;
  wake.xclient.format = 32;
  XSendEvent(dpy, gone, False, NoEventMask, &wake);
  XSync(dpy, False);
  EXPECT_TRUE(g_told.empty()) << g_told.front();
  XMapWindow(dpy, gone);
  XSync(dpy, False);
  ASSERT_EQ(g_told.size(), 1u);
  EXPECT_NE(g_told[0].find("X error BadWindow"), std::string::npos) << g_told[0];
  EXPECT_NE(g_told[0].find("(request 8.0)"), std::string::npos) << g_told[0];  // MapWindow

  XCloseDisplay(dpy);
  XSetErrorHandler(before);
  XSetIOErrorHandler(beforeIo);
}

// The X refusals that follow a window's loss are not what this test looks at.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// The X window of an SDL window.
Window XWindowOf(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  return SDL_GetWindowWMInfo(window, &info) ? info.info.x11.window : 0;
}

// Another program destroys a watched window: told once, as the events are read, with the window's
// number, though the program makes no request on it. A window the program takes back and destroys
// itself, and one it never named, are not told.
TEST_F(DisplayErrors, AWatchedWindowDestroyedByAnotherProgramIsToldOnce) {
  const XErrorHandler before = XSetErrorHandler(&IgnoreXError);
  SDL_Window* watched = SDL_CreateWindow("watched", 0, 0, 32, 32, SDL_WINDOW_SHOWN);
  SDL_Window* taken = SDL_CreateWindow("taken back", 40, 0, 32, 32, SDL_WINDOW_SHOWN);
  SDL_Window* unnamed = SDL_CreateWindow("never named", 80, 0, 32, 32, SDL_WINDOW_SHOWN);
  ASSERT_TRUE(watched && taken && unnamed) << SDL_GetError();
  WatchWindowDestroy(watched);
  WatchWindowDestroy(taken);
  const Window id = XWindowOf(watched);
  ASSERT_NE(id, 0u);
  // Events are read until the display has none left for a while.
  auto readEvents = [] {
    for (int i = 0; i < 50; ++i) {
      SDL_Event e;
      while (SDL_PollEvent(&e)) {
      }
      SDL_Delay(10);
    }
  };
  readEvents();
  ASSERT_TRUE(g_told.empty()) << g_told.front();

  XDestroyWindow(other_, id);
  XDestroyWindow(other_, XWindowOf(unnamed));
  XSync(other_, False);
  const std::string line = "window 0x" + [&] {
    char hex[32];
    std::snprintf(hex, sizeof hex, "%lx", static_cast<unsigned long>(id));
    return std::string(hex);
  }() + " destroyed by another program";
  EXPECT_TRUE(WaitFor(
      [&] {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
        return !g_told.empty();
      },
      LoadStretchedMs(5000)));
  UnwatchWindowDestroy(taken);
  SDL_DestroyWindow(taken);
  readEvents();
  ASSERT_EQ(g_told, std::vector<std::string>{line});

  SDL_DestroyWindow(unnamed);
  SDL_DestroyWindow(watched);
  XSync(other_, False);
  XSetErrorHandler(before);
}

}  // namespace
