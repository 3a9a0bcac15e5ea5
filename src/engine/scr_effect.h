// Screen effects: the timed transformations of the whole composed frame defined by the
// ScrEffect table (moving, shaking, splitting, waves, blinking, rotation, a circle around the
// hero, zoom, lens, mosaic). This holds the parameter vocabulary of the kinds, the templates
// built once from the table in a forward and a backward form, and the running state the play
// scene keeps; the play scene's DrawScrEffect applies it to the frame.
#pragma once

#include <cstdint>

#include "core/safe_container.h"
#include "engine/chara_effect.h"

class cScrEffectData;

constexpr int SCR_EFFECT_KINDS = 14;
constexpr int SCR_EFFECT_PARAMS = 5;

// Kind 0..13 × parameters p0..p4 (p0 the time in tenths of a second).
extern const ParamDescriptor g_ScrEffectParam[SCR_EFFECT_KINDS][SCR_EFFECT_PARAMS];

// Modes of a running effect: forward, backward then forward; other values play backward.
constexpr int SCR_EFFECT_FORWARD = 1;
constexpr int SCR_EFFECT_BACK_AND_FORTH = 2;

// A template and the running state share this layout.
class cScrEffectState {
 public:
  // 0: no effect runs.
  int16_t m_sEffect = 0;
  const cScrEffectData* m_lpData = nullptr;
  int32_t m_nMode = 0;
  int32_t m_bLoop = 0;
  // 1 while the forward template is in use.
  int32_t m_bForward = 0;
  double m_dCurrent = 0;
  // The vibration offset.
  double m_dAux = 0;
  double m_dStep = 0;
  // Vibration direction, wave phase, blink frame counter or moving x.
  int32_t m_nWork1 = 0;
  // Blink phase or moving y.
  int32_t m_nWork2 = 0;
  int32_t m_bTimeBased = 0;
  double m_dElapsed = 0;
  int32_t m_nDuration = 0;
  // The kind (0..13) and p0..p4 of the definition, each within its kind's range (so nothing
  // divides by 0), exchanged for the backward form.
  int32_t m_nKind = 0;
  int32_t m_nParam[SCR_EFFECT_PARAMS] = {};

  void Clear() { *this = cScrEffectState(); }
  // Copies the template of effect n (forward for mode 1, backward otherwise) and remembers the
  // number, mode and loop flag. A number outside the table is an index error and starts
  // nothing.
  void Start(int effect, int mode, int loop);
  // Advances the current value from start toward end by step (or the elapsed time); 1 when
  // the effect has finished. A looping effect, or the backward half of mode 2, restarts
  // instead and reports 0.
  int Step(int start, int end, double step);
  // One unfrozen frame of the kind's values (position, swing, phase, blink counter, current
  // value); 1 when the effect has finished. Kind 0 never finishes.
  int Advance();
  // Mode 2 turns round; the template of the current direction again.
  void Restart();
};

extern cSafeVector<cScrEffectState> g_vScrEffectTemplate;
extern cSafeVector<cScrEffectState> g_vScrEffectTemplateRev;

// Sizes both tables to the ScrEffect list of the game database and builds every entry: the
// forward templates from the list, the backward ones from its start-up copy.
void BuildScrEffectTables(cSafeVector<cScrEffectState>& forward, cSafeVector<cScrEffectState>& backward);
void BuildScrEffectTemplate(int index, int backward);
