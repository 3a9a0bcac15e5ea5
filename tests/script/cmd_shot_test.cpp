// The shot, sword and summon commands run from flows: volleys per tick, the sword made once
// per start with its sound rule and its single owner link, and the summons of blocks,
// characters and items from the palettes.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/map_grid.h"
#include "engine/shot.h"
#include "engine/summon.h"
#include "fixture/fixture.h"
#include "play_kit.h"
#include "project/database.h"
#include "script/cmd_shot.h"
#include "script/cmd_state.h"
#include "script_kit.h"

namespace {

using scriptkit::Cmd;
using scriptkit::Flow;
using scriptkit::RunToEnd;
using scriptkit::ScriptWorld;


std::vector<cShot*> Shots() {
  std::vector<cShot*> v;
  g_lpPlayScene->m_lShot.ForEach([&](cShot& s) { v.push_back(&s); });
  return v;
}

class ShotCommands : public ::testing::TestWithParam<int> {
 protected:
  void TearDown() override { g_Database.m_vSwordType = savedSwords_; }
  int k() const { return GetParam(); }
  // A command of a kind lasting a tenth of a second with its shot data.
  static cFlowCmd WithShot(int kind, const cEdShot& shot, int sound = 0) {
    cFlowCmd c = Cmd(kind, 1);
    c.m_pShot.reset(new cEdShot(shot));
    c.m_sSound = static_cast<int16_t>(sound);
    return c;
  }
  // Two shots a volley from the user's centre.
  static cEdShot TwoShots() {
    cEdShot s;
    s.m_byFormation = 4;
    s.m_byCount = 2;
    s.m_sSpeed = 10;
    return s;
  }
  // Sword type 1 with one frame of 24 × 8.
  static cEdShot SwordType() {
    cSwordType t;
    t.m_vSwing.assign(1, cSwordTypeSub());
    t.m_vSwing[0].m_nWidth = 24;
    t.m_vSwing[0].m_nHeight = 8;
    t.m_vSwing[0].m_nTime = 1;
    g_Database.m_vSwordType.assign(2, cSwordType());
    g_Database.m_vSwordType[1] = t;
    cEdShot s;
    s.m_byTrajectory = 1;
    return s;
  }

  cSafeVector<cSwordType> savedSwords_ = g_Database.m_vSwordType;
};

TEST_P(ShotCommands, OneTickFiresOneVolleyAndATenthLaterTheNext) {
  ScriptWorld w(k(), {Flow(0, {WithShot(CMD_SHOT, TwoShots())}), Flow(0, {WithShot(CMD_SHOT, TwoShots())})});
  w.chara.m_vFlowRun[0].m_vCmdState[0].m_nDuration = 1;
  EXPECT_EQ(RunToEnd(w, 0), 1);
  EXPECT_EQ(Shots().size(), 2u);
  w.world.scene.m_lShot.Clear();
  // 6k ticks: one volley; 6k + 1: two.
  EXPECT_EQ(RunToEnd(w, 1), 6 * k());
  EXPECT_EQ(Shots().size(), 2u);
  w.world.scene.m_lShot.Clear();
  w.chara.m_vFlowRun[1].m_vCmdState[0].m_nDuration = 6 * k() + 1;
  RunToEnd(w, 1);
  std::vector<cShot*> v = Shots();
  ASSERT_EQ(v.size(), 4u);
  for (cShot* s : v) EXPECT_EQ(s->m_lpOwner, &w.chara);
  EXPECT_EQ(w.chara.m_vShotLink.size(), 4u);
}

TEST_P(ShotCommands, SwordMadeOnceLinkedOnceAndAgainOnARerun) {
  playkit::WindowRequestRecorder sounds;
  ScriptWorld w(k(), {Flow(0, {WithShot(CMD_SWORD, SwordType(), 3)})});
  RunToEnd(w, 0);
  std::vector<cShot*> v = Shots();
  ASSERT_EQ(v.size(), 1u);
  EXPECT_EQ(v[0]->m_bShot, 0);
  EXPECT_EQ(v[0]->m_nWidth, 24);
  EXPECT_EQ(v[0]->m_lpTarget, nullptr);
  ASSERT_EQ(w.chara.m_vShotLink.size(), 1u);
  EXPECT_EQ(w.chara.m_vShotLink.begin()->lpShot, v[0]);
  EXPECT_EQ(w.chara.m_vShotLink.begin()->nKind, SUMMONER_SLOT);
  EXPECT_EQ(sounds.Sounds(), std::vector<int>{3 + 16});
  RunToEnd(w, 0);
  v = Shots();
  ASSERT_EQ(v.size(), 2u);
  EXPECT_NE(v[0]->m_nId, v[1]->m_nId);
  EXPECT_EQ(w.chara.m_vShotLink.size(), 2u);
}

TEST_P(ShotCommands, SwordOffScreenWithTheOnScreenSoundIsSilent) {
  playkit::WindowRequestRecorder sounds;
  ScriptWorld w(k(), {Flow(0, {WithShot(CMD_SWORD, SwordType(), 3)})});
  w.chara.m_dX = w.world.scene.m_ScrollX.m_dPos + 700;
  w.chara.UpdateFarX();
  RunToEnd(w, 0);
  EXPECT_EQ(Shots().size(), 1u);
  EXPECT_TRUE(sounds.Sounds().empty());
}

TEST_P(ShotCommands, SwordWithoutFramesOrTypeMakesNothing) {
  cEdShot s = SwordType();
  g_Database.m_vSwordType[1].m_vSwing.clear();
  cEdShot beyond = s;
  beyond.m_byTrajectory = 9;
  ScriptWorld w(k(), {Flow(0, {WithShot(CMD_SWORD, s)}), Flow(0, {WithShot(CMD_SWORD, beyond)})});
  RunToEnd(w, 0);
  RunToEnd(w, 1);
  EXPECT_TRUE(Shots().empty());
  EXPECT_TRUE(w.chara.m_vShotLink.empty());
}

TEST_P(ShotCommands, BlockSummonPutsTheBlockUnderTheUsersCentre) {
  ScriptWorld w(k(), {});
  g_StageData.m_vBlock.push_back(fixture::Block(7));
  cEdShot s;
  s.m_byFormation = 4;
  s.m_byCount = 1;
  s.m_bySummonPalette = 1;
  s.m_sSummonIndex = static_cast<int16_t>(g_StageData.m_vBlock.size() - 1);
  cCmdState state;
  CmdSummonBlock(w.chara, state, s);
  w.chara.CalcScreenRect();
  long long cx = w.chara.CenterX() + TruncPos(w.world.scene.m_ScrollX.m_dPos);
  long long cy = w.chara.CenterY() + TruncPos(w.world.scene.m_ScrollY.m_dPos);
  EXPECT_EQ(g_MapGrid[static_cast<size_t>(w.world.scene.CellAtDot(cx, cy))].m_wGraphic, 7);
  // An index beyond the list changes nothing.
  s.m_sSummonIndex = static_cast<int16_t>(g_StageData.m_vBlock.size());
  s.m_byBlockSummonMode = 1;
  CmdSummonBlock(w.chara, state, s);
  EXPECT_EQ(g_MapGrid[static_cast<size_t>(w.world.scene.CellAtDot(cx, cy))].m_wGraphic, 7);
}

std::vector<cStageChara*> CharasOtherThan(const cChara& user) {
  std::vector<cStageChara*> v;
  g_lChara.ForEach([&](cStageChara& c) {
    if (&c != &user) v.push_back(&c);
  });
  return v;
}

bool InDrawList(const cPlayScene& scene, const cChara& c) {
  for (const auto& l : scene.m_vDrawList)
    for (const cChara* p : l)
      if (p == &c) return true;
  return false;
}

TEST_P(ShotCommands, CharacterSummonOnlyComputerCharactersWithTheirSideAndFacing) {
  ScriptWorld w(k(), {});
  cCharaData computer = fixture::Chara(4);
  computer.m_byLayer = 6;
  cCharaData player = fixture::Chara(5);
  player.m_byControl = 0;
  g_StageData.m_vChara.push_back(computer);
  g_StageData.m_vChara.push_back(player);
  const int n = static_cast<int>(g_StageData.m_vChara.size());
  cEdShot s;
  s.m_byFormation = 4;
  s.m_byCount = 2;
  s.m_bySummonPalette = 1;
  s.m_sSummonIndex = static_cast<int16_t>(n - 2);
  s.m_byLayer = 3;
  s.m_bLifetime = 1;
  s.m_sLifetime = 5;
  cCmdState state;
  w.chara.m_nDir = 1;
  w.chara.m_nLayer = 2;
  struct Case {
    int mode, reverse, layer, dir;
  } cases[] = {{0, 0, 6, 1}, {1, 1, 2, 0}, {2, 0, 3, 1}};
  for (const Case& c : cases) {
    g_lChara.ForEach([&](cStageChara& o) {
      if (&o != &w.chara) w.world.scene.EraseCharaNode(o);
    });
    w.world.scene.SweepPlayLists();
    const int firstId = w.world.scene.m_nNextId;
    s.m_byLayerMode = static_cast<uint8_t>(c.mode);
    s.m_bReverseFacing = static_cast<uint8_t>(c.reverse);
    CmdSummonChara(w.chara, state, s);
    std::vector<cStageChara*> made = CharasOtherThan(w.chara);
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(w.world.scene.m_nNextId, firstId + 2);
    for (size_t i = 0; i < made.size(); ++i) {
      EXPECT_EQ(made[i]->m_nId, firstId + static_cast<int>(i));
      EXPECT_EQ(made[i]->m_nLayer, c.layer);
      EXPECT_EQ(made[i]->m_nDir, c.dir);
      EXPECT_EQ(made[i]->m_lpSummoner, &w.chara);
      // Five tenths of a second: 5 x 6k sub-steps.
      EXPECT_EQ(made[i]->m_nLife, 5 * 6 * k());
      EXPECT_TRUE(InDrawList(w.world.scene, *made[i]));
    }
  }
  const size_t before = CharasOtherThan(w.chara).size();
  s.m_sSummonIndex = static_cast<int16_t>(n - 1);
  CmdSummonChara(w.chara, state, s);
  s.m_sSummonIndex = static_cast<int16_t>(n);
  CmdSummonChara(w.chara, state, s);
  EXPECT_EQ(CharasOtherThan(w.chara).size(), before);
}

TEST_P(ShotCommands, CharacterSummonIntoAWallIsNotKeptButUsesItsId) {
  ScriptWorld w(k(), {});
  g_StageData.m_vBlock.push_back(fixture::Block(7));
  g_StageData.m_vChara.push_back(fixture::Chara(4));
  cEdShot s;
  s.m_byFormation = 4;
  s.m_byCount = 1;
  s.m_bySummonPalette = 1;
  s.m_sSummonIndex = static_cast<int16_t>(g_StageData.m_vChara.size() - 1);
  cCmdState state;
  // Without a lifetime the summoned character lives on.
  CmdSummonChara(w.chara, state, s);
  ASSERT_EQ(CharasOtherThan(w.chara).size(), 1u);
  EXPECT_EQ(CharasOtherThan(w.chara)[0]->m_nLife, LIFETIME_UNLIMITED);
  cEdShot block = s;
  block.m_sSummonIndex = static_cast<int16_t>(g_StageData.m_vBlock.size() - 1);
  CmdSummonBlock(w.chara, state, block);
  const int id = w.world.scene.m_nNextId;
  CmdSummonChara(w.chara, state, s);
  EXPECT_EQ(CharasOtherThan(w.chara).size(), 1u);
  EXPECT_EQ(w.world.scene.m_nNextId, id + 1);
}

TEST_P(ShotCommands, ItemSummonFromThePalette) {
  ScriptWorld w(k(), {});
  cItemData item = fixture::Item(6);
  g_StageData.m_vItem.push_back(item);
  cEdShot s;
  s.m_byFormation = 4;
  s.m_byCount = 3;
  s.m_bySummonPalette = 1;
  s.m_sSummonIndex = static_cast<int16_t>(g_StageData.m_vItem.size() - 1);
  s.m_bLifetime = 1;
  s.m_sLifetime = 2;
  cCmdState state;
  const size_t before = g_lItem.Count();
  const int firstId = w.world.scene.m_nNextId;
  CmdSummonItem(w.chara, state, s);
  std::vector<cItem*> items;
  g_lItem.ForEach([&](cItem& i) { items.push_back(&i); });
  ASSERT_EQ(items.size(), before + 3);
  EXPECT_EQ(w.world.scene.m_nNextId, firstId + 3);
  // Explosion from the centre: 32 x 32 cells at the user's centre less 16; the item's graphic
  // sits centred in its cell.
  w.chara.CalcScreenRect();
  const long long left = TruncPos(w.chara.m_rcScreen.left + (w.chara.m_nGraphicW >> 1) +
                                  w.world.scene.m_ScrollX.m_dPos - 16);
  cItem& first = *items[before];
  EXPECT_EQ(first.m_nId, firstId);
  EXPECT_EQ(first.m_nGraphic, 6);
  EXPECT_EQ(first.m_nLife, 2 * 6 * k());
  EXPECT_EQ(first.m_dX, static_cast<double>(left) + (16 - (g_StageData.m_nItemW >> 1)) + 0.5);
}

INSTANTIATE_TEST_SUITE_P(SubSteps, ShotCommands, ::testing::Values(1, 3));

}  // namespace
