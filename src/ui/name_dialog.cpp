#include "ui/name_dialog.h"

#include "platform/message.h"
#include "platform/window.h"

cNameDialog* g_NameDialog = nullptr;

namespace {

constexpr int kTemplateId = 102;
constexpr int kEditId = 1003;

const DialogItemTemplate kItems[] = {
    {"static", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP, 1075, 7, 7, 20, 21},
    {"edit", "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kEditId, 75, 12, 24, 14},
    {"button", "OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP, 1000, 30, 35, 50, 18},
    {"static", "登録名(3文字まで)", WS_CHILD | WS_VISIBLE | SS_LEFT | WS_GROUP, 1007, 15, 15, 56, 16},
};

const DialogTemplate kTemplate = {WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT, "", 110, 65, kItems,
                                  static_cast<int>(sizeof kItems / sizeof kItems[0])};

LRESULT NameDialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return g_NameDialog ? g_NameDialog->WindowProc(hWnd, msg, wParam, lParam) : FALSE;
}

}  // namespace

cNameDialog::cNameDialog(cWindow* lpMainWnd, int windowed, std::string* name, int english)
    : m_pName(name), m_bEnglish(english) {
  RegisterDialogTemplate(kTemplateId, &kTemplate);
  Prepare(kTemplateId, lpMainWnd, 1, &g_DialogList);
  g_NameDialog = this;
  m_lpDlgProc = &NameDialogProc;
  Setup(0, 0, 100, 100, 640, 480, 0, 0, 0, 0, 0, 0);
  const POINT main = windowed && lpMainWnd ? lpMainWnd->m_ptWindow : POINT{0, 0};
  m_ptPlace = POINT{main.x + 240, main.y + 220};
  SetCursorPos(m_ptPlace.x + 80, m_ptPlace.y + 65);
  if (m_pName) m_vEdit.resize(1);
}

cNameDialog::~cNameDialog() {
  if (m_bInitDone) EndOpenWindow();
  if (g_NameDialog == this) g_NameDialog = nullptr;
}

void cNameDialog::OnInitDialog(WPARAM wParam, LPARAM lParam) {
  cDialog::OnInitDialog(wParam, lParam);
  if (!m_vEdit.empty()) {
    // Three characters, a lead and trail byte pair counting as one.
    EditParam param;
    param.nId = kEditId;
    param.lpText = m_pName;
    param.nMaxTotal = 4;
    param.nMaxLine = 3;
    param.nMaxLines = 1;
    param.bCountChars = 1;
    for (cEdit& e : m_vEdit) {
      e.Init(this, param);
      m_vControl.push_back(&e);
    }
    UpdateControls();
    HWND edit = GetDlgItem(m_hWnd, kEditId);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, 0x7FFFFFFF);
  }
  if (m_bEnglish) SetWindowTextA(GetDlgItem(m_hWnd, 1007), "     Name");
  m_bInitDone = 1;
}

void cNameDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (!CanCommand(wParam)) return;
  cDialog::OnCommand(wParam, lParam);
  switch (LOWORD(wParam)) {
    case 1000:
      UpdateData();
      End(1);
      break;
    case 1001:
      End(0);
      break;
    default:
      break;
  }
}

int RunNameDialog(cWindow* lpMainWnd, int windowed, std::string* name, int english) {
  cNameDialog dialog(lpMainWnd, windowed, name, english);
  return dialog.DoModal(0);
}
