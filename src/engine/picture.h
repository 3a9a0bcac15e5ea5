// Pictures shown by the picture command: an image surface drawn at a stage position (or fixed on
// the screen), at its own size or scaled, on one of the drawing layers, for a time or until the
// command takes it away.
#pragma once

#include <cstdint>

#include "core/safe_container.h"
#include "draw/bitmap_entry.h"
#include "draw/surface_data.h"

// The image surfaces of the shown pictures and their creation entries. Position i of both lists
// and of the play scene's picture list belongs to the same picture.
extern cSafeList<DDSURFACEDATA> g_lPictureSurface;
extern cSafeList<BitmapEntry> g_lPictureBmpEntry;

// Owned by the play scene: when the scene ends, the picture surfaces are released and both
// lists emptied.
struct cPictureSurfaceOwner {
  cPictureSurfaceOwner() = default;
  cPictureSurfaceOwner(const cPictureSurfaceOwner&) = delete;
  cPictureSurfaceOwner& operator=(const cPictureSurfaceOwner&) = delete;
  ~cPictureSurfaceOwner();
};

class cPicture {
 public:
  // Stores the values; a magnification other than 100 % draws scaled. A screen-fixed picture
  // has its screen position taken once, from the current scroll.
  void Setup(int id, double x, double y, int width, int height, int screenFixed, int layer, int percent,
             int displayMode, int countdown, int countWhileHeld, int value1, int value2);
  // One drawn frame (bHeld: drawn by the pause loop): 1 when the picture has ended, else 0
  // after drawing it.
  int Draw(DDSURFACEDATA* lpTarget, DDSURFACEDATA* lpPicture, int bHeld);

  int32_t m_nId = 0;
  double m_dX = 0;
  double m_dY = 0;
  int32_t m_nWidth = 0;
  int32_t m_nHeight = 0;
  int32_t m_bScaled = 0;
  int32_t m_nLayer = 0;
  // As for message windows: 0 until the key, 1 until the stage ends, 2 timed.
  int32_t m_nDisplayMode = 0;
  int32_t m_nCountdown = 0;
  int32_t m_bCountWhileHeld = 0;
  int32_t m_bScreenFixed = 0;
  int32_t m_bPlaced = 0;
  int32_t m_nScreenX = 0;
  int32_t m_nScreenY = 0;
  int32_t m_nPictureValue[2] = {0, 0};
};
