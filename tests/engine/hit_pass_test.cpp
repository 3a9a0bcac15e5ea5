// The damage pass: shots and swords against the damage boxes of characters of other layers,
// characters of different layers against each other, shots cancelling shots, the early ends
// of the pass; the kill step and the deferred hit-point check.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/shot.h"
#include "fixture/fixture.h"
#include "play_kit.h"
#include "project/palette_list.h"

namespace {

constexpr int kSoundHit = 7;
constexpr int kSoundHeroDies = 8;
constexpr int kSoundKilled = 9;
constexpr int kSoundEndPlay = 14;

class HitPass : public ::testing::Test {
 protected:
  HitPass() : world_(fixture::Stage(30, 20)) {
    g_StageData.m_bHitOnScreenOnly = 0;
    g_StageData.m_nHitChecks = 0;
    g_StageData.m_nCharaContactPause = 0;
    g_StageData.m_nHeroContactPause = 0;
    world_.scene.m_nSubStep = 1;
  }

  static void SetBox(cBox& b, double l, double t, double r, double bottom) {
    b.dLeft = l;
    b.dTop = t;
    b.dRight = r;
    b.dBottom = bottom;
  }
  // A character of a layer whose boxes A and B and body are the square of side 10 at (x, y).
  cStageChara& Chara(int layer, double x, double y = 100, int hp = 10, int power = 0) {
    cCharaData def = fixture::Chara(2);
    def.m_nMaxHp = hp;
    def.m_nPower = power;
    def.m_byLayer = static_cast<uint8_t>(layer);
    return Enlist(world_.AddChara(def, 0, 0), layer, x, y, hp);
  }
  cPlayer& Hero(int layer, double x, double y = 100, int hp = 10) {
    cCharaData def = fixture::Hero();
    def.m_nMaxHp = hp;
    def.m_byLayer = static_cast<uint8_t>(layer);
    return Enlist(world_.AddHero(def, 0, 0), layer, x, y, hp);
  }
  // Placed, with its hit points, in the drawing list of its layer.
  template <class C>
  C& Enlist(C& c, int layer, double x, double y, int hp) {
    Put(c, x, y);
    c.m_nHp = hp;
    world_.scene.m_vDrawList[static_cast<size_t>(layer)].push_back(&c);
    return c;
  }
  static void Put(cChara& c, double x, double y) {
    c.m_dX = x;
    c.m_dY = y;
    c.m_dFarX = x + 9;
    c.m_dFarY = y + 9;
    SetBox(c.m_BoxA, x, y, x + 9, y + 9);
    SetBox(c.m_BoxB, x, y, x + 9, y + 9);
    c.m_bOnScreen = 1;
  }
  // A shot (or sword) of a layer whose box and body are the square of side 10 at (x, y).
  cShot& Shot(int layer, cChara* owner, double x, double y = 100, int power = 1, int isShot = 1) {
    cShot& s = world_.scene.m_lShot.Add(std::make_unique<cShot>());
    s.m_nId = world_.scene.m_nNextId++;
    s.m_nLayer = layer;
    s.m_bShot = isShot;
    s.m_bActive = 1;
    s.m_bOnScreen = 1;
    s.m_Shot.m_nPower = power;
    s.m_dX = x;
    s.m_dY = y;
    s.m_dFarX = x + 9;
    s.m_dFarY = y + 9;
    SetBox(s.m_Box, x, y, x + 9, y + 9);
    s.Link(owner, nullptr);
    if (owner) s.m_nOwnerId = owner->m_nId;
    world_.scene.m_vShotDrawList[static_cast<size_t>(layer)].push_back(&s);
    return s;
  }
  int Pass() { return world_.scene.StepHits(g_lChara); }
  std::vector<playkit::FiredEvent> EventsOf(int id) const {
    std::vector<playkit::FiredEvent> out;
    for (const auto& e : world_.events)
      if (e.charaId == id) out.push_back(e);
    return out;
  }
  // Exactly one event was fired on the character: this key, partner and value.
  void ExpectOnly(int id, int key, int partnerId, int value = 0) const {
    auto ev = EventsOf(id);
    ASSERT_EQ(ev.size(), 1u);
    EXPECT_EQ(ev[0].key, key);
    EXPECT_EQ(ev[0].partnerId, partnerId);
    EXPECT_EQ(ev[0].value, value);
  }
  size_t ShotsInLists() const {
    size_t n = 0;
    for (const auto& l : world_.scene.m_vShotDrawList) n += l.size();
    return n;
  }

  playkit::WindowRequestRecorder sounds_;
  playkit::PlayWorld world_;
};

TEST_F(HitPass, TheSameLayerNeverMeetsAndAnotherLayerDoes) {
  cPlayer& hero = Hero(1, 100);
  cStageChara& friendOfHero = Chara(1, 105, 100, 10, 3);
  cShot& own = Shot(1, &hero, 100, 100, 4);
  EXPECT_EQ(Pass(), 0);
  EXPECT_EQ(hero.m_nHp, 10);
  EXPECT_EQ(friendOfHero.m_nHp, 10);
  EXPECT_TRUE(world_.events.empty());
  EXPECT_EQ(own.m_bRemoved, 0);
  // The same character in layer 2 meets both the hero and the hero's shot.
  friendOfHero.m_nLayer = 2;
  world_.scene.m_vDrawList[1].remove(&friendOfHero);
  world_.scene.m_vDrawList[2].push_back(&friendOfHero);
  EXPECT_EQ(Pass(), 0);
  EXPECT_EQ(hero.m_nHp, 10 - 3);
  EXPECT_EQ(friendOfHero.m_nHp, 10 - 4);
}

TEST_F(HitPass, AShotWithoutOwnerFiresOnlyTheHitEventAndAnOwnerHearsOfTheHit) {
  cStageChara& owner = Chara(1, 300);
  cStageChara& target = Chara(2, 100);
  cShot& orphan = Shot(1, nullptr, 100, 100, 0);
  g_SystemData.m_bLegacy763B = 1;  // unpowered: events only, the shot stays
  orphan.m_bReport = 1;
  orphan.m_byReportValue = 5;
  EXPECT_EQ(Pass(), 0);
  ExpectOnly(target.m_nId, 7, -1);
  EXPECT_TRUE(EventsOf(owner.m_nId).empty());

  world_.events.clear();
  orphan.Link(&owner, nullptr);
  EXPECT_EQ(Pass(), 0);
  ExpectOnly(target.m_nId, 7, owner.m_nId);
  ExpectOnly(owner.m_nId, 20, target.m_nId, 5);
  // Without the report switch the owner hears nothing.
  world_.events.clear();
  orphan.m_bReport = 0;
  EXPECT_EQ(Pass(), 0);
  EXPECT_TRUE(EventsOf(owner.m_nId).empty());
}

TEST_F(HitPass, ASwordHitsEveryCharacterOnceAPlainShotOnlyTheFirst) {
  cStageChara& a = Chara(2, 100);
  cStageChara& b = Chara(2, 104);
  cShot& sword = Shot(1, nullptr, 100, 100, 2, 0);
  EXPECT_EQ(Pass(), 0);
  EXPECT_EQ(a.m_nHp, 8);
  EXPECT_EQ(b.m_nHp, 8);
  EXPECT_EQ(sword.m_bRemoved, 0);
  // Already hit: the next passes leave both alone.
  EXPECT_EQ(Pass(), 0);
  EXPECT_EQ(a.m_nHp, 8);
  EXPECT_EQ(b.m_nHp, 8);
  EXPECT_EQ(sounds_.Sounds(), (std::vector<int>{kSoundHit, kSoundHit}));

  sword.m_lHitList.clear();
  sword.m_bShot = 1;
  EXPECT_EQ(Pass(), 0);
  EXPECT_EQ(a.m_nHp, 6);
  EXPECT_EQ(b.m_nHp, 8);
  // Removed and swept from the shot lists after the pass.
  EXPECT_EQ(world_.scene.m_lShot.Stored(), 0u);
  EXPECT_EQ(ShotsInLists(), 0u);
}

TEST_F(HitPass, PassThroughSwitchesByTheKindOfCharacter) {
  struct Case {
    int blockChara, passChara, passBlock;
    bool kept;
  };
  const Case cases[] = {{0, 1, 0, true}, {0, 0, 1, false}, {1, 0, 1, true}, {1, 1, 0, false}, {0, 2, 2, false}};
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.blockChara << k.passChara << k.passBlock);
    cStageChara& c = Chara(2, 100);
    c.m_Data.m_bBlockChara = static_cast<uint8_t>(k.blockChara);
    cShot& s = Shot(1, nullptr, 100);
    s.m_Shot.m_bPassChara = static_cast<uint8_t>(k.passChara);
    s.m_Shot.m_bPassBlockChara = static_cast<uint8_t>(k.passBlock);
    EXPECT_EQ(Pass(), 0);
    EXPECT_EQ(c.m_nHp, 9);
    EXPECT_EQ(world_.scene.m_lShot.Count(), k.kept ? 1u : 0u);
    world_.scene.m_lShot.Clear();
    world_.scene.m_vShotDrawList[1].clear();
    g_lChara.Remove(c);
  }
}

TEST_F(HitPass, BoxesMeetWithInclusiveEdges) {
  struct Case {
    double shotX;
    bool hit;
  };
  // The character's box B spans 100..109.
  const Case cases[] = {{110, false}, {109.5, false}, {109, true}, {91, true}, {90.5, false}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.shotX);
    cStageChara& c = Chara(2, 100);
    cShot& s = Shot(1, nullptr, k.shotX);
    s.m_bShot = 0;
    EXPECT_EQ(Pass(), 0);
    EXPECT_EQ(c.m_nHp, k.hit ? 9 : 10);
    world_.scene.m_lShot.Clear();
    world_.scene.m_vShotDrawList[1].clear();
    g_lChara.Remove(c);
  }
}

TEST_F(HitPass, PoweredAndUnpoweredShotsUnderBothSettingsOfTheSwitch) {
  g_StageData.m_nCharaContactPause = 5;
  struct Case {
    int legacyB, power, impact;
    bool damages, paused;
  };
  const Case cases[] = {
      {0, 1, 0, true, true},  {1, 1, 0, true, true},  {0, 0, 1, true, true},
      {0, 0, 0, true, false}, {1, 0, 0, false, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.legacyB << k.power << k.impact);
    g_SystemData.m_bLegacy763B = k.legacyB;
    sounds_.requests.clear();
    world_.events.clear();
    cStageChara& c = Chara(2, 100);
    cShot& s = Shot(1, nullptr, 100, 100, k.power);
    s.m_Shot.m_cImpact = static_cast<int8_t>(k.impact);
    EXPECT_EQ(Pass(), 0);
    EXPECT_EQ(c.m_nHp, 10 - k.power);
    EXPECT_EQ(c.m_nPause, k.paused ? 5 * SubSteps() : 0);
    EXPECT_EQ(sounds_.Sounds(), k.damages ? std::vector<int>{kSoundHit} : std::vector<int>{});
    EXPECT_EQ(world_.scene.m_lShot.Count(), k.damages ? 0u : 1u);
    EXPECT_EQ(world_.KeysOf(c.m_nId).front(), 7);
    world_.scene.m_lShot.Clear();
    world_.scene.m_vShotDrawList[1].clear();
    g_lChara.Remove(c);
  }
}

TEST_F(HitPass, AHitIsRefusedWhileThePauseRunsOrTheCharacterIsOutOfPlay) {
  // Side by side, so that they do not touch each other; one sword box over all of them.
  cStageChara& paused = Chara(2, 100);
  paused.m_nPause = 1;
  cStageChara& invincible = Chara(3, 120);
  invincible.m_Data.m_byInvincible = 2;
  cStageChara& dead = Chara(4, 140);
  dead.m_bDead = 1;
  cStageChara& idle = Chara(5, 160);
  idle.m_bActive = 0;
  cStageChara& offScreen = Chara(6, 180);
  offScreen.m_bOnScreen = 0;
  cStageChara& hurtless = Chara(7, 200);
  hurtless.m_Data.m_byInvincible = 1;
  auto wideSword = [&]() -> cShot& {
    cShot& s = Shot(1, nullptr, 100);
    s.m_bShot = 0;
    SetBox(s.m_Box, 0, 100, 1000, 109);
    return s;
  };
  cShot& first = wideSword();
  EXPECT_EQ(Pass(), 0);
  for (cChara* c : std::vector<cChara*>{&paused, &invincible, &dead, &idle}) EXPECT_TRUE(world_.KeysOf(c->m_nId).empty());
  // Off screen counts only when the stage hits on screen only; invincibility 1 takes the hit
  // without losing hit points.
  EXPECT_EQ(world_.KeysOf(offScreen.m_nId), (std::vector<int>{7, 1}));
  EXPECT_EQ(offScreen.m_nHp, 9);
  EXPECT_EQ(world_.KeysOf(hurtless.m_nId), (std::vector<int>{7, 1}));
  EXPECT_EQ(hurtless.m_nHp, 10);

  cObjectList<cShot>::Remove(first);
  g_StageData.m_bHitOnScreenOnly = 1;
  world_.events.clear();
  cShot& second = wideSword();
  EXPECT_EQ(Pass(), 0);
  EXPECT_TRUE(world_.KeysOf(offScreen.m_nId).empty());
  EXPECT_EQ(world_.KeysOf(hurtless.m_nId), (std::vector<int>{7, 1}));
  // A shot off screen hits nothing either.
  cObjectList<cShot>::Remove(second);
  wideSword().m_bOnScreen = 0;
  paused.m_nPause = 0;
  world_.events.clear();
  EXPECT_EQ(Pass(), 0);
  EXPECT_TRUE(world_.events.empty());
}

TEST_F(HitPass, TheScheduleSkipsTheShotsButNotTheCharacters) {
  g_StageData.m_nHitChecks = 1;
  world_.scene.m_vHitSchedule = cSafeVector<int32_t>{1, 0};
  cStageChara& a = Chara(1, 100, 100, 10, 2);
  cStageChara& b = Chara(2, 100);
  Shot(3, nullptr, 100).m_bShot = 0;
  world_.scene.m_nSubStep = 2;
  EXPECT_EQ(Pass(), 0);
  EXPECT_EQ(a.m_nHp, 10);
  EXPECT_EQ(b.m_nHp, 8);
  world_.scene.m_nSubStep = 1;
  b.m_lPartnerPause.clear();
  EXPECT_EQ(Pass(), 0);
  EXPECT_EQ(a.m_nHp, 9);
  EXPECT_EQ(b.m_nHp, 5);
  // Every sub-step when the stage asks for no schedule.
  g_StageData.m_nHitChecks = 0;
  world_.scene.m_nSubStep = 2;
  b.m_lPartnerPause.clear();
  EXPECT_EQ(Pass(), 0);
  EXPECT_EQ(a.m_nHp, 9);  // the sword has hit a already
  EXPECT_EQ(b.m_nHp, 3);
}

TEST_F(HitPass, CharactersHurtEachOtherAndThenPauseForTheirPartner) {
  cStageChara& w = Chara(1, 100, 100, 10, 3);
  cStageChara& y = Chara(2, 105, 105, 10, 4);
  EXPECT_EQ(Pass(), 0);
  EXPECT_EQ(w.m_nHp, 6);
  EXPECT_EQ(y.m_nHp, 7);
  EXPECT_EQ(world_.KeysOf(w.m_nId), (std::vector<int>{4, 1}));
  EXPECT_EQ(world_.KeysOf(y.m_nId), (std::vector<int>{4, 1}));
  EXPECT_EQ(sounds_.Sounds(), std::vector<int>{kSoundHit});
  EXPECT_TRUE(w.IsPausedFor(y.m_nId));
  EXPECT_TRUE(y.IsPausedFor(w.m_nId));
  // While both pauses run, nothing happens between them.
  world_.events.clear();
  EXPECT_EQ(Pass(), 0);
  EXPECT_TRUE(world_.events.empty());
  EXPECT_EQ(w.m_nHp, 6);
  // Boxes A meet with inclusive edges: y's box starts one dot after w's ends.
  w.m_lPartnerPause.clear();
  y.m_lPartnerPause.clear();
  Put(y, 110, 100);
  EXPECT_EQ(Pass(), 0);
  EXPECT_TRUE(world_.events.empty());
  Put(y, 109, 100);
  EXPECT_EQ(Pass(), 0);
  EXPECT_EQ(w.m_nHp, 2);
}

TEST_F(HitPass, APartnerPauseIsOneSided) {
  cPlayer& hero = Hero(1, 100, 100, 10);
  hero.m_Data.m_nPower = 2;
  cStageChara& enemy = Chara(2, 100, 100, 10, 3);
  enemy.m_lPartnerPause.push_back({hero.m_nId, 10});
  EXPECT_EQ(Pass(), 0);
  EXPECT_TRUE(world_.KeysOf(enemy.m_nId).empty());
  EXPECT_EQ(enemy.m_nHp, 10);
  EXPECT_EQ(world_.KeysOf(hero.m_nId), (std::vector<int>{4, 1}));
  EXPECT_EQ(hero.m_nHp, 7);
}

TEST_F(HitPass, ReportsFollowBothDamagesUnlessTheOldSwitchIsSet) {
  for (int legacyA : {0, 1}) {
    SCOPED_TRACE(legacyA);
    g_SystemData.m_bLegacy763A = legacyA;
    world_.events.clear();
    cStageChara& w = Chara(1, 100, 100, 10, 3);
    cStageChara& y = Chara(2, 100, 100, 10, 4);
    // The hit points of both when each damage report (key 1) runs.
    std::vector<std::pair<int, int>> seen;
    world_.onEvent = [&](cChara&, int key, cObject*, int) {
      if (key == 1) seen.emplace_back(w.m_nHp, y.m_nHp);
    };
    EXPECT_EQ(Pass(), 0);
    if (legacyA)
      EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{6, 10}, {6, 7}}));
    else
      EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{6, 7}, {6, 7}}));
    world_.onEvent = nullptr;
    g_lChara.Remove(w);
    g_lChara.Remove(y);
  }
}

TEST_F(HitPass, ASummonerHearsOfItsSummonsContact) {
  cStageChara& summoner = Chara(3, 300);
  cStageChara& w = Chara(1, 100);
  cStageChara& y = Chara(2, 100);
  y.m_lpSummoner = &summoner;
  y.m_bReportToSummoner = 1;
  y.m_byReportValue = 9;
  EXPECT_EQ(Pass(), 0);
  ExpectOnly(w.m_nId, 4, summoner.m_nId);
  ExpectOnly(summoner.m_nId, 20, w.m_nId, 9);
  ExpectOnly(y.m_nId, 4, w.m_nId);
  y.m_lpSummoner = nullptr;
}

TEST_F(HitPass, BlockCharactersDoNotMeetInThePairs) {
  cStageChara& w = Chara(1, 100, 100, 10, 3);
  cStageChara& y = Chara(2, 100, 100, 10, 3);
  y.m_Data.m_bBlockChara = 1;
  EXPECT_EQ(Pass(), 0);
  EXPECT_TRUE(world_.events.empty());
  EXPECT_EQ(w.m_nHp, 10);
}

TEST_F(HitPass, ShotsCancelByStrength) {
  struct Case {
    int cancelP, strengthP, cancelQ, strengthQ;
    bool pGone, qGone;
  };
  const Case cases[] = {
      {1, 3, 1, 3, true, true},   {1, 3, 1, 4, true, false}, {1, 4, 1, 3, false, true},
      {1, 0, 0, 9, true, false},  {0, 9, 1, 0, false, true}, {0, 0, 0, 0, false, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.cancelP << k.strengthP << k.cancelQ << k.strengthQ);
    cShot& p = Shot(1, nullptr, 100);
    cShot& q = Shot(2, nullptr, 109, 109);
    p.m_Shot.m_bHitsShots = static_cast<uint8_t>(k.cancelP);
    p.m_Shot.m_byShotStrength = static_cast<uint8_t>(k.strengthP);
    q.m_Shot.m_bHitsShots = static_cast<uint8_t>(k.cancelQ);
    q.m_Shot.m_byShotStrength = static_cast<uint8_t>(k.strengthQ);
    EXPECT_EQ(Pass(), 0);
    size_t left = (k.pGone ? 0 : 1) + (k.qGone ? 0 : 1);
    EXPECT_EQ(world_.scene.m_lShot.Stored(), left);
    EXPECT_EQ(ShotsInLists(), left);
    world_.scene.m_lShot.Clear();
    for (auto& l : world_.scene.m_vShotDrawList) l.clear();
  }
}

TEST_F(HitPass, AWeakerShotCancelledLaterStillCancelsOthersFirst) {
  cShot& p = Shot(1, nullptr, 100);
  cShot& q1 = Shot(2, nullptr, 100);
  cShot& q2 = Shot(2, nullptr, 100);
  cShot& apart = Shot(2, nullptr, 111);
  p.m_Shot.m_bHitsShots = 1;
  p.m_Shot.m_byShotStrength = 2;
  q1.m_Shot.m_bHitsShots = 1;
  q1.m_Shot.m_byShotStrength = 2;
  q2.m_Shot.m_bHitsShots = 1;
  q2.m_Shot.m_byShotStrength = 1;
  apart.m_Shot.m_bHitsShots = 1;
  EXPECT_EQ(Pass(), 0);
  EXPECT_EQ(world_.scene.m_lShot.Stored(), 1u);
  ASSERT_EQ(world_.scene.m_vShotDrawList[2].size(), 1u);
  EXPECT_EQ(world_.scene.m_vShotDrawList[2].front(), &apart);
}

// Each early end of the pass clears the hit-pass flag and sweeps the shots it removed.
TEST_F(HitPass, EveryEarlyEndClearsTheFlagAndSweepsTheRemovedShots) {
  playkit::ItemListRecorder lists;
  g_StageData.m_vItem.push_back(fixture::Item(3));
  g_StageData.m_vItem.back().m_vCmd.assign(1, playkit::ItemListRecorder::StageClear());
  cPaletteBinding binding(2, g_StageData.m_vBlock, g_StageData.m_vChara, g_StageData.m_vItem);
  enum Way { kHeroByShot, kItem, kEndedStage, kHeroByTouch };
  struct Case {
    Way way;
    int result;
  };
  for (const Case& k : {Case{kHeroByShot, 2}, Case{kItem, 1}, Case{kEndedStage, 1}, Case{kHeroByTouch, 2}}) {
    SCOPED_TRACE(k.way);
    world_.scene.m_nStageResult = 0;
    cPlayer& hero = Hero(1, 500, 100, 1);
    cStageChara& enemy = Chara(2, 100, 100, 1);
    // A first shot removed by its hit, before the one that ends the pass.
    cStageChara& first = Chara(2, 300, 100, 5);
    Shot(1, nullptr, 300);
    cShot* ender = nullptr;
    switch (k.way) {
      case kHeroByShot:
        ender = &Shot(2, nullptr, 500);
        break;
      case kItem:
        ender = &Shot(1, nullptr, 100, 100, 0);
        enemy.m_nHp = 5;
        ender->m_Shot.m_byItemPalette = 2;
        ender->m_Shot.m_sItem = static_cast<int16_t>(g_StageData.m_vItem.size() - 1);
        break;
      case kEndedStage:
        world_.scene.m_nStageResult = 1;
        ender = &Shot(1, nullptr, 100);
        break;
      case kHeroByTouch:
        enemy.m_Data.m_nPower = 1;
        Put(enemy, 500, 100);
        break;
    }
    EXPECT_EQ(Pass(), k.result);
    EXPECT_EQ(world_.scene.m_bHitPass, 0);
    EXPECT_EQ(first.m_nHp, 4);
    for (const auto& l : world_.scene.m_vShotDrawList)
      for (const cShot* s : l) EXPECT_EQ(s->m_bRemoved, 0);
    EXPECT_EQ(world_.scene.m_lShot.Stored(), ShotsInLists());
    world_.scene.m_lShot.Clear();
    for (auto& l : world_.scene.m_vShotDrawList) l.clear();
    for (auto& l : world_.scene.m_vDrawList) l.clear();
    g_lChara.Clear();
    (void)hero;
  }
  EXPECT_EQ(world_.scene.m_bHitPass, 0);
}

TEST_F(HitPass, KilledCharactersPlayTheirSoundAndDie) {
  cStageChara& enemy = Chara(2, 100, 100, 2);
  enemy.m_Data.m_nScore = 50;
  cShot& s = Shot(1, nullptr, 100, 100, 2);
  s.m_bShot = 0;
  cStageChara& survivor = Chara(3, 100, 100, 3);
  EXPECT_EQ(Pass(), 0);
  EXPECT_EQ(enemy.m_bDead, 1);
  EXPECT_EQ(g_SaveData.m_nStageScore, 50);
  EXPECT_EQ(survivor.m_nHp, 1);
  EXPECT_EQ(sounds_.Sounds(), (std::vector<int>{kSoundKilled, kSoundHit}));
  // A dead character is out of the pass.
  world_.events.clear();
  s.m_lHitList.clear();
  EXPECT_EQ(Pass(), 0);
  EXPECT_TRUE(world_.KeysOf(enemy.m_nId).empty());
}

TEST_F(HitPass, KillStepByKindAndState) {
  cPlayer& hero = Hero(1, 100);
  cStageChara& c = Chara(2, 100);
  EXPECT_EQ(world_.scene.KillChara(hero), 2);
  EXPECT_EQ(hero.m_bDead, 0);
  EXPECT_EQ(world_.scene.KillChara(c), 0);
  EXPECT_EQ(c.m_bDead, 1);
  EXPECT_EQ(world_.KeysOf(c.m_nId), std::vector<int>{3});
  EXPECT_EQ(world_.scene.KillChara(c), 0);
  EXPECT_EQ(world_.KeysOf(c.m_nId), std::vector<int>{3});
  cStageChara& d = Chara(2, 200);
  world_.scene.m_nStageResult = 1;
  EXPECT_EQ(world_.scene.KillChara(d), 1);
}

class HpCheck : public HitPass {};

TEST_F(HpCheck, TheHeroWithoutHitPointsDies) {
  cPlayer& hero = Hero(1, 100, 100, 5);
  cStageChara& c = Chara(2, 200, 100, 5);
  c.m_nHp = 0;
  hero.m_nHp = 0;
  EXPECT_EQ(world_.scene.CheckHp(), 1);
  EXPECT_EQ(hero.m_bDead, 1);
  EXPECT_EQ(c.m_bRemoved, 0);
  EXPECT_EQ(sounds_.Sounds(), std::vector<int>{kSoundHeroDies});
  // A hero with 1 hit point is not checked further.
  hero.m_bDead = 0;
  hero.m_nHp = 1;
  c.m_nHp = 1;
  sounds_.requests.clear();
  EXPECT_EQ(world_.scene.CheckHp(), 0);
  EXPECT_TRUE(sounds_.Sounds().empty());
}

TEST_F(HpCheck, CharactersRemovedOrDefeated) {
  for (int option : {0, 1}) {
    SCOPED_TRACE(option);
    g_SystemData.m_bOption272 = option;
    sounds_.requests.clear();
    Hero(1, 100, 100, 5);
    cStageChara& gone = Chara(2, 200);
    gone.m_bRemoveNow = 1;
    cStageChara& alive = Chara(2, 300, 100, 1);
    cStageChara& beaten = Chara(2, 400, 100, 5);
    beaten.m_nHp = 0;
    EXPECT_EQ(world_.scene.CheckHp(), 0);
    EXPECT_EQ(gone.m_bRemoved, 1);
    EXPECT_EQ(alive.m_bRemoved, 0);
    EXPECT_EQ(beaten.m_bDead, 1);
    // With the option the defeated character stays (its drawing takes it out) with sound 9.
    EXPECT_EQ(beaten.m_bRemoved, option ? 0 : 1);
    EXPECT_EQ(sounds_.Sounds(), option ? std::vector<int>{kSoundKilled} : std::vector<int>{});
    // Once dead it is not defeated again.
    sounds_.requests.clear();
    EXPECT_EQ(world_.scene.CheckHp(), 0);
    EXPECT_TRUE(sounds_.Sounds().empty());
    for (auto& l : world_.scene.m_vDrawList) l.clear();
    g_lChara.Clear();
  }
}

TEST_F(HpCheck, ADefeatThatEndsThePlayEndsTheCheck) {
  for (int option : {0, 1}) {
    SCOPED_TRACE(option);
    g_SystemData.m_bOption272 = option;
    sounds_.requests.clear();
    Hero(1, 100, 100, 5);
    cStageChara& beaten = Chara(2, 400, 100, 5);
    beaten.m_nHp = 0;
    cStageChara& next = Chara(2, 500, 100, 5);
    next.m_nHp = 0;
    world_.scene.m_nStageResult = 1;
    EXPECT_EQ(world_.scene.CheckHp(), 1);
    EXPECT_EQ(beaten.m_bRemoved, 1);
    EXPECT_EQ(next.m_bRemoved, 0);
    EXPECT_EQ(sounds_.Sounds(), std::vector<int>{kSoundEndPlay});
    world_.scene.m_nStageResult = 0;
    for (auto& l : world_.scene.m_vDrawList) l.clear();
    g_lChara.Clear();
  }
}

}  // namespace
