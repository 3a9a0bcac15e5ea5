#include "platform/dsound.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/mixer.h"

namespace {

class SoundBuffer;

// The samples of a secondary buffer, shared with its duplicates.
struct SampleStore {
  std::vector<unsigned char> bytes;
  WAVEFORMATEX wfx;
};

// The mixing side of a DirectSound object: one source of the shared output that plays every
// secondary buffer made through it. Buffers keep it alive, so they may outlive the object.
class Engine : public AudioSource {
 public:
  Engine() : m_pMixer(AcquireAudioOutput()) {}
  ~Engine() override { ReleaseAudioOutput(); }

  // Called once the engine is owned by a shared pointer (registration makes it pullable).
  void Start() { m_pMixer->AddSource(this); }
  void Stop() { m_pMixer->RemoveSource(this); }

  AudioMixer* Mixer() const { return m_pMixer; }
  std::mutex& Mutex() const { return m_pMixer->Mutex(); }

  // Both with the mixer's lock held.
  void Attach(SoundBuffer* buffer) { m_vBuffer.push_back(buffer); }
  void Detach(SoundBuffer* buffer) { m_vBuffer.erase(std::remove(m_vBuffer.begin(), m_vBuffer.end(), buffer), m_vBuffer.end()); }

  void Mix(float* out, int frames, uint64_t clock) override;

 private:
  AudioMixer* m_pMixer = nullptr;
  std::vector<SoundBuffer*> m_vBuffer;  // every secondary buffer, in creation order
};

// The engine's life: registered with the mixer while shared, unregistered before it dies.
std::shared_ptr<Engine> MakeEngine() {
  std::shared_ptr<Engine> engine(new (std::nothrow) Engine, [](Engine* e) {
    e->Stop();
    delete e;
  });
  if (engine) engine->Start();
  return engine;
}

bool ValidPcmFormat(const WAVEFORMATEX* f) {
  return f && f->wFormatTag == WAVE_FORMAT_PCM && (f->nChannels == 1 || f->nChannels == 2) &&
         (f->wBitsPerSample == 8 || f->wBitsPerSample == 16) && f->nSamplesPerSec >= DSBFREQUENCY_MIN &&
         f->nSamplesPerSec <= DSBFREQUENCY_MAX && f->nBlockAlign == f->nChannels * f->wBitsPerSample / 8;
}

// 10^(volume / 2000); exact silence at the minimum.
float GainOf(LONG volume) {
  if (volume <= DSBVOLUME_MIN) return 0.0f;
  return static_cast<float>(std::pow(10.0, static_cast<double>(volume) / 2000.0));
}

class SoundBuffer final : public IDirectSoundBuffer {
 public:
  // The primary buffer.
  SoundBuffer() = default;
  // A secondary buffer.
  SoundBuffer(std::shared_ptr<Engine> engine, std::shared_ptr<SampleStore> store)
      : m_pEngine(std::move(engine)), m_pStore(std::move(store)) {}

  HRESULT SetFormat(const WAVEFORMATEX* pcfxFormat) override {
    if (m_pStore) return DSERR_INVALIDCALL;
    if (!ValidPcmFormat(pcfxFormat)) return DSERR_BADFORMAT;
    m_PrimaryFormat = *pcfxFormat;
    return DS_OK;
  }

  HRESULT Lock(DWORD dwOffset, DWORD dwBytes, void** ppvAudioPtr1, DWORD* pdwAudioBytes1, void** ppvAudioPtr2,
               DWORD* pdwAudioBytes2, DWORD dwFlags) override {
    if (!m_pStore) return DSERR_INVALIDCALL;
    if (!ppvAudioPtr1 || !pdwAudioBytes1) return DSERR_INVALIDPARAM;
    DWORD size = static_cast<DWORD>(m_pStore->bytes.size());
    if (dwFlags & DSBLOCK_ENTIREBUFFER) {
      dwOffset = 0;
      dwBytes = size;
    }
    if (dwOffset >= size || dwBytes == 0 || dwBytes > size) return DSERR_INVALIDPARAM;
    DWORD first = std::min(dwBytes, size - dwOffset);
    *ppvAudioPtr1 = m_pStore->bytes.data() + dwOffset;
    *pdwAudioBytes1 = first;
    if (ppvAudioPtr2) *ppvAudioPtr2 = first < dwBytes ? m_pStore->bytes.data() : nullptr;
    if (pdwAudioBytes2) *pdwAudioBytes2 = dwBytes - first;
    if (first < dwBytes && !ppvAudioPtr2) return DSERR_INVALIDPARAM;
    return DS_OK;
  }

  // The mixer reads the bytes directly, so there is nothing to hand back.
  HRESULT Unlock(void*, DWORD, void*, DWORD) override { return m_pStore ? DS_OK : DSERR_INVALIDCALL; }

  HRESULT Play(DWORD, DWORD, DWORD dwFlags) override {
    if (!m_pStore) return DSERR_INVALIDCALL;
    std::lock_guard<std::mutex> lock(m_pEngine->Mutex());
    m_bPlaying = true;
    m_bLooping = (dwFlags & DSBPLAY_LOOPING) != 0;
    return DS_OK;
  }

  HRESULT Stop() override {
    if (!m_pStore) return DSERR_INVALIDCALL;
    std::lock_guard<std::mutex> lock(m_pEngine->Mutex());
    m_bPlaying = false;
    return DS_OK;
  }

  HRESULT SetCurrentPosition(DWORD dwNewPosition) override {
    if (!m_pStore) return DSERR_INVALIDCALL;
    if (dwNewPosition >= m_pStore->bytes.size()) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(m_pEngine->Mutex());
    m_nPos = static_cast<uint64_t>(dwNewPosition / m_pStore->wfx.nBlockAlign) << 32;
    return DS_OK;
  }

  HRESULT SetVolume(LONG lVolume) override {
    if (!m_pStore) return DSERR_INVALIDCALL;
    if (lVolume < DSBVOLUME_MIN || lVolume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(m_pEngine->Mutex());
    m_nVolume = lVolume;
    m_fGain = GainOf(lVolume);
    return DS_OK;
  }

  HRESULT GetVolume(LONG* plVolume) override {
    if (!m_pStore) return DSERR_INVALIDCALL;
    if (!plVolume) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(m_pEngine->Mutex());
    *plVolume = m_nVolume;
    return DS_OK;
  }

  ULONG Release() override {
    if (--m_nRef > 0) return m_nRef;
    if (m_pEngine) {
      std::lock_guard<std::mutex> lock(m_pEngine->Mutex());
      m_pEngine->Detach(this);
    }
    delete this;
    return 0;
  }

  // A duplicate: same samples and volume, stopped at position 0.
  SoundBuffer* Duplicate() const {
    auto* copy = new (std::nothrow) SoundBuffer(m_pEngine, m_pStore);
    if (!copy) return nullptr;
    std::lock_guard<std::mutex> lock(m_pEngine->Mutex());
    copy->m_nVolume = m_nVolume;
    copy->m_fGain = m_fGain;
    m_pEngine->Attach(copy);
    return copy;
  }

  bool IsSecondary() const { return m_pStore != nullptr; }
  // With the mixer's lock held.
  bool Playing() const { return m_bPlaying; }

  // With the mixer's lock held.
  void MixInto(float* out, int frames, int outRate);

 private:
  ~SoundBuffer() override = default;

  float SampleAt(uint64_t frame, int channel) const {
    const WAVEFORMATEX& f = m_pStore->wfx;
    size_t at = static_cast<size_t>(frame) * f.nBlockAlign;
    if (f.nChannels == 2) at += static_cast<size_t>(channel) * (f.wBitsPerSample / 8);
    const unsigned char* p = m_pStore->bytes.data() + at;
    if (f.wBitsPerSample == 8) return (static_cast<int>(p[0]) - 128) * (1.0f / 128.0f);
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8))) * (1.0f / 32768.0f);
  }

  ULONG m_nRef = 1;
  std::shared_ptr<Engine> m_pEngine;
  std::shared_ptr<SampleStore> m_pStore;  // null for the primary buffer
  WAVEFORMATEX m_PrimaryFormat;
  // Guarded by the mixer's lock.
  bool m_bPlaying = false;
  bool m_bLooping = false;
  uint64_t m_nPos = 0;  // play position in frames of the buffer's own rate, 32.32 fixed point
  LONG m_nVolume = 0;
  float m_fGain = 1.0f;
};

// Linear interpolation between the buffer's frames at the ratio of the two rates.
void SoundBuffer::MixInto(float* out, int frames, int outRate) {
  const WAVEFORMATEX& f = m_pStore->wfx;
  const uint64_t count = m_pStore->bytes.size() / f.nBlockAlign;
  const uint64_t step = (static_cast<uint64_t>(f.nSamplesPerSec) << 32) / static_cast<uint64_t>(outRate);
  const bool stereo = f.nChannels == 2;
  for (int i = 0; i < frames; ++i) {
    uint64_t frame = m_nPos >> 32;
    if (frame >= count) {
      if (!m_bLooping || count == 0) {
        m_bPlaying = false;
        m_nPos = 0;
        return;
      }
      m_nPos -= (frame / count * count) << 32;
      frame = m_nPos >> 32;
    }
    uint64_t next = frame + 1 < count ? frame + 1 : (m_bLooping ? 0 : frame);
    float t = static_cast<float>(m_nPos & 0xFFFFFFFFu) * (1.0f / 4294967296.0f);
    float l0 = SampleAt(frame, 0);
    float l1 = SampleAt(next, 0);
    float left = l0 + (l1 - l0) * t;
    float right = left;
    if (stereo) {
      float r0 = SampleAt(frame, 1);
      float r1 = SampleAt(next, 1);
      right = r0 + (r1 - r0) * t;
    }
    out[2 * i] += left * m_fGain;
    out[2 * i + 1] += right * m_fGain;
    m_nPos += step;
  }
}

void Engine::Mix(float* out, int frames, uint64_t) {
  for (SoundBuffer* buffer : m_vBuffer) {
    if (buffer->Playing()) buffer->MixInto(out, frames, m_pMixer->Rate());
  }
}

class DirectSound final : public IDirectSound {
 public:
  explicit DirectSound(std::shared_ptr<Engine> engine) : m_pEngine(std::move(engine)) {}

  HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, LPDIRECTSOUNDBUFFER* ppDSBuffer, void* pUnkOuter) override {
    if (!desc || !ppDSBuffer || pUnkOuter || desc->dwSize != sizeof(DSBUFFERDESC)) return DSERR_INVALIDPARAM;
    *ppDSBuffer = nullptr;
    if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
      if (desc->dwBufferBytes != 0 || desc->lpwfxFormat) return DSERR_INVALIDPARAM;
      auto* primary = new (std::nothrow) SoundBuffer;
      if (!primary) return DSERR_OUTOFMEMORY;
      *ppDSBuffer = primary;
      return DS_OK;
    }
    if (!desc->lpwfxFormat || desc->dwBufferBytes < DSBSIZE_MIN || desc->dwBufferBytes > DSBSIZE_MAX) {
      return DSERR_INVALIDPARAM;
    }
    if (!ValidPcmFormat(desc->lpwfxFormat)) return DSERR_BADFORMAT;
    std::shared_ptr<SampleStore> store;
    try {
      store = std::make_shared<SampleStore>();
      store->bytes.assign(desc->dwBufferBytes, 0);
    } catch (const std::bad_alloc&) {
      return DSERR_OUTOFMEMORY;
    }
    store->wfx = *desc->lpwfxFormat;
    store->wfx.cbSize = 0;
    auto* buffer = new (std::nothrow) SoundBuffer(m_pEngine, std::move(store));
    if (!buffer) return DSERR_OUTOFMEMORY;
    {
      std::lock_guard<std::mutex> lock(m_pEngine->Mutex());
      m_pEngine->Attach(buffer);
    }
    *ppDSBuffer = buffer;
    return DS_OK;
  }

  HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER* ppDuplicate) override {
    if (!original || !ppDuplicate) return DSERR_INVALIDPARAM;
    *ppDuplicate = nullptr;
    auto* source = static_cast<SoundBuffer*>(original);
    if (!source->IsSecondary()) return DSERR_INVALIDCALL;
    SoundBuffer* copy = source->Duplicate();
    if (!copy) return DSERR_OUTOFMEMORY;
    *ppDuplicate = copy;
    return DS_OK;
  }

  HRESULT SetCooperativeLevel(HWND hwnd, DWORD) override {
    m_hWnd = hwnd;
    return DS_OK;
  }

  ULONG Release() override {
    if (--m_nRef > 0) return m_nRef;
    delete this;
    return 0;
  }

 private:
  ~DirectSound() override = default;

  ULONG m_nRef = 1;
  std::shared_ptr<Engine> m_pEngine;
  HWND m_hWnd = nullptr;
};

}  // namespace

HRESULT DirectSoundCreate(const void* lpGuid, LPDIRECTSOUND* ppDS, void* pUnkOuter) {
  if (!ppDS || pUnkOuter) return DSERR_INVALIDPARAM;
  *ppDS = nullptr;
  std::shared_ptr<Engine> engine = MakeEngine();
  if (!engine) return DSERR_OUTOFMEMORY;
  auto* ds = new (std::nothrow) DirectSound(std::move(engine));
  if (!ds) return DSERR_OUTOFMEMORY;
  *ppDS = ds;
  return DS_OK;
}
