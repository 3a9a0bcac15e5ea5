// Failures of the display under the windows: a request the X server refuses (another program has
// destroyed a window of ours), a window of ours destroyed by another program, and the loss of the
// connection to the X server. Windows has no such failures for a program's own windows; the X
// library's own answer is to end the process with exit(), under the threads that still run.
// Here each failure is told to the program, which decides how to end.
#pragma once

struct SDL_Window;

// What the program does with a failure: lpszText is one line naming it (the error, the request,
// the resource). bLost is 0 for a refused request (the program goes on, and the request had no
// effect) and 1 for a lost connection, after which no window can work any more: the X library
// ends the process with exit() once the handler returns. Called on the thread whose request
// failed, inside the X library: it must not use the windows. Null (the default) writes the
// line to standard error.
using DisplayErrorHandler = void (*)(const char* lpszText, int bLost);
void SetDisplayErrorHandler(DisplayErrorHandler lpfnHandler);

// Puts the handlers in place of the X library's own (once) when the windows run on an X display;
// nothing on any other video driver. The window layer calls it once the video runs.
void InstallDisplayErrorHandlers();

// A window of the program that another program destroys is told as a refused request is, with
// "destroyed by another program", when the display reports it: no request of the program on it
// need fail first, and none may come for as long as a frame of the game runs. It is told on the
// thread that reads the display's events (the window thread, also inside a modal dialog's loop).
// The window layer names each window it makes, and takes it back before it destroys the window
// itself. Nothing is watched on a display other than X.
void WatchWindowDestroy(SDL_Window* window);
void UnwatchWindowDestroy(SDL_Window* window);
