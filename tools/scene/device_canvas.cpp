#include "device_canvas.h"

#include <cmath>
#include <cstring>

DeviceCanvas::DeviceCanvas(int width, int height, D3DFORMAT backFormat) {
  d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
  D3DPRESENT_PARAMETERS pp{};
  pp.Windowed = TRUE;
  pp.BackBufferWidth = static_cast<UINT>(width);
  pp.BackBufferHeight = static_cast<UINT>(height);
  pp.BackBufferFormat = backFormat;
  pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
  pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &dev_);
  dev_->CreateVertexBuffer(112, D3DUSAGE_WRITEONLY, 0x144, D3DPOOL_MANAGED, &vb_, nullptr);
  dev_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  dev_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  dev_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  dev_->BeginScene();
}

DeviceCanvas::~DeviceCanvas() {
  for (IDirect3DTexture9* t : textures_) t->Release();
  vb_->Release();
  dev_->Release();
  d3d_->Release();
}

void DeviceCanvas::Present() {
  dev_->EndScene();
  dev_->Present(nullptr, nullptr, nullptr, nullptr);
}

IDirect3DTexture9* DeviceCanvas::Make(int w, int h, const std::function<uint32_t(int, int)>& f) {
  IDirect3DTexture9* t = nullptr;
  dev_->CreateTexture(static_cast<UINT>(w), static_cast<UINT>(h), 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr);
  D3DLOCKED_RECT lr{};
  t->LockRect(0, &lr, nullptr, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint32_t v = f(x, y);
      std::memcpy(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch + x * 4, &v, 4);
    }
  }
  t->UnlockRect(0);
  textures_.push_back(t);
  return t;
}

void DeviceCanvas::Stage(DWORD colorOp, DWORD colorArg2, DWORD alphaOp, DWORD alphaArg2) {
  dev_->SetTextureStageState(0, D3DTSS_COLOROP, colorOp);
  dev_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  dev_->SetTextureStageState(0, D3DTSS_COLORARG2, colorArg2);
  dev_->SetTextureStageState(0, D3DTSS_ALPHAOP, alphaOp);
  dev_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  dev_->SetTextureStageState(0, D3DTSS_ALPHAARG2, alphaArg2);
}

void DeviceCanvas::Quad(const gfx::Vertex q[4], IDirect3DTexture9* tex) {
  void* p = nullptr;
  vb_->Lock(0, 112, &p, 0);
  std::memcpy(p, q, 112);
  vb_->Unlock();
  dev_->SetTexture(0, tex);
  dev_->SetStreamSource(0, vb_, 0, 28);
  dev_->SetFVF(0x144);
  dev_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
}

void DeviceCanvas::Blit(int x, int y, int w, int h, IDirect3DTexture9* tex, int sx, int sy, int sw, int sh,
                        D3DCOLOR diffuse) {
  D3DSURFACE_DESC d{};
  tex->GetLevelDesc(0, &d);
  const float tw = static_cast<float>(d.Width), th = static_cast<float>(d.Height);
  const float l = x - 0.5f, r = x + w - 0.5f, t = y - 0.5f, b = y + h - 0.5f;
  const float u0 = sx / tw, u1 = (sx + sw) / tw, v0 = sy / th, v1 = (sy + sh) / th;
  const gfx::Vertex q[4] = {{l, t, 0, 1, diffuse, u0, v0},
                            {l, b, 0, 1, diffuse, u0, v1},
                            {r, t, 0, 1, diffuse, u1, v0},
                            {r, b, 0, 1, diffuse, u1, v1}};
  Quad(q, tex);
}

void DeviceCanvas::Rotated(int cx, int cy, int w, int h, IDirect3DTexture9* tex, float degrees) {
  D3DSURFACE_DESC d{};
  tex->GetLevelDesc(0, &d);
  const float s = std::sin(degrees * 0.017453292519943278f), c = std::cos(degrees * 0.017453292519943278f);
  const int corners[4][2] = {{0, 0}, {0, h}, {w, 0}, {w, h}};
  gfx::Vertex q[4];
  for (int i = 0; i < 4; ++i) {
    const float u = static_cast<float>(corners[i][0]), v = static_cast<float>(corners[i][1]);
    q[i] = {cx - 0.5f + c * (u - (w >> 1)) - s * (v - (h >> 1)), cy - 0.5f + s * (u - (w >> 1)) + c * (v - (h >> 1)),
            0, 1, 0xFFFFFFFF, u / d.Width, v / d.Height};
  }
  Quad(q, tex);
}

void DeviceCanvas::Fill(int x, int y, int w, int h, D3DCOLOR color) {
  Stage(D3DTOP_SELECTARG2, D3DTA_TFACTOR, D3DTOP_SELECTARG2, D3DTA_TFACTOR);
  dev_->SetRenderState(D3DRS_TEXTUREFACTOR, color);
  const float l = x - 0.5f, r = x + w - 0.5f, t = y - 0.5f, b = y + h - 0.5f;
  const gfx::Vertex q[4] = {{l, t, 0, 1, 0, 0, 0}, {l, b, 0, 1, 0, 0, 0}, {r, t, 0, 1, 0, 0, 0}, {r, b, 0, 1, 0, 0, 0}};
  Quad(q, nullptr);
}
