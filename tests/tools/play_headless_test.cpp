// play_headless on a project it cannot load: the loader's own message and the tool's line
// naming the file and the reason go to standard error, and the run fails. A stage named without
// its version number is the newest numbered file, as the player takes it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture/fixture.h"
#include "headless_run.h"
#include "sample_game.h"
#include "support/bytes.h"
#include "support/spawn.h"
#include "support/temp_dir.h"

namespace {

// The tool writes the program's texts as UTF-8 (the source's narrow literals are Shift-JIS).
std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// A project of the fixture builder in root: database, system settings and common palette.
void WriteProjectData(const std::string& root) {
  fixture::Project project(root);
  ASSERT_TRUE(project.WriteDatabase());
  ASSERT_TRUE(project.WriteSystemData());
  ASSERT_TRUE(project.WriteCommonPalette());
}

// A 20 x 15 stage with the hero on cell (3, heroRow), as stage file number `number` of "s".
void WriteStage(const std::string& root, int heroRow, int number) {
  cStage stage = fixture::Stage(20, 15);
  fixture::Place(stage, fixture::Hero(1), 3, heroRow);
  ASSERT_TRUE(fixture::Project(root).WriteStage(stage, "s", number));
}

TEST(PlayHeadlessProject, AFileThatCannotBeReadIsNamedWithTheReason) {
  struct Case {
    const char* what;
    const char* file;          // on disk, under the project
    std::string bytes;         // its new content; empty: removed
    std::vector<std::string> lines;  // what the tool writes to standard error
  };
  const std::string cut("\x16\x03\0\0\x04\0", 6);
  const std::string newer = ByteWriter().I32(791).I32(0).str();
  const Case cases[] = {
      {"a database file cut short", "data/database/Anime.dat", cut,
       {Utf8(u8"play_headless: [エラー] data\\database\\Anime.dat の読み込みに失敗しました！"),
        "play_headless: cannot load the project: data\\database\\Anime.dat: damaged or cut short"}},
      {"a database file made by a newer version", "data/database/Bgm.dat", newer,
       {Utf8(u8"play_headless: [エラー] data\\database\\Bgm.dat の読み込みに失敗しました！ "
             u8"ソフトより上位のバージョンのファイルは使用できません。"),
        "play_headless: cannot load the project: data\\database\\Bgm.dat: made by a newer version of the program"}},
      {"the system settings missing", "data/System.dat", "",
       {"play_headless: cannot load the project: data\\System.dat: No such file or directory"}},
      {"the common palette cut short", "data/CommonPalette.cplt4", cut,
       {"play_headless: cannot load the project: data\\CommonPalette.cplt4: damaged or cut short"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string root = dir / "game";
    ASSERT_NO_FATAL_FAILURE(WriteProjectData(root));
    ASSERT_NO_FATAL_FAILURE(WriteStage(root, 13, 0));
    if (c.bytes.empty()) {
      std::remove((root + "/" + c.file).c_str());
    } else {
      WriteFileBytes(root + "/" + c.file, c.bytes);
    }
    const HeadlessRun run = RunHeadless("--project " + root + " --frames 2 'data\\stg4\\s.stg4_000'");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(LinesStartingWith(run.out, "play_headless: "), c.lines) << run.out;
  }
}

// The last line of a run: "digest " and the digest over all frames.
std::string LastLine(const std::string& out) {
  std::string text = out;
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text.substr(text.rfind('\n') + 1);
}

TEST(PlayHeadlessProject, AStageNamedWithoutItsNumberIsItsNewestFile) {
  TempDir dir;
  const std::string root = dir / "game";
  ASSERT_NO_FATAL_FAILURE(WriteProjectData(root));
  // Two versions that play apart: the hero stands on the floor in one and falls in the other.
  ASSERT_NO_FATAL_FAILURE(WriteStage(root, 13, 1));
  ASSERT_NO_FATAL_FAILURE(WriteStage(root, 5, 12));
  const auto digest = [&](const std::string& stage) {
    const HeadlessRun run = RunHeadless("--project " + root + " --frames 30 '" + stage + "'");
    EXPECT_EQ(run.status, 0) << stage << "\n" << run.out;
    return LastLine(run.out);
  };
  const std::string first = digest("data\\stg4\\s.stg4_001");
  const std::string newest = digest("data\\stg4\\s.stg4_012");
  ASSERT_NE(first, newest);
  EXPECT_EQ(digest("data\\stg4\\s.stg4"), newest);
  EXPECT_EQ(digest("data\\stg4\\S.STG4"), newest);

  // No numbered file of that name: the tool says it cannot load the stage.
  const HeadlessRun missing = RunHeadless("--project " + root + " --frames 2 'data\\stg4\\t.stg4'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.out.find("play_headless: cannot load the stage data\\stg4\\t.stg4"), std::string::npos)
      << missing.out;
}

}  // namespace

namespace {

// A stage is taken by its name without the number whatever its name on the disk: raw Shift-JIS
// as unpacked from an archive made on Windows, a byte that starts no character, a character
// without a code of code page 932. Each plays as the stage itself.
TEST(PlayHeadlessProject, StagesUnderNamesOfAnyBytesAreTakenByTheirNamesWithoutTheNumber) {
  TempDir dir;
  const std::string root = dir / "game";
  ASSERT_NO_FATAL_FAILURE(WriteProjectData(root));
  ASSERT_NO_FATAL_FAILURE(WriteStage(root, 5, 12));
  const std::string stage = ReadFileBytes(root + "/data/stg4/s.stg4_012");
  ASSERT_FALSE(stage.empty());
  const std::string names[] = {"\x83\x58\x83\x65\x81\x5B\x83\x57", "ab\x81", Utf8(u8"café 🎮")};
  for (const std::string& name : names) {
    WriteFileBytes(root + "/data/stg4/" + name + ".stg4_000", "");
    WriteFileBytes(root + "/data/stg4/" + name + ".stg4_003", stage);
  }
  const auto run = [&](const std::string& file) { return RunHeadless("--project " + root + " --frames 30 '" + file + "'"); };
  const HeadlessRun itself = run("data\\stg4\\s.stg4_012");
  ASSERT_EQ(itself.status, 0) << itself.out;
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const HeadlessRun r = run("data\\stg4\\" + name + ".stg4");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(LastLine(r.out), LastLine(itself.out));
  }
}

// The sample game written into and played from a folder whose path holds characters without a
// code of code page 932: the same frames as in a plain folder, and the replay recorded there plays
// them again.
TEST(PlayHeadlessProject, TheSampleGameInAFolderOfAnyNamePlaysAsInAPlainOne) {
  TempDir dir;
  const std::string plain = dir / "plain/game";
  const std::string odd = dir / Utf8(u8"Jeux vidéo ü/Привет 🎮/game");
  std::string error;
  ASSERT_TRUE(sample::WriteSampleGame(plain, &error)) << error;
  ASSERT_TRUE(sample::WriteSampleGame(odd, &error)) << error;
  const std::string args = " --frames 400 --random-input 7 'data\\stg4\\c01-1.stg4'";
  const HeadlessRun inPlain = RunHeadless("--project '" + plain + "'" + args);
  ASSERT_EQ(inPlain.status, 0) << inPlain.out;
  const HeadlessRun inOdd = RunHeadless("--project '" + odd + "'" + args + " --record 'x.rpl4_790'");
  ASSERT_EQ(inOdd.status, 0) << inOdd.out;
  EXPECT_EQ(inOdd.out, inPlain.out);
  ASSERT_FALSE(ReadFileBytes(odd + "/x.rpl4_790").empty());
  const HeadlessRun replayed =
      RunHeadless("--project '" + odd + "' --frames 400 --replay 'x.rpl4_790'");
  ASSERT_EQ(replayed.status, 0) << replayed.out;
  EXPECT_EQ(LastLine(replayed.out), LastLine(inPlain.out));
}

}  // namespace
