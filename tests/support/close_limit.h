// The time a program gets to end after a close request, in milliseconds.
#pragma once

// Two seconds on a machine with a processor to spare. When the machine runs more than one
// process per processor (the test suite runs in parallel), the wall clock stretches by that
// factor, and so does the limit; on an idle machine it stays two seconds.
int CloseLimitMs();
