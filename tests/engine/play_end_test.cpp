// The end-of-play display: decide is accepted once the counter reaches 200 (4 a frame with the
// clear banner, at once without it), automatic continuation leaves by itself at 200.
#include <gtest/gtest.h>

#include "fixture/fixture.h"
#include "play_scene_kit.h"
#include "project/global_data.h"
#include "ui/input.h"

namespace {

using playscene::PlaySceneTest;

cStage EndStage(int banner, int autoContinue) {
  cStage s = fixture::Stage(20, 15);
  fixture::Fill(s, fixture::Block(1), 0, 14, 19, 14);
  fixture::Place(s, fixture::Hero(2), 2, 13);
  s.m_nSpeedLevel = 1;
  s.m_bShowStartBanner = 0;
  s.m_bShowStageBanner = 0;
  s.m_bShowClearBanner = banner;
  s.m_bAutoContinue = autoContinue;
  fixture::EncloseGrid(s);
  return s;
}

// Frames of the end display until it leaves; decide is pressed first in frame `pressAt`
// (0: never). The number of the frame in which state 7 is entered, or -1 after 300 frames.
int FramesUntilLeaving(int banner, int autoContinue, int pressAt) {
  PlaySceneTest t(EndStage(banner, autoContinue));
  t.Frames(1);
  t.Scene().m_nState = 4;
  t.Scene().m_nStep = 0;
  cInput& in = g_vInput.CheckedAt(0);
  for (int frame = 1; frame <= 300; ++frame) {
    in.SetWords(0, pressAt != 0 && frame >= pressAt ? 1 : 0);
    t.Frames(1);
    if (t.Scene().m_nState == 7) return frame;
  }
  return -1;
}

TEST(PlayEnd, DecideCountsFromThe51stFrameWithTheBannerAndTheSecondWithout) {
  // With the banner the counter is 4 (k - 1) when frame k tests it: 200 first in frame 51.
  EXPECT_EQ(FramesUntilLeaving(1, 0, 50), -1) << "a press held from frame 50 is reported once, too early";
  EXPECT_EQ(FramesUntilLeaving(1, 0, 51), 51);
  // Without it the first frame sets the counter to 200.
  EXPECT_EQ(FramesUntilLeaving(0, 0, 1), -1);
  EXPECT_EQ(FramesUntilLeaving(0, 0, 2), 2);
  EXPECT_EQ(FramesUntilLeaving(1, 0, 0), -1) << "without decide the display stays";
}

TEST(PlayEnd, AutomaticContinuationLeavesAtTwoHundredAndIgnoresDecide) {
  EXPECT_EQ(FramesUntilLeaving(1, 1, 0), 51);
  EXPECT_EQ(FramesUntilLeaving(1, 1, 1), 51);
  EXPECT_EQ(FramesUntilLeaving(0, 1, 0), 2);
}

}  // namespace
