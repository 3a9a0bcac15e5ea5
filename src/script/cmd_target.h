// The target command: a character chosen by a selection rule (the hero, itself, its summoner,
// its children, the nearest or the first of a side, another target slot) and the shared
// filters, stored in one of the acting character's four target slots.
#pragma once

class cChara;
class cFlowCmd;

// Kind 21. A slot number outside 0..3 selects no slot and changes nothing.
int CmdSetTarget(cChara& chara, cFlowCmd& cmd);
