// A stage file started for play: the progress it leaves behind (stage and area 1, the lives of
// free play or of the configured start value, the stage's name) and the names it refuses.
#include <gtest/gtest.h>

#include <string>

#include "app/start_game.h"
#include "app_fixture.h"
#include "platform/wintypes.h"
#include "project/global_data.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/system_data.h"
#include "support/temp_dir.h"

namespace {

class StartGameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(appfixture::WriteProject(env.dir() / "game"));
    oldStart = g_SystemData.m_vStartLives;
    oldUnlimited = g_SystemData.m_vUnlimitedLives;
    oldFreePlay = g_bFreePlay;
    g_SystemData.m_vStartLives.assign({3, 4, 5, 6});
    g_SystemData.m_vUnlimitedLives.assign({0, 0, 0, 0});
  }
  void TearDown() override {
    g_SystemData.m_vStartLives = oldStart;
    g_SystemData.m_vUnlimitedLives = oldUnlimited;
    g_bFreePlay = oldFreePlay;
    g_SaveData.ResetGameData();
  }

  CoreTestEnv env;
  cSafeVector<int32_t> oldStart, oldUnlimited;
  int oldFreePlay = 0;
};

TEST_F(StartGameTest, ProgressOfAStageStartedAlone) {
  ScopedChdir chdir(env.dir() / "game");
  struct Case {
    const char* name;
    int freePlay, unlimitedFree;
    int startLives, lives;
  };
  // Game mode 2's start lives are 5 in this fixture.
  const Case cases[] = {
      {"configured lives are one less than the start value", 0, 0, 5, 4},
      {"free play never runs out", 1, 0, 999999, 999999},
      {"unlimited lives of game mode 2", 0, 1, 999999, 999999},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_bFreePlay = c.freePlay;
    g_SystemData.m_vUnlimitedLives.assign({0, 0, c.unlimitedFree, 0});
    // What a game before left: all of it goes.
    g_SaveData.m_nStageIndex = 7;
    g_SaveData.m_nStageNumber = 9;
    g_SaveData.m_nTotalScore = 1234;
    g_SaveData.m_nSlot = 3;
    ASSERT_EQ(StartGameFromFile("data\\stg4\\free.stg4_002", 0), 1);
    EXPECT_EQ(g_StageData.m_strPath, "data\\stg4\\free.stg4_002");
    EXPECT_EQ(g_SaveData.m_nStageIndex, 1);
    EXPECT_EQ(g_SaveData.m_nStageNumber, 1);
    EXPECT_EQ(g_SaveData.m_nStartLives, c.startLives);
    EXPECT_EQ(g_SaveData.m_nLives, c.lives);
    EXPECT_EQ(g_SaveData.m_nTotalScore, 0);
    EXPECT_EQ(g_SaveData.m_nSlot, -1) << "free play writes into no save slot";
    EXPECT_EQ(g_SaveData.m_strStage, "data\\stg4\\free.");
  }
}

TEST_F(StartGameTest, FullPathIsStoredRelativeToTheProjectFolder) {
  ScopedChdir chdir(env.dir() / "game");
  const std::string full = std::string(env.dir() / "game") + "/data/stg4/free.stg4_010";
  ASSERT_EQ(StartGameFromFile(full.c_str(), 0), 1);
  EXPECT_EQ(g_SaveData.m_strStage, ".\\data\\stg4\\free.");
}

TEST_F(StartGameTest, NewestVersionWhenAsked) {
  ScopedChdir chdir(env.dir() / "game");
  ASSERT_EQ(StartGameFromFile("data\\stg4\\free.stg4", 1), 1);
  EXPECT_EQ(g_StageData.m_strPath, "data\\stg4\\free.stg4_010");
}

TEST_F(StartGameTest, RefusedNamesLeaveTheProgress) {
  ScopedChdir chdir(env.dir() / "game");
  g_SaveData.m_nTotalScore = 1234;
  // 259 bytes fit the buffer (the file does not exist: the load fails after the reset).
  const std::string fits(MAX_PATH - 1, 'a');
  EXPECT_EQ(StartGameFromFile(fits.c_str(), 0), 0);
  EXPECT_EQ(g_SaveData.m_nTotalScore, 0) << "the progress stays reset after a failed load";
  g_SaveData.m_nTotalScore = 1234;
  const std::string tooLong(MAX_PATH, 'a');
  EXPECT_EQ(StartGameFromFile(tooLong.c_str(), 0), 0);
  EXPECT_EQ(g_SaveData.m_nTotalScore, 1234) << "a name that cannot fit changes nothing";
}

}  // namespace
