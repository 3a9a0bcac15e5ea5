#include "platform/dsound.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/mixer.h"
#include "support/bytes.h"
#include "support/render.h"

namespace {

WAVEFORMATEX Pcm(WORD channels, DWORD rate, WORD bits) {
  WAVEFORMATEX f;
  f.wFormatTag = WAVE_FORMAT_PCM;
  f.nChannels = channels;
  f.nSamplesPerSec = rate;
  f.wBitsPerSample = bits;
  f.nBlockAlign = static_cast<WORD>(channels * bits / 8);
  f.nAvgBytesPerSec = rate * f.nBlockAlign;
  return f;
}

DSBUFFERDESC Secondary(WAVEFORMATEX* f, DWORD bytes) {
  DSBUFFERDESC d;
  d.dwSize = sizeof(DSBUFFERDESC);
  d.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME | DSBCAPS_GETCURRENTPOSITION2;
  d.dwBufferBytes = bytes;
  d.lpwfxFormat = f;
  return d;
}

// 16-bit samples, little-endian.
std::string S16(const std::vector<int>& v) {
  ByteWriter w;
  for (int s : v) w.I16(static_cast<int16_t>(s));
  return w.str();
}

// A DirectSound object on the manually rendered shared output (44100 Hz).
class DirectSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetAudioOutputManual(true);
    mixer_ = AcquireAudioOutput();
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds_, nullptr), DS_OK);
  }
  void TearDown() override {
    for (auto* b : buffers_) b->Release();
    if (ds_) ds_->Release();
    ReleaseAudioOutput();
    SetAudioOutputManual(false);
  }

  LPDIRECTSOUNDBUFFER Make(WORD channels, DWORD rate, WORD bits, const std::string& bytes) {
    WAVEFORMATEX f = Pcm(channels, rate, bits);
    DSBUFFERDESC d = Secondary(&f, static_cast<DWORD>(bytes.size()));
    LPDIRECTSOUNDBUFFER b = nullptr;
    EXPECT_EQ(ds_->CreateSoundBuffer(&d, &b, nullptr), DS_OK);
    if (!b) return nullptr;
    Write(b, bytes);
    buffers_.push_back(b);
    return b;
  }
  static void Write(LPDIRECTSOUNDBUFFER b, const std::string& bytes) {
    void* p = nullptr;
    DWORD n = 0;
    ASSERT_EQ(b->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
    ASSERT_EQ(n, bytes.size());
    std::memcpy(p, bytes.data(), n);
    ASSERT_EQ(b->Unlock(p, n, nullptr, 0), DS_OK);
  }
  LPDIRECTSOUNDBUFFER Duplicate(LPDIRECTSOUNDBUFFER b) {
    LPDIRECTSOUNDBUFFER d = nullptr;
    EXPECT_EQ(ds_->DuplicateSoundBuffer(b, &d), DS_OK);
    if (d) buffers_.push_back(d);
    return d;
  }
  std::vector<float> Left(int frames) { return RenderLeft(mixer_, frames); }
  std::vector<float> Both(int frames) { return RenderStereo(mixer_, frames); }

  AudioMixer* mixer_ = nullptr;
  LPDIRECTSOUND ds_ = nullptr;
  std::vector<LPDIRECTSOUNDBUFFER> buffers_;
};

TEST_F(DirectSoundTest, CreateSoundBufferAcceptsOnlyPcmItCanMix) {
  struct Case {
    const char* what;
    WORD tag, channels, bits, align;
    DWORD rate, bytes;
    HRESULT expected;
  };
  const Case cases[] = {
      {"8-bit mono", 1, 1, 8, 1, 22050, 4, DS_OK},
      {"16-bit stereo", 1, 2, 16, 4, 44100, 0x0FFFFFFF / 64, DS_OK},
      {"lowest rate", 1, 1, 8, 1, 100, 4, DS_OK},
      {"highest rate", 1, 1, 8, 1, 200000, 4, DS_OK},
      {"float", 3, 1, 32, 4, 44100, 16, DSERR_BADFORMAT},
      {"ADPCM", 2, 1, 4, 256, 22050, 16, DSERR_BADFORMAT},
      {"three channels", 1, 3, 16, 6, 44100, 12, DSERR_BADFORMAT},
      {"no channel", 1, 0, 16, 0, 44100, 12, DSERR_BADFORMAT},
      {"24 bits", 1, 1, 24, 3, 44100, 12, DSERR_BADFORMAT},
      {"rate too low", 1, 1, 8, 1, 99, 4, DSERR_BADFORMAT},
      {"rate too high", 1, 1, 8, 1, 200001, 4, DSERR_BADFORMAT},
      {"block align off", 1, 2, 16, 2, 44100, 8, DSERR_BADFORMAT},
      {"below the smallest size", 1, 1, 8, 1, 22050, 3, DSERR_INVALIDPARAM},
      {"above the largest size", 1, 1, 8, 1, 22050, 0x10000000, DSERR_INVALIDPARAM},
  };
  for (const Case& c : cases) {
    WAVEFORMATEX f = Pcm(c.channels, c.rate, c.bits);
    f.wFormatTag = c.tag;
    f.nBlockAlign = c.align;
    DSBUFFERDESC d = Secondary(&f, c.bytes);
    LPDIRECTSOUNDBUFFER b = reinterpret_cast<LPDIRECTSOUNDBUFFER>(1);
    EXPECT_EQ(ds_->CreateSoundBuffer(&d, &b, nullptr), c.expected) << c.what;
    if (c.expected == DS_OK) {
      ASSERT_NE(b, nullptr);
      b->Release();
    } else {
      EXPECT_EQ(b, nullptr) << c.what;
    }
  }
  // A description of another size, or a secondary buffer without a format.
  WAVEFORMATEX f = Pcm(1, 22050, 8);
  DSBUFFERDESC d = Secondary(&f, 16);
  LPDIRECTSOUNDBUFFER b = nullptr;
  d.dwSize = 20;
  EXPECT_EQ(ds_->CreateSoundBuffer(&d, &b, nullptr), DSERR_INVALIDPARAM);
  d = Secondary(nullptr, 16);
  EXPECT_EQ(ds_->CreateSoundBuffer(&d, &b, nullptr), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, ThePrimaryBufferTakesAFormatAndNothingElse) {
  DSBUFFERDESC d;
  d.dwSize = sizeof(DSBUFFERDESC);
  d.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
  LPDIRECTSOUNDBUFFER primary = nullptr;
  ASSERT_EQ(ds_->CreateSoundBuffer(&d, &primary, nullptr), DS_OK);
  buffers_.push_back(primary);
  WAVEFORMATEX f = Pcm(1, 22050, 8);
  f.cbSize = 18;
  EXPECT_EQ(primary->SetFormat(&f), DS_OK);
  void* p;
  DWORD n;
  EXPECT_EQ(primary->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DSERR_INVALIDCALL);
  EXPECT_EQ(primary->Play(0, 0, 0), DSERR_INVALIDCALL);
  LPDIRECTSOUNDBUFFER copy = nullptr;
  EXPECT_EQ(ds_->DuplicateSoundBuffer(primary, &copy), DSERR_INVALIDCALL);
  // The primary format does not narrow the mix: a 16-bit stereo buffer plays as it is.
  LPDIRECTSOUNDBUFFER b = Make(2, 44100, 16, S16({16384, -8192}));
  b->Play(0, 0, 0);
  std::vector<float> out = Both(2);
  EXPECT_FLOAT_EQ(out[0], 0.5f);
  EXPECT_FLOAT_EQ(out[1], -0.25f);
}

TEST_F(DirectSoundTest, SixteenBitStereoAtTheOutputRatePlaysSampleForSampleOnce) {
  LPDIRECTSOUNDBUFFER b = Make(2, 44100, 16, S16({16384, -16384, 8192, 32767, -32768, 0}));
  EXPECT_EQ(Left(2), (std::vector<float>{0, 0}));  // a new buffer is stopped
  ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
  std::vector<float> out = Both(5);
  std::vector<float> expected = {0.5f, -0.5f, 0.25f, 32767 / 32768.0f, -1.0f, 0.0f, 0, 0, 0, 0};
  EXPECT_EQ(out, expected);
  // At its end a single play stops and returns to the start.
  b->Play(0, 0, 0);
  EXPECT_EQ(Left(1), (std::vector<float>{0.5f}));
}

TEST_F(DirectSoundTest, EightBitMonoIsConvertedAndResampledIntoTheOutput) {
  // Unsigned 8-bit at half the output rate: every frame, then the midpoint to the next.
  LPDIRECTSOUNDBUFFER b = Make(1, 22050, 8, std::string("\x80\xC0\x40\xFF", 4));
  b->Play(0, 0, 0);
  std::vector<float> out = Both(10);
  std::vector<float> left, right;
  for (int i = 0; i < 10; ++i) left.push_back(out[2 * i]), right.push_back(out[2 * i + 1]);
  EXPECT_EQ(left, (std::vector<float>{0.0f, 0.25f, 0.5f, 0.0f, -0.5f, (-0.5f + 127 / 128.0f) / 2, 127 / 128.0f,
                                      127 / 128.0f, 0, 0}));
  EXPECT_EQ(right, left);  // mono goes to both sides
}

TEST_F(DirectSoundTest, VolumeIsInHundredthsOfADecibel) {
  LPDIRECTSOUNDBUFFER b = Make(2, 44100, 16, S16(std::vector<int>(200, 16384)));
  struct Case {
    LONG volume;
    float gain;
  };
  const Case cases[] = {{0, 1.0f}, {-600, 0.501187f}, {-2000, 0.1f}, {-9999, 1.00115e-5f}, {-10000, 0.0f}};
  for (const Case& c : cases) {
    ASSERT_EQ(b->SetVolume(c.volume), DS_OK);
    LONG v = 1;
    ASSERT_EQ(b->GetVolume(&v), DS_OK);
    EXPECT_EQ(v, c.volume);
    b->SetCurrentPosition(0);
    b->Play(0, 0, 0);
    float level = Left(1)[0];
    if (c.gain == 0.0f) EXPECT_EQ(level, 0.0f);
    else EXPECT_NEAR(level / 0.5f, c.gain, c.gain * 1e-4f) << c.volume;
  }
  // Out of range: refused, the volume stays.
  EXPECT_EQ(b->SetVolume(-10001), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->SetVolume(1), DSERR_INVALIDPARAM);
  LONG v = 1;
  b->GetVolume(&v);
  EXPECT_EQ(v, -10000);
}

TEST_F(DirectSoundTest, StopKeepsThePositionAndSetCurrentPositionMovesIt) {
  std::vector<int> ramp;
  for (int i = 0; i < 8; ++i) ramp.push_back(i * 1024);
  LPDIRECTSOUNDBUFFER b = Make(1, 44100, 16, S16(ramp));
  auto at = [](int i) { return i * 1024 / 32768.0f; };
  b->Play(0, 0, 0);
  EXPECT_EQ(Left(3), (std::vector<float>{at(0), at(1), at(2)}));
  b->Stop();
  EXPECT_EQ(Left(2), (std::vector<float>{0, 0}));
  b->Play(0, 0, 0);
  EXPECT_EQ(Left(2), (std::vector<float>{at(3), at(4)}));
  ASSERT_EQ(b->SetCurrentPosition(12), DS_OK);  // bytes: frame 6
  EXPECT_EQ(Left(3), (std::vector<float>{at(6), at(7), 0}));
  EXPECT_EQ(b->SetCurrentPosition(16), DSERR_INVALIDPARAM);
  // Stop, rewind, play: a sounding buffer restarts from its start.
  b->Play(0, 0, 0);
  Left(4);
  b->Stop();
  b->SetCurrentPosition(0);
  b->Play(0, 0, 0);
  EXPECT_EQ(Left(2), (std::vector<float>{at(0), at(1)}));
}

TEST_F(DirectSoundTest, ALoopingPlayWrapsAround) {
  LPDIRECTSOUNDBUFFER b = Make(1, 44100, 16, S16({8192, 16384}));
  b->Play(0, 0, DSBPLAY_LOOPING);
  EXPECT_EQ(Left(5), (std::vector<float>{0.25f, 0.5f, 0.25f, 0.5f, 0.25f}));
}

TEST_F(DirectSoundTest, DuplicatesShareTheSamplesButNotCursorOrVolume) {
  LPDIRECTSOUNDBUFFER a = Make(1, 44100, 16, S16({8192, 8192, 8192, 8192}));
  a->SetVolume(-2000);
  LPDIRECTSOUNDBUFFER d = Duplicate(a);
  ASSERT_NE(d, nullptr);
  LONG v = 0;
  d->GetVolume(&v);
  EXPECT_EQ(v, -2000);  // the original's volume to begin with
  d->SetVolume(0);
  // Written through the original after duplication: the copy plays the new samples.
  Write(a, S16({16384, 16384, 16384, 16384}));
  d->Play(0, 0, 0);
  EXPECT_EQ(Left(1), (std::vector<float>{0.5f}));
  a->Play(0, 0, 0);
  std::vector<float> both = Left(1);
  EXPECT_NEAR(both[0], 0.5f + 0.05f, 1e-6f);
  d->Stop();
  std::vector<float> one = Left(2);
  EXPECT_NEAR(one[0], 0.05f, 1e-6f);
  EXPECT_NEAR(one[1], 0.05f, 1e-6f);
  std::vector<float> last = Left(2);  // the original's last frame, then its end
  EXPECT_NEAR(last[0], 0.05f, 1e-6f);
  EXPECT_EQ(last[1], 0.0f);
  // The copy goes on from frame 2, where it stopped.
  d->Play(0, 0, 0);
  EXPECT_EQ(Left(3), (std::vector<float>{0.5f, 0.5f, 0}));
}

TEST_F(DirectSoundTest, ReleasedBuffersFallSilentAndMayOutliveTheObject) {
  LPDIRECTSOUNDBUFFER a = Make(1, 44100, 16, S16(std::vector<int>(100, 16384)));
  LPDIRECTSOUNDBUFFER d = Duplicate(a);
  a->Play(0, 0, 0);
  d->Play(0, 0, 0);
  EXPECT_EQ(Left(1), (std::vector<float>{1.0f}));
  buffers_.clear();
  a->Release();  // the duplicate keeps the samples
  EXPECT_EQ(Left(1), (std::vector<float>{0.5f}));
  ds_->Release();
  ds_ = nullptr;
  EXPECT_EQ(Left(1), (std::vector<float>{0.5f}));
  d->Release();
  EXPECT_EQ(Left(1), (std::vector<float>{0}));
}

TEST_F(DirectSoundTest, LockHandsOutTheRangeAskedForWrappingAtTheEnd) {
  LPDIRECTSOUNDBUFFER b = Make(1, 44100, 8, std::string(8, '\x80'));
  void *p1, *p2;
  DWORD n1, n2;
  ASSERT_EQ(b->Lock(6, 4, &p1, &n1, &p2, &n2, 0), DS_OK);
  EXPECT_EQ(n1, 2u);
  EXPECT_EQ(n2, 2u);
  EXPECT_EQ(static_cast<char*>(p1) - static_cast<char*>(p2), 6);
  ASSERT_EQ(b->Lock(2, 4, &p1, &n1, &p2, &n2, 0), DS_OK);
  EXPECT_EQ(n1, 4u);
  EXPECT_EQ(p2, nullptr);
  EXPECT_EQ(n2, 0u);
  EXPECT_EQ(b->Lock(8, 1, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
  EXPECT_EQ(b->Lock(0, 9, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
}

}  // namespace
