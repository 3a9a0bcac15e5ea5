// The movement commands that steer by another character, by the screen or by the facing: the
// charge toward where a target stood, homing on a target with a lag, the move back from the
// screen edge, the turn and the jump.
#pragma once

class cChara;
class cCmdState;

// Handlers of the command table (character, command state).
void CmdChargeMove(cChara& chara, cCmdState& state);
void CmdHomingMove(cChara& chara, cCmdState& state);
void CmdAvoidOffscreenMove(cChara& chara, cCmdState& state);
void CmdTurn(cChara& chara, cCmdState& state);
void CmdJump(cChara& chara, cCmdState& state);
