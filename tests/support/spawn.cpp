#include "support/spawn.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

pid_t SpawnProgram(const char* exe, const SpawnSpec& spec) {
  std::vector<std::string> vars;
  for (const std::string& v : spec.env)
    if (v.find('=') != std::string::npos) vars.push_back(v);
  for (char** e = environ; *e; ++e) {
    const std::string var = *e;
    bool replaced = false;
    for (const std::string& v : spec.env) {
      const std::string name = v.substr(0, v.find('=')) + "=";
      replaced = replaced || var.rfind(name, 0) == 0;
    }
    if (!replaced) vars.push_back(var);
  }
  std::vector<char*> envp;
  for (const std::string& v : vars) envp.push_back(const_cast<char*>(v.c_str()));
  envp.push_back(nullptr);
  std::vector<char*> argv;
  for (const std::string& a : spec.args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!spec.out.empty()) posix_spawn_file_actions_addopen(&actions, 1, spec.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!spec.err.empty() && spec.err == spec.out) {
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  } else if (!spec.err.empty()) {
    posix_spawn_file_actions_addopen(&actions, 2, spec.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  pid_t pid = -1;
  if (posix_spawn(&pid, exe, &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

bool WriteThreadStacks(pid_t pid, const std::string& file) {
  const char* gdb = "/usr/bin/gdb";
  const char* timeout = "/usr/bin/timeout";
  if (access(gdb, X_OK) != 0 || access(timeout, X_OK) != 0) return false;
  SpawnSpec spec;
  // gdb itself is given two minutes: a test that waits for its stacks must still end.
  spec.args = {"timeout", "-s", "KILL", "120", gdb, "-p", std::to_string(pid),
               "-batch", "-nx", "-ex", "thread apply all bt 40"};
  spec.out = spec.err = file;
  const pid_t run = SpawnProgram(timeout, spec);
  if (run <= 0) return false;
  int status = 0;
  return waitpid(run, &status, 0) == run && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& prefix) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    at = end + 1;
  }
  return lines;
}
