#include "layer_scene.h"

#include <cstdio>
#include <cstdlib>
#include <algorithm>

#include "draw/draw.h"
#include "platform/display.h"

namespace {

constexpr int kImages = 5;

// The colours of the scene's palette: 0 the transparent magenta, 1..15 plain colours, then a
// run of shades.
uint32_t PaletteColor(int i) {
  static const uint32_t kPlain[16] = {0xFF00FF, 0x202020, 0x3060C0, 0xF0C020, 0xFFFFFF, 0xC03030, 0x30A040,
                                      0x808080, 0xE0E0E0, 0x405060, 0x702090, 0x20B0B0, 0xF08030, 0x90D030,
                                      0x5070F0, 0xF060A0};
  if (i < 16) return kPlain[i];
  const uint32_t n = static_cast<uint32_t>(i);
  return n << 16 | ((n * 3) & 255) << 8 | (255 - n);
}

void Put16(std::string& s, uint32_t v) {
  s.push_back(static_cast<char>(v));
  s.push_back(static_cast<char>(v >> 8));
}

void Put32(std::string& s, uint32_t v) {
  Put16(s, v);
  Put16(s, v >> 16);
}

// An 8-bit BMP with the scene's palette; pixels given top-down.
bool WriteBmp8(const std::string& path, int w, int h, const std::vector<uint8_t>& px) {
  const uint32_t stride = static_cast<uint32_t>((w + 3) & ~3);
  const uint32_t offset = 14 + 40 + 256 * 4;
  std::string s = "BM";
  Put32(s, offset + stride * static_cast<uint32_t>(h));
  Put32(s, 0);
  Put32(s, offset);
  Put32(s, 40);
  Put32(s, static_cast<uint32_t>(w));
  Put32(s, static_cast<uint32_t>(h));
  Put16(s, 1);
  Put16(s, 8);
  for (int i = 0; i < 6; ++i) Put32(s, 0);
  for (int i = 0; i < 256; ++i) Put32(s, PaletteColor(i));
  for (int y = h - 1; y >= 0; --y) {
    std::string row(stride, '\0');
    for (int x = 0; x < w; ++x) row[static_cast<size_t>(x)] = static_cast<char>(px[static_cast<size_t>(y * w + x)]);
    s += row;
  }
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return false;
  const bool ok = std::fwrite(s.data(), 1, s.size(), fp) == s.size();
  return std::fclose(fp) == 0 && ok;
}

// The sheet, 128 × 64: the transparent colour at the top left, the palette block at columns
// 0..15 of rows 8..23, three 32-pixel cells (a disc with an eye, an arrow, a checker) and a
// band of shades below.
std::vector<uint8_t> Sheet() {
  std::vector<uint8_t> px(128 * 64, 0);
  const auto at = [&px](int x, int y) -> uint8_t& { return px[static_cast<size_t>(y * 128 + x)]; };
  for (int n = 0; n < 256; ++n) at(n % 16, 8 + n / 16) = static_cast<uint8_t>(n);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const int dx = x - 16, dy = y - 16, r2 = dx * dx + dy * dy;
      if (r2 < 14 * 14) at(32 + x, y) = r2 >= 12 * 12 ? 1 : 2;
      if ((x - 22) * (x - 22) + (y - 12) * (y - 12) < 9) at(32 + x, y) = 4;
      if (x >= 4 && x < 28 && y >= 16 - (28 - x) / 2 && y < 16 + (28 - x) / 2) at(64 + x, y) = 3;
      at(96 + x, y) = ((x / 4 + y / 4) & 1) ? 5 : 6;
    }
  }
  for (int y = 32; y < 64; ++y) {
    for (int x = 0; x < 128; ++x) at(x, y) = static_cast<uint8_t>(16 + x + (y - 32) * 2 / 4);
  }
  return px;
}

// The debug-text sheet: 16 × 10 cells of 8 × 16, each a framed box showing the bits of its
// byte as bars; transparent around the box.
std::vector<uint8_t> Font() {
  std::vector<uint8_t> px(128 * 160, 0);
  for (int row = 0; row < 10; ++row) {
    for (int col = 0; col < 16; ++col) {
      const int c = row * 16 + col;
      for (int y = 2; y < 14; ++y) {
        for (int x = 1; x < 7; ++x) {
          const bool frame = y == 2 || y == 13 || x == 1 || x == 6;
          const bool bar = y >= 4 && y < 12 && x >= 2 && ((c >> (x - 2)) & 1);
          px[static_cast<size_t>((row * 16 + y) * 128 + col * 8 + x)] = frame ? 8 : (bar ? 12 : 9);
        }
      }
    }
  }
  return px;
}

BitmapEntry Image(const std::string& file, int transmit, int ddMemory, int d3dMemory, int noTexture, int mirror,
                  int w, int h) {
  BitmapEntry e;
  std::snprintf(e.szFileName, sizeof e.szFileName, "%s", file.c_str());
  e.nTransmit = transmit;
  e.nDDMemory = ddMemory;
  e.nD3DMemory = d3dMemory;
  e.bNoTexture = noTexture;
  e.nMirrorCellW = mirror;
  e.nWidth = w;
  e.nHeight = h;
  return e;
}

void Draw(int bDirect3D, int bpp) {
  DDSURFACEDATA* font = &g_SystemImage[1];
  DDSURFACEDATA* sheet = &g_SystemImage[2];
  DDSURFACEDATA* mirrored = &g_SystemImage[3];
  DDSURFACEDATA* work = &g_SystemImage[4];
  // Drawn into the virtual back buffer and copied back when it is switched off.
  DDSetVirtualBackBuffer(1);
  for (int i = 0; i < 12; ++i) DDFillRect(&BackBuffer, 0, i * 40, 640, 40, static_cast<DWORD>(16 + i * 20));
  for (int k = 0; k < 3; ++k) {
    DDBltFast(&BackBuffer, 20 + k * 40, 20, 32, 32, sheet, 32 + 32 * k, 0, 1);
    DDBltFast(&BackBuffer, 160 + k * 40, 20, 32, 32, mirrored, 32 + 32 * k, 0, 1);
  }
  DDSetVirtualBackBuffer(0);
  // Scaled, mirrored by a negative width (Direct3D), and a band of shades stretched.
  DDBlt(&BackBuffer, 300, 20, 64, 64, sheet, 32, 0, 32, 32, 1);
  DDBlt(&BackBuffer, 380, 20, 64, 64, sheet, 64, 0, -32, 32, 1);
  DDBlt(&BackBuffer, 20, 100, 600, 40, sheet, 0, 32, 128, 32, 0);
  // A work surface: an opaque copy carries the sprite's transparency into it.
  DDFillRect(work, 0, 0, 128, 64, 9);
  DDBltFast(work, 8, 8, 32, 32, sheet, 32, 0, 0);
  DDBltFast(work, 48, 8, 32, 32, sheet, 96, 0, 1);
  DDBltFast(&BackBuffer, 20, 160, 128, 64, work, 0, 0, 1);
  // Swatches of the loaded palette, with a clipped one at the edge.
  for (int i = 0; i < 16; ++i) DDFillRect(&BackBuffer, 400 + (i % 8) * 28, 160 + (i / 8) * 28, 24, 24, 1 + i);
  DDFillRect(&BackBuffer, 620, 240, 40, 40, 5);
  // The checker cell over the band of colour 136: at half alpha (the vertex alpha modulating
  // the texture's, as the effects set it), and with its colour modulated by a tint (Direct3D;
  // DirectDraw draws both as plain blits).
  DDBLTEX half;
  half.dwDiffuse = 0x80FFFFFF;
  DDSetAlphaOp(D3DTOP_MODULATE);
  DDBltFastEx(&BackBuffer, 200, 244, 32, 32, sheet, 96, 0, 1, &half);
  DDResetAlphaOp();
  DDBLTEX tint;
  tint.dwDiffuse = 0xFF7FBF3F;
  DDBltFastEx(&BackBuffer, 240, 244, 32, 32, sheet, 96, 0, 1, &tint);
  DDDebugTextF(&BackBuffer, 8, 400, 8, 16, font, "DRAWING LAYER\n%s %d BIT\n\xB1\xB2\xB3", bDirect3D ? "D3D" : "DDRAW",
               bpp);
}

}  // namespace

bool OpenLayerScene(int bDirect3D, int bpp, const std::string& workDir) {
  const std::string sheetFile = workDir + "/sheet.bmp", fontFile = workDir + "/font.bmp";
  if (!WriteBmp8(sheetFile, 128, 64, Sheet()) || !WriteBmp8(fontFile, 128, 160, Font())) return false;
  static BitmapEntry table[kImages];
  const BitmapEntry entries[kImages] = {
      Image(sheetFile, 0, 1, DTMEMORYTYPE_SYSTEM, 0, 0, 0, 0), Image(fontFile, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0, 0, 0),
      Image(sheetFile, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0, 0, 0),
      Image(sheetFile, 1, 1, DTMEMORYTYPE_VIDEO_RT, 1, 32, 0, 0), Image("E", 1, 1, DTMEMORYTYPE_VIDEO_RT, 0, 0, 128, 64),
  };
  std::copy(entries, entries + kImages, table);
  HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5CE7E));
  const int windowMode = bDirect3D ? 1 : 0;
  gfx::ResetHeadlessPresenter();
  bool ok = DDInit(bDirect3D, window, 640, 480, bpp, 0, windowMode, 1, 60, 0, g_SystemImage, table, kImages);
  ok = ok && DDLoadPaletteFromFile(DDPalette, table[0].szFileName, 0);
  ok = ok && DDSetTransmitFromFile(table[0].szFileName) == 1;
  // The mirrored sheet is drawn from the plain one under Direct3D.
  g_SystemImage[3].lpSubstitute = &g_SystemImage[2];
  const int images[kImages] = {0, 1, 2, 3, 4};
  ok = ok && DDLoadSystemBitmaps(g_SystemImage, images, kImages);
  if (!ok) CloseLayerScene(bDirect3D, false, nullptr);
  return ok;
}

bool CloseLayerScene(int bDirect3D, bool show, LayerSceneFrame* frame) {
  bool ok = show;
  if (show) {
    if (bDirect3D) {
      ok = DDPresent(0, 0, nullptr) == 1;
    } else {
      ok = SUCCEEDED(PrimarySD.lpDDObj->lpSurface->Flip(nullptr, DDFLIP_WAIT));
    }
  }
  DDEnd();
  g_SystemImage[3].lpSubstitute = nullptr;
  const gfx::ShownFrame shown = gfx::HeadlessLastFrame();
  if (!ok || shown.argb.empty() || !frame) return false;
  frame->width = shown.width;
  frame->height = shown.height;
  frame->argb = shown.argb;
  return true;
}

bool DrawLayerScene(int bDirect3D, int bpp, const std::string& workDir, LayerSceneFrame* frame) {
  if (!OpenLayerScene(bDirect3D, bpp, workDir)) return false;
  Draw(bDirect3D, bpp);
  return CloseLayerScene(bDirect3D, true, frame);
}

bool LayerSpritesOpen(const std::string& workDir) {
  const std::string sheetFile = workDir + "/sheet.bmp";
  if (!WriteBmp8(sheetFile, 128, 64, Sheet())) return false;
  static BitmapEntry table[kImages];
  for (int i = 0; i < kImages; ++i) table[i] = Image(sheetFile, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0, 0, 0);
  gfx::ResetHeadlessPresenter();
  HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5CE7E));
  bool ok = DDInit(1, window, 640, 480, 32, 0, 1, 1, 60, 0, g_SystemImage, table, kImages);
  ok = ok && DDLoadPaletteFromFile(DDPalette, sheetFile.c_str(), 0);
  ok = ok && DDSetTransmitFromFile(sheetFile.c_str()) == 1;
  const int images[1] = {2};
  ok = ok && DDLoadSystemBitmaps(g_SystemImage, images, 1);
  if (!ok) DDEnd();
  return ok;
}

void LayerSpritesDraw(int count) {
  DDBeginSpriteBatch(0);
  for (int k = 0; k < count; ++k) {
    DDBltFast(&BackBuffer, (k * 37) % 608, (k * 53) % 448, 32, 32, &g_SystemImage[2], 32 * (1 + k % 3), 0, 1);
  }
  DDFlushSpriteBatch();
}

void LayerSpritesClose() { DDEnd(); }

uint64_t FrameHash(const LayerSceneFrame& frame) {
  uint64_t h = 14695981039346656037ull;
  for (uint32_t p : frame.argb) {
    for (int k = 0; k < 4; ++k) {
      h ^= (p >> (8 * k)) & 0xFF;
      h *= 1099511628211ull;
    }
  }
  return h;
}
