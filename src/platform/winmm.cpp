#include "platform/winmm.h"

#include <cstdio>
#include <new>

#include "platform/file.h"

struct HMMIO__ {
  FILE* fp = nullptr;
};

namespace {

constexpr FOURCC kRiff = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC kList = mmioFOURCC('L', 'I', 'S', 'T');

DWORD ReadLe32(const unsigned char* p) {
  return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
         (static_cast<DWORD>(p[3]) << 24);
}

// The offset just after a chunk: its data and the pad byte of an odd size.
long long ChunkEnd(long long dataOffset, DWORD size) { return dataOffset + size + (size & 1); }

}  // namespace

HMMIO mmioOpen(const char* pszFileName, MMIOINFO* pmmioinfo, DWORD fdwOpen) {
  // The low two bits select writing or reading and writing, which nothing here needs.
  if (!pszFileName || (fdwOpen & 3) != 0) return nullptr;
  FILE* fp = FileOpen(pszFileName, "rb");
  if (!fp) return nullptr;
  HMMIO h = new (std::nothrow) HMMIO__;
  if (!h) {
    std::fclose(fp);
    return nullptr;
  }
  h->fp = fp;
  return h;
}

MMRESULT mmioClose(HMMIO hmmio, UINT fuClose) {
  if (!hmmio) return MMSYSERR_INVALHANDLE;
  std::fclose(hmmio->fp);
  delete hmmio;
  return MMSYSERR_NOERROR;
}

LONG mmioRead(HMMIO hmmio, char* pch, LONG cch) {
  if (!hmmio || cch < 0 || (!pch && cch > 0)) return -1;
  if (cch == 0) return 0;
  size_t n = std::fread(pch, 1, static_cast<size_t>(cch), hmmio->fp);
  if (n == 0 && std::ferror(hmmio->fp)) return -1;
  return static_cast<LONG>(n);
}

LONG mmioSeek(HMMIO hmmio, LONG lOffset, int iOrigin) {
  if (!hmmio || (iOrigin != SEEK_SET && iOrigin != SEEK_CUR && iOrigin != SEEK_END)) return -1;
  if (std::fseek(hmmio->fp, lOffset, iOrigin) != 0) return -1;
  return std::ftell(hmmio->fp);
}

MMRESULT mmioDescend(HMMIO hmmio, MMCKINFO* lpck, const MMCKINFO* lpckParent, UINT wFlags) {
  if (!hmmio || !lpck) return MMSYSERR_INVALPARAM;
  FILE* fp = hmmio->fp;
  const long long parentEnd = lpckParent ? static_cast<long long>(lpckParent->dwDataOffset) + lpckParent->cksize : -1;
  for (;;) {
    long long pos = std::ftell(fp);
    if (pos < 0) return MMIOERR_CHUNKNOTFOUND;
    if (lpckParent && pos + 8 > parentEnd) return MMIOERR_CHUNKNOTFOUND;
    unsigned char head[12];
    if (std::fread(head, 1, 8, fp) != 8) return MMIOERR_CHUNKNOTFOUND;
    FOURCC id = ReadLe32(head);
    DWORD size = ReadLe32(head + 4);
    FOURCC type = 0;
    bool hasType = id == kRiff || id == kList;
    if (hasType) {
      if (std::fread(head + 8, 1, 4, fp) != 4) return MMIOERR_CHUNKNOTFOUND;
      type = ReadLe32(head + 8);
    }
    bool match;
    if (wFlags & MMIO_FINDRIFF) match = id == kRiff && type == lpck->fccType;
    else if (wFlags & MMIO_FINDCHUNK) match = id == lpck->ckid;
    else match = true;
    long long dataOffset = pos + 8;
    if (match) {
      // Offsets of files over 4 GB cannot be described; no wave file is that large.
      if (dataOffset > 0xFFFFFFFFll) return MMIOERR_CHUNKNOTFOUND;
      lpck->ckid = id;
      lpck->cksize = size;
      lpck->fccType = type;
      lpck->dwDataOffset = static_cast<DWORD>(dataOffset);
      lpck->dwFlags = 0;
      return MMSYSERR_NOERROR;
    }
    if (std::fseek(fp, static_cast<long>(ChunkEnd(dataOffset, size)), SEEK_SET) != 0) return MMIOERR_CHUNKNOTFOUND;
  }
}

MMRESULT mmioAscend(HMMIO hmmio, MMCKINFO* lpck, UINT wFlags) {
  if (!hmmio || !lpck) return MMSYSERR_INVALPARAM;
  if (std::fseek(hmmio->fp, static_cast<long>(ChunkEnd(lpck->dwDataOffset, lpck->cksize)), SEEK_SET) != 0) {
    return MMIOERR_CANNOTSEEK;
  }
  return MMSYSERR_NOERROR;
}
