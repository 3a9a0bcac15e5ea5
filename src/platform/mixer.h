// The audio output: one SDL audio device for the whole program and the software mixer that
// feeds it. Every source of sound (the sound-effect buffers, music) registers with the mixer
// and is pulled by the device's callback.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

// A source of sound mixed into the output.
class AudioSource {
 public:
  virtual ~AudioSource() = default;
  // Adds `frames` frames of sound to `out`: interleaved stereo (left, right), full scale
  // ±1.0, at the mixer's rate. `clock` is the mixer's sample clock at out[0]. Called on the
  // output's thread with the mixer's lock held.
  virtual void Mix(float* out, int frames, uint64_t clock) = 0;
};

class AudioMixer {
 public:
  explicit AudioMixer(int rate);
  AudioMixer(const AudioMixer&) = delete;
  AudioMixer& operator=(const AudioMixer&) = delete;

  // Output frames per second.
  int Rate() const { return m_nRate; }

  // The one lock of the output: held while the mixer renders. A source takes it for every
  // change of the state its Mix reads. Not to be held when calling AddSource or RemoveSource.
  std::mutex& Mutex() { return m_Mutex; }

  // Registers a source; it is mixed from the next rendered block on, after the sources
  // registered before it.
  void AddSource(AudioSource* source);
  // Unregisters a source. When this returns, its Mix is not running and will not be called
  // again.
  void RemoveSource(AudioSource* source);

  // Renders `frames` stereo frames into `out`: silence, plus every source, clipped to ±1.0
  // as a hardware mixer saturates; then advances the sample clock by `frames`.
  void Render(float* out, int frames);

  // The number of frames rendered so far.
  uint64_t SampleClock() const { return m_nClock.load(std::memory_order_acquire); }

 private:
  int m_nRate = 44100;
  std::mutex m_Mutex;
  std::vector<AudioSource*> m_vSource;
  std::atomic<uint64_t> m_nClock{0};
};

// The shared output. The first Acquire opens the audio device (default device, stereo float,
// about 44100 Hz: the mixer's Rate tells the rate obtained) and the last Release closes it.
// When no device can be opened, the mixer is driven by a thread of its own at the same pace
// into a silent output, and one line goes to the report hook; everything else runs the same.
AudioMixer* AcquireAudioOutput();
void ReleaseAudioOutput();

// Where the output writes its report line (the report log, set by the audio subsystem).
void SetAudioReportHook(void (*hook)(const char* line));

// Tests: while set, Acquire opens no device and starts no thread; the caller renders the
// mixer itself. The rate of a mixer made in this mode is 44100.
void SetAudioOutputManual(bool manual);
