#include "app/startup.h"

#include <algorithm>
#include <cstring>

#include "app/font_setup.h"
#include "app/main_window.h"
#include "app/palette_anim.h"
#include "app/process.h"
#include "app/pause_link.h"
#include "app/play_menu_link.h"
#include "app/scene.h"
#include "app/screens.h"
#include "app/start_game.h"
#include "app/system_ini.h"
#include "app/system_report.h"
#include "app/window_placement.h"
#include "app/frame.h"
#include "audio/bgm.h"
#include "audio/sound_effect.h"
#include "core/log.h"
#include "core/path.h"
#include "core/save_record.h"
#include "core/shell_link.h"
#include "defs/def_context.h"
#include "draw/context.h"
#include "draw/palette.h"
#include "draw/setup.h"
#include "engine/play_data.h"
#include "engine/stage_images.h"
#include "engine/stage_draw.h"
#include "draw/surface.h"
#include "platform/ddraw.h"
#include "platform/file.h"
#include "platform/gdi.h"
#include "platform/random.h"
#include "platform/sjis.h"
#include "platform/time.h"
#include "platform/window.h"
#include "project/common_palette.h"
#include "project/data_folder.h"
#include "project/database.h"
#include "project/global_data.h"
#include "project/option_data.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/system_data.h"
#include "project/system_image.h"
#include "project/world_map.h"
#include "script/cmd_param_def.h"
#include "ui/file_dialog.h"
#include "ui/input.h"
#include "ui/key_config.h"
#include "ui/start_dialog.h"

int g_bWindowed = 0;
int g_nScreenBpp = 0;

const char* const g_lpszScreenModeError = "画面モードが不正です！\nSystem.iniと画面の設定を見直して下さい！";
const char* const g_lpszWindowDepthError =
    "画面モードが不正です！\nウインドウモードではSystem.iniの設定と画面の色の設定を合わせて下さい！";

namespace {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
// The smallest client area a saved placement may give the window.
constexpr int kMinClient = 100;

// The music name tables of the manager: five slots (title, world map and save, stage select,
// options, the stage's music). The manager keeps them and writes each screen's music into them,
// so they last as long as the program.
constexpr int kBgmSlots = 5;
char g_szBgmOggNames[kBgmSlots][BGM_OGG_NAME] = {"bgm\\Title.ogg", "bgm\\WorldMap.ogg", "bgm\\Challenge.ogg",
                                                 "bgm\\Option.ogg", "bgm\\Stage.ogg"};
char g_szBgmMidiNames[kBgmSlots][BGM_MIDI_NAME] = {"bgm\\Title.mid", "bgm\\WorldMap.mid", "bgm\\Challenge.mid",
                                                   "bgm\\Option.mid", "bgm\\Stage.mid"};

void CopyName(char* dst, const std::string& src) {
  const size_t n = std::min(src.size(), static_cast<size_t>(MAX_PATH - 1));
  std::memcpy(dst, src.data(), n);
  dst[n] = '\0';
}

// Start-up fails: the reason noted for standard error (a file's name in it given as UTF-8);
// false.
bool Failed(const char* lpszReason, const char* lpszFile = "") {
  NoteProgramFailure("start-up failed: %s%s", lpszReason, SjisToUtf8(lpszFile).c_str());
  return false;
}

// Start-up fails on a data file of the game: its name and why it cannot be read.
bool FailedToRead(const char* lpszFile) {
  NoteProgramFailure("start-up failed: %s cannot be read: %s", SjisToUtf8(lpszFile).c_str(),
                     RecordFileProblem(lpszFile).c_str());
  return false;
}

bool DrawingInit(int bDirect3D, int bVSync) {
  return DDInit(bDirect3D, g_hWnd, kScreenWidth, kScreenHeight, g_nScreenBpp, bVSync, g_bWindowed, 1, 60, bVSync,
                g_SystemImage, g_SystemBitmapTable, SYSTEM_IMAGE_COUNT);
}

// The palette and the transparent colour (Direct3D, or an 8-bit DirectDraw display).
bool SetUpPalette() {
  if (!DDLoadPaletteFromFile(DDPalette, g_SystemBitmapTable[0].szFileName, g_bWindowed)) {
    ErrorLog("DDLoadPaletteFromFile失敗");
    return false;
  }
  std::memcpy(DDPaletteWork, DDPalette, sizeof(DDPaletteWork));
  const uint8_t* rgb = g_SystemData.m_rgbTransparent;
  if (!g_SystemData.m_bFullColour || g_nScreenBpp == 16) {
    if (!DDSetTransmitFromFile(g_SystemBitmapTable[0].szFileName)) {
      ErrorLog("DDSetTransmit失敗");
      return false;
    }
    if (g_SystemData.m_bFullColour) {
      RGBTRIPLE& bmp = lpDTCon ? lpDTCon->rgbTransmitBmp : lpDDCon->rgbTransmitBmp;
      bmp = RGBTRIPLE{rgb[2], rgb[1], rgb[0]};
    }
  } else {
    DDSetTransmit(rgb[0], rgb[1], rgb[2]);
  }
  return true;
}

// The saved placement of a windowed program; the show command it asks for.
int ApplyWindowPlacement(int nCmdShow) {
  if (!g_WindowPlacement.LoadFile(g_lpszWindowPlacementFile)) return nCmdShow;
  g_MainWindow.Move(g_WindowPlacement.m_nX, g_WindowPlacement.m_nY);
  if (lpDTCon && g_SystemIni.WindowMode == 2) {
    // A stored size outside what the window can take is brought into its limits.
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int w = std::clamp(static_cast<int>(g_WindowPlacement.m_nWidth), kMinClient,
                             std::max(kMinClient, static_cast<int>(work.right - work.left)));
    const int h = std::clamp(static_cast<int>(g_WindowPlacement.m_nHeight), kMinClient,
                             std::max(kMinClient, static_cast<int>(work.bottom - work.top)));
    g_MainWindow.SetClientSize(w, h);
  }
  return g_WindowPlacement.m_bMaximized ? SW_MAXIMIZE : nCmdShow;
}

// The file dialogs' palette step: in 8-bit DirectDraw palette entry 0 is black while a dialog is
// up (restore 0), and comes back from the working palette afterwards (restore 1).
void FileDialogPalette(int restore) {
  if (lpDTCon || !lpDDCon || DDBpp != 8 || !lpDDPal) return;
  const PALETTEENTRY black{0, 0, 0, 0};
  lpDDPal->SetEntries(0, 0, 1, restore ? &DDPaletteWork[0] : &black);
}

// The display lines of the report log, from the back-end that runs.
void ReportDisplay() {
  DisplayReportSource source;
  source.windowMode = DDWindowMode;
  source.bpp = DDBpp;
  source.lpDD = lpDD;
  source.lpD3D = lpDTCon ? lpD3D : nullptr;
  source.lpDevice = lpDTCon ? lpDevice : nullptr;
  ReportDisplayInfo(source, 1);
}

}  // namespace

int StartBgmPlayer() { return g_BgmPlayer.Init(1, g_szBgmOggNames[0], g_szBgmMidiNames[0], kBgmSlots); }

int DesktopDepth(int nBitsPerPixel) {
  if (nBitsPerPixel >= 24) return 32;
  if (nBitsPerPixel == 15 || nBitsPerPixel == 16) return 16;
  return nBitsPerPixel;
}

ScreenMode DecideScreenMode(const ScreenModeInput& in) {
  ScreenMode mode;
  const bool d3d = in.nDirect3D != 0;
  const bool window = in.nWindowMode != 0;
  mode.nVSync = in.nVSync;
  if (d3d) {
    mode.bWindowed = window;
    if (mode.nVSync >= 2) mode.nVSync = 1;
  } else if (window) {
    mode.bWindowed = 1;
    mode.nVSync = 0;
  } else {
    mode.bWindowed = 0;
    if (mode.nVSync >= 2) mode.nVSync = in.bNewerSystem ? 0 : 1;
  }
  if (in.nBpp != 0) {
    mode.nBpp = in.nBpp;
  } else if (mode.bWindowed) {
    mode.nBpp = in.nDesktopBpp;
  } else if (d3d) {
    mode.nBpp = in.nD3DDepth == 1 ? 16 : 32;
  } else {
    mode.nBpp = in.nDDDepth == 1 ? 16 : in.nDDDepth == 2 && !in.bFullColour ? 8 : 32;
  }
  const bool allowed = mode.nBpp == 16 || mode.nBpp == 32 || (mode.nBpp == 8 && !d3d && !in.bFullColour);
  if (window && (mode.nBpp == 16 || mode.nBpp == 32) && mode.nBpp != in.nDesktopBpp) {
    mode.lpszError = g_lpszWindowDepthError;
  } else if (!allowed || (window && mode.nBpp == 8)) {
    mode.lpszError = g_lpszScreenModeError;
  }
  mode.bThickFrame = !mode.lpszError && d3d && in.nWindowMode == 2;
  return mode;
}

int DecideBltPresent(int bWindowed, int nVSync, int nMonitorHz, int nFrameRate) {
  if (bWindowed || nVSync == 0) return 1;
  return nMonitorHz < nFrameRate ? 1 : 0;
}

void BuildSeTables(int nSoundCount) {
  const int n = std::max(nSoundCount, 1) + 16;
  g_vSeSlot.resize(static_cast<size_t>(n));
  g_vSeDef.resize(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const std::string& name = i < 17 ? g_SystemData.m_vSystemSe.CheckedAt(i) : g_Database.m_vSound.CheckedAt(i - 16).m_strFile;
    DSSOUNDDEF& def = g_vSeDef[static_cast<size_t>(i)];
    CopyName(def.szName, name);
    def.nCopies = 1;
    def.nVolume = 0;
    def.nFlag = 1;
  }
}

void TakeCommandLineStage(const char* lpCmdLine, char* lpszFreeStage) {
  if (!lpCmdLine || !*lpCmdLine) return;
  std::string line(lpCmdLine);
  if (line.size() >= 2 && line.front() == '"' && line.back() == '"') line = line.substr(1, line.size() - 2);
  if (line.size() >= MAX_PATH) {
    ReportErrorLog("「%s」の読み込みに失敗しました！", line.c_str());
    lpszFreeStage[0] = '\0';
    return;
  }
  CopyName(lpszFreeStage, line);
}

int ResolveFreeStage(char* lpszStage) {
  char newest[MAX_PATH];
  if (FindLastNumberedFile(newest, lpszStage, "stg4")) std::memcpy(lpszStage, newest, MAX_PATH);
  if (GetFileAttributesA(lpszStage) == INVALID_FILE_ATTRIBUTES) {
    ReportErrorLog("「%s」の読み込みに失敗しました！", lpszStage);
    lpszStage[0] = '\0';
    return 0;
  }
  return 1;
}

bool StartDrawing(int* lpnDirect3D, int bVSync, int nCmdShow, bool (*lpfnInit)(int bDirect3D, int bVSync)) {
  if (lpfnInit(*lpnDirect3D, bVSync)) return true;
  if (!*lpnDirect3D) {
    ErrorLog("DDInit失敗");
    return false;
  }
  // DirectDraw with the depth, vertical sync and window mode chosen for Direct3D.
  DDEnd();
  *lpnDirect3D = 0;
  ShowWindow(g_hWnd, g_SystemIni.WindowMode != 0 ? nCmdShow : SW_MAXIMIZE);
  if (lpfnInit(0, bVSync)) return true;
  ErrorLog("DDInit失敗");
  return false;
}

bool InitApplication(const char* lpCmdLine, int nCmdShow) {
  timeBeginPeriod(1);
  CrtSrand(timeGetTime());
  // What the drawing layer and the file dialogs ask of the rest of the program.
  g_lpfnGetDisplayDdiVersion = &GetDisplayDdiVersion;
  g_lpfnFileDialogPalette = &FileDialogPalette;
  InstallPauseLink();
  InstallPlayMenuLink();
  RegisterScreens();
  // The stage's frame ends with the palette animation of the screens.
  g_lpfnAnimatePalette = &AnimatePalette;
  if (!CreateDefaultData(g_hWnd)) {
    ReportErrorBox("「data」フォルダの作成に失敗…\n「default」フォルダに問題がある可能性があります。");
    return Failed("no game here: there is no data folder, and none was made from a default folder");
  }
  CreateWorkFolders();
  const char* file = "";
  switch (LoadPlayData(&file)) {
    case PLAYDATA_DATABASE:
      ReportErrorBox("データベースの読み込みに失敗…");
      return FailedToRead(file);
    case PLAYDATA_SYSTEM_DATA:
      ReportErrorBox("%s の読み込みに失敗…", file);
      return FailedToRead(file);
    default:
      break;
  }

  SetSystemIniDefaults(&g_SystemIni, g_SystemData.m_vIniKeys);
  if (!ReadSystemIni("System.ini", &g_SystemIni, g_SystemData.m_vIniKeys)) {
    ReportErrorBox("System.ini の読み込みに失敗しました！");
    SetSystemIniDefaults(&g_SystemIni, g_SystemData.m_vIniKeys);
  }
  if (g_SystemIni.Direct3D >= 2) {
    // The start dialog asks for the back-end unless Boot.dat says not to ask again; Cancel ends
    // the program without a message.
    const int direct3d = AskDrawingBackend(g_SystemIni.Direct3D, &g_MainWindow, g_SystemData.m_strTitle.c_str(),
                                           g_SystemIni.English);
    if (direct3d < 0) return Failed("the start dialog was cancelled");
    g_SystemIni.Direct3D = direct3d;
  }
  TakeCommandLineStage(lpCmdLine, g_SystemIni.FreeStage);
  g_SceneManager.m_nFrameRate = 60;
  g_SceneManager.m_nFadeStep = 10;
  for (cInput& input : g_vInput) input.SetRepeat(18, 6);

  HDC hdc = GetDC(g_hWnd);
  const int desktopBpp = DesktopDepth(GetDeviceCaps(hdc, BITSPIXEL));
  ReleaseDC(g_hWnd, hdc);
  ScreenModeInput in;
  in.nDirect3D = g_SystemIni.Direct3D;
  in.nWindowMode = g_SystemIni.WindowMode;
  in.nBpp = g_SystemIni.Bpp;
  in.nVSync = g_SystemIni.VSync;
  in.bFullColour = g_SystemData.m_bFullColour;
  in.nDesktopBpp = desktopBpp;
  in.nD3DDepth = g_SystemData.m_nFullColourBpp;
  in.nDDDepth = g_SystemData.m_nPaletteBpp;
  const ScreenMode mode = DecideScreenMode(in);
  g_bWindowed = mode.bWindowed;
  g_SystemIni.VSync = mode.nVSync;
  g_SystemIni.Bpp = g_nScreenBpp = mode.nBpp;
  if (mode.lpszError) {
    ErrorBoxF("%s", mode.lpszError);
    return Failed("the screen mode of System.ini does not suit the display");
  }

  g_MainWindow.InitWindow(0, nullptr, nullptr);
  g_hWnd = g_MainWindow.m_hWnd;
  if (mode.bThickFrame) g_MainWindow.AddStyle(WS_THICKFRAME);
  SetWindowTextA(g_hWnd, g_SystemData.m_strTitle.c_str());
  if (g_nScreenBpp == 8) g_SystemIni.DD_VideoStretch = 0;
  // The stage and character drawing read the setting from the engine's copy.
  g_bVideoStretch = g_SystemIni.DD_VideoStretch;
  if (!StartDrawing(&g_SystemIni.Direct3D, g_SystemIni.VSync != 0, nCmdShow, &DrawingInit))
    return Failed("the drawing device cannot be started");
  if (lpDTCon) {
    lpDTCon->strTextureErrMsg =
        "テクスチャの作成に失敗しました！\nビデオカードの性能が十分ではないかもしれません。\nSystem.ini"
        "ファイルで「Direct3D=0」に変更してDirect3Dを無効にすれば改善される可能性があります。";
    LinkSurfaceTables(g_SystemImage);
  }
  int show = nCmdShow;
  if (g_SystemIni.WindowMode != 0) show = ApplyWindowPlacement(nCmdShow);
  ShowWindow(g_hWnd, lpDTCon || g_bWindowed ? show : SW_MAXIMIZE);
  ReportDisplay();
  ErrorLog("DDInit成功");
  if (lpDTCon || g_nScreenBpp == 8) {
    if (!SetUpPalette())
      return Failed("no palette and transparent colour from the picture ", g_SystemBitmapTable[0].szFileName);
  }
  ErrorLog("1");
  if (!lpDTCon) {
    DWORD hz = 0;
    if (lpDD) lpDD->GetMonitorFrequency(&hz);
    g_bBltPresent = DecideBltPresent(g_bWindowed, g_SystemIni.VSync, static_cast<int>(hz), g_SceneManager.m_nFrameRate);
  }
  const int firstImage = 1;
  if (!DDLoadSystemBitmaps(g_SystemImage, &firstImage, 1))
    return Failed("the picture cannot be loaded: ", g_SystemBitmapTable[firstImage].szFileName);
  PrepareFontDefs(g_SystemData.m_nFontFace, lpDTCon ? g_SystemIni.D3D_FontCache : g_SystemIni.DD_FontCache);
  if (!CreateStartupFonts(g_SystemData.m_bPictureChars, g_SystemData.m_bFixedPitch))
    return Failed("the fonts cannot be made");
  ErrorLog("3");
  for (cInput& input : g_vInput) input.SetDefaultButtonMap();
  if (!LoadKeyConfig("user_data\\KeyConfig.dat", &g_KeyConfig)) SetDefaultKeyConfig(&g_KeyConfig);
  g_OptionData.LoadFile("user_data\\Option.dat");
  if (g_nScreenBpp == 8 && !LoadHbtPalette(g_OptionData.m_nPalette))
    return Failed("the blend table of the 8-bit colour scheme cannot be read");
  if (g_OptionData.m_bBgm) StartBgmPlayer();
  BuildSeTables(static_cast<int>(g_Database.m_vSound.size()));
  if (!DS_Init(g_hWnd, 22050, 8, 1)) {
    ErrorLogText("DS_Init失敗！");
    return Failed("the sound output cannot be opened");
  }
  ErrorLog("DSCreate");
  DSCreate(&g_vSeSlot, &g_vSeDef, SeAttenuation(g_OptionData.m_nSeVolume));
  if (!g_WorldMap.LoadFile("data\\WorldMap.dat")) {
    ReportErrorBox("%s のロードに失敗！", "data\\WorldMap.dat");
    return FailedToRead("data\\WorldMap.dat");
  }
  if (!g_CommonPalette.LoadFile("data\\CommonPalette.cplt4")) {
    ReportErrorBox("%s のロードに失敗！", "data\\CommonPalette.cplt4");
    return FailedToRead("data\\CommonPalette.cplt4");
  }
  ErrorLog("4");
  if (g_SystemIni.FreeStage[0] && ResolveFreeStage(g_SystemIni.FreeStage)) {
    g_bFreePlay = 1;
    if (!StartGameFromFile(g_SystemIni.FreeStage, 1))
      return Failed("the stage cannot be played (damaged, made by a newer version, or without a hero): ",
                    g_SystemIni.FreeStage);
    g_nGameMode = GAMEMODE_FREE;
    g_SceneManager.m_bRanking = 1;
    g_nPlayMode = PLAYMODE_FREE_STAGE;
    g_SceneManager.m_nScene = SCENE_PLAY;
    g_SceneManager.m_nPrevScene = SCENE_TITLE;
  }
  return true;
}
