// Ogg Vorbis files encoded at test time (libvorbisenc), so that no binary fixture is needed.
#pragma once

#include <string>
#include <vector>

// The bytes of an Ogg Vorbis file holding `samples` (interleaved, `channels` per frame, full
// scale ±1) at `rate` frames per second.
std::string EncodeOgg(const std::vector<float>& samples, int channels, int rate);

// `frames` frames of a sine of `hz` at `rate`, amplitude `amp`, starting at phase `phase`
// (radians), mono.
std::vector<float> Sine(int frames, double hz, int rate, double amp, double phase = 0);
