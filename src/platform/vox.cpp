#include "platform/vox.h"

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <SDL.h>
#include <soxr.h>
#include <strings.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <new>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/file.h"
#include "platform/mixer.h"

namespace {

// How far the decoder keeps ahead of the output, in seconds.
constexpr int kAheadDivisor = 2;  // half a second
// Source frames decoded at a time.
constexpr int kDecodeFrames = 1024;
// Output frames one decoded piece may give at most: a file at a very low rate takes
// smaller pieces, so that the decoder's lead stays bounded in memory.
constexpr long kPieceOutputFrames = 16384;
// Output frames the resampler gives at a time.
constexpr size_t kResampleFrames = 4096;

size_t ReadFile(void* ptr, size_t size, size_t nmemb, void* source) {
  return std::fread(ptr, size, nmemb, static_cast<FILE*>(source));
}
int SeekFile(void* source, ogg_int64_t offset, int whence) {
  return fseeko(static_cast<FILE*>(source), static_cast<off_t>(offset), whence);
}
int CloseFile(void* source) { return std::fclose(static_cast<FILE*>(source)); }
long TellFile(void* source) { return static_cast<long>(ftello(static_cast<FILE*>(source))); }

// A playback object. Lock order: the mixer's lock, then the object's. The decoder thread
// takes the object's lock only; so do the operations, which call the mixer outside it.
class VorbisVox final : public IVox, public AudioSource {
 public:
  // A new idle object registered with the output, or null when its thread cannot start.
  static VorbisVox* Create() {
    auto* vox = new (std::nothrow) VorbisVox;
    if (!vox) return nullptr;
    try {
      vox->m_Decoder = std::thread(&VorbisVox::DecoderLoop, vox);
    } catch (const std::system_error&) {
      delete vox;
      return nullptr;
    }
    vox->m_pMixer->AddSource(vox);
    return vox;
  }

  BYTE Open(const char* lpszFileName) override {
    std::lock_guard<std::mutex> lock(m_Mutex);
    CloseLocked();
    if (!lpszFileName) return 0;
    FILE* fp = FileOpen(lpszFileName, "rb");
    if (!fp) return 0;
    const ov_callbacks callbacks = {&ReadFile, &SeekFile, &CloseFile, &TellFile};
    if (ov_open_callbacks(fp, &m_File, nullptr, 0, callbacks) != 0) {
      std::fclose(fp);  // not closed by a failed open
      return 0;
    }
    m_bOpen = true;
    if (!StartLink(-1)) {
      CloseLocked();
      return 0;
    }
    m_nLoops = 0;
    m_bEnded = false;
    return 1;
  }

  void Play() override {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_bOpen) return;
    m_bPlaying = true;
    m_Wake.notify_all();
  }

  void Stop() override {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_bPlaying = false;
  }

  void Close() override {
    std::lock_guard<std::mutex> lock(m_Mutex);
    CloseLocked();
  }

  void SetLoop(int nCount) override {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_nLoops = std::max(nCount, 0);
  }

  void Destroy() override {
    m_pMixer->RemoveSource(this);
    {
      std::lock_guard<std::mutex> lock(m_Mutex);
      m_bQuit = true;
      CloseLocked();
    }
    m_Wake.notify_all();
    m_Decoder.join();
    delete this;
  }

  void Mix(float* out, int frames, uint64_t) override {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_bPlaying) return;
    // A decoder that has fallen behind is helped here, so the output never has a gap.
    while (Buffered() < static_cast<size_t>(frames) && Decode()) {
    }
    const size_t n = std::min(Buffered(), static_cast<size_t>(frames));
    const float* src = m_vRing.data() + 2 * m_nRead;
    for (size_t i = 0; i < 2 * n; ++i) out[i] += src[i];
    m_nRead += n;
    if (Buffered() == 0 && m_bEnded) m_bPlaying = false;  // the last pass has sounded
    m_Wake.notify_all();
  }

 private:
  VorbisVox() : m_pMixer(AcquireAudioOutput()) { m_nAhead = static_cast<size_t>(m_pMixer->Rate() / kAheadDivisor); }
  ~VorbisVox() override {
    FreeConverters();
    ReleaseAudioOutput();
  }

  size_t Buffered() const { return m_vRing.size() / 2 - m_nRead; }

  // Converts the current link (-1: the first) from its rate and channels to the output's. A
  // link at another rate goes through a streaming resampler first, fed without a break from
  // piece to piece and pass to pass; the channel converter then runs at the output's rate.
  // A link at the output's rate is only channel-converted, sample for sample.
  bool StartLink(int link) {
    vorbis_info* info = ov_info(&m_File, link);
    if (!info || info->channels < 1 || info->rate < 1) return false;
    FreeConverters();
    m_nChannels = info->channels;
    m_nRate = info->rate;
    const int outRate = m_pMixer->Rate();
    m_pStream = SDL_NewAudioStream(AUDIO_F32SYS, static_cast<Uint8>(m_nChannels), outRate, AUDIO_F32SYS, 2, outRate);
    if (!m_pStream) return false;
    if (m_nRate == outRate) return true;
    soxr_error_t error = nullptr;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    m_pResampler = soxr_create(static_cast<double>(m_nRate), static_cast<double>(outRate),
                               static_cast<unsigned>(m_nChannels), &error, &io, &quality, &runtime);
    return !error && m_pResampler;
  }

  void FreeConverters() {
    if (m_pStream) SDL_FreeAudioStream(m_pStream);
    m_pStream = nullptr;
    if (m_pResampler) soxr_delete(m_pResampler);
    m_pResampler = nullptr;
  }

  // Passes `frames` interleaved frames of the link's channels on to the channel converter,
  // through the resampler when there is one. Null input (frames 0) flushes the resampler: the
  // signal has truly ended.
  void Convert(const float* in, size_t frames) {
    if (!m_pResampler) {
      if (frames) SDL_AudioStreamPut(m_pStream, in, static_cast<int>(frames * m_nChannels * sizeof(float)));
      return;
    }
    const size_t channels = static_cast<size_t>(m_nChannels);
    m_vResampled.resize(kResampleFrames * channels);
    for (;;) {
      size_t used = 0, made = 0;
      if (soxr_process(m_pResampler, in, frames, &used, m_vResampled.data(), kResampleFrames, &made) != nullptr) {
        return;
      }
      if (made) SDL_AudioStreamPut(m_pStream, m_vResampled.data(), static_cast<int>(made * channels * sizeof(float)));
      if (in) {
        if (!used && !made) return;  // the resampler takes no more: never spin
        in += used * channels;
        frames -= used;
        if (frames == 0) return;
      } else if (made < kResampleFrames) {
        return;  // flushed to the last frame
      }
    }
  }

  // The end of what the current converters will be given: everything they hold goes to the
  // ring.
  void FlushConverters() {
    if (!m_pStream) return;
    if (m_pResampler) Convert(nullptr, 0);
    SDL_AudioStreamFlush(m_pStream);
    Drain();
  }

  // Moves what the converter holds into the ring.
  void Drain() {
    int bytes = SDL_AudioStreamAvailable(m_pStream);
    if (bytes <= 0) return;
    // Drop what has been played before the ring grows.
    if (m_nRead > 0) {
      m_vRing.erase(m_vRing.begin(), m_vRing.begin() + static_cast<std::ptrdiff_t>(2 * m_nRead));
      m_nRead = 0;
    }
    size_t old = m_vRing.size();
    m_vRing.resize(old + static_cast<size_t>(bytes) / sizeof(float));
    int got = SDL_AudioStreamGet(m_pStream, m_vRing.data() + old, bytes);
    m_vRing.resize(old + static_cast<size_t>(std::max(got, 0)) / sizeof(float) / 2 * 2);
  }

  // Decodes one piece of the file into the ring; false when there is nothing more to decode.
  bool Decode() {
    if (!m_bOpen || m_bEnded) return false;
    float** pcm = nullptr;
    int link = 0;
    long piece = kDecodeFrames;
    if (m_pResampler) piece = std::clamp(kPieceOutputFrames * m_nRate / m_pMixer->Rate(), 1L, piece);
    long n = ov_read_float(&m_File, &pcm, static_cast<int>(piece), &link);
    if (n == OV_HOLE) return true;  // a gap in the data: go on after it
    if (n > 0) {
      vorbis_info* info = ov_info(&m_File, link);
      if (info && (info->channels != m_nChannels || info->rate != m_nRate)) {
        // A chained link in another format: what is converted so far goes first.
        FlushConverters();
        if (!StartLink(link)) return Finish();
      }
      m_vInterleave.resize(static_cast<size_t>(n) * static_cast<size_t>(m_nChannels));
      for (long i = 0; i < n; ++i) {
        for (int c = 0; c < m_nChannels; ++c) m_vInterleave[static_cast<size_t>(i * m_nChannels + c)] = pcm[c][i];
      }
      Convert(m_vInterleave.data(), static_cast<size_t>(n));
      Drain();
      return true;
    }
    // The end of the file (or an error): play again from the first sample, or finish. A new
    // pass goes on feeding the same converters, so the seam is as smooth as the file's own
    // samples.
    if (n == 0 && m_nLoops > 0) {
      if (m_nLoops != VOX_LOOP_ENDLESS) --m_nLoops;
      if (ov_pcm_seek(&m_File, 0) == 0) return true;
    }
    return Finish();
  }

  bool Finish() {
    FlushConverters();
    m_bEnded = true;
    return false;
  }

  void CloseLocked() {
    m_bPlaying = false;
    if (m_bOpen) ov_clear(&m_File);
    m_bOpen = false;
    m_bEnded = false;
    FreeConverters();
    m_vRing.clear();
    m_nRead = 0;
  }

  void DecoderLoop() {
    std::unique_lock<std::mutex> lock(m_Mutex);
    for (;;) {
      m_Wake.wait(lock, [this] { return m_bQuit || (m_bPlaying && !m_bEnded && Buffered() < m_nAhead); });
      if (m_bQuit) return;
      Decode();
    }
  }

  AudioMixer* m_pMixer = nullptr;
  std::mutex m_Mutex;
  std::condition_variable m_Wake;
  std::thread m_Decoder;
  bool m_bQuit = false;

  OggVorbis_File m_File{};
  bool m_bOpen = false;
  SDL_AudioStream* m_pStream = nullptr;  // channels to stereo, at the output's rate
  soxr_t m_pResampler = nullptr;          // the link's rate to the output's, or null
  int m_nChannels = 0;
  long m_nRate = 0;
  bool m_bPlaying = false;
  bool m_bEnded = false;  // the last pass is decoded
  int m_nLoops = 0;
  size_t m_nAhead = 0;
  std::vector<float> m_vRing;  // stereo frames at the output rate; m_nRead of them played
  size_t m_nRead = 0;
  std::vector<float> m_vInterleave;
  std::vector<float> m_vResampled;
};

IVox* CreateBuiltinVox() { return VorbisVox::Create(); }

std::atomic<LPCREATEVOX> g_createVox{&CreateBuiltinVox};

// The one module handle of the built-in library.
char g_voxModule;

}  // namespace

HMODULE LoadLibraryA(const char* lpLibFileName) {
  if (!lpLibFileName || strcasecmp(lpLibFileName, "Vox.dll") != 0) return nullptr;
  return reinterpret_cast<HMODULE>(&g_voxModule);
}

FARPROC GetProcAddress(HMODULE hModule, const char* lpProcName) {
  if (hModule != reinterpret_cast<HMODULE>(&g_voxModule) || !lpProcName) return nullptr;
  if (std::string_view(lpProcName) != "CreateVox") return nullptr;
  return reinterpret_cast<FARPROC>(g_createVox.load());
}

BOOL FreeLibrary(HMODULE hLibModule) { return hLibModule == reinterpret_cast<HMODULE>(&g_voxModule) ? TRUE : FALSE; }

void SetCreateVoxForTests(LPCREATEVOX lpfnCreate) { g_createVox.store(lpfnCreate); }

void UseBuiltinVox() { g_createVox.store(&CreateBuiltinVox); }
