// The software graphics device's busiest paths beside a reference for each, in pixels per
// second (items_per_second), on 640 × 480 frames:
//   - an alpha-blended blit, a Direct3D keyed copy (transparent texels) unscaled and magnified,
//     a translucent fill and 300 keyed 32 × 32 sprites through the drawing layer's batch,
//     against pixman's OVER of the same pixels;
//   - a DirectDraw keyed BltFast at 8, 16 and 32 bits against memcpy of the same bytes;
//   - converting a 32-bit frame for showing against SDL_ConvertPixels, and the whole present of
//     a 32-bit frame in a window against SDL's own texture update and present.
// Each pair is named Path/ours and Path/reference; after the run a table gives ours ÷ reference
// in time (the median when repetitions are asked for, e.g. --benchmark_repetitions=5).
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "device_canvas.h"
#include "layer_scene.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"
#include "platform/display.h"
#include "platform/pixels.h"
#include "platform/window.h"

namespace {

constexpr int kW = 640;
constexpr int kH = 480;
constexpr int64_t kPixels = int64_t{kW} * kH;

// Every other 8-pixel run transparent, the others opaque.
uint32_t KeyedTexel(int x, int y) { return ((x >> 3) & 1) ? 0u : 0xFF000000u | static_cast<uint32_t>(x * y); }

// A pixman image owning its pixels.
class PixmanImage {
 public:
  PixmanImage(pixman_format_code_t format, int w, int h, uint32_t (*texel)(int, int) = nullptr)
      : bits_(static_cast<size_t>(w) * static_cast<size_t>(h)) {
    if (texel) {
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) bits_[static_cast<size_t>(y * w + x)] = texel(x, y);
      }
    }
    image_ = pixman_image_create_bits(format, w, h, bits_.data(), w * 4);
  }
  ~PixmanImage() { pixman_image_unref(image_); }
  PixmanImage(const PixmanImage&) = delete;
  PixmanImage& operator=(const PixmanImage&) = delete;
  pixman_image_t* get() { return image_; }

 private:
  std::vector<uint32_t> bits_;
  pixman_image_t* image_ = nullptr;
};

pixman_image_t* Solid(uint32_t argb) {
  const pixman_color_t c{static_cast<uint16_t>(((argb >> 16) & 0xFF) * 257), static_cast<uint16_t>(((argb >> 8) & 0xFF) * 257),
                         static_cast<uint16_t>((argb & 0xFF) * 257), static_cast<uint16_t>((argb >> 24) * 257)};
  return pixman_image_create_solid_fill(&c);
}

// ---- alpha-blended blit ----

void BM_AlphaBlit_Ours(benchmark::State& state) {
  DeviceCanvas c;
  IDirect3DTexture9* tex = c.Make(kW, kH, KeyedTexel);
  c.Stage(D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_DIFFUSE);
  for (auto _ : state) c.Blit(0, 0, kW, kH, tex, 0, 0, kW, kH, 0x80FFFFFF);
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_AlphaBlit_Ours)->Name("AlphaBlit/ours");

void BM_AlphaBlit_Reference(benchmark::State& state) {
  PixmanImage src(PIXMAN_a8r8g8b8, kW, kH, KeyedTexel), dst(PIXMAN_x8r8g8b8, kW, kH);
  pixman_image_t* half = Solid(0x80000000u);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, src.get(), half, dst.get(), 0, 0, 0, 0, 0, 0, kW, kH);
  }
  pixman_image_unref(half);
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_AlphaBlit_Reference)->Name("AlphaBlit/reference");

// ---- Direct3D keyed copy ----

void BM_D3DKeyedCopy_Ours(benchmark::State& state) {
  DeviceCanvas c;
  IDirect3DTexture9* tex = c.Make(kW, kH, KeyedTexel);
  c.Stage(D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
  for (auto _ : state) c.Blit(0, 0, kW, kH, tex, 0, 0, kW, kH);
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_D3DKeyedCopy_Ours)->Name("D3DKeyedCopy/ours");

void BM_D3DKeyedCopy_Reference(benchmark::State& state) {
  PixmanImage src(PIXMAN_a8r8g8b8, kW, kH, KeyedTexel), dst(PIXMAN_x8r8g8b8, kW, kH);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, src.get(), nullptr, dst.get(), 0, 0, 0, 0, 0, 0, kW, kH);
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_D3DKeyedCopy_Reference)->Name("D3DKeyedCopy/reference");

// ---- scaled keyed copy ----

// A 160 × 120 texture magnified four times to the whole frame, at eight zooms in turn (one
// pixel apart, more than the device keeps index tables for), so that every draw builds them.
constexpr int kSmallW = kW / 4;
constexpr int kSmallH = kH / 4;

void BM_ScaledCopy_Ours(benchmark::State& state) {
  DeviceCanvas c;
  IDirect3DTexture9* tex = c.Make(kSmallW, kSmallH, KeyedTexel);
  c.Stage(D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
  int zoom = 0;
  for (auto _ : state) {
    c.Blit(0, 0, kW - zoom, kH - zoom, tex, 0, 0, kSmallW, kSmallH);
    zoom = (zoom + 1) % 8;
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_ScaledCopy_Ours)->Name("ScaledKeyedCopy/ours");

void BM_ScaledCopy_Reference(benchmark::State& state) {
  PixmanImage src(PIXMAN_a8r8g8b8, kSmallW, kSmallH, KeyedTexel), dst(PIXMAN_x8r8g8b8, kW, kH);
  pixman_image_set_filter(src.get(), PIXMAN_FILTER_NEAREST, nullptr, 0);
  int zoom = 0;
  for (auto _ : state) {
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(static_cast<double>(kSmallW) / (kW - zoom)),
                                pixman_double_to_fixed(static_cast<double>(kSmallH) / (kH - zoom)));
    pixman_image_set_transform(src.get(), &t);
    pixman_image_composite32(PIXMAN_OP_OVER, src.get(), nullptr, dst.get(), 0, 0, 0, 0, 0, 0, kW - zoom, kH - zoom);
    zoom = (zoom + 1) % 8;
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_ScaledCopy_Reference)->Name("ScaledKeyedCopy/reference");

// ---- translucent fill ----

void BM_TranslucentFill_Ours(benchmark::State& state) {
  DeviceCanvas c;
  for (auto _ : state) c.Fill(0, 0, kW, kH, 0x80336699u);
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_TranslucentFill_Ours)->Name("TranslucentFill/ours");

void BM_TranslucentFill_Reference(benchmark::State& state) {
  PixmanImage dst(PIXMAN_x8r8g8b8, kW, kH);
  pixman_image_t* color = Solid(0x80336699u);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, color, nullptr, dst.get(), 0, 0, 0, 0, 0, 0, kW, kH);
  }
  pixman_image_unref(color);
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_TranslucentFill_Reference)->Name("TranslucentFill/reference");

// ---- 300 sprites of 32 × 32 ----

constexpr int kSprites = 300;

void BM_Sprites_Ours(benchmark::State& state) {
  char dir[] = "/tmp/tw_bench_XXXXXX";
  if (!mkdtemp(dir) || !LayerSpritesOpen(dir)) {
    state.SkipWithError("the drawing layer could not be set up");
    return;
  }
  for (auto _ : state) LayerSpritesDraw(kSprites);
  LayerSpritesClose();
  std::remove((std::string(dir) + "/sheet.bmp").c_str());
  std::remove(dir);
  state.SetItemsProcessed(state.iterations() * kSprites * 32 * 32);
}
BENCHMARK(BM_Sprites_Ours)->Name("Sprites300/ours");

void BM_Sprites_Reference(benchmark::State& state) {
  PixmanImage sheet(PIXMAN_a8r8g8b8, 128, 32, KeyedTexel), dst(PIXMAN_x8r8g8b8, kW, kH);
  for (auto _ : state) {
    for (int k = 0; k < kSprites; ++k) {
      pixman_image_composite32(PIXMAN_OP_OVER, sheet.get(), nullptr, dst.get(), 32 * (1 + k % 3), 0, 0, 0,
                               (k * 37) % 608, (k * 53) % 448, 32, 32);
    }
  }
  state.SetItemsProcessed(state.iterations() * kSprites * 32 * 32);
}
BENCHMARK(BM_Sprites_Reference)->Name("Sprites300/reference");

// ---- DirectDraw keyed BltFast ----

// DirectDraw surfaces at a depth: a keyed source and a destination of the screen's size.
class DDScene {
 public:
  explicit DDScene(DWORD bpp) {
    DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd_), IID_IDirectDraw7, nullptr);
    dd_->SetCooperativeLevel(reinterpret_cast<HWND>(1), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE);
    dd_->SetDisplayMode(kW, kH, bpp, 0, 0);
    src_ = Surface();
    dst_ = Surface();
    DDSURFACEDESC2 d{};
    src_->Lock(nullptr, &d, DDLOCK_WAIT, nullptr);
    const int bytes = static_cast<int>(bpp / 8);
    for (int y = 0; y < kH; ++y) {
      uint8_t* row = static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch;
      for (int x = 0; x < kW; ++x) {
        const uint32_t v = ((x >> 3) & 1) ? 0u : static_cast<uint32_t>(x + y + 1);
        std::memcpy(row + x * bytes, &v, static_cast<size_t>(bytes));
      }
    }
    src_->Unlock(nullptr);
    DDCOLORKEY key{0, 0};
    src_->SetColorKey(DDCKEY_SRCBLT, &key);
  }
  ~DDScene() {
    src_->Release();
    dst_->Release();
    dd_->Release();
  }
  IDirectDrawSurface7* src() { return src_; }
  IDirectDrawSurface7* dst() { return dst_; }

 private:
  IDirectDrawSurface7* Surface() {
    DDSURFACEDESC2 d{};
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = kW;
    d.dwHeight = kH;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface7* s = nullptr;
    dd_->CreateSurface(&d, &s, nullptr);
    return s;
  }
  IDirectDraw7* dd_ = nullptr;
  IDirectDrawSurface7* src_ = nullptr;
  IDirectDrawSurface7* dst_ = nullptr;
};

void BM_DDKeyedBltFast_Ours(benchmark::State& state) {
  DDScene s(static_cast<DWORD>(state.range(0)));
  for (auto _ : state) s.dst()->BltFast(0, 0, s.src(), nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_DDKeyedBltFast_Ours)->Name("DDKeyedBltFast/ours")->Arg(8)->Arg(16)->Arg(32);

void BM_DDKeyedBltFast_Reference(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(kPixels) * static_cast<size_t>(state.range(0) / 8);
  std::vector<uint8_t> src(bytes, 1), dst(bytes);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), bytes);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_DDKeyedBltFast_Reference)->Name("DDKeyedBltFast/reference")->Arg(8)->Arg(16)->Arg(32);

// ---- frame conversion and presentation ----

gfx::PixelBuffer Frame(gfx::PixelFormat f) {
  gfx::PixelBuffer frame;
  frame.Allocate(f, kW, kH);
  for (size_t i = 0; i < frame.bits.size(); ++i) frame.bits[i] = static_cast<uint8_t>(i * 7);
  return frame;
}

void BM_FrameConversion_Ours(benchmark::State& state) {
  const gfx::PixelBuffer frame = Frame(gfx::PixelFormat::kX8R8G8B8);
  std::vector<uint32_t> out(static_cast<size_t>(kPixels));
  for (auto _ : state) {
    gfx::ConvertToArgb(frame, nullptr, out.data(), kW);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_FrameConversion_Ours)->Name("FrameConversion32/ours");

void BM_FrameConversion_Reference(benchmark::State& state) {
  const gfx::PixelBuffer frame = Frame(gfx::PixelFormat::kX8R8G8B8);
  std::vector<uint32_t> out(static_cast<size_t>(kPixels));
  for (auto _ : state) {
    SDL_ConvertPixels(kW, kH, SDL_PIXELFORMAT_RGB888, frame.bits.data(), frame.pitch, SDL_PIXELFORMAT_ARGB8888,
                      out.data(), kW * 4);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_FrameConversion_Reference)->Name("FrameConversion32/reference");

// The 16- and 8-bit conversions, without a reference.
void BM_FrameConversion(benchmark::State& state) {
  const gfx::PixelFormat f = state.range(0) == 16 ? gfx::PixelFormat::kR5G6B5 : gfx::PixelFormat::kIndex8;
  const gfx::PixelBuffer frame = Frame(f);
  std::vector<uint32_t> palette(256), out(static_cast<size_t>(kPixels));
  for (int i = 0; i < 256; ++i) palette[static_cast<size_t>(i)] = static_cast<uint32_t>(i * 0x010101);
  for (auto _ : state) {
    gfx::ConvertToArgb(frame, palette.data(), out.data(), kW);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_FrameConversion)->Name("FrameConversion")->Arg(16)->Arg(8);

LRESULT PlainProc(HWND h, UINT msg, WPARAM w, LPARAM l) { return DefWindowProcA(h, msg, w, l); }

void BM_Present_Ours(benchmark::State& state) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &PlainProc;
  wc.lpszClassName = "BenchMain";
  RegisterClassExA(&wc);
  HWND hwnd = CreateWindowExA(0, "BenchMain", "bench", WS_POPUP, 0, 0, kW, kH, nullptr, nullptr, nullptr, nullptr);
  if (!hwnd) {
    state.SkipWithError("no window");
    return;
  }
  ShowWindow(hwnd, SW_SHOW);
  const gfx::PixelBuffer frame = Frame(gfx::PixelFormat::kX8R8G8B8);
  for (auto _ : state) gfx::CurrentPresenter().ShowFrame(hwnd, frame, nullptr, false);
  DestroyWindow(hwnd);
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_Present_Ours)->Name("Present32/ours");

void BM_Present_Reference(benchmark::State& state) {
  SDL_InitSubSystem(SDL_INIT_VIDEO);
  SDL_Window* window = SDL_CreateWindow("bench", 0, 0, kW, kH, SDL_WINDOW_HIDDEN);
  SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
  if (window && !renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  SDL_Texture* texture =
      renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, kW, kH) : nullptr;
  if (!texture) {
    state.SkipWithError("no SDL renderer");
  } else {
    const gfx::PixelBuffer frame = Frame(gfx::PixelFormat::kX8R8G8B8);
    for (auto _ : state) {
      SDL_UpdateTexture(texture, nullptr, frame.bits.data(), frame.pitch);
      SDL_RenderSetLogicalSize(renderer, kW, kH);
      SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
      SDL_RenderClear(renderer);
      SDL_RenderCopy(renderer, texture, nullptr, nullptr);
      SDL_RenderPresent(renderer);
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
  }
  if (texture) SDL_DestroyTexture(texture);
  if (renderer) SDL_DestroyRenderer(renderer);
  if (window) SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
BENCHMARK(BM_Present_Reference)->Name("Present32/reference");

// The console report, and the times of every run kept for the table of ratios: the median of
// repetitions where there are any, the single run otherwise.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.error_occurred) continue;
      const std::string name = r.run_name.str();
      if (r.run_type == Run::RT_Aggregate) {
        if (r.aggregate_name == "median") median_[name] = r.GetAdjustedRealTime();
      } else {
        single_[name] = r.GetAdjustedRealTime();
      }
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-28s %12s\n", "path", "ours / ref");
    for (const auto& [name, ours] : Times()) {
      const size_t at = name.find("/ours");
      if (at == std::string::npos) continue;
      std::string ref = name;
      ref.replace(at, 5, "/reference");
      const auto found = Times().find(ref);
      if (found == Times().end() || found->second <= 0) continue;
      std::string path = name;
      path.erase(at, 5);
      std::printf("%-28s %12.2f\n", path.c_str(), ours / found->second);
    }
  }

 private:
  const std::map<std::string, double>& Times() const { return median_.empty() ? single_ : median_; }
  std::map<std::string, double> single_, median_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
