#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/message.h"
#include "platform/mixer.h"
#include "platform/thread.h"
#include "platform/winmm.h"
#include "support/fake_synth.h"
#include "support/render.h"
#include "support/test_thread.h"

namespace {

// A buffer of MIDIEVENT records, built one record at a time.
class Records {
 public:
  Records& Short(DWORD delta, DWORD msg, DWORD flags = 0) { return Word(delta).Word(0).Word(msg | flags); }
  Records& Tempo(DWORD delta, DWORD usPerQuarter) {
    return Word(delta).Word(0).Word((static_cast<DWORD>(MEVT_TEMPO) << 24) | usPerQuarter);
  }
  Records& Long(DWORD delta, const std::vector<BYTE>& bytes, DWORD flags = 0) {
    Word(delta).Word(0).Word(MEVT_F_LONG | flags | static_cast<DWORD>(bytes.size()));
    std::vector<BYTE> padded = bytes;
    padded.resize((bytes.size() + 3) & ~size_t{3});
    for (size_t i = 0; i < padded.size(); i += 4) {
      DWORD w;
      std::memcpy(&w, &padded[i], 4);
      Word(w);
    }
    return *this;
  }
  Records& Word(DWORD w) {
    words_.push_back(w);
    return *this;
  }
  DWORD Bytes() const { return static_cast<DWORD>(words_.size() * 4); }
  // Fills the header (prepared) with these records.
  void Into(MIDIHDR* h, std::vector<char>* storage) const {
    storage->assign(words_.size() * 4 + 64, 0);
    std::memcpy(storage->data(), words_.data(), words_.size() * 4);
    *h = MIDIHDR{};
    h->lpData = storage->data();
    h->dwBufferLength = static_cast<DWORD>(storage->size());
    h->dwBytesRecorded = Bytes();
  }

 private:
  std::vector<DWORD> words_;
};

struct Notice {
  UINT msg;
  LPARAM lParam;
  DWORD flagsThen;  // the header's flags when the notice is looked at
};

// One stream on the manually rendered output, notifying the test's own thread.
class MidiStream : public ::testing::Test {
 protected:
  void SetUp() override {
    DiscardMessages();
    SetAudioOutputManual(true);
    mixer_ = AcquireAudioOutput();
    UINT device = MIDI_MAPPER;
    ASSERT_EQ(midiStreamOpen(&h_, &device, 1, GetCurrentThreadId(), 0, CALLBACK_THREAD), MMSYSERR_NOERROR);
  }
  void TearDown() override {
    if (h_) {
      EXPECT_EQ(midiOutReset(Out()), MMSYSERR_NOERROR);
      EXPECT_EQ(midiStreamClose(h_), MMSYSERR_NOERROR);
    }
    ReleaseAudioOutput();
    SetAudioOutputManual(false);
    DiscardMessages();
  }

  HMIDIOUT Out() const { return reinterpret_cast<HMIDIOUT>(h_); }
  void SetDivision(DWORD div) {
    MIDIPROPTIMEDIV p{sizeof p, div};
    ASSERT_EQ(midiStreamProperty(h_, reinterpret_cast<BYTE*>(&p), MIDIPROP_SET | MIDIPROP_TIMEDIV), MMSYSERR_NOERROR);
  }
  // Prepares and queues the records in header i.
  void Queue(int i, const Records& r) {
    r.Into(&hdr_[i], &data_[i]);
    ASSERT_EQ(midiOutPrepareHeader(Out(), &hdr_[i], sizeof(MIDIHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(midiStreamOut(h_, &hdr_[i], sizeof(MIDIHDR)), MMSYSERR_NOERROR);
  }
  // Renders in pieces of `chunk` frames.
  void Render(int frames, int chunk = 512) {
    while (frames > 0) {
      int n = std::min(frames, chunk);
      RenderStereo(mixer_, n);
      frames -= n;
    }
  }
  // Queues the records in header 0, runs the stream and renders `frames` frames: the clocks of
  // the synthesizer's messages, counted from the start.
  std::vector<uint64_t> PlayedClocks(const Records& r, int frames) {
    std::vector<uint64_t> clocks;
    Queue(0, r);
    EXPECT_EQ(midiStreamRestart(h_), MMSYSERR_NOERROR);
    const uint64_t start = mixer_->SampleClock();
    Render(frames);
    for (const auto& e : synth_.Messages()) clocks.push_back(e.clock - start);
    return clocks;
  }
  // The notices posted to this thread so far, each with its header's flags at this moment.
  std::vector<Notice> Notices() {
    std::vector<Notice> out;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      DWORD flags = m.lParam ? reinterpret_cast<MIDIHDR*>(m.lParam)->dwFlags : 0;
      out.push_back({m.message, m.lParam, flags});
    }
    return out;
  }

  FakeSynth synth_;
  AudioMixer* mixer_ = nullptr;
  HMIDISTRM h_ = nullptr;
  MIDIHDR hdr_[2] = {};
  std::vector<char> data_[2];
};

TEST_F(MidiStream, OpenTakesTheOneStreamAndChecksEveryCall) {
  std::vector<Notice> opened = Notices();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].msg, MM_MOM_OPEN);
  EXPECT_EQ(synth_.ClocksOf("system reset").size(), 1u);

  HMIDISTRM second = nullptr;
  UINT device = MIDI_MAPPER;
  EXPECT_EQ(midiStreamOpen(&second, &device, 1, 0, 0, CALLBACK_NULL), MMSYSERR_ALLOCATED);
  device = 3;
  EXPECT_EQ(midiStreamOpen(&second, &device, 1, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);

  MIDIPROPTIMEDIV p{sizeof p, 0};
  ASSERT_EQ(midiStreamProperty(h_, reinterpret_cast<BYTE*>(&p), MIDIPROP_GET | MIDIPROP_TIMEDIV), MMSYSERR_NOERROR);
  EXPECT_EQ(p.dwTimeDiv, 96u);
  SetDivision(480);
  ASSERT_EQ(midiStreamProperty(h_, reinterpret_cast<BYTE*>(&p), MIDIPROP_GET | MIDIPROP_TIMEDIV), MMSYSERR_NOERROR);
  EXPECT_EQ(p.dwTimeDiv, 480u);

  // Buffers: what a queue accepts.
  Records r;
  r.Short(0, 0x403C90);
  std::vector<char> storage;
  MIDIHDR h;
  const struct {
    const char* name;
    DWORD bytes;
    bool prepare;
    MMRESULT expected;
  } cases[] = {
      {"not prepared", 12, false, MIDIERR_UNPREPARED},
      {"not a multiple of 4", 10, true, MMSYSERR_INVALPARAM},
      {"longer than the buffer", 1000, true, MMSYSERR_INVALPARAM},
      {"whole records", 12, true, MMSYSERR_NOERROR},
  };
  for (const auto& c : cases) {
    r.Into(&h, &storage);
    h.dwBytesRecorded = c.bytes;
    if (c.prepare) {
      ASSERT_EQ(midiOutPrepareHeader(Out(), &h, sizeof h), MMSYSERR_NOERROR);
    }
    EXPECT_EQ(midiStreamOut(h_, &h, sizeof h), c.expected) << c.name;
  }
  EXPECT_EQ(h.dwFlags & (MHDR_INQUEUE | MHDR_PREPARED | MHDR_DONE), MHDR_INQUEUE | MHDR_PREPARED);
  EXPECT_EQ(midiStreamOut(h_, &h, sizeof h), MIDIERR_STILLPLAYING);
  EXPECT_EQ(midiOutUnprepareHeader(Out(), &h, sizeof h), MIDIERR_STILLPLAYING);
  EXPECT_EQ(midiOutPrepareHeader(Out(), &h, sizeof h), MMSYSERR_NOERROR);  // again: allowed

  ASSERT_EQ(midiStreamStop(h_), MMSYSERR_NOERROR);
  EXPECT_EQ(h.dwFlags & (MHDR_INQUEUE | MHDR_DONE), MHDR_DONE);
  EXPECT_EQ(midiOutUnprepareHeader(Out(), &h, sizeof h), MMSYSERR_NOERROR);
  EXPECT_EQ(h.dwFlags & MHDR_PREPARED, 0u);

  ASSERT_EQ(midiStreamClose(h_), MMSYSERR_NOERROR);
  HMIDISTRM closed = h_;
  h_ = nullptr;
  EXPECT_EQ(midiStreamRestart(closed), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(midiOutShortMsg(reinterpret_cast<HMIDIOUT>(closed), 0x403C90), MMSYSERR_INVALHANDLE);
  std::vector<Notice> rest = Notices();
  ASSERT_FALSE(rest.empty());
  EXPECT_EQ(rest.back().msg, MM_MOM_CLOSE);
}

TEST_F(MidiStream, EventsFallOnTheSampleOfTheirTickAcrossBuffersAndTempoChanges) {
  // 96 ticks a quarter note at 500000 us: one tick is 229.6875 frames at 44100 Hz.
  Records a, b;
  a.Short(0, 0x7F3C90)             // tick 0
      .Short(96, 0x003C80)         // tick 96: 22050 frames
      .Short(1, 0x05C0)            // tick 97: 22279.6875 -> 22280
      .Tempo(0, 250000)            // twice as fast from here
      .Long(1, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});  // tick 98: 22394.53125 -> 22395
  b.Short(96, 0x403E90)           // a second buffer goes on from the first: 22394.53125 + 11025
      .Long(0, {0xF7, 0x01})       // an escape: not sent
      .Short(0, 0x00002FFF);       // a system message: never sent
  Queue(0, a);
  Queue(1, b);
  Render(1000);
  EXPECT_TRUE(synth_.Messages().empty()) << "a new stream is paused";
  ASSERT_EQ(midiStreamRestart(h_), MMSYSERR_NOERROR);
  const uint64_t start = mixer_->SampleClock();
  Render(40000, 700);
  std::vector<FakeSynth::Event> got;
  for (const auto& e : synth_.Events()) {
    if (e.what != "system reset") got.push_back(e);
  }
  const std::vector<std::pair<uint64_t, std::string>> expected = {
      {0, "90 3C 7F"},
      {22050, "80 3C 00"},
      {22280, "C0 05"},
      {22395, "sysex F0 7E 7F 09 01 F7"},
      {22395 + 11025, "90 3E 40"},
  };
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].clock - start, expected[i].first) << got[i].what;
    EXPECT_EQ(got[i].what, expected[i].second);
  }
}

TEST_F(MidiStream, SmpteDivisionCountsFramesOfTheSecond) {
  SetDivision(0xE728);  // 25 frames of 40 ticks: 1000 ticks a second
  Records r;
  r.Short(1000, 0x403C90).Tempo(0, 100000).Short(500, 0x003C80);  // the tempo has no say
  EXPECT_EQ(PlayedClocks(r, 70000), (std::vector<uint64_t>{44100, 44100 + 22050}));
}

// -29 in the high byte is 29.97 frames a second, not 30: with 100 ticks a frame, 2997 ticks
// are one second (44100 output frames; 30 would give 44055.9, played at 44056), and 999 more a
// third of a second (14700).
TEST_F(MidiStream, SmpteMinus29Counts2997FramesIn100Seconds) {
  SetDivision(0xE364);
  Records r;
  r.Short(2997, 0x403C90).Short(999, 0x003C80);
  EXPECT_EQ(PlayedClocks(r, 60000), (std::vector<uint64_t>{44100, 44100 + 14700}));
}

// A division of 0 (as a damaged file may hold) would make every tick last forever: it is
// refused and the stream keeps its division, here 480 ticks a quarter note, so that at 500000
// microseconds a quarter note 480 ticks are half a second.
TEST_F(MidiStream, DivisionZeroIsRefusedAndTheDivisionStays) {
  SetDivision(480);
  MIDIPROPTIMEDIV p{sizeof p, 0};
  EXPECT_EQ(midiStreamProperty(h_, reinterpret_cast<BYTE*>(&p), MIDIPROP_SET | MIDIPROP_TIMEDIV),
            MMSYSERR_INVALPARAM);
  ASSERT_EQ(midiStreamProperty(h_, reinterpret_cast<BYTE*>(&p), MIDIPROP_GET | MIDIPROP_TIMEDIV), MMSYSERR_NOERROR);
  EXPECT_EQ(p.dwTimeDiv, 480u);
  Records r;
  r.Short(480, 0x403C90).Short(240, 0x003C80);
  EXPECT_EQ(PlayedClocks(r, 40000), (std::vector<uint64_t>{22050, 22050 + 11025}));
}

TEST_F(MidiStream, CallbacksTellTheEventAndReturnTheLastBufferFirst) {
  Records r;
  r.Short(0, 0x403C90).Short(10, 0x003C80, MEVT_F_CALLBACK).Short(10, 0x403E90, MEVT_F_CALLBACK);
  Queue(0, r);
  ASSERT_EQ(midiStreamRestart(h_), MMSYSERR_NOERROR);
  Notices();  // the open notice
  Render(10 * 230 + 10, 1);  // just past the middle event
  std::vector<Notice> n = Notices();
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].msg, MM_MOM_POSITIONCB);
  EXPECT_EQ(n[0].lParam, reinterpret_cast<LPARAM>(&hdr_[0]));
  EXPECT_EQ(hdr_[0].dwOffset, 12u);
  EXPECT_EQ(n[0].flagsThen & (MHDR_INQUEUE | MHDR_DONE), MHDR_INQUEUE);

  Render(3000);
  n = Notices();
  ASSERT_EQ(n.size(), 2u);
  EXPECT_EQ(n[0].msg, MM_MOM_POSITIONCB);
  EXPECT_EQ(hdr_[0].dwOffset, 24u);
  EXPECT_EQ(n[1].msg, MM_MOM_DONE);
  EXPECT_EQ(hdr_[0].dwFlags & (MHDR_INQUEUE | MHDR_DONE), MHDR_DONE);
}

TEST_F(MidiStream, PauseHoldsThePositionAndStopRewindsToTheStart) {
  Records r;
  r.Tempo(0, 1000000).Short(96, 0x403C90).Short(96, 0x403E90);  // 44100 frames apart
  Queue(0, r);
  ASSERT_EQ(midiStreamRestart(h_), MMSYSERR_NOERROR);
  const uint64_t start = mixer_->SampleClock();
  Render(30000);
  ASSERT_EQ(midiStreamPause(h_), MMSYSERR_NOERROR);
  Render(50000);
  ASSERT_EQ(midiStreamRestart(h_), MMSYSERR_NOERROR);
  Render(70000);
  std::vector<uint64_t> notes;
  for (const auto& e : synth_.Messages()) notes.push_back(e.clock - start);
  // Held for 50000 frames.
  EXPECT_EQ(notes, (std::vector<uint64_t>{44100 + 50000, 88200 + 50000}));
  ASSERT_EQ(synth_.ClocksOf("notes off").size(), 1u);
  EXPECT_EQ(synth_.ClocksOf("notes off")[0] - start, 30000u);

  // Stop in the middle of a buffer: it comes back done, and the same records played again
  // keep their first timing (the start tempo, position 0).
  Records again;
  again.Short(96, 0x403C90).Short(96, 0x403E90);  // 22050 frames apart at the start tempo
  Queue(1, again);
  Render(1000);
  Notices();
  ASSERT_EQ(midiStreamStop(h_), MMSYSERR_NOERROR);
  std::vector<Notice> n = Notices();
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].msg, MM_MOM_DONE);
  EXPECT_EQ(hdr_[1].dwFlags & (MHDR_INQUEUE | MHDR_DONE), MHDR_DONE);
  synth_.Clear();
  Queue(1, again);
  Render(5000);
  EXPECT_TRUE(synth_.Messages().empty()) << "stopped means paused";
  ASSERT_EQ(midiStreamRestart(h_), MMSYSERR_NOERROR);
  const uint64_t restart = mixer_->SampleClock();
  Render(50000);
  notes.clear();
  for (const auto& e : synth_.Messages()) notes.push_back(e.clock - restart);
  EXPECT_EQ(notes, (std::vector<uint64_t>{22050, 44100}));

  ASSERT_EQ(midiOutReset(Out()), MMSYSERR_NOERROR);
  EXPECT_EQ(synth_.ClocksOf("reset").size(), 1u);
}

TEST_F(MidiStream, ShortMessagesGoOutAtOnceExceptSystemMessages) {
  Render(100);
  EXPECT_EQ(midiOutShortMsg(Out(), 0x7F3C91), MMSYSERR_NOERROR);
  EXPECT_EQ(midiOutShortMsg(Out(), 0xFF), MMSYSERR_NOERROR);
  std::vector<FakeSynth::Event> m = synth_.Messages();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].what, "91 3C 7F");
  EXPECT_EQ(m[0].clock, mixer_->SampleClock());
}

TEST(MciErrorString, KnownAndUnknownCodes) {
  char text[256];
  EXPECT_TRUE(mciGetErrorStringA(MMSYSERR_ALLOCATED, text, sizeof text));
  EXPECT_STREQ(text, "The specified device is already in use.");
  EXPECT_FALSE(mciGetErrorStringA(12345, text, sizeof text));
  EXPECT_STREQ(text, "Unknown error 12345.");
}

}  // namespace
