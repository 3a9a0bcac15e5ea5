#include "platform/d3d9.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/display.h"
#include "platform/gdi.h"

namespace {

constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr UINT kVertexStride = 28;
// The largest side Direct3D 9 cards of the time commonly took; reported in the caps, so that
// games with large images load as they did there.
constexpr UINT kMaxTextureSide = 16384;
constexpr UINT kMaxBufferBytes = 64u << 20;

// Live textures in the default pool: a reset needs every one of them released first.
std::atomic<int> g_defaultPoolTextures{0};

bool BackBufferFormat(D3DFORMAT f) { return f == D3DFMT_X8R8G8B8 || f == D3DFMT_R5G6B5 || f == D3DFMT_A1R5G5B5; }

bool RenderTargetSurface(const IDirect3DSurface9* s) {
  return s && (s->isBackBuffer || (s->desc.Usage & D3DUSAGE_RENDERTARGET));
}

bool InsideRect(const RECT& r, int w, int h) {
  return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom && r.right <= w && r.bottom <= h;
}

}  // namespace

namespace gfx {

PixelFormat FormatOf(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
      return PixelFormat::kA8R8G8B8;
    case D3DFMT_X8R8G8B8:
      return PixelFormat::kX8R8G8B8;
    case D3DFMT_R5G6B5:
      return PixelFormat::kR5G6B5;
    case D3DFMT_A1R5G5B5:
      return PixelFormat::kA1R5G5B5;
    default:
      return PixelFormat::kUnknown;
  }
}

}  // namespace gfx

// ---- Surfaces ----

ULONG IDirect3DSurface9::AddRef() { return container ? container->AddRef() : IUnknown::AddRef(); }

ULONG IDirect3DSurface9::Release() { return container ? container->Release() : IUnknown::Release(); }

IDirect3DSurface9::~IDirect3DSurface9() {
  if (dc) gfx::DestroySurfaceDC(dc);
  StopShowing(false);
  // The surfaces that showed this one keep its last pixels: one takes the memory itself (a
  // locked one, so that the pointer its lock handed out stays good), the others copy.
  if (viewers.empty()) return;
  IDirect3DSurface9* heir = viewers.front();
  for (IDirect3DSurface9* v : viewers) {
    if (v->locks > 0) heir = v;
  }
  heir->StopShowing(false);
  heir->pixels.bits.swap(pixels.bits);
  while (!viewers.empty()) {
    IDirect3DSurface9* v = viewers.back();
    v->StopShowing(false);
    gfx::CopyRect(v->pixels, 0, 0, heir->pixels, 0, 0, v->pixels.width, v->pixels.height);
  }
}

void IDirect3DSurface9::StopShowing(bool keep) {
  if (!viewOf) return;
  if (keep) gfx::CopyRect(pixels, 0, 0, viewOf->pixels, 0, 0, pixels.width, pixels.height);
  std::vector<IDirect3DSurface9*>& list = viewOf->viewers;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  viewOf = nullptr;
}

HRESULT IDirect3DSurface9::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD) {
  if (!pLockedRect || !lockable || locks > 0 || dc) return D3DERR_INVALIDCALL;
  gfx::PixelBuffer& px = Shown();
  RECT r{0, 0, px.width, px.height};
  if (pRect) {
    if (!InsideRect(*pRect, px.width, px.height)) return D3DERR_INVALIDCALL;
    r = *pRect;
  }
  pLockedRect->Pitch = px.pitch;
  pLockedRect->pBits = px.At(static_cast<int>(r.left), static_cast<int>(r.top));
  ++locks;
  return D3D_OK;
}

HRESULT IDirect3DSurface9::UnlockRect() {
  if (locks == 0) return D3DERR_INVALIDCALL;
  --locks;
  return D3D_OK;
}

HRESULT IDirect3DSurface9::GetDesc(D3DSURFACE_DESC* pDesc) {
  if (!pDesc) return D3DERR_INVALIDCALL;
  *pDesc = desc;
  return D3D_OK;
}

HRESULT IDirect3DSurface9::GetDC(HDC* phdc) {
  if (!phdc || dc || locks > 0) return D3DERR_INVALIDCALL;
  StopShowing(true);  // the DC keeps the buffer's address: the surface's own pixels
  dc = gfx::CreateSurfaceDC(&pixels, nullptr);
  *phdc = dc;
  return D3D_OK;
}

HRESULT IDirect3DSurface9::ReleaseDC(HDC hdc) {
  if (!dc || hdc != dc) return D3DERR_INVALIDCALL;
  gfx::DestroySurfaceDC(dc);
  dc = nullptr;
  return D3D_OK;
}

// ---- Textures ----

IDirect3DTexture9::~IDirect3DTexture9() {
  if (level) {
    if (level->desc.Pool == D3DPOOL_DEFAULT) --g_defaultPoolTextures;
    level->container = nullptr;
    delete level;
  }
  if (videoBytes) gfx::ReleaseVideoMemory(videoBytes);
}

HRESULT IDirect3DTexture9::GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) {
  if (Level != 0 || !ppSurfaceLevel) return D3DERR_INVALIDCALL;
  level->AddRef();
  *ppSurfaceLevel = level;
  return D3D_OK;
}

HRESULT IDirect3DTexture9::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
  if (Level != 0) return D3DERR_INVALIDCALL;
  return level->GetDesc(pDesc);
}

HRESULT IDirect3DTexture9::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
  if (Level != 0) return D3DERR_INVALIDCALL;
  return level->LockRect(pLockedRect, pRect, Flags);
}

HRESULT IDirect3DTexture9::UnlockRect(UINT Level) {
  if (Level != 0) return D3DERR_INVALIDCALL;
  return level->UnlockRect();
}

DWORD IDirect3DTexture9::GetLevelCount() { return 1; }

// ---- Buffers ----

namespace {

HRESULT LockBytes(std::vector<uint8_t>& data, UINT offset, UINT size, void** pp) {
  if (!pp) return D3DERR_INVALIDCALL;
  if (size == 0) {
    if (offset > data.size()) return D3DERR_INVALIDCALL;
    size = static_cast<UINT>(data.size() - offset);
  }
  if (offset > data.size() || size > data.size() - offset) return D3DERR_INVALIDCALL;
  *pp = data.data() + offset;
  return D3D_OK;
}

}  // namespace

HRESULT IDirect3DVertexBuffer9::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD) {
  return LockBytes(data, OffsetToLock, SizeToLock, ppbData);
}

HRESULT IDirect3DVertexBuffer9::Unlock() { return D3D_OK; }

HRESULT IDirect3DIndexBuffer9::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD) {
  return LockBytes(data, OffsetToLock, SizeToLock, ppbData);
}

HRESULT IDirect3DIndexBuffer9::Unlock() { return D3D_OK; }

// ---- Device ----

namespace {

template <class T>
void Hold(T*& slot, T* obj) {
  if (obj) obj->AddRef();
  if (slot) slot->Release();
  slot = obj;
}

}  // namespace

IDirect3DDevice9::IDirect3DDevice9(const D3DPRESENT_PARAMETERS& pp, HWND focus) : pp_(pp), focus_(focus) {}

IDirect3DDevice9::~IDirect3DDevice9() {
  Hold(renderTarget_, static_cast<IDirect3DSurface9*>(nullptr));
  for (IDirect3DTexture9*& t : textures_) Hold(t, static_cast<IDirect3DTexture9*>(nullptr));
  Hold(stream_, static_cast<IDirect3DVertexBuffer9*>(nullptr));
  Hold(indices_, static_cast<IDirect3DIndexBuffer9*>(nullptr));
  if (backBuffer_) backBuffer_->Release();
  if (!pp_.Windowed) gfx::CurrentPresenter().SetFullscreen(pp_.hDeviceWindow ? pp_.hDeviceWindow : focus_, false);
}

bool IDirect3DDevice9::CreateBackBuffer() {
  if (backBuffer_) backBuffer_->Release();
  backBuffer_ = new IDirect3DSurface9;
  backBuffer_->isBackBuffer = true;
  backBuffer_->lockable = (pp_.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0;
  backBuffer_->desc = D3DSURFACE_DESC{pp_.BackBufferFormat, D3DRTYPE_SURFACE, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT,
                                      D3DMULTISAMPLE_NONE, 0, pp_.BackBufferWidth, pp_.BackBufferHeight};
  return backBuffer_->pixels.Allocate(gfx::FormatOf(pp_.BackBufferFormat), static_cast<int>(pp_.BackBufferWidth),
                                      static_cast<int>(pp_.BackBufferHeight));
}

void IDirect3DDevice9::ResetStates() {
  raster_ = gfx::RasterState{};
  cullMode_ = D3DCULL_CCW;
  for (IDirect3DTexture9*& t : textures_) Hold(t, static_cast<IDirect3DTexture9*>(nullptr));
  Hold(stream_, static_cast<IDirect3DVertexBuffer9*>(nullptr));
  Hold(indices_, static_cast<IDirect3DIndexBuffer9*>(nullptr));
  streamOffset_ = streamStride_ = 0;
  fvf_ = 0;
  Hold(renderTarget_, backBuffer_);
  inScene_ = false;
}

HRESULT IDirect3DDevice9::TestCooperativeLevel() {
  if (!lost_) return D3D_OK;
  return resettable_ ? D3DERR_DEVICENOTRESET : D3DERR_DEVICELOST;
}

UINT IDirect3DDevice9::GetAvailableTextureMem() {
  return static_cast<UINT>(std::min<int64_t>(gfx::VideoMemoryFree(), 0xFFFFFFFFu));
}

HRESULT IDirect3DDevice9::Reset(D3DPRESENT_PARAMETERS* pp) {
  if (!pp || !BackBufferFormat(pp->BackBufferFormat)) return D3DERR_INVALIDCALL;
  if (lost_ && !resettable_) return D3DERR_DEVICELOST;
  // Everything the device holds is let go; the application must have released its own
  // references to video-memory resources and to the back buffer.
  Hold(renderTarget_, static_cast<IDirect3DSurface9*>(nullptr));
  for (IDirect3DTexture9*& t : textures_) Hold(t, static_cast<IDirect3DTexture9*>(nullptr));
  Hold(stream_, static_cast<IDirect3DVertexBuffer9*>(nullptr));
  Hold(indices_, static_cast<IDirect3DIndexBuffer9*>(nullptr));
  if (g_defaultPoolTextures.load() > 0 || (backBuffer_ && backBuffer_->RefCount() > 1)) {
    lost_ = true;
    resettable_ = true;
    Hold(renderTarget_, backBuffer_);
    return D3DERR_INVALIDCALL;
  }
  D3DPRESENT_PARAMETERS next = *pp;
  HWND window = next.hDeviceWindow ? next.hDeviceWindow : focus_;
  if (next.Windowed && (next.BackBufferWidth == 0 || next.BackBufferHeight == 0)) {
    int w = 0, h = 0;
    gfx::CurrentPresenter().ClientSize(window, &w, &h);
    if (next.BackBufferWidth == 0) next.BackBufferWidth = static_cast<UINT>(std::max(w, 1));
    if (next.BackBufferHeight == 0) next.BackBufferHeight = static_cast<UINT>(std::max(h, 1));
  }
  if (next.BackBufferCount == 0) next.BackBufferCount = 1;
  pp_ = next;
  *pp = next;
  if (!CreateBackBuffer()) return D3DERR_INVALIDCALL;
  gfx::CurrentPresenter().SetFullscreen(window, !pp_.Windowed);
  ResetStates();
  lost_ = false;
  resettable_ = false;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::Present(const RECT*, const RECT*, HWND hDestWindowOverride, const void*) {
  if (lost_) return D3DERR_DEVICELOST;
  HWND window = hDestWindowOverride ? hDestWindowOverride : (pp_.hDeviceWindow ? pp_.hDeviceWindow : focus_);
  gfx::Presenter& presenter = gfx::CurrentPresenter();
  const bool vsync = pp_.PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE;
  presenter.ShowFrame(window, backBuffer_->pixels, nullptr, vsync);
  if (vsync) presenter.WaitVerticalBlank();
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE,
                                        IDirect3DSurface9** ppBackBuffer) {
  if (iSwapChain != 0 || iBackBuffer != 0 || !ppBackBuffer || !backBuffer_) return D3DERR_INVALIDCALL;
  backBuffer_->AddRef();
  *ppBackBuffer = backBuffer_;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetDialogBoxMode(BOOL) {
  return (pp_.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT IDirect3DDevice9::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                                        D3DPOOL Pool, IDirect3DTexture9** ppTexture, HANDLE*) {
  if (!ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  if (Width == 0 || Height == 0 || Width > kMaxTextureSide || Height > kMaxTextureSide || Levels > 1) {
    return D3DERR_INVALIDCALL;
  }
  const gfx::PixelFormat pf = gfx::FormatOf(Format);
  if (pf == gfx::PixelFormat::kUnknown) return D3DERR_INVALIDCALL;
  const bool rt = (Usage & D3DUSAGE_RENDERTARGET) != 0, dynamic = (Usage & D3DUSAGE_DYNAMIC) != 0;
  if (Pool != D3DPOOL_DEFAULT && Pool != D3DPOOL_MANAGED && Pool != D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
  if ((rt && Pool != D3DPOOL_DEFAULT) || (dynamic && Pool == D3DPOOL_MANAGED)) return D3DERR_INVALIDCALL;
  int64_t video = 0;
  if (Pool == D3DPOOL_DEFAULT) {
    video = int64_t{Width} * Height * gfx::BytesPerPixel(pf);
    if (!gfx::ReserveVideoMemory(video)) return D3DERR_OUTOFVIDEOMEMORY;
  }
  IDirect3DTexture9* tex = new IDirect3DTexture9;
  tex->videoBytes = video;
  IDirect3DSurface9* s = new IDirect3DSurface9;
  s->container = tex;
  s->desc = D3DSURFACE_DESC{Format, D3DRTYPE_SURFACE, Usage, Pool, D3DMULTISAMPLE_NONE, 0, Width, Height};
  s->lockable = Pool != D3DPOOL_DEFAULT || dynamic;
  tex->level = s;
  if (Pool == D3DPOOL_DEFAULT) ++g_defaultPoolTextures;
  if (!s->pixels.Allocate(pf, static_cast<int>(Width), static_cast<int>(Height))) {
    tex->Release();
    return E_OUTOFMEMORY;
  }
  *ppTexture = tex;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateVertexBuffer(UINT Length, DWORD, DWORD FVF, D3DPOOL, IDirect3DVertexBuffer9** ppVB,
                                             HANDLE*) {
  if (!ppVB) return D3DERR_INVALIDCALL;
  *ppVB = nullptr;
  if (Length == 0 || Length > kMaxBufferBytes) return D3DERR_INVALIDCALL;
  IDirect3DVertexBuffer9* vb = new IDirect3DVertexBuffer9;
  vb->data.assign(Length, 0);
  vb->fvf = FVF;
  *ppVB = vb;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateIndexBuffer(UINT Length, DWORD, D3DFORMAT Format, D3DPOOL,
                                            IDirect3DIndexBuffer9** ppIB, HANDLE*) {
  if (!ppIB) return D3DERR_INVALIDCALL;
  *ppIB = nullptr;
  if (Length == 0 || Length > kMaxBufferBytes || (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32)) {
    return D3DERR_INVALIDCALL;
  }
  IDirect3DIndexBuffer9* ib = new IDirect3DIndexBuffer9;
  ib->data.assign(Length, 0);
  ib->format = Format;
  *ppIB = ib;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                                      IDirect3DSurface9** ppSurface, HANDLE*) {
  if (!ppSurface) return D3DERR_INVALIDCALL;
  *ppSurface = nullptr;
  const gfx::PixelFormat pf = gfx::FormatOf(Format);
  if (Pool != D3DPOOL_SYSTEMMEM || pf == gfx::PixelFormat::kUnknown || Width == 0 || Height == 0) {
    return D3DERR_INVALIDCALL;
  }
  IDirect3DSurface9* s = new IDirect3DSurface9;
  s->desc = D3DSURFACE_DESC{Format, D3DRTYPE_SURFACE, 0, Pool, D3DMULTISAMPLE_NONE, 0, Width, Height};
  s->lockable = true;
  if (!s->pixels.Allocate(pf, static_cast<int>(Width), static_cast<int>(Height))) {
    s->Release();
    return E_OUTOFMEMORY;
  }
  *ppSurface = s;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::UpdateSurface(IDirect3DSurface9* src, const RECT* srcRect, IDirect3DSurface9* dst,
                                        const POINT* destPoint) {
  if (!src || !dst || src->desc.Pool != D3DPOOL_SYSTEMMEM || dst->desc.Pool != D3DPOOL_DEFAULT ||
      src->desc.Format != dst->desc.Format) {
    return D3DERR_INVALIDCALL;
  }
  RECT r{0, 0, src->pixels.width, src->pixels.height};
  if (srcRect) {
    if (!InsideRect(*srcRect, src->pixels.width, src->pixels.height)) return D3DERR_INVALIDCALL;
    r = *srcRect;
  }
  const LONG dx = destPoint ? destPoint->x : 0, dy = destPoint ? destPoint->y : 0;
  const RECT d{dx, dy, dx + (r.right - r.left), dy + (r.bottom - r.top)};
  if (!InsideRect(d, dst->pixels.width, dst->pixels.height)) return D3DERR_INVALIDCALL;
  if (src->viewOf == dst) {
    // The system surface shows this very target: written back onto the same place, its pixels
    // are already there; elsewhere, the rectangle is taken out first.
    if (d.left == r.left && d.top == r.top) return D3D_OK;
    if (src->locks > 0) return D3DERR_INVALIDCALL;
    src->StopShowing(true);
  }
  gfx::CopyRect(dst->pixels, static_cast<int>(d.left), static_cast<int>(d.top), src->Shown(), static_cast<int>(r.left),
                static_cast<int>(r.top), static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top));
  return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderTargetData(IDirect3DSurface9* rt, IDirect3DSurface9* dst) {
  if (!RenderTargetSurface(rt) || !dst || dst->desc.Pool != D3DPOOL_SYSTEMMEM || rt->desc.Format != dst->desc.Format ||
      rt->pixels.width != dst->pixels.width || rt->pixels.height != dst->pixels.height) {
    return D3DERR_INVALIDCALL;
  }
  if (dst->viewOf == rt) return D3D_OK;  // it shows the target's pixels already
  // A locked surface, or one with a DC out, keeps the memory its user holds.
  if (dst->locks > 0 || dst->dc) return D3DERR_INVALIDCALL;
  dst->StopShowing(false);
  dst->viewOf = rt;
  rt->viewers.push_back(dst);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) {
  if (RenderTargetIndex != 0 || !RenderTargetSurface(pRenderTarget)) return D3DERR_INVALIDCALL;
  Hold(renderTarget_, pRenderTarget);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::BeginScene() {
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::EndScene() {
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float, DWORD) {
  if (Count > 0 && !pRects) return D3DERR_INVALIDCALL;
  if (lost_ || !(Flags & D3DCLEAR_TARGET) || !renderTarget_) return D3D_OK;
  gfx::PixelBuffer& t = renderTarget_->pixels;
  const uint32_t value = gfx::NarrowFromArgb(t.format, Color);
  if (Count == 0) {
    t.Fill(0, 0, t.width, t.height, value);
    return D3D_OK;
  }
  for (DWORD i = 0; i < Count; ++i) {
    const D3DRECT& r = pRects[i];
    const auto clampX = [&](LONG v) { return static_cast<int>(std::clamp<LONG>(v, 0, t.width)); };
    const auto clampY = [&](LONG v) { return static_cast<int>(std::clamp<LONG>(v, 0, t.height)); };
    t.Fill(clampX(r.x1), clampY(r.y1), clampX(r.x2), clampY(r.y2), value);
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  switch (State) {
    case D3DRS_CULLMODE:
      cullMode_ = static_cast<int>(Value);
      break;
    case D3DRS_ALPHABLENDENABLE:
      raster_.blend = Value != 0;
      break;
    case D3DRS_SRCBLEND:
      raster_.srcBlend = static_cast<int>(Value);
      break;
    case D3DRS_DESTBLEND:
      raster_.destBlend = static_cast<int>(Value);
      break;
    case D3DRS_TEXTUREFACTOR:
      raster_.textureFactor = Value;
      break;
    default:  // depth, lighting and material states have no effect on pre-transformed vertices
      break;
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTexture(DWORD Stage, IDirect3DTexture9* pTexture) {
  if (Stage >= 8) return D3DERR_INVALIDCALL;
  if (pTexture && pTexture->level->desc.Pool == D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
  Hold(textures_[Stage], pTexture);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
  if (Stage >= 8) return D3DERR_INVALIDCALL;
  if (Stage != 0) return D3D_OK;  // only stage 0 is used; the later stages stay off
  const int v = static_cast<int>(Value);
  switch (Type) {
    case D3DTSS_COLOROP:
      raster_.colorOp = v;
      break;
    case D3DTSS_COLORARG1:
      raster_.colorArg1 = v;
      break;
    case D3DTSS_COLORARG2:
      raster_.colorArg2 = v;
      break;
    case D3DTSS_ALPHAOP:
      raster_.alphaOp = v;
      break;
    case D3DTSS_ALPHAARG1:
      raster_.alphaArg1 = v;
      break;
    case D3DTSS_ALPHAARG2:
      raster_.alphaArg2 = v;
      break;
    default:
      break;
  }
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE, DWORD) {
  // Sampling is always by point with wrapping (raster.h).
  return Sampler < 8 ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT IDirect3DDevice9::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                                          UINT Stride) {
  if (StreamNumber != 0) return D3DERR_INVALIDCALL;
  Hold(stream_, pStreamData);
  streamOffset_ = OffsetInBytes;
  streamStride_ = Stride;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetIndices(IDirect3DIndexBuffer9* pIndexData) {
  Hold(indices_, pIndexData);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::SetFVF(DWORD FVF) {
  fvf_ = FVF;
  return D3D_OK;
}

HRESULT IDirect3DDevice9::Draw(const std::vector<gfx::Vertex>& strip, int primCount) {
  gfx::RasterState st = raster_;
  st.cullMode = cullMode_;
  const gfx::PixelBuffer* tex = textures_[0] ? &textures_[0]->level->pixels : nullptr;
  return DrawWithStates(tex, st, strip.data(), primCount);
}

HRESULT IDirect3DDevice9::DrawWithStates(const gfx::PixelBuffer* texture, const gfx::RasterState& st,
                                         const gfx::Vertex* v, int primCount) {
  if (!inScene_ || !renderTarget_) return D3DERR_INVALIDCALL;
  if (lost_) return D3D_OK;
  gfx::DrawTriangleStrip(renderTarget_->pixels, texture, st, v, primCount);
  return D3D_OK;
}

HRESULT IDirect3DDevice9::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) {
  if (PrimitiveType != D3DPT_TRIANGLESTRIP || !stream_ || fvf_ != kFvf || streamStride_ != kVertexStride ||
      PrimitiveCount == 0 || !inScene_) {
    return D3DERR_INVALIDCALL;
  }
  const uint64_t count = uint64_t{PrimitiveCount} + 2;
  const uint64_t first = uint64_t{streamOffset_} + uint64_t{StartVertex} * kVertexStride;
  if (first + count * kVertexStride > stream_->data.size()) return D3DERR_INVALIDCALL;
  strip_.resize(count);
  std::memcpy(strip_.data(), stream_->data.data() + first, count * kVertexStride);
  return Draw(strip_, static_cast<int>(PrimitiveCount));
}

HRESULT IDirect3DDevice9::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex, UINT,
                                               UINT, UINT startIndex, UINT primCount) {
  if (PrimitiveType != D3DPT_TRIANGLESTRIP || !stream_ || !indices_ || fvf_ != kFvf ||
      streamStride_ != kVertexStride || primCount == 0 || !inScene_) {
    return D3DERR_INVALIDCALL;
  }
  const uint64_t count = uint64_t{primCount} + 2;
  const uint64_t indexSize = indices_->format == D3DFMT_INDEX32 ? 4 : 2;
  if ((uint64_t{startIndex} + count) * indexSize > indices_->data.size()) return D3DERR_INVALIDCALL;
  const uint64_t available =
      stream_->data.size() > streamOffset_ ? (stream_->data.size() - streamOffset_) / kVertexStride : 0;
  strip_.resize(count);
  for (uint64_t i = 0; i < count; ++i) {
    uint32_t index = 0;
    std::memcpy(&index, indices_->data.data() + (startIndex + i) * indexSize, indexSize);
    const int64_t vertex = int64_t{BaseVertexIndex} + index;
    if (vertex < 0 || static_cast<uint64_t>(vertex) >= available) return D3DERR_INVALIDCALL;
    std::memcpy(&strip_[i], stream_->data.data() + streamOffset_ + static_cast<uint64_t>(vertex) * kVertexStride,
                kVertexStride);
  }
  return Draw(strip_, static_cast<int>(primCount));
}

void IDirect3DDevice9::LoseForTest() {
  lost_ = true;
  resettable_ = false;
}

void IDirect3DDevice9::SetResettableForTest(bool resettable) { resettable_ = resettable; }

// ---- Direct3D object ----

UINT IDirect3D9::GetAdapterCount() { return 1; }

HRESULT IDirect3D9::GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) {
  if (Adapter != 0 || !pMode) return D3DERR_INVALIDCALL;
  const gfx::DisplayMode m = gfx::CurrentPresenter().DesktopMode();
  pMode->Width = static_cast<UINT>(m.width);
  pMode->Height = static_cast<UINT>(m.height);
  pMode->RefreshRate = static_cast<UINT>(m.refreshRate);
  pMode->Format = m.bitsPerPixel == 16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8;
  return D3D_OK;
}

HRESULT IDirect3D9::GetAdapterIdentifier(UINT Adapter, DWORD, D3DADAPTER_IDENTIFIER9* pIdentifier) {
  if (Adapter != 0 || !pIdentifier) return D3DERR_INVALIDCALL;
  *pIdentifier = D3DADAPTER_IDENTIFIER9{};
  std::strcpy(pIdentifier->Driver, "software");
  std::strcpy(pIdentifier->Description, "Software graphics device");
  std::strcpy(pIdentifier->DeviceName, "display");
  return D3D_OK;
}

HRESULT IDirect3D9::GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) {
  if (Adapter != 0 || DeviceType != D3DDEVTYPE_HAL || !pCaps) return D3DERR_INVALIDCALL;
  *pCaps = D3DCAPS9{};
  pCaps->DeviceType = D3DDEVTYPE_HAL;
  pCaps->Caps2 = D3DCAPS2_DYNAMICTEXTURES;
  pCaps->Caps3 = D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD;
  pCaps->PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | 1u;
  pCaps->TextureCaps = 0;
  pCaps->MaxTextureWidth = kMaxTextureSide;
  pCaps->MaxTextureHeight = kMaxTextureSide;
  pCaps->MaxTextureBlendStages = 1;
  pCaps->MaxSimultaneousTextures = 1;
  return D3D_OK;
}

HRESULT IDirect3D9::CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT, DWORD Usage,
                                      D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) {
  if (Adapter != 0 || DeviceType != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
  if (RType != D3DRTYPE_SURFACE && RType != D3DRTYPE_TEXTURE) return D3DERR_NOTAVAILABLE;
  if (gfx::FormatOf(CheckFormat) == gfx::PixelFormat::kUnknown) return D3DERR_NOTAVAILABLE;
  return (Usage & ~(D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC)) ? D3DERR_NOTAVAILABLE : D3D_OK;
}

HRESULT IDirect3D9::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD,
                                 D3DPRESENT_PARAMETERS* pp, IDirect3DDevice9** ppDevice) {
  if (!ppDevice) return D3DERR_INVALIDCALL;
  *ppDevice = nullptr;
  if (Adapter != 0 || DeviceType != D3DDEVTYPE_HAL || !pp) return D3DERR_INVALIDCALL;
  D3DPRESENT_PARAMETERS p = *pp;
  if (p.Windowed && p.BackBufferFormat == D3DFMT_UNKNOWN) p.BackBufferFormat = D3DFMT_X8R8G8B8;
  if (!BackBufferFormat(p.BackBufferFormat)) return D3DERR_INVALIDCALL;
  HWND window = p.hDeviceWindow ? p.hDeviceWindow : hFocusWindow;
  if (p.Windowed) {
    int w = 0, h = 0;
    gfx::CurrentPresenter().ClientSize(window, &w, &h);
    if (p.BackBufferWidth == 0) p.BackBufferWidth = static_cast<UINT>(std::max(w, 1));
    if (p.BackBufferHeight == 0) p.BackBufferHeight = static_cast<UINT>(std::max(h, 1));
  } else if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0) {
    return D3DERR_INVALIDCALL;
  }
  if (p.BackBufferCount == 0) p.BackBufferCount = 1;
  IDirect3DDevice9* dev = new IDirect3DDevice9(p, hFocusWindow);
  if (!dev->CreateBackBuffer()) {
    dev->Release();
    return D3DERR_INVALIDCALL;
  }
  dev->ResetStates();
  if (!p.Windowed) gfx::CurrentPresenter().SetFullscreen(window, true);
  *pp = p;
  *ppDevice = dev;
  return D3D_OK;
}

IDirect3D9* Direct3DCreate9(UINT SDKVersion) { return SDKVersion == D3D_SDK_VERSION ? new IDirect3D9 : nullptr; }
