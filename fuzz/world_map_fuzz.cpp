// "data\WorldMap.dat" files as start-up meets them. Whatever the file, the map has the cell
// addressing its width gives, as many cells as that addresses, and its cursor start and nodes on
// the grid; a map that loads answers its searches, saves and loads again to the same bytes, and
// resizes within bounds.
#include <cstdint>

#include "fuzz_files.h"
#include "platform/msgbox.h"
#include "project/world_map.h"

using fuzz::Check;

namespace {

void CheckMap(const cWorldMap& map) {
  Check(map.m_nWidth >= 1 && map.m_nHeight >= 1);
  Check(map.m_nPitch == 1 << map.m_nPitchShift);
  Check(map.m_nPitch >= map.m_nWidth && (map.m_nPitch == 1 || map.m_nPitch / 2 < map.m_nWidth));
  Check(map.m_vCell.size() == static_cast<size_t>(map.m_nHeight) * map.m_nPitch);
  Check(map.m_vCell.size() <= static_cast<size_t>(MAX_WORLD_MAP_CELLS));
  Check(map.Contains(map.m_nCursorX, map.m_nCursorY));
  for (const cWorldNode& node : map.m_vNode) Check(map.Contains(node.m_nX, node.m_nY));
}

void LoadMap(const uint8_t* data, size_t size) {
  const fuzz::TempFiles& files = fuzz::Files("fuzz_world_map");
  fuzz::WriteFile(files.input, data, size);

  cWorldMap map;
  const int loaded = map.LoadFile(files.input.c_str());
  // Loaded or refused, the map keeps its invariants.
  CheckMap(map);
  if (!loaded) return;
  for (const cWorldNode& node : map.m_vNode) {
    Check(map.FindNodeAt(node.m_nX, node.m_nY) != nullptr);
    for (const cWorldStage& entry : node.m_vStage) map.HasStageNode(entry.m_strTitle, entry.m_bStageCond, 0, 0);
  }
  Check(map.SaveFile(files.saved.c_str()) == 1);
  cWorldMap again;
  Check(again.LoadFile(files.saved.c_str()) == 1);
  Check(again.SaveFile(files.again.c_str()) == 1);
  Check(fuzz::ReadFile(files.saved) == fuzz::ReadFile(files.again));

  // Resizing to sizes taken from the input keeps the addressing; the cursor start and the nodes
  // are brought onto the new grid by the validation that precedes every save.
  const int w = size > 1 ? data[size - 1] - 8 : 1;
  const int h = size > 2 ? data[size - 2] - 8 : 1;
  map.SetSize(w, h);
  map.Validate();
  CheckMap(map);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetMessageBoxHook([](const char*, const char*, UINT) { return IDOK; });
  fuzz::Files("fuzz_world_map");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LoadMap(data, size);
  // Damaged maps post close requests to this thread.
  fuzz::DropMessages();
  return 0;
}
