// How many objects of each kind a stage holds at once. A character whose every-frame summon
// names itself multiplies without end (one becomes thousands within five frames), each frame
// then takes longer than the last and the program stops answering. The limits lie far above
// what stages use; an object that would go beyond its limit is not made, and the first refusal
// of each kind in an attempt at the stage is written to the report log.
#pragma once

#include <cstddef>

// Characters held by the stage (the hero is not counted): those in play and those taken out of
// play in the running sub-step, which its end frees.
constexpr size_t MAX_STAGE_CHARAS = 4096;
// Items, shots (swords included) and running effects, counted the same way.
constexpr size_t MAX_STAGE_ITEMS = 4096;
constexpr size_t MAX_STAGE_SHOTS = 4096;
constexpr size_t MAX_RUNNING_EFFECTS = 4096;

enum ObjectLimitKind { LIMIT_CHARAS, LIMIT_ITEMS, LIMIT_SHOTS, LIMIT_EFFECTS, LIMIT_KIND_COUNT };

// True when one more object of the kind fits beside the held ones; otherwise false, and the
// first refusal of the kind since the stage started is logged.
bool RoomForObject(ObjectLimitKind kind, size_t held);
// A stage starts (or starts again): the next refusal of each kind is logged again.
void ResetObjectLimitReports();
