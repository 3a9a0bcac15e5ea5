// The title menu without a drawing device: the entries it shows, the cursor's start, the menu
// box's size, what each entry does (the window's requests answered by a test window), the
// continue entry's slot list, and the title music request.
#include "app/title_scene.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/menu_cursor.h"
#include "core/shell_link.h"
#include "core/sound_request.h"
#include "platform/message.h"
#include "project/global_data.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/system_data.h"
#include "screen_fixture.h"

namespace {

class TitleSceneTest : public ScreenTest {
 protected:
  // Only the given kinds of the title list enabled.
  static void Enable(const std::vector<int>& kinds) {
    for (cCmdItem& item : g_SystemData.m_vTitleMenu) item.m_bEnable = 0;
    for (int k : kinds) g_SystemData.m_vTitleMenu.CheckedAt(k).m_bEnable = 1;
  }

  // The scene with its entries, the cursor on the entry of kind.
  void Pick(cTitleMenuScene& scene, int kind) {
    scene.m_nPhase = cTitleMenuScene::PHASE_MENU;
    scene.SetUpEntries();
    for (int i = 0; i < scene.m_nEntries; ++i)
      if (scene.m_nKind[i] == kind) g_Cursor.Current().nRow = i;
    ASSERT_EQ(scene.m_nKind[g_Cursor.Current().nRow], kind);
    scene.ChooseEntry();
  }
};

TEST_F(TitleSceneTest, EntriesAreTheEnabledKindsAtMostSeven) {
  cTitleMenuScene scene;
  ASSERT_EQ(g_SystemData.m_vTitleMenu.size(), 7u);
  Enable({1, 3, 5});
  scene.SetUpEntries();
  ASSERT_EQ(scene.m_nEntries, 3);
  EXPECT_EQ(scene.m_nKind[0], 1);
  EXPECT_EQ(scene.m_nKind[1], 3);
  EXPECT_EQ(scene.m_nKind[2], 5);

  Enable({});
  scene.SetUpEntries();
  ASSERT_EQ(scene.m_nEntries, 1) << "every entry disabled: the new-game entry stays";
  EXPECT_EQ(scene.m_nKind[0], 0);

  // A longer list from the settings shows its first seven enabled entries.
  g_SystemData.m_vTitleMenu.resize(10);
  for (cCmdItem& item : g_SystemData.m_vTitleMenu) item.m_bEnable = 1;
  scene.SetUpEntries();
  ASSERT_EQ(scene.m_nEntries, 7);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(scene.m_nKind[i], i);
}

TEST_F(TitleSceneTest, CursorStartsOnTheEntryOfTheLastPlayMode) {
  cTitleMenuScene scene;
  Enable({0, 2, 3, 6});
  g_nPlayMode = PLAYMODE_FREE_STAGE;
  scene.SetUpEntries();
  EXPECT_EQ(g_Cursor.Current().nRow, 2);

  // The free entry hidden: the row keeps the number and wraps to the first entry at the first
  // cursor step, even without input.
  Enable({0, 6});
  g_Cursor.Reset();
  scene.SetUpEntries();
  EXPECT_EQ(g_Cursor.Current().nRow, 3);
  g_Cursor.Move(0, g_nTitleMenuX, g_nTitleMenuY, 0, 32, 1, scene.m_nEntries);
  EXPECT_EQ(g_Cursor.Current().nRow, 0);
  EXPECT_EQ(g_Cursor.Current().y, g_nTitleMenuY);
}

TEST_F(TitleSceneTest, TextMenuBoxFollowsTheLongestName) {
  cTitleMenuScene scene;
  Enable({0, 4});
  g_SystemData.m_vTitleMenu[0].m_strName = "ab";
  g_SystemData.m_vTitleMenu[4].m_strName = "\x82\xA0\x82\xA2\x82\xA4";  // three double-byte characters
  g_SystemData.m_bTitleMenuCentre = 0;
  scene.SetUpEntries();
  int w = 0;
  int h = 0;
  scene.MenuSize(&w, &h);
  EXPECT_EQ(w, 32 * 3 + 34);
  EXPECT_EQ(h, 32 * 2 + 2);
}

TEST_F(TitleSceneTest, NewGameGoesToTheWorldMapWithTheStoryLives) {
  g_SystemData.m_vStartLives[GAMEMODE_STORY] = 3;
  g_SystemData.m_vRankingKinds[GAMEMODE_STORY].m_bRanking = 1;
  g_nGameMode = 2;
  cTitleMenuScene scene;
  Pick(scene, PLAYMODE_NEW_GAME);
  EXPECT_EQ(g_nPlayMode, PLAYMODE_NEW_GAME);
  EXPECT_EQ(g_nGameMode, GAMEMODE_STORY);
  EXPECT_EQ(g_SceneManager.m_bRanking, 1);
  EXPECT_EQ(g_SaveData.m_nStartLives, 3);
  EXPECT_EQ(g_SaveData.m_nLives, 2);
  EXPECT_EQ(g_SceneManager.m_nNextScene, SCENE_WORLD_MAP);
  EXPECT_EQ(scene.m_nPhase, cTitleMenuScene::PHASE_FADE_OUT);
  EXPECT_EQ(g_req.sounds, std::vector<int>{1});
}

TEST_F(TitleSceneTest, ChallengeWithoutProgressStartsAFreshList) {
  g_SystemData.m_nChallengeStages = 12;
  g_SystemData.m_vRankingKinds[GAMEMODE_CHALLENGE].m_bRanking = 1;
  g_SaveData.m_vChallenge.resize(3);
  cTitleMenuScene scene;
  Pick(scene, PLAYMODE_CHALLENGE);
  EXPECT_EQ(g_nGameMode, GAMEMODE_CHALLENGE);
  EXPECT_EQ(g_SceneManager.m_bRanking, 1);
  EXPECT_EQ(g_SaveData.m_vChallenge.size(), 12u);
  EXPECT_EQ(g_SceneManager.m_nNextScene, SCENE_STAGE_SELECT);
  EXPECT_EQ(scene.m_nPhase, cTitleMenuScene::PHASE_FADE_OUT);
}

TEST_F(TitleSceneTest, FreePlayAndReplayGoToPlayOnlyWhenAFileWasLoaded) {
  struct Case {
    int kind;
    int mode;
    int answer;
  } cases[] = {{PLAYMODE_FREE_STAGE, GAMEMODE_FREE, 0}, {PLAYMODE_FREE_STAGE, GAMEMODE_FREE, 1},
               {PLAYMODE_REPLAY, GAMEMODE_REPLAY, 0}, {PLAYMODE_REPLAY, GAMEMODE_REPLAY, 1}};
  for (const Case& c : cases) {
    g_req = ScreenRequests();
    g_req.answer = c.answer;
    g_nPlayMode = 0;
    g_nGameMode = 0;
    g_SceneManager.m_nNextScene = 0;
    cTitleMenuScene scene;
    Pick(scene, c.kind);
    EXPECT_EQ(g_req.openStage, c.kind == PLAYMODE_FREE_STAGE ? 1 : 0);
    EXPECT_EQ(g_req.loadReplay, c.kind == PLAYMODE_REPLAY ? 1 : 0);
    // A cancelled dialog keeps the menu; the modes are changed all the same.
    EXPECT_EQ(g_nPlayMode, c.kind);
    EXPECT_EQ(g_nGameMode, c.mode);
    EXPECT_EQ(scene.m_nPhase, c.answer ? cTitleMenuScene::PHASE_FADE_OUT : cTitleMenuScene::PHASE_MENU) << c.kind;
    EXPECT_EQ(g_SceneManager.m_nNextScene, c.answer ? SCENE_PLAY : 0) << c.kind;
  }
}

TEST_F(TitleSceneTest, OptionsAndQuit) {
  g_nGameMode = GAMEMODE_CHALLENGE;
  g_SceneManager.m_bRanking = 1;
  cTitleMenuScene scene;
  Pick(scene, PLAYMODE_OPTIONS);
  EXPECT_EQ(g_SceneManager.m_nNextScene, SCENE_OPTIONS);
  EXPECT_EQ(g_nGameMode, GAMEMODE_CHALLENGE) << "options keep the game mode";
  EXPECT_EQ(g_SceneManager.m_bRanking, 1);
  EXPECT_EQ(TakeCloses(), 0);

  cTitleMenuScene quit;
  Pick(quit, 6);
  EXPECT_EQ(TakeCloses(), 1);
  EXPECT_EQ(quit.m_nPhase, cTitleMenuScene::PHASE_MENU);
}

TEST_F(TitleSceneTest, ContinueListLoadsAUsedSlotAndRefusesAnEmptyOne) {
  g_SaveData.m_nStageNumber = 7;
  ASSERT_EQ(g_SaveData.SaveSlot(3), 1);
  g_SaveData.ResetGameData();

  cTitleMenuScene scene;
  Enable({0, 1});
  Pick(scene, PLAYMODE_CONTINUE);
  EXPECT_EQ(scene.m_nPhase, cTitleMenuScene::PHASE_SLOT_LIST);
  EXPECT_EQ(g_Cursor.Depth(), 2);

  cInput& input = g_vInput.CheckedAt(0);
  EXPECT_EQ(scene.StepSlotList(), 1);
  EXPECT_EQ(scene.m_nSlotRows, 10);
  EXPECT_EQ(g_Cursor.Current().nRow, 0);
  g_req.sounds.clear();
  input.SetWords(0, 1);  // slot 1 is empty
  EXPECT_EQ(scene.StepSlotList(), 0);
  EXPECT_EQ(g_req.sounds, std::vector<int>{3});
  EXPECT_EQ(scene.m_nPhase, cTitleMenuScene::PHASE_SLOT_LIST);

  // Button 2 goes back to the menu on the continue entry.
  input.SetWords(0, 2);
  EXPECT_EQ(scene.StepSlotList(), 0);
  EXPECT_EQ(scene.m_nPhase, cTitleMenuScene::PHASE_MENU);
  EXPECT_EQ(g_Cursor.Depth(), 1);
  EXPECT_EQ(g_Cursor.Current().nRow, 1);

  // Again, down three rows to slot 4 (index 3), which is used.
  input.SetWords(0, 0);
  scene.ChooseEntry();
  scene.StepSlotList();
  for (int i = 0; i < 3; ++i) {
    input.SetWords(INPUT_DOWN, 0);
    scene.StepSlotList();
  }
  EXPECT_EQ(g_Cursor.Current().nRow, 3);
  g_req.sounds.clear();
  input.SetWords(0, 1);
  EXPECT_EQ(scene.StepSlotList(), 0);
  EXPECT_EQ(g_req.sounds, std::vector<int>{1});
  EXPECT_EQ(g_SaveData.m_nStageNumber, 7);
  EXPECT_EQ(g_SceneManager.m_nNextScene, SCENE_WORLD_MAP);
  EXPECT_EQ(scene.m_nPhase, cTitleMenuScene::PHASE_FADE_OUT);
}

TEST_F(TitleSceneTest, ScreenMusicRequestedWhenItChangesAndAlwaysForSilence) {
  g_SystemData.m_vScreenBgm[0] = 2;
  RequestScreenMusic(0);
  RequestScreenMusic(0);
  EXPECT_EQ(g_req.bgm, 1);
  EXPECT_EQ(g_SceneManager.g_nCurrentBgm, 2);
  EXPECT_EQ(g_req.bgmSlot, 0);
  g_SystemData.m_vScreenBgm[0] = 0;
  RequestScreenMusic(0);
  RequestScreenMusic(0);
  EXPECT_EQ(g_req.bgm, 3);
  // The options screen's slot: a different number is asked for with the slot's number.
  g_SystemData.m_vScreenBgm[3] = 4;
  RequestScreenMusic(3);
  EXPECT_EQ(g_req.bgm, 4);
  EXPECT_EQ(g_req.bgmSlot, 3);
  EXPECT_EQ(g_SceneManager.g_nCurrentBgm, 4);
}

}  // namespace
