// What the hero asks of behaviour scripting: the key test of the run that started a jump (null:
// the scripting's own test).
#pragma once

class cPlayer;
class cCmdState;

// A stand-in for the key test of the run that started a jump (tests drive it): -1 the run has
// no key entries, 0 not held, 1 held. Null: the run's last key entry against player 1's input.
extern int (*g_lpfnJumpKeyHeld)(cPlayer& hero, cCmdState& state);
