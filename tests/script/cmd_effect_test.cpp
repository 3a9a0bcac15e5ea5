// The effect, character-effect, screen-effect, screen-colour and background commands: where a
// command places its image, the size by percent, number 0 removing every effect, and the
// background layer switches.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "defs/flow_cmd.h"
#include "engine/effect.h"
#include "engine/pause_thread.h"
#include "fixture/fixture.h"
#include "project/database.h"
#include "script/cmd_dispatch.h"
#include "script/cmd_effect.h"
#include "script_kit.h"
#include "support/test_thread.h"
#include "ui/input.h"

using namespace scriptkit;

namespace {

class EffectCmdTest : public ::testing::Test {
 protected:
  EffectCmdTest() : w(1, {}), me(w.chara), hero(w.world.AddHero(fixture::Hero(), 5, 5)), saved_(g_Database.m_vEffect) {
    // Entry 1: 50 × 30 dots, two steps of 2 and 3 tenths.
    g_Database.m_vEffect.assign(2, cEffectData());
    cEffectData& e = g_Database.m_vEffect[1];
    e.m_nWidth = 50;
    e.m_nHeight = 30;
    e.m_vFrame.assign(2, cEffectFrame());
    e.m_vFrame[0].m_nTime = 2;
    e.m_vFrame[1].m_nTime = 3;
  }
  ~EffectCmdTest() override { g_Database.m_vEffect = saved_; }
  void Run(cChara& c, cFlowCmd cmd) { g_apfnCmdImpl[DispatchKind(cmd)](c, cmd); }
  cPlayScene& Scene() { return w.world.scene; }
  // The camera at (100, 50); the acting character's graphic 32 × 32 with its screen left/top
  // at (200, 150), the hero's 32 × 64 at (400, 300).
  void PlaceForPositions() {
    Scene().m_ScrollX.m_dPos = 100;
    Scene().m_ScrollY.m_dPos = 50;
    me.m_rcScreen.left = 200;
    me.m_rcScreen.top = 150;
    me.m_nGraphicW = 32;
    me.m_nGraphicH = 32;
    hero.m_rcScreen.left = 400;
    hero.m_rcScreen.top = 300;
    hero.m_nGraphicW = 32;
    hero.m_nGraphicH = 64;
  }

  ScriptWorld w;
  cStageChara& me;
  cPlayer& hero;

 private:
  cSafeVector<cEffectData> saved_;
};

TEST_F(EffectCmdTest, DisplayPositionOfEachPlacement) {
  PlaceForPositions();
  struct Case {
    int placement, w, h;
    double x, y;
  };
  // Offset (3, 4), blocks (2, 5); halves of the size are integer halves (41 / 2 = 20).
  const Case cases[] = {
      {0, 40, 30, 3 + 100 + 320 - 20, 4 + 50 + 240 - 15},
      {0, 41, 31, 3 + 100 + 320 - 20, 4 + 50 + 240 - 15},
      {1, 40, 30, 3 + (200 + 16 + 100) - 20, 4 + (150 + 16 + 50) - 15},
      {2, 40, 30, 3 + (400 + 16 + 100) - 20, 4 + (300 + 32 + 50) - 15},
      {3, 40, 30, 100 + 2 * 32 + 3, 50 + 5 * 32 + 4},
      {4, 40, 30, (2 + 10) * 32 + 3, (5 + 10) * 32 + 4},
      // A placement no valid data holds: the screen centre.
      {5, 40, 30, 3 + 100 + 320 - 20, 4 + 50 + 240 - 15},
      {-1, 40, 30, 3 + 100 + 320 - 20, 4 + 50 + 240 - 15},
  };
  for (const Case& c : cases) {
    double x = -1, y = -1;
    CalcDisplayPosition(x, y, c.w, c.h, me, c.placement, 2, 5, 3, 4);
    EXPECT_EQ(x, c.x) << "placement " << c.placement << " w " << c.w;
    EXPECT_EQ(y, c.y) << "placement " << c.placement << " h " << c.h;
  }
}

TEST_F(EffectCmdTest, EffectSizedByPercentWithHalvesRoundedUp) {
  Scene().m_ScrollX.m_dPos = 0;
  Scene().m_ScrollY.m_dPos = 0;
  // 25 % of 50 × 30 is 12.5 × 7.5: 13 × 8. Screen block (1, 1) with offset (2, -1).
  Run(me, CmdWith(CMD_EFFECT, {1, 3, 1, 1, 2, -1, 25, 0}));
  ASSERT_EQ(Scene().m_lEffect.size(), 1u);
  const cEffect& e = Scene().m_lEffect.back();
  EXPECT_EQ(e.m_nEffect, 1);
  EXPECT_EQ(e.m_nWidth, 13);
  EXPECT_EQ(e.m_nHeight, 8);
  EXPECT_EQ(e.m_bScaled, 1);
  EXPECT_EQ(e.m_dX, 34);
  EXPECT_EQ(e.m_dY, 31);

  // 100 %: the entry's own size, centred on the screen: (320 - 25, 240 - 15).
  Run(me, CmdWith(CMD_EFFECT, {1, 0, 0, 0, 0, 0, 100, 0}));
  ASSERT_EQ(Scene().m_lEffect.size(), 2u);
  const cEffect& f = Scene().m_lEffect.back();
  EXPECT_EQ(f.m_nWidth, 50);
  EXPECT_EQ(f.m_nHeight, 30);
  EXPECT_EQ(f.m_bScaled, 0);
  EXPECT_EQ(f.m_dX, 295);
  EXPECT_EQ(f.m_dY, 225);
}

TEST_F(EffectCmdTest, NumberZeroRemovesEveryEffectAndStartsNone) {
  Run(me, CmdWith(CMD_EFFECT, {1, 0, 0, 0, 0, 0, 100, 0}));
  Run(me, CmdWith(CMD_EFFECT, {1, 0, 0, 0, 0, 0, 200, 0}));
  ASSERT_EQ(Scene().m_lEffect.size(), 2u);
  Run(me, CmdWith(CMD_EFFECT, {0, 0, 0, 0, 0, 0, 100, 0}));
  EXPECT_TRUE(Scene().m_lEffect.empty());
}

TEST_F(EffectCmdTest, NothingWhileTheSceneQuits) {
  Scene().m_bQuit = 1;
  Run(me, CmdWith(CMD_EFFECT, {1, 0, 0, 0, 0, 0, 100, 0}));
  EXPECT_TRUE(Scene().m_lEffect.empty());
}

// The patterns of the running effects at each frame the pause loop polls.
std::vector<std::vector<int>> g_heldPatterns;
void NotePatterns(cSafeVector<cInput>&) {
  std::vector<int> now;
  for (const cEffect& e : g_lpPlayScene->m_lEffect) now.push_back(e.m_Frames.Pattern());
  g_heldPatterns.push_back(now);
}

TEST_F(EffectCmdTest, AHeldEffectPlaysDuringItsHoldWhileOthersStandStill) {
  // Pattern 0 for 2 tenths (12 frames), then pattern 1 for 3 tenths (18 frames).
  g_Database.m_vEffect[1].m_vFrame[1].m_nPattern = 1;
  const cAnimStepTable savedSteps = g_vEffectSteps;
  BuildEffectStepTable(g_Database, g_vEffectSteps);
  const cPauseLink savedLink = g_PauseLink;
  g_PauseLink = cPauseLink{};
  g_PauseLink.lpfnPollInput = NotePatterns;
  g_heldPatterns.clear();

  Run(me, CmdWith(CMD_EFFECT, {1, 0, 0, 0, 0, 0, 100, 0}));
  cFlowCmd held = CmdWith(CMD_EFFECT, {1, 0, 0, 0, 0, 0, 100, 1});
  RunAsGameThread([&] { Run(me, held); });
  g_PauseLink = savedLink;
  g_vEffectSteps = savedSteps;

  // The hold lasts the effect's 30 frames: 30 drawn, the 31st poll ends it.
  ASSERT_EQ(g_heldPatterns.size(), 31u);
  for (const std::vector<int>& p : g_heldPatterns) {
    ASSERT_GE(p.size(), 1u);
    EXPECT_EQ(p[0], 0) << "the effect started before the hold stands still";
  }
  // The held one plays: pattern 0 for its first 12 frames, then pattern 1.
  ASSERT_EQ(g_heldPatterns[11].size(), 2u);
  EXPECT_EQ(g_heldPatterns[11][1], 0);
  ASSERT_EQ(g_heldPatterns[12].size(), 2u);
  EXPECT_EQ(g_heldPatterns[12][1], 1);
  // Every frame is shown within the hold: the last pattern up to the 29th drawn frame; the 30th
  // step reaches the end (the sequencer counts a frame before it compares), so the effect goes
  // in the hold's last frame and none of it is left for the game's own frames.
  ASSERT_EQ(g_heldPatterns[29].size(), 2u);
  EXPECT_EQ(g_heldPatterns[29][1], 1);
  EXPECT_EQ(g_heldPatterns[30].size(), 1u);
  EXPECT_EQ(Scene().m_lEffect.size(), 1u);
  ASSERT_FALSE(Scene().m_lEffect.empty());
  EXPECT_EQ(Scene().m_lEffect.front().m_bAlwaysAnimate, 0);
  EXPECT_EQ(Scene().m_lEffect.front().m_Frames.Pattern(), 0);
}

TEST_F(EffectCmdTest, BackgroundLayersCountFromOne) {
  g_StageData.m_vBg.assign(2, cBgData());
  g_StageData.m_vBg[0].m_bShow = 1;
  g_StageData.m_vBg[1].m_bShow = 1;
  // Layer 0 and layer 3 (above the count of 2) touch nothing, nor does mode 3.
  Run(me, CmdWith(CMD_CHANGE_BACK, {0, 1}));
  Run(me, CmdWith(CMD_CHANGE_BACK, {3, 1}));
  Run(me, CmdWith(CMD_CHANGE_BACK, {-1, 1}));
  Run(me, CmdWith(CMD_CHANGE_BACK, {2, 3}));
  EXPECT_EQ(g_StageData.m_vBg[0].m_bShow, 1);
  EXPECT_EQ(g_StageData.m_vBg[1].m_bShow, 1);
  // Layer 2 is the last one: hide, show.
  Run(me, CmdWith(CMD_CHANGE_BACK, {2, 1}));
  EXPECT_EQ(g_StageData.m_vBg[1].m_bShow, 0);
  Run(me, CmdWith(CMD_CHANGE_BACK, {2, 0}));
  EXPECT_EQ(g_StageData.m_vBg[1].m_bShow, 1);
  // Toggling twice restores the visibility.
  Run(me, CmdWith(CMD_CHANGE_BACK, {1, 2}));
  EXPECT_EQ(g_StageData.m_vBg[0].m_bShow, 0);
  Run(me, CmdWith(CMD_CHANGE_BACK, {1, 2}));
  EXPECT_EQ(g_StageData.m_vBg[0].m_bShow, 1);
  EXPECT_EQ(g_StageData.m_vBg[1].m_bShow, 1);
}

TEST_F(EffectCmdTest, ScreenColourTakesTheWholeDefinition) {
  const cScreenColor& c = Scene().m_ScreenColor;
  // A return while no colour was set is ignored.
  Run(me, CmdWith(CMD_SCREEN_COLOR, {10, 20, 30, 50, 1, 1, 2, 3}));
  EXPECT_EQ(c.m_bActive, 0);
  // Red 10, green 20, blue 30 at 50 % over 1 tenth, the repeat values 2 and 3.
  Run(me, CmdWith(CMD_SCREEN_COLOR, {10, 20, 30, 50, 0, 1, 2, 3}));
  EXPECT_EQ(c.m_bActive, 1);
  EXPECT_EQ(c.m_byRed, 10);
  EXPECT_EQ(c.m_byGreen, 20);
  EXPECT_EQ(c.m_byBlue, 30);
  EXPECT_EQ(c.m_nIntensity, 50);
  EXPECT_EQ(c.m_nDuration, 6);
  EXPECT_EQ(c.m_nRepeatMode, 2);
  EXPECT_EQ(c.m_nRepeatCount, 3);
  // A time of ±400,000,000 tenths is ±2,400,000,000 frames, beyond the int range: it holds at
  // the range's end.
  Run(me, CmdWith(CMD_SCREEN_COLOR, {10, 20, 30, 50, 0, 400000000, 2, 3}));
  EXPECT_EQ(c.m_nDuration, INT32_MAX);
  Run(me, CmdWith(CMD_SCREEN_COLOR, {10, 20, 30, 50, 0, -400000000, 2, 3}));
  EXPECT_EQ(c.m_nDuration, INT32_MIN);
}

}  // namespace
