// The system's own images and fonts: the table of the 71 system images (the bitmap file and the
// creation parameters of each image number), the three font definitions and the parameters of
// the fonts' digit sheets. The tables are filled by static construction; start-up completes
// them (LinkSurfaceTables, PrepareFontDefs) before the drawing layer makes the surfaces and
// fonts from them.
//
// Other texts call the image table g_SystemImageTable; the names here are the ones to use.
#pragma once

#include <cstddef>

#include "draw/bitmap_entry.h"
#include "draw/font_def.h"

constexpr int SYSTEM_IMAGE_COUNT = 71;
constexpr int FONT_COUNT = 3;

// Defined with the other global data objects.
extern BitmapEntry g_SystemBitmapTable[SYSTEM_IMAGE_COUNT];
extern FONTDEF g_FontDef[FONT_COUNT];
extern BitmapEntry g_FontSurfaceEntry[FONT_COUNT];

// Fill the three tables with their fixed contents.
void InitSystemBitmapTable();
void InitFontDefs();
void InitFontSurfaceEntries();

// Copies the file name (cut to the entry's buffer) and stores the ten numbers in member order;
// returns the entry.
BitmapEntry& SetSystemBitmap(BitmapEntry& entry, const char* file, int nTransmit, int nDDMemory, int nD3DMemory,
                             int bNoTexture, int bPaletteMap, int bOptional, int nMirrorCellW, int nMirrorCellH,
                             int nWidth, int nHeight);

// The image from whose texture a system image without a texture of its own is drawn (Direct3D):
// each mirrored sheet from the sheet before it, the system-memory copies of the sheets from the
// video-memory ones, and images 41, 44, 68 from 40, 43, 67. −1 for every other image.
int SystemImageSubstitute(int image);

// Sets the substitute surface (lpSubstitute) of every system image that has one, in the array
// of the system image surfaces. Start-up calls it once the drawing device is set up and before
// the first system images are made.
template <class Surface, size_t N>
void LinkSurfaceTables(Surface (&images)[N]) {
  static_assert(N == SYSTEM_IMAGE_COUNT, "one surface per system image");
  for (int i = 0; i < SYSTEM_IMAGE_COUNT; ++i) {
    const int s = SystemImageSubstitute(i);
    if (s >= 0) images[i].lpSubstitute = &images[s];
  }
}

// Start-up's completion of the font definitions before the fonts are made: the face of every
// definition becomes the font face table's entry nFontFace (the default face, with a line in
// the report log, for an index outside the table), and a cache setting of 2 becomes nCache, the
// configuration's cache setting of the drawing mode in use.
void PrepareFontDefs(int nFontFace, int nCache);
