// The pause and ranking loops: the wait logic frame by frame, and the loops on their own threads
// with fake frame services: timed and key waits, the close while held or while the rankings are
// shown, and the name registration by ranking method.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "core/shell_link.h"
#include "core/thread.h"
#include "engine/pause_thread.h"
#include "fixture/fixture.h"
#include "platform/message.h"
#include "platform/thread.h"
#include "platform/time.h"
#include "play_kit.h"
#include "project/global_data.h"
#include "project/option_data.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "test_thread.h"
#include "ui/input.h"

namespace {

// One frame of input: button 1 down or up.
void Frame(cInput& in, bool decide) {
  in.SetWords(0, decide ? 1 : 0);
  in.PushHistory();
}

TEST(PauseWaitStep, KeyDelayIgnoresTheButtonForTenFrames) {
  cPauseWait wait;
  wait.Set(1, 1, 0, 0);
  cInput in;
  in.ClearHistory();
  for (int i = 0; i < 10; ++i) {
    // Pressed afresh every other frame: still ignored.
    Frame(in, i % 2 == 1);
    EXPECT_EQ(StepPauseWait(wait, in), 0) << i;
  }
  Frame(in, false);
  EXPECT_EQ(StepPauseWait(wait, in), 0);
  Frame(in, true);
  EXPECT_EQ(StepPauseWait(wait, in), 1);
}

TEST(PauseWaitStep, OnlyAFreshPressEndsAKeyWait) {
  cPauseWait wait;
  wait.Set(3, 1, 0, 0);
  cInput in;
  in.ClearHistory();
  // Held when the wait began, and still held.
  Frame(in, true);
  EXPECT_EQ(StepPauseWait(wait, in), 0);
  Frame(in, true);
  EXPECT_EQ(StepPauseWait(wait, in), 0);
  Frame(in, false);
  EXPECT_EQ(StepPauseWait(wait, in), 0);
  Frame(in, true);
  EXPECT_EQ(StepPauseWait(wait, in), 1);
  EXPECT_EQ(PauseEndSound(1), 12);
  EXPECT_EQ(PauseEndSound(3), 1);
  EXPECT_EQ(PauseEndSound(4), 1);
}

TEST(PauseWaitStep, TimedWaitOfNFramesDrawsNFrames) {
  for (int n : {0, 1, 30}) {
    cPauseWait wait;
    wait.Set(2, 0, n, 0);
    cInput in;
    int drawn = 0;
    while (StepPauseWait(wait, in) == 0) ++drawn;
    EXPECT_EQ(drawn, n);
  }
}

// The frame services of the loops, faked: the input of each polled frame comes from a script
// (button word per frame; past its end, the last entry), presents are counted, and a hook may
// act in a chosen present.
struct Fakes {
  static std::vector<int> script;
  static int polls;
  static int presents;
  static int quitAt;       // present after which the scene's quit flag is set (0: never)
  static int wmQuitAt;     // present after which the loop thread gets WM_QUIT (0: never)
  static int names;
  static int registers;
  static cPlayScene* scene;
  static std::vector<std::pair<int, int>> drawn;  // ranking kind and highlighted place per frame

  static void Poll(cSafeVector<cInput>& v) {
    const int i = polls < static_cast<int>(script.size()) ? polls : static_cast<int>(script.size()) - 1;
    v[0].SetWords(0, static_cast<WORD>(i >= 0 ? script[static_cast<size_t>(i)] : 0));
    ++polls;
  }
  static void Present() {
    ++presents;
    if (presents == quitAt) scene->m_bQuit = 1;
    if (presents == wmQuitAt) PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
  }
};
std::vector<int> Fakes::script;
int Fakes::polls = 0;
int Fakes::presents = 0;
int Fakes::quitAt = 0;
int Fakes::wmQuitAt = 0;
int Fakes::names = 0;
int Fakes::registers = 0;
cPlayScene* Fakes::scene = nullptr;
std::vector<std::pair<int, int>> Fakes::drawn;

class Loops : public ::testing::Test {
 protected:
  void SetUp() override {
    world_ = std::make_unique<playkit::PlayWorld>(fixture::Stage(20, 15));
    savedLink_ = g_PauseLink;
    savedOptions_ = g_OptionData;
    savedName_ = g_SaveData.m_strPlayerName;
    Fakes::script.assign(1, 0);
    Fakes::polls = Fakes::presents = Fakes::quitAt = Fakes::wmQuitAt = Fakes::names = Fakes::registers = 0;
    Fakes::scene = &world_->scene;
    Fakes::drawn.clear();
    g_PauseLink = cPauseLink{};
    g_PauseLink.lpfnPollInput = &Fakes::Poll;
    g_PauseLink.lpfnPresentFrame = &Fakes::Present;
    g_PauseLink.lpfnRankingsOn = [] { return 1; };
    g_PauseLink.lpfnAskName = [](cPlayScene& s) {
      ++Fakes::names;
      s.m_strRankName = "xyz";
    };
    g_PauseLink.lpfnRegister = [](cPlayScene&) { ++Fakes::registers; };
    g_PauseLink.lpfnDrawRanking = [](int kind, int place) { Fakes::drawn.emplace_back(kind, place); };
    UseTestClock(1000);
  }
  void TearDown() override {
    UseSystemClock();
    g_PauseLink = savedLink_;
    g_OptionData = savedOptions_;
    g_SaveData.m_strPlayerName = savedName_;
  }

  int Hold() {
    int result = -1;
    RunAsGameThread([&] { result = world_->scene.RunPauseLoop(); });
    return result;
  }
  // The story mode records these ranking kinds; the result reached these places.
  void RankIn(const cSafeVector<uint8_t>& kinds, const cSafeVector<int32_t>& places, int method) {
    g_nGameMode = 0;
    g_SystemData.m_vRankingKinds[0].m_bRanking = 1;
    g_SystemData.m_vRankingKinds[0].m_vKinds = kinds;
    g_OptionData.m_nRankingMethod = method;
    world_->scene.m_bRankIn = 1;
    world_->scene.m_vRankPos = places;
  }
  void Rank() {
    Fakes::polls = 0;
    RunAsGameThread([&] { world_->scene.EnterRanking(); });
  }

  playkit::WindowRequestRecorder requests_;
  std::unique_ptr<playkit::PlayWorld> world_;
  cPauseLink savedLink_;
  cOptionData savedOptions_;
  std::string savedName_;
};

TEST_F(Loops, TimedHoldDrawsItsFrames) {
  world_->scene.m_PauseWait.Set(2, 0, 5, 0);
  EXPECT_EQ(Hold(), 1);
  EXPECT_EQ(Fakes::presents, 5);
  EXPECT_EQ(world_->scene.m_bWaitRelease, 0);
  EXPECT_TRUE(requests_.Sounds().empty());
}

TEST_F(Loops, KeyHoldEndsOnAFreshPressWithItsSound) {
  // Decide held from the start, released, then pressed in the fourth poll.
  Fakes::script = {1, 1, 0, 1};
  world_->scene.m_PauseWait.Set(1, 1, 0, 1);
  EXPECT_EQ(Hold(), 1);
  EXPECT_EQ(Fakes::polls, 4);
  EXPECT_EQ(Fakes::presents, 3);
  EXPECT_EQ(world_->scene.m_bWaitRelease, 1);
  EXPECT_EQ(requests_.Sounds(), std::vector<int>{12});
}

TEST_F(Loops, KeyWaitsTakeOnlyAPressMadeDuringTheWait) {
  // Button 1 is held in the game's frames before each wait; each row gives the wait request and
  // the decide button of the loop's polls (past the end: the last entry).
  struct Row {
    const char* name;
    int mode, waitKey, frames, chained;
    std::vector<int> script;
    int polls;       // the poll that ends the wait
    int sound;       // -1: none
  };
  const std::vector<int> held12(12, 1);
  auto then = [](std::vector<int> v, std::initializer_list<int> more) {
    v.insert(v.end(), more);
    return v;
  };
  const Row rows[] = {
      // A message after ten frames of key delay: still held after it, released, pressed.
      {"message held", 1, 1, 0, 0, then(held12, {0, 1}), 14, 12},
      // Pressed afresh in the eleventh poll, the first after the delay.
      {"message pressed", 1, 1, 0, 0, then(std::vector<int>(10, 0), {1}), 11, 12},
      {"message pressed in the delay, still held", 1, 1, 0, 0, then(std::vector<int>(5, 0), {1}), 0, -1},
      // Chained messages and pictures have no key delay.
      {"chained message held", 1, 1, 0, 1, {1, 1, 1, 0, 1}, 5, 12},
      {"chained message pressed", 1, 1, 0, 1, {0, 1}, 2, 12},
      {"picture held", 3, 1, 0, 0, {1, 1, 0, 0, 1}, 5, 1},
      {"picture pressed", 3, 1, 0, 0, {0, 1}, 2, 1},
      // Timed waits draw their frames whatever the button does.
      {"timed message held", 1, 0, 5, 0, {1}, 6, -1},
      {"timed message pressed", 1, 0, 5, 0, {0, 1, 0, 1}, 6, -1},
      {"game wait", 0, 0, 3, 0, {0, 1}, 4, -1},
      {"effect", 2, 0, 4, 0, {1}, 5, -1},
      {"extra life", 4, 0, 30, 0, {0, 1}, 31, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    for (int i = 0; i < 3; ++i) {
      g_vInput[0].SetWords(0, 1);
      g_vInput[0].PushHistory();
    }
    world_->scene.m_bWaitRelease = 0;
    world_->scene.m_PauseWait.Set(row.mode, row.waitKey, row.frames, row.chained);
    Fakes::script = row.script;
    Fakes::polls = Fakes::presents = 0;
    // A wait that never ends is ended by the program's quit after 40 frames.
    Fakes::wmQuitAt = row.polls == 0 ? 40 : 0;
    requests_.requests.clear();
    EXPECT_EQ(Hold(), 1);
    if (row.polls == 0) {
      EXPECT_EQ(Fakes::presents, 40);
      EXPECT_EQ(world_->scene.m_bWaitRelease, 0);
      continue;
    }
    EXPECT_EQ(Fakes::polls, row.polls);
    EXPECT_EQ(Fakes::presents, row.polls - 1);
    EXPECT_EQ(world_->scene.m_bWaitRelease, row.sound < 0 ? 0 : 1);
    EXPECT_EQ(requests_.Sounds(), row.sound < 0 ? std::vector<int>{} : std::vector<int>{row.sound});
  }
}

TEST_F(Loops, HeldInputLeavesTheGameInputAlone) {
  g_vInput[0].SetWords(4, 2);
  Fakes::script = {0, 1};
  world_->scene.m_PauseWait.Set(3, 1, 0, 0);
  Hold();
  EXPECT_EQ(g_vInput[0].DirWord(), 4);
  EXPECT_EQ(g_vInput[0].ButtonWord(), 2);
  EXPECT_EQ(requests_.Sounds(), std::vector<int>{1});
}

TEST_F(Loops, CloseDuringAHoldEndsTheLoopAfterItsGrace) {
  // A key wait that no key ends; the window closes after the third frame.
  world_->scene.m_PauseWait.Set(1, 1, 0, 1);
  Fakes::quitAt = 3;
  const DWORD start = timeGetTime();
  EXPECT_EQ(Hold(), 0);
  EXPECT_EQ(Fakes::presents, 3);  // no frame is drawn once the quit flag is seen
  // The loop gave the close its grace on the test clock (the waiting game thread's polls move
  // that clock too, so only the lower bound is the loop's).
  EXPECT_GE(timeGetTime() - start, 2000u);
}

// The window closed from the window thread while a loop runs on its own: the window thread sets
// the scene's quit flag and, as the program's close does, posts WM_QUIT to the loop's thread (or
// leaves it out, so that the loop ends itself after its grace). The loop's passes are counted
// (each asks whether the program is active) on the drivable clock; the close comes between two
// passes (the loop's third present waits for it), so that the count does not depend on how the
// threads are scheduled. The game thread gets the loop's end.
std::atomic<int> g_shown{0};
std::atomic<int> g_passes{0};
std::atomic<bool> g_closeAsked{false};
std::atomic<bool> g_closeDone{false};
TEST_F(Loops, ClosingTheWindowEndsEachLoopAtItsNextPass) {
  struct Row {
    const char* name;
    int ranking;  // 0: a pause loop with the wait below
    int mode, waitKey, frames;
    bool quitMessage;
  };
  const Row rows[] = {
      {"message key wait", 0, 1, 1, 0, true},
      {"timed hold", 0, 0, 0, 1000000, true},
      {"rankings", 1, 0, 0, 0, true},
      // Without the quit message the loop stops drawing and ends itself after 2000 ms.
      {"message key wait, quit flag alone", 0, 1, 1, 0, false},
  };
  const int savedMode = g_nGameMode;
  RankIn(cSafeVector<uint8_t>{1, 0, 0, 0, 0}, cSafeVector<int32_t>{2, -1, -1, -1, -1}, 1);
  g_PauseLink.lpfnIsActive = [] {
    ++g_passes;
    return 1;
  };
  g_PauseLink.lpfnPresentFrame = [] {
    if (++g_shown != 3) return;
    g_closeAsked = true;
    while (!g_closeDone.load()) std::this_thread::sleep_for(std::chrono::microseconds(100));
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    g_shown = 0;
    g_passes = 0;
    g_closeAsked = false;
    g_closeDone = false;
    world_->scene.m_bQuit = 0;
    world_->scene.m_bRankIn = 1;
    world_->scene.m_bRanked = 0;
    world_->scene.m_PauseWait.Set(row.mode, row.waitKey, row.frames, 0);
    cThread& loop = row.ranking ? thRanking : thPause;
    DWORD closedAt = 0;
    int passesAtClose = 0;
    std::thread window([&] {
      while (!g_closeAsked.load()) std::this_thread::sleep_for(std::chrono::microseconds(100));
      closedAt = timeGetTime();
      passesAtClose = g_passes.load();
      world_->scene.m_bQuit = 1;
      if (row.quitMessage) PostThreadMessageA(loop.m_dwThreadId.load(), WM_QUIT, 0, 0);
      g_closeDone = true;
    });
    int result = -1;
    RunAsGameThread([&] {
      if (row.ranking)
        world_->scene.EnterRanking();
      else
        result = world_->scene.RunPauseLoop();
    });
    window.join();
    EXPECT_EQ(g_shown.load(), 3) << "no frame is drawn after the close";
    const int passes = g_passes.load() - passesAtClose;
    if (row.quitMessage) {
      EXPECT_EQ(passes, 0) << "the quit message ends the loop before its next pass";
    } else {
      // A pass sleeps 1 ms; the waiting game thread's polls move the clock on too.
      EXPECT_GE(passes, 1);
      EXPECT_LE(passes, 2001);
      EXPECT_GE(timeGetTime() - closedAt, 2000u);
    }
    if (!row.ranking) {
      EXPECT_EQ(result, 0) << "the play frame closes the window next";
    }
    EXPECT_EQ(loop.m_hThread.load(), nullptr);
  }
  g_nGameMode = savedMode;
}

TEST_F(Loops, QuitFlagSetBeforeTheHoldDrawsNothing) {
  world_->scene.m_bQuit = 1;
  world_->scene.m_PauseWait.Set(1, 1, 0, 0);
  EXPECT_EQ(Hold(), 0);
  EXPECT_EQ(Fakes::presents, 0);
  EXPECT_EQ(thPause.m_hThread.load(), nullptr);
}

TEST_F(Loops, QuitMessageEndsTheHold) {
  world_->scene.m_PauseWait.Set(1, 1, 0, 1);
  Fakes::wmQuitAt = 2;
  EXPECT_EQ(Hold(), 1);
  EXPECT_EQ(Fakes::presents, 2);
}

// The close that ended a hold is asked for again as soon as the loop is over, not at the play
// scene's next frame (the rest of the held frame may run long): WM_CLOSE reaches the main window
// once. A hold that ends by its own wait asks for nothing.
TEST_F(Loops, AHoldEndedByTheCloseClosesTheWindowAgain) {
  struct Row {
    const char* name;
    int closeAt;  // the present after which the window is closed (0: never)
    int result;
    int closes;
  };
  for (const Row& row : {Row{"ended by the close", 2, 0, 1}, Row{"ended by its wait", 0, 1, 0}}) {
    SCOPED_TRACE(row.name);
    world_->scene.m_bQuit = 0;
    Fakes::presents = 0;
    Fakes::quitAt = Fakes::wmQuitAt = row.closeAt;
    world_->scene.m_PauseWait.Set(2, 0, 5, 0);
    std::atomic<bool> done{false};
    int result = -1;
    TestThread game([&] {
      result = world_->scene.RunPauseLoop();
      done = true;
    });
    // This thread is the window's: the messages posted to it are counted as they come.
    int closes = 0;
    MSG msg{};
    auto take = [&] {
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) closes += msg.message == WM_CLOSE && msg.hwnd == g_hWnd;
    };
    while (!done.load()) {
      take();
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    EXPECT_TRUE(game.Join());
    take();
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(closes, row.closes);
  }
}

TEST_F(Loops, RankingMethodsWithAStoredNameNeverAskForOne) {
  for (int method : {1, 3}) {
    g_OptionData.m_nRankingMethod = method;
    g_OptionData.m_strRankingName = "abc";
    world_->scene.m_bRankIn = 1;
    world_->scene.m_bRanked = 0;
    Fakes::script = {0, 1};  // a fresh decide ends the ranking display
    Rank();
    EXPECT_EQ(Fakes::names, 0) << method;
    EXPECT_EQ(world_->scene.m_strRankName, "abc");
    EXPECT_EQ(world_->scene.m_bRanked, 1);
  }
  EXPECT_EQ(Fakes::registers, 2);
  EXPECT_EQ(requests_.Sounds(), (std::vector<int>{16, 1, 16, 1}));
}

TEST_F(Loops, RankingMethodsWithEntryAskAndKeepTheName) {
  for (int method : {0, 2}) {
    g_OptionData.m_nRankingMethod = method;
    g_SaveData.m_strPlayerName = "old";
    world_->scene.m_bRankIn = 1;
    world_->scene.m_bRanked = 0;
    Fakes::script = {0, 1};
    Rank();
    EXPECT_EQ(world_->scene.m_strRankName, "xyz");
    EXPECT_EQ(g_SaveData.m_strPlayerName, "xyz");
  }
  EXPECT_EQ(Fakes::names, 2);
}

TEST_F(Loops, NothingToRegister) {
  world_->scene.m_bRankIn = 0;
  Rank();
  world_->scene.m_bRankIn = 1;
  world_->scene.m_bRanked = 1;
  Rank();
  world_->scene.m_bRanked = 0;
  g_PauseLink.lpfnRankingsOn = [] { return 0; };
  Rank();
  EXPECT_EQ(Fakes::registers, 0);
  EXPECT_EQ(Fakes::polls, 0);
  EXPECT_TRUE(requests_.Sounds().empty());
}

TEST_F(Loops, CloseDuringTheRankingDisplayEndsIt) {
  g_OptionData.m_nRankingMethod = 1;
  world_->scene.m_bRankIn = 1;
  Fakes::wmQuitAt = 3;  // the program's close posts WM_QUIT to the loop
  Rank();
  EXPECT_EQ(Fakes::presents, 3);
  EXPECT_EQ(thRanking.m_hThread.load(), nullptr);
}

TEST_F(Loops, RankingPagesThroughTheKindsOfTheMode) {
  // Kinds 0 and 2 recorded for the story mode; the result reached places 3 and 7 in them.
  const int savedMode = g_nGameMode;
  RankIn(cSafeVector<uint8_t>{1, 0, 1, 0, 0}, cSafeVector<int32_t>{3, -1, 7, -1, -1}, 1);
  g_SaveData.m_nRankingKind = 1;
  Fakes::script = {0, 8, 0, 8, 0, 1};
  Rank();
  g_nGameMode = savedMode;
  // The cursor starts on the first recorded kind from kind 1 (kind 2); each fresh page press
  // moves it to the next recorded kind.
  const std::vector<std::pair<int, int>> expected = {{2, 7}, {0, 3}, {0, 3}, {2, 7}, {2, 7}};
  EXPECT_EQ(Fakes::drawn, expected);
  EXPECT_EQ(requests_.Sounds(), (std::vector<int>{16, 6, 6, 1}));
}

TEST_F(Loops, RankingWithOneKindDoesNotPage) {
  const int savedMode = g_nGameMode;
  RankIn(cSafeVector<uint8_t>{0, 0, 0, 1, 0}, cSafeVector<int32_t>{-1, -1, -1, 4, -1}, 3);
  Fakes::script = {0, 8, 0, 1};
  Rank();
  g_nGameMode = savedMode;
  const std::vector<std::pair<int, int>> expected = {{3, 4}, {3, 4}, {3, 4}};
  EXPECT_EQ(Fakes::drawn, expected);
  EXPECT_EQ(requests_.Sounds(), (std::vector<int>{16, 1}));
}

}  // namespace
