#include "engine/pause_thread.h"

#include "core/shell_link.h"
#include "core/sound_request.h"
#include "core/thread.h"
#include "engine/play_scene.h"
#include "platform/message.h"
#include "platform/thread.h"
#include "platform/time.h"
#include "project/global_data.h"
#include "project/option_data.h"
#include "project/replay.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/system_data.h"
#include "ui/input.h"

cPauseLink g_PauseLink;

namespace {

// The close waits this long for the held frame loop before the loop ends itself.
constexpr DWORD QUIT_GRACE_MS = 2000;
constexpr WORD BUTTON_DECIDE = 1;
constexpr WORD BUTTON_PAGE = 8;

bool Active() { return !g_PauseLink.lpfnIsActive || g_PauseLink.lpfnIsActive(); }

// The loop's share of a waiting message: 1 when it was WM_QUIT, 0 for another (dropped), -1 when
// the queue was empty.
int TakeMessage() {
  MSG msg{};
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return -1;
  return msg.message == WM_QUIT ? 1 : 0;
}

// The frame wait and the lost-surface check of a loop frame.
void BeginFrame() {
  if (g_PauseLink.lpfnWaitNextFrame) g_PauseLink.lpfnWaitNextFrame();
  if (g_PauseLink.lpfnCheckSurfaceLost && !g_PauseLink.lpfnCheckSurfaceLost()) PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
}

// The held scene drawn and shown.
void DrawHeldFrame(cPlayScene& scene, int nKind, int nPlace, bool bRanking) {
  scene.Draw(0, 1, 0, 1);
  if (bRanking && g_PauseLink.lpfnDrawRanking) g_PauseLink.lpfnDrawRanking(nKind, nPlace);
  if (g_PauseLink.lpfnPresentFrame) g_PauseLink.lpfnPresentFrame();
}

}  // namespace

int StepPauseWait(cPauseWait& wait, const cInput& input) {
  if (wait.m_nKeyDelay > 0) {
    --wait.m_nKeyDelay;
    return 0;
  }
  if (wait.m_bWaitKey) {
    const bool now = (input.ButtonWord() & BUTTON_DECIDE) != 0;
    const bool before = (input.GetHistoryValue(1, 1) & BUTTON_DECIDE) != 0;
    return now && !before ? 1 : 0;
  }
  return --wait.m_nFrames < 0 ? 1 : 0;
}

int PauseEndSound(int nMode) { return nMode == 1 ? 12 : 1; }

unsigned PauseThreadProc(void* lpScene) {
  cPlayScene& scene = *static_cast<cPlayScene*>(lpScene);
  if (scene.m_bQuit) return 0;

  // The held loop polls into its own records: the game's input state, histories and logs stay.
  cSafeVector<cInput> input = g_vInput;
  if (input.empty()) input.emplace_back();
  cInput& in = input[0];
  in.ClearHistory();
  in.ResetLogs();
  in.ClearDir();
  in.ClearButtons();
  int bQuitSeen = 0;
  DWORD quitStart = 0;

  for (;;) {
    const int message = TakeMessage();
    if (message == 1) break;
    if (message == 0) continue;
    if (!Active()) {
      Sleep(1);
      continue;
    }
    if (scene.m_bQuit) {
      if (!bQuitSeen) {
        bQuitSeen = 1;
        quitStart = timeGetTime();
      }
      if (timeGetTime() - quitStart >= QUIT_GRACE_MS) PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
      Sleep(1);
      continue;
    }
    BeginFrame();
    if (g_PauseLink.lpfnPollInput) g_PauseLink.lpfnPollInput(input);
    in.PushHistory();
    in.LatchButtons(0);
    if (CheckReplaySaveKeys()) continue;
    if (StepPauseWait(scene.m_PauseWait, in)) {
      if (scene.m_PauseWait.m_bWaitKey) {
        PlaySysSe(PauseEndSound(scene.m_PauseWait.m_nMode));
        scene.m_bWaitRelease = 1;
      }
      break;
    }
    DrawHeldFrame(scene, 0, -1, false);
  }
  return 1;
}

unsigned RankingThreadProc(void* lpScene) {
  cPlayScene& scene = *static_cast<cPlayScene*>(lpScene);
  g_SaveData.StepRankingKind(g_nGameMode, 0);
  for (;;) {
    const int message = TakeMessage();
    if (message == 1) return 1;
    if (message == 0) continue;
    if (!Active()) {
      Sleep(1);
      continue;
    }
    BeginFrame();
    if (g_PauseLink.lpfnPollInput) g_PauseLink.lpfnPollInput(g_vInput);
    if (g_vInput.empty()) g_vInput.emplace_back();
    cInput& in = g_vInput[0];
    in.LatchButtons(0);
    in.AutoRepeat();
    if (in.ButtonWord() & BUTTON_DECIDE) break;
    if ((in.ButtonWord() & BUTTON_PAGE) && g_SystemData.CountRankingKinds(g_nGameMode) >= 2) {
      PlaySysSe(6);
      g_SaveData.StepRankingKind(g_nGameMode, 1);
    }
    const int kind = g_SaveData.m_nRankingKind;
    DrawHeldFrame(scene, kind, scene.m_vRankPos.CheckedAt(kind), true);
  }
  PlaySysSe(1);
  return 1;
}

int RunLoopThread(cThread& thread, unsigned (*lpfnProc)(void*), void* lpParam) {
  if (!thread.Start(lpfnProc, lpParam)) return 0;
  HANDLE h = thread.m_hThread.load();
  const DWORD id = thread.m_dwThreadId.load();
  // A post fails until the thread has its queue; a thread that has already ended never gets one.
  while (!PostThreadMessageA(id, WM_LOOP_PING, 0, 0)) {
    if (WaitForSingleObject(h, 0) != WAIT_TIMEOUT) break;
    Sleep(0);
  }
  thread.Wait();
  return 1;
}

int cPlayScene::RunPauseLoop() {
  RunLoopThread(thPause, PauseThreadProc, this);
  if (!m_bQuit) return 1;
  // The window was closed while the game was held: the close only ended the loop, so that it
  // would not end this thread while it waited for the loop. It is asked again now that the loop
  // is over, not at the scene's next frame, which comes only after the rest of this one, however
  // long that runs.
  PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
  return 0;
}

void cPlayScene::EnterRanking() {
  if (!g_PauseLink.lpfnRankingsOn || !g_PauseLink.lpfnRankingsOn() || !m_bRankIn || m_bRanked) return;
  const int method = g_OptionData.m_nRankingMethod;
  if (method == 1 || method == 3) {
    m_strRankName = g_OptionData.m_strRankingName;
  } else {
    m_strRankName = g_SaveData.m_strPlayerName;
    if (g_PauseLink.lpfnAskName) g_PauseLink.lpfnAskName(*this);
    if (m_strRankName != g_SaveData.m_strPlayerName) g_SaveData.m_strPlayerName = m_strRankName;
  }
  PlaySysSe(16);
  if (g_PauseLink.lpfnRegister) g_PauseLink.lpfnRegister(*this);
  m_bRanked = 1;
  RunLoopThread(thRanking, RankingThreadProc, this);
}
