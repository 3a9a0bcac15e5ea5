// The window thread's answers to the replay requests through the file dialogs: the proposed
// name, the written file, the replay read back for playback, and cancelling.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/file.h"
#include "platform/file_chooser.h"
#include "platform/message.h"
#include "player_files_test.h"
#include "project/replay.h"
#include "project/replay_dialog.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "support/bytes.h"
#include "support/dialog_driver.h"
#include "ui/keyboard_hook.h"

namespace {

class ReplayDialogTest : public PlayerFilesTest {
 protected:
  void SetUp() override {
    PlayerFilesTest::SetUp();
    CreateDirectoryA("user_data", nullptr);
    CreateDirectoryA("user_data\\rpl4", nullptr);
    g_StageData = PlayableStage(24);
    g_StageInit.CopyHeaderFrom(g_StageData);
    g_StageInit.ClearObjectLists();
    g_SaveData.SetCurrentStage("data\\stg4\\Stage1.stg4_001", 0, 0, 0);
  }
  void TearDown() override {
    cHook::UnhookAll();
    PlayerFilesTest::TearDown();
  }
  static std::string Field(HWND dlg) {
    char buf[MAX_PATH];
    GetDlgItemTextA(dlg, FILE_DIALOG_NAME, buf, sizeof buf);
    return buf;
  }
};

TEST_F(ReplayDialogTest, SavedReplayIsReadBackForPlayback) {
  g_Replay.m_nSeed = 4321;
  std::string proposed;
  {
    DialogDriver driver([&](DialogDriver& d, HWND dlg) {
      proposed = Field(dlg);
      d.Key(SDL_SCANCODE_RETURN);
    });
    g_bRequestDone = 0;
    AnswerReplaySaveRequest(0, 0);
  }
  EXPECT_EQ(proposed, "Stage1_00.rpl4_790");
  EXPECT_EQ(g_nRequestResult.load(), 1);
  EXPECT_EQ(g_bRequestDone.load(), 1);
  EXPECT_NE(GetFileAttributesA("user_data\\rpl4\\Stage1_00.rpl4_790"), INVALID_FILE_ATTRIBUTES);

  g_Replay.m_nSeed = 0;
  g_StageData = PlayableStage(5);
  {
    DialogDriver driver([](DialogDriver& d, HWND) {
      d.Key(SDL_SCANCODE_DOWN);  // below "[..]"
      d.Key(SDL_SCANCODE_RETURN);
    });
    g_bRequestDone = 0;
    AnswerReplayLoadRequest(nullptr, 1);
  }
  EXPECT_EQ(g_nRequestResult.load(), 1);
  EXPECT_EQ(g_bRequestDone.load(), 1);
  EXPECT_EQ(g_Replay.m_nSeed, 4321);
  EXPECT_EQ(g_StageData.m_nWidth, 24);
  EXPECT_EQ(g_StageData.m_strPath, "user_data\\rpl4\\Stage1_00.rpl4_790");
  EXPECT_EQ(env.TakeCloseRequests(), 0);
}

TEST_F(ReplayDialogTest, TheNextFreeNumberIsProposed) {
  WriteFileBytes("user_data/rpl4/Stage1_00.rpl4_790", "x");
  std::string proposed;
  DialogDriver driver([&](DialogDriver& d, HWND dlg) {
    proposed = Field(dlg);
    d.Key(SDL_SCANCODE_ESCAPE);
  });
  char path[MAX_PATH];
  EXPECT_EQ(SelectReplaySaveFile(path, g_SaveData.m_strStage.c_str(), 0), 0);
  EXPECT_EQ(proposed, "Stage1_01.rpl4_790");
}

TEST_F(ReplayDialogTest, CancelledRequestsAnswerZero) {
  DialogDriver driver([](DialogDriver& d, HWND) { d.Key(SDL_SCANCODE_ESCAPE); });
  g_bRequestDone = 0;
  g_nRequestResult = 1;
  AnswerReplaySaveRequest(1, 0);
  EXPECT_EQ(g_nRequestResult.load(), 0);
  EXPECT_EQ(g_bRequestDone.load(), 1);
  g_bRequestDone = 0;
  g_nRequestResult = 1;
  AnswerReplayLoadRequest(nullptr, 0);
  EXPECT_EQ(g_nRequestResult.load(), 0);
  EXPECT_EQ(g_bRequestDone.load(), 1);
  EXPECT_EQ(driver.opened(), 2);
  EXPECT_EQ(env.TakeCloseRequests(), 0);
}

}  // namespace
