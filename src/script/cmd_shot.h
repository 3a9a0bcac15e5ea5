// The shot, sword and summon commands: the periodic entries that fire a volley or summon once
// every tenth of a second, and the sword command that makes one sword when it starts.
#pragma once

class cChara;
class cCmdState;
class cFlowCmd;

// The operations of the periodic kinds (the periodic entry plays the sound and keeps the
// counter): the command's shot data through the engine's shot command or summons. A command
// without shot data does nothing.
void RunCmdShot(cChara& chara, cCmdState& state);
void RunCmdSummonBlock(cChara& chara, cCmdState& state);
void RunCmdSummonChara(cChara& chara, cCmdState& state);
void RunCmdSummonItem(cChara& chara, cCmdState& state);
// By kind: 11 shot, 13 blocks, 14 characters, 15 items; other kinds nothing.
void RunShotPeriodic(cChara& chara, cCmdState& state, int kind);

// The sword command: on its first tick the sound and one sword linked once to its owner; the
// counter then counts the ticks. A sword type outside the table or without frames makes no
// sword.
void CmdSword(cChara& chara, cCmdState& state);
// The sword command's entry in the implementation table: CmdSword with the scene's current
// command state; without one (a command list) the sword is made at once.
int CmdSwordImpl(cChara& chara, cFlowCmd& cmd);
