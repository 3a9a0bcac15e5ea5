// The way on after a stage is cleared: the carry-over stored for the next stage, the next stage
// file of a series, and the clear recorded in the progress when the series ends here.
#include <algorithm>
#include <string>

#include "core/path.h"
#include "core/safe_container.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "project/data_folder.h"
#include "project/replay.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/stage_load.h"
#include "project/system_data.h"
#include "project/world_map.h"

namespace {

constexpr int SCENE_TITLE_TYPE = 0;
constexpr int SCENE_WORLD_MAP_TYPE = 1;
constexpr int SCENE_STAGE_SELECT_TYPE = 3;
constexpr int SCENE_PLAY_TYPE = 4;

// Loads the next stage of the series into the stage as loaded; 1 when it is ready to play.
int LoadNextStage(const cPlayScene& scene, int number) {
  std::string name;
  if (!scene.MakeResFileName(name, number)) return 0;
  return LoadStageFile(name.c_str(), 0, &g_StageInit);
}

// The next stage of a series asked by the stage-clear command: its number becomes the stage
// number, and when its file loads the recordings start afresh; 1 when it is ready to play.
int TryNextStage(const cPlayScene& scene) {
  if (!g_SaveData.m_bSeries || scene.m_nNextStage == 0) return 0;
  g_SaveData.m_nStageNumber = scene.m_nNextStage;
  if (!LoadNextStage(scene, scene.m_nNextStage)) return 0;
  g_Replay.Reset();
  g_PrevReplay.Reset();
  return 1;
}

}  // namespace

std::string cPlayScene::NextStageName(int number) const {
  if (m_strNextStage.empty()) {
    // The progress keeps a series as its base name with the "." that stood in for "-1" (from
    // "x-1.stg4", "x."); stage n of it is "x-n.stg4", without that dot.
    std::string base = g_SaveData.m_strStage;
    if (!base.empty() && base.back() == '.') base.pop_back();
    return base + "-" + std::to_string(number) + ".stg4";
  }
  // A path named by the stage-clear command ends in the "." put where its extension was: only
  // the extension goes after it, so "x." names "x.stg4" (not "x..stg4", which no file has).
  return m_strNextStage + (m_strNextStage.back() == '.' ? "stg4" : ".stg4");
}

int cPlayScene::MakeResFileName(std::string& name, int number) const {
  name.clear();
  if (!g_SaveData.m_bSeries || m_nNextStage == 0) return 0;
  if (!FindLastNumberedFileStr(name, NextStageName(number).c_str(), "stg4")) {
    name.clear();
    return 0;
  }
  return 1;
}

int cPlayScene::RestartsStageFile() {
  return g_bFreePlay || (g_nPlayMode == PLAYMODE_FREE_STAGE && !g_SaveData.m_bSeries) ? 1 : 0;
}

int cPlayScene::HasNoNextStage(int number) const {
  std::string name;
  return MakeResFileName(name, number) ? 0 : 1;
}

int cPlayScene::GoNextStage() {
  cSaveData& p = g_SaveData;
  if (g_StageData.m_bStoreCarryOver && !g_vPlayer.empty()) {
    const cPlayer& hero = g_vPlayer[0];
    p.StoreCarryOver(0, hero.m_Data, hero.m_nHp, hero.m_nSp, hero.m_Effect.m_sEffect, hero.m_Effect.m_nMode,
                     hero.m_Effect.m_nParam[0], m_nTime, p.m_nLives, p.m_nBgmPlaying);
  }
  const int current = p.m_nStageNumber;
  switch (g_nPlayMode) {
    case PLAYMODE_NEW_GAME:
    case PLAYMODE_CONTINUE: {
      if (TryNextStage(*this)) return SCENE_PLAY_TYPE;
      if (p.m_nStageIndex >= 0 && static_cast<size_t>(p.m_nStageIndex) < p.m_vStageFlags.size())
        p.m_vStageFlags[static_cast<size_t>(p.m_nStageIndex)] = 1;
      p.AddClear(p.m_strStage, p.m_strStageKey, p.m_bStageCond, p.m_nCondVar, p.m_nCondValue, p.m_nTotalScore);
      const int after = p.m_lpStageEntry ? p.m_lpStageEntry->m_nAfterClear : AFTERCLEAR_NONE;
      if (after == AFTERCLEAR_NEXT_ROUND) {
        p.StartNextRound();
        p.m_nStageNumber = current;
        return SCENE_WORLD_MAP_TYPE;
      }
      if (after == AFTERCLEAR_TITLE) return SCENE_TITLE_TYPE;
      p.m_nStageNumber = current;
      return SCENE_WORLD_MAP_TYPE;
    }
    case PLAYMODE_CHALLENGE: {
      if (TryNextStage(*this)) return SCENE_PLAY_TYPE;
      const int index = p.m_nStageIndex;
      if (index >= 1 && static_cast<size_t>(index - 1) < p.m_vChallenge.size()) {
        cIntPair& entry = p.m_vChallenge[static_cast<size_t>(index - 1)];
        entry.m_bCleared = 1;
        if (p.m_nTotalScore > entry.m_nBest) {
          p.m_nClearTotal += p.m_nTotalScore - entry.m_nBest;
          entry.m_nBest = p.m_nTotalScore;
        }
        if (index >= p.m_nChallengeOpen) p.m_nChallengeOpen = std::min(index + 1, g_SystemData.m_nChallengeStages);
      }
      p.SaveFile(g_PathTable[PATH_CHALLENGE]);
      p.m_nStageNumber = current;
      return SCENE_STAGE_SELECT_TYPE;
    }
    case PLAYMODE_FREE_STAGE:
      if (!RestartsStageFile()) {
        if (TryNextStage(*this)) return SCENE_PLAY_TYPE;
        p.m_nStageNumber = current;
        return SCENE_TITLE_TYPE;
      }
      p.m_bRestart = 0;
      return SCENE_PLAY_TYPE;
    case PLAYMODE_REPLAY:
      p.RestoreStageStart(1);
      return SCENE_PLAY_TYPE;
    default: return SCENE_STAGE_SELECT_TYPE;
  }
}
