#include "screen_fixture.h"

#include "app/main_window.h"
#include "app/menu_cursor.h"
#include "app/options_scene.h"
#include "core/shell_link.h"
#include "core/sound_request.h"
#include "platform/message.h"
#include "project/global_data.h"
#include "project/option_data.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/system_data.h"

ScreenRequests g_req;

namespace {

LRESULT TestWindowProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_REQUEST_OPEN_STAGE:
      ++g_req.openStage;
      AnswerWindowRequest(g_req.answer);
      return 0;
    case WM_REQUEST_LOAD_REPLAY:
      ++g_req.loadReplay;
      AnswerWindowRequest(g_req.answer);
      return 0;
    case WM_REQUEST_NAME:
      ++g_req.nameDialog;
      g_OptionData.m_strRankingName = "xyz";
      g_bNameEntered = 1;
      return 0;
    case WM_PLAY_BGM:
      ++g_req.bgm;
      g_req.bgmSlot = static_cast<int>(wParam);
      return 0;
    case WM_PLAY_SE:
      g_req.sounds.push_back(static_cast<int>(wParam));
      return 0;
    default:
      return 0;
  }
}

}  // namespace

void ScreenTest::SetUp() {
  env.dir().MakeDir("user_data/story");
  env.dir().MakeDir("user_data/challenge");
  g_req = ScreenRequests();
  window = CreateWindowHandle(&TestWindowProc);
  oldWindow = g_hWnd;
  g_hWnd = window;
  ResetGlobals();
}

void ScreenTest::TearDown() {
  TakeCloses();
  g_hWnd = oldWindow;
  DestroyWindowHandle(window);
  ResetGlobals();
}

void ScreenTest::ResetGlobals() {
  g_SystemData = cSystemData();
  g_SaveData.ResetGameData();
  g_OptionData = cOptionData();
  g_vSaveSlotInfo.assign(SAVE_SLOT_COUNT, SaveSlotInfo());
  g_nPlayMode = 0;
  g_nGameMode = 0;
  g_Cursor.Reset();
  g_SceneManager.m_nScene = 0;
  g_SceneManager.m_nPrevScene = 0;
  g_SceneManager.m_nNextScene = 0;
  g_SceneManager.m_bRanking = 0;
  g_SceneManager.g_nCurrentBgm = 0;
  g_OptionAppliers = DefaultOptionAppliers();
  Input(0, 0);
}

int ScreenTest::TakeCloses() {
  int n = 0;
  MSG msg;
  while (PeekMessageA(&msg, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) ++n;
  return n;
}

void ScreenTest::Input(int dir, int buttons) {
  g_vInput.CheckedAt(0).SetWords(static_cast<WORD>(dir), static_cast<WORD>(buttons));
}
