// PNG files of drawn frames, so that a person can look at what was drawn.
#pragma once

#include <cstdint>

// Writes w × h pixels given as 0xAARRGGBB, rows top-down, as an 8-bit RGB PNG (the alpha is
// left out). False when the file cannot be written whole.
bool WritePngFile(const char* path, int w, int h, const uint32_t* argb);
