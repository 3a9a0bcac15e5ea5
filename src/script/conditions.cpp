#include "script/conditions.h"

#include <cmath>

#include "core/rand_range.h"
#include "defs/cond.h"
#include "defs/block_data.h"
#include "defs/flow.h"
#include "engine/chara.h"
#include "engine/item.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "project/replay.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/system_data.h"
#include "script/flow_run.h"
#include "script/status_op.h"

namespace {

constexpr int OBJECT_SYSTEM = 5;
constexpr int STATUS_HP = 1;
constexpr int STATUS_SP = 2;
constexpr int STATUS_SIGHT = 8;

bool IsHero(const cChara& chara) { return !g_vPlayer.empty() && &chara == &g_vPlayer[0]; }

// Object 1..4 is the subject's target slot (null when empty), anything else the subject.
cChara* ObjectOf(int object, cChara& subject) {
  if (object >= 1 && object <= 4) return subject.Target(object - 1);
  return &subject;
}

int32_t& Variable(int bank, int index) {
  if (bank == 0) return g_SaveData.m_vCommonVar.CheckedAt(index);
  return g_lpPlayScene->m_vStageVar.CheckedAt(index);
}

// The comparison in the width of the tested field: the value compared with is cut to it.
int CompareInWidth(int x, int y, int op, int width) {
  if (width == 1) return CompareByOp(static_cast<int8_t>(x), static_cast<int8_t>(y), op);
  if (width == 2) return CompareByOp(static_cast<int16_t>(x), static_cast<int16_t>(y), op);
  return CompareByOp(x, y, op);
}

}  // namespace

bool ReadCharaStatus(cChara& chara, int index, int varIndex, int& value, int& width) {
  const cCharaData& d = chara.m_Data;
  width = 4;
  switch (index) {
    case 0: value = chara.m_vVar.CheckedAt(varIndex); return true;
    case STATUS_HP: value = chara.m_nHp; return true;
    case STATUS_SP: value = chara.m_nSp; return true;
    case 3: value = d.m_nMaxHp; return true;
    case 4: value = d.m_nMaxSp; return true;
    case 5: value = static_cast<int8_t>(d.m_byCharaId); width = 1; return true;
    case 6: value = static_cast<int8_t>(d.m_byZ); width = 1; return true;
    case 7: value = static_cast<int16_t>(d.m_wMark); width = 2; return true;
    case STATUS_SIGHT:
      if (!IsHero(chara)) return false;
      value = static_cast<int8_t>(d.m_bySight);
      width = 1;
      return true;
    case 9: value = d.m_nPower; return true;
    case 10: value = d.m_cImpact; width = 1; return true;
    case 11: value = d.m_nDefence; return true;
    case 12: value = static_cast<int8_t>(d.m_byImpactResist); width = 1; return true;
    case 13:
      // Reading the stopping ease brings the stopping figure up to date: a value the code
      // language stored takes effect from here on.
      chara.m_dFriction = AccelFromParam(d.m_sStop);
      value = d.m_sStop;
      width = 2;
      return true;
    case 14: value = d.m_nScore; return true;
    default: return false;
  }
}

bool ReadSystemValue(int index, int& value) {
  cPlayScene& scene = *g_lpPlayScene;
  auto speed = [](const cScroll& s) { return static_cast<int>(std::lround(s.m_dAutoSpeed * SubStepsReal() * 10.0)); };
  switch (index) {
    case 0: value = scene.m_bTimeStop ? 999 : scene.m_nTime; return true;
    case 1: value = speed(scene.m_ScrollX); return true;
    case 2: value = speed(scene.m_ScrollY); return true;
    case 3: value = g_SaveData.m_nTotalScore; return true;
    case 4: value = g_SaveData.m_nLives; return true;
    default: return false;
  }
}

int EvalCondStatus(const cCond& cond, cChara& subject) {
  // The right operand.
  int right = 0;
  switch (cond.m_byRightType) {
    case 0: right = cond.m_nValue; break;
    case 1: right = RandRange(cond.m_nRandMin, cond.m_nRandMax); break;
    case 2:
      if (cond.m_byRightOwner == OBJECT_SYSTEM) {
        if (!ReadSystemValue(cond.m_byRightStatus, right)) right = 0;
        if (cond.m_byRightStatus == 0 && g_lpPlayScene->m_bTimeStop) right = 0;
        if (cond.m_byRightStatus == 4 && right == UNLIMITED_LIVES) right = 0;
      } else {
        cChara* owner = ObjectOf(cond.m_byRightOwner, subject);
        if (!owner) return 0;
        int width = 4;
        if (cond.m_byRightStatus == STATUS_SIGHT && !IsHero(*owner)) return 0;
        if (!ReadCharaStatus(*owner, cond.m_byRightStatus, cond.m_wRightIndex, right, width)) right = 0;
      }
      break;
    case 3: right = cond.m_byRightBank <= 1 ? Variable(cond.m_byRightBank, cond.m_wRightIndex) : 0; break;
    default: right = 0; break;
  }

  // The left side.
  int left = 0;
  int width = 4;
  cChara* owner = nullptr;
  if (cond.m_byLeftType == 1) {
    if (cond.m_byLeftBank > 1) return 0;
    left = Variable(cond.m_byLeftBank, cond.m_wIndex);
  } else if (cond.m_byLeftType == 0 && cond.m_byLeftOwner == OBJECT_SYSTEM) {
    if (!ReadSystemValue(cond.m_byLeftStatus, left)) return 0;
    if (cond.m_byLeftStatus == 4 && left == UNLIMITED_LIVES) return 0;
  } else if (cond.m_byLeftType == 0) {
    owner = ObjectOf(cond.m_byLeftOwner, subject);
    if (!owner || !ReadCharaStatus(*owner, cond.m_byLeftStatus, cond.m_wIndex, left, width)) return 0;
  } else {
    return 0;
  }

  // A percentage of the maximum HP or SP (computed in 64 bits, held to 0..999999).
  if (cond.m_bPercent) {
    long long base = 0;
    bool hp = owner && cond.m_byLeftStatus == STATUS_HP;
    bool sp = owner && cond.m_byLeftStatus == STATUS_SP;
    if (hp || sp) {
      base = hp ? owner->m_Data.m_nMaxHp : owner->m_Data.m_nMaxSp;
      long long q = PercentOf64(base, right);
      right = static_cast<int>(q < 0 ? 0 : (q > 999999 ? 999999 : q));
    } else {
      right = 0;
    }
  }
  return CompareInWidth(left, right, cond.m_byOp, width);
}

int EvalCondStatus2(const cCond& cond, cChara& subject) {
  int state = 0;
  if (cond.m_byLeftOwner == OBJECT_SYSTEM) {
    if (cond.m_byLeftStatus > 1) return 0;
    state = (cond.m_byLeftStatus == 0 ? g_lpPlayScene->m_ScrollX : g_lpPlayScene->m_ScrollY).m_bAuto ? 1 : 0;
  } else {
    cChara* c = ObjectOf(cond.m_byLeftOwner, subject);
    if (!c) return 0;
    switch (cond.m_byLeftStatus) {
      case 1: state = c->m_Data.m_bTransparent; break;
      case 2: state = c->m_Data.m_bFixedFacing; break;
      case 3: state = c->m_Data.m_byFlying; break;
      case 4: state = c->m_Data.m_byInvincible; break;
      case 5: state = c->m_nZoom; break;
      case 6: state = c->m_bScrollSync; break;
      default: return 0;
    }
  }
  return CompareByOp(state, cond.m_wIndex, cond.m_byOp);
}

int EvalCondStatus3(const cCond& cond, cChara& subject) {
  int invert = cond.m_byOp == 1;
  int object = cond.m_byLeftOwner;
  int holds = 0;
  if (cond.m_byLeftStatus == 4) {
    if (object >= 1 && object <= 4) {
      cChara* c = subject.Target(object - 1);
      holds = c && !c->m_bDead;
    } else {
      holds = 1;
    }
    return holds != invert;
  }
  cChara* c = ObjectOf(object, subject);
  if (!c) return 0;
  switch (cond.m_byLeftStatus) {
    case 0: holds = c->m_nDir == 0; break;
    case 1: holds = c->m_nDir == 1; break;
    case 2: holds = c->m_Data.m_byFlying == 0 && (c->m_bRiding || (!c->m_bAirborne && !c->m_bJumping)); break;
    case 3: holds = IsHero(*c) ? c->IsOnScreen() : c->m_bOnScreen != 0; break;
    default: holds = 0; break;
  }
  return holds != invert;
}

int EvalCondDistance(const cCond& cond, cChara& subject) {
  // An object outside 0..4 measures against the hero, as 0 does.
  int object = cond.m_byLeftOwner;
  cChara* target = nullptr;
  if (object >= 1 && object <= 4) {
    target = subject.Target(object - 1);
  } else if (!g_vPlayer.empty()) {
    target = &g_vPlayer[0];
  }
  if (!target) return 0;
  subject.CalcScreenRect();
  // Files made before version 782 measured against the target's rectangle of the last frame; a
  // replay recorded by such a version plays back only if it still does.
  bool legacyReplay = g_nPlayMode == PLAYMODE_REPLAY && g_Replay.m_nDataVersion <= 781;
  if (!g_SystemData.m_bLegacy782 && !legacyReplay) target->CalcScreenRect();
  int d = cond.m_nValue * 16 + cond.m_wRightIndex;
  int facingRight = subject.m_nDir == 1;
  int front = facingRight ? 0 : d;  // extension before (left / up)
  int back = facingRight ? d : 0;   // extension after (right / down)
  const RECT& s = subject.m_rcScreen;
  const RECT& t = target->m_rcScreen;
  auto horizontal = [&](int before, int after, int whole) {
    return subject.IsInRange(s.left, subject.m_nGraphicW, t.left, t.right, target->m_nGraphicX, before, after, whole, 0,
                             target);
  };
  auto vertical = [&](int before, int after, int whole) {
    return subject.IsInRange(s.top, subject.m_nGraphicH, t.top, t.bottom, target->m_nGraphicY, before, after, whole, 1,
                             target);
  };
  bool in = false;
  switch (cond.m_byDistMode) {
    case 0: in = horizontal(d, d, 1); break;
    case 1: in = horizontal(front, back, 0); break;
    case 2: in = horizontal(back, front, 0); break;
    case 3: in = vertical(d, d, 1); break;
    case 4: in = vertical(front, back, 0); break;
    case 5: in = vertical(back, front, 0); break;
    case 6: {
      double dx = (target->m_dX + target->m_nGraphicW / 2.0) - (subject.m_dX + subject.m_nGraphicW / 2.0);
      double dy = (target->m_dY + target->m_nGraphicH / 2.0) - (subject.m_dY + subject.m_nGraphicH / 2.0);
      in = d >= std::sqrt(dx * dx + dy * dy);
      break;
    }
    default: in = false; break;
  }
  if (cond.m_byOp == 0) return in ? 1 : 0;
  if (cond.m_byOp == 1) return in ? 0 : 1;
  return 0;
}

int cPlayScene::CheckCond(const cCond& cond, cChara& subject) {
  switch (cond.m_byKind) {
    case 1: return CompareByOp(g_SaveData.m_vCommonVar.CheckedAt(cond.m_wIndex), cond.m_nValue, cond.m_byOp);
    case 2: return CompareByOp(m_vStageVar.CheckedAt(cond.m_wIndex), cond.m_nValue, cond.m_byOp);
    case 3: return CompareByOp(subject.m_vVar.CheckedAt(cond.m_wIndex), cond.m_nValue, cond.m_byOp);
    case 4: return EvalCondStatus(cond, subject);
    case 5: return EvalCondStatus2(cond, subject);
    case 6: return EvalCondStatus3(cond, subject);
    case 7: return EvalCondDistance(cond, subject);
    default: return 0;
  }
}

int cPlayScene::CheckCondList(const cSafeVector<cCond>& conds, int rule, cChara& subject) {
  if (rule == 0) {
    for (const cCond& c : conds)
      if (!CheckCond(c, subject)) return 0;
    return 1;
  }
  if (rule == 1) {
    for (const cCond& c : conds)
      if (CheckCond(c, subject)) return 1;
    return 0;
  }
  return 0;
}

int cPlayScene::CheckLatchedConds(const cSafeVector<cCond>& conds, int rule, int once, int latched,
                                  cChara* subject) {
  if (conds.empty() || (once && latched)) return 1;
  if (!subject || !CheckCondList(conds, rule, *subject)) return 0;
  return 2;
}

int cPlayScene::CheckFlowConds(cFlowRun& run, cChara& chara) {
  const cFlow& flow = *run.m_pFlow;
  int r = CheckLatchedConds(flow.m_vCond, flow.m_byCondRule, flow.m_bCondOnce, run.m_bCondLatch, &chara);
  if (r == 2) run.m_bCondLatch = 1;
  return r != 0;
}

int cPlayScene::CheckBlockConds(MapChip& chip) {
  cChara* hero = g_vPlayer.empty() ? nullptr : &g_vPlayer[0];
  int r = CheckLatchedConds(chip.m_vCond, chip.m_byCondRule, chip.m_bCondOnce, chip.m_bConditionLatch, hero);
  if (r == 2) chip.m_bConditionLatch = 1;
  return r != 0;
}

int cPlayScene::CheckCharaConds(cChara& chara) {
  const cCharaData& def = chara.m_Data;
  int r = CheckLatchedConds(def.m_vCond, def.m_byCondRule, def.m_bCondOnce, chara.m_byAppearLatch, &chara);
  if (r == 2) chara.m_byAppearLatch = 1;
  return r != 0;
}

int cPlayScene::CheckItemConds(cItem& item) {
  cChara* hero = g_vPlayer.empty() ? nullptr : &g_vPlayer[0];
  const cItemData& def = item.m_Data;
  int r = CheckLatchedConds(def.m_vCond, def.m_byCondRule, def.m_bCondOnce, item.m_byAppearLatch, hero);
  if (r == 2) item.m_byAppearLatch = 1;
  return r != 0;
}
