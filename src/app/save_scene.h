// The save screen (screen type 2), reached from the world map: a small menu of the system
// settings' save list (save into one of the 99 slots, autosave on or off, back to the map, to the
// title after a confirmation) and the clear total.
#pragma once

#include <cstdint>

#include "app/scene.h"

// The most entries the menu shows (the save list's length).
constexpr int SAVE_MENU_MAX = 4;
constexpr int SAVE_SLOT_ROWS = 10;

enum eSaveKind { SAVE_KIND_SAVE = 0, SAVE_KIND_AUTOSAVE = 1, SAVE_KIND_BACK = 2, SAVE_KIND_TITLE = 3 };

class cSaveScene : public cScene {
 public:
  enum {
    PHASE_FADE_IN = 0,
    PHASE_MENU = 1,
    PHASE_SAVE = 2,
    PHASE_AUTOSAVE = 3,
    PHASE_BACK = 4,
    PHASE_TITLE = 5,
    PHASE_FADE_OUT = 6
  };

  cSaveScene();
  ~cSaveScene() override;

  void Update() override;
  void Init() override;
  void FadeIn() override;
  void FadeOut() override;
  void OnMenu();
  void OnSave();
  void OnAutosave();
  void OnBack();
  void OnTitle();

  // The shown entries: the enabled ones of the save list, at most four; kind 0 alone when none is
  // enabled.
  void SetUpEntries();
  // The steps of the phases without drawing: true when the frame is to be drawn.
  bool StepMenu();
  bool StepSave();
  bool StepAutosave();
  bool StepTitle();

  int32_t m_nEntries = 0;
  int32_t m_nKind[SAVE_MENU_MAX] = {};
  int32_t m_nFirstSlot = 0;
  int32_t m_nSlotRows = 0;

 private:
  // Closes a sub-menu: the menu's cursor entry again, sub-state 0, the menu phase; false.
  bool BackToMenu();
  // The cursor step in a two-entry choice of system texts nText, nText + 1 at y.
  void MoveInChoice(int nText, int y);
  void DrawMenuScreen();
  void DrawSlotList();
  void DrawSmallCursor();
};

cScene* CreateSaveScene();
