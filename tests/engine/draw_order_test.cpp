// The order in which the stage's frame draws its objects: the hero, the items, the characters
// and the shots overlap on one spot, and the object whose pixel shows there is the one drawn
// last: in that order in a single pass with the drawing layers off, and pass by pass (layer 0
// first) with them on. DirectDraw at 8 bits: the pixels are palette numbers.
#include <gtest/gtest.h>

#include <vector>

#include "draw_fixture.h"
#include "engine/chara_anim.h"
#include "engine/item.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/shot.h"
#include "engine/stage_chara.h"
#include "engine/stage_draw.h"
#include "fixture/fixture.h"
#include "play_kit.h"
#include "project/database.h"

namespace {

// The colours of the four kinds of object.
constexpr int kHero = 2;
constexpr int kItem = 3;
constexpr int kChara = 4;
constexpr int kShot = 5;
constexpr int kAbsent = -1;

class DrawOrderTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    savedDb_ = g_Database;
    ASSERT_TRUE(Init(0, 8, 0));
    // Character sheet 0 and its mirrored copy: graphic 0 (the hero) in row 0, graphic 1 (the
    // character) in row 1; item graphic 0 and shot graphic 0 on their sheets.
    for (int n : {4, 5, 22, 23}) {
      Make(n);
      DDFillRect(&g_SystemImage[n], 0, 0, 32, 32, kHero);
      DDFillRect(&g_SystemImage[n], 0, 32, 32, 32, kChara);
    }
    for (int n : {40, 41}) {
      Make(n);
      DDFillRect(&g_SystemImage[n], 0, 0, 32, 32, kItem);
    }
    Make(IMAGE_SHOT);
    DDFillRect(&g_SystemImage[IMAGE_SHOT], 0, 0, 16, 16, kShot);
    SelectEffectSurfaces();
  }
  void TearDown() override {
    for (int i = 0; i < DD_SYSTEM_IMAGE_COUNT; ++i) {
      DDReleaseSurface(&g_SystemImage[i]);
      g_SystemImage[i] = DDSURFACEDATA();
    }
    g_lpZoomMarkSurface = g_lpCharaWorkSurface = g_lpCharaWorkSurface2 = nullptr;
    g_Database = savedDb_;
    DrawTest::TearDown();
  }
  void Make(int n) {
    ASSERT_TRUE(DDCreateSurface(&g_SystemImage[n], 256, 256, 1, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
    DDClearSurface(&g_SystemImage[n], 0);
  }

  // One frame with the objects given by their drawing layers (kAbsent: not there); the hero,
  // the item and the character on cell (3, 3), the shot at its top-left corner. Returns the
  // colour at the spot all of them cover.
  int Frame(int layered, int heroZ, int itemZ, int charaZ, int shotLayer) {
    cStage stage = fixture::Stage(40, 30);
    stage.m_bDrawByPriority = layered;
    playkit::PlayWorld world(stage);
    cCharaData heroDef = fixture::Hero(0);
    heroDef.m_byZ = static_cast<uint8_t>(heroZ < 0 ? 0 : heroZ);
    cPlayer& hero = world.AddHero(heroDef, 3, 3);
    if (heroZ < 0) hero.m_Data.m_bTransparent = 1;
    if (itemZ >= 0) {
      cItem& item = world.AddItem(fixture::Item(0), 3, 3);
      item.m_Data.m_byZ = static_cast<uint8_t>(itemZ);
    }
    if (charaZ >= 0) {
      cCharaData def = fixture::Chara(1);
      def.m_byZ = static_cast<uint8_t>(charaZ);
      world.AddChara(def, 3, 3).m_bOnScreen = 1;
    }
    if (shotLayer >= 0) {
      cShot s;
      s.m_nLayer = shotLayer;
      s.m_nGraphic = 0;
      s.m_nWidth = s.m_nHeight = s.m_nGraphicW = s.m_nGraphicH = s.m_nBaseGraphicW = s.m_nBaseGraphicH = 16;
      s.m_dX = hero.m_dX - hero.m_nGraphicX;
      s.m_dY = hero.m_dY - hero.m_nGraphicY;
      s.m_dFarX = s.m_dX + 15;
      s.m_dFarY = s.m_dY + 15;
      s.m_bOnScreen = 1;
      CloneShot(world.scene.m_lShot, s);
    }
    DDClearSurface(&BackBuffer, 1);
    world.scene.Draw(1, 1, 0, 0);
    hero.CalcScreenRect();
    const int colour =
        static_cast<int>(SurfacePixel(BackBuffer.lpDDObj->lpSurface, hero.m_rcScreen.left + 4, hero.m_rcScreen.top + 4));
    world.scene.m_lShot.Clear();
    for (auto& list : world.scene.m_vShotDrawList) list.clear();
    g_lChara.Clear();
    g_lItem.Clear();
    g_vPlayer.clear();
    return colour;
  }

  cDatabase savedDb_;
};

TEST_F(DrawOrderTest, TheLastDrawnObjectShowsWhereTheyOverlap) {
  const struct {
    const char* name;
    int layered, hero, item, chara, shot, shown;
  } cases[] = {
      // Layers off: one pass, hero, items, characters, shots; each layer number is ignored.
      {"off: all", 0, 7, 6, 5, 0, kShot},
      {"off: no shot", 0, 7, 6, 5, kAbsent, kChara},
      {"off: hero and item", 0, 7, 6, kAbsent, kAbsent, kItem},
      {"off: hero alone", 0, 0, kAbsent, kAbsent, kAbsent, kHero},
      // Layers on: pass i draws the objects of layer i, later passes over earlier ones.
      {"on: hero on 3 over layers 0..2", 1, 3, 2, 1, 0, kHero},
      {"on: item highest", 1, 0, 3, 2, 1, kItem},
      {"on: character highest", 1, 1, 0, 3, 2, kChara},
      {"on: shot list 7 highest", 1, 0, 1, 2, 7, kShot},
      {"on: hero on 7 over a shot on 6", 1, 7, kAbsent, kAbsent, 6, kHero},
      // Within one layer the single pass's order holds.
      {"on: all on 4", 1, 4, 4, 4, 4, kShot},
      {"on: hero, item, character on 5", 1, 5, 5, 5, kAbsent, kChara},
      {"on: hero and item on 2", 1, 2, 2, kAbsent, kAbsent, kItem},
  };
  for (const auto& c : cases) EXPECT_EQ(Frame(c.layered, c.hero, c.item, c.chara, c.shot), c.shown) << c.name;
}

}  // namespace
