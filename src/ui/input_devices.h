// Where the input records read the keyboard and the joysticks: GetAsyncKeyState and
// joyGetPosEx of the platform, or a stand-in that a test installs.
#pragma once

#include "platform/input.h"
#include "platform/wintypes.h"

class cInputDevices {
 public:
  virtual ~cInputDevices() = default;
  // As GetAsyncKeyState: the high bit set while the key is down.
  virtual SHORT KeyState(int vKey) = 0;
  // As joyGetPosEx: 0 and the position, or an error code.
  virtual MMRESULT JoyPos(UINT uJoyID, JOYINFOEX* pji) = 0;
};

// The devices in use: the platform's unless a stand-in is installed.
cInputDevices& InputDevices();
// Installs a stand-in (null: the platform's again) and returns the one it replaces.
cInputDevices* SetInputDevices(cInputDevices* devices);
