// The name dialog: the ranking name of at most three characters, entered in a small modal
// dialog on the window thread.
#pragma once

#include <string>
#include <vector>

#include "ui/dialog.h"

class cNameDialog : public cDialog {
 public:
  std::vector<cEdit> m_vEdit;
  int32_t m_bInitDone = 0;

  // The dialog over the main window: at its top-left + (240, 220) when windowed, at (240, 220)
  // of the screen in full screen. name is the text the field edits (the user options' ranking
  // name, or the pending ranking entry's); null: the dialog has no field.
  cNameDialog(cWindow* lpMainWnd, int windowed, std::string* name, int english);
  ~cNameDialog() override;

  void OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnInitDialog(WPARAM wParam, LPARAM lParam) override;

 private:
  std::string* m_pName = nullptr;
  int m_bEnglish = 0;
};

extern cNameDialog* g_NameDialog;

// Runs the name dialog; 1 after OK (the name written), 0 otherwise (the name unchanged).
int RunNameDialog(cWindow* lpMainWnd, int windowed, std::string* name, int english);
