// "メッセージ" and "ゲームウエイト": ID erase, in-place update and re-creation in the same
// place of the list; holds by key and by time with the pause loop on its own thread (frame
// services faked); the message sound for the first of chained key-wait messages only; the
// removal by identity after a hold; nothing while the scene quits; the game wait's timer.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "draw/font.h"
#include "engine/message_window.h"
#include "engine/pause_thread.h"
#include "engine/play_scene.h"
#include "fixture/fixture.h"
#include "platform/message.h"
#include "platform/thread.h"
#include "platform/time.h"
#include "play_kit.h"
#include "script/cmd_flow_op.h"
#include "script/cmd_message.h"
#include "script_kit.h"
#include "support/test_thread.h"
#include "ui/input.h"

namespace {

// The pause loop's frame services: the button word of each polled frame comes from a script
// (past its end, the last entry); presents are counted.
struct Frames {
  static std::vector<int> script;
  static int polls;
  static int presents;
  static void Poll(cSafeVector<cInput>& v) {
    const size_t i = std::min(static_cast<size_t>(polls), script.size() - 1);
    v[0].SetWords(0, static_cast<WORD>(script[i]));
    ++polls;
  }
  // Called in each present (null: nothing), as the drawing pass that ends windows would.
  static void (*onPresent)();
  static void Present() {
    ++presents;
    if (onPresent) onPresent();
  }
};
void (*Frames::onPresent)() = nullptr;
std::vector<int> Frames::script;
int Frames::polls = 0;
int Frames::presents = 0;

class MessageCmd : public ::testing::Test {
 protected:
  void SetUp() override {
    world_ = std::make_unique<playkit::PlayWorld>(fixture::Stage(20, 15));
    hero_ = &world_->AddHero(fixture::Hero(), 3, 3);
    savedLink_ = g_PauseLink;
    g_PauseLink = cPauseLink{};
    g_PauseLink.lpfnPollInput = &Frames::Poll;
    g_PauseLink.lpfnPresentFrame = &Frames::Present;
    Frames::script.assign(1, 0);
    Frames::polls = Frames::presents = 0;
    Frames::onPresent = nullptr;
    cFont& font = g_Font[1];
    savedCell_ = font.nCellWidth;
    savedLine_ = font.nLineHeight;
    font.nCellWidth = 8;
    font.nLineHeight = 16;
    UseTestClock(1000);
  }
  void TearDown() override {
    UseSystemClock();
    g_Font[1].nCellWidth = savedCell_;
    g_Font[1].nLineHeight = savedLine_;
    g_PauseLink = savedLink_;
    world_.reset();
    Off_Msg.clear();
    Off_MsgEntry.clear();
  }

  // A message: text, display mode, hold; with an ID when id > 0.
  static cFlowCmd Message(const std::string& text, int mode, int hold, int id = 0, int erase = 0) {
    cFlowCmd cmd = scriptkit::Cmd(CMD_MESSAGE, 1);
    cmd.m_vParam.assign(18, 0);
    cmd.m_strText = text;
    cmd.m_vParam[6] = mode;
    cmd.m_vParam[8] = hold;
    cmd.m_vParam[12] = id > 0 ? 1 : 0;
    cmd.m_vParam[13] = id;
    cmd.m_vParam[15] = erase;
    return cmd;
  }
  void Run(cFlowCmd& cmd, int chained = 0) {
    RunAsGameThread([&] { CmdMessage(*hero_, cmd, chained); });
  }
  cSafeList<cMessageWindow>& Windows() { return world_->scene.m_lMessage; }
  std::vector<std::string> Texts() {
    std::vector<std::string> v;
    for (const cMessageWindow& w : Windows()) v.push_back(w.m_strText);
    return v;
  }

  playkit::WindowRequestRecorder requests_;
  std::unique_ptr<playkit::PlayWorld> world_;
  cPlayer* hero_ = nullptr;
  cPauseLink savedLink_;
  int savedCell_ = 0;
  int savedLine_ = 0;
};

TEST_F(MessageCmd, WindowsByIdAreUpdatedInPlaceRecreatedOrErased) {
  cFlowCmd a = Message("abc", MESSAGE_UNTIL_STAGE_END, 0, 5);
  cFlowCmd b = Message("zz", MESSAGE_UNTIL_STAGE_END, 0, 6);
  Run(a);
  Run(b);
  ASSERT_EQ(Texts(), (std::vector<std::string>{"abc", "zz"}));
  cMessageWindow* first = &Windows().front();
  EXPECT_EQ(first->m_nWidth, 3 * 8 + 2);

  // Same measure (3 × 1 characters): the same window is set up again.
  cFlowCmd same = Message("xyz", MESSAGE_UNTIL_STAGE_END, 0, 5);
  Run(same);
  ASSERT_EQ(Texts(), (std::vector<std::string>{"xyz", "zz"}));
  EXPECT_EQ(&Windows().front(), first);

  // Another measure: made again at the same place of the list.
  cFlowCmd wider = Message("wxyz", MESSAGE_UNTIL_STAGE_END, 0, 5);
  Run(wider);
  ASSERT_EQ(Texts(), (std::vector<std::string>{"wxyz", "zz"}));
  EXPECT_EQ(Windows().front().m_nWidth, 4 * 8 + 2);
  EXPECT_EQ(Windows().front().m_nId, 5);

  // Erase of an ID no window has: nothing; of an ID a window has: that one goes.
  cFlowCmd eraseNone = Message("", 0, 0, 7, 1);
  Run(eraseNone);
  EXPECT_EQ(Windows().size(), 2u);
  cFlowCmd erase = Message("", 0, 0, 5, 1);
  Run(erase);
  EXPECT_EQ(Texts(), std::vector<std::string>{"zz"});
  // Erase without an ID does nothing either; a message without an ID is appended.
  cFlowCmd eraseNoId = Message("", 0, 0, 0, 1);
  Run(eraseNoId);
  cFlowCmd plain = Message("q", MESSAGE_UNTIL_STAGE_END, 0);
  Run(plain);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"zz", "q"}));
  EXPECT_TRUE(requests_.Sounds().empty());
}

TEST_F(MessageCmd, PlacementChoosesTheAnchor) {
  // 1..3 the acting character, 4..6 the hero, the others none.
  cStageChara& other = world_->AddChara(fixture::Chara(1), 8, 3);
  const int want[9] = {0, other.m_nId, other.m_nId, other.m_nId, hero_->m_nId, hero_->m_nId, hero_->m_nId, 0, 0};
  for (int p = 0; p < 9; ++p) {
    cFlowCmd cmd = Message("a", MESSAGE_UNTIL_STAGE_END, 0);
    cmd.m_vParam[0] = p;
    RunAsGameThread([&] { CmdMessage(other, cmd, 0); });
    EXPECT_EQ(Windows().back().m_nAnchorId, want[p]) << p;
  }
}

TEST_F(MessageCmd, KeyHoldEndsOnAFreshPressAndLeavesNoWindow) {
  cFlowCmd keep = Message("stays", MESSAGE_UNTIL_STAGE_END, 0);
  Run(keep);
  // Ten frames of key delay, then up, then pressed.
  Frames::script = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  cFlowCmd held = Message("held", MESSAGE_UNTIL_KEY, 1);
  Run(held);
  EXPECT_EQ(Frames::polls, 12);
  EXPECT_EQ(Frames::presents, 11);
  EXPECT_EQ(Texts(), std::vector<std::string>{"stays"});
  // The message sound before the hold, the key's sound at its end.
  EXPECT_EQ(requests_.Sounds(), (std::vector<int>{11, 12}));
}

TEST_F(MessageCmd, ClosingTheWindowEndsTheKeyHoldAndLeavesNoWindow) {
  // The button is pressed in every frame; the window closes after the third frame, within the
  // key delay: the window thread sets the quit flag and ends the loop.
  Frames::script = {1, 0};
  Frames::onPresent = [] {
    if (Frames::presents != 3) return;
    g_lpPlayScene->m_bQuit = 1;
    PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
  };
  cFlowCmd held = Message("held", MESSAGE_UNTIL_KEY, 1);
  Run(held);
  EXPECT_EQ(Frames::presents, 3);
  EXPECT_TRUE(Windows().empty());
  EXPECT_EQ(world_->scene.m_bWaitRelease, 0);
  // The message sound only: no key ended the hold.
  EXPECT_EQ(requests_.Sounds(), std::vector<int>{11});
}

TEST_F(MessageCmd, ChainedKeyWaitPlaysNoMessageSound) {
  // The first waits out its key delay of 10 frames, then takes a fresh press.
  Frames::script = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  cFlowCmd first = Message("one", MESSAGE_UNTIL_KEY, 1);
  cFlowCmd second = Message("two", MESSAGE_UNTIL_KEY, 1);
  Run(first, 0);
  EXPECT_EQ(Frames::polls, 12);
  // The chained one has no key delay: the fresh press in its second frame ends it.
  Frames::script = {0, 1};
  Frames::polls = 0;
  Run(second, 1);
  EXPECT_EQ(Frames::polls, 2);
  EXPECT_EQ(requests_.Sounds(), (std::vector<int>{11, 12, 12}));
  EXPECT_TRUE(Windows().empty());
}

TEST_F(MessageCmd, TimedHoldDrawsItsFramesAndOneFrameOption) {
  cFlowCmd timed = Message("t", MESSAGE_TIMED, 1);
  timed.m_vParam[7] = 2;  // 0.2 s: 12 frames
  Run(timed);
  EXPECT_EQ(Frames::presents, 12);
  Frames::presents = 0;
  timed.m_vParam[17] = 1;
  Run(timed);
  EXPECT_EQ(Frames::presents, 1);
  EXPECT_TRUE(Windows().empty());
  EXPECT_TRUE(requests_.Sounds().empty());
}

TEST_F(MessageCmd, HoldUntilStageEndWaitsForAKeyWhateverTheLastRequest) {
  // A stale timed request of 0 frames would end the hold at once.
  world_->scene.m_PauseWait.Set(2, 0, 0, 0);
  Frames::script = {0, 1};
  cFlowCmd cmd = Message("s", MESSAGE_UNTIL_STAGE_END, 1);
  Run(cmd, 1);
  EXPECT_EQ(Frames::polls, 2);
  EXPECT_EQ(Frames::presents, 1);
  EXPECT_TRUE(Windows().empty());
}

TEST_F(MessageCmd, RemovedByIdentityWhenAnEarlierWindowEndedDuringTheHold) {
  // The first window ends in the third held frame of a hold of 6 frames.
  cFlowCmd shortOne = Message("short", MESSAGE_UNTIL_STAGE_END, 0);
  Run(shortOne);
  Frames::onPresent = [] {
    if (Frames::presents == 3) g_lpPlayScene->RemoveMessage(&g_lpPlayScene->m_lMessage.front());
  };
  cFlowCmd later = Message("later", MESSAGE_UNTIL_STAGE_END, 0);
  Run(later);
  cFlowCmd held = Message("held", MESSAGE_TIMED, 1);
  held.m_vParam[7] = 1;
  Run(held);
  EXPECT_EQ(Frames::presents, 6);
  EXPECT_EQ(Texts(), std::vector<std::string>{"later"});
}

TEST_F(MessageCmd, NothingWhileTheSceneQuits) {
  world_->scene.m_bQuit = 1;
  cFlowCmd cmd = Message("x", MESSAGE_UNTIL_KEY, 1);
  Run(cmd);
  EXPECT_TRUE(Windows().empty());
  EXPECT_EQ(Frames::presents, 0);
  EXPECT_TRUE(requests_.Sounds().empty());
}

TEST_F(MessageCmd, GameWaitHoldsForItsTimeAndLeavesNoWindow) {
  cFlowCmd keep = Message("stays", MESSAGE_UNTIL_STAGE_END, 0);
  Run(keep);
  cFlowCmd wait = scriptkit::Cmd(CMD_GAME_WAIT, 1);
  wait.m_vParam.assign(1, 3);  // 0.3 s: 18 frames
  RunAsGameThread([&] { CmdGameWait(*hero_, wait); });
  EXPECT_EQ(Frames::presents, 18);
  EXPECT_EQ(Texts(), std::vector<std::string>{"stays"});
  EXPECT_TRUE(requests_.Sounds().empty());
}

// Times of 400,000,000 tenths are 2,400,000,000 frames, beyond the int range: they hold at its
// end. A timed window stays; a game wait holds until the loop is ended from outside (here after
// five frames).
TEST_F(MessageCmd, TimesBeyondTheIntRangeLastAsLongAsTheRangeAllows) {
  cFlowCmd timed = Message("t", MESSAGE_TIMED, 0);
  timed.m_vParam[7] = 400000000;
  Run(timed);
  ASSERT_EQ(Windows().size(), 1u);
  EXPECT_EQ(Windows().front().m_nCountdown, INT32_MAX);
  Frames::onPresent = [] {
    if (Frames::presents == 5) PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
  };
  cFlowCmd wait = scriptkit::Cmd(CMD_GAME_WAIT, 1);
  wait.m_vParam.assign(1, 400000000);
  RunAsGameThread([&] { CmdGameWait(*hero_, wait); });
  EXPECT_EQ(Frames::presents, 5);
}

}  // namespace
