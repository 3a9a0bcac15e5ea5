// The summon commands as engine operations: characters, items and blocks of a palette laid out
// by the shot data's formation and put into the stage.
#pragma once

#include <cstdint>

#include "defs/block_data.h"
#include "defs/chara_data.h"
#include "defs/ed_shot.h"
#include "defs/item_data.h"

class cChara;
class cCmdState;

// What a character summon hands to the play scene's placement of a summoned character: the
// top-left position, the facing and side the summon gives it, the user's facing, the shot
// data, the definition and the user (its creator).
struct cCharaSummon {
  int32_t nX = 0;
  int32_t nY = 0;
  int32_t nDir = 0;
  int32_t nLayer = 0;
  int32_t nUserDir = 0;
  const cEdShot* lpShot = nullptr;
  const cCharaData* lpDef = nullptr;
  cChara* lpUser = nullptr;
};
// The same for an item.
struct cItemSummon {
  int32_t nX = 0;
  int32_t nY = 0;
  int32_t nUserDir = 0;
  const cEdShot* lpShot = nullptr;
  const cItemData* lpDef = nullptr;
};

// The definition at the shot data's summon index in the chosen palette (0 common, 1 the
// stage's); null for an index outside the list.
const cBlockData* SummonBlockDef(const cEdShot& shot);
const cCharaData* SummonCharaDef(const cEdShot& shot);
const cItemData* SummonItemDef(const cEdShot& shot);

// The summons: nothing for an index outside the palette list or, for characters, a definition
// that is not computer controlled; otherwise the formation lays out the objects once.
void CmdSummonChara(cChara& user, cCmdState& state, const cEdShot& shot);
void CmdSummonItem(cChara& user, cCmdState& state, const cEdShot& shot);
void CmdSummonBlock(cChara& user, cCmdState& state, const cEdShot& shot);
