// Replay files as the replay entry of the title menu meets them. A file is either refused with
// every record as it was, or it gives a recording whose channels play to their end and a stage
// image with its palettes, and it is written and read again.
#include <cstdint>

#include "core/save_record.h"
#include "defs/def_context.h"
#include "fuzz_files.h"
#include "platform/msgbox.h"
#include "project/replay.h"
#include "project/save_data.h"
#include "project/stage.h"

using fuzz::Check;

namespace {

template <class T>
void CheckPalette(const cSafeVector<T>& list) {
  Check(list.size() >= 2);
  Check(list[0].m_wGraphic == 0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetMessageBoxHook([](const char*, const char*, UINT) { return IDOK; });
  fuzz::Files("fuzz_replay");
  g_bStripCR = 1;
  for (int& n : g_DefContext.anDbListSize) n = 3;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::TempFiles& files = fuzz::Files("fuzz_replay");
  fuzz::WriteFile(files.input, data, size);

  cReplay replay;
  replay.m_nSeed = -7;
  cStage stage;
  stage.m_nWidth = 77;
  cStage header;
  cSaveData progress;
  progress.ResetGameData();
  progress.m_nTotalScore = -9;
  if (ReadReplayFile(replay, files.input.c_str(), stage, header, progress)) {
    Check(replay.IsWellFormed());
    CheckPalette(stage.m_vBlock);
    CheckPalette(stage.m_vChara);
    CheckPalette(stage.m_vItem);
    Check(header.m_vPlacedChara.empty() && header.m_vChara.empty());
    // Playing ends with the shorter channel, within the frames of its runs.
    cInput in;
    uint64_t frames = 0, limit = 0;
    for (uint32_t run : replay.m_vRunA) limit += run;
    while (frames <= limit && replay.Play(in) == 0) ++frames;
    Check(frames <= limit);
    replay.ResetPosition();
    Check(WriteReplayFile(replay, files.saved.c_str(), stage, header, progress) == 1);
    cReplay again;
    cStage againStage, againHeader;
    cSaveData againProgress;
    Check(ReadReplayFile(again, files.saved.c_str(), againStage, againHeader, againProgress) == 1);
    Check(again.m_vValueA == replay.m_vValueA && again.m_vRunB == replay.m_vRunB);
  } else {
    Check(replay.m_nSeed == -7 && replay.m_vValueA.empty());
    Check(stage.m_nWidth == 77);
    Check(progress.m_nTotalScore == -9);
  }
  // The definitions see the working stage again.
  g_StageData.SetDefContext();
  fuzz::DropMessages();
  return 0;
}
