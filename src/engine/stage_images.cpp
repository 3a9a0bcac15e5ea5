#include "engine/stage_images.h"

#include "draw/context.h"

cSafeVector<DDSURFACEDATA> g_vStageBmpSurface;
cSafeVector<BitmapEntry> g_vStageBmpEntry;
cSafeVector<DDSURFACEDATA> g_vEffectSurface;
cSafeVector<BitmapEntry> g_vEffectBmpEntry;
int g_bVideoStretch = 0;

DDSURFACEDATA* StageSurfaceAt(cSafeVector<DDSURFACEDATA>& list, long long index) {
  if (index < 0 || index >= static_cast<long long>(list.size())) return nullptr;
  return &list[static_cast<size_t>(index)];
}

DDSURFACEDATA* SystemImageAt(int n) {
  if (n < 0 || n >= DD_SYSTEM_IMAGE_COUNT) return nullptr;
  return &g_SystemImage[n];
}
