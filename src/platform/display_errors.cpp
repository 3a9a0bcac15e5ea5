#include "platform/display_errors.h"

#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#ifdef TW_HAVE_XLIB
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#endif

namespace {

std::atomic<DisplayErrorHandler> g_handler{nullptr};

void Tell(const char* text, int bLost) {
  if (DisplayErrorHandler handler = g_handler.load()) {
    handler(text, bLost);
    return;
  }
  std::fprintf(stderr, "%s\n", text);
}

#ifdef TW_HAVE_XLIB
// A refused request: the error is told and the program goes on (the X library's own handler
// would end the process).
int OnXError(Display* display, XErrorEvent* e) {
  // SDL wakes a thread that waits for events by sending an event to one of its windows over a
  // connection of its own; a window the program has just closed (a dialog) refuses it. Nothing is
  // lost by that: it is not a failure of the display.
  if (e->error_code == BadWindow && e->request_code == X_SendEvent) return 0;
  char name[128] = "";
  XGetErrorText(display, e->error_code, name, sizeof name);
  char text[256];
  std::snprintf(text, sizeof text, "X error %s (request %d.%d) on resource 0x%lx", name, e->request_code, e->minor_code,
                static_cast<unsigned long>(e->resourceid));
  Tell(text, 0);
  return 0;
}

// The connection is gone: told, then the X library ends the process.
int OnXIoError(Display*) {
  Tell("X connection to the display lost", 1);
  return 0;
}
#endif

}  // namespace

void SetDisplayErrorHandler(DisplayErrorHandler lpfnHandler) { g_handler = lpfnHandler; }

void InstallDisplayErrorHandlers() {
#ifdef TW_HAVE_XLIB
  static std::atomic<bool> s_bInstalled{false};
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::strcmp(driver, "x11") != 0 || s_bInstalled.exchange(true)) return;
  XSetErrorHandler(&OnXError);
  XSetIOErrorHandler(&OnXIoError);
#endif
}
