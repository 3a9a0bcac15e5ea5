// Stand-ins for drawing members that come with the character, item, shot and effect drawing
// and with the stage set-up: they draw nothing and report nothing ended, so that the stage
// drawing runs on its own until they arrive.
#include "defs/block_data.h"
#include "engine/effect.h"
#include "engine/item.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/shot.h"
#include "engine/stage_chara.h"
#include "engine/stage_draw.h"

void cBlockData::DrawIcon(DDSURFACEDATA*, int, int) {}
int cChara::UpdateAnims(int) { return 0; }
void cChara::Draw(DDSURFACEDATA*, int) {}
int cChara::DrawDead(DDSURFACEDATA*, int) { return 0; }
int cChara::AdvanceEffect(int) { return 0; }
void cChara::DrawHpGauge(DDSURFACEDATA*) {}
void cChara::DrawSpGauge(DDSURFACEDATA*) {}
void cPlayer::DrawBoxes(DDSURFACEDATA*, int) {}
void cStageChara::DrawDropIcon(DDSURFACEDATA*) {}
void cItem::Draw(DDSURFACEDATA*, int) {}
void cShot::Draw(DDSURFACEDATA*, int) {}
int cEffect::Draw(DDSURFACEDATA*, int) { return 0; }
void DrawDistanceRanges(DDSURFACEDATA*) {}
void cPlayScene::RestartAfterDeath() {}
void cPlayScene::EraseCharaNode(cStageChara& chara) { g_lChara.Remove(chara); }
