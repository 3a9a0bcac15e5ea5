#include "play_scene_kit.h"

#include "fixture/fixture.h"
#include "project/replay.h"
#include "platform/time.h"
#include "project/shell_state.h"
#include "project/system_data.h"

namespace playscene {

std::vector<std::string> g_calls;

namespace {

void Log(const cChara& c, const char* what) { g_calls.push_back(std::to_string(c.m_nId) + ":" + what); }

}  // namespace

int LoggedChara::Act(int) {
  Log(*this, "act");
  return act;
}

int LoggedChara::StepX() {
  Log(*this, "x");
  return stepX;
}

int LoggedChara::StepY() {
  Log(*this, "y");
  return stepY;
}

PlaySceneTest::PlaySceneTest(const cStage& stage)
    : world(stage),
      savedPlayMode_(g_nPlayMode),
      savedGameMode_(g_nGameMode),
      savedFreePlay_(g_bFreePlay),
      savedTestPlay_(g_bTestPlay) {
  g_calls.clear();
  g_nPlayMode = PLAYMODE_FREE_STAGE;
  g_nGameMode = GAMEMODE_FREE;
  g_bFreePlay = 1;
  g_bTestPlay = 0;
  g_Replay.Reset();
  g_PrevReplay.Reset();
  g_StageInit = g_StageData;
  g_SystemData.m_bReplay = 0;
  UseTestClock(1000);
  world.onEvent = [](cChara& c, int key, cObject*, int) {
    if (key == 0) Log(c, "event0");
  };
}

PlaySceneTest::~PlaySceneTest() {
  g_nPlayMode = savedPlayMode_;
  g_nGameMode = savedGameMode_;
  g_bFreePlay = savedFreePlay_;
  g_bTestPlay = savedTestPlay_;
  g_Replay.Reset();
  g_PrevReplay.Reset();
  g_StageInit = cStage();
  g_calls.clear();
  UseSystemClock();
}

LoggedChara& PlaySceneTest::AddLogged(int cellX, int cellY, bool block) {
  static const int32_t none[4] = {0, 0, 0, 0};
  cCharaData def = fixture::Chara(2);
  def.m_bBlockChara = block ? 1 : 0;
  def.m_byFlying = 1;
  auto owned = std::make_unique<LoggedChara>();
  LoggedChara& c = *owned;
  c.Place(world.scene.m_nNextId++, def, nullptr, none, 0, nullptr);
  c.SetBlockXY(cellX, cellY);
  c.m_bActive = 1;
  c.m_bInRange = 1;
  c.CalcScreenRect();
  g_lChara.Add(std::move(owned));
  world.scene.m_vDrawList[static_cast<size_t>(c.m_nLayer & 7)].push_back(&c);
  return c;
}

void PlaySceneTest::Frames(int n) {
  for (int i = 0; i < n; ++i) world.scene.Update();
}

}  // namespace playscene
