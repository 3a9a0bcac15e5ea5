#include "draw/surface.h"

#include <cstdio>
#include <cstring>

#include "core/log.h"
#include "core/shell_link.h"
#include "draw/blit.h"
#include "draw/context.h"
#include "draw/fill.h"
#include "draw/loaded_bitmap.h"
#include "draw/palette.h"
#include "draw/surface_ops.h"
#include "platform/d3dx9.h"
#include "platform/message.h"

namespace {

constexpr char kEmptyFile[] = "E";

void CopyName(char (&dst)[MAX_PATH], const char* src) { std::snprintf(dst, sizeof dst, "%s", src ? src : ""); }

int RoundUpPow2(int v) {
  if (v <= 0 || (v & (v - 1)) == 0) return v;
  int high = 1;
  while (high <= v / 2) high <<= 1;
  return high * 2;
}

// A texture that cannot be made even in system memory ends the run.
void TextureErrorExit() {
  if (lpDTCon && !lpDTCon->strTextureErrMsg.empty()) ErrorBoxF("%s", lpDTCon->strTextureErrMsg.c_str());
  PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
}

// The record joins the restore list by its heap-held part, with what a reset needs to make
// the texture again.
void JoinRestoreList(DDSURFACEDATA* lpSD) {
  DTDATA* dt = lpSD->lpDT;
  CopyName(dt->szFileName, lpSD->szFileName);
  dt->nWidth = lpSD->nWidth;
  dt->nHeight = lpSD->nHeight;
  dt->nMemory = lpSD->nMemory;
  dt->nMirrorWidth = lpSD->nMirrorWidth;
  dt->nMirrorHeight = lpSD->nMirrorHeight;
  g_RestoreList.push_back(dt);
}

// The first creation step of both Direct3D creations: label, file name, memory type, index
// and the quad's vertex buffer.
bool StartD3DRecord(DDSURFACEDATA* lpSD, const char* label, const char* file, int bTransmit, DWORD dwMemoryType,
                    int bNoTexture, HRESULT* lpResult) {
  DTDATA* dt = lpSD->lpDT;
  CopyName(lpSD->szName, label);
  CopyName(lpSD->szFileName, file);
  dt->dwMemoryType = dwMemoryType;
  dt->lpSurface = nullptr;
  dt->lpSystemSurface = nullptr;
  dt->lpExtra = nullptr;
  dt->lpTexture = nullptr;
  dt->bTransmit = bTransmit == 1 ? 1 : 0;
  if (bNoTexture) return true;
  dt->nIndex = lpDTCon->nTextureCount++;
  *lpResult = lpDevice->CreateVertexBuffer(DD_QUAD_BYTES, D3DUSAGE_WRITEONLY, DD_VERTEX_FVF, D3DPOOL_MANAGED, &dt->lpVB,
                                           nullptr);
  return SUCCEEDED(*lpResult);
}

// Level 0 of the texture and its description. A record re-created after a reset may still
// hold its level surface.
bool TakeLevel(DTDATA* dt, HRESULT* lpResult) {
  if (dt->lpSurface) {
    dt->lpSurface->Release();
    dt->lpSurface = nullptr;
  }
  *lpResult = dt->lpTexture->GetSurfaceLevel(0, &dt->lpSurface);
  if (FAILED(*lpResult)) return false;
  dt->lpTexture->GetLevelDesc(0, &dt->d3dDesc);
  return true;
}

bool CreateSurfaceD3D(DDSURFACEDATA* lpSD, int nWidth, int nHeight, int bTransmit, int nMemory, DWORD dwMemoryType,
                      int bNoTexture, int bRecreate) {
  DDAllocSurfaceObject(lpSD);
  DTDATA* dt = lpSD->lpDT;
  if (!dt || !lpDevice) return false;
  HRESULT hr = D3D_OK;
  if (!bRecreate && !StartD3DRecord(lpSD, "OffScreen", kEmptyFile, bTransmit, dwMemoryType, bNoTexture, &hr)) {
    ReportErrorLog("CreateVertexBuffer Err");
    return false;
  }
  if (bNoTexture) {
    lpSD->nWidth = lpSD->nTexWidth = nWidth;
    lpSD->nHeight = lpSD->nTexHeight = nHeight;
    lpSD->nMemory = nMemory;
    return true;
  }
  int tw = nWidth, th = nHeight;
  DDRoundTextureSize(&tw, &th);
  if (!DDCheckTextureSize(tw, th)) ReportErrorLog("上記の理由でテクスチャの描画が失敗する可能性があります。(空)");
  if (dt->dwMemoryType == DTMEMORYTYPE_VIDEO_NORT) dt->dwMemoryType = DTMEMORYTYPE_VIDEO_RT;
  const DWORD askedType = dt->dwMemoryType;
  if (dt->dwMemoryType == DTMEMORYTYPE_VIDEO_RT) {
    dt->bRenderTarget = 1;
    hr = D3DXCreateTexture(lpDevice, static_cast<UINT>(tw), static_cast<UINT>(th), 1, D3DUSAGE_RENDERTARGET,
                           lpDTCon->fmtTexture, D3DPOOL_DEFAULT, &dt->lpTexture);
    if (hr == D3DERR_OUTOFVIDEOMEMORY) {
      ReportErrorLog("VRAM不足のためシステムメモリにテクスチャを作成します。(空)");
      dt->dwMemoryType = DTMEMORYTYPE_SYSTEM;
    } else if (FAILED(hr)) {
      return false;
    }
  }
  if (dt->dwMemoryType == DTMEMORYTYPE_SYSTEM && !bRecreate) {
    dt->bRenderTarget = 0;
    hr = D3DXCreateTexture(lpDevice, static_cast<UINT>(tw), static_cast<UINT>(th), 1, D3DUSAGE_DYNAMIC,
                           lpDTCon->fmtTexture, D3DPOOL_SYSTEMMEM, &dt->lpTexture);
    if (FAILED(hr)) {
      ReportErrorLog("D3DXCreateTexture Err hr = %x", static_cast<unsigned>(hr));
      TextureErrorExit();
      return false;
    }
  }
  if (!dt->lpTexture) {
    // A re-creation that ran out of video memory has no texture to take the level from. The
    // surface keeps the memory type it was made with, so that a later reset tries again.
    dt->dwMemoryType = askedType;
    dt->bRenderTarget = 0;
    ReportErrorLog("D3DXCreateTexture Err hr = %x", static_cast<unsigned>(hr));
    return false;
  }
  if (!TakeLevel(dt, &hr)) {
    ReportErrorLog("GetSurfaceLevel Err hr = %x", static_cast<unsigned>(hr));
    return false;
  }
  if (dt->dwMemoryType == DTMEMORYTYPE_VIDEO_RT && !bRecreate) {
    hr = lpDevice->CreateOffscreenPlainSurface(dt->d3dDesc.Width, dt->d3dDesc.Height, dt->d3dDesc.Format,
                                               D3DPOOL_SYSTEMMEM, &dt->lpSystemSurface, nullptr);
    if (FAILED(hr)) {
      ReportErrorLog("CreateOffscreenPlainSurface Err hr = %x", static_cast<unsigned>(hr));
      TextureErrorExit();
      return false;
    }
  }
  lpSD->nWidth = nWidth;
  lpSD->nHeight = nHeight;
  lpSD->nTexWidth = static_cast<int>(dt->d3dDesc.Width);
  lpSD->nTexHeight = static_cast<int>(dt->d3dDesc.Height);
  // A new render target starts in the opaque transparent colour.
  if (DDSetRenderTarget(0, lpSD)) {
    lpDevice->Clear(0, nullptr, D3DCLEAR_TARGET, lpDTCon->dwTransmitARGB, 1.0f, 0);
    DDSetRenderTarget(0, lpDTCon->lpDefaultTargetSD);
  }
  if (!bRecreate) {
    lpSD->nMemory = nMemory;
    JoinRestoreList(lpSD);
  }
  return true;
}

bool CreateSurfaceDD(DDSURFACEDATA* lpSD, int nWidth, int nHeight, int bTransmit, int nMemory) {
  DDAllocSurfaceObject(lpSD);
  DDSURFOBJ* obj = lpSD->lpDDObj;
  if (!obj || !lpDD) return false;
  DDSURFACEDESC2 desc{};
  desc.dwSize = 124;
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.dwWidth = static_cast<DWORD>(nWidth);
  desc.dwHeight = static_cast<DWORD>(nHeight);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | (nMemory == 1 ? DDSCAPS_SYSTEMMEMORY : 0);
  if (FAILED(lpDD->CreateSurface(&desc, &obj->lpSurface, nullptr))) {
    if (nMemory != 0) {
      ReportErrorLog("CreateSurface System Err");
      return false;
    }
    desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    if (FAILED(lpDD->CreateSurface(&desc, &obj->lpSurface, nullptr))) {
      ReportErrorLog("CreateSurface Video -> System Err");
      return false;
    }
    nMemory = 1;
  }
  if (bTransmit == 1) {
    DDCOLORKEY key{DDColorKey, DDColorKey};
    if (FAILED(obj->lpSurface->SetColorKey(DDCKEY_SRCBLT, &key))) ReportErrorLog("SetColorKey Err");
  }
  // An empty surface has no file: a restore must not reload a file of the record's past.
  lpSD->szFileName[0] = '\0';
  // The size is known before the fill, which is cut to it.
  lpSD->nWidth = lpSD->nTexWidth = nWidth;
  lpSD->nHeight = lpSD->nTexHeight = nHeight;
  lpSD->nMemory = nMemory;
  DDFillRect(lpSD, 0, 0, nWidth, nHeight, 0);
  return true;
}

int CreateSurfaceFromFileD3D(DDSURFACEDATA* lpSD, const char* szFile, int bTransmit, int nBpp, int nMemory,
                             DWORD dwMemoryType, int bNoTexture, int bPalIndexMap, int nMirrorWidth, int nMirrorHeight,
                             int bRecreate) {
  DDAllocSurfaceObject(lpSD);
  DTDATA* dt = lpSD->lpDT;
  if (!dt || !lpDevice) return DDCREATE_SURFACE_ERR;
  HRESULT hr = D3D_OK;
  if (!bRecreate && !StartD3DRecord(lpSD, "OffScreenFromFile", szFile, bTransmit, dwMemoryType, bNoTexture, &hr)) {
    ReportErrorLog("CreateVertexBuffer Err %x", static_cast<unsigned>(hr));
    return DDCREATE_SURFACE_ERR;
  }
  int bw = 0, bh = 0;
  {
    cLoadedBitmap bmp(szFile);
    if (!bmp.Loaded()) {
      if (szFile && *szFile) ReportErrorLog("LoadImage Err %s", szFile);
      return DDCREATE_LOADIMAGE_ERR;
    }
    bw = bmp.Info().bmWidth;
    bh = bmp.Info().bmHeight;
  }
  if (bNoTexture) {
    lpSD->nWidth = lpSD->nTexWidth = bw;
    lpSD->nHeight = lpSD->nTexHeight = bh;
  } else {
    int tw = bw, th = bh;
    DDRoundTextureSize(&tw, &th);
    if (!DDCheckTextureSize(tw, th)) ReportErrorLog("上記の理由でテクスチャの描画が失敗する可能性があります。(%s)", szFile);
    // The key is applied whatever bTransmit says: every file pixel of the transparent colour
    // becomes transparent black.
    const RGBTRIPLE& k = nBpp == 16 ? lpDTCon->rgbTransmitBmp : lpDTCon->rgbTransmit;
    const D3DCOLOR key =
        0xFF000000u | static_cast<DWORD>(k.rgbtRed) << 16 | static_cast<DWORD>(k.rgbtGreen) << 8 | k.rgbtBlue;
    if (dt->dwMemoryType == DTMEMORYTYPE_VIDEO_NORT) {
      ErrorLog("DDCreateSurfaceFromFile Err DTMEMORYTYPE_VIDEO_NORTの指定は未対応です。DTMEMORYTYPE_VIDEO_RTでテクスチャを作成します。");
      dt->dwMemoryType = DTMEMORYTYPE_VIDEO_RT;
    }
    if (dt->dwMemoryType == DTMEMORYTYPE_VIDEO_RT) {
      dt->bRenderTarget = 0;
      hr = D3DXCreateTextureFromFileExA(lpDevice, szFile, static_cast<UINT>(tw), static_cast<UINT>(th), 1, 0,
                                        lpDTCon->fmtTexture, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT, key,
                                        nullptr, nullptr, &dt->lpTexture);
      if (hr == D3DERR_OUTOFVIDEOMEMORY) {
        ReportErrorLog("VRAM不足のためシステムメモリにテクスチャを作成します。(%s)", szFile);
        dt->dwMemoryType = DTMEMORYTYPE_SYSTEM;
      } else if (FAILED(hr)) {
        ReportErrorLog("テクスチャの作成に失敗。(%s)", szFile);
        return hr;
      }
    }
    if (dt->dwMemoryType == DTMEMORYTYPE_SYSTEM && !bRecreate) {
      hr = D3DXCreateTextureFromFileExA(lpDevice, szFile, static_cast<UINT>(tw), static_cast<UINT>(th), 1,
                                        D3DUSAGE_DYNAMIC, lpDTCon->fmtTexture, D3DPOOL_SYSTEMMEM, D3DX_FILTER_NONE,
                                        D3DX_DEFAULT, key, nullptr, nullptr, &dt->lpTexture);
      if (FAILED(hr)) {
        ReportErrorLog("D3DXCreateTextureFromFileEx Err %x %s", static_cast<unsigned>(hr), szFile);
        TextureErrorExit();
        return hr;
      }
    }
    if (!dt->lpTexture) {
      // A re-creation that ran out of video memory has no texture to take the level from.
      ReportErrorLog("テクスチャの作成に失敗。(%s)", szFile);
      return FAILED(hr) ? hr : E_FAIL;
    }
    if (!TakeLevel(dt, &hr)) {
      ReportErrorLog("GetSurfaceLevel Err hr = %x", static_cast<unsigned>(hr));
      return hr;
    }
    lpSD->nWidth = bw;
    lpSD->nHeight = bh;
    lpSD->nTexWidth = static_cast<int>(dt->d3dDesc.Width);
    lpSD->nTexHeight = static_cast<int>(dt->d3dDesc.Height);
    if (nMirrorWidth || nMirrorHeight) {
      // The cells are drawn flipped from an unmirrored copy of the sheet.
      DDSURFACEDATA sheet;
      const int loaded =
          DDCreateSurfaceFromFile(&sheet, szFile, bTransmit, nBpp, nMemory, dwMemoryType, 0, 0, 0, 0, 0);
      const bool mirrored = loaded == DDCREATE_OK && CreateMirror(lpSD, &sheet, nMirrorWidth, nMirrorHeight);
      DDReleaseSurface(&sheet);
      if (!mirrored) {
        ReportErrorLog("CreateMirror Err");
        return DDCREATE_MIRROR_ERR;
      }
    }
    if (!bRecreate) {
      lpSD->nMirrorWidth = nMirrorWidth;
      lpSD->nMirrorHeight = nMirrorHeight;
      lpSD->nMemory = nMemory;
      JoinRestoreList(lpSD);
    }
  }
  lpSD->nMirrorHeight = nMirrorHeight;
  lpSD->nMirrorWidth = nMirrorWidth;
  lpSD->nMemory = nMemory;
  if (bPalIndexMap && nBpp != 8 && !bNoTexture) {
    DDBuildPalIndexMap(&dt->lpPalIndexMap, lpSD);
  } else {
    delete[] dt->lpPalIndexMap;
    dt->lpPalIndexMap = nullptr;
  }
  return DDCREATE_OK;
}

int CreateSurfaceFromFileDD(DDSURFACEDATA* lpSD, const char* szFile, int bTransmit, int nBpp, int nMemory,
                            int bPalIndexMap, int nMirrorWidth, int nMirrorHeight) {
  int bw = 0, bh = 0;
  {
    cLoadedBitmap bmp(szFile);
    if (!bmp.Loaded()) {
      ErrorLog("LoadImage Err %s", szFile ? szFile : "");
      return DDCREATE_LOADIMAGE_ERR;
    }
    bw = bmp.Info().bmWidth;
    bh = bmp.Info().bmHeight;
  }
  if (!DDCreateSurface(lpSD, bw, bh, bTransmit, nMemory, 0, 0, 0)) return DDCREATE_SURFACE_ERR;
  if (!CopyBitmap(lpSD, szFile, nBpp, bPalIndexMap, nMirrorWidth, nMirrorHeight)) return DDCREATE_LOADIMAGE_ERR;
  lpSD->nMirrorWidth = nMirrorWidth;
  lpSD->nMirrorHeight = nMirrorHeight;
  lpSD->nWidth = lpSD->nTexWidth = bw;
  lpSD->nHeight = lpSD->nTexHeight = bh;
  CopyName(lpSD->szFileName, szFile);
  lpSD->nMemory = nMemory;
  return DDCREATE_OK;
}

// The creation entry of a surface made empty by the list operations.
BitmapEntry EmptyEntry(int bTransmit, int nMemory, DWORD dwMemoryType, int bNoTexture) {
  BitmapEntry e;
  e.nTransmit = bTransmit;
  e.nDDMemory = nMemory;
  e.nD3DMemory = static_cast<int32_t>(dwMemoryType);
  e.bNoTexture = bNoTexture;
  return e;
}

}  // namespace

void DDAllocSurfaceObject(DDSURFACEDATA* lpSD) {
  if (!lpSD) return;
  if (g_bUseD3D) {
    if (!lpSD->lpDT) lpSD->lpDT = new DTDATA;
  } else if (!lpSD->lpDDObj) {
    lpSD->lpDDObj = new DDSURFOBJ;
  }
}

void DDRoundTextureSize(int* lpWidth, int* lpHeight) {
  if (!lpDTCon) return;
  if (lpDTCon->bPow2) {
    *lpWidth = RoundUpPow2(*lpWidth);
    *lpHeight = RoundUpPow2(*lpHeight);
  }
  if (lpDTCon->bSquareOnly) {
    if (*lpWidth < *lpHeight) {
      *lpWidth = *lpHeight;
    } else {
      *lpHeight = *lpWidth;
    }
  }
}

int DDCheckTextureSize(int nWidth, int nHeight) {
  if (!lpDTCon) return 1;
  const D3DCAPS9& caps = lpDTCon->d3dCaps;
  int ok = 1;
  if (nWidth > static_cast<int>(caps.MaxTextureWidth)) {
    ReportErrorLog("このビデオカードでは横幅%dを超える画像はサポートされていません！", static_cast<int>(caps.MaxTextureWidth));
    ok = 0;
  }
  if (nHeight > static_cast<int>(caps.MaxTextureHeight)) {
    ReportErrorLog("このビデオカードでは縦幅%dを超える画像はサポートされていません！", static_cast<int>(caps.MaxTextureHeight));
    ok = 0;
  }
  return ok;
}

bool DDCreateSurface(DDSURFACEDATA* lpSD, int nWidth, int nHeight, int bTransmit, int nMemory, DWORD dwMemoryType,
                     int bNoTexture, int bRecreate) {
  if (!lpSD) return false;
  if (lpDTCon) return CreateSurfaceD3D(lpSD, nWidth, nHeight, bTransmit, nMemory, dwMemoryType, bNoTexture, bRecreate);
  return CreateSurfaceDD(lpSD, nWidth, nHeight, bTransmit, nMemory);
}

int DDCreateSurfaceFromFile(DDSURFACEDATA* lpSD, const char* szFile, int bTransmit, int nBpp, int nMemory,
                            DWORD dwMemoryType, int bNoTexture, int bPalIndexMap, int nMirrorWidth, int nMirrorHeight,
                            int bRecreate) {
  if (!lpSD) return DDCREATE_SURFACE_ERR;
  if (lpDTCon) {
    return CreateSurfaceFromFileD3D(lpSD, szFile, bTransmit, nBpp, nMemory, dwMemoryType, bNoTexture, bPalIndexMap,
                                    nMirrorWidth, nMirrorHeight, bRecreate);
  }
  return CreateSurfaceFromFileDD(lpSD, szFile, bTransmit, nBpp, nMemory, bPalIndexMap, nMirrorWidth, nMirrorHeight);
}

bool DDCheckCreateResult(int nResult) {
  switch (nResult) {
    case DDCREATE_SURFACE_ERR:
      ErrorLog("CREATESURFACE_ERR");
      break;
    case DDCREATE_LOADIMAGE_ERR:
      ErrorLog("LOADIMAGE_ERR");
      break;
    case DDCREATE_COLORKEY_ERR:
      ErrorLog("SETCOLORKEY_ERR");
      break;
    default:
      break;
  }
  // A failed texture creation and a failed mirror copy are failures too.
  return nResult == DDCREATE_OK;
}

int DDCheckBitmapSize(int* lpTooLarge, const char* szFile, int nMaxWidth, int nMaxHeight) {
  if (lpDTCon) return 1;
  cLoadedBitmap bmp(szFile);
  if (!bmp.Loaded()) {
    if (lpTooLarge) *lpTooLarge = 0;
    return 0;
  }
  if (lpTooLarge) *lpTooLarge = bmp.Info().bmWidth > nMaxWidth || bmp.Info().bmHeight > nMaxHeight ? 1 : 0;
  return 1;
}

bool DDLoadSystemBitmaps(DDSURFACEDATA* lpSDArray, const int* lpIndexList, int nCount) {
  if (!lpSDArray || !lpIndexList) return false;
  for (int k = 0; k < nCount; ++k) {
    const int i = lpIndexList[k];
    if (!g_SystemImageTable || i < 0 || i >= g_nSystemImageCount) {
      ReportErrorLog("DDLoadSystemBitmaps: no system image %d", i);
      return false;
    }
    DDSURFACEDATA* sd = &lpSDArray[i];
    const BitmapEntry& e = g_SystemImageTable[i];
    DDReleaseSurface(sd);
    if (std::strcmp(e.szFileName, kEmptyFile) == 0) {
      if (!DDCreateSurface(sd, e.nWidth, e.nHeight, e.nTransmit, e.nDDMemory, static_cast<DWORD>(e.nD3DMemory),
                           e.bNoTexture, 0) &&
          !e.bOptional) {
        OutOfMemoryExit();
        return false;
      }
      continue;
    }
    const int result = DDCreateSurfaceFromFile(sd, e.szFileName, e.nTransmit, DDBpp, e.nDDMemory,
                                               static_cast<DWORD>(e.nD3DMemory), e.bNoTexture, e.bPaletteMap,
                                               e.nMirrorCellW, e.nMirrorCellH, 0);
    if (!DDCheckCreateResult(result) && !e.bOptional) {
      ErrorBoxF("%s の読み込みに失敗！", e.szFileName);
      return false;
    }
  }
  return true;
}

bool DDAddSurface(cSafeVector<DDSURFACEDATA>& surfaces, cSafeVector<BitmapEntry>& entries, int nWidth, int nHeight,
                  int bTransmit, int nMemory, DWORD dwMemoryType, int bNoTexture) {
  surfaces.push_back(DDSURFACEDATA{});
  entries.push_back(EmptyEntry(bTransmit, nMemory, dwMemoryType, bNoTexture));
  return DDCreateSurface(&surfaces.back(), nWidth, nHeight, bTransmit, nMemory, dwMemoryType, bNoTexture, 0);
}

bool DDPushSurface(cSafeList<DDSURFACEDATA>& surfaces, cSafeList<BitmapEntry>& entries, int nWidth, int nHeight,
                   int bTransmit, int nMemory, DWORD dwMemoryType, int bNoTexture) {
  surfaces.push_back(DDSURFACEDATA{});
  entries.push_back(EmptyEntry(bTransmit, nMemory, dwMemoryType, bNoTexture));
  return DDCreateSurface(&surfaces.back(), nWidth, nHeight, bTransmit, nMemory, dwMemoryType, bNoTexture, 0);
}

bool DDInsertSurface(cSafeList<DDSURFACEDATA>& surfaces, cSafeList<BitmapEntry>& entries, int nPos, int nWidth,
                     int nHeight, int bTransmit, int nMemory, DWORD dwMemoryType, int bNoTexture) {
  if (nPos >= static_cast<int>(surfaces.size())) {
    return DDPushSurface(surfaces, entries, nWidth, nHeight, bTransmit, nMemory, dwMemoryType, bNoTexture);
  }
  if (nPos < 0) nPos = 0;
  auto s = surfaces.begin();
  std::advance(s, nPos);
  surfaces.insert(s, DDSURFACEDATA{});
  auto e = entries.begin();
  std::advance(e, std::min(nPos, static_cast<int>(entries.size())));
  entries.insert(e, EmptyEntry(bTransmit, nMemory, dwMemoryType, bNoTexture));
  return DDCreateSurface(&surfaces.CheckedListAt(nPos), nWidth, nHeight, bTransmit, nMemory, dwMemoryType, bNoTexture,
                         0);
}

int DDRemoveSurface(cSafeList<DDSURFACEDATA>& surfaces, cSafeList<BitmapEntry>& entries, DDSURFACEDATA* lpSD) {
  int pos = 0;
  auto it = surfaces.begin();
  for (; it != surfaces.end(); ++it, ++pos) {
    if (&*it == lpSD) break;
  }
  if (it == surfaces.end()) return 0;
  DDReleaseSurface(&*it);
  surfaces.erase(it);
  if (pos < static_cast<int>(entries.size())) {
    auto e = entries.begin();
    std::advance(e, pos);
    entries.erase(e);
  }
  return 1;
}

// ---- cSurfaceLock ----

bool cSurfaceLock::Lock(DDSURFACEDATA* lpSD) {
  Unlock();
  if (!lpSD) return false;
  void* bits = nullptr;
  int pitchBytes = 0;
  if (lpDTCon) {
    DTDATA* dt = lpSD->lpDT;
    if (!dt || !dt->lpSurface || !lpDevice) return false;
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT lr{};
    if (lpSD == &BackBuffer || !dt->bRenderTarget) {
      if (FAILED(dt->lpSurface->LockRect(&lr, nullptr, 0))) {
        DebugErrorBoxF("FAILED( lpSD->lpDT->lpSurface->LockRect(&(lock), NULL, 0) )");
        return false;
      }
      dt->lpSurface->GetDesc(&desc);
      m_kind = Kind::kSurface;
    } else {
      if (!dt->lpSystemSurface || FAILED(lpDevice->GetRenderTargetData(dt->lpSurface, dt->lpSystemSurface))) {
        ErrorLog("FAILED( lpDevice->GetRenderTargetData(lpSD->lpDT->lpSurface,lpSD->lpDT->lpSystemSurface) )");
        return false;
      }
      if (FAILED(dt->lpSystemSurface->LockRect(&lr, nullptr, 0))) {
        ErrorLog("FAILED( lpSD->lpDT->lpSystemSurface->LockRect(&lock, NULL, 0) )");
        return false;
      }
      dt->lpSystemSurface->GetDesc(&desc);
      m_kind = Kind::kRenderTarget;
    }
    bits = lr.pBits;
    pitchBytes = lr.Pitch;
    m_nBytesPerPixel = gfx::BytesPerPixel(gfx::FormatOf(desc.Format));
    m_nWidth = static_cast<int>(desc.Width);
    m_nHeight = static_cast<int>(desc.Height);
  } else {
    DDSURFACEDESC2 desc{};
    if (!DDLock(lpSD, &desc, &bits, 32)) return false;
    m_kind = Kind::kDirectDraw;
    pitchBytes = desc.lPitch;
    m_nBytesPerPixel = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount / 8);
    m_nWidth = static_cast<int>(desc.dwWidth);
    m_nHeight = static_cast<int>(desc.dwHeight);
  }
  m_lpSD = lpSD;
  m_bReadOnly = false;
  m_lpBits = static_cast<BYTE*>(bits);
  m_nBitsPerPixel = m_nBytesPerPixel * 8;
  m_nPitch = m_nBytesPerPixel ? pitchBytes / m_nBytesPerPixel : 0;
  return true;
}

bool cSurfaceLock::LockForReading(DDSURFACEDATA* lpSD) {
  if (!Lock(lpSD)) return false;
  m_bReadOnly = true;
  return true;
}

void cSurfaceLock::Unlock() {
  if (m_kind == Kind::kNone || !m_lpSD) {
    m_kind = Kind::kNone;
    return;
  }
  DDSURFACEDATA* sd = m_lpSD;
  switch (m_kind) {
    case Kind::kSurface:
      if (FAILED(sd->lpDT->lpSurface->UnlockRect())) {
        ErrorLog(sd == &BackBuffer ? "Back :: D3D_OK != m_lpSD->lpDT->lpSurface->UnlockRect();"
                                   : "D3D_OK != m_lpSD->lpDT->lpSurface->UnlockRect();");
      }
      break;
    case Kind::kRenderTarget:
      if (FAILED(sd->lpDT->lpSystemSurface->UnlockRect())) {
        ErrorLog("D3D_OK != m_lpSD->lpDT->lpSystemSurface->UnlockRect();");
      }
      if (!m_bReadOnly &&
          FAILED(lpDevice->UpdateSurface(sd->lpDT->lpSystemSurface, nullptr, sd->lpDT->lpSurface, nullptr))) {
        DebugErrorBoxF(
            "FAILED( lpDevice->UpdateSurface(m_lpSD->lpDT->lpSystemSurface, NULL, m_lpSD->lpDT->lpSurface, NULL)");
      }
      break;
    case Kind::kDirectDraw:
      sd->lpDDObj->lpSurface->Unlock(nullptr);
      break;
    case Kind::kNone:
      break;
  }
  m_kind = Kind::kNone;
  m_lpSD = nullptr;
  m_lpBits = nullptr;
}

DWORD cSurfaceLock::Get(int x, int y) const {
  const BYTE* p = m_lpBits + (static_cast<size_t>(y) * static_cast<size_t>(m_nPitch) + static_cast<size_t>(x)) *
                                 static_cast<size_t>(m_nBytesPerPixel);
  switch (m_nBytesPerPixel) {
    case 1:
      return p[0];
    case 2: {
      WORD v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case 4: {
      DWORD v;
      std::memcpy(&v, p, 4);
      return v;
    }
    default:
      return 0;
  }
}

void cSurfaceLock::Set(int x, int y, DWORD value) {
  BYTE* p = m_lpBits + (static_cast<size_t>(y) * static_cast<size_t>(m_nPitch) + static_cast<size_t>(x)) *
                           static_cast<size_t>(m_nBytesPerPixel);
  switch (m_nBytesPerPixel) {
    case 1:
      p[0] = static_cast<BYTE>(value);
      break;
    case 2: {
      const WORD v = static_cast<WORD>(value);
      std::memcpy(p, &v, 2);
      break;
    }
    case 4:
      std::memcpy(p, &value, 4);
      break;
    default:
      break;
  }
}

void GetVideoMemoryMB(IDirectDraw7* lpDD, int* total, int* free) {
  *total = 0;
  *free = 0;
  if (!lpDD) return;
  DDSCAPS2 caps{};
  caps.dwCaps = DDSCAPS_VIDEOMEMORY;
  DWORD t = 0, f = 0;
  if (lpDD->GetAvailableVidMem(&caps, &t, &f) != 0) return;
  *total = static_cast<int>(t >> 20);
  *free = static_cast<int>(f >> 20);
}
