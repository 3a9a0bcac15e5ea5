// A program of this build run as a process of its own, for the tests that run it whole: its
// arguments, its environment (the test's own with some variables replaced or removed), where
// its output goes; and the lines of that output a test looks for.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct SpawnSpec {
  std::vector<std::string> args;  // the program's arguments, its name first
  // "NAME=value" takes the place of the test's own NAME; "NAME" alone leaves it out.
  std::vector<std::string> env;
  std::string out;  // standard output goes to this file when given
  std::string err;  // standard error likewise; the same file as out takes both
};

// The process id, or -1 when the program cannot be started.
pid_t SpawnProgram(const char* exe, const SpawnSpec& spec);

// Writes the stacks of every thread of the running process to the file (gdb, when the machine
// has it): what a test prints when a program it waits for hangs. Whether stacks were written.
bool WriteThreadStacks(pid_t pid, const std::string& file);

// The lines of the text that start with the prefix, in order.
std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& prefix);
