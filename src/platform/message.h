// Window messages.
#pragma once

#include "platform/wintypes.h"

// Stands in for PostMessageA: queues the message without waiting; callable from any thread.
BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// Stands in for PeekMessageA: takes (PM_REMOVE) or looks at the oldest queued message for
// hWnd (any window when null) whose number lies in wMsgFilterMin..wMsgFilterMax (all when
// both are 0). Returns FALSE when there is none.
BOOL PeekMessageA(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
