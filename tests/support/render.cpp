#include "support/render.h"

#include "platform/mixer.h"

std::vector<float> RenderStereo(AudioMixer* mixer, int frames) {
  std::vector<float> out(2 * static_cast<size_t>(frames));
  mixer->Render(out.data(), frames);
  return out;
}

std::vector<float> RenderLeft(AudioMixer* mixer, int frames) {
  std::vector<float> out = RenderStereo(mixer, frames);
  std::vector<float> left;
  for (int i = 0; i < frames; ++i) left.push_back(out[2 * static_cast<size_t>(i)]);
  return left;
}
