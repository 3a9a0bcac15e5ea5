// "data\System.dat" files as the loader meets them. Whatever the file, after the load every list
// that readers address by position holds at least its fixed length, the screen music is within
// the music list, the menu and gauge functions answer, and the record saved, read back and saved
// again gives the same bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/save_record.h"
#include "defs/def_context.h"
#include "platform/message.h"
#include "platform/msgbox.h"
#include "project/system_data.h"

namespace {

std::string g_in, g_out1, g_out2;

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string TempFile(const char* stem) {
  std::string name = std::string("/tmp/") + stem + "_XXXXXX";
  int fd = mkstemp(name.data());
  if (fd < 0) std::abort();
  close(fd);
  return name;
}

std::string ReadAll(const std::string& path) {
  std::string bytes;
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) return bytes;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0) bytes.append(buf, n);
  std::fclose(fp);
  return bytes;
}

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
  g_in = TempFile("fuzz_system_in");
  g_out1 = TempFile("fuzz_system_out1");
  g_out2 = TempFile("fuzz_system_out2");
  std::atexit([] {
    for (const std::string* p : {&g_in, &g_out1, &g_out2}) std::remove(p->c_str());
  });
  g_bStripCR = 1;
  g_DefContext.anDbListSize[DBLIST_BGM] = kBgmCount;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FILE* fp = std::fopen(g_in.c_str(), "wb");
  if (!fp) std::abort();
  std::fwrite(data, 1, size, fp);
  std::fclose(fp);

  cSystemData sd;
  sd.LoadFile(g_in.c_str());
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
  Check(sd.SaveFile(g_out1.c_str()) == 1);
  cSystemData again;
  Check(again.LoadFile(g_out1.c_str()) == 1);
  Check(again.SaveFile(g_out2.c_str()) == 1);
  Check(ReadAll(g_out1) == ReadAll(g_out2));

  // Checked accesses out of range post close requests to this thread: drop them.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  return 0;
}
