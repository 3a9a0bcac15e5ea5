// Time: the millisecond clock, sleeping and the local date and time.
#pragma once

#include "platform/wintypes.h"

// Stands in for timeGetTime: milliseconds of a steady clock in 32 bits, wrapping after
// about 49.7 days, as the original's did.
DWORD timeGetTime();

// Stand in for timeBeginPeriod/timeEndPeriod: the clock and Sleep are already exact to the
// millisecond here; TIMERR_NOCANDO for a period of 0, otherwise TIMERR_NOERROR.
MMRESULT timeBeginPeriod(UINT uPeriod);
MMRESULT timeEndPeriod(UINT uPeriod);

// Stands in for Sleep: waits dwMilliseconds (0 gives up the processor once, INFINITE waits for
// ever). It is a wait: a suspended thread holds here and a thread asked to stop unwinds here.
void Sleep(DWORD dwMilliseconds);

// Stands in for GetLocalTime: the local date and time.
void GetLocalTime(SYSTEMTIME* lpSystemTime);

// Tests: a clock the test drives. While it is in use, timeGetTime returns its value and Sleep
// moves it on by the time asked instead of waiting (still a wait for suspension and stop
// requests). Time-outs of the waits keep to real time.
void UseTestClock(DWORD dwStart);
void AdvanceTestClock(DWORD dwMilliseconds);
void UseSystemClock();
