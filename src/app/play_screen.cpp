#include "app/play_screen.h"

#include <iterator>

#include "app/menu_cursor.h"
#include "app/palette_anim.h"
#include "app/scene.h"
#include "draw/blit.h"
#include "draw/context.h"
#include "draw/frames_numbers.h"
#include "draw/surface.h"
#include "draw/surface_ops.h"
#include "draw/wave_split_fade.h"
#include "engine/chara_anim.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/shot.h"
#include "engine/stage_chara.h"
#include "engine/stage_draw.h"
#include "project/system_image.h"

namespace {

// The system images of play: every image but the palette and those of the title and world-map
// screens. Play going on from stage to stage reloads only the background layers, whose files
// change with the stage.
constexpr int kPlayImages[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17,
                               18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34,
                               35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 49, 50, 51, 55, 56,
                               57, 58, 59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70};
constexpr int kBackLayerImages[] = {55, 56, 57, 58, 59, 60, 61, 62};

// The system images play loaded (the play scene itself gives back the images it made).
void ReleasePlayImages() {
  for (int n : kPlayImages) DDReleaseSurface(&g_SystemImage[n]);
}

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
    ReleasePlayImages();
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
int LoadPlayImages(int bShort) {
  const int* list = nullptr;
  const int count = PlayImageList(bShort, &list);
  return DDLoadSystemBitmaps(g_SystemImage, list, count) ? 1 : 0;
}

// The start banners in the middle of the screen, from the stage-message sheet: the replay's,
// the stage number's (a 128 x 32 cell and the number in 32 x 32 digits) and the start banner.
void DrawBanner(int nKind, int nNumber) {
  DDSURFACEDATA* word = &g_SystemImage[IMAGE_WORD];
  switch (nKind) {
    case 0: DDBltFast(&BackBuffer, 256, 224, 128, 32, word, 0, 32, 1); break;
    case 1:
      DDBltFast(&BackBuffer, 256, 224, 128, 32, word, 0, 0, 1);
      DDDrawNumber(&BackBuffer, 384, 224, 32, 32, word, 0, 128, 1, nNumber, 1, 0);
      break;
    case 2: DDBltFast(&BackBuffer, 280, 224, 80, 32, word, 160, 0, 1); break;
    default: break;
  }
}

void SetFrameRate(int nFps) { g_SceneManager.m_nFrameRate = nFps; }
void ResetCursor() { g_Cursor.Reset(); }
void SetCurrentBgm(int nBgm) { g_SceneManager.g_nCurrentBgm = nBgm; }

}  // namespace

int PlayImageList(int bShort, const int** lplpList) {
  if (bShort) {
    *lplpList = kBackLayerImages;
    return static_cast<int>(std::size(kBackLayerImages));
  }
  *lplpList = kPlayImages;
  return static_cast<int>(std::size(kPlayImages));
}

void RegisterPlayScreen() {
  PlaySceneHooks hooks;
  hooks.lpfnCreate = &CreatePlayScreen;
  hooks.lpfnSetFps = &SetFps;
  hooks.lpfnSetQuit = &SetQuit;
  hooks.lpfnRankName = &RankName;
  g_SceneManager.SetPlaySceneHooks(hooks);
  g_PlayShellLink.lpfnPrevScene = &PrevScene;
  g_PlayShellLink.lpfnLoadImages = &LoadPlayImages;
  g_PlayShellLink.lpfnFadeInStep = &FadeInStep;
  g_PlayShellLink.lpfnDrawBanner = &DrawBanner;
  g_PlayShellLink.lpfnSetFrameRate = &SetFrameRate;
  g_PlayShellLink.lpfnSetCurrentBgm = &SetCurrentBgm;
  g_PlayShellLink.lpfnResetCursor = &ResetCursor;
  g_lpfnFlashColor = &GetFlashColor;
}
