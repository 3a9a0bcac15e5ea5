#include "app/font_setup.h"

bool CreateStartupFonts(int, int) { return true; }

void ReportFontCacheCounts() {}

void ReleaseStartupFonts() {}

void DrawFpsText(int, const char*) {}
