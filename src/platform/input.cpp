#include "platform/input.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <mutex>

namespace {

std::atomic<uint8_t> g_keys[256];

// Keys by position: SDL scan code → virtual key, set-1 scan code, extended flag.
struct KeyRow {
  SDL_Scancode sdl;
  int vk;
  int scan;
  bool extended;
};

const KeyRow kKeys[] = {
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0x01, false},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS, 0x0C, false},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS, 0x0D, false},
    {SDL_SCANCODE_BACKSPACE, VK_BACK, 0x0E, false},
    {SDL_SCANCODE_TAB, VK_TAB, 0x0F, false},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4, 0x1A, false},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6, 0x1B, false},
    {SDL_SCANCODE_RETURN, VK_RETURN, 0x1C, false},
    {SDL_SCANCODE_LCTRL, VK_LCONTROL, 0x1D, false},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1, 0x27, false},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7, 0x28, false},
    {SDL_SCANCODE_GRAVE, VK_OEM_3, 0x29, false},
    {SDL_SCANCODE_LSHIFT, VK_LSHIFT, 0x2A, false},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5, 0x2B, false},
    {SDL_SCANCODE_NONUSHASH, VK_OEM_5, 0x2B, false},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA, 0x33, false},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD, 0x34, false},
    {SDL_SCANCODE_SLASH, VK_OEM_2, 0x35, false},
    {SDL_SCANCODE_RSHIFT, VK_RSHIFT, 0x36, false},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY, 0x37, false},
    {SDL_SCANCODE_LALT, VK_LMENU, 0x38, false},
    {SDL_SCANCODE_SPACE, VK_SPACE, 0x39, false},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, 0x3A, false},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK, 0x45, true},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL, 0x46, false},
    {SDL_SCANCODE_KP_7, VK_NUMPAD0 + 7, 0x47, false},
    {SDL_SCANCODE_KP_8, VK_NUMPAD0 + 8, 0x48, false},
    {SDL_SCANCODE_KP_9, VK_NUMPAD0 + 9, 0x49, false},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT, 0x4A, false},
    {SDL_SCANCODE_KP_4, VK_NUMPAD0 + 4, 0x4B, false},
    {SDL_SCANCODE_KP_5, VK_NUMPAD0 + 5, 0x4C, false},
    {SDL_SCANCODE_KP_6, VK_NUMPAD0 + 6, 0x4D, false},
    {SDL_SCANCODE_KP_PLUS, VK_ADD, 0x4E, false},
    {SDL_SCANCODE_KP_1, VK_NUMPAD0 + 1, 0x4F, false},
    {SDL_SCANCODE_KP_2, VK_NUMPAD0 + 2, 0x50, false},
    {SDL_SCANCODE_KP_3, VK_NUMPAD0 + 3, 0x51, false},
    {SDL_SCANCODE_KP_0, VK_NUMPAD0, 0x52, false},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL, 0x53, false},
    {SDL_SCANCODE_KP_COMMA, VK_SEPARATOR, 0x7E, false},
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102, 0x56, false},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN, 0x1C, true},
    {SDL_SCANCODE_RCTRL, VK_RCONTROL, 0x1D, true},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE, 0x35, true},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT, 0x37, true},
    {SDL_SCANCODE_RALT, VK_RMENU, 0x38, true},
    {SDL_SCANCODE_PAUSE, VK_PAUSE, 0x45, false},
    {SDL_SCANCODE_HOME, VK_HOME, 0x47, true},
    {SDL_SCANCODE_UP, VK_UP, 0x48, true},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR, 0x49, true},
    {SDL_SCANCODE_LEFT, VK_LEFT, 0x4B, true},
    {SDL_SCANCODE_RIGHT, VK_RIGHT, 0x4D, true},
    {SDL_SCANCODE_END, VK_END, 0x4F, true},
    {SDL_SCANCODE_DOWN, VK_DOWN, 0x50, true},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT, 0x51, true},
    {SDL_SCANCODE_INSERT, VK_INSERT, 0x52, true},
    {SDL_SCANCODE_DELETE, VK_DELETE, 0x53, true},
    {SDL_SCANCODE_LGUI, VK_LWIN, 0x5B, true},
    {SDL_SCANCODE_RGUI, VK_RWIN, 0x5C, true},
    {SDL_SCANCODE_APPLICATION, VK_APPS, 0x5D, true},
    // The keys of Japanese keyboards.
    {SDL_SCANCODE_INTERNATIONAL1, VK_OEM_102, 0x73, false},   // ろ
    {SDL_SCANCODE_INTERNATIONAL2, VK_OEM_COPY, 0x70, false},  // カタカナ/ひらがな
    {SDL_SCANCODE_INTERNATIONAL3, VK_OEM_5, 0x7D, false},     // ￥
    {SDL_SCANCODE_INTERNATIONAL4, VK_CONVERT, 0x79, false},   // 変換
    {SDL_SCANCODE_INTERNATIONAL5, VK_NONCONVERT, 0x7B, false},  // 無変換
    {SDL_SCANCODE_LANG3, VK_OEM_COPY, 0x70, false},           // カタカナ
    {SDL_SCANCODE_LANG4, VK_OEM_COPY, 0x70, false},           // ひらがな
    {SDL_SCANCODE_LANG5, VK_OEM_AUTO, 0x29, false},           // 半角/全角
};

// The places of a Japanese keyboard that carry other characters than on a US keyboard.
const KeyRow kJapaneseKeys[] = {
    {SDL_SCANCODE_GRAVE, VK_OEM_AUTO, 0x29, false},          // 半角/全角
    {SDL_SCANCODE_EQUALS, VK_OEM_7, 0x0D, false},            // ^
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_3, 0x1A, false},       // @
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_4, 0x1B, false},      // [
    {SDL_SCANCODE_SEMICOLON, VK_OEM_PLUS, 0x27, false},      // ;
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_1, 0x28, false},        // :
    {SDL_SCANCODE_BACKSLASH, VK_OEM_6, 0x2B, false},         // ]
    {SDL_SCANCODE_NONUSHASH, VK_OEM_6, 0x2B, false},         // ]
};

// Set-1 scan codes of the letters and digits by their position.
int PositionScan(SDL_Scancode s) {
  static const int kLetters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                   0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
  if (s >= SDL_SCANCODE_A && s <= SDL_SCANCODE_Z) return kLetters[s - SDL_SCANCODE_A];
  if (s >= SDL_SCANCODE_1 && s <= SDL_SCANCODE_9) return 0x02 + (s - SDL_SCANCODE_1);
  if (s == SDL_SCANCODE_0) return 0x0B;
  if (s >= SDL_SCANCODE_F1 && s <= SDL_SCANCODE_F10) return 0x3B + (s - SDL_SCANCODE_F1);
  if (s == SDL_SCANCODE_F11) return 0x57;
  if (s == SDL_SCANCODE_F12) return 0x58;
  return 0;
}

// The codes held together with a key's own code (see SetKeyDown).
bool IsHankakuCode(int vk) { return vk == VK_OEM_AUTO || vk == VK_OEM_ENLW || vk == VK_KANJI; }

void UpdateGeneric() {
  auto down = [](int vk) { return g_keys[vk].load() != 0; };
  g_keys[VK_SHIFT] = (down(VK_LSHIFT) || down(VK_RSHIFT)) ? 1 : 0;
  g_keys[VK_CONTROL] = (down(VK_LCONTROL) || down(VK_RCONTROL)) ? 1 : 0;
  g_keys[VK_MENU] = (down(VK_LMENU) || down(VK_RMENU)) ? 1 : 0;
}

// Joysticks.
constexpr int kJoySlots = 16;

struct JoySlot {
  SDL_Joystick* joy = nullptr;
  SDL_JoystickID id = -1;
  bool connected = false;
  DWORD x = 32768;
  DWORD y = 32768;
  DWORD buttons = 0;
};

std::mutex g_joyMutex;
JoySlot g_joys[kJoySlots];

void OpenJoystick(int deviceIndex) {
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  std::lock_guard<std::mutex> lock(g_joyMutex);
  for (const JoySlot& s : g_joys) {
    if (s.joy && s.id == id) return;
  }
  for (JoySlot& s : g_joys) {
    if (s.joy) continue;
    s.joy = SDL_JoystickOpen(deviceIndex);
    if (!s.joy) return;
    s.id = SDL_JoystickInstanceID(s.joy);
    s.connected = true;
    return;
  }
}

}  // namespace

SHORT GetAsyncKeyState(int vKey) {
  if (vKey < 0 || vKey > 255) return 0;
  return g_keys[vKey].load() ? static_cast<SHORT>(0x8000) : 0;
}

MMRESULT joyGetPosEx(UINT uJoyID, JOYINFOEX* pji) {
  if (uJoyID >= kJoySlots || !pji || pji->dwSize != sizeof(JOYINFOEX)) return JOYERR_PARMS;
  std::lock_guard<std::mutex> lock(g_joyMutex);
  const JoySlot& s = g_joys[uJoyID];
  if (!s.connected) return JOYERR_UNPLUGGED;
  const DWORD size = pji->dwSize, flags = pji->dwFlags;
  *pji = JOYINFOEX{};
  pji->dwSize = size;
  pji->dwFlags = flags;
  pji->dwXpos = s.x;
  pji->dwYpos = s.y;
  pji->dwButtons = s.buttons;
  for (DWORD b = s.buttons; b; b &= b - 1) ++pji->dwButtonNumber;
  return JOYERR_NOERROR;
}

namespace input_internal {

KeyLayout CurrentKeyLayout() {
  const bool japanese = SDL_GetKeyFromScancode(SDL_SCANCODE_LEFTBRACKET) == '@' &&
                        SDL_GetKeyFromScancode(SDL_SCANCODE_APOSTROPHE) == ':';
  return japanese ? KeyLayout::kJapanese : KeyLayout::kUs;
}

WinKey TranslateKey(int sdlScancode, int sdlKeycode) {
  return TranslateKey(sdlScancode, sdlKeycode, CurrentKeyLayout());
}

WinKey TranslateKey(int sdlScancode, int sdlKeycode, KeyLayout layout) {
  const SDL_Scancode sc = static_cast<SDL_Scancode>(sdlScancode);
  WinKey k;
  k.scan = PositionScan(sc);
  if (sdlKeycode >= 'a' && sdlKeycode <= 'z') {
    k.vk = sdlKeycode - 'a' + 'A';
    return k;
  }
  if (sdlKeycode >= '0' && sdlKeycode <= '9') {
    k.vk = sdlKeycode;
    return k;
  }
  if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) {
    k.vk = 'A' + (sc - SDL_SCANCODE_A);
    return k;
  }
  if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) {
    k.vk = '1' + (sc - SDL_SCANCODE_1);
    return k;
  }
  if (sc == SDL_SCANCODE_0) {
    k.vk = '0';
    return k;
  }
  if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) {
    k.vk = VK_F1 + (sc - SDL_SCANCODE_F1);
    return k;
  }
  if (sc >= SDL_SCANCODE_F13 && sc <= SDL_SCANCODE_F24) {
    k.vk = VK_F1 + 12 + (sc - SDL_SCANCODE_F13);
    k.scan = 0x64 + (sc - SDL_SCANCODE_F13);
    return k;
  }
  if (layout == KeyLayout::kJapanese) {
    for (const KeyRow& r : kJapaneseKeys) {
      if (r.sdl == sc) return WinKey{r.vk, r.scan, r.extended};
    }
  }
  for (const KeyRow& r : kKeys) {
    if (r.sdl == sc) return WinKey{r.vk, r.scan, r.extended};
  }
  return k;
}

bool SetKeyDown(int vk, bool down) {
  if (vk <= 0 || vk > 255) return false;
  const bool was = g_keys[vk].exchange(down ? 1 : 0) != 0;
  if (IsHankakuCode(vk)) {
    for (int code : {VK_OEM_AUTO, VK_OEM_ENLW, VK_KANJI}) g_keys[code] = down ? 1 : 0;
  }
  UpdateGeneric();
  return was;
}

void ReleaseAllKeys() {
  for (auto& k : g_keys) k = 0;
}

void HandleJoystickEvent(const SDL_Event& e) {
  if (e.type == SDL_JOYDEVICEADDED) {
    OpenJoystick(e.jdevice.which);
  } else if (e.type == SDL_JOYDEVICEREMOVED) {
    std::lock_guard<std::mutex> lock(g_joyMutex);
    for (JoySlot& s : g_joys) {
      if (s.joy && s.id == e.jdevice.which) {
        SDL_JoystickClose(s.joy);
        s = JoySlot{};
      }
    }
  }
}

void RefreshJoysticks() {
  std::lock_guard<std::mutex> lock(g_joyMutex);
  for (JoySlot& s : g_joys) {
    if (!s.joy) continue;
    s.x = static_cast<DWORD>(SDL_JoystickGetAxis(s.joy, 0) + 32768);
    s.y = static_cast<DWORD>(SDL_JoystickGetAxis(s.joy, 1) + 32768);
    DWORD b = 0;
    const int n = std::min(SDL_JoystickNumButtons(s.joy), 32);
    for (int i = 0; i < n; ++i) {
      if (SDL_JoystickGetButton(s.joy, i)) b |= 1u << i;
    }
    s.buttons = b;
  }
}

void CloseJoysticks() {
  std::lock_guard<std::mutex> lock(g_joyMutex);
  for (JoySlot& s : g_joys) {
    if (s.joy) SDL_JoystickClose(s.joy);
    s = JoySlot{};
  }
}

}  // namespace input_internal
