// One running program per project folder: a lock file in the folder, held with flock for the
// life of the process and holding its process id. A second start asks whether to end the first;
// ending it sends it SIGTERM (it closes in order) and waits until its lock is free.
#pragma once

#include <functional>

// The lock file's name in the project folder.
extern const char* const g_lpszInstanceLockFile;

class cInstanceLock {
 public:
  cInstanceLock() = default;
  ~cInstanceLock() { Release(); }
  cInstanceLock(const cInstanceLock&) = delete;
  cInstanceLock& operator=(const cInstanceLock&) = delete;

  enum Result {
    LOCK_TAKEN,     // this process runs
    LOCK_DECLINED,  // the user chose not to end the running program
    LOCK_FAILED,    // the running program could not be ended
    LOCK_UNAVAILABLE  // the lock file cannot be made (a read-only folder)
  };

  // Takes the lock of the file at lpszPath. When another process holds it, lpfnAsk decides
  // (true: end it); the running one is sent SIGTERM and awaited up to nWaitMs milliseconds.
  Result Acquire(const char* lpszPath, const std::function<bool()>& lpfnAsk, int nWaitMs = 10000);
  void Release();
  bool Held() const { return m_nFd >= 0; }

 private:
  int m_nFd = -1;
};
