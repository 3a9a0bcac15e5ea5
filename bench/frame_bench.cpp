// One whole play frame (the play scene's update, which draws, and the copy of the virtual back
// buffer that the present makes) of a busy stage, in microseconds per frame and as a multiple of
// one frame copy timed in the same run (the column "copies"): the hero, flying characters in
// rows, shots standing in the air, two image layers scrolling by themselves at different speeds
// and a looping mosaic screen effect, drawn under Direct3D at 32 bits on the software device. A
// frame of the game lasts 16.7 ms.
//   BM_BusyFrame: 100 characters and 200 shots on a stage of 40 × 15 cells.
//   BM_CrowdFrame/n/s: n characters (100 to a row, in layers 2 and 3 by turns) and s shots on a
//   stage of 200 × 60 cells, up to 1,000 and 300. The damage pass tests every shot against every
//   character of another layer and every character against every one of another layer, so its
//   share grows with the square of the crowd (the characters fly: the solid contact with block
//   characters walks the list for the hero alone).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "draw/draw.h"
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

using framecopy::BM_FrameCopy;
BENCHMARK(BM_FrameCopy)->Unit(benchmark::kMicrosecond);

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

// The frames of a stage of cols × rows cells with charas flying characters in rows of perRow
// from the top-left corner, a row every other cell, and shots standing on the screen. layers:
// the characters' collision layers, taken in turn from layer 2 on (1: all in the hero's layer 1,
// where nothing meets).
void PlayFrames(benchmark::State& state, int charas, int shots, int cols, int rows, int perRow, int layers) {
  char dir[] = "/tmp/frame_bench-XXXXXX";
  if (!mkdtemp(dir) || !OpenLayerScene(1, 32, dir)) {
    state.SkipWithError("the drawing layer could not be set up");
    return;
  }
  state.SetLabel("Direct3D 32");
  const int images[] = {IMAGE_SHOT, IMAGE_SHOT_MIRROR, IMAGE_BACK_LAYER, IMAGE_BACK_LAYER + 1, IMAGE_EFFECT_WORK,
                        IMAGE_EFFECT_WORK_SYS};
  bool ok = true;
  bool madeImages = true;
  for (int n : images) {
    const bool screen = n == IMAGE_EFFECT_WORK || n == IMAGE_EFFECT_WORK_SYS;
    // Opaque halves, but the nearer image layer shows the farther one through its lower half.
    const DWORD upper = 0xFF406080u + static_cast<DWORD>(n);
    const DWORD lower = n == IMAGE_BACK_LAYER + 1 ? 0 : upper ^ 0x00FFFFFFu;
    madeImages = madeImages && MakeImage(&g_SystemImage[n], screen ? 640 : 64, screen ? 480 : 64,
                                          n == IMAGE_EFFECT_WORK_SYS ? 1 : 0, upper, lower);
  }
  ok = madeImages;
  {
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
    stage.m_nSpeedLevel = 1;
    stage.m_bShowStartBanner = 0;
    stage.m_bShowStageBanner = 0;
    fixture::EncloseGrid(stage);
    stage.m_vBg = {ImageLayer(0.5, 1), ImageLayer(2, 1)};
    auto world = std::make_unique<playkit::PlayWorld>(stage);
    g_nPlayMode = PLAYMODE_FREE_STAGE;
    g_nGameMode = GAMEMODE_FREE;
    g_bFreePlay = 1;
    g_StageInit = g_StageData;
    UseTestClock(1000);
    cPlayScene& scene = world->scene;
    ok = ok && scene.SetStage(0, 1) == 1;
    scene.m_nState = 2;
    // Shots of no speed and no range or lifetime limit stay where they were made, on the screen.
    cEdShot shotData;
    // Twenty to a row, 30 dots apart, closer rows when they would reach the floor.
    const int left = static_cast<int>(scene.m_ScrollX.m_dPos), top = static_cast<int>(scene.m_ScrollY.m_dPos);
    const int gap = std::min(30, 400 / std::max(1, (shots + 19) / 20));
    for (int i = 0; i < shots; ++i) {
      cShotSpawn spawn;
      spawn.nX = left + 20 + (i % 20) * 30;
      spawn.nY = top + 40 + (i / 20) * gap;
      cShot shot;
      shotData.m_sGraphic = static_cast<int16_t>(i % 4);
      if (shot.SetData(scene.m_nNextId++, world->Hero(), SHOT_KIND_SHOT, shotData, spawn)) CloneShot(scene.m_lShot, shot);
    }
    g_Database.m_vScrEffect.assign(2, cScrEffectData());
    g_Database.m_vScrEffect[1].m_nKind = 13;
    const int mosaic[5] = {10, 8, 8, 0, 0};
    std::copy(mosaic, mosaic + 5, g_Database.m_vScrEffect[1].m_nParam);
    BuildScrEffectTables(g_vScrEffectTemplate, g_vScrEffectTemplateRev);
    scene.m_ScrEffect.Start(1, SCR_EFFECT_FORWARD, 1);
    if (!ok) state.SkipWithError(madeImages ? "the stage could not be set up" : "the images could not be made");
    for (auto _ : state) {
      if (!ok) break;
      scene.Update();
      DDSetVirtualBackBuffer(0);
      world->events.clear();  // the play kit logs every fired event; nothing reads the log here
    }
    state.counters["charas"] = static_cast<double>(g_lChara.Count());
    state.counters["shots"] = static_cast<double>(scene.m_lShot.Count());
    g_Database.m_vScrEffect.clear();
    g_vScrEffectTemplate.clear();
    g_vScrEffectTemplateRev.clear();
  }
  for (int n : images) DDReleaseSurface(&g_SystemImage[n]);
  CloseLayerScene(1, false, nullptr);
  for (const char* name : {"sheet.bmp", "font.bmp"}) std::remove((std::string(dir) + "/" + name).c_str());
  rmdir(dir);
}

void BM_BusyFrame(benchmark::State& state) { PlayFrames(state, 100, 200, 40, 15, 20, 1); }
BENCHMARK(BM_BusyFrame)->Unit(benchmark::kMicrosecond);

void BM_CrowdFrame(benchmark::State& state) {
  PlayFrames(state, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), 200, 60, 100, 2);
}
BENCHMARK(BM_CrowdFrame)->Args({250, 75})->Args({500, 150})->Args({1000, 300})->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return framecopy::Main(argc, argv); }
