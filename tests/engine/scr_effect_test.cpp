// Screen effects: the templates built from the table, and each kind over its lifetime.
#include <gtest/gtest.h>

#include <vector>

#include "engine/scr_effect.h"
#include "engine/stage_draw.h"
#include "project/database.h"

namespace {

struct Def {
  int kind;
  int p[5];
};

// The ScrEffect table holds entry 0 (no effect) and the given definitions from entry 1 on,
// with their templates built; the table and the templates are emptied again afterwards.
class ScrEffectTable {
 public:
  explicit ScrEffectTable(const std::vector<Def>& defs) {
    g_Database.m_vScrEffect.assign(1, cScrEffectData());
    g_Database.m_vScrEffect[0].m_nKind = 0;
    for (const Def& d : defs) {
      cScrEffectData e;
      e.m_nKind = d.kind;
      for (int i = 0; i < 5; ++i) e.m_nParam[i] = d.p[i];
      g_Database.m_vScrEffect.push_back(e);
    }
    BuildScrEffectTables(g_vScrEffectTemplate, g_vScrEffectTemplateRev);
  }
  ~ScrEffectTable() {
    g_Database.m_vScrEffect.clear();
    g_vScrEffectTemplate.clear();
    g_vScrEffectTemplateRev.clear();
  }
};

// Unfrozen frames until the effect reports its end; limit + 1 when it runs longer.
int FramesToEnd(cScrEffectState& e, int limit = 1000) {
  for (int n = 1; n <= limit; ++n) {
    if (e.Advance()) return n;
  }
  return limit + 1;
}

TEST(ScrEffectLifetime, EachKindRunsItsTime) {
  // Frames by hand. Kinds 1, 2, 3, 8 count 0..p0 by 1/6 in doubles: the 66th sum is
  // 10.999999999999995, so (int) passes 10 only at the 67th. The others move p1 to p2 by
  // |p2 - p1| / (p0 × 6) and end once (int)current has passed p2: 0→640 by 10.67 at 61; 0→480
  // by 8 (480 is reached at 60, passed at 61); 640→0 downward ends when current ≤ -1 (61);
  // 1500→0 by 25 at 61; 1→61 by 1 at 61. p1 = p2 runs on elapsed time: 61 frames for p0 = 10.
  struct Case {
    Def def;
    int frames;
  } cases[] = {
      {{1, {10, 0, 0, 640, 0}}, 67},     {{2, {10, 4, 4, 0, 0}}, 67},      {{3, {10, 4, 4, 0, 0}}, 67},
      {{4, {10, 0, 640, 15, 0}}, 61},    {{5, {10, 0, 480, 20, 0}}, 61},   {{6, {10, 0, 640, 4, 8}}, 61},
      {{7, {10, 0, 480, 4, 10}}, 61},    {{8, {10, 10, 0, 0, 0}}, 67},     {{9, {10, 0, 1440, 0, 0}}, 61},
      {{10, {10, 640, 0, 8, 0}}, 61},    {{11, {10, 640, 1280, 0, 0}}, 61}, {{12, {10, 1500, 0, 0, 0}}, 61},
      {{13, {10, 1, 61, 0, 0}}, 61},     {{13, {10, 5, 5, 0, 0}}, 61},     {{9, {10, 720, 720, 0, 0}}, 61},
      // A time of 0 from a file counts as 1 (0→1440 by 240: 1440 at the 6th, passed at the 7th).
      {{9, {0, 0, 1440, 0, 0}}, 7},
  };
  std::vector<Def> defs;
  for (const Case& c : cases) defs.push_back(c.def);
  ScrEffectTable table(defs);
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "entry " << i + 1 << " kind " << cases[i].def.kind);
    cScrEffectState e;
    e.Start(static_cast<int>(i + 1), SCR_EFFECT_FORWARD, 0);
    EXPECT_EQ(e.m_sEffect, static_cast<int>(i + 1));
    EXPECT_EQ(FramesToEnd(e), cases[i].frames);
  }
}

TEST(ScrEffectLifetime, UnknownKindsActAsKindZeroAndNeverEnd) {
  ScrEffectTable table(std::vector<Def>{{14, {10, 0, 0, 0, 0}}, {-1, {10, 0, 0, 0, 0}}, {0, {10, 0, 0, 0, 0}}});
  for (int n = 1; n <= 3; ++n) {
    cScrEffectState e;
    e.Start(n, SCR_EFFECT_FORWARD, 0);
    EXPECT_EQ(e.m_nKind, 0);
    EXPECT_EQ(FramesToEnd(e, 300), 301);
    EXPECT_EQ(e.m_sEffect, n);
  }
}

TEST(ScrEffectTemplate, BackwardFormsExchangeStartAndEnd) {
  ScrEffectTable table(std::vector<Def>{{1, {10, 1, 2, 3, 4}}, {9, {10, 0, 1440, 0, 0}}, {6, {10, 0, 640, 4, 8}}, {2, {10, 4, 4, 0, 0}}});
  const cScrEffectState& move = g_vScrEffectTemplate[1];
  EXPECT_EQ(move.m_nWork1, 1);
  EXPECT_EQ(move.m_nWork2, 2);
  EXPECT_DOUBLE_EQ(move.m_dStep, 1.0 / 6);
  const cScrEffectState& moveBack = g_vScrEffectTemplateRev[1];
  EXPECT_EQ(moveBack.m_nParam[1], 3);
  EXPECT_EQ(moveBack.m_nParam[2], 4);
  EXPECT_EQ(moveBack.m_nParam[3], 1);
  EXPECT_EQ(moveBack.m_nParam[4], 2);
  EXPECT_EQ(moveBack.m_nWork1, 3);
  EXPECT_EQ(moveBack.m_nWork2, 4);

  EXPECT_DOUBLE_EQ(g_vScrEffectTemplate[2].m_dCurrent, 0);
  EXPECT_DOUBLE_EQ(g_vScrEffectTemplate[2].m_dStep, 24);  // 1440 / 60
  EXPECT_DOUBLE_EQ(g_vScrEffectTemplateRev[2].m_dCurrent, 1440);
  EXPECT_DOUBLE_EQ(g_vScrEffectTemplateRev[2].m_dStep, 24);
  EXPECT_EQ(g_vScrEffectTemplate[2].m_bTimeBased, 0);
  EXPECT_EQ(g_vScrEffectTemplate[3].m_nWork1, 0);  // the wave's phase
}

TEST(ScrEffectTemplate, BackwardFormsAreBuiltFromTheStartUpCopy) {
  // The list turns by 0 → 1440, its copy by 0 → 720: the forward form takes the list's, the
  // backward form the copy's (720 → 0 by 12 a frame).
  ScrEffectTable table(std::vector<Def>{{9, {10, 0, 1440, 0, 0}}});
  g_Database.m_vScrEffectCopy = g_Database.m_vScrEffect;
  g_Database.m_vScrEffectCopy[1].m_nParam[2] = 720;
  BuildScrEffectTables(g_vScrEffectTemplate, g_vScrEffectTemplateRev);
  EXPECT_EQ(g_vScrEffectTemplate[1].m_lpData, &g_Database.m_vScrEffect[1]);
  EXPECT_DOUBLE_EQ(g_vScrEffectTemplate[1].m_dStep, 24);
  EXPECT_EQ(g_vScrEffectTemplateRev[1].m_lpData, &g_Database.m_vScrEffectCopy[1]);
  EXPECT_DOUBLE_EQ(g_vScrEffectTemplateRev[1].m_dCurrent, 720);
  EXPECT_DOUBLE_EQ(g_vScrEffectTemplateRev[1].m_dStep, 12);
  // A copy without the entry (start-up has not made it): the list's own.
  g_Database.m_vScrEffectCopy.resize(1);
  BuildScrEffectTables(g_vScrEffectTemplate, g_vScrEffectTemplateRev);
  EXPECT_DOUBLE_EQ(g_vScrEffectTemplateRev[1].m_dCurrent, 1440);
  g_Database.m_vScrEffectCopy.clear();
}

TEST(ScrEffectTemplate, ParametersAreHeldToTheirKindsRanges) {
  // p0 0 → 1; a strip count 0 → 2; a wave roughness 99 → 48; a move beyond the screen → 640.
  ScrEffectTable table(std::vector<Def>{{4, {0, 0, 640, 0, 0}}, {6, {-5, 0, 640, 0, 99}}, {1, {10, -9000, 0, 9000, 0}}});
  EXPECT_EQ(g_vScrEffectTemplate[1].m_nParam[0], 1);
  EXPECT_EQ(g_vScrEffectTemplate[1].m_nParam[3], 2);
  EXPECT_EQ(g_vScrEffectTemplate[2].m_nParam[0], 1);
  EXPECT_EQ(g_vScrEffectTemplate[2].m_nParam[4], 48);
  EXPECT_EQ(g_vScrEffectTemplate[3].m_nParam[1], -640);
  EXPECT_EQ(g_vScrEffectTemplate[3].m_nParam[3], 640);
  EXPECT_DOUBLE_EQ(g_vScrEffectTemplate[1].m_dStep, 640.0 / 6);
}

TEST(ScrEffectRun, BackAndForthRunsBackwardFirstThenForwardThenEnds) {
  ScrEffectTable table(std::vector<Def>{{9, {10, 0, 1440, 0, 0}}});
  cScrEffectState e;
  e.Start(1, SCR_EFFECT_BACK_AND_FORTH, 0);
  EXPECT_EQ(e.m_bForward, 0);
  EXPECT_DOUBLE_EQ(e.m_dCurrent, 1440);
  // 1440 → below 0 by 24: the 61st frame turns round (and reports nothing ended).
  for (int n = 1; n <= 60; ++n) ASSERT_EQ(e.Advance(), 0);
  EXPECT_DOUBLE_EQ(e.m_dCurrent, 0);
  EXPECT_EQ(e.Advance(), 0);
  EXPECT_EQ(e.m_bForward, 1);
  EXPECT_DOUBLE_EQ(e.m_dCurrent, 0);
  EXPECT_EQ(FramesToEnd(e), 61);
}

TEST(ScrEffectRun, OtherModesPlayBackwardAndALoopRestarts) {
  ScrEffectTable table(std::vector<Def>{{13, {10, 1, 61, 0, 0}}});
  cScrEffectState back;
  back.Start(1, 0, 0);
  EXPECT_DOUBLE_EQ(back.m_dCurrent, 61);
  // 61 → 1 by 1: (int)current stays ≥ 1 through the 60th frame, ends at the 61st.
  EXPECT_EQ(FramesToEnd(back), 61);

  cScrEffectState loop;
  loop.Start(1, SCR_EFFECT_FORWARD, 1);
  for (int n = 1; n <= 61 * 3; ++n) ASSERT_EQ(loop.Advance(), 0) << n;
  EXPECT_DOUBLE_EQ(loop.m_dCurrent, 1);  // restarted at the 61st, 122nd and 183rd frame
  EXPECT_EQ(loop.m_sEffect, 1);
  EXPECT_EQ(loop.m_bLoop, 1);
}

TEST(ScrEffectRun, VibrationSwingsAtItsSpeedAndTurnsAtTheAmplitude) {
  // Amplitude 4, 4 swings in 1 s: v = 4 × 4 × 4 / 60 = 1.0667 dots per frame.
  ScrEffectTable table(std::vector<Def>{{2, {10, 4, 4, 0, 0}}});
  cScrEffectState e;
  e.Start(1, SCR_EFFECT_FORWARD, 0);
  e.Advance();
  EXPECT_DOUBLE_EQ(e.m_dAux, 64.0 / 60);
  for (int n = 0; n < 3; ++n) e.Advance();
  EXPECT_DOUBLE_EQ(e.m_dAux, 4);  // 4.27 held at the amplitude, and the swing turns
  EXPECT_EQ(e.m_nWork1, 1);
  e.Advance();
  EXPECT_DOUBLE_EQ(e.m_dAux, 4 - 64.0 / 60);
}

TEST(ScrEffectRun, MoveTakesThePositionAtTheCurrentTime) {
  ScrEffectTable table(std::vector<Def>{{1, {10, 0, -60, 600, 60}}});
  cScrEffectState e;
  e.Start(1, SCR_EFFECT_FORWARD, 0);
  for (int n = 0; n < 31; ++n) e.Advance();
  // The 31st frame takes t = 30 / 6 = 5 (before its own step): x = 600 / 10 × 5, y = -60 + 12 × 5.
  EXPECT_EQ(e.m_nWork1, 300);
  EXPECT_EQ(e.m_nWork2, 0);
}

TEST(ScrEffectRun, AnEffectNumberOutsideTheTableStartsNothing) {
  ScrEffectTable table(std::vector<Def>{{9, {10, 0, 1440, 0, 0}}});
  cScrEffectState e;
  e.Start(5, SCR_EFFECT_FORWARD, 0);
  EXPECT_EQ(e.m_sEffect, 0);
  e.Start(0, SCR_EFFECT_FORWARD, 0);
  EXPECT_EQ(e.m_sEffect, 0);
}

TEST(ScrEffectStrips, SplitStripsRoundUp) {
  EXPECT_EQ(ScrEffectStrip(480, 15), 32);
  EXPECT_EQ(ScrEffectStrip(480, 7), 69);
  EXPECT_EQ(ScrEffectStrip(640, 20), 32);
  EXPECT_EQ(ScrEffectStrip(640, 240), 3);
  EXPECT_EQ(ScrEffectStrip(480, 0), 480);
}

}  // namespace
