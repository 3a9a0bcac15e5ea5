// The flow change of item lists and flow commands: adds, replaces or deletes a character's
// flows by flow ID. Taken by the hero while its own flows step, it waits for the end of that
// turn.
#pragma once

class cChara;
class cFlowCmd;

void CmdChangeFlow(cChara& chara, const cFlowCmd& cmd, int bNow);
