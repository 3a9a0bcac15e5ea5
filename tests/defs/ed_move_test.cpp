#include "defs/ed_move.h"

#include <gtest/gtest.h>

#include <memory>

#include <string>

#include "defs_fixture.h"
#include "record_bytes.h"
#include "support/bytes.h"

namespace {

class EdMoveTest : public DefsTest {};

TEST_F(EdMoveTest, NewRecordAndBodyAt790) {
  // A new record has the defaults of the table and writes 61 bytes: 4 + 53 field bytes + 4.
  cEdMove fresh;
  EXPECT_EQ(Save(fresh).size(), 61u);
  EXPECT_EQ(Hex(Save(fresh)), Hex(MoveBytes().Body(790)));

  MoveBytes m;
  m.goalMode = 5, m.direction = 12, m.angle = -90, m.angleStep = 15, m.mirrorAngle = 0, m.goalX = 0, m.goalY = 1;
  m.goalXBlocks = 3, m.goalYBlocks = -4, m.goalXDots = 5, m.goalYDots = -6, m.coordMode = 3;
  m.timeFromDistance = 0, m.noMoveX = 1, m.noMoveY = 1, m.mirrorGoalX = 0, m.mirrorGoalY = 1;
  m.reverseWithFacing = 0, m.stopAtGoal = 1, m.keepFacing = 1, m.timeMode = 2, m.speed = 25, m.speedStep = -1;
  m.distance = 360, m.distanceStep = 7, m.distanceUnit = 1, m.radius = 20, m.radiusStep = 2, m.inertia = 1;
  m.maxSpeed = 80, m.brake = 0.25, m.timeFromAnime = 1, m.targetSlot = 3;
  cEdMove r;
  EXPECT_EQ(Load(r, 790, m.Body(790)), 0);
  EXPECT_EQ(r.m_sGoalYBlocks, -4);
  EXPECT_EQ(r.m_dBrake, 0.25);
  EXPECT_EQ(r.m_byTargetSlot, 3);
  EXPECT_EQ(Hex(Save(r)), Hex(m.Body(790)));
}

TEST_F(EdMoveTest, OlderFilesAreUpgraded) {
  struct Case {
    int version;
    uint8_t mirrorAngle, distanceUnit, keepFacing, timeFromAnime, targetSlot;
  } cases[] = {
      // Fields a file lacks are set by the upgrades or keep the record's value (target slot 2).
      {157, 0, 0, 0, 0, 2},
      {158, 1, 0, 0, 0, 2},
      {159, 1, 1, 0, 0, 2},
      {161, 1, 1, 0, 0, 2},
      {162, 1, 1, 1, 1, 2},
      {766, 1, 1, 1, 1, 2},
      {767, 1, 1, 1, 1, 1},
  };
  MoveBytes stored;
  stored.mirrorAngle = 1, stored.distanceUnit = 1, stored.keepFacing = 1, stored.timeFromAnime = 1;
  stored.targetSlot = 1, stored.speed = 33, stored.brake = 2.5;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    cEdMove r;
    r.m_bMirrorAngle = 1, r.m_byDistanceUnit = 1, r.m_bKeepFacing = 1, r.m_bTimeFromAnime = 1, r.m_byTargetSlot = 2;
    EXPECT_EQ(Load(r, c.version, stored.Body(c.version)), 0);
    EXPECT_EQ(r.m_bMirrorAngle, c.mirrorAngle);
    EXPECT_EQ(r.m_byDistanceUnit, c.distanceUnit);
    EXPECT_EQ(r.m_bKeepFacing, c.keepFacing);
    EXPECT_EQ(r.m_bTimeFromAnime, c.timeFromAnime);
    EXPECT_EQ(r.m_byTargetSlot, c.targetSlot);
    EXPECT_EQ(r.m_sSpeed, 33);
    EXPECT_EQ(r.m_dBrake, 2.5);
  }
  // A new record of version 157 has no mirrored angle although a new record has 1.
  cEdMove fresh;
  EXPECT_EQ(Load(fresh, 157, MoveBytes().Body(157)), 0);
  EXPECT_EQ(fresh.m_bMirrorAngle, 0);
}

TEST_F(EdMoveTest, DirectionAndTargetSlotAreClampedAndLogged) {
  MoveBytes m;
  m.direction = 13, m.targetSlot = 200;
  cEdMove r;
  EXPECT_EQ(Load(r, 790, m.Body(790)), 0);
  EXPECT_EQ(r.m_byDirection, 12);
  EXPECT_EQ(r.m_byTargetSlot, 3);
  EXPECT_NE(env.ReportText().find("cEdMove: m_byDirection 13"), std::string::npos) << env.ReportText();
  EXPECT_NE(env.ReportText().find("cEdMove: m_byTargetSlot 200"), std::string::npos) << env.ReportText();

  // Values in range are kept and not logged.
  const std::string before = env.ReportText();
  m.direction = 12, m.targetSlot = 3;
  EXPECT_EQ(Load(r, 790, m.Body(790)), 0);
  EXPECT_EQ(r.m_byDirection, 12);
  EXPECT_EQ(r.m_byTargetSlot, 3);
  EXPECT_EQ(env.ReportText(), before);
}

TEST(MapInputDirection, InputCodesAndReplayVersions) {
  struct Case {
    int input, allow, facingRight, replay, version, expected;
  } cases[] = {
      {1, 0, 0, 0, 790, 2},  {2, 0, 0, 0, 790, 3},  {3, 0, 0, 0, 790, 6},   {4, 0, 0, 0, 790, 7},
      {5, 0, 0, 0, 790, 8},  {6, 0, 0, 0, 790, 9},  {7, 0, 0, 0, 790, 10},  {8, 1, 1, 1, 700, 11},
      {0, 1, 1, 0, 790, 3},  {0, 1, 0, 0, 790, 2},  {9, 1, 0, 0, 790, 0},   {9, 0, 1, 0, 790, 3},
      {9, 0, 0, 0, 790, 2},  {10, 1, 1, 0, 790, 3}, {-1, 1, 0, 0, 790, 2},
      // Outside a replay the version does not matter.
      {9, 0, 1, 0, 700, 3},  {9, 1, 1, 0, 778, 0},
      // In a replay: up to 777 always allowed, 778 and 779 never, from 780 the flag.
      {9, 0, 1, 1, 777, 0},  {9, 1, 1, 1, 778, 3},  {9, 1, 0, 1, 779, 2},   {9, 1, 1, 1, 780, 0},
      {9, 0, 1, 1, 780, 3},  {9, 0, 1, 1, 790, 3},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MapInputDirection(c.input, c.allow, c.facingRight, c.replay, c.version), c.expected)
        << "input " << c.input << " allow " << c.allow << " right " << c.facingRight << " replay " << c.replay
        << " version " << c.version;
}

TEST_F(EdMoveTest, EveryGateOfTheLayoutIsReadWhereTheFileHasIt) {
  MoveBytes m;
  m.speed = 33, m.brake = 2.5, m.targetSlot = 1;
  ExpectGatesOfLayout([] { return std::make_unique<cEdMove>(); }, [&](int v) { return m.Body(v); });
}

}  // namespace
