// The base of the system's dialogs: a modal dialog made from a template resource, with the
// list of its controls, the routing of commands, notifications and keys to them, and the
// keyboard hook. It keeps the parts of a window object that dialogs use: the handle, the
// place it moves to when it opens and the guard against commands caused by commands.
#pragma once

#include <vector>

#include "platform/dialog.h"
#include "platform/wintypes.h"
#include "ui/control.h"
#include "ui/keyboard_hook.h"

class cDialog {
 public:
  HWND m_hWnd = nullptr;
  HWND m_hParent = nullptr;
  int32_t m_nResourceId = 0;
  int32_t m_bDialog = 0;
  POINT m_ptPlace{-1000, -1000};
  int32_t m_bInCommand = 0;
  DLGPROC m_lpDlgProc = nullptr;

  int32_t m_bModeless = 0;
  int32_t m_nModalFlags = 0;
  int32_t m_nResult = 0;
  cHook m_Hook;
  HWND m_lpParentWnd = nullptr;
  int32_t m_bUpdating = 0;
  std::vector<cControl*> m_vControl;  // not owned

  cDialog() = default;
  virtual ~cDialog() = default;
  cDialog(const cDialog&) = delete;
  cDialog& operator=(const cDialog&) = delete;

  virtual void OnCommand(WPARAM wParam, LPARAM lParam);
  // The derived dialog's message handler; the base passes everything to MsgProc.
  virtual BOOL WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  virtual LRESULT MsgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
  virtual void Update();
  virtual void OnPaint() {}
  virtual void OnInitDialog(WPARAM wParam, LPARAM lParam);

  void Prepare(int resourceId, HWND parent, int bDialog);
  void Init(int resourceId, HWND parent);
  // Runs the dialog; the value given to End, or 0 at once when it is already open.
  int DoModal(int flags);
  void End(int result);
  int CanCommand(WPARAM) { return 1; }
  void UpdateControls();
  void UpdateData();
  // Moves the window to m_ptPlace, kept inside the work area (not when a coordinate is −1000).
  void Place();
};

// The dialog procedure of the derived dialogs: forwards to the live instance's WindowProc.
// The WindowProc they share: MsgProc, WM_DESTROY and WM_CLOSE (End (0)) handled.
BOOL DialogWindowProc(cDialog* dialog, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

// A control looked up by id was not found: the debug error box and WM_CLOSE to the main
// window.
void ReportMissingControl(int id);
