// The scene tool's effect frames, pinned by their pixel hashes in Direct3D 32 and DirectDraw 16
// bits. A change of a hash means an effect draws differently: look at the frame with
// `scene_png fx-<effect>-d3d32 out.png` (or -dd16) before taking a new value.
#include <gtest/gtest.h>

#include "effect_scene.h"
#include "platform/display.h"
#include "support/temp_dir.h"

TEST(EffectScene, FramesKeepTheirPixels) {
  struct Case {
    const char* effect;
    uint64_t d3d32, dd16;
  } cases[] = {
      {"waves", 0xd704102cc5be2fd5ull, 0x5314086c8e8b72c8ull},
      {"splits", 0xf3634438986df0e1ull, 0xb98bbcfd0b5487f2ull},
      {"fades", 0x8b9e6b0208a4df63ull, 0x0905262a09dbeab2ull},
      {"blur", 0x66556a804a841647ull, 0x074a746ce06b76baull},
      {"mosaic", 0x564e77416096e6c5ull, 0xc6d97e09c4cb98f0ull},
      {"rotation", 0x6927cee23f2f8ec8ull, 0xe92b1b732db1e435ull},
      {"lens", 0x08f015745470ac44ull, 0x4eec2b4ed84c9e2eull},
      {"circle", 0x696897512a5f199cull, 0xc2b0997307935cecull},
      {"tint", 0x65a1eec74cfe361aull, 0x1697085d12141358ull},
      {"rects", 0x3254a4d966028ce9ull, 0xdd6392cd274cb014ull},
  };
  ASSERT_EQ(EffectSceneNames().size(), std::size(cases));
  gfx::SetPresenter(nullptr);
  for (const Case& c : cases) {
    for (const int d3d : {1, 0}) {
      SCOPED_TRACE(testing::Message() << c.effect << (d3d ? " Direct3D 32" : " DirectDraw 16"));
      TempDir dir;
      LayerSceneFrame frame;
      ASSERT_TRUE(DrawEffectScene(c.effect, d3d, d3d ? 32 : 16, dir.path(), &frame));
      EXPECT_EQ(frame.width, 640);
      EXPECT_EQ(frame.height, 480);
      EXPECT_EQ(FrameHash(frame), d3d ? c.d3d32 : c.dd16) << std::hex << FrameHash(frame);
    }
  }
  EXPECT_FALSE(DrawEffectScene("no such effect", 1, 32, "/tmp", nullptr));
}
