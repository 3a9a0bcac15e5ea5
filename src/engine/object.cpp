#include "engine/object.h"

#include <cmath>

#include "engine/map_grid.h"
#include "engine/play_scene.h"
#include "project/stage.h"
#include "project/stage_records.h"
#include "project/system_data.h"

namespace {

// The scroll axes of the running play scene; outside play, axes at rest.
const cScroll& AxisX() {
  static const cScroll rest;
  return g_lpPlayScene ? g_lpPlayScene->m_ScrollX : rest;
}
const cScroll& AxisY() {
  static const cScroll rest;
  return g_lpPlayScene ? g_lpPlayScene->m_ScrollY : rest;
}

int Trunc(double v) { return TruncPos(v); }

// Clamp rules shared by both axes. pos and size describe the body on the axis; codes give
// the results of rule 1 and rule 2 on that axis: {scroll low, scroll high, stage low, stage
// high, field low, field high}.
int ClampAxis(double& pos, int size, const cScroll& s, int rule, const int codes[6]) {
  switch (rule) {
    case 0:
      if (s.m_nMin > pos) {
        pos = s.m_nMin;
      } else if (pos + size - 1 >= s.m_nMax) {
        pos = s.m_nMax - size;
      }
      return 0;
    case 1:
      if (s.m_nStart > pos) {
        pos = s.m_nStart;
        return 0;
      }
      if (pos + size - 1 >= s.m_nEnd) {
        pos = s.m_nEnd - size;
        return 0;
      }
      if (pos < s.m_nMin) return codes[0];
      if (pos + size - 1 >= s.m_nMax) return codes[1];
      return 0;
    case 2:
      if (pos < 0) {
        pos = 0;
        return codes[4];
      }
      if (pos + size - 1 >= s.m_nOuter) {
        pos = s.m_nOuter - size;
        return codes[5];
      }
      if (pos < s.m_nStart) return codes[2];
      if (pos + size - 1 >= s.m_nEnd) return codes[3];
      if (pos < s.m_nMin) return codes[0];
      if (pos + size - 1 >= s.m_nMax) return codes[1];
      return 0;
    default:
      return 0;
  }
}

constexpr int CODES_X[6] = {1, 1, 2, 2, 3, 3};
constexpr int CODES_Y[6] = {1, 4, 2, 5, 3, 6};

double LimitSpeed(double v) {
  double limit = g_StageData.m_dSpeedLimitStep;
  if (v > limit) return limit;
  if (v < -limit) return -limit;
  return v;
}

}  // namespace

int TruncPos(double v) {
  if (!(v > -2147483648.0)) return v != v ? 0 : -2147483647 - 1;
  if (v >= 2147483647.0) return 2147483647;
  return static_cast<int>(v);
}

int SubSteps() { return g_StageData.m_nSubSteps < 1 ? 1 : g_StageData.m_nSubSteps; }
double SubStepsReal() { return g_StageData.m_dSubSteps < 1 ? 1.0 : g_StageData.m_dSubSteps; }

double SpeedPerFrame(double v) { return v / SubStepsReal() / 60; }
double AccelFromParam(int v) {
  double k = SubStepsReal();
  return v * 0.01 / (k * k);
}
int HblToDot(int n) { return static_cast<int8_t>(n) * 16; }

void cObject::Init(int id, int kind, int playerNo, int layer, int graphic, const int* const* lpAnime, int firstAnime,
                   int graphicX, int graphicY, int width, int height, int graphicW, int graphicH, int dir,
                   int moveMode, int16_t tag) {
  m_nId = id;
  m_nKind = kind;
  m_nPlayerNo = playerNo;
  m_nLayer = layer;
  m_nGraphic = graphic;
  m_nGraphicX = m_nBaseGraphicX = graphicX;
  m_nGraphicY = m_nBaseGraphicY = graphicY;
  m_nWidth = m_nBaseWidth = width;
  m_nHeight = m_nBaseHeight = height;
  m_nGraphicW = m_nBaseGraphicW = graphicW;
  m_nGraphicH = m_nBaseGraphicH = graphicH;
  m_nDir = dir;
  m_sTag = tag;
  m_nLife = LIFETIME_UNLIMITED;
  if (lpAnime) {
    m_Anime.Build(lpAnime);
    m_Anime.Set(firstAnime, 1);
  }
  m_dVX = m_dVY = m_dAX = m_dAY = 0;
  m_bActive = 0;
  m_bOnScreen = 0;
  m_byAppearLatch = 0;
  SetMoveMode(moveMode);
}

void cObject::SetMoveMode(int mode) {
  static const int kFree[4] = {0, 1, 1, 1};
  static const uint8_t kBlock[4] = {1, 0, 1, 2};
  if (mode < 0 || mode > 3) return;
  m_bFree = kFree[mode];
  m_byBlockMode = kBlock[mode];
}

void cObject::SetZoom(int nNew, int nOld) {
  if (nNew == nOld) return;
  m_nWidth = nNew * m_nBaseWidth;
  m_nHeight = nNew * m_nBaseHeight;
  m_nGraphicX = nNew * m_nBaseGraphicX;
  m_nGraphicY = nNew * m_nBaseGraphicY;
  m_nGraphicW = nNew * m_nBaseGraphicW;
  m_nGraphicH = nNew * m_nBaseGraphicH;
  ReanchorX(nNew, nOld);
  OnZoom(nNew);
}

void cObject::ChangeZoom(int nNew, int nOld) {
  if (nNew == nOld) return;
  ReanchorX(nNew, nOld);
  ReanchorY(nNew, nOld);
}

void cObject::ReanchorX(int nNew, int nOld) {
  if (nNew == nOld) return;
  m_dX -= (nNew - nOld) * (m_nBaseWidth >> 1);
  ClampX(2);
}

void cObject::UpdateFarX() {
  m_dFarX = m_dX + m_nWidth - 1;
  UpdateHitX();
  m_nCellX = Trunc(m_dX) >> 5;
  m_nFarCellX = Trunc(m_dFarX) >> 5;
}

void cObject::UpdateFarY() {
  m_dFarY = m_dY + m_nHeight - 1;
  UpdateHitY();
  m_nCellY = Trunc(m_dY) >> 5;
  m_nFarCellY = Trunc(m_dFarY) >> 5;
}

int cObject::ClampX(int rule) {
  int r = ClampAxis(m_dX, m_nWidth, AxisX(), rule, CODES_X);
  UpdateFarX();
  return r;
}

int cObject::ClampY(int rule) {
  int r = ClampAxis(m_dY, m_nHeight, AxisY(), rule, CODES_Y);
  UpdateFarY();
  return r;
}

int cObject::MoveStepX(int rule) {
  m_dVX = LimitSpeed(m_dVX);
  m_dX += m_dVX;
  return ClampX(rule);
}

int cObject::MoveStepY(int rule) {
  m_dVY = LimitSpeed(m_dVY);
  m_dY += m_dVY;
  return ClampY(rule);
}

void cObject::ApplyGravity() {
  if (!m_bFree) m_dVY += g_StageData.m_dGravityStep;
}

void cObject::Friction(double& value, int on) const {
  if (!on) return;
  if (value > 0) {
    value -= m_dFriction;
    if (value < 0) value = 0;
  } else if (value < 0) {
    value += m_dFriction;
    if (value > 0) value = 0;
  }
}

void cObject::CalcScreenRect() {
  const cScroll& sx = AxisX();
  const cScroll& sy = AxisY();
  int left;
  if (!m_bFree) {
    left = Trunc(m_dX - m_nGraphicX - Trunc(sx.m_dPos));
  } else if (sx.MovesByItself()) {
    left = m_bScrollSync ? Trunc(m_dX - sx.m_dPos) - m_nGraphicX : Trunc(m_dX - m_nGraphicX - Trunc(sx.m_dPos));
  } else {
    left = Trunc(m_dX) - Trunc(sx.m_dPos) - m_nGraphicX;
  }
  int top;
  if (!m_bFree) {
    top = Trunc(m_dY - m_nGraphicY - Trunc(sy.m_dPos));
  } else if (sy.MovesByItself()) {
    top = Trunc(m_dY - sy.m_dPos) - m_nGraphicY + 1;
  } else {
    top = Trunc(m_dY) - Trunc(sy.m_dPos) - m_nGraphicY;
  }
  m_rcScreen.left = left;
  m_rcScreen.right = left + m_nGraphicW - 1;
  m_rcScreen.top = top;
  m_rcScreen.bottom = top + m_nGraphicH - 1;
}

bool cObject::IsOnScreenAxes(int skipX, int skipY) const {
  const cScroll& sx = AxisX();
  const cScroll& sy = AxisY();
  if (!skipX && !(m_dFarX >= sx.m_dPos && sx.m_dPos + VIEW_WIDTH > m_dX)) return false;
  if (!skipY && !(m_dFarY >= sy.m_dPos && sy.m_dPos + VIEW_HEIGHT > m_dY)) return false;
  return true;
}

bool cObject::IsInsideStage(int wholeField) const {
  const cScroll& sx = AxisX();
  const cScroll& sy = AxisY();
  if (wholeField) return m_dX >= 0 && m_dFarX < sx.m_nOuter && m_dY >= 0 && m_dFarY < sy.m_nOuter;
  return m_dX >= sx.m_nStart && m_dFarX < sx.m_nEnd && m_dY >= sy.m_nStart && m_dFarY < sy.m_nEnd;
}

int cObject::IsOutOfRange(const cRemovalRule& rule) const {
  if (IsOnScreen()) return 0;
  const cScroll& sx = AxisX();
  const cScroll& sy = AxisY();
  if (rule.m_bLeft && m_dFarX <= Trunc(sx.m_dPos - rule.m_nLeft * CELL_DOTS)) return 1;
  if (rule.m_bRight && m_dX >= Trunc(sx.m_dPos + rule.m_nRight * CELL_DOTS + VIEW_WIDTH)) return 1;
  if (rule.m_bBottom && m_dY >= Trunc(sy.m_dPos + rule.m_nBottom * CELL_DOTS + VIEW_HEIGHT)) return 1;
  if (rule.m_bTop && m_dFarY <= Trunc(sy.m_dPos - rule.m_nTop * CELL_DOTS)) return 1;
  if (m_dX <= 0 || m_dFarX >= sx.m_nOuter - 1 || m_dY <= 0 || m_dFarY >= sy.m_nOuter - 1) return 1;
  return 0;
}

bool cObject::CornerBlocked() const {
  if (!g_lpPlayScene) return false;
  const int cells[4][2] = {
      {m_nCellX, m_nCellY}, {m_nCellX, m_nFarCellY}, {m_nFarCellX, m_nCellY}, {m_nFarCellX, m_nFarCellY}};
  for (const auto& c : cells) {
    if (g_lpPlayScene->HitType(g_lpPlayScene->CellIndex(c[0], c[1]), m_nLayer) != 0) return true;
  }
  return false;
}

void RangeEdges(int& low, int& high, int position, int size, int extentLow, int extentHigh, int whole) {
  int h = size >> 1;
  if (whole && extentLow == 0 && extentHigh == 0) {
    low = position;
    high = position + 2 * h;
    return;
  }
  low = extentLow != 0 ? position - extentLow : position + h;
  high = extentHigh != 0 ? position + 2 * h + extentHigh : position + h;
}

bool cObject::IsInRange(int position, int size, int targetLow, int targetHigh, int targetOffset, int extentLow,
                        int extentHigh, int whole, int vertical, const cObject* target) const {
  int low = 0;
  int high = 0;
  RangeEdges(low, high, position, size, extentLow, extentHigh, whole);
  bool first = low <= targetHigh - targetOffset;
  if (vertical && !g_SystemData.m_bLegacy733 && target &&
      Trunc(target->m_dFarY - target->m_dY) + targetOffset + 1 >= target->m_nGraphicH) {
    first = low <= targetHigh;
  }
  return first && targetLow + targetOffset <= high;
}

void KnockbackSpeed(double& vx, double& vy, int impact, double dx, double dy) {
  if (impact == 0) return;
  double s = std::fabs(dx) + std::fabs(dy);
  if (s == 0 || !std::isfinite(s)) {
    vx = vy = 0;
    return;
  }
  double k = SubStepsReal();
  auto speed = [k](double d) {
    if (d == 0) return 0.0;
    double v = (std::sqrt(1 + 128 * k * std::fabs(d)) - 1) / (2 * k);
    return d < 0 ? -v : v;
  };
  vx = speed(dx * impact / s);
  vy = speed(dy * impact / s);
}

namespace {

constexpr double PI = 3.14159265358979323846;

// The phase before the advance; the phase advances by step and wraps once at 360k.
double AdvancePhase(double& phase, double step) {
  double p = phase;
  double full = 360 * SubStepsReal();
  phase += step;
  if (phase >= full) phase -= full;
  return p;
}

}  // namespace

double WaveVelocity(double amplitude, double period, double& phase, double step, double offset) {
  double k = SubStepsReal();
  double r = period * PI / 180;
  double p = AdvancePhase(phase, step);
  return r * std::cos(r * (p / k + offset)) * amplitude / k;
}

double WaveVelocityY(double amplitude, double period, double& phase, double step, double offset) {
  double k = SubStepsReal();
  double r = period * PI / 180;
  double p = AdvancePhase(phase, step);
  return -(r * std::sin(r * (p / k + offset)) * (r / k) * amplitude) / k;
}
