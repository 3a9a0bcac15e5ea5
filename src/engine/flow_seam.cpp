#include "engine/flow_seam.h"

int (*g_lpfnJumpKeyHeld)(cPlayer& hero, cCmdState& state) = nullptr;
