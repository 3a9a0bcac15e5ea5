// Surfaces and textures: the creation of empty surfaces and of surfaces from bitmap files
// under both back-ends, the Direct3D texture size rules, the system images, the operations
// that keep a surface list and a list of creation entries side by side, and the lock guard
// of the software drawing code.
//
// Direct3D surfaces join the restore list (g_RestoreList) by their DTDATA, which stays at one
// address while the record moves with its container.
#pragma once

#include "core/safe_container.h"
#include "draw/bitmap_entry.h"
#include "draw/surface_data.h"

// Gives the record the part of the back-end chosen at DDInit when it has none.
void DDAllocSurfaceObject(DDSURFACEDATA* lpSD);

// Direct3D texture sizes: powers of two and square textures where the card needs them.
void DDRoundTextureSize(int* lpWidth, int* lpHeight);
// 0 (after a line in the logs) when the card cannot hold a texture of that size.
int DDCheckTextureSize(int nWidth, int nHeight);

// An empty surface. bTransmit 1: with transparency; nMemory: DirectDraw memory kind (0 video,
// 1 system); dwMemoryType: a DTMEMORYTYPE; bNoTexture: the record only (drawn through its
// substitute); bRecreate: make the texture objects of an existing record again after a
// device reset.
bool DDCreateSurface(DDSURFACEDATA* lpSD, int nWidth, int nHeight, int bTransmit, int nMemory, DWORD dwMemoryType,
                     int bNoTexture, int bRecreate);

// Results of DDCreateSurfaceFromFile besides a negative Direct3D result.
constexpr int DDCREATE_OK = 0;
constexpr int DDCREATE_MIRROR_ERR = 1;
constexpr int DDCREATE_SURFACE_ERR = 4;
constexpr int DDCREATE_LOADIMAGE_ERR = 8;
constexpr int DDCREATE_COLORKEY_ERR = 9;

// A surface made from a bitmap file (a name of up to MAX_PATH − 1 bytes). bPalIndexMap: build
// the palette-number map (not at 8 bits); nMirrorWidth, nMirrorHeight: each cell of that size
// flipped in its place.
int DDCreateSurfaceFromFile(DDSURFACEDATA* lpSD, const char* szFile, int bTransmit, int nBpp, int nMemory,
                            DWORD dwMemoryType, int bNoTexture, int bPalIndexMap, int nMirrorWidth, int nMirrorHeight,
                            int bRecreate);
// True only for a successful creation; the known failure codes are named in the error log.
bool DDCheckCreateResult(int nResult);

// DirectDraw: whether the bitmap exceeds the limits (*lpTooLarge); 0 when it cannot be read.
// Direct3D: 1, the flag untouched.
int DDCheckBitmapSize(int* lpTooLarge, const char* szFile, int nMaxWidth, int nMaxHeight);

// (Re)creates the listed system images from the system image table given to DDInit. A failed
// image that is not optional ends the loading with false after an error box.
bool DDLoadSystemBitmaps(DDSURFACEDATA* lpSDArray, const int* lpIndexList, int nCount);

// Append a zeroed record and its creation entry and create the record as an empty surface.
bool DDAddSurface(cSafeVector<DDSURFACEDATA>& surfaces, cSafeVector<BitmapEntry>& entries, int nWidth, int nHeight,
                  int bTransmit, int nMemory, DWORD dwMemoryType, int bNoTexture);
bool DDPushSurface(cSafeList<DDSURFACEDATA>& surfaces, cSafeList<BitmapEntry>& entries, int nWidth, int nHeight,
                   int bTransmit, int nMemory, DWORD dwMemoryType, int bNoTexture);
// The same before position nPos (a negative position counts as 0; one at or past the end
// appends).
bool DDInsertSurface(cSafeList<DDSURFACEDATA>& surfaces, cSafeList<BitmapEntry>& entries, int nPos, int nWidth,
                     int nHeight, int bTransmit, int nMemory, DWORD dwMemoryType, int bNoTexture);
// Releases and removes the record (found by address) and the entry at its position; 0 when
// the record is not in the list.
int DDRemoveSurface(cSafeList<DDSURFACEDATA>& surfaces, cSafeList<BitmapEntry>& entries, DDSURFACEDATA* lpSD);

// Video memory in whole megabytes through the DirectDraw object; both 0 without one.
void GetVideoMemoryMB(IDirectDraw7* lpDD, int* total, int* free);

// Locks one surface for pixel access while it is in scope. A render-target texture is read
// through its system-memory copy and written back when unlocked, unless the lock was taken for
// reading only.
class cSurfaceLock {
 public:
  cSurfaceLock() = default;
  explicit cSurfaceLock(DDSURFACEDATA* lpSD) { Lock(lpSD); }
  ~cSurfaceLock() { Unlock(); }
  cSurfaceLock(const cSurfaceLock&) = delete;
  cSurfaceLock& operator=(const cSurfaceLock&) = delete;

  bool Lock(DDSURFACEDATA* lpSD);
  // A lock whose user only reads the pixels: its unlock writes nothing back.
  bool LockForReading(DDSURFACEDATA* lpSD);
  void Unlock();
  bool Locked() const { return m_lpBits != nullptr; }

  // The pixel at (x, y) of the locked surface, and writing one.
  DWORD Get(int x, int y) const;
  void Set(int x, int y, DWORD value);

  DDSURFACEDATA* m_lpSD = nullptr;
  BYTE* m_lpBits = nullptr;
  int m_nPitch = 0;  // row length in pixels
  int m_nBitsPerPixel = 0;
  int m_nBytesPerPixel = 0;
  int m_nWidth = 0;  // the locked surface's own size
  int m_nHeight = 0;

 private:
  enum class Kind { kNone, kSurface, kRenderTarget, kDirectDraw };
  Kind m_kind = Kind::kNone;
  bool m_bReadOnly = false;
};
