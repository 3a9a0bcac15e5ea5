// Loading a stage for play: the stage file is found (optionally the newest numbered version),
// checked and read on the loader thread while the calling thread keeps its messages flowing.
#pragma once

#include "project/stage.h"

// Loads the stage named name into the working stage g_StageData and, when out is given, its
// header (settings, texts, layers, text list, removal rules, ranking switches, no object
// lists) into out; 1 when the stage is loaded and has a hero.
//
// With bFindNewest set the newest of the files "<name with the extension stg4>_000" ..
// "_999" is read (none: 0 without a message). The stage is read into a record of its own and
// becomes the working stage only when the whole load succeeded: a failed or cancelled load
// leaves g_StageData and out as they were. A damaged trailer, a file that cannot be read and
// a stage without a hero are reported in an error box; the first and the last also close the
// program. A WM_QUIT taken from the queue ends the load (0, no box) and is posted again
// afterwards, for the loop it was meant for; a loader thread ended by another thread (at
// shutdown) ends the load the same way, without a box.
int LoadStageFile(const char* name, int bFindNewest, cStage* out);

// The loader thread's body: reads the stage file at the record's m_strPath into the record
// (a cStage) and sets its m_bLoaded on success. Returns the load's result.
unsigned LoadStageThreadProc(void* lpStage);

// 1 when the file may be loaded: it cannot be opened or read as a record file (the load then
// reports it), it is older than data version 174, or its last four bytes are the trailer.
// Otherwise 0, after the damage message and a close request to the main window.
int CheckStageFileTrailer(const char* path);
