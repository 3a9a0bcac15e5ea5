#include "engine/play_data.h"

#include "core/save_record.h"
#include "defs/def_context.h"
#include "engine/chara_effect.h"
#include "engine/scr_effect.h"
#include "project/database.h"
#include "project/data_folder.h"
#include "project/shell_state.h"
#include "project/system_data.h"
#include "script/cmd_param_def.h"

int LoadPlayData(const char** lplpszFile) {
  g_nDataVersion = DATA_VERSION;
  BuildCommandParamTable();
  g_bStripCR = 1;
  g_bFileTooNew = 0;
  if (!g_Database.LoadAll(lplpszFile)) return PLAYDATA_DATABASE;
  g_Database.CopyEffectLists();
  BuildAnimeStepTable(g_Database, g_vAnimeSteps);
  BuildEffectStepTable(g_Database, g_vEffectSteps);
  BuildCharaEffectTables(g_vCharaEffectTemplate, g_vCharaEffectTemplateRev);
  BuildScrEffectTables(g_vScrEffectTemplate, g_vScrEffectTemplateRev);
  if (!g_SystemData.LoadFile(g_PathTable[PATH_SYSTEM])) {
    if (lplpszFile) *lplpszFile = g_PathTable[PATH_SYSTEM];
    return PLAYDATA_SYSTEM_DATA;
  }
  // The definitions keep flows meant for test play only in test play or when the project says so.
  g_DefContext.bTestPlay = g_bTestPlay;
  g_DefContext.bKeepFlaggedFlows = g_SystemData.m_bKeepFlaggedFlows;
  return PLAYDATA_LOADED;
}
