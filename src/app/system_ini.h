// "System.ini": the player's machine-level settings (drawing back-end, window or full screen,
// colour depth, vertical sync, font caches, stretching, frame-rate display, a stage to play at
// once, English texts). The program reads it at start-up and never writes it; the key names and
// defaults come from the system settings' key table.
#pragma once

#include <cstdint>

#include "core/safe_container.h"
#include "platform/wintypes.h"

class IniKeyEntry;

struct SYSTEMINI {
  int32_t Direct3D;         // 0 DirectDraw; 2 or more: ask unless saved; other values Direct3D
  int32_t WindowMode;       // 0 full screen, 1 window, 2 resizable window (Direct3D only)
  int32_t Bpp;              // colour depth, 0 automatic
  int32_t VSync;            // 0 off, 1 on, 2 automatic
  int32_t D3D_FontCache;    // cache setting of fonts whose own setting is 2, under Direct3D
  int32_t DD_FontCache;     // the same under DirectDraw
  int32_t DD_VideoStretch;  // stretching blits in video memory under DirectDraw
  int32_t ShowFps;          // 0 off, 2 with the first font, other values with the second in a box
  int32_t English;          // 1: English dialog titles and texts
  char FreeStage[MAX_PATH]; // a stage file played at once after start-up
};

// The key table's positions: 0..7 the numbers Direct3D..ShowFps, 8 FreeStage, 9 English.
constexpr int SYSTEMINI_KEY_FREESTAGE = 8;
constexpr int SYSTEMINI_KEY_ENGLISH = 9;
constexpr int SYSTEMINI_KEY_COUNT = 10;

// The reader's buffer for a key and for a value; longer ones are cut to its size less one.
constexpr int SYSTEMINI_BUFFER = 2048;
// Entries read at most; the read ends with success after the last.
constexpr int SYSTEMINI_MAX_ENTRIES = 10000;

extern SYSTEMINI g_SystemIni;

// Fields Direct3D..ShowFps from the default numbers of table entries 0..7, FreeStage from the
// default text of entry 8, English 0. An entry missing from a short table gives its built-in
// default (2, 0, 0, 2, 0, 1, 0, 1, empty).
void SetSystemIniDefaults(SYSTEMINI* lpIni, const cSafeVector<IniKeyEntry>& keys);

// Reads the file over the record: 1 when it was read to a proper end (a NUL byte, a line "Exit",
// or the last entry), 0 when it cannot be opened or ends too early; values read before a failure
// stay. Keys drop blanks, tabs and carriage returns and are compared exactly; a value ends at a
// NUL, tab, line feed, blank or "/". FreeStage takes a value of 2 to 259 bytes, without a
// carriage return at its end (a file with Windows line ends names its stage as well).
int ReadSystemIni(const char* lpszPath, SYSTEMINI* lpIni, const cSafeVector<IniKeyEntry>& keys);
