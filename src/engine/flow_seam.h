// What the hero and the items ask of behaviour scripting that is not built yet: the key test
// of the run that started a jump, and the pop-up of a taken item. Each is null until the
// scripting sets it; the engine then acts as if no key were held and shows nothing.
#pragma once

class cPlayer;
class cCmdState;

// The key test of the run that started a jump: -1 the run has no key entries, 0 not held,
// 1 held.
extern int (*g_lpfnJumpKeyHeld)(cPlayer& hero, cCmdState& state);
// Shows the graphic of a taken item above the hero.
extern void (*g_lpfnShowItemPopup)(cPlayer& hero, int kind, int graphic, int sub);
