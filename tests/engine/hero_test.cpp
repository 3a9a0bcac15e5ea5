// The hero: its placement, body and boxes from the stage settings, the camera that follows it,
// its steps and the jump that depends on how long the key is held.
#include <gtest/gtest.h>

#include <memory>

#include "engine/flow_seam.h"
#include "engine/map_grid.h"
#include "project/global_data.h"
#include "fixture/fixture.h"
#include "play_kit.h"
#include "script/cmd_dispatch.h"
#include "script/cmd_state.h"

namespace {

class Hero : public ::testing::Test {
 protected:
  // A 40 × 30 stage at two sub-steps per frame.
  void Build(void (*edit)(cStage&) = nullptr) {
    cStage stage = fixture::Stage(40, 30);
    stage.m_nSpeedLevel = 2;
    if (edit) edit(stage);
    world_.reset();
    world_ = std::make_unique<playkit::PlayWorld>(stage);
  }
  cPlayer& Place(int cellX = 20, int cellY = 15, void (*edit)(cCharaData&) = nullptr) {
    cCharaData def = fixture::Hero();
    if (edit) edit(def);
    return world_->PlaceHero(def, cellX, cellY);
  }
  cPlayScene& Scene() { return world_->scene; }

  std::unique_ptr<playkit::PlayWorld> world_;
};

TEST_F(Hero, PlacementTakesBodyAndBoxesFromTheStage) {
  Build([](cStage& s) {
    s.m_nHeroW = 16;
    s.m_nHeroH = 24;
    s.m_bHeroBottom = 1;
    s.m_nHeroContactW = 10;
    s.m_nHeroContactH = 20;
    s.m_bHeroContactBottom = 1;
    s.m_nHeroShotHitW = 12;
    s.m_nHeroShotHitH = 8;
    s.m_nHeroItemW = 20;
    s.m_nHeroItemH = 6;
  });
  cPlayer& h = Place(20, 15);
  // The body stands on the bottom of its 32-dot cell, centred across it.
  EXPECT_EQ(h.m_nGraphicX, 8);
  EXPECT_EQ(h.m_nGraphicY, 8);
  EXPECT_EQ(h.m_dX, 30 * 32 + 8);
  EXPECT_EQ(h.m_dY, 25 * 32 + 8);
  EXPECT_EQ(h.m_dFarX, 30 * 32 + 8 + 15);
  EXPECT_EQ(h.m_dFarY, 25 * 32 + 8 + 23);
  // Box A anchored at the bottom: 16 − 8 − 5, 32 − 8 − 20; B and C centred in the cell.
  EXPECT_EQ(h.m_BoxA.nOffsetX, 3);
  EXPECT_EQ(h.m_BoxA.nOffsetY, 4);
  EXPECT_EQ(h.m_BoxB.nOffsetX, 16 - 6 - 8);
  EXPECT_EQ(h.m_BoxB.nOffsetY, 16 - 4 - 8);
  EXPECT_EQ(h.m_BoxC.nOffsetX, 16 - 10 - 8);
  EXPECT_EQ(h.m_BoxC.nOffsetY, 16 - 3 - 8);
  EXPECT_EQ(h.m_BoxC.dLeft, 30 * 32 + 8 - 2);
  EXPECT_EQ(h.m_BoxC.dRight, 30 * 32 + 8 - 2 + 19);
  EXPECT_EQ(h.m_BoxC.dTop, 25 * 32 + 8 + 5);
  EXPECT_EQ(h.m_BoxC.dBottom, 25 * 32 + 8 + 5 + 5);
  EXPECT_EQ(h.m_nJumpHold, 0);
  EXPECT_EQ(h.m_bJumpReady, 1);
  EXPECT_DOUBLE_EQ(h.m_dBlockEffectRate, 2.0);
  EXPECT_EQ(h.m_lpInput, &g_vInput[0]);
}

TEST_F(Hero, ContactBoxChoices) {
  Build([](cStage& s) {
    s.m_nHeroW = 16;
    s.m_nHeroH = 16;
    s.m_bHeroBottom = 0;
    s.m_nHeroShotHitW = 12;
    s.m_nHeroShotHitH = 8;
    // Choice 2 takes the size of the hero side's shots, not the characters'.
    s.m_nHeroShotW = 6;
    s.m_nHeroShotH = 4;
    s.m_nCharaShotW = 2;
    s.m_nCharaShotH = 2;
  });
  struct Case {
    int choice;
    int w, h, ox, oy;
  };
  // Graphic offset 8, 8: a centred box of w × h lies at 16 − 8 − (w >> 1).
  for (Case c : {Case{1, 12, 8, 2, 4}, Case{2, 6, 4, 5, 6}, Case{3, 32, 32, -8, -8}}) {
    SCOPED_TRACE(c.choice);
    static int choice;
    choice = c.choice;
    cPlayer& h = Place(20, 15, [](cCharaData& d) { d.m_byContactBox = static_cast<uint8_t>(choice); });
    EXPECT_EQ(h.m_BoxA.nWidth, c.w);
    EXPECT_EQ(h.m_BoxA.nHeight, c.h);
    EXPECT_EQ(h.m_BoxA.nOffsetX, c.ox);
    EXPECT_EQ(h.m_BoxA.nOffsetY, c.oy);
  }
}

TEST_F(Hero, ZoomScalesTheBodyAndEveryBox) {
  Build([](cStage& s) {
    s.m_nHeroW = 16;
    s.m_nHeroH = 24;
    s.m_nHeroItemW = 20;
    s.m_nHeroItemH = 6;
  });
  cPlayer& h = Place(20, 15, [](cCharaData& d) { d.m_byZoom = 3; });
  EXPECT_EQ(h.m_nWidth, 48);
  EXPECT_EQ(h.m_nHeight, 72);
  EXPECT_EQ(h.m_nGraphicW, 96);
  EXPECT_EQ(h.m_BoxC.nWidth, 60);
  EXPECT_EQ(h.m_BoxC.nOffsetX, 3 * (16 - 10 - 8));
  EXPECT_EQ(h.m_BoxC.nBaseWidth, 20);
}

TEST_F(Hero, ZeroSizedBodyCentresTheCameraOnThePosition) {
  Build([](cStage& s) {
    s.m_nHeroW = 0;
    s.m_nHeroH = 0;
    s.m_bHeroBottom = 0;
  });
  cPlayer& h = Place(20, 15);
  EXPECT_EQ(h.m_nGraphicX, 16);
  EXPECT_EQ(h.m_nGraphicY, 16);
  EXPECT_EQ(h.m_nWidth, 0);
  h.OnMoveX();
  h.OnMoveY();
  EXPECT_EQ(Scene().m_ScrollX.m_dPos, h.m_dX - 320);
  EXPECT_EQ(Scene().m_ScrollY.m_dPos, h.m_dY - 240);
}

TEST_F(Hero, CameraFollowStopsAtTheScrollLimits) {
  Build();
  cPlayer& h = Place(20, 15);
  cScroll& sx = Scene().m_ScrollX;
  h.OnMoveX();
  EXPECT_EQ(sx.m_dPos, h.m_dX - (320 - (h.m_nWidth >> 1)));
  h.m_dX = sx.m_nMin + 5.0;
  h.OnMoveX();
  EXPECT_EQ(sx.m_dPos, sx.m_nMin);
  h.m_dX = sx.m_nMax - 300.0;
  h.OnMoveX();
  EXPECT_EQ(sx.m_dPos, sx.m_nMax - 640);
  // One dot inside the last position that does not reach the limit.
  h.m_dX = sx.m_nMax - 640 + 320 - (h.m_nWidth >> 1) - 1.0;
  h.OnMoveX();
  EXPECT_EQ(sx.m_dPos, sx.m_nMax - 641);
}

TEST_F(Hero, AnAutoScrollKeepsTheCameraAndTheScreenPositionTruncatesBothParts) {
  Build([](cStage& s) {
    s.m_nScrollModeX = 1;
    s.m_nAutoSpeedX = 10;
  });
  cPlayer& h = Place(20, 15);
  cScroll& sx = Scene().m_ScrollX;
  sx.m_dPos = 400.7;
  h.m_dX = 700.6;
  h.OnMoveX();
  EXPECT_EQ(sx.m_dPos, 400.7);
  h.CalcScreenRect();
  EXPECT_EQ(h.m_rcScreen.left, 700 - 400 - h.m_nGraphicX);
  sx.m_nMin = 0;
  Build();
  cPlayer& g = Place(20, 15);
  g.m_dX = 700.6;
  Scene().m_ScrollX.m_dPos = 400.7;
  g.CalcScreenRect();
  EXPECT_EQ(g.m_rcScreen.left, static_cast<int>(700.6 - 400.7 - g.m_nGraphicX));
}

TEST_F(Hero, EveryCallerGetsTheHerosOwnScreenPosition) {
  Build([](cStage& s) {
    s.m_nScrollModeY = 1;
    s.m_nAutoSpeedY = 10;
  });
  cPlayer& h = Place(20, 15, [](cCharaData& d) { d.m_byFlying = 1; });
  Scene().m_ScrollY.m_dPos = 400.2;
  Scene().m_ScrollY.m_bPinned = 0;
  h.m_dY = 700.6;
  // Through the root (as the screen-edge tests and the aimed moves call it): truncated
  // position minus truncated scroll, 700 − 400.
  cObject& root = h;
  root.CalcScreenRect();
  EXPECT_EQ(h.m_rcScreen.top, 300 - h.m_nGraphicY);
  EXPECT_EQ(h.m_rcScreen.bottom, 300 - h.m_nGraphicY + 31);
}

TEST_F(Hero, VerticalStepTurnsFallingOutIntoDeathOnlyUnderGravity) {
  Build();
  cPlayer& h = Place(20, 28);
  h.m_dY = Scene().m_ScrollY.m_nOuter - 2.0;
  h.m_dVY = 5;
  EXPECT_EQ(h.StepY(), 7);
  cPlayer& f = Place(20, 28, [](cCharaData& d) { d.m_byFlying = 1; });
  f.m_dY = Scene().m_ScrollY.m_nOuter - 2.0;
  f.m_dVY = 5;
  EXPECT_NE(f.StepY(), 7);
  // Other codes pass unchanged: leaving the field at the top is 3.
  cPlayer& g = Place(20, 0);
  g.m_dY = 1;
  g.m_dVY = -5;
  EXPECT_EQ(g.StepY(), 3);
}

TEST_F(Hero, ActCarriesTheHeroWithTheAutoScrollUnderBothSettingsOfTheSwitch) {
  Build([](cStage& s) {
    s.m_nScrollModeX = 1;
    s.m_nAutoSpeedX = 10;
    s.m_nScrollModeY = 1;
    s.m_nAutoSpeedY = 20;
  });
  const double ax = Scene().m_ScrollX.m_dAutoSpeed;
  const double ay = Scene().m_ScrollY.m_dAutoSpeed;
  ASSERT_NE(ax, 0);
  ASSERT_NE(ay, 0);
  struct Case {
    int legacy;
    int flying;
    int sync;
    double vx, vy;
  };
  // vy 9 stands for a velocity that the act leaves alone.
  for (Case c : {Case{1, 1, 0, ax, ay}, Case{1, 0, 1, 0, 9}, Case{0, 1, 1, ax, ay}, Case{0, 0, 1, ax, 9},
                 Case{0, 1, 0, 0, 0}, Case{0, 0, 0, 0, 9}}) {
    SCOPED_TRACE(testing::Message() << c.legacy << c.flying << c.sync);
    g_SystemData.m_bLegacy214 = c.legacy;
    static int flying;
    flying = c.flying;
    cPlayer& h = Place(20, 15, [](cCharaData& d) { d.m_byFlying = static_cast<uint8_t>(flying); });
    h.m_bScrollSync = c.sync;
    Scene().m_ScrollX.m_bPinned = 0;
    Scene().m_ScrollY.m_bPinned = 0;
    h.m_dVX = 9;
    h.m_dVY = 9;
    EXPECT_EQ(h.Act(0), 0);
    EXPECT_EQ(h.m_dVX, c.vx);
    EXPECT_EQ(h.m_dVY, c.vy);
    // A scroll standing at a limit carries nothing.
    Scene().m_ScrollX.m_bPinned = 1;
    h.m_dVX = 9;
    h.Act(0);
    EXPECT_EQ(h.m_dVX, 0);
  }
}

TEST_F(Hero, BoxDisplayIsSortedLargestFirstWithTheChosenColours) {
  Build([](cStage& s) {
    s.m_nHeroW = 16;
    s.m_nHeroH = 24;
    s.m_nHeroContactW = 30;
    s.m_nHeroContactH = 30;
    s.m_nHeroShotHitW = 4;
    s.m_nHeroShotHitH = 4;
    s.m_nHeroItemW = 20;
    s.m_nHeroItemH = 20;
    s.m_nShowContact = 2;
    s.m_nContactColor = 7;
    s.m_nBodyColor = 1;
  });
  cPlayer& h = Place();
  ASSERT_EQ(h.m_vBoxDisplay.size(), 4u);
  EXPECT_EQ(h.m_vBoxDisplay[0].nType, 1);
  EXPECT_EQ(h.m_vBoxDisplay[0].nMode, 2);
  EXPECT_EQ(h.m_vBoxDisplay[0].nColor, 236);
  // Areas: box A 900, box C 400, body 384, box B 16.
  EXPECT_EQ(h.m_vBoxDisplay[1].nType, 2);
  EXPECT_EQ(h.m_vBoxDisplay[1].nColor, 208);
  EXPECT_EQ(h.m_vBoxDisplay[2].nType, 0);
  EXPECT_EQ(h.m_vBoxDisplay[2].nColor, 212);
  EXPECT_EQ(h.m_vBoxDisplay[3].nType, 3);
}

// The jump step driven by a stand-in for the flow that runs the jump command.
class HeroJump : public Hero {
 protected:
  void SetUp() override {
    Build();
    hero_ = &Place(20, 15);
    MapChip& floor = g_MapGrid[static_cast<size_t>(Scene().CellIndex(30, 26))];
    floor = MapChip(fixture::Block(3));
    hero_->m_lpFloor = &floor;
    hero_->m_bAirborne = 0;
    s_held = 1;
    g_lpfnJumpKeyHeld = [](cPlayer&, cCmdState&) { return s_held; };
    // The hero runs one long flow of a key-adjustable jump command with sound 4; its state
    // gets a hold limit of 6 sub-steps and a start speed of -3.
    cFlowCmd jump;
    jump.m_byKind = CMD_JUMP;
    jump.m_vParam.assign(5, 0);
    jump.m_vParam[0] = 1;
    jump.m_sSound = 4;
    jump.m_sTime = 1000;
    cFlow flow;
    flow.m_vCmd.assign(1, jump);
    hero_->m_Data.m_vFlow.assign(1, flow);
    hero_->BuildFlows(hero_->m_Data.m_vFlow, 0, -1);
    hero_->m_vFlowRun[0].Start(*hero_);
    state_ = &hero_->m_vFlowRun[0].m_vCmdState[0];
    cmd_ = state_->m_pCmd;
    state_->m_nDuration = 6;
    state_->m_dSpeed = -3;
  }
  // One sub-step: the act (which steps the jump); then the hero leaves the floor once rising.
  void SubStep(int held, int index = 1) {
    s_held = held;
    Scene().m_nSubStep = index;
    double vy = hero_->m_dVY;
    hero_->Act(0);
    hero_->m_dVY = hero_->m_dVY == 0 ? vy : hero_->m_dVY;
    if (hero_->m_dVY < 0) hero_->m_lpFloor = nullptr;
  }

  static int s_held;
  // The jump command of the hero's flow and its state in the run.
  cFlowCmd* cmd_ = nullptr;
  cCmdState* state_ = nullptr;
  cPlayer* hero_ = nullptr;
};

int HeroJump::s_held = 1;

TEST_F(HeroJump, ReleasingAtCounterOneCutsTheRiseToThirtyPercent) {
  playkit::WindowRequestRecorder sounds;
  SubStep(1);
  EXPECT_EQ(hero_->m_dVY, -3);
  EXPECT_EQ(state_->m_bStarted, 1);
  EXPECT_EQ(sounds.Sounds(), (std::vector<int>{4 + 16}));
  SubStep(0);
  EXPECT_EQ(hero_->m_dVY, -3 * 0.3);
  EXPECT_EQ(hero_->m_bRiseEnded, 1);
  EXPECT_EQ(hero_->m_nJumpHold, 0);
}

TEST_F(HeroJump, HoldingForTheWholeDurationKeepsTheFullJump) {
  for (int i = 0; i < 6; ++i) SubStep(1);
  EXPECT_EQ(hero_->m_nJumpHold, 6);
  EXPECT_EQ(hero_->m_bRiseEnded, 1);
  EXPECT_EQ(hero_->m_bJumpReady, 0);
  SubStep(0);
  EXPECT_EQ(hero_->m_dVY, -3);
}

TEST_F(HeroJump, ReleaseOneSubStepBeforeTheEndStillCuts) {
  for (int i = 0; i < 5; ++i) SubStep(1);
  SubStep(0);
  EXPECT_EQ(hero_->m_dVY, -3 * 0.3);
}

TEST_F(HeroJump, TheJumpStartsOnlyWithinTheFirstFrameOfThePress) {
  struct Case {
    int heldBefore;
    double vy;
  };
  // k = 2: the counter may reach 2, not 3.
  for (Case c : {Case{1, -3}, Case{2, 0}}) {
    SCOPED_TRACE(c.heldBefore);
    hero_->m_dVY = 0;
    hero_->m_nJumpHold = c.heldBefore;
    state_->m_bStarted = 0;
    SubStep(1);
    EXPECT_EQ(hero_->m_dVY, c.vy);
    EXPECT_EQ(hero_->m_nJumpHold, c.heldBefore + 1);
  }
}

TEST_F(HeroJump, ARidingHeroJumpsOnlyOnTheLastSubStepAndTwoPercentFaster) {
  hero_->m_lpFloor = nullptr;
  hero_->m_bRiding = 1;
  SubStep(1, 1);
  EXPECT_EQ(hero_->m_dVY, 0);
  EXPECT_EQ(hero_->m_bRiding, 1);
  EXPECT_EQ(state_->m_bStarted, 0);
  SubStep(1, 2);
  EXPECT_EQ(hero_->m_dVY, -3 * 1.0199999809265137);
  EXPECT_EQ(hero_->m_bRiding, 0);
  EXPECT_EQ(state_->m_bStarted, 1);
}

TEST_F(HeroJump, ForbiddenAndBlockedJumpsDoNotStart) {
  struct Case {
    int noJump, blockA, blockB;
  };
  for (Case c : {Case{1, 0, 0}, Case{0, 1, 0}, Case{0, 0, 1}}) {
    hero_->m_bNoJump = c.noJump;
    hero_->m_bJumpStartA = c.blockA;
    hero_->m_bJumpStartB = c.blockB;
    hero_->m_dVY = 0;
    hero_->m_nJumpHold = 0;
    Scene().m_nSubStep = 1;
    hero_->StepJump(*state_);
    EXPECT_EQ(hero_->m_dVY, 0);
    hero_->m_bJumpStepped = 0;
  }
}

TEST_F(HeroJump, NothingHappensInFreeVerticalMovementOrTwiceInOneSubStep) {
  hero_->ApplyPlacement(1, 0);
  hero_->StepJump(*state_);
  EXPECT_EQ(hero_->m_dVY, 0);
  EXPECT_EQ(hero_->m_nJumpHold, 0);
  hero_->ApplyPlacement(0, 0);
  hero_->m_bJumpStepped = 1;
  hero_->StepJump(*state_);
  EXPECT_EQ(hero_->m_dVY, 0);
}

TEST_F(HeroJump, LandingWithTheKeyReleasedEndsTheCommand) {
  state_->m_nRemaining = 10;
  SubStep(0);
  EXPECT_EQ(state_->m_nRemaining, 0);
  // Height mode 0 counts the key as held: the command goes on.
  cmd_->m_vParam[0] = 0;
  state_->m_nRemaining = 10;
  hero_->m_dVY = 0;
  hero_->m_bJumpStepped = 0;
  hero_->StepJump(*state_);
  EXPECT_EQ(state_->m_nRemaining, 10);
  // A run without key entries, standing: the jump is made ready again for the next start.
  g_lpfnJumpKeyHeld = [](cPlayer&, cCmdState&) { return -1; };
  state_->m_bStarted = 1;
  hero_->m_bJumpStartB = 1;
  hero_->m_dVY = 0;
  hero_->m_bJumpStepped = 0;
  hero_->StepJump(*state_);
  EXPECT_EQ(state_->m_nRemaining, 10);
  EXPECT_EQ(state_->m_bStarted, 0);
  EXPECT_EQ(hero_->m_bJumpStartB, 0);
  EXPECT_EQ(hero_->m_nJumpHold, 0);
}

TEST_F(Hero, ItemCommandsDeferredDuringTheFlowsAreAppliedAfterThemInOrder) {
  Build();
  cPlayer& h = Place();
  auto ids = [&h]() {
    std::vector<int> v;
    for (const cFlow& f : h.m_Data.m_vFlow) v.push_back(f.m_byId);
    return v;
  };
  const std::vector<int> before = ids();
  // "追加" of a flow with ID 7, then of one with ID 3.
  for (int n : {7, 3}) {
    cFlowCmd cmd;
    cmd.m_vParam.assign(2, 0);
    cFlow added;
    added.m_byId = static_cast<uint8_t>(n);
    cmd.m_vFlow.assign(1, added);
    h.m_vDeferredFlowCmd.push_back(cmd);
  }
  h.Act(0);
  std::vector<int> expected = before;
  expected.push_back(7);
  expected.push_back(3);
  EXPECT_EQ(ids(), expected);
  EXPECT_EQ(h.m_vFlowRun.size(), expected.size());
  EXPECT_TRUE(h.m_vDeferredFlowCmd.empty());
  h.Act(0);
  EXPECT_EQ(ids(), expected);
}

TEST_F(HeroJump, HeightBySpeedOfTheInertiaMove) {
  // Full height 4 at speed 40 / 10 / k = 2 and above, lowest height 1 at 0.
  cmd_->m_vParam = {2, 40, 4, 0, 1};
  struct Case {
    double ax;
    double vy;
  };
  // 2 and 4 half-blocks at gravity 0.1 per sub-step, with the hero's factor 0.98.
  for (Case c : {Case{1, -2.5287098620604787}, Case{-2, -3.5554969699117094}, Case{5, -3.5554969699117094}}) {
    SCOPED_TRACE(c.ax);
    hero_->m_dAX = c.ax;
    hero_->m_dVY = 0;
    hero_->m_nJumpHold = 0;
    hero_->m_bJumpReady = 1;
    hero_->m_bRiseEnded = 0;
    hero_->m_bJumpStepped = 0;
    state_->m_bStarted = 0;
    hero_->StepJump(*state_);
    EXPECT_DOUBLE_EQ(hero_->m_dVY, c.vy);
  }
}

TEST_F(HeroJump, AnActWithoutAJumpStepMakesTheNextJumpReady) {
  hero_->m_vFlowRun[0].Pause();
  hero_->m_nJumpHold = 4;
  hero_->m_bJumpReady = 0;
  hero_->m_bJumpStartA = 1;
  hero_->Act(0);
  EXPECT_EQ(hero_->m_nJumpHold, 0);
  EXPECT_EQ(hero_->m_bJumpReady, 1);
  EXPECT_EQ(hero_->m_bJumpStartA, 0);
}

}  // namespace
