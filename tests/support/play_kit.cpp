#include "play_kit.h"

#include <cinttypes>
#include <cstdio>
#include <stdexcept>

#include "core/shell_link.h"
#include "engine/chara_effect.h"
#include "engine/flow_seam.h"
#include "engine/map_grid.h"
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
  g_lpfnShowItemPopup = nullptr;
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

namespace {

int IdOf(const cChara* c) { return c ? c->m_nId : -1; }

// The flow runs of a character: one line per run, with the remaining ticks of each command.
void DescribeFlowRuns(std::string& out, const cChara& c) {
  char line[256];
  for (const cFlowRun& r : c.m_vFlowRun) {
    std::snprintf(line, sizeof line, "  run %d/%d running=%d paused=%d forever=%d delete=%d current=%d ticks=%d left=",
                  r.m_nIndex, r.m_nRunId, r.m_bRunning, r.m_bPaused, r.m_bStopForever, r.m_bDelete, r.m_nCurrent,
                  r.m_nTicks);
    out += line;
    for (const cCmdState& s : r.m_vCmdState) out += std::to_string(s.m_nRemaining) + (s.m_bDone ? "d " : " ");
    out += "\n";
  }
}

void Describe(std::string& out, const char* what, const cChara& c) {
  char line[1024];
  std::snprintf(line, sizeof line,
                "%s id=%d removed=%d dead=%d active=%d x=%a y=%a fx=%a fy=%a vx=%a vy=%a ax=%a ay=%a kx=%a ky=%a "
                "hp=%d sp=%d dir=%d press=%d%d%d%d air=%d/%d jump=%d%d%d wall=%d pause=%d life=%d "
                "targets=%d,%d,%d,%d summoner=%d backrefs=%zu shots=%zu effect=%d/%a\n",
                what, c.m_nId, c.m_bRemoved, c.m_bDead, c.m_bActive, c.m_dX, c.m_dY, c.m_dFarX, c.m_dFarY, c.m_dVX,
                c.m_dVY, c.m_dAX, c.m_dAY, c.m_dKnockX, c.m_dKnockY, c.m_nHp, c.m_nSp, c.m_nDir, c.m_bPressLeft,
                c.m_bPressRight, c.m_bPressTop, c.m_bPressBottom, c.m_bAirborne, c.m_nAirCount, c.m_bJumpStartA,
                c.m_bJumpStartB, c.m_bJumping, c.m_nWallSide, c.m_nPause, c.m_nLife, IdOf(c.m_vTarget[0]),
                IdOf(c.m_vTarget[1]), IdOf(c.m_vTarget[2]), IdOf(c.m_vTarget[3]), IdOf(c.m_lpSummoner),
                c.m_vBackRef.size(), c.m_vShotLink.size(), c.m_Effect.m_sEffect, c.m_Effect.m_dCurrent);
  out += line;
  DescribeFlowRuns(out, c);
}

void DescribeAxis(std::string& out, const char* what, const cScroll& s) {
  char line[256];
  std::snprintf(line, sizeof line, "%s pos=%a pinned=%d auto=%d speed=%a\n", what, s.m_dPos, s.m_bPinned, s.m_bAuto,
                s.m_dAutoSpeed);
  out += line;
}

}  // namespace

std::string DescribePlay() {
  std::string out;
  for (const cPlayer& p : g_vPlayer) Describe(out, "hero", p);
  // A walk of the list, so that removed characters (not yet swept) are described too.
  size_t stored = g_lChara.Stored();
  size_t seen = 0;
  g_lChara.ForEach([&](cStageChara& c) {
    Describe(out, "chara", c);
    ++seen;
  });
  char line[256];
  std::snprintf(line, sizeof line, "removed awaiting sweep=%zu\n", stored - seen);
  out += line;
  g_lItem.ForEach([&](cItem& item) {
    std::snprintf(line, sizeof line, "item id=%d active=%d x=%a y=%a vx=%a vy=%a life=%d\n", item.m_nId,
                  item.m_bActive, item.m_dX, item.m_dY, item.m_dVX, item.m_dVY, item.m_nLife);
    out += line;
  });
  if (g_lpPlayScene) {
    DescribeAxis(out, "scroll x", g_lpPlayScene->m_ScrollX);
    DescribeAxis(out, "scroll y", g_lpPlayScene->m_ScrollY);
    std::snprintf(line, sizeof line, "time=%d stop=%d frames=%d play=%d result=%d effects=%zu\n",
                  g_lpPlayScene->m_nTime, g_lpPlayScene->m_bTimeStop, g_lpPlayScene->m_nPlayFrames,
                  g_lpPlayScene->m_nPlayTime, g_lpPlayScene->m_nStageResult, g_lpPlayScene->m_lEffect.size());
    out += line;
  }
  return out;
}

uint64_t PlayDigest() {
  uint64_t h = 1469598103934665603ULL;
  for (unsigned char ch : DescribePlay()) {
    h ^= ch;
    h *= 1099511628211ULL;
  }
  return h;
}

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
