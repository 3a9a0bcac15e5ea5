#include "app/start_game.h"

#include "project/save_data.h"
#include "project/stage.h"
#include "project/stage_load.h"

int StartGameFromFile(const char* lpszPath, int bFindNewest) {
  g_SaveData.ResetGameData();
  return LoadStageFile(lpszPath, bFindNewest, &g_StageInit);
}
