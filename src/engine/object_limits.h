// How many objects of each kind a stage holds at once. A character whose every-frame summon
// names itself multiplies without end (one becomes thousands within five frames), each frame
// then takes longer than the last and the program stops answering. The limits lie far above
// what stages use; an object that would go beyond its limit is not made, and the first refusal
// of each kind in an attempt at the stage is written to the report log.
#pragma once

#include <cstddef>

// Characters made in play that the stage holds (the hero is not counted): those in play and
// those taken out of play in the running sub-step, which its end frees. What the stage file
// places is the author's game and loads whole: it does not count.
constexpr size_t MAX_STAGE_CHARAS = 4096;
// Items, shots (swords included) and running effects, counted the same way.
constexpr size_t MAX_STAGE_ITEMS = 4096;
constexpr size_t MAX_STAGE_SHOTS = 4096;
constexpr size_t MAX_RUNNING_EFFECTS = 4096;

enum ObjectLimitKind { LIMIT_CHARAS, LIMIT_ITEMS, LIMIT_SHOTS, LIMIT_EFFECTS, LIMIT_KIND_COUNT };

// True when one more object of the kind fits beside the held ones; otherwise false, and the
// first refusal of the kind since the stage started is logged.
bool RoomForObject(ObjectLimitKind kind, size_t held);
// The objects of a list held beyond the `placed` ones the stage file placed at its start: those
// that count against the limit. Once placed ones are gone, play may make as many more, so that
// a stage holds at most its placements and the limit.
inline size_t HeldBeyondPlaced(size_t held, size_t placed) { return held > placed ? held - placed : 0; }
// A stage starts (or starts again): the next refusal of each kind is logged again.
void ResetObjectLimitReports();
