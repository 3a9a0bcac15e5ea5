// The second status operation (state flags of a character or of the system's automatic
// scroll) and the vanish command (characters and shots of a side, summoned descendants and
// their shots), with the damage-pass rule for shots and the depth limit of summoning chains.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "defs/flow_cmd.h"
#include "engine/shot.h"
#include "fixture/fixture.h"
#include "script/cmd_dispatch.h"
#include "script/cmd_vanish.h"
#include "script_kit.h"

using namespace scriptkit;

namespace {

cFlowCmd Status2(int object, int state, int value) {
  cFlowCmd cmd = Cmd(CMD_STATUS2, 0);
  cmd.m_vParam = {object, state, value};
  return cmd;
}
cFlowCmd Vanish(int what, int layer = 0, int range = 0) {
  cFlowCmd cmd = Cmd(CMD_VANISH, 0);
  cmd.m_vParam = {what, layer, range};
  return cmd;
}

// A stage at one sub-step per frame with the hero (layer 0) and the acting character (layer 1).
class Status2Test : public ::testing::Test {
 protected:
  Status2Test() : w(1, {}), me(w.chara), hero(w.world.AddHero(fixture::Hero(), 5, 5)) {
    hero.m_nKind = 0;
    me.m_nHp = 10;
    hero.m_nHp = 10;
  }
  void Run(cChara& c, cFlowCmd cmd) { g_apfnCmdImpl[DispatchKind(cmd)](c, cmd); }
  cPlayScene& Scene() { return w.world.scene; }

  ScriptWorld w;
  cStageChara& me;
  cPlayer& hero;
};

TEST_F(Status2Test, FlagsOfSelfAndTargets) {
  me.SetTarget(1, &hero);
  Run(me, Status2(0, 1, 1));
  EXPECT_EQ(me.m_Data.m_bTransparent, 1);
  Run(me, Status2(2, 2, 0));  // target 2 = the hero
  EXPECT_EQ(hero.m_Data.m_bFixedFacing, 0);
  Run(me, Status2(0, 4, 2));
  EXPECT_EQ(me.m_Data.m_byInvincible, 2);
  Run(me, Status2(2, 6, 1));
  EXPECT_EQ(hero.m_Data.m_bScrollSync, 1);
  EXPECT_EQ(hero.m_bScrollSync, 1);
  // An empty slot changes nothing, not even the acting character.
  Run(me, Status2(3, 1, 0));
  EXPECT_EQ(me.m_Data.m_bTransparent, 1);
  // A state number outside 0..6 changes nothing.
  Run(me, Status2(0, 7, 0));
  EXPECT_EQ(me.m_Data.m_bTransparent, 1);
  EXPECT_EQ(me.m_nHp, 10);
  EXPECT_EQ(me.m_bRemoveNow, 0);
}

TEST_F(Status2Test, VanishFlagsAStageCharacterAndZeroesTheHero) {
  Run(me, Status2(0, 0, 0));
  EXPECT_EQ(me.m_bRemoveNow, 1);
  EXPECT_EQ(me.m_nHp, 10);
  // Killing itself is not killing another.
  EXPECT_EQ(Scene().m_bCheckHp, 0);
  me.SetTarget(0, &hero);
  Run(me, Status2(1, 0, 0));
  EXPECT_EQ(hero.m_nHp, 0);
  EXPECT_EQ(hero.m_bRemoveNow, 0);
  EXPECT_EQ(Scene().m_bCheckHp, 1);
}

TEST_F(Status2Test, FlyingOnlyForTheHero) {
  const int freeBefore = me.m_bFree;
  const int flyingBefore = me.m_Data.m_byFlying;
  Run(me, Status2(0, 3, 1));
  EXPECT_EQ(me.m_bFree, freeBefore);
  EXPECT_EQ(me.m_Data.m_byFlying, flyingBefore);
  me.SetTarget(0, &hero);
  hero.ApplyPlacement(0, 1);
  ASSERT_EQ(hero.m_bFree, 0);
  Run(me, Status2(1, 3, 1));
  EXPECT_EQ(hero.m_nMoveMode, 1);
  EXPECT_EQ(hero.m_bFree, 1);
}

TEST_F(Status2Test, ZoomScalesTheBodyAndIsHeldToOneToTen) {
  const int baseW = me.m_nBaseWidth;
  const int baseH = me.m_nBaseHeight;
  ASSERT_GT(baseW, 0);
  const struct {
    int value, zoom;
  } rows[] = {{2, 2}, {10, 10}, {11, 10}, {1, 1}, {0, 1}, {-5, 1}, {3, 3}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.value);
    Run(me, Status2(0, 5, r.value));
    EXPECT_EQ(me.m_nZoom, r.zoom);
    EXPECT_EQ(me.m_Data.m_byZoom, r.zoom);
    EXPECT_EQ(me.m_nWidth, r.zoom * baseW);
    EXPECT_EQ(me.m_nHeight, r.zoom * baseH);
  }
}

// Records the calls of the zoom slot.
class ZoomProbe : public cStageChara {
 public:
  std::vector<std::pair<int, int>> calls;
  void SetZoom(int nNew, int nOld) override {
    calls.emplace_back(nNew, nOld);
    cStageChara::SetZoom(nNew, nOld);
  }
};

TEST_F(Status2Test, ZoomToTheSameValueStillCallsTheSlot) {
  ZoomProbe probe;
  probe.m_nZoom = 3;
  Run(probe, Status2(0, 5, 3));
  ASSERT_EQ(probe.calls.size(), 1u);
  EXPECT_EQ(probe.calls[0], std::make_pair(3, 3));
}

TEST_F(Status2Test, SystemAutoScroll) {
  g_StageData.m_nAutoSpeedX = 30;
  g_StageData.m_nAutoSpeedY = 15;
  Run(me, Status2(5, 0, 1));
  EXPECT_EQ(g_StageData.m_nScrollModeX, 1);
  EXPECT_EQ(Scene().m_ScrollX.m_bAuto, 1);
  EXPECT_DOUBLE_EQ(Scene().m_ScrollX.m_dAutoSpeed, 3.0);  // 30 tenths of a dot per frame, 1 sub-step
  Run(me, Status2(5, 1, 1));
  EXPECT_DOUBLE_EQ(Scene().m_ScrollY.m_dAutoSpeed, 1.5);
  Run(me, Status2(5, 0, 0));
  EXPECT_EQ(g_StageData.m_nScrollModeX, 0);
  EXPECT_EQ(Scene().m_ScrollX.m_bAuto, 0);
  EXPECT_DOUBLE_EQ(Scene().m_ScrollX.m_dAutoSpeed, 0.0);
  // Other system states: nothing.
  Run(me, Status2(5, 2, 1));
  EXPECT_EQ(Scene().m_ScrollX.m_bAuto, 0);
}

class VanishTest : public Status2Test {
 protected:
  cStageChara& Chara(int layer, int onScreen, int x = 8) {
    cStageChara& c = w.world.AddChara(fixture::Chara(2), x, 8);
    c.m_nLayer = layer;
    c.m_bOnScreen = onScreen;
    c.m_nHp = 5;
    Scene().m_vDrawList[static_cast<size_t>(layer)].push_back(&c);
    return c;
  }
  cShot& Shot(cChara* owner, int layer, int onScreen, cChara* target = nullptr) {
    cShot& s = Scene().m_lShot.Add(std::make_unique<cShot>());
    s.m_bActive = 1;
    s.m_bOnScreen = onScreen;
    s.m_nLayer = layer;
    s.Link(owner, target);
    Scene().m_vShotDrawList[static_cast<size_t>(layer)].push_back(&s);
    return s;
  }
  // A character summoned by parent.
  cStageChara& Child(cChara& parent) {
    cStageChara& c = Chara(2, 1);
    c.LinkInitialTargets(&parent);
    return c;
  }
  static size_t OwnLinks(const cChara& c) {
    size_t n = 0;
    for (const cShotLink& l : c.m_vShotLink) n += l.nKind == SUMMONER_SLOT ? 1 : 0;
    return n;
  }
};

TEST_F(VanishTest, CharactersOfASideOnScreenOrEverywhere) {
  cStageChara& on = Chara(3, 1);
  cStageChara& off = Chara(3, 0);
  cStageChara& other = Chara(4, 1);
  cStageChara& inactive = Chara(3, 1);
  inactive.m_bActive = 0;
  Run(me, Vanish(0, 3, 0));
  EXPECT_EQ(on.m_bRemoveNow, 1);
  EXPECT_EQ(off.m_bRemoveNow, 0);
  EXPECT_EQ(other.m_bRemoveNow, 0);
  EXPECT_EQ(inactive.m_bRemoveNow, 0);
  EXPECT_EQ(Scene().m_bCheckHp, 1);
  Run(me, Vanish(0, 3, 1));
  EXPECT_EQ(off.m_bRemoveNow, 1);
  EXPECT_EQ(other.m_bRemoveNow, 0);
  EXPECT_EQ(inactive.m_bRemoveNow, 0);
  // The hero in a vanished side loses its hit points.
  Scene().m_vDrawList[0].push_back(&hero);
  hero.m_bOnScreen = 1;
  Run(me, Vanish(0, 0, 0));
  EXPECT_EQ(hero.m_nHp, 0);
  // Sides outside 0..7 name no list.
  Run(me, Vanish(0, 8, 1));
  Run(me, Vanish(0, -1, 1));
  EXPECT_EQ(other.m_bRemoveNow, 0);
}

TEST_F(VanishTest, ShotsOfASideRemovedAtOnceOutsideTheDamagePass) {
  cStageChara& owner = Chara(1, 1);
  cShot& on = Shot(&owner, 1, 1);
  cShot& off = Shot(&owner, 1, 0);
  cShot& other = Shot(&owner, 2, 1);
  ASSERT_EQ(OwnLinks(owner), 3u);
  Run(me, Vanish(1, 1, 0));
  EXPECT_EQ(on.m_bRemoved, 1);
  EXPECT_EQ(off.m_bRemoved, 0);
  EXPECT_EQ(other.m_bRemoved, 0);
  EXPECT_EQ(on.m_lpOwner, nullptr);
  EXPECT_EQ(OwnLinks(owner), 2u);
  EXPECT_EQ(Scene().m_lShot.Count(), 2u);
  Run(me, Vanish(1, 1, 1));
  EXPECT_EQ(off.m_bRemoved, 1);
  EXPECT_EQ(other.m_bRemoved, 0);
}

TEST_F(VanishTest, ShotsDuringTheDamagePassAreOnlyFlagged) {
  cStageChara& owner = Chara(1, 1);
  cShot& s = Shot(&owner, 1, 1);
  Scene().m_bHitPass = 1;
  Run(me, Vanish(1, 1, 1));
  Scene().m_bHitPass = 0;
  EXPECT_EQ(s.m_bRemoved, 1);
  EXPECT_EQ(s.m_lpOwner, &owner);
  EXPECT_EQ(OwnLinks(owner), 1u);
}

// After a sweep that found nothing to free, the shot flagged inside the pass is still freed by
// the next one, and leaves its drawing list.
TEST_F(VanishTest, AShotFlaggedDuringTheDamagePassIsFreedByTheNextSweep) {
  cStageChara& owner = Chara(1, 1);
  Shot(&owner, 1, 1);
  Scene().SweepPlayLists();
  ASSERT_EQ(Scene().m_lShot.Stored(), 1u);
  Scene().m_bHitPass = 1;
  Run(me, Vanish(1, 1, 1));
  Scene().m_bHitPass = 0;
  Scene().SweepPlayLists();
  EXPECT_EQ(Scene().m_lShot.Stored(), 0u);
  EXPECT_TRUE(Scene().m_vShotDrawList[1].empty());
  EXPECT_EQ(OwnLinks(owner), 0u);
}

TEST_F(VanishTest, OwnShotsButNotShotsAimedAtTheCharacter) {
  cStageChara& enemy = Chara(1, 1);
  cShot& own1 = Shot(&me, 1, 0);
  cShot& own2 = Shot(&me, 1, 1);
  cShot& aimed = Shot(&enemy, 1, 1, &me);
  // During the damage pass: flagged, the links stay.
  Scene().m_bHitPass = 1;
  Run(me, Vanish(3));
  Scene().m_bHitPass = 0;
  EXPECT_EQ(own1.m_bRemoved, 1);
  EXPECT_EQ(own2.m_bRemoved, 1);
  EXPECT_EQ(aimed.m_bRemoved, 0);
  EXPECT_EQ(me.m_vShotLink.size(), 3u);
  own1.m_bRemoved = own2.m_bRemoved = 0;
  Run(me, Vanish(3));
  EXPECT_EQ(own1.m_bRemoved, 1);
  EXPECT_EQ(own2.m_bRemoved, 1);
  EXPECT_EQ(aimed.m_bRemoved, 0);
  ASSERT_EQ(me.m_vShotLink.size(), 1u);
  EXPECT_EQ(me.m_vShotLink.begin()->lpShot, &aimed);
}

TEST_F(VanishTest, DescendantsAndTheirShotsByMode) {
  const struct {
    int mode;
    bool kidsKilled, ownShotGone, kidShotGone, grandKidShotGone;
  } rows[] = {
      {2, true, false, false, false},
      {3, false, true, false, false},
      {4, true, true, true, true},
      {5, true, false, true, true},
      {6, false, false, false, false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.mode);
    cStageChara& kid = Child(me);
    cStageChara& grandKid = Child(kid);
    cShot& ownShot = Shot(&me, 1, 1);
    cShot& kidShot = Shot(&kid, 2, 1);
    cShot& grandKidShot = Shot(&grandKid, 2, 1);
    Run(me, Vanish(r.mode));
    EXPECT_EQ(kid.m_bRemoveNow, r.kidsKilled ? 1 : 0);
    EXPECT_EQ(grandKid.m_bRemoveNow, r.kidsKilled ? 1 : 0);
    EXPECT_EQ(me.m_bRemoveNow, 0);
    EXPECT_EQ(ownShot.m_bRemoved, r.ownShotGone ? 1 : 0);
    EXPECT_EQ(kidShot.m_bRemoved, r.kidShotGone ? 1 : 0);
    EXPECT_EQ(grandKidShot.m_bRemoved, r.grandKidShotGone ? 1 : 0);
    // The next row starts from a clean family.
    g_lChara.Remove(kid);
    g_lChara.Remove(grandKid);
    cObjectList<cShot>::Remove(ownShot);
    cObjectList<cShot>::Remove(kidShot);
    cObjectList<cShot>::Remove(grandKidShot);
  }
}

TEST_F(VanishTest, InactiveChildrenShieldTheirDescendants) {
  cStageChara& a = Child(me);
  cStageChara& b = Child(me);
  cStageChara& bKid = Child(b);
  cStageChara& aKid = Child(a);
  b.m_bActive = 0;
  Run(me, Vanish(2));
  EXPECT_EQ(a.m_bRemoveNow, 1);
  EXPECT_EQ(aKid.m_bRemoveNow, 1);
  EXPECT_EQ(b.m_bRemoveNow, 0);
  EXPECT_EQ(bKid.m_bRemoveNow, 0);
}

// Standalone characters for a long summoning chain (no world lists needed).
TEST(VanishChain, GenerationsBeyondTheLimitSurvive) {
  std::vector<std::unique_ptr<cStageChara>> chain;
  chain.push_back(std::make_unique<cStageChara>());
  for (int g = 1; g <= MAX_VANISH_DEPTH + 3; ++g) {
    chain.push_back(std::make_unique<cStageChara>());
    chain.back()->m_nKind = 1;
    chain.back()->m_bActive = 1;
    chain.back()->LinkInitialTargets(chain[static_cast<size_t>(g - 1)].get());
  }
  KillDescendants(*chain[0], 0, 0);
  // Generations 1..1001 are killed; 1002 and below stay.
  EXPECT_EQ(chain[1]->m_bRemoveNow, 1);
  EXPECT_EQ(chain[1000]->m_bRemoveNow, 1);
  EXPECT_EQ(chain[1001]->m_bRemoveNow, 1);
  EXPECT_EQ(chain[1002]->m_bRemoveNow, 0);
  EXPECT_EQ(chain[1003]->m_bRemoveNow, 0);
  EXPECT_EQ(chain[0]->m_bRemoveNow, 0);
  // Starting one generation down shifts the limit by one.
  for (auto& c : chain) c->m_bRemoveNow = 0;
  KillDescendants(*chain[0], 1, 0);
  EXPECT_EQ(chain[1000]->m_bRemoveNow, 1);
  EXPECT_EQ(chain[1001]->m_bRemoveNow, 0);
  // Beyond the limit from the start: nothing.
  for (auto& c : chain) c->m_bRemoveNow = 0;
  KillDescendants(*chain[0], MAX_VANISH_DEPTH + 1, 0);
  EXPECT_EQ(chain[1]->m_bRemoveNow, 0);
  // Unlink from the tail so that no character outlives the one it refers to.
  while (!chain.empty()) chain.pop_back();
}

}  // namespace
