// The contact boxes of the hero and the stage characters: set, scaled by the zoom, placed at
// the body's position, and box A chosen by the definition's contact-box choice.
#pragma once

#include "engine/chara.h"

// Offset and size, scaled and at zoom 1 alike.
void SetBox(cBox& box, int ox, int oy, int w, int h);
// A box of w × h centred in the 32-dot graphic cell whose body offset is (gx, gy).
void CentreBox(cBox& box, int w, int h, int gx, int gy);
// Offsets and sizes = zoom × their values at zoom 1.
void ScaleBox(cBox& box, int zoom);
// Left and right (top and bottom) from the truncated body position p.
void PlaceBoxX(cBox& box, int p);
void PlaceBoxY(cBox& box, int p);

// The sizes a box A may take: the contact size with its bottom anchor, the size against shots,
// the shot's size.
struct cBoxSizes {
  int bottom, contactW, contactH;
  int shotHitW, shotHitH;
  int shotW, shotH;
};
// Box A by choice 0 contact size, 1 the size against shots, 2 the shot's size, 3 32 × 32
// (centred but for choice 0); another choice leaves it as it is.
void ChooseBoxA(cChara& chara, int choice, const cBoxSizes& sizes);
