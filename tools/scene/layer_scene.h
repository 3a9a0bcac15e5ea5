// A frame drawn through the drawing layer itself: set-up with a small system image table made
// of generated bitmaps, the palette and the transparent colour loaded from them, fills, keyed,
// scaled and mirrored blits, a mirrored alias sheet, a work surface, the virtual back buffer,
// a translucent and a tinted blit, debug text, the present and the shutdown. For the scene tool
// and the test that pins the frame's pixels.
//
// The translucent and the tinted blit draw the sheet's checker cell (4 × 4 squares of colours
// 0xC03030 and 0x30A040, the latter at the cell's top left) at (200, 244) and (240, 244), 32 × 32,
// over the band of colour 0x889877 (y 240..279), with the vertex colours 0x80FFFFFF (under the
// alpha operation MODULATE) and 0xFF7FBF3F.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct LayerSceneFrame {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;  // 0xAARRGGBB, rows top-down
};

// Draws the scene with the given back-end and depth (Direct3D in a window, DirectDraw full
// screen), writing its bitmaps into workDir (a plain ASCII path), and returns the frame the
// headless display was shown. False when any step fails.
bool DrawLayerScene(int bDirect3D, int bpp, const std::string& workDir, LayerSceneFrame* frame);

// FNV-1a over the frame's pixels.
uint64_t FrameHash(const LayerSceneFrame& frame);
