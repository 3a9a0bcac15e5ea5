// The global data objects: the game's state in single instances that live from static
// construction until the process ends. All of them are defined in global_data.cpp, in one
// fixed order of construction (destroyed in the reverse order). The objects whose type has a
// header of its own are declared there (the settings, database, palettes, stages, world map,
// progress, replays, options); those of the layers below the project files, which do not know
// them, are declared here.
#pragma once

#include <cstdint>

#include "audio/bgm.h"
#include "audio/sound_effect.h"
#include "core/safe_container.h"
#include "core/thread.h"
#include "ui/input.h"

// The game thread, the pause thread, the ranking thread and the stage loader's worker.
extern cThread thGame;
extern cThread thPause;
extern cThread thRanking;
extern cThread thLoadStage;

// The per-player input records; element 0 is player 1, the only one polled.
extern cSafeVector<cInput> g_vInput;

// The surface numbers a screen asks for when it creates its work surfaces.
extern cSafeVector<int32_t> g_vScreenSurfaceIds;

// The sound-effect slots (0..16 the system sounds, n + 16 database sound n) and the
// definitions they are made from; the music manager, idle until it is started.
extern cSafeVector<DSSOUNDDATA> g_vSeSlot;
extern cSafeVector<DSSOUNDDEF> g_vSeDef;
extern cBgm g_BgmPlayer;

// Ends the game-side threads that run, in the order the program's close ends them: the stage
// loader, the pause thread, the ranking thread, the game thread. The program calls it before it
// returns from its entry: no thread is left for the destructors at exit.
void ExitGameThreads();
