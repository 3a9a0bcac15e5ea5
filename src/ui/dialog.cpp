#include "ui/dialog.h"

#include "core/log.h"
#include "core/shell_link.h"
#include "platform/message.h"
#include "platform/window.h"

void cDialog::Prepare(int resourceId, HWND parent, int bDialog) {
  m_bDialog = bDialog;
  m_nResult = 0;
  m_bModeless = 0;
  m_nModalFlags = 0;
  m_bUpdating = 0;
  Init(resourceId, parent);
}

void cDialog::Init(int resourceId, HWND parent) {
  m_hParent = parent;
  m_lpParentWnd = parent;
  m_nResourceId = resourceId;
}

int cDialog::DoModal(int flags) {
  if (m_hWnd) return 0;
  End(0);
  m_bModeless = 0;
  m_nModalFlags = flags;
  DialogBoxParamA(nullptr, MAKEINTRESOURCEA(static_cast<uintptr_t>(m_nResourceId)), m_hParent, m_lpDlgProc, 0);
  m_hWnd = nullptr;
  return m_nResult;
}

void cDialog::End(int result) {
  m_nResult = result;
  m_vControl.clear();
  if (m_hWnd) EndDialog(m_hWnd, result);
}

void cDialog::OnInitDialog(WPARAM, LPARAM) {
  m_vControl.clear();
  if (!GetPropA(m_hWnd, "DLG_CLASS")) SetPropA(m_hWnd, "DLG_CLASS", this);
  Place();
  if (!m_Hook.KeyboardHook(m_hWnd, m_bModeless)) ErrorBox("KeyboardHookに失敗!");
}

void cDialog::Place() {
  if (m_ptPlace.x == -1000 || m_ptPlace.y == -1000 || !m_hWnd) return;
  RECT work{0, 0, 0, 0}, rc{0, 0, 0, 0};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(m_hWnd, &rc);
  const LONG w = rc.right - rc.left, h = rc.bottom - rc.top;
  LONG x = m_ptPlace.x, y = m_ptPlace.y;
  if (x < 0) x = 0;
  if (x + w >= work.right) x = work.right - w;
  if (y < 0) y = 0;
  if (y + h >= work.bottom) y = work.bottom - h;
  m_ptPlace = POINT{x, y};
  SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

LRESULT cDialog::MsgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // The window part: the handle, the command guard and the messages a window handles.
  m_hWnd = hWnd;
  if (msg == WM_COMMAND) {
    if (m_bInCommand) return 0;
    m_bInCommand = 1;
  }
  LRESULT result = 0;
  switch (msg) {
    case WM_DESTROY:
      m_hWnd = nullptr;
      result = 1;
      break;
    case WM_COMMAND:
      OnCommand(wParam, lParam);
      m_bInCommand = 0;
      result = 1;
      break;
    case WM_PAINT:
      OnPaint();
      result = 1;
      break;
    default:
      break;
  }
  // The dialog part.
  switch (msg) {
    case WM_NOTIFY:
      for (cControl* c : m_vControl) {
        if (c->OnNotify(wParam, lParam)) break;
      }
      break;
    case WM_KEYDOWN:
      if (!m_bModeless) {
        for (cControl* c : m_vControl) c->OnKeyDown(wParam, lParam, 0);
      }
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
      for (cControl* c : m_vControl) c->OnScroll(wParam, lParam);
      break;
    case WM_INITDIALOG:
      OnInitDialog(wParam, lParam);
      break;
    case WM_DIALOG_FORWARD_KEY:
      SendMessageA(hWnd, WM_KEYDOWN, wParam, lParam);
      break;
    default:
      break;
  }
  return result;
}

void cDialog::OnCommand(WPARAM wParam, LPARAM) {
  const WORD id = LOWORD(wParam);
  const WORD code = HIWORD(wParam);
  for (cControl* c : m_vControl) {
    if (c->m_nId != id || (c->m_nKind != 2 && c->m_nKind != CONTROL_KIND_EDIT)) continue;
    if (code == EN_UPDATE) {
      c->OnChange();
      return;
    }
    if (code == EN_KILLFOCUS) {
      c->OnKillFocus();
      return;
    }
  }
}

BOOL cDialog::WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DialogWindowProc(this, hWnd, msg, wParam, lParam);
}

void cDialog::Update() {
  for (cControl* c : m_vControl) {
    if (c->m_nKind == 8) c->Update();
  }
}

void cDialog::UpdateControls() {
  m_bUpdating = 1;
  for (cControl* c : m_vControl) c->SetData();
  m_bUpdating = 0;
}

void cDialog::UpdateData() {
  for (cControl* c : m_vControl) c->GetData();
}

BOOL DialogWindowProc(cDialog* dialog, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = dialog->MsgProc(hWnd, msg, wParam, lParam);
  if (msg == WM_DESTROY) return TRUE;
  if (msg == WM_CLOSE) {
    dialog->End(0);
    return TRUE;
  }
  return result ? TRUE : FALSE;
}

void ReportMissingControl(int id) {
  DebugErrorBoxF("コントロールID 【%u】 が見つかりません！", static_cast<unsigned>(id));
  PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
}
