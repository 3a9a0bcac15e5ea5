// One whole play frame (the play scene's update, which draws, and the copy of the virtual back
// buffer that the present makes) of a busy stage, in microseconds per frame and as a multiple of
// one frame copy timed in the same run (the column "copies"): the hero, flying characters in
// rows, shots standing in the air, two image layers scrolling by themselves at different speeds
// and a looping mosaic screen effect, drawn under Direct3D at 32 bits on the software device. A
// frame of the game lasts 16.7 ms.
//   BM_BusyFrame: 100 characters and 200 shots on a stage of 40 × 15 cells.
//   BM_CrowdFrame/n/s: n characters (100 to a row, in layers 2 and 3 by turns) and s shots on a
//   stage of 200 × 60 cells, up to 1,000 and 300. The damage pass asks a grid of the boxes of
//   each layer for the shots and characters near each one, so its share of the frame stays small
//   as the crowd grows (the characters fly and none is a block character: the solid contacts
//   have nothing to walk).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "defs/cmd_kind.h"
#include "defs/ed_shot.h"
#include "draw/draw.h"
#include "engine/effect.h"
#include "engine/object_limits.h"
#include "engine/scr_effect.h"
#include "engine/shot.h"
#include "engine/stage_draw.h"
#include "fixture/fixture.h"
#include "frame_copy.h"
#include "layer_scene.h"
#include "platform/time.h"
#include "play_kit.h"
#include "project/database.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/stage_load.h"

namespace {

// One sub-step a frame, no start banners, the grid enclosed: play begins with the first frame.
void StartAtOnce(cStage& stage) {
  stage.m_nSpeedLevel = 1;
  stage.m_bShowStartBanner = 0;
  stage.m_bShowStageBanner = 0;
  fixture::EncloseGrid(stage);
}

using framecopy::BM_FrameCopy;
BENCHMARK(BM_FrameCopy)->Unit(benchmark::kMicrosecond);

// With TW_BENCH_SMOKE set (CTest's run of every benchmark on the sanitizer build), the crowds are
// made 64 times smaller and brought to no steady state: a check that every path still runs.
bool Smoke() {
  static const bool smoke = std::getenv("TW_BENCH_SMOKE") != nullptr;
  return smoke;
}
int Scaled(int64_t n) { return static_cast<int>(Smoke() ? std::max<int64_t>(1, n / 64) : n); }

cBgData ImageLayer(double factor, int autoScroll) {
  cBgData bg;
  bg.m_bShow = 1;
  bg.m_bFill = 0;
  bg.m_dScrollX = factor;
  bg.m_dScrollY = factor / 2;
  bg.m_bAutoX = autoScroll;
  return bg;
}

// An image in two colours (ARGB), one per half, made as the system image table makes it: video
// memory, or system memory (nMemory 1) for the second effect work surface.
bool MakeImage(DDSURFACEDATA* sd, int w, int h, int nMemory, DWORD upper, DWORD lower) {
  if (!DDCreateSurface(sd, w, h, 1, nMemory, DTMEMORYTYPE_VIDEO_RT, 0, 0)) return false;
  DDClearSurfaceColor(sd, upper);
  DDFillRectD3D(sd, 0, h / 2, w, h / 2, lower);
  return true;
}

// The drawing layer of the frames: Direct3D at 32 bits on the software device, with the
// system images a play frame draws (the shot sheet, two image layers, the effect work
// surfaces), for the life of the object.
class FrameScene {
 public:
  FrameScene() {
    if (!mkdtemp(dir_) || !OpenLayerScene(1, 32, dir_)) {
      error_ = "the drawing layer could not be set up";
      return;
    }
    opened_ = true;
    for (int n : kImages) {
      const bool screen = n == IMAGE_EFFECT_WORK || n == IMAGE_EFFECT_WORK_SYS;
      // Opaque halves, but the nearer image layer shows the farther one through its lower half.
      const DWORD upper = 0xFF406080u + static_cast<DWORD>(n);
      const DWORD lower = n == IMAGE_BACK_LAYER + 1 ? 0 : upper ^ 0x00FFFFFFu;
      if (!MakeImage(&g_SystemImage[n], screen ? 640 : 64, screen ? 480 : 64, n == IMAGE_EFFECT_WORK_SYS ? 1 : 0, upper,
                     lower))
        error_ = "the images could not be made";
    }
  }
  ~FrameScene() {
    for (int n : kImages) DDReleaseSurface(&g_SystemImage[n]);
    if (opened_) CloseLayerScene(1, false, nullptr);
    for (const char* name : {"sheet.bmp", "font.bmp", "stage.stg4_000"}) std::remove((std::string(dir_) + "/" + name).c_str());
    rmdir(dir_);
  }
  FrameScene(const FrameScene&) = delete;
  FrameScene& operator=(const FrameScene&) = delete;

  // Null when the scene is ready.
  const char* Error() const { return error_; }
  std::string Dir() const { return dir_; }

 private:
  static constexpr int kImages[] = {IMAGE_SHOT, IMAGE_SHOT_MIRROR, IMAGE_BACK_LAYER, IMAGE_BACK_LAYER + 1,
                                    IMAGE_EFFECT_WORK, IMAGE_EFFECT_WORK_SYS};
  char dir_[32] = "/tmp/frame_bench-XXXXXX";
  bool opened_ = false;
  const char* error_ = nullptr;
};

// A stage in play for timing: set up by the scene's own start (which places what the stage
// record places), started by `prepare` (objects made directly), brought to its steady state by
// frames played untimed until `ready` holds (at most `most` frames), then timed frame by frame.
// The flows of the characters run for real. Counters: the objects held at the end, and the
// processor time per object of every kind.
void TimeFrames(benchmark::State& state, const cStage& stage, const std::function<void(cPlayScene&, playkit::PlayWorld&)>& prepare,
                const std::function<bool()>& ready, int most) {
  FrameScene drawing;
  if (drawing.Error()) {
    state.SkipWithError(drawing.Error());
    return;
  }
  state.SetLabel("Direct3D 32");
  // Written and read back as the player reads a stage file: the load's repairs take place.
  cStage copy = stage;
  cStage loaded;
  const std::string path = drawing.Dir() + "/stage.stg4_000";
  if (copy.SaveFile(path.c_str()) != 1 || loaded.LoadFile(path.c_str()) != 1) {
    state.SkipWithError("the stage file could not be written and read");
    return;
  }
  auto world = std::make_unique<playkit::PlayWorld>(loaded);
  g_lpfnFireEventEx = nullptr;
  g_nPlayMode = PLAYMODE_FREE_STAGE;
  g_nGameMode = GAMEMODE_FREE;
  g_bFreePlay = 1;
  g_StageInit = g_StageData;
  UseTestClock(1000);
  cPlayScene& scene = world->scene;
  if (scene.SetStage(0, 1) != 1) {
    state.SkipWithError("the stage could not be set up");
    return;
  }
  scene.m_nState = 2;
  if (prepare) prepare(scene, *world);
  if (Smoke()) most = std::min(most, 2);
  for (int frame = 0; frame < most && ready && !ready(); ++frame) scene.Update();
  for (auto _ : state) {
    scene.Update();
    DDSetVirtualBackBuffer(0);
  }
  const double charas = static_cast<double>(g_lChara.Count());
  const double objects = charas + static_cast<double>(g_lItem.Count() + scene.m_lShot.Count() + scene.m_lEffect.size());
  state.counters["charas"] = charas;
  state.counters["items"] = static_cast<double>(g_lItem.Count());
  state.counters["shots"] = static_cast<double>(scene.m_lShot.Count());
  state.counters["effects"] = static_cast<double>(scene.m_lEffect.size());
  state.counters["per_object"] =
      benchmark::Counter(objects, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  g_Database.m_vScrEffect.clear();
  g_Database.m_vEffect.clear();
  g_vEffectSteps.clear();
  g_vScrEffectTemplate.clear();
  g_vScrEffectTemplateRev.clear();
}

// Shots of no speed and no range or lifetime limit, made by the hero, standing where they were
// made and passing through blocks and the characters they hit: `count` of them from (x, y), 64 to a row,
// `gap` dots apart, in a collision layer.
void StandShots(cPlayScene& scene, cPlayer& hero, int count, int x, int y, int gap, int layer) {
  cEdShot shotData;
  shotData.m_bOwnerLayer = 0;
  shotData.m_byLayer = static_cast<uint8_t>(layer);
  // Through the characters it hits, each once, and through the map's blocks.
  shotData.m_bPassChara = 1;
  shotData.m_bPassBlocks = 1;
  for (int i = 0; i < count; ++i) {
    cShotSpawn spawn;
    spawn.nX = x + (i % 64) * gap;
    spawn.nY = y + (i / 64) * gap;
    cShot shot;
    shotData.m_sGraphic = static_cast<int16_t>(i % 4);
    if (shot.SetData(scene.m_nNextId++, hero, SHOT_KIND_SHOT, shotData, spawn)) CloneShot(scene.m_lShot, shot);
  }
}

// The frames of a stage of cols × rows cells with charas flying characters in rows of perRow
// from the top-left corner, a row every other cell, and shots standing on the screen. layers:
// the characters' collision layers, taken in turn from layer 2 on (1: all in the hero's layer 1,
// where nothing meets).
void PlayFrames(benchmark::State& state, int charas, int shots, int cols, int rows, int perRow, int layers) {
  // A floor, the hero on it, and the characters flying in rows above it.
  cStage stage = fixture::Stage(cols, rows);
  fixture::Fill(stage, fixture::Block(1), 0, rows - 1, cols - 1, rows - 1);
  fixture::Place(stage, fixture::Hero(2), 2, rows - 2);
  cCharaData def = fixture::Chara(3);
  def.m_byFlying = 1;
  for (int i = 0; i < charas; ++i) {
    def.m_byLayer = static_cast<uint8_t>(layers > 1 ? 2 + i % layers : 1);
    fixture::Place(stage, def, 1 + i % perRow, 2 + (i / perRow) * 2);
  }
  StartAtOnce(stage);
  stage.m_vBg = {ImageLayer(0.5, 1), ImageLayer(2, 1)};
  auto prepare = [shots](cPlayScene& scene, playkit::PlayWorld& world) {
    // Twenty to a row, 30 dots apart, closer rows when they would reach the floor.
    const int left = static_cast<int>(scene.m_ScrollX.m_dPos), top = static_cast<int>(scene.m_ScrollY.m_dPos);
    const int gap = std::min(30, 400 / std::max(1, (shots + 19) / 20));
    cEdShot shotData;
    for (int i = 0; i < shots; ++i) {
      cShotSpawn spawn;
      spawn.nX = left + 20 + (i % 20) * 30;
      spawn.nY = top + 40 + (i / 20) * gap;
      cShot shot;
      shotData.m_sGraphic = static_cast<int16_t>(i % 4);
      if (shot.SetData(scene.m_nNextId++, world.Hero(), SHOT_KIND_SHOT, shotData, spawn)) CloneShot(scene.m_lShot, shot);
    }
    g_Database.m_vScrEffect.assign(2, cScrEffectData());
    g_Database.m_vScrEffect[1].m_nKind = 13;
    const int mosaic[5] = {10, 8, 8, 0, 0};
    std::copy(mosaic, mosaic + 5, g_Database.m_vScrEffect[1].m_nParam);
    BuildScrEffectTables(g_vScrEffectTemplate, g_vScrEffectTemplateRev);
    scene.m_ScrEffect.Start(1, SCR_EFFECT_FORWARD, 1);
  };
  TimeFrames(state, stage, prepare, nullptr, 0);
}

void BM_BusyFrame(benchmark::State& state) { PlayFrames(state, 100, 200, 40, 15, 20, 1); }
BENCHMARK(BM_BusyFrame)->Unit(benchmark::kMicrosecond);

void BM_CrowdFrame(benchmark::State& state) {
  PlayFrames(state, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 200, 60, 100, 2);
}
BENCHMARK(BM_CrowdFrame)->Args({250, 75})->Args({500, 150})->Args({1000, 300})->Unit(benchmark::kMicrosecond);

// Stages whose objects multiply, timed once they hold the most a stage holds.

// A 20 × 15 stage: the hero on a floor at its left end, and the maker, entry 1 of the stage's
// character palette, placed at its right end with a flow that runs every frame.
cStage MakerStage(const cFlow& flow, bool flying) {
  cStage s = fixture::Stage(20, 15);
  fixture::Fill(s, fixture::Block(1), 0, 14, 19, 14);
  fixture::Place(s, fixture::Hero(2), 1, 13);
  cCharaData maker = fixture::Chara(3);
  maker.m_byFlying = flying ? 1 : 0;
  maker.m_vFlow.push_back(flow);
  s.m_vChara.push_back(maker);
  s.m_vItem.push_back(fixture::Item(4));
  fixture::Place(s, maker, 16, flying ? 5 : 13);
  StartAtOnce(s);
  return s;
}

// BM_SelfSummon/per/palette/index: a character whose every-frame summon of `per` characters
// names itself, directly (palette 1, index 1), through the load's repair of a missing entry
// (index 999 or -1) or through a palette number other than 0 and 1 (7), in the air; /1 with
// `flying` 0: walkers on the floor. Timed at the character limit, every copy piled on the spot
// where the first stands.
void BM_SelfSummon(benchmark::State& state) {
  cFlowCmd summon = fixture::ShotCommand(CMD_SUMMON_CHARA, static_cast<int>(state.range(0)));
  summon.m_pShot->m_bySummonPalette = static_cast<uint8_t>(state.range(1));
  summon.m_pShot->m_sSummonIndex = static_cast<int16_t>(state.range(2));
  const cStage stage = MakerStage(fixture::Flow(TRIGGER_ALWAYS, {summon}), state.range(3) != 0);
  TimeFrames(state, stage, nullptr, [] { return g_lChara.Count() >= MAX_STAGE_CHARAS; }, 200);
}
BENCHMARK(BM_SelfSummon)
    ->ArgNames({"per", "palette", "index", "flying"})
    ->Args({255, 1, 1, 1})
    ->Args({1, 1, 1, 1})
    ->Args({1, 1, 999, 1})
    ->Args({1, 1, -1, 1})
    ->Args({1, 7, 1, 1})
    ->Args({1, 1, 1, 0})
    ->Unit(benchmark::kMillisecond);

// BM_PlacedCharas/n: a stage file that places n characters on floors, 128 to a row a cell
// apart, in collision layers 2 and 3 by turns, the hero on the lowest floor; every character
// acts wherever the screen stands (activation range 3).
cStage PlacedStage(int charas, int items) {
  constexpr int perRow = 128;
  const int rows = (charas + perRow - 1) / perRow;
  cStage stage = fixture::Stage(2 * perRow + 4, 3 * rows + 4);
  for (int r = 0; r <= rows; ++r) fixture::Fill(stage, fixture::Block(1), 0, 3 * r + 3, 2 * perRow + 3, 3 * r + 3);
  // The hero takes no hits: the stage plays on without a restart.
  cCharaData hero = fixture::Hero(2);
  hero.m_byInvincible = 2;
  fixture::Place(stage, hero, 1, 3 * rows + 2);
  cCharaData def = fixture::Chara(3);
  def.m_byActRange = 3;
  for (int i = 0; i < charas; ++i) {
    def.m_byLayer = static_cast<uint8_t>(2 + i % 2);
    fixture::Place(stage, def, 2 + 2 * (i % perRow), 3 * (i / perRow) + 2);
  }
  const cItemData item = fixture::Item(4);
  for (int i = 0; i < items; ++i) fixture::Place(stage, item, 3 + 2 * (i % perRow), 3 * (i / perRow) + 1);
  StartAtOnce(stage);
  return stage;
}

void BM_PlacedCharas(benchmark::State& state) {
  TimeFrames(state, PlacedStage(Scaled(state.range(0)), 0), nullptr, nullptr, 0);
}
BENCHMARK(BM_PlacedCharas)->Arg(4096)->Arg(8192)->Arg(16384)->Unit(benchmark::kMillisecond);

// BM_StageStart/n: a start of the stage of BM_PlacedCharas/n (as after the hero's death): the
// previous attempt's objects go, the placed characters are made and linked to the hero.
void BM_StageStart(benchmark::State& state) {
  FrameScene drawing;
  if (drawing.Error()) {
    state.SkipWithError(drawing.Error());
    return;
  }
  playkit::PlayWorld world(PlacedStage(Scaled(state.range(0)), 0));
  g_StageInit = g_StageData;
  for (auto _ : state) {
    if (world.scene.SetStage(0, 0) != 1) {
      state.SkipWithError("the stage could not be set up");
      break;
    }
  }
  state.counters["charas"] = static_cast<double>(g_lChara.Count());
}
BENCHMARK(BM_StageStart)->Arg(4096)->Arg(16384)->Unit(benchmark::kMillisecond);

// BM_MeetingPile/n: n characters of layer 2 and n of layer 3 on one spot in the air, each with
// the power to hurt the others (and hit points to last): every pair of the two sides meets in
// every sub-step, n × n pairs; after a hit two characters pause for each other a while (by
// default 30 sub-steps: one frame in 30 is one of n × n hits).
void BM_MeetingPile(benchmark::State& state) {
  const int n = Scaled(state.range(0));
  cStage stage = fixture::Stage(20, 15);
  fixture::Fill(stage, fixture::Block(1), 0, 14, 19, 14);
  fixture::Place(stage, fixture::Hero(2), 1, 13);
  cCharaData def = fixture::Chara(3);
  def.m_byFlying = 1;
  def.m_nPower = 1;
  def.m_nMaxHp = 1000000;
  for (int i = 0; i < 2 * n; ++i) {
    def.m_byLayer = static_cast<uint8_t>(2 + i % 2);
    fixture::Place(stage, def, 12, 6);
  }
  stage.m_bHitOnScreenOnly = 0;
  StartAtOnce(stage);
  // Timed after the first frame, in which every pair hurts each other and starts its pauses.
  int played = 0;
  TimeFrames(state, stage, nullptr, [&played] { return played++ == 1; }, 2);
  state.counters["pairs"] = static_cast<double>(n) * n;
}
BENCHMARK(BM_MeetingPile)->Arg(256)->Arg(512)->Arg(1024)->Unit(benchmark::kMillisecond);

// BM_Riders/n/b: n walking characters riding b block characters that stand side by side on the
// floor of a stage b cells wide (n / b on each), the hero on the left.
void BM_Riders(benchmark::State& state) {
  const int n = Scaled(state.range(0));
  const int blocks = Scaled(state.range(1));
  cStage stage = fixture::Stage(blocks + 4, 15);
  fixture::Fill(stage, fixture::Block(1), 0, 14, blocks + 3, 14);
  fixture::Place(stage, fixture::Hero(2), 1, 13);
  cCharaData block = fixture::Chara(3);
  block.m_bBlockChara = 1;
  block.m_byActRange = 3;
  for (int i = 0; i < blocks; ++i) fixture::Place(stage, block, 3 + i, 13);
  cCharaData rider = fixture::Chara(4);
  rider.m_byActRange = 3;
  for (int i = 0; i < n; ++i) fixture::Place(stage, rider, 3 + i % blocks, 11);
  StartAtOnce(stage);
  // Timed once they have landed.
  int played = 0;
  TimeFrames(state, stage, nullptr, [&played] { return played++ == 60; }, 61);
}
BENCHMARK(BM_Riders)->Args({4096, 128})->Args({4096, 1024})->Args({16384, 1024})->Unit(benchmark::kMillisecond);

// BM_AllKinds: 4,096 each of characters, items, shots and running effects at once: the placed
// characters and items of BM_PlacedCharas, shots standing among the characters (half in the
// hero's layer, half in layer 2; one in 16 of the hero's cancels shots), and effects of one long
// frame.
void BM_AllKinds(benchmark::State& state) {
  const int n = Scaled(4096);
  auto prepare = [n](cPlayScene& scene, playkit::PlayWorld& world) {
    const int left = static_cast<int>(scene.m_ScrollX.m_dPos), top = static_cast<int>(scene.m_ScrollY.m_dPos);
    StandShots(scene, world.Hero(), n / 2, left + 20, top + 40, 9, 1);
    StandShots(scene, world.Hero(), n / 2, left + 24, top + 44, 9, 2);
    int made = 0;
    scene.m_lShot.ForEach([&made](cShot& s) { s.m_Shot.m_bHitsShots = s.m_nLayer == 1 && made++ % 16 == 0 ? 1 : 0; });
    g_Database.m_vEffect.assign(2, cEffectData());
    g_Database.m_vEffect[1] = fixture::Effect("long", "", {{0, 1000}});
    BuildEffectStepTable(g_Database, g_vEffectSteps);
    for (int i = 0; i < n; ++i) {
      cEffect e;
      if (e.Start(1, left + 40 + (i % 64) * 9, top + 40 + (i / 64) * 7, 32, 32, 0)) scene.m_lEffect.push_back(e);
    }
  };
  TimeFrames(state, PlacedStage(n, n), prepare, nullptr, 0);
}
BENCHMARK(BM_AllKinds)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return framecopy::Main(argc, argv); }
