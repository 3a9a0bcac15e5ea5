#include "platform/time.h"

#include <gtest/gtest.h>

#include <ctime>
#include <thread>

#include "platform/message.h"
#include "platform/thread.h"
#include "support/test_thread.h"

namespace {

TEST(Clock, TheTestClockIsDrivenWrapsAndSleepMovesItOn) {
  UseTestClock(0xFFFFFFF0u);
  EXPECT_EQ(timeGetTime(), 0xFFFFFFF0u);
  AdvanceTestClock(0x0F);
  EXPECT_EQ(timeGetTime(), 0xFFFFFFFFu);
  AdvanceTestClock(2);
  EXPECT_EQ(timeGetTime(), 1u);
  auto before = std::chrono::steady_clock::now();
  Sleep(100000);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
  EXPECT_EQ(timeGetTime(), 100001u);
  UseSystemClock();
  DWORD a = timeGetTime();
  DWORD b = timeGetTime();
  EXPECT_LT(b - a, 1000u);
}

// Sleep keeps to its time although other threads keep waking the waiting threads.
TEST(Clock, SleepWaitsItsTimeThroughWakeUps) {
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  DWORD self = GetCurrentThreadId();
  std::atomic<bool> stop{false};
  TestThread poster([&] {
    while (!stop.load()) {
      PostThreadMessageA(self, WM_USER, 0, 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  DWORD start = timeGetTime();
  Sleep(30);
  DWORD slept = timeGetTime() - start;
  stop = true;
  ASSERT_TRUE(poster.Join());
  DiscardMessages();
  EXPECT_GE(slept, 30u);
  EXPECT_LT(slept, 5000u);
}

TEST(Clock, TimerPeriods) {
  EXPECT_EQ(timeBeginPeriod(1), TIMERR_NOERROR);
  EXPECT_EQ(timeEndPeriod(1), TIMERR_NOERROR);
  EXPECT_EQ(timeBeginPeriod(0), TIMERR_NOCANDO);
}

TEST(Clock, LocalTimeIsTodaysDate) {
  std::time_t t = std::time(nullptr);
  SYSTEMTIME st{};
  GetLocalTime(&st);
  std::time_t t2 = std::time(nullptr);
  std::tm expected{}, after{};
  localtime_r(&t, &expected);
  localtime_r(&t2, &after);
  if (after.tm_mday != expected.tm_mday) GTEST_SKIP() << "the day changed while reading";
  EXPECT_EQ(st.wYear, expected.tm_year + 1900);
  EXPECT_EQ(st.wMonth, expected.tm_mon + 1);
  EXPECT_EQ(st.wDay, expected.tm_mday);
  EXPECT_EQ(st.wDayOfWeek, expected.tm_wday);
  EXPECT_LT(st.wHour, 24);
  EXPECT_LT(st.wMinute, 60);
  EXPECT_LT(st.wSecond, 60);
  EXPECT_LT(st.wMilliseconds, 1000);
}

}  // namespace
