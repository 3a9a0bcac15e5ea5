#include "engine/scroll.h"

#include <algorithm>

#include "engine/object.h"
#include "project/stage.h"

void cScroll::Clamp() {
  if (m_dPos < m_nMin) {
    m_dPos = m_nMin;
    m_bPinned = 1;
  } else if (m_dPos + m_nView >= m_nMax) {
    m_dPos = m_nMax - m_nView;
    if (m_dPos < m_nMin) m_dPos = m_nMin;
    m_bPinned = 1;
  } else {
    m_bPinned = 0;
  }
}

void cScroll::Advance() {
  m_dPos += m_dAutoSpeed;
  Clamp();
}

void cScroll::SetAutoSpeed(int on, int speed) {
  if (!on) {
    m_dAutoSpeed = 0.0;
    m_bAuto = 0;
    return;
  }
  m_dAutoSpeed = speed * 0.1 / SubStepsReal();
  m_bAuto = 1;
}

namespace {

// Dots worked out in 64 bits from stored values that have no bounds (the limit cells, the
// outer edge), kept within a range far beyond any map grid (at most 10,020 cells of 32 dots)
// that leaves room for the sizes the clamps of the view and the objects take from them.
int32_t FarDots(long long dots) {
  constexpr long long kFar = 1LL << 30;
  return static_cast<int32_t>(std::clamp(dots, -kFar, kFar));
}

void SetUpAxis(cScroll& s, int axis, int view, int size, int extra) {
  s.m_nAxis = axis;
  s.m_nView = view;
  s.m_nMargin = MAP_MARGIN;
  s.m_nCells = size + 2 * MAP_MARGIN;
  s.m_nStart = MAP_MARGIN * CELL_DOTS;
  s.m_nEnd = (s.m_nCells - MAP_MARGIN) * CELL_DOTS;
  if (s.m_nEnd < 0) s.m_nEnd = 0;
  s.m_nOuter = FarDots(static_cast<long long>(extra) + VIEW_WIDTH);
}

}  // namespace

void cScroll::SetLimits(int lowCell, int highCell, int lowOn, int highOn) {
  m_nMin = lowOn ? FarDots(m_nStart + static_cast<long long>(lowCell) * CELL_DOTS) : m_nStart;
  if (highOn) {
    m_nMax = FarDots(m_nStart + (highCell + 1LL) * CELL_DOTS);
    if (m_nMax < m_nMin) m_nMax = m_nMin;
  } else {
    m_nMax = m_nEnd;
  }
}

void cScroll::SetUpX(const cStage& stage) {
  SetUpAxis(*this, 0, VIEW_WIDTH, stage.m_nWidth, stage.m_nScrollExtraX);
  // The smallest shift that leaves nothing of the last column index.
  int shift = 0;
  while (((stage.m_nWidth + 2 * MAP_MARGIN - 1) >> shift) != 0) ++shift;
  m_nShift = shift;
  m_nPitch = 1 << shift;
  SetAutoSpeed(stage.m_nScrollModeX, stage.m_nAutoSpeedX);
  SetLimits(stage.m_nLimitLeft, stage.m_nLimitRight, stage.m_bLimitLeft, stage.m_bLimitRight);
}

void cScroll::SetUpY(const cStage& stage) {
  SetUpAxis(*this, 1, VIEW_HEIGHT, stage.m_nHeight, stage.m_nScrollExtraY);
  m_nShift = 0;
  m_nPitch = m_nCells;
  SetAutoSpeed(stage.m_nScrollModeY, stage.m_nAutoSpeedY);
  SetLimits(stage.m_nLimitTop, stage.m_nLimitBottom, stage.m_bLimitTop, stage.m_bLimitBottom);
}
