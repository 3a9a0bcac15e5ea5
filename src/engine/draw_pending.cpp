// Stand-ins for drawing members that come with the shots' drawing and with the stage set-up:
// they draw nothing and report nothing ended, so that the stage drawing runs on its own until
// they arrive.
#include "engine/play_scene.h"
#include "engine/shot.h"
#include "engine/stage_chara.h"

void cShot::Draw(DDSURFACEDATA*, int) {}
void cPlayScene::RestartAfterDeath() {}
void cPlayScene::EraseCharaNode(cStageChara& chara) { g_lChara.Remove(chara); }
