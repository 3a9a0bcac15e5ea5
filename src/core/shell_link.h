// What the core services need of their neighbours above them: the main window that fatal
// errors close and sound requests go to, and the drawing layer's state that decides how
// message boxes are shown and how frames are paced. The application shell and the drawing
// layer set these; the core only reads them.
#pragma once

#include "platform/wintypes.h"

struct DDSURFACEDATA;

// The main window's handle: WM_CLOSE is posted here on a fatal error (also when an exception
// escapes a thread's procedure), and the sound requests are sent here.
extern HWND g_hWnd;

// Non-zero once the drawing layer's start-up succeeded.
extern int DDInitDone;
// 0 full screen, 1 window.
extern int DDWindowMode;

// The drawing layer's switch to and from the mode in which a system dialog can be shown
// over the game window; returns 0 when it cannot switch. Null until the layer is set up.
extern int (*g_lpfnDDSetDialogMode)(int bOn);

// Full-screen message box: dialog mode on, MessageBoxA, dialog mode off; 1 when shown.
// When dialog mode cannot be set, writes "DDMesBox 失敗! %s, %s" to the error log and
// returns 0.
int DDMesBox(const char* text, const char* caption, UINT type);

// Non-zero while the Direct3D back-end is in use (its device context exists). Null until the
// drawing layer is set up, which counts as no Direct3D context.
extern int (*g_lpfnDDUsingDirect3D)();

// Draws text onto the back buffer with a bitmap-font sheet, in cells of the given size (the
// frame-pacing overlay). Null until the drawing layer is set up: nothing is drawn.
extern void (*g_lpfnDDDebugTextOnBackBuffer)(int x, int y, int cellWidth, int cellHeight, DDSURFACEDATA* font,
                                             const char* text);
