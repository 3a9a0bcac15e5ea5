// WinMM: the wave format record and the multimedia-file (mmio) calls that read RIFF files.
#pragma once

#include "platform/wintypes.h"

// The format of PCM sample data, laid out as in a wave file's "fmt " chunk (18 bytes,
// without padding).
#pragma pack(push, 1)
struct WAVEFORMATEX {
  WORD wFormatTag = 0;
  WORD nChannels = 0;
  DWORD nSamplesPerSec = 0;
  DWORD nAvgBytesPerSec = 0;
  WORD nBlockAlign = 0;
  WORD wBitsPerSample = 0;
  WORD cbSize = 0;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18, "WAVEFORMATEX is stored as 18 bytes");

constexpr WORD WAVE_FORMAT_PCM = 1;

typedef UINT MMRESULT;
typedef DWORD FOURCC;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MMIOERR_CHUNKNOTFOUND = 265;
constexpr MMRESULT MMIOERR_CANNOTSEEK = 263;

// A four-character code as stored in a file: the first character in the lowest byte.
constexpr FOURCC mmioFOURCC(char a, char b, char c, char d) {
  return static_cast<FOURCC>(static_cast<unsigned char>(a)) | (static_cast<FOURCC>(static_cast<unsigned char>(b)) << 8) |
         (static_cast<FOURCC>(static_cast<unsigned char>(c)) << 16) |
         (static_cast<FOURCC>(static_cast<unsigned char>(d)) << 24);
}

// An open multimedia file.
struct HMMIO__;
typedef HMMIO__* HMMIO;

// Extra open parameters; the system always passes null.
struct MMIOINFO;

// One chunk of a RIFF file, as mmioDescend finds it.
struct MMCKINFO {
  FOURCC ckid = 0;         // chunk id
  DWORD cksize = 0;        // size of the chunk's data as declared
  FOURCC fccType = 0;      // form type of a "RIFF" chunk, list type of a "LIST" chunk
  DWORD dwDataOffset = 0;  // file offset of the chunk's data
  DWORD dwFlags = 0;
};

// Open flags: reading is the only mode supported.
constexpr DWORD MMIO_READ = 0x00000000;
constexpr DWORD MMIO_ALLOCBUF = 0x00010000;
// Descend flags.
constexpr UINT MMIO_FINDCHUNK = 0x0010;
constexpr UINT MMIO_FINDRIFF = 0x0020;

// Stands in for mmioOpenA: opens a file for reading through the path resolver. Returns null
// when the file cannot be opened or a writing mode is asked for.
HMMIO mmioOpen(const char* pszFileName, MMIOINFO* pmmioinfo, DWORD fdwOpen);

// Stands in for mmioClose.
MMRESULT mmioClose(HMMIO hmmio, UINT fuClose);

// Stands in for mmioRead: the number of bytes read (0 at the end of the file), -1 on error.
LONG mmioRead(HMMIO hmmio, char* pch, LONG cch);

// Stands in for mmioSeek (origin SEEK_SET, SEEK_CUR or SEEK_END): the new position, -1 on error.
LONG mmioSeek(HMMIO hmmio, LONG lOffset, int iOrigin);

// Stands in for mmioDescend: reads chunk headers from the current position and enters the
// first chunk that matches: MMIO_FINDRIFF a "RIFF" chunk whose form type is lpck->fccType,
// MMIO_FINDCHUNK a chunk whose id is lpck->ckid, no flag the next chunk. Chunks that do not
// match are skipped by their declared size, padded to an even count. With a parent, the
// search stays inside the parent's data. On success lpck is filled and the file is
// positioned at the chunk's data (after the form type of a "RIFF" or "LIST" chunk);
// otherwise MMIOERR_CHUNKNOTFOUND.
MMRESULT mmioDescend(HMMIO hmmio, MMCKINFO* lpck, const MMCKINFO* lpckParent, UINT wFlags);

// Stands in for mmioAscend: positions the file after the chunk (its declared end, padded to
// an even offset).
MMRESULT mmioAscend(HMMIO hmmio, MMCKINFO* lpck, UINT wFlags);
