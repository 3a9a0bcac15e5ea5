#include "ui/window.h"

#include "core/shell_link.h"

void CalcFrameMetrics(DWORD dwStyle, int (*lpfnMetric)(int), int* lpFrame) {
  for (int i = 0; i < FRAME_METRIC_COUNT; ++i) lpFrame[i] = 0;
  // A dialog frame alone (WS_DLGFRAME is one of the caption's two bits) has no caption.
  if ((dwStyle & WS_CAPTION) == WS_CAPTION) lpFrame[FRAME_TOP] += lpfnMetric(SM_CYCAPTION);
  // A border of the metrics' width on each side.
  const auto border = [&](int nMetricX, int nMetricY) {
    const int cx = lpfnMetric(nMetricX);
    const int cy = lpfnMetric(nMetricY);
    lpFrame[FRAME_LEFT] += cx;
    lpFrame[FRAME_RIGHT] += cx;
    lpFrame[FRAME_TOP] += cy;
    lpFrame[FRAME_BOTTOM] += cy;
  };
  if (dwStyle & WS_THICKFRAME) {
    border(SM_CXFRAME, SM_CYFRAME);
  } else if (dwStyle & WS_DLGFRAME) {
    border(SM_CXDLGFRAME, SM_CYDLGFRAME);
  }
  if (dwStyle & WS_HSCROLL) lpFrame[FRAME_BOTTOM] += lpfnMetric(SM_CYHSCROLL);
  if (dwStyle & WS_VSCROLL) lpFrame[FRAME_RIGHT] += lpfnMetric(SM_CXVSCROLL);
  lpFrame[FRAME_WIDTH] = lpFrame[FRAME_LEFT] + lpFrame[FRAME_RIGHT];
  lpFrame[FRAME_HEIGHT] = lpFrame[FRAME_TOP] + lpFrame[FRAME_BOTTOM];
}

POINT ClampToWorkArea(int x, int y, int nWidth, int nHeight, const RECT& rcWork) {
  if (x + nWidth >= rcWork.right) x = rcWork.right - nWidth;
  if (x < 0) x = 0;
  if (y + nHeight >= rcWork.bottom) y = rcWork.bottom - nHeight;
  if (y < 0) y = 0;
  return POINT{x, y};
}

cWindow::~cWindow() {
  for (cGdiCanvas& canvas : m_Canvas) canvas.Destroy();
}

void cWindow::Init(WORD nResId, HWND hParent, cWindowList* lpWindowList) {
  m_nResId = nResId;
  m_hParent = hParent;
  m_lpWindowList = lpWindowList;
  m_hInstance = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(GetWindowLongA(g_hWnd, GWL_HINSTANCE)));
}

void cWindow::Setup(int nWidth, int nHeight, int nMinWidth, int nMinHeight, int nMaxWidth, int nMaxHeight,
                    DWORD dwStyle, int bMenu, int bToolBar, int bStatusBar, int nReserved, int nScrollBars) {
  m_szMinClient = SIZE{nMinWidth, nMinHeight};
  m_szMaxClient = SIZE{nMaxWidth, nMaxHeight};
  m_dwStyle = dwStyle;
  const int options[5] = {bMenu, bToolBar, bStatusBar, nReserved, nScrollBars};
  for (int i = 0; i < 5; ++i) m_nFrameOptions[i] = options[i];
  m_rcClient = RECT{0, 0, nWidth, nHeight};
  m_szInitClient = SIZE{nWidth, nHeight};
  if (!m_bDialog) CalcFrame();
}

void cWindow::CalcFrame() {
  CalcFrameMetrics(m_dwStyle, &GetSystemMetrics, m_Frame);
  m_rcClientArea = RECT{0, 0, m_rcClient.right - m_rcClient.left, m_rcClient.bottom - m_rcClient.top};
  m_rcWindow = RECT{0, 0, m_rcClientArea.right + m_Frame[FRAME_WIDTH], m_rcClientArea.bottom + m_Frame[FRAME_HEIGHT]};
}

void cWindow::UpdateStyle() {
  if (m_hWnd) {
    m_dwStyle = static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_STYLE));
    ::GetClientRect(m_hWnd, &m_rcClient);
  }
  CalcFrame();
}

void cWindow::AddStyle(DWORD dwBits) {
  SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_STYLE)) | dwBits));
  UpdateStyle();
}

void cWindow::RemoveStyle(DWORD dwBits) {
  SetWindowLongA(m_hWnd, GWL_STYLE,
                 static_cast<LONG>(static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_STYLE)) & ~dwBits));
  UpdateStyle();
}

void cWindow::GetMinMaxInfo(MINMAXINFO* lpInfo) const {
  lpInfo->ptMinTrackSize = POINT{m_szMinClient.cx + m_Frame[FRAME_WIDTH], m_szMinClient.cy + m_Frame[FRAME_HEIGHT]};
  lpInfo->ptMaxTrackSize = POINT{m_szMaxClient.cx + m_Frame[FRAME_WIDTH], m_szMaxClient.cy + m_Frame[FRAME_HEIGHT]};
}

void cWindow::GetWindowPos(POINT* lpPoint) const {
  RECT rc{};
  GetWindowRect(m_hWnd, &rc);
  *lpPoint = POINT{rc.left, rc.top};
}

void cWindow::GetClientRect(RECT* lpRect) const {
  if (m_hWnd) ::GetClientRect(m_hWnd, lpRect);
}

void cWindow::Move(int x, int y) {
  SetWindowPos(m_hWnd, nullptr, x, y, m_rcWindow.right, m_rcWindow.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
  m_ptWindow = POINT{x, y};
  CalcFrame();
}

void cWindow::SetClientSize(int nWidth, int nHeight) {
  POINT pt{};
  GetWindowPos(&pt);
  SetClientPosSize(pt.x, pt.y, nWidth, nHeight);
}

void cWindow::SetClientPosSize(int x, int y, int nWidth, int nHeight) {
  m_rcClient = RECT{0, 0, nWidth, nHeight};
  CalcFrame();
  SetWindowPos(m_hWnd, nullptr, x, y, m_rcWindow.right, m_rcWindow.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
  m_ptWindow = POINT{x, y};
}

void cWindow::Place() {
  if (m_ptPlace.x == WINDOW_NO_PLACE || m_ptPlace.y == WINDOW_NO_PLACE) return;
  RECT rcWork{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
  m_ptPlace = ClampToWorkArea(m_ptPlace.x, m_ptPlace.y, m_rcWindow.right, m_rcWindow.bottom, rcWork);
  Move(m_ptPlace.x, m_ptPlace.y);
}

void cWindow::CenterOnDesktop() {
  RECT rcDesk{};
  RECT rcWnd{};
  GetWindowRect(GetDesktopWindow(), &rcDesk);
  GetWindowRect(m_hWnd, &rcWnd);
  Move((rcDesk.right - (rcWnd.right - rcWnd.left)) / 2, (rcDesk.bottom - (rcWnd.bottom - rcWnd.top)) / 2);
}

LRESULT cWindow::MsgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  m_hWnd = hWnd;
  if (msg == WM_COMMAND) {
    // A command raised while a command is handled (a control changing its own text) is dropped.
    if (m_bInCommand) return 0;
    m_bInCommand = 1;
  }
  m_bLayoutDone = 1;
  switch (msg) {
    case WM_DESTROY: m_hWnd = nullptr; return 1;
    case WM_MOVE: GetWindowPos(&m_ptWindow); return 1;
    case WM_SIZE: UpdateStyle(); return 1;
    case WM_ACTIVATEAPP: return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      BeginPaint(hWnd, &ps);
      OnPaint();
      EndPaint(hWnd, &ps);
      return 1;
    }
    case WM_GETMINMAXINFO: GetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam)); return 1;
    case WM_COMMAND:
      OnCommand(wParam, lParam);
      ClearCommandGuard();
      return 1;
    case WM_MOUSEMOVE: OnMouseMove(wParam, lParam); return 1;
    case WM_LBUTTONDOWN: OnLButtonDown(wParam, lParam); return 1;
    case WM_LBUTTONUP: OnLButtonUp(wParam, lParam); return 1;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(wParam, lParam); return 1;
    case WM_RBUTTONDOWN: OnRButtonDown(wParam, lParam); return 1;
    case WM_RBUTTONUP: OnRButtonUp(wParam, lParam); return 1;
    case WM_RBUTTONDBLCLK: OnRButtonDblClk(wParam, lParam); return 1;
    default: return 0;
  }
}
