// The warp command: the acting character moved at once by a distance in a direction, next to
// one of its targets, or to a point (relative, on the stage grid, or on the screen, where it is
// then pinned). A warp that leaves the scroll area or lands in a wall or a block character is
// undone exactly.
#pragma once

class cChara;
class cFlowCmd;

// Kind 20; needs the command's movement record (without one nothing happens).
int CmdWarp(cChara& chara, cFlowCmd& cmd);
