// The key configuration: which key or joystick input stands for each direction and button.
// It is read once at start-up from "user_data\KeyConfig.dat", a raw copy of KEYCONFIG written
// by the editing side; the player never writes it.
#pragma once

#include <cstdint>

// Entries 0..3 are left, right, up and down, entries 4..11 buttons 1..8.
constexpr int KEYCONFIG_ENTRIES = 12;
constexpr int KEYCONFIG_MIN_ENTRIES = 4;
// The device number of the keyboard; any other number names a joystick.
constexpr int32_t KEYCONFIG_KEYBOARD = 8;
// Joystick numbers go up to 15, as the joystick interface numbers them.
constexpr int KEYCONFIG_MAX_JOYSTICKS = 16;

// Joystick codes that test an axis (positions 0..65535); any other code is a mask of the
// joystick's buttons.
constexpr uint16_t JOYCODE_X_LOW = 256;    // X at most 10000
constexpr uint16_t JOYCODE_X_HIGH = 512;   // X at least 55535
constexpr uint16_t JOYCODE_Y_LOW = 1024;   // Y at most 10000
constexpr uint16_t JOYCODE_Y_HIGH = 2048;  // Y at least 55535

struct KEYCONFIGENTRY {
  int32_t nDevice;    // KEYCONFIG_KEYBOARD, or a joystick number
  uint16_t wCode;     // keyboard: a virtual-key code; joystick: an axis code or a button mask
  uint16_t wReserved;
};

// The file's layout, 108 bytes, little-endian.
struct KEYCONFIG {
  KEYCONFIGENTRY Entry[KEYCONFIG_ENTRIES];
  int32_t nCount;     // entries in use: the four directions, then buttons 1..nCount-4
  int32_t nJoyCount;  // joysticks polled: 0..nJoyCount-1
  int32_t bUse;       // nonzero: the frame tick polls through this configuration
};
static_assert(sizeof(KEYCONFIGENTRY) == 8);
static_assert(sizeof(KEYCONFIG) == 108);

// The one configuration of the program.
extern KEYCONFIG g_KeyConfig;

// Arrow keys for the directions, Z X C V A S D F for buttons 1..8, one joystick, not in use.
void SetDefaultKeyConfig(KEYCONFIG* lpKeyConfig);

// Reads the file's 108 bytes into the record and returns 1; 0 when the file does not open. A
// shorter file still counts as read: the bytes it lacks keep the record's previous contents.
// The counts are then brought into range: the entries to 4..12, the joysticks to 0..16.
int LoadKeyConfig(const char* lpszFileName, KEYCONFIG* lpKeyConfig);

// The counts of a configuration, in range whatever the record holds.
int KeyConfigEntryCount(const KEYCONFIG& config);
int KeyConfigJoyCount(const KEYCONFIG& config);
