// The system's random integer between two bounds; every random decision of the play and of
// the scripting goes through it, from the C run-time generator of the calling thread.
#pragma once

// A random integer between nA and nB inclusive, the bounds in either order: low + rand() %
// (high - low + 1). The span is counted in 64 bits, so bounds as wide as the whole int range
// work; a span wider than 32768 values yields at most low + 32767.
int RandRange(int nA, int nB);
