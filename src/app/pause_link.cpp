#include "app/pause_link.h"

#include "app/frame.h"
#include "app/main_window.h"
#include "app/process.h"
#include "app/ranking.h"
#include "app/ranking_window.h"
#include "app/scene.h"
#include "core/shell_link.h"
#include "draw/context.h"
#include "engine/pause_thread.h"
#include "engine/play_scene.h"
#include "platform/message.h"
#include "platform/time.h"
#include "project/save_data.h"
#include "project/shell_state.h"

namespace {

int CheckSurfaceLost() { return g_SceneManager.CheckSurfaceLost(); }
int IsActive() { return g_bActive.load(); }
int RankingsOn() { return g_SceneManager.m_bRanking; }

// The window thread shows the name dialog on the scene's pending name; the flag tells when it
// has closed. A window that is gone answers nothing, so the wait ends with it.
void AskName(cPlayScene& /*scene*/) {
  g_bNameEntered = 0;
  SendMessageA(g_hWnd, WM_REQUEST_NAME, 0, 0);
  while (!g_bNameEntered.load() && IsWindow(g_hWnd)) Sleep(1);
}

void Register(cPlayScene& scene) {
  for (int i = 0; i < static_cast<int>(g_RankingTable.m_vList.size()); ++i) {
    if (i >= static_cast<int>(scene.m_vRankPos.size()) || scene.m_vRankPos[i] == -1) continue;
    g_RankingTable.m_vList[i].Register(scene.m_strRankName, scene.m_vRankValue.CheckedAt(i));
  }
  // The same file the table was loaded from: story stages keep one per world-map key triple.
  SaveDataFile(g_RankingTable, g_nGameMode, g_SaveData.m_strStage.c_str(), g_SaveData.m_bStageCond,
               g_SaveData.m_nCondVar, g_SaveData.m_nCondValue);
}

void LoadRankings() {
  LoadDataFile(g_RankingTable, g_nGameMode, g_SaveData.m_strStage.c_str(), g_SaveData.m_bStageCond,
               g_SaveData.m_nCondVar, g_SaveData.m_nCondValue);
}

void DrawRanking(int nKind, int nPlace) { DrawRankingOf(g_RankingTable, &BackBuffer, 184, 64, nKind, nPlace); }

}  // namespace

void InstallPauseLink() {
  g_PauseLink.lpfnWaitNextFrame = &WaitNextFrame;
  g_PauseLink.lpfnCheckSurfaceLost = &CheckSurfaceLost;
  g_PauseLink.lpfnPollInput = &PollPlayerInput;
  g_PauseLink.lpfnPresentFrame = &PresentFrame;
  g_PauseLink.lpfnIsActive = &IsActive;
  g_PauseLink.lpfnRankingsOn = &RankingsOn;
  g_PauseLink.lpfnAskName = &AskName;
  g_PauseLink.lpfnRegister = &Register;
  g_PauseLink.lpfnDrawRanking = &DrawRanking;
  g_PauseLink.lpfnLoadRankings = &LoadRankings;
}
