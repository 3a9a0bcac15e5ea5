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

// For timing the layer's sprite batch: the layer under Direct3D at 32 bits with the scene's
// sheet loaded as a keyed texture (bitmaps written into workDir); false when the set-up fails.
// LayerSpritesDraw queues count 32 × 32 keyed sprites of the sheet across the back buffer in
// one sprite batch and flushes it; LayerSpritesClose shuts the layer down.
bool LayerSpritesOpen(const std::string& workDir);
void LayerSpritesDraw(int count);
void LayerSpritesClose();
// The scene's set-up and end, for other frames drawn with the same images: the layer set up
// with the sheet as system images 0 (palette and transparent colour), 2 (keyed) and 3 (mirrored
// alias of 2), the debug-text font as image 1 and an empty 128 × 64 work surface as image 4.
// The end presents the frame when show is set, shuts the layer down and returns the frame shown.
bool OpenLayerScene(int bDirect3D, int bpp, const std::string& workDir);
bool CloseLayerScene(int bDirect3D, bool show, LayerSceneFrame* frame);

// FNV-1a over the frame's pixels.
uint64_t FrameHash(const LayerSceneFrame& frame);
