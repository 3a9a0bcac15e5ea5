// "メッセージ": shows a message window, updates or erases the window of an ID, and may hold the
// game until the window is dismissed or its time is up.
#pragma once

class cChara;
class cFlowCmd;

// bChained: the message follows a key-wait message of the same flow or item list (no sound,
// no key delay).
int CmdMessage(cChara& chara, cFlowCmd& cmd, int bChained);
// Kind 19 of the implementation table: the chain flag of the flow being stepped when the
// command is its current one, else the item list's.
int CmdMessageEntry(cChara& chara, cFlowCmd& cmd);
