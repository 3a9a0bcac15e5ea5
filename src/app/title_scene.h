// The title menu (screen type 0): a background picture and a vertical menu of up to seven entries
// of the system settings' title list. The chosen entry sets the play mode and game mode and
// leads to a new or continued game on the world map, the challenge's stage select, free play of
// a stage file, the replay of a replay file, the options screen, or the end of the program.
#pragma once

#include <cstdint>

#include "app/scene.h"

// The most entries the menu shows (the title list's length); a longer list shows its first seven.
constexpr int TITLE_MENU_MAX = 7;
// The most save-slot rows the continue entry's list shows at once.
constexpr int TITLE_SLOT_ROWS = 10;

// The title images: background, menu picture (a 32-dot row per kind), cursor, frame picture.
constexpr int IMAGE_TITLE_BACK = 47;
constexpr int IMAGE_TITLE_MENU = 48;
constexpr int IMAGE_CURSOR = 49;
constexpr int IMAGE_FRAME = 45;

// The menu's top-left corner; the picture menu's x is recomputed by every title Init and kept
// for the rest of the run.
extern int g_nTitleMenuX;
extern int g_nTitleMenuY;

class cTitleMenuScene : public cScene {
 public:
  enum { PHASE_FADE_IN = 0, PHASE_MENU = 1, PHASE_SLOT_LIST = 2, PHASE_FADE_OUT = 3 };

  cTitleMenuScene();
  ~cTitleMenuScene() override;

  void Update() override;
  void Init() override;
  void FadeIn() override;
  void FadeOut() override;
  void OnMenu();
  void OnSlotList();

  // The shown entries (the enabled ones of the title list, at most seven; kind 0 alone when
  // none is enabled) and the cursor row on the entry of the last play mode.
  void SetUpEntries();
  // The menu surface's size: picture mode the menu picture's width + 32, text mode 32 dots per
  // character of the longest shown name + 34; 32 dots per entry + 2 high.
  void MenuSize(int* lpWidth, int* lpHeight) const;
  // The chosen entry at the cursor row (button 1 on the menu).
  void ChooseEntry();
  // The continue list's step without drawing: 1 when the frame is to be drawn.
  int StepSlotList();

  int32_t m_nEntries = 0;
  int32_t m_nKind[TITLE_MENU_MAX] = {};
  int32_t m_nFirstSlot = 0;
  int32_t m_nSlotRows = 0;

 private:
  void DrawMenuSurface();
  void DrawScreen();
};

// The scene manager's creation function of the title menu.
cScene* CreateTitleMenuScene();

// Asks the main window for the music of a screen slot (0 title, 1 world map and save, 2 stage
// select, 3 options) when its number differs from the one playing, and always when it is 0
// (silence).
void RequestScreenMusic(int nSlot);

// Free play: asks the window thread for a stage file to play; true when one was loaded.
bool RequestOpenStageFile();
