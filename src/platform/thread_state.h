// Inside the platform layer only: the state behind the thread and message stand-ins.
//
// Every thread the platform sees has a record: its id, its message queue (made on its first
// message call), the messages other threads sent to its windows, its suspend count and a
// stop request. All records, windows and handles live under one lock, and every change
// wakes every waiting thread, which then checks its own condition again. The program has a
// handful of threads and a few hundred messages a second, so one lock keeps this simple and
// free of lock-order problems.
//
// A thread started with _beginthreadex can be asked to stop (TerminateThread) and suspended.
// Both act at its next wait: Sleep, a message call that can wait, WaitForSingleObject, a
// SendMessageA to another thread. There a suspended thread holds until it is resumed, and a
// thread asked to stop throws ThreadStopRequest, which unwinds its stack up to the entry
// point. Threads are never killed where they stand. Code that catches everything and goes on
// waiting meets the request again at its next wait; a loop that catches everything around
// its only wait would never end.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/wintypes.h"

namespace platform_internal {

// A SendMessageA from another thread, waiting for the window's own thread to run it.
struct SentCall {
  HWND hwnd = nullptr;
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
  bool done = false;
};

struct ThreadRecord {
  DWORD id = 0;
  // The message queue exists (the thread has made a message call).
  bool hasQueue = false;
  // The thread has ended: its queue and windows are gone.
  bool ended = false;
  std::deque<MSG> posted;
  std::deque<std::shared_ptr<SentCall>> sent;
  // Counts the calls sent to this thread, and those of them a pump or a sleep has seen: a sleep
  // ends when a call arrives that neither has seen (time.cpp), once for each such arrival.
  uint64_t sentArrivals = 0;
  uint64_t seenArrivals = 0;
  bool quitPending = false;
  int quitCode = 0;
  int suspendCount = 0;
  bool stopRequested = false;
  // Set while the thread is suspended or asked to stop, so that a check point
  // (ThreadCheckPoint) reads one flag and takes the lock only then.
  std::atomic<bool> attention{false};
};

struct WindowRecord {
  WNDPROC proc = nullptr;
  DWORD owner = 0;
};

struct SharedState {
  std::mutex mutex;
  std::condition_variable changed;
  // Threads that have a message queue, by id.
  std::map<DWORD, std::shared_ptr<ThreadRecord>> queues;
  std::map<HWND, WindowRecord> windows;
  // Open thread handles.
  std::map<HANDLE, std::shared_ptr<ThreadRecord>> handles;
  uintptr_t nextWindow = 0;
  uintptr_t nextHandle = 0;
  // Cross-thread SendMessageA fails at once while this is set.
  bool sendShutdown = false;
};

// The shared state; never destroyed, so threads and static destructors may use it until the
// process ends.
SharedState& Shared();

// The calling thread's record, made on first use.
const std::shared_ptr<ThreadRecord>& Self();
// Makes rec the calling thread's record (the first thing a started thread does).
void BindSelf(std::shared_ptr<ThreadRecord> rec);
// A new thread id; never 0, never reused.
DWORD NewThreadId();

// Thrown at a wait of a thread that was asked to stop; its entry point catches it.
struct ThreadStopRequest {};

using Lock = std::unique_lock<std::mutex>;
using Deadline = std::optional<std::chrono::steady_clock::time_point>;

// A deadline ms milliseconds from now; none for INFINITE.
Deadline DeadlineAfter(DWORD ms);

// A wait point, with the lock held: holds while the thread is suspended and throws
// ThreadStopRequest when the thread was asked to stop. While the stack is already unwinding
// it cannot throw; it then returns false and the caller gives up its wait at once.
bool WaitPoint(Lock& lock, ThreadRecord& self);

// Blocks until the shared state changes or the deadline passes; false when it has passed.
bool WaitChange(Lock& lock, const Deadline& deadline);

// Wakes every waiting thread (call after a change, with or without the lock).
inline void NotifyChange() { Shared().changed.notify_all(); }

// Gives the calling thread its message queue (lock held).
void EnsureQueue(ThreadRecord& self);

// Runs the messages other threads sent to the calling thread's windows, releasing the lock
// around each window procedure. True when at least one ran.
bool RunSentMessages(Lock& lock, ThreadRecord& self);

// The end of a thread's message life (lock held): its windows are destroyed, senders
// waiting on it are released with 0, its queue is gone and it counts as ended.
void EndThread(ThreadRecord& rec);

}  // namespace platform_internal
