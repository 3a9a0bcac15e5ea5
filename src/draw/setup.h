// Set-up and shutdown of the drawing layer over Direct3D 9 or DirectDraw 7, full screen or in
// a window, with the named screen surfaces.
//
// Start-up calls DDInit once the main window exists and, when the Direct3D set-up fails,
// DDEnd and DDInit again with Direct3D off; shutdown calls DDEnd (or DDUninit). After DDEnd
// the layer is as before DDInit.
#pragma once

#include "draw/bitmap_entry.h"
#include "draw/surface_data.h"
#include "platform/wintypes.h"

// DirectDraw set-up codes.
enum : int {
  DDINIT_OK = 0,
  DDINIT_CREATEEX_ERR = 1,
  DDINIT_SETCOOPLEVEL_ERR = 2,
  DDINIT_SETDISPLAYMODE_ERR = 3,
  DDINIT_CREATESURFACE_ERR = 4,
  DDINIT_GETATTACHEDSURFACE_ERR = 5,
  DDINIT_CREATEPALETTE_ERR = 6,
  DDINIT_SETPALETTE_ERR = 7,
  DDINIT_LOADIMAGE_ERR = 8,
  DDINIT_SETCOLORKEY_ERR = 9,
  DDINIT_CLIPPER_ERR = 10,
  DDINIT_SETHWND_ERR = 11,
  DDINIT_SETCLIPPER_ERR = 12,
};

// Stores the set-up values and sets up the chosen back-end: bDirect3D, the main window, the
// screen size, the depth (8, 16 or 32), vertical sync, window mode (0 full screen, 1 window),
// back buffers (1, else two), the full-screen refresh rate and whether DirectDraw asks for it,
// and the system image surfaces with their table. On success DDInitDone is set.
bool DDInit(int bDirect3D, HWND hWnd, int nWidth, int nHeight, int nBpp, int bVSync, int nWindowMode, int nBackBuffers,
            int nRefreshRate, int bSetRefreshRate, DDSURFACEDATA* lpSystemSD, const BitmapEntry* lpSystemImageTable,
            int nSystemImageCount);

// The Direct3D set-up: 1 success, 0 failure.
int DDInit3D(HWND hWnd, int nWidth, int nHeight, int nBpp, int nBackBuffers);
// The DirectDraw set-ups: DDINIT_OK or a failure code.
int DDInitFullScreen(HWND hWnd, int nWidth, int nHeight, int nBpp, int nBackBuffers);
int DDInitWindow(HWND hWnd);
// The default render and sampler states.
void DDSetRenderStates();
// False for a set-up failure code (its name goes to the error log); true for 0, for the image
// codes 8 and 9 and for every code it does not know.
bool DDReportInitError(int nCode);

// Releases every object of both back-ends; a DirectDraw object that still has references
// shows the leak box.
void DDEnd();
void DDUninit();
