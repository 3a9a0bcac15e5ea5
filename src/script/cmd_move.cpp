#include "script/cmd_move.h"

#include <cmath>

#include "defs/ed_move.h"
#include "defs/flow_cmd.h"
#include "engine/chara.h"
#include "engine/map_grid.h"
#include "engine/play_scene.h"
#include "engine/stage_chara.h"
#include "project/replay.h"
#include "project/shell_state.h"
#include "project/system_data.h"
#include "script/cmd_state.h"
#include "script/flow_run.h"

namespace {

constexpr double PI = 3.14159265358979323846;
// A velocity part below this counts as none when a facing is asked for.
constexpr double FACE_EPSILON = 1e-8;

bool BasicFacingRight(const cChara& chara) { return chara.m_Data.m_byDirection == 1; }

// The scroll position of an axis of the running stage (0 outside play).
double ScrollPos(int vertical) {
  if (!g_lpPlayScene) return 0;
  return vertical ? g_lpPlayScene->m_ScrollY.m_dPos : g_lpPlayScene->m_ScrollX.m_dPos;
}

// The distance on one axis to the point of a coordinate mode: 0 from the placement, 1
// relative, 2 the centre of a block of the stage, 3 the centre of a block of the screen.
double PointDistance(int mode, int offset, int place, double centre, double scroll) {
  switch (mode) {
    case 0: return offset + place - centre;
    case 1: return offset;
    case 2: return MAP_MARGIN * CELL_DOTS + offset + 16 - centre;
    case 3: return offset + scroll + 16 - centre;
    default: return 0;
  }
}

// The chip at a grid column and row blocks the layer; rows above the grid hold no chip.
bool ChipSolid(int column, int row, int layer) {
  if (!g_lpPlayScene || g_MapGrid.empty() || row < 0) return false;
  return g_lpPlayScene->HitType(g_lpPlayScene->CellIndex(column, row), layer) != 0;
}

}  // namespace

const cEdMove* MoveRecord(const cCmdState& state) { return state.m_pCmd ? state.m_pCmd->m_pMove.get() : nullptr; }
void ClearScreenPins(cChara& chara) { chara.m_nPinX = chara.m_nPinY = 0; }
bool MovesFreely(const cChara& chara) { return chara.m_bFree != 0; }
bool FacingFixed(const cChara& chara) { return chara.m_Data.m_bFixedFacing != 0; }

void cChara::CalcMoveAngle(cCmdState& state, const cEdMove& move) const {
  int angle = move.m_sAngle + move.m_sAngleStep * m_sClone;
  if (move.m_bMirrorAngle && BasicFacingRight(*this)) angle = 360 - angle;
  // Whole turns taken off at once: the same as subtracting 360 while at least 360.
  if (angle >= 360) angle %= 360;
  state.m_nAngle = angle;
}

void cChara::CalcMoveOffset(cCmdState& state, const cEdMove& move) const {
  state.m_nOffsetX = move.m_sGoalXBlocks * CELL_DOTS + move.m_sGoalXDots;
  state.m_nOffsetY = move.m_sGoalYBlocks * CELL_DOTS + move.m_sGoalYDots;
  if (BasicFacingRight(*this)) {
    if (move.m_bMirrorGoalX) state.m_nOffsetX = -state.m_nOffsetX;
    if (move.m_bMirrorGoalY) state.m_nOffsetY = -state.m_nOffsetY;
  }
}

int cChara::ResolveDirectionCode(int code, int inputStart) const {
  const bool right = m_nDir == 1;
  switch (code) {
    case 0: return right ? 3 : 2;
    case 1: return right ? 2 : 3;
    case 4: return right ? 7 : 6;
    case 5: return right ? 6 : 7;
    case 12: return g_Replay.InputDirection(inputStart, 0, right ? 1 : 0, g_nPlayMode == PLAYMODE_REPLAY);
    default: return code;
  }
}

int cChara::ResolveMoveDirection(int code) const {
  const cFlowRun* run = g_lpPlayScene ? g_lpPlayScene->m_pCurRun : nullptr;
  int dir = ResolveDirectionCode(code, run ? run->m_nStartDir : 0);
  if (code == 12 && !MovesFreely(*this)) {
    if (dir == 8 || dir == 9) dir = 2;
    if (dir == 10 || dir == 11) dir = 3;
  }
  return dir;
}

void cChara::DirectionVelocity(double& vx, double& vy, int& request, double speed, int code) const {
  vx = vy = 0;
  request = FACE_NONE;
  const int dir = ResolveMoveDirection(code);
  if (dir < 2 || dir > 11) return;
  const bool fly = MovesFreely(*this);
  const double diagonal = speed / std::sqrt(2.0);
  int face = FACE_NONE;
  switch (dir) {
    case 2: vx = -speed; face = FACE_LEFT; break;
    case 3: vx = speed; face = FACE_RIGHT; break;
    case 6: vy = -speed; break;
    case 7: vy = speed; break;
    case 8: vx = -diagonal; vy = -diagonal; face = FACE_LEFT; break;
    case 9: vx = -diagonal; vy = diagonal; face = FACE_LEFT; break;
    case 10: vx = diagonal; vy = -diagonal; face = FACE_RIGHT; break;
    case 11: vx = diagonal; vy = diagonal; face = FACE_RIGHT; break;
    default: break;
  }
  if (!fly) vy = 0;
  if (!FacingFixed(*this)) request = face;
}

void cChara::AngleVelocity(double& vx, double& vy, int& request, double speed, int code, int angle) const {
  vx = vy = 0;
  request = FACE_NONE;
  int base = 0;
  int face = FACE_NONE;
  switch (ResolveMoveDirection(code)) {
    case 2: base = 0; face = FACE_LEFT; break;
    case 3: base = 180; face = FACE_RIGHT; break;
    case 6: base = 90; break;
    case 7: base = 270; break;
    case 8: base = 45; face = FACE_LEFT; break;
    case 9: base = 315; face = FACE_LEFT; break;
    case 10: base = 135; face = FACE_RIGHT; break;
    case 11: base = 225; face = FACE_RIGHT; break;
    default: return;
  }
  const double theta = (base + angle) * PI / 180;
  vx = -speed * std::cos(theta);
  vy = MovesFreely(*this) ? -speed * std::sin(theta) : 0;
  if (!FacingFixed(*this)) request = face;
}

void cChara::TargetPointVelocity(double& vx, double& vy, int& request, double speed, int offsetX, int offsetY,
                                 const cEdMove& move, int32_t& remaining) const {
  vx = vy = 0;
  request = FACE_NONE;
  const int mode = move.m_byCoordMode;
  if (mode > 3) return;
  const double sx = ScrollPos(0);
  const double sy = ScrollPos(1);
  const double cx = CenterX() + sx;
  const double cy = CenterY() + sy;
  const double dx = move.m_bGoalX ? PointDistance(mode, offsetX, m_nPlaceValue[0], cx, sx) : 0;
  const double dy = move.m_bGoalY ? PointDistance(mode, offsetY, m_nPlaceValue[1], cy, sy) : 0;
  const double d = std::sqrt(dx * dx + dy * dy);
  if (d != 0) {
    vx = move.m_bNoMoveX ? 0 : dx / d * speed;
    vy = move.m_bNoMoveY ? 0 : dy / d * speed;
  }
  if (!FacingFixed(*this)) request = vx < -FACE_EPSILON ? FACE_LEFT : vx > FACE_EPSILON ? FACE_RIGHT : FACE_NONE;
  if (move.m_bTimeFromDistance && speed != 0) {
    remaining = TruncPos(std::fabs(d) / std::fabs(speed));
    if (move.m_bStopAtGoal && remaining < 1) {
      if (move.m_bGoalX && !move.m_bNoMoveX) {
        vx = 0;
        request = FACE_NONE;
      }
      if (move.m_bGoalY && !move.m_bNoMoveY) vy = 0;
    }
  }
}

void cChara::GroundTurnStep(cCmdState& state) {
  state.m_dVx = DirSign() * state.m_dSpeed;
  state.m_dVy = 0;
  int request = FACE_NONE;
  if (m_bTurnBack) {
    request = m_nDir == 1 ? FACE_LEFT : FACE_RIGHT;
    state.m_dVx = -state.m_dVx;
    const int id = m_nTurnBackId;
    if (cChara* other = FindStageCharaById(g_lChara, id)) {
      // The bumped character's own motion since the contact is taken along (twice when it
      // moves against this character's facing).
      const double moved = other->m_dX - m_dTurnBackX;
      const bool against = (m_nDir == 1 && moved < 0) || (m_nDir == 0 && moved > 0);
      state.m_dVx += against ? 2 * moved : moved;
    }
    m_bTurnBack = 0;
  } else if (g_lpPlayScene) {
    // The row under the feet, the grid's last row at most. A character above the grid stands
    // over no chip at all.
    long long row = static_cast<long long>(std::floor((m_dFarY + 1.1) / CELL_DOTS));
    const int lastRow = g_lpPlayScene->m_ScrollY.m_nCells - 1;
    if (row > lastRow) row = lastRow;
    const int r = row < 0 ? -1 : static_cast<int>(row);
    const bool left = ChipSolid(m_nCellX, r, m_nLayer);
    const bool right = ChipSolid(m_nFarCellX, r, m_nLayer);
    if (left && !right) request = FACE_LEFT;
    if (!left && right) request = FACE_RIGHT;
  }
  state.m_nFacingOut = request;
}

void cChara::ApplyCommandMove(double vx, double vy, int request, cCmdState& state, const cEdMove* move, int force) {
  if ((!FacingFixed(*this) || force) && !(move && move->m_bKeepFacing)) {
    if (request == FACE_LEFT) m_nDir = 0;
    if (request == FACE_RIGHT) m_nDir = 1;
  }
  if (move && move->m_bInertia) {
    auto accelerate = [&state, move](double& inertia, int32_t& frictionOn, double v) {
      double a = SpeedPerFrame(v);
      if ((inertia < 0 && v > 0) || (inertia > 0 && v < 0))
        a *= move->m_dBrake;
      else
        frictionOn = 0;
      inertia += a;
      if (inertia > state.m_dSpeed2) inertia = state.m_dSpeed2;
      if (inertia < -state.m_dSpeed2) inertia = -state.m_dSpeed2;
    };
    accelerate(m_dAX, m_bFrictionX, vx);
    accelerate(m_dAY, m_bFrictionY, vy);
  } else {
    m_dVX += vx;
    m_dVY += vy;
  }
  // The stored byte after the brake factor: a move that runs its own animation leaves the
  // walking animation alone.
  if (!(move && move->m_bTimeFromAnime)) {
    m_bMovedByCmd = 1;
    m_Anime.Change(MovesFreely(*this) ? 3 : 1, 1);
  }
}

void CmdStraightMove(cChara& chara, cCmdState& state) {
  ClearScreenPins(chara);
  const cEdMove* move = MoveRecord(state);
  if (!move) return;
  const bool fly = MovesFreely(chara);
  const int mode = move->m_byGoalMode;
  if (!state.m_bStarted) {
    state.m_bStarted = 1;
    chara.CalcMoveAngle(state, *move);
    if (mode == 1) chara.CalcMoveOffset(state, *move);
    double vx = 0, vy = 0;
    int request = FACE_NONE;
    if (mode == 0) {
      if (state.m_nAngle == 0)
        chara.DirectionVelocity(vx, vy, request, state.m_dSpeed, state.m_cTurn);
      else
        chara.AngleVelocity(vx, vy, request, state.m_dSpeed, state.m_cTurn, state.m_nAngle);
    } else if (mode == 1) {
      chara.TargetPointVelocity(vx, vy, request, state.m_dSpeed, state.m_nOffsetX, state.m_nOffsetY, *move,
                                state.m_nRemaining);
    }
    state.m_dVx = vx;
    state.m_dVy = fly ? vy : 0;
    state.m_nFacingOut = request;
  } else {
    if (!fly) state.m_dVy = 0;
    const bool followMode = g_SystemData.m_bLegacy783 || mode == 0;
    if (move->m_bReverseWithFacing && FacingFixed(chara) && chara.m_nDir != state.m_nLastFacing && followMode) {
      state.m_dVx = -state.m_dVx;
      state.m_dVy = -state.m_dVy;
    }
  }
  if (!g_SystemData.m_bLegacy773) {
    if (move->m_bNoMoveX) state.m_dVx = 0;
    if (move->m_bNoMoveY) state.m_dVy = 0;
  }
  chara.ApplyCommandMove(state.m_dVx, state.m_dVy, state.m_nFacingOut, state, move, 0);
  state.m_nLastFacing = chara.m_nDir;
}

void CmdGroundTurnMove(cChara& chara, cCmdState& state) {
  ClearScreenPins(chara);
  if (MovesFreely(chara)) return;
  if (chara.m_dKnockX != 0 || chara.m_dKnockY != 0) {
    state.m_dVx = chara.DirSign() * state.m_dSpeed;
    state.m_dVy = 0;
    state.m_nFacingOut = FACE_NONE;
  } else {
    chara.GroundTurnStep(state);
  }
  chara.ApplyCommandMove(state.m_dVx, state.m_dVy, state.m_nFacingOut, state, MoveRecord(state), 1);
}

void CmdCircleMove(cChara& chara, cCmdState& state) {
  ClearScreenPins(chara);
  if (state.m_nMoveValue1 == 0) return;
  if (!state.m_bStarted) {
    state.m_bStarted = 1;
    state.m_dPhaseX = state.m_dPhaseY = state.m_nMoveValue2;
  }
  int rotation = state.m_cTurn;
  if (rotation == 2) rotation = chara.m_nDir == 1 ? 1 : 0;
  if (rotation == 3) rotation = chara.m_nDir == 0 ? 1 : 0;
  const cEdMove* move = MoveRecord(state);
  const bool lockX = move && move->m_bNoMoveX;
  const bool lockY = move && move->m_bNoMoveY;
  const double step = SubSteps() * state.m_dSpeed;
  double vx = 0, vy = 0;
  if (!lockX) vx -= WaveVelocity(state.m_nMoveValue1, 1, state.m_dPhaseX, step, 0) * state.m_dSpeed;
  if (!lockY && MovesFreely(chara))
    vy -= WaveVelocity(state.m_nMoveValue1, 1, state.m_dPhaseY, step, rotation == 1 ? 90 : 270) * state.m_dSpeed;
  chara.ApplyCommandMove(vx, vy, FACE_NONE, state, move, 0);
}

void CmdStopMove(cChara& chara, cCmdState&) {
  chara.m_dVX = chara.m_dVY = 0;
  chara.m_dAX = chara.m_dAY = 0;
  chara.m_dKnockX = chara.m_dKnockY = 0;
  ClearScreenPins(chara);
  chara.m_bGravityHold = 1;
}
