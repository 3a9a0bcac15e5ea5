#include "play_kit.h"

#include <cinttypes>
#include <cstdio>
#include <stdexcept>

#include "core/shell_link.h"
#include "engine/chara_effect.h"
#include "engine/flow_seam.h"
#include "engine/map_grid.h"
#include "engine/play_digest.h"
#include "platform/message.h"
#include "project/global_data.h"
#include "script/cmd_dispatch.h"

namespace playkit {

namespace {

PlayWorld* g_world = nullptr;
WindowRequestRecorder* g_recorder = nullptr;
ItemListRecorder* g_listRecorder = nullptr;

void RecordEvent(cChara& chara, int key, cObject* partner, int value) {
  if (!g_world) return;
  g_world->events.push_back({chara.m_nId, key, partner ? partner->m_nId : -1, value});
  if (g_world->onEvent) g_world->onEvent(chara, key, partner, value);
}

void ResetEngineGlobals() {
  g_lChara.Clear();
  g_lItem.Clear();
  g_vPlayer.clear();
  g_MapGrid.clear();
  g_vCharaEffectTemplate.clear();
  g_vCharaEffectTemplateRev.clear();
  g_lpPlayScene = nullptr;
  g_lpfnFireEventEx = nullptr;
  g_lpfnJumpKeyHeld = nullptr;
}

}  // namespace

PlayWorld::PlayWorld(const cStage& stage)
    : savedStage_(g_StageData), savedSystem_(g_SystemData), savedProgress_(g_SaveData) {
  // The globals are the running stage's: a second world would take them over and give them
  // back in the wrong order.
  if (g_world) throw std::logic_error("PlayWorld: another stage is already in play");
  ResetEngineGlobals();
  g_SystemData = cSystemData();
  g_SaveData.m_nStageScore = 0;
  g_StageData = stage;
  g_StageData.SetSpeedLevel(g_StageData.m_nSpeedLevel);
  scene.SetUpScrolls(g_StageData);
  scene.SetUpTime(g_StageData);
  scene.m_ScrollX.m_dPos = scene.m_ScrollX.m_nMin;
  scene.m_ScrollY.m_dPos = scene.m_ScrollY.m_nMin;
  scene.m_ScrollX.Clamp();
  scene.m_ScrollY.Clamp();
  BuildMapGrid(g_StageData, scene.m_ScrollX, scene.m_ScrollY);
  g_lpPlayScene = &scene;
  // The hero's input record: player 1's.
  savedInputCount_ = g_vInput.size();
  if (g_vInput.empty()) g_vInput.resize(1);
  g_world = this;
  g_lpfnFireEventEx = &RecordEvent;
}

PlayWorld::~PlayWorld() {
  ResetEngineGlobals();
  g_world = nullptr;
  g_vInput.resize(savedInputCount_);
  g_StageData = savedStage_;
  g_SystemData = savedSystem_;
  g_SaveData = savedProgress_;
}

void PlayWorld::SetUpBody(cChara& c, const cCharaData& def, int cellX, int cellY, int w, int h) {
  static const int32_t none[4] = {0, 0, 0, 0};
  c.Reset(&def, none, 0);
  int kind = def.m_byControl == 0 ? 0 : 1;
  c.Init(scene.m_nNextId++, kind, def.m_byPlayerNo, def.m_byLayer, def.m_wGraphic, nullptr, 0, (32 - w) / 2, 32 - h, w,
         h, 32, 32, 1, def.m_byFlying, 0);
  c.m_nZoom = 1;
  c.m_dX = (cellX + MAP_MARGIN) * CELL_DOTS + c.m_nGraphicX;
  c.m_dY = (cellY + MAP_MARGIN) * CELL_DOTS + c.m_nGraphicY;
  c.UpdateFarX();
  c.UpdateFarY();
  c.m_bActive = 1;
  c.CalcScreenRect();
}

cPlayer& PlayWorld::AddHero(const cCharaData& def, int cellX, int cellY) {
  g_vPlayer.clear();
  g_vPlayer.emplace_back();
  cPlayer& hero = g_vPlayer[0];
  SetUpBody(hero, def, cellX, cellY, g_StageData.m_nHeroW, g_StageData.m_nHeroH);
  return hero;
}

cStageChara& PlayWorld::AddChara(const cCharaData& def, int cellX, int cellY) {
  cStageChara& c = g_lChara.Add(std::make_unique<cStageChara>());
  SetUpBody(c, def, cellX, cellY, g_StageData.m_nCharaW, g_StageData.m_nCharaH);
  return c;
}

cItem& PlayWorld::AddItem(const cItemData& def, int cellX, int cellY) {
  cItem& item = g_lItem.Add(std::make_unique<cItem>());
  item.Init(scene.m_nNextId++, 1, 0, 0, def.m_wGraphic, nullptr, 0, 0, 0, 32, 32, 32, 32, 1, 1, 0);
  item.m_dX = (cellX + MAP_MARGIN) * CELL_DOTS;
  item.m_dY = (cellY + MAP_MARGIN) * CELL_DOTS;
  item.UpdateFarX();
  item.UpdateFarY();
  item.m_bActive = 1;
  item.CalcScreenRect();
  return item;
}

cPlayer& PlayWorld::PlaceHero(const cCharaData& def, int cellX, int cellY) {
  g_vPlayer.clear();
  g_vPlayer.emplace_back();
  cPlayer& hero = g_vPlayer[0];
  hero.PlaceAtStageStart(scene.m_nNextId++, def, (cellX + MAP_MARGIN) * CELL_DOTS + 16.0,
                         (cellY + MAP_MARGIN) * CELL_DOTS + 16.0, 0);
  hero.m_bActive = 1;
  hero.CalcScreenRect();
  return hero;
}

cStageChara& PlayWorld::PlaceChara(const cCharaData& def, int cellX, int cellY, const cItem* drop) {
  static const int32_t none[4] = {0, 0, 0, 0};
  cStageChara& c = g_lChara.Add(std::make_unique<cStageChara>());
  c.Place(scene.m_nNextId++, def, drop, none, 0, nullptr);
  c.SetBlockXY(cellX, cellY);
  c.m_bActive = 1;
  c.CalcScreenRect();
  return c;
}

cItem& PlayWorld::PlaceItem(const cItemData& def, int cellX, int cellY) {
  cItem& item = g_lItem.Add(std::make_unique<cItem>());
  item.SetData(scene.m_nNextId++, def, 0);
  item.SetTilePos(cellX, cellY);
  item.m_bActive = 1;
  item.CalcScreenRect();
  return item;
}

std::vector<int> PlayWorld::KeysOf(int charaId) const {
  std::vector<int> keys;
  for (const FiredEvent& e : events)
    if (e.charaId == charaId) keys.push_back(e.key);
  return keys;
}

namespace {

LRESULT RecorderProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (g_recorder && msg >= WM_USER) g_recorder->requests.push_back({msg, wParam, lParam});
  return 0;
}

}  // namespace

WindowRequestRecorder::WindowRequestRecorder() {
  g_recorder = this;
  window_ = CreateWindowHandle(&RecorderProc);
  saved_ = g_hWnd;
  g_hWnd = window_;
}

WindowRequestRecorder::~WindowRequestRecorder() {
  g_hWnd = saved_;
  DestroyWindowHandle(window_);
  g_recorder = nullptr;
}

std::vector<int> WindowRequestRecorder::Sounds() const {
  std::vector<int> slots;
  for (const Request& r : requests)
    if (r.msg == WM_USER + 5) slots.push_back(static_cast<int>(r.wParam));
  return slots;
}

std::string DescribePlay() { return DescribePlayState(); }

uint64_t PlayDigest() { return PlayStateDigest(); }

ItemListRecorder::ItemListRecorder() {
  if (g_listRecorder) throw std::logic_error("ItemListRecorder: one at a time");
  g_listRecorder = this;
  saved_ = g_apfnCmdImpl[CMD_CODE];
  g_apfnCmdImpl[CMD_CODE] = &ItemListRecorder::Record;
}

ItemListRecorder::~ItemListRecorder() {
  g_apfnCmdImpl[CMD_CODE] = saved_;
  g_listRecorder = nullptr;
}

cFlowCmd ItemListRecorder::Tagged(int tag) {
  cFlowCmd c;
  c.m_bySelector = 1;
  c.m_byKind = static_cast<int8_t>(CMD_CODE - LISTCMD_KIND_OFFSET);
  c.m_vParam.assign(1, tag);
  return c;
}

cFlowCmd ItemListRecorder::StageClear() {
  cFlowCmd c;
  c.m_bySelector = 1;
  c.m_byKind = static_cast<int8_t>(CMD_STAGE_CLEAR - LISTCMD_KIND_OFFSET);
  return c;
}

int ItemListRecorder::Record(cChara& chara, cFlowCmd& cmd) {
  if (!g_listRecorder) return 0;
  g_listRecorder->taken.push_back(cmd.Param(0));
  if (g_listRecorder->result == 2) chara.m_nHp = 0;
  return 0;
}

}  // namespace playkit
