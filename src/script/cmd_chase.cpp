#include "script/cmd_chase.h"

#include <cmath>
#include <cstdlib>

#include "core/sound_request.h"
#include "defs/ed_move.h"
#include "defs/flow_cmd.h"
#include "engine/aimed_move.h"
#include "engine/chara.h"
#include "engine/play_scene.h"
#include "project/system_data.h"
#include "script/cmd_move.h"
#include "script/cmd_state.h"

namespace {

constexpr double PI = 3.14159265358979323846;

// The living character in the record's target slot, or none.
cChara* LiveTarget(const cChara& chara, const cEdMove& move) {
  cChara* target = chara.Target(move.m_byTargetSlot);
  return target && !target->m_bDead ? target : nullptr;
}

// The edges of the view one axis watches for the screen-edge move: 1 the far edge (right or
// bottom) is watched, -1 the near edge (left or top), 0 none.
struct EdgeWatch {
  int x = 0;
  int y = 0;
};

EdgeWatch WatchedEdges(int dir) {
  EdgeWatch w;
  if (dir == 2 || dir == 8 || dir == 9) w.x = 1;
  if (dir == 3 || dir == 10 || dir == 11) w.x = -1;
  if (dir == 6 || dir == 8 || dir == 10) w.y = 1;
  if (dir == 7 || dir == 9 || dir == 11) w.y = -1;
  return w;
}

// One axis of the screen-edge move: near and far screen edges of the character, the view size
// and the scroll axis. 32 dots from either side of the view count as the edge.
double AvoidEdge(int watch, int nearEdge, int farEdge, int view, const cScroll* scroll, double speed) {
  if (watch == 0) return 0;
  const double c = scroll && scroll->MovesByItself() ? scroll->m_dAutoSpeed : 0;
  if (c == 0) {
    if (watch > 0 && nearEdge > view - 32) return -speed;
    if (watch < 0 && farEdge < 32) return speed;
    return 0;
  }
  // While the view scrolls by itself the margin grows with the scroll speed, and the move is
  // made only while the scroll can still carry the character along.
  const double pos = scroll->m_dPos;
  const double last = scroll->m_nMax - view;
  const double margin = std::fabs(c + 1);
  if (watch > 0 && nearEdge > view - 32 - margin && pos > 0 && pos + c <= last) return c - speed;
  if (watch < 0 && farEdge < margin + 32 && pos + c > 0 && pos < last) return c + speed;
  return 0;
}

// The horizontal centre by position and display width, as the turn compares them.
double TurnCentre(const cChara& c) { return c.m_dX + c.m_nWidth / 2; }

}  // namespace

int cChara::StepToGoal(cCmdState& state, const cEdMove& move, cChara* target, int gx, int gy) {
  const int arrival = move.m_bStopAtGoal;
  if (!move.m_bNoMoveX && !move.m_bNoMoveY) return MoveToward(state, target, gx, gy, m_bScrollSync, arrival);
  if (!move.m_bNoMoveX) return MoveTowardX(state, target, gx, m_bScrollSync, arrival);
  if (!move.m_bNoMoveY) return MoveTowardY(state, target, gy, m_bScrollSync, arrival);
  // Both axes locked: no motion, as every other movement honours both locks.
  state.m_dVx = state.m_dVy = 0;
  state.m_nFacingOut = FACE_NONE;
  return 0;
}

void cChara::AvoidScreenEdgeVelocity(double& vx, double& vy, double speed, int code) const {
  const bool right = m_nDir == 1;
  int dir = code;
  if (code == 0) dir = right ? 3 : 2;
  if (code == 1) dir = right ? 2 : 3;
  if (code == 4) dir = right ? 7 : 6;
  if (code == 5) dir = right ? 6 : 7;
  const EdgeWatch w = WatchedEdges(dir);
  const cScroll* sx = g_lpPlayScene ? &g_lpPlayScene->m_ScrollX : nullptr;
  const cScroll* sy = g_lpPlayScene ? &g_lpPlayScene->m_ScrollY : nullptr;
  vx = AvoidEdge(w.x, m_rcScreen.left, m_rcScreen.right, VIEW_WIDTH, sx, speed);
  vy = AvoidEdge(w.y, m_rcScreen.top, m_rcScreen.bottom, VIEW_HEIGHT, sy, speed);
  if (!MovesFreely(*this)) vy = 0;
}

void CmdChargeMove(cChara& chara, cCmdState& state) {
  ClearScreenPins(chara);
  const cEdMove* move = MoveRecord(state);
  if (!move) return;
  const bool fly = MovesFreely(chara);
  if (!state.m_bStarted) {
    state.m_bStarted = 1;
    chara.CalcMoveAngle(state, *move);
    chara.CalcMoveOffset(state, *move);
    // Without a target the charge stands still (nor does it turn the character). A dead
    // target leaves the velocity of the command's last run: the first tick moves nothing, the
    // later ones charge on with it.
    cChara* target = chara.Target(move->m_byTargetSlot);
    if (!target) {
      state.m_dVx = state.m_dVy = 0;
      state.m_nFacingOut = FACE_NONE;
      return;
    }
    if (target->m_bDead) return;
    if (fly) {
      int gx = 0, gy = 0;
      target->GetMoveGoal(gx, gy, state);
      chara.StepToGoal(state, *move, target, gx, gy);
    } else if (!move->m_bNoMoveX) {
      double ignored = 0;
      StepTowardX(state.m_dVx, ignored, state.m_nFacingOut, target, chara.CenterX(),
                  target->CenterX() + state.m_nOffsetX, state.m_dSpeed, chara.m_bScrollSync, move->m_bStopAtGoal);
      state.m_dVy = 0;
    }
    if (state.m_nAngle != 0) {
      const double s = state.m_dSpeed;
      double theta;
      if (!g_SystemData.m_bLegacy728) {
        theta = std::trunc(std::atan2(state.m_dVy, state.m_dVx) * 180 / PI + 180) + state.m_nAngle;
        state.m_dVx = -s * std::cos(theta * PI / 180);
      } else {
        theta = std::trunc(std::atan2(state.m_dVx, state.m_dVy) * 180 / PI + 90) + state.m_nAngle;
        state.m_dVx = s * std::cos(theta * PI / 180);
      }
      if (fly) state.m_dVy = -s * std::sin(theta * PI / 180);
    }
  } else if (!fly) {
    state.m_dVy = 0;
  }
  chara.ApplyCommandMove(state.m_dVx, state.m_dVy, state.m_nFacingOut, state, move, 0);
}

void CmdHomingMove(cChara& chara, cCmdState& state) {
  ClearScreenPins(chara);
  const cEdMove* move = MoveRecord(state);
  if (!move) return;
  cChara* target = LiveTarget(chara, *move);
  if (!target) return;
  if (!state.m_bStarted) {
    state.m_bStarted = 1;
    chara.CalcMoveOffset(state, *move);
  }
  const bool fly = MovesFreely(chara);
  if (!fly) {
    state.m_dVy = 0;
    if (move->m_bNoMoveX) return;
  }
  auto head = [&](const cGoalPoint& goal) {
    const int gx = static_cast<int>(goal.dX);
    const int gy = static_cast<int>(goal.dY);
    if (fly)
      chara.StepToGoal(state, *move, target, gx, gy);
    else
      chara.MoveTowardX(state, target, gx, chara.m_bScrollSync, move->m_bStopAtGoal);
  };
  int gx = 0, gy = 0;
  target->GetMoveGoal(gx, gy, state);
  const cGoalPoint now{static_cast<double>(gx), static_cast<double>(gy)};
  const int lag = state.m_nMoveValue1;
  if (lag <= 0) {
    head(now);
  } else if (state.m_nCounter == 0) {
    state.m_lGoal.clear();
    state.m_lGoal.push_back(now);
    head(now);
  } else if (state.m_nCounter % lag == 0 && !state.m_lGoal.empty()) {
    head(state.m_lGoal.front());
    state.m_lGoal.push_back(now);
    state.m_lGoal.pop_front();
  }
  chara.ApplyCommandMove(state.m_dVx, state.m_dVy, state.m_nFacingOut, state, move, 0);
  ++state.m_nCounter;
}

void CmdAvoidOffscreenMove(cChara& chara, cCmdState& state) {
  ClearScreenPins(chara);
  chara.AvoidScreenEdgeVelocity(state.m_dVx, state.m_dVy, state.m_dSpeed, state.m_cTurn);
  chara.ApplyCommandMove(state.m_dVx, state.m_dVy, FACE_NONE, state, MoveRecord(state), 0);
  ++state.m_nCounter;
}

void CmdTurn(cChara& chara, cCmdState& state) {
  if (!FacingFixed(chara)) return;
  if (state.m_nCounter == 0) {
    const cFlowCmd* cmd = state.m_pCmd;
    if (cmd) PlayUserSe(cmd->m_sSound);
    const int mode = cmd ? cmd->Param(0) : 0;
    if (mode == 0 || mode == 1) {
      chara.m_nDir = mode;
    } else if (mode >= 2 && mode <= 9) {
      const cChara* target = chara.Target((mode - 2) / 2);
      // Without a target the sound comes again on the next tick.
      if (!target) return;
      const int toward = TurnCentre(*target) > TurnCentre(chara) ? 1 : 0;
      chara.m_nDir = mode % 2 == 0 ? toward : 1 - toward;
    } else if ((mode == 10 || mode == 11) && (chara.m_nWallSide == 0 || chara.m_nWallSide == 1)) {
      chara.m_nDir = mode == 10 ? chara.m_nWallSide : 1 - chara.m_nWallSide;
    }
  }
  if (++state.m_nCounter >= 6 * SubSteps()) state.m_nCounter = 0;
}

void CmdJump(cChara& chara, cCmdState& state) {
  ClearScreenPins(chara);
  chara.StepJump(state);
  ++state.m_nCounter;
}
