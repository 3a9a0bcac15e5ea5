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

// How long a test awaits a program's end after a close request: far beyond any orderly end, so
// that a close that never ends is told apart from a slow one.
int ExitWaitMs();

// Times a close from the request to the end, and holds it to its figure, two seconds
// (CloseLimitMs), where the machine lets a figure be measured: while it has a processor for each
// process that wants one, at the request and at the end. On an oversubscribed machine a
// process's turns come far later than the load's factor says (the window tests beside a busy
// loop on every processor: closes of 20 to 35 s at a load of 20 on 8 processors, where a close
// beside the busy loops alone takes 0.3 s, and the program's few processor milliseconds spread
// over them); there the end is only awaited, and the figure printed.
class CloseClock {
 public:
  CloseClock();
  long long ElapsedMs() const;
  // Whether the close kept to the limit or could not be measured; what it took is printed,
  // named by `what`, when it could not.
  bool WithinLimit(const char* what) const;

 private:
  long long start_;
  bool busyAtStart_;
};
