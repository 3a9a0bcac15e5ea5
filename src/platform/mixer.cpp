#include "platform/mixer.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

AudioMixer::AudioMixer(int rate) : m_nRate(rate > 0 ? rate : 44100) {}

void AudioMixer::AddSource(AudioSource* source) {
  std::lock_guard<std::mutex> lock(m_Mutex);
  if (std::find(m_vSource.begin(), m_vSource.end(), source) == m_vSource.end()) m_vSource.push_back(source);
}

void AudioMixer::RemoveSource(AudioSource* source) {
  std::lock_guard<std::mutex> lock(m_Mutex);
  m_vSource.erase(std::remove(m_vSource.begin(), m_vSource.end(), source), m_vSource.end());
}

void AudioMixer::Render(float* out, int frames) {
  if (frames <= 0) return;
  std::lock_guard<std::mutex> lock(m_Mutex);
  std::fill(out, out + 2 * static_cast<size_t>(frames), 0.0f);
  uint64_t clock = m_nClock.load(std::memory_order_relaxed);
  for (AudioSource* source : m_vSource) source->Mix(out, frames, clock);
  for (size_t i = 0; i < 2 * static_cast<size_t>(frames); ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
  m_nClock.store(clock + static_cast<uint64_t>(frames), std::memory_order_release);
}

namespace {

constexpr int kDefaultRate = 44100;
constexpr int kBlockFrames = 512;

struct Output;
void CloseOutput(Output* o);

// The one output of the program.
struct Output {
  std::mutex mutex;  // guards everything below (not the mixer's own lock)
  int refs = 0;
  bool manual = false;
  void (*hook)(const char*) = nullptr;
  std::unique_ptr<AudioMixer> mixer;
  // The mixer the device's callback renders: set once the mixer exists, cleared before it goes.
  std::atomic<AudioMixer*> live{nullptr};
  SDL_AudioDeviceID device = 0;
  // The silent output's pacing thread.
  std::thread silent;
  std::mutex silentMutex;
  std::condition_variable silentWake;
  bool silentStop = false;

  // A process that ends without the last Release (exit() from a fatal display error, say)
  // still stops the device's callback and the silent thread before the mixer is freed.
  ~Output() {
    std::lock_guard<std::mutex> lock(mutex);
    CloseOutput(this);
  }
};

Output& TheOutput() {
  static Output output;
  return output;
}

void DeviceCallback(void* userdata, Uint8* stream, int len) {
  auto* o = static_cast<Output*>(userdata);
  const int frames = len / static_cast<int>(2 * sizeof(float));
  AudioMixer* mixer = o->live.load(std::memory_order_acquire);
  if (!mixer) {
    // No mixer (the output is being closed): silence.
    std::fill(reinterpret_cast<float*>(stream), reinterpret_cast<float*>(stream) + 2 * static_cast<size_t>(frames), 0.0f);
    return;
  }
  mixer->Render(reinterpret_cast<float*>(stream), frames);
}

// Renders into nothing at the pace of a device, so that whatever counts on the sample clock
// (music timing) runs as it would with sound.
void SilentLoop(Output* o, AudioMixer* mixer) {
  std::vector<float> block(2 * kBlockFrames);
  const auto period = std::chrono::microseconds(1000000LL * kBlockFrames / mixer->Rate());
  auto due = std::chrono::steady_clock::now();
  std::unique_lock<std::mutex> lock(o->silentMutex);
  while (!o->silentStop) {
    lock.unlock();
    mixer->Render(block.data(), kBlockFrames);
    lock.lock();
    due += period;
    auto now = std::chrono::steady_clock::now();
    // After a long stall (a suspended process) the clock goes on from now, without a burst.
    if (due < now - 50 * period) due = now;
    o->silentWake.wait_until(lock, due, [o] { return o->silentStop; });
  }
}

bool OpenDevice(Output* o, std::string* error) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    *error = SDL_GetError();
    return false;
  }
  SDL_AudioSpec want{};
  SDL_AudioSpec have{};
  want.freq = kDefaultRate;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = kBlockFrames;
  want.callback = &DeviceCallback;
  want.userdata = o;
  SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (device == 0) {
    *error = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  // A device opens paused: the callback does not run before the mixer exists.
  o->mixer = std::make_unique<AudioMixer>(have.freq);
  o->live.store(o->mixer.get(), std::memory_order_release);
  o->device = device;
  SDL_PauseAudioDevice(device, 0);
  return true;
}

// Stops the device (waiting for a running callback) and the silent thread, then frees the
// mixer. With the output's lock held.
void CloseOutput(Output* o) {
  o->live.store(nullptr, std::memory_order_release);
  if (o->device) {
    // Waits for a running callback to return.
    SDL_CloseAudioDevice(o->device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    o->device = 0;
  }
  if (o->silent.joinable()) {
    {
      std::lock_guard<std::mutex> stop(o->silentMutex);
      o->silentStop = true;
    }
    o->silentWake.notify_all();
    o->silent.join();
  }
  o->mixer.reset();
  o->refs = 0;
}

}  // namespace

AudioMixer* AcquireAudioOutput() {
  Output& o = TheOutput();
  std::lock_guard<std::mutex> lock(o.mutex);
  if (o.refs++ > 0) return o.mixer.get();
  if (o.manual) {
    o.mixer = std::make_unique<AudioMixer>(kDefaultRate);
    return o.mixer.get();
  }
  std::string error;
  if (OpenDevice(&o, &error)) return o.mixer.get();
  if (o.hook) {
    char line[512];
    std::snprintf(line, sizeof line, "Audio : no output device (%s), sound is silent", error.c_str());
    o.hook(line);
  }
  o.mixer = std::make_unique<AudioMixer>(kDefaultRate);
  o.silentStop = false;
  o.silent = std::thread(&SilentLoop, &o, o.mixer.get());
  return o.mixer.get();
}

void ReleaseAudioOutput() {
  Output& o = TheOutput();
  std::lock_guard<std::mutex> lock(o.mutex);
  if (o.refs == 0 || --o.refs > 0) return;
  CloseOutput(&o);
}

void SetAudioReportHook(void (*hook)(const char* line)) {
  Output& o = TheOutput();
  std::lock_guard<std::mutex> lock(o.mutex);
  o.hook = hook;
}

void SetAudioOutputManual(bool manual) {
  Output& o = TheOutput();
  std::lock_guard<std::mutex> lock(o.mutex);
  o.manual = manual;
}
