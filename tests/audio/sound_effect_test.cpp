#include "audio/sound_effect.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/mixer.h"
#include "support/bytes.h"
#include "support/render.h"
#include "support/riff.h"
#include "support/temp_dir.h"

namespace {

// The slots and definitions the tests make their effects in, as the program makes its own.
cSafeVector<DSSOUNDDATA> g_vSeSlot;
cSafeVector<DSSOUNDDEF> g_vSeDef;

std::string Mono16(const std::vector<int>& v) {
  ByteWriter w;
  for (int s : v) w.I16(static_cast<int16_t>(s));
  return PcmWave(1, 44100, 16, w.str());
}

// Sound effects on the manually rendered shared output (44100 Hz), with both logs in a
// temporary working folder.
class SoundEffects : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.dir().MakeDir("wave");
    SetAudioOutputManual(true);
    mixer_ = AcquireAudioOutput();
    ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  }
  void TearDown() override {
    DS_Release();
    g_vSeSlot.clear();
    g_vSeDef.clear();
    ReleaseAudioOutput();
    SetAudioOutputManual(false);
  }

  void WriteWave(const std::string& name, const std::string& bytes) { WriteFileBytes(env_.dir() / name, bytes); }
  // Slot i of the global tables from a definition.
  void Define(size_t i, const char* name, int copies, int volume = 0) {
    if (g_vSeDef.size() <= i) g_vSeDef.resize(i + 1), g_vSeSlot.resize(i + 1);
    std::snprintf(g_vSeDef[i].szName, MAX_PATH, "%s", name);
    g_vSeDef[i].nCopies = copies;
    g_vSeDef[i].nVolume = volume;
    g_vSeDef[i].nFlag = 1;
  }
  std::vector<float> Left(int frames) { return RenderLeft(mixer_, frames); }

  CoreTestEnv env_{true};
  ScopedChdir cd_{env_.dir().path()};
  AudioMixer* mixer_ = nullptr;
};

TEST_F(SoundEffects, CreateMakesEverySlotAndLeavesFailedOnesSilent) {
  WriteWave("wave/ok.wav", Mono16(std::vector<int>(10, 16384)));
  WriteWave("wave/tiny.wav", PcmWave(1, 22050, 8, "\x80\x80"));  // below the smallest buffer
  WriteWave("wave/float.wav", WaveFile(RiffChunk("fmt ", PcmFormat(1, 44100, 32, 3)) + RiffChunk("data", "abcd")));
  WriteWave("wave/empty.wav", PcmWave(1, 22050, 8, ""));
  Define(0, "wave\\ok.wav", 2);
  Define(1, "wave\\missing.wav", 1);
  Define(2, "wave\\tiny.wav", 1);
  Define(3, "wave\\float.wav", 1);
  Define(4, "wave\\empty.wav", 1);
  EXPECT_EQ(DSCreate(&g_vSeSlot, &g_vSeDef, 0), 1);

  EXPECT_EQ(g_vSeSlot[0].nCount, 2);
  EXPECT_STREQ(g_vSeSlot[0].szName, "wave\\ok.wav");
  for (size_t i = 1; i < 5; ++i) {
    EXPECT_EQ(g_vSeSlot[i].nCount, 0) << i;
    EXPECT_NE(g_vSeSlot[i].lplpBuffer, nullptr) << i;  // kept: the slot is not made again
  }
  const std::string report =
      "wave\\missing.wav の読み込みに失敗しました！\n"
      "wave\\float.wav の読み込みに失敗しました…\nPCM形式以外の形式です。\n本ソフトではPCM形式のみ再生できます。\n"
      "wave\\float.wav の読み込みに失敗しました！\n"
      "wave\\empty.wav の読み込みに失敗しました！\n";
  EXPECT_EQ(env_.ReportText(), report);
  const std::string errors =
      "wave\\missing.wav の読み込みに失敗しました！\n"
      "wave\\tiny.wav生成失敗！\n"
      "wave\\float.wav の読み込みに失敗しました…\nPCM形式以外の形式です。\n本ソフトではPCM形式のみ再生できます。\n"
      "wave\\float.wav の読み込みに失敗しました！\n"
      "wave\\empty.wav の読み込みに失敗しました！\n";
  EXPECT_EQ(env_.ErrorText(), errors);

  // A second DSCreate leaves existing slots alone, failed ones included.
  LPDIRECTSOUNDBUFFER* before = g_vSeSlot[1].lplpBuffer;
  DSCreate(&g_vSeSlot, &g_vSeDef, 0);
  EXPECT_EQ(g_vSeSlot[1].lplpBuffer, before);
  EXPECT_EQ(env_.ReportText(), report);

  for (size_t i = 1; i < 5; ++i) DSPlaySe(&g_vSeSlot[i], 0);
  EXPECT_EQ(Left(1), (std::vector<float>{0}));
  DSPlaySe(&g_vSeSlot[0], 0);
  EXPECT_EQ(Left(1), (std::vector<float>{0.5f}));
}

TEST_F(SoundEffects, PlaysTakeTheCopiesInTurnAndRestartTheOldest) {
  // 1000 frames at a constant level; three copies played four times, 100 frames apart.
  const int level = 3277;
  const float c = level / 32768.0f;
  WriteWave("wave/long.wav", Mono16(std::vector<int>(1000, level)));
  Define(0, "wave\\long.wav", 3);
  DSCreate(&g_vSeSlot, &g_vSeDef, 0);
  ASSERT_EQ(g_vSeSlot[0].nCount, 3);
  std::vector<float> left;
  std::vector<int> next;
  for (int i = 0; i < 4; ++i) {
    DSPlaySe(&g_vSeSlot[0], 0);
    next.push_back(g_vSeSlot[0].nNext);
    std::vector<float> part = Left(100);
    left.insert(left.end(), part.begin(), part.end());
  }
  EXPECT_EQ(next, (std::vector<int>{1, 2, 0, 1}));
  std::vector<float> rest = Left(1100);
  left.insert(left.end(), rest.begin(), rest.end());
  // Copy 0 restarted at frame 300: it sounds until 1300, copies 1 and 2 end at 1100 and 1200.
  const struct {
    int frame;
    int copies;
  } timeline[] = {{50, 1}, {150, 2}, {250, 3}, {350, 3}, {1050, 3}, {1150, 2}, {1250, 1}, {1350, 0}};
  for (const auto& t : timeline) EXPECT_NEAR(left[t.frame], t.copies * c, 1e-6f) << "frame " << t.frame;
}

TEST_F(SoundEffects, VolumesAreClampedPerCopy) {
  WriteWave("wave/a.wav", Mono16({100, 100}));
  DSSOUNDDATA slot;
  ASSERT_TRUE(DSCreateSe(&slot, "wave\\a.wav", 2, 0));
  struct Case {
    int start;  // set absolutely first
    int volume;
    int relative;
    int expected;
  };
  const Case cases[] = {
      {0, -20000, 0, -10000}, {-500, 5, 0, 0},        {-800, -9500, 1, -10000}, {-800, 300, 1, -500},
      {-300, 1000, 1, 0},     {-10000, INT_MIN, 1, -10000}, {-100, INT_MAX, 1, 0},   {-700, -300, 2, -300},
  };
  for (const Case& c : cases) {
    DSSetSeVolume(&slot, 0, c.start, 0);
    EXPECT_EQ(DSSetSeVolume(&slot, 0, c.volume, c.relative), c.expected) << c.start << " " << c.volume;
    EXPECT_EQ(DSGetSeVolume(&slot, 0), c.expected);
    EXPECT_EQ(DSGetSeVolume(&slot, 1), 0);  // the other copy keeps its own
  }
  // Copies that do not exist.
  EXPECT_EQ(DSSetSeVolume(&slot, 2, -100, 0), 0);
  EXPECT_EQ(DSSetSeVolume(&slot, -1, -100, 0), 0);
  EXPECT_EQ(DSGetSeVolume(&slot, 2), 0);
  DSReleaseSe(&slot);
  EXPECT_EQ(slot.lplpBuffer, nullptr);
  EXPECT_EQ(DSSetSeVolume(&slot, 0, -100, 0), 0);
}

TEST_F(SoundEffects, ACopyCountBelowOneMakesOneCopy) {
  WriteWave("wave/a.wav", Mono16({16384, 16384}));
  for (int copies : {0, -5}) {
    DSSOUNDDATA slot;
    ASSERT_TRUE(DSCreateSe(&slot, "wave\\a.wav", copies, 0));
    EXPECT_EQ(slot.nCount, 1);
    for (int i = 0; i < 3; ++i) {
      DSPlaySe(&slot, 0);
      EXPECT_EQ(slot.nNext, 0);
    }
    EXPECT_EQ(Left(1), (std::vector<float>{0.5f}));
    DSReleaseSe(&slot);
  }
}

TEST_F(SoundEffects, TheVolumeStepSetsTheLevel) {
  const int steps[] = {-1, 0, 1, 5, 9, 10, 11};
  const int volumes[] = {-10000, -10000, -3000, -500, -30, 0, 0};
  for (size_t i = 0; i < std::size(steps); ++i) EXPECT_EQ(SeAttenuation(steps[i]), volumes[i]) << steps[i];

  // A known wave (8-bit mono 22050, a triangle) at steps 10, 5 and 0, measured on the output.
  std::string samples;
  for (int i = 0; i < 2000; ++i) samples.push_back(static_cast<char>(128 + (i % 40 < 20 ? i % 40 : 40 - i % 40) * 5 - 50));
  WriteWave("wave/tri.wav", PcmWave(1, 22050, 8, samples));
  Define(0, "wave\\tri.wav", 1);
  auto rms = [&](int step) {
    DSCreate(&g_vSeSlot, &g_vSeDef, SeAttenuation(step));
    DSPlaySe(&g_vSeSlot[0], 0);
    std::vector<float> left = Left(4100);
    DSReleaseSe(&g_vSeSlot[0]);
    double sum = 0;
    for (float v : left) sum += static_cast<double>(v) * v;
    return std::sqrt(sum / static_cast<double>(left.size()));
  };
  double full = rms(10);
  ASSERT_GT(full, 0.1);
  EXPECT_NEAR(rms(5) / full, std::pow(10.0, -500.0 / 2000.0), 1e-5);
  EXPECT_EQ(rms(0), 0.0);
}

TEST_F(SoundEffects, ANonzeroVolumeForCreateReplacesTheDefinitionsOwn) {
  WriteWave("wave/a.wav", Mono16({100, 100}));
  Define(0, "wave\\a.wav", 2, -2000);
  Define(1, "wave\\a.wav", 1, -2000);
  DSCreate(&g_vSeSlot, &g_vSeDef, 0);
  EXPECT_EQ(DSGetSeVolume(&g_vSeSlot[0], 0), -2000);
  EXPECT_EQ(DSGetSeVolume(&g_vSeSlot[0], 1), -2000);
  DSReleaseSe(&g_vSeSlot[0]);
  DSReleaseSe(&g_vSeSlot[1]);
  DSCreate(&g_vSeSlot, &g_vSeDef, -800);
  EXPECT_EQ(DSGetSeVolume(&g_vSeSlot[0], 1), -800);
  EXPECT_EQ(DSGetSeVolume(&g_vSeSlot[1], 0), -800);
}

TEST_F(SoundEffects, ReleaseWalksEveryBufferWhateverTheCount) {
  // A slot whose second copy was made but whose count was never set (a later copy failed).
  WriteWave("wave/a.wav", Mono16(std::vector<int>(50, 16384)));
  DSSOUNDDATA slot;
  slot.lplpBuffer = new LPDIRECTSOUNDBUFFER[3]();
  slot.nBuffers = 3;
  ASSERT_TRUE(DSLoadWave(&slot.lplpBuffer[0], "wave\\a.wav"));
  ASSERT_TRUE(DSDuplicateBuffer(&slot.lplpBuffer[1], slot.lplpBuffer[0]));
  slot.lplpBuffer[0]->Play(0, 0, 0);
  slot.lplpBuffer[1]->Play(0, 0, 0);
  EXPECT_EQ(Left(1), (std::vector<float>{1.0f}));
  DSPlaySe(&slot, 0);  // no complete set of copies: nothing plays
  DSReleaseSe(&slot);
  EXPECT_EQ(Left(1), (std::vector<float>{0}));
  EXPECT_EQ(slot.lplpBuffer, nullptr);
  EXPECT_EQ(slot.nBuffers, 0);
}

TEST_F(SoundEffects, TwoThreadsPlayingTheSameSlotShareItsCopies) {
  WriteWave("wave/a.wav", Mono16(std::vector<int>(20, 100)));
  Define(0, "wave\\a.wav", 3);
  DSCreate(&g_vSeSlot, &g_vSeDef, 0);
  auto play = [] {
    for (int i = 0; i < 500; ++i) DSPlaySe(&g_vSeSlot[0], 0);
  };
  std::thread window(play), game(play);
  for (int i = 0; i < 50; ++i) Left(64);
  window.join();
  game.join();
  EXPECT_EQ(g_vSeSlot[0].nNext, 1000 % 3);
}

TEST(SoundEffectsOff, EveryOperationDoesNothing) {
  CoreTestEnv env;
  DSSOUNDDATA slot;
  EXPECT_TRUE(DSCreateSe(&slot, "wave\\a.wav", 2, -100));
  EXPECT_EQ(slot.lplpBuffer, nullptr);
  LPDIRECTSOUNDBUFFER b = nullptr;
  EXPECT_TRUE(DSLoadWave(&b, "wave\\a.wav"));
  EXPECT_EQ(b, nullptr);
  DSPlaySe(&slot, 0);
  EXPECT_EQ(DSSetSeVolume(&slot, 0, -100, 0), 0);
  EXPECT_EQ(DSGetSeVolume(&slot, 0), 0);
  DS_Release();
  EXPECT_EQ(env.ReportText(), "");
}

TEST(SoundEffectsWithoutDevice, StartUpGoesOnWithOneReportLine) {
  CoreTestEnv env;
  const char* old = std::getenv("SDL_AUDIODRIVER");
  std::string saved = old ? old : "";
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_TRUE(DS_Init(nullptr, 22050, 8, 1));
  DS_Release();
  if (old) setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
  else unsetenv("SDL_AUDIODRIVER");
  std::string report = env.ReportText();
  EXPECT_EQ(report.rfind("Audio : no output device (", 0), 0u) << report;
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1);
}

}  // namespace
