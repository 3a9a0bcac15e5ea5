#include "app/play_screen.h"

#include "app/palette_anim.h"
#include "app/scene.h"
#include "draw/context.h"
#include "draw/wave_split_fade.h"
#include "engine/chara_anim.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/shot.h"
#include "engine/stage_chara.h"

namespace {

// The screen that runs a play scene of its own.
class cPlayScreen : public cScene {
 public:
  cPlayScreen() = default;
  ~cPlayScreen() override {
    // The play objects refer to the scene: they go first, shots before their owners.
    m_Play.m_lShot.Clear();
    g_lChara.Clear();
    g_lItem.Clear();
    g_vPlayer.clear();
  }
  void Update() override { m_Play.Update(); }

  cPlayScene m_Play;
};

cScene* CreatePlayScreen(cPlayScene** lplpPlay) {
  auto* screen = new cPlayScreen;
  *lplpPlay = &screen->m_Play;
  return screen;
}

void SetFps(cPlayScene* lpPlay, int nFps) { lpPlay->m_nFps = nFps; }
void SetQuit(cPlayScene* lpPlay) { lpPlay->m_bQuit = 1; }
std::string* RankName(cPlayScene* lpPlay) { return &lpPlay->m_strRankName; }

int PrevScene() { return g_SceneManager.m_nPrevScene; }
int FadeInStep() {
  return DDFadeIn(DDPaletteWork, 0, 255, 0, 0, 0, g_SceneManager.m_nFadeStep, DDPalette, 0) ? 1 : 0;
}
void SetFrameRate(int nFps) { g_SceneManager.m_nFrameRate = nFps; }
void SetCurrentBgm(int nBgm) { g_SceneManager.g_nCurrentBgm = nBgm; }

}  // namespace

void RegisterPlayScreen() {
  PlaySceneHooks hooks;
  hooks.lpfnCreate = &CreatePlayScreen;
  hooks.lpfnSetFps = &SetFps;
  hooks.lpfnSetQuit = &SetQuit;
  hooks.lpfnRankName = &RankName;
  g_SceneManager.SetPlaySceneHooks(hooks);
  g_PlayShellLink.lpfnPrevScene = &PrevScene;
  g_PlayShellLink.lpfnFadeInStep = &FadeInStep;
  g_PlayShellLink.lpfnSetFrameRate = &SetFrameRate;
  g_PlayShellLink.lpfnSetCurrentBgm = &SetCurrentBgm;
  g_lpfnFlashColor = &GetFlashColor;
}
