#include "core/anim_seq.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "core/rand_range.h"
#include "platform/random.h"
#include "support/temp_dir.h"

namespace {

std::vector<int> Steps(cAnimSeq& seq, int n) {
  std::vector<int> out;
  for (int i = 0; i < n; ++i) out.push_back(seq.Step());
  return out;
}

TEST(cAnimSeq, StepsThroughItsTables) {
  CoreTestEnv env;
  const int loop[] = {5, 3, 0, 6, 3, 0, -2, 0, 0};
  const int hold[] = {5, 2, 0, -1, 0, 0};
  const int toTwo[] = {5, 1, 0, -3, 2, 0};
  const int two[] = {9, 2, 0, -4, 0, 0};
  const int end[] = {5, 2, 0, -4, 0, 0};
  const int zeroFrames[] = {-4, 0, 0};
  const int zeroFramesLoop[] = {-2, 0, 0};
  struct Case {
    const char* name;
    std::vector<const int*> lists;
    int anime;
    std::vector<int> patterns;
  } cases[] = {
      // The counter starts again at 0 after the loop, so the first pattern shows three frames
      // from its second round on.
      {"loop", {loop}, 0, {5, 5, 6, 6, 6, 5, 5, 5, 6, 6, 6, 5}},
      {"hold", {hold}, 0, {5, 5, 5, 5, 5, 5}},
      {"switch", {loop, toTwo, two}, 1, {9, 9, -4, -4}},
      {"end", {end}, 0, {5, -4, -4, -4}},
      // Animations of no frames end at once, without leaving their tables.
      {"no frames", {zeroFrames}, 0, {-4, -4}},
      {"no frames, looping", {zeroFramesLoop}, 0, {-4, -4}},
  };
  for (const Case& c : cases) {
    std::vector<const int*> lists = c.lists;
    lists.push_back(nullptr);
    cAnimSeq seq;
    seq.Build(lists.data());
    EXPECT_EQ(seq.Set(c.anime, 1), 1);
    EXPECT_EQ(Steps(seq, static_cast<int>(c.patterns.size())), c.patterns) << c.name;
  }
  EXPECT_EQ(env.ReportText(), "");
  EXPECT_EQ(env.TakeCloseRequests(), 0);
}

TEST(cAnimSeq, AFlaggedStepRefusesUnforcedChanges) {
  // Only the low 8 bits of the third value are the flag.
  const int flagged[] = {1, 5, 0x101, 2, 5, 0x100, -2, 0, 0};
  const int other[] = {7, 5, 0, -2, 0, 0};
  const int* lists[] = {flagged, other, nullptr};
  cAnimSeq seq;
  seq.Build(lists);
  seq.Step();
  seq.Step();
  EXPECT_EQ(seq.Set(1, 0), 0);
  EXPECT_EQ(seq.Change(1, 0), 0);
  EXPECT_EQ(seq.Pattern(), 1);
  EXPECT_EQ(seq.Counter(), 2);
  // Changing to the animation that runs goes on with it.
  EXPECT_EQ(seq.Change(0, 0), 1);
  EXPECT_EQ(seq.Counter(), 2);
  // Setting it starts it again, when forced.
  EXPECT_EQ(seq.Set(0, 0), 0);
  EXPECT_EQ(seq.Set(0, 1), 1);
  EXPECT_EQ(seq.Counter(), 0);
  // On the second step (flag 0x100 & 0xFF = 0) nothing is refused.
  Steps(seq, 5);
  EXPECT_EQ(seq.Pattern(), 2);
  EXPECT_EQ(seq.Change(1, 0), 1);
  EXPECT_EQ(seq.Anime(), 1);
  EXPECT_EQ(seq.StepIndex(), 0);
  EXPECT_EQ(seq.Pattern(), 7);
  // The other animation's step has no flag either.
  EXPECT_EQ(seq.Set(0, 0), 1);
}

TEST(cAnimSeq, BuildStartsAfreshAndAnEmptySequencerShowsZero) {
  cAnimSeq seq;
  EXPECT_EQ(seq.Step(), 0);
  EXPECT_EQ(seq.Pattern(), 0);
  EXPECT_EQ(seq.Set(3, 0), 1);
  const int a[] = {4, 9, 0, -2, 0, 0};
  const int* lists[] = {a, nullptr};
  seq.Build(lists);
  EXPECT_EQ(seq.Anime(), 0);
  EXPECT_EQ(seq.Step(), 4);
  seq.Build(nullptr);
  EXPECT_EQ(seq.Counter(), 1);
  seq.Build(lists);
  EXPECT_EQ(seq.Counter(), 0);
}

TEST(RandRange, LowPlusRandModuloTheSpan) {
  // The first value of seed 1 is 41.
  struct Case {
    int a, b, expected;
  } cases[] = {
      {0, 99, 41},
      {9, 3, 3 + 41 % 7},
      {-10, 10, -10 + 41 % 21},
      {5, 5, 5},
      {-5, -5, -5},
      {0, 40, 41 % 41},
      // Spans that do not fit in an int.
      {0, INT_MAX, 41},
      {INT_MIN, INT_MAX, INT_MIN + 41},
      {INT_MAX, INT_MIN, INT_MIN + 41},
  };
  for (const Case& c : cases) {
    CrtSrand(1);
    EXPECT_EQ(RandRange(c.a, c.b), c.expected) << c.a << ".." << c.b;
  }
}

TEST(RandRange, StaysInItsRangeAndAWideRangeReachesAtMostLowPlus32767) {
  CrtSrand(7);
  int maxWide = INT_MIN;
  for (int i = 0; i < 20000; ++i) {
    int v = RandRange(9, 3);
    ASSERT_GE(v, 3);
    ASSERT_LE(v, 9);
    maxWide = std::max(maxWide, RandRange(-100, 100000));
  }
  EXPECT_LE(maxWide, -100 + 32767);
  EXPECT_GT(maxWide, -100 + 32000);
}

}  // namespace
