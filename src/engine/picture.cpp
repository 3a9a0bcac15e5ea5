#include "engine/picture.h"

#include <iterator>

#include "draw/blit.h"
#include "draw/surface.h"
#include "draw/surface_data.h"
#include "draw/surface_ops.h"
#include "engine/message_window.h"
#include "engine/play_scene.h"

cSafeList<DDSURFACEDATA> g_lPictureSurface;
cSafeList<BitmapEntry> g_lPictureBmpEntry;

namespace {
double ScrollX() { return g_lpPlayScene ? g_lpPlayScene->m_ScrollX.m_dPos : 0; }
double ScrollY() { return g_lpPlayScene ? g_lpPlayScene->m_ScrollY.m_dPos : 0; }

void ReleasePictureSurfaces() {
  DDReleaseSurfaceList(g_lPictureSurface);
  g_lPictureSurface.clear();
  g_lPictureBmpEntry.clear();
}

// The surface at position i of the picture surfaces; null past their end (the lists are kept in
// step, so this only guards against a fault).
DDSURFACEDATA* PictureSurfaceAt(int i) {
  if (i < 0 || i >= static_cast<int>(g_lPictureSurface.size())) return nullptr;
  return &*std::next(g_lPictureSurface.begin(), i);
}

// Removes the surface (released) and the creation entry at position i.
void RemovePictureSurfaceAt(int i) {
  if (DDSURFACEDATA* sd = PictureSurfaceAt(i)) {
    DDRemoveSurface(g_lPictureSurface, g_lPictureBmpEntry, sd);
  } else if (i >= 0 && i < static_cast<int>(g_lPictureBmpEntry.size())) {
    g_lPictureBmpEntry.erase(std::next(g_lPictureBmpEntry.begin(), i));
  }
}
}  // namespace

cPictureSurfaceOwner::~cPictureSurfaceOwner() { ReleasePictureSurfaces(); }

void cPlayScene::ClearPictures() {
  ReleasePictureSurfaces();
  m_lPicture.clear();
}

void cPlayScene::RemovePicture(const cPicture* lpPicture) {
  int i = 0;
  for (auto it = m_lPicture.begin(); it != m_lPicture.end(); ++it, ++i) {
    if (&*it != lpPicture) continue;
    RemovePictureSurfaceAt(i);
    m_lPicture.erase(it);
    return;
  }
}

void cPlayScene::DrawPictures(DDSURFACEDATA* lpTarget, int nLayer, int bFrozen) {
  int i = 0;
  for (auto it = m_lPicture.begin(); it != m_lPicture.end();) {
    if (it->m_nLayer != nLayer || !it->Draw(lpTarget, PictureSurfaceAt(i), bFrozen)) {
      ++it;
      ++i;
      continue;
    }
    RemovePictureSurfaceAt(i);
    it = m_lPicture.erase(it);
  }
}

void cPicture::Setup(int id, double x, double y, int width, int height, int screenFixed, int layer, int percent,
                     int displayMode, int countdown, int countWhileHeld, int value1, int value2) {
  m_nId = id;
  m_dX = x;
  m_dY = y;
  m_nWidth = width;
  m_nHeight = height;
  m_bScreenFixed = screenFixed;
  m_nLayer = layer;
  m_bScaled = percent != 100 ? 1 : 0;
  m_nDisplayMode = displayMode;
  m_nCountdown = countdown;
  m_bCountWhileHeld = countWhileHeld;
  m_nPictureValue[0] = value1;
  m_nPictureValue[1] = value2;
  m_bPlaced = 0;
  if (screenFixed) {
    m_nScreenX = static_cast<int>(x - ScrollX());
    m_nScreenY = static_cast<int>(y - ScrollY());
    m_bPlaced = 1;
  }
}

int cPicture::Draw(DDSURFACEDATA* lpTarget, DDSURFACEDATA* lpPicture, int bHeld) {
  if (StepDisplayCountdown(m_nDisplayMode, m_nCountdown, bHeld, m_bCountWhileHeld)) return 1;
  int x = 0, y = 0;
  if (m_bScreenFixed) {
    x = m_nScreenX;
    y = m_nScreenY;
  } else {
    x = static_cast<int>(m_dX - ScrollX());
    y = static_cast<int>(m_dY - ScrollY());
  }
  if (!lpPicture) return 0;
  if (m_bScaled)
    DDBlt(lpTarget, x, y, m_nWidth, m_nHeight, lpPicture, 0, 0, lpPicture->nWidth, lpPicture->nHeight, 1);
  else
    DDBltFast(lpTarget, x, y, m_nWidth, m_nHeight, lpPicture, 0, 0, 1);
  return 0;
}
