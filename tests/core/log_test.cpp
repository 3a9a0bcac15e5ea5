#include "core/log.h"

#include <gtest/gtest.h>

#include "core/shell_link.h"
#include "support/bytes.h"
#include "support/temp_dir.h"

namespace {

TEST(ErrorLog, FirstWriteOfARunEmptiesTheFileLaterOnesAppend) {
  CoreTestEnv env(true);
  WriteFileBytes(env.dir() / "EC_Game.txt", "old run\n");
  ErrorLogWrite("one");
  EXPECT_EQ(env.ErrorText(), "one\n");
  ErrorLog("two %d", 2);
  ErrorLogText("three");
  EXPECT_EQ(env.ErrorText(), "one\ntwo 2\nthree\n");
}

TEST(ErrorLog, SwitchedOffWritesNothingButStillCloses) {
  CoreTestEnv env(false);
  EXPECT_EQ(ErrorLogWrite("x"), 0);
  ErrorLog("y");
  EXPECT_EQ(DebugErrorBoxF("box %d", 1), 0);
  ErrorLogAndClose(g_hWnd, "z");
  EXPECT_EQ(ReadFileBytes(env.dir() / "EC_Game.txt"), "");
  EXPECT_TRUE(env.Boxes().empty());
  EXPECT_EQ(env.TakeCloseRequests(), 1);
}

TEST(ReportLog, AppendsLinesToTheFileMadeAtStart) {
  CoreTestEnv env(true);
  EXPECT_EQ(env.ReportText(), "");
  EXPECT_EQ(ReportLog("App : ver %s", "790"), 1);
  EXPECT_EQ(ReportErrorLog("bad %d", 7), 1);
  EXPECT_EQ(env.ReportText(), "App : ver 790\nbad 7\n");
  EXPECT_EQ(env.ErrorText(), "bad 7\n");
}

TEST(ReportLog, MissingReportLogWritesNothingAnywhere) {
  CoreTestEnv env(true);
  std::remove((env.dir() / "Report_Game.txt").c_str());
  EXPECT_EQ(ReportLog("a"), 0);
  EXPECT_EQ(ReportErrorLog("b"), 0);
  EXPECT_EQ(ReportErrorBox("c"), 0);
  EXPECT_EQ(ReadFileBytes(env.dir() / "EC_Game.txt"), "");
  EXPECT_TRUE(env.Boxes().empty());
}

TEST(ReportLog, SetReportLogPathFailsForAFolderThatDoesNotExist) {
  CoreTestEnv env;
  std::string bad = env.dir() / "no/such/Report_Game.txt";
  EXPECT_EQ(SetReportLogPath(bad.c_str()), 0);
  // The old path stays in use.
  EXPECT_EQ(ReportLog("still here"), 1);
  EXPECT_EQ(env.ReportText(), "still here\n");
}

TEST(ReportLog, ErrorBoxShowsTheTextAfterLoggingIt) {
  CoreTestEnv env(true);
  ReportErrorBox("%s の読み込みに失敗！", "data\\System.dat");
  EXPECT_EQ(env.ReportText(), "data\\System.dat の読み込みに失敗！\n");
  ASSERT_EQ(env.Boxes().size(), 1u);
  EXPECT_EQ(env.Boxes()[0].text, "data\\System.dat の読み込みに失敗！");
  EXPECT_EQ(env.Boxes()[0].caption, "エラー");
  EXPECT_EQ(env.Boxes()[0].type, MB_OK);
}

int g_dialogModeCalls = 0;
int g_dialogModeResult = 1;
int FakeDialogMode(int) {
  ++g_dialogModeCalls;
  return g_dialogModeResult;
}

TEST(MesBox, RoutesByDrawingLayerState) {
  CoreTestEnv env(true);
  struct Case {
    int initDone, windowMode, dialogModeOk;
    int expectedResult, expectedBoxes, expectedModeCalls;
    bool failureLogged;
  } cases[] = {
      {0, 0, 1, IDYES, 1, 0, false},  // before the drawing layer is up: a plain box
      {1, 1, 1, IDYES, 1, 0, false},  // in a window: a plain box
      {1, 0, 1, 1, 1, 2, false},      // full screen: through dialog mode, result 1
      {1, 0, 0, 0, 0, 1, true},       // full screen, dialog mode refused: logged, 0
  };
  for (const Case& c : cases) {
    env.Boxes();
    size_t before = env.Boxes().size();
    DDInitDone = c.initDone;
    DDWindowMode = c.windowMode;
    g_dialogModeResult = c.dialogModeOk;
    g_dialogModeCalls = 0;
    g_lpfnDDSetDialogMode = &FakeDialogMode;
    EXPECT_EQ(MesBox("t", "c", MB_YESNO), c.expectedResult);
    EXPECT_EQ(env.Boxes().size() - before, static_cast<size_t>(c.expectedBoxes));
    EXPECT_EQ(g_dialogModeCalls, c.expectedModeCalls);
    EXPECT_EQ(env.ErrorText().find("DDMesBox 失敗! t, c") != std::string::npos, c.failureLogged);
  }
  DDInitDone = 0;
  DDWindowMode = 0;
  g_lpfnDDSetDialogMode = nullptr;
}

TEST(MesBox, OutOfMemoryShowsTheMessageAndClosesTheWindow) {
  CoreTestEnv env;
  OutOfMemoryExit();
  ASSERT_EQ(env.Boxes().size(), 1u);
  EXPECT_EQ(env.Boxes()[0].text, "メモリが不足しています！");
  EXPECT_EQ(env.Boxes()[0].caption, "エラー");
  EXPECT_EQ(env.TakeCloseRequests(), 1);
}

TEST(MesBox, FormattedBoxesAreCutAt1023Bytes) {
  CoreTestEnv env(true);
  std::string longText(2000, 'x');
  ErrorBoxF("%s", longText.c_str());
  DebugErrorBoxF("%s", "debug");
  ASSERT_EQ(env.Boxes().size(), 2u);
  EXPECT_EQ(env.Boxes()[0].text.size(), 1023u);
  EXPECT_EQ(env.Boxes()[1].text, "debug");
}

}  // namespace
