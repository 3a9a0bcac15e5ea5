// The animation step sequencer: plays a set of animations given as step tables. Each step
// shows one pattern (a cell of a sheet) for a number of frames; a negative pattern is a
// control step that ends a table:
//   -1 hold: go back one step, the previous pattern stays shown;
//   -2 loop: go back to step 0;
//   -3 switch: switch (forced) to the animation numbered by the step's wait field, from its
//      step 0;
//   -4 end: the sequencer stays there and returns -4; callers stop stepping it.
#pragma once

#include "core/safe_container.h"

struct AnimStep {
  int nPattern = 0;
  // Frames the step lasts; in a switch step the animation to switch to.
  int nWait = 0;
  // 0..255; set: a non-forced Set or Change is refused while this step is shown.
  int nFlag = 0;
};

constexpr int ANIM_HOLD = -1;
constexpr int ANIM_LOOP = -2;
constexpr int ANIM_SWITCH = -3;
constexpr int ANIM_END = -4;

class cAnimSeq {
 public:
  // lpLists: a null-terminated array of int lists; list j holds animation j as triples
  // (pattern, wait, flag) up to and including the first triple with a negative pattern. The
  // flag is the low 8 bits of the third value. Nothing happens for a null array; otherwise the
  // sequencer is emptied and starts at animation 0, step 0.
  void Build(const int* const* lpLists);
  // A sequencer of one animation: the step list as it stands (it must end with a control
  // step), starting at step 0.
  void BuildOne(const cSafeVector<AnimStep>& steps);
  // Starts the animation from its first step; refused (0) when bForce is 0 and the current
  // step's flag is set.
  int Set(int nAnime, int bForce);
  // As Set, but 1 at once (the animation goes on) when it is already the current one.
  int Change(int nAnime, int bForce);
  // Advances one frame and returns the current pattern; 0 when there is no animation. A
  // sequencer that would step past the end of its table stays on its last step and returns
  // -4 (an animation of no frames, or stepping on after the end).
  int Step();
  // The current pattern, without advancing; 0 when there is no animation.
  int Pattern() const;

  int Anime() const { return m_nAnime; }
  int StepIndex() const { return m_nStep; }
  int Counter() const { return m_nCount; }
  // Frames already counted on the current step (an animation started part way through).
  void AddCount(int n) { m_nCount += n; }

 private:
  cSafeVector<cSafeVector<AnimStep>> m_vAnime;
  int m_nAnime = 0;
  int m_nStep = 0;
  int m_nCount = 0;
};
