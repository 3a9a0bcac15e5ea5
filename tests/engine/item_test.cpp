// Items at run time: set-up and placement on a cell, re-anchoring, the pick-up pass under the
// hero's box C with its take rules, and taking an item (pop-up, sound, command list).
#include <gtest/gtest.h>

#include <memory>

#include "engine/flow_seam.h"
#include "fixture/fixture.h"
#include "play_kit.h"

namespace {

class Items : public ::testing::Test {
 protected:
  void SetUp() override {
    cStage stage = fixture::Stage(20, 15);
    stage.m_nScrollExtraX = (20 + 20) * 32 - 640;
    stage.m_nScrollExtraY = (15 + 20) * 32 - 640;
    stage.m_nItemW = 28;
    stage.m_nItemH = 20;
    world_ = std::make_unique<playkit::PlayWorld>(stage);
    hero_ = &world_->PlaceHero(fixture::Hero(), 5, 5);
  }
  // An item whose command list logs its tag when it runs, on a cell.
  cItem& Put(int cellX, int rule, int tag, int graphic = 4) {
    cItemData d = fixture::Item(graphic);
    d.m_byTakeRule = static_cast<uint8_t>(rule);
    d.m_wSound = 2;
    d.m_vCmd.assign(1, playkit::ItemListRecorder::Tagged(tag));
    return world_->PlaceItem(d, cellX, 5);
  }
  int Pass() { return world_->scene.PickUpItems(*hero_); }
  std::vector<int> Keys() { return world_->KeysOf(hero_->m_nId); }

  playkit::ItemListRecorder lists_;
  size_t Popups() const { return world_->scene.m_lMessage.size(); }
  std::unique_ptr<playkit::PlayWorld> world_;
  cPlayer* hero_ = nullptr;
};


TEST_F(Items, SetUpAndPlacementOnACell) {
  cItemData d = fixture::Item(4);
  cItem one;
  one.SetData(7, d, 0);
  EXPECT_EQ(one.m_nId, 7);
  EXPECT_EQ(one.m_nGraphicX, 16 - 14);
  EXPECT_EQ(one.m_nGraphicY, 16 - 10);
  EXPECT_EQ(one.m_bFree, 1);
  EXPECT_EQ(one.m_nDir, 0);
  EXPECT_EQ(one.m_bActive, 0);
  one.SetTilePos(3, 4);
  EXPECT_EQ(one.m_dX, 13 * 32 + 2 + 0.5);
  EXPECT_EQ(one.m_dY, 14 * 32 + 6);
  // Zoom 2: x back by half the width, y up by the height and the offset at zoom 1.
  d.m_byZoom = 2;
  cItem two;
  two.SetData(8, d, 0);
  EXPECT_EQ(two.m_nWidth, 56);
  two.SetTilePos(3, 4);
  EXPECT_EQ(two.m_dX, 13 * 32 + 2 + 0.5 - 14);
  EXPECT_EQ(two.m_dY, 14 * 32 + 6 - (20 + 6));
  // A carried item is active at once and never zoomed.
  cItem carried;
  carried.SetData(9, d, 1);
  EXPECT_EQ(carried.m_bActive, 1);
  EXPECT_EQ(carried.m_nWidth, 28);
}

TEST_F(Items, TakenOnceThenRemoved) {
  playkit::WindowRequestRecorder sounds;
  Put(5, 0, 1);
  EXPECT_EQ(Pass(), 0);
  EXPECT_EQ(Keys(), std::vector<int>{8});
  EXPECT_EQ(lists_.taken, std::vector<int>{1});
  // The pop-up: a graphic window of the item's sheet kind, number and cell above the hero,
  // fixed, counted down for 30 frames.
  ASSERT_EQ(Popups(), 1u);
  const cMessageWindow& w = world_->scene.m_lMessage.front();
  EXPECT_EQ(w.m_nWindowKind, 2);
  EXPECT_EQ(w.m_nIcon[0], fixture::Item(4).m_byGraphicKind);
  EXPECT_EQ(w.m_nIcon[1], 4);
  EXPECT_EQ(w.m_nPlacement, 4);
  EXPECT_EQ(w.m_nDisplayMode, 2);
  EXPECT_EQ(w.m_nCountdown, 30);
  EXPECT_EQ(w.m_nAnchorId, hero_->m_nId);
  EXPECT_EQ(sounds.Sounds(), std::vector<int>{2 + 16});
  EXPECT_EQ(g_lItem.Count(), 0u);
  EXPECT_EQ(g_lItem.Stored(), 0u);
}

TEST_F(Items, ARepeatableItemIsTakenOncePerTouch) {
  cItem& item = Put(5, 1, 2);
  for (int i = 0; i < 3; ++i) Pass();
  EXPECT_EQ(Keys(), (std::vector<int>{8, 8, 8}));
  EXPECT_EQ(lists_.taken, std::vector<int>{2});
  // Box C leaves the item once: the next touch takes it again.
  item.m_dX += 200;
  item.UpdateFarX();
  Pass();
  EXPECT_TRUE(hero_->HasNoItemContact(item.m_nId));
  item.m_dX -= 200;
  item.UpdateFarX();
  Pass();
  EXPECT_EQ(lists_.taken, (std::vector<int>{2, 2}));
  EXPECT_EQ(g_lItem.Count(), 1u);
}

TEST_F(Items, ItemsThatAreNotPickedUp) {
  struct Case {
    const char* what;
    void (*edit)(cItem&);
  };
  for (Case c : {Case{"never taken", [](cItem& i) { i.m_Data.m_byTakeRule = 2; }},
                 Case{"carried", [](cItem& i) { i.m_bCarried = 1; }},
                 Case{"hidden", [](cItem& i) { i.m_bHidden = 1; }},
                 Case{"inactive", [](cItem& i) { i.m_bActive = 0; }}}) {
    SCOPED_TRACE(c.what);
    world_->events.clear();
    cItem& item = Put(5, 1, 1);
    c.edit(item);
    Pass();
    EXPECT_TRUE(Keys().empty());
    EXPECT_TRUE(lists_.taken.empty());
    cObjectList<cItem>::Remove(item);
    g_lItem.Sweep();
  }
}

TEST_F(Items, GraphicZeroFiresTheEventButIsNotTakenAndATransparentItemIs) {
  playkit::WindowRequestRecorder sounds;
  Put(5, 1, 1, 0);
  Pass();
  EXPECT_EQ(Keys(), std::vector<int>{8});
  EXPECT_TRUE(lists_.taken.empty());
  EXPECT_TRUE(sounds.Sounds().empty());
  EXPECT_EQ(Popups(), 0u);
  cItem& t = Put(5, 0, 3);
  t.m_Data.m_bTransparent = 1;
  Pass();
  EXPECT_EQ(lists_.taken, std::vector<int>{3});
}

TEST_F(Items, BoxCTouchesAtItsEdgesInclusive) {
  cItem& item = Put(9, 1, 1);
  const cBox& c = hero_->m_BoxC;
  struct Case {
    double left;
    bool taken;
  };
  for (Case k : {Case{c.dRight, true}, Case{c.dRight + 1, false}}) {
    SCOPED_TRACE(k.left);
    lists_.taken.clear();
    hero_->m_lItemContact.clear();
    item.m_dX = k.left;
    item.m_dY = c.dTop;
    item.UpdateFarX();
    item.UpdateFarY();
    Pass();
    EXPECT_EQ(lists_.taken.size(), k.taken ? 1u : 0u);
  }
  // The bottom edge of box C against the top of the item.
  lists_.taken.clear();
  hero_->m_lItemContact.clear();
  item.m_dX = c.dLeft;
  item.m_dY = c.dBottom;
  item.UpdateFarX();
  item.UpdateFarY();
  Pass();
  EXPECT_EQ(lists_.taken.size(), 1u);
}

TEST_F(Items, AResultEndsThePassAtOnce) {
  // The first item's list clears the stage after its tagged command.
  cItem& first = Put(5, 0, 1);
  first.m_Data.m_vCmd.push_back(playkit::ItemListRecorder::StageClear());
  Put(5, 0, 2);
  EXPECT_EQ(Pass(), 1);
  EXPECT_EQ(lists_.taken, std::vector<int>{1});
  EXPECT_EQ(g_lItem.Count(), 1u);
  lists_.result = 2;
  EXPECT_EQ(Pass(), 2);
}

TEST_F(Items, ADyingCharacterHandsItsDropItemOverBeforeAnyAppearancePass) {
  cItemData d = fixture::Item(6);
  d.m_vCmd.assign(1, playkit::ItemListRecorder::Tagged(4));
  cItem drop;
  drop.SetData(0, d, 1);
  cStageChara& c = world_->PlaceChara(fixture::Chara(2), 8, 5, &drop);
  EXPECT_EQ(c.Die(), 0);
  EXPECT_EQ(lists_.taken, std::vector<int>{4});
  // Without a drop item nothing is given.
  cStageChara& e = world_->PlaceChara(fixture::Chara(2), 8, 5);
  e.Die();
  EXPECT_EQ(lists_.taken.size(), 1u);
}

}  // namespace
