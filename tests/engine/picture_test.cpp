// Pictures: the picture command's list edits (erase all, by ID, replace in place) with the
// picture surfaces and their creation entries kept in step, also after a file that does not
// load; the memory kind of a picture's surface; size and place by percent; the holds; and the
// pictures drawn on their layer and removed when they end.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../draw/draw_fixture.h"
#include "defs/cmd_kind.h"
#include "defs/flow_cmd.h"
#include "draw/draw.h"
#include "engine/pause_thread.h"
#include "engine/picture.h"
#include "engine/play_scene.h"
#include "engine/stage_images.h"
#include "fixture/fixture.h"
#include "play_kit.h"
#include "project/database.h"
#include "project/stage.h"
#include "script/cmd_effect.h"
#include "test_thread.h"
#include "ui/input.h"

namespace {

// The pause loop's frame services: the button word of each polled frame comes from a script
// (past its end, its last entry); at each poll the pictures in the scene are noted.
struct HeldFrames {
  static std::vector<int> script;
  static int polls;
  static std::vector<size_t> pictures;
  static void Poll(cSafeVector<cInput>& v) {
    const size_t i = std::min(static_cast<size_t>(polls), script.size() - 1);
    v[0].SetWords(0, static_cast<WORD>(script[i]));
    ++polls;
    pictures.push_back(g_lpPlayScene->m_lPicture.size());
  }
};
std::vector<int> HeldFrames::script;
int HeldFrames::polls = 0;
std::vector<size_t> HeldFrames::pictures;

// Parameters of the picture command, by name.
struct Show {
  int number = 1;
  int placement = 0;
  int layer = 1;
  int percent = 100;
  int display = 1;
  int tenths = 0;
  int hold = 0;
  int id = -1;  // -1: no ID
  int fixed = 0;
};

cFlowCmd PictureCmd(const Show& s) {
  cFlowCmd cmd;
  cmd.m_byKind = CMD_PICTURE;
  // Blocks and offsets 0; [12], [13] the ID; [14] 0: the time in tenths.
  cmd.m_vParam = {s.number, s.placement, 0,        0,      0, 0, s.layer, s.percent, s.display, s.tenths,
                  s.hold,   s.fixed,     s.id >= 0 ? 1 : 0, s.id >= 0 ? s.id : 0, 0};
  return cmd;
}

class PictureTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    savedPictures_ = g_Database.m_vPicture;
    savedLink_ = g_PauseLink;
    savedStretch_ = g_bVideoStretch;
    g_PauseLink = cPauseLink{};
    g_PauseLink.lpfnPollInput = &HeldFrames::Poll;
    HeldFrames::script.assign(1, 0);
    HeldFrames::polls = 0;
    HeldFrames::pictures.clear();
    // Pictures 1..3: 20 × 10, 8 × 4 and 12 × 6, red with the transparent colour at (0, 0);
    // picture 4 names a file that is not there.
    const std::vector<uint32_t> palette = SheetPalette();
    g_Database.m_vPicture.assign(1, cPictureData());
    const int sizes[3][2] = {{20, 10}, {8, 4}, {12, 6}};
    for (int n = 0; n < 3; ++n) {
      std::vector<uint32_t> px(static_cast<size_t>(sizes[n][0] * sizes[n][1]), 1);
      px[0] = 0;
      const std::string file = Bmp8("p" + std::to_string(n + 1) + ".bmp", sizes[n][0], sizes[n][1], palette, px);
      g_Database.m_vPicture.push_back(fixture::FileRecord<cPictureData>("p", file));
    }
    missing_ = env->dir() / "missing.bmp";
    g_Database.m_vPicture.push_back(fixture::FileRecord<cPictureData>("m", missing_));
    world_ = std::make_unique<playkit::PlayWorld>(fixture::Stage(40, 30));
    hero_ = &world_->AddHero(fixture::Hero(), 3, 3);
  }
  void TearDown() override {
    world_.reset();  // the scene releases its picture surfaces
    g_Database.m_vPicture = savedPictures_;
    g_PauseLink = savedLink_;
    g_bVideoStretch = savedStretch_;
    DrawTest::TearDown();
  }
  void Run(const Show& s) {
    cFlowCmd cmd = PictureCmd(s);
    CmdShowPicture(*hero_, cmd);
  }
  void RunHeld(const Show& s) {
    cFlowCmd cmd = PictureCmd(s);
    RunAsGameThread([&] { CmdShowPicture(*hero_, cmd); });
  }
  cSafeList<cPicture>& Pictures() { return world_->scene.m_lPicture; }
  // The picture numbers of the list, and the widths of the surfaces beside them (each picture's
  // file has its own width, so the two show whether the lists are in step).
  std::vector<int> Numbers() {
    std::vector<int> v;
    for (const cPicture& p : Pictures()) v.push_back(p.m_nId);
    return v;
  }
  std::vector<int> SurfaceWidths() {
    EXPECT_EQ(g_lPictureSurface.size(), g_lPictureBmpEntry.size());
    std::vector<int> v;
    for (const DDSURFACEDATA& sd : g_lPictureSurface) v.push_back(sd.nWidth);
    return v;
  }
  static int WidthOf(int number) { return number == 1 ? 20 : number == 2 ? 8 : 12; }
  std::vector<int> Widths(const std::vector<int>& numbers) {
    std::vector<int> v;
    for (int n : numbers) v.push_back(WidthOf(n));
    return v;
  }
  uint32_t At(int x, int y) { return Pixel(&BackBuffer, x, y) & 0xFFFFFFu; }

  std::unique_ptr<playkit::PlayWorld> world_;
  cPlayer* hero_ = nullptr;
  std::string missing_;

 private:
  cSafeVector<cPictureData> savedPictures_;
  cPauseLink savedLink_;
  int savedStretch_ = 0;
};

TEST_F(PictureTest, SizedByPercentPlacedAndDrawnOnItsLayer) {
  InitOrFail(0, 32, 1);
  cPlayScene& scene = world_->scene;
  scene.m_ScrollX.m_dPos = 100;
  scene.m_ScrollY.m_dPos = 50;
  Show s;
  s.percent = 150;
  Run(s);
  ASSERT_EQ(Pictures().size(), 1u);
  const cPicture& p = Pictures().front();
  // 150 % of 20 × 10 is 30 × 15, centred on the screen: x = 100 + 320 - 15, y = 50 + 240 - 7.
  EXPECT_EQ(p.m_nWidth, 30);
  EXPECT_EQ(p.m_nHeight, 15);
  EXPECT_EQ(p.m_bScaled, 1);
  EXPECT_EQ(p.m_dX, 405);
  EXPECT_EQ(p.m_dY, 283);
  EXPECT_EQ(p.m_nLayer, 1);
  ASSERT_EQ(g_lPictureBmpEntry.size(), 1u);
  EXPECT_EQ(std::string(g_lPictureBmpEntry.front().szFileName), g_Database.m_vPicture[1].m_strFile);
  EXPECT_EQ(g_lPictureBmpEntry.front().nTransmit, 1);
  EXPECT_EQ(g_lPictureSurface.front().nWidth, 20);

  // On the screen at (405 - 100, 283 - 50), 30 × 15; only the pass of its own layer draws it.
  DDClearSurface(&BackBuffer, 0);
  scene.DrawPictures(&BackBuffer, 0, 0);
  EXPECT_NE(At(305 + 10, 233 + 5), 0xFF0000u);
  scene.DrawPictures(&BackBuffer, 1, 0);
  EXPECT_EQ(At(305 + 10, 233 + 5), 0xFF0000u);
  EXPECT_EQ(At(305 + 29, 233 + 14), 0xFF0000u);
  EXPECT_NE(At(305 + 30, 233 + 14), 0xFF0000u);
  EXPECT_NE(At(305 + 29, 233 + 15), 0xFF0000u);
}

TEST_F(PictureTest, AnIdReplacesInPlaceAndErasesWithItsSurface) {
  InitOrFail(0, 32, 1);
  Show a;
  a.number = 1;
  a.id = 5;
  Show b;
  b.number = 2;
  Show c;
  c.number = 3;
  c.id = 7;
  Run(a);
  Run(b);
  Run(c);
  ASSERT_EQ(Numbers(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(SurfaceWidths(), Widths({1, 2, 3}));

  // ID 5 again, with picture 3: the first picture is replaced where it stood.
  Show again = c;
  again.id = 5;
  Run(again);
  EXPECT_EQ(Numbers(), (std::vector<int>{3, 2, 3}));
  EXPECT_EQ(SurfaceWidths(), Widths({3, 2, 3}));
  EXPECT_EQ(Pictures().front().m_nPictureValue[1], 5);

  // An erase of an ID no picture has changes nothing; of ID 5 takes that one and its surface.
  Show eraseNone;
  eraseNone.number = 0;
  eraseNone.id = 9;
  Run(eraseNone);
  EXPECT_EQ(Numbers(), (std::vector<int>{3, 2, 3}));
  Show erase = eraseNone;
  erase.id = 5;
  Run(erase);
  EXPECT_EQ(Numbers(), (std::vector<int>{2, 3}));
  EXPECT_EQ(SurfaceWidths(), Widths({2, 3}));

  // Number 0 without an ID erases every picture.
  Show all;
  all.number = 0;
  Run(all);
  EXPECT_TRUE(Pictures().empty());
  EXPECT_TRUE(g_lPictureSurface.empty());
  EXPECT_TRUE(g_lPictureBmpEntry.empty());
}

TEST_F(PictureTest, AFileThatDoesNotLoadIsReportedAndLeavesTheListsInStep) {
  InitOrFail(0, 32, 1);
  Show a;
  a.id = 5;
  Show b;
  b.number = 2;
  Run(a);
  Run(b);
  env->TakeCloseRequests();
  Show bad;
  bad.number = 4;
  Run(bad);
  EXPECT_EQ(Numbers(), (std::vector<int>{1, 2}));
  EXPECT_EQ(SurfaceWidths(), Widths({1, 2}));
  EXPECT_EQ(CountBoxes(missing_ + " 読み込み失敗！"), 1u);
  EXPECT_NE(Report().find(missing_ + " 読み込み失敗！"), std::string::npos);
  EXPECT_EQ(env->TakeCloseRequests(), 1);

  // Replacing ID 5 by it: the old picture has gone, the failed one never came.
  bad.id = 5;
  Run(bad);
  EXPECT_EQ(Numbers(), std::vector<int>{2});
  EXPECT_EQ(SurfaceWidths(), Widths({2}));
  EXPECT_EQ(env->TakeCloseRequests(), 1);
}

TEST_F(PictureTest, UnderDirectDrawAScaledPictureOrLittleVideoMemoryMeansSystemMemory) {
  InitOrFail(0, 32, 1);
  const int64_t used = gfx::kVideoMemoryTotal - gfx::VideoMemoryFree();
  struct Case {
    int percent, stretch;
    int64_t freeMb;  // -1: no budget set
    int memory;
  };
  // 103 MB free of 512 is 20 %: video memory; 102 MB is below 20 %.
  const Case cases[] = {
      {100, 0, -1, 0}, {150, 0, -1, 1}, {99, 0, -1, 1}, {150, 1, -1, 0},
      {100, 0, 103, 0}, {100, 0, 102, 1}, {150, 1, 102, 1},
  };
  for (const Case& c : cases) {
    g_bVideoStretch = c.stretch;
    gfx::SetVideoMemoryBudgetForTest(c.freeMb < 0 ? -1 : used + (c.freeMb << 20));
    Show s;
    s.percent = c.percent;
    Run(s);
    gfx::SetVideoMemoryBudgetForTest(-1);
    ASSERT_EQ(g_lPictureBmpEntry.size(), 1u);
    EXPECT_EQ(g_lPictureBmpEntry.front().nDDMemory, c.memory) << c.percent << " " << c.stretch << " " << c.freeMb;
    world_->scene.ClearPictures();
  }
}

TEST_F(PictureTest, UnderDirect3DEveryPictureAsksForVideoMemory) {
  InitOrFail(1, 32, 1);
  Show s;
  s.percent = 150;
  Run(s);
  ASSERT_EQ(g_lPictureBmpEntry.size(), 1u);
  EXPECT_EQ(g_lPictureBmpEntry.front().nDDMemory, 0);
  EXPECT_EQ(Pictures().front().m_nWidth, 30);
}

TEST_F(PictureTest, AHeldPictureWaitsForAFreshKeyAndIsTakenAwayAfterwards) {
  InitOrFail(0, 32, 1);
  playkit::WindowRequestRecorder requests;
  Show stays;
  stays.number = 2;
  Run(stays);
  // Held until the key: no key delay for a picture: the fresh press in the third frame ends it.
  HeldFrames::script = {0, 0, 1};
  Show held;
  held.display = 0;
  held.hold = 1;
  RunHeld(held);
  EXPECT_EQ(HeldFrames::polls, 3);
  EXPECT_EQ(HeldFrames::pictures, (std::vector<size_t>{2, 2, 2}));
  EXPECT_EQ(Numbers(), std::vector<int>{2});
  EXPECT_EQ(SurfaceWidths(), Widths({2}));
  EXPECT_EQ(requests.Sounds(), std::vector<int>{1});
}

TEST_F(PictureTest, AHoldUntilTheStageEndsWaitsForAKeyWhateverTheLastRequest) {
  InitOrFail(0, 32, 1);
  playkit::WindowRequestRecorder requests;
  // A stale timed request of 0 frames would end the hold at once.
  world_->scene.m_PauseWait.Set(2, 0, 0, 0);
  HeldFrames::script = {0, 0, 0, 1};
  Show held;
  held.display = 1;
  held.hold = 1;
  RunHeld(held);
  EXPECT_EQ(HeldFrames::polls, 4);
  EXPECT_TRUE(Pictures().empty());
  EXPECT_TRUE(g_lPictureSurface.empty());
}

TEST_F(PictureTest, ATimedHoldLastsItsTimeAndRemovesThePictureByIdentity) {
  InitOrFail(0, 32, 1);
  // The first picture is shown for one frame: it ends in the second held frame (its countdown
  // runs while held, as its own hold value asks).
  Show brief;
  brief.number = 2;
  brief.display = 2;
  brief.tenths = 0;
  brief.hold = 0;
  Run(brief);
  Pictures().front().m_bCountWhileHeld = 1;
  Pictures().front().m_nCountdown = 1;
  Show later;
  later.number = 3;
  Run(later);
  Show held;
  held.display = 2;
  held.tenths = 1;  // 6 frames
  held.hold = 1;
  RunHeld(held);
  EXPECT_EQ(HeldFrames::polls, 7) << "six drawn frames, the seventh ends the wait";
  EXPECT_EQ(HeldFrames::pictures.front(), 3u);
  EXPECT_EQ(HeldFrames::pictures.back(), 2u);
  EXPECT_EQ(Numbers(), std::vector<int>{3});
  EXPECT_EQ(SurfaceWidths(), Widths({3}));
}

TEST_F(PictureTest, ATimedPictureEndsWithItsSurfaceInTheDrawingPass) {
  InitOrFail(0, 32, 1);
  Show a;
  a.number = 1;
  a.display = 2;
  a.tenths = 0;  // countdown 0: it ends in its first drawn frame
  a.layer = 0;
  Show b;
  b.number = 2;
  b.layer = 0;
  Run(a);
  Run(b);
  Show frame;
  frame.number = 3;
  frame.display = 2;
  frame.tenths = 5;
  frame.layer = 1;
  cFlowCmd cmd = PictureCmd(frame);
  cmd.m_vParam[14] = 1;  // one frame instead of the tenths
  CmdShowPicture(*hero_, cmd);
  EXPECT_EQ(Pictures().back().m_nCountdown, 1);
  world_->scene.DrawPictures(&BackBuffer, 0, 0);
  EXPECT_EQ(Numbers(), (std::vector<int>{2, 3}));
  EXPECT_EQ(SurfaceWidths(), Widths({2, 3}));
  // The one-frame picture is drawn once, and ends in its second frame.
  world_->scene.DrawPictures(&BackBuffer, 1, 0);
  EXPECT_EQ(Numbers(), (std::vector<int>{2, 3}));
  world_->scene.DrawPictures(&BackBuffer, 1, 0);
  EXPECT_EQ(Numbers(), std::vector<int>{2});
  EXPECT_EQ(SurfaceWidths(), Widths({2}));
}

TEST_F(PictureTest, TheStageFrameDrawsLayerZeroBehindTheFrontLayersAndLayerOneInFront) {
  InitOrFail(0, 32, 1);
  cBgData back;
  back.m_bShow = 1;
  back.m_bFill = 1;
  back.m_nFillColor = 3;  // colours of the sheet's palette
  cBgData front = back;
  front.m_nFillColor = 5;
  front.m_nDepth = 1;
  g_StageData.m_vBg = {back, front};
  // Picture 1 on layer 0 at screen block (1, 1), on layer 1 at screen block (5, 1).
  Show behind;
  behind.placement = 3;
  behind.layer = 0;
  cFlowCmd first = PictureCmd(behind);
  first.m_vParam[2] = 1;
  first.m_vParam[3] = 1;
  CmdShowPicture(*hero_, first);
  cFlowCmd second = PictureCmd(behind);
  second.m_vParam[6] = 1;
  second.m_vParam[2] = 5;
  second.m_vParam[3] = 1;
  CmdShowPicture(*hero_, second);

  world_->scene.Draw(1, 0, 0, 0);
  EXPECT_EQ(At(32 + 8, 32 + 4), SheetColor(5)) << "the front layer covers layer 0";
  EXPECT_EQ(At(160 + 8, 32 + 4), 0xFF0000u) << "layer 1 is drawn over the front layer";
  g_StageData.m_vBg[1].m_bShow = 0;
  world_->scene.Draw(1, 0, 0, 0);
  EXPECT_EQ(At(32 + 8, 32 + 4), 0xFF0000u) << "layer 0 is drawn over the back layer";
  EXPECT_EQ(At(32 + 8, 32 + 12), SheetColor(3));
}

TEST_F(PictureTest, NothingWhileTheSceneQuits) {
  InitOrFail(0, 32, 1);
  world_->scene.m_bQuit = 1;
  Run(Show{});
  EXPECT_TRUE(Pictures().empty());
  EXPECT_TRUE(g_lPictureSurface.empty());
}

}  // namespace
