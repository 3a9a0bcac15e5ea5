// Frame presentation: the virtual back buffer, frame pacing on the drivable clock, a lost
// device, the blend values and substitutes, and the DirectDraw no-ops.
#include <gtest/gtest.h>

#include <vector>

#include "core/frame_timing.h"
#include "draw_fixture.h"
#include "platform/time.h"
#include "platform/window.h"

TEST_F(DrawTest, VirtualBackBufferRedirectsDrawingAndCopiesItBack) {
  InitOrFail(1, 32, 1);
  const std::string sheet = SheetBmp();
  DDSURFACEDATA sprite;
  DDSetTransmit(255, 0, 255);
  ASSERT_EQ(DDCreateSurfaceFromFile(&sprite, sheet.c_str(), 1, 32, 0, 0, 0, 0, 0, 0, 0), 0);
  DDFillRect(&BackBuffer, 0, 0, 640, 480, 3);

  DDSURFACEDATA* p = &BackBuffer;
  EXPECT_EQ(DDRedirectBackBuffer(&p), 0) << "off: no redirection";
  EXPECT_EQ(p, &BackBuffer);

  DDSetVirtualBackBuffer(1);
  EXPECT_EQ(lpDTCon->lpDefaultTargetSD, &BackBuffer);
  EXPECT_EQ(DDRedirectBackBuffer(&p), 1);
  EXPECT_EQ(p, &VirBackBuffer);
  p = &WorkSD;
  EXPECT_EQ(DDRedirectBackBuffer(&p), 0);
  EXPECT_EQ(p, &WorkSD);

  // Drawing aimed at BackBuffer lands in VirBackBuffer.
  DDFillRect(&BackBuffer, 0, 0, 20, 20, 1);
  EXPECT_EQ(Pixel(&VirBackBuffer, 5, 5), 0xFFFF0000u);
  EXPECT_EQ(Pixel(&BackBuffer, 5, 5), 0xFF0000FFu);
  DDSetVirtualBackBuffer(1);
  EXPECT_EQ(Pixel(&BackBuffer, 5, 5), 0xFF0000FFu) << "switching on twice copies nothing";
  // An opaque blit of the keyed sheet leaves its transparent pixel transparent in VirBackBuffer;
  // the copy onto BackBuffer is opaque.
  DDBltFast(&BackBuffer, 200, 200, 32, 24, &sprite, 0, 0, 0);
  EXPECT_EQ(Pixel(&VirBackBuffer, 200, 200), 0u);

  EXPECT_EQ(DDPresent(0, 0, nullptr), 1);
  EXPECT_EQ(lpDTCon->bVirtualBackBuffer, 1) << "the present leaves it on";
  EXPECT_EQ(Rgb(presenter.At(5, 5)), SheetColor(1));
  EXPECT_EQ(Rgb(presenter.At(200, 200)), 0u);
  EXPECT_EQ(Rgb(presenter.At(201, 200)), SheetColor(1));

  // Switching off mid-frame keeps what was drawn before and after.
  DDFillRect(&BackBuffer, 30, 0, 10, 10, 2);
  DDSetVirtualBackBuffer(0);
  EXPECT_EQ(lpDTCon->lpDefaultTargetSD, &VirBackBuffer);
  DDFillRect(&BackBuffer, 50, 0, 10, 10, 4);
  // Switching off while off copies nothing: what is drawn into VirBackBuffer now stays there.
  DDFillRectD3D(&VirBackBuffer, 70, 0, 10, 10, 0xFF00FFFFu);
  DDSetVirtualBackBuffer(0);
  EXPECT_EQ(DDPresent(0, 0, nullptr), 1);
  EXPECT_EQ(Rgb(presenter.At(35, 5)), SheetColor(2));
  EXPECT_EQ(Rgb(presenter.At(55, 5)), SheetColor(4));
  EXPECT_EQ(Rgb(presenter.At(75, 5)), 0u) << "VirBackBuffer's transparent black, copied when it was on";
  DDReleaseSurface(&sprite);
}

TEST_F(DrawTest, OnlyTheFullScreenBackBufferHasItsOwnLayout) {
  InitOrFail(1, 16, 0);
  EXPECT_TRUE(DDIsFullscreenBackBuffer(&BackBuffer));
  EXPECT_FALSE(DDIsFullscreenBackBuffer(&VirBackBuffer));
  DDSURFACEDATA* p = &BackBuffer;
  DDSetVirtualBackBuffer(1);
  DDRedirectBackBuffer(&p);
  EXPECT_FALSE(DDIsFullscreenBackBuffer(p));
  DDEnd();
  InitOrFail(1, 16, 1);
  EXPECT_FALSE(DDIsFullscreenBackBuffer(&BackBuffer));
}

// Without vertical sync frame n of each one-second window is presented at the first
// millisecond at or after the window's start + n × 1000 / 60.
TEST_F(DrawTest, FramesArePacedInOneSecondWindows) {
  InitOrFail(1, 32, 1);
  std::vector<DWORD> times;
  for (int i = 0; i < 62; ++i) {
    ASSERT_EQ(DDPresent(60, 0, nullptr), 1);
    times.push_back(timeGetTime());
  }
  std::vector<DWORD> expected;
  DWORD start = 10000;
  int n = 0;
  for (int i = 0; i < 62; ++i) {
    // n × 1000 / 60 rounded up, in whole numbers: 250 for frame 15, not a millisecond later.
    expected.push_back(start + static_cast<DWORD>((n * 1000 + 59) / 60));
    if (++n == 60) {
      n = 0;
      start = expected.back();
    }
  }
  EXPECT_EQ(times, expected);
  EXPECT_EQ(presenter.frames, 62);

  // With vertical sync the presentation interval waits instead.
  DDEnd();
  ResetFrameTiming();
  ASSERT_TRUE(Init(1, 32, 1, 1));
  const DWORD before = timeGetTime();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(DDPresent(60, 0, nullptr), 1);
  EXPECT_EQ(timeGetTime(), before);
}

TEST_F(DrawTest, ALostDeviceMinimisesOnlyAFullScreenWindow) {
  for (int window : {1, 0}) {
    SCOPED_TRACE(window);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    InitOrFail(1, 32, window);
    lpDevice->LoseForTest();
    EXPECT_EQ(DDPresent(0, 0, nullptr), 0);
    EXPECT_EQ(IsIconic(hwnd) != 0, window == 0);
    DDEnd();
  }
}

TEST_F(DrawTest, BlendValuesAndSubstitutes) {
  InitOrFail(1, 32, 1);
  DDSetDiffuse(0x80FF0000u);
  DDSetColorOp(D3DTOP_ADD);
  DDSetAlphaOp(D3DTOP_DISABLE);
  EXPECT_EQ(lpDTCon->dwDiffuse, 0x80FF0000u);
  EXPECT_EQ(lpDTCon->nColorOp, D3DTOP_ADD);
  EXPECT_EQ(lpDTCon->nAlphaOp, D3DTOP_DISABLE);
  DDResetDiffuse();
  DDResetColorOp();
  DDResetAlphaOp();
  EXPECT_EQ(lpDTCon->dwDiffuse, 0xFFFFFFFFu);
  EXPECT_EQ(lpDTCon->nColorOp, D3DTOP_MODULATE);
  EXPECT_EQ(lpDTCon->nAlphaOp, D3DTOP_SELECTARG1);

  DDSURFACEDATA a, b, c;
  a.lpSubstitute = &b;
  b.lpSubstitute = &c;
  DDSURFACEDATA* p = &a;
  DDUseSubstitute(&p);
  EXPECT_EQ(p, &b) << "a substitute's own substitute is not followed";
  p = &c;
  DDUseSubstitute(&p);
  EXPECT_EQ(p, &c);
}

TEST_F(DrawTest, UnderDirectDrawPresentationCallsDoNothing) {
  InitOrFail(0, 32, 0);
  const DWORD before = timeGetTime();
  EXPECT_EQ(DDPresent(60, 0, nullptr), 1);
  EXPECT_EQ(timeGetTime(), before);
  EXPECT_EQ(presenter.frames, 0);
  DDSetVirtualBackBuffer(1);
  DDSURFACEDATA* p = &BackBuffer;
  EXPECT_EQ(DDRedirectBackBuffer(&p), 0);
  EXPECT_EQ(p, &BackBuffer);
  EXPECT_FALSE(DDIsFullscreenBackBuffer(&BackBuffer));
  DDSURFACEDATA alias;
  alias.lpSubstitute = &WorkSD2;
  p = &alias;
  DDUseSubstitute(&p);
  EXPECT_EQ(p, &alias);
  DDSetDiffuse(0);
  DDSetColorOp(7);
  DDSetAlphaOp(1);
  DDCopyVirtualBackBuffer(&BackBuffer, &WorkSD2);
  EXPECT_EQ(lpDTCon, nullptr);
}
