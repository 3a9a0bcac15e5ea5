// The load parameters of one surface: a bitmap file, or an empty surface of a given size, and
// how the surface is made. The system image table, the tables of the stage's own graphics and
// the fonts' digit sheets are made of them; the surface loader reads them.
//
// Other texts call this record SYSIMAGEENTRY and its members bTransmit, nMemory, dwMemoryType,
// bPalIndexMap, nMirrorWidth and nMirrorHeight; the names here are the ones to use.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

struct BitmapEntry {
  // The bitmap file, relative to the working folder, as Shift-JIS bytes (opened through the
  // path resolver); "E" stands for an empty surface of nWidth × nHeight.
  char szFileName[MAX_PATH] = {};
  // 1: the image has a transparent colour.
  int32_t nTransmit = 0;
  // DirectDraw memory kind: 0 video memory, 1 system memory.
  int32_t nDDMemory = 0;
  // Direct3D memory type: 0 video render target, 1 system memory, 2 video without render target.
  int32_t nD3DMemory = 0;
  // Direct3D: the surface gets no texture of its own and is drawn from its substitute surface.
  int32_t bNoTexture = 0;
  // A palette-number map is built for the surface when the screen is not 8-bit.
  int32_t bPaletteMap = 0;
  // A failure to create the surface is not an error.
  int32_t bOptional = 0;
  // When not 0 the image is mirrored cell by cell, cells of this width; the height 0 means
  // whole-height cells.
  int32_t nMirrorCellW = 0;
  int32_t nMirrorCellH = 0;
  // The size of an empty surface ("E").
  int32_t nWidth = 0;
  int32_t nHeight = 0;
};
