// SDL's video under the windows, dialogs and boxes, brought up only where it shows them. With no
// display SDL falls back on a driver that shows nothing (offscreen), and the program would run
// unseen until it is killed: such a driver (offscreen, dummy) is taken only when SDL_VIDEODRIVER
// names it, as the tests and tools do.
#pragma once

// Brings the video up once; true while it runs. False, with SDL's error set, when there is no
// display: the driver SDL found shows nothing and SDL_VIDEODRIVER does not name it.
bool StartVideo();

// True when SDL_VIDEODRIVER names a driver that shows nothing: the program runs without a
// display on purpose, and its boxes take their answers without being shown.
bool RunsWithoutDisplay();
