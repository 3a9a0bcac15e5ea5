// Running effects (the hit spark) and the character-effect templates and their steps.
#include <gtest/gtest.h>

#include <cmath>
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
    g_Database.m_vEffect.push_back(fixture::Effect("empty", "c.bmp", {}));
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

TEST_F(EffectTables, BoxesThatTouchOverlapByOneDot) {
  // Boxes hold their right and bottom edges: 10..20 and 20..30 share column 20, so the spark is
  // centred there (x = 20 + (1 >> 1) - 12 + 1); one dot apart they do not meet and it goes to
  // (0, 0). The same for rows.
  CrtSrand(1);
  cEffect e;
  e.StartHit(1, {10, 0, 20, 10}, {20, 0, 30, 10}, 1);
  EXPECT_EQ(e.m_dX, 20 + 0 - 12 + 1);
  EXPECT_EQ(e.m_dY, 0 + 5 - 8 + 4);
  CrtSrand(1);
  e.StartHit(1, {10, 0, 20, 10}, {21, 0, 30, 10}, 1);
  EXPECT_EQ(e.m_dX, 0 + 0 - 12 + 1);
  EXPECT_EQ(e.m_dY, 0 + 0 - 8 + 4);
  CrtSrand(1);
  e.StartHit(1, {0, 10, 10, 20}, {0, 21, 10, 30}, 1);
  EXPECT_EQ(e.m_dX, 0 + 0 - 12 + 1);
  CrtSrand(1);
  e.StartHit(1, {0, 10, 10, 20}, {0, 20, 10, 30}, 1);
  EXPECT_EQ(e.m_dX, 0 + 5 - 12 + 1);
  EXPECT_EQ(e.m_dY, 20 + 0 - 8 + 4);
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
  // Each looped pass starts over in its own direction: the way back ends on step 14 and the
  // next way out starts at 0; a reversed loop starts again at 1440.
  s.Start(n, CHARA_EFFECT_THERE_AND_BACK, 1);
  EXPECT_EQ(StepsToEnd(s, 7), 8);
  EXPECT_EQ(s.m_bReversedNow, 1);
  EXPECT_EQ(s.m_dCurrent, 1440);
  EXPECT_EQ(StepsToEnd(s, 7), 8);
  EXPECT_EQ(s.m_bReversedNow, 0);
  EXPECT_EQ(s.m_dCurrent, 0);
  s.Start(n, CHARA_EFFECT_REVERSED, 1);
  EXPECT_EQ(StepsToEnd(s, 7), 8);
  EXPECT_EQ(s.m_bReversedNow, 1);
  EXPECT_EQ(s.m_dCurrent, 1440);
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

TEST_F(EffectTables, StoredParametersAreHeldToTheRangesOfTheirKind) {
  // Kind, stored p1..p5, the parameter looked at (0 = p1) and the value the effect runs with.
  struct Row {
    int kind;
    std::initializer_list<int> params;
    int index;
    int held;
  } rows[] = {
      {1, {1, 0, 32}, 0, 1},           {1, {10000, 0, 32}, 0, 9999}, {1, {9999, 0, 32}, 0, 9999},
      {1, {5, -1, 32}, 1, 0},          {1, {5, 0, 1000}, 2, 999},    {2, {5, 0, 32, 1}, 3, 2},
      {2, {5, 0, 32, 2}, 3, 2},        {3, {5, 0, 32, 17}, 3, 16},   {4, {5, 0, 32, 2, 0}, 4, 1},
      {5, {5, 0, 32, 2, 5}, 4, 4},     {6, {5, 0}, 1, 1},            {6, {5, 1}, 1, 1},
      {10, {5, 32, 0, 0}, 3, 1},       {10, {5, 33, 0, 2}, 1, 32},   {10, {5, 32, 0, 5}, 3, 4},
      {11, {5, 32, 321}, 2, 320},      {12, {5, 100, 5, 17, 0}, 3, 16}, {12, {5, 100, 5, 0, -17}, 4, -16},
      {13, {5, 0, 5, 16}, 1, 1},       {13, {5, 1, 5, 16}, 2, 4},    {14, {5, 10000}, 1, 9999},
      {15, {5, 1, 17}, 2, 16},         {16, {5, 0, 4}, 1, 1},
  };
  cCharaEffectState s;
  for (const Row& r : rows) {
    s.Start(AddCharaEffect(r.kind, r.params), CHARA_EFFECT_NORMAL, 0);
    EXPECT_EQ(s.m_nParam[r.index], r.held) << "kind " << r.kind << " p" << r.index + 1;
  }
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

TEST_F(EffectTables, FramesHoldStillUnlessAlwaysAnimatedAndRunOut) {
  // Entry 1: pattern 0 for 1 tenth (6 frames), pattern 1 for 2 tenths (12 frames). Each draw
  // steps first: pattern 0 is drawn 5 times, pattern 1 twelve times, the 18th draw ends it.
  cEffect e;
  ASSERT_EQ(e.Start(1, 0, 0, 24, 16, 0), 1);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(e.NextPattern(1), 0) << "held " << i;
  std::vector<int> drawn;
  for (int i = 0; i < 40; ++i) {
    int p = e.NextPattern(0);
    drawn.push_back(p);
    if (p == ANIM_END) break;
  }
  std::vector<int> expected(5, 0);
  expected.insert(expected.end(), 12, 1);
  expected.push_back(ANIM_END);
  EXPECT_EQ(drawn, expected);
  // Started to always animate, it advances under the hold flag too: the 6th held draw shows 1.
  ASSERT_EQ(e.Start(1, 0, 0, 24, 16, 1), 1);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(e.NextPattern(1), 0);
  EXPECT_EQ(e.NextPattern(1), 1);
  // An entry without frames has finished at its first draw, held or not.
  ASSERT_EQ(e.Start(3, 0, 0, 32, 32, 0), 1);
  EXPECT_EQ(e.NextPattern(1), ANIM_END);
  EXPECT_EQ(e.NextPattern(0), ANIM_END);
}

// Kind, p1..p5, the value before the first frame, the unscaled value after one frame, the
// same at zoom 2 scaled, and the frames to the end of a normal pass.
struct KindLife {
  int kind;
  std::initializer_list<int> params;
  int value0;
  int value1;
  int value1Zoom2;
  int frames;
};

TEST_F(EffectTables, EachKindsValueAndLifetime) {
  // Durations of 1 tenth: 6 frames whose steps are exact in doubles; the 7th step passes the
  // end value and ends the pass. Kinds 6 and 14 count 1/6 a frame up to p1 = 1: six sixths sum
  // to 0.9999999999999999, the seventh passes 1.
  const KindLife table[] = {
      {1, {1, 0, 30}, 0, 5, 10, 7},          // 30 / 6 = 5 a frame; scaled trunc(2 × 5)
      {2, {1, 6, 0, 4}, 6, 5, 10, 7},        // downwards 1 a frame, until below 0
      {3, {1, 0, 12, 5}, 0, 2, 2, 7},        // the vertical strips' offset is not scaled
      {6, {1, 2}, 0, 0, 0, 7},               // time from 0 to p1
      {7, {1, 0, 1440}, 0, 240, 240, 7},     // angle
      {8, {1, 360, 0}, 360, 300, 300, 7},    // angle downwards
      {9, {1, 0, 240}, 0, 40, 40, 7},        // depth position
      {10, {1, 32, 20, 3}, 32, 30, 60, 7},   // radius, scaled trunc(2 × 30)
      {12, {1, 100, 40, 0, 0}, 100, 90, 180, 7},  // lens distance, scaled 90 × 2
      {13, {1, 1, 4, 50}, 1, 1, 1, 7},       // 0.5 a frame: 1.5 → 1
      {14, {1, 3}, 0, 0, 0, 7},
      {15, {1, 1, 13}, 1, 3, 3, 7},
      {16, {1, 4, 1}, 4, 3, 3, 7},           // 0.5 a frame downwards: 3.5 → 3
  };
  for (const KindLife& row : table) {
    SCOPED_TRACE(row.kind);
    int n = AddCharaEffect(row.kind, row.params);
    cCharaEffectState s;
    s.Start(n, CHARA_EFFECT_NORMAL, 0);
    EXPECT_EQ(s.m_nKind, row.kind);
    EXPECT_EQ(s.Figures(32, 32, 1, 0).nValue, row.value0);
    EXPECT_EQ(s.Advance(), 0);
    EXPECT_EQ(s.Figures(32, 32, 1, 0).nValue, row.value1);
    EXPECT_EQ(s.Figures(32, 32, 2, 1).nValue, row.value1Zoom2);
    int frames = 1;
    while (!s.Advance() && frames < 100) ++frames;
    EXPECT_EQ(frames + 1, row.frames);
  }
  // Kind 0 draws the plain picture and never ends.
  int none = AddCharaEffect(0, {1, 0, 30});
  cCharaEffectState s;
  s.Start(none, CHARA_EFFECT_NORMAL, 0);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(s.Advance(), 0);
  EXPECT_EQ(s.Figures(32, 32, 1, 0).bVisible, 1);
}

TEST_F(EffectTables, FixedFiguresOfTheKinds) {
  cCharaEffectState s;
  // Strips: ceil(30 / 4) = 8 across the height for kind 2, ceil(32 / 5) = 7 across the width
  // for kind 3; 32 / 4 = 8 exactly.
  s.Start(AddCharaEffect(2, {1, 6, 0, 4}), CHARA_EFFECT_NORMAL, 0);
  EXPECT_EQ(s.Figures(99, 30, 1, 0).nStrip, 8);
  EXPECT_EQ(s.Figures(99, 32, 1, 0).nStrip, 8);
  EXPECT_EQ(s.Figures(99, 33, 1, 0).nStrip, 9);
  s.Start(AddCharaEffect(3, {1, 0, 12, 5}), CHARA_EFFECT_NORMAL, 0);
  EXPECT_EQ(s.Figures(32, 99, 1, 0).nStrip, 7);
  // Waves: amplitude = current (× zoom when scaled), p4 waves, roughness p5 (× zoom).
  s.Start(AddCharaEffect(4, {1, 3, 9, 5, 2}), CHARA_EFFECT_NORMAL, 0);
  s.Advance();
  CharaEffectFigures f = s.Figures(32, 32, 3, 1);
  EXPECT_EQ(f.dAmplitude, 12);
  EXPECT_EQ(f.nWaves, 5);
  EXPECT_EQ(f.nRoughness, 6);
  EXPECT_EQ(f.nPhase, 1);
  f = s.Figures(32, 32, 3, 0);
  EXPECT_EQ(f.dAmplitude, 4);
  EXPECT_EQ(f.nRoughness, 2);
  // Circle roughness p4, × zoom from the work copy.
  s.Start(AddCharaEffect(10, {1, 32, 20, 3}), CHARA_EFFECT_NORMAL, 0);
  EXPECT_EQ(s.Figures(32, 32, 2, 0).nRoughness, 3);
  EXPECT_EQ(s.Figures(32, 32, 2, 1).nRoughness, 6);
  // Growth from 20 by 2 a frame: e = trunc(20 - 32) = -12; scaled at zoom 3 -36 >> 1 = -18;
  // after one frame (22) -10 and -30 >> 1 = -15; at 37 (from 32 by 5) 5 and 15 >> 1 = 7.
  s.Start(AddCharaEffect(11, {1, 20, 32}), CHARA_EFFECT_NORMAL, 0);
  EXPECT_EQ(s.Figures(32, 32, 1, 0).nGrowth, -12);
  EXPECT_EQ(s.Figures(32, 32, 3, 1).nGrowth, -18);
  s.Advance();
  EXPECT_EQ(s.Figures(32, 32, 1, 0).nGrowth, -10);
  EXPECT_EQ(s.Figures(32, 32, 3, 1).nGrowth, -15);
  s.Start(AddCharaEffect(11, {1, 32, 62}), CHARA_EFFECT_NORMAL, 0);
  EXPECT_EQ(s.Figures(32, 32, 1, 0).nGrowth, 0);
  s.Advance();
  EXPECT_EQ(s.Figures(32, 32, 1, 0).nGrowth, 5);
  EXPECT_EQ(s.Figures(32, 32, 3, 1).nGrowth, 7);
  // Lens: offsets p4, p5 × zoom; radius trunc(√2 × (max(|dx|, |dy|) + (w >> 1))):
  // zoom 2, (-3, 5) → (-6, 10), √2 × 26 = 36.77 → 36; zoom 1, w 33 → √2 × (5 + 16) = 29.70 → 29.
  s.Start(AddCharaEffect(12, {1, 100, 40, -3, 5}), CHARA_EFFECT_NORMAL, 0);
  f = s.Figures(32, 32, 2, 1);
  EXPECT_EQ(f.nLensDx, -6);
  EXPECT_EQ(f.nLensDy, 10);
  EXPECT_EQ(f.nLensRadius, 36);
  EXPECT_EQ(s.Figures(33, 32, 1, 0).nLensRadius, 29);
  // Lens offsets beyond ±16 in a file are held at ±16: √2 × (16 + 0) = 22.6 → 22.
  s.Start(AddCharaEffect(12, {1, 100, 40, -40, 0}), CHARA_EFFECT_NORMAL, 0);
  EXPECT_EQ(s.Figures(0, 0, 1, 0).nLensDx, -16);
  EXPECT_EQ(s.Figures(0, 0, 1, 0).nLensRadius, 22);
  // Colour change: the colour p4, within 16..207.
  s.Start(AddCharaEffect(13, {1, 1, 4, 50}), CHARA_EFFECT_NORMAL, 0);
  EXPECT_EQ(s.Figures(32, 32, 1, 0).nColour, 50);
  s.Start(AddCharaEffect(13, {1, 1, 4, 15}), CHARA_EFFECT_NORMAL, 0);
  EXPECT_EQ(s.Figures(32, 32, 1, 0).nColour, 16);
  s.Start(AddCharaEffect(13, {1, 1, 4, 208}), CHARA_EFFECT_NORMAL, 0);
  EXPECT_EQ(s.Figures(32, 32, 1, 0).nColour, 207);
}

TEST_F(EffectTables, BlinksChangePhaseEveryIntervalAndStartOverWithEachPass) {
  // Each frame draws with the state before its step. "点滅" with an interval of 2 starts
  // invisible: frames 1-2 hidden, 3-4 shown, 5-6 hidden, ...
  cCharaEffectState s;
  s.Start(AddCharaEffect(6, {2, 2}), CHARA_EFFECT_NORMAL, 0);
  std::vector<int> shown;
  for (int i = 0; i < 8; ++i) {
    shown.push_back(s.Figures(32, 32, 1, 0).bVisible);
    s.Advance();
  }
  EXPECT_EQ(shown, (std::vector<int>{0, 0, 1, 1, 0, 0, 1, 1}));
  // "半透明" with an interval of 3 starts visible.
  s.Start(AddCharaEffect(14, {2, 3}), CHARA_EFFECT_NORMAL, 0);
  shown.clear();
  for (int i = 0; i < 7; ++i) {
    shown.push_back(s.Figures(32, 32, 1, 0).bVisible);
    s.Advance();
  }
  EXPECT_EQ(shown, (std::vector<int>{1, 1, 1, 0, 0, 0, 1}));
  // Interval 1: the phase changes every frame.
  s.Start(AddCharaEffect(6, {1, 1}), CHARA_EFFECT_NORMAL, 0);
  shown.clear();
  for (int i = 0; i < 4; ++i) {
    shown.push_back(s.Figures(32, 32, 1, 0).bVisible);
    s.Advance();
  }
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 0, 1}));
  // Looped with an interval of 4 over 1 tenth: hidden 1-4, shown 5-7; the 7th step ends the
  // pass, which starts again hidden on frame 8.
  s.Start(AddCharaEffect(6, {1, 4}), CHARA_EFFECT_NORMAL, 1);
  shown.clear();
  for (int i = 0; i < 12; ++i) {
    shown.push_back(s.Figures(32, 32, 1, 0).bVisible);
    EXPECT_EQ(s.Advance(), 0);
  }
  EXPECT_EQ(shown, (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 1}));
}

TEST_F(EffectTables, WavePhaseTurnsOncePerFrameAndWrapsAt360) {
  // 0 → 600 over 100 tenths: 600 frames of 1.
  cCharaEffectState s;
  s.Start(AddCharaEffect(5, {100, 0, 600, 2, 1}), CHARA_EFFECT_NORMAL, 0);
  EXPECT_EQ(s.Figures(32, 32, 1, 0).nPhase, 0);
  for (int i = 0; i < 359; ++i) s.Advance();
  EXPECT_EQ(s.Figures(32, 32, 1, 0).nPhase, 359);
  EXPECT_EQ(s.Figures(32, 32, 1, 0).dAmplitude, 359);
  s.Advance();
  EXPECT_EQ(s.Figures(32, 32, 1, 0).nPhase, 0);
  s.Advance();
  EXPECT_EQ(s.Figures(32, 32, 1, 0).nPhase, 1);
  // A new pass (there and back) starts the phase at 0 again: the 7th step ends the way out.
  s.Start(AddCharaEffect(4, {1, 0, 6, 2, 1}), CHARA_EFFECT_THERE_AND_BACK, 0);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(s.Advance(), 0);
  EXPECT_EQ(s.Figures(32, 32, 1, 0).nPhase, 6);
  EXPECT_EQ(s.Advance(), 0);
  EXPECT_EQ(s.m_bReversedNow, 1);
  EXPECT_EQ(s.Figures(32, 32, 1, 0).nPhase, 0);
  EXPECT_EQ(s.Figures(32, 32, 1, 0).dAmplitude, 6);
}

TEST_F(EffectTables, PictureIsScaledWhenItsCellsDifferFromTheZoom) {
  struct Row {
    int multiCell, cells, zoom, scaled;
  } rows[] = {{1, 2, 2, 0}, {1, 1, 2, 1}, {1, 3, 2, 1}, {0, 1, 1, 0}, {0, 1, 2, 1}, {0, 4, 1, 0}};
  for (const Row& r : rows)
    EXPECT_EQ(CharaEffectScaled(r.multiCell, r.cells, r.zoom), r.scaled) << r.multiCell << r.cells << r.zoom;
}

}  // namespace
