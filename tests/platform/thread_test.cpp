#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/message.h"
#include "platform/time.h"
#include "support/test_thread.h"

namespace {

constexpr UINT WM_TEST = WM_USER + 50;

struct StartInfo {
  std::atomic<DWORD> seenId{0};
  std::atomic<bool> release{false};
  int arg = 0;
};

unsigned WaitForRelease(void* p) {
  auto* info = static_cast<StartInfo*>(p);
  info->seenId = GetCurrentThreadId();
  while (!info->release.load()) Sleep(1);
  return 0;
}

TEST(Thread, StartWaitAndClose) {
  StartInfo info;
  unsigned id = 0;
  HANDLE h = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &WaitForRelease, &info, 0, &id));
  ASSERT_NE(h, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, GetCurrentThreadId());
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(h, 20), WAIT_TIMEOUT);
  info.release = true;
  EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(info.seenId.load(), id);
  // An ended thread's handle stays signalled until it is closed.
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);
  EXPECT_EQ(ResumeThread(h), 0u);
  EXPECT_TRUE(CloseHandle(h));

  // A closed handle is no handle.
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_FAILED);
  EXPECT_EQ(SuspendThread(h), static_cast<DWORD>(-1));
  EXPECT_EQ(ResumeThread(h), static_cast<DWORD>(-1));
  EXPECT_FALSE(TerminateThread(h, 0));
  EXPECT_EQ(_beginthreadex(nullptr, 0, nullptr, nullptr, 0, &id), 0u);
}

// A stop request reaches the thread at whatever wait it is in, also while it is suspended,
// and the thread unwinds: the destructors of its stack run, nothing is reported as an escaped
// exception.
TEST(Thread, TerminateUnwindsTheThreadAtItsNextWait) {
  static std::atomic<int> reported{0};
  reported = 0;
  SetThreadExceptionHandler([](const char*) { ++reported; });
  HWND myWindow = CreateWindowHandle([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
  StartInfo never;
  HANDLE other = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &WaitForRelease, &never, 0, nullptr));
  ASSERT_NE(other, nullptr);

  struct Wait {
    const char* name;
    std::function<void()> run;
    bool suspended = false;
  } waits[] = {
      {"Sleep(INFINITE)", [] { Sleep(INFINITE); }},
      {"Sleep(1) in a loop",
       [] {
         for (;;) Sleep(1);
       }},
      {"Sleep(1) in a loop, suspended twice",
       [] {
         for (;;) Sleep(1);
       },
       true},
      {"Sleep(0) in a loop",
       [] {
         for (;;) Sleep(0);
       }},
      {"GetMessageA",
       [] {
         MSG msg;
         GetMessageA(&msg, nullptr, 0, 0);
       }},
      {"PeekMessageA in a loop",
       [] {
         MSG msg;
         for (;;) PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
       }},
      {"WaitMessage", [] { WaitMessage(); }},
      {"WaitForSingleObject", [other] { WaitForSingleObject(other, INFINITE); }},
      {"WaitForSingleObject(0) in a loop",
       [other] {
         while (WaitForSingleObject(other, 0) == WAIT_TIMEOUT) {
         }
       }},
      {"SendMessageA to a thread that does not pump", [myWindow] { SendMessageA(myWindow, WM_TEST, 0, 0); }},
      {"ThreadCheckPoint in a loop that meets no wait",
       [] {
         for (;;) ThreadCheckPoint();
       }},
      {"ThreadCheckPoint in a loop, suspended twice",
       [] {
         for (;;) ThreadCheckPoint();
       },
       true},
      {"a handler that swallowed the request once",
       [] {
         try {
           Sleep(INFINITE);
         } catch (...) {
         }
         Sleep(INFINITE);
       }},
  };
  for (const Wait& w : waits) {
    std::atomic<bool> started{false};
    std::atomic<bool> unwound{false};
    TestThread t([&] {
      SetWhenDestroyed guard{unwound};
      started = true;
      w.run();
    });
    ASSERT_TRUE(WaitUntil([&] { return started.load(); })) << w.name;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(WaitForSingleObject(t.handle(), 0), WAIT_TIMEOUT) << w.name;
    if (w.suspended) {
      SuspendThread(t.handle());
      SuspendThread(t.handle());
    }
    EXPECT_TRUE(TerminateThread(t.handle(), 0));
    EXPECT_TRUE(t.Join()) << w.name;
    EXPECT_TRUE(unwound.load()) << w.name;
  }
  EXPECT_EQ(reported.load(), 0);
  EXPECT_EQ(CountPendingSentMessages(), 0);
  never.release = true;
  EXPECT_EQ(WaitForSingleObject(other, INFINITE), WAIT_OBJECT_0);
  CloseHandle(other);
  DestroyWindowHandle(myWindow);
  SetThreadExceptionHandler(nullptr);
}

TEST(Thread, SuspendHoldsTheThreadAtItsNextWaitAndCounts) {
  std::atomic<int> handled{0};
  std::atomic<bool> ready{false};
  TestThread t([&] {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    ready = true;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) ++handled;
  });
  ASSERT_TRUE(WaitUntil([&] { return ready.load(); }));
  EXPECT_EQ(SuspendThread(t.handle()), 0u);
  EXPECT_EQ(SuspendThread(t.handle()), 1u);
  ASSERT_TRUE(PostThreadMessageA(t.id(), WM_TEST, 0, 0));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(handled.load(), 0);
  EXPECT_EQ(ResumeThread(t.handle()), 2u);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(handled.load(), 0);
  EXPECT_EQ(ResumeThread(t.handle()), 1u);
  EXPECT_TRUE(WaitUntil([&] { return handled.load() == 1; }));
  EXPECT_EQ(ResumeThread(t.handle()), 0u);
  PostThreadMessageA(t.id(), WM_QUIT, 0, 0);
}

// A check point holds a suspended thread as a wait does and lets it go on once resumed; a
// thread that is neither suspended nor asked to stop passes it.
TEST(Thread, ACheckPointHoldsASuspendedThreadUntilItIsResumed) {
  std::atomic<long> passed{0};
  std::atomic<bool> done{false};
  TestThread t([&] {
    while (!done.load()) {
      ThreadCheckPoint();
      ++passed;
    }
  });
  ASSERT_TRUE(WaitUntil([&] { return passed.load() > 1000; }));
  SuspendThread(t.handle());
  // The thread may be past its check point: one more pass at most.
  const long atSuspend = passed.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const long held = passed.load();
  EXPECT_LE(held - atSuspend, 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(passed.load(), held);
  ResumeThread(t.handle());
  EXPECT_TRUE(WaitUntil([&] { return passed.load() > held + 1000; }));
  done = true;
  EXPECT_TRUE(t.Join());
}

TEST(Thread, AnEscapedExceptionIsReportedAndEndsOnlyItsThread) {
  static std::vector<std::string> reports;
  static std::mutex reportsMutex;
  {
    std::lock_guard<std::mutex> lock(reportsMutex);
    reports.clear();
  }
  SetThreadExceptionHandler([](const char* text) {
    std::lock_guard<std::mutex> lock(reportsMutex);
    reports.push_back(text);
  });
  DWORD id1 = 0, id2 = 0;
  {
    TestThread t1([] { throw std::runtime_error("boom"); });
    TestThread t2([] { throw 5; });
    id1 = t1.id();
    id2 = t2.id();
    EXPECT_TRUE(t1.Join());
    EXPECT_TRUE(t2.Join());
  }
  SetThreadExceptionHandler(nullptr);
  std::lock_guard<std::mutex> lock(reportsMutex);
  ASSERT_EQ(reports.size(), 2u);
  std::sort(reports.begin(), reports.end());
  std::vector<std::string> expected = {"Thread " + std::to_string(id1) + ": exception not caught: boom",
                                       "Thread " + std::to_string(id2) + ": exception not caught: of unknown type"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(reports, expected);
}

}  // namespace
