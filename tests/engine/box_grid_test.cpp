// The broad phase's grid: a query gives, in ascending order and once each, every object whose
// box overlaps the box asked about (inclusive edges), whatever the boxes: touching at a cell's
// edge, given the wrong way round, huge, not finite, all on one spot or spread far apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "engine/box_grid.h"

namespace {

using Box = cBoxGrid::Box;

// The overlap the damage pass tests: inclusive edges on both axes.
bool Overlaps(const Box& a, const Box& b) {
  return a.dLeft <= b.dRight && a.dRight >= b.dLeft && a.dTop <= b.dBottom && a.dBottom >= b.dTop;
}

// Checks one query against the definition: ascending, each once, from `from` on, and holding
// every box that overlaps q (in either order of the two).
void ExpectQuery(cBoxGrid& grid, const std::vector<Box>& boxes, const Box& q, uint32_t from) {
  std::vector<uint32_t> got;
  grid.Query(q, from, got);
  for (size_t k = 1; k < got.size(); ++k) ASSERT_LT(got[k - 1], got[k]);
  for (uint32_t i : got) {
    ASSERT_GE(i, from);
    ASSERT_LT(i, boxes.size());
  }
  size_t k = 0;
  for (uint32_t i = from; i < boxes.size(); ++i) {
    while (k < got.size() && got[k] < i) ++k;
    const bool given = k < got.size() && got[k] == i;
    if (Overlaps(boxes[i], q) || Overlaps(q, boxes[i])) {
      ASSERT_TRUE(given) << "box " << i << " (" << boxes[i].dLeft << ", " << boxes[i].dTop << ", " << boxes[i].dRight
                         << ", " << boxes[i].dBottom << ") overlaps the query (" << q.dLeft << ", " << q.dTop << ", "
                         << q.dRight << ", " << q.dBottom << ") from " << from;
    }
  }
}

TEST(BoxGrid, EdgesThatTouchMeetAndEdgesOneApartDoNot) {
  // A row of 32 × 32 boxes 32 dots apart: each shares its right edge with its neighbour's left
  // edge only when they touch. Queries on every edge and a hundredth beside it.
  std::vector<Box> boxes;
  for (int i = 0; i < 40; ++i) boxes.push_back({i * 33.0, 0, i * 33.0 + 32, 32});
  cBoxGrid grid;
  grid.Build(boxes);
  for (int i = 0; i < 40; ++i) {
    const double right = i * 33.0 + 32;
    for (double x : {right, right + 0.01, right + 0.99, right + 1}) {
      SCOPED_TRACE(x);
      ExpectQuery(grid, boxes, {x, 32, x + 0.5, 40}, 0);
      std::vector<uint32_t> got;
      grid.Query({x, 32, x, 32}, 0, got);
      // The query point on box i's right edge meets box i; one dot on, at the next one's left
      // edge, it meets box i + 1.
      if (x == right) {
        EXPECT_NE(std::find(got.begin(), got.end(), static_cast<uint32_t>(i)), got.end());
      }
    }
  }
  // A query between two boxes, one hundredth from each, overlaps neither.
  std::vector<Box> two = {{0, 0, 10, 10}, {10.02, 0, 20, 10}};
  grid.Build(two);
  std::vector<uint32_t> got;
  grid.Query({10.01, 0, 10.01, 10}, 0, got);
  for (uint32_t i : got) EXPECT_FALSE(Overlaps(two[i], {10.01, 0, 10.01, 10}));
}

TEST(BoxGrid, QueriesHoldEveryOverlapForCrowdsSpreadsAndOddBoxes) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* name;
    int count;
    double spread;  // the side of the square the boxes lie in
    double size;    // the largest box side
    bool odd;       // boxes the wrong way round, huge, infinite and not numbers among them
  } cases[] = {
      {"a pile on one spot", 300, 4, 40, false},
      {"a crowd spread over a wide stage", 600, 320000, 64, false},
      {"boxes larger than their spacing", 400, 2000, 600, false},
      {"odd boxes", 300, 5000, 100, true},
      {"one box", 1, 100, 32, true},
  };
  std::mt19937 rng(20261211);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::uniform_real_distribution<double> at(-c.spread / 2, c.spread / 2);
    std::uniform_real_distribution<double> side(0, c.size);
    std::uniform_int_distribution<int> pick(0, 9);
    auto randomBox = [&]() {
      Box b{at(rng), at(rng), 0, 0};
      b.dRight = b.dLeft + side(rng);
      b.dBottom = b.dTop + side(rng);
      if (c.odd) {
        switch (pick(rng)) {
          case 0: std::swap(b.dLeft, b.dRight); break;
          case 1: b.dRight = b.dLeft + (1 << 20); break;
          case 2: b.dLeft = -inf; break;
          case 3: b.dBottom = inf; break;
          case 4: b.dTop = nan; break;
          default: break;
        }
      }
      return b;
    };
    std::vector<Box> boxes;
    for (int i = 0; i < c.count; ++i) boxes.push_back(randomBox());
    cBoxGrid grid;
    grid.Build(boxes);
    EXPECT_EQ(grid.Size(), boxes.size());
    std::uniform_int_distribution<uint32_t> from(0, static_cast<uint32_t>(c.count));
    for (int q = 0; q < 300; ++q) {
      const Box query = randomBox();
      ExpectQuery(grid, boxes, query, q % 3 == 0 ? from(rng) : 0);
      if (HasFatalFailure()) return;
    }
    // Every box asked about itself.
    for (uint32_t i = 0; i < boxes.size(); ++i) {
      ExpectQuery(grid, boxes, boxes[i], 0);
      if (HasFatalFailure()) return;
    }
  }
}

TEST(BoxGrid, AnEmptyGridGivesNothing) {
  cBoxGrid grid;
  grid.Build({});
  std::vector<uint32_t> got = {7};
  grid.Query({0, 0, 100, 100}, 0, got);
  EXPECT_TRUE(got.empty());
}

}  // namespace
