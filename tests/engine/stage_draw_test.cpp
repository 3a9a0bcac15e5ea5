// Stage drawing: the head-up display's layout, the background layers, the sight mask, the
// screen colour and the screen effect drawn over the frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "../draw/draw_fixture.h"
#include "core/frame_timing.h"
#include "draw/draw.h"
#include "draw/png_file.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/stage_draw.h"
#include "engine/stage_images.h"
#include "draw/bmp_font.h"
#include "fixture/fixture.h"
#include "play_kit.h"
#include "project/database.h"
#include "project/system_data.h"

namespace {

// ---- The head-up display's layout ----

DisplayItem Item(bool show, bool icon, const char* label, int digits) {
  DisplayItem d;
  d.m_bShow = show;
  d.m_bIcon = icon;
  d.m_strLabel = label;
  d.m_nDigits = static_cast<uint32_t>(digits);
  return d;
}

TEST(HudLayout, ItemsShareTheBarWithEqualGaps) {
  struct Case {
    const char* name;
    std::vector<DisplayItem> items;
    long long x[5];
    long long width[5];
    int shown;
  } cases[] = {
      // Labels of 2, 2, 2, 2 and 1 characters (two-byte ones count once), 6 digits for both
      // scores, 2 for the lives: widths 128, 128, 82, 82, 48; gap (638 - 468) / 6 = 28.
      {"labels",
       {Item(true, false, "得点", 6), Item(true, false, "ST", 6), Item(true, false, "体力", 0),
        Item(true, false, "SP", 0), Item(true, false, "人", 2)},
       {28, 184, 340, 450, 560},
       {128, 128, 82, 82, 48},
       5},
      // Icons: 112, 112, 66, 66, 48 = 404; gap (638 - 404) / 6 = 39.
      {"icons",
       {Item(true, true, "", 6), Item(true, true, "", 6), Item(true, true, "", 0), Item(true, true, "", 0),
        Item(true, true, "", 2)},
       {39, 190, 341, 446, 551},
       {112, 112, 66, 66, 48},
       5},
      // Only the lives: gap (638 - 48) / 2 = 295.
      {"one",
       {Item(false, true, "", 6), Item(false, true, "", 6), Item(false, true, "", 0), Item(false, true, "", 0),
        Item(true, false, "L", 2)},
       {-1, -1, -1, -1, 295},
       {0, 0, 0, 0, 48},
       1},
      {"none",
       {Item(false, true, "", 6), Item(false, true, "", 6), Item(false, true, "", 0), Item(false, true, "", 0),
        Item(false, false, "L", 2)},
       {-1, -1, -1, -1, -1},
       {0, 0, 0, 0, 0},
       0},
      // Wider than the bar: 16 + 39 × 16 = 640 and 48; gap (638 - 688) / 3 = -16 (toward zero):
      // the first item starts left of the bar.
      {"wider than the bar",
       {Item(true, true, "", 39), Item(false, true, "", 6), Item(false, true, "", 0), Item(false, true, "", 0),
        Item(true, true, "", 2)},
       {-16, -1, -1, -1, 608},
       {640, 0, 0, 0, 48},
       2},
      // A digit count from a damaged System.dat: 16 + 134,217,732 × 16 = 2,147,483,728 dots, past
      // 32 bits; gap (638 - 2,147,483,728) / 2 = -1,073,741,545.
      {"digits past 32 bits",
       {Item(true, true, "", 134217732), Item(false, true, "", 6), Item(false, true, "", 0),
        Item(false, true, "", 0), Item(false, true, "", 2)},
       {-1073741545, -1, -1, -1, -1},
       {2147483728LL, 0, 0, 0, 0},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cSafeVector<DisplayItem> items;
    for (const DisplayItem& d : c.items) items.push_back(d);
    const HudLayout layout = LayOutHud(items);
    EXPECT_EQ(layout.shown, c.shown);
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(layout.show[i], c.items[static_cast<size_t>(i)].m_bShow != 0) << "item " << i;
      EXPECT_EQ(layout.x[i], c.x[i]) << "item " << i;
      if (layout.show[i]) {
        EXPECT_EQ(layout.width[i], c.width[i]) << "item " << i;
      }
    }
  }
}

// ---- Drawing on the software device ----

// A 64 × 64 layer image whose pixel (x, y) is red 4x, green 4y, blue 0x40.
uint32_t LayerColour(int x, int y) { return static_cast<uint32_t>(x * 4) << 16 | static_cast<uint32_t>(y * 4) << 8 | 0x40; }

cBgData ImageLayer(double factorX, double factorY) {
  cBgData bg;
  bg.m_bShow = 1;
  bg.m_bFill = 0;
  bg.m_nDepth = 0;
  bg.m_dScrollX = factorX;
  bg.m_dScrollY = factorY;
  return bg;
}

cBgData ColourLayer(int colour) {
  cBgData bg;
  bg.m_bShow = 1;
  bg.m_bFill = 1;
  bg.m_nFillColor = colour;
  return bg;
}

class StageDrawTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    std::vector<uint32_t> rgb;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) rgb.push_back(LayerColour(x, y));
    layerFile = Bmp24("layer.bmp", 64, 64, rgb);
    table[IMAGE_BACK_LAYER] = Entry(layerFile.c_str(), 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    table[IMAGE_EFFECT_WORK] = Entry("E", 1, 0, 0, 0, 0, 0, 0, 0, 640, 480);
    table[IMAGE_EFFECT_WORK_SYS] = Entry("E", 1, 1, 0, 0, 0, 0, 0, 0, 640, 480);
  }
  void TearDown() override {
    for (DDSURFACEDATA& sd : g_SystemImage) DDReleaseSurface(&sd);
    DrawTest::TearDown();
  }
  void Load(std::initializer_list<int> images) {
    const std::vector<int> list(images);
    ASSERT_TRUE(DDLoadSystemBitmaps(g_SystemImage, list.data(), static_cast<int>(list.size())));
  }
  uint32_t At(int x, int y) { return Pixel(&BackBuffer, x, y) & 0xFFFFFFu; }

  std::string layerFile;
};

TEST_F(StageDrawTest, ImageLayersTileFromTheirScrollOffsets) {
  InitOrFail(1, 32, 1);
  Load({IMAGE_BACK_LAYER});
  cStage stage = fixture::Stage(40, 30);
  stage.m_vBg.assign(1, ImageLayer(1.0, 1.0));
  playkit::PlayWorld world(stage);
  // Factor 1: start x = trunc((trunc(330 + 0.5) - 320) × 1) = 10, y = (325 - 320) × 1 = 5.
  world.scene.m_ScrollX.m_dPos = 330;
  world.scene.m_ScrollY.m_dPos = 325;
  world.scene.DrawBackLayers(&BackBuffer, 0);
  EXPECT_EQ(At(0, 0), LayerColour(10, 5));
  EXPECT_EQ(At(54, 59), LayerColour(0, 0));
  EXPECT_EQ(At(639, 479), LayerColour((639 + 10) % 64, (479 + 5) % 64));

  // Factor 0.5 left of the stage: trunc((300 - 320) × 0.5) = -10, made 54 in the image.
  g_StageData.m_vBg[0] = ImageLayer(0.5, 0.5);
  world.scene.m_ScrollX.m_dPos = 300;
  world.scene.m_ScrollY.m_dPos = 320;
  world.scene.DrawBackLayers(&BackBuffer, 0);
  EXPECT_EQ(At(0, 0), LayerColour(54, 0));
  EXPECT_EQ(At(10, 0), LayerColour(0, 0));
}

TEST_F(StageDrawTest, SelfScrollingLayersWrapTheirOffsetInTheImage) {
  InitOrFail(1, 32, 1);
  Load({IMAGE_BACK_LAYER});
  cStage stage = fixture::Stage(40, 30);
  cBgData bg = ImageLayer(3, 0);
  bg.m_bAutoX = 1;
  stage.m_vBg.assign(1, bg);
  playkit::PlayWorld world(stage);
  world.scene.m_ScrollX.m_dPos = 320;
  world.scene.m_ScrollY.m_dPos = 320;
  // 0 - 3 wraps to 61; then 58; the start is scroll x + offset - 320.
  world.scene.ScrollBackLayers();
  EXPECT_DOUBLE_EQ(g_StageData.m_vBg[0].m_dOffsetX, 61);
  world.scene.DrawBackLayers(&BackBuffer, 0);
  EXPECT_EQ(At(0, 0), LayerColour(61, 0));
  world.scene.ScrollBackLayers();
  EXPECT_DOUBLE_EQ(g_StageData.m_vBg[0].m_dOffsetX, 58);
  // The in-game menu holds the layers.
  world.scene.m_nState = 3;
  world.scene.ScrollBackLayers();
  EXPECT_DOUBLE_EQ(g_StageData.m_vBg[0].m_dOffsetX, 58);
}

// The head-up display draws an item that starts left of the bar: what reaches into the bar
// shows. 16 + 39 × 16 = 640 dots alone on the bar: gap (638 - 640) / 2 = -1, so the icon's
// columns 1..15 show at x 0..14 (y 3).
TEST_F(StageDrawTest, AHudItemStartingLeftOfTheBarShowsWhatReachesIntoIt) {
  std::vector<uint32_t> rgb;
  for (int y = 0; y < 176; ++y)
    for (int x = 0; x < 128; ++x) rgb.push_back(static_cast<uint32_t>(x * 2) << 16 | static_cast<uint32_t>(y) << 8 | 0x40);
  const std::string acc = Bmp24("acc.bmp", 128, 176, rgb);
  table[IMAGE_ACCESSORY] = Entry(acc.c_str(), 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  InitOrFail(1, 32, 1);
  Load({IMAGE_ACCESSORY});
  playkit::PlayWorld world(fixture::Stage(40, 30));
  for (int i = 0; i < 5; ++i) g_SystemData.m_vDisplayItems[static_cast<size_t>(i)] = Item(i == 0, true, "", 39);
  world.scene.m_nHudValue = 1;
  world.scene.DrawHud(&BackBuffer);
  EXPECT_EQ(At(0, 3), rgb[32 * 128 + 1]);
  EXPECT_EQ(At(14, 18), rgb[47 * 128 + 15]);
}

TEST_F(StageDrawTest, ALayerWhoseImageFailedIsLeftOut) {
  InitOrFail(1, 32, 1);
  // Image 55 is never made: the layer has no size to tile or wrap in.
  cStage stage = fixture::Stage(40, 30);
  cBgData bg = ImageLayer(1, 1);
  bg.m_bAutoX = bg.m_bAutoY = 1;
  stage.m_vBg.assign(1, bg);
  playkit::PlayWorld world(stage);
  world.scene.ScrollBackLayers();
  EXPECT_DOUBLE_EQ(g_StageData.m_vBg[0].m_dOffsetX, 0);
  DDClearSurface(&BackBuffer, 3);
  world.scene.DrawBackLayers(&BackBuffer, 0);
  // No back layer drawn: the frame is cleared with colour 16.
  EXPECT_EQ(At(0, 0), SheetColor(16));
  EXPECT_EQ(At(639, 479), SheetColor(16));
  // A colour layer after it is the first one drawn.
  g_StageData.m_vBg.push_back(ColourLayer(5));
  world.scene.DrawBackLayers(&BackBuffer, 0);
  EXPECT_EQ(At(320, 240), SheetColor(5));
}

TEST_F(StageDrawTest, NoVisibleLayerClearsTheFrameAndFrontLayersDrawOnlyInFront) {
  InitOrFail(1, 32, 1);
  cStage stage = fixture::Stage(40, 30);
  cBgData front = ColourLayer(5);
  front.m_nDepth = 1;
  stage.m_vBg.assign(1, ColourLayer(4));
  stage.m_vBg[0].m_bShow = 0;
  stage.m_vBg.push_back(front);
  playkit::PlayWorld world(stage);
  DDClearSurface(&BackBuffer, 3);
  world.scene.DrawBackLayers(&BackBuffer, 0);
  EXPECT_EQ(At(100, 100), SheetColor(16));
  world.scene.DrawBackLayers(&BackBuffer, 1);
  EXPECT_EQ(At(100, 100), SheetColor(5));
}

class SightTest : public StageDrawTest {
 protected:
  // The hero of the stage with a sight shape and range in dots, its 32 × 32 cell at (left, top)
  // on the screen.
  cPlayer& Hero(playkit::PlayWorld& world, int shape, int range, int left = 100, int top = 200) {
    cCharaData def;
    cPlayer& hero = world.AddHero(def, 5, 5);
    hero.m_Data.m_bySightShape = static_cast<uint8_t>(shape);
    hero.m_nSight = range;
    hero.m_nGraphicW = hero.m_nGraphicH = 32;
    hero.m_rcScreen = RECT{left, top, left + 31, top + 31};
    return hero;
  }
  DDSURFACEDATA* Mask() { return &g_SystemImage[IMAGE_SIGHT_MASK]; }
  DDSURFACEDATA* Window() { return &g_SystemImage[IMAGE_SIGHT_WINDOW]; }
  // A raw pixel of the back buffer in either back-end.
  DWORD Back(int x, int y) {
    return lpDTCon ? Pixel(&BackBuffer, x, y) : SurfacePixel(BackBuffer.lpDDObj->lpSurface, x, y);
  }
};

TEST_F(SightTest, ASightOfZeroGivesAMaskAllInColour16) {
  InitOrFail(1, 32, 1);
  playkit::PlayWorld world(fixture::Stage(40, 30));
  Hero(world, 3, 0);
  world.scene.MakeSightMask(Mask(), Window());
  ASSERT_EQ(Mask()->nWidth, 1280);
  ASSERT_EQ(Mask()->nHeight, 960);
  const DWORD dark = Pixel(Mask(), 0, 0);
  EXPECT_EQ(dark & 0xFFFFFFu, SheetColor(16));
  EXPECT_EQ(Pixel(Mask(), 640, 480), dark);
  EXPECT_EQ(Pixel(Mask(), 1279, 959), dark);
}

TEST_F(SightTest, ASquareSightCutsItsWindowInTheMiddle) {
  InitOrFail(1, 32, 1);
  playkit::PlayWorld world(fixture::Stage(40, 30));
  Hero(world, 3, 32);
  world.scene.MakeSightMask(Mask(), Window());
  // (1280 + 64) × (960 + 64); the window 64 × 64 from (640, 480).
  ASSERT_EQ(Mask()->nWidth, 1344);
  ASSERT_EQ(Mask()->nHeight, 1024);
  const DWORD dark = Pixel(Mask(), 0, 0);
  const DWORD open = Pixel(Mask(), 672, 512);
  EXPECT_NE(open, dark);
  EXPECT_EQ(Pixel(Mask(), 640, 480), open);
  EXPECT_EQ(Pixel(Mask(), 703, 543), open);
  EXPECT_EQ(Pixel(Mask(), 639, 480), dark);
  EXPECT_EQ(Pixel(Mask(), 704, 543), dark);
  EXPECT_EQ(Pixel(Mask(), 640, 544), dark);

  // Drawn over the frame around the hero at (100, 200): the mask's middle on the hero's
  // centre (116, 216), so the window covers x 84..147 and y 184..247 of the screen.
  DDClearSurface(&BackBuffer, 5);
  g_vPlayer[0].DrawSight(&BackBuffer);
  EXPECT_EQ(At(83, 216), SheetColor(16));
  EXPECT_EQ(At(148, 216), SheetColor(16));
  EXPECT_EQ(At(116, 183), SheetColor(16));
  EXPECT_NE(At(84, 216), SheetColor(16));
  EXPECT_NE(At(147, 247), SheetColor(16));
}

// The circle of radius 32 is cut into the mask in every mode, Direct3D included, and in a
// full-colour project (whose window is filled with the transparent colour itself): over a
// frame of colour 5 the hero's surroundings show inside the circle and stay dark outside it.
TEST_F(SightTest, ACircularSightShowsTheFrameInsideItsCircleOnly) {
  struct Mode {
    int d3d, bpp, windowed, fullColour;
  } const modes[] = {{1, 32, 1, 0}, {1, 16, 1, 0}, {0, 8, 0, 0}, {0, 16, 0, 0}, {1, 32, 1, 1}, {0, 32, 0, 1}};
  const int savedFullColour = g_SystemData.m_bFullColour;
  for (const Mode& m : modes) {
    SCOPED_TRACE(testing::Message() << "d3d " << m.d3d << " bpp " << m.bpp << " full colour " << m.fullColour);
    g_SystemData.m_bFullColour = m.fullColour;
    InitOrFail(m.d3d, m.bpp, m.windowed);
    DDSetTransmit(255, 0, 255);  // the sheet's colour 0
    {
      playkit::PlayWorld world(fixture::Stage(40, 30));
      Hero(world, 1, 32);
      world.scene.MakeSightMask(Mask(), Window());
      const DWORD dark = Pixel(Mask(), 0, 0);
      EXPECT_NE(Pixel(Mask(), 672, 512), dark);
      EXPECT_NE(Pixel(Mask(), 672, 482), dark);  // 30 above the centre: inside the circle
      EXPECT_EQ(Pixel(Mask(), 641, 481), dark);  // the square's corner: outside it
      EXPECT_EQ(Pixel(Mask(), 702, 542), dark);

      // The hero's centre (116, 216) on the mask's centre.
      DDClearSurface(&BackBuffer, 5);
      const DWORD frame = Back(116, 216);
      g_vPlayer[0].DrawSight(&BackBuffer);
      const DWORD shade = Back(0, 0);
      EXPECT_NE(shade, frame);
      const struct {
        int x, y;
        bool open;
      } points[] = {{116, 216, true},  {116 + 25, 216, true}, {116, 216 - 30, true},  {116 - 31, 216, true},
                    {85, 185, false},  {147, 247, false},     {116 - 33, 216, false}, {116, 216 + 33, false}};
      for (const auto& p : points) EXPECT_EQ(Back(p.x, p.y), p.open ? frame : shade) << p.x << "," << p.y;
      g_vPlayer.clear();
    }
    for (DDSURFACEDATA& sd : g_SystemImage) DDReleaseSurface(&sd);
    DDEnd();
  }
  g_SystemData.m_bFullColour = savedFullColour;
}

TEST_F(SightTest, TheWindowIsKeptOnTheMaskNearTheScreenEdges) {
  InitOrFail(1, 32, 1);
  playkit::PlayWorld world(fixture::Stage(40, 30));
  // Far right of the screen: source x = 672 - 16 - 900 < 0 is held at 0, so the screen
  // shows the mask from its left edge: its window (640..703) at screen x 640.. is off screen.
  Hero(world, 3, 32, 900, 200);
  world.scene.MakeSightMask(Mask(), Window());
  DDClearSurface(&BackBuffer, 5);
  g_vPlayer[0].DrawSight(&BackBuffer);
  EXPECT_EQ(At(639, 216), SheetColor(16));
  EXPECT_EQ(At(0, 216), SheetColor(16));
}

// ---- The screen colour ----

TEST(ScreenColor, ATintFadesInAndStaysUntilAReturn) {
  cScreenColor c;
  // Red at 50 % over 0.1 s (6 frames).
  const int32_t tint[8] = {255, 0, 0, 50, 0, 1, 0, 0};
  c.Start(tint, 0);
  uint8_t r = 0, g = 0, b = 0;
  // alpha = 255 - n / 6 × 50 × 2.55, truncated: 255, 233.75, 212.5, 191.25, 170, 148.75, 127.5.
  const int expected[] = {255, 233, 212, 191, 170, 148, 127, 127, 127};
  for (int alpha : expected) EXPECT_EQ(c.Frame(0, 0, &r, &g, &b), alpha);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(c.m_bActive, 1);
  // Frozen frames draw without counting.
  c.m_nFrame = 3;
  EXPECT_EQ(c.Frame(1, 0, &r, &g, &b), 191);
  EXPECT_EQ(c.Frame(1, 0, &r, &g, &b), 191);
  EXPECT_EQ(c.m_nFrame, 3);
  c.m_nFrame = 6;
  c.Frame(0, 0, &r, &g, &b);

  // The return goes from the tint's alpha 127 back to 255 in the tint's colour, then ends.
  const int32_t back[8] = {0, 0, 255, 0, 1, 1, 0, 0};
  c.Start(back, 0);
  const int returning[] = {127, 148, 169, 191, 212, 233, 255};
  for (int alpha : returning) EXPECT_EQ(c.Frame(0, 0, &r, &g, &b), alpha);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(c.m_bActive, 0);
  EXPECT_EQ(c.Frame(0, 0, &r, &g, &b), -1);
}

TEST(ScreenColor, AReturnWithoutATintIsIgnored) {
  const int32_t back[8] = {0, 0, 0, 0, 1, 1, 0, 0};
  cScreenColor direct;
  direct.Start(back, 0);
  EXPECT_EQ(direct.m_bActive, 0);
  cScreenColor palette;
  palette.Start(back, 1);
  EXPECT_EQ(palette.m_bActive, 0);
  // Under a palette a tint that ended still leaves something to return from.
  const int32_t tint[8] = {0, 0, 0, 100, 0, 0, 0, 0};
  palette.Start(tint, 1);
  uint8_t r, g, b;
  EXPECT_EQ(palette.Frame(0, 1, &r, &g, &b), 0);  // no time: f = 1, the whole colour
  EXPECT_EQ(palette.m_bActive, 0);
  palette.Start(back, 1);
  EXPECT_EQ(palette.m_bActive, 1);
}

TEST(ScreenColor, RepeatsPulseTheirCountOfTimes) {
  cScreenColor c;
  const int32_t pulse[8] = {0, 255, 0, 100, 0, 1, 1, 2};
  c.Start(pulse, 0);
  uint8_t r, g, b;
  // Each pulse: 6 frames of 255 - n / 6 × 255, then one unchanged frame that restarts it.
  const int one[] = {255, 212, 170, 127, 85, 42, 255};
  for (int pass = 0; pass < 2; ++pass) {
    for (int alpha : one) EXPECT_EQ(c.Frame(0, 0, &r, &g, &b), alpha) << "pass " << pass;
  }
  EXPECT_EQ(c.m_nRepeatsDone, 2);
  EXPECT_EQ(c.m_bActive, 0);
}

// ---- The screen effect over the frame ----

class ScrEffectDrawTest : public StageDrawTest {
 protected:
  void TearDown() override {
    g_Database.m_vScrEffect.clear();
    g_vScrEffectTemplate.clear();
    g_vScrEffectTemplateRev.clear();
    StageDrawTest::TearDown();
  }
  void Define(int kind, std::initializer_list<int> params) {
    g_Database.m_vScrEffect.assign(2, cScrEffectData());
    g_Database.m_vScrEffect[0].m_nKind = 0;
    g_Database.m_vScrEffect[1].m_nKind = kind;
    int i = 0;
    for (int p : params) g_Database.m_vScrEffect[1].m_nParam[i++] = p;
    BuildScrEffectTables(g_vScrEffectTemplate, g_vScrEffectTemplateRev);
  }
};

TEST_F(ScrEffectDrawTest, AMovedFrameShowsColour16WhereItLeft) {
  InitOrFail(1, 32, 1);
  Load({IMAGE_EFFECT_WORK});
  playkit::PlayWorld world(fixture::Stage(40, 30));
  Define(1, {10, 100, 50, 640, 0});
  world.scene.m_ScrEffect.Start(1, SCR_EFFECT_FORWARD, 0);
  // The frame is composed in the virtual back buffer while an effect runs, as the stage's
  // drawing does, and shown when it is switched off.
  DDSetVirtualBackBuffer(1);
  DDClearSurface(&BackBuffer, 3);
  world.scene.DrawScrEffect(0);
  DDSetVirtualBackBuffer(0);
  EXPECT_EQ(At(99, 240), SheetColor(16));
  EXPECT_EQ(At(300, 49), SheetColor(16));
  EXPECT_EQ(At(100, 50), SheetColor(3));
  EXPECT_EQ(At(639, 479), SheetColor(3));
}

TEST_F(ScrEffectDrawTest, FrozenFramesDrawWithoutAdvancing) {
  InitOrFail(1, 32, 1);
  Load({IMAGE_EFFECT_WORK, IMAGE_EFFECT_WORK_SYS});
  playkit::PlayWorld world(fixture::Stage(40, 30));
  Define(13, {10, 1, 61, 0, 0});
  world.scene.m_ScrEffect.Start(1, SCR_EFFECT_FORWARD, 0);
  for (int n = 0; n < 5; ++n) world.scene.DrawScrEffect(1);
  EXPECT_DOUBLE_EQ(world.scene.m_ScrEffect.m_dCurrent, 1);
  for (int n = 0; n < 60; ++n) world.scene.DrawScrEffect(0);
  EXPECT_EQ(world.scene.m_ScrEffect.m_sEffect, 1);
  world.scene.DrawScrEffect(0);
  EXPECT_EQ(world.scene.m_ScrEffect.m_sEffect, 0);
}

// ---- The timer ----

TEST_F(StageDrawTest, TheTimeWarningSoundsOncePerSecondFromItsThresholdInPlayFrames) {
  InitOrFail(1, 32, 1);
  cStage stage = fixture::Stage(40, 30);
  stage.m_nTimeWarning = 20;
  playkit::PlayWorld world(stage);
  playkit::WindowRequestRecorder recorder;
  world.scene.m_bTimeStop = 0;
  struct Case {
    int seconds;
    int countedCalls;  // calls of the per-second counter since its reset
    int timerSound;
    bool sounds;
  } cases[] = {
      {20, 0, 1, true},   {21, 0, 1, false}, {1, 0, 1, true},  {0, 0, 1, false},
      {20, 1, 1, false},  {20, 59, 1, false}, {20, 60, 1, true}, {5, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.seconds << " s, " << c.countedCalls << " calls, sound " << c.timerSound);
    recorder.requests.clear();
    EveryNCalls(0, 0);
    for (int n = 0; n < c.countedCalls; ++n) EveryNCalls(1, 60);
    world.scene.m_nTime = c.seconds;
    world.scene.DrawTimer(&BackBuffer, c.timerSound);
    EXPECT_EQ(recorder.Sounds(), c.sounds ? std::vector<int>{13} : std::vector<int>{});
  }
  // A stopped limit draws and sounds nothing.
  recorder.requests.clear();
  EveryNCalls(0, 0);
  world.scene.m_nTime = 3;
  world.scene.m_bTimeStop = 1;
  world.scene.DrawTimer(&BackBuffer, 1);
  EXPECT_TRUE(recorder.Sounds().empty());
  EveryNCalls(0, 0);
}

// ---- The stage's own images ----

TEST_F(StageDrawTest, StageImagesAreLoadedFourOrTwoToAnEntryAndAFailureIsLoggedOnly) {
  InitOrFail(1, 32, 1);
  playkit::PlayWorld world(fixture::Stage(40, 30));
  const cDatabase saved = g_Database;
  g_Database.m_vBmpCharaExc.assign(3, cBmpCharaExc());
  g_Database.m_vBmpCharaExc[1].m_strFile = layerFile;
  g_Database.m_vBmpCharaExc[2].m_strFile = "missing.bmp";
  g_Database.m_vEffect.assign(2, cEffectData());
  g_Database.m_vEffect[1].m_strFile = layerFile;
  g_Database.m_vSwordType.assign(1, cSwordType());
  g_Database.m_vSwordType[0].m_strFileLeft = layerFile;
  g_Database.m_vSwordType[0].m_strFileRight = layerFile;
  world.scene.LoadStageBmp();
  world.scene.LoadEffects();
  world.scene.LoadSwords();
  // Entry 0 stands for no image; entries 1 and 2 give four surfaces each.
  ASSERT_EQ(g_vStageBmpSurface.size(), 8u);
  ASSERT_EQ(g_vStageBmpEntry.size(), 8u);
  for (size_t i = 0; i < 4; ++i) EXPECT_TRUE(SurfaceMade(&g_vStageBmpSurface[i])) << i;
  for (size_t i = 4; i < 8; ++i) EXPECT_FALSE(SurfaceMade(&g_vStageBmpSurface[i])) << i;
  EXPECT_EQ(g_vStageBmpEntry[1].nMirrorCellW, 32);
  EXPECT_EQ(g_vStageBmpEntry[2].nDDMemory, 1);
  EXPECT_NE(Errors().find("専用bmp missing.bmp 読み込み失敗！"), std::string::npos) << Errors();
  EXPECT_EQ(CountBoxes("missing.bmp"), 0u);
  ASSERT_EQ(g_vEffectSurface.size(), 2u);
  EXPECT_EQ(g_vEffectSurface[1].lpSubstitute, &g_vEffectSurface[0]);
  ASSERT_EQ(g_vSwordSurface.size(), 4u);
  EXPECT_EQ(g_vSwordSurface[3].lpSubstitute, &g_vSwordSurface[2]);
  // Loading again starts from empty lists.
  world.scene.LoadEffects();
  EXPECT_EQ(g_vEffectSurface.size(), 2u);
  for (auto* v : {&g_vStageBmpSurface, &g_vEffectSurface, &g_vSwordSurface}) {
    DDReleaseSurfaceArray(*v);
    v->clear();
  }
  g_Database = saved;
}

// ---- A whole frame of a fixture stage ----

namespace frame {

// 8-bit images in the sheet's palette (index 0 is the transparent magenta).
std::vector<uint32_t> Indices(int w, int h, uint32_t (*f)(int, int)) {
  std::vector<uint32_t> v;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) v.push_back(f(x, y));
  return v;
}
uint32_t Far(int x, int y) { return static_cast<uint32_t>(16 + ((x + 2 * y) % 64) * 3); }
uint32_t Near(int x, int y) {
  const int dx = x - 32, dy = y - 40;
  return dx * dx + dy * dy < 20 * 20 ? (dy < 0 ? 2u : 5u) : 0u;
}
uint32_t Bar(int x, int y) { return y == 0 || y == 19 || x == 0 || x == 639 ? 3u : 200u; }
uint32_t Accessory(int x, int y) {
  if (y >= 32 && y < 48) return x % 16 < 2 ? 0u : static_cast<uint32_t>(1 + (x / 16) % 5);
  if (y >= 128 && y < 144) return x % 64 < 50 ? 4u : 0u;
  if (y >= 144 && y < 176) return y < 160 ? 2u : 1u;
  return 0;
}
uint32_t Word(int x, int y) {
  if (y < 160) return 0;
  return x % 32 < 4 || y % 32 < 4 ? 0u : static_cast<uint32_t>(60 + (x / 32) * 18);
}

uint64_t Hash(const std::vector<DWORD>& pixels) {
  uint64_t h = 1469598103934665603ull;
  for (DWORD p : pixels) {
    for (int k = 0; k < 4; ++k) {
      h ^= (p >> (8 * k)) & 0xFFu;
      h *= 1099511628211ull;
    }
  }
  return h;
}

}  // namespace frame

class StageFrameTest : public StageDrawTest, public testing::WithParamInterface<int> {
 protected:
  // The shown colours of the back buffer's raw pixels (8 bits: through the sheet's palette).
  std::vector<uint32_t> Argb(const std::vector<DWORD>& raw) {
    std::vector<uint32_t> out;
    for (DWORD p : raw) out.push_back(0xFF000000u | (DDBpp == 8 ? SheetColor(static_cast<int>(p & 0xFFu)) : (p & 0xFFFFFFu)));
    return out;
  }
  // The back buffer's raw pixels (8 bits: palette indices), rows top-down.
  std::vector<DWORD> Frame() {
    if (lpDTCon) return Pixels(&BackBuffer);
    std::vector<DWORD> out;
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) out.push_back(SurfacePixel(BackBuffer.lpDDObj->lpSurface, x, y));
    return out;
  }
  // With TW_PNG_DIR set, the frame is written there to be looked at.
  void Keep(const char* name, const std::vector<DWORD>& raw) {
    const char* dir = std::getenv("TW_PNG_DIR");
    if (!dir) return;
    const std::vector<uint32_t> argb = Argb(raw);
    WritePngFile((std::string(dir) + "/" + name).c_str(), 640, 480, argb.data());
  }
};

TEST_P(StageFrameTest, AFixtureFrameDrawsTheSameEveryTime) {
  const int d3d = GetParam();
  const std::vector<uint32_t> palette = SheetPalette();
  const std::string far = Bmp8("far.bmp", 64, 64, palette, frame::Indices(64, 64, frame::Far));
  const std::string nearer = Bmp8("near.bmp", 64, 64, palette, frame::Indices(64, 64, frame::Near));
  const std::string bar = Bmp8("bar.bmp", 640, 20, palette, frame::Indices(640, 20, frame::Bar));
  const std::string acc = Bmp8("acc.bmp", 128, 176, palette, frame::Indices(128, 176, frame::Accessory));
  const std::string word = Bmp8("word.bmp", 320, 192, palette, frame::Indices(320, 192, frame::Word));
  table[IMAGE_BACK_LAYER] = Entry(far.c_str(), 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  table[IMAGE_BACK_LAYER + 1] = Entry(nearer.c_str(), 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  table[IMAGE_HUD_BAR] = Entry(bar.c_str(), 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  table[IMAGE_ACCESSORY] = Entry(acc.c_str(), 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  table[IMAGE_WORD] = Entry(word.c_str(), 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  InitOrFail(d3d, d3d ? 32 : 8, d3d);  // 8-bit DirectDraw runs full screen
  DDSetTransmit(255, 0, 255);
  Load({IMAGE_BACK_LAYER, IMAGE_BACK_LAYER + 1, IMAGE_HUD_BAR, IMAGE_ACCESSORY, IMAGE_WORD, IMAGE_EFFECT_WORK,
        IMAGE_EFFECT_WORK_SYS});

  cStage stage = fixture::Stage(60, 40);
  stage.m_vBg.assign(1, ImageLayer(0.5, 0.25));
  cBgData moving = ImageLayer(2, 0);
  moving.m_bAutoX = 1;
  stage.m_vBg.push_back(moving);
  stage.m_bTimeLimit = 1;
  stage.m_nTimeLimit = 123;
  playkit::PlayWorld world(stage);
  const int digits[5] = {6, 6, 0, 0, 2};
  for (int i = 0; i < 5; ++i) g_SystemData.m_vDisplayItems[static_cast<size_t>(i)] = Item(true, true, "", digits[i]);
  g_SaveData.m_nTotalScore = 1234;
  g_SaveData.m_nLives = 3;
  world.scene.m_nTime = 123;
  world.scene.m_nHudValue = 1;
  world.scene.m_bTimeStop = 0;
  world.scene.m_ScrollX.m_dPos = 777;
  world.scene.m_ScrollY.m_dPos = 400;

  for (int n = 0; n < 3; ++n) world.scene.Draw(1, 0, 0, 0);
  const std::vector<DWORD> plain = Frame();
  Keep(d3d ? "stage-d3d32.png" : "stage-dd8.png", plain);

  // The same frame with the image layers' first pixels placed by hand: the far layer starts at
  // x = trunc((777 - 320) × 0.5) = 228 → 36 in the image, y = trunc((400 - 320) × 0.25) = 20;
  // the HUD bar's border at the top left.
  EXPECT_EQ(Argb({plain[static_cast<size_t>(200 * 640)]})[0] & 0xFFFFFFu,
            SheetColor(static_cast<int>(frame::Far(36, (200 + 20) % 64))));
  EXPECT_EQ(Argb({plain[static_cast<size_t>(479 * 640 + 639)]})[0] & 0xFFFFFFu,
            SheetColor(static_cast<int>(frame::Far((639 + 228) % 64, (479 + 20) % 64))));
  EXPECT_EQ(Argb({plain[0]})[0] & 0xFFFFFFu, SheetColor(3));

  // A mosaic of 8-dot blocks that runs on.
  g_Database.m_vScrEffect.assign(2, cScrEffectData());
  g_Database.m_vScrEffect[0].m_nKind = 0;
  g_Database.m_vScrEffect[1].m_nKind = 13;
  const int mosaicParams[5] = {10, 8, 8, 0, 0};
  std::copy(mosaicParams, mosaicParams + 5, g_Database.m_vScrEffect[1].m_nParam);
  BuildScrEffectTables(g_vScrEffectTemplate, g_vScrEffectTemplateRev);
  world.scene.m_ScrEffect.Start(1, SCR_EFFECT_FORWARD, 1);
  world.scene.Draw(1, 0, 0, 0);
  DDSetVirtualBackBuffer(0);
  const std::vector<DWORD> mosaic = Frame();
  Keep(d3d ? "stage-mosaic-d3d32.png" : "stage-mosaic-dd8.png", mosaic);

  g_Database.m_vScrEffect.clear();
  g_vScrEffectTemplate.clear();
  g_vScrEffectTemplateRev.clear();

  // Taken after looking at the frames (TW_PNG_DIR=dir writes them): the two layers, the bar
  // with its icons and gauge frames, the timer's three digits; then the same in 8-dot blocks
  // under the bar. Look again before taking a new value.
  const uint64_t expected[2][2] = {{3394272315679568388ull, 18181714880590375395ull},
                                   {14222801551615462333ull, 9207980571686075899ull}};
  EXPECT_EQ(frame::Hash(plain), expected[d3d][0]) << std::hex << frame::Hash(plain);
  EXPECT_EQ(frame::Hash(mosaic), expected[d3d][1]) << std::hex << frame::Hash(mosaic);
}

INSTANTIATE_TEST_SUITE_P(Modes, StageFrameTest, testing::Values(1, 0),
                         [](const testing::TestParamInfo<int>& i) { return i.param ? "Direct3D32" : "DirectDraw8"; });

}  // namespace
