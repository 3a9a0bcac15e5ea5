// Set-up and shutdown of the drawing layer in each back-end, depth and window mode; the
// fall-back from Direct3D to DirectDraw; vertical sync in a window; the DirectDraw set-up
// details and the leak check.
#include <gtest/gtest.h>

#include <string>

#include "draw_fixture.h"
#include "platform/window.h"

namespace {

struct Mode {
  const char* name;
  int d3d;
  int bpp;
  int window;
};

const Mode kModes[] = {
    {"Direct3D 32 window", 1, 32, 1}, {"Direct3D 32 full screen", 1, 32, 0}, {"Direct3D 16 window", 1, 16, 1},
    {"Direct3D 16 full screen", 1, 16, 0}, {"DirectDraw 8", 0, 8, 0},        {"DirectDraw 16", 0, 16, 0},
    {"DirectDraw 32", 0, 32, 0},           {"DirectDraw 32 window", 0, 32, 1},
};

// The frame tick's part of presenting a DirectDraw frame: the flip, or the copy into the client
// area of the window.
void PresentDirectDraw() {
  IDirectDrawSurface7* primary = PrimarySD.lpDDObj->lpSurface;
  if (DDWindowMode == 0) {
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  } else {
    ASSERT_EQ(primary->Blt(&DDClientRect, BackBuffer.lpDDObj->lpSurface, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  }
}

void ExpectLayerClosed() {
  EXPECT_EQ(lpDTCon, nullptr);
  EXPECT_EQ(lpDDCon, nullptr);
  EXPECT_EQ(lpD3D, nullptr);
  EXPECT_EQ(lpDevice, nullptr);
  EXPECT_EQ(lpDD, nullptr);
  EXPECT_EQ(lpDDPal, nullptr);
  EXPECT_EQ(lpDDClipper, nullptr);
  EXPECT_TRUE(g_RestoreList.empty());
  EXPECT_EQ(DDInitDone, 0);
  EXPECT_EQ(g_lpfnDDSetDialogMode, nullptr);
  EXPECT_EQ(g_lpfnDDUsingDirect3D, nullptr);
  EXPECT_EQ(g_lpfnDDDebugTextOnBackBuffer, nullptr);
  for (DDSURFACEDATA* sd : {&PrimarySD, &BackBuffer, &WorkSD2, &VirBackBuffer, &WorkSD}) {
    EXPECT_EQ(sd->lpDT, nullptr);
    EXPECT_EQ(sd->lpDDObj, nullptr);
    EXPECT_STREQ(sd->szName, "");
  }
}

void ExpectDirect3DContext(const Mode& m) {
  ASSERT_NE(lpDTCon, nullptr);
  const DTCONTEXT& c = *lpDTCon;
  const D3DFORMAT back = m.bpp == 32 ? D3DFMT_X8R8G8B8 : (m.window ? D3DFMT_A1R5G5B5 : D3DFMT_R5G6B5);
  EXPECT_EQ(c.fmtBackBuffer, back);
  EXPECT_EQ(c.fmtPresent, back);
  EXPECT_EQ(c.fmtTexture, m.bpp == 32 ? D3DFMT_A8R8G8B8 : D3DFMT_A1R5G5B5);
  EXPECT_EQ(c.d3dpp.Windowed, m.window);
  EXPECT_EQ(c.d3dpp.BackBufferWidth, 640u);
  EXPECT_EQ(c.d3dpp.BackBufferHeight, 480u);
  EXPECT_EQ(c.d3dpp.FullScreen_RefreshRateInHz, m.window ? 0u : 60u);
  EXPECT_EQ(c.d3dpp.Flags, D3DPRESENTFLAG_LOCKABLE_BACKBUFFER);
  EXPECT_EQ(c.d3dpp.PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
  EXPECT_EQ(c.d3dpp.SwapEffect, D3DSWAPEFFECT_DISCARD);
  EXPECT_EQ(c.dwDiffuse, 0xFFFFFFFFu);
  EXPECT_EQ(c.nColorOp, D3DTOP_MODULATE);
  EXPECT_EQ(c.nAlphaOp, D3DTOP_SELECTARG1);
  EXPECT_EQ(c.nTextureCount, 3);  // BackBuffer 0, VirBackBuffer 1, WorkSD 2
  EXPECT_EQ(c.nFontCount, 0);
  EXPECT_EQ(c.bVirtualBackBuffer, 0);
  EXPECT_EQ(c.lpDefaultTargetSD, &VirBackBuffer);
  if (m.bpp == 32) {
    EXPECT_EQ(g_PixelLayout.nShiftR, 16);
    EXPECT_EQ(g_PixelLayout.nShiftA, 24);
    EXPECT_EQ(g_PixelLayout.dwMaxA, 255u);
  } else {
    EXPECT_EQ(g_PixelLayout.nShiftR, 10);
    EXPECT_EQ(g_PixelLayout.dwMaxA, 1u);
    EXPECT_EQ(g_BackBufferLayout.nShiftR, m.window ? 10 : 11);
    EXPECT_EQ(g_BackBufferLayout.dwMaxG, m.window ? 31u : 63u);
  }
  EXPECT_STREQ(BackBuffer.szName, "BackBuffer");
  EXPECT_EQ(BackBuffer.lpDT->nIndex, 0);
  EXPECT_TRUE(BackBuffer.lpDT->bRenderTarget);
  EXPECT_NE(BackBuffer.lpDT->lpVB, nullptr);
  EXPECT_STREQ(VirBackBuffer.szName, "VirBackBuffer");
  EXPECT_EQ(VirBackBuffer.lpDT->nIndex, 1);
  EXPECT_STREQ(WorkSD.szName, "WorkSD");
  EXPECT_EQ(WorkSD.lpDT->nIndex, 2);
  for (DDSURFACEDATA* sd : {&VirBackBuffer, &WorkSD}) {
    EXPECT_TRUE(sd->lpDT->bRenderTarget);
    EXPECT_NE(sd->lpDT->lpSystemSurface, nullptr);
    EXPECT_EQ(sd->nWidth, 640);
    EXPECT_STREQ(sd->szFileName, "E");
  }
  EXPECT_EQ(g_RestoreList, (std::list<DTDATA*>{VirBackBuffer.lpDT, WorkSD.lpDT}));
  EXPECT_EQ(g_lpfnDDUsingDirect3D(), 1);
}

void ExpectDirectDrawContext(const Mode& m) {
  ASSERT_NE(lpDDCon, nullptr);
  EXPECT_EQ(lpDTCon, nullptr);
  ASSERT_NE(PrimarySD.lpDDObj, nullptr);
  ASSERT_NE(BackBuffer.lpDDObj, nullptr);
  ASSERT_NE(WorkSD2.lpDDObj, nullptr);
  EXPECT_EQ(WorkSD2.nMemory, 1);
  EXPECT_FALSE(WorkSD2.lpDDObj->lpSurface->video);
  EXPECT_EQ(BackBuffer.nWidth, 640);
  EXPECT_EQ(PrimarySD.lpDDObj->lpSurface->pixels.format,
            m.bpp == 8 ? gfx::PixelFormat::kIndex8
                       : (m.bpp == 16 ? gfx::PixelFormat::kR5G6B5 : gfx::PixelFormat::kX8R8G8B8));
  EXPECT_EQ(lpDDClipper != nullptr, m.window == 1);
  EXPECT_EQ(g_lpfnDDUsingDirect3D(), 0);
}

}  // namespace

// Each back-end and depth: set up, the named surfaces, a generated bitmap as texture or surface
// with the palette and the transparent colour taken from it, a frame drawn and presented, and a
// shutdown that leaves nothing behind.
TEST_F(DrawTest, EachBackEndAndDepthDrawsAFrameAndShutsDown) {
  const std::string sheet = SheetBmp();
  for (const Mode& m : kModes) {
    SCOPED_TRACE(m.name);
    ASSERT_TRUE(Init(m.d3d, m.bpp, m.window));
    EXPECT_EQ(DDInitDone, 1);
    EXPECT_EQ(DDWindowMode, m.window);
    EXPECT_EQ(g_lpfnDDSetDialogMode, &DDSetDialogMode);
    if (m.d3d) {
      ExpectDirect3DContext(m);
    } else {
      ExpectDirectDrawContext(m);
    }
    ASSERT_TRUE(DDLoadPaletteFromFile(DDPalette, sheet.c_str(), 0));
    ASSERT_EQ(DDSetTransmitFromFile(sheet.c_str()), 1);
    DDSURFACEDATA sprite;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sprite, sheet.c_str(), 1, m.bpp, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(sprite.nWidth, 32);
    EXPECT_EQ(sprite.nHeight, 24);
    EXPECT_STREQ(sprite.szFileName, sheet.c_str());

    DDFillRect(&BackBuffer, 0, 0, 640, 480, 3);
    DDBltFast(&BackBuffer, 100, 50, 32, 24, &sprite, 0, 0, 1);
    if (m.d3d) {
      EXPECT_EQ(DDPresent(60, 0, nullptr), 1);
    } else {
      PresentDirectDraw();
    }
    ASSERT_EQ(presenter.width, 640);
    EXPECT_EQ(Rgb(presenter.At(0, 0)), SheetColor(3)) << "background";
    EXPECT_EQ(Rgb(presenter.At(100, 50)), SheetColor(3)) << "the transparent pixel is left out";
    EXPECT_EQ(Rgb(presenter.At(101, 50)), SheetColor(1));
    EXPECT_EQ(Rgb(presenter.At(131, 57)), SheetColor(2));
    EXPECT_EQ(Rgb(presenter.At(131, 70)), SheetColor(4));
    EXPECT_EQ(Rgb(presenter.At(132, 57)), SheetColor(3));

    DDReleaseSurface(&sprite);
    DDEnd();
    ExpectLayerClosed();
  }
}

// A Direct3D set-up that fails after its context exists is ended and DirectDraw starts clean.
TEST_F(DrawTest, FallBackFromDirect3DLeavesNothingBehind) {
  ASSERT_FALSE(Init(1, 24, 1));
  EXPECT_NE(lpDTCon, nullptr) << "the depth is refused after the context exists";
  EXPECT_EQ(DDInitDone, 0);
  DDEnd();
  ExpectLayerClosed();
  ASSERT_TRUE(Init(0, 32, 0));
  EXPECT_EQ(lpDTCon, nullptr);
  EXPECT_TRUE(g_RestoreList.empty());
  DDSURFACEDATA sd;
  ASSERT_TRUE(DDCreateSurface(&sd, 16, 16, 1, 0, 0, 0, 0));
  EXPECT_EQ(sd.lpDT, nullptr);
  EXPECT_NE(sd.lpDDObj, nullptr);
  EXPECT_TRUE(g_RestoreList.empty());
  DDReleaseSurface(&sd);
}

TEST_F(DrawTest, OldDisplayDriversRefuseDirect3DBeforeAnyContext) {
  g_lpfnGetDisplayDdiVersion = [] { return 8; };
  EXPECT_FALSE(Init(1, 32, 1));
  EXPECT_EQ(lpDTCon, nullptr);
  EXPECT_EQ(lpD3D, nullptr);
  EXPECT_NE(Report().find("ビデオカードのドライバがDirectX9をサポートしていません！ 8"), std::string::npos);
  DDEnd();
  g_lpfnGetDisplayDdiVersion = [] { return 9; };
  EXPECT_TRUE(Init(1, 32, 1));
}

TEST_F(DrawTest, WindowedVerticalSyncNeedsASixtyHertzDesktop) {
  struct Case {
    int refresh;
    int vsync;
    UINT interval;
    bool refused;
  } cases[] = {{60, 1, D3DPRESENT_INTERVAL_DEFAULT, false}, {75, 0, D3DPRESENT_INTERVAL_IMMEDIATE, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.refresh);
    presenter.refreshRate = c.refresh;
    ASSERT_TRUE(Init(1, 32, 1, 1));
    EXPECT_EQ(g_bVSync, c.vsync);
    EXPECT_EQ(lpDTCon->d3dpp.PresentationInterval, c.interval);
    const std::string report = Report();
    EXPECT_NE(report.find("RefreshRate : " + std::to_string(c.refresh)), std::string::npos);
    EXPECT_EQ(report.find("垂直同期が無効になります") != std::string::npos, c.refused);
    DDEnd();
  }
}

TEST_F(DrawTest, InitErrorCodesAreNamedInTheErrorLog) {
  struct Case {
    int code;
    bool result;
    const char* name;
  } cases[] = {
      {0, true, nullptr},
      {1, false, "CREATEEX_ERR"},
      {2, false, "SETCOOPLEVEL_ERR"},
      {3, false, "SETDISPLAYMODE_ERR"},
      {4, false, "CREATESURFACE_ERR"},
      {5, false, "GETATTACHEDSURFACE_ERR"},
      {6, false, "CREATEPALETTE_ERR"},
      {7, false, "SETPALETTE_ERR"},
      {8, true, nullptr},
      {9, true, nullptr},
      {10, false, "CLIPPER_ERR"},
      {11, false, "SETHWND_ERR"},
      {12, false, "SETCLIPPER_ERR"},
      {13, true, nullptr},
      {-1, true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    const std::string before = Errors();
    EXPECT_EQ(DDReportInitError(c.code), c.result);
    const std::string added = Errors().substr(before.size());
    EXPECT_EQ(added, c.name ? std::string(c.name) + "\n" : "");
  }
}

TEST_F(DrawTest, DirectDrawFullScreenMakesOneOrTwoBackBuffers) {
  for (int n : {1, 0, 2}) {
    SCOPED_TRACE(n);
    ASSERT_TRUE(Init(0, 32, 0, 0, n));
    EXPECT_EQ(PrimarySD.lpDDObj->lpSurface->backBuffers.size(), n == 1 ? 1u : 2u);
    DDEnd();
  }
}

TEST_F(DrawTest, DirectDrawPalettesLayoutsWindowAndCursor) {
  // Full screen at 8 bits: the fixed palette on the primary; no pixel layout.
  SetCursorCount(2);
  ASSERT_TRUE(Init(0, 8, 0));
  IDirectDrawPalette* pal = PrimarySD.lpDDObj->lpSurface->palette;
  ASSERT_EQ(pal, lpDDPal);
  EXPECT_EQ(pal->entries[0].peBlue, 255);
  EXPECT_EQ(pal->entries[0].peRed, 0);
  EXPECT_EQ(pal->entries[7].peRed, 7);
  EXPECT_EQ(pal->entries[7].peGreen, 7);
  EXPECT_EQ(g_PixelLayout.dwMaxR, 0u);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & WS_POPUP, WS_POPUP);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE)), WS_EX_TOPMOST);
  EXPECT_EQ(CursorCount(), -1) << "full screen hides the cursor";
  DDEnd();

  // Full screen at 16 bits: the display's layout.
  ASSERT_TRUE(Init(0, 16, 0));
  EXPECT_EQ(PrimarySD.lpDDObj->lpSurface->palette, nullptr);
  EXPECT_EQ(g_PixelLayout.nShiftR, 11);
  EXPECT_EQ(g_PixelLayout.nShiftG, 5);
  EXPECT_EQ(g_PixelLayout.nShiftB, 0);
  EXPECT_EQ(g_PixelLayout.dwMaxR, 31u);
  EXPECT_EQ(g_PixelLayout.dwMaxG, 63u);
  EXPECT_EQ(g_PixelLayout.dwMaxB, 31u);
  DDEnd();

  // A window: the static colours at both ends, a clipper on the window, the cursor shown.
  SetCursorCount(-3);
  ASSERT_TRUE(Init(0, 32, 1));
  EXPECT_EQ(lpDDPal->entries[5].peFlags, PC_EXPLICIT);
  EXPECT_EQ(lpDDPal->entries[5].peGreen, 0);
  EXPECT_EQ(lpDDPal->entries[100].peFlags, PC_RESERVED);
  EXPECT_EQ(lpDDPal->entries[100].peGreen, 100);
  EXPECT_EQ(lpDDClipper->hWnd, hwnd);
  EXPECT_EQ(g_PixelLayout.nShiftR, 16);
  EXPECT_EQ(nDesktopBpp, 32);
  EXPECT_EQ(DDClientRect.right - DDClientRect.left, 640);
  EXPECT_EQ(CursorCount(), 0) << "a window shows the cursor";
}

TEST_F(DrawTest, Direct3DFullScreenTakesTheScreenAndHidesTheCursor) {
  SetCursorCount(1);
  ASSERT_TRUE(Init(1, 32, 0));
  EXPECT_TRUE(presenter.fullscreen);
  EXPECT_EQ(CursorCount(), -1);
  DDEnd();
  EXPECT_FALSE(presenter.fullscreen);
}

TEST_F(DrawTest, ADirectDrawSurfaceLeftAtShutdownShowsTheLeakBox) {
  expectLeakBox = true;
  ASSERT_TRUE(Init(0, 32, 0));
  DDSURFACEDATA forgotten;
  ASSERT_TRUE(DDCreateSurface(&forgotten, 8, 8, 0, 0, 0, 0, 0));
  DDEnd();
  ASSERT_EQ(CountBoxes("解放漏れがあります"), 1u);
  EXPECT_EQ(env->Boxes().back().caption, "DirectDraw");
  EXPECT_EQ(env->Boxes().back().type, MB_ICONERROR);
  DDReleaseSurface(&forgotten);
}
