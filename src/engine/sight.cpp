// The hero's sight: a mask larger than the screen, dark but for a window in its middle, which
// the hero's drawing lays over the frame so that only the part around the hero shows.
#include <algorithm>

#include "core/log.h"
#include "draw/draw.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/stage_draw.h"
#include "project/system_data.h"

namespace {

constexpr int kMaskColour = 16;
constexpr int kWindowColour = 0;

bool IsCircleSight(int shape) { return shape == 1 || shape == 2; }
bool IsForwardSight(int shape) { return shape == 2 || shape == 4; }

}  // namespace

void cPlayScene::MakeSightMask(DDSURFACEDATA* lpMask, DDSURFACEDATA* lpWindow) {
  DDReleaseSurface(lpMask);
  DDReleaseSurface(lpWindow);
  const cPlayer* hero = g_vPlayer.empty() ? nullptr : &g_vPlayer[0];
  const int r = hero ? std::max(hero->m_nSight, 0) : 0;
  const int w = 2 * VIEW_WIDTH + 2 * r, h = 2 * VIEW_HEIGHT + 2 * r;
  if (!DDCreateSurface(lpMask, w, h, 1, 1, DTMEMORYTYPE_VIDEO_RT, 0, 0)) {
    OutOfMemoryExit();
    return;
  }
  DDClearSurface(lpMask, kMaskColour);
  if (r == 0) return;
  const int shape = hero->m_Data.m_bySightShape;
  if (!IsCircleSight(shape)) {
    DDFillRect(lpMask, w / 2 - r, h / 2 - r, 2 * r, 2 * r, kWindowColour);
    return;
  }
  // The window is a keyed surface: its opaque copy then carries its transparency into the
  // mask under Direct3D as well, where a copy of transparent texels would change nothing.
  if (!DDCreateSurface(lpWindow, 2 * r, 2 * r, 1, 1, DTMEMORYTYPE_VIDEO_RT, 0, 0)) {
    OutOfMemoryExit();
    return;
  }
  if (g_SystemData.m_bFullColour)
    DDFillRectD3D(lpWindow, 0, 0, 2 * r, 2 * r, ColourKeyFill());
  else
    DDFillRect(lpWindow, 0, 0, 2 * r, 2 * r, kWindowColour);
  DDBltCircle(lpMask, w / 2, h / 2, r, r, r, 1, lpWindow, r, r, 0);
}

void cPlayer::UpdateSight() {
  m_nSight = HblToDot(m_Data.m_bySight);
  if (g_lpPlayScene) g_lpPlayScene->MakeSightMask(&g_SystemImage[IMAGE_SIGHT_MASK], &g_SystemImage[IMAGE_SIGHT_WINDOW]);
}

void cPlayer::DrawSight(DDSURFACEDATA* lpDst) {
  const int shape = m_Data.m_bySightShape;
  if (!lpDst || shape == 0) return;
  DDSURFACEDATA* mask = &g_SystemImage[IMAGE_SIGHT_MASK];
  // No mask made (or its creation failed): nothing to lay over the frame.
  if (mask->nWidth < VIEW_WIDTH || mask->nHeight < VIEW_HEIGHT) return;
  int sx = mask->nWidth / 2 - m_nGraphicW / 2 - m_rcScreen.left;
  const int sy = mask->nHeight / 2 - m_nGraphicH / 2 - m_rcScreen.top;
  if (IsForwardSight(shape)) {
    const int sign = m_nDir == 1 ? 1 : -1;
    sx += sign * (m_nGraphicW / 2) - sign * m_nSight;
  }
  sx = std::clamp(sx, 0, mask->nWidth - VIEW_WIDTH);
  DDBltFast(lpDst, 0, 0, VIEW_WIDTH, VIEW_HEIGHT, mask, sx, std::clamp(sy, 0, mask->nHeight - VIEW_HEIGHT), 1);
}
