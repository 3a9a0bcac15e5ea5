// Play of a stage file, as free play meets it: the stage is loaded as the stage loader loads it
// (the trailer check, the loader thread's body, the hero check), into the sample game's project,
// and played for up to 300 frames of the input's presses under the sanitizers. The first 30
// bytes of an input are the presses, one byte for each 10 frames (bits 0..3 left, right, up,
// down; bits 4..7 buttons 1..4), the rest the stage file. Frames the game is held in (a
// message waiting for its key, a picture or an effect shown while the game stands still) take
// their presses from the same count of frames, and a hold that outlasts them is ended.
//
// The play stops early at its end (the stage cleared or the game over) and once the stage
// holds more than 256 characters, items or shots: a stage whose objects multiply reaches the
// limits of the stage's objects, where each frame takes seconds under the sanitizers; the
// engine's tests play those limits.
#include <cstdint>
#include <string>

#include "core/save_record.h"
#include "defs/def_context.h"
#include "engine/chara_effect.h"
#include "engine/pause_thread.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/shot.h"
#include "engine/stage_chara.h"
#include "fuzz_files.h"
#include "platform/message.h"
#include "platform/msgbox.h"
#include "platform/thread.h"
#include "platform/time.h"
#include "project/common_palette.h"
#include "project/database.h"
#include "project/global_data.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/stage_load.h"
#include "project/system_data.h"
#include "sample_game.h"
#include "script/cmd_param_def.h"

namespace {

constexpr size_t kPressBytes = 30;
constexpr long kFramesPerPress = 10;
constexpr long kFrames = kPressBytes * kFramesPerPress;
constexpr size_t kMostObjects = 256;

// The presses of the input in play and the frames counted so far, played and held ones alike.
struct Presses {
  const uint8_t* bytes = nullptr;
  long frame = 0;

  // The next frame: its number goes up and its presses are set on the input record.
  void Next(cInput& input) {
    const uint8_t b = bytes[frame / kFramesPerPress];
    ++frame;
    input.SetWords(static_cast<WORD>(b & 0x0F), static_cast<WORD>(b >> 4));
    input.m_nDirCode = cInput::GetDirCode(&input.m_wDir);
  }
};
Presses g_presses;

// A frame drawn while the game is held: the next frame of the run; a hold that outlasts the
// run is ended (the loop takes its own thread's quit).
void PollHeldFrame(cSafeVector<cInput>& input) {
  if (g_presses.frame < kFrames) g_presses.Next(input.CheckedAt(0));
  AdvanceTestClock(16);
  if (g_presses.frame >= kFrames) PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
}

// The stage file as the loader reads it for play: into the working stage, its header into the
// stage as loaded. False when the loader refuses it.
bool LoadStage(const std::string& path) {
  cStage stage;
  stage.m_strPath = path;
  const bool loaded = CheckStageFileTrailer(path.c_str()) && LoadStageThreadProc(&stage) && stage.m_bLoaded &&
                      stage.HasPlayer();
  if (loaded) {
    g_StageData = std::move(stage);
    g_StageInit.CopyHeaderFrom(g_StageData);
    g_StageInit.ClearObjectLists();
  }
  g_StageData.SetDefContext();
  return loaded;
}

bool Crowded(const cPlayScene& scene) {
  return g_lChara.Stored() > kMostObjects || g_lItem.Stored() > kMostObjects ||
         scene.m_lShot.Stored() > kMostObjects;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  SetMessageBoxHook([](const char*, const char*, UINT) { return IDOK; });
  fuzz::Files("fuzz_play");
  g_nDataVersion = DATA_VERSION;
  g_bStripCR = 1;
  BuildCommandParamTable();
  // The sample game's records, as start-up leaves them.
  sample::BuildDatabase(g_Database);
  g_Database.SetDefContext();
  g_Database.CopyEffectLists();
  BuildAnimeStepTable(g_Database, g_vAnimeSteps);
  BuildEffectStepTable(g_Database, g_vEffectSteps);
  BuildCharaEffectTables(g_vCharaEffectTemplate, g_vCharaEffectTemplateRev);
  sample::BuildSystemData(g_SystemData);
  g_SystemData.m_bReplay = 0;
  g_CommonPalette.Normalize();
  g_CommonPalette.SetDefContext();
  g_nPlayMode = PLAYMODE_FREE_STAGE;
  g_nGameMode = GAMEMODE_FREE;
  g_bFreePlay = 1;
  g_PauseLink.lpfnPollInput = PollHeldFrame;
  UseTestClock(1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kPressBytes) return 0;
  const fuzz::TempFiles& files = fuzz::Files("fuzz_play");
  fuzz::WriteFile(files.input, data + kPressBytes, size - kPressBytes);
  if (LoadStage(files.input)) {
    g_SaveData.ResetGameData();
    g_presses = Presses{data, 0};
    cPlayScene scene;
    scene.m_nSeed = 1;
    g_lpPlayScene = &scene;
    cInput& input = g_vInput.CheckedAt(0);
    while (g_presses.frame < kFrames) {
      g_presses.Next(input);
      scene.Update();
      AdvanceTestClock(16);
      if (scene.m_bInitFailed || scene.m_nState == 4 || scene.m_nState == 6 || Crowded(scene)) break;
    }
    // The play objects go before the scene they refer to.
    scene.m_lShot.Clear();
    g_lChara.Clear();
    g_lItem.Clear();
    g_vPlayer.clear();
    g_lpPlayScene = nullptr;
  }
  fuzz::DropMessages();
  return 0;
}
