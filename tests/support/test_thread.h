// Threads for tests: a function run on a thread started with _beginthreadex, and waiting for
// a condition that another thread brings about.
#pragma once

#include <atomic>
#include <functional>

#include "platform/wintypes.h"

class TestThread {
 public:
  explicit TestThread(std::function<void()> fn);
  // Joins the thread; one that has not ended within 10 seconds fails the test and is asked to
  // stop.
  ~TestThread();
  TestThread(const TestThread&) = delete;
  TestThread& operator=(const TestThread&) = delete;

  HANDLE handle() const { return handle_; }
  DWORD id() const { return id_; }
  // True when the thread ended within ms milliseconds.
  bool Join(DWORD ms = 10000);

 private:
  static unsigned Run(void* self);
  std::function<void()> fn_;
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

// Sets its flag when destroyed: shows that a thread's stack was unwound.
struct SetWhenDestroyed {
  std::atomic<bool>& flag;
  ~SetWhenDestroyed() { flag = true; }
};

// Polls cond (1 ms apart, real time) until it holds; false after 10 seconds.
bool WaitUntil(const std::function<bool()>& cond);

// Removes every message waiting in the calling thread's queue, without dispatching it, so that
// a test starts and leaves with an empty queue.
void DiscardMessages();

// Runs fn on a thread of its own, as the game thread does, while the calling thread serves the
// requests sent to its windows (the recorder's main window is the test's thread's); fails the
// test when fn has not ended within 10 seconds.
void RunAsGameThread(const std::function<void()>& fn);
