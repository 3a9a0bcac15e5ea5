// The software graphics device's busiest paths, in pixels per second (items_per_second):
// unscaled colour-keyed blits (DirectDraw key, Direct3D transparent texels), the translucent
// blit, full-screen fills and the conversion of a finished frame for showing.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "device_canvas.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"
#include "platform/display.h"

namespace {

constexpr int kW = 640;
constexpr int kH = 480;
constexpr int64_t kPixels = int64_t{kW} * kH;

// A 640 × 480 A8R8G8B8 texture whose every other 8-pixel run is transparent.
IDirect3DTexture9* KeyedTexture(DeviceCanvas& c) {
  return c.Make(kW, kH, [](int x, int y) { return ((x >> 3) & 1) ? 0u : 0xFF000000u | static_cast<uint32_t>(x * y); });
}

void BM_D3DKeyedBlit(benchmark::State& state) {
  DeviceCanvas c;
  IDirect3DTexture9* tex = KeyedTexture(c);
  c.Stage(D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
  for (auto _ : state) c.Blit(0, 0, kW, kH, tex, 0, 0, kW, kH);
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_D3DKeyedBlit);

void BM_D3DAlphaBlit(benchmark::State& state) {
  DeviceCanvas c;
  IDirect3DTexture9* tex = KeyedTexture(c);
  c.Stage(D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_DIFFUSE);
  for (auto _ : state) c.Blit(0, 0, kW, kH, tex, 0, 0, kW, kH, 0x80FFFFFF);
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_D3DAlphaBlit);

void BM_D3DFill(benchmark::State& state) {
  DeviceCanvas c;
  const D3DCOLOR color = state.range(0) ? 0x80336699u : 0xFF336699u;
  for (auto _ : state) c.Fill(0, 0, kW, kH, color);
  state.SetItemsProcessed(state.iterations() * kPixels);
  state.SetLabel(state.range(0) ? "translucent" : "opaque");
}
BENCHMARK(BM_D3DFill)->Arg(0)->Arg(1);

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

void BM_DDKeyedBltFast(benchmark::State& state) {
  DDScene s(static_cast<DWORD>(state.range(0)));
  for (auto _ : state) s.dst()->BltFast(0, 0, s.src(), nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_DDKeyedBltFast)->Arg(8)->Arg(16)->Arg(32);

void BM_DDColorFill(benchmark::State& state) {
  DDScene s(static_cast<DWORD>(state.range(0)));
  DDBLTFX fx{100, 0x1234};
  for (auto _ : state) s.dst()->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_DDColorFill)->Arg(8)->Arg(16)->Arg(32);

// Turning a finished frame into the 0xAARRGGBB pixels the window shows.
void BM_PresentConversion(benchmark::State& state) {
  const gfx::PixelFormat formats[] = {gfx::PixelFormat::kX8R8G8B8, gfx::PixelFormat::kR5G6B5,
                                      gfx::PixelFormat::kIndex8};
  const gfx::PixelFormat f = formats[state.range(0)];
  gfx::PixelBuffer frame;
  frame.Allocate(f, kW, kH);
  for (size_t i = 0; i < frame.bits.size(); ++i) frame.bits[i] = static_cast<uint8_t>(i * 7);
  std::vector<uint32_t> palette(256), out(static_cast<size_t>(kPixels));
  for (int i = 0; i < 256; ++i) palette[static_cast<size_t>(i)] = static_cast<uint32_t>(i * 0x010101);
  for (auto _ : state) {
    gfx::ConvertToArgb(frame, palette.data(), out.data(), kW);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
  state.SetLabel(state.range(0) == 0 ? "32-bit" : state.range(0) == 1 ? "16-bit" : "8-bit");
}
BENCHMARK(BM_PresentConversion)->Arg(0)->Arg(1)->Arg(2);

}  // namespace
