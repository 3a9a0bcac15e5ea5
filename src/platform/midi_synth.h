// The General MIDI synthesizer behind the MIDI streams: FluidSynth with a General MIDI
// soundfont, rendered into the shared audio output by the open stream.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/wintypes.h"

// What a MIDI stream drives. Every call is made with the audio mixer's lock held; `clock` is
// the mixer's sample clock at which the message takes effect.
class MidiSynth {
 public:
  virtual ~MidiSynth() = default;
  // A channel message: status 0x80..0xEF in the low byte, then the data bytes.
  virtual void ShortMessage(DWORD dwMsg, uint64_t clock) = 0;
  // A whole system-exclusive message: F0, data, F7.
  virtual void SysEx(const BYTE* lpData, size_t nSize, uint64_t clock) = 0;
  // Note off on every sounding note of every channel (releases keep sounding).
  virtual void AllNotesOff(uint64_t clock) = 0;
  // Every sound ends at once and the controllers return to their defaults.
  virtual void Reset(uint64_t clock) = 0;
  // The General MIDI start state: programs, controllers and every setting.
  virtual void SystemReset(uint64_t clock) = 0;
  // Adds `frames` frames of interleaved stereo at the output rate into `out`.
  virtual void Render(float* out, int frames) = 0;
};

// The process's synthesizer for an output at `rate` frames per second, made on the first
// call and kept (made again for another rate or soundfont). The soundfont is the file named
// by the environment variable TW_SOUNDFONT, else the first of the Debian General MIDI
// soundfonts found. Null when none is found or it does not load: music is then silent, and a
// line through the report hook says why (once, not at every stream).
MidiSynth* OpenMidiSynth(int rate);

// Where the synthesizer's report lines go (the report log, set by the audio subsystem).
void SetMidiReportHook(void (*hook)(const char* line));

// Tests: the synthesizer streams opened from now on use instead of the process's one (null
// restores that).
void SetMidiSynthForTests(MidiSynth* synth);
