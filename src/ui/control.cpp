#include "ui/control.h"

#include "core/text.h"
#include "platform/dialog.h"
#include "platform/input.h"
#include "platform/message.h"
#include "platform/window.h"
#include "ui/dialog.h"

void cControl::Enable(BOOL bEnable) { EnableWindow(m_hWnd, bEnable); }

cCanvasCtrl::~cCanvasCtrl() {
  for (cGdiCanvas& canvas : m_Canvas) canvas.Destroy();
}

void cControl::Attach(cDialog* dialog, int id) {
  m_lpDialog = dialog;
  m_hDlg = dialog ? dialog->m_hWnd : nullptr;
  m_nId = static_cast<uint16_t>(id);
  m_strToolTip.clear();
  m_hWnd = GetDlgItem(m_hDlg, id);
  CalcOffset();
}

void cControl::CalcOffset() {
  RECT r{0, 0, 0, 0};
  if (!m_hWnd || !GetWindowRect(m_hWnd, &r)) return;
  m_ptScreen = POINT{r.left, r.top};
  RECT d{0, 0, 0, 0};
  GetWindowRect(m_hDlg, &d);
  // The dialog's frame belongs to the display's window manager: its thickness here is 0.
  m_ptOffset = POINT{r.left - d.left, r.top - d.top};
}

void cControl::SetSize(int cx, int cy) {
  if (!m_hWnd) return;
  CalcOffset();
  SetWindowPos(m_hWnd, nullptr, m_ptOffset.x, m_ptOffset.y, cx, cy, SWP_NOZORDER);
}

void cControl::SetText(const char* text) { SetWindowTextA(m_hWnd, text); }

EditLimits cEdit::Limits() const { return EditLimits{m_nMaxTotal, m_nMaxLine, m_nMaxLines, m_bCountChars}; }

void cEdit::Init(cDialog* dialog, const EditParam& param) {
  Attach(dialog, param.nId & 0xFFFF);
  m_pText = param.lpText;
  m_nMaxTotal = param.nMaxTotal ? param.nMaxTotal : 4096;
  m_nMaxLine = param.nMaxLine ? param.nMaxLine : 1024;
  m_nMaxLines = param.nMaxLines ? param.nMaxLines : 32;
  m_bCountChars = param.bCountChars;
  const std::string text = m_pText ? *m_pText : std::string();
  SetDlgItemString(m_hDlg, m_nId, text);
  m_strLast = text;
  m_bInit = 1;
  OnChange();
  m_bInit = 0;
}

void cEdit::SetData() {
  if (m_pText) SetDlgItemString(m_hDlg, m_nId, *m_pText);
}

void cEdit::GetData() {
  if (!m_pText || (m_lpDialog && m_lpDialog->m_bUpdating)) return;
  GetDlgItemString(m_hDlg, m_nId, *m_pText, EditReadMaximum(Limits()));
}

void cEdit::OnChange() {
  if (m_bBusy) return;
  m_bBusy = 1;
  std::string text;
  GetDlgItemString(m_hDlg, m_nId, text, EditReadMaximum(Limits()));
  DWORD s = 0, e = 0;
  SendMessageA(m_hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  m_nSelStart = static_cast<int32_t>(s);
  m_nSelEnd = static_cast<int32_t>(e);
  const EditChange change = ApplyEditLimits(Limits(), m_strLast, text, m_nSelStart, m_nSelEnd,
                                            GetAsyncKeyState(VK_BACK) < 0, m_bInit != 0);
  SetDlgItemString(m_hDlg, m_nId, change.text);
  if (change.setSelection) SendMessageA(m_hWnd, EM_SETSEL, static_cast<WPARAM>(change.selStart), change.selEnd);
  m_strLast = change.text;
  m_bBusy = 0;
}
