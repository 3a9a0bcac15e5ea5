// A small 5 × 7 dot font for the letters, digits and signs of the sample game's pictures.
#pragma once

#include <cstdint>

// The seven rows of a character, bit 4 the leftmost dot; null for a character the font lacks.
const uint8_t* GlyphRows(char c);
