#include "engine/shot_formation.h"

#include <cmath>

#include "core/log.h"
#include "core/rand_range.h"
#include "core/save_record.h"
#include "defs/ed_move.h"
#include "engine/aimed_move.h"
#include "engine/chara.h"
#include "engine/object_limits.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "project/system_data.h"
#include "script/flow_run.h"

namespace {

constexpr double PI = 3.14159265358979323846;
const double C = 1.0 / std::sqrt(2.0);

double Rad(double deg) { return deg * PI / 180; }
int T(double v) { return TruncPos(v); }

// The scroll positions.
double Sx() { return g_lpPlayScene ? g_lpPlayScene->m_ScrollX.m_dPos : 0; }
double Sy() { return g_lpPlayScene ? g_lpPlayScene->m_ScrollY.m_dPos : 0; }

void ReportOnce(bool& reported, const char* text, int value) {
  if (reported) return;
  reported = true;
  ReportLog(text, value);
}

// What every formation reads of the user and the record.
struct Frame {
  cChara& user;
  const cEdShot& shot;
  cShotSpawn rec;
  std::vector<cShotSpawn>& out;
  int L, T, R, B, W, H;
  int w, h, n, S;
  double sx, sy, v;
  bool angled;
  // Only the places are wanted (a summon): the velocities of the objects are left at 0.
  bool placesOnly;

  Frame(cChara& u, const cEdShot& s, const cShotSpawn& r, std::vector<cShotSpawn>& o, bool places)
      : user(u), shot(s), rec(r), out(o), placesOnly(places) {
    L = u.m_rcScreen.left;
    T = u.m_rcScreen.top;
    R = u.m_rcScreen.right;
    B = u.m_rcScreen.bottom;
    W = u.m_nGraphicW;
    H = u.m_nGraphicH;
    w = r.nWidth;
    h = r.nHeight;
    n = s.m_byCount;
    S = s.m_sFormParam[0] * 16;
    sx = Sx();
    sy = Sy();
    v = r.dSpeed;
    angled = r.dAngle != 0 || s.m_bAim;
  }
  // The diagonal anchors.
  int XMinus() const { return T_(T_(sx) + L + (W >> 1) + C * (1 - (W >> 1) - (w >> 1)) - (w >> 1)); }
  int XPlus() const { return T_(T_(sx) + L + (W >> 1) + C * (R + (w >> 1) - (W >> 1) - L + 1) - (w >> 1)); }
  int YMinus() const { return T_(T_(sy) + T + (H >> 1) - C * ((H >> 1) + (h >> 1)) - (h >> 1)); }
  int YPlus() const { return T_(T_(sy) + T + (H >> 1) + C * (B + (h >> 1) - T - (H >> 1) + 1) - (h >> 1)); }
  static int T_(double v) { return TruncPos(v); }
  // The user's centre in stage dots plus the offsets.
  double UserCentreX() const { return L + (W >> 1) + sx + rec.nOffsetX; }
  double UserCentreY() const { return T + (H >> 1) + sy + rec.nOffsetY; }
  // The angle from the centre of an object at (x, y).
  double AimFrom(int x, int y) { return AimAngle(x + (w >> 1), y + (h >> 1), user, shot, rec); }
  double Base() const { return BaseAngle(rec.nDir); }
  // The row start around the user at angle t (degrees).
  void RotateRowStart(double t, int& x, int& y) const {
    double a = C * (B + (h >> 1) - T - (H >> 1) + 1);
    double b = C * ((w >> 1) + R - L - (W >> 1) + 1);
    double phi = Rad(t + 225);
    x = T_(L + (W >> 1) + sx + a * std::sin(phi) + b * std::cos(phi) - (w >> 1));
    y = T_(T + (H >> 1) + sy + b * std::sin(phi) - a * std::cos(phi) - (h >> 1));
  }
  void Put(int x, int y, double vx, double vy) {
    cShotSpawn s = rec;
    s.nX = x;
    s.nY = y;
    s.dVx = vx;
    s.dVy = vy;
    out.push_back(s);
  }
  void PutAt(int x, int y, double angle) {
    double vx = 0;
    double vy = 0;
    if (!placesOnly) AngleVelocity(angle, v, vx, vy);
    Put(x, y, vx, vy);
    out.back().dAngle = angle;
  }
  // n objects from (x, y) on by (dx, dy), all with one velocity.
  void Row(int x, int y, int dx, int dy, double vx, double vy) {
    for (int i = 0; i < n; ++i) Put(x + i * dx, y + i * dy, vx, vy);
  }
};

// The velocity of a code along its direction (diagonals at c × v per axis).
void CodeVelocity(int code, double v, double& vx, double& vy) {
  const double d = C * v;
  switch (code) {
    case 3: vx = v, vy = 0; break;
    case 6: vx = 0, vy = -v; break;
    case 7: vx = 0, vy = v; break;
    case 8: vx = -d, vy = -d; break;
    case 9: vx = -d, vy = d; break;
    case 10: vx = d, vy = -d; break;
    case 11: vx = d, vy = d; break;
    default: vx = -v, vy = 0; break;
  }
}

// The row start, step and velocity of a direction code.
void PlaceRowA(const Frame& f, int& x, int& y, int& dx, int& dy) {
  const int n1 = f.n - 1;
  const int S = f.S, w = f.w, h = f.h;
  const double across = C * n1 * ((S >> 1) + (w >> 1));
  const double down = C * n1 * ((h >> 1) + (S >> 1));
  switch (f.rec.nDir) {
    case 3:
    default:
      x = f.rec.nDir == 3 ? T(f.sx + f.R + 1) : T(f.sx + f.L + 1 - w);
      y = T(f.sy + f.T + (f.H >> 1) - n1 * (S >> 1) - f.n * (h >> 1));
      dx = 0, dy = S + h;
      break;
    case 6:
    case 7:
      x = T(f.sx + f.L + (f.W >> 1) - n1 * (S >> 1) - f.n * (w >> 1));
      y = f.rec.nDir == 6 ? T(f.sy + f.T - h) : T(f.sy + f.B + 1);
      dx = S + w, dy = 0;
      break;
    case 8:
      x = T(f.XMinus() - across), y = T(f.YMinus() + down), dx = S + w, dy = -S - h;
      break;
    case 9:
      x = T(f.XMinus() - across), y = T(f.YPlus() - down), dx = S + w, dy = S + h;
      break;
    case 10:
      x = T(f.XPlus() - across), y = T(f.YMinus() - down), dx = S + w, dy = S + h;
      break;
    case 11:
      x = T(f.XPlus() - across), y = T(f.YPlus() + down), dx = S + w, dy = -S - h;
      break;
  }
}

void FormStraightA(Frame& f) {
  int x = 0, y = 0, dx = 0, dy = 0;
  double vx = 0, vy = 0;
  if (!f.angled) {
    PlaceRowA(f, x, y, dx, dy);
    x += f.rec.nOffsetX;
    y += f.rec.nOffsetY;
    CodeVelocity(f.rec.nDir, f.v, vx, vy);
    f.Row(x, y, dx, dy, vx, vy);
    return;
  }
  double theta = 0;
  if (!f.shot.m_bRotate) {
    PlaceRowA(f, x, y, dx, dy);
    x += f.rec.nOffsetX;
    y += f.rec.nOffsetY;
    theta = (f.shot.m_bAim ? f.AimFrom(x, y) : f.Base()) + f.rec.dAngle;
  } else {
    double t0 = f.shot.m_bAim ? AimAngle(f.UserCentreX(), f.UserCentreY(), f.user, f.shot, f.rec) + f.rec.dAngle
                              : f.Base() + f.rec.dAngle;
    f.RotateRowStart(t0, x, y);
    theta = f.shot.m_bAim ? f.AimFrom(x, y) + f.rec.dAngle : t0;
    const double s = std::sin(Rad(theta));
    const double o = std::cos(Rad(theta));
    const int n1 = f.n - 1;
    const int across = (f.S >> 1) + (f.w >> 1);
    const int down = (f.S >> 1) + (f.h >> 1);
    if ((s >= 0 && o >= 0) || (s < 0 && o < 0)) {
      x = T(x - s * across * n1), dx = T(s * (f.S + f.w));
      y = T(y + o * down * n1), dy = T(o * (-f.S - f.h));
    } else {
      x = T(x + s * across * n1), dx = T(s * (-f.S - f.w));
      y = T(y - o * down * n1), dy = T(o * (f.S + f.h));
    }
    x += f.rec.nOffsetX;
    y += f.rec.nOffsetY;
  }
  AngleVelocity(theta, f.v, vx, vy);
  f.Row(x, y, dx, dy, vx, vy);
}

void FormStraightB(Frame& f) {
  const int code = f.rec.nDir;
  int x = 0;
  if (code == 3 || code == 10 || code == 11 || ((code == 6 || code == 7) && f.user.m_nDir == 1)) {
    x = T(f.sx + f.R + 1);
  } else {
    x = T(f.sx + f.L + 1 - f.w);
  }
  int y = T(f.sy) + f.B - f.h + 1;
  x += f.rec.nOffsetX;
  y += f.rec.nOffsetY;
  double vx = 0, vy = 0;
  if (f.angled) {
    AngleVelocity((f.shot.m_bAim ? f.AimFrom(x, y) : f.Base()) + f.rec.dAngle, f.v, vx, vy);
  } else {
    CodeVelocity(code, f.v, vx, vy);
  }
  f.Row(x, y, 0, -f.S - f.h, vx, vy);
}

void FormSpread(Frame& f) {
  int x = 0, y = 0;
  const int yMid = T(f.sy) + f.T + (f.H >> 1) - (f.h >> 1);
  switch (f.rec.nDir) {
    case 3: x = T(f.sx) + f.R + 1, y = yMid; break;
    case 6: x = T(f.sx) + f.L + (f.W >> 1) - (f.w >> 1), y = T(f.sy) + f.T - f.h; break;
    case 7: x = T(f.sx) + f.L + (f.W >> 1) - (f.w >> 1), y = T(f.sy) + f.B + 1; break;
    case 8: x = f.XMinus(), y = f.YMinus(); break;
    case 9: x = f.XMinus(), y = f.YPlus(); break;
    case 10: x = f.XPlus(), y = f.YMinus(); break;
    case 11: x = f.XPlus(), y = f.YPlus(); break;
    default: x = T(f.sx) + f.L - f.w + 1, y = yMid; break;
  }
  if (f.angled && f.shot.m_bRotate) {
    double t = (f.shot.m_bAim ? AimAngle(f.UserCentreX(), f.UserCentreY(), f.user, f.shot, f.rec) : f.Base()) +
               f.rec.dAngle;
    f.RotateRowStart(t, x, y);
  }
  x += f.rec.nOffsetX;
  y += f.rec.nOffsetY;
  const double m = (f.shot.m_bAim ? f.AimFrom(x, y) : f.Base()) + f.rec.dAngle;
  const double p1 = f.shot.m_sFormParam[0];
  double a = f.n % 2 ? m - p1 * (f.n >> 1) : m - p1 * ((f.n >> 1) - 0.5);
  for (int i = 0; i < f.n; ++i, a += p1) f.PutAt(x, y, a);
}

// The aim object of thunder and encirclement: the target in the aim slot, player 1 or the user.
cChara* AimObject(cChara& user, const cEdShot& shot) {
  switch (shot.m_byAimOrigin) {
    case 0: return user.Target(shot.m_byAimSlot);
    case 1: return g_vPlayer.empty() ? nullptr : &g_vPlayer[0];
    case 2: return &user;
    default: return nullptr;
  }
}

void FormThunder(Frame& f) {
  cChara* aim = AimObject(f.user, f.shot);
  const int cols = f.shot.m_sFormParam[1];
  if (!aim || cols <= 0) return;
  aim->CalcScreenRect();
  const int G = g_SystemData.m_bLegacy555 ? 0 : f.S;
  const int D = f.shot.m_sFormParam[2] * 16;
  const int L = aim->m_rcScreen.left, Tp = aim->m_rcScreen.top, W = aim->m_nGraphicW, H = aim->m_nGraphicH;
  const int cx = aim->CenterX(), cy = aim->CenterY();
  const int w = f.w, h = f.h;
  const int code = f.rec.nDir;
  int x = 0, y = 0, dx = 0, dy = 0;
  double vx = 0, vy = 0;
  CodeVelocity(code, f.v, vx, vy);
  switch (code) {
    case 3:
      x = T(f.sx), y = T(f.sy + Tp + (H >> 1) - (h >> 1)), dx = w + G;
      break;
    case 6:
    case 7:
      x = T(f.sx + L + (W >> 1) - (w >> 1));
      y = code == 6 ? T(f.sy + VIEW_HEIGHT - h) : T(f.sy);
      dy = code == 6 ? -h - G : h + G;
      break;
    case 8: {
      int F = VIEW_WIDTH - cx, E = VIEW_HEIGHT - cy;
      if (F < E) x = T(f.sx + VIEW_WIDTH - w), y = T(f.sy + cy + F - h);
      else x = T(f.sx + cx + E - w), y = T(f.sy + VIEW_HEIGHT - h);
      dx = T(C * (-w - G)), dy = T(C * (-h - G));
      break;
    }
    case 9: {
      int F = VIEW_WIDTH - cx, E = cy;
      if (F < E) x = T(f.sx + VIEW_WIDTH - w), y = T(f.sy + cy - F);
      else x = T(f.sx + cx + E - w), y = T(f.sy);
      dx = T(C * (-w - G)), dy = T(C * (h + G));
      break;
    }
    case 10: {
      int F = cx, E = VIEW_HEIGHT - cy;
      if (F < E) x = T(f.sx), y = T(f.sy + cy + F - h);
      else x = T(f.sx + cx - E), y = T(f.sy + VIEW_HEIGHT - h);
      dx = T(C * (w + G)), dy = T(C * (-h - G));
      break;
    }
    case 11: {
      int F = cx, E = cy;
      if (F < E) x = T(f.sx), y = T(f.sy + cy - F);
      else x = T(f.sx + cx - E), y = T(f.sy);
      dx = T(C * (w + G)), dy = T(C * (h + G));
      break;
    }
    default:
      x = T(f.sx + VIEW_WIDTH - w), y = T(f.sy + Tp + (H >> 1) - (h >> 1)), dx = -w - G;
      break;
  }
  int cdx = 0, cdy = 0;
  if (cols >= 2) {
    const int fo = ((cols - 1) >> 1) * D + (cols % 2 == 0 ? f.shot.m_sFormParam[2] * 8 : 0);
    const int cf = T(C * fo);
    switch (code) {
      case 6:
      case 7: cdx = D, x -= fo; break;
      case 8:
      case 11: cdx = T(C * D), cdy = T(-C * D), x -= cf, y += cf; break;
      case 9:
      case 10: cdx = T(C * D), cdy = T(C * D), x -= cf, y -= cf; break;
      default: cdy = D, y -= fo; break;
    }
  }
  x += f.rec.nOffsetX;
  y += f.rec.nOffsetY;
  if (f.rec.dAngle != 0) AngleVelocity(f.Base() + f.rec.dAngle, f.v, vx, vy);
  for (int row = 0; row < f.n; ++row, x += dx, y += dy) {
    for (int c = 0; c < cols; ++c) f.Put(x + c * cdx, y + c * cdy, vx, vy);
  }
}

void FormExplosion(Frame& f) {
  const int x = T(f.L + (f.W >> 1) + f.sx - (f.w >> 1)) + f.rec.nOffsetX;
  const int y = T(f.T + (f.H >> 1) + f.sy - (f.h >> 1)) + f.rec.nOffsetY;
  double a = f.Base() + f.rec.dAngle;
  for (int i = 0; i < f.n; ++i, a += 360.0 / f.n) f.PutAt(x, y, a);
}

void FormEncircle(Frame& f) {
  cChara* aim = AimObject(f.user, f.shot);
  if (!aim) return;
  aim->CalcScreenRect();
  const double cx = f.sx + aim->CenterX() - (f.w >> 1) + f.rec.nOffsetX;
  const double cy = f.sy + aim->CenterY() - (f.h >> 1) + f.rec.nOffsetY;
  const double r = f.shot.m_sFormParam[0] * 16;
  double u = f.Base() + f.rec.dAngle;
  for (int i = 0; i < f.n; ++i, u += 360.0 / f.n) {
    f.PutAt(T(T(r * std::cos(Rad(u)) + 0.5) + cx), T(T(r * std::sin(Rad(u)) + 0.5) + cy), u);
  }
}

using Formation = void (*)(Frame& f);
const Formation kFormation[FORMATION_COUNT] = {FormStraightA, FormStraightB, FormSpread,
                                               FormThunder,   FormExplosion, FormEncircle};

}  // namespace

int ResolveShotDirection(int code, const cChara& user) {
  const bool right = user.m_nDir == 1;
  switch (code) {
    case 0: return right ? 3 : 2;
    case 1: return right ? 2 : 3;
    case 4: return right ? 7 : 6;
    case 5: return right ? 6 : 7;
    case 12: {
      const cFlowRun* run = g_lpPlayScene ? g_lpPlayScene->m_pCurRun : nullptr;
      return MapInputDirection(run ? run->m_nStartDir : 0, 0, right ? 1 : 0, 0, DATA_VERSION);
    }
    default: return code;
  }
}

int BaseAngle(int code) {
  switch (code) {
    case 3: return 180;
    case 6: return 90;
    case 7: return 270;
    case 8: return 45;
    case 9: return 315;
    case 10: return 135;
    case 11: return 225;
    default: return 0;
  }
}

void AngleVelocity(double angle, double speed, double& vx, double& vy) {
  vx = -std::cos(Rad(angle)) * speed;
  vy = -std::sin(Rad(angle)) * speed;
}

double AimAngle(double px, double py, cChara& user, const cEdShot& shot, cShotSpawn& rec) {
  cChara* aim = user.Target(shot.m_byAimSlot);
  if (!aim) return user.m_nDir == 1 ? 180 : 0;
  const double sx = Sx();
  const double sy = Sy();
  const bool scrolling = g_lpPlayScene &&
                         (g_lpPlayScene->m_ScrollX.MovesByItself() || g_lpPlayScene->m_ScrollY.MovesByItself());
  if (!scrolling || shot.m_bScrollBound || !aim->m_bScrollSync) {
    double cx = aim->CenterX() + sx;
    double cy = aim->CenterY() + sy;
    return T(std::atan2(cy - py, cx - px) * 180 / PI + 180 + 0.5);
  }
  const double k = SubStepsReal();
  const double s = (shot.m_sSpeed + shot.m_sSpeedStep * static_cast<double>(rec.nVolley)) * 0.1 / k;
  double vx = 0;
  double vy = 0;
  int dir = 0;
  AimVelocity(vx, vy, dir, aim, px - sx, py - sy, aim->CenterX(), aim->CenterY(), s, 0, 1, 0);
  rec.dSpeed = std::sqrt(vx * vx + vy * vy) * k;
  return std::atan2(vy, vx) * 180 / PI + 180;
}

void LayOutFormation(cChara& user, const cEdShot& shot, const cShotSpawn& rec, std::vector<cShotSpawn>& out,
                     bool placesOnly) {
  static bool reported = false;
  if (shot.m_byFormation >= FORMATION_COUNT) {
    ReportOnce(reported, "Shot formation %d outside 0..5: nothing is made", shot.m_byFormation);
    return;
  }
  if (shot.m_byCount == 0) return;
  Frame f(user, shot, rec, out, placesOnly);
  kFormation[shot.m_byFormation](f);
}

cShot* SpawnAtPosition(cObjectList<cShot>& list, const cShotSpawn& rec, cChara& user, const cEdShot& shot) {
  if (!g_lpPlayScene || !RoomForObject(LIMIT_SHOTS, list.Stored())) return nullptr;
  cShot tmp;
  if (!tmp.SetData(g_lpPlayScene->m_nNextShotId, user, SHOT_KIND_SHOT, shot, rec)) return nullptr;
  cShot& s = CloneShot(list, tmp);
  ++g_lpPlayScene->m_nNextShotId;
  cChara* target = tmp.m_lpTarget;
  tmp.m_lpTarget = nullptr;
  tmp.m_lpOwner = nullptr;
  const int t = s.m_Shot.m_byTrajectory;
  if ((t == 3 || t == 6) && target) s.LinkOnce(*target, 0);
  s.LinkOnce(user, SUMMONER_SLOT);
  return &s;
}

void CmdShot(cObjectList<cShot>& list, cChara& user, cCmdState&, const cEdShot& shot) {
  static bool badTrajectory = false;
  if (shot.m_byTrajectory >= TRAJECTORY_COUNT) {
    ReportOnce(badTrajectory, "Shot trajectory %d outside 0..9: nothing is fired", shot.m_byTrajectory);
    return;
  }
  const int zoom = shot.m_byZoom ? shot.m_byZoom : 1;
  const int dir = ResolveShotDirection(shot.m_byDirection, user);
  if (user.m_nKind != 0) user.CalcScreenRect();
  cChara* aim = user.Target(shot.m_byAimSlot);
  cChara* target = user.Target(shot.m_byTargetSlot);
  if (aim) aim->CalcScreenRect();
  if (target && shot.m_byTargetSlot != shot.m_byAimSlot) target->CalcScreenRect();
  auto angleOf = [&](int raw) {
    int a = shot.m_bMirrorAngle && user.m_nDir == 1 ? 360 - raw : raw;
    if (shot.m_sAngleRandom != 0) a += RandRange(-shot.m_sAngleRandom, shot.m_sAngleRandom);
    return a;
  };
  int angle = angleOf(shot.m_sAngle);
  std::vector<cShotSpawn> objects;
  for (int i = 0; i <= shot.m_byVolleys; ++i) {
    cShotSpawn rec;
    rec.nVolley = i;
    rec.dSpeed = (shot.m_sSpeed + i * shot.m_sSpeedStep) * 0.1;
    rec.dAngle = angle;
    rec.nRange = shot.m_sRange + i * shot.m_sRangeStep;
    rec.nLifetime = shot.m_sLifetime + i * shot.m_sLifetimeStep;
    rec.nWidth = rec.nHeight = zoom * 16;
    rec.nOffsetX = shot.GetOffsetX(i, user.m_nDir);
    rec.nOffsetY = shot.GetOffsetY(i, user.m_nDir);
    rec.nDir = dir;
    objects.clear();
    LayOutFormation(user, shot, rec, objects);
    for (const cShotSpawn& o : objects) SpawnAtPosition(list, o, user, shot);
    angle = angleOf(shot.m_sAngle + shot.m_sAngleStep * (i + 1));
  }
}
