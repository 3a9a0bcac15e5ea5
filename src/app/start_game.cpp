#include "app/start_game.h"

#include <cstring>

#include "core/path.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/stage_load.h"
#include "project/system_data.h"

int StartGameFromFile(const char* lpszPath, int bFindNewest) {
  // The name must fit the 260-byte buffer with its terminating zero; a longer one is refused
  // before anything is reset.
  if (!lpszPath) return 0;
  const size_t length = std::strlen(lpszPath);
  if (length >= MAX_PATH) return 0;
  char buffer[MAX_PATH];
  std::memcpy(buffer, lpszPath, length + 1);

  g_SaveData.ResetGameData();
  if (!LoadStageFile(buffer, bFindNewest, &g_StageInit)) return 0;

  g_SaveData.m_nStageIndex = 1;
  g_SaveData.m_nStageNumber = 1;
  if (g_bFreePlay || g_SystemData.m_vUnlimitedLives.CheckedAt(GAMEMODE_FREE)) {
    g_SaveData.m_nStartLives = g_SaveData.m_nLives = UNLIMITED_LIVES;
  } else {
    g_SaveData.m_nStartLives = g_SystemData.m_vStartLives.CheckedAt(GAMEMODE_FREE);
    g_SaveData.m_nLives = g_SaveData.m_nStartLives - 1;
  }
  MakeRelativePath(buffer);
  g_SaveData.SetCurrentStage(buffer, 0, 0, 0);
  return 1;
}
