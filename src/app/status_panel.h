// The status panel the play engine draws at the end of a stage: a framed box with one row per
// result kind in use (label and value) and the rank icon on the row of each kind whose result
// entered its ranking.
#pragma once

#include <cstdint>
#include <string>

#include "app/ranking_window.h"
#include "core/safe_container.h"
#include "draw/surface_data.h"

struct StatusPanelLayout {
  bool bDraw = false;
  int nBoxX = 0;
  int nBoxY = 0;
  int nBoxWidth = 0;
  int nBoxHeight = 0;
  // Label and value of each shown row, in kind order.
  cSafeVector<RankingText> vText;
  // The rows' top edges that get the rank icon (at x).
  cSafeVector<int> vIconY;
};

// The result values by kind (score, remaining time, clear time, remaining HP, remaining SP), the
// kinds shown (non-zero entries) and the place each kind's result took (-1 none).
StatusPanelLayout MakeStatusPanel(int x, int y, const int32_t* lpValues, const int* lpShown,
                                  const cSafeVector<int32_t>& vRank);
// Draws the panel of the progress's last results at (x, y) with the second font: the kinds the
// working stage takes part in, and unless a stage file is played freely, that the game mode
// records.
void DrawStatusPanel(DDSURFACEDATA* lpDest, int x, int y, const cSafeVector<int32_t>& vRank);
