// The save screen without a drawing device: its entries, the slot list's first rows, saving with
// the confirmation, the autosave menu, and the way back to the map or to the title.
#include "app/save_scene.h"

#include <gtest/gtest.h>

#include "app/menu_cursor.h"
#include "project/global_data.h"
#include "project/save_data.h"
#include "project/system_data.h"
#include "screen_fixture.h"
#include "ui/input.h"

namespace {

class SaveSceneTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    scene.SetUpEntries();
    scene.m_nPhase = cSaveScene::PHASE_MENU;
  }

  // Chooses the menu entry of a kind (the default list shows kinds 0..3 in order).
  void Choose(int kind) {
    g_Cursor.Current().nRow = kind;
    Input(0, 1);
    EXPECT_FALSE(scene.StepMenu());
    Input(0, 0);
    ASSERT_EQ(scene.m_nPhase, cSaveScene::PHASE_SAVE + kind);
  }

  bool Save(int dir, int buttons) {
    Input(dir, buttons);
    return scene.StepSave();
  }

  cSaveScene scene;
};

TEST_F(SaveSceneTest, EntriesAreTheEnabledKindsAtMostFour) {
  ASSERT_EQ(scene.m_nEntries, 4);
  g_SystemData.m_vSaveMenu.resize(6);
  for (cCmdItem& item : g_SystemData.m_vSaveMenu) item.m_bEnable = 1;
  scene.SetUpEntries();
  EXPECT_EQ(scene.m_nEntries, 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(scene.m_nKind[i], i);
  for (cCmdItem& item : g_SystemData.m_vSaveMenu) item.m_bEnable = 0;
  g_SystemData.m_vSaveMenu[3].m_bEnable = 1;
  scene.SetUpEntries();
  ASSERT_EQ(scene.m_nEntries, 1);
  EXPECT_EQ(scene.m_nKind[0], SAVE_KIND_TITLE);
  for (cCmdItem& item : g_SystemData.m_vSaveMenu) item.m_bEnable = 0;
  scene.SetUpEntries();
  ASSERT_EQ(scene.m_nEntries, 1);
  EXPECT_EQ(scene.m_nKind[0], SAVE_KIND_SAVE);
}

TEST_F(SaveSceneTest, Button2GoesBackToTheMapWithoutAConfirmation) {
  Input(0, 2);
  EXPECT_FALSE(scene.StepMenu());
  EXPECT_EQ(scene.m_nPhase, cSaveScene::PHASE_BACK);
  scene.OnBack();
  EXPECT_EQ(scene.m_nPhase, cSaveScene::PHASE_FADE_OUT);
  EXPECT_EQ(g_SceneManager.m_nNextScene, SCENE_WORLD_MAP);
}

TEST_F(SaveSceneTest, SlotListOpensOnTheCurrentSlot) {
  struct Case {
    int slot;
    int row;
    int first;
  } cases[] = {{-1, 0, 0}, {0, 0, 0}, {40, 40, 40}, {89, 89, 89}, {90, 90, 89}, {95, 95, 89}, {98, 98, 89}};
  for (const Case& c : cases) {
    g_Cursor.Reset();
    scene.m_nPhase = cSaveScene::PHASE_MENU;
    scene.m_nStep = 0;
    g_SaveData.m_nSlot = c.slot;
    Choose(SAVE_KIND_SAVE);
    EXPECT_TRUE(Save(0, 0));
    EXPECT_EQ(scene.m_nSlotRows, 10);
    EXPECT_EQ(g_Cursor.Current().nRow, c.row) << c.slot;
    EXPECT_EQ(scene.m_nFirstSlot, c.first) << c.slot;
    EXPECT_EQ(g_Cursor.Current().y, 160 + 16 * (c.row - c.first));
  }
}

TEST_F(SaveSceneTest, SavingAsksFirstAndKeepsTheListOpen) {
  g_SaveData.m_nSlot = 2;
  Choose(SAVE_KIND_SAVE);
  Save(0, 0);
  Save(INPUT_DOWN, 0);
  EXPECT_EQ(g_Cursor.Current().nRow, 3);
  // The confirmation opens on its second entry, which changes nothing.
  Save(0, 1);
  EXPECT_EQ(scene.m_nStep, 2);
  EXPECT_EQ(g_Cursor.Current().nRow, 1);
  EXPECT_TRUE(Save(0, 0));
  Save(0, 1);
  EXPECT_EQ(scene.m_nStep, 1);
  EXPECT_EQ(g_Cursor.Current().nRow, 3);
  EXPECT_EQ(g_vSaveSlotInfo[3].m_bUsed, 0);

  // The first entry saves into the slot under the confirmation; the list stays open.
  g_req.sounds.clear();
  Save(0, 1);
  Save(INPUT_UP, 0);
  Save(0, 1);
  EXPECT_EQ(g_req.sounds, (std::vector<int>{1, 5}));
  EXPECT_EQ(g_SaveData.m_nSlot, 3);
  EXPECT_EQ(g_vSaveSlotInfo[3].m_bUsed, 1);
  EXPECT_EQ(scene.m_nStep, 1);
  EXPECT_EQ(scene.m_nPhase, cSaveScene::PHASE_SAVE);

  // A second slot in a row.
  Save(INPUT_DOWN, 0);
  Save(0, 1);
  Save(INPUT_UP, 0);
  Save(0, 1);
  EXPECT_EQ(g_SaveData.m_nSlot, 4);
  EXPECT_EQ(g_vSaveSlotInfo[4].m_bUsed, 1);
  EXPECT_EQ(g_vSaveSlotInfo[3].m_bUsed, 1);

  // Button 2 closes the list, back on the save entry.
  Save(0, 2);
  EXPECT_EQ(scene.m_nPhase, cSaveScene::PHASE_MENU);
  EXPECT_EQ(g_Cursor.Depth(), 1);
  EXPECT_EQ(g_Cursor.Current().nRow, SAVE_KIND_SAVE);
}

TEST_F(SaveSceneTest, AutosaveMenu) {
  // No slot yet: the message, and nothing changes.
  g_SaveData.m_nSlot = -1;
  Choose(SAVE_KIND_AUTOSAVE);
  Input(0, 0);
  EXPECT_TRUE(scene.StepAutosave());
  EXPECT_EQ(scene.m_nStep, 2);
  Input(0, 1);
  EXPECT_FALSE(scene.StepAutosave());
  EXPECT_EQ(scene.m_nPhase, cSaveScene::PHASE_MENU);
  EXPECT_EQ(g_SaveData.m_bAutoSave, 0);
  EXPECT_EQ(g_Cursor.Depth(), 1);

  struct Case {
    int on;
    int dir;
    int row;
    int expOn;
    int saved;
  } cases[] = {
      {0, 0, 1, 0, 0},           // opens on OFF; OFF chosen
      {1, 0, 0, 1, 1},           // opens on ON; ON saves at once
      {0, INPUT_UP, 0, 1, 1},    // from OFF up to ON
      {1, INPUT_DOWN, 1, 0, 0},  // from ON down to OFF
  };
  for (const Case& c : cases) {
    g_vSaveSlotInfo.assign(SAVE_SLOT_COUNT, SaveSlotInfo());
    g_Cursor.Reset();
    scene.m_nPhase = cSaveScene::PHASE_MENU;
    g_SaveData.m_nSlot = 5;
    g_SaveData.m_bAutoSave = c.on;
    Choose(SAVE_KIND_AUTOSAVE);
    Input(c.dir, 0);
    EXPECT_TRUE(scene.StepAutosave());
    EXPECT_EQ(scene.m_nStep, 1);
    EXPECT_EQ(g_Cursor.Current().nRow, c.row) << c.on << " " << c.dir;
    Input(0, 1);
    EXPECT_FALSE(scene.StepAutosave());
    EXPECT_EQ(g_SaveData.m_bAutoSave, c.expOn);
    EXPECT_EQ(g_vSaveSlotInfo[5].m_bUsed, c.saved) << c.on << " " << c.dir;
    EXPECT_EQ(scene.m_nPhase, cSaveScene::PHASE_MENU);
    EXPECT_EQ(scene.m_nStep, 0);
  }
}

TEST_F(SaveSceneTest, TitleAfterAConfirmationThatOpensOnItsSecondEntry) {
  Choose(SAVE_KIND_TITLE);
  Input(0, 0);
  EXPECT_TRUE(scene.StepTitle());
  EXPECT_EQ(g_Cursor.Current().nRow, 1);
  Input(0, 1);
  EXPECT_FALSE(scene.StepTitle());
  EXPECT_EQ(scene.m_nPhase, cSaveScene::PHASE_MENU);
  EXPECT_EQ(g_Cursor.Current().nRow, SAVE_KIND_TITLE);

  Choose(SAVE_KIND_TITLE);
  Input(0, 0);
  scene.StepTitle();
  Input(INPUT_UP, 1);
  EXPECT_FALSE(scene.StepTitle());
  EXPECT_EQ(scene.m_nPhase, cSaveScene::PHASE_FADE_OUT);
  EXPECT_EQ(g_SceneManager.m_nNextScene, SCENE_TITLE);
}

}  // namespace
