// Rendering the audio mixer directly, without a device.
#pragma once

#include <vector>

class AudioMixer;

// The next `frames` frames: interleaved stereo, or the left channel only.
std::vector<float> RenderStereo(AudioMixer* mixer, int frames);
std::vector<float> RenderLeft(AudioMixer* mixer, int frames);
