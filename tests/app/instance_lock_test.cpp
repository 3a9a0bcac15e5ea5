// One program per project folder: a second start asks; "no" leaves the first running, "yes"
// ends it and waits until its lock is free. The first program is a real process here.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "app/instance_lock.h"
#include "support/bytes.h"
#include "support/temp_dir.h"

namespace {

// A process that takes the lock and holds it until a signal ends it; with ignoreTerm it does
// not end on SIGTERM. Returns its pid once it holds the lock.
pid_t StartHolder(const std::string& path, bool ignoreTerm) {
  int ready[2];
  if (pipe(ready) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    // The display library may have put a handler of its own on SIGTERM in this process.
    signal(SIGTERM, ignoreTerm ? SIG_IGN : SIG_DFL);
    const int fd = open(path.c_str(), O_RDWR | O_CREAT, 0644);
    if (fd < 0 || flock(fd, LOCK_EX) != 0) _exit(3);
    const std::string text = std::to_string(getpid()) + "\n";
    if (ftruncate(fd, 0) != 0 || write(fd, text.data(), text.size()) < 0) _exit(4);
    const char c = 1;
    if (write(ready[1], &c, 1) != 1) _exit(5);
    for (;;) pause();
  }
  close(ready[1]);
  char c = 0;
  const bool ok = read(ready[0], &c, 1) == 1;
  close(ready[0]);
  return ok ? pid : -1;
}

TEST(InstanceLock, FirstStartTakesTheLockWithItsProcessId) {
  TempDir dir;
  const std::string path = dir / g_lpszInstanceLockFile;
  int asked = 0;
  cInstanceLock lock;
  EXPECT_EQ(lock.Acquire(path.c_str(), [&] { return ++asked, true; }), cInstanceLock::LOCK_TAKEN);
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(ReadFileBytes(path), std::to_string(getpid()) + "\n");
  lock.Release();
  EXPECT_FALSE(lock.Held());
  // Released: the next start is not asked either.
  EXPECT_EQ(lock.Acquire(path.c_str(), [&] { return ++asked, true; }), cInstanceLock::LOCK_TAKEN);
  EXPECT_EQ(asked, 0);
}

TEST(InstanceLock, FolderWithoutWriteAccessIsNoticed) {
  TempDir dir;
  cInstanceLock lock;
  EXPECT_EQ(lock.Acquire((dir / "missing/folder.lock").c_str(), [] { return true; }),
            cInstanceLock::LOCK_UNAVAILABLE);
  EXPECT_FALSE(lock.Held());
}

TEST(InstanceLock, NoLeavesTheRunningProgram) {
  TempDir dir;
  const std::string path = dir / g_lpszInstanceLockFile;
  const pid_t holder = StartHolder(path, false);
  ASSERT_GT(holder, 0);
  int asked = 0;
  cInstanceLock lock;
  EXPECT_EQ(lock.Acquire(path.c_str(), [&] { return ++asked, false; }), cInstanceLock::LOCK_DECLINED);
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(lock.Held());
  int status = 0;
  EXPECT_EQ(waitpid(holder, &status, WNOHANG), 0) << "the first program still runs";
  kill(holder, SIGKILL);
  waitpid(holder, &status, 0);
}

TEST(InstanceLock, YesEndsTheRunningProgramAndWaitsForIt) {
  TempDir dir;
  const std::string path = dir / g_lpszInstanceLockFile;
  const pid_t holder = StartHolder(path, false);
  ASSERT_GT(holder, 0);
  cInstanceLock lock;
  EXPECT_EQ(lock.Acquire(path.c_str(), [] { return true; }), cInstanceLock::LOCK_TAKEN);
  EXPECT_TRUE(lock.Held());
  int status = 0;
  ASSERT_EQ(waitpid(holder, &status, 0), holder);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_EQ(ReadFileBytes(path), std::to_string(getpid()) + "\n");
}

TEST(InstanceLock, ProgramThatDoesNotEndIsAFailure) {
  TempDir dir;
  const std::string path = dir / g_lpszInstanceLockFile;
  const pid_t holder = StartHolder(path, true);
  ASSERT_GT(holder, 0);
  cInstanceLock lock;
  EXPECT_EQ(lock.Acquire(path.c_str(), [] { return true; }, 100), cInstanceLock::LOCK_FAILED);
  EXPECT_FALSE(lock.Held());
  int status = 0;
  kill(holder, SIGKILL);
  waitpid(holder, &status, 0);
}

}  // namespace
