// The toolkit's registry of windows: the cWindow objects (the modeless dialogs add themselves)
// and the handles of other windows, which a modal dialog hides or disables for its time when
// DoModal is given flag 2 or 4.
#pragma once

#include <vector>

#include "platform/wintypes.h"

class cWindow;

// DoModal flags: the window list is hidden (2) or disabled (4) while the dialog runs.
constexpr int MODAL_HIDE_OTHERS = 2;
constexpr int MODAL_DISABLE_OTHERS = 4;

class cWindowList {
 public:
  std::vector<cWindow*> m_vWindow;
  // Where other objects keep their window handles (a null handle is passed over).
  std::vector<HWND*> m_vHandle;

  void AddWindow(cWindow* lpWindow);
  // 1 when the window was listed (and now is not), 0 otherwise.
  int RemoveWindow(cWindow* lpWindow);
  // SW_SHOW or SW_HIDE on every window of both lists.
  void ShowAll(BOOL bShow);
  // WS_DISABLED cleared (enable) or set (disable) in the style of every window of both lists.
  void EnableAll(BOOL bEnable);
};

// The registry of the program's dialogs (empty: no dialog of the program is modeless).
extern cWindowList g_DialogList;

// Sets or clears style bits of a window (GWL_STYLE).
void SetWndStyleBits(HWND hWnd, DWORD dwBits);
void ClearWndStyleBits(HWND hWnd, DWORD dwBits);
