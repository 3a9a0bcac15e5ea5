// Conditions: the list rules, the once latch of flows, the comparison operators over the three
// variable banks, status comparisons with the width cut and percentages, state tests, and the
// seven distance shapes against the subject's facing.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "defs/block_data.h"
#include "defs/cond.h"
#include "engine/item.h"
#include "engine/player.h"
#include "fixture/fixture.h"
#include "project/replay.h"
#include "project/shell_state.h"
#include "project/system_data.h"
#include "script/conditions.h"
#include "script_kit.h"

using namespace scriptkit;

namespace {

cCond Var(int kind, int index, int op, int value) {
  cCond c;
  c.m_byKind = static_cast<uint8_t>(kind);
  c.m_wIndex = static_cast<int16_t>(index);
  c.m_byOp = static_cast<uint8_t>(op);
  c.m_nValue = value;
  return c;
}

// Kind 4: a status of an object against a constant.
cCond Status(int object, int status, int op, int value, int percent = 0) {
  cCond c = Var(4, 0, op, value);
  c.m_byLeftOwner = static_cast<uint8_t>(object);
  c.m_byLeftStatus = static_cast<uint8_t>(status);
  c.m_bPercent = static_cast<uint8_t>(percent);
  return c;
}

class Conditions : public ::testing::Test {
 protected:
  Conditions() : w(1, {}), me(w.chara), other(w.world.AddChara(fixture::Chara(2), 8, 8)) {
    g_SaveData.m_vCommonVar.assign(1001, 0);
    me.SetTarget(0, &other);
    me.SetTarget(1, nullptr);
  }
  int Check(const cCond& c) { return w.world.scene.CheckCond(c, me); }

  ScriptWorld w;
  cStageChara& me;
  cStageChara& other;
};

TEST_F(Conditions, OperatorsOverTheThreeBanks) {
  const struct {
    int x, op, y, expected;
  } rows[] = {
      {5, 0, 5, 1},  {5, 0, 6, 0},  {5, 1, 6, 1},   {5, 1, 5, 0},  {5, 2, 5, 1}, {4, 2, 5, 0},
      {5, 3, 5, 1},  {6, 3, 5, 0},  {6, 4, 5, 1},   {5, 4, 5, 0},  {4, 5, 5, 1}, {5, 5, 5, 0},
      {9, 6, 0, 1},  {-7, 6, 7, 1}, {-8, 6, 7, 0},  {9, 7, 0, 0},  {-8, 7, 7, 1}, {-7, 7, 7, 0},
      {5, 8, 5, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.x << " op " << r.op << " " << r.y);
    g_SaveData.m_vCommonVar[10] = r.x;
    w.world.scene.m_vStageVar[11] = r.x;
    me.m_vVar[3] = r.x;
    EXPECT_EQ(Check(Var(1, 10, r.op, r.y)), r.expected);
    EXPECT_EQ(Check(Var(2, 11, r.op, r.y)), r.expected);
    EXPECT_EQ(Check(Var(3, 3, r.op, r.y)), r.expected);
  }
  EXPECT_EQ(Check(Var(0, 10, 0, 0)), 0);
  EXPECT_EQ(Check(Var(8, 10, 0, 0)), 0);
}

TEST_F(Conditions, ListRules) {
  g_SaveData.m_vCommonVar[1] = 1;
  cSafeVector<cCond> none;
  cSafeVector<cCond> mixed = {Var(1, 1, 0, 1), Var(1, 1, 0, 2)};
  cSafeVector<cCond> both = {Var(1, 1, 0, 1), Var(1, 1, 2, 0)};
  cPlayScene& s = w.world.scene;
  EXPECT_EQ(s.CheckCondList(none, 0, me), 1);
  EXPECT_EQ(s.CheckCondList(none, 1, me), 0);
  EXPECT_EQ(s.CheckCondList(none, 2, me), 0);
  EXPECT_EQ(s.CheckCondList(mixed, 0, me), 0);
  EXPECT_EQ(s.CheckCondList(mixed, 1, me), 1);
  EXPECT_EQ(s.CheckCondList(both, 0, me), 1);
  EXPECT_EQ(s.CheckCondList(both, 2, me), 0);
}

TEST_F(Conditions, OnceLatchOfFlows) {
  for (int once = 0; once <= 1; ++once) {
    SCOPED_TRACE(once);
    cFlow flow;
    flow.m_vCond = {Var(1, 1, 0, 1)};
    flow.m_bCondOnce = static_cast<uint8_t>(once);
    cFlowRun run;
    run.m_pFlow = &flow;
    g_SaveData.m_vCommonVar[1] = 0;
    EXPECT_EQ(w.world.scene.CheckFlowConds(run, me), 0);
    EXPECT_EQ(run.m_bCondLatch, 0);
    g_SaveData.m_vCommonVar[1] = 1;
    EXPECT_EQ(w.world.scene.CheckFlowConds(run, me), 1);
    EXPECT_EQ(run.m_bCondLatch, 1);
    g_SaveData.m_vCommonVar[1] = 0;
    EXPECT_EQ(w.world.scene.CheckFlowConds(run, me), once);
  }
  cFlow empty;
  cFlowRun run;
  run.m_pFlow = &empty;
  EXPECT_EQ(w.world.scene.CheckFlowConds(run, me), 1);
}

// Appearance conditions of map chips, placed characters and items: the same once latch rule,
// with the hero as subject for chips and items and the character itself for characters.
TEST_F(Conditions, OnceLatchOfAppearance) {
  cPlayScene& s = w.world.scene;
  cPlayer& hero = w.world.AddHero(fixture::Chara(3), 1, 1);
  struct Owner {
    const char* name;
    cPaletteEntry& def;
    std::function<int()> check;
    std::function<int()> latch;
    cChara& subject;
    cChara& bystander;
  };
  MapChip chip;
  cItem item;
  Owner owners[] = {
      {"chip", chip, [&] { return s.CheckBlockConds(chip); }, [&] { return int{chip.m_bConditionLatch}; }, hero, me},
      {"chara", me.m_Data, [&] { return s.CheckCharaConds(me); }, [&] { return int{me.m_byAppearLatch}; }, me, hero},
      {"item", item.m_Data, [&] { return s.CheckItemConds(item); }, [&] { return int{item.m_byAppearLatch}; }, hero,
       me},
  };
  for (Owner& o : owners) {
    for (int once = 0; once <= 1; ++once) {
      SCOPED_TRACE(testing::Message() << o.name << " once " << once);
      chip.m_bConditionLatch = 0;
      me.m_byAppearLatch = 0;
      item.m_byAppearLatch = 0;
      o.def.m_vCond = {Var(3, 2, 0, 1)};
      o.def.m_byCondRule = 0;
      o.def.m_bCondOnce = static_cast<uint8_t>(once);
      // Only the subject's character variable counts.
      o.subject.m_vVar[2] = 0;
      o.bystander.m_vVar[2] = 1;
      EXPECT_EQ(o.check(), 0);
      EXPECT_EQ(o.latch(), 0);
      o.subject.m_vVar[2] = 1;
      EXPECT_EQ(o.check(), 1);
      EXPECT_EQ(o.latch(), 1);
      o.subject.m_vVar[2] = 0;
      EXPECT_EQ(o.check(), once);
      EXPECT_EQ(o.latch(), 1);
      // The list's rule: rule 1 holds when one of two conditions holds, rule 2 never.
      o.def.m_bCondOnce = 0;
      o.def.m_vCond = {Var(3, 2, 0, 5), Var(3, 2, 0, 0)};
      o.def.m_byCondRule = 1;
      EXPECT_EQ(o.check(), 1);
      o.def.m_byCondRule = 2;
      EXPECT_EQ(o.check(), 0);
      // An empty list holds without a test and leaves the latch as it was.
      o.def.m_vCond.clear();
      chip.m_bConditionLatch = 0;
      me.m_byAppearLatch = 0;
      item.m_byAppearLatch = 0;
      EXPECT_EQ(o.check(), 1);
      EXPECT_EQ(o.latch(), 0);
    }
  }
}

// Without a hero, a chip's or an item's list that needs a test fails (nothing to test it
// against); an empty or latched once-flagged list still holds.
TEST_F(Conditions, AppearanceWithoutAHero) {
  ASSERT_TRUE(g_vPlayer.empty());
  cPlayScene& s = w.world.scene;
  MapChip chip;
  chip.m_vCond = {Var(1, 1, 0, 0)};
  EXPECT_EQ(s.CheckBlockConds(chip), 0);
  EXPECT_EQ(chip.m_bConditionLatch, 0);
  chip.m_bCondOnce = 1;
  chip.m_bConditionLatch = 1;
  EXPECT_EQ(s.CheckBlockConds(chip), 1);
  cItem item;
  item.m_Data.m_vCond = {Var(1, 1, 0, 0)};
  EXPECT_EQ(s.CheckItemConds(item), 0);
  item.m_Data.m_vCond.clear();
  EXPECT_EQ(s.CheckItemConds(item), 1);
}

TEST_F(Conditions, StatusComparisons) {
  me.m_Data.m_byCharaId = 44;
  EXPECT_EQ(Check(Status(0, 5, 0, 300)), 1);  // 300 cut to 8 bits is 44
  EXPECT_EQ(Check(Status(0, 5, 0, 44)), 1);
  me.m_Data.m_byCharaId = 45;
  EXPECT_EQ(Check(Status(0, 5, 0, 300)), 0);
  me.m_Data.m_wMark = 4;
  EXPECT_EQ(Check(Status(0, 7, 0, 65540)), 1);  // 16 bits
  EXPECT_EQ(Check(Status(0, 9, 0, 65540)), 0);  // power is 32 bits: 0 != 65540
  // 50 % of maximum HP 7 is 3.5, rounded away from zero to 4.
  me.m_Data.m_nMaxHp = 7;
  me.m_nHp = 4;
  EXPECT_EQ(Check(Status(0, 1, 2, 50, 1)), 1);
  me.m_nHp = 3;
  EXPECT_EQ(Check(Status(0, 1, 2, 50, 1)), 0);
  // A percentage of anything but HP or SP is 0; a negative one is held at 0.
  me.m_Data.m_nMaxSp = 10;
  me.m_nSp = 2;
  EXPECT_EQ(Check(Status(0, 2, 0, 20, 1)), 1);
  me.m_Data.m_nDefence = 0;
  EXPECT_EQ(Check(Status(0, 11, 0, 70, 1)), 1);
  me.m_Data.m_nDefence = 7;
  EXPECT_EQ(Check(Status(0, 11, 0, 70, 1)), 0);
  me.m_nHp = 0;
  EXPECT_EQ(Check(Status(0, 1, 0, -50, 1)), 1);
  // Target slots: slot 1 is the other character, slot 2 is empty.
  other.m_nHp = 6;
  EXPECT_EQ(Check(Status(1, 1, 0, 6)), 1);
  EXPECT_EQ(Check(Status(2, 1, 1, 6)), 0);
  // The sight range is the hero's only.
  EXPECT_EQ(Check(Status(0, 8, 2, 0)), 0);
  // Operands: a status of an empty slot makes the condition false; a variable of bank S.
  cCond c = Status(0, 1, 0, 0);
  me.m_nHp = 6;
  c.m_byRightType = 2;
  c.m_byRightOwner = 1;
  c.m_byRightStatus = 1;
  EXPECT_EQ(Check(c), 1);
  c.m_byRightOwner = 2;
  EXPECT_EQ(Check(c), 0);
  c.m_byRightType = 3;
  c.m_byRightBank = 1;
  c.m_wRightIndex = 5;
  w.world.scene.m_vStageVar[5] = 6;
  EXPECT_EQ(Check(c), 1);
  c.m_byRightType = 1;
  c.m_nRandMin = 6;
  c.m_nRandMax = 6;
  EXPECT_EQ(Check(c), 1);
}

TEST_F(Conditions, SystemValues) {
  cPlayScene& s = w.world.scene;
  s.m_bTimeStop = 1;
  s.m_nTime = 999;
  EXPECT_EQ(Check(Status(5, 0, 0, 999)), 1);  // left: read directly
  cCond c = Status(0, 9, 0, 0);               // power 0 against the time operand
  c.m_byRightType = 2;
  c.m_byRightOwner = 5;
  c.m_byRightStatus = 0;
  EXPECT_EQ(Check(c), 1);  // without a time limit the operand reads 0
  g_SaveData.m_nLives = 999999;
  EXPECT_EQ(Check(Status(5, 4, 2, 0)), 0);
  c.m_byRightStatus = 4;
  EXPECT_EQ(Check(c), 1);
  g_SaveData.m_nLives = 3;
  EXPECT_EQ(Check(Status(5, 4, 0, 3)), 1);
  EXPECT_EQ(Check(Status(5, 5, 0, 0)), 0);
}

TEST_F(Conditions, StateTests) {
  cCond c = Var(5, 2, 0, 0);
  c.m_byLeftOwner = 0;
  c.m_byLeftStatus = 5;
  me.m_nZoom = 2;
  EXPECT_EQ(Check(c), 1);
  c.m_byLeftStatus = 0;
  EXPECT_EQ(Check(c), 0);
  c.m_byLeftOwner = 5;
  c.m_byLeftStatus = 0;
  c.m_wIndex = 0;
  w.world.scene.m_ScrollX.m_bAuto = 0;
  EXPECT_EQ(Check(c), 1);
  c.m_byLeftStatus = 2;
  EXPECT_EQ(Check(c), 0);

  // Kind 6: exists on an empty slot holds only inverted; facing on an empty slot never holds.
  cCond e = Var(6, 0, 0, 0);
  e.m_byLeftStatus = 4;
  e.m_byLeftOwner = 2;
  EXPECT_EQ(Check(e), 0);
  e.m_byOp = 1;
  EXPECT_EQ(Check(e), 1);
  e.m_byLeftOwner = 1;
  EXPECT_EQ(Check(e), 0);
  other.m_bDead = 1;
  EXPECT_EQ(Check(e), 1);
  cCond f = Var(6, 0, 1, 0);
  f.m_byLeftStatus = 0;
  f.m_byLeftOwner = 2;
  EXPECT_EQ(Check(f), 0);
  f.m_byLeftOwner = 0;
  me.m_nDir = 0;
  EXPECT_EQ(Check(f), 0);
  f.m_byOp = 0;
  EXPECT_EQ(Check(f), 1);
  f.m_byLeftStatus = 1;
  EXPECT_EQ(Check(f), 0);
  f.m_byLeftStatus = 9;
  f.m_byOp = 1;
  EXPECT_EQ(Check(f), 1);
}

TEST_F(Conditions, DistanceShapesAgainstTheFacing) {
  // Both 32 × 32 with the body at the cell's corner; the subject at (100, 100). One half block
  // (16 dots) reaches target cells starting at 53..148 on the tested axis.
  for (cChara* c : {static_cast<cChara*>(&me), static_cast<cChara*>(&other)}) {
    c->m_nGraphicX = c->m_nGraphicY = 0;
    c->m_nGraphicW = c->m_nGraphicH = 32;
    c->m_bFree = 0;
  }
  me.m_dX = me.m_dY = 100;
  const struct {
    int shape, dir, x, y, in;
  } rows[] = {
      {0, 1, 148, 100, 1}, {0, 1, 149, 100, 0}, {0, 0, 53, 100, 1},  {0, 0, 52, 100, 0},
      {1, 1, 148, 100, 1}, {1, 1, 53, 100, 0},  {1, 0, 53, 100, 1},  {1, 0, 148, 100, 0},
      {1, 1, 149, 100, 0}, {2, 1, 53, 100, 1},  {2, 1, 148, 100, 0}, {2, 0, 148, 100, 1},
      {2, 0, 53, 100, 0},  {3, 1, 100, 148, 1}, {3, 1, 100, 149, 0}, {3, 0, 100, 53, 1},
      {3, 0, 100, 52, 0},  {4, 1, 100, 148, 1}, {4, 1, 100, 53, 0},  {4, 0, 100, 53, 1},
      {4, 0, 100, 148, 0}, {5, 1, 100, 53, 1},  {5, 1, 100, 148, 0}, {5, 0, 100, 148, 1},
      {5, 0, 100, 53, 0},  {0, 1, 148, 400, 1}, {7, 1, 100, 100, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "shape " << r.shape << " dir " << r.dir << " at " << r.x << "," << r.y);
    me.m_nDir = r.dir;
    other.m_dX = r.x;
    other.m_dY = r.y;
    cCond c = Var(7, 0, 0, 1);
    c.m_byLeftOwner = 1;
    c.m_byDistMode = static_cast<uint8_t>(r.shape);
    EXPECT_EQ(Check(c), r.in);
    c.m_byOp = 1;
    EXPECT_EQ(Check(c), 1 - r.in);
  }
  // The circle: 2 half blocks reach centres 32 dots apart; dots are added to the half blocks.
  const struct {
    int blocks, dots, x, y, in;
  } circle[] = {{2, 0, 132, 100, 1}, {2, 0, 133, 100, 0}, {2, 0, 123, 124, 0}, {2, 2, 123, 124, 1}, {0, 0, 100, 100, 1}};
  for (const auto& r : circle) {
    SCOPED_TRACE(testing::Message() << "circle " << r.blocks << "+" << r.dots << " at " << r.x << "," << r.y);
    other.m_dX = r.x;
    other.m_dY = r.y;
    cCond c = Var(7, 0, 0, r.blocks);
    c.m_byLeftOwner = 1;
    c.m_byDistMode = 6;
    c.m_wRightIndex = static_cast<int16_t>(r.dots);
    EXPECT_EQ(Check(c), r.in);
  }
  // An empty slot: neither within nor outside.
  cCond c = Var(7, 0, 1, 1);
  c.m_byLeftOwner = 2;
  EXPECT_EQ(Check(c), 0);
}

TEST_F(Conditions, DistanceRefreshesTheTargetRectangleExceptForOldData) {
  // The target's rectangle is taken at x 148 (in reach of one half block ahead), then the target
  // moves to x 400. A refreshed rectangle puts it out of reach; the stale one keeps it in reach.
  for (cChara* c : {static_cast<cChara*>(&me), static_cast<cChara*>(&other)}) {
    c->m_nGraphicX = c->m_nGraphicY = 0;
    c->m_nGraphicW = c->m_nGraphicH = 32;
    c->m_bFree = 0;
  }
  me.m_dX = me.m_dY = 100;
  me.m_nDir = 1;
  other.m_dY = 100;
  const int playMode = g_nPlayMode;
  const int32_t dataVersion = g_Replay.m_nDataVersion;
  const struct {
    int legacySwitch, playMode, version, inReach;
  } rows[] = {
      {0, PLAYMODE_REPLAY, 782, 0},  // a replay of the current rule: refreshed
      {0, PLAYMODE_REPLAY, 781, 1},  // a replay of older data: stale
      {0, PLAYMODE_REPLAY, 100, 1},
      {0, 0, 781, 0},                // live play is never stale by the replay's version
      {1, 0, 790, 1},                // the system switch of older project data: stale
      {1, PLAYMODE_REPLAY, 790, 1},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "switch " << r.legacySwitch << " mode " << r.playMode << " version " << r.version);
    g_SystemData.m_bLegacy782 = r.legacySwitch;
    g_nPlayMode = r.playMode;
    g_Replay.m_nDataVersion = r.version;
    other.m_dX = 148;
    other.CalcScreenRect();
    other.m_dX = 400;
    cCond c = Var(7, 0, 0, 1);
    c.m_byLeftOwner = 1;
    c.m_byDistMode = 0;
    EXPECT_EQ(Check(c), r.inReach);
  }
  g_SystemData.m_bLegacy782 = 0;
  g_nPlayMode = playMode;
  g_Replay.m_nDataVersion = dataVersion;
}

}  // namespace
