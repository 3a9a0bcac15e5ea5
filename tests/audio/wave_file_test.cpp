#include "audio/wave_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "support/bytes.h"
#include "support/riff.h"
#include "support/temp_dir.h"

namespace {

const std::string kPath = "wave\\se.wav";

std::string Invalid() { return kPath + " の読み込みに失敗しました…\n不正なファイルです。\n"; }
std::string Unsupported() {
  return kPath + " の読み込みに失敗しました…\n対応していない形式か、不正なwavファイルです。\n本ソフトではPCM形式のみ再生できます。\n";
}
std::string NotPcm() { return kPath + " の読み込みに失敗しました…\nPCM形式以外の形式です。\n本ソフトではPCM形式のみ再生できます。\n"; }

std::string Fmt18(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t tag = 1) {
  return PcmFormat(channels, rate, bits, tag) + std::string(2, '\0');
}

TEST(ReadWaveFile, ReadsPcmAndRefusesWhatItCannotPlay) {
  struct Case {
    const char* what;
    std::string file;
    bool ok;
    std::string data;      // the samples read
    std::string report;    // what the report log holds afterwards
    WORD channels = 0, bits = 0;
    DWORD rate = 0;
  };
  const std::string s16 = "\x01\x02\x03\x04\x05\x06\x07\x08";
  const Case cases[] = {
      {"8-bit mono 22050", PcmWave(1, 22050, 8, "\x80\x90\xA0"), true, "\x80\x90\xA0", "", 1, 8, 22050},
      {"16-bit stereo 44100, fmt of 18 bytes",
       WaveFile(RiffChunk("fmt ", Fmt18(2, 44100, 16)) + RiffChunk("data", s16)), true, s16, "", 2, 16, 44100},
      {"other chunks before and between",
       WaveFile(RiffChunk("LIST", "abc") + RiffChunk("fmt ", PcmFormat(1, 8000, 16)) + RiffChunk("fact", "1234") +
                RiffChunk("data", "\x10\x20")),
       true, "\x10\x20", "", 1, 16, 8000},
      {"fmt of 20 bytes", WaveFile(RiffChunk("fmt ", Fmt18(1, 22050, 8) + "xx") + RiffChunk("data", "ab")), false, "",
       Unsupported()},
      {"fmt cut off by the end of the file", RiffChunk("RIFF", "WAVE" + RiffChunkDeclaring("fmt ", 16, "\x01\x00\x01\x00")),
       false, "", Unsupported()},
      {"IEEE float", WaveFile(RiffChunk("fmt ", Fmt18(1, 44100, 32, 3)) + RiffChunk("data", "abcd")), false, "", NotPcm()},
      {"ADPCM tag in a short fmt", WaveFile(RiffChunk("fmt ", Fmt18(1, 22050, 4, 2)) + RiffChunk("data", "abcd")), false,
       "", NotPcm()},
      {"ADPCM with its own long fmt",
       WaveFile(RiffChunk("fmt ", PcmFormat(1, 22050, 4, 2) + std::string(34, '\x01')) + RiffChunk("data", "abcd")),
       false, "", Unsupported()},
      {"empty data", PcmWave(1, 22050, 8, ""), false, "", ""},
      {"data shorter than declared: whole frames of what is there",
       RiffChunk("RIFF", "WAVE" + RiffChunk("fmt ", PcmFormat(2, 44100, 16)) + RiffChunkDeclaring("data", 1000, s16 + "\x09\x0A")),
       true, s16, "", 2, 16, 44100},
      {"a declared size near 4 GB", RiffChunk("RIFF", "WAVE" + RiffChunk("fmt ", PcmFormat(1, 22050, 8)) +
                                                          RiffChunkDeclaring("data", 0xFFFFFFF0u, "abcdef")),
       true, "abcdef", "", 1, 8, 22050},
      {"data shorter than one frame",
       RiffChunk("RIFF", "WAVE" + RiffChunk("fmt ", PcmFormat(2, 44100, 16)) + RiffChunkDeclaring("data", 100, "\x01\x02")),
       false, "", ""},
      {"data before fmt", WaveFile(RiffChunk("data", "abcd") + RiffChunk("fmt ", PcmFormat(1, 22050, 8))), false, "", ""},
      {"no data", WaveFile(RiffChunk("fmt ", PcmFormat(1, 22050, 8))), false, "", ""},
      {"no fmt", WaveFile(RiffChunk("data", "abcd")), false, "", ""},
      {"RIFF of another form", RiffChunk("RIFF", "AVI " + RiffChunk("data", "ab")), false, "", Invalid()},
      {"not RIFF at all", "MThd\x00\x00\x00\x06", false, "", Invalid()},
  };
  for (const Case& c : cases) {
    CoreTestEnv env(true);
    env.dir().MakeDir("wave");
    ScopedChdir cd(env.dir().path());
    WriteFileBytes(env.dir() / "wave/se.wav", c.file);
    WAVEDATA wd;
    EXPECT_EQ(ReadWaveFile(kPath.c_str(), &wd), c.ok) << c.what;
    EXPECT_EQ(env.ReportText(), c.report) << c.what;
    EXPECT_EQ(env.ErrorText(), c.report) << c.what;
    if (c.ok) {
      ASSERT_NE(wd.lpData, nullptr) << c.what;
      EXPECT_EQ(std::string(reinterpret_cast<char*>(wd.lpData), wd.dwSize), c.data) << c.what;
      EXPECT_EQ(wd.wfx.wFormatTag, WAVE_FORMAT_PCM);
      EXPECT_EQ(wd.wfx.nChannels, c.channels) << c.what;
      EXPECT_EQ(wd.wfx.wBitsPerSample, c.bits) << c.what;
      EXPECT_EQ(wd.wfx.nSamplesPerSec, c.rate) << c.what;
      EXPECT_EQ(wd.wfx.nBlockAlign, c.channels * c.bits / 8) << c.what;
      EXPECT_EQ(wd.wfx.cbSize, 0) << c.what;
      FreeWaveData(&wd);
    }
    EXPECT_EQ(wd.lpData, nullptr) << c.what;
  }
}

TEST(ReadWaveFile, AMissingFileFailsWithoutALine) {
  CoreTestEnv env(true);
  ScopedChdir cd(env.dir().path());
  WAVEDATA wd;
  EXPECT_FALSE(ReadWaveFile("wave\\none.wav", &wd));
  EXPECT_EQ(env.ReportText(), "");
}

// Every prefix and a few hundred bit-flipped copies of a valid file read safely: what is
// returned lies inside the file and holds whole frames.
TEST(ReadWaveFile, DamagedFilesReadSafely) {
  CoreTestEnv env;
  ScopedChdir cd(env.dir().path());
  std::string good = WaveFile(RiffChunk("LIST", "abc") + RiffChunk("fmt ", Fmt18(2, 44100, 16)) +
                              RiffChunk("data", std::string(40, '\x11')));
  std::vector<std::string> files;
  for (size_t n = 0; n <= good.size(); ++n) files.push_back(good.substr(0, n));
  std::mt19937 rng(12);
  for (int i = 0; i < 300; ++i) {
    std::string f = good;
    for (int k = 0; k < 3; ++k) f[rng() % f.size()] ^= static_cast<char>(1 << (rng() % 8));
    files.push_back(f);
  }
  for (const std::string& f : files) {
    WriteFileBytes(env.dir() / "x.wav", f);
    WAVEDATA wd;
    if (ReadWaveFile("x.wav", &wd)) {
      EXPECT_GT(wd.dwSize, 0u);
      EXPECT_LE(wd.dwSize, f.size());
      if (wd.wfx.nBlockAlign) {
        EXPECT_EQ(wd.dwSize % wd.wfx.nBlockAlign, 0u);
      }
      FreeWaveData(&wd);
    }
  }
}

}  // namespace
