// Message boxes.
#pragma once

#include <functional>

#include "platform/wintypes.h"

// Stands in for MessageBoxA: an SDL message box with the Shift-JIS text and caption shown as
// UTF-8. Without a display (SDL's dummy video driver, or the box cannot be shown) the text
// goes to the message-box log and the configured headless answer is returned.
int MessageBoxA(HWND hWnd, const char* lpText, const char* lpCaption, UINT uType);

// Stands in for GetActiveWindow: the window the platform layer knows as active, or null.
HWND GetActiveWindow();
void SetActiveWindowHandle(HWND hWnd);

// Where boxes shown without a display are written (the report log, set by the logs).
void SetMessageBoxLogger(void (*logger)(const char* text, const char* caption));

// The answer of a box shown without a display; 0 (the default) answers with the box's
// first button (IDOK, or IDYES for a question), as the Enter key would.
void SetHeadlessMessageBoxAnswer(int answer);

// Tests: when set, every box goes to this function instead, and its result is the answer.
using MessageBoxHook = std::function<int(const char* text, const char* caption, UINT type)>;
void SetMessageBoxHook(MessageBoxHook hook);
