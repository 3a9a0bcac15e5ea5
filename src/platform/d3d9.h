// Stands in for Direct3D 9: a software device with the subset the drawing layer uses.
//
// Objects: the Direct3D object, the device with its back buffer, textures of one level,
// surfaces (back buffer, texture levels, system-memory plain surfaces), vertex and index
// buffers. Formats: X8R8G8B8, A8R8G8B8, R5G6B5 and A1R5G5B5; 16-bit indices. Drawing: triangle
// strips of pre-transformed vertices (XYZRHW | DIFFUSE | TEX1) with texture stage 0, point
// sampling and the alpha blend, as raster.h fixes them; clears of the render target.
//
// The device keeps the rules of the real one where a caller could break them: locks only of
// lockable resources (not of render-target textures), render targets only of render-target
// surfaces, drawing only inside a scene, no texturing from system memory, a reset only after
// every video-memory resource was released. Nothing is ever lost on its own; the test hook
// below pretends the device was lost.
//
// A render target is read and written through a system-memory surface of its format and size:
// GetRenderTargetData, a lock of the system surface, UpdateSurface back. Here both live in the
// same memory, so that round trip copies nothing: GetRenderTargetData makes the system surface
// show the target's own pixels, its lock hands them out in place, and UpdateSurface back onto
// the same place has nothing left to do. The system surface so follows the target until it is
// filled from another one, copied elsewhere in part, given a DC, or either is released (it then
// keeps the target's last pixels as its own); code that kept it as a snapshot while drawing on
// into the target would see the drawing.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/com.h"
#include "platform/pixels.h"
#include "platform/raster.h"
#include "platform/wintypes.h"

typedef DWORD D3DCOLOR;

constexpr UINT D3D_SDK_VERSION = 32;
constexpr UINT D3DADAPTER_DEFAULT = 0;

constexpr HRESULT D3D_OK = S_OK;
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = static_cast<HRESULT>(0x8876017Cu);
constexpr HRESULT D3DERR_WRONGTEXTUREFORMAT = static_cast<HRESULT>(0x88760818u);
constexpr HRESULT D3DERR_DEVICELOST = static_cast<HRESULT>(0x88760868u);
constexpr HRESULT D3DERR_DEVICENOTRESET = static_cast<HRESULT>(0x88760869u);
constexpr HRESULT D3DERR_NOTAVAILABLE = static_cast<HRESULT>(0x8876086Au);
constexpr HRESULT D3DERR_INVALIDCALL = static_cast<HRESULT>(0x8876086Cu);

enum D3DFORMAT {
  D3DFMT_UNKNOWN = 0,
  D3DFMT_A8R8G8B8 = 21,
  D3DFMT_X8R8G8B8 = 22,
  D3DFMT_R5G6B5 = 23,
  D3DFMT_A1R5G5B5 = 25,
  D3DFMT_INDEX16 = 101,
  D3DFMT_INDEX32 = 102,
};

enum D3DPOOL {
  D3DPOOL_DEFAULT = 0,
  D3DPOOL_MANAGED = 1,
  D3DPOOL_SYSTEMMEM = 2,
};

constexpr DWORD D3DUSAGE_RENDERTARGET = 0x00000001;
constexpr DWORD D3DUSAGE_WRITEONLY = 0x00000008;
constexpr DWORD D3DUSAGE_DYNAMIC = 0x00000200;

enum D3DRESOURCETYPE {
  D3DRTYPE_SURFACE = 1,
  D3DRTYPE_TEXTURE = 3,
  D3DRTYPE_VERTEXBUFFER = 6,
  D3DRTYPE_INDEXBUFFER = 7,
};

enum D3DDEVTYPE { D3DDEVTYPE_HAL = 1 };
enum D3DSWAPEFFECT { D3DSWAPEFFECT_DISCARD = 1, D3DSWAPEFFECT_COPY = 3 };
enum D3DMULTISAMPLE_TYPE { D3DMULTISAMPLE_NONE = 0 };
enum D3DBACKBUFFER_TYPE { D3DBACKBUFFER_TYPE_MONO = 0 };
enum D3DPRIMITIVETYPE { D3DPT_TRIANGLESTRIP = 5 };

constexpr DWORD D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x00000020;
constexpr DWORD D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x00000040;
constexpr DWORD D3DPRESENTFLAG_LOCKABLE_BACKBUFFER = 0x00000001;
constexpr UINT D3DPRESENT_INTERVAL_DEFAULT = 0x00000000;
constexpr UINT D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000;
constexpr DWORD D3DCLEAR_TARGET = 0x00000001;

constexpr DWORD D3DFVF_XYZRHW = 0x004;
constexpr DWORD D3DFVF_DIFFUSE = 0x040;
constexpr DWORD D3DFVF_TEX1 = 0x100;

enum D3DRENDERSTATETYPE {
  D3DRS_ZENABLE = 7,
  D3DRS_SRCBLEND = 19,
  D3DRS_DESTBLEND = 20,
  D3DRS_CULLMODE = 22,
  D3DRS_ALPHABLENDENABLE = 27,
  D3DRS_TEXTUREFACTOR = 60,
  D3DRS_COLORVERTEX = 141,
  D3DRS_DIFFUSEMATERIALSOURCE = 145,
};

enum D3DBLEND {
  D3DBLEND_ZERO = 1,
  D3DBLEND_ONE = 2,
  D3DBLEND_SRCALPHA = 5,
  D3DBLEND_INVSRCALPHA = 6,
};
enum D3DCULL { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };
enum D3DMATERIALCOLORSOURCE { D3DMCS_MATERIAL = 0, D3DMCS_COLOR1 = 1 };

enum D3DSAMPLERSTATETYPE {
  D3DSAMP_ADDRESSU = 1,
  D3DSAMP_ADDRESSV = 2,
  D3DSAMP_MAGFILTER = 5,
  D3DSAMP_MINFILTER = 6,
  D3DSAMP_MIPFILTER = 7,
};
enum D3DTEXTUREADDRESS { D3DTADDRESS_WRAP = 1 };
enum D3DTEXTUREFILTERTYPE { D3DTEXF_NONE = 0, D3DTEXF_POINT = 1 };

enum D3DTEXTURESTAGESTATETYPE {
  D3DTSS_COLOROP = 1,
  D3DTSS_COLORARG1 = 2,
  D3DTSS_COLORARG2 = 3,
  D3DTSS_ALPHAOP = 4,
  D3DTSS_ALPHAARG1 = 5,
  D3DTSS_ALPHAARG2 = 6,
};
enum D3DTEXTUREOP {
  D3DTOP_DISABLE = 1,
  D3DTOP_SELECTARG1 = 2,
  D3DTOP_SELECTARG2 = 3,
  D3DTOP_MODULATE = 4,
  D3DTOP_ADD = 7,
  D3DTOP_SUBTRACT = 10,
  D3DTOP_BLENDFACTORALPHA = 14,
};
constexpr DWORD D3DTA_DIFFUSE = 0x00000000;
constexpr DWORD D3DTA_CURRENT = 0x00000001;
constexpr DWORD D3DTA_TEXTURE = 0x00000002;
constexpr DWORD D3DTA_TFACTOR = 0x00000003;

// Capability bits the drawing layer reads.
constexpr DWORD D3DPTEXTURECAPS_POW2 = 0x00000002;
constexpr DWORD D3DPTEXTURECAPS_SQUAREONLY = 0x00000020;
constexpr DWORD D3DCAPS2_DYNAMICTEXTURES = 0x20000000;
constexpr DWORD D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD = 0x00000020;

struct D3DRECT {
  LONG x1;
  LONG y1;
  LONG x2;
  LONG y2;
};

struct D3DLOCKED_RECT {
  INT Pitch;
  void* pBits;
};

struct D3DSURFACE_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  UINT Width;
  UINT Height;
};

struct D3DDISPLAYMODE {
  UINT Width;
  UINT Height;
  UINT RefreshRate;
  D3DFORMAT Format;
};

struct D3DPRESENT_PARAMETERS {
  UINT BackBufferWidth;
  UINT BackBufferHeight;
  D3DFORMAT BackBufferFormat;
  UINT BackBufferCount;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  D3DSWAPEFFECT SwapEffect;
  HWND hDeviceWindow;
  BOOL Windowed;
  BOOL EnableAutoDepthStencil;
  D3DFORMAT AutoDepthStencilFormat;
  DWORD Flags;
  UINT FullScreen_RefreshRateInHz;
  UINT PresentationInterval;
};

// The capabilities the system reads.
struct D3DCAPS9 {
  D3DDEVTYPE DeviceType;
  UINT AdapterOrdinal;
  DWORD Caps;
  DWORD Caps2;
  DWORD Caps3;
  DWORD PresentationIntervals;
  DWORD DevCaps;
  DWORD TextureCaps;
  DWORD MaxTextureWidth;
  DWORD MaxTextureHeight;
  DWORD MaxTextureBlendStages;
  DWORD MaxSimultaneousTextures;
};

struct D3DADAPTER_IDENTIFIER9 {
  char Driver[512];
  char Description[512];
  char DeviceName[32];
  struct {
    DWORD LowPart;
    LONG HighPart;
  } DriverVersion;
  DWORD VendorId;
  DWORD DeviceId;
};

class IDirect3DDevice9;
class IDirect3DTexture9;

// A surface: the back buffer, a texture's level 0, or a plain surface in system memory.
// Level surfaces share the reference count of their texture.
class IDirect3DSurface9 : public IUnknown {
 public:
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags);
  HRESULT UnlockRect();
  HRESULT GetDesc(D3DSURFACE_DESC* pDesc);
  // A GDI device context drawing into the surface (text measuring and drawing).
  HRESULT GetDC(HDC* phdc);
  HRESULT ReleaseDC(HDC hdc);

  // Device internals.
  gfx::PixelBuffer pixels;
  D3DSURFACE_DESC desc{};
  IDirect3DTexture9* container = nullptr;  // the texture of a level surface
  bool lockable = false;
  bool isBackBuffer = false;
  int locks = 0;
  HDC dc = nullptr;
  // A system-memory surface filled from a render target shows that target's pixels (viewOf);
  // the target lists the surfaces that show it.
  IDirect3DSurface9* viewOf = nullptr;
  std::vector<IDirect3DSurface9*> viewers;
  // The pixels the surface shows: its own, or those of the render target it was filled from.
  gfx::PixelBuffer& Shown() { return viewOf ? viewOf->pixels : pixels; }
  // Stops showing a render target; with keep, the target's pixels are copied in first.
  void StopShowing(bool keep);

 protected:
  ~IDirect3DSurface9() override;
  friend class IDirect3DTexture9;
  friend class IDirect3DDevice9;
};

// A texture of one level.
class IDirect3DTexture9 : public IUnknown {
 public:
  HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel);
  HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc);
  HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags);
  HRESULT UnlockRect(UINT Level);
  DWORD GetLevelCount();

  // Device internals.
  IDirect3DSurface9* level = nullptr;
  int64_t videoBytes = 0;

 protected:
  ~IDirect3DTexture9() override;
  friend class IDirect3DDevice9;
};

// Vertex and index buffers: plain bytes.
class IDirect3DVertexBuffer9 : public IUnknown {
 public:
  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags);
  HRESULT Unlock();

  std::vector<uint8_t> data;
  DWORD fvf = 0;
};

class IDirect3DIndexBuffer9 : public IUnknown {
 public:
  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags);
  HRESULT Unlock();

  std::vector<uint8_t> data;
  D3DFORMAT format = D3DFMT_INDEX16;
};

class IDirect3DDevice9 : public IUnknown {
 public:
  HRESULT TestCooperativeLevel();
  UINT GetAvailableTextureMem();
  HRESULT Reset(D3DPRESENT_PARAMETERS* pPresentationParameters);
  HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride, const void* pDirtyRegion);
  HRESULT GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type, IDirect3DSurface9** ppBackBuffer);
  HRESULT SetDialogBoxMode(BOOL bEnableDialogs);

  HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                        IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle);
  HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool, IDirect3DVertexBuffer9** ppVertexBuffer,
                             HANDLE* pSharedHandle);
  HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                            IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle);
  HRESULT CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                      IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle);
  HRESULT UpdateSurface(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                        IDirect3DSurface9* pDestinationSurface, const POINT* pDestPoint);
  HRESULT GetRenderTargetData(IDirect3DSurface9* pRenderTarget, IDirect3DSurface9* pDestSurface);

  HRESULT SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget);
  HRESULT BeginScene();
  HRESULT EndScene();
  HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil);
  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value);
  HRESULT SetTexture(DWORD Stage, IDirect3DTexture9* pTexture);
  HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value);
  HRESULT SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value);
  HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes, UINT Stride);
  HRESULT SetIndices(IDirect3DIndexBuffer9* pIndexData);
  HRESULT SetFVF(DWORD FVF);
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount);
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex, UINT MinVertexIndex,
                               UINT NumVertices, UINT startIndex, UINT primCount);

  // Device internals (the D3DX stand-ins draw through these).
  explicit IDirect3DDevice9(const D3DPRESENT_PARAMETERS& pp, HWND focus);
  bool inScene() const { return inScene_; }
  IDirect3DSurface9* renderTarget() const { return renderTarget_; }
  // Draws a strip into the render target with the given states (no device state changes).
  HRESULT DrawWithStates(const gfx::PixelBuffer* texture, const gfx::RasterState& st, const gfx::Vertex* v,
                         int primCount);
  // Tests: the device is lost from now on; TestCooperativeLevel reports it as not yet
  // resettable until SetResettableForTest(true).
  void LoseForTest();
  void SetResettableForTest(bool resettable);

 protected:
  ~IDirect3DDevice9() override;

 private:
  void ResetStates();
  bool CreateBackBuffer();
  HRESULT Draw(const std::vector<gfx::Vertex>& strip, int primCount);

  D3DPRESENT_PARAMETERS pp_{};
  HWND focus_ = nullptr;
  IDirect3DSurface9* backBuffer_ = nullptr;
  IDirect3DSurface9* renderTarget_ = nullptr;
  IDirect3DTexture9* textures_[8] = {};
  IDirect3DVertexBuffer9* stream_ = nullptr;
  UINT streamOffset_ = 0;
  UINT streamStride_ = 0;
  IDirect3DIndexBuffer9* indices_ = nullptr;
  DWORD fvf_ = 0;
  gfx::RasterState raster_;
  int cullMode_ = D3DCULL_CCW;
  std::vector<gfx::Vertex> strip_;  // the vertices of the draw call, kept so that draws allocate nothing
  bool inScene_ = false;
  bool lost_ = false;
  bool resettable_ = false;

  friend class IDirect3D9;
};

class IDirect3D9 : public IUnknown {
 public:
  UINT GetAdapterCount();
  HRESULT GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode);
  HRESULT GetAdapterIdentifier(UINT Adapter, DWORD Flags, D3DADAPTER_IDENTIFIER9* pIdentifier);
  HRESULT GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps);
  HRESULT CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                            D3DRESOURCETYPE RType, D3DFORMAT CheckFormat);
  HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                       D3DPRESENT_PARAMETERS* pPresentationParameters, IDirect3DDevice9** ppReturnedDeviceInterface);
};

// Stands in for Direct3DCreate9: the Direct3D object, or null for another SDK version.
IDirect3D9* Direct3DCreate9(UINT SDKVersion);

namespace gfx {
PixelFormat FormatOf(D3DFORMAT format);
}  // namespace gfx
