// Arrange entries: an arrange command queues a copy of its five parameters {kind, parameter
// index, operation, operand source, index or constant}; when the next command starts, each
// queued entry of its kind changes that parameter in the command definition itself, within
// the parameter's limits, and the queue is emptied.
#pragma once

class cChara;
class cFlowCmd;

// The command "アレンジ": queues the entry on the current flow run, or on the hero for a
// command of an item list. Returns 0.
int CmdArrange(cChara& chara, cFlowCmd& cmd);
// Applies one entry to a command; entries of another kind, of a kind without arrangeable
// fields, or with a variable index outside its bank change nothing.
void ApplyArrangeEntry(cFlowCmd& cmd, const cFlowCmd& entry, cChara& chara);
// 1 when the kind's parameter index reaches a field of the command (and the value read).
int ArrangeGetParam(int kind, int index, const cFlowCmd& cmd, int& value);
void ArrangeSetParam(int kind, int index, cFlowCmd& cmd, int value);
