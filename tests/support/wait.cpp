#include "support/wait.h"

#include <stdlib.h>
#include <time.h>
#include <unistd.h>

long long NowMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void SleepMs(int ms) { usleep(static_cast<useconds_t>(ms) * 1000); }

bool WaitFor(const std::function<bool()>& cond, int ms, int stepMs) {
  const long long end = NowMs() + ms;
  while (NowMs() < end) {
    if (cond()) return true;
    SleepMs(stepMs);
  }
  return cond();
}

int CloseLimitMs() {
  double load = 0;
  const long cpus = sysconf(_SC_NPROCESSORS_ONLN);
  if (getloadavg(&load, 1) != 1 || cpus < 1) return 2000;
  const double factor = load / static_cast<double>(cpus);
  return factor > 1 ? static_cast<int>(2000 * factor) : 2000;
}
