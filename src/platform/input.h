// Keyboard, mouse-button and joystick state as the game-side threads poll it.
//
// The window thread keeps a table of the keys that are down, indexed by Windows virtual-key
// codes, from the events of the display (window.h); any thread reads it with
// GetAsyncKeyState. The generic shift, control and menu (Alt) keys are down while their left
// or right key is. Losing the focus releases every key. Joysticks are opened into slots 0..15
// in the order the display reports them; a snapshot of each is kept for joyGetPosEx.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

union SDL_Event;

constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_XBUTTON1 = 0x05;
constexpr int VK_XBUTTON2 = 0x06;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_KANJI = 0x19;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_CONVERT = 0x1C;
constexpr int VK_NONCONVERT = 0x1D;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_SNAPSHOT = 0x2C;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_LWIN = 0x5B;
constexpr int VK_RWIN = 0x5C;
constexpr int VK_APPS = 0x5D;
constexpr int VK_NUMPAD0 = 0x60;
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SEPARATOR = 0x6C;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70;
constexpr int VK_F2 = 0x71;
constexpr int VK_NUMLOCK = 0x90;
constexpr int VK_SCROLL = 0x91;
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_RSHIFT = 0xA1;
constexpr int VK_LCONTROL = 0xA2;
constexpr int VK_RCONTROL = 0xA3;
constexpr int VK_LMENU = 0xA4;
constexpr int VK_RMENU = 0xA5;
constexpr int VK_OEM_1 = 0xBA;
constexpr int VK_OEM_PLUS = 0xBB;
constexpr int VK_OEM_COMMA = 0xBC;
constexpr int VK_OEM_MINUS = 0xBD;
constexpr int VK_OEM_PERIOD = 0xBE;
constexpr int VK_OEM_2 = 0xBF;
constexpr int VK_OEM_3 = 0xC0;
constexpr int VK_OEM_4 = 0xDB;
constexpr int VK_OEM_5 = 0xDC;
constexpr int VK_OEM_6 = 0xDD;
constexpr int VK_OEM_7 = 0xDE;
constexpr int VK_OEM_102 = 0xE2;
constexpr int VK_OEM_COPY = 0xF2;
constexpr int VK_OEM_AUTO = 0xF3;
constexpr int VK_OEM_ENLW = 0xF4;

// Stands in for GetAsyncKeyState: 0x8000 (as a SHORT) while the key is down, else 0; 0 for
// codes outside 0..255.
SHORT GetAsyncKeyState(int vKey);

// Joysticks (WinMM).
constexpr MMRESULT JOYERR_NOERROR = 0;
constexpr MMRESULT JOYERR_PARMS = 165;
constexpr MMRESULT JOYERR_UNPLUGGED = 167;
constexpr DWORD JOY_RETURNX = 0x00000001;
constexpr DWORD JOY_RETURNY = 0x00000002;
constexpr DWORD JOY_RETURNBUTTONS = 0x00000080;

struct JOYINFOEX {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwXpos;
  DWORD dwYpos;
  DWORD dwZpos;
  DWORD dwRpos;
  DWORD dwUpos;
  DWORD dwVpos;
  DWORD dwButtons;
  DWORD dwButtonNumber;
  DWORD dwPOV;
  DWORD dwReserved1;
  DWORD dwReserved2;
};

// Stands in for joyGetPosEx: JOYERR_PARMS for an id of 16 or more or a dwSize other than 52,
// JOYERR_UNPLUGGED for an empty slot; otherwise the slot's snapshot: dwXpos and dwYpos are
// axes 0 and 1 moved to 0..65535 (centre 32768), dwButtons has bit i for button i (the first
// 32), dwButtonNumber counts the pressed ones, every other field after dwFlags is 0. Hats are
// not reported.
MMRESULT joyGetPosEx(UINT uJoyID, JOYINFOEX* pji);

namespace input_internal {

// A key of the display as Windows knows it: the virtual-key code (0 for keys it has none
// for), the scan code and whether it is an extended key.
struct WinKey {
  int vk = 0;
  int scan = 0;
  bool extended = false;
};
// The keyboard layouts whose punctuation keys Windows names differently. A Japanese (106/109)
// keyboard has ^ @ [ ] : in the places of = [ ] \ ' of a US keyboard, and 半角/全角 in the place
// of `; Windows gives those places the codes of the characters they carry.
enum class KeyLayout { kUs, kJapanese };
// The layout the display currently maps keys with: Japanese when it puts @ and : where a US
// keyboard has [ and '.
KeyLayout CurrentKeyLayout();

// Letters and digits come from the layout's key code, the other keys from their position on
// a keyboard of the given layout (the first form: of the current layout).
WinKey TranslateKey(int sdlScancode, int sdlKeycode);
WinKey TranslateKey(int sdlScancode, int sdlKeycode, KeyLayout layout);

// The window thread's side of the table. Returns whether the key was down before. The
// 半角/全角 key is down under all three codes Windows gives it (VK_OEM_AUTO, VK_OEM_ENLW and,
// with an input method, VK_KANJI), so that a configuration naming any of them sees it.
bool SetKeyDown(int vk, bool down);
void ReleaseAllKeys();

// Joystick events (added, removed) and the refresh of the snapshots, on the window thread.
void HandleJoystickEvent(const SDL_Event& e);
void RefreshJoysticks();
void CloseJoysticks();

}  // namespace input_internal
