// The play scene's set-up around the stage: the background layer files entered as system
// images, the stage's own images loaded when play is entered (and not again from stage to
// stage), the effect surfaces chosen, the sight mask built for a hero with a sight shape and the
// 8-bit palette started afresh.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "draw_fixture.h"
#include "engine/chara_anim.h"
#include "engine/stage_draw.h"
#include "engine/stage_images.h"
#include "fixture/fixture.h"
#include "play_scene_kit.h"
#include "project/database.h"
#include "project/system_image.h"

namespace {

using playscene::PlaySceneTest;

cStage HeroStage() {
  cStage s = fixture::Stage(20, 15);
  fixture::Fill(s, fixture::Block(1), 0, 14, 19, 14);
  fixture::Place(s, fixture::Hero(2), 2, 13);
  s.m_bShowStartBanner = 0;
  s.m_bShowStageBanner = 0;
  fixture::EncloseGrid(s);
  return s;
}

TEST(PlayInit, TheBackgroundLayerFilesBecomeSystemImages55To62) {
  BitmapEntry saved[8];
  std::memcpy(saved, &g_SystemBitmapTable[IMAGE_BACK_LAYER], sizeof saved);
  cStage s = fixture::Stage(10, 10);
  // Three layers: an image, a colour fill, an image; the other five are missing.
  s.m_vBg.resize(3);
  s.m_vBg[0].m_bFill = 0;
  s.m_vBg[0].m_strImage = "bmp\\back\\a.bmp";
  s.m_vBg[1].m_bFill = 1;
  s.m_vBg[1].m_strImage = "bmp\\back\\b.bmp";
  s.m_vBg[2].m_bFill = 0;
  s.m_vBg[2].m_strImage = "c.bmp";
  SetBackLayerImageNames(s);
  const char* const expected[8] = {"bmp\\back\\a.bmp", "", "c.bmp", "", "", "", "", ""};
  for (int i = 0; i < 8; ++i)
    EXPECT_STREQ(g_SystemBitmapTable[IMAGE_BACK_LAYER + i].szFileName, expected[i]) << "layer " << i;
  std::memcpy(&g_SystemBitmapTable[IMAGE_BACK_LAYER], saved, sizeof saved);
}

int g_prevScene = 0;
int PrevScene() { return g_prevScene; }

// Empties the lists of the stage's own images (an earlier test may have filled them).
void ReleaseStageImages() {
  for (auto* list : {&g_vStageBmpSurface, &g_vSwordSurface, &g_vEffectSurface}) {
    DDReleaseSurfaceArray(*list);
    list->clear();
  }
  g_vStageBmpEntry.clear();
  g_vSwordBmpEntry.clear();
  g_vEffectBmpEntry.clear();
}

class PlayInitImages : public DrawTest {
 protected:
  void SetUp() override {
    // The drawing layer keeps pointing at this test's image table after it ends.
    savedTable_ = g_SystemImageTable;
    savedCount_ = g_nSystemImageCount;
    DrawTest::SetUp();
    ReleaseStageImages();
    savedLink_ = g_PlayShellLink;
    g_PlayShellLink = cPlayShellLink();
    g_PlayShellLink.lpfnPrevScene = &PrevScene;
  }
  void TearDown() override {
    ReleaseStageImages();
    for (DDSURFACEDATA& sd : g_SystemImage) DDReleaseSurface(&sd);
    g_Database.SetDefault();
    g_PlayShellLink = savedLink_;
    DrawTest::TearDown();
    g_SystemImageTable = savedTable_;
    g_nSystemImageCount = savedCount_;
  }

  cPlayShellLink savedLink_;
  const BitmapEntry* savedTable_ = nullptr;
  int savedCount_ = 0;
};

TEST_F(PlayInitImages, EnteringPlayLoadsTheStagesOwnImagesAndGoingOnDoesNot) {
  InitOrFail(1, 32, 1);
  const std::string file = Bmp24("own.bmp", 64, 32, std::vector<uint32_t>(64 * 32, 0x336699));
  // Entry 0 of the character bitmaps and of the effects is not an image; every sword type is.
  g_Database.m_vBmpCharaExc.resize(3);
  for (cBmpCharaExc& b : g_Database.m_vBmpCharaExc) b.m_strFile = file;
  g_Database.m_vSwordType.resize(1);
  g_Database.m_vSwordType[0].m_strFileLeft = file;
  g_Database.m_vSwordType[0].m_strFileRight = file;
  g_Database.m_vEffect.resize(2);
  for (cEffectData& e : g_Database.m_vEffect) e.m_strFile = file;
  for (int prev : {4, 0}) {
    SCOPED_TRACE(prev);
    g_prevScene = prev;
    g_lpCharaWorkSurface2 = nullptr;
    PlaySceneTest t(HeroStage());
    ASSERT_EQ(t.Scene().Init(), 1);
    // Four surfaces per character bitmap from entry 1, four per sword type, two per effect
    // from entry 1.
    EXPECT_EQ(g_vStageBmpSurface.size(), prev == 4 ? 0u : 8u);
    EXPECT_EQ(g_vStageBmpEntry.size(), prev == 4 ? 0u : 8u);
    EXPECT_EQ(g_vSwordSurface.size(), prev == 4 ? 0u : 4u);
    EXPECT_EQ(g_vEffectSurface.size(), prev == 4 ? 0u : 2u);
    if (prev == 0 && !g_vStageBmpSurface.empty() && !g_vEffectSurface.empty()) {
      EXPECT_EQ(g_vStageBmpSurface[0].nWidth, 64);
      EXPECT_EQ(g_vEffectSurface[0].nWidth, 64);
    }
    // Under Direct3D the second character work surface is system image 70.
    EXPECT_EQ(g_lpCharaWorkSurface2, &g_SystemImage[IMG_WORK_C]);
  }
}

TEST_F(PlayInitImages, AHeroWithASightShapeGetsItsMaskAtTheStageStart) {
  InitOrFail(1, 32, 1);
  struct Case {
    int shape;
    int sight;  // half blocks of 16 dots
    int width, height;
  };
  // The mask is (1280 + 2r) × (960 + 2r) for a sight of r dots, a sight of 0 included; none
  // for the shape "all of the screen", whatever its sight.
  for (const Case& c : {Case{3, 2, 1344, 1024}, Case{1, 0, 1280, 960}, Case{3, 0, 1280, 960}, Case{0, 2, 0, 0}}) {
    SCOPED_TRACE(testing::Message() << "shape " << c.shape << " sight " << c.sight);
    DDReleaseSurface(&g_SystemImage[IMAGE_SIGHT_MASK]);
    cStage s = HeroStage();
    s.m_vPlacedChara[static_cast<size_t>(s.FindPlayer())].m_bySight = static_cast<uint8_t>(c.sight);
    s.m_vPlacedChara[static_cast<size_t>(s.FindPlayer())].m_bySightShape = static_cast<uint8_t>(c.shape);
    PlaySceneTest t(s);
    ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
    EXPECT_EQ(g_SystemImage[IMAGE_SIGHT_MASK].lpDT != nullptr, c.shape != 0);
    if (c.shape == 0) continue;
    EXPECT_EQ(g_SystemImage[IMAGE_SIGHT_MASK].nWidth, c.width);
    EXPECT_EQ(g_SystemImage[IMAGE_SIGHT_MASK].nHeight, c.height);
  }
}

TEST_F(PlayInitImages, AnEightBitScreenStartsEachStageFromItsPalette) {
  InitOrFail(0, 8, 1);
  PlaySceneTest t(HeroStage());
  for (int i = 0; i < 256; ++i) DDPaletteWork[i] = PALETTEENTRY{1, 2, 3, 0};
  ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(DDPaletteWork[i].peRed, DDPalette[i].peRed) << i;
    EXPECT_EQ(DDPaletteWork[i].peGreen, DDPalette[i].peGreen) << i;
    EXPECT_EQ(DDPaletteWork[i].peBlue, DDPalette[i].peBlue) << i;
  }
}

}  // namespace
