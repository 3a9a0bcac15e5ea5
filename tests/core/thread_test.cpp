#include "core/thread.h"

#include <gtest/gtest.h>
#include <sched.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/shell_link.h"
#include "core/sound_request.h"
#include "platform/message.h"
#include "platform/thread.h"
#include "platform/time.h"
#include "support/bytes.h"
#include "support/temp_dir.h"
#include "support/test_thread.h"

namespace {

// The procedure of a thread started through cThread: runs the std::function it is given.
unsigned RunFunction(void* p) {
  (*static_cast<std::function<void()>*>(p))();
  return 0;
}

TEST(cThread, ExitOnAThreadNeverStartedDoesNothing) {
  CoreTestEnv env(true);
  cThread th;
  th.Exit();
  th.Wait();
  EXPECT_EQ(th.Suspend(), 1);
  EXPECT_EQ(th.Resume(), 1);
  EXPECT_EQ(th.m_hThread.load(), nullptr);
  EXPECT_EQ(env.ErrorText(), "");
}

// Exit ends the thread however it waits: one that reads its queue returns on WM_QUIT, even
// when it looks only now and then; one that never reads it is asked to stop after the polls
// and unwinds; nothing is killed where it stands.
TEST(cThread, ExitEndsTheThreadWhereverItWaits) {
  CoreTestEnv env(true);
  struct Case {
    const char* name;
    std::function<void()> body;
    bool returnsByItself;
    bool suspended = false;
    bool endedBefore = false;
  } cases[] = {
      {"waits in its queue",
       [] {
         MSG msg;
         while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
         }
       },
       true},
      {"looks at its queue every 50 ms",
       [] {
         MSG msg;
         for (;;) {
           if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message == WM_QUIT) return;
           Sleep(50);
         }
       },
       true},
      {"suspended while waiting in its queue",
       [] {
         MSG msg;
         while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
         }
       },
       true, true},
      {"sleeps in a loop",
       [] {
         for (;;) Sleep(1);
       },
       false},
      {"blocked sending to the main window, which does not pump meanwhile", [] { PlaySysSe(1); }, false},
      {"has already ended", [] {}, true, false, true},
  };
  for (const Case& c : cases) {
    std::atomic<bool> started{false};
    std::atomic<bool> returned{false};
    std::atomic<bool> unwound{false};
    std::function<void()> fn = [&] {
      SetWhenDestroyed guard{unwound};
      MSG msg;
      PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
      started = true;
      c.body();
      returned = true;
    };
    cThread th;
    ASSERT_EQ(th.Start(&RunFunction, &fn), 1) << c.name;
    EXPECT_NE(th.m_dwThreadId.load(), 0u);
    ASSERT_TRUE(WaitUntil([&] { return started.load(); })) << c.name;
    if (c.endedBefore) {
      ASSERT_TRUE(WaitUntil([&] { return unwound.load(); }));
    }
    if (c.suspended) {
      EXPECT_EQ(th.Suspend(), 1);
    }
    HANDLE h = th.m_hThread.load();
    th.Exit();
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_FAILED) << c.name << ": the handle is closed";
    EXPECT_EQ(th.m_hThread.load(), nullptr) << c.name;
    EXPECT_TRUE(unwound.load()) << c.name;
    EXPECT_EQ(returned.load(), c.returnsByItself) << c.name;
    EXPECT_EQ(env.ErrorText(), "Exit A\nExit B\nExit C\nExit D\nExit E\n") << c.name;
    WriteFileBytes(env.dir() / "EC_Game.txt", "");
    env.TakeCloseRequests();
  }
  // Nothing escaped a thread.
  EXPECT_EQ(env.ReportText(), "");
}

// Threads are ended by the program before it returns, never by the destructors at exit, when the
// layers that ending a thread needs may be gone: destroying the object neither waits for its
// thread nor ends it.
TEST(cThread, DestroyingTheObjectLeavesItsThreadAlone) {
  CoreTestEnv env(true);
  std::atomic<bool> stop{false};
  std::function<void()> fn = [&] {
    while (!stop) Sleep(1);
  };
  HANDLE h = nullptr;
  {
    cThread th;
    ASSERT_EQ(th.Start(&RunFunction, &fn), 1);
    h = th.m_hThread.load();
  }
  EXPECT_EQ(WaitForSingleObject(h, 20), WAIT_TIMEOUT);
  EXPECT_EQ(env.ErrorText(), "") << "no Exit";
  stop = true;
  EXPECT_EQ(WaitForSingleObject(h, 10000), WAIT_OBJECT_0);
  CloseHandle(h);
}

// Another thread that sees a new thread at work (the window thread's close, posting WM_QUIT
// to the pause loop) finds its id and handle in the object: the thread's procedure begins only
// once Start has stored them. On one processor the new thread often runs before its starter
// goes on, as on a busy machine; the starts are repeated.
TEST(cThread, TheProcedureBeginsOnlyOnceTheIdAndHandleAreStored) {
  CoreTestEnv env;
  cpu_set_t saved, one;
  ASSERT_EQ(sched_getaffinity(0, sizeof saved, &saved), 0);
  CPU_ZERO(&one);
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (CPU_ISSET(cpu, &saved)) {
      CPU_SET(cpu, &one);
      break;
    }
  }
  ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
  struct RestoreAffinity {
    cpu_set_t* set;
    ~RestoreAffinity() { sched_setaffinity(0, sizeof *set, set); }
  } restore{&saved};
  cThread th;
  for (int i = 0; i < 200; ++i) {
    std::atomic<DWORD> seenId{0};
    std::atomic<HANDLE> seenHandle{nullptr};
    DWORD ownId = 0;
    std::function<void()> fn = [&] {
      seenId = th.m_dwThreadId.load();
      seenHandle = th.m_hThread.load();
      ownId = GetCurrentThreadId();
    };
    ASSERT_EQ(th.Start(&RunFunction, &fn), 1);
    const HANDLE h = th.m_hThread.load();
    th.Wait();
    ASSERT_EQ(seenId.load(), ownId) << "start " << i;
    ASSERT_EQ(seenHandle.load(), h) << "start " << i;
  }
}

TEST(cThread, WaitBlocksUntilTheThreadHasReturned) {
  CoreTestEnv env;
  std::atomic<bool> done{false};
  std::function<void()> fn = [&] {
    Sleep(20);
    done = true;
  };
  cThread th;
  ASSERT_EQ(th.Start(&RunFunction, &fn), 1);
  HANDLE h = th.m_hThread.load();
  th.Wait();
  EXPECT_TRUE(done.load());
  EXPECT_EQ(th.m_hThread.load(), nullptr);
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_FAILED);
}

TEST(cThread, AnExceptionEscapingAThreadIsLoggedAndClosesTheMainWindow) {
  CoreTestEnv env;
  std::function<void()> fn = [] { throw std::runtime_error("bad stage"); };
  cThread th;
  ASSERT_EQ(th.Start(&RunFunction, &fn), 1);
  DWORD id = th.m_dwThreadId.load();
  th.Wait();
  EXPECT_EQ(env.ReportText(), "Thread " + std::to_string(id) + ": exception not caught: bad stage\n");
  EXPECT_EQ(env.TakeCloseRequests(), 1);
}

// The main window of these tests records the sound requests it handles.
struct SoundLog {
  std::vector<WPARAM> slots;
  std::vector<DWORD> threads;
  std::atomic<bool>* senderReturned = nullptr;
  bool senderWasBlocked = true;
};
SoundLog* g_soundLog = nullptr;

LRESULT SoundWindowProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_PLAY_SE && g_soundLog) {
    g_soundLog->slots.push_back(wParam);
    g_soundLog->threads.push_back(GetCurrentThreadId());
    if (g_soundLog->senderReturned && g_soundLog->senderReturned->load()) g_soundLog->senderWasBlocked = false;
  }
  return 0;
}

class SoundRequest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_soundLog = &log_;
    window_ = CreateWindowHandle(&SoundWindowProc);
    g_hWnd = window_;
  }
  void TearDown() override {
    g_hWnd = env_.MainWindow();
    DestroyWindowHandle(window_);
    g_soundLog = nullptr;
  }
  CoreTestEnv env_;
  SoundLog log_;
  HWND window_ = nullptr;
};

TEST_F(SoundRequest, SlotsSentToTheWindowThread) {
  struct Case {
    const char* call;
    std::function<void()> play;
    std::vector<WPARAM> slots;
  } cases[] = {
      {"PlaySysSe(0)", [] { PlaySysSe(0); }, {0}},
      {"PlaySysSe(16)", [] { PlaySysSe(16); }, {16}},
      {"PlayUserSe(3)", [] { PlayUserSe(3); }, {19}},
      {"PlayUserSe(0)", [] { PlayUserSe(0); }, {}},
      {"PlayUserSe(65536), 0 in 16 bits", [] { PlayUserSe(65536); }, {}},
      {"PlayUserSe(65537), 1 in 16 bits", [] { PlayUserSe(65537); }, {17}},
  };
  for (const Case& c : cases) {
    log_.slots.clear();
    log_.threads.clear();
    std::atomic<bool> returned{false};
    log_.senderReturned = &returned;
    log_.senderWasBlocked = true;
    std::function<void()> fn = [&] {
      c.play();
      returned = true;
    };
    cThread th;
    ASSERT_EQ(th.Start(&RunFunction, &fn), 1);
    if (!c.slots.empty()) {
      ASSERT_TRUE(WaitUntil([] { return CountPendingSentMessages() == 1; })) << c.call;
      // The window thread has not pumped yet: the sender is still waiting.
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      EXPECT_FALSE(returned.load()) << c.call;
    }
    // The window thread's loop: pump until the sender is through.
    while (!returned.load()) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      Sleep(1);
    }
    th.Wait();
    EXPECT_EQ(log_.slots, c.slots) << c.call;
    // Played on the window thread, while the sender waited.
    EXPECT_EQ(log_.threads, std::vector<DWORD>(c.slots.size(), GetCurrentThreadId())) << c.call;
    EXPECT_TRUE(log_.senderWasBlocked) << c.call;
  }
}

TEST_F(SoundRequest, ASenderWaitingWhenTheShutdownStartsIsReleased) {
  std::atomic<bool> returned{false};
  std::function<void()> fn = [&] {
    PlayUserSe(3);
    returned = true;
  };
  cThread th;
  ASSERT_EQ(th.Start(&RunFunction, &fn), 1);
  ASSERT_TRUE(WaitUntil([] { return CountPendingSentMessages() == 1; }));
  SetMessageShutdown(TRUE);
  EXPECT_TRUE(WaitUntil([&] { return returned.load(); }));
  th.Wait();
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  EXPECT_TRUE(log_.slots.empty());
  SetMessageShutdown(FALSE);
}

}  // namespace
