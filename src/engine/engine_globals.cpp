// The global objects of the play engine, in one unit so that their order of construction is
// fixed (and reversed at exit): the heroes outlive the characters that point at them.
#include "engine/chara_effect.h"
#include "engine/map_grid.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/stage_chara.h"

cPlayScene* g_lpPlayScene = nullptr;
cSafeVector<MapChip> g_MapGrid;
cSafeVector<CharaEffectTemplate> g_vCharaEffectTemplate;
cSafeVector<CharaEffectTemplate> g_vCharaEffectTemplateRev;
cSafeVector<cPlayer> g_vPlayer;
cObjectList<cStageChara> g_lChara;
cObjectList<cItem> g_lItem;
