// What the tests of the player in a real window share: the player as a process on the display,
// and the pixels of its windows, kept for a person to look at.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "x_display.h"

class Player {
 public:
  // Starts the player on the project folder with the extra arguments (a stage file), on the
  // display, its output kept in the file log. The environment is the test's, with the variables
  // of `env` ("NAME=value", read before the others), the display, no SDL video driver of the
  // tests, silent sound, and the sanitizers' options: the X libraries keep allocations to the
  // end, which are not the program's leaks; any other report ends the program with a failure.
  Player(const std::string& display, const std::string& project, const std::string& log,
         const std::string& stage = "", const std::vector<std::string>& env = {});
  // Ends it at once when it still runs.
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  pid_t Pid() const { return pid_; }
  // The exit status, waiting up to ms (1000 + the signal for an end by a signal); -1 when it has
  // not ended: what each of its threads was doing is printed, and it is killed.
  int WaitExit(int ms);
  // Whether it still runs (it is not waited for).
  bool Running();
  // What the program and the sanitizers wrote.
  std::string Output() const;

 private:
  std::string log_;
  pid_t pid_ = -1;
};

// Starts the virtual display of a test of the player in a real window. Without Xvfb the test is
// skipped; without xdotool, or when the display does not come up, it fails. The caller returns
// then (IsSkipped, HasFatalFailure).
void StartTestDisplay(XDisplay& display);

// The window's pixels (0: the whole screen); a failed capture fails the test. With TW_E2E_SHOTS
// set to a folder, each shot is also written there as a PNG file numbered in order and named by
// the test, for a person to look at.
Shot CaptureKept(const XDisplay& display, unsigned long window);

// Whether the player's output names the loss of its window, as it says when it ends on it: an X
// request refused on the window, or the display's report that another program destroyed it
// (whichever it learnt first).
bool NamesTheLostWindow(const std::string& output);
