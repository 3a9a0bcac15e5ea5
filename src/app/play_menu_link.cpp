#include "app/play_menu_link.h"

#include <string>

#include "app/menu_box.h"
#include "app/menu_cursor.h"
#include "app/ranking.h"
#include "app/scene.h"
#include "app/start_game.h"
#include "app/status_panel.h"
#include "core/text.h"
#include "draw/blit.h"
#include "draw/context.h"
#include "draw/fill.h"
#include "draw/font.h"
#include "draw/wave_split_fade.h"
#include "engine/play_menu.h"
#include "project/cmd_item.h"
#include "project/global_data.h"
#include "project/system_data.h"

namespace {

constexpr int IMAGE_CURSOR_CELLS = 49;  // the 16 x 16 menu cursor at (64, 0)
constexpr int IMAGE_STAGE_WORDS = 51;   // the clear cell at (0, 64), the game-over cell at (0, 96)
constexpr int TEXT_MENU_FIRST = 19;     // the in-game menu's four names
constexpr int TEXT_CHOICE_FIRST = 23;   // retry, back to the map
constexpr int TEXT_RANKING_HINT = 28;
constexpr int ROW_HEIGHT = 16;
constexpr int SPLIT_STRIP = 4;

const std::string& SystemText(int n) { return g_SystemData.m_vTexts.CheckedAt(n); }

// The in-game menu as a command list: the four names, each entry offered by its flag.
cSafeVector<cCmdItem> MenuList(const int32_t* lpEnable) {
  cSafeVector<cCmdItem> list(4);
  for (int i = 0; i < 4; ++i) {
    list[static_cast<size_t>(i)].m_bEnable = lpEnable ? (lpEnable[i] != 0) : 1;
    list[static_cast<size_t>(i)].m_strName = SystemText(TEXT_MENU_FIRST + i);
  }
  return list;
}

void DrawMenu(int nKind, const int32_t* lpEnable, int x, int y, int nRow) {
  const PlayMenuPlace place = PlacePlayMenu(nKind, lpEnable, x, y, nRow);
  if (nKind == 0)
    cCmd::Draw(&BackBuffer, place.x, place.y, MenuList(lpEnable));
  else
    DrawMenuList(&BackBuffer, place.x, place.y, TEXT_CHOICE_FIRST, 2, 1);
  DDBltFast(&BackBuffer, place.nCursorX, place.nCursorY, 16, 16, &g_SystemImage[IMAGE_CURSOR_CELLS], 64, 0, 1);
}

void DrawEndCell(int nKind, int x, int y, int nShift) {
  DDSURFACEDATA* words = &g_SystemImage[IMAGE_STAGE_WORDS];
  switch (nKind) {
    case 0:
      if (nShift > 0)
        DDSplit(&BackBuffer, x, y, 128, 32, SPLIT_STRIP, nShift, words, 0, 64, 1, 0);
      else
        DDBltFast(&BackBuffer, x, y, 128, 32, words, 0, 64, 1);
      break;
    case 1: DDBltFast(&BackBuffer, x, y, 144, 32, words, 0, 96, 1); break;
    case 2: {
      // The hint line is centred on x.
      const std::string& text = SystemText(TEXT_RANKING_HINT);
      g_Font[1].Print(&BackBuffer, x - CountChars(text.c_str()) * 16 / 2, y, text.c_str());
      break;
    }
    default: break;
  }
}

void DrawPanel(int x, int y, const cSafeVector<int32_t>& vRank) { DrawStatusPanel(&BackBuffer, x, y, vRank); }

int RankingsShown() { return g_SceneManager.m_bRanking; }

int FadeOutStep() {
  if (!DDFadeOut(DDPaletteWork, 0, 255, 0, 0, 0, g_SceneManager.m_nFadeStep, DDPalette, 0)) return 0;
  DDClearSurface(&BackBuffer, 16);
  return 1;
}

// The stage file played again is the one that was played, not a newer numbered version.
int RestartStageFile(const char* lpszPath) { return StartGameFromFile(lpszPath, 0); }

void ChangeScene(int nNext, int nTitleRow) {
  g_SceneManager.m_nScene = nNext;
  g_SceneManager.m_nFrameRate = 60;
  g_SceneManager.m_nPrevScene = SCENE_PLAY;
  if (nTitleRow >= 0) g_Cursor.Current().nRow = nTitleRow;
}

int FindRankPos(int nKind, int32_t nValue) {
  if (nKind < 0 || nKind >= static_cast<int>(g_RankingTable.m_vList.size())) return -1;
  return g_RankingTable.m_vList[static_cast<size_t>(nKind)].FindInsertPos(nValue);
}

}  // namespace

PlayMenuPlace PlacePlayMenu(int nKind, const int32_t* lpEnable, int x, int y, int nRow) {
  PlayMenuPlace place;
  place.x = nKind == 0 ? cCmd::GetCenterX(x, MenuList(lpEnable)) : GetMenuLeft(x, TEXT_CHOICE_FIRST, 2, 1);
  place.y = y;
  place.nCursorX = place.x;
  place.nCursorY = y + nRow * ROW_HEIGHT;
  return place;
}

void InstallPlayMenuLink() {
  g_PlayMenuLink.lpfnDrawMenu = &DrawMenu;
  g_PlayMenuLink.lpfnDrawEndCell = &DrawEndCell;
  g_PlayMenuLink.lpfnDrawStatusPanel = &DrawPanel;
  g_PlayMenuLink.lpfnRankingsShown = &RankingsShown;
  g_PlayMenuLink.lpfnFadeOutStep = &FadeOutStep;
  g_PlayMenuLink.lpfnStartGameFromFile = &RestartStageFile;
  g_PlayMenuLink.lpfnChangeScene = &ChangeScene;
  g_PlayMenuLink.lpfnFindRankPos = &FindRankPos;
}
