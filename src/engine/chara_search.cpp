#include "engine/chara_search.h"

#include <cstdlib>

#include "project/stage.h"

namespace {

bool CompareVar(int var, int op, int value) {
  switch (op) {
    case 0: return var == value;
    case 1: return var != value;
    case 2: return var >= value;
    case 3: return var <= value;
    case 4: return var > value;
    case 5: return var < value;
    // |var| in 64 bits: INT_MIN has no 32-bit magnitude; -1 divides everything.
    case 6: return value == 0 || std::llabs(static_cast<long long>(var)) % std::llabs(static_cast<long long>(value)) == 0;
    case 7: return value != 0 && std::llabs(static_cast<long long>(var)) % std::llabs(static_cast<long long>(value)) != 0;
    default: return false;
  }
}

}  // namespace

bool cCharaFilter::Pass(const cChara& c) const {
  if (c.m_bRemoved) return false;
  if (bCharaId && c.m_Data.m_byCharaId != nCharaId) return false;
  if (bAlive && c.m_bDead) return false;
  if (lpSelf && c.m_nId == lpSelf->m_nId) return false;
  if (bNotInvincible1 && c.m_Data.m_byInvincible == 1) return false;
  if (bNotInvincible2 && c.m_Data.m_byInvincible == 2) return false;
  if (bNotBlockChara && c.m_Data.m_bBlockChara) return false;
  if (bVar) {
    if (nVar < 0 || nVar >= CHARA_VARIABLES) return false;
    if (!CompareVar(c.m_vVar[static_cast<size_t>(nVar)], nOp, nValue)) return false;
  }
  return true;
}

cChara* FindCharaInList(cObjectList<cStageChara>& list, const cCharaFilter& filter) {
  return list.Find([&](cStageChara& c) { return filter.Pass(c); });
}

cChara* FindCharaInRefs(const cLinkList<cCharaRef>& refs, int slot, const cCharaFilter& filter) {
  for (size_t i = refs.RawSize(); i-- > 0;) {
    const cCharaRef& r = refs.Raw(i);
    if (r.nSlot == slot && r.lpChara && filter.Pass(*r.lpChara)) return r.lpChara;
  }
  return nullptr;
}

namespace {

// The nearest by |dx| + |dy| among the characters walk hands to the visitor, the first in list
// order on ties; in mode 0 the characters on screen before those off screen.
template <class Walk>
cChara* Nearest(int x, int y, Walk walk, int mode, const cCharaFilter& filter) {
  if (mode < TARGET_ON_SCREEN_FIRST || mode > TARGET_ON_SCREEN_ONLY) return nullptr;
  cChara* best[2] = {nullptr, nullptr};
  long long bestDist[2] = {0, 0};
  walk([&](cChara& c) {
    if (!c.m_bActive || !filter.Pass(c)) return;
    int group = mode == TARGET_ANYWHERE || c.m_bOnScreen ? 0 : 1;
    if (mode == TARGET_ON_SCREEN_ONLY && group == 1) return;
    long long d = std::llabs(static_cast<long long>(c.CenterX()) - x) + std::llabs(static_cast<long long>(c.CenterY()) - y);
    if (!best[group] || d < bestDist[group]) {
      best[group] = &c;
      bestDist[group] = d;
    }
  });
  return best[0] ? best[0] : best[1];
}

}  // namespace

cChara* FindTargetChara(int x, int y, cObjectList<cStageChara>& list, int mode, const cCharaFilter& filter) {
  return Nearest(x, y, [&](auto visit) { list.ForEach([&](cStageChara& c) { visit(c); }); }, mode, filter);
}

cChara* FindTargetChara(int x, int y, const std::list<cChara*>& list, int mode, const cCharaFilter& filter) {
  return Nearest(
      x, y,
      [&](auto visit) {
        for (cChara* c : list)
          if (c) visit(*c);
      },
      mode, filter);
}

cChara* FindCharaInList(const std::list<cChara*>& list, const cCharaFilter& filter) {
  for (cChara* c : list)
    if (c && filter.Pass(*c)) return c;
  return nullptr;
}

cChara* FindNearestChara(int x, int y, cObjectList<cStageChara>& list) {
  cCharaFilter filter;
  filter.bNotInvincible2 = 1;
  return FindTargetChara(x, y, list, g_StageData.m_bHitOnScreenOnly ? TARGET_ON_SCREEN_ONLY : TARGET_ON_SCREEN_FIRST,
                         filter);
}

cChara* FindNearest(const cChara& self, cObjectList<cStageChara>& list) {
  return FindNearestChara(self.CenterX(), self.CenterY(), list);
}
