// Surfaces and textures: empty and file surfaces under both back-ends, the texture size rules,
// the video-memory fall-back, re-creation after a device reset, the system images, the surface
// list operations and the lock guard.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "draw_fixture.h"

namespace {

// A 100 × 40 8-bit picture: magenta (index 0) in its left column, red elsewhere.
std::vector<uint32_t> HundredByForty() {
  std::vector<uint32_t> px(100 * 40, 1);
  for (int y = 0; y < 40; ++y) px[static_cast<size_t>(y * 100)] = 0;
  return px;
}

bool InRestoreList(const DDSURFACEDATA& sd) {
  return std::count(g_RestoreList.begin(), g_RestoreList.end(), sd.lpDT) == 1;
}

}  // namespace

TEST_F(DrawTest, TextureSizesFollowTheCardsRules) {
  InitOrFail(1, 32, 1);
  struct Case {
    int pow2, square, w, h, tw, th;
  } cases[] = {
      {1, 0, 100, 40, 128, 64}, {1, 1, 100, 40, 128, 128}, {0, 1, 100, 40, 100, 100},
      {1, 0, 64, 0, 64, 0},     {1, 0, 1, 3, 1, 4},        {0, 0, 100, 40, 100, 40},
  };
  for (const Case& c : cases) {
    lpDTCon->bPow2 = c.pow2;
    lpDTCon->bSquareOnly = c.square;
    int w = c.w, h = c.h;
    DDRoundTextureSize(&w, &h);
    EXPECT_EQ(w, c.tw) << c.w << "x" << c.h;
    EXPECT_EQ(h, c.th) << c.w << "x" << c.h;
  }
  // A file surface keeps the picture's size beside the texture's.
  const std::string file = Bmp8("wide.bmp", 100, 40, SheetPalette(), HundredByForty());
  lpDTCon->bPow2 = 1;
  lpDTCon->bSquareOnly = 1;
  DDSURFACEDATA sd;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sd, file.c_str(), 1, 32, 0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(sd.nWidth, 100);
  EXPECT_EQ(sd.nHeight, 40);
  EXPECT_EQ(sd.nTexWidth, 128);
  EXPECT_EQ(sd.nTexHeight, 128);
  DDReleaseSurface(&sd);

  // A card that cannot hold the texture: both lines, and the surface is made all the same.
  lpDTCon->d3dCaps.MaxTextureWidth = 64;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sd, file.c_str(), 1, 32, 0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_NE(sd.lpDT->lpTexture, nullptr);
  const std::string report = Report();
  EXPECT_NE(report.find("このビデオカードでは横幅64を超える画像はサポートされていません！"), std::string::npos);
  EXPECT_NE(report.find("上記の理由でテクスチャの描画が失敗する可能性があります。(" + file + ")"), std::string::npos);
  DDReleaseSurface(&sd);
}

TEST_F(DrawTest, EmptyDirect3DSurfacesByMemoryType) {
  InitOrFail(1, 32, 1);
  DDSetTransmit(255, 0, 255);
  struct Case {
    DWORD type;
    int noTexture;
    DWORD storedType;
    bool renderTarget, systemCopy, listed;
  } cases[] = {
      {DTMEMORYTYPE_VIDEO_RT, 0, DTMEMORYTYPE_VIDEO_RT, true, true, true},
      {DTMEMORYTYPE_VIDEO_NORT, 0, DTMEMORYTYPE_VIDEO_RT, true, true, true},
      {DTMEMORYTYPE_SYSTEM, 0, DTMEMORYTYPE_SYSTEM, false, false, true},
      {DTMEMORYTYPE_VIDEO_RT, 1, DTMEMORYTYPE_VIDEO_RT, false, false, false},
  };
  int nextIndex = lpDTCon->nTextureCount;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " noTexture " << c.noTexture);
    DDSURFACEDATA sd;
    ASSERT_TRUE(DDCreateSurface(&sd, 100, 40, 1, 1, c.type, c.noTexture, 0));
    EXPECT_STREQ(sd.szName, "OffScreen");
    EXPECT_STREQ(sd.szFileName, "E");
    EXPECT_EQ(sd.nWidth, 100);
    EXPECT_EQ(sd.nTexWidth, 100);
    EXPECT_EQ(sd.lpDT->dwMemoryType, c.storedType);
    EXPECT_EQ(sd.lpDT->bTransmit, 1);
    EXPECT_EQ(sd.lpDT->bRenderTarget != 0, c.renderTarget);
    EXPECT_EQ(sd.lpDT->lpSystemSurface != nullptr, c.systemCopy);
    EXPECT_EQ(InRestoreList(sd), c.listed);
    if (c.noTexture) {
      EXPECT_EQ(sd.lpDT->lpTexture, nullptr);
      EXPECT_EQ(sd.lpDT->lpVB, nullptr);
      EXPECT_EQ(sd.lpDT->nIndex, 0);
    } else {
      EXPECT_EQ(sd.lpDT->nIndex, nextIndex++);
      EXPECT_NE(sd.lpDT->lpVB, nullptr);
    }
    if (c.renderTarget) {
      // A new render target starts in the opaque transparent colour.
      const std::vector<DWORD> px = Pixels(&sd);
      EXPECT_EQ(std::count(px.begin(), px.end(), 0xFFFF00FFu), 100 * 40);
    }
    DDReleaseSurface(&sd);
    EXPECT_FALSE(InRestoreList(sd));
  }
}

TEST_F(DrawTest, OutOfVideoMemoryGivesASystemMemoryTexture) {
  InitOrFail(1, 32, 1);
  gfx::SetVideoMemoryBudgetForTest(0);
  DDSURFACEDATA sd;
  ASSERT_TRUE(DDCreateSurface(&sd, 64, 32, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  EXPECT_EQ(sd.lpDT->dwMemoryType, DTMEMORYTYPE_SYSTEM);
  EXPECT_EQ(sd.lpDT->bRenderTarget, 0);
  EXPECT_EQ(sd.lpDT->lpSystemSurface, nullptr);
  EXPECT_NE(Report().find("VRAM不足のためシステムメモリにテクスチャを作成します。(空)"), std::string::npos);
  // The surface works on: filled through a lock and drawn from by a pixel copy.
  DDFillRectD3D(&sd, 2, 3, 4, 5, 0xFF112233u);
  EXPECT_EQ(Pixel(&sd, 5, 7), 0xFF112233u);
  gfx::SetVideoMemoryBudgetForTest(-1);
  DDBltFast(&BackBuffer, 0, 0, 64, 32, &sd, 0, 0, 0);
  EXPECT_EQ(Pixel(&BackBuffer, 5, 7) & 0xFFFFFF, 0x112233u);
  DDReleaseSurface(&sd);
}

// A device loss (the device's test hook) and the reset that follows: the textures of the restore
// list are made again in their records, and a re-creation that runs out of video memory is
// reported instead of touching a texture that is not there.
TEST_F(DrawTest, DeviceResetRecreatesTheTexturesOfItsRecords) {
  InitOrFail(1, 32, 1);
  DDSetTransmit(255, 0, 255);
  const std::string sheet = SheetBmp();
  DDSURFACEDATA empty, mirrored;
  ASSERT_TRUE(DDCreateSurface(&empty, 32, 32, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  ASSERT_EQ(DDCreateSurfaceFromFile(&mirrored, sheet.c_str(), 1, 32, 0, 0, 0, 0, 16, 0, 0), 0);
  DDFillRect(&empty, 0, 0, 32, 32, 1);
  const std::list<DTDATA*> listed = g_RestoreList;
  const int emptyIndex = empty.lpDT->nIndex;
  IDirect3DVertexBuffer9* vb = empty.lpDT->lpVB;

  lpDevice->LoseForTest();
  EXPECT_EQ(DDPresent(0, 0, nullptr), 0);
  // The device's own objects and the video-memory textures go before the reset.
  for (DDSURFACEDATA* sd : {&VirBackBuffer, &WorkSD, &empty, &mirrored}) {
    sd->lpDT->lpTexture->Release();
    sd->lpDT->lpTexture = nullptr;
    sd->lpDT->lpSurface->Release();
    sd->lpDT->lpSurface = nullptr;
  }
  BackBuffer.lpDT->lpSurface->Release();
  BackBuffer.lpDT->lpSurface = nullptr;
  lpDevice->SetResettableForTest(true);
  ASSERT_EQ(lpDevice->Reset(&lpDTCon->d3dpp), D3D_OK);
  lpDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &BackBuffer.lpDT->lpSurface);
  DDSetRenderStates();

  // No video memory left: reported, nothing dereferenced.
  gfx::SetVideoMemoryBudgetForTest(0);
  const std::string before = Report();
  EXPECT_FALSE(DDCreateSurface(&empty, 32, 32, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 1));
  EXPECT_EQ(empty.lpDT->lpTexture, nullptr);
  EXPECT_NE(Report().substr(before.size()).find("D3DXCreateTexture Err"), std::string::npos);

  EXPECT_EQ(empty.lpDT->dwMemoryType, DTMEMORYTYPE_VIDEO_RT) << "the next reset tries video memory again";
  gfx::SetVideoMemoryBudgetForTest(-1);
  for (DDSURFACEDATA* sd : {&VirBackBuffer, &WorkSD, &empty}) {
    ASSERT_TRUE(DDCreateSurface(sd, sd->nWidth, sd->nHeight, sd->lpDT->bTransmit, sd->nMemory, sd->lpDT->dwMemoryType,
                                0, 1));
  }
  ASSERT_EQ(DDCreateSurfaceFromFile(&mirrored, mirrored.szFileName, 1, 32, 0, 0, 0, 0, 16, 0, 1), 0);
  EXPECT_EQ(g_RestoreList, listed) << "re-creation keeps the list as it was";
  EXPECT_EQ(empty.lpDT->nIndex, emptyIndex);
  EXPECT_EQ(empty.lpDT->lpVB, vb);
  EXPECT_STREQ(mirrored.szName, "OffScreenFromFile");
  EXPECT_EQ(Pixel(&empty, 5, 5), 0xFFFF00FFu) << "an empty surface comes back in the transparent colour";
  // Row 0 of the sheet is magenta at x 0 and red elsewhere; mirrored in 16-pixel cells the
  // transparent pixel lands at x 15.
  EXPECT_EQ(Pixel(&mirrored, 15, 0), 0u);
  EXPECT_EQ(Pixel(&mirrored, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(DDPresent(0, 0, nullptr), 1);
  DDReleaseSurface(&empty);
  DDReleaseSurface(&mirrored);
}

TEST_F(DrawTest, FileSurfacesUnderDirect3D) {
  InitOrFail(1, 32, 1);
  DDSetTransmit(255, 0, 255);
  const std::string file = Bmp8("wide.bmp", 100, 40, SheetPalette(), HundredByForty());
  std::vector<uint32_t> rgb(8 * 2, 0x00FF00);
  rgb[0] = 0xFF00FF;
  const std::string deep = Bmp24("deep.bmp", 8, 2, rgb);
  struct Case {
    const char* file;
    DWORD type;
    DWORD storedType;
    bool logged;
  } cases[] = {
      {file.c_str(), DTMEMORYTYPE_VIDEO_RT, DTMEMORYTYPE_VIDEO_RT, false},
      {file.c_str(), DTMEMORYTYPE_VIDEO_NORT, DTMEMORYTYPE_VIDEO_RT, true},
      {file.c_str(), DTMEMORYTYPE_SYSTEM, DTMEMORYTYPE_SYSTEM, false},
      {deep.c_str(), DTMEMORYTYPE_VIDEO_RT, DTMEMORYTYPE_VIDEO_RT, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.file << " type " << c.type);
    const std::string before = Errors();
    DDSURFACEDATA sd;
    // Made without transparency: the key still applies to the file's magenta pixels.
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, c.file, 0, 32, 0, c.type, 0, 0, 0, 0, 0), 0);
    EXPECT_STREQ(sd.szName, "OffScreenFromFile");
    EXPECT_STREQ(sd.szFileName, c.file);
    EXPECT_EQ(sd.lpDT->dwMemoryType, c.storedType);
    EXPECT_EQ(sd.lpDT->bRenderTarget, 0);
    EXPECT_EQ(sd.lpDT->bTransmit, 0);
    EXPECT_TRUE(InRestoreList(sd));
    EXPECT_EQ(Errors().substr(before.size()).find("VIDEO_NORT") != std::string::npos, c.logged);
    EXPECT_EQ(Pixel(&sd, 0, 0), 0u);
    EXPECT_EQ(Pixel(&sd, 1, 1) & 0xFF000000u, 0xFF000000u);
    DDReleaseSurface(&sd);
  }
}

// A wide image as large games hold (a long background strip) loads as one texture of its own
// size, without a complaint about the card.
TEST_F(DrawTest, A10000By300ImageLoadsAsATexture) {
  InitOrFail(1, 32, 1);
  EXPECT_EQ(lpDTCon->d3dCaps.MaxTextureWidth, 16384u);
  const int w = 10000, h = 300;
  std::vector<uint32_t> indices(static_cast<size_t>(w) * h, 2);
  indices.back() = 1;
  const std::string file = Bmp8("strip.bmp", w, h, {0xFF00FF, 0xFF0000, 0x00FF00}, indices);
  DDSURFACEDATA sd;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sd, file.c_str(), 0, 32, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(sd.nTexWidth, w);
  EXPECT_EQ(sd.nTexHeight, h);
  EXPECT_EQ(Report().find("このビデオカードでは"), std::string::npos);
  EXPECT_EQ(Pixel(&sd, 0, 0) & 0xFFFFFFu, 0x00FF00u);
  EXPECT_EQ(Pixel(&sd, w - 1, h - 1) & 0xFFFFFFu, 0xFF0000u);
  DDReleaseSurface(&sd);
}

TEST_F(DrawTest, FileNamesLongerThanTheRecordFailTheLoad) {
  // A readable bitmap whose name does not fit in a record.
  const std::string folder = std::string(120, 'a') + "/" + std::string(120, 'b');
  env->dir().MakeDir(folder);
  const std::string name = Bmp8(folder + "/sheet.bmp", 4, 1, SheetPalette(), {1, 1, 1, 1});
  ASSERT_GE(name.size(), static_cast<size_t>(MAX_PATH));
  for (int d3d : {1, 0}) {
    SCOPED_TRACE(d3d);
    InitOrFail(d3d, 32, 1);
    DDSURFACEDATA sd;
    EXPECT_EQ(DDCreateSurfaceFromFile(&sd, name.c_str(), 1, 32, 0, 0, 0, 0, 0, 0, 0), DDCREATE_LOADIMAGE_ERR);
    EXPECT_LT(std::string(sd.szFileName).size(), static_cast<size_t>(MAX_PATH));
    EXPECT_NE(Errors().find("LoadImage Err"), std::string::npos);
    DDReleaseSurface(&sd);
    DDEnd();
  }
}

TEST_F(DrawTest, DirectDrawSurfaces) {
  InitOrFail(0, 32, 0);
  DDPalette[0] = PALETTEENTRY{255, 0, 255, 0};
  DDSetTransmit(255, 0, 255);
  EXPECT_EQ(DDColorKey, 0x00FF00FFu);
  DDSURFACEDATA keyed;
  ASSERT_TRUE(DDCreateSurface(&keyed, 20, 10, 1, 0, 0, 0, 0));
  IDirectDrawSurface7* s = keyed.lpDDObj->lpSurface;
  EXPECT_TRUE(s->hasKey);
  EXPECT_EQ(s->key, 0x00FF00FFu);
  EXPECT_TRUE(s->video);
  EXPECT_EQ(SurfacePixel(s, 19, 9), 0x00FF00FFu) << "filled with palette number 0";
  EXPECT_STREQ(keyed.szName, "");
  EXPECT_STREQ(keyed.szFileName, "");
  EXPECT_TRUE(g_RestoreList.empty());
  DDReleaseSurface(&keyed);

  // No video memory: the surface goes to system memory.
  gfx::SetVideoMemoryBudgetForTest(0);
  DDSURFACEDATA fallback;
  ASSERT_TRUE(DDCreateSurface(&fallback, 20, 10, 0, 0, 0, 0, 0));
  EXPECT_EQ(fallback.nMemory, 1);
  EXPECT_FALSE(fallback.lpDDObj->lpSurface->video);
  DDReleaseSurface(&fallback);
  gfx::SetVideoMemoryBudgetForTest(-1);

  // A file surface.
  const std::string file = Bmp8("wide.bmp", 100, 40, SheetPalette(), HundredByForty());
  DDSURFACEDATA sd;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sd, file.c_str(), 1, 32, 0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_STREQ(sd.szFileName, file.c_str());
  EXPECT_EQ(sd.nWidth, 100);
  EXPECT_EQ(SurfacePixel(sd.lpDDObj->lpSurface, 0, 0), 0x00FF00FFu);
  EXPECT_EQ(SurfacePixel(sd.lpDDObj->lpSurface, 1, 0), 0x00FF0000u);
  DDReleaseSurface(&sd);
  EXPECT_EQ(DDCreateSurfaceFromFile(&sd, (file + "x").c_str(), 1, 32, 0, 0, 0, 0, 0, 0, 0), DDCREATE_LOADIMAGE_ERR);
  DDReleaseSurface(&sd);
}

TEST_F(DrawTest, CreateResultsOtherThanSuccessAreFailures) {
  struct Case {
    int result;
    const char* name;
  } cases[] = {{0, nullptr},
               {DDCREATE_MIRROR_ERR, nullptr},
               {DDCREATE_SURFACE_ERR, "CREATESURFACE_ERR"},
               {DDCREATE_LOADIMAGE_ERR, "LOADIMAGE_ERR"},
               {DDCREATE_COLORKEY_ERR, "SETCOLORKEY_ERR"},
               {static_cast<int>(D3DERR_INVALIDCALL), nullptr}};
  for (const Case& c : cases) {
    const std::string before = Errors();
    EXPECT_EQ(DDCheckCreateResult(c.result), c.result == 0) << c.result;
    EXPECT_EQ(Errors().substr(before.size()), c.name ? std::string(c.name) + "\n" : "") << c.result;
  }
}

TEST_F(DrawTest, SystemImagesRequiredOptionalAndEmpty) {
  const std::string sheet = SheetBmp();
  // One pixel wider than the largest texture the device takes.
  std::vector<uint32_t> huge(16385, 1);
  const std::string tooWide = Bmp8("toowide.bmp", 16385, 1, SheetPalette(), huge);
  const std::string missing = env->dir().path() + "/missing.bmp";
  table[0] = Entry(sheet.c_str(), 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  table[1] = Entry(missing.c_str(), 1, 0, 0, 0, 0, 1, 0, 0, 0, 0);
  table[2] = Entry("E", 1, 1, 0, 0, 0, 0, 0, 0, 64, 32);
  table[3] = Entry(missing.c_str(), 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  table[4] = Entry(tooWide.c_str(), 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  table[5] = Entry("E", 1, 1, 0, 0, 0, 0, 0, 0, 16385, 32);
  for (int d3d : {1, 0}) {
    SCOPED_TRACE(d3d);
    InitOrFail(d3d, 32, 1);
    const int loaded[] = {0, 1, 2};
    ASSERT_TRUE(DDLoadSystemBitmaps(g_SystemImage, loaded, 3));
    EXPECT_EQ(g_SystemImage[0].nWidth, 32);
    EXPECT_EQ(g_SystemImage[2].nWidth, 64);
    EXPECT_EQ(g_SystemImage[2].nHeight, 32);
    // The optional image stays without a picture.
    if (d3d) {
      EXPECT_EQ(g_SystemImage[1].lpDT->lpTexture, nullptr);
    } else {
      EXPECT_EQ(g_SystemImage[1].lpDDObj, nullptr);
    }
    // Loading again releases first.
    const size_t listed = g_RestoreList.size();
    ASSERT_TRUE(DDLoadSystemBitmaps(g_SystemImage, loaded, 1));
    EXPECT_EQ(g_RestoreList.size(), listed);

    const size_t boxes = env->Boxes().size();
    const int required[] = {3};
    EXPECT_FALSE(DDLoadSystemBitmaps(g_SystemImage, required, 1));
    ASSERT_EQ(env->Boxes().size(), boxes + 1);
    EXPECT_EQ(env->Boxes().back().text, missing + " の読み込みに失敗！");
    if (d3d) {
      // A texture the device refuses is a failed load too.
      const int refused[] = {4};
      EXPECT_FALSE(DDLoadSystemBitmaps(g_SystemImage, refused, 1));
      EXPECT_EQ(env->Boxes().back().text, tooWide + " の読み込みに失敗！");
      // An empty surface that cannot be made ends the run as for a lack of memory.
      const int empty[] = {5};
      env->TakeCloseRequests();
      EXPECT_FALSE(DDLoadSystemBitmaps(g_SystemImage, empty, 1));
      EXPECT_EQ(env->Boxes().back().text, "メモリが不足しています！");
      EXPECT_EQ(env->TakeCloseRequests(), 1);
    }
    const int outside[] = {DD_SYSTEM_IMAGE_COUNT};
    EXPECT_FALSE(DDLoadSystemBitmaps(g_SystemImage, outside, 1));
    DDEnd();
  }
}

// A vector of surfaces that grows by reallocation: the restore list holds no address inside it.
TEST_F(DrawTest, SurfaceVectorsGrowAndReleaseSafely) {
  InitOrFail(1, 32, 1);
  const size_t base = g_RestoreList.size();
  cSafeVector<DDSURFACEDATA> surfaces;
  cSafeVector<BitmapEntry> entries;
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(DDAddSurface(surfaces, entries, 8, 8, 1, 1, 0, 0));
  ASSERT_EQ(entries.size(), 100u);
  EXPECT_EQ(entries[7].nTransmit, 1);
  EXPECT_EQ(entries[7].nDDMemory, 1);
  EXPECT_STREQ(entries[7].szFileName, "");
  ASSERT_EQ(g_RestoreList.size(), base + 100);
  for (DDSURFACEDATA& sd : surfaces) EXPECT_TRUE(InRestoreList(sd));
  DDReleaseSurfaceArray(surfaces);
  EXPECT_EQ(g_RestoreList.size(), base);
  EXPECT_EQ(surfaces.size(), 100u);
  EXPECT_EQ(surfaces[50].lpDT, nullptr);
  cSafeVector<DDSURFACEDATA> none;
  DDReleaseSurfaceArray(none);
  EXPECT_EQ(env->TakeCloseRequests(), 0);
}

TEST_F(DrawTest, SurfaceListsInsertAndRemove) {
  InitOrFail(1, 32, 1);
  cSafeList<DDSURFACEDATA> surfaces;
  cSafeList<BitmapEntry> entries;
  ASSERT_TRUE(DDPushSurface(surfaces, entries, 1, 1, 0, 0, 0, 0));
  ASSERT_TRUE(DDPushSurface(surfaces, entries, 2, 2, 0, 0, 0, 0));
  ASSERT_TRUE(DDInsertSurface(surfaces, entries, 5, 3, 3, 0, 0, 0, 0));   // past the end: appended
  ASSERT_TRUE(DDInsertSurface(surfaces, entries, -3, 4, 4, 1, 0, 0, 0));  // negative: at the front
  ASSERT_TRUE(DDInsertSurface(surfaces, entries, 2, 5, 5, 0, 0, 0, 0));
  std::vector<int> widths;
  for (const DDSURFACEDATA& sd : surfaces) widths.push_back(sd.nWidth);
  EXPECT_EQ(widths, (std::vector<int>{4, 1, 5, 2, 3}));
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries.front().nTransmit, 1);

  DDSURFACEDATA stranger;
  EXPECT_EQ(DDRemoveSurface(surfaces, entries, &stranger), 0);
  const size_t listed = g_RestoreList.size();
  DDSURFACEDATA* second = &surfaces.CheckedListAt(1);
  EXPECT_EQ(DDRemoveSurface(surfaces, entries, second), 1);
  EXPECT_EQ(g_RestoreList.size(), listed - 1);
  widths.clear();
  for (const DDSURFACEDATA& sd : surfaces) widths.push_back(sd.nWidth);
  EXPECT_EQ(widths, (std::vector<int>{4, 5, 2, 3}));
  EXPECT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries.front().nTransmit, 1);
  DDReleaseSurfaceList(surfaces);
}

TEST_F(DrawTest, LockingARenderTargetWritesBackThroughItsCopy) {
  InitOrFail(1, 32, 1);
  DDSURFACEDATA sd;
  ASSERT_TRUE(DDCreateSurface(&sd, 16, 16, 0, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  {
    cSurfaceLock lock(&sd);
    ASSERT_TRUE(lock.Locked());
    EXPECT_EQ(lock.m_nBytesPerPixel, 4);
    EXPECT_EQ(lock.m_nPitch, 16);
    lock.Set(3, 4, 0xFF123456u);
  }
  EXPECT_EQ(Pixel(&sd, 3, 4), 0xFF123456u);
  // The back buffer is locked directly.
  {
    cSurfaceLock lock(&BackBuffer);
    ASSERT_TRUE(lock.Locked());
    lock.Set(1, 1, 0xFF00FF00u);
  }
  EXPECT_EQ(Pixel(&BackBuffer, 1, 1), 0xFF00FF00u);
  DDSURFACEDATA none;
  cSurfaceLock nothing(&none);
  EXPECT_FALSE(nothing.Locked());
  DDReleaseSurface(&sd);
}

TEST_F(DrawTest, BitmapSizeCheckIsForDirectDraw) {
  const std::string file = Bmp8("wide.bmp", 100, 40, SheetPalette(), HundredByForty());
  InitOrFail(0, 32, 0);
  int tooLarge = -1;
  EXPECT_EQ(DDCheckBitmapSize(&tooLarge, file.c_str(), 100, 40), 1);
  EXPECT_EQ(tooLarge, 0);
  EXPECT_EQ(DDCheckBitmapSize(&tooLarge, file.c_str(), 99, 40), 1);
  EXPECT_EQ(tooLarge, 1);
  EXPECT_EQ(DDCheckBitmapSize(&tooLarge, (file + "x").c_str(), 100, 40), 0);
  EXPECT_EQ(tooLarge, 0);
  DDEnd();
  InitOrFail(1, 32, 1);
  tooLarge = -1;
  EXPECT_EQ(DDCheckBitmapSize(&tooLarge, file.c_str(), 1, 1), 1);
  EXPECT_EQ(tooLarge, -1);
}
