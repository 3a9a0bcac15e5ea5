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

 private:
  void CopyTemplate(const CharaEffectTemplate& t);
};
