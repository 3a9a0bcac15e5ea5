#include "app/palette_anim.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/log.h"
#include "draw/context.h"
#include "draw/palette.h"
#include "platform/ddraw.h"
#include "platform/file.h"
#include "platform/gdi.h"
#include "project/system_data.h"
#include "project/system_image.h"
#include "app/startup.h"

FlashColor g_FlashColor[10];

int GetFlashColor(int index, uint32_t* lpColor, int32_t* lpColorOp) {
  if (index < 1 || index > 9) return 0;
  *lpColor = g_FlashColor[index].dwColor;
  *lpColorOp = g_FlashColor[index].nColorOp;
  return 1;
}

namespace {

constexpr int32_t kTopAdd = 7;
constexpr int32_t kTopSubtract = 10;

struct PulseState {
  int value[9] = {};
  int direction[9] = {};
  int cycle = 0;
  int calls = 0;
} g_Pulse;

bool Is8BitDirectDraw() { return !lpDTCon && lpDDCon && DDBpp == 8; }

uint32_t Rgb(int r, int g, int b) {
  return 0xFF000000u | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
}

bool ReadBlendTable(const char* lpszFile) {
  FILE* fp = FileOpen(lpszFile, "rb");
  if (!fp) return false;
  const size_t n = std::fread(g_BlendTable, 1, sizeof(g_BlendTable), fp);
  std::fclose(fp);
  return n == sizeof(g_BlendTable);
}

}  // namespace

int PingPongStep(int* lpValue, int* lpDirection, int nStep, int nLow, int nHigh) {
  const int step = std::max(nStep, 0);
  if (*lpDirection == 0) {
    *lpValue += step;
    if (*lpValue >= nHigh) {
      *lpValue -= step;
      *lpDirection = 1;
    }
    return 0;
  }
  *lpValue -= step;
  if (*lpValue <= nLow) {
    *lpValue += step;
    *lpDirection = 0;
    return 1;
  }
  return 0;
}

void ApplyHbtScheme(PALETTEENTRY* lpPalette, int n) {
  n = std::clamp(n, 0, HBT_SCHEME_MAX);
  PALETTEENTRY range[192];
  std::memcpy(range, lpPalette + 16, sizeof(range));
  for (int i = 0; i < 192; ++i) {
    lpPalette[16 + i] = n < 12 ? range[(i + n * 16) % 192] : range[(n - 12) * 16 + i % 16];
  }
}

void HbtFileName(char* lpszFile, int n) {
  std::snprintf(lpszFile, MAX_PATH, "bmp\\hbt\\hbt%02d.dat", std::clamp(n, 0, HBT_SCHEME_MAX));
}

int LoadHbtPalette(int n) {
  if (!Is8BitDirectDraw()) return 1;
  char file[MAX_PATH];
  HbtFileName(file, n);
  if (!ReadBlendTable(file)) {
    ErrorBoxF("%s の読み込みに失敗！", file);
    return 0;
  }
  if (!DDLoadPaletteFromFile(DDPalette, g_SystemBitmapTable[0].szFileName, g_bWindowed)) {
    ErrorLog("DDLoadPaletteFromFile失敗");
    return 0;
  }
  ApplyHbtScheme(DDPalette, n);
  std::memcpy(DDPaletteWork, DDPalette, sizeof(DDPaletteWork));
  if (lpDDPal) lpDDPal->SetEntries(0, 0, 255, DDPaletteWork);
  return 1;
}

void ResetPaletteAnimation() { g_Pulse = PulseState(); }

void AnimatePalette() {
  if (!lpDTCon) {
    if (!lpDDCon || !g_SystemData.m_bPaletteAnim || DDBpp != 8) return;
    if (++g_Pulse.calls < 6) return;
    g_Pulse.calls = 0;
    for (int g = 0; g < 8; ++g) {
      PALETTEENTRY* group = DDPaletteWork + 208 + 4 * g;
      const PALETTEENTRY first = group[0];
      std::memmove(group, group + 1, 3 * sizeof(PALETTEENTRY));
      group[3] = first;
    }
    if (lpDDPal) lpDDPal->SetEntries(0, 208, 32, DDPaletteWork + 208);
    return;
  }
  int v[9];
  for (int i = 0; i < 9; ++i) v[i] = g_Pulse.value[i];
  const int s = g_SystemData.m_nPaletteAnimStep;
  const int cycle = g_Pulse.cycle;
  for (int i = 0; i < 9; ++i) {
    if (PingPongStep(&g_Pulse.value[i], &g_Pulse.direction[i], s, 0, 255) && i == 8) {
      g_Pulse.cycle = (g_Pulse.cycle + 1) % 4;
    }
  }
  g_FlashColor[1] = {Rgb(v[0], v[0], v[0]), kTopAdd};
  g_FlashColor[2] = {Rgb(v[1], v[1], v[1]), kTopSubtract};
  g_FlashColor[3] = {Rgb(v[2], 0, 0), kTopAdd};
  g_FlashColor[4] = {Rgb(0, v[3], 0), kTopAdd};
  g_FlashColor[5] = {Rgb(0, 0, v[4]), kTopAdd};
  g_FlashColor[6] = {Rgb(v[5], v[5], 0), kTopAdd};
  g_FlashColor[7] = {Rgb(v[6], 0, v[6] / 4), kTopAdd};
  g_FlashColor[8] = {Rgb(v[7] / 4, 0, v[7]), kTopAdd};
  static constexpr int kCycle[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}};
  const int* c = kCycle[cycle];
  g_FlashColor[9] = {Rgb(v[8] * c[0], v[8] * c[1], v[8] * c[2]), kTopAdd};
}
