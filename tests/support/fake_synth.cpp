#include "support/fake_synth.h"

#include <cstdio>

void FakeSynth::ShortMessage(DWORD dwMsg, uint64_t clock) {
  char text[16];
  if ((dwMsg & 0xE0) == 0xC0) {
    std::snprintf(text, sizeof text, "%02X %02X", dwMsg & 0xFF, (dwMsg >> 8) & 0xFF);
  } else {
    std::snprintf(text, sizeof text, "%02X %02X %02X", dwMsg & 0xFF, (dwMsg >> 8) & 0xFF, (dwMsg >> 16) & 0xFF);
  }
  Add(clock, text);
}

void FakeSynth::SysEx(const BYTE* lpData, size_t nSize, uint64_t clock) {
  std::string text = "sysex";
  for (size_t i = 0; i < nSize; ++i) {
    char b[4];
    std::snprintf(b, sizeof b, " %02X", lpData[i]);
    text += b;
  }
  Add(clock, text);
}

void FakeSynth::Add(uint64_t clock, const std::string& what) {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.push_back({clock, what});
}

std::vector<FakeSynth::Event> FakeSynth::Events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

std::vector<FakeSynth::Event> FakeSynth::Messages() const {
  std::vector<Event> out;
  for (const Event& e : Events()) {
    if (e.what.size() >= 2 && e.what[0] >= '8' && e.what[0] <= 'E' && e.what[2] == ' ') out.push_back(e);
  }
  return out;
}

std::vector<uint64_t> FakeSynth::ClocksOf(const std::string& prefix) const {
  std::vector<uint64_t> out;
  for (const Event& e : Events()) {
    if (e.what.compare(0, prefix.size(), prefix) == 0) out.push_back(e.clock);
  }
  return out;
}

void FakeSynth::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.clear();
}
