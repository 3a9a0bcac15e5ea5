// The commands that steer the flows and the game: "フローの操作" (start, end, pause, resume,
// delete or stop for good the own flow, the other flows or the flows of an ID of the character
// or a target), "ステージクリア" (the next stage, the world-map position and the next stage's
// start position) and "ゲームウエイト" (holds the whole game for a time).
#pragma once

class cChara;
class cFlowCmd;

// Kind 16; gated by the command's condition list.
int CmdFlowOperation(cChara& chara, cFlowCmd& cmd);
// Kind 17; returns 1, the stage result.
int CmdStageClear(cChara& chara, cFlowCmd& cmd);
// Kind 18: an invisible timer window and the pause loop for the time; the window goes again.
int CmdGameWait(cChara& chara, cFlowCmd& cmd);
