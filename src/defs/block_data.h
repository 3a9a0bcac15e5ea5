// Block definitions: the palette entry of a map chip of 32 × 32 dots, and the run-time record
// of one cell of the running stage (MapChip).
#pragma once

#include <cstdint>
#include <cstdio>

#include "defs/palette_entry.h"

struct DDSURFACEDATA;

class cBlockData : public cPaletteEntry {
 public:
  // The number of inheritance groups.
  static constexpr int GROUP_COUNT = 11;

  // Graphic cell index; 0 = the block has no graphic.
  uint16_t m_wGraphic = 0;
  // Graphic source: 0 block chips, 1 character sheets, 2 items, 3 shots, 4 a dedicated bitmap.
  uint8_t m_byGraphicKind = 0;
  // Second graphic value of the graphic lookup.
  uint16_t m_wGraphicSub = 0;
  // Drawing layer: the chip is drawn in the pass of this layer.
  uint8_t m_byZ = 0;
  // Not 0 = not drawn during play.
  uint8_t m_bTransparent = 0;
  // Mark display: 0 no, 1 yes, 2 in the editor only.
  uint8_t m_byShowMark = 0;
  // Mark cell: column mark ÷ 15, row mark mod 15 of the mark sheet.
  uint16_t m_wMark = 0;
  // Collision: 0 none, 1 solid, 2 the hero dies on contact.
  uint8_t m_byHit = 1;
  // The collision layer that passes through the block; -1 none.
  int8_t m_cExemptLayer = -1;
  // Effect on a character standing on it: 0 none, 1 jump, 2 no jump, 3 speed, 4 push left,
  // 5 push right; m_nEffectX is its value.
  uint8_t m_byEffect = 0;
  int32_t m_nEffectX = 0;
  // Item held: 0 none, 1 the common palette, 2 the stage palette, and its index there.
  uint8_t m_byItemKind = 0;
  int16_t m_wItemIndex = 0;
  // Carried through load, save, copy and inheritance; cleared with m_byHit without a graphic.
  uint8_t m_byExtra = 0;

  cBlockData();

  // The registered fields and name to zero and empty, then the defaults; the flag list becomes
  // 11 zero flags. The conditions and the raw head values are kept.
  void Clear();

  void RegisterFields(int version) override;
  void Load(FILE* fp) override;
  void Save(FILE* fp) override;

  // Inherits the flagged groups from the block palettes.
  void ApplyPalette();
  // Repairs the inheritance reference against the block palettes and validates the
  // conditions; a block without a graphic has no collision and no extra byte.
  void Validate();
  // An item reference of kind 1 or 2 beyond that item palette: kind and index become 0.
  void ValidateItemRef();

  // Draws the block at (x, y): its 32 × 32 graphic cell and, when its mark is shown, the mark
  // cell over it. It draws from the play's sheets, so it is built with the play engine's
  // graphic lookup (engine/chara_anim.cpp).
  void DrawIcon(DDSURFACEDATA* surface, int x, int y) const;

 private:
  void SetDefaults();
};

// One cell of the running stage: a copy of the cell's block definition and the latch of its
// appearance conditions.
class MapChip : public cBlockData {
 public:
  // Set once the appearance conditions held (0 at set-up).
  uint8_t m_bConditionLatch = 0;

  MapChip() = default;
  explicit MapChip(const cBlockData& block) : cBlockData(block) {}

  // The collision attribute for an object of collision layer layer: 0 when the chip has
  // appearance conditions and the play scene's test says it is absent, 0 when the layer is the
  // chip's exempt layer, else m_byHit (0 pass, 1 solid, 2 deadly).
  int GetHitType(int layer);
};
