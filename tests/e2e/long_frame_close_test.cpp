// The player in a real window on a virtual X display, closed while a frame of play runs for a
// long time: the window's close request, the window destroyed by another program, a short Escape
// press and SIGTERM each end it within the close limit, without waiting for the frame's end; so
// does a close while a message holds that frame. Without Xvfb the tests are skipped.
#include <gtest/gtest.h>

#include <signal.h>

#include <memory>
#include <ostream>
#include <string>

#include "app/app_fixture.h"
#include "defs/cmd_kind.h"
#include "defs/flow.h"
#include "fixture/fixture.h"
#include "project/stage.h"
#include "support/temp_dir.h"
#include "support/wait.h"
#include "window_kit.h"
#include "x_display.h"

namespace {

// The pile: two collision layers of kPile characters each on one cell, whose contact boxes all
// overlap. Each has power 1 and more hit points than any test uses up, so that every one of the
// kPile × kPile pairs of the two layers meets and both are hurt, in each of the stage's ten
// sub-steps of a frame (no partner pause keeps a pair apart in the next one): forty million
// meetings in the first frame of play, each with its events, its damage and its sound, which no
// sorting of the boxes can spare. The frame meets no wait but the sounds' requests to the window
// thread.
constexpr int kPile = 2000;
constexpr int kPileCellX = 15, kPileCellY = 4;

// A message in a framed box above the middle of the screen (clear of the start banner) that holds
// the game until its key: the hero's flow shows it in the first sub-step of the first frame of
// play, before the pile's characters meet.
cFlowCmd HoldingMessage() {
  cFlowCmd c = fixture::Command(CMD_MESSAGE);
  c.m_strText = "HOLD";
  c.m_vParam[4] = -150;  // moved up from the middle
  c.m_vParam[6] = 0;     // shown until its key
  c.m_vParam[8] = 1;     // holds the game
  c.m_vParam[14] = 1;    // in the framed box
  return c;
}

cStage PileStage(bool held) {
  cStage s = fixture::Stage(20, 15);
  fixture::Fill(s, fixture::Block(1), 0, 14, 19, 14);
  cCharaData hero = fixture::Hero(2);
  if (held) {
    cFlow show;
    show.m_strName = "Hold";
    show.m_byTrigger = TRIGGER_ALWAYS;
    show.m_vCmd.push_back(HoldingMessage());
    hero.m_vFlow.push_back(show);
  }
  fixture::Place(s, hero, 2, 13);
  for (const int layer : {2, 3}) {
    cCharaData c = fixture::Chara(3);
    c.m_byLayer = static_cast<uint8_t>(layer);
    c.m_byFlying = 1;  // stays where it is placed
    c.m_nMaxHp = 1000000000;
    c.m_nPower = 1;
    for (int i = 0; i < kPile; ++i) fixture::Place(s, c, kPileCellX, kPileCellY);
  }
  // The start banner stands for 80 frames before play; the frame that takes it away is the last
  // one shown before the first frame of play.
  s.m_bShowStartBanner = 1;
  s.m_nCharaPartnerPause = 0;
  fixture::EncloseGrid(s);
  return s;
}

// Where the window shows things (the stage is one screen wide and high: it does not scroll).
// The start banner: 80 × 32 dots at (280, 224); the message's box, 150 dots above the middle.
constexpr int kBannerX = 280, kBannerY = 224, kBannerW = 80, kBannerH = 32;
constexpr int kMessageX = 280, kMessageY = 80, kMessageW = 80, kMessageH = 20;
constexpr int kPileX = kPileCellX * 32, kPileY = kPileCellY * 32;
// A place of the empty sky.
constexpr int kSkyX = 160, kSkyY = 200;

// Dots of the area that differ from the sky's colour.
int NotSky(const Shot& shot, int x0, int y0, int w, int h) {
  const uint32_t sky = shot.At(kSkyX, kSkyY);
  int n = 0;
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) n += shot.At(x, y) != sky;
  return n;
}

bool Whole(const Shot& shot) { return shot.w == 640 && shot.h == 480; }
bool BannerShown(const Shot& shot) { return Whole(shot) && NotSky(shot, kBannerX, kBannerY, kBannerW, kBannerH) > 0; }
// The stage with its pile, the banner gone: the first frame of play has begun.
bool PlayShown(const Shot& shot) {
  return Whole(shot) && NotSky(shot, kBannerX, kBannerY, kBannerW, kBannerH) == 0 &&
         NotSky(shot, kPileX, kPileY, 32, 32) > 0;
}
// The first frame of play held by the message.
bool HoldShown(const Shot& shot) { return PlayShown(shot) && NotSky(shot, kMessageX, kMessageY, kMessageW, kMessageH) > 0; }

enum class Way { kCloseRequest, kWindowDestroyed, kEscape, kSigterm };

struct WayCase {
  const char* name;
  Way way;
  // The first frame of play is held by the message.
  bool held;
  // The exit status: a lost window is a failure of the program.
  int code;
};

void PrintTo(const WayCase& c, std::ostream* os) { *os << c.name; }

class LongFrameClose : public testing::TestWithParam<WayCase> {
 protected:
  void SetUp() override {
    StartTestDisplay(display_);
    if (IsSkipped() || HasFatalFailure()) return;
    project_ = dir_ / "game";
    appfixture::Options options;
    options.stageNumbers[0] = options.stageNumbers[1] = 0;
    ASSERT_TRUE(appfixture::WriteProject(project_, options));
    fixture::Project project(project_);
    cStage stage = PileStage(GetParam().held);
    ASSERT_TRUE(project.WriteStage(stage, "pile"));
  }

  // Starts the player on the stage and waits until it is in the first frame of play: the banner
  // has been shown and the frame that took it away is on the screen (and, when it is held, the
  // message too). Every wait stretches with the load; the sanitizer builds set the stage up
  // slowly.
  void StartInsideTheLongFrame(bool held) {
    player_ = std::make_unique<Player>(display_.Name(), project_, dir_ / "player.log", "data\\stg4\\pile.stg4");
    ASSERT_GT(player_->Pid(), 0);
    window_ = display_.WaitWindow(player_->Pid(), {}, LoadStretchedMs(30000));
    ASSERT_NE(window_, 0u) << "no window; the program wrote:\n" << player_->Output();
    display_.Focus(window_);
    auto shows = [&](bool (*what)(const Shot&), int ms) {
      return WaitFor([&] { return what(CaptureKept(display_, window_)); }, LoadStretchedMs(ms), 20);
    };
    ASSERT_TRUE(shows(BannerShown, 60000)) << "no start banner; the program wrote:\n" << player_->Output();
    ASSERT_TRUE(shows(held ? HoldShown : PlayShown, 30000)) << "no play; the program wrote:\n" << player_->Output();
  }

  TempDir dir_;
  XDisplay display_;
  std::string project_;
  std::unique_ptr<Player> player_;
  unsigned long window_ = 0;
};

// The program ends in order within the close limit where the machine lets that be measured
// (CloseClock); the end is awaited far beyond it, so that a close that waits for the frame's end
// fails on a loaded machine too.
TEST_P(LongFrameClose, EndsTheProgramWithinTheLimit) {
  const WayCase& c = GetParam();
  ASSERT_NO_FATAL_FAILURE(StartInsideTheLongFrame(c.held));
  if (c.way == Way::kWindowDestroyed) {
    // The person has turned to another program, which destroys the window: the program uses the
    // window for nothing until the frame ends, so no request of its own on it fails meanwhile.
    ASSERT_NE(display_.OpenFocusedWindow(), 0u);
    SleepMs(LoadStretchedMs(500));
  }
  const CloseClock close;
  switch (c.way) {
    case Way::kCloseRequest: display_.RequestClose(window_); break;
    case Way::kWindowDestroyed: ASSERT_EQ(display_.Xdotool({"windowclose", std::to_string(window_)}), 0); break;
    case Way::kEscape: ASSERT_EQ(display_.Xdotool({"key", "Escape"}), 0); break;
    case Way::kSigterm: kill(player_->Pid(), SIGTERM); break;
  }
  const int code = player_->WaitExit(ExitWaitMs());
  ASSERT_NE(code, -1) << c.name << ": the program did not end";
  EXPECT_EQ(code, c.code) << player_->Output();
  EXPECT_TRUE(close.WithinLimit(c.name)) << c.name << ": the program ends within two seconds, not "
                                         << close.ElapsedMs() << " ms";
  const std::string out = player_->Output();
  EXPECT_EQ(out.find("runtime error"), std::string::npos) << out;
  EXPECT_EQ(out.find("Sanitizer"), std::string::npos) << out;
  if (c.way == Way::kWindowDestroyed) {
    EXPECT_TRUE(NamesTheLostWindow(out)) << out;
  }
}

const WayCase kWays[] = {
    {"CloseRequest", Way::kCloseRequest, false, 0},
    {"WindowDestroyedWithoutTheFocus", Way::kWindowDestroyed, false, 1},
    {"ShortEscapePress", Way::kEscape, false, 0},
    {"Sigterm", Way::kSigterm, false, 0},
    {"EscapeWhileAMessageHoldsTheFrame", Way::kEscape, true, 0},
};
INSTANTIATE_TEST_SUITE_P(Ways, LongFrameClose, testing::ValuesIn(kWays),
                         [](const testing::TestParamInfo<WayCase>& info) { return std::string(info.param.name); });

}  // namespace
