#include "headless_run.h"

#include <sys/wait.h>

#include <cstdio>

HeadlessRun RunHeadless(const std::string& args) {
  HeadlessRun r;
  const std::string command = std::string(PLAY_HEADLESS) + " " + args + " 2>&1";
  FILE* p = popen(command.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int status = pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}
