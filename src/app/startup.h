// Start-up: every subsystem brought up in a fixed order on the window thread, after the main
// window exists and before the game thread: the data folders and the project, System.ini, the
// drawing back-end, the screen mode, the device with its fall-back from Direct3D to DirectDraw,
// the window's placement, the palette and transparent colour, the fonts, the key configuration,
// the user options, music and sound effects, the world map and common palette, and the stage to
// play at once.
#pragma once

#include "platform/wintypes.h"

// The display chosen: windowed (1) or full screen, and its depth (8, 16 or 32).
extern int g_bWindowed;
extern int g_nScreenBpp;

// What the screen-mode rules decide from.
struct ScreenModeInput {
  int nDirect3D = 0;      // 0 DirectDraw, any other value Direct3D
  int nWindowMode = 0;    // 0 full screen, 1 window, 2 resizable window
  int nBpp = 0;           // 0 automatic
  int nVSync = 0;         // 0 off, 1 on, 2 automatic
  int bFullColour = 0;    // the project's images are full colour (no palette)
  int nDesktopBpp = 32;   // 16 or 32
  int bNewerSystem = 1;   // the system is of the generation that leaves DirectDraw vsync off
  int nD3DDepth = 0;      // the full-screen depth choice under Direct3D: 0 32, 1 16
  int nDDDepth = 0;       // under DirectDraw: 0 32, 1 16, 2 8 (32 for full-colour images)
};

struct ScreenMode {
  int bWindowed = 0;
  int nBpp = 0;
  int nVSync = 0;
  int bThickFrame = 0;             // a resizable Direct3D window
  const char* lpszError = nullptr; // the message of an invalid mode, else null
};

extern const char* const g_lpszScreenModeError;
extern const char* const g_lpszWindowDepthError;

ScreenMode DecideScreenMode(const ScreenModeInput& in);

// Starts the music manager g_BgmPlayer on the program's music name tables (one channel, five
// slots), as start-up does with music on and the options screen when music is switched on.
int StartBgmPlayer();

// The desktop's depth as the rules see it: 32 for 24 bits or more, 16 for 15 or 16.
int DesktopDepth(int nBitsPerPixel);

// Whether DirectDraw full screen presents by copying: always in a window; in full screen when
// vertical sync is off or the monitor runs below the frame rate.
int DecideBltPresent(int bWindowed, int nVSync, int nMonitorHz, int nFrameRate);

// The sound-effect tables for a Sound list of n records: 16 + n entries (17 at least), the 17
// system sounds first, then Sound records 1..n-1; one copy, volume 0, flag 1 each.
void BuildSeTables(int nSoundCount);

// The stage named at start-up (FreeStage or the command line): the newest numbered version
// when there is one. 1 when it exists (the name in lpszStage), 0 when it does not: the report
// log says so and lpszStage is emptied.
int ResolveFreeStage(char* lpszStage);

// The command line's stage over FreeStage: one pair of surrounding quotes is dropped; a name of
// MAX_PATH bytes or more cannot name a file and is refused with the not-found report (FreeStage
// emptied). Nothing for an empty command line.
void TakeCommandLineStage(const char* lpCmdLine, char* lpszFreeStage);

// The drawing device through lpfnInit (the back-end, vertical sync): when Direct3D cannot start,
// the window is shown and DirectDraw starts with the same depth, vertical sync and window mode;
// *lpnDirect3D tells the back-end that runs. False (with the error-log line "DDInit失敗") when
// no back-end starts.
bool StartDrawing(int* lpnDirect3D, int bVSync, int nCmdShow, bool (*lpfnInit)(int bDirect3D, int bVSync));

// Runs start-up; true when the program may run.
bool InitApplication(const char* lpCmdLine, int nCmdShow);
