// Running effects (the hit spark) and the character-effect templates and their steps.
#include <gtest/gtest.h>

#include <vector>

#include "engine/chara_effect.h"
#include "engine/effect.h"
#include "fixture/fixture.h"
#include "platform/random.h"
#include "play_kit.h"
#include "project/database.h"

namespace {

// The game database's Effect and CharaEffect lists for one test, put back afterwards.
class EffectTables : public ::testing::Test {
 protected:
  EffectTables() : world_(fixture::Stage(20, 15)) {}
  void SetUp() override {
    savedDb_ = g_Database;
    savedSteps_ = g_vEffectSteps;
    cEffectData small = fixture::Effect("small", "a.bmp", {{0, 1}, {1, 2}});
    small.m_nWidth = 24;
    small.m_nHeight = 16;
    cEffectData scaling = fixture::Effect("scaling", "b.bmp", {{0, 1}});
    scaling.m_nWidth = 10;
    scaling.m_nHeight = 10;
    scaling.m_bScaleWithHit = 1;
    g_Database.m_vEffect.resize(1);
    g_Database.m_vEffect.push_back(small);
    g_Database.m_vEffect.push_back(scaling);
    BuildEffectStepTable(g_Database, g_vEffectSteps);
  }
  void TearDown() override {
    g_Database = savedDb_;
    g_vEffectSteps = savedSteps_;
    CrtSrand(1);
  }
  // Adds a CharaEffect entry of a kind with p1..p5; returns its number.
  int AddCharaEffect(int kind, std::initializer_list<int> params) {
    cCharaEffectData e;
    e.m_nKind = kind;
    int i = 0;
    for (int p : params) e.m_nParam[i++] = p;
    g_Database.m_vCharaEffect.push_back(e);
    g_Database.m_vCharaEffectCopy = g_Database.m_vCharaEffect;
    BuildCharaEffectTables(g_vCharaEffectTemplate, g_vCharaEffectTemplateRev);
    return static_cast<int>(g_Database.m_vCharaEffect.size()) - 1;
  }
  // Steps until the effect ends; the number of steps (at most limit).
  static int StepsToEnd(cCharaEffectState& s, int limit, std::vector<double>* values = nullptr) {
    for (int n = 1; n <= limit; ++n) {
      int r = s.Step();
      if (values) values->push_back(s.m_dCurrent);
      if (r) return n;
    }
    return limit + 1;
  }

  playkit::PlayWorld world_;
  cDatabase savedDb_;
  cAnimStepTable savedSteps_;
};

TEST_F(EffectTables, HitSparkCentredOnTheOverlapWithJitter) {
  // The run-time generator seeded with 1 gives 41 and 18467: RandRange(-4, 4) gives
  // -4 + 41 % 9 = 1 and -4 + 18467 % 9 = 4.
  CrtSrand(1);
  cEffect e;
  EXPECT_EQ(e.StartHit(1, {100, 200, 131, 231}, {120, 210, 150, 260}, 1), 1);
  // Overlap 120..131 × 210..231: x = 120 + (12 >> 1) - 12 + 1, y = 210 + (22 >> 1) - 8 + 4.
  EXPECT_EQ(e.m_dX, 115);
  EXPECT_EQ(e.m_dY, 217);
  EXPECT_EQ(e.m_nWidth, 24);
  EXPECT_EQ(e.m_bScaled, 0);
  EXPECT_EQ(e.m_bAlwaysAnimate, 0);
  // Boxes that do not meet: centred on (0, 0).
  CrtSrand(1);
  EXPECT_EQ(e.StartHit(1, {0, 0, 10, 10}, {20, 0, 30, 10}, 1), 1);
  EXPECT_EQ(e.m_dX, 0 + 0 - 12 + 1);
  EXPECT_EQ(e.m_dY, 0 + 0 - 8 + 4);
}

TEST_F(EffectTables, ScaleSwitchSizesAndJittersByTheZoom) {
  cEffect e;
  // Zoom 3: 30 × 30, scaled; jitter within ±12.
  CrtSrand(1);
  e.StartHit(2, {0, 0, 99, 99}, {0, 0, 99, 99}, 3);
  EXPECT_EQ(e.m_bScaled, 1);
  EXPECT_EQ(e.m_nWidth, 30);
  // 41 % 25 = 16 → +4; 18467 % 25 = 17 → +5.
  EXPECT_EQ(e.m_dX, 0 + 50 - 15 + 4);
  EXPECT_EQ(e.m_dY, 0 + 50 - 15 + 5);
  // Zoom 1: unscaled, still ±4.
  CrtSrand(1);
  e.StartHit(2, {0, 0, 99, 99}, {0, 0, 99, 99}, 1);
  EXPECT_EQ(e.m_bScaled, 0);
  EXPECT_EQ(e.m_nWidth, 10);
  EXPECT_EQ(e.m_dX, 50 - 5 + 1);
  // Without the switch a zoom changes nothing.
  CrtSrand(1);
  e.StartHit(1, {0, 0, 99, 99}, {0, 0, 99, 99}, 3);
  EXPECT_EQ(e.m_nWidth, 24);
  EXPECT_EQ(e.m_dX, 50 - 12 + 1);
}

TEST_F(EffectTables, EffectZeroStartsNothingAndTheFramesRunOut) {
  cEffect e;
  EXPECT_EQ(e.StartHit(0, {0, 0, 9, 9}, {0, 0, 9, 9}, 1), 0);
  EXPECT_EQ(e.Start(0, 5, 5, 24, 16, 0), 0);
  EXPECT_EQ(e.Start(1, 5.5, 6, 48, 32, 1), 1);
  EXPECT_EQ(e.m_bScaled, 1);
  EXPECT_EQ(e.m_bAlwaysAnimate, 1);
  // Frames of 1 and 2 tenths: 6 + 12 frames; the 18th step reports the end.
  int draws = 1;
  while (e.m_Frames.Step() != ANIM_END && draws < 100) ++draws;
  EXPECT_EQ(draws, 18);
  // A damage with a hit effect adds one spark to the scene; none without.
  cStageChara& victim = world_.AddChara(fixture::Chara(1), 2, 2);
  cStageChara& attacker = world_.AddChara(fixture::Chara(1), 3, 2);
  attacker.m_Data.m_wHitEffect = 0;
  victim.TakeDamage(attacker);
  EXPECT_TRUE(world_.scene.m_lEffect.empty());
  attacker.m_Data.m_wHitEffect = 1;
  victim.TakeDamage(attacker);
  EXPECT_EQ(world_.scene.m_lEffect.size(), 1u);
}

TEST_F(EffectTables, RotationForwardReversedAndThereAndBack) {
  // "回転A" 0 → 1440 in 1 tenth: 240 per frame; a pass ends on its 7th step.
  int n = AddCharaEffect(7, {1, 0, 1440});
  cCharaEffectState s;
  s.Start(n, CHARA_EFFECT_NORMAL, 0);
  std::vector<double> values;
  EXPECT_EQ(StepsToEnd(s, 50, &values), 7);
  EXPECT_EQ(values, (std::vector<double>{240, 480, 720, 960, 1200, 1440, 1680}));
  s.Start(n, CHARA_EFFECT_REVERSED, 0);
  EXPECT_EQ(s.m_bReversedNow, 1);
  EXPECT_EQ(s.m_dCurrent, 1440);
  values.clear();
  EXPECT_EQ(StepsToEnd(s, 50, &values), 7);
  EXPECT_EQ(values.front(), 1200);
  EXPECT_EQ(values[5], 0);
  // There and back once, then the end.
  s.Start(n, CHARA_EFFECT_THERE_AND_BACK, 0);
  EXPECT_EQ(StepsToEnd(s, 50), 14);
  // With the loop it goes on for ever, turning round at each end.
  s.Start(n, CHARA_EFFECT_THERE_AND_BACK, 1);
  EXPECT_EQ(StepsToEnd(s, 200), 201);
  s.Start(n, CHARA_EFFECT_NORMAL, 1);
  EXPECT_EQ(StepsToEnd(s, 200), 201);
  EXPECT_EQ(s.m_sEffect, n);
}

TEST_F(EffectTables, EqualStartAndEndStillLastTheDuration) {
  // "色変化" with strengths 1 → 1 over 2 tenths: time-based, 1/6 per frame; the pass goes on
  // while the elapsed time (summed in doubles) stays within 2.
  int n = AddCharaEffect(13, {2, 1, 1, 16});
  double elapsed = 0;
  int expected = 0;
  do {
    elapsed += 1.0 / 6;
    ++expected;
  } while (elapsed <= 2);
  ASSERT_GE(expected, 12);
  ASSERT_LE(expected, 13);
  cCharaEffectState s;
  s.Start(n, CHARA_EFFECT_NORMAL, 0);
  EXPECT_EQ(s.m_dStep, 1.0 / 6);
  EXPECT_EQ(StepsToEnd(s, 100), expected);
  // The blink kinds count time from 0 to p1.
  int blink = AddCharaEffect(6, {1, 2});
  s.Start(blink, CHARA_EFFECT_NORMAL, 0);
  EXPECT_EQ(s.m_nStart, 0);
  EXPECT_EQ(s.m_nEnd, 1);
  EXPECT_EQ(StepsToEnd(s, 100), 7);
}

TEST_F(EffectTables, StoredValuesOutsideTheirRangesNeverDivideByZero) {
  // A duration of 0 is taken as 1 tenth; a strip count of 0 as 2; a kind beyond the table as
  // kind 0, which never ends.
  int burst = AddCharaEffect(1, {0, 0, 32});
  int strips = AddCharaEffect(2, {5, 0, 32, 0});
  int unknown = AddCharaEffect(40, {5, 0, 32});
  cCharaEffectState s;
  s.Start(burst, CHARA_EFFECT_NORMAL, 0);
  EXPECT_EQ(s.m_nDuration, 1);
  EXPECT_DOUBLE_EQ(s.m_dStep, 32.0 / 6);
  EXPECT_EQ(StepsToEnd(s, 100), 7);
  s.Start(strips, CHARA_EFFECT_NORMAL, 0);
  EXPECT_EQ(s.m_nParam[3], 2);
  s.Start(unknown, CHARA_EFFECT_NORMAL, 0);
  EXPECT_EQ(s.m_nKind, 0);
  EXPECT_EQ(StepsToEnd(s, 500), 501);
  // The templates hold the reversed parameters; the database's lists stay as they were.
  int wave = AddCharaEffect(4, {5, 3, 30, 2, 2});
  EXPECT_EQ(g_vCharaEffectTemplateRev[static_cast<size_t>(wave)].nParam[1], 30);
  EXPECT_EQ(g_Database.m_vCharaEffectCopy[static_cast<size_t>(wave)].m_nParam[1], 3);
  EXPECT_EQ(g_vCharaEffectTemplate[static_cast<size_t>(wave)].nWork1, 0);
  EXPECT_EQ(g_vCharaEffectTemplate.size(), g_Database.m_vCharaEffect.size());
  // Effect 0 is no effect.
  s.Start(0, CHARA_EFFECT_NORMAL, 0);
  EXPECT_EQ(s.m_sEffect, 0);
}

TEST_F(EffectTables, CharactersStartTheirAppearAndDeathEffects) {
  int appear = AddCharaEffect(15, {2, 1, 8});
  int death = AddCharaEffect(1, {5, 0, 32});
  cCharaData def = fixture::Chara(1);
  def.m_wAppearEffect = static_cast<uint16_t>(appear);
  def.m_byAppearEffectMode = CHARA_EFFECT_REVERSED;
  def.m_byAppearEffectValue = 1;
  def.m_wDeathEffect = static_cast<uint16_t>(death);
  def.m_byDeathEffectMode = CHARA_EFFECT_THERE_AND_BACK;
  cStageChara& c = world_.AddChara(def, 2, 2);
  EXPECT_EQ(c.m_Effect.m_sEffect, appear);
  EXPECT_EQ(c.m_Effect.m_nMode, CHARA_EFFECT_REVERSED);
  EXPECT_EQ(c.m_Effect.m_bLoop, 1);
  EXPECT_EQ(c.m_Effect.m_dCurrent, 8);
  EXPECT_EQ(c.Die(), 0);
  EXPECT_EQ(c.m_Effect.m_sEffect, death);
  EXPECT_EQ(c.m_Effect.m_nMode, CHARA_EFFECT_THERE_AND_BACK);
  EXPECT_EQ(c.m_Effect.m_bLoop, 0);
}

}  // namespace
