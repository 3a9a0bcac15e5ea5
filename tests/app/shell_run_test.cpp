// The whole program in this process, driven by keys as a player would press them: start-up on a
// fixture project, the game thread's frame ticks on a thread of the test, this thread serving
// the main window (the file dialog answered by the dialog driver), and every screen on the way
// from the title menu into play and back.
#include <gtest/gtest.h>

#include <SDL.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "../draw/draw_fixture.h"
#include "app/main_window.h"
#include "app/options_scene.h"
#include "app/menu_cursor.h"
#include "app/pause_link.h"
#include "app/process.h"
#include "app/ranking.h"
#include "app/scene.h"
#include "app/startup.h"
#include "app/system_ini.h"
#include "app/stage_select_scene.h"
#include "app/title_scene.h"
#include "app/world_map_scene.h"
#include "audio/bgm.h"
#include "app_fixture.h"
#include "core/shell_link.h"
#include "defs/cmd_kind.h"
#include "defs/def_context.h"
#include "draw/context.h"
#include "engine/pause_thread.h"
#include "engine/play_menu.h"
#include "engine/play_scene.h"
#include "fixture/bmp8.h"
#include "fixture/fixture.h"
#include "platform/dialog.h"
#include "platform/file.h"
#include "platform/input.h"
#include "platform/message.h"
#include "platform/text_engine.h"
#include "platform/time.h"
#include "platform/window.h"
#include "project/database.h"
#include "project/global_data.h"
#include "project/option_data.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/system_data.h"
#include "project/world_map.h"
#include "sample_game.h"
#include "support/bytes.h"
#include "support/dialog_driver.h"
#include "support/fake_synth.h"
#include "support/temp_dir.h"
#include "support/test_thread.h"
#include "ui/file_dialog.h"
#include "ui/keyboard_hook.h"

namespace {

constexpr int KEY_DECIDE = 'Z';
constexpr int ROW_STORY = 0;
constexpr int ROW_CHALLENGE = 2;
constexpr int ROW_FREE = 3;
constexpr int ROW_OPTIONS = 5;
constexpr int KEY_CANCEL = 'X';

// The file name typed into the stage file dialog.
std::string g_stageFile;

void AnswerFileDialog(DialogDriver& d, HWND dlg) {
  if (!GetDlgItem(dlg, FILE_DIALOG_LIST) || g_stageFile.empty()) {
    d.Key(SDL_SCANCODE_ESCAPE);
    return;
  }
  d.Key(SDL_SCANCODE_TAB);  // to the name field
  d.Text(g_stageFile);
  d.Key(SDL_SCANCODE_RETURN);
}

LRESULT MainProc(HWND h, UINT msg, WPARAM w, LPARAM l) { return WndProc(h, msg, w, l); }

// A stage the hero clears at once: a floor, the hero, and on the hero's cell an item whose list
// clears the stage; no banners, so that play begins with the fade-in.
cStage GoalStage() {
  cStage stage = fixture::Stage(30, 15);
  fixture::Fill(stage, fixture::Block(1), 0, 14, 29, 14);
  fixture::Place(stage, fixture::Hero(2), 2, 13);
  cItemData goal = fixture::Item(3);
  cFlowCmd clear;
  clear.m_bySelector = 1;
  clear.m_byKind = static_cast<int8_t>(CMD_STAGE_CLEAR - LISTCMD_KIND_OFFSET);
  clear.m_vParam.assign(static_cast<size_t>(g_CmdKindTable[CMD_STAGE_CLEAR].m_nParamCount), 0);
  goal.m_vCmd.push_back(clear);
  fixture::Place(stage, goal, 2, 13);
  stage.m_bShowStartBanner = 0;
  stage.m_bShowStageBanner = 0;
  fixture::EncloseGrid(stage);
  return stage;
}

// A stage that goes on until the player leaves it.
cStage PlainStage() {
  cStage stage = fixture::Stage(30, 15);
  fixture::Fill(stage, fixture::Block(1), 0, 14, 29, 14);
  fixture::Place(stage, fixture::Hero(2), 2, 13);
  stage.m_bShowStartBanner = 0;
  stage.m_bShowStageBanner = 0;
  fixture::EncloseGrid(stage);
  return stage;
}

// What happens on the game thread, frame by frame: wait until the condition holds, then press
// the key for one frame (0: none) and let it go in the next.
struct Step {
  const char* what;
  std::function<bool()> until;
  int key = 0;
};

// The frames shown, kept by the test presenter and counted for another thread to read.
class CountingPresenter : public TestPresenter {
 public:
  void ShowFrame(HWND hWnd, const gfx::PixelBuffer& frame, const uint32_t* palette, bool vsync) override {
    TestPresenter::ShowFrame(hWnd, frame, palette, vsync);
    ++shown;
  }
  std::atomic<int> shown{0};
};

int PlayState() { return g_lpPlayScene ? g_lpPlayScene->m_nState : -2; }
bool OnScreen(int type, int phase) {
  const cScene* s = g_SceneManager.SceneOf(type);
  return g_SceneManager.m_nScene == type && s && s->m_nPhase == phase;
}
bool OnTitleMenu() { return OnScreen(SCENE_TITLE, cTitleMenuScene::PHASE_MENU); }
bool Playing() { return g_SceneManager.m_nScene == SCENE_PLAY && PlayState() == 2; }

class ShellRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_.ini = g_SystemIni;
    saved_.testPlay = g_DefContext.bTestPlay;
    saved_.keepFlagged = g_DefContext.bKeepFlaggedFlows;
    saved_.menuLink = g_PlayMenuLink;
    saved_.pauseLink = g_PauseLink;
    saved_.shellLink = g_PlayShellLink;
    g_stageFile.clear();
  }

  // Writes the project with its stages and starts the program in it.
  // A stage named in lpszCommandLine is played at once.
  void Start(const std::vector<std::pair<std::string, cStage>>& stages,
             const std::function<void(fixture::Project&)>& edit = nullptr, const char* lpszCommandLine = "") {
    project_ = env_.dir() / "game";
    ASSERT_TRUE(appfixture::WriteProject(project_));
    fixture::Project p(project_);
    if (edit) edit(p);
    ASSERT_TRUE(p.WriteSystemData());
    ASSERT_TRUE(p.WriteWorldMap());
    for (auto [name, stage] : stages) ASSERT_TRUE(p.WriteStage(stage, name, 1));
    Launch(lpszCommandLine);
  }

  // Starts the program in the project folder written to project_.
  void Launch(const char* lpszCommandLine) {
    chdir_ = std::make_unique<ScopedChdir>(project_);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &MainProc;
    wc.lpszClassName = "ShellRunMain";
    RegisterClassExA(&wc);
    window_ = CreateWindowExA(0, "ShellRunMain", "", WS_POPUP | WS_CAPTION, 0, 0, 640, 480, nullptr, nullptr, nullptr,
                              nullptr);
    ASSERT_NE(window_, nullptr);
    oldMain_ = g_hWnd;
    g_hWnd = window_;
    g_MainWindow.m_hWnd = window_;
    // Frames are paced on the test's clock, which Sleep moves on instead of waiting.
    UseTestClock(100000);
    // The program's texts through the text engine, as the program itself starts.
    gfx::UseTextEngine();
    // The frames are kept here instead of shown in a window.
    gfx::SetPresenter(&presenter_);
    ASSERT_TRUE(InitApplication(lpszCommandLine, SW_SHOWNORMAL)) << env_.ReportText();
    started_ = true;
    g_bActive = 1;
  }

  void TearDown() override {
    input_internal::ReleaseAllKeys();
    g_bActive = 0;
    if (started_) ExitApplication();
    UseSystemClock();
    gfx::SetPresenter(nullptr);
    if (window_) DestroyWindow(window_);
    g_MainWindow.m_hWnd = nullptr;
    if (oldMain_) g_hWnd = oldMain_;
    DiscardMessages();
    cHook::UnhookAll();
    g_SystemIni = saved_.ini;
    g_DefContext.bTestPlay = saved_.testPlay;
    g_DefContext.bKeepFlaggedFlows = saved_.keepFlagged;
    g_PlayMenuLink = saved_.menuLink;
    g_PauseLink = saved_.pauseLink;
    g_PlayShellLink = saved_.shellLink;
    g_SystemData.SetDefault();
    g_Database.SetDefault();
    g_SaveData.ResetGameData();
    g_OptionData = cOptionData();
    g_RankingTable.SetDefault();
    g_StageData = cStage();
    g_WorldMap.SetDefault();
    g_lpfnGetDisplayDdiVersion = nullptr;
    g_lpfnFileDialogPalette = nullptr;
    g_bFreePlay = 0;
    g_nPlayMode = 0;
    g_nGameMode = 0;
    g_Cursor.Reset();
    g_SceneManager.m_nScene = g_SceneManager.m_nNextScene = g_SceneManager.m_nPrevScene = 0;
    g_SceneManager.m_bRanking = 0;
    g_SceneManager.g_nCurrentBgm = 0;
    chdir_.reset();
  }

  static void DiscardMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  // Runs the steps on a game thread, a frame tick at a time, while this thread serves the main
  // window; at most maxFrames frames. The number of steps done.
  // serve, when given, runs on this thread at every turn of the serving.
  size_t Run(const std::vector<Step>& steps, int maxFrames, const std::function<void()>& serve = nullptr) {
    std::atomic<bool> done{false};
    size_t next = 0;
    TestThread game([&] {
      int held = 0;
      for (int frame = 0; frame < maxFrames && next < steps.size(); ++frame) {
        if (held) {
          input_internal::SetKeyDown(held, false);
          held = 0;
        } else if (steps[next].until()) {
          held = steps[next].key;
          if (held) input_internal::SetKeyDown(held, true);
          ++next;
        }
        if (!g_SceneManager.Tick()) break;
      }
      if (held) input_internal::SetKeyDown(held, false);
      done = true;
    });
    const auto pump = [&] {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_CLOSE) {
          ++closes_;
          continue;
        }
        DispatchMessageA(&msg);
      }
    };
    while (!done.load()) {
      if (serve) serve();
      pump();
      Sleep(1);
    }
    EXPECT_TRUE(game.Join());
    // What the last frames posted.
    pump();
    return next;
  }
  static std::string Describe(const std::vector<Step>& steps, size_t done) {
    return done < steps.size() ? std::string("stalled waiting for: ") + steps[done].what : "all done";
  }

  CoreTestEnv env_{true};
  // Music is told to a synthesizer that plays nothing.
  FakeSynth synth_;
  CountingPresenter presenter_;
  DialogDriver driver_{&AnswerFileDialog};
  std::string project_;
  std::unique_ptr<ScopedChdir> chdir_;
  HWND window_ = nullptr;
  HWND oldMain_ = nullptr;
  bool started_ = false;
  int closes_ = 0;
  struct Saved {
    SYSTEMINI ini{};
    int testPlay = 0, keepFlagged = 0;
    cPlayMenuLink menuLink;
    cPauseLink pauseLink;
    cPlayShellLink shellLink;
  } saved_;
};

// Free play: the stage file chosen in the dialog plays; the in-game menu's first entry leads back
// to the title menu, which opens on free play again.
TEST_F(ShellRunTest, FreePlayAndBackToTheTitleOnFreePlay) {
  Start({{"plain", PlainStage()}}, [](fixture::Project& p) {
    // The cursor cell (16 x 16 at (64, 0) of the accessory sheet) in a colour of its own.
    fixture::Palette256 palette{};
    palette[1] = {20, 200, 90};
    palette[2] = {90, 90, 90};
    fixture::Image8 sheet(256, 256, 2);
    for (int y = 0; y < 16; ++y)
      for (int x = 64; x < 80; ++x) sheet.Set(x, y, 1);
    ASSERT_TRUE(fixture::WriteBmp8(p.Root() + "/bmp/Accessory.bmp", sheet, palette));
  });
  g_stageFile = "plain.stg4_001";
  int playedFrames = 0;
  const std::vector<Step> steps = {
      {"the title menu", OnTitleMenu},
      {"down 1", [] { return true; }, VK_DOWN},
      {"down 2", [] { return true; }, VK_DOWN},
      {"down 3", [] { return true; }, VK_DOWN},
      {"free play chosen", [] { return g_Cursor.Current().nRow == ROW_FREE; }, KEY_DECIDE},
      {"play", Playing},
      {"thirty frames of play", [&] { return ++playedFrames >= 30; }, VK_SPACE},
      {"the in-game menu", [] { return PlayState() == 3; }},
      {"a frame of the menu", [] { return true; }},
  };
  size_t done = Run(steps, 2000);
  ASSERT_EQ(done, steps.size()) << Describe(steps, done);
  // The menu of free play offers "しゅうりょう", "つづける" and "リトライ": centred on 320 by the
  // widest, 6 characters and the cursor column, 320 - 7 x 16 / 2 = 264; the cursor cell on
  // row 1, "つづける", at y 288.
  ASSERT_EQ(presenter_.width, 640);
  const uint32_t cursor = 0x14C85A;
  for (int y : {288, 303})
    for (int x : {264, 279}) EXPECT_EQ(Rgb(presenter_.At(x, y)), cursor) << x << "," << y;
  EXPECT_NE(Rgb(presenter_.At(263, 295)), cursor);
  EXPECT_NE(Rgb(presenter_.At(280, 295)), cursor);
  EXPECT_NE(Rgb(presenter_.At(270, 287)), cursor);
  EXPECT_NE(Rgb(presenter_.At(270, 304)), cursor);
  const std::vector<Step> back = {
      {"up to the title entry", [] { return PlayState() == 3; }, VK_UP},
      {"the title entry", [] { return PlayState() == 3; }, KEY_DECIDE},
      {"back on the title menu", OnTitleMenu},
  };
  done = Run(back, 2000);
  EXPECT_EQ(done, back.size()) << Describe(back, done);
  EXPECT_EQ(g_nPlayMode, PLAYMODE_FREE_STAGE);
  EXPECT_EQ(g_Cursor.Current().nRow, ROW_FREE) << "the title menu opens on free play";
  EXPECT_EQ(g_SceneManager.m_nPrevScene, SCENE_PLAY) << "the title menu was entered from play";
  EXPECT_EQ(g_SceneManager.m_nFrameRate, 60);
  EXPECT_EQ(closes_, 0) << env_.ReportText();
}

// Challenge: the stage select starts stage 1, the goal clears it, the end display takes decide
// from its 200th count on and registers the result in the stage's ranking file, and play hands
// back to the stage select; the challenge file records stage 1 as cleared.
TEST_F(ShellRunTest, ChallengeStageClearedBackOnTheStageSelect) {
  cStage stage = GoalStage();
  stage.m_vRanking.assign(5, 0);
  stage.m_vRanking[0] = 1;  // the stage ranks its score
  Start({{"c01-1", stage}});
  // Registration with the decide button under the player's fixed name.
  g_OptionData.m_nRankingMethod = 3;
  g_OptionData.m_strRankingName = "abc";
  const std::vector<Step> steps = {
      {"the title menu", OnTitleMenu},
      {"down 1", [] { return true; }, VK_DOWN},
      {"down 2", [] { return true; }, VK_DOWN},
      {"challenge chosen", [] { return g_Cursor.Current().nRow == ROW_CHALLENGE; }, KEY_DECIDE},
      {"the stage select", [] { return OnScreen(SCENE_STAGE_SELECT, cStageSelectScene::PHASE_SELECT); }, KEY_DECIDE},
      {"play", Playing},
      {"the end display ready for decide",
       [] { return PlayState() == 4 && g_lpPlayScene->m_nStartCount >= 200; }, KEY_DECIDE},
      {"back on the stage select", [] { return OnScreen(SCENE_STAGE_SELECT, cStageSelectScene::PHASE_SELECT); }},
  };
  // The decide press that registers the result is still held while the rankings are shown (the
  // frame that pressed it waits for them): once the ranking file is written, let go of it and
  // press it anew, each for a few shown frames, to close them.
  const char* const rankingFile = "user_data\\challenge\\c01.rkg";
  int phase = 0;
  int mark = 0;
  const auto pressAfterRanking = [&] {
    if (phase == 0 && GetFileAttributesA(rankingFile) != INVALID_FILE_ATTRIBUTES) {
      input_internal::SetKeyDown(KEY_DECIDE, false);
      mark = presenter_.shown.load();
      phase = 1;
    } else if (phase == 1 && presenter_.shown.load() >= mark + 3) {
      input_internal::SetKeyDown(KEY_DECIDE, true);
      mark = presenter_.shown.load();
      phase = 2;
    } else if (phase == 2 && presenter_.shown.load() >= mark + 3) {
      input_internal::SetKeyDown(KEY_DECIDE, false);
      phase = 3;
    }
  };
  const size_t done = Run(steps, 2000, pressAfterRanking);
  EXPECT_EQ(done, steps.size()) << Describe(steps, done);
  EXPECT_EQ(phase, 3) << "the result was registered";
  // The stage "c01-1" is the first of the series "c01": its ranking file is c01.rkg.
  cRankingTable table;
  ASSERT_EQ(table.LoadFile(rankingFile), 1);
  EXPECT_EQ(table.m_vList[0].m_vEntry[0].m_bUsed, 1u);
  EXPECT_EQ(table.m_vList[0].m_vEntry[0].m_strName, "abc");
  EXPECT_EQ(table.m_vList[1].m_vEntry[0].m_bUsed, 0u) << "the stage ranks its score only";
  EXPECT_EQ(g_nGameMode, GAMEMODE_CHALLENGE);
  EXPECT_EQ(g_SceneManager.m_nPrevScene, SCENE_PLAY);
  cSaveData back;
  ASSERT_EQ(back.LoadFile("user_data\\challenge\\Challenge.dat"), 1);
  ASSERT_GE(back.m_vChallenge.size(), 1u);
  EXPECT_EQ(back.m_vChallenge[0].m_bCleared, 1);
  EXPECT_EQ(closes_, 0) << env_.ReportText();
}

// Story, continued from a save slot with autosave on: the map shows its node where the view puts
// it; the walker steps onto a stage that starts by itself, which opens its menu at once; its first entry plays the stage, the goal clears it, play hands back to the world map, and the map saves the
// progress into the slot with the stage's clear flag.
TEST_F(ShellRunTest, StoryMapStageAutoEntryAndAutosave) {
  constexpr int kClearFlag = 10;
  Start({{"w1", GoalStage()}}, [](fixture::Project& p) {
    cWorldMap& map = p.worldMap;
    ASSERT_EQ(map.SetSize(6, 5), 1);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) map.Cell(x, y) = 5;  // open terrain
    map.m_vNode.resize(1);
    cWorldNode& node = map.m_vNode[0];
    node.m_nX = 3;
    node.m_nY = 2;
    node.m_vStage[0].m_nKind = WORLDSTAGE_STAGE;
    node.m_vStage[0].m_nClearFlag = kClearFlag;
    node.m_vStage[0].m_strStageFile = "data\\stg4\\w1.stg4";
    // The slot is checked against the program's map and settings as it is written.
    g_WorldMap = map;
    g_SystemData = p.systemData;
    cSaveData progress;
    progress.ResetGameData();
    progress.m_nMapX = 2;
    progress.m_nMapY = 2;
    progress.m_nSlot = 0;
    progress.m_bAutoSave = 1;
    ASSERT_TRUE(p.WriteSaveSlot(progress, 0));
    // Node pictures of one colour, told apart from the terrain chips.
    fixture::Palette256 palette{};
    palette[1] = {200, 10, 30};
    ASSERT_TRUE(fixture::WriteBmp8(p.Root() + "/bmp/WorldEvent.bmp", fixture::Image8(64, 64, 1), palette));
  });
  // The map as first shown: the view's origin is the walker (2, 2) less (9, 7), so the node at
  // (3, 2) lies at ((3 + 7) x 32, (2 + 5) x 32), right of the walker at (288, 224).
  const std::vector<Step> toMap = {
      {"the title menu", OnTitleMenu},
      {"down 1", [] { return true; }, VK_DOWN},
      {"continue chosen", [] { return g_Cursor.Current().nRow == 1; }, KEY_DECIDE},
      {"the slot list", [] { return OnScreen(SCENE_TITLE, cTitleMenuScene::PHASE_SLOT_LIST); }, KEY_DECIDE},
      {"the world map", [] { return OnScreen(SCENE_WORLD_MAP, cWorldMapScene::PHASE_WALK); }},
      {"a frame of the walk", [] { return true; }},
  };
  ASSERT_EQ(Run(toMap, 500), toMap.size());
  ASSERT_EQ(presenter_.width, 640);
  for (int y : {224, 240, 255})
    for (int x : {320, 336, 351}) EXPECT_EQ(Rgb(presenter_.At(x, y)), 0xC80A1Eu) << x << "," << y;
  EXPECT_NE(Rgb(presenter_.At(352, 240)), 0xC80A1Eu) << "one node picture wide";
  EXPECT_NE(Rgb(presenter_.At(336, 256)), 0xC80A1Eu) << "and high";

  const std::vector<Step> steps = {
      {"on the map", [] { return OnScreen(SCENE_WORLD_MAP, cWorldMapScene::PHASE_WALK); }, VK_RIGHT},
      // On the stage, its menu opens by itself on "やっぱりやめる".
      {"the stage's menu",
       [] { return OnScreen(SCENE_WORLD_MAP, cWorldMapScene::PHASE_STAGE_MENU) && g_Cursor.Current().nRow == 1; },
       VK_UP},
      {"the entry that plays", [] { return g_Cursor.Current().nRow == 0; }, KEY_DECIDE},
      {"play", Playing},
      {"the end display ready for decide",
       [] { return PlayState() == 4 && g_lpPlayScene->m_nStartCount >= 200; }, KEY_DECIDE},
      {"back on the world map", [] { return OnScreen(SCENE_WORLD_MAP, cWorldMapScene::PHASE_WALK); }},
  };
  const size_t done = Run(steps, 2000);
  EXPECT_EQ(done, steps.size()) << Describe(steps, done);
  EXPECT_EQ(g_nGameMode, GAMEMODE_STORY);
  EXPECT_EQ(g_Cursor.Current().nCol, 3) << "the walker stays on the cleared stage";
  EXPECT_EQ(g_Cursor.Current().nRow, 2);
  cSaveData back;
  ASSERT_EQ(back.LoadFile("user_data\\story\\Story01.dat"), 1);
  ASSERT_GT(back.m_vStageFlags.size(), static_cast<size_t>(kClearFlag));
  EXPECT_EQ(back.m_vStageFlags[kClearFlag], 1) << "the autosave holds the clear";
  EXPECT_EQ(closes_, 0) << env_.ReportText();
}

// The options screen switches music off and on again through its own frames: leaving it with music
// off releases the music manager, leaving it with music on starts the manager again, and the title
// then plays its music through the manager's name tables.
class ShellRunMusicTest : public ShellRunTest {
 protected:
  // Starts with the music switch of Option.dat as given, then visits the options screen once for
  // each entry of `switches`, leaving it with the music switch so.
  void SwitchMusicInTheOptions(int bgmAtStart, const std::vector<int>& switches) {
    Start({}, [&](fixture::Project& p) {
      // The title's music is the database's music 1, a MIDI file of the project.
      p.database.m_vBgm[1].m_strFile = "bgm\\Title.mid";
      ASSERT_TRUE(p.WriteDatabase());
      p.systemData.m_vScreenBgm[0] = 1;
      std::filesystem::create_directories(p.Root() + "/bgm");
      std::filesystem::create_directories(p.Root() + "/user_data");
      WriteFileBytes(p.Root() + "/bgm/Title.mid", OneNoteMidiFile());
      cOptionData options;
      options.m_bBgm = bgmAtStart;
      ASSERT_EQ(options.SaveFile((p.Root() + "/user_data/Option.dat").c_str()), 1);
    });
    ASSERT_FALSE(HasFatalFailure());
    if (bgmAtStart) {
      const std::vector<Step> first = {{"the title music", TitleMusicPlays}};
      ASSERT_EQ(Run(first, 300), first.size());
    }
    for (const int on : switches) {
      std::vector<Step> steps = {{"the title menu", OnTitleMenu}};
      // The title menu's seven entries; it opens on the row it was left on.
      const int presses = (ROW_OPTIONS - g_Cursor.Current().nRow + 7) % 7;
      for (int i = 0; i < presses; ++i) steps.push_back({"down", [] { return true; }, VK_DOWN});
      steps.push_back({"options chosen", [] { return g_Cursor.Current().nRow == ROW_OPTIONS; }, KEY_DECIDE});
      steps.push_back({"the options menu", OptionsStep(cSettingsScene::STEP_CHOOSE), VK_DOWN});
      steps.push_back({"the music entry", [] { return g_Cursor.Current().nRow == OPTION_BGM; }, KEY_DECIDE});
      steps.push_back({"editing the music switch", OptionsStep(cSettingsScene::STEP_EDIT), VK_UP});
      steps.push_back({"the switch turned", [on] { return g_OptionData.m_bBgm == on; }, KEY_DECIDE});
      steps.push_back({"back on the entries", OptionsStep(cSettingsScene::STEP_CHOOSE), KEY_CANCEL});
      if (on) {
        steps.push_back({"the title music again", TitleMusicPlays});
        steps.push_back({"thirty frames of the title", [n = 0]() mutable { return ++n >= 30; }});
      } else {
        steps.push_back({"back on the title menu", OnTitleMenu});
      }
      const size_t done = Run(steps, 2000);
      ASSERT_EQ(done, steps.size()) << Describe(steps, done);
      EXPECT_EQ(g_BgmPlayer.m_bInit, on) << "the manager runs exactly while music is on";
      cOptionData saved;
      ASSERT_EQ(saved.LoadFile("user_data\\Option.dat"), 1);
      EXPECT_EQ(saved.m_bBgm, on);
    }
    EXPECT_EQ(closes_, 0) << env_.ReportText();
  }

  // The title menu with its music playing from the MIDI side.
  static bool TitleMusicPlays() {
    std::lock_guard<std::recursive_mutex> lock(g_BgmPlayer.m_Lock);
    return OnTitleMenu() && g_BgmPlayer.m_bInit && g_BgmPlayer.m_vPlaying.size() == 1 && g_BgmPlayer.m_vPlaying[0] == 2;
  }
  // The options screen's menu at the step.
  static std::function<bool()> OptionsStep(int step) {
    return [step] {
      const auto* s = static_cast<const cSettingsScene*>(g_SceneManager.SceneOf(SCENE_OPTIONS));
      return OnScreen(SCENE_OPTIONS, cSettingsScene::PHASE_MENU) && s->m_nStep == step;
    };
  }
};

TEST_F(ShellRunMusicTest, OffThenOnAgain) { SwitchMusicInTheOptions(1, {0, 1}); }

TEST_F(ShellRunMusicTest, OnFromAStartWithMusicOff) { SwitchMusicInTheOptions(0, {1}); }

// A stage file named on the command line plays at once; the in-game menu's first entry then
// closes the program instead of leading to the title menu.
TEST_F(ShellRunTest, StageFromTheCommandLineClosesFromTheMenu) {
  Start({{"plain", PlainStage()}}, nullptr, "data\\stg4\\plain.stg4");
  int playedFrames = 0;
  const std::vector<Step> steps = {
      {"play", Playing},
      {"ten frames of play", [&] { return ++playedFrames >= 10; }, VK_SPACE},
      {"the in-game menu", [] { return PlayState() == 3; }, VK_UP},
      {"the first entry", [] { return PlayState() == 3; }, KEY_DECIDE},
      {"the fade-out", [] { return PlayState() == 7; }},
  };
  const size_t done = Run(steps, 1000);
  EXPECT_EQ(done, steps.size()) << Describe(steps, done);
  EXPECT_EQ(g_bFreePlay, 1);
  EXPECT_EQ(closes_, 1) << "the window is asked to close";
}

// The sample game started on each of its stages from the command line, as a new player would
// try it: start-up, the title's and the play's images, the stage's own sheets, swords and effects
// load without a failure in the report log or the error log by the time play runs.
class SampleStageStart : public ShellRunTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SampleStageStart, LogsNoLoadFailure) {
  project_ = env_.dir() / "sample";
  std::string error;
  ASSERT_TRUE(sample::WriteSampleGame(project_, &error)) << error;
  const std::string stage = std::string("data\\stg4\\") + GetParam() + ".stg4";
  Launch(stage.c_str());
  ASSERT_TRUE(started_);
  const std::vector<Step> steps = {{"play", Playing}};
  const size_t done = Run(steps, 1000);
  ASSERT_EQ(done, steps.size()) << Describe(steps, done);
  // A picture that does not load ("LoadImage Err", a texture "の作成に失敗"), a stage's own
  // picture ("専用bmp … 読み込み失敗！", "ソード", "エフェクト"), a system image ("の読み込みに
  // 失敗！"), or a surface ("… Err").
  for (const std::string& log : {env_.ReportText(), env_.ErrorText()}) {
    std::string found;
    for (const char* failure : {"Err ", "読み込み失敗", "に失敗"})
      if (log.find(failure) != std::string::npos) found += std::string(" \"") + failure + "\"";
    EXPECT_TRUE(found.empty()) << "the log tells of failures:" << found << "\n" << log;
  }
  EXPECT_EQ(closes_, 0);
}

INSTANTIATE_TEST_SUITE_P(Stages, SampleStageStart, ::testing::Values("c01-1", "c02-1", "c03-1", "c04-1"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

}  // namespace
