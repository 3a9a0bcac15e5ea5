// Shot and sword drawing: the cell a shot's graphic number and pattern pick on the shot sheet
// of its facing, the sword's frame on its type's image of its facing, the stretch above zoom 1,
// the transparent colour and the hidden switch, with pixels read back from the drawing layer
// (DirectDraw at 8 bits: the pixels are palette numbers).
#include <gtest/gtest.h>

#include "core/anim_seq.h"
#include "draw_fixture.h"
#include "engine/chara_anim.h"
#include "engine/shot.h"
#include "engine/stage_images.h"
#include "fixture/fixture.h"
#include "play_kit.h"
#include "project/database.h"

namespace {

constexpr DWORD kBack = 1;
constexpr DWORD kInk = 5;
constexpr DWORD kOther = 7;

class ShotDrawTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    savedDb_ = g_Database;
    ASSERT_TRUE(Init(0, 8, 0));
    Make(&dst_, 640, 480, 0);
    DDClearSurface(&dst_, kBack);
  }
  void TearDown() override {
    for (DDSURFACEDATA* sd : made_) DDReleaseSurface(sd);
    for (int i = 0; i < DD_SYSTEM_IMAGE_COUNT; ++i) g_SystemImage[i] = DDSURFACEDATA();
    g_vSwordSurface.clear();
    g_Database = savedDb_;
    DrawTest::TearDown();
  }
  void Make(DDSURFACEDATA* sd, int w, int h, int transmit = 1) {
    ASSERT_TRUE(DDCreateSurface(sd, w, h, transmit, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
    made_.push_back(sd);
    DDClearSurface(sd, 0);
  }
  // A 640 × 480 transparent sheet filled with kOther, except one rectangle in kInk whose left
  // half is transparent (colour 0): only the ink may reach the screen.
  void InkSheet(DDSURFACEDATA* sd, int x, int y, int w, int h) {
    if (!HasSurface(sd)) Make(sd, 640, 480);
    DDClearSurface(sd, kOther);
    DDFillRect(sd, x, y, w, h, kInk);
    DDFillRect(sd, x, y, w / 2, h, 0);
  }
  int Count(int x, int y, int w, int h, DWORD colour) {
    int n = 0;
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) n += Pixel(&dst_, i, j) == colour ? 1 : 0;
    return n;
  }
  // Everything on screen that is not the background.
  int Drawn() { return 640 * 480 - Count(0, 0, 640, 480, kBack); }
  static void Place(cShot& s, int zoom, int w, int h) {
    s.m_Shot.m_byZoom = static_cast<uint8_t>(zoom);
    s.m_nBaseGraphicW = w;
    s.m_nBaseGraphicH = h;
    s.m_nGraphicW = w * zoom;
    s.m_nGraphicH = h * zoom;
    s.m_rcScreen = RECT{100, 50, 100 + w * zoom - 1, 50 + h * zoom - 1};
  }

  DDSURFACEDATA dst_;
  std::vector<DDSURFACEDATA*> made_;
  cDatabase savedDb_;
};

TEST_F(ShotDrawTest, ShotCellFromGraphicPatternAndFacing) {
  // Cell of graphic g with pattern p: x = ((g / 30) × 2 + p) × 16, y = (g mod 30) × 16, on
  // image 20 facing left and 21 facing right.
  const struct {
    int graphic, pattern, dir, image, sx, sy;
  } cases[] = {
      {0, 0, 0, 20, 0, 0},       {0, 0, 1, 21, 0, 0},       {1, 0, 0, 20, 0, 16},
      {29, 0, 0, 20, 0, 464},    {30, 0, 0, 20, 32, 0},     {31, 1, 1, 21, 48, 16},
      {59, 1, 0, 20, 48, 464},   {65, 0, 1, 21, 64, 80},
  };
  Make(&g_SystemImage[20], 640, 480);
  Make(&g_SystemImage[21], 640, 480);
  for (const auto& k : cases) {
    DDClearSurface(&g_SystemImage[20], kOther);
    DDClearSurface(&g_SystemImage[21], kOther);
    InkSheet(&g_SystemImage[k.image], k.sx, k.sy, 16, 16);
    DDClearSurface(&dst_, kBack);
    cShot s;
    s.m_nGraphic = k.graphic;
    s.m_nDir = k.dir;
    const int steps[] = {k.pattern, 1000, 0, ANIM_LOOP, 0, 0};
    const int* table[] = {steps, nullptr};
    s.m_Anime.Build(table);
    Place(s, 1, 16, 16);
    s.Draw(&dst_, 1);
    // The right half of the cell is ink; its transparent left half leaves the background.
    EXPECT_EQ(Count(108, 50, 8, 16, kInk), 128) << k.graphic << "/" << k.dir;
    EXPECT_EQ(Count(100, 50, 8, 16, kBack), 128) << k.graphic << "/" << k.dir;
    EXPECT_EQ(Drawn(), 128) << k.graphic << "/" << k.dir;
  }
}

TEST_F(ShotDrawTest, HeldDrawKeepsThePatternUnheldStepsIt) {
  // Pattern 0 for one frame, then pattern 1.
  InkSheet(&g_SystemImage[20], 16, 0, 16, 16);
  cShot s;
  const int steps[] = {0, 1, 0, 1, 1000, 0, ANIM_LOOP, 0, 0};
  const int* table[] = {steps, nullptr};
  s.m_Anime.Build(table);
  Place(s, 1, 16, 16);
  s.Draw(&dst_, 1);
  EXPECT_EQ(Count(100, 50, 16, 16, kInk), 0);  // pattern 0: the cell without ink
  int shown = 0;
  for (int i = 0; i < 3 && shown == 0; ++i) {
    s.Draw(&dst_, 0);
    shown = Count(108, 50, 8, 16, kInk);
  }
  EXPECT_EQ(shown, 128);  // stepping reached pattern 1
  const int step = s.m_Anime.StepIndex();
  s.Draw(&dst_, 1);
  EXPECT_EQ(s.m_Anime.StepIndex(), step);
}

TEST_F(ShotDrawTest, ZoomStretchesTheCell) {
  InkSheet(&g_SystemImage[20], 0, 0, 16, 16);
  const struct {
    int zoom, inkWidth;
  } cases[] = {{1, 8}, {2, 16}, {3, 24}};
  for (const auto& k : cases) {
    DDClearSurface(&dst_, kBack);
    cShot s;
    Place(s, k.zoom, 16, 16);
    s.Draw(&dst_, 1);
    const int side = 16 * k.zoom;
    EXPECT_EQ(Count(100 + side / 2, 50, side / 2, side, kInk), k.inkWidth * side) << k.zoom;
    EXPECT_EQ(Drawn(), k.inkWidth * side) << k.zoom;
  }
}

TEST_F(ShotDrawTest, HiddenOrWithoutACellDrawsNothing) {
  InkSheet(&g_SystemImage[20], 0, 0, 640, 480);
  cShot hidden;
  hidden.m_Shot.m_bHidden = 1;
  Place(hidden, 1, 16, 16);
  hidden.Draw(&dst_, 0);
  cShot negative;
  negative.m_nGraphic = -1;
  Place(negative, 1, 16, 16);
  negative.Draw(&dst_, 0);
  // No sheet loaded for the facing.
  cShot noSheet;
  noSheet.m_nDir = 1;
  Place(noSheet, 1, 16, 16);
  noSheet.Draw(&dst_, 0);
  EXPECT_EQ(Drawn(), 0);
}

// Sword type 1 with two frames of 24 × 8 and 16 × 32; its four images, the right-facing one
// third.
class SwordDrawTest : public ShotDrawTest {
 protected:
  void SetUp() override {
    ShotDrawTest::SetUp();
    g_Database.m_vSwordType.resize(2);
    cSwordTypeSub a, b;
    a.m_nSrcX = 40;
    a.m_nSrcY = 10;
    a.m_nWidth = 24;
    a.m_nHeight = 8;
    b.m_nSrcX = 200;
    b.m_nSrcY = 300;
    b.m_nWidth = 16;
    b.m_nHeight = 32;
    g_Database.m_vSwordType[1].m_vSwing = {a, b};
    g_vSwordSurface.resize(8);
    for (DDSURFACEDATA& sd : g_vSwordSurface) {
      Make(&sd, 640, 480);
      DDClearSurface(&sd, kOther);
    }
  }
  static void Sword(cShot& s, int frame, int dir, int zoom) {
    const cSwordTypeSub& f = g_Database.m_vSwordType[1].m_vSwing[static_cast<size_t>(frame)];
    s.m_bShot = 0;
    s.m_Shot.m_byTrajectory = 1;
    s.m_nFrame = frame;
    s.m_nDir = dir;
    Place(s, zoom, f.m_nWidth, f.m_nHeight);
  }
};

TEST_F(SwordDrawTest, FrameSourceOnTheImageOfTheFacing) {
  const struct {
    int frame, dir, image, sx, sy, w, h;
  } cases[] = {{0, 0, 4, 40, 10, 24, 8}, {0, 1, 6, 40, 10, 24, 8}, {1, 1, 6, 200, 300, 16, 32}};
  for (const auto& k : cases) {
    for (DDSURFACEDATA& sd : g_vSwordSurface) DDClearSurface(&sd, kOther);
    InkSheet(&g_vSwordSurface[static_cast<size_t>(k.image)], k.sx, k.sy, k.w, k.h);
    DDClearSurface(&dst_, kBack);
    cShot s;
    Sword(s, k.frame, k.dir, 1);
    s.Draw(&dst_, 0);
    EXPECT_EQ(Count(100 + k.w / 2, 50, k.w / 2, k.h, kInk), k.w / 2 * k.h) << k.frame << "/" << k.dir;
    EXPECT_EQ(Drawn(), k.w / 2 * k.h) << k.frame << "/" << k.dir;
  }
}

TEST_F(SwordDrawTest, ZoomStretchesTheFrame) {
  InkSheet(&g_vSwordSurface[6], 200, 300, 16, 32);
  cShot s;
  Sword(s, 1, 1, 2);
  s.Draw(&dst_, 0);
  EXPECT_EQ(Count(116, 50, 16, 64, kInk), 16 * 64);
  EXPECT_EQ(Drawn(), 16 * 64);
}

TEST_F(SwordDrawTest, TypeOrFrameOutsideTheTablesDrawsNothing) {
  InkSheet(&g_vSwordSurface[4], 0, 0, 640, 480);
  cShot pastFrames;
  Sword(pastFrames, 1, 0, 1);
  pastFrames.m_nFrame = 2;
  pastFrames.Draw(&dst_, 0);
  // Type 3 is past the table; type 2 has frames but no images were loaded for it.
  cShot pastTypes;
  Sword(pastTypes, 0, 0, 1);
  pastTypes.m_Shot.m_byTrajectory = 3;
  pastTypes.Draw(&dst_, 0);
  g_Database.m_vSwordType.push_back(g_Database.m_vSwordType[1]);
  cShot noImage;
  Sword(noImage, 0, 1, 1);
  noImage.m_Shot.m_byTrajectory = 2;
  noImage.Draw(&dst_, 0);
  EXPECT_EQ(Drawn(), 0);
}

}  // namespace

namespace {

// Two overlapping shots in a scene's frame: the one made first is on side 1 with graphic 1
// (colour 6), the second on side 0 with graphic 0 (colour 5).
class ShotOrderTest : public ShotDrawTest {
 protected:
  void Run(int byPriority) {
    DDSURFACEDATA* sheet = &g_SystemImage[20];
    if (!HasSurface(sheet)) Make(sheet, 640, 480);
    DDFillRect(sheet, 0, 0, 16, 16, 5);
    DDFillRect(sheet, 0, 16, 16, 16, 6);
    cStage stage = fixture::Stage(40, 30);
    stage.m_bDrawByPriority = byPriority;
    playkit::PlayWorld world(stage);
    const int sides[2] = {1, 0};
    for (int side : sides) {
      cShot s;
      s.m_nLayer = side;
      s.m_nGraphic = side;
      s.m_nWidth = s.m_nHeight = s.m_nGraphicW = s.m_nGraphicH = s.m_nBaseGraphicW = s.m_nBaseGraphicH = 16;
      s.m_dX = world.scene.m_ScrollX.m_dPos + 100;
      s.m_dY = world.scene.m_ScrollY.m_dPos + 100;
      s.m_dFarX = s.m_dX + 15;
      s.m_dFarY = s.m_dY + 15;
      s.m_bOnScreen = 1;
      shots.push_back(&CloneShot(world.scene.m_lShot, s));
    }
    world.scene.Draw(1, 0, 0, 0);
    ASSERT_EQ(shots[0]->m_rcScreen.left, shots[1]->m_rcScreen.left);
    centre = Pixel(&BackBuffer, shots[0]->m_rcScreen.left + 8, shots[0]->m_rcScreen.top + 8);
    drawn = centre == 5 || centre == 6;
    world.scene.m_lShot.Clear();
    for (auto& list : world.scene.m_vShotDrawList) list.clear();
  }
  std::vector<cShot*> shots;
  DWORD centre = 0;
  bool drawn = false;
};

TEST_F(ShotOrderTest, ShotsDrawInListOrderOrByLayerWhenLayersAreOn) {
  Run(0);
  ASSERT_TRUE(drawn) << centre;
  EXPECT_EQ(centre, 5u);  // layers off: list order, the later shot on top
  shots.clear();
  Run(1);
  ASSERT_TRUE(drawn) << centre;
  EXPECT_EQ(centre, 6u);  // layers on: layer 1 after layer 0
}

}  // namespace
