// The process: its entry with the single-instance rule, the main window's creation, the hand-over
// to start-up, the game thread that ticks the frames, the window thread's message loop and the
// release of everything at the end.
#pragma once

#include <atomic>

#include "core/text.h"
#include "platform/wintypes.h"

// The window class of the main window.
extern const char* const g_lpszMainWindowClass;

extern HINSTANCE g_hInstance;
// Set once start-up succeeded, just before the game thread starts.
extern std::atomic<int> g_bStarted;
// The application is active: frames run and the window thread does not wait for messages.
extern std::atomic<int> g_bActive;

// What the command line gives the program.
struct PlayerArgs {
  const char* lpszProject = nullptr;  // the project folder; null: the current folder
  const char* lpszStage = "";         // a stage file to play at once
  int bTestPlay = 0;                  // started for test play
};

// The program: changes into the project folder and runs WinMain; the exit code, 0 only after a
// normal close. Otherwise the reason the program noted is written to standard error as one line.
int RunPlayer(const PlayerArgs& args);

// Notes why the program ends other than by a normal close (a failed start-up, the window lost):
// one line of UTF-8 for standard error (names of the game's files converted by the caller); the
// first note of a run stands.
void NoteProgramFailure(const char* format, ...) TW_PRINTF(1, 2);
// The note, empty while there is none.
const char* ProgramFailure();

// The process entry: nCmdShow 5 means test play. Returns the exit code.
int WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, const char* lpCmdLine, int nCmdShow);
// The game thread: frame ticks while the application is active, until WM_QUIT; a tick that
// fails closes the window. Returns 1.
unsigned GameLoop(void* lpParam);
// Releases the subsystems after the message loop or a failed start-up.
void ExitApplication();
// Suspend and resume the game, pause, ranking and loader threads around a modal dialog.
void SuspendWorkerThreads();
void ResumeWorkerThreads();
