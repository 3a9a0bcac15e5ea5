// Item definitions: the palette entry of an item, with the commands run on the hero when the
// item is taken.
#pragma once

#include <cstdint>
#include <cstdio>

#include "defs/flow_cmd.h"
#include "defs/palette_entry.h"

class cItemData : public cPaletteEntry {
 public:
  // The number of inheritance groups.
  static constexpr int GROUP_COUNT = 13;

  // Carried through load, save, copy and inheritance.
  uint16_t m_wAttrA = 0;
  uint16_t m_wAttrB = 0;
  // Graphic cell index, source (as for blocks; 2 the item sheet) and second graphic value.
  int16_t m_wGraphic = 0;
  uint8_t m_byGraphicKind = 2;
  uint16_t m_wGraphicSub = 0;
  // Layer value, carried like the Z of blocks and characters.
  uint8_t m_byZ = 6;
  // Not 0 = the item is not drawn.
  uint8_t m_bTransparent = 0;
  // 1 = the mark m_wMark (0..119) is drawn over the item.
  uint8_t m_byShowMark = 0;
  int16_t m_wMark = 0;
  // 0 taken once, 1 taken any number of times, 2 never taken.
  uint8_t m_byTakeRule = 0;
  // Taking the item shows its graphic as a pop-up.
  uint8_t m_bTakePopup = 1;
  // Enlargement 1..10 of the item object.
  int8_t m_byZoom = 1;
  // Sound played when the item is taken (a Sound database index; 0 none).
  int16_t m_wSound = 0;
  // The commands run on the hero when the item is taken (item-list kinds).
  cSafeVector<cFlowCmd> m_vCmd;

  cItemData();

  // The registered fields and name to zero and empty, then the defaults; the flag list becomes
  // 13 zero flags. The conditions, the commands and the raw head values are kept.
  void Clear();

  void RegisterFields(int version) override;
  // The head, the commands, the graphic fix-up of older files, inheritance, Validate, and the
  // clamp of the zoom (1..10) and the mark (0..119), logged.
  void Load(FILE* fp) override;
  void Save(FILE* fp) override;

  // Inherits the flagged groups from the item palettes.
  void ApplyPalette();
  // Repairs the inheritance reference against the item palettes; zoom 0 or less becomes 1; a
  // sound beyond the Sound list becomes 0; the conditions and every command are validated.
  void Validate();
  // The palette references of every command.
  void ValidatePalette();

 private:
  void SetDefaults();
};

// The item entry of palette kind 1 (the common palette) or 2 (the working stage's palette) at
// index; null for any other kind or an index outside the list.
const cItemData* GetPaletteItem(int kind, int16_t index);
