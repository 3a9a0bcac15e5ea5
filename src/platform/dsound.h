// DirectSound: the device object and static sound buffers, mixed in software into the
// shared audio output (platform/mixer.h).
#pragma once

#include "platform/winmm.h"
#include "platform/wintypes.h"

constexpr HRESULT DS_OK = 0;
constexpr HRESULT DSERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DSERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032u);
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);

// Cooperative level.
constexpr DWORD DSSCL_PRIORITY = 2;

// Buffer capabilities.
constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr DWORD DSBCAPS_STATIC = 0x00000002;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr DWORD DSBCAPS_CTRLPAN = 0x00000040;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr DWORD DSBCAPS_GETCURRENTPOSITION2 = 0x00010000;

constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x00000002;
constexpr DWORD DSBPLAY_LOOPING = 0x00000001;

// Volume in hundredths of a decibel.
constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;

// Limits of a secondary buffer.
constexpr DWORD DSBSIZE_MIN = 4;
constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;
constexpr DWORD DSBFREQUENCY_MIN = 100;
constexpr DWORD DSBFREQUENCY_MAX = 200000;

struct DSBUFFERDESC {
  DWORD dwSize = 0;  // sizeof(DSBUFFERDESC)
  DWORD dwFlags = 0;
  DWORD dwBufferBytes = 0;  // 0 for the primary buffer
  DWORD dwReserved = 0;
  WAVEFORMATEX* lpwfxFormat = nullptr;  // null for the primary buffer
};

// A sound buffer: the primary buffer (the output's format, recorded only: the mix does not
// depend on it) or a static secondary buffer holding PCM samples in their own format, which
// the mixer converts and resamples into the output as it plays.
struct IDirectSoundBuffer {
  // Primary buffer only: records the format (PCM, 1-2 channels, 8 or 16 bits).
  virtual HRESULT SetFormat(const WAVEFORMATEX* pcfxFormat) = 0;
  // The buffer's bytes for writing: the range from dwOffset (wrapping to the start), or the
  // whole buffer with DSBLOCK_ENTIREBUFFER. Duplicates share these bytes.
  virtual HRESULT Lock(DWORD dwOffset, DWORD dwBytes, void** ppvAudioPtr1, DWORD* pdwAudioBytes1, void** ppvAudioPtr2,
                       DWORD* pdwAudioBytes2, DWORD dwFlags) = 0;
  virtual HRESULT Unlock(void* pvAudioPtr1, DWORD dwAudioBytes1, void* pvAudioPtr2, DWORD dwAudioBytes2) = 0;
  // Plays from the current position, once or (DSBPLAY_LOOPING) looping; at the end of a
  // single play the buffer stops and its position returns to 0.
  virtual HRESULT Play(DWORD dwReserved1, DWORD dwPriority, DWORD dwFlags) = 0;
  // Stops; the position stays.
  virtual HRESULT Stop() = 0;
  // The play position in bytes of the buffer's format.
  virtual HRESULT SetCurrentPosition(DWORD dwNewPosition) = 0;
  // Volume in hundredths of a decibel, DSBVOLUME_MIN..DSBVOLUME_MAX (else DSERR_INVALIDPARAM):
  // gain 10^(volume / 2000), silent at DSBVOLUME_MIN.
  virtual HRESULT SetVolume(LONG lVolume) = 0;
  virtual HRESULT GetVolume(LONG* plVolume) = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IDirectSoundBuffer() = default;
};
typedef IDirectSoundBuffer* LPDIRECTSOUNDBUFFER;

struct IDirectSound {
  // The primary buffer (DSBCAPS_PRIMARYBUFFER) or a secondary buffer: PCM format tag, 1 or 2
  // channels, 8 or 16 bits, DSBFREQUENCY_MIN..DSBFREQUENCY_MAX frames per second, nBlockAlign
  // = channels × bits / 8, DSBSIZE_MIN..DSBSIZE_MAX bytes; otherwise DSERR_INVALIDPARAM or
  // DSERR_BADFORMAT. A new secondary buffer is silent (zero samples), stopped, at position 0
  // and full volume.
  virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC* pcDSBufferDesc, LPDIRECTSOUNDBUFFER* ppDSBuffer,
                                    void* pUnkOuter) = 0;
  // A new secondary buffer sharing the original's samples, with its own position, volume
  // and play state (stopped at position 0 and the original's volume).
  virtual HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER pDSBufferOriginal, LPDIRECTSOUNDBUFFER* ppDSBufferDuplicate) = 0;
  // Records the window; every level is accepted.
  virtual HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwLevel) = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IDirectSound() = default;
};
typedef IDirectSound* LPDIRECTSOUND;

// Stands in for DirectSoundCreate: attaches to the shared audio output (opened on first use;
// a silent output when the machine has none). lpGuid is not read: there is one device.
HRESULT DirectSoundCreate(const void* lpGuid, LPDIRECTSOUND* ppDS, void* pUnkOuter);
