#include "script/cmd_warp.h"

#include <cmath>

#include "defs/ed_move.h"
#include "defs/flow_cmd.h"
#include "engine/chara.h"
#include "engine/play_scene.h"
#include "project/global_data.h"
#include "project/replay.h"
#include "project/shell_state.h"
#include "project/system_data.h"
#include "script/key_cond.h"
#include "ui/input.h"

namespace {

enum eWarpMode { WARP_BY_DIRECTION = 0, WARP_FROM_TARGET1 = 1, WARP_FROM_TARGET4 = 4, WARP_TO_POINT = 5 };
enum eWarpCoord { COORD_RELATIVE = 0, COORD_GRID = 1, COORD_SCREEN = 2 };
enum eDirection {
  DIR_FRONT = 0,
  DIR_BACK = 1,
  DIR_LEFT = 2,
  DIR_RIGHT = 3,
  DIR_FRONT_Y = 4,
  DIR_BACK_Y = 5,
  DIR_UP = 6,
  DIR_DOWN = 7,
  DIR_UP_LEFT = 8,
  DIR_DOWN_LEFT = 9,
  DIR_UP_RIGHT = 10,
  DIR_DOWN_RIGHT = 11,
  DIR_INPUT = 12,
};

// Player 1's direction held now (0 none).
int HeldDirection() { return g_vInput.empty() ? 0 : GetHeldDirection(g_vInput[0]); }

// The direction of a warp judged by a character (the acting one, or the target it warps from):
// with the warp switch set, a character that is not flying warps sideways instead of
// diagonally.
int WarpDirection(int code, const cChara& by) {
  int d = by.ResolveDirectionCode(code, HeldDirection());
  if (g_SystemData.m_bLegacy721 && !by.m_bFree) {
    if (d == DIR_UP_LEFT || d == DIR_DOWN_LEFT) d = DIR_LEFT;
    if (d == DIR_UP_RIGHT || d == DIR_DOWN_RIGHT) d = DIR_RIGHT;
  }
  return d;
}

// The offset of a direction at distance d; false for a code that moves nowhere.
bool DirectionOffset(int dir, double d, double& dx, double& dy) {
  const double diag = d / std::sqrt(2.0);
  switch (dir) {
    case DIR_LEFT: dx = -d, dy = 0; return true;
    case DIR_RIGHT: dx = d, dy = 0; return true;
    case DIR_UP: dx = 0, dy = -d; return true;
    case DIR_DOWN: dx = 0, dy = d; return true;
    case DIR_UP_LEFT: dx = -diag, dy = -diag; return true;
    case DIR_DOWN_LEFT: dx = -diag, dy = diag; return true;
    case DIR_UP_RIGHT: dx = diag, dy = -diag; return true;
    case DIR_DOWN_RIGHT: dx = diag, dy = diag; return true;
    default: return false;
  }
}

void MoveBy(cChara& c, int dir, double d) {
  double dx = 0;
  double dy = 0;
  if (!DirectionOffset(dir, d, dx, dy)) return;
  if (dir != DIR_UP && dir != DIR_DOWN) {
    c.m_dX += dx;
    c.OnMoveX();
  }
  if (dir != DIR_LEFT && dir != DIR_RIGHT) {
    c.m_dY += dy;
    c.OnMoveY();
  }
}

// Next to a target: the graphic centres made equal, then moved by the distance.
void MoveFromTarget(cChara& c, const cChara& t, int dir, double d) {
  double dx = 0;
  double dy = 0;
  if (DirectionOffset(dir, d, dx, dy)) {
    const double x0 = t.m_dX - t.m_nGraphicX + (t.m_nGraphicW / 2) + c.m_nGraphicX - (c.m_nGraphicW / 2);
    const double y0 = t.m_dY - t.m_nGraphicY + (t.m_nGraphicH / 2) + c.m_nGraphicY - (c.m_nGraphicH / 2);
    c.m_dX = x0 + dx;
    c.m_dY = y0 + dy;
  }
  c.OnMoveX();
  c.OnMoveY();
}

void MoveToPoint(cChara& c, const cEdMove& m) {
  double gx = m.m_sGoalXDots + m.m_sGoalXBlocks * CELL_DOTS;
  double gy = m.m_sGoalYDots + m.m_sGoalYBlocks * CELL_DOTS;
  if (c.m_nDir == 1) {
    if (m.m_bMirrorGoalX) gx = -gx;
    if (m.m_bMirrorGoalY) gy = -gy;
  }
  switch (m.m_byCoordMode) {
    case COORD_RELATIVE:
      c.m_dX += gx;
      c.m_dY += gy;
      break;
    case COORD_GRID:
      c.SetBlockX(m.m_sGoalXBlocks);
      c.SetBlockY(m.m_sGoalYBlocks);
      c.m_dX += m.m_sGoalXDots;
      c.m_dY += m.m_sGoalYDots;
      break;
    case COORD_SCREEN:
      if (g_lpPlayScene) {
        c.m_dX = c.m_nGraphicX + g_lpPlayScene->m_ScrollX.m_dPos + gx;
        c.m_dY = c.m_nGraphicY + g_lpPlayScene->m_ScrollY.m_dPos + gy;
      }
      break;
    default: break;
  }
  c.OnMoveX();
  c.OnMoveY();
}

}  // namespace

int CmdWarp(cChara& chara, cFlowCmd& cmd) {
  if (!cmd.m_pMove) return 0;
  const cEdMove& m = *cmd.m_pMove;
  chara.m_nPinX = chara.m_nPinY = 0;
  const double saved[4] = {chara.m_dX, chara.m_dY, chara.m_dFarX, chara.m_dFarY};
  const double d = (m.m_sDistance + static_cast<double>(m.m_sDistanceStep) * chara.m_sClone) * 16;
  const int mode = m.m_byGoalMode;
  if (mode == WARP_BY_DIRECTION) {
    MoveBy(chara, WarpDirection(m.m_byDirection, chara), d);
  } else if (mode >= WARP_FROM_TARGET1 && mode <= WARP_FROM_TARGET4) {
    const cChara* target = chara.Target(mode - WARP_FROM_TARGET1);
    if (!target) return 0;
    MoveFromTarget(chara, *target, WarpDirection(m.m_byDirection, *target), d);
  } else if (mode == WARP_TO_POINT) {
    MoveToPoint(chara, m);
  } else {
    return 0;
  }
  chara.CalcScreenRect();
  const bool blocked = g_lpPlayScene && g_lpPlayScene->IsPlaceBlocked(chara);
  if (!chara.IsInsideStage(0) || blocked) {
    chara.m_dX = saved[0];
    chara.m_dY = saved[1];
    chara.m_dFarX = saved[2];
    chara.m_dFarY = saved[3];
    chara.OnMoveY();
    chara.OnMoveX();
    chara.CalcScreenRect();
  } else if (!chara.m_bFree) {
    chara.m_dVY = 0;
  }
  if (mode == WARP_TO_POINT && m.m_byCoordMode == COORD_SCREEN) {
    chara.m_nPinX = chara.m_nPinY = 1;
    chara.m_nPinLeft = chara.m_rcScreen.left;
    chara.m_nPinTop = chara.m_rcScreen.top;
  }
  return 0;
}
