#include "app/font_setup.h"

#include "core/log.h"
#include "draw/context.h"
#include "draw/font.h"
#include "draw/surface_ops.h"

namespace {

// The number of characters the full-width cache of a font holds; nothing without the cache.
void ReportFullCache(const char* lpszName, const cFont& font) {
  if (font.m_lpFastFont_FullAdd) ReportLog("%s : %d", lpszName, static_cast<int>(font.m_lpFastFont_FullAdd->m_CharList.size()));
}

}  // namespace

bool CreateStartupFonts(int bPictureChars, int bCenterChars) {
  if (!CreateFonts(g_Font, g_FontDef, FONT_COUNT)) return false;
  g_Font[1].m_bPicture = bPictureChars;
  g_Font[1].m_bCenter = bCenterChars;
  return CreateNumberFonts(g_FontSurface, g_FontSurfaceEntry, FONT_COUNT, g_Font) != 0;
}

void ReportFontCacheCounts() {
  ReportFullCache("Font10", g_Font[0]);
  ReportFullCache("Font16", g_Font[1]);
}

void ReleaseStartupFonts() {
  for (cFont& font : g_Font) font.Release();
  for (DDSURFACEDATA& sheet : g_FontSurface) DDReleaseSurface(&sheet);
}

void DrawFpsText(int nShowFps, const char* lpszText) {
  if (nShowFps == 2) {
    g_Font[0].Printf(&BackBuffer, 549, 469, "%s", lpszText);
  } else if (nShowFps != 0) {
    g_Font[1].PrintfInBox(&BackBuffer, 495, 463, 0, 0, "%s", lpszText);
  }
}
