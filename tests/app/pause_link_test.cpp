// The ranking registration the play engine asks of the program: the places reached go into the
// stage's ranking table, and the table is written to the very file the world map or the stage
// select loaded it from.
#include "app/pause_link.h"

#include <gtest/gtest.h>

#include "app/ranking.h"
#include "engine/pause_thread.h"
#include "engine/play_scene.h"
#include "platform/file.h"
#include "project/global_data.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "support/temp_dir.h"

namespace {

TEST(PauseLink, RankingGoesToTheFileOfTheStagesKeys) {
  CoreTestEnv env;
  env.dir().MakeDir("user_data/story");
  ScopedChdir chdir(env.dir().path());
  const cPauseLink saved = g_PauseLink;
  InstallPauseLink();
  const int oldMode = g_nGameMode;
  g_nGameMode = GAMEMODE_STORY;
  // A world-map stage with the condition: flag set, variable 3, value 5.
  g_SaveData.SetCurrentStage("data\\stg4\\s.stg4", 1, 3, 5);
  g_RankingTable.SetDefault();
  cPlayScene scene;
  scene.m_strRankName = "abc";
  scene.m_vRankPos.assign({0, -1, -1, -1, -1});
  scene.m_vRankValue.assign({4321, 1, 2, 3, 4});
  g_PauseLink.lpfnRegister(scene);

  // "s." with "_c", the variable in three digits, "_", the value: the story folder's s_c003_5.rkg.
  EXPECT_NE(GetFileAttributesA("user_data\\story\\s_c003_5.rkg"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA("user_data\\story\\s.rkg"), INVALID_FILE_ATTRIBUTES) << "not the file without the keys";
  cRankingTable back;
  ASSERT_EQ(back.LoadFile("user_data\\story\\s_c003_5.rkg"), 1);
  EXPECT_EQ(back.m_vList[0].m_vEntry[0].m_bUsed, 1u);
  EXPECT_EQ(back.m_vList[0].m_vEntry[0].m_strName, "abc");
  EXPECT_EQ(back.m_vList[0].m_vEntry[0].m_nScore, 4321);
  EXPECT_EQ(back.m_vList[1].m_vEntry[0].m_bUsed, 0u) << "kinds without a place are left alone";

  g_nGameMode = oldMode;
  g_SaveData.ResetGameData();
  g_RankingTable.SetDefault();
  g_PauseLink = saved;
}

}  // namespace
