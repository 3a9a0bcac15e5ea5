// Sends one request of the game side to the main window from a thread of its own, as the game
// thread does, while the main thread serves the window; for looking at the dialogs by hand:
//   show_request name|stage|replay|save [english]   (run in a project folder)
// Prints the request's answer.
#include <cstdio>
#include <cstring>
#include <thread>

#include "app/main_window.h"
#include "app/process.h"
#include "app/startup.h"
#include "app/system_ini.h"
#include "core/log.h"
#include "core/shell_link.h"
#include "platform/message.h"
#include "platform/text_engine.h"
#include "platform/thread.h"
#include "platform/window.h"
#include "project/shell_state.h"

int main(int argc, char** argv) {
  const char* const usage = "usage: show_request name|stage|replay|save [english]\n";
  if (argc < 2) {
    std::fputs(usage, stderr);
    return 2;
  }
  UINT request = 0;
  WPARAM wParam = 0;
  if (std::strcmp(argv[1], "name") == 0) {
    request = WM_REQUEST_NAME;
    g_nPlayMode = PLAYMODE_OPTIONS;  // the options screen's ranking name
  } else if (std::strcmp(argv[1], "stage") == 0) {
    request = WM_REQUEST_OPEN_STAGE;
  } else if (std::strcmp(argv[1], "replay") == 0) {
    request = WM_REQUEST_LOAD_REPLAY;
  } else if (std::strcmp(argv[1], "save") == 0) {
    request = WM_REQUEST_SAVE_REPLAY;
  } else {
    std::fputs(usage, stderr);
    return 2;
  }
  g_SystemIni.English = argc > 2 && std::strcmp(argv[2], "english") == 0 ? 1 : 0;
  SetReportLogPath("Report_Game.txt");
  gfx::UseTextEngine();

  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &WndProc;
  wc.lpszClassName = g_lpszMainWindowClass;
  RegisterClassExA(&wc);
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  g_MainWindow.Setup(640, 480, 100, 100, 640, 480, style, 0, 0, 0, 0, 0);
  const HWND hWnd = CreateWindowExA(0, g_lpszMainWindowClass, "show_request", style, 100, 100,
                                    g_MainWindow.m_rcWindow.right, g_MainWindow.m_rcWindow.bottom, nullptr, nullptr,
                                    nullptr, nullptr);
  if (!hWnd) return 1;
  g_MainWindow.m_hWnd = hWnd;
  g_hWnd = hWnd;
  g_bWindowed = 1;
  ShowWindow(hWnd, SW_SHOWNORMAL);

  const DWORD mainThread = GetCurrentThreadId();
  int answer = -1;
  std::thread sender([&] {
    if (request == WM_REQUEST_NAME) {
      SendMessageA(g_hWnd, request, 0, 0);
      answer = g_bNameEntered.load();
    } else {
      answer = SendWindowRequest(request, wParam);
    }
    PostThreadMessageA(mainThread, WM_QUIT, 0, 0);
  });
  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  sender.join();
  std::printf("%s: %d\n", argv[1], answer);
  return 0;
}
