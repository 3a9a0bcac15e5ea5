// "user_data\KeyConfig.dat" files as the loader meets them, then polled: the first bytes of an
// input choose which keys and joystick buttons are down, the rest is the file. Whatever the file,
// the counts come out in range and polling reads no key table or joystick slot out of bounds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_files.h"
#include "ui/input.h"
#include "ui/input_devices.h"
#include "ui/key_config.h"

namespace {

// Keys and joysticks driven by the fuzzer's bytes; every key code and joystick number asked is
// checked against the range the platform calls accept.
class FuzzDevices : public cInputDevices {
 public:
  uint8_t keys[32] = {};
  uint32_t buttons = 0;
  uint16_t axis = 0;
  SHORT KeyState(int vKey) override {
    if (vKey < 0 || vKey >= 256) std::abort();
    return (keys[vKey >> 3] >> (vKey & 7)) & 1 ? static_cast<SHORT>(0x8000) : 0;
  }
  MMRESULT JoyPos(UINT id, JOYINFOEX* ji) override {
    if (id >= 16) std::abort();
    if (id & 1) return JOYERR_UNPLUGGED;
    ji->dwXpos = axis;
    ji->dwYpos = static_cast<DWORD>(65535 - axis);
    ji->dwButtons = buttons;
    return JOYERR_NOERROR;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = fuzz::Files("fuzz_keyconfig").input;
  static FuzzDevices devices;
  SetInputDevices(&devices);
  const size_t head = sizeof devices.keys + 6;
  if (size < head) return 0;
  std::memcpy(devices.keys, data, sizeof devices.keys);
  std::memcpy(&devices.buttons, data + sizeof devices.keys, 4);
  std::memcpy(&devices.axis, data + sizeof devices.keys + 4, 2);

  fuzz::WriteFile(path, data + head, size - head);

  KEYCONFIG config;
  SetDefaultKeyConfig(&config);
  LoadKeyConfig(path.c_str(), &config);
  int count = KeyConfigEntryCount(config);
  int joys = KeyConfigJoyCount(config);
  if (count < KEYCONFIG_MIN_ENTRIES || count > KEYCONFIG_ENTRIES || joys < 0 || joys > KEYCONFIG_MAX_JOYSTICKS)
    std::abort();

  g_KeyConfig = config;
  cInput input;
  for (int frame = 0; frame < 4; ++frame) {
    input.PollKeyConfig(1, 1);
    input.Poll(0, 3, 1);
    input.PushHistory();
    input.LogChanges();
    input.AutoRepeat();
    input.LatchButtons(0);
  }
  int code = cInput::GetDirCode(&input.m_wDir);
  if (code < 1 || code > 9) std::abort();
  SetInputDevices(nullptr);
  fuzz::DropMessages();
  return 0;
}
