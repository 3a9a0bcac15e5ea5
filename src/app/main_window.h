// The main window: the one top-level window of the program and the window thread's switchboard.
// Its procedure handles the window's own life (moving, painting under DirectDraw, activation,
// Esc, closing, destruction) and the requests through which the game-side threads have the
// window thread show dialogs, load and save files, play sounds and music and reset the device.
// WM_CLOSE is the program's one road to an orderly shutdown.
#pragma once

#include <atomic>

#include "ui/window.h"
#include "platform/wintypes.h"

// The requests (WM_USER+2..+4 are declared with the request flags, WM_USER+5 with the sound
// requests).
constexpr UINT WM_REQUEST_NAME = WM_USER + 1;
constexpr UINT WM_PLAY_BGM = WM_USER + 6;
constexpr UINT WM_RESTORE_DEVICE = WM_USER + 100;

// The editing program's window class and title, for the test-play notifications.
extern const char* const g_lpszEditorClass;

class cMainWindow : public cWindow {
 public:
  LRESULT WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  // The toolkit's dispatch, then OnCreate on WM_CREATE.
  LRESULT MsgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
  virtual void OnCreate(WPARAM, LPARAM) {}
  // cWindow::Init for the main window.
  void InitWindow(WORD nResId, HWND hParent, cWindowList* lpWindowList) { Init(nResId, hParent, lpWindowList); }

 private:
  LRESULT OnClose(HWND hWnd);
  void OnNameRequest();
  void OnOpenStageRequest();
  void OnBgmRequest(WPARAM nKind, LPARAM nNumber);
};

extern cMainWindow g_MainWindow;

// The class procedure: every message to cMainWindow::WindowProc of g_MainWindow.
LRESULT WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The name dialog's request and the done flag its requester waits for.
extern std::atomic<int> g_bNameEntered;
// The music number of a database-music request is kept in the progress (g_SaveData's
// m_nBgmPlaying), next to the loop value the sender stores there before it sends.

// The device restore of a WM_USER+100 request: the Direct3D reset with every surface made again.
extern int (*g_lpfnRestoreDevice)();
// Runs it once no frame is being drawn. While another thread holds the drawing lock, the
// messages sent to this thread are served once (a frame may be waiting on this thread, for a
// sound); when the lock is still held the request is posted again for a later turn, so the
// window thread never blocks on a frame.
void RestoreDeviceBetweenFrames();

// The test-play notifications to the editing program: its window is looked for and told of the
// start (1) and of the end (1 at the window's destruction, 0 after a failed start-up).
void NotifyEditorStart();
void NotifyEditorExit(int nResult);
