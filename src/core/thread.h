// The thread object of the game-side threads (game, pause, ranking and stage-loader threads;
// the objects themselves are global data objects of the project files).
#pragma once

#include <atomic>

#include "platform/wintypes.h"

class cThread {
 public:
  cThread() = default;
  // Leaves a thread that still runs alone: the program ends its threads with Exit before it
  // returns from its entry, never from a destructor at exit, when the layers the ending needs
  // (messages, logs, the clock) may already be gone.
  ~cThread() = default;
  cThread(const cThread&) = delete;
  cThread& operator=(const cThread&) = delete;

  // Starts lpStartAddress(lpParameter) on a new thread, which begins once the id and handle
  // below are stored; 0 when it cannot be created.
  int Start(unsigned (*lpStartAddress)(void*), void* lpParameter);
  // Blocks (1 ms polls) until the thread has returned, then closes its handle.
  void Wait();
  // 1 when there is no thread or the call succeeded, 0 when it failed.
  int Suspend();
  int Resume();
  // Ends the thread: WM_QUIT to its queue every millisecond until it has ended; from the
  // 200th poll on it is also asked to stop, so it unwinds at its next wait. Nothing when no
  // thread runs. Writes "Exit A" .. "Exit E" to the error log.
  void Exit();

  // The id that thread messages go to, and the handle (null while no thread runs). The
  // window thread reads them while a game-side thread starts and waits, hence atomic.
  std::atomic<DWORD> m_dwThreadId{0};
  std::atomic<HANDLE> m_hThread{nullptr};
};
