#include "draw/frames_numbers.h"

#include "draw/blit.h"
#include "draw/fill.h"
#include "draw/rect_batch.h"

void DDFrameRect(DDSURFACEDATA* lpSD, int x, int y, int nWidth, int nHeight, int nThickness, DWORD dwPalNum) {
  DDBeginRectBatch();
  DDFillRect(lpSD, x, y, nWidth, nThickness, dwPalNum);
  DDFillRect(lpSD, x, y + nHeight - nThickness, nWidth, nThickness, dwPalNum);
  DDFillRect(lpSD, x, y, nThickness, nHeight, dwPalNum);
  DDFillRect(lpSD, x + nWidth - nThickness, y, nThickness, nHeight, dwPalNum);
  DDFlushRectBatch();
}

void DDBltFramed(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nMargin,
                 DWORD dwPalNum) {
  DDBltFast(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, 0, 0, 0);
  DDFrameRect(lpDstSD, x - nMargin, y - nMargin, nWidth + 2 * nMargin, nHeight + 2 * nMargin, nMargin, dwPalNum);
}

void DDDrawNumber(DDSURFACEDATA* lpDstSD, int x, int y, int nCellWidth, int nCellHeight, DDSURFACEDATA* lpSrcSD,
                  int nSrcX, int nSrcY, int nFlags, int nValue, int nMinDigits, int bCenter) {
  if (nValue < 0) return;
  int digits[10];
  int n = 0;
  do {
    digits[n++] = nValue % 10;
    nValue /= 10;
  } while (nValue > 0);
  int pad = 0;
  if (n < nMinDigits) {
    pad = (nMinDigits - n) * nCellWidth;
    if (bCenter) pad /= 2;
  }
  for (int k = 0; k < n; ++k) {
    const int digit = digits[n - 1 - k];
    DDBltFast(lpDstSD, x + pad + k * nCellWidth, y, nCellWidth, nCellHeight, lpSrcSD, nSrcX + digit * nCellWidth, nSrcY,
              nFlags);
  }
}
