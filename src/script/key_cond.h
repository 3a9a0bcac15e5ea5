// Key conditions of flows: held keys and key sequences recognised in the change logs of an
// input record. A sequence is matched backwards in time, its last entry against the present;
// a cursor per log stands at a moment in the past while the earlier entries are tried.
#pragma once

#include <array>
#include <cstdint>

#include "core/safe_container.h"
#include "defs/flow.h"
#include "ui/input.h"

class cChara;
class cCmdState;
class cFlowRun;

// A moment in the past on one change log: run nPos is in force, and had lasted nLen frames
// up to that moment.
struct cKeyCursor {
  int32_t nPos = 0;
  int32_t nLen = 0;
};
typedef std::array<cKeyCursor, INPUT_LOGS> cKeyCursors;

// Every cursor at the present: the newest run at its full length.
void InitKeyCursors(cKeyCursors& cursors, const cInput& input);
// Moves every cursor back (frames <= 0) or forward (frames > 0) by that many frames.
void ShiftKeyCursors(cKeyCursors& cursors, const cInput& input, int frames);
// Whether a run of a log, at the given length, satisfies a required state (1 held, 2 not
// held) of an entry.
int TestKeyRun(const INPUTLOGENTRY& run, int len, const cKeyList& entry, int required);
// One entry at the cursors; matchedLen receives the length of the matched run(s).
int MatchKeyEntry(const cKeyList& entry, const cKeyCursors& cursors, const cInput& input, int facingLeft,
                  int& matchedLen);
// The whole sequence against the input's logs. bHoldWhenLastMatches: a repeating flow whose
// sequence matched at the last test holds as soon as its last entry matches at the present.
// bLegacyOverlap: an entry reached only one frame into the next run need not differ from it.
int MatchKeySequence(const cInput& input, const cSafeVector<cKeyList*>& entries, int slack,
                     int bHoldWhenLastMatches, int facingLeft, int bLegacyOverlap);
// One entry against the current state only (no lengths, no facing).
int TestKeyEntry(const cInput& input, const cKeyList& entry);
// The first direction position 0..9 held now; 0 when none.
int GetHeldDirection(const cInput& input);
// The key conditions of a run of the character, against player 1's input: once per press
// without the flow's repeat option, on every test while held with it.
int CheckKeyConds(cChara& chara, cFlowRun& run);
// Whether the keys of the run that owns a command state are held now: its last key entry
// against player 1's current input. -1 when no run of the character owns the state or the
// run has no key entries.
int RunKeysHeld(const cChara& chara, const cCmdState& state);
