// "data\System.dat" files as the loader meets them. Whatever the file, after the load every list
// that readers address by position holds at least its fixed length, the screen music is within
// the music list, the menu and gauge functions answer, and the record saved, read back and saved
// again gives the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/save_record.h"
#include "defs/def_context.h"
#include "fuzz_files.h"
#include "platform/message.h"
#include "platform/msgbox.h"
#include "project/system_data.h"

namespace {

using fuzz::Check;

constexpr int kBgmCount = 3;

void CheckLists(const cSystemData& sd) {
  Check(sd.m_vCarryGroup.size() >= CARRY_GROUP_COUNT && sd.m_vRestartReset.size() >= CARRY_GROUP_COUNT);
  Check(sd.m_vDisplayItems.size() >= DISPLAY_ITEM_COUNT);
  Check(sd.m_vStartLives.size() >= GAME_MODE_COUNT && sd.m_vUnlimitedLives.size() >= GAME_MODE_COUNT);
  Check(sd.m_vRankingKinds.size() >= GAME_MODE_COUNT);
  for (const RankingEntry& r : sd.m_vRankingKinds) Check(r.m_vKinds.size() >= RANKING_KIND_COUNT);
  Check(sd.m_vTexts.size() >= SYSTEM_TEXT_COUNT && sd.m_vSystemSe.size() >= SYSTEM_SE_COUNT);
  Check(sd.m_vScreenBgm.size() >= SCREEN_BGM_COUNT && sd.m_vScreenBgmFlag.size() >= SCREEN_BGM_COUNT);
  for (int32_t bgm : sd.m_vScreenBgm) Check(bgm >= 0 && bgm < kBgmCount);
  Check(sd.m_vTitleMenu.size() >= TITLE_MENU_COUNT && sd.m_vSaveMenu.size() >= SAVE_MENU_COUNT);
  Check(sd.m_vOptionMenu.size() >= OPTION_MENU_COUNT && sd.m_vRankingMethods.size() >= RANKING_METHOD_COUNT);
  Check(sd.m_vIniKeys.size() >= INI_KEY_COUNT);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  SetMessageBoxHook([](const char*, const char*, UINT) { return IDOK; });
  fuzz::Files("fuzz_system");
  g_bStripCR = 1;
  g_DefContext.anDbListSize[DBLIST_BGM] = kBgmCount;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::TempFiles& files = fuzz::Files("fuzz_system");
  fuzz::WriteFile(files.input, data, size);

  cSystemData sd;
  sd.LoadFile(files.input.c_str());
  CheckLists(sd);

  // The readers of the settings.
  g_SystemData = sd;
  for (int first = 0; first < SYSTEM_TEXT_COUNT; ++first) {
    GetMenuLeft(320, first, 1, first & 1);
    MakeMenuListBox(0, 0, first, 1, 1);
  }
  for (int item = 0; item < DISPLAY_ITEM_COUNT; ++item)
    for (int value : {-1, 0, 33, 100}) IsGaugeLow(item, value, value == 33 ? 0 : 100);
  for (int mode = 0; mode < GAME_MODE_COUNT; ++mode) Check(sd.CountRankingKinds(mode) >= 0);

  // What is saved reads back to itself.
  Check(sd.SaveFile(files.saved.c_str()) == 1);
  cSystemData again;
  Check(again.LoadFile(files.saved.c_str()) == 1);
  Check(again.SaveFile(files.again.c_str()) == 1);
  Check(fuzz::ReadFile(files.saved) == fuzz::ReadFile(files.again));

  fuzz::DropMessages();
  return 0;
}
