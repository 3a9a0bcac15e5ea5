#include "project/shell_state.h"

#include "core/shell_link.h"
#include "platform/message.h"
#include "platform/time.h"

int g_nGameMode = GAMEMODE_STORY;
int g_nPlayMode = PLAYMODE_NEW_GAME;
int g_bFreePlay = 0;
int g_bTestPlay = 0;

std::atomic<int> g_bRequestDone{0};
std::atomic<int> g_nRequestResult{0};

int SendWindowRequest(UINT msg, WPARAM wParam) {
  g_bRequestDone = 0;
  SendMessageA(g_hWnd, msg, wParam, 0);
  // The window thread answers inside the send; the flag is polled all the same, as the
  // window thread may answer from a loop of its own.
  while (!g_bRequestDone) {
    if (!IsWindow(g_hWnd)) return 0;
    Sleep(1);
  }
  return g_nRequestResult;
}

void AnswerWindowRequest(int result) {
  g_nRequestResult = result;
  g_bRequestDone = 1;
}
