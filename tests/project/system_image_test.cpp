// The system image table, the substitutes of the images without a texture of their own, and the
// font definitions with their completion at start-up.
#include "project/system_image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/file.h"
#include "platform/sjis.h"
#include "project/system_data.h"
#include "support/bytes.h"
#include "support/temp_dir.h"

namespace {

// The least of a surface record that the linking needs.
struct FakeSurface {
  FakeSurface* lpSubstitute = nullptr;
};

TEST(SystemImageTable, EntriesOfTheTable) {
  const BitmapEntry* t = g_SystemBitmapTable;
  EXPECT_STREQ(t[0].szFileName, "bmp\\plt\\Palette.bmp");
  EXPECT_EQ(t[0].nDDMemory, 1);
  EXPECT_STREQ(t[4].szFileName, "bmp\\Character1.bmp");
  EXPECT_STREQ(t[18].szFileName, "bmp\\Character8.bmp");
  EXPECT_STREQ(t[37].szFileName, "bmp\\Character8.bmp");
  EXPECT_EQ(t[37].nMirrorCellW, 32);
  EXPECT_EQ(t[21].nMirrorCellW, 16);
  EXPECT_STREQ(t[54].szFileName, "bmp\\WorldBack.bmp");
  EXPECT_EQ(t[69].nD3DMemory, 2);
  EXPECT_EQ(t[70].nD3DMemory, 1);
  EXPECT_EQ(t[63].nHeight, 960);
  EXPECT_EQ(t[66].nTransmit, 0);
  for (int i = 63; i <= 70; ++i) EXPECT_STREQ(t[i].szFileName, "E") << i;
  // Only the first character sheet is required: a project may lack the others.
  for (int i : {4, 5, 22, 23}) EXPECT_EQ(t[i].bOptional, 0) << i;
  for (int i : {6, 7, 24, 25, 18, 19, 36, 37, 48, 54, 55, 62}) EXPECT_EQ(t[i].bOptional, 1) << i;
  for (int i : {1, 2, 20, 40, 45, 47, 50, 67}) EXPECT_EQ(t[i].bOptional, 0) << i;
}

TEST(SystemImageTable, BackgroundsAreShiftJisNamesFoundOnDisk) {
  const std::string expected = Utf8ToSjis(reinterpret_cast<const char*>(u8"背景その1.bmp"));
  EXPECT_EQ(Hex(g_SystemBitmapTable[55].szFileName), Hex(expected));
  EXPECT_EQ(Hex(g_SystemBitmapTable[62].szFileName),
            Hex(Utf8ToSjis(reinterpret_cast<const char*>(u8"背景その8.bmp"))));

  TempDir dir;
  ScopedChdir cd(dir.path());
  WriteFileBytes(dir / reinterpret_cast<const char*>(u8"背景その1.bmp"), "BM");
  FILE* fp = FileOpen(g_SystemBitmapTable[55].szFileName, "rb");
  ASSERT_NE(fp, nullptr);
  std::fclose(fp);
}

TEST(SystemImageTable, ImagesWithoutTextureDrawFromTheirTexturedTwin) {
  static FakeSurface images[SYSTEM_IMAGE_COUNT];
  LinkSurfaceTables(images);
  for (int i = 0; i < SYSTEM_IMAGE_COUNT; ++i) {
    SCOPED_TRACE(i);
    const BitmapEntry& e = g_SystemBitmapTable[i];
    if (!e.bNoTexture) {
      EXPECT_EQ(images[i].lpSubstitute, nullptr);
      continue;
    }
    ASSERT_NE(images[i].lpSubstitute, nullptr);
    const int s = static_cast<int>(images[i].lpSubstitute - images);
    // The substitute is the same picture with a texture of its own.
    EXPECT_STREQ(g_SystemBitmapTable[s].szFileName, e.szFileName);
    EXPECT_EQ(g_SystemBitmapTable[s].bNoTexture, 0);
  }
  EXPECT_EQ(images[3].lpSubstitute, &images[2]);
  EXPECT_EQ(images[23].lpSubstitute, &images[4]);
  EXPECT_EQ(images[38].lpSubstitute, &images[20]);
  EXPECT_EQ(images[39].lpSubstitute, &images[20]);
  EXPECT_EQ(images[68].lpSubstitute, &images[67]);
}

class FontDefTest : public ::testing::Test {
 protected:
  void TearDown() override { InitFontDefs(); }
  CoreTestEnv env;
};

TEST_F(FontDefTest, DefinitionsAndDigitSheets) {
  const int heights[] = {9, 16, 30}, pitches[] = {10, 16, 32}, caches[] = {2, 2, 0};
  for (int i = 0; i < FONT_COUNT; ++i) {
    const FONTDEF& f = g_FontDef[i];
    EXPECT_STREQ(f.szFace, "ＭＳ ゴシック");
    EXPECT_EQ(f.nHeight, heights[i]);
    EXPECT_EQ(f.nPitchX, pitches[i]);
    EXPECT_EQ(f.nPitchY, pitches[i]);
    EXPECT_EQ(f.nCache, caches[i]);
    EXPECT_EQ(f.nColour, 241);
    EXPECT_EQ(f.nBoxImage, 45);
    EXPECT_EQ(f.nBoxColour, 240);
    EXPECT_EQ(f.nPictImage, 50);
    EXPECT_STREQ(g_FontSurfaceEntry[i].szFileName, "");
    EXPECT_EQ(g_FontSurfaceEntry[i].nTransmit, 1);
  }
}

TEST_F(FontDefTest, StartUpSetsTheFaceAndTheCacheOfTheDrawingMode) {
  PrepareFontDefs(5, 1);
  for (const FONTDEF& f : g_FontDef) EXPECT_STREQ(f.szFace, "Modern");
  EXPECT_EQ(g_FontDef[0].nCache, 1);
  EXPECT_EQ(g_FontDef[1].nCache, 1);
  EXPECT_EQ(g_FontDef[2].nCache, 0);
  EXPECT_EQ(env.ReportText().find("font face"), std::string::npos);

  // A face outside the table is the default face, reported once.
  InitFontDefs();
  PrepareFontDefs(500, 0);
  for (const FONTDEF& f : g_FontDef) EXPECT_STREQ(f.szFace, "ＭＳ Ｐゴシック");
  EXPECT_EQ(g_FontDef[0].nCache, 0);
  EXPECT_NE(env.ReportText().find("font face 500 is not in the face table"), std::string::npos);
}

}  // namespace
