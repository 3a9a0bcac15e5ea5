#include "platform/message.h"

#include <deque>
#include <mutex>

namespace {

std::mutex g_mutex;
std::deque<MSG> g_queue;

bool Matches(const MSG& m, HWND hWnd, UINT lo, UINT hi) {
  if (hWnd && m.hwnd != hWnd) return false;
  if (lo == 0 && hi == 0) return true;
  return m.message >= lo && m.message <= hi;
}

}  // namespace

BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  std::lock_guard<std::mutex> lock(g_mutex);
  MSG m{};
  m.hwnd = hWnd;
  m.message = Msg;
  m.wParam = wParam;
  m.lParam = lParam;
  g_queue.push_back(m);
  return TRUE;
}

BOOL PeekMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
  std::lock_guard<std::mutex> lock(g_mutex);
  for (auto it = g_queue.begin(); it != g_queue.end(); ++it) {
    if (!Matches(*it, hWnd, wMsgFilterMin, wMsgFilterMax)) continue;
    if (lpMsg) *lpMsg = *it;
    if (wRemoveMsg & PM_REMOVE) g_queue.erase(it);
    return TRUE;
  }
  return FALSE;
}
