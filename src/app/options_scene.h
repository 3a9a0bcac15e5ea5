// The options screen (screen type 5): up to six entries of the system settings' options list
// that change the user options in place (palette, music, sound-effect volume, ranking
// registration mode, ranking name) or return to the title menu. The palette and the volume are
// applied at once and put back when an edit is cancelled; the music switch is applied and
// "user_data\Option.dat" written when the screen is left.
#pragma once

#include <cstdint>
#include <string>

#include "app/scene.h"

// The most entries the screen shows (the options list's length).
constexpr int OPTIONS_MENU_MAX = 6;

enum eOptionKind {
  OPTION_PALETTE = 0,
  OPTION_BGM = 1,
  OPTION_SE_VOLUME = 2,
  OPTION_RANKING_METHOD = 3,
  OPTION_RANKING_NAME = 4,
  OPTION_RETURN = 5
};

// How a changed palette and volume take effect; tests put recorders in their place.
struct OptionAppliers {
  int (*lpfnPalette)(int n) = nullptr;
  void (*lpfnSeVolume)(int nStep) = nullptr;
};
// The palette through LoadHbtPalette, the volume on copy 0 of every sound-effect slot.
OptionAppliers DefaultOptionAppliers();
extern OptionAppliers g_OptionAppliers;

// Applies the music switch to the music manager: started with the title music when it is on and
// the manager idle, released when it is off and the manager runs; the title then asks for its
// music again.
void PlayTitleBgm();

class cSettingsScene : public cScene {
 public:
  enum { PHASE_FADE_IN = 0, PHASE_MENU = 1, PHASE_FADE_OUT = 2 };
  enum { STEP_ENTER = 0, STEP_CHOOSE = 1, STEP_EDIT = 2 };
  // What a menu frame draws after its step.
  enum { DRAW_NOTHING = 0, DRAW_ENTRY_CURSOR = 1, DRAW_EDIT_CURSORS = 2 };

  cSettingsScene();
  ~cSettingsScene() override;

  void Update() override;
  void Init() override;
  void FadeIn() override;
  void FadeOut() override;
  void OnMenu();

  // The shown entries: the enabled ones of the options list, at most six; kind 0 alone when none
  // is enabled.
  void SetUpEntries();
  // The menu's step without drawing; one of the DRAW_ values.
  int StepMenu();
  // The end of the fade-out: the music switch applied, the options written, back to next screen.
  void Leave();
  // The value text an entry of that kind shows.
  static std::string ValueText(int nKind);
  // The name shown on a row: the options list's entry of the row's kind.
  const std::string& EntryName(int nRow) const;

  int32_t m_nEntries = 0;
  int32_t m_nKind[OPTIONS_MENU_MAX] = {};
  int32_t m_nEditKind = 0;
  int32_t m_nSaved = 0;
  int32_t* m_lpValue = nullptr;
  int32_t m_nMin = 0;
  int32_t m_nMax = 0;

 private:
  void Apply();
  void DrawPanel();
  void DrawScreen();
};

cScene* CreateSettingsScene();
