#include "project/stage_load.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "defs/cmd_kind.h"
#include "defs/def_context.h"
#include "defs/ed_shot.h"
#include "defs/flow_cmd.h"
#include "defs/record_bytes.h"
#include "fixture/fixture.h"
#include "platform/message.h"
#include "platform/thread.h"
#include "platform/time.h"
#include "project/global_data.h"
#include "stage_bytes.h"
#include "support/bytes.h"
#include "support/temp_dir.h"
#include "support/test_thread.h"

namespace {

// The loader thread can be held inside the load: a character with a sword command asks the
// definition context for the sword's swing times while it is read, and the answer waits here
// until released (or until the thread is asked to stop).
std::atomic<DWORD> g_freeThread{0};
std::atomic<bool> g_holdLoader{false};
std::atomic<bool> g_loaderHeld{false};
std::atomic<DWORD> g_loaderThread{0};

cSafeVector<int32_t> HoldingSwingWaits(int) {
  if (GetCurrentThreadId() == g_freeThread) return cSafeVector<int32_t>();
  g_loaderThread = GetCurrentThreadId();
  g_loaderHeld = true;
  for (int ms = 0; g_holdLoader && ms < 10000; ++ms) Sleep(1);
  return cSafeVector<int32_t>();
}

cCharaData SwordCarrier() {
  cFlowCmd cmd;
  cmd.m_byKind = CMD_SWORD;
  cmd.m_pShot.reset(new cEdShot);
  cFlow flow;
  flow.m_vCmd.push_back(cmd);
  cCharaData c = fixture::Chara(2);
  c.m_vFlow.assign(1, flow);
  return c;
}

class StageLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_DefContext = cDefContext();
    for (int i = 0; i < DBLIST_COUNT; ++i)
      g_DefContext.anDbListSize[i] = project.database.ListSize(static_cast<eDbList>(i));
    g_StageData = cStage();
    g_StageInit = cStage();
    g_CommonPalette.SetDefContext();
    g_StageData.SetDefContext();
    g_DefContext.lpfnSwordSwingWaits = &HoldingSwingWaits;
    g_freeThread = GetCurrentThreadId();
    g_holdLoader = false;
    g_loaderHeld = false;
    DiscardMessages();
  }
  void TearDown() override {
    g_holdLoader = false;
    DiscardMessages();
    g_StageData = cStage();
    g_StageInit = cStage();
    g_DefContext = cDefContext();
  }

  // A stage with a hero, a block, an item and a character carrying it, of the given width.
  static cStage PlayableStage(int width) {
    cStage s = fixture::Stage(width, 15);
    fixture::Place(s, fixture::Block(3), 0, 14);
    fixture::Place(s, fixture::Item(1), 5, 5);
    fixture::Place(s, fixture::Hero(), 1, 13);
    fixture::Place(s, fixture::Chara(4), 8, 13, 0);
    return s;
  }
  void WriteStage(cStage stage, const std::string& name, int number) {
    ASSERT_TRUE(project.WriteStage(stage, name, number));
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const CoreTestEnv::Box& b : env.Boxes()) texts.push_back(b.text);
    return texts;
  }

  CoreTestEnv env{true};
  fixture::Project project{env.dir() / "game"};
  ScopedChdir chdir{project.Root()};
};

TEST_F(StageLoadTest, TheNewestNumberedFileBecomesTheWorkingStage) {
  WriteStage(PlayableStage(30), "a", 2);
  WriteStage(PlayableStage(40), "a", 10);
  WriteStage(PlayableStage(50), "ab", 11);
  ASSERT_EQ(LoadStageFile("data\\stg4\\a.stg4", 1, &g_StageInit), 1);
  EXPECT_EQ(g_StageData.m_nWidth, 40);
  EXPECT_EQ(g_StageData.m_strPath, "data\\stg4\\a.stg4_010");
  EXPECT_EQ(g_StageData.m_bFindNewest, 1);
  EXPECT_EQ(g_StageData.m_bLoaded, 1);
  EXPECT_EQ(g_StageData.m_vPlacedBlock.size(), 1u);
  EXPECT_EQ(g_StageData.m_vPlacedChara.size(), 2u);
  EXPECT_EQ(g_StageData.m_vPlacedItem.size(), 1u);
  EXPECT_EQ(g_StageData.m_vBlock.size(), 2u);
  // The stage as loaded has the settings and no objects.
  EXPECT_EQ(g_StageInit.m_nWidth, 40);
  EXPECT_EQ(g_StageInit.m_vBg.size(), g_StageData.m_vBg.size());
  for (size_t n : {g_StageInit.m_vBlock.size(), g_StageInit.m_vChara.size(), g_StageInit.m_vItem.size(),
                   g_StageInit.m_vPlacedBlock.size(), g_StageInit.m_vPlacedChara.size(),
                   g_StageInit.m_vPlacedItem.size()})
    EXPECT_EQ(n, 0u);
  // The definitions see the working stage's palette.
  EXPECT_EQ(g_DefContext.block.stage.Entry<cBlockData>(1), &g_StageData.m_vBlock[1]);
  EXPECT_TRUE(env.Boxes().empty());

  // Without the search the name is the file; a path under the working folder becomes relative.
  ASSERT_EQ(LoadStageFile(project.StoredPath("data\\stg4\\a.stg4_002").c_str(), 0, nullptr), 1);
  EXPECT_EQ(g_StageData.m_nWidth, 30);
  EXPECT_EQ(g_StageData.m_strPath, ".\\data\\stg4\\a.stg4_002");
  EXPECT_EQ(g_StageInit.m_nWidth, 40) << "no output record given";
  EXPECT_EQ(env.TakeCloseRequests(), 0);
}

TEST_F(StageLoadTest, RefusedStagesLeaveTheWorkingStageAsItWas) {
  WriteStage(PlayableStage(30), "good", 0);
  cStage noHero = PlayableStage(30);
  noHero.m_vPlacedChara[0].m_wGraphic = 0;  // the player character has no graphic
  WriteStage(noHero, "nohero", 0);
  fixture::MakeFolder("data\\stg4");
  WriteFileBytes("data/stg4/plain.stg4", ByteWriter().I32(790).str());
  WriteFileBytes("data/stg4/new.stg4_000", ByteWriter().I32(800).Zeros(64).str());
  WriteFileBytes("data/stg4/short.stg4_000", ByteWriter().I32(790).I32(98).str());
  {
    std::string damaged = ReadFileBytes("data/stg4/good.stg4_000");
    damaged[damaged.size() - 1] ^= 1;
    WriteFileBytes("data/stg4/damaged.stg4_000", damaged);
  }
  struct Case {
    const char* name;
    int findNewest;
    const char* box;  // null: none
    int closes;
  } cases[] = {
      {"data\\stg4\\plain.stg4", 1, nullptr, 0},
      {"data\\stg4\\missing.stg4_000", 0, "ステージファイル data\\stg4\\missing.stg4_000 の読み込みに失敗しました！", 0},
      {"data\\stg4\\new.stg4", 1, "ステージファイル data\\stg4\\new.stg4_000 の読み込みに失敗しました！", 0},
      {"data\\stg4\\short.stg4", 1, "ステージファイル data\\stg4\\short.stg4_000 が破損しています！", 1},
      {"data\\stg4\\damaged.stg4", 1, "ステージファイル data\\stg4\\damaged.stg4_000 が破損しています！", 1},
      {"data\\stg4\\nohero.stg4", 1, "主人公が配置されていないのでプレイできません！", 1},
  };
  ASSERT_EQ(LoadStageFile("data\\stg4\\good.stg4", 1, &g_StageInit), 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t boxes = env.Boxes().size();
    EXPECT_EQ(LoadStageFile(c.name, c.findNewest, &g_StageInit), 0);
    if (c.box) {
      ASSERT_EQ(env.Boxes().size(), boxes + 1);
      EXPECT_EQ(env.Boxes().back().text, c.box);
    } else {
      EXPECT_EQ(env.Boxes().size(), boxes);
    }
    EXPECT_EQ(env.TakeCloseRequests(), c.closes);
    EXPECT_EQ(g_StageData.m_strPath, "data\\stg4\\good.stg4_000");
    EXPECT_EQ(g_StageData.m_vPlacedChara.size(), 2u);
    EXPECT_EQ(g_StageData.m_vPlacedChara[0].m_wGraphic, 1);
    EXPECT_EQ(g_StageInit.m_nWidth, 30);
  }
}

TEST_F(StageLoadTest, TheTrailerIsComparedFromVersion174On) {
  fixture::MakeFolder("data\\stg4");
  CharaBytes hero;
  hero.control = 0, hero.graphic = 1;
  for (int v : {172, 173}) {
    SCOPED_TRACE(v);
    StageBytes b;
    b.version = v;
    b.trailer = 42;
    b.placedCharas = {hero.Body(v)};
    WriteFileBytes("data/stg4/old.stg4_000", b.File());
    EXPECT_EQ(LoadStageFile("data\\stg4\\old.stg4", 1, &g_StageInit), 1);
    EXPECT_EQ(g_StageData.FindPlayer(), 0);
  }
  EXPECT_TRUE(env.Boxes().empty());
  EXPECT_EQ(env.TakeCloseRequests(), 0);
}

// Counts the messages of its window.
std::atomic<int> g_dispatched{0};
std::atomic<int> g_nestedResult{-1};
LRESULT CountingProc(HWND, UINT msg, WPARAM, LPARAM) {
  if (msg == WM_USER + 50) {
    ++g_dispatched;
    // A load started while a load runs is refused.
    g_nestedResult = LoadStageFile("data\\stg4\\a.stg4", 1, nullptr);
    g_holdLoader = false;
  }
  return 0;
}

TEST_F(StageLoadTest, TheCallersMessagesAreDispatchedWhileTheLoaderReads) {
  cStage s = PlayableStage(30);
  fixture::Place(s, SwordCarrier(), 3, 3);
  WriteStage(s, "a", 0);
  HWND window = CreateWindowHandle(&CountingProc);
  g_dispatched = 0;
  g_nestedResult = -1;
  g_holdLoader = true;
  ASSERT_TRUE(PostMessageA(window, WM_USER + 50, 0, 0));
  // The loader cannot finish before the message was handled.
  EXPECT_EQ(LoadStageFile("data\\stg4\\a.stg4", 1, &g_StageInit), 1);
  EXPECT_EQ(g_dispatched, 1);
  EXPECT_EQ(g_nestedResult, 0);
  EXPECT_TRUE(g_loaderHeld);
  EXPECT_NE(g_loaderThread, GetCurrentThreadId());
  EXPECT_EQ(g_StageData.m_vPlacedChara.size(), 3u);
  EXPECT_TRUE(env.Boxes().empty());
  DestroyWindowHandle(window);
}

TEST_F(StageLoadTest, AQuitDuringTheLoadEndsItAndIsPostedAgain) {
  cStage s = PlayableStage(30);
  fixture::Place(s, SwordCarrier(), 3, 3);
  WriteStage(s, "a", 0);
  g_holdLoader = true;
  PostQuitMessage(7);
  EXPECT_EQ(LoadStageFile("data\\stg4\\a.stg4", 1, &g_StageInit), 0);
  EXPECT_TRUE(env.Boxes().empty());
  EXPECT_EQ(g_StageData.m_vPlacedChara.size(), 0u) << "the working stage is untouched";
  EXPECT_EQ(thLoadStage.m_hThread.load(), nullptr);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_NE(env.ErrorText().find("msg.message == WM_QUIT"), std::string::npos);
}

TEST_F(StageLoadTest, ALoadEndedByTheClosingProgramShowsNothing) {
  cStage s = PlayableStage(30);
  fixture::Place(s, SwordCarrier(), 3, 3);
  WriteStage(s, "a", 0);
  g_holdLoader = true;
  std::atomic<int> result{-1};
  {
    // The game thread loads; the window thread ends the loader as it closes the program.
    TestThread game([&] { result = LoadStageFile("data\\stg4\\a.stg4", 1, &g_StageInit); });
    // The loader may reach its wait before the game thread has stored its handle.
    ASSERT_TRUE(WaitUntil([] { return g_loaderHeld.load() && thLoadStage.m_hThread.load() != nullptr; }));
    thLoadStage.Exit();
    ASSERT_TRUE(game.Join());
  }
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(env.Boxes().empty());
  EXPECT_EQ(env.TakeCloseRequests(), 0);
  EXPECT_EQ(g_StageData.m_vPlacedChara.size(), 0u);
}

TEST_F(StageLoadTest, ACallerStoppedDuringTheLoadLeavesTheLoaderItsRecord) {
  cStage s = PlayableStage(30);
  fixture::Place(s, SwordCarrier(), 3, 3);
  WriteStage(s, "a", 0);
  g_holdLoader = true;
  HANDLE loader = nullptr;
  {
    TestThread game([&] { LoadStageFile("data\\stg4\\a.stg4", 1, &g_StageInit); });
    ASSERT_TRUE(WaitUntil([] { return g_loaderHeld.load() && thLoadStage.m_hThread.load() != nullptr; }));
    loader = thLoadStage.m_hThread.load();
    // The closing program stops the game thread while the loader still reads.
    TerminateThread(game.handle(), 0);
    ASSERT_TRUE(game.Join());
  }
  // The loader goes on with the record it reads, which must still be there.
  g_holdLoader = false;
  ASSERT_TRUE(WaitUntil([&] { return WaitForSingleObject(loader, 0) != WAIT_TIMEOUT; }));
  thLoadStage.Exit();
  EXPECT_EQ(g_StageData.m_vPlacedChara.size(), 0u);
}

}  // namespace
