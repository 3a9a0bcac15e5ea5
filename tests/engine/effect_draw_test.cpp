// The character effects' pictures, pixel by pixel: a 32 × 32 picture whose 4 × 4 blocks each
// have their own colour is drawn through each kind's handler onto the back buffer, and chosen
// pixels are compared with the values worked out by hand from the drawing operations'
// definitions, under DirectDraw at 8 bits and Direct3D at 32 bits (and at 16 bits, where the lens
// copies the picture into a square half as wide).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "draw_fixture.h"
#include "engine/chara.h"
#include "engine/chara_anim.h"
#include "draw/blend_blit.h"
#include "draw/context.h"
#include "engine/effect.h"
#include "engine/effect_draw.h"
#include "engine/play_scene.h"
#include "engine/stage_images.h"
#include "project/database.h"
#include "project/system_data.h"
#include "platform/d3d9.h"

namespace {

constexpr int kBack = 1;  // the colour of the cleared back buffer
constexpr int kOpposite = 30;  // the picture of the other facing

// The picture's colour at (x, y): one palette number per 4 × 4 block, 100..163.
int P(int x, int y) { return 100 + x / 4 + 8 * (y / 4); }

struct Probe {
  int x, y, colour;
};

struct Case {
  const char* name;
  int kind;
  double value;
  int params[5];  // p1..p5
  int modes;      // 1 DirectDraw 8 bits, 2 Direct3D 32 bits, 4 Direct3D 16 bits
  std::vector<Probe> probes;
};

// The mode a test runs in: 0 DirectDraw at 8 bits (full screen), 1 Direct3D at 32 bits, 2 at 16
// bits (in a window).
class EffectPixelTest : public DrawTest, public testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    savedSystem_ = g_SystemData;
    g_SystemData.m_vDisplayItems.resize(5);
    // The work surfaces as the system image table makes them.
    table[67] = Entry("E", 1, 0, 0, 0, 0, 0, 0, 0, 640, 480);
    table[68] = Entry("E", 1, 1, 0, 1, 0, 0, 0, 0, 640, 480);
    table[69] = Entry("E", 1, 0, 2, 0, 0, 0, 0, 0, 1024, 1024);
    table[70] = Entry("E", 1, 1, 1, 0, 0, 0, 0, 0, 1024, 1024);
    mode_ = GetParam();
    d3d_ = mode_ != 0;
    ASSERT_TRUE(Init(d3d_, mode_ == 2 ? 16 : d3d_ ? 32 : 8, d3d_));
    // Under Direct3D work surface 68 is drawn as 67, as the program links them (the sheets
    // here are surfaces of their own).
    if (d3d_) g_SystemImage[68].lpSubstitute = &g_SystemImage[67];
    DDSetTransmit(255, 0, 255);
    const int work[] = {67, 68, 69, 70};
    ASSERT_TRUE(DDLoadSystemBitmaps(g_SystemImage, work, 4));
    // Character sheet 0: cell 1 holds the picture, as drawn (4) and as second variant (22);
    // the mirrored sheets (5, 23) hold colour 30 there.
    for (int n : {4, 22, 5, 23}) {
      ASSERT_TRUE(DDCreateSurface(&g_SystemImage[n], 256, 64, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
      DDClearSurface(&g_SystemImage[n], 0);
    }
    for (int by = 0; by < 8; ++by)
      for (int bx = 0; bx < 8; ++bx)
        for (int n : {4, 22}) DDFillRect(&g_SystemImage[n], 32 + 4 * bx, 4 * by, 4, 4, static_cast<DWORD>(P(4 * bx, 4 * by)));
    for (int n : {5, 23}) DDFillRect(&g_SystemImage[n], 32, 0, 32, 32, kOpposite);
    SelectEffectSurfaces();
    c_.m_Data.m_byGraphicKind = 1;
    c_.m_Data.m_wGraphicSub = 1;
    c_.m_Data.m_byZoom = 1;
    c_.m_nGraphic = 0;
    c_.m_nBaseGraphicW = c_.m_nBaseGraphicH = 32;
    c_.m_nGraphicW = c_.m_nGraphicH = 32;
    c_.m_dX = 100;
    c_.m_dY = 50;
    c_.m_bFree = 1;
    c_.m_nDir = 0;
  }
  void TearDown() override {
    for (DDSURFACEDATA& sd : g_SystemImage) {
      DDReleaseSurface(&sd);
      sd.lpSubstitute = nullptr;
    }
    g_lpZoomMarkSurface = g_lpCharaWorkSurface = g_lpCharaWorkSurface2 = nullptr;
    g_SystemData = savedSystem_;
    DrawTest::TearDown();
  }
  // The character drawn held with the effect of a kind at a value, on a back buffer of colour 1.
  void DrawWith(const Case& c) {
    c_.m_Effect.Clear();
    c_.m_Effect.m_sEffect = 1;
    c_.m_Effect.m_nKind = c.kind;
    c_.m_Effect.m_nStart = 0;
    c_.m_Effect.m_nEnd = 1000;
    c_.m_Effect.m_dCurrent = c.value;
    c_.m_Effect.m_dStep = 1;
    for (int i = 0; i < 5; ++i) c_.m_Effect.m_nParam[i] = c.params[i];
    DDClearSurface(&BackBuffer, kBack);
    c_.Draw(&BackBuffer, 1);
    DDFlushSpriteBatch();
  }
  // The colour shown at a pixel of the back buffer (0x00RRGGBB; at 16 bits the pixel's colour
  // bits, A1R5G5B5).
  uint32_t Shown(int x, int y) {
    if (mode_ == 2) return Pixel(&BackBuffer, x, y) & 0x7FFFu;
    if (lpDTCon) return Pixel(&BackBuffer, x, y) & 0xFFFFFFu;
    return SheetColor(static_cast<int>(SurfacePixel(BackBuffer.lpDDObj->lpSurface, x, y) & 0xFFu));
  }
  // A palette colour as Shown reports it: at 16 bits each channel scaled to 5 bits (× 31 / 255,
  // as the fills make them).
  uint32_t Expected(int colour) const {
    const uint32_t c = SheetColor(colour);
    if (mode_ != 2) return c;
    return ((c >> 16) * 31 / 255) << 10 | (((c >> 8) & 0xFFu) * 31 / 255) << 5 | (c & 0xFFu) * 31 / 255;
  }
  void Check(const Case& c) {
    if (!(c.modes & (1 << mode_))) return;
    SCOPED_TRACE(c.name);
    DrawWith(c);
    for (const Probe& p : c.probes)
      EXPECT_EQ(Shown(p.x, p.y), Expected(p.colour)) << "(" << p.x << ", " << p.y << ") colour " << p.colour;
  }

  int mode_ = 0;
  int d3d_ = 0;
  cChara c_;
  cSystemData savedSystem_;
};

constexpr int kAll = 7;

// The kinds' table runs in the three modes.
class KindPixelTest : public EffectPixelTest {};

TEST_P(KindPixelTest, EachKindMovesThePicturesPixelsWhereItsOperationPutsThem) {
  const Case cases[] = {
      // The plain picture at (100, 50).
      {"plain", 0, 0, {}, kAll, {{100, 50, P(0, 0)}, {131, 81, P(31, 31)}, {99, 50, kBack}, {132, 81, kBack}}},
      // Burst by 4: the 16 × 16 quarters at (96, 46), (120, 46), (96, 70) and (120, 70).
      {"burst",
       1,
       4,
       {},
       kAll,
       {{96, 46, P(0, 0)},
        {111, 61, P(15, 15)},
        {112, 46, kBack},
        {120, 46, P(16, 0)},
        {135, 61, P(31, 15)},
        {136, 46, kBack},
        {96, 70, P(0, 16)},
        {135, 85, P(31, 31)},
        {116, 66, kBack}}},
      // Rows of ceil(32 / 4) = 8 dots: even rows 3 to the right, odd rows 3 to the left.
      {"split rows",
       2,
       3,
       {0, 0, 0, 4, 0},
       kAll,
       {{103, 50, P(0, 0)},
        {134, 57, P(31, 7)},
        {102, 50, kBack},
        {135, 50, kBack},
        {97, 58, P(0, 8)},
        {128, 65, P(31, 15)},
        {129, 58, kBack},
        {103, 66, P(0, 16)},
        {97, 81, P(0, 31)}}},
      // Columns of 8 dots: even columns 3 down, odd columns 3 up.
      {"split columns",
       3,
       3,
       {0, 0, 0, 4, 0},
       kAll,
       {{100, 53, P(0, 0)},
        {100, 52, kBack},
        {107, 84, P(7, 31)},
        {100, 85, kBack},
        {108, 47, P(8, 0)},
        {108, 46, kBack},
        {115, 78, P(15, 31)},
        {108, 79, kBack},
        {124, 47, P(24, 0)}}},
      // Two waves in strips of 4 rows, amplitude 5, phase 0: the strips' sines at 90°, 180°,
      // 270°, 360° ... move them by 5, 0, -5, 0, ...
      {"wave rows",
       4,
       5,
       {0, 0, 0, 2, 4},
       kAll,
       {{105, 50, P(0, 0)},
        {104, 50, kBack},
        {136, 53, P(31, 3)},
        {137, 50, kBack},
        {100, 54, P(0, 4)},
        {99, 54, kBack},
        {95, 58, P(0, 8)},
        {94, 58, kBack},
        {126, 61, P(31, 11)},
        {127, 58, kBack}}},
      {"wave columns",
       5,
       5,
       {0, 0, 0, 2, 4},
       kAll,
       {{100, 55, P(0, 0)}, {100, 54, kBack}, {103, 86, P(3, 31)}, {100, 87, kBack}, {108, 45, P(8, 0)}, {108, 44, kBack}}},
      // Half a turn about the pivot (16, 16) at (116, 66): sine 0 and cosine -1024 / 1024, so
      // the dot at (100 + dx, 50 + dy) shows the picture's (32 - dx, 32 - dy); x 101..132.
      {"rotate A by 180",
       7,
       180,
       {},
       kAll,
       {{102, 52, P(30, 30)}, {126, 52, P(6, 30)}, {130, 80, P(2, 2)}, {132, 66, P(0, 16)}, {100, 66, kBack},
        {133, 66, kBack}}},
      {"rotate B by 180", 8, 180, {}, kAll, {{102, 52, P(30, 30)}, {130, 80, P(2, 2)}, {132, 66, P(0, 16)}}},
      // Turning about the vertical axis, size 32 (u = 16): phase 8 shows the front 16 wide from
      // x + 8; phase 24 (q = 1, v = 16 - 8 - 1 = 7) the back 18 wide from x + 7.
      {"depth phase 8",
       9,
       8,
       {},
       kAll,
       {{108, 50, P(0, 0)}, {107, 50, kBack}, {123, 81, P(31, 31)}, {124, 50, kBack}}},
      {"depth phase 24",
       9,
       24,
       {},
       kAll,
       {{107, 50, kOpposite}, {124, 81, kOpposite}, {106, 50, kBack}, {125, 50, kBack}}},
      // A circle of radius 10 about the centre (116, 66): row 0 has the half-width 10 cut to 9
      // (x 107..124), rows -9 and 9 floor(sqrt(100 - 81)) = 4 (x 112..119), row -10 none.
      {"circle",
       10,
       10,
       {0, 0, 0, 1, 0},
       kAll,
       {{107, 66, P(7, 16)},
        {106, 66, kBack},
        {124, 66, P(24, 16)},
        {125, 66, kBack},
        {116, 56, kBack},
        {116, 57, P(16, 7)},
        {112, 75, P(12, 25)},
        {111, 75, kBack},
        {119, 75, P(19, 25)},
        {120, 75, kBack}}},
      // Lens of depth 10 over radius g = trunc(sqrt(2) x 16) = 22 about (116, 66); E = trunc(sqrt(
      // 22² + 10²)) = 24. A column offset lx samples lx x 10 / sqrt(576 - lx²) + 0.5, truncated:
      // -5 → -1, -20 → -14, 20 → 15; -22 (the rim) reaches outside the picture.
      {"lens",
       12,
       10,
       {0, 0, 0, 0, 0},
       kAll,
       {{116, 66, P(16, 16)},
        {111, 66, P(15, 16)},
        {104, 66, P(11, 16)},
        {96, 66, P(2, 16)},
        {94, 66, kBack},
        {136, 66, P(31, 16)},
        {116, 46, P(16, 2)},
        {94, 44, kBack}}},
      // Blocks of 8 dots, each of its top-left pixel's colour.
      {"mosaic",
       15,
       8,
       {},
       kAll,
       {{100, 50, P(0, 0)}, {113, 63, P(8, 8)}, {131, 81, P(24, 24)}, {132, 50, kBack}, {99, 81, kBack}}},
      // Blur of radius 1 (Direct3D at 32 bits; the sheet's colours from 6 on are greys n, n, n):
      // each pixel the average of the 2 × 2 dots above-left of and at it.
      {"blur",
       16,
       1,
       {},
       2,
       {{100, 50, P(0, 0)}, {104, 50, 100}, {104, 54, 104}, {105, 55, P(4, 4)}, {132, 50, kBack}}},
  };
  for (const Case& c : cases) Check(c);
}

// Colour change toward colour 20 at strength 1: under DirectDraw at 8 bits through the blend
// table (here (p + c) >> 1), under Direct3D each channel halfway to colour 20 of the working
// palette (here 200, 40, 0; the palette as loaded has another colour there).
TEST_P(EffectPixelTest, ColourChangePullsThePictureTowardTheWorkingPalettesColour) {
  std::vector<BYTE> savedTable(g_BlendTable, g_BlendTable + DD_BLEND_TABLE_SIZE);
  std::vector<PALETTEENTRY> savedWork(DDPaletteWork, DDPaletteWork + 256);
  for (int p = 0; p < 256; ++p)
    for (int c = 0; c < 256; ++c) g_BlendTable[p * 256 + c] = static_cast<BYTE>((p + c) >> 1);
  std::copy(DDPalette, DDPalette + 256, DDPaletteWork);
  DDPaletteWork[20] = PALETTEENTRY{200, 40, 0, 0};
  const Case c{"colour change", 13, 1, {0, 0, 0, 20, 0}, 3, {}};
  DrawWith(c);
  struct {
    int x, y;
    uint32_t dd8, d3d32;
  } const probes[] = {
      {100, 50, SheetColor((100 + 20) >> 1), 0x964632u},  // grey 100: (100 + 200) >> 1, (100 + 40) >> 1, 100 >> 1
      {131, 81, SheetColor((163 + 20) >> 1), 0xB56551u},  // grey 163
      {99, 50, SheetColor(kBack), SheetColor(kBack)},
      {132, 81, SheetColor(kBack), SheetColor(kBack)},
  };
  for (const auto& p : probes) EXPECT_EQ(Shown(p.x, p.y), d3d_ ? p.d3d32 : p.dd8) << p.x << ", " << p.y;
  std::copy(savedTable.begin(), savedTable.end(), g_BlendTable);
  std::copy(savedWork.begin(), savedWork.end(), DDPaletteWork);
}

// Running effects: entry 1 with 16 × 16 frames; its sheet shows frame 0 in colour 120, its
// magnified copy in colour 122. The picture's top-left corner lies at the stage position minus
// the scroll, each truncated toward zero; a picture of another size is stretched from the
// magnified copy (from the sheet itself under DirectDraw with the video-memory stretch on).
TEST_P(EffectPixelTest, RunningEffectsSitAtTheirStagePositionLessTheScroll) {
  const cDatabase savedDb = g_Database;
  const cAnimStepTable savedSteps = g_vEffectSteps;
  const int savedStretch = g_bVideoStretch;
  g_Database.m_vEffect.assign(2, cEffectData());
  cEffectData& e = g_Database.m_vEffect[1];
  e.m_nWidth = e.m_nHeight = 16;
  e.m_vFrame.assign(1, cEffectFrame());
  e.m_vFrame[0].m_nPattern = 0;
  e.m_vFrame[0].m_nTime = 10;
  BuildEffectStepTable(g_Database, g_vEffectSteps);
  g_vEffectSurface.assign(2, DDSURFACEDATA());
  for (int i = 0; i < 2; ++i) {
    DDSURFACEDATA* sd = &g_vEffectSurface[static_cast<size_t>(i)];
    ASSERT_TRUE(DDCreateSurface(sd, 64, 16, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
    DDClearSurface(sd, 0);
    DDFillRect(sd, 0, 0, 16, 16, static_cast<DWORD>(120 + 2 * i));
  }
  cPlayScene scene;
  g_lpPlayScene = &scene;
  scene.m_ScrollX.m_dPos = 320.5;
  scene.m_ScrollY.m_dPos = 240;
  const struct {
    const char* name;
    double x, y;
    int size, stretch;
    std::vector<Probe> probes;
  } cases[] = {
      // (330.9 - 320.5, 250.2 - 240) → (10, 10).
      {"inside", 330.9, 250.2, 16, 0, {{10, 10, 120}, {25, 25, 120}, {9, 10, kBack}, {26, 25, kBack}, {10, 9, kBack}}},
      // 310 - 320.5 = -10.5 → -10: columns -10..5 (flooring would end at 4).
      {"left edge", 310, 250, 16, 0, {{0, 10, 120}, {5, 10, 120}, {6, 10, kBack}}},
      // (9.5, 10) → (9, 10), 32 × 32: x 9..40, y 10..41.
      {"stretched", 330, 250, 32, 0, {{9, 10, 122}, {40, 41, 122}, {41, 41, kBack}, {40, 42, kBack}}},
      {"stretched, video-memory stretch", 330, 250, 32, 1, {{9, 10, d3d_ ? 122 : 120}, {40, 41, d3d_ ? 122 : 120}}},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    g_bVideoStretch = k.stretch;
    cEffect fx;
    ASSERT_EQ(fx.Start(1, k.x, k.y, k.size, k.size, 0), 1);
    DDClearSurface(&BackBuffer, kBack);
    EXPECT_EQ(fx.Draw(&BackBuffer, 0), 0);
    DDFlushSpriteBatch();
    for (const Probe& p : k.probes) EXPECT_EQ(Shown(p.x, p.y), SheetColor(p.colour)) << p.x << ", " << p.y;
  }
  g_lpPlayScene = nullptr;
  for (DDSURFACEDATA& sd : g_vEffectSurface) DDReleaseSurface(&sd);
  g_vEffectSurface.clear();
  g_bVideoStretch = savedStretch;
  g_vEffectSteps = savedSteps;
  g_Database = savedDb;
}

// The invincibility colour of the test: the vertex colour green, selected as the pixel's colour.
int GreenFlash(int, uint32_t* colour, int32_t* op) {
  *colour = 0xFF00FF00u;
  *op = D3DTOP_SELECTARG2;
  return 1;
}

// Under Direct3D a coloured character's lens, mosaic and blur are drawn in a work surface and
// blitted with the colour, so every dot of the picture they show takes it; the dots they leave
// keep the back buffer's colour.
// The invincibility colour is drawn under Direct3D only.
class ColouredEffectTest : public EffectPixelTest {};

TEST_P(ColouredEffectTest, PixelEffectsTakeTheColourThroughTheirWorkSurface) {
  const cDatabase savedDb = g_Database;
  g_Database.m_vAnimeSet.assign(1, cAnimeSet());
  g_Database.m_vAnimeSet[0].m_nInvinciblePattern = 0;  // the same cell
  g_SystemData.m_bOption287 = 1;
  g_lpfnFlashColor = &GreenFlash;
  c_.m_Data.m_wAnimeSet = 0;
  c_.m_Data.m_byInvincible = 1;
  c_.m_Data.m_byInvincibleOption = 3;
  const uint32_t green = 0x00FF00u;
  const uint32_t back = SheetColor(kBack);
  const struct {
    Case c;
    std::vector<Probe> inside;
    std::vector<Probe> outside;
  } cases[] = {
      {{"lens", 12, 10, {}, 2, {}}, {{116, 66}, {96, 66}, {136, 66}, {116, 46}}, {{94, 66}, {94, 44}}},
      {{"mosaic", 15, 8, {}, 2, {}}, {{100, 50}, {113, 63}, {131, 81}}, {{132, 50}, {99, 81}}},
      {{"blur", 16, 1, {}, 2, {}}, {{100, 50}, {104, 54}, {131, 81}}, {{132, 50}, {99, 81}}},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.c.name);
    DrawWith(k.c);
    for (const Probe& p : k.inside) EXPECT_EQ(Shown(p.x, p.y), green) << p.x << ", " << p.y;
    for (const Probe& p : k.outside) EXPECT_EQ(Shown(p.x, p.y), back) << p.x << ", " << p.y;
  }
  g_lpfnFlashColor = nullptr;
  g_Database = savedDb;
}

std::string ModeName(const testing::TestParamInfo<int>& i) {
  return i.param == 2 ? "Direct3D16" : i.param ? "Direct3D32" : "DirectDraw8";
}
INSTANTIATE_TEST_SUITE_P(Modes, KindPixelTest, testing::Values(0, 1, 2), ModeName);
INSTANTIATE_TEST_SUITE_P(Modes, EffectPixelTest, testing::Values(0, 1), ModeName);
INSTANTIATE_TEST_SUITE_P(Direct3D, ColouredEffectTest, testing::Values(1), ModeName);

}  // namespace
