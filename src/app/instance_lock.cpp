#include "app/instance_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

const char* const g_lpszInstanceLockFile = ".tessellwhirl.lock";

namespace {

// The process id written in the file; 0 when there is none.
pid_t ReadPid(int fd) {
  char buf[32] = {};
  const ssize_t n = pread(fd, buf, sizeof(buf) - 1, 0);
  if (n <= 0) return 0;
  const long pid = std::strtol(buf, nullptr, 10);
  return pid > 0 ? static_cast<pid_t>(pid) : 0;
}

void WritePid(int fd) {
  const std::string text = std::to_string(getpid()) + "\n";
  if (ftruncate(fd, 0) == 0) {
    const ssize_t n = pwrite(fd, text.data(), text.size(), 0);
    (void)n;
  }
}

}  // namespace

cInstanceLock::Result cInstanceLock::Acquire(const char* lpszPath, const std::function<bool()>& lpfnAsk, int nWaitMs) {
  Release();
  const int fd = open(lpszPath, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return LOCK_UNAVAILABLE;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (!lpfnAsk()) {
      close(fd);
      return LOCK_DECLINED;
    }
    const pid_t pid = ReadPid(fd);
    if (pid <= 0 || pid == getpid() || kill(pid, SIGTERM) != 0) {
      close(fd);
      return LOCK_FAILED;
    }
    // The running program lets its lock go only when it has ended.
    int waited = 0;
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if (waited >= nWaitMs) {
        close(fd);
        return LOCK_FAILED;
      }
      usleep(1000);
      ++waited;
    }
  }
  WritePid(fd);
  m_nFd = fd;
  return LOCK_TAKEN;
}

void cInstanceLock::Release() {
  if (m_nFd < 0) return;
  flock(m_nFd, LOCK_UN);
  close(m_nFd);
  m_nFd = -1;
}
