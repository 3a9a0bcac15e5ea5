// Graphic cells: which surfaces and which source position show a graphic number of a graphic
// kind for either facing, the 16 × 16 icons and the block chips drawn from them, the surfaces
// the character drawing works with, and the colour pulses of invincible characters. The
// animations of the characters themselves (the basic set and the running animations that the
// flows start) are members of cChara, defined beside these.
#pragma once

#include <cstdint>

struct DDSURFACEDATA;
class cObject;

// System images the characters, items, shots and blocks are drawn from.
constexpr int IMG_BLOCK_CHIPS = 2;        // second variant 3
constexpr int IMG_CHARA_SHEET = 4;        // sheet s: 4 + 2s as drawn, 5 + 2s mirrored
constexpr int IMG_SECOND_VARIANT = 18;    // the second variant of image n is n + 18
constexpr int CHARA_SHEETS = 8;
constexpr int IMG_ITEM_SHEET = 40;        // second variant 41
constexpr int IMG_SMALL_ITEMS = 42;
constexpr int IMG_MARK = 43;              // its stretched copy 44
constexpr int IMG_ACCESSORY = 49;
constexpr int IMG_SHOT_LEFT = 63;         // the shot cells built by the stage drawing; 64 right
constexpr int IMG_WORK_A = 67;
constexpr int IMG_WORK_B = 68;
constexpr int IMG_WORK_C = 70;

// The surfaces and the source position of one graphic cell, and the colour the character
// drawing gives it. A null surface draws nothing.
struct cGraphicRef {
  DDSURFACEDATA* lpOwn = nullptr;  // the drawn facing: first variant and second variant
  DDSURFACEDATA* lpOwn2 = nullptr;
  DDSURFACEDATA* lpOpp = nullptr;  // the other facing
  DDSURFACEDATA* lpOpp2 = nullptr;
  // The pair drawn from: the first variants under DirectDraw with video stretching on, else
  // the second variants.
  DDSURFACEDATA* lpChosenOwn = nullptr;
  DDSURFACEDATA* lpChosenOpp = nullptr;
  // A large cell of a dedicated sheet, its side in 32-dot units.
  int32_t bMultiCell = 0;
  uint8_t byCells = 1;
  int32_t nSrcX = 0;
  int32_t nSrcY = 0;
  // The invincibility colour: drawn with the colour variants of the blits and this pair.
  int32_t bColoured = 0;
  uint32_t dwDiffuse = 0xFFFFFFFFu;
  int32_t nColorOp = 0;

  // Fills the reference. use 0: no object (blocks); 1: a character drawn with its facing; 2: an
  // item, c being its animation frame. kind 0 block chips, 1 character sheets, 2 items, 3
  // shots, 4 dedicated sheets; a: graphic number; b: cell. A character sheet past the eight
  // sheets or a cell outside its sheet shows the first sheet's top-left cell; a dedicated
  // sheet that is not loaded and any other kind leave the surfaces null.
  void Set(int use, int kind, int a, int b, const cObject* object, int c);
};

// A surface that can be drawn from (made, and not an empty record).
bool HasSurface(const DDSURFACEDATA* sd);

// The system image to draw a sheet from: under DirectDraw the second variant when the image
// has no surface (or, preferring it, when the second variant has one).
int PickSheetImage(int n, int preferSecond);

// A graphic cell as a 16 × 16 icon at (x, y) with the transparent colour.
void DrawGraphicIcon(DDSURFACEDATA* surface, int x, int y, int kind, int n, int cell);

// The surfaces of the character drawing for the drawing mode: the stretched mark sheet, a
// 640 × 480 work surface and a second work surface.
void SelectEffectSurfaces();
extern DDSURFACEDATA* g_lpZoomMarkSurface;
extern DDSURFACEDATA* g_lpCharaWorkSurface;
extern DDSURFACEDATA* g_lpCharaWorkSurface2;

// The author's view of the distance conditions: the ranges of the kind-7 conditions of every
// character on screen (appearance conditions, then the flows' start conditions), blinking by
// the phase counter 0..31, which advances once per call.
void DrawDistanceRanges(DDSURFACEDATA* surface);
extern int g_nRangePhase;

// The colour pulses of invincible characters, entries 1..9 (the palette animation keeps them):
// 1 with the colour and its Direct3D texture operation, 0 for any other entry. Set by the
// shell; null: no pulse is known and nothing is coloured.
extern int (*g_lpfnFlashColor)(int index, uint32_t* lpColor, int32_t* lpColorOp);
