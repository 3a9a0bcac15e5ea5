// The definition from which one of the system's fonts is made.
//
// Other texts name the members szFaceName, nCellWidth, nLineHeight, nColor, nBoxColor and
// nPictureImage; the names here are the ones to use.
#pragma once

#include <cstdint>

struct FONTDEF {
  // The face name (Shift-JIS); start-up sets it from the system settings' font face.
  char szFace[256] = {};
  // Character width (0: the face's own width) and height.
  int32_t nWidth = 0;
  int32_t nHeight = 0;
  // Horizontal pitch of a fixed-pitch cell (also the glyph cache's cell width) and the line
  // height (also the cache's cell height).
  int32_t nPitchX = 0;
  int32_t nPitchY = 0;
  // Palette number of the text colour.
  int32_t nColour = 0;
  // System image number of the box picture, the thickness of the box frame and its palette
  // number.
  int32_t nBoxImage = 0;
  int32_t nBoxMargin = 0;
  int32_t nBoxColour = 0;
  // System image number of the picture characters.
  int32_t nPictImage = 0;
  // Glyph caches: 0 off, 1 on, 2 the configuration's setting of the drawing mode (replaced by
  // start-up before the fonts are made).
  int32_t nCache = 0;
};
