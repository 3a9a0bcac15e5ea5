#include "core/thread.h"

#include <thread>

#include "core/log.h"
#include "platform/message.h"
#include "platform/thread.h"
#include "platform/time.h"

namespace {

// Polls after which a thread that has not ended is asked to stop.
constexpr int kPollsBeforeStop = 200;
// ResumeThread fails only on a handle that is no longer open (another thread closed it).
constexpr int kResumeTries = 10;

// Clears the handle unless another Start has put a new one in meanwhile.
void ClearHandle(std::atomic<HANDLE>& slot, HANDLE h) { slot.compare_exchange_strong(h, nullptr); }

// A started thread's procedure and parameter, handed over once the object holds the thread's
// id and handle.
struct StartRecord {
  unsigned (*lpfnProc)(void*);
  void* lpParam;
  std::atomic<bool> bStored{false};
};

// Runs the procedure only once Start has stored the id and the handle: another thread that
// sees the new thread at work (the window thread's close, looking for a running pause loop, or
// posting WM_QUIT to it) finds them in the object.
unsigned StartWhenStored(void* lpRecord) {
  StartRecord* record = static_cast<StartRecord*>(lpRecord);
  while (!record->bStored.load()) std::this_thread::yield();
  unsigned (*proc)(void*) = record->lpfnProc;
  void* param = record->lpParam;
  delete record;
  return proc(param);
}

}  // namespace

int cThread::Start(unsigned (*lpStartAddress)(void*), void* lpParameter) {
  unsigned id = 0;
  StartRecord* record = new StartRecord{lpStartAddress, lpParameter};
  uintptr_t h = _beginthreadex(nullptr, 0, &StartWhenStored, record, 0, &id);
  if (!h) {
    delete record;
    return 0;
  }
  m_dwThreadId = id;
  m_hThread = reinterpret_cast<HANDLE>(h);
  record->bStored = true;
  return 1;
}

void cThread::Wait() {
  HANDLE h = m_hThread.load();
  while (WaitForSingleObject(h, 0) == WAIT_TIMEOUT) Sleep(1);
  CloseHandle(h);
  ClearHandle(m_hThread, h);
}

int cThread::Suspend() {
  HANDLE h = m_hThread.load();
  if (!h) return 1;
  return SuspendThread(h) != static_cast<DWORD>(-1) ? 1 : 0;
}

int cThread::Resume() {
  HANDLE h = m_hThread.load();
  if (!h) return 1;
  return ResumeThread(h) != static_cast<DWORD>(-1) ? 1 : 0;
}

void cThread::Exit() {
  HANDLE h = m_hThread.load();
  if (!h) return;
  for (int i = 0; i < kResumeTries && ResumeThread(h) == static_cast<DWORD>(-1); ++i) {
  }
  DWORD id = m_dwThreadId.load();
  ErrorLog("Exit A");
  PostThreadMessageA(id, WM_QUIT, 0, 0);
  ErrorLog("Exit B");
  ErrorLog("Exit C");
  int polls = 0;
  while (WaitForSingleObject(h, 0) == WAIT_TIMEOUT) {
    Sleep(1);
    PostThreadMessageA(id, WM_QUIT, 0, 0);
    if (++polls >= kPollsBeforeStop) TerminateThread(h, 0);
  }
  ErrorLog("Exit D");
  CloseHandle(h);
  ClearHandle(m_hThread, h);
  ErrorLog("Exit E");
}
