#include "ui/input_devices.h"

#include <atomic>

namespace {

class cPlatformDevices : public cInputDevices {
 public:
  SHORT KeyState(int vKey) override { return GetAsyncKeyState(vKey); }
  MMRESULT JoyPos(UINT uJoyID, JOYINFOEX* pji) override { return joyGetPosEx(uJoyID, pji); }
};

cPlatformDevices g_PlatformDevices;
std::atomic<cInputDevices*> g_pDevices{nullptr};

}  // namespace

cInputDevices& InputDevices() {
  cInputDevices* devices = g_pDevices.load();
  return devices ? *devices : g_PlatformDevices;
}

cInputDevices* SetInputDevices(cInputDevices* devices) { return g_pDevices.exchange(devices); }
