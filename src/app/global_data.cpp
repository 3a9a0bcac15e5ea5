// Every global data object of the game, in the order of their construction; each is destroyed
// in the reverse order after the program's entry has returned. The order matters where a
// construction reads another object: the definitions are bound to the common palette and the
// working stage once both exist.
//
// The registry of open dialogs (g_DialogList, first in the order) is defined with the toolkit
// (ui/window_list.cpp), whose tests need it without these objects; it is two empty lists that
// refer to nothing, so no other construction depends on its place.
//
// Objects whose types belong to later parts of the program take their places in this order as
// those parts come: the stage, sword, effect and screen surfaces with their load parameters
// (after the input records, around the screen surface numbers), the picture and message-window
// surfaces, the message windows, the system images and the screen-effect templates.
#include "project/global_data.h"

#include "app/font_setup.h"
#include "app/main_window.h"
#include "app/menu_cursor.h"
#include "app/ranking.h"
#include "app/screen_surface.h"
#include "app/scene.h"
#include "app/window_placement.h"
#include "engine/chara_effect.h"
#include "engine/map_grid.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/stage_chara.h"
#include "project/common_palette.h"
#include "project/database.h"
#include "project/option_data.h"
#include "project/replay.h"
#include "project/save_data.h"
#include "project/stage.h"
#include "project/system_data.h"
#include "project/system_image.h"
#include "project/world_map.h"

// The main window object; its window exists from the process entry to the close.
cMainWindow g_MainWindow;

// The game-side threads.
cThread thGame;
cThread thPause;
cThread thRanking;
cThread thLoadStage;

// The menu cursor of every menu.
cCursor g_Cursor;

// The input records: player 1.
cSafeVector<cInput> g_vInput(1);

cSafeVector<int32_t> g_vScreenSurfaceIds;

// The work surfaces of the screen being shown.
cSafeVector<DDSURFACEDATA> g_vScreenSurface;
cSafeVector<BitmapEntry> g_vScreenSurfaceEntry;
// The digit sheets of the three fonts (the fonts themselves live with the text code).
DDSURFACEDATA g_FontSurface[FONT_COUNT];

// The fixed tables of the system images and the fonts, filled during static construction after
// their zero initialisation.
BitmapEntry g_SystemBitmapTable[SYSTEM_IMAGE_COUNT];
FONTDEF g_FontDef[FONT_COUNT];
BitmapEntry g_FontSurfaceEntry[FONT_COUNT];

namespace {

struct TableInit {
  TableInit() {
    InitSystemBitmapTable();
    InitFontDefs();
    InitFontSurfaceEntries();
  }
} g_tableInit;

}  // namespace

// Sound effects and music.
cSafeVector<DSSOUNDDATA> g_vSeSlot;
cSafeVector<DSSOUNDDEF> g_vSeDef;
cBgm g_BgmPlayer;

// The project's data.
cCommonPalette g_CommonPalette;
cSystemData g_SystemData;
cDatabase g_Database;
cAnimStepTable g_vAnimeSteps;
cAnimStepTable g_vEffectSteps;

// The recordings of the current and the previous attempt.
cReplay g_Replay;
cReplay g_PrevReplay;

// The working stage and the stage as loaded.
cStage g_StageData;
cStage g_StageInit;

namespace {

// The definitions find palette kinds 1 and 2 in the common palette and the working stage.
struct BindGlobalPalettes {
  BindGlobalPalettes() {
    g_CommonPalette.SetDefContext();
    g_StageData.SetDefContext();
  }
} g_BindGlobalPalettes;

}  // namespace

// The play engine's objects: the character-effect templates, the heroes (before the characters
// that point at them, so that they are destroyed after them), the map grid, the characters and
// the items, and the running play scene.
cSafeVector<CharaEffectTemplate> g_vCharaEffectTemplate;
cSafeVector<CharaEffectTemplate> g_vCharaEffectTemplateRev;
cSafeVector<cPlayer> g_vPlayer;
cSafeVector<MapChip> g_MapGrid;
cObjectList<cStageChara> g_lChara;
cObjectList<cItem> g_lItem;
cPlayScene* g_lpPlayScene = nullptr;

cWorldMap g_WorldMap;

// The live progress and its snapshots at the start of the current and the previous attempt,
// each reset to a new game.
cSaveData g_SaveData;
cSaveData g_ReplaySaveData;
cSaveData g_PrevReplaySaveData;

namespace {

struct ResetProgress {
  ResetProgress() {
    g_SaveData.ResetGameData();
    g_ReplaySaveData.ResetGameData();
    g_PrevReplaySaveData.ResetGameData();
  }
} g_resetProgress;

}  // namespace

cOptionData g_OptionData;

cSafeVector<SaveSlotInfo> g_vSaveSlotInfo(SAVE_SLOT_COUNT);

// The saved window placement (the start dialog's saved choice, g_StartSettings, lives with the
// dialog, whose tests need it without the program's globals).
cWindowPlacement g_WindowPlacement;

// The rankings of the stage in question.
cRankingTable g_RankingTable;

// The scene manager: its screens are deleted first at exit, while every object they may touch
// still exists.
cSceneManager g_SceneManager;

void ExitGameThreads() {
  thLoadStage.Exit();
  thPause.Exit();
  thRanking.Exit();
  thGame.Exit();
}
