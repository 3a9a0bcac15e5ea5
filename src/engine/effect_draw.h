// The drawing of the running effects and of the character effects: one handler per
// character-effect kind, each drawing the character's picture distorted by the effect's
// current value and stepping the effect, and the running effects' pictures.
#pragma once

#include "engine/chara_effect.h"

class cChara;
struct cGraphicRef;
struct DDSURFACEDATA;

// A kind handler: draws the character through its reference when bDraw is set (surface and
// reference given) and, unless held, steps the effect; 1 when the effect has ended.
using CharaEffectHandler = int (*)(cChara& chara, DDSURFACEDATA* surface, const cGraphicRef* ref, int hold, int bDraw);
extern const CharaEffectHandler g_apfnCharaEffect[CHARA_EFFECT_KINDS];

// The handler of the character's running effect (kind 0, the plain drawing, without one; a
// kind outside the table acts as kind 0).
int RunCharaEffect(cChara& chara, DDSURFACEDATA* surface, const cGraphicRef* ref, int hold, int bDraw);

