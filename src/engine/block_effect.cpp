#include <algorithm>

#include "core/sound_request.h"
#include "defs/def_context.h"
#include "defs/item_data.h"
#include "engine/item.h"
#include "engine/map_grid.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/stage_chara.h"
#include "project/common_palette.h"
#include "project/system_data.h"

namespace {

// The sound of a jump chip.
constexpr int JUMP_CHIP_SOUND = 10;
constexpr int BLOCK_ITEM_WAIT_FRAMES = 60;

// The chip under the feet when it is solid or deadly for the layer; null otherwise.
MapChip* StandingChip(cChara& chara) {
  MapChip* chip = chara.m_lpFloor;
  if (!chip) return nullptr;
  int hit = chip->GetHitType(chara.m_nLayer);
  return hit == 1 || hit == 2 ? chip : nullptr;
}

bool BlockCondsHold(MapChip& chip) {
  if (chip.m_vCond.empty()) return true;
  return !g_DefContext.lpfnCheckBlockConds || g_DefContext.lpfnCheckBlockConds(chip) != 0;
}

// The empty block: entry 0 of the common palette.
MapChip EmptyChip() {
  if (!g_CommonPalette.m_vBlock.empty()) return MapChip(g_CommonPalette.m_vBlock[0]);
  cBlockData empty;
  empty.m_wGraphic = 0;
  empty.m_byHit = 0;
  return MapChip(empty);
}

bool Covers(const cObject& o, double x0, double y0, double x1, double y1) {
  return o.m_dX <= x1 && o.m_dFarX >= x0 && o.m_dY <= y1 && o.m_dFarY >= y0;
}

bool SolidFor(MapChip& chip, int layer) {
  int hit = chip.GetHitType(layer);
  return hit == 1 || hit == 2;
}

}  // namespace

int cPlayScene::ApplyBlockEffect(cPlayer& hero) {
  if (hero.m_bFree) return 0;
  int k = SubSteps();
  MapChip* chip = hero.m_nBlockEffectTimer == 0 ? StandingChip(hero) : nullptr;
  if (chip) {
    int value = chip->m_nEffectX;
    switch (chip->m_byEffect) {
      case 1:
        PlaySysSe(JUMP_CHIP_SOUND);
        hero.m_dVY = hero.JumpSpeedForHbl(value);
        hero.m_bJumping = 1;
        break;
      case 2:
        hero.m_bNoJump = 1;
        break;
      case 3:
        hero.m_nBlockEffect = 3;
        hero.m_dBlockEffect = value * 0.01;
        hero.m_nBlockEffectTimer = k;
        break;
      case 4:
      case 5:
        hero.m_nBlockEffect = chip->m_byEffect;
        hero.m_dBlockEffect = value * 0.1 / k;
        hero.m_nBlockEffectTimer = k;
        break;
      default:
        break;
    }
    if (chip->m_byEffect != 2) hero.m_bNoJump = 0;
  }
  if (hero.m_nBlockEffectTimer != 0) {
    switch (hero.m_nBlockEffect) {
      case 3:
        hero.m_dVX *= hero.m_dBlockEffect;
        break;
      case 4:
        hero.m_dVX -= hero.m_dBlockEffect;
        if (hero.m_dAX > 0) hero.m_dAX = 0;
        break;
      case 5:
        hero.m_dVX += hero.m_dBlockEffect;
        if (hero.m_dAX < 0) hero.m_dAX = 0;
        break;
      default:
        break;
    }
    if (--hero.m_nBlockEffectTimer == 0 && hero.m_dVY >= 0) hero.m_dVY += 1;
  }
  return 0;
}

int cPlayScene::TakeBlockItem(cPlayer& hero) {
  if (hero.m_bFree) return 0;
  bool given = false;
  MapChip* chip = hero.m_nBlockItemWait == 0 ? StandingChip(hero) : nullptr;
  if (chip && chip->m_byItemKind != 0) {
    if (const cItemData* def = GetPaletteItem(chip->m_byItemKind, chip->m_wItemIndex)) {
      cItem item;
      item.SetData(0, *def, 0);
      item.m_bActive = 1;
      int r = TakeItem(&item, hero);
      if (r != 0) return r;
      given = true;
      hero.m_nBlockItemWait = SubSteps() * BLOCK_ITEM_WAIT_FRAMES;
    }
  }
  if (hero.m_nBlockItemWait != 0) {
    if (hero.m_bAirborne) {
      hero.m_nBlockItemWait = 0;
    } else {
      if (hero.m_nBlockItemWait > 0) --hero.m_nBlockItemWait;
      if (!given && StandingChip(hero) && hero.m_lpLastFloor != hero.m_lpPrevLastFloor) {
        hero.m_nBlockItemWait = 0;
        if (hero.m_dVY >= 0) hero.m_dVY += 1;
      }
    }
  }
  return 0;
}

void cPlayScene::SummonBlock(double x, double y, const cSummonBlockParams& params, const cBlockData& block) {
  int column = TruncPos(x + 16.5) >> 5;
  int row = TruncPos(y + 16.5) >> 5;
  // A column beyond the row would wrap into the next row.
  if (column < 0 || row < 0 || column >= m_ScrollX.m_nPitch || row >= m_ScrollY.m_nCells) return;
  long long index = column + (static_cast<long long>(row) << m_ScrollX.m_nShift);
  if (index >= static_cast<long long>(g_MapGrid.size())) return;
  int cell = static_cast<int>(index);
  MapChip& chip = g_MapGrid[cell];
  // The protection byte of a chip is its extra byte.
  if (g_SystemData.m_bLegacy637) {
    if (chip.m_byExtra) return;
  } else if (chip.m_wGraphic != 0 && chip.m_byExtra && BlockCondsHold(chip)) {
    return;
  }
  int mode = params.nMode;
  if (mode == 2) {
    if (std::find(m_vToggledCells.begin(), m_vToggledCells.end(), cell) != m_vToggledCells.end()) return;
    mode = chip.m_wGraphic != 0 && BlockCondsHold(chip) ? 1 : 0;
    m_vToggledCells.push_back(cell);
  }
  if (mode == 1) {
    chip = EmptyChip();
    chip.m_bConditionLatch = 0;
  } else if (mode == 0) {
    MapChip old = chip;
    chip = MapChip(block);
    chip.m_bConditionLatch = 0;
    int covered = FlagBlockOverlaps(cell, column, row, params);
    if (covered && (params.bCheckHero || params.bCheckCharas)) g_MapGrid[cell] = old;
  }
}

int cPlayScene::FlagBlockOverlaps(int cell, int column, int row, const cSummonBlockParams& params) {
  MapChip& chip = g_MapGrid[cell];
  double x0 = column * 32.0;
  double y0 = row * 32.0;
  double x1 = x0 + 32 - 0.1;
  double y1 = y0 + 32 - 0.1;
  int result = 0;
  if (!g_vPlayer.empty()) {
    cPlayer& hero = g_vPlayer[0];
    if (!hero.m_bDead && SolidFor(chip, hero.m_nLayer) && Covers(hero, x0, y0, x1, y1)) {
      hero.m_nModeCountdown = 2;
      if (params.bCheckHero) result = 1;
    }
  }
  g_lChara.ForEach([&](cStageChara& c) {
    if (c.m_bDead || !c.m_bActive) return;
    if (SolidFor(chip, c.m_nLayer) && Covers(c, x0, y0, x1, y1)) {
      c.m_nModeCountdown = 2;
      if (params.bCheckCharas) result = 1;
    }
  });
  return result;
}
