#include "support/test_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <thread>

#include "platform/message.h"
#include "platform/thread.h"

TestThread::TestThread(std::function<void()> fn) : fn_(std::move(fn)) {
  unsigned id = 0;
  handle_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &TestThread::Run, this, 0, &id));
  id_ = id;
  if (!handle_) ADD_FAILURE() << "the thread could not be started";
}

TestThread::~TestThread() {
  if (!handle_) return;
  if (!Join()) {
    ADD_FAILURE() << "thread " << id_ << " did not end";
    TerminateThread(handle_, 0);
    WaitForSingleObject(handle_, 10000);
  }
  CloseHandle(handle_);
}

bool TestThread::Join(DWORD ms) { return WaitForSingleObject(handle_, ms) == WAIT_OBJECT_0; }

unsigned TestThread::Run(void* self) {
  static_cast<TestThread*>(self)->fn_();
  return 0;
}

bool WaitUntil(const std::function<bool()>& cond) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!cond()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void DiscardMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

void RunAsGameThread(const std::function<void()>& fn) {
  std::atomic<bool> done{false};
  TestThread game([&] {
    fn();
    done = true;
  });
  MSG msg{};
  while (!done.load()) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  EXPECT_TRUE(game.Join());
}
