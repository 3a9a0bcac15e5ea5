#include "defs/ed_shot.h"

#include "defs/def_context.h"
#include "defs/stored_index.h"

cEdShot::cEdShot() {
  Register(DATA_VERSION);
  Clear();
  SetDefaults();
}

void cEdShot::SetDefaults() {
  m_bMirrorAngle = 1;
  m_bMirrorOffsetX = 1;
  m_bOwnerLayer = 1;
  m_byZoom = 1;
}

void cEdShot::RegisterFields(int version) {
  AddField(&m_byCount);
  AddField(&m_byFormation);
  AddField(m_sFormParam, 3);
  if (version >= 671) AddField(&m_byAimOrigin);
  AddField(&m_byDirection);
  AddField(&m_bAim);
  if (version >= 767) AddField(&m_byAimSlot);
  AddField(&m_sAngle);
  AddField(&m_sAngleStep);
  if (version >= 158) AddField(&m_bMirrorAngle);
  AddField(&m_sAngleRandom);
  AddField(&m_bRotate);
  AddField(&m_byVolleys);
  AddField(&m_sOffsetX);
  AddField(&m_sOffsetXStep);
  AddField(&m_sOffsetY);
  AddField(&m_sOffsetYStep);
  AddField(&m_bMirrorOffsetX);
  AddField(&m_bMirrorOffsetY);
  AddField(&m_sGraphic);
  AddField(&m_byShotOptionA);
  AddField(&m_bHidden);
  AddField(&m_bOwnerLayer);
  AddField(&m_byLayer);
  AddField(&m_byShotOptionC);
  AddField(&m_byZoom);
  AddField(&m_byShotOptionD);
  AddField(&m_byTrajectory);
  AddField(m_sTrajParam, 3);
  if (version >= 767) AddField(&m_byTargetSlot);
  if (version >= 211) AddField(&m_bScrollBound);
  AddField(&m_sSpeed);
  AddField(&m_sSpeedStep);
  if (version >= 213) {
    AddField(&m_bAccel);
    AddField(&m_sAccel);
    AddField(&m_sAccelStep);
  }
  AddField(&m_sRange);
  AddField(&m_bRange);
  AddField(&m_sRangeStep);
  AddField(&m_bStopAtRangeEnd);
  AddField(&m_bLifetime);
  AddField(&m_sLifetime);
  AddField(&m_sLifetimeStep);
  AddField(&m_bPassBlocks);
  AddField(&m_bPassChara);
  if (version >= 636) AddField(&m_bPassBlockChara);
  AddField(&m_bHitsShots);
  AddField(&m_byShotStrength);
  AddField(&m_nPower);
  AddField(&m_sShotValueE);
  AddField(&m_cImpact);
  AddField(&m_sHitEffect);
  AddField(&m_byItemPalette);
  AddField(&m_sItem);
  AddField(&m_bySummonOption);
  AddField(&m_byPrevBlockMode);
  if (version >= 197) AddField(&m_byBlockSummonMode);
  AddField(&m_bySummonPalette);
  AddField(&m_sSummonIndex);
  AddField(&m_byLayerMode);
  AddField(&m_bySummonOptionC);
  AddField(&m_bReverseFacing);
  if (version >= 762) {
    AddField(&m_bHitEvent);
    AddField(&m_byHitEventId);
  }
}

void cEdShot::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  const int v = g_nFileVersion;
  if (v < DATA_VERSION) {
    if (v < 158) m_bMirrorAngle = 0;
    if (v < 197) m_byBlockSummonMode = m_byPrevBlockMode;
    // The homing trajectories moved with the auto-scroll before the switch existed.
    if (v < 212) m_bScrollBound = m_byTrajectory >= 4 && m_byTrajectory <= 7 ? 1 : 0;
    if (v < 213) {
      m_bAccel = 0;
      m_sAccel = 0;
      m_sAccelStep = 0;
    }
    if (v < 636) m_bPassBlockChara = m_bPassChara;
    if (v <= 670) m_byAimOrigin = 0;
  }
  Validate();
  ClampStoredIndex(m_byFormation, MAX_FORMATION, "cEdShot", "m_byFormation");
  ClampStoredIndex(m_byDirection, MAX_DIRECTION_CODE, "cEdShot", "m_byDirection");
  ClampStoredIndex(m_byAimSlot, MAX_TARGET_SLOT, "cEdShot", "m_byAimSlot");
  ClampStoredIndex(m_byTargetSlot, MAX_TARGET_SLOT, "cEdShot", "m_byTargetSlot");
  ClampStoredIndex(m_byLayer, MAX_LAYER, "cEdShot", "m_byLayer");
}

void cEdShot::Save(FILE* fp) {
  Validate();
  cSaveRecord::Save(fp);
}

void cEdShot::Validate() {
  if (m_byZoom == 0) m_byZoom = 1;
  if (!DbListHolds(DBLIST_EFFECT, m_sHitEffect)) m_sHitEffect = 0;
}

void cEdShot::ClampTrajectory() { ClampStoredIndex(m_byTrajectory, MAX_TRAJECTORY, "cEdShot", "m_byTrajectory"); }

namespace {

int MemberOffset(int i, int step, int offset, bool mirror, int facing) {
  int v = i * step + offset;
  return facing == 1 && mirror ? -v : v;
}

}  // namespace

int cEdShot::GetOffsetX(int i, int facing) const {
  return MemberOffset(i, m_sOffsetXStep, m_sOffsetX, m_bMirrorOffsetX != 0, facing);
}

int cEdShot::GetOffsetY(int i, int facing) const {
  return MemberOffset(i, m_sOffsetYStep, m_sOffsetY, m_bMirrorOffsetY != 0, facing);
}

void CreateEdShot(boost::shared_ptr<cEdShot>& p) { p.reset(new cEdShot); }

// Labels in Shift-JIS, as the tables are read with the system's texts.
const cShotParamInfo g_FormationParam[FORMATION_COUNT * 3] = {
    {"間隔(hbl)", 0, 40, 0},  {"", 0, 0, 0},           {"", 0, 0, 0},              // 直進A
    {"間隔(hbl)", 0, 40, 0},  {"", 0, 0, 0},           {"", 0, 0, 0},              // 直進B
    {"角度", 0, 180, 30},     {"", 0, 0, 0},           {"", 0, 0, 0},              // 拡散
    {"間隔(hbl)", 0, 40, 0},  {"列の数", 1, 50, 1},    {"列の間隔(hbl)", 0, 40, 0},  // 落雷
    {"", 0, 0, 0},            {"", 0, 0, 0},           {"", 0, 0, 0},              // 爆発
    {"距離(hbl)", 0, 40, 6},  {"", 0, 0, 0},           {"", 0, 0, 0},              // 包囲
};

const cShotParamInfo g_TrajectoryParam[TRAJECTORY_COUNT * 3] = {
    {"", 0, 0, 0},                 {"", 0, 0, 0},                  {"", 0, 0, 0},              // 直進
    {"軌道変更(hbl)", 0, 40, 0},   {"", 0, 0, 0},                  {"", 0, 0, 0},              // 主人公を狙う
    {"軌道変更(hbl)", 0, 40, 0},   {"対象勢力", 0, 7, 0},          {"", 0, 0, 0},              // 近いキャラを狙う
    {"軌道変更(hbl)", 0, 40, 0},   {"", 0, 0, 0},                  {"", 0, 0, 0},              // ターゲットを狙う
    {"誘導開始(hbl)", 0, 40, 0},   {"誘導終了(hbl)", 0, 999, 999}, {"", 0, 0, 0},              // 主人公へ誘導
    {"誘導開始(hbl)", 0, 40, 0},   {"誘導終了(hbl)", 0, 999, 999}, {"対象勢力", 0, 7, 0},      // 近いキャラへ誘導（対象死亡時、誘導を無効化）
    {"誘導開始(hbl)", 0, 40, 0},   {"誘導終了(hbl)", 0, 999, 999}, {"", 0, 0, 0},              // ターゲットへ誘導
    {"誘導開始(hbl)", 0, 40, 0},   {"誘導終了(hbl)", 0, 999, 999}, {"対象勢力", 0, 7, 0},      // 近いキャラへ誘導（対象死亡時、対象を変更）
    {"波の最大(hbl)", 0, 100, 4},  {"波の速度", 0, 100, 4},        {"開始角度", 0, 359, 0},    // ウェーブ
    {"軌道変更(hbl)", 0, 40, 0},   {"", 0, 0, 0},                  {"", 0, 0, 0},              // 落下
};

namespace {

const cShotParamInfo kUnused = {"", 0, 0, 0};

}  // namespace

const cShotParamInfo& GetFormationParam(int formation, int param) {
  if (formation < 0 || formation >= FORMATION_COUNT || param < 0 || param >= 3) return kUnused;
  return g_FormationParam[formation * 3 + param];
}

const cShotParamInfo& GetTrajectoryParam(int trajectory, int param) {
  if (trajectory < 0 || trajectory >= TRAJECTORY_COUNT || param < 0 || param >= 3) return kUnused;
  return g_TrajectoryParam[trajectory * 3 + param];
}
