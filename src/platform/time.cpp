#include "platform/time.h"

#include <time.h>

#include <atomic>
#include <thread>

#include "platform/thread_state.h"

using namespace platform_internal;

namespace {

std::atomic<bool> g_testClock{false};
std::atomic<DWORD> g_testTime{0};

}  // namespace

DWORD timeGetTime() {
  if (g_testClock.load()) return g_testTime.load();
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<DWORD>(ms);
}

MMRESULT timeBeginPeriod(UINT uPeriod) { return uPeriod == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR; }

MMRESULT timeEndPeriod(UINT uPeriod) { return uPeriod == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR; }

void Sleep(DWORD dwMilliseconds) {
  Lock lock(Shared().mutex);
  ThreadRecord& self = *Self();
  if (!WaitPoint(lock, self)) return;
  if (g_testClock.load()) {
    g_testTime.fetch_add(dwMilliseconds);
    lock.unlock();
    std::this_thread::yield();
    return;
  }
  if (dwMilliseconds == 0) {
    lock.unlock();
    std::this_thread::yield();
    return;
  }
  // A message sent to this thread ends the sleep: its sender waits until this thread pumps, and
  // the window thread, which idles a millisecond after each turn of its loop, would make every
  // request of the game thread wait that long (a sound for every hit of a crowded frame). Each
  // arrival ends one sleep at most (one that came since the last pump ends this one at once),
  // so that a loop which sleeps without pumping still sleeps. The message is run where the
  // thread pumps, as before.
  auto arrived = [&self] {
    if (self.sentArrivals == self.seenArrivals) return false;
    self.seenArrivals = self.sentArrivals;
    return true;
  };
  if (arrived()) return;
  Deadline deadline = DeadlineAfter(dwMilliseconds);
  while (WaitChange(lock, deadline)) {
    if (!WaitPoint(lock, self)) return;
    if (arrived()) return;
  }
  WaitPoint(lock, self);
}

void GetLocalTime(SYSTEMTIME* lpSystemTime) {
  if (!lpSystemTime) return;
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local{};
  localtime_r(&ts.tv_sec, &local);
  lpSystemTime->wYear = static_cast<WORD>(local.tm_year + 1900);
  lpSystemTime->wMonth = static_cast<WORD>(local.tm_mon + 1);
  lpSystemTime->wDayOfWeek = static_cast<WORD>(local.tm_wday);
  lpSystemTime->wDay = static_cast<WORD>(local.tm_mday);
  lpSystemTime->wHour = static_cast<WORD>(local.tm_hour);
  lpSystemTime->wMinute = static_cast<WORD>(local.tm_min);
  // A leap second reads as the second before it.
  lpSystemTime->wSecond = static_cast<WORD>(local.tm_sec > 59 ? 59 : local.tm_sec);
  lpSystemTime->wMilliseconds = static_cast<WORD>(ts.tv_nsec / 1000000);
}

void UseTestClock(DWORD dwStart) {
  g_testTime.store(dwStart);
  g_testClock.store(true);
}

void AdvanceTestClock(DWORD dwMilliseconds) { g_testTime.fetch_add(dwMilliseconds); }

void UseSystemClock() { g_testClock.store(false); }
