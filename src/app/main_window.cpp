#include "app/main_window.h"

#include <cstring>

#include "app/scene.h"
#include "app/start_game.h"
#include "app/startup.h"
#include "app/system_ini.h"
#include "app/window_placement.h"
#include "app/frame.h"
#include "app/process.h"
#include "audio/bgm.h"
#include "audio/sound_effect.h"
#include "core/log.h"
#include "core/shell_link.h"
#include "core/sound_request.h"
#include "draw/context.h"
#include "draw/dialog_mode.h"
#include "platform/ddraw.h"
#include "platform/input.h"
#include "platform/message.h"
#include "project/database.h"
#include "project/global_data.h"
#include "project/replay.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/system_data.h"

const char* const g_lpszEditorClass = "Tessellwhirl4_Editor";

std::atomic<int> g_bNameEntered{0};
void (*g_lpfnNameDialog)() = nullptr;
int (*g_lpfnFileDialog)(char*, const char*, const char*, const char*, const char*, int) = nullptr;
void (*g_lpfnDDRestoreSurface)() = nullptr;

namespace {

bool UsingDirectDraw() { return !lpDTCon && lpDDCon; }

int RunFileDialog(char* lpszPath, const char* lpszFolder, const char* lpszTitle, const char* lpszFilter,
                  const char* lpszPattern, int bSave) {
  if (!g_lpfnFileDialog) return 0;
  return g_lpfnFileDialog(lpszPath, lpszFolder, lpszTitle, lpszFilter, lpszPattern, bSave);
}

// One open-file request: the dialog in dialog mode; the path chosen, or false when cancelled.
bool ChooseFile(char* lpszPath, const char* lpszFolder, const char* lpszEnglish, const char* lpszJapanese,
                const char* lpszFilter, const char* lpszPattern) {
  lpszPath[0] = '\0';
  DDSetDialogMode(1);
  const int chosen =
      RunFileDialog(lpszPath, lpszFolder, g_SystemIni.English ? lpszEnglish : lpszJapanese, lpszFilter, lpszPattern, 0);
  DDSetDialogMode(0);
  return chosen != 0;
}

}  // namespace

LRESULT WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return g_MainWindow.WindowProc(hWnd, msg, wParam, lParam);
}

LRESULT cMainWindow::MsgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = cWindow::MsgProc(hWnd, msg, wParam, lParam);
  if (msg == WM_CREATE) OnCreate(wParam, lParam);
  return result;
}

LRESULT cMainWindow::WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  m_hWnd = hWnd;
  UpdateMouse();
  switch (msg) {
    case WM_CREATE:
      m_bCreated = 1;
      return 0;
    case WM_MOVE: {
      // Where DirectDraw window presents go, and the position dialogs are placed from.
      ::GetClientRect(hWnd, &DDClientRect);
      POINT tl{DDClientRect.left, DDClientRect.top};
      POINT br{DDClientRect.right, DDClientRect.bottom};
      ClientToScreen(hWnd, &tl);
      ClientToScreen(hWnd, &br);
      DDClientRect = RECT{tl.x, tl.y, br.x, br.y};
      GetWindowPos(&m_ptWindow);
      return 0;
    }
    case WM_SIZE:
      UpdateStyle();
      return 0;
    case WM_PAINT:
      if (UsingDirectDraw()) {
        PAINTSTRUCT ps{};
        BeginPaint(hWnd, &ps);
        if (g_bStarted) BltBackBufferToClient();
        EndPaint(hWnd, &ps);
        return 0;
      }
      return DefWindowProcA(hWnd, msg, wParam, lParam);
    case WM_ACTIVATEAPP:
      if (!g_bActive && wParam && lpDTCon && !g_bWindowed) SendMessageA(g_hWnd, WM_RESTORE_DEVICE, 0, 0);
      g_bActive = wParam ? 1 : 0;
      return 0;
    case WM_GETMINMAXINFO:
      if (UsingDirectDraw()) {
        GetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
      }
      return DefWindowProcA(hWnd, msg, wParam, lParam);
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) PostMessageA(hWnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_COMMAND:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      return 0;
    case WM_CLOSE:
      return OnClose(hWnd);
    case WM_DESTROY:
      ErrorLog("WM_DESTROY");
      m_hWnd = nullptr;
      g_hWnd = nullptr;
      if (g_bTestPlay) NotifyEditorExit(1);
      PostQuitMessage(0);
      return 0;
    case WM_REQUEST_NAME:
      OnNameRequest();
      return 0;
    case WM_REQUEST_OPEN_STAGE:
      OnOpenStageRequest();
      return 0;
    case WM_REQUEST_LOAD_REPLAY:
      OnLoadReplayRequest();
      return 0;
    case WM_REQUEST_SAVE_REPLAY:
      OnSaveReplayRequest(wParam);
      return 0;
    case WM_PLAY_SE:
      DSPlaySe(&g_vSeSlot.CheckedAt(static_cast<int>(wParam)), 0);
      return 0;
    case WM_PLAY_BGM:
      OnBgmRequest(wParam, lParam);
      return 0;
    case WM_RESTORE_DEVICE:
      if (g_lpfnDDRestoreSurface) g_lpfnDDRestoreSurface();
      return 0;
    default:
      return DefWindowProcA(hWnd, msg, wParam, lParam);
  }
}

LRESULT cMainWindow::OnClose(HWND hWnd) {
  if (g_SystemIni.WindowMode != 0 && g_bStarted) {
    POINT pt{};
    GetWindowPos(&pt);
    if (!IsIconic(hWnd)) {
      g_WindowPlacement.Set(pt.x, pt.y, m_rcClient.right - m_rcClient.left, m_rcClient.bottom - m_rcClient.top,
                            IsZoomed(hWnd) ? 1 : 0);
      g_WindowPlacement.SaveFile(g_lpszWindowPlacementFile);
    }
  }
  if (thPause.m_hThread.load()) {
    // The game thread waits for the pause loop: only the loop is asked to end; the play scene
    // closes the window again once it has.
    ErrorLog("WM_CLOSE thPause.m_hThread");
    const PlaySceneHooks& hooks = g_SceneManager.PlayHooks();
    if (g_lpPlayScene && hooks.lpfnSetQuit) hooks.lpfnSetQuit(g_lpPlayScene);
    PostThreadMessageA(thPause.m_dwThreadId.load(), WM_QUIT, 0, 0);
    return 0;
  }
  ErrorLog("WM_CLOSE 成功！");
  // From here no game-side thread may wait on this thread: their requests are answered with 0.
  SetMessageShutdown(TRUE);
  g_BgmPlayer.Stop();
  thLoadStage.Exit();
  thPause.Exit();
  thRanking.Exit();
  ErrorLog("thPause.Exit()");
  thGame.Exit();
  ErrorLog("thGame.Exit()");
  DestroyWindow(hWnd);
  return 0;
}

void cMainWindow::OnNameRequest() {
  DDSetDialogMode(1);
  SuspendWorkerThreads();
  if (g_lpfnNameDialog) g_lpfnNameDialog();
  DDSetDialogMode(0);
  ResumeWorkerThreads();
  g_bNameEntered = 1;
}

void cMainWindow::OnOpenStageRequest() {
  char path[MAX_PATH];
  if (!ChooseFile(path, "data\\stg4\\", "Load stage file", "ステージファイルの読み込み",
                  "StageFile ( *.stg4_*;*.rpl4_* )", "*.stg4_*;*.rpl4_*")) {
    AnswerWindowRequest(0);
    return;
  }
  // A stage that does not load closes the program; the requester is told it did not load, so
  // that it does not go into play.
  if (!StartGameFromFile(path, 0)) {
    PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
    AnswerWindowRequest(0);
    return;
  }
  AnswerWindowRequest(1);
}

void cMainWindow::OnLoadReplayRequest() {
  char path[MAX_PATH];
  if (!ChooseFile(path, "user_data\\rpl4\\", "Load replay file", "リプレイファイルの読み込み",
                  "ReplayFile ( *.rpl4_* )", "*.rpl4_*")) {
    AnswerWindowRequest(0);
    return;
  }
  AnswerWindowRequest(LoadReplayForPlayback(path) ? 1 : 0);
}

void cMainWindow::OnSaveReplayRequest(WPARAM nAttempt) {
  char path[MAX_PATH];
  ProposeReplayFileName(path, g_SaveData.m_strStage.c_str(), g_SaveData);
  DDSetDialogMode(1);
  const int chosen = RunFileDialog(path, g_lpszReplayFolder, g_SystemIni.English ? "Save replay file" : "リプレイファイルの保存",
                                   "ReplayFile ( *.rpl4_* )", "*.rpl4_*", 1);
  DDSetDialogMode(0);
  if (!chosen) {
    AnswerWindowRequest(0);
    return;
  }
  AnswerWindowRequest(SaveAttemptReplay(nAttempt ? 1 : 0, path) ? 1 : 0);
}

void cMainWindow::OnBgmRequest(WPARAM nKind, LPARAM nNumber) {
  if (nKind <= 3) {
    const int slot = static_cast<int>(nKind);
    const int n = g_SystemData.m_vScreenBgm.CheckedAt(slot);
    if (n == 0) {
      g_BgmPlayer.Stop();
      return;
    }
    g_BgmPlayer.SetFile(slot, g_Database.m_vBgm.CheckedAt(n).m_strFile.c_str());
    g_BgmPlayer.Play(0, slot, g_SystemData.m_vScreenBgmFlag.CheckedAt(slot), 0, 1);
  } else if (nKind == 4) {
    const int n = static_cast<int>(nNumber);
    g_SaveData.m_nBgmPlaying = n;
    g_BgmPlayer.SetFile(4, g_Database.m_vBgm.CheckedAt(n).m_strFile.c_str());
    if (n == 0) {
      g_BgmPlayer.Stop();
    } else {
      g_BgmPlayer.Play(0, 4, g_SaveData.m_bBgmPlayingLoop, 0, 1);
    }
  }
}

// There is no editing program on this system: the notifications go to the report log.
void NotifyEditorStart() { ReportLog("NotifyEditorStart : %s 1", g_lpszEditorClass); }

void NotifyEditorExit(int nResult) { ReportLog("NotifyEditorExit : %s %d", g_lpszEditorClass, nResult); }
