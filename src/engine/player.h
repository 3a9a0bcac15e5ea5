// The hero. Its set-up, stepping and jumps come with the hero itself; the map collision sets
// its jump-ready flag.
#pragma once

#include <cstdint>

#include "core/safe_container.h"
#include "engine/chara.h"

class cPlayer : public cChara {
 public:
  // 1 when a new jump may start.
  int32_t m_bJumpReady = 1;
};

// The heroes; element 0 is the hero of the running stage. The vector is sized once per stage
// set-up and never grows in play (the characters point at its elements).
extern cSafeVector<cPlayer> g_vPlayer;
