#include "ui/start_dialog.h"

#include "core/log.h"
#include "platform/message.h"
#include "platform/window.h"

cStartSettings g_StartSettings;
cStartDialog* g_StartDialog = nullptr;
const char* const g_lpszBootFile = "user_data\\Boot.dat";

namespace {

constexpr int kTemplateId = 103;

const DialogItemTemplate kItems[] = {
    {"static", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP, 1075, 7, 7, 20, 21},
    {"button", "ゲーム開始", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP, 1000, 80, 105, 50, 25},
    {"button", "ゲーム中止", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, 1001, 80, 140, 50, 18},
    {"button", "描画モード", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 1006, 15, 15, 190, 55},
    {"button", "Direct3D", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | WS_TABSTOP, 1002, 20, 30, 42, 10},
    {"button", "DirectDraw", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | WS_TABSTOP, 1003, 80, 30, 45, 10},
    {"static", "詳細な設定は環境設定ファイル「System.ini」で行って下さい。", WS_CHILD | WS_VISIBLE | SS_LEFT | WS_GROUP,
     1005, 20, 50, 177, 12},
    {"button", "次回からこのダイアログを表示しない", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX | WS_TABSTOP, 1004, 50, 85,
     120, 10},
};

const DialogTemplate kTemplate = {WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_SETFONT, "", 222, 171, kItems,
                                  static_cast<int>(sizeof kItems / sizeof kItems[0])};

LRESULT StartDialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return g_StartDialog ? g_StartDialog->WindowProc(hWnd, msg, wParam, lParam) : FALSE;
}

template <class T>
T* FindById(std::vector<T>& list, int id) {
  for (T& c : list) {
    if (c.m_nId == static_cast<uint16_t>(id)) return &c;
  }
  ReportMissingControl(id);
  return nullptr;
}

}  // namespace

cStartSettings::cStartSettings() { SetDefault(); }

void cStartSettings::RegisterFields(int) {
  AddField(&m_nMode);
  AddField(&m_bDontAsk);
}

void cStartSettings::SetDefault() {
  Clear();
  m_nMode = 1;
  m_bDontAsk = 0;
}

void cCheckBox::SetData() {
  if (m_pValue) SendMessageA(m_hWnd, BM_SETCHECK, *m_pValue ? BST_CHECKED : BST_UNCHECKED, 0);
}

void cCheckBox::GetData() {
  if (!m_pValue || (m_lpDialog && m_lpDialog->m_bUpdating)) return;
  *m_pValue = SendMessageA(m_hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void cRadioButton::SetData() {
  if (m_pValue) SendMessageA(m_hWnd, BM_SETCHECK, *m_pValue == m_nValue ? BST_CHECKED : BST_UNCHECKED, 0);
}

void cRadioButton::GetData() {
  if (!m_pValue || (m_lpDialog && m_lpDialog->m_bUpdating)) return;
  if (SendMessageA(m_hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED) *m_pValue = m_nValue;
}

cStartDialog::cStartDialog(cWindow* lpMainWnd, const char* title, int english)
    : m_strTitle(title ? title : ""), m_bEnglish(english) {
  RegisterDialogTemplate(kTemplateId, &kTemplate);
  Prepare(kTemplateId, lpMainWnd, 1, &g_DialogList);
  g_StartDialog = this;
  m_lpDlgProc = &StartDialogProc;
  Setup(0, 0, 100, 100, 640, 480, 0, 0, 0, 0, 0, 0);
  const POINT main = lpMainWnd ? lpMainWnd->m_ptWindow : POINT{0, 0};
  // Over the middle of the 640 × 480 client area, the mouse on the start button.
  m_ptPlace = POINT{main.x + 133, main.y + 104};
  SetCursorPos(static_cast<int>(m_ptPlace.x + 181.9), static_cast<int>(m_ptPlace.y + 198.9));
  m_vRadio.resize(2);
  m_vRadio[0].m_nId = 1002;
  m_vRadio[0].m_pValue = reinterpret_cast<int32_t*>(&g_StartSettings.m_nMode);
  m_vRadio[0].m_nValue = 1;
  m_vRadio[1].m_nId = 1003;
  m_vRadio[1].m_pValue = reinterpret_cast<int32_t*>(&g_StartSettings.m_nMode);
  m_vRadio[1].m_nValue = 0;
  m_vCheck.resize(1);
  m_vCheck[0].m_nId = 1004;
  m_vCheck[0].m_pValue = reinterpret_cast<int32_t*>(&g_StartSettings.m_bDontAsk);
  m_vText.resize(1);
  m_vText[0].m_nId = 1005;
}

cStartDialog::~cStartDialog() {
  if (m_bInitDone) EndOpenWindow();
  if (g_StartDialog == this) g_StartDialog = nullptr;
}

void cStartDialog::OnInitDialog(WPARAM wParam, LPARAM lParam) {
  cDialog::OnInitDialog(wParam, lParam);
  SetWindowTextA(m_hWnd, m_strTitle.c_str());
  for (cRadioButton& r : m_vRadio) {
    r.Attach(this, r.m_nId);
    m_vControl.push_back(&r);
  }
  for (cCheckBox& c : m_vCheck) {
    c.Attach(this, c.m_nId);
    m_vControl.push_back(&c);
  }
  for (cTextCtrl& t : m_vText) {
    t.Attach(this, t.m_nId);
    m_vControl.push_back(&t);
  }
  UpdateControls();
  if (m_bEnglish) {
    SetWindowTextA(GetDlgItem(m_hWnd, 1006), "Drawing mode");
    SetWindowTextA(GetDlgItem(m_hWnd, 1000), "Start");
    SetWindowTextA(GetDlgItem(m_hWnd, 1001), "Cancel");
    if (cTextCtrl* t = FindById(m_vText, 1005)) t->SetText("Configure the detail settings at \"System.ini\".");
    if (cCheckBox* c = FindById(m_vCheck, 1004)) c->SetText("Do not ask this dialog again");
  }
  m_bInitDone = 1;
}

void cStartDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (!CanCommand(wParam)) return;
  cDialog::OnCommand(wParam, lParam);
  switch (LOWORD(wParam)) {
    case 1000:
      UpdateData();
      // A Boot.dat that cannot be written is not reported: the choice still holds for this run.
      g_StartSettings.SaveFile(g_lpszBootFile);
      End(1);
      break;
    case 1001:
      End(0);
      break;
    default:
      break;
  }
}

int AskDrawingBackend(int direct3d, cWindow* lpMainWnd, const char* title, int english) {
  if (direct3d < 2) return direct3d;
  g_StartSettings.SetDefault();
  if (!g_StartSettings.LoadFile(g_lpszBootFile)) g_StartSettings.SetDefault();
  if (!g_StartSettings.m_bDontAsk) {
    cStartDialog dialog(lpMainWnd, title, english);
    if (dialog.DoModal(0) == 0) return -1;
  }
  return g_StartSettings.m_nMode == 1 ? 1 : 0;
}
