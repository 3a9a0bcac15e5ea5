// Printing a 40-character line of Japanese and Latin text with a fixed-pitch font (16-pixel
// cells), in characters per second: from the glyph-cache sheets (one blit per character) and
// without them (every character drawn by the text engine through D3DX or GDI, its glyph
// already rendered once), under Direct3D and DirectDraw.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/text.h"
#include "draw/draw.h"
#include "draw/font.h"
#include "platform/display.h"

namespace {

// 40 characters: 24 full-width, 16 half-width.
constexpr const char* kLine = "はじめから NEW GAME つづきから CONTINUE 漢字と仮名を表示する";
constexpr int kChars = 40;

void BM_PrintLine(benchmark::State& state) {
  const int d3d = static_cast<int>(state.range(0)), cache = static_cast<int>(state.range(1));
  if (CountChars(kLine) != kChars) {
    state.SkipWithError("the line is not 40 characters");
    return;
  }
  gfx::ResetHeadlessPresenter();
  HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(0xBE7C4));
  if (!DDInit(d3d, window, 640, 480, 32, 0, d3d ? 1 : 0, 1, 60, 0, g_SystemImage, nullptr, 0)) {
    state.SkipWithError("the drawing layer cannot be set up");
    return;
  }
  for (int i = 0; i < 256; ++i) DDPalette[i] = PALETTEENTRY{static_cast<BYTE>(i), 255, static_cast<BYTE>(255 - i), 0};
  DDSetTransmit(255, 0, 255);
  {
    cFont font;
    font.Create("ＭＳ ゴシック", 0, 16, 16, 16, 200, nullptr, 0, 0, nullptr, cache);
    font.Print(&BackBuffer, 0, 100, kLine);  // the glyphs rendered once, the full-width cache filled
    for (auto _ : state) font.Print(&BackBuffer, 0, 100, kLine);
    state.SetItemsProcessed(state.iterations() * kChars);
    state.SetLabel(std::string(d3d ? "Direct3D" : "DirectDraw") + (cache ? ", cached" : ", uncached"));
  }
  DDEnd();
}
BENCHMARK(BM_PrintLine)->Args({1, 1})->Args({1, 0})->Args({0, 1})->Args({0, 0});

}  // namespace
