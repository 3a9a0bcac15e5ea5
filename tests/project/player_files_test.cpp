#include "player_files_test.h"

#include "core/save_record.h"
#include "defs/def_context.h"
#include "platform/input.h"
#include "project/global_data.h"
#include "project/option_data.h"
#include "project/shell_state.h"
#include "support/test_thread.h"

void PlayerFilesTest::SetUp() {
  for (const char* folder : {"user_data/story", "user_data/challenge", "user_data/rpl4", "data/stg4"})
    env.dir().MakeDir("game/" + std::string(folder));
  ResetGlobals();
  DiscardMessages();
}

void PlayerFilesTest::TearDown() {
  input_internal::ReleaseAllKeys();
  DiscardMessages();
  ResetGlobals();
  g_DefContext = cDefContext();
}

void PlayerFilesTest::ResetGlobals() {
  SetRecordWriteLimitForTests(-1);
  g_DefContext = cDefContext();
  for (int i = 0; i < DBLIST_COUNT; ++i)
    g_DefContext.anDbListSize[i] = project.database.ListSize(static_cast<eDbList>(i));
  g_SystemData = cSystemData();
  g_WorldMap.SetDefault();
  g_StageData = cStage();
  g_StageInit = cStage();
  g_CommonPalette.SetDefContext();
  g_StageData.SetDefContext();
  for (cSaveData* progress : {&g_SaveData, &g_ReplaySaveData, &g_PrevReplaySaveData}) progress->ResetGameData();
  g_Replay.Reset();
  g_PrevReplay.Reset();
  g_OptionData = cOptionData();
  g_vSaveSlotInfo.assign(SAVE_SLOT_COUNT, SaveSlotInfo());
  g_nGameMode = GAMEMODE_STORY;
  g_nPlayMode = PLAYMODE_NEW_GAME;
  g_bFreePlay = 0;
  g_bTestPlay = 0;
  g_nReplayRefuseWait = 0;
  g_bRequestDone = 0;
  g_nRequestResult = 0;
}

cStage PlayerFilesTest::PlayableStage(int width) {
  cStage s = fixture::Stage(width, 15);
  fixture::Place(s, fixture::Block(3), 0, 14);
  fixture::Place(s, fixture::Item(1), 5, 5);
  fixture::Place(s, fixture::Hero(), 1, 13);
  return s;
}

std::string PlayerFilesTest::SlotFile(int slot) const {
  char name[MAX_PATH];
  MakeSaveFileName(name, slot);
  std::string path = name;
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

std::string PlayerFilesTest::BoxTexts() const {
  std::string texts;
  for (const CoreTestEnv::Box& b : env.Boxes()) texts += b.text + "\n";
  return texts;
}
