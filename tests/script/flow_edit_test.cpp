// Flow-list edits and item command lists: adding, replacing and deleting flows by ID, removal
// of adjacent matches, runs marked for deletion, copies of characters, the hero's deferred
// flow changes, and item lists that clear the stage, kill the hero, chain messages or take
// items that take themselves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/play_scene.h"
#include "engine/player.h"
#include "fixture/fixture.h"
#include "script/item_cmd.h"
#include "script_kit.h"

using namespace scriptkit;

namespace {

// The first command's tag of every flow of the character, joined.
std::string FlowTags(const cChara& c) {
  std::string s;
  for (const cFlow& f : c.m_Data.m_vFlow) s += (s.empty() ? "" : " ") + (f.m_vCmd.empty() ? "-" : f.m_vCmd[0].m_strText);
  return s;
}

cFlow Tagged(const char* tag, int id) { return Flow(TRIGGER_NONE, {Cmd(CMD_WAIT, 1, 0, tag)}, id); }

// "フローの変更" as an item-list command: operation, flow ID, the flows it adds.
cFlowCmd ChangeFlow(int op, int id, std::vector<cFlow> flows) {
  cFlowCmd c = ListCmd(LISTCMD_CHANGE_FLOW);
  c.m_vParam = {op, id};
  c.m_vFlow.assign(flows.begin(), flows.end());
  return c;
}

constexpr int A = 1, B = 2, C = 3, Z = 26;

std::vector<cFlow> FiveFlows() { return {Tagged("a0", A), Tagged("n1", 0), Tagged("b2", B), Tagged("c3", C), Tagged("n4", 0), Tagged("b5", B)}; }

// The relinked state: every run at its index, on its own flow.
void ExpectLinked(const cChara& c) {
  ASSERT_EQ(c.m_vFlowRun.size(), c.m_Data.m_vFlow.size());
  for (size_t i = 0; i < c.m_vFlowRun.size(); ++i) {
    EXPECT_EQ(c.m_vFlowRun[i].m_nIndex, static_cast<int>(i));
    EXPECT_EQ(c.m_vFlowRun[i].m_pFlow, &c.m_Data.m_vFlow[i]);
    for (size_t j = 0; j < c.m_vFlowRun[i].m_vCmdState.size(); ++j)
      EXPECT_EQ(c.m_vFlowRun[i].m_vCmdState[j].m_pCmd, &c.m_Data.m_vFlow[i].m_vCmd[j]);
  }
}

TEST(FlowEdit, ChangeAddAndDeleteById) {
  const struct {
    int op;
    int id;
    const char* after;
  } cases[] = {
      {0, 0, "a0 n1 b2 c3 n4 b5 new"},
      {1, B, "a0 n1 new c3 n4"},
      {1, 0, "new"},
      {1, Z, "a0 n1 b2 c3 n4 b5 new"},
      {2, B, "a0 n1 c3 n4"},
      {2, 0, ""},
      {2, Z, "a0 n1 b2 c3 n4 b5"},
      {7, B, "a0 n1 b2 c3 n4 b5"},
  };
  for (const auto& c : cases) {
    ScriptWorld w(1, FiveFlows());
    w.chara.m_nHp = 5;
    cSafeVector<cFlowCmd> list = {ChangeFlow(c.op, c.id, {Tagged("new", Z)})};
    EXPECT_EQ(RunCommandList(w.chara, list), 0);
    EXPECT_EQ(FlowTags(w.chara), c.after) << c.op << " " << c.id;
    ExpectLinked(w.chara);
  }
}

TEST(FlowEdit, RemovalByIdTakesAdjacentMatchesAndStopsTheRuns) {
  ScriptWorld w(1, {Tagged("n0", 0), Tagged("b1", B), Flow(TRIGGER_ALWAYS, {Cmd(CMD_WAIT, 1, 0, "b2")}, B, 5), Tagged("c3", C)});
  w.chara.m_vFlowRun[2].Start(w.chara);
  EXPECT_EQ(w.chara.RemoveFlowsById(B), 1);
  EXPECT_EQ(FlowTags(w.chara), "n0 c3");
  EXPECT_EQ(w.chara.m_vGroupStopped[5], 1);
  ExpectLinked(w.chara);
  EXPECT_EQ(w.chara.RemoveFlowsById(B), -1);
  EXPECT_EQ(w.chara.RemoveFlowsById(0), 0);
  EXPECT_TRUE(w.chara.m_vFlowRun.empty());
}

TEST(FlowEdit, RunsMarkedForDeletionGoAtTheEndOfTheTurnWithTheirAnimations) {
  ScriptWorld w(1, {Tagged("a", A), Tagged("b", B), Tagged("c", C)});
  const int idB = w.chara.m_vFlowRun[1].m_nRunId;
  cRunningAnime mine;
  mine.nFlowId = idB;
  cRunningAnime other;
  other.nFlowId = w.chara.m_vFlowRun[0].m_nRunId;
  w.chara.m_lAnime.push_back(mine);
  w.chara.m_lAnime.push_back(other);
  w.chara.m_vFlowRun[1].m_bDelete = 1;
  w.chara.m_bAnyDelete = 1;
  w.chara.StepFlowRuns(0);
  EXPECT_EQ(FlowTags(w.chara), "a c");
  EXPECT_EQ(w.chara.m_bAnyDelete, 0);
  ASSERT_EQ(w.chara.m_lAnime.size(), 1u);
  EXPECT_EQ(w.chara.m_lAnime.front().nFlowId, other.nFlowId);
  ExpectLinked(w.chara);
}

TEST(FlowEdit, ACopiedCharacterRunsOnItsOwnFlows) {
  ScriptWorld w(1, {Tagged("a", A), Tagged("b", B)});
  w.chara.m_vFlowRun[1].Start(w.chara);
  w.chara.StepFlowRuns(0);
  cStageChara copy(w.chara);
  ExpectLinked(copy);
  EXPECT_EQ(copy.m_vFlowRun[1].m_bRunning, 1);
  EXPECT_EQ(copy.m_vFlowRun[1].m_vCmdState[0].m_nRemaining, w.chara.m_vFlowRun[1].m_vCmdState[0].m_nRemaining);
  EXPECT_EQ(copy.m_nNextRunId, w.chara.m_nNextRunId);
}

// An item taken by the hero while its own flow runs: its list changes the hero's flows.
cSafeVector<cFlowCmd>& TakenList() {
  static cSafeVector<cFlowCmd> list;
  return list;
}
std::vector<std::string>& Seen() {
  static std::vector<std::string> seen;
  return seen;
}
int TakeItemNow(cChara&, cFlowCmd&) {
  cChara& hero = g_vPlayer[0];
  RunCommandList(hero, TakenList());
  Seen().push_back(FlowTags(hero));
  return 0;
}

TEST(FlowEdit, HeroFlowChangesWaitForTheEndOfItsTurn) {
  ImplSwap take(CMD_TAKE_ITEM, TakeItemNow);
  ScriptWorld w(1, {});
  cCharaData def = fixture::Hero(1);
  def.m_vFlow = {Flow(TRIGGER_NONE, {Cmd(CMD_TAKE_ITEM, 0, 0, "take")}, A), Tagged("b", B)};
  cPlayer& hero = w.world.AddHero(def, 4, 4);
  hero.BuildFlows(hero.m_Data.m_vFlow, 0, -1);
  TakenList() = {ChangeFlow(1, B, {Tagged("new", Z)})};
  Seen().clear();
  hero.m_vFlowRun[0].Start(hero);
  hero.StepFlowRuns(0);
  EXPECT_EQ(Seen(), (std::vector<std::string>{"take b"}));
  EXPECT_EQ(FlowTags(hero), "take new");
  EXPECT_TRUE(hero.m_vDeferredFlowCmd.empty());
  ExpectLinked(hero);
  // Outside the hero's turn the change is made at once.
  TakenList() = {ChangeFlow(2, Z, {})};
  TakeItemNow(hero, TakenList()[0]);
  EXPECT_EQ(Seen().back(), "take");
}

int ReduceHp(cChara& chara, cFlowCmd& cmd) {
  Log().push_back(cmd.m_strText);
  chara.m_nHp = 0;
  return 0;
}
int MessageSeen(cChara&, cFlowCmd& cmd) {
  Log().push_back(cmd.m_strText + std::to_string(g_lpPlayScene->m_bListMsgCont));
  return 0;
}

TEST(ItemList, StopsOnStageClearAndAtZeroHitPoints) {
  ImplSwap sound(CMD_SOUND, RecordImpl);
  ImplSwap status(CMD_STATUS, ReduceHp);
  ScriptWorld w(1, {});
  w.chara.m_nHp = 5;
  // List kinds: 2 stage clear, 20 sound effect, 7 status operation.
  cSafeVector<cFlowCmd> cleared = {ListCmd(2, "clear"), ListCmd(20, "after")};
  EXPECT_EQ(RunCommandList(w.chara, cleared), 1);
  EXPECT_TRUE(Log().empty());
  cSafeVector<cFlowCmd> dying = {ListCmd(20, "s1"), ListCmd(7, "hp"), ListCmd(20, "s2"), ListCmd(2)};
  EXPECT_EQ(RunCommandList(w.chara, dying), 2);
  EXPECT_EQ(Log(), (std::vector<std::string>{"s1", "hp"}));
  // Already at 0: 2 after the first command, 2 for an empty list.
  Log().clear();
  cSafeVector<cFlowCmd> none;
  EXPECT_EQ(RunCommandList(w.chara, none), 2);
  cSafeVector<cFlowCmd> one = {ListCmd(20, "s")};
  EXPECT_EQ(RunCommandList(w.chara, one), 2);
  EXPECT_EQ(Log(), (std::vector<std::string>{"s"}));
}

TEST(ItemList, MessagesAfterTheFirstAreChained) {
  ImplSwap message(CMD_MESSAGE, MessageSeen);
  ScriptWorld w(1, {});
  w.chara.m_nHp = 5;
  cSafeVector<cFlowCmd> list = {ListCmd(4, "m"), ListCmd(20), ListCmd(4, "m"), ListCmd(4, "m")};
  RunCommandList(w.chara, list);
  EXPECT_EQ(Log(), (std::vector<std::string>{"m0", "m1", "m1"}));
  Log().clear();
  cSafeVector<cFlowCmd> again = {ListCmd(4, "m")};
  RunCommandList(w.chara, again);
  EXPECT_EQ(Log(), (std::vector<std::string>{"m0"}));
}

// An item whose list takes the same item again.
int TakeSelfAgain(cChara& chara, cFlowCmd& cmd) {
  Log().push_back("take");
  cSafeVector<cFlowCmd> list = {cmd};
  list[0].m_bySelector = 1;
  list[0].m_byKind = CMD_TAKE_ITEM - LISTCMD_KIND_OFFSET;
  return RunCommandList(chara, list);
}

TEST(ItemList, ItemsTakingThemselvesAreCutAtDepth16) {
  ImplSwap take(CMD_TAKE_ITEM, TakeSelfAgain);
  ScriptWorld w(1, {});
  w.chara.m_nHp = 5;
  cSafeVector<cFlowCmd> list = {ListCmd(CMD_TAKE_ITEM - LISTCMD_KIND_OFFSET)};
  EXPECT_EQ(RunCommandList(w.chara, list), 0);
  EXPECT_EQ(Log().size(), static_cast<size_t>(MAX_ITEM_LIST_DEPTH));
  // The depth is back at 0: a new list runs whole.
  Log().clear();
  EXPECT_EQ(RunCommandList(w.chara, list), 0);
  EXPECT_EQ(Log().size(), static_cast<size_t>(MAX_ITEM_LIST_DEPTH));
}

}  // namespace
