// The screens of the program and the one scene manager that keeps them and runs the frame tick.
//
// A screen is a cScene chosen by its type (0 title menu, 1 world map, 2 save, 3 stage select,
// 4 play, 5 options). The manager creates the current type's object on demand and deletes every
// other; a switch written by a screen's fade-out takes effect at the next tick. The screens and
// the play scene are made through creation functions that their own parts register; a type
// without one gets a screen that draws nothing (the play type's hands back to the title menu).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum eSceneType {
  SCENE_TITLE = 0,
  SCENE_WORLD_MAP = 1,
  SCENE_SAVE = 2,
  SCENE_STAGE_SELECT = 3,
  SCENE_PLAY = 4,
  SCENE_OPTIONS = 5,
  SCENE_TYPE_COUNT = 6
};

class cScene {
 public:
  using Handler = void (cScene::*)();

  cScene() = default;
  virtual ~cScene() = default;
  cScene(const cScene&) = delete;
  cScene& operator=(const cScene&) = delete;

  // One frame of the screen.
  virtual void Update() {}
  // Set-up when the screen is entered.
  virtual void Init() {}
  // The handler of phase 0, and of the last phase (which hands over to the next screen).
  virtual void FadeIn() {}
  virtual void FadeOut() {}

  // The frame every screen runs: the input prelude on player 1 (auto-repeat, the buttons latched
  // under nButtonMask), Init on the first frame (a thrown text closes the program and the screen
  // goes on at phase 0), then the handler of the current phase.
  void StepScreen(int nButtonMask);

  int32_t m_nPhase = -1;  // -1 until Init has run
  int32_t m_nStep = 0;    // free for the current handler
  std::vector<Handler> m_vHandler;  // one per phase: FadeIn first, FadeOut last
};

// The play engine's scene; the manager knows it only through the hooks below.
class cPlayScene;

// The running play scene, or null: set when the manager creates a play scene, cleared when it
// deletes it.
extern cPlayScene* g_lpPlayScene;

// What the manager needs of the play engine.
struct PlaySceneHooks {
  // A new play scene: the screen object, and the play scene in *lplpPlay.
  cScene* (*lpfnCreate)(cPlayScene** lplpPlay) = nullptr;
  // The frames counted in the last second, handed to the play scene by every tick.
  void (*lpfnSetFps)(cPlayScene* lpPlay, int nFps) = nullptr;
  // Asks the play scene to end its play (the close of the window while the pause thread runs).
  void (*lpfnSetQuit)(cPlayScene* lpPlay) = nullptr;
  // The name of the play's pending ranking entry, which the name dialog edits.
  std::string* (*lpfnRankName)(cPlayScene* lpPlay) = nullptr;
};

using SceneFactory = cScene* (*)();

// The play mode and game mode of the current play are the program-wide g_nPlayMode and
// g_nGameMode (project/shell_state.h), which the progress and replay code read too.
class cSceneManager {
 public:
  cSceneManager() = default;
  ~cSceneManager() { DeleteAll(); }
  cSceneManager(const cSceneManager&) = delete;
  cSceneManager& operator=(const cSceneManager&) = delete;

  // One frame: 0 when the frame cannot go on (a lost surface that cannot be restored).
  int Tick();
  // Makes the object of that type exist and deletes every other.
  void SetScene(int nType);
  // Deletes every screen object.
  void DeleteAll();
  // The restore pass of lost DirectDraw surfaces (the primary surface with the system images,
  // the stage's images, the screen's work surfaces, the fonts' digit sheets); 1 when nothing was
  // lost or all is restored, and always under Direct3D.
  int CheckSurfaceLost();

  // The creation functions of the screens (types other than the play type) and the play hooks.
  void SetSceneFactory(int nType, SceneFactory lpfnCreate);
  void SetPlaySceneHooks(const PlaySceneHooks& hooks) { m_PlayHooks = hooks; }
  const PlaySceneHooks& PlayHooks() const { return m_PlayHooks; }

  // The object of a type (null when it does not exist or the type is not one of the six).
  cScene* SceneOf(int nType) const;
  // Whether a play scene exists.
  bool HasPlayScene() const { return SceneOf(SCENE_PLAY) != nullptr; }

  // Slots: title menu, world map, save, stage select, options, play.
  cScene* m_pScene[SCENE_TYPE_COUNT] = {};
  int32_t m_nScene = 0;
  int32_t m_nNextScene = 0;
  int32_t m_nPrevScene = 0;
  int32_t m_nStageSelRow = 0;
  int32_t m_nStageSelScroll = 0;
  int32_t m_bRanking = 0;
  int32_t m_nFrameRate = 0;
  int32_t m_nFadeStep = 0;
  int32_t g_nCurrentBgm = 0;

 private:
  cScene* Create(int nType);
  SceneFactory m_lpfnCreate[SCENE_TYPE_COUNT] = {};
  PlaySceneHooks m_PlayHooks;
};

extern cSceneManager g_SceneManager;

// The slot of a scene type (the options screen comes before the play scene), -1 for another.
int SceneSlot(int nType);

// Frame statistics.
extern int32_t g_FrameCount;
extern int32_t g_nFps;
extern int32_t g_nFrameTime;
extern int32_t g_FrameTimeRing[16];
extern int32_t g_nFrameTimeIndex;
extern int32_t g_nFrameTimeAvg;

// Puts a frame time into the ring; after every 16th the average becomes the ring's sum / 16.
void RecordFrameTime(int32_t nTime);
