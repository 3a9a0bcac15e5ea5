#include "engine/stage_images.h"

#include <cstdio>
#include <string>

#include "core/log.h"
#include "draw/context.h"
#include "draw/draw.h"
#include "engine/play_scene.h"
#include "project/database.h"

cSafeVector<DDSURFACEDATA> g_vStageBmpSurface;
cSafeVector<BitmapEntry> g_vStageBmpEntry;
cSafeVector<DDSURFACEDATA> g_vSwordSurface;
cSafeVector<BitmapEntry> g_vSwordBmpEntry;
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

namespace {

// How one surface of an image is made: the second variant lives in DirectDraw's system memory
// (for the lock-based effects); mirrored ones have their cells flipped in place.
// A variant drawn from the surface before it has no texture of its own under Direct3D.
struct Variant {
  int bSystem;
  int nMirrorWidth;
  int bFromPrevious;
};

BitmapEntry MakeEntry(const std::string& file, const Variant& v) {
  BitmapEntry e;
  std::snprintf(e.szFileName, sizeof e.szFileName, "%s", file.c_str());
  e.nTransmit = 1;
  e.nDDMemory = v.bSystem;
  e.nMirrorCellW = v.nMirrorWidth;
  e.bNoTexture = v.bFromPrevious;
  return e;
}

// Appends one surface per variant of the file and creates them; a failure is written to the
// error log with the file name, leaves its surface empty, and loading goes on.
void AddImage(cSafeVector<DDSURFACEDATA>& surfaces, cSafeVector<BitmapEntry>& entries, const std::string& file,
              std::initializer_list<Variant> variants, const char* lpszFailure) {
  bool failed = false;
  for (const Variant& v : variants) {
    entries.push_back(MakeEntry(file, v));
    surfaces.push_back(DDSURFACEDATA());
    // The caller reserved the room: the records stay where they are while the list fills.
    if (v.bFromPrevious && surfaces.size() > 1) surfaces.back().lpSubstitute = &surfaces[surfaces.size() - 2];
    const BitmapEntry& e = entries.back();
    const int result = DDCreateSurfaceFromFile(&surfaces.back(), e.szFileName, e.nTransmit, DDBpp, e.nDDMemory,
                                               static_cast<DWORD>(e.nD3DMemory), e.bNoTexture, e.bPaletteMap,
                                               e.nMirrorCellW, e.nMirrorCellH, 0);
    if (result != DDCREATE_OK) failed = true;
  }
  if (failed) ReportErrorLog(lpszFailure, file.c_str());
}

// Empties both lists and makes room for n surfaces.
void Release(cSafeVector<DDSURFACEDATA>& surfaces, cSafeVector<BitmapEntry>& entries, size_t n) {
  DDReleaseSurfaceArray(surfaces);
  surfaces.clear();
  entries.clear();
  surfaces.reserve(n);
  entries.reserve(n);
}

}  // namespace

void cPlayScene::LoadStageBmp() {
  const cSafeVector<cBmpCharaExc>& list = g_Database.m_vBmpCharaExc;
  Release(g_vStageBmpSurface, g_vStageBmpEntry, list.size() * 4);
  for (size_t i = 1; i < list.size(); ++i) {
    const cBmpCharaExc& b = list[i];
    const int mirror = b.m_bLargeCell ? b.CellSize() : 32;
    AddImage(g_vStageBmpSurface, g_vStageBmpEntry, b.m_strFile, {{0, 0, 0}, {0, mirror, 0}, {1, 0, 0}, {1, mirror, 0}},
             "専用bmp %s 読み込み失敗！");
  }
}

void cPlayScene::LoadSwords() {
  Release(g_vSwordSurface, g_vSwordBmpEntry, g_Database.m_vSwordType.size() * 4);
  for (const cSwordType& s : g_Database.m_vSwordType) {
    AddImage(g_vSwordSurface, g_vSwordBmpEntry, s.m_strFileLeft, {{0, 0, 0}, {1, 0, 1}}, "ソード %s 読み込み失敗！");
    AddImage(g_vSwordSurface, g_vSwordBmpEntry, s.m_strFileRight, {{0, 0, 0}, {1, 0, 1}}, "ソード %s 読み込み失敗！");
  }
}

void cPlayScene::LoadEffects() {
  const cSafeVector<cEffectData>& list = g_Database.m_vEffect;
  Release(g_vEffectSurface, g_vEffectBmpEntry, list.size() * 2);
  for (size_t i = 1; i < list.size(); ++i)
    AddImage(g_vEffectSurface, g_vEffectBmpEntry, list[i].m_strFile, {{0, 0, 0}, {1, 0, 1}}, "エフェクト %s 読み込み失敗！");
}
