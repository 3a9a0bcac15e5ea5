// The scene tool's text frame drawn through the fonts with the installed Japanese faces, pinned
// by its pixel hash in both back-ends. A change of the hash means text is drawn differently:
// look at the frame with `scene_png <scene> out.png` before taking a new value.
#include <gtest/gtest.h>

#include "platform/d3dx9.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "text_scene.h"

TEST(TextScene, FramesKeepTheirPixels) {
  struct Case {
    const char* scene;
    int d3d, bpp;
    uint64_t hash;
  } cases[] = {
      {"text-d3d32", 1, 32, 0xcd5ebad734f72833ull},
      {"text-d3d16", 1, 16, 0x90b7ddac0496736eull},
      {"text-dd8", 0, 8, 0xd5ce532631589c6bull},
      {"text-dd32", 0, 32, 0x9d2e24adfe1bf903ull},
  };
  gfx::SetPresenter(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scene);
    LayerSceneFrame frame;
    ASSERT_TRUE(DrawTextScene(c.d3d, c.bpp, &frame));
    EXPECT_EQ(frame.width, 640);
    EXPECT_EQ(frame.height, 480);
    EXPECT_EQ(FrameHash(frame), c.hash) << std::hex << FrameHash(frame);
  }
  SetGdiTextEngine(nullptr);
  SetD3DXFontFactory(nullptr);
}
