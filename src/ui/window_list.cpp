#include "ui/window_list.h"

#include <algorithm>

#include "platform/window.h"
#include "ui/window.h"

cWindowList g_DialogList;

void SetWndStyleBits(HWND hWnd, DWORD dwBits) {
  SetWindowLongA(hWnd, GWL_STYLE, static_cast<LONG>(static_cast<DWORD>(GetWindowLongA(hWnd, GWL_STYLE)) | dwBits));
}

void ClearWndStyleBits(HWND hWnd, DWORD dwBits) {
  SetWindowLongA(hWnd, GWL_STYLE, static_cast<LONG>(static_cast<DWORD>(GetWindowLongA(hWnd, GWL_STYLE)) & ~dwBits));
}

void cWindowList::AddWindow(cWindow* lpWindow) {
  if (lpWindow && std::find(m_vWindow.begin(), m_vWindow.end(), lpWindow) == m_vWindow.end()) {
    m_vWindow.push_back(lpWindow);
  }
}

int cWindowList::RemoveWindow(cWindow* lpWindow) {
  auto it = std::find(m_vWindow.begin(), m_vWindow.end(), lpWindow);
  if (it == m_vWindow.end()) return 0;
  m_vWindow.erase(it);
  return 1;
}

void cWindowList::ShowAll(BOOL bShow) {
  const int cmd = bShow ? SW_SHOW : SW_HIDE;
  for (cWindow* w : m_vWindow) ShowWindow(w->m_hWnd, cmd);
  for (HWND* h : m_vHandle) {
    if (h && *h) ShowWindow(*h, cmd);
  }
}

void cWindowList::EnableAll(BOOL bEnable) {
  for (cWindow* w : m_vWindow) {
    if (bEnable) {
      w->RemoveStyle(WS_DISABLED);
    } else {
      w->AddStyle(WS_DISABLED);
    }
  }
  for (HWND* h : m_vHandle) {
    if (!h || !*h) continue;
    if (bEnable) {
      ClearWndStyleBits(*h, WS_DISABLED);
    } else {
      SetWndStyleBits(*h, WS_DISABLED);
    }
  }
}
