// The stage select screen (screen type 3), the hub of the challenge: a list of the numbered
// challenge stages with their cleared icons and best values, the clear total, and on request the
// ranking of the stage under the cursor. Choosing a stage loads its stage file and starts play;
// the cancel button returns to the title menu.
#pragma once

#include <cstdint>
#include <string>

#include "app/scene.h"

// The most list rows shown at once.
constexpr int STAGE_SELECT_ROWS = 10;

// The stage file name of challenge stage n (1-based): "data\stg4\cNN-1.stg4", the number padded
// to two digits (longer numbers keep all theirs).
std::string ChallengeStageName(int n);

class cStageSelectScene : public cScene {
 public:
  enum { PHASE_FADE_IN = 0, PHASE_SELECT = 1, PHASE_FADE_OUT = 2 };

  cStageSelectScene();
  ~cStageSelectScene() override;

  void Update() override;
  void Init() override;
  void FadeIn() override;
  void FadeOut() override;
  void OnSelect();

  // The list length (every challenge stage when all are open, else the open ones) and the rows
  // shown from the first shown row on.
  void UpdateListSize();
  // Makes stage n the progress's current stage and, with rankings on, loads its ranking file.
  void SelectStageNumber(int n);
  // The selection step without drawing: true when the frame is to be drawn.
  bool StepSelect();

  int32_t m_nFirstRow = 0;
  int32_t m_nListLength = 0;
  int32_t m_nShownRows = 0;

 private:
  void DrawPanel();
  void DrawScreen();
};

cScene* CreateStageSelectScene();
