#include "platform/vox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/mixer.h"
#include "support/bytes.h"
#include "support/ogg_encode.h"
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

}  // namespace
