// Where the play frame and the flows meet, played through the real frame with the flows
// answering their own events: characters killed or made to vanish by commands, hit events of
// shots and summoned characters reported to their owner, a ground walker turning back at a block
// character, swords beside their owner, and a shot whose range is shorter than one frame's
// travel. Positions are stage dots (the 10-cell margin adds 320 to x and y).
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "defs/cmd_kind.h"
#include "defs/ed_move.h"
#include "defs/ed_shot.h"
#include "engine/shot.h"
#include "fixture/fixture.h"
#include "frame_play.h"
#include "project/database.h"
#include "project/sword_type.h"

namespace {

using namespace frameplay;

constexpr int kMargin = 320;
constexpr int kCell = 32;

// "ステータスの操作": the HP of the character in target slot `slot` (1..4) set to `hp`.
cFlowCmd SetHpOfTarget(int slot, int hp) { return Cmd(CMD_STATUS, {0, 0, 0, slot, 1, 0, 0, hp}); }

// Whether a character with that ID is in a drawing list (and in play).
bool Drawn(int cid) {
  for (const auto& layer : g_lpPlayScene->m_vDrawList)
    for (const cChara* c : layer)
      if (c->m_Data.m_byCharaId == cid && !c->m_bRemoved) return true;
  return false;
}

// Kills and vanishing by command. Each case places character 1 (score 100, HP 10) and plays two
// frames: `gone` is the frame after which it is out of play (0: it stays), `score` the stage
// score then (a defeat gives the character's score, vanishing gives nothing), `hp` its HP when it
// stays.
struct KillCase {
  const char* name;
  std::vector<cFlow> hero;
  // The characters: 1 is the one watched, placed first at column `column`; a second one (ID 2)
  // with flows `other` is placed after it when `other` is not empty.
  int column;
  std::vector<cFlow> own;
  std::vector<cFlow> other;
  // Character 1 does not appear (an appearance condition that never holds), or is a block
  // character (stepped in the first character pass).
  bool inactive;
  bool block;
  int gone;
  int score;
  int hp;
};

void PrintTo(const KillCase& k, std::ostream* os) { *os << k.name; }

cStage KillStage(const KillCase& k) {
  cStage s = FloorStage(40, k.hero);
  cCharaData one = Flyer(1, 2, k.own);
  if (k.inactive) {
    cCond never;
    never.m_byKind = 1;  // common variable 0 equal to 5
    never.m_nValue = 5;
    one.m_vCond.push_back(never);
  }
  one.m_bBlockChara = k.block ? 1 : 0;
  fixture::Place(s, one, k.column, 10);
  if (!k.other.empty()) fixture::Place(s, Flyer(2, 3, k.other), 12, 10);
  return s;
}

class CommandKills : public ::testing::TestWithParam<KillCase> {};

TEST_P(CommandKills, TheFrameTakesTheCharacterOutWhenTheCommandSaysSo) {
  const KillCase& k = GetParam();
  Play play(KillStage(k));
  ASSERT_TRUE(play.ok);
  ASSERT_NE(InPlay(1), nullptr);
  for (int f = 1; f <= 2; ++f) {
    play.To(f);
    const bool expectGone = k.gone != 0 && f >= k.gone;
    cStageChara* one = InPlay(1);
    EXPECT_EQ(one == nullptr, expectGone) << "frame " << f;
    EXPECT_EQ(Drawn(1), !expectGone) << "frame " << f;
    if (one && k.gone == 0 && f == 2) {
      EXPECT_EQ(one->m_nHp, k.hp);
    }
  }
  EXPECT_EQ(g_SaveData.m_nStageScore, k.score);
  EXPECT_EQ(play.t.Scene().m_nState, 2) << "the hero plays on";
}

// The hero's flows that target character 1 and then act on target slot 1.
std::vector<cFlow> HeroActsOnOne(const cFlowCmd& act) {
  return {Flow(TRIGGER_ALWAYS, {TargetById(1), act, Wait(100)})};
}

INSTANTIATE_TEST_SUITE_P(
    Frame, CommandKills,
    ::testing::Values(
        // Its own "ステータスの操作2" state 0 "消滅" in its always-running flow: out in frame 1,
        // although its HP is 10.
        KillCase{"SelfVanishByState",
                 {},
                 8,
                 {Flow(TRIGGER_ALWAYS, {Cmd(CMD_STATUS2, {0, 0, 0})})},
                 {},
                 false,
                 false,
                 1,
                 0,
                 0},
        // Its own "消滅" of the characters of its side on screen takes itself too.
        KillCase{
            "SelfVanishBySide", {}, 8, {Flow(TRIGGER_ALWAYS, {Cmd(CMD_VANISH, {0, 2, 0})})}, {}, false, false, 1, 0, 0},
        // The hero makes an off-screen character (column 35: never stepped) vanish through its
        // target slot: set in frame 1, vanished in frame 2.
        KillCase{"HeroVanishesOffScreenTarget",
                 HeroActsOnOne(Cmd(CMD_STATUS2, {1, 0, 0})),
                 35,
                 {},
                 {},
                 false,
                 false,
                 2,
                 0,
                 0},
        // The hero's "消滅" of side 2: the whole range takes the off-screen character ...
        KillCase{"HeroVanishesSideWholeRange",
                 {Flow(TRIGGER_ALWAYS, {Cmd(CMD_VANISH, {0, 2, 1})})},
                 35,
                 {},
                 {},
                 false,
                 false,
                 1,
                 0,
                 0},
        // ... the screen range leaves it.
        KillCase{"HeroVanishesSideOnScreen",
                 {Flow(TRIGGER_ALWAYS, {Cmd(CMD_VANISH, {0, 2, 0})})},
                 35,
                 {},
                 {},
                 false,
                 false,
                 0,
                 0,
                 10},
        // HP set to 0 on a character that does not appear: defeated (its score) in frame 2.
        KillCase{"HeroSetsHpZeroOnInactive", HeroActsOnOne(SetHpOfTarget(1, 0)), 8, {}, {}, true, false, 2, 100, 0},
        // HP set to 1: it stays, with HP 1.
        KillCase{"HeroSetsHpOneOnInactive", HeroActsOnOne(SetHpOfTarget(1, 1)), 8, {}, {}, true, false, 0, 0, 1},
        // The code language on an off-screen character.
        KillCase{"CodeSetsHpZeroOffScreen", HeroActsOnOne(Code("tg.hp = 0")), 35, {}, {}, false, false, 2, 100, 0},
        // Killed by a character that acts after it in the same sub-step: defeated in that
        // sub-step (frame 2), not when its own turn comes in the next frame.
        KillCase{"KilledByOneActingAfterIt",
                 {},
                 8,
                 {},
                 {Flow(TRIGGER_ALWAYS, {TargetById(1), SetHpOfTarget(1, 0), Wait(100)})},
                 false,
                 false,
                 2,
                 100,
                 0},
        // A block character made to vanish by its own flow is taken out without a defeat too.
        KillCase{"BlockCharaSelfVanish",
                 {},
                 8,
                 {Flow(TRIGGER_ALWAYS, {Cmd(CMD_STATUS2, {0, 0, 0})})},
                 {},
                 false,
                 true,
                 1,
                 0,
                 0}),
    [](const ::testing::TestParamInfo<KillCase>& info) { return std::string(info.param.name); });

TEST(CommandKills, TheHeroMadeToVanishByACharacterDiesAtOnce) {
  // Character 1's flow "消滅"s the hero's side on screen: the hero's HP becomes 0 and the
  // deferred check after that character's turn lets it die in the same frame.
  cStage s = FloorStage(20, {});
  fixture::Place(s, Flyer(1, 2, {Flow(TRIGGER_ALWAYS, {Cmd(CMD_VANISH, {0, 1, 0})})}), 8, 10);
  Play play(s);
  ASSERT_TRUE(play.ok);
  play.To(1);
  EXPECT_EQ(g_vPlayer[0].m_nHp, 0);
  EXPECT_EQ(g_vPlayer[0].m_bDead, 1);
}

// Shot hit events: the hero fires one shot (6 dots a frame, power 1) at character 1 on its
// right; a hit fires the hero's flows of "アタックを当てた時" and "アタックでダメージを与えた時"
// whose ID is the shot data's (all of them for ID 0).
struct HitEventCase {
  const char* name;
  int hitEvent;
  int hitEventId;
  // Stage variables 1 (attack hit, flow ID 2), 3 (attack hit, flow ID 3), 4 (damage, ID 2).
  int s1, s3, s4;
};

void PrintTo(const HitEventCase& c, std::ostream* os) { *os << c.name; }

class ShotHitEvents : public ::testing::TestWithParam<HitEventCase> {};

// A command of a kind that carries shot data: one object a volley, with the hit event and its
// flow ID.
cFlowCmd WithShotData(int kind, int time, int hitEvent, int hitEventId) {
  cFlowCmd c = Cmd(kind, {}, time);
  CreateEdShot(c.m_pShot);
  c.m_pShot->m_byCount = 1;
  c.m_pShot->m_bHitEvent = static_cast<uint8_t>(hitEvent);
  c.m_pShot->m_byHitEventId = static_cast<uint8_t>(hitEventId);
  return c;
}

cFlowCmd ShotAhead(int hitEvent, int hitEventId) {
  cFlowCmd shot = WithShotData(CMD_SHOT, 1, hitEvent, hitEventId);
  shot.m_pShot->m_sSpeed = 60;
  shot.m_pShot->m_nPower = 1;
  return shot;
}

TEST_P(ShotHitEvents, AHitReachesTheOwnersFlowsOfTheShotsId) {
  const HitEventCase& c = GetParam();
  cStage s = FloorStage(20, {Flow(TRIGGER_ALWAYS, {ShotAhead(c.hitEvent, c.hitEventId), Wait(100)}),
                             Flow(TRIGGER_ATTACK_HIT, {CountInS(1)}, 2), Flow(TRIGGER_ATTACK_HIT, {CountInS(3)}, 3),
                             Flow(TRIGGER_ATTACK_DAMAGE, {CountInS(4)}, 2)});
  fixture::Place(s, Flyer(1, 2), 8, 13);
  Play play(s);
  ASSERT_TRUE(play.ok);
  // The shot starts at the hero's right (x 448) and meets the damage box (30 × 30 centred on
  // cell 8: from x 577) within 25 frames.
  play.To(25);
  ASSERT_NE(InPlay(1), nullptr);
  EXPECT_EQ(InPlay(1)->m_nHp, 9) << "hit once";
  EXPECT_EQ(play.t.Scene().m_lShot.Count(), 0u) << "the shot went with its hit";
  EXPECT_EQ(play.S(1), c.s1);
  EXPECT_EQ(play.S(3), c.s3);
  EXPECT_EQ(play.S(4), c.s4);
}

INSTANTIATE_TEST_SUITE_P(Frame, ShotHitEvents,
                         ::testing::Values(HitEventCase{"IdTwo", 1, 2, 1, 0, 1}, HitEventCase{"AnyId", 1, 0, 1, 1, 1},
                                           HitEventCase{"NoHitEvent", 0, 2, 0, 0, 0}),
                         [](const ::testing::TestParamInfo<HitEventCase>& info) {
                           return std::string(info.param.name);
                         });

// A summoned character reports to its summoner: the hero summons character 9 (side 2, flying
// right at 2 dots a frame) with the hit event of flow ID 2; it flies into character 5 (side 3).
// Character 5's contact flow takes the contact's partner into target slot 2 and writes its
// character ID to S2; the hero counts its attack-hit flows of ID 2 in S1 and of ID 3 in S3.
cStage SummonStage(int hitEvent) {
  cCharaData minion = Flyer(9, 2);
  cFlowCmd fly = Cmd(CMD_MOVE_LINE, {}, 1);
  CreateEdMove(fly.m_pMove);
  fly.m_pMove->m_byDirection = 3;
  fly.m_pMove->m_sSpeed = 20;
  minion.m_vFlow.assign(1, Flow(TRIGGER_ALWAYS, {fly}));
  cFlowCmd summon = WithShotData(CMD_SUMMON_CHARA, 0, hitEvent, 2);
  summon.m_pShot->m_bySummonPalette = 1;
  summon.m_pShot->m_sSummonIndex = 1;
  cStage s = FloorStage(20, {Flow(TRIGGER_ALWAYS, {summon, Wait(100)}), Flow(TRIGGER_ATTACK_HIT, {CountInS(1)}, 2),
                             Flow(TRIGGER_ATTACK_HIT, {CountInS(3)}, 3)});
  s.m_vChara.resize(1);
  s.m_vChara.push_back(minion);
  cFlow touched = Flow(TRIGGER_CHARA, {Code("S2 = tg2.cid")});
  touched.m_bPartner = 1;
  touched.m_byPartnerSlot = 1;
  fixture::Place(s, Flyer(5, 3, {touched}), 10, 13);
  return s;
}

TEST(SummonReports, ContactsOfASummonedCharacterAreReportedToItsSummoner) {
  Play play(SummonStage(1));
  ASSERT_TRUE(play.ok);
  play.To(1);
  cStageChara* minion = InPlay(9);
  ASSERT_NE(minion, nullptr) << "summoned in frame 1";
  EXPECT_EQ(minion->m_bReportToSummoner, 1);
  EXPECT_EQ(minion->m_byReportValue, 2);
  // From the hero's right (cell 4) to cell 10 at 2 dots a frame: the boxes meet within 100
  // frames.
  play.To(100);
  EXPECT_EQ(play.S(2), 7) << "the touched character's partner is the summoner";
  EXPECT_GE(play.S(1), 1) << "the summoner heard of the contact";
  EXPECT_EQ(play.S(3), 0) << "only its flows of the report's ID";
}

TEST(SummonReports, WithoutTheHitEventTheSummonedCharacterIsThePartner) {
  Play play(SummonStage(0));
  ASSERT_TRUE(play.ok);
  play.To(100);
  ASSERT_NE(InPlay(9), nullptr);
  EXPECT_EQ(InPlay(9)->m_bReportToSummoner, 0);
  EXPECT_EQ(play.S(2), 9);
  EXPECT_EQ(play.S(1), 0);
}

// A ground walker (2 dots a frame, facing right, body 16 × 24 on the bottom of cell (7, 13):
// x 552.5) meets a block character standing on cell (10, 13) (x 640.5). Frame n moves it to
// 552.5 + 2n; in frame 37 (x 626.5, right edge 641.5) its upper half touches the block beside
// it and the contact puts it back to 640.5 − 16 − 0.5 = 624 with a turn-back request. Frame 38's
// walk turns it: x = 624 − 2 (n − 37), facing left; 60 dots back by frame 67.
TEST(GroundWalkTurnBack, AWalkerTurnsBackAtABlockCharacter) {
  cStage s = FloorStage(20, {});
  cFlowCmd walk = Cmd(CMD_MOVE_GROUND_TURN, {}, 1);
  CreateEdMove(walk.m_pMove);
  walk.m_pMove->m_sSpeed = 20;
  cCharaData walker = fixture::Chara(2);
  walker.m_byCharaId = 1;
  walker.m_byLayer = 2;
  walker.m_byDirection = 1;
  walker.m_vFlow.assign(1, Flow(TRIGGER_ALWAYS, {walk}));
  fixture::Place(s, walker, 7, 13);
  cCharaData block = Flyer(2, 3);
  block.m_bBlockChara = 1;
  fixture::Place(s, block, 10, 13);
  // The hero stands apart, on the left.
  Play play(s);
  ASSERT_TRUE(play.ok);
  cStageChara* w = InPlay(1);
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->m_dX, kMargin + 232.5);
  ASSERT_EQ(InPlay(2)->m_dX, kMargin + 320.5);
  struct Point {
    int frame;
    double x;
    int dir;
  };
  const Point trace[] = {{36, 624.5, 1}, {37, 624, 1}, {38, 622, 0}, {40, 618, 0}, {67, 564, 0}};
  for (const Point& p : trace) {
    play.To(p.frame);
    EXPECT_EQ(w->m_dX, p.x) << "frame " << p.frame;
    EXPECT_EQ(w->m_nDir, p.dir) << "frame " << p.frame;
  }
  EXPECT_EQ(w->m_bTurnBack, 0) << "the walk took the request";
}

// Swords. Sword type 1: 24 × 8 in front of the owner for 2 tenths, then 16 × 16 above it for 1
// tenth. The hero's graphic cell is (3, 13): left 416, top 736, 32 × 32. In front (facing
// right) the sword stands at x = 416 + 31 + 1 = 448, y = 736 + 16 − 4 = 748; above at
// x = 416 + 16 − 8 = 424, y = 736 − 16 = 720. At one sub-step a frame the first swing frame
// holds while its clock is at most 2 × 6 = 12 after the move: frames 1 to 13 (the clock passes
// 12 in frame 13); the second holds in frames 14 to 19 and the sword ends in frame 20.
class SwordInTheFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_Database.m_vSwordType;
    PutSwordType1();
  }
  void TearDown() override { g_Database.m_vSwordType = saved_; }

  static cFlowCmd Sword(int power) {
    cFlowCmd sword = Cmd(CMD_SWORD);
    CreateEdShot(sword.m_pShot);
    sword.m_pShot->m_byTrajectory = 1;
    sword.m_pShot->m_nPower = power;
    return sword;
  }
  // The one sword in play; null when none.
  static cShot* TheSword() {
    cShot* found = nullptr;
    g_lpPlayScene->m_lShot.ForEach([&](cShot& s) {
      if (!s.m_bShot) found = &s;
    });
    return found;
  }

 private:
  cSafeVector<cSwordType> saved_;
};

TEST_F(SwordInTheFrame, ASwordStandsBesideItsOwnerFrameByFrameAndEndsWithItsSwing) {
  Play play(FloorStage(20, {Flow(TRIGGER_ALWAYS, {Sword(0), Wait(100)})}));
  ASSERT_TRUE(play.ok);
  for (int f = 1; f <= 21; ++f) {
    play.To(f);
    cShot* sword = TheSword();
    if (f >= 20) {
      EXPECT_EQ(sword, nullptr) << "frame " << f;
      continue;
    }
    ASSERT_NE(sword, nullptr) << "frame " << f;
    const bool first = f <= 13;
    EXPECT_EQ(sword->m_dX, kMargin + (first ? 128 : 104)) << "frame " << f;
    EXPECT_EQ(sword->m_dY, kMargin + (first ? 428 : 400)) << "frame " << f;
    EXPECT_EQ(sword->m_nWidth, first ? 24 : 16) << "frame " << f;
    EXPECT_EQ(sword->m_nHeight, first ? 8 : 16) << "frame " << f;
    EXPECT_EQ(sword->m_nDir, 1);
  }
  EXPECT_TRUE(g_vPlayer[0].m_vShotLink.empty()) << "the owner's link went with the sword";
}

TEST_F(SwordInTheFrame, ASwordHitsEveryCharacterUnderItOnceAndStays) {
  // Two characters of side 2 on cell (4, 13): damage boxes 30 × 30 centred on the cell
  // (x 449..478, y 737..766) under the first swing frame (x 448..471, y 748..755).
  cStage s = FloorStage(20, {Flow(TRIGGER_ALWAYS, {Sword(3), Wait(100)})});
  fixture::Place(s, Flyer(1, 2), 4, 13);
  fixture::Place(s, Flyer(2, 2), 4, 13);
  Play play(s);
  ASSERT_TRUE(play.ok);
  // Frame 1 makes and places the sword; a new object is on screen only from the next appearance
  // pass, and the stage hits on screen only: the hits come in frame 2.
  play.To(1);
  ASSERT_NE(TheSword(), nullptr);
  EXPECT_EQ(InPlay(1)->m_nHp, 10);
  play.To(2);
  ASSERT_NE(TheSword(), nullptr);
  EXPECT_EQ(InPlay(1)->m_nHp, 7);
  EXPECT_EQ(InPlay(2)->m_nHp, 7);
  EXPECT_EQ(TheSword()->m_lHitList.size(), 2u);
  // The hit list keeps them from being hit again while the sword lasts.
  play.To(19);
  ASSERT_NE(TheSword(), nullptr);
  EXPECT_EQ(InPlay(1)->m_nHp, 7);
  EXPECT_EQ(InPlay(2)->m_nHp, 7);
}

// A range shorter than one frame's travel: 2 half-blocks leave d = 32 − 16 = 16 dots; the shot
// covers exactly those 16 dots in its first frame and is gone in the next. k = 1 at 20 dots a
// frame (speed level 11, limit 60 dots a sub-step) and k = 3 at 18 dots a frame (6 a sub-step,
// trunc(16 / 6) = 2 below 3: 3 moves of 16 / 3).
struct ShortRange {
  int level;
  int speed;
};
void PrintTo(const ShortRange& r, std::ostream* os) { *os << "level " << r.level << ", speed " << r.speed; }

class ShortRangeShot : public ::testing::TestWithParam<ShortRange> {};

TEST_P(ShortRangeShot, CoversItsRangeInOneFrame) {
  cFlowCmd shot = ShotAhead(0, 0);
  shot.m_pShot->m_nPower = 0;
  shot.m_pShot->m_sSpeed = static_cast<int16_t>(GetParam().speed);
  shot.m_pShot->m_bRange = 1;
  shot.m_pShot->m_sRange = 2;
  cStage s = FloorStage(20, {Flow(TRIGGER_ALWAYS, {shot, Wait(100)})});
  s.m_nSpeedLevel = GetParam().level;
  Play play(s);
  ASSERT_TRUE(play.ok);
  play.To(1);
  ASSERT_EQ(play.t.Scene().m_lShot.Count(), 1u);
  cShot* fired = play.t.Scene().m_lShot.Find([](cShot&) { return true; });
  // It starts at the hero's right (448), level with the middle of the hero's cell: 736 + 16 − 8.
  EXPECT_NEAR(fired->m_dX, kMargin + 128 + 16, 1e-9);
  EXPECT_EQ(fired->m_dY, kMargin + 424);
  play.To(2);
  EXPECT_EQ(play.t.Scene().m_lShot.Count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Frame, ShortRangeShot, ::testing::Values(ShortRange{11, 200}, ShortRange{3, 180}));

}  // namespace
