// The play screen gives back what play loaded when it ends: the system images of its list and
// the stage's own bitmaps, swords and effects; images outside its list stay.
#include <gtest/gtest.h>

#include "../draw/draw_fixture.h"
#include "app/play_screen.h"
#include "app/scene.h"
#include "engine/play_scene.h"
#include "engine/stage_images.h"

namespace {

class PlayScreenImages : public DrawTest {
 protected:
  void SetUp() override {
    // The drawing layer keeps pointing at this test's image table after it ends.
    savedTable_ = g_SystemImageTable;
    savedCount_ = g_nSystemImageCount;
    DrawTest::SetUp();
    savedHooks_ = g_SceneManager.PlayHooks();
    savedLink_ = g_PlayShellLink;
  }
  void TearDown() override {
    for (DDSURFACEDATA& sd : g_SystemImage) DDReleaseSurface(&sd);
    g_SceneManager.SetPlaySceneHooks(savedHooks_);
    g_PlayShellLink = savedLink_;
    DrawTest::TearDown();
    g_SystemImageTable = savedTable_;
    g_nSystemImageCount = savedCount_;
  }
  static bool Made(const DDSURFACEDATA& sd) { return sd.lpDT != nullptr; }

  PlaySceneHooks savedHooks_;
  cPlayShellLink savedLink_;
  const BitmapEntry* savedTable_ = nullptr;
  int savedCount_ = 0;
};

TEST_F(PlayScreenImages, EndingPlayReleasesItsImagesAndKeepsTheTitles) {
  // 55 (a background layer) and 65 (the sight mask) are play's; 47 (the title's) is not.
  for (int n : {47, 55, 65}) table[n] = Entry("E", 1, 0, 0, 0, 0, 0, 0, 0, 64, 32);
  InitOrFail(1, 32, 1);
  const int images[] = {47, 55, 65};
  ASSERT_TRUE(DDLoadSystemBitmaps(g_SystemImage, images, 3));
  RegisterPlayScreen();
  cPlayScene* play = nullptr;
  cScene* screen = g_SceneManager.PlayHooks().lpfnCreate(&play);
  ASSERT_NE(screen, nullptr);
  // One image of each of the stage's own lists, as the loaders leave them.
  for (auto* list : {&g_vStageBmpSurface, &g_vSwordSurface, &g_vEffectSurface}) {
    list->emplace_back();
    ASSERT_TRUE(DDCreateSurface(&list->back(), 32, 32, 1, 0, 0, 0, 0));
  }
  for (auto* entries : {&g_vStageBmpEntry, &g_vSwordBmpEntry, &g_vEffectBmpEntry}) entries->emplace_back();
  delete screen;
  EXPECT_FALSE(Made(g_SystemImage[55]));
  EXPECT_FALSE(Made(g_SystemImage[65]));
  EXPECT_TRUE(Made(g_SystemImage[47]));
  EXPECT_TRUE(g_vStageBmpSurface.empty());
  EXPECT_TRUE(g_vSwordSurface.empty());
  EXPECT_TRUE(g_vEffectSurface.empty());
  EXPECT_TRUE(g_vStageBmpEntry.empty());
  EXPECT_TRUE(g_vSwordBmpEntry.empty());
  EXPECT_TRUE(g_vEffectBmpEntry.empty());
}

}  // namespace
