#include "audio/bgm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/mixer.h"
#include "support/bytes.h"
#include "support/fake_synth.h"
#include "fixture/ogg_encode.h"
#include "support/render.h"
#include "support/temp_dir.h"
#include "support/test_thread.h"

namespace {

// The Ogg library's objects, faked: each call is written down as "<object> <call>".
std::vector<std::string> g_calls;
int g_made = 0;
bool g_makeNull = false;
std::vector<std::string> g_opens;  // the names that open

class FakeVox : public IVox {
 public:
  explicit FakeVox(int id) : id_(id) {}
  BYTE Open(const char* name) override {
    Call(std::string("Open ") + name);
    for (const std::string& n : g_opens) {
      if (n == name) return 1;
    }
    return 0;
  }
  void Play() override { Call("Play"); }
  void Stop() override { Call("Stop"); }
  void Close() override { Call("Close"); }
  void SetLoop(int n) override { Call("SetLoop " + std::to_string(n)); }
  void Destroy() override {
    Call("Destroy");
    delete this;
  }

 private:
  void Call(const std::string& what) { g_calls.push_back(std::to_string(id_) + " " + what); }
  int id_;
};

IVox* CreateFakeVox() {
  if (g_makeNull) return nullptr;
  return new FakeVox(g_made++);
}

// The manager over the fake library (or the built-in one), with the name tables start-up
// gives it, in a working folder with a few MIDI files.
class Bgm : public ::testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    g_made = 0;
    g_makeNull = false;
    g_opens.clear();
    SetCreateVoxForTests(&CreateFakeVox);
    SetAudioOutputManual(true);
    const char* names[5] = {"Title", "WorldMap", "Challenge", "Option", "Stage"};
    for (int i = 0; i < 5; ++i) {
      std::snprintf(ogg_[i], sizeof ogg_[i], "bgm\\%s.ogg", names[i]);
      std::snprintf(midi_[i], sizeof midi_[i], "bgm\\%s.mid", names[i]);
    }
    env_.dir().MakeDir("bgm");
    WriteFileBytes(env_.dir() / "bgm/Title.mid", OneNoteMidiFile());
    WriteFileBytes(env_.dir() / "bgm/a.mid", OneNoteMidiFile());
    WriteFileBytes(env_.dir() / "bgm/WorldMap.mid", OneNoteMidiFile());
  }
  void TearDown() override {
    bgm_.Release();
    UseBuiltinVox();
    SetAudioOutputManual(false);
  }
  int Init() { return bgm_.Init(1, ogg_[0], midi_[0], 5); }
  cMidiPlayer* Player() { return bgm_.m_Midi.m_vPlayer.empty() ? nullptr : bgm_.m_Midi.m_vPlayer[0]; }
  std::vector<std::string> TakeCalls() {
    std::vector<std::string> c = g_calls;
    g_calls.clear();
    return c;
  }

  CoreTestEnv env_{true};
  ScopedChdir cd_{env_.dir().path()};
  FakeSynth synth_;
  char ogg_[5][BGM_OGG_NAME] = {};
  char midi_[5][BGM_MIDI_NAME] = {};
  cBgm bgm_;
};

TEST_F(Bgm, SetFileChoosesTheSideByTheExtension) {
  const std::string longName = "bgm\\" + std::string(300, 'x') + ".ogg";
  const struct {
    std::string path;
    int result;
    int kind;
    std::string ogg;   // after the call
    std::string midi;
  } cases[] = {
      {"bgm\\a.MID", 1, 2, "bgm\\WorldMap.ogg", "bgm\\a.mid"},
      {"bgm\\a.mid", 1, 2, "bgm\\WorldMap.ogg", "bgm\\a.mid"},
      {"bgm\\b.ogg", 1, 1, "bgm\\b.ogg", "bgm\\WorldMap.mid"},
      {"bgm\\b.OGG", 1, 1, "bgm\\b.OGG", "bgm\\WorldMap.mid"},
      {"bgm\\c.Mid", 0, 0, "bgm\\c.Mid", "bgm\\c.Mid"},
      {"bgm\\c.wav", 0, 0, "bgm\\c.wav", "bgm\\c.wav"},
      {"bgm\\none", 0, 0, "", ""},
      {"bgm.v2\\none", 0, 0, "", ""},  // the dot of a folder is no extension
      {"bgm\\\x95\x5C.mid", 1, 2, "bgm\\WorldMap.ogg", "bgm\\\x95\x5C.mid"},  // a two-byte name ending in 5C
      {longName, 1, 1, longName.substr(0, BGM_OGG_NAME - 1), "bgm\\WorldMap.mid"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(Init(), 1);
    EXPECT_EQ(bgm_.SetFile(1, c.path.c_str()), c.result) << c.path;
    EXPECT_EQ(bgm_.m_vKind[1], c.kind) << c.path;
    EXPECT_EQ(ogg_[1], c.ogg) << c.path;
    EXPECT_EQ(midi_[1], c.midi) << c.path;
    EXPECT_STREQ(ogg_[2], "bgm\\Challenge.ogg") << "the next entry is untouched";
    bgm_.Release();
    std::snprintf(ogg_[1], sizeof ogg_[1], "bgm\\WorldMap.ogg");
    std::snprintf(midi_[1], sizeof midi_[1], "bgm\\WorldMap.mid");
  }
}

TEST_F(Bgm, PlayTakesOggFirstAndMidiAsTheFallBack) {
  g_opens = {"bgm\\Title.ogg", "bgm\\b.ogg"};
  ASSERT_EQ(Init(), 1);
  EXPECT_EQ(TakeCalls(), std::vector<std::string>{});

  // Kind 0 with an Ogg file that opens: Ogg, looping endlessly.
  EXPECT_EQ(bgm_.Play(0, 0, 1, 0, 1), 1);
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"0 Close", "0 Open bgm\\Title.ogg", "0 SetLoop 2147483647", "0 Play"}));
  EXPECT_EQ(bgm_.m_vPlaying[0], 1);
  EXPECT_EQ(bgm_.m_Vox.m_nCurrent, 0);

  // Kind 0 whose Ogg file does not open: the MIDI file plays; the Ogg object had stopped.
  EXPECT_EQ(bgm_.Play(0, 1, 0, 0, 1), 1);
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"0 Stop", "0 Close", "0 Open bgm\\WorldMap.ogg"}));
  EXPECT_EQ(bgm_.m_vPlaying[0], 2);
  EXPECT_EQ(bgm_.m_Vox.m_nCurrent, -1);
  EXPECT_EQ(bgm_.m_nSlot, 1);
  EXPECT_EQ(Player()->GetState(), cMidiPlayer::STATE_PLAYING);
  // Neither file there: nothing plays, no slot is remembered, and Stop calls nothing.
  EXPECT_EQ(bgm_.Play(0, 3, 0, 0, 1), 0);
  ASSERT_NE(Player(), nullptr);
  EXPECT_EQ(Player()->Image(), nullptr);
  EXPECT_EQ(bgm_.m_vPlaying[0], 0);
  EXPECT_EQ(bgm_.m_nSlot, -1);
  TakeCalls();
  bgm_.Stop();
  EXPECT_EQ(TakeCalls(), std::vector<std::string>{});

  // Kind 2: MIDI only; an Ogg piece that played is stopped.
  EXPECT_EQ(bgm_.Play(0, 0, 1, 0, 1), 1);
  ASSERT_EQ(bgm_.SetFile(4, "bgm\\A.MID"), 1);
  TakeCalls();
  EXPECT_EQ(bgm_.Play(0, 4, 1, 0, 1), 1);
  EXPECT_EQ(TakeCalls(), std::vector<std::string>{"0 Stop"});
  ASSERT_NE(Player(), nullptr);
  EXPECT_EQ(Player()->GetState(), cMidiPlayer::STATE_PLAYING);
  EXPECT_EQ(Player()->Name(), "bgm\\A.mid");

  // The slot that plays, unforced: nothing changes; forced: it starts again.
  cMidiPlayer* before = Player();
  EXPECT_EQ(bgm_.Play(0, 4, 1, 0, 0), 1);
  EXPECT_EQ(Player(), before);
  EXPECT_EQ(bgm_.Play(0, 4, 1, 0, 1), 1);
  EXPECT_EQ(Player()->GetState(), cMidiPlayer::STATE_PLAYING);

  // Kind 1 stops the MIDI player; kind 0 pauses it when asked to.
  ASSERT_EQ(bgm_.SetFile(2, "bgm\\b.ogg"), 1);
  EXPECT_EQ(bgm_.Play(0, 2, 0, 1, 1), 1);
  EXPECT_EQ(Player()->GetState(), cMidiPlayer::STATE_STOPPED);
  for (int pause : {1, 0}) {
    EXPECT_EQ(bgm_.Play(0, 4, 1, 0, 1), 1);
    EXPECT_EQ(bgm_.Play(0, 0, 1, pause, 1), 1);
    EXPECT_EQ(Player()->GetState(), pause ? cMidiPlayer::STATE_PAUSED : cMidiPlayer::STATE_STOPPED) << pause;
  }

  // Mixed case and a missing name: Ogg is tried, MIDI refuses; an empty name calls nothing.
  ASSERT_EQ(bgm_.SetFile(2, "bgm\\a.Mid"), 0);
  TakeCalls();
  EXPECT_EQ(bgm_.Play(0, 2, 1, 0, 1), 0);
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"0 Stop", "0 Close", "0 Open bgm\\a.Mid"}));
  ASSERT_EQ(bgm_.SetFile(2, "bgm\\none"), 0);
  EXPECT_EQ(bgm_.Play(0, 2, 1, 0, 1), 0);
  EXPECT_EQ(TakeCalls(), std::vector<std::string>{});

  // Stop stops both sides and keeps the slot.
  EXPECT_EQ(bgm_.Play(0, 4, 1, 0, 1), 1);
  bgm_.Stop();
  EXPECT_EQ(Player()->GetState(), cMidiPlayer::STATE_STOPPED);
  EXPECT_EQ(bgm_.m_nSlot, 4);
  EXPECT_EQ(bgm_.Play(0, 4, 1, 0, 0), 1);
  EXPECT_EQ(Player()->GetState(), cMidiPlayer::STATE_STOPPED) << "unforced: still stopped";
}

TEST_F(Bgm, WithoutTheOggLibraryTheManagerStaysOff) {
  SetCreateVoxForTests(nullptr);
  EXPECT_EQ(Init(), 0);
  ASSERT_EQ(env_.Boxes().size(), 1u);
  EXPECT_EQ(env_.Boxes()[0].text, "oggの初期化に失敗！");
  EXPECT_NE(env_.ErrorText().find("m_Vox.Init失敗！"), std::string::npos);
  EXPECT_EQ(bgm_.m_bInit, 0);
  EXPECT_EQ(bgm_.SetFile(4, "bgm\\a.mid"), 1);
  EXPECT_EQ(bgm_.Play(0, 4, 1, 0, 1), 1);
  EXPECT_EQ(Player(), nullptr) << "no MIDI either";
  EXPECT_STREQ(midi_[4], "bgm\\Stage.mid");
  bgm_.Stop();
  bgm_.Release();

  // A later Init with the library works.
  SetCreateVoxForTests(&CreateFakeVox);
  EXPECT_EQ(Init(), 1);
}

TEST_F(Bgm, AnObjectThatCannotBeMadeTurnsTheManagerOff) {
  g_makeNull = true;
  EXPECT_EQ(Init(), 0);
  ASSERT_EQ(env_.Boxes().size(), 1u);
  EXPECT_EQ(env_.Boxes()[0].text, "メモリが不足しています！");
  EXPECT_EQ(env_.TakeCloseRequests(), 1);
  EXPECT_EQ(bgm_.m_bInit, 0);
  EXPECT_EQ(bgm_.m_Vox.m_lpVox, nullptr);
  EXPECT_EQ(bgm_.Play(0, 0, 1, 0, 1), 1);
  bgm_.Stop();
}

TEST_F(Bgm, ReleaseLetsGoOnceAndInitStartsAfresh) {
  g_opens = {"bgm\\Title.ogg"};
  cBgm idle;
  EXPECT_EQ(idle.m_bInit, 0) << "a manager is idle until Init";
  EXPECT_EQ(idle.m_nSlot, -1);
  idle.Release();

  ASSERT_EQ(Init(), 1);
  EXPECT_EQ(bgm_.Play(0, 0, 1, 0, 1), 1);
  TakeCalls();
  bgm_.Release();
  EXPECT_EQ(TakeCalls(), std::vector<std::string>{"0 Destroy"});
  EXPECT_EQ(bgm_.m_bInit, 0);
  EXPECT_EQ(bgm_.m_nSlot, 0) << "kept";
  bgm_.Release();
  bgm_.m_Vox.Release();  // as the destructors do at exit
  EXPECT_EQ(TakeCalls(), std::vector<std::string>{});

  // Music switched on again: a new object; the old slot still counts for unforced plays.
  ASSERT_EQ(Init(), 1);
  EXPECT_EQ(bgm_.Play(0, 0, 1, 0, 0), 1);
  EXPECT_EQ(TakeCalls(), std::vector<std::string>{});
  EXPECT_EQ(bgm_.Play(0, 0, 1, 0, 1), 1);
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"1 Close", "1 Open bgm\\Title.ogg", "1 SetLoop 2147483647", "1 Play"}));
}

TEST_F(Bgm, OptionsOnTheGameThreadAndClosingOnTheWindowThreadTakeTurns) {
  UseBuiltinVox();
  WriteFileBytes(env_.dir() / "bgm/Title.ogg", EncodeOgg(Sine(4410, 441, 44100, 0.3), 1, 44100));
  ASSERT_EQ(Init(), 1);
  AudioMixer* mixer = AcquireAudioOutput();
  std::atomic<bool> stop{false};
  TestThread output([&] {
    while (!stop) RenderStereo(mixer, 256);
  });
  TestThread game([&] {
    for (int i = 0; i < 30; ++i) {
      bgm_.Release();
      bgm_.Init(1, ogg_[0], midi_[0], 5);
      bgm_.Play(0, i % 2, 1, 0, 1);
    }
  });
  for (int i = 0; i < 30; ++i) {
    bgm_.Stop();
    bgm_.Play(0, 0, 1, i % 2, 1);
  }
  EXPECT_TRUE(game.Join());
  stop = true;
  EXPECT_TRUE(output.Join());
  bgm_.Release();
  ReleaseAudioOutput();
}

TEST_F(Bgm, SwitchingFromOggToMidiSilencesTheOgg) {
  UseBuiltinVox();
  WriteFileBytes(env_.dir() / "bgm/Title.ogg", EncodeOgg(Sine(44100, 441, 44100, 0.5), 1, 44100));
  ASSERT_EQ(Init(), 1);
  AudioMixer* mixer = AcquireAudioOutput();
  const auto peak = [&](int frames) {
    float m = 0;
    for (float s : RenderLeft(mixer, frames)) m = std::max(m, std::fabs(s));
    return m;
  };
  ASSERT_EQ(bgm_.SetFile(0, "bgm\\Title.ogg"), 1);
  ASSERT_EQ(bgm_.Play(0, 0, 1, 0, 1), 1);
  EXPECT_GT(peak(4096), 0.3f);
  ASSERT_EQ(bgm_.SetFile(0, "bgm\\Title.mid"), 1);
  ASSERT_EQ(bgm_.Play(0, 0, 1, 0, 1), 1);
  EXPECT_EQ(peak(4096), 0.0f);
  EXPECT_EQ(synth_.ClocksOf("90 3C 40").size(), 1u) << "the MIDI piece plays";
  bgm_.Release();
  ReleaseAudioOutput();
}

}  // namespace
