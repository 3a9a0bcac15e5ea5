// Progress files (the save slots, the challenge file) as the continue and challenge entries meet
// them. A progress that loads is in bounds (list lengths, map positions, stage index, ranking
// kind, challenge entries), and saves and loads again to the same bytes.
#include <cstdint>

#include "core/save_record.h"
#include "defs/def_context.h"
#include "fuzz_files.h"
#include "platform/msgbox.h"
#include "project/save_data.h"
#include "project/system_data.h"
#include "project/world_map.h"

using fuzz::Check;

namespace {

void CheckProgress(const cSaveData& p) {
  Check(p.m_vCarryStored.size() >= CARRY_GROUP_COUNT);
  Check(p.m_vCarryOver.size() >= 1);
  Check(p.m_vStageFlags.size() >= STAGE_FLAG_COUNT);
  Check(p.m_vCommonVar.size() >= MIN_COMMON_VAR_COUNT);
  Check(p.m_vChallenge.size() == static_cast<size_t>(g_SystemData.m_nChallengeStages));
  Check(p.m_nChallengeOpen <= g_SystemData.m_nChallengeStages);
  Check(g_WorldMap.Contains(p.m_nMapX, p.m_nMapY));
  Check(g_WorldMap.Contains(p.m_nPrevMapX, p.m_nPrevMapY));
  Check(p.m_nStageIndex >= 0 && static_cast<size_t>(p.m_nStageIndex) < p.m_vStageFlags.size());
  Check(p.m_nRankingKind >= 0 && p.m_nRankingKind < RANKING_KIND_COUNT);
  Check(p.m_nStageEntrySlot == 0 && p.m_lpStageEntry == nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetMessageBoxHook([](const char*, const char*, UINT) { return IDOK; });
  fuzz::Files("fuzz_save_data");
  g_bStripCR = 1;
  for (int& n : g_DefContext.anDbListSize) n = 3;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::TempFiles& files = fuzz::Files("fuzz_save_data");
  fuzz::WriteFile(files.input, data, size);

  cSaveData p;
  p.ResetGameData();
  if (p.LoadFile(files.input.c_str())) {
    CheckProgress(p);
    Check(p.SaveFile(files.saved.c_str()) == 1);
    cSaveData again;
    again.ResetGameData();
    Check(again.LoadFile(files.saved.c_str()) == 1);
    CheckProgress(again);
    Check(again.SaveFile(files.again.c_str()) == 1);
    Check(fuzz::ReadFile(files.saved) == fuzz::ReadFile(files.again));
    // The operations the play runs on a loaded progress.
    p.RecountClears();
    p.StepRankingKind(static_cast<int>(size % 4), static_cast<int>(size % 7) - 3);
    Check(p.m_nRankingKind >= 0 && p.m_nRankingKind < RANKING_KIND_COUNT);
  }
  fuzz::DropMessages();
  return 0;
}
