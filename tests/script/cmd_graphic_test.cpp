// Taking an item by command (both palettes, the stage result, items that take themselves),
// changing the graphic, the basic animation set, and starting an animation with its owner tag.
#include <gtest/gtest.h>

#include "defs/flow_cmd.h"
#include "fixture/fixture.h"
#include "project/common_palette.h"
#include "project/database.h"
#include "script/cmd_dispatch.h"
#include "script/cmd_graphic.h"
#include "script/flow_run.h"
#include "script/item_cmd.h"
#include "script_kit.h"

using namespace scriptkit;
using playkit::ItemListRecorder;

namespace {

cFlowCmd Take(int palette, int index) {
  cFlowCmd cmd = Cmd(CMD_TAKE_ITEM, 0);
  cmd.m_vParam = {palette, index};
  return cmd;
}
cFlowCmd ListTake(int palette, int index) {
  cFlowCmd cmd = ListCmd(CMD_TAKE_ITEM - LISTCMD_KIND_OFFSET);
  cmd.m_vParam = {palette, index};
  return cmd;
}
cItemData ItemOf(std::initializer_list<cFlowCmd> cmds) {
  cItemData item = fixture::Item(1);
  item.m_vCmd.assign(cmds.begin(), cmds.end());
  return item;
}

class TakeItemTest : public ::testing::Test {
 protected:
  TakeItemTest() : w(1, {}), hero(w.world.AddHero(fixture::Hero(), 5, 5)), savedCommon_(g_CommonPalette.m_vItem) {
    hero.m_nHp = 10;
  }
  ~TakeItemTest() override { g_CommonPalette.m_vItem = savedCommon_; }
  int Run(cFlowCmd cmd) { return g_apfnCmdImpl[CMD_TAKE_ITEM](w.chara, cmd); }

  ScriptWorld w;
  cPlayer& hero;
  ItemListRecorder rec;

 private:
  cSafeVector<cItemData> savedCommon_;
};

TEST_F(TakeItemTest, BothPalettesRunTheirListOnTheHero) {
  g_CommonPalette.m_vItem = {ItemOf({ItemListRecorder::Tagged(10)}), ItemOf({ItemListRecorder::Tagged(11)})};
  g_StageData.m_vItem = {ItemOf({ItemListRecorder::Tagged(20)}), ItemOf({ItemListRecorder::Tagged(21)})};
  Run(Take(0, 1));
  Run(Take(1, 0));
  Run(Take(1, 1));
  EXPECT_EQ(rec.taken, (std::vector<int>{11, 20, 21}));
  // Another selector takes nothing.
  Run(Take(2, 0));
  Run(Take(-1, 0));
  EXPECT_EQ(rec.taken.size(), 3u);
  // An empty palette takes nothing (and does not fail).
  g_StageData.m_vItem.clear();
  EXPECT_EQ(Run(Take(1, 0)), 0);
  EXPECT_EQ(rec.taken.size(), 3u);
}

TEST_F(TakeItemTest, TheListResultBecomesTheStageResult) {
  g_StageData.m_vItem = {ItemOf({ItemListRecorder::StageClear()}), ItemOf({ItemListRecorder::Tagged(1)})};
  EXPECT_EQ(Run(Take(1, 0)), 1);
  EXPECT_EQ(w.world.scene.m_nStageResult, 1);
  // A plain item resets a pending clear.
  EXPECT_EQ(Run(Take(1, 1)), 0);
  EXPECT_EQ(w.world.scene.m_nStageResult, 0);
  // The hero's hit points run out: 2.
  rec.result = 2;
  EXPECT_EQ(Run(Take(1, 1)), 2);
  EXPECT_EQ(w.world.scene.m_nStageResult, 2);
}

TEST_F(TakeItemTest, AnItemThatTakesItselfStopsAtTheListDepth) {
  g_CommonPalette.m_vItem = {ItemOf({ListTake(0, 0), ItemListRecorder::Tagged(7)})};
  Run(Take(0, 0));
  // Lists at depths 0..15 run; the 17th is refused. Each logs its tag after its inner take.
  EXPECT_EQ(rec.taken.size(), static_cast<size_t>(MAX_ITEM_LIST_DEPTH));
  // The depth count is back at 0: a plain item runs again.
  g_CommonPalette.m_vItem.push_back(ItemOf({ItemListRecorder::Tagged(8)}));
  rec.taken.clear();
  Run(Take(0, 1));
  EXPECT_EQ(rec.taken, (std::vector<int>{8}));
}

class GraphicTest : public ::testing::Test {
 protected:
  GraphicTest() : w(1, {}), me(w.chara), savedSteps_(g_vAnimeSteps), savedSets_(g_Database.m_vAnimeSet) {}
  ~GraphicTest() override {
    g_vAnimeSteps = savedSteps_;
    g_Database.m_vAnimeSet = savedSets_;
  }
  void Run(int kind, std::vector<int32_t> params) {
    cFlowCmd cmd = Cmd(kind, 0);
    cmd.m_vParam.assign(params.begin(), params.end());
    g_apfnCmdImpl[kind](me, cmd);
  }

  ScriptWorld w;
  cStageChara& me;

 private:
  cAnimStepTable savedSteps_;
  cSafeVector<cAnimeSet> savedSets_;
};

TEST_F(GraphicTest, ChangeGraphicStoresKindNumberAndOffset) {
  Run(CMD_CHANGE_GRAPHIC, {4, 300, 7});
  EXPECT_EQ(me.m_Data.m_byGraphicKind, 4);
  EXPECT_EQ(me.m_Data.m_wGraphic, 300);
  EXPECT_EQ(me.m_nGraphic, 300);
  EXPECT_EQ(me.m_Data.m_wGraphicSub, 7);
}

TEST_F(GraphicTest, AnimationSetRebuildsTheBasicAnimations) {
  cAnimeSet set;
  set.m_vAnimation[0] = fixture::Anime("stand", {{5, 2, 0}, {6, 1, 0}});
  set.m_vAnimation[1] = fixture::Anime("walk", {{9, 1, 0}});
  g_Database.m_vAnimeSet = {cAnimeSet(), set};
  Run(CMD_CHANGE_ANIMESET, {1});
  EXPECT_EQ(me.m_Data.m_wAnimeSet, 1);
  // Animation 0 of the set: pattern 5 for 2 tenths (12 frames, the first shown at once), then 6
  // for 6 frames, then again.
  std::vector<int> seen{me.m_Anime.Pattern()};
  for (int i = 0; i < 18; ++i) seen.push_back(me.m_Anime.Step());
  EXPECT_EQ(seen, (std::vector<int>{5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 5}));
  // The number is taken as an unsigned 16-bit value.
  g_Database.m_vAnimeSet.resize(1);
  Run(CMD_CHANGE_ANIMESET, {65536 + 0});
  EXPECT_EQ(me.m_Data.m_wAnimeSet, 0);
}

TEST_F(GraphicTest, PlayAnimGoesInFrontWithItsOwnerTag) {
  g_vAnimeSteps.assign(3, cSafeVector<AnimStep>{{0, 0, 1}, {-2, 0, 1}});
  g_vAnimeSteps[2] = {{4, 6, 0}, {-4, 0, 0}};
  // From an item command list (no current run): -1.
  w.world.scene.m_pCurRun = nullptr;
  Run(CMD_PLAY_ANIME, {2});
  ASSERT_EQ(me.m_lAnime.size(), 1u);
  EXPECT_EQ(me.m_lAnime.front().nFlowId, -1);
  EXPECT_EQ(me.m_lAnime.front().seq.Pattern(), 4);
  // From a flow run: its id; the newest is first.
  cFlowRun run;
  run.m_nRunId = 7;
  w.world.scene.m_pCurRun = &run;
  Run(CMD_PLAY_ANIME, {1});
  w.world.scene.m_pCurRun = nullptr;
  ASSERT_EQ(me.m_lAnime.size(), 2u);
  EXPECT_EQ(me.m_lAnime.front().nFlowId, 7);
  EXPECT_EQ(me.m_lAnime.back().nFlowId, -1);
  // A removed flow's animations go; the item list's stays.
  me.RemoveFlowAnims(7);
  ASSERT_EQ(me.m_lAnime.size(), 1u);
  EXPECT_EQ(me.m_lAnime.front().nFlowId, -1);
  // Before the table is built nothing starts (and nothing fails).
  g_vAnimeSteps.clear();
  Run(CMD_PLAY_ANIME, {0});
  EXPECT_EQ(me.m_lAnime.size(), 1u);
}

}  // namespace
