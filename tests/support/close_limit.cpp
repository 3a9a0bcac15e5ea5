#include "support/close_limit.h"

#include <stdlib.h>
#include <unistd.h>

int CloseLimitMs() {
  double load = 0;
  const long cpus = sysconf(_SC_NPROCESSORS_ONLN);
  if (getloadavg(&load, 1) != 1 || cpus < 1) return 2000;
  const double factor = load / static_cast<double>(cpus);
  return factor > 1 ? static_cast<int>(2000 * factor) : 2000;
}
