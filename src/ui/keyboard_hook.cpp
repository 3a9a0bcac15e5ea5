#include "ui/keyboard_hook.h"

#include "core/log.h"
#include "platform/input.h"
#include "platform/message.h"
#include "platform/msgbox.h"
#include "platform/thread.h"
#include "platform/window.h"

namespace {

// The thread's hook and the Ctrl-held flag that every dialog of the thread shares.
thread_local HHOOK t_hHook = nullptr;
thread_local int t_bCtrlHeld = 0;

}  // namespace

HookAction DecideHookAction(int vk, bool keyUp, bool hasContext, bool composing, bool modeless, int* ctrlHeld) {
  if (keyUp) {
    if (vk == VK_CONTROL) *ctrlHeld = 0;
    return modeless && *ctrlHeld ? HookAction::kNone : HookAction::kKeyUp;
  }
  if (vk == VK_TAB) return HookAction::kNone;
  if (hasContext) {
    if (vk == VK_RETURN) {
      if (composing) return HookAction::kNone;
    } else if (!composing && cHook::IsForwardKey(vk)) {
      return HookAction::kForward;
    }
  }
  if (vk == VK_CONTROL) *ctrlHeld = 1;
  return modeless && *ctrlHeld ? HookAction::kNone : HookAction::kKeyDown;
}

int cHook::IsForwardKey(int vk) {
  switch (vk) {
    case VK_SPACE:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_DELETE:
      return 1;
    default:
      return vk >= VK_F1 && vk <= VK_F1 + 7 ? 1 : 0;
  }
}

int cHook::KeyboardHook(HWND hWnd, int bModeless) {
  m_hWnd = hWnd;
  m_bModeless = bModeless;
  SetPropA(hWnd, "cHook", this);
  if (!t_hHook) t_hHook = SetWindowsHookExA(WH_KEYBOARD, &cHook::HookProc, nullptr, GetCurrentThreadId());
  return t_hHook ? 1 : 0;
}

LRESULT cHook::HookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code < 0 || code == HC_NOREMOVE) return CallNextHookEx(t_hHook, code, wParam, lParam);
  HWND active = GetActiveWindow();
  cHook* hook = static_cast<cHook*>(GetPropA(active, "cHook"));
  if (!hook || hook->m_hWnd != active) return CallNextHookEx(t_hHook, code, wParam, lParam);
  const int vk = static_cast<int>(wParam);
  const bool keyUp = (static_cast<uint32_t>(lParam) & 0x80000000u) != 0;
  bool hasContext = false, composing = false;
  if (!keyUp && vk != VK_TAB) {
    HIMC imc = ImmGetContext(active);
    hasContext = imc != nullptr;
    if (imc) {
      composing = ImmGetCompositionStringA(imc, GCS_COMPSTR, nullptr, 0) > 0;
      ImmReleaseContext(active, imc);
    } else {
      DebugErrorBoxF("%s", "Err ImmGetContext");
    }
  }
  switch (DecideHookAction(vk, keyUp, hasContext, composing, hook->m_bModeless != 0, &t_bCtrlHeld)) {
    case HookAction::kKeyDown:
      PostMessageA(active, WM_KEYDOWN, wParam, lParam);
      break;
    case HookAction::kForward:
      PostMessageA(active, WM_DIALOG_FORWARD_KEY, wParam, lParam);
      break;
    case HookAction::kKeyUp:
      PostMessageA(active, WM_KEYUP, wParam, lParam);
      break;
    case HookAction::kNone:
      break;
  }
  return CallNextHookEx(t_hHook, code, wParam, lParam);
}

void cHook::UnhookAll() {
  if (t_hHook) UnhookWindowsHookEx(t_hHook);
  t_hHook = nullptr;
}

bool cHook::Installed() { return t_hHook != nullptr; }
