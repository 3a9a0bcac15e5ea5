#include "engine/flow_seam.h"

int (*g_lpfnJumpKeyHeld)(cPlayer& hero, cCmdState& state) = nullptr;
void (*g_lpfnShowItemPopup)(cPlayer& hero, int kind, int graphic, int sub) = nullptr;
