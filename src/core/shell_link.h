// What the core services need of their neighbours above them: the main window that fatal
// errors close, and the drawing layer's state that decides how message boxes are shown.
// The application shell and the drawing layer set these; the core only reads them.
#pragma once

#include "platform/wintypes.h"

// The main window's handle: WM_CLOSE is posted here on a fatal error.
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
