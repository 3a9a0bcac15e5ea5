// The solid contact of bodies with block characters: block characters are moving platforms
// that push other bodies out, carry the bodies riding on them and crush the ones caught
// between them.
#include <algorithm>
#include <array>

#include "core/log.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/stage_chara.h"

namespace {

constexpr int EV_BLOCK_CHARA_TOUCHED = 5;
constexpr int EV_RIDING = 6;
constexpr int EV_RIDDEN_BY_HERO = 16;
constexpr int EV_RIDDEN = 17;
constexpr int UNSTICK_STEPS = 15;
constexpr double UNSTICK_DOTS = 0.1;
constexpr double RIDE_STRIP = 5;

struct cRect {
  double l, t, r, b;
};

cRect BodyOf(const cObject& o) { return {o.m_dX, o.m_dY, o.m_dFarX, o.m_dFarY}; }
cRect PrevOf(const cChara& c) { return {c.m_dPrev[0], c.m_dPrev[1], c.m_dPrev[2], c.m_dPrev[3]}; }

// Inclusive edges; a rectangle of width 0 is an edge.
bool Touches(const cRect& a, const cRect& b) { return a.l <= b.r && a.r >= b.l && a.t <= b.b && a.b >= b.t; }

// The rectangle as the index of the block characters takes it.
cBoxGrid::Box GridBox(const cRect& r) { return {r.l, r.t, r.r, r.b}; }

struct cOverlap {
  double w = 0, h = 0;
};

// The overlap of a with b: measured from the edge of b that lies inside a, else from a's own
// near edge; 0 × 0 when they do not touch.
cOverlap OverlapOf(const cRect& a, const cRect& b) {
  if (!Touches(a, b)) return {};
  cOverlap o;
  o.w = (a.r >= b.l && b.l > a.l) ? a.r - b.l + 1 : b.r - a.l + 1;
  o.h = (a.b >= b.t && b.t > a.t) ? a.b - b.t + 1 : b.b - a.t + 1;
  return o;
}

// A block character that stands against the body: active, alive, another object.
bool IsSolidFor(const cChara& b, int id) { return b.m_Data.m_bBlockChara && b.m_bActive && !b.m_bDead && b.m_nId != id; }

// A correction proposed by a block character: the new coordinate and who proposed it.
struct cCandidate {
  bool set = false;
  double value = 0;
  cChara* by = nullptr;
  // Takes the value when none is set yet or when it is further in its direction (1 larger,
  // -1 smaller); an equal value keeps the earlier proposer.
  bool Offer(double v, cChara& b, int dir) {
    if (set && !(dir > 0 ? v > value : v < value)) return false;
    set = true;
    value = v;
    by = &b;
    return true;
  }
};

struct cLines {
  cRect top, bottom, left, right;
};

// The four sides of the body without their corners, as the free-flying contact tests them.
cLines InnerLines(const cObject& o) {
  return {{o.m_dX + 1, o.m_dY, o.m_dFarX - 1, o.m_dY},
          {o.m_dX + 1, o.m_dFarY, o.m_dFarX - 1, o.m_dFarY},
          {o.m_dX, o.m_dY + 1, o.m_dX, o.m_dFarY - 1},
          {o.m_dFarX, o.m_dY + 1, o.m_dFarX, o.m_dFarY - 1}};
}

// A block character b against the inner lines of a free body along one axis: the pressed
// flags, and the corrections out of b (low: down or right of it, high: up or left of it).
void OfferLines(cChara& o, cChara& b, const cLines& lines, bool vertical, cCandidate& low, cCandidate& high) {
  const cRect r = BodyOf(b);
  if (vertical) {
    if (Touches(lines.top, r)) {
      o.m_bPressTop = 1;
      low.Offer(b.m_dFarY + 1, b, 1);
    }
    if (Touches(lines.bottom, r)) {
      o.m_bPressBottom = 1;
      high.Offer(b.m_dY - o.m_nHeight, b, -1);
    }
  } else {
    if (Touches(lines.left, r)) {
      o.m_bPressLeft = 1;
      low.Offer(b.m_dFarX + 1, b, 1);
    }
    if (Touches(lines.right, r)) {
      o.m_bPressRight = 1;
      high.Offer(b.m_dX - o.m_nWidth, b, -1);
    }
  }
}

void MoveX(cChara& o, double x) {
  o.m_dX = x;
  o.OnMoveX();
}

void MoveY(cChara& o, double y) {
  o.m_dY = y;
  o.OnMoveY();
}

// Under a block character: stuck to its underside, moving with it, no longer jumping up.
void HangUnder(cChara& o, cChara& b) {
  o.m_dAY = 0;
  o.m_bJumpStartA = o.m_bJumpStartB = 1;
  o.m_bJumping = 1;
  o.m_dVY = b.m_dVY;
  MoveY(o, b.m_dFarY + 1);
}

}  // namespace

int cObject::OverlapsRect(double x1, double y1, double x2, double y2) const {
  return Touches(BodyOf(*this), {x1, y1, x2, y2}) ? 1 : 0;
}

int cPlayScene::OverlapsBlockChara(cObject& object, int excludedId) {
  const cRect body = BodyOf(object);
  cChara* b = m_BlockCharas.FindTouching(g_lChara, m_nSubStepCount, GridBox(body), [&](cStageChara& c) {
    return IsSolidFor(c, object.m_nId) && c.m_nId != excludedId && Touches(body, BodyOf(c));
  });
  return b ? 1 : 0;
}

namespace {

cRect FeetStrip(const cChara& o) { return {o.m_dX, o.m_dFarY, o.m_dFarX, o.m_dFarY + RIDE_STRIP}; }

}  // namespace

int cPlayScene::IsStillRiding(cChara& object) {
  const cRect carrier = {object.m_dCarrier[0], object.m_dCarrier[1], object.m_dCarrier[2], object.m_dCarrier[3]};
  return Touches(FeetStrip(object), carrier) ? 1 : 0;
}

cChara* cPlayScene::FindCarrier(cChara& object) {
  const cRect strip = FeetStrip(object);
  return m_BlockCharas.FindTouching(g_lChara, m_nSubStepCount, GridBox(strip), [&](cStageChara& c) {
    return IsSolidFor(c, object.m_nId) && Touches(strip, BodyOf(c));
  });
}

int cPlayScene::IsSqueezed(cChara& object, const double saved[4]) {
  const cRect now = BodyOf(object);
  const cRect then = {saved[0], saved[1], saved[2], saved[3]};
  auto sides = [](const cRect& r) {
    return std::array<cRect, 4>{cRect{r.l, r.t, r.l, r.b}, cRect{r.r, r.t, r.r, r.b}, cRect{r.l, r.t, r.r, r.t},
                                cRect{r.l, r.b, r.r, r.b}};
  };
  // One block character holds the whole side.
  auto covers = [](const cRect& b, const cRect& side) {
    return b.l <= side.l && b.r >= side.r && b.t <= side.t && b.b >= side.b;
  };
  const auto a = sides(now);
  const auto b = sides(then);
  for (size_t i = 0; i < 4; ++i) {
    // A block that holds either side touches the rectangle around both.
    const cRect both = {std::min(a[i].l, b[i].l), std::min(a[i].t, b[i].t), std::max(a[i].r, b[i].r),
                        std::max(a[i].b, b[i].b)};
    cChara* cover = m_BlockCharas.FindTouching(g_lChara, m_nSubStepCount, GridBox(both), [&](cStageChara& c) {
      if (!IsSolidFor(c, object.m_nId)) return false;
      const cRect r = BodyOf(c);
      return covers(r, a[i]) || covers(r, b[i]);
    });
    if (!cover) return 0;
  }
  return 1;
}

void cPlayScene::PushOutOfBlockCharas(cChara& object, cObjectList<cStageChara>& charas, int vertical) {
  const cRect body = BodyOf(object);
  const cLines lines = InnerLines(object);
  cCandidate low, high;
  m_BlockCharas.ForEachTouching(charas, m_nSubStepCount, GridBox(body), [&](cStageChara& b) {
    if (!IsSolidFor(b, object.m_nId)) return;
    const cRect r = BodyOf(b);
    if (!Touches(body, r) || OverlapOf(body, r).w == 0) return;
    OfferLines(object, b, lines, vertical != 0, low, high);
  });
  for (const cCandidate* c : {&low, &high}) {
    if (!c->set) continue;
    if (vertical)
      MoveY(object, c->value);
    else
      MoveX(object, c->value);
  }
}

namespace {

// The candidates of one call and the facts the steps after the loop need.
struct cContactState {
  cCandidate left, right, top, bottom;
  bool contact = false;
};

}  // namespace

int cPlayScene::ResolveContacts(cChara& o, cObjectList<cStageChara>& charas) {
  if (o.m_bFree && o.m_byBlockMode == 0) return 0;
  cContactState s;
  const int h = o.m_nHeight;
  const int w = o.m_nWidth;

  if (o.m_bFree) {
    const cRect body = BodyOf(o);
    const cLines lines = InnerLines(o);
    m_BlockCharas.ForEachTouching(charas, m_nSubStepCount, GridBox(body), [&](cStageChara& b) {
      if (!IsSolidFor(b, o.m_nId)) return;
      const cRect r = BodyOf(b);
      const cOverlap ov = OverlapOf(body, r);
      if (!Touches(body, r) || ov.w == 0) return;
      s.contact = true;
      // Wider than high: met from above or below.
      const bool vertical = ov.w > ov.h;
      OfferLines(o, b, lines, vertical, vertical ? s.top : s.left, vertical ? s.bottom : s.right);
    });
    if (s.contact) o.FireEvent(EV_BLOCK_CHARA_TOUCHED);
    if (o.m_byBlockMode == 2) return s.left.set || s.right.set || s.top.set || s.bottom.set ? 2 : 0;
    auto correct = [&](const cCandidate& c, bool take, int32_t& pressed, bool xAxis) {
      (xAxis ? o.m_dAX : o.m_dAY) = 0;
      if (take) {
        if (xAxis) o.m_bShifted = 1;
        xAxis ? MoveX(o, c.value) : MoveY(o, c.value);
        return;
      }
      // The block moves on away from the body: out along the other axis instead.
      pressed = 0;
      PushOutOfBlockCharas(o, charas, xAxis ? 1 : 0);
    };
    if (s.left.set) correct(s.left, s.left.by->m_dVX >= 0 || o.m_dVX < 0, o.m_bPressLeft, true);
    if (s.right.set) correct(s.right, !(s.right.by->m_dVX > 0 && !(o.m_dVX > 0)), o.m_bPressRight, true);
    if (s.top.set) correct(s.top, s.top.by->m_dVY >= 0 || o.m_dVY < 0, o.m_bPressTop, false);
    if (s.bottom.set) correct(s.bottom, !(s.bottom.by->m_dVY > 0 && !(o.m_dVY > 0)), o.m_bPressBottom, false);
    return 0;
  }

  // Under gravity.
  const double k = SubStepsReal();
  const double startX = o.m_dX;
  const double saved[4] = {o.m_dX, o.m_dY, o.m_dFarX, o.m_dFarY};
  const cRect body = BodyOf(o);
  const cRect upper = {o.m_dX, o.m_dY, o.m_dFarX, o.m_dY + h / 2};
  const cRect lower = {o.m_dX + 1, o.m_dFarY - h / 3, o.m_dFarX - 1, o.m_dFarY};
  const cRect prev = PrevOf(o);
  const cRect mixed = {prev.l, o.m_dY, prev.r, o.m_dFarY};
  const cRect upperLeft = {o.m_dX, o.m_dY, o.m_dX, o.m_dY + h / 2};
  const cRect upperRight = {o.m_dFarX, o.m_dY, o.m_dFarX, o.m_dY + h / 2};
  const cRect sideLeft = {o.m_dX, o.m_dY, o.m_dX, o.m_dFarY};
  const cRect sideRight = {o.m_dFarX, o.m_dY, o.m_dFarX, o.m_dFarY};

  auto offerBottom = [&](cChara& b) {
    if (!s.bottom.Offer(b.m_dY - h, b, -1)) return;
    o.m_nCarrierId = b.m_nId;
    o.m_dCarrier[0] = b.m_dX;
    o.m_dCarrier[1] = b.m_dY;
    o.m_dCarrier[2] = b.m_dFarX;
    o.m_dCarrier[3] = b.m_dFarY;
  };
  auto offerLeft = [&](cChara& b) {
    o.m_bPressLeft = 1;
    s.left.Offer(b.m_dFarX + 1.5, b, 1);
  };
  auto offerRight = [&](cChara& b) {
    o.m_bPressRight = 1;
    s.right.Offer(b.m_dX - w - 0.5, b, -1);
  };

  m_BlockCharas.ForEachTouching(charas, m_nSubStepCount, GridBox(body), [&](cStageChara& b) {
    if (!IsSolidFor(b, o.m_nId)) return;
    const cRect r = BodyOf(b);
    if (!Touches(body, r)) return;
    s.contact = true;
    const cOverlap u = OverlapOf(upper, r);
    if (u.w != 0) {
      const double wp = OverlapOf(prev, r).w;
      const double wm = OverlapOf(mixed, PrevOf(b)).w;
      if (o.m_dVY > 2 / k && wm != 0 && prev.t < b.m_dPrev[1]) {
        // Fell through the top of b within one sub-step: it still lands.
        ErrorLog("D Hit");
        if (b.m_dVY < 0) o.m_bPressBottom = 1;
        offerBottom(b);
      } else if ((u.w - u.h > 0.4 / k && o.m_dFarY > b.m_dFarY) || (wm != 0 && prev.t > b.m_dPrev[1] && wp == 0)) {
        if (b.m_dVY > 0) o.m_bPressTop = 1;
        s.top.Offer(b.m_dFarY + 1, b, 1);
        if (o.m_bRiding && o.m_dVY < 0) o.m_bPressBottom = 1;
      } else {
        const bool leftFirst = o.m_dVX < 0;
        const cRect& first = leftFirst ? upperLeft : upperRight;
        const cRect& second = leftFirst ? upperRight : upperLeft;
        if (Touches(first, r)) {
          leftFirst ? offerLeft(b) : offerRight(b);
        } else if (Touches(second, r)) {
          leftFirst ? offerRight(b) : offerLeft(b);
        }
      }
      return;
    }
    const cOverlap f = OverlapOf(body, r);
    if (f.h > f.w) {
      if (Touches(sideRight, r)) offerRight(b);
      if (Touches(sideLeft, r)) offerLeft(b);
    } else if (Touches(lower, r)) {
      if (b.m_dVY < 0) o.m_bPressBottom = 1;
      offerBottom(b);
    }
  });

  // The first block character over the upper half of the body.
  auto firstOverUpper = [&]() -> cChara* {
    return m_BlockCharas.FindTouching(charas, m_nSubStepCount, GridBox(upper), [&](cStageChara& b) {
      return IsSolidFor(b, o.m_nId) && Touches(upper, BodyOf(b));
    });
  };
  bool landed = false;
  bool sideways = true;
  if (s.top.set && !s.bottom.set) {
    cChara& b = *s.top.by;
    bool take = true;
    if (b.m_dVY < 0) {
      // Would the body fit under b? Tried on a copy, which leaves the original's links alone.
      cChara trial;
      trial.CopyFrom(o);
      trial.m_dY = s.top.value;
      take = !trial.CornerBlocked() && !OverlapsBlockChara(trial, b.m_nId);
    }
    if (take) {
      o.m_dVY = b.m_dVY;
      o.m_dAY = 0;
      o.m_bJumpStartA = o.m_bJumpStartB = 1;
      o.m_bJumping = 1;
      MoveY(o, s.top.value);
      RetestY(o);
    }
  } else if (s.left.set && s.right.set && !s.bottom.set) {
    if (cChara* b = firstOverUpper()) HangUnder(o, *b);
    o.m_bPressLeft = o.m_bPressRight = 0;
    sideways = false;
  } else if (s.bottom.set && !(s.left.set && s.right.set)) {
    cChara& b = *s.bottom.by;
    if (b.m_dVY > 0 && o.CornerBlocked()) {
      o.m_bRiding = 0;
    } else {
      o.m_dAY = 0;
      if (!o.m_bRiding) {
        o.m_bRiding = 1;
        if (o.m_nKind == 0) b.FireEventEx(EV_RIDDEN_BY_HERO, &o, 0);
        b.FireEventEx(EV_RIDDEN, &o, 0);
      }
      MoveY(o, s.bottom.value);
      o.m_dVY = 0;
      o.m_nAirCount = 0;
      o.m_bJumpStartA = o.m_bJumpStartB = 0;
      o.m_bAirborne = 0;
      o.m_bKnocked = 0;
      if (o.m_nKind == 1)
        o.m_bJumping = 0;
      else if (!g_vPlayer.empty())
        g_vPlayer[0].m_nJumpHold = 0;
      landed = true;
    }
  }

  if (sideways) {
    for (cCandidate* c : {&s.left, &s.right}) {
      if (!c->set) continue;
      o.m_dAX = 0;
      if (!(o.m_bRiding && c->by->m_nId == o.m_nCarrierId)) o.m_bShifted = 1;
      // Bumped into a block character on the side it faces: the ground walk turns it back,
      // taking along how far that character moves from here on.
      if ((c == &s.left) == (o.m_nDir == 0)) {
        o.m_bTurnBack = 1;
        o.m_nTurnBackId = c->by->m_nId;
        o.m_dTurnBackX = c->by->m_dX;
      }
      MoveX(o, c->value);
    }
    if (s.left.set && s.right.set && !s.bottom.set) {
      MoveX(o, startX);
      if (cChara* b = firstOverUpper()) {
        HangUnder(o, *b);
        if (b->m_dVY > 0) o.m_bPressTop = 1;
        o.m_bPressLeft = o.m_bPressRight = 0;
      }
    }
  }

  if (s.contact || o.m_bRiding) {
    o.FireEvent(EV_BLOCK_CHARA_TOUCHED);
    if (o.m_bRiding) o.FireEvent(EV_RIDING);
  }

  if ((o.m_bPressLeft && o.m_bPressRight) || (o.m_bPressTop && o.m_bPressBottom) || IsSqueezed(o, saved)) return 2;

  // Out of a chip the corrections may have pushed the body into, by tenths of a dot.
  const struct {
    int32_t cChara::*flag;
    double dx, dy;
  } unstick[] = {{&cChara::m_bPressLeft, -UNSTICK_DOTS, 0},
                 {&cChara::m_bPressRight, UNSTICK_DOTS, 0},
                 {&cChara::m_bPressTop, 0, -UNSTICK_DOTS},
                 {&cChara::m_bPressBottom, 0, UNSTICK_DOTS}};
  for (const auto& u : unstick) {
    if (!(o.*u.flag)) continue;
    for (int i = 0; i < UNSTICK_STEPS && o.CornerBlocked(); ++i) {
      if (u.dx != 0)
        MoveX(o, o.m_dX + u.dx);
      else
        MoveY(o, o.m_dY + u.dy);
    }
  }

  if (o.m_bRiding && !landed) {
    cChara* carrier = nullptr;
    if (o.m_dKnockY < 0) {
      o.LeaveCarrier(1);
      return 0;
    }
    if (IsStillRiding(o)) {
      carrier = FindObjectById(o.m_nCarrierId);
      if (!carrier) return 0;
    } else {
      carrier = FindCarrier(o);
      if (!carrier) {
        o.LeaveCarrier(1);
        return 0;
      }
    }
    o.m_nAirCount = 0;
    o.m_bKnocked = 0;
    o.m_nCarrierId = carrier->m_nId;
    o.m_dCarrier[0] = carrier->m_dX;
    o.m_dCarrier[1] = carrier->m_dY;
    o.m_dCarrier[2] = carrier->m_dFarX;
    o.m_dCarrier[3] = carrier->m_dFarY;
  }
  return 0;
}
