#include "platform/thread.h"

#include <atomic>
#include <cstdio>
#include <exception>
#include <system_error>
#include <thread>

#include "platform/thread_state.h"

namespace platform_internal {

SharedState& Shared() {
  static SharedState* state = new SharedState;
  return *state;
}

namespace {

std::atomic<DWORD> g_lastThreadId{0};

// Holds the calling thread's record; a thread that ends without having been started by
// _beginthreadex (the main thread, a test's thread) loses its queue and windows here.
struct SelfHolder {
  std::shared_ptr<ThreadRecord> rec;
  ~SelfHolder() {
    if (!rec) return;
    Lock lock(Shared().mutex);
    EndThread(*rec);
    lock.unlock();
    NotifyChange();
  }
};

thread_local SelfHolder t_self;

}  // namespace

DWORD NewThreadId() { return ++g_lastThreadId; }

const std::shared_ptr<ThreadRecord>& Self() {
  if (!t_self.rec) {
    t_self.rec = std::make_shared<ThreadRecord>();
    t_self.rec->id = NewThreadId();
  }
  return t_self.rec;
}

void BindSelf(std::shared_ptr<ThreadRecord> rec) { t_self.rec = std::move(rec); }

Deadline DeadlineAfter(DWORD ms) {
  if (ms == INFINITE) return std::nullopt;
  return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
}

bool WaitPoint(Lock& lock, ThreadRecord& self) {
  Shared().changed.wait(lock, [&] { return self.suspendCount == 0 || self.stopRequested; });
  if (!self.stopRequested) return true;
  if (std::uncaught_exceptions() > 0) return false;
  throw ThreadStopRequest{};
}

bool WaitChange(Lock& lock, const Deadline& deadline) {
  if (!deadline) {
    Shared().changed.wait(lock);
    return true;
  }
  return Shared().changed.wait_until(lock, *deadline) == std::cv_status::no_timeout;
}

}  // namespace platform_internal

using namespace platform_internal;

namespace {

std::atomic<void (*)(const char*)> g_exceptionHandler{nullptr};

void ReportEscapedException(DWORD id, const char* what) {
  char text[512];
  std::snprintf(text, sizeof text, "Thread %u: exception not caught: %s", static_cast<unsigned>(id), what);
  void (*handler)(const char*) = g_exceptionHandler.load();
  if (handler) {
    handler(text);
  } else {
    std::fprintf(stderr, "%s\n", text);
  }
}

void ThreadMain(std::shared_ptr<ThreadRecord> rec, unsigned (*start)(void*), void* arg) {
  BindSelf(rec);
  try {
    {
      // A thread suspended or asked to stop before it began holds or stops here.
      Lock lock(Shared().mutex);
      WaitPoint(lock, *rec);
    }
    start(arg);
  } catch (const ThreadStopRequest&) {
    // Asked to stop: the stack has unwound.
  } catch (const std::exception& e) {
    ReportEscapedException(rec->id, e.what());
  } catch (...) {
    ReportEscapedException(rec->id, "of unknown type");
  }
  {
    Lock lock(Shared().mutex);
    EndThread(*rec);
  }
  NotifyChange();
}

std::shared_ptr<ThreadRecord> FindHandle(HANDLE h) {
  auto& handles = Shared().handles;
  auto it = handles.find(h);
  return it == handles.end() ? nullptr : it->second;
}

}  // namespace

uintptr_t _beginthreadex(void*, unsigned, unsigned (*start_address)(void*), void* arglist, unsigned,
                         unsigned* thrdaddr) {
  if (!start_address) return 0;
  auto rec = std::make_shared<ThreadRecord>();
  rec->id = NewThreadId();
  HANDLE h;
  {
    Lock lock(Shared().mutex);
    // Handles are never reused, so a stale handle can never reach a later thread.
    Shared().nextHandle += 4;
    h = reinterpret_cast<HANDLE>(0x10000 + Shared().nextHandle);
    Shared().handles[h] = rec;
  }
  try {
    std::thread(ThreadMain, rec, start_address, arglist).detach();
  } catch (const std::system_error&) {
    Lock lock(Shared().mutex);
    Shared().handles.erase(h);
    return 0;
  }
  if (thrdaddr) *thrdaddr = rec->id;
  return reinterpret_cast<uintptr_t>(h);
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  Lock lock(Shared().mutex);
  std::shared_ptr<ThreadRecord> target = FindHandle(hHandle);
  if (!target) return WAIT_FAILED;
  ThreadRecord& self = *Self();
  Deadline deadline = DeadlineAfter(dwMilliseconds);
  for (;;) {
    if (!WaitPoint(lock, self)) return WAIT_FAILED;
    if (target->ended) return WAIT_OBJECT_0;
    if (dwMilliseconds == 0) return WAIT_TIMEOUT;
    if (!WaitChange(lock, deadline)) return target->ended ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
  }
}

BOOL CloseHandle(HANDLE hObject) {
  Lock lock(Shared().mutex);
  return Shared().handles.erase(hObject) ? TRUE : FALSE;
}

DWORD SuspendThread(HANDLE hThread) {
  Lock lock(Shared().mutex);
  std::shared_ptr<ThreadRecord> target = FindHandle(hThread);
  if (!target) return static_cast<DWORD>(-1);
  target->attention = true;
  return static_cast<DWORD>(target->suspendCount++);
}

DWORD ResumeThread(HANDLE hThread) {
  Lock lock(Shared().mutex);
  std::shared_ptr<ThreadRecord> target = FindHandle(hThread);
  if (!target) return static_cast<DWORD>(-1);
  int previous = target->suspendCount;
  if (previous > 0) --target->suspendCount;
  target->attention = target->suspendCount > 0 || target->stopRequested;
  lock.unlock();
  NotifyChange();
  return static_cast<DWORD>(previous);
}

BOOL TerminateThread(HANDLE hThread, DWORD) {
  Lock lock(Shared().mutex);
  std::shared_ptr<ThreadRecord> target = FindHandle(hThread);
  if (!target) return FALSE;
  target->stopRequested = true;
  target->attention = true;
  lock.unlock();
  NotifyChange();
  return TRUE;
}

DWORD GetCurrentThreadId() { return Self()->id; }

void ThreadCheckPoint() {
  const ThreadRecord* self = t_self.rec.get();
  if (!self || !self->attention.load(std::memory_order_relaxed)) return;
  Lock lock(Shared().mutex);
  WaitPoint(lock, *t_self.rec);
}

void SetThreadExceptionHandler(void (*lpfnHandler)(const char* text)) { g_exceptionHandler.store(lpfnHandler); }
