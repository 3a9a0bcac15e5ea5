// Play of a stage file: the progress reset for a new game, the stage loaded (the newest
// numbered version when asked), then the progress set up for that stage alone: stage and area
// 1, the lives of free play, and the stage's name relative to the project folder. Start-up,
// the open-stage request and the free-play restart use it.
#pragma once

// 1 when the stage loaded; play starts only then. A name of 260 bytes or more is refused (0)
// and changes nothing.
int StartGameFromFile(const char* lpszPath, int bFindNewest);
