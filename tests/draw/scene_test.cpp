// The scene tool's frame drawn through the drawing layer, pinned by its pixel hash in every
// back-end and depth. A change of the hash means the layer draws differently: look at the
// frame with `scene_png <scene> out.png` before taking a new value.
#include <gtest/gtest.h>

#include "layer_scene.h"
#include "platform/display.h"
#include "support/temp_dir.h"

TEST(LayerScene, FramesKeepTheirPixels) {
  struct Case {
    const char* scene;
    int d3d, bpp;
    uint64_t hash;
  } cases[] = {
      {"layer-d3d32", 1, 32, 0xcbe564450056908full}, {"layer-d3d16", 1, 16, 0x2be73c9fc7e88914ull},
      {"layer-dd8", 0, 8, 0x66a1d9a82a9fd4a7ull},    {"layer-dd16", 0, 16, 0xa6ad68bf32266c01ull},
      {"layer-dd32", 0, 32, 0x16cb49e7dd6c8f37ull},
  };
  gfx::SetPresenter(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scene);
    TempDir dir;
    LayerSceneFrame frame;
    ASSERT_TRUE(DrawLayerScene(c.d3d, c.bpp, dir.path(), &frame));
    EXPECT_EQ(frame.width, 640);
    EXPECT_EQ(frame.height, 480);
    EXPECT_EQ(FrameHash(frame), c.hash) << std::hex << FrameHash(frame);
  }
}
