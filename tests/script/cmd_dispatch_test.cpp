// Command dispatch: every kind of both numberings reaches its entry, the arrangeable parameter
// table against the table written out by hand, the periodic shot and summon entries with their
// sounds, kinds outside the table, and the wait and the loop that do nothing.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/sound_request.h"
#include "engine/play_scene.h"
#include "script/cmd_param_def.h"
#include "script/item_cmd.h"
#include "script_kit.h"

using namespace scriptkit;

namespace {

// Kind, then "label min max" entries separated by "|", as the editing program lists them.
const struct {
  int kind;
  const char* params;
} kParamTable[] = {
    {2, "目標X(bl) -640 640|目標X(dot) -640 640|目標Y(bl) -640 640|目標Y(dot) -640 640|角度 -7200 7200|分身値による増加角度 -7200 7200"},
    {5, "目標X(bl) -640 640|目標X(dot) -640 640|目標Y(bl) -640 640|目標Y(dot) -640 640|角度 -7200 7200|分身値による増加角度 -7200 7200"},
    {6, "誘導性能の悪さ 0 10|分身値による増加誘導性能の悪さ 0 10|目標X(bl) -640 640|目標X(dot) -640 640|目標Y(bl) -640 640|目標Y(dot) -640 640"},
    {11, "グラフィック 1 120|Z座標 0 7|フォーメーション固有1 0 2147483647|フォーメーション固有2 0 2147483647|"
         "フォーメーション固有3 0 2147483647|発射数 1 127|発射数に対する分身数 0 20|角度のズレ -7200 7200|"
         "分身値による角度のズレ -7200 7200|分散角度 0 180|発射位置のズレX(dot) -640 640|"
         "分身値による発射位置のズレX(dot) -640 640|発射位置のズレY(dot) -640 640|分身値による発射位置のズレY(dot) -640 640|"
         "勢力 0 7|移動タイプ固有1 0 2147483647|移動タイプ固有2 0 2147483647|移動タイプ固有3 0 2147483647|速度 -200 200|"
         "分身値による増加速度 -200 200|加速度 -200 200|分身値による増加加速度 -200 200|飛距離(hbl) 0 64|"
         "分身値による増加飛距離 -40 40|存在時間(1/10s) 1 999|分身値よる増加存在時間 -99 99|消滅値 1 9|威力 -999999 999999|衝撃 -20 20"},
    {12, "勢力 0 7|Z座標 0 7|威力 -999999 999999|衝撃 -20 20"},
    {13, "フォーメーション固有1 0 2147483647|フォーメーション固有2 0 2147483647|フォーメーション固有3 0 2147483647|数 1 127|"
         "召喚位置のズレX(dot) -640 640|召喚位置のズレY(dot) -640 640"},
    {14, "存在時間(1/10s) 1 9999|勢力 0 7|フォーメーション固有1 0 2147483647|フォーメーション固有2 0 2147483647|"
         "フォーメーション固有3 0 2147483647|数 1 127|召喚位置のズレX(dot) -640 640|召喚位置のズレY(dot) -640 640"},
    {15, "存在時間(1/10s) 1 9999|フォーメーション固有1 0 2147483647|フォーメーション固有2 0 2147483647|"
         "フォーメーション固有3 0 2147483647|数 1 127|召喚位置のズレX(dot) -640 640|召喚位置のズレY(dot) -640 640"},
    {17, "次のステージの番号 1 99|次のステージの初期位置X(bl) 0 999|次のステージの初期位置Y(bl) 0 999|"
         "クリア後のワールドマップの位置X 0 999|クリア後のワールドマップの位置Y 0 999"},
    {19, "メッセージID 0 999|座標X(bl) 0 20|座標Y(bl) 0 15|表示位置のズレX(dot) -999 999|表示位置のズレY(dot) -999 999"},
    {20, "距離(hbl) 0 64|分身値による増加距離(hbl) -40 40|目標X(bl) -640 640|目標Y(bl) -640 640|目標Xのズレ(dot) -640 640|"
         "目標Yのズレ(dot) -640 640"},
    {21, "対象勢力 0 7|対象キャラID 0 99|キャラ変数と比較する数値 -999999 999999"},
    {22, "乱数の最小値 -999999 999999|乱数の最大値 -999999 999999"},
    {24, "対象勢力 0 7"},
    {26, "グラフィック 1 119|ズレ -999 999"},
    {29, "座標X(bl) 0 511|座標Y(bl) 0 511|表示位置のズレX(dot) -999 999|表示位置のズレY(dot) -999 999|表示倍率(%) 1 1000"},
    {32, "ピクチャーID 0 999|座標X(bl) 0 511|座標Y(bl) 0 511|表示位置のズレX(dot) -999 999|表示位置のズレY(dot) -999 999|"
         "表示倍率(%) 1 1000"},
    {33, "R 0 255|G 0 255|B 0 255|% 0 100"},
    {34, "背景番号 1 8"},
};

std::string Describe(const cSafeVector<cCmdParamDef>& list) {
  std::ostringstream out;
  for (size_t i = 0; i < list.size(); ++i)
    out << (i ? "|" : "") << list[i].m_strLabel << " " << list[i].m_nMin << " " << list[i].m_nMax;
  return out.str();
}

TEST(CmdParamTable, MatchesTheTableOfTheEditingProgram) {
  BuildCommandParamTable();
  ASSERT_EQ(g_vCmdParamDef.size(), 40u);
  std::vector<std::string> expected(40);
  for (const auto& row : kParamTable) expected[static_cast<size_t>(row.kind)] = row.params;
  for (int kind = 0; kind < 40; ++kind)
    EXPECT_EQ(Describe(g_vCmdParamDef[static_cast<size_t>(kind)]), expected[static_cast<size_t>(kind)]) << "kind " << kind;
  // Kind 3 has no arrangeable parameter; built twice the table is the same.
  EXPECT_TRUE(g_vCmdParamDef[3].empty());
  std::vector<std::string> first;
  for (const auto& list : g_vCmdParamDef) first.push_back(Describe(list));
  BuildCommandParamTable();
  ASSERT_EQ(g_vCmdParamDef.size(), 40u);
  for (size_t i = 0; i < 40; ++i) EXPECT_EQ(Describe(g_vCmdParamDef[i]), first[i]);
}

class DispatchTest : public ::testing::TestWithParam<int> {
 protected:
  int k() const { return GetParam(); }
};


TEST_P(DispatchTest, EveryFlowKindReachesItsImplementationAndLastsItsTime) {
  // The implementations the forwarding kinds hand their command to.
  std::vector<std::unique_ptr<ImplSwap>> swaps;
  for (int kind = 0; kind < CMD_KIND_COUNT; ++kind) swaps.push_back(std::make_unique<ImplSwap>(kind, RecordImpl));
  std::vector<cFlow> flows;
  for (int kind = 0; kind < CMD_KIND_COUNT; ++kind)
    flows.push_back(Flow(TRIGGER_NONE, {Cmd(kind, kind == CMD_JUMP ? 0 : 1, 0, std::to_string(kind))}));
  ScriptWorld w(k(), flows);
  for (int kind = 0; kind < CMD_KIND_COUNT; ++kind) {
    if (kind == CMD_JUMP || kind == CMD_LOOP) continue;
    Log().clear();
    EXPECT_EQ(RunToEnd(w, static_cast<size_t>(kind)), 6 * k()) << "kind " << kind;
    const bool none = kind == CMD_NONE || kind == CMD_WAIT || kind == CMD_LOOP;
    const bool periodic = kind == CMD_SHOT || (kind >= CMD_SUMMON_BLOCK && kind <= CMD_SUMMON_ITEM);
    // The movement kinds have table entries of their own that take the command state.
    const bool ownEntry = kind >= CMD_MOVE_LINE && kind <= CMD_JUMP;
    EXPECT_EQ(g_apfnCmdHandler[kind] == RunCmdForward, !none && !periodic && !ownEntry && kind != CMD_STAGE_CLEAR)
        << "kind " << kind;
    const size_t calls = none || periodic || ownEntry ? 0u : static_cast<size_t>(6 * k());
    EXPECT_EQ(Log().size(), calls) << "kind " << kind;
    if (!Log().empty()) {
      EXPECT_EQ(Log()[0], std::to_string(kind));
    }
  }
}

int StageClearImpl(cChara&, cFlowCmd&) { return 1; }

TEST_P(DispatchTest, StageClearStoresItsResultAndOutOfTableKindsAreEmpty) {
  ImplSwap clear(CMD_STAGE_CLEAR, StageClearImpl);
  cFlowCmd bad = Cmd(CMD_WAIT, 1);
  bad.m_byKind = 45;
  cFlowCmd negative = Cmd(CMD_WAIT, 1);
  negative.m_byKind = -3;
  ScriptWorld w(k(), {Flow(TRIGGER_NONE, {Cmd(CMD_STAGE_CLEAR, 0)}), Flow(TRIGGER_NONE, {bad}), Flow(TRIGGER_NONE, {negative})});
  EXPECT_EQ(RunToEnd(w, 0), 1);
  EXPECT_EQ(g_lpPlayScene->m_nStageResult, 1);
  EXPECT_EQ(RunToEnd(w, 1), 6 * k());
  EXPECT_EQ(RunToEnd(w, 2), 6 * k());
}

std::vector<int>& Volleys() {
  static std::vector<int> v;
  return v;
}
void RecordVolley(cChara&, cCmdState& state, int kind) { Volleys().push_back(kind * 1000 + state.m_nCounter); }

TEST_P(DispatchTest, PeriodicKindsActOnTheirFirstTickAndEveryTenth) {
  Volleys().clear();
  auto* saved = g_lpfnPeriodicAct;
  g_lpfnPeriodicAct = RecordVolley;
  {
    cFlowCmd exact = Cmd(CMD_SHOT, 1);
    cFlowCmd longer = Cmd(CMD_SUMMON_CHARA, 1);
    longer.m_sTimePerClone = 0;
    ScriptWorld w(k(), {Flow(TRIGGER_NONE, {exact}), Flow(TRIGGER_NONE, {longer})});
    // 6k ticks: once.
    RunToEnd(w, 0);
    EXPECT_EQ(Volleys(), (std::vector<int>{CMD_SHOT * 1000}));
    // 6k + 1 ticks: on the first and on tick 6k + 1.
    Volleys().clear();
    w.chara.m_vFlowRun[1].m_vCmdState[0].m_nDuration = 6 * k() + 1;
    RunToEnd(w, 1);
    EXPECT_EQ(Volleys(), (std::vector<int>{CMD_SUMMON_CHARA * 1000, CMD_SUMMON_CHARA * 1000}));
  }
  g_lpfnPeriodicAct = saved;
}

TEST_P(DispatchTest, PeriodicSoundsRespectTheOnScreenFlagAndSoundZero) {
  playkit::WindowRequestRecorder recorder;
  cFlowCmd onScreenOnly = Cmd(CMD_SHOT, 1);
  onScreenOnly.m_sSound = 3;
  onScreenOnly.m_bSoundOnScreen = 1;
  cFlowCmd always = onScreenOnly;
  always.m_bSoundOnScreen = 0;
  cFlowCmd silent = Cmd(CMD_SUMMON_ITEM, 1);
  silent.m_sSound = 0;
  silent.m_bSoundOnScreen = 0;
  ScriptWorld w(k(), {Flow(TRIGGER_NONE, {onScreenOnly}), Flow(TRIGGER_NONE, {always}), Flow(TRIGGER_NONE, {silent})});
  // Far to the right of the view.
  w.chara.m_dX += 5000;
  w.chara.CalcScreenRect();
  ASSERT_FALSE(w.chara.IsOnScreen());
  RunToEnd(w, 0);
  EXPECT_TRUE(recorder.Sounds().empty());
  RunToEnd(w, 1);
  EXPECT_EQ(recorder.Sounds(), (std::vector<int>{3 + USER_SE_SLOT_OFFSET}));
  RunToEnd(w, 2);
  EXPECT_EQ(recorder.Sounds().size(), 1u);
  // Back on screen: the on-screen-only sound plays.
  w.chara.m_dX -= 5000;
  w.chara.CalcScreenRect();
  ASSERT_TRUE(w.chara.IsOnScreen());
  RunToEnd(w, 0);
  EXPECT_EQ(recorder.Sounds(), (std::vector<int>{3 + USER_SE_SLOT_OFFSET, 3 + USER_SE_SLOT_OFFSET}));
}

INSTANTIATE_TEST_SUITE_P(SubSteps, DispatchTest, ::testing::Values(1, 3));

TEST(ListDispatch, ListKindsReachTheFlowImplementations) {
  ScriptWorld w(1, {});
  w.chara.m_nHp = 5;
  for (int listKind = 2; listKind < LISTCMD_KIND_COUNT; ++listKind) {
    // Only flow kind n + 15 has an implementation in place.
    ImplSwap only(listKind + 15, RecordImpl);
    Log().clear();
    cSafeVector<cFlowCmd> list = {ListCmd(listKind, std::to_string(listKind))};
    EXPECT_EQ(RunCommandList(w.chara, list), listKind == 2 ? 1 : 0) << listKind;
    // 24, the loop, runs nothing.
    EXPECT_EQ(Log(), listKind == 24 ? std::vector<std::string>{} : std::vector<std::string>{std::to_string(listKind)})
        << listKind;
  }
  std::vector<std::unique_ptr<ImplSwap>> swaps;
  for (int kind = 0; kind < CMD_KIND_COUNT; ++kind) swaps.push_back(std::make_unique<ImplSwap>(kind, RecordImpl));
  Log().clear();
  cSafeVector<cFlowCmd> empty = {ListCmd(0)};
  EXPECT_EQ(RunCommandList(w.chara, empty), 0);
  EXPECT_TRUE(Log().empty());
  // Beyond the table: nothing, result 0.
  cSafeVector<cFlowCmd> bad = {ListCmd(3)};
  bad[0].m_byKind = 40;
  EXPECT_EQ(RunCommandList(w.chara, bad), 0);
}

}  // namespace
