#include "defs/cond.h"

#include <gtest/gtest.h>

#include <memory>

#include <climits>
#include <ostream>

#include "defs_fixture.h"
#include "support/bytes.h"

namespace {

// The members of a condition, and its body in the layout of a data version.
struct CondValues {
  uint8_t kind = 0;
  int32_t value = 0;
  int32_t randMin = 0, randMax = 0;
  uint8_t leftOwner = 0, leftStatus = 0, leftType = 0, leftBank = 0;
  int16_t index = 0;
  uint8_t rightType = 0, rightOwner = 0, rightStatus = 0, rightBank = 0;
  int16_t rightIndex = 0;
  uint8_t op = 0, percent = 0, distMode = 0;

  bool operator==(const CondValues&) const = default;

  static CondValues Of(const cCond& c) {
    return {c.m_byKind,      c.m_nValue,       c.m_nRandMin,     c.m_nRandMax,    c.m_byLeftOwner,
            c.m_byLeftStatus, c.m_byLeftType,  c.m_byLeftBank,   c.m_wIndex,      c.m_byRightType,
            c.m_byRightOwner, c.m_byRightStatus, c.m_byRightBank, c.m_wRightIndex, c.m_byOp,
            c.m_bPercent,    c.m_byDistMode};
  }

  // Before 110 the operands are two dropped 2-byte values; the percent switch exists from 43.
  std::string Body(int version) const {
    ByteWriter w;
    const bool operands = version >= 110, hasPercent = version >= 43;
    w.I32(2 + (operands ? 12 : 2) + 1 + (hasPercent ? 1 : 0) + 1);
    w.U8(kind).I32(value);
    if (operands) {
      w.I32(randMin).I32(randMax).U8(leftOwner).U8(leftStatus).U8(leftType).U8(leftBank).I16(index);
      w.U8(rightType).U8(rightOwner).U8(rightStatus).U8(rightBank).I16(rightIndex);
    } else {
      w.I16(0x1234).I16(0x5678);
    }
    w.U8(op);
    if (hasPercent) w.U8(percent);
    w.U8(distMode);
    w.I32(0);
    return w.str();
  }
};

void PrintTo(const CondValues& c, std::ostream* os) {
  *os << "{kind " << +c.kind << " value " << c.value << " rand " << c.randMin << ".." << c.randMax << " left "
      << +c.leftType << "/" << +c.leftBank << "/" << +c.leftOwner << "/" << +c.leftStatus << "/" << c.index
      << " right " << +c.rightType << "/" << +c.rightOwner << "/" << +c.rightStatus << "/" << +c.rightBank << "/"
      << c.rightIndex << " op " << +c.op << " pct " << +c.percent << " dist " << +c.distMode << "}";
}

class CondTest : public DefsTest {};

TEST_F(CondTest, BodyAt790IsThirtySixBytesInFieldOrder) {
  CondValues v{4, -5, 1, 9, 2, 3, 1, 1, 300, 2, 4, 14, 1, -2, 5, 1, 6};
  const std::string expected = v.Body(790);
  ASSERT_EQ(expected.size(), 36u);

  cCond c;
  c.m_byKind = 4, c.m_nValue = -5, c.m_nRandMin = 1, c.m_nRandMax = 9;
  c.m_byLeftOwner = 2, c.m_byLeftStatus = 3, c.m_byLeftType = 1, c.m_byLeftBank = 1, c.m_wIndex = 300;
  c.m_byRightType = 2, c.m_byRightOwner = 4, c.m_byRightStatus = 14, c.m_byRightBank = 1, c.m_wRightIndex = -2;
  c.m_byOp = 5, c.m_bPercent = 1, c.m_byDistMode = 6;
  EXPECT_EQ(Hex(Save(c)), Hex(expected));

  cCond back;
  EXPECT_EQ(Load(back, 790, expected), 0);
  EXPECT_EQ(CondValues::Of(back), v);
}

struct FixupCase {
  const char* name;
  int version;
  CondValues stored;
  CondValues expected;
};

TEST_F(CondTest, OlderFilesAreUpgradedFieldByField) {
  const FixupCase cases[] = {
      // Before 110 there are no operands: they keep the fresh record's zeros.
      {"v109 no operands", 109, {1, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1, 3},
       {1, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1, 3}},
      {"v42 no percent", 42, {1, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 1, 2},
       {1, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 2}},
      // Kind 5 of 159 is today's distance condition, with the later distance repairs.
      {"v159 kind 5", 159, {5, 4, 0, 0, 3, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 6},
       {7, 4, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 1, 0, 6}},
      {"v159 kind 4 stays", 159, {4, 4, 0, 0, 0, 0, 1, 0, 9, 0, 0, 0, 0, 0, 1, 0, 0},
       {4, 4, 0, 0, 0, 0, 1, 0, 9, 0, 0, 0, 0, 0, 1, 0, 0}},
      {"v159 kind 0x80 is negative", 159, {0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       {0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"v160 status-3 state 2 flips op", 160, {6, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0},
       {6, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0}},
      {"v161 keeps op", 161, {6, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0},
       {6, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0}},
      // Status 12 of the character itself: +1 at 168 and +1 at 203. The right status 5 of
      // target 1 only reaches the threshold of 203.
      {"v166 status 12", 166, {4, 0, 0, 0, 0, 12, 0, 0, 0, 2, 1, 5, 0, 0, 0, 0, 0},
       {4, 0, 0, 0, 0, 14, 0, 0, 0, 2, 1, 6, 0, 0, 0, 0, 0}},
      // Owner 2 was the game: its statuses stay, the owner moves to 5 at 767.
      {"v166 game status", 166, {4, 0, 0, 0, 2, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       {4, 0, 0, 0, 5, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"v167 negative status", 167, {4, 0, 0, 0, 0, 0xF0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       {4, 0, 0, 0, 0, 0xF0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"v202 status 12", 202, {4, 0, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       {4, 0, 0, 0, 0, 13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"v209 status-2 state 6", 209, {5, 0, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       {5, 0, 0, 0, 0, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"v209 status-2 state 5", 209, {5, 0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       {5, 0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"v656 distance", 656, {7, 2, 0, 0, 3, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6},
       {7, 2, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 6}},
      {"v744 distance", 744, {7, 2, 0, 0, 3, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6},
       {7, 2, 0, 0, 3, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 6}},
      {"v745 distance", 745, {7, 2, 0, 0, 3, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6},
       {7, 2, 0, 0, 3, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 6}},
      {"v746 distance", 746, {7, 2, 0, 0, 3, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6},
       {7, 2, 0, 0, 3, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6}},
      // Targets 2..4 came in before the game: owners 2 and up move by 3, negative ones stay.
      {"v766 owners", 766, {4, 0, 0, 0, 4, 0, 0, 0, 0, 2, 2, 0, 0, 0, 0, 0, 0},
       {4, 0, 0, 0, 7, 0, 0, 0, 0, 2, 5, 0, 0, 0, 0, 0, 0}},
      {"v766 owner 1 and negative", 766, {5, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0},
       {5, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0}},
      {"v766 kind 6 keeps owners", 766, {6, 0, 0, 0, 2, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0},
       {6, 0, 0, 0, 2, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0}},
      {"v767 keeps owners", 767, {4, 0, 0, 0, 2, 0, 0, 0, 0, 2, 2, 0, 0, 0, 0, 0, 0},
       {4, 0, 0, 0, 2, 0, 0, 0, 0, 2, 2, 0, 0, 0, 0, 0, 0}},
  };
  for (const FixupCase& k : cases) {
    SCOPED_TRACE(k.name);
    cCond c;
    EXPECT_EQ(Load(c, k.version, k.stored.Body(k.version)), 0);
    EXPECT_EQ(CondValues::Of(c), k.expected);
    // The record is left registered for the program's version.
    EXPECT_EQ(c.GetFieldCount(), 17);
  }
}

TEST_F(CondTest, ConditionListBefore766HoldsOnlyItsTwoBytes) {
  const std::string head = ByteWriter().I32(2).U8(1).U8(7).I32(0).str();
  const std::string marker = ByteWriter().U32(0xDEADBEEF).str();

  cCondList old;
  old.m_vCond.resize(2);
  EXPECT_EQ(Load(old, 765, head + marker), 4);
  EXPECT_EQ(old.m_byRule, 1);
  EXPECT_EQ(old.m_byOption, 7);
  EXPECT_EQ(old.m_vCond.size(), 2u);  // not part of the file: left as it was

  CondValues v;
  v.kind = 2, v.value = 10, v.op = 3;
  const std::string full = head + ByteWriter().U32(1).str() + v.Body(790);
  cCondList now;
  EXPECT_EQ(Load(now, 766, full), 0);
  ASSERT_EQ(now.m_vCond.size(), 1u);
  EXPECT_EQ(CondValues::Of(now.m_vCond[0]), v);

  // Writing always holds the list.
  EXPECT_EQ(Hex(Save(now)), Hex(full));
  cCondList empty;
  EXPECT_EQ(Hex(Save(empty)), Hex(ByteWriter().I32(2).U8(0).U8(0).I32(0).U32(0).str()));
}

TEST_F(CondTest, ACountTheFileCannotHoldIsRefused) {
  cCondList list;
  list.m_vCond.resize(3);
  const std::string body = ByteWriter().I32(2).U8(0).U8(0).I32(0).U32(0xFFFFFFFF).str();
  EXPECT_EQ(Load(list, 790, body), -1);
  EXPECT_TRUE(list.m_vCond.empty());
}

TEST(CompareByOp, Operators) {
  struct Case {
    int32_t a, b;
    int op, expected;
  } cases[] = {
      {3, 3, 0, 1},   {3, 4, 0, 0},   {3, 4, 1, 1},    {3, 3, 1, 0},  {4, 3, 2, 1},  {3, 3, 2, 1},
      {2, 3, 2, 0},   {3, 4, 3, 1},   {4, 3, 3, 0},    {4, 3, 4, 1},  {3, 3, 4, 0},  {3, 4, 5, 1},
      {3, 3, 5, 0},   {-7, 7, 6, 1},  {7, -7, 6, 1},   {5, 0, 6, 1},  {5, 3, 6, 0},  {5, 0, 7, 0},
      {5, 3, 7, 1},   {-6, 3, 7, 0},  {3, 4, 9, 0},    {3, 3, -1, 0}, {3, 3, 8, 0},
      // No trap on the extremes.
      {INT_MIN, -1, 6, 1}, {INT_MIN, -1, 7, 0}, {INT_MIN, INT_MAX, 5, 1}, {INT_MIN, 3, 6, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CompareByOp(c.a, c.b, c.op), c.expected) << c.a << " op " << c.op << " " << c.b;
}

TEST(PercentOf, RoundsHalvesAwayFromZero) {
  struct Case {
    int32_t a, b, expected;
  } cases[] = {
      {50, 3, 2}, {-50, 3, -2}, {50, -3, -2}, {10, 0, 0}, {7, 50, 4}, {-7, 50, -4},
      {1, 49, 0}, {1, 50, 1},   {200, 7, 14}, {999999, 100, 999999},
      // The product wraps at 32 bits without trapping.
      {INT_MIN, -1, 21474836},
  };
  for (const Case& c : cases) EXPECT_EQ(PercentOf(c.a, c.b), c.expected) << c.a << " % of " << c.b;
}

TEST_F(CondTest, EveryGateOfTheLayoutIsReadWhereTheFileHasIt) {
  CondValues c;
  c.kind = 1, c.value = 5, c.op = 2;
  ExpectGatesOfLayout([] { return std::make_unique<cCond>(); }, [&](int v) { return c.Body(v); }, 1);
}

}  // namespace
