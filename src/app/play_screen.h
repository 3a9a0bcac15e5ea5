// The play scene as the screen of scene type 4: the scene manager creates it through the play
// hooks, and the play engine reaches the manager's fade, frame rate and music number through
// the engine's shell link.
#pragma once

// The system images the play scene loads when it is entered: the whole list, or (bShort, play
// going on from stage to stage) the eight background layers. Sets the list, returns its length.
int PlayImageList(int bShort, const int** lplpList);

// Registers the play screen's hooks with the scene manager and the shell link with the engine.
void RegisterPlayScreen();
