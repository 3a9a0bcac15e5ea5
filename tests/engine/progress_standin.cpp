// A stand-in for the stage progression of the play frame, as far as the damage pass and the
// hit-point check call it: a character's death inside the frame and the end of play.
#include "core/sound_request.h"
#include "engine/play_scene.h"
#include "engine/player.h"

int cPlayScene::DefeatChara(cChara& chara, cObjectList<cStageChara>&) {
  int r = KillChara(chara);
  if (r == 1) {
    EndPlay();
    return 1;
  }
  if (r == 2) {
    PlaySysSe(8);
    if (!g_vPlayer.empty() && g_vPlayer[0].Die() == 1) EndPlay();
    return 2;
  }
  return r;
}

// The end of play announces itself with system sound 14.
void cPlayScene::EndPlay() { PlaySysSe(14); }
