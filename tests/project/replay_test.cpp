// Replays: the run-length recorder and player, the replay file with its three parts, files that
// are refused before anything live changes, older files, the names proposed for saving, and the
// F1/F2 and load requests that a game-side thread makes of the window thread.
#include "project/replay.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "core/shell_link.h"
#include "core/sound_request.h"
#include "platform/input.h"
#include "platform/message.h"
#include "platform/time.h"
#include "player_files_test.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/stage_load.h"
#include "save_bytes.h"
#include "stage_bytes.h"
#include "support/bytes.h"
#include "support/test_thread.h"

namespace {

cInput Words(WORD dir, WORD button) {
  cInput in;
  in.SetWords(dir, button);
  return in;
}

TEST(ReplayRecorder, RunsOfEqualWordsPlayBackFrameByFrame) {
  struct Case {
    std::vector<WORD> dirs, buttons;
    cSafeVector<uint16_t> valueA, valueB;
    cSafeVector<uint32_t> runA, runB;
  } cases[] = {
      {{0, 0, 0, 1, 1}, {2, 2, 2, 2, 2}, {0, 1}, {2}, {3, 2}, {5}},
      {{4, 8, 4}, {0, 0, 1}, {4, 8, 4}, {0, 1}, {1, 1, 1}, {2, 1}},
      {{}, {}, {}, {}, {}, {}},
  };
  for (const Case& c : cases) {
    cReplay r;
    for (size_t i = 0; i < c.dirs.size(); ++i) r.Record(Words(c.dirs[i], c.buttons[i]));
    EXPECT_EQ(r.m_vValueA, c.valueA);
    EXPECT_EQ(r.m_vRunA, c.runA);
    EXPECT_EQ(r.m_vValueB, c.valueB);
    EXPECT_EQ(r.m_vRunB, c.runB);
    EXPECT_TRUE(r.IsWellFormed());

    cInput in = Words(0x55, 0x66);
    for (size_t i = 0; i < c.dirs.size(); ++i) {
      ASSERT_EQ(r.Play(in), 0) << i;
      EXPECT_EQ(in.m_wDir, c.dirs[i]) << i;
      EXPECT_EQ(in.m_wButton, c.buttons[i]) << i;
    }
    in.SetWords(0x55, 0x66);
    EXPECT_EQ(r.Play(in), 1) << "the frame after the last";
    EXPECT_EQ(in.m_wDir, 0x55) << "nothing written at the end";
    EXPECT_EQ(in.m_wButton, 0x66);
  }

  // A copy takes the recording, not the position; a reset empties it.
  cReplay a;
  for (WORD d : {1, 1, 2}) a.Record(Words(d, 0));
  a.m_nSeed = 77;
  a.m_nDataVersion = 700;
  cInput in;
  a.Play(in);
  cReplay b;
  b.m_nIndexA = 5;
  b.CopyFrom(a);
  EXPECT_EQ(b.m_vValueA, a.m_vValueA);
  EXPECT_EQ(b.m_nSeed, 77);
  EXPECT_EQ(b.m_nDataVersion, 700);
  EXPECT_EQ(b.m_nIndexA, 5);
  EXPECT_EQ(a.m_nCountA, 1u);
  b.Reset();
  EXPECT_TRUE(b.m_vValueA.empty() && b.m_vRunB.empty());
  EXPECT_EQ(b.m_nSeed, 0);
  EXPECT_EQ(b.m_nIndexA, 0);
  EXPECT_EQ(b.m_nDataVersion, 790);
}

// The behaviour that changed between data versions follows the recording that plays.
TEST(ReplayRecorder, VersionDependentBehaviourFollowsTheRecording) {
  struct Case {
    int version, playing, allow, direction, keepsRect;
  } cases[] = {
      {777, 1, 0, 0, 1},  {778, 1, 1, 3, 1},  {779, 1, 1, 3, 1}, {780, 1, 0, 3, 1},
      {781, 1, 1, 0, 1},  {782, 1, 1, 0, 0},  {790, 1, 0, 3, 0}, {700, 0, 0, 3, 0},
      {700, 0, 1, 0, 0},
  };
  for (const Case& c : cases) {
    cReplay r;
    r.m_nDataVersion = c.version;
    EXPECT_EQ(r.InputDirection(9, c.allow, 1, c.playing), c.direction) << c.version;
    EXPECT_EQ(r.InputDirection(1, c.allow, 1, c.playing), 2) << c.version;
    EXPECT_EQ(r.KeepsTargetRect(0, c.playing), c.keepsRect) << c.version;
    EXPECT_EQ(r.KeepsTargetRect(1, c.playing), 1) << c.version;
  }
}

class ReplayFileTest : public PlayerFilesTest {
 protected:
  static cReplay Recording(uint16_t seedBase) {
    cReplay r;
    r.m_nSeed = 1000 + seedBase;
    for (WORD d : {0, 0, 1, 2, 2, 2}) r.Record(Words(d, static_cast<WORD>(d == 2 ? seedBase : 0)));
    return r;
  }
  // Live records that a refused file must leave alone.
  void FillLiveRecords() {
    g_StageData = PlayableStage(33);
    g_StageData.m_strPath = "data\\stg4\\live.stg4_000";
    g_StageInit.CopyHeaderFrom(g_StageData);
    g_StageInit.ClearObjectLists();
    g_Replay = Recording(9);
    cInput in;
    g_Replay.Play(in);
    g_SaveData.m_nTotalScore = 77;
  }
  void ExpectLiveRecordsUntouched(const std::string& what) {
    EXPECT_EQ(g_StageData.m_nWidth, 33) << what;
    EXPECT_EQ(g_StageData.m_vPlacedChara.size(), 1u) << what;
    EXPECT_EQ(g_StageData.m_strPath, "data\\stg4\\live.stg4_000") << what;
    EXPECT_EQ(g_StageInit.m_nWidth, 33) << what;
    EXPECT_EQ(g_Replay.m_nSeed, 1009) << what;
    EXPECT_EQ(g_Replay.m_vValueA, (cSafeVector<uint16_t>{0, 1, 2})) << what;
    EXPECT_EQ(g_Replay.m_nCountA, 1u) << what << ": the position stays";
    EXPECT_EQ(g_Replay.m_nDataVersion, 790) << what;
    EXPECT_EQ(g_SaveData.m_nTotalScore, 77) << what;
  }
};

TEST_F(ReplayFileTest, TheThreePartsRoundTripByteForByte) {
  cStage stage = PlayableStage(24);
  stage.m_nTimeLimit = 123;
  cReplay r = Recording(5);
  cSaveData start;
  start.ResetGameData();
  start.m_nTotalScore = 4321;
  start.m_strStage = "data\\stg4\\s.";
  ASSERT_TRUE(project.WriteReplay("s_00.rpl4_790", stage, r, start));
  const std::string path = "user_data\\rpl4\\s_00.rpl4_790";
  const std::string bytes = ReadFileBytes("user_data/rpl4/s_00.rpl4_790");

  // The replay part as its layout has it, between the stage image and the progress.
  const std::string replayPart = ByteWriter()
                                     .I32(1).I32(1005).I32(0)
                                     .U32(3).U16(0).U16(1).U16(2)
                                     .U32(2).U16(0).U16(5)
                                     .U32(3).U32(2).U32(1).U32(3)
                                     .U32(2).U32(3).U32(3)
                                     .str();
  const size_t at = bytes.find(replayPart);
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(bytes.substr(at - 4, 4), ByteWriter().I32(STAGE_TRAILER).str()) << "the stage image ends before it";
  EXPECT_EQ(bytes.substr(0, 4), ByteWriter().I32(790).str());

  g_SaveData.m_nTotalScore = 1;
  ASSERT_EQ(LoadReplayForPlayback(path.c_str()), 1);
  EXPECT_EQ(g_StageData.m_nWidth, 24);
  EXPECT_EQ(g_StageData.m_nTimeLimit, 123);
  EXPECT_EQ(g_StageData.m_vPlacedChara.size(), 1u);
  EXPECT_EQ(g_StageData.m_strPath, path);
  EXPECT_EQ(g_StageInit.m_nTimeLimit, 123);
  EXPECT_TRUE(g_StageInit.m_vPlacedChara.empty() && g_StageInit.m_vChara.empty());
  EXPECT_EQ(g_Replay.m_nSeed, 1005);
  EXPECT_EQ(g_Replay.m_vRunA, r.m_vRunA);
  EXPECT_EQ(g_Replay.m_nDataVersion, 790);
  EXPECT_EQ(g_SaveData.m_nTotalScore, 4321);
  EXPECT_EQ(g_SaveData.m_strStage, "data\\stg4\\s.");

  ASSERT_EQ(WriteReplayFile(g_Replay, "again.rpl4_790", g_StageData, g_StageInit, g_SaveData), 1);
  EXPECT_EQ(Hex(ReadFileBytes("again.rpl4_790")), Hex(bytes));
  EXPECT_EQ(BoxTexts(), "");
}

TEST_F(ReplayFileTest, AFileThatIsNotWholeIsRefusedBeforeAnythingLiveChanges) {
  cStage stage = PlayableStage(24);
  cReplay r = Recording(5);
  cSaveData start;
  start.ResetGameData();
  ASSERT_TRUE(project.WriteReplay("good.rpl4_790", stage, r, start));
  const std::string good = ReadFileBytes("user_data/rpl4/good.rpl4_790");
  const std::string replayPart = ByteWriter().I32(1).I32(1005).I32(0).str();
  const size_t replayAt = good.find(replayPart);
  ASSERT_NE(replayAt, std::string::npos);

  // The file with another replay record: the record of Recording(5) takes 58 bytes (the body,
  // 3 and 2 values, 3 and 2 runs).
  const size_t recordBytes = 12 + (4 + 6) + (4 + 4) + (4 + 12) + (4 + 8);
  auto withRecording = [&](const std::string& record) {
    return good.substr(0, replayAt) + record + good.substr(replayAt + recordBytes);
  };
  ASSERT_EQ(withRecording(good.substr(replayAt, recordBytes)), good);
  std::string badTrailer = good;
  badTrailer[replayAt - 1] ^= 1;
  const std::string head = ByteWriter().I32(1).I32(5).I32(0).str();
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"the stage trailer is damaged", badTrailer},
      {"more values than runs", withRecording(head + ByteWriter().U32(2).U16(0).U16(1).U32(1).U16(0).U32(1).U32(3)
                                                    .U32(1).U32(1).str())},
      {"a run of 0 frames", withRecording(head + ByteWriter().U32(1).U16(0).U32(1).U16(0).U32(1).U32(0).U32(1)
                                                 .U32(1).str())},
      {"the recording ends early", good.substr(0, replayAt + 20)},
      {"the progress ends early", good.substr(0, good.size() - 9)},
      {"a newer data version", ByteWriter().I32(791).str() + good.substr(4)},
      {"an empty file", ""},
  };
  for (const Case& c : cases) {
    FillLiveRecords();
    WriteFileBytes("user_data/rpl4/bad.rpl4_790", c.bytes);
    EXPECT_EQ(LoadReplayForPlayback("user_data\\rpl4\\bad.rpl4_790"), 0) << c.what;
    ExpectLiveRecordsUntouched(c.what);
  }
  FillLiveRecords();
  EXPECT_EQ(LoadReplayForPlayback("user_data\\rpl4\\missing.rpl4_790"), 0);
  ExpectLiveRecordsUntouched("a missing file");

  // Each refusal is shown, and the program goes on.
  ASSERT_EQ(env.Boxes().size(), std::size(cases) + 1);
  EXPECT_EQ(env.Boxes()[0].text, "リプレイファイル user_data\\rpl4\\bad.rpl4_790 の読み込みに失敗しました！");
  EXPECT_EQ(env.Boxes()[5].text,
            "リプレイファイル user_data\\rpl4\\bad.rpl4_790 の読み込みに失敗しました！\n"
            "ソフトより上位のバージョンのファイルは使用できません。");
  EXPECT_EQ(env.TakeCloseRequests(), 0);
}

// A file of data version 172 or older holds no progress; its recording keeps its version, which
// later files read by anyone do not change.
TEST_F(ReplayFileTest, OlderFilesWithoutProgressAndTheirVersion) {
  StageBytes s;
  s.version = 172;
  CharaBytes hero;
  hero.graphic = 1;
  hero.control = 0;
  s.charas = {CharaBytes().Body(172), CharaBytes().Body(172)};
  s.placedCharas = {hero.Body(172)};
  const std::string recording =
      ByteWriter().I32(1).I32(42).I32(0).U32(1).U16(8).U32(1).U16(0).U32(1).U32(4).U32(1).U32(4).str();
  WriteFileBytes("user_data/rpl4/old.rpl4_172", s.File() + recording);
  g_SaveData.m_nTotalScore = 66;
  ASSERT_EQ(LoadReplayForPlayback("user_data\\rpl4\\old.rpl4_172"), 1) << BoxTexts();
  EXPECT_EQ(g_SaveData.m_nTotalScore, 66) << "the progress stays";
  EXPECT_EQ(g_Replay.m_nSeed, 42);
  EXPECT_EQ(g_Replay.m_nDataVersion, 172);
  EXPECT_EQ(g_StageData.m_vPlacedChara.size(), 1u);

  // A file of 173 has a trailer and the progress.
  SaveBytes progress;
  progress.version = 173;
  progress.values = {{"TotalScore", 5}};
  s.version = 173;
  s.charas = {CharaBytes().Body(173), CharaBytes().Body(173)};
  s.placedCharas = {hero.Body(173)};
  WriteFileBytes("user_data/rpl4/p.rpl4_173", s.File() + recording + progress.Body());
  ASSERT_EQ(LoadReplayForPlayback("user_data\\rpl4\\p.rpl4_173"), 1) << BoxTexts();
  EXPECT_EQ(g_SaveData.m_nTotalScore, 5);
  EXPECT_EQ(g_Replay.m_nDataVersion, 173);

  // Reading another record file moves the last file version, not the recording's.
  cStage other = PlayableStage(20);
  ASSERT_TRUE(project.WriteStage(other, "x", 0));
  cStage read;
  ASSERT_EQ(read.LoadFile("data\\stg4\\x.stg4_000"), 1);
  EXPECT_EQ(g_nFileVersion, 790);
  EXPECT_EQ(g_Replay.m_nDataVersion, 173);
  EXPECT_EQ(g_Replay.InputDirection(9, 0, 0, 1), 0) << "the front, as recordings up to 777 have it";
  EXPECT_EQ(g_Replay.KeepsTargetRect(0, 1), 1);
}

TEST_F(ReplayFileTest, TheProposedNameTakesTheFirstFreeNumber) {
  EXPECT_STREQ(ReplayExtension(), "rpl4_790");
  char name[MAX_PATH];
  g_SaveData.m_strStage = "data\\stg4\\Stage.";
  ProposeReplayFileName(name, g_SaveData.m_strStage.c_str(), g_SaveData);
  EXPECT_STREQ(name, "Stage_00.rpl4_790");
  for (const char* taken : {"00", "01"}) WriteFileBytes(std::string("user_data/rpl4/Stage_") + taken + ".rpl4_790", "");
  ProposeReplayFileName(name, g_SaveData.m_strStage.c_str(), g_SaveData);
  EXPECT_STREQ(name, "Stage_02.rpl4_790");
  for (int j = 2; j <= 8; ++j) WriteFileBytes("user_data/rpl4/Stage_0" + std::to_string(j) + ".rpl4_790", "");
  ProposeReplayFileName(name, g_SaveData.m_strStage.c_str(), g_SaveData);
  EXPECT_STREQ(name, "Stage_10.rpl4_790");
  for (int i = 1; i <= 8; ++i)
    for (int j = 0; j <= 8; ++j)
      WriteFileBytes("user_data/rpl4/Stage_" + std::to_string(i) + std::to_string(j) + ".rpl4_790", "");
  ProposeReplayFileName(name, g_SaveData.m_strStage.c_str(), g_SaveData);
  EXPECT_STREQ(name, "Stage_88.rpl4_790") << "every name taken: the last tried";

  g_SaveData.m_bStageCond = 1;
  g_SaveData.m_nCondVar = 7;
  g_SaveData.m_nCondValue = 2;
  ProposeReplayFileName(name, g_SaveData.m_strStage.c_str(), g_SaveData);
  EXPECT_STREQ(name, "Stage_c007_2_00.rpl4_790");
  ProposeReplayFileName(name, "", g_SaveData);
  EXPECT_STREQ(name, "");
}

// The main window of the request tests: it records the sounds and answers the replay requests
// as the program's window does once its file dialog has given a path (an empty path: the
// dialog was cancelled).
struct WindowLog {
  std::vector<std::string> events;
  std::string path;
};
WindowLog* g_window = nullptr;

LRESULT ReplayWindowProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_CLOSE) {
    g_window->events.push_back("close");
  } else if (msg == WM_PLAY_SE) {
    g_window->events.push_back("se " + std::to_string(wParam));
  } else if (msg == WM_REQUEST_SAVE_REPLAY) {
    g_window->events.push_back("save " + std::to_string(wParam));
    AnswerWindowRequest(SaveAttemptReplay(static_cast<int>(wParam), g_window->path.c_str()));
  } else if (msg == WM_REQUEST_LOAD_REPLAY) {
    g_window->events.push_back("load");
    AnswerWindowRequest(g_window->path.empty() ? 0 : LoadReplayForPlayback(g_window->path.c_str()));
  }
  return 0;
}

class ReplayRequestTest : public ReplayFileTest {
 protected:
  void SetUp() override {
    ReplayFileTest::SetUp();
    g_window = &log_;
    window_ = CreateWindowHandle(&ReplayWindowProc);
    saved_ = g_hWnd;
    g_hWnd = window_;
    g_SystemData.m_bReplay = 1;
    g_nPlayMode = PLAYMODE_NEW_GAME;
  }
  void TearDown() override {
    g_hWnd = saved_;
    DestroyWindowHandle(window_);
    g_window = nullptr;
    ReplayFileTest::TearDown();
  }
  // Runs fn on a game-side thread while this thread pumps as the window thread does.
  template <class F>
  auto OnGameThread(F fn) {
    std::atomic<bool> done{false};
    decltype(fn()) result{};
    TestThread game([&] {
      result = fn();
      done = true;
    });
    MSG msg;
    while (!done) {
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      Sleep(1);
    }
    EXPECT_TRUE(game.Join());
    return result;
  }
  std::vector<std::string> TakeEvents() {
    std::vector<std::string> events;
    events.swap(log_.events);
    return events;
  }

  WindowLog log_;
  HWND window_ = nullptr;
  HWND saved_ = nullptr;
};

TEST_F(ReplayRequestTest, F1AndF2SaveTheRecordingsOfTheAttempts) {
  using Events = std::vector<std::string>;
  g_StageData = PlayableStage(24);
  g_StageInit.CopyHeaderFrom(g_StageData);
  g_StageInit.ClearObjectLists();
  log_.path = "user_data\\rpl4\\saved.rpl4_790";

  // Nothing recorded yet: refused with sound 3, at most once in 60 frames while the key is held.
  input_internal::SetKeyDown(VK_F2, true);
  EXPECT_EQ(OnGameThread([] {
              int saved = 0;
              for (int frame = 0; frame < 61; ++frame) saved += CheckReplaySaveKeys();
              return saved;
            }),
            0);
  EXPECT_EQ(TakeEvents(), (Events{"se 3", "se 3"})) << "frames 1 and 61";
  input_internal::SetKeyDown(VK_F2, false);
  input_internal::SetKeyDown(VK_F1, true);
  EXPECT_EQ(OnGameThread([] { return CheckReplaySaveKeys(); }), 0);
  EXPECT_EQ(TakeEvents(), Events{}) << "the cool-down goes on";

  // With a recording: the sound, then the request; the file holds that attempt.
  g_Replay = Recording(1);
  g_ReplaySaveData.m_nTotalScore = 11;
  g_PrevReplay = Recording(2);
  g_PrevReplaySaveData.m_nTotalScore = 22;
  EXPECT_EQ(OnGameThread([] { return CheckReplaySaveKeys(); }), 1);
  EXPECT_EQ(TakeEvents(), (Events{"se 1", "save 0"}));
  EXPECT_EQ(g_nRequestResult, 1);
  cReplay read;
  cStage stage, header;
  cSaveData progress;
  ASSERT_EQ(ReadReplayFile(read, log_.path.c_str(), stage, header, progress), 1);
  EXPECT_EQ(read.m_nSeed, 1001);
  EXPECT_EQ(progress.m_nTotalScore, 11);
  EXPECT_EQ(stage.m_nWidth, 24);

  input_internal::SetKeyDown(VK_F1, false);
  input_internal::SetKeyDown(VK_F2, true);
  EXPECT_EQ(OnGameThread([] { return CheckReplaySaveKeys(); }), 1);
  EXPECT_EQ(TakeEvents(), (Events{"se 1", "save 1"}));
  ASSERT_EQ(ReadReplayFile(read, log_.path.c_str(), stage, header, progress), 1);
  EXPECT_EQ(read.m_nSeed, 1002);
  EXPECT_EQ(progress.m_nTotalScore, 22);

  // A file that cannot be written: the box, the result 0, and the program goes on.
  log_.path = "no_such_folder\\x.rpl4_790";
  EXPECT_EQ(OnGameThread([] { return CheckReplaySaveKeys(); }), 1);
  EXPECT_EQ(TakeEvents(), (Events{"se 1", "save 1"}));
  EXPECT_EQ(g_nRequestResult, 0);
  EXPECT_EQ(BoxTexts(), "リプレイファイル no_such_folder\\x.rpl4_790 の保存に失敗しました！\n");

  // No keys during replay playback, or while plays are not recorded.
  g_nPlayMode = PLAYMODE_REPLAY;
  EXPECT_EQ(OnGameThread([] { return CheckReplaySaveKeys(); }), 0);
  g_nPlayMode = PLAYMODE_NEW_GAME;
  g_SystemData.m_bReplay = 0;
  EXPECT_EQ(OnGameThread([] { return CheckReplaySaveKeys(); }), 0);
  input_internal::SetKeyDown(VK_F2, false);
  g_SystemData.m_bReplay = 1;
  EXPECT_EQ(OnGameThread([] { return CheckReplaySaveKeys(); }), 0) << "no key";
  EXPECT_EQ(TakeEvents(), Events{});
}

TEST_F(ReplayRequestTest, TheTitleMenuLoadsAReplayThroughTheWindowThread) {
  cStage stage = PlayableStage(28);
  cReplay r = Recording(3);
  cSaveData start;
  start.ResetGameData();
  start.m_nTotalScore = 9;
  ASSERT_TRUE(project.WriteReplay("t_00.rpl4_790", stage, r, start));
  WriteFileBytes("user_data/rpl4/bad.rpl4_790", "bad");

  log_.path = "";
  EXPECT_EQ(OnGameThread([] { return RequestReplayLoad(); }), 0) << "cancelled";
  log_.path = "user_data\\rpl4\\bad.rpl4_790";
  EXPECT_EQ(OnGameThread([] { return RequestReplayLoad(); }), 0) << "refused";
  EXPECT_EQ(g_StageData.m_vPlacedChara.size(), 0u);
  log_.path = "user_data\\rpl4\\t_00.rpl4_790";
  EXPECT_EQ(OnGameThread([] { return RequestReplayLoad(); }), 1);
  EXPECT_EQ(TakeEvents(), (std::vector<std::string>{"load", "load", "load"}));
  EXPECT_EQ(g_StageData.m_nWidth, 28);
  EXPECT_EQ(g_StageData.m_strPath, log_.path);
  EXPECT_EQ(g_Replay.m_nSeed, 1003);
  EXPECT_EQ(g_SaveData.m_nTotalScore, 9);

  // A main window that is gone answers nothing: the request gives up instead of waiting.
  g_hWnd = nullptr;
  EXPECT_EQ(OnGameThread([] { return RequestReplayLoad(); }), 0);
}

}  // namespace
