#include "effect_fixture.h"

void EffectTest::MakeLocked(DDSURFACEDATA* sd, int w, int h, DWORD value, int transmit) {
  ASSERT_TRUE(DDCreateSurface(sd, w, h, transmit, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  Fill(sd, value);
}

void EffectTest::MakeTarget(DDSURFACEDATA* sd, int w, int h, DWORD argb) {
  ASSERT_TRUE(DDCreateSurface(sd, w, h, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  ASSERT_TRUE(sd->lpDT->bRenderTarget);
  DDFillRectD3D(sd, 0, 0, w, h, argb);
}

void EffectTest::Put(DDSURFACEDATA* sd, int x, int y, DWORD value) {
  cSurfaceLock lock(sd);
  ASSERT_TRUE(lock.Locked());
  lock.Set(x, y, value);
}

void EffectTest::Fill(DDSURFACEDATA* sd, DWORD value) {
  cSurfaceLock lock(sd);
  ASSERT_TRUE(lock.Locked());
  for (int y = 0; y < lock.m_nHeight; ++y) {
    for (int x = 0; x < lock.m_nWidth; ++x) lock.Set(x, y, value);
  }
}

std::vector<DWORD> EffectTest::Block(DDSURFACEDATA* sd, int x, int y, int w, int h) {
  std::vector<DWORD> out;
  cSurfaceLock lock(sd);
  EXPECT_TRUE(lock.Locked());
  if (!lock.Locked()) return out;
  for (int j = y; j < y + h; ++j) {
    for (int i = x; i < x + w; ++i) out.push_back(lock.Get(i, j));
  }
  return out;
}

DWORD EffectTest::Stored(DWORD palNum) {
  DDSURFACEDATA sd;
  EXPECT_TRUE(DDCreateSurface(&sd, 1, 1, 0, 1, DTMEMORYTYPE_SYSTEM, 0, 0));
  DDFillRect(&sd, 0, 0, 1, 1, palNum);
  const DWORD v = Pixel(&sd, 0, 0);
  DDReleaseSurface(&sd);
  return v;
}
