#include "core/shell_link.h"

#include "core/log.h"
#include "platform/message.h"
#include "platform/msgbox.h"
#include "platform/thread.h"

HWND g_hWnd = nullptr;
int DDInitDone = 0;
int DDWindowMode = 0;
int (*g_lpfnDDSetDialogMode)(int bOn) = nullptr;
int (*g_lpfnDDUsingDirect3D)() = nullptr;
void (*g_lpfnDDDebugTextOnBackBuffer)(int, int, int, int, DDSURFACEDATA*, const char*) = nullptr;

namespace {

// An exception that escaped a thread's procedure is a fatal error: logged, and the main
// window closes the program in order.
void OnThreadException(const char* text) {
  ReportErrorLog("%s", text);
  PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
}

[[maybe_unused]] const bool s_threadExceptionsHandled = (SetThreadExceptionHandler(&OnThreadException), true);

}  // namespace

int DDMesBox(const char* text, const char* caption, UINT type) {
  if (!g_lpfnDDSetDialogMode || !g_lpfnDDSetDialogMode(1)) {
    ErrorLog("DDMesBox 失敗! %s, %s", text, caption);
    return 0;
  }
  MessageBoxA(g_hWnd, text, caption, type);
  g_lpfnDDSetDialogMode(0);
  return 1;
}
