#include "engine/aimed_move.h"

#include <cmath>

#include "defs/ed_move.h"
#include "defs/flow_cmd.h"
#include "engine/chara.h"
#include "engine/play_scene.h"
#include "project/system_data.h"
#include "script/cmd_state.h"

namespace {

// The automatic speed of an axis that moves by itself, else 0.
double OwnSpeed(const cScroll& s) { return s.MovesByItself() ? s.m_dAutoSpeed : 0.0; }

// The velocity of speed V that meets a goal moving by (kx, ky) per sub-step, solved on the
// axis where the goal is farther (a along it, b across it). Returns 0 when the meeting cannot
// be solved (the velocity along stays as it was, or keeps the straight one when no root).
int Intercept(double& va, double& vb, double da, double db, double ka, double kb, double a, double ga, double v) {
  double da2 = da * da;
  if (da2 == 0) return 0;
  double w = db * db / da2 + 1;
  double bq = (2 * ka * db * db - 2 * db * da * kb) / da2;
  double r = (db * ka - da * kb) * (db * ka - da * kb);
  double disc = bq * bq - 4 * w * (r / da2 - v * v);
  if (!(disc >= 0)) return -1;
  double u = (bq + std::sqrt(disc)) / (2 * w);
  if (!std::isfinite(u)) return -1;
  u = da < 0 ? -std::fabs(u) : std::fabs(u);
  va = u;
  if (ka - u == 0) return 0;
  double t = (a - ga) / (ka - u);
  if (t == 0 || !std::isfinite(t)) return 0;
  double across = (db + t * kb) / t;
  if (!std::isfinite(across)) return 0;
  vb = across;
  return 1;
}

}  // namespace

int AimVelocity(double& vx, double& vy, int& direction, const cChara* target, double x, double y, double gx,
                double gy, double speed, int moverScrollSync, int straightOnly, int arrival) {
  vx = vy = 0;
  double dx = gx - x;
  double dy = gy - y;
  bool diagonal = !straightOnly && speed < 0;
  if (diagonal) {
    double s = speed * INV_SQRT2;
    vx = gx <= x ? -s : s;
    vy = gy <= y ? -s : s;
  } else {
    double d = std::sqrt(dx * dx + dy * dy);
    if (d == 0) d = 1;
    vx = speed * dx / d;
    vy = speed * dy / d;
  }
  if (!std::isfinite(vx) || !std::isfinite(vy)) vx = vy = 0;
  if (g_lpPlayScene) {
    const cScroll& sx = g_lpPlayScene->m_ScrollX;
    const cScroll& sy = g_lpPlayScene->m_ScrollY;
    double kx = OwnSpeed(sx);
    double ky = OwnSpeed(sy);
    if (g_SystemData.m_bLegacy214) {
      vx += kx;
      vy += ky;
    } else if (target) {
      int targetSync = target->m_bScrollSync ? 1 : 0;
      int moverSync = moverScrollSync ? 1 : 0;
      if (diagonal) {
        if (targetSync != moverSync) {
          vx -= kx;
          vy -= ky;
        }
      } else if (!targetSync) {
        vx -= kx;
        vy -= ky;
      } else if (!moverSync && (kx != 0 || ky != 0)) {
        double straightX = vx;
        double straightY = vy;
        double v = std::sqrt(vx * vx + vy * vy);
        int r = std::fabs(dy) >= std::fabs(dx) ? Intercept(vy, vx, dy, dx, ky, kx, y, gy, v)
                                               : Intercept(vx, vy, dx, dy, kx, ky, x, gx, v);
        if (r < 0) {
          vx = straightX;
          vy = straightY;
        } else if (r == 0) {
          return 0;
        }
      }
    }
  }
  direction = vx < 0 ? 1 : vx > 0 ? 2 : 0;
  if (!diagonal && arrival) return std::fabs(dx) <= std::fabs(speed) && std::fabs(dy) <= std::fabs(speed) ? 1 : 0;
  return 0;
}

namespace {

double StepToward(double pos, double goal, double speed, const cChara* target, int moverScrollSync,
                  const cScroll* axis) {
  double v = pos >= goal ? -speed : speed;
  if (!moverScrollSync && target && target->m_bScrollSync && g_SystemData.m_bLegacy214 && axis) v += OwnSpeed(*axis);
  return v;
}

}  // namespace

int StepTowardX(double& vx, double& ignored, int& direction, const cChara* target, double x, double gx,
                double speed, int moverScrollSync, int arrival) {
  direction = x >= gx ? 1 : 2;
  vx = StepToward(x, gx, speed, target, moverScrollSync, g_lpPlayScene ? &g_lpPlayScene->m_ScrollX : nullptr);
  ignored = 0;
  return arrival && std::fabs(speed) > std::fabs(x - gx) ? 1 : 0;
}

int StepTowardY(double& vy, double& ignored, const cChara* target, double y, double gy, double speed,
                int moverScrollSync, int arrival) {
  vy = StepToward(y, gy, speed, target, moverScrollSync, g_lpPlayScene ? &g_lpPlayScene->m_ScrollY : nullptr);
  ignored = 0;
  return arrival && std::fabs(speed) > std::fabs(y - gy) ? 1 : 0;
}

// The aimed moves of a character.

void cChara::GetMoveGoal(int& gx, int& gy, const cCmdState& state) const {
  gx = CenterX() + state.m_nOffsetX;
  gy = CenterY() + state.m_nOffsetY;
}

namespace {

// With inertia the rectangles stay as they were; otherwise they are brought up to date
// before the arrival moves the centre.
void RefreshBeforeArrival(const cCmdState& state, cChara& self, cChara* target) {
  const cEdMove* move = state.m_pCmd ? state.m_pCmd->m_pMove.get() : nullptr;
  if (move && move->m_bInertia) return;
  self.CalcScreenRect();
  if (target) target->CalcScreenRect();
}

int StopsAtGoal(const cCmdState& state) {
  const cEdMove* move = state.m_pCmd ? state.m_pCmd->m_pMove.get() : nullptr;
  return move && move->m_bStopAtGoal;
}

}  // namespace

int cChara::MoveToward(cCmdState& state, cChara* target, int gx, int gy, int moverScrollSync, int arrival) {
  int r = AimVelocity(state.m_dVx, state.m_dVy, state.m_nFacingOut, target, CenterX(), CenterY(), gx, gy,
                      state.m_dSpeed, moverScrollSync, 0, arrival);
  if (r && StopsAtGoal(state)) {
    RefreshBeforeArrival(state, *this, target);
    ArriveAt(gx, gy, state);
    return 1;
  }
  return r;
}

int cChara::MoveTowardX(cCmdState& state, cChara* target, int gx, int moverScrollSync, int arrival) {
  double ignored = 0;
  int r = StepTowardX(state.m_dVx, ignored, state.m_nFacingOut, target, CenterX(), gx, state.m_dSpeed,
                      moverScrollSync, arrival);
  if (r && StopsAtGoal(state)) {
    RefreshBeforeArrival(state, *this, target);
    ArriveX(gx, state);
    return 1;
  }
  return r;
}

int cChara::MoveTowardY(cCmdState& state, cChara* target, int gy, int moverScrollSync, int arrival) {
  double ignored = 0;
  int r = StepTowardY(state.m_dVy, ignored, target, CenterY(), gy, state.m_dSpeed, moverScrollSync, arrival);
  if (r && StopsAtGoal(state)) {
    RefreshBeforeArrival(state, *this, target);
    ArriveY(gy, state);
    return 1;
  }
  return r;
}
