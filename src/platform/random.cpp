#include "platform/random.h"

#include <cstdint>

namespace {

thread_local uint32_t t_state = 1;

}  // namespace

int CrtRand() {
  t_state = t_state * 214013u + 2531011u;
  return static_cast<int>((t_state >> 16) & 0x7FFFu);
}

void CrtSrand(unsigned int seed) { t_state = seed; }

unsigned int CrtRandState() { return t_state; }
