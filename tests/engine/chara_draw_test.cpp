// Character drawing: the choice among the running animations, the cell base with the state
// patterns, the invincibility colour, the death drawing's timings, the gauges, mirrored and
// zoomed pictures, marks, items, drop icons, the box display and the character effects, with
// pixels read back from the drawing layer (DirectDraw at 8 bits: the pixels are palette numbers).
#include <gtest/gtest.h>

#include "draw_fixture.h"
#include "engine/chara.h"
#include "engine/chara_anim.h"
#include "engine/effect.h"
#include "engine/effect_draw.h"
#include "engine/item.h"
#include "engine/play_scene.h"
#include "defs/cond.h"
#include "defs/flow.h"
#include "project/shell_state.h"
#include "engine/player.h"
#include "engine/stage_chara.h"
#include "engine/stage_images.h"
#include "project/database.h"
#include "project/system_data.h"

namespace {

// A running animation showing one pattern for a long time.
cRunningAnime Anim(int pattern, int count, int flowStarted, int end = 0) {
  cRunningAnime a;
  const int steps[] = {pattern, 1000, 0, ANIM_LOOP, 0, 0};
  const int* table[] = {steps, nullptr};
  a.seq.Build(table);
  a.nCount = count;
  a.bFlowStarted = flowStarted;
  a.bEnd = end;
  return a;
}

TEST(CharaAnimChoice, PicksByRemainingCountAndOrigin) {
  CoreTestEnv env(true);
  const struct {
    std::vector<cRunningAnime> list;
    int pattern;
  } cases[] = {
      {{}, 0},
      // The animation command's entry (count 0) is shown at once.
      {{Anim(4, 0, 0)}, 4},
      // Flow animations: the smallest remaining count.
      {{Anim(5, 5, 1), Anim(3, 3, 1)}, 3},
      // The first non-flow entry is taken while nothing was; a later flow entry with a smaller
      // count wins.
      {{Anim(6, 0, 0), Anim(7, 2, 0)}, 6},
      {{Anim(6, 0, 0), Anim(8, 2, 1)}, 8},
      // Counts spent: once two are at or below 0 the choice settles on the largest of them.
      {{Anim(1, -3, 1), Anim(2, -1, 1), Anim(9, -2, 1)}, 2},
      {{Anim(1, -3, 1), Anim(2, -1, 1), Anim(9, 0, 1)}, 9},
      {{Anim(1, 0, 1), Anim(2, -1, 1), Anim(9, 2, 1)}, 2},
      // Entries flagged to end are passed over.
      {{Anim(5, 1, 1, 1), Anim(3, 3, 1)}, 3},
      {{Anim(5, 1, 1, 1)}, 0},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    cChara c;
    for (const cRunningAnime& a : cases[i].list) c.m_lAnime.push_back(a);
    EXPECT_EQ(c.UpdateAnims(1), cases[i].pattern) << "case " << i;
  }
}

TEST(CharaAnimChoice, UnheldUpdateAgesAndDropsEndedAnimations) {
  CoreTestEnv env(true);
  cChara c;
  // Pattern 2 for 2 frames, then the end.
  cRunningAnime shortOne;
  const int steps[] = {2, 2, 0, ANIM_END, 0, 0};
  const int* table[] = {steps, nullptr};
  shortOne.seq.Build(table);
  shortOne.nCount = 4;
  shortOne.bFlowStarted = 1;
  c.m_lAnime.push_back(shortOne);
  c.m_lAnime.push_back(Anim(7, 5, 1));
  c.m_lAnime.push_back(Anim(8, 9, 1, 1));
  EXPECT_EQ(c.UpdateAnims(0), 2);
  EXPECT_EQ(c.m_lAnime.front().nCount, 3);
  EXPECT_EQ(c.m_lAnime.back().nCount, 9);  // flagged: neither stepped nor aged
  // The end of the short one drops it in the same call; the other is shown.
  EXPECT_EQ(c.UpdateAnims(0), 7);
  EXPECT_EQ(c.m_lAnime.size(), 2u);
  EXPECT_EQ(c.m_lAnime.front().nCount, 3);
  // Held: nothing ages.
  EXPECT_EQ(c.UpdateAnims(1), 7);
  EXPECT_EQ(c.m_lAnime.front().nCount, 3);
}

int g_pulseCalls = 0;
int TestPulse(int index, uint32_t* colour, int32_t* op) {
  ++g_pulseCalls;
  *colour = 0xFF000000u | static_cast<uint32_t>(index);
  *op = 7;
  return 1;
}

class CharaDrawTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    savedDb_ = g_Database;
    savedSystem_ = g_SystemData;
    g_SystemData.m_vDisplayItems.resize(5);
  }
  void TearDown() override {
    for (DDSURFACEDATA* sd : made_) DDReleaseSurface(sd);
    for (int i = 0; i < DD_SYSTEM_IMAGE_COUNT; ++i) g_SystemImage[i] = DDSURFACEDATA();
    g_vStageBmpSurface.clear();
    g_vEffectSurface.clear();
    g_lpfnFlashColor = nullptr;
    g_lpZoomMarkSurface = g_lpCharaWorkSurface = g_lpCharaWorkSurface2 = nullptr;
    g_Database = savedDb_;
    g_SystemData = savedSystem_;
    DrawTest::TearDown();
  }
  // DirectDraw at 8 bits with a 640 × 480 destination cleared to colour 1.
  void InitDD8() {
    ASSERT_TRUE(Init(0, 8, 0));
    Make(&dst_, 640, 480, 0);
    DDClearSurface(&dst_, 1);
  }
  void Make(DDSURFACEDATA* sd, int w, int h, int transmit = 1) {
    ASSERT_TRUE(DDCreateSurface(sd, w, h, transmit, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
    made_.push_back(sd);
    DDClearSurface(sd, 0);
  }
  // System image n, 640 × 480, transparent, with one colour filled in a rectangle.
  void Sheet(int n, int x, int y, int w, int h, int colour) {
    if (!HasSurface(&g_SystemImage[n])) Make(&g_SystemImage[n], 640, 480);
    DDFillRect(&g_SystemImage[n], x, y, w, h, static_cast<DWORD>(colour));
  }
  // A character at screen (100, 50) with a 32 × 32 cell at the zoom.
  static void Place(cChara& c, int zoom) {
    c.m_Data.m_byZoom = static_cast<uint8_t>(zoom);
    c.m_nBaseGraphicW = c.m_nBaseGraphicH = 32;
    c.m_nGraphicW = c.m_nGraphicH = 32 * zoom;
    c.m_dX = 100;
    c.m_dY = 50;
    c.m_bFree = 1;
  }
  DWORD At(int x, int y) { return Pixel(&dst_, x, y); }
  // Counts the pixels of a colour in a rectangle.
  int Count(int x, int y, int w, int h, DWORD colour) {
    int n = 0;
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) n += At(i, j) == colour ? 1 : 0;
    return n;
  }

  DDSURFACEDATA dst_;
  std::vector<DDSURFACEDATA*> made_;
  cDatabase savedDb_;
  cSystemData savedSystem_;
};

TEST_F(CharaDrawTest, CellBaseAddsTheStatePatterns) {
  InitDD8();
  cAnimeSet set;
  set.m_nFlyPattern = 8;
  set.m_nInvinciblePattern = 4;
  set.m_nBlockPattern = 16;
  g_Database.m_vAnimeSet = {cAnimeSet(), set};
  const struct {
    int flying, invincible, block, base;
  } cases[] = {{0, 0, 0, 2}, {1, 0, 0, 10}, {0, 1, 0, 6}, {1, 1, 0, 14}, {0, 0, 1, 18}, {1, 1, 1, 30}};
  for (const auto& k : cases) {
    cChara c;
    c.m_Data.m_wAnimeSet = 1;
    c.m_Data.m_wGraphicSub = 2;
    c.m_Data.m_byFlying = static_cast<uint8_t>(k.flying);
    c.m_Data.m_byInvincible = static_cast<uint8_t>(k.invincible);
    c.m_Data.m_bBlockChara = static_cast<uint8_t>(k.block);
    c.m_Data.m_byGraphicKind = 1;
    g_SystemImage[4].nWidth = g_SystemImage[22].nWidth = 2048;
    g_SystemImage[4].nHeight = g_SystemImage[22].nHeight = 480;
    cGraphicRef ref;
    EXPECT_EQ(c.GetCellBase(ref), k.base);
    EXPECT_EQ(ref.bColoured, 0);  // never under DirectDraw
    // The cell shown is base + pattern.
    c.SetGraphicRef(ref, 3);
    EXPECT_EQ(ref.nSrcX, (k.base + 3) * 32) << k.base;
  }
}

TEST_F(CharaDrawTest, InvincibilityColourUnderDirect3DWithTheOptionOnly) {
  ASSERT_TRUE(Init(1, 32, 1));
  g_lpfnFlashColor = &TestPulse;
  const struct {
    int invincible, option287, entry, coloured;
  } cases[] = {{1, 1, 3, 1}, {1, 1, 1, 1}, {1, 1, 9, 1}, {1, 1, 10, 0}, {1, 1, 0, 0}, {0, 1, 3, 0}, {1, 0, 3, 0}};
  for (const auto& k : cases) {
    g_SystemData.m_bOption287 = k.option287;
    cChara c;
    c.m_Data.m_byInvincible = static_cast<uint8_t>(k.invincible);
    c.m_Data.m_byInvincibleOption = static_cast<uint8_t>(k.entry);
    cGraphicRef ref;
    c.GetCellBase(ref);
    EXPECT_EQ(ref.bColoured, k.coloured) << k.entry << " " << k.option287;
    if (k.coloured) {
      EXPECT_EQ(ref.dwDiffuse, 0xFF000000u | static_cast<uint32_t>(k.entry));
      EXPECT_EQ(ref.nColorOp, 7);
    }
  }
}

TEST_F(CharaDrawTest, DeathDrawingEndsAtOnceOrAfterSixtyOneFrames) {
  InitDD8();
  cChara npc;
  npc.m_nKind = 1;
  EXPECT_EQ(npc.DrawDead(&dst_, 1), 0);  // never in a frozen draw
  EXPECT_EQ(npc.DrawDead(&dst_, 0), 1);
  cChara hero;
  hero.m_nKind = 0;
  for (int i = 1; i <= 60; ++i) {
    ASSERT_EQ(hero.DrawDead(&dst_, 0), 0) << i;
    ASSERT_EQ(hero.DrawDead(&dst_, 1), 0) << i;  // held frames do not count
  }
  EXPECT_EQ(hero.m_nDeathCount, 60);
  EXPECT_EQ(hero.DrawDead(&dst_, 0), 1);
}

// Accessory rows at a height above 208: frame 208, fill 210, low fill 212, loss 214, gain 216.
class GaugeTest : public CharaDrawTest {
 protected:
  void SetUp() override {
    CharaDrawTest::SetUp();
    InitDD8();
    Make(&g_SystemImage[IMG_ACCESSORY], 128, 224);
    for (int s : {0, 64}) {
      for (int row = 0; row < 5; ++row)
        DDFillRect(&g_SystemImage[IMG_ACCESSORY], s, 208 + 2 * row, 64, 2, static_cast<DWORD>(10 + row + s / 8));
    }
    Place(c_, 1);
    c_.CalcScreenRect();
  }
  cChara c_;
};

TEST_F(GaugeTest, LossShowsAfterTheBarAndShrinks) {
  c_.m_nHp = 60;
  c_.m_Data.m_nMaxHp = 100;
  c_.m_HpGauge = cGauge{120, -10, -10.0 / 60, 30};
  c_.DrawHpGauge(&dst_);
  // x0 = 100 + 16 - 25 = 91, y0 = 50 - 3 = 47.
  for (int y : {47, 48}) {
    EXPECT_EQ(Count(91, y, 30, 1, 11), 30);   // the bar
    EXPECT_EQ(Count(121, y, 10, 1, 13), 10);  // the loss right after it
    EXPECT_EQ(Count(131, y, 10, 1, 10), 10);  // the rest of the frame
  }
  EXPECT_EQ(At(90, 47), 1u);
  EXPECT_EQ(At(141, 47), 1u);
  EXPECT_EQ(At(91, 46), 1u);
  EXPECT_EQ(At(91, 49), 1u);
  EXPECT_EQ(c_.m_HpGauge.nFrames, 119);
  EXPECT_NEAR(c_.m_HpGauge.dChange, -10 + 1.0 / 6, 1e-12);
  // 59 more frames take the change to one sixth of a dot; below 60 frames it is 0.
  for (int i = 0; i < 59; ++i) c_.DrawHpGauge(&dst_);
  EXPECT_EQ(c_.m_HpGauge.nFrames, 60);
  EXPECT_NEAR(c_.m_HpGauge.dChange, 0, 1e-9);
  c_.DrawHpGauge(&dst_);
  EXPECT_EQ(c_.m_HpGauge.dChange, 0);
  for (int i = 0; i < 59; ++i) c_.DrawHpGauge(&dst_);
  EXPECT_EQ(c_.m_HpGauge.nFrames, 0);
  // Spent: nothing more is drawn.
  DDClearSurface(&dst_, 1);
  c_.DrawHpGauge(&dst_);
  EXPECT_EQ(Count(80, 40, 80, 20, 1), 80 * 20);
  EXPECT_EQ(c_.m_HpGauge.nFrames, 0);
}

TEST_F(GaugeTest, GainLowFillAndTheSkillGaugeAbove) {
  c_.m_nSp = 10;
  c_.m_Data.m_nMaxSp = 100;
  g_SystemData.m_vDisplayItems[3].m_nLowLevel = 10;  // 10 or less is low
  c_.m_SpGauge = cGauge{120, 10, 10.0 / 60, 30};
  c_.DrawSpGauge(&dst_);
  // SP: column 64 (colours + 8), 4 dots above the HP gauge: y0 = 43. The gain ends the bar.
  EXPECT_EQ(Count(91, 43, 20, 2, 12 + 8), 40);
  EXPECT_EQ(Count(111, 43, 10, 2, 14 + 8), 20);
  EXPECT_EQ(Count(121, 43, 20, 2, 10 + 8), 40);
  // Not low at 11; a dead character shows no gauge.
  c_.m_nSp = 11;
  c_.DrawSpGauge(&dst_);
  EXPECT_EQ(Count(91, 43, 20, 2, 11 + 8), 40);
  c_.m_bDead = 1;
  DDClearSurface(&dst_, 1);
  c_.DrawSpGauge(&dst_);
  EXPECT_EQ(Count(80, 40, 80, 10, 1), 800);
}

TEST_F(GaugeTest, ShortAccessoryImageUsesItsOldRows) {
  DDReleaseSurface(&g_SystemImage[IMG_ACCESSORY]);
  Make(&g_SystemImage[IMG_ACCESSORY], 128, 208);
  // f = 128, g = 16: frame row 128, fill row 144.
  DDFillRect(&g_SystemImage[IMG_ACCESSORY], 0, 128, 64, 2, 30);
  DDFillRect(&g_SystemImage[IMG_ACCESSORY], 0, 144, 64, 2, 31);
  c_.m_nHp = 50;
  c_.m_Data.m_nMaxHp = 100;
  c_.m_HpGauge = cGauge{50, 0, 0, 25};
  c_.DrawHpGauge(&dst_);
  EXPECT_EQ(Count(91, 47, 25, 2, 31), 50);
  EXPECT_EQ(Count(116, 47, 25, 2, 30), 50);
}

// Character sheets 0: the cells of row 0 in colour 20 + cell on the sheet as drawn, 40 + cell
// on its second variant; the mirrored sheet 60 + cell and 80 + cell.
class PictureTest : public CharaDrawTest {
 protected:
  void SetUp() override {
    CharaDrawTest::SetUp();
    InitDD8();
    for (int cell = 0; cell < 6; ++cell) {
      Sheet(4, cell * 32, 0, 32, 32, 20 + cell);
      Sheet(22, cell * 32, 0, 32, 32, 40 + cell);
      Sheet(5, cell * 32, 0, 32, 32, 60 + cell);
      Sheet(23, cell * 32, 0, 32, 32, 80 + cell);
    }
    // A transparent corner in cell 3 of every sheet.
    for (int n : {4, 22, 5, 23}) DDFillRect(&g_SystemImage[n], 96, 0, 4, 4, 0);
    Sheet(IMG_MARK, 32, 0, 32, 32, 100);  // mark 15
    Sheet(IMG_MARK + 1, 32, 0, 32, 32, 101);
    SelectEffectSurfaces();
    c_.m_Data.m_byGraphicKind = 1;
    c_.m_Data.m_wGraphicSub = 1;
    c_.m_nGraphic = 0;
    c_.m_Anime = cAnimSeq();
  }
  cChara c_;
};

TEST_F(PictureTest, PlainMirroredAndZoomedPlacement) {
  // Pattern 0 + base 1 = cell 1; then cell 3 (base 3) with its transparent corner.
  Place(c_, 1);
  c_.m_nDir = 0;
  c_.Draw(&dst_, 1);
  EXPECT_EQ(Count(100, 50, 32, 32, 21), 32 * 32);
  EXPECT_EQ(At(99, 50), 1u);
  EXPECT_EQ(At(132, 81), 1u);
  c_.m_nDir = 1;
  c_.m_Data.m_wGraphicSub = 3;
  c_.Draw(&dst_, 1);
  EXPECT_EQ(Count(100, 50, 32, 32, 63), 32 * 32 - 16);
  EXPECT_EQ(At(100, 50), 21u);  // the transparent corner leaves what was there
  // Zoom 2: the second variant stretched over 64 × 64, its left edge kept.
  DDClearSurface(&dst_, 1);
  Place(c_, 2);
  c_.m_nDir = 0;
  c_.m_Data.m_wGraphicSub = 2;
  c_.Draw(&dst_, 1);
  EXPECT_EQ(Count(100, 50, 64, 64, 42), 64 * 64);
  EXPECT_EQ(At(164, 50), 1u);
  EXPECT_EQ(At(100, 114), 1u);
}

TEST_F(PictureTest, PinsTransparencyAndMarks) {
  Place(c_, 1);
  c_.m_nPinX = 1;
  c_.m_nPinLeft = 300;
  c_.m_nPinY = 1;
  c_.m_nPinTop = 200;
  c_.Draw(&dst_, 1);
  EXPECT_EQ(Count(300, 200, 32, 32, 21), 32 * 32);
  EXPECT_EQ(c_.m_rcScreen.right, 331);
  EXPECT_EQ(c_.m_rcScreen.bottom, 231);
  EXPECT_EQ(Count(100, 50, 32, 32, 1), 32 * 32);
  c_.m_nPinX = c_.m_nPinY = 0;
  // Transparent: nothing drawn.
  DDClearSurface(&dst_, 1);
  c_.m_Data.m_bTransparent = 1;
  c_.Draw(&dst_, 1);
  EXPECT_EQ(Count(100, 50, 32, 32, 1), 32 * 32);
  c_.m_Data.m_bTransparent = 0;
  // Mark 15 (second column) over the picture; at zoom 2 the stretched mark covers 64 × 64.
  c_.m_Data.m_bShowMark = 1;
  c_.m_Data.m_wMark = 15;
  c_.Draw(&dst_, 1);
  EXPECT_EQ(Count(100, 50, 32, 32, 100), 32 * 32);
  Place(c_, 2);
  c_.Draw(&dst_, 1);
  EXPECT_EQ(Count(100, 50, 64, 64, 101), 64 * 64);
}

TEST_F(PictureTest, BadSheetNumberShowsTheFirstSheetsFirstCell) {
  Sheet(4, 0, 0, 32, 32, 50);
  Place(c_, 1);
  for (int graphic : {120, 1020, 100000}) {
    DDClearSurface(&dst_, 1);
    c_.m_nGraphic = graphic;
    c_.Draw(&dst_, 1);
    EXPECT_EQ(Count(100, 50, 32, 32, 50), 32 * 32) << graphic;
  }
  // A dedicated sheet that was never loaded draws nothing.
  DDClearSurface(&dst_, 1);
  c_.m_Data.m_byGraphicKind = 4;
  c_.m_nGraphic = 3;
  c_.Draw(&dst_, 1);
  EXPECT_EQ(Count(100, 50, 32, 32, 1), 32 * 32);
}

TEST_F(PictureTest, ItemsIconsAndBlocks) {
  Sheet(IMG_ITEM_SHEET, 64 + 32, 32, 32, 32, 110);  // item 16, frame 1
  Sheet(IMG_SMALL_ITEMS, 32, 16, 16, 16, 111);      // item 16 as a small icon
  Sheet(IMG_BLOCK_CHIPS, 32, 32, 32, 32, 112);      // chip 16
  Sheet(IMG_BLOCK_CHIPS + 1, 32, 32, 32, 32, 113);
  cItem item;
  item.m_Data.m_byGraphicKind = 2;
  item.m_nGraphic = 16;
  const int steps[] = {1, 1000, 0, ANIM_LOOP, 0, 0};
  const int* table[] = {steps, nullptr};
  item.m_Anime.Build(table);
  item.m_nGraphicW = item.m_nGraphicH = 32;
  item.m_rcScreen = RECT{200, 100, 231, 131};
  item.Draw(&dst_, 1);
  EXPECT_EQ(Count(200, 100, 32, 32, 110), 32 * 32);
  // The icon of kind 2 is the small item sheet unscaled; of kind 0 the chip shrunk to 16 × 16.
  DrawGraphicIcon(&dst_, 10, 10, 2, 16, 0);
  EXPECT_EQ(Count(10, 10, 16, 16, 111), 256);
  DrawGraphicIcon(&dst_, 40, 10, 0, 16, 0);
  EXPECT_EQ(Count(40, 10, 16, 16, 113), 256);
  EXPECT_EQ(At(56, 10), 1u);
  // A block chip with its mark.
  cBlockData block;
  block.m_byGraphicKind = 0;
  block.m_wGraphic = 16;
  block.DrawIcon(&dst_, 300, 300);
  EXPECT_EQ(Count(300, 300, 32, 32, 112), 32 * 32);
  block.m_byShowMark = 1;
  block.m_wMark = 15;
  block.DrawIcon(&dst_, 300, 300);
  EXPECT_EQ(Count(300, 300, 32, 32, 100), 32 * 32);
}

TEST_F(PictureTest, DropIconShowsThirtyTwoOfEveryNinetySixFrames) {
  Sheet(IMG_SMALL_ITEMS, 0, 0, 16, 16, 111);
  cStageChara c;
  Place(c, 1);
  c.m_bOnScreen = 1;
  c.m_DropItem.m_bCarried = 1;
  c.m_DropItem.m_Data.m_byGraphicKind = 2;
  c.m_DropItem.m_nGraphicW = c.m_DropItem.m_nGraphicH = 32;
  c.CalcScreenRect();
  int shown = 0;
  for (int frame = 1; frame <= 96; ++frame) {
    DDClearSurface(&dst_, 1);
    c.DrawDropIcon(&dst_);
    // x = 100 + 16 - 8, y = 50 - 16.
    const bool on = Count(108, 34, 16, 16, 111) == 256;
    shown += on ? 1 : 0;
    EXPECT_EQ(on, frame >= 64 && frame < 96) << frame;
  }
  EXPECT_EQ(shown, 32);
}

TEST_F(PictureTest, BoxDisplayCyclesItsColours) {
  cPlayer hero;
  Place(hero, 1);
  hero.m_Data.m_bTransparent = 1;
  hero.m_nGraphicX = 4;
  hero.m_BoxA.nOffsetX = 2;
  hero.m_BoxA.nOffsetY = 3;
  hero.m_vBoxDisplay = {cBoxDisplay{1, 1, 208, 0, 0, 10, 6, 0}, cBoxDisplay{0, 2, 212, 0, 0, 20, 2, 0},
                        cBoxDisplay{3, 0, 216, 0, 0, 5, 5, 0}};
  hero.CalcScreenRect();
  const int left = hero.m_rcScreen.left;
  const int top = hero.m_rcScreen.top;
  for (int frame = 0; frame < 33; ++frame) {
    DDClearSurface(&dst_, 1);
    hero.DrawBoxes(&dst_, 1);
    const DWORD a = static_cast<DWORD>(208 + (frame % 32) / 8);
    // Box A: left + graphic offset + box offset, filled.
    ASSERT_EQ(Count(left + 4 + 2, top + 3, 10, 6, a), 60) << frame;
    // The body: an outline, drawn after box A.
    const DWORD b = static_cast<DWORD>(212 + (frame % 32) / 8);
    ASSERT_EQ(At(left + 4, top), b) << frame;
    ASSERT_EQ(At(left + 4 + 19, top + 1), b) << frame;
    ASSERT_EQ(At(left + 4 + 20, top + 1), 1u) << frame;
  }
  EXPECT_EQ(hero.m_vBoxDisplay[0].nCycle, 1);
  EXPECT_EQ(hero.m_vBoxDisplay[2].nCycle, 0);
  // At 8 bits with the palette animation on, the palette cycles instead of the numbers.
  g_SystemData.m_bPaletteAnim = 1;
  hero.m_vBoxDisplay[0].nCycle = 31;
  hero.DrawBoxes(&dst_, 1);
  EXPECT_EQ(Count(left + 6, top + 3, 10, 6, 208), 60);
}


// A character effect running on the character of the picture tests: kind and animated value
// set directly (0 → 100, one per frame).
class CharaEffectDrawTest : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    Place(c_, 1);
  }
  void Run(int kind, double current = 0, int end = 100) {
    c_.m_Effect.Clear();
    c_.m_Effect.m_sEffect = 1;
    c_.m_Effect.m_nKind = kind;
    c_.m_Effect.m_nStart = 0;
    c_.m_Effect.m_nEnd = end;
    c_.m_Effect.m_dCurrent = current;
    c_.m_Effect.m_dStep = 1;
  }
  bool Visible(DWORD colour) { return Count(100, 50, 32, 32, colour) == 32 * 32; }
  bool Empty() { return Count(100, 50, 32, 32, 1) == 32 * 32; }
};

TEST_F(CharaEffectDrawTest, BlinkBeginsHiddenAndEndsIntoThePlainPicture) {
  Run(6, 0, 4);
  c_.m_Effect.m_nParam[1] = 2;  // interval of 2 frames
  const bool expected[] = {false, false, true, true, false};
  for (size_t i = 0; i < std::size(expected); ++i) {
    DDClearSurface(&dst_, 1);
    c_.Draw(&dst_, 0);
    EXPECT_EQ(Visible(21), expected[i]) << i;
    EXPECT_EQ(Empty(), !expected[i]) << i;
  }
  // Held draws neither count nor advance.
  const cCharaEffectState before = c_.m_Effect;
  c_.Draw(&dst_, 1);
  EXPECT_EQ(c_.m_Effect.m_nWork1, before.m_nWork1);
  EXPECT_EQ(c_.m_Effect.m_dCurrent, before.m_dCurrent);
  // Current 5 passes the end 4: the effect ends and the plain picture is back.
  EXPECT_EQ(c_.m_Effect.m_sEffect, 0);
  DDClearSurface(&dst_, 1);
  c_.Draw(&dst_, 0);
  EXPECT_TRUE(Visible(21));
}

TEST_F(CharaEffectDrawTest, HalfTransparencyBeginsVisible) {
  std::vector<BYTE> saved(g_BlendTable, g_BlendTable + DD_BLEND_TABLE_SIZE);
  std::fill(g_BlendTable, g_BlendTable + DD_BLEND_TABLE_SIZE, BYTE{77});
  Run(14);
  c_.m_Effect.m_nParam[1] = 3;
  const bool expected[] = {true, true, true, false, false, false, true};
  for (size_t i = 0; i < std::size(expected); ++i) {
    DDClearSurface(&dst_, 1);
    c_.Draw(&dst_, 0);
    EXPECT_EQ(Visible(77), expected[i]) << i;
    EXPECT_EQ(Empty(), !expected[i]) << i;
  }
  std::copy(saved.begin(), saved.end(), g_BlendTable);
}

TEST_F(CharaEffectDrawTest, GrowthWidensTheSquareAboutTheCentre) {
  // Current 48: e = 16, the picture stretched over (100 - 8, 50 - 8, 48, 48).
  Run(11, 48);
  c_.Draw(&dst_, 1);
  EXPECT_EQ(Count(92, 42, 48, 48, 41), 48 * 48);
  EXPECT_EQ(At(91, 42), 1u);
  EXPECT_EQ(At(140, 89), 1u);
  EXPECT_EQ(At(92, 90), 1u);
}

TEST_F(CharaEffectDrawTest, UnknownKindAndEffectNoneDrawPlainAndNeverEnd) {
  for (int kind : {0, 17, -1, 1000}) {
    Run(kind);
    for (int i = 0; i < 3; ++i) {
      DDClearSurface(&dst_, 1);
      c_.Draw(&dst_, 0);
      ASSERT_TRUE(Visible(21)) << kind;
    }
    EXPECT_EQ(c_.m_Effect.m_sEffect, 1) << kind;
  }
}

TEST_F(CharaEffectDrawTest, TransparentCharacterAdvancesItsEffectUnseen) {
  Run(1, 0, 2);
  c_.m_Data.m_bTransparent = 1;
  c_.Draw(&dst_, 0);
  c_.Draw(&dst_, 0);
  EXPECT_EQ(c_.m_Effect.m_sEffect, 1);
  EXPECT_EQ(c_.m_Effect.m_dCurrent, 2);
  c_.Draw(&dst_, 0);
  EXPECT_EQ(c_.m_Effect.m_sEffect, 0);
  EXPECT_TRUE(Empty());
}

// The running effects: entry 1 of 16 × 16 frames, patterns 0 and 1 for a tenth each; its sheet
// holds cell 0 in colour 120 and cell 1 in 121, the magnified copy 122 and 123.
class RunningEffectTest : public CharaDrawTest {
 protected:
  void SetUp() override {
    CharaDrawTest::SetUp();
    InitDD8();
    savedSteps_ = g_vEffectSteps;
    g_Database.m_vEffect.assign(3, cEffectData());
    cEffectData& e = g_Database.m_vEffect[1];
    e.m_nWidth = e.m_nHeight = 16;
    e.m_vFrame.assign(2, cEffectFrame());
    e.m_vFrame[0].m_nPattern = 0;
    e.m_vFrame[1].m_nPattern = 1;
    e.m_vFrame[0].m_nTime = e.m_vFrame[1].m_nTime = 1;
    g_Database.m_vEffect[2].m_vFrame.clear();
    BuildEffectStepTable(g_Database, g_vEffectSteps);
    g_vEffectSurface.assign(4, DDSURFACEDATA());
    for (int i = 0; i < 2; ++i) {
      DDSURFACEDATA* sd = &g_vEffectSurface[static_cast<size_t>(i)];
      ASSERT_TRUE(DDCreateSurface(sd, 64, 16, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
      DDFillRect(sd, 0, 0, 16, 16, static_cast<DWORD>(120 + 2 * i));
      DDFillRect(sd, 16, 0, 16, 16, static_cast<DWORD>(121 + 2 * i));
    }
  }
  void TearDown() override {
    for (DDSURFACEDATA& sd : g_vEffectSurface) DDReleaseSurface(&sd);
    g_vEffectSteps = savedSteps_;
    CharaDrawTest::TearDown();
  }
  cAnimStepTable savedSteps_;
};

TEST_F(RunningEffectTest, FramesRunOutAndHoldStandsStill) {
  // The steps {0, 6}, {1, 6}, end: after the start the first pattern shows for 5 more steps,
  // the second for 6, and the 12th step reaches the end.
  cEffect fx;
  ASSERT_EQ(fx.Start(1, 120.75, 80.5, 16, 16, 0), 1);
  std::vector<int> shown;
  for (int draw = 1; draw <= 12; ++draw) {
    DDClearSurface(&dst_, 1);
    const int ended = fx.Draw(&dst_, 0);
    ASSERT_EQ(ended, draw == 12 ? 1 : 0) << draw;
    if (ended) break;
    shown.push_back(Count(120, 80, 16, 16, 120) == 256 ? 0 : Count(120, 80, 16, 16, 121) == 256 ? 1 : -1);
    EXPECT_EQ(At(136, 80), 1u);
    EXPECT_EQ(At(119, 80), 1u);
    if (draw == 3) {
      // Held: the pattern stays and nothing counts.
      for (int i = 0; i < 20; ++i) ASSERT_EQ(fx.Draw(&dst_, 1), 0);
    }
  }
  EXPECT_EQ(shown, (std::vector<int>{0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1}));
  // Always-animate effects go on in held draws.
  cEffect always;
  always.Start(1, 0, 0, 16, 16, 1);
  int draws = 1;
  while (draws < 100 && always.Draw(&dst_, 1) == 0) ++draws;
  EXPECT_EQ(draws, 12);
}

TEST_F(RunningEffectTest, ScaledFromTheMagnifiedCopyAndEmptyEntriesEndAtOnce) {
  cEffect fx;
  fx.Start(1, 200, 100, 32, 32, 0);
  EXPECT_EQ(fx.m_bScaled, 1);
  fx.Draw(&dst_, 0);
  EXPECT_EQ(Count(200, 100, 32, 32, 122), 32 * 32);
  cEffect none;
  none.Start(2, 0, 0, 16, 16, 0);
  EXPECT_EQ(none.Draw(&dst_, 0), 1);
}


// The range display: a character at screen (100, 50), 32 × 32, facing right, in layer list 0
// of a play scene; one distance condition of extent 16 (value 1 × 16) among its appearance
// conditions.
class RangeDisplayTest : public CharaDrawTest {
 protected:
  void SetUp() override {
    CharaDrawTest::SetUp();
    InitDD8();
    savedTestPlay_ = g_bTestPlay;
    g_nRangePhase = 0;
    g_lpPlayScene = &scene_;
    Place(c_, 1);
    c_.m_dFarX = c_.m_dX + 31;
    c_.m_dFarY = c_.m_dY + 31;
    c_.m_nDir = 1;
    c_.m_bActive = 1;
    c_.CalcScreenRect();
    scene_.m_vDrawList[0].push_back(&c_);
  }
  void TearDown() override {
    g_lpPlayScene = nullptr;
    g_bTestPlay = savedTestPlay_;
    g_nRangePhase = 0;
    CharaDrawTest::TearDown();
  }
  static cCond Distance(int mode, int shown = 1) {
    cCond c;
    c.m_byKind = 7;
    c.m_byLeftType = static_cast<uint8_t>(shown);
    c.m_byRightType = 1;
    c.m_byRightOwner = 1;
    c.m_nValue = 1;
    c.m_byDistMode = static_cast<uint8_t>(mode);
    return c;
  }
  // The x of the vertical lines along row 240, or the y of the horizontal ones along column 320.
  std::vector<int> Lines(bool vertical, DWORD colour) {
    std::vector<int> at;
    for (int i = 0; i < (vertical ? 640 : 480); ++i)
      if ((vertical ? At(i, 240) : At(320, i)) == colour) at.push_back(i);
    return at;
  }
  cPlayScene scene_;
  cStageChara c_;
  int savedTestPlay_ = 0;
};

TEST_F(RangeDisplayTest, LinesOfEachModeByFacing) {
  const struct {
    int mode, dir;
    bool vertical;
    std::vector<int> at;
  } cases[] = {
      // Sides 100 .. 131, half 16: both sides whole 84 and 148; in front 116 and 148; behind 84
      // and 116 (facing left the other way round).
      {0, 1, true, {84, 148}},   {1, 1, true, {116, 148}}, {2, 1, true, {84, 116}},
      {1, 0, true, {84, 116}},   {2, 0, true, {116, 148}},
      // Top 50: vertically 34 and 98; facing right "front" extends downward.
      {3, 1, false, {34, 98}},   {4, 1, false, {66, 98}},  {5, 1, false, {34, 66}},
      {4, 0, false, {34, 66}},   {7, 1, true, {}},
  };
  for (const auto& k : cases) {
    DDClearSurface(&dst_, 1);
    c_.m_nDir = k.dir;
    c_.DrawDistanceRange(&dst_, Distance(k.mode), 0);
    EXPECT_EQ(Lines(k.vertical, 208), k.at) << k.mode << " " << k.dir;
    if (!k.at.empty()) {
      // Lines run across the whole screen.
      EXPECT_EQ(k.vertical ? At(k.at[0], 0) : At(0, k.at[0]), 208u);
      EXPECT_EQ(k.vertical ? At(k.at[0], 479) : At(639, k.at[0]), 208u);
    }
  }
}

TEST_F(RangeDisplayTest, SwitchesColoursAndTheBlinkPhase) {
  cCond cond = Distance(0);
  const struct {
    int shown, testPlay, active, inactiveSwitch, transparent, transparentSwitch, status, phase;
    DWORD colour;
  } cases[] = {
      {1, 0, 1, 1, 0, 1, 0, 0, 208},   {0, 1, 1, 1, 0, 1, 0, 0, 1},     {2, 0, 1, 1, 0, 1, 0, 0, 1},
      {2, 1, 1, 1, 0, 1, 0, 0, 208},   {1, 0, 0, 0, 0, 1, 0, 0, 1},     {1, 0, 0, 1, 0, 1, 0, 0, 208},
      {1, 0, 1, 1, 1, 0, 0, 0, 1},     {1, 0, 1, 1, 1, 1, 0, 0, 208},   {1, 0, 1, 1, 0, 1, 7, 0, 236},
      {1, 0, 1, 1, 0, 1, 8, 0, 236},   {1, 0, 1, 1, 0, 1, 255, 31, 239}, {1, 0, 1, 1, 0, 1, 1, 8, 213},
      {1, 0, 1, 1, 0, 1, 1, 7, 212},
  };
  for (const auto& k : cases) {
    DDClearSurface(&dst_, 1);
    cond.m_byLeftType = static_cast<uint8_t>(k.shown);
    g_bTestPlay = k.testPlay;
    c_.m_bActive = k.active;
    cond.m_byRightType = static_cast<uint8_t>(k.inactiveSwitch);
    c_.m_Data.m_bTransparent = static_cast<uint8_t>(k.transparent);
    cond.m_byRightOwner = static_cast<uint8_t>(k.transparentSwitch);
    cond.m_byLeftStatus = static_cast<uint8_t>(k.status);
    c_.DrawDistanceRange(&dst_, cond, k.phase);
    EXPECT_EQ(At(84, 240), k.colour) << k.shown << k.testPlay << k.active << k.transparent << " " << k.status;
  }
}

TEST_F(RangeDisplayTest, PassesOverTheCharactersAndTheirFlows) {
  c_.m_Data.m_vCond = {Distance(0)};
  cFlow flow;
  flow.m_vCond = {Distance(3)};
  c_.m_Data.m_vFlow = {flow};
  // The phase advances before drawing: 8 calls put 1 on the colour.
  for (int i = 0; i < 7; ++i) DrawDistanceRanges(&dst_);
  EXPECT_EQ(At(84, 240), 208u);
  EXPECT_EQ(At(320, 34), 208u);
  DrawDistanceRanges(&dst_);
  EXPECT_EQ(At(84, 240), 209u);
  // Once-latched lists are passed over; so are dead characters.
  DDClearSurface(&dst_, 1);
  c_.m_byAppearLatch = 1;
  c_.m_Data.m_bCondOnce = 1;
  DrawDistanceRanges(&dst_);
  EXPECT_EQ(At(84, 240), 1u);
  EXPECT_EQ(At(320, 34), 209u);
  c_.m_Data.m_vFlow[0].m_bCondOnce = 1;
  c_.m_bDead = 1;
  c_.m_Data.m_bCondOnce = 0;
  DDClearSurface(&dst_, 1);
  DrawDistanceRanges(&dst_);
  EXPECT_EQ(Count(0, 0, 640, 480, 1), 640 * 480);
  // The phase wraps after 31.
  g_nRangePhase = 31;
  DrawDistanceRanges(&dst_);
  EXPECT_EQ(g_nRangePhase, 0);
}

TEST_F(RangeDisplayTest, CircleOfRadiusSixtyFiveIsStretchedFromTheScratchSquare) {
  Make(&g_SystemImage[IMG_WORK_B], 640, 480);
  DDClearSurface(&g_SystemImage[IMG_WORK_B], 5);
  cCond circle = Distance(6);
  // Radius 64: straight onto the target; the scratch square untouched.
  circle.m_wRightIndex = 48;
  c_.DrawDistanceRange(&dst_, circle, 0);
  EXPECT_EQ(At(116 + 64, 66), 208u);
  EXPECT_EQ(Pixel(&g_SystemImage[IMG_WORK_B], 0, 0), 5u);
  // Radius 65: 129 × 129 dots of the scratch square cleared, a circle of 64 drawn there.
  circle.m_wRightIndex = 49;
  c_.DrawDistanceRange(&dst_, circle, 0);
  EXPECT_EQ(Pixel(&g_SystemImage[IMG_WORK_B], 0, 0), 0u);
  EXPECT_EQ(Pixel(&g_SystemImage[IMG_WORK_B], 128, 64), 208u);
  EXPECT_EQ(Pixel(&g_SystemImage[IMG_WORK_B], 129, 64), 5u);
  // Stretched to 130 × 130 at (116 - 65, 66 - 65): its rightmost column lands at x = 180.
  EXPECT_EQ(At(116 + 64, 66), 208u);
  EXPECT_EQ(At(116 - 65 + 130, 66), 1u);
}

}  // namespace
