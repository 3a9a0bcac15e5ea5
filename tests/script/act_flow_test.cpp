// A stage in play where the engine and the scripting meet: a stage character placed by the
// engine acts through its flow runs (built from its definition when placed) and moves by its
// command; an item taken by the hero runs its command list, loops expanded when it was set up.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "defs/ed_move.h"
#include "engine/item.h"
#include "fixture/fixture.h"
#include "script_kit.h"

using namespace scriptkit;

namespace {

// A straight move to the right at one dot per sub-step: 10 × k tenths of a dot per frame.
cFlowCmd MoveRight(int time, int k) {
  cFlowCmd c = Cmd(CMD_MOVE_LINE, time);
  CreateEdMove(c.m_pMove);
  c.m_pMove->m_byDirection = 3;
  c.m_pMove->m_sSpeed = static_cast<int16_t>(10 * k);
  return c;
}

cStage StageAt(int k) {
  cStage s = fixture::Stage(20, 15);
  s.m_nSpeedLevel = k;
  s.m_nItemW = 28;
  s.m_nItemH = 20;
  return s;
}

class ActFlows : public ::testing::TestWithParam<int> {
 protected:
  int k() const { return GetParam(); }
};

// "Wait 2 tenths, move 3 tenths, wait 1 tenth", looped three times: 9 commands of 12k, 18k and
// 6k sub-steps, 36k a pass, 108k in all. The move ticks on sub-steps 12k+1 .. 30k of each pass.
TEST_P(ActFlows, AStageCharacterActsThroughItsFlowAndMovesOnTheMoveSubSteps) {
  playkit::PlayWorld world(StageAt(k()));
  cCharaData def = fixture::Chara(1);
  def.m_byFlying = 1;
  def.m_vFlow.assign(1, Flow(TRIGGER_NONE, {Loop(3, 3), Cmd(CMD_WAIT, 2), MoveRight(3, k()), Cmd(CMD_WAIT, 1)}));
  cStageChara& c = world.PlaceChara(def, 1, 5);
  ASSERT_EQ(c.m_vFlowRun.size(), 1u);
  cFlowRun& run = c.m_vFlowRun[0];
  ASSERT_EQ(run.m_vCmdState.size(), 9u);
  run.Start(c);
  const double x0 = c.m_dX;
  const int pass = 36 * k();
  const int total = 3 * pass;
  // Command ends (cumulative sub-steps) of the nine commands.
  std::vector<int> ends;
  for (int p = 0; p < 3; ++p)
    for (int len : {12, 18, 6}) ends.push_back((ends.empty() ? 0 : ends.back()) + len * k());
  ASSERT_EQ(ends.back(), total);
  int moved = 0;
  for (int s = 1; s <= total + 20; ++s) {
    ASSERT_EQ(c.Act(0), 0) << "sub-step " << s;
    c.StepX();
    const int p = (s - 1) % pass + 1;
    if (s <= total && p > 12 * k() && p <= 30 * k()) ++moved;
    const int done = static_cast<int>(std::count_if(ends.begin(), ends.end(), [s](int e) { return e <= s; }));
    EXPECT_EQ(c.m_dX, x0 + moved) << "sub-step " << s;
    EXPECT_EQ(run.m_bRunning, s < total ? 1 : 0) << "sub-step " << s;
    // The last command's end leaves the current index on it.
    EXPECT_EQ(run.m_nCurrent, std::min(done, 8)) << "sub-step " << s;
    EXPECT_EQ(run.m_nTicks, std::min(s, total - 1)) << "sub-step " << s;
    EXPECT_EQ(c.m_bMovedByCmd, s <= total && p > 12 * k() && p <= 30 * k() ? 1 : 0) << "sub-step " << s;
    // The act leaves no current actor behind.
    EXPECT_EQ(world.scene.m_pCurChara, nullptr);
  }
  EXPECT_EQ(moved, 3 * 18 * k());
}

INSTANTIATE_TEST_SUITE_P(SubSteps, ActFlows, ::testing::Values(1, 3));

// The status operation is not built: its implementation adds parameter 1 to the variable of
// parameter 0 of the actor.
int AddToVariable(cChara& chara, cFlowCmd& cmd) {
  chara.m_vVar.CheckedAt(cmd.Param(0)) += cmd.Param(1);
  return 0;
}

TEST(ItemTaken, ItsListRunsOnTheHeroWithLoopsExpandedAndFlowsAdded) {
  ImplSwap status(CMD_STATUS, AddToVariable);
  playkit::PlayWorld world(StageAt(2));
  cPlayer& hero = world.PlaceHero(fixture::Hero(), 5, 5);
  const size_t flowsBefore = hero.m_vFlowRun.size();
  // Twice "add 5 to variable 3", then "フローの変更" adding a flow with ID 9.
  cItemData d = fixture::Item(4);
  cFlowCmd loop = ListCmd(CMD_LOOP - LISTCMD_KIND_OFFSET);
  loop.m_vParam = {2, 1};
  cFlowCmd add = ListCmd(CMD_STATUS - LISTCMD_KIND_OFFSET);
  add.m_vParam.assign(std::max<size_t>(add.m_vParam.size(), 2), 0);
  add.m_vParam[0] = 3;
  add.m_vParam[1] = 5;
  cFlowCmd change = ListCmd(LISTCMD_CHANGE_FLOW);
  change.m_vParam.assign(std::max<size_t>(change.m_vParam.size(), 2), 0);
  change.m_vFlow.assign(1, Flow(TRIGGER_NONE, {Cmd(CMD_WAIT, 1)}, 9));
  d.m_vCmd = {loop, add, change};
  cItem& item = world.PlaceItem(d, 5, 5);
  // Set-up expanded the loop.
  ASSERT_EQ(item.m_Data.m_vCmd.size(), 3u);
  EXPECT_EQ(world.scene.PickUpItems(hero), 0);
  EXPECT_EQ(hero.m_vVar[3], 10);
  ASSERT_EQ(hero.m_vFlowRun.size(), flowsBefore + 1);
  EXPECT_EQ(hero.m_Data.m_vFlow.back().m_byId, 9);
  EXPECT_EQ(hero.m_vFlowRun.back().m_pFlow, &hero.m_Data.m_vFlow.back());
  // The item is gone: a second pass gives nothing more.
  EXPECT_EQ(g_lItem.Count(), 0u);
  world.scene.PickUpItems(hero);
  EXPECT_EQ(hero.m_vVar[3], 10);
}

// The drop item of a character that dies goes to the hero and runs its list there.
TEST(ItemTaken, ADroppedItemRunsItsListOnTheHero) {
  ImplSwap status(CMD_STATUS, AddToVariable);
  playkit::PlayWorld world(StageAt(1));
  cPlayer& hero = world.PlaceHero(fixture::Hero(), 2, 5);
  cItemData d = fixture::Item(4);
  cFlowCmd add = ListCmd(CMD_STATUS - LISTCMD_KIND_OFFSET);
  add.m_vParam.assign(std::max<size_t>(add.m_vParam.size(), 2), 0);
  add.m_vParam[0] = 0;
  add.m_vParam[1] = 7;
  d.m_vCmd = {add};
  cItem drop;
  drop.SetData(0, d, 1);
  cStageChara& c = world.PlaceChara(fixture::Chara(1), 9, 5, &drop);
  EXPECT_EQ(c.Die(), 0);
  EXPECT_EQ(hero.m_vVar[0], 7);
  EXPECT_EQ(c.m_vVar[0], 0);
}

}  // namespace
