// An item in play: a placed item of the stage, the drop item a character carries, or the item
// of a block given on the spot. It holds its own copy of its definition.
#pragma once

#include <cstdint>

#include "defs/item_data.h"
#include "engine/object.h"

struct DDSURFACEDATA;

class cPlayer;

class cItem : public cObject {
 public:
  cItemData m_Data;
  // 1 for a character's drop item: active from the start and never zoomed.
  int32_t m_bCarried = 0;
  // Out of play for the time being: neither drawn nor picked up (unlike a transparent item,
  // which is only not drawn).
  int32_t m_bHidden = 0;

  void ReanchorY(int nNew, int nOld) override;

  // Set-up from a definition: body of the stage's item size centred in a 32 × 32 cell, free
  // vertical, facing left.
  void SetData(int id, const cItemData& def, int carried);
  // Places the item on a stage cell (column and row of the stage proper).
  void SetTilePos(int column, int row);
  // Position by the top-left dot of the 32 x 32 cell the item stands in.
  void SetCellDotPos(int x, int y);
  // The item's cell at its screen rectangle, stepping its animation unless held, and its mark.
  void Draw(DDSURFACEDATA* surface, int hold);
};

// Gives an item to the hero: 0 without effect for a missing item, graphic 0, the rule "never
// taken" or an inactive item; otherwise the pop-up, the sound and the result of its command
// list (1 the stage ends, 2 the hero dies).
int TakeItem(cItem* item, cPlayer& hero);
