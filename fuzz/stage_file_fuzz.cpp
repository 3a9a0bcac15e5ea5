// Stage files and the common palette as the loaders meet them. The first byte of an input
// chooses: even, the bytes are a stage file that goes through what the stage loader does with
// a file (the trailer check, the loader thread's body, the hero check, the header copy; the
// thread and the message pump around them do not depend on the file, and threads that end
// after an input would show up as leaks of it); odd, they are the common palette file. After a
// load every palette list holds at least two entries with the fixed entry 0, and a loaded stage
// keeps the bounds that its normalisation promises (box sizes within ±2^20 dots, a gravity that
// is a number among them) and saves and loads again.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/save_record.h"
#include "defs/def_context.h"
#include "fuzz_files.h"
#include "platform/message.h"
#include "platform/msgbox.h"
#include "project/common_palette.h"
#include "project/stage.h"
#include "project/stage_load.h"

namespace {

using fuzz::Check;

template <class T>
void CheckPalette(const cSafeVector<T>& list) {
  Check(list.size() >= 2);
  Check(list[0].m_wGraphic == 0);
}

void CheckStage(const cStage& s) {
  CheckPalette(s.m_vBlock);
  CheckPalette(s.m_vChara);
  CheckPalette(s.m_vItem);
  Check(s.m_nWidth >= 1 && s.m_nWidth <= MAX_STAGE_SIDE);
  Check(s.m_nHeight >= 1 && s.m_nHeight <= MAX_STAGE_SIDE);
  Check(s.m_nSpeedLevel >= MIN_SPEED_LEVEL && s.m_nSpeedLevel <= MAX_SPEED_LEVEL);
  Check(s.m_nSubSteps >= 1 && s.m_nFps >= 1);
  Check(s.m_vRanking.size() >= 5);
  Check(s.m_nBgm >= 0 && s.m_nBgm < g_DefContext.DbListSize(DBLIST_BGM));
  for (const cCharaData& c : s.m_vPlacedChara) {
    const int32_t carried = static_cast<int32_t>(c.m_dwHeadExtra);
    Check(carried >= -1 && carried < static_cast<int32_t>(s.m_vPlacedItem.size()));
  }
  Check(s.HasPlayer());
  for (int32_t size : {s.m_nHeroW, s.m_nHeroH, s.m_nCharaW, s.m_nCharaH, s.m_nItemW, s.m_nItemH, s.m_nCharaSwordH})
    Check(size >= -(1 << 20) && size <= (1 << 20));
  Check(!std::isnan(s.m_dGravity));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  SetMessageBoxHook([](const char*, const char*, UINT) { return IDOK; });
  fuzz::Files("fuzz_stage");
  g_bStripCR = 1;
  for (int& n : g_DefContext.anDbListSize) n = 3;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const fuzz::TempFiles& files = fuzz::Files("fuzz_stage");
  const std::string& path = files.input;
  const std::string& savePath = files.saved;
  fuzz::WriteFile(path, data + 1, size - 1);
  if (data[0] % 2 == 0) {
    cStage stage;
    stage.m_strPath = path;
    if (CheckStageFileTrailer(path.c_str()) && LoadStageThreadProc(&stage) && stage.m_bLoaded &&
        stage.HasPlayer()) {
      CheckStage(stage);
      cStage header;
      header.CopyHeaderFrom(stage);
      header.ClearObjectLists();
      Check(stage.SaveFile(savePath.c_str()) == 1);
      cStage again;
      Check(again.LoadFile(savePath.c_str()) == 1);
      CheckStage(again);
      FILE* fp = std::fopen(savePath.c_str(), "wb");
      if (!fp) std::abort();
      again.SaveForReplay(fp, header);
      std::fclose(fp);
    }
    // The definitions see the working stage again.
    g_StageData.SetDefContext();
  } else {
    cCommonPalette palette;
    if (palette.LoadFile(path.c_str())) {
      CheckPalette(palette.m_vBlock);
      CheckPalette(palette.m_vChara);
      CheckPalette(palette.m_vItem);
      for (const cCharaData& c : palette.m_vChara)
        for (uint8_t f : c.m_vInheritFlags) Check(f == 0);
    }
  }
  fuzz::DropMessages();
  return 0;
}
