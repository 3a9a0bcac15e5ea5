// What the hero and the items ask of behaviour scripting: the key test of the run that started
// a jump (null: the scripting's own test), and the pop-up of a taken item (null: nothing is
// shown).
#pragma once

class cPlayer;
class cCmdState;

// A stand-in for the key test of the run that started a jump (tests drive it): -1 the run has
// no key entries, 0 not held, 1 held. Null: the run's last key entry against player 1's input.
extern int (*g_lpfnJumpKeyHeld)(cPlayer& hero, cCmdState& state);
// Shows the graphic of a taken item above the hero.
extern void (*g_lpfnShowItemPopup)(cPlayer& hero, int kind, int graphic, int sub);
