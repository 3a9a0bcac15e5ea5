// Sound effects asked of the window thread. Game-side threads never play sounds themselves:
// they send WM_USER+5 with the slot to the main window and wait until the window thread has
// started the sound.
#pragma once

#include "platform/wintypes.h"

// The main-window request that plays sound-effect slot wParam.
constexpr UINT WM_PLAY_SE = WM_USER + 5;

// Sound-effect slots: 0..16 are the 17 system sounds, slot n + 16 is sound n of the sound
// database (n >= 1; entry 0 of the database stands for no sound).
constexpr int SYSTEM_SE_COUNT = 17;
constexpr int USER_SE_SLOT_OFFSET = 16;

// Plays system sound n (slot n), whatever n is; returns once the window thread has started it.
void PlaySysSe(int n);

// Plays database sound n (slot n + 16); n is taken as a signed 16-bit number and 0 plays
// nothing.
void PlayUserSe(int n);
