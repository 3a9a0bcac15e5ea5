// The world map screen (screen type 1), the hub of the story: a walker moves cell by cell over
// the world map; the first entry of a node whose conditions hold is the node's current stage.
// Standing on a stage starts it at once or opens a two-entry confirmation menu; cancel leads to
// the save screen. Back from a play the map autosaves and, after a stage left unfinished, steps
// the walker back to the cell it came from.
#pragma once

#include <cstdint>

#include "app/menu_cursor.h"
#include "app/scene.h"

class cWorldNode;
class cWorldStage;

// The world map images: background picture, terrain chips, node pictures, map layer.
constexpr int IMAGE_MAP_BACK = 54;
constexpr int IMAGE_MAP_CHIPS = 52;
constexpr int IMAGE_MAP_NODES = 53;
constexpr int IMAGE_MAP_LAYER = 67;

// The walker's facing.
enum eMapFacing { MAPFACE_DOWN = 0, MAPFACE_UP = 1, MAPFACE_LEFT = 2, MAPFACE_RIGHT = 3 };

// The first entry of the node whose prerequisite flag, common-variable comparison and required
// clear total all pass; null for no node or when none passes.
const cWorldStage* CurrentStageOf(const cWorldNode* lpNode);

class cWorldMapScene : public cScene {
 public:
  enum { PHASE_FADE_IN = 0, PHASE_WALK = 1, PHASE_STAGE_MENU = 2, PHASE_FADE_OUT = 3 };

  cWorldMapScene();
  ~cWorldMapScene() override;

  void Update() override;
  void Init() override;
  void FadeIn() override;
  void FadeOut() override;
  void OnWalk();
  void OnStageMenu();

  // Init without the images and the drawing: the walker from the progress, the current stage,
  // the autosave after a play.
  void SetUp();
  // One step of the walker by the direction bits, held back by walls and blocked terrain.
  void StepWalker(int nBits);
  // The arrival step at the end of the fade-in: the step-back after a stage left unfinished, or
  // the automatic start of the stage under the walker. False when the phase stays 0 (a stage
  // file that cannot be loaded).
  bool Arrive();
  // The walk step without drawing: true when the frame is to be drawn.
  bool StepWalk();
  // The confirmation menu's step without drawing: true when the frame is to be drawn.
  bool StepStageMenu();
  // The selected stage: the progress's current stage, its best value, its ranking.
  void SelectStage();
  // The progress for the play of the current stage.
  void PrepareStagePlay();

  int32_t m_nOriginX = 0;
  int32_t m_nOriginY = 0;
  const cWorldNode* m_lpNode = nullptr;
  const cWorldStage* m_lpStage = nullptr;
  int32_t m_nFacing = MAPFACE_DOWN;
  CursorPos m_PrevPos;
  CursorPos m_SelectPos;
  int32_t m_nBest = 0;
  // The confirmation menu's stage file was loaded.
  int32_t m_bLoaded = 0;

 private:
  void LookUp();
  // The walker onto a cell: the view follows and the map layer is drawn again.
  void PlaceWalker(int nCol, int nRow);
  bool IsCleared() const;
  bool StartsByItself() const;
  bool HasStage() const;
  // Buttons 3 and 4: the ranking view and the ranking kind shown.
  void RankingButtons(int nButtons);
  void DrawRankingSurface();
  void DrawMapLayer();
  void DrawScreen(bool bStageInfo);
};

cScene* CreateWorldMapScene();
