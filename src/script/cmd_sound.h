// The commands that hand their value on unchanged: "効果音の再生" (a sound of the sound table,
// through the window thread), "BGMの再生" (music with its loop value, 0 stops it) and "コードの
// 実行" (the command's text run by the code language for the character).
#pragma once

class cChara;
class cFlowCmd;

// Kind 35: skipped when the command plays only on screen and the character is off screen;
// sound 0 is none.
int CmdPlaySound(cChara& chara, cFlowCmd& cmd);
// Kind 36.
int CmdPlayBgm(cChara& chara, cFlowCmd& cmd);
// Kind 37; the code's result is not used.
int CmdRunCode(cChara& chara, cFlowCmd& cmd);
