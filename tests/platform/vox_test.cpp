#include "platform/vox.h"

#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/mixer.h"
#include "support/bytes.h"
#include "fixture/ogg_encode.h"
#include "support/render.h"
#include "support/temp_dir.h"

namespace {

TEST(VoxLibrary, OnlyTheOggLibraryAndItsCreateVoxResolve) {
  HMODULE h = LoadLibraryA("Vox.dll");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(LoadLibraryA("VOX.DLL"), h);
  EXPECT_EQ(LoadLibraryA("d3dx9.dll"), nullptr);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_NE(GetProcAddress(h, "CreateVox"), nullptr);
  EXPECT_EQ(GetProcAddress(h, "createvox"), nullptr);
  EXPECT_EQ(GetProcAddress(nullptr, "CreateVox"), nullptr);
  SetCreateVoxForTests(nullptr);
  EXPECT_EQ(GetProcAddress(h, "CreateVox"), nullptr);
  UseBuiltinVox();
  EXPECT_TRUE(FreeLibrary(h));
}

// Ogg files in a temporary working folder, played on the manually rendered output.
class VoxObject : public ::testing::Test {
 protected:
  void SetUp() override {
    SetAudioOutputManual(true);
    mixer_ = AcquireAudioOutput();
    dir_.MakeDir("BGM");
    auto create = reinterpret_cast<LPCREATEVOX>(GetProcAddress(LoadLibraryA("Vox.dll"), "CreateVox"));
    vox_ = create();
    ASSERT_NE(vox_, nullptr);
  }
  void TearDown() override {
    if (vox_) vox_->Destroy();
    ReleaseAudioOutput();
    SetAudioOutputManual(false);
  }
  std::vector<float> Left(int frames) {
    std::vector<float> out;
    while (frames > 0) {
      int n = std::min(frames, 512);
      std::vector<float> part = RenderLeft(mixer_, n);
      out.insert(out.end(), part.begin(), part.end());
      frames -= n;
    }
    return out;
  }

  TempDir dir_;
  ScopedChdir cd_{dir_.path()};
  AudioMixer* mixer_ = nullptr;
  IVox* vox_ = nullptr;
};

// The last frame that is not silent, plus one.
size_t SoundLength(const std::vector<float>& v) {
  size_t n = v.size();
  while (n > 0 && std::fabs(v[n - 1]) < 1e-4f) --n;
  return n;
}

float MaxStep(const std::vector<float>& v, size_t from, size_t to) {
  float m = 0;
  for (size_t i = from + 1; i < to; ++i) m = std::max(m, std::fabs(v[i] - v[i - 1]));
  return m;
}

TEST_F(VoxObject, OpensOggFilesOnlyAndPlaysOnceByDefault) {
  WriteFileBytes(dir_ / "BGM/Title.OGG", EncodeOgg(Sine(22050, 441, 44100, 0.5), 1, 44100));
  WriteFileBytes(dir_ / "BGM/fake.ogg", "OggS but not really a Vorbis stream");
  EXPECT_EQ(vox_->Open("bgm\\missing.ogg"), 0);
  EXPECT_EQ(vox_->Open("bgm\\fake.ogg"), 0);
  vox_->Play();  // nothing is open
  EXPECT_EQ(SoundLength(Left(2000)), 0u);

  ASSERT_EQ(vox_->Open("bgm\\title.ogg"), 1);
  EXPECT_EQ(SoundLength(Left(2000)), 0u) << "opened, not yet playing";
  vox_->Play();
  std::vector<float> out = Left(40000);
  // Half a second of the sine, whole, then silence.
  EXPECT_NEAR(static_cast<double>(SoundLength(out)), 22050.0, 10.0);
  std::vector<float> ref = Sine(22050, 441, 44100, 0.5);
  double err = 0;
  for (size_t i = 1000; i < 21000; ++i) err = std::max(err, static_cast<double>(std::fabs(out[i] - ref[i])));
  EXPECT_LT(err, 0.05);
  EXPECT_GT(MaxStep(out, 1000, 21000), 0.02f);
}

TEST_F(VoxObject, LoopsFollowEachOtherWithoutAGap) {
  // 882 Hz for half a second: a whole number of periods in the file, so a seamless loop is smooth. It
  // starts at its peak: a gap or a lost piece at a seam makes a step far above its own.
  const int frames = 44100 / 2;
  WriteFileBytes(dir_ / "BGM/loop.ogg", EncodeOgg(Sine(frames, 882, 44100, 0.5, std::acos(0.0)), 1, 44100));
  ASSERT_EQ(vox_->Open("bgm\\loop.ogg"), 1);
  vox_->SetLoop(2);  // three passes
  vox_->Play();
  std::vector<float> out = Left(4 * frames);
  EXPECT_NEAR(static_cast<double>(SoundLength(out)), 3.0 * frames, 10.0);
  const float own = MaxStep(out, 1000, frames - 1000);
  for (size_t seam : {static_cast<size_t>(frames), static_cast<size_t>(2 * frames)}) {
    EXPECT_LE(MaxStep(out, seam - 200, seam + 200), own * 1.2f) << seam;
  }

  // Endless: still sounding after many passes; Stop silences at once.
  ASSERT_EQ(vox_->Open("bgm\\loop.ogg"), 1);
  vox_->SetLoop(VOX_LOOP_ENDLESS);
  vox_->Play();
  out = Left(5 * frames);
  EXPECT_EQ(SoundLength(out), out.size());
  vox_->Stop();
  EXPECT_EQ(SoundLength(Left(1000)), 0u);
  vox_->Close();
  vox_->Play();  // closed: nothing to play
  EXPECT_EQ(SoundLength(Left(1000)), 0u);
}

TEST_F(VoxObject, OtherRatesAndStereoPlayAtTheOutputRate) {
  std::vector<float> mono = Sine(11025, 220.5, 22050, 0.5);
  std::vector<float> stereo;
  for (float s : mono) stereo.push_back(s), stereo.push_back(-s);
  WriteFileBytes(dir_ / "BGM/low.ogg", EncodeOgg(stereo, 2, 22050));
  ASSERT_EQ(vox_->Open("bgm\\low.ogg"), 1);
  vox_->Play();
  std::vector<float> out = RenderStereo(mixer_, 30000);
  std::vector<float> left, right;
  for (size_t i = 0; i < out.size(); i += 2) left.push_back(out[i]), right.push_back(out[i + 1]);
  EXPECT_NEAR(static_cast<double>(SoundLength(left)), 22050.0, 50.0);
  for (size_t i = 2000; i < 20000; i += 97) EXPECT_NEAR(left[i], -right[i], 0.05) << i;
}

// One channel of an interleaved stereo block.
std::vector<float> Channel(const std::vector<float>& stereo, int channel) {
  std::vector<float> out;
  for (size_t i = static_cast<size_t>(channel); i < stereo.size(); i += 2) out.push_back(stereo[i]);
  return out;
}

// The frequency of a sine at 44100 frames per second, from its first and last rising zero
// crossing in [from, to), each placed between its two samples.
double SineFrequency(const std::vector<float>& v, size_t from, size_t to) {
  double first = -1, last = -1;
  int crossings = 0;
  for (size_t i = from + 1; i < to; ++i) {
    if (v[i - 1] < 0 && v[i] >= 0) {
      double at = static_cast<double>(i - 1) + v[i - 1] / (v[i - 1] - v[i]);
      if (first < 0) first = at;
      last = at;
      ++crossings;
    }
  }
  return (crossings - 1) * 44100.0 / (last - first);
}

// Every sample of an Ogg file as the decoder gives it, interleaved.
std::vector<float> DecodeOgg(const std::string& path) {
  std::vector<float> out;
  OggVorbis_File file;
  if (ov_fopen(path.c_str(), &file) != 0) return out;
  const int channels = ov_info(&file, -1)->channels;
  for (;;) {
    float** pcm = nullptr;
    int link = 0;
    long n = ov_read_float(&file, &pcm, 4096, &link);
    if (n <= 0) break;
    for (long i = 0; i < n; ++i) {
      for (int c = 0; c < channels; ++c) out.push_back(pcm[c][i]);
    }
  }
  ov_clear(&file);
  return out;
}

// Half a second of a 1 kHz cosine (500 whole periods, so that passes join smoothly), mono or
// stereo with the right channel inverted, played once and in three passes. Whatever the
// file's rate, it plays at its own pitch and length at the output's 44100 frames per second,
// and the passes follow one another without a gap or a lost frame.
TEST_F(VoxObject, EveryRatePlaysAtItsOwnPitchAndLengthAcrossLoops) {
  const double amp = 0.5;
  const double hz = 1000;
  // The sine's own largest step between neighbouring output frames.
  const double ownStep = 2 * amp * std::sin(std::acos(-1.0) * hz / 44100);
  for (int rate : {8000, 22050, 32000, 44100, 48000, 96000}) {
    for (int channels : {1, 2}) {
      SCOPED_TRACE(testing::Message() << rate << " Hz, " << channels << " channel(s)");
      const int frames = rate / 2;
      std::vector<float> mono = Sine(frames, hz, rate, amp, std::acos(0.0));
      std::vector<float> samples;
      for (float s : mono) {
        samples.push_back(s);
        if (channels == 2) samples.push_back(-s);
      }
      // At the best quality the encoder's own error stays far below a step of the sine.
      WriteFileBytes(dir_ / "BGM/tone.ogg", EncodeOgg(samples, channels, rate, 1.0f));
      const size_t expected = static_cast<size_t>(frames) * 44100 / static_cast<size_t>(rate);

      ASSERT_EQ(vox_->Open("bgm\\tone.ogg"), 1);
      vox_->Play();
      const size_t once = SoundLength(Left(static_cast<int>(expected) + 4000));
      EXPECT_NEAR(static_cast<double>(once), static_cast<double>(expected), 2.0);

      ASSERT_EQ(vox_->Open("bgm\\tone.ogg"), 1);
      vox_->SetLoop(2);
      vox_->Play();
      std::vector<float> out = RenderStereo(mixer_, static_cast<int>(3 * expected) + 4000);
      std::vector<float> left = Channel(out, 0);
      std::vector<float> right = Channel(out, 1);
      EXPECT_EQ(SoundLength(left), 3 * once);
      EXPECT_EQ(SoundLength(right), 3 * once);
      // The file's abrupt start and end ring in any resampler: 5 ms of either end are left
      // out; both seams between passes lie inside.
      const size_t from = 220, to = 3 * expected - 220;
      EXPECT_NEAR(SineFrequency(left, from, to), hz, hz * 0.0001);
      EXPECT_LE(MaxStep(left, from, to), ownStep * 1.05);
      for (size_t i = from; i < to; i += 7) {
        ASSERT_NEAR(right[i], channels == 2 ? -left[i] : left[i], 0.05) << i;
      }
    }
  }
}

// A file at the output's own rate is not resampled: every pass gives the decoder's samples
// bit for bit.
TEST_F(VoxObject, AFileAtTheOutputRatePlaysTheDecodedSamplesExactly) {
  std::vector<float> left = Sine(10000, 700, 44100, 0.4);
  std::vector<float> right = Sine(10000, 300, 44100, 0.3);
  for (int channels : {1, 2}) {
    std::vector<float> samples;
    for (size_t i = 0; i < left.size(); ++i) {
      samples.push_back(left[i]);
      if (channels == 2) samples.push_back(right[i]);
    }
    WriteFileBytes(dir_ / "BGM/exact.ogg", EncodeOgg(samples, channels, 44100));
    std::vector<float> decoded = DecodeOgg(dir_ / "BGM/exact.ogg");
    ASSERT_EQ(decoded.size(), samples.size());
    std::vector<float> expected;
    for (int pass = 0; pass < 3; ++pass) {
      for (size_t i = 0; i < decoded.size(); i += static_cast<size_t>(channels)) {
        expected.push_back(decoded[i]);
        expected.push_back(decoded[i + static_cast<size_t>(channels) - 1]);
      }
    }
    expected.resize(expected.size() + 2000, 0.0f);  // then silence
    ASSERT_EQ(vox_->Open("bgm\\exact.ogg"), 1);
    vox_->SetLoop(2);
    vox_->Play();
    EXPECT_TRUE(RenderStereo(mixer_, 30000 + 1000) == expected) << channels;
  }
}

}  // namespace
