// Draws a named test scene through the software graphics device and writes the shown frame as
// a PNG file, so that a person can look at what the device draws.
//
//   scene_png <scene> <out.png> [bitmap.bmp]
//   scene_png --list
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "device_canvas.h"
#include "effect_scene.h"
#include "layer_scene.h"
#include "text_scene.h"
#include "draw/png_file.h"
#include "platform/d3d9.h"
#include "platform/d3dx9.h"
#include "platform/ddraw.h"
#include "platform/display.h"

namespace {

constexpr int kW = 640;
constexpr int kH = 480;

// ---- Direct3D scenes ----

// A 32 × 32 sprite: a disc with a border and an arrow, transparent around the disc.
uint32_t Sprite(int x, int y) {
  const int dx = x - 16, dy = y - 16, r2 = dx * dx + dy * dy;
  if (r2 >= 15 * 15) return 0;
  if (r2 >= 13 * 13) return 0xFF202020;
  if (y >= 8 && y < 24 && x >= 6 + (y >= 16 ? 24 - y : y - 8) / 2 && x < 26 - std::abs(y - 16)) return 0xFFFFE040;
  return 0xFF3060C0 + static_cast<uint32_t>(y * 2);
}

bool SceneBlits(const char*) {
  DeviceCanvas c;
  IDirect3DTexture9* bg = c.Make(64, 64, [](int x, int y) {
    return 0xFF000000u | static_cast<uint32_t>(x * 4) << 16 | static_cast<uint32_t>(y * 4) << 8 | 0x60;
  });
  IDirect3DTexture9* sheet = c.Make(64, 32, [](int x, int y) { return Sprite(x % 32, y) ^ (x >= 32 ? 0x00C03000u : 0); });
  c.Stage(D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
  c.Blit(0, 0, kW, kH, bg, 0, 0, 64, 64);  // scaled ten times
  // Row 1: unscaled, mirrored left-right, upside down, both cells, scaled ×2 and ×3.
  c.Blit(20, 20, 32, 32, sheet, 0, 0, 32, 32);
  c.Blit(70, 20, 32, 32, sheet, 32, 0, -32, 32);
  c.Blit(120, 20, 32, 32, sheet, 0, 32, 32, -32);
  c.Blit(170, 20, 64, 32, sheet, 0, 0, 64, 32);
  c.Blit(250, 20, 64, 64, sheet, 0, 0, 32, 32);
  c.Blit(330, 20, 96, 96, sheet, 32, 0, 32, 32);
  // Row 2: rotations by 0, 30, 45, 90 and 135 degrees.
  const float angles[] = {0, 30, 45, 90, 135};
  for (int i = 0; i < 5; ++i) c.Rotated(60 + i * 70, 170, 32, 32, sheet, angles[i]);
  // Row 3: colour operations: vertex colour, added flash, subtracted flash, translucent.
  c.Blit(20, 240, 64, 64, sheet, 0, 0, 32, 32, 0xFFFF8080);
  c.Stage(D3DTOP_ADD, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
  c.Blit(100, 240, 64, 64, sheet, 0, 0, 32, 32, 0xFF806040);
  c.Stage(D3DTOP_SUBTRACT, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
  c.Blit(180, 240, 64, 64, sheet, 0, 0, 32, 32, 0xFF806040);
  c.Stage(D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_DIFFUSE);
  c.Blit(260, 240, 64, 64, sheet, 0, 0, 32, 32, 0x80FFFFFF);
  c.dev()->SetRenderState(D3DRS_TEXTUREFACTOR, 0x4000FF00);
  c.dev()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BLENDFACTORALPHA);
  c.dev()->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
  c.dev()->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  c.Blit(340, 240, 64, 64, sheet, 0, 0, 32, 32);
  // Row 4: opaque and translucent fills.
  c.Fill(20, 340, 200, 60, 0xFFC02020);
  c.Fill(120, 370, 200, 80, 0x8020C020);
  c.Fill(260, 330, 100, 100, 0x00000000);  // alpha 0 changes nothing
  c.Present();
  return true;
}

bool SceneBitmap(const char* file) {
  if (!file) {
    std::fprintf(stderr, "scene bitmap needs a BMP file\n");
    return false;
  }
  DeviceCanvas c;
  c.Fill(0, 0, kW, kH, 0xFF404040);
  IDirect3DTexture9* tex = nullptr;
  D3DXIMAGE_INFO info{};
  const HRESULT hr = D3DXCreateTextureFromFileExA(c.dev(), file, 0, 0, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                                  D3DX_FILTER_NONE, D3DX_DEFAULT, 0xFFFF00FF, &info, nullptr, &tex);
  if (FAILED(hr)) {
    std::fprintf(stderr, "cannot read %s\n", file);
    return false;
  }
  c.Keep(tex);
  c.Stage(D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
  const int w = static_cast<int>(info.Width), h = static_cast<int>(info.Height);
  c.Blit(0, 0, w, h, tex, 0, 0, w, h);  // magenta is transparent
  c.Present();
  return true;
}

// ---- DirectDraw scenes ----

bool SceneDirectDraw(DWORD bpp) {
  IDirectDraw7* dd = nullptr;
  DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr);
  HWND hwnd = reinterpret_cast<HWND>(1);
  dd->SetCooperativeLevel(hwnd, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWREBOOT);
  dd->SetDisplayMode(kW, kH, bpp, 60, 0);
  DDSURFACEDESC2 d{};
  d.dwSize = 124;
  d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  d.dwBackBufferCount = 1;
  IDirectDrawSurface7* primary = nullptr;
  IDirectDrawSurface7* back = nullptr;
  dd->CreateSurface(&d, &primary, nullptr);
  DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
  primary->GetAttachedSurface(&caps, &back);
  IDirectDrawPalette* pal = nullptr;
  if (bpp == 8) {
    PALETTEENTRY e[256];
    for (int i = 0; i < 256; ++i) {
      e[i] = PALETTEENTRY{static_cast<BYTE>((i & 0xE0)), static_cast<BYTE>((i & 0x1C) << 3),
                          static_cast<BYTE>((i & 0x03) << 6), PC_RESERVED};
    }
    dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, e, &pal, nullptr);
    primary->SetPalette(pal);
  }
  // A pixel value of the display for a colour of 3-3-2 bits (the 8-bit palette above).
  auto color = [&](uint32_t r3, uint32_t g3, uint32_t b2) -> DWORD {
    if (bpp == 8) return r3 << 5 | g3 << 2 | b2;
    const uint32_t r = r3 * 255 / 7, g = g3 * 255 / 7, b = b2 * 255 / 3;
    if (bpp == 16) return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
    return r << 16 | g << 8 | b;
  };
  DDSURFACEDESC2 od{};
  od.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  od.dwWidth = 32;
  od.dwHeight = 32;
  od.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  IDirectDrawSurface7* sprite = nullptr;
  dd->CreateSurface(&od, &sprite, nullptr);
  DDBLTFX fx{100, color(0, 0, 0)};
  sprite->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);  // key colour: black
  RECT disc[3] = {{8, 2, 24, 30}, {2, 8, 30, 24}, {5, 5, 27, 27}};
  fx.dwFillColor = color(1, 3, 3);
  for (RECT& r : disc) sprite->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  RECT mark{12, 12, 20, 20};
  fx.dwFillColor = color(7, 7, 0);
  sprite->Blt(&mark, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  DDCOLORKEY key{color(0, 0, 0), color(0, 0, 0)};
  sprite->SetColorKey(DDCKEY_SRCBLT, &key);
  // Background bands, keyed sprites in a row, stretched ones below, then a flip.
  for (int i = 0; i < 8; ++i) {
    RECT band{0, i * 60, kW, i * 60 + 60};
    fx.dwFillColor = color(static_cast<uint32_t>(i), static_cast<uint32_t>(7 - i), static_cast<uint32_t>(i & 3));
    back->Blt(&band, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  }
  for (int i = 0; i < 16; ++i) back->BltFast(20 + i * 38, 40, sprite, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
  for (int i = 0; i < 4; ++i) {
    RECT dst{20 + i * 150, 150, 20 + i * 150 + 32 * (i + 1), 150 + 32 * (i + 1)};
    back->Blt(&dst, sprite, nullptr, DDBLT_WAIT | (i & 1 ? DDBLT_KEYSRC : 0), nullptr);
  }
  primary->Flip(nullptr, DDFLIP_WAIT);
  sprite->Release();
  if (pal) pal->Release();
  back->Release();
  primary->Release();
  dd->Release();
  return true;
}

// ---- Scenes of the drawing layer ----

bool SceneLayer(int bDirect3D, int bpp) {
  char dir[] = "/tmp/scene_png-XXXXXX";
  if (!mkdtemp(dir)) {
    std::fprintf(stderr, "cannot make a work folder\n");
    return false;
  }
  LayerSceneFrame frame;
  const bool ok = DrawLayerScene(bDirect3D, bpp, dir, &frame);
  for (const char* name : {"sheet.bmp", "font.bmp"}) std::remove((std::string(dir) + "/" + name).c_str());
  rmdir(dir);
  if (ok) std::printf("%016llx\n", static_cast<unsigned long long>(FrameHash(frame)));
  return ok;
}

// ---- Text scenes ----

bool SceneText(int bDirect3D, int bpp) {
  LayerSceneFrame frame;
  const bool ok = DrawTextScene(bDirect3D, bpp, &frame);
  if (ok) std::printf("%016llx\n", static_cast<unsigned long long>(FrameHash(frame)));
  return ok;
}

// ---- Effect scenes of the drawing layer ----

bool SceneEffect(const std::string& name, int bDirect3D, int bpp) {
  char dir[] = "/tmp/scene_png-XXXXXX";
  if (!mkdtemp(dir)) {
    std::fprintf(stderr, "cannot make a work folder\n");
    return false;
  }
  LayerSceneFrame frame;
  const bool ok = DrawEffectScene(name, bDirect3D, bpp, dir, &frame);
  for (const char* file : {"sheet.bmp", "font.bmp"}) std::remove((std::string(dir) + "/" + file).c_str());
  rmdir(dir);
  if (ok) std::printf("%016llx\n", static_cast<unsigned long long>(FrameHash(frame)));
  return ok;
}

struct Scene {
  std::string name;
  const char* what;
  std::function<bool(const char*)> draw;
};

const std::vector<Scene>& Scenes() {
  static const std::vector<Scene> scenes = {
      {"blits", "Direct3D: copies, mirrors, scaling, rotation, colour operations, translucency, fills", SceneBlits},
      {"bitmap", "Direct3D: a BMP file (third argument) as a texture with magenta transparent", SceneBitmap},
      {"ddraw8", "DirectDraw 8 bits: fills, keyed and stretched blits, flip, palette", [](const char*) {
         return SceneDirectDraw(8);
       }},
      {"ddraw16", "DirectDraw 16 bits: the same scene", [](const char*) { return SceneDirectDraw(16); }},
      {"ddraw32", "DirectDraw 32 bits: the same scene", [](const char*) { return SceneDirectDraw(32); }},
      {"layer-d3d32", "drawing layer, Direct3D 32 bits: palette, keyed, scaled and mirrored blits, text (prints the hash)",
       [](const char*) { return SceneLayer(1, 32); }},
      {"layer-d3d16", "drawing layer, Direct3D 16 bits: the same frame", [](const char*) { return SceneLayer(1, 16); }},
      {"layer-dd8", "drawing layer, DirectDraw 8 bits: the same frame", [](const char*) { return SceneLayer(0, 8); }},
      {"layer-dd16", "drawing layer, DirectDraw 16 bits: the same frame", [](const char*) { return SceneLayer(0, 16); }},
      {"layer-dd32", "drawing layer, DirectDraw 32 bits: the same frame", [](const char*) { return SceneLayer(0, 32); }},
      // Text through the fonts.
      {"text-d3d32", "fonts, Direct3D 32 bits: a title-menu box, Japanese and Latin, pictures (prints the hash)",
       [](const char*) { return SceneText(1, 32); }},
      {"text-d3d16", "fonts, Direct3D 16 bits: the same frame", [](const char*) { return SceneText(1, 16); }},
      {"text-dd8", "fonts, DirectDraw 8 bits: the same frame", [](const char*) { return SceneText(0, 8); }},
      {"text-dd32", "fonts, DirectDraw 32 bits: the same frame", [](const char*) { return SceneText(0, 32); }},
  };
  // The effects, each as fx-<effect>-d3d32 and fx-<effect>-dd16 (prints the hash).
  static const std::vector<Scene> all = [] {
    std::vector<Scene> v = scenes;
    for (const std::string& effect : EffectSceneNames()) {
      v.push_back({"fx-" + effect + "-d3d32", "drawing layer effect, Direct3D 32 bits",
                   [effect](const char*) { return SceneEffect(effect, 1, 32); }});
      v.push_back({"fx-" + effect + "-dd16", "drawing layer effect, DirectDraw 16 bits",
                   [effect](const char*) { return SceneEffect(effect, 0, 16); }});
    }
    return v;
  }();
  return all;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--list") == 0) {
    for (const Scene& s : Scenes()) std::printf("%-11s %s\n", s.name.c_str(), s.what);
    return 0;
  }
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <scene> <out.png> [bitmap.bmp]   (%s --list shows the scenes)\n", argv[0], argv[0]);
    return 2;
  }
  for (const Scene& s : Scenes()) {
    if (s.name != argv[1]) continue;
    gfx::ResetHeadlessPresenter();
    if (!s.draw(argc > 3 ? argv[3] : nullptr)) return 1;
    const gfx::ShownFrame f = gfx::HeadlessLastFrame();
    if (f.argb.empty() || !WritePngFile(argv[2], f.width, f.height, f.argb.data())) {
      std::fprintf(stderr, "cannot write %s\n", argv[2]);
      return 1;
    }
    return 0;
  }
  std::fprintf(stderr, "no scene named %s\n", argv[1]);
  return 2;
}
