// The frame's DirectDraw restore pass: surfaces loaded from files get their pictures back, drawn
// surfaces come back marked for drawing again, and a picture that cannot be loaded any more
// stops the frame loop.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "../draw/draw_fixture.h"
#include "app/scene.h"
#include "app/screen_surface.h"
#include "draw/surface.h"
#include "engine/message_window.h"
#include "engine/picture.h"
#include "engine/stage_images.h"
#include "platform/ddraw.h"

namespace {

class SurfaceRestoreTest : public DrawTest {
 protected:
  void TearDown() override {
    for (DDSURFACEDATA& sd : g_vStageBmpSurface) DDReleaseSurface(&sd);
    for (DDSURFACEDATA& sd : g_vScreenSurface) DDReleaseSurface(&sd);
    g_vStageBmpSurface.clear();
    g_vScreenSurface.clear();
    DDReleaseSurfaceList(g_lPictureSurface);
    g_lPictureSurface.clear();
    DDReleaseSurfaceList(Off_Msg);
    Off_Msg.clear();
    Off_MsgEntry.clear();
    DrawTest::TearDown();
  }
};

TEST_F(SurfaceRestoreTest, LostSurfacesComeBackOrStopTheLoop) {
  const std::string sheet = SheetBmp();
  InitOrFail(0, 16, 0);
  g_vStageBmpSurface.resize(1);
  g_vScreenSurface.resize(1);
  DDSURFACEDATA& stage = g_vStageBmpSurface[0];
  DDSURFACEDATA& drawn = g_vScreenSurface[0];
  ASSERT_EQ(DDCreateSurfaceFromFile(&stage, sheet.c_str(), 1, 16, 0, 0, 0, 0, 0, 0, 0), 0);
  ASSERT_TRUE(DDCreateSurface(&drawn, 8, 4, 0, 0, 0, 0, 0));
  IDirectDrawSurface7* s = stage.lpDDObj->lpSurface;
  ASSERT_EQ(SurfacePixel(s, 1, 0), 0xF800u);

  EXPECT_EQ(g_SceneManager.CheckSurfaceLost(), 1) << "nothing lost";
  EXPECT_EQ(stage.bLost, 0);

  lpDD->LoseSurfacesForTest();
  EXPECT_EQ(g_SceneManager.CheckSurfaceLost(), 1);
  EXPECT_EQ(s->IsLost(), DD_OK);
  EXPECT_EQ(SurfacePixel(s, 1, 0), 0xF800u) << "the sheet's red row loaded again";
  EXPECT_EQ(SurfacePixel(s, 1, 1), 0x07E0u);
  EXPECT_EQ(drawn.lpDDObj->lpSurface->IsLost(), DD_OK);
  EXPECT_EQ(drawn.bLost, 1) << "a drawn surface is left to its owner to draw again";

  // The picture's file is gone: the pass fails and the frame loop ends.
  ASSERT_EQ(std::remove(sheet.c_str()), 0);
  lpDD->LoseSurfacesForTest();
  EXPECT_EQ(g_SceneManager.CheckSurfaceLost(), 0);
}

TEST_F(SurfaceRestoreTest, PictureAndMessageSurfacesComeBackToo) {
  const std::string sheet = SheetBmp();
  InitOrFail(0, 16, 0);
  g_lPictureSurface.resize(1);
  DDSURFACEDATA& picture = g_lPictureSurface.front();
  ASSERT_EQ(DDCreateSurfaceFromFile(&picture, sheet.c_str(), 1, 16, 0, 0, 0, 0, 0, 0, 0), 0);
  ASSERT_TRUE(DDPushSurface(Off_Msg, Off_MsgEntry, 8, 4, 1, 0, 0, 0));
  DDSURFACEDATA& message = Off_Msg.front();
  IDirectDrawSurface7* s = picture.lpDDObj->lpSurface;

  lpDD->LoseSurfacesForTest();
  EXPECT_EQ(g_SceneManager.CheckSurfaceLost(), 1);
  EXPECT_EQ(s->IsLost(), DD_OK);
  EXPECT_EQ(SurfacePixel(s, 1, 0), 0xF800u) << "the picture loaded again";
  EXPECT_EQ(SurfacePixel(s, 1, 1), 0x07E0u);
  EXPECT_EQ(message.lpDDObj->lpSurface->IsLost(), DD_OK);
  EXPECT_EQ(message.bLost, 1) << "the window renders its text again";

  // The picture's file is gone: the pass fails and the frame loop ends.
  ASSERT_EQ(std::remove(sheet.c_str()), 0);
  lpDD->LoseSurfacesForTest();
  EXPECT_EQ(g_SceneManager.CheckSurfaceLost(), 0);
}

}  // namespace
