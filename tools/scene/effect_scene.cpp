#include "effect_scene.h"

#include "draw/draw.h"

namespace {

// The sheet's cells (32 × 32 at x 32, 64, 96) and its band of shades (128 × 32 at y 32).
DDSURFACEDATA* Sheet() { return &g_SystemImage[2]; }
DDSURFACEDATA* Work() { return &g_SystemImage[4]; }

void Background() {
  for (int i = 0; i < 12; ++i) DDFillRect(&BackBuffer, 0, i * 40, 640, 40, static_cast<DWORD>(16 + i * 20));
}

// The cells and the band side by side on the work surface (128 × 64), opaque.
void CopySheetToWork() { DDBltFast(Work(), 0, 0, 128, 64, Sheet(), 0, 0, 0); }

void Waves() {
  for (int k = 0; k < 4; ++k) {
    DDWave(&BackBuffer, 40, 20 + k * 60, 128, 48, k + 1, 6.0 + 2 * k, k * 30, 1, Sheet(), 0, 16, 1, 0);
    DDWave(&BackBuffer, 300 + k * 80, 60, 64, 128, k + 1, 8.0, k * 45, 2, Sheet(), 32, 0, 1, 1);
  }
  DDWave(&BackBuffer, 300, 300, 128, 32, 2, 0.0, 0, 4, Sheet(), 0, 32, 0, 0);
}

void Splits() {
  for (int k = 0; k < 4; ++k) {
    DDSplit(&BackBuffer, 40 + k * 150, 40, 96, 32, 4 + 4 * k, 3 + k, Sheet(), 32, 0, 1, 1);
    DDSplit(&BackBuffer, 40 + k * 150, 140, 128, 32, 2 + 2 * k, 6, Sheet(), 0, 32, 0, 0);
  }
  for (int phase = 0; phase < 8; ++phase) {
    DDRotateDepth(&BackBuffer, 40 + phase * 70, 240, 64, 64, Sheet(), 32, 0, Sheet(), 96, 0, 32, 32, 1, phase * 9, 0);
    DDRotateDepth(&BackBuffer, 40 + phase * 70, 320, 64, 64, Sheet(), 64, 0, Sheet(), 32, 0, 32, 32, 1, phase * 9, 1);
  }
  for (int k = 0; k < 4; ++k) DDBurst(&BackBuffer, 60 + k * 150, 410, 32, 32, Sheet(), 32, 0, 2 * k, 1);
}

void Fades() {
  DDBltFast(&BackBuffer, 200, 200, 128, 64, Sheet(), 0, 0, 1);
  // Two steps of 30 degrees: the frame as the second step of a fade to black leaves it.
  DDFadeOut(DDPaletteWork, 0, 255, 0, 0, 0, 30.0, DDPalette, 0);
  DDFadeOut(DDPaletteWork, 0, 255, 0, 0, 0, 30.0, DDPalette, 0);
}

void Blur() {
  CopySheetToWork();
  for (int k = 0; k < 4; ++k) DDBlur(&BackBuffer, 20 + k * 150, 40, 128, 64, k + 1, k + 1, Work(), 0, 0, 1);
  DDBlur(&BackBuffer, 20, 200, 128, 64, 3, 1, Work(), 0, 0, 0);
  DDBlur(&BackBuffer, 200, 200, 128, 64, 1, 3, Work(), 0, 0, 0);
}

void Mosaic() {
  CopySheetToWork();
  for (int k = 0; k < 4; ++k) DDMosaic(&BackBuffer, 20 + k * 150, 40, 128, 64, 1 << k, Work(), 0, 0, 1);
  DDMosaic(&BackBuffer, 20, 200, 128, 64, 6, Work(), 0, 0, 0);
}

void Rotation() {
  for (int k = 0; k < 8; ++k) {
    DDRotate(&BackBuffer, 60 + k * 72, 80, 32, 32, 16, 16, k * 45, Sheet(), 32 + 32 * (k % 3), 0, 1);
    DDRotate(&BackBuffer, 60 + k * 72, 200, 128, 32, 64, 16, k * 23, Sheet(), 0, 32, 0);
  }
  CopySheetToWork();
  DDRotate(&BackBuffer, 320, 360, 128, 64, 64, 32, 90, Work(), 0, 0, 0);
}

void Lens() {
  CopySheetToWork();
  DDBltFast(&BackBuffer, 100, 100, 128, 64, Work(), 0, 0, 1);
  for (int k = 0; k < 3; ++k) DDLens(&BackBuffer, 80 + k * 200, 300, 20 + 10 * k, 10 + 5 * k, Work(), 48, 16, 0, 0);
  DDLens(&BackBuffer, 164, 132, 24, 12, Work(), 64, 32, 1, 1);
}

void Circle() {
  CopySheetToWork();
  for (int k = 0; k < 4; ++k) {
    DDBltCircle(&BackBuffer, 80 + k * 150, 120, 64, 32, 10 + 8 * k, 1 + k, Work(), 64, 32, 1);
  }
  DDBltCircle(&BackBuffer, 320, 320, 64, 20, 40, 3, Work(), 64, 32, 0);
  DDBltCircle(&BackBuffer, 500, 320, 64, 32, 30, 1, Work(), 10, 32, 0);
}

void Tint() {
  DDBltFast(&BackBuffer, 40, 40, 128, 64, Sheet(), 0, 0, 1);
  for (int level = 1; level <= 4; ++level) {
    DDBltColorChange(&BackBuffer, 40 + level * 120, 40, 128, 64, Sheet(), 0, 0, 1, DDPalette, g_BlendTable, 5,
                     level);
  }
  DDBltHalf(&BackBuffer, 40, 200, 128, 64, Sheet(), 0, 0, 1, g_BlendTable);
  DDBltAlpha(&BackBuffer, 200, 200, 128, 64, Sheet(), 0, 0, 1, g_BlendTable, 64);
  CopySheetToWork();
  DDFade_UnPal(Work(), 128, 255, 255, 255, Sheet());
  DDBltFast(&BackBuffer, 360, 200, 128, 64, Work(), 0, 0, 0);
  if (lpDTCon) DDChangeColor(&BackBuffer, 0, 0, 640, 480, 96, 255, 160, 64);
}

void Rects() {
  DDBeginRectBatch();
  for (int i = 0; i < 40; ++i) DDFillRect(&BackBuffer, 10 + i * 15, 10 + (i % 7) * 9, 12, 40, static_cast<DWORD>(1 + i % 15));
  DDFlushRectBatch();
  for (int k = 0; k < 5; ++k) DDFrameRect(&BackBuffer, 20 + k * 120, 120, 100, 60, 1 + k, static_cast<DWORD>(2 + k));
  DDBltFramed(&BackBuffer, 40, 220, 128, 64, Sheet(), 4, 4);
  for (int r = 4; r < 60; r += 8) DDCircle(&BackBuffer, 400, 300, r, static_cast<DWORD>(1 + r % 15));
  for (int i = 0; i < 200; ++i) DDPutPixel(&BackBuffer, 500 + (i * 7) % 100, 380 + (i * 13) % 80, 4);
  // Numbers from the band of shades as a sheet of ten 8-pixel digit cells.
  DDDrawNumber(&BackBuffer, 40, 400, 8, 16, Sheet(), 0, 40, 0, 7, 3, 0);
  DDDrawNumber(&BackBuffer, 40, 420, 8, 16, Sheet(), 0, 40, 0, 7, 3, 1);
  DDDrawNumber(&BackBuffer, 40, 440, 8, 16, Sheet(), 0, 40, 0, 2147483647, 1, 0);
  DDClearSurface(Work(), 6);
  DDBltFast(&BackBuffer, 200, 400, 128, 64, Work(), 0, 0, 0);
}

struct EffectScene {
  const char* name;
  void (*draw)();
};

const EffectScene kScenes[] = {
    {"waves", Waves}, {"splits", Splits}, {"fades", Fades},   {"blur", Blur}, {"mosaic", Mosaic},
    {"rotation", Rotation}, {"lens", Lens}, {"circle", Circle}, {"tint", Tint}, {"rects", Rects},
};

}  // namespace

const std::vector<std::string>& EffectSceneNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (const EffectScene& s : kScenes) v.emplace_back(s.name);
    return v;
  }();
  return names;
}

bool DrawEffectScene(const std::string& name, int bDirect3D, int bpp, const std::string& workDir,
                     LayerSceneFrame* frame) {
  for (const EffectScene& s : kScenes) {
    if (name != s.name) continue;
    if (!OpenLayerScene(bDirect3D, bpp, workDir)) return false;
    Background();
    s.draw();
    return CloseLayerScene(bDirect3D, true, frame);
  }
  return false;
}
