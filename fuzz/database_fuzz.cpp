// Database files as the loader meets them: the first byte of an input chooses the list, the
// rest is the file. After the load every list must still hold its default entries and every
// derived step list must end in a control step that follows at least one pattern step.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/save_record.h"
#include "fuzz_files.h"
#include "platform/message.h"
#include "platform/msgbox.h"
#include "project/database.h"

namespace {

using fuzz::Check;

void CheckSteps(const cAnimStepTable& table, size_t entries) {
  Check(table.size() == entries);
  for (const cSafeVector<AnimStep>& steps : table) {
    Check(steps.size() >= 2);
    Check(steps.back().nPattern == ANIM_LOOP || steps.back().nPattern == ANIM_END);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  SetMessageBoxHook([](const char*, const char*, UINT) { return IDOK; });
  fuzz::Files("fuzz_database");
  g_bStripCR = 1;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const eDbList list = static_cast<eDbList>(data[0] % DBLIST_COUNT);
  const std::string& path = fuzz::Files("fuzz_database").input;
  fuzz::WriteFile(path, data + 1, size - 1);

  static const cDatabase defaults;
  cDatabase db;
  db.LoadList(list, path.c_str());
  db.ResetFirstEntries();
  db.CopyEffectLists();
  for (int i = 0; i < DBLIST_COUNT; ++i)
    Check(db.ListSize(static_cast<eDbList>(i)) >= defaults.ListSize(static_cast<eDbList>(i)));
  cAnimStepTable anime, effect;
  BuildAnimeStepTable(db, anime);
  BuildEffectStepTable(db, effect);
  CheckSteps(anime, db.m_vAnime.size());
  CheckSteps(effect, db.m_vEffect.size());

  fuzz::DropMessages();
  return 0;
}
