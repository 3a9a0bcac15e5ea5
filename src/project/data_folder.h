// The names of the project's and the player's files and folders, the creation of the project
// folder "data" from its pristine copy "default", the working folders, and the label tables
// of stored values.
#pragma once

#include "platform/wintypes.h"

// The 48 paths of the project's and the player's files, by index.
enum ePath {
  PATH_DATA = 0,                  // "data\"
  PATH_DEFAULT = 1,               // "default\"
  PATH_COMMON_PALETTE = 7,        // "data\CommonPalette.cplt4"
  PATH_WORLD_MAP = 13,            // "data\WorldMap.dat"
  PATH_DATABASE = 15,             // the ten database files at 15, 17, .. 33 (their defaults between)
  PATH_SYSTEM = 35,               // "data\System.dat"
  PATH_STAGE_PREFIX = 37,         // "data\stg4\c": the stage select's stage names
  PATH_RANKING = 38,              // the ranking folders of the story, challenge and free modes
  PATH_STORY_SAVE = 41,           // "user_data\story\Story"
  PATH_CHALLENGE = 42,            // "user_data\challenge\Challenge.dat"
  PATH_OPTION = 43,               // "user_data\Option.dat"
  PATH_USER_DATA = 44,            // "user_data\"
  PATH_KEY_CONFIG = 45,           // "user_data\KeyConfig.dat"
  PATH_BOOT = 46,                 // "user_data\Boot.dat"
  PATH_WINDOW = 47,               // "user_data\Window.dat"
  PATH_COUNT = 48
};
extern const char* const g_PathTable[PATH_COUNT];

// The four file extensions (without the dot).
enum eExt { EXT_COMMON_PALETTE, EXT_STAGE, EXT_PALETTE, EXT_RANKING, EXT_COUNT };
extern const char* const g_ExtTable[EXT_COUNT];

// The 22 working folders, in the order of their creation, then a null entry.
extern const char* const g_lpszWorkFolders[23];

// Labels of stored values (value n is the n-th text, an empty text ends the list; see
// LabelCount): the eight character variables, the calculations, the comparisons 0..7 of the
// conditions, the condition senses and the colours.
extern const char* const g_aszCharaVar[];
extern const char* const g_aszCalc[];
extern const char* const g_aszCompare[];
extern const char* const g_aszCondSense[];
extern const char* const g_aszColor[];

// 1 when "data" is a folder or has been made from "default": when "data" is missing and
// "default" is a folder, the user is asked (a yes/no box owned by hWnd) and on yes "default"
// is copied as "data"; a copy that fails is removed again. 0 when "default" is missing, the
// user says no, or the copy fails.
int CreateDefaultData(HWND hWnd);

// Creates the working folders that are missing, in order; failures are ignored.
void CreateWorkFolders();
