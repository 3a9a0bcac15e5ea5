// Arrange entries: the operations with their limits from the parameter table, the operand
// sources with their index checks, kind matching (item-list kinds counted as flow kinds), the
// queues of flow runs and of the hero, and kinds without arrangeable fields.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

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

}  // namespace
