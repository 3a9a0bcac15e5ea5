// One scroll axis of the play scene: the camera position over the stage, bounded by the stage
// and the scroll limits, with an optional automatic scroll, and the map grid's size on that
// axis.
#pragma once

#include <cstdint>

class cStage;

class cScroll {
 public:
  // The map coordinate shown at the left (top) screen edge.
  double m_dPos = 0;
  // 1 when the last clamp put the position onto a limit.
  int32_t m_bPinned = 0;
  // 0 horizontal, 1 vertical.
  int32_t m_nAxis = 0;
  // Visible size in dots: 640 or 480.
  int32_t m_nView = 0;
  // Smallest position, and the largest right (bottom) edge of the view.
  int32_t m_nMin = 0;
  int32_t m_nMax = 0;
  // First dot of the stage proper and the dot just after its last cell.
  int32_t m_nStart = 0;
  int32_t m_nEnd = 0;
  // Border of the map grid around the stage, in cells.
  int32_t m_nMargin = 0;
  // The outer edge of the field that objects are clamped against.
  int32_t m_nOuter = 0;
  // The map grid's size on this axis in cells (stage size + 20).
  int32_t m_nCells = 0;
  // Horizontal: the grid's row pitch (a power of two) and its log2; vertical: cells and 0.
  int32_t m_nPitch = 0;
  int32_t m_nShift = 0;
  // Dots per sub-step while automatic scrolling is on.
  double m_dAutoSpeed = 0;
  int32_t m_bAuto = 0;

  void Clamp();
  // position += auto speed, then Clamp.
  void Advance();
  // on = 0: off and speed 0; otherwise speed tenths of a dot per frame, per sub-step.
  void SetAutoSpeed(int on, int speed);
  void SetLimits(int lowCell, int highCell, int lowOn, int highOn);
  // The axis moves by itself: an automatic speed that is not 0 and not standing at a limit.
  bool MovesByItself() const { return m_dAutoSpeed != 0 && !m_bPinned; }

  // The set-up of the two axes from the stage record.
  void SetUpX(const cStage& stage);
  void SetUpY(const cStage& stage);
};
