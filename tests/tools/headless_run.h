// Runs the play_headless tool of this build with its arguments and gathers what it prints.
#pragma once

#include <string>

struct HeadlessRun {
  int status = -1;  // the exit status; -1 when the tool could not be run or did not exit
  std::string out;  // standard output and standard error together
};

HeadlessRun RunHeadless(const std::string& args);
