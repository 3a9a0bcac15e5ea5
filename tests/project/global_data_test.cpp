// The global data objects as static construction leaves them, and the end of the game-side
// threads before the program returns. The objects are checked in a new process of the test
// program, so they are seen as a start of the program leaves them whatever ran before.
#include "project/global_data.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "defs/def_context.h"
#include "platform/message.h"
#include "project/common_palette.h"
#include "project/database.h"
#include "project/option_data.h"
#include "project/replay.h"
#include "project/save_data.h"
#include "project/stage.h"
#include "project/system_data.h"
#include "project/system_image.h"
#include "project/world_map.h"
#include "support/temp_dir.h"
#include "support/test_thread.h"

namespace {

// The checks of a fresh start, run in the new process; ASSERTs return from here.
void CheckFreshStart() {
  EXPECT_EQ(g_vInput.size(), 1u);
  EXPECT_EQ(g_vInput[0].m_nDirCode, DIRCODE_NEUTRAL);
  for (const cThread* th : {&thGame, &thPause, &thRanking, &thLoadStage}) EXPECT_EQ(th->m_hThread.load(), nullptr);
  EXPECT_EQ(g_BgmPlayer.m_bInit, 0) << "the music manager is idle until it is started";
  EXPECT_EQ(g_BgmPlayer.m_nSlot, -1);
  EXPECT_TRUE(g_vSeSlot.empty() && g_vSeDef.empty() && g_vScreenSurfaceIds.empty());
  EXPECT_TRUE(g_vAnimeSteps.empty() && g_vEffectSteps.empty());

  // The tables are filled, the records hold their defaults.
  EXPECT_STRNE(g_SystemBitmapTable[0].szFileName, "");
  EXPECT_EQ(g_SystemData.m_nChallengeStages, 40);
  EXPECT_EQ(g_Database.ListSize(DBLIST_ANIME), 2);
  EXPECT_EQ(g_CommonPalette.m_vChara.size(), 1u);
  EXPECT_EQ(g_WorldMap.m_nWidth, 20);
  EXPECT_EQ(g_WorldMap.m_vSpareNode.size(), 1u);
  EXPECT_EQ(g_OptionData.m_nSeVolume, 7);
  EXPECT_EQ(g_OptionData.m_strRankingName, "aaa");
  EXPECT_EQ(g_StageData.m_vBlock.size(), 1u);
  EXPECT_EQ(g_StageInit.m_nTimeLimit, 200);
  for (const cReplay* r : {&g_Replay, &g_PrevReplay}) {
    EXPECT_TRUE(r->m_vValueA.empty());
    EXPECT_EQ(r->m_nDataVersion, 790);
  }

  // The progress records are reset to a new game.
  for (const cSaveData* p : {&g_SaveData, &g_ReplaySaveData, &g_PrevReplaySaveData}) {
    EXPECT_EQ(p->m_vCarryStored, cSafeVector<int32_t>(25, 0));
    EXPECT_EQ(p->m_vCarryOver.size(), 1u);
    ASSERT_EQ(p->m_vStageFlags.size(), 1000u);
    EXPECT_EQ(p->m_vStageFlags[0], 1);
    EXPECT_EQ(p->m_vCommonVar.size(), 1001u);
    EXPECT_EQ(p->m_nChallengeOpen, 1);
    EXPECT_EQ(p->m_nSlot, -1);
    EXPECT_EQ(p->m_strPlayerName, "aaa");
    EXPECT_EQ(p->GetFieldCount(), 35);
  }

  ASSERT_EQ(g_vSaveSlotInfo.size(), 99u);
  for (const SaveSlotInfo& info : g_vSaveSlotInfo) {
    EXPECT_EQ(info.m_bUsed, 0);
    EXPECT_EQ(info.GetFieldCount(), 1);
  }

  // The definitions see the common palette and the working stage.
  EXPECT_EQ(g_DefContext.chara.common.Entry<cCharaData>(0), &g_CommonPalette.m_vChara[0]);
  EXPECT_EQ(g_DefContext.chara.stage.Entry<cCharaData>(0), &g_StageData.m_vChara[0]);
}

// Runs the checks and ends the process: 0 when they all hold, else 1 after printing the failed
// ones to the error output, which the parent shows.
[[noreturn]] void ExitWithFreshStartChecks() {
  ::testing::TestPartResultArray failures;
  {
    ::testing::ScopedFakeTestPartResultReporter reporter(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
    CheckFreshStart();
  }
  for (int i = 0; i < failures.size(); ++i) {
    const ::testing::TestPartResult& r = failures.GetTestPartResult(i);
    std::fprintf(stderr, "%s:%d: %s\n", r.file_name(), r.line_number(), r.message());
  }
  std::exit(failures.size() == 0 ? 0 : 1);
}

TEST(GlobalData, StaticConstructionLeavesAFreshStart) {
  // The "threadsafe" style starts the test program anew for the checks; a fork would inherit
  // what the tests before changed.
  const std::string style = GTEST_FLAG_GET(death_test_style);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(ExitWithFreshStartChecks(), ::testing::ExitedWithCode(0), "");
  GTEST_FLAG_SET(death_test_style, style);
}

// The game-side threads end in the order of the program's close when it asks them to, and
// nothing is left to the destructors at exit.
TEST(GlobalData, TheGameThreadsEndBeforeTheProgramReturns) {
  CoreTestEnv env;
  std::mutex mutex;
  std::vector<std::string> ended;
  struct Body {
    const char* name;
    std::mutex* mutex;
    std::vector<std::string>* ended;
    std::atomic<bool> started{false};
  };
  Body bodies[] = {{"game", &mutex, &ended}, {"pause", &mutex, &ended}, {"ranking", &mutex, &ended},
                   {"loader", &mutex, &ended}};
  auto run = [](void* p) -> unsigned {
    Body& b = *static_cast<Body*>(p);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    b.started = true;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    }
    std::lock_guard<std::mutex> lock(*b.mutex);
    b.ended->push_back(b.name);
    return 0;
  };
  cThread* threads[] = {&thGame, &thPause, &thRanking, &thLoadStage};
  for (int i = 0; i < 4; ++i) ASSERT_EQ(threads[i]->Start(run, &bodies[i]), 1);
  for (Body& b : bodies) ASSERT_TRUE(WaitUntil([&] { return b.started.load(); }));
  ExitGameThreads();
  for (cThread* th : threads) EXPECT_EQ(th->m_hThread.load(), nullptr);
  EXPECT_EQ(ended, (std::vector<std::string>{"loader", "pause", "ranking", "game"}));
  ExitGameThreads();
}

}  // namespace
