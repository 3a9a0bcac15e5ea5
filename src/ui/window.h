// The root of the toolkit's window classes: one window's geometry in client-area terms (client
// size, frame thickness, position, the limits of resizing) and the dispatch of its messages to
// virtual handlers. The main window and the dialogs derive from it.
#pragma once

#include "platform/dialog.h"
#include "platform/window.h"
#include "platform/wintypes.h"
#include "ui/gdi_canvas.h"

class cWindowList;

// Window messages the toolkit handles that the window layer does not generate itself
// (WM_COMMAND comes with the dialogs).
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;

// Frame metrics, in the order of cWindow::m_Frame.
enum eFrameMetric {
  FRAME_WIDTH = 0,   // left + right
  FRAME_HEIGHT = 1,  // top + bottom
  FRAME_LEFT = 2,
  FRAME_RIGHT = 3,
  FRAME_TOP = 4,
  FRAME_BOTTOM = 5,
  FRAME_METRIC_COUNT = 12
};

// "No position" for cWindow::Place.
constexpr int WINDOW_NO_PLACE = -1000;

// The frame that the style adds around a client area, from the system metrics that lpfnMetric
// gives (GetSystemMetrics in the program): a caption (both bits of WS_CAPTION) on the top, a
// sizing frame or else a dialog frame on all sides, scroll bars right and bottom.
void CalcFrameMetrics(DWORD dwStyle, int (*lpfnMetric)(int), int* lpFrame);

// The position a window of the given size takes in the work area when asked for (x, y): pulled
// left so that it ends inside the right edge, then to 0 when that is negative; the same
// vertically. The left and top edges stay visible when the window is larger than the area.
POINT ClampToWorkArea(int x, int y, int nWidth, int nHeight, const RECT& rcWork);

class cWindow {
 public:
  cWindow() = default;
  // Releases the two canvases; the window itself is its owner's to end.
  virtual ~cWindow();
  cWindow(const cWindow&) = delete;
  cWindow& operator=(const cWindow&) = delete;

  virtual void Reserved() {}
  virtual void OnCommand(WPARAM, LPARAM) {}
  virtual void OnMouseMove(WPARAM, LPARAM) {}
  virtual void OnLButtonDown(WPARAM, LPARAM) {}
  virtual void OnRButtonDown(WPARAM, LPARAM) {}
  virtual void OnLButtonDblClk(WPARAM, LPARAM) {}
  virtual void OnRButtonDblClk(WPARAM, LPARAM) {}
  virtual void OnLButtonUp(WPARAM, LPARAM) {}
  virtual void OnRButtonUp(WPARAM, LPARAM) {}
  virtual LRESULT WindowProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
  // 1 for the messages it handles, else 0; the derived window procedure decides what goes on.
  virtual LRESULT MsgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  virtual void Update() {}
  virtual void OnPaint() {}

  // Stores the resource id, parent and window list; the instance of the main window.
  void Init(WORD nResId, HWND hParent, cWindowList* lpWindowList);
  // Stores the sizes, limits, style and frame options and computes the frame, unless the window
  // is a dialog (its frame follows from its template).
  void Setup(int nWidth, int nHeight, int nMinWidth, int nMinHeight, int nMaxWidth, int nMaxHeight, DWORD dwStyle,
             int bMenu, int bToolBar, int bStatusBar, int nReserved, int nScrollBars);
  void CalcFrame();
  // Re-reads the style and the client rectangle, then the frame.
  void UpdateStyle();
  void AddStyle(DWORD dwBits);
  void RemoveStyle(DWORD dwBits);
  // Tracking sizes: the client limits plus the frame.
  void GetMinMaxInfo(MINMAXINFO* lpInfo) const;
  void GetWindowPos(POINT* lpPoint) const;
  void GetClientRect(RECT* lpRect) const;
  void Move(int x, int y);
  void SetClientSize(int nWidth, int nHeight);
  void SetClientPosSize(int x, int y, int nWidth, int nHeight);
  // Moves a dialog to m_ptPlace, kept inside the work area; nothing while either coordinate is
  // WINDOW_NO_PLACE.
  void Place();
  void CenterOnDesktop();
  int GetToolBarHeight() const { return 0; }
  int GetStatusBarHeight() const { return 0; }
  void ClearCommandGuard() { m_bInCommand = 0; }
  // The toolkit's mouse state; the main window keeps none.
  void UpdateMouse() {}

  int m_bDialog = 0;
  HWND m_hWnd = nullptr;
  HINSTANCE m_hInstance = nullptr;
  WORD m_nResId = 0;
  HWND m_hParent = nullptr;
  // The dialog procedure a derived dialog installs before DoModal.
  DLGPROC m_lpDlgProc = nullptr;
  cWindowList* m_lpWindowList = nullptr;
  cGdiCanvas m_Canvas[2];
  POINT m_ptWindow{};
  RECT m_rcClientArea{};
  SIZE m_szInitClient{};
  RECT m_rcClient{};
  SIZE m_szMinClient{};
  SIZE m_szMaxClient{};
  RECT m_rcWindow{};
  DWORD m_dwStyle = 0;
  int m_nFrameOptions[5] = {};
  int m_Frame[FRAME_METRIC_COUNT] = {};
  int m_bLayoutDone = 0;
  int m_bInCommand = 0;
  int m_bCreated = 0;
  POINT m_ptPlace{WINDOW_NO_PLACE, WINDOW_NO_PLACE};
};
