// Surface release, mirrored sheets, reloading, locks, debug text and the dialog mode.
#include <gtest/gtest.h>

#include <string>

#include "core/log.h"
#include "draw_fixture.h"

namespace {

// The debug-text sheet: 16 × 10 cells of 8 × 16 pixels, cell (column, row) in the colour of
// index row × 16 + column.
uint32_t FontColor(int index) {
  if (index == 0) return 0xFF00FF;
  const uint32_t i = static_cast<uint32_t>(index);
  return i << 16 | (255 - i) << 8 | ((i * 7) & 255);
}

// The colour of the cell of byte c.
uint32_t CellColor(unsigned char c) {
  int row = c >> 4;
  if (c >= 0xA6 && c <= 0xBF) row -= 10;
  if (c >= 0xC0 && c <= 0xDD) row -= 4;
  return FontColor(row * 16 + (c & 15));
}

DWORD BackPixel(int x, int y) {
  if (lpDTCon) {
    cSurfaceLock lock(&BackBuffer);
    return lock.Get(x, y) & 0xFFFFFF;
  }
  return BackBuffer.lpDDObj->lpSurface->pixels.Get(x, y) & 0xFFFFFF;
}

}  // namespace

TEST_F(DrawTest, ReleasingAnAliasLeavesItsSubstituteDrawable) {
  InitOrFail(1, 32, 1);
  DDSetTransmit(255, 0, 255);
  const std::string sheet = SheetBmp();
  DDSURFACEDATA sheetSD, alias;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sheetSD, sheet.c_str(), 1, 32, 0, 0, 0, 0, 0, 0, 0), 0);
  alias.lpSubstitute = &sheetSD;
  ASSERT_EQ(DDCreateSurfaceFromFile(&alias, sheet.c_str(), 1, 32, 0, 0, 1, 0, 0, 0, 0), 0);
  EXPECT_EQ(alias.lpDT->lpTexture, nullptr);
  EXPECT_EQ(alias.nWidth, 32);
  // Drawn through its substitute.
  DDBltFast(&BackBuffer, 0, 0, 32, 24, &alias, 0, 0, 0);
  EXPECT_EQ(BackPixel(1, 0), SheetColor(1));

  DDReleaseSurface(&alias);
  EXPECT_EQ(alias.lpDT, nullptr);
  ASSERT_NE(sheetSD.lpDT, nullptr);
  EXPECT_NE(sheetSD.lpDT->lpTexture, nullptr);
  EXPECT_EQ(std::count(g_RestoreList.begin(), g_RestoreList.end(), sheetSD.lpDT), 1);
  DDFillRect(&BackBuffer, 0, 0, 32, 24, 3);
  DDBltFast(&BackBuffer, 0, 0, 32, 24, &sheetSD, 0, 0, 1);
  EXPECT_EQ(BackPixel(1, 1), SheetColor(2));

  DDReleaseSurface(&sheetSD);
  EXPECT_EQ(sheetSD.lpDT, nullptr);
  DDReleaseSurface(&sheetSD);
  DDReleaseSurface(nullptr);
}

// Cells of 32 on a 100-pixel sheet: three cells flipped in place, the rest as loaded.
TEST_F(DrawTest, MirroredSheetsFlipEachWholeCell) {
  InitOrFail(1, 32, 1);
  std::vector<uint32_t> rgb(100 * 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 100; ++x) rgb[static_cast<size_t>(y * 100 + x)] = static_cast<uint32_t>(x) << 16 | 0x40;
  }
  const std::string file = Bmp24("columns.bmp", 100, 2, rgb);
  DDSURFACEDATA sd;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sd, file.c_str(), 1, 32, 0, 0, 0, 0, 32, 0, 0), 0);
  EXPECT_EQ(sd.nMirrorWidth, 32);
  const std::vector<DWORD> px = Pixels(&sd);
  for (int x = 0; x < 100; ++x) {
    const int source = x < 96 ? (x / 32) * 32 + 31 - x % 32 : x;
    EXPECT_EQ(px[static_cast<size_t>(x)] & 0xFFFFFF, static_cast<DWORD>(source) << 16 | 0x40) << "column " << x;
  }
  // Only horizontal cells are mirrored here; the others are drawn through substitutes.
  DDSURFACEDATA plain;
  ASSERT_EQ(DDCreateSurfaceFromFile(&plain, file.c_str(), 1, 32, 0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_TRUE(CreateMirror(&plain, &sd, 32, 2));
  EXPECT_TRUE(CreateMirror(&plain, &sd, 0, 0));
  EXPECT_EQ(Pixel(&plain, 0, 0) & 0xFFFFFF, 0x40u);
  DDReleaseSurface(&plain);
  DDReleaseSurface(&sd);
}

TEST_F(DrawTest, DebugTextPlacesCellsWrapsLinesAndReadsKatakana) {
  std::vector<uint32_t> palette;
  for (int i = 0; i < 256; ++i) palette.push_back(FontColor(i));
  std::vector<uint32_t> px(128 * 160);
  for (int y = 0; y < 160; ++y) {
    for (int x = 0; x < 128; ++x) px[static_cast<size_t>(y * 128 + x)] = static_cast<uint32_t>((y / 16) * 16 + x / 8);
  }
  const std::string file = Bmp8("font.bmp", 128, 160, palette, px);
  for (int d3d : {1, 0}) {
    SCOPED_TRACE(d3d);
    InitOrFail(d3d, 32, 1);
    DDSetTransmit(255, 0, 255);
    DDSURFACEDATA font;
    ASSERT_EQ(DDCreateSurfaceFromFile(&font, file.c_str(), 1, 32, 0, 0, 0, 0, 0, 0, 0), 0);
    DDFillRect(&BackBuffer, 0, 0, 640, 480, 0);
    DDDebugText(&BackBuffer, 0, 16, 8, 16, &font, "AB\nC");
    EXPECT_EQ(BackPixel(0, 16), CellColor('A'));
    EXPECT_EQ(BackPixel(8, 16), CellColor('B'));
    EXPECT_EQ(BackPixel(0, 32), CellColor('C'));
    EXPECT_EQ(BackPixel(15, 31), CellColor('B'));
    EXPECT_NE(BackPixel(8, 32), CellColor('B'));
    // Half-width katakana come from rows 0, 1, 8 and 9.
    DDDebugTextF(&BackBuffer, 100, 100, 8, 16, &font, "%s", "\xB1\xC0\xDD");
    EXPECT_EQ(BackPixel(100, 100), FontColor(17));
    EXPECT_EQ(BackPixel(108, 100), FontColor(128));
    EXPECT_EQ(BackPixel(116, 100), FontColor(157));
    // 81 cells of 8 on a 640-pixel screen: the 81st starts the next line.
    DDDebugText(&BackBuffer, 0, 200, 8, 16, &font, std::string(80, 'x').append("y").c_str());
    EXPECT_EQ(BackPixel(632, 200), CellColor('x'));
    EXPECT_EQ(BackPixel(0, 216), CellColor('y'));
    // The frame-rate overlay of the core draws on the back buffer through its seam.
    g_lpfnDDDebugTextOnBackBuffer(300, 300, 8, 16, &font, "Z");
    EXPECT_EQ(BackPixel(300, 300), CellColor('Z'));
    DDReleaseSurface(&font);
    DDEnd();
  }
}

TEST_F(DrawTest, DialogModeInEachSituation) {
  // In a window nothing is needed.
  InitOrFail(1, 32, 1);
  SetCursorCount(0);
  EXPECT_EQ(DDSetDialogMode(1), 1);
  EXPECT_EQ(CursorCount(), 0);
  DDEnd();

  for (int d3d : {1, 0}) {
    SCOPED_TRACE(d3d);
    SetCursorCount(0);
    InitOrFail(d3d, 32, 0);
    DDFillRect(&BackBuffer, 0, 0, 8, 8, 1);
    ASSERT_EQ(CursorCount(), -1);
    EXPECT_EQ(DDSetDialogMode(1), 1);
    EXPECT_EQ(CursorCount(), 0) << "the cursor shows over the dialog";
    if (d3d) {
      EXPECT_EQ(lpDTCon->bInScene, 0) << "the frame's scene is closed first";
    }
    EXPECT_EQ(DDSetDialogMode(0), 1);
    EXPECT_EQ(CursorCount(), -1);
    // A message box in full screen goes through the dialog mode.
    const size_t boxes = env->Boxes().size();
    EXPECT_EQ(MesBox("text", "caption", MB_OK), 1);
    ASSERT_EQ(env->Boxes().size(), boxes + 1);
    EXPECT_EQ(CursorCount(), -1);
    DDEnd();
  }

  // After the layer ended: a full-screen box is a plain box again, and the dialog mode reports
  // that there is nothing to switch.
  ASSERT_EQ(DDWindowMode, 0);
  const size_t boxes = env->Boxes().size();
  EXPECT_EQ(MesBox("after", "end", MB_OK), IDOK);
  EXPECT_EQ(env->Boxes().size(), boxes + 1);
  EXPECT_EQ(DDSetDialogMode(1), 0);
  g_lpfnDDSetDialogMode = &DDSetDialogMode;
  EXPECT_EQ(DDMesBox("t", "c", MB_OK), 0);
  g_lpfnDDSetDialogMode = nullptr;
  EXPECT_NE(Errors().find("DDMesBox 失敗! t, c"), std::string::npos);
}

TEST_F(DrawTest, LockingUnderEachBackEnd) {
  InitOrFail(1, 32, 1);
  DDSURFACEDESC2 desc{};
  void* bits = &desc;
  EXPECT_TRUE(DDLock(&BackBuffer, &desc, &bits, 32));
  EXPECT_EQ(bits, &desc) << "nothing is locked under Direct3D";
  EXPECT_NE(Errors().find("D3DではDDLockは未対応"), std::string::npos);
  DDEnd();

  InitOrFail(0, 32, 0);
  DDSURFACEDATA sd;
  ASSERT_TRUE(DDCreateSurface(&sd, 8, 4, 0, 1, 0, 0, 0));
  bits = nullptr;
  ASSERT_TRUE(DDLock(&sd, &desc, &bits, 32));
  EXPECT_EQ(desc.dwSize, 124u);
  EXPECT_EQ(bits, desc.lpSurface);
  EXPECT_FALSE(DDLock(&sd, &desc, &bits, 32)) << "a locked surface cannot be locked again";
  sd.lpDDObj->lpSurface->Unlock(nullptr);
  bits = nullptr;
  ASSERT_TRUE(DDLock(&sd, &desc, &bits, 12));
  EXPECT_EQ(bits, nullptr) << "no pixels for a depth the layer does not draw";
  sd.lpDDObj->lpSurface->Unlock(nullptr);
  DDSURFACEDATA none;
  EXPECT_FALSE(DDLock(&none, &desc, &bits, 32));
  DDReleaseSurface(&sd);
}

// A lost DirectDraw surface (the device's test hook) gets its picture back from its file.
TEST_F(DrawTest, ReloadingALostDirectDrawSurface) {
  const std::string sheet = SheetBmp();
  InitOrFail(0, 16, 0);
  DDSURFACEDATA sd;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sd, sheet.c_str(), 1, 16, 0, 0, 0, 0, 0, 0, 0), 0);
  IDirectDrawSurface7* s = sd.lpDDObj->lpSurface;
  ASSERT_EQ(SurfacePixel(s, 1, 0), 0xF800u);
  lpDD->LoseSurfacesForTest();
  ASSERT_EQ(s->IsLost(), DDERR_SURFACELOST);
  ASSERT_EQ(s->Restore(), DD_OK);
  EXPECT_EQ(SurfacePixel(s, 1, 0), 0u);
  EXPECT_TRUE(DDReloadSurface(&sd, 16));
  EXPECT_EQ(SurfacePixel(s, 1, 0), 0xF800u);
  EXPECT_EQ(SurfacePixel(s, 1, 1), 0x07E0u);
  DDReleaseSurface(&sd);
  DDEnd();
  InitOrFail(1, 32, 1);
  EXPECT_TRUE(DDReloadSurface(&sd, 32));
}
