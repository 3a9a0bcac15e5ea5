// The main window's requests served on the window thread while another thread waits in its
// send (the dialogs answered through the dialog driver), the saved window placement, and the close
// while the pause thread runs.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/process.h"
#include "app/scene.h"
#include "app/system_ini.h"
#include "app/startup.h"
#include "app/window_placement.h"
#include "draw/context.h"
#include "draw/device_restore.h"
#include "app_fixture.h"
#include "core/log.h"
#include "core/shell_link.h"
#include "core/sound_request.h"
#include "platform/file.h"
#include "platform/file_chooser.h"
#include "platform/message.h"
#include "platform/sjis.h"
#include "platform/thread.h"
#include "platform/time.h"
#include "project/database.h"
#include "project/global_data.h"
#include "project/option_data.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "support/bytes.h"
#include "support/dialog_driver.h"
#include "support/temp_dir.h"
#include "support/test_thread.h"
#include "ui/keyboard_hook.h"

namespace {

// What a dialog opened by a request showed.
struct DialogSeen {
  bool fileDialog = false;
  std::string title;   // Shift-JIS
  std::string folder;  // the file dialog's folder line
};
std::vector<DialogSeen> g_dialogs;
// The file name typed into a file dialog; empty: the dialog is cancelled with Esc.
std::string g_typedName;
// Typed into the name dialog before OK.
std::string g_typedRankName;
int g_restores = 0;

// Answers every dialog a request opens, as a person at the keyboard would.
void AnswerDialog(DialogDriver& d, HWND dlg) {
  DialogSeen seen;
  seen.fileDialog = GetDlgItem(dlg, FILE_DIALOG_LIST) != nullptr;
  if (SDL_Window* w = SDL_GetWindowFromID(DialogSdlIdForTest(dlg))) seen.title = Utf8ToSjis(SDL_GetWindowTitle(w));
  if (seen.fileDialog) {
    char folder[MAX_PATH] = {};
    GetDlgItemTextA(dlg, FILE_DIALOG_FOLDER, folder, sizeof folder);
    seen.folder = folder;
    if (g_typedName.empty()) {
      d.Key(SDL_SCANCODE_ESCAPE);
    } else {
      d.Key(SDL_SCANCODE_TAB);  // to the name field
      d.Text(g_typedName);
      d.Key(SDL_SCANCODE_RETURN);
    }
  } else {
    d.Text(g_typedRankName);
    d.Click(1000);
  }
  g_dialogs.push_back(seen);
}

// The window thread of a test: the main window's procedure on a window of this thread, and the
// dialogs answered by the driver. Everything is put back afterwards.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_dialogs.clear();
    g_typedName.clear();
    g_typedRankName = "xyz";
    g_restores = 0;
    g_lpfnRestoreDevice = [] {
      ++g_restores;
      return 1;
    };
    window_ = CreateWindowHandle(&WndProc);
    g_hWnd = window_;
    g_MainWindow.m_hWnd = window_;
    oldIni_ = g_SystemIni;
  }
  void TearDown() override {
    g_lpfnRestoreDevice = &DDRestoreSurface;
    cHook::UnhookAll();
    DestroyWindowHandle(window_);
    g_hWnd = env.MainWindow();
    g_MainWindow.m_hWnd = nullptr;
    g_SystemIni = oldIni_;
    g_nPlayMode = 0;
    DiscardMessages();
  }

  // Runs fn on another thread while this thread serves the window; returns the WM_CLOSE
  // messages posted to the window meanwhile.
  int ServeWhile(std::function<void()> fn) {
    std::atomic<bool> done{false};
    TestThread t([&] {
      fn();
      done = true;
    });
    int closes = 0;
    MSG msg;
    while (!done.load()) {
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_CLOSE && msg.hwnd == window_) ++closes;
        if (msg.message == WM_RESTORE_DEVICE && msg.hwnd == window_) DispatchMessageA(&msg);
      }
      Sleep(1);
    }
    EXPECT_TRUE(t.Join());
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_CLOSE && msg.hwnd == window_) ++closes;
      if (msg.message == WM_RESTORE_DEVICE && msg.hwnd == window_) DispatchMessageA(&msg);
    }
    return closes;
  }

  CoreTestEnv env{true};
  DialogDriver driver{&AnswerDialog};
  HWND window_ = nullptr;
  SYSTEMINI oldIni_{};
};

TEST_F(MainWindowTest, FileRequestsCancelled) {
  env.dir().MakeDir("data/stg4");
  env.dir().MakeDir("user_data/rpl4");
  ScopedChdir chdir(env.dir().path());
  int results[3] = {-1, -1, -1};
  const int closes = ServeWhile([&] {
    results[0] = SendWindowRequest(WM_REQUEST_OPEN_STAGE, 0);
    results[1] = SendWindowRequest(WM_REQUEST_LOAD_REPLAY, 0);
    results[2] = SendWindowRequest(WM_REQUEST_SAVE_REPLAY, 1);
  });
  EXPECT_EQ(results[0], 0);
  EXPECT_EQ(results[1], 0);
  EXPECT_EQ(results[2], 0);
  EXPECT_EQ(g_bRequestDone.load(), 1);
  EXPECT_EQ(closes, 0);
  ASSERT_EQ(g_dialogs.size(), 3u);
  EXPECT_TRUE(g_dialogs[0].fileDialog);
  EXPECT_EQ(g_dialogs[0].folder, "data\\stg4");
  EXPECT_EQ(g_dialogs[0].title, "ステージファイルの読み込み");
  EXPECT_EQ(g_dialogs[1].folder, "user_data\\rpl4");
  EXPECT_EQ(g_dialogs[1].title, "リプレイファイルの読み込み");
  EXPECT_EQ(g_dialogs[2].folder, "user_data\\rpl4");
  EXPECT_EQ(g_dialogs[2].title, "リプレイファイルの保存");
}

TEST_F(MainWindowTest, EnglishTitles) {
  ScopedChdir chdir(env.dir().path());
  g_SystemIni.English = 1;
  ServeWhile([] {
    SendWindowRequest(WM_REQUEST_OPEN_STAGE, 0);
    SendWindowRequest(WM_REQUEST_LOAD_REPLAY, 0);
    SendWindowRequest(WM_REQUEST_SAVE_REPLAY, 0);
  });
  ASSERT_EQ(g_dialogs.size(), 3u);
  EXPECT_EQ(g_dialogs[0].title, "Load stage file");
  EXPECT_EQ(g_dialogs[1].title, "Load replay file");
  EXPECT_EQ(g_dialogs[2].title, "Save replay file");
}

// What the failure teller was told (the player writes it to standard error).
std::vector<std::string> g_told;
void Tell(const char* text) { g_told.push_back(text); }

// The line of a file chosen in play that does not load, in the report log and to the teller.
void ExpectFailureTold(const CoreTestEnv& env, const std::string& start) {
  ASSERT_EQ(g_told.size(), 1u);
  EXPECT_EQ(g_told[0].rfind(start, 0), 0u) << g_told[0];
  EXPECT_NE(("\n" + env.ReportText()).find("\n" + g_told[0] + "\n"), std::string::npos) << env.ReportText();
  g_told.clear();
  SetFailureTeller(nullptr);
}

TEST_F(MainWindowTest, OpenStageLoadsOrClosesWithResultZero) {
  SetFailureTeller(&Tell);
  ASSERT_TRUE(appfixture::WriteProject(env.dir() / "game"));
  ScopedChdir chdir(env.dir() / "game");
  g_typedName = "free.stg4_002";
  int result = -1;
  int closes = ServeWhile([&] { result = SendWindowRequest(WM_REQUEST_OPEN_STAGE, 0); });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(closes, 0);
  EXPECT_EQ(g_StageData.m_strPath, "data\\stg4\\free.stg4_002");

  // A stage that does not load closes the program, and the requester does not go into play.
  ASSERT_TRUE(appfixture::WriteText(env.dir() / "game/data/stg4/broken.stg4_001", "not a stage"));
  g_typedName = "broken.stg4_001";
  closes = ServeWhile([&] { result = SendWindowRequest(WM_REQUEST_OPEN_STAGE, 0); });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(g_bRequestDone.load(), 1);
  ExpectFailureTold(env, "the stage file data\\stg4\\broken.stg4_001 cannot be loaded: ");
}

TEST_F(MainWindowTest, ReplayReadFailureClosesAndAnswersZero) {
  env.dir().MakeDir("user_data/rpl4");
  ASSERT_TRUE(appfixture::WriteText(env.dir() / "user_data/rpl4/bad.rpl4_790", "not a replay"));
  ScopedChdir chdir(env.dir().path());
  g_typedName = "bad.rpl4_790";
  SetFailureTeller(&Tell);
  int result = -1;
  const int closes = ServeWhile([&] { result = SendWindowRequest(WM_REQUEST_LOAD_REPLAY, 0); });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(g_bRequestDone.load(), 1);
  ASSERT_EQ(g_dialogs.size(), 1u);
  ExpectFailureTold(env, "the replay file user_data\\rpl4\\bad.rpl4_790 cannot be read: ");
}

std::string g_playRankName;
std::string* PlayRankName(cPlayScene*) { return &g_playRankName; }

// The name request shows the name dialog on the window thread while the sender waits; the text it
// edits is the options' ranking name, the play's pending entry, or none.
TEST_F(MainWindowTest, NameRequestEditsTheRightName) {
  const std::string oldName = g_OptionData.m_strRankingName;
  int playObject = 0;
  PlaySceneHooks hooks;
  hooks.lpfnRankName = &PlayRankName;
  g_SceneManager.SetPlaySceneHooks(hooks);
  struct Case {
    int playMode;
    bool playScene;
    std::string* edited;  // null: the dialog edits nothing
  };
  const Case cases[] = {
      {PLAYMODE_OPTIONS, true, &g_OptionData.m_strRankingName},  // the options screen wins
      {PLAYMODE_FREE_STAGE, true, &g_playRankName},
      {PLAYMODE_FREE_STAGE, false, nullptr},
  };
  for (const Case& c : cases) {
    g_dialogs.clear();
    g_OptionData.m_strRankingName = "aaa";
    g_playRankName = "bbb";
    g_nPlayMode = c.playMode;
    g_lpPlayScene = c.playScene ? reinterpret_cast<cPlayScene*>(&playObject) : nullptr;
    g_bNameEntered = 0;
    const int closes = ServeWhile([] { SendMessageA(g_hWnd, WM_REQUEST_NAME, 0, 0); });
    EXPECT_EQ(closes, 0);
    EXPECT_EQ(g_bNameEntered.load(), 1);
    ASSERT_EQ(g_dialogs.size(), 1u);
    EXPECT_FALSE(g_dialogs[0].fileDialog);
    EXPECT_EQ(g_OptionData.m_strRankingName, c.edited == &g_OptionData.m_strRankingName ? "xyz" : "aaa");
    EXPECT_EQ(g_playRankName, c.edited == &g_playRankName ? "xyz" : "bbb");
  }
  g_lpPlayScene = nullptr;
  g_SceneManager.SetPlaySceneHooks(PlaySceneHooks());
  g_OptionData.m_strRankingName = oldName;
}

TEST_F(MainWindowTest, SoundMusicAndDeviceRequests) {
  const cSafeVector<cBgmData> oldBgm = g_Database.m_vBgm;
  g_Database.m_vBgm.assign(4, cBgmData());
  int closes = ServeWhile([] {
    SendMessageA(g_hWnd, WM_RESTORE_DEVICE, 0, 0);
    SendMessageA(g_hWnd, WM_PLAY_BGM, 4, 3);
    SendMessageA(g_hWnd, WM_PLAY_BGM, 7, 1);
  });
  EXPECT_EQ(g_restores, 1);
  EXPECT_EQ(g_SaveData.m_nBgmPlaying, 3);
  EXPECT_EQ(closes, 0);

  // Indexes out of range take the checked path: the program closes, nothing is read past a list.
  closes = ServeWhile([] { SendMessageA(g_hWnd, WM_PLAY_BGM, 4, 9); });
  EXPECT_EQ(g_SaveData.m_nBgmPlaying, 9);
  EXPECT_EQ(closes, 1);
  closes = ServeWhile([] { SendMessageA(g_hWnd, WM_PLAY_SE, 40, 0); });
  EXPECT_EQ(closes, 1);
  g_Database.m_vBgm = oldBgm;
  g_SaveData.m_nBgmPlaying = 0;
}

std::atomic<bool> g_frameDrawing{false};
int g_restoresDuringFrame = 0;

// A restore asked for while another thread draws a frame waits for the frame, and the frame's own
// request to the window thread is still served meanwhile (no deadlock).
TEST_F(MainWindowTest, RestoreWaitsForTheFrameBeingDrawn) {
  g_restoresDuringFrame = 0;
  g_lpfnRestoreDevice = [] {
    ++g_restores;
    if (g_frameDrawing.load()) ++g_restoresDuringFrame;
    return 1;
  };
  std::atomic<bool> holding{false};
  std::atomic<bool> restoreAsked{false};
  std::atomic<bool> served{false};
  TestThread frame([&] {
    const std::lock_guard<std::recursive_mutex> drawing(DDDrawingMutex());
    g_frameDrawing = true;
    holding = true;
    while (!restoreAsked.load()) Sleep(1);
    // The frame needs the window thread while it holds the lock (as a sound request does).
    SendMessageA(g_hWnd, WM_PLAY_BGM, 7, 0);
    served = true;
    Sleep(20);
    g_frameDrawing = false;
  });
  while (!holding.load()) Sleep(1);
  restoreAsked = true;
  SendMessageA(g_hWnd, WM_RESTORE_DEVICE, 0, 0);
  EXPECT_EQ(g_restores, 0);
  MSG msg;
  for (int i = 0; i < 2000 && g_restores == 0; ++i) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(1);
  }
  EXPECT_TRUE(frame.Join());
  EXPECT_TRUE(served.load());
  EXPECT_EQ(g_restores, 1);
  EXPECT_EQ(g_restoresDuringFrame, 0);
}

TEST_F(MainWindowTest, CloseWhileThePauseThreadRunsOnlyEndsThePauseLoop) {
  static int quitAsked = 0;
  quitAsked = 0;
  PlaySceneHooks hooks;
  hooks.lpfnSetQuit = [](cPlayScene*) { ++quitAsked; };
  g_SceneManager.SetPlaySceneHooks(hooks);
  int playObject = 0;
  g_lpPlayScene = reinterpret_cast<cPlayScene*>(&playObject);
  g_SystemIni.WindowMode = 0;
  ASSERT_TRUE(thPause.Start(
      [](void*) -> unsigned {
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        }
        return 0;
      },
      nullptr));
  ASSERT_TRUE(WaitUntil([] { return PostThreadMessageA(thPause.m_dwThreadId.load(), WM_NULL, 0, 0) != 0; }));
  EXPECT_EQ(SendMessageA(g_hWnd, WM_CLOSE, 0, 0), 0);
  EXPECT_EQ(quitAsked, 1);
  EXPECT_TRUE(IsWindow(g_hWnd)) << "the window stays";
  thPause.Wait();
  EXPECT_EQ(thPause.m_hThread.load(), nullptr);
  EXPECT_NE(env.ErrorText().find("WM_CLOSE thPause.m_hThread"), std::string::npos);
  g_lpPlayScene = nullptr;
  g_SceneManager.SetPlaySceneHooks(PlaySceneHooks());
}

TEST(WindowPlacement, FileLayoutAndClamp) {
  CoreTestEnv env;
  ScopedChdir chdir(env.dir().path());
  ASSERT_EQ(CreateDirectoryA("user_data", nullptr), TRUE);
  cWindowPlacement placement;
  placement.Set(12, 34, 640, 480, 1);
  ASSERT_EQ(placement.SaveFile(g_lpszWindowPlacementFile), 1);
  const std::string bytes = ReadFileBytes(env.dir() / "user_data/Window.dat");
  ASSERT_EQ(bytes.size(), 32u);
  // Version 790, five fields, x 12, y 34, 640 x 480, maximised, no strings; little-endian.
  std::string expected;
  for (uint32_t v : {790u, 5u, 12u, 34u, 640u, 480u, 1u, 0u}) {
    for (int i = 0; i < 4; ++i) expected.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  }
  EXPECT_EQ(Hex(bytes), Hex(expected));

  // A position off the screen is pulled back on load.
  placement.Set(-50, 100000, 320, 200, 0);
  ASSERT_EQ(placement.SaveFile(g_lpszWindowPlacementFile), 1);
  cWindowPlacement loaded;
  ASSERT_EQ(loaded.LoadFile(g_lpszWindowPlacementFile), 1);
  EXPECT_EQ(loaded.m_nX, 0);
  EXPECT_EQ(loaded.m_nY, GetSystemMetrics(SM_CYFULLSCREEN));
  EXPECT_EQ(loaded.m_nWidth, 320);
  EXPECT_EQ(loaded.m_nHeight, 200);
  EXPECT_EQ(loaded.m_bMaximized, 0);
}

}  // namespace

namespace {

int g_activeAtRestore = -1;

TEST_F(MainWindowTest, ReactivatingFullScreenDirect3DResetsTheDeviceFirst) {
  DTCONTEXT dt;
  DTCONTEXT* const oldDT = lpDTCon;
  const int oldWindowed = g_bWindowed;
  lpDTCon = &dt;
  g_lpfnRestoreDevice = [] {
    ++g_restores;
    g_activeAtRestore = g_bActive.load();
    return 1;
  };
  struct Case {
    int windowed, wasActive;
    WPARAM activate;
    int restores, activeAfter;
  };
  const Case cases[] = {
      {0, 0, 1, 1, 1},  // full screen, becoming active: reset while still inactive
      {0, 1, 1, 0, 1},  // already active
      {0, 1, 0, 0, 0},  // deactivation
      {1, 0, 1, 0, 1},  // a window keeps its device
  };
  for (const Case& c : cases) {
    g_restores = 0;
    g_activeAtRestore = -1;
    g_bWindowed = c.windowed;
    g_bActive = c.wasActive;
    EXPECT_EQ(SendMessageA(g_hWnd, WM_ACTIVATEAPP, c.activate, 0), 0);
    EXPECT_EQ(g_restores, c.restores);
    if (c.restores) {
      EXPECT_EQ(g_activeAtRestore, 0);
    }
    EXPECT_EQ(g_bActive.load(), c.activeAfter);
  }
  lpDTCon = oldDT;
  g_bWindowed = oldWindowed;
  g_bActive = 0;
}

}  // namespace

namespace {

// A real window of the main window's class procedure, closed through WM_CLOSE.
class WindowCloseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WndProc;
    wc.lpszClassName = "MainWindowCloseTest";
    RegisterClassExA(&wc);  // already there on a repeat
    oldIni_ = g_SystemIni;
    g_SystemIni.WindowMode = 1;
    g_bStarted = 1;
    ASSERT_EQ(CreateDirectoryA((env.dir() / "user_data").c_str(), nullptr), TRUE);
  }
  void TearDown() override {
    SetMessageShutdown(FALSE);
    g_SystemIni = oldIni_;
    g_bStarted = 0;
    g_bActive = 0;
    g_bTestPlay = 0;
    g_hWnd = env.MainWindow();
    g_MainWindow.m_hWnd = nullptr;
    DiscardMessages();
  }
  HWND Open() {
    g_MainWindow.Setup(640, 480, 100, 100, 640, 480, WS_POPUP | WS_CAPTION, 0, 0, 0, 0, 0);
    HWND h = CreateWindowExA(0, "MainWindowCloseTest", "", WS_POPUP | WS_CAPTION, 120, 90, 640, 480, nullptr,
                             nullptr, nullptr, nullptr);
    g_hWnd = h;
    return h;
  }
  // WM_CLOSE as the window thread gets it; true when the window was destroyed and the thread's
  // loop told to end.
  bool Close(HWND h) {
    SendMessageA(h, WM_CLOSE, 0, 0);
    MSG msg;
    bool quit = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) quit = quit || msg.message == WM_QUIT;
    return quit && !IsWindow(h);
  }
  CoreTestEnv env{true};
  ScopedChdir chdir_{env.dir().path()};
  SYSTEMINI oldIni_{};
};

TEST_F(WindowCloseTest, MinimisedWindowKeepsTheSavedPlacement) {
  const HWND h = Open();
  ASSERT_NE(h, nullptr);
  ShowWindow(h, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(h));
  EXPECT_TRUE(Close(h));
  EXPECT_EQ(GetFileAttributesA("user_data\\Window.dat"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(g_hWnd, nullptr);
}

TEST_F(WindowCloseTest, WindowedCloseSavesThePlacementAndTellsTheEditingProgram) {
  g_bTestPlay = 1;
  const HWND h = Open();
  ASSERT_NE(h, nullptr);
  ShowWindow(h, SW_SHOWNORMAL);
  RECT rc{};
  GetWindowRect(h, &rc);
  EXPECT_TRUE(Close(h));
  cWindowPlacement saved;
  ASSERT_EQ(saved.LoadFile("user_data\\Window.dat"), 1);
  EXPECT_EQ(saved.m_nX, rc.left);
  EXPECT_EQ(saved.m_nY, rc.top);
  EXPECT_EQ(saved.m_nWidth, 640);
  EXPECT_EQ(saved.m_nHeight, 480);
  EXPECT_EQ(saved.m_bMaximized, 0);
  EXPECT_NE(env.ReportText().find("NotifyEditorExit : Tessellwhirl4_Editor 1"), std::string::npos);
  EXPECT_NE(env.ErrorText().find("thGame.Exit()"), std::string::npos);
}

TEST_F(WindowCloseTest, FullScreenCloseWritesNoPlacement) {
  g_SystemIni.WindowMode = 0;
  const HWND h = Open();
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(Close(h));
  EXPECT_EQ(GetFileAttributesA("user_data\\Window.dat"), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
