// A software Direct3D device set up as the drawing layer sets it up, with helpers that build
// textures, render targets and blit quads the way the drawing layer does; and helpers that read
// and write DirectDraw surfaces.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/d3d9.h"
#include "platform/ddraw.h"
#include "platform/display.h"

struct Releaser {
  void operator()(IUnknown* p) const {
    if (p) p->Release();
  }
};
template <class T>
using Com = std::unique_ptr<T, Releaser>;

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A texture of the given pixels (A8R8G8B8 words, narrowed to the format), rows top-down.
  Com<IDirect3DTexture9> Texture(D3DFORMAT format, int w, int h, const std::vector<uint32_t>& argb,
                                 D3DPOOL pool = D3DPOOL_MANAGED);
  // A render-target texture cleared to one colour.
  Com<IDirect3DTexture9> Target(D3DFORMAT format, int w, int h, D3DCOLOR fill);
  // The pixels of a render-target surface (or the back buffer), as raw pixel values.
  std::vector<uint32_t> Read(IDirect3DSurface9* surface);
  std::vector<uint32_t> Read(IDirect3DTexture9* texture);
  IDirect3DSurface9* Level(IDirect3DTexture9* texture);

  // The states the drawing layer sets at start-up.
  void DrawingStates();
  void Stage(DWORD colorOp, DWORD colorArg1, DWORD colorArg2, DWORD alphaOp, DWORD alphaArg1, DWORD alphaArg2);
  // Draws a quad of four vertices in strip order top-left, bottom-left, top-right, bottom-right.
  HRESULT DrawQuad(const gfx::Vertex quad[4]);
  // A blit quad as the drawing layer builds it: corners at pixel edges − 0.5, texture
  // coordinates source position / texture size (a negative source size mirrors).
  HRESULT Blit(IDirect3DSurface9* target, int x, int y, int w, int h, IDirect3DTexture9* source, int sx, int sy,
               int sw, int sh, D3DCOLOR diffuse = 0xFFFFFFFFu);

  IDirect3D9* d3d = nullptr;
  IDirect3DDevice9* dev = nullptr;
  D3DPRESENT_PARAMETERS pp{};
  HWND hwnd = reinterpret_cast<HWND>(0x1234);
  Com<IDirect3DVertexBuffer9> vb;
  std::vector<IDirect3DSurface9*> levels;
};

// The pixel values of a DirectDraw surface, rows top-down (through a lock), and writing them.
std::vector<uint32_t> SurfacePixels(IDirectDrawSurface7* s);
void WriteSurface(IDirectDrawSurface7* s, const std::vector<uint32_t>& values);

// A row of pixel values for readable failure output.
std::string PixelList(const std::vector<uint32_t>& v);

