#include "app/stage_select_scene.h"

#include <cstdio>

#include "app/menu_cursor.h"
#include "app/ranking.h"
#include "app/ranking_window.h"
#include "app/screen_panel.h"
#include "app/screen_surface.h"
#include "app/title_scene.h"
#include "core/log.h"
#include "core/shell_link.h"
#include "core/sound_request.h"
#include "core/text.h"
#include "draw/blit.h"
#include "draw/context.h"
#include "draw/fill.h"
#include "draw/font.h"
#include "draw/surface.h"
#include "draw/surface_ops.h"
#include "draw/wave_split_fade.h"
#include "platform/message.h"
#include "project/global_data.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/stage_load.h"
#include "project/system_data.h"

namespace {

const int kStageSelectImages[] = {IMAGE_CURSOR, IMAGE_FRAME};
constexpr int kListX = 32;
constexpr int kListY = 160;
constexpr int kRowHeight = 32;
constexpr int kUnlimitedLives = 999999;
// The system texts of the screen.
constexpr int TEXT_ICON_COLUMN = 0;
constexpr int TEXT_STAGE = 1;
constexpr int TEXT_BEST = 3;
constexpr int TEXT_TOTAL = 4;

const cInput& Input() { return g_vInput.CheckedAt(0); }

int ChallengeRanking() { return static_cast<int>(g_SystemData.m_vRankingKinds.CheckedAt(GAMEMODE_CHALLENGE).m_bRanking); }

const char* Text(int n) { return g_SystemData.m_vTexts.CheckedAt(n).c_str(); }

}  // namespace

std::string ChallengeStageName(int n) {
  char name[64];
  std::snprintf(name, sizeof name, "%s%02d-1.%s", "data\\stg4\\c", n, "stg4");
  return name;
}

cScene* CreateStageSelectScene() { return new cStageSelectScene; }

cStageSelectScene::cStageSelectScene() {
  m_vHandler = {static_cast<Handler>(&cStageSelectScene::FadeIn), static_cast<Handler>(&cStageSelectScene::OnSelect),
                static_cast<Handler>(&cStageSelectScene::FadeOut)};
}

cStageSelectScene::~cStageSelectScene() {
  for (int n : kStageSelectImages) DDReleaseSurface(&g_SystemImage[n]);
  DDReleaseSurfaceArray(g_vScreenSurface);
}

// Buttons 3 and 4 toggle the ranking view and step its kind: like buttons 1 and 2 they report
// once per press, else a press held over several frames would toggle the view on every one.
void cStageSelectScene::Update() { StepScreen(15); }

void cStageSelectScene::UpdateListSize() {
  m_nListLength = g_SystemData.m_bChallengeAllOpen ? g_SystemData.m_nChallengeStages : g_SaveData.m_nChallengeOpen;
  m_nShownRows = m_nListLength >= m_nFirstRow + STAGE_SELECT_ROWS ? STAGE_SELECT_ROWS : m_nListLength - m_nFirstRow;
}

void cStageSelectScene::SelectStageNumber(int n) {
  const std::string name = ChallengeStageName(n);
  g_SaveData.SetCurrentStage(name.c_str(), 0, 0, 0);
  if (g_SceneManager.m_bRanking)
    LoadDataFile(g_RankingTable, g_nGameMode, g_SaveData.m_strStage.c_str(), g_SaveData.m_bStageCond,
                 g_SaveData.m_nCondVar, g_SaveData.m_nCondValue);
}

void cStageSelectScene::Init() {
  RequestScreenMusic(2);
  if (!DDLoadSystemBitmaps(g_SystemImage, kStageSelectImages, 2)) PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
  g_Cursor.Reset();
  g_Cursor.Current().nRow = g_SceneManager.m_nStageSelRow;
  m_nFirstRow = g_SceneManager.m_nStageSelScroll;
  SelectStageNumber(g_Cursor.Current().nRow + 1);
  DDReleaseSurfaceArray(g_vScreenSurface);
  g_vScreenSurface.clear();
  g_vScreenSurfaceEntry.clear();
  if (!DDAddSurface(g_vScreenSurface, g_vScreenSurfaceEntry, 640, 480, 0, 1, 0, 0))
    PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
  else
    DrawPanel();
  m_nStep = 0;
}

void cStageSelectScene::DrawPanel() {
  UpdateListSize();
  if (g_vScreenSurface.empty()) return;
  DDSURFACEDATA* panel = &g_vScreenSurface.CheckedAt(0);
  g_Font[2].DrawBox(panel, 1, 1, 638, 478);
  const char* heading = g_SystemData.m_vTitleMenu.CheckedAt(PLAYMODE_CHALLENGE).m_strName.c_str();
  g_Font[2].Print(panel, 320 - 32 * CountChars(heading) / 2, 32, heading);
  const int total = g_SaveData.m_nClearTotal;
  if (g_SystemData.m_bChallengeTotalScore && total > 0) {
    const int w = 16 * (CountChars(Text(TEXT_TOTAL)) + CountDigits(total));
    g_Font[1].Printf(panel, 320 - w / 2, 88, "%s%d", Text(TEXT_TOTAL), total);
  }
  if (!g_SaveData.m_bShowRanking && g_SystemData.m_bChallengeScores)
    g_Font[2].Printf(panel, 32, 128, "         %s", Text(TEXT_BEST));
  const int iconX = 32 * (CountChars(Text(TEXT_ICON_COLUMN)) + 4);
  for (int i = 0; i < m_nShownRows; ++i) {
    const int n = m_nFirstRow + i;
    const int y = kListY + kRowHeight * i;
    g_Font[2].Printf(panel, 64, y, "%s%d", Text(TEXT_STAGE), n + 1);
    const cIntPair& entry = g_SaveData.m_vChallenge.CheckedAt(n);
    if (entry.m_bCleared) DDBltFast(panel, iconX, y, 32, 32, &g_SystemImage[IMAGE_CURSOR], 0, 96, 1);
    if (g_SystemData.m_bChallengeScores) g_Font[2].Printf(panel, iconX + 64, y, "%d", entry.m_nBest);
  }
  if (ChallengeRanking() && g_SaveData.m_bShowRanking)
    DrawRankingOf(g_RankingTable, panel, 292, 108, g_SaveData.m_nRankingKind, -1);
}

void cStageSelectScene::DrawScreen() {
  ShowScreenPanel([this] { DrawPanel(); });
}

void cStageSelectScene::FadeIn() {
  if (DDBpp == 8) DrawPanel();
  DrawScreen();
  if (DDFadeIn(DDPaletteWork, 0, 255, 0, 0, 0, g_SceneManager.m_nFadeStep, DDPalette, 0)) m_nPhase = PHASE_SELECT;
}

bool cStageSelectScene::StepSelect() {
  const cInput& input = Input();
  UpdateListSize();
  g_Cursor.MoveInList(input.m_wDir, 1, m_nFirstRow, kListY, kRowHeight, kListX, m_nShownRows, m_nListLength, 1);
  PlayCursorSe(input.m_wDir, 3, 0);
  const int row = g_Cursor.Current().nRow;
  if (input.m_wDir & 15) {
    SelectStageNumber(row + 1);
    DrawPanel();
  }
  if (input.m_wButton & 1) {
    const std::string name = ChallengeStageName(row + 1);
    if (!LoadStageFile(name.c_str(), 1, &g_StageInit)) {
      PlaySysSe(3);
      ErrorBoxF("ステージファイル %s が読み込めません！", name.c_str());
      return true;
    }
    PlaySysSe(1);
    cSaveData& p = g_SaveData;
    p.SetCurrentStage(g_StageData.m_strPath.c_str(), 0, 0, 0);
    p.m_nStageNumber = 1;
    p.m_nStageIndex = row + 1;
    if (g_SystemData.m_vUnlimitedLives.CheckedAt(GAMEMODE_CHALLENGE)) {
      p.m_nStartLives = kUnlimitedLives;
      p.m_nLives = kUnlimitedLives;
    } else {
      p.m_nStartLives = g_SystemData.m_vStartLives.CheckedAt(GAMEMODE_CHALLENGE);
      p.m_nLives = p.m_nStartLives - 1;
    }
    p.m_bSeries = 1;
    g_SceneManager.m_nStageSelRow = row;
    g_SceneManager.m_nStageSelScroll = m_nFirstRow;
    g_SceneManager.m_nNextScene = SCENE_PLAY;
    g_SceneManager.m_nPrevScene = SCENE_STAGE_SELECT;
    m_nPhase = PHASE_FADE_OUT;
    return false;
  }
  if (input.m_wButton & 2) {
    PlaySysSe(2);
    g_SceneManager.m_nNextScene = SCENE_TITLE;
    g_SceneManager.m_nPrevScene = SCENE_STAGE_SELECT;
    m_nPhase = PHASE_FADE_OUT;
    return false;
  }
  if (input.m_wButton & 4) {
    if (ChallengeRanking()) {
      PlaySysSe(6);
      g_SaveData.m_bShowRanking = !g_SaveData.m_bShowRanking;
      DrawPanel();
    } else {
      g_SaveData.m_bShowRanking = 0;
    }
  } else if (input.m_wButton & 8) {
    if (ChallengeRanking()) {
      if (g_SystemData.CountRankingKinds(g_nGameMode) >= 2) {
        PlaySysSe(6);
        g_SaveData.StepRankingKind(g_nGameMode, 1);
      }
      DrawPanel();
    }
  }
  return true;
}

void cStageSelectScene::OnSelect() {
  if (!StepSelect()) return;
  DrawScreen();
  const CursorPos& c = g_Cursor.Current();
  DDBltFast(&BackBuffer, c.x, c.y, 32, 32, &g_SystemImage[IMAGE_CURSOR], 0, 0, 1);
}

void cStageSelectScene::FadeOut() {
  if (!DDFadeOut(DDPaletteWork, 0, 255, 0, 0, 0, g_SceneManager.m_nFadeStep, DDPalette, 0)) return;
  DDClearSurface(&BackBuffer, 16);
  g_Cursor.Reset();
  g_SceneManager.m_nPrevScene = SCENE_STAGE_SELECT;
  g_SceneManager.m_nScene = g_SceneManager.m_nNextScene;
  // A kept screen object starts again with Init.
  m_nPhase = -1;
}
