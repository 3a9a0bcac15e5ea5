#include "platform/random.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "support/test_thread.h"

namespace {

std::vector<int> FirstThree() { return {CrtRand(), CrtRand(), CrtRand()}; }

TEST(CrtRandom, EveryNewThreadStartsFromSeedOne) {
  const std::vector<int> seed1 = {41, 18467, 6334};
  std::vector<int> a, b, c;
  {
    TestThread t1([&] { a = FirstThree(); });
    TestThread t2([&] {
      CrtSrand(99);
      CrtRand();
      b = FirstThree();
    });
    std::thread t3([&] { c = FirstThree(); });
    t3.join();
  }
  EXPECT_EQ(a, seed1);
  EXPECT_EQ(c, seed1);
  // Seeding one thread left the others alone, and a new thread after it starts afresh.
  EXPECT_NE(b, seed1);
  std::vector<int> d;
  {
    TestThread t4([&] { d = FirstThree(); });
  }
  EXPECT_EQ(d, seed1);
}

TEST(CrtRandom, SeedingRestartsTheSequence) {
  CrtSrand(0);
  EXPECT_EQ(FirstThree(), (std::vector<int>{38, 7719, 21238}));
  CrtSrand(1);
  EXPECT_EQ(FirstThree(), (std::vector<int>{41, 18467, 6334}));
}

}  // namespace
