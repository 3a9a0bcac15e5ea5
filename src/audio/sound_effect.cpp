#include "audio/sound_effect.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <new>

#include "audio/audio_report.h"
#include "audio/wave_file.h"
#include "core/log.h"

namespace {

LPDIRECTSOUND lpDS = nullptr;  // null: sound is off and every operation does nothing
LPDIRECTSOUNDBUFFER lpDSPrimary = nullptr;
HWND g_hDSWnd = nullptr;
cSafeVector<DSSOUNDDATA>* g_lpSeSlot = nullptr;

const int kSeAttenuation[11] = {-10000, -3000, -2000, -1300, -800, -500, -300, -150, -80, -30, 0};

LPDIRECTSOUNDBUFFER CopyOf(DSSOUNDDATA* lpSD, int nIndex) {
  if (!lpDS || !lpSD || !lpSD->lplpBuffer || nIndex < 0 || nIndex >= lpSD->nCount) return nullptr;
  return lpSD->lplpBuffer[nIndex];
}

}  // namespace

int SeAttenuation(int nStep) {
  if (nStep < 0) nStep = 0;
  if (nStep > 10) nStep = 10;
  return kSeAttenuation[nStep];
}

bool DS_Init(HWND hWnd, DWORD dwRate, WORD wBits, WORD wChannels) {
  RouteAudioReportToLog();
  if (DirectSoundCreate(nullptr, &lpDS, nullptr) != DS_OK) {
    ErrorLog("DIRECTSOUNDCREATE_ERR!");
    lpDS = nullptr;
    return false;
  }
  if (lpDS->SetCooperativeLevel(hWnd, DSSCL_PRIORITY) != DS_OK) {
    ErrorLog("SETCOOPERATIVELEVEL_ERR!");
    return false;
  }
  DSBUFFERDESC desc;
  desc.dwSize = sizeof(DSBUFFERDESC);
  desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
  if (lpDS->CreateSoundBuffer(&desc, &lpDSPrimary, nullptr) != DS_OK) {
    ErrorLog("CREATESOUNDBUFFER_ERR!");
    return false;
  }
  WAVEFORMATEX wfx;
  wfx.wFormatTag = WAVE_FORMAT_PCM;
  wfx.nChannels = wChannels;
  wfx.nSamplesPerSec = dwRate;
  wfx.wBitsPerSample = wBits;
  wfx.nBlockAlign = static_cast<WORD>(wBits / 8 * wChannels);
  wfx.nAvgBytesPerSec = wfx.nBlockAlign * dwRate;
  wfx.cbSize = 18;
  lpDSPrimary->SetFormat(&wfx);  // the mix does not depend on it
  g_hDSWnd = hWnd;
  g_lpSeSlot = nullptr;
  return true;
}

int DSCreate(cSafeVector<DSSOUNDDATA>* lpSlot, cSafeVector<DSSOUNDDEF>* lpDef, int nVolume) {
  g_lpSeSlot = lpSlot;
  for (size_t i = 0; i < lpSlot->size(); ++i) {
    DSSOUNDDATA& slot = (*lpSlot)[i];
    if (slot.lplpBuffer) continue;
    const DSSOUNDDEF& def = lpDef->CheckedAt(static_cast<int>(i));
    DSCreateSe(&slot, def.szName, def.nCopies, nVolume ? nVolume : def.nVolume);
  }
  return 1;
}

bool DSCreateSe(DSSOUNDDATA* lpSD, const char* lpszFileName, int nCopies, int nVolume) {
  if (!lpDS) return true;
  *lpSD = DSSOUNDDATA();
  if (nCopies < 1) nCopies = 1;
  lpSD->lplpBuffer = new (std::nothrow) LPDIRECTSOUNDBUFFER[nCopies]();
  if (!lpSD->lplpBuffer) {
    ErrorLog("%sのメモリ確保失敗！", lpszFileName);
    return false;
  }
  lpSD->nBuffers = nCopies;
  if (!DSLoadWave(&lpSD->lplpBuffer[0], lpszFileName)) return false;
  for (int i = 1; i < nCopies; ++i) {
    if (!DSDuplicateBuffer(&lpSD->lplpBuffer[i], lpSD->lplpBuffer[0])) {
      ErrorLog("%sのメモリ共用バッファの生成失敗！", lpszFileName);
      return false;
    }
  }
  lpSD->nCount = nCopies;
  std::snprintf(lpSD->szName, sizeof lpSD->szName, "%s", lpszFileName);
  if (nVolume) {
    for (int i = 0; i < nCopies; ++i) DSSetSeVolume(lpSD, i, nVolume, 0);
  }
  return true;
}

bool DSLoadWave(LPDIRECTSOUNDBUFFER* lplpDSB, const char* lpszFileName) {
  if (!lpDS) return true;
  WAVEDATA wd;
  if (!ReadWaveFile(lpszFileName, &wd)) {
    ReportErrorLog("%s の読み込みに失敗しました！", lpszFileName);
    return false;
  }
  DSBUFFERDESC desc;
  desc.dwSize = sizeof(DSBUFFERDESC);
  desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME |
                 DSBCAPS_GETCURRENTPOSITION2;
  desc.dwBufferBytes = wd.dwSize;
  desc.lpwfxFormat = &wd.wfx;
  if (lpDS->CreateSoundBuffer(&desc, lplpDSB, nullptr) != DS_OK) {
    ErrorLog("%s生成失敗！", lpszFileName);
    FreeWaveData(&wd);
    return false;
  }
  void* p = nullptr;
  DWORD n = 0;
  if ((*lplpDSB)->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER) == DS_OK) {
    std::copy(wd.lpData, wd.lpData + n, static_cast<unsigned char*>(p));
    (*lplpDSB)->Unlock(p, n, nullptr, 0);
  }
  FreeWaveData(&wd);
  return true;
}

bool DSDuplicateBuffer(LPDIRECTSOUNDBUFFER* lplpDSB, LPDIRECTSOUNDBUFFER lpSrc) {
  return lpDS->DuplicateSoundBuffer(lpSrc, lplpDSB) == DS_OK;
}

void DSPlaySe(DSSOUNDDATA* lpSD, DWORD dwFlags) {
  if (!lpDS || !lpSD || !lpSD->lplpBuffer) return;
  const int count = lpSD->nCount;
  if (count <= 0) return;
  // The copy index is the one state the window thread and the game thread share: each play
  // takes a copy and moves the index on in one step.
  std::atomic_ref<int> next(lpSD->nNext);
  int n = next.load();
  do {
    if (n < 0 || n >= count) return;
  } while (!next.compare_exchange_weak(n, n + 1 < count ? n + 1 : 0));
  LPDIRECTSOUNDBUFFER lpDSB = lpSD->lplpBuffer[n];
  if (!lpDSB) return;
  lpDSB->Stop();
  lpDSB->SetCurrentPosition(0);
  lpDSB->Play(0, 0, dwFlags);
}

int DSSetSeVolume(DSSOUNDDATA* lpSD, int nIndex, int nVolume, int bRelative) {
  LPDIRECTSOUNDBUFFER lpDSB = CopyOf(lpSD, nIndex);
  if (!lpDSB) return 0;
  long long volume = nVolume;
  if (bRelative == 1) volume += DSGetSeVolume(lpSD, nIndex);
  if (volume < DSBVOLUME_MIN) volume = DSBVOLUME_MIN;
  if (volume > DSBVOLUME_MAX) volume = DSBVOLUME_MAX;
  lpDSB->SetVolume(static_cast<LONG>(volume));
  return static_cast<int>(volume);
}

int DSGetSeVolume(DSSOUNDDATA* lpSD, int nIndex) {
  LPDIRECTSOUNDBUFFER lpDSB = CopyOf(lpSD, nIndex);
  if (!lpDSB) return 0;
  LONG volume = 0;
  lpDSB->GetVolume(&volume);
  return static_cast<int>(volume);
}

void DSReleaseSe(DSSOUNDDATA* lpSD) {
  if (!lpSD->lplpBuffer) return;
  // Every buffer that exists, also those of a slot whose copies were not all made.
  for (int i = lpSD->nBuffers - 1; i >= 0; --i) {
    if (lpSD->lplpBuffer[i]) lpSD->lplpBuffer[i]->Release();
  }
  delete[] lpSD->lplpBuffer;
  lpSD->lplpBuffer = nullptr;
  lpSD->nBuffers = 0;
  lpSD->nCount = 0;
  lpSD->nNext = 0;
}

void DS_Release() {
  if (g_lpSeSlot) {
    for (DSSOUNDDATA& slot : *g_lpSeSlot) DSReleaseSe(&slot);
    g_lpSeSlot = nullptr;
  }
  if (lpDSPrimary) {
    lpDSPrimary->Release();
    lpDSPrimary = nullptr;
  }
  if (lpDS) {
    lpDS->Release();
    lpDS = nullptr;
  }
}
