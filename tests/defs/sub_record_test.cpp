#include "defs/sub_record.h"

#include <gtest/gtest.h>

#include "defs/cond.h"
#include "defs/ed_move.h"
#include "defs/ed_shot.h"
#include "defs_fixture.h"

namespace {

// The sub-records of a command, copied the way a command copies them.
struct Holder {
  boost::shared_ptr<cEdMove> move;
  boost::shared_ptr<cEdShot> shot;
  boost::shared_ptr<cCondList> conds;

  void CopyFrom(const Holder& src) {
    AssignSubRecord(move, src.move);
    AssignSubRecord(shot, src.shot);
    AssignSubRecord(conds, src.conds);
  }
};

class SubRecordTest : public DefsTest {};

TEST_F(SubRecordTest, CopiesAreIndependentOfTheirSource) {
  Holder a;
  CreateEdMove(a.move);
  CreateEdShot(a.shot);
  a.conds = CreateCondList();
  a.move->m_sSpeed = 30;
  a.shot->m_sFormParam[1] = 8;
  a.shot->m_nPower = 5;
  a.conds->m_byRule = 1;
  a.conds->m_byOption = 4;
  a.conds->m_vCond.resize(2);
  a.conds->m_vCond[1].m_nValue = 9;

  // Copying twice gives three records of each kind.
  Holder b, c;
  b.CopyFrom(a);
  c.CopyFrom(b);
  EXPECT_NE(b.move.get(), a.move.get());
  EXPECT_NE(c.move.get(), b.move.get());
  EXPECT_NE(c.shot.get(), a.shot.get());
  EXPECT_NE(c.conds.get(), a.conds.get());
  EXPECT_EQ(c.move->m_sSpeed, 30);
  EXPECT_EQ(c.shot->m_sFormParam[1], 8);
  EXPECT_EQ(c.conds->m_byOption, 4);
  ASSERT_EQ(c.conds->m_vCond.size(), 2u);
  EXPECT_EQ(c.conds->m_vCond[1].m_nValue, 9);

  b.move->m_sSpeed = 1;
  b.shot->m_nPower = 2;
  b.conds->m_vCond[1].m_nValue = 3;
  c.move->m_sSpeed = 4;
  EXPECT_EQ(a.move->m_sSpeed, 30);
  EXPECT_EQ(a.shot->m_nPower, 5);
  EXPECT_EQ(a.conds->m_vCond[1].m_nValue, 9);
  EXPECT_EQ(c.conds->m_vCond[1].m_nValue, 9);
  EXPECT_EQ(b.move->m_sSpeed, 1);

  // The copies are whole records that save like their source.
  EXPECT_EQ(Save(*c.shot), Save(*a.shot));
}

TEST_F(SubRecordTest, EmptySourcesAndSelfCopies) {
  Holder a, empty;
  CreateEdMove(a.move);
  a.move->m_sSpeed = 12;
  a.conds = CreateCondList();
  a.conds->m_vCond.resize(1);

  // Copying onto itself keeps the values (the record is replaced by an equal one).
  a.CopyFrom(a);
  ASSERT_TRUE(a.move);
  EXPECT_EQ(a.move->m_sSpeed, 12);
  EXPECT_EQ(a.conds->m_vCond.size(), 1u);
  EXPECT_FALSE(a.shot);

  // A destination sharing the source's record gets its own.
  Holder shared;
  shared.move = a.move;
  shared.CopyFrom(a);
  EXPECT_NE(shared.move.get(), a.move.get());

  a.CopyFrom(empty);
  EXPECT_FALSE(a.move);
  EXPECT_FALSE(a.conds);
}

}  // namespace
