// The colour table every picture of the sample game shares (the system loads it from
// "bmp\plt\Palette.bmp", whose top-left pixel, entry 0, is the transparent colour).
#pragma once

#include <cstdint>

#include "fixture/bmp8.h"

// Named entries. Ramps of 16 shades run from dark to light: ramp base + 0 .. base + 15.
enum SampleColour : uint8_t {
  C_CLEAR = 0,  // the transparent colour
  C_BLACK = 1,
  C_WHITE = 2,
  C_OUTLINE = 3,  // the dark outline of sprites
  C_RED = 4,
  C_YELLOW = 5,
  C_GREEN = 6,
  C_BLUE = 7,
  C_ORANGE = 8,
  C_PINK = 9,
  C_CYAN = 10,
  C_PURPLE = 11,
  C_SKIN = 12,
  C_BROWN = 13,
  C_GREY = 14,
  C_DARK_GREY = 15,
  RAMP_SKY = 16,      // night blue .. pale sky
  RAMP_GRASS = 32,    // deep green .. light green
  RAMP_EARTH = 48,    // dark brown .. sand
  RAMP_STONE = 64,    // dark grey .. light grey
  RAMP_FIRE = 80,     // dark red .. yellow
  RAMP_GOLD = 96,     // bronze .. pale gold
  RAMP_VIOLET = 112,  // deep violet .. lilac
  RAMP_SEA = 128,     // deep teal .. aqua
  RAMP_ROSE = 144,    // maroon .. pink
  C_BOX_FRAME = 240,  // the frame of text boxes
  C_TEXT = 241,       // the colour of the fonts
};

// The 256 colours; entries without a name are a grey ramp.
const fixture::Palette256& SamplePalette();
