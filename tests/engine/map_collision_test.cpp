// Map-chip collision on grids built from stage records: edges, floors and ceilings, deadly
// chips, probes, screen edges, the placement test, and probes at and beyond the grid border.
#include <gtest/gtest.h>

#include <vector>

#include "engine/map_grid.h"
#include "fixture/fixture.h"
#include "play_kit.h"

namespace {

// Dots of stage cell c on an axis.
constexpr int Dot(int c) { return (c + 10) * 32; }

class MapCollision : public ::testing::Test {
 protected:
  // A stage 20 × 15 with the blocks given as {column, row, graphic, hit}.
  struct Cell {
    int x;
    int y;
    int graphic;
    int hit;
  };
  void Build(std::initializer_list<Cell> cells) {
    cStage stage = fixture::Stage(20, 15);
    for (const Cell& c : cells) {
      cBlockData b = fixture::Block(c.graphic);
      b.m_byHit = static_cast<uint8_t>(c.hit);
      fixture::Place(stage, b, c.x, c.y);
    }
    world_.reset();
    world_ = std::make_unique<playkit::PlayWorld>(stage);
  }
  cChara& Chara(double x, double y, int flying = 0) {
    cCharaData def = fixture::Chara(1);
    def.m_byFlying = static_cast<uint8_t>(flying);
    cChara& c = world_->AddChara(def, 0, 0);
    Put(c, x, y);
    return c;
  }
  cChara& Hero(double x, double y) {
    cChara& h = world_->AddHero(fixture::Hero(), 0, 0);
    Put(h, x, y);
    return h;
  }
  static void Put(cChara& c, double x, double y) {
    c.m_dX = x;
    c.m_dY = y;
    c.UpdateFarX();
    c.UpdateFarY();
  }
  cPlayScene& Scene() { return world_->scene; }
  MapChip& ChipAt(int x, int y) { return g_MapGrid[static_cast<size_t>(Scene().CellIndex(x + 10, y + 10))]; }

  std::unique_ptr<playkit::PlayWorld> world_;
};

TEST_F(MapCollision, GridHoldsThePlacedBlocksAndEmptyCellsPass) {
  Build({{0, 0, 5, 1}, {19, 14, 6, 2}, {3, 7, 7, 1}});
  ASSERT_EQ(g_MapGrid.size(), static_cast<size_t>(64 * 35));
  EXPECT_EQ(g_MapGrid[static_cast<size_t>(10 + (10 << 6))].m_wGraphic, 5);
  EXPECT_EQ(g_MapGrid[static_cast<size_t>(29 + (24 << 6))].m_wGraphic, 6);
  EXPECT_EQ(g_MapGrid[static_cast<size_t>(13 + (17 << 6))].m_wGraphic, 7);
  int passing = 0;
  for (MapChip& chip : g_MapGrid) passing += chip.GetHitType(1) == 0;
  EXPECT_EQ(passing, 64 * 35 - 3);
}

TEST_F(MapCollision, ProbesAtAndBeyondTheGridBorderReadTheNearestBorderCell) {
  Build({{0, 0, 5, 1}});
  cPlayScene& s = Scene();
  const int last = 63 + (34 << 6);
  EXPECT_EQ(s.CellIndex(-5, -5), 0);
  EXPECT_EQ(s.CellIndex(0, 0), 0);
  EXPECT_EQ(s.CellIndex(63, 34), last);
  EXPECT_EQ(s.CellIndex(64, 0), 63);
  EXPECT_EQ(s.CellIndex(1000000, 1000000), last);
  EXPECT_EQ(s.CellAtDot(-1, -1), 0);
  // Bodies far outside the grid on every side collide with nothing and touch no memory
  // outside it.
  const double places[][2] = {{-500, -500}, {-0.5, 400}, {5000, 400}, {400, 9000}, {1e9, -1e9}, {-3e9, 3e9}};
  for (const auto& p : places) {
    cChara& c = Chara(p[0], p[1]);
    EXPECT_EQ(s.MoveMapX(c), 0);
    EXPECT_EQ(s.MoveMapY(c), 0);
    EXPECT_EQ(s.RetestX(c), 0);
    EXPECT_EQ(s.RetestY(c), 0);
    EXPECT_EQ(s.IsPlaceBlocked(c), 0);
    EXPECT_FALSE(c.CornerBlocked());
  }
}

TEST_F(MapCollision, SideWallsPushToTheCellBoundaryKeepingTheFraction) {
  Build({{3, 5, 5, 1}, {4, 8, 5, 1}});
  // Left: x 420.25 lies in stage column 3; 420 & 31 = 4, so x += 28.
  cChara& a = Chara(420.25, Dot(5) + 4);
  a.m_dAX = 0.3;
  a.m_dVX = -2;
  EXPECT_EQ(Scene().HitLeft(a), 0);
  EXPECT_EQ(a.m_dX, 448.25);
  EXPECT_EQ(a.m_bPressLeft, 1);
  EXPECT_EQ(a.m_nWallSide, 0);
  EXPECT_EQ(a.m_dAX, 0);
  EXPECT_EQ(a.m_dVX, -2);
  EXPECT_EQ(world_->KeysOf(a.m_nId), (std::vector<int>{9, 10, 11}));
  // Right: far x 479.75 (column 4); 479 & 31 = 31, so x -= 32.
  cChara& b = Chara(479.75 - 15, Dot(8));
  EXPECT_EQ(Scene().HitRight(b), 0);
  EXPECT_EQ(b.m_dX, 464.75 - 32);
  EXPECT_EQ(b.m_bPressRight, 1);
  EXPECT_EQ(b.m_nWallSide, 1);
  EXPECT_EQ(world_->KeysOf(b.m_nId), (std::vector<int>{9, 10, 12}));
}

TEST_F(MapCollision, DeadlyChipStopsAComputerCharacterAndKillsTheHero) {
  Build({{3, 5, 5, 2}});
  cChara& c = Chara(420.25, Dot(5) + 4);
  EXPECT_EQ(Scene().HitLeft(c), 0);
  EXPECT_EQ(c.m_dX, 448.25);
  cChara& h = Hero(420.25, Dot(5) + 4);
  EXPECT_EQ(Scene().HitLeft(h), 2);
  EXPECT_EQ(h.m_dX, 420.25);
  EXPECT_EQ(h.m_bPressLeft, 0);
  EXPECT_TRUE(world_->KeysOf(h.m_nId).empty());
  h.m_dVX = -1;
  EXPECT_EQ(Scene().MoveMapX(h), 2);
}

TEST_F(MapCollision, MovementModeThreeDiesOnEverySide) {
  // A body in the middle of a ring of solid chips: columns 2 and 4, rows 4 and 6.
  Build({{2, 5, 5, 1}, {4, 5, 5, 1}, {3, 4, 5, 1}, {3, 6, 5, 1}});
  cChara& c = Chara(Dot(3) - 4, Dot(5) - 4, 3);
  c.m_nWidth = c.m_nHeight = 40;
  c.UpdateFarX();
  c.UpdateFarY();
  ASSERT_EQ(c.m_byBlockMode, 2);
  EXPECT_EQ(Scene().HitLeft(c), 2);
  EXPECT_EQ(Scene().HitRight(c), 2);
  EXPECT_EQ(Scene().HitCeiling(c), 2);
  EXPECT_EQ(Scene().HitFloor(c), 2);
  EXPECT_EQ(Scene().MoveMapX(c), 2);
  EXPECT_EQ(Scene().MoveMapY(c), 2);
  EXPECT_EQ(Scene().RetestX(c), 2);
  EXPECT_EQ(Scene().RetestY(c), 2);
  EXPECT_EQ(c.m_dX, Dot(3) - 4);
  EXPECT_EQ(c.m_dY, Dot(5) - 4);
  // Mode 1 passes through everything; mode 2 collides like a walking character.
  cChara& through = Chara(Dot(3) - 4, Dot(5) - 4, 1);
  through.m_nWidth = through.m_nHeight = 40;
  through.UpdateFarX();
  through.UpdateFarY();
  EXPECT_EQ(Scene().MoveMapX(through), 0);
  EXPECT_EQ(Scene().MoveMapY(through), 0);
  EXPECT_EQ(Scene().IsPlaceBlocked(through), 0);
  EXPECT_EQ(through.m_dX, Dot(3) - 4);
  EXPECT_TRUE(world_->KeysOf(through.m_nId).empty());
}

TEST_F(MapCollision, RisingThroughAPlatformWithBothValuesOfTheSwitch) {
  Build({{5, 5, 5, 1}});
  for (int legacy : {0, 1}) {
    g_SystemData.m_bLegacy677 = legacy;
    cChara& c = Chara(Dot(5) + 8, Dot(5) + 10 - 23);
    c.m_dVY = -1.5;
    ASSERT_EQ(c.m_dFarY, Dot(5) + 10);
    EXPECT_EQ(Scene().HitFloor(c), 0);
    if (legacy) {
      // Lands from below: the bottom moves to the last dot above the chip.
      EXPECT_EQ(c.m_dFarY, Dot(5) - 1);
      EXPECT_EQ(c.m_dY, Dot(5) + 10 - 23 - 11);
      EXPECT_EQ(c.m_bPressBottom, 1);
      EXPECT_EQ(c.m_dVY, 0);
    } else {
      EXPECT_EQ(c.m_dY, Dot(5) + 10 - 23);
      EXPECT_EQ(c.m_bPressBottom, 0);
      EXPECT_EQ(c.m_dVY, -1.5);
    }
    // The re-test returns at once while rising, skipping the ceiling.
    if (!legacy) {
      EXPECT_EQ(Scene().RetestY(c), 0);
    }
  }
  // Falling onto it lands whatever the switch.
  g_SystemData.m_bLegacy677 = 0;
  cChara& f = Chara(Dot(5) + 8, Dot(5) + 3 - 23);
  f.m_dVY = 2;
  EXPECT_EQ(Scene().MoveMapY(f), 0);
  EXPECT_EQ(f.m_dY, Dot(5) + 3 - 23 - 4);
  EXPECT_EQ(f.m_lpFloor, &ChipAt(5, 5));
  EXPECT_EQ(f.m_lpLastFloor, &ChipAt(5, 5));
}

TEST_F(MapCollision, LandingSetsTheFlagsAndFiresTheKeys) {
  Build({{5, 6, 5, 1}});
  cChara& c = Chara(Dot(5) + 8, Dot(6) + 2 - 23);
  c.m_dVY = 3;
  c.m_dAY = 0.1;
  c.m_bAirborne = 1;
  c.m_nAirCount = 7;
  c.m_bJumpStartA = c.m_bJumpStartB = c.m_bJumping = c.m_bKnocked = 1;
  EXPECT_EQ(Scene().MoveMapY(c), 0);
  EXPECT_EQ(c.m_dVY, 0);
  EXPECT_EQ(c.m_dAY, 0);
  EXPECT_EQ(c.m_dY, Dot(6) + 2 - 23 - 3);
  EXPECT_EQ(c.m_bPressBottom, 1);
  EXPECT_EQ(c.m_nAirCount, 0);
  EXPECT_EQ(c.m_bAirborne + c.m_bJumpStartA + c.m_bJumpStartB + c.m_bJumping + c.m_bKnocked, 0);
  EXPECT_EQ(world_->KeysOf(c.m_nId), (std::vector<int>{9, 13, 15}));
  EXPECT_TRUE(c.IsOnGround());
  // The hero keeps its jumping flag on landing.
  cChara& h = Hero(Dot(5) + 8, Dot(6) + 2 - 23);
  h.m_dVY = 3;
  h.m_bJumping = 1;
  EXPECT_EQ(Scene().MoveMapY(h), 0);
  EXPECT_EQ(h.m_bJumping, 1);
}

TEST_F(MapCollision, HeroFloorChipIsTheHighestTypeThenTheProbeNearestTheMiddle) {
  Build({{3, 6, 5, 1}, {4, 6, 6, 1}, {7, 6, 8, 1}});
  // x 444..459 spans columns 3 and 4 of the stage; the middle is 451. The edge probes are 444
  // and 459 (nearer: 444, column 3); the hero's probes are 444, 452, 459 (nearest: 452,
  // column 4).
  cChara& c = Chara(444, Dot(6) + 3 - 23);
  c.m_dVY = 1;
  Scene().MoveMapY(c);
  ASSERT_NE(c.m_lpFloor, nullptr);
  EXPECT_EQ(c.m_lpFloor->m_wGraphic, 5);
  cChara& h = Hero(444, Dot(6) + 3 - 23);
  h.m_dVY = 1;
  Scene().MoveMapY(h);
  ASSERT_NE(h.m_lpFloor, nullptr);
  EXPECT_EQ(h.m_lpFloor->m_wGraphic, 6);
  EXPECT_EQ(h.m_lpLastFloor, h.m_lpFloor);
  // Standing over a passing and a solid chip: the solid one wins, and the body lands.
  cChara& half = Hero(Dot(7) - 8, Dot(6) + 3 - 23);
  half.m_dVY = 1;
  EXPECT_EQ(Scene().MoveMapY(half), 0);
  EXPECT_EQ(half.m_bPressBottom, 1);
  EXPECT_EQ(half.m_lpFloor->m_wGraphic, 8);
}

TEST_F(MapCollision, ZoomTwoProbesASideAtThreePoints) {
  // The body is 48 high (24 at zoom 1) from y 465: probes 465, 488 and 511, the far edge 512.
  for (int row : {4, 5, 6}) {
    Build({{3, row, 5, 1}});
    cChara& c = Chara(420.25, 465);
    c.m_nZoom = 2;
    c.m_nHeight = 48;
    c.UpdateFarY();
    ASSERT_EQ(c.m_dFarY, 512);
    // Rows 4 and 5 (dots 448..511) hold a probe; row 6 holds only the far edge.
    EXPECT_EQ(Scene().HitLeft(c), 0);
    EXPECT_EQ(c.m_bPressLeft, row != 6 ? 1 : 0) << row;
  }
  // At zoom 1 two probes: the top and the top + 23 (the far edge).
  Build({{3, 5, 5, 1}});
  cChara& one = Chara(420.25, Dot(5) - 23);
  EXPECT_EQ(Scene().HitLeft(one), 0);
  EXPECT_EQ(one.m_bPressLeft, 1);
  // A hero's floor probes below zoom 1 still come in a pair (nothing divides by 0).
  cChara& flat = Hero(Dot(3) + 8, Dot(4) + 8);
  flat.m_nZoom = 0;
  EXPECT_EQ(Scene().PickHeroFloorCell(flat), Scene().CellAtDot(Dot(3) + 8, Dot(4) + 31));
  // A negative zoom picks cell 0.
  cChara& neg = Chara(420.25, Dot(5));
  neg.m_nZoom = -1;
  EXPECT_EQ(Scene().PickEdgeCell(neg, 420, Dot(5), 420, Dot(5) + 23), 0);
}

TEST_F(MapCollision, CeilingFirstWhenRisingAndItsDeadlyResultStopsTheFloorTest) {
  Build({{5, 4, 5, 2}, {5, 6, 6, 1}});
  // The hero spans rows 4..6 (a tall body), rising: the ceiling test runs first and kills.
  cChara& h = Hero(Dot(5) + 8, Dot(4) + 20);
  h.m_nHeight = 50;
  h.UpdateFarY();
  h.m_dVY = -1;
  h.m_lpFloor = &ChipAt(5, 6);
  EXPECT_EQ(Scene().MoveMapY(h), 2);
  EXPECT_EQ(h.m_lpFloor, nullptr);
  EXPECT_EQ(h.m_bPressBottom, 0);
  // Falling, the floor runs first and lands; the ceiling then kills the hero.
  h.m_dVY = 1;
  EXPECT_EQ(Scene().MoveMapY(h), 2);
  EXPECT_EQ(h.m_bPressBottom, 1);
  // A computer character bumps the deadly ceiling as a solid one.
  cChara& c = Chara(Dot(5) + 8, Dot(4) + 20);
  c.m_dVY = -1;
  c.m_dKnockY = -2;
  EXPECT_EQ(Scene().MoveMapY(c), 0);
  EXPECT_EQ(c.m_dY, Dot(5));
  EXPECT_EQ(c.m_bPressTop + c.m_bJumpStartA + c.m_bJumpStartB + c.m_bJumping, 4);
  EXPECT_EQ(c.m_dKnockY, 0);
  EXPECT_EQ(world_->KeysOf(c.m_nId), (std::vector<int>{9, 13, 14}));
}

TEST_F(MapCollision, CeilingBumpKeepsTheKnockBackOnlyWithTheLegacySwitch) {
  Build({{5, 4, 5, 1}});
  for (int legacy : {0, 1}) {
    g_SystemData.m_bLegacy781 = legacy;
    cChara& c = Chara(Dot(5) + 8, Dot(4) + 20);
    c.m_dKnockY = -2;
    c.m_dVY = -1;
    EXPECT_EQ(Scene().HitCeiling(c), 0);
    EXPECT_EQ(c.m_dKnockY, legacy ? -2 : 0);
    EXPECT_EQ(c.m_dVY, 0);
  }
}

TEST_F(MapCollision, AirborneAfterEightFramesOfSubStepsWithoutFloor) {
  Build({});
  int threshold = g_StageData.m_nAirborneSteps;
  ASSERT_EQ(threshold, 8 * g_StageData.m_nSubSteps);
  cChara& c = Chara(Dot(5), Dot(5));
  cPlayer& h = static_cast<cPlayer&>(Hero(Dot(8), Dot(5)));
  c.m_bAirborne = 0;
  h.m_bAirborne = 0;
  h.m_bJumpReady = 0;
  for (int i = 1; i < threshold; ++i) {
    Scene().HitFloor(c);
    Scene().HitFloor(h);
  }
  EXPECT_EQ(c.m_bAirborne, 0);
  EXPECT_EQ(h.m_bAirborne, 0);
  Scene().HitFloor(c);
  Scene().HitFloor(h);
  EXPECT_EQ(c.m_bAirborne, 1);
  EXPECT_EQ(h.m_bAirborne, 1);
  EXPECT_EQ(h.m_bJumpReady, 1);
  EXPECT_EQ(c.m_lpFloor, nullptr);
  // A hero riding a block character stays as it is.
  cPlayer& rider = static_cast<cPlayer&>(Hero(Dot(8), Dot(5)));
  rider.m_bRiding = 1;
  rider.m_bAirborne = 0;
  rider.m_bJumpReady = 0;
  for (int i = 0; i < threshold + 3; ++i) Scene().HitFloor(rider);
  EXPECT_EQ(rider.m_bAirborne, 0);
  EXPECT_EQ(rider.m_bJumpReady, 0);
  // The re-test does not count.
  cChara& d = Chara(Dot(5), Dot(5));
  for (int i = 0; i < threshold + 3; ++i) Scene().RetestY(d);
  EXPECT_EQ(d.m_nAirCount, 0);
}

TEST_F(MapCollision, HorizontalOrderFollowsTheVelocity) {
  // Walls in stage columns 3 (416..447) and 5 (480..511) and a body 440..485 that overlaps
  // both. A stage character's OnMoveX (its clamp) renews the far edge after the first test.
  Build({{3, 5, 5, 1}, {5, 5, 5, 1}});
  const struct {
    double vx;
    std::vector<int> keys;
    double x;
  } cases[] = {
      // Right first: x -= (485 & 31) + 1 = 6 → 434; then left: 434 & 31 = 18, x += 14 → 448.
      {1, {9, 10, 12, 9, 10, 11}, 448},
      // Left first: 440 & 31 = 24, x += 8 → 448, far x 493; then right: x -= (493 & 31) + 1
      // = 14 → 434.
      {-1, {9, 10, 11, 9, 10, 12}, 434},
      {0, {9, 10, 11, 9, 10, 12}, 434},
  };
  for (const auto& c : cases) {
    cChara& b = Chara(440, Dot(5) + 4);
    b.m_nWidth = 46;
    b.UpdateFarX();
    b.m_dVX = c.vx;
    EXPECT_EQ(Scene().MoveMapX(b), 0);
    EXPECT_EQ(world_->KeysOf(b.m_nId), c.keys) << c.vx;
    EXPECT_EQ(b.m_dX, c.x) << c.vx;
  }
  // Flying with block contact: right, then left, whatever the velocity.
  cChara& f = Chara(440, Dot(5) + 4, 2);
  f.m_nWidth = 46;
  f.UpdateFarX();
  f.m_dVX = -1;
  EXPECT_EQ(Scene().MoveMapX(f), 0);
  EXPECT_EQ(world_->KeysOf(f.m_nId), (std::vector<int>{9, 10, 12, 9, 10, 11}));
}

TEST_F(MapCollision, PlacementTestCornersAndBlockCharacters) {
  Build({{3, 5, 5, 1}});
  cChara& inWall = Chara(Dot(3) + 30, Dot(5) + 2);
  EXPECT_EQ(Scene().IsPlaceBlocked(inWall), 1);
  cChara& beside = Chara(Dot(4), Dot(5) + 2);
  EXPECT_EQ(Scene().IsPlaceBlocked(beside), 0);
  // A block character overlapping the body (inclusive edges) blocks it unless inactive, dead
  // or the body itself.
  cChara& block = Chara(Dot(4) + 15, Dot(5) + 2);
  block.m_Data.m_bBlockChara = 1;
  EXPECT_EQ(Scene().IsPlaceBlocked(beside), 1);
  // The block character itself: no other block character and no chip.
  EXPECT_EQ(Scene().IsPlaceBlocked(block), 0);
  block.m_dX = Dot(4) + 16;
  block.UpdateFarX();
  EXPECT_EQ(Scene().IsPlaceBlocked(beside), 0);
  block.m_dX = Dot(4) + 15;
  block.UpdateFarX();
  block.m_bActive = 0;
  EXPECT_EQ(Scene().IsPlaceBlocked(beside), 0);
  block.m_bActive = 1;
  block.m_bDead = 1;
  EXPECT_EQ(Scene().IsPlaceBlocked(beside), 0);
  // The corner test reads the stored cells: a y changed without a clamp is tested where the
  // cells were.
  beside.m_dY = Dot(5) + 2;
  beside.UpdateFarY();
  beside.m_dX = Dot(3) + 8;
  EXPECT_FALSE(beside.CornerBlocked());
  beside.UpdateFarX();
  EXPECT_TRUE(beside.CornerBlocked());
}

TEST_F(MapCollision, ScreenEdgesKeepTheHeroInAnAutoScrollingView) {
  cStage stage = fixture::Stage(100, 60);
  stage.m_nScrollModeX = 1;
  stage.m_nAutoSpeedX = 10;
  world_.reset();
  world_ = std::make_unique<playkit::PlayWorld>(stage);
  cScroll& sx = Scene().m_ScrollX;
  cScroll& sy = Scene().m_ScrollY;
  sx.m_dPos = 1000;
  sy.m_dPos = 400;
  cChara& h = Hero(990, 500);
  Scene().ScreenEdgeX(h);
  EXPECT_EQ(h.m_dX, 1000);
  EXPECT_EQ(h.m_bPressLeft, 1);
  Put(h, 1625, 500);
  Scene().ScreenEdgeX(h);
  EXPECT_EQ(h.m_dX, 1000 + 640 - 16 - 1);
  EXPECT_EQ(h.m_bPressRight, 1);
  // Inside the view nothing changes.
  Put(h, 1300.5, 500);
  h.ClearPressed();
  Scene().ScreenEdgeX(h);
  EXPECT_EQ(h.m_dX, 1300.5);
  EXPECT_EQ(h.m_bPressLeft + h.m_bPressRight, 0);
  // The vertical axis does not scroll by itself: only a flying hero is kept in.
  Put(h, 1300, 870);
  EXPECT_EQ(Scene().ScreenEdgeY(h), 0);
  EXPECT_EQ(h.m_dY, 870);
  h.m_bFree = 1;
  EXPECT_EQ(Scene().ScreenEdgeY(h), 0);
  EXPECT_EQ(h.m_dY, 400 + 480 - 24 - 1);
  EXPECT_EQ(h.m_bPressBottom, 1);
  // Under gravity, pushed out at the bottom of a self-scrolling view: the hero dies.
  sy.m_bAuto = 1;
  // The flying hero's step above moved the camera with it; the view stands at 400 again.
  sy.m_dPos = 400;
  h.m_bFree = 0;
  Put(h, 1300, 870);
  EXPECT_EQ(Scene().ScreenEdgeY(h), 2);
  Put(h, 1300, 380);
  EXPECT_EQ(Scene().ScreenEdgeY(h), 0);
  EXPECT_EQ(h.m_dY, 400);
  EXPECT_EQ(h.m_bPressTop, 1);
}

TEST(MapCollisionStage, FallingBodiesLandOnAFloorAndStayOnIt) {
  // A floor along stage row 8 and a deadly strip under columns 10..12; a hero, a character
  // and an item above it, stepped sub-step by sub-step: gravity, the vertical step, the map.
  cStage stage = fixture::Stage(20, 15);
  fixture::Fill(stage, fixture::Block(3), 0, 8, 19, 8);
  fixture::Fill(stage, fixture::DeadlyBlock(4), 10, 7, 12, 7);
  playkit::PlayWorld world(stage);
  cPlayer& hero = world.AddHero(fixture::Hero(), 2, 3);
  cStageChara& walker = world.AddChara(fixture::Chara(1), 6, 1);
  cStageChara& doomed = world.AddChara(fixture::Chara(1), 11, 2);
  world.AddItem(fixture::Item(1), 4, 4);
  // Once landed a body stays on the last dot row above the chips: gravity moves it down by
  // less than a dot before the next landing puts it back, and it never counts as airborne.
  const std::pair<cChara*, int> bodies[] = {{&hero, Dot(8) - 1}, {&walker, Dot(8) - 1}, {&doomed, Dot(7) - 1}};
  bool landed[3] = {false, false, false};
  for (int step = 0; step < 1200; ++step) {
    for (int i = 0; i < 3; ++i) {
      cChara& c = *bodies[i].first;
      c.ApplyGravity();
      c.MoveStepY(2);
      EXPECT_EQ(world.scene.MoveMapY(c), 0);
      landed[i] = landed[i] || c.m_bPressBottom;
      if (landed[i]) {
        ASSERT_EQ(TruncPos(c.m_dY + c.m_nHeight - 1), bodies[i].second) << i << " " << step;
        ASSERT_EQ(c.m_bAirborne, 0);
      }
    }
  }
  EXPECT_TRUE(landed[0] && landed[1] && landed[2]);
  EXPECT_EQ(walker.m_lpLastFloor->m_wGraphic, 3);
  // The flows answer the landing key (15) through the kit's stand-in.
  world.onEvent = [](cChara& c, int key, cObject*, int) {
    if (key == 15) c.m_dVY = -2;
  };
  for (int step = 0; step < 100 && walker.m_dVY != -2; ++step) {
    walker.ApplyGravity();
    walker.MoveStepY(2);
    world.scene.MoveMapY(walker);
  }
  world.onEvent = nullptr;
  EXPECT_EQ(doomed.m_lpLastFloor->m_wGraphic, 4);
  EXPECT_EQ(walker.m_dVY, -2);
  // The same fall for the hero onto the deadly strip ends its life on arrival.
  hero.m_dX = doomed.m_dX;
  hero.m_dY = Dot(3);
  hero.UpdateFarX();
  hero.UpdateFarY();
  int result = 0;
  for (int step = 0; step < 1200 && result == 0; ++step) {
    hero.ApplyGravity();
    hero.MoveStepY(2);
    result = world.scene.MoveMapY(hero);
  }
  EXPECT_EQ(result, 2);
  EXPECT_EQ(TruncPos(hero.m_dFarY) >> 5, 17);
  EXPECT_NE(playkit::DescribePlay().find("item id=3"), std::string::npos);
}

TEST_F(MapCollision, GravityOfACharacter) {
  Build({});
  double g = g_StageData.m_dGravityStep;
  ASSERT_GT(g, 0);
  cChara& c = Chara(Dot(5), Dot(5));
  c.ApplyGravity();
  EXPECT_EQ(c.m_dVY, g);
  const struct {
    int free;
    int riding;
    int hold;
    double knockY;
    bool falls;
  } cases[] = {{1, 0, 0, 0, false}, {0, 1, 0, 0, false}, {0, 0, 1, 0, false}, {0, 0, 0, -0.1, false},
               {0, 0, 0, 0.1, true}};
  for (const auto& k : cases) {
    c.m_dVY = 0;
    c.m_bFree = k.free;
    c.m_bRiding = k.riding;
    c.m_bGravityHold = k.hold;
    c.m_dKnockY = k.knockY;
    c.ApplyGravity();
    EXPECT_EQ(c.m_dVY, k.falls ? g : 0);
  }
}

}  // namespace
