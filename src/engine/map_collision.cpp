// The map-chip collision of the hero and the stage characters: the chips along the edges of
// the body are tested after each axis of motion; a solid chip pushes the body to the cell
// edge and stops it, a deadly one kills the hero.
#include <algorithm>
#include <cstdlib>

#include "engine/chara.h"
#include "engine/map_grid.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/stage_chara.h"
#include "project/stage.h"
#include "project/system_data.h"

namespace {

constexpr int HIT_PASS = 0;
constexpr int HIT_SOLID = 1;
constexpr int HIT_DEADLY = 2;
constexpr int DEADLY = 2;

bool PassesBlocks(const cObject& o) { return o.m_bFree && o.m_byBlockMode == 0; }
bool DiesOnBlocks(const cObject& o) { return o.m_bFree && o.m_byBlockMode == 2; }
// A deadly chip is solid to a computer-controlled character.
bool IsSolidFor(int type, const cObject& o) { return type == HIT_SOLID || (type == HIT_DEADLY && o.m_nKind == 1); }

}  // namespace

int cPlayScene::CellIndex(int column, int row) const {
  int pitch = m_ScrollX.m_nPitch;
  int rows = m_ScrollY.m_nCells;
  if (column < 0) column = 0;
  if (column > pitch - 1) column = pitch - 1 < 0 ? 0 : pitch - 1;
  if (row < 0) row = 0;
  if (row > rows - 1) row = rows - 1 < 0 ? 0 : rows - 1;
  return column + (row << m_ScrollX.m_nShift);
}

int cPlayScene::CellAtDot(long long x, long long y) const {
  auto cell = [](long long v) { return static_cast<int>(std::clamp<long long>(v >> 5, -1, 1 << 30)); };
  return CellIndex(cell(x), cell(y));
}

MapChip& cPlayScene::Chip(int index) { return g_MapGrid.CheckedAt(index); }

int cPlayScene::HitType(int index, int layer) { return Chip(index).GetHitType(layer); }

int cPlayScene::PickEdgeCell(cObject& o, int x1, int y1, int x2, int y2) {
  if (o.m_nZoom < 0) return 0;
  int n = o.m_nZoom + 1;
  if (x1 == x2) {
    long long step = o.m_nBaseHeight - 1;
    int best = CellAtDot(x1, y1);
    int bestType = HitType(best, o.m_nLayer);
    for (int i = 1; i < n; ++i) {
      int cell = CellAtDot(x1, y1 + i * step);
      int t = HitType(cell, o.m_nLayer);
      if (t > bestType) {
        best = cell;
        bestType = t;
      }
    }
    return best;
  }
  if (y1 == y2) {
    long long step = o.m_nBaseWidth - 1;
    long long m = (static_cast<long long>(x1) + x2) >> 1;
    int best = CellAtDot(x1, y1);
    int bestType = HitType(best, o.m_nLayer);
    long long bestDist = std::llabs(x1 - m);
    for (int i = 1; i < n; ++i) {
      long long px = x1 + i * step;
      int cell = CellAtDot(px, y1);
      int t = HitType(cell, o.m_nLayer);
      long long dist = std::llabs(px - m);
      if (t > bestType || (t == bestType && dist < bestDist)) {
        best = cell;
        bestType = t;
        bestDist = dist;
      }
    }
    return best;
  }
  return 0;
}

int cPlayScene::PickHeroFloorCell(cObject& o) {
  int count = (o.m_nZoom & 1) ? o.m_nZoom + 2 : o.m_nZoom + 1;
  // Fewer than two probes (a zoom below 1) would leave nothing to divide the width by.
  if (count < 2) count = 2;
  long long step = o.m_nWidth / (count - 1);
  long long x0 = TruncPos(o.m_dX);
  long long x1 = TruncPos(o.m_dFarX);
  int y = TruncPos(o.m_dFarY);
  long long m = (x0 + x1) >> 1;
  int best = -1;
  int bestType = 0;
  long long bestDist = 0;
  for (int i = 0; i < count; ++i) {
    long long px = i == count - 1 ? x1 : x0 + i * step;
    int cell = CellAtDot(px, y);
    int t = HitType(cell, o.m_nLayer);
    long long dist = std::llabs(px - m);
    if (best < 0 || t > bestType || (t == bestType && dist < bestDist)) {
      best = cell;
      bestType = t;
      bestDist = dist;
    }
  }
  return best;
}

int cPlayScene::PickCornerCell(int x0, int y0, int x1, int y1, int layer) {
  const int cells[4] = {CellIndex(x0, y0), CellIndex(x1, y0), CellIndex(x0, y1), CellIndex(x1, y1)};
  int best = cells[0];
  int bestType = HitType(best, layer);
  for (int i = 1; i < 4; ++i) {
    int t = HitType(cells[i], layer);
    if (t > bestType) {
      best = cells[i];
      bestType = t;
    }
  }
  return best;
}

namespace {

// The side test on the column of one edge of the body: a solid chip pushes the body out to
// the cell boundary (the part of x below one dot stays), stops its thrust and fires the keys
// of that side (11 left, 12 right).
int HitSide(cPlayScene& scene, cChara& c, int right) {
  if (PassesBlocks(c)) return 0;
  int x = TruncPos(right ? c.m_dFarX : c.m_dX);
  int t = scene.HitType(scene.PickEdgeCell(c, x, TruncPos(c.m_dY), x, TruncPos(c.m_dFarY)), c.m_nLayer);
  if (t == HIT_PASS) return 0;
  if (!IsSolidFor(t, c)) return DEADLY;
  if (DiesOnBlocks(c)) return DEADLY;
  if (right) {
    c.m_bPressRight = 1;
    c.m_dX -= (x & 31) + 1;
  } else {
    c.m_bPressLeft = 1;
    c.m_dX += 32 - (x & 31);
  }
  c.m_dAX = 0;
  c.OnMoveX();
  c.m_nWallSide = right;
  c.FireEvent(9);
  c.FireEvent(10);
  c.FireEvent(right ? 12 : 11);
  return 0;
}

}  // namespace

int cPlayScene::HitLeft(cChara& c) { return HitSide(*this, c, 0); }
int cPlayScene::HitRight(cChara& c) { return HitSide(*this, c, 1); }

int cPlayScene::MoveMapX(cChara& c) {
  if (PassesBlocks(c)) return 0;
  if (c.m_bFree && c.m_byBlockMode == 1) {
    if (HitRight(c) == DEADLY) return DEADLY;
    return HitLeft(c) == DEADLY ? DEADLY : 0;
  }
  if (c.m_dVX > 0) {
    if (HitRight(c) == DEADLY) return DEADLY;
    return HitLeft(c);
  }
  if (HitLeft(c) == DEADLY) return DEADLY;
  return HitRight(c);
}

int cPlayScene::CeilingTest(cChara& c) {
  int y = TruncPos(c.m_dY);
  int t = HitType(PickEdgeCell(c, TruncPos(c.m_dX), y, TruncPos(c.m_dFarX), y), c.m_nLayer);
  if (t == HIT_PASS) return 0;
  if (!IsSolidFor(t, c)) return DEADLY;
  if (DiesOnBlocks(c)) return DEADLY;
  c.BumpCeiling();
  return 0;
}

int cPlayScene::HitCeiling(cChara& c) {
  if (PassesBlocks(c)) return 0;
  return CeilingTest(c);
}

// -1: a rising body passes up through the floor chip (the re-test then skips the ceiling).
int cPlayScene::FloorTest(cChara& c, int bCount) {
  int y = TruncPos(c.m_dFarY);
  int cell = PickEdgeCell(c, TruncPos(c.m_dX), y, TruncPos(c.m_dFarX), y);
  MapChip* chip = &Chip(cell);
  int t = chip->GetHitType(c.m_nLayer);
  if (t == HIT_PASS) {
    if (!bCount) return 0;
    c.m_lpFloor = nullptr;
    if (++c.m_nAirCount >= g_StageData.m_nAirborneSteps) {
      if (c.m_nKind != 0) {
        c.m_bAirborne = 1;
      } else if (!c.m_bRiding) {
        if (cPlayer* hero = dynamic_cast<cPlayer*>(&c)) hero->m_bJumpReady = 1;
        c.m_bAirborne = 1;
      }
    }
    return 0;
  }
  c.m_lpFloor = chip;
  if (t == HIT_DEADLY) {
    c.m_lpLastFloor = chip;
    if (c.m_nKind != 1) return DEADLY;
  }
  if (DiesOnBlocks(c)) return DEADLY;
  if (!g_SystemData.m_bLegacy677 && !c.m_bFree && c.m_dVY < 0) return -1;
  if (t == HIT_SOLID && c.m_nKind == 0) c.m_lpFloor = &Chip(PickHeroFloorCell(c));
  c.m_lpLastFloor = c.m_lpFloor;
  c.Land();
  return 0;
}

int cPlayScene::HitFloor(cChara& c) {
  if (PassesBlocks(c)) return 0;
  int r = FloorTest(c, 1);
  return r < 0 ? 0 : r;
}

int cPlayScene::MoveMapY(cChara& c) {
  if (PassesBlocks(c)) return 0;
  c.m_lpFloor = nullptr;
  bool floorFirst = (c.m_bFree && c.m_byBlockMode == 1) || c.m_dVY > 0;
  if (floorFirst) {
    if (HitFloor(c) == DEADLY) return DEADLY;
    return HitCeiling(c);
  }
  if (HitCeiling(c) == DEADLY) return DEADLY;
  return HitFloor(c);
}

int cPlayScene::RetestX(cChara& c) {
  if (PassesBlocks(c)) return 0;
  int right = HitRight(c);
  int left = HitLeft(c);
  return right == DEADLY || left == DEADLY ? DEADLY : 0;
}

int cPlayScene::RetestY(cChara& c) {
  if (PassesBlocks(c)) return 0;
  int r = FloorTest(c, 0);
  if (r == DEADLY) return DEADLY;
  if (r < 0) return 0;
  return CeilingTest(c);
}

void cPlayScene::ScreenEdgeX(cChara& hero) {
  if (!m_ScrollX.m_bAuto && !hero.m_bFree) return;
  hero.CalcScreenRect();
  if (hero.m_rcScreen.left + hero.m_nGraphicX < 0) {
    hero.m_bPressLeft = 1;
    hero.m_dX = m_ScrollX.m_dPos;
    hero.OnMoveX();
  } else if (hero.m_rcScreen.right - hero.m_nGraphicX + 1 >= VIEW_WIDTH) {
    hero.m_bPressRight = 1;
    hero.m_dX = m_ScrollX.m_dPos + VIEW_WIDTH - hero.m_nWidth - 1;
    hero.OnMoveX();
  }
}

int cPlayScene::ScreenEdgeY(cChara& hero) {
  if (!m_ScrollY.m_bAuto && !hero.m_bFree) return 0;
  hero.CalcScreenRect();
  if (hero.m_rcScreen.top + hero.m_nGraphicY < 0) {
    hero.m_bPressTop = 1;
    hero.m_dY = m_ScrollY.m_dPos;
    hero.OnMoveY();
  } else if (hero.m_rcScreen.bottom - hero.m_nGraphicY + 1 >= VIEW_HEIGHT) {
    hero.m_bPressBottom = 1;
    hero.m_dY = m_ScrollY.m_dPos + VIEW_HEIGHT - hero.m_nHeight - 1;
    hero.OnMoveY();
    if (!hero.m_bFree) return DEADLY;
  }
  return 0;
}

int cPlayScene::IsPlaceBlocked(cObject& o) {
  if (PassesBlocks(o)) return 0;
  if (HitType(PickCornerCell(o.m_nCellX, o.m_nCellY, o.m_nFarCellX, o.m_nFarCellY, o.m_nLayer), o.m_nLayer) != 0)
    return 1;
  const cBoxGrid::Box body = {o.m_dX, o.m_dY, o.m_dFarX, o.m_dFarY};
  cChara* block = m_BlockCharas.FindTouching(g_lChara, m_nSubStepCount, body, [&](cStageChara& c) {
    return c.m_Data.m_bBlockChara && c.m_bActive && !c.m_bDead && &c != &o && c.m_dX <= o.m_dFarX &&
           o.m_dX <= c.m_dFarX && c.m_dY <= o.m_dFarY && o.m_dY <= c.m_dFarY;
  });
  return block ? 1 : 0;
}

// The character's side of the collision.

void cChara::Land() {
  m_dVY = 0;
  m_dAY = 0;
  m_bPressBottom = 1;
  m_nAirCount = 0;
  m_bAirborne = 0;
  m_bJumpStartA = m_bJumpStartB = 0;
  m_bKnocked = 0;
  if (m_nKind != 0) m_bJumping = 0;
  m_dY -= (TruncPos(m_dFarY) & 31) + 1;
  OnMoveY();
  FireEvent(9);
  FireEvent(13);
  FireEvent(15);
}

void cChara::BumpCeiling() {
  m_bJumpStartA = m_bJumpStartB = 1;
  m_bPressTop = 1;
  m_bJumping = 1;
  m_dVY = 0;
  m_dAY = 0;
  if (!g_SystemData.m_bLegacy781) m_dKnockY = 0;
  m_dY += 32 - (TruncPos(m_dY) & 31);
  OnMoveY();
  FireEvent(9);
  FireEvent(13);
  FireEvent(14);
}

bool cChara::IsOnGround() { return (m_lpFloor && m_lpFloor->GetHitType(m_nLayer) != 0) || m_bRiding; }

void cChara::ApplyGravity() {
  if (m_bFree || m_bRiding || m_bGravityHold || m_dKnockY < 0) return;
  m_dVY += g_StageData.m_dGravityStep;
}
