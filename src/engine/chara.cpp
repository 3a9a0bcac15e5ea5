#include "engine/chara.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/block_index.h"
#include "engine/effect.h"
#include "engine/item.h"
#include "engine/object_id_index.h"
#include "engine/object_limits.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/shot.h"
#include "engine/stage_chara.h"
#include "project/save_data.h"
#include "project/stage.h"
#include "project/system_data.h"
#include "script/cmd_state.h"
#include "script/flow_trigger.h"

void (*g_lpfnFireEventEx)(cChara& chara, int key, cObject* lpPartner, int value) = nullptr;

bool IsSameTargetRef(const cCharaRef& a, const cCharaRef& b) { return a.lpChara == b.lpChara && a.nSlot == b.nSlot; }

cChara::cChara(const cChara& other) : cObject(other) { CopyFrom(other); }

cChara::~cChara() {
  if (!m_bLinksReleased) ReleaseLinks();
}

void cChara::CopyFrom(const cChara& o) {
  cObject::CopyBase(o);
  m_vTarget = o.m_vTarget;
  m_lpSummoner = o.m_lpSummoner;
  m_vBackRef = o.m_vBackRef;
  m_vShotLink = o.m_vShotLink;
  m_bReportToSummoner = o.m_bReportToSummoner;
  m_byReportValue = o.m_byReportValue;
  m_Data = o.m_Data;
  m_vGroupRunning = o.m_vGroupRunning;
  m_vGroupStarted = o.m_vGroupStarted;
  m_vGroupStopped = o.m_vGroupStopped;
  m_bAnyGroupStopped = o.m_bAnyGroupStopped;
  m_bAnyDelete = o.m_bAnyDelete;
  std::copy(o.m_nPlaceValue, o.m_nPlaceValue + 4, m_nPlaceValue);
  m_bMovedByCmd = o.m_bMovedByCmd;
  m_dKnockX = o.m_dKnockX;
  m_dKnockY = o.m_dKnockY;
  m_bKnocked = o.m_bKnocked;
  m_dLastKnockY = o.m_dLastKnockY;
  m_bGravityHold = o.m_bGravityHold;
  m_nWallSide = o.m_nWallSide;
  m_bAirborne = o.m_bAirborne;
  m_bJumpStartA = o.m_bJumpStartA;
  m_bJumpStartB = o.m_bJumpStartB;
  m_bJumping = o.m_bJumping;
  m_nAirCount = o.m_nAirCount;
  m_lpFloor = o.m_lpFloor;
  m_lpLastFloor = o.m_lpLastFloor;
  m_nModeCountdown = o.m_nModeCountdown;
  m_nPinX = o.m_nPinX;
  m_nPinY = o.m_nPinY;
  m_nPinLeft = o.m_nPinLeft;
  m_nPinTop = o.m_nPinTop;
  m_bDead = o.m_bDead;
  m_bPressLeft = o.m_bPressLeft;
  m_bPressRight = o.m_bPressRight;
  m_bPressTop = o.m_bPressTop;
  m_bPressBottom = o.m_bPressBottom;
  m_bShifted = o.m_bShifted;
  m_bRiding = o.m_bRiding;
  m_nCarrierId = o.m_nCarrierId;
  std::copy(o.m_dCarrier, o.m_dCarrier + 4, m_dCarrier);
  std::copy(o.m_dPrev, o.m_dPrev + 4, m_dPrev);
  m_nHp = o.m_nHp;
  m_HpGauge = o.m_HpGauge;
  m_nSp = o.m_nSp;
  m_SpGauge = o.m_SpGauge;
  m_vVar = o.m_vVar;
  m_nPause = o.m_nPause;
  m_lPartnerPause = o.m_lPartnerPause;
  m_lAnime = o.m_lAnime;
  m_nDeathCount = o.m_nDeathCount;
  m_Effect = o.m_Effect;
  CopyFlowState(o);
  m_bRemoveNow = o.m_bRemoveNow;
  m_nSight = o.m_nSight;
  m_BoxA = o.m_BoxA;
  m_BoxB = o.m_BoxB;
  m_bTurnBack = o.m_bTurnBack;
  m_nTurnBackId = o.m_nTurnBackId;
  m_dTurnBackX = o.m_dTurnBackX;
  // The links stay the original's: releasing them from the copy would empty the slots of the
  // characters that point at the original.
  m_bLinksReleased = 1;
}

void cChara::Reset(const cCharaData* lpData, const int32_t placeValue[4], int16_t tag) {
  m_sTag = tag;
  m_vBackRef.clear();
  m_vShotLink.clear();
  m_vTarget.assign(TARGET_SLOTS, nullptr);
  m_lpSummoner = nullptr;
  m_bReportToSummoner = 0;
  m_bLinksReleased = 0;
  m_vGroupRunning.assign(FLOW_GROUPS, 0);
  m_vGroupStarted.assign(FLOW_GROUPS, 0);
  m_vGroupStopped.assign(FLOW_GROUPS, 0);
  m_bAnyGroupStopped = 0;
  m_bAnyDelete = 0;
  for (int i = 0; i < 4; ++i) m_nPlaceValue[i] = placeValue ? placeValue[i] : 0;
  m_dKnockX = m_dKnockY = 0;
  m_bKnocked = 0;
  m_dLastKnockY = 0;
  m_bGravityHold = 0;
  m_nWallSide = -1;
  m_bAirborne = 1;
  m_bJumpStartA = m_bJumpStartB = m_bJumping = 0;
  m_nAirCount = 0;
  m_lpFloor = m_lpLastFloor = nullptr;
  m_nModeCountdown = 0;
  m_nPinX = m_nPinY = 0;
  m_bDead = 0;
  m_bPressLeft = m_bPressRight = m_bPressTop = m_bPressBottom = 0;
  m_bShifted = 0;
  m_bRiding = 0;
  m_nCarrierId = 0;
  m_nHp = m_nSp = 0;
  m_HpGauge = cGauge();
  m_SpGauge = cGauge();
  m_vVar.assign(CHARA_VARIABLES, 0);
  if (lpData) {
    m_Data = *lpData;
    m_nHp = m_Data.m_nMaxHp;
    m_nSp = m_Data.m_nMaxSp;
  }
  m_bRemoveNow = 0;
  m_bScrollSync = m_Data.m_bScrollSync;
  m_nSight = HblToDot(m_Data.m_bySight);
  m_dFriction = AccelFromParam(m_Data.m_sStop);
  m_Effect.Clear();
  if (m_Data.m_wAppearEffect != 0)
    m_Effect.Start(m_Data.m_wAppearEffect, m_Data.m_byAppearEffectMode, m_Data.m_byAppearEffectValue);
  m_nPause = 0;
  m_lPartnerPause.clear();
  // The basic animations from the definition's set; the running animations start empty.
  SetAnimeSet(m_Data.m_wAnimeSet, 1);
  m_lAnime.clear();
  m_nDeathCount = 0;
  m_bReportToSummoner = 0;
  m_byReportValue = 0;
}

namespace {

void AddRefOnce(cLinkList<cCharaRef>& refs, const cCharaRef& ref) { refs.AddOnce(ref); }

void EraseRefs(cLinkList<cCharaRef>& refs, const cCharaRef& ref) { refs.Drop(ref); }

}  // namespace

void cChara::LinkInitialTargets(cChara* lpSummoner) {
  if (!g_vPlayer.empty()) {
    cChara* hero = &g_vPlayer[0];
    m_vTarget[0] = hero;
    AddRefOnce(hero->m_vBackRef, {this, 0});
  }
  m_lpSummoner = lpSummoner;
  if (lpSummoner) AddRefOnce(lpSummoner->m_vBackRef, {this, SUMMONER_SLOT});
  m_bLinksReleased = 0;
}

void cChara::SetTarget(int slot, cChara* lpChara) {
  if (slot < 0 || slot >= TARGET_SLOTS) return;
  cChara* old = m_vTarget[static_cast<size_t>(slot)];
  if (old == lpChara) return;
  if (old) {
    // The old target keeps a reference only while another slot still points at it.
    EraseRefs(old->m_vBackRef, {this, slot});
  }
  if (lpChara && lpChara->m_bRemoved) lpChara = nullptr;
  m_vTarget[static_cast<size_t>(slot)] = lpChara;
  if (lpChara) AddRefOnce(lpChara->m_vBackRef, {this, slot});
  m_bLinksReleased = 0;
}

cChara* cChara::Target(int slot) const {
  if (slot < 0 || slot >= TARGET_SLOTS) return nullptr;
  return m_vTarget[static_cast<size_t>(slot)];
}

void cChara::ReleaseLinks() {
  cLinkList<cCharaRef> refs;
  refs.swap(m_vBackRef);
  for (const cCharaRef& r : refs) {
    if (!r.lpChara) continue;
    if (r.nSlot >= 0 && r.nSlot < TARGET_SLOTS) {
      if (r.lpChara->m_vTarget[static_cast<size_t>(r.nSlot)] == this) r.lpChara->m_vTarget[static_cast<size_t>(r.nSlot)] = nullptr;
    } else if (r.nSlot == SUMMONER_SLOT && r.lpChara->m_lpSummoner == this) {
      r.lpChara->m_lpSummoner = nullptr;
    }
  }
  for (int j = 0; j < TARGET_SLOTS; ++j) {
    cChara* t = m_vTarget[static_cast<size_t>(j)];
    if (!t) continue;
    EraseRefs(t->m_vBackRef, {this, j});
    m_vTarget[static_cast<size_t>(j)] = nullptr;
  }
  if (m_lpSummoner) {
    EraseRefs(m_lpSummoner->m_vBackRef, {this, SUMMONER_SLOT});
    m_lpSummoner = nullptr;
  }
  cLinkList<cShotLink> shots;
  shots.swap(m_vShotLink);
  for (const cShotLink& s : shots) {
    if (!s.lpShot) continue;
    if (s.nKind == 0 && s.lpShot->m_lpTarget == this) s.lpShot->m_lpTarget = nullptr;
    if (s.nKind == SUMMONER_SLOT && s.lpShot->m_lpOwner == this) s.lpShot->m_lpOwner = nullptr;
  }
  m_bLinksReleased = 1;
}

// Hit points and skill points.

int cChara::AddHp(int delta, int force, int animate) {
  if (!force && delta <= 0 && m_Data.m_byInvincible != 0) return 0;
  long long d = delta;
  if (d > 0) d = std::min<long long>(d, static_cast<long long>(m_Data.m_nMaxHp) - m_nHp);
  long long hp = std::clamp<long long>(m_nHp + d, 0, std::max(0, m_Data.m_nMaxHp));
  m_nHp = static_cast<int32_t>(hp);
  if (m_nHp <= 0) {
    m_nHp = 0;
    return 1;
  }
  if (animate) StartGaugeAnim(static_cast<int>(d));
  return 0;
}

int cChara::AddSp(int delta, int animate) {
  long long d = delta;
  if (d > 0) d = std::min<long long>(d, static_cast<long long>(m_Data.m_nMaxSp) - m_nSp);
  m_nSp = static_cast<int32_t>(std::clamp<long long>(m_nSp + d, 0, std::max(0, m_Data.m_nMaxSp)));
  if (animate) StartSpGaugeAnim(static_cast<int>(d));
  return m_Data.m_nMaxSp <= 0 ? 1 : 0;
}

namespace {

// A gauge without capacity has nothing to show (and nothing to divide by).
void StartGauge(cGauge& g, int delta, int value, int max) {
  if (delta == 0 || max <= 0) return;
  g.nFrames = 120;
  g.nTarget = static_cast<int32_t>(static_cast<long long>(value) * 50 / max);
  g.dChange = static_cast<double>(delta) * 50 / max;
  g.dPerFrame = g.dChange / 60;
}

}  // namespace

void cChara::StartGaugeAnim(int delta) { StartGauge(m_HpGauge, delta, m_nHp, m_Data.m_nMaxHp); }
void cChara::StartSpGaugeAnim(int delta) { StartGauge(m_SpGauge, delta, m_nSp, m_Data.m_nMaxSp); }

// Damage and reports.

namespace {

cEffectBox BoxOf(const cBox& b) { return {b.dLeft, b.dTop, b.dRight, b.dBottom}; }

void AddHitEffect(int effect, const cBox& attacker, const cBox& victim, int zoom) {
  if (effect == 0 || !g_lpPlayScene) return;
  cEffect e;
  if (e.StartHit(effect, BoxOf(attacker), BoxOf(victim), zoom) &&
      RoomForObject(LIMIT_EFFECTS, g_lpPlayScene->m_lEffect.size()))
    g_lpPlayScene->m_lEffect.push_back(e);
}

int DamageAfterDefence(int power, int defence) {
  if (power <= 0) return power;
  long long d = static_cast<long long>(power) - defence;
  return static_cast<int>(std::clamp<long long>(d, 0, SCORE_MAX));
}

}  // namespace

int cChara::TakeDamage(cChara& attacker) {
  int d = DamageAfterDefence(attacker.m_Data.m_nPower, m_Data.m_nDefence);
  int r = AddHp(-d, 0, 1);
  AddHitEffect(attacker.m_Data.m_wHitEffect, attacker.m_BoxA, m_BoxA, attacker.m_nZoom);
  KnockFromChara(attacker);
  return r;
}

int cChara::TakeShotDamage(cShot& shot) {
  int d = DamageAfterDefence(shot.m_Shot.m_nPower, m_Data.m_nDefence);
  int r = AddHp(-d, 0, 1);
  AddHitEffect(static_cast<uint16_t>(shot.m_Shot.m_sHitEffect), shot.m_Box, m_BoxB, shot.m_Shot.m_byZoom);
  KnockFromShot(shot);
  return r;
}

void cChara::ReportDamage(cChara& attacker) {
  auto report = [&](int key, int reportKey) {
    if (attacker.m_bReportToSummoner && attacker.m_lpSummoner) {
      cChara* summoner = attacker.m_lpSummoner;
      FireEventEx(key, summoner, 0);
      summoner->FireEventEx(reportKey, this, attacker.m_byReportValue);
    } else {
      FireEventEx(key, &attacker, 0);
    }
  };
  if (attacker.m_Data.m_nPower != 0) report(1, 18);
  if (attacker.m_Data.m_cImpact != 0) report(2, 19);
}

void cChara::ReportShotDamage(cShot& shot) {
  auto report = [&](int key, int reportKey) {
    FireEventEx(key, shot.m_lpOwner, 0);
    if (shot.m_lpOwner && shot.m_bReport) shot.m_lpOwner->FireEventEx(reportKey, this, shot.m_byReportValue);
  };
  if (shot.m_Shot.m_nPower != 0) report(1, 18);
  if (shot.m_Shot.m_cImpact != 0) report(2, 19);
}

void cChara::FireEventEx(int key, cObject* lpPartner, int value) {
  if (g_lpfnFireEventEx) {
    g_lpfnFireEventEx(*this, key, lpPartner, value);
    return;
  }
  FireFlowEvent(*this, key, lpPartner, value);
}

// Knock-back.

void cChara::ApplyImpact(int impact, double dx, double dy) {
  impact = static_cast<int8_t>(impact);
  if (impact == 0) return;
  int resist = m_Data.m_byImpactResist;
  int e;
  if (impact > 0) {
    e = std::min(std::max(impact - resist, 0), 20);
  } else {
    e = std::min(std::max(impact + resist, -20), 0);
  }
  KnockbackSpeed(m_dKnockX, m_dKnockY, e, dx, dy);
  constexpr double eps = 1e-8;
  auto opposes = [](double a, double b) { return (a > eps && b < -eps) || (a < -eps && b > eps); };
  if (m_dAX != 0 && opposes(m_dKnockX, m_dAX)) m_dAX = 0;
  if (m_dAY != 0 && opposes(m_dKnockY, m_dAY)) m_dAY = 0;
  if (opposes(m_dKnockY, m_dVY)) m_dVY = 0;
  m_bKnocked = 1;
}

void cChara::KnockFromChara(const cChara& attacker) {
  double dx = attacker.m_dVX;
  double dy = attacker.m_dVY;
  if (attacker.m_Data.m_byFlying == 0 && 8 * SubStepsReal() * g_StageData.m_dGravityStep > attacker.m_dVY) dy = 0;
  ApplyImpact(attacker.m_Data.m_cImpact, dx, dy);
}

void cChara::KnockFromShot(const cShot& shot) {
  if (shot.m_bShot)
    ApplyImpact(shot.m_Shot.m_cImpact, shot.m_dVX, shot.m_dVY);
  else
    ApplyImpact(shot.m_Shot.m_cImpact, shot.DirSign(), 0);
}

void cChara::ApplyKnockY() {
  if (m_dKnockY != 0) {
    if (m_bFree) {
      m_dVY += m_dKnockY;
    } else if (m_dKnockY > 0 && IsOnGround()) {
      m_dKnockY = 0;
    } else {
      m_dVY = m_dKnockY + (m_dVY - m_dLastKnockY);
    }
  }
  m_dLastKnockY = m_dKnockY;
}

void cChara::DecayKnock(double& v) const {
  double step = 1.0 / SubStepsReal();
  if (v > 0) {
    v -= step;
    if (v < 0) v = 0;
  } else if (v < 0) {
    v += step;
    if (v > 0) v = 0;
  }
}

// Contact pauses.

namespace {

// k × a pause of the stage, within the int range whatever the file holds.
int32_t PauseSubSteps(int32_t pause) {
  return static_cast<int32_t>(std::clamp<long long>(static_cast<long long>(SubSteps()) * pause, INT32_MIN, INT32_MAX));
}

}  // namespace

void cChara::StartPause() {
  m_nPause = PauseSubSteps(m_nKind == 0 ? g_StageData.m_nHeroContactPause : g_StageData.m_nCharaContactPause);
}

void cChara::StartPartnerPause(int partnerId) {
  StartPause();
  int n = PauseSubSteps(m_nKind == 0 ? g_StageData.m_nHeroPartnerPause : g_StageData.m_nCharaPartnerPause);
  m_lPartnerPause.push_back({partnerId, n});
}

void cChara::AgePauses() {
  // One sub-step less, 0 at the least; a pause the stage stores below 0 (down to INT32_MIN) is
  // over at once.
  m_nPause = m_nPause > 0 ? m_nPause - 1 : 0;
  m_lPartnerPause.Age();
}

bool cChara::IsPausedFor(int partnerId) const {
  if (IsPaused()) return true;
  return m_lPartnerPause.Has(partnerId);
}

// Death.

int cChara::Die() {
  FireEvent(3);
  Act(1);
  long long score = static_cast<long long>(g_SaveData.m_nStageScore) + m_Data.m_nScore;
  g_SaveData.m_nStageScore = static_cast<int32_t>(std::clamp<long long>(score, 0, SCORE_MAX));
  int r = 0;
  if (cItem* item = GetDropItem()) {
    if (!g_vPlayer.empty()) r = TakeItem(item, g_vPlayer[0]);
  }
  if ((g_lpPlayScene && g_lpPlayScene->m_nStageResult == 1) || r == 1) return 1;
  ReleaseLinks();
  m_bDead = 1;
  m_Effect.Start(m_Data.m_wDeathEffect, m_Data.m_byDeathEffectMode, 0);
  return 0;
}

// Frame bookkeeping.

void cChara::SavePosition() {
  m_dPrev[0] = m_dX;
  m_dPrev[1] = m_dY;
  m_dPrev[2] = m_dFarX;
  m_dPrev[3] = m_dFarY;
}

void cChara::RestorePosition() {
  m_dX = m_dPrev[0];
  m_dY = m_dPrev[1];
  m_dFarX = m_dPrev[2];
  m_dFarY = m_dPrev[3];
  if (m_Data.m_bBlockChara) NoteBlockCharaMoved();
}

void cChara::ClearPressed() { m_bPressLeft = m_bPressRight = m_bPressTop = m_bPressBottom = 0; }

void cChara::LeaveCarrier(int bShift) {
  m_bRiding = 0;
  if (m_dKnockY == 0) m_dVY = 0;
  if (bShift) m_bShifted = 1;
}

// Zoom, placement and boxes.

void cChara::ReanchorY(int nNew, int nOld) {
  if (nNew == nOld) return;
  int d = nNew - nOld;
  if (g_SystemData.m_bLegacy261) {
    m_dY -= d * m_nBaseHeight;
  } else {
    m_dY -= d * m_nBaseGraphicH;
    m_dY += d * m_nBaseGraphicY;
  }
  OnMoveY();
}

void cChara::SetBlockX(int n) {
  m_dX = (n + static_cast<double>(MAP_MARGIN)) * CELL_DOTS + m_nBaseGraphicX + 0.5;
  ReanchorX(m_nZoom, 1);
  OnMoveX();
}

void cChara::SetBlockY(int n) {
  m_dY = (n + static_cast<double>(MAP_MARGIN)) * CELL_DOTS + m_nBaseGraphicY;
  ReanchorY(m_nZoom, 1);
  OnMoveY();
}

void cChara::SetBoxA(int bottom, int w, int h) {
  int ox = 16 - m_nGraphicX - (w >> 1);
  int oy = bottom ? 32 - m_nGraphicY - h : 16 - m_nGraphicY - (h >> 1);
  m_BoxA.nOffsetX = m_BoxA.nBaseOffsetX = ox;
  m_BoxA.nOffsetY = m_BoxA.nBaseOffsetY = oy;
  m_BoxA.nWidth = m_BoxA.nBaseWidth = w;
  m_BoxA.nHeight = m_BoxA.nBaseHeight = h;
}

// Centre moves.

void cChara::MoveCenterTo(int gx, int gy) {
  MoveCenterX(gx);
  MoveCenterY(gy);
}

void cChara::ArriveAt(int gx, int gy, cCmdState& state) {
  MoveCenterTo(gx, gy);
  state.m_dVx = 0;
  state.m_dVy = 0;
}

void cChara::MoveCenterX(int gx) {
  int c = m_rcScreen.left + (m_nGraphicW >> 1);
  m_dX += gx - c;
  OnMoveX();
}

void cChara::ArriveX(int gx, cCmdState& state) {
  MoveCenterX(gx);
  state.m_dVx = 0;
}

void cChara::MoveCenterY(int gy) {
  int c = m_rcScreen.top + (m_nGraphicH >> 1);
  m_dY += gy - c;
  OnMoveY();
}

void cChara::ArriveY(int gy, cCmdState& state) {
  MoveCenterY(gy);
  state.m_dVy = 0;
}

// Jump figures.

double cChara::JumpSpeedForHeight(double h) const {
  double g = g_StageData.m_dGravityStep;
  double radicand = g * (8 * h + g);
  // A height the gravity cannot give (below the ground) has no start speed.
  if (!(radicand >= 0)) return 0;
  double vs = (-g - std::sqrt(radicand)) / 2;
  if (m_nKind == 0) vs *= 0.99 - 0.025 * g_StageData.m_dGravity;
  return std::isfinite(vs) ? vs : 0;
}

double cChara::JumpSpeedForHbl(int n) const { return JumpSpeedForHeight(static_cast<int8_t>(n) * 16); }

int cChara::JumpTicks(double vs) const {
  double g = g_StageData.m_dGravityStep;
  int k = SubSteps();
  // Without gravity a jump never turns: it lasts one frame's sub-steps.
  if (!(g > 0)) return k;
  double t = std::trunc(k - vs / g);
  if (!std::isfinite(t) || t > 2147483647.0 || t < -2147483648.0) return k;
  return static_cast<int>(t);
}

int cChara::JumpTimeForHbl(int n) const { return JumpTicks(JumpSpeedForHbl(n)) / SubSteps() / 6 + 1; }

// Chara lookup.

cStageChara* FindStageCharaById(cObjectList<cStageChara>& list, int id) {
  // The game thread's (and, while it waits, the pause thread's): one frame loop runs at a time.
  static cObjectIdIndex<cStageChara> s_index;
  return s_index.Find(list, id);
}

cChara* FindObjectById(int id) {
  for (cPlayer& p : g_vPlayer)
    if (!p.m_bRemoved && p.m_nId == id) return &p;
  return FindStageCharaById(g_lChara, id);
}
