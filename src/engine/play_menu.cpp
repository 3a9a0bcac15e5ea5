// The play scene's in-game menu (state 3), the retry-or-quit window after a miss (state 5) and
// the game over display (state 6).
#include "engine/play_menu.h"

#include "core/shell_link.h"
#include "core/sound_request.h"
#include "engine/play_scene.h"
#include "platform/input.h"
#include "platform/message.h"
#include "project/global_data.h"
#include "project/replay.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/system_data.h"
#include "ui/input.h"

cPlayMenuLink g_PlayMenuLink;

namespace {

constexpr int SE_CURSOR = 0;
constexpr int SE_DECIDE = 1;
constexpr int SE_CANCEL = 2;
constexpr int SE_MENU = 4;
constexpr int BUTTON_DECIDE = 1;
constexpr int BUTTON_CANCEL = 2;
constexpr int DIR_UP = 4;
constexpr int DIR_DOWN = 8;
constexpr int MENU_X = 320;  // the centre of both windows
constexpr int MENU_Y = 272;
constexpr int SCENE_TITLE = 0;
constexpr int SCENE_WORLD_MAP = 1;

// The row move of a vertical menu: one step up or down, wrapped into the rows; the cursor
// sound when it moved.
void MoveRow(int32_t& row, int rows, int bits) {
  if (rows <= 0) return;
  if (bits & DIR_UP)
    --row;
  else if (bits & DIR_DOWN)
    ++row;
  if (row < 0)
    row = rows - 1;
  else if (row >= rows)
    row = 0;
  if (bits & (DIR_UP | DIR_DOWN)) PlaySysSe(SE_CURSOR);
}

int CurrentStageCleared(int nGameMode) {
  const cSaveData& p = g_SaveData;
  if (nGameMode == GAMEMODE_CHALLENGE) {
    const int i = p.m_nStageIndex - 1;
    return i >= 0 && static_cast<size_t>(i) < p.m_vChallenge.size() && p.m_vChallenge[static_cast<size_t>(i)].m_bCleared;
  }
  const int i = p.m_nStageIndex;
  return i >= 0 && static_cast<size_t>(i) < p.m_vStageFlags.size() && p.m_vStageFlags[static_cast<size_t>(i)] != 0;
}

// The menu's input: buttons once per press, held directions repeated.
cInput& MenuInput() {
  cInput& input = g_vInput.CheckedAt(0);
  input.LatchButtons(0);
  input.AutoRepeat();
  return input;
}

}  // namespace

void GetPlayMenuEnable(int nGameMode, int bRetrySwitch, int bMapSwitch, int bCleared, int32_t lpEnable[4]) {
  for (int i = 0; i < 4; ++i) lpEnable[i] = 1;
  if (nGameMode == GAMEMODE_STORY) {
    lpEnable[2] = bRetrySwitch && bCleared;
    lpEnable[3] = bMapSwitch && bCleared;
  } else if (nGameMode == GAMEMODE_CHALLENGE) {
    lpEnable[2] = bRetrySwitch && bCleared;
    lpEnable[3] = 0;
  } else {
    lpEnable[3] = 0;
  }
}

int GetPlayMenuEntry(int nRow, const int32_t lpEnable[4]) {
  int n = 0;
  for (int i = 0; i < 4; ++i) {
    if (!lpEnable[i]) continue;
    if (n == nRow) return i;
    ++n;
  }
  return 0;
}

int cPlayScene::CheckMenuKey() {
  if (!(GetAsyncKeyState(VK_SPACE) & 0x8000)) return 0;
  PlaySysSe(SE_MENU);
  m_nSavedState = m_nState;
  m_nSavedStep = m_nStep;
  return 1;
}

void cPlayScene::StateMenu() {
  if (CheckReplaySaveKeys()) return;
  const int mode = g_nGameMode;
  const int retry = mode == GAMEMODE_CHALLENGE ? g_SystemData.m_bChallengeMenuRetry : g_SystemData.m_bStoryMenuRetry;
  GetPlayMenuEnable(mode, retry, g_SystemData.m_bStoryMenuMap, CurrentStageCleared(mode), m_nMenuEnable);
  if (m_nStep == 0) {
    m_nMenuRow = 1;
    m_nStep = 1;
  }
  cInput& input = MenuInput();
  int rows = 0;
  for (int i = 0; i < 4; ++i) rows += m_nMenuEnable[i] ? 1 : 0;
  MoveRow(m_nMenuRow, rows, input.m_wDir);
  const int decide = input.m_wButton & BUTTON_DECIDE;
  const int cancel = input.m_wButton & BUTTON_CANCEL;
  if (!decide && !cancel) {
    Draw(0, 1, 0, 1);
    if (g_PlayMenuLink.lpfnDrawMenu) g_PlayMenuLink.lpfnDrawMenu(0, m_nMenuEnable, MENU_X, MENU_Y, m_nMenuRow);
    return;
  }
  if (!decide) {
    PlaySysSe(SE_CANCEL);
    m_bWaitRelease = 1;
    m_nState = m_nSavedState;
    m_nStep = m_nSavedStep;
    return;
  }
  PlaySysSe(SE_DECIDE);
  switch (GetPlayMenuEntry(m_nMenuRow, m_nMenuEnable)) {
    case 0:
      m_nState = 7;
      m_nStep = 0;
      if (g_bFreePlay) {
        PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
      } else {
        m_nTitleRow = g_nPlayMode;
        m_nNextScene = SCENE_TITLE;
      }
      break;
    case 1:
      m_bWaitRelease = 1;
      m_nState = m_nSavedState;
      m_nStep = m_nSavedStep;
      break;
    case 2:
      m_bWaitRelease = 1;
      g_SaveData.RestoreStageStart(1);
      SetStage(1, 0);
      m_nState = 1;
      m_nStep = 0;
      break;
    default:
      m_bWaitRelease = 1;
      g_SaveData.RestoreStageStart(0);
      g_SaveData.m_bLeftStage = 1;
      m_nNextScene = SCENE_WORLD_MAP;
      m_nStep = 0;
      m_nState = 7;
      break;
  }
}

void cPlayScene::StateChoice() {
  if (CheckReplaySaveKeys()) return;
  if (m_nStep == 0) {
    m_nMenuRow = 0;
    m_nStep = 1;
  }
  cInput& input = MenuInput();
  MoveRow(m_nMenuRow, 2, input.m_wDir);
  if (input.m_wButton & BUTTON_DECIDE) {
    PlaySysSe(SE_DECIDE);
    // The decide press must not act in the first frame of the retried play either.
    m_bWaitRelease = 1;
    if (m_nMenuRow == 0) {
      SetStage(1, 0);
      m_nState = 1;
      m_nStep = 0;
    } else {
      g_SaveData.m_bLeftStage = 1;
      m_nNextScene = SCENE_WORLD_MAP;
      m_nStep = 0;
      m_nState = 7;
    }
    return;
  }
  Draw(0, 1, 0, 1);
  if (g_PlayMenuLink.lpfnDrawMenu) g_PlayMenuLink.lpfnDrawMenu(1, nullptr, MENU_X, MENU_Y, m_nMenuRow);
}

void cPlayScene::StateWaitKey() {
  if (CheckMenuKey()) {
    m_nStep = 0;
    m_nState = 3;
    return;
  }
  if (CheckReplaySaveKeys()) return;
  cInput& input = g_vInput.CheckedAt(0);
  if (input.m_wButton & BUTTON_DECIDE) {
    PlaySysSe(SE_DECIDE);
    m_nState = 7;
    m_nStep = 0;
    m_nNextScene = SCENE_TITLE;
    return;
  }
  Draw(0, 1, 0, 1);
  if (g_StageData.m_bShowWaitBanner && g_PlayMenuLink.lpfnDrawEndCell) g_PlayMenuLink.lpfnDrawEndCell(1, 248, 224, 0);
}
