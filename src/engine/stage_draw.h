// Stage drawing: the system images the play scene draws with, and the layout of the head-up
// display.
#pragma once

#include "core/safe_container.h"
#include "platform/wintypes.h"

class DisplayItem;
struct DDSURFACEDATA;

// System image numbers.
constexpr int IMAGE_SHOT = 20;  // the shot sheet, and the quarter-chip source of the work surfaces
constexpr int IMAGE_SHOT_MIRROR = 21;
constexpr int IMAGE_MARK = 43;  // the mark sheet, on which the chip and item batches run
constexpr int IMAGE_HUD_BAR = 46;
constexpr int IMAGE_ACCESSORY = 49;  // HUD icons and gauge cells
constexpr int IMAGE_WORD = 51;       // stage messages and the timer digits
constexpr int IMAGE_BACK_LAYER = 55;  // 55..62: background layers 0..7
constexpr int BACK_LAYER_IMAGES = 8;
constexpr int IMAGE_SHOT_WORK = 63;  // the shot work surfaces 63 and 64 (the chip work surfaces)
constexpr int IMAGE_SHOT_WORK_MIRROR = 64;
constexpr int IMAGE_SIGHT_MASK = 65;
constexpr int IMAGE_SIGHT_WINDOW = 66;
constexpr int IMAGE_EFFECT_WORK = 67;  // also the colour surface of the screen colour
constexpr int IMAGE_EFFECT_WORK_SYS = 68;

// The head-up display's items laid out: for each of the five items whether it is shown, its x
// and its width. The widths come from System.dat's labels and digit counts, which can make them
// and the gaps far larger than the bar: all are kept in 64 bits.
struct HudLayout {
  bool show[5] = {};
  long long x[5] = {-1, -1, -1, -1, -1};
  long long width[5] = {};
  int shown = 0;
};
HudLayout LayOutHud(const cSafeVector<DisplayItem>& items);

// The strip size of a split effect: size / parts rounded up (the whole size for no parts).
int ScrEffectStrip(int size, int parts);

// The fill that makes a surface transparent: the colour key of the running back-end.
DWORD ColourKeyFill();

// Set by the application: the palette animation of the frame (none when null).
extern void (*g_lpfnAnimatePalette)();

// The range display of the characters' distance conditions (with the character drawing).
void DrawDistanceRanges(DDSURFACEDATA* lpDst);
