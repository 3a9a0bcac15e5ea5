// A synthesizer for MIDI stream tests: records what it is told, at which sample, and renders
// silence.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/midi_synth.h"

class FakeSynth : public MidiSynth {
 public:
  struct Event {
    uint64_t clock;
    std::string what;  // "90 3C 40" (channel message), "sysex F0 .. F7", "notes off", "reset", "system reset"
  };

  // Installed for the streams opened while it lives.
  FakeSynth() { SetMidiSynthForTests(this); }
  ~FakeSynth() override { SetMidiSynthForTests(nullptr); }

  void ShortMessage(DWORD dwMsg, uint64_t clock) override;
  void SysEx(const BYTE* lpData, size_t nSize, uint64_t clock) override;
  void AllNotesOff(uint64_t clock) override { Add(clock, "notes off"); }
  void Reset(uint64_t clock) override { Add(clock, "reset"); }
  void SystemReset(uint64_t clock) override { Add(clock, "system reset"); }
  void Render(float*, int) override {}

  std::vector<Event> Events() const;
  // The channel messages only, and the clocks of those whose text starts with `prefix`.
  std::vector<Event> Messages() const;
  std::vector<uint64_t> ClocksOf(const std::string& prefix) const;
  void Clear();

 private:
  void Add(uint64_t clock, const std::string& what);
  mutable std::mutex mutex_;
  std::vector<Event> events_;
};
