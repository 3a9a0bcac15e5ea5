// A virtual X display for the tests that run the player in a real window, and for the
// screenshot tool: Xvfb on a free display number, the windows of a process, their pixels, keys
// pressed through xdotool, and the window manager's close request.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

// Pixels read back from the display, 0xAARRGGBB (alpha 0xFF), rows top-down.
struct Shot {
  int w = 0;
  int h = 0;
  std::vector<uint32_t> px;
  uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
};

// Whether the program is found on the PATH.
bool ProgramInstalled(const char* name);

class XDisplay {
 public:
  XDisplay() = default;
  ~XDisplay();
  XDisplay(const XDisplay&) = delete;
  XDisplay& operator=(const XDisplay&) = delete;

  // Starts Xvfb with one 1024 × 768 screen of 24 bits on the first free display number and
  // connects to it; held keys do not repeat. False, with the reason, when it does not come up.
  bool Start(std::string* error);
  // Connects to a display already running (name as in DISPLAY), without owning it.
  bool Attach(const std::string& name);
  // ":N", for DISPLAY.
  const std::string& Name() const { return name_; }
  Display* Connection() const { return dpy_; }
  // Ends Xvfb at once (as a lost display does to its clients).
  void Kill();

  // The mapped top-level windows that process pid made (by their _NET_WM_PID), oldest first.
  std::vector<unsigned long> WindowsOf(pid_t pid) const;
  // Waits up to ms for a mapped window of pid other than those in `except`; 0 when none came.
  unsigned long WaitWindow(pid_t pid, const std::vector<unsigned long>& except, int ms) const;
  // Waits up to ms for a mapped top-level window of that title (UTF-8), whoever made it (a message
  // box of SDL's gives no process id); 0 when none came.
  unsigned long WaitWindowNamed(const std::string& title, int ms) const;
  // Waits up to ms until the window is gone or unmapped.
  bool WaitWindowGone(unsigned long window, int ms) const;
  // The window's title (UTF-8).
  std::string WindowName(unsigned long window) const;
  // Raises the window and gives it the keyboard focus (there is no window manager to do it).
  void Focus(unsigned long window) const;
  // The window that has the keyboard focus (0 or 1 for none or the pointer's).
  unsigned long FocusedWindow() const;
  // Opens a small window of the test's own in the screen's top left corner, as another program
  // the person turns to: it has the pointer and the keyboard focus. It stays until the display is
  // killed. Its number, 0 when it cannot be made.
  unsigned long OpenFocusedWindow();
  // The window's pixels (0 for the root: the whole screen); false when it cannot be read.
  bool Capture(unsigned long window, Shot* out) const;
  // Asks the window to close as a window manager does (WM_DELETE_WINDOW).
  void RequestClose(unsigned long window) const;

  // Runs xdotool on this display with the arguments (e.g. {"key", "Return"}); its exit status.
  int Xdotool(const std::vector<std::string>& args) const;

 private:
  std::string name_;
  Display* dpy_ = nullptr;
  pid_t server_ = -1;
};
