#include "core/path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file.h"
#include "support/bytes.h"
#include "support/temp_dir.h"

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

TEST(Path, StripDirectoryKeepsACharacterWhoseTrailByteIsABackslash) {
  char path[MAX_PATH] = "data\\stg4\\表";  // 0x95 0x5C at the end
  StripDirectory(path);
  EXPECT_STREQ(path, "表");
  char path2[MAX_PATH] = "表\\表";
  StripDirectory(path2);
  EXPECT_STREQ(path2, "表");
  char plain[MAX_PATH] = "a/b";
  StripDirectory(plain);
  EXPECT_STREQ(plain, "a/b");  // only the backslash separates
}

TEST(Path, Extensions) {
  char out[MAX_PATH];
  EXPECT_EQ(ChangeExtension(out, "data.old\\stage", "stg4"), 1);
  EXPECT_STREQ(out, "data.stg4");
  EXPECT_EQ(ChangeExtension(out, "a.b", nullptr), 1);
  EXPECT_STREQ(out, "a");
  EXPECT_EQ(ChangeExtension(out, "abc", "x"), 0);
  EXPECT_STREQ(out, "abc");

  EXPECT_EQ(GetExtension(out, "a.b.c"), 1);
  EXPECT_STREQ(out, "c");
  std::strcpy(out, "keep");
  EXPECT_EQ(GetExtension(out, "abc"), 0);
  EXPECT_STREQ(out, "keep");

  char p[MAX_PATH] = "x.y.z";
  EXPECT_EQ(RemoveExtension(p), 1);
  EXPECT_STREQ(p, "x.y");
  std::string s = "noext";
  EXPECT_EQ(RemoveExtensionStr(s), 0);
  EXPECT_EQ(s, "noext");
  s = "a.stg4";
  EXPECT_EQ(RemoveExtensionStr(s), 1);
  EXPECT_EQ(s, "a");

  EXPECT_EQ(MakeNumberedName(out, "slot.dat", 0, 7), 1);
  EXPECT_STREQ(out, "slot_07.dat");
  EXPECT_EQ(MakeNumberedName(out, "slot", 0, 7), 0);
}

TEST(Path, FindLastNumberedFileTakesTheHighestNumber) {
  TempDir dir;
  dir.MakeDir("data/stg4");
  WriteFileBytes(dir / "data/stg4/x.stg4_002", "");
  WriteFileBytes(dir / "data/stg4/X.STG4_010", "");
  WriteFileBytes(dir / "data/stg4/x.stg4_10", "");      // not three digits
  WriteFileBytes(dir / "data/stg4/xx.stg4_500", "");    // another name
  ScopedChdir cd(dir.path());
  char out[MAX_PATH] = "unchanged";
  ASSERT_EQ(FindLastNumberedFile(out, "data\\stg4\\x.stg4", "stg4"), 1);
  EXPECT_STREQ(out, "data\\stg4\\x.stg4_010");
  std::string s;
  ASSERT_EQ(FindLastNumberedFileStr(s, "data\\stg4\\x.old", "stg4"), 1);
  EXPECT_EQ(s, "data\\stg4\\x.stg4_010");
  std::strcpy(out, "unchanged");
  EXPECT_EQ(FindLastNumberedFile(out, "data\\stg4\\y.stg4", "stg4"), 0);
  EXPECT_STREQ(out, "unchanged");
  // A name without a dot keeps no extension: "x_000".."x_999" are looked for.
  EXPECT_EQ(FindLastNumberedFile(out, "data\\stg4\\x", "stg4"), 0);
  WriteFileBytes(dir / "data/stg4/x_004", "");
  ASSERT_EQ(FindLastNumberedFile(out, "data\\stg4\\x", "stg4"), 1);
  EXPECT_STREQ(out, "data\\stg4\\x_004");
  EXPECT_EQ(FindLastNumberedFile(out, "nofolder\\x", "stg4"), 0);
}

TEST(Path, FindLastNumberedFileWithJapaneseNames) {
  TempDir dir;
  WriteFileBytes(dir / U8(u8"ステージ.stg4_000"), "");
  WriteFileBytes(dir / U8(u8"ステージ.stg4_999"), "");
  ScopedChdir cd(dir.path());
  char out[MAX_PATH];
  ASSERT_EQ(FindLastNumberedFile(out, "ステージ.stg4", "stg4"), 1);
  EXPECT_STREQ(out, "ステージ.stg4_999");
}

// A stage is taken by its name without the number whatever its name on the disk: raw Shift-JIS
// (unpacked from an archive made on Windows), with bytes that start no character, with a
// character that code page 932 has no code for.
TEST(Path, FindLastNumberedFileWithNamesOfAnyBytes) {
  TempDir dir;
  WriteFileBytes(dir / "\x83\x58\x83\x65\x81\x5B\x83\x57.stg4_003", "");  // "ステージ"
  WriteFileBytes(dir / "\x83\x58\x83\x65\x81\x5B\x83\x57.stg4_001", "");
  WriteFileBytes(dir / "ab\x81.stg4_000", "");
  WriteFileBytes(dir / "ab\x81.stg4_002", "");
  WriteFileBytes(dir / U8(u8"café.stg4_007"), "");
  ScopedChdir cd(dir.path());
  char out[MAX_PATH];
  ASSERT_EQ(FindLastNumberedFile(out, "ステージ.stg4", "stg4"), 1);
  EXPECT_STREQ(out, "ステージ.stg4_003");
  ASSERT_EQ(FindLastNumberedFile(out, "AB\x81.stg4", "stg4"), 1);
  EXPECT_STREQ(out, "AB\x81.stg4_002");
  EXPECT_NE(GetFileAttributesA(out), INVALID_FILE_ATTRIBUTES);
  // The name as the program has it from the folder.
  const std::vector<std::string> listed = ListFolder(".");
  const auto cafe = std::find_if(listed.begin(), listed.end(), [](const std::string& n) { return n.rfind("caf", 0) == 0; });
  ASSERT_NE(cafe, listed.end());
  const std::string stored = cafe->substr(0, cafe->size() - 4);  // without "_007"
  ASSERT_EQ(FindLastNumberedFile(out, stored.c_str(), "stg4"), 1);
  EXPECT_EQ(ResolvePath(out), U8(u8"café.stg4_007"));
}

TEST(Path, FullAndRelativePaths) {
  TempDir dir;
  dir.MakeDir("game");
  ScopedChdir cd(dir / "game");
  char cur[MAX_PATH];
  char p[MAX_PATH] = "Report_Game.txt";
  ASSERT_EQ(MakeFullPath(p), 1);
  EXPECT_EQ(p[0], '\\');
  std::string full = p;
  EXPECT_EQ(full.substr(full.size() - 21), "\\game\\Report_Game.txt");
  std::strcpy(cur, p);
  ASSERT_EQ(MakeFullPath(cur), 1);  // absolute stays
  EXPECT_STREQ(cur, p);

  ASSERT_EQ(MakeRelativePath(p), 1);
  EXPECT_STREQ(p, ".\\Report_Game.txt");
  std::string s = "data\\x";
  ASSERT_EQ(MakeRelativePathStr(s), 1);  // relative stays
  EXPECT_EQ(s, "data\\x");
  s = full.substr(0, full.size() - 21) + "\\other\\a.stg4";
  ASSERT_EQ(MakeRelativePathStr(s), 1);
  EXPECT_EQ(s, "..\\other\\a.stg4");
}

}  // namespace
