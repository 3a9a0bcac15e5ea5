#include "project/system_image.h"

#include <cstdio>

#include "core/log.h"
#include "project/system_data.h"

BitmapEntry& SetSystemBitmap(BitmapEntry& entry, const char* file, int nTransmit, int nDDMemory, int nD3DMemory,
                             int bNoTexture, int bPaletteMap, int bOptional, int nMirrorCellW, int nMirrorCellH,
                             int nWidth, int nHeight) {
  std::snprintf(entry.szFileName, sizeof entry.szFileName, "%s", file ? file : "");
  entry.nTransmit = nTransmit;
  entry.nDDMemory = nDDMemory;
  entry.nD3DMemory = nD3DMemory;
  entry.bNoTexture = bNoTexture;
  entry.bPaletteMap = bPaletteMap;
  entry.bOptional = bOptional;
  entry.nMirrorCellW = nMirrorCellW;
  entry.nMirrorCellH = nMirrorCellH;
  entry.nWidth = nWidth;
  entry.nHeight = nHeight;
  return entry;
}

void InitSystemBitmapTable() {
  BitmapEntry* t = g_SystemBitmapTable;
  char name[MAX_PATH];
  SetSystemBitmap(t[0], "bmp\\plt\\Palette.bmp", 0, 1, 0, 0, 0, 0, 0, 0, 0, 0);
  SetSystemBitmap(t[1], "bmp\\Debug.bmp", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  SetSystemBitmap(t[2], "bmp\\Block.bmp", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  SetSystemBitmap(t[3], "bmp\\Block.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0);
  // The character sheets: image 4 + 2n is sheet n + 1 in video memory and image 5 + 2n its
  // mirrored copy; images 22 + 2n and 23 + 2n are the same in system memory. Only sheet 1 is
  // required.
  for (int n = 0; n < 8; ++n) {
    std::snprintf(name, sizeof name, "bmp\\Character%d.bmp", n + 1);
    const int optional = n == 0 ? 0 : 1;
    SetSystemBitmap(t[4 + 2 * n], name, 1, 0, 0, 0, 0, optional, 0, 0, 0, 0);
    SetSystemBitmap(t[5 + 2 * n], name, 1, 0, 0, 1, 0, optional, 32, 0, 0, 0);
    SetSystemBitmap(t[22 + 2 * n], name, 1, 1, 0, 1, 0, optional, 0, 0, 0, 0);
    SetSystemBitmap(t[23 + 2 * n], name, 1, 1, 0, 1, 0, optional, 32, 0, 0, 0);
  }
  SetSystemBitmap(t[20], "bmp\\Shot.bmp", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  SetSystemBitmap(t[21], "bmp\\Shot.bmp", 1, 0, 0, 1, 0, 0, 16, 0, 0, 0);
  SetSystemBitmap(t[38], "bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0);
  SetSystemBitmap(t[39], "bmp\\Shot.bmp", 1, 1, 0, 1, 0, 0, 16, 0, 0, 0);
  SetSystemBitmap(t[40], "bmp\\Item.bmp", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  SetSystemBitmap(t[41], "bmp\\Item.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0);
  SetSystemBitmap(t[42], "bmp\\Item_Mini.bmp", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  SetSystemBitmap(t[43], "bmp\\Mark.bmp", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  SetSystemBitmap(t[44], "bmp\\Mark.bmp", 1, 1, 0, 1, 0, 0, 0, 0, 0, 0);
  SetSystemBitmap(t[45], "bmp\\Window.bmp", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  SetSystemBitmap(t[46], "bmp\\StatusWindow.bmp", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  SetSystemBitmap(t[47], "bmp\\Title.bmp", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  SetSystemBitmap(t[48], "bmp\\GameMode.bmp", 1, 0, 0, 0, 0, 1, 0, 0, 0, 0);
  SetSystemBitmap(t[49], "bmp\\Accessory.bmp", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  SetSystemBitmap(t[50], "bmp\\Symbol.bmp", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  SetSystemBitmap(t[51], "bmp\\Word.bmp", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  SetSystemBitmap(t[52], "bmp\\WorldMapChip.bmp", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  SetSystemBitmap(t[53], "bmp\\WorldEvent.bmp", 1, 1, 0, 0, 0, 0, 0, 0, 0, 0);
  SetSystemBitmap(t[54], "bmp\\WorldBack.bmp", 0, 1, 0, 0, 0, 1, 0, 0, 0, 0);
  // The eight backgrounds, in the working folder itself.
  for (int n = 1; n <= 8; ++n) {
    std::snprintf(name, sizeof name, "背景その%d.bmp", n);
    SetSystemBitmap(t[54 + n], name, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0);
  }
  // Empty surfaces.
  SetSystemBitmap(t[63], "E", 1, 1, 0, 0, 0, 0, 0, 0, 256, 960);
  SetSystemBitmap(t[64], "E", 1, 1, 0, 0, 0, 0, 0, 0, 256, 960);
  SetSystemBitmap(t[65], "E", 1, 1, 0, 0, 0, 0, 0, 0, 640, 480);
  SetSystemBitmap(t[66], "E", 0, 1, 0, 0, 0, 0, 0, 0, 640, 480);
  SetSystemBitmap(t[67], "E", 1, 0, 0, 0, 0, 0, 0, 0, 640, 480);
  SetSystemBitmap(t[68], "E", 1, 1, 0, 1, 0, 0, 0, 0, 640, 480);
  SetSystemBitmap(t[69], "E", 1, 0, 2, 0, 0, 0, 0, 0, 1024, 1024);
  SetSystemBitmap(t[70], "E", 1, 1, 1, 0, 0, 0, 0, 0, 1024, 1024);
}

void InitFontDefs() {
  const int heights[FONT_COUNT] = {9, 16, 30};
  const int pitches[FONT_COUNT] = {10, 16, 32};
  const int caches[FONT_COUNT] = {2, 2, 0};
  for (int i = 0; i < FONT_COUNT; ++i) {
    FONTDEF& f = g_FontDef[i];
    f = FONTDEF();
    std::snprintf(f.szFace, sizeof f.szFace, "%s", "ＭＳ ゴシック");
    f.nWidth = 0;
    f.nHeight = heights[i];
    f.nPitchX = pitches[i];
    f.nPitchY = pitches[i];
    f.nColour = 241;
    f.nBoxImage = 45;
    f.nBoxMargin = 1;
    f.nBoxColour = 240;
    f.nPictImage = 50;
    f.nCache = caches[i];
  }
}

void InitFontSurfaceEntries() {
  for (BitmapEntry& e : g_FontSurfaceEntry) SetSystemBitmap(e, "", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}

int SystemImageSubstitute(int image) {
  // 2k + 3 from 2k + 2 for k = 0..9: the block sheet, the eight character sheets, the shots.
  if (image >= 3 && image <= 21 && image % 2 == 1) return image - 1;
  // 2k + 22 and 2k + 23 from 2k + 4 for k = 0..8: the system-memory copies.
  if (image >= 22 && image <= 39) return image - 18 - (image % 2);
  switch (image) {
    case 41: return 40;
    case 44: return 43;
    case 68: return 67;
    default: return -1;
  }
}

void PrepareFontDefs(int nFontFace, int nCache) {
  if (nFontFace < 0 || nFontFace >= FONT_FACE_COUNT)
    ReportLog("System.dat: font face %d is not in the face table; face %d used", nFontFace, DEFAULT_FONT_FACE);
  const char* face = FontFaceName(nFontFace);
  for (FONTDEF& f : g_FontDef) {
    std::snprintf(f.szFace, sizeof f.szFace, "%s", face);
    if (f.nCache == 2) f.nCache = nCache;
  }
}
