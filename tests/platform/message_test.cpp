#include "platform/message.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "platform/thread.h"
#include "platform/time.h"
#include "support/test_thread.h"

namespace {

constexpr UINT WM_TEST = WM_USER + 50;

// A window procedure that records what it handled and on which thread. The procedure of a
// window is a plain function, so the recorder is found through a table of handles.
struct Recorder {
  struct Call {
    UINT msg;
    WPARAM wParam;
    DWORD thread;
  };
  std::vector<Call> calls;
  std::function<LRESULT(UINT, WPARAM)> reply = [](UINT, WPARAM w) { return static_cast<LRESULT>(w * 2); };
};

std::mutex g_recordersMutex;
std::vector<std::pair<HWND, Recorder*>> g_recorders;

LRESULT RecordingProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM) {
  Recorder* r = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_recordersMutex);
    for (auto& [h, rec] : g_recorders) {
      if (h == hWnd) r = rec;
    }
  }
  if (!r) return -1;
  r->calls.push_back({msg, wParam, GetCurrentThreadId()});
  return r->reply(msg, wParam);
}

HWND MakeWindow(Recorder* r) {
  HWND h = CreateWindowHandle(&RecordingProc);
  std::lock_guard<std::mutex> lock(g_recordersMutex);
  g_recorders.emplace_back(h, r);
  return h;
}

// Takes every message waiting for the calling thread, dispatching it; returns the numbers.
std::vector<UINT> Drain() {
  std::vector<UINT> got;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    got.push_back(msg.message);
    DispatchMessageA(&msg);
  }
  return got;
}

// A thread that owns a window and pumps its queue, dispatching, until it is told to quit.
class WindowThread {
 public:
  explicit WindowThread(Recorder* r)
      : thread_([this, r] {
          window_ = MakeWindow(r);
          MSG msg;
          while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        }) {
    EXPECT_TRUE(WaitUntil([this] { return window_.load() != nullptr; }));
  }
  ~WindowThread() { Quit(); }
  HWND window() const { return window_.load(); }
  DWORD id() const { return thread_.id(); }
  // Posts WM_QUIT and waits for the thread; true when it ended.
  bool Quit() {
    PostThreadMessageA(thread_.id(), WM_QUIT, 0, 0);
    return thread_.Join();
  }

 private:
  std::atomic<HWND> window_{nullptr};
  TestThread thread_;
};

// Each test starts and ends with an empty queue on its thread.
class ThreadQueue : public ::testing::Test {
 protected:
  void SetUp() override { DiscardMessages(); }
  void TearDown() override { DiscardMessages(); }
};
using SendMessage = ThreadQueue;

TEST_F(ThreadQueue, PostThreadMessageFailsUntilTheThreadMakesItsFirstMessageCall) {
  std::atomic<bool> go{false};
  std::vector<UINT> got;
  TestThread t([&] {
    while (!go.load()) std::this_thread::yield();
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) got.push_back(msg.message);
    got.push_back(msg.message);
  });
  EXPECT_FALSE(PostThreadMessageA(t.id(), WM_APP, 0, 0));
  EXPECT_FALSE(PostThreadMessageA(0, WM_APP, 0, 0));
  go = true;
  // The start-up handshake: post until the new thread has a queue.
  while (!PostThreadMessageA(t.id(), WM_APP, 0, 0)) {
  }
  EXPECT_TRUE(PostThreadMessageA(t.id(), WM_QUIT, 0, 0));
  ASSERT_TRUE(t.Join());
  EXPECT_EQ(got, (std::vector<UINT>{WM_APP, WM_QUIT}));
  // The queue ended with the thread.
  EXPECT_FALSE(PostThreadMessageA(t.id(), WM_APP, 0, 0));
}

TEST_F(ThreadQueue, PeekMessageFilters) {
  Recorder r1, r2;
  HWND w1 = MakeWindow(&r1);
  HWND w2 = MakeWindow(&r2);
  const HWND threadOnly = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));
  struct Case {
    const char* name;
    HWND hWnd;
    UINT lo, hi;
    std::vector<UINT> taken;
  } cases[] = {
      {"all", nullptr, 0, 0, {100, 200, 300, 400}},
      {"one window", w1, 0, 0, {100, 400}},
      {"thread messages only", threadOnly, 0, 0, {200}},
      {"number range", nullptr, 250, 400, {300, 400}},
      {"window and range", w1, 150, 500, {400}},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(PostMessageA(w1, 100, 0, 0));
    ASSERT_TRUE(PostMessageA(nullptr, 200, 0, 0));
    ASSERT_TRUE(PostMessageA(w2, 300, 0, 0));
    ASSERT_TRUE(PostMessageA(w1, 400, 0, 0));
    MSG msg;
    // Looking leaves the message where it is.
    if (!c.taken.empty()) {
      ASSERT_TRUE(PeekMessageA(&msg, c.hWnd, c.lo, c.hi, PM_NOREMOVE)) << c.name;
      EXPECT_EQ(msg.message, c.taken[0]) << c.name;
    }
    std::vector<UINT> taken;
    while (PeekMessageA(&msg, c.hWnd, c.lo, c.hi, PM_REMOVE)) {
      taken.push_back(msg.message);
      if (msg.message == 200) {
        EXPECT_EQ(msg.hwnd, nullptr);
      }
    }
    EXPECT_EQ(taken, c.taken) << c.name;
    Drain();
  }
  // Posting to something that is not a window fails.
  EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x1234), 100, 0, 0));
}

TEST_F(ThreadQueue, PostedWindowMessagesAreDispatchedOnTheOwnerThread) {
  Recorder r;
  WindowThread owner(&r);
  HWND window = owner.window();
  ASSERT_TRUE(PostMessageA(window, WM_TEST, 7, 0));
  // Dispatching a message of another thread's window calls nothing.
  MSG foreign{};
  foreign.hwnd = window;
  foreign.message = WM_TEST;
  EXPECT_EQ(DispatchMessageA(&foreign), 0);
  ASSERT_TRUE(owner.Quit());
  ASSERT_EQ(r.calls.size(), 1u);
  EXPECT_EQ(r.calls[0].msg, WM_TEST);
  EXPECT_EQ(r.calls[0].wParam, 7u);
  EXPECT_EQ(r.calls[0].thread, owner.id());
  // The window ended with its thread.
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(PostMessageA(window, WM_TEST, 0, 0));
}

TEST_F(ThreadQueue, GetMessageWithAWindowThatIsNoneFails) {
  MSG msg;
  EXPECT_EQ(GetMessageA(&msg, reinterpret_cast<HWND>(0x1234), 0, 0), -1);
}

TEST_F(ThreadQueue, QuitComesAfterTheMessagesPostedBefore) {
  PostMessageA(nullptr, WM_TEST, 0, 0);
  PostQuitMessage(4);
  PostMessageA(nullptr, WM_TEST + 1, 0, 0);
  MSG msg;
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, WM_TEST);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, WM_TEST + 1);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 4u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(ThreadQueue, AFullQueueRefusesPosts) {
  int posted = 0;
  while (posted < 20000 && PostMessageA(nullptr, WM_TEST, 0, 0)) ++posted;
  EXPECT_EQ(posted, 10000);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_TRUE(PostMessageA(nullptr, WM_TEST, 0, 0));
  EXPECT_FALSE(PostMessageA(nullptr, WM_TEST, 0, 0));
}

TEST_F(ThreadQueue, WaitMessageReturnsWhenAnotherThreadPosts) {
  // Make the queue before the other thread looks for it.
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
  DWORD self = GetCurrentThreadId();
  TestThread t([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    PostThreadMessageA(self, WM_TEST, 0, 0);
  });
  EXPECT_TRUE(WaitMessage());
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_TEST);
}

TEST_F(SendMessage, WithinOneThreadTheProcedureIsCalledDirectly) {
  Recorder r;
  HWND w = MakeWindow(&r);
  EXPECT_EQ(SendMessageA(w, WM_TEST, 21, 0), 42);
  ASSERT_EQ(r.calls.size(), 1u);
  EXPECT_EQ(r.calls[0].thread, GetCurrentThreadId());
  EXPECT_EQ(SendMessageA(reinterpret_cast<HWND>(0x1234), WM_TEST, 1, 0), 0);
}

// The window's thread (this test's) runs a message another thread sent whenever it pumps, in
// any of the ways it can pump, and the sender gets the procedure's result only then.
TEST_F(SendMessage, TheOwnerRunsSentMessagesWheneverItPumps) {
  struct Pump {
    const char* name;
    std::function<void(HWND other)> run;
  } pumps[] = {
      {"PeekMessageA", [](HWND) {
         MSG msg;
         PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
       }},
      {"GetMessageA",
       [](HWND) {
         // Returns once the posted message that follows the sent one is there.
         MSG msg;
         GetMessageA(&msg, nullptr, 0, 0);
       }},
      {"WaitMessage", [](HWND) { WaitMessage(); }},
      {"its own SendMessageA",
       [](HWND other) {
         // Sending to a window of a third thread, which takes its time to answer.
         SendMessageA(other, WM_TEST, 0, 0);
       }},
  };
  for (const Pump& p : pumps) {
    Recorder mine;
    HWND w = MakeWindow(&mine);
    // A third thread with a window that answers late.
    Recorder slowRec;
    slowRec.reply = [](UINT, WPARAM) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      return LRESULT{0};
    };
    WindowThread third(&slowRec);

    std::atomic<LRESULT> result{-5};
    std::atomic<bool> returned{false};
    DWORD self = GetCurrentThreadId();
    TestThread sender([&] {
      result = SendMessageA(w, WM_TEST, 5, 0);
      returned = true;
      PostThreadMessageA(self, WM_TEST + 1, 0, 0);
    });
    ASSERT_TRUE(WaitUntil([] { return CountPendingSentMessages() == 1; })) << p.name;
    // Nobody pumps: the sender stays blocked.
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(returned.load()) << p.name;
    EXPECT_TRUE(mine.calls.empty()) << p.name;
    p.run(third.window());
    ASSERT_TRUE(sender.Join()) << p.name;
    EXPECT_EQ(result.load(), 10) << p.name;
    ASSERT_EQ(mine.calls.size(), 1u) << p.name;
    EXPECT_EQ(mine.calls[0].thread, self) << p.name;
    ASSERT_TRUE(third.Quit()) << p.name;
    Drain();
  }
}

// A window thread that idles in Sleep between the turns of its loop: a message sent to it ends
// the sleep at once (the sender waits for its next pump, and a game thread's request for every
// hit of a crowded frame would otherwise wait out the sleep), but is run only where it pumps.
// One arrival ends one sleep: a thread that sleeps again without pumping sleeps its time.
TEST_F(SendMessage, AMessageSentToASleepingThreadEndsTheSleepAndRunsAtItsNextPump) {
  Recorder mine;
  std::atomic<HWND> w{nullptr};
  std::atomic<bool> sleeping{false};
  std::atomic<DWORD> slept{0};
  std::atomic<DWORD> sleptAgain{0};
  std::atomic<size_t> callsAfterSleep{99};
  TestThread owner([&] {
    w = MakeWindow(&mine);
    sleeping = true;
    DWORD start = timeGetTime();
    Sleep(60000);
    slept = timeGetTime() - start;
    start = timeGetTime();
    Sleep(200);
    sleptAgain = timeGetTime() - start;
    callsAfterSleep = mine.calls.size();
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
  });
  ASSERT_TRUE(WaitUntil([&] { return sleeping.load(); }));
  // Well inside the minute's sleep by now.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(SendMessageA(w.load(), WM_TEST, 5, 0), 10);
  ASSERT_TRUE(owner.Join());
  EXPECT_LT(slept.load(), 30000u);
  EXPECT_GE(sleptAgain.load(), 200u);
  EXPECT_EQ(callsAfterSleep.load(), 0u);
  EXPECT_EQ(mine.calls.size(), 1u);
}

// Two threads that send to each other's windows: each runs the other's message while it
// waits, so neither is left waiting.
TEST_F(SendMessage, SendersServeEachOtherWhileWaiting) {
  Recorder mine;
  HWND w = MakeWindow(&mine);
  Recorder theirs;
  theirs.reply = [w](UINT, WPARAM v) { return SendMessageA(w, WM_TEST, v + 1, 0) + 1; };
  WindowThread other(&theirs);
  // Ours doubles (4 -> 8), theirs adds one.
  EXPECT_EQ(SendMessageA(other.window(), WM_TEST, 3, 0), 9);
  ASSERT_EQ(mine.calls.size(), 1u);
  EXPECT_EQ(mine.calls[0].thread, GetCurrentThreadId());
}

TEST_F(SendMessage, TheShutdownReleasesWaitingSendersAndRefusesNewOnes) {
  Recorder mine;
  HWND w = MakeWindow(&mine);
  std::atomic<LRESULT> result{-5};
  TestThread blocked([&] { result = SendMessageA(w, WM_TEST, 5, 0); });
  ASSERT_TRUE(WaitUntil([] { return CountPendingSentMessages() == 1; }));
  SetMessageShutdown(TRUE);
  ASSERT_TRUE(blocked.Join());
  EXPECT_EQ(result.load(), 0);
  // The call was dropped: pumping now runs nothing.
  EXPECT_EQ(CountPendingSentMessages(), 0);
  Drain();
  EXPECT_TRUE(mine.calls.empty());

  std::atomic<LRESULT> late{-5};
  TestThread lateSender([&] { late = SendMessageA(w, WM_TEST, 5, 0); });
  ASSERT_TRUE(lateSender.Join());
  EXPECT_EQ(late.load(), 0);
  EXPECT_TRUE(mine.calls.empty());
  // Within the window's own thread a send still works.
  EXPECT_EQ(SendMessageA(w, WM_TEST, 5, 0), 10);
  SetMessageShutdown(FALSE);
}

TEST_F(SendMessage, SendersAreReleasedWhenTheWindowOrItsThreadGoes) {
  Recorder mine;
  HWND w = MakeWindow(&mine);
  std::atomic<LRESULT> result{-5};
  TestThread sender([&] { result = SendMessageA(w, WM_TEST, 5, 0); });
  ASSERT_TRUE(WaitUntil([] { return CountPendingSentMessages() == 1; }));
  PostMessageA(w, WM_TEST, 0, 0);
  EXPECT_TRUE(DestroyWindowHandle(w));
  ASSERT_TRUE(sender.Join());
  EXPECT_EQ(result.load(), 0);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_TRUE(mine.calls.empty());
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(DestroyWindowHandle(w));

  // A window whose thread ends while a sender waits on it.
  Recorder theirs;
  std::atomic<HWND> other{nullptr};
  std::atomic<bool> end{false};
  std::atomic<int> ownerPending{0};
  TestThread owner([&] {
    other = MakeWindow(&theirs);
    while (!end.load()) {
      ownerPending = CountPendingSentMessages();
      std::this_thread::yield();
    }
  });
  ASSERT_TRUE(WaitUntil([&] { return other.load() != nullptr; }));
  std::atomic<LRESULT> result2{-5};
  std::atomic<bool> returned{false};
  TestThread sender2([&] {
    result2 = SendMessageA(other, WM_TEST, 5, 0);
    returned = true;
  });
  // The owner never pumps: the sender waits until the thread ends.
  EXPECT_TRUE(WaitUntil([&] { return ownerPending.load() == 1; }));
  EXPECT_FALSE(returned.load());
  end = true;
  ASSERT_TRUE(sender2.Join());
  EXPECT_EQ(result2.load(), 0);
  EXPECT_TRUE(theirs.calls.empty());
}

}  // namespace
