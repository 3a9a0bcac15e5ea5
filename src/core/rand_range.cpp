#include "core/rand_range.h"

#include <cstdint>

#include "platform/random.h"

int RandRange(int nA, int nB) {
  int lo = nA < nB ? nA : nB;
  int hi = nA < nB ? nB : nA;
  int64_t span = static_cast<int64_t>(hi) - lo + 1;
  return static_cast<int>(lo + CrtRand() % span);
}
