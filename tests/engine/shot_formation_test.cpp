// Shot formations: the position and velocity of every object of each formation for each
// direction, worked out by hand from a user at screen (100, 200)-(131, 231), a scroll at
// (320, 320) and 16-dot objects at 2 dots a frame; the aimed angle, the mirrored and random
// angles and the volleys of the shot command, and the links of the shots it makes.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/shot_formation.h"
#include "fixture/fixture.h"
#include "platform/random.h"
#include "play_kit.h"
#include "script/cmd_state.h"

namespace {

const double C = 1 / std::sqrt(2.0);
const double D2 = 2 * C;  // a diagonal component at 2 dots a frame

struct Obj {
  int x, y;
  double vx, vy;
};

class Formations : public ::testing::Test {
 protected:
  void SetUp() override {
    cStage stage = fixture::Stage(40, 30);
    stage.m_nScrollExtraX = (40 + 20) * 32 - 640;
    stage.m_nScrollExtraY = (30 + 20) * 32 - 640;
    world_ = std::make_unique<playkit::PlayWorld>(stage);
    hero_ = &world_->PlaceHero(fixture::Hero(), 1, 1);
    user_ = &world_->AddChara(fixture::Chara(2), 3, 3);
    world_->scene.m_ScrollX.m_dPos = 320;
    world_->scene.m_ScrollY.m_dPos = 320;
    SetRect(*user_, 100, 200);
    // The target: screen (300, 150), 32 × 32, centre (316, 166).
    target_ = &world_->AddChara(fixture::Chara(3), 6, 6);
    Place(*target_, 300, 150);
    user_->SetTarget(0, target_);
    shot_.m_byCount = 3;
    shot_.m_sFormParam[0] = 1;
  }
  static void SetRect(cChara& c, int left, int top) {
    c.m_rcScreen = {left, top, left + 31, top + 31};
    c.m_nGraphicW = c.m_nGraphicH = 32;
  }
  // Puts a character so that its screen rectangle is 32 × 32 at (left, top).
  void Place(cChara& c, int left, int top) {
    c.m_bFree = 0;
    c.m_nGraphicX = c.m_nGraphicY = 0;
    c.m_nGraphicW = c.m_nGraphicH = 32;
    c.m_dX = 320 + left;
    c.m_dY = 320 + top;
    c.CalcScreenRect();
  }
  std::vector<Obj> Lay(int dir, double angle = 0) {
    cShotSpawn rec;
    rec.dSpeed = 2;
    rec.dAngle = angle;
    rec.nWidth = rec.nHeight = 16;
    rec.nDir = dir;
    rec.nOffsetX = offX_;
    rec.nOffsetY = offY_;
    std::vector<cShotSpawn> out;
    LayOutFormation(*user_, shot_, rec, out);
    std::vector<Obj> objs;
    for (const cShotSpawn& s : out) objs.push_back({s.nX, s.nY, s.dVx, s.dVy});
    return objs;
  }
  static void Expect(const std::vector<Obj>& got, const std::vector<Obj>& want, const char* what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(got[i].x, want[i].x) << what << " #" << i;
      EXPECT_EQ(got[i].y, want[i].y) << what << " #" << i;
      EXPECT_NEAR(got[i].vx, want[i].vx, 1e-9) << what << " #" << i;
      EXPECT_NEAR(got[i].vy, want[i].vy, 1e-9) << what << " #" << i;
    }
  }

  std::unique_ptr<playkit::PlayWorld> world_;
  cPlayer* hero_ = nullptr;
  cStageChara* user_ = nullptr;
  cStageChara* target_ = nullptr;
  cEdShot shot_;
  int offX_ = 0;
  int offY_ = 0;
};

TEST_F(Formations, RowsAAcrossEachDirection) {
  shot_.m_byFormation = 0;
  // Gap S = 16; diagonal anchors X- 411, X+ 444, Y- 511, Y+ 544; diagonal shift c × 2 × 16.
  Expect(Lay(2), {{405, 496, -2, 0}, {405, 528, -2, 0}, {405, 560, -2, 0}}, "left");
  Expect(Lay(3), {{452, 496, 2, 0}, {452, 528, 2, 0}, {452, 560, 2, 0}}, "right");
  Expect(Lay(6), {{396, 504, 0, -2}, {428, 504, 0, -2}, {460, 504, 0, -2}}, "up");
  Expect(Lay(7), {{396, 552, 0, 2}, {428, 552, 0, 2}, {460, 552, 0, 2}}, "down");
  Expect(Lay(8), {{388, 533, -D2, -D2}, {420, 501, -D2, -D2}, {452, 469, -D2, -D2}}, "up-left");
  Expect(Lay(9), {{388, 521, -D2, D2}, {420, 553, -D2, D2}, {452, 585, -D2, D2}}, "down-left");
  Expect(Lay(10), {{421, 488, D2, -D2}, {453, 520, D2, -D2}, {485, 552, D2, -D2}}, "up-right");
  Expect(Lay(11), {{421, 566, D2, D2}, {453, 534, D2, D2}, {485, 502, D2, D2}}, "down-right");
  offX_ = 5;
  offY_ = -3;
  Expect(Lay(3), {{457, 493, 2, 0}, {457, 525, 2, 0}, {457, 557, 2, 0}}, "right with offsets");
}

TEST_F(Formations, RowsAWithAnAngleKeepThePlacesAndTurnTheFlight) {
  shot_.m_byFormation = 0;
  // Right (180) + 90 = 270: down.
  Expect(Lay(3, 90), {{452, 496, 0, 2}, {452, 528, 0, 2}, {452, 560, 0, 2}}, "turned");
}

TEST_F(Formations, RowsAAimedFromTheStartsCentre) {
  shot_.m_byFormation = 0;
  shot_.m_byCount = 1;
  shot_.m_bAim = 1;
  // Start (452, 528), centre (460, 536); the target's centre (636, 486):
  // atan2(-50, 176) = -15.86 degrees, + 180.5 truncates to 164.
  const double a = 164 * M_PI / 180;
  Expect(Lay(3), {{452, 528, -2 * std::cos(a), -2 * std::sin(a)}}, "aimed");
  // The record angle adds to the aimed one.
  const double b = 174 * M_PI / 180;
  Expect(Lay(3, 10), {{452, 528, -2 * std::cos(b), -2 * std::sin(b)}}, "aimed + 10");
}

TEST_F(Formations, RowsARotatedAroundTheUser) {
  shot_.m_byFormation = 0;
  shot_.m_bRotate = 1;
  shot_.m_byCount = 1;
  // θ = 180 + 90 = 270; a = b = c × 24; φ = 495 = 135 degrees: sin c, cos −c.
  // x = 100 + 16 + 320 + 24 × c × c − 24 × c × c − 8 = 428; y = 200 + 16 + 320 + 12 + 12 − 8 = 552.
  // sin 270 = −1, cos 270 ≈ 0: different signs, n − 1 = 0 moves nothing.
  Expect(Lay(3, 90), {{428, 552, 0, 2}}, "rotated down");
}

TEST_F(Formations, ColumnsBStackUpward) {
  shot_.m_byFormation = 1;
  Expect(Lay(2), {{405, 536, -2, 0}, {405, 504, -2, 0}, {405, 472, -2, 0}}, "left");
  Expect(Lay(11), {{452, 536, D2, D2}, {452, 504, D2, D2}, {452, 472, D2, D2}}, "down-right");
  Expect(Lay(9), {{405, 536, -D2, D2}, {405, 504, -D2, D2}, {405, 472, -D2, D2}}, "down-left");
  user_->m_nDir = 1;
  Expect(Lay(6), {{452, 536, 0, -2}, {452, 504, 0, -2}, {452, 472, 0, -2}}, "up facing right");
  user_->m_nDir = 0;
  Expect(Lay(7), {{405, 536, 0, 2}, {405, 504, 0, 2}, {405, 472, 0, 2}}, "down facing left");
}

TEST_F(Formations, SpreadFansAroundTheMiddleAngle) {
  shot_.m_byFormation = 2;
  shot_.m_sFormParam[0] = 30;
  const double s3 = std::sqrt(3.0);
  // Right: start (452, 528); angles 150, 180, 210.
  Expect(Lay(3), {{452, 528, s3, -1}, {452, 528, 2, 0}, {452, 528, s3, 1}}, "three");
  shot_.m_byCount = 2;
  // 165 and 195.
  const double cx = -2 * std::cos(165 * M_PI / 180), sy = -2 * std::sin(165 * M_PI / 180);
  Expect(Lay(3), {{452, 528, cx, sy}, {452, 528, cx, -sy}}, "two");
  shot_.m_byCount = 1;
  Expect(Lay(3), {{452, 528, 2, 0}}, "one");
  Expect(Lay(8), {{411, 511, -D2, -D2}}, "up-left anchor");
  Expect(Lay(6), {{428, 504, 0, -2}}, "up");
  Expect(Lay(7), {{428, 552, 0, 2}}, "down");
  Expect(Lay(2), {{405, 528, -2, 0}}, "left");
  Expect(Lay(11), {{444, 544, D2, D2}}, "down-right anchor");
}

TEST_F(Formations, ThunderFromTheScreenEdgeLinedUpWithTheTarget) {
  shot_.m_byFormation = 3;
  shot_.m_byCount = 2;
  shot_.m_sFormParam[1] = 1;
  Expect(Lay(2), {{944, 478, -2, 0}, {912, 478, -2, 0}}, "left");
  Expect(Lay(3), {{320, 478, 2, 0}, {352, 478, 2, 0}}, "right");
  Expect(Lay(6), {{628, 784, 0, -2}, {628, 752, 0, -2}}, "up");
  Expect(Lay(7), {{628, 320, 0, 2}, {628, 352, 0, 2}}, "down");
  Expect(Lay(8), {{934, 784, -D2, -D2}, {912, 762, -D2, -D2}}, "up-left");
  Expect(Lay(9), {{786, 320, -D2, D2}, {764, 342, -D2, D2}}, "down-left");
  Expect(Lay(10), {{322, 784, D2, -D2}, {344, 762, D2, -D2}}, "up-right");
  Expect(Lay(11), {{470, 320, D2, D2}, {492, 342, D2, D2}}, "down-right");
  // A target nearer the left edge than the top: F = 100 < E = 166.
  Place(*target_, 84, 150);
  Expect(Lay(11), {{320, 386, D2, D2}, {342, 408, D2, D2}}, "down-right from the left edge");
}

TEST_F(Formations, ThunderColumnsAndSpacing) {
  shot_.m_byFormation = 3;
  shot_.m_byCount = 2;
  shot_.m_sFormParam[1] = 3;
  shot_.m_sFormParam[2] = 2;
  // Three columns 32 apart centred on the target line: f = 32.
  Expect(Lay(2), {{944, 446, -2, 0}, {944, 478, -2, 0}, {944, 510, -2, 0}, {912, 446, -2, 0}, {912, 478, -2, 0},
                  {912, 510, -2, 0}},
         "three columns");
  shot_.m_byCount = 1;
  shot_.m_sFormParam[1] = 2;
  // Two columns: f = 16.
  Expect(Lay(6), {{612, 784, 0, -2}, {644, 784, 0, -2}}, "two columns");
  // The spacing switch: rows without the gap.
  g_SystemData.m_bLegacy555 = 1;
  shot_.m_byCount = 2;
  shot_.m_sFormParam[1] = 1;
  Expect(Lay(2), {{944, 478, -2, 0}, {928, 478, -2, 0}}, "no gap");
  g_SystemData.m_bLegacy555 = 0;
  shot_.m_sFormParam[1] = 0;
  Expect(Lay(2), {}, "no columns");
  shot_.m_sFormParam[1] = 1;
  user_->SetTarget(0, nullptr);
  Expect(Lay(2), {}, "empty target slot");
}

TEST_F(Formations, ExplosionFromTheUsersCentre) {
  shot_.m_byFormation = 4;
  shot_.m_byCount = 4;
  Expect(Lay(2), {{428, 528, -2, 0}, {428, 528, 0, -2}, {428, 528, 2, 0}, {428, 528, 0, 2}}, "four");
  shot_.m_byCount = 0;
  Expect(Lay(2), {}, "count 0");
}

TEST_F(Formations, EncirclementAroundTheTarget) {
  shot_.m_byFormation = 5;
  shot_.m_byCount = 4;
  shot_.m_sFormParam[0] = 2;
  // Centre (628, 478), r = 32; trunc(-32 + 0.5) = -31.
  Expect(Lay(2), {{660, 478, -2, 0}, {628, 510, 0, -2}, {597, 478, 2, 0}, {628, 447, 0, 2}}, "four");
  shot_.m_sFormParam[0] = 0;
  Expect(Lay(2), {{628, 478, -2, 0}, {628, 478, 0, -2}, {628, 478, 2, 0}, {628, 478, 0, 2}}, "radius 0");
  user_->SetTarget(0, nullptr);
  Expect(Lay(2), {}, "empty target slot");
}

TEST_F(Formations, FormationOutsideTheTableMakesNothing) {
  shot_.m_byFormation = 6;
  Expect(Lay(2), {}, "6");
  shot_.m_byFormation = 255;
  Expect(Lay(2), {}, "255");
}

TEST_F(Formations, AimAngleTowardTheTargetOrTheFront) {
  cShotSpawn rec;
  // From (300 + 320 − 100, 166 + 320): the target's centre is 100 dots to the right.
  EXPECT_EQ(AimAngle(536, 486, *user_, shot_, rec), 180);
  // Straight left: atan2 gives 180 degrees, so 360.5 truncates to 360 (the same flight as 0).
  EXPECT_EQ(AimAngle(736, 486, *user_, shot_, rec), 360);
  EXPECT_EQ(AimAngle(636, 586, *user_, shot_, rec), 90);
  // 45.5 degrees and more rounds up.
  EXPECT_EQ(AimAngle(636 - 100, 486 - 100, *user_, shot_, rec), 225);
  // A scroll moving by itself and a scroll-bound target: the aim leads the scroll. Straight to
  // the right the intercept keeps the straight velocity (s, 0), s = 20 × 0.1 / k: angle 180 and
  // the record's speed s × k.
  world_->scene.m_ScrollX.m_dAutoSpeed = 0.5;
  world_->scene.m_ScrollX.m_bPinned = 0;
  target_->m_bScrollSync = 1;
  shot_.m_sSpeed = 20;
  rec.dSpeed = 0;
  EXPECT_DOUBLE_EQ(AimAngle(536, 486, *user_, shot_, rec), 180);
  EXPECT_DOUBLE_EQ(rec.dSpeed, 2.0);
  // A scroll-bound shot aims plainly and keeps the speed.
  shot_.m_bScrollBound = 1;
  rec.dSpeed = 7;
  EXPECT_EQ(AimAngle(636, 586, *user_, shot_, rec), 90);
  EXPECT_EQ(rec.dSpeed, 7);
  user_->SetTarget(0, nullptr);
  user_->m_nDir = 1;
  EXPECT_EQ(AimAngle(0, 0, *user_, shot_, rec), 180);
  user_->m_nDir = 0;
  EXPECT_EQ(AimAngle(0, 0, *user_, shot_, rec), 0);
}

TEST_F(Formations, DirectionsFollowTheFacing) {
  struct Case {
    int code, facing, want;
  } cases[] = {{0, 1, 3}, {0, 0, 2}, {1, 1, 2}, {1, 0, 3}, {4, 1, 7}, {4, 0, 6}, {5, 1, 6}, {5, 0, 7}, {9, 1, 9}};
  for (const Case& c : cases) {
    user_->m_nDir = c.facing;
    EXPECT_EQ(ResolveShotDirection(c.code, *user_), c.want) << c.code << " " << c.facing;
  }
}

class ShotCommand : public Formations {
 protected:
  std::vector<cShot*> Fire() {
    cCmdState state;
    CmdShot(world_->scene.m_lShot, *user_, state, shot_);
    std::vector<cShot*> v;
    world_->scene.m_lShot.ForEach([&](cShot& s) { v.push_back(&s); });
    return v;
  }
};

TEST_F(ShotCommand, VolleysWithTheirSpeedsAnglesAndLinks) {
  shot_.m_byFormation = 4;
  shot_.m_byCount = 1;
  shot_.m_byDirection = 2;
  shot_.m_bMirrorAngle = 0;
  shot_.m_sAngle = 90;
  shot_.m_sAngleStep = 90;
  shot_.m_byVolleys = 2;
  shot_.m_sSpeed = 20;
  shot_.m_sSpeedStep = 10;
  std::vector<cShot*> v = Fire();
  ASSERT_EQ(v.size(), 3u);
  const double k = g_StageData.m_nSubSteps;
  // Angles 90, 180, 270 at 2, 3, 4 dots a frame.
  EXPECT_NEAR(v[0]->m_dSpeedY, -2 / k, 1e-12);
  EXPECT_NEAR(v[1]->m_dSpeedX, 3 / k, 1e-12);
  EXPECT_NEAR(v[2]->m_dSpeedY, 4 / k, 1e-12);
  EXPECT_EQ(v[0]->m_nId + 1, v[1]->m_nId);
  EXPECT_EQ(world_->scene.m_nNextShotId, v[2]->m_nId + 1);
  // Each shot is linked once to its owner; trajectory 0 keeps no target.
  EXPECT_EQ(user_->m_vShotLink.size(), 3u);
  for (cShot* s : v) {
    EXPECT_EQ(s->m_lpOwner, user_);
    EXPECT_EQ(s->m_lpTarget, nullptr);
  }
  EXPECT_TRUE(target_->m_vShotLink.empty());
}

TEST_F(ShotCommand, TargetTrajectoriesLinkTheTarget) {
  shot_.m_byFormation = 4;
  shot_.m_byCount = 1;
  shot_.m_byTrajectory = 6;
  std::vector<cShot*> v = Fire();
  ASSERT_EQ(v.size(), 1u);
  EXPECT_EQ(v[0]->m_lpTarget, target_);
  ASSERT_EQ(target_->m_vShotLink.size(), 1u);
  EXPECT_EQ(target_->m_vShotLink.begin()->nKind, 0);
  // The target going clears the shot's reference.
  cObjectList<cStageChara>::Remove(*target_);
  EXPECT_EQ(v[0]->m_lpTarget, nullptr);
}

TEST_F(ShotCommand, MirroredAndRandomAngles) {
  shot_.m_byFormation = 4;
  shot_.m_byCount = 1;
  shot_.m_byDirection = 2;
  shot_.m_sSpeed = 10;
  shot_.m_sAngle = 30;
  user_->m_nDir = 1;  // mirror on by default: 330
  std::vector<cShot*> v = Fire();
  ASSERT_EQ(v.size(), 1u);
  const double k = g_StageData.m_nSubSteps;
  EXPECT_NEAR(v[0]->m_dSpeedX, -std::cos(330 * M_PI / 180) / k, 1e-12);
  EXPECT_NEAR(v[0]->m_dSpeedY, -std::sin(330 * M_PI / 180) / k, 1e-12);
  // Random spread 10 from seed 5: the generator's first value.
  world_->scene.m_lShot.Clear();
  shot_.m_sAngleRandom = 10;
  CrtSrand(5);
  unsigned x = 5u * 214013u + 2531011u;
  int first = static_cast<int>((x >> 16) & 0x7FFF);
  int angle = 330 + (-10 + first % 21);
  v = Fire();
  ASSERT_EQ(v.size(), 1u);
  EXPECT_NEAR(v[0]->m_dSpeedX, -std::cos(angle * M_PI / 180) / k, 1e-12);
}

TEST_F(ShotCommand, BadTrajectoryFiresNothing) {
  shot_.m_byFormation = 4;
  shot_.m_byCount = 1;
  shot_.m_byTrajectory = 10;
  EXPECT_TRUE(Fire().empty());
  shot_.m_byTrajectory = 9;
  EXPECT_EQ(Fire().size(), 1u);
}

}  // namespace
