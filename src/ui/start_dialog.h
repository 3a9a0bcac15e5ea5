// The start dialog: asks for the drawing back-end (Direct3D or DirectDraw) when the
// configuration leaves it open, with a box not to ask again, and keeps the choice in
// "user_data\Boot.dat".
#pragma once

#include <vector>

#include "core/save_record.h"
#include "ui/dialog.h"

// The saved choice: mode 1 Direct3D, 0 DirectDraw; don't ask 1: the dialog is not shown again.
class cStartSettings : public cSaveRecord {
 public:
  uint32_t m_nMode = 1;
  uint32_t m_bDontAsk = 0;

  cStartSettings();
  void RegisterFields(int version) override;
  // The defaults: Direct3D, ask again.
  void SetDefault();
};

extern cStartSettings g_StartSettings;
extern const char* const g_lpszBootFile;

// A check box bound to an int.
class cCheckBox : public cControl {
 public:
  int32_t* m_pValue = nullptr;
  cCheckBox() : cControl(5) {}
  void SetData() override;
  void GetData() override;
};

// A radio button that writes its own value into the bound int when checked.
class cRadioButton : public cControl {
 public:
  int32_t* m_pValue = nullptr;
  int32_t m_nValue = 0;
  cRadioButton() : cControl(6) {}
  void SetData() override;
  void GetData() override;
};

// A text control without data.
class cTextCtrl : public cControl {
 public:
  cTextCtrl() : cControl(0) {}
};

class cStartDialog : public cDialog {
 public:
  std::vector<cCheckBox> m_vCheck;
  std::vector<cRadioButton> m_vRadio;
  std::vector<cTextCtrl> m_vText;
  int32_t m_bInitDone = 0;

  // The dialog over the main window (null: the desktop's origin), captioned with the game's
  // title, in English when english is set.
  cStartDialog(cWindow* lpMainWnd, const char* title, int english);
  ~cStartDialog() override;

  void OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnInitDialog(WPARAM wParam, LPARAM lParam) override;

 private:
  std::string m_strTitle;
  int m_bEnglish = 0;
};

extern cStartDialog* g_StartDialog;

// The start-up step that asks for the drawing back-end. direct3d is the configuration's value;
// below 2 it is returned as it is and Boot.dat is neither read nor written. Otherwise
// Boot.dat is read (missing: the defaults); unless it says not to ask, the dialog runs. Returns
// 1 for Direct3D, 0 for DirectDraw, −1 when the player cancelled (the program ends quietly).
int AskDrawingBackend(int direct3d, cWindow* lpMainWnd, const char* title, int english);
