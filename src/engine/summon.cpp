#include "engine/summon.h"

#include <vector>

#include "core/log.h"
#include "engine/chara.h"
#include "engine/play_scene.h"
#include "engine/shot_formation.h"
#include "project/common_palette.h"
#include "project/stage.h"


namespace {

template <class T>
const T* Entry(const cSafeVector<T>& common, const cSafeVector<T>& stage, const cEdShot& shot) {
  const cSafeVector<T>& list = shot.m_bySummonPalette == 0 ? common : stage;
  int i = shot.m_sSummonIndex;
  if (i < 0 || static_cast<size_t>(i) >= list.size()) return nullptr;
  return &list[static_cast<size_t>(i)];
}

// The formation's places of one summon: objects of size × size from volley 0.
std::vector<cShotSpawn> LayOut(cChara& user, const cEdShot& shot, int size) {
  cShotSpawn rec;
  rec.dSpeed = 1.0;
  rec.nWidth = rec.nHeight = size;
  rec.nOffsetX = shot.GetOffsetX(0, user.m_nDir);
  rec.nOffsetY = shot.GetOffsetY(0, user.m_nDir);
  rec.nDir = ResolveShotDirection(shot.m_byDirection, user);
  user.CalcScreenRect();
  std::vector<cShotSpawn> out;
  LayOutFormation(user, shot, rec, out, true);
  return out;
}

int Zoom(const cEdShot& shot) { return shot.m_byZoom ? shot.m_byZoom : 1; }


}  // namespace

const cBlockData* SummonBlockDef(const cEdShot& shot) {
  return Entry(g_CommonPalette.m_vBlock, g_StageData.m_vBlock, shot);
}
const cCharaData* SummonCharaDef(const cEdShot& shot) {
  return Entry(g_CommonPalette.m_vChara, g_StageData.m_vChara, shot);
}
const cItemData* SummonItemDef(const cEdShot& shot) {
  return Entry(g_CommonPalette.m_vItem, g_StageData.m_vItem, shot);
}

void CmdSummonChara(cChara& user, cCmdState&, const cEdShot& shot) {
  const cCharaData* def = SummonCharaDef(shot);
  if (!def || def->m_byControl != 1 || !g_lpPlayScene) return;
  int facing = shot.m_bReverseFacing ? 1 - user.m_nDir : user.m_nDir;
  int layer = shot.m_byLayerMode == 1 ? user.m_nLayer : shot.m_byLayerMode == 2 ? shot.m_byLayer : def->m_byLayer;
  for (const cShotSpawn& s : LayOut(user, shot, Zoom(shot) * 32)) {
    cCharaSummon c;
    c.nX = s.nX;
    c.nY = s.nY;
    c.nDir = facing;
    c.nLayer = layer;
    c.nUserDir = user.m_nDir;
    c.lpShot = &shot;
    c.lpDef = def;
    c.lpUser = &user;
    g_lpPlayScene->SummonChara(c);
  }
}

void CmdSummonItem(cChara& user, cCmdState&, const cEdShot& shot) {
  const cItemData* def = SummonItemDef(shot);
  if (!def || !g_lpPlayScene) return;
  for (const cShotSpawn& s : LayOut(user, shot, Zoom(shot) * 32)) {
    cItemSummon c;
    c.nX = s.nX;
    c.nY = s.nY;
    c.nUserDir = user.m_nDir;
    c.lpShot = &shot;
    c.lpDef = def;
    g_lpPlayScene->SummonItem(c);
  }
}

void CmdSummonBlock(cChara& user, cCmdState&, const cEdShot& shot) {
  const cBlockData* def = SummonBlockDef(shot);
  if (!def || !g_lpPlayScene) return;
  cSummonBlockParams params;
  params.nMode = shot.m_byBlockSummonMode;
  // Each cell toggles at most once per command.
  g_lpPlayScene->m_vToggledCells.clear();
  for (const cShotSpawn& s : LayOut(user, shot, 32)) g_lpPlayScene->SummonBlock(s.nX, s.nY, params, *def);
}
