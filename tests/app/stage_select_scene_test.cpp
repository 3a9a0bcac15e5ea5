// The stage select screen without a drawing device: the list length and its scrolling, the stage
// names, starting a stage (its file, the progress, the lives and the remembered list position),
// a stage file that cannot be loaded, cancel, and the ranking buttons.
#include "app/stage_select_scene.h"

#include <gtest/gtest.h>

#include "app/menu_cursor.h"
#include "app_fixture.h"
#include "project/global_data.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/system_data.h"
#include "screen_fixture.h"
#include "ui/input.h"

namespace {

class StageSelectTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    ClearListPosition();
    g_nPlayMode = PLAYMODE_CHALLENGE;
    g_nGameMode = GAMEMODE_CHALLENGE;
    g_SystemData.m_nChallengeStages = 40;
    g_SystemData.m_bChallengeAllOpen = 0;
    g_SaveData.m_vChallenge.assign(40, cIntPair());
    g_SaveData.m_nChallengeOpen = 1;
    scene.m_nPhase = cStageSelectScene::PHASE_SELECT;
  }
  void TearDown() override {
    ClearListPosition();
    ScreenTest::TearDown();
  }
  static void ClearListPosition() {
    g_SceneManager.m_nStageSelRow = 0;
    g_SceneManager.m_nStageSelScroll = 0;
  }

  bool Step(int dir, int buttons) {
    Input(dir, buttons);
    return scene.StepSelect();
  }

  // Writes "data\stg4\c<nn>-1.stg4_001" for a stage name as ChallengeStageName would build it.
  void WriteStages(const char* stem) {
    appfixture::Options options;
    options.stageNumbers[0] = 1;
    options.stageNumbers[1] = 0;
    options.stageName = stem;
    ASSERT_TRUE(appfixture::WriteProject(env.dir().path(), options));
  }

  cStageSelectScene scene;
};

TEST_F(StageSelectTest, StageNamesPadToTwoDigits) {
  EXPECT_EQ(ChallengeStageName(1), "data\\stg4\\c01-1.stg4");
  EXPECT_EQ(ChallengeStageName(7), "data\\stg4\\c07-1.stg4");
  EXPECT_EQ(ChallengeStageName(10), "data\\stg4\\c10-1.stg4");
  EXPECT_EQ(ChallengeStageName(99), "data\\stg4\\c99-1.stg4");
  EXPECT_EQ(ChallengeStageName(100), "data\\stg4\\c100-1.stg4");
}

TEST_F(StageSelectTest, ListLengthIsTheOpenStagesOrAllOfThem) {
  struct Case {
    int allOpen;
    int open;
    int first;
    int length;
    int rows;
  } cases[] = {
      {0, 1, 0, 1, 1},   {0, 9, 0, 9, 9},   {0, 10, 0, 10, 10}, {0, 11, 0, 11, 10},
      {0, 11, 1, 11, 10}, {0, 11, 2, 11, 9}, {1, 1, 0, 40, 10},  {1, 1, 30, 40, 10},
      {1, 1, 31, 40, 9},
  };
  for (const Case& c : cases) {
    g_SystemData.m_bChallengeAllOpen = c.allOpen;
    g_SaveData.m_nChallengeOpen = c.open;
    scene.m_nFirstRow = c.first;
    scene.UpdateListSize();
    EXPECT_EQ(scene.m_nListLength, c.length) << c.allOpen << " " << c.open << " " << c.first;
    EXPECT_EQ(scene.m_nShownRows, c.rows) << c.allOpen << " " << c.open << " " << c.first;
  }
}

TEST_F(StageSelectTest, TenStagesDoNotScrollElevenScrollByOne) {
  g_SaveData.m_nChallengeOpen = 10;
  for (int i = 0; i < 12; ++i) EXPECT_TRUE(Step(INPUT_DOWN, 0));
  EXPECT_EQ(g_Cursor.Current().nRow, 9);
  EXPECT_EQ(scene.m_nFirstRow, 0);
  EXPECT_EQ(g_Cursor.Current().y, 160 + 32 * 9);
  EXPECT_EQ(g_Cursor.Current().x, 32);

  g_Cursor.Reset();
  g_SaveData.m_nChallengeOpen = 11;
  for (int i = 0; i < 9; ++i) Step(INPUT_DOWN, 0);
  EXPECT_EQ(g_Cursor.Current().nRow, 9);
  EXPECT_EQ(scene.m_nFirstRow, 0);
  Step(INPUT_DOWN, 0);
  EXPECT_EQ(g_Cursor.Current().nRow, 10);
  EXPECT_EQ(scene.m_nFirstRow, 1);
  EXPECT_EQ(g_Cursor.Current().y, 160 + 32 * 9);
  // Moving re-selects the stage under the cursor.
  EXPECT_EQ(g_SaveData.m_strStage, "data\\stg4\\c11.");
}

TEST_F(StageSelectTest, ChoosingAStageStartsPlayWithItsFileAndTheModesLives) {
  WriteStages("c02-1");
  g_SaveData.m_nChallengeOpen = 3;
  g_SystemData.m_vStartLives[GAMEMODE_CHALLENGE] = 5;
  g_SystemData.m_vUnlimitedLives[GAMEMODE_CHALLENGE] = 0;
  Step(INPUT_DOWN, 0);
  g_req.sounds.clear();
  EXPECT_FALSE(Step(0, 1));
  EXPECT_EQ(g_req.sounds, (std::vector<int>{1}));
  EXPECT_EQ(scene.m_nPhase, cStageSelectScene::PHASE_FADE_OUT);
  EXPECT_EQ(g_SceneManager.m_nNextScene, SCENE_PLAY);
  EXPECT_EQ(g_SceneManager.m_nPrevScene, SCENE_STAGE_SELECT);
  EXPECT_EQ(g_StageData.m_strPath, "data\\stg4\\c02-1.stg4_001");
  EXPECT_EQ(g_SaveData.m_strStage, "data\\stg4\\c02.");
  EXPECT_EQ(g_SaveData.m_nStageIndex, 2);
  EXPECT_EQ(g_SaveData.m_nStageNumber, 1);
  EXPECT_EQ(g_SaveData.m_bSeries, 1);
  EXPECT_EQ(g_SaveData.m_nStartLives, 5);
  EXPECT_EQ(g_SaveData.m_nLives, 4);
  EXPECT_EQ(g_SceneManager.m_nStageSelRow, 1);
  EXPECT_EQ(g_SceneManager.m_nStageSelScroll, 0);

  // Unlimited lives in the challenge: 999999 for both.
  cStageSelectScene again;
  again.m_nPhase = cStageSelectScene::PHASE_SELECT;
  g_SystemData.m_vUnlimitedLives[GAMEMODE_CHALLENGE] = 1;
  Input(0, 1);
  EXPECT_FALSE(again.StepSelect());
  EXPECT_EQ(g_SaveData.m_nStartLives, 999999);
  EXPECT_EQ(g_SaveData.m_nLives, 999999);
}

TEST_F(StageSelectTest, AStageFileThatCannotBeLoadedKeepsTheScreen) {
  g_SaveData.m_nChallengeOpen = 2;
  g_req.sounds.clear();
  EXPECT_TRUE(Step(0, 1));
  EXPECT_EQ(g_req.sounds, (std::vector<int>{3}));
  EXPECT_EQ(scene.m_nPhase, cStageSelectScene::PHASE_SELECT);
  ASSERT_FALSE(env.Boxes().empty());
  EXPECT_NE(env.Boxes().back().text.find("c01-1.stg4"), std::string::npos);
  EXPECT_EQ(g_SceneManager.m_nStageSelRow, 0);
}

TEST_F(StageSelectTest, CancelReturnsToTheTitle) {
  g_req.sounds.clear();
  EXPECT_FALSE(Step(0, 2));
  EXPECT_EQ(g_req.sounds, (std::vector<int>{2}));
  EXPECT_EQ(scene.m_nPhase, cStageSelectScene::PHASE_FADE_OUT);
  EXPECT_EQ(g_SceneManager.m_nNextScene, SCENE_TITLE);
  EXPECT_EQ(g_SceneManager.m_nPrevScene, SCENE_STAGE_SELECT);
}

TEST_F(StageSelectTest, InitReopensTheListAtTheLastStartedStage) {
  g_SaveData.m_nChallengeOpen = 20;
  g_SceneManager.m_nStageSelRow = 12;
  g_SceneManager.m_nStageSelScroll = 5;
  scene.Init();
  TakeCloses();
  EXPECT_EQ(g_Cursor.Depth(), 1);
  EXPECT_EQ(g_Cursor.Current().nRow, 12);
  EXPECT_EQ(scene.m_nFirstRow, 5);
  EXPECT_EQ(g_SaveData.m_strStage, "data\\stg4\\c13.");
  EXPECT_EQ(g_req.bgmSlot, 2);
  Step(0, 0);
  EXPECT_EQ(g_Cursor.Current().y, 160 + 32 * 7);
}

TEST_F(StageSelectTest, RankingButtons) {
  // Rankings off in the challenge: button 3 clears the view without a sound, button 4 does
  // nothing.
  g_SystemData.m_vRankingKinds[GAMEMODE_CHALLENGE].m_bRanking = 0;
  g_SaveData.m_bShowRanking = 1;
  g_req.sounds.clear();
  Step(0, 4);
  EXPECT_EQ(g_SaveData.m_bShowRanking, 0);
  Step(0, 8);
  EXPECT_TRUE(g_req.sounds.empty());

  // On: button 3 toggles with sound 6.
  g_SystemData.m_vRankingKinds[GAMEMODE_CHALLENGE].m_bRanking = 1;
  Step(0, 4);
  EXPECT_EQ(g_SaveData.m_bShowRanking, 1);
  Step(0, 4);
  EXPECT_EQ(g_SaveData.m_bShowRanking, 0);
  EXPECT_EQ(g_req.sounds, (std::vector<int>{6, 6}));

  // Button 4 steps the kind shown only when two or more kinds are recorded.
  cSafeVector<uint8_t>& kinds = g_SystemData.m_vRankingKinds[GAMEMODE_CHALLENGE].m_vKinds;
  kinds.assign(RANKING_KIND_COUNT, 0);
  kinds[0] = 1;
  g_SaveData.m_nRankingKind = 0;
  g_req.sounds.clear();
  Step(0, 8);
  EXPECT_EQ(g_SaveData.m_nRankingKind, 0);
  EXPECT_TRUE(g_req.sounds.empty());
  kinds[2] = 1;
  Step(0, 8);
  EXPECT_EQ(g_SaveData.m_nRankingKind, 2);
  Step(0, 8);
  EXPECT_EQ(g_SaveData.m_nRankingKind, 0);
  EXPECT_EQ(g_req.sounds, (std::vector<int>{6, 6}));
}

// Whole frames as the game runs them: a button held over several frames acts once per press, so
// the ranking view shows after one press of button 3 and goes after the next.
TEST_F(StageSelectTest, HeldRankingButtonsActOncePerPress) {
  g_SystemData.m_vRankingKinds[GAMEMODE_CHALLENGE].m_bRanking = 1;
  g_SaveData.m_bShowRanking = 0;
  g_req.sounds.clear();
  auto frame = [&](int buttons) {
    Input(0, buttons);
    scene.Update();
  };
  frame(0);  // nothing held before
  for (int i = 0; i < 4; ++i) frame(4);
  EXPECT_EQ(g_SaveData.m_bShowRanking, 1);
  frame(0);
  EXPECT_EQ(g_SaveData.m_bShowRanking, 1);
  for (int i = 0; i < 3; ++i) frame(4);
  EXPECT_EQ(g_SaveData.m_bShowRanking, 0);
  frame(0);
  EXPECT_EQ(g_req.sounds, (std::vector<int>{6, 6}));

  // Button 4 held steps the kind shown once: kinds 0, 2 and 4 recorded.
  cSafeVector<uint8_t>& kinds = g_SystemData.m_vRankingKinds[GAMEMODE_CHALLENGE].m_vKinds;
  kinds.assign(RANKING_KIND_COUNT, 0);
  kinds[0] = kinds[2] = kinds[4] = 1;
  g_SaveData.m_nRankingKind = 0;
  for (int i = 0; i < 2; ++i) frame(8);
  EXPECT_EQ(g_SaveData.m_nRankingKind, 2);
  frame(0);
  frame(8);
  EXPECT_EQ(g_SaveData.m_nRankingKind, 4);
}

}  // namespace
