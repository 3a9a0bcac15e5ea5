// A whole project folder written by the fixture builder, loaded into the global data objects in
// the order of the program's start-up; then a new game enters the stage of the world map's
// node under the cursor, and its progress goes to a save slot and back.
#include <gtest/gtest.h>

#include "defs/def_context.h"
#include "fixture/fixture.h"
#include "project/data_folder.h"
#include "project/database.h"
#include "project/global_data.h"
#include "project/option_data.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage_load.h"
#include "support/temp_dir.h"

namespace {

TEST(ProjectFolder, LoadsInStartUpOrderAndPlaysAStageFromTheWorldMap) {
  CoreTestEnv env(true);
  fixture::Project project(env.dir() / "game");

  project.database.m_vBgm.push_back(fixture::FileRecord<cBgmData>("boss", "bgm\\boss.mid"));
  project.database.m_vAnime.push_back(fixture::Anime("walk", {{1, 2, 0}, {2, 2, 1}}));
  project.systemData.m_strTitle = "Fixture";
  project.systemData.m_vStartLives = {5, 3, 3, 3};
  cCharaData shared = fixture::Chara(9);
  shared.m_byZ = 7;
  project.commonPalette.m_vChara.push_back(shared);

  cWorldMap& map = project.worldMap;
  map.m_nCursorX = 4;
  map.m_nCursorY = 5;
  map.m_vNode.resize(1);
  map.m_vNode[0].m_nX = 4;
  map.m_vNode[0].m_nY = 5;
  map.m_vNode[0].m_vStage[0].m_strStageFile = "data\\stg4\\first-1.stg4";
  map.m_vNode[0].m_vStage[0].m_nAfterClear = AFTERCLEAR_NEXT_ROUND;

  // The hero takes its drawing layer from the common palette's character 1.
  cStage stage = fixture::Stage(30, 15);
  cCharaData hero = fixture::Hero(2);
  hero.m_byInheritKind = 1;
  hero.m_wInheritIndex = 1;
  hero.m_vInheritFlags[11] = 1;
  fixture::Place(stage, fixture::Block(1), 0, 14);
  fixture::Place(stage, hero, 2, 13);
  stage.m_nBgm = 2;

  ASSERT_TRUE(project.WriteDatabase());
  ASSERT_TRUE(project.WriteSystemData());
  ASSERT_TRUE(project.WriteWorldMap());
  ASSERT_TRUE(project.WriteCommonPalette());
  ASSERT_TRUE(project.WriteStage(stage, "first-1", 3));

  ScopedChdir chdir(project.Root());
  g_DefContext = cDefContext();
  g_CommonPalette.SetDefContext();
  g_StageData.SetDefContext();

  // Start-up.
  CreateWorkFolders();
  ASSERT_EQ(g_Database.LoadAll(), 1);
  g_Database.CopyEffectLists();
  BuildAnimeStepTable(g_Database, g_vAnimeSteps);
  BuildEffectStepTable(g_Database, g_vEffectSteps);
  ASSERT_EQ(g_SystemData.LoadFile(g_PathTable[PATH_SYSTEM]), 1);
  g_DefContext.bTestPlay = g_bTestPlay;
  g_DefContext.bKeepFlaggedFlows = g_SystemData.m_bKeepFlaggedFlows;
  EXPECT_EQ(g_OptionData.LoadFile(g_PathTable[PATH_OPTION]), 0) << "a first start has no options";
  ASSERT_EQ(g_WorldMap.LoadFile(g_PathTable[PATH_WORLD_MAP]), 1);
  ASSERT_EQ(g_CommonPalette.LoadFile(g_PathTable[PATH_COMMON_PALETTE]), 1);

  EXPECT_EQ(g_SystemData.m_strTitle, "Fixture");
  EXPECT_EQ(g_vAnimeSteps.size(), 3u);
  EXPECT_EQ(g_OptionData.m_nSeVolume, 7);
  ASSERT_EQ(g_CommonPalette.m_vChara.size(), 2u);
  EXPECT_EQ(g_CommonPalette.m_vChara[1].m_byZ, 7);

  // A new game enters the stage of the node under the cursor.
  g_nGameMode = GAMEMODE_STORY;
  g_SaveData.BeginNewGame();
  EXPECT_EQ(g_SaveData.m_nLives, 4);
  cWorldNode* node = g_WorldMap.FindNode(POINT{g_SaveData.m_nMapX, g_SaveData.m_nMapY});
  ASSERT_NE(node, nullptr);
  const cWorldStage& entry = node->m_vStage[0];
  ASSERT_EQ(LoadStageFile(entry.m_strStageFile.c_str(), 1, &g_StageInit), 1) << env.ReportText();
  g_SaveData.SetCurrentStage(g_StageData.m_strPath.c_str(), entry.m_bStageCond, entry.m_nCondVar, entry.m_nCondValue);
  g_SaveData.m_lpStageEntry = &entry;

  EXPECT_EQ(g_StageData.m_strPath, "data\\stg4\\first-1.stg4_003");
  const int player = g_StageData.FindPlayer();
  ASSERT_GE(player, 0);
  EXPECT_EQ(g_StageData.m_vPlacedChara[player].m_byZ, 7) << "inherited from the common palette";
  EXPECT_EQ(g_StageData.m_nBgm, 2) << "the third music of the database";
  EXPECT_EQ(g_StageInit.m_nWidth, 30);
  EXPECT_TRUE(g_StageInit.m_vPlacedChara.empty());
  EXPECT_EQ(g_SaveData.m_strStage, "data\\stg4\\first.");
  EXPECT_EQ(g_SaveData.m_bSeries, 1);
  EXPECT_EQ(g_WorldMap.HasStageNode(g_SaveData.m_strStage, 0, 0, 0), 1);
  EXPECT_EQ(g_SaveData.m_lpStageEntry->m_nAfterClear, AFTERCLEAR_NEXT_ROUND);

  // The progress of the stage goes to a slot and comes back.
  g_SaveData.AddClear(g_SaveData.m_strStage, g_SaveData.m_strStageKey, 0, 0, 0, 250);
  ASSERT_EQ(g_SaveData.SaveSlot(0), 1);
  cSaveData continued;
  ASSERT_EQ(continued.LoadSlot(0), 1);
  EXPECT_EQ(continued.m_nClearTotal, 250);
  EXPECT_EQ(continued.m_nMapX, 4);
  EXPECT_EQ(continued.m_lpStageEntry, nullptr) << "the reference is not stored";
  LoadSaveSlotList(g_vSaveSlotInfo);
  EXPECT_EQ(g_vSaveSlotInfo[0].m_bUsed, 1);
  EXPECT_EQ(g_vSaveSlotInfo[1].m_bUsed, 0);

  EXPECT_TRUE(env.Boxes().empty());
  EXPECT_EQ(env.TakeCloseRequests(), 0);
  ExitGameThreads();
}

}  // namespace
