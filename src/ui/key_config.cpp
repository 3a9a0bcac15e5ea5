#include "ui/key_config.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/file.h"
#include "platform/input.h"

KEYCONFIG g_KeyConfig{};

void SetDefaultKeyConfig(KEYCONFIG* lpKeyConfig) {
  static const uint16_t kCodes[KEYCONFIG_ENTRIES] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'Z', 'X',
                                                     'C',     'V',      'A',   'S',     'D', 'F'};
  for (int i = 0; i < KEYCONFIG_ENTRIES; ++i) {
    lpKeyConfig->Entry[i].nDevice = KEYCONFIG_KEYBOARD;
    lpKeyConfig->Entry[i].wCode = kCodes[i];
  }
  lpKeyConfig->nCount = KEYCONFIG_ENTRIES;
  lpKeyConfig->nJoyCount = 1;
  lpKeyConfig->bUse = 0;
}

int LoadKeyConfig(const char* lpszFileName, KEYCONFIG* lpKeyConfig) {
  FILE* fp = FileOpen(lpszFileName, "rb");
  if (!fp) return 0;
  unsigned char bytes[sizeof(KEYCONFIG)];
  const size_t n = fread(bytes, 1, sizeof bytes, fp);
  fclose(fp);
  memcpy(lpKeyConfig, bytes, n);
  lpKeyConfig->nCount = KeyConfigEntryCount(*lpKeyConfig);
  lpKeyConfig->nJoyCount = KeyConfigJoyCount(*lpKeyConfig);
  return 1;
}

int KeyConfigEntryCount(const KEYCONFIG& config) {
  return std::clamp<int32_t>(config.nCount, KEYCONFIG_MIN_ENTRIES, KEYCONFIG_ENTRIES);
}

int KeyConfigJoyCount(const KEYCONFIG& config) {
  return std::clamp<int32_t>(config.nJoyCount, 0, KEYCONFIG_MAX_JOYSTICKS);
}
