// The target command: every selection rule, the nearest search with its tie and on-screen
// rules over one side or all sides, the filters, the not-found policy, the slot check and the
// back-references that SetTarget keeps.
#include <gtest/gtest.h>

#include <vector>

#include "defs/flow_cmd.h"
#include "fixture/fixture.h"
#include "script/cmd_dispatch.h"
#include "script/cmd_target.h"
#include "script_kit.h"

using namespace scriptkit;

namespace {

struct TargetParams {
  int slot = 0, select = 0, side = 0, allSides = 0, range = 1;
  int notSelf = 0, notInv1 = 0, notInv2 = 0, notBlock = 0;
  int byId = 0, id = 0, byVar = 0, var = 0, value = 0, op = 0;
  int missing = 0;
};

cFlowCmd SetTargetCmd(const TargetParams& p) {
  cFlowCmd cmd = Cmd(CMD_SET_TARGET, 0);
  cmd.m_vParam = {p.slot,  p.select, p.side, p.allSides, p.range, p.notSelf, p.notInv1, p.notInv2,
                  p.notBlock, p.byId, p.id,   p.byVar,    p.var,   p.value,   p.op,      p.missing};
  return cmd;
}

size_t RefsTo(const cChara& target, const cChara& from, int slot) {
  size_t n = 0;
  for (const cCharaRef& r : target.m_vBackRef) n += r.lpChara == &from && r.nSlot == slot ? 1 : 0;
  return n;
}

class TargetTest : public ::testing::Test {
 protected:
  TargetTest() : w(1, {}), me(w.chara), hero(w.world.AddHero(fixture::Hero(), 5, 5)) {
    me.SetTarget(0, nullptr);
    Put(me, 100, 100, 1);
    Scene().m_vDrawList[1].push_back(&me);
  }
  cPlayScene& Scene() { return w.world.scene; }
  // Screen place of a 32 × 32 graphic: its centre is 16 dots further on.
  static void Put(cChara& c, int left, int top, int onScreen) {
    c.m_nGraphicW = c.m_nGraphicH = 32;
    c.m_rcScreen.left = left;
    c.m_rcScreen.top = top;
    c.m_bOnScreen = onScreen;
  }
  cStageChara& Chara(int side, int left, int top, int onScreen = 1) {
    cStageChara& c = w.world.AddChara(fixture::Chara(2), 8, 8);
    Put(c, left, top, onScreen);
    Scene().m_vDrawList[static_cast<size_t>(side)].push_back(&c);
    return c;
  }
  cChara* Run(const TargetParams& p) {
    cFlowCmd cmd = SetTargetCmd(p);
    g_apfnCmdImpl[CMD_SET_TARGET](me, cmd);
    return me.Target(p.slot);
  }

  ScriptWorld w;
  cStageChara& me;
  cPlayer& hero;
};

TEST_F(TargetTest, FixedSelections) {
  cStageChara& parent = Chara(2, 0, 0);
  me.LinkInitialTargets(&parent);
  me.SetTarget(0, nullptr);
  cStageChara& first = Chara(2, 0, 0);
  cStageChara& second = Chara(2, 0, 0);
  first.LinkInitialTargets(&me);
  second.LinkInitialTargets(&me);
  first.SetTarget(0, nullptr);
  second.SetTarget(0, nullptr);
  me.SetTarget(3, &first);

  EXPECT_EQ(Run({.slot = 0, .select = 0}), &hero);
  EXPECT_EQ(Run({.slot = 1, .select = 1}), &me);
  EXPECT_EQ(Run({.slot = 1, .select = 4}), &parent);
  EXPECT_EQ(Run({.slot = 2, .select = 5}), &second);  // the last summoned
  EXPECT_EQ(Run({.slot = 2, .select = 10}), &first);  // target 4
  EXPECT_EQ(Run({.slot = 2, .select = 7}), &hero);    // target 1, set above
  // Rules outside 0..10 find nothing.
  EXPECT_EQ(Run({.slot = 2, .select = 11}), nullptr);
  // The summoner link is never a target slot: slots outside 0..3 change nothing.
  EXPECT_EQ(Run({.slot = 4, .select = 0}), nullptr);
  EXPECT_EQ(Run({.slot = -1, .select = 0}), nullptr);
  EXPECT_EQ(me.m_lpSummoner, &parent);
  EXPECT_EQ(RefsTo(parent, me, SUMMONER_SLOT), 1u);
}

TEST_F(TargetTest, NearestTieAndOnScreenPreference) {
  // Centre of me: (116, 116). Distances |dx| + |dy|.
  cStageChara& offNear = Chara(3, 110, 100, 0);  // 10
  cStageChara& onA = Chara(3, 134, 100);         // 34
  cStageChara& onB = Chara(3, 100, 134);         // 34, later in the list
  cStageChara& farther = Chara(3, 200, 100);     // 100
  EXPECT_EQ(Run({.select = 2, .side = 3, .range = 0}), &onA);
  EXPECT_EQ(Run({.select = 2, .side = 3, .range = 1}), &offNear);
  EXPECT_EQ(Run({.select = 2, .side = 3, .range = 2}), &onA);
  // Range 0 falls back on characters off screen when none is on screen.
  onA.m_bOnScreen = onB.m_bOnScreen = farther.m_bOnScreen = 0;
  EXPECT_EQ(Run({.select = 2, .side = 3, .range = 0}), &offNear);
  // Range 2 then finds nothing: the slot is cleared, or kept with policy 1.
  EXPECT_EQ(Run({.select = 2, .side = 3, .range = 2, .missing = 1}), &offNear);
  EXPECT_EQ(Run({.select = 2, .side = 3, .range = 2, .missing = 0}), nullptr);
  EXPECT_TRUE(offNear.m_vBackRef.empty());
  // Inactive and dead characters are never chosen.
  offNear.m_bActive = 0;
  farther.m_bDead = 1;
  EXPECT_EQ(Run({.select = 2, .side = 3, .range = 1}), &onA);
}

TEST_F(TargetTest, NearestOverEverySide) {
  cStageChara& side2 = Chara(2, 150, 100);  // 50
  cStageChara& side5 = Chara(5, 120, 100);  // 20
  Chara(5, 130, 100);                       // 30
  Chara(6, 100, 125);                       // 25
  EXPECT_EQ(Run({.select = 2, .side = 2, .range = 1}), &side2);
  EXPECT_EQ(Run({.select = 2, .side = 2, .allSides = 1, .range = 1, .notSelf = 1}), &side5);
  // Every side includes the acting character's own (distance 0) unless it is skipped.
  EXPECT_EQ(Run({.select = 2, .allSides = 1, .range = 1}), &me);
  EXPECT_EQ(Run({.select = 2, .allSides = 1, .range = 1, .notSelf = 1}), &side5);
  // A side outside 0..7 names no list.
  EXPECT_EQ(Run({.select = 2, .side = 8, .range = 1}), nullptr);
}

TEST_F(TargetTest, FiltersOfTheSearches) {
  cStageChara& inv1 = Chara(3, 101, 100);   // 1
  cStageChara& inv2 = Chara(3, 102, 100);   // 2
  cStageChara& block = Chara(3, 103, 100);  // 3
  cStageChara& id7 = Chara(3, 104, 100);    // 4
  cStageChara& var = Chara(3, 105, 100);    // 5
  inv1.m_Data.m_byInvincible = 1;
  inv2.m_Data.m_byInvincible = 2;
  block.m_Data.m_bBlockChara = 1;
  id7.m_Data.m_byCharaId = 7;
  var.m_vVar[3] = 12;
  TargetParams p{.select = 2, .side = 3, .range = 1};
  EXPECT_EQ(Run(p), &inv1);
  p.notInv1 = 1;
  EXPECT_EQ(Run(p), &inv2);
  p.notInv2 = 1;
  EXPECT_EQ(Run(p), &block);
  p.notBlock = 1;
  EXPECT_EQ(Run(p), &id7);
  p.byVar = 1;
  p.var = 3;
  p.op = 0;  // equal
  p.value = 12;
  EXPECT_EQ(Run(p), &var);
  p.value = 13;
  EXPECT_EQ(Run(p), nullptr);
  // By character ID: the first in list order, over one side or the first side that has one.
  cStageChara& id7b = Chara(6, 500, 400);
  id7b.m_Data.m_byCharaId = 7;
  EXPECT_EQ(Run({.select = 3, .side = 3, .byId = 1, .id = 7}), &id7);
  EXPECT_EQ(Run({.select = 3, .side = 6, .byId = 1, .id = 7}), &id7b);
  EXPECT_EQ(Run({.select = 3, .side = 0, .allSides = 1, .byId = 1, .id = 7}), &id7);
  EXPECT_EQ(Run({.select = 3, .side = 0, .byId = 1, .id = 7}), nullptr);
}

TEST_F(TargetTest, ChildrenNewestFirstWithFilters) {
  cStageChara& older = Chara(2, 0, 0);
  cStageChara& newer = Chara(2, 0, 0);
  older.LinkInitialTargets(&me);
  newer.LinkInitialTargets(&me);
  older.m_vVar[1] = 1;
  EXPECT_EQ(Run({.select = 6}), &newer);
  EXPECT_EQ(Run({.select = 6, .byVar = 1, .var = 1, .value = 1, .op = 0}), &older);
  newer.m_bDead = 1;
  EXPECT_EQ(Run({.select = 6}), &older);
}

TEST_F(TargetTest, NotFoundPolicyAndBackReferences) {
  cStageChara& a = Chara(3, 120, 100);
  EXPECT_EQ(Run({.slot = 2, .select = 2, .side = 3}), &a);
  // The same target again keeps exactly one back-reference.
  EXPECT_EQ(Run({.slot = 2, .select = 2, .side = 3}), &a);
  EXPECT_EQ(RefsTo(a, me, 2), 1u);
  // Policy 1 with nothing found: unchanged.
  EXPECT_EQ(Run({.slot = 2, .select = 2, .side = 4, .missing = 1}), &a);
  EXPECT_EQ(RefsTo(a, me, 2), 1u);
  // Another policy changes nothing even when something is found.
  cStageChara& b = Chara(4, 130, 100);
  EXPECT_EQ(Run({.slot = 2, .select = 2, .side = 4, .missing = 2}), &a);
  // A new target moves the back-reference.
  EXPECT_EQ(Run({.slot = 2, .select = 2, .side = 4}), &b);
  EXPECT_EQ(RefsTo(a, me, 2), 0u);
  EXPECT_EQ(RefsTo(b, me, 2), 1u);
  // Policy 0 with nothing found: cleared, the back-reference gone.
  EXPECT_EQ(Run({.slot = 2, .select = 2, .side = 5, .missing = 0}), nullptr);
  EXPECT_EQ(RefsTo(b, me, 2), 0u);
}

TEST_F(TargetTest, SetTargetWithAndWithoutClear) {
  cStageChara& a = Chara(3, 0, 0);
  EXPECT_EQ(me.SetTarget(1, &a, 0), 1);
  EXPECT_EQ(me.SetTarget(1, nullptr, 0), 0);
  EXPECT_EQ(me.Target(1), &a);
  EXPECT_EQ(me.SetTarget(1, nullptr, 1), 0);
  EXPECT_EQ(me.Target(1), nullptr);
  EXPECT_TRUE(a.m_vBackRef.empty());
  EXPECT_EQ(me.SetTarget(TARGET_SLOTS, &a, 1), 0);
  EXPECT_TRUE(a.m_vBackRef.empty());
}

}  // namespace
