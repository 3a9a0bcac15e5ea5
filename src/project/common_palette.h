// The common palette: the block, character and item definitions that every stage of the game
// shares (palette kind 1), read once at start-up from "data\CommonPalette.cplt4".
//
// File: the int32 data version, a record body without fields or texts, then the block, the
// character and the item list, each a uint32 count and the entries. No trailer.
#pragma once

#include <cstdio>

#include "core/save_record.h"
#include "defs/block_data.h"
#include "defs/chara_data.h"
#include "defs/item_data.h"

class cCommonPalette : public cSaveRecord {
 public:
  cSafeVector<cBlockData> m_vBlock;
  cSafeVector<cCharaData> m_vChara;
  cSafeVector<cItemData> m_vItem;

  // One default entry in each list.
  cCommonPalette();
  cCommonPalette(const cCommonPalette&) = default;
  cCommonPalette& operator=(const cCommonPalette&) = default;

  // Reads the three lists (entries of kind 1 inherit from this palette as it is being read),
  // forces the fixed default entry 0 of each list that is not empty, clears every entry's
  // inheritance flags (entries of the common palette never inherit later), then Normalize.
  void Load(FILE* fp) override;
  // Normalize, then the three lists.
  void Save(FILE* fp) override;
  // Fills each list up to two entries and repairs every entry's references against this
  // palette and the stage palette.
  void Normalize();

  // Shows this palette to the definitions as the common palette (palette kind 1).
  void SetDefContext() const;
};

// The common palette of the game.
extern cCommonPalette g_CommonPalette;
