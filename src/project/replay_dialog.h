// The window thread's part of saving and loading replays: the file dialogs and the answers to
// the requests of the game thread (save: WM_USER+4) and of the title menu (load: WM_USER+3).
// The main window procedure calls the two Answer functions for those messages.
#pragma once

#include "platform/wintypes.h"

// Proposes a free name for a replay of the stage name (the progress's current stage) and runs
// the save dialog in "user_data\rpl4\" in dialog mode. 1 with the chosen path in buffer
// (MAX_PATH bytes), 0 cancelled.
int SelectReplaySaveFile(char* buffer, const char* name, int english);

// The replay open dialog in "user_data\rpl4" in dialog mode; 1 with the path in buffer.
int SelectReplayLoadFile(HWND hOwner, char* buffer, int english);

// WM_USER+4 (wParam 0 the current attempt, 1 the previous one): the save dialog, the replay
// written; WM_CLOSE posted to the main window when it cannot be written. The result flag is 1
// when a replay was written, then the done flag is set.
void AnswerReplaySaveRequest(WPARAM attempt, int english);

// WM_USER+3: the open dialog and the replay read for playback; when it cannot be read, the
// failure reported (ReportFailure) and WM_CLOSE posted to the main window; the path kept as the working stage's. Result 1 when a replay
// was read, 0 when cancelled or unreadable; then the done flag.
void AnswerReplayLoadRequest(HWND hOwner, int english);
