#include "engine/hit_index.h"

#include "engine/chara.h"
#include "engine/shot.h"

namespace {

cBoxGrid::Box GridBox(const cBox& b) { return {b.dLeft, b.dTop, b.dRight, b.dBottom}; }

}  // namespace

bool cHitIndex::Member(const cShot& shot, int kind) { return (kind & 1) == 0 || shot.m_Shot.m_bHitsShots != 0; }

bool cHitIndex::InPlay(const cShot& shot) { return shot.m_bRemoved == 0; }

cBoxGrid::Box cHitIndex::BoxOf(const cChara& chara, int kind) { return GridBox(kind == 1 ? chara.m_BoxB : chara.m_BoxA); }

cBoxGrid::Box cHitIndex::BoxOf(const cShot& shot, int kind) {
  if (kind < 2) return GridBox(shot.m_Box);
  return {shot.m_dX, shot.m_dY, shot.m_dFarX, shot.m_dFarY};
}
