#include "platform/message.h"

#include <algorithm>
#include <atomic>

#include "platform/thread_state.h"
#include "platform/time.h"

namespace platform_internal {

namespace {

// The most messages a queue holds; further posts fail, as on Windows.
constexpr size_t kQueueLimit = 10000;

const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));

bool FilterMatches(const MSG& m, HWND hWnd, UINT lo, UINT hi) {
  if (hWnd == kThreadMessagesOnly) {
    if (m.hwnd) return false;
  } else if (hWnd && m.hwnd != hWnd) {
    return false;
  }
  if (lo == 0 && hi == 0) return true;
  return m.message >= lo && m.message <= hi;
}

const WindowRecord* FindWindow(HWND hWnd) {
  auto& windows = Shared().windows;
  auto it = windows.find(hWnd);
  return it == windows.end() ? nullptr : &it->second;
}

ThreadRecord* FindQueue(DWORD id) {
  auto& queues = Shared().queues;
  auto it = queues.find(id);
  return it == queues.end() ? nullptr : it->second.get();
}

bool Post(ThreadRecord& target, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  if (!target.hasQueue || target.ended || target.posted.size() >= kQueueLimit) return false;
  MSG m{};
  m.hwnd = hWnd;
  m.message = Msg;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = timeGetTime();
  target.posted.push_back(m);
  return true;
}

// Takes (or looks at) the first posted message that matches, or the quit request.
bool TakePosted(ThreadRecord& self, MSG* lpMsg, HWND hWnd, UINT lo, UINT hi, bool remove) {
  for (auto it = self.posted.begin(); it != self.posted.end(); ++it) {
    if (!FilterMatches(*it, hWnd, lo, hi)) continue;
    if (lpMsg) *lpMsg = *it;
    if (remove) self.posted.erase(it);
    return true;
  }
  if (self.quitPending && (hWnd == nullptr || hWnd == kThreadMessagesOnly) &&
      ((lo == 0 && hi == 0) || (WM_QUIT >= lo && WM_QUIT <= hi))) {
    if (lpMsg) {
      *lpMsg = MSG{};
      lpMsg->message = WM_QUIT;
      lpMsg->wParam = static_cast<WPARAM>(self.quitCode);
      lpMsg->time = timeGetTime();
    }
    if (remove) self.quitPending = false;
    return true;
  }
  return false;
}

// Releases the waiting senders whose call matches (done, result 0).
template <class Pred>
void ReleaseSent(ThreadRecord& owner, Pred pred) {
  auto& sent = owner.sent;
  for (auto it = sent.begin(); it != sent.end();) {
    if (pred(**it)) {
      (*it)->done = true;
      it = sent.erase(it);
    } else {
      ++it;
    }
  }
}

// The display's pump and the thread it runs on.
std::atomic<void (*)()> g_pump{nullptr};
std::atomic<DWORD> g_pumpThread{0};

bool PumpsHere(const ThreadRecord& self) { return g_pump.load() && g_pumpThread.load() == self.id; }

// Runs the pump (lock released around it) when the calling thread is the pump's.
void Pump(Lock& lock, const ThreadRecord& self) {
  void (*pump)() = g_pump.load();
  if (!pump || g_pumpThread.load() != self.id) return;
  lock.unlock();
  try {
    pump();
  } catch (...) {
    lock.lock();
    throw;
  }
  lock.lock();
}

// How long a wait lasts before the pump's thread pumps again.
Deadline PumpDeadline(const ThreadRecord& self) { return PumpsHere(self) ? DeadlineAfter(10) : Deadline{}; }

// Takes a waiting sender's call out of the owner's queue when the sender gives up.
void DropSentCall(DWORD owner, const std::shared_ptr<SentCall>& call) {
  ThreadRecord* target = FindQueue(owner);
  if (!target) return;
  auto& sent = target->sent;
  sent.erase(std::remove(sent.begin(), sent.end(), call), sent.end());
}

}  // namespace

void EnsureQueue(ThreadRecord& self) {
  if (self.hasQueue || self.ended) return;
  self.hasQueue = true;
  Shared().queues[self.id] = Self();
}

bool RunSentMessages(Lock& lock, ThreadRecord& self) {
  bool ran = false;
  // What has arrived is seen here: a sleep after this pump is not ended by it.
  self.seenArrivals = self.sentArrivals;
  while (!self.sent.empty()) {
    std::shared_ptr<SentCall> call = self.sent.front();
    self.sent.pop_front();
    const WindowRecord* window = FindWindow(call->hwnd);
    if (!window || window->owner != self.id) {
      call->done = true;
      NotifyChange();
      continue;
    }
    WNDPROC proc = window->proc;
    lock.unlock();
    LRESULT result = 0;
    try {
      result = proc(call->hwnd, call->msg, call->wParam, call->lParam);
    } catch (...) {
      // The sender is released; the exception goes on in the window's thread.
      lock.lock();
      call->done = true;
      NotifyChange();
      throw;
    }
    lock.lock();
    call->result = result;
    call->done = true;
    NotifyChange();
    ran = true;
  }
  return ran;
}

void EndThread(ThreadRecord& rec) {
  if (rec.ended) return;
  rec.ended = true;
  auto& windows = Shared().windows;
  for (auto it = windows.begin(); it != windows.end();) {
    if (it->second.owner == rec.id) {
      it = windows.erase(it);
    } else {
      ++it;
    }
  }
  ReleaseSent(rec, [](const SentCall&) { return true; });
  rec.posted.clear();
  rec.quitPending = false;
  rec.hasQueue = false;
  Shared().queues.erase(rec.id);
}

}  // namespace platform_internal

using namespace platform_internal;

BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Lock lock(Shared().mutex);
  ThreadRecord& self = *Self();
  EnsureQueue(self);
  ThreadRecord* target = &self;
  if (hWnd) {
    const WindowRecord* window = FindWindow(hWnd);
    if (!window) return FALSE;
    target = FindQueue(window->owner);
    if (!target) return FALSE;
  }
  if (!Post(*target, hWnd, Msg, wParam, lParam)) return FALSE;
  lock.unlock();
  NotifyChange();
  return TRUE;
}

BOOL PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Lock lock(Shared().mutex);
  EnsureQueue(*Self());
  ThreadRecord* target = FindQueue(idThread);
  if (!target || !Post(*target, nullptr, Msg, wParam, lParam)) return FALSE;
  lock.unlock();
  NotifyChange();
  return TRUE;
}

void PostQuitMessage(int nExitCode) {
  Lock lock(Shared().mutex);
  ThreadRecord& self = *Self();
  EnsureQueue(self);
  self.quitPending = true;
  self.quitCode = nExitCode;
  lock.unlock();
  NotifyChange();
}

BOOL PeekMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
  Lock lock(Shared().mutex);
  ThreadRecord& self = *Self();
  EnsureQueue(self);
  if (!WaitPoint(lock, self)) return FALSE;
  Pump(lock, self);
  RunSentMessages(lock, self);
  if (hWnd && hWnd != kThreadMessagesOnly && !FindWindow(hWnd)) return FALSE;
  return TakePosted(self, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  Lock lock(Shared().mutex);
  ThreadRecord& self = *Self();
  EnsureQueue(self);
  for (;;) {
    if (!WaitPoint(lock, self)) {
      // Unwinding already: report the end of the loop.
      if (lpMsg) {
        *lpMsg = MSG{};
        lpMsg->message = WM_QUIT;
      }
      return 0;
    }
    Pump(lock, self);
    if (RunSentMessages(lock, self)) continue;
    if (hWnd && hWnd != kThreadMessagesOnly && !FindWindow(hWnd)) return -1;
    MSG m{};
    if (TakePosted(self, &m, hWnd, wMsgFilterMin, wMsgFilterMax, true)) {
      if (lpMsg) *lpMsg = m;
      return m.message == WM_QUIT ? 0 : 1;
    }
    WaitChange(lock, PumpDeadline(self));
  }
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageA(const MSG* lpMsg) {
  if (!lpMsg || !lpMsg->hwnd) return 0;
  Lock lock(Shared().mutex);
  ThreadRecord& self = *Self();
  EnsureQueue(self);
  const WindowRecord* window = FindWindow(lpMsg->hwnd);
  if (!window || window->owner != self.id) return 0;
  WNDPROC proc = window->proc;
  lock.unlock();
  return proc(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

BOOL WaitMessage() {
  Lock lock(Shared().mutex);
  ThreadRecord& self = *Self();
  EnsureQueue(self);
  for (;;) {
    if (!WaitPoint(lock, self)) return FALSE;
    Pump(lock, self);
    if (RunSentMessages(lock, self)) return TRUE;
    if (!self.posted.empty() || self.quitPending) return TRUE;
    WaitChange(lock, PumpDeadline(self));
  }
}

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Lock lock(Shared().mutex);
  ThreadRecord& self = *Self();
  EnsureQueue(self);
  const WindowRecord* window = FindWindow(hWnd);
  if (!window) return 0;
  if (window->owner == self.id) {
    WNDPROC proc = window->proc;
    lock.unlock();
    return proc(hWnd, Msg, wParam, lParam);
  }
  if (Shared().sendShutdown) return 0;
  DWORD owner = window->owner;
  ThreadRecord* target = FindQueue(owner);
  if (!target) return 0;
  auto call = std::make_shared<SentCall>();
  call->hwnd = hWnd;
  call->msg = Msg;
  call->wParam = wParam;
  call->lParam = lParam;
  target->sent.push_back(call);
  ++target->sentArrivals;
  NotifyChange();
  // However the wait ends (a result, the shutdown, a stop request unwinding this thread),
  // the call must not stay behind in the owner's queue.
  struct DropUnlessDone {
    DWORD owner;
    const std::shared_ptr<SentCall>& call;
    ~DropUnlessDone() {
      if (!call->done) DropSentCall(owner, call);
    }
  } guard{owner, call};
  for (;;) {
    if (call->done) return call->result;
    if (Shared().sendShutdown) return 0;
    if (!WaitPoint(lock, self)) return 0;
    Pump(lock, self);
    if (RunSentMessages(lock, self)) continue;
    if (call->done) return call->result;
    WaitChange(lock, PumpDeadline(self));
  }
}

BOOL IsWindow(HWND hWnd) {
  Lock lock(Shared().mutex);
  return FindWindow(hWnd) ? TRUE : FALSE;
}

HWND CreateWindowHandle(WNDPROC lpfnWndProc) {
  if (!lpfnWndProc) return nullptr;
  Lock lock(Shared().mutex);
  ThreadRecord& self = *Self();
  EnsureQueue(self);
  // Window handles are never reused; they are numbers, never pointers to anything.
  Shared().nextWindow += 4;
  HWND h = reinterpret_cast<HWND>(0x20000 + Shared().nextWindow);
  Shared().windows[h] = WindowRecord{lpfnWndProc, self.id};
  return h;
}

BOOL DestroyWindowHandle(HWND hWnd) {
  Lock lock(Shared().mutex);
  ThreadRecord& self = *Self();
  const WindowRecord* window = FindWindow(hWnd);
  if (!window || window->owner != self.id) return FALSE;
  Shared().windows.erase(hWnd);
  auto& posted = self.posted;
  posted.erase(std::remove_if(posted.begin(), posted.end(), [hWnd](const MSG& m) { return m.hwnd == hWnd; }),
               posted.end());
  ReleaseSent(self, [hWnd](const SentCall& c) { return c.hwnd == hWnd; });
  lock.unlock();
  NotifyChange();
  return TRUE;
}

void SetMessageShutdown(BOOL bOn) {
  {
    Lock lock(Shared().mutex);
    Shared().sendShutdown = bOn != FALSE;
  }
  NotifyChange();
}

void SetMessagePump(void (*pump)()) {
  Lock lock(Shared().mutex);
  g_pump = pump;
  g_pumpThread = pump ? Self()->id : 0;
}

int CountPendingSentMessages() {
  Lock lock(Shared().mutex);
  return static_cast<int>(Self()->sent.size());
}
