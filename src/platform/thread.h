// Threads and waiting for them.
//
// A thread cannot be killed safely where it stands here. TerminateThread therefore asks the
// thread to stop, and the thread unwinds its stack at its next wait (Sleep, a message call
// that can wait, WaitForSingleObject, SendMessageA to another thread). SuspendThread keeps a
// count and the thread holds at its next wait until the count is back to 0.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

// Stands in for _beginthreadex: starts start_address(arglist) on a new thread, running
// (security, stack_size and initflag are not used). The thread's id goes to *thrdaddr. Returns
// the thread's handle, 0 when the thread cannot be created. An exception that escapes the
// procedure ends the thread and goes to the thread exception handler (below).
uintptr_t _beginthreadex(void* security, unsigned stack_size, unsigned (*start_address)(void*), void* arglist,
                         unsigned initflag, unsigned* thrdaddr);

// Stands in for WaitForSingleObject on a thread handle: WAIT_OBJECT_0 once the thread has
// ended, WAIT_TIMEOUT after dwMilliseconds (0: at once; INFINITE: never), WAIT_FAILED for a
// handle that is not open.
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);

// Stands in for CloseHandle on a thread handle: FALSE when the handle is not open. The thread
// itself goes on.
BOOL CloseHandle(HANDLE hObject);

// Stands in for SuspendThread: adds one to the suspend count and returns the previous count,
// (DWORD)-1 for a handle that is not open. The thread holds at its next wait.
DWORD SuspendThread(HANDLE hThread);

// Stands in for ResumeThread: takes one from the suspend count (when above 0) and returns the
// previous count, (DWORD)-1 for a handle that is not open.
DWORD ResumeThread(HANDLE hThread);

// Stands in for TerminateThread: asks the thread to stop. It unwinds at its next wait, also
// when it is suspended. FALSE for a handle that is not open.
BOOL TerminateThread(HANDLE hThread, DWORD dwExitCode);

// Stands in for GetCurrentThreadId: the calling thread's id, never 0.
DWORD GetCurrentThreadId();

// Not a Windows call: a wait point that does not wait, for work that runs long without meeting
// a wait (the walks of a play frame), so that TerminateThread and SuspendThread reach the thread
// there as they would anywhere on Windows. A thread asked to stop unwinds here and a suspended
// one holds; any other returns at once, having read one flag.
void ThreadCheckPoint();

// What happens to an exception that escapes a thread's procedure: the handler gets a line
// describing it. The core sets a handler that logs the line and closes the main window;
// without one the line goes to standard error.
void SetThreadExceptionHandler(void (*lpfnHandler)(const char* text));
