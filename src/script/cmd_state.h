// The run-time state of one command of a running flow. The flow runner builds, resets and
// ticks it; the movement commands and the aimed moves of the characters read and write these
// fields.
#pragma once

#include <cstdint>
#include <list>

class cFlowCmd;

struct cGoalPoint {
  double dX = 0;
  double dY = 0;
};

class cCmdState {
 public:
  // The command in the character's own flow copy.
  cFlowCmd* m_pCmd = nullptr;
  int32_t m_bDone = 0;
  // Duration and sub-steps left; 0 left means not started or stopped.
  int32_t m_nDuration = 0;
  int32_t m_nRemaining = 0;
  // Direction or rotation code of a movement command.
  int8_t m_cTurn = 0;
  // Target offsets of a movement in dots.
  int32_t m_nOffsetX = 0;
  int32_t m_nOffsetY = 0;
  // Movement speed per sub-step (degrees for the circle move; a jump's start speed).
  double m_dSpeed = 0;
  int32_t m_nAngle = 0;
  int32_t m_nMoveValue1 = 0;
  int32_t m_nMoveValue2 = 0;
  int32_t m_nMoveValue3 = 0;
  std::list<cGoalPoint> m_lGoal;
  // Velocity of the movement per sub-step.
  double m_dVx = 0;
  double m_dVy = 0;
  // Facing request: 0 none, 1 left, 2 right.
  int32_t m_nFacingOut = 0;
  int32_t m_nCounter = 0;
  int32_t m_bStarted = 0;
  double m_dPhaseX = 0;
  double m_dPhaseY = 0;
  // Inertia speed limit per sub-step.
  double m_dSpeed2 = 0;
  int32_t m_nLastFacing = 0;

  // Starts the command: its full duration left, the working values cleared, the waiting
  // arrange entries of the current run applied (unless it is an arrange command itself).
  void Reset();
  // One tick through the command table; 1 when the command has finished (it so lasts
  // max(duration, 1) ticks).
  int Tick();
  // Distance modes of a move: 1 the speed from distance and duration, 2 the duration from
  // distance and speed.
  void ApplyMoveDistance(const cFlowCmd& cmd, int clone);
};
