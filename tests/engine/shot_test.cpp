// Shots and swords: the set-up from the shot data (facing, box, speeds, range and lifetime
// counters), the trajectories, the sword's frames and anchors, the map-chip test and the copy
// into the scene's lists.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/shot.h"
#include "fixture/fixture.h"
#include "play_kit.h"
#include "project/database.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr int Dot(int c) { return (c + 10) * 32; }

class Shots : public ::testing::Test {
 protected:
  void SetUp() override { Build({}); }
  void TearDown() override {
    world_.reset();
    g_Database.m_vSwordType = savedSwords_;
  }
  struct Cell {
    int x;
    int y;
  };
  void Build(std::initializer_list<Cell> solid) {
    world_.reset();
    cStage stage = fixture::Stage(20, 15);
    stage.m_nScrollExtraX = (20 + 20) * 32 - 640;
    stage.m_nScrollExtraY = (15 + 20) * 32 - 640;
    for (const Cell& c : solid) fixture::Place(stage, fixture::Block(3), c.x, c.y);
    world_ = std::make_unique<playkit::PlayWorld>(stage);
    hero_ = &world_->PlaceHero(fixture::Hero(), 2, 10);
    k_ = g_StageData.m_nSubSteps;
  }
  // A shot of the hero at a stage dot with a spawn velocity (dots per frame).
  cShot Make(const cEdShot& data, double vx, double vy, int x = Dot(5), int y = Dot(5), double speed = -1) {
    cShotSpawn s;
    s.dVx = vx;
    s.dVy = vy;
    s.dSpeed = speed < 0 ? std::sqrt(vx * vx + vy * vy) : speed;
    s.nX = x;
    s.nY = y;
    s.nRange = data.m_sRange;
    s.nLifetime = data.m_sLifetime;
    cShot shot;
    EXPECT_EQ(shot.SetData(7, *hero_, SHOT_KIND_SHOT, data, s), 1);
    return shot;
  }
  // A shot flying left at 2 dots a frame, 96 dots straight above the hero's centre.
  cShot AboveHero(const cEdShot& d) {
    hero_->CalcScreenRect();
    int x = hero_->CenterX() + TruncPos(world_->scene.m_ScrollX.m_dPos) - 8;
    int y = hero_->CenterY() + TruncPos(world_->scene.m_ScrollY.m_dPos) - 8 - 96;
    return Make(d, -2, 0, x, y);
  }
  static void Step(cShot& s) {
    s.StepY();
    s.StepX();
  }

  cSafeVector<cSwordType> savedSwords_ = g_Database.m_vSwordType;
  std::unique_ptr<playkit::PlayWorld> world_;
  cPlayer* hero_ = nullptr;
  int k_ = 1;
};

TEST_F(Shots, StraightInEachDirectionAtItsSpeedPerSubStep) {
  struct Case {
    double vx, vy;
    int facing;
  } cases[] = {{3, 0, 1}, {-3, 0, 0}, {0, -3, 1}, {0, 3, 1}, {2.5, 2.5, 1}, {-2.5, -2.5, 0}};
  hero_->m_nDir = 1;
  for (const Case& c : cases) {
    cEdShot d;
    cShot s = Make(d, c.vx, c.vy);
    EXPECT_EQ(s.m_nDir, c.facing);
    EXPECT_EQ(s.m_bShot, 1);
    EXPECT_EQ(s.m_nWidth, 16);
    EXPECT_EQ(s.Move(), 0);
    EXPECT_DOUBLE_EQ(s.m_dVX, c.vx / k_);
    EXPECT_DOUBLE_EQ(s.m_dVY, c.vy / k_);
    Step(s);
    EXPECT_DOUBLE_EQ(s.m_dX, Dot(5) + c.vx / k_);
    EXPECT_DOUBLE_EQ(s.m_dY, Dot(5) + c.vy / k_);
  }
}

TEST_F(Shots, SetUpTakesTheSideTheBoxAndTheZoom) {
  cEdShot d;
  d.m_byZoom = 0;
  d.m_bOwnerLayer = 0;
  d.m_byLayer = 5;
  g_StageData.m_nHeroShotW = 10;
  g_StageData.m_nHeroShotH = 6;
  cShot s = Make(d, 0, 0);
  // Speed 0: the owner's facing.
  EXPECT_EQ(s.m_nDir, hero_->m_nDir);
  EXPECT_EQ(s.m_Shot.m_byZoom, 1);
  EXPECT_EQ(s.m_nLayer, 5);
  EXPECT_EQ(s.m_Box.nOffsetX, 8 - 5);
  EXPECT_EQ(s.m_Box.nOffsetY, 8 - 3);
  EXPECT_DOUBLE_EQ(s.m_Box.dLeft, Dot(5) + 3);
  EXPECT_DOUBLE_EQ(s.m_Box.dRight, Dot(5) + 3 + 9);
  d.m_bOwnerLayer = 1;
  d.m_byZoom = 2;
  cShot z = Make(d, 1, 0);
  EXPECT_EQ(z.m_nLayer, hero_->m_nLayer);
  EXPECT_EQ(z.m_nWidth, 32);
  EXPECT_EQ(z.m_Box.nWidth, 20);
  EXPECT_EQ(z.m_Box.nOffsetX, 6);
  EXPECT_EQ(z.m_dX, Dot(5));
}

TEST_F(Shots, RangeCounterAndTheOneFrameRange) {
  cEdShot d;
  d.m_bRange = 1;
  d.m_sRange = 4;
  // d = 4 × 16 − 16 = 48 dots at 2 dots a frame: 24k moves, and the move after them ends it.
  cShot a = Make(d, 2, 0);
  EXPECT_EQ(a.m_nRangeCount, 24 * k_);
  for (int i = 0; i < 24 * k_; ++i) ASSERT_EQ(a.Move(), 0) << i;
  EXPECT_EQ(a.Move(), 1);
  // A range of one half-block leaves d = 0: k sub-steps.
  d.m_sRange = 1;
  EXPECT_EQ(Make(d, 2, 0).m_nRangeCount, k_);
  // 16 dots at 100 dots a frame: less than a frame, so the shot covers d in one frame.
  d.m_sRange = 2;
  cShot c = Make(d, 60, 80);
  EXPECT_EQ(c.m_nRangeCount, k_);
  EXPECT_DOUBLE_EQ(c.m_dSpeedX, 16.0 / k_ * 60 / 140);
  EXPECT_DOUBLE_EQ(c.m_dSpeedY, 16.0 / k_ * 80 / 140);
  // A range with a spawn speed but no velocity gives speeds 0, never NaN.
  cShot n = Make(d, 0, 0, Dot(5), Dot(5), 100);
  EXPECT_EQ(n.m_dSpeedX, 0);
  EXPECT_EQ(n.m_dSpeedY, 0);
}

TEST_F(Shots, StopAtRangeEndKeepsTheShot) {
  cEdShot d;
  d.m_bRange = 1;
  d.m_sRange = 2;
  d.m_bStopAtRangeEnd = 1;
  d.m_byTrajectory = 8;
  d.m_sTrajParam[1] = 10;
  cShot s = Make(d, 1, 0);
  const int n = s.m_nRangeCount;
  // n moves at its speed; the next one finds the range spent and stops it.
  for (int i = 0; i < n; ++i) EXPECT_EQ(s.Move(), 0);
  EXPECT_NE(s.m_dSpeedX, 0);
  EXPECT_EQ(s.Move(), 0);
  EXPECT_EQ(s.m_dSpeedX, 0);
  EXPECT_EQ(s.m_dSpeedY, 0);
  EXPECT_EQ(s.m_dVX, 0);
  EXPECT_EQ(s.m_Shot.m_byTrajectory, 0);
  EXPECT_EQ(s.Move(), 0);
}

TEST_F(Shots, LifetimeInTenths) {
  cEdShot d;
  d.m_bLifetime = 1;
  d.m_sLifetime = 1;
  cShot s = Make(d, 1, 0);
  EXPECT_EQ(s.m_nLifeCount, 6 * k_);
  for (int i = 0; i < 6 * k_; ++i) ASSERT_EQ(s.Move(), 0) << i;
  EXPECT_EQ(s.Move(), 1);
}

TEST_F(Shots, AccelerationAlongTheSpeed) {
  cEdShot d;
  d.m_bAccel = 1;
  d.m_sAccel = 30;
  cShot s = Make(d, -3, 0);
  // m = 30 × 0.1 / k; vector = SpeedPerFrame(m) = m / k / 60 to the left.
  double m = 3.0 / k_;
  EXPECT_DOUBLE_EQ(s.m_dAccel, m);
  EXPECT_DOUBLE_EQ(s.m_dAX, -m / k_ / 60);
  EXPECT_EQ(s.m_dAY, 0);
  cShot diag = Make(d, 3, 4);
  EXPECT_DOUBLE_EQ(diag.m_dAX, 0.6 * m / k_ / 60);
  EXPECT_DOUBLE_EQ(diag.m_dAY, 0.8 * m / k_ / 60);
  s.Move();
  EXPECT_DOUBLE_EQ(s.m_dSpeedX, -3.0 / k_ - m / k_ / 60);
}

TEST_F(Shots, AimOnceWithoutChangeDistanceAimsOnTheFirstSubStep) {
  cEdShot d;
  d.m_byTrajectory = 1;
  d.m_sSpeed = 20;
  hero_->CalcScreenRect();
  // Straight above the hero's centre, flying left.
  int x = hero_->CenterX() + TruncPos(world_->scene.m_ScrollX.m_dPos) - 8;
  int y = hero_->CenterY() + TruncPos(world_->scene.m_ScrollY.m_dPos) - 8 - 96;
  cShot s = Make(d, -2, 0, x, y);
  s.Move();
  EXPECT_NEAR(s.m_dSpeedX, 0, 1e-12);
  EXPECT_DOUBLE_EQ(s.m_dSpeedY, 2.0 / k_);
  EXPECT_EQ(s.m_bTrajDone, 1);
}

TEST_F(Shots, AimOnceAfterTheChangeDistance) {
  cEdShot d;
  d.m_byTrajectory = 1;
  d.m_sSpeed = 20;
  d.m_sTrajParam[0] = 1;
  cShot s = AboveHero(d);
  // 16 dots at 2/k per sub-step: the change at clock 8k, while the shot has not moved.
  for (int i = 0; i < 8 * k_; ++i) {
    s.Move();
    ASSERT_DOUBLE_EQ(s.m_dSpeedX, -2.0 / k_) << i;
  }
  s.Move();
  EXPECT_NEAR(s.m_dSpeedX, 0, 1e-12);
  EXPECT_DOUBLE_EQ(s.m_dSpeedY, 2.0 / k_);
}

TEST_F(Shots, HomingEndZeroNeverHomes) {
  cEdShot d;
  d.m_byTrajectory = 4;
  d.m_sSpeed = 20;
  cShot s = Make(d, -2, 0, Dot(10), Dot(2));
  for (int i = 0; i < 3; ++i) s.Move();
  EXPECT_DOUBLE_EQ(s.m_dSpeedX, -2.0 / k_);
  EXPECT_EQ(s.m_dSpeedY, 0);
  EXPECT_EQ(s.m_bTrajDone, 1);
}

TEST_F(Shots, HomingFollowsTheHeroUntilItsEnd) {
  cEdShot d;
  d.m_byTrajectory = 4;
  d.m_sSpeed = 20;
  d.m_sTrajParam[1] = 1;  // ends at 8k sub-steps
  cShot s = AboveHero(d);
  s.Move();
  EXPECT_NEAR(s.m_dSpeedX, 0, 1e-12);
  EXPECT_DOUBLE_EQ(s.m_dSpeedY, 2.0 / k_);
  // The hero moves to the shot's right: the next sub-step turns the shot toward it.
  hero_->m_dX += 200;
  hero_->m_dY -= 96;
  hero_->UpdateFarX();
  hero_->UpdateFarY();
  hero_->CalcScreenRect();
  s.Move();
  EXPECT_GT(s.m_dSpeedX, 0);
  for (int i = 2; i < 8 * k_; ++i) s.Move();
  EXPECT_EQ(s.m_bTrajDone, 0);
  s.Move();
  EXPECT_EQ(s.m_bTrajDone, 1);
}

TEST_F(Shots, WaveStartsAcrossTheFlightAndNeverReversesIt) {
  cEdShot d;
  d.m_byTrajectory = 8;
  d.m_sTrajParam[0] = 2;   // 32 dots
  d.m_sTrajParam[1] = 10;  // degrees a frame
  cShot s = Make(d, 3, 0);
  s.Move();
  // a = 0, b = -90 degrees: speed y = -w with w = r × cos(0) × 32 / k, r = 10π/180.
  double r = 10 * PI / 180;
  EXPECT_DOUBLE_EQ(s.m_dSpeedY, -(r * 32 / k_));
  for (int i = 0; i < 200 * k_; ++i) {
    double before = s.m_dSpeedY;
    s.Move();
    ASSERT_GT(s.m_dSpeedX, 0);
    ASSERT_FALSE((before > 0 && s.m_dSpeedY < 0) || (before < 0 && s.m_dSpeedY > 0)) << i;
  }
}

TEST_F(Shots, WaveOfSpeedZeroFliesStraight) {
  cEdShot d;
  d.m_byTrajectory = 8;
  d.m_sTrajParam[0] = 2;
  cShot s = Make(d, 3, 0);
  for (int i = 0; i < 5; ++i) s.Move();
  EXPECT_DOUBLE_EQ(s.m_dSpeedX, 3.0 / k_);
  EXPECT_EQ(s.m_dSpeedY, 0);
}

TEST_F(Shots, TrajectoryOutsideTheTableFliesStraight) {
  cEdShot d;
  d.m_byTrajectory = 200;
  cShot s = Make(d, 3, 0);
  s.Move();
  EXPECT_DOUBLE_EQ(s.m_dVX, 3.0 / k_);
}

TEST_F(Shots, FallStartsAfterItsDistanceAndKeepsItsHorizontalSpeed) {
  cEdShot d;
  d.m_byTrajectory = 9;
  d.m_sSpeed = 20;
  d.m_sTrajParam[0] = 1;
  cShot s = Make(d, 2, 0);
  for (int i = 0; i < 8 * k_; ++i) {
    s.Move();
    ASSERT_EQ(s.m_bFree, 1);
  }
  s.Move();
  EXPECT_EQ(s.m_bFree, 0);
  s.ApplyGravity();
  EXPECT_DOUBLE_EQ(s.m_dVY, g_StageData.m_dGravityStep);
  s.Move();
  EXPECT_DOUBLE_EQ(s.m_dVX, 2.0 / k_);
  EXPECT_DOUBLE_EQ(s.m_dVY, g_StageData.m_dGravityStep);
}

TEST_F(Shots, MapTestCornersAndGridSampling) {
  // A solid chip at stage cell (6, 5).
  Build({{6, 5}});
  cEdShot d;
  // 16 wide at x in cell 5 reaching into cell 6: a corner.
  cShot a = Make(d, 0, 0, Dot(5) + 20, Dot(5));
  EXPECT_EQ(a.HitMap(), 1);
  cShot b = Make(d, 0, 0, Dot(5) + 8, Dot(5));
  EXPECT_EQ(b.HitMap(), 0);
  d.m_bPassBlocks = 1;
  EXPECT_EQ(Make(d, 0, 0, Dot(5) + 20, Dot(5)).HitMap(), 0);
  d.m_bPassBlocks = 0;
  // 80 wide (zoom 5) starting two cells before the chip: columns at +0, +32, +64, +79.
  d.m_byZoom = 5;
  EXPECT_EQ(Make(d, 0, 0, Dot(4), Dot(5) - 64).HitMap(), 1);
  // Its last sample (+79) just reaches cell 6 from x = Dot(3) + 17.
  EXPECT_EQ(Make(d, 0, 0, Dot(3) + 17, Dot(5) - 64).HitMap(), 1);
  EXPECT_EQ(Make(d, 0, 0, Dot(3) + 16, Dot(5) - 64).HitMap(), 0);
  // 48 wide (zoom 3) below the chip's row: rows +0, +32, +47 miss it.
  d.m_byZoom = 3;
  EXPECT_EQ(Make(d, 0, 0, Dot(6), Dot(6)).HitMap(), 0);
  EXPECT_EQ(Make(d, 0, 0, Dot(6), Dot(6) - 1).HitMap(), 1);
}

TEST_F(Shots, CloneShotAddsToTheListAndTheSideList) {
  cEdShot d;
  d.m_bOwnerLayer = 0;
  d.m_byLayer = 3;
  cShot s = Make(d, 1, 0);
  cShot& c = CloneShot(world_->scene.m_lShot, s);
  EXPECT_EQ(world_->scene.m_lShot.Count(), 1u);
  ASSERT_EQ(world_->scene.m_vShotDrawList[3].size(), 1u);
  EXPECT_EQ(world_->scene.m_vShotDrawList[3].front(), &c);
  // A side outside the lists goes to list 0.
  s.m_nLayer = 9;
  cShot& o = CloneShot(world_->scene.m_lShot, s);
  EXPECT_EQ(world_->scene.m_vShotDrawList[0].back(), &o);
  // Linking twice lists the shot once; removal drops the link.
  c.LinkOnce(*hero_, SUMMONER_SLOT);
  c.LinkOnce(*hero_, SUMMONER_SLOT);
  EXPECT_EQ(hero_->m_vShotLink.size(), 1u);
  EraseShot(c);
  EXPECT_TRUE(hero_->m_vShotLink.empty());
  // Freed at the sweep, with its side-list entry; none while a walk runs.
  size_t freed = 1;
  world_->scene.m_lShot.ForEach([&](cShot&) { freed = SweepShots(world_->scene); });
  EXPECT_EQ(freed, 0u);
  EXPECT_EQ(world_->scene.m_vShotDrawList[3].size(), 1u);
  EXPECT_EQ(SweepShots(world_->scene), 1u);
  EXPECT_TRUE(world_->scene.m_vShotDrawList[3].empty());
  EXPECT_EQ(world_->scene.m_vShotDrawList[0].size(), 1u);
  EXPECT_EQ(world_->scene.m_lShot.Stored(), 1u);
}

TEST_F(Shots, ScrollBoundShotsRideTheAutomaticScroll) {
  cScroll& sx = world_->scene.m_ScrollX;
  sx.m_dAutoSpeed = 0.5;
  sx.m_bPinned = 0;
  cEdShot d;
  d.m_bScrollBound = 1;
  cShot s = Make(d, 3, 0);
  s.Move();
  EXPECT_DOUBLE_EQ(s.m_dVX, 0.5 + 3.0 / k_);
  // Standing at a limit the scroll carries nothing.
  sx.m_bPinned = 1;
  s.Move();
  EXPECT_DOUBLE_EQ(s.m_dVX, 3.0 / k_);
  // Not bound, or the old behaviour: no carry.
  sx.m_bPinned = 0;
  g_SystemData.m_bLegacy214 = 1;
  s.Move();
  EXPECT_DOUBLE_EQ(s.m_dVX, 3.0 / k_);
  g_SystemData.m_bLegacy214 = 0;
  d.m_bScrollBound = 0;
  cShot free = Make(d, 3, 0);
  free.Move();
  EXPECT_DOUBLE_EQ(free.m_dVX, 3.0 / k_);
}

TEST_F(Shots, ClampedToTheGridAndRemovedBeyondTheSideRange) {
  cEdShot d;
  const int end = world_->scene.m_ScrollX.m_nCells * 32;
  cShot s = Make(d, 0, 0, end - 10);
  EXPECT_DOUBLE_EQ(s.m_dX, end - 16);
  cShot fits = Make(d, 0, 0, end - 17);
  EXPECT_DOUBLE_EQ(fits.m_dX, end - 17);
  cShot left = Make(d, -3, 0, 0);
  left.Move();
  Step(left);
  EXPECT_DOUBLE_EQ(left.m_dX, 0);
  // The hero's shots follow the hero side's rule: 1 cell right of the view.
  g_StageData.m_RuleHeroShot.m_bRight = 1;
  g_StageData.m_RuleHeroShot.m_nRight = 1;
  const int view = TruncPos(world_->scene.m_ScrollX.m_dPos) + 640;
  EXPECT_EQ(Make(d, 0, 0, view + 32).IsOutOfShotRange(), 1);
  EXPECT_EQ(Make(d, 0, 0, view + 31).IsOutOfShotRange(), 0);
}

TEST_F(Shots, AShotFliesIntoAWallAndHitsItOnTheSubStepItsEdgeEntersTheChip) {
  // A solid chip at stage column 7 (dots 544..575); a 16-dot shot from x = 480 at 3 dots a
  // frame reaches it when x + 15 >= 544: after ceil(49 / (3 / k)) sub-steps.
  Build({{7, 5}});
  cEdShot d;
  cShot s = Make(d, 3, 0, Dot(5), Dot(5));
  const int expected = static_cast<int>(std::ceil(49.0 * k_ / 3));
  int n = 0;
  while (n < 1000) {
    ASSERT_EQ(s.Move(), 0);
    Step(s);
    ++n;
    if (s.HitMap()) break;
  }
  EXPECT_EQ(n, expected);
}

class Swords : public Shots {
 protected:
  // A sword type of frames {place, dx, dy, mirrorX, mirrorY, w, h, time}.
  struct F {
    int place, dx, dy, mx, my, w, h, time;
  };
  void Type(std::initializer_list<F> frames) {
    cSwordType t;
    t.m_vSwing.clear();
    for (const F& f : frames) {
      cSwordTypeSub s;
      s.m_nPlace = f.place;
      s.m_nOffsetX = f.dx;
      s.m_nOffsetY = f.dy;
      s.m_bMirrorX = f.mx;
      s.m_bMirrorY = f.my;
      s.m_nWidth = f.w;
      s.m_nHeight = f.h;
      s.m_nTime = f.time;
      t.m_vSwing.push_back(s);
    }
    g_Database.m_vSwordType.assign(2, cSwordType());
    g_Database.m_vSwordType[1] = t;
  }
  int Sword(cShot& s, int zoom = 1) {
    cEdShot d;
    d.m_byTrajectory = 1;
    d.m_byZoom = static_cast<uint8_t>(zoom);
    return s.SetData(9, *hero_, SHOT_KIND_SWORD, d, cShotSpawn());
  }
};

TEST_F(Swords, AnchorsPerFacingAndMirror) {
  struct Case {
    int place, facing, mx, my;
  } cases[] = {{0, 1, 1, 0}, {0, 0, 1, 0}, {1, 1, 0, 0}, {1, 0, 0, 1}, {2, 1, 0, 1}, {2, 0, 1, 1}, {3, 1, 1, 1},
               {3, 0, 0, 0}};
  for (const Case& c : cases) {
    Type({{c.place, 5, 3, c.mx, c.my, 40, 12, 1}});
    hero_->m_nDir = c.facing;
    cShot s;
    ASSERT_EQ(Sword(s, 2), 1);
    EXPECT_EQ(s.m_bShot, 0);
    EXPECT_EQ(s.MoveSword(), 0);
    hero_->CalcScreenRect();
    const RECT& r = hero_->m_rcScreen;
    const double sx = world_->scene.m_ScrollX.m_dPos;
    const double sy = world_->scene.m_ScrollY.m_dPos;
    const int w = 80, h = 24, ow = r.right - r.left + 1, oh = r.bottom - r.top + 1;
    const bool right = c.facing == 1;
    double x = 0, y = sy + r.top + (oh >> 1) - (h >> 1);
    if (c.place == 0) x = right ? sx + r.right + 1 : sx + r.left - w;
    if (c.place == 1) x = right ? sx + r.left - w : sx + r.right + 1;
    if (c.place >= 2) x = sx + r.left + (ow >> 1) - (w >> 1);
    if (c.place == 2) y = sy + r.top - h;
    if (c.place == 3) y = sy + r.bottom + 1;
    x += right && c.mx ? -10 : 10;
    y += right && c.my ? -6 : 6;
    EXPECT_DOUBLE_EQ(s.m_dX, x) << c.place << " " << c.facing;
    EXPECT_DOUBLE_EQ(s.m_dY, y) << c.place << " " << c.facing;
    EXPECT_EQ(s.m_nWidth, w);
    EXPECT_EQ(s.m_Box.nHeight, h);
    EXPECT_EQ(s.m_nDir, c.place == 1 ? 1 - c.facing : c.facing);
  }
}

TEST_F(Swords, FramesLastTheirTimeThenTheSwordEnds) {
  Type({{0, 0, 0, 0, 0, 20, 10, 1}, {2, 0, 0, 0, 0, 8, 30, 2}});
  cShot s;
  ASSERT_EQ(Sword(s), 1);
  EXPECT_EQ(s.m_nWidth, 20);
  // Frame 0: 6k + 1 sub-steps, frame 1: 12k + 1.
  for (int i = 0; i < 6 * k_ + 1; ++i) {
    ASSERT_EQ(s.MoveSword(), 0);
    ASSERT_EQ(s.m_nWidth, 20) << i;
  }
  EXPECT_EQ(s.m_nFrame, 1);
  for (int i = 0; i < 12 * k_; ++i) {
    ASSERT_EQ(s.MoveSword(), 0);
    ASSERT_EQ(s.m_nHeight, 30) << i;
  }
  EXPECT_EQ(s.MoveSword(), 1);
}

TEST_F(Swords, OwnerGoneOrNoFramesEndsIt) {
  Type({{0, 0, 0, 0, 0, 20, 10, 1}});
  cShot s;
  ASSERT_EQ(Sword(s), 1);
  s.m_nOwnerId = 12345;
  EXPECT_EQ(s.MoveSword(), 1);
  Type({});
  cShot e;
  EXPECT_EQ(Sword(e), 0);
  // A type beyond the table.
  g_Database.m_vSwordType.assign(1, cSwordType());
  cShot b;
  EXPECT_EQ(Sword(b), 0);
}

}  // namespace
