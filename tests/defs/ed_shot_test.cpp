#include "defs/ed_shot.h"

#include <gtest/gtest.h>

#include <memory>

#include <functional>
#include <string>

#include "defs_fixture.h"
#include "record_bytes.h"
#include "support/bytes.h"

namespace {

class EdShotTest : public DefsTest {
 protected:
  void SetUp() override {
    DefsTest::SetUp();
    g_DefContext.anDbListSize[DBLIST_EFFECT] = 5;
  }
};

TEST_F(EdShotTest, NewRecordAndBodyAt790) {
  // 4 + 97 field bytes + 4.
  cEdShot fresh;
  EXPECT_EQ(Save(fresh).size(), 105u);
  EXPECT_EQ(Hex(Save(fresh)), Hex(ShotBytes().Body(790)));

  // Every field distinct, read from hand-built bytes and written back the same.
  ShotBytes s;
  s.count = 3, s.formation = 5, s.formParam[0] = 1, s.formParam[1] = -2, s.formParam[2] = 3, s.aimOrigin = 2;
  s.direction = 11, s.aim = 1, s.aimSlot = 3, s.angle = 45, s.angleStep = -5, s.mirrorAngle = 0, s.angleRandom = 9;
  s.rotate = 1, s.volleys = 4, s.offsetX = 10, s.offsetXStep = 11, s.offsetY = 12, s.offsetYStep = 13;
  s.mirrorOffsetX = 0, s.mirrorOffsetY = 1, s.graphic = 119, s.optionA = 21, s.hidden = 1, s.ownerLayer = 0;
  s.layer = 7, s.optionC = 22, s.zoom = 3, s.optionD = 23, s.trajectory = 9, s.trajParam[0] = 4;
  s.trajParam[1] = 999, s.trajParam[2] = 359, s.targetSlot = 2, s.scrollBound = 1, s.speed = 50;
  s.speedStep = 2, s.accel = 1, s.accelValue = -3, s.accelStep = 1, s.range = 30, s.rangeOn = 1;
  s.rangeStep = 4, s.stopAtRangeEnd = 1, s.lifetimeOn = 1, s.lifetime = 600, s.lifetimeStep = 6;
  s.passBlocks = 1, s.passChara = 1, s.passBlockChara = 0, s.hitsShots = 1, s.shotStrength = 9;
  s.power = 123456, s.valueE = -77, s.impact = -20, s.hitEffect = 4, s.itemPalette = 2, s.item = 8;
  s.summonOption = 31, s.prevBlockMode = 1, s.blockSummonMode = 2, s.summonPalette = 1, s.summonIndex = 17;
  s.layerMode = 2, s.summonOptionC = 32, s.reverseFacing = 1, s.hitEvent = 1, s.hitEventId = 26;
  cEdShot r;
  EXPECT_EQ(Load(r, 790, s.Body(790)), 0);
  EXPECT_EQ(r.m_nPower, 123456);
  EXPECT_EQ(r.m_cImpact, -20);
  EXPECT_EQ(r.m_sTrajParam[1], 999);
  EXPECT_EQ(r.m_byHitEventId, 26);
  EXPECT_EQ(Hex(Save(r)), Hex(s.Body(790)));
}

TEST_F(EdShotTest, OlderFilesAreUpgraded) {
  struct Case {
    const char* name;
    int version;
    std::function<void(ShotBytes&)> store;
    std::function<void(cEdShot&)> preset;
    std::function<void(const cEdShot&)> check;
  };
  auto none = [](cEdShot&) {};
  const Case cases[] = {
      {"v157 mirror angle", 157, [](ShotBytes&) {}, none, [](const cEdShot& r) { EXPECT_EQ(r.m_bMirrorAngle, 0); }},
      {"v196 block summon mode", 196, [](ShotBytes& s) { s.prevBlockMode = 2; }, none,
       [](const cEdShot& r) { EXPECT_EQ(r.m_byBlockSummonMode, 2); }},
      {"v197 block summon mode stored", 197, [](ShotBytes& s) { s.prevBlockMode = 2, s.blockSummonMode = 1; }, none,
       [](const cEdShot& r) { EXPECT_EQ(r.m_byBlockSummonMode, 1); }},
      {"v211 homing trajectory 6", 211, [](ShotBytes& s) { s.trajectory = 6; }, none,
       [](const cEdShot& r) { EXPECT_EQ(r.m_bScrollBound, 1); }},
      {"v211 homing trajectory 4", 211, [](ShotBytes& s) { s.trajectory = 4; }, none,
       [](const cEdShot& r) { EXPECT_EQ(r.m_bScrollBound, 1); }},
      {"v211 homing trajectory 7", 211, [](ShotBytes& s) { s.trajectory = 7; }, none,
       [](const cEdShot& r) { EXPECT_EQ(r.m_bScrollBound, 1); }},
      {"v211 trajectory 8", 211, [](ShotBytes& s) { s.trajectory = 8, s.scrollBound = 1; }, none,
       [](const cEdShot& r) { EXPECT_EQ(r.m_bScrollBound, 0); }},
      {"v211 trajectory 3", 211, [](ShotBytes& s) { s.trajectory = 3, s.scrollBound = 1; }, none,
       [](const cEdShot& r) { EXPECT_EQ(r.m_bScrollBound, 0); }},
      {"v212 keeps scroll-bound", 212, [](ShotBytes& s) { s.trajectory = 6, s.scrollBound = 0; }, none,
       [](const cEdShot& r) { EXPECT_EQ(r.m_bScrollBound, 0); }},
      {"v212 no acceleration", 212, [](ShotBytes&) {},
       [](cEdShot& r) { r.m_bAccel = 1, r.m_sAccel = 5, r.m_sAccelStep = 6; },
       [](const cEdShot& r) {
         EXPECT_EQ(r.m_bAccel, 0);
         EXPECT_EQ(r.m_sAccel, 0);
         EXPECT_EQ(r.m_sAccelStep, 0);
       }},
      {"v213 acceleration", 213, [](ShotBytes& s) { s.accel = 1, s.accelValue = 5, s.accelStep = 6; }, none,
       [](const cEdShot& r) {
         EXPECT_EQ(r.m_bAccel, 1);
         EXPECT_EQ(r.m_sAccel, 5);
         EXPECT_EQ(r.m_sAccelStep, 6);
       }},
      {"v635 block characters as characters", 635, [](ShotBytes& s) { s.passChara = 1; }, none,
       [](const cEdShot& r) { EXPECT_EQ(r.m_bPassBlockChara, 1); }},
      {"v636 block characters stored", 636, [](ShotBytes& s) { s.passChara = 1, s.passBlockChara = 0; }, none,
       [](const cEdShot& r) { EXPECT_EQ(r.m_bPassBlockChara, 0); }},
      {"v670 aim origin", 670, [](ShotBytes&) {}, [](cEdShot& r) { r.m_byAimOrigin = 2; },
       [](const cEdShot& r) { EXPECT_EQ(r.m_byAimOrigin, 0); }},
      {"v671 aim origin stored", 671, [](ShotBytes& s) { s.aimOrigin = 2; }, none,
       [](const cEdShot& r) { EXPECT_EQ(r.m_byAimOrigin, 2); }},
      {"v761 hit event absent", 761, [](ShotBytes&) {}, [](cEdShot& r) { r.m_bHitEvent = 1, r.m_byHitEventId = 3; },
       [](const cEdShot& r) {
         EXPECT_EQ(r.m_bHitEvent, 1);
         EXPECT_EQ(r.m_byHitEventId, 3);
       }},
      {"v766 slots absent", 766, [](ShotBytes&) {}, [](cEdShot& r) { r.m_byAimSlot = 1, r.m_byTargetSlot = 2; },
       [](const cEdShot& r) {
         EXPECT_EQ(r.m_byAimSlot, 1);
         EXPECT_EQ(r.m_byTargetSlot, 2);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShotBytes stored;
    stored.speed = 77, stored.power = 9;
    c.store(stored);
    cEdShot r;
    c.preset(r);
    EXPECT_EQ(Load(r, c.version, stored.Body(c.version)), 0);
    c.check(r);
    // The fields around the gated ones are read in their places.
    EXPECT_EQ(r.m_sSpeed, 77);
    EXPECT_EQ(r.m_nPower, 9);
  }
}

TEST_F(EdShotTest, ZoomAndHitEffectAreRepairedOnLoadAndSave) {
  struct Case {
    uint8_t zoom;
    int16_t hitEffect;
    uint8_t expectedZoom;
    int16_t expectedHitEffect;
  } cases[] = {{0, 4, 1, 4}, {2, 5, 2, 0}, {10, -1, 10, 0}, {1, 0, 1, 0}};
  for (const Case& c : cases) {
    ShotBytes s;
    s.zoom = c.zoom, s.hitEffect = c.hitEffect;
    cEdShot r;
    EXPECT_EQ(Load(r, 790, s.Body(790)), 0);
    EXPECT_EQ(r.m_byZoom, c.expectedZoom) << +c.zoom;
    EXPECT_EQ(r.m_sHitEffect, c.expectedHitEffect) << c.hitEffect;

    cEdShot w;
    w.m_byZoom = c.zoom, w.m_sHitEffect = c.hitEffect;
    ShotBytes e;
    e.zoom = c.expectedZoom, e.hitEffect = c.expectedHitEffect;
    EXPECT_EQ(Hex(Save(w)), Hex(e.Body(790)));
  }
}

TEST_F(EdShotTest, TableIndexesAreClampedAndLogged) {
  ShotBytes s;
  s.formation = 6, s.direction = 200, s.aimSlot = 4, s.targetSlot = 9, s.layer = 8, s.trajectory = 12;
  cEdShot r;
  EXPECT_EQ(Load(r, 790, s.Body(790)), 0);
  EXPECT_EQ(r.m_byFormation, 5);
  EXPECT_EQ(r.m_byDirection, 12);
  EXPECT_EQ(r.m_byAimSlot, 3);
  EXPECT_EQ(r.m_byTargetSlot, 3);
  EXPECT_EQ(r.m_byLayer, 7);
  const std::string log = env.ReportText();
  for (const char* line : {"cEdShot: m_byFormation 6", "cEdShot: m_byDirection 200", "cEdShot: m_byAimSlot 4",
                           "cEdShot: m_byTargetSlot 9", "cEdShot: m_byLayer 8"})
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;

  // The trajectory is also a sword type: only ClampTrajectory touches it.
  EXPECT_EQ(r.m_byTrajectory, 12);
  r.ClampTrajectory();
  EXPECT_EQ(r.m_byTrajectory, 9);
  EXPECT_NE(env.ReportText().find("cEdShot: m_byTrajectory 12"), std::string::npos);
  const std::string before = env.ReportText();
  r.ClampTrajectory();
  EXPECT_EQ(r.m_byTrajectory, 9);
  EXPECT_EQ(env.ReportText(), before);
}

TEST_F(EdShotTest, MemberOffsets) {
  cEdShot s;
  s.m_sOffsetX = 10, s.m_sOffsetXStep = 4, s.m_sOffsetY = -6, s.m_sOffsetYStep = 2;
  struct Case {
    uint8_t mirrorX, mirrorY;
    int i, facing, x, y;
  } cases[] = {
      {1, 0, 0, 0, 10, -6}, {1, 0, 3, 0, 22, 0}, {1, 0, 3, 1, -22, 0}, {0, 1, 3, 1, 22, 0},
      {0, 1, 1, 1, 14, 4},  {1, 1, 2, 1, -18, 2}, {1, 1, 2, 2, 18, -2},
  };
  for (const Case& c : cases) {
    s.m_bMirrorOffsetX = c.mirrorX, s.m_bMirrorOffsetY = c.mirrorY;
    EXPECT_EQ(s.GetOffsetX(c.i, c.facing), c.x) << c.i << "/" << c.facing;
    EXPECT_EQ(s.GetOffsetY(c.i, c.facing), c.y) << c.i << "/" << c.facing;
  }
}

TEST(ShotParamTables, IndexedByNumberAndParameter) {
  const cShotParamInfo& rows = GetFormationParam(3, 1);
  EXPECT_STREQ(rows.lpszLabel, "列の数");
  EXPECT_EQ(rows.sMin, 1);
  EXPECT_EQ(rows.sMax, 50);
  EXPECT_EQ(rows.sDefault, 1);
  const cShotParamInfo& wave = GetTrajectoryParam(8, 2);
  EXPECT_STREQ(wave.lpszLabel, "開始角度");
  EXPECT_EQ(wave.sMax, 359);
  EXPECT_EQ(GetTrajectoryParam(5, 2).sMax, 7);
  EXPECT_EQ(GetTrajectoryParam(4, 1).sDefault, 999);
  EXPECT_EQ(GetFormationParam(5, 0).sDefault, 6);
  // Unused parameters and numbers outside the tables give the unused entry.
  for (const cShotParamInfo* p : {&GetFormationParam(4, 0), &GetFormationParam(6, 0), &GetFormationParam(-1, 0),
                                  &GetFormationParam(0, 3), &GetTrajectoryParam(10, 0), &GetTrajectoryParam(0, -1)}) {
    EXPECT_STREQ(p->lpszLabel, "");
    EXPECT_EQ(p->sMin, 0);
    EXPECT_EQ(p->sMax, 0);
    EXPECT_EQ(p->sDefault, 0);
  }
}

TEST_F(EdShotTest, EveryGateOfTheLayoutIsReadWhereTheFileHasIt) {
  ShotBytes s;
  s.count = 2, s.speed = 40, s.power = 7;
  ExpectGatesOfLayout([] { return std::make_unique<cEdShot>(); }, [&](int v) { return s.Body(v); });
}

}  // namespace
