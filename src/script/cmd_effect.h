// The presentation commands that start effects and change what the stage shows: "エフェクトの
// 実行" (an effect of the effect table at a place, optionally holding the game until it has
// played), "キャラエフェクトの実行", "画面エフェクトの実行", "ピクチャーの表示" (a picture file
// shown, replaced or erased, optionally holding the game), "画面の色を変更" and "背景の変更".
#pragma once

class cChara;
class cFlowCmd;

// Placements of an effect or picture: the screen centre, the character's centre, the hero's
// centre, a block of the screen, a block of the stage. Any other value is taken as the screen
// centre.
constexpr int PLACE_SCREEN_CENTRE = 0;
constexpr int PLACE_CHARA_CENTRE = 1;
constexpr int PLACE_HERO_CENTRE = 2;
constexpr int PLACE_SCREEN_BLOCK = 3;
constexpr int PLACE_STAGE_BLOCK = 4;

// The top-left stage position of a w × h image placed by a command: block positions count 32
// dots, offsets are dots, the centres are halved on integers. Without a hero, placement 2
// uses the screen centre.
void CalcDisplayPosition(double& x, double& y, int w, int h, const cChara& chara, int placement, int blockX,
                         int blockY, int offsetX, int offsetY);

// Kind 29; number 0 removes every running effect.
int CmdPlayEffect(cChara& chara, cFlowCmd& cmd);
// Kind 30: the character's own effect state.
int CmdCharaEffect(cChara& chara, cFlowCmd& cmd);
// Kind 32: shows a picture of the picture database, replaces or erases one by its ID, or (number
// 0 without an ID) erases every picture; may hold the game while it is shown. A file that does
// not load is reported and closes the program.
int CmdShowPicture(cChara& chara, cFlowCmd& cmd);
// Kind 31: the play scene's screen effect; with none running the virtual back buffer is
// switched off.
int CmdScreenEffect(cChara& chara, cFlowCmd& cmd);
// Kind 33: the whole definition goes to the play scene's screen colour.
int CmdScreenColor(cChara& chara, cFlowCmd& cmd);
// Kind 34: shows, hides or toggles background layer n (counted from 1); other layers and modes
// do nothing.
int CmdChangeBack(cChara& chara, cFlowCmd& cmd);
