// Characters: hit points and skill points, damage and reports, impact and knock-back, contact
// pauses, death and score, zoom anchoring, grid placement, contact box A and the jump figures.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/shot.h"
#include "fixture/fixture.h"
#include "play_kit.h"

namespace {

// Speed level 10: k = 10, gravity step 0.4 / 100 = 0.004.
class CharaTest : public ::testing::Test {
 protected:
  CharaTest() : world_(WholeField()) {}
  // A 20 × 15 stage whose field edges enclose the whole map grid, as the editor stores them.
  static cStage WholeField() {
    cStage stage = fixture::Stage(20, 15);
    stage.m_nScrollExtraX = (20 + 20) * 32 - 640;
    stage.m_nScrollExtraY = (15 + 20) * 32 - 640;
    return stage;
  }
  cStageChara& Make(int maxHp = 10) {
    cCharaData def = fixture::Chara(1);
    def.m_nMaxHp = maxHp;
    return world_.AddChara(def, 2, 2);
  }
  playkit::PlayWorld world_;
};

TEST_F(CharaTest, HitPointsClampedAndReportedAtZero) {
  cStageChara& c = Make(10);
  ASSERT_EQ(c.m_nHp, 10);
  const struct {
    int hp;
    int delta;
    int force;
    int result;
    int after;
  } cases[] = {
      {10, -3, 0, 0, 7},  {7, 5, 0, 0, 10},  {10, 0, 0, 0, 10}, {0, 0, 0, 1, 0},  {3, -3, 0, 1, 0},
      {3, -2, 0, 0, 1},   {3, -50, 0, 1, 0}, {12, 1, 0, 0, 10}, {5, -2147483647 - 1, 1, 1, 0},
      {5, 2147483647, 0, 0, 10},
  };
  for (const auto& k : cases) {
    c.m_nHp = k.hp;
    EXPECT_EQ(c.AddHp(k.delta, k.force, 0), k.result) << k.hp << " " << k.delta;
    EXPECT_EQ(c.m_nHp, k.after) << k.hp << " " << k.delta;
  }
  // Invincible: no loss unless forced, healing still works.
  c.m_Data.m_byInvincible = 2;
  c.m_nHp = 5;
  EXPECT_EQ(c.AddHp(-3, 0, 1), 0);
  EXPECT_EQ(c.m_nHp, 5);
  EXPECT_EQ(c.m_HpGauge.nFrames, 0);
  EXPECT_EQ(c.AddHp(2, 0, 0), 0);
  EXPECT_EQ(c.m_nHp, 7);
  EXPECT_EQ(c.AddHp(-3, 1, 0), 0);
  EXPECT_EQ(c.m_nHp, 4);
}

TEST_F(CharaTest, GaugeAnimationOfAChange) {
  cStageChara& c = Make(10);
  EXPECT_EQ(c.AddHp(-3, 0, 1), 0);
  EXPECT_EQ(c.m_HpGauge.nFrames, 120);
  EXPECT_EQ(c.m_HpGauge.nTarget, 35);
  EXPECT_EQ(c.m_HpGauge.dChange, -15.0);
  EXPECT_EQ(c.m_HpGauge.dPerFrame, -0.25);
  // No animation when the hit points run out.
  c.m_HpGauge = cGauge();
  EXPECT_EQ(c.AddHp(-7, 0, 1), 1);
  EXPECT_EQ(c.m_HpGauge.nFrames, 0);
}

TEST_F(CharaTest, SkillPointsReportAMissingCapacity) {
  cStageChara& c = Make();
  c.m_Data.m_nMaxSp = 0;
  c.m_nSp = 0;
  for (int delta : {-5, 0, 5}) EXPECT_EQ(c.AddSp(delta, 1), 1) << delta;
  EXPECT_EQ(c.m_nSp, 0);
  EXPECT_EQ(c.m_SpGauge.nFrames, 0);
  c.m_Data.m_nMaxSp = 20;
  c.m_nSp = 10;
  EXPECT_EQ(c.AddSp(15, 1), 0);
  EXPECT_EQ(c.m_nSp, 20);
  EXPECT_EQ(c.m_SpGauge.dChange, 25.0);
  EXPECT_EQ(c.AddSp(-30, 0), 0);
  EXPECT_EQ(c.m_nSp, 0);
}

TEST_F(CharaTest, DamageAfterDefenceAndHealingPower) {
  cStageChara& victim = Make(10);
  cStageChara& attacker = Make();
  const struct {
    int power;
    int defence;
    int hp;
    int result;
    int after;
  } cases[] = {
      // Exactly the defence: no damage; 1 only when already at 0.
      {10, 10, 5, 0, 5},
      {10, 10, 0, 1, 0},
      {11, 10, 5, 0, 4},
      // A negative power heals, without the defence, up to the maximum.
      {-5, 100, 3, 0, 8},
      {-5, 0, 8, 0, 10},
      {2000000, 0, 10, 1, 0},
      {2000000, -2000000, 10, 1, 0},
  };
  for (const auto& k : cases) {
    attacker.m_Data.m_nPower = k.power;
    victim.m_Data.m_nDefence = k.defence;
    victim.m_nHp = k.hp;
    EXPECT_EQ(victim.TakeDamage(attacker), k.result) << k.power << " " << k.defence;
    EXPECT_EQ(victim.m_nHp, k.after) << k.power << " " << k.defence;
  }
}

TEST_F(CharaTest, InvincibleLosesNothingButIsHealedKnockedBackAndReported) {
  cStageChara& victim = Make(10);
  cStageChara& attacker = Make();
  victim.m_Data.m_byInvincible = 1;
  victim.m_nHp = 5;
  attacker.m_Data.m_nPower = 4;
  attacker.m_Data.m_cImpact = 4;
  attacker.m_dVX = 1;
  EXPECT_EQ(victim.TakeDamage(attacker), 0);
  EXPECT_EQ(victim.m_nHp, 5);
  EXPECT_EQ(victim.m_bKnocked, 1);
  EXPECT_GT(victim.m_dKnockX, 0);
  victim.ReportDamage(attacker);
  EXPECT_EQ(world_.KeysOf(victim.m_nId), (std::vector<int>{1, 2}));
  attacker.m_Data.m_nPower = -3;
  victim.TakeDamage(attacker);
  EXPECT_EQ(victim.m_nHp, 8);
}

TEST_F(CharaTest, ReportsGoThroughTheSummonerOrTheShotOwner) {
  cStageChara& victim = Make();
  cStageChara& summoner = Make();
  cStageChara& attacker = Make();
  attacker.LinkInitialTargets(&summoner);
  attacker.m_Data.m_nPower = 3;
  attacker.m_Data.m_cImpact = 0;
  victim.ReportDamage(attacker);
  ASSERT_EQ(world_.events.size(), 1u);
  EXPECT_EQ(world_.events[0].key, 1);
  EXPECT_EQ(world_.events[0].partnerId, attacker.m_nId);
  world_.events.clear();
  attacker.m_bReportToSummoner = 1;
  attacker.m_byReportValue = 7;
  attacker.m_Data.m_cImpact = -2;
  victim.ReportDamage(attacker);
  const std::vector<playkit::FiredEvent> expected = {{victim.m_nId, 1, summoner.m_nId, 0},
                                                      {summoner.m_nId, 18, victim.m_nId, 7},
                                                      {victim.m_nId, 2, summoner.m_nId, 0},
                                                      {summoner.m_nId, 19, victim.m_nId, 7}};
  ASSERT_EQ(world_.events.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(world_.events[i].charaId, expected[i].charaId) << i;
    EXPECT_EQ(world_.events[i].key, expected[i].key) << i;
    EXPECT_EQ(world_.events[i].partnerId, expected[i].partnerId) << i;
    EXPECT_EQ(world_.events[i].value, expected[i].value) << i;
  }
  // A shot: key 1 with the owner as partner, key 18 on the owner when the shot reports.
  world_.events.clear();
  cShot shot;
  shot.Link(&summoner, nullptr);
  shot.m_Shot.m_nPower = 2;
  shot.m_Shot.m_cImpact = 0;
  victim.ReportShotDamage(shot);
  ASSERT_EQ(world_.events.size(), 1u);
  EXPECT_EQ(world_.events[0].partnerId, summoner.m_nId);
  shot.m_bReport = 1;
  shot.m_byReportValue = 9;
  world_.events.clear();
  victim.ReportShotDamage(shot);
  ASSERT_EQ(world_.events.size(), 2u);
  EXPECT_EQ(world_.events[1].charaId, summoner.m_nId);
  EXPECT_EQ(world_.events[1].key, 18);
  EXPECT_EQ(world_.events[1].value, 9);
  // Without power or impact nothing is reported.
  world_.events.clear();
  shot.m_Shot.m_nPower = 0;
  victim.ReportShotDamage(shot);
  EXPECT_TRUE(world_.events.empty());
}

TEST_F(CharaTest, ImpactLessTheResistanceWithinTwentyHalfBlocks) {
  double k = g_StageData.m_dSubSteps;
  auto speed = [k](int e) { return (std::sqrt(1 + 128 * k * std::abs(e)) - 1) / (2 * k) * (e < 0 ? -1 : 1); };
  const struct {
    int impact;
    int resist;
    int effective;
  } cases[] = {{25, 3, 20}, {23, 3, 20}, {22, 3, 19}, {-2, 5, 0}, {-6, 5, -1}, {-30, 5, -20}, {3, 3, 0}, {127, 0, 20},
               {-128, 0, -20}};
  for (const auto& c : cases) {
    cStageChara& ch = Make();
    ch.m_Data.m_byImpactResist = static_cast<uint8_t>(c.resist);
    ch.m_dKnockX = 0.125;
    ch.ApplyImpact(c.impact, 3, 0);
    EXPECT_EQ(ch.m_bKnocked, 1);
    if (c.effective == 0)
      EXPECT_EQ(ch.m_dKnockX, 0.125) << c.impact;
    else
      EXPECT_DOUBLE_EQ(ch.m_dKnockX, speed(c.effective)) << c.impact;
  }
  cStageChara& z = Make();
  z.ApplyImpact(0, 3, 0);
  EXPECT_EQ(z.m_bKnocked, 0);
}

TEST_F(CharaTest, KnockBackAgainstThrustAndFall) {
  cStageChara& c = Make();
  c.m_dAX = 0.5;
  c.m_dAY = -0.5;
  c.m_dVY = -1;
  c.ApplyImpact(4, -1, 1);
  EXPECT_LT(c.m_dKnockX, 0);
  EXPECT_GT(c.m_dKnockY, 0);
  EXPECT_EQ(c.m_dAX, 0);
  EXPECT_EQ(c.m_dAY, 0);
  EXPECT_EQ(c.m_dVY, 0);
  // Along the thrust nothing is cleared.
  cStageChara& d = Make();
  d.m_dAX = 0.5;
  d.m_dVY = 1;
  d.ApplyImpact(4, 1, 1);
  EXPECT_EQ(d.m_dAX, 0.5);
  EXPECT_EQ(d.m_dVY, 1);
}

TEST_F(CharaTest, AWalkingAttackerPushesOnlySidewaysUnlessItFallsFast) {
  // dy is dropped while 8k × gravity step (0.32) > vy: at exactly 0.32 it is kept.
  const struct {
    int flying;
    double vy;
    bool vertical;
  } cases[] = {{0, 0.3, false}, {0, 8 * 10.0 * 0.004, true}, {0, 0.33, true}, {1, -2, true}, {0, -2, false}};
  for (const auto& c : cases) {
    cStageChara& attacker = Make();
    cStageChara& victim = Make();
    attacker.m_Data.m_cImpact = 6;
    attacker.m_Data.m_byFlying = static_cast<uint8_t>(c.flying);
    attacker.m_dVX = 1;
    attacker.m_dVY = c.vy;
    victim.KnockFromChara(attacker);
    EXPECT_EQ(victim.m_dKnockY != 0, c.vertical) << c.flying << " " << c.vy;
    EXPECT_GT(victim.m_dKnockX, 0);
  }
  // A sword pushes along its facing.
  cStageChara& v = Make();
  cShot sword;
  sword.m_bShot = 0;
  sword.m_nDir = 0;
  sword.m_dVY = 5;
  sword.m_Shot.m_cImpact = 4;
  v.KnockFromShot(sword);
  EXPECT_LT(v.m_dKnockX, 0);
  EXPECT_EQ(v.m_dKnockY, 0);
}

TEST_F(CharaTest, KnockBackEntersTheVerticalStep) {
  cStageChara& c = Make();
  c.m_dKnockY = -1;
  c.m_dVY = 0.5;
  c.m_dLastKnockY = 0;
  c.ApplyKnockY();
  EXPECT_EQ(c.m_dVY, -0.5);
  EXPECT_EQ(c.m_dLastKnockY, -1);
  // Next sub-step: the knock-back decayed to -0.9; the part already added is replaced.
  c.m_dKnockY = -0.875;
  c.m_dVY += 0.25;
  c.ApplyKnockY();
  EXPECT_EQ(c.m_dVY, -0.875 + (-0.25 + 1));
  // Downward while standing: dropped.
  MapChip solid(fixture::Block(1));
  c.m_lpFloor = &solid;
  c.m_dKnockY = 0.5;
  c.m_dVY = 0;
  c.ApplyKnockY();
  EXPECT_EQ(c.m_dKnockY, 0);
  EXPECT_EQ(c.m_dVY, 0);
  EXPECT_EQ(c.m_dLastKnockY, 0);
  // Flying: added.
  c.m_bFree = 1;
  c.m_dKnockY = 0.5;
  c.m_dVY = 1;
  c.ApplyKnockY();
  EXPECT_EQ(c.m_dVY, 1.5);
}

TEST_F(CharaTest, ContactPausesInSubSteps) {
  g_StageData.m_nCharaContactPause = 2;
  g_StageData.m_nCharaPartnerPause = 3;
  g_StageData.m_nHeroContactPause = 5;
  cStageChara& c = Make();
  c.StartPartnerPause(42);
  EXPECT_EQ(c.m_nPause, 20);
  EXPECT_TRUE(c.IsPausedFor(7));
  for (int i = 0; i < 20; ++i) c.AgePauses();
  EXPECT_FALSE(c.IsPaused());
  EXPECT_FALSE(c.IsPausedFor(7));
  EXPECT_TRUE(c.IsPausedFor(42));
  for (int i = 0; i < 9; ++i) c.AgePauses();
  EXPECT_TRUE(c.IsPausedFor(42));
  c.AgePauses();
  EXPECT_FALSE(c.IsPausedFor(42));
  EXPECT_TRUE(c.m_lPartnerPause.empty());
  EXPECT_EQ(c.m_nPause, 0);
  cPlayer& h = world_.AddHero(fixture::Hero(), 1, 1);
  h.StartPause();
  EXPECT_EQ(h.m_nPause, 50);
  // A pause from the file too long for k sub-steps stays the longest one.
  g_StageData.m_nHeroContactPause = 2147483647;
  h.StartPause();
  EXPECT_EQ(h.m_nPause, 2147483647);
  // Pauses from the file down to INT32_MIN are over at the next sub-step.
  g_StageData.m_nHeroContactPause = INT32_MIN;
  g_StageData.m_nHeroPartnerPause = INT32_MIN;
  h.StartPartnerPause(42);
  EXPECT_EQ(h.m_nPause, INT32_MIN);
  h.AgePauses();
  EXPECT_EQ(h.m_nPause, 0);
  EXPECT_TRUE(h.m_lPartnerPause.empty());
}

class DyingChara : public cStageChara {
 public:
  int Act(int bDying) override {
    acts.push_back(bDying);
    return 0;
  }
  cItem* GetDropItem() override { return drop; }
  std::vector<int> acts;
  cItem* drop = nullptr;
};

TEST_F(CharaTest, DeathFiresRunsTheDyingFlowsScoresAndReleases) {
  auto& c = static_cast<DyingChara&>(g_lChara.Add(std::make_unique<DyingChara>()));
  c.m_Data.m_nScore = 20;
  c.m_nId = 99;
  cPlayer& hero = world_.AddHero(fixture::Hero(), 1, 1);
  c.LinkInitialTargets(nullptr);
  g_SaveData.m_nStageScore = 999990;
  EXPECT_EQ(c.Die(), 0);
  EXPECT_EQ(world_.KeysOf(99), (std::vector<int>{3}));
  EXPECT_EQ(c.acts, (std::vector<int>{1}));
  EXPECT_EQ(g_SaveData.m_nStageScore, 999999);
  EXPECT_EQ(c.m_bDead, 1);
  EXPECT_EQ(c.m_vTarget[0], nullptr);
  EXPECT_TRUE(hero.m_vBackRef.empty());
  // A negative score never takes the total below 0.
  c.m_Data.m_nScore = -50;
  g_SaveData.m_nStageScore = 10;
  c.Die();
  EXPECT_EQ(g_SaveData.m_nStageScore, 0);
}

TEST_F(CharaTest, DeathAfterTheEndOfPlayKeepsTheCharacterAlive) {
  cPlayer& hero = world_.AddHero(fixture::Hero(), 1, 1);
  cStageChara& c = Make();
  c.LinkInitialTargets(nullptr);
  world_.scene.m_nStageResult = 1;
  EXPECT_EQ(c.Die(), 1);
  EXPECT_EQ(c.m_bDead, 0);
  EXPECT_EQ(c.m_vTarget[0], &hero);
  EXPECT_EQ(hero.m_vBackRef.size(), 1u);
  // A drop item that ends the play does the same.
  world_.scene.m_nStageResult = 0;
  auto& d = static_cast<DyingChara&>(g_lChara.Add(std::make_unique<DyingChara>()));
  playkit::ItemListRecorder lists;
  cItemData def = fixture::Item(6);
  def.m_vCmd.assign(1, playkit::ItemListRecorder::Tagged(1));
  def.m_vCmd.push_back(playkit::ItemListRecorder::StageClear());
  cItem item;
  item.SetData(0, def, 1);
  d.drop = &item;
  EXPECT_EQ(d.Die(), 1);
  EXPECT_EQ(lists.taken, std::vector<int>{1});
  EXPECT_EQ(d.m_bDead, 0);
  // A drop item that kills the hero does not end this death.
  item.m_Data.m_vCmd.pop_back();
  lists.result = 2;
  EXPECT_EQ(d.Die(), 0);
  EXPECT_EQ(hero.m_nHp, 0);
  EXPECT_EQ(d.m_bDead, 1);
}

TEST_F(CharaTest, ZoomKeepsTheFeetWithBothValuesOfTheLegacySwitch) {
  for (int legacy : {0, 1}) {
    g_SystemData.m_bLegacy261 = legacy;
    cStageChara& c = Make();
    c.m_nBaseHeight = 24;
    c.m_nBaseGraphicH = 32;
    c.m_nBaseGraphicY = 4;
    c.m_nBaseWidth = 16;
    c.m_dX = 500;
    c.m_dY = 1000;
    c.ChangeZoom(2, 1);
    EXPECT_EQ(c.m_dX, 492);
    EXPECT_EQ(c.m_dY, legacy ? 976 : 972);
    c.ChangeZoom(2, 2);
    EXPECT_EQ(c.m_dY, legacy ? 976 : 972);
    c.ChangeZoom(1, 3);
    EXPECT_EQ(c.m_dY, legacy ? 1024 : 1028);
  }
}

TEST_F(CharaTest, PlacementOnTheGridAndContactBoxA) {
  cStageChara& c = Make();
  c.m_nBaseGraphicX = 8;
  c.m_nBaseGraphicY = 6;
  c.m_nBaseWidth = 16;
  c.m_nZoom = 1;
  c.SetBlock(3, 4);
  EXPECT_EQ(c.m_dX, 13 * 32 + 8 + 0.5);
  EXPECT_EQ(c.m_dY, 14 * 32 + 6);
  c.m_nZoom = 3;
  c.SetBlockX(3);
  EXPECT_EQ(c.m_dX, 13 * 32 + 8 + 0.5 - 16);
  c.m_nGraphicX = 8;
  c.m_nGraphicY = 6;
  c.SetBoxA(1, 12, 20);
  EXPECT_EQ(c.m_BoxA.nOffsetX, 16 - 8 - 6);
  EXPECT_EQ(c.m_BoxA.nOffsetY, 32 - 6 - 20);
  EXPECT_EQ(c.m_BoxA.nBaseOffsetY, 32 - 6 - 20);
  c.SetBoxA(0, 13, 21);
  EXPECT_EQ(c.m_BoxA.nOffsetX, 16 - 8 - 6);
  EXPECT_EQ(c.m_BoxA.nOffsetY, 16 - 6 - 10);
  EXPECT_EQ(c.m_BoxA.nWidth, 13);
  EXPECT_EQ(c.m_BoxA.nBaseHeight, 21);
}

TEST_F(CharaTest, JumpFigures) {
  cStageChara& c = Make();
  cPlayer& h = world_.AddHero(fixture::Hero(), 1, 1);
  double g = 0.004;
  ASSERT_EQ(g_StageData.m_dGravityStep, g);
  double vs = (-g - std::sqrt(g * (8 * 64 + g))) / 2;
  EXPECT_EQ(c.JumpSpeedForHbl(4), vs);
  EXPECT_EQ(c.JumpSpeedForHeight(64), vs);
  EXPECT_EQ(h.JumpSpeedForHbl(4), vs * (0.99 - 0.025 * 0.4));
  // vs = -0.71754...: trunc(10 + 179.38...) = 189 sub-steps; (189 / 10) / 6 + 1 = 4 tenths.
  EXPECT_EQ(c.JumpTicks(vs), 189);
  EXPECT_EQ(c.JumpTimeForHbl(4), 4);
  EXPECT_EQ(c.JumpSpeedForHbl(0), -g);
  // A height below the ground has no start speed; the count is signed 8-bit.
  EXPECT_EQ(c.JumpSpeedForHbl(-1), 0);
  EXPECT_EQ(c.JumpSpeedForHbl(255), 0);
  EXPECT_EQ(c.JumpSpeedForHbl(127), c.JumpSpeedForHeight(127 * 16));
  // Without gravity a jump lasts k sub-steps and never divides by 0.
  g_StageData.m_dGravityStep = 0;
  EXPECT_EQ(c.JumpTicks(-1), 10);
  EXPECT_EQ(c.JumpTimeForHbl(4), 1);
  EXPECT_FALSE(std::isnan(c.JumpSpeedForHbl(4)));
}

TEST_F(CharaTest, ResetFromTheDefinition) {
  cCharaData def = fixture::Chara(3);
  def.m_nMaxHp = 30;
  def.m_nMaxSp = 12;
  def.m_bScrollSync = 1;
  def.m_bySight = 3;
  def.m_sStop = 50;
  cStageChara& c = world_.AddChara(def, 1, 1);
  c.m_bDead = 1;
  c.m_vVar[4] = 9;
  c.m_nWallSide = 1;
  c.m_bAirborne = 0;
  const int32_t values[4] = {1, 2, 3, 4};
  c.Reset(&def, values, 77);
  EXPECT_EQ(c.m_nHp, 30);
  EXPECT_EQ(c.m_nSp, 12);
  EXPECT_EQ(c.m_bScrollSync, 1);
  EXPECT_EQ(c.m_nSight, 48);
  EXPECT_EQ(c.m_dFriction, 50 * 0.01 / 100);
  EXPECT_EQ(c.m_bDead, 0);
  EXPECT_EQ(c.m_vVar[4], 0);
  EXPECT_EQ(c.m_nWallSide, -1);
  EXPECT_EQ(c.m_bAirborne, 1);
  EXPECT_EQ(c.m_nPlaceValue[3], 4);
  EXPECT_EQ(c.m_sTag, 77);
  EXPECT_EQ(c.m_vGroupRunning.size(), 27u);
  EXPECT_EQ(c.m_vTarget.size(), 4u);
  EXPECT_EQ(c.m_Effect.m_sEffect, 0);
}

}  // namespace
