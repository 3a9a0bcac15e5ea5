// Conditions: comparisons of variables, character statuses and system values, state tests
// and distances between characters, combined by a list's rule. The list tests and the once
// latch of a flow's conditions are operations of the play scene (they read its stage
// variables); the evaluators of the four status and distance kinds are free functions.
#pragma once

#include <cstdint>

class cChara;
class cCond;

// A character status by the status index 0..14 (0 the character variable varIndex): its
// value and the byte width of its field (1, 2 or 4). False for an index outside the table and
// for the sight range of a character that is not the hero. Reading the stopping ease (13)
// refreshes the character's stopping figure from it.
bool ReadCharaStatus(cChara& chara, int index, int varIndex, int& value, int& width);
// A system value 0..4 (time, the two auto-scroll speeds, score, lives); false outside 0..4.
bool ReadSystemValue(int index, int& value);

// Kind 4: a status or variable against a constant, random, status or variable operand.
int EvalCondStatus(const cCond& cond, cChara& subject);
// Kind 5: a state value (auto-scroll, transparency, flying, ...) against a constant.
int EvalCondStatus2(const cCond& cond, cChara& subject);
// Kind 6: facing, standing on a block, on screen or existing, optionally inverted.
int EvalCondStatus3(const cCond& cond, cChara& subject);
// Kind 7: the distance to the hero or a target within or outside a limit, in one of seven
// shapes measured against the subject's facing.
int EvalCondDistance(const cCond& cond, cChara& subject);
