// The play scene's end-of-play display (state 4) and the fade-out that hands over to the next
// screen (state 7).
#include "core/shell_link.h"
#include "core/sound_request.h"
#include "engine/play_menu.h"
#include "engine/play_scene.h"
#include "platform/input.h"
#include "platform/message.h"
#include "project/global_data.h"
#include "project/option_data.h"
#include "project/replay.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "ui/input.h"

namespace {

constexpr int SE_DECIDE = 1;
constexpr int BUTTON_DECIDE = 1;
constexpr int VK_F3_KEY = 0x72;
constexpr int END_COUNT = 200;
constexpr int SPLIT_END = 96;

// Ranking methods 0 and 1 register with F3; 2 and 3 with the decide button.
bool RanksWithF3() { return g_OptionData.m_nRankingMethod == 0 || g_OptionData.m_nRankingMethod == 1; }

}  // namespace

void cPlayScene::StateEnd() {
  const int autoContinue = g_StageData.m_bAutoContinue;
  if (!autoContinue) {
    if (CheckMenuKey()) {
      m_nStep = 0;
      m_nState = 3;
      return;
    }
    CheckReplaySaveKeys();
    if (RanksWithF3() && (GetAsyncKeyState(VK_F3_KEY) & 0x8000)) EnterRanking();
  }
  if (m_nStep == 0) {
    m_nStartCount = 0;
    m_nStep = 1;
  }
  cInput& input = g_vInput.CheckedAt(0);
  input.LatchButtons(0);
  input.AutoRepeat();

  bool leave = false;
  if (autoContinue) {
    leave = m_nStartCount >= END_COUNT;
  } else if ((input.m_wButton & BUTTON_DECIDE) && m_nStartCount >= END_COUNT) {
    if (m_bRankIn && !RanksWithF3())
      EnterRanking();
    else
      PlaySysSe(SE_DECIDE);
    leave = true;
  }
  if (leave) {
    m_nNextScene = GoNextStage();
    m_nStartCount = 0;
    m_nStep = 0;
    m_nState = 7;
    return;
  }

  bool hint = false;
  if (!autoContinue && !m_bRanked && RanksWithF3()) {
    for (size_t i = 0; i < m_vRankPos.size(); ++i)
      if (m_vRankPos[i] != -1) hint = true;
  }
  Draw(0, 1, 0, hint ? 0 : 1);
  if (hint && g_PlayMenuLink.lpfnDrawEndCell) g_PlayMenuLink.lpfnDrawEndCell(2, 320, 456, 0);

  if (g_StageData.m_bShowClearBanner) {
    const int c = m_nStartCount;
    m_nStartCount += 4;
    if (g_PlayMenuLink.lpfnDrawEndCell) g_PlayMenuLink.lpfnDrawEndCell(0, 256, 192, c < SPLIT_END ? SPLIT_END - c : 0);
  } else {
    m_nStartCount = END_COUNT;
  }
  const int rankings = g_PlayMenuLink.lpfnRankingsShown ? g_PlayMenuLink.lpfnRankingsShown() : 0;
  if (m_nStartCount >= END_COUNT && rankings && !autoContinue && g_PlayMenuLink.lpfnDrawStatusPanel)
    g_PlayMenuLink.lpfnDrawStatusPanel(336, 224, m_vRankPos);
}

void cPlayScene::FadeOut() {
  if (g_PlayMenuLink.lpfnFadeOutStep && !g_PlayMenuLink.lpfnFadeOutStep()) return;
  if (RestartsStageFile()) {
    g_SaveData.m_bSeries = 0;
    const int ok = g_PlayMenuLink.lpfnStartGameFromFile ? g_PlayMenuLink.lpfnStartGameFromFile(g_StageData.m_strPath.c_str()) : 1;
    if (!ok) PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
  }
  if (g_PlayMenuLink.lpfnChangeScene) g_PlayMenuLink.lpfnChangeScene(m_nNextScene, m_nTitleRow);
  m_nTitleRow = -1;
  m_nState = -1;
}
