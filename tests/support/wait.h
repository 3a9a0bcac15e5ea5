// Waiting on the wall clock, for tests that run the program as a process of its own.
#pragma once

#include <functional>

// Milliseconds of the monotonic clock.
long long NowMs();
void SleepMs(int ms);
// Waits until cond holds, testing it every stepMs, up to ms milliseconds; whether it held.
bool WaitFor(const std::function<bool()>& cond, int ms, int stepMs = 5);

// The time a program gets to end after a close request, in milliseconds: two seconds on a
// machine with a processor to spare. When the machine runs more than one process per processor
// (the test suite runs in parallel), the wall clock stretches by that factor, and so does the
// limit; on an idle machine it stays two seconds.
int CloseLimitMs();
