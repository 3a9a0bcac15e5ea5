// A character placed on the stage or summoned during play: its set-up from a placement, the
// boxes sized from the stage's settings, the steps that keep it inside the field (leaving the
// field removes or kills it), its act, its jump, its activity range and the drop item it
// carries. The list of them is walked by the play scene.
#pragma once

#include <cstdint>

#include "core/safe_container.h"
#include "engine/chara.h"
#include "engine/item.h"
#include "engine/object_list.h"

struct DDSURFACEDATA;

// The activation groups of a stage.
constexpr int ACT_GROUPS = 60;
// The drop-item icon shows for the last 32 frames of every 96.
constexpr int DROP_ICON_PERIOD = 96;
constexpr int DROP_ICON_FROM = 64;

class cStageChara : public cChara {
 public:
  // The body lies inside the character's activity range.
  int32_t m_bInRange = 0;
  // Kept by the appearance pass.
  int32_t m_bAppeared = 0;
  // The item handed to the hero when the character dies; its carried flag tells whether there
  // is one.
  cItem m_DropItem;
  int32_t m_nIconCount = 0;
  // The activity range ignores that axis.
  int32_t m_bFreeX = 0;
  int32_t m_bFreeY = 0;
  int32_t m_bActivated = 0;

  cStageChara() = default;
  cStageChara(const cStageChara& other) = default;
  cStageChara& operator=(const cStageChara&) = delete;

  void OnZoom(int nZoom) override;
  void UpdateHitX() override;
  void UpdateHitY() override;
  cItem* GetDropItem() override { return m_DropItem.m_bCarried ? &m_DropItem : nullptr; }
  int OnMoveX() override { return ClampX(2); }
  int OnMoveY() override { return ClampY(2); }
  int StepX() override;
  int StepY() override;
  int Act(int bDying) override;
  void StepJump(cCmdState& state) override;

  // Set-up from a placement (drop item may be null); lpCreator is handed to no one.
  void Place(int id, const cCharaData& def, const cItem* lpDrop, const int32_t placeValue[4], int16_t tag,
             cChara* lpCreator);
  // Position on the stage grid (column and row of the stage proper).
  void SetBlockXY(int column, int row);
  // Position by the top-left dot of the 32 x 32 cell the character stands in.
  void SetCellDotXY(int x, int y);
  // The activity range against the scene's activation-group flags; a group number beyond them
  // is no group.
  int UpdateInRange(cSafeVector<uint8_t>& flags);
  int TestActivation(cSafeVector<uint8_t>& flags);
  // Advances the drop-item icon by a frame: 1 when it is to be drawn in this frame.
  int StepDropIcon();
  // The drop item's blinking icon over the character.
  void DrawDropIcon(DDSURFACEDATA* surface);
};

// The stage characters and the items of the running stage.
extern cObjectList<cStageChara> g_lChara;
extern cObjectList<cItem> g_lItem;
