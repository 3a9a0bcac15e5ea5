#include "draw/blit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "core/log.h"
#include "draw/context.h"
#include "draw/effect_pixels.h"
#include "draw/present.h"
#include "draw/surface.h"
#include "platform/spans.h"

namespace {

// One queued blit, with the values after clipping and the blend values at queueing time.
struct DDSPRITEREC {
  int nKey = 0;
  DDSURFACEDATA* lpDstSD = nullptr;
  DDSURFACEDATA* lpSrcSD = nullptr;
  int x = 0;
  int y = 0;
  int nWidth = 0;
  int nHeight = 0;
  int nSrcX = 0;
  int nSrcY = 0;
  int nSrcWidth = 0;
  int nSrcHeight = 0;
  int nFlags = 0;
  D3DCOLOR dwDiffuse = 0;
  int nColorOp = 0;
  int nAlphaOp = 0;
  int nReserved = 0;
};

struct DDBATCHTEX {
  DDSURFACEDATA* lpSD = nullptr;
  int nKey = 0;
};

struct DDSPRITEBATCH {
  int bActive = 0;
  std::vector<DDSPRITEREC> vSprites;
  std::vector<DDVERTEX> lpVertices;
  IDirect3DVertexBuffer9* lpVB = nullptr;
  IDirect3DIndexBuffer9* lpIB = nullptr;
  int nCounter = 0;
  int nMode = 0;
  std::vector<DDBATCHTEX> vTextures;

  void ReleaseBuffers() {
    if (lpIB) lpIB->Release();
    lpIB = nullptr;
    if (lpVB) lpVB->Release();
    lpVB = nullptr;
    lpVertices.clear();
  }
  ~DDSPRITEBATCH() { ReleaseBuffers(); }
};

DDSPRITEBATCH g_SpriteBatch;

// Registered textures are keyed 100000 apart, so the keys of one texture's blits stay together
// while fewer blits than that are queued.
constexpr int kBatchKeyStep = 100000;
// The indices of one run are 16-bit: a run holds at most this many quads.
constexpr int kMaxRunQuads = 16384;

int Trunc(double v) { return static_cast<int>(std::trunc(v)); }

// The four vertices of a blit quad, in strip order top-left, bottom-left, top-right,
// bottom-right, corners at pixel edges − 0.5.
void BuildQuad(DDVERTEX* v, int x, int y, int w, int h, const DDSURFACEDATA* src, int sx, int sy, int sw, int sh,
               D3DCOLOR color) {
  const float l = static_cast<float>(x) - 0.5f, r = static_cast<float>(x + w) - 0.5f;
  const float t = static_cast<float>(y) - 0.5f, b = static_cast<float>(y + h) - 0.5f;
  const float tw = static_cast<float>(src->nTexWidth), th = static_cast<float>(src->nTexHeight);
  const float u0 = tw != 0 ? static_cast<float>(sx) / tw : 0.0f;
  const float u1 = tw != 0 ? static_cast<float>(sx + sw) / tw : 0.0f;
  const float v0 = th != 0 ? static_cast<float>(sy) / th : 0.0f;
  const float v1 = th != 0 ? static_cast<float>(sy + sh) / th : 0.0f;
  v[0] = DDVERTEX{l, t, 0.0f, 1.0f, color, u0, v0};
  v[1] = DDVERTEX{l, b, 0.0f, 1.0f, color, u0, v1};
  v[2] = DDVERTEX{r, t, 0.0f, 1.0f, color, u1, v0};
  v[3] = DDVERTEX{r, b, 0.0f, 1.0f, color, u1, v1};
}

// The value an opaque copy leaves where the source is transparent, as a colour for Clear.
// The 16-bit forms are pixels of the texture format and are widened to a colour first.
D3DCOLOR TransparentFill(const DDSURFACEDATA* lpDst) {
  const DTCONTEXT& c = *lpDTCon;
  const bool back = lpDst == &BackBuffer;
  if (DDBpp == 16) {
    return gfx::WidenToArgb(gfx::PixelFormat::kA1R5G5B5, back ? c.wTransmit_16 : c.wTransmitClear_16);
  }
  return back ? c.dwTransmitARGB : c.dwTransmitClear;
}

void SetBlitStates(int colorOp, int alphaOp) {
  lpDevice->SetTextureStageState(0, D3DTSS_COLOROP, static_cast<DWORD>(colorOp));
  lpDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  lpDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  lpDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, static_cast<DWORD>(alphaOp));
  lpDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  lpDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}

void ClearRect(int x, int y, int w, int h, D3DCOLOR color) {
  const D3DRECT r{x, y, x + w, y + h};
  lpDevice->Clear(1, &r, D3DCLEAR_TARGET, color, 1.0f, 0);
}

bool CopiesTransparency(int nFlags, const DDSURFACEDATA* lpSrc) {
  return nFlags == 0 && lpSrc->lpDT->bTransmit && (DDBpp == 16 || DDBpp == 32);
}

// A quad blit drawn at once.
void DrawQuadNow(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw, int sh,
                 int nFlags) {
  DTDATA* s = src->lpDT;
  if (!s->lpVB) return;
  DDVERTEX quad[4];
  BuildQuad(quad, x, y, w, h, src, sx, sy, sw, sh, lpDTCon->dwDiffuse);
  void* p = nullptr;
  if (FAILED(s->lpVB->Lock(0, DD_QUAD_BYTES, &p, 0))) return;
  std::copy(quad, quad + 4, static_cast<DDVERTEX*>(p));
  s->lpVB->Unlock();
  if (!DDBeginScene() || !DDSetRenderTarget(0, dst)) return;
  if (CopiesTransparency(nFlags, src)) ClearRect(x, y, w, h, TransparentFill(dst));
  SetBlitStates(lpDTCon->nColorOp, lpDTCon->nAlphaOp);
  lpDevice->SetTexture(0, s->lpTexture);
  lpDevice->SetStreamSource(0, s->lpVB, 0, sizeof(DDVERTEX));
  lpDevice->SetFVF(DD_VERTEX_FVF);
  lpDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  DDSetRenderTarget(0, lpDTCon->lpDefaultTargetSD);
}

// The source row (or column) for offset k of a scaled copy with factor f from a source span
// of the given start and signed size; −1 when the offset falls outside the span. A negative
// size reads from start − 1 downwards.
int ScaledSource(int k, float f, int start, int size) {
  const int o = static_cast<int>(static_cast<float>(k) * f);
  if (size < 0 ? (o <= size || o > 0) : (o < 0 || o >= size)) return -1;
  return size < 0 ? start + o - 1 : start + o;
}

// The pixels of one row of a blit between locked surfaces: count pixels from the source columns
// in cols (side by side from cols[0] when contiguous), written to out. nFlags 1 leaves out
// transparent texels (alpha 0 at 32 bits, none of the bits 0xA000 at 16); a pixel for the
// full-screen 16-bit back buffer takes its layout.
void PixelRow32(BYTE* out, const BYTE* srow, const int* cols, bool contiguous, int count, int nFlags) {
  if (contiguous) {
    const BYTE* in = srow + static_cast<size_t>(cols[0]) * 4;
    if (nFlags == 1) {
      gfx::KeyedCopyRun32(out, in, count, 0, 0xFF000000u);  // alpha 0 is the key
    } else {
      std::memcpy(out, in, static_cast<size_t>(count) * 4);
    }
    return;
  }
  DWORD* d = reinterpret_cast<DWORD*>(out);
  const DWORD* s = reinterpret_cast<const DWORD*>(srow);
  for (int j = 0; j < count; ++j) {
    const DWORD p = s[cols[j]];
    if (nFlags == 1 && (p >> 24) == 0) continue;
    d[j] = p;
  }
}

void PixelRow16(BYTE* out, const BYTE* srow, const int* cols, int count, int nFlags, bool toFullscreenBack) {
  const DDPIXELLAYOUT& tl = g_PixelLayout;
  const DDPIXELLAYOUT& bl = g_BackBufferLayout;
  WORD* d = reinterpret_cast<WORD*>(out);
  const WORD* s = reinterpret_cast<const WORD*>(srow);
  for (int j = 0; j < count; ++j) {
    DWORD p = s[cols[j]];
    if (nFlags == 1 && (p & 0xA000) == 0) continue;
    if (toFullscreenBack) {
      const DWORD r = (p >> tl.nShiftR) & tl.dwMaxR, g = (p >> tl.nShiftG) & tl.dwMaxG;
      const DWORD b = (p >> tl.nShiftB) & tl.dwMaxB;
      p = (r << bl.nShiftR | (g * 2) << bl.nShiftG | b << bl.nShiftB) & 0xFFFF;
    }
    d[j] = static_cast<WORD>(p);
  }
}

// The source row (or column) for offset k of a blit: the same offset unscaled, else the one
// ScaledSource gives; −1 when it falls off the source.
int SourceAt(int k, bool unscaled, float f, int start, int size, int limit) {
  const int v = unscaled ? start + k : ScaledSource(k, f, start, size);
  return v < 0 || v >= limit ? -1 : v;
}

// A blit between locked surfaces: a destination that is not a render target, or a source
// texture in system memory. Row by row, each destination pixel written once.
void PixelBlt(DDSURFACEDATA* dst, int x, int y, int w, int h, DDSURFACEDATA* src, int sx, int sy, int sw, int sh,
              int nFlags) {
  if (DDBpp != 16 && DDBpp != 32) return;
  cSurfaceLock d(dst);
  if (!d.Locked()) return;
  cSurfaceLock s;
  if (!s.LockForReading(src)) return;
  const int bytes = DDBpp / 8;
  if (d.m_nBytesPerPixel != bytes || s.m_nBytesPerPixel != bytes) return;
  const bool unscaled = sw == w && sh == h;
  const float fx = w != 0 ? static_cast<float>(sw) / static_cast<float>(w) : 0.0f;
  const float fy = h != 0 ? static_cast<float>(sh) / static_cast<float>(h) : 0.0f;
  const bool toFullscreenBack = DDBpp == 16 && DDIsFullscreenBackBuffer(dst);
  // The destination columns on the destination, with their source columns; stretches of them
  // that lie on the source are drawn.
  const int j0 = std::max(0, -x), j1 = std::min(w, d.m_nWidth - x);
  if (j0 >= j1) return;
  thread_local std::vector<int> cols;
  cols.resize(static_cast<size_t>(j1 - j0));
  for (int j = j0; j < j1; ++j) cols[static_cast<size_t>(j - j0)] = SourceAt(j, unscaled, fx, sx, sw, s.m_nWidth);
  struct Stretch {
    int first, last;  // destination offsets [first, last) from j0
    bool contiguous;
  };
  std::vector<Stretch> stretches;
  for (int k = 0; k < j1 - j0;) {
    if (cols[static_cast<size_t>(k)] < 0) {
      ++k;
      continue;
    }
    Stretch st{k, k + 1, true};
    while (st.last < j1 - j0 && cols[static_cast<size_t>(st.last)] >= 0) {
      st.contiguous = st.contiguous && cols[static_cast<size_t>(st.last)] == cols[static_cast<size_t>(st.last - 1)] + 1;
      ++st.last;
    }
    stretches.push_back(st);
    k = st.last;
  }
  for (int i = std::max(0, -y); i < std::min(h, d.m_nHeight - y); ++i) {
    const int row = SourceAt(i, unscaled, fy, sy, sh, s.m_nHeight);
    if (row < 0) continue;
    BYTE* const out = Row8(d, y + i) + static_cast<size_t>(x + j0) * static_cast<size_t>(bytes);
    const BYTE* const srow = Row8(s, row);
    for (const Stretch& st : stretches) {
      BYTE* o = out + static_cast<size_t>(st.first) * static_cast<size_t>(bytes);
      const int* c = cols.data() + st.first;
      if (bytes == 4) {
        PixelRow32(o, srow, c, st.contiguous, st.last - st.first, nFlags);
      } else {
        PixelRow16(o, srow, c, st.last - st.first, nFlags, toFullscreenBack);
      }
    }
  }
}

bool SameRun(const DDSPRITEREC& a, const DDSPRITEREC& b) {
  return a.lpSrcSD == b.lpSrcSD && a.lpDstSD == b.lpDstSD && a.dwDiffuse == b.dwDiffuse && a.nFlags == b.nFlags &&
         a.nColorOp == b.nColorOp && a.nAlphaOp == b.nAlphaOp && a.nReserved == b.nReserved;
}

struct RunView {
  const DDSPRITEREC* recs;
  int n;
};

// The states and texture of a run of queued blits, set before its quads are drawn; an opaque
// copy of a keyed source first clears every rectangle of the run.
void PrepareRun(const void* ctx) {
  const RunView& run = *static_cast<const RunView*>(ctx);
  const DDSPRITEREC& first = run.recs[0];
  if (CopiesTransparency(first.nFlags, first.lpSrcSD)) {
    for (int k = 0; k < run.n; ++k) {
      const DDSPRITEREC& r = run.recs[k];
      ClearRect(r.x, r.y, r.nWidth, r.nHeight, TransparentFill(r.lpDstSD));
    }
  }
  SetBlitStates(first.nColorOp, first.nAlphaOp);
  lpDevice->SetTexture(0, first.lpSrcSD->lpDT->lpTexture);
}

// Draws n queued blits from one vertex buffer; false when the run could not be drawn.
bool DrawRun(const DDSPRITEREC* recs, int n) {
  DDSPRITEBATCH& sb = g_SpriteBatch;
  sb.lpVertices.assign(static_cast<size_t>(4 * n), DDVERTEX{});
  for (int k = 0; k < n; ++k) {
    const DDSPRITEREC& r = recs[k];
    BuildQuad(&sb.lpVertices[static_cast<size_t>(4 * k)], r.x, r.y, r.nWidth, r.nHeight, r.lpSrcSD, r.nSrcX, r.nSrcY,
              r.nSrcWidth, r.nSrcHeight, r.dwDiffuse);
  }
  const RunView run{recs, n};
  const bool drawn = DDDrawQuadRun(recs[0].lpDstSD, sb.lpVertices.data(), n, &PrepareRun, &run);
  sb.ReleaseBuffers();
  return drawn;
}

}  // namespace

bool DDDrawQuadRun(DDSURFACEDATA* lpTarget, const DDVERTEX* lpVertices, int n, void (*prepare)(const void*),
                   const void* ctx) {
  const UINT bytes = static_cast<UINT>(n) * DD_QUAD_BYTES;
  IDirect3DVertexBuffer9* vb = nullptr;
  IDirect3DIndexBuffer9* ib = nullptr;
  if (FAILED(lpDevice->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, DD_VERTEX_FVF, D3DPOOL_MANAGED, &vb, nullptr))) {
    ReportErrorLog("CreateVertexBuffer Err");
    return false;
  }
  bool drawn = false;
  void* p = nullptr;
  if (SUCCEEDED(vb->Lock(0, bytes, &p, 0))) {
    std::copy(lpVertices, lpVertices + 4 * n, static_cast<DDVERTEX*>(p));
    vb->Unlock();
    const UINT indexBytes = static_cast<UINT>(8 * n);
    void* q = nullptr;
    if (SUCCEEDED(lpDevice->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib,
                                              nullptr)) &&
        SUCCEEDED(ib->Lock(0, indexBytes, &q, 0))) {
      WORD* idx = static_cast<WORD*>(q);
      for (int i = 0; i < 4 * n; ++i) idx[i] = static_cast<WORD>(i);
      ib->Unlock();
      if (DDBeginScene() && DDSetRenderTarget(0, lpTarget)) {
        prepare(ctx);
        lpDevice->SetStreamSource(0, vb, 0, sizeof(DDVERTEX));
        lpDevice->SetIndices(ib);
        lpDevice->SetFVF(DD_VERTEX_FVF);
        for (int k = 0; k < n; ++k) {
          lpDevice->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, static_cast<UINT>(4 * k), 4, static_cast<UINT>(4 * k),
                                         2);
        }
        drawn = true;
      }
    }
  }
  // The device lets go of the run's buffers before they are released.
  lpDevice->SetIndices(nullptr);
  lpDevice->SetStreamSource(0, nullptr, 0, 0);
  if (ib) ib->Release();
  vb->Release();
  DDSetRenderTarget(0, lpDTCon->lpDefaultTargetSD);
  return drawn;
}

int DDBeginScene() {
  if (!lpDTCon || !lpDevice) return 0;
  if (lpDTCon->bInScene) return 1;
  const HRESULT hr = lpDevice->BeginScene();
  if (FAILED(hr)) {
    ReportErrorLog("BeginScene Err %x", static_cast<unsigned>(hr));
    return 0;
  }
  lpDTCon->bInScene = 1;
  return 1;
}

void DDEndScene() {
  if (!lpDTCon || !lpDevice || !lpDTCon->bInScene) return;
  lpDevice->EndScene();
  lpDTCon->bInScene = 0;
}

int DDSetRenderTarget(int, DDSURFACEDATA* lpSD) {
  if (!lpDevice || !lpSD || !lpSD->lpDT || !lpSD->lpDT->bRenderTarget) return 0;
  const HRESULT hr = lpDevice->SetRenderTarget(0, lpSD->lpDT->lpSurface);
  if (FAILED(hr)) {
    ReportErrorLog("SetRenderTarget Err %x (%s)", static_cast<unsigned>(hr), lpSD->szFileName);
    return 0;
  }
  return 1;
}

void DDMirrorCoords(DDSURFACEDATA* lpSD, int* pSrcX, int* pSrcY, int* pSrcWidth, int* pSrcHeight) {
  if (!lpDTCon || !lpSD || !lpSD->lpSubstitute) return;
  const auto mirror = [](int cell, int* pos, int* size) {
    if (cell == 0) return;
    if (*size == cell) {
      *pos += cell;
      *size = -cell;
    } else if (*size < cell) {
      *pos = *pos + cell - 2 * (*pos % cell);
      *size = -*size;
    }
  };
  mirror(lpSD->nMirrorWidth, pSrcX, pSrcWidth);
  mirror(lpSD->nMirrorHeight, pSrcY, pSrcHeight);
}

int DDClipBlt(DDSURFACEDATA* lpDstSD, int* px, int* py, int* pWidth, int* pHeight, DDSURFACEDATA* lpSrcSD, int* pSrcX,
              int* pSrcY, int* pSrcWidth, int* pSrcHeight) {
  const bool flipX = *pSrcWidth < 0, flipY = *pSrcHeight < 0;
  if (*pWidth <= 0 || *pHeight <= 0 || *pSrcWidth == 0 || *pSrcHeight == 0) return 0;
  const int dstW = lpDstSD->nWidth, dstH = lpDstSD->nHeight;
  const int srcW = lpSrcSD->nWidth, srcH = lpSrcSD->nHeight;
  if (*pSrcWidth == *pWidth && *pSrcHeight == *pHeight) {
    int right = *pSrcX + *pSrcWidth, bottom = *pSrcY + *pSrcHeight;
    if (*pSrcX < 0) *pSrcX = 0;
    if (*pSrcY < 0) *pSrcY = 0;
    right = std::min(right, srcW);
    bottom = std::min(bottom, srcH);
    if (*px < 0) {
      *pSrcX -= *px;
      *px = 0;
    } else if (right - *pSrcX + *px > dstW) {
      right = dstW - *px + *pSrcX;
    }
    if (*py < 0) {
      *pSrcY -= *py;
      *py = 0;
    } else if (bottom - *pSrcY + *py > dstH) {
      bottom = dstH - *py + *pSrcY;
    }
    *pSrcWidth = *pWidth = right - *pSrcX;
    *pSrcHeight = *pHeight = bottom - *pSrcY;
  } else {
    const bool d3d = lpDTCon != nullptr;
    int left = *pSrcX, right = *pSrcX + *pSrcWidth, top = *pSrcY, bottom = *pSrcY + *pSrcHeight;
    if (d3d && flipX) std::swap(left, right);
    if (d3d && flipY) std::swap(top, bottom);
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, srcW);
    bottom = std::min(bottom, srcH);
    const double ratioX = static_cast<double>(right - left) / *pSrcWidth;
    const double ratioY = static_cast<double>(bottom - top) / *pSrcHeight;
    if (d3d && flipX) std::swap(left, right);
    if (d3d && flipY) std::swap(top, bottom);
    *pSrcX = left;
    *pSrcY = top;
    *pSrcWidth = right - left;
    *pSrcHeight = bottom - top;
    if (d3d) {
      *pWidth = Trunc(*pWidth * std::fabs(ratioX));
      *pHeight = Trunc(*pHeight * std::fabs(ratioY));
    } else {
      *pWidth = Trunc(*pWidth * ratioX);
      *pHeight = Trunc(*pHeight * ratioY);
      // The destination is clipped with the source scaled along.
      const auto clip = [](int* pos, int* size, int* srcPos, int* srcSize, int limit) {
        if (*pos < 0) {
          if (*pos + *size < 0 || *size == 0) {
            *size = 0;
            return false;
          }
          const int newSrc = Trunc(static_cast<double>(-*pos) / *size * *srcSize + *srcPos);
          *srcSize += *srcPos - newSrc;
          *srcPos = newSrc;
          *size += *pos;
          *pos = 0;
        }
        if (*pos + *size > limit) {
          if (*pos >= limit || *size == 0) {
            *size = 0;
            return false;
          }
          *srcSize = Trunc(static_cast<double>(limit - *pos) / *size * *srcSize);
          *size = limit - *pos;
        }
        return true;
      };
      if (!clip(px, pWidth, pSrcX, pSrcWidth, dstW)) return 0;
      if (!clip(py, pHeight, pSrcY, pSrcHeight, dstH)) return 0;
    }
  }
  const bool widthOk = flipX ? *pSrcWidth < 0 : *pSrcWidth > 0;
  const bool heightOk = flipY ? *pSrcHeight < 0 : *pSrcHeight > 0;
  return widthOk && heightOk && *pWidth > 0 && *pHeight > 0 ? 1 : 0;
}

void DDBltFast(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nSrcX,
               int nSrcY, int nFlags) {
  if (lpDTCon) {
    DDBlt(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, nSrcX, nSrcY, nWidth, nHeight, nFlags);
    return;
  }
  if (!lpDstSD || !lpSrcSD || !lpDstSD->lpDDObj || !lpSrcSD->lpDDObj || !lpDstSD->lpDDObj->lpSurface ||
      !lpSrcSD->lpDDObj->lpSurface) {
    return;
  }
  int w = nWidth, h = nHeight;
  if (!DDClipBlt(lpDstSD, &x, &y, &w, &h, lpSrcSD, &nSrcX, &nSrcY, &nWidth, &nHeight)) return;
  RECT src{nSrcX, nSrcY, nSrcX + nWidth, nSrcY + nHeight};
  lpDstSD->lpDDObj->lpSurface->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), lpSrcSD->lpDDObj->lpSurface,
                                       &src, static_cast<DWORD>(nFlags) | DDBLTFAST_WAIT);
}

void DDBlt(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nSrcX, int nSrcY,
           int nSrcWidth, int nSrcHeight, int nFlags) {
  DDMirrorCoords(lpSrcSD, &nSrcX, &nSrcY, &nSrcWidth, &nSrcHeight);
  if (!lpDTCon) {
    if (!lpDstSD || !lpSrcSD || !lpDstSD->lpDDObj || !lpSrcSD->lpDDObj || !lpDstSD->lpDDObj->lpSurface ||
        !lpSrcSD->lpDDObj->lpSurface) {
      return;
    }
    if (!DDClipBlt(lpDstSD, &x, &y, &nWidth, &nHeight, lpSrcSD, &nSrcX, &nSrcY, &nSrcWidth, &nSrcHeight)) return;
    RECT dst{x, y, x + nWidth, y + nHeight};
    RECT src{nSrcX, nSrcY, nSrcX + nSrcWidth, nSrcY + nSrcHeight};
    lpDstSD->lpDDObj->lpSurface->Blt(&dst, lpSrcSD->lpDDObj->lpSurface, &src,
                                     nFlags == 1 ? DDBLT_WAIT | DDBLT_KEYSRC : DDBLT_WAIT, nullptr);
    return;
  }
  if (!lpDstSD || !lpSrcSD) return;
  DDUseSubstitute(&lpDstSD);
  DDUseSubstitute(&lpSrcSD);
  if (lpDTCon->bCopyVirtual) {
    lpDstSD = &BackBuffer;
    lpSrcSD = &VirBackBuffer;
  } else {
    DDRedirectBackBuffer(&lpDstSD);
    DDRedirectBackBuffer(&lpSrcSD);
  }
  if (!lpDstSD->lpDT || !lpSrcSD->lpDT) return;
  if (!lpDstSD->lpDT->bRenderTarget || lpSrcSD->lpDT->dwMemoryType == DTMEMORYTYPE_SYSTEM) {
    PixelBlt(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, nSrcX, nSrcY, nSrcWidth, nSrcHeight, nFlags);
    return;
  }
  if (!DDClipBlt(lpDstSD, &x, &y, &nWidth, &nHeight, lpSrcSD, &nSrcX, &nSrcY, &nSrcWidth, &nSrcHeight)) return;
  DDSPRITEBATCH& sb = g_SpriteBatch;
  if (sb.bActive) {
    int key = 0;
    if (sb.nMode != 0) {
      for (const DDBATCHTEX& t : sb.vTextures) {
        if (t.lpSD == lpSrcSD) key = t.nKey;
      }
    }
    DDSPRITEREC r;
    r.nKey = sb.nCounter + key;
    r.lpDstSD = lpDstSD;
    r.lpSrcSD = lpSrcSD;
    r.x = x;
    r.y = y;
    r.nWidth = nWidth;
    r.nHeight = nHeight;
    r.nSrcX = nSrcX;
    r.nSrcY = nSrcY;
    r.nSrcWidth = nSrcWidth;
    r.nSrcHeight = nSrcHeight;
    r.nFlags = nFlags;
    r.dwDiffuse = lpDTCon->dwDiffuse;
    r.nColorOp = lpDTCon->nColorOp;
    r.nAlphaOp = lpDTCon->nAlphaOp;
    sb.vSprites.push_back(r);
    ++sb.nCounter;
    return;
  }
  DrawQuadNow(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, nSrcX, nSrcY, nSrcWidth, nSrcHeight, nFlags);
}

void DDBltFastEx(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nSrcX,
                 int nSrcY, int nFlags, const DDBLTEX* lpEx) {
  DDBltEx(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, nSrcX, nSrcY, nWidth, nHeight, nFlags, lpEx);
}

void DDBltEx(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nSrcX,
             int nSrcY, int nSrcWidth, int nSrcHeight, int nFlags, const DDBLTEX* lpEx) {
  if (!lpDTCon) {
    // DirectDraw: the blits without the extras.
    if (nSrcWidth == nWidth && nSrcHeight == nHeight) {
      DDBltFast(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, nSrcX, nSrcY, nFlags);
    } else {
      DDBlt(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, nSrcX, nSrcY, nSrcWidth, nSrcHeight, nFlags);
    }
    return;
  }
  if (lpEx) {
    DDSetDiffuse(lpEx->dwDiffuse);
    DDSetColorOp(lpEx->nColorOp);
  }
  DDBlt(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, nSrcX, nSrcY, nSrcWidth, nSrcHeight, nFlags);
  DDResetDiffuse();
  DDResetColorOp();
}

void DDBeginSpriteBatch(int nMode) {
  if (!lpDTCon) return;
  DDSPRITEBATCH& sb = g_SpriteBatch;
  sb.bActive = 1;
  sb.nMode = nMode;
  sb.ReleaseBuffers();
  sb.vSprites.clear();
  sb.vTextures.clear();
  sb.nCounter = 0;
}

void DDAddBatchTexture(DDSURFACEDATA* lpSD) {
  DDSPRITEBATCH& sb = g_SpriteBatch;
  if (!lpDTCon || !sb.bActive || sb.nMode == 0) return;
  for (const DDBATCHTEX& t : sb.vTextures) {
    if (t.lpSD == lpSD) return;
  }
  sb.vTextures.push_back(DDBATCHTEX{lpSD, static_cast<int>(sb.vTextures.size() + 1) * kBatchKeyStep});
}

void DDFlushSpriteBatch() {
  if (!lpDTCon) return;
  DDSPRITEBATCH& sb = g_SpriteBatch;
  if (!sb.vSprites.empty() && lpDevice) {
    if (sb.nMode != 0) {
      std::stable_sort(sb.vSprites.begin(), sb.vSprites.end(),
                       [](const DDSPRITEREC& a, const DDSPRITEREC& b) { return a.nKey < b.nKey; });
    }
    const std::vector<DDSPRITEREC> queue = std::move(sb.vSprites);
    sb.vSprites.clear();
    size_t i = 0;
    while (i < queue.size()) {
      size_t j = i + 1;
      while (j < queue.size() && j - i < static_cast<size_t>(kMaxRunQuads) && SameRun(queue[i], queue[j])) ++j;
      const bool drawn = DrawRun(&queue[i], static_cast<int>(j - i));
      i = drawn ? j : i + 1;
    }
  }
  sb.ReleaseBuffers();
  sb.vSprites.clear();
  sb.vTextures.clear();
  sb.nCounter = 0;
  sb.bActive = 0;
}
