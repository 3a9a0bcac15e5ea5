// The fixture of the screen tests, run without a drawing device: a project folder as the working
// folder with the player's folders, a main window of the test's thread that records the requests
// the screens send (music, system sounds, the file and name dialogs, answered as the test says)
// and keeps the close requests, and the global objects the screens touch put back to a fresh
// start before and after each test.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/wintypes.h"
#include "support/temp_dir.h"

// What the test window was asked.
struct ScreenRequests {
  int openStage = 0;
  int loadReplay = 0;
  int nameDialog = 0;
  int bgm = 0;
  int bgmSlot = -1;
  std::vector<int> sounds;
  int answer = 0;  // the file dialogs' result
};
extern ScreenRequests g_req;

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The global objects the screens read and write, as at a fresh start.
  static void ResetGlobals();
  // Takes the close requests posted to the test window so far; how many there were.
  int TakeCloses();
  // Sets player 1's input words of the next frame.
  static void Input(int dir, int buttons);

  CoreTestEnv env{true};
  ScopedChdir chdir{env.dir().path()};
  HWND window = nullptr;
  HWND oldWindow = nullptr;
};
