// The circle blit, the whole-surface mix with a colour of the DirectDraw fades, and the tint of
// a surface through the Direct3D device.
#pragma once

#include "draw/surface_data.h"
#include "platform/wintypes.h"

// The part of the source around (nSrcX, nSrcY) inside a circle of nRadius, drawn centred on
// (x, y) as a stack of strips nStrip rows high; source columns nSrcX ± nHalfWidth, row offsets
// −nHalfHeight up to nHalfHeight. A radius or strip height ≤ 0 draws nothing.
void DDBltCircle(DDSURFACEDATA* lpDstSD, int x, int y, int nHalfWidth, int nHalfHeight, int nRadius, int nStrip,
                 DDSURFACEDATA* lpSrcSD, int nSrcX, int nSrcY, int nFlags);
// DirectDraw 16 and 32 bits: every pixel of the destination (that the source also holds) is the
// source pixel at the same place mixed with the colour: nLevel 256 the source, 0 the colour.
// 1 after the mix and under Direct3D, 0 when a surface cannot be locked.
int DDFade_UnPal(DDSURFACEDATA* lpDstSD, int nLevel, BYTE bRed, BYTE bGreen, BYTE bBlue, DDSURFACEDATA* lpSrcSD);
// Direct3D: the whole destination tinted with the colour at the transparency nAlpha (255 leaves
// it, 0 multiplies it by the colour), from lpSrcSD (DDChangeColor: the destination itself, read
// as it was before the draw). Always 1.
int DDChangeColor(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nAlpha, BYTE bRed, BYTE bGreen,
                  BYTE bBlue);
int DDChangeColorFrom(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD,
                      int nAlpha, BYTE bRed, BYTE bGreen, BYTE bBlue);
