// Movement parameters of the movement commands and the warp command, and the direction value of
// the input direction.
#pragma once

#include <cstdint>
#include <cstdio>

#include <boost/shared_ptr.hpp>

#include "core/save_record.h"

// Values per clone are multiplied by the character's clone value and added to their base;
// angles are degrees.
class cEdMove : public cSaveRecord {
 public:
  // Movements: 0 by direction, 1 to a goal; warp: 0 by direction and distance, 1..4 from target
  // 1..4, 5 to a goal.
  uint8_t m_byGoalMode = 0;
  // Direction code 0..12; circle moves: the rotation sense 0..3.
  uint8_t m_byDirection = 0;
  int16_t m_sAngle = 0;
  int16_t m_sAngleStep = 0;
  uint8_t m_bMirrorAngle = 1;
  uint8_t m_bGoalX = 1;
  uint8_t m_bGoalY = 1;
  int16_t m_sGoalXBlocks = 0;
  int16_t m_sGoalYBlocks = 0;
  int16_t m_sGoalXDots = 0;
  int16_t m_sGoalYDots = 0;
  // 0 relative to the placement, 1 relative, 2 absolute, 3 screen.
  uint8_t m_byCoordMode = 0;
  uint8_t m_bTimeFromDistance = 1;
  uint8_t m_bNoMoveX = 0;
  uint8_t m_bNoMoveY = 0;
  uint8_t m_bMirrorGoalX = 1;
  uint8_t m_bMirrorGoalY = 0;
  uint8_t m_bReverseWithFacing = 1;
  uint8_t m_bStopAtGoal = 0;
  uint8_t m_bKeepFacing = 0;
  // 0 time and speed, 1 time and distance, 2 speed and distance.
  uint8_t m_byTimeMode = 0;
  // Tenths of a dot per frame.
  int16_t m_sSpeed = 10;
  int16_t m_sSpeedStep = 0;
  // Distance; circle moves: the end angle.
  int16_t m_sDistance = 0;
  int16_t m_sDistanceStep = 0;
  // 0 half blocks, 1 dots.
  uint8_t m_byDistanceUnit = 0;
  int16_t m_sRadius = 0;
  int16_t m_sRadiusStep = 0;
  uint8_t m_bInertia = 0;
  int16_t m_sMaxSpeed = 0;
  double m_dBrake = 1.0;
  uint8_t m_bTimeFromAnime = 0;
  // Target slot 0..3.
  uint8_t m_byTargetSlot = 0;

  cEdMove();

  void RegisterFields(int version) override;
  // The record, the upgrades of older files, and the clamp of the direction and the target
  // slot (logged).
  void Load(FILE* fp) override;
  void Save(FILE* fp) override;

 private:
  void SetDefaults();
};

// Puts a new movement record (registered, cleared, with its defaults) in the pointer.
void CreateEdMove(boost::shared_ptr<cEdMove>& p);

// The direction value of the input direction. Input codes 1..8 give 2, 3, 6, 7, 8, 9, 10, 11;
// code 9 gives 0 (front) when allowed; code 0, code 9 when not allowed and any other code give
// the facing (3 facing right, else 2). While a replay plays, the replay's data version decides
// instead of the allow flag: 777 and older always allow, 778 and 779 never, 780 and later
// follow the flag. The caller passes the data version to judge by.
int MapInputDirection(int nInput, int bAllow, int bFacingRight, int bReplay, int nVersion);
