// Stage characters: placement and boxes from the stage settings, the steps that remove or
// kill a character leaving the field, the act, the jump step, the activity range and the
// drop-item icon.
#include <gtest/gtest.h>

#include <memory>

#include "engine/map_grid.h"
#include "fixture/fixture.h"
#include "play_kit.h"
#include "script/cmd_state.h"

namespace {

class StageChara : public ::testing::Test {
 protected:
  // A 20 × 15 stage at two sub-steps per frame whose field edges enclose the map grid.
  void SetUp() override { Build(nullptr); }
  void Build(void (*edit)(cStage&)) {
    cStage stage = fixture::Stage(20, 15);
    stage.m_nSpeedLevel = 2;
    stage.m_nScrollExtraX = (20 + 20) * 32 - 640;
    stage.m_nScrollExtraY = (15 + 20) * 32 - 640;
    if (edit) edit(stage);
    world_.reset();
    world_ = std::make_unique<playkit::PlayWorld>(stage);
  }
  cStageChara& Place(int x, int y, void (*edit)(cCharaData&) = nullptr, const cItem* drop = nullptr) {
    cCharaData def = fixture::Chara(2);
    if (edit) edit(def);
    return world_->PlaceChara(def, x, y, drop);
  }
  cPlayScene& Scene() { return world_->scene; }

  std::unique_ptr<playkit::PlayWorld> world_;
};

TEST_F(StageChara, PlacementTakesBodyAndBoxesFromTheStageSettings) {
  Build([](cStage& s) {
    s.m_nCharaW = 20;
    s.m_nCharaH = 24;
    s.m_bCharaBottom = 1;
    s.m_nCharaContactW = 12;
    s.m_nCharaContactH = 20;
    s.m_bCharaContactBottom = 1;
    s.m_nCharaShotHitW = 30;
    s.m_nCharaShotHitH = 10;
    s.m_nCharaFlyW = 10;
    s.m_nCharaFlyH = 12;
    s.m_bCharaFlyBottom = 0;
  });
  cStageChara& c = Place(4, 6);
  EXPECT_EQ(c.m_nGraphicX, 6);
  EXPECT_EQ(c.m_nGraphicY, 8);
  EXPECT_EQ(c.m_dX, 14 * 32 + 6 + 0.5);
  EXPECT_EQ(c.m_dY, 16 * 32 + 8);
  EXPECT_EQ(c.m_BoxA.nOffsetX, 16 - 6 - 6);
  EXPECT_EQ(c.m_BoxA.nOffsetY, 32 - 8 - 20);
  EXPECT_EQ(c.m_BoxB.nOffsetX, 16 - 15 - 6);
  EXPECT_EQ(c.m_BoxB.nOffsetY, 16 - 5 - 8);
  EXPECT_EQ(c.m_BoxB.dLeft, 14 * 32 + 6 - 5);
  EXPECT_EQ(c.m_BoxB.dRight, 14 * 32 + 6 - 5 + 29);
  EXPECT_EQ(c.m_Anime.Anime(), 1);
  cStageChara& f = Place(4, 6, [](cCharaData& d) { d.m_byFlying = 1; });
  EXPECT_EQ(f.m_nWidth, 10);
  EXPECT_EQ(f.m_nGraphicY, 10);
  EXPECT_EQ(f.m_bFree, 1);
  EXPECT_EQ(f.m_Anime.Anime(), 0);
}

TEST_F(StageChara, ZoomZeroIsUsedAsOneAndWrittenBack) {
  cStageChara& c = Place(4, 6, [](cCharaData& d) { d.m_byZoom = 0; });
  EXPECT_EQ(c.m_Data.m_byZoom, 1);
  EXPECT_EQ(c.m_nWidth, g_StageData.m_nCharaW);
}

TEST_F(StageChara, ABlockCharactersBoxesCoverItsWholeBodyAfterAZoom) {
  // At zoom 1 box A stays empty and box B covers the 32 × 32 body.
  cStageChara& one = Place(4, 6, [](cCharaData& d) { d.m_bBlockChara = 1; });
  EXPECT_EQ(one.m_nWidth, 32);
  EXPECT_EQ(one.m_BoxA.nWidth, 0);
  EXPECT_EQ(one.m_BoxA.nHeight, 0);
  EXPECT_EQ(one.m_BoxB.nWidth, 32);
  EXPECT_EQ(one.m_BoxB.nHeight, 32);
  EXPECT_EQ(one.m_BoxB.nOffsetX, 0);
  for (int zoom : {2, 3}) {
    SCOPED_TRACE(zoom);
    static int z;
    z = zoom;
    cStageChara& c = Place(4, 6, [](cCharaData& d) {
      d.m_bBlockChara = 1;
      d.m_byZoom = static_cast<uint8_t>(z);
    });
    EXPECT_EQ(c.m_nWidth, 32 * zoom);
    for (const cBox* b : {&c.m_BoxA, &c.m_BoxB}) {
      EXPECT_EQ(b->nOffsetX, 0);
      EXPECT_EQ(b->nOffsetY, 0);
      EXPECT_EQ(b->nWidth, 32 * zoom);
      EXPECT_EQ(b->nHeight, 32 * zoom);
      EXPECT_EQ(b->dLeft, static_cast<int>(c.m_dX));
    }
  }
}

TEST_F(StageChara, LeavingTheFieldRemovesOrKillsTheCharacter) {
  // Pushed out on the left: clamped to 0, removed.
  cStageChara& c = Place(0, 6);
  c.m_dX = 1;
  c.m_dVX = 0;
  c.m_dAX = -3;
  EXPECT_EQ(c.StepX(), 4);
  EXPECT_EQ(c.m_dX, 0);
  // Flying out at the top: removed.
  cStageChara& f = Place(0, 6, [](cCharaData& d) { d.m_byFlying = 1; });
  f.m_dY = 1;
  f.m_dVY = -3;
  EXPECT_EQ(f.StepY(), 8);
  // A flying character at the stage's end is not removed (code 5 stays).
  f.m_dY = Scene().m_ScrollY.m_nEnd - f.m_nHeight + 1.0;
  f.m_dVY = 0;
  EXPECT_EQ(f.StepY(), 5);
  // Falling below the stage's end under gravity: death.
  cStageChara& g = Place(5, 14);
  g.m_dY = Scene().m_ScrollY.m_nEnd - g.m_nHeight - 1.0;
  g.m_dVY = 1;
  EXPECT_EQ(g.StepY(), 0);
  g.m_dVY = 1;
  EXPECT_EQ(g.StepY(), 7);
  // Inside the stage: 0.
  cStageChara& i = Place(5, 5);
  i.m_dVX = 1;
  EXPECT_EQ(i.StepX(), 0);
}

TEST_F(StageChara, CharactersLeavingTheFieldInAPassAreRemovedAndSweptAfterIt) {
  cStageChara& left = Place(0, 6);
  left.m_dX = 1;
  left.m_dAX = -3;
  cStageChara& stays = Place(5, 5);
  const int staysId = stays.m_nId;
  cStageChara& top = Place(3, 0, [](cCharaData& d) { d.m_byFlying = 1; });
  top.m_dY = 1;
  top.m_dVY = -3;
  std::vector<int> codes;
  g_lChara.ForEach([&](cStageChara& c) {
    int x = c.StepX();
    int y = c.StepY();
    codes.push_back(x * 10 + y);
    if (x == 4 || y == 8) cObjectList<cStageChara>::Remove(c);
  });
  EXPECT_EQ(codes, (std::vector<int>{40, 0, 8}));
  EXPECT_EQ(g_lChara.Count(), 1u);
  EXPECT_EQ(g_lChara.Stored(), 3u);
  EXPECT_EQ(g_lChara.Sweep(), 2u);
  ASSERT_EQ(g_lChara.Stored(), 1u);
  EXPECT_NE(g_lChara.Find([&](cStageChara& c) { return c.m_nId == staysId; }), nullptr);
}

TEST_F(StageChara, KnockBackReplacesTheOwnMotion) {
  cStageChara& c = Place(5, 5);
  double x = c.m_dX;
  c.m_dKnockX = 2;
  c.m_dAX = 1;
  c.m_dVX = 0;
  c.StepX();
  EXPECT_EQ(c.m_dVX, 2);
  EXPECT_EQ(c.m_dX, x + 2);
  EXPECT_EQ(c.m_dAX, 1);
  c.m_dKnockX = 0;
  c.m_dFriction = 0;
  c.StepX();
  EXPECT_EQ(c.m_dVX, 3);
}

TEST_F(StageChara, ActTakesTheAutoScrollUnderBothSettingsOfTheSwitch) {
  Build([](cStage& s) {
    s.m_nScrollModeX = 1;
    s.m_nAutoSpeedX = 10;
    s.m_nScrollModeY = 1;
    s.m_nAutoSpeedY = 20;
  });
  const double ax = Scene().m_ScrollX.m_dAutoSpeed;
  const double ay = Scene().m_ScrollY.m_dAutoSpeed;
  ASSERT_NE(ax, 0);
  struct Case {
    int legacy, flying, sync;
    double vx, vy;
  };
  // vy 9: a velocity the act leaves alone.
  for (Case c : {Case{1, 1, 1, 0, 0}, Case{1, 0, 1, 0, 9}, Case{0, 1, 1, ax, ay}, Case{0, 0, 1, ax, 9},
                 Case{0, 1, 0, 0, 0}}) {
    SCOPED_TRACE(testing::Message() << c.legacy << c.flying << c.sync);
    g_SystemData.m_bLegacy214 = c.legacy;
    static int flying;
    flying = c.flying;
    cStageChara& s = Place(5, 5, [](cCharaData& d) { d.m_byFlying = static_cast<uint8_t>(flying); });
    s.m_bScrollSync = c.sync;
    Scene().m_ScrollX.m_bPinned = Scene().m_ScrollY.m_bPinned = 0;
    s.m_dVX = s.m_dVY = 9;
    s.m_nModeCountdown = 2;
    EXPECT_EQ(s.Act(0), 0);
    EXPECT_EQ(s.m_dVX, c.vx);
    EXPECT_EQ(s.m_dVY, c.vy);
    EXPECT_EQ(s.m_nModeCountdown, 1);
  }
}

TEST_F(StageChara, ActEndsAtOnceWhenTheFlowsSaySoAndReportsZeroHitPoints) {
  // One running flow of a long wait.
  cStageChara& c = Place(5, 5, [](cCharaData& d) {
    cFlowCmd wait;
    wait.m_byKind = CMD_WAIT;
    wait.m_sTime = 100;
    cFlow flow;
    flow.m_vCmd.assign(1, wait);
    d.m_vFlow.assign(1, flow);
  });
  ASSERT_EQ(c.m_vFlowRun.size(), 1u);
  c.m_vFlowRun[0].Start(c);
  c.m_vGroupStopped[3] = 1;
  c.m_vGroupRunning[3] = 1;
  c.m_bAnyGroupStopped = 1;
  // HP at 0 after a stepped run (outside the death flows) ends the act before the clean-up.
  c.m_nHp = 0;
  EXPECT_EQ(c.Act(0), 1);
  EXPECT_EQ(c.m_vGroupRunning[3], 1);
  EXPECT_EQ(Scene().m_pCurChara, nullptr);
  // So does the remove-now flag that a vanishing command sets.
  c.m_nHp = 1;
  c.m_bRemoveNow = 1;
  EXPECT_EQ(c.Act(0), 1);
  EXPECT_EQ(c.m_vGroupRunning[3], 1);
  c.m_bRemoveNow = 0;
  EXPECT_EQ(c.Act(0), 0);
  EXPECT_EQ(c.m_vGroupRunning[3], 0);
  EXPECT_EQ(c.m_vGroupStopped[3], 0);
  c.m_nHp = 0;
  EXPECT_EQ(c.Act(0), 1);
}

class StageCharaJump : public StageChara {
 protected:
  void SetUp() override {
    StageChara::SetUp();
    c_ = &Place(5, 5);
    floor_ = &g_MapGrid[static_cast<size_t>(Scene().CellIndex(15, 16))];
    *floor_ = MapChip(fixture::Block(3));
    Ground();
    cmd_.m_sSound = 5;
    state_.m_pCmd = &cmd_;
    state_.m_dSpeed = -4;
    state_.m_nRemaining = 100;
  }
  void Ground() {
    c_->m_lpFloor = floor_;
    c_->m_bAirborne = 0;
    c_->m_bJumping = 0;
    c_->m_nAirCount = 0;
  }
  void Air() {
    c_->m_lpFloor = nullptr;
    c_->m_bAirborne = 1;
  }
  cStageChara* c_ = nullptr;
  MapChip* floor_ = nullptr;
  cFlowCmd cmd_;
  cCmdState state_;
};

TEST_F(StageCharaJump, TheJumpStartsOnTheGroundAndEndsOnLanding) {
  g_SystemData.m_bLegacy749 = 0;
  playkit::WindowRequestRecorder sounds;
  c_->StepJump(state_);
  EXPECT_EQ(c_->m_dVY, -4);
  EXPECT_EQ(state_.m_bStarted, 1);
  EXPECT_EQ(c_->m_bJumpStartA + c_->m_bJumpStartB, 2);
  EXPECT_EQ(sounds.Sounds(), (std::vector<int>{5 + 16}));
  Air();
  c_->StepJump(state_);
  EXPECT_EQ(state_.m_nRemaining, 100);
  Ground();
  c_->StepJump(state_);
  EXPECT_EQ(state_.m_nRemaining, 0);
  // Started once: no second throw.
  EXPECT_EQ(sounds.Sounds().size(), 1u);
}

TEST_F(StageCharaJump, InTheAirTheJumpIsGivenUpAfterFourFrames) {
  g_SystemData.m_bLegacy749 = 0;
  Air();
  // k = 2: four frames are 8 ticks.
  state_.m_nCounter = 7;
  c_->StepJump(state_);
  EXPECT_EQ(state_.m_bStarted, 0);
  EXPECT_EQ(state_.m_nRemaining, 100);
  state_.m_nCounter = 8;
  c_->StepJump(state_);
  EXPECT_EQ(state_.m_bStarted, 1);
  EXPECT_EQ(state_.m_nRemaining, 0);
  EXPECT_EQ(c_->m_dVY, 0);
}

TEST_F(StageCharaJump, WithTheOldJumpSwitchTheJumpStartsAtEveryGroundedCallAndNeverEnds) {
  g_SystemData.m_bLegacy749 = 1;
  playkit::WindowRequestRecorder sounds;
  c_->StepJump(state_);
  c_->m_dVY = 0;
  c_->StepJump(state_);
  EXPECT_EQ(c_->m_dVY, -4);
  EXPECT_EQ(sounds.Sounds().size(), 2u);
  EXPECT_EQ(state_.m_nRemaining, 100);
  Air();
  state_.m_nCounter = 50;
  c_->m_dVY = 0;
  c_->StepJump(state_);
  EXPECT_EQ(c_->m_dVY, 0);
  EXPECT_EQ(state_.m_nRemaining, 100);
}

TEST_F(StageChara, ActivityRangeGroupsAndTheOnceRule) {
  cSafeVector<uint8_t> flags(ACT_GROUPS, 0);
  cStageChara& a = Place(5, 5, [](cCharaData& d) {
    d.m_bActGroup = 1;
    d.m_wActGroup = 59;
    d.m_byFlying = 1;
  });
  cStageChara& b = Place(5, 5, [](cCharaData& d) {
    d.m_bActGroup = 1;
    d.m_wActGroup = 59;
    d.m_byFlying = 1;
    d.m_byActRule = 1;
  });
  // a is on screen (the camera stands at the stage's top-left); b has been moved away.
  b.m_dX = 1200;
  b.UpdateFarX();
  EXPECT_EQ(a.UpdateInRange(flags), 1);
  EXPECT_EQ(b.UpdateInRange(flags), 0);
  EXPECT_EQ(flags[59], 1);
  // The group wakes b; with the once rule it stays in range from then on.
  EXPECT_EQ(b.TestActivation(flags), 1);
  flags[59] = 0;
  EXPECT_EQ(b.UpdateInRange(flags), 1);
  // Without the rule a character off screen, out of its group, rests.
  flags[59] = 0;
  a.m_dX = 1200;
  a.UpdateFarX();
  EXPECT_EQ(a.UpdateInRange(flags), 0);
  EXPECT_EQ(a.TestActivation(flags), 0);
}

TEST_F(StageChara, AGroupNumberBeyondTheGroupsIsNoGroup) {
  cSafeVector<uint8_t> flags(ACT_GROUPS, 0);
  for (int group : {60, 65535}) {
    static int g;
    g = group;
    cStageChara& c = Place(5, 5, [](cCharaData& d) {
      d.m_bActGroup = 1;
      d.m_wActGroup = static_cast<uint16_t>(g);
    });
    EXPECT_EQ(c.UpdateInRange(flags), 1);
    c.m_dX = 1200;
    c.UpdateFarX();
    c.m_bInRange = 0;
    EXPECT_EQ(c.TestActivation(flags), 0);
  }
  EXPECT_EQ(flags.size(), static_cast<size_t>(ACT_GROUPS));
}

TEST_F(StageChara, AGroundCharacterStaysActiveWhileItJumpsOrFallsAfterActivation) {
  cSafeVector<uint8_t> flags(ACT_GROUPS, 0);
  cStageChara& c = Place(5, 5);
  c.m_dX = 1200;
  c.UpdateFarX();
  c.UpdateInRange(flags);
  c.m_bAirborne = 1;
  EXPECT_EQ(c.TestActivation(flags), 0);
  c.m_bActivated = 1;
  EXPECT_EQ(c.TestActivation(flags), 1);
  c.m_bAirborne = 0;
  EXPECT_EQ(c.TestActivation(flags), 0);
  c.m_bJumpStartB = 1;
  EXPECT_EQ(c.TestActivation(flags), 1);
}

TEST_F(StageChara, TheDropIconShowsForThirtyTwoOfEveryNinetySixFrames) {
  cItem drop;
  drop.SetData(0, fixture::Item(4), 1);
  cStageChara& c = Place(5, 5, nullptr, &drop);
  EXPECT_TRUE(c.m_DropItem.m_bActive);
  ASSERT_EQ(c.GetDropItem(), &c.m_DropItem);
  std::vector<int> shown;
  for (int frame = 1; frame <= 192; ++frame)
    if (c.StepDropIcon()) shown.push_back(frame);
  ASSERT_EQ(shown.size(), 64u);
  EXPECT_EQ(shown.front(), 64);
  EXPECT_EQ(shown[31], 95);
  EXPECT_EQ(shown[32], 64 + 96);
  cStageChara& none = Place(5, 5);
  EXPECT_EQ(none.GetDropItem(), nullptr);
  for (int frame = 0; frame < 96; ++frame) EXPECT_EQ(none.StepDropIcon(), 0);
}

}  // namespace
