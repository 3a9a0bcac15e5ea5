#include "platform/midi_synth.h"

#include <fluidsynth.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

// Gain of the synthesizer's output, set by ear against sound effects and Ogg music at full
// scale.
constexpr double kGain = 0.4;
// Frames rendered after the last voice has ended, for the reverb and chorus tails.
constexpr int kTailSeconds = 2;
constexpr int kChunkFrames = 1024;

const char* const kSoundfonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
};

std::atomic<void (*)(const char*)> g_reportHook{nullptr};
std::atomic<MidiSynth*> g_testSynth{nullptr};

void Report(const char* line) {
  if (auto hook = g_reportHook.load()) hook(line);
}

bool IsFile(const char* path) {
  struct stat st {};
  return path && *path && stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

// FluidSynth's own messages: errors go to the report log, the chatter nowhere.
void FluidLog(int level, const char* message, void*) {
  if (level > FLUID_ERR) return;
  char line[512];
  std::snprintf(line, sizeof line, "Midi : synthesizer: %s", message);
  Report(line);
}

class FluidSynthSink : public MidiSynth {
 public:
  ~FluidSynthSink() override {
    if (m_pSynth) delete_fluid_synth(m_pSynth);
    if (m_pSettings) delete_fluid_settings(m_pSettings);
  }

  // Made without an audio driver: the stream renders it inside the mixer.
  bool Create(int rate, const char* soundfont) {
    m_nRate = rate;
    m_pSettings = new_fluid_settings();
    if (!m_pSettings) return false;
    fluid_settings_setnum(m_pSettings, "synth.sample-rate", rate);
    fluid_settings_setnum(m_pSettings, "synth.gain", kGain);
    fluid_settings_setint(m_pSettings, "synth.reverb.active", 1);
    fluid_settings_setint(m_pSettings, "synth.chorus.active", 1);
    // Every call comes with the mixer's lock held.
    fluid_settings_setint(m_pSettings, "synth.threadsafe-api", 0);
    m_pSynth = new_fluid_synth(m_pSettings);
    if (!m_pSynth || !fluid_is_soundfont(soundfont)) return false;
    return fluid_synth_sfload(m_pSynth, soundfont, 1) != FLUID_FAILED;
  }
  int Rate() const { return m_nRate; }

  void ShortMessage(DWORD dwMsg, uint64_t) override {
    int status = static_cast<int>(dwMsg & 0xFF);
    int ch = status & 0x0F;
    int d1 = static_cast<int>((dwMsg >> 8) & 0x7F);
    int d2 = static_cast<int>((dwMsg >> 16) & 0x7F);
    switch (status & 0xF0) {
      case 0x80: fluid_synth_noteoff(m_pSynth, ch, d1); break;
      case 0x90: fluid_synth_noteon(m_pSynth, ch, d1, d2); break;  // velocity 0 is a note off
      case 0xA0: fluid_synth_key_pressure(m_pSynth, ch, d1, d2); break;
      case 0xB0: fluid_synth_cc(m_pSynth, ch, d1, d2); break;
      case 0xC0: fluid_synth_program_change(m_pSynth, ch, d1); break;
      case 0xD0: fluid_synth_channel_pressure(m_pSynth, ch, d1); break;
      case 0xE0: fluid_synth_pitch_bend(m_pSynth, ch, d1 | (d2 << 7)); break;
      default: return;
    }
    m_nQuiet = 0;
  }

  void SysEx(const BYTE* lpData, size_t nSize, uint64_t) override {
    // FluidSynth takes the bytes between F0 and F7.
    if (nSize < 2 || lpData[0] != 0xF0) return;
    size_t n = nSize - 1;
    if (lpData[nSize - 1] == 0xF7) --n;
    fluid_synth_sysex(m_pSynth, reinterpret_cast<const char*>(lpData + 1), static_cast<int>(n), nullptr, nullptr,
                      nullptr, 0);
  }

  void AllNotesOff(uint64_t) override { fluid_synth_all_notes_off(m_pSynth, -1); }

  void Reset(uint64_t) override {
    fluid_synth_all_sounds_off(m_pSynth, -1);
    for (int ch = 0; ch < 16; ++ch) fluid_synth_cc(m_pSynth, ch, 121, 0);
  }

  void SystemReset(uint64_t) override { fluid_synth_system_reset(m_pSynth); }

  void Render(float* out, int frames) override {
    // Silence costs nothing: once every voice and the effect tails have ended, nothing is
    // rendered.
    if (fluid_synth_get_active_voice_count(m_pSynth) > 0) {
      m_nQuiet = 0;
    } else if (m_nQuiet >= kTailSeconds * m_nRate) {
      return;
    }
    m_nQuiet += frames;
    if (m_vBuffer.size() < 2 * static_cast<size_t>(kChunkFrames)) m_vBuffer.resize(2 * kChunkFrames);
    while (frames > 0) {
      int n = std::min(frames, kChunkFrames);
      float* buf = m_vBuffer.data();
      fluid_synth_write_float(m_pSynth, n, buf, 0, 2, buf, 1, 2);
      for (int i = 0; i < 2 * n; ++i) out[i] += buf[i];
      out += 2 * n;
      frames -= n;
    }
  }

 private:
  fluid_settings_t* m_pSettings = nullptr;
  fluid_synth_t* m_pSynth = nullptr;
  int m_nRate = 0;
  int m_nQuiet = 0;
  std::vector<float> m_vBuffer;
};

struct SynthState {
  std::mutex mutex;
  std::unique_ptr<FluidSynthSink> synth;
  std::string path;        // the soundfont of `synth`
  std::string failedPath;  // a soundfont that did not load
  std::string lastReport;  // the last line written, not repeated at every stream
};

// Never destroyed: streams may be closed by static destructors.
SynthState& State() {
  static SynthState* state = new SynthState;
  return *state;
}

void ReportOnce(SynthState& s, const std::string& line) {
  if (line == s.lastReport) return;
  s.lastReport = line;
  Report(line.c_str());
}

// The soundfont named by TW_SOUNDFONT, else the first Debian General MIDI soundfont found.
std::string FindSoundfont(SynthState& s) {
  const char* env = std::getenv("TW_SOUNDFONT");
  if (IsFile(env)) return env;
  if (env && *env) ReportOnce(s, std::string("Midi : TW_SOUNDFONT names no file (") + env + ")");
  for (const char* path : kSoundfonts) {
    if (IsFile(path)) return path;
  }
  return {};
}

}  // namespace

MidiSynth* OpenMidiSynth(int rate) {
  if (MidiSynth* test = g_testSynth.load()) return test;
  SynthState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  static const bool logSet = [] {
    fluid_set_log_function(FLUID_PANIC, &FluidLog, nullptr);
    fluid_set_log_function(FLUID_ERR, &FluidLog, nullptr);
    fluid_set_log_function(FLUID_WARN, &FluidLog, nullptr);
    fluid_set_log_function(FLUID_INFO, &FluidLog, nullptr);
    fluid_set_log_function(FLUID_DBG, &FluidLog, nullptr);
    return true;
  }();
  (void)logSet;
  const std::string path = FindSoundfont(s);
  if (s.synth && s.path == path && s.synth->Rate() == rate) return s.synth.get();
  if (path.empty()) {
    ReportOnce(s, "Midi : no General MIDI soundfont found (install timgm6mb-soundfont or set TW_SOUNDFONT), music is silent");
    return nullptr;
  }
  if (path == s.failedPath) return nullptr;
  s.synth.reset();
  auto synth = std::make_unique<FluidSynthSink>();
  if (!synth->Create(rate, path.c_str())) {
    s.failedPath = path;
    ReportOnce(s, "Midi : the soundfont " + path + " cannot be loaded, music is silent");
    return nullptr;
  }
  s.synth = std::move(synth);
  s.path = path;
  s.failedPath.clear();
  ReportOnce(s, "Midi : soundfont " + path);
  return s.synth.get();
}

void SetMidiReportHook(void (*hook)(const char* line)) { g_reportHook.store(hook); }

void SetMidiSynthForTests(MidiSynth* synth) { g_testSynth.store(synth); }
