#include "platform/ddraw.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "device_fixture.h"
#include "platform/display.h"

namespace {

class DDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gfx::ResetHeadlessPresenter();
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
  }
  void TearDown() override {
    for (IUnknown* o : owned) o->Release();
    if (dd) {
      EXPECT_EQ(dd->Release(), 0u);
    }
    gfx::SetVideoMemoryBudgetForTest(-1);
  }
  template <class T>
  T* Own(T* o) {
    owned.insert(owned.begin(), o);
    return o;
  }
  // An exclusive full-screen display of 8 × 4 pixels with a flip chain.
  void FullScreen(DWORD bpp, DWORD backs) {
    ASSERT_EQ(dd->SetCooperativeLevel(hwnd, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWREBOOT), DD_OK);
    ASSERT_EQ(dd->SetDisplayMode(8, 4, bpp, 60, 0), DD_OK);
    DDSURFACEDESC2 d{};
    d.dwSize = 124;
    d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    d.dwBackBufferCount = backs;
    IDirectDrawSurface7* p = nullptr;
    ASSERT_EQ(dd->CreateSurface(&d, &p, nullptr), DD_OK);
    DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
    IDirectDrawSurface7* b = nullptr;
    ASSERT_EQ(p->GetAttachedSurface(&caps, &b), DD_OK);
    back = Own(b);
    primary = Own(p);
  }
  IDirectDrawSurface7* Offscreen(DWORD w, DWORD h, bool system = false) {
    DDSURFACEDESC2 d{};
    d.dwSize = 124;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = w;
    d.dwHeight = h;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | (system ? DDSCAPS_SYSTEMMEMORY : 0);
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
    return s ? Own(s) : nullptr;
  }
  static void Write(IDirectDrawSurface7* s, const std::vector<uint32_t>& values) { WriteSurface(s, values); }
  static std::vector<uint32_t> Pixels(IDirectDrawSurface7* s) { return SurfacePixels(s); }

  IDirectDraw7* dd = nullptr;
  IDirectDrawSurface7* primary = nullptr;
  IDirectDrawSurface7* back = nullptr;
  std::vector<IUnknown*> owned;  // released in reverse order of creation
  HWND hwnd = reinterpret_cast<HWND>(0x4321);
};

TEST_F(DDrawTest, FlipSwapsThePixelsAndShowsTheNewFront) {
  FullScreen(32, 1);
  EXPECT_TRUE(gfx::HeadlessFullscreen());
  Write(primary, std::vector<uint32_t>(32, 0x111111));
  Write(back, std::vector<uint32_t>(32, 0x222222));
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(Pixels(primary), std::vector<uint32_t>(32, 0x222222));
  EXPECT_EQ(Pixels(back), std::vector<uint32_t>(32, 0x111111));  // the previous frame
  const gfx::ShownFrame f = gfx::HeadlessLastFrame();
  EXPECT_EQ(f.hWnd, hwnd);
  ASSERT_EQ(f.width, 8);
  EXPECT_EQ(f.argb, std::vector<uint32_t>(32, 0xFF222222));
  EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
}

TEST_F(DDrawTest, FlipRotatesAChainOfTwoBackBuffers) {
  FullScreen(16, 2);
  Write(primary, std::vector<uint32_t>(32, 1));
  Write(back, std::vector<uint32_t>(32, 2));
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);  // front 2, back: the third buffer's pixels (0)
  EXPECT_EQ(Pixels(primary), std::vector<uint32_t>(32, 2));
  EXPECT_EQ(Pixels(back), std::vector<uint32_t>(32, 0));
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(Pixels(primary), std::vector<uint32_t>(32, 0));
  EXPECT_EQ(Pixels(back), std::vector<uint32_t>(32, 1));
}

TEST_F(DDrawTest, EightBitFramesAreShownThroughThePaletteOfTheMoment) {
  FullScreen(8, 1);
  PALETTEENTRY entries[256] = {};
  entries[1] = {0x10, 0x20, 0x30, PC_RESERVED};
  entries[2] = {0xFF, 0x00, 0x80, PC_EXPLICIT};
  IDirectDrawPalette* pal = nullptr;
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &pal, nullptr), DD_OK);
  Own(pal);
  ASSERT_EQ(primary->SetPalette(pal), DD_OK);
  std::vector<uint32_t> idx(32, 1);
  idx[3] = 2;
  Write(back, idx);
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  std::vector<uint32_t> want(32, 0xFF102030);
  want[3] = 0xFFFF0080;
  EXPECT_EQ(gfx::HeadlessLastFrame().argb, want);
  // A palette change shows with the next frame.
  const PALETTEENTRY dark{0, 0, 0x40, 0};
  ASSERT_EQ(pal->SetEntries(0, 2, 1, &dark), DD_OK);
  Write(back, idx);
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  want[3] = 0xFF000040;
  EXPECT_EQ(gfx::HeadlessLastFrame().argb, want);
  EXPECT_EQ(pal->SetEntries(0, 250, 7, entries), DDERR_INVALIDPARAMS);
  IDirectDrawSurface7* s = Offscreen(2, 2);
  DDPIXELFORMAT pf{};
  pf.dwSize = sizeof pf;
  ASSERT_EQ(s->GetPixelFormat(&pf), DD_OK);
  EXPECT_TRUE(pf.dwFlags & DDPF_PALETTEINDEXED8);
}

TEST_F(DDrawTest, BltFastLeavesOutKeyedPixels) {
  struct Row {
    DWORD bpp;
    DWORD key;
    std::vector<uint32_t> src, expectKeyed;
  };
  const uint32_t dst = 0x1111;
  const Row rows[] = {
      // At 32 bits the fourth byte is not part of the colour.
      {32, 0x000000FF, {0xAB0000FF, 0x000000FE, 0x000000FF, 0x00FF00FF}, {dst, 0x000000FE, dst, 0x00FF00FF}},
      {16, 0xF81F, {0xF81F, 0xF81E, 0x001F, 0xF81F}, {dst, 0xF81E, 0x001F, dst}},
      {8, 0, {0, 1, 2, 0}, {0x11, 1, 2, 0x11}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.bpp);
    for (IUnknown* o : owned) o->Release();
    owned.clear();
    FullScreen(r.bpp, 1);
    IDirectDrawSurface7* src = Offscreen(4, 1, true);
    IDirectDrawSurface7* out = Offscreen(4, 1);
    Write(src, r.src);
    DDCOLORKEY key{r.key, r.key};
    ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    const uint32_t fill = r.bpp == 8 ? 0x11 : dst;
    Write(out, std::vector<uint32_t>(4, fill));
    ASSERT_EQ(out->BltFast(0, 0, src, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(Pixels(out), r.expectKeyed);
    ASSERT_EQ(out->BltFast(0, 0, src, nullptr, DDBLTFAST_WAIT), DD_OK);
    std::vector<uint32_t> copied = r.src;
    EXPECT_EQ(Pixels(out), copied);
    primary = back = nullptr;
  }
}

TEST_F(DDrawTest, BltFastDoesNotClip) {
  FullScreen(32, 1);
  IDirectDrawSurface7* src = Offscreen(4, 4);
  IDirectDrawSurface7* out = Offscreen(8, 4);
  RECT inside{0, 0, 4, 4}, beyondSource{2, 2, 6, 4}, empty{1, 1, 1, 3};
  EXPECT_EQ(out->BltFast(4, 0, src, &inside, DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(out->BltFast(5, 0, src, &inside, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  EXPECT_EQ(out->BltFast(0, 1, src, &inside, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  EXPECT_EQ(out->BltFast(0, 0, src, &beyondSource, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  EXPECT_EQ(out->BltFast(0, 0, src, &empty, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  EXPECT_EQ(out->BltFast(0xFFFFFFFFu, 0, src, &inside, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
  IDirectDrawClipper* clip = nullptr;
  ASSERT_EQ(dd->CreateClipper(0, &clip, nullptr), DD_OK);
  Own(clip);
  ASSERT_EQ(out->SetClipper(clip), DD_OK);
  EXPECT_EQ(out->BltFast(0, 0, src, &inside, DDBLTFAST_WAIT), DDERR_BLTFASTCANTCLIP);
}

TEST_F(DDrawTest, BltStretchesFillsAndClipsOnlyWithAClipper) {
  FullScreen(32, 1);
  IDirectDrawSurface7* src = Offscreen(4, 1);
  IDirectDrawSurface7* out = Offscreen(8, 1);
  Write(src, {1, 2, 3, 4});
  ASSERT_EQ(out->Blt(nullptr, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Pixels(out), (std::vector<uint32_t>{1, 1, 2, 2, 3, 3, 4, 4}));
  RECT two{0, 0, 2, 1}, five{3, 0, 8, 1};
  ASSERT_EQ(out->Blt(&two, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  ASSERT_EQ(out->Blt(&five, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Pixels(out), (std::vector<uint32_t>{2, 4, 2, 1, 2, 3, 3, 4}));

  DDCOLORKEY key{2, 2};
  src->SetColorKey(DDCKEY_SRCBLT, &key);
  DDBLTFX fx{100, 9};
  ASSERT_EQ(out->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  ASSERT_EQ(out->Blt(nullptr, src, nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr), DD_OK);
  EXPECT_EQ(Pixels(out), (std::vector<uint32_t>{1, 1, 9, 9, 3, 3, 4, 4}));
  RECT middle{2, 0, 5, 1};
  fx.dwFillColor = 7;
  ASSERT_EQ(out->Blt(&middle, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  EXPECT_EQ(Pixels(out), (std::vector<uint32_t>{1, 1, 7, 7, 7, 3, 4, 4}));

  RECT over{6, 0, 10, 1}, badSource{0, 0, 5, 1};
  EXPECT_EQ(out->Blt(&over, src, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
  EXPECT_EQ(out->Blt(nullptr, src, &badSource, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
  EXPECT_EQ(out->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, nullptr), DDERR_INVALIDPARAMS);
  IDirectDrawClipper* clip = nullptr;
  ASSERT_EQ(dd->CreateClipper(0, &clip, nullptr), DD_OK);
  Own(clip);
  out->SetClipper(clip);
  // With a clipper the part inside the surface is drawn, the source scaled along.
  ASSERT_EQ(out->Blt(&over, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Pixels(out), (std::vector<uint32_t>{1, 1, 7, 7, 7, 3, 1, 2}));
}

TEST_F(DDrawTest, LocksAndDcsMakeASurfaceBusy) {
  FullScreen(16, 1);
  IDirectDrawSurface7* s = Offscreen(3, 2);
  IDirectDrawSurface7* other = Offscreen(3, 2);
  DDSURFACEDESC2 d{};
  d.dwSize = 124;
  ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(d.dwWidth, 3u);
  EXPECT_EQ(d.lPitch, 8);
  EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, 16u);
  EXPECT_EQ(d.ddpfPixelFormat.dwRBitMask, 0xF800u);
  EXPECT_EQ(d.ddpfPixelFormat.dwGBitMask, 0x07E0u);
  EXPECT_EQ(d.ddpfPixelFormat.dwBBitMask, 0x001Fu);
  EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(other->BltFast(0, 0, s, nullptr, DDBLTFAST_WAIT), DDERR_SURFACEBUSY);
  HDC dc = nullptr;
  EXPECT_EQ(s->GetDC(&dc), DDERR_SURFACEBUSY);
  ASSERT_EQ(s->Unlock(nullptr), DD_OK);
  EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
  ASSERT_EQ(s->GetDC(&dc), DD_OK);
  EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(s->ReleaseDC(dc), DD_OK);
  EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
  s->Unlock(nullptr);
}

TEST_F(DDrawTest, LostSurfacesStayLostUntilRestored) {
  FullScreen(32, 1);
  IDirectDrawSurface7* video = Offscreen(2, 1);
  IDirectDrawSurface7* system = Offscreen(2, 1, true);
  Write(video, {5, 6});
  Write(system, {7, 8});
  EXPECT_EQ(primary->IsLost(), DD_OK);
  dd->LoseSurfacesForTest();
  EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(back->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(video->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(system->IsLost(), DD_OK);
  EXPECT_EQ(video->BltFast(0, 0, system, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
  EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
  DDSURFACEDESC2 d{};
  EXPECT_EQ(video->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
  ASSERT_EQ(video->Restore(), DD_OK);
  EXPECT_EQ(video->IsLost(), DD_OK);
  EXPECT_EQ(Pixels(video), (std::vector<uint32_t>{0, 0}));  // the content is gone
  EXPECT_EQ(Pixels(system), (std::vector<uint32_t>{7, 8}));
}

TEST_F(DDrawTest, ChildrenHoldTheDirectDrawObject) {
  FullScreen(32, 1);
  IDirectDrawSurface7* s = Offscreen(2, 2);
  owned.erase(owned.begin());
  dd->AddRef();
  EXPECT_GT(dd->Release(), 1u);
  s->Release();
}

TEST_F(DDrawTest, SetUpRules) {
  DDSURFACEDESC2 d{};
  d.dwSize = 124;
  d.dwFlags = DDSD_CAPS;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface7* s = nullptr;
  EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DDERR_NOCOOPERATIVELEVELSET);
  EXPECT_EQ(dd->SetDisplayMode(640, 480, 16, 60, 0), DDERR_NOEXCLUSIVEMODE);
  ASSERT_EQ(dd->SetCooperativeLevel(hwnd, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
  EXPECT_EQ(dd->SetDisplayMode(640, 480, 24, 60, 0), DDERR_INVALIDMODE);
  ASSERT_EQ(dd->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
  ASSERT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
  Own(s);
  IDirectDrawSurface7* twice = nullptr;
  EXPECT_EQ(dd->CreateSurface(&d, &twice, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
  DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
  EXPECT_EQ(s->GetAttachedSurface(&caps, &twice), DDERR_NOTFOUND);
  DDSURFACEDESC2 got{};
  ASSERT_EQ(s->GetSurfaceDesc(&got), DD_OK);
  EXPECT_EQ(got.dwWidth, 640u);
  EXPECT_EQ(got.ddpfPixelFormat.dwRGBBitCount, 16u);
  DWORD hz = 0, total = 0, free = 0;
  ASSERT_EQ(dd->GetMonitorFrequency(&hz), DD_OK);
  EXPECT_EQ(hz, 60u);
  ASSERT_EQ(dd->GetAvailableVidMem(nullptr, &total, &free), DD_OK);
  EXPECT_EQ(total, 512u << 20);
  EXPECT_LE(free, total);
  EXPECT_EQ(dd->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
  EXPECT_EQ(dd->FlipToGDISurface(), DD_OK);
  gfx::SetVideoMemoryBudgetForTest(0);
  DDSURFACEDESC2 off{};
  off.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  off.dwWidth = off.dwHeight = 4;
  off.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  EXPECT_EQ(dd->CreateSurface(&off, &twice, nullptr), DDERR_OUTOFVIDEOMEMORY);
  off.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
  ASSERT_EQ(dd->CreateSurface(&off, &twice, nullptr), DD_OK);
  Own(twice);
  GUID other = IID_IDirectDraw7;
  other.Data1 ^= 1;
  void* none = nullptr;
  EXPECT_EQ(DirectDrawCreateEx(nullptr, &none, other, nullptr), DDERR_INVALIDPARAMS);
}

// A presenter whose window has its client area at (100, 50) on the screen.
class OffsetPresenter : public gfx::Presenter {
 public:
  gfx::DisplayMode DesktopMode() override { return {1024, 768, 75, 32}; }
  void ClientSize(HWND, int* w, int* h) override {
    *w = 4;
    *h = 2;
  }
  void ClientOrigin(HWND, int* x, int* y) override {
    *x = 100;
    *y = 50;
  }
  void SetFullscreen(HWND, bool) override {}
  void ShowFrame(HWND, const gfx::PixelBuffer& frame, const uint32_t* palette, bool) override {
    shown.assign(static_cast<size_t>(frame.width * frame.height), 0);
    gfx::ConvertToArgb(frame, palette, shown.data(), frame.width);
  }
  void WaitVerticalBlank() override {}
  std::vector<uint32_t> shown;
};

TEST_F(DDrawTest, WindowPrimaryIsTheClientAreaInScreenCoordinates) {
  OffsetPresenter presenter;
  gfx::SetPresenter(&presenter);
  ASSERT_EQ(dd->SetCooperativeLevel(hwnd, DDSCL_NORMAL), DD_OK);
  DDSURFACEDESC2 d{};
  d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  d.dwBackBufferCount = 1;
  IDirectDrawSurface7* p = nullptr;
  EXPECT_EQ(dd->CreateSurface(&d, &p, nullptr), DDERR_NOEXCLUSIVEMODE);
  d.dwFlags = DDSD_CAPS;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  ASSERT_EQ(dd->CreateSurface(&d, &p, nullptr), DD_OK);
  primary = Own(p);
  IDirectDrawClipper* clip = nullptr;
  ASSERT_EQ(dd->CreateClipper(0, &clip, nullptr), DD_OK);
  Own(clip);
  clip->SetHWnd(0, hwnd);
  primary->SetClipper(clip);
  IDirectDrawSurface7* frame = Offscreen(4, 2);
  Write(frame, {1, 2, 3, 4, 5, 6, 7, 8});
  RECT client{100, 50, 104, 52};
  ASSERT_EQ(primary->Blt(&client, frame, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(presenter.shown, (std::vector<uint32_t>{0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004, 0xFF000005,
                                                    0xFF000006, 0xFF000007, 0xFF000008}));
  DWORD hz = 0;
  dd->GetMonitorFrequency(&hz);
  EXPECT_EQ(hz, 75u);
  gfx::SetPresenter(nullptr);
}

}  // namespace
