// Arrange entries: the operations with their limits from the parameter table, the operand
// sources with their index checks, kind matching (item-list kinds counted as flow kinds), the
// queues of flow runs and of the hero, and kinds without arrangeable fields.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "defs/ed_move.h"
#include "defs/ed_shot.h"
#include "defs/flow_cmd.h"
#include "fixture/fixture.h"
#include "script/arrange.h"
#include "script/cmd_dispatch.h"
#include "script/cmd_param_def.h"
#include "script/cmd_state.h"
#include "script_kit.h"

using namespace scriptkit;

namespace {

cFlowCmd Entry(int kind, int index, int op, int source, int n) {
  cFlowCmd e = Cmd(CMD_ARRANGE, 0);
  e.m_vParam = {kind, index, op, source, n};
  return e;
}

// A command of a kind with its parameter list of 18 values, one of them set.
cFlowCmd Target(int kind, size_t element, int value) {
  cFlowCmd c = Cmd(kind, 0);
  c.m_vParam.assign(18, 0);
  c.m_vParam[element] = value;
  return c;
}

// A movement command (kinds 2, 5, 6, 20) with its movement record, or a shot or summon command
// (kinds 11..15) with its shot record.
cFlowCmd RecordCmd(int kind) {
  cFlowCmd c = Cmd(kind, 0);
  if (kind == CMD_MOVE_LINE || kind == CMD_MOVE_CHARGE || kind == CMD_MOVE_HOMING || kind == CMD_WARP)
    CreateEdMove(c.m_pMove);
  else
    CreateEdShot(c.m_pShot);
  return c;
}

using ReadField = int (*)(const cFlowCmd&);
const cEdMove& Mv(const cFlowCmd& c) { return *c.m_pMove; }
const cEdShot& Sh(const cFlowCmd& c) { return *c.m_pShot; }

class Arrange : public ::testing::Test {
 protected:
  Arrange() : w(1, {}), me(w.chara) {
    g_SaveData.m_vCommonVar.assign(1001, 0);
    BuildCommandParamTable();
  }
  ScriptWorld w;
  cStageChara& me;
};

TEST_F(Arrange, OperationsOperandsAndLimits) {
  // Kind 22: index 0 is parameter [8] within -999999..999999; kind 33: index 0 is [0] within
  // 0..255, index 3 is [3] within 0..100.
  g_SaveData.m_vCommonVar[5] = 4;
  w.world.scene.m_vStageVar[2] = -6;
  me.m_vVar[3] = 9;
  const struct {
    int kind, element, cur;
    int entryKind, index, op, source, n;
    int expected;
  } rows[] = {
      {33, 0, 10, 33, 0, 1, 9, 500, 255},
      {33, 3, 10, 33, 3, 2, 9, 11, 0},
      {22, 8, 5, 22, 0, 6, 9, 50, 3},
      {22, 8, -5, 22, 0, 6, 9, 50, -3},
      {22, 8, 65536, 22, 0, 3, 9, 65536, 999999},
      {22, 8, -65536, 22, 0, 3, 9, 65536, -999999},
      {22, 8, 7, 22, 0, 4, 9, 0, 7},
      {22, 8, 7, 22, 0, 5, 9, 0, 7},
      {22, 8, -7, 22, 0, 5, 9, 3, -1},
      {22, 9, 7, 22, 1, 0, 9, -2, -2},
      {22, 9, 7, 22, 1, 7, 9, -2, 7},
      {22, 8, 7, 21, 0, 0, 9, 1, 7},    // another kind: dropped
      {22, 8, 7, 22, 0, 1, 0, 5, 11},   // C5
      {22, 8, 7, 22, 0, 1, 0, 0, 7},    // C0 is skipped
      {22, 8, 7, 22, 0, 1, 0, 1001, 7}, // beyond the bank: skipped
      {22, 8, 7, 22, 0, 1, 1, 2, 1},    // S2
      {22, 8, 7, 22, 0, 1, 1, 0, 7},
      {22, 8, 7, 22, 0, 1, 2, 3, 16},   // character variable 3
      {22, 8, 7, 22, 0, 1, 2, 9, 7},
      {22, 8, 7, 22, 0, 1, 2, -1, 7},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "kind " << r.kind << " cur " << r.cur << " op " << r.op << " src " << r.source
                                    << " n " << r.n);
    cFlowCmd c = Target(r.kind, static_cast<size_t>(r.element), r.cur);
    ApplyArrangeEntry(c, Entry(r.entryKind, r.index, r.op, r.source, r.n), me);
    EXPECT_EQ(c.m_vParam[static_cast<size_t>(r.element)], r.expected);
  }
}

TEST_F(Arrange, KindsWithoutFieldsChangeNothing) {
  for (int kind : {0, 3, 4, 7, 8, 39}) {
    SCOPED_TRACE(kind);
    cFlowCmd c = Target(kind, 0, 5);
    cFlowCmd before = c;
    ApplyArrangeEntry(c, Entry(kind, 0, 0, 9, 77), me);
    EXPECT_EQ(c.m_vParam, before.m_vParam);
  }
}

TEST_F(Arrange, FlowRunQueueAppliesInOrderAndEmpties) {
  cFlowRun run;
  cPlayScene& scene = w.world.scene;
  scene.m_pCurRun = &run;
  scene.m_pCurChara = &me;
  cFlowCmd arrange = Entry(33, 0, 1, 9, 1);
  ASSERT_NE(g_apfnCmdImpl[CMD_ARRANGE], nullptr);
  g_apfnCmdImpl[CMD_ARRANGE](me, arrange);
  cFlowCmd doubling = Entry(33, 0, 3, 9, 2);
  g_apfnCmdImpl[CMD_ARRANGE](me, doubling);
  ASSERT_EQ(run.m_lArrange.size(), 2u);
  cFlowCmd c = Target(33, 0, 10);
  cCmdState state;
  state.m_pCmd = &c;
  state.Reset();
  EXPECT_EQ(c.m_vParam[0], 22);  // (10 + 1) × 2
  EXPECT_TRUE(run.m_lArrange.empty());
  state.Reset();
  EXPECT_EQ(c.m_vParam[0], 22);
  scene.m_pCurRun = nullptr;
  scene.m_pCurChara = nullptr;
}

TEST_F(Arrange, ItemListEntriesWaitOnTheHero) {
  cPlayer& hero = w.world.AddHero(fixture::Chara(3), 1, 1);
  // An arrange command of an item list queues on the hero.
  cFlowCmd arrange = Entry(17, 0, 1, 9, 5);
  arrange.m_bySelector = 1;
  g_apfnCmdImpl[CMD_ARRANGE](me, arrange);
  ASSERT_EQ(hero.m_lPlayerArrange.size(), 1u);
  // List kind 2 (the stage clear) acts as flow kind 17, whose index 0 is parameter [1] in 1..99.
  cFlowCmd clear = Target(0, 1, 3);
  clear.m_bySelector = 1;
  clear.m_byKind = 2;
  ASSERT_EQ(clear.FlowKind(), 17);
  ApplyPlayerArranges(hero, clear);
  EXPECT_EQ(clear.m_vParam[1], 8);
  EXPECT_TRUE(hero.m_lPlayerArrange.empty());
}

// Each parameter index of the movement and shot kinds reaches its own field: an out-of-range
// constant is set and clamped to the parameter's limit, which must appear in that field.
TEST_F(Arrange, RecordFieldsTakeClampedValues) {
  const struct {
    int kind, index, value, expected;
    ReadField read;
  } rows[] = {
      {2, 0, 641, 640, [](const cFlowCmd& c) -> int { return Mv(c).m_sGoalXBlocks; }},
      {2, 1, -641, -640, [](const cFlowCmd& c) -> int { return Mv(c).m_sGoalXDots; }},
      {2, 2, 640, 640, [](const cFlowCmd& c) -> int { return Mv(c).m_sGoalYBlocks; }},
      {2, 3, -639, -639, [](const cFlowCmd& c) -> int { return Mv(c).m_sGoalYDots; }},
      {2, 4, 7201, 7200, [](const cFlowCmd& c) -> int { return Mv(c).m_sAngle; }},
      {2, 5, -7201, -7200, [](const cFlowCmd& c) -> int { return Mv(c).m_sAngleStep; }},
      {5, 0, -700, -640, [](const cFlowCmd& c) -> int { return Mv(c).m_sGoalXBlocks; }},
      {5, 5, 90, 90, [](const cFlowCmd& c) -> int { return Mv(c).m_sAngleStep; }},
      {6, 0, 11, 10, [](const cFlowCmd& c) -> int { return Mv(c).m_sRadius; }},
      {6, 1, 10, 10, [](const cFlowCmd& c) -> int { return Mv(c).m_sRadiusStep; }},
      {6, 2, 641, 640, [](const cFlowCmd& c) -> int { return Mv(c).m_sGoalXBlocks; }},
      {6, 3, 5, 5, [](const cFlowCmd& c) -> int { return Mv(c).m_sGoalXDots; }},
      {6, 4, 6, 6, [](const cFlowCmd& c) -> int { return Mv(c).m_sGoalYBlocks; }},
      {6, 5, 7, 7, [](const cFlowCmd& c) -> int { return Mv(c).m_sGoalYDots; }},
      {20, 0, 65, 64, [](const cFlowCmd& c) -> int { return Mv(c).m_sDistance; }},
      {20, 1, -41, -40, [](const cFlowCmd& c) -> int { return Mv(c).m_sDistanceStep; }},
      {20, 2, 3, 3, [](const cFlowCmd& c) -> int { return Mv(c).m_sGoalXBlocks; }},
      {20, 3, 4, 4, [](const cFlowCmd& c) -> int { return Mv(c).m_sGoalYBlocks; }},
      {20, 4, 5, 5, [](const cFlowCmd& c) -> int { return Mv(c).m_sGoalXDots; }},
      {20, 5, 6, 6, [](const cFlowCmd& c) -> int { return Mv(c).m_sGoalYDots; }},
      {11, 0, 0, 1, [](const cFlowCmd& c) -> int { return Sh(c).m_sGraphic; }},
      {11, 0, 121, 120, [](const cFlowCmd& c) -> int { return Sh(c).m_sGraphic; }},
      {11, 1, 8, 7, [](const cFlowCmd& c) -> int { return Sh(c).m_byShotOptionA; }},
      {11, 5, 0, 1, [](const cFlowCmd& c) -> int { return Sh(c).m_byCount; }},
      {11, 5, 128, 127, [](const cFlowCmd& c) -> int { return Sh(c).m_byCount; }},
      {11, 6, 21, 20, [](const cFlowCmd& c) -> int { return Sh(c).m_byVolleys; }},
      {11, 7, -7201, -7200, [](const cFlowCmd& c) -> int { return Sh(c).m_sAngle; }},
      {11, 8, 7201, 7200, [](const cFlowCmd& c) -> int { return Sh(c).m_sAngleStep; }},
      {11, 9, 181, 180, [](const cFlowCmd& c) -> int { return Sh(c).m_sAngleRandom; }},
      {11, 10, -641, -640, [](const cFlowCmd& c) -> int { return Sh(c).m_sOffsetX; }},
      {11, 11, 12, 12, [](const cFlowCmd& c) -> int { return Sh(c).m_sOffsetXStep; }},
      {11, 12, 13, 13, [](const cFlowCmd& c) -> int { return Sh(c).m_sOffsetY; }},
      {11, 13, 641, 640, [](const cFlowCmd& c) -> int { return Sh(c).m_sOffsetYStep; }},
      {11, 14, 8, 7, [](const cFlowCmd& c) -> int { return Sh(c).m_byLayer; }},
      {11, 18, 201, 200, [](const cFlowCmd& c) -> int { return Sh(c).m_sSpeed; }},
      {11, 19, -201, -200, [](const cFlowCmd& c) -> int { return Sh(c).m_sSpeedStep; }},
      {11, 20, 199, 199, [](const cFlowCmd& c) -> int { return Sh(c).m_sAccel; }},
      {11, 21, -3, -3, [](const cFlowCmd& c) -> int { return Sh(c).m_sAccelStep; }},
      {11, 22, 65, 64, [](const cFlowCmd& c) -> int { return Sh(c).m_sRange; }},
      {11, 23, -41, -40, [](const cFlowCmd& c) -> int { return Sh(c).m_sRangeStep; }},
      {11, 24, 0, 1, [](const cFlowCmd& c) -> int { return Sh(c).m_sLifetime; }},
      {11, 25, 100, 99, [](const cFlowCmd& c) -> int { return Sh(c).m_sLifetimeStep; }},
      {11, 26, 0, 1, [](const cFlowCmd& c) -> int { return Sh(c).m_byShotStrength; }},
      {11, 26, 10, 9, [](const cFlowCmd& c) -> int { return Sh(c).m_byShotStrength; }},
      {11, 27, 1000000, 999999, [](const cFlowCmd& c) -> int { return Sh(c).m_nPower; }},
      {11, 27, -1000000, -999999, [](const cFlowCmd& c) -> int { return Sh(c).m_nPower; }},
      {11, 28, -21, -20, [](const cFlowCmd& c) -> int { return Sh(c).m_cImpact; }},
      {11, 28, 20, 20, [](const cFlowCmd& c) -> int { return Sh(c).m_cImpact; }},
      {12, 0, 8, 7, [](const cFlowCmd& c) -> int { return Sh(c).m_byLayer; }},
      {12, 1, 6, 6, [](const cFlowCmd& c) -> int { return Sh(c).m_byShotOptionA; }},
      {12, 2, 999999, 999999, [](const cFlowCmd& c) -> int { return Sh(c).m_nPower; }},
      {12, 3, 21, 20, [](const cFlowCmd& c) -> int { return Sh(c).m_cImpact; }},
      {13, 3, 128, 127, [](const cFlowCmd& c) -> int { return Sh(c).m_byCount; }},
      {13, 4, 641, 640, [](const cFlowCmd& c) -> int { return Sh(c).m_sOffsetX; }},
      {13, 5, -641, -640, [](const cFlowCmd& c) -> int { return Sh(c).m_sOffsetY; }},
      {14, 0, 10000, 9999, [](const cFlowCmd& c) -> int { return Sh(c).m_sLifetime; }},
      {14, 1, 7, 7, [](const cFlowCmd& c) -> int { return Sh(c).m_byLayer; }},
      {14, 5, 0, 1, [](const cFlowCmd& c) -> int { return Sh(c).m_byCount; }},
      {14, 6, 15, 15, [](const cFlowCmd& c) -> int { return Sh(c).m_sOffsetX; }},
      {14, 7, 16, 16, [](const cFlowCmd& c) -> int { return Sh(c).m_sOffsetY; }},
      {15, 0, 0, 1, [](const cFlowCmd& c) -> int { return Sh(c).m_sLifetime; }},
      {15, 4, 2, 2, [](const cFlowCmd& c) -> int { return Sh(c).m_byCount; }},
      {15, 5, 17, 17, [](const cFlowCmd& c) -> int { return Sh(c).m_sOffsetX; }},
      {15, 6, 641, 640, [](const cFlowCmd& c) -> int { return Sh(c).m_sOffsetY; }},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "kind " << r.kind << " index " << r.index << " value " << r.value);
    cFlowCmd c = RecordCmd(r.kind);
    ApplyArrangeEntry(c, Entry(r.kind, r.index, 0, 9, r.value), me);
    EXPECT_EQ(r.read(c), r.expected);
  }
}

TEST_F(Arrange, RecordOperationsReadTheField) {
  // Speed 0 + 500 stops at the largest speed 200.
  cFlowCmd shot = RecordCmd(CMD_SHOT);
  ApplyArrangeEntry(shot, Entry(CMD_SHOT, 18, 1, 9, 500), me);
  EXPECT_EQ(shot.m_pShot->m_sSpeed, 200);
  // The operation starts from the field's value: 30 - 45 = -15.
  shot.m_pShot->m_sAccel = 30;
  ApplyArrangeEntry(shot, Entry(CMD_SHOT, 20, 2, 9, 45), me);
  EXPECT_EQ(shot.m_pShot->m_sAccel, -15);
  // A one-byte field read signed: impact -5, percent 50 gives -3 (-2.5 away from zero).
  shot.m_pShot->m_cImpact = -5;
  ApplyArrangeEntry(shot, Entry(CMD_SHOT, 28, 6, 9, 50), me);
  EXPECT_EQ(shot.m_pShot->m_cImpact, -3);
  // Power 65536 × 65536 overflows 32 bits and saturates at the largest power.
  shot.m_pShot->m_nPower = 65536;
  ApplyArrangeEntry(shot, Entry(CMD_SHOT, 27, 3, 9, 65536), me);
  EXPECT_EQ(shot.m_pShot->m_nPower, 999999);
  // A count of 100 doubled stays within the byte's parameter limit 127.
  shot.m_pShot->m_byCount = 100;
  ApplyArrangeEntry(shot, Entry(CMD_SHOT, 5, 3, 9, 2), me);
  EXPECT_EQ(shot.m_pShot->m_byCount, 127);
  // A movement goal from a character variable, then the same entry again: 2 + 2 = 4 blocks.
  me.m_vVar[1] = 2;
  cFlowCmd move = RecordCmd(CMD_MOVE_LINE);
  ApplyArrangeEntry(move, Entry(CMD_MOVE_LINE, 0, 1, 2, 1), me);
  ApplyArrangeEntry(move, Entry(CMD_MOVE_LINE, 0, 1, 2, 1), me);
  EXPECT_EQ(move.m_pMove->m_sGoalXBlocks, 4);
  // A warp entry does not reach a straight move, nor the other way round.
  ApplyArrangeEntry(move, Entry(CMD_WARP, 2, 0, 9, 9), me);
  EXPECT_EQ(move.m_pMove->m_sGoalXBlocks, 4);
}

// The formation values take the limits of the record's formation, the movement-type values
// those of its movement type; a value that the formation or type does not use is held at 0.
TEST_F(Arrange, FormationAndMovementTypeLimits) {
  const struct {
    int kind, index, formation, trajectory, value, expected, slot;
    bool movementType;
  } rows[] = {
      {11, 2, 0, 0, 41, 40, 0, false},   // straight A: spacing 0..40
      {11, 2, 0, 0, 40, 40, 0, false},
      {11, 3, 0, 0, 5, 0, 1, false},     // straight A has no second value
      {11, 3, 3, 0, 0, 1, 1, false},     // thunder: columns 1..50
      {11, 3, 3, 0, 51, 50, 1, false},
      {11, 4, 3, 0, 41, 40, 2, false},   // thunder: column spacing 0..40
      {11, 2, 4, 0, 7, 0, 0, false},     // burst uses no values
      {11, 2, 2, 0, 181, 180, 0, false}, // spread: angle 0..180
      {13, 0, 5, 0, 41, 40, 0, false},   // surround: distance 0..40
      {13, 1, 3, 0, 50, 50, 1, false},
      {14, 2, 0, 0, 41, 40, 0, false},
      {14, 3, 3, 0, 0, 1, 1, false},
      {14, 4, 4, 0, 3, 0, 2, false},
      {15, 1, 5, 0, 41, 40, 0, false},
      {15, 2, 3, 0, 51, 50, 1, false},
      {15, 3, 3, 0, 40, 40, 2, false},
      {11, 15, 0, 0, 5, 0, 0, true},     // straight flight uses no values
      {11, 15, 1, 1, 41, 40, 0, true},   // aim at the hero: change after 0..40
      {11, 16, 0, 2, 8, 7, 1, true},     // nearest character: allegiance 0..7
      {11, 16, 0, 4, 1000, 999, 1, true},// home on the hero: end 0..999
      {11, 17, 0, 8, 360, 359, 2, true}, // wave: start angle 0..359
      {11, 17, 0, 8, 359, 359, 2, true},
      {11, 17, 0, 6, 3, 0, 2, true},     // home on the target has no third value
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "kind " << r.kind << " index " << r.index << " formation " << r.formation
                                    << " type " << r.trajectory << " value " << r.value);
    cFlowCmd c = RecordCmd(r.kind);
    c.m_pShot->m_byFormation = static_cast<uint8_t>(r.formation);
    c.m_pShot->m_byTrajectory = static_cast<uint8_t>(r.trajectory);
    ApplyArrangeEntry(c, Entry(r.kind, r.index, 0, 9, r.value), me);
    const int16_t* values = r.movementType ? c.m_pShot->m_sTrajParam : c.m_pShot->m_sFormParam;
    EXPECT_EQ(values[r.slot], r.expected);
  }
}

// A movement or shot command without its record, and an index past the kind's fields, change
// nothing and do not fail.
TEST_F(Arrange, MissingRecordsAndIndexesChangeNothing) {
  for (int kind : {2, 5, 6, 11, 12, 13, 14, 15, 20}) {
    SCOPED_TRACE(kind);
    cFlowCmd bare = Cmd(kind, 0);
    ASSERT_FALSE(bare.m_pMove);
    ASSERT_FALSE(bare.m_pShot);
    cFlowCmd before = bare;
    ApplyArrangeEntry(bare, Entry(kind, 0, 0, 9, 3), me);
    EXPECT_EQ(bare.m_vParam, before.m_vParam);
    int value = 0;
    EXPECT_EQ(ArrangeGetParam(kind, 0, bare, value), 0);
  }
  cFlowCmd shot = RecordCmd(CMD_SHOT);
  int value = 0;
  EXPECT_EQ(ArrangeGetParam(CMD_SHOT, 28, shot, value), 1);
  EXPECT_EQ(ArrangeGetParam(CMD_SHOT, 29, shot, value), 0);
  EXPECT_EQ(ArrangeGetParam(CMD_SWORD, 4, shot, value), 0);
  cFlowCmd move = RecordCmd(CMD_MOVE_HOMING);
  EXPECT_EQ(ArrangeGetParam(CMD_MOVE_HOMING, 5, move, value), 1);
  EXPECT_EQ(ArrangeGetParam(CMD_MOVE_HOMING, 6, move, value), 0);
  EXPECT_EQ(ArrangeGetParam(CMD_MOVE_HOMING, -1, move, value), 0);
}

}  // namespace
