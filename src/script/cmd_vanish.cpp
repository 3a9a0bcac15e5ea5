#include "script/cmd_vanish.h"

#include <list>
#include <vector>

#include "defs/flow_cmd.h"
#include "engine/chara.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/shot.h"
#include "project/stage.h"

namespace {

constexpr int LAYERS = 8;
constexpr int OBJECT_SYSTEM = 5;

constexpr int STATE_VANISH = 0;
constexpr int STATE_TRANSPARENT = 1;
constexpr int STATE_FIXED_FACING = 2;
constexpr int STATE_FLYING = 3;
constexpr int STATE_INVINCIBLE = 4;
constexpr int STATE_ZOOM = 5;
constexpr int STATE_SCROLL_SYNC = 6;

constexpr int ZOOM_MIN = 1;
constexpr int ZOOM_MAX = 10;

bool IsHero(const cChara& c) { return !g_vPlayer.empty() && &c == &g_vPlayer[0]; }

bool InPlay(const cObject& o) { return o.m_bActive && !o.m_bRemoved; }

// The characters of a side: the scene's list of that collision layer (null for a side outside
// 0..7, which no valid command names).
std::list<cChara*>* CharaLayer(int layer) {
  if (!g_lpPlayScene || layer < 0 || layer >= LAYERS) return nullptr;
  return &g_lpPlayScene->m_vDrawList[static_cast<size_t>(layer)];
}
std::list<cShot*>* ShotLayer(int layer) {
  if (!g_lpPlayScene || layer < 0 || layer >= LAYERS) return nullptr;
  return &g_lpPlayScene->m_vShotDrawList[static_cast<size_t>(layer)];
}

// Takes a shot out of play: during the damage pass only flagged (the pass erases it and drops
// its links), otherwise removed from the shot list at once, which also drops the owner's and
// the target's links to it.
void RemoveShot(cShot& shot) {
  if (g_lpPlayScene && g_lpPlayScene->m_bHitPass) {
    shot.MarkRemoved();
    return;
  }
  cObjectList<cShot>::Remove(shot);
}

void SetSystemState(const cFlowCmd& cmd) {
  if (!g_lpPlayScene) return;
  const int value = cmd.Param(2);
  switch (cmd.Param(1)) {
    case 0:
      g_StageData.m_nScrollModeX = value;
      g_lpPlayScene->m_ScrollX.SetAutoSpeed(value, g_StageData.m_nAutoSpeedX);
      break;
    case 1:
      g_StageData.m_nScrollModeY = value;
      g_lpPlayScene->m_ScrollY.SetAutoSpeed(value, g_StageData.m_nAutoSpeedY);
      break;
    default: break;
  }
}

void SetZoomState(cChara& c, int value) {
  // The zoom multiplies the body and the graphic and re-anchors by the old zoom: keep it to the
  // factors the editing program offers.
  const int zoom = value < ZOOM_MIN ? ZOOM_MIN : (value > ZOOM_MAX ? ZOOM_MAX : value);
  c.SetZoom(zoom, c.m_nZoom);
  c.m_nZoom = zoom;
  c.m_Data.m_byZoom = static_cast<uint8_t>(zoom);
  if (IsHero(c)) g_vPlayer[0].BuildBoxDisplay();
}

}  // namespace

void KillByCommand(cChara& victim, const cChara& acting) {
  if (victim.m_nKind == 0)
    victim.m_nHp = 0;
  else
    victim.m_bRemoveNow = 1;
  if (&victim != &acting && g_lpPlayScene) g_lpPlayScene->m_bCheckHp = 1;
}

int CmdStatusOperation2(cChara& chara, cFlowCmd& cmd) {
  const int object = cmd.Param(0);
  if (object == OBJECT_SYSTEM) {
    SetSystemState(cmd);
    return 0;
  }
  cChara* c = object >= 1 && object <= TARGET_SLOTS ? chara.Target(object - 1) : &chara;
  if (!c) return 0;
  const int value = cmd.Param(2);
  switch (cmd.Param(1)) {
    case STATE_VANISH: KillByCommand(*c, chara); break;
    case STATE_TRANSPARENT: c->m_Data.m_bTransparent = static_cast<uint8_t>(value); break;
    case STATE_FIXED_FACING: c->m_Data.m_bFixedFacing = static_cast<uint8_t>(value); break;
    case STATE_FLYING:
      // Stage characters keep their flying state.
      if (IsHero(*c)) g_vPlayer[0].ApplyPlacement(value, 1);
      break;
    case STATE_INVINCIBLE: c->m_Data.m_byInvincible = static_cast<uint8_t>(value); break;
    case STATE_ZOOM: SetZoomState(*c, value); break;
    case STATE_SCROLL_SYNC:
      c->m_Data.m_bScrollSync = static_cast<uint8_t>(value);
      c->m_bScrollSync = static_cast<uint8_t>(value);
      break;
    default: break;
  }
  return 0;
}

void RemoveChildShots(cChara& chara) {
  // Removing a shot outside the damage pass drops its entry from this list: walk a copy.
  const std::vector<cShotLink> links(chara.m_vShotLink.begin(), chara.m_vShotLink.end());
  for (const cShotLink& link : links) {
    if (link.nKind != SUMMONER_SLOT || !link.lpShot || !InPlay(*link.lpShot)) continue;
    RemoveShot(*link.lpShot);
  }
}

void KillDescendants(cChara& chara, int depth, int bShots) {
  if (depth > MAX_VANISH_DEPTH) return;
  // One frame per character whose children are being visited: the next back-reference to look
  // at and the depth its own children are visited with.
  struct Frame {
    cChara* lpChara;
    size_t nNext;
    int nDepth;
  };
  std::vector<Frame> stack;
  stack.push_back({&chara, 0, depth});
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.nNext >= top.lpChara->m_vBackRef.RawSize()) {
      cChara* done = top.lpChara;
      stack.pop_back();
      // Every descendant goes after everything below it.
      if (!stack.empty()) KillByCommand(*done, chara);
      continue;
    }
    const cCharaRef ref = top.lpChara->m_vBackRef.Raw(top.nNext++);
    if (ref.nSlot != SUMMONER_SLOT || !ref.lpChara || !InPlay(*ref.lpChara)) continue;
    cChara& child = *ref.lpChara;
    const int childDepth = top.nDepth + 1;
    if (bShots) RemoveChildShots(child);
    if (childDepth > MAX_VANISH_DEPTH) {
      KillByCommand(child, chara);
      continue;
    }
    stack.push_back({&child, 0, childDepth});
  }
}

int CmdVanish(cChara& chara, cFlowCmd& cmd) {
  const int what = cmd.Param(0);
  const int layer = cmd.Param(1);
  const bool onScreenOnly = cmd.Param(2) == 0;
  switch (what) {
    case 0:
      if (std::list<cChara*>* list = CharaLayer(layer)) {
        for (cChara* c : *list) {
          if (c && InPlay(*c) && (!onScreenOnly || c->m_bOnScreen)) KillByCommand(*c, chara);
        }
      }
      break;
    case 1:
      if (std::list<cShot*>* list = ShotLayer(layer)) {
        for (cShot* s : *list) {
          if (s && InPlay(*s) && (!onScreenOnly || s->m_bOnScreen)) RemoveShot(*s);
        }
      }
      break;
    case 2: KillDescendants(chara, 0, 0); break;
    case 3: RemoveChildShots(chara); break;
    case 4:
      RemoveChildShots(chara);
      KillDescendants(chara, 0, 1);
      break;
    case 5: KillDescendants(chara, 0, 1); break;
    default: break;
  }
  return 0;
}
