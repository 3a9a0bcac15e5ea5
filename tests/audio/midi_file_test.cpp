#include "audio/midi_file.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/bytes.h"
#include "support/temp_dir.h"

namespace {

// Bytes from hex pairs: "90 3C 40".
std::string H(const std::string& hex) {
  std::istringstream in(hex);
  std::string out, pair;
  while (in >> pair) out.push_back(static_cast<char>(std::stoi(pair, nullptr, 16)));
  return out;
}

std::string Be16(unsigned v) { return {static_cast<char>(v >> 8), static_cast<char>(v)}; }
std::string Be32(uint32_t v) { return Be16(v >> 16) + Be16(v & 0xFFFF); }

std::string MThd(unsigned format, unsigned tracks, unsigned division) {
  return "MThd" + Be32(6) + Be16(format) + Be16(tracks) + Be16(division);
}
std::string Chunk(const std::string& id, const std::string& data) { return id + Be32(static_cast<uint32_t>(data.size())) + data; }
std::string MTrk(const std::string& hex) { return Chunk("MTrk", H(hex)); }

// The expected image: one format-0 track holding the given events.
std::string Image(unsigned division, const std::string& eventsHex) { return MThd(0, 1, division) + MTrk(eventsHex); }

// Converts a file written to disk under a stored name, as the music manager opens it.
struct Converted {
  std::string image;  // empty when refused
  std::string report;
};
Converted Convert(const std::string& file) {
  CoreTestEnv env;
  env.dir().MakeDir("BGM");
  WriteFileBytes(env.dir() / "BGM/Title.MID", file);
  ScopedChdir cd(env.dir().path());
  cMidiFile midi("bgm\\Title.mid");
  Converted c;
  if (midi.Image()) c.image.assign(reinterpret_cast<const char*>(midi.Image()), midi.ImageSize());
  c.report = env.ReportText();
  return c;
}

TEST(VarLen, WritesAndReadsUpToFourBytes) {
  const struct {
    DWORD value;
    const char* hex;
  } cases[] = {{0, "00"},          {127, "7F"},          {128, "81 00"},          {0x3FFF, "FF 7F"},
               {0x4000, "81 80 00"}, {0x1FFFFF, "FF FF 7F"}, {0x200000, "81 80 80 00"}, {0x0FFFFFFF, "FF FF FF 7F"}};
  for (const auto& c : cases) {
    BYTE out[4] = {};
    int n = WriteVarLen(out, c.value);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), static_cast<size_t>(n)), H(c.hex)) << c.value;
    DWORD back = 0xDEAD;
    EXPECT_EQ(ReadVarLen(out, static_cast<size_t>(n), &back), n);
    EXPECT_EQ(back, c.value);
  }
  BYTE out[4] = {1, 2, 3, 4};
  EXPECT_EQ(WriteVarLen(out, 0x10000000), 0);
  EXPECT_EQ(out[0], 1);  // nothing written

  // Reads that do not end within four bytes or within the bytes given.
  std::string five = H("80 80 80 80 00");
  DWORD v = 7;
  EXPECT_EQ(ReadVarLen(reinterpret_cast<const BYTE*>(five.data()), five.size(), &v), 0);
  std::string cut = H("81 80 00");
  EXPECT_EQ(ReadVarLen(reinterpret_cast<const BYTE*>(cut.data()), 2, &v), 0);
  EXPECT_EQ(ReadVarLen(reinterpret_cast<const BYTE*>(cut.data()), 0, &v), 0);
  EXPECT_EQ(v, 7u);
}

TEST(MidiFile, FormatZeroGetsAStatusByteOnEveryEvent) {
  // Running status on a note and a program change; a tempo, a system-exclusive event.
  const std::string track =
      "00 90 3C 40  60 3C 00  00 C0 05  81 00 45  00 FF 51 03 07 A1 20  00 F0 03 43 12 F7  10 FF 2F 00";
  Converted c = Convert(MThd(0, 1, 480) + MTrk(track));
  EXPECT_EQ(Hex(c.image), Hex(Image(480, "00 90 3C 40  60 90 3C 00  00 C0 05  81 00 C0 45  00 FF 51 03 07 A1 20 "
                                        " 00 F0 03 43 12 F7  10 FF 2F 00")));
  EXPECT_EQ(c.image.size(), 22 + H(track).size() + 2);
  EXPECT_EQ(c.report, "");
}

TEST(MidiFile, FormatOneTracksMergeIntoOneWithOneEndAtTheLatestTick) {
  // Tracks ending at 960, 1920 and 480; the third track's note ends before the second's.
  std::string file = MThd(1, 3, 96) + MTrk("00 FF 51 03 07 A1 20  87 40 FF 2F 00") +
                     MTrk("00 90 3C 40  8F 00 80 3C 40  00 FF 2F 00") + MTrk("00 91 40 40  83 60 81 40 40  00 FF 2F 00");
  Converted c = Convert(file);
  // Equal ticks: the lower track first.
  EXPECT_EQ(Hex(c.image), Hex(Image(96, "00 FF 51 03 07 A1 20  00 90 3C 40  00 91 40 40  83 60 81 40 40 "
                                        " 8B 20 80 3C 40  00 FF 2F 00")));
  // The last track's end is the latest: the end event follows its own last event.
  Converted late = Convert(MThd(1, 2, 96) + MTrk("00 90 3C 40  10 80 3C 40  00 FF 2F 00") +
                           MTrk("10 91 40 40  20 FF 2F 00"));
  EXPECT_EQ(Hex(late.image), Hex(Image(96, "00 90 3C 40  10 80 3C 40  00 91 40 40  20 FF 2F 00")));
}

TEST(MidiFile, LooseFilesAreReadWithinTheirChunks) {
  const struct {
    const char* what;
    std::string file;
    std::string image;
  } cases[] = {
      {"a track without its end event ends with its chunk", MThd(0, 1, 96) + MTrk("00 90 3C 40  60 80 3C 40"),
       Image(96, "00 90 3C 40  60 80 3C 40  00 FF 2F 00")},
      {"bytes after the end event inside the chunk are skipped",
       MThd(1, 2, 96) + MTrk("00 FF 2F 00 00 00") + MTrk("00 90 3C 40  10 FF 2F 00"),
       Image(96, "00 90 3C 40  10 FF 2F 00")},
      {"a chunk of another kind between tracks is skipped",
       MThd(1, 2, 96) + MTrk("05 90 3C 40  00 FF 2F 00") + Chunk("XFIH", "abcd") + MTrk("07 91 3C 40  00 FF 2F 00"),
       Image(96, "05 90 3C 40  02 91 3C 40  00 FF 2F 00")},
      {"a track count above the tracks present", MThd(1, 3, 96) + MTrk("00 90 3C 40  00 FF 2F 00") + MTrk("01 FF 2F 00"),
       Image(96, "00 90 3C 40  01 FF 2F 00")},
      {"tracks past the track count are not read",
       MThd(1, 1, 96) + MTrk("00 90 3C 40  00 FF 2F 00") + MTrk("7F 91 3C 40  00 FF 2F 00"),
       Image(96, "00 90 3C 40  00 FF 2F 00")},
      {"a few stray bytes after the last track", MThd(0, 1, 96) + MTrk("00 FF 2F 00") + "abc", Image(96, "00 FF 2F 00")},
      {"a time division in frames is copied", MThd(0, 1, 0xE728) + MTrk("00 FF 2F 00"), Image(0xE728, "00 FF 2F 00")},
      {"an empty track", MThd(0, 1, 96) + MTrk(""), Image(96, "00 FF 2F 00")},
  };
  for (const auto& c : cases) {
    Converted got = Convert(c.file);
    EXPECT_EQ(Hex(got.image), Hex(c.image)) << c.what;
    EXPECT_EQ(got.report, "") << c.what;
  }
}

TEST(MidiFile, RefusedFilesLeaveNoImageAndOneLine) {
  const std::string end = "00 FF 2F 00";
  const struct {
    const char* what;
    std::string file;
    std::string line;
  } cases[] = {
      {"RMID", "RIFF" + Be32(30) + "RMIDdata" + MThd(0, 1, 96) + MTrk(end), "標準MIDIでない(4)"},
      {"header length 7", "MThd" + Be32(7) + Be16(0) + Be16(1) + Be16(96) + "\0" + MTrk(end), "標準MIDIでない(6)"},
      {"format 2", MThd(2, 1, 96) + MTrk(end), "対応フォーマットが2でない"},
      {"format 3", MThd(3, 1, 96) + MTrk(end), "対応フォーマットが0または1でない"},
      {"no track chunk after the header", MThd(0, 1, 96) + Chunk("MTrx", H(end)), "標準MIDIでない(4)"},
      {"only the header's name", "MThd", "標準MIDIでない(6)"},
      {"empty file", "", "標準MIDIでない(4)"},
      {"no tracks", MThd(1, 0, 96) + MTrk(end), "トラックがない"},
      {"track length past the end of the file", MThd(0, 1, 96) + "MTrk" + Be32(5) + H(end), "トラックが壊れている"},
      {"event cut off by the chunk's end", MThd(1, 2, 96) + MTrk("00 90 3C") + MTrk(end), "トラックが壊れている"},
      {"delta time with no event", MThd(0, 1, 96) + MTrk("00 90 3C 40  81"), "トラックが壊れている"},
      {"delta time of five bytes", MThd(0, 1, 96) + MTrk("80 80 80 80 00 90 3C 40") , "トラックが壊れている"},
      {"data before any status", MThd(0, 1, 96) + MTrk("00 3C 40  00 FF 2F 00"), "トラックが壊れている"},
      {"system-exclusive longer than its chunk", MThd(0, 1, 96) + MTrk("00 F0 10 43 F7"), "トラックが壊れている"},
      {"meta event longer than its chunk", MThd(0, 1, 96) + MTrk("00 FF 01 7F 41"), "トラックが壊れている"},
      {"meta event without its type", MThd(0, 1, 96) + MTrk("00 FF"), "トラックが壊れている"},
  };
  for (const auto& c : cases) {
    Converted got = Convert(c.file);
    EXPECT_EQ(got.image, "") << c.what;
    EXPECT_EQ(got.report, "Midi bgm\\Title.mid Init " + c.line + "\n") << c.what;
  }
}

TEST(MidiFile, AMissingFileIsReported) {
  CoreTestEnv env;
  ScopedChdir cd(env.dir().path());
  cMidiFile midi("bgm\\Stage.mid");
  EXPECT_EQ(midi.Image(), nullptr);
  EXPECT_EQ(midi.ImageSize(), 0u);
  EXPECT_EQ(env.ReportText(), "Midi bgm\\Stage.mid Create ファイルが開けません\n");
}

// Every prefix and many bit-flipped copies of a valid file are refused or read within their
// bytes (the buffers are exactly sized, so the sanitizers see any read past them), and what
// is read is a well-formed image: converting it again gives it back unchanged.
TEST(MidiFile, DamagedFilesAreRefusedOrReadSafely) {
  const std::string good = MThd(1, 3, 96) + MTrk("00 FF 51 03 07 A1 20  00 FF 03 02 41 42  87 40 FF 2F 00") +
                           MTrk("00 90 3C 40  60 3C 00  00 C0 05  8F 00 80 3C 40  00 FF 2F 00") +
                           MTrk("00 F0 03 43 12 F7  00 91 40 40  83 60 81 40 40  00 FF 2F 00");
  std::vector<std::string> files;
  for (size_t n = 0; n <= good.size(); ++n) files.push_back(good.substr(0, n));
  std::mt19937 rng(7);
  for (int i = 0; i < 3000; ++i) {
    std::string f = good;
    int flips = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < flips; ++k) f[rng() % f.size()] ^= static_cast<char>(1 << (rng() % 8));
    files.push_back(f);
  }
  cMidiFile midi(nullptr);
  cMidiFile again(nullptr);
  int read = 0;
  for (const std::string& f : files) {
    std::vector<BYTE> bytes(f.begin(), f.end());
    if (!midi.Init(bytes.data(), bytes.size())) {
      EXPECT_EQ(midi.Image(), nullptr);
      continue;
    }
    ++read;
    std::vector<BYTE> image(midi.Image(), midi.Image() + midi.ImageSize());
    ASSERT_GE(image.size(), 25u);
    EXPECT_EQ(image.size() - 22, (image[18] << 24 | image[19] << 16 | image[20] << 8 | image[21]));
    ASSERT_TRUE(again.Init(image.data(), image.size()));
    EXPECT_EQ(std::vector<BYTE>(again.Image(), again.Image() + again.ImageSize()), image);
  }
  EXPECT_GT(read, 100);  // the flips did not all land on refusals
}

}  // namespace
