// The scene tool's frame drawn through the drawing layer, pinned by its pixel hash in every
// back-end and depth. A change of the hash means the layer draws differently: look at the
// frame with `scene_png <scene> out.png` before taking a new value. The translucent and the
// tinted blit of the frame are checked against pixels worked out by hand.
#include <gtest/gtest.h>

#include "layer_scene.h"
#include "platform/display.h"
#include "support/temp_dir.h"

// The checker cell's colours 0x30A040 (top left square, "6") and 0xC03030 (the next one, "5")
// at half alpha and tinted by 0x7FBF3F, over the band 0x889877; every channel worked out by hand:
//   blend round((s × a + d × (255 − a)) / 255) with a = round(255 × 128 / 255) = 128,
//   tint round(s × t / 255);
// at 16 bits the texture (A1R5G5B5) and the back buffer (A1R5G5B5 windowed under Direct3D,
// R5G6B5 under DirectDraw) hold the colours cut to 5 or 6 bits, widened by bit replication
// (0x30 -> 6 -> 49, 0xA0 -> 20 -> 165, ...) for the arithmetic and for the display.
// DirectDraw draws both blits as plain ones.
TEST(LayerScene, FramesKeepTheirPixels) {
  struct Case {
    const char* scene;
    int d3d, bpp;
    uint64_t hash;
    uint32_t band, half6, half5, tint6, tint5;
  } cases[] = {
      // Half 6: R (48·128 + 136·127) / 255 = 91.8 -> 0x5C, G 156.0 -> 0x9C, B 91.4 -> 0x5B.
      // Half 5: R 164.1 -> 0xA4, G 99.8 -> 0x64, B 83.4 -> 0x53.
      // Tint 6: 48·127/255 = 23.9 -> 0x18, 160·191/255 = 119.8 -> 0x78, 64·63/255 = 15.8 -> 0x10.
      // Tint 5: 192·127/255 = 95.6 -> 0x60, 48·191/255 = 36.0 -> 0x24, 48·63/255 = 11.9 -> 0x0C.
      {"layer-d3d32", 1, 32, 0x6fef19782c9e208full, 0x889877, 0x5C9C5B, 0xA46453, 0x187810, 0x60240C},
      // Band 17, 19, 14 -> 140, 156, 115. Half 6 over it: 94.8 -> 11, 161.0 -> 20, 90.9 -> 11;
      // half 5 (198, 49, 49): 169.6 -> 21, 102.8 -> 12, 82.4 -> 10. Tint 6 (49, 165, 66): 24.9 -> 3,
      // 124.1 -> 15, 16.8 -> 2; tint 5: 99.1 -> 12, 37.2 -> 4, 12.6 -> 1. Shown widened.
      {"layer-d3d16", 1, 16, 0x1a9e0be75bb44914ull, 0x8C9C73, 0x5AA55A, 0xAD6352, 0x187B10, 0x632108},
      {"layer-dd8", 0, 8, 0x05f0e0b32b13d4a7ull, 0x889877, 0x30A040, 0xC03030, 0x30A040, 0xC03030},
      // R5G6B5: 0x889877 -> 17, 38, 14 -> 140, 154, 115; 0x30A040 -> 6, 40, 8 -> 49, 162, 66;
      // 0xC03030 -> 24, 12, 6 -> 198, 48, 49.
      {"layer-dd16", 0, 16, 0x56fd937e13adb401ull, 0x8C9A73, 0x31A242, 0xC63031, 0x31A242, 0xC63031},
      {"layer-dd32", 0, 32, 0xb61a50f2dde08f37ull, 0x889877, 0x30A040, 0xC03030, 0x30A040, 0xC03030},
  };
  gfx::SetPresenter(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scene);
    TempDir dir;
    LayerSceneFrame frame;
    ASSERT_TRUE(DrawLayerScene(c.d3d, c.bpp, dir.path(), &frame));
    ASSERT_EQ(frame.width, 640);
    ASSERT_EQ(frame.height, 480);
    ASSERT_EQ(frame.argb.size(), 640u * 480u);
    auto at = [&frame](int x, int y) { return frame.argb[static_cast<size_t>(y * 640 + x)] & 0xFFFFFF; };
    struct Probe {
      int x, y;
      uint32_t expect;
    };
    const Probe probes[] = {
        {236, 244, c.band}, {199, 250, c.band}, {272, 250, c.band}, {210, 276, c.band},
        {200, 244, c.half6}, {203, 247, c.half6}, {204, 244, c.half5}, {200, 248, c.half5}, {231, 275, c.half6},
        {240, 244, c.tint6}, {243, 247, c.tint6}, {244, 244, c.tint5}, {240, 248, c.tint5}, {271, 275, c.tint6},
    };
    for (const Probe& p : probes) {
      EXPECT_EQ(at(p.x, p.y), p.expect) << p.x << "," << p.y << std::hex << " got " << at(p.x, p.y);
    }
    EXPECT_EQ(FrameHash(frame), c.hash) << std::hex << FrameHash(frame);
  }
}
