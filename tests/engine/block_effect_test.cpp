// The chips that act on the hero standing on them (jump, no jump, speed, push), the items of
// blocks, and blocks put, removed and toggled at run time.
#include <gtest/gtest.h>

#include <memory>

#include "engine/map_grid.h"
#include "fixture/fixture.h"
#include "play_kit.h"
#include "project/common_palette.h"
#include "project/palette_list.h"

namespace {

class BlockEffects : public ::testing::Test {
 protected:
  // A 20 × 15 stage at two sub-steps per frame (gravity 0.4 gives 0.1 per sub-step).
  void SetUp() override {
    cStage stage = fixture::Stage(20, 15);
    stage.m_nSpeedLevel = 2;
    item_ = fixture::Item(7);
    item_.m_wSound = 3;
    stage.m_vItem.push_back(item_);
    world_ = std::make_unique<playkit::PlayWorld>(stage);
    hero_ = &world_->PlaceHero(fixture::Hero(), 5, 5);
  }
  MapChip& Chip(int x, int y) { return g_MapGrid[static_cast<size_t>(world_->scene.CellIndex(x + 10, y + 10))]; }
  // A solid chip with an effect under the hero's feet.
  MapChip& Stand(int effect, int value, int x = 5) {
    MapChip& chip = Chip(x, 6);
    chip = MapChip(fixture::Block(3));
    chip.m_byEffect = static_cast<uint8_t>(effect);
    chip.m_nEffectX = value;
    hero_->m_lpFloor = &chip;
    hero_->m_bAirborne = 0;
    return chip;
  }
  cPlayScene& Scene() { return world_->scene; }

  cItemData item_;
  std::unique_ptr<playkit::PlayWorld> world_;
  cPlayer* hero_ = nullptr;
};

TEST_F(BlockEffects, PushChipMovesTheHeroOneAndAHalfDotsPerSubStepAndPressesItDown) {
  struct Case {
    int effect;
    double step;
  };
  for (Case c : {Case{4, -1.5}, Case{5, 1.5}}) {
    SCOPED_TRACE(c.effect);
    hero_->m_nBlockEffectTimer = 0;
    Stand(c.effect, 30);
    for (int sub = 1; sub <= 4; ++sub) {
      double x = hero_->m_dX;
      hero_->m_dVY = 0;
      hero_->Act(0);
      // Walking against the push: the acceleration against it is cleared, the other kept.
      hero_->m_dAX = -c.step;
      Scene().ApplyBlockEffect(*hero_);
      EXPECT_EQ(hero_->m_dAX, 0);
      EXPECT_EQ(hero_->m_dVX, c.step);
      hero_->StepX();
      EXPECT_EQ(hero_->m_dX - x, c.step);
      // The effect lasts one frame (two sub-steps); at its end the hero is pressed down.
      EXPECT_EQ(hero_->m_dVY, sub % 2 == 0 ? 1.0 : 0.0);
    }
  }
}

TEST_F(BlockEffects, PushLastsOneFrameAfterLeavingTheChip) {
  Stand(5, 30);
  Scene().ApplyBlockEffect(*hero_);
  EXPECT_EQ(hero_->m_dVX, 1.5);
  hero_->m_lpFloor = nullptr;
  hero_->m_dVX = 0;
  Scene().ApplyBlockEffect(*hero_);
  EXPECT_EQ(hero_->m_dVX, 1.5);
  hero_->m_dVX = 0;
  Scene().ApplyBlockEffect(*hero_);
  EXPECT_EQ(hero_->m_dVX, 0);
}

TEST_F(BlockEffects, SpeedChipScalesTheVelocityWhileItsTimerRuns) {
  Stand(3, 50);
  hero_->m_dVX = 4;
  Scene().ApplyBlockEffect(*hero_);
  EXPECT_EQ(hero_->m_nBlockEffect, 3);
  EXPECT_EQ(hero_->m_dBlockEffect, 0.5);
  EXPECT_EQ(hero_->m_dVX, 2);
  EXPECT_EQ(hero_->m_nBlockEffectTimer, 1);
  // The walking acceleration is slowed too: by 4 / k / k / 60 × (0.5 − 1) per sub-step.
  hero_->m_dAX = 0.5;
  hero_->m_dFriction = 0;
  hero_->m_dVX = 0;
  hero_->StepX();
  EXPECT_DOUBLE_EQ(hero_->m_dAX, 0.5 - 4.0 / 2 / 2 / 60 * 0.5);
}

TEST_F(BlockEffects, JumpChipThrowsTheHeroAtEveryLandingWithTheJumpSound) {
  playkit::WindowRequestRecorder sounds;
  for (int landing = 0; landing < 2; ++landing) {
    Stand(1, 2);
    hero_->m_dVY = 0;
    Scene().ApplyBlockEffect(*hero_);
    // Two half-blocks, 32 dots, at gravity 0.1 per sub-step, times the hero's factor 0.98.
    EXPECT_DOUBLE_EQ(hero_->m_dVY, -2.5287098620604787);
    EXPECT_EQ(hero_->m_bJumping, 1);
  }
  EXPECT_EQ(sounds.Sounds(), (std::vector<int>{10, 10}));
}

TEST_F(BlockEffects, NoJumpChipForbidsJumpingUntilAnotherChipIsStoodOn) {
  Stand(2, 0);
  Scene().ApplyBlockEffect(*hero_);
  EXPECT_EQ(hero_->m_bNoJump, 1);
  Stand(0, 0, 6);
  Scene().ApplyBlockEffect(*hero_);
  EXPECT_EQ(hero_->m_bNoJump, 0);
}

TEST_F(BlockEffects, NothingActsOnAFlyingHeroOrThroughAPassingChip) {
  Stand(5, 30);
  hero_->ApplyPlacement(1, 0);
  hero_->m_dVX = 0;
  Scene().ApplyBlockEffect(*hero_);
  EXPECT_EQ(hero_->m_dVX, 0);
  hero_->ApplyPlacement(0, 0);
  MapChip& chip = Stand(5, 30);
  chip.m_byHit = 0;
  Scene().ApplyBlockEffect(*hero_);
  EXPECT_EQ(hero_->m_dVX, 0);
}

class BlockItems : public BlockEffects {
 protected:
  void SetUp() override {
    BlockEffects::SetUp();
    binding_ = std::make_unique<cPaletteBinding>(2, g_StageData.m_vBlock, g_StageData.m_vChara, g_StageData.m_vItem);
    g_StageData.m_vItem.back().m_vCmd.assign(1, playkit::ItemListRecorder::Tagged(1));
  }
  void TearDown() override { binding_.reset(); }
  MapChip& StandOnItemChip(int x = 5) {
    MapChip& chip = Stand(0, 0, x);
    chip.m_byItemKind = 2;
    chip.m_wItemIndex = static_cast<int16_t>(g_StageData.m_vItem.size() - 1);
    return chip;
  }

  // The number of times the block's item was given.
  int Taken() const { return static_cast<int>(lists_.taken.size()); }
  playkit::ItemListRecorder lists_;
  std::unique_ptr<cPaletteBinding> binding_;
};


TEST_F(BlockItems, GivenOnLandingThenAfterSixtyFramesOfStanding) {
  playkit::WindowRequestRecorder sounds;
  StandOnItemChip();
  const int wait = 2 * 60;
  EXPECT_EQ(Scene().TakeBlockItem(*hero_), 0);
  EXPECT_EQ(Taken(), 1);
  EXPECT_EQ(sounds.Sounds(), (std::vector<int>{3 + 16}));
  for (int i = 1; i < wait; ++i) Scene().TakeBlockItem(*hero_);
  EXPECT_EQ(Taken(), 1);
  Scene().TakeBlockItem(*hero_);
  EXPECT_EQ(Taken(), 2);
}

TEST_F(BlockItems, GivenAtOnceOnSteppingOntoAnotherChipAndAgainAfterAJump) {
  StandOnItemChip(5);
  Scene().TakeBlockItem(*hero_);
  ASSERT_EQ(Taken(), 1);
  // The hero walks onto the next chip: its last floor differs from the one saved at the
  // start of the sub-step.
  hero_->SaveLastChip();
  hero_->m_lpLastFloor = &StandOnItemChip(6);
  hero_->m_dVY = 0;
  Scene().TakeBlockItem(*hero_);
  EXPECT_EQ(hero_->m_nBlockItemWait, 0);
  EXPECT_EQ(hero_->m_dVY, 1);
  Scene().TakeBlockItem(*hero_);
  EXPECT_EQ(Taken(), 2);
  hero_->m_bAirborne = 1;
  Scene().TakeBlockItem(*hero_);
  EXPECT_EQ(hero_->m_nBlockItemWait, 0);
}

TEST_F(BlockItems, TheResultOfTheItemEndsThePassAndAMissingItemGivesNothing) {
  StandOnItemChip();
  lists_.result = 2;
  EXPECT_EQ(Scene().TakeBlockItem(*hero_), 2);
  MapChip& chip = StandOnItemChip();
  chip.m_wItemIndex = 99;
  lists_.result = 0;
  lists_.taken.clear();
  EXPECT_EQ(Scene().TakeBlockItem(*hero_), 0);
  EXPECT_EQ(Taken(), 0);
}

class SummonedBlocks : public BlockEffects {
 protected:
  // Map dots of a stage cell.
  static double Dot(int c) { return (c + 10) * 32.0; }
  cBlockData Solid() { return fixture::Block(9); }
};

TEST_F(SummonedBlocks, ThePositionIsRoundedToTheNearestCell) {
  cSummonBlockParams put;
  struct Case {
    double x;
    int column;
  };
  for (Case c : {Case{335.4, 10}, Case{335.5, 11}}) {
    SCOPED_TRACE(c.x);
    Scene().SummonBlock(c.x, Dot(0), put, Solid());
    EXPECT_EQ(g_MapGrid[static_cast<size_t>(Scene().CellIndex(c.column, 10))].m_wGraphic, 9);
    g_MapGrid[static_cast<size_t>(Scene().CellIndex(c.column, 10))] = MapChip(cBlockData());
  }
}

TEST_F(SummonedBlocks, PositionsOutsideTheGridOrBeyondTheRowChangeNothing) {
  cSummonBlockParams put;
  std::vector<uint16_t> before;
  for (MapChip& c : g_MapGrid) before.push_back(c.m_wGraphic);
  const double pitch = Scene().m_ScrollX.m_nPitch * 32.0;
  for (double x : {-49.0, pitch - 16.5, pitch + 100}) Scene().SummonBlock(x, Dot(2), put, Solid());
  Scene().SummonBlock(Dot(2), -49.0, put, Solid());
  Scene().SummonBlock(Dot(2), Scene().m_ScrollY.m_nCells * 32.0, put, Solid());
  std::vector<uint16_t> after;
  for (MapChip& c : g_MapGrid) after.push_back(c.m_wGraphic);
  EXPECT_EQ(after, before);
  // The last column of a row is still a cell.
  Scene().SummonBlock(pitch - 32, Dot(2), put, Solid());
  EXPECT_EQ(g_MapGrid[static_cast<size_t>(Scene().CellIndex(Scene().m_ScrollX.m_nPitch - 1, 12))].m_wGraphic, 9);
}

TEST_F(SummonedBlocks, RemoveLeavesTheEmptyBlockOfTheCommonPalette) {
  Chip(3, 3) = MapChip(Solid());
  Chip(3, 3).m_bConditionLatch = 1;
  cCommonPalette saved = g_CommonPalette;
  g_CommonPalette.m_vBlock.assign(1, fixture::Block(0));
  g_CommonPalette.m_vBlock[0].m_byHit = 0;
  g_CommonPalette.m_vBlock[0].m_byZ = 4;
  cSummonBlockParams remove;
  remove.nMode = 1;
  Scene().SummonBlock(Dot(3), Dot(3), remove, Solid());
  EXPECT_EQ(Chip(3, 3).m_wGraphic, 0);
  EXPECT_EQ(Chip(3, 3).m_byZ, 4);
  EXPECT_EQ(Chip(3, 3).m_bConditionLatch, 0);
  g_CommonPalette = saved;
}

TEST_F(SummonedBlocks, ACellTogglesOnceInOneCommand) {
  cSummonBlockParams toggle;
  toggle.nMode = 2;
  Scene().SummonBlock(Dot(3), Dot(3), toggle, Solid());
  Scene().SummonBlock(Dot(3), Dot(3), toggle, Solid());
  EXPECT_EQ(Chip(3, 3).m_wGraphic, 9);
  // The next command starts with an empty list: the block is toggled off.
  Scene().m_vToggledCells.clear();
  Scene().SummonBlock(Dot(3), Dot(3), toggle, Solid());
  EXPECT_EQ(Chip(3, 3).m_wGraphic, 0);
  EXPECT_EQ(Scene().m_vToggledCells.size(), 1u);
}

TEST_F(SummonedBlocks, APutOverTheHeroIsRefusedOnlyWhenTheHeroIsTested) {
  // The hero stands in cell (5, 5).
  cSummonBlockParams put;
  put.bCheckHero = 1;
  Scene().SummonBlock(Dot(5), Dot(5), put, Solid());
  EXPECT_EQ(Chip(5, 5).m_wGraphic, 0);
  EXPECT_EQ(hero_->m_nModeCountdown, 2);
  hero_->m_nModeCountdown = 0;
  // Testing the characters only: the hero is embedded, the block stays.
  put.bCheckHero = 0;
  put.bCheckCharas = 1;
  Scene().SummonBlock(Dot(5), Dot(5), put, Solid());
  EXPECT_EQ(Chip(5, 5).m_wGraphic, 9);
  EXPECT_EQ(hero_->m_nModeCountdown, 2);
}

TEST_F(SummonedBlocks, APutOverACharacterIsRefusedWhenCharactersAreTested) {
  cStageChara& c = world_->PlaceChara(fixture::Chara(2), 8, 5);
  cSummonBlockParams put;
  put.bCheckCharas = 1;
  Scene().SummonBlock(Dot(8), Dot(5), put, Solid());
  EXPECT_EQ(Chip(8, 5).m_wGraphic, 0);
  EXPECT_EQ(c.m_nModeCountdown, 2);
  // An inactive character is not covered.
  c.m_bActive = 0;
  c.m_nModeCountdown = 0;
  Scene().SummonBlock(Dot(8), Dot(5), put, Solid());
  EXPECT_EQ(Chip(8, 5).m_wGraphic, 9);
  EXPECT_EQ(c.m_nModeCountdown, 0);
}

TEST_F(SummonedBlocks, ProtectedChipsUnderBothSettingsOfTheSummonSwitch) {
  cBlockData shown = Solid();
  shown.m_byExtra = 1;
  cBlockData empty = fixture::Block(0);
  empty.m_byExtra = 1;
  cSummonBlockParams remove;
  remove.nMode = 1;
  struct Case {
    int legacy;
    const cBlockData* chip;
    bool kept;
  };
  // With the switch set every protected chip stays; without it only a protected chip that
  // holds a block.
  for (Case c : {Case{1, &shown, true}, Case{1, &empty, true}, Case{0, &shown, true}, Case{0, &empty, false}}) {
    SCOPED_TRACE(c.legacy);
    g_SystemData.m_bLegacy637 = c.legacy;
    Chip(2, 2) = MapChip(*c.chip);
    Chip(2, 2).m_byZ = 7;
    Scene().SummonBlock(Dot(2), Dot(2), remove, Solid());
    EXPECT_EQ(Chip(2, 2).m_byZ == 7, c.kept);
    EXPECT_EQ(Chip(2, 2).m_byExtra, c.kept ? 1 : 0);
  }
}

}  // namespace

namespace {

// A few frames of a stage with a floor, a push strip, a walking and a flying character and a
// repeatable item, stepped in the order of the play scene's sub-step; the digest of the end
// state.
uint64_t RunStage(int push) {
  cStage stage = fixture::Stage(20, 15);
  stage.m_nSpeedLevel = 2;
  stage.m_nScrollExtraX = (20 + 20) * 32 - 640;
  stage.m_nScrollExtraY = (15 + 20) * 32 - 640;
  fixture::Fill(stage, fixture::Block(3), 0, 8, 19, 8);
  cBlockData strip = fixture::Block(4);
  strip.m_byEffect = 5;
  strip.m_nEffectX = push;
  fixture::Fill(stage, strip, 4, 8, 7, 8);
  playkit::PlayWorld world(stage);
  cPlayer& hero = world.PlaceHero(fixture::Hero(), 4, 7);
  cStageChara& walker = world.PlaceChara(fixture::Chara(2), 10, 7);
  walker.m_dAX = -0.05;
  cCharaData flyer = fixture::Chara(2);
  flyer.m_byFlying = 1;
  cStageChara& bird = world.PlaceChara(flyer, 12, 2);
  bird.m_dAY = -0.1;
  cItemData d = fixture::Item(5);
  d.m_byTakeRule = 1;
  world.PlaceItem(d, 6, 7);
  cPlayScene& scene = world.scene;
  for (int sub = 0; sub < 40; ++sub) {
    scene.m_nSubStep = sub % 2 + 1;
    hero.SaveLastChip();
    hero.Act(0);
    scene.ApplyBlockEffect(hero);
    hero.StepX();
    scene.MoveMapX(hero);
    hero.ApplyGravity();
    hero.StepY();
    scene.MoveMapY(hero);
    scene.PickUpItems(hero);
    scene.TakeBlockItem(hero);
    g_lChara.ForEach([&](cStageChara& c) {
      c.Act(0);
      int x = c.StepX();
      scene.MoveMapX(c);
      c.ApplyGravity();
      int y = c.StepY();
      scene.MoveMapY(c);
      if (x == 4 || y == 8) cObjectList<cStageChara>::Remove(c);
    });
    g_lChara.Sweep();
  }
  return playkit::PlayDigest();
}

TEST(PlayRun, TheSameStageGivesTheSameStateAndAnotherPushAnother) {
  uint64_t a = RunStage(30);
  EXPECT_EQ(RunStage(30), a);
  EXPECT_NE(RunStage(31), a);
}

}  // namespace
