#include "defs/flow_cmd.h"

#include <gtest/gtest.h>

#include <memory>

#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "defs/flow.h"
#include "defs_fixture.h"
#include "record_bytes.h"
#include "support/bytes.h"

namespace {

std::vector<int32_t> Params(const cFlowCmd& c) { return std::vector<int32_t>(c.m_vParam.begin(), c.m_vParam.end()); }

std::vector<int32_t> Range(int32_t first, int32_t last) {
  std::vector<int32_t> v;
  for (int32_t i = first; i <= last; ++i) v.push_back(i);
  return v;
}

CmdBytes Cmd(uint8_t selector, int8_t kind, std::vector<int32_t> params) {
  CmdBytes c;
  c.selector = selector, c.kind = kind, c.params = std::move(params);
  return c;
}

class FlowCmdTest : public DefsTest {
 protected:
  void SetUp() override {
    DefsTest::SetUp();
    // Large enough that no repair of a database reference interferes.
    for (int& n : g_DefContext.anDbListSize) n = 100;
  }
};

TEST(CmdKindTables, ListKindsAreTheFlowKindsFromStageClear) {
  ASSERT_EQ(CMD_KIND_COUNT, 40);
  ASSERT_EQ(LISTCMD_KIND_COUNT, 25);
  EXPECT_STREQ(g_CmdKindTable[CMD_MESSAGE].m_lpszName, "メッセージ");
  EXPECT_EQ(g_CmdKindTable[CMD_STATUS].m_nParamCount, 18);
  EXPECT_EQ(g_CmdKindTable[CMD_SET_TARGET].m_nParamCount, 16);
  EXPECT_STREQ(g_ListCmdKindTable[LISTCMD_CHANGE_FLOW].m_lpszName, "フローの変更");
  EXPECT_EQ(g_ListCmdKindTable[LISTCMD_CHANGE_FLOW].m_nParamCount, 2);
  for (int k = 2; k < LISTCMD_KIND_COUNT; ++k) {
    EXPECT_STREQ(g_ListCmdKindTable[k].m_lpszName, g_CmdKindTable[k + 15].m_lpszName) << k;
    EXPECT_EQ(g_ListCmdKindTable[k].m_nParamCount, g_CmdKindTable[k + 15].m_nParamCount) << k;
    EXPECT_EQ(FlowKindOf(1, k), k + 15);
  }
  EXPECT_EQ(FlowKindOf(1, 0), CMD_NONE);
  EXPECT_EQ(FlowKindOf(1, 1), -1);
  EXPECT_EQ(FlowKindOf(7, 25), -1);
  EXPECT_EQ(FlowKindOf(0, 12), 12);
  // Any selector but 0 chooses the list table; kinds outside a table have no entry.
  EXPECT_EQ(GetCmdKindInfo(0, 39), &g_CmdKindTable[39]);
  EXPECT_EQ(GetCmdKindInfo(255, 24), &g_ListCmdKindTable[24]);
  EXPECT_EQ(GetCmdKindInfo(0, 40), nullptr);
  EXPECT_EQ(GetCmdKindInfo(0, -1), nullptr);
  EXPECT_EQ(GetCmdKindInfo(1, 25), nullptr);
}

TEST_F(FlowCmdTest, BodyAt790InFileOrder) {
  cFlowCmd c;
  c.m_bySelector = 0, c.m_byKind = CMD_FLOW_OPERATION, c.m_sTime = 30, c.m_sTimePerClone = -2, c.m_bZeroTime = 1;
  c.m_sSound = 7, c.m_bSoundOnScreen = 0, c.m_sAnime = 9, c.m_strText = "code";
  c.m_vParam = {1, 2, 3, 4};
  CreateEdMove(c.m_pMove);
  c.m_pMove->m_sSpeed = 44;
  c.m_pCondList = CreateCondList();
  c.m_pCondList->m_byRule = 1, c.m_pCondList->m_byOption = 2;
  c.m_pCondList->m_vCond.resize(1);
  c.m_pCondList->m_vCond[0].m_byKind = 1, c.m_pCondList->m_vCond[0].m_nValue = 5;
  c.m_vFlow.resize(1);
  c.m_vFlow[0].m_byTrigger = 22;

  MoveBytes move;
  move.speed = 44;
  FlowBytes nested;
  nested.trigger = 22;
  CmdBytes e = Cmd(0, CMD_FLOW_OPERATION, {1, 2, 3, 4});
  e.time = 30, e.timePerClone = -2, e.zeroTime = 1, e.sound = 7, e.soundOnScreen = 0, e.anime = 9, e.text = "code";
  e.move = move.Body(790), e.condList = CondListBody(790, 1, 2, {CondBody(5)}), e.flows = {nested.Body(790)};

  const std::string saved = Save(c);
  EXPECT_EQ(c.GetFieldBytes(), 12);
  EXPECT_EQ(Hex(saved), Hex(e.Body(790)));

  cFlowCmd back;
  EXPECT_EQ(Load(back, 790, saved), 0);
  EXPECT_EQ(Hex(Save(back)), Hex(saved));
  ASSERT_TRUE(back.m_pMove && back.m_pCondList);
  EXPECT_FALSE(back.m_pShot);
  EXPECT_EQ(back.m_pMove->m_sSpeed, 44);
  ASSERT_EQ(back.m_vFlow.size(), 1u);
  EXPECT_EQ(back.m_vFlow[0].m_byTrigger, 22);

  // A new command: no sub-records, sound on screen, the condition-list part written absent.
  cFlowCmd fresh;
  EXPECT_EQ(Hex(Save(fresh)), Hex(CmdBytes().Body(790)));
}

// Every step of the upgrade of older commands, with list commands under their list kinds. A row
// gives the stored command of its version and what it loads as: the kind, the parameters (after
// the sizing to the kind's count), and any check of the sub-records.
TEST_F(FlowCmdTest, UpgradesOfOlderFiles) {
  struct Row {
    const char* name;
    int version;
    CmdBytes stored;
    int8_t kind;
    std::vector<int32_t> params;
    std::function<void(const cFlowCmd&)> check = nullptr;
  };
  auto message = [](int32_t p0) {
    std::vector<int32_t> p = Range(100, 117);
    p[0] = p0;
    return p;
  };
  auto status = [](int32_t p0, int32_t p3, int32_t p4, int32_t p6, int32_t p12, int32_t p13) {
    std::vector<int32_t> p(18, 0);
    p[0] = p0, p[3] = p3, p[4] = p4, p[6] = p6, p[12] = p12, p[13] = p13;
    return p;
  };
  auto withMove = [](CmdBytes c, const MoveBytes& m, int v) {
    c.move = m.Body(v);
    return c;
  };
  auto withShot = [](CmdBytes c, const ShotBytes& s, int v) {
    c.shot = s.Body(v);
    return c;
  };
  MoveBytes charge;
  charge.angle = 30, charge.angleStep = 4, charge.mirrorAngle = 0;
  MoveBytes warp2, warp1;
  warp2.goalMode = 2, warp1.goalMode = 1;
  ShotBytes shot118, shot5;
  shot118.graphic = 118, shot5.graphic = 5;

  const Row rows[] = {
      // 145: the stage clear holds 9 parameters.
      {"v144 stage clear", 144, Cmd(0, 17, Range(1, 11)), 17, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"v144 list stage clear", 144, Cmd(1, 2, Range(1, 11)), 2, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
      // 166: music gets its second parameter 1 (old kind 35 is today's 36).
      {"v165 music", 165, Cmd(0, 35, {4}), 36, {4, 1}},
      {"v165 list music", 165, Cmd(1, 20, {4, 0}), 21, {4, 1}},
      // 168 and 203: character statuses inserted at 10 and at 5; owner 2 was the system then.
      {"v167 status at 10", 167, Cmd(0, 22, status(0, 0, 10, 2, 0, 10)), 22, status(0, 0, 12, 2, 0, 12)},
      {"v167 status at 9", 167, Cmd(0, 22, status(0, 1, 9, 2, 1, 9)), 22, status(0, 1, 10, 2, 1, 10)},
      // (Owner 2 then moves to 5 at 767.)
      {"v167 system status", 167, Cmd(0, 22, status(0, 2, 10, 2, 2, 10)), 22, status(0, 5, 10, 2, 5, 10)},
      {"v167 variable", 167, Cmd(0, 22, status(1, 0, 10, 0, 0, 10)), 22, status(1, 0, 10, 0, 0, 10)},
      {"v202 status at 5", 202, Cmd(0, 22, status(0, 0, 5, 2, 0, 4)), 22, status(0, 0, 6, 2, 0, 4)},
      {"v202 list status", 202, Cmd(1, 7, status(0, 0, 5, 2, 0, 7)), 7, status(0, 0, 6, 2, 0, 8)},
      // 189: the target gets a parameter at 2 (then 747 and 767 apply as well).
      {"v188 target", 188, Cmd(0, 21, Range(1, 15)), 21, {0, 1, 2, 0, 3, 4, 5, 6, 7, 8, 9, 0, 1, 12, 13, 0}},
      {"v188 list target", 188, Cmd(1, 6, Range(1, 15)), 6, {0, 1, 2, 0, 3, 4, 5, 6, 7, 8, 9, 0, 1, 12, 13, 0}},
      // 194: the picture gets 1 at 6 (old kind 31 is today's 32); 545, 547 and 723 follow.
      {"v193 picture", 193, Cmd(0, 31, Range(1, 14)), 32, {1, 2, 3, 4, 5, 6, 1, 7, 8, 9, 10, 0, 0, 0, 0}},
      {"v193 list picture", 193, Cmd(1, 16, Range(1, 14)), 17, {1, 2, 3, 4, 5, 6, 1, 7, 8, 9, 10, 0, 0, 0, 0}},
      // 195: character and screen effects get 0 at 1 (old kinds 29, 30 are today's 30, 31).
      {"v194 character effect", 194, Cmd(0, 29, {5, 6}), 30, {5, 0, 6}},
      {"v194 screen effect", 194, Cmd(0, 30, {5, 6, 7}), 31, {5, 0, 6}},
      {"v194 list screen effect", 194, Cmd(1, 15, {5, 6}), 16, {5, 0, 6}},
      // 203: summons lose their parameters; the flow operation holds 4 (then 760 and 764).
      {"v202 character summon", 202, Cmd(0, 14, {1, 2, 3}), 14, {}},
      {"v202 item summon", 202, Cmd(0, 15, {1}), 15, {}},
      {"v202 flow operation", 202, Cmd(0, 16, Range(1, 6)), 16, {1, 2, 3, 0},
       [](const cFlowCmd& c) { EXPECT_TRUE(c.m_pCondList); }},
      // 210: a state inserted at 6 of the second status operation.
      {"v209 state 6", 209, Cmd(0, 23, {0, 6, 9}), 23, {0, 7, 9}},
      {"v209 state 5", 209, Cmd(0, 23, {0, 5, 9}), 23, {0, 5, 9}},
      {"v209 system owner", 209, Cmd(0, 23, {2, 6, 9}), 23, {5, 6, 9}},
      {"v209 list state 6", 209, Cmd(1, 8, {1, 8, 9}), 8, {1, 9, 9}},
      // Raising the largest value wraps as the stored arithmetic does, without overflowing.
      {"v209 state at the limit", 209, Cmd(0, 23, {0, INT32_MAX, 9}), 23, {0, INT32_MIN, 9}},
      // 219: shot graphics of the graphic change (old kind 25 is today's 26), at most 119.
      {"v218 shot graphic", 218, Cmd(0, 25, {3, 5, 7}), 26, {3, 6, 7}},
      {"v218 shot graphic 118", 218, Cmd(0, 25, {3, 118, 7}), 26, {3, 119, 7}},
      {"v218 shot graphic 119", 218, Cmd(0, 25, {3, 119, 7}), 26, {3, 119, 7}},
      {"v218 block graphic", 218, Cmd(0, 25, {2, 5, 7}), 26, {2, 5, 7}},
      {"v218 list shot graphic", 218, Cmd(1, 10, {3, 5, 7}), 11, {3, 6, 7}},
      {"v219 shot graphic", 219, Cmd(0, 25, {3, 5, 7}), 26, {3, 5, 7}},
      // 220: the shot record's graphic, at most 119.
      {"v219 shot", 219, withShot(Cmd(0, 11, {}), shot118, 219), 11, {},
       [](const cFlowCmd& c) { EXPECT_EQ(c.m_pShot->m_sGraphic, 119); }},
      {"v219 shot 5", 219, withShot(Cmd(0, 11, {}), shot5, 219), 11, {},
       [](const cFlowCmd& c) { EXPECT_EQ(c.m_pShot->m_sGraphic, 6); }},
      {"v219 summon keeps graphic", 219, withShot(Cmd(0, 13, {}), shot5, 219), 13, {},
       [](const cFlowCmd& c) { EXPECT_EQ(c.m_pShot->m_sGraphic, 5); }},
      {"v220 shot", 220, withShot(Cmd(0, 11, {}), shot5, 220), 11, {},
       [](const cFlowCmd& c) { EXPECT_EQ(c.m_pShot->m_sGraphic, 5); }},
      {"v219 shot without record", 219, Cmd(0, 11, {}), 11, {}, [](const cFlowCmd& c) { EXPECT_FALSE(c.m_pShot); }},
      // 514: the charge movement's angle.
      {"v513 charge", 513, withMove(Cmd(0, 5, {}), charge, 513), 5, {},
       [](const cFlowCmd& c) {
         EXPECT_EQ(c.m_pMove->m_sAngle, 0);
         EXPECT_EQ(c.m_pMove->m_sAngleStep, 0);
         EXPECT_EQ(c.m_pMove->m_bMirrorAngle, 1);
       }},
      {"v514 charge", 514, withMove(Cmd(0, 5, {}), charge, 514), 5, {},
       [](const cFlowCmd& c) {
         EXPECT_EQ(c.m_pMove->m_sAngle, 30);
         EXPECT_EQ(c.m_pMove->m_sAngleStep, 4);
         EXPECT_EQ(c.m_pMove->m_bMirrorAngle, 0);
       }},
      {"v513 line move", 513, withMove(Cmd(0, 2, {}), charge, 513), 2, {},
       [](const cFlowCmd& c) { EXPECT_EQ(c.m_pMove->m_sAngle, 30); }},
      // 545, 546, 547, 556, 723: the message's parameters 10..17.
      {"v544 message", 544, Cmd(0, 19, message(3)), 19,
       {3, 101, 102, 103, 104, 105, 106, 107, 108, 109, 0, 0, 0, 0, 1, 0, 1, 0}},
      {"v544 message 7", 544, Cmd(0, 19, {7}), 19, {7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0}},
      {"v545 message 0", 545, Cmd(0, 19, message(0)), 19,
       {0, 101, 102, 103, 104, 105, 106, 107, 108, 109, 1, 0, 0, 0, 1, 0, 1, 0}},
      {"v546 message", 546, Cmd(0, 19, message(3)), 19,
       {3, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 0, 0, 0, 1, 0, 1, 0}},
      {"v555 message", 555, Cmd(0, 19, message(3)), 19,
       {3, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 1, 0}},
      {"v722 message", 722, Cmd(0, 19, message(3)), 19,
       {3, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116, 0}},
      {"v544 list message", 544, Cmd(1, 4, message(7)), 4,
       {7, 101, 102, 103, 104, 105, 106, 107, 108, 109, 1, 0, 0, 0, 1, 0, 1, 0}},
      // 545, 547, 723: the picture's parameters 11..14.
      {"v544 picture", 544, Cmd(0, 31, Range(1, 15)), 32, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0, 0, 0, 0}},
      {"v546 picture", 546, Cmd(0, 31, Range(1, 15)), 32, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 0, 0}},
      {"v722 picture", 722, Cmd(0, 31, Range(1, 15)), 32, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0}},
      // 722: a stage-clear mode inserted at 2.
      {"v721 stage clear 2", 721, Cmd(0, 17, {2}), 17, {3, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"v721 stage clear 1", 721, Cmd(0, 17, {1}), 17, {1, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"v721 list stage clear", 721, Cmd(1, 2, {5}), 2, {6, 0, 0, 0, 0, 0, 0, 0, 0}},
      // 726, 727: arranges were of the shot command (old kind 37 is today's 38); the shot's
      // parameter numbers gained places at 2, 3, 4, 14, 15, 16, 17.
      {"v725 arrange", 725, Cmd(0, 37, {5, 3, 7, 8, 9, 10}), 38, {11, 6, 7, 8, 9}},
      {"v726 arrange 3", 726, Cmd(0, 37, {11, 3}), 38, {11, 6, 0, 0, 0}},
      {"v726 arrange 11", 726, Cmd(0, 37, {11, 11}), 38, {11, 18, 0, 0, 0}},
      {"v726 arrange 13", 726, Cmd(0, 37, {11, 13}), 38, {11, 20, 0, 0, 0}},
      {"v726 arrange 1", 726, Cmd(0, 37, {11, 1}), 38, {11, 1, 0, 0, 0}},
      {"v726 arrange 2", 726, Cmd(0, 37, {11, 2}), 38, {11, 5, 0, 0, 0}},
      {"v726 arrange of another kind", 726, Cmd(0, 37, {12, 3}), 38, {12, 3, 0, 0, 0}},
      {"v726 list arrange", 726, Cmd(1, 22, {11, 3}), 23, {11, 6, 0, 0, 0}},
      {"v727 arrange", 727, Cmd(0, 37, {11, 3}), 38, {11, 3, 0, 0, 0}},
      // 734: kinds from 24 move up ("消滅" came in); arranges name flow kinds.
      {"v733 kind 30", 733, Cmd(0, 30, {1, 2, 3}), 31, {1, 2, 3}},
      {"v733 kind 24", 733, Cmd(0, 24, {1, 2}), 25, {1, 2}},
      {"v733 kind 23", 733, Cmd(0, 23, {1, 2, 3}), 23, {1, 2, 3}},
      {"v733 kind 38", 733, Cmd(0, 38, {1, 2}), 39, {1, 2}},
      {"v733 arrange of kind 24", 733, Cmd(0, 37, {24, 1}), 38, {25, 1, 0, 0, 0}},
      {"v733 arrange of kind 23", 733, Cmd(0, 37, {23, 1}), 38, {23, 1, 0, 0, 0}},
      {"v733 list kind 9", 733, Cmd(1, 9, {1, 2}), 10, {1, 2}},
      {"v733 list kind 8", 733, Cmd(1, 8, {1, 2, 3}), 8, {1, 2, 3}},
      {"v733 list kind 1", 733, Cmd(1, 1, {1, 2}), 1, {1, 2}},
      {"v733 list arrange", 733, Cmd(1, 22, {30, 1}), 23, {31, 1, 0, 0, 0}},
      {"v734 kind 30", 734, Cmd(0, 30, {1, 2, 3}), 30, {1, 2, 3}},
      // 747: target parameters 10, 11 and 14.
      {"v746 target", 746, Cmd(0, 21, Range(1, 16)), 21, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 1, 13, 14, 0}},
      // 760, 764: the flow operation's parameter 3 and its condition gate.
      {"v759 flow operation", 759, Cmd(0, 16, {1, 2, 3, 9}), 16, {1, 2, 3, 0},
       [](const cFlowCmd& c) { EXPECT_TRUE(c.m_pCondList); }},
      {"v763 flow operation", 763, Cmd(0, 16, {1, 2, 3, 9}), 16, {1, 2, 3, 9},
       [](const cFlowCmd& c) {
         ASSERT_TRUE(c.m_pCondList);
         EXPECT_EQ(c.m_pCondList->m_byRule, 0);
         EXPECT_TRUE(c.m_pCondList->m_vCond.empty());
       }},
      {"v763 other kind", 763, Cmd(0, 17, {}), 17, {0, 0, 0, 0, 0, 0, 0, 0, 0},
       [](const cFlowCmd& c) { EXPECT_FALSE(c.m_pCondList); }},
      {"v764 flow operation", 764, Cmd(0, 16, {1, 2, 3, 9}), 16, {1, 2, 3, 9},
       [](const cFlowCmd& c) { EXPECT_FALSE(c.m_pCondList); }},
      // 767: targets 2..4 came in after target 1.
      {"v766 turn 4", 766, Cmd(0, 9, {4}), 9, {10}},
      {"v766 turn 3", 766, Cmd(0, 9, {3}), 9, {3}},
      {"v766 warp", 766, withMove(Cmd(0, 20, {}), warp2, 766), 20, {},
       [](const cFlowCmd& c) { EXPECT_EQ(c.m_pMove->m_byGoalMode, 5); }},
      {"v766 warp 1", 766, withMove(Cmd(0, 20, {}), warp1, 766), 20, {},
       [](const cFlowCmd& c) { EXPECT_EQ(c.m_pMove->m_byGoalMode, 1); }},
      {"v766 list warp", 766, withMove(Cmd(1, 5, {}), warp2, 766), 5, {},
       [](const cFlowCmd& c) { EXPECT_EQ(c.m_pMove->m_byGoalMode, 5); }},
      {"v766 target", 766, Cmd(0, 21, Range(1, 16)), 21, Range(0, 15)},
      {"v766 status owners", 766, Cmd(0, 22, status(0, 2, 1, 2, 3, 1)), 22, status(0, 5, 1, 2, 6, 1)},
      {"v766 status owner 1", 766, Cmd(0, 22, status(0, 1, 1, 0, 3, 1)), 22, status(0, 1, 1, 0, 3, 1)},
      {"v766 list status owners", 766, Cmd(1, 7, status(0, 2, 1, 2, 2, 1)), 7, status(0, 5, 1, 2, 5, 1)},
      {"v766 status2 owner", 766, Cmd(0, 23, {2, 1, 0}), 23, {5, 1, 0}},
      {"v766 status2 owner 1", 766, Cmd(0, 23, {1, 1, 0}), 23, {1, 1, 0}},
      {"v766 list status2 owner", 766, Cmd(1, 8, {3, 1, 0}), 8, {6, 1, 0}},
      // The current version changes nothing.
      {"v790 turn", 790, Cmd(0, 9, {4}), 9, {4}},
      {"v790 message", 790, Cmd(0, 19, message(3)), 19, message(3)},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    cFlowCmd c;
    EXPECT_EQ(Load(c, r.version, r.stored.Body(r.version)), 0);
    EXPECT_EQ(c.m_bySelector, r.stored.selector);
    EXPECT_EQ(c.m_byKind, r.kind);
    EXPECT_EQ(Params(c), r.params);
    if (r.check) r.check(c);
  }
}

TEST_F(FlowCmdTest, ParametersAreSizedToTheKind) {
  struct Case {
    uint8_t selector;
    int8_t kind;
    size_t stored, expected;
  } cases[] = {{0, CMD_MESSAGE, 20, 18}, {0, CMD_MESSAGE, 3, 18}, {0, CMD_WAIT, 5, 0}, {1, LISTCMD_CHANGE_FLOW, 0, 2},
               {1, 4, 20, 18}, {9, 24, 1, 2}};
  for (const Case& c : cases) {
    cFlowCmd cmd;
    EXPECT_EQ(Load(cmd, 790, Cmd(c.selector, c.kind, Range(1, static_cast<int32_t>(c.stored))).Body(790)), 0);
    ASSERT_EQ(cmd.m_vParam.size(), c.expected) << +c.selector << "/" << +c.kind;
    // The stored values keep their places; new ones are 0.
    for (size_t i = 0; i < c.expected; ++i) EXPECT_EQ(cmd.m_vParam[i], i < c.stored ? static_cast<int32_t>(i + 1) : 0);
  }
}

TEST_F(FlowCmdTest, KindsOutsideTheirTableLoadAsTheEmptyKind) {
  struct Case {
    int version;
    uint8_t selector;
    int8_t kind;
  } cases[] = {{790, 0, 40}, {790, 0, -1}, {790, 0, 127}, {790, 0, -128}, {790, 1, 25}, {790, 200, -3},
               // Kind 39 did not exist before 734 and moves beyond the table.
               {733, 0, 39}, {733, 0, 127}, {733, 1, 24}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.version << " " << +c.selector << "/" << +c.kind);
    cFlowCmd cmd;
    EXPECT_EQ(Load(cmd, c.version, Cmd(c.selector, c.kind, {1, 2, 3}).Body(c.version)), 0);
    EXPECT_EQ(cmd.m_byKind, 0);
    EXPECT_EQ(cmd.m_bySelector, c.selector);
    EXPECT_TRUE(cmd.m_vParam.empty());
  }
  EXPECT_NE(env.ReportText().find("cFlowCmd: kind 40 of table 0 is out of range"), std::string::npos) << env.ReportText();
  EXPECT_NE(env.ReportText().find("cFlowCmd: kind -3 of table 1 is out of range"), std::string::npos);

  // A kind set in memory is repaired before it is written.
  cFlowCmd bad;
  bad.m_byKind = 45;
  bad.m_vParam = {1};
  EXPECT_EQ(Hex(Save(bad)), Hex(CmdBytes().Body(790)));
}

TEST_F(FlowCmdTest, DatabaseReferencesAreRepaired) {
  g_DefContext.anDbListSize[DBLIST_ANIME] = 4;
  g_DefContext.anDbListSize[DBLIST_SOUND] = 3;
  g_DefContext.anDbListSize[DBLIST_ANIMESET] = 2;
  g_DefContext.anDbListSize[DBLIST_EFFECT] = 5;
  g_DefContext.anDbListSize[DBLIST_CHARAEFFECT] = 1;
  g_DefContext.anDbListSize[DBLIST_SCREFFECT] = 0;
  g_DefContext.anDbListSize[DBLIST_PICTURE] = 6;
  g_DefContext.anDbListSize[DBLIST_BGM] = 2;
  struct Case {
    uint8_t selector;
    int8_t kind;
    int32_t p0, expected;
  } cases[] = {
      {0, CMD_CHANGE_ANIMESET, 1, 1},  {0, CMD_CHANGE_ANIMESET, 2, 0},  {0, CMD_CHANGE_ANIMESET, -1, 0},
      {0, CMD_PLAY_ANIME, 3, 3},       {0, CMD_PLAY_ANIME, 4, 1},       {0, CMD_PLAY_ANIME, -1, 1},
      {0, CMD_EFFECT, 5, 1},           {0, CMD_EFFECT, 4, 4},
      // Lists without an entry 1 repair to 0.
      {0, CMD_CHARA_EFFECT, 1, 0},     {0, CMD_SCREEN_EFFECT, 0, 0},    {0, CMD_SCREEN_EFFECT, 7, 0},
      {0, CMD_PICTURE, 6, 1},          {0, CMD_SOUND, 3, 1},            {0, CMD_SOUND, 2, 2},
      {0, CMD_BGM, 2, 1},              {0, CMD_BGM, INT32_MIN, 1},
      // List commands at kind − 15; other kinds keep p[0].
      {1, CMD_PLAY_ANIME - 15, 4, 1},  {1, CMD_CHANGE_ANIMESET - 15, 9, 0}, {1, CMD_BGM - 15, 5, 1},
      {0, CMD_TURN, 99, 99},           {0, CMD_STAGE_CLEAR, 99, 99},    {1, LISTCMD_CHANGE_FLOW, 99, 99},
      {1, 11, 99, 99},
  };
  for (const Case& c : cases) {
    cFlowCmd cmd;
    EXPECT_EQ(Load(cmd, 790, Cmd(c.selector, c.kind, {c.p0}).Body(790)), 0);
    ASSERT_FALSE(cmd.m_vParam.empty());
    EXPECT_EQ(cmd.m_vParam[0], c.expected) << +c.selector << "/" << +c.kind << " p0 " << c.p0;
  }

  struct Ref {
    int16_t anime, sound, expectedAnime, expectedSound;
  } refs[] = {{3, 2, 3, 2}, {4, 3, 0, 0}, {-1, -5, 0, 0}, {0, 0, 0, 0}};
  for (const Ref& r : refs) {
    CmdBytes b = Cmd(0, CMD_WAIT, {});
    b.anime = r.anime, b.sound = r.sound;
    cFlowCmd cmd;
    EXPECT_EQ(Load(cmd, 790, b.Body(790)), 0);
    EXPECT_EQ(cmd.m_sAnime, r.expectedAnime) << r.anime;
    EXPECT_EQ(cmd.m_sSound, r.expectedSound) << r.sound;
  }
}

// The sword waits of the database: type n has the frames of kSwings[n].
std::vector<std::vector<int32_t>> g_vSwings;

cSafeVector<int32_t> FakeSwordSwingWaits(int type) {
  if (type < 0 || type >= static_cast<int>(g_vSwings.size())) return {};
  return cSafeVector<int32_t>(g_vSwings[type].begin(), g_vSwings[type].end());
}

TEST_F(FlowCmdTest, ASwordLastsTheSumOfItsSwingWaits) {
  g_vSwings = {{3}, {5000, 6000}, {}, {10000, -5000, 2}, {2, 3, 4}, {-30000, -30000}};
  g_DefContext.anDbListSize[DBLIST_SWORDTYPE] = static_cast<int>(g_vSwings.size());
  g_DefContext.lpfnSwordSwingWaits = &FakeSwordSwingWaits;
  struct Case {
    uint8_t type;
    uint8_t expectedType;
    int16_t expectedTime;
  } cases[] = {
      {4, 4, 9},
      // Capped at 9999 after each addition.
      {1, 1, 9999},
      {3, 3, 5001},
      // A type without frames.
      {2, 2, 0},
      {5, 5, INT16_MIN},
      // A type beyond the list becomes type 0 (and is no trajectory: 6..255 are kept as types).
      {6, 0, 3},
      {200, 0, 3},
  };
  for (const Case& c : cases) {
    ShotBytes s;
    s.trajectory = c.type;
    CmdBytes b = Cmd(0, CMD_SWORD, {});
    b.time = 77, b.shot = s.Body(790);
    cFlowCmd cmd;
    EXPECT_EQ(Load(cmd, 790, b.Body(790)), 0);
    EXPECT_EQ(cmd.m_pShot->m_byTrajectory, c.expectedType) << +c.type;
    EXPECT_EQ(cmd.m_sTime, c.expectedTime) << +c.type;
  }

  // Without a SwordType list (or without the database's waits) a sword has no time.
  g_DefContext.anDbListSize[DBLIST_SWORDTYPE] = 0;
  cFlowCmd sword;
  sword.m_byKind = CMD_SWORD, sword.m_sTime = 50;
  CreateEdShot(sword.m_pShot);
  sword.m_pShot->m_byTrajectory = 1;
  sword.Validate();
  EXPECT_EQ(sword.m_pShot->m_byTrajectory, 0);
  EXPECT_EQ(sword.m_sTime, 0);
  g_DefContext.anDbListSize[DBLIST_SWORDTYPE] = 6;
  g_DefContext.lpfnSwordSwingWaits = nullptr;
  sword.m_sTime = 50;
  sword.Validate();
  EXPECT_EQ(sword.m_sTime, 0);

  // A sword without a shot record keeps its time; list commands are never swords.
  cFlowCmd bare;
  bare.m_byKind = CMD_SWORD, bare.m_sTime = 50;
  bare.Validate();
  EXPECT_EQ(bare.m_sTime, 50);
}

TEST_F(FlowCmdTest, OnlyTheSwordKeepsATrajectoryBeyondTheTrajectories) {
  g_DefContext.anDbListSize[DBLIST_SWORDTYPE] = 20;
  for (int8_t kind : {CMD_SHOT, CMD_SWORD, CMD_SUMMON_CHARA, CMD_WAIT}) {
    ShotBytes s;
    s.trajectory = 12;
    CmdBytes b = Cmd(0, kind, {});
    b.shot = s.Body(790);
    cFlowCmd cmd;
    EXPECT_EQ(Load(cmd, 790, b.Body(790)), 0);
    EXPECT_EQ(cmd.m_pShot->m_byTrajectory, kind == CMD_SWORD ? 12 : 9) << +kind;
  }
}

TEST_F(FlowCmdTest, SubRecordPartsReplaceOrReleaseTheCommandsRecords) {
  ShotBytes s;
  s.power = 12;
  CmdBytes b = Cmd(0, CMD_SHOT, {});
  b.shot = s.Body(790);
  std::string body = b.Body(790);
  // Any presence value but 0 reads as present: patch the shot's flag (after the 12 field bytes,
  // the text and the movement flag) to 7.
  const size_t shotFlag = 4 + 12 + 4 + 4 + 4;
  ASSERT_EQ(body[shotFlag], 1);
  body[shotFlag] = 7;

  cFlowCmd c;
  CreateEdMove(c.m_pMove);
  CreateEdShot(c.m_pShot);
  c.m_pShot->m_sSpeed = 99;
  c.m_pCondList = CreateCondList();
  const cEdShot* old = c.m_pShot.get();
  EXPECT_EQ(Load(c, 790, body), 0);
  EXPECT_FALSE(c.m_pMove);
  EXPECT_FALSE(c.m_pCondList);
  ASSERT_TRUE(c.m_pShot);
  EXPECT_NE(c.m_pShot.get(), old);
  EXPECT_EQ(c.m_pShot->m_nPower, 12);
  // A new record: the members the file holds, and nothing left of the released one.
  EXPECT_EQ(c.m_pShot->m_sSpeed, 0);

  // A file older than 764 releases a condition list that a command had.
  cFlowCmd d;
  d.m_pCondList = CreateCondList();
  EXPECT_EQ(Load(d, 763, Cmd(0, CMD_WAIT, {}).Body(763)), 0);
  EXPECT_FALSE(d.m_pCondList);
}

TEST_F(FlowCmdTest, PaletteReferences) {
  cSafeVector<int> commonItems(4), stageItems(2), commonBlocks(3), stageCharas(5), noItems(1);
  g_DefContext.item.common.Bind(&commonItems);
  g_DefContext.item.stage.Bind(&stageItems);
  g_DefContext.block.common.Bind(&commonBlocks);
  g_DefContext.chara.stage.Bind(&stageCharas);
  struct Case {
    const char* name;
    uint8_t selector;
    int8_t kind;
    std::function<void(cFlowCmd&)> set;
    std::function<void(const cFlowCmd&)> check;
  };
  auto shot = [](uint8_t palette, int16_t item) {
    return [=](cFlowCmd& c) {
      CreateEdShot(c.m_pShot);
      c.m_pShot->m_byItemPalette = palette, c.m_pShot->m_sItem = item;
    };
  };
  auto item = [](uint8_t palette, int16_t index) {
    return [=](const cFlowCmd& c) {
      EXPECT_EQ(c.m_pShot->m_byItemPalette, palette);
      EXPECT_EQ(c.m_pShot->m_sItem, index);
    };
  };
  auto summon = [](uint8_t palette, int16_t index) {
    return [=](cFlowCmd& c) {
      CreateEdShot(c.m_pShot);
      c.m_pShot->m_bySummonPalette = palette, c.m_pShot->m_sSummonIndex = index;
    };
  };
  auto summoned = [](int16_t index) { return [=](const cFlowCmd& c) { EXPECT_EQ(c.m_pShot->m_sSummonIndex, index); }; };
  auto take = [](int32_t palette, int32_t index) { return [=](cFlowCmd& c) { c.m_vParam = {palette, index}; }; };
  auto taken = [](int32_t index) { return [=](const cFlowCmd& c) { EXPECT_EQ(c.m_vParam[1], index); }; };
  const Case cases[] = {
      {"shot item in the common palette", 0, CMD_SHOT, shot(1, 3), item(1, 3)},
      {"shot item beyond the common palette", 0, CMD_SHOT, shot(1, 4), item(0, 0)},
      {"sword item beyond the stage palette", 0, CMD_SWORD, shot(2, 2), item(0, 0)},
      {"negative item", 0, CMD_SWORD, shot(2, -1), item(0, 0)},
      {"no item palette", 0, CMD_SHOT, shot(3, 50), item(3, 50)},
      {"summon kind without the shot check", 0, CMD_SUMMON_ITEM, shot(1, 9), item(1, 9)},
      {"block summon in range", 0, CMD_SUMMON_BLOCK, summon(0, 2), summoned(2)},
      {"block summon beyond", 0, CMD_SUMMON_BLOCK, summon(0, 3), summoned(1)},
      {"character summon from the stage", 0, CMD_SUMMON_CHARA, summon(1, 5), summoned(1)},
      {"character summon from the common palette (not bound)", 0, CMD_SUMMON_CHARA, summon(0, 1), summoned(0)},
      {"item summon negative", 0, CMD_SUMMON_ITEM, summon(0, -4), summoned(1)},
      {"other summon palette", 0, CMD_SUMMON_ITEM, summon(2, 99), summoned(99)},
      {"take item beyond the common palette", 0, CMD_TAKE_ITEM, take(0, 4), taken(1)},
      {"take item from the stage", 0, CMD_TAKE_ITEM, take(1, 1), taken(1)},
      {"take item beyond the stage", 0, CMD_TAKE_ITEM, take(1, 7), taken(1)},
      {"take item from another palette", 0, CMD_TAKE_ITEM, take(2, 7), taken(7)},
      {"list take item", 1, 10, take(1, 2), taken(1)},
      {"list kind 11 is no item taking", 1, 11, take(1, 9), taken(9)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cFlowCmd cmd;
    cmd.m_bySelector = c.selector, cmd.m_byKind = c.kind;
    c.set(cmd);
    cmd.ValidatePalette();
    c.check(cmd);
  }

  // An item palette without an entry 1 repairs the taken item to 0.
  g_DefContext.item.stage.Bind(&noItems);
  cFlowCmd take1;
  take1.m_byKind = CMD_TAKE_ITEM, take1.m_vParam = {1, 3};
  take1.ValidatePalette();
  EXPECT_EQ(take1.m_vParam[1], 0);

  // Nested flows are repaired too.
  cFlowCmd outer;
  outer.m_byKind = CMD_FLOW_OPERATION;
  outer.m_vFlow.resize(1);
  outer.m_vFlow[0].m_vCmd.resize(1);
  cFlowCmd& inner = outer.m_vFlow[0].m_vCmd[0];
  inner.m_byKind = CMD_SHOT;
  shot(1, 40)(inner);
  outer.ValidatePalette();
  EXPECT_EQ(inner.m_pShot->m_sItem, 0);
}

TEST_F(FlowCmdTest, CopiesAreDeepAndIndependent) {
  cFlowCmd a;
  a.m_byKind = CMD_SHOT, a.m_strText = "t", a.m_vParam = {1};
  CreateEdShot(a.m_pShot);
  CreateEdMove(a.m_pMove);
  a.m_pCondList = CreateCondList();
  a.m_pShot->m_nPower = 5;
  a.m_vFlow.resize(1);
  a.m_vFlow[0].m_vCmd.resize(1);
  CreateEdShot(a.m_vFlow[0].m_vCmd[0].m_pShot);
  a.m_vFlow[0].m_vCmd[0].m_pShot->m_nPower = 7;

  cFlowCmd b(a);
  cFlowCmd c;
  c = b;
  for (cFlowCmd* copy : {&b, &c}) {
    EXPECT_NE(copy->m_pShot.get(), a.m_pShot.get());
    EXPECT_NE(copy->m_pMove.get(), a.m_pMove.get());
    EXPECT_NE(copy->m_pCondList.get(), a.m_pCondList.get());
    EXPECT_NE(copy->m_vFlow[0].m_vCmd[0].m_pShot.get(), a.m_vFlow[0].m_vCmd[0].m_pShot.get());
    EXPECT_EQ(copy->m_pShot->m_nPower, 5);
    EXPECT_EQ(copy->m_vFlow[0].m_vCmd[0].m_pShot->m_nPower, 7);
    EXPECT_EQ(copy->m_strText, "t");
  }
  b.m_pShot->m_nPower = 1;
  b.m_vFlow[0].m_vCmd[0].m_pShot->m_nPower = 2;
  EXPECT_EQ(a.m_pShot->m_nPower, 5);
  EXPECT_EQ(a.m_vFlow[0].m_vCmd[0].m_pShot->m_nPower, 7);
  EXPECT_EQ(c.m_pShot->m_nPower, 5);
  EXPECT_EQ(Save(c), Save(a));

  // A command assigned from a command inside its own nested flows, and a list from itself.
  a = a.m_vFlow[0].m_vCmd[0];
  EXPECT_EQ(a.m_pShot->m_nPower, 7);
  EXPECT_TRUE(a.m_vFlow.empty());
  cSafeVector<cFlowCmd> list(2);
  list[1].m_vFlow.resize(1);
  list[1].m_vFlow[0].m_vCmd.resize(3);
  AssignCmdList(list, list[1].m_vFlow[0].m_vCmd);
  EXPECT_EQ(list.size(), 3u);
  AssignCmdList(list, list);
  EXPECT_EQ(list.size(), 3u);
}

TEST_F(FlowCmdTest, NestedTestOnlyFlowsGoUnlessKept) {
  FlowBytes kept, marked;
  kept.id = 1, marked.id = 2, marked.testOnly = 1;
  CmdBytes b = Cmd(0, CMD_FLOW_OPERATION, {});
  b.flows = {marked.Body(790), kept.Body(790), marked.Body(790)};
  for (int mode = 0; mode < 3; ++mode) {
    g_DefContext.bTestPlay = mode == 1;
    g_DefContext.bKeepFlaggedFlows = mode == 2;
    cFlowCmd c;
    EXPECT_EQ(Load(c, 790, b.Body(790)), 0);
    if (mode == 0) {
      ASSERT_EQ(c.m_vFlow.size(), 1u);
      EXPECT_EQ(c.m_vFlow[0].m_byId, 1);
    } else {
      EXPECT_EQ(c.m_vFlow.size(), 3u) << mode;
    }
  }
}

TEST_F(FlowCmdTest, HostileCountsAndNestingAreRefused) {
  struct Case {
    const char* name;
    std::string body;
  };
  // The bytes of a wait command up to its nested-flow count.
  const std::string head = Cmd(0, CMD_WAIT, {}).Body(790).substr(0, 4 + 12 + 4 + 4 + 4 * 3);
  const Case cases[] = {
      {"flow count", ByteWriter().Bytes(head).U32(0xFFFFFFFF).str()},
      {"parameter count", ByteWriter().Bytes(head).U32(0).U32(0x40000000).I32(1).str()},
      {"short parameters", ByteWriter().Bytes(head).U32(0).U32(3).I32(1).I32(2).str()},
      {"cut inside the text", CmdBytes().Body(790).substr(0, 20)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cFlowCmd cmd;
    EXPECT_EQ(Load(cmd, 790, c.body), -1);
    EXPECT_TRUE(cmd.m_vFlow.empty());
    EXPECT_TRUE(cmd.m_vParam.empty());
  }

  // Flows inside commands inside flows: a few levels load, a hostile depth is refused without
  // exhausting the stack.
  auto nested = [](int depth) {
    std::string cmd = Cmd(0, CMD_WAIT, {}).Body(790);
    for (int i = 0; i < depth; ++i) {
      FlowBytes f;
      f.cmds = {cmd};
      CmdBytes outer = Cmd(0, CMD_FLOW_OPERATION, {});
      outer.flows = {f.Body(790)};
      cmd = outer.Body(790);
    }
    return cmd;
  };
  cFlowCmd deep;
  EXPECT_EQ(Load(deep, 790, nested(10)), 0);
  int depth = 0;
  for (const cFlowCmd* c = &deep; !c->m_vFlow.empty(); c = &c->m_vFlow[0].m_vCmd[0]) ++depth;
  EXPECT_EQ(depth, 10);

  cFlowCmd hostile;
  EXPECT_EQ(Load(hostile, 790, nested(200)), -1);
  EXPECT_NE(env.ReportText().find("nested deeper than"), std::string::npos);
  // Loading goes on normally afterwards.
  cFlowCmd next;
  EXPECT_EQ(Load(next, 790, nested(3)), 0);
}

// A command with a movement, a shot and a condition list, each in the layout of the version.
TEST_F(FlowCmdTest, EveryGateOfTheLayoutIsReadWhereTheFileHasIt) {
  ExpectGatesOfLayout([] { return std::make_unique<cFlowCmd>(); }, [](int v) { return CmdWithPartsBody(v); });
}

}  // namespace
