// The C run-time library's random number generator as the original program had it.
//
// Replays hold only the seed and the inputs, so every random decision must come out exactly
// as the original's: x = x * 214013 + 2531011, result (x >> 16) & 0x7FFF. The state is per
// thread, and every new thread starts from seed 1 (a seed set on one thread leaves the others
// alone). The C library's own rand differs and is never used.
#pragma once

// Stands in for the C run-time's rand: the next value, 0..32767.
int CrtRand();

// Stands in for the C run-time's srand: the calling thread's seed.
void CrtSrand(unsigned int seed);

// The calling thread's generator state, for state digests (not part of the C run-time).
unsigned int CrtRandState();
