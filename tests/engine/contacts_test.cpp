// The solid contact of bodies with block characters: free-flying bodies pushed out or killed,
// bodies under gravity landing, hanging under, pushed sideways, wedged, crushed, riding and
// leaving their carrier.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/map_grid.h"
#include "fixture/fixture.h"
#include "play_kit.h"
#include "temp_dir.h"

namespace {

class Contacts : public ::testing::Test {
 protected:
  Contacts() : world_(MakeStage()) {}
  static cStage MakeStage() {
    cStage stage = fixture::Stage(30, 20);
    stage.m_nScrollExtraX = (30 + 20) * 32 - 640;
    stage.m_nScrollExtraY = (20 + 20) * 32 - 640;
    return stage;
  }
  // A body of w × h at (x, y), its previous position the same.
  static void Body(cChara& c, double x, double y, int w, int h) {
    c.m_nWidth = w;
    c.m_nHeight = h;
    c.m_dX = x;
    c.m_dY = y;
    c.UpdateFarX();
    c.UpdateFarY();
    c.SavePosition();
  }
  // A block character of w × h at (x, y) moving by (vx, vy).
  cStageChara& Block(double x, double y, int w, int h, double vx = 0, double vy = 0) {
    cCharaData def = fixture::Chara(3);
    def.m_bBlockChara = 1;
    cStageChara& b = world_.AddChara(def, 0, 0);
    Body(b, x, y, w, h);
    b.m_dVX = vx;
    b.m_dVY = vy;
    return b;
  }
  // A 16 × 16 body under gravity at (500, 500), standing still.
  cStageChara& Walker() {
    cStageChara& c = world_.AddChara(fixture::Chara(2), 0, 0);
    c.m_bFree = 0;
    c.m_byBlockMode = 1;
    Body(c, 500, 500, 16, 16);
    return c;
  }
  cStageChara& Flyer(int mode) {
    cStageChara& c = Walker();
    c.m_bFree = 1;
    c.m_byBlockMode = static_cast<uint8_t>(mode);
    return c;
  }
  int Resolve(cChara& c) { return world_.scene.ResolveContacts(c, g_lChara); }

  playkit::PlayWorld world_;
};

TEST_F(Contacts, AFreeBodyOfModeTwoDiesOnTouchingABlockCharacterOnAnySide) {
  struct Case {
    const char* side;
    double x, y;
    int result;
  };
  // The body spans 500..515 on both axes; the block is 32 × 32.
  const Case cases[] = {{"left", 470, 500, 2},   {"right", 514, 500, 2}, {"top", 500, 470, 2},
                        {"bottom", 500, 514, 2}, {"apart", 516, 500, 0}, {"above", 500, 467, 0}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.side);
    g_lChara.Clear();
    world_.events.clear();
    cStageChara& c = Flyer(2);
    Block(k.x, k.y, 32, 32);
    EXPECT_EQ(Resolve(c), k.result);
    EXPECT_EQ(world_.KeysOf(c.m_nId), k.result ? std::vector<int>{5} : std::vector<int>{});
    EXPECT_EQ(c.m_dX, 500);
    EXPECT_EQ(c.m_dY, 500);
  }
}

TEST_F(Contacts, AFreeBodyOfModeZeroIsLeftAlone) {
  cStageChara& c = Flyer(0);
  Block(514, 500, 32, 32);
  EXPECT_EQ(Resolve(c), 0);
  EXPECT_TRUE(world_.events.empty());
  EXPECT_EQ(c.m_bPressRight, 0);
}

TEST_F(Contacts, AFreeBodyOfModeOneIsPushedOutOfStillBlocks) {
  struct Case {
    const char* side;
    double bx, by;
    double x, y;
    int32_t cChara::*pressed;
    int shifted;
  };
  const Case cases[] = {
      {"left", 470, 500, 502, 500, &cChara::m_bPressLeft, 1},
      {"right", 514, 500, 514 - 16, 500, &cChara::m_bPressRight, 1},
      {"top", 500, 470, 500, 502, &cChara::m_bPressTop, 0},
      {"bottom", 500, 514, 500, 514 - 16, &cChara::m_bPressBottom, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.side);
    g_lChara.Clear();
    cStageChara& c = Flyer(1);
    c.m_dAX = c.m_dAY = 0.25;
    Block(k.bx, k.by, 32, 32);
    EXPECT_EQ(Resolve(c), 0);
    EXPECT_EQ(c.m_dX, k.x);
    EXPECT_EQ(c.m_dY, k.y);
    EXPECT_EQ(c.*k.pressed, 1);
    EXPECT_EQ(c.m_bShifted, k.shifted);
    EXPECT_EQ(k.shifted ? c.m_dAX : c.m_dAY, 0);
  }
}

// The block characters are walked from an index of the list: one made after the index was
// built holds the body at once, in the same sub-step, and one taken out of play no longer does.
TEST_F(Contacts, ABlockCharacterMadeOrTakenOutInTheSubStepCountsAtOnce) {
  cStageChara& c = Flyer(1);
  EXPECT_EQ(Resolve(c), 0);
  EXPECT_EQ(c.m_dX, 500);
  // On the right side, as in the push-out case above: x = 514 − 16.
  cStageChara& b = Block(514, 500, 32, 32);
  EXPECT_EQ(Resolve(c), 0);
  EXPECT_EQ(c.m_dX, 514 - 16);
  EXPECT_EQ(c.m_bPressRight, 1);
  cObjectList<cStageChara>::Remove(b);
  Body(c, 500, 500, 16, 16);
  c.m_bPressRight = 0;
  EXPECT_EQ(Resolve(c), 0);
  EXPECT_EQ(c.m_dX, 500);
  EXPECT_EQ(c.m_bPressRight, 0);
}

// A block character moved in the sub-step after the index was built (as a command moves it)
// holds the body where it stands now, not where it stood.
TEST_F(Contacts, ABlockCharacterMovedInTheSubStepCountsWhereItIsNow) {
  cStageChara& c = Flyer(1);
  // Spread out, so that the index's cells tell the two places apart.
  for (int i = 0; i < 40; ++i) Block(100 + 40 * i, 100, 32, 32);
  cStageChara& b = Block(1500, 1500, 32, 32);
  EXPECT_EQ(Resolve(c), 0);
  EXPECT_EQ(c.m_dX, 500);
  b.m_dX = 514;
  b.m_dY = 500;
  b.OnMoveX();
  b.OnMoveY();
  EXPECT_EQ(Resolve(c), 0);
  EXPECT_EQ(c.m_dX, 514 - 16);
  EXPECT_EQ(c.m_bPressRight, 1);
}

TEST_F(Contacts, ABodyFallingOntoABlockCharacterLandsAndRides) {
  cStageChara& c = Walker();
  c.m_dVY = 1;
  c.m_bAirborne = 1;
  c.m_bJumping = 1;
  cStageChara& b = Block(490, 514, 64, 32);
  EXPECT_EQ(Resolve(c), 0);
  EXPECT_EQ(c.m_dY, 514 - 16);
  EXPECT_EQ(c.m_dFarY, 513);
  EXPECT_EQ(c.m_dVY, 0);
  EXPECT_EQ(c.m_bRiding, 1);
  EXPECT_EQ(c.m_bAirborne, 0);
  EXPECT_EQ(c.m_bJumping, 0);
  EXPECT_EQ(c.m_nCarrierId, b.m_nId);
  EXPECT_EQ(c.m_dCarrier[1], 514);
  EXPECT_EQ(world_.KeysOf(c.m_nId), (std::vector<int>{5, 6}));
  EXPECT_EQ(world_.KeysOf(b.m_nId), std::vector<int>{17});
  // Already riding: the carrier hears nothing more; the rider keeps firing 5 and 6.
  world_.events.clear();
  EXPECT_EQ(Resolve(c), 0);
  EXPECT_TRUE(world_.KeysOf(b.m_nId).empty());
  EXPECT_EQ(world_.KeysOf(c.m_nId), (std::vector<int>{5, 6}));
}

TEST_F(Contacts, TheHeroLandingIsAnnouncedToTheCarrierTwice) {
  cPlayer& hero = world_.AddHero(fixture::Hero(), 0, 0);
  hero.m_bFree = 0;
  hero.m_byBlockMode = 1;
  Body(hero, 500, 500, 16, 16);
  hero.m_nJumpHold = 7;
  cStageChara& b = Block(490, 514, 64, 32);
  EXPECT_EQ(Resolve(hero), 0);
  EXPECT_EQ(hero.m_bRiding, 1);
  EXPECT_EQ(hero.m_nJumpHold, 0);
  EXPECT_EQ(world_.KeysOf(b.m_nId), (std::vector<int>{16, 17}));
  const auto& ev = world_.events;
  for (const auto& e : ev) {
    if (e.charaId == b.m_nId) {
      EXPECT_EQ(e.partnerId, hero.m_nId);
    }
  }
}

TEST_F(Contacts, ABlockOverTheHeadHangsTheBodyUnderItUnlessAnotherOffersAFloor) {
  for (bool floor : {false, true}) {
    SCOPED_TRACE(floor);
    g_lChara.Clear();
    world_.events.clear();
    cStageChara& c = Walker();
    // Narrow blocks inside the body's width: the head 2 dots into one, the feet into the other.
    Block(505, 470, 6, 32);
    if (floor) Block(505, 514, 6, 32);
    EXPECT_EQ(Resolve(c), 0);
    if (floor) {
      EXPECT_EQ(c.m_dY, 514 - 16);
      EXPECT_EQ(c.m_bRiding, 1);
      EXPECT_EQ(c.m_bJumping, 0);
    } else {
      EXPECT_EQ(c.m_dY, 502);
      EXPECT_EQ(c.m_bRiding, 0);
      EXPECT_EQ(c.m_bJumping, 1);
      EXPECT_EQ(c.m_bJumpStartA, 1);
    }
  }
}

TEST_F(Contacts, ABodyPassingATopWithinOneSubStepStillLands) {
  CoreTestEnv env(true);
  const double fast = 2 / SubStepsReal();
  for (double vy : {fast + 0.5, fast}) {
    SCOPED_TRACE(vy);
    g_lChara.Clear();
    cStageChara& c = Walker();
    // From y 480 to 510 in the sub-step: the block's top at 514 lies between.
    Body(c, 500, 480, 16, 16);
    c.m_dY = 510;
    c.UpdateFarY();
    c.m_dVY = vy;
    Block(490, 514, 64, 32);
    EXPECT_EQ(Resolve(c), 0);
    if (vy > fast) {
      EXPECT_EQ(c.m_dY, 514 - 16);
      EXPECT_EQ(c.m_bRiding, 1);
      EXPECT_NE(env.ErrorText().find("D Hit"), std::string::npos);
    } else {
      // Not fast enough: the block is beside the upper half, and the body goes left of it.
      EXPECT_EQ(c.m_dX, 490 - 16 - 0.5);
      EXPECT_EQ(c.m_bRiding, 0);
      EXPECT_EQ(c.m_bShifted, 1);
    }
  }
}

TEST_F(Contacts, ABlockBesideTheUpperHalfPushesTheBodyAsideUnlessItIsTheCarrier) {
  for (bool ridesIt : {false, true}) {
    SCOPED_TRACE(ridesIt);
    g_lChara.Clear();
    cStageChara& c = Walker();
    c.m_dVX = -1;
    // 470..501 across, 490..509 down: beside the upper half (500..508) on the left.
    cStageChara& b = Block(470, 490, 32, 20);
    if (ridesIt) {
      // Its remembered rectangle still lies under the feet.
      c.m_bRiding = 1;
      c.m_nCarrierId = b.m_nId;
      c.m_dCarrier[0] = 490;
      c.m_dCarrier[1] = 516;
      c.m_dCarrier[2] = 553;
      c.m_dCarrier[3] = 547;
    }
    EXPECT_EQ(Resolve(c), 0);
    EXPECT_EQ(c.m_dX, 501 + 1.5);
    EXPECT_EQ(c.m_bPressLeft, 1);
    EXPECT_EQ(c.m_bShifted, ridesIt ? 0 : 1);
  }
}

TEST_F(Contacts, APressedBodyStepsOutOfASolidChipByTenthsOfADot) {
  // Grid columns 16 and 17 (dots 512..575), rows 15 and 16.
  const size_t right = static_cast<size_t>(world_.scene.CellIndex(17, 15));
  const size_t left = static_cast<size_t>(world_.scene.CellIndex(16, 15));
  struct Case {
    int rightSolid, leftSolid, steps, farCell;
  };
  // Free, one step short of the edge of column 17, and stuck in both columns (15 steps).
  for (const Case& k : {Case{0, 0, 0, 17}, Case{1, 0, 3, 16}, Case{1, 1, 15, 16}}) {
    SCOPED_TRACE(k.steps);
    g_lChara.Clear();
    g_MapGrid[right] = MapChip(fixture::Block(3));
    g_MapGrid[right].m_byHit = static_cast<uint8_t>(k.rightSolid);
    g_MapGrid[left] = MapChip(fixture::Block(3));
    g_MapGrid[left].m_byHit = static_cast<uint8_t>(k.leftSolid);
    cStageChara& c = Walker();
    Body(c, 527, 500, 16, 16);
    c.m_dVX = -1;
    // Beside the upper half on the left: pushed to 527.75 + 1.5 = 529.25, far x 544.25
    // (column 17); three tenths take the far edge to 543.95, out of column 17.
    Block(496.75, 490, 32, 20);
    EXPECT_EQ(Resolve(c), 0);
    double x = 529.25;
    for (int i = 0; i < k.steps; ++i) x -= 0.1;
    EXPECT_EQ(c.m_dX, x);
    EXPECT_EQ(c.m_nFarCellX, k.farCell);
  }
}

TEST_F(Contacts, AWedgedBodyIsPutUnderTheFirstBlockAndNotCrushed) {
  cStageChara& c = Walker();
  cStageChara& left = Block(470, 490, 32, 40, 0, 0.5);
  Block(514, 490, 32, 40);
  EXPECT_EQ(Resolve(c), 0);
  EXPECT_EQ(c.m_dY, 490 + 40);
  EXPECT_EQ(c.m_dVY, left.m_dVY);
  EXPECT_EQ(c.m_dX, 500);
  EXPECT_EQ(c.m_bPressLeft, 0);
  EXPECT_EQ(c.m_bPressRight, 0);
  EXPECT_EQ(c.m_bJumping, 1);
}

TEST_F(Contacts, ABodyBetweenBlocksMovingTowardEachOtherIsCrushed) {
  struct Case {
    double topVy, bottomVy;
    int result;
  };
  const Case cases[] = {{1, -1, 2}, {0, 0, 0}, {1, 0, 0}, {0, -1, 0}};
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.topVy << " " << k.bottomVy);
    g_lChara.Clear();
    cStageChara& c = Walker();
    Block(490, 470, 64, 32, 0, k.topVy);
    Block(490, 514, 64, 32, 0, k.bottomVy);
    EXPECT_EQ(Resolve(c), k.result);
    EXPECT_EQ(c.m_bPressTop, k.topVy > 0 ? 1 : 0);
    EXPECT_EQ(c.m_bPressBottom, k.bottomVy < 0 ? 1 : 0);
  }
}

TEST_F(Contacts, ABodyCaughtBetweenSideBlocksUnderAFloorIsCrushed) {
  cStageChara& c = Walker();
  c.m_dVX = 1;
  // A floor under the feet and a block on each side of the upper half.
  Block(490, 514, 64, 32);
  Block(470, 490, 32, 20);
  Block(514, 490, 32, 20);
  EXPECT_EQ(Resolve(c), 2);
  EXPECT_EQ(c.m_bPressLeft, 1);
  EXPECT_EQ(c.m_bPressRight, 1);
}

TEST_F(Contacts, AHangingTrialOnACopyLeavesTheLinksAndIsRefusedByAnotherBlock) {
  for (bool rising : {true, false}) {
    SCOPED_TRACE(rising);
    g_lChara.Clear();
    cStageChara& c = Walker();
    cStageChara& other = world_.AddChara(fixture::Chara(2), 3, 3);
    c.SetTarget(1, &other);
    Block(490, 470, 64, 32, 0, rising ? -1 : 0);
    // A block against the right edge of the lower body, in the place the trial would take.
    Block(514, 510, 10, 10);
    EXPECT_EQ(Resolve(c), 0);
    EXPECT_EQ(c.m_vTarget[1], &other);
    EXPECT_EQ(other.m_vBackRef.size(), 1u);
    EXPECT_EQ(c.m_dY, rising ? 500 : 502);
    EXPECT_EQ(c.m_bJumping, rising ? 0 : 1);
    EXPECT_EQ(c.m_dX, 514 - 16 - 0.5);
  }
}

TEST_F(Contacts, ARiderFollowsItsCarrierAndLeavesWhenNothingIsUnderItsFeet) {
  cStageChara& c = Walker();
  Body(c, 500, 498, 16, 16);
  cStageChara& p1 = Block(490, 514, 64, 32);
  c.m_bRiding = 1;
  c.m_nCarrierId = p1.m_nId;
  c.m_dCarrier[0] = 490;
  c.m_dCarrier[1] = 514;
  c.m_dCarrier[2] = 553;
  c.m_dCarrier[3] = 545;
  c.m_nAirCount = 3;
  EXPECT_EQ(Resolve(c), 0);
  EXPECT_EQ(c.m_nAirCount, 0);
  EXPECT_EQ(world_.KeysOf(c.m_nId), (std::vector<int>{5, 6}));
  // The carrier moved away: the remembered rectangle still holds it this once.
  Body(p1, 700, 514, 64, 32);
  EXPECT_EQ(Resolve(c), 0);
  EXPECT_EQ(c.m_dCarrier[0], 700);
  // Now another block under the feet takes over.
  cStageChara& p2 = Block(480, 518, 64, 32);
  EXPECT_EQ(Resolve(c), 0);
  EXPECT_EQ(c.m_bRiding, 1);
  EXPECT_EQ(c.m_nCarrierId, p2.m_nId);
  // Nothing under the feet: the carrier is followed to its new place once, then left.
  Body(p2, 480, 600, 64, 32);
  c.m_dVY = 0.5;
  EXPECT_EQ(Resolve(c), 0);
  EXPECT_EQ(c.m_bRiding, 1);
  EXPECT_EQ(c.m_dCarrier[1], 600);
  EXPECT_EQ(Resolve(c), 0);
  EXPECT_EQ(c.m_bRiding, 0);
  EXPECT_EQ(c.m_bShifted, 1);
  EXPECT_EQ(c.m_dVY, 0);
}

TEST_F(Contacts, AnUpwardKnockThrowsTheRiderOff) {
  cStageChara& c = Walker();
  Body(c, 500, 498, 16, 16);
  cStageChara& p = Block(490, 514, 64, 32);
  c.m_bRiding = 1;
  c.m_nCarrierId = p.m_nId;
  c.m_dKnockY = -1;
  c.m_dVY = -2;
  EXPECT_EQ(Resolve(c), 0);
  EXPECT_EQ(c.m_bRiding, 0);
  EXPECT_EQ(c.m_bShifted, 1);
  EXPECT_EQ(c.m_dVY, -2);
}

TEST_F(Contacts, TheFeetStripReachesFiveDotsBelow) {
  for (double top : {520.0, 521.0}) {
    SCOPED_TRACE(top);
    g_lChara.Clear();
    cStageChara& w = Walker();  // far y 515
    cStageChara& b = Block(490, top, 64, 32);
    w.m_dCarrier[0] = 490;
    w.m_dCarrier[1] = top;
    w.m_dCarrier[2] = 553;
    w.m_dCarrier[3] = top + 31;
    bool under = top <= 515 + 5;
    EXPECT_EQ(world_.scene.IsStillRiding(w), under ? 1 : 0);
    EXPECT_EQ(world_.scene.FindCarrier(w), under ? &b : nullptr);
  }
}

TEST_F(Contacts, BlockQueriesTakeEdgesInclusively) {
  cStageChara& c = Walker();  // 500..515
  EXPECT_EQ(c.OverlapsRect(515, 515, 600, 600), 1);
  EXPECT_EQ(c.OverlapsRect(515.5, 400, 600, 600), 0);
  EXPECT_EQ(c.OverlapsRect(400, 400, 500, 500), 1);
  EXPECT_EQ(c.OverlapsRect(400, 400, 499.5, 600), 0);
  cStageChara& b = Block(516, 500, 10, 10);
  EXPECT_EQ(world_.scene.OverlapsBlockChara(c, 0), 0);
  Body(b, 515, 500, 10, 10);
  EXPECT_EQ(world_.scene.OverlapsBlockChara(c, 0), 1);
  EXPECT_EQ(world_.scene.OverlapsBlockChara(c, b.m_nId), 0);
  b.m_bDead = 1;
  EXPECT_EQ(world_.scene.OverlapsBlockChara(c, 0), 0);
}

TEST_F(Contacts, ASqueezeNeedsEverySideHeldWholeByABlock) {
  cStageChara& c = Walker();  // 500..515
  const double saved[4] = {500, 500, 515, 515};
  Block(480, 480, 21, 60);  // holds the left side: 480..500
  Block(515, 480, 20, 60);  // the right side
  Block(480, 470, 60, 31);  // the top: 470..500
  EXPECT_EQ(world_.scene.IsSqueezed(c, saved), 0);
  cStageChara& floor = Block(480, 515, 60, 10);
  EXPECT_EQ(world_.scene.IsSqueezed(c, saved), 1);
  // The bottom held at the saved position only.
  Body(floor, 480, 520, 60, 10);
  const double low[4] = {500, 505, 515, 520};
  EXPECT_EQ(world_.scene.IsSqueezed(c, low), 1);
  EXPECT_EQ(world_.scene.IsSqueezed(c, saved), 0);
}

}  // namespace
