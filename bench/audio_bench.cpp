// Ogg music on its way to the output: decoding and resampling a 48 kHz stereo file to the
// mixer's 44100 frames per second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fixture/ogg_encode.h"
#include "platform/mixer.h"
#include "platform/vox.h"

namespace {

// Speed as a multiple of real time: seconds of music made per second of work.
void BM_OggDecodeResample48k(benchmark::State& state) {
  const int rate = 48000;
  const int frames = 5 * rate;
  const std::vector<float> left = Sine(frames, 440, rate, 0.4);
  const std::vector<float> right = Sine(frames, 660, rate, 0.3);
  std::vector<float> samples;
  for (size_t i = 0; i < left.size(); ++i) {
    samples.push_back(left[i]);
    samples.push_back(right[i]);
  }
  char dir[] = "/tmp/tw_bench_XXXXXX";
  if (!mkdtemp(dir)) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const std::string path = std::string(dir) + "/music.ogg";
  const std::string bytes = EncodeOgg(samples, 2, rate);
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (fp) {
    std::fwrite(bytes.data(), 1, bytes.size(), fp);
    std::fclose(fp);
  }

  SetAudioOutputManual(true);
  AudioMixer* mixer = AcquireAudioOutput();
  auto create = reinterpret_cast<LPCREATEVOX>(GetProcAddress(LoadLibraryA("Vox.dll"), "CreateVox"));
  IVox* vox = create ? create() : nullptr;
  if (vox && vox->Open(path.c_str())) {
    vox->SetLoop(VOX_LOOP_ENDLESS);
    vox->Play();
    const int block = 512;
    std::vector<float> out(2 * block);
    long long rendered = 0;
    for (auto _ : state) {
      mixer->Render(out.data(), block);
      benchmark::DoNotOptimize(out.data());
      rendered += block;
    }
    state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(rendered) / mixer->Rate(), benchmark::Counter::kIsRate);
  } else {
    state.SkipWithError("the Ogg file did not open");
  }
  if (vox) vox->Destroy();
  ReleaseAudioOutput();
  SetAudioOutputManual(false);
  std::remove(path.c_str());
  rmdir(dir);
}
BENCHMARK(BM_OggDecodeResample48k)->UseRealTime();

}  // namespace
