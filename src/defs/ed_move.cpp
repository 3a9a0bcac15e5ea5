#include "defs/ed_move.h"

#include "defs/stored_index.h"

cEdMove::cEdMove() {
  Register(DATA_VERSION);
  Clear();
  SetDefaults();
}

void cEdMove::SetDefaults() {
  m_bMirrorAngle = 1;
  m_bGoalX = 1;
  m_bGoalY = 1;
  m_bTimeFromDistance = 1;
  m_bMirrorGoalX = 1;
  m_bReverseWithFacing = 1;
  m_sSpeed = 10;
  m_dBrake = 1.0;
}

void cEdMove::RegisterFields(int version) {
  AddField(&m_byGoalMode);
  AddField(&m_byDirection);
  AddField(&m_sAngle);
  AddField(&m_sAngleStep);
  if (version >= 158) AddField(&m_bMirrorAngle);
  AddField(&m_bGoalX);
  AddField(&m_bGoalY);
  AddField(&m_sGoalXBlocks);
  AddField(&m_sGoalYBlocks);
  AddField(&m_sGoalXDots);
  AddField(&m_sGoalYDots);
  AddField(&m_byCoordMode);
  AddField(&m_bTimeFromDistance);
  AddField(&m_bNoMoveX);
  AddField(&m_bNoMoveY);
  AddField(&m_bMirrorGoalX);
  AddField(&m_bMirrorGoalY);
  AddField(&m_bReverseWithFacing);
  AddField(&m_bStopAtGoal);
  if (version >= 162) AddField(&m_bKeepFacing);
  AddField(&m_byTimeMode);
  AddField(&m_sSpeed);
  AddField(&m_sSpeedStep);
  AddField(&m_sDistance);
  AddField(&m_sDistanceStep);
  if (version >= 159) AddField(&m_byDistanceUnit);
  AddField(&m_sRadius);
  AddField(&m_sRadiusStep);
  AddField(&m_bInertia);
  AddField(&m_sMaxSpeed);
  AddField(&m_dBrake);
  if (version >= 162) AddField(&m_bTimeFromAnime);
  if (version >= 767) AddField(&m_byTargetSlot);
}

void cEdMove::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  const int v = g_nFileVersion;
  if (v < DATA_VERSION) {
    if (v < 158) m_bMirrorAngle = 0;
    if (v < 159) m_byDistanceUnit = 0;
    if (v < 162) {
      m_bKeepFacing = 0;
      m_bTimeFromAnime = 0;
    }
  }
  ClampStoredIndex(m_byDirection, MAX_DIRECTION_CODE, "cEdMove", "m_byDirection");
  ClampStoredIndex(m_byTargetSlot, MAX_TARGET_SLOT, "cEdMove", "m_byTargetSlot");
}

void cEdMove::Save(FILE* fp) { cSaveRecord::Save(fp); }

void CreateEdMove(boost::shared_ptr<cEdMove>& p) { p.reset(new cEdMove); }

int MapInputDirection(int nInput, int bAllow, int bFacingRight, int bReplay, int nVersion) {
  static const int kDirection[8] = {2, 3, 6, 7, 8, 9, 10, 11};
  if (nInput >= 1 && nInput <= 8) return kDirection[nInput - 1];
  if (bReplay) {
    if (nVersion <= 777)
      bAllow = 1;
    else if (nVersion <= 779)
      bAllow = 0;
  }
  if (nInput == 9 && bAllow) return 0;
  return bFacingRight ? 3 : 2;
}
