#include "sample_palette.h"

namespace {

fixture::Rgb Mix(fixture::Rgb a, fixture::Rgb b, int step, int steps) {
  auto mix = [&](uint8_t x, uint8_t y) { return static_cast<uint8_t>(x + (y - x) * step / steps); };
  return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

void Ramp(fixture::Palette256& p, int base, fixture::Rgb dark, fixture::Rgb light) {
  for (int i = 0; i < 16; ++i) p[base + i] = Mix(dark, light, i, 15);
}

fixture::Palette256 Build() {
  fixture::Palette256 p{};
  // Unnamed entries: a neutral ramp, so that any stray index still shows a sensible grey.
  for (int i = 0; i < 256; ++i) p[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)};
  p[C_CLEAR] = {255, 0, 255};
  p[C_BLACK] = {0, 0, 0};
  p[C_WHITE] = {255, 255, 255};
  p[C_OUTLINE] = {24, 20, 40};
  p[C_RED] = {220, 40, 40};
  p[C_YELLOW] = {250, 220, 60};
  p[C_GREEN] = {60, 180, 60};
  p[C_BLUE] = {50, 90, 220};
  p[C_ORANGE] = {240, 140, 40};
  p[C_PINK] = {250, 150, 190};
  p[C_CYAN] = {80, 220, 230};
  p[C_PURPLE] = {150, 70, 200};
  p[C_SKIN] = {250, 200, 160};
  p[C_BROWN] = {130, 80, 40};
  p[C_GREY] = {150, 150, 160};
  p[C_DARK_GREY] = {70, 70, 80};
  Ramp(p, RAMP_SKY, {10, 16, 60}, {170, 220, 255});
  Ramp(p, RAMP_GRASS, {10, 60, 20}, {150, 240, 110});
  Ramp(p, RAMP_EARTH, {50, 28, 12}, {230, 200, 140});
  Ramp(p, RAMP_STONE, {40, 40, 48}, {220, 220, 230});
  Ramp(p, RAMP_FIRE, {100, 10, 0}, {255, 240, 80});
  Ramp(p, RAMP_GOLD, {120, 70, 10}, {255, 245, 170});
  Ramp(p, RAMP_VIOLET, {40, 10, 70}, {220, 180, 255});
  Ramp(p, RAMP_SEA, {0, 50, 60}, {140, 255, 240});
  Ramp(p, RAMP_ROSE, {80, 10, 30}, {255, 190, 210});
  p[C_BOX_FRAME] = {200, 210, 255};
  p[C_TEXT] = {255, 255, 255};
  return p;
}

}  // namespace

const fixture::Palette256& SamplePalette() {
  static const fixture::Palette256 palette = Build();
  return palette;
}
