// The status operation: one value of a character, a variable or a system value changed by an
// operation with a constant, random, status or variable operand; and the saturating operation
// it shares with the arrange entries.
#pragma once

#include <cstdint>

class cChara;
class cFlowCmd;

// Operations: 0 set, 1 add, 2 subtract, 3 multiply, 4 divide (skipped by 0), 5 remainder
// (skipped by 0), 6 operand percent of the value (halves away from zero); others leave the
// value. Computed in 64 bits, then clamped into low..high. Returns the result before the
// clamp, held to the int range.
int ApplyStatusOp(int32_t& value, int operand, int op, int low, int high);
// The two- and one-byte forms: the operand is first cut to the width (signed).
int ApplyStatusOp16(int16_t& value, int operand, int op, int low, int high);
int ApplyStatusOp8(int8_t& value, int operand, int op, int low, int high);
// a percent of b, halves rounded away from zero, in 64 bits.
long long PercentOf64(long long a, long long b);

// The command "ステータスの操作" (18 parameters); it shows no messages and returns 0.
int CmdStatusOperation(cChara& chara, cFlowCmd& cmd);
