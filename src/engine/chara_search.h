// The searches for a character: by list order, among references, and the nearest one by
// Manhattan distance. Removed characters are never found.
#pragma once

#include <list>

#include "core/safe_container.h"
#include "engine/chara.h"
#include "engine/stage_chara.h"

// The filters shared by the searches; each applies only when switched on.
struct cCharaFilter {
  int bCharaId = 0;
  int nCharaId = 0;
  int bAlive = 0;
  // Not this character (by id).
  const cChara* lpSelf = nullptr;
  int bNotInvincible1 = 0;
  int bNotInvincible2 = 0;
  int bNotBlockChara = 0;
  // Character variable nVar (0..8; any other number fails) compared with nValue by operator
  // nOp (0 =, 1 !=, 2 >=, 3 <=, 4 >, 5 <, 6 divisible, 7 not divisible; others fail).
  int bVar = 0;
  int nVar = 0;
  int nOp = 0;
  int nValue = 0;

  bool Pass(const cChara& chara) const;
};

// Search modes of FindTargetChara.
constexpr int TARGET_ON_SCREEN_FIRST = 0;
constexpr int TARGET_ANYWHERE = 1;
constexpr int TARGET_ON_SCREEN_ONLY = 2;

cChara* FindCharaInList(cObjectList<cStageChara>& list, const cCharaFilter& filter);
cChara* FindCharaInRefs(const cLinkList<cCharaRef>& refs, int slot, const cCharaFilter& filter);
cChara* FindTargetChara(int x, int y, cObjectList<cStageChara>& list, int mode, const cCharaFilter& filter);
// The same over a list of the play scene's sides (characters and the hero by layer).
cChara* FindCharaInList(const std::list<cChara*>& list, const cCharaFilter& filter);
cChara* FindTargetChara(int x, int y, const std::list<cChara*>& list, int mode, const cCharaFilter& filter);
// Mode 2 when the stage hits on screen only, else mode 0, skipping characters that are
// invincible of kind 2.
cChara* FindNearestChara(int x, int y, cObjectList<cStageChara>& list);
// FindNearestChara from the character's own centre.
cChara* FindNearest(const cChara& self, cObjectList<cStageChara>& list);
