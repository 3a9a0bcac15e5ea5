// Graphic cells for every kind, use and facing with their fallbacks, the basic animation set,
// the animations that the flows' schedules start, and the stop and unmark rules.
#include <gtest/gtest.h>

#include "draw/draw.h"
#include "engine/chara.h"
#include "engine/chara_anim.h"
#include "engine/stage_images.h"
#include "project/database.h"
#include "support/temp_dir.h"

namespace {

// Sheet sizes as the system images have them; the database and the stage surfaces restored.
class GraphicCellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = std::make_unique<CoreTestEnv>(true);
    savedDb_ = g_Database;
    for (int i = 0; i < DD_SYSTEM_IMAGE_COUNT; ++i) {
      g_SystemImage[i].nWidth = 640;
      g_SystemImage[i].nHeight = 480;
    }
    g_Database.m_vBmpCharaExc.assign(3, cBmpCharaExc());
    g_Database.m_vBmpCharaExc[1].m_bLargeCell = 0;
    g_Database.m_vBmpCharaExc[2].m_bLargeCell = 1;
    g_Database.m_vBmpCharaExc[2].m_nCellUnits = 2;
    g_vStageBmpSurface.assign(8, DDSURFACEDATA());
  }
  void TearDown() override {
    for (int i = 0; i < DD_SYSTEM_IMAGE_COUNT; ++i) g_SystemImage[i] = DDSURFACEDATA();
    g_vStageBmpSurface.clear();
    g_bVideoStretch = 0;
    g_Database = savedDb_;
    env_.reset();
  }
  static DDSURFACEDATA* Img(int n) { return &g_SystemImage[n]; }
  static DDSURFACEDATA* Stage(int n) { return &g_vStageBmpSurface[static_cast<size_t>(n)]; }

  std::unique_ptr<CoreTestEnv> env_;
  cDatabase savedDb_;
};

TEST_F(GraphicCellTest, SurfacesAndSourceByKindUseAndFacing) {
  cObject left;
  left.m_nDir = 0;
  cObject right;
  right.m_nDir = 1;
  const struct {
    int use, kind, a, b, c;
    const cObject* obj;
    DDSURFACEDATA *own, *own2, *opp, *opp2;
    int x, y, multi, cells;
  } cases[] = {
      // Block chips run 15 to a column: 15 heads the second column, 16 is below it.
      {0, 0, 14, 0, 0, nullptr, Img(2), Img(3), Img(2), Img(3), 0, 448, 0, 1},
      {0, 0, 15, 0, 0, nullptr, Img(2), Img(3), Img(2), Img(3), 32, 0, 0, 1},
      {0, 0, 16, 0, 0, nullptr, Img(2), Img(3), Img(2), Img(3), 32, 32, 0, 1},
      // Character sheet 1 (a = 17: row 2), cell base 2 + frame 3, both facings.
      {1, 1, 17, 2, 3, &left, Img(6), Img(24), Img(7), Img(25), 160, 64, 0, 1},
      {1, 1, 17, 2, 3, &right, Img(7), Img(25), Img(6), Img(24), 160, 64, 0, 1},
      // Without a facing: cells from 20 on come from the mirrored sheet.
      {0, 1, 3, 19, 0, nullptr, Img(4), Img(22), nullptr, nullptr, 19 * 32, 96, 0, 1},
      {0, 1, 3, 21, 0, nullptr, Img(5), Img(23), nullptr, nullptr, 32, 96, 0, 1},
      // Sheet 7 is the last; sheet 8 and a cell past the sheet fall back to sheet 0 at (0, 0).
      {1, 1, 105, 0, 0, &left, Img(18), Img(36), Img(19), Img(37), 0, 0, 0, 1},
      {1, 1, 120, 0, 0, &left, Img(4), Img(22), Img(4), Img(22), 0, 0, 0, 1},
      {1, 1, 0x7FFFFFFF, 0, 0, &left, Img(4), Img(22), Img(4), Img(22), 0, 0, 0, 1},
      {1, 1, 1, 19, 0, &left, Img(4), Img(22), Img(5), Img(23), 608, 32, 0, 1},
      {1, 1, 1, 20, 0, &left, Img(4), Img(22), Img(4), Img(22), 0, 0, 0, 1},
      {1, 1, -1, 0, 0, &left, Img(4), Img(22), Img(4), Img(22), 0, 0, 0, 1},
      // Items: 64 dots per column, the frame adds 32 with use 2 only.
      {2, 2, 16, 0, 1, nullptr, Img(40), Img(41), Img(40), Img(41), 96, 32, 0, 1},
      {0, 2, 16, 0, 1, nullptr, Img(40), Img(41), Img(40), Img(41), 64, 32, 0, 1},
      // Shots: 30 to a column, the facing picks the left or right work surface.
      {1, 3, 31, 0, 0, &right, Img(64), Img(64), Img(63), Img(63), 64, 32, 0, 1},
      {1, 3, 29, 0, 0, &left, Img(63), Img(63), Img(64), Img(64), 0, 928, 0, 1},
      // Dedicated sheets: entry 1 in 32-dot cells, 16 to a row.
      {1, 4, 1, 16, 1, &left, Stage(0), Stage(2), Stage(1), Stage(3), 32, 32, 0, 1},
      {0, 4, 1, 17, 5, nullptr, Stage(0), Stage(2), nullptr, nullptr, 32, 32, 0, 1},
      // Entry 2 in cells of 2 units, 8 to a row: cell 9 + 1 = 10 is (2, 1).
      {1, 4, 2, 9, 1, &right, Stage(5), Stage(7), Stage(4), Stage(6), 128, 64, 1, 2},
      // Entry 0 is none, entry 3 is past the list: nothing to draw.
      {1, 4, 0, 0, 0, &left, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 1},
      {1, 4, 3, 0, 0, &left, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 1},
      {1, 9, 3, 0, 0, &left, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 1},
  };
  for (const auto& k : cases) {
    cGraphicRef ref;
    ref.Set(k.use, k.kind, k.a, k.b, k.obj, k.c);
    const std::string at = "use " + std::to_string(k.use) + " kind " + std::to_string(k.kind) + " a " +
                           std::to_string(k.a) + " b " + std::to_string(k.b);
    EXPECT_EQ(ref.lpOwn, k.own) << at;
    EXPECT_EQ(ref.lpOwn2, k.own2) << at;
    EXPECT_EQ(ref.lpOpp, k.opp) << at;
    EXPECT_EQ(ref.lpOpp2, k.opp2) << at;
    EXPECT_EQ(ref.nSrcX, k.x) << at;
    EXPECT_EQ(ref.nSrcY, k.y) << at;
    EXPECT_EQ(ref.bMultiCell, k.multi) << at;
    EXPECT_EQ(ref.byCells, k.cells) << at;
    // DirectDraw without video stretching draws from the second variants.
    EXPECT_EQ(ref.lpChosenOwn, k.own2) << at;
    EXPECT_EQ(ref.lpChosenOpp, k.opp2) << at;
  }
}

TEST_F(GraphicCellTest, VideoStretchDrawsFromTheFirstVariants) {
  g_bVideoStretch = 1;
  cObject left;
  cGraphicRef ref;
  ref.Set(1, 1, 0, 0, &left, 0);
  EXPECT_EQ(ref.lpChosenOwn, Img(4));
  EXPECT_EQ(ref.lpChosenOpp, Img(5));
  SelectEffectSurfaces();
  EXPECT_EQ(g_lpZoomMarkSurface, Img(43));
  EXPECT_EQ(g_lpCharaWorkSurface, Img(67));
  EXPECT_EQ(g_lpCharaWorkSurface2, Img(68));
  g_bVideoStretch = 0;
  SelectEffectSurfaces();
  EXPECT_EQ(g_lpZoomMarkSurface, Img(44));
  EXPECT_EQ(g_lpCharaWorkSurface, Img(68));
  EXPECT_EQ(g_lpCharaWorkSurface2, Img(68));
}

// One animation set: animation 0 shows 3 for 2 tenths and 5 for 1 tenth, animation 1 shows 9.
cAnimeSet TwoAnimations() {
  cAnimeSet set;
  set.m_vAnimation.assign(2, cAnime());
  cAnimeFrame a;
  a.m_nPattern = 3;
  a.m_nTime = 2;
  cAnimeFrame b;
  b.m_nPattern = 5;
  b.m_nTime = 1;
  set.m_vAnimation[0].m_vFrame = {a, b};
  cAnimeFrame c;
  c.m_nPattern = 9;
  set.m_vAnimation[1].m_vFrame = {c};
  return set;
}

TEST_F(GraphicCellTest, AnimationSetStepsLoopAndRestartOnlyWhenForced) {
  g_Database.m_vAnimeSet = {cAnimeSet(), TwoAnimations()};
  cChara chara;
  chara.SetAnimeSet(1, 1);
  EXPECT_EQ(chara.m_Data.m_wAnimeSet, 1);
  EXPECT_EQ(chara.m_Anime.Pattern(), 3);
  // 3 is shown 12 frames, 5 for 6, then the loop.
  for (int i = 1; i < 12; ++i) EXPECT_EQ(chara.m_Anime.Step(), 3) << i;
  EXPECT_EQ(chara.m_Anime.Step(), 5);
  for (int i = 1; i < 6; ++i) EXPECT_EQ(chara.m_Anime.Step(), 5) << i;
  EXPECT_EQ(chara.m_Anime.Step(), 3);
  chara.m_Anime.Step();
  // The same set again keeps the step; forced, it restarts the current animation.
  chara.SetAnimeSet(1, 0);
  EXPECT_EQ(chara.m_Anime.Counter(), 1);
  chara.m_Anime.Set(1, 1);
  chara.m_Anime.Step();
  chara.SetAnimeSet(1, 1);
  EXPECT_EQ(chara.m_Anime.Anime(), 1);
  EXPECT_EQ(chara.m_Anime.Counter(), 0);
  EXPECT_EQ(chara.m_Anime.Pattern(), 9);
  // A set past the list is reported and the first entry used.
  chara.SetAnimeSet(7, 0);
  EXPECT_EQ(chara.m_Data.m_wAnimeSet, 0);
  EXPECT_NE(env_->ErrorText().find("err V[7]"), std::string::npos);
}

TEST_F(GraphicCellTest, StopEndsSpentAnimationsAndFlagsTheOthers) {
  cChara chara;
  const struct {
    int count, loops, id;
  } anims[] = {{0, 0, 4}, {1, 0, 4}, {-1, 1, 4}, {0, 2, 4}, {0, 0, 5}};
  for (const auto& a : anims) {
    cRunningAnime r;
    r.nCount = a.count;
    r.nLoops = a.loops;
    r.nFlowId = a.id;
    chara.m_lAnime.push_back(r);
  }
  chara.StopFlowAnims(4);
  ASSERT_EQ(chara.m_lAnime.size(), 3u);
  auto it = chara.m_lAnime.begin();
  EXPECT_EQ(it->nCount, 1);
  EXPECT_EQ(it->bEnd, 1);
  ++it;
  EXPECT_EQ(it->nLoops, 2);
  EXPECT_EQ(it->bEnd, 1);
  ++it;
  EXPECT_EQ(it->nFlowId, 5);
  EXPECT_EQ(it->bEnd, 0);
  chara.UnmarkFlowAnims(4);
  for (const cRunningAnime& r : chara.m_lAnime) EXPECT_EQ(r.bEnd, 0);
}

class CommandAnimTest : public GraphicCellTest {
 protected:
  void SetUp() override {
    GraphicCellTest::SetUp();
    savedSteps_ = g_vAnimeSteps;
    // Animation 1: 7 for 12 frames (flag f), 8 for 6, end.
    g_vAnimeSteps.assign(2, cSafeVector<AnimStep>());
    g_vAnimeSteps[0] = {AnimStep{0, 0, 1}, AnimStep{ANIM_LOOP, 0, 1}};
  }
  void TearDown() override {
    g_vAnimeSteps = savedSteps_;
    GraphicCellTest::TearDown();
  }
  void Steps(int flag) {
    g_vAnimeSteps[1] = {AnimStep{7, 12, flag}, AnimStep{8, 6, flag}, AnimStep{ANIM_END, 0, 0}};
  }
  cFlowRun& AddRun(cChara& chara, int runId, int tick, const cAnimSchedule& e) {
    cFlowRun run;
    run.m_nRunId = runId;
    run.m_bRunning = 1;
    run.m_nTicks = tick;
    run.m_vAnimSchedule.push_back(e);
    chara.m_vFlowRun.push_back(run);
    return chara.m_vFlowRun.back();
  }
  static cAnimSchedule Entry(int startTick, int skip, int length, int cmdTime, int hold) {
    cAnimSchedule e;
    e.m_nStartTick = e.m_nStartTick2 = startTick;
    e.m_sAnime = 1;
    e.m_sSkip = static_cast<int16_t>(skip);
    e.m_sLength = static_cast<int16_t>(length);
    e.m_sCmdTime = static_cast<int16_t>(cmdTime);
    e.m_bHold = hold;
    return e;
  }
  cAnimStepTable savedSteps_;
};

TEST_F(CommandAnimTest, EntryStartsOnItsTickWithTheSkippedFrames) {
  Steps(0);
  cChara chara;
  AddRun(chara, 3, 6, Entry(6, 6, 12, 30, 1));
  AddRun(chara, 4, 5, Entry(6, 0, 18, 30, 1));  // its tick has not come
  cFlowRun& paused = AddRun(chara, 5, 6, Entry(6, 0, 18, 30, 1));
  paused.m_bPaused = 1;
  cFlowRun& idle = AddRun(chara, 6, 6, Entry(6, 0, 18, 30, 1));
  idle.m_bRunning = 0;
  chara.StartCommandAnims();
  ASSERT_EQ(chara.m_lAnime.size(), 1u);
  cRunningAnime& a = chara.m_lAnime.front();
  EXPECT_EQ(a.bFlowStarted, 1);
  EXPECT_EQ(a.nCount, 12);
  EXPECT_EQ(a.nLoops, 30);
  EXPECT_EQ(a.nFlowId, 3);
  EXPECT_EQ(a.bEnd, 0);
  // 6 of the 12 frames of the first step were skipped; no flagged step, nothing held.
  EXPECT_EQ(a.seq.Pattern(), 7);
  for (int i = 1; i < 6; ++i) EXPECT_EQ(a.seq.Step(), 7) << i;
  EXPECT_EQ(a.seq.Step(), 8);
  for (int i = 1; i < 6; ++i) EXPECT_EQ(a.seq.Step(), 8) << i;
  EXPECT_EQ(a.seq.Step(), ANIM_END);
  // The newest animation goes to the front.
  chara.m_vFlowRun[1].m_nTicks = 6;
  chara.StartCommandAnims();
  ASSERT_EQ(chara.m_lAnime.size(), 3u);
  EXPECT_EQ(chara.m_lAnime.front().nFlowId, 4);
}

TEST_F(CommandAnimTest, HeldCommandKeepsTheFirstFlaggedStepForItsTime) {
  Steps(1);
  for (const int hold : {0, 1}) {
    cChara chara;
    AddRun(chara, 1, 0, Entry(0, 0, 18, 30, hold));
    chara.StartCommandAnims();
    ASSERT_EQ(chara.m_lAnime.size(), 1u);
    cAnimSeq& seq = chara.m_lAnime.front().seq;
    // Held: 12 + 30 - 1 frames of 7; else 12.
    const int frames = hold ? 41 : 12;
    for (int i = 1; i < frames; ++i) ASSERT_EQ(seq.Step(), 7) << hold << " " << i;
    EXPECT_EQ(seq.Step(), 8) << hold;
  }
}

}  // namespace
