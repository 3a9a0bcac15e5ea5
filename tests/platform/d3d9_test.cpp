// The software Direct3D device's objects and rules: scenes, render targets, locks, system
// copies, buffers, presentation, loss and reset.
#include "platform/d3d9.h"

#include <gtest/gtest.h>

#include <cstring>

#include "device_fixture.h"
#include "platform/display.h"

namespace {

using D3DDeviceTest = DeviceTest;

TEST(Direct3D, ObjectAndCapabilities) {
  EXPECT_EQ(Direct3DCreate9(31), nullptr);
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(d3d, nullptr);
  D3DCAPS9 caps{};
  ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
  EXPECT_EQ(caps.TextureCaps & (D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY), 0u);
  EXPECT_TRUE(caps.Caps2 & D3DCAPS2_DYNAMICTEXTURES);
  EXPECT_TRUE(caps.Caps3 & D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD);
  EXPECT_EQ(caps.MaxTextureWidth, 16384u);
  EXPECT_EQ(caps.MaxTextureHeight, 16384u);
  D3DDISPLAYMODE mode{};
  ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(mode.RefreshRate, 60u);
  EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE,
                                   D3DFMT_A8R8G8B8),
            D3D_OK);
  EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0x4000, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8),
            D3DERR_NOTAVAILABLE);
  d3d->Release();
}

TEST(Direct3D, WindowedDeviceTakesTheClientSizeAndFullScreenTakesTheScreen) {
  gfx::ResetHeadlessPresenter();
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  D3DPRESENT_PARAMETERS pp{};
  pp.Windowed = TRUE;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  IDirect3DDevice9* dev = nullptr;
  ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &dev), D3D_OK);
  EXPECT_EQ(pp.BackBufferWidth, 640u);
  EXPECT_EQ(pp.BackBufferHeight, 480u);
  EXPECT_FALSE(gfx::HeadlessFullscreen());
  dev->Release();
  pp = D3DPRESENT_PARAMETERS{};
  pp.Windowed = FALSE;
  pp.BackBufferWidth = 640;
  pp.BackBufferHeight = 480;
  pp.BackBufferFormat = D3DFMT_A8R8G8B8;  // not a back-buffer format
  EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &pp, &dev), D3DERR_INVALIDCALL);
  pp.BackBufferFormat = D3DFMT_R5G6B5;
  ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &pp, &dev), D3D_OK);
  EXPECT_TRUE(gfx::HeadlessFullscreen());
  dev->Release();
  EXPECT_FALSE(gfx::HeadlessFullscreen());
  d3d->Release();
}

TEST_F(D3DDeviceTest, ScenesDoNotNestAndDrawingNeedsOne) {
  EXPECT_EQ(dev->BeginScene(), D3DERR_INVALIDCALL);
  ASSERT_EQ(dev->EndScene(), D3D_OK);
  EXPECT_EQ(dev->EndScene(), D3DERR_INVALIDCALL);
  const gfx::Vertex q[4] = {};
  EXPECT_EQ(DrawQuad(q), D3DERR_INVALIDCALL);
  ASSERT_EQ(dev->BeginScene(), D3D_OK);
  EXPECT_EQ(DrawQuad(q), D3D_OK);
}

TEST_F(D3DDeviceTest, RenderTargetTexturesAreLockedThroughTheirSystemCopy) {
  auto rt = Target(D3DFMT_A8R8G8B8, 4, 2, 0x11223344);
  IDirect3DSurface9* level = Level(rt.get());
  D3DLOCKED_RECT lr{};
  EXPECT_EQ(level->LockRect(&lr, nullptr, 0), D3DERR_INVALIDCALL);
  IDirect3DSurface9* sys = nullptr;
  ASSERT_EQ(dev->CreateOffscreenPlainSurface(4, 2, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &sys, nullptr), D3D_OK);
  ASSERT_EQ(dev->GetRenderTargetData(level, sys), D3D_OK);
  ASSERT_EQ(sys->LockRect(&lr, nullptr, 0), D3D_OK);
  EXPECT_EQ(lr.Pitch, 16);
  uint32_t* p = static_cast<uint32_t*>(lr.pBits);
  EXPECT_EQ(p[0], 0x11223344u);
  EXPECT_EQ(sys->LockRect(&lr, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
  p[5] = 0xCAFEBABE;
  ASSERT_EQ(sys->UnlockRect(), D3D_OK);
  EXPECT_EQ(sys->UnlockRect(), D3DERR_INVALIDCALL);
  ASSERT_EQ(dev->UpdateSurface(sys, nullptr, level, nullptr), D3D_OK);
  EXPECT_EQ(Read(rt.get())[5], 0xCAFEBABEu);
  // The copies go only from render targets to system memory and back, between equal formats.
  EXPECT_EQ(dev->UpdateSurface(level, nullptr, sys, nullptr), D3DERR_INVALIDCALL);
  IDirect3DSurface9* small = nullptr;
  ASSERT_EQ(dev->CreateOffscreenPlainSurface(2, 2, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &small, nullptr), D3D_OK);
  EXPECT_EQ(dev->GetRenderTargetData(level, small), D3DERR_INVALIDCALL);
  const POINT far{3, 0};
  EXPECT_EQ(dev->UpdateSurface(small, nullptr, level, &far), D3DERR_INVALIDCALL);
  small->Release();
  sys->Release();
}

// The round trip of a lock through the system copy copies nothing: the lock hands out the
// target's own pixels, and the copy back onto the same place finds them there.
TEST_F(D3DDeviceTest, TheSystemCopyOfARenderTargetLocksItsPixelsInPlace) {
  auto rt = Target(D3DFMT_X8R8G8B8, 4, 2, 0xFF010203);
  IDirect3DSurface9* level = Level(rt.get());
  IDirect3DSurface9* sys = nullptr;
  ASSERT_EQ(dev->CreateOffscreenPlainSurface(4, 2, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &sys, nullptr), D3D_OK);
  ASSERT_EQ(dev->GetRenderTargetData(level, sys), D3D_OK);
  D3DLOCKED_RECT lr{};
  ASSERT_EQ(sys->LockRect(&lr, nullptr, 0), D3D_OK);
  EXPECT_EQ(lr.pBits, level->pixels.At(0, 0));
  // Refilling a locked copy from its own target changes nothing; from another it is refused.
  EXPECT_EQ(dev->GetRenderTargetData(level, sys), D3D_OK);
  auto other = Target(D3DFMT_X8R8G8B8, 4, 2, 0xFF0A0B0C);
  EXPECT_EQ(dev->GetRenderTargetData(Level(other.get()), sys), D3DERR_INVALIDCALL);
  static_cast<uint32_t*>(lr.pBits)[1] = 0xFF112233;
  ASSERT_EQ(sys->UnlockRect(), D3D_OK);
  ASSERT_EQ(dev->UpdateSurface(sys, nullptr, level, nullptr), D3D_OK);
  EXPECT_EQ(Read(rt.get()), (std::vector<uint32_t>{0xFF010203, 0xFF112233, 0xFF010203, 0xFF010203, 0xFF010203,
                                                   0xFF010203, 0xFF010203, 0xFF010203}));
  // Copied onto another target, or onto another place of its own, the copy gives its pixels.
  ASSERT_EQ(dev->UpdateSurface(sys, nullptr, Level(other.get()), nullptr), D3D_OK);
  EXPECT_EQ(Read(other.get())[1], 0xFF112233u);
  const RECT firstTwo{0, 0, 2, 1};
  const POINT below{2, 1};
  ASSERT_EQ(dev->UpdateSurface(sys, &firstTwo, level, &below), D3D_OK);
  EXPECT_EQ(Read(rt.get()), (std::vector<uint32_t>{0xFF010203, 0xFF112233, 0xFF010203, 0xFF010203, 0xFF010203,
                                                   0xFF010203, 0xFF010203, 0xFF112233}));
  sys->Release();
}

// A system copy whose render target goes away keeps the target's last pixels, also when its
// lock is still out.
TEST_F(D3DDeviceTest, TheSystemCopyKeepsItsPixelsWhenTheTargetIsReleased) {
  IDirect3DSurface9* copies[2] = {};
  for (IDirect3DSurface9*& s : copies) {
    ASSERT_EQ(dev->CreateOffscreenPlainSurface(3, 1, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &s, nullptr), D3D_OK);
  }
  D3DLOCKED_RECT lr{};
  {
    IDirect3DTexture9* rt = nullptr;
    ASSERT_EQ(dev->CreateTexture(3, 1, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &rt, nullptr),
              D3D_OK);
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(rt->GetSurfaceLevel(0, &level), D3D_OK);
    for (IDirect3DSurface9* s : copies) ASSERT_EQ(dev->GetRenderTargetData(level, s), D3D_OK);
    ASSERT_EQ(copies[0]->LockRect(&lr, nullptr, 0), D3D_OK);
    static_cast<uint32_t*>(lr.pBits)[2] = 0x80FEDCBA;
    level->Release();
    rt->Release();
  }
  static_cast<uint32_t*>(lr.pBits)[0] = 0x01020304;  // the lock's memory is still the copy's
  ASSERT_EQ(copies[0]->UnlockRect(), D3D_OK);
  const std::vector<std::vector<uint32_t>> expected = {{0x01020304, 0, 0x80FEDCBA}, {0, 0, 0x80FEDCBA}};
  for (int k = 0; k < 2; ++k) {
    ASSERT_EQ(copies[k]->LockRect(&lr, nullptr, 0), D3D_OK);
    const uint32_t* p = static_cast<const uint32_t*>(lr.pBits);
    EXPECT_EQ(std::vector<uint32_t>(p, p + 3), expected[static_cast<size_t>(k)]) << k;
    copies[k]->UnlockRect();
    copies[k]->Release();
  }
}

TEST_F(D3DDeviceTest, PoolsAndUsagesFollowTheDeviceRules) {
  IDirect3DTexture9* t = nullptr;
  EXPECT_EQ(dev->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->CreateTexture(4, 4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr),
            D3DERR_INVALIDCALL);
  // Sides up to the reported 16384.
  struct Side {
    UINT w, h;
    HRESULT hr;
  } sides[] = {{16384, 1, D3D_OK}, {1, 16384, D3D_OK}, {16385, 1, D3DERR_INVALIDCALL}, {1, 16385, D3DERR_INVALIDCALL}};
  for (const Side& c : sides) {
    EXPECT_EQ(dev->CreateTexture(c.w, c.h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), c.hr) << c.w << "x" << c.h;
    if (t) t->Release();
    t = nullptr;
  }
  EXPECT_EQ(dev->CreateTexture(4, 4, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, &t, nullptr), D3DERR_INVALIDCALL);
  // A system-memory texture can be locked but not drawn from; a managed one cannot be a target.
  auto sys = Texture(D3DFMT_A1R5G5B5, 4, 4, std::vector<uint32_t>(16, 0xFFFFFFFF), D3DPOOL_SYSTEMMEM);
  EXPECT_EQ(dev->SetTexture(0, sys.get()), D3DERR_INVALIDCALL);
  auto managed = Texture(D3DFMT_A8R8G8B8, 4, 4, std::vector<uint32_t>(16, 0));
  EXPECT_EQ(dev->SetTexture(0, managed.get()), D3D_OK);
  EXPECT_EQ(dev->SetRenderTarget(0, Level(managed.get())), D3DERR_INVALIDCALL);
  D3DSURFACE_DESC d{};
  ASSERT_EQ(managed->GetLevelDesc(0, &d), D3D_OK);
  EXPECT_EQ(d.Width, 4u);
  EXPECT_EQ(d.Pool, D3DPOOL_MANAGED);
  dev->SetTexture(0, nullptr);
}

TEST_F(D3DDeviceTest, LevelSurfaceKeepsItsTextureAlive) {
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(dev->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
  IDirect3DSurface9* s = nullptr;
  ASSERT_EQ(t->GetSurfaceLevel(0, &s), D3D_OK);
  EXPECT_EQ(t->Release(), 1u);  // the level still holds it
  D3DLOCKED_RECT lr{};
  ASSERT_EQ(s->LockRect(&lr, nullptr, 0), D3D_OK);
  s->UnlockRect();
  EXPECT_EQ(s->Release(), 0u);
}

TEST_F(D3DDeviceTest, ClearConvertsTheColourAndKeepsToTheTarget) {
  auto rt = Target(D3DFMT_R5G6B5, 4, 2, 0xFF000000);
  dev->SetRenderTarget(0, Level(rt.get()));
  const D3DRECT rects[2] = {{-5, -5, 2, 1}, {3, 1, 99, 99}};
  ASSERT_EQ(dev->Clear(2, rects, D3DCLEAR_TARGET, 0xFFFF00FF, 1.0f, 0), D3D_OK);
  EXPECT_EQ(Read(rt.get()), (std::vector<uint32_t>{0xF81F, 0xF81F, 0, 0, 0, 0, 0, 0xF81F}));
  EXPECT_EQ(dev->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
}

TEST_F(D3DDeviceTest, IndexedStripsDrawTheQuadsTheyName) {
  DrawingStates();
  Stage(D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  auto rt = Target(D3DFMT_A8R8G8B8, 4, 1, 0);
  dev->SetRenderTarget(0, Level(rt.get()));
  // Two one-pixel quads in one buffer, drawn by identity indices 4k .. 4k + 3.
  IDirect3DVertexBuffer9* buf = nullptr;
  ASSERT_EQ(dev->CreateVertexBuffer(224, D3DUSAGE_WRITEONLY, 0x144, D3DPOOL_MANAGED, &buf, nullptr), D3D_OK);
  gfx::Vertex v[8];
  const float xs[2] = {0, 2};
  const uint32_t colors[2] = {0xFF0000FF, 0xFF00FF00};
  for (int k = 0; k < 2; ++k) {
    const float l = xs[k] - 0.5f, r = xs[k] + 0.5f;
    v[4 * k + 0] = {l, -0.5f, 0, 1, colors[k], 0, 0};
    v[4 * k + 1] = {l, 0.5f, 0, 1, colors[k], 0, 0};
    v[4 * k + 2] = {r, -0.5f, 0, 1, colors[k], 0, 0};
    v[4 * k + 3] = {r, 0.5f, 0, 1, colors[k], 0, 0};
  }
  void* p = nullptr;
  ASSERT_EQ(buf->Lock(0, 0, &p, 0), D3D_OK);
  std::memcpy(p, v, sizeof v);
  buf->Unlock();
  IDirect3DIndexBuffer9* ib = nullptr;
  ASSERT_EQ(dev->CreateIndexBuffer(16, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr), D3D_OK);
  ASSERT_EQ(ib->Lock(0, 0, &p, 0), D3D_OK);
  for (uint16_t i = 0; i < 8; ++i) static_cast<uint16_t*>(p)[i] = i;
  ib->Unlock();
  dev->SetStreamSource(0, buf, 0, 28);
  dev->SetIndices(ib);
  dev->SetFVF(0x144);
  dev->SetTexture(0, nullptr);
  ASSERT_EQ(dev->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, 4, 0, 2), D3D_OK);
  ASSERT_EQ(dev->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 4, 4, 4, 2), D3D_OK);
  EXPECT_EQ(Read(rt.get()), (std::vector<uint32_t>{0xFF0000FF, 0, 0xFF00FF00, 0}));
  // Indices, vertices and buffer ranges outside the buffers are refused, never read.
  EXPECT_EQ(dev->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, 4, 6, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 5, 0, 4, 4, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->DrawPrimitive(D3DPT_TRIANGLESTRIP, 5, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(buf->Lock(200, 28, &p, 0), D3DERR_INVALIDCALL);
  dev->SetFVF(0x142);
  EXPECT_EQ(dev->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
  dev->SetStreamSource(0, nullptr, 0, 0);
  dev->SetIndices(nullptr);
  buf->Release();
  ib->Release();
}

TEST_F(D3DDeviceTest, PresentShowsTheBackBuffer) {
  IDirect3DSurface9* bb = nullptr;
  dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb);
  dev->SetRenderTarget(0, bb);
  const D3DRECT r{1, 0, 2, 1};
  dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00102030, 1.0f, 0);
  dev->Clear(1, &r, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
  D3DLOCKED_RECT lr{};
  ASSERT_EQ(bb->LockRect(&lr, nullptr, 0), D3D_OK);  // the back buffer is lockable
  EXPECT_EQ(static_cast<uint32_t*>(lr.pBits)[0], 0xFF102030u);
  bb->UnlockRect();
  bb->Release();
  dev->EndScene();
  ASSERT_EQ(dev->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(gfx::HeadlessFrameCount(), 1);
  const gfx::ShownFrame f = gfx::HeadlessLastFrame();
  EXPECT_EQ(f.hWnd, hwnd);
  ASSERT_EQ(f.width, 32);
  ASSERT_EQ(f.height, 16);
  EXPECT_EQ(f.argb[0], 0xFF102030u);
  EXPECT_EQ(f.argb[1], 0xFFFFFFFFu);
  dev->BeginScene();
}

TEST_F(D3DDeviceTest, LostDeviceResetsOnlyAfterItsVideoMemoryIsReleased) {
  IDirect3DTexture9* rt = nullptr;
  ASSERT_EQ(dev->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &rt, nullptr),
            D3D_OK);
  auto managed = Texture(D3DFMT_A8R8G8B8, 1, 1, {0xFF123456});
  dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  dev->EndScene();

  dev->LoseForTest();
  EXPECT_EQ(dev->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(dev->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(dev->Reset(&pp), D3DERR_DEVICELOST);
  dev->SetResettableForTest(true);
  EXPECT_EQ(dev->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(dev->Reset(&pp), D3DERR_INVALIDCALL);  // the render target still exists
  EXPECT_EQ(dev->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  rt->Release();
  IDirect3DSurface9* bb = nullptr;
  dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb);
  EXPECT_EQ(dev->Reset(&pp), D3DERR_INVALIDCALL);  // so does a reference to the back buffer
  bb->Release();
  ASSERT_EQ(dev->Reset(&pp), D3D_OK);
  EXPECT_EQ(dev->TestCooperativeLevel(), D3D_OK);

  // The states are back at their defaults (culling counter-clockwise) and managed textures live on.
  ASSERT_EQ(dev->BeginScene(), D3D_OK);
  auto target = Target(D3DFMT_A8R8G8B8, 1, 1, 0);
  ASSERT_EQ(Blit(Level(target.get()), 0, 0, 1, 1, managed.get(), 0, 0, 1, 1), D3D_OK);
  EXPECT_EQ(Read(target.get())[0], 0u);
  dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  ASSERT_EQ(Blit(Level(target.get()), 0, 0, 1, 1, managed.get(), 0, 0, 1, 1), D3D_OK);
  EXPECT_EQ(Read(target.get())[0], 0xFF123456u);
}

TEST_F(D3DDeviceTest, VideoMemoryRunsOutOnlyForTheDefaultPool) {
  gfx::SetVideoMemoryBudgetForTest(64 * 64 * 4);
  IDirect3DTexture9* a = nullptr;
  IDirect3DTexture9* b = nullptr;
  ASSERT_EQ(dev->CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &a, nullptr),
            D3D_OK);
  EXPECT_EQ(dev->CreateTexture(1, 1, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &b, nullptr),
            D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(b, nullptr);
  EXPECT_EQ(dev->GetAvailableTextureMem(), 0u);
  ASSERT_EQ(dev->CreateTexture(64, 64, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &b, nullptr), D3D_OK);
  b->Release();
  a->Release();
  ASSERT_EQ(dev->CreateTexture(1, 1, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &b, nullptr), D3D_OK);
  b->Release();
}

}  // namespace
