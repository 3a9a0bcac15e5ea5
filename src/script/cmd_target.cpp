#include "script/cmd_target.h"

#include <list>

#include "defs/flow_cmd.h"
#include "engine/chara.h"
#include "engine/chara_search.h"
#include "engine/play_scene.h"
#include "engine/player.h"

namespace {

constexpr int LAYERS = 8;

enum eSelect {
  SELECT_HERO = 0,
  SELECT_SELF = 1,
  SELECT_NEAREST = 2,
  SELECT_BY_ID = 3,
  SELECT_SUMMONER = 4,
  SELECT_LAST_CHILD = 5,
  SELECT_CHILD = 6,
  SELECT_TARGET1 = 7,
  SELECT_TARGET4 = 10,
};

// Nothing found: 0 clear the slot, 1 keep it.
constexpr int MISSING_CLEAR = 0;
constexpr int MISSING_KEEP = 1;

cCharaFilter FilterOf(const cChara& chara, const cFlowCmd& cmd) {
  cCharaFilter f;
  f.bAlive = 1;
  f.lpSelf = cmd.Param(5) ? &chara : nullptr;
  f.bNotInvincible1 = cmd.Param(6);
  f.bNotInvincible2 = cmd.Param(7);
  f.bNotBlockChara = cmd.Param(8);
  f.bCharaId = cmd.Param(9);
  f.nCharaId = cmd.Param(10);
  f.bVar = cmd.Param(11);
  f.nVar = cmd.Param(12);
  f.nValue = cmd.Param(13);
  f.nOp = cmd.Param(14);
  return f;
}

// The scene's list of a side; null for a side outside 0..7.
const std::list<cChara*>* Side(int layer) {
  if (!g_lpPlayScene || layer < 0 || layer >= LAYERS) return nullptr;
  return &g_lpPlayScene->m_vDrawList[static_cast<size_t>(layer)];
}

cChara* Nearest(const cChara& chara, const cFlowCmd& cmd, const cCharaFilter& filter) {
  const int x = chara.CenterX();
  const int y = chara.CenterY();
  const int range = cmd.Param(4);
  if (!cmd.Param(3)) {
    const std::list<cChara*>* side = Side(cmd.Param(2));
    return side ? FindTargetChara(x, y, *side, range, filter) : nullptr;
  }
  // Every side: the nearest of each, then the nearest of those.
  std::list<cChara*> found;
  for (int layer = 0; layer < LAYERS; ++layer) {
    const std::list<cChara*>* side = Side(layer);
    if (!side || side->empty()) continue;
    if (cChara* c = FindTargetChara(x, y, *side, range, filter)) found.push_back(c);
  }
  return FindTargetChara(x, y, found, range, filter);
}

cChara* FirstById(const cFlowCmd& cmd, const cCharaFilter& filter) {
  if (!cmd.Param(3)) {
    const std::list<cChara*>* side = Side(cmd.Param(2));
    return side ? FindCharaInList(*side, filter) : nullptr;
  }
  for (int layer = 0; layer < LAYERS; ++layer) {
    const std::list<cChara*>* side = Side(layer);
    if (!side) continue;
    if (cChara* c = FindCharaInList(*side, filter)) return c;
  }
  return nullptr;
}

cChara* LastChild(const cChara& chara) {
  for (size_t i = chara.m_vBackRef.RawSize(); i-- > 0;) {
    const cCharaRef& r = chara.m_vBackRef.Raw(i);
    if (r.nSlot == SUMMONER_SLOT) return r.lpChara;
  }
  return nullptr;
}

cChara* Select(cChara& chara, const cFlowCmd& cmd) {
  const int select = cmd.Param(1);
  switch (select) {
    case SELECT_HERO: return g_vPlayer.empty() ? nullptr : &g_vPlayer[0];
    case SELECT_SELF: return &chara;
    case SELECT_NEAREST: return Nearest(chara, cmd, FilterOf(chara, cmd));
    case SELECT_BY_ID: return FirstById(cmd, FilterOf(chara, cmd));
    case SELECT_SUMMONER: return chara.m_lpSummoner;
    case SELECT_LAST_CHILD: return LastChild(chara);
    case SELECT_CHILD: return FindCharaInRefs(chara.m_vBackRef, SUMMONER_SLOT, FilterOf(chara, cmd));
    default:
      if (select >= SELECT_TARGET1 && select <= SELECT_TARGET4) return chara.Target(select - SELECT_TARGET1);
      return nullptr;
  }
}

}  // namespace

int cChara::SetTarget(int slot, cChara* lpChara, int bClear) {
  if (slot < 0 || slot >= TARGET_SLOTS) return 0;
  if (bClear || lpChara) SetTarget(slot, lpChara);
  return lpChara && Target(slot) == lpChara ? 1 : 0;
}

int CmdSetTarget(cChara& chara, cFlowCmd& cmd) {
  const int slot = cmd.Param(0);
  // A slot outside the four targets would reach the summoner link or beyond.
  if (slot < 0 || slot >= TARGET_SLOTS) return 0;
  const int missing = cmd.Param(15);
  if (missing != MISSING_CLEAR && missing != MISSING_KEEP) return 0;
  cChara* found = Select(chara, cmd);
  return chara.SetTarget(slot, found, missing == MISSING_CLEAR ? 1 : 0);
}
