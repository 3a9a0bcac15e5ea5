#include "platform/display_errors.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "x_display.h"

// Last: the X library's macros (None, Bool, ...) would break the headers above.
#include <X11/Xlib.h>

namespace {

std::vector<std::string> g_told;

void Record(const char* text, int bLost) {
  if (!bLost) g_told.push_back(text);
}

// The program's handlers on a real X display: a request refused for a window of this process
// that is gone is told (the program closes on it), except the event SDL sends to wake a waiting
// thread, which a window just closed refuses without anything being lost.
TEST(DisplayErrors, AWakeUpRefusedByAClosedWindowIsNoFailureAndOtherRefusalsAre) {
  if (!ProgramInstalled("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  XDisplay display;
  std::string error;
  ASSERT_TRUE(display.Start(&error)) << error;
  // SDL on that display for this test only (the suite runs on its dummy driver).
  const char* driver = getenv("SDL_VIDEODRIVER");
  const std::string driverBefore = driver ? driver : "";
  setenv("DISPLAY", display.Name().c_str(), 1);
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
  const XErrorHandler before = XSetErrorHandler(nullptr);
  XSetErrorHandler(before);
  const XIOErrorHandler beforeIo = XSetIOErrorHandler(nullptr);
  XSetIOErrorHandler(beforeIo);
  InstallDisplayErrorHandlers();
  SetDisplayErrorHandler(&Record);

  Display* dpy = XOpenDisplay(display.Name().c_str());
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
  SetDisplayErrorHandler(nullptr);
  XSetErrorHandler(before);
  XSetIOErrorHandler(beforeIo);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace
