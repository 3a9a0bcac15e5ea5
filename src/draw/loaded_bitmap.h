// A bitmap file loaded as a DIB section for the time of one operation.
#pragma once

#include <cstring>

#include "platform/gdi.h"
#include "platform/wintypes.h"

class cLoadedBitmap {
 public:
  // Loads the file; a name that does not fit in MAX_PATH bytes is not loaded.
  explicit cLoadedBitmap(const char* szFile) {
    if (!szFile || std::strlen(szFile) >= MAX_PATH) return;
    m_hBitmap = LoadImageA(nullptr, szFile, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    if (m_hBitmap && GetObjectA(m_hBitmap, sizeof m_bm, &m_bm) != static_cast<int>(sizeof m_bm)) Free();
  }
  ~cLoadedBitmap() { Free(); }
  cLoadedBitmap(const cLoadedBitmap&) = delete;
  cLoadedBitmap& operator=(const cLoadedBitmap&) = delete;

  bool Loaded() const { return m_hBitmap != nullptr; }
  HANDLE Handle() const { return m_hBitmap; }
  const BITMAP& Info() const { return m_bm; }
  // Colour-table entries of a bitmap of up to 8 bits (0 for deeper ones).
  UINT ColorTable(RGBQUAD* entries, UINT count) const {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, m_hBitmap);
    const UINT n = GetDIBColorTable(dc, 0, count, entries);
    SelectObject(dc, old);
    DeleteDC(dc);
    return n;
  }

 private:
  void Free() {
    if (m_hBitmap) DeleteObject(m_hBitmap);
    m_hBitmap = nullptr;
  }
  HANDLE m_hBitmap = nullptr;
  BITMAP m_bm{};
};
