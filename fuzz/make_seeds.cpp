// Writes the seed inputs of the fuzz targets whose inputs are small enough to be made in code:
// Standard MIDI Files, wave files and key configurations, each a well-formed example of what
// the reader meets plus the damaged shapes worth starting from.
//
//   fuzz_make_seeds DIR           writes DIR/midi_file, DIR/wave_file, DIR/key_config
//   fuzz_make_seeds --check DIR   fails when DIR's files differ from what would be written
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/bytes.h"
#include "support/riff.h"
#include "ui/key_config.h"

namespace {

struct Seed {
  std::string folder;
  std::string name;
  std::string bytes;
};

std::string Be(uint32_t v, int bytes) {
  std::string s;
  for (int i = bytes - 1; i >= 0; --i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  return s;
}

std::string Midi(unsigned format, unsigned division, const std::vector<std::string>& tracks) {
  std::string s = "MThd" + Be(6, 4) + Be(format, 2) + Be(static_cast<uint32_t>(tracks.size()), 2) + Be(division, 2);
  for (const std::string& t : tracks) s += "MTrk" + Be(static_cast<uint32_t>(t.size()), 4) + t;
  return s;
}

std::string Bytes(std::initializer_list<int> v) {
  std::string s;
  for (int b : v) s.push_back(static_cast<char>(b));
  return s;
}

void AddMidi(std::vector<Seed>* seeds) {
  const std::string end = Bytes({0x00, 0xFF, 0x2F, 0x00});
  // One track: tempo, a program, notes with running status and a velocity-0 note-off.
  const std::string notes = Bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xC0, 0x05, 0x00, 0x90, 0x3C,
                                   0x64, 0x83, 0x60, 0x3C, 0x00, 0x00, 0x40, 0x50, 0x83, 0x60, 0x80, 0x40, 0x40}) +
                            end;
  seeds->push_back({"midi_file", "format0", Midi(0, 480, {notes})});
  // Two tracks merged: text and time-signature metas, a system exclusive message, controllers,
  // a pitch bend and notes in another channel.
  const std::string conductor =
      Bytes({0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x01, 0x04, 't', 'e', 's', 't'}) + end;
  const std::string part = Bytes({0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00, 0xB1, 0x07, 0x64, 0x00,
                                  0x0A, 0x40, 0x10, 0xE1, 0x00, 0x40, 0x00, 0x91, 0x30, 0x70, 0x81, 0x00, 0x81,
                                  0x30, 0x00}) +
                           end;
  seeds->push_back({"midi_file", "format1", Midi(1, 96, {conductor, part})});
  // A track that ends without its end-of-track event.
  seeds->push_back({"midi_file", "unterminated", Midi(0, 480, {notes.substr(0, 14)})});
}

void AddWave(std::vector<Seed>* seeds) {
  std::string ramp8, stereo16;
  for (int i = 0; i < 32; ++i) ramp8.push_back(static_cast<char>(i * 8));
  for (int i = 0; i < 16; ++i) stereo16 += ByteWriter().I16(static_cast<int16_t>(i * 2000 - 16000)).I16(static_cast<int16_t>(16000 - i * 2000)).str();
  seeds->push_back({"wave_file", "mono8", PcmWave(1, 11025, 8, ramp8)});
  seeds->push_back({"wave_file", "stereo16", PcmWave(2, 44100, 16, stereo16)});
  // An 18-byte format, an odd-sized chunk with its pad byte before the data, and a data chunk
  // that declares more than the file holds.
  const std::string chunks = RiffChunk("fmt ", PcmFormat(1, 22050, 16) + std::string(2, '\0')) +
                             RiffChunk("LIST", "INFOabc") + RiffChunkDeclaring("data", 4096, stereo16);
  seeds->push_back({"wave_file", "chunks", WaveFile(chunks)});
}

// The target's input: the keys down (a bit for each of 256 codes), the joystick buttons down and
// the axis position, then the file.
std::string KeyInput(const std::vector<int>& keys, uint32_t buttons, uint16_t axis, const KEYCONFIG& config, size_t fileBytes) {
  uint8_t down[32] = {};
  for (int k : keys) down[k >> 3] = static_cast<uint8_t>(down[k >> 3] | (1 << (k & 7)));
  ByteWriter w;
  w.Raw(down, sizeof down).U32(buttons).U16(axis).Raw(&config, fileBytes);
  return w.str();
}

void AddKeyConfig(std::vector<Seed>* seeds) {
  KEYCONFIG keyboard{};  // the reserved halves stay zero
  SetDefaultKeyConfig(&keyboard);
  keyboard.bUse = 1;
  seeds->push_back({"key_config", "keyboard", KeyInput({0x25, 'Z'}, 0, 32768, keyboard, sizeof keyboard)});

  KEYCONFIG joystick = keyboard;
  const uint16_t codes[KEYCONFIG_ENTRIES] = {JOYCODE_X_LOW, JOYCODE_X_HIGH, JOYCODE_Y_LOW, JOYCODE_Y_HIGH, 1, 2, 4, 8, 16, 32, 64, 128};
  for (int i = 0; i < KEYCONFIG_ENTRIES; ++i) {
    joystick.Entry[i].nDevice = i % 2 ? 2 : 0;
    joystick.Entry[i].wCode = codes[i];
  }
  joystick.nCount = 8;
  joystick.nJoyCount = 3;
  seeds->push_back({"key_config", "joystick", KeyInput({}, 0x15, 0, joystick, sizeof joystick)});

  KEYCONFIG wild = keyboard;
  wild.nCount = 99;
  wild.nJoyCount = -3;
  seeds->push_back({"key_config", "counts_out_of_range", KeyInput({0x26, 'X'}, 0xFFFFFFFFu, 65535, wild, sizeof wild)});
  seeds->push_back({"key_config", "short_file", KeyInput({0x28}, 2, 100, keyboard, 50)});
}

std::string ReadAll(const std::filesystem::path& path) {
  std::string bytes;
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) return bytes;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0) bytes.append(buf, n);
  std::fclose(fp);
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
  if (argc != 2 && !check) {
    std::fprintf(stderr, "usage: %s [--check] DIR\n", argv[0]);
    return 2;
  }
  const std::filesystem::path root = argv[argc - 1];
  std::vector<Seed> seeds;
  AddMidi(&seeds);
  AddWave(&seeds);
  AddKeyConfig(&seeds);
  int failed = 0;
  for (const Seed& s : seeds) {
    const std::filesystem::path path = root / s.folder / s.name;
    if (check) {
      if (ReadAll(path) != s.bytes) {
        std::fprintf(stderr, "%s differs from the seed made in code (write the seeds again)\n", path.c_str());
        ++failed;
      }
      continue;
    }
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    FILE* fp = std::fopen(path.c_str(), "wb");
    if (!fp || std::fwrite(s.bytes.data(), 1, s.bytes.size(), fp) != s.bytes.size()) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      ++failed;
    }
    if (fp) std::fclose(fp);
  }
  return failed ? 1 : 0;
}
