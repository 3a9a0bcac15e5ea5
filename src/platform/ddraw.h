// Stands in for DirectDraw 7: a software display with the subset the drawing layer uses.
//
// The display runs at 8 bits (palette indices), 16 bits (R5G6B5) or 32 bits (X8R8G8B8): the
// depth set by SetDisplayMode in exclusive full screen, else the desktop's 32 bits; every
// surface has the display's format. The primary surface is the picture in the main window:
// its flip chain's Flip swaps the pixels of the primary and its back buffers (the back buffer
// then holds the previous frame) and shows the new front; a blit onto the primary shows it too.
// Under the normal cooperative level the primary stands for the window's client area in screen
// coordinates. 8-bit frames are shown through the primary's palette as it is at that moment.
//
// The rules of the real interface that protect memory are kept: BltFast does not clip (a
// rectangle outside either surface fails with DDERR_INVALIDRECT), Blt clips the destination
// only when a clipper is attached; a locked surface, or one with a DC out, cannot be locked,
// blitted or flipped. Colour keys compare the source pixel with the key's low value; at 32 bits
// only the low 24 bits count. Stretching Blt samples the source pixel under each destination
// pixel centre. Nothing is ever lost on its own; the test hook below pretends it was.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/com.h"
#include "platform/gdi.h"
#include "platform/pixels.h"
#include "platform/wintypes.h"

constexpr HRESULT DD_OK = S_OK;
constexpr HRESULT DDERR_GENERIC = E_FAIL;
constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DDERR_INVALIDMODE = static_cast<HRESULT>(0x88760078u);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = static_cast<HRESULT>(0x88760091u);
constexpr HRESULT DDERR_INVALIDRECT = static_cast<HRESULT>(0x88760096u);
constexpr HRESULT DDERR_NOTFOUND = static_cast<HRESULT>(0x887600FFu);
constexpr HRESULT DDERR_SURFACEBUSY = static_cast<HRESULT>(0x887601AEu);
constexpr HRESULT DDERR_SURFACELOST = static_cast<HRESULT>(0x887601C2u);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = static_cast<HRESULT>(0x887601E0u);
constexpr HRESULT DDERR_NOTFLIPPABLE = static_cast<HRESULT>(0x887601EAu);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = static_cast<HRESULT>(0x887601E1u);
constexpr HRESULT DDERR_NOCOOPERATIVELEVELSET = static_cast<HRESULT>(0x88760212u);
constexpr HRESULT DDERR_BLTFASTCANTCLIP = static_cast<HRESULT>(0x8876021Cu);
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = static_cast<HRESULT>(0x88760234u);
constexpr HRESULT DDERR_NOTLOCKED = static_cast<HRESULT>(0x887602ACu);
constexpr HRESULT DDERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);

// Cooperative levels.
constexpr DWORD DDSCL_FULLSCREEN = 0x00000001;
constexpr DWORD DDSCL_ALLOWREBOOT = 0x00000002;
constexpr DWORD DDSCL_NORMAL = 0x00000008;
constexpr DWORD DDSCL_EXCLUSIVE = 0x00000010;

// Surface description fields and capabilities.
constexpr DWORD DDSD_CAPS = 0x00000001;
constexpr DWORD DDSD_HEIGHT = 0x00000002;
constexpr DWORD DDSD_WIDTH = 0x00000004;
constexpr DWORD DDSD_PITCH = 0x00000008;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x00000020;
constexpr DWORD DDSD_LPSURFACE = 0x00000800;
constexpr DWORD DDSD_PIXELFORMAT = 0x00001000;

constexpr DWORD DDSCAPS_BACKBUFFER = 0x00000004;
constexpr DWORD DDSCAPS_COMPLEX = 0x00000008;
constexpr DWORD DDSCAPS_FLIP = 0x00000010;
constexpr DWORD DDSCAPS_FRONTBUFFER = 0x00000020;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x00000040;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x00000200;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x00000800;
constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x00004000;

constexpr DWORD DDPF_PALETTEINDEXED8 = 0x00000020;
constexpr DWORD DDPF_RGB = 0x00000040;

// Blits, flips, locks, keys, palettes, vertical blank.
constexpr DWORD DDBLT_COLORFILL = 0x00000400;
constexpr DWORD DDBLT_KEYSRC = 0x00008000;
constexpr DWORD DDBLT_WAIT = 0x01000000;
constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x00000000;
constexpr DWORD DDBLTFAST_SRCCOLORKEY = 0x00000001;
constexpr DWORD DDBLTFAST_WAIT = 0x00000010;
constexpr DWORD DDFLIP_WAIT = 0x00000001;
constexpr DWORD DDLOCK_WAIT = 0x00000001;
constexpr DWORD DDCKEY_SRCBLT = 0x00000008;
constexpr DWORD DDPCAPS_8BIT = 0x00000004;
constexpr DWORD DDPCAPS_ALLOW256 = 0x00000040;
constexpr DWORD DDWAITVB_BLOCKBEGIN = 0x00000001;

struct DDCOLORKEY {
  DWORD dwColorSpaceLowValue;
  DWORD dwColorSpaceHighValue;
};

struct DDPIXELFORMAT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwFourCC;
  DWORD dwRGBBitCount;
  DWORD dwRBitMask;
  DWORD dwGBitMask;
  DWORD dwBBitMask;
  DWORD dwRGBAlphaBitMask;
};

struct DDSCAPS2 {
  DWORD dwCaps;
  DWORD dwCaps2;
  DWORD dwCaps3;
  DWORD dwCaps4;
};

struct DDSURFACEDESC2 {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwHeight;
  DWORD dwWidth;
  LONG lPitch;
  DWORD dwBackBufferCount;
  void* lpSurface;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS2 ddsCaps;
};

struct DDBLTFX {
  DWORD dwSize;
  DWORD dwFillColor;
};

class IDirectDraw7;

class IDirectDrawPalette : public IUnknown {
 public:
  HRESULT GetEntries(DWORD dwFlags, DWORD dwBase, DWORD dwNumEntries, PALETTEENTRY* lpEntries);
  HRESULT SetEntries(DWORD dwFlags, DWORD dwStartingEntry, DWORD dwCount, const PALETTEENTRY* lpEntries);

  // Internals.
  explicit IDirectDrawPalette(IDirectDraw7* owner);
  PALETTEENTRY entries[256] = {};
  // The entries as 0x00RRGGBB words.
  void Words(uint32_t out[256]) const;

 protected:
  ~IDirectDrawPalette() override;

 private:
  IDirectDraw7* owner_;
};

class IDirectDrawClipper : public IUnknown {
 public:
  HRESULT SetHWnd(DWORD dwFlags, HWND hWnd);

  // Internals.
  explicit IDirectDrawClipper(IDirectDraw7* owner);
  HWND hWnd = nullptr;

 protected:
  ~IDirectDrawClipper() override;

 private:
  IDirectDraw7* owner_;
};

class IDirectDrawSurface7 : public IUnknown {
 public:
  HRESULT Blt(RECT* lpDestRect, IDirectDrawSurface7* lpSrcSurface, RECT* lpSrcRect, DWORD dwFlags, DDBLTFX* lpDDBltFx);
  HRESULT BltFast(DWORD dwX, DWORD dwY, IDirectDrawSurface7* lpSrcSurface, RECT* lpSrcRect, DWORD dwTrans);
  HRESULT Flip(IDirectDrawSurface7* lpTargetOverride, DWORD dwFlags);
  HRESULT GetAttachedSurface(DDSCAPS2* lpCaps, IDirectDrawSurface7** lplpAttached);
  HRESULT GetDC(HDC* lphDC);
  HRESULT ReleaseDC(HDC hDC);
  HRESULT GetPixelFormat(DDPIXELFORMAT* lpPixelFormat);
  HRESULT GetSurfaceDesc(DDSURFACEDESC2* lpDesc);
  HRESULT IsLost();
  HRESULT Restore();
  HRESULT Lock(RECT* lpDestRect, DDSURFACEDESC2* lpDesc, DWORD dwFlags, HANDLE hEvent);
  HRESULT Unlock(RECT* lpRect);
  HRESULT SetClipper(IDirectDrawClipper* lpClipper);
  HRESULT SetColorKey(DWORD dwFlags, DDCOLORKEY* lpColorKey);
  HRESULT SetPalette(IDirectDrawPalette* lpPalette);

  // Internals.
  explicit IDirectDrawSurface7(IDirectDraw7* owner);
  gfx::PixelBuffer pixels;
  DWORD caps = 0;
  bool video = false;
  bool lost = false;
  bool hasKey = false;
  DWORD key = 0;
  int locks = 0;
  HDC dc = nullptr;
  IDirectDrawPalette* palette = nullptr;
  IDirectDrawClipper* clipper = nullptr;
  std::vector<IDirectDrawSurface7*> backBuffers;  // the flip chain of a primary surface
  int64_t videoBytes = 0;

 protected:
  ~IDirectDrawSurface7() override;

 private:
  bool Busy() const { return locks > 0 || dc != nullptr; }
  void ShowIfPrimary(bool vsync = false);
  // Copies rectangle s of src onto rectangle d (clipped to this surface), then shows it when
  // this is the primary.
  void CopyFrom(IDirectDrawSurface7* src, const RECT& d, const RECT& s, bool useKey);
  IDirectDraw7* owner_;
  friend class IDirectDraw7;
};

class IDirectDraw7 : public IUnknown {
 public:
  HRESULT CreateClipper(DWORD dwFlags, IDirectDrawClipper** lplpDDClipper, IUnknown* pUnkOuter);
  HRESULT CreatePalette(DWORD dwFlags, PALETTEENTRY* lpDDColorArray, IDirectDrawPalette** lplpDDPalette,
                        IUnknown* pUnkOuter);
  HRESULT CreateSurface(DDSURFACEDESC2* lpDDSurfaceDesc2, IDirectDrawSurface7** lplpDDSurface, IUnknown* pUnkOuter);
  HRESULT FlipToGDISurface();
  HRESULT GetAvailableVidMem(DDSCAPS2* lpDDSCaps2, DWORD* lpdwTotal, DWORD* lpdwFree);
  HRESULT GetMonitorFrequency(DWORD* lpdwFrequency);
  HRESULT SetCooperativeLevel(HWND hWnd, DWORD dwFlags);
  HRESULT SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP, DWORD dwRefreshRate, DWORD dwFlags);
  HRESULT WaitForVerticalBlank(DWORD dwFlags, HANDLE hEvent);

  // Tests: every video-memory surface of this object is lost from now on (its pixels gone)
  // until it is restored.
  void LoseSurfacesForTest();

  // Internals.
  IDirectDraw7() = default;
  gfx::PixelFormat DisplayFormat() const { return format_; }
  HWND Window() const { return hWnd_; }
  bool Exclusive() const { return exclusive_; }
  IDirectDrawSurface7* Primary() const { return primary_; }
  void Forget(IDirectDrawSurface7* s);

 protected:
  ~IDirectDraw7() override;

 private:
  HWND hWnd_ = nullptr;
  DWORD level_ = 0;
  bool exclusive_ = false;
  int modeWidth_ = 640;
  int modeHeight_ = 480;
  gfx::PixelFormat format_ = gfx::PixelFormat::kX8R8G8B8;
  IDirectDrawSurface7* primary_ = nullptr;  // not held
  std::vector<IDirectDrawSurface7*> surfaces_;  // not held
};

extern const GUID IID_IDirectDraw7;

// Stands in for DirectDrawCreateEx: the DirectDraw object for the default display (lpGuid
// null) and the interface IID_IDirectDraw7.
HRESULT DirectDrawCreateEx(GUID* lpGuid, void** lplpDD, REFIID iid, IUnknown* pUnkOuter);
