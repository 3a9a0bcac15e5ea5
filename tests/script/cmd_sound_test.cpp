// The sound, music and code commands: the requests they send to the main window and the code
// they run for the acting character.
#include <gtest/gtest.h>

#include "defs/flow_cmd.h"
#include "fixture/fixture.h"
#include "project/save_data.h"
#include "script/cmd_dispatch.h"
#include "script/cmd_sound.h"
#include "script_kit.h"

using namespace scriptkit;

namespace {

class SoundCmdTest : public ::testing::Test {
 protected:
  SoundCmdTest() : w(1, {}), me(w.chara), savedLoop_(g_SaveData.m_bBgmPlayingLoop) {}
  ~SoundCmdTest() override { g_SaveData.m_bBgmPlayingLoop = savedLoop_; }
  void Run(cChara& c, cFlowCmd cmd) { g_apfnCmdImpl[DispatchKind(cmd)](c, cmd); }
  // Puts the acting character's left edge dx dots right of the camera's left edge.
  void AtScreenX(double dx) {
    const double left = w.world.scene.m_ScrollX.m_dPos + dx;
    me.m_dFarX = left + (me.m_dFarX - me.m_dX);
    me.m_dX = left;
  }

  playkit::WindowRequestRecorder requests;
  ScriptWorld w;
  cStageChara& me;

 private:
  int32_t savedLoop_;
};

TEST_F(SoundCmdTest, SoundGoesToItsSlot) {
  AtScreenX(100);
  Run(me, CmdWith(CMD_SOUND, {3}));
  // Sound 0 is none.
  Run(me, CmdWith(CMD_SOUND, {0}));
  EXPECT_EQ(requests.Sounds(), std::vector<int>{3 + 16});
}

TEST_F(SoundCmdTest, OffScreenCharacterWithOnScreenOnlyPlaysNothing) {
  cFlowCmd onScreenOnly = CmdWith(CMD_SOUND, {3});
  onScreenOnly.m_bSoundOnScreen = 1;
  cFlowCmd anywhere = CmdWith(CMD_SOUND, {4});
  anywhere.m_bSoundOnScreen = 0;
  // The left edge on the last column of the screen: still on screen.
  AtScreenX(639);
  Run(me, onScreenOnly);
  // One dot further: off screen.
  AtScreenX(640);
  Run(me, onScreenOnly);
  Run(me, anywhere);
  EXPECT_EQ(requests.Sounds(), (std::vector<int>{3 + 16, 4 + 16}));
}

TEST_F(SoundCmdTest, MusicRequestCarriesTheNumberAndKeepsTheLoopValue) {
  Run(me, CmdWith(CMD_BGM, {7, 0}));
  EXPECT_EQ(g_SaveData.m_bBgmPlayingLoop, 0);
  Run(me, CmdWith(CMD_BGM, {0, 1}));
  EXPECT_EQ(g_SaveData.m_bBgmPlayingLoop, 1);
  ASSERT_EQ(requests.requests.size(), 2u);
  EXPECT_EQ(requests.requests[0].msg, static_cast<UINT>(WM_USER + 6));
  EXPECT_EQ(requests.requests[0].wParam, 4u);
  EXPECT_EQ(requests.requests[0].lParam, 7);
  EXPECT_EQ(requests.requests[1].msg, static_cast<UINT>(WM_USER + 6));
  EXPECT_EQ(requests.requests[1].wParam, 4u);
  EXPECT_EQ(requests.requests[1].lParam, 0);
}

TEST_F(SoundCmdTest, CodeRunsForTheActingCharacter) {
  cFlowCmd cmd = CmdWith(CMD_CODE, {});
  cmd.m_strText = "my.v1 = 6 * 7";
  Run(me, cmd);
  EXPECT_EQ(me.m_vVar[1], 42);
}

}  // namespace
