#include "core/frame_timing.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "core/shell_link.h"
#include "platform/time.h"

namespace {

// Every test runs on the drivable clock with the timing state of a fresh start.
class FrameTiming : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFrameTiming();
    UseTestClock(1000);
  }
  void TearDown() override {
    UseSystemClock();
    ResetFrameTiming();
    g_lpfnDDUsingDirect3D = nullptr;
    g_lpfnDDDebugTextOnBackBuffer = nullptr;
  }
  // The frames a loop "wait while the wait function says 0, 1 ms at a time" runs, as times
  // since the start, over the given span; frames cost no time.
  template <class Fn>
  std::vector<DWORD> FrameTimes(DWORD span, Fn wait) {
    std::vector<DWORD> times;
    DWORD start = timeGetTime();
    while (timeGetTime() - start < span) {
      if (wait()) {
        times.push_back(timeGetTime() - start);
      } else {
        Sleep(1);
      }
    }
    return times;
  }
};

TEST_F(FrameTiming, ElapsedTimeIsMeasuredOnlyWhenAsked) {
  EXPECT_EQ(StartTimer(), 1000u);
  AdvanceTestClock(7);
  EXPECT_EQ(GetElapsedTime(0), 0u);
  EXPECT_EQ(GetElapsedTime(1), 7u);
  AdvanceTestClock(5);
  EXPECT_EQ(GetElapsedTime(0), 7u);
  EXPECT_EQ(GetElapsedTime(1), 12u);
  // Across the clock's wrap-around.
  UseTestClock(0xFFFFFFFAu);
  StartTimer();
  AdvanceTestClock(10);
  EXPECT_EQ(GetElapsedTime(1), 10u);
}

TEST_F(FrameTiming, EveryNCallsFiresOnEveryNthCallAfterAReset) {
  EveryNCalls(0, 0);
  EXPECT_EQ(EveryNCalls(2, 60), 1);
  std::vector<int> fired;
  for (int call = 1; call <= 180; ++call) {
    if (EveryNCalls(1, 60)) fired.push_back(call);
    // Mode 2 tells whether the counter is at 0, and changes nothing.
    EXPECT_EQ(EveryNCalls(2, 60), call % 60 == 0 ? 1 : 0) << call;
  }
  EXPECT_EQ(fired, (std::vector<int>{60, 120, 180}));
  EveryNCalls(1, 60);
  EXPECT_EQ(EveryNCalls(2, 60), 0);
  EXPECT_EQ(EveryNCalls(0, 60), 0);
  EXPECT_EQ(EveryNCalls(2, 60), 1);

  struct Case {
    int n;
    std::vector<int> results;
  } cases[] = {
      {1, {1, 1, 1}},
      {0, {1, 1, 1}},
      {3, {0, 0, 1, 0, 0, 1}},
      // Compared unsigned: a negative count never comes.
      {-1, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    EveryNCalls(0, 0);
    std::vector<int> results;
    for (size_t i = 0; i < c.results.size(); ++i) results.push_back(EveryNCalls(1, c.n));
    EXPECT_EQ(results, c.results) << c.n;
  }
}

TEST_F(FrameTiming, CountFpsReportsTheCallsOfTheLastWindow) {
  std::vector<int> results;
  for (int k = 0; k <= 126; ++k) {
    results.push_back(CountFps(1));
    EXPECT_EQ(CountFps(0), results.back());
    AdvanceTestClock(16);
  }
  // The calls at 0..992 ms are counted; the call at 1008 ms closes the window uncounted.
  EXPECT_EQ(results[62], 0);
  EXPECT_EQ(results[63], 63);
  EXPECT_EQ(results[125], 63);
  EXPECT_EQ(results[126], 62);
}

TEST_F(FrameTiming, LimitFrameRateLetsAFrameRunEvery1000OverFpsWholeMilliseconds) {
  EXPECT_EQ(FrameTimes(100, [] { return LimitFrameRate(60); }), (std::vector<DWORD>{0, 16, 32, 48, 64, 80, 96}));
  // A late frame is not made up for: the next one is due 16 ms after it.
  AdvanceTestClock(40);
  EXPECT_EQ(LimitFrameRate(60), 1);
  AdvanceTestClock(15);
  EXPECT_EQ(LimitFrameRate(60), 0);
  AdvanceTestClock(1);
  EXPECT_EQ(LimitFrameRate(60), 1);
  // No frame rate: every call may run a frame.
  for (int fps : {0, -5}) {
    EXPECT_EQ(LimitFrameRate(fps), 1) << fps;
    EXPECT_EQ(LimitFrameRate(fps), 1) << fps;
  }
}

TEST_F(FrameTiming, LimitFrameRateKeepsItsPaceAcrossTheClockWrap) {
  UseTestClock(0xFFFFFFE0u);
  EXPECT_EQ(FrameTimes(70, [] { return LimitFrameRate(60); }), (std::vector<DWORD>{0, 16, 32, 48, 64}));
}

TEST_F(FrameTiming, PaceFrameWithoutDirect3DRunsEveryFrame) {
  EXPECT_EQ(PaceFrame(60, 0, nullptr), 1);
  EXPECT_EQ(PaceFrame(60, 0, nullptr), 1);
  g_lpfnDDUsingDirect3D = [] { return 0; };
  EXPECT_EQ(PaceFrame(60, 0, nullptr), 1);
  EXPECT_EQ(PaceFrame(60, 0, nullptr), 1);
}

TEST_F(FrameTiming, PaceFrameRunsFrameNOfEachSecondAtNTimes1000OverFps) {
  g_lpfnDDUsingDirect3D = [] { return 1; };
  EXPECT_EQ(PaceFrame(0, 0, nullptr), 1);
  std::vector<DWORD> times = FrameTimes(2100, [] { return PaceFrame(60, 0, nullptr); });
  ASSERT_GE(times.size(), 124u);
  // Frame n is due 16.67 * n ms after the window's start.
  EXPECT_EQ(std::vector<DWORD>(times.begin(), times.begin() + 6), (std::vector<DWORD>{0, 17, 34, 50, 67, 84}));
  // After the 60th frame (at 984 ms) a new window starts at once, so its first frame runs
  // then too.
  EXPECT_EQ(std::vector<DWORD>(times.begin() + 58, times.begin() + 64),
            (std::vector<DWORD>{967, 984, 984, 1001, 1018, 1034}));
  EXPECT_EQ(std::vector<DWORD>(times.begin() + 118, times.begin() + 124),
            (std::vector<DWORD>{1951, 1968, 1968, 1985, 2002, 2018}));
}

// Every frame of a one-second window comes at the first millisecond not before
// start + n * 1000 / fps, and the window's last frame starts the next window at once; the
// same across the clock's 32-bit wrap, which falls inside the window.
TEST_F(FrameTiming, PaceFrameRunsEveryFrameOfASecondOnTime) {
  g_lpfnDDUsingDirect3D = [] { return 1; };
  const std::vector<DWORD> at60 = {
      0,   17,  34,  50,  67,  84,  100, 117, 134, 150, 167, 184, 200, 217, 234, 250, 267, 284, 300, 317, 334,
      350, 367, 384, 400, 417, 434, 450, 467, 484, 500, 517, 534, 550, 567, 584, 600, 617, 634, 650, 667, 684,
      700, 717, 734, 750, 767, 784, 800, 817, 834, 850, 867, 884, 900, 917, 934, 950, 967, 984, 984};
  const std::vector<DWORD> at50 = {0,   20,  40,  60,  80,  100, 120, 140, 160, 180, 200, 220, 240,
                                   260, 280, 300, 320, 340, 360, 380, 400, 420, 440, 460, 480, 500,
                                   520, 540, 560, 580, 600, 620, 640, 660, 680, 700, 720, 740, 760,
                                   780, 800, 820, 840, 860, 880, 900, 920, 940, 960, 980, 980};
  struct Case {
    int fps;
    DWORD start;
    const std::vector<DWORD>* times;
  } cases[] = {{60, 1000, &at60}, {50, 1000, &at50}, {60, 0xFFFFFF00u, &at60}, {50, 0xFFFFFE0Cu, &at50}};
  for (const Case& c : cases) {
    ResetFrameTiming();
    UseTestClock(c.start);
    const int fps = c.fps;
    EXPECT_EQ(FrameTimes(1000, [fps] { return PaceFrame(fps, 0, nullptr); }), *c.times) << fps << " " << c.start;
  }
}

// The frame count closes its window on the first call more than 999 ms after the window began:
// a call at 999 ms is still counted, the one at 1000 ms closes the window uncounted.
TEST_F(FrameTiming, CountFpsClosesItsWindowAt1000Milliseconds) {
  for (DWORD start : {1000u, 0xFFFFFD00u}) {
    ResetFrameTiming();
    UseTestClock(start);
    std::vector<int> results;
    for (DWORD at : {0u, 999u, 1000u, 1999u, 2000u}) {
      UseTestClock(start + at);
      results.push_back(CountFps(1));
    }
    EXPECT_EQ(results, (std::vector<int>{0, 0, 2, 2, 1})) << start;
  }
}

struct OverlayCall {
  int x, y, cw, ch;
  DDSURFACEDATA* font;
  std::string text;
};
std::vector<OverlayCall> g_overlay;

TEST_F(FrameTiming, PaceFrameOverlayShowsTheAveragesOfSixteenSamples) {
  g_overlay.clear();
  g_lpfnDDUsingDirect3D = [] { return 1; };
  g_lpfnDDDebugTextOnBackBuffer = [](int x, int y, int cw, int ch, DDSURFACEDATA* font, const char* text) {
    g_overlay.push_back({x, y, cw, ch, font, text});
  };
  DDSURFACEDATA* font = reinterpret_cast<DDSURFACEDATA*>(&g_overlay);
  // Without a font sheet, or without bShow, nothing is drawn.
  EXPECT_EQ(PaceFrame(60, 1, nullptr), 1);
  AdvanceTestClock(17);
  EXPECT_EQ(PaceFrame(60, 0, font), 1);
  EXPECT_TRUE(g_overlay.empty());
  // Frames that take 5 ms each.
  for (int frame = 0; frame < 17; ++frame) {
    StartTimer();
    AdvanceTestClock(5);
    GetElapsedTime(1);
    while (!PaceFrame(60, 1, font)) Sleep(1);
  }
  ASSERT_EQ(g_overlay.size(), 17u);
  EXPECT_EQ(g_overlay[0].x, 0);
  EXPECT_EQ(g_overlay[0].y, 16);
  EXPECT_EQ(g_overlay[0].cw, 8);
  EXPECT_EQ(g_overlay[0].ch, 16);
  EXPECT_EQ(g_overlay[0].font, font);
  EXPECT_EQ(g_overlay[0].text, "FPS-Ave 0(0)\ndwTime_OneSec 1000\nnFrameCt_OneSec 3");
  // The 16th sample is taken when the 17th frame is asked for.
  EXPECT_EQ(g_overlay[15].text, "FPS-Ave 0(0)\ndwTime_OneSec 1000\nnFrameCt_OneSec 18");
  EXPECT_EQ(g_overlay[16].text, "FPS-Ave 0(5)\ndwTime_OneSec 1000\nnFrameCt_OneSec 19");
}

}  // namespace
