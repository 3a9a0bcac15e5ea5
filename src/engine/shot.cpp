#include "engine/shot.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/log.h"
#include "engine/aimed_move.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "project/database.h"
#include "project/stage.h"
#include "project/system_data.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr int HALF_BLOCK = 16;
constexpr int SHOT_CELL = 16;

const cScroll* AxisX() { return g_lpPlayScene ? &g_lpPlayScene->m_ScrollX : nullptr; }
const cScroll* AxisY() { return g_lpPlayScene ? &g_lpPlayScene->m_ScrollY : nullptr; }
double OwnSpeed(const cScroll* s) { return s && s->MovesByItself() ? s->m_dAutoSpeed : 0.0; }


bool Alive(const cChara* c) { return c && !c->m_bRemoved && !c->m_bDead; }

// The nearest character of a side to a screen point, by the sum of the axis distances; the
// characters on screen first (only they when the stage hits on screen only).
cChara* NearestOfSide(int side, int x, int y) {
  if (!g_lpPlayScene || side < 0 || static_cast<size_t>(side) >= g_lpPlayScene->m_vDrawList.size()) return nullptr;
  cChara* best[2] = {nullptr, nullptr};
  long long bestDist[2] = {0, 0};
  for (cChara* c : g_lpPlayScene->m_vDrawList[static_cast<size_t>(side)]) {
    if (!c || c->m_bRemoved || !c->m_bActive || c->m_Data.m_byInvincible == 2) continue;
    int group = c->m_bOnScreen ? 0 : 1;
    if (g_StageData.m_bHitOnScreenOnly && group == 1) continue;
    long long d = std::llabs(static_cast<long long>(c->CenterX()) - x) + std::llabs(static_cast<long long>(c->CenterY()) - y);
    if (!best[group] || d < bestDist[group]) {
      best[group] = c;
      bestDist[group] = d;
    }
  }
  return best[0] ? best[0] : best[1];
}

cChara* Hero() { return g_vPlayer.empty() || g_vPlayer[0].m_bRemoved ? nullptr : &g_vPlayer[0]; }

bool CrossesZero(double before, double after) { return (before > 0 && after < 0) || (before < 0 && after > 0); }

}  // namespace

// The frames of a sword type; null (reported once) for a type outside the table or without
// frames.
const cSafeVector<cSwordTypeSub>* SwingOf(int type) {
  static bool reported = false;
  if (type >= 0 && static_cast<size_t>(type) < g_Database.m_vSwordType.size()) {
    const auto& swing = g_Database.m_vSwordType[static_cast<size_t>(type)].m_vSwing;
    if (!swing.empty()) return &swing;
  }
  if (!reported) {
    reported = true;
    ReportLog("Sword type %d has no frames: no sword is made", type);
  }
  return nullptr;
}

cShot::cShot(const cShot& other) : cObject(other) {
  m_nOwnerId = other.m_nOwnerId;
  m_bShot = other.m_bShot;
  m_nRangeCount = other.m_nRangeCount;
  m_nLifeCount = other.m_nLifeCount;
  m_nClock = other.m_nClock;
  m_nFrame = other.m_nFrame;
  m_dAccel = other.m_dAccel;
  m_dTrajSpeed = other.m_dTrajSpeed;
  m_dSpeedX = other.m_dSpeedX;
  m_dSpeedY = other.m_dSpeedY;
  m_bAccel = other.m_bAccel;
  m_nChangeTime = other.m_nChangeTime;
  m_nHomingEnd = other.m_nHomingEnd;
  m_bTrajDone = other.m_bTrajDone;
  m_dWavePhase = other.m_dWavePhase;
  m_dWaveSin = other.m_dWaveSin;
  m_dWaveCos = other.m_dWaveCos;
  m_nWaveAmplitude = other.m_nWaveAmplitude;
  m_nVolley = other.m_nVolley;
  m_Box = other.m_Box;
  m_Shot = other.m_Shot;
  m_bReport = other.m_bReport;
  m_byReportValue = other.m_byReportValue;
  m_lHitList = other.m_lHitList;
}

void cShot::Link(cChara* lpOwner, cChara* lpTarget) {
  Unlink();
  if (lpOwner) LinkOnce(*lpOwner, SUMMONER_SLOT);
  if (lpTarget) LinkOnce(*lpTarget, 0);
}

void cShot::LinkOnce(cChara& chara, int kind) {
  (kind == 0 ? m_lpTarget : m_lpOwner) = &chara;
  chara.m_vShotLink.AddOnce({this, kind});
}

void cShot::Unlink() {
  auto drop = [this](cChara* c) {
    if (!c) return;
    // Both of its links with the character, as its target and as its owner.
    c->m_vShotLink.Drop({this, 0});
    c->m_vShotLink.Drop({this, SUMMONER_SLOT});
  };
  drop(m_lpOwner);
  if (m_lpTarget != m_lpOwner) drop(m_lpTarget);
  m_lpOwner = nullptr;
  m_lpTarget = nullptr;
}

// Box and zoom.

void cShot::OnZoom(int nZoom) {
  m_Box.nOffsetX = nZoom * m_Box.nBaseOffsetX;
  m_Box.nOffsetY = nZoom * m_Box.nBaseOffsetY;
  m_Box.nWidth = nZoom * m_Box.nBaseWidth;
  m_Box.nHeight = nZoom * m_Box.nBaseHeight;
}

void cShot::ReanchorY(int nNew, int nOld) {
  if (nNew == nOld) return;
  m_dY -= (nNew - nOld) * (m_nBaseHeight >> 1);
  ClampY(2);
}

void cShot::UpdateHitX() {
  m_Box.dLeft = TruncPos(m_dX) + m_Box.nOffsetX;
  m_Box.dRight = m_Box.dLeft + m_Box.nWidth - 1;
}

void cShot::UpdateHitY() {
  m_Box.dTop = TruncPos(m_dY) + m_Box.nOffsetY;
  m_Box.dBottom = m_Box.dTop + m_Box.nHeight - 1;
}

// Set-up.

int cShot::SetData(int id, cChara& owner, int kind, const cEdShot& shot, const cShotSpawn& spawn) {
  const bool sword = kind == SHOT_KIND_SWORD;
  const cSafeVector<cSwordTypeSub>* swing = nullptr;
  if (sword) {
    swing = SwingOf(shot.m_byTrajectory);
    if (!swing) return 0;
  }
  m_Shot = shot;
  if (m_Shot.m_byZoom == 0) m_Shot.m_byZoom = 1;
  int facing = spawn.dVx > 0 ? 1 : spawn.dVx == 0 ? owner.m_nDir : 0;
  int w = SHOT_CELL;
  int h = SHOT_CELL;
  if (sword) {
    w = (*swing)[0].m_nWidth;
    h = (*swing)[0].m_nHeight;
  }
  m_bShot = sword ? 0 : 1;
  m_nOwnerId = owner.m_nId;
  m_nVolley = spawn.nVolley;
  Init(id, owner.m_nKind, owner.m_nPlayerNo, m_Shot.m_byLayer, m_Shot.m_sGraphic, nullptr, sword ? 0 : 1, 0, 0, w, h,
       SHOT_CELL, SHOT_CELL, facing, 1, static_cast<int16_t>(spawn.nVolley));
  if (m_Shot.m_bOwnerLayer) {
    m_nLayer = owner.m_nLayer;
    m_Shot.m_byLayer = static_cast<uint8_t>(owner.m_nLayer);
  }
  m_Box = cBox();
  if (sword) {
    m_Box.nBaseWidth = m_Box.nWidth = w;
    m_Box.nBaseHeight = m_Box.nHeight = h;
  } else {
    bool hero = owner.m_nKind == 0;
    int bw = hero ? g_StageData.m_nHeroShotW : g_StageData.m_nCharaShotW;
    int bh = hero ? g_StageData.m_nHeroShotH : g_StageData.m_nCharaShotH;
    m_Box.nBaseWidth = m_Box.nWidth = bw;
    m_Box.nBaseHeight = m_Box.nHeight = bh;
    m_Box.nBaseOffsetX = m_Box.nOffsetX = 8 - (bw >> 1);
    m_Box.nBaseOffsetY = m_Box.nOffsetY = 8 - (bh >> 1);
  }
  m_nZoom = m_Shot.m_byZoom;
  SetZoom(m_Shot.m_byZoom, 1);
  m_dX = spawn.nX;
  ClampX();
  m_dY = spawn.nY;
  ClampY(2);

  const double k = SubStepsReal();
  m_dSpeedX = spawn.dVx / k;
  m_dSpeedY = spawn.dVy / k;
  if (m_Shot.m_bAccel) {
    m_bAccel = 1;
    m_dAccel = (m_Shot.m_sAccel + m_Shot.m_sAccelStep * static_cast<double>(spawn.nVolley)) * 0.1 / k;
    SetAccelDir(m_dSpeedX, m_dSpeedY);
  } else {
    m_bAccel = 0;
    m_dAccel = 0;
    m_dAX = m_dAY = 0;
  }
  m_dVX = m_dVY = 0;
  m_bScrollSync = m_Shot.m_bScrollBound;
  if (m_Shot.m_bLifetime) {
    long long life = static_cast<long long>(spawn.nLifetime) * SubSteps() * 6;
    m_nLifeCount = static_cast<int32_t>(std::clamp<long long>(life, -2147483647LL - 1, 2147483647LL));
  }
  if (m_Shot.m_bRange) {
    double d = std::max(0, spawn.nRange * HALF_BLOCK - m_nWidth);
    double s = std::fabs(spawn.dSpeed / k);
    if (d > 0 && s > 0) {
      m_nRangeCount = TruncPos(d / s);
    } else {
      m_nRangeCount = TruncPos(k);
      if (s > 0 && TruncPos(k * s) > m_nWidth) m_nRangeCount = TruncPos(m_nWidth / s);
    }
    if (m_nRangeCount < k) {
      double sum = std::fabs(spawn.dVx) + std::fabs(spawn.dVy);
      // A spawn without velocity crosses nothing: the shot stands until its counter ends.
      m_dSpeedX = sum > 0 ? (d / k) * spawn.dVx / sum : 0;
      m_dSpeedY = sum > 0 ? (d / k) * spawn.dVy / sum : 0;
      m_nRangeCount = TruncPos(k);
    }
  }
  m_nClock = m_nFrame = m_nChangeTime = m_nHomingEnd = m_bTrajDone = 0;
  // A hit is reported to the owner when the shot data asks for it, to its flows of that id.
  m_bReport = m_Shot.m_bHitEvent;
  m_byReportValue = m_Shot.m_byHitEventId;
  m_lpTarget = owner.Target(m_Shot.m_byTargetSlot);
  m_lpOwner = &owner;
  return 1;
}

void cShot::SetAccelDir(double vx, double vy) {
  double m = m_dAccel;
  if (vx != 0 && vy != 0) {
    double v = std::sqrt(vx * vx + vy * vy);
    m_dAX = SpeedPerFrame(vx / v * m);
    m_dAY = SpeedPerFrame(vy / v * m);
  } else if (vx != 0) {
    m_dAX = vx > 0 ? SpeedPerFrame(m) : -SpeedPerFrame(m);
    m_dAY = 0;
  } else if (vy != 0) {
    m_dAX = 0;
    m_dAY = vy > 0 ? SpeedPerFrame(m) : -SpeedPerFrame(m);
  } else {
    m_dAX = m_dAY = 0;
  }
}

// Movement.

void cShot::SetCarry() {
  if (!g_SystemData.m_bLegacy214 && m_bScrollSync) {
    m_dVX = OwnSpeed(AxisX());
    if (m_bFree) m_dVY = OwnSpeed(AxisY());
  } else {
    m_dVX = 0;
    if (m_bFree) m_dVY = 0;
  }
}

int cShot::Move() {
  SetCarry();
  RunTrajectory();
  if (m_bAccel) {
    m_dSpeedX += m_dAX;
    if (m_bFree)
      m_dSpeedY += m_dAY;
    else
      m_dVY += m_dAY;
  }
  m_dVX += m_dSpeedX;
  if (m_bFree) m_dVY += m_dSpeedY;
  if (m_Shot.m_bLifetime) {
    if (m_nLifeCount <= 0) return 1;
    --m_nLifeCount;
  }
  if (m_dVX != 0) m_nDir = m_dVX >= 0 ? 1 : 0;
  // The range counter holds the moves left, as the lifetime counter does: a shot whose range is
  // shorter than one frame's travel moves in each sub-step of its first frame at the speed that
  // covers the range, and ends (or stops) in the sub-step after its last move.
  if (m_Shot.m_bRange) {
    if (m_nRangeCount > 0) {
      --m_nRangeCount;
    } else {
      if (!m_Shot.m_bStopAtRangeEnd) return 1;
      m_dSpeedX = m_dSpeedY = 0;
      m_Shot.m_byTrajectory = 0;
      SetCarry();
    }
  }
  return 0;
}

void cShot::RunTrajectory() {
  int t = m_Shot.m_byTrajectory;
  if (t >= TRAJECTORY_COUNT) {
    static bool reported = false;
    if (!reported) {
      reported = true;
      ReportLog("Shot trajectory %d outside 0..9: the shot flies straight", t);
    }
    return;
  }
  switch (t) {
    case 1:
    case 2:
    case 3: return AimOnce();
    case 4:
    case 5:
    case 6:
    case 7: return Home();
    case 8: return Wave();
    case 9: return Fall();
    default: return;
  }
}

void cShot::StartTrajectory(int homing) {
  if (m_nClock != 0) return;
  m_dTrajSpeed = (m_Shot.m_sSpeed + m_Shot.m_sSpeedStep * static_cast<double>(m_nVolley)) * 0.1 / SubStepsReal();
  double s = m_dTrajSpeed;
  auto ticks = [s](int hbl) { return s == 0 ? 0 : TruncPos(hbl * HALF_BLOCK / s); };
  if (m_Shot.m_sTrajParam[0] != 0) m_nChangeTime = ticks(m_Shot.m_sTrajParam[0]);
  if (homing && m_Shot.m_sTrajParam[1] != 0) m_nHomingEnd = ticks(m_Shot.m_sTrajParam[1]);
}

namespace {

// The object a trajectory aims or homes at, found anew at each use.
cChara* AimObject(const cShot& shot) {
  const int16_t* p = shot.m_Shot.m_sTrajParam;
  switch (shot.m_Shot.m_byTrajectory) {
    case 1:
    case 4: return Hero();
    case 2: return NearestOfSide(p[1], shot.CenterX(), shot.CenterY());
    case 5:
    case 7: return NearestOfSide(p[2], shot.CenterX(), shot.CenterY());
    case 3:
    case 6: return Alive(shot.m_lpTarget) ? shot.m_lpTarget : nullptr;
    default: return nullptr;
  }
}

}  // namespace

void cShot::AimOnce() {
  if (m_bTrajDone) return;
  StartTrajectory(0);
  if (m_nClock == m_nChangeTime) {
    CalcScreenRect();
    cChara* aim = AimObject(*this);
    if (aim) {
      int dir = 0;
      AimVelocity(m_dSpeedX, m_dSpeedY, dir, aim, CenterX(), CenterY(), aim->CenterX(), aim->CenterY(), m_dTrajSpeed,
                  m_bScrollSync, 1, 0);
      if (m_bAccel) SetAccelDir(m_dSpeedX, m_dSpeedY);
    }
    m_bTrajDone = 1;
  }
  ++m_nClock;
}

void cShot::Home() {
  if (m_bTrajDone) return;
  StartTrajectory(1);
  if (m_nClock >= m_nHomingEnd) {
    m_bTrajDone = 1;
    return;
  }
  if (m_nClock >= m_nChangeTime) {
    CalcScreenRect();
    cChara* aim = AimObject(*this);
    if (aim) {
      double vx = 0;
      double vy = 0;
      int dir = 0;
      AimVelocity(vx, vy, dir, aim, CenterX(), CenterY(), aim->CenterX(), aim->CenterY(), m_dTrajSpeed, m_bScrollSync,
                  1, 0);
      if (!m_bAccel || m_nClock == m_nChangeTime) {
        m_dSpeedX = vx;
        m_dSpeedY = vy;
      }
      if (m_bAccel) SetAccelDir(vx, vy);
    }
  }
  ++m_nClock;
}

void cShot::Wave() {
  if (m_bTrajDone) return;
  int period = m_Shot.m_sTrajParam[1];
  if (period == 0) {
    // A wave of speed 0 has no phase: the shot flies straight.
    static bool reported = false;
    if (!reported) {
      reported = true;
      ReportLog("Wave shot with speed 0: the shot flies straight");
    }
    m_bTrajDone = 1;
    return;
  }
  const double k = SubStepsReal();
  if (m_nClock == 0) {
    StartTrajectory(0);
    m_nWaveAmplitude = m_Shot.m_sTrajParam[0] * HALF_BLOCK;
    double start = m_Shot.m_sTrajParam[2] + (m_nDir == 0 ? 180 : 0);
    m_dWavePhase = k * start / period;
    double w = WaveVelocity(m_nWaveAmplitude, period, m_dWavePhase, 1, 0);
    double a = std::atan2(m_dSpeedY, m_dSpeedX);
    if (a < 0) a += 2 * PI;
    double b = a - PI / 2;
    m_dWaveCos = std::cos(b);
    m_dWaveSin = std::sin(b);
    m_dSpeedX += w * m_dWaveCos;
    m_dSpeedY += w * m_dWaveSin;
  } else {
    double w = WaveVelocity(m_nWaveAmplitude, period, m_dWavePhase, 1, 0);
    double nx = m_dSpeedX + w * m_dWaveCos;
    double ny = m_dSpeedY + w * m_dWaveSin;
    m_dSpeedX = CrossesZero(m_dSpeedX, nx) ? 0 : nx;
    m_dSpeedY = CrossesZero(m_dSpeedY, ny) ? 0 : ny;
  }
  if (m_bAccel) SetAccelDir(m_dSpeedX, m_dSpeedY);
  ++m_nClock;
}

void cShot::Fall() {
  if (m_bTrajDone) return;
  StartTrajectory(0);
  if (m_nClock >= m_nChangeTime) {
    m_dVY = m_dSpeedY;
    m_bFree = 0;
    m_bTrajDone = 1;
  }
  ++m_nClock;
}

int cShot::MoveSword() {
  cChara* owner = FindObjectById(m_nOwnerId);
  if (!owner) return 1;
  const cSafeVector<cSwordTypeSub>* swing = SwingOf(m_Shot.m_byTrajectory);
  if (!swing || m_nFrame < 0 || static_cast<size_t>(m_nFrame) >= swing->size()) return 1;
  const cSwordTypeSub& f = (*swing)[static_cast<size_t>(m_nFrame)];
  owner->CalcScreenRect();
  m_nDir = owner->m_nDir;
  const int zoom = m_Shot.m_byZoom;
  if (m_nClock == 0) {
    m_nBaseGraphicW = m_nBaseWidth = m_Box.nBaseWidth = f.m_nWidth;
    m_nBaseGraphicH = m_nBaseHeight = m_Box.nBaseHeight = f.m_nHeight;
    m_nGraphicW = m_nWidth = m_Box.nWidth = zoom * f.m_nWidth;
    m_nGraphicH = m_nHeight = m_Box.nHeight = zoom * f.m_nHeight;
  }
  const RECT& r = owner->m_rcScreen;
  const int ow = r.right - r.left + 1;
  const int oh = r.bottom - r.top + 1;
  const double sx = AxisX() ? AxisX()->m_dPos : 0;
  const double sy = AxisY() ? AxisY()->m_dPos : 0;
  const int w = m_nWidth;
  const int h = m_nHeight;
  const bool right = owner->m_nDir == 1;
  double x = 0;
  double y = sy + r.top + (oh >> 1) - (h >> 1);
  switch (f.m_nPlace) {
    case 1:
      x = right ? sx + r.left - w : sx + r.right + 1;
      m_nDir = right ? 0 : 1;
      break;
    case 2:
    case 3:
      x = sx + r.left + (ow >> 1) - (w >> 1);
      y = f.m_nPlace == 2 ? sy + r.top - h : sy + r.bottom + 1;
      break;
    default:
      x = right ? sx + r.right + 1 : sx + r.left - w;
      break;
  }
  double dx = static_cast<double>(zoom) * f.m_nOffsetX;
  double dy = static_cast<double>(zoom) * f.m_nOffsetY;
  x += right && f.m_bMirrorX ? -dx : dx;
  y += right && f.m_bMirrorY ? -dy : dy;
  m_dX = x;
  m_dY = y;
  ClampX();
  ClampY(2);
  ++m_nClock;
  long long frameTicks = static_cast<long long>(f.m_nTime) * SubSteps() * 6;
  if (m_nClock > frameTicks) {
    m_nClock = 0;
    if (static_cast<size_t>(++m_nFrame) >= swing->size()) return 1;
  }
  return 0;
}

void cShot::StepX() {
  if (m_dAX != 0) m_dVX += m_dAX;
  if (m_dVX == 0) return;
  double limit = g_StageData.m_dSpeedLimitStep;
  m_dVX = std::clamp(m_dVX, -limit, limit);
  m_dX += m_dVX;
  ClampX();
}

void cShot::StepY() {
  if (m_dAY != 0) m_dVY += m_dAY;
  if (m_dVY != 0) MoveStepY(2);
}

void cShot::ClampX() {
  const cScroll* s = AxisX();
  long long end = s ? static_cast<long long>(s->m_nCells) * CELL_DOTS : 0;
  if (m_dX < 0) {
    m_dX = 0;
  } else if (s && m_dX + m_nWidth - 1 >= end) {
    m_dX = static_cast<double>(end - m_nWidth);
  }
  UpdateFarX();
}

int cShot::HitMap() {
  if (m_Shot.m_bPassBlocks || !g_lpPlayScene) return 0;
  cPlayScene& scene = *g_lpPlayScene;
  auto solid = [&](long long x, long long y) { return scene.HitType(scene.CellAtDot(x, y), m_nLayer) != 0; };
  if (m_nWidth > CELL_DOTS) {
    const long long x0 = TruncPos(m_dX);
    const long long y0 = TruncPos(m_dY);
    // Samples every 32 dots, the last one exactly on the far edge.
    auto samples = [](int size) {
      std::vector<int> v;
      for (int d = 0; d < size - 1; d += CELL_DOTS) v.push_back(d);
      v.push_back(size > 0 ? size - 1 : 0);
      return v;
    };
    const std::vector<int> rows = samples(m_nHeight);
    const std::vector<int> cols = samples(m_nWidth);
    for (int dy : rows) {
      for (int dx : cols) {
        if (solid(x0 + dx, y0 + dy)) return 1;
      }
    }
    return 0;
  }
  const int cells[4][2] = {
      {m_nCellX, m_nCellY}, {m_nCellX, m_nFarCellY}, {m_nFarCellX, m_nCellY}, {m_nFarCellX, m_nFarCellY}};
  for (const auto& c : cells) {
    if (scene.HitType(scene.CellIndex(c[0], c[1]), m_nLayer) != 0) return 1;
  }
  return 0;
}

int cShot::IsOutOfShotRange() const {
  return IsOutOfRange(m_nKind == 0 ? g_StageData.m_RuleHeroShot : g_StageData.m_RuleCharaShot);
}

cShot& CloneShot(cObjectList<cShot>& list, const cShot& shot) {
  cShot& copy = list.Add(std::make_unique<cShot>(shot));
  if (g_lpPlayScene) {
    auto& lists = g_lpPlayScene->m_vShotDrawList;
    size_t side = static_cast<size_t>(copy.m_nLayer);
    if (copy.m_nLayer < 0 || side >= lists.size()) {
      ReportLog("err V[%d] ( %d , %d )", copy.m_nLayer, static_cast<int>(lists.size()),
                static_cast<int>(sizeof(std::list<cShot*>)));
      side = 0;
    }
    lists[side].push_back(&copy);
  }
  return copy;
}

void EraseShot(cShot& shot) { cObjectList<cShot>::Remove(shot); }

size_t SweepShots(cPlayScene& scene) {
  if (scene.m_lShot.Walking()) return 0;
  for (std::list<cShot*>& side : scene.m_vShotDrawList) side.remove_if([](const cShot* s) { return s->m_bRemoved; });
  return scene.m_lShot.Sweep();
}
