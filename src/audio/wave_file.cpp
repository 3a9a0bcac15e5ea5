#include "audio/wave_file.h"

#include <cstdio>
#include <new>

#include "core/log.h"

namespace {

bool Fail(HMMIO hmmio) {
  mmioClose(hmmio, 0);
  return false;
}

}  // namespace

bool ReadWaveFile(const char* lpszFileName, WAVEDATA* lpWaveData) {
  HMMIO hmmio = mmioOpen(lpszFileName, nullptr, MMIO_READ | MMIO_ALLOCBUF);
  if (!hmmio) return false;

  MMCKINFO ckRiff;
  ckRiff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  if (mmioDescend(hmmio, &ckRiff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) {
    ReportErrorLog("%s の読み込みに失敗しました…\n不正なファイルです。", lpszFileName);
    return Fail(hmmio);
  }

  MMCKINFO ck;
  ck.ckid = mmioFOURCC('f', 'm', 't', ' ');
  if (mmioDescend(hmmio, &ck, &ckRiff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return Fail(hmmio);
  if (ck.cksize > sizeof(WAVEFORMATEX) ||
      mmioRead(hmmio, reinterpret_cast<char*>(&lpWaveData->wfx), static_cast<LONG>(ck.cksize)) !=
          static_cast<LONG>(ck.cksize)) {
    ReportErrorLog("%s の読み込みに失敗しました…\n対応していない形式か、不正なwavファイルです。\n本ソフトではPCM形式のみ再生できます。",
                   lpszFileName);
    return Fail(hmmio);
  }
  if (lpWaveData->wfx.wFormatTag != WAVE_FORMAT_PCM) {
    ReportErrorLog("%s の読み込みに失敗しました…\nPCM形式以外の形式です。\n本ソフトではPCM形式のみ再生できます。", lpszFileName);
    return Fail(hmmio);
  }
  mmioAscend(hmmio, &ck, 0);

  // "data" is searched from the end of "fmt " on, as the chunks are ordered in a wave file.
  ck.ckid = mmioFOURCC('d', 'a', 't', 'a');
  if (mmioDescend(hmmio, &ck, &ckRiff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return Fail(hmmio);

  // The declared size is not trusted past the end of the file.
  LONG fileEnd = mmioSeek(hmmio, 0, SEEK_END);
  if (fileEnd < 0 || mmioSeek(hmmio, static_cast<LONG>(ck.dwDataOffset), SEEK_SET) < 0) return Fail(hmmio);
  DWORD size = ck.cksize;
  LONG left = fileEnd - static_cast<LONG>(ck.dwDataOffset);
  if (left < static_cast<LONG>(size)) size = left > 0 ? static_cast<DWORD>(left) : 0;
  if (size == 0) return Fail(hmmio);

  auto* data = new (std::nothrow) unsigned char[size];
  if (!data) return Fail(hmmio);
  LONG got = mmioRead(hmmio, reinterpret_cast<char*>(data), static_cast<LONG>(size));
  // Only the bytes read are played, in whole sample frames.
  DWORD bytes = got > 0 ? static_cast<DWORD>(got) : 0;
  if (lpWaveData->wfx.nBlockAlign > 0) bytes -= bytes % lpWaveData->wfx.nBlockAlign;
  if (bytes == 0) {
    delete[] data;
    return Fail(hmmio);
  }
  lpWaveData->lpData = data;
  lpWaveData->dwSize = bytes;
  mmioClose(hmmio, 0);
  return true;
}

void FreeWaveData(WAVEDATA* lpWaveData) {
  delete[] lpWaveData->lpData;
  lpWaveData->lpData = nullptr;
}
