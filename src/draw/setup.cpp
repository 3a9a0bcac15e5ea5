#include "draw/setup.h"

#include <cstdio>

#include "core/log.h"
#include "core/shell_link.h"
#include "draw/blit.h"
#include "draw/context.h"
#include "draw/debug_text.h"
#include "draw/dialog_mode.h"
#include "draw/palette.h"
#include "draw/present.h"
#include "draw/surface.h"
#include "draw/surface_ops.h"
#include "draw/wave_split_fade.h"
#include "platform/msgbox.h"
#include "platform/window.h"

namespace {

// A display driver whose version cannot be read does not refuse Direct3D.
constexpr int kUnreadableDdiVersion = 99999;

constexpr DDPIXELLAYOUT kLayoutA8R8G8B8{16, 8, 0, 24, 255, 255, 255, 255};
constexpr DDPIXELLAYOUT kLayoutA1R5G5B5{10, 5, 0, 15, 31, 31, 31, 1};
constexpr DDPIXELLAYOUT kLayoutR5G6B5{11, 5, 0, 16, 31, 63, 31, 0};

int UsingDirect3D() { return lpDTCon ? 1 : 0; }

void DebugTextOnBackBuffer(int x, int y, int nCellWidth, int nCellHeight, DDSURFACEDATA* lpFontSD, const char* text) {
  DDDebugText(&BackBuffer, x, y, nCellWidth, nCellHeight, lpFontSD, text);
}

void InstallCoreSeams() {
  g_lpfnDDSetDialogMode = &DDSetDialogMode;
  g_lpfnDDUsingDirect3D = &UsingDirect3D;
  g_lpfnDDDebugTextOnBackBuffer = &DebugTextOnBackBuffer;
}

void ClearCoreSeams() {
  g_lpfnDDSetDialogMode = nullptr;
  g_lpfnDDUsingDirect3D = nullptr;
  g_lpfnDDDebugTextOnBackBuffer = nullptr;
}

void HideCursor() {
  while (ShowCursor(FALSE) >= 0) {
  }
}

void ShowTheCursor() {
  while (ShowCursor(TRUE) < 0) {
  }
}

const char* FormatName(D3DFORMAT f) {
  switch (f) {
    case D3DFMT_X8R8G8B8:
      return "X8R8G8B8";
    case D3DFMT_R5G6B5:
      return "R5G6B5";
    case D3DFMT_A1R5G5B5:
      return "A1R5G5B5";
    default:
      return "";
  }
}

void SetLabel(DDSURFACEDATA& sd, const char* label) { std::snprintf(sd.szName, sizeof sd.szName, "%s", label); }

void SetSize(DDSURFACEDATA& sd, int w, int h, int memory) {
  sd.nWidth = sd.nTexWidth = w;
  sd.nHeight = sd.nTexHeight = h;
  sd.nMemory = memory;
}

// The windowed display is asked to run at 60 Hz for vertical sync; when it does not, vertical
// sync is given up.
void AskForSixtyHertz() {
  DEVMODEA mode{};
  mode.dmSize = 148;
  mode.dmFields = DM_DISPLAYFREQUENCY;
  mode.dmDisplayFrequency = 60;
  if (ChangeDisplaySettingsA(&mode, CDS_TEST) != DISP_CHANGE_SUCCESSFUL) {
    ReportErrorLog("ChangeDisplaySettings != DISP_CHANGE_SUCCESSFUL");
  } else {
    const LONG r = ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
    if (r != 0) ReportErrorLog("ChangeDisplaySettings Err = %x", static_cast<unsigned>(r));
  }
  D3DDISPLAYMODE current{};
  lpD3D->GetAdapterDisplayMode(0, &current);
  ReportErrorLog("RefreshRate : %d", static_cast<int>(current.RefreshRate));
  if (current.RefreshRate != 60) {
    g_bVSync = 0;
    ReportErrorLog("リフレッシュレートの変更に失敗しました！垂直同期が無効になります！");
  }
}

// The fixed palettes of the DirectDraw set-ups.
void FullScreenPalette(PALETTEENTRY (&e)[256]) {
  for (int i = 0; i < 256; ++i) e[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(i), 0, PC_RESERVED};
  e[0] = PALETTEENTRY{0, 0, 255, PC_RESERVED};
}

void WindowPalette(PALETTEENTRY (&e)[256]) {
  for (int i = 0; i < 256; ++i) {
    const bool reserved = i >= 10 && i <= 245;
    e[i] = reserved ? PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(i), 0, PC_RESERVED}
                    : PALETTEENTRY{static_cast<BYTE>(i), 0, 0, PC_EXPLICIT};
  }
}

bool CreateDirectDraw() {
  if (FAILED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&lpDD), IID_IDirectDraw7, nullptr))) {
    lpDD = nullptr;
    ReportErrorLog("DirectDrawCreateEx Err");
    return false;
  }
  return true;
}

// Makes the palette object; at 8 bits it goes on the primary, otherwise the display format is
// read.
int PaletteAndFormat(PALETTEENTRY (&entries)[256], int depth) {
  if (FAILED(lpDD->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &lpDDPal, nullptr))) {
    lpDDPal = nullptr;
    ReportErrorLog("CreatePalette Err");
    return DDINIT_CREATEPALETTE_ERR;
  }
  if (depth > 8) {
    DDGetPixelFormat(&g_PixelLayout);
  } else if (FAILED(PrimarySD.lpDDObj->lpSurface->SetPalette(lpDDPal))) {
    ReportErrorLog("SetPalette Err");
    return DDINIT_SETPALETTE_ERR;
  }
  return DDINIT_OK;
}

int CreatePrimary(DDSURFACEDESC2* desc) {
  DDAllocSurfaceObject(&PrimarySD);
  if (FAILED(lpDD->CreateSurface(desc, &PrimarySD.lpDDObj->lpSurface, nullptr))) {
    PrimarySD.lpDDObj->lpSurface = nullptr;
    ReportErrorLog("Primary CreateSurface Err");
    return DDINIT_CREATESURFACE_ERR;
  }
  return DDINIT_OK;
}

void ReleaseIfSet(IUnknown* p) {
  if (p) p->Release();
}

}  // namespace

bool DDInit(int bDirect3D, HWND hWnd, int nWidth, int nHeight, int nBpp, int bVSync, int nWindowMode, int nBackBuffers,
            int nRefreshRate, int bSetRefreshRate, DDSURFACEDATA* lpSystemSD, const BitmapEntry* lpSystemImageTable,
            int nSystemImageCount) {
  g_bUseD3D = bDirect3D;
  g_hWndDD = hWnd;
  g_nScreenWidth = nWidth;
  g_nScreenHeight = nHeight;
  DDBpp = nBpp;
  DDBytesPerPixel = nBpp / 8;
  g_bVSync = bVSync;
  DDWindowMode = nWindowMode;
  g_nBackBuffers = nBackBuffers;
  g_nRefreshRate = nRefreshRate;
  g_bSetRefreshRate = bSetRefreshRate;
  g_lpSystemSD = lpSystemSD;
  g_SystemImageTable = lpSystemImageTable;
  g_nSystemImageCount = nSystemImageCount;
  ReportErrorLog("VSync : %d", bVSync);
  InstallCoreSeams();
  if (bDirect3D) {
    if (!DDInit3D(hWnd, nWidth, nHeight, nBpp, nBackBuffers)) return false;
  } else {
    delete lpDDCon;
    lpDDCon = new DDCONTEXT;
    if (nWindowMode == 0) {
      SetWindowLongA(hWnd, GWL_EXSTYLE, static_cast<LONG>(WS_EX_TOPMOST));
      SetWindowLongA(hWnd, GWL_STYLE, static_cast<LONG>(WS_POPUP));
      if (!DDReportInitError(DDInitFullScreen(hWnd, nWidth, nHeight, nBpp, nBackBuffers))) return false;
    } else if (!DDReportInitError(DDInitWindow(hWnd))) {
      return false;
    }
  }
  DDInitDone = 1;
  return true;
}

int DDInit3D(HWND hWnd, int nWidth, int nHeight, int nBpp, int) {
  const int ddi = g_lpfnGetDisplayDdiVersion ? g_lpfnGetDisplayDdiVersion() : kUnreadableDdiVersion;
  if (ddi < 9) {
    ReportErrorLog("ビデオカードのドライバがDirectX9をサポートしていません！ %d", ddi);
    return 0;
  }
  lpD3D = Direct3DCreate9(D3D_SDK_VERSION);
  if (!lpD3D) {
    ReportErrorLog("ビデオカードがDirectX9をサポートしていません！");
    return 0;
  }
  delete lpDTCon;
  lpDTCon = new DTCONTEXT;
  DTCONTEXT& c = *lpDTCon;
  D3DPRESENT_PARAMETERS& pp = c.d3dpp;
  const bool window = DDWindowMode == 1;
  if (window) {
    pp.Windowed = TRUE;
    pp.BackBufferWidth = 0;
    pp.BackBufferHeight = 0;
    pp.FullScreen_RefreshRateInHz = 0;
    if (g_bVSync) AskForSixtyHertz();
  } else {
    pp.Windowed = FALSE;
    pp.BackBufferWidth = static_cast<UINT>(nWidth);
    pp.BackBufferHeight = static_cast<UINT>(nHeight);
    pp.FullScreen_RefreshRateInHz = 60;
  }
  pp.PresentationInterval = g_bVSync ? D3DPRESENT_INTERVAL_DEFAULT : D3DPRESENT_INTERVAL_IMMEDIATE;
  c.nAdapter = 0;
  c.DeviceType = D3DDEVTYPE_HAL;
  if (FAILED(lpD3D->GetDeviceCaps(c.nAdapter, c.DeviceType, &c.d3dCaps))) ErrorLog("GetDeviceCaps Err");
  pp.SwapEffect =
      (c.d3dCaps.Caps3 & D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD) ? D3DSWAPEFFECT_DISCARD : D3DSWAPEFFECT_COPY;
  c.bPow2 = (c.d3dCaps.TextureCaps & D3DPTEXTURECAPS_POW2) ? 1 : 0;
  c.bSquareOnly = (c.d3dCaps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) ? 1 : 0;
  c.bDynamicTexture = (c.d3dCaps.Caps2 & D3DCAPS2_DYNAMICTEXTURES) ? 1 : 0;
  switch (nBpp) {
    case 32:
      c.fmtBackBuffer = D3DFMT_X8R8G8B8;
      c.fmtTexture = D3DFMT_A8R8G8B8;
      g_PixelLayout = kLayoutA8R8G8B8;
      break;
    case 16:
      c.fmtBackBuffer = window ? D3DFMT_A1R5G5B5 : D3DFMT_R5G6B5;
      g_BackBufferLayout = window ? kLayoutA1R5G5B5 : kLayoutR5G6B5;
      c.fmtTexture = D3DFMT_A1R5G5B5;
      g_PixelLayout = kLayoutA1R5G5B5;
      break;
    default:
      return 0;
  }
  pp.BackBufferFormat = c.fmtBackBuffer;
  pp.BackBufferCount = 1;
  pp.MultiSampleType = D3DMULTISAMPLE_NONE;
  pp.MultiSampleQuality = 0;
  pp.hDeviceWindow = nullptr;
  pp.EnableAutoDepthStencil = FALSE;
  pp.AutoDepthStencilFormat = c.fmtBackBuffer;
  pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
  const char* device = "Device HAL-HARD";
  if (FAILED(lpD3D->CreateDevice(c.nAdapter, c.DeviceType, hWnd, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &lpDevice))) {
    device = "Device HAL-SOFT";
    if (FAILED(lpD3D->CreateDevice(c.nAdapter, c.DeviceType, hWnd, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                   &lpDevice))) {
      lpDevice = nullptr;
      ErrorLog("CreateDevice Err");
      return 0;
    }
  }
  ReportErrorLog("%s", device);
  ReportErrorLog("%s", FormatName(pp.BackBufferFormat));
  c.fmtPresent = pp.BackBufferFormat;

  DDSetRenderStates();
  DDResetDiffuse();
  DDResetColorOp();
  DDResetAlphaOp();

  DDAllocSurfaceObject(&BackBuffer);
  DTDATA* back = BackBuffer.lpDT;
  SetSize(BackBuffer, nWidth, nHeight, 0);
  back->dwMemoryType = DTMEMORYTYPE_VIDEO_RT;
  SetLabel(BackBuffer, "BackBuffer");
  back->lpTexture = nullptr;
  back->lpSystemSurface = nullptr;
  back->bTransmit = 0;
  back->bRenderTarget = 1;
  const HRESULT hr =
      lpDevice->CreateVertexBuffer(DD_QUAD_BYTES, D3DUSAGE_WRITEONLY, DD_VERTEX_FVF, D3DPOOL_MANAGED, &back->lpVB, nullptr);
  if (FAILED(hr)) {
    back->lpVB = nullptr;
    ReportErrorLog("Back CreateVertexBuffer Err %x", static_cast<unsigned>(hr));
    return 0;
  }
  lpDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back->lpSurface);
  back->nIndex = 0;
  c.nTextureCount = 1;
  c.nFontCount = 0;

  // Screen effects read the frame back from VirBackBuffer: without it (or WorkSD) set-up
  // fails, so that start-up falls back to DirectDraw.
  DDAllocSurfaceObject(&VirBackBuffer);
  DDSetVirtualBackBuffer(0);
  c.bCopyVirtual = 0;
  if (!DDCreateSurface(&VirBackBuffer, BackBuffer.nWidth, BackBuffer.nHeight, 0, 0, 0, 0, 0)) {
    ReportErrorLog("VirBackBuffer CreateSurface Err");
    return 0;
  }
  SetLabel(VirBackBuffer, "VirBackBuffer");
  if (!DDCreateSurface(&WorkSD, BackBuffer.nWidth, BackBuffer.nHeight, 0, 0, 0, 0, 0)) {
    ReportErrorLog("WorkSD CreateSurface Err");
    return 0;
  }
  SetLabel(WorkSD, "WorkSD");
  if (!window) HideCursor();
  return 1;
}

void DDSetRenderStates() {
  if (!lpDevice) return;
  lpDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  lpDevice->SetRenderState(D3DRS_ZENABLE, FALSE);
  lpDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  lpDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  lpDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  lpDevice->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
  lpDevice->SetRenderState(D3DRS_COLORVERTEX, TRUE);
  for (DWORD s = 0; s < 2; ++s) {
    lpDevice->SetSamplerState(s, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    lpDevice->SetSamplerState(s, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    lpDevice->SetSamplerState(s, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    lpDevice->SetSamplerState(s, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  }
}

int DDInitFullScreen(HWND hWnd, int nWidth, int nHeight, int nBpp, int) {
  SetSize(PrimarySD, nWidth, nHeight, 0);
  SetSize(BackBuffer, nWidth, nHeight, 0);
  SetSize(WorkSD2, nWidth, nHeight, 1);
  if (!CreateDirectDraw()) return DDINIT_CREATEEX_ERR;
  if (FAILED(lpDD->SetCooperativeLevel(hWnd, DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE))) {
    ReportErrorLog("SetCooperativeLevel Err");
    return DDINIT_SETCOOPLEVEL_ERR;
  }
  const DWORD w = static_cast<DWORD>(nWidth), h = static_cast<DWORD>(nHeight), bpp = static_cast<DWORD>(nBpp);
  HRESULT hr;
  if (g_bSetRefreshRate) {
    hr = lpDD->SetDisplayMode(w, h, bpp, static_cast<DWORD>(g_nRefreshRate), 0);
    if (FAILED(hr)) hr = lpDD->SetDisplayMode(w, h, bpp, 0, 0);
  } else {
    hr = lpDD->SetDisplayMode(w, h, bpp, 0, 0);
  }
  if (FAILED(hr)) {
    ReportErrorLog("SetDisplayMode Err");
    return DDINIT_SETDISPLAYMODE_ERR;
  }
  DDSURFACEDESC2 desc{};
  desc.dwSize = 124;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  desc.dwBackBufferCount = g_nBackBuffers == 1 ? 1 : 2;
  if (const int code = CreatePrimary(&desc)) return code;
  DDAllocSurfaceObject(&BackBuffer);
  DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
  if (FAILED(PrimarySD.lpDDObj->lpSurface->GetAttachedSurface(&caps, &BackBuffer.lpDDObj->lpSurface))) {
    BackBuffer.lpDDObj->lpSurface = nullptr;
    ReportErrorLog("GetAttachedSurface Err");
    return DDINIT_GETATTACHEDSURFACE_ERR;
  }
  if (!DDCreateSurface(&WorkSD2, nWidth, nHeight, 0, 1, 0, 0, 0)) return DDINIT_CREATESURFACE_ERR;
  PALETTEENTRY entries[256];
  FullScreenPalette(entries);
  if (const int code = PaletteAndFormat(entries, nBpp)) return code;
  HideCursor();
  return DDINIT_OK;
}

int DDInitWindow(HWND hWnd) {
  RECT client{};
  GetClientRect(hWnd, &client);
  POINT topLeft{client.left, client.top}, bottomRight{client.right, client.bottom};
  ClientToScreen(hWnd, &topLeft);
  ClientToScreen(hWnd, &bottomRight);
  DDClientRect = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  const int w = static_cast<int>(client.right - client.left), h = static_cast<int>(client.bottom - client.top);
  SetSize(PrimarySD, w, h, 0);
  SetSize(BackBuffer, w, h, 0);
  SetSize(WorkSD2, w, h, 1);
  HDC dc = GetDC(hWnd);
  nDesktopBpp = GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(hWnd, dc);
  if (!CreateDirectDraw()) return DDINIT_CREATEEX_ERR;
  if (FAILED(lpDD->SetCooperativeLevel(hWnd, DDSCL_NORMAL))) {
    ReportErrorLog("SetCooperativeLevel Err");
    return DDINIT_SETCOOPLEVEL_ERR;
  }
  DDSURFACEDESC2 desc{};
  desc.dwSize = 124;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  if (const int code = CreatePrimary(&desc)) return code;
  if (!DDCreateSurface(&BackBuffer, w, h, 0, 0, 0, 0, 0) || !DDCreateSurface(&WorkSD2, w, h, 0, 1, 0, 0, 0)) {
    return DDINIT_CREATESURFACE_ERR;
  }
  PALETTEENTRY entries[256];
  WindowPalette(entries);
  if (const int code = PaletteAndFormat(entries, nDesktopBpp)) return code;
  if (FAILED(lpDD->CreateClipper(0, &lpDDClipper, nullptr))) {
    lpDDClipper = nullptr;
    ReportErrorLog("CreateClipper Err");
    return DDINIT_CLIPPER_ERR;
  }
  if (FAILED(lpDDClipper->SetHWnd(0, hWnd))) {
    ReportErrorLog("SetHWnd Err");
    return DDINIT_SETHWND_ERR;
  }
  if (FAILED(PrimarySD.lpDDObj->lpSurface->SetClipper(lpDDClipper))) {
    ReportErrorLog("SetClipper Err");
    return DDINIT_SETCLIPPER_ERR;
  }
  ShowTheCursor();
  return DDINIT_OK;
}

bool DDReportInitError(int nCode) {
  static const char* const kNames[] = {
      nullptr,           "CREATEEX_ERR",   "SETCOOPLEVEL_ERR", "SETDISPLAYMODE_ERR", "CREATESURFACE_ERR",
      "GETATTACHEDSURFACE_ERR", "CREATEPALETTE_ERR", "SETPALETTE_ERR", nullptr, nullptr,
      "CLIPPER_ERR",     "SETHWND_ERR",    "SETCLIPPER_ERR",
  };
  if (nCode <= 0 || nCode >= static_cast<int>(sizeof kNames / sizeof kNames[0]) || !kNames[nCode]) return true;
  ErrorLog("%s", kNames[nCode]);
  return false;
}

void DDEnd() {
  if (lpDD) {
    for (int i = 0; g_lpSystemSD && i < g_nSystemImageCount; ++i) DDReleaseSurface(&g_lpSystemSD[i]);
    ReleaseIfSet(lpDDClipper);
    lpDDClipper = nullptr;
    ReleaseIfSet(lpDDPal);
    lpDDPal = nullptr;
    DDReleaseSurface(&BackBuffer);
    DDReleaseSurface(&PrimarySD);
    DDReleaseSurface(&WorkSD2);
    if (lpDD->Release() > 0) MessageBoxA(nullptr, "解放漏れがあります", "DirectDraw", MB_ICONERROR);
    lpDD = nullptr;
  }
  if (lpD3D) {
    for (int i = 0; g_lpSystemSD && i < g_nSystemImageCount; ++i) DDReleaseSurface(&g_lpSystemSD[i]);
    DDReleaseSurface(&WorkSD);
    DDReleaseSurface(&VirBackBuffer);
    DDReleaseSurface(&BackBuffer);
    ReleaseIfSet(lpDevice);
    lpDevice = nullptr;
    lpD3D->Release();
    lpD3D = nullptr;
  }
  delete lpDDCon;
  lpDDCon = nullptr;
  delete lpDTCon;
  lpDTCon = nullptr;
  // Nothing of this run stays behind for a set-up with the other back-end.
  PrimarySD = DDSURFACEDATA{};
  BackBuffer = DDSURFACEDATA{};
  WorkSD2 = DDSURFACEDATA{};
  VirBackBuffer = DDSURFACEDATA{};
  WorkSD = DDSURFACEDATA{};
  g_RestoreList.clear();
  g_PixelLayout = DDPIXELLAYOUT{};
  g_BackBufferLayout = DDPIXELLAYOUT{};
  DDColorKey = 0;
  DDClientRect = RECT{};
  nDesktopBpp = 0;
  DDInitDone = 0;
  DDResetFades();
  ClearCoreSeams();
}

void DDUninit() { DDEnd(); }
