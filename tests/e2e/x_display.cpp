#include "x_display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

long long NowMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// A lost display must not end the test program through the X library's default handler.
int QuietIoError(Display*) { return 0; }
int QuietError(Display*, XErrorEvent*) { return 0; }

}  // namespace

bool ProgramInstalled(const char* name) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string all = path;
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find(':', start);
    if (end == std::string::npos) end = all.size();
    const std::string file = all.substr(start, end - start) + "/" + name;
    if (end > start && access(file.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

XDisplay::~XDisplay() { Kill(); }

bool XDisplay::Start(std::string* error) {
  int fds[2];
  if (pipe(fds) != 0) {
    *error = "pipe failed";
    return false;
  }
  const std::string fd = std::to_string(fds[1]);
  server_ = fork();
  if (server_ == 0) {
    close(fds[0]);
    // Xvfb's own messages are of no use to the tests.
    if (FILE* null = std::fopen("/dev/null", "w")) {
      dup2(fileno(null), 2);
      dup2(fileno(null), 1);
    }
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  if (server_ < 0) {
    close(fds[0]);
    *error = "fork failed";
    return false;
  }
  // The server writes its display number and a line feed once it listens.
  std::string number;
  const long long end = NowMs() + 10000;
  while (NowMs() < end) {
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char c = 0;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) {
    *error = "Xvfb did not report a display number";
    Kill();
    return false;
  }
  name_ = ":" + number;
  XSetIOErrorHandler(&QuietIoError);
  XSetErrorHandler(&QuietError);
  dpy_ = XOpenDisplay(name_.c_str());
  if (!dpy_) {
    *error = "cannot connect to " + name_;
    Kill();
    return false;
  }
  // A key held by a test never repeats: on a loaded machine the time between xdotool's key down
  // and key up can pass the server's repeat delay, and a list would move on by itself.
  XAutoRepeatOff(dpy_);
  XSync(dpy_, False);
  return true;
}

bool XDisplay::Attach(const std::string& name) {
  name_ = name;
  XSetErrorHandler(&QuietError);
  dpy_ = XOpenDisplay(name_.c_str());
  return dpy_ != nullptr;
}

void XDisplay::Kill() {
  if (dpy_) {
    XCloseDisplay(dpy_);
    dpy_ = nullptr;
  }
  if (server_ > 0) {
    kill(server_, SIGTERM);
    int status = 0;
    waitpid(server_, &status, 0);
    server_ = -1;
  }
}

std::vector<unsigned long> XDisplay::WindowsOf(pid_t pid) const {
  std::vector<unsigned long> found;
  if (!dpy_) return found;
  XSync(dpy_, False);
  const Atom pidAtom = XInternAtom(dpy_, "_NET_WM_PID", False);
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(dpy_, DefaultRootWindow(dpy_), &root, &parent, &children, &count)) return found;
  for (unsigned int i = 0; i < count; ++i) {
    XWindowAttributes attr;
    if (!XGetWindowAttributes(dpy_, children[i], &attr) || attr.map_state != IsViewable) continue;
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy_, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after, &data) ==
            Success &&
        data) {
      if (items == 1 && format == 32 && static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid)
        found.push_back(children[i]);
      XFree(data);
    }
  }
  if (children) XFree(children);
  return found;
}

unsigned long XDisplay::WaitWindow(pid_t pid, const std::vector<unsigned long>& except, int ms) const {
  const long long end = NowMs() + ms;
  do {
    for (unsigned long w : WindowsOf(pid)) {
      bool known = false;
      for (unsigned long e : except) known = known || e == w;
      if (!known) return w;
    }
    usleep(20000);
  } while (NowMs() < end);
  return 0;
}

unsigned long XDisplay::WaitWindowNamed(const std::string& title, int ms) const {
  const long long end = NowMs() + ms;
  do {
    XSync(dpy_, False);
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    unsigned long found = 0;
    if (XQueryTree(dpy_, DefaultRootWindow(dpy_), &root, &parent, &children, &count)) {
      for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attr;
        if (!XGetWindowAttributes(dpy_, children[i], &attr) || attr.map_state != IsViewable) continue;
        if (WindowName(children[i]) == title) found = children[i];
      }
      if (children) XFree(children);
    }
    if (found) return found;
    usleep(20000);
  } while (NowMs() < end);
  return 0;
}

bool XDisplay::WaitWindowGone(unsigned long window, int ms) const {
  const long long end = NowMs() + ms;
  do {
    XSync(dpy_, False);
    XWindowAttributes attr;
    if (!XGetWindowAttributes(dpy_, window, &attr) || attr.map_state != IsViewable) return true;
    usleep(20000);
  } while (NowMs() < end);
  return false;
}

std::string XDisplay::WindowName(unsigned long window) const {
  std::string name;
  const Atom utf8 = XInternAtom(dpy_, "UTF8_STRING", False);
  const Atom netName = XInternAtom(dpy_, "_NET_WM_NAME", False);
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(dpy_, window, netName, 0, 1024, False, utf8, &type, &format, &items, &after, &data) == Success &&
      data) {
    name.assign(reinterpret_cast<char*>(data), items);
    XFree(data);
  }
  // A window that gives only WM_NAME (in the locale's encoding, UTF-8 here).
  char* plain = nullptr;
  if (name.empty() && XFetchName(dpy_, window, &plain) && plain) {
    name = plain;
    XFree(plain);
  }
  return name;
}

void XDisplay::Focus(unsigned long window) const {
  XRaiseWindow(dpy_, window);
  XSetInputFocus(dpy_, window, RevertToParent, CurrentTime);
  XSync(dpy_, False);
}

unsigned long XDisplay::FocusedWindow() const {
  if (!dpy_) return 0;
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(dpy_, &focus, &revert);
  return focus;
}

unsigned long XDisplay::OpenFocusedWindow() {
  if (!dpy_) return 0;
  const Window w = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, 64, 64, 0, 0, 0);
  if (!w) return 0;
  // Without a window manager the window is viewable once the server has mapped it, which it has
  // done when the sync returns: only then can it take the focus.
  XMapRaised(dpy_, w);
  XSync(dpy_, False);
  XWarpPointer(dpy_, None, w, 0, 0, 0, 0, 32, 32);
  Focus(w);
  return w;
}

bool XDisplay::Capture(unsigned long window, Shot* out) const {
  if (!dpy_) return false;
  const Window w = window ? window : DefaultRootWindow(dpy_);
  XWindowAttributes attr;
  if (!XGetWindowAttributes(dpy_, w, &attr)) return false;
  XImage* image = XGetImage(dpy_, w, 0, 0, static_cast<unsigned>(attr.width), static_cast<unsigned>(attr.height), AllPlanes,
                            ZPixmap);
  if (!image) return false;
  out->w = attr.width;
  out->h = attr.height;
  out->px.assign(static_cast<size_t>(out->w) * out->h, 0);
  // The masks of a 24-bit visual; each channel is brought to 8 bits.
  auto channel = [](unsigned long pixel, unsigned long mask) -> uint32_t {
    if (!mask) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    unsigned long bits = mask >> shift;
    unsigned long v = (pixel & mask) >> shift;
    return static_cast<uint32_t>(v * 255 / bits);
  };
  for (int y = 0; y < out->h; ++y)
    for (int x = 0; x < out->w; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      out->px[static_cast<size_t>(y) * out->w + x] = 0xFF000000u | channel(p, image->red_mask) << 16 |
                                                      channel(p, image->green_mask) << 8 | channel(p, image->blue_mask);
    }
  XDestroyImage(image);
  return true;
}

void XDisplay::RequestClose(unsigned long window) const {
  XEvent ev;
  std::memset(&ev, 0, sizeof ev);
  ev.xclient.type = ClientMessage;
  ev.xclient.window = window;
  ev.xclient.message_type = XInternAtom(dpy_, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy_, "WM_DELETE_WINDOW", False));
  ev.xclient.data.l[1] = CurrentTime;
  XSendEvent(dpy_, window, False, NoEventMask, &ev);
  XSync(dpy_, False);
}

int XDisplay::Xdotool(const std::vector<std::string>& args) const {
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("DISPLAY", name_.c_str(), 1);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>("xdotool"));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp("xdotool", argv.data());
    _exit(127);
  }
  if (pid < 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
