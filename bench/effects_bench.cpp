// The drawing layer's effects over a whole 640 × 480 frame, each as a multiple of one frame copy
// timed in the same run (the column "copies") and in pixels per second (items_per_second):
// argument 0 runs Direct3D at 32 bits, 1 DirectDraw at 16 bits.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "draw/draw.h"
#include "frame_copy.h"
#include "layer_scene.h"

namespace {

using framecopy::BM_FrameCopy;
BENCHMARK(BM_FrameCopy)->Unit(benchmark::kMicrosecond);

constexpr int kW = 640;
constexpr int kH = 480;
constexpr int64_t kPixels = int64_t{kW} * kH;

// The layer set up with the scene's images and a 640 × 480 picture to draw from.
class EffectBench {
 public:
  // memoryType: the picture's Direct3D memory; a system-memory picture is drawn through locks.
  explicit EffectBench(const benchmark::State& state, DWORD memoryType = DTMEMORYTYPE_VIDEO_RT)
      : d3d_(state.range(0) == 0 ? 1 : 0) {
    char dir[] = "/tmp/effects_bench-XXXXXX";
    if (mkdtemp(dir)) dir_ = dir;
    ok_ = !dir_.empty() && OpenLayerScene(d3d_, d3d_ ? 32 : 16, dir_) &&
          DDCreateSurface(&picture_, kW, kH, 1, 1, memoryType, 0, 0);
    if (!ok_) return;
    for (int y = 0; y < kH; y += 32) {
      for (int x = 0; x < kW; x += 128) DDBltFast(&picture_, x, y, 128, 32, &g_SystemImage[2], 0, (y / 32 % 2) * 32, 0);
    }
    DDBltFast(&BackBuffer, 0, 0, kW, kH, &picture_, 0, 0, 0);
  }
  ~EffectBench() {
    if (ok_) DDReleaseSurface(&picture_);
    CloseLayerScene(d3d_, false, nullptr);
    for (const char* name : {"sheet.bmp", "font.bmp"}) std::remove((dir_ + "/" + name).c_str());
    if (!dir_.empty()) rmdir(dir_.c_str());
  }
  bool Ok(benchmark::State& state) const {
    if (!ok_) state.SkipWithError("the drawing layer could not be set up");
    state.SetLabel(d3d_ ? "Direct3D 32" : "DirectDraw 16");
    return ok_;
  }
  DDSURFACEDATA* Picture() { return &picture_; }
  bool Direct3D() const { return d3d_ != 0; }

 private:
  int d3d_;
  bool ok_ = false;
  std::string dir_;
  DDSURFACEDATA picture_;
};

template <class Draw>
void Run(benchmark::State& state, Draw draw, DWORD memoryType = DTMEMORYTYPE_VIDEO_RT) {
  EffectBench b(state, memoryType);
  if (!b.Ok(state)) return;
  for (auto _ : state) draw(b);
  state.SetItemsProcessed(state.iterations() * kPixels);
}

void BM_Wave(benchmark::State& state) {
  Run(state, [](EffectBench& b) { DDWave(&BackBuffer, 0, 0, kW, kH, 3, 12.0, 30, 2, b.Picture(), 0, 0, 1, 0); });
}
void BM_Split(benchmark::State& state) {
  Run(state, [](EffectBench& b) { DDSplit(&BackBuffer, 0, 0, kW, kH, 8, 6, b.Picture(), 0, 0, 1, 1); });
}
void BM_Fade(benchmark::State& state) {
  Run(state, [](EffectBench&) { DDFadeOut(DDPaletteWork, 0, 255, 0, 0, 0, 1.0, DDPalette, 0); });
}
void BM_Blur(benchmark::State& state) {
  Run(state, [](EffectBench& b) { DDBlur(&BackBuffer, 0, 0, kW, kH, 2, 2, b.Picture(), 0, 0, 1); });
}
void BM_Mosaic(benchmark::State& state) {
  Run(state, [](EffectBench& b) { DDMosaic(&BackBuffer, 0, 0, kW, kH, 8, b.Picture(), 0, 0, 0); });
}
void BM_BltHalf(benchmark::State& state) {
  Run(state, [](EffectBench& b) { DDBltHalf(&BackBuffer, 0, 0, kW, kH, b.Picture(), 0, 0, 1, g_BlendTable); });
}
void BM_ColorChange(benchmark::State& state) {
  Run(state, [](EffectBench& b) {
    DDBltColorChange(&BackBuffer, 0, 0, kW, kH, b.Picture(), 0, 0, 1, DDPalette, g_BlendTable, 5, 2);
  });
}
void BM_Rotate(benchmark::State& state) {
  Run(state, [](EffectBench& b) { DDRotate(&BackBuffer, 320, 240, kW, kH, 320, 240, 30, b.Picture(), 0, 0, 0); });
}
// The rotation through locks of both surfaces: from a system-memory picture under Direct3D (the
// other is drawn as two triangles), as always under DirectDraw.
void BM_RotateByLock(benchmark::State& state) {
  Run(
      state, [](EffectBench& b) { DDRotate(&BackBuffer, 320, 240, kW, kH, 320, 240, 30, b.Picture(), 0, 0, 0); },
      DTMEMORYTYPE_SYSTEM);
}
void BM_Lens(benchmark::State& state) {
  Run(state, [](EffectBench& b) { DDLens(&BackBuffer, 320, 240, 240, 60, b.Picture(), 320, 240, 0, 0); });
}
void BM_Circle(benchmark::State& state) {
  Run(state, [](EffectBench& b) { DDBltCircle(&BackBuffer, 320, 240, 320, 240, 240, 1, b.Picture(), 320, 240, 0); });
}
void BM_Tint(benchmark::State& state) {
  Run(state, [](EffectBench& b) {
    if (b.Direct3D()) {
      DDChangeColor(&BackBuffer, 0, 0, kW, kH, 96, 255, 160, 64);
    } else {
      DDFade_UnPal(&BackBuffer, 128, 255, 160, 64, b.Picture());
    }
  });
}
void BM_RectBatch(benchmark::State& state) {
  Run(state, [](EffectBench&) {
    DDBeginRectBatch();
    for (int i = 0; i < 48; ++i) DDFillRect(&BackBuffer, 0, i * 10, kW, 10, static_cast<DWORD>(16 + i));
    DDFlushRectBatch();
  });
}

}  // namespace

BENCHMARK(BM_Wave)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Split)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Fade)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Blur)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Mosaic)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BltHalf)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ColorChange)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Rotate)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RotateByLock)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Lens)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Circle)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Tint)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RectBatch)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return framecopy::Main(argc, argv); }
