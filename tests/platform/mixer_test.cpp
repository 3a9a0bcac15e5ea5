#include "platform/mixer.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

// Adds a constant to every frame and records the clocks it was called with.
struct Constant : AudioSource {
  Constant(float left, float right) : l(left), r(right) {}
  void Mix(float* out, int frames, uint64_t clock) override {
    clocks.push_back(clock);
    for (int i = 0; i < frames; ++i) {
      out[2 * i] += l;
      out[2 * i + 1] += r;
    }
  }
  float l, r;
  std::vector<uint64_t> clocks;
};

TEST(AudioMixer, SumsItsSourcesClipsAndCountsFrames) {
  AudioMixer mixer(48000);
  EXPECT_EQ(mixer.Rate(), 48000);
  Constant a(0.25f, -0.5f), b(0.5f, -0.75f);
  mixer.AddSource(&a);
  mixer.AddSource(&b);
  mixer.AddSource(&a);  // registered once only
  std::vector<float> out(8, 9.0f);
  mixer.Render(out.data(), 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(out[2 * i], 0.75f);
    EXPECT_FLOAT_EQ(out[2 * i + 1], -1.0f);  // -1.25 saturates
  }
  mixer.Render(out.data(), 3);
  EXPECT_EQ(mixer.SampleClock(), 7u);
  EXPECT_EQ(a.clocks, (std::vector<uint64_t>{0, 4}));

  mixer.RemoveSource(&a);
  mixer.Render(out.data(), 2);
  EXPECT_FLOAT_EQ(out[0], 0.5f);
  EXPECT_EQ(a.clocks.size(), 2u);
  EXPECT_EQ(b.clocks.back(), 7u);
}

class ReportLines {
 public:
  ReportLines() {
    lines().clear();
    SetAudioReportHook(&Add);
  }
  ~ReportLines() { SetAudioReportHook(nullptr); }
  static std::vector<std::string>& lines() {
    static std::vector<std::string> v;
    return v;
  }

 private:
  static void Add(const char* line) { lines().push_back(line); }
};

// Sets an environment variable for the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (had_) setenv(name_.c_str(), old_.c_str(), 1);
    else unsetenv(name_.c_str());
  }

 private:
  std::string name_, old_;
  bool had_ = false;
};

bool ClockAdvances(AudioMixer* mixer) {
  uint64_t start = mixer->SampleClock();
  for (int i = 0; i < 2000; ++i) {
    if (mixer->SampleClock() > start) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

TEST(AudioOutput, OneSharedMixerUntilTheLastRelease) {
  SetAudioOutputManual(true);
  AudioMixer* a = AcquireAudioOutput();
  AudioMixer* b = AcquireAudioOutput();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a->Rate(), 44100);
  std::vector<float> out(2 * 16);
  a->Render(out.data(), 16);
  ReleaseAudioOutput();
  EXPECT_EQ(AcquireAudioOutput()->SampleClock(), 16u);  // still the same
  ReleaseAudioOutput();
  ReleaseAudioOutput();
  ReleaseAudioOutput();  // one too many: ignored
  EXPECT_EQ(AcquireAudioOutput()->SampleClock(), 0u);  // a new one
  ReleaseAudioOutput();
  SetAudioOutputManual(false);
}

TEST(AudioOutput, TheDeviceDrivesTheMixerWithoutAReportLine) {
  ReportLines report;
  ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
  AudioMixer* mixer = AcquireAudioOutput();
  ASSERT_NE(mixer, nullptr);
  Constant source(0.1f, 0.1f);
  mixer->AddSource(&source);
  EXPECT_TRUE(ClockAdvances(mixer));
  mixer->RemoveSource(&source);
  ReleaseAudioOutput();
  EXPECT_TRUE(ReportLines::lines().empty());
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

TEST(AudioOutput, WithoutADeviceItRunsSilentlyAndSaysSoOnce) {
  ReportLines report;
  ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
  AudioMixer* mixer = AcquireAudioOutput();
  ASSERT_NE(mixer, nullptr);
  AcquireAudioOutput();
  Constant source(0.1f, 0.1f);
  mixer->AddSource(&source);
  // The clock runs at the pace of a device, so timed sources still move on.
  EXPECT_TRUE(ClockAdvances(mixer));
  mixer->RemoveSource(&source);
  ReleaseAudioOutput();
  ReleaseAudioOutput();
  ASSERT_EQ(ReportLines::lines().size(), 1u);
  EXPECT_EQ(ReportLines::lines()[0].rfind("Audio : no output device (", 0), 0u) << ReportLines::lines()[0];
}

// Signals that the output has called it. Made before the output's own state, it is destroyed
// after it at exit, and then lingers so that an output thread still running would call into
// the freed state meanwhile.
struct Lingering : AudioSource {
  void Mix(float*, int, uint64_t) override { entered = true; }
  ~Lingering() override {
    if (entered) std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  std::atomic<bool> entered{false};
};
Lingering g_Lingering;

// The process ends by exit() while the output runs and was never released, as when a lost
// display makes the X library end the program: the output thread must not touch a freed mixer
// (a sanitizer report or std::terminate fails the child).
void ExitWhileOutputRuns(const char* driver) {
  setenv("SDL_AUDIODRIVER", driver, 1);
  AudioMixer* mixer = AcquireAudioOutput();
  if (!mixer) std::_Exit(3);
  mixer->AddSource(&g_Lingering);
  for (int i = 0; i < 2000 && !g_Lingering.entered; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (!g_Lingering.entered) std::_Exit(4);
  std::exit(0);
}

TEST(AudioOutputDeathTest, ExitWithoutReleaseStopsTheOutputFirst) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(ExitWhileOutputRuns("dummy"), testing::ExitedWithCode(0), "");
  EXPECT_EXIT(ExitWhileOutputRuns("no-such-driver"), testing::ExitedWithCode(0), "");
}

}  // namespace
