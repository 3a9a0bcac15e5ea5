// The map grid of the running stage: one run-time chip per cell of the stage and its margin
// of 10 cells, row by row with a row pitch that is a power of two.
#pragma once

#include "core/safe_container.h"
#include "defs/block_data.h"

class cStage;
class cScroll;

extern cSafeVector<MapChip> g_MapGrid;

// Sizes the grid to (height + 20) rows of the horizontal axis's pitch, every chip an empty
// block that passes, and copies each block placed on the stage into its cell. Placements
// outside the stage are left out.
void BuildMapGrid(const cStage& stage, const cScroll& scrollX, const cScroll& scrollY);
