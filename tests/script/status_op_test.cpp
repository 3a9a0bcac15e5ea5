// The status operation: the saturating operation in its three widths, and the command on
// variables, character statuses and system values with its HP and SP modes, percentages,
// empty slots and the invincibility skip.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "defs/flow_cmd.h"
#include "fixture/fixture.h"
#include "script/cmd_dispatch.h"
#include "script/status_op.h"
#include "script_kit.h"

using namespace scriptkit;

namespace {

TEST(StatusOp, SaturatingOperation) {
  const struct {
    int value, operand, op, low, high, expected;
  } rows[] = {
      {5, 9, 0, -999999, 999999, 9},
      {5, 9, 1, -999999, 999999, 14},
      {5, 9, 2, -999999, 999999, -4},
      {5, 9, 3, -999999, 999999, 45},
      {65536, 65536, 3, -999999, 999999, 999999},   // 2^32 saturates, it does not wrap to 0
      {65536, -65536, 3, -999999, 999999, -999999},
      {INT_MAX, INT_MAX, 1, INT_MIN, INT_MAX, INT_MAX},
      {INT_MIN, 1, 2, INT_MIN, INT_MAX, INT_MIN},
      {-7, 2, 4, -999999, 999999, -3},
      {7, 0, 4, -999999, 999999, 7},
      {7, 0, 5, -999999, 999999, 7},
      {-7, 3, 5, -999999, 999999, -1},
      {INT_MIN, -1, 4, INT_MIN, INT_MAX, INT_MAX},
      {INT_MIN, -1, 5, INT_MIN, INT_MAX, 0},
      {3, 50, 6, -999999, 999999, 2},
      {-3, 50, 6, -999999, 999999, -2},
      {5, 9, 7, -999999, 999999, 5},
      {5, 9, -1, -999999, 999999, 5},
      {2000000, 0, 7, -999999, 999999, 999999},  // any result is clamped
      {90, 20, 1, 0, 99, 99},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.value << " op " << r.op << " " << r.operand);
    int32_t v = r.value;
    ApplyStatusOp(v, r.operand, r.op, r.low, r.high);
    EXPECT_EQ(v, r.expected);
  }
  // The narrow forms cut the operand to their width first.
  int8_t b = 10;
  ApplyStatusOp8(b, 256 + 5, 1, -20, 20);
  EXPECT_EQ(b, 15);
  b = 100;
  ApplyStatusOp8(b, 100, 3, 0, 99);
  EXPECT_EQ(b, 99);
  int16_t h = 100;
  ApplyStatusOp16(h, 65536 + 19, 1, 0, 119);
  EXPECT_EQ(h, 119);
  h = 100;
  ApplyStatusOp16(h, 65536 - 1, 1, 0, 119);
  EXPECT_EQ(h, 99);
}

// Parameters by index; the rest 0.
cFlowCmd StatusCmd(std::vector<std::pair<int, int>> params) {
  cFlowCmd cmd = Cmd(CMD_STATUS, 0);
  cmd.m_vParam.assign(18, 0);
  for (const auto& [i, v] : params) cmd.m_vParam[static_cast<size_t>(i)] = v;
  return cmd;
}

class StatusCommand : public ::testing::Test {
 protected:
  StatusCommand() : w(1, {}), me(w.chara), other(w.world.AddChara(fixture::Chara(2), 8, 8)) {
    g_SaveData.m_vCommonVar.assign(1001, 0);
    me.SetTarget(0, &other);
    me.SetTarget(1, nullptr);
    me.m_Data.m_nMaxHp = 100;
    me.m_nHp = 50;
  }
  void Run(const std::vector<std::pair<int, int>>& params) {
    cFlowCmd cmd = StatusCmd(params);
    ASSERT_NE(g_apfnCmdImpl[CMD_STATUS], nullptr);
    g_apfnCmdImpl[CMD_STATUS](me, cmd);
  }

  ScriptWorld w;
  cStageChara& me;
  cStageChara& other;
};

TEST_F(StatusCommand, HitPointModes) {
  Run({{4, 1}, {5, 2}, {7, 10}, {15, 1}});  // subtract 10 % of the maximum
  EXPECT_EQ(me.m_nHp, 40);
  me.m_nHp = 50;
  Run({{4, 1}, {5, 2}, {7, 10}, {15, 2}});  // subtract 10 % of the current value
  EXPECT_EQ(me.m_nHp, 45);
  me.m_nHp = 50;
  Run({{4, 1}, {5, 2}, {7, 10}, {15, 0}});
  EXPECT_EQ(me.m_nHp, 40);
  Run({{4, 1}, {5, 1}, {7, 500}});  // held at the maximum
  EXPECT_EQ(me.m_nHp, 100);
  // An invincible character: changed unless the skip option is set.
  me.m_Data.m_byInvincible = 1;
  Run({{4, 1}, {5, 2}, {7, 30}, {17, 1}});
  EXPECT_EQ(me.m_nHp, 100);
  Run({{4, 1}, {5, 2}, {7, 30}});
  EXPECT_EQ(me.m_nHp, 70);
  // Another character brought to 0 HP asks for the death pass.
  other.m_Data.m_nMaxHp = 10;
  other.m_nHp = 10;
  Run({{3, 1}, {4, 1}, {5, 0}, {7, 0}});
  EXPECT_EQ(other.m_nHp, 0);
  EXPECT_EQ(w.world.scene.m_bCheckHp, 1);
  // A lower maximum HP lowers HP.
  Run({{4, 3}, {5, 0}, {7, 30}});
  EXPECT_EQ(me.m_Data.m_nMaxHp, 30);
  EXPECT_EQ(me.m_nHp, 30);
}

TEST_F(StatusCommand, FieldsVariablesAndSystemValues) {
  me.m_Data.m_byCharaId = 90;
  Run({{4, 5}, {5, 1}, {7, 20}});
  EXPECT_EQ(me.m_Data.m_byCharaId, 99);
  Run({{4, 6}, {5, 1}, {7, 20}});
  EXPECT_EQ(me.m_Data.m_byZ, 7);
  me.m_Data.m_nPower = 65536;
  Run({{4, 9}, {5, 3}, {7, 65536}});
  EXPECT_EQ(me.m_Data.m_nPower, 999999);
  me.m_Data.m_nPower = 3;
  Run({{4, 9}, {5, 4}, {7, 0}});
  EXPECT_EQ(me.m_Data.m_nPower, 3);
  // The percent option: the operand is a percentage of the current value.
  me.m_Data.m_nDefence = 200;
  Run({{4, 11}, {5, 1}, {7, 50}, {14, 1}});
  EXPECT_EQ(me.m_Data.m_nDefence, 300);
  // Stopping ease refreshes the derived figure.
  Run({{4, 13}, {5, 0}, {7, 250}});
  EXPECT_EQ(me.m_Data.m_sStop, 200);
  EXPECT_DOUBLE_EQ(me.m_dFriction, AccelFromParam(200));
  // Variables of C and S, with status and variable operands.
  w.world.scene.m_vStageVar[4] = 6;
  Run({{0, 1}, {1, 0}, {2, 3}, {5, 0}, {6, 3}, {10, 1}, {11, 4}});
  EXPECT_EQ(g_SaveData.m_vCommonVar[3], 6);
  other.m_nHp = 9;
  Run({{0, 1}, {1, 1}, {2, 2}, {5, 1}, {6, 2}, {12, 1}, {13, 1}});
  EXPECT_EQ(w.world.scene.m_vStageVar[2], 9);
  // An operand from an empty slot, or an empty target slot: nothing.
  Run({{0, 1}, {1, 0}, {2, 3}, {5, 0}, {6, 2}, {12, 2}, {13, 1}});
  EXPECT_EQ(g_SaveData.m_vCommonVar[3], 6);
  Run({{3, 2}, {4, 9}, {5, 0}, {7, 5}});
  Run({{0, 2}, {5, 0}, {7, 5}});
  Run({{0, 1}, {1, 2}, {5, 0}, {7, 5}});
  EXPECT_EQ(g_SaveData.m_vCommonVar[0], 0);
  // System values: unlimited lives stay unlimited; the score is held to 0..999999.
  g_SaveData.m_nLives = 999999;
  Run({{3, 5}, {4, 4}, {5, 2}, {7, 1}});
  EXPECT_EQ(g_SaveData.m_nLives, 999999);
  g_SaveData.m_nLives = 98;
  Run({{3, 5}, {4, 4}, {5, 1}, {7, 5}});
  EXPECT_EQ(g_SaveData.m_nLives, 99);
  g_SaveData.m_nTotalScore = 5;
  Run({{3, 5}, {4, 3}, {5, 2}, {7, 10}});
  EXPECT_EQ(g_SaveData.m_nTotalScore, 0);
  w.world.scene.m_bTimeStop = 0;
  w.world.scene.m_nTime = 10;
  Run({{3, 5}, {4, 0}, {5, 3}, {7, 1000}});
  EXPECT_EQ(w.world.scene.m_nTime, 999);
}

}  // namespace
