#include "device_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

void DeviceTest::SetUp() {
  gfx::ResetHeadlessPresenter();
  d3d = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(d3d, nullptr);
  pp = D3DPRESENT_PARAMETERS{};
  pp.Windowed = TRUE;
  pp.BackBufferWidth = 32;
  pp.BackBufferHeight = 16;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
  pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, hwnd, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &dev), D3D_OK);
  IDirect3DVertexBuffer9* b = nullptr;
  ASSERT_EQ(dev->CreateVertexBuffer(112, D3DUSAGE_WRITEONLY, D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1,
                                    D3DPOOL_MANAGED, &b, nullptr),
            D3D_OK);
  vb.reset(b);
  ASSERT_EQ(dev->BeginScene(), D3D_OK);
}

void DeviceTest::TearDown() {
  for (IDirect3DSurface9* s : levels) s->Release();
  levels.clear();
  vb.reset();
  if (dev) dev->Release();
  if (d3d) d3d->Release();
  gfx::SetVideoMemoryBudgetForTest(-1);
}

Com<IDirect3DTexture9> DeviceTest::Texture(D3DFORMAT format, int w, int h, const std::vector<uint32_t>& argb,
                                           D3DPOOL pool) {
  IDirect3DTexture9* t = nullptr;
  EXPECT_EQ(dev->CreateTexture(w, h, 1, pool == D3DPOOL_SYSTEMMEM ? D3DUSAGE_DYNAMIC : 0, format, pool, &t, nullptr),
            D3D_OK);
  D3DLOCKED_RECT lr{};
  EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
  const gfx::PixelFormat pf = gfx::FormatOf(format);
  const int bpp = gfx::BytesPerPixel(pf);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint32_t v = gfx::NarrowFromArgb(pf, argb[static_cast<size_t>(y * w + x)]);
      std::memcpy(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch + x * bpp, &v, static_cast<size_t>(bpp));
    }
  }
  t->UnlockRect(0);
  return Com<IDirect3DTexture9>(t);
}

Com<IDirect3DTexture9> DeviceTest::Target(D3DFORMAT format, int w, int h, D3DCOLOR fill) {
  IDirect3DTexture9* t = nullptr;
  EXPECT_EQ(dev->CreateTexture(w, h, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT, &t, nullptr), D3D_OK);
  IDirect3DSurface9* s = Level(t);
  IDirect3DSurface9* old = nullptr;
  dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &old);
  EXPECT_EQ(dev->SetRenderTarget(0, s), D3D_OK);
  EXPECT_EQ(dev->Clear(0, nullptr, D3DCLEAR_TARGET, fill, 1.0f, 0), D3D_OK);
  dev->SetRenderTarget(0, old);
  old->Release();
  return Com<IDirect3DTexture9>(t);
}

IDirect3DSurface9* DeviceTest::Level(IDirect3DTexture9* texture) {
  IDirect3DSurface9* s = nullptr;
  EXPECT_EQ(texture->GetSurfaceLevel(0, &s), D3D_OK);
  levels.push_back(s);
  return s;
}

std::vector<uint32_t> DeviceTest::Read(IDirect3DSurface9* surface) {
  D3DSURFACE_DESC d{};
  surface->GetDesc(&d);
  IDirect3DSurface9* sys = nullptr;
  EXPECT_EQ(dev->CreateOffscreenPlainSurface(d.Width, d.Height, d.Format, D3DPOOL_SYSTEMMEM, &sys, nullptr), D3D_OK);
  EXPECT_EQ(dev->GetRenderTargetData(surface, sys), D3D_OK);
  D3DLOCKED_RECT lr{};
  EXPECT_EQ(sys->LockRect(&lr, nullptr, 0), D3D_OK);
  const int bpp = gfx::BytesPerPixel(gfx::FormatOf(d.Format));
  std::vector<uint32_t> out;
  for (UINT y = 0; y < d.Height; ++y) {
    for (UINT x = 0; x < d.Width; ++x) {
      uint32_t v = 0;
      std::memcpy(&v, static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch + x * bpp, static_cast<size_t>(bpp));
      out.push_back(v);
    }
  }
  sys->UnlockRect();
  sys->Release();
  return out;
}

std::vector<uint32_t> DeviceTest::Read(IDirect3DTexture9* texture) { return Read(Level(texture)); }

void DeviceTest::DrawingStates() {
  dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  dev->SetRenderState(D3DRS_ZENABLE, FALSE);
  dev->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  dev->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
  dev->SetRenderState(D3DRS_COLORVERTEX, TRUE);
  for (DWORD s = 0; s < 2; ++s) {
    dev->SetSamplerState(s, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    dev->SetSamplerState(s, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    dev->SetSamplerState(s, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    dev->SetSamplerState(s, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  }
  Stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
}

void DeviceTest::Stage(DWORD colorOp, DWORD colorArg1, DWORD colorArg2, DWORD alphaOp, DWORD alphaArg1,
                       DWORD alphaArg2) {
  dev->SetTextureStageState(0, D3DTSS_COLOROP, colorOp);
  dev->SetTextureStageState(0, D3DTSS_COLORARG1, colorArg1);
  dev->SetTextureStageState(0, D3DTSS_COLORARG2, colorArg2);
  dev->SetTextureStageState(0, D3DTSS_ALPHAOP, alphaOp);
  dev->SetTextureStageState(0, D3DTSS_ALPHAARG1, alphaArg1);
  dev->SetTextureStageState(0, D3DTSS_ALPHAARG2, alphaArg2);
}

HRESULT DeviceTest::DrawQuad(const gfx::Vertex quad[4]) {
  void* p = nullptr;
  EXPECT_EQ(vb->Lock(0, 112, &p, 0), D3D_OK);
  std::memcpy(p, quad, 112);
  vb->Unlock();
  dev->SetStreamSource(0, vb.get(), 0, 28);
  dev->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
  return dev->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
}

HRESULT DeviceTest::Blit(IDirect3DSurface9* target, int x, int y, int w, int h, IDirect3DTexture9* source, int sx,
                         int sy, int sw, int sh, D3DCOLOR diffuse) {
  float tw = 1, th = 1;
  if (source) {
    D3DSURFACE_DESC d{};
    source->GetLevelDesc(0, &d);
    tw = static_cast<float>(d.Width);
    th = static_cast<float>(d.Height);
  }
  const float l = static_cast<float>(x) - 0.5f, r = static_cast<float>(x + w) - 0.5f;
  const float t = static_cast<float>(y) - 0.5f, b = static_cast<float>(y + h) - 0.5f;
  const float u0 = static_cast<float>(sx) / tw, u1 = static_cast<float>(sx + sw) / tw;
  const float v0 = static_cast<float>(sy) / th, v1 = static_cast<float>(sy + sh) / th;
  const gfx::Vertex quad[4] = {{l, t, 0, 1, diffuse, u0, v0},
                               {l, b, 0, 1, diffuse, u0, v1},
                               {r, t, 0, 1, diffuse, u1, v0},
                               {r, b, 0, 1, diffuse, u1, v1}};
  EXPECT_EQ(dev->SetRenderTarget(0, target), D3D_OK);
  dev->SetTexture(0, source);
  return DrawQuad(quad);
}

namespace {

// Calls f(pixel address, bytes per pixel, index) for every pixel of a locked surface.
template <class F>
void ForEachPixel(IDirectDrawSurface7* s, F f) {
  DDSURFACEDESC2 d{};
  d.dwSize = 124;
  ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
  const int bpp = static_cast<int>(d.ddpfPixelFormat.dwRGBBitCount / 8);
  for (DWORD y = 0; y < d.dwHeight; ++y) {
    for (DWORD x = 0; x < d.dwWidth; ++x) {
      f(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + x * bpp, static_cast<size_t>(bpp), y * d.dwWidth + x);
    }
  }
  s->Unlock(nullptr);
}

}  // namespace

std::vector<uint32_t> SurfacePixels(IDirectDrawSurface7* s) {
  std::vector<uint32_t> out;
  ForEachPixel(s, [&](uint8_t* p, size_t bpp, DWORD) {
    uint32_t v = 0;
    std::memcpy(&v, p, bpp);
    out.push_back(v);
  });
  return out;
}

void WriteSurface(IDirectDrawSurface7* s, const std::vector<uint32_t>& values) {
  ForEachPixel(s, [&](uint8_t* p, size_t bpp, DWORD i) { std::memcpy(p, &values[i], bpp); });
}

std::string PixelList(const std::vector<uint32_t>& v) {
  std::string s;
  char buf[16];
  for (uint32_t p : v) {
    std::snprintf(buf, sizeof buf, "%08X ", p);
    s += buf;
  }
  return s;
}
