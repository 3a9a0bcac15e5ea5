// The commands that give the hero an item's effect and change a character's graphics and
// animations: "アイテムの取得", "グラフィックの変更", "基本アニメセットの変更" and "アニメの実行".
#pragma once

class cChara;
class cFlowCmd;

// Kind 25: runs the command list of an item of the common palette ([0] = 0) or of the stage
// palette ([0] = 1) for the hero and makes its result the scene's stage result (so it can clear
// the stage, and also reset a pending clear to 0). Returns that result. Another palette
// selector or an empty palette does nothing.
int CmdTakeItem(cChara& chara, cFlowCmd& cmd);
// Kind 26: graphic kind, graphic number and graphic offset.
int CmdChangeGraphic(cChara& chara, cFlowCmd& cmd);
// Kind 27: the basic animation set (an unsigned 16-bit number), rebuilt even when unchanged.
int CmdChangeAnimSet(cChara& chara, cFlowCmd& cmd);
// Kind 28: starts an animation of the database in front of the character's running
// animations, tagged with the current flow run's id (-1 from an item command list, so that no
// flow operation takes it away).
int CmdPlayAnim(cChara& chara, cFlowCmd& cmd);
