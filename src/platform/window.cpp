#include "platform/window.h"

#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/dialog.h"
#include "platform/display.h"
#include "platform/display_errors.h"
#include "platform/gdi.h"
#include "platform/input.h"
#include "platform/message.h"
#include "platform/msgbox.h"
#include "platform/sjis.h"
#include "platform/thread.h"
#include "platform/video.h"

namespace {

constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;
constexpr int kUseDefault = static_cast<int>(0x80000000u);

struct WindowRecord {
  HWND hwnd = nullptr;
  std::string className;
  std::string title;  // Shift-JIS
  DWORD style = 0;
  DWORD exStyle = 0;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  DWORD thread = 0;
  SDL_Window* sdl = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int textureWidth = 0;
  int textureHeight = 0;
  bool rendererVsync = false;
  // Geometry as last set or seen: the client area on the screen.
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool visible = false;
  bool minimized = false;
  bool maximized = false;
  bool fullscreen = false;
  // The last frame handed over, converted to 0xAARRGGBB words as it was handed over (the one
  // pass over its pixels before SDL's upload); pending until the window thread shows it.
  bool framePending = false;
  bool frameVsync = false;
  std::vector<uint32_t> shown;
  int shownWidth = 0;
  int shownHeight = 0;
  int shownCount = 0;
};

std::mutex g_mutex;  // the classes, the windows and their fields
std::map<std::string, WNDCLASSEXA> g_classes;
std::map<std::string, std::string> g_classNames;
std::map<HWND, std::unique_ptr<WindowRecord>> g_windows;
std::vector<std::function<void()>> g_tasks;  // work for the window thread
std::function<void(const SDL_Event&)> g_foreign;
std::atomic<DWORD> g_windowThread{0};
std::atomic<int> g_cursorCount{0};
HWND g_activeWindow = nullptr;
bool g_appActive = false;
gfx::DisplayMode g_desktop{1920, 1080, 60, 32};
SDL_Rect g_workArea{0, 0, 1920, 1080};

const HWND kDesktopWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10010));

std::string Lower(const char* s) {
  std::string out = s ? s : "";
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

WindowRecord* Find(HWND h) {
  auto it = g_windows.find(h);
  return it == g_windows.end() ? nullptr : it->second.get();
}

WindowRecord* FindBySdl(Uint32 id) {
  for (auto& [h, w] : g_windows) {
    if (w->sdl && SDL_GetWindowID(w->sdl) == id) return w.get();
  }
  return nullptr;
}

bool OnWindowThread() { return g_windowThread.load() != 0 && g_windowThread.load() == GetCurrentThreadId(); }

// Runs f now on the window thread, or on its next pump from any other thread.
void OnWindowThreadDo(std::function<void()> f) {
  if (OnWindowThread()) {
    f();
    return;
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  g_tasks.push_back(std::move(f));
}

std::atomic<bool> g_desktopRead{false};

void ReadDesktop() {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    g_desktopRead = true;
    std::lock_guard<std::mutex> lock(g_mutex);
    g_desktop.width = mode.w;
    g_desktop.height = mode.h;
    // A display that does not tell its rate is taken to run at 60 Hz.
    g_desktop.refreshRate = mode.refresh_rate > 0 ? mode.refresh_rate : 60;
    g_desktop.bitsPerPixel = 32;
  }
  SDL_Rect r;
  if (SDL_GetDisplayUsableBounds(0, &r) == 0) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_workArea = r;
  }
}

// The desktop as the display tells it, also before the first window (a dialog or box shown
// first sets SDL's video up itself).
void KnowDesktop() {
  if (!g_desktopRead.load() && SDL_WasInit(SDL_INIT_VIDEO)) ReadDesktop();
}

LPARAM MakeLParam(int lo, int hi) {
  return static_cast<LPARAM>((static_cast<uint32_t>(lo) & 0xFFFF) | ((static_cast<uint32_t>(hi) & 0xFFFF) << 16));
}

// The procedure every window of this layer is registered with: it calls the window's current
// procedure (which subclassing may change).
LRESULT Trampoline(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  WNDPROC proc = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (WindowRecord* w = Find(hWnd)) proc = w->proc;
  }
  return proc ? proc(hWnd, Msg, wParam, lParam) : DefWindowProcA(hWnd, Msg, wParam, lParam);
}

// The application becomes active or inactive: every window hears of it. Becoming active with
// a window makes it the active window; without one (a dialog of the program took the focus)
// the active window stays.
void SetAppActive(bool on, HWND window) {
  std::vector<HWND> all;
  bool change = false;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (on && window) g_activeWindow = window;
    change = g_appActive != on;
    g_appActive = on;
    if (change) {
      for (auto& [h, w] : g_windows) all.push_back(h);
    }
  }
  if (on && window) SetActiveWindowHandle(window);
  if (!change) return;
  if (!on) {
    SetActiveWindowHandle(nullptr);
    input_internal::ReleaseAllKeys();
  }
  for (HWND h : all) SendMessageA(h, WM_ACTIVATEAPP, on ? TRUE : FALSE, 0);
}

// Whether input reaches the window: a disabled window (WS_DISABLED) takes none, as while a
// modal dialog of its own runs over it.
bool AcceptsInput(HWND h) {
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowRecord* w = Find(h);
  return w && !(w->style & WS_DISABLED);
}

// Sends WM_SIZE and WM_MOVE for what changed in a window's geometry.
void GeometryChanged(HWND h, bool moved, bool sized) {
  int x = 0, y = 0, width = 0, height = 0;
  WPARAM kind = SIZE_RESTORED;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    WindowRecord* w = Find(h);
    if (!w) return;
    x = w->x;
    y = w->y;
    width = w->width;
    height = w->height;
    kind = w->minimized ? SIZE_MINIMIZED : w->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
    if (w->minimized) width = height = 0;
  }
  if (sized) SendMessageA(h, WM_SIZE, kind, MakeLParam(width, height));
  if (moved) SendMessageA(h, WM_MOVE, 0, MakeLParam(x, y));
}

// Asks the window for its size limits and hands them to the display (resizable windows).
void ApplySizeLimits(HWND h) {
  MINMAXINFO mmi{};
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    mmi.ptMaxSize = POINT{g_desktop.width, g_desktop.height};
    mmi.ptMinTrackSize = POINT{1, 1};
    mmi.ptMaxTrackSize = POINT{g_desktop.width, g_desktop.height};
  }
  SendMessageA(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowRecord* w = Find(h);
  if (!w || !w->sdl) return;
  const bool resizable = (w->style & WS_THICKFRAME) != 0;
  SDL_SetWindowResizable(w->sdl, resizable ? SDL_TRUE : SDL_FALSE);
  if (resizable) {
    SDL_SetWindowMinimumSize(w->sdl, std::max<int>(1, static_cast<int>(mmi.ptMinTrackSize.x)),
                             std::max<int>(1, static_cast<int>(mmi.ptMinTrackSize.y)));
    SDL_SetWindowMaximumSize(w->sdl, std::max<int>(1, static_cast<int>(mmi.ptMaxTrackSize.x)),
                             std::max<int>(1, static_cast<int>(mmi.ptMaxTrackSize.y)));
  }
}

// Shows the pending frame of a window (window thread).
void RenderWindow(WindowRecord& w, bool again) {
  if (!w.framePending && !again) return;
  if (w.framePending) {
    w.framePending = false;
    ++w.shownCount;
  }
  if (!w.renderer || w.shown.empty()) return;
  if (!w.texture || w.textureWidth != w.shownWidth || w.textureHeight != w.shownHeight) {
    if (w.texture) SDL_DestroyTexture(w.texture);
    w.texture = SDL_CreateTexture(w.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, w.shownWidth,
                                  w.shownHeight);
    w.textureWidth = w.shownWidth;
    w.textureHeight = w.shownHeight;
    if (!w.texture) return;
  }
  if (w.rendererVsync != w.frameVsync) {
    SDL_RenderSetVSync(w.renderer, w.frameVsync ? 1 : 0);
    w.rendererVsync = w.frameVsync;
  }
  SDL_UpdateTexture(w.texture, nullptr, w.shown.data(), w.shownWidth * 4);
  SDL_RenderSetLogicalSize(w.renderer, w.shownWidth, w.shownHeight);
  SDL_SetRenderDrawColor(w.renderer, 0, 0, 0, 255);
  SDL_RenderClear(w.renderer);
  SDL_RenderCopy(w.renderer, w.texture, nullptr, nullptr);
  SDL_RenderPresent(w.renderer);
}

void RenderPending() {
  std::lock_guard<std::mutex> lock(g_mutex);
  for (auto& [h, w] : g_windows) RenderWindow(*w, false);
}

WPARAM MouseKeys() {
  WPARAM k = 0;
  const Uint32 b = SDL_GetMouseState(nullptr, nullptr);
  if (b & SDL_BUTTON_LMASK) k |= MK_LBUTTON;
  if (b & SDL_BUTTON_RMASK) k |= MK_RBUTTON;
  if (b & SDL_BUTTON_MMASK) k |= MK_MBUTTON;
  const SDL_Keymod mod = SDL_GetModState();
  if (mod & KMOD_SHIFT) k |= MK_SHIFT;
  if (mod & KMOD_CTRL) k |= MK_CONTROL;
  return k;
}

// The window an input event belongs to: its SDL window, else the active window.
HWND InputWindow(Uint32 sdlId, bool* foreign) {
  std::lock_guard<std::mutex> lock(g_mutex);
  *foreign = false;
  if (sdlId != 0) {
    if (WindowRecord* w = FindBySdl(sdlId)) return w->hwnd;
    *foreign = SDL_GetWindowFromID(sdlId) != nullptr;
  }
  if (g_activeWindow && Find(g_activeWindow)) return g_activeWindow;
  return g_windows.empty() ? nullptr : g_windows.begin()->first;
}

void KeyEvent(const SDL_KeyboardEvent& e) {
  const bool down = e.type == SDL_KEYDOWN;
  const input_internal::WinKey k = input_internal::TranslateKey(e.keysym.scancode, e.keysym.sym);
  if (k.vk == 0) return;
  const bool was = input_internal::SetKeyDown(k.vk, down);
  bool foreign = false;
  HWND h = InputWindow(e.windowID, &foreign);
  if (!h || foreign || !AcceptsInput(h)) return;
  // The generic codes for the left and right shift, control and Alt keys, as Windows sends.
  int vk = k.vk;
  if (vk == VK_LSHIFT || vk == VK_RSHIFT) vk = VK_SHIFT;
  if (vk == VK_LCONTROL || vk == VK_RCONTROL) vk = VK_CONTROL;
  if (vk == VK_LMENU || vk == VK_RMENU) vk = VK_MENU;
  const bool alt = (SDL_GetModState() & KMOD_ALT) != 0 || vk == VK_MENU;
  const bool sys = alt || vk == VK_F1 + 9;
  uint32_t l = 1u | static_cast<uint32_t>(k.scan & 0xFF) << 16;
  if (k.extended) l |= 1u << 24;
  if (alt) l |= 1u << 29;
  if (!down || was) l |= 1u << 30;
  if (!down) l |= 1u << 31;
  const UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  PostMessageA(h, msg, static_cast<WPARAM>(vk), static_cast<LPARAM>(static_cast<int32_t>(l)));
}

void MouseButton(const SDL_MouseButtonEvent& e) {
  const bool down = e.type == SDL_MOUSEBUTTONDOWN;
  int vk = 0;
  UINT msg = 0;
  switch (e.button) {
    case SDL_BUTTON_LEFT:
      vk = VK_LBUTTON;
      msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
      break;
    case SDL_BUTTON_RIGHT:
      vk = VK_RBUTTON;
      msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
      break;
    case SDL_BUTTON_MIDDLE:
      vk = VK_MBUTTON;
      msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
      break;
    case SDL_BUTTON_X1:
      vk = VK_XBUTTON1;
      break;
    case SDL_BUTTON_X2:
      vk = VK_XBUTTON2;
      break;
    default:
      return;
  }
  input_internal::SetKeyDown(vk, down);
  bool foreign = false;
  HWND h = InputWindow(e.windowID, &foreign);
  if (h && !foreign && msg && AcceptsInput(h)) PostMessageA(h, msg, MouseKeys(), MakeLParam(e.x, e.y));
}

// Work the pump does after it has read the events: messages that are sent (their procedures
// may pump again, so they run once the events are read).
struct Sends {
  std::vector<std::pair<HWND, std::pair<bool, bool>>> geometry;  // moved, sized
  int focus = 0;        // 1 gained, -1 lost
  HWND focusWindow = nullptr;
};

void WindowEvent(const SDL_WindowEvent& e, Sends& sends) {
  HWND h = nullptr;
  bool moved = false, sized = false, paint = false, close = false;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    WindowRecord* w = FindBySdl(e.windowID);
    if (!w) return;
    h = w->hwnd;
    switch (e.event) {
      case SDL_WINDOWEVENT_SHOWN:
        w->visible = true;
        break;
      case SDL_WINDOWEVENT_HIDDEN:
        w->visible = false;
        break;
      case SDL_WINDOWEVENT_EXPOSED:
        paint = true;
        RenderWindow(*w, true);
        break;
      case SDL_WINDOWEVENT_MOVED:
        moved = w->x != e.data1 || w->y != e.data2;
        w->x = e.data1;
        w->y = e.data2;
        break;
      case SDL_WINDOWEVENT_SIZE_CHANGED:
        sized = w->width != e.data1 || w->height != e.data2;
        w->width = e.data1;
        w->height = e.data2;
        if (sized) RenderWindow(*w, true);
        break;
      case SDL_WINDOWEVENT_MINIMIZED:
        sized = !w->minimized;
        w->minimized = true;
        break;
      case SDL_WINDOWEVENT_MAXIMIZED:
        sized = !w->maximized || w->minimized;
        w->maximized = true;
        w->minimized = false;
        break;
      case SDL_WINDOWEVENT_RESTORED:
        sized = w->minimized || w->maximized;
        w->minimized = w->maximized = false;
        break;
      case SDL_WINDOWEVENT_FOCUS_GAINED:
        sends.focus = 1;
        sends.focusWindow = h;
        break;
      case SDL_WINDOWEVENT_FOCUS_LOST:
        if (sends.focus == 0) sends.focus = -1;
        break;
      case SDL_WINDOWEVENT_CLOSE:
        close = true;
        break;
      default:
        break;
    }
  }
  if (paint) PostMessageA(h, WM_PAINT, 0, 0);
  if (close) PostMessageA(h, WM_CLOSE, 0, 0);
  if (moved || sized) sends.geometry.push_back({h, {moved, sized}});
}

void HandleEvent(const SDL_Event& e, Sends& sends) {
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      bool foreign = false;
      InputWindow(e.key.windowID, &foreign);
      if (foreign) {
        // The key table follows the keyboard whichever window of the program has the focus,
        // or a key released in a dialog would stay down for the game.
        const input_internal::WinKey k = input_internal::TranslateKey(e.key.keysym.scancode, e.key.keysym.sym);
        input_internal::SetKeyDown(k.vk, e.type == SDL_KEYDOWN);
        break;
      }
      KeyEvent(e.key);
      return;
    }
    case SDL_TEXTINPUT: {
      bool foreign = false;
      HWND h = InputWindow(e.text.windowID, &foreign);
      if (foreign) break;
      if (h && AcceptsInput(h)) {
        for (unsigned char c : Utf8ToSjis(e.text.text)) PostMessageA(h, WM_CHAR, c, 1);
      }
      return;
    }
    case SDL_MOUSEMOTION: {
      bool foreign = false;
      HWND h = InputWindow(e.motion.windowID, &foreign);
      if (foreign) break;
      if (h && AcceptsInput(h)) PostMessageA(h, WM_MOUSEMOVE, MouseKeys(), MakeLParam(e.motion.x, e.motion.y));
      return;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      bool foreign = false;
      InputWindow(e.button.windowID, &foreign);
      if (foreign) break;
      MouseButton(e.button);
      return;
    }
    case SDL_WINDOWEVENT: {
      bool ours = false;
      {
        std::lock_guard<std::mutex> lock(g_mutex);
        ours = FindBySdl(e.window.windowID) != nullptr;
      }
      if (!ours) {
        // A dialog of the program taking or losing the focus: the program stays active while
        // the focus moves between its own windows.
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
          sends.focus = 1;
          sends.focusWindow = nullptr;
        } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST && sends.focus == 0) {
          sends.focus = -1;
        }
        break;
      }
      WindowEvent(e.window, sends);
      return;
    }
    case SDL_QUIT: {
      HWND main = nullptr;
      {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_windows.empty()) main = g_windows.begin()->first;
      }
      if (main) PostMessageA(main, WM_CLOSE, 0, 0);
      return;
    }
    case SDL_JOYDEVICEADDED:
    case SDL_JOYDEVICEREMOVED:
      input_internal::HandleJoystickEvent(e);
      return;
    case SDL_DISPLAYEVENT:
      ReadDesktop();
      return;
    case SDL_SYSWMEVENT:
      // The display's own events, looked at as they were read (display_errors.h).
      return;
    default:
      break;
  }
  std::function<void(const SDL_Event&)> foreign;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    foreign = g_foreign;
  }
  if (foreign) foreign(e);
}

// The pump: the window thread's work inside its message calls.
void Pump() {
  if (!OnWindowThread()) return;
  thread_local int depth = 0;
  std::vector<std::function<void()>> tasks;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    tasks.swap(g_tasks);
  }
  for (auto& t : tasks) t();
  if (depth == 0) {
    ++depth;
    Sends sends;
    SDL_Event e;
    while (SDL_PollEvent(&e)) HandleEvent(e, sends);
    input_internal::RefreshJoysticks();
    --depth;
    for (auto& [h, what] : sends.geometry) GeometryChanged(h, what.first, what.second);
    if (sends.focus > 0) {
      SetAppActive(true, sends.focusWindow);
    } else if (sends.focus < 0) {
      // Focus moving between windows of this program (its dialogs included: SDL knows only the
      // program's own windows) leaves it active.
      if (!SDL_GetKeyboardFocus()) SetAppActive(false, nullptr);
    }
  }
  RenderPending();
}

// The presenter of the graphics devices while windows exist.
class WindowPresenter : public gfx::Presenter {
 public:
  gfx::DisplayMode DesktopMode() override {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_desktop;
  }
  void ClientSize(HWND hWnd, int* width, int* height) override {
    std::lock_guard<std::mutex> lock(g_mutex);
    WindowRecord* w = Target(hWnd);
    *width = w ? w->width : kDefaultWidth;
    *height = w ? w->height : kDefaultHeight;
  }
  void ClientOrigin(HWND hWnd, int* x, int* y) override {
    std::lock_guard<std::mutex> lock(g_mutex);
    WindowRecord* w = Target(hWnd);
    *x = w ? w->x : 0;
    *y = w ? w->y : 0;
  }
  void SetFullscreen(HWND hWnd, bool on) override {
    OnWindowThreadDo([hWnd, on] {
      std::lock_guard<std::mutex> lock(g_mutex);
      WindowRecord* w = Target(hWnd);
      if (!w || w->fullscreen == on) return;
      w->fullscreen = on;
      if (w->sdl) SDL_SetWindowFullscreen(w->sdl, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    });
  }
  void ShowFrame(HWND hWnd, const gfx::PixelBuffer& frame, const uint32_t* palette, bool vsync) override {
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      WindowRecord* w = Target(hWnd);
      if (!w) return;
      w->shownWidth = frame.width;
      w->shownHeight = frame.height;
      w->shown.resize(static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height));
      gfx::ConvertToArgb(frame, palette, w->shown.data(), frame.width);
      w->frameVsync = vsync;
      w->framePending = true;
    }
    if (OnWindowThread()) RenderPending();
  }
  // The display's refresh is followed by a clock: every wait ends at the next multiple of the
  // refresh period, whether or not the renderer itself waits for the display.
  void WaitVerticalBlank() override {
    int hz = 60;
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      hz = g_desktop.refreshRate > 0 ? g_desktop.refreshRate : 60;
    }
    static const auto epoch = std::chrono::steady_clock::now();
    const auto period = std::chrono::nanoseconds(1000000000LL / hz);
    const auto since = std::chrono::steady_clock::now() - epoch;
    std::this_thread::sleep_until(epoch + (since / period + 1) * period);
  }

 private:
  // The window a device names, or the first window when it names none of them.
  static WindowRecord* Target(HWND hWnd) {
    if (WindowRecord* w = Find(hWnd)) return w;
    return g_windows.empty() ? nullptr : g_windows.begin()->second.get();
  }
};

WindowPresenter g_presenter;

bool EnsureVideo() {
  if (!StartVideo()) return false;
  InstallDisplayErrorHandlers();
  // Joysticks read as on Windows, with or without the focus (frames stop anyway while the
  // program is inactive).
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (!SDL_WasInit(SDL_INIT_JOYSTICK)) SDL_InitSubSystem(SDL_INIT_JOYSTICK);
  ReadDesktop();
  return true;
}

}  // namespace

namespace {

// Work handed to the window thread by RunOnWindowThread, by number: a sender that gives up
// takes its work out, so the window thread never runs work whose sender is gone unless it has
// already taken it.
std::mutex g_relayMutex;
std::map<WPARAM, std::shared_ptr<std::function<void()>>> g_relayWork;
WPARAM g_relayNext = 0;
std::atomic<HWND> g_relay{nullptr};

LRESULT RelayProc(HWND, UINT, WPARAM wParam, LPARAM) {
  std::shared_ptr<std::function<void()>> work;
  {
    std::lock_guard<std::mutex> lock(g_relayMutex);
    auto it = g_relayWork.find(wParam);
    if (it == g_relayWork.end()) return 0;
    work = it->second;
  }
  (*work)();
  return 1;
}

}  // namespace

ATOM RegisterClassExA(const WNDCLASSEXA* lpwcx) {
  if (!lpwcx || !lpwcx->lpszClassName || !*lpwcx->lpszClassName || !lpwcx->lpfnWndProc) return 0;
  std::lock_guard<std::mutex> lock(g_mutex);
  const std::string key = Lower(lpwcx->lpszClassName);
  if (g_classes.count(key)) return 0;
  g_classes[key] = *lpwcx;
  g_classNames[key] = lpwcx->lpszClassName;
  g_classes[key].lpszClassName = g_classNames[key].c_str();
  return static_cast<ATOM>(0xC000 + g_classes.size());
}

HWND CreateWindowExA(DWORD dwExStyle, const char* lpClassName, const char* lpWindowName, DWORD dwStyle, int X, int Y,
                     int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, void* lpParam) {
  WNDCLASSEXA wc{};
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_classes.find(Lower(lpClassName));
    if (it == g_classes.end()) return nullptr;
    wc = it->second;
  }
  const DWORD self = GetCurrentThreadId();
  DWORD expected = 0;
  if (!g_windowThread.compare_exchange_strong(expected, self) && expected != self) return nullptr;
  if (!EnsureVideo()) return nullptr;

  const int w = (nWidth == kUseDefault || nWidth <= 0) ? kDefaultWidth : nWidth;
  const int h = (nHeight == kUseDefault || nHeight <= 0) ? kDefaultHeight : nHeight;
  const int x = X == kUseDefault ? SDL_WINDOWPOS_UNDEFINED : X;
  const int y = Y == kUseDefault ? SDL_WINDOWPOS_UNDEFINED : Y;
  const std::string title = lpWindowName ? lpWindowName : "";
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (dwStyle & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
  SDL_Window* sdl = SDL_CreateWindow(SjisToUtf8(title).c_str(), x, y, w, h, flags);
  if (!sdl) return nullptr;
  SDL_Renderer* renderer = SDL_CreateRenderer(sdl, -1, 0);
  if (!renderer) renderer = SDL_CreateRenderer(sdl, -1, SDL_RENDERER_SOFTWARE);
  // The game polls raw keys: text input would let an input method swallow them.
  SDL_StopTextInput();

  HWND hwnd = CreateWindowHandle(&Trampoline);
  if (!hwnd) {
    if (renderer) SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(sdl);
    return nullptr;
  }
  bool first = false;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto rec = std::make_unique<WindowRecord>();
    rec->hwnd = hwnd;
    rec->className = wc.lpszClassName;
    rec->title = title;
    rec->style = dwStyle & ~WS_VISIBLE;
    rec->exStyle = dwExStyle;
    rec->proc = wc.lpfnWndProc;
    rec->instance = hInstance;
    rec->thread = self;
    rec->sdl = sdl;
    rec->renderer = renderer;
    SDL_GetWindowPosition(sdl, &rec->x, &rec->y);
    SDL_GetWindowSize(sdl, &rec->width, &rec->height);
    first = g_windows.empty();
    g_windows[hwnd] = std::move(rec);
  }
  // Another program may destroy it while no frame is shown in it for a long time.
  WatchWindowDestroy(sdl);
  if (first) {
    gfx::SetPresenter(&g_presenter);
    SetMessagePump(&Pump);
  }
  // The window thread's relay for the work other threads hand it; it lives with the thread.
  if (!g_relay.load()) g_relay = CreateWindowHandle(&RelayProc);
  ApplySizeLimits(hwnd);
  CREATESTRUCTA cs{lpParam, hInstance, hMenu, hWndParent, h, w, y, x, static_cast<LONG>(dwStyle), lpWindowName,
                   lpClassName, dwExStyle};
  if (SendMessageA(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  GeometryChanged(hwnd, true, true);
  if (dwStyle & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

BOOL DestroyWindow(HWND hWnd) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    WindowRecord* w = Find(hWnd);
    if (!w || w->thread != GetCurrentThreadId()) return FALSE;
  }
  SendMessageA(hWnd, WM_DESTROY, 0, 0);
  std::unique_ptr<WindowRecord> rec;
  bool last = false, wasActive = false;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_windows.find(hWnd);
    if (it == g_windows.end()) return TRUE;
    rec = std::move(it->second);
    g_windows.erase(it);
    last = g_windows.empty();
    wasActive = g_activeWindow == hWnd;
    if (wasActive) g_activeWindow = nullptr;
    if (last) g_appActive = false;
  }
  DestroyWindowHandle(hWnd);
  UnwatchWindowDestroy(rec->sdl);
  if (rec->texture) SDL_DestroyTexture(rec->texture);
  if (rec->renderer) SDL_DestroyRenderer(rec->renderer);
  if (rec->sdl) SDL_DestroyWindow(rec->sdl);
  if (wasActive) SetActiveWindowHandle(nullptr);
  if (last) {
    SetMessagePump(nullptr);
    gfx::SetPresenter(nullptr);
    input_internal::ReleaseAllKeys();
    std::lock_guard<std::mutex> lock(g_mutex);
    g_tasks.clear();
  }
  return TRUE;
}

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
  bool wasVisible = false, minimizedBefore = false, maximizedBefore = false;
  std::function<void()> task;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    WindowRecord* w = Find(hWnd);
    if (!w) return FALSE;
    wasVisible = w->visible;
    minimizedBefore = w->minimized;
    maximizedBefore = w->maximized;
    const bool hide = nCmdShow == SW_HIDE;
    const bool minimize = nCmdShow == SW_MINIMIZE || nCmdShow == SW_SHOWMINIMIZED || nCmdShow == SW_SHOWMINNOACTIVE;
    const bool maximize = nCmdShow == SW_MAXIMIZE;
    const bool restore = nCmdShow == SW_SHOWNORMAL || nCmdShow == SW_RESTORE || nCmdShow == SW_SHOWDEFAULT;
    w->visible = !hide;
    if (minimize) {
      w->minimized = true;
    } else if (maximize) {
      w->maximized = true;
      w->minimized = false;
    } else if (restore) {
      w->minimized = w->maximized = false;
    }
    task = [hWnd, hide, minimize, maximize, restore] {
      std::lock_guard<std::mutex> inner(g_mutex);
      WindowRecord* r = Find(hWnd);
      if (!r || !r->sdl) return;
      if (hide) {
        SDL_HideWindow(r->sdl);
        return;
      }
      SDL_ShowWindow(r->sdl);
      if (minimize) SDL_MinimizeWindow(r->sdl);
      if (maximize) SDL_MaximizeWindow(r->sdl);
      if (restore) SDL_RestoreWindow(r->sdl);
    };
  }
  OnWindowThreadDo(std::move(task));
  bool minimizedNow = false, maximizedNow = false;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (WindowRecord* w = Find(hWnd)) {
      minimizedNow = w->minimized;
      maximizedNow = w->maximized;
    }
  }
  if (minimizedNow != minimizedBefore || maximizedNow != maximizedBefore) GeometryChanged(hWnd, false, true);
  switch (nCmdShow) {
    case SW_SHOWNORMAL:
    case SW_SHOW:
    case SW_MAXIMIZE:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
      SetAppActive(true, hWnd);
      break;
    case SW_HIDE:
    case SW_MINIMIZE: {
      bool active = false;
      {
        std::lock_guard<std::mutex> lock(g_mutex);
        active = g_activeWindow == hWnd;
      }
      if (active) SetAppActive(false, nullptr);
      break;
    }
    default:
      break;
  }
  return wasVisible ? TRUE : FALSE;
}

LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM, LPARAM) {
  if (Msg == WM_CLOSE) DestroyWindow(hWnd);
  return 0;
}

LRESULT CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}

BOOL SetWindowTextA(HWND hWnd, const char* lpString) {
  if (dialog_internal::IsDialogWindow(hWnd)) return dialog_internal::SetText(hWnd, lpString);
  std::string utf8;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    WindowRecord* w = Find(hWnd);
    if (!w) return FALSE;
    w->title = lpString ? lpString : "";
    utf8 = SjisToUtf8(w->title);
  }
  OnWindowThreadDo([hWnd, utf8] {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (WindowRecord* r = Find(hWnd); r && r->sdl) SDL_SetWindowTitle(r->sdl, utf8.c_str());
  });
  return TRUE;
}

LONG GetWindowLongA(HWND hWnd, int nIndex) {
  LONG dialogValue = 0;
  if (dialog_internal::GetLong(hWnd, nIndex, &dialogValue)) return dialogValue;
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowRecord* w = Find(hWnd);
  if (!w) return 0;
  switch (nIndex) {
    case GWL_STYLE:
      return static_cast<LONG>(w->style | (w->visible ? WS_VISIBLE : 0));
    case GWL_EXSTYLE:
      return static_cast<LONG>(w->exStyle);
    case GWL_HINSTANCE:
      return static_cast<LONG>(reinterpret_cast<intptr_t>(w->instance));
    case GWL_WNDPROC:
      return static_cast<LONG>(reinterpret_cast<intptr_t>(w->proc));
    default:
      return 0;
  }
}

LONG SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
  LONG old = 0;
  if (dialog_internal::SetLong(hWnd, nIndex, dwNewLong, &old)) return old;
  bool styleChanged = false;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    WindowRecord* w = Find(hWnd);
    if (!w) return 0;
    switch (nIndex) {
      case GWL_STYLE:
        old = static_cast<LONG>(w->style | (w->visible ? WS_VISIBLE : 0));
        styleChanged = ((w->style ^ static_cast<DWORD>(dwNewLong)) & WS_THICKFRAME) != 0;
        w->style = static_cast<DWORD>(dwNewLong) & ~WS_VISIBLE;
        break;
      case GWL_EXSTYLE:
        old = static_cast<LONG>(w->exStyle);
        w->exStyle = static_cast<DWORD>(dwNewLong);
        break;
      case GWL_HINSTANCE:
        old = static_cast<LONG>(reinterpret_cast<intptr_t>(w->instance));
        w->instance = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(dwNewLong));
        break;
      case GWL_WNDPROC:
        old = static_cast<LONG>(reinterpret_cast<intptr_t>(w->proc));
        if (dwNewLong) w->proc = reinterpret_cast<WNDPROC>(static_cast<intptr_t>(dwNewLong));
        break;
      default:
        return 0;
    }
  }
  if (styleChanged) OnWindowThreadDo([hWnd] { ApplySizeLimits(hWnd); });
  return old;
}

BOOL GetClientRect(HWND hWnd, RECT* lpRect) {
  if (lpRect && dialog_internal::IsDialogWindow(hWnd)) return dialog_internal::GetClient(hWnd, lpRect);
  if (!lpRect) return FALSE;
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowRecord* w = Find(hWnd);
  if (!w) return FALSE;
  *lpRect = RECT{0, 0, w->minimized ? 0 : w->width, w->minimized ? 0 : w->height};
  return TRUE;
}

BOOL GetWindowRect(HWND hWnd, RECT* lpRect) {
  if (lpRect && dialog_internal::IsDialogWindow(hWnd)) return dialog_internal::GetRect(hWnd, lpRect);
  if (!lpRect) return FALSE;
  if (hWnd == kDesktopWindow) KnowDesktop();
  std::lock_guard<std::mutex> lock(g_mutex);
  if (hWnd == kDesktopWindow) {
    *lpRect = RECT{0, 0, g_desktop.width, g_desktop.height};
    return TRUE;
  }
  WindowRecord* w = Find(hWnd);
  if (!w) return FALSE;
  *lpRect = RECT{w->x, w->y, w->x + w->width, w->y + w->height};
  return TRUE;
}

BOOL ClientToScreen(HWND hWnd, POINT* lpPoint) {
  if (!lpPoint) return FALSE;
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowRecord* w = Find(hWnd);
  if (!w) return FALSE;
  lpPoint->x += w->x;
  lpPoint->y += w->y;
  return TRUE;
}

BOOL SetWindowPos(HWND hWnd, HWND, int X, int Y, int cx, int cy, UINT uFlags) {
  if (dialog_internal::IsDialogWindow(hWnd)) return dialog_internal::SetPos(hWnd, X, Y, cx, cy, uFlags);
  bool moved = false, sized = false;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    WindowRecord* w = Find(hWnd);
    if (!w) return FALSE;
    if (!(uFlags & SWP_NOMOVE) && (w->x != X || w->y != Y)) {
      w->x = X;
      w->y = Y;
      moved = true;
    }
    if (!(uFlags & SWP_NOSIZE) && (w->width != std::max(1, cx) || w->height != std::max(1, cy))) {
      w->width = std::max(1, cx);
      w->height = std::max(1, cy);
      sized = true;
    }
  }
  const int width = std::max(1, cx), height = std::max(1, cy);
  OnWindowThreadDo([hWnd, moved, sized, X, Y, width, height] {
    std::lock_guard<std::mutex> lock(g_mutex);
    WindowRecord* r = Find(hWnd);
    if (!r || !r->sdl) return;
    if (moved) SDL_SetWindowPosition(r->sdl, X, Y);
    if (sized) SDL_SetWindowSize(r->sdl, width, height);
  });
  if (moved || sized) GeometryChanged(hWnd, moved, sized);
  if (uFlags & SWP_SHOWWINDOW) ShowWindow(hWnd, SW_SHOWNA);
  return TRUE;
}

BOOL IsIconic(HWND hWnd) {
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowRecord* w = Find(hWnd);
  return w && w->minimized ? TRUE : FALSE;
}

BOOL IsZoomed(HWND hWnd) {
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowRecord* w = Find(hWnd);
  return w && w->maximized ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hWnd) {
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowRecord* w = Find(hWnd);
  return w && w->visible ? TRUE : FALSE;
}

HWND GetDesktopWindow() { return kDesktopWindow; }

int GetSystemMetrics(int nIndex) {
  KnowDesktop();
  std::lock_guard<std::mutex> lock(g_mutex);
  switch (nIndex) {
    case SM_CXSCREEN:
      return g_desktop.width;
    case SM_CYSCREEN:
      return g_desktop.height;
    case SM_CXFULLSCREEN:
      return g_workArea.w;
    case SM_CYFULLSCREEN:
      return g_workArea.h;
    default:
      return 0;
  }
}

BOOL SystemParametersInfoA(UINT uiAction, UINT, void* pvParam, UINT) {
  if (uiAction != SPI_GETWORKAREA || !pvParam) return FALSE;
  KnowDesktop();
  std::lock_guard<std::mutex> lock(g_mutex);
  *static_cast<RECT*>(pvParam) =
      RECT{g_workArea.x, g_workArea.y, g_workArea.x + g_workArea.w, g_workArea.y + g_workArea.h};
  return TRUE;
}

int ShowCursor(BOOL bShow) {
  const int count = bShow ? ++g_cursorCount : --g_cursorCount;
  if ((bShow && count == 0) || (!bShow && count == -1)) {
    OnWindowThreadDo([] {
      if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(g_cursorCount.load() >= 0 ? SDL_ENABLE : SDL_DISABLE);
    });
  }
  return count;
}

HDC BeginPaint(HWND hWnd, PAINTSTRUCT* lpPaint) {
  RECT r{};
  if (!lpPaint || !GetClientRect(hWnd, &r)) return nullptr;
  lpPaint->hdc = GetDC(hWnd);
  lpPaint->fErase = FALSE;
  lpPaint->rcPaint = r;
  return lpPaint->hdc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
  if (!lpPaint) return FALSE;
  ReleaseDC(hWnd, lpPaint->hdc);
  return TRUE;
}

HWND FindWindowA(const char* lpClassName, const char* lpWindowName) {
  std::lock_guard<std::mutex> lock(g_mutex);
  const std::string cls = Lower(lpClassName);
  for (auto& [h, w] : g_windows) {
    if (lpClassName && Lower(w->className.c_str()) != cls) continue;
    if (lpWindowName && w->title != lpWindowName) continue;
    return h;
  }
  return nullptr;
}

DWORD GetWindowThreadProcessId(HWND hWnd, DWORD* lpdwProcessId) {
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowRecord* w = Find(hWnd);
  if (!w) return 0;
  if (lpdwProcessId) *lpdwProcessId = static_cast<DWORD>(getpid());
  return w->thread;
}

HCURSOR LoadCursorA(HINSTANCE, const char*) {
  static int cursor;
  return reinterpret_cast<HCURSOR>(&cursor);
}

namespace {

// The system's icons, one handle each, and the one handle every icon of the program gets.
int g_systemIcons[4];
int g_programIcon;

}  // namespace

HICON LoadIconA(HINSTANCE hInstance, const char* lpIconName) {
  const uintptr_t id = reinterpret_cast<uintptr_t>(lpIconName);
  if (!hInstance && id >= 32513 && id <= 32516) return reinterpret_cast<HICON>(&g_systemIcons[id - 32513]);
  return reinterpret_cast<HICON>(&g_programIcon);
}

int SystemIconId(HICON hIcon) {
  for (int i = 0; i < 4; ++i) {
    if (hIcon == reinterpret_cast<HICON>(&g_systemIcons[i])) return 32513 + i;
  }
  return 0;
}

BOOL SetForegroundWindow(HWND hWnd) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!Find(hWnd)) return FALSE;
  }
  OnWindowThreadDo([hWnd] {
    std::lock_guard<std::mutex> lock(g_mutex);
    WindowRecord* r = Find(hWnd);
    // Without a window manager nothing else gives the window the keyboard back.
    if (r && r->sdl && r->visible && !r->minimized) {
      SDL_RaiseWindow(r->sdl);
      SDL_SetWindowInputFocus(r->sdl);
    }
  });
  SetAppActive(true, hWnd);
  return TRUE;
}


WindowThreadRun RunOnWindowThread(std::function<void()> work) {
  const HWND relay = g_relay.load();
  if (!relay || OnWindowThread()) return WindowThreadRun::kHere;
  WPARAM id = 0;
  {
    std::lock_guard<std::mutex> lock(g_relayMutex);
    id = ++g_relayNext;
    g_relayWork[id] = std::make_shared<std::function<void()>>(std::move(work));
  }
  struct Forget {
    WPARAM id;
    ~Forget() {
      std::lock_guard<std::mutex> lock(g_relayMutex);
      g_relayWork.erase(id);
    }
  } forget{id};
  return SendMessageA(relay, WM_NULL, id, 0) == 1 ? WindowThreadRun::kRan : WindowThreadRun::kFailed;
}

void SetWindowTextInput(HWND, bool on) {
  OnWindowThreadDo([on] {
    if (on) {
      SDL_StartTextInput();
    } else {
      SDL_StopTextInput();
    }
  });
}

void SetForeignEventHandler(std::function<void(const SDL_Event&)> handler) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_foreign = std::move(handler);
}

bool WindowShownFrameForTest(HWND hWnd, int* width, int* height, std::vector<uint32_t>* argb, int* count) {
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowRecord* w = Find(hWnd);
  if (!w || w->shownCount == 0) return false;
  *width = w->shownWidth;
  *height = w->shownHeight;
  *argb = w->shown;
  *count = w->shownCount;
  return true;
}

bool WindowFullscreenForTest(HWND hWnd) {
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowRecord* w = Find(hWnd);
  return w && w->fullscreen;
}

uint32_t WindowSdlIdForTest(HWND hWnd) {
  std::lock_guard<std::mutex> lock(g_mutex);
  WindowRecord* w = Find(hWnd);
  return w && w->sdl ? SDL_GetWindowID(w->sdl) : 0;
}
