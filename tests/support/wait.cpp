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

// The load over the processors: above 1, more processes want to run than there are processors.
double LoadFactor() {
  double load = 0;
  const long cpus = sysconf(_SC_NPROCESSORS_ONLN);
  if (getloadavg(&load, 1) != 1) load = 0;
  load = std::max(load, RunnableNow());
  return cpus < 1 ? 1 : load / static_cast<double>(cpus);
}

}  // namespace

int LoadStretchedMs(int ms) {
  const double factor = LoadFactor();
  return factor > 1 ? static_cast<int>(ms * factor) : ms;
}

int CloseLimitMs() {
#if defined(__SANITIZE_THREAD__)
  return 3 * LoadStretchedMs(2000);
#else
  return LoadStretchedMs(2000);
#endif
}

int ExitWaitMs() { return std::max(120000, 20 * CloseLimitMs()); }

CloseClock::CloseClock() : start_(NowMs()), busyAtStart_(LoadFactor() > 1) {}

long long CloseClock::ElapsedMs() const { return NowMs() - start_; }

bool CloseClock::WithinLimit(const char* what) const {
  const long long took = ElapsedMs();
  const int limit = CloseLimitMs();
  if (took <= limit) return true;
  if (!busyAtStart_ && LoadFactor() <= 1) return false;
  std::printf("%s took %lld ms on a machine with more processes wanting to run than processors "
              "(load factor %.2f): not held to the %d ms limit\n",
              what, took, LoadFactor(), limit);
  return true;
}
