// Stages with what the editing program never writes, played by the real frame with their
// flows. Objects that multiply without end: a character whose every-frame summon names itself
// (directly, through the load's repair of a summon of a missing palette entry, through a palette
// number other than 0 and 1), and a character that fires shots, summons items and starts
// effects every frame. Each kind stops at its limit: the last object that fits is made, the next
// is refused, and the refusal is written to the report log once per attempt at the stage; a
// close request reaches a frame at the limits. Box sizes and gravity far outside their sense,
// as the load's normalisation leaves them, play without overflow.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "defs/cmd_kind.h"
#include "defs/def_context.h"
#include "defs/ed_shot.h"
#include "engine/object_limits.h"
#include "engine/shot.h"
#include "core/thread.h"
#include "fixture/fixture.h"
#include "play_scene_kit.h"
#include "platform/message.h"
#include "project/database.h"
#include "project/global_data.h"
#include "ui/input.h"
#include "temp_dir.h"
#include "wait.h"

namespace {

using playscene::PlaySceneTest;

cFlowCmd Summon(int kind, int count, int palette, int index) {
  cFlowCmd cmd = fixture::ShotCommand(kind, count);
  cmd.m_pShot->m_bySummonPalette = static_cast<uint8_t>(palette);
  cmd.m_pShot->m_sSummonIndex = static_cast<int16_t>(index);
  return cmd;
}

// A 20 × 15 stage: the hero on a floor at its left end, and the maker, entry 1 of the stage's
// character palette, placed in the air at its right end; the stage's item palette has an entry
// 1. Written to a stage file and loaded again, as the player loads it.
cStage MakerStage(const cFlow& flow, const TempDir& dir, const std::function<void(cCharaData&)>& edit = nullptr,
                  const std::function<void(cStage&)>& place = nullptr) {
  cStage s = fixture::Stage(20, 15);
  fixture::Fill(s, fixture::Block(1), 0, 14, 19, 14);
  fixture::Place(s, fixture::Hero(2), 1, 13);
  cCharaData maker = fixture::Chara(3);
  maker.m_byFlying = 1;
  maker.m_vFlow.push_back(flow);
  if (edit) edit(maker);
  s.m_vChara.push_back(maker);
  s.m_vItem.push_back(fixture::Item(4));
  fixture::Place(s, maker, 16, 5);
  if (place) place(s);
  s.m_nSpeedLevel = 1;
  s.m_bShowStartBanner = 0;
  s.m_bShowStageBanner = 0;
  fixture::EncloseGrid(s);
  const std::string path = dir / "maker.stg4_000";
  EXPECT_EQ(s.SaveFile(path.c_str()), 1);
  cStage loaded;
  EXPECT_EQ(loaded.LoadFile(path.c_str()), 1);
  return loaded;
}

// The stage in play, its flows started by their events.
class MakerPlay {
 public:
  explicit MakerPlay(const cStage& stage) : t(stage) {
    EXPECT_EQ(t.Scene().SetStage(0, 1), 1);
    t.Scene().m_nState = 2;
    g_lpfnFireEventEx = nullptr;
  }
  // Plays frames until the count has stood still for three frames or has passed the limit (at
  // most `most` frames); the count then.
  size_t PlayUntilSteady(const std::function<size_t()>& count, size_t limit, int most) {
    size_t last = count();
    int still = 0;
    for (int frame = 0; frame < most && still < 3 && last <= limit; ++frame) {
      t.Frames(1);
      const size_t now = count();
      still = now == last ? still + 1 : 0;
      last = now;
    }
    return last;
  }
  PlaySceneTest t;
};

size_t Occurrences(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

const char kCharaRefusal[] = "characters held, the most a stage holds";

// The runaway: 1, 2, 4, ... characters, each summoning one more every frame. It stops at the
// limit exactly: the summon that makes the limit's character is made, the next is not. The
// maker itself, placed by the stage file, does not count.
TEST(ObjectLimits, ACharacterWhoseSummonNamesItselfStopsAtTheCharacterLimit) {
  struct Case {
    const char* name;
    int palette;
    int index;
  } cases[] = {
      {"its own entry", 1, 1},
      // The load repairs a summon of a missing entry to entry 1: the maker itself.
      {"a missing entry", 1, 999},
      {"entry -1", 1, -1},
      // Any palette number but 0 summons from the stage's palette; the load repairs nothing.
      {"palette number 2", 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CoreTestEnv env;
    MakerPlay play(MakerStage(fixture::Flow(TRIGGER_ALWAYS, {Summon(CMD_SUMMON_CHARA, 1, c.palette, c.index)}), env.dir()));
    const size_t held = play.PlayUntilSteady([] { return g_lChara.Count(); }, 1 + MAX_STAGE_CHARAS, 40);
    EXPECT_EQ(held, 1 + MAX_STAGE_CHARAS);
    EXPECT_EQ(g_lChara.Stored(), 1 + MAX_STAGE_CHARAS);
    EXPECT_EQ(Occurrences(env.ReportText(), kCharaRefusal), 1u) << env.ReportText();
  }
}

// Shots, items and running effects: 255 shots or items a frame, or 64 effects (one flow of 64
// effect commands, each run without a tick of its own).
TEST(ObjectLimits, ShotsItemsAndEffectsStopAtTheirLimits) {
  cFlowCmd effect = fixture::Command(CMD_EFFECT);
  effect.m_vParam[0] = 1;
  effect.m_vParam[6] = 100;
  const std::vector<cFlowCmd> effects(64, effect);
  struct Case {
    const char* name;
    cFlow flow;
    std::function<size_t()> count;
    size_t limit;
    const char* refusal;
  } cases[] = {
      {"shots", fixture::Flow(TRIGGER_ALWAYS, {fixture::ShotCommand(CMD_SHOT, 255)}), [] { return g_lpPlayScene->m_lShot.Count(); },
       MAX_STAGE_SHOTS, "shots held"},
      {"items", fixture::Flow(TRIGGER_ALWAYS, {Summon(CMD_SUMMON_ITEM, 255, 1, 1)}), [] { return g_lItem.Count(); }, MAX_STAGE_ITEMS,
       "items held"},
      {"effects", fixture::Flow(TRIGGER_ALWAYS, effects), [] { return g_lpPlayScene->m_lEffect.size(); }, MAX_RUNNING_EFFECTS,
       "running effects held"},
  };
  // One effect of one frame that lasts 1000 tenths of a second.
  const cDatabase saved = g_Database;
  g_Database.m_vEffect.assign(2, cEffectData());
  g_Database.m_vEffect[1] = fixture::Effect("long", "", {{0, 1000}});
  BuildEffectStepTable(g_Database, g_vEffectSteps);
  const cDefContext savedContext = g_DefContext;
  g_Database.SetDefContext();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CoreTestEnv env;
    MakerPlay play(MakerStage(c.flow, env.dir()));
    EXPECT_EQ(play.PlayUntilSteady(c.count, c.limit, 120), c.limit);
    EXPECT_EQ(g_lChara.Count(), 1u);
    EXPECT_EQ(Occurrences(env.ReportText(), c.refusal), 1u) << env.ReportText();
  }
  g_Database = saved;
  BuildEffectStepTable(g_Database, g_vEffectSteps);
  g_DefContext = savedContext;
}

// What the stage file places is the author's game: a stage that places one character and one
// item more than play may make loads them whole, and play still makes as many as the limits
// allow, the maker's summons of 255 characters and 255 items a frame stopping there.
TEST(ObjectLimits, PlacementsLoadWholeAndLeaveTheLimitsToPlay) {
  CoreTestEnv env;
  constexpr size_t placed = MAX_STAGE_CHARAS + 1;
  static_assert(MAX_STAGE_ITEMS + 1 == placed, "one count for both kinds");
  cStage stage = MakerStage(fixture::Flow(TRIGGER_ALWAYS, {Summon(CMD_SUMMON_CHARA, 255, 1, 1), Summon(CMD_SUMMON_ITEM, 255, 1, 1)}),
                            env.dir(), nullptr, [](cStage& s) {
                              // Standing on the floor, without flows, in ten cells.
                              const cCharaData idle = fixture::Chara(5);
                              for (size_t i = 0; i < placed; ++i) {
                                fixture::Place(s, idle, 4 + static_cast<int>(i % 10), 13);
                                fixture::Place(s, fixture::Item(6), 4 + static_cast<int>(i % 10), 12);
                              }
                            });
  MakerPlay play(stage);
  EXPECT_EQ(g_lChara.Count(), 1 + placed);
  EXPECT_EQ(g_lItem.Count(), placed);
  const size_t most = 1 + placed + MAX_STAGE_CHARAS;
  EXPECT_EQ(play.PlayUntilSteady([] { return g_lChara.Count() + g_lItem.Count(); }, most + placed + MAX_STAGE_ITEMS, 40),
            most + placed + MAX_STAGE_ITEMS);
  EXPECT_EQ(g_lChara.Count(), most);
  EXPECT_EQ(g_lItem.Count(), placed + MAX_STAGE_ITEMS);
  EXPECT_EQ(Occurrences(env.ReportText(), kCharaRefusal), 1u);
  EXPECT_EQ(Occurrences(env.ReportText(), "items held"), 1u);
}

// Every attempt at the stage logs its first refusal again.
TEST(ObjectLimits, TheRefusalIsLoggedOncePerAttempt) {
  CoreTestEnv env;
  MakerPlay play(MakerStage(fixture::Flow(TRIGGER_ALWAYS, {Summon(CMD_SUMMON_CHARA, 1, 1, 1)}), env.dir()));
  for (int attempt = 1; attempt <= 2; ++attempt) {
    if (attempt == 2) {
      ASSERT_EQ(play.t.Scene().SetStage(0, 0), 1);
    }
    EXPECT_EQ(play.PlayUntilSteady([] { return g_lChara.Count(); }, 1 + MAX_STAGE_CHARAS, 40), 1 + MAX_STAGE_CHARAS);
    EXPECT_EQ(Occurrences(env.ReportText(), kCharaRefusal), static_cast<size_t>(attempt));
  }
}

// The close request reaches a frame at the limits. Characters that fall to the floor and take
// no hits summon themselves and fire 255 shots of another side every frame, nine sub-steps a
// frame: from the fourth frame on the stage holds 4,096 of each, and every sub-step tests every
// character against every other and against every shot, which takes the frame many seconds
// without a single request to the window thread. The game thread, ended as the main window
// ends it at a close request, ends within the close limit all the same.
TEST(ObjectLimits, TheCloseRequestEndsAFrameAtTheLimitsInTime) {
  CoreTestEnv env;
  cFlowCmd shots = fixture::ShotCommand(CMD_SHOT, 255);
  shots.m_pShot->m_bOwnerLayer = 0;
  shots.m_pShot->m_byLayer = 2;
  cStage stage = MakerStage(fixture::Flow(TRIGGER_ALWAYS, {Summon(CMD_SUMMON_CHARA, 1, 1, 1), shots}), env.dir(), [](cCharaData& d) {
    d.m_byFlying = 0;
    d.m_byInvincible = 2;
  });
  stage.SetSpeedLevel(19);
  MakerPlay play(stage);
  struct Game {
    cPlayScene* scene;
    std::atomic<int> frames{0};
  } game{&play.t.Scene()};
  // The game thread's loop: a frame, unless a quit is waiting.
  auto loop = [](void* p) -> unsigned {
    Game& g = *static_cast<Game*>(p);
    MSG msg{};
    for (;;) {
      if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return 1;
        continue;
      }
      g.scene->Update();
      ++g.frames;
    }
  };
  cThread thread;
  struct Ender {
    cThread& thread;
    ~Ender() { thread.Exit(); }
  } ender{thread};
  ASSERT_TRUE(thread.Start(loop, &game));
  // This thread serves the game thread's requests meanwhile, as the window thread does.
  ASSERT_TRUE(WaitFor(
      [&] {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        return game.frames.load() >= 3;
      },
      120000, 10));
  SleepMs(200);
  const CloseClock close;
  thread.Exit();
  EXPECT_TRUE(close.WithinLimit("the game thread's end")) << close.ElapsedMs() << " ms";
}

// Every box size of the stage at INT32_MIN or INT32_MAX (the load holds them at ±2^20 dots) and
// a gravity that is not a number (the load takes 0.4), with a character at ten times its size:
// the hero walks, the character falls, nothing overflows and positions stay numbers.
TEST(HostileStage, BoxSizesAndGravityFarOutsideTheirSensePlay) {
  const cFlow none = fixture::Flow(TRIGGER_ALWAYS, {});
  for (const int32_t size : {INT32_MIN, INT32_MAX}) {
    SCOPED_TRACE(size);
    CoreTestEnv env;
    cStage stage = MakerStage(none, env.dir(), [](cCharaData& d) {
      d.m_byFlying = 0;
      d.m_byZoom = 10;
    });
    // The stored values, written and loaded again.
    for (int32_t* box : {&stage.m_nHeroW, &stage.m_nHeroH, &stage.m_nHeroFlyW, &stage.m_nHeroFlyH,
                         &stage.m_nHeroContactW, &stage.m_nHeroContactH, &stage.m_nHeroShotHitW,
                         &stage.m_nHeroShotHitH, &stage.m_nHeroItemW, &stage.m_nHeroItemH, &stage.m_nCharaW,
                         &stage.m_nCharaH, &stage.m_nCharaContactW, &stage.m_nCharaContactH, &stage.m_nCharaShotHitW,
                         &stage.m_nCharaShotHitH, &stage.m_nItemW, &stage.m_nItemH, &stage.m_nHeroShotW,
                         &stage.m_nHeroShotH, &stage.m_nCharaShotW, &stage.m_nCharaShotH})
      *box = size;
    stage.m_dGravity = std::nan("");
    const std::string path = env.dir() / "boxes.stg4_000";
    ASSERT_EQ(stage.SaveFile(path.c_str()), 1);
    cStage loaded;
    ASSERT_EQ(loaded.LoadFile(path.c_str()), 1);
    MakerPlay play(loaded);
    for (int frame = 0; frame < 30; ++frame) {
      g_vInput.CheckedAt(0).SetWords(2, 0);
      play.t.Frames(1);
    }
    ASSERT_FALSE(g_vPlayer.empty());
    EXPECT_FALSE(std::isnan(g_vPlayer[0].m_dX));
    EXPECT_FALSE(std::isnan(g_vPlayer[0].m_dY));
    g_lChara.ForEach([](cStageChara& c) { EXPECT_FALSE(std::isnan(c.m_dY)); });
  }
}

}  // namespace

