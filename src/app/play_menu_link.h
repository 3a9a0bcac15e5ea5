// Gives the play scene's menus and end of play what the program shell holds: the menu boxes
// with the cursor cell, the clear and game-over cells, the rankings hint, the status panel, the
// fade-out, the restart of a stage file, the scene change after play and the ranking positions.
#pragma once

#include <cstdint>

// Where the in-game menu (kind 0, with the enable flags of its four entries) or the
// retry-or-quit window (kind 1) centred on x at y goes, and where the cursor cell of a row is.
struct PlayMenuPlace {
  int x = 0;
  int y = 0;
  int nCursorX = 0;
  int nCursorY = 0;
};
PlayMenuPlace PlacePlayMenu(int nKind, const int32_t* lpEnable, int x, int y, int nRow);

void InstallPlayMenuLink();
