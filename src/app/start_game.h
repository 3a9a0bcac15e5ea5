// Play of a stage file: the progress reset for a new game, then the stage loaded (the newest
// numbered version when asked). Start-up, the open-stage request and the free-play restart use
// it.
#pragma once

// 1 when the stage loaded; play starts only then.
int StartGameFromFile(const char* lpszPath, int bFindNewest);
