// Shot parameters of the shot, sword and summon commands, and the parameter tables of the
// formations and trajectories.
#pragma once

#include <cstdint>
#include <cstdio>

#include <boost/shared_ptr.hpp>

#include "core/save_record.h"

// Values per volley or per member are added once per volley or member; angles are degrees,
// speeds and accelerations tenths of a dot per frame.
class cEdShot : public cSaveRecord {
 public:
  // Objects per formation step.
  uint8_t m_byCount = 0;
  // 0..5: straight A, straight B, spread, thunder, burst, surround.
  uint8_t m_byFormation = 0;
  int16_t m_sFormParam[3] = {};
  // 0 the target of m_byAimSlot, 1 the hero, 2 the user.
  uint8_t m_byAimOrigin = 0;
  // Direction code 0..12.
  uint8_t m_byDirection = 0;
  uint8_t m_bAim = 0;
  uint8_t m_byAimSlot = 0;
  int16_t m_sAngle = 0;
  int16_t m_sAngleStep = 0;
  uint8_t m_bMirrorAngle = 1;
  int16_t m_sAngleRandom = 0;
  uint8_t m_bRotate = 0;
  // Number of volleys − 1.
  uint8_t m_byVolleys = 0;
  int16_t m_sOffsetX = 0;
  int16_t m_sOffsetXStep = 0;
  int16_t m_sOffsetY = 0;
  int16_t m_sOffsetYStep = 0;
  uint8_t m_bMirrorOffsetX = 1;
  uint8_t m_bMirrorOffsetY = 0;
  int16_t m_sGraphic = 0;
  uint8_t m_byShotOptionA = 0;
  uint8_t m_bHidden = 0;
  // The shot takes its owner's collision layer; else m_byLayer.
  uint8_t m_bOwnerLayer = 1;
  uint8_t m_byLayer = 0;
  uint8_t m_byShotOptionC = 0;
  // Zoom of the created objects; 0 is stored as 1.
  uint8_t m_byZoom = 1;
  uint8_t m_byShotOptionD = 0;
  // Trajectory 0..9; for the sword command the sword type (a SwordType database index).
  uint8_t m_byTrajectory = 0;
  int16_t m_sTrajParam[3] = {};
  // The owner's target slot 0..3 that becomes the shot's target.
  uint8_t m_byTargetSlot = 0;
  // The shot moves with the auto-scroll.
  uint8_t m_bScrollBound = 0;
  int16_t m_sSpeed = 0;
  int16_t m_sSpeedStep = 0;
  uint8_t m_bAccel = 0;
  int16_t m_sAccel = 0;
  int16_t m_sAccelStep = 0;
  // Range in half blocks.
  int16_t m_sRange = 0;
  uint8_t m_bRange = 0;
  int16_t m_sRangeStep = 0;
  uint8_t m_bStopAtRangeEnd = 0;
  uint8_t m_bLifetime = 0;
  // Lifetime in tenths of a second.
  int16_t m_sLifetime = 0;
  int16_t m_sLifetimeStep = 0;
  uint8_t m_bPassBlocks = 0;
  uint8_t m_bPassChara = 0;
  uint8_t m_bPassBlockChara = 0;
  uint8_t m_bHitsShots = 0;
  uint8_t m_byShotStrength = 0;
  int32_t m_nPower = 0;
  int16_t m_sShotValueE = 0;
  int8_t m_cImpact = 0;
  // Effect shown on a hit (an Effect database index).
  int16_t m_sHitEffect = 0;
  // Item the hero takes when the shot hits a character: 0 none, 1 common, 2 stage palette.
  uint8_t m_byItemPalette = 0;
  int16_t m_sItem = 0;
  uint8_t m_bySummonOption = 0;
  // The block-summon mode of files older than 197.
  uint8_t m_byPrevBlockMode = 0;
  // 0 summon, 1 remove, 2 summon where empty and remove where present.
  uint8_t m_byBlockSummonMode = 0;
  // 0 the common palette, 1 the stage palette.
  uint8_t m_bySummonPalette = 0;
  int16_t m_sSummonIndex = 0;
  // Layer of summoned characters: 0 their definition's, 1 the user's, 2 m_byLayer.
  uint8_t m_byLayerMode = 0;
  uint8_t m_bySummonOptionC = 0;
  uint8_t m_bReverseFacing = 0;
  // A hit fires the owner's flows of trigger 20 with flow ID m_byHitEventId (0 any).
  uint8_t m_bHitEvent = 0;
  uint8_t m_byHitEventId = 0;

  cEdShot();

  void RegisterFields(int version) override;
  // The record, the upgrades of older files, Validate, and the clamp of the formation, the
  // direction, the target and aim slots and the layer (logged). The trajectory is clamped by
  // ClampTrajectory.
  void Load(FILE* fp) override;
  void Save(FILE* fp) override;
  // Zoom 0 becomes 1; a hit effect beyond the Effect list becomes 0.
  void Validate();
  // Clamps the trajectory to 0..9 (logged). The command's load calls it for every command
  // except the sword command, whose m_byTrajectory is a sword type.
  void ClampTrajectory();

  // Offset of formation member i: i × step + offset, negated for facing 1 when the axis's
  // mirror switch is set.
  int GetOffsetX(int i, int facing) const;
  int GetOffsetY(int i, int facing) const;

 private:
  void SetDefaults();
};

// Puts a new shot record (registered, cleared, with its defaults) in the pointer.
void CreateEdShot(boost::shared_ptr<cEdShot>& p);

// One parameter of a formation or a trajectory: its label and its limits; an unused parameter
// is {"", 0, 0, 0}.
struct cShotParamInfo {
  const char* lpszLabel;
  int16_t sMin;
  int16_t sMax;
  int16_t sDefault;
};

constexpr int FORMATION_COUNT = 6;
constexpr int TRAJECTORY_COUNT = 10;
// Indexed by formation × 3 + parameter and trajectory × 3 + parameter.
extern const cShotParamInfo g_FormationParam[FORMATION_COUNT * 3];
extern const cShotParamInfo g_TrajectoryParam[TRAJECTORY_COUNT * 3];
// The entry of a formation's or a trajectory's parameter 0..2; the unused entry for numbers
// outside the tables.
const cShotParamInfo& GetFormationParam(int formation, int param);
const cShotParamInfo& GetTrajectoryParam(int trajectory, int param);
