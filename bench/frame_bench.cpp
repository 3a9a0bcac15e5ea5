// One whole play frame (update and draw) of a busy stage, in microseconds per frame: the hero,
// 100 flying characters, 200 shots standing in the air, two image layers scrolling by
// themselves at different speeds and a looping mosaic screen effect, drawn under Direct3D at
// 32 bits on the software device. A frame of the game lasts 16.7 ms.
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
#include "layer_scene.h"
#include "platform/time.h"
#include "play_kit.h"
#include "project/database.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/stage_load.h"

namespace {

constexpr int kCharas = 100;
constexpr int kShots = 200;

cBgData ImageLayer(double factor, int autoScroll) {
  cBgData bg;
  bg.m_bShow = 1;
  bg.m_bFill = 0;
  bg.m_dScrollX = factor;
  bg.m_dScrollY = factor / 2;
  bg.m_bAutoX = autoScroll;
  return bg;
}

// An image in two colours, one per half, made as the system image table makes it: video
// memory, or system memory (nMemory 1) for the second effect work surface.
bool MakeImage(DDSURFACEDATA* sd, int w, int h, int nMemory, DWORD colour) {
  if (!DDCreateSurface(sd, w, h, 1, nMemory, DTMEMORYTYPE_VIDEO_RT, 0, 0)) return false;
  DDClearSurface(sd, colour);
  DDFillRect(sd, 0, h / 2, w, h / 2, colour ^ 0x00FFFFFFu);
  return true;
}

void BM_PlayFrame(benchmark::State& state) {
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
    madeImages = madeImages && MakeImage(&g_SystemImage[n], screen ? 640 : 64, screen ? 480 : 64,
                                          n == IMAGE_EFFECT_WORK_SYS ? 1 : 0, 0x00406080u + static_cast<DWORD>(n));
  }
  ok = madeImages;
  {
    // A floor, the hero on it, and the characters flying in rows above it.
    cStage stage = fixture::Stage(40, 15);
    fixture::Fill(stage, fixture::Block(1), 0, 14, 39, 14);
    fixture::Place(stage, fixture::Hero(2), 2, 13);
    cCharaData def = fixture::Chara(3);
    def.m_byFlying = 1;
    for (int i = 0; i < kCharas; ++i) fixture::Place(stage, def, 1 + i % 20, 2 + (i / 20) * 2);
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
    // Shots of no speed and no range or lifetime limit stay where they were made.
    cEdShot shotData;
    for (int i = 0; i < kShots; ++i) {
      cShotSpawn spawn;
      spawn.nX = MAP_MARGIN * CELL_DOTS + 20 + (i % 20) * 30;
      spawn.nY = MAP_MARGIN * CELL_DOTS + 40 + (i / 20) * 30;
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
      scene.Draw(1, 0, 0, 0);
      DDSetVirtualBackBuffer(0);
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
BENCHMARK(BM_PlayFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
