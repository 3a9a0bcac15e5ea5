// Building the runs of a character's flows: loop expansion, command durations, the movement
// set-up and the animation schedule, all computed once so that a tick does no set-up.
#pragma once

#include <cstdint>

#include "core/safe_container.h"
#include "defs/flow_cmd.h"

class cChara;
class cCmdState;

// A flow grown past this many commands by loop expansion is cut there.
constexpr int MAX_EXPANDED_CMDS = 10000;

// Expands the first loop command of the list (flow kind 39 or list kind 24); 1 when it did,
// 0 when none is left.
int ExpandFirstLoop(cSafeVector<cFlowCmd>& cmds);
// Expands every loop command, nested ones in every copy. Once the bound has cut a loop, the
// loop commands left are removed unexpanded.
void ExpandLoops(cSafeVector<cFlowCmd>& cmds);

// The movement set-up of the command kinds at build time.
void SetupLinearMove(cCmdState& state, cChara& chara);
void SetupCircleMove(cCmdState& state, cChara& chara);
void SetupHomingMove(cCmdState& state, cChara& chara);
void SetupJump(cCmdState& state, cChara& chara);
