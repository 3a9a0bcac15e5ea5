// Sound effects: every effect is a static DirectSound buffer loaded once from a PCM wave file,
// duplicated so that it can sound several times at once; each play takes the next copy.
#pragma once

#include "core/safe_container.h"
#include "platform/dsound.h"
#include "platform/wintypes.h"

// One sound definition, from which start-up makes a slot.
struct DSSOUNDDEF {
  char szName[MAX_PATH] = {};  // wave file path
  int nCopies = 0;             // buffers that may sound at once (below 1 counts as 1)
  int nVolume = 0;             // hundredths of a decibel, -10000..0; 0 leaves full volume
  int nFlag = 0;               // kept for the definition's owner; not read here
};

// One effect slot.
struct DSSOUNDDATA {
  char szName[MAX_PATH] = {};               // the file path
  LPDIRECTSOUNDBUFFER* lplpBuffer = nullptr;  // [0] holds the samples, [1..] its duplicates
  int nCount = 0;                           // copies; set only when every copy was made
  int nNext = 0;                            // the copy the next play uses
  int nBuffers = 0;                         // length of lplpBuffer: what release walks
};

// The program's slots (0..16 the system sounds, database sound n >= 1 in slot n + 16) and their
// definitions, g_vSeSlot and g_vSeDef, are global data objects of the project files.

// The volume of a sound-effect volume step of the user options (0 silent .. 10 full), in
// hundredths of a decibel; a step outside 0..10 is taken as the nearest of them.
int SeAttenuation(int nStep);

// Opens DirectSound for the window and sets the primary format. False (with an error-log
// line) when DirectSound cannot be set up.
bool DS_Init(HWND hWnd, DWORD dwRate, WORD wBits, WORD wChannels);
// Creates every slot of the table that is not yet created from the definition of the same
// index; a nonzero volume replaces each definition's own. Returns 1.
int DSCreate(cSafeVector<DSSOUNDDATA>* lpSlot, cSafeVector<DSSOUNDDEF>* lpDef, int nVolume);
bool DSCreateSe(DSSOUNDDATA* lpSD, const char* lpszFileName, int nCopies, int nVolume);
bool DSLoadWave(LPDIRECTSOUNDBUFFER* lplpDSB, const char* lpszFileName);
bool DSDuplicateBuffer(LPDIRECTSOUNDBUFFER* lplpDSB, LPDIRECTSOUNDBUFFER lpSrc);
// Plays the slot's next copy from its start (a sounding copy is restarted). Callable from
// the window thread and the game thread at once.
void DSPlaySe(DSSOUNDDATA* lpSD, DWORD dwFlags);
// Sets one copy's volume (added to its current one when bRelative is 1), clamped to
// -10000..0; returns the value set, 0 when sound is off or the copy does not exist.
int DSSetSeVolume(DSSOUNDDATA* lpSD, int nIndex, int nVolume, int bRelative);
int DSGetSeVolume(DSSOUNDDATA* lpSD, int nIndex);
void DSReleaseSe(DSSOUNDDATA* lpSD);
// Releases every slot of the table given to DSCreate, then DirectSound.
void DS_Release();
