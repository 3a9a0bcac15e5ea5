#include "audio/midi_player.h"

#include <stdlib.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "audio/audio_report.h"
#include "platform/midi_synth.h"
#include "platform/mixer.h"
#include "support/bytes.h"
#include "support/fake_synth.h"
#include "support/render.h"
#include "support/temp_dir.h"
#include "support/test_thread.h"

namespace {

std::string Be16(unsigned v) { return {static_cast<char>(v >> 8), static_cast<char>(v)}; }
std::string Be32(uint32_t v) { return Be16(v >> 16) + Be16(v & 0xFFFF); }
std::string VarLen(DWORD v) {
  BYTE b[4];
  int n = WriteVarLen(b, v);
  return std::string(reinterpret_cast<char*>(b), static_cast<size_t>(n));
}

// A format-0 file: events added with their delta times, then the end of the track.
class MidiBuilder {
 public:
  explicit MidiBuilder(unsigned division = 96) : division_(division) {}
  MidiBuilder& Ev(DWORD delta, const std::string& bytes) {
    track_ += VarLen(delta) + bytes;
    return *this;
  }
  MidiBuilder& Note(DWORD delta, int key) { return Ev(delta, std::string{'\x90', static_cast<char>(key), '\x40'}); }
  MidiBuilder& Text(DWORD delta, const std::string& text) {
    return Ev(delta, "\xFF\x01" + VarLen(static_cast<DWORD>(text.size())) + text);
  }
  MidiBuilder& Tempo(DWORD delta, DWORD us) {
    return Ev(delta, std::string("\xFF\x51\x03", 3) + std::string{static_cast<char>(us >> 16), static_cast<char>(us >> 8), static_cast<char>(us)});
  }
  MidiBuilder& SysEx(DWORD delta, const std::string& data) {  // data after F0, F7 included
    std::string bytes(1, '\xF0');
    bytes += VarLen(static_cast<DWORD>(data.size()));
    return Ev(delta, bytes + data);
  }
  std::string File(DWORD endDelta = 0) const {
    std::string t = track_ + VarLen(endDelta) + std::string("\xFF\x2F\x00", 3);
    return "MThd" + Be32(6) + Be16(0) + Be16(1) + Be16(division_) + "MTrk" + Be32(static_cast<uint32_t>(t.size())) + t;
  }

 private:
  unsigned division_;
  std::string track_;
};

struct Record {
  DWORD delta;
  DWORD event;
  std::string params;  // hex of the parameter bytes of a long event
};

// The records of a filled buffer.
std::vector<Record> Records(const MIDIHDR& h) {
  std::vector<Record> out;
  const auto* p = reinterpret_cast<const BYTE*>(h.lpData);
  for (DWORD at = 0; at + 12 <= h.dwBytesRecorded;) {
    Record r{};
    std::memcpy(&r.delta, p + at, 4);
    std::memcpy(&r.event, p + at + 8, 4);
    at += 12;
    if (r.event & MEVT_F_LONG) {
      DWORD n = (MEVT_EVENTPARM(r.event) + 3) & ~3u;
      r.params = Hex(std::string(reinterpret_cast<const char*>(p + at), n));
      at += n;
    }
    out.push_back(r);
  }
  return out;
}

// Players over MIDI files in a temporary working folder, on the manually rendered output with
// a synthesizer that records.
class MidiPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    SetAudioOutputManual(true);
    mixer_ = AcquireAudioOutput();
  }
  void TearDown() override {
    ReleaseAudioOutput();
    SetAudioOutputManual(false);
  }
  std::unique_ptr<cMidiPlayer> Player(const std::string& file) {
    WriteFileBytes(env_.dir() / "song.mid", file);
    return std::make_unique<cMidiPlayer>("song.mid");
  }
  // Fills a buffer of our own from the image offset.
  DWORD Fill(cMidiPlayer& p, DWORD pos) {
    hdr_ = MIDIHDR{};
    hdr_.lpData = buffer_;
    hdr_.dwBufferLength = sizeof buffer_;
    return p.FillBuffer(pos, &hdr_);
  }
  // Renders `frames` frames in pieces, letting the callback thread refill the buffers between
  // them, as it does long before the output needs them.
  void Render(cMidiPlayer& p, int frames, int chunk = 2048) {
    while (frames > 0) {
      ASSERT_TRUE(WaitUntil([&] {
        // The player's lock first, as the player takes them.
        std::lock_guard<std::recursive_mutex> player(p.Mutex());
        if (p.GetReadPos() >= p.ImageSize()) return true;
        std::lock_guard<std::mutex> lock(mixer_->Mutex());
        return (p.Header(0)->dwFlags & MHDR_INQUEUE) && (p.Header(1)->dwFlags & MHDR_INQUEUE);
      }));
      int n = std::min(frames, chunk);
      RenderStereo(mixer_, n);
      frames -= n;
    }
  }
  std::vector<uint64_t> NoteOns(uint64_t since) const {
    std::vector<uint64_t> out;
    for (uint64_t c : synth_.ClocksOf("90 ")) out.push_back(c - since);
    return out;
  }

  CoreTestEnv env_{true};
  ScopedChdir cd_{env_.dir().path()};
  FakeSynth synth_;
  AudioMixer* mixer_ = nullptr;
  MIDIHDR hdr_{};
  char buffer_[cMidiPlayer::BUFFER_SIZE] = {};
};

TEST_F(MidiPlayer, FillBufferWritesOneRecordPerEventAndFlagsOnlyTheLast) {
  auto p = Player(MidiBuilder()
                      .Note(0, 0x3C)
                      .Ev(10, "\xC5\x07")
                      .Tempo(0, 500000)
                      .SysEx(5, std::string("\x7E\x7F\x09\x01\xF7", 5))  // 6 message bytes: padded to 8
                      .Text(7, "abc")                                      // no record: 7 ticks go on
                      .Ev(3, std::string("\x80\x3C\x00", 3))
                      .File());
  ASSERT_NE(p->Image(), nullptr);
  EXPECT_EQ(Fill(*p, MIDI_IMAGE_HEADER), p->ImageSize() - MIDI_IMAGE_HEADER);
  EXPECT_EQ(hdr_.dwBytesRecorded, 12u * 5 + 20);
  std::vector<Record> r = Records(hdr_);
  ASSERT_EQ(r.size(), 6u);
  const Record expected[] = {
      {0, 0x00403C90, ""},
      {10, 0x000007C5, ""},
      {0, 0x0107A120, ""},
      {5, 0x80000006, "F0 7E 7F 09 01 F7 00 00"},
      {10, 0x00003C80, ""},
      {0, 0x40002FFF, ""},
  };
  for (size_t i = 0; i < r.size(); ++i) {
    EXPECT_EQ(r[i].delta, expected[i].delta) << i;
    EXPECT_EQ(r[i].event, expected[i].event) << i;
    EXPECT_EQ(r[i].params, expected[i].params) << i;
  }
}

TEST_F(MidiPlayer, FillBufferAtItsLimit) {
  // 2000 short records fill a buffer exactly.
  {
    MidiBuilder b;
    for (int i = 0; i < 2001; ++i) b.Note(1, 0x30 + i % 40);
    auto p = Player(b.File());
    DWORD used = Fill(*p, MIDI_IMAGE_HEADER);
    EXPECT_EQ(used, 2000u * 4);
    std::vector<Record> r = Records(hdr_);
    ASSERT_EQ(r.size(), 2000u);
    EXPECT_EQ(r[1998].event & MEVT_F_CALLBACK, 0u);
    EXPECT_EQ(r[1999].event, MEVT_F_CALLBACK | 0x00405790u) << "key 0x30 + 1999 % 40";
    Fill(*p, MIDI_IMAGE_HEADER + used);
    r = Records(hdr_);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].event, 0x00403090u);
    EXPECT_EQ(r[1].event, 0x40002FFFu);
  }
  // A text event read after the last record that fits keeps its ticks for the next buffer.
  {
    MidiBuilder b;
    for (int i = 0; i < 1999; ++i) b.Note(1, 0x40);
    b.Text(7, "t").SysEx(4, std::string(30, '\x01') + "\xF7").Note(3, 0x41);
    auto p = Player(b.File());
    DWORD used = Fill(*p, MIDI_IMAGE_HEADER);
    EXPECT_EQ(hdr_.dwBytesRecorded, 1999u * 12);
    EXPECT_NE(Records(hdr_).back().event & MEVT_F_CALLBACK, 0u);
    Fill(*p, MIDI_IMAGE_HEADER + used);
    std::vector<Record> r = Records(hdr_);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].delta, 11u) << "the text's 7 ticks and the sysex's own 4";
    EXPECT_EQ(r[1].delta, 3u);
  }
  // A system-exclusive message no buffer can hold is skipped, with its ticks passed on.
  {
    auto p = Player(MidiBuilder().Note(0, 0x40).SysEx(4, std::string(24000, '\x01') + "\xF7").Note(6, 0x41).File());
    EXPECT_EQ(Fill(*p, MIDI_IMAGE_HEADER), p->ImageSize() - MIDI_IMAGE_HEADER);
    std::vector<Record> r = Records(hdr_);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[1].delta, 10u);
    EXPECT_EQ(r[1].event, 0x00404190u);
    EXPECT_NE(env_.ReportText().find("Midi song.mid SysEx 24002 bytes skipped"), std::string::npos) << env_.ReportText();
  }
}

TEST_F(MidiPlayer, NotesSoundAtTheirTicksAndTheLoopStartsAgainAtTickZero) {
  // 120 ticks a quarter note at 500000 us: 22050 frames a quarter.
  auto p = Player(MidiBuilder(120).Note(0, 60).Note(120, 62).Note(120, 64).File(120));
  ASSERT_NE(p->Image(), nullptr);
  EXPECT_EQ(p->GetState(), cMidiPlayer::STATE_STOPPED);
  p->Restart(1);
  EXPECT_EQ(p->GetState(), cMidiPlayer::STATE_PLAYING);
  EXPECT_EQ(p->Header(1)->dwFlags, 0u) << "the piece fits in one buffer: nothing more queued";
  const uint64_t start = mixer_->SampleClock();
  Render(*p, 3 * 22050 + 100);
  EXPECT_EQ(NoteOns(start), (std::vector<uint64_t>{0, 22050, 44100}));

  // The end record's callback rewinds and restarts: wait for it, then the piece plays again
  // from its first tick.
  ASSERT_TRUE(WaitUntil([&] { return !synth_.ClocksOf("notes off").empty(); }));
  EXPECT_EQ(p->GetState(), cMidiPlayer::STATE_PLAYING);
  synth_.Clear();
  const uint64_t again = mixer_->SampleClock();
  Render(*p, 2 * 22050 + 100);
  EXPECT_EQ(NoteOns(again), (std::vector<uint64_t>{0, 22050, 44100}));
}

TEST_F(MidiPlayer, WithoutLoopingThePieceStopsRewound) {
  auto p = Player(MidiBuilder(120).Note(0, 60).File(120));
  p->Restart(0);
  Render(*p, 22050 + 100);
  ASSERT_TRUE(WaitUntil([&] { return !synth_.ClocksOf("notes off").empty(); }));
  EXPECT_EQ(p->GetState(), cMidiPlayer::STATE_STOPPED);
  synth_.Clear();
  Render(*p, 30000);
  EXPECT_TRUE(NoteOns(0).empty());
  p->Restart(0);  // the first buffer was queued again
  const uint64_t start = mixer_->SampleClock();
  Render(*p, 100);
  EXPECT_EQ(NoteOns(start), (std::vector<uint64_t>{0}));
}

TEST_F(MidiPlayer, LongPiecesAreRefilledWithoutAnyEventEarly) {
  // 5000 notes a tick apart need three buffers; a text event with ticks of its own sits just
  // where the first buffer is full.
  MidiBuilder b(96);
  std::vector<DWORD> ticks;
  DWORD tick = 0;
  for (int i = 0; i < 5000; ++i) {
    DWORD delta = 1;
    if (i == 2000) {
      b.Text(5, "boundary");
      tick += 5;
    }
    tick += delta;
    b.Note(delta, 0x30 + i % 40);
    ticks.push_back(tick);
  }
  auto p = Player(b.File());
  p->Restart(0);
  const uint64_t start = mixer_->SampleClock();
  // One tick is 229.6875 frames; an event is never early, so it falls on the next frame.
  const auto frameOf = [](DWORD t) { return (static_cast<uint64_t>(t) * 2296875 + 9999) / 10000; };
  Render(*p, static_cast<int>(frameOf(tick)) + 10);
  std::vector<uint64_t> got = NoteOns(start);
  ASSERT_EQ(got.size(), ticks.size());
  for (size_t i = 0; i < ticks.size(); ++i) {
    ASSERT_EQ(got[i], frameOf(ticks[i])) << "note " << i;
  }
}

TEST_F(MidiPlayer, PauseHoldsThePlaceAndRestartResumesWithoutQueueing) {
  auto p = Player(MidiBuilder(120).Note(0, 60).Note(120, 62).Note(120, 64).File(120));
  p->Restart(0);
  const uint64_t start = mixer_->SampleClock();
  Render(*p, 30000);
  p->Stop(1);
  EXPECT_EQ(p->GetState(), cMidiPlayer::STATE_PAUSED);
  p->Stop(1);  // paused already: nothing
  const DWORD pos = p->GetReadPos();
  Render(*p, 40000);
  p->Restart(0);
  EXPECT_EQ(p->GetState(), cMidiPlayer::STATE_PLAYING);
  EXPECT_EQ(p->GetReadPos(), pos);
  EXPECT_EQ(p->Header(1)->dwFlags, 0u);
  Render(*p, 20000);
  EXPECT_EQ(NoteOns(start), (std::vector<uint64_t>{0, 22050, 44100 + 40000}));
}

TEST_F(MidiPlayer, AFileThatDoesNotConvertOpensNothing) {
  auto p = Player("RIFF not a MIDI file");
  EXPECT_EQ(p->Image(), nullptr);
  p->Restart(1);
  p->Stop(0);
  p->Out();
  EXPECT_EQ(p->GetState(), cMidiPlayer::STATE_STOPPED);
  EXPECT_TRUE(synth_.Events().empty()) << "no stream was opened";
  p.reset();
  // The stream is free for the next player.
  auto q = Player(MidiBuilder().Note(0, 60).File());
  EXPECT_EQ(env_.ReportText().find("Open"), std::string::npos) << env_.ReportText();
}

TEST_F(MidiPlayer, PlayersComeAndGoWhileTheOutputRuns) {
  // The output renders on a thread of its own as a device would, while players are made,
  // played, stopped and deleted; each deletion joins its callback thread first.
  std::atomic<bool> stop{false};
  TestThread output([&] {
    while (!stop) RenderStereo(mixer_, 256);
  });
  MidiBuilder b(24);
  for (int i = 0; i < 3000; ++i) b.Note(0, 60).Ev(1, std::string("\x80\x3C\x00", 3));
  const std::string file = b.File();
  for (int i = 0; i < 20; ++i) {
    auto p = Player(file);
    p->Restart(i % 2);
    if (i % 3 == 0) p->Stop(1);
    if (i % 4 == 0) p->Stop(0);
  }
  stop = true;
  EXPECT_TRUE(output.Join());
  EXPECT_EQ(env_.ReportText().find("Midi song.mid"), std::string::npos) << env_.ReportText();
}

// The installed soundfont through FluidSynth: silence before the first note, sound after it.
// The synthesizer lives on from piece to piece, so an earlier piece's reverb fades out first.
TEST(MidiPlayerSynth, TheGeneralMidiSynthSoundsFromTheNote) {
  CoreTestEnv env;
  ScopedChdir cd(env.dir().path());
  SetAudioOutputManual(true);
  AudioMixer* mixer = AcquireAudioOutput();
  if (!OpenMidiSynth(mixer->Rate())) {
    ReleaseAudioOutput();
    SetAudioOutputManual(false);
    GTEST_SKIP() << "no General MIDI soundfont installed";
  }
  WriteFileBytes(env.dir() / "song.mid", MidiBuilder(120).Note(480, 60).File(240));
  {
    cMidiPlayer p("song.mid");
    p.Restart(0);
    RenderLeft(mixer, 3 * 22050);
    std::vector<float> before = RenderLeft(mixer, 22050);
    std::vector<float> after = RenderLeft(mixer, 22050);
    float quiet = 0, loud = 0;
    for (float s : before) quiet = std::max(quiet, std::fabs(s));
    for (float s : after) loud = std::max(loud, std::fabs(s));
    EXPECT_LT(quiet, 1e-4f);
    EXPECT_GT(loud, 0.01f);
  }
  ReleaseAudioOutput();
  SetAudioOutputManual(false);
}

TEST(MidiPlayerSynth, ASoundfontThatDoesNotLoadLeavesMusicSilentAndSaysWhy) {
  CoreTestEnv env;
  ScopedChdir cd(env.dir().path());
  RouteAudioReportToLog();
  SetAudioOutputManual(true);
  AudioMixer* mixer = AcquireAudioOutput();
  WriteFileBytes(env.dir() / "junk.sf2", "not a soundfont");
  const std::string junk = env.dir() / "junk.sf2";
  setenv("TW_SOUNDFONT", junk.c_str(), 1);
  WriteFileBytes(env.dir() / "song.mid", MidiBuilder(120).Note(0, 60).File(120));
  {
    cMidiPlayer p("song.mid");
    p.Restart(0);
    float loud = 0;
    for (float v : RenderLeft(mixer, 30000)) loud = std::max(loud, std::fabs(v));
    EXPECT_EQ(loud, 0.0f);
    // Silent, but it plays: the end of the piece comes and rewinds it.
    EXPECT_TRUE(WaitUntil([&] { return p.GetState() == cMidiPlayer::STATE_STOPPED; }));
  }
  { cMidiPlayer again("song.mid"); }
  const std::string line = "Midi : the soundfont " + junk + " cannot be loaded, music is silent\n";
  std::string report = env.ReportText();
  ASSERT_NE(report.find(line), std::string::npos) << report;
  EXPECT_EQ(report.find(line), report.rfind(line)) << "said once";

  setenv("TW_SOUNDFONT", (env.dir() / "missing.sf2").c_str(), 1);
  { cMidiPlayer p("song.mid"); }
  EXPECT_NE(env.ReportText().find("Midi : TW_SOUNDFONT names no file (" + env.dir() / "missing.sf2" + ")"),
            std::string::npos);
  unsetenv("TW_SOUNDFONT");
  ReleaseAudioOutput();
  SetAudioOutputManual(false);
}

}  // namespace
