// The services around one frame that the frame tick, and the pause and ranking threads' own
// frame loops, share: the DirectDraw frame wait, the presentation of the back buffer and the
// poll of player 1's input.
#pragma once

#include "core/safe_container.h"

class cInput;

// Under DirectDraw: sleeps 1 ms at a time until the frame rate allows the next frame. Under
// Direct3D the present paces the frames; without a back-end nothing waits.
void WaitNextFrame();
// Shows the back buffer: Direct3D presents at the manager's frame rate (a failed present in a
// window asks the window thread to reset the device); a DirectDraw window copies it onto the
// client area after the vertical blank; DirectDraw full screen copies or flips.
void PresentFrame();
// DirectDraw: the whole back buffer onto the window's client area; nothing without the surfaces.
void BltBackBufferToClient();
// Player 1 (element 0) through the key configuration when it is in use, else the fixed keys.
void PollPlayerInput(cSafeVector<cInput>& vInput);
// Whether the running stage asks for more than 60 frames per second (a play scene exists).
bool PlayRunsAbove60();

// Blt and flip present by copy in DirectDraw full screen (start-up decides).
extern int g_bBltPresent;
