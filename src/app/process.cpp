#include "app/process.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "app/font_setup.h"
#include "app/instance_lock.h"
#include "app/main_window.h"
#include "app/scene.h"
#include "app/startup.h"
#include "app/system_report.h"
#include "audio/bgm.h"
#include "audio/sound_effect.h"
#include "core/log.h"
#include "core/path.h"
#include "core/shell_link.h"
#include "draw/context.h"
#include "draw/setup.h"
#include "platform/disk_name.h"
#include "platform/display_errors.h"
#include "platform/file.h"
#include "platform/message.h"
#include "platform/msgbox.h"
#include "platform/sjis.h"
#include "platform/text_engine.h"
#include "platform/thread.h"
#include "platform/time.h"
#include "platform/window.h"
#include "project/global_data.h"
#include "project/shell_state.h"
#include "ui/keyboard_hook.h"

const char* const g_lpszMainWindowClass = "Tessellwhirl4";

HINSTANCE g_hInstance = nullptr;
std::atomic<int> g_bStarted{0};
std::atomic<int> g_bActive{0};

namespace {

// The game thread's start message: it proves that the thread's queue exists.
constexpr UINT WM_START_PING = 0x8000;
// The main window's style: a popup with caption, system menu, minimise and maximise boxes.
constexpr DWORD kMainWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

// The main window for the signal watcher, which reads it from its own thread.
std::atomic<HWND> g_hCloseTarget{nullptr};
// The window thread, whose message loop the watcher ends while there is no main window (a
// question asked before the window is made).
std::atomic<DWORD> g_dwWindowThread{0};

// Whether the program is already running: the question and its answer.
bool AskToEndRunningProgram() {
  return MessageBoxA(nullptr,
                     "既に起動しています。\n実行中のプログラムを閉じて再起動しますか？\n\nRunning this program now. Restart?",
                     "二重起動", MB_YESNO) != IDNO;
}

bool RegisterMainWindowClass(HINSTANCE hInstance) {
  WNDCLASSEXA wc{};
  wc.cbSize = 48;
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
  wc.lpfnWndProc = WndProc;
  wc.hInstance = hInstance;
  wc.hIcon = LoadIconA(hInstance, MAKEINTRESOURCEA(101));
  wc.hIconSm = wc.hIcon;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = g_lpszMainWindowClass;
  return RegisterClassExA(&wc) != 0;
}

// Starts the game thread and waits until its queue takes the start message. False when the
// thread cannot be started or ends before its queue exists.
bool StartGameThread() {
  if (!thGame.Start(&GameLoop, nullptr)) return false;
  const HANDLE h = thGame.m_hThread.load();
  while (!PostThreadMessageA(thGame.m_dwThreadId.load(), WM_START_PING, 0, 0)) {
    if (!h || WaitForSingleObject(h, 0) == WAIT_OBJECT_0) return false;
  }
  return true;
}

// SIGTERM (another start of the program ending this one, or the system) and SIGINT (Ctrl+C in
// the terminal) close the main window: the program shuts down in order. The signals are taken
// by a thread of its own.
class cTermWatcher {
 public:
  cTermWatcher() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    m_Thread = std::thread([this, set] {
      const timespec wait{0, 20 * 1000 * 1000};
      while (!m_bStop.load()) {
        const int sig = sigtimedwait(&set, nullptr, &wait);
        if (sig == SIGTERM || sig == SIGINT) {
          m_bTerm = true;
          if (HWND hWnd = g_hCloseTarget.load()) PostMessageA(hWnd, WM_CLOSE, 0, 0);
        }
        if (m_bTerm.load()) {
          if (HWND hWnd = g_hCloseTarget.load()) {
            PostMessageA(hWnd, WM_CLOSE, 0, 0);
            m_bTerm = false;
          } else if (const DWORD thread = g_dwWindowThread.load();
                     thread && PostThreadMessageA(thread, WM_QUIT, 0, 0)) {
            // No main window: a box or dialog of the window thread ends on the quit, and start-up
            // with it.
            m_bTerm = false;
          }
        }
      }
    });
  }
  ~cTermWatcher() {
    m_bStop = true;
    m_Thread.join();
  }
  cTermWatcher(const cTermWatcher&) = delete;
  cTermWatcher& operator=(const cTermWatcher&) = delete;

 private:
  std::atomic<bool> m_bStop{false};
  std::atomic<bool> m_bTerm{false};
  std::thread m_Thread;
};

// Set while the program runs, between the start of RunPlayer and its orderly end.
std::atomic<bool> s_bRunning{false};

// The report log as a path on disk, for the end below, which may use nothing that has a
// destructor (the exit may already have run it).
char s_szExitReport[4096] = "";

// exit() called while the program runs by a library would destroy the global objects under the
// game-side and sound threads, which still use them. The process ends at once instead: the
// player's files are written whole or not at all, so nothing on the disk is lost by it. Only
// plain system calls on plain buffers here: the exit has already destroyed objects (the
// calling thread's own, those made after this was registered).
void EndAtOnceWhileRunning() {
  if (!s_bRunning.load()) return;
  static const char kLine[] = "Exit : the program was ended from outside its shutdown\n";
  if (s_szExitReport[0]) {
    const int fd = open(s_szExitReport, O_WRONLY | O_APPEND);
    if (fd >= 0) {
      (void)!write(fd, kLine, sizeof kLine - 1);
      close(fd);
    }
  }
  static const char kError[] = "tessellwhirl: the program was ended from outside its shutdown\n";
  (void)!write(2, kError, sizeof kError - 1);
  std::_Exit(1);
}

char s_szFailure[512] = "";
std::atomic<bool> s_bFailureNoted{false};

// A failure of the display (another program destroyed the window): logged, and the program
// closes in order, once. A lost connection to the display leaves no window to close: the
// program ends at once, before the X library's exit() takes the objects from under its threads.
void OnDisplayError(const char* lpszText, int bLost) {
  static std::atomic<int> s_nLogged{0};
  if (s_nLogged.fetch_add(1) < 16) ReportLog("Display : %s", lpszText);
  NoteProgramFailure("the window was lost: %s", lpszText);
  if (bLost) {
    std::fprintf(stderr, "tessellwhirl: %s\n", ProgramFailure());
    std::fflush(nullptr);
    std::_Exit(1);
  }
  static std::atomic<bool> s_bClosing{false};
  if (HWND hWnd = g_hCloseTarget.load(); hWnd && !s_bClosing.exchange(true)) PostMessageA(hWnd, WM_CLOSE, 0, 0);
}

// A failure that the program closes on in order, told on standard error as it happens.
void TellFailureOnStandardError(const char* lpszText) {
  std::fprintf(stderr, "tessellwhirl: %s\n", SjisToUtf8(lpszText).c_str());
}

// Keeps the report log's path on disk for EndAtOnceWhileRunning.
void RememberReportLogForExit() {
  std::snprintf(s_szExitReport, sizeof s_szExitReport, "%s", ResolvePath(g_szReportLog).c_str());
}

}  // namespace

unsigned GameLoop(void*) {
  MSG msg{};
  for (;;) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        ErrorLog("GameLoop WM_QUIT!");
        return 1;
      }
      continue;
    }
    if (!g_bActive.load()) {
      Sleep(1);
      continue;
    }
    if (!g_SceneManager.Tick()) {
      PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
      return 1;
    }
  }
}

void ExitApplication() {
  if (lpDTCon || lpDDCon) ReportFontCacheCounts();
  timeEndPeriod(1);
  DS_Release();
  g_BgmPlayer.Release();
  g_SceneManager.DeleteAll();
  ReleaseStartupFonts();
  if (g_bWindowed) {
    DDUninit();
  } else {
    DDEnd();
  }
  cHook::UnhookAll();
}

void SuspendWorkerThreads() {
  thGame.Suspend();
  thPause.Suspend();
  thRanking.Suspend();
  thLoadStage.Suspend();
}

void ResumeWorkerThreads() {
  thGame.Resume();
  thPause.Resume();
  thRanking.Resume();
  thLoadStage.Resume();
}

int WinMain(HINSTANCE hInstance, HINSTANCE, const char* lpCmdLine, int nCmdShow) {
  SetErrorLogPath(0, "EC_Game.txt");
  char report[MAX_PATH] = "Report_Game.txt";
  MakeFullPath(report);
  // The report log begins with the version and the machine it runs on. A folder where it cannot
  // be made is a folder the game cannot write its files in either.
  if (!BeginReportLog(report)) {
    const int error = errno;
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, folder);
    ErrorBoxF("ゲームのフォルダに書き込めません！\n%s\n\nThe game folder cannot be written.", folder);
    char cwd[4096] = "";
    NoteProgramFailure("the game folder %s cannot be written: Report_Game.txt: %s",
                       getcwd(cwd, sizeof cwd) ? DiskNameToUtf8(cwd).c_str() : ".", std::strerror(error));
    return 1;
  }
  RememberReportLogForExit();
  g_bTestPlay = nCmdShow == SW_SHOW ? 1 : 0;

  cInstanceLock lock;
  switch (lock.Acquire(g_lpszInstanceLockFile, AskToEndRunningProgram)) {
    case cInstanceLock::LOCK_TAKEN: break;
    case cInstanceLock::LOCK_UNAVAILABLE:
      // A folder where the lock file cannot be made (read-only): nothing to tell apart.
      ReportLog("Lock : %s cannot be made, no check for a running program", g_lpszInstanceLockFile);
      break;
    case cInstanceLock::LOCK_DECLINED:
      NoteProgramFailure("the program is already running in this folder, and it was left running");
      return 1;
    case cInstanceLock::LOCK_FAILED:
      MessageBoxA(nullptr, "プログラムの終了に失敗しました。", "二重起動", MB_OK);
      NoteProgramFailure("the program already running in this folder could not be ended");
      return 1;
  }

  g_hInstance = hInstance;
  if (!RegisterMainWindowClass(hInstance)) {
    NoteProgramFailure("the main window's class cannot be registered");
    return 1;
  }
  g_MainWindow.Setup(640, 480, 100, 100, 640, 480, kMainWindowStyle, 0, 0, 0, 0, 0);
  const HWND hWnd = CreateWindowExA(0, g_lpszMainWindowClass, "", kMainWindowStyle, 100, 100,
                                    g_MainWindow.m_rcWindow.right, g_MainWindow.m_rcWindow.bottom, nullptr, nullptr,
                                    hInstance, nullptr);
  if (!hWnd) {
    ErrorBox("ウインドウが生成出来ません！");
    NoteProgramFailure("the main window cannot be made (is there a display?)");
    return 1;
  }
  g_MainWindow.m_hWnd = hWnd;
  g_hWnd = hWnd;
  g_hCloseTarget = hWnd;
  g_MainWindow.CenterOnDesktop();
  if (g_bTestPlay) NotifyEditorStart();

  if (!InitApplication(lpCmdLine, nCmdShow)) {
    g_hCloseTarget = nullptr;
    ExitApplication();
    if (g_bTestPlay) NotifyEditorExit(0);
    NoteProgramFailure("start-up failed");
    return 1;
  }

  g_bStarted = 1;
  if (!StartGameThread()) {
    ReportErrorLog("GameLoop : the game thread could not be started");
    ErrorBox("ゲームスレッドを開始出来ません！");
    NoteProgramFailure("the game thread cannot be started");
    PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
  }

  MSG msg{};
  for (;;) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) break;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      Sleep(1);
      continue;
    }
    if (!g_bActive.load()) WaitMessage();
    Sleep(1);
  }
  g_hCloseTarget = nullptr;
  ExitApplication();
  if (ProgramFailure()[0]) return 1;
  return static_cast<int>(msg.wParam);
}

void NoteProgramFailure(const char* format, ...) {
  if (s_bFailureNoted.exchange(true)) return;
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(s_szFailure, sizeof s_szFailure, format, ap);
  va_end(ap);
}

const char* ProgramFailure() { return s_szFailure; }

int RunPlayer(const PlayerArgs& args) {
  // Registered after the global objects were made, so it runs before their destructors.
  static const bool s_bGuarded = std::atexit(&EndAtOnceWhileRunning) == 0;
  (void)s_bGuarded;
  if (args.lpszProject && chdir(args.lpszProject) != 0) {
    const int error = errno;
    std::fprintf(stderr, "tessellwhirl: cannot open the project folder %s: %s\n", DiskNameToUtf8(args.lpszProject).c_str(),
                 std::strerror(error));
    return 1;
  }
  g_dwWindowThread = GetCurrentThreadId();
  cTermWatcher watcher;
  // The text engine draws the texts of the GDI calls and the D3DX fonts from the start, so that
  // the dialogs shown before the fonts exist (the start dialog) have their texts.
  gfx::UseTextEngine();
  SetDisplayErrorHandler(&OnDisplayError);
  SetFailureTeller(&TellFailureOnStandardError);
  static int s_nInstance = 0;
  s_bRunning = true;
  const int code = WinMain(reinterpret_cast<HINSTANCE>(&s_nInstance), nullptr, args.lpszStage,
                           args.bTestPlay ? SW_SHOW : SW_SHOWNORMAL);
  // No game-side thread is left for the destructors at exit.
  ExitGameThreads();
  s_bRunning = false;
  // From here a failure of the display is only written to standard error.
  SetDisplayErrorHandler(nullptr);
  SetFailureTeller(nullptr);
  if (code != 0) std::fprintf(stderr, "tessellwhirl: %s\n", ProgramFailure()[0] ? ProgramFailure() : "failed");
  return code;
}
