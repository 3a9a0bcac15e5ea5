#include "defs/flow.h"

#include <gtest/gtest.h>

#include <memory>

#include <string>
#include <vector>

#include "defs_fixture.h"
#include "record_bytes.h"
#include "support/bytes.h"

namespace {

std::vector<uint8_t> States(const cKeyList& k) { return std::vector<uint8_t>(k.m_vKeyState.begin(), k.m_vKeyState.end()); }

class FlowTest : public DefsTest {};

TEST_F(FlowTest, BodyAt790InFileOrder) {
  cFlow f;
  f.m_strName = "flow", f.m_byId = 3, f.m_byGroup = 26, f.m_bTestOnly = 1, f.m_byCondRule = 1, f.m_bCondOnce = 1;
  f.m_byTrigger = 20, f.m_bPartner = 1, f.m_byPartnerSlot = 2, f.m_byKeySlack = 9, f.m_bKeyRepeat = 1;
  f.m_vCond.resize(1);
  f.m_vCond[0].m_byKind = 1, f.m_vCond[0].m_nValue = -4;
  f.m_vKeyList.resize(1);
  f.m_vKeyList[0].m_vKeyState[KEYPOS_DIR_LEFT] = KEYSTATE_HELD;
  f.m_vKeyList[0].m_vKeyState[KEYPOS_BUTTON_8] = KEYSTATE_RELEASED;
  f.m_vKeyList[0].m_bFollowFacing = 1, f.m_vKeyList[0].m_wMinFrames = 2, f.m_vKeyList[0].m_wMaxFrames = 0xFFFF;
  f.m_vKeyList[0].m_bAnyLength = 1, f.m_vKeyList[0].m_byMode = 2;
  f.m_vCmd.resize(1);
  f.m_vCmd[0].m_byKind = CMD_WAIT;

  FlowBytes e;
  e.name = "flow", e.id = 3, e.group = 26, e.testOnly = 1, e.condRule = 1, e.condOnce = 1, e.trigger = 20;
  e.partner = 1, e.partnerSlot = 2, e.keySlack = 9, e.keyRepeat = 1;
  KeyListBytes k;
  k.states[1] = 1, k.states[18] = 2, k.followFacing = 1, k.minFrames = 2, k.maxFrames = 0xFFFF, k.anyLength = 1;
  k.mode = 2;
  CmdBytes wait;
  wait.kind = CMD_WAIT;
  e.conds = {CondBody(-4)}, e.keyLists = {k.Body()}, e.cmds = {wait.Body(790)};

  const std::string saved = Save(f);
  EXPECT_EQ(f.GetFieldBytes(), 10);
  EXPECT_EQ(Hex(saved), Hex(e.Body(790)));

  cFlow back;
  EXPECT_EQ(Load(back, 790, saved), 0);
  // The name is not kept at run time; everything else is.
  EXPECT_EQ(back.m_strName, "");
  e.name = "";
  EXPECT_EQ(Hex(Save(back)), Hex(e.Body(790)));

  // A new flow: key slack 3, everything else 0 or empty.
  cFlow fresh;
  EXPECT_EQ(Hex(Save(fresh)), Hex(FlowBytes().Body(790)));
}

TEST_F(FlowTest, FieldsOfEachVersionAreReadInTheirPlaces) {
  for (int version : {675, 676, 761, 762, 766, 767, 790}) {
    SCOPED_TRACE(version);
    cFlow layout;
    layout.Register(version);
    EXPECT_EQ(layout.GetFieldBytes(), 8 + (version >= 762) + (version >= 767));
    EXPECT_EQ(layout.GetStringCount(), version >= 676 ? 1 : 0);
    FlowBytes b;
    b.id = 4, b.group = 5, b.trigger = 0, b.partner = 1, b.partnerSlot = 3, b.keySlack = 11, b.keyRepeat = 1;
    b.name = "n";
    cFlow f;
    // Members the file does not hold are those of a new flow, whatever the record held.
    f.m_bPartner = 1, f.m_byPartnerSlot = 2, f.m_strName = "old";
    EXPECT_EQ(Load(f, version, b.Body(version)), 0);
    EXPECT_EQ(f.m_byId, 4);
    EXPECT_EQ(f.m_byGroup, 5);
    EXPECT_EQ(f.m_bPartner, version >= 762 ? 1 : 0);
    EXPECT_EQ(f.m_byPartnerSlot, version >= 767 ? 3 : 0);
    EXPECT_EQ(f.m_byKeySlack, 11);
    EXPECT_EQ(f.m_bKeyRepeat, 1);
    EXPECT_EQ(f.m_strName, "");
  }
}

TEST_F(FlowTest, TriggersOfOlderFilesAreRenumbered) {
  struct Case {
    int version;
    uint8_t trigger, group;
    uint8_t expectedTrigger, expectedGroup;
  } cases[] = {
      // 131 and older: 11 → 12; before 163 a flow with a trigger has no group; before 164 → 14.
      {131, 11, 2, 14, 0},
      {131, 10, 2, 12, 0},
      {131, 0, 2, 0, 2},
      {132, 11, 2, 13, 0},
      {162, 3, 4, 3, 0},
      {163, 3, 4, 3, 4},
      {163, 5, 4, 7, 4},
      {164, 5, 4, 5, 4},
      // Before 762 triggers from 18 move up by 3 (18 was "ステージ開始前").
      {700, 18, 1, 21, 1},
      {700, 19, 1, 22, 1},
      {700, 17, 1, 17, 1},
      {761, 18, 1, 21, 1},
      {762, 18, 1, 18, 1},
      // The compare is signed: 200 is a negative trigger and stays.
      {700, 200, 1, 200, 1},
      {790, 11, 2, 11, 2},
  };
  for (const Case& c : cases) {
    FlowBytes b;
    b.trigger = c.trigger, b.group = c.group;
    cFlow f;
    EXPECT_EQ(Load(f, c.version, b.Body(c.version)), 0);
    EXPECT_EQ(f.m_byTrigger, c.expectedTrigger) << c.version << " trigger " << +c.trigger;
    EXPECT_EQ(f.m_byGroup, c.expectedGroup) << c.version << " trigger " << +c.trigger;
  }
}

TEST_F(FlowTest, KeyConditionsHoldExactly19States) {
  struct Case {
    size_t stored;
  } cases[] = {{12}, {19}, {25}, {0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    KeyListBytes first, second;
    first.states.clear();
    for (size_t i = 0; i < c.stored; ++i) first.states.push_back(static_cast<uint8_t>(1 + i % 2));
    first.mode = 1;
    // The record after a long list is read in its place.
    second.followFacing = 1, second.minFrames = 300, second.maxFrames = 400, second.anyLength = 1, second.mode = 2;
    second.states[5] = 1;
    FlowBytes b;
    b.keyLists = {first.Body(), second.Body()};
    cFlow f;
    EXPECT_EQ(Load(f, 790, b.Body(790)), 0);
    ASSERT_EQ(f.m_vKeyList.size(), 2u);
    std::vector<uint8_t> expected(19, 0);
    for (size_t i = 0; i < 19 && i < c.stored; ++i) expected[i] = static_cast<uint8_t>(1 + i % 2);
    EXPECT_EQ(States(f.m_vKeyList[0]), expected);
    EXPECT_EQ(f.m_vKeyList[0].m_byMode, 1);
    const cKeyList& k = f.m_vKeyList[1];
    EXPECT_EQ(k.m_bFollowFacing, 1);
    EXPECT_EQ(k.m_wMinFrames, 300);
    EXPECT_EQ(k.m_wMaxFrames, 400);
    EXPECT_EQ(k.m_bAnyLength, 1);
    EXPECT_EQ(k.m_byMode, 2);
    EXPECT_EQ(k.m_vKeyState[5], 1);
    // Written back with 19 states.
    KeyListBytes written = first;
    written.states = expected;
    b.keyLists = {written.Body(), second.Body()};
    EXPECT_EQ(Hex(Save(f)), Hex(b.Body(790)));
  }

  // Resize keeps the states it has and completes them with "--".
  cKeyList k;
  k.m_vKeyState.assign(3, KEYSTATE_HELD);
  k.m_byMode = 2;
  k.Resize();
  EXPECT_EQ(States(k), std::vector<uint8_t>({1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(k.m_byMode, 0);
}

TEST_F(FlowTest, GroupAndPartnerSlotAreClampedAndLogged) {
  struct Case {
    uint8_t group, slot, expectedGroup, expectedSlot;
  } cases[] = {{26, 3, 26, 3}, {27, 4, 26, 3}, {255, 200, 26, 3}, {0, 0, 0, 0}};
  for (const Case& c : cases) {
    FlowBytes b;
    b.group = c.group, b.partnerSlot = c.slot;
    cFlow f;
    EXPECT_EQ(Load(f, 790, b.Body(790)), 0);
    EXPECT_EQ(f.m_byGroup, c.expectedGroup) << +c.group;
    EXPECT_EQ(f.m_byPartnerSlot, c.expectedSlot) << +c.slot;
  }
  EXPECT_NE(env.ReportText().find("cFlow: m_byGroup 27 is out of range and was set to 26"), std::string::npos);
  EXPECT_NE(env.ReportText().find("cFlow: m_byPartnerSlot 200 is out of range and was set to 3"), std::string::npos);
}

TEST_F(FlowTest, FlowListsAndTestOnlyFlows) {
  // A list of four, two of them test-only.
  ByteWriter w;
  w.U32(4);
  for (uint8_t id : {1, 2, 3, 4}) {
    FlowBytes b;
    b.id = id, b.testOnly = id % 2 == 0;
    w.Bytes(b.Body(790));
  }
  cSafeVector<cFlow> list(7);
  EXPECT_EQ(ReadFile(790, w.str(), [&](FILE* fp) { LoadFlowList(list, fp); }), 0);
  ASSERT_EQ(list.size(), 4u);
  RemoveMarkedFlows(list);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].m_byId, 1);
  EXPECT_EQ(list[1].m_byId, 3);

  // A count of 0 empties the list.
  EXPECT_EQ(ReadFile(790, ByteWriter().U32(0).str(), [&](FILE* fp) { LoadFlowList(list, fp); }), 0);
  EXPECT_TRUE(list.empty());
}

TEST_F(FlowTest, CopiesAreDeepAndMayComeFromInside) {
  cFlow a;
  a.m_byId = 1;
  a.m_vCond.resize(1);
  a.m_vKeyList.resize(2);
  a.m_vKeyList[1].m_vKeyState[3] = 2;
  a.m_vCmd.resize(1);
  CreateEdShot(a.m_vCmd[0].m_pShot);
  a.m_vCmd[0].m_pShot->m_sSpeed = 8;
  a.m_vCmd[0].m_vFlow.resize(2);
  a.m_vCmd[0].m_vFlow[1].m_byId = 9;

  cFlow b(a);
  EXPECT_NE(b.m_vCmd[0].m_pShot.get(), a.m_vCmd[0].m_pShot.get());
  b.m_vCmd[0].m_pShot->m_sSpeed = 1;
  b.m_vKeyList[1].m_vKeyState[3] = 0;
  EXPECT_EQ(a.m_vCmd[0].m_pShot->m_sSpeed, 8);
  EXPECT_EQ(a.m_vKeyList[1].m_vKeyState[3], 2);

  cSafeVector<cFlow> list(1), copy(5);
  list[0] = a;
  AssignFlowList(copy, list);
  ASSERT_EQ(copy.size(), 1u);
  EXPECT_EQ(copy[0].m_vCmd[0].m_pShot->m_sSpeed, 8);
  EXPECT_NE(copy[0].m_vCmd[0].m_pShot.get(), list[0].m_vCmd[0].m_pShot.get());

  // A flow assigned from a flow of its own commands, and a list from flows inside it.
  a = a.m_vCmd[0].m_vFlow[1];
  EXPECT_EQ(a.m_byId, 9);
  EXPECT_TRUE(a.m_vCmd.empty());
  AssignFlowList(list, list[0].m_vCmd[0].m_vFlow);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1].m_byId, 9);
}

TEST_F(FlowTest, HostileCountsAreRefused) {
  const std::string fields = FlowBytes().Body(790).substr(0, 4 + 10 + 4 + 4);
  const std::string counts[] = {
      ByteWriter().Bytes(fields).U32(0x10000000).str(),
      ByteWriter().Bytes(fields).U32(0).U32(0xFFFFFFFF).str(),
      ByteWriter().Bytes(fields).U32(0).U32(1).I32(5).Zeros(7).I32(0).U32(0x7FFFFFFF).str(),
      ByteWriter().Bytes(fields).U32(0).U32(0).U32(0x20000000).str(),
  };
  for (const std::string& body : counts) {
    cFlow f;
    f.m_vCond.resize(3);
    EXPECT_EQ(Load(f, 790, body), -1);
    EXPECT_TRUE(f.m_vCond.empty());
    EXPECT_TRUE(f.m_vCmd.empty());
  }
}

TEST(FlowEmptiness, OnlyAFlowThatDoesNothingIsEmpty) {
  EXPECT_TRUE(cFlow().IsEmpty());
  struct Case {
    const char* name;
    void (*set)(cFlow&);
  } cases[] = {
      {"id", [](cFlow& f) { f.m_byId = 1; }},
      {"group", [](cFlow& f) { f.m_byGroup = 1; }},
      {"trigger", [](cFlow& f) { f.m_byTrigger = TRIGGER_NONE; }},
      {"condition", [](cFlow& f) { f.m_vCond.resize(1); }},
      {"key condition", [](cFlow& f) { f.m_vKeyList.resize(1); }},
      {"command", [](cFlow& f) { f.m_vCmd.resize(1); }},
  };
  for (const Case& c : cases) {
    cFlow f;
    c.set(f);
    EXPECT_FALSE(f.IsEmpty()) << c.name;
  }
  // Options alone do not make a flow do anything.
  cFlow options;
  options.m_byKeySlack = 0, options.m_bKeyRepeat = 1, options.m_bPartner = 1, options.m_bTestOnly = 1;
  EXPECT_TRUE(options.IsEmpty());
}

// A flow holding a command with a movement, a shot and a condition list.
TEST_F(FlowTest, EveryGateOfTheLayoutIsReadWhereTheFileHasIt) {
  ExpectGatesOfLayout([] { return std::make_unique<cFlow>(); }, [](int v) {
    FlowBytes f;
    f.id = 3, f.name = "flow";
    f.keyLists = {KeyListBytes().Body()};
    f.cmds = {CmdWithPartsBody(v)};
    return f.Body(v);
  });
}

}  // namespace
