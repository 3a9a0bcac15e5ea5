// The sample game's sound effects (synthesised into 8-bit PCM WAV files) and music (Standard
// MIDI Files, and one piece rendered and encoded as Ogg Vorbis).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "fixture/bmp8.h"
#include "fixture/ogg_encode.h"
#include "sample_game.h"

namespace sample {

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

// ---- Files --------------------------------------------------------------------------------

void Le(std::string& b, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void Be(std::string& b, uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// An 8-bit mono PCM WAV file of samples in -1..1.
std::string Wav8(const std::vector<double>& samples) {
  std::string data;
  for (double s : samples) {
    const double c = s < -1 ? -1 : (s > 1 ? 1 : s);
    data.push_back(static_cast<char>(static_cast<uint8_t>(std::lround(128 + c * 127))));
  }
  if (data.size() % 2) data.push_back(static_cast<char>(128));
  std::string b = "RIFF";
  Le(b, static_cast<uint32_t>(4 + 8 + 16 + 8 + data.size()), 4);
  b += "WAVEfmt ";
  Le(b, 16, 4);
  Le(b, 1, 2);      // PCM
  Le(b, 1, 2);      // mono
  Le(b, kRate, 4);  // frames per second
  Le(b, kRate, 4);  // bytes per second
  Le(b, 1, 2);      // block align
  Le(b, 8, 2);      // bits
  b += "data";
  Le(b, static_cast<uint32_t>(data.size()), 4);
  return b + data;
}

bool Write(const std::string& root, const std::string& rel, const std::string& bytes, std::string* failed) {
  const std::filesystem::path path = std::filesystem::path(root) / rel;
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  if (fixture::WriteFileBytes(path.string(), bytes)) return true;
  if (failed) *failed = path.string();
  return false;
}

// ---- Sound effects ------------------------------------------------------------------------

// A tone sliding from f0 to f1 Hz over the length, square (duty 0.5) or sine, with a linear
// fade-out; noise adds a share of white noise from a fixed generator.
std::vector<double> Tone(double seconds, double f0, double f1, bool square, double noise = 0, double volume = 0.6) {
  const int n = static_cast<int>(seconds * kRate);
  std::vector<double> s(static_cast<size_t>(n));
  double phase = 0;
  uint32_t rnd = 22222;
  for (int i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / n;
    phase += (f0 + (f1 - f0) * t) / kRate;
    phase -= std::floor(phase);
    double v = square ? (phase < 0.5 ? 1.0 : -1.0) : std::sin(2 * kPi * phase);
    rnd = rnd * 1664525u + 1013904223u;
    const double white = static_cast<double>(rnd >> 8) / static_cast<double>(1u << 24) * 2 - 1;
    v = v * (1 - noise) + white * noise;
    s[static_cast<size_t>(i)] = v * volume * (1 - t);
  }
  return s;
}

std::vector<double> Join(std::initializer_list<std::vector<double>> parts) {
  std::vector<double> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A short arpeggio of notes (Hz), each `step` seconds.
std::vector<double> Arpeggio(std::initializer_list<double> notes, double step, bool square) {
  std::vector<double> out;
  for (double f : notes) {
    const auto t = Tone(step, f, f, square, 0, 0.5);
    out.insert(out.end(), t.begin(), t.end());
  }
  return out;
}

// ---- Music --------------------------------------------------------------------------------

constexpr int kTicks = 96;  // ticks per quarter note

struct Note {
  int start;  // ticks
  int length;
  int pitch;  // MIDI note number
  int velocity;
  int channel;
};

struct Song {
  int tempo;        // quarter notes per minute
  int programs[3];  // General MIDI programs of channels 0, 1, 2
  std::vector<Note> notes;
  int length = 0;  // ticks
};

// Appends a line of notes to a channel: tokens "C5:2" (pitch with octave, length in eighth
// notes), "C#4:1", "r:4" (a rest). Returns the tick after the last token.
int Line(Song& song, int channel, int start, const std::string& text, int velocity = 96) {
  std::istringstream in(text);
  std::string token;
  int t = start;
  while (in >> token) {
    const size_t colon = token.find(':');
    const int eighths = std::stoi(token.substr(colon + 1));
    const int len = eighths * kTicks / 2;
    const std::string name = token.substr(0, colon);
    if (name != "r") {
      static const int kStep[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
      int pitch = kStep[name[0] - 'A'];
      size_t i = 1;
      if (name[i] == '#') {
        ++pitch;
        ++i;
      } else if (name[i] == 'b') {
        --pitch;
        ++i;
      }
      pitch += (std::stoi(name.substr(i)) + 1) * 12;
      song.notes.push_back({t, len * 7 / 8, pitch, velocity, channel});
    }
    t += len;
  }
  song.length = std::max(song.length, t);
  return t;
}

// A bass of whole-bar roots, each root played as four quarter notes.
void Bass(Song& song, const std::string& roots, int bars = 1) {
  std::istringstream in(roots);
  std::string root;
  std::string line;
  while (in >> root)
    for (int b = 0; b < bars; ++b) line += root + ":2 " + root + ":2 " + root + ":2 " + root + ":2 ";
  Line(song, 1, 0, line, 80);
}

void Drums(Song& song, int bars) {
  for (int b = 0; b < bars; ++b)
    for (int q = 0; q < 4; ++q) {
      const int t = (b * 4 + q) * kTicks;
      song.notes.push_back({t, kTicks / 4, q % 2 ? 38 : 36, 90, 9});
      song.notes.push_back({t + kTicks / 2, kTicks / 4, 42, 60, 9});
    }
}

void VarLen(std::string& b, uint32_t v) {
  uint8_t bytes[5];
  int n = 0;
  do {
    bytes[n++] = static_cast<uint8_t>(v & 0x7F);
    v >>= 7;
  } while (v);
  for (int i = n - 1; i >= 0; --i) b.push_back(static_cast<char>(bytes[i] | (i ? 0x80 : 0)));
}

// A format-0 Standard MIDI File of the song.
std::string Smf(const Song& song) {
  struct Event {
    int tick;
    int order;  // note-offs before note-ons at the same tick
    std::string bytes;
  };
  std::vector<Event> events;
  for (int ch = 0; ch < 3; ++ch)
    events.push_back({0, 0, {static_cast<char>(0xC0 | ch), static_cast<char>(song.programs[ch])}});
  for (const Note& n : song.notes) {
    const char on = static_cast<char>(0x90 | n.channel), off = static_cast<char>(0x80 | n.channel);
    events.push_back({n.start, 2, {on, static_cast<char>(n.pitch), static_cast<char>(n.velocity)}});
    events.push_back({n.start + n.length, 1, {off, static_cast<char>(n.pitch), 0}});
  }
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  });
  std::string track;
  // Tempo: microseconds per quarter note.
  VarLen(track, 0);
  track += "\xFF\x51\x03";
  Be(track, static_cast<uint32_t>(60000000 / song.tempo), 3);
  int last = 0;
  for (const Event& e : events) {
    VarLen(track, static_cast<uint32_t>(e.tick - last));
    track += e.bytes;
    last = e.tick;
  }
  VarLen(track, static_cast<uint32_t>(std::max(0, song.length - last)));
  track += std::string("\xFF\x2F\x00", 3);
  std::string b = "MThd";
  Be(b, 6, 4);
  Be(b, 0, 2);
  Be(b, 1, 2);
  Be(b, kTicks, 2);
  b += "MTrk";
  Be(b, static_cast<uint32_t>(track.size()), 4);
  return b + track;
}

Song TitleSong() {
  Song s{120, {80, 38, 0}, {}};
  Line(s, 0, 0,
       "C5:2 E5:2 G5:2 C6:2 B5:2 G5:2 E5:4 F5:2 A5:2 C6:2 A5:2 G5:6 r:2 "
       "E5:2 G5:2 C6:2 E6:2 D6:2 B5:2 G5:4 A5:2 F5:2 D5:2 B4:2 C5:6 r:2");
  Bass(s, "C3 F3 C3 G3 C3 G3 F3 C3");
  Drums(s, 8);
  return s;
}

Song FieldSong() {
  Song s{140, {73, 33, 0}, {}};
  Line(s, 0, 0,
       "G4:2 C5:2 E5:3 D5:1 C5:2 E5:2 G5:4 A5:2 G5:2 E5:2 C5:2 D5:6 r:2 "
       "G4:2 C5:2 E5:3 D5:1 C5:2 E5:2 G5:4 A5:2 B5:2 C6:2 G5:2 C5:6 r:2");
  Bass(s, "C3 C3 F3 G3 C3 C3 F3 C3");
  Drums(s, 8);
  return s;
}

Song CaveSong() {
  Song s{100, {11, 32, 0}, {}};
  Line(s, 0, 0, "A4:3 C5:1 E5:4 D5:2 C5:2 B4:4 A4:3 C5:1 E5:2 G5:2 F5:4 E5:4 D5:3 C5:1 B4:4 A4:8 r:8");
  Bass(s, "A2 A2 D3 E3 A2 D3 E3 A2");
  return s;
}

Song SkySong() {
  Song s{128, {9, 33, 0}, {}};
  Line(s, 0, 0,
       "E5:2 G5:2 A5:2 B5:2 D6:4 B5:4 A5:2 G5:2 E5:2 G5:2 A5:8 E5:2 G5:2 A5:2 B5:2 E6:4 D6:4 B5:2 A5:2 G5:2 A5:2 E5:8");
  Bass(s, "E3 A3 D3 A3 E3 A3 D3 E3");
  Drums(s, 8);
  return s;
}

Song BossSong() {
  Song s{160, {30, 38, 0}, {}};
  Line(s, 0, 0,
       "E4:1 E4:1 G4:1 E4:1 Bb4:2 A4:2 E4:1 E4:1 G4:1 E4:1 B4:2 C5:2 "
       "E4:1 E4:1 G4:1 E4:1 Bb4:2 A4:2 G4:2 F#4:2 F4:2 E4:2 "
       "E5:1 E5:1 D5:1 E5:1 Bb4:2 A4:2 E5:1 E5:1 D5:1 E5:1 B4:2 C5:2 "
       "E4:2 G4:2 Bb4:2 B4:2 E5:8");
  Bass(s, "E2 E2 E2 E2 E2 E2 E2 E2");
  Drums(s, 8);
  return s;
}

Song MapSong() {
  Song s{110, {22, 32, 0}, {}};
  Line(s, 0, 0,
       "D5:2 F#5:2 A5:4 G5:2 F#5:2 E5:4 D5:2 E5:2 F#5:2 G5:2 A5:8 B5:2 A5:2 G5:2 F#5:2 E5:4 G5:4 F#5:2 E5:2 D5:4 r:4");
  Bass(s, "D3 A2 G2 D3 G2 A2 D3 D3");
  return s;
}

// The song rendered as sound: square-ish lead, sine bass, short noise drums; mono.
std::vector<float> Render(const Song& song, int loops) {
  const double secondsPerTick = 60.0 / song.tempo / kTicks;
  const size_t frames = static_cast<size_t>(song.length * secondsPerTick * kRate) * static_cast<size_t>(loops);
  std::vector<float> out(frames, 0.0f);
  for (int loop = 0; loop < loops; ++loop)
    for (const Note& n : song.notes) {
      const size_t start = static_cast<size_t>((n.start + loop * song.length) * secondsPerTick * kRate);
      const size_t len = static_cast<size_t>(n.length * secondsPerTick * kRate);
      const double f = 440.0 * std::pow(2.0, (n.pitch - 69) / 12.0);
      uint32_t rnd = 777u + static_cast<uint32_t>(n.pitch);
      for (size_t i = 0; i < len && start + i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double env = std::exp(-3.0 * static_cast<double>(i) / static_cast<double>(len));
        double v;
        if (n.channel == 9) {
          rnd = rnd * 1664525u + 1013904223u;
          v = (static_cast<double>(rnd >> 8) / static_cast<double>(1u << 24) * 2 - 1) * (n.pitch == 42 ? 0.08 : 0.2);
        } else if (n.channel == 1) {
          v = std::sin(2 * kPi * f * t) * 0.3;
        } else {
          const double ph = f * t - std::floor(f * t);
          v = ((ph < 0.25 ? 1.0 : -1.0) * 0.12 + std::sin(2 * kPi * f * t) * 0.12);
        }
        out[start + i] += static_cast<float>(v * env);
      }
    }
  return out;
}

}  // namespace

bool WriteSounds(const std::string& root, std::string* failed) {
  struct Effect {
    const char* file;
    std::function<std::vector<double>()> make;
  };
  const Effect effects[] = {
      {"wave/jump.wav", [] { return Tone(0.18, 300, 900, true, 0, 0.4); }},
      {"wave/shot.wav", [] { return Tone(0.12, 1400, 400, true, 0.2, 0.4); }},
      {"wave/coin.wav",
       [] {
         return Join({Tone(0.05, 988, 988, true, 0, 0.4), Tone(0.2, 1319, 1319, true, 0, 0.4)});
       }},
      {"wave/hit.wav", [] { return Tone(0.2, 220, 80, true, 0.5); }},
      {"wave/break.wav", [] { return Tone(0.3, 400, 60, false, 0.8); }},
      {"wave/power.wav",
       [] {
         return Arpeggio({523, 659, 784, 1047, 1319}, 0.06, true);
       }},
      {"wave/boss.wav", [] { return Tone(0.5, 90, 40, true, 0.4, 0.7); }},
      {"wave/clear.wav",
       [] {
         return Arpeggio({523, 659, 784, 1047, 784, 1047}, 0.1, true);
       }},
  };
  for (const Effect& e : effects)
    if (!Write(root, e.file, Wav8(e.make()), failed)) return false;
  // The 17 system sounds: cursor ticks, choices, refusals, a miss, a warning beep and chimes.
  for (int i = 0; i < SYSTEM_SE_COUNT; ++i) {
    std::vector<double> s;
    switch (i) {
      case 1: s = Arpeggio({880, 1320}, 0.06, true); break;                // a choice
      case 2: s = Tone(0.04, 1200, 1200, true, 0, 0.3); break;             // the cursor
      case 3: s = Tone(0.2, 140, 120, true, 0, 0.5); break;                // a refusal
      case 8: s = Arpeggio({784, 659, 523, 392, 262}, 0.1, false); break;  // a miss
      case 13: s = Tone(0.08, 2000, 2000, false, 0, 0.5); break;           // the time warning
      default: s = Tone(0.12, 400.0 + 60 * i, 600.0 + 60 * i, i % 2 == 0, 0, 0.4); break;
    }
    char name[32];
    std::snprintf(name, sizeof name, "wave/system%02d.wav", i);
    if (!Write(root, name, Wav8(s), failed)) return false;
  }
  return true;
}

bool WriteMusic(const std::string& root, std::string* failed) {
  const struct {
    const char* file;
    Song (*song)();
  } pieces[] = {{"bgm/title.mid", TitleSong},
                {"bgm/cave.mid", CaveSong},
                {"bgm/sky.mid", SkySong},
                {"bgm/boss.mid", BossSong},
                {"bgm/map.mid", MapSong}};
  for (const auto& p : pieces)
    if (!Write(root, p.file, Smf(p.song()), failed)) return false;
  // The meadow's music is rendered and encoded as Ogg Vorbis; a MIDI copy stands beside it.
  const Song field = FieldSong();
  if (!Write(root, "bgm/field.mid", Smf(field), failed)) return false;
  return Write(root, "bgm/field.ogg", EncodeOgg(Render(field, 1), 1, kRate, 0.3f), failed);
}

}  // namespace sample
