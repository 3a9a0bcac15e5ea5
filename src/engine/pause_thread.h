// The frame loops that run on their own thread while the game thread waits: the pause loop,
// which draws the held play scene until its wait request is met, and the ranking loop, which
// shows the rankings after a result was registered. The frame services and the rankings live
// with the program shell; it installs them in g_PauseLink at start-up (tests put fakes there).
#pragma once

#include "core/safe_container.h"

class cInput;
class cPlayScene;
class cThread;
struct cPauseWait;

struct cPauseLink {
  // The frame wait, the lost-surface check (0: it failed), player 1's poll into a set of input
  // records and the presentation. Null: nothing (the check passes).
  void (*lpfnWaitNextFrame)() = nullptr;
  int (*lpfnCheckSurfaceLost)() = nullptr;
  void (*lpfnPollInput)(cSafeVector<cInput>& vInput) = nullptr;
  void (*lpfnPresentFrame)() = nullptr;
  // Whether the application is active. Null: always.
  int (*lpfnIsActive)() = nullptr;
  // Rankings: whether the chosen title-menu mode has them (null: no); the name dialog, which
  // edits the scene's m_strRankName and returns once it has closed; the entry of the scene's
  // result into each list it reached and the saving of the ranking file; the list of a kind
  // drawn with a place highlighted (-1 none).
  int (*lpfnRankingsOn)() = nullptr;
  void (*lpfnAskName)(cPlayScene& scene) = nullptr;
  void (*lpfnRegister)(cPlayScene& scene) = nullptr;
  void (*lpfnDrawRanking)(int nKind, int nPlace) = nullptr;
  // Loads the ranking file of the game mode and the stage in play into the shell's table.
  void (*lpfnLoadRankings)() = nullptr;
};
extern cPauseLink g_PauseLink;

// The thread message that tells a new loop thread its queue exists.
constexpr unsigned WM_LOOP_PING = 0x8000;

// One frame of the wait logic, before the frame is drawn: 0 draw and go on, 1 the wait ended.
// While the key delay runs it counts down; a key wait ends on button 1 pressed in this frame
// and up in the one before (history of the button ring); a timed wait of n frames draws n.
int StepPauseWait(cPauseWait& wait, const cInput& input);
// The system sound that confirms the end of a key wait: 12 for a message, else 1.
int PauseEndSound(int nMode);

// The loops; the argument is the play scene. The pause loop returns 0 when the scene's quit
// flag was already set, else 1; the ranking loop returns 1.
unsigned PauseThreadProc(void* lpScene);
unsigned RankingThreadProc(void* lpScene);

// Starts the loop on the thread, pings it until its queue takes the message (or it has already
// ended), and waits until it has returned. 0 when the thread could not be started.
int RunLoopThread(cThread& thread, unsigned (*lpfnProc)(void*), void* lpParam);
