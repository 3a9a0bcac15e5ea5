// The world map screen without a drawing device, on a 6 x 5 map built here: the current stage of
// a node, the walker's steps (edges, blocked terrain, walls), automatic and confirmed entry,
// cleared stages, the step-back after a stage left unfinished, autosave and the way to the save
// screen.
#include "app/world_map_scene.h"

#include <gtest/gtest.h>

#include "app_fixture.h"
#include "project/global_data.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/system_data.h"
#include "project/world_map.h"
#include "screen_fixture.h"
#include "ui/input.h"

namespace {

// Terrains of the default map: 0..4 blocked, 5..9 open.
constexpr int kOpen = 5;
constexpr int kBlocked = 0;
const char kStageFile[] = "data\\stg4\\w1.stg4";

class WorldMapTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    saved = g_WorldMap;
    g_WorldMap.SetDefault();
    ASSERT_EQ(g_WorldMap.SetSize(6, 5), 1);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) g_WorldMap.Cell(x, y) = kOpen;
    g_WorldMap.Cell(1, 0) = kBlocked;
    // (3, 2): a stage that starts by itself, behind it (4, 2) a wall, (3, 0) a stage that waits
    // for button 1.
    g_WorldMap.m_vNode.resize(3);
    SetNode(0, 3, 2, WORLDSTAGE_STAGE, 10);
    SetNode(1, 4, 2, WORLDSTAGE_WALL, 11);
    SetNode(2, 3, 0, WORLDSTAGE_STAGE, 12);
    g_WorldMap.m_vNode[2].m_vStage[0].m_bManualStart = 1;
    g_nPlayMode = PLAYMODE_NEW_GAME;
    g_nGameMode = GAMEMODE_STORY;
    g_SystemData.m_vStartLives[GAMEMODE_STORY] = 3;
    g_SystemData.m_bMapKeepsLives = 0;
  }
  void TearDown() override {
    g_SaveData.m_lpStageEntry = nullptr;
    g_WorldMap = saved;
    ScreenTest::TearDown();
  }

  static cWorldStage& SetNode(int i, int x, int y, int kind, int flag) {
    cWorldNode& node = g_WorldMap.m_vNode[i];
    node.m_nX = x;
    node.m_nY = y;
    cWorldStage& s = node.m_vStage[0];
    s.m_nKind = kind;
    s.m_nClearFlag = flag;
    s.m_strStageFile = kStageFile;
    return s;
  }

  // The screen set up with the walker at (x, y), in the walk phase.
  void Start(int x, int y) {
    g_SaveData.m_nMapX = x;
    g_SaveData.m_nMapY = y;
    scene.SetUp();
    TakeCloses();
    scene.m_nPhase = cWorldMapScene::PHASE_WALK;
  }

  bool Walk(int dir, int buttons = 0) {
    Input(dir, buttons);
    return scene.StepWalk();
  }

  int Col() const { return g_Cursor.Current().nCol; }
  int Row() const { return g_Cursor.Current().nRow; }

  void WriteStage() {
    appfixture::Options options;
    options.stageNumbers[0] = 1;
    options.stageNumbers[1] = 0;
    options.stageName = "w1";
    ASSERT_TRUE(appfixture::WriteProject(env.dir().path(), options));
  }

  cWorldMap saved;
  cWorldMapScene scene;
};

TEST_F(WorldMapTest, CurrentStageIsTheFirstEntryWhoseConditionsPass) {
  cWorldNode node;
  node.m_vStage.resize(2);
  node.m_vStage[1].m_strTitle = "second";
  EXPECT_EQ(CurrentStageOf(nullptr), nullptr);
  EXPECT_EQ(CurrentStageOf(&node), &node.m_vStage[0]);

  // Prerequisite flag.
  node.m_vStage[0].m_nNeedFlag = 7;
  EXPECT_EQ(CurrentStageOf(&node), &node.m_vStage[1]);
  g_SaveData.m_vStageFlags[7] = 1;
  EXPECT_EQ(CurrentStageOf(&node), &node.m_vStage[0]);
  node.m_vStage[0].m_nNeedFlag = 0;

  // Required clear total at its boundary.
  node.m_vStage[0].m_nNeedClears = 100;
  g_SaveData.m_nClearTotal = 99;
  EXPECT_EQ(CurrentStageOf(&node), &node.m_vStage[1]);
  g_SaveData.m_nClearTotal = 100;
  EXPECT_EQ(CurrentStageOf(&node), &node.m_vStage[0]);
  node.m_vStage[0].m_nNeedClears = 0;

  // The comparisons on common variable 4 with the value c.
  struct Case {
    int op;
    int v;
    int c;
    bool pass;
  } cases[] = {
      {0, 5, 5, true},  {0, 4, 5, false}, {1, 4, 5, true},  {1, 5, 5, false}, {2, 5, 5, true},
      {2, 4, 5, false}, {3, 5, 5, true},  {3, 6, 5, false}, {4, 6, 5, true},  {4, 5, 5, false},
      {5, 4, 5, true},  {5, 5, 5, false}, {6, 7, 0, true},  {6, -6, 3, true}, {6, 7, 3, false},
      {7, 7, 3, true},  {7, -6, 3, false}, {7, 7, 0, false}, {8, 5, 5, false}, {-1, 5, 5, false},
  };
  cWorldStage& s = node.m_vStage[0];
  s.m_nVar = 4;
  for (const Case& c : cases) {
    s.m_nVarOp = c.op;
    s.m_nVarValue = c.c;
    g_SaveData.m_vCommonVar[4] = c.v;
    EXPECT_EQ(CurrentStageOf(&node), c.pass ? &s : &node.m_vStage[1]) << c.op << " " << c.v << " " << c.c;
  }

  // No entry passes: no stage.
  node.m_vStage[1].m_nNeedFlag = 8;
  s.m_nVarOp = 8;
  EXPECT_EQ(CurrentStageOf(&node), nullptr);
}

TEST_F(WorldMapTest, WalkerTurnsAtTheEdgeAndStopsAtBlockedCellsAndWalls) {
  Start(0, 1);
  EXPECT_EQ(scene.m_nOriginX, -9);
  EXPECT_EQ(scene.m_nOriginY, -6);
  // The edge: it stays, facing left.
  EXPECT_TRUE(Walk(INPUT_LEFT));
  EXPECT_EQ(Col(), 0);
  EXPECT_EQ(scene.m_nFacing, MAPFACE_LEFT);
  EXPECT_EQ(g_SaveData.m_nMapState, MAPFACE_LEFT);
  // Left has priority over up.
  Walk(INPUT_RIGHT | INPUT_UP);
  EXPECT_EQ(Col(), 1);
  EXPECT_EQ(Row(), 1);
  // (1, 0) is blocked terrain: it stays, facing up.
  Walk(INPUT_UP);
  EXPECT_EQ(Row(), 1);
  EXPECT_EQ(scene.m_nFacing, MAPFACE_UP);
  EXPECT_EQ(g_Cursor.Current().x, 288);
  EXPECT_EQ(g_Cursor.Current().y, 224);
  Walk(INPUT_DOWN);
  Walk(INPUT_DOWN);
  Walk(INPUT_DOWN);
  Walk(INPUT_DOWN);
  EXPECT_EQ(Row(), 4);
  EXPECT_EQ(scene.m_nOriginY, -3);

  // The wall at (4, 2) holds the walker at (4, 3).
  Start(4, 3);
  Walk(INPUT_UP);
  EXPECT_EQ(Col(), 4);
  EXPECT_EQ(Row(), 3);
  EXPECT_EQ(scene.m_nFacing, MAPFACE_UP);
}

TEST_F(WorldMapTest, AStageThatStartsByItselfOpensTheMenuOnItsSecondEntry) {
  WriteStage();
  Start(2, 2);
  EXPECT_FALSE(Walk(INPUT_RIGHT));
  EXPECT_EQ(scene.m_nPhase, cWorldMapScene::PHASE_STAGE_MENU);
  EXPECT_EQ(g_SaveData.m_nMapX, 3);
  EXPECT_EQ(g_SaveData.m_nPrevMapX, 2);
  EXPECT_EQ(g_SaveData.m_strStage, "data\\stg4\\w1.");

  Input(0, 0);
  EXPECT_TRUE(scene.StepStageMenu());
  EXPECT_EQ(scene.m_bLoaded, 1);
  EXPECT_EQ(g_Cursor.Current().nRow, 1);
  // The second entry leaves the menu and steps the walker back off the stage.
  Input(0, 1);
  EXPECT_FALSE(scene.StepStageMenu());
  EXPECT_EQ(scene.m_nPhase, cWorldMapScene::PHASE_WALK);
  EXPECT_EQ(g_Cursor.Depth(), 1);
  EXPECT_EQ(Col(), 2);
  EXPECT_EQ(Row(), 2);

  // Again, the first entry starts the play.
  Walk(INPUT_RIGHT);
  Input(0, 0);
  scene.StepStageMenu();
  Input(INPUT_UP, 1);
  EXPECT_FALSE(scene.StepStageMenu());
  EXPECT_EQ(scene.m_nPhase, cWorldMapScene::PHASE_FADE_OUT);
  EXPECT_EQ(g_SceneManager.m_nNextScene, SCENE_PLAY);
  EXPECT_EQ(g_SaveData.m_lpStageEntry, &g_WorldMap.m_vNode[0].m_vStage[0]);
  EXPECT_EQ(g_SaveData.m_nStageIndex, 10);
  EXPECT_EQ(g_SaveData.m_nStageNumber, 1);
  EXPECT_EQ(g_SaveData.m_nStartLives, 3);
  EXPECT_EQ(g_SaveData.m_nMapState, MAPFACE_RIGHT);
}

TEST_F(WorldMapTest, ConfirmedAndClearedStagesNeedButton1) {
  Start(2, 0);
  EXPECT_TRUE(Walk(INPUT_RIGHT));
  EXPECT_EQ(Col(), 3);
  EXPECT_EQ(scene.m_nPhase, cWorldMapScene::PHASE_WALK);
  EXPECT_FALSE(Walk(0, 1));
  EXPECT_EQ(scene.m_nPhase, cWorldMapScene::PHASE_STAGE_MENU);

  // Cleared without the replay flag: button 1 does nothing (and the frame is not drawn).
  g_SaveData.m_vStageFlags[12] = 1;
  Start(3, 0);
  EXPECT_FALSE(Walk(0, 1));
  EXPECT_EQ(scene.m_nPhase, cWorldMapScene::PHASE_WALK);
  g_WorldMap.m_vNode[2].m_vStage[0].m_bReplay = 1;
  EXPECT_FALSE(Walk(0, 1));
  EXPECT_EQ(scene.m_nPhase, cWorldMapScene::PHASE_STAGE_MENU);

  // A cleared stage that would start by itself waits too.
  g_SaveData.m_vStageFlags[10] = 1;
  Start(2, 2);
  EXPECT_TRUE(Walk(INPUT_RIGHT));
  EXPECT_EQ(Col(), 3);
  EXPECT_EQ(scene.m_nPhase, cWorldMapScene::PHASE_WALK);
}

TEST_F(WorldMapTest, ArrivalStartsTheStageUnlessBackFromTheSaveScreen) {
  WriteStage();
  g_SystemData.m_bMapKeepsLives = 1;
  g_SaveData.m_nLives = 6;
  g_SceneManager.m_nPrevScene = SCENE_SAVE;
  Start(3, 2);
  scene.m_nPhase = cWorldMapScene::PHASE_FADE_IN;
  EXPECT_TRUE(scene.Arrive());
  EXPECT_EQ(scene.m_nPhase, cWorldMapScene::PHASE_WALK);

  g_SceneManager.m_nPrevScene = SCENE_TITLE;
  Start(3, 2);
  scene.m_nPhase = cWorldMapScene::PHASE_FADE_IN;
  EXPECT_TRUE(scene.Arrive());
  EXPECT_EQ(scene.m_nPhase, cWorldMapScene::PHASE_FADE_OUT);
  EXPECT_EQ(g_SceneManager.m_nNextScene, SCENE_PLAY);
  EXPECT_EQ(g_SaveData.m_nStartLives, 7);
  g_SystemData.m_vUnlimitedLives[GAMEMODE_STORY] = 1;
  scene.PrepareStagePlay();
  EXPECT_EQ(g_SaveData.m_nStartLives, 999999);
}

TEST_F(WorldMapTest, AMissingStageFileAtArrivalClosesTheProgram) {
  Start(3, 2);
  scene.m_nPhase = cWorldMapScene::PHASE_FADE_IN;
  EXPECT_FALSE(scene.Arrive());
  EXPECT_EQ(scene.m_nPhase, cWorldMapScene::PHASE_FADE_IN);
  EXPECT_EQ(TakeCloses(), 1);
  ASSERT_FALSE(env.Boxes().empty());
  EXPECT_NE(env.Boxes().back().text.find("w1.stg4"), std::string::npos);
}

TEST_F(WorldMapTest, AStageLeftUnfinishedStepsTheWalkerBack) {
  g_SaveData.m_bLeftStage = 1;
  g_SaveData.m_nPrevMapX = 3;
  g_SaveData.m_nPrevMapY = 3;
  g_SceneManager.m_nPrevScene = SCENE_PLAY;
  Start(3, 2);
  scene.m_nPhase = cWorldMapScene::PHASE_FADE_IN;
  EXPECT_TRUE(scene.Arrive());
  EXPECT_EQ(g_SaveData.m_bLeftStage, 0);
  EXPECT_EQ(scene.m_nPhase, cWorldMapScene::PHASE_WALK);
  EXPECT_EQ(Col(), 3);
  EXPECT_EQ(Row(), 3);
  EXPECT_EQ(scene.m_nOriginY, -4);

  // A cleared stage keeps the walker on it.
  g_SaveData.m_bLeftStage = 1;
  g_SaveData.m_vStageFlags[10] = 1;
  Start(3, 2);
  scene.Arrive();
  EXPECT_EQ(Row(), 2);
}

TEST_F(WorldMapTest, AutosaveAfterAPlayOnly) {
  g_SaveData.m_nSlot = 4;
  g_SaveData.m_bAutoSave = 1;
  g_SceneManager.m_nPrevScene = SCENE_SAVE;
  Start(0, 4);
  EXPECT_EQ(g_vSaveSlotInfo[4].m_bUsed, 0);
  g_SceneManager.m_nPrevScene = SCENE_PLAY;
  g_SaveData.m_bAutoSave = 0;
  Start(0, 4);
  EXPECT_EQ(g_vSaveSlotInfo[4].m_bUsed, 0);
  g_SaveData.m_bAutoSave = 1;
  Start(0, 4);
  EXPECT_EQ(g_vSaveSlotInfo[4].m_bUsed, 1);
}

TEST_F(WorldMapTest, RankingViewTogglesOnlyOnAStage) {
  g_SystemData.m_vRankingKinds[GAMEMODE_STORY].m_bRanking = 1;
  g_SaveData.m_vStageFlags[12] = 1;
  Start(2, 0);
  g_req.sounds.clear();
  Walk(0, 4);
  EXPECT_EQ(g_SaveData.m_bShowRanking, 0);
  Walk(INPUT_RIGHT);
  g_req.sounds.clear();
  Walk(0, 4);
  EXPECT_EQ(g_SaveData.m_bShowRanking, 1);
  EXPECT_EQ(g_req.sounds, (std::vector<int>{6}));
  // Rankings off: the view is cleared without a sound.
  g_SystemData.m_vRankingKinds[GAMEMODE_STORY].m_bRanking = 0;
  Walk(0, 4);
  EXPECT_EQ(g_SaveData.m_bShowRanking, 0);
  EXPECT_EQ(g_req.sounds, (std::vector<int>{6}));
}

// Whole frames: button 3 held over several frames toggles the view once per press.
TEST_F(WorldMapTest, HeldRankingButtonTogglesOncePerPress) {
  g_SystemData.m_vRankingKinds[GAMEMODE_STORY].m_bRanking = 1;
  g_SaveData.m_vStageFlags[12] = 1;
  Start(2, 0);
  Walk(INPUT_RIGHT);
  g_req.sounds.clear();
  auto frame = [&](int buttons) {
    Input(0, buttons);
    scene.Update();
  };
  frame(0);  // nothing held before
  for (int i = 0; i < 4; ++i) frame(4);
  EXPECT_EQ(g_SaveData.m_bShowRanking, 1);
  frame(0);
  for (int i = 0; i < 3; ++i) frame(4);
  EXPECT_EQ(g_SaveData.m_bShowRanking, 0);
  EXPECT_EQ(g_req.sounds, (std::vector<int>{6, 6}));
}

TEST_F(WorldMapTest, Button2GoesToTheSaveScreenKeepingTheCell) {
  Start(0, 4);
  Walk(INPUT_RIGHT);
  g_req.sounds.clear();
  EXPECT_FALSE(Walk(0, 2));
  EXPECT_EQ(g_req.sounds, (std::vector<int>{4}));
  EXPECT_EQ(scene.m_nPhase, cWorldMapScene::PHASE_FADE_OUT);
  EXPECT_EQ(g_SceneManager.m_nNextScene, SCENE_SAVE);
  EXPECT_EQ(g_SaveData.m_nMapX, 1);
  EXPECT_EQ(g_SaveData.m_nMapY, 4);
}

}  // namespace
