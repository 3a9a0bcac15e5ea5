// The damage pass of the play scene (shots against characters, characters against each other,
// shots against shots), the kill step and the deferred hit-point check.
#include <algorithm>
#include <iterator>

#include "core/sound_request.h"
#include "defs/item_data.h"
#include "engine/item.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/shot.h"
#include "engine/stage_chara.h"
#include "platform/thread.h"
#include "project/stage.h"
#include "project/system_data.h"

namespace {

constexpr int SE_HIT = 7;
constexpr int SE_HERO_DIES = 8;
constexpr int SE_CHARA_KILLED = 9;
constexpr int EV_TOUCHED_CHARA = 4;
constexpr int EV_HIT_BY_SHOT = 7;
constexpr int EV_ATTACK_HIT = 20;

// Inclusive edges on both axes.
bool BoxesOverlap(const cBox& a, const cBox& b) {
  return a.dLeft <= b.dRight && a.dRight >= b.dLeft && a.dTop <= b.dBottom && a.dBottom >= b.dTop;
}

// Takes part in the damage pass: in play, active, alive, and on screen when the stage hits
// only there.
bool InPlay(const cChara& c) {
  if (c.m_bRemoved || !c.m_bActive || c.m_bDead) return false;
  return !g_StageData.m_bHitOnScreenOnly || c.m_bOnScreen;
}

// Power, impact or an item: a hit by the shot counts as an attack.
bool IsPowered(const cShot& s) { return s.m_Shot.m_nPower != 0 || s.m_Shot.m_cImpact != 0 || s.m_Shot.m_byItemPalette != 0; }

bool HasHit(const cShot& s, int id) { return std::find(s.m_lHitList.begin(), s.m_lHitList.end(), id) != s.m_lHitList.end(); }

// The item a hit gives to player 1's hero: 0, or the result of its command list.
int GiveShotItem(const cShot& s) {
  if (s.m_Shot.m_byItemPalette == 0 || g_vPlayer.empty()) return 0;
  const cItemData* def = GetPaletteItem(s.m_Shot.m_byItemPalette, s.m_Shot.m_sItem);
  if (!def) return 0;
  cItem item;
  item.SetData(0, *def, 0);
  item.m_bActive = 1;
  return TakeItem(&item, g_vPlayer[0]);
}

// Clears the hit-pass flag and sweeps the removed shots on every way out of the pass.
class HitPassScope {
 public:
  HitPassScope(int32_t& flag, cPlayScene& scene, void (cPlayScene::*sweep)()) : m_flag(flag), m_scene(scene), m_sweep(sweep) {
    m_flag = 1;
  }
  ~HitPassScope() {
    m_flag = 0;
    (m_scene.*m_sweep)();
  }
  HitPassScope(const HitPassScope&) = delete;
  HitPassScope& operator=(const HitPassScope&) = delete;

 private:
  int32_t& m_flag;
  cPlayScene& m_scene;
  void (cPlayScene::*m_sweep)();
};

}  // namespace

int cPlayScene::KillChara(cChara& chara) {
  if (chara.m_nKind == 0) return 2;
  if (chara.m_bDead) return 0;
  // The death runs the character's flows once more: objects may move or be made.
  m_HitIndex.Invalidate();
  return chara.Die();
}

int cPlayScene::StepHits(cObjectList<cStageChara>& charas) {
  (void)charas;
  HitPassScope scope(m_bHitPass, *this, &cPlayScene::SweepRemovedShots);
  int slot = m_nSubStep - 1;
  bool skip = g_StageData.m_nHitChecks != 0 && slot >= 0 && static_cast<size_t>(slot) < m_vHitSchedule.size() &&
              m_vHitSchedule[static_cast<size_t>(slot)] == 0;
  if (!skip) {
    int r = HitShotsOnCharas();
    if (r != 0) return r;
  }
  SweepRemovedShots();
  int r = HitCharaPairs();
  if (r != 0) return r;
  CancelShots();
  return 0;
}

// Each pass below walks the outer lists whole and, for each object, the members of the other
// list that can meet it (the hit index), in list order: the pairs that meet, and their order,
// are those of a walk of every pair. Commands that run inside the pass (a death, an item given
// by a hit) invalidate the index.

int cPlayScene::HitShotsOnCharas() {
  const bool legacyB = g_SystemData.m_bLegacy763B != 0;
  const bool onScreenOnly = g_StageData.m_bHitOnScreenOnly != 0;
  m_HitIndex.Invalidate();
  for (size_t s = 0; s < m_vShotDrawList.size(); ++s) {
    for (size_t c = 0; c < m_vDrawList.size(); ++c) {
      if (c == s) continue;
      // New shots and characters are appended at the end; removed ones stay until the sweep.
      for (cShot* shot : m_vShotDrawList[s]) {
        ThreadCheckPoint();
        if (shot->m_bRemoved || (onScreenOnly && !shot->m_bOnScreen)) continue;
        const bool powered = IsPowered(*shot);
        bool removeShot = false;
        int result = 0;
        auto box = [shot] { return cBoxGrid::Box{shot->m_Box.dLeft, shot->m_Box.dTop, shot->m_Box.dRight, shot->m_Box.dBottom}; };
        m_HitIndex.WalkCharas(true, c, m_vDrawList[c], InPlay, box, [&](cChara& target) {
          cChara* chara = &target;
          if (shot->m_bRemoved) return false;
          if (!InPlay(*chara) || chara->m_Data.m_byInvincible == 2) return true;
          if (!BoxesOverlap(chara->m_BoxB, shot->m_Box) || HasHit(*shot, chara->m_nId)) return true;
          if (powered && chara->IsPaused()) return true;
          const bool damages = powered || !legacyB;
          chara->FireEventEx(EV_HIT_BY_SHOT, shot->m_lpOwner, 0);
          if (shot->m_lpOwner && shot->m_bReport) shot->m_lpOwner->FireEventEx(EV_ATTACK_HIT, chara, shot->m_byReportValue);
          // The events may have taken either out of play.
          if (!damages || chara->m_bRemoved || shot->m_bRemoved) return true;
          int dead = chara->TakeShotDamage(*shot);
          chara->ReportShotDamage(*shot);
          if (dead) {
            if (chara->m_nKind == 1) PlaySysSe(SE_CHARA_KILLED);
            int k = KillChara(*chara);
            if (k == 1 || k == 2) {
              result = k;
              return false;
            }
          } else {
            PlaySysSe(SE_HIT);
            if (legacyB || powered) chara->StartPause();
          }
          if (!shot->m_bShot) {
            shot->m_lHitList.push_back(chara->m_nId);
          } else if ((chara->m_Data.m_bBlockChara ? shot->m_Shot.m_bPassBlockChara : shot->m_Shot.m_bPassChara) == 1) {
            shot->m_lHitList.push_back(chara->m_nId);
          } else {
            removeShot = true;
          }
          // The item's commands run: objects may move or be made.
          if (shot->m_Shot.m_byItemPalette != 0) m_HitIndex.Invalidate();
          int item = GiveShotItem(*shot);
          if (item != 0) {
            result = item;
            return false;
          }
          return !removeShot;
        });
        if (result != 0) return result;
        if (removeShot) cObjectList<cShot>::Remove(*shot);
      }
    }
  }
  return 0;
}

int cPlayScene::HitCharaPairs() {
  const bool legacyA = g_SystemData.m_bLegacy763A != 0;
  auto canMeet = [](const cChara& c) { return InPlay(c) && !c.m_Data.m_bBlockChara; };
  // Key 4 on the one touched, with the toucher (or the toucher's summoner, which hears of it).
  auto touch = [](cChara& touched, cChara& toucher) {
    if (toucher.m_lpSummoner && toucher.m_bReportToSummoner) {
      cChara* summoner = toucher.m_lpSummoner;
      touched.FireEventEx(EV_TOUCHED_CHARA, summoner, 0);
      summoner->FireEventEx(EV_ATTACK_HIT, &touched, toucher.m_byReportValue);
    } else {
      touched.FireEventEx(EV_TOUCHED_CHARA, &toucher, 0);
    }
  };
  auto attacks = [](const cChara& c) { return c.m_Data.m_nPower != 0 || c.m_Data.m_cImpact != 0; };
  // Sound 9 and the kill, or the partner pause; 1 or 2 end the pass.
  auto settle = [this](cChara& victim, bool dead, cChara& attacker) {
    if (!dead) {
      victim.StartPartnerPause(attacker.m_nId);
      return 0;
    }
    if (victim.m_nKind == 1) PlaySysSe(SE_CHARA_KILLED);
    int k = KillChara(victim);
    return k == 1 || k == 2 ? k : 0;
  };
  m_HitIndex.Invalidate();
  for (size_t i = 0; i < m_vDrawList.size(); ++i) {
    for (size_t j = i + 1; j < m_vDrawList.size(); ++j) {
      for (cChara* w : m_vDrawList[i]) {
        ThreadCheckPoint();
        // One that cannot meet meets nothing of list j (the walk below stops at once for it).
        if (!canMeet(*w)) continue;
        int result = 0;
        auto box = [w] { return cBoxGrid::Box{w->m_BoxA.dLeft, w->m_BoxA.dTop, w->m_BoxA.dRight, w->m_BoxA.dBottom}; };
        m_HitIndex.WalkCharas(false, j, m_vDrawList[j], canMeet, box, [&](cChara& other) {
          cChara* y = &other;
          if (!canMeet(*w)) return false;
          if (!canMeet(*y) || !BoxesOverlap(w->m_BoxA, y->m_BoxA)) return true;
          const bool wCan = !w->IsPausedFor(y->m_nId);
          const bool yCan = !y->IsPausedFor(w->m_nId);
          if (wCan) touch(*w, *y);
          if (yCan) touch(*y, *w);
          bool wHurt = false, yHurt = false, wDead = false, yDead = false;
          if (wCan && attacks(*y)) {
            wHurt = true;
            wDead = w->TakeDamage(*y) != 0;
            if (legacyA) w->ReportDamage(*y);
          }
          if (yCan && attacks(*w)) {
            yHurt = true;
            yDead = y->TakeDamage(*w) != 0;
            if (legacyA) y->ReportDamage(*w);
          }
          if (!legacyA) {
            if (wHurt) w->ReportDamage(*y);
            if (yHurt) y->ReportDamage(*w);
          }
          if (!wHurt && !yHurt) return true;
          PlaySysSe(SE_HIT);
          if (wHurt) result = settle(*w, wDead, *y);
          if (result == 0 && yHurt) result = settle(*y, yDead, *w);
          return result == 0;
        });
        if (result != 0) return result;
      }
    }
  }
  return 0;
}

void cPlayScene::CancelShots() {
  auto cancels = [](const cShot& s) { return s.m_Shot.m_bHitsShots != 0; };
  m_HitIndex.Invalidate();
  for (size_t j = 0; j < m_vShotDrawList.size(); ++j) {
    for (size_t k = j + 1; k < m_vShotDrawList.size(); ++k) {
      for (cShot* p : m_vShotDrawList[j]) {
        ThreadCheckPoint();
        if (p->m_bRemoved) continue;
        bool removeP = false;
        // A pair meets only when one of the two cancels shots: a shot that does not meets only
        // the cancelling shots of the other list.
        auto body = [p] { return cBoxGrid::Box{p->m_dX, p->m_dY, p->m_dFarX, p->m_dFarY}; };
        m_HitIndex.WalkShots(true, !cancels(*p), k, m_vShotDrawList[k], body, [&](cShot& other) {
          cShot* q = &other;
          if (q->m_bRemoved || (!cancels(*p) && !cancels(*q)) || !p->OverlapsRect(q->m_dX, q->m_dY, q->m_dFarX, q->m_dFarY))
            return true;
          bool dropP = false, dropQ = false;
          if (cancels(*p) && cancels(*q)) {
            int a = p->m_Shot.m_byShotStrength;
            int b = q->m_Shot.m_byShotStrength;
            dropP = a <= b;
            dropQ = b <= a;
          } else {
            dropP = cancels(*p);
            dropQ = cancels(*q);
          }
          if (dropQ) cObjectList<cShot>::Remove(*q);
          if (dropP) removeP = true;
          return true;
        });
        if (removeP) cObjectList<cShot>::Remove(*p);
      }
    }
  }
}

void cPlayScene::SweepRemovedShots() {
  if (m_lShot.Walking()) return;
  const SweepStamp now = Stamp();
  if (now == m_ShotsSwept) return;
  for (std::list<cShot*>& layer : m_vShotDrawList) layer.remove_if([](const cShot* s) { return s->m_bRemoved != 0; });
  m_lShot.Sweep();
  m_ShotsSwept = now;
}

int cPlayScene::CheckHp() {
  if (!g_vPlayer.empty() && g_vPlayer[0].m_nHp <= 0) {
    KillHero();
    return 1;
  }
  int result = 0;
  g_lChara.ForEach([&](cStageChara& c) {
    if (result != 0) return;
    if (c.m_bRemoveNow) {
      g_lChara.Remove(c);
      return;
    }
    // A character already dead waits for its death animation: it is not defeated again.
    if (c.m_nHp > 0 || c.m_bDead) return;
    int r = DefeatChara(c, g_lChara);
    if (g_SystemData.m_bOption272) {
      if (r == 1) {
        g_lChara.Remove(c);
        result = 1;
        return;
      }
      PlaySysSe(SE_CHARA_KILLED);
    } else {
      g_lChara.Remove(c);
    }
    if (r != 0) result = 1;
  });
  return result;
}
