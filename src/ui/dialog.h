// The base of the system's dialogs: a window made from a template resource and run modally,
// with the list of its controls, the routing of commands, notifications and keys to them, and
// the keyboard hook. Its window is subclassed (DlgSubclassProc) when it opens; while it runs,
// DoModal's flags 2 and 4 hide or disable the windows of its window list.
#pragma once

#include <vector>

#include "platform/dialog.h"
#include "platform/wintypes.h"
#include "ui/control.h"
#include "ui/keyboard_hook.h"
#include "ui/window.h"
#include "ui/window_list.h"

class cDialog : public cWindow {
 public:
  int32_t m_bModeless = 0;
  int32_t m_nModalFlags = 0;
  // The dialog's window procedure before it was subclassed; null until OnInitDialog.
  WNDPROC m_lpOldProc = nullptr;
  int32_t m_nResult = 0;
  cHook m_Hook;
  cWindow* m_lpParentWnd = nullptr;
  int32_t m_bUpdating = 0;
  std::vector<cControl*> m_vControl;  // not owned
  // Every dialog holds a canvas control.
  cCanvasCtrl m_CanvasCtrl;

  cDialog() = default;

  void OnCommand(WPARAM wParam, LPARAM lParam) override;
  // The derived dialog's message handler; the base passes everything to MsgProc.
  LRESULT WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  LRESULT MsgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Update() override;
  virtual void OnInitDialog(WPARAM wParam, LPARAM lParam);

  void Prepare(int resourceId, cWindow* parent, int bDialog, cWindowList* lpWindowList);
  void Init(int resourceId, cWindow* parent, cWindowList* lpWindowList);
  // Runs the dialog; the value given to End, or 0 at once when it is already open.
  int DoModal(int flags);
  void End(int result);
  int CanCommand(WPARAM) { return 1; }
  void UpdateControls();
  void UpdateData();
  // Shows (flag 2) and enables (flag 4) the window list again.
  void RestoreOthers();
  // For the derived dialogs' destructors: a dialog whose window is still open ends, and its
  // entry leaves the window list ("ウインドウの破棄に失敗！" when it is not listed).
  void EndOpenWindow();
};

// The subclass procedure of every dialog window: the dialog found through the window's
// property "DLG_CLASS" gets the message through the procedure it replaced.
LRESULT DlgSubclassProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The dialog procedure of the derived dialogs: forwards to the live instance's WindowProc.
// The WindowProc they share: MsgProc, WM_DESTROY and WM_CLOSE (End (0)) handled.
BOOL DialogWindowProc(cDialog* dialog, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

// A control looked up by id was not found: the debug error box and WM_CLOSE to the main
// window.
void ReportMissingControl(int id);
