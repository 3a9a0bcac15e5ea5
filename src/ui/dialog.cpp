#include "ui/dialog.h"

#include "core/log.h"
#include "core/shell_link.h"
#include "platform/message.h"
#include "platform/window.h"

void cDialog::Prepare(int resourceId, cWindow* parent, int bDialog, cWindowList* lpWindowList) {
  m_bDialog = bDialog;
  m_nResult = 0;
  m_bModeless = 0;
  m_nModalFlags = 0;
  m_bUpdating = 0;
  Init(resourceId, parent, lpWindowList);
}

void cDialog::Init(int resourceId, cWindow* parent, cWindowList* lpWindowList) {
  m_hParent = parent ? parent->m_hWnd : nullptr;
  m_lpParentWnd = parent;
  m_lpOldProc = nullptr;
  cWindow::Init(static_cast<WORD>(resourceId), m_hParent, lpWindowList);
}

int cDialog::DoModal(int flags) {
  if (m_hWnd) return 0;
  End(0);
  m_bModeless = 0;
  m_nModalFlags = flags;
  if (m_lpWindowList) {
    if (flags & MODAL_HIDE_OTHERS) m_lpWindowList->ShowAll(FALSE);
    if (flags & MODAL_DISABLE_OTHERS) m_lpWindowList->EnableAll(FALSE);
  }
  DialogBoxParamA(m_hInstance, MAKEINTRESOURCEA(m_nResId), m_hParent, m_lpDlgProc, 0);
  m_hWnd = nullptr;
  if (m_lpWindowList) {
    if (flags & MODAL_HIDE_OTHERS) m_lpWindowList->ShowAll(TRUE);
    if (flags & MODAL_DISABLE_OTHERS) m_lpWindowList->EnableAll(TRUE);
  }
  return m_nResult;
}

void cDialog::End(int result) {
  m_nResult = result;
  m_vControl.clear();
  if (!m_hWnd) return;
  if (m_bModeless) {
    DestroyWindow(m_hWnd);
  } else {
    EndDialog(m_hWnd, result);
  }
}

void cDialog::RestoreOthers() {
  if (!m_lpWindowList) return;
  if (m_nModalFlags & MODAL_HIDE_OTHERS) m_lpWindowList->ShowAll(TRUE);
  if (m_nModalFlags & MODAL_DISABLE_OTHERS) m_lpWindowList->EnableAll(TRUE);
}

void cDialog::EndOpenWindow() {
  if (!m_hWnd) return;
  End(0);
  if (!m_lpWindowList || !m_lpWindowList->RemoveWindow(this)) ErrorBoxF("ウインドウの破棄に失敗！");
}

void cDialog::OnInitDialog(WPARAM, LPARAM) {
  m_vControl.clear();
  if (m_bModeless && m_lpWindowList) m_lpWindowList->AddWindow(this);
  if (!GetPropA(m_hWnd, "DLG_CLASS")) {
    SetPropA(m_hWnd, "DLG_CLASS", this);
    m_lpOldProc = reinterpret_cast<WNDPROC>(static_cast<intptr_t>(GetWindowLongA(m_hWnd, GWL_WNDPROC)));
    SetWindowLongA(m_hWnd, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<intptr_t>(&DlgSubclassProc)));
  }
  UpdateStyle();
  Place();
  if (!m_Hook.KeyboardHook(m_hWnd, m_bModeless)) ErrorBox("KeyboardHookに失敗!");
  if (m_szInitClient.cx) SetClientSize(m_szInitClient.cx, m_szInitClient.cy);
}

LRESULT DlgSubclassProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  cDialog* dialog = static_cast<cDialog*>(GetPropA(hWnd, "DLG_CLASS"));
  if (!dialog || !dialog->m_lpOldProc) return 0;
  return CallWindowProcA(dialog->m_lpOldProc, hWnd, msg, wParam, lParam);
}

LRESULT cDialog::MsgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // The window part: the handle, the command guard and the messages a window handles.
  const LRESULT result = cWindow::MsgProc(hWnd, msg, wParam, lParam);
  // The dialog part.
  switch (msg) {
    case WM_DESTROY:
      RestoreOthers();
      break;
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

LRESULT cDialog::WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
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
