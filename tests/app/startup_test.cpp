// Start-up's decisions: the screen-mode rules, the present by copy, the desktop depth, the
// stage named at start-up, the sound-effect tables, and the back-end question of the start dialog.
#include <gtest/gtest.h>

#include <SDL.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/startup.h"
#include "app/system_ini.h"
#include "app_fixture.h"
#include "audio/sound_effect.h"
#include "core/save_record.h"
#include "defs/def_context.h"
#include "draw/context.h"
#include "platform/ddraw.h"
#include "platform/dialog.h"
#include "platform/file.h"
#include "platform/time.h"
#include "platform/window.h"
#include "project/database.h"
#include "project/global_data.h"
#include "project/system_data.h"
#include "support/dialog_driver.h"
#include "support/temp_dir.h"
#include "ui/file_dialog.h"
#include "ui/keyboard_hook.h"
#include "ui/start_dialog.h"

namespace {

struct ModeCase {
  const char* name;
  int d3d, window, bpp, vsync, fullColour, desktop, newer, d3dDepth, ddDepth;
  int windowed, outBpp, outVSync, thick;
  const char* error;
};

TEST(ScreenMode, RuleTable) {
  const char* const general = g_lpszScreenModeError;
  const char* const windowMsg = g_lpszWindowDepthError;
  const ModeCase cases[] = {
      // Direct3D
      {"d3d window takes the desktop depth", 1, 1, 0, 2, 0, 32, 1, 0, 0, 1, 32, 1, 0, nullptr},
      {"d3d resizable window", 1, 2, 0, 0, 0, 32, 1, 0, 0, 1, 32, 0, 1, nullptr},
      {"d3d full screen choice 0", 1, 0, 0, 1, 0, 32, 1, 0, 0, 0, 32, 1, 0, nullptr},
      {"d3d full screen choice 1", 1, 0, 0, 1, 0, 32, 1, 1, 0, 0, 16, 1, 0, nullptr},
      {"d3d full screen other choice", 1, 0, 0, 1, 0, 32, 1, 2, 0, 0, 32, 1, 0, nullptr},
      {"any non-zero value is Direct3D", 7, 0, 16, 3, 0, 32, 1, 0, 0, 0, 16, 1, 0, nullptr},
      {"d3d 8 bits", 1, 0, 8, 1, 0, 32, 1, 0, 0, 0, 8, 1, 0, general},
      {"d3d window 16 on a 32-bit desktop", 1, 1, 16, 1, 0, 32, 1, 0, 0, 1, 16, 1, 0, windowMsg},
      {"d3d resizable window with a bad depth gets no frame", 1, 2, 16, 1, 0, 32, 1, 0, 0, 1, 16, 1, 0, windowMsg},
      {"depth 24", 1, 0, 24, 1, 0, 32, 1, 0, 0, 0, 24, 1, 0, general},
      // DirectDraw
      {"dd window: vsync off", 0, 1, 0, 2, 0, 32, 1, 0, 0, 1, 32, 0, 0, nullptr},
      {"dd resizable window is an ordinary window", 0, 2, 0, 1, 0, 16, 1, 0, 0, 1, 16, 0, 0, nullptr},
      {"dd full screen vsync 2 on a newer system", 0, 0, 0, 2, 0, 32, 1, 0, 0, 0, 32, 0, 0, nullptr},
      {"dd full screen vsync 2 on an older system", 0, 0, 0, 2, 0, 32, 0, 0, 0, 0, 32, 1, 0, nullptr},
      {"dd full screen choice 1", 0, 0, 0, 1, 0, 32, 1, 0, 1, 0, 16, 1, 0, nullptr},
      {"dd full screen choice 2 with a palette", 0, 0, 0, 1, 0, 32, 1, 0, 2, 0, 8, 1, 0, nullptr},
      {"dd full screen choice 2 full colour", 0, 0, 0, 1, 1, 32, 1, 0, 2, 0, 32, 1, 0, nullptr},
      {"dd full screen choice 3", 0, 0, 0, 1, 0, 32, 1, 0, 3, 0, 32, 1, 0, nullptr},
      {"dd 8 bits full screen palette images", 0, 0, 8, 1, 0, 32, 1, 0, 0, 0, 8, 1, 0, nullptr},
      {"dd 8 bits full colour", 0, 0, 8, 1, 1, 32, 1, 0, 0, 0, 8, 1, 0, general},
      {"dd 8 bits in a window", 0, 1, 8, 0, 0, 32, 1, 0, 0, 1, 8, 0, 0, general},
      {"dd window 16 on a 16-bit desktop", 0, 1, 16, 0, 0, 16, 1, 0, 0, 1, 16, 0, 0, nullptr},
      {"dd window 32 on a 16-bit desktop", 0, 1, 32, 0, 0, 16, 1, 0, 0, 1, 32, 0, 0, windowMsg},
  };
  for (const ModeCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScreenModeInput in;
    in.nDirect3D = c.d3d;
    in.nWindowMode = c.window;
    in.nBpp = c.bpp;
    in.nVSync = c.vsync;
    in.bFullColour = c.fullColour;
    in.nDesktopBpp = c.desktop;
    in.bNewerSystem = c.newer;
    in.nD3DDepth = c.d3dDepth;
    in.nDDDepth = c.ddDepth;
    const ScreenMode m = DecideScreenMode(in);
    EXPECT_EQ(m.bWindowed, c.windowed);
    EXPECT_EQ(m.nBpp, c.outBpp);
    EXPECT_EQ(m.nVSync, c.outVSync);
    EXPECT_EQ(m.bThickFrame, c.thick);
    EXPECT_EQ(m.lpszError, c.error);
  }
}

TEST(ScreenMode, PresentByCopyAndDesktopDepth) {
  EXPECT_EQ(DecideBltPresent(1, 1, 60, 60), 1);
  EXPECT_EQ(DecideBltPresent(0, 0, 60, 60), 1);
  EXPECT_EQ(DecideBltPresent(0, 1, 50, 60), 1);
  EXPECT_EQ(DecideBltPresent(0, 1, 59, 60), 1);
  EXPECT_EQ(DecideBltPresent(0, 1, 60, 60), 0);
  EXPECT_EQ(DecideBltPresent(0, 1, 0, 60), 1) << "an unknown refresh counts as below";
  EXPECT_EQ(DesktopDepth(32), 32);
  EXPECT_EQ(DesktopDepth(24), 32);
  EXPECT_EQ(DesktopDepth(16), 16);
  EXPECT_EQ(DesktopDepth(15), 16);
  EXPECT_EQ(DesktopDepth(8), 8);
}

TEST(FreeStage, NewestNumberedVersionOrAReportLine) {
  CoreTestEnv env;
  appfixture::Options options;
  ASSERT_TRUE(appfixture::WriteProject(env.dir() / "game", options));
  ScopedChdir chdir(env.dir() / "game");
  for (const char* named : {"data\\stg4\\free.stg4", "data\\stg4\\free.stg4_002"}) {
    char stage[MAX_PATH];
    std::snprintf(stage, sizeof(stage), "%s", named);
    EXPECT_EQ(ResolveFreeStage(stage), 1) << named;
    EXPECT_STREQ(stage, "data\\stg4\\free.stg4_010") << named;
  }
  char missing[MAX_PATH] = "data\\stg4\\none.stg4";
  EXPECT_EQ(ResolveFreeStage(missing), 0);
  EXPECT_STREQ(missing, "");
  EXPECT_NE(env.ReportText().find("data\\stg4\\none.stg4"), std::string::npos);

  // An unnumbered file is played as named.
  ASSERT_TRUE(appfixture::WriteText(env.dir() / "game/plain.stg4", "x"));
  char plain[MAX_PATH] = "plain.stg4";
  EXPECT_EQ(ResolveFreeStage(plain), 1);
  EXPECT_STREQ(plain, "plain.stg4");
}

TEST(FreeStage, CommandLineOverTheConfiguration) {
  CoreTestEnv env;
  char stage[MAX_PATH] = "from.ini";
  TakeCommandLineStage("", stage);
  EXPECT_STREQ(stage, "from.ini") << "an empty command line keeps FreeStage";
  TakeCommandLineStage("\"my stages\\a b.stg4\"", stage);
  EXPECT_STREQ(stage, "my stages\\a b.stg4") << "one pair of quotes is dropped";
  TakeCommandLineStage("plain.stg4", stage);
  EXPECT_STREQ(stage, "plain.stg4");
  const std::string fits(MAX_PATH - 1, 'a');
  TakeCommandLineStage(fits.c_str(), stage);
  EXPECT_EQ(std::string(stage), fits);
  const std::string tooLong(MAX_PATH, 'a');
  TakeCommandLineStage(tooLong.c_str(), stage);
  EXPECT_STREQ(stage, "") << "a name that cannot fit is refused";
  EXPECT_NE(env.ReportText().find(tooLong), std::string::npos);
}

TEST(SoundEffectTables, SystemSoundsThenDatabaseSounds) {
  CoreTestEnv env;
  const cSafeVector<std::string> oldSe = g_SystemData.m_vSystemSe;
  const cSafeVector<cSoundData> oldSound = g_Database.m_vSound;
  g_SystemData.m_vSystemSe.assign(17, std::string());
  for (int i = 0; i < 17; ++i) g_SystemData.m_vSystemSe[i] = "wave\\sys" + std::to_string(i) + ".wav";

  // A Sound list of record 0 alone: the 17 system sounds exactly.
  g_Database.m_vSound.assign(1, cSoundData());
  BuildSeTables(1);
  ASSERT_EQ(g_vSeDef.size(), 17u);
  ASSERT_EQ(g_vSeSlot.size(), 17u);
  EXPECT_STREQ(g_vSeDef[0].szName, "wave\\sys0.wav");
  EXPECT_STREQ(g_vSeDef[16].szName, "wave\\sys16.wav");
  EXPECT_EQ(g_vSeDef[16].nCopies, 1);
  EXPECT_EQ(g_vSeDef[16].nVolume, 0);
  EXPECT_EQ(g_vSeDef[16].nFlag, 1);

  // An empty Sound list still holds the system sounds, without the index error path.
  BuildSeTables(0);
  EXPECT_EQ(g_vSeDef.size(), 17u);
  EXPECT_EQ(env.TakeCloseRequests(), 0);

  // Three records: two database sounds after the system sounds.
  g_Database.m_vSound.assign(3, cSoundData());
  g_Database.m_vSound[1].m_strFile = "wave\\one.wav";
  g_Database.m_vSound[2].m_strFile = "wave\\two.wav";
  BuildSeTables(3);
  ASSERT_EQ(g_vSeDef.size(), 19u);
  EXPECT_STREQ(g_vSeDef[17].szName, "wave\\one.wav");
  EXPECT_STREQ(g_vSeDef[18].szName, "wave\\two.wav");

  g_vSeDef.clear();
  g_vSeSlot.clear();
  g_SystemData.m_vSystemSe = oldSe;
  g_Database.m_vSound = oldSound;
}

}  // namespace

namespace {

std::vector<std::pair<int, int>> g_initCalls;
bool g_d3dWorks = false;
bool g_ddWorks = false;

bool FakeInit(int bDirect3D, int bVSync) {
  g_initCalls.push_back({bDirect3D, bVSync});
  return bDirect3D ? g_d3dWorks : g_ddWorks;
}

TEST(DrawingStart, Direct3DFallsBackToDirectDraw) {
  CoreTestEnv env(true);
  struct Case {
    int d3d;
    bool d3dWorks, ddWorks;
    bool ok;
    int after;
    std::vector<std::pair<int, int>> calls;
  };
  const Case cases[] = {
      {1, true, true, true, 1, {{1, 1}}},
      {1, false, true, true, 0, {{1, 1}, {0, 1}}},  // vertical sync kept
      {1, false, false, false, 0, {{1, 1}, {0, 1}}},
      {0, true, false, false, 0, {{0, 1}}},  // DirectDraw has no fall-back
      {0, false, true, true, 0, {{0, 1}}},
  };
  for (const Case& c : cases) {
    g_initCalls.clear();
    g_d3dWorks = c.d3dWorks;
    g_ddWorks = c.ddWorks;
    int d3d = c.d3d;
    EXPECT_EQ(StartDrawing(&d3d, 1, SW_SHOWNORMAL, &FakeInit), c.ok);
    EXPECT_EQ(d3d, c.after);
    EXPECT_EQ(g_initCalls, c.calls);
  }
  // Each failure to start is logged.
  const std::string log = env.ErrorText();
  size_t n = 0;
  for (size_t at = log.find("DDInit"); at != std::string::npos; at = log.find("DDInit", at + 1)) ++n;
  EXPECT_EQ(n, 2u);
}

}  // namespace

namespace {

// Start-up run in this process up to the back-end question, with every object it loads put back
// afterwards.
class StartupDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_.stripCR = g_bStripCR;
    saved_.fileTooNew = g_bFileTooNew;
    saved_.ini = g_SystemIni;
    saved_.testPlay = g_DefContext.bTestPlay;
    saved_.keepFlagged = g_DefContext.bKeepFlaggedFlows;
  }
  void TearDown() override {
    cHook::UnhookAll();
    g_bStripCR = saved_.stripCR;
    g_bFileTooNew = saved_.fileTooNew;
    g_SystemIni = saved_.ini;
    g_DefContext.bTestPlay = saved_.testPlay;
    g_DefContext.bKeepFlaggedFlows = saved_.keepFlagged;
    g_SystemData.SetDefault();
    g_Database.SetDefault();
    g_lpfnGetDisplayDdiVersion = nullptr;
    g_lpfnFileDialogPalette = nullptr;
    g_StartSettings.SetDefault();
    timeEndPeriod(1);
  }
  struct Saved {
    int stripCR = 0, fileTooNew = 0;
    SYSTEMINI ini{};
    int testPlay = 0, keepFlagged = 0;
  } saved_;
  CoreTestEnv env{true};
};

// Direct3D=2 without a saved choice asks with the start dialog; Cancel ends start-up there, with
// no message, nothing saved and no window shown.
TEST_F(StartupDialogTest, Direct3DTwoWithoutBootFileAsksAndCancelEndsStartUp) {
  appfixture::Options options;
  options.ini = "Direct3D=2\nWindowMode=1\nExit\n";
  const std::string project = env.dir() / "game";
  ASSERT_TRUE(appfixture::WriteProject(project, options));
  ScopedChdir chdir(project);
  std::string caption;
  DialogDriver driver([&](DialogDriver& d, HWND dlg) {
    if (SDL_Window* w = SDL_GetWindowFromID(DialogSdlIdForTest(dlg))) caption = SDL_GetWindowTitle(w);
    d.Click(1001);  // cancel
  });
  EXPECT_FALSE(InitApplication("", SW_SHOWNORMAL));
  EXPECT_EQ(driver.opened(), 1);
  EXPECT_EQ(caption, "Fixture Game");
  EXPECT_EQ(GetFileAttributesA("user_data\\Boot.dat"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(env.ReportText().find("エラー"), std::string::npos) << env.ReportText();
  // What the drawing layer and the file dialogs ask of the program is in place from the start:
  // the display driver counts as supporting Direct3D 9.
  ASSERT_NE(g_lpfnGetDisplayDdiVersion, nullptr);
  EXPECT_EQ(g_lpfnGetDisplayDdiVersion(), 9);
  EXPECT_NE(g_lpfnFileDialogPalette, nullptr);
}

// The file dialogs' palette step that start-up installs: in 8-bit DirectDraw palette entry 0 is
// black while a dialog is up and comes back from the working palette after it; at 16 bits the
// palette is left alone.
TEST_F(StartupDialogTest, FileDialogPaletteBlackensEntryZeroOnlyAtEightBits) {
  appfixture::Options options;
  options.ini = "Direct3D=2\nWindowMode=1\nExit\n";
  const std::string project = env.dir() / "game";
  ASSERT_TRUE(appfixture::WriteProject(project, options));
  ScopedChdir chdir(project);
  DialogDriver driver([](DialogDriver& d, HWND) { d.Click(1001); });
  ASSERT_FALSE(InitApplication("", SW_SHOWNORMAL));
  ASSERT_NE(g_lpfnFileDialogPalette, nullptr);

  IDirectDraw7* dd = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
  PALETTEENTRY entries[256] = {};
  entries[0] = PALETTEENTRY{10, 20, 30, 0};
  entries[1] = PALETTEENTRY{1, 2, 3, 0};
  IDirectDrawPalette* pal = nullptr;
  ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &pal, nullptr), DD_OK);
  DDCONTEXT context;
  DDCONTEXT* const oldCon = lpDDCon;
  IDirectDrawPalette* const oldPal = lpDDPal;
  const int oldBpp = DDBpp;
  const PALETTEENTRY oldWork = DDPaletteWork[0];
  lpDDCon = &context;
  lpDDPal = pal;
  DDPaletteWork[0] = PALETTEENTRY{40, 50, 60, 0};
  const auto entry = [&](int i) {
    PALETTEENTRY e{};
    pal->GetEntries(0, static_cast<DWORD>(i), 1, &e);
    return std::vector<int>{e.peRed, e.peGreen, e.peBlue};
  };
  DDBpp = 16;
  g_lpfnFileDialogPalette(0);
  EXPECT_EQ(entry(0), (std::vector<int>{10, 20, 30}));
  DDBpp = 8;
  g_lpfnFileDialogPalette(0);
  EXPECT_EQ(entry(0), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(entry(1), (std::vector<int>{1, 2, 3}));
  g_lpfnFileDialogPalette(1);
  EXPECT_EQ(entry(0), (std::vector<int>{40, 50, 60}));
  lpDDCon = oldCon;
  lpDDPal = oldPal;
  DDBpp = oldBpp;
  DDPaletteWork[0] = oldWork;
  pal->Release();
  dd->Release();
}

// A saved choice with the flag not to ask again goes on without the dialog; Direct3D 0 or 1 never
// asks. Start-up is stopped right after the question by a screen mode the rules refuse.
TEST_F(StartupDialogTest, SavedChoiceOrAFixedBackEndAsksNothing) {
  struct Case {
    const char* ini;
    bool bootFile;
  };
  const Case cases[] = {
      {"Direct3D=2\nWindowMode=1\nBpp=8\nExit\n", true},
      {"Direct3D=1\nWindowMode=1\nBpp=8\nExit\n", false},
      {"Direct3D=0\nWindowMode=1\nBpp=8\nExit\n", false},
  };
  int n = 0;
  for (const Case& c : cases) {
    appfixture::Options options;
    options.ini = c.ini;
    const std::string project = env.dir() / ("game" + std::to_string(n++));
    ASSERT_TRUE(appfixture::WriteProject(project, options));
    ScopedChdir chdir(project);
    if (c.bootFile) {
      CreateDirectoryA("user_data", nullptr);
      g_StartSettings.m_nMode = 0;
      g_StartSettings.m_bDontAsk = 1;
      ASSERT_EQ(g_StartSettings.SaveFile("user_data\\Boot.dat"), 1);
      g_StartSettings.SetDefault();
    }
    DialogDriver driver([](DialogDriver& d, HWND) { d.Click(1001); });
    EXPECT_FALSE(InitApplication("", SW_SHOWNORMAL)) << c.ini;
    EXPECT_EQ(driver.opened(), 0) << c.ini;
    // The question's answer is what the screen-mode rules saw: DirectDraw from Boot.dat.
    if (c.bootFile) {
      EXPECT_EQ(g_SystemIni.Direct3D, 0);
    }
  }
}

}  // namespace
