// The sample game's small pictures as rows of characters (16 × 16 dots, drawn at twice the
// size on the 32-dot sheets), facing left as the character sheets expect.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"

using Pict = std::vector<std::string>;

// The four poses of a character row: standing, two walking steps, in the air.
struct Poses {
  Pict stand, walk1, walk2, jump;
};

Poses HeroPoses();
Poses WalkerPoses();
Poses JumperPoses();
Poses ShooterPoses();
Poses BossPoses();
Pict CratePict();
// The hero as the world map's walker: facing 0 down, 1 up, 2 left, 3 right; step 0 or 1.
Pict MapWalkerPict(int facing, int step);
// A picture turned left for right.
Pict Mirrored(const Pict& pict);
// Items: two frames each.
Pict CoinPict(int frame);
Pict HeartPict(int frame);
Pict KeyPict(int frame);
Pict GemPict(int frame);
Pict SignPict(int frame);
Pict GoalPict(int frame);

// Draws a picture of this file with the shared key of its characters (see the .cpp).
void DrawPict(Canvas& canvas, int x, int y, const Pict& pict, int scale);
