#include "platform/shell.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/bytes.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// One path as a list: the path, its zero and the list's second zero.
std::string List(const std::string& path) { return path + std::string(1, '\0'); }

int FileOp(UINT func, const std::string& from, const std::string& to, int flags) {
  SHFILEOPSTRUCTA op = {};
  op.wFunc = func;
  op.pFrom = from.c_str();
  op.pTo = to.empty() ? nullptr : to.c_str();
  op.fFlags = static_cast<FILEOP_FLAGS>(flags);
  return SHFileOperationA(&op);
}

constexpr FILEOP_FLAGS kQuiet = FOF_SILENT | FOF_NOCONFIRMATION;

TEST(SHFileOperation, CopiesAndDeletesFolderTrees) {
  TempDir dir;
  dir.MakeDir("Default/database");
  WriteFileBytes(dir / "Default/System.dat", "s");
  WriteFileBytes(dir / "Default/database/Bgm.dat", "b");
  ScopedChdir cd(dir.path());
  // Each source to the destination of its position: the folder becomes "data".
  EXPECT_EQ(FileOp(FO_COPY, List("default"), List("data\\"), FOF_MULTIDESTFILES | kQuiet), 0);
  EXPECT_EQ(ReadFileBytes(dir / "data/System.dat"), "s");
  EXPECT_EQ(ReadFileBytes(dir / "data/database/Bgm.dat"), "b");
  // Without it the sources go into the destination folder.
  fs::create_directory(dir / "backup");
  EXPECT_EQ(FileOp(FO_COPY, List("data"), List("backup"), kQuiet), 0);
  EXPECT_EQ(ReadFileBytes(dir / "backup/data/database/Bgm.dat"), "b");
  // Copying over an existing tree replaces its files.
  WriteFileBytes(dir / "Default/System.dat", "new");
  EXPECT_EQ(FileOp(FO_COPY, List("default"), List("data"), FOF_MULTIDESTFILES | kQuiet), 0);
  EXPECT_EQ(ReadFileBytes(dir / "data/System.dat"), "new");

  EXPECT_EQ(FileOp(FO_DELETE, List("data") + List("backup"), "", kQuiet), 0);
  EXPECT_FALSE(fs::exists(dir / "data"));
  EXPECT_FALSE(fs::exists(dir / "backup"));
  EXPECT_TRUE(fs::exists(dir / "Default/database/Bgm.dat"));
}

TEST(SHFileOperation, ReportsWhatCannotBeDone) {
  TempDir dir;
  ScopedChdir cd(dir.path());
  EXPECT_NE(FileOp(FO_COPY, List("missing"), List("data"), FOF_MULTIDESTFILES | kQuiet), 0);
  EXPECT_FALSE(fs::exists(dir / "data"));
  EXPECT_NE(FileOp(FO_DELETE, List("missing"), "", kQuiet), 0);
  EXPECT_NE(FileOp(0x0001, List("x"), List("y"), kQuiet), 0) << "moving is not offered";
  EXPECT_NE(SHFileOperationA(nullptr), 0);
}

}  // namespace
