// The movement commands that write a character's velocity for the tick: straight movement (by
// direction, by angle or toward a point), the ground walk that turns at floor edges and at
// solid characters, the circle and the cancel of all movement. The steps they share are
// operations of the character (declared in chara.h, defined in cmd_move.cpp) and are also used
// by the chase, turn and warp commands.
#pragma once

class cChara;
class cCmdState;
class cEdMove;

// Handlers of the command table (character, command state).
void CmdStraightMove(cChara& chara, cCmdState& state);
void CmdGroundTurnMove(cChara& chara, cCmdState& state);
void CmdCircleMove(cChara& chara, cCmdState& state);
void CmdStopMove(cChara& chara, cCmdState& state);

// The movement record of the state's command, or none.
const cEdMove* MoveRecord(const cCmdState& state);
// Every movement handler first clears the screen pins a warp to screen coordinates set.
void ClearScreenPins(cChara& chara);

// The character flies (moves freely in the vertical) and its facing is fixed.
bool MovesFreely(const cChara& chara);
bool FacingFixed(const cChara& chara);

// Facing requests of the movement steps.
constexpr int FACE_NONE = 0;
constexpr int FACE_LEFT = 1;
constexpr int FACE_RIGHT = 2;
