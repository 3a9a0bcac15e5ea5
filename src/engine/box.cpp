#include "engine/box.h"

void SetBox(cBox& box, int ox, int oy, int w, int h) {
  box.nOffsetX = box.nBaseOffsetX = ox;
  box.nOffsetY = box.nBaseOffsetY = oy;
  box.nWidth = box.nBaseWidth = w;
  box.nHeight = box.nBaseHeight = h;
}

void CentreBox(cBox& box, int w, int h, int gx, int gy) { SetBox(box, 16 - (w >> 1) - gx, 16 - (h >> 1) - gy, w, h); }

void ScaleBox(cBox& box, int zoom) {
  box.nOffsetX = zoom * box.nBaseOffsetX;
  box.nOffsetY = zoom * box.nBaseOffsetY;
  box.nWidth = zoom * box.nBaseWidth;
  box.nHeight = zoom * box.nBaseHeight;
}

void PlaceBoxX(cBox& box, int p) {
  box.dLeft = p + box.nOffsetX;
  box.dRight = box.dLeft + box.nWidth - 1;
}

void PlaceBoxY(cBox& box, int p) {
  box.dTop = p + box.nOffsetY;
  box.dBottom = box.dTop + box.nHeight - 1;
}

void ChooseBoxA(cChara& chara, int choice, const cBoxSizes& s) {
  switch (choice) {
    case 0:
      chara.SetBoxA(s.bottom, s.contactW, s.contactH);
      break;
    case 1:
      chara.SetBoxA(0, s.shotHitW, s.shotHitH);
      break;
    case 2:
      chara.SetBoxA(0, s.shotW, s.shotH);
      break;
    case 3:
      chara.SetBoxA(0, 32, 32);
      break;
    default:
      break;
  }
}
