#include "engine/item.h"

#include "core/sound_request.h"
#include "engine/flow_seam.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/stage_chara.h"
#include "project/stage.h"
#include "script/flow_build.h"
#include "script/item_cmd.h"

void cItem::ReanchorY(int nNew, int nOld) {
  if (nNew == nOld) return;
  m_dY -= (nNew - nOld) * (m_nBaseHeight + m_nBaseGraphicY);
  ClampY(2);
}

void cItem::SetData(int id, const cItemData& def, int carried) {
  m_Data = def;
  int w = g_StageData.m_nItemW;
  int h = g_StageData.m_nItemH;
  Init(id, 0, 0, 0, m_Data.m_wGraphic, nullptr, 0, 16 - (w >> 1), 16 - (h >> 1), w, h, 32, 32, 0, 1, 0);
  m_bScrollSync = 0;
  m_bCarried = carried ? 1 : 0;
  // The zoom is clamped to 1..10 when a definition loads; one made in memory may hold less.
  m_nZoom = m_Data.m_byZoom < 1 ? 1 : m_Data.m_byZoom;
  if (m_bCarried) {
    m_bActive = 1;
  } else {
    SetZoom(m_nZoom, 1);
  }
  ExpandLoops(m_Data.m_vCmd);
}

void cItem::SetTilePos(int column, int row) {
  SetCellDotPos((column + MAP_MARGIN) * CELL_DOTS, (row + MAP_MARGIN) * CELL_DOTS);
}

void cItem::SetCellDotPos(int x, int y) {
  m_dX = static_cast<double>(x) + m_nBaseGraphicX + 0.5;
  m_dY = static_cast<double>(y) + m_nBaseGraphicY;
  int zoom = m_bCarried ? 1 : m_nZoom;
  ReanchorX(zoom, 1);
  ReanchorY(zoom, 1);
  ClampX(2);
  ClampY(2);
}

int TakeItem(cItem* item, cPlayer& hero) {
  if (!item || item->m_nGraphic == 0 || item->m_Data.m_byTakeRule == 2 || !item->m_bActive) return 0;
  const cItemData& d = item->m_Data;
  if (d.m_bTakePopup) hero.ShowItemPopup(d.m_byGraphicKind, item->m_nGraphic, d.m_wGraphicSub);
  PlayUserSe(d.m_wSound);
  return RunCommandList(hero, item->m_Data.m_vCmd);
}

int cPlayScene::PickUpItems(cPlayer& hero) {
  int result = 0;
  g_lItem.ForEach([&](cItem& item) {
    if (result != 0 || item.m_bRemoved) return;
    if (!item.m_bActive || item.m_bCarried || item.m_Data.m_byTakeRule == 2 || item.m_bHidden) return;
    int rule = item.m_Data.m_byTakeRule;
    const cBox& c = hero.m_BoxC;
    bool overlap = c.dLeft <= item.m_dFarX && c.dRight >= item.m_dX && c.dTop <= item.m_dFarY && c.dBottom >= item.m_dY;
    if (!overlap) {
      if (rule == 1) hero.ForgetItemContact(item.m_nId);
      return;
    }
    hero.FireEvent(8);
    if (rule == 1) {
      if (!hero.HasNoItemContact(item.m_nId)) return;
      hero.m_lItemContact.push_back(item.m_nId);
    }
    int r = TakeItem(&item, hero);
    if (rule == 0) cObjectList<cItem>::Remove(item);
    if (r != 0) result = r;
  });
  g_lItem.Sweep();
  return result;
}
