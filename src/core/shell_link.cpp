#include "core/shell_link.h"

#include "core/log.h"
#include "platform/msgbox.h"

HWND g_hWnd = nullptr;
int DDInitDone = 0;
int DDWindowMode = 0;
int (*g_lpfnDDSetDialogMode)(int bOn) = nullptr;

int DDMesBox(const char* text, const char* caption, UINT type) {
  if (!g_lpfnDDSetDialogMode || !g_lpfnDDSetDialogMode(1)) {
    ErrorLog("DDMesBox 失敗! %s, %s", text, caption);
    return 0;
  }
  MessageBoxA(g_hWnd, text, caption, type);
  g_lpfnDDSetDialogMode(0);
  return 1;
}
