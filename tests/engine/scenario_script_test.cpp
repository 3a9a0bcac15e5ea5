// What characters' flows change on stages run by the real play frame: a stopping ease stored by
// the code language that a condition takes up, and the lifetimes of summoned characters and
// items at their boundary. Positions in stage dots; the hero stands apart on a block of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "defs/cmd_kind.h"
#include "defs/ed_move.h"
#include "defs/ed_shot.h"
#include "engine/chara_effect.h"
#include "fixture/fixture.h"
#include "play_scene_kit.h"
#include "project/database.h"
#include "script/flow_trigger.h"

namespace {

using playscene::PlaySceneTest;

// A command lasting a number of tenths of a second.
cFlowCmd Timed(int kind, int tenths) {
  cFlowCmd c = fixture::Command(kind);
  c.m_bZeroTime = 0;
  c.m_sTime = static_cast<int16_t>(tenths);
  return c;
}

cFlow Always(const std::vector<cFlowCmd>& cmds) {
  cFlow f;
  f.m_byTrigger = TRIGGER_ALWAYS;
  f.m_vCmd.assign(cmds.begin(), cmds.end());
  return f;
}

// A 20 × 15 stage at k sub-steps a frame with the hero on a block at the right (columns 15..19,
// rows 12..14), and the given characters placed.
cStage ScriptStage(int k, const std::vector<std::pair<cCharaData, std::pair<int, int>>>& charas) {
  cStage s = fixture::Stage(20, 15);
  fixture::Fill(s, fixture::Block(1), 15, 12, 19, 14);
  fixture::Place(s, fixture::Hero(1), 17, 11);
  for (const auto& c : charas) fixture::Place(s, c.first, c.second.first, c.second.second);
  s.m_nSpeedLevel = k;
  s.m_bShowStartBanner = 0;
  s.m_bShowStageBanner = 0;
  fixture::EncloseGrid(s);
  return s;
}

// A flying character that touches nothing it meets.
cCharaData Flyer(int id) {
  cCharaData d = fixture::Chara(2);
  d.m_byFlying = 1;
  d.m_nPower = 0;
  d.m_byCharaId = static_cast<uint8_t>(id);
  return d;
}

// The stage set up and in play, its flows started by their events.
class ScriptPlay {
 public:
  explicit ScriptPlay(const cStage& stage) : t(stage) {
    ok = t.Scene().SetStage(0, 1) == 1;
    t.Scene().m_nState = 2;
    g_lpfnFireEventEx = nullptr;
  }
  cStageChara* ById(int charaId) {
    return g_lChara.Find([charaId](cStageChara& c) { return c.m_Data.m_byCharaId == charaId; });
  }

  PlaySceneTest t;
  bool ok = false;
};

// ---- Stopping ease ----

// The glider sets its stopping ease to 200 with the code language and then pushes itself right
// with inertia for 3 tenths: an acceleration of 600 / 60 = 10 dots a frame, held at its limit of
// 1 dot a frame, so it moves 1 dot in each of frames 1..18 with the friction off. Then it waits,
// and the pushed speed is braked by the stopping figure each sub-step before it moves the
// glider. With the reader, a second flow whose condition reads the stopping ease every frame,
// the figure is 200 × 0.01 = 2 from frame 2 on: the glide ends at once. Without it the figure
// keeps the definition's 10 × 0.01: the glider glides 0.9, 0.8, .. 0.1 dots in frames 19..27.
cCharaData Glider(bool withReader) {
  cCharaData d = Flyer(1);
  d.m_sStop = 10;
  cFlowCmd code = fixture::Command(CMD_CODE);
  code.m_strText = "my.stop = 200";
  cFlowCmd push = Timed(CMD_MOVE_LINE, 3);
  CreateEdMove(push.m_pMove);
  push.m_pMove->m_byDirection = 3;  // right
  push.m_pMove->m_sSpeed = 600;
  push.m_pMove->m_bInertia = 1;
  push.m_pMove->m_sMaxSpeed = 10;
  d.m_vFlow.assign(1, Always({code, push, Timed(CMD_WAIT, 100)}));
  if (withReader) {
    cFlow reader = Always({fixture::Command(CMD_WAIT)});
    cCond stop;
    stop.m_byKind = 4;
    stop.m_byLeftStatus = 13;  // 止まりやすさ of the character itself
    stop.m_byOp = 2;           // at least 0
    reader.m_vCond.assign(1, stop);
    d.m_vFlow.push_back(reader);
  }
  return d;
}

TEST(StopEaseScenario, AStoppingEaseSetInCodeTakesEffectOnceAConditionReadsIt) {
  for (bool reader : {true, false}) {
    SCOPED_TRACE(reader ? "read by a condition" : "never read");
    ScriptPlay play(ScriptStage(1, {{Glider(reader), {2, 4}}}));
    ASSERT_TRUE(play.ok);
    cStageChara* glider = play.ById(1);
    ASSERT_NE(glider, nullptr);
    const double x0 = glider->m_dX;
    double glide = 0;
    for (int frame = 1; frame <= 30; ++frame) {
      play.t.Frames(1);
      if (frame > 18 && !reader) glide += std::max(0.0, 1 - 0.1 * (frame - 18));
      EXPECT_NEAR(glider->m_dX, x0 + std::min(frame, 18) + glide, 1e-9) << "frame " << frame;
    }
    EXPECT_EQ(glider->m_Data.m_sStop, 200);
  }
}

// ---- Lifetimes of summoned characters and items ----

// Runs a check at every sub-step, when the hero's "常時" event fires (after that sub-step has
// counted the lifetimes); every event then goes on to the flows as in play.
class SubStepWatch {
 public:
  explicit SubStepWatch(std::function<void(int)> check) : check_(std::move(check)) {
    current_ = this;
    g_lpfnFireEventEx = &Hook;
  }
  ~SubStepWatch() {
    current_ = nullptr;
    g_lpfnFireEventEx = nullptr;
  }
  SubStepWatch(const SubStepWatch&) = delete;
  SubStepWatch& operator=(const SubStepWatch&) = delete;

 private:
  static void Hook(cChara& chara, int key, cObject* partner, int value) {
    if (current_ && key == TRIGGER_ALWAYS && !g_vPlayer.empty() && &chara == &g_vPlayer[0] && g_lpPlayScene)
      current_->check_(g_lpPlayScene->m_nSubStepCount);
    FireFlowEvent(chara, key, partner, value);
  }
  static SubStepWatch* current_;
  std::function<void(int)> check_;
};
SubStepWatch* SubStepWatch::current_ = nullptr;

constexpr int kSummoner = 1, kTimed = 11, kEndless = 12, kDying = 13;
constexpr int kTimedItem = 6, kEndlessItem = 7;

// A summon of one object of the stage palette's entry at the summoner's centre, once, with a
// lifetime in tenths (0: none).
cFlowCmd Summon(int kind, int index, int lifetimeTenths) {
  cFlowCmd c = fixture::Command(kind);
  c.m_pShot.reset(new cEdShot());
  c.m_pShot->m_byFormation = 4;
  c.m_pShot->m_byCount = 1;
  c.m_pShot->m_bySummonPalette = 1;
  c.m_pShot->m_sSummonIndex = static_cast<int16_t>(index);
  c.m_pShot->m_bLifetime = lifetimeTenths > 0 ? 1 : 0;
  c.m_pShot->m_sLifetime = static_cast<int16_t>(lifetimeTenths);
  return c;
}

bool InDrawList(const cChara* c) {
  for (const std::list<cChara*>& l : g_lpPlayScene->m_vDrawList)
    if (std::find(l.begin(), l.end(), c) != l.end()) return true;
  return false;
}

bool HasBackRef(const cChara& c, const cChara* from) {
  return std::any_of(c.m_vBackRef.begin(), c.m_vBackRef.end(), [from](const auto& r) { return r.lpChara == from; });
}

class SummonLifetime : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override { saved_ = g_Database.m_vCharaEffect; }
  void TearDown() override { g_Database.m_vCharaEffect = saved_; }
  int k() const { return GetParam(); }

  // The stage: the summoner at cell (3, 4) summons, in the first sub-step of play, a character
  // and an item that live 1 tenth of a second (6k sub-steps), a character and an item without a
  // lifetime, and a character of 1 tenth that kills itself at its first act and then shows its
  // death effect (a blink of 2 seconds). The game's settings keep a character killed by its
  // own act in the list while its death is shown.
  cStage Stage() {
    cCharaData timed = Flyer(kTimed), endless = Flyer(kEndless), dying = Flyer(kDying);
    cFlowCmd die = fixture::Command(CMD_STATUS);
    die.m_vParam[4] = 1;  // HP of the character itself, set to the constant 0
    dying.m_vFlow.assign(1, Always({die}));
    dying.m_wDeathEffect = 1;
    cStage s = ScriptStage(k(), {});
    const int first = static_cast<int>(s.m_vChara.size());
    for (const cCharaData* d : {&timed, &endless, &dying}) s.m_vChara.push_back(*d);
    const int firstItem = static_cast<int>(s.m_vItem.size());
    s.m_vItem.push_back(fixture::Item(kTimedItem));
    s.m_vItem.push_back(fixture::Item(kEndlessItem));
    cCharaData summoner = Flyer(kSummoner);
    summoner.m_vFlow.assign(1, Always({Summon(CMD_SUMMON_CHARA, first, 1), Summon(CMD_SUMMON_CHARA, first + 1, 0),
                                       Summon(CMD_SUMMON_CHARA, first + 2, 1), Summon(CMD_SUMMON_ITEM, firstItem, 1),
                                       Summon(CMD_SUMMON_ITEM, firstItem + 1, 0), Timed(CMD_WAIT, 1000)}));
    fixture::Place(s, summoner, 3, 4);
    // Character effect 1: a blink of 20 tenths.
    cCharaEffectData blink;
    blink.m_nKind = 6;
    blink.m_nParam[0] = 20;
    blink.m_nParam[1] = 2;
    g_Database.m_vCharaEffect.assign(1, cCharaEffectData());
    g_Database.m_vCharaEffect[0].m_nKind = 0;
    g_Database.m_vCharaEffect.push_back(blink);
    return s;
  }

  cSafeVector<cCharaEffectData> saved_;
};

TEST_P(SummonLifetime, ASummonLivesItsSubStepsAndGoesWithItsLinksInTheNextOne) {
  const int life = 6 * k();
  ScriptPlay play(Stage());
  ASSERT_TRUE(play.ok);
  BuildCharaEffectTables(g_vCharaEffectTemplate, g_vCharaEffectTemplateRev);
  g_SystemData.m_bOption272 = 1;
  cStageChara* summoner = play.ById(kSummoner);
  ASSERT_NE(summoner, nullptr);
  const cChara* hero = &g_vPlayer[0];

  // The summons are made in sub-step 1, after its lifetimes were counted; sub-step n counts
  // them for the (n − 1)-th time.
  const cStageChara* timed = nullptr;
  const cStageChara* dying = nullptr;
  int dyingLife = -1;
  int checked = 0;
  SubStepWatch watch([&](int n) {
    if (n == 1) return;
    ++checked;
    cStageChara* t = play.ById(kTimed);
    cStageChara* e = play.ById(kEndless);
    cStageChara* d = play.ById(kDying);
    const cItem* ti = g_lItem.Find([](cItem& i) { return i.m_Data.m_wGraphic == kTimedItem; });
    const cItem* ei = g_lItem.Find([](cItem& i) { return i.m_Data.m_wGraphic == kEndlessItem; });
    if (n == 2) {
      timed = t;
      dying = d;
    }
    const bool alive = n <= life + 1;
    EXPECT_EQ(t != nullptr, alive) << "sub-step " << n;
    EXPECT_EQ(ti != nullptr, alive) << "sub-step " << n;
    if (alive && t) {
      EXPECT_EQ(t->m_nLife, life - (n - 1)) << "sub-step " << n;
      EXPECT_TRUE(InDrawList(t)) << "sub-step " << n;
      EXPECT_TRUE(HasBackRef(*summoner, t)) << "sub-step " << n;
      EXPECT_TRUE(HasBackRef(*hero, t)) << "sub-step " << n;
    }
    if (alive && ti) {
      EXPECT_EQ(ti->m_nLife, life - (n - 1)) << "sub-step " << n;
    }
    if (!alive && timed) {
      // Erased in this sub-step or before: no one holds a link to it any more.
      EXPECT_FALSE(HasBackRef(*summoner, timed)) << "sub-step " << n;
      EXPECT_FALSE(HasBackRef(*hero, timed)) << "sub-step " << n;
    }
    // Without a lifetime they stay.
    ASSERT_NE(e, nullptr) << "sub-step " << n;
    ASSERT_NE(ei, nullptr) << "sub-step " << n;
    EXPECT_EQ(e->m_nLife, LIFETIME_UNLIMITED);
    EXPECT_EQ(ei->m_nLife, LIFETIME_UNLIMITED);
    // The dying one is dead after its first act and its lifetime stands still from then on,
    // far beyond the sub-steps it was given, while its death is shown.
    ASSERT_NE(d, nullptr) << "sub-step " << n;
    if (d->m_bDead) {
      if (dyingLife < 0) dyingLife = d->m_nLife;
      EXPECT_EQ(d->m_nLife, dyingLife) << "sub-step " << n;
    }
  });
  // Through the sub-step after the boundary, and then on for a second.
  const int frames = (life + 2 + k() - 1) / k() + 60;
  play.t.Frames(frames);
  EXPECT_EQ(checked, frames * k() - 1);
  ASSERT_NE(timed, nullptr);
  ASSERT_NE(dying, nullptr);
  EXPECT_GE(dyingLife, life - 1);
  // Swept: out of its drawing list as well.
  EXPECT_FALSE(InDrawList(timed));
}

INSTANTIATE_TEST_SUITE_P(SubSteps, SummonLifetime, ::testing::Values(1, 3));

}  // namespace
