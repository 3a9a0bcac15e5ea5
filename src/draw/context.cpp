#include "draw/context.h"

DTCONTEXT* lpDTCon = nullptr;
DDCONTEXT* lpDDCon = nullptr;

int g_bUseD3D = 0;
HWND g_hWndDD = nullptr;
int g_nScreenWidth = 0;
int g_nScreenHeight = 0;
int DDBpp = 0;
int DDBytesPerPixel = 0;
int g_nBackBuffers = 0;
int g_bVSync = 0;
int g_nRefreshRate = 0;
int g_bSetRefreshRate = 0;
DDSURFACEDATA* g_lpSystemSD = nullptr;
const BitmapEntry* g_SystemImageTable = nullptr;
int g_nSystemImageCount = 0;

IDirect3D9* lpD3D = nullptr;
IDirect3DDevice9* lpDevice = nullptr;
IDirectDraw7* lpDD = nullptr;
IDirectDrawPalette* lpDDPal = nullptr;
IDirectDrawClipper* lpDDClipper = nullptr;
RECT DDClientRect{};
int nDesktopBpp = 0;
DWORD DDColorKey = 0;

DDPIXELLAYOUT g_PixelLayout;
DDPIXELLAYOUT g_BackBufferLayout;

DDSURFACEDATA PrimarySD;
DDSURFACEDATA BackBuffer;
DDSURFACEDATA WorkSD2;
DDSURFACEDATA VirBackBuffer;
DDSURFACEDATA WorkSD;
DDSURFACEDATA g_SystemImage[DD_SYSTEM_IMAGE_COUNT];

std::list<DTDATA*> g_RestoreList;

PALETTEENTRY DDPalette[256] = {};
PALETTEENTRY DDPaletteWork[256] = {};

int (*g_lpfnGetDisplayDdiVersion)() = nullptr;

namespace {

// A context still allocated at process exit is freed.
struct FreeContextsAtExit {
  ~FreeContextsAtExit() {
    delete lpDTCon;
    lpDTCon = nullptr;
    delete lpDDCon;
    lpDDCon = nullptr;
  }
} g_freeContextsAtExit;

}  // namespace
