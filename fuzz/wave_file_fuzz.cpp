// The wave file reader on arbitrary bytes, and what it reads played through a sound buffer:
// no read outside the file, whole sample frames only, and mixing stays within the buffer.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "audio/wave_file.h"
#include "fuzz_files.h"
#include "platform/dsound.h"
#include "platform/mixer.h"

namespace {

void PlayWave(const uint8_t* data, size_t size) {
  const std::string& path = fuzz::Files("fuzz_wave").input;
  static LPDIRECTSOUND ds = [] {
    SetAudioOutputManual(true);
    LPDIRECTSOUND p = nullptr;
    DirectSoundCreate(nullptr, &p, nullptr);
    return p;
  }();
  fuzz::WriteFile(path, data, size);

  WAVEDATA wd;
  if (!ReadWaveFile(path.c_str(), &wd)) return;
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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PlayWave(data, size);
  fuzz::DropMessages();
  return 0;
}
