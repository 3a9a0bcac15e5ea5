// The command table: one entry per flow-command kind, called once per tick of a command with
// the acting character and the command's state.
#pragma once

#include "defs/cmd_kind.h"

class cChara;
class cCmdState;
class cFlowCmd;

using CmdHandler = void (*)(cChara& chara, cCmdState& state);
// An implementation of a kind, shared by the flow entries and the item command lists; its
// result is the list's (1 ends the list as cleared).
using CmdImpl = int (*)(cChara& chara, cFlowCmd& cmd);

// Indexed by flow kind 0..39; a kind outside acts as kind 0. The entries are fixed at start
// (tests put a recording entry in place for a while).
extern CmdHandler g_apfnCmdHandler[CMD_KIND_COUNT];
// The implementations the forwarding entries and the list entries call, by flow kind; null
// where a kind has none: its command then only lasts its time.
extern CmdImpl g_apfnCmdImpl[CMD_KIND_COUNT];
// What the periodic entries fire, by kind (11 shot, 13 blocks, 14 characters, 15 items); null:
// nothing is fired.
extern void (*g_lpfnPeriodicAct)(cChara& chara, cCmdState& state, int kind);

// The entry of the kinds that do nothing but last their time: the empty kind, the wait and a
// loop left in a list.
void RunCmdNone(cChara& chara, cCmdState& state);
// The shot and summon kinds: the sound and one volley on the first tick and then once every
// tenth of a second.
void RunCmdPeriodic(cChara& chara, cCmdState& state);
// The kinds that hand the command definition to their implementation.
void RunCmdForward(cChara& chara, cCmdState& state);
// The stage clear: its implementation's result becomes the play scene's stage result.
void RunCmdStageClear(cChara& chara, cCmdState& state);

// The flow kind a command dispatches as: its stored kind read signed; a kind outside 0..39 is
// the empty kind (reported once).
int DispatchKind(const cFlowCmd& cmd);
