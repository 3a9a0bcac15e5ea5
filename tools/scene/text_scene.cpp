#include "text_scene.h"

#include <cstdint>

#include "draw/draw.h"
#include "draw/font.h"
#include "platform/display.h"

namespace {

// The scene's palette (0x00RRGGBB): 0 the transparent magenta, then the colours it uses, then
// a run of blues for the background.
uint32_t PaletteColor(int i) {
  static const uint32_t kPlain[12] = {0xFF00FF, 0x101018, 0xFFFFFF, 0xF8D040, 0x203870, 0xC0D0F0,
                                      0xE04040, 0x40C060, 0x4080E0, 0xF0A0C0, 0x808890, 0x000000};
  if (i < 12) return kPlain[i];
  const uint32_t n = static_cast<uint32_t>(i);
  return (n / 8) << 16 | (n / 4) << 8 | (64 + n / 2);
}

constexpr int kBox = 0, kPictures = 1, kImages = 2;

BitmapEntry Empty(int w, int h) {
  BitmapEntry e;
  std::snprintf(e.szFileName, sizeof e.szFileName, "E");
  e.nTransmit = 1;
  e.nWidth = w;
  e.nHeight = h;
  return e;
}

void SetPalette() {
  for (int i = 0; i < 256; ++i) {
    const uint32_t c = PaletteColor(i);
    DDPalette[i] = PALETTEENTRY{static_cast<BYTE>(c >> 16), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c), 0};
    DDPaletteWork[i] = DDPalette[i];
  }
  if (!lpDTCon && DDBpp == 8 && lpDDPal) lpDDPal->SetEntries(0, 0, 256, DDPalette);
  DDSetTransmit(255, 0, 255);
}

// The box picture (a dark panel with a lighter band) and the picture characters: 26 cells of
// 16 × 16, each a coloured square with a notch that moves with the letter.
void DrawImages() {
  DDSURFACEDATA* box = &g_SystemImage[kBox];
  DDFillRect(box, 0, 0, 640, 480, 4);
  for (int y = 0; y < 480; y += 8) DDFillRect(box, 0, y, 640, 2, 1);
  DDSURFACEDATA* pictures = &g_SystemImage[kPictures];
  DDFillRect(pictures, 0, 0, 26 * 16, 16, 0);
  for (int k = 0; k < 26; ++k) {
    DDFillRect(pictures, k * 16 + 2, 2, 12, 12, static_cast<DWORD>(6 + k % 4));
    DDFillRect(pictures, k * 16 + 2 + (k % 10), 6, 2, 4, 2);
  }
}

void Draw(int bDirect3D) {
  for (int i = 0; i < 12; ++i) DDFillRect(&BackBuffer, 0, i * 40, 640, 40, static_cast<DWORD>(24 + i * 16));
  DDSURFACEDATA* box = &g_SystemImage[kBox];
  DDSURFACEDATA* pictures = &g_SystemImage[kPictures];
  // The three fonts of a new project (cells 10, 16 and 32), the middle one with caches and
  // picture characters, and a proportional one.
  cFont small, menu, large, prop;
  small.Create("ＭＳ ゴシック", 0, 9, 10, 10, 5, box, 1, 2, nullptr, 0);
  menu.Create("ＭＳ ゴシック", 0, 16, 16, 16, 2, box, 1, 2, pictures, 1);
  large.Create("ＭＳ ゴシック", 0, 30, 32, 32, 3, box, 2, 3, nullptr, 0);
  prop.Create("ＭＳ Ｐ明朝", 0, 20, 0, 24, 2, box, 1, 5, nullptr, 0);
  large.Print(&BackBuffer, 96, 40, "テッセル WHIRL");
  prop.Print(&BackBuffer, 40, 96, "明朝の文字は幅がそれぞれ違う: Proportional text");
  menu.PrintInBox(&BackBuffer, FONT_CENTER, 176, 0, 0,
                  "はじめから  NEW GAME\nつづきから  CONTINUE\nチャレンジ  CHALLENGE\nオプション  OPTIONS\n"
                  "おわる      QUIT",
                  16);
  menu.Print(&BackBuffer, 40, 300, "abc xyz: 絵文字");
  menu.Print(&BackBuffer, 40, 320, "abc xyz: letters", 1);
  menu.Printf(&BackBuffer, 40, 360, "SCORE %06d  残り %d 人  ｽｺｱ", 123450, 3);
  small.PrintfInBox(&BackBuffer, 440, 420, 0, 0, "%s %d BIT  ﾃｽﾄ", bDirect3D ? "D3D" : "DDRAW", DDBpp);
}

}  // namespace

bool DrawTextScene(int bDirect3D, int bpp, LayerSceneFrame* frame) {
  BitmapEntry table[kImages] = {Empty(640, 480), Empty(26 * 16, 16)};
  HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7E47));
  const int windowMode = bDirect3D ? 1 : 0;
  gfx::ResetHeadlessPresenter();
  bool ok = DDInit(bDirect3D, window, 640, 480, bpp, 0, windowMode, 1, 60, 0, g_SystemImage, table, kImages);
  if (ok) SetPalette();
  const int images[kImages] = {kBox, kPictures};
  ok = ok && DDLoadSystemBitmaps(g_SystemImage, images, kImages);
  if (ok) {
    DrawImages();
    Draw(bDirect3D);
  }
  return CloseLayerScene(bDirect3D, ok, frame);
}
