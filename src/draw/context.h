// The state of the drawing layer: the back-end switch and its two contexts, the set-up values,
// the device objects, the pixel layouts, the named screen surfaces, the system images, the
// restore list and the palettes.
//
// The back-end is decided in every call by lpDTCon: non-null means Direct3D, null DirectDraw
// (lpDDCon is then set while the layer runs). Both are null before DDInit and after DDEnd.
// The layer takes no locks: it is set up and ended on the window thread while no frame is
// drawn, and frames are drawn by one thread at a time.
#pragma once

#include <list>
#include <string>

#include "core/shell_link.h"  // DDInitDone, DDWindowMode
#include "draw/bitmap_entry.h"
#include "draw/surface_data.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"
#include "platform/gdi.h"

// The channel layout of a pixel format: bit positions and largest channel values.
struct DDPIXELLAYOUT {
  int nShiftR = 0;
  int nShiftG = 0;
  int nShiftB = 0;
  int nShiftA = 0;
  DWORD dwMaxR = 0;
  DWORD dwMaxG = 0;
  DWORD dwMaxB = 0;
  DWORD dwMaxA = 0;
};

// The Direct3D context.
struct DTCONTEXT {
  D3DFORMAT fmtBackBuffer = D3DFMT_UNKNOWN;
  D3DFORMAT fmtTexture = D3DFMT_UNKNOWN;
  D3DPRESENT_PARAMETERS d3dpp{};  // given to CreateDevice, used again by a reset
  UINT nAdapter = 0;
  D3DDEVTYPE DeviceType = D3DDEVTYPE_HAL;
  D3DFORMAT fmtPresent = D3DFMT_UNKNOWN;
  D3DCAPS9 d3dCaps{};
  int bPow2 = 0;        // texture sides must be powers of two
  int bSquareOnly = 0;  // textures must be square
  int bDynamicTexture = 0;
  // The virtual back buffer: drawing aimed at BackBuffer goes to VirBackBuffer while it is on;
  // lpDefaultTargetSD is the one of the two that does not receive the frame; bCopyVirtual is
  // set while VirBackBuffer is copied onto BackBuffer.
  int bVirtualBackBuffer = 0;
  DDSURFACEDATA* lpDefaultTargetSD = nullptr;
  int bCopyVirtual = 0;
  // The transparent colour and its forms.
  RGBTRIPLE rgbTransmit{};
  RGBTRIPLE rgbTransmitBmp{};  // its value in 8-bit image files, used at 16 bits
  D3DCOLOR dwTransmitClear = 0;
  D3DCOLOR dwTransmitARGB = 0;  // 0xFFRRGGBB
  WORD wTransmitClear_16 = 0;
  WORD wTransmit_16 = 0;
  int bInScene = 0;
  // The blend values of blits.
  D3DCOLOR dwDiffuse = 0xFFFFFFFFu;
  int nColorOp = D3DTOP_MODULATE;
  int nAlphaOp = D3DTOP_MODULATE;
  int nTextureCount = 0;  // index of the next surface
  int nFontCount = 0;     // index of the next font
  std::string strTextureErrMsg;  // shown when a texture cannot be made even in system memory
};

// The DirectDraw context.
struct DDCONTEXT {
  RGBTRIPLE rgbTransmit{};
  RGBTRIPLE rgbTransmitBmp{};
  int nFontCount = 0;
};

extern DTCONTEXT* lpDTCon;
extern DDCONTEXT* lpDDCon;

// Set-up values stored by DDInit.
extern int g_bUseD3D;
extern HWND g_hWndDD;
extern int g_nScreenWidth;
extern int g_nScreenHeight;
extern int DDBpp;            // 8, 16 or 32
extern int DDBytesPerPixel;  // DDBpp / 8
extern int g_nBackBuffers;   // 1, or two for any other value (DirectDraw full screen)
extern int g_bVSync;
extern int g_nRefreshRate;
extern int g_bSetRefreshRate;
extern DDSURFACEDATA* g_lpSystemSD;
extern const BitmapEntry* g_SystemImageTable;
extern int g_nSystemImageCount;

// Device objects.
extern IDirect3D9* lpD3D;
extern IDirect3DDevice9* lpDevice;
extern IDirectDraw7* lpDD;
extern IDirectDrawPalette* lpDDPal;
extern IDirectDrawClipper* lpDDClipper;
extern RECT DDClientRect;  // the window's client area on the screen (DirectDraw window mode)
extern int nDesktopBpp;
extern DWORD DDColorKey;   // the DirectDraw source colour key

// Direct3D: the texture format's layout (DirectDraw at 16 and 32 bits: the primary's).
extern DDPIXELLAYOUT g_PixelLayout;
// Direct3D at 16 bits: the back buffer's layout.
extern DDPIXELLAYOUT g_BackBufferLayout;

// The named screen surfaces.
extern DDSURFACEDATA PrimarySD;
extern DDSURFACEDATA BackBuffer;
extern DDSURFACEDATA WorkSD2;
extern DDSURFACEDATA VirBackBuffer;
extern DDSURFACEDATA WorkSD;

// The system images, one surface per entry of the system image table.
constexpr int DD_SYSTEM_IMAGE_COUNT = 71;
extern DDSURFACEDATA g_SystemImage[DD_SYSTEM_IMAGE_COUNT];

// The Direct3D surfaces a device reset makes again, by their heap-held part.
extern std::list<DTDATA*> g_RestoreList;

// The current palette and the working copy that palette effects write.
extern PALETTEENTRY DDPalette[256];
extern PALETTEENTRY DDPaletteWork[256];

// The display driver's version, for the Direct3D set-up (start-up installs the reader of the
// system report). Null: the version cannot be read, which does not refuse Direct3D.
extern int (*g_lpfnGetDisplayDdiVersion)();
