// Message boxes.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/wintypes.h"

// Stands in for MessageBoxA: a modal dialog of the dialog layer (dialog.h), drawn as the other
// dialogs are, with the Shift-JIS text in the dialogs' font (broken at LF and where a line
// would pass 480 pixels), the mark of the icon kind that uType asks for, and the buttons of its
// type (MB_OK .. MB_RETRYCANCEL); the default button (MB_DEFBUTTON1..3) has the focus. Enter
// presses the focused button, Tab and the arrows move the focus among the buttons, a click
// presses one; the answer is the pressed button's id. Escape gives MessageBoxEscapeAnswer
// (nothing for Yes/No and Abort/Retry/Ignore, which only a button answers). Closing the box's
// window gives MessageBoxQuitAnswer, and when the box stands over nothing else of the program
// (no visible owner: start-up) it also ends the thread's message loop (PostQuitMessage), as
// closing the program's only window does. A box ended by WM_QUIT (the program closing) gives
// MessageBoxQuitAnswer too.
//
// Every thread's boxes are shown by the window thread (the caller waits, as for a sent
// message); once the program has begun to close (the send shutdown) a box from another thread
// is only logged and gives MessageBoxQuitAnswer. Run without a display on purpose (SDL_VIDEODRIVER
// names a driver that shows nothing, as the tests do) the text goes to the message-box log and the configured headless answer is returned. Where
// no window can be made at all, SDL's own box is tried, and failing that the text goes to
// standard error and the log, answered as headless.
int MessageBoxA(HWND hWnd, const char* lpText, const char* lpCaption, UINT uType);

// A button of a box: its id (the answer it gives) and its label (Shift-JIS).
struct MessageBoxButton {
  int id;
  const char* label;
};
// The buttons of a box type, left to right.
std::vector<MessageBoxButton> MessageBoxButtons(UINT type);
// The answer of Escape: IDOK for MB_OK, IDCANCEL where the box has a Cancel button, 0 (Escape
// does nothing) for Yes/No and Abort/Retry/Ignore.
int MessageBoxEscapeAnswer(UINT type);
// The answer of a box ended without a button: the Escape answer, else IDNO (Yes/No) or IDABORT
// (Abort/Retry/Ignore): the answer that goes on least.
int MessageBoxQuitAnswer(UINT type);

// Where a box's parts stand, in pixels of its client area.
struct MessageBoxLayout {
  int width = 0;
  int height = 0;
  RECT icon{0, 0, 0, 0};
  RECT text{0, 0, 0, 0};
  std::vector<RECT> buttons;
};
MessageBoxLayout LayOutMessageBox(const std::string& text, UINT type);

// Stands in for GetActiveWindow: the window the platform layer knows as active, or null.
HWND GetActiveWindow();
void SetActiveWindowHandle(HWND hWnd);

// Where boxes shown without a display are written (the report log, set by the logs).
void SetMessageBoxLogger(void (*logger)(const char* text, const char* caption));

// The answer of a box shown without a display; 0 (the default) answers with the box's
// default button (IDOK, or IDYES for a question), as the Enter key would.
void SetHeadlessMessageBoxAnswer(int answer);

// Tests: when set, every box goes to this function instead, and its result is the answer.
using MessageBoxHook = std::function<int(const char* text, const char* caption, UINT type)>;
void SetMessageBoxHook(MessageBoxHook hook);

// Tests: boxes are made as dialogs also without a display, to be driven through the dialog
// layer's test hooks.
void ShowMessageBoxesWithoutDisplay(bool on);
