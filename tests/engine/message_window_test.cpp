// Message windows: the variable escapes, the measure in a fixed-pitch font, the window's place
// by placement with the remembered positions and the screen bounds, countdowns, the opening,
// the end of an anchored window, the removal by identity, pictures' countdown and place, and
// the wait request.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "draw/font.h"
#include "draw/surface_ops.h"
#include "draw_fixture.h"
#include "platform/display.h"
#include "engine/message_window.h"
#include "engine/picture.h"
#include "fixture/fixture.h"
#include "platform/message.h"
#include "play_kit.h"
#include "project/save_data.h"
#include "test_thread.h"

namespace {

class MessageWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    cStage stage = fixture::Stage(40, 30);
    world_ = std::make_unique<playkit::PlayWorld>(stage);
    hero_ = &world_->PlaceHero(fixture::Hero(), 5, 5);
    savedVars_ = g_SaveData.m_vCommonVar;
    if (g_SaveData.m_vCommonVar.size() < 1001) g_SaveData.m_vCommonVar.resize(1001, 0);
  }
  void TearDown() override {
    g_SaveData.m_vCommonVar = savedVars_;
    Off_Msg.clear();
    Off_MsgEntry.clear();
    DiscardMessages();
  }

  // A window of a kind without a surface, w × h, at a placement.
  cMessageWindow Window(int kind, int placement, int fixed, int displayMode = 1, int countdown = 0) {
    cMessageWindow w;
    w.Setup(kind, nullptr, 0, 0, 0, placement, 2, 3, 3, -2, 0, fixed, displayMode, countdown, 0, hero_->m_nId, 1, 0,
            0, 0, 0, 0, 0, 0);
    w.m_nWidth = 50;
    w.m_nHeight = 20;
    return w;
  }

  std::unique_ptr<playkit::PlayWorld> world_;
  cPlayer* hero_ = nullptr;
  cSafeVector<int32_t> savedVars_;
};

std::string Expanded(const char* text) {
  std::string s = text;
  ExpandVarText(s);
  return s;
}

TEST_F(MessageWindows, VariableEscapes) {
  g_SaveData.m_vCommonVar[5] = 42;
  g_SaveData.m_vCommonVar[6] = -3;
  g_SaveData.m_vCommonVar[7] = 0;
  g_SaveData.m_vCommonVar[1000] = 9;
  world_->scene.m_vStageVar[2] = -7;
  world_->scene.m_vStageVar[5] = 11;
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"#C5", "42"},
      {"#C5_4", "  42"},
      {"#C5_4Z.", "0042"},
      {"#C5_P", "+42"},
      {"#S2_3", "-  7"},
      {"#C6_P", "-3"},
      {"#C6_3Z", "-003"},
      {"#C7_3", "  0"},
      {"#C7_3Z", "000"},
      {"#C5_4Z3", "042"},   // the last width digit counts
      {"#C5_0", "42"},      // a width below the digits keeps them all
      {"x#c5.y", "x42y"},   // lower case, the point taken
      {"#5C", "42"},        // the bank after the number
      {"#S5C", "42"},       // C wins over S
      {"#5S", "11"},
      {"#C1000", "9"},
      {"#C0", "#C0"},
      {"#C1001", "#C1001"},
      {"#C99999999999", "#C99999999999"},  // no overflow, left as it is
      {"#C", "#C"},
      {"#5", "#5"},
      {"#", "#"},
      {"#C0.", "#C0."},
      {"##C5", "#42"},
      {"#C5#C6", "42-3"},
      {"a #C5 b", "a 42 b"},
      {"\x82#C5", "\x82" "42"},              // a lead byte before "#" without a trail byte
      {"\x82\xa0#C5", "\x82\xa0" "42"},      // a two-byte character, then the escape
      {"#\x83\x43" "5", "#\x83\x43" "5"},    // a trail byte "C" is part of its character
  };
  for (const auto& c : cases) EXPECT_EQ(Expanded(c.in), c.out) << c.in;
}

TEST_F(MessageWindows, StageEscapesNeedAScene) {
  g_lpPlayScene = nullptr;
  EXPECT_EQ(Expanded("#S2"), "#S2");
  g_lpPlayScene = &world_->scene;
}

TEST_F(MessageWindows, MeasureInAFixedPitchFont) {
  cFont& font = g_Font[1];
  const int savedCell = font.nCellWidth, savedLine = font.nLineHeight;
  font.nCellWidth = 8;
  font.nLineHeight = 16;
  int w = 0, h = 0;
  cMessageWindow::MeasureText("ab\ncdef\nx", &w, &h);
  font.nCellWidth = savedCell;
  font.nLineHeight = savedLine;
  EXPECT_EQ(w, 4 * 8 + 2);
  EXPECT_EQ(h, 3 * 16 + 2);
}

TEST_F(MessageWindows, PlaceByPlacement) {
  cPlayScene& scene = world_->scene;
  scene.m_ScrollX.m_dPos = 100.5;
  scene.m_ScrollY.m_dPos = 50.25;
  hero_->m_dX = 300.7;
  hero_->m_dY = 200.9;
  hero_->m_nGraphicX = 4;
  hero_->m_nGraphicY = 6;
  hero_->m_nGraphicW = 32;
  hero_->m_nGraphicH = 40;
  // Anchor on the screen: (200, 150); window 50 × 20, offset (3, -2), cell (2, 3).
  const struct {
    int placement, x, y;
  } cases[] = {
      {0, 3 - 25 + 320, -2 - 10 + 240},
      {1, 200 + 16 - 4 - 25 + 3, 150 - 6 - 20 - 2},
      {4, 190, 122},
      {2, 190, 150 + 40 - 6 + 1 - 2},
      {5, 190, 183},
      {3, 190, 150 + 20 - 10 - 6 - 2},
      {6, 190, 152},
      {7, 3 + 64, -2 + 96},
      {8, 286, 363},  // (12 × 32 + 3 − 100.5, 13 × 32 − 2 − 50.25) truncated
      {9, 298, 228},  // unknown: as the screen centre
  };
  for (const auto& c : cases) {
    cMessageWindow w = Window(0, c.placement, 1);
    int x = 0, y = 0;
    ASSERT_EQ(w.Locate(&x, &y), 0) << c.placement;
    EXPECT_EQ(x, c.x) << c.placement;
    EXPECT_EQ(y, c.y) << c.placement;
  }
}

TEST_F(MessageWindows, RememberedPositions) {
  cPlayScene& scene = world_->scene;
  scene.m_ScrollX.m_dPos = 100.5;
  int x = 0, y = 0;

  // Over a character and fixed: it stays where it appeared; not fixed: it follows.
  cMessageWindow fixedAbove = Window(0, 1, 1);
  cMessageWindow following = Window(0, 1, 0);
  int x0 = 0, xf = 0;
  fixedAbove.Locate(&x0, &y);
  following.Locate(&xf, &y);
  hero_->m_dX += 40;
  fixedAbove.Locate(&x, &y);
  EXPECT_EQ(x, x0);
  following.Locate(&x, &y);
  EXPECT_EQ(x, xf + 40);

  // On the screen and not fixed: it keeps its point of the stage; fixed: its place on screen.
  cMessageWindow scrolling = Window(0, 0, 0);
  cMessageWindow screenFixed = Window(0, 0, 1);
  scrolling.Locate(&x, &y);
  EXPECT_EQ(x, 298);
  screenFixed.Locate(&x, &y);
  scene.m_ScrollX.m_dPos = 110.5;
  scrolling.Locate(&x, &y);
  EXPECT_EQ(x, 287);  // stage point trunc(298 + 100.5) = 398, less 110.5, truncated
  screenFixed.Locate(&x, &y);
  EXPECT_EQ(x, 298);
}

TEST_F(MessageWindows, KeepOnScreen) {
  cMessageWindow w = Window(0, 0, 1);
  w.m_nWidth = 100;
  w.m_nHeight = 20;
  const struct {
    int x, y, outX, outY;
  } cases[] = {
      {600, 5, 540, 20}, {-1, 19, 0, 20},    {0, 20, 0, 20},
      {538, 458, 538, 458},  // right edge at 638, bottom at 478: inside
      {539, 459, 540, 460},
  };
  for (const auto& c : cases) {
    int x = c.x, y = c.y;
    w.KeepOnScreen(&x, &y);
    EXPECT_EQ(x, c.outX) << c.x;
    EXPECT_EQ(y, c.outY) << c.y;
  }
}

TEST_F(MessageWindows, CountdownDrawsNFrames) {
  for (int n : {0, 1, 3}) {
    cMessageWindow w = Window(MESSAGE_TIMER, 0, 1, MESSAGE_TIMED, n);
    for (int i = 0; i < n; ++i) EXPECT_EQ(w.Update(nullptr, 0), 0) << n;
    EXPECT_EQ(w.Update(nullptr, 0), 1) << n;
  }
  // Held frames count only when the window counts while held.
  cMessageWindow held = Window(MESSAGE_TIMER, 0, 1, MESSAGE_TIMED, 0);
  EXPECT_EQ(held.Update(nullptr, 1), 0);
  held.m_bCountWhileHeld = 1;
  EXPECT_EQ(held.Update(nullptr, 1), 1);
  // Until the key and until the stage ends: no countdown.
  cMessageWindow untilEnd = Window(MESSAGE_TIMER, 0, 1, MESSAGE_UNTIL_STAGE_END, 0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(untilEnd.Update(nullptr, 0), 0);
}

TEST_F(MessageWindows, AnchorGoneEndsTheWindow) {
  cMessageWindow w = Window(MESSAGE_TIMER, 1, 0);
  EXPECT_EQ(w.Update(nullptr, 0), 0);
  hero_->m_bRemoved = 1;
  EXPECT_EQ(w.Update(nullptr, 0), 1);
  hero_->m_bRemoved = 0;
}

TEST_F(MessageWindows, OpeningShowsTheBoxNineFramesThenTheText) {
  cMessageWindow w = Window(MESSAGE_TEXT, 0, 1, MESSAGE_UNTIL_KEY);
  w.m_strText = "abc";
  w.m_bOpening = 1;
  w.m_dOpening = 0;
  for (int i = 1; i <= 9; ++i) {
    EXPECT_EQ(w.Update(nullptr, 0), 0);
    EXPECT_EQ(w.m_bOpening, 1) << i;
  }
  w.Update(nullptr, 0);
  EXPECT_EQ(w.m_bOpening, 0);
  // The box of frame 1 and of frame 5 around a 100 × 40 window at (10, 20).
  RECT r = cMessageWindow::OpeningBox(10, 20, 100, 40, 1);
  EXPECT_EQ(r.left, 55);
  EXPECT_EQ(r.top, 38);
  EXPECT_EQ(r.right - r.left, 10);
  EXPECT_EQ(r.bottom - r.top, 4);
  r = cMessageWindow::OpeningBox(10, 20, 100, 40, 5);
  EXPECT_EQ(r.left, 35);
  EXPECT_EQ(r.top, 30);
  EXPECT_EQ(r.right - r.left, 50);
  EXPECT_EQ(r.bottom - r.top, 20);
}

TEST_F(MessageWindows, OpeningOnlyForWindowsUntilTheKey) {
  cMessageWindow w;
  w.Setup(MESSAGE_TIMER, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, MESSAGE_UNTIL_KEY, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(w.m_bOpening, 1);
  w.Setup(MESSAGE_TIMER, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, MESSAGE_UNTIL_KEY, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(w.m_bOpening, 0);
  w.Setup(MESSAGE_TIMER, nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, MESSAGE_TIMED, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(w.m_bOpening, 0);
  EXPECT_EQ(w.m_nWidth, 16);
  EXPECT_EQ(w.m_nHeight, 16);
}

TEST_F(MessageWindows, SurfaceThatCannotBeMadeIsNeverDrawnInto) {
  // Without a drawing layer no surface can be made: the window keeps none, and no record of a
  // failed surface is left in the list.
  cMessageWindow w;
  w.Setup(MESSAGE_TEXT, "abc", 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, MESSAGE_UNTIL_STAGE_END, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(w.m_pSurface, nullptr);
  EXPECT_TRUE(Off_Msg.empty());
  EXPECT_TRUE(Off_MsgEntry.empty());
  EXPECT_EQ(w.Update(nullptr, 0), 0);
  // The program is asked to close (g_hWnd is null here: the request comes to this thread).
  bool close = false;
  MSG msg{};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) close = close || msg.message == WM_CLOSE;
  EXPECT_TRUE(close);
}

TEST_F(MessageWindows, RefreshRemeasuresOnTheIntervalFrames) {
  cFont& font = g_Font[1];
  const int savedCell = font.nCellWidth, savedLine = font.nLineHeight;
  font.nCellWidth = 8;
  font.nLineHeight = 16;
  g_SaveData.m_vCommonVar[5] = 7;
  cMessageWindow w;
  w.Setup(MESSAGE_TEXT, "n=#C5", 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, MESSAGE_UNTIL_STAGE_END, 0, 0, 0, 1, 1, 1, 4, 0, 0, 0,
          0);
  EXPECT_EQ(w.m_strText, "n=7");
  EXPECT_EQ(w.m_strSource, "n=#C5");
  EXPECT_EQ(w.m_nWidth, 3 * 8 + 2);
  g_SaveData.m_vCommonVar[5] = 123;
  world_->scene.m_nFrame = 3;
  w.Update(nullptr, 0);
  EXPECT_EQ(w.m_strText, "n=7");
  world_->scene.m_nFrame = 4;
  w.Update(nullptr, 0);
  font.nCellWidth = savedCell;
  font.nLineHeight = savedLine;
  EXPECT_EQ(w.m_strText, "n=123");
  EXPECT_EQ(w.m_nWidth, 5 * 8 + 2);
  EXPECT_EQ(w.m_nHeight, 16 + 2);
}

TEST_F(MessageWindows, RemovalByIdentity) {
  cPlayScene& scene = world_->scene;
  for (int id : {1, 2, 3}) {
    scene.m_lMessage.push_back(Window(MESSAGE_TIMER, 0, 1));
    scene.m_lMessage.back().m_nId = id;
  }
  const cMessageWindow* held = &scene.m_lMessage.back();
  // A window before it ends while the game is held.
  scene.m_lMessage.pop_front();
  scene.RemoveMessage(held);
  ASSERT_EQ(scene.m_lMessage.size(), 1u);
  EXPECT_EQ(scene.m_lMessage.front().m_nId, 2);
  // One that is gone already changes nothing.
  scene.RemoveMessage(held);
  EXPECT_EQ(scene.m_lMessage.size(), 1u);
}

TEST_F(MessageWindows, PictureCountdownAndPlace) {
  cPlayScene& scene = world_->scene;
  scene.m_ScrollX.m_dPos = 10.5;
  scene.m_ScrollY.m_dPos = 20.25;
  cPicture p;
  p.Setup(5, 100.0, 200.0, 32, 16, 1, 0, 150, MESSAGE_TIMED, 2, 0, 7, 8);
  EXPECT_EQ(p.m_bScaled, 1);
  EXPECT_EQ(p.m_bPlaced, 1);
  EXPECT_EQ(p.m_nScreenX, 89);
  EXPECT_EQ(p.m_nScreenY, 179);
  EXPECT_EQ(p.Draw(nullptr, nullptr, 0), 0);
  EXPECT_EQ(p.Draw(nullptr, nullptr, 1), 0);  // a held frame does not count
  EXPECT_EQ(p.Draw(nullptr, nullptr, 0), 0);
  EXPECT_EQ(p.Draw(nullptr, nullptr, 0), 1);
  cPicture q;
  q.Setup(6, 100.0, 200.0, 32, 16, 0, 0, 100, MESSAGE_UNTIL_KEY, 0, 0, 0, 0);
  EXPECT_EQ(q.m_bScaled, 0);
  EXPECT_EQ(q.m_bPlaced, 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(q.Draw(nullptr, nullptr, 0), 0);
}

TEST_F(MessageWindows, WaitRequest) {
  const struct {
    int mode, key, frames, chained, delay;
  } cases[] = {
      {1, 1, 0, 0, 10}, {1, 1, 0, 1, 0}, {1, 0, 30, 0, 0}, {3, 1, 0, 0, 0}, {4, 0, 30, 0, 0},
  };
  for (const auto& c : cases) {
    world_->scene.m_PauseWait.m_nCount = 5;
    SetPauseWait(c.mode, c.key, c.frames, c.chained);
    const cPauseWait& w = world_->scene.m_PauseWait;
    EXPECT_EQ(w.m_nMode, c.mode);
    EXPECT_EQ(w.m_bWaitKey, c.key);
    EXPECT_EQ(w.m_nFrames, c.frames);
    EXPECT_EQ(w.m_nKeyDelay, c.delay) << c.mode << c.key << c.chained;
    EXPECT_EQ(w.m_nCount, 0);
  }
}

}  // namespace

namespace {

// Text windows with their surfaces, on the DirectDraw back-end of a test window.
class MessageSurfaces : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    savedCell_ = g_Font[1].nCellWidth;
    savedLine_ = g_Font[1].nLineHeight;
    g_Font[1].nCellWidth = 8;
    g_Font[1].nLineHeight = 16;
  }
  void TearDown() override {
    g_Font[1].nCellWidth = savedCell_;
    g_Font[1].nLineHeight = savedLine_;
    DDReleaseSurfaceList(Off_Msg);
    Off_Msg.clear();
    Off_MsgEntry.clear();
    DrawTest::TearDown();
  }
  static cMessageWindow Text(const char* text, int expand = 0) {
    cMessageWindow w;
    w.Setup(MESSAGE_TEXT, text, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, MESSAGE_UNTIL_STAGE_END, 0, 0, 0, 1, expand, 0, 0, 0, 0,
            0, 0);
    return w;
  }
  int savedCell_ = 0;
  int savedLine_ = 0;
};

TEST_F(MessageSurfaces, EachTextWindowHasItsSurfaceInTheList) {
  InitOrFail(0, 32, 1);
  cMessageWindow a = Text("abc");
  cMessageWindow b = Text("de\nf");
  ASSERT_EQ(Off_Msg.size(), 2u);
  ASSERT_EQ(Off_MsgEntry.size(), 2u);
  EXPECT_EQ(a.m_pSurface, &Off_Msg.front());
  EXPECT_EQ(b.m_pSurface, &Off_Msg.back());
  EXPECT_EQ(a.m_pSurface->nWidth, 3 * 8 + 2);
  EXPECT_EQ(a.m_pSurface->nHeight, 16 + 2);
  EXPECT_EQ(b.m_pSurface->nWidth, 2 * 8 + 2);
  EXPECT_EQ(b.m_pSurface->nHeight, 2 * 16 + 2);
  // A timed window ends in its first frame with countdown 0 and takes its surface along.
  a.m_nDisplayMode = MESSAGE_TIMED;
  EXPECT_EQ(a.Update(&BackBuffer, 0), 1);
  ASSERT_EQ(Off_Msg.size(), 1u);
  EXPECT_EQ(b.m_pSurface, &Off_Msg.front());
}

TEST_F(MessageSurfaces, ARefreshThatChangesTheSizeKeepsTheSlot) {
  InitOrFail(0, 32, 1);
  cSafeVector<int32_t> saved = g_SaveData.m_vCommonVar;
  if (g_SaveData.m_vCommonVar.size() < 10) g_SaveData.m_vCommonVar.resize(10, 0);
  g_SaveData.m_vCommonVar[3] = 5;
  cMessageWindow a = Text("#C3", 1);
  cMessageWindow b = Text("xy");
  g_SaveData.m_vCommonVar[3] = 12345;
  a.Refresh();
  g_SaveData.m_vCommonVar = saved;
  ASSERT_EQ(Off_Msg.size(), 2u);
  EXPECT_EQ(a.m_pSurface, &Off_Msg.front());
  EXPECT_EQ(a.m_pSurface->nWidth, 5 * 8 + 2);
  EXPECT_EQ(b.m_pSurface, &Off_Msg.back());
}

TEST_F(MessageSurfaces, LittleFreeVideoMemorySendsTheSurfaceToSystemMemory) {
  InitOrFail(0, 32, 1);
  const int64_t used = gfx::kVideoMemoryTotal - gfx::VideoMemoryFree();
  // 103 MB free of 512 is 20 %: video memory; 102 MB is below 20 %: system memory.
  gfx::SetVideoMemoryBudgetForTest(used + (int64_t{103} << 20));
  cMessageWindow a = Text("a");
  gfx::SetVideoMemoryBudgetForTest(used + (int64_t{103} << 20) - 1);
  cMessageWindow b = Text("b");
  gfx::SetVideoMemoryBudgetForTest(-1);
  ASSERT_EQ(Off_MsgEntry.size(), 2u);
  EXPECT_EQ(Off_MsgEntry.front().nDDMemory, 0);
  EXPECT_EQ(Off_MsgEntry.back().nDDMemory, 1);
}

}  // namespace
