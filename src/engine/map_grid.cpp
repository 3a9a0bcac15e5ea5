#include "engine/map_grid.h"

#include "engine/object.h"
#include "engine/scroll.h"
#include "project/stage.h"

void BuildMapGrid(const cStage& stage, const cScroll& scrollX, const cScroll& scrollY) {
  // The empty block: no graphic, so it has no collision.
  cBlockData empty;
  empty.m_wGraphic = 0;
  empty.m_byHit = 0;
  MapChip emptyChip(empty);
  size_t rows = scrollY.m_nCells > 0 ? static_cast<size_t>(scrollY.m_nCells) : 0;
  size_t pitch = scrollX.m_nPitch > 0 ? static_cast<size_t>(scrollX.m_nPitch) : 0;
  g_MapGrid.assign(rows * pitch, emptyChip);
  for (const cBlockData& block : stage.m_vPlacedBlock) {
    int x = block.m_wHeadA;
    int y = block.m_wHeadB;
    if (x >= stage.m_nWidth || y >= stage.m_nHeight) continue;
    size_t index = (static_cast<size_t>(y + MAP_MARGIN) << scrollX.m_nShift) + static_cast<size_t>(x + MAP_MARGIN);
    MapChip chip(block);
    chip.m_bConditionLatch = 0;
    g_MapGrid[index] = chip;
  }
}
