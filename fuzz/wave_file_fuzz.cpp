// The wave file reader on arbitrary bytes, and what it reads played through a sound buffer:
// no read outside the file, whole sample frames only, and mixing stays within the buffer.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio/wave_file.h"
#include "platform/dsound.h"
#include "platform/mixer.h"

namespace {

std::string FilePath() {
  return "/tmp/tw-fuzz-wave-" + std::to_string(getpid()) + ".wav";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = FilePath();
  static LPDIRECTSOUND ds = [] {
    SetAudioOutputManual(true);
    LPDIRECTSOUND p = nullptr;
    DirectSoundCreate(nullptr, &p, nullptr);
    return p;
  }();
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return 0;
  std::fwrite(data, 1, size, fp);
  std::fclose(fp);

  WAVEDATA wd;
  if (!ReadWaveFile(path.c_str(), &wd)) return 0;
  if (wd.dwSize == 0 || wd.dwSize > size || (wd.wfx.nBlockAlign && wd.dwSize % wd.wfx.nBlockAlign)) __builtin_trap();

  DSBUFFERDESC desc;
  desc.dwSize = sizeof(DSBUFFERDESC);
  desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME;
  desc.dwBufferBytes = wd.dwSize;
  desc.lpwfxFormat = &wd.wfx;
  LPDIRECTSOUNDBUFFER buffer = nullptr;
  if (ds->CreateSoundBuffer(&desc, &buffer, nullptr) == DS_OK) {
    void* p = nullptr;
    DWORD n = 0;
    if (buffer->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER) == DS_OK) {
      std::memcpy(p, wd.lpData, n);
      buffer->Unlock(p, n, nullptr, 0);
    }
    buffer->Play(0, 0, 0);
    std::vector<float> out(2 * 1024);
    AudioMixer* mixer = AcquireAudioOutput();
    mixer->Render(out.data(), 1024);
    ReleaseAudioOutput();
    buffer->Release();
  }
  FreeWaveData(&wd);
  return 0;
}
