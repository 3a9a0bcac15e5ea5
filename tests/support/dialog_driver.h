// Drives the dialogs of a test through made-up display events: keys, typed text and clicks on
// controls, queued for the dialog's modal loop from the hook that runs when a dialog opens.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/dialog.h"

class DialogDriver {
 public:
  // Every dialog that opens while the driver lives runs script (may be empty) with its handle.
  explicit DialogDriver(std::function<void(DialogDriver&, HWND)> script);
  ~DialogDriver();

  // Key press and release by SDL scancode.
  void Key(int scancode);
  // Text as the input method commits it (UTF-8), or shows it while composing.
  void Text(const std::string& utf8);
  void Composing(const std::string& utf8);
  // A left click in the middle of the control.
  void Click(int id);
  // The window manager's close button.
  void Close();

  HWND dialog() const { return dialog_; }
  int opened() const { return opened_; }

 private:
  std::function<void(DialogDriver&, HWND)> script_;
  HWND dialog_ = nullptr;
  int opened_ = 0;
};
