// A software Direct3D device drawing into a back buffer with the drawing layer's states, and
// quads built as the drawing layer builds them: for the developer tools and the benchmarks.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/d3d9.h"

class DeviceCanvas {
 public:
  explicit DeviceCanvas(int width = 640, int height = 480, D3DFORMAT backFormat = D3DFMT_X8R8G8B8);
  ~DeviceCanvas();
  DeviceCanvas(const DeviceCanvas&) = delete;
  DeviceCanvas& operator=(const DeviceCanvas&) = delete;

  IDirect3DDevice9* dev() { return dev_; }
  // Ends the scene and presents the back buffer.
  void Present();
  // A managed A8R8G8B8 texture made by f(x, y); the canvas keeps it.
  IDirect3DTexture9* Make(int w, int h, const std::function<uint32_t(int, int)>& f);
  // Keeps a texture made elsewhere until the canvas goes.
  void Keep(IDirect3DTexture9* t) { textures_.push_back(t); }
  // Texture stage 0: the operations with TEXTURE as first argument.
  void Stage(DWORD colorOp, DWORD colorArg2, DWORD alphaOp, DWORD alphaArg2);
  // Draws one quad of four vertices (strip order top-left, bottom-left, top-right, bottom-right).
  void Quad(const gfx::Vertex q[4], IDirect3DTexture9* tex);
  // A blit: corners at pixel edges − 0.5, texture coordinates source / texture size (a negative
  // source size mirrors).
  void Blit(int x, int y, int w, int h, IDirect3DTexture9* tex, int sx, int sy, int sw, int sh,
            D3DCOLOR diffuse = 0xFFFFFFFF);
  // The rectangle turned by degrees about its centre, which lands on (cx, cy).
  void Rotated(int cx, int cy, int w, int h, IDirect3DTexture9* tex, float degrees);
  // A fill from the texture factor.
  void Fill(int x, int y, int w, int h, D3DCOLOR color);

 private:
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* dev_ = nullptr;
  IDirect3DVertexBuffer9* vb_ = nullptr;
  std::vector<IDirect3DTexture9*> textures_;
};
