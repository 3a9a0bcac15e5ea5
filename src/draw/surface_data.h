// The surface record of the drawing layer: one drawable surface of either back-end, held by
// value by its owners, with its Direct3D part (DTDATA) or its DirectDraw part (DDSURFOBJ).
#pragma once

#include "platform/d3d9.h"
#include "platform/ddraw.h"
#include "platform/wintypes.h"

// Where a Direct3D surface's texture lives.
enum DTMEMORYTYPE : DWORD {
  DTMEMORYTYPE_VIDEO_RT = 0,    // video memory: a render target (empty surfaces) or the managed pool (files)
  DTMEMORYTYPE_SYSTEM = 1,      // a dynamic texture in system memory
  DTMEMORYTYPE_VIDEO_NORT = 2,  // accepted and made as VIDEO_RT
};

struct DDSURFACEDATA;

// The Direct3D part of a surface. It lives on the heap from the surface's creation until its
// release, so that the restore list can hold it while its record moves with its container.
struct DTDATA {
  int nIndex = 0;  // 0 for BackBuffer, then numbered in creation order
  IDirect3DSurface9* lpSurface = nullptr;        // level 0 of the texture, or the device back buffer
  IDirect3DSurface9* lpSystemSurface = nullptr;  // system-memory copy of a render target, for locks
  IDirect3DVertexBuffer9* lpVB = nullptr;        // one blit quad
  IUnknown* lpExtra = nullptr;
  IDirect3DTexture9* lpTexture = nullptr;
  D3DSURFACE_DESC d3dDesc{};  // level 0: its Width and Height are the texture's size
  DWORD dwMemoryType = DTMEMORYTYPE_VIDEO_RT;
  int bTransmit = 0;      // made with transparency
  int bRenderTarget = 0;  // the texture (or the back buffer) can be a render target
  BYTE* lpPalIndexMap = nullptr;  // palette number of each pixel, or null
  // Set by a device reset that made the texture again empty; DDTakeLost moves it onto the
  // record (the restore list cannot reach the record itself).
  int bLost = 0;

  // What a device reset needs to make the texture again, copied from the record when the
  // surface joins the restore list (the record itself may move).
  char szFileName[MAX_PATH] = {};  // "E" for an empty surface
  int nWidth = 0;
  int nHeight = 0;
  int nMemory = 0;
  int nMirrorWidth = 0;
  int nMirrorHeight = 0;
};

// The DirectDraw part of a surface.
struct DDSURFOBJ {
  IDirectDrawSurface7* lpSurface = nullptr;
  BYTE* lpPalIndexMap = nullptr;  // palette number of each pixel, or null
};

struct DDSURFACEDATA {
  DTDATA* lpDT = nullptr;       // Direct3D part; null under DirectDraw or before creation
  DDSURFOBJ* lpDDObj = nullptr; // DirectDraw part; null under Direct3D or before creation
  // Label set by the Direct3D creation: "OffScreen", "OffScreenFromFile", "BackBuffer",
  // "VirBackBuffer", "WorkSD".
  char szName[MAX_PATH] = {};
  int nWidth = 0;  // the image's size
  int nHeight = 0;
  int nTexWidth = 0;  // the texture's size after rounding (Direct3D), else the image's size
  int nTexHeight = 0;
  // The source bitmap; "E" for an empty Direct3D surface, "" when there is none.
  char szFileName[MAX_PATH] = {};
  int nMemory = 0;  // DirectDraw memory kind: 0 video, 1 system
  int nMirrorWidth = 0;  // mirror cell sizes; 0: not mirrored on that axis
  int nMirrorHeight = 0;
  DDSURFACEDATA* lpSubstitute = nullptr;  // drawn instead of this record under Direct3D
  int bLost = 0;  // the content is gone: the owner draws it again
};
