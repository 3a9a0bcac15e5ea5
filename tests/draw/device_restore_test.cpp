// Losing the device in the middle of a run of frames and bringing every surface back: the
// Direct3D reset (only when the device asks for it) and the DirectDraw restore.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "draw/font.h"
#include "effect_fixture.h"
#include "platform/d3dx9.h"
#include "platform/gdi.h"

namespace {

std::vector<int> g_FontCalls;
void RecordFontRestore(int bAfter) { g_FontCalls.push_back(bAfter); }

size_t Count(const std::string& text, const std::string& line) {
  size_t n = 0;
  for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++n;
  return n;
}

// A D3DX font whose device calls fail, as a driver's may.
class FailingFont : public ID3DXFont {
 public:
  INT DrawTextA(ID3DXSprite*, const char*, INT, RECT*, DWORD, D3DCOLOR) override { return 0; }
  HRESULT OnLostDevice() override { return D3DERR_INVALIDCALL; }
  HRESULT OnResetDevice() override { return D3DERR_INVALIDCALL; }
};

}  // namespace

class DeviceRestoreTest : public EffectTest {
 protected:
  void TearDown() override {
    g_lpfnDDRestoreFonts = nullptr;
    g_FontCalls.clear();
    EffectTest::TearDown();
    // The fonts installed the text engine; other tests run without one.
    SetGdiTextEngine(nullptr);
    SetD3DXFontFactory(nullptr);
  }
};

TEST_F(DeviceRestoreTest, Direct3DResetInTheMiddleOfFrames) {
  const std::string sheet = SheetBmp();
  table[0] = Entry(sheet.c_str(), 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  table[1] = Entry(sheet.c_str(), 1, 0, 0, 0, 0, 0, 16, 0, 0, 0);  // mirrored cells of 16
  table[2] = Entry("E", 1, 0, 0, 0, 0, 0, 0, 0, 32, 16);
  InitOrFail(1, 32, 1);
  DDSetTransmit(255, 0, 255);
  const int images[] = {0, 1, 2};
  ASSERT_TRUE(DDLoadSystemBitmaps(g_SystemImage, images, 3));
  DDSURFACEDATA kept;  // a system-memory texture keeps its texture and content
  MakeLocked(&kept, 8, 8, 0xFF123456);
  g_lpfnDDRestoreFonts = &RecordFontRestore;
  // One frame of the play: the work surface (its owner redraws it when lost) and the images.
  const auto drawFrame = [&](int frame) {
    if (DDTakeLost(&g_SystemImage[2])) {
      DDFillRect(&g_SystemImage[2], 0, 0, 32, 16, 5);
      g_SystemImage[2].bLost = 0;
    }
    DDFillRect(&BackBuffer, 0, 0, 640, 480, 3);
    DDBltFast(&BackBuffer, frame, 0, 32, 24, &g_SystemImage[0], 0, 0, 1);
    DDBltFast(&BackBuffer, 40, 0, 32, 24, &g_SystemImage[1], 0, 0, 1);
    DDBltFast(&BackBuffer, 80, 0, 32, 16, &g_SystemImage[2], 0, 0, 0);
    DDBltFast(&BackBuffer, 120, 0, 8, 8, &kept, 0, 0, 0);
    return DDPresent(0, 0, nullptr);
  };
  g_SystemImage[2].bLost = 1;  // its owner draws it first
  for (int frame = 0; frame < 3; ++frame) ASSERT_EQ(drawFrame(frame), 1);
  const std::vector<DWORD> shown = presenter.argb;
  std::vector<std::vector<DWORD>> before;
  for (int i = 0; i < 3; ++i) before.push_back(Pixels(&g_SystemImage[i]));
  IDirect3DTexture9* keptTexture = kept.lpDT->lpTexture;

  // A restore asked while the device is not lost releases nothing.
  IDirect3DTexture9* sheetTexture = g_SystemImage[0].lpDT->lpTexture;
  EXPECT_EQ(DDRestoreSurface(), 1);
  EXPECT_EQ(g_SystemImage[0].lpDT->lpTexture, sheetTexture);
  EXPECT_EQ(Pixels(&g_SystemImage[0]), before[0]);

  lpDevice->LoseForTest();
  EXPECT_EQ(drawFrame(3), 0);
  // Not yet resettable: nothing is released, the caller tries again later.
  std::string errors = Errors();
  EXPECT_EQ(DDRestoreSurface(), 0);
  EXPECT_EQ(Errors().substr(errors.size()), "Restore In\n復旧失敗…リセット可能な状態ではありません…\n");
  EXPECT_EQ(g_SystemImage[0].lpDT->lpTexture, sheetTexture);
  EXPECT_EQ(drawFrame(4), 0);
  lpDevice->SetResettableForTest(true);
  errors = Errors();
  EXPECT_EQ(DDRestoreSurface(), 1);
  EXPECT_EQ(Count(Errors().substr(errors.size()), "Restore Out\n"), 1u);
  EXPECT_EQ(Count(Errors().substr(errors.size()), "Err\n"), 0u);
  EXPECT_EQ(g_FontCalls, (std::vector<int>{0, 1}));
  EXPECT_EQ(kept.lpDT->lpTexture, keptTexture);
  // Files come back as they were (the mirrored one mirrored); the empty image is marked lost
  // and cleared to the transparent colour until its owner draws it.
  EXPECT_EQ(Pixels(&g_SystemImage[0]), before[0]);
  EXPECT_EQ(Pixels(&g_SystemImage[1]), before[1]);
  EXPECT_EQ(g_SystemImage[2].bLost, 0);
  EXPECT_EQ(Pixel(&g_SystemImage[2], 3, 3), lpDTCon->dwTransmitARGB);
  EXPECT_EQ(DDTakeLost(&g_SystemImage[2]), 1);
  EXPECT_EQ(DDTakeLost(&g_SystemImage[2]), 1);  // stays until the owner clears it
  ASSERT_EQ(drawFrame(2), 1);
  EXPECT_EQ(Pixels(&g_SystemImage[2]), before[2]);
  EXPECT_EQ(presenter.argb, shown);
  DDReleaseSurface(&kept);
}

TEST_F(DeviceRestoreTest, DirectDrawRestoreReloadsVideoImages) {
  const std::string sheet = SheetBmp();
  table[0] = Entry(sheet.c_str(), 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);  // video memory, from a file
  table[1] = Entry(sheet.c_str(), 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  table[2] = Entry(sheet.c_str(), 1, 1, 0, 0, 0, 0, 0, 0, 0, 0);  // system memory
  InitOrFail(0, 8, 0);
  const int images[] = {0, 1, 2};
  ASSERT_TRUE(DDLoadSystemBitmaps(g_SystemImage, images, 3));
  // Image 1 made again empty in video memory: the file it came from before is not its file.
  table[1] = Entry("E", 1, 0, 0, 0, 0, 0, 0, 0, 32, 16);
  ASSERT_TRUE(DDLoadSystemBitmaps(g_SystemImage, images + 1, 1));
  g_lpfnDDRestoreFonts = &RecordFontRestore;
  const std::vector<DWORD> picture = Pixels(&g_SystemImage[0]);
  Fill(&g_SystemImage[2], 7);
  // Nothing lost: nothing done.
  EXPECT_TRUE(DDRestore());
  EXPECT_TRUE(g_FontCalls.empty());
  // A palette effect in progress survives.
  for (int i = 0; i < 256; ++i) DDPaletteWork[i] = PALETTEENTRY{static_cast<BYTE>(i), 1, 2, 0};
  lpDD->LoseSurfacesForTest();
  EXPECT_TRUE(DDRestore());
  EXPECT_EQ(Pixels(&g_SystemImage[0]), picture);
  EXPECT_EQ(g_SystemImage[1].bLost, 1);
  EXPECT_EQ(g_SystemImage[0].bLost, 0);
  EXPECT_EQ(Pixel(&g_SystemImage[2], 1, 1), 7u);
  PALETTEENTRY shown[256];
  lpDDPal->GetEntries(0, 0, 256, shown);
  EXPECT_EQ(shown[200].peRed, 200);
  EXPECT_EQ(shown[200].peGreen, 1);
  EXPECT_EQ(g_FontCalls, std::vector<int>{1});
  EXPECT_EQ(PrimarySD.lpDDObj->lpSurface->IsLost(), DD_OK);
}

TEST_F(DeviceRestoreTest, EachBackEndRefusesTheOthersRestore) {
  InitOrFail(0, 32, 0);
  std::string errors = Errors();
  EXPECT_EQ(DDRestoreSurface(), 1);
  EXPECT_EQ(Errors().substr(errors.size()), "Restore In\nDDではDDRestoreSurfaceは未対応\n");
  DDEnd();
  InitOrFail(1, 32, 1);
  errors = Errors();
  EXPECT_TRUE(DDRestore());
  EXPECT_EQ(Errors().substr(errors.size()), "D3DではDDRestoreは未対応\n");
}

// Text through the glyph caches in a run of frames that loses the device (Direct3D) or its video
// surfaces (DirectDraw) in the middle: the fonts' part of the restore draws the caches again, so
// the sheets hold the same pixels, the character added while printing keeps its cell, and the
// frames after the restore show what the frames before it showed.
TEST_F(DeviceRestoreTest, GlyphCachesDrawTheSameAfterLoss) {
  for (const DrawMode& m : kDrawModes) {
    SCOPED_TRACE(m.name);
    InitOrFail(m.d3d, m.bpp, m.d3d);
    DDSetTransmit(255, 0, 255);
    // The palette as start-up loads it before the fonts are made.
    for (int i = 0; i < 256; ++i) DDPaletteWork[i] = DDPalette[i];
    if (!m.d3d && m.bpp == 8) lpDDPal->SetEntries(0, 0, 256, DDPalette);
    {
      cFont cached, direct;
      cached.Create("ＭＳ ゴシック", 0, 16, 16, 16, 4, nullptr, 0, 0, nullptr, 1);
      direct.Create("ＭＳ ゴシック", 0, 16, 16, 16, 5, nullptr, 0, 0, nullptr, 0);
      ASSERT_NE(cached.m_lpFastFont_FullAdd, nullptr);
      EXPECT_EQ(g_lpfnDDRestoreFonts, &DDRestoreFonts);  // the fonts' part of every restore
      // ア is in the common set; 漢 is not and takes cell 256 when first printed.
      const auto drawFrame = [&](int frame) {
        DDFillRect(&BackBuffer, 0, 0, 640, 480, 3);
        cached.Print(&BackBuffer, 16 + frame, 16, "Score 42 \x83\x41\x8A\xBF\nxyz!");
        direct.Print(&BackBuffer, 16, 64, "AB \x83\x41");
        return DDPresent(0, 0, nullptr);
      };
      for (int frame = 0; frame < 3; ++frame) ASSERT_EQ(drawFrame(frame), 1);
      const std::vector<DWORD> shown = presenter.argb;
      cBmpFont* sheets[2] = {cached.m_lpFastFont_Half, cached.m_lpFastFont_FullAdd};
      std::vector<DWORD> before[2];
      for (int i = 0; i < 2; ++i) before[i] = Pixels(&sheets[i]->m_GlyphSD);
      ASSERT_EQ(sheets[1]->m_nCount, 257);

      if (m.d3d) {
        lpDevice->LoseForTest();
        EXPECT_EQ(drawFrame(3), 0);
        lpDevice->SetResettableForTest(true);
        EXPECT_EQ(DDRestoreSurface(), 1);
      } else {
        drawFrame(3);
        // At 8 bits the loss comes in the middle of a fade to black: the caches are still drawn
        // in the palette's own colours, and the fade's palette is shown again after them.
        PALETTEENTRY faded[256] = {};
        if (m.bpp == 8) {
          for (int i = 0; i < 256; ++i) DDPaletteWork[i] = faded[i];
          lpDDPal->SetEntries(0, 0, 256, DDPaletteWork);
        }
        lpDD->LoseSurfacesForTest();
        EXPECT_TRUE(DDRestore());
        if (m.bpp == 8) {
          PALETTEENTRY shownPalette[256];
          lpDDPal->GetEntries(0, 0, 256, shownPalette);
          EXPECT_EQ(std::memcmp(shownPalette, faded, sizeof faded), 0);
          for (int i = 0; i < 256; ++i) DDPaletteWork[i] = DDPalette[i];
          lpDDPal->SetEntries(0, 0, 256, DDPaletteWork);
        }
      }
      EXPECT_EQ(Errors().find("OnLostDevice"), std::string::npos) << Errors();
      for (int i = 0; i < 2; ++i) EXPECT_TRUE(Pixels(&sheets[i]->m_GlyphSD) == before[i]) << "sheet " << i;
      EXPECT_EQ(sheets[1]->m_nCount, 257);
      for (int frame = 4; frame < 6; ++frame) ASSERT_EQ(drawFrame(2), 1);  // as frame 2 was drawn
      EXPECT_TRUE(presenter.argb == shown);
      // A second loss finds the sheets drawn again and marked clean: it redraws them once more.
      if (m.d3d) {
        lpDevice->LoseForTest();
        lpDevice->SetResettableForTest(true);
        EXPECT_EQ(DDRestoreSurface(), 1);
        ASSERT_EQ(drawFrame(2), 1);
        EXPECT_TRUE(presenter.argb == shown);
      }
    }
    DDEnd();
  }
}

// A font whose D3DX font cannot let go of the device is logged, and the restore goes on with
// the other fonts: their caches come back.
TEST_F(DeviceRestoreTest, FailingFontIsLoggedAndTheRestoreGoesOn) {
  InitOrFail(1, 32, 1);
  DDSetTransmit(255, 0, 255);
  {
    cFont failing, fine;
    failing.Create("ＭＳ ゴシック", 0, 16, 16, 16, 4, nullptr, 0, 0, nullptr, 0);
    fine.Create("ＭＳ ゴシック", 0, 16, 16, 16, 4, nullptr, 0, 0, nullptr, 1);
    failing.lpFont->Release();
    failing.lpFont = new FailingFont;
    cBmpFont* half = fine.m_lpFastFont_Half;
    const std::vector<DWORD> before = Pixels(&half->m_GlyphSD);
    lpDevice->LoseForTest();
    lpDevice->SetResettableForTest(true);
    const std::string errors = Errors();
    EXPECT_EQ(DDRestoreSurface(), 1);
    const std::string lines = Errors().substr(errors.size());
    // D3DERR_INVALIDCALL, 0x8876086C, as a signed int.
    EXPECT_EQ(Count(lines, "lpFont->OnLostDevice hr = -2005530516\n"), 1u) << lines;
    EXPECT_EQ(Count(lines, "lpFont->OnResetDevice hr = -2005530516\n"), 1u) << lines;
    EXPECT_EQ(Count(lines, "Restore Out\n"), 1u) << lines;
    EXPECT_TRUE(Pixels(&half->m_GlyphSD) == before);
  }
  DDEnd();
}
