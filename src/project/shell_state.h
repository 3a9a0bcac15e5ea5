// What the application shell decides about the play in progress, read by the progress and
// replay code: the game mode and play mode the title menu chose, free play of a stage file and
// test play; and the requests a game-side thread makes of the window thread, whose done and
// result flags it polls. The shell's scene manager keeps its game mode and play mode under
// these names.
#pragma once

#include <atomic>

#include "platform/wintypes.h"

// Game modes: the per-mode lists of the system settings are indexed by them.
enum eGameMode { GAMEMODE_STORY = 0, GAMEMODE_CHALLENGE = 1, GAMEMODE_FREE = 2, GAMEMODE_REPLAY = 3 };
// Play modes: the title-menu entry chosen last.
enum ePlayMode {
  PLAYMODE_NEW_GAME = 0,
  PLAYMODE_CONTINUE = 1,
  PLAYMODE_CHALLENGE = 2,
  PLAYMODE_FREE_STAGE = 3,
  PLAYMODE_REPLAY = 4,
  PLAYMODE_OPTIONS = 5
};

extern int g_nGameMode;
extern int g_nPlayMode;
// Play was started from a stage file (the configuration's FreeStage or the command line).
extern int g_bFreePlay;
// The program was started by the editing program for test play.
extern int g_bTestPlay;

// The requests to the main window that the window thread answers by setting the result and
// then the done flag: open a stage file for free play, load a replay (both wParam 0), save the
// replay of the current (wParam 0) or of the previous attempt (wParam 1).
constexpr UINT WM_REQUEST_OPEN_STAGE = WM_USER + 2;
constexpr UINT WM_REQUEST_LOAD_REPLAY = WM_USER + 3;
constexpr UINT WM_REQUEST_SAVE_REPLAY = WM_USER + 4;

extern std::atomic<int> g_bRequestDone;
extern std::atomic<int> g_nRequestResult;

// The requester's side: clears the done flag, sends the request to the main window (g_hWnd)
// and sleeps 1 ms at a time until the done flag is set; returns the result flag. When the main
// window is gone before it answered, 0.
int SendWindowRequest(UINT msg, WPARAM wParam);
// The window thread's side, at the end of its handler: the result flag, then the done flag.
void AnswerWindowRequest(int result);
