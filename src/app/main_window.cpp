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
#include "core/save_record.h"
#include "core/shell_link.h"
#include "core/sound_request.h"
#include "draw/context.h"
#include "draw/device_restore.h"
#include "draw/dialog_mode.h"
#include "platform/ddraw.h"
#include "platform/input.h"
#include "platform/message.h"
#include "project/database.h"
#include "project/global_data.h"
#include "project/option_data.h"
#include "project/replay.h"
#include "project/replay_dialog.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/system_data.h"
#include "ui/file_dialog.h"
#include "ui/name_dialog.h"

const char* const g_lpszEditorClass = "Tessellwhirl4_Editor";

std::atomic<int> g_bNameEntered{0};
int (*g_lpfnRestoreDevice)() = &DDRestoreSurface;

namespace {

bool UsingDirectDraw() { return !lpDTCon && lpDDCon; }

// The text the name dialog edits: the options' ranking name when the options screen asked, else
// the running play's pending ranking entry; null (the dialog edits nothing) when there is neither.
std::string* NameDialogText() {
  if (g_nPlayMode == PLAYMODE_OPTIONS) return &g_OptionData.m_strRankingName;
  const PlaySceneHooks& hooks = g_SceneManager.PlayHooks();
  if (g_lpPlayScene && hooks.lpfnRankName) return hooks.lpfnRankName(g_lpPlayScene);
  return nullptr;
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
      AnswerReplayLoadRequest(hWnd, g_SystemIni.English);
      return 0;
    case WM_REQUEST_SAVE_REPLAY:
      AnswerReplaySaveRequest(wParam, g_SystemIni.English);
      return 0;
    case WM_PLAY_SE:
      DSPlaySe(&g_vSeSlot.CheckedAt(static_cast<int>(wParam)), 0);
      return 0;
    case WM_PLAY_BGM:
      OnBgmRequest(wParam, lParam);
      return 0;
    case WM_RESTORE_DEVICE:
      RestoreDeviceBetweenFrames();
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
  RunNameDialog(this, g_bWindowed, NameDialogText(), g_SystemIni.English);
  DDSetDialogMode(0);
  ResumeWorkerThreads();
  g_bNameEntered = 1;
}

void cMainWindow::OnOpenStageRequest() {
  char path[MAX_PATH] = {};
  if (!SelectStageFile(m_hWnd, path, g_SystemIni.English)) {
    AnswerWindowRequest(0);
    return;
  }
  // A stage that does not load closes the program; the requester is told it did not load, so
  // that it does not go into play.
  if (!StartGameFromFile(path, 0)) {
    ReportFailure("the stage file %s cannot be loaded: %s", path, RecordFileProblem(path).c_str());
    PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
    AnswerWindowRequest(0);
    return;
  }
  AnswerWindowRequest(1);
}

void RestoreDeviceBetweenFrames() {
  std::recursive_mutex& drawing = DDDrawingMutex();
  if (!drawing.try_lock()) {
    // A frame is being drawn: the messages its thread may be waiting on are served, and when the
    // frame still holds the lock the request waits in the queue for a later turn.
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    if (!drawing.try_lock()) {
      PostMessageA(g_MainWindow.m_hWnd ? g_MainWindow.m_hWnd : g_hWnd, WM_RESTORE_DEVICE, 0, 0);
      return;
    }
  }
  if (g_lpfnRestoreDevice) g_lpfnRestoreDevice();
  drawing.unlock();
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
