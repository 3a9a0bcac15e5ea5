// A running effect: one playing instance of an entry of the Effect table (a hit spark, an
// effect started by a command), drawn at a stage position until its frames run out. The
// play scene keeps them by value in its effect list; their drawing comes with the stage
// drawing.
#pragma once

#include <cstdint>

#include "core/anim_seq.h"

struct DDSURFACEDATA;

// {left, top, right, bottom} in stage dots.
struct cEffectBox {
  double dLeft = 0;
  double dTop = 0;
  double dRight = 0;
  double dBottom = 0;
};

class cEffect {
 public:
  // Index into the Effect table.
  int32_t m_nEffect = 0;
  // Top-left corner of the picture in stage dots, and the drawn size.
  double m_dX = 0;
  double m_dY = 0;
  int32_t m_nWidth = 0;
  int32_t m_nHeight = 0;
  // Drawn scaled (the size differs from the entry's frame size).
  int32_t m_bScaled = 0;
  cAnimSeq m_Frames;
  int32_t m_nReserved[3] = {};
  // Advances even while the scene draws with the hold flag.
  int32_t m_bAlwaysAnimate = 0;

  // From the effect command. 0 (and nothing stored) for effect 0, the entry of no effect.
  int Start(int effect, double x, double y, int width, int height, int alwaysAnimate);
  // The hit spark, centred on the overlap of the two boxes with a random jitter. 0 (nothing
  // stored) for effect 0.
  int StartHit(int effect, const cEffectBox& attacker, const cEffectBox& victim, int zoom);
  // The sequencer holds the entry's step list alone, from its first step.
  void SetFrames(int effect);
  // The pattern to draw this frame, or ANIM_END when the effect has finished (the drawing
  // then reports the end). An entry without frames has finished at once. With the hold flag
  // the frames stand still, unless the effect always animates; otherwise they advance one
  // frame.
  int NextPattern(int bHold);


  // Drawing
  // The current frame at the stage position (stepped unless held); 1 when the frames have run
  // out.
  int Draw(DDSURFACEDATA* surface, int hold);
};
