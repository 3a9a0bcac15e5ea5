// The passes over pairs of objects visit only the objects near each other, and still meet the
// same pairs in the same order as a walk of every pair. Checked through the real frame with the
// flows running: a melee of characters on five sides that fire shots which cancel each other,
// pass through or give items, die and summon others in their place (while the damage pass runs),
// and an item whose commands warp the hero in the middle of the pass. Every frame's state digest
// and every event fired, in order, must be those of the same play with the pairs walked whole.
// Also the places where the index of the pass must be built again: a character summoned by a
// death inside the pass meets the shots after it in that pass, and a block character made after
// the index of the block characters was built holds bodies in the same sub-step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "defs/cmd_kind.h"
#include "defs/ed_move.h"
#include "defs/ed_shot.h"
#include "defs/key_history.h"
#include "engine/play_digest.h"
#include "engine/shot.h"
#include "fixture/fixture.h"
#include "platform/time.h"
#include "play_scene_kit.h"
#include "project/global_data.h"
#include "script/flow_trigger.h"
#include "ui/input.h"

namespace {

using playscene::PlaySceneTest;

// An item whose one command warps the one who takes it `halfBlocks` half blocks up.
cItemData WarpUpItem(int halfBlocks) {
  cItemData warp = fixture::Item(3);
  cFlowCmd up = fixture::Command(CMD_WARP);
  up.m_byKind = static_cast<int8_t>(CMD_WARP - CMD_STAGE_CLEAR + LISTCMD_FIRST_SHARED);
  CreateEdMove(up.m_pMove);
  up.m_pMove->m_byDirection = 6;
  up.m_pMove->m_sDistance = static_cast<int16_t>(halfBlocks);
  warp.m_vCmd.push_back(up);
  return warp;
}

cFlowCmd WaitCmd(int tenths) {
  cFlowCmd cmd = fixture::Command(CMD_WAIT);
  cmd.m_sTime = static_cast<int16_t>(tenths);
  return cmd;
}

// The melee: 40 × 15 cells, a floor, the hero (layer 1) walking and firing on its button, 120
// characters on layers 2 to 5, most flying, one in ten a block character that others land on,
// that fire now and then and summon two of the stage's entry 1 when they die; entry 1 of the
// items warps the hero up.
cStage MeleeStage(uint32_t seed, bool hitOnScreenOnly) {
  std::mt19937 rng(seed);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  cStage s = fixture::Stage(40, 15);
  fixture::Fill(s, fixture::Block(1), 0, 14, 39, 14);
  s.m_bHitOnScreenOnly = hitOnScreenOnly ? 1 : 0;
  s.m_nHitChecks = 0;

  // Shots flying in the direction of the angle, some cancelling others, some passing through
  // characters, some giving the warping item.
  auto shot = [&](int layer) {
    cFlowCmd c = fixture::ShotCommand(CMD_SHOT, pick(1, 2));
    cEdShot& d = *c.m_pShot;
    d.m_sSpeed = static_cast<int16_t>(pick(10, 60));
    d.m_sAngle = static_cast<int16_t>(pick(0, 359));
    d.m_sAngleRandom = 40;
    d.m_bOwnerLayer = layer == 0 ? 1 : 0;
    d.m_byLayer = static_cast<uint8_t>(layer);
    d.m_nPower = pick(0, 2);
    d.m_cImpact = static_cast<int8_t>(pick(0, 3));
    d.m_bPassChara = static_cast<uint8_t>(pick(0, 3) == 0);
    d.m_bHitsShots = static_cast<uint8_t>(pick(0, 2) == 0);
    d.m_byShotStrength = static_cast<uint8_t>(pick(0, 2));
    if (pick(0, 5) == 0) {
      d.m_byItemPalette = 2;  // the stage's palette
      d.m_sItem = 1;
    }
    d.m_bLifetime = 1;
    d.m_sLifetime = static_cast<int16_t>(pick(2, 8));
    return c;
  };

  cCharaData hero = fixture::Hero(1);
  hero.m_nMaxHp = 100000;
  hero.m_byLayer = 1;
  cFlow fire = fixture::Flow(TRIGGER_ALWAYS, {shot(0), WaitCmd(1)});
  cKeyList held;
  held.m_vKeyState.CheckedAt(KEYPOS_BUTTON_1) = KEYSTATE_HELD;
  held.m_bAnyLength = 1;
  fire.m_vKeyList.push_back(held);
  hero.m_vFlow.push_back(fire);
  fixture::Place(s, hero, 3, 13);

  // Entry 1: what a death summons, on the dying character's side.
  cCharaData spawn = fixture::Chara(2);
  spawn.m_byFlying = 1;
  spawn.m_nMaxHp = 1;
  spawn.m_nPower = 1;
  spawn.m_cImpact = 2;
  s.m_vChara.push_back(spawn);
  // Entry 1 of the items: warps the one who takes it two half blocks up.
  const cItemData warp = WarpUpItem(2);
  s.m_vItem.push_back(warp);

  for (int i = 0; i < 120; ++i) {
    cCharaData c = fixture::Chara(2);
    // One in three walks (falling onto the floor or onto block characters and riding them).
    c.m_byFlying = static_cast<uint8_t>(pick(0, 2) != 0);
    c.m_byActRange = 3;
    c.m_byLayer = static_cast<uint8_t>(2 + i % 4);
    c.m_nMaxHp = pick(1, 3);
    c.m_nPower = pick(0, 2);
    c.m_cImpact = static_cast<int8_t>(pick(0, 4));
    c.m_bBlockChara = static_cast<uint8_t>(pick(0, 9) == 0);
    cFlowCmd summon = fixture::ShotCommand(CMD_SUMMON_CHARA, 2);
    summon.m_pShot->m_bySummonPalette = 1;
    summon.m_pShot->m_sSummonIndex = 1;
    summon.m_pShot->m_byLayerMode = 1;
    summon.m_pShot->m_byFormation = 2;
    summon.m_pShot->m_sFormParam[0] = 1;
    c.m_vFlow.push_back(fixture::Flow(TRIGGER_ALWAYS, {WaitCmd(pick(2, 8)), shot(c.m_byLayer)}));
    c.m_vFlow.push_back(fixture::Flow(3, {summon}));
    fixture::Place(s, c, pick(5, 38), pick(2, 13));
  }
  s.m_nSpeedLevel = 1;
  s.m_bShowStartBanner = 0;
  s.m_bShowStageBanner = 0;
  fixture::EncloseGrid(s);
  return s;
}

struct MeleeRun {
  std::vector<uint64_t> digests;
  uint64_t events = kDigestBasis;
  size_t eventCount = 0;
  size_t mostShots = 0;
  // The ids the scene gave out after the first frame: the characters summoned.
  int summoned = 0;
  // Characters riding a block character, summed over the frames.
  size_t riders = 0;
  // Uses of the block characters' grid after a body moved without telling it.
  size_t staleBlockUses = 0;
};

// The melee played for `frames` frames with random input, the pairs walked through the index or
// whole.
MeleeRun PlayMelee(const cStage& stage, bool whole, int frames) {
  MeleeRun run;
  PlaySceneTest t(stage);
  t.Scene().m_nSeed = 5;
  t.Scene().m_HitIndex.SetExhaustive(whole);
  t.Scene().m_BlockCharas.SetExhaustive(whole);
  t.Scene().m_BlockCharas.SetVerifying(true);
  g_StageData.SetDefContext();
  // Every event is logged, then starts the flows as it does in play.
  t.world.onEvent = [](cChara& c, int key, cObject* partner, int value) { FireFlowEvent(c, key, partner, value); };
  std::mt19937 keys(99);
  for (int f = 1; f <= frames; ++f) {
    g_vInput[0].SetWords(static_cast<WORD>(keys() % 16), static_cast<WORD>(keys() % 3 == 0 ? 1 : 0));
    g_vInput[0].m_nDirCode = cInput::GetDirCode(&g_vInput[0].m_wDir);
    t.Frames(1);
    AdvanceTestClock(16);
    run.digests.push_back(PlayStateDigest());
    for (const playkit::FiredEvent& e : t.world.events) run.events = DigestBytes(run.events, &e, sizeof e);
    run.eventCount += t.world.events.size();
    t.world.events.clear();
    if (f == 1) run.summoned = -t.Scene().m_nNextId;
    if (f == frames) run.summoned += t.Scene().m_nNextId;
    if (g_lpPlayScene) run.mostShots = std::max(run.mostShots, g_lpPlayScene->m_lShot.Count());
    g_lChara.ForEach([&run](cStageChara& c) { run.riders += c.m_bRiding ? 1 : 0; });
  }
  run.staleBlockUses = t.Scene().m_BlockCharas.StaleUses();
  return run;
}

// Half the stage lies off the screen and out of the characters' act range: the grids leave out
// the characters out of play (inactive, or off the screen where only hits on it count), which a
// walk of every pair passes by.
TEST(CrowdPasses, TheMeleeMeetsTheSamePairsInTheSameOrderAsAWalkOfEveryPair) {
  for (const bool onScreenOnly : {false, true}) {
    SCOPED_TRACE(onScreenOnly ? "hits on the screen only" : "hits everywhere");
    const cStage stage = MeleeStage(1, onScreenOnly);
    const MeleeRun near = PlayMelee(stage, false, 120);
    const MeleeRun whole = PlayMelee(stage, true, 120);
    ASSERT_EQ(near.digests.size(), whole.digests.size());
    for (size_t f = 0; f < near.digests.size(); ++f) ASSERT_EQ(near.digests[f], whole.digests[f]) << "frame " << f + 1;
    EXPECT_EQ(near.eventCount, whole.eventCount);
    EXPECT_EQ(near.events, whole.events);
    // The melee is one: characters died and summoned, shots flew.
    EXPECT_GT(near.eventCount, 1000u);
    EXPECT_GT(near.mostShots, 50u);
    // (Fewer where only the screen's half of the stage fights.)
    EXPECT_GT(near.summoned, onScreenOnly ? 50 : 100);
    EXPECT_GT(near.riders, 20u);
    EXPECT_EQ(near.staleBlockUses, 0u);
    EXPECT_EQ(whole.staleBlockUses, 0u);
  }
}

// The hero (layer 4, among 96 characters of its layer spread over the right of the stage) is
// warped 20 half blocks up, in the middle of the damage pass, by the commands of an item: the
// item a shot gives by its hit, or the item a character drops when a shot kills it. The grid of
// layer 4 was built before (a shot of layer 2 was tested against it); a later shot standing
// where the warp puts the hero hits it in the same pass.
TEST(CrowdPasses, AnObjectMovedByAnItemInsideThePassMeetsTheShotsAfterIt) {
  for (const bool byDeath : {false, true}) {
    SCOPED_TRACE(byDeath ? "the item dropped by a death" : "the item given by a hit");
    cStage s = fixture::Stage(20, 15);
    fixture::Fill(s, fixture::Block(1), 0, 14, 19, 14);
    s.m_bHitOnScreenOnly = 0;
    s.m_nHitChecks = 0;
    s.m_nSpeedLevel = 1;
    s.m_bShowStartBanner = 0;
    s.m_bShowStageBanner = 0;
    cCharaData hero = fixture::Hero(1);
    hero.m_nMaxHp = 10;
    hero.m_byLayer = 4;
    fixture::Place(s, hero, 3, 13);
    cCharaData crowd = fixture::Chara(2);
    crowd.m_byFlying = 1;
    crowd.m_byLayer = 4;
    for (int i = 0; i < 96; ++i) fixture::Place(s, crowd, 12 + i % 8, 1 + i / 8);
    // The item: its one command warps the one who takes it 20 half blocks up.
    const cItemData warp = WarpUpItem(20);
    s.m_vItem.push_back(warp);
    fixture::Place(s, warp, 0, 0);
    // The one the shot hits, on layer 3: killed by it and dropping the item, or hit and kept.
    cCharaData hit = fixture::Chara(2);
    hit.m_byLayer = 3;
    hit.m_nMaxHp = byDeath ? 1 : 100;
    fixture::Place(s, hit, 16, 13, byDeath ? 0 : -1);
    fixture::EncloseGrid(s);

    PlaySceneTest t(s);
    ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
    t.Scene().m_nState = 2;
    g_StageData.SetDefContext();
    t.world.onEvent = [](cChara& c, int key, cObject* partner, int value) { FireFlowEvent(c, key, partner, value); };
    cPlayer& h = g_vPlayer[0];
    cStageChara* target = nullptr;
    g_lChara.ForEach([&](cStageChara& c) {
      if (c.m_nLayer == 3) target = &c;
    });
    ASSERT_NE(target, nullptr);
    // Standing shots of their own layers, made by the hero, 16 × 16, their boxes centred on the
    // object's centre: first one far off on layer 2, then on layer 5 one on the hit character
    // (power 1, giving the item in the first case) and one at the place the warp puts the hero
    // (power 3).
    auto stand = [&](int layer, int power, int item, double cx, double cy) {
      cEdShot d;
      d.m_bOwnerLayer = 0;
      d.m_byLayer = static_cast<uint8_t>(layer);
      d.m_nPower = power;
      d.m_byItemPalette = static_cast<uint8_t>(item ? 2 : 0);  // the stage's palette
      d.m_sItem = static_cast<int16_t>(item);
      cShotSpawn spawn;
      spawn.nX = static_cast<int32_t>(cx) - 8;
      spawn.nY = static_cast<int32_t>(cy) - 8;
      spawn.nWidth = spawn.nHeight = 16;
      cShot shot;
      ASSERT_TRUE(shot.SetData(t.Scene().m_nNextShotId++, h, SHOT_KIND_SHOT, d, spawn));
      CloneShot(t.Scene().m_lShot, shot);
    };
    auto centreX = [](const cBox& b) { return (b.dLeft + b.dRight) / 2; };
    auto centreY = [](const cBox& b) { return (b.dTop + b.dBottom) / 2; };
    const double heroY = h.m_dY;
    stand(2, 0, 0, 10 * 32 + 40, 10 * 32 + 40);
    stand(5, 1, byDeath ? 0 : 1, centreX(target->m_BoxB), centreY(target->m_BoxB));
    stand(5, 3, 0, centreX(h.m_BoxB), centreY(h.m_BoxB) - 320);
    t.Frames(1);
    // Warped after its fall of the first sub-step (under a dot).
    EXPECT_NEAR(h.m_dY, heroY - 320, 1);
    EXPECT_EQ(h.m_nHp, 10 - 3);
    // The hit character died and was freed, or lives on.
    size_t onLayer3 = 0;
    g_lChara.ForEach([&](cStageChara& c) { onLayer3 += c.m_nLayer == 3 && !c.m_bDead ? 1 : 0; });
    EXPECT_EQ(onLayer3, byDeath ? 0u : 1u);
  }
}

}  // namespace
