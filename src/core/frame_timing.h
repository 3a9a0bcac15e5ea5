// Frame timing of the game-side frame loops: the processing time of a frame, a call counter,
// the frame rate measured over one-second windows, and the two frame waits (the DirectDraw
// one in whole milliseconds, the Direct3D one in one-second windows).
//
// The state is process-wide and unlocked: only one frame loop runs at a time (the game thread
// starts the pause and ranking loops and waits for them).
#pragma once

#include "platform/wintypes.h"

struct DDSURFACEDATA;

// Stores timeGetTime() as the start of the frame and returns it.
DWORD StartTimer();

// With bUpdate set, measures and stores the milliseconds since StartTimer; returns the stored
// value.
DWORD GetElapsedTime(int bUpdate);

// One shared call counter. Mode 0 resets it (0); mode 2 tells whether it is at 0 (after a
// reset or a firing call); any other mode counts a call and returns 1 on every n-th call after
// a reset.
int EveryNCalls(int mode, int n);

// With bCount set, counts a frame; once more than 999 ms have passed since the counting
// window began, the count of that window (without the current call) becomes the result and a
// new window starts. Returns the last finished window's count.
int CountFps(int bCount);

// The DirectDraw frame wait: 1 when the next frame may run (and it is then due 1000 / fps
// whole milliseconds later), 0 before. 1 at once for fps 0 (or below).
int LimitFrameRate(int fps);

// The Direct3D frame wait: frame n of each one-second window is due at the window's start plus
// n * 1000 / fps ms (the first whole millisecond not before it); 1 when the frame may run, 0
// before. After fps frames a
// new window starts at the current time. 1 at once without a Direct3D context or for fps 0 (or
// below). With bShow and a font sheet it draws the measured frame rate and processing time
// onto the back buffer.
int PaceFrame(int fps, int bShow, DDSURFACEDATA* lpFont);

// Tests: the timing state as at program start.
void ResetFrameTiming();
