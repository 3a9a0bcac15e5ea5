#include "platform/file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/bytes.h"
#include "support/temp_dir.h"

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

TEST(ResolvePath, MatchesEachComponentWithoutRegardToCase) {
  TempDir dir;
  dir.MakeDir(U8(u8"BMP/Back"));
  WriteFileBytes(dir / U8(u8"BMP/Back/背景その1.BMP"), "BM");
  ScopedChdir cd(dir.path());
  // A stored name: Shift-JIS, backslashes, other case.
  FILE* fp = FileOpen("bmp\\back\\背景その1.bmp", "rb");
  ASSERT_NE(fp, nullptr);
  char buf[2];
  EXPECT_EQ(std::fread(buf, 1, 2, fp), 2u);
  std::fclose(fp);
  EXPECT_EQ(ResolvePath("bmp\\back\\背景その1.bmp"), U8(u8"BMP/Back/背景その1.BMP"));
}

TEST(ResolvePath, TrailByteBackslashDoesNotSeparate) {
  TempDir dir;
  // "表" ends in the byte 0x5C; the file lies in a folder named "表".
  dir.MakeDir(U8(u8"表"));
  WriteFileBytes(dir / U8(u8"表/a.txt"), "x");
  ScopedChdir cd(dir.path());
  EXPECT_EQ(ResolvePath("表\\a.txt"), U8(u8"表/a.txt"));
  EXPECT_NE(GetFileAttributesA("表\\A.TXT"), INVALID_FILE_ATTRIBUTES);
}

TEST(ResolvePath, MissingComponentsAreKeptAsGivenForCreation) {
  TempDir dir;
  dir.MakeDir("Data");
  ScopedChdir cd(dir.path());
  EXPECT_EQ(ResolvePath("data\\new\\File.dat"), "Data/new/File.dat");
  FILE* fp = FileOpen("DATA\\x.dat", "wb");
  ASSERT_NE(fp, nullptr);
  std::fclose(fp);
  EXPECT_EQ(ReadFileBytes(dir / "Data/x.dat"), "");
  EXPECT_NE(GetFileAttributesA("data\\X.DAT"), INVALID_FILE_ATTRIBUTES);
}

TEST(ResolvePath, FullWidthLettersFoldToo) {
  TempDir dir;
  WriteFileBytes(dir / U8(u8"ＡＢ.txt"), "x");
  ScopedChdir cd(dir.path());
  EXPECT_EQ(ResolvePath("ａｂ.TXT"), U8(u8"ＡＢ.txt"));
}

TEST(FileAttributes, DirectoriesFilesAndMissing) {
  TempDir dir;
  dir.MakeDir("sub");
  WriteFileBytes(dir / "f", "x");
  ScopedChdir cd(dir.path());
  EXPECT_EQ(GetFileAttributesA("SUB"), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(PathIsDirectoryA("sub"));
  EXPECT_FALSE(PathIsDirectoryA("f"));
  EXPECT_EQ(GetFileAttributesA("F"), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(GetFileAttributesA("none"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA(""), INVALID_FILE_ATTRIBUTES);
}

TEST(FileOpen, TextModeLetterIsIgnoredAndLinesEndWithLf) {
  TempDir dir;
  ScopedChdir cd(dir.path());
  FILE* fp = FileOpen("log.txt", "wt");
  ASSERT_NE(fp, nullptr);
  std::fputs("a\n", fp);
  std::fclose(fp);
  fp = FileOpen("log.txt", "rt+");
  ASSERT_NE(fp, nullptr);
  std::fseek(fp, 0, SEEK_END);
  std::fputs("b\n", fp);
  std::fclose(fp);
  EXPECT_EQ(ReadFileBytes(dir / "log.txt"), "a\nb\n");
}

TEST(Paths, CurrentAndFullPathsAreShiftJisWithBackslashes) {
  TempDir dir;
  dir.MakeDir(U8(u8"ゲーム"));
  ScopedChdir cd(dir / U8(u8"ゲーム"));
  char buf[MAX_PATH];
  DWORD n = GetCurrentDirectoryA(MAX_PATH, buf);
  ASSERT_GT(n, 0u);
  std::string cur(buf);
  EXPECT_EQ(cur.size(), n);
  EXPECT_EQ(cur[0], '\\');
  EXPECT_EQ(cur.find('/'), std::string::npos);
  EXPECT_EQ(cur.substr(cur.size() - 6), "ゲーム");
  // Too small a buffer: the size needed, with the zero.
  EXPECT_EQ(GetCurrentDirectoryA(3, buf), n + 1);

  char* part = nullptr;
  n = GetFullPathNameA("data\\.\\x\\..\\stg4\\a.stg4", MAX_PATH, buf, &part);
  EXPECT_EQ(std::string(buf), cur + "\\data\\stg4\\a.stg4");
  ASSERT_NE(part, nullptr);
  EXPECT_STREQ(part, "a.stg4");
  n = GetFullPathNameA("\\abs\\p", MAX_PATH, buf, nullptr);
  EXPECT_STREQ(buf, "\\abs\\p");
  // A folder named with its separator keeps it and has no file part; a trail byte 0x5C is no
  // separator.
  n = GetFullPathNameA("default\\", MAX_PATH, buf, &part);
  EXPECT_EQ(std::string(buf), cur + "\\default\\");
  EXPECT_EQ(part, nullptr);
  GetFullPathNameA("a\\表", MAX_PATH, buf, &part);
  EXPECT_EQ(std::string(buf), cur + "\\a\\表");
}

TEST(Paths, CreateDirectoryMakesOneFolder) {
  TempDir dir;
  dir.MakeDir("Data");
  ScopedChdir cd(dir.path());
  EXPECT_TRUE(CreateDirectoryA("data\\stg4", nullptr)) << "the parent is found without regard to case";
  EXPECT_TRUE(PathIsDirectoryA("DATA\\STG4"));
  EXPECT_FALSE(CreateDirectoryA("data\\stg4", nullptr)) << "exists";
  EXPECT_FALSE(CreateDirectoryA("none\\sub", nullptr)) << "no parent";
  EXPECT_FALSE(PathIsDirectoryA("none"));
}

TEST(Paths, RelativeTests) {
  struct Case {
    const char* path;
    BOOL relative;
  } cases[] = {{"a\\b", TRUE}, {".\\a", TRUE}, {"\\a", FALSE}, {"/a", FALSE}, {"C:\\a", FALSE}, {"", TRUE}};
  for (const Case& c : cases) EXPECT_EQ(PathIsRelativeA(c.path), c.relative) << c.path;
}

TEST(Paths, RelativePathToStartsWithDotWhenGoingDown) {
  struct Case {
    const char* from;
    DWORD attrFrom;
    const char* to;
    const char* expected;
  } cases[] = {
      {"\\g\\game", FILE_ATTRIBUTE_DIRECTORY, "\\g\\game\\data\\stg4\\a.stg4", ".\\data\\stg4\\a.stg4"},
      {"\\g\\GAME", FILE_ATTRIBUTE_DIRECTORY, "\\g\\game\\x", ".\\x"},
      {"\\g\\game\\sub", FILE_ATTRIBUTE_DIRECTORY, "\\g\\game\\x", "..\\x"},
      {"\\g\\game\\a\\b", FILE_ATTRIBUTE_DIRECTORY, "\\g\\other\\x", "..\\..\\..\\other\\x"},
      {"\\g\\game\\file.txt", 0, "\\g\\game\\x", ".\\x"},
      {"\\g\\表", FILE_ATTRIBUTE_DIRECTORY, "\\g\\表\\x", ".\\x"},
  };
  for (const Case& c : cases) {
    char out[MAX_PATH];
    ASSERT_TRUE(PathRelativePathToA(out, c.from, c.attrFrom, c.to, 0)) << c.from;
    EXPECT_STREQ(out, c.expected) << c.from << " -> " << c.to;
  }
  char out[MAX_PATH];
  EXPECT_FALSE(PathRelativePathToA(out, "C:\\a", FILE_ATTRIBUTE_DIRECTORY, "D:\\a", 0));
  EXPECT_FALSE(PathRelativePathToA(out, "rel", FILE_ATTRIBUTE_DIRECTORY, "\\a", 0));
}

TEST(Paths, ListFolderAndSameFileName) {
  TempDir dir;
  WriteFileBytes(dir / U8(u8"ステージ.stg4_002"), "");
  auto names = ListFolder(dir.path().c_str());
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], "ステージ.stg4_002");
  EXPECT_TRUE(SameFileName("ステージ.STG4_002", names[0]));
  EXPECT_FALSE(SameFileName("ステージ.stg4_003", names[0]));
  EXPECT_TRUE(ListFolder((dir / "missing").c_str()).empty());
}

}  // namespace

namespace {

// A game below folders whose names hold characters without a code of code page 932: the full
// paths the system makes name that folder, and files made through them land in it.
TEST(Paths, FoldersNamedWithAnyCharactersAreFoundThroughTheirFullPaths) {
  TempDir dir;
  const std::string odd = U8(u8"Jeux vidéo ü/Привет 🎮/game");
  dir.MakeDir(odd);
  ScopedChdir cd(dir / odd);
  char full[MAX_PATH];
  ASSERT_GT(GetFullPathNameA("Report_Game.txt", MAX_PATH, full, nullptr), 0u);
  EXPECT_EQ(ResolvePath(full), dir / odd + "/Report_Game.txt");
  FILE* fp = FileOpen(full, "wb");
  ASSERT_NE(fp, nullptr);
  std::fclose(fp);
  EXPECT_EQ(ReadFileBytes(dir / odd + "/Report_Game.txt"), "");
  char cur[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, cur), 0u);
  EXPECT_TRUE(PathIsDirectoryA(cur));
  EXPECT_EQ(ResolvePath(cur), dir / odd);
  // Relative to that folder, as the program keeps its files.
  char rel[MAX_PATH];
  ASSERT_TRUE(PathRelativePathToA(rel, cur, FILE_ATTRIBUTE_DIRECTORY, full, 0));
  EXPECT_STREQ(rel, ".\\Report_Game.txt");
}

// Names unpacked from an archive made on Windows are raw Shift-JIS on the disk: a stored name
// finds them, as it is and without regard to case, and the folder lists them in their bytes.
TEST(ResolvePath, RawShiftJisNamesOnTheDiskAreFound) {
  TempDir dir;
  const std::string folder = "\x83\x66\x81\x5B\x83\x5E";  // "データ"
  dir.MakeDir(folder);
  WriteFileBytes(dir / (folder + "/\x82\x60\x82\x61.stg4_000"), "x");  // "ＡＢ"
  ScopedChdir cd(dir.path());
  EXPECT_EQ(ResolvePath("データ\\ＡＢ.stg4_000"), folder + "/\x82\x60\x82\x61.stg4_000");
  EXPECT_EQ(ResolvePath("データ\\ａｂ.STG4_000"), folder + "/\x82\x60\x82\x61.stg4_000");
  EXPECT_NE(GetFileAttributesA("データ\\ａｂ.stg4_000"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ListFolder("データ"), std::vector<std::string>{"ＡＢ.stg4_000"});
  // A new file in that folder is made in this system's names.
  FILE* fp = FileOpen("データ\\新.txt", "wb");
  ASSERT_NE(fp, nullptr);
  std::fclose(fp);
  EXPECT_EQ(ReadFileBytes(dir / (folder + "/" + U8(u8"新.txt"))), "");
}

// Names with bytes that start no character, and with a backslash, come out of the folder
// listing as names that open those same files.
TEST(ResolvePath, NamesListedFromTheDiskOpenTheirFiles) {
  TempDir dir;
  const std::string names[] = {"ab\x81.stg4_000", "\xFF\xFE", "a\\b.txt", U8(u8"café ¥.txt"), U8(u8"\uE000")};
  for (const std::string& n : names) WriteFileBytes(dir / n, n);
  ScopedChdir cd(dir.path());
  const std::vector<std::string> listed = ListFolder(".");
  ASSERT_EQ(listed.size(), std::size(names));
  std::vector<std::string> contents;
  for (const std::string& sjis : listed) {
    EXPECT_EQ(sjis.find('\\'), std::string::npos);
    FILE* fp = FileOpen(sjis.c_str(), "rb");
    ASSERT_NE(fp, nullptr) << sjis;
    char buf[64];
    contents.emplace_back(buf, std::fread(buf, 1, sizeof buf, fp));
    std::fclose(fp);
  }
  std::sort(contents.begin(), contents.end());
  std::vector<std::string> expected(std::begin(names), std::end(names));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(contents, expected);
  // The stored name with the byte itself is the same file.
  EXPECT_EQ(ResolvePath("AB\x81.STG4_000"), "ab\x81.stg4_000");
}

}  // namespace
