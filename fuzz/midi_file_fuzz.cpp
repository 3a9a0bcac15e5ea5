// The Standard MIDI File reader on arbitrary bytes: every input is refused or converted
// without reading outside it, and a converted image converts again to itself.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "audio/midi_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static cMidiFile midi(nullptr);
  static cMidiFile again(nullptr);
  if (!midi.Init(data, size)) return 0;
  if (!again.Init(midi.Image(), midi.ImageSize()) || again.ImageSize() != midi.ImageSize() ||
      std::memcmp(again.Image(), midi.Image(), midi.ImageSize()) != 0) {
    __builtin_trap();
  }
  return 0;
}
