#include "support/wait.h"

#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

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

namespace {

// Processes runnable now (the fourth field of /proc/loadavg, "running/total"); 0 when unknown.
double RunnableNow() {
  FILE* f = std::fopen("/proc/loadavg", "r");
  if (!f) return 0;
  double avg1 = 0, avg5 = 0, avg15 = 0;
  int running = 0, total = 0;
  const int got = std::fscanf(f, "%lf %lf %lf %d/%d", &avg1, &avg5, &avg15, &running, &total);
  std::fclose(f);
  return got == 5 ? running : 0;
}

}  // namespace

int LoadStretchedMs(int ms) {
  double load = 0;
  const long cpus = sysconf(_SC_NPROCESSORS_ONLN);
  if (getloadavg(&load, 1) != 1) load = 0;
  load = std::max(load, RunnableNow());
  if (cpus < 1) return ms;
  const double factor = load / static_cast<double>(cpus);
  return factor > 1 ? static_cast<int>(ms * factor) : ms;
}

int CloseLimitMs() {
#if defined(__SANITIZE_THREAD__)
  return 3 * LoadStretchedMs(2000);
#else
  return LoadStretchedMs(2000);
#endif
}
