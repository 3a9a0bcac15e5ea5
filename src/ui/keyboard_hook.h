// The thread keyboard hook of the dialogs: it copies the keys typed into a dialog's controls
// to the dialog window itself, so that the dialog sees navigation and function keys while an
// edit control has the focus, and leaves Enter to the input method while it composes.
#pragma once

#include "platform/dialog.h"
#include "platform/wintypes.h"

// A key the hook forwards to a dialog; the dialog turns it into WM_KEYDOWN.
constexpr UINT WM_DIALOG_FORWARD_KEY = 2024;

// What the hook does with one key stroke.
enum class HookAction {
  kNone,     // nothing reaches the dialog
  kKeyDown,  // a copy as WM_KEYDOWN
  kForward,  // message 2024
  kKeyUp,    // a copy as WM_KEYUP
};

// The decision for one key stroke: vk, released or pressed, whether the window has an input
// context and whether a composition is in progress in it, whether the dialog is modeless.
// ctrlHeld is the thread's Ctrl-held flag, updated by Ctrl strokes.
HookAction DecideHookAction(int vk, bool keyUp, bool hasContext, bool composing, bool modeless, int* ctrlHeld);

class cHook {
 public:
  HWND m_hWnd = nullptr;
  int m_bModeless = 0;

  virtual ~cHook() = default;

  // Hooks window (the dialog) and installs the thread's hook when it has none; 1 when a hook
  // exists afterwards.
  int KeyboardHook(HWND hWnd, int bModeless);
  static LRESULT HookProc(int code, WPARAM wParam, LPARAM lParam);
  static int IsForwardKey(int vk);
  // Removes the thread's hook (shutdown).
  static void UnhookAll();
  // Whether the thread's hook is installed.
  static bool Installed();
};
