#include "audio/bgm.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "audio/audio_report.h"
#include "core/log.h"
#include "platform/mixer.h"
#include "platform/sjis.h"

namespace {

// The text after the last '.' of the file name's last component, or null when it has none.
// Two-byte characters are stepped over whole: their second byte may be a '\'.
const char* FindExtension(const char* path) {
  const char* ext = nullptr;
  for (const char* p = path; *p; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (IsSjisLeadByte(c) && p[1]) {
      ++p;
    } else if (c == '\\' || c == '/') {
      ext = nullptr;
    } else if (c == '.') {
      ext = p + 1;
    }
  }
  return ext;
}

}  // namespace

// ---- cVox ----

int cVox::Init() {
  m_hModule = LoadLibraryA("Vox.dll");
  m_lpCreateVox = m_hModule ? reinterpret_cast<LPCREATEVOX>(GetProcAddress(m_hModule, "CreateVox")) : nullptr;
  if (!m_lpCreateVox) {
    ErrorBox("oggの初期化に失敗！");
    return 0;
  }
  return 1;
}

void cVox::DestroyObjects() {
  for (int i = 0; i < m_nCount; ++i) {
    if (m_lpVox[i]) m_lpVox[i]->Destroy();
  }
  delete[] m_lpVox;
  m_lpVox = nullptr;
  m_nCount = 0;
  m_nCurrent = -1;
}

int cVox::Create(int nCount) {
  DestroyObjects();
  if (nCount < 0) nCount = 0;
  m_lpVox = new (std::nothrow) IVox*[static_cast<size_t>(nCount)]();
  if (!m_lpVox) {
    OutOfMemoryExit();
    return 0;
  }
  m_nCount = nCount;
  for (int i = 0; i < nCount; ++i) {
    m_lpVox[i] = m_lpCreateVox ? m_lpCreateVox() : nullptr;
    if (!m_lpVox[i]) {
      OutOfMemoryExit();
      return 0;
    }
  }
  return 1;
}

int cVox::Play(int nChannel, const char* lpszFileName, int bLoop) {
  if (!lpszFileName || !*lpszFileName) return 0;
  Stop();
  if (nChannel < 0 || nChannel >= m_nCount || !m_lpVox[nChannel]) return 0;
  IVox* vox = m_lpVox[nChannel];
  vox->Close();
  if (!vox->Open(lpszFileName)) {
    m_nCurrent = -1;
    return 0;
  }
  vox->SetLoop(bLoop ? VOX_LOOP_ENDLESS : 0);
  vox->Play();
  m_nCurrent = nChannel;
  return 1;
}

void cVox::Stop() {
  if (m_nCurrent == -1) return;
  if (m_nCurrent >= 0 && m_nCurrent < m_nCount && m_lpVox[m_nCurrent]) m_lpVox[m_nCurrent]->Stop();
  m_nCurrent = -1;
}

void cVox::Release() {
  DestroyObjects();
  if (m_hModule) FreeLibrary(m_hModule);
  m_hModule = nullptr;
  m_lpCreateVox = nullptr;
}

// ---- cBgmMidi ----

void cBgmMidi::DeleteAll() {
  for (cMidiPlayer*& player : m_vPlayer) {
    delete player;
    player = nullptr;
  }
}

int cBgmMidi::Play(int nChannel, const char* lpszFileName, int bLoop) {
  StopAll(1);
  DeleteAll();
  const char* ext = lpszFileName ? FindExtension(lpszFileName) : nullptr;
  if (!ext || std::strcmp(ext, "mid") != 0) return 0;
  cMidiPlayer* player = new (std::nothrow) cMidiPlayer(lpszFileName);
  if (!player) {
    OutOfMemoryExit();
    return 0;
  }
  cMidiPlayer*& slot = m_vPlayer.CheckedAt(nChannel);
  delete slot;  // a channel outside the table lands on channel 0
  slot = player;
  if (!player->Image()) return 0;
  player->Restart(bLoop);
  return 1;
}

void cBgmMidi::StopAll(int bPause) {
  for (cMidiPlayer* player : m_vPlayer) {
    if (player) player->Stop(bPause);
  }
}

// ---- cBgm ----

cBgm::~cBgm() { Release(); }

int cBgm::Init(int nChannels, char* lpOggName, char* lpMidiName, int nSlots) {
  std::lock_guard<std::recursive_mutex> lock(m_Lock);
  if (m_bInit) Release();
  RouteAudioReportToLog();
  AcquireAudioOutput();
  m_bInit = 1;
  m_Midi.DeleteAll();
  m_Midi.m_vPlayer.clear();
  if (!m_Vox.Init()) {
    ErrorLog("m_Vox.Init失敗！");
    m_Vox.Release();
    m_bInit = 0;
    ReleaseAudioOutput();
    return 0;
  }
  if (!Resize(nChannels)) {
    // An object could not be made: the manager stays off rather than call through null.
    m_Vox.Release();
    m_Midi.m_vPlayer.clear();
    m_vPlaying.clear();
    m_bInit = 0;
    ReleaseAudioOutput();
    return 0;
  }
  m_lpOggName = lpOggName;
  m_lpMidiName = lpMidiName;
  m_vKind.assign(static_cast<size_t>(nSlots > 0 ? nSlots : 0), 0);
  return 1;
}

int cBgm::Resize(int nChannels) {
  std::lock_guard<std::recursive_mutex> lock(m_Lock);
  if (!m_bInit) return 1;
  if (nChannels < 0) nChannels = 0;
  m_Midi.m_vPlayer.resize(static_cast<size_t>(nChannels), nullptr);
  int result = m_Vox.Create(nChannels);
  m_vPlaying.assign(static_cast<size_t>(nChannels), 0);
  return result;
}

int cBgm::SlotIndex(int nSlot) {
  if (nSlot >= 0 && static_cast<size_t>(nSlot) < m_vKind.size()) return nSlot;
  m_vKind.CheckedAt(nSlot);
  return 0;
}

int cBgm::SetFile(int nSlot, const char* lpszFileName) {
  std::lock_guard<std::recursive_mutex> lock(m_Lock);
  if (!m_bInit) return 1;
  if (m_vKind.empty() || !m_lpOggName || !m_lpMidiName) {
    m_vKind.CheckedAt(nSlot);
    return 0;
  }
  const int i = SlotIndex(nSlot);
  if (!lpszFileName) lpszFileName = "";
  const char* ext = FindExtension(lpszFileName);
  if (!ext) {
    OggName(i)[0] = 0;
    MidiName(i)[0] = 0;
    m_vKind[i] = 0;
    return 0;
  }
  if (std::strcmp(ext, "mid") == 0 || std::strcmp(ext, "MID") == 0) {
    const int stem = static_cast<int>(ext - lpszFileName);
    std::snprintf(MidiName(i), BGM_MIDI_NAME, "%.*smid", stem, lpszFileName);
    m_vKind[i] = 2;
    return 1;
  }
  if (std::strcmp(ext, "ogg") == 0 || std::strcmp(ext, "OGG") == 0) {
    std::snprintf(OggName(i), BGM_OGG_NAME, "%s", lpszFileName);
    m_vKind[i] = 1;
    return 1;
  }
  std::snprintf(OggName(i), BGM_OGG_NAME, "%s", lpszFileName);
  std::snprintf(MidiName(i), BGM_MIDI_NAME, "%s", lpszFileName);
  m_vKind[i] = 0;
  return 0;
}

int cBgm::Play(int nChannel, int nSlot, int bLoop, int bPauseMidi, int bForce) {
  std::lock_guard<std::recursive_mutex> lock(m_Lock);
  if (!m_bInit) return 1;
  if (nSlot == m_nSlot && !bForce) return 1;
  m_nSlot = nSlot;
  if (m_vKind.empty() || !m_lpOggName || !m_lpMidiName) {
    m_vKind.CheckedAt(nSlot);
    m_nSlot = -1;
    return 0;
  }
  const int i = SlotIndex(nSlot);
  const int kind = m_vKind[i];
  int& playing = m_vPlaying.CheckedAt(nChannel);
  if (kind == 0 || kind == 1) {
    if (m_Vox.Play(nChannel, OggName(i), bLoop)) {
      playing = 1;
      m_Midi.StopAll(kind == 0 ? bPauseMidi : 0);
      return 1;
    }
  }
  if (kind == 0 || kind == 2) {
    if (m_Midi.Play(nChannel, MidiName(i), bLoop)) {
      playing = 2;
      m_Vox.Stop();
      return 1;
    }
  }
  playing = 0;
  m_nSlot = -1;
  m_Vox.Stop();
  m_Midi.StopAll(0);
  return 0;
}

void cBgm::Stop() {
  std::lock_guard<std::recursive_mutex> lock(m_Lock);
  if (!m_bInit) return;
  m_Midi.StopAll(0);
  m_Vox.Stop();
}

void cBgm::Release() {
  std::lock_guard<std::recursive_mutex> lock(m_Lock);
  if (!m_bInit) return;
  m_Vox.Release();
  m_Midi.DeleteAll();
  m_Midi.m_vPlayer.clear();
  m_vPlaying.clear();
  m_bInit = 0;
  ReleaseAudioOutput();
}
