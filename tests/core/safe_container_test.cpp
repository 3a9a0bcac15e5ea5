#include "core/safe_container.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

TEST(SafeVector, OutOfRangeIndexesAreReportedAndYieldElementZero) {
  CoreTestEnv env(true);
  cSafeVector<int> v{10, 20, 30};
  struct Case {
    int index;
    int value;
    const char* line;
  } cases[] = {{0, 10, nullptr}, {2, 30, nullptr}, {3, 10, "err V[3] ( 3 , 4 )\n"}, {-1, 10, "err V[-1] ( 3 , 4 )\n"}};
  std::string expected;
  for (const Case& c : cases) {
    EXPECT_EQ(v.CheckedAt(c.index), c.value) << c.index;
    if (c.line) {
      expected += c.line;
      EXPECT_EQ(env.TakeCloseRequests(), 1) << c.index;
    } else {
      EXPECT_EQ(env.TakeCloseRequests(), 0) << c.index;
    }
  }
  EXPECT_EQ(env.ReportText(), expected);
  EXPECT_EQ(env.ErrorText(), expected);
}

TEST(SafeVector, EmptyVectorGivesTheSpareInsteadOfThrowing) {
  CoreTestEnv env;
  cSafeVector<int> v;
  int& a = v.CheckedAt(0);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(env.ReportText(), "err V[0] ( 0 , 4 )\n");
  EXPECT_EQ(env.TakeCloseRequests(), 1);
  // The error log is off: nothing there.
  EXPECT_EQ(env.ErrorText(), "");
}

struct Rec {
  int a;
  double b;
  char name[20];
};

TEST(SafeList, OutOfRangeGivesTheSameSpareEveryTime) {
  CoreTestEnv env;
  cSafeList<Rec> l(2);
  Rec& s1 = l.CheckedListAt(2);
  s1.a = 5;
  Rec& s2 = l.CheckedListAt(-3);
  EXPECT_EQ(&s1, &s2);
  EXPECT_EQ(s2.a, 5);
  std::string line = "err L[2] ( 2 , " + std::to_string(sizeof(Rec)) + " )\n" + "err L[-3] ( 2 , " +
                     std::to_string(sizeof(Rec)) + " )\n";
  EXPECT_EQ(env.ReportText(), line);
  EXPECT_EQ(env.TakeCloseRequests(), 2);
  // In range: the element reached by walking from the first node.
  cSafeList<int> ints{7, 8, 9};
  EXPECT_EQ(ints.CheckedListAt(2), 9);
  cSafeList<int> empty;
  EXPECT_EQ(empty.CheckedListAt(0), 0);
}

TEST(SafeVector, FillSetsEveryElementAndIgnoresAnEmptyVector) {
  cSafeVector<char> bytes(3, 'x');
  bytes.Fill('a');
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "aaa");
  cSafeVector<int> empty;
  empty.Fill(5);
  EXPECT_TRUE(empty.empty());
}

}  // namespace
