#include "platform/display_errors.h"

#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

#ifdef TW_HAVE_XLIB
#include <SDL_syswm.h>
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

// The X windows of the program's windows that are watched, and the lock over them (the event
// watch runs on whichever thread reads the events).
std::mutex g_watchMutex;
std::set<Window> g_watched;

// The X window of an SDL window; 0 when it has none.
Window XWindowOf(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
  return info.info.x11.window;
}

// Sees every event as the display's events are read: the display's own report of a watched
// window destroyed is told. The event itself goes on to the queue.
int WatchEvents(void*, SDL_Event* e) {
  if (e->type != SDL_SYSWMEVENT || !e->syswm.msg || e->syswm.msg->subsystem != SDL_SYSWM_X11) return 1;
  const XEvent& x = e->syswm.msg->msg.x11.event;
  if (x.type != DestroyNotify) return 1;
  const Window gone = x.xdestroywindow.window;
  {
    std::lock_guard<std::mutex> lock(g_watchMutex);
    if (g_watched.erase(gone) == 0) return 1;
  }
  char text[128];
  std::snprintf(text, sizeof text, "window 0x%lx destroyed by another program", static_cast<unsigned long>(gone));
  Tell(text, 0);
  return 1;
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

void WatchWindowDestroy(SDL_Window* window) {
#ifdef TW_HAVE_XLIB
  const Window id = XWindowOf(window);
  if (!id) return;
  // The display's own events reach the program only as window-system events. The video's end
  // takes the watch away with the events' settings: they are put in place again for a window of
  // a later start of the video, and only once.
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  SDL_DelEventWatch(&WatchEvents, nullptr);
  SDL_AddEventWatch(&WatchEvents, nullptr);
  std::lock_guard<std::mutex> lock(g_watchMutex);
  g_watched.insert(id);
#else
  (void)window;
#endif
}

void UnwatchWindowDestroy(SDL_Window* window) {
#ifdef TW_HAVE_XLIB
  const Window id = XWindowOf(window);
  std::lock_guard<std::mutex> lock(g_watchMutex);
  g_watched.erase(id);
#else
  (void)window;
#endif
}
