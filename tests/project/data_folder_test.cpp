#include "project/data_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "project/database.h"
#include "support/bytes.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// A folder "game" in the temporary folder.
std::string GameFolder(const TempDir& dir) {
  dir.MakeDir("game");
  return dir / "game";
}

const char kQuestion[] = "データが存在しません！デフォルトデータを作成しますか？\n";

class DataFolderTest : public ::testing::Test {
 protected:
  void MakeDefault() {
    env.dir().MakeDir("game/default/database");
    WriteFileBytes(env.dir() / "game/default/System.dat", "sys");
    WriteFileBytes(env.dir() / "game/default/database/Bgm.dat", "bgm");
  }

  CoreTestEnv env;
  ScopedChdir chdir{GameFolder(env.dir())};
};

TEST_F(DataFolderTest, DataIsMadeFromDefaultOnlyAfterTheUserAgreed) {
  struct Case {
    const char* what;
    bool data, defaults;
    int answer;
    int result;
    bool asked;
    bool copied;
  } cases[] = {
      {"data present, no default", true, false, IDYES, 1, false, false},
      {"neither", false, false, IDYES, 0, false, false},
      {"answered no", false, true, IDNO, 0, true, false},
      {"answered yes", false, true, IDYES, 1, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::error_code ec;
    fs::remove_all("data", ec);
    fs::remove_all("default", ec);
    if (c.data) fs::create_directory("data");
    if (c.defaults) MakeDefault();
    const size_t boxes = env.Boxes().size();
    env.AnswerBoxesWith(c.answer);
    EXPECT_EQ(CreateDefaultData(env.MainWindow()), c.result);
    ASSERT_EQ(env.Boxes().size(), boxes + (c.asked ? 1 : 0));
    if (c.asked) {
      EXPECT_EQ(env.Boxes().back().text, kQuestion);
      EXPECT_EQ(env.Boxes().back().caption, "デフォルトデータ作成の確認");
      EXPECT_EQ(env.Boxes().back().type, MB_YESNO);
    }
    EXPECT_EQ(ReadFileBytes("data/database/Bgm.dat"), c.copied ? "bgm" : "");
    EXPECT_EQ(ReadFileBytes("data/System.dat"), c.copied ? "sys" : "");
    EXPECT_EQ(fs::exists("data"), c.data || c.copied);
    if (c.copied) {
      EXPECT_EQ(ReadFileBytes("default/database/Bgm.dat"), "bgm") << "the default copy stays";
    }
  }
}

TEST_F(DataFolderTest, ACopyThatFailsLeavesNoDataFolder) {
  MakeDefault();
  // A file the copy cannot read: a link to nothing.
  fs::create_symlink("nowhere", "default/database/Lost.dat");
  EXPECT_EQ(CreateDefaultData(env.MainWindow()), 0);
  EXPECT_EQ(env.Boxes().size(), 1u);
  EXPECT_FALSE(fs::exists("data"));
}

TEST_F(DataFolderTest, WorkingFoldersAreMadeBesideAnExistingDataFolder) {
  fs::create_directories("data/stg4");
  WriteFileBytes("data/stg4/a.stg4_000", "stage");
  CreateWorkFolders();
  for (const char* const* f = g_lpszWorkFolders; *f; ++f) {
    std::string path = *f;
    for (char& ch : path)
      if (ch == '\\') ch = '/';
    EXPECT_TRUE(fs::is_directory(path)) << path;
  }
  EXPECT_TRUE(fs::is_directory("user_data/rpl4"));
  EXPECT_EQ(ReadFileBytes("data/stg4/a.stg4_000"), "stage");
  CreateWorkFolders();  // again: nothing changes, nothing fails
  EXPECT_TRUE(fs::is_directory("bmp/hbt"));
}

TEST(PathTable, DatabaseEntriesNameTheFilesTheDatabaseReads) {
  for (int i = 0; i < DBLIST_COUNT; ++i) {
    EXPECT_STREQ(g_PathTable[PATH_DATABASE + 2 * i], g_lpszDatabaseFile[i]);
    EXPECT_EQ(std::string(g_PathTable[PATH_DATABASE + 2 * i + 1]),
              std::string("default") + (g_lpszDatabaseFile[i] + 4));
  }
  EXPECT_STREQ(g_PathTable[PATH_COMMON_PALETTE], "data\\CommonPalette.cplt4");
  EXPECT_STREQ(g_ExtTable[EXT_STAGE], "stg4");
}

}  // namespace
