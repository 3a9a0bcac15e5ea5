// Surfaces for the effect tests: small surfaces of the lock-based paths and render targets of
// the Direct3D quad paths, filled and read as raw pixel values of the running mode.
#pragma once

#include <vector>

#include "draw_fixture.h"

// The five modes the effects run in.
struct DrawMode {
  const char* name;
  int d3d;
  int bpp;
};
constexpr DrawMode kDrawModes[] = {
    {"Direct3D 32", 1, 32}, {"Direct3D 16", 1, 16}, {"DirectDraw 8", 0, 8}, {"DirectDraw 16", 0, 16},
    {"DirectDraw 32", 0, 32},
};

class EffectTest : public DrawTest {
 protected:
  // An off-screen surface of the lock-based paths (Direct3D: a system-memory texture; DirectDraw:
  // a system-memory surface) with every pixel set to value.
  void MakeLocked(DDSURFACEDATA* sd, int w, int h, DWORD value, int transmit = 0);
  // A Direct3D render-target texture of the quad paths, filled with the ARGB colour.
  void MakeTarget(DDSURFACEDATA* sd, int w, int h, DWORD argb);
  // Raw pixels through the layer's lock.
  static void Put(DDSURFACEDATA* sd, int x, int y, DWORD value);
  static void Fill(DDSURFACEDATA* sd, DWORD value);
  // The pixel value a fill with the palette number stores on a lock-path surface.
  DWORD Stored(DWORD palNum);
  // Rows of raw pixels: the rectangle (x, y, w, h) of the surface.
  std::vector<DWORD> Block(DDSURFACEDATA* sd, int x, int y, int w, int h);
};
