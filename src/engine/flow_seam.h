// What the characters, the hero and the items ask of the behaviour scripting while they act:
// stepping a character's flow runs, building them, the key test of a jump, the item command
// lists and the pop-up of a taken item. Each is null until the scripting sets it; the engine
// then acts as if the character had no flows (nothing runs, no key is held).
#pragma once

#include "core/safe_container.h"

class cChara;
class cPlayer;
class cCmdState;
class cFlowCmd;

// Starts the animations that the running flows attach to their current commands, then steps
// the flow runs in order as a character's act does (the dying filter included). Returns 1
// when the act must end at once (remove-now set, or HP at 0 outside the death flows).
extern int (*g_lpfnRunFlows)(cChara& chara, int bDying);
// Removes the flow runs that carry a delete flag.
extern void (*g_lpfnRemoveDeletedFlows)(cChara& chara);
// Builds the flow runs of a character from its definition's flows.
extern void (*g_lpfnBuildFlows)(cChara& chara, int first, int group);
// The key test of the run that started a jump: -1 the run has no key entries, 0 not held,
// 1 held.
extern int (*g_lpfnJumpKeyHeld)(cPlayer& hero, cCmdState& state);
// Applies a flow-changing item command that arrived while the hero ran its own flows.
extern void (*g_lpfnChangeFlow)(cPlayer& hero, const cFlowCmd& cmd);
// Runs an item's command list on the hero: 2 when its HP fell to 0, else the first non-zero
// command result.
extern int (*g_lpfnRunCommandList)(cPlayer& hero, const cSafeVector<cFlowCmd>& cmds);
// Expands the loop commands of a command list.
extern void (*g_lpfnExpandLoops)(cSafeVector<cFlowCmd>& cmds);
// Shows the graphic of a taken item above the hero.
extern void (*g_lpfnShowItemPopup)(cPlayer& hero, int kind, int graphic, int sub);
