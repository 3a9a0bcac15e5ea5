// Character effects: the timed distortions of a character's picture defined by the
// CharaEffect table (bursting, strips, waves, blinking, rotation, circle, growth, lens, colour
// change, half transparency, mosaic, blur). This holds their templates, built once from the
// table in a forward and a reversed form, and the running state each character carries, with
// the value it animates from the start value to the end value. The drawing of each kind comes
// with the character drawing.
#pragma once

#include <cstdint>

#include "core/safe_container.h"

class cCharaEffectData;

constexpr int CHARA_EFFECT_KINDS = 17;
constexpr int CHARA_EFFECT_PARAMS = 5;

// The editing program's range and default of one parameter of a kind (an empty label: the
// kind does not use it).
struct ParamDescriptor {
  const char* lpszLabel;
  int nMin;
  int nMax;
  int nDefault;
};
// Kind 0..16 × parameters p1..p5.
extern const ParamDescriptor g_CharaEffectParam[CHARA_EFFECT_KINDS][CHARA_EFFECT_PARAMS];

struct CharaEffectTemplate {
  int32_t nEffect = 0;
  const cCharaEffectData* lpData = nullptr;
  // The kind and p1..p5 of the entry, each within the range its kind allows (so nothing
  // divides by 0 or indexes past a table).
  int32_t nKind = 0;
  int32_t nParam[CHARA_EFFECT_PARAMS] = {};
  int32_t nStart = 0;
  int32_t nEnd = 0;
  double dCurrent = 0;
  double dStep = 0;
  double dElapsed = 0;
  int32_t nDuration = 0;
  int32_t nWork1 = 0;
  int32_t nWork2 = 0;
};

// Forward and reversed templates, one per CharaEffect entry.
extern cSafeVector<CharaEffectTemplate> g_vCharaEffectTemplate;
extern cSafeVector<CharaEffectTemplate> g_vCharaEffectTemplateRev;

// Sizes both tables to the CharaEffect list of the game database and fills every entry; the
// reversed table comes from the database's second copy of the list, whose p2 and p3 are
// swapped in place.
void BuildCharaEffectTables(cSafeVector<CharaEffectTemplate>& forward, cSafeVector<CharaEffectTemplate>& reversed);
void BuildCharaEffectTemplate(int index, int reversed);

// The numbers a kind's drawing takes from the running state (the rest of its call comes from
// the character). Fields a kind does not use stay 0.
struct CharaEffectFigures {
  // The animated value as the drawing call takes it: burst distance, strip offset, angle,
  // depth position, circle radius, lens distance or strength.
  int32_t nValue = 0;
  // Kinds 4 and 5: the wave amplitude (current value, × zoom when scaled), the number of
  // waves, the roughness and the phase 0..359.
  double dAmplitude = 0;
  int32_t nWaves = 0;
  int32_t nPhase = 0;
  // Kinds 4, 5 and 10: the roughness in dots. Kinds 2 and 3: the strip size.
  int32_t nRoughness = 0;
  int32_t nStrip = 0;
  // Kinds 6 and 14 draw only in their visible phases; every other kind always draws.
  int32_t bVisible = 1;
  // Kind 11: the growth e; the picture goes onto (L - (e >> 1), T - (e >> 1), w + e, h + e).
  int32_t nGrowth = 0;
  // Kind 12: the lens offsets from the centre and its radius.
  int32_t nLensDx = 0;
  int32_t nLensDy = 0;
  int32_t nLensRadius = 0;
  // Kind 13: the palette colour.
  int32_t nColour = 0;
};

// A picture must be stretched when its graphic is multi-cell with a cell count per side other
// than the zoom, or single-cell with a zoom above 1.
int CharaEffectScaled(int bMultiCell, int nCellsPerSide, int nZoom);

// Modes of a running effect.
constexpr int CHARA_EFFECT_NORMAL = 0;
constexpr int CHARA_EFFECT_REVERSED = 1;
constexpr int CHARA_EFFECT_THERE_AND_BACK = 2;

class cCharaEffectState {
 public:
  // 0: no effect.
  int16_t m_sEffect = 0;
  const cCharaEffectData* m_lpData = nullptr;
  int32_t m_nMode = 0;
  int32_t m_bLoop = 0;
  int32_t m_bReversedNow = 0;
  int32_t m_nReserved = 0;
  int32_t m_nKind = 0;
  int32_t m_nParam[CHARA_EFFECT_PARAMS] = {};
  int32_t m_nStart = 0;
  int32_t m_nEnd = 0;
  double m_dCurrent = 0;
  double m_dStep = 0;
  double m_dElapsed = 0;
  int32_t m_nDuration = 0;
  // Kinds 4 and 5: the wave phase. Kinds 6 and 14: the blink counter, and the phase flag
  // (kind 6 shows while it is set, kind 14 while it is clear).
  int32_t m_nWork1 = 0;
  int32_t m_nWork2 = 0;

  void Clear() { *this = cCharaEffectState(); }
  // Starts effect n (0: none) in a mode, looping or not. A number outside the table is an
  // index error (logged, the close request posted) and starts nothing.
  void Start(int effect, int mode, int loop);
  // The next pass: mode 2 turns round; the template of the current direction again.
  void Restart();
  // One unheld frame; 1 when the effect has ended.
  int Step();
  // One unheld frame of the handler of the effect's kind, after its drawing: the kind's own
  // counters (the wave phase of kinds 4 and 5, the blink of kinds 6 and 14), then Step. 1
  // when the effect has ended; the caller then clears the effect number. Held frames call
  // nothing, so the effect stands still.
  int Advance();
  // The figures of this frame for a character picture w × h at a zoom, scaled or not (kind
  // 10: scaled whenever it draws from the work copy).
  CharaEffectFigures Figures(int w, int h, int zoom, int bScaled) const;

 private:
  void CopyTemplate(const CharaEffectTemplate& t);
};
