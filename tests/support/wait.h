// Waiting on the wall clock, for tests that run the program as a process of its own.
#pragma once

#include <functional>

// Milliseconds of the monotonic clock.
long long NowMs();
void SleepMs(int ms);
// Waits until cond holds, testing it every stepMs, up to ms milliseconds; whether it held.
bool WaitFor(const std::function<bool()>& cond, int ms, int stepMs = 5);

// A wall-clock span of ms milliseconds on a machine with a processor to spare, stretched by the
// load: when more processes want to run than there are processors (the test suite runs in
// parallel, other builds run), each gets that much less of one, and the span grows by that
// factor. The load is the larger of the last minute's average and the processes runnable now.
int LoadStretchedMs(int ms);

// The time a program gets to end after a close request: two seconds, stretched by the load.
// A program built with ThreadSanitizer (the test programs are built as the program is) runs
// several times slower, most of all in its threads' ends: it gets three times that.
int CloseLimitMs();
