// The in-game menu, the retry-or-quit window, game over, the end-of-play display and the
// fade-out of the play scene: what they ask of the program shell (the menu boxes, the cursor
// cell, the banners, the status panel, the fade and the scene change live above the engine),
// and the menu's enabling rule.
#pragma once

#include <cstdint>

#include "core/safe_container.h"

// A null entry does nothing; the fade then counts as finished and a stage file counts as
// started, which is how the tests and the headless tool run the scene.
struct cPlayMenuLink {
  // Draws the in-game menu (kind 0: the four entries with their enable flags) or the
  // two-choice window (kind 1) centred on x at y, with the cursor cell on the given row of the
  // enabled entries.
  void (*lpfnDrawMenu)(int nKind, const int32_t* lpEnable, int x, int y, int nRow) = nullptr;
  // Draws a cell of the end of play: 0 the clear cell (split in while nShift > 0), 1 the game
  // over cell, 2 the hint for the rankings key.
  void (*lpfnDrawEndCell)(int nKind, int x, int y, int nShift) = nullptr;
  // The status panel with the ranking positions.
  void (*lpfnDrawStatusPanel)(int x, int y, const cSafeVector<int32_t>& vRank) = nullptr;
  // The title menu's rankings switch.
  int (*lpfnRankingsShown)() = nullptr;
  // One step of the fade toward black; 1 when finished (the back buffer is then cleared).
  int (*lpfnFadeOutStep)() = nullptr;
  // Starts the stage file again for free play; 1 on success.
  int (*lpfnStartGameFromFile)(const char* lpszPath) = nullptr;
  // Leaves play for the scene type: the frame rate 60, the previous scene type play; the
  // title menu opens on nTitleRow (-1: as it was).
  void (*lpfnChangeScene)(int nNext, int nTitleRow) = nullptr;
  // The position a value would take in ranking kind nKind (0..4) of the stage in play; -1 when it does not rank.
  int (*lpfnFindRankPos)(int nKind, int32_t nValue) = nullptr;
};
extern cPlayMenuLink g_PlayMenuLink;

// The enable flags of the four menu entries (title, resume, retry, world map) for a game mode
// from the system switches and whether the stage in play counts as cleared.
void GetPlayMenuEnable(int nGameMode, int bRetrySwitch, int bMapSwitch, int bCleared, int32_t lpEnable[4]);
// The entry number of the row-th enabled entry; an invalid row yields entry 0.
int GetPlayMenuEntry(int nRow, const int32_t lpEnable[4]);
