// Window messages, message queues and window procedures.
//
// Every thread gets a message queue on its first message call (any function of this file),
// as on Windows; until then PostThreadMessageA to it fails. A window belongs to the thread
// that made it, and its procedure runs on that thread only: messages posted to it wait in
// that thread's queue, and a SendMessageA from another thread waits until the owner runs it.
// The owner runs such sent messages whenever it pumps (PeekMessageA, GetMessageA,
// WaitMessage, or while it waits in a SendMessageA of its own), also in nested loops.
#pragma once

#include "platform/wintypes.h"

// Stands in for PostMessageA: queues the message for the thread that owns hWnd, without
// waiting; a null hWnd queues it for the calling thread, as a thread message. FALSE when hWnd
// is not a window or the queue is full (10000 messages).
BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// Stands in for PostThreadMessageA: queues a thread message (no window) for the thread.
// FALSE while that thread has no message queue yet, after it has ended, or when its queue is
// full.
BOOL PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);

// Stands in for PostQuitMessage: the calling thread's queue reports WM_QUIT (wParam
// nExitCode) once the messages posted before are taken.
void PostQuitMessage(int nExitCode);

// Stands in for PeekMessageA: first runs the messages other threads sent to the calling
// thread's windows, then takes (PM_REMOVE) or looks at the oldest posted message that
// matches: hWnd null takes any, hWnd (HWND)-1 only thread messages, otherwise the messages of
// that window; numbers in wMsgFilterMin..wMsgFilterMax (all when both are 0). FALSE when none
// matches.
BOOL PeekMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);

// Stands in for GetMessageA: as PeekMessageA with PM_REMOVE, waiting until a message
// matches. Returns 0 for WM_QUIT, -1 when hWnd is not a window, otherwise non-zero.
BOOL GetMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);

// Stands in for TranslateMessage. Character messages are made by the window layer from the
// text it receives, so nothing is translated here: FALSE.
BOOL TranslateMessage(const MSG* lpMsg);

// Stands in for DispatchMessageA: calls the procedure of the message's window and returns its
// result; 0 for a thread message or a window of another thread.
LRESULT DispatchMessageA(const MSG* lpMsg);

// Stands in for WaitMessage: returns once the calling thread's queue holds a message, or
// after running messages sent to it.
BOOL WaitMessage();

// Stands in for SendMessageA: calls the window's procedure and returns its result. For a
// window of the calling thread the call is direct. For a window of another thread the call
// waits in that thread's queue and the caller blocks until the owner has run it, running
// meanwhile the messages sent to its own windows. Returns 0 without calling anything when
// hWnd is not a window, when the owner ends first, or once the send shutdown is on.
LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// Stands in for IsWindow.
BOOL IsWindow(HWND hWnd);

// The window registry the window layer builds its windows on: a new window owned by the
// calling thread, whose messages go to lpfnWndProc (null for a null procedure).
HWND CreateWindowHandle(WNDPROC lpfnWndProc);
// Removes a window of the calling thread: its posted messages are dropped and senders waiting
// on it are released with 0. FALSE for a window that is not the calling thread's.
BOOL DestroyWindowHandle(HWND hWnd);

// The send shutdown. While it is on, every SendMessageA to a window of another thread fails
// with 0 at once, and senders already waiting are released with 0 (their calls are dropped),
// so no thread can be left waiting on a window thread that has stopped pumping. Sends within
// one thread still work. The shell turns it on when it starts closing the program.
void SetMessageShutdown(BOOL bOn);

// The display's pump: the window layer sets it on the thread that owns its windows, which
// then calls it in every message call (PeekMessageA, GetMessageA, WaitMessage, and while it
// waits in SendMessageA), before it looks at its queue and at least every 10 ms while it
// waits, so that the display's events reach the queue. Null removes it.
void SetMessagePump(void (*pump)());

// Tests: the number of messages other threads sent to the calling thread's windows that wait
// to be run.
int CountPendingSentMessages();
