// Stand-ins for operations of the play frame whose real bodies are being built with the
// contacts and damage pass, the shots and the stage drawing; this file goes when they arrive.
// Each does nothing and reports nothing.
#include "engine/play_scene.h"
#include "engine/shot.h"
#include "engine/stage_chara.h"

int cPlayScene::StepHits(cObjectList<cStageChara>&) { return 0; }
int cPlayScene::KillChara(cChara&) { return 0; }
int cPlayScene::CheckHp() { return 0; }
int cPlayScene::ResolveContacts(cChara&, cObjectList<cStageChara>&) { return 0; }
void cPlayScene::Draw(int, int, int, int) {}

int cShot::Move() { return 0; }
void cShot::StepX() {}
void cShot::StepY() {}
int cShot::HitMap() { return 0; }
