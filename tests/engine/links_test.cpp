// Links between characters and shots (target slots, summoner, back-references, shot links)
// torn down in every order, lists changed while they are walked, trial copies, and the kit's
// window-request recorder and state digest.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <set>
#include <vector>

#include "core/sound_request.h"
#include "engine/shot.h"
#include "fixture/fixture.h"
#include "play_kit.h"

namespace {

class Links : public ::testing::Test {
 protected:
  Links() : world_(fixture::Stage(30, 20)) {}

  // Every link between the live objects goes both ways, and nothing points at an object
  // that is no longer live.
  void ExpectConsistent(const std::set<const cChara*>& charas, const std::set<const cShot*>& shots) {
    for (const cChara* a : charas) {
      for (int j = 0; j < TARGET_SLOTS; ++j) {
        const cChara* t = a->m_vTarget[static_cast<size_t>(j)];
        if (!t) continue;
        ASSERT_TRUE(charas.count(t)) << "a target slot points at a removed character";
        EXPECT_TRUE(HasRef(*t, a, j));
      }
      if (a->m_lpSummoner) {
        ASSERT_TRUE(charas.count(a->m_lpSummoner)) << "a summoner link to a removed character";
        EXPECT_TRUE(HasRef(*a->m_lpSummoner, a, SUMMONER_SLOT));
      }
      for (const cCharaRef& r : a->m_vBackRef) {
        ASSERT_TRUE(charas.count(r.lpChara)) << "a back-reference to a removed character";
        if (r.nSlot == SUMMONER_SLOT)
          EXPECT_EQ(r.lpChara->m_lpSummoner, a);
        else
          EXPECT_EQ(r.lpChara->m_vTarget[static_cast<size_t>(r.nSlot)], a);
      }
      for (const cShotLink& l : a->m_vShotLink) {
        ASSERT_TRUE(shots.count(l.lpShot)) << "a shot link to a removed shot";
        EXPECT_EQ(l.nKind == 0 ? l.lpShot->m_lpTarget : l.lpShot->m_lpOwner, a);
      }
    }
    for (const cShot* s : shots) {
      if (s->m_lpOwner) {
        ASSERT_TRUE(charas.count(s->m_lpOwner)) << "a shot owned by a removed character";
      }
      if (s->m_lpTarget) {
        ASSERT_TRUE(charas.count(s->m_lpTarget)) << "a shot aimed at a removed character";
      }
    }
  }
  static bool HasRef(const cChara& target, const cChara* from, int slot) {
    for (const cCharaRef& r : target.m_vBackRef)
      if (r.lpChara == from && r.nSlot == slot) return true;
    return false;
  }

  playkit::PlayWorld world_;
};

TEST_F(Links, GraphTornDownInEveryOrderLeavesNoDanglingReference) {
  // Objects: 0 hero, 1 summoner, 2 child, 3 shot of the child at the hero, 4 shot of the
  // summoner at the child.
  std::array<int, 5> order = {0, 1, 2, 3, 4};
  int orders = 0;
  do {
    cPlayer& hero = world_.AddHero(fixture::Hero(), 1, 1);
    cStageChara& summoner = world_.AddChara(fixture::Chara(1), 3, 3);
    cStageChara& child = world_.AddChara(fixture::Chara(1), 5, 3);
    summoner.LinkInitialTargets(nullptr);
    child.LinkInitialTargets(&summoner);
    child.SetTarget(1, &summoner);
    summoner.SetTarget(2, &child);
    hero.SetTarget(3, &child);
    cObjectList<cShot> shotList;
    cShot& toHero = shotList.Add(std::make_unique<cShot>());
    toHero.Link(&child, &hero);
    cShot& toChild = shotList.Add(std::make_unique<cShot>());
    toChild.Link(&summoner, &child);

    std::set<const cChara*> charas = {&hero, &summoner, &child};
    std::set<const cShot*> shots = {&toHero, &toChild};
    ExpectConsistent(charas, shots);
    ASSERT_EQ(hero.m_vBackRef.size(), 2u);
    for (int object : order) {
      switch (object) {
        case 0:
          hero.ReleaseLinks();
          charas.erase(&hero);
          break;
        case 1:
          cObjectList<cStageChara>::Remove(summoner);
          charas.erase(&summoner);
          break;
        case 2:
          cObjectList<cStageChara>::Remove(child);
          charas.erase(&child);
          break;
        case 3:
          cObjectList<cShot>::Remove(toHero);
          shots.erase(&toHero);
          break;
        case 4:
          cObjectList<cShot>::Remove(toChild);
          shots.erase(&toChild);
          break;
      }
      // Removed objects are freed at once: any pointer left to them would be read after free
      // by the check below.
      g_lChara.Sweep();
      shotList.Sweep();
      ExpectConsistent(charas, shots);
      if (HasFailure()) return;
    }
    EXPECT_EQ(g_lChara.Stored(), 0u);
    EXPECT_EQ(shotList.Stored(), 0u);
    EXPECT_TRUE(hero.m_vBackRef.empty());
    ++orders;
  } while (std::next_permutation(order.begin(), order.end()));
  EXPECT_EQ(orders, 120);
}

TEST_F(Links, ACharacterRemovedDuringTheWalkThatVisitsItIsNotFreedUntilTheSweep) {
  cPlayer& hero = world_.AddHero(fixture::Hero(), 1, 1);
  std::vector<cStageChara*> all;
  for (int i = 0; i < 5; ++i) {
    cStageChara& c = world_.AddChara(fixture::Chara(1), 2 + i, 2);
    c.LinkInitialTargets(nullptr);
    all.push_back(&c);
  }
  std::vector<int> visited;
  g_lChara.ForEach([&](cStageChara& c) {
    visited.push_back(c.m_nId);
    if (&c == all[1]) {
      // Kills itself and the next one; neither is freed while the walk runs.
      cObjectList<cStageChara>::Remove(c);
      cObjectList<cStageChara>::Remove(*all[2]);
      EXPECT_EQ(g_lChara.Sweep(), 0u);
      EXPECT_EQ(c.m_vTarget[0], nullptr);
      // A character summoned during the walk is visited by it.
      world_.AddChara(fixture::Chara(1), 9, 2);
    }
    // Reading the character after its removal is safe until the sweep.
    EXPECT_GE(c.m_nHp, 0);
  });
  EXPECT_EQ(visited, (std::vector<int>{all[0]->m_nId, all[1]->m_nId, all[3]->m_nId, all[4]->m_nId, 6}));
  EXPECT_EQ(g_lChara.Count(), 4u);
  EXPECT_EQ(g_lChara.Sweep(), 2u);
  EXPECT_EQ(hero.m_vBackRef.size(), 3u);
  EXPECT_EQ(FindObjectById(all[3]->m_nId), all[3]);
  cObjectList<cStageChara>::Remove(*all[3]);
  EXPECT_EQ(FindObjectById(all[3]->m_nId), nullptr);
  EXPECT_EQ(FindObjectById(hero.m_nId), &hero);
}

TEST_F(Links, ASummonerKilledBeforeItsSummons) {
  world_.AddHero(fixture::Hero(), 1, 1);
  cStageChara& summoner = world_.AddChara(fixture::Chara(1), 3, 3);
  summoner.LinkInitialTargets(nullptr);
  std::vector<cStageChara*> summons;
  for (int i = 0; i < 3; ++i) {
    cStageChara& s = world_.AddChara(fixture::Chara(1), 4 + i, 3);
    s.LinkInitialTargets(&summoner);
    s.SetTarget(2, &summoner);
    summons.push_back(&s);
  }
  // The summoner dies in the walk; each summons, visited later in the same walk, finds its
  // links already cleared and dies in turn.
  int died = 0;
  g_lChara.ForEach([&](cStageChara& c) {
    if (&c == &summoner) {
      EXPECT_EQ(c.Die(), 0);
      cObjectList<cStageChara>::Remove(c);
      return;
    }
    EXPECT_EQ(c.m_lpSummoner, nullptr);
    EXPECT_EQ(c.m_vTarget[2], nullptr);
    c.Die();
    cObjectList<cStageChara>::Remove(c);
    ++died;
  });
  EXPECT_EQ(died, 3);
  EXPECT_EQ(g_lChara.Sweep(), 4u);
  EXPECT_TRUE(g_vPlayer[0].m_vBackRef.empty());
}

TEST_F(Links, ATrialCopyLeavesTheOriginalsLinksAlone) {
  cPlayer& hero = world_.AddHero(fixture::Hero(), 1, 1);
  cStageChara& summoner = world_.AddChara(fixture::Chara(1), 3, 3);
  cStageChara& c = world_.AddChara(fixture::Chara(1), 5, 3);
  c.LinkInitialTargets(&summoner);
  cShot shot;
  shot.Link(&summoner, &c);
  {
    cStageChara copy(c);
    EXPECT_EQ(copy.m_vTarget[0], &hero);
    EXPECT_EQ(copy.m_dX, c.m_dX);
    cStageChara other;
    other.CopyFrom(c);
  }
  EXPECT_EQ(c.m_vTarget[0], &hero);
  EXPECT_EQ(c.m_lpSummoner, &summoner);
  EXPECT_EQ(hero.m_vBackRef.size(), 1u);
  EXPECT_EQ(summoner.m_vBackRef.size(), 1u);
  EXPECT_EQ(shot.m_lpTarget, &c);
  EXPECT_EQ(c.m_vShotLink.size(), 1u);
  {
    cShot shotCopy(shot);
    EXPECT_EQ(shotCopy.m_lpTarget, nullptr);
  }
  EXPECT_EQ(c.m_vShotLink.size(), 1u);
}

TEST_F(Links, TargetSlotsOutsideZeroToThreeSelectNothing) {
  cStageChara& a = world_.AddChara(fixture::Chara(1), 3, 3);
  cStageChara& b = world_.AddChara(fixture::Chara(1), 5, 3);
  a.LinkInitialTargets(&b);
  for (int slot : {-1, 4, 5, 255}) {
    a.SetTarget(slot, &b);
    EXPECT_EQ(a.Target(slot), nullptr) << slot;
  }
  EXPECT_EQ(b.m_vBackRef.size(), 1u);
  a.SetTarget(3, &b);
  a.SetTarget(3, &b);
  EXPECT_EQ(a.Target(3), &b);
  EXPECT_EQ(b.m_vBackRef.size(), 2u);
  a.SetTarget(3, nullptr);
  EXPECT_EQ(b.m_vBackRef.size(), 1u);
  // A removed character cannot become a target.
  cObjectList<cStageChara>::Remove(b);
  EXPECT_EQ(a.m_lpSummoner, nullptr);
  a.SetTarget(1, &b);
  EXPECT_EQ(a.Target(1), nullptr);
}

// A character's list of links keeps them in the order they were made, each once, through any
// drops: iteration gives the links alone, reading by position gives them in the same order with
// holes (null objects) where dropped ones stood, until the holes outnumber the links and close.
TEST(LinkList, KeepsTheOrderOfItsLinksThroughDropsAndClosedHoles) {
  std::vector<cChara> charas(100);
  cLinkList<cCharaRef> refs;
  std::vector<cCharaRef> expected;
  for (int i = 0; i < 100; ++i) {
    refs.AddOnce({&charas[static_cast<size_t>(i)], i % 5});
    expected.push_back({&charas[static_cast<size_t>(i)], i % 5});
  }
  // Held once: the same link again changes nothing; another slot of the same object is another.
  refs.AddOnce({&charas[3], 3});
  refs.AddOnce({&charas[3], 4});
  expected.push_back({&charas[3], 4});
  EXPECT_TRUE(refs.Contains({&charas[3], 3}));
  EXPECT_FALSE(refs.Contains({&charas[3], 2}));
  auto live = [&refs] {
    std::vector<cCharaRef> out(refs.begin(), refs.end());
    return out;
  };
  auto same = [](const std::vector<cCharaRef>& a, const std::vector<cCharaRef>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), IsSameTargetRef);
  };
  // Dropping every third link, from the back, then a link not held.
  for (size_t i = expected.size(); i-- > 0;) {
    if (i % 3 != 0) continue;
    refs.Drop(expected[i]);
    expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(i));
  }
  refs.Drop({&charas[0], 4});
  EXPECT_EQ(refs.size(), expected.size());
  EXPECT_TRUE(same(live(), expected));
  std::vector<cCharaRef> byPosition;
  for (size_t i = 0; i < refs.RawSize(); ++i)
    if (refs.Raw(i).lpChara) byPosition.push_back(refs.Raw(i));
  EXPECT_TRUE(same(byPosition, expected));
  // Most of the rest dropped: the holes close, the order stays, and a new link comes last.
  while (expected.size() > 5) {
    refs.Drop(expected[1]);
    expected.erase(expected.begin() + 1);
  }
  EXPECT_LT(refs.RawSize(), 30u);
  refs.AddOnce({&charas[0], 0});
  expected.push_back({&charas[0], 0});
  EXPECT_TRUE(same(live(), expected));
  for (const cCharaRef& r : expected) EXPECT_TRUE(refs.Contains(r));
  refs.clear();
  EXPECT_TRUE(refs.empty());
  EXPECT_EQ(refs.begin(), refs.end());
}

TEST(PlayKit, WindowRequestsAreRecorded) {
  playkit::WindowRequestRecorder recorder;
  PlaySysSe(8);
  PlayUserSe(3);
  PlayUserSe(0);
  EXPECT_EQ(recorder.Sounds(), (std::vector<int>{8, 19}));
}

TEST(PlayKit, TheDigestTellsRunsApartByOneBit) {
  auto run = [](double nudge) {
    playkit::PlayWorld world(fixture::Stage(20, 15));
    cPlayer& hero = world.AddHero(fixture::Hero(), 1, 1);
    cStageChara& c = world.AddChara(fixture::Chara(1), 4, 1);
    c.LinkInitialTargets(nullptr);
    hero.m_dVX = 1.5 + nudge;
    for (int i = 0; i < 30; ++i) {
      hero.MoveStepX(2);
      hero.ApplyGravity();
      hero.MoveStepY(2);
      world.scene.MoveMapY(hero);
      world.scene.CountPlayTime();
    }
    return std::make_pair(playkit::PlayDigest(), playkit::DescribePlay());
  };
  auto a = run(0);
  auto b = run(0);
  EXPECT_EQ(a.first, b.first);
  EXPECT_EQ(a.second, b.second);
  auto c = run(0x1p-40);
  EXPECT_NE(a.first, c.first);
  EXPECT_NE(a.second.find("targets=0,-1,-1,-1"), std::string::npos);
}

}  // namespace
