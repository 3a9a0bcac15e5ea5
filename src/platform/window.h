// Stands in for the User32 window calls of the main window: window classes, top-level windows
// over SDL windows, their placement and styles, and the pump that turns the display's events
// into window messages.
//
// Each window made by CreateWindowExA is one SDL window whose client area is the window: the
// frame and caption belong to the display's window manager, so every frame metric is 0 and the
// window rectangle equals the client rectangle on the screen. Frames shown in a window (the
// presentation of the graphics devices, display.h) are scaled to its client area with their
// aspect kept, bars around them black. A window with WS_THICKFRAME can be resized; a graphics
// device in full screen makes its window fill the desktop.
//
// The thread that makes the first window is the window thread: it alone talks to SDL. Calls
// from other threads that change a window (showing, the cursor, full screen) are carried out by
// the window thread's next pump; queries answer from what the window thread last saw. The pump
// runs inside the window thread's message calls (message.h). It turns the display's events
// into messages: keys into WM_KEYDOWN / WM_KEYUP (WM_SYSKEYDOWN / WM_SYSKEYUP with Alt) with
// Windows key codes and the key-state table (input.h), typed text into WM_CHAR (Shift-JIS
// bytes; SDL text input is off unless a caller turns it on), the mouse into WM_MOUSEMOVE and
// button messages, focus into WM_ACTIVATEAPP, size and position into WM_SIZE and WM_MOVE,
// exposure into WM_PAINT, closing into WM_CLOSE; and it shows the frames handed to it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/wintypes.h"

union SDL_Event;

typedef WORD ATOM;
struct HICON__;
typedef HICON__* HICON;
typedef HICON HCURSOR;
struct HBRUSH__;
typedef HBRUSH__* HBRUSH;
struct HMENU__;
typedef HMENU__* HMENU;

// Window messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;

constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

// Styles.
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_OWNDC = 0x0020;

constexpr int GWL_WNDPROC = -4;
constexpr int GWL_HINSTANCE = -6;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;

// Show commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWDEFAULT = 10;

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;

// System metrics and parameters.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CXFULLSCREEN = 16;
constexpr int SM_CYFULLSCREEN = 17;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
constexpr UINT SPI_GETWORKAREA = 0x0030;

inline const char* MAKEINTRESOURCEA(uintptr_t id) { return reinterpret_cast<const char*>(id); }
inline const char* const IDC_ARROW = MAKEINTRESOURCEA(32512);
// The system's icons of the message boxes: error, question, warning, information.
inline const char* const IDI_HAND = MAKEINTRESOURCEA(32513);
inline const char* const IDI_QUESTION = MAKEINTRESOURCEA(32514);
inline const char* const IDI_EXCLAMATION = MAKEINTRESOURCEA(32515);
inline const char* const IDI_ASTERISK = MAKEINTRESOURCEA(32516);

struct WNDCLASSEXA {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  const char* lpszMenuName;
  const char* lpszClassName;
  HICON hIconSm;
};

struct CREATESTRUCTA {
  void* lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  const char* lpszName;
  const char* lpszClass;
  DWORD dwExStyle;
};

struct MINMAXINFO {
  POINT ptReserved;
  POINT ptMaxSize;
  POINT ptMaxPosition;
  POINT ptMinTrackSize;
  POINT ptMaxTrackSize;
};

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
};

// Stands in for RegisterClassExA: a class by name (compared without regard to case); 0 when the
// name is taken or the description is incomplete.
ATOM RegisterClassExA(const WNDCLASSEXA* lpwcx);

// Stands in for CreateWindowExA: a top-level window of a registered class, hidden until shown
// (unless WS_VISIBLE), whose client area is the given size at the given position. The window
// procedure receives WM_GETMINMAXINFO, WM_CREATE (lParam: CREATESTRUCTA*; −1 refuses the
// window), WM_SIZE and WM_MOVE before the call returns. Null on failure.
HWND CreateWindowExA(DWORD dwExStyle, const char* lpClassName, const char* lpWindowName, DWORD dwStyle, int X, int Y,
                     int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, void* lpParam);

// Stands in for DestroyWindow: sends WM_DESTROY, then the window is gone. Window thread only.
BOOL DestroyWindow(HWND hWnd);

// Stands in for ShowWindow: returns whether the window was visible. Showing with activation
// makes the application active (WM_ACTIVATEAPP TRUE) when it was not; hiding or minimising
// the active window makes it inactive.
BOOL ShowWindow(HWND hWnd, int nCmdShow);

// Stands in for DefWindowProcA: WM_CLOSE destroys the window, WM_PAINT is validated, every
// other message gives 0.
LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// Stands in for CallWindowProcA: calls the procedure.
LRESULT CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

BOOL SetWindowTextA(HWND hWnd, const char* lpString);
// Stand in for GetWindowLongA / SetWindowLongA: GWL_STYLE, GWL_EXSTYLE, GWL_HINSTANCE and
// GWL_WNDPROC (a procedure as a number; setting it subclasses the window). WS_THICKFRAME makes
// the window resizable. SetWindowLongA returns the previous value.
LONG GetWindowLongA(HWND hWnd, int nIndex);
LONG SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong);

BOOL GetClientRect(HWND hWnd, RECT* lpRect);
BOOL GetWindowRect(HWND hWnd, RECT* lpRect);
BOOL ClientToScreen(HWND hWnd, POINT* lpPoint);
// Stands in for SetWindowPos: moves and sizes the window (the insert-after window is not
// used); WM_MOVE and WM_SIZE follow for what changed.
BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);
BOOL IsIconic(HWND hWnd);
BOOL IsZoomed(HWND hWnd);
BOOL IsWindowVisible(HWND hWnd);

// Stands in for GetDesktopWindow: a handle standing for the desktop, whose window rectangle is
// the desktop's.
HWND GetDesktopWindow();

// Stands in for GetSystemMetrics: the screen's size, the work area's size for the full-screen
// metrics, 0 for the frame metrics (the window manager's).
int GetSystemMetrics(int nIndex);
// Stands in for SystemParametersInfoA: SPI_GETWORKAREA only.
BOOL SystemParametersInfoA(UINT uiAction, UINT uiParam, void* pvParam, UINT fWinIni);

// Stands in for ShowCursor: the display count; the cursor shows while it is 0 or more.
int ShowCursor(BOOL bShow);

// Stand in for BeginPaint / EndPaint: a DC of the screen (gdi.h) for the whole client area.
HDC BeginPaint(HWND hWnd, PAINTSTRUCT* lpPaint);
BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);

// Stands in for FindWindowA: a window of this process by class name and/or title (null: any).
HWND FindWindowA(const char* lpClassName, const char* lpWindowName);
// Stands in for GetWindowThreadProcessId: the thread that made the window; *lpdwProcessId
// receives the process id.
DWORD GetWindowThreadProcessId(HWND hWnd, DWORD* lpdwProcessId);

// Stand in for LoadCursorA and LoadIconA: handles that stand for the cursor and icon (the
// window manager's own are used). The four system icons (a null instance with IDI_HAND ..
// IDI_ASTERISK) each have a handle of their own, which the dialogs draw as a simple mark.
HCURSOR LoadCursorA(HINSTANCE hInstance, const char* lpCursorName);
HICON LoadIconA(HINSTANCE hInstance, const char* lpIconName);
// The number of the system icon a handle stands for (IDI_HAND .. IDI_ASTERISK), 0 for others.
int SystemIconId(HICON hIcon);

// Stands in for SetForegroundWindow: the window becomes the active window of an active
// program, and on the display it is raised and takes the keyboard focus (there may be no
// window manager to give it back, as when a dialog over it closes). FALSE for no window.
BOOL SetForegroundWindow(HWND hWnd);

// Runs work on the window thread and waits for it, as a message sent to a window of that
// thread: the caller blocks (and unwinds when its thread is asked to stop) until the window
// thread has run it in one of its message calls, also inside a modal loop. kHere, with nothing
// run, when no window was ever made or the caller is the window thread itself (it runs the
// work itself); kFailed when the send failed (the send shutdown is on): the work may then
// still be running, so it must own what it uses.
enum class WindowThreadRun { kRan, kHere, kFailed };
WindowThreadRun RunOnWindowThread(std::function<void()> work);

// SDL text input (WM_CHAR) on or off; off for the main window.
void SetWindowTextInput(HWND hWnd, bool on);

// Events of SDL windows that are not windows of this layer (the dialogs' own windows) go to
// this handler on the window thread.
void SetForeignEventHandler(std::function<void(const SDL_Event&)> handler);

// Tests: the last frame the window thread showed in the window, as 0xAARRGGBB pixels, and how
// many it has shown. False when it has shown none.
bool WindowShownFrameForTest(HWND hWnd, int* width, int* height, std::vector<uint32_t>* argb, int* count);
// Tests: whether the window currently fills the desktop.
bool WindowFullscreenForTest(HWND hWnd);
// Tests: the SDL id of the window, for events made up by a test.
uint32_t WindowSdlIdForTest(HWND hWnd);
