// Reading PCM wave files into memory.
#pragma once

#include "platform/winmm.h"

struct WAVEDATA {
  WAVEFORMATEX wfx;           // the first (up to 18) bytes of the "fmt " chunk as stored
  unsigned char* lpData = nullptr;  // the sample bytes (ReadWaveFile allocates, FreeWaveData frees)
  DWORD dwSize = 0;           // byte count of lpData: whole sample frames
};

// Reads the "fmt " and "data" chunks of a RIFF "WAVE" file into a WAVEDATA that the caller
// has cleared. The format must be PCM with an "fmt " chunk of at most 18 bytes; an invalid
// file or format is written to the report and error logs. A missing file, a missing chunk or
// an empty "data" chunk fail without a line. A "data" chunk that declares more bytes than the
// file holds gives what the file holds, cut to whole sample frames.
bool ReadWaveFile(const char* lpszFileName, WAVEDATA* lpWaveData);

// Frees the sample bytes and clears the pointer.
void FreeWaveData(WAVEDATA* lpWaveData);
