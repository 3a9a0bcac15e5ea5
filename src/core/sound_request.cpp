#include "core/sound_request.h"

#include <cstdint>

#include "core/shell_link.h"
#include "platform/message.h"

void PlaySysSe(int n) { SendMessageA(g_hWnd, WM_PLAY_SE, static_cast<WPARAM>(n), 0); }

void PlayUserSe(int n) {
  int16_t sound = static_cast<int16_t>(n);
  if (sound == 0) return;
  SendMessageA(g_hWnd, WM_PLAY_SE, static_cast<WPARAM>(sound + USER_SE_SLOT_OFFSET), 0);
}
