#include "app_fixture.h"

#include <filesystem>

#include "fixture/bmp8.h"
#include "fixture/fixture.h"
#include "project/stage.h"
#include "project/system_image.h"

namespace appfixture {

bool WriteText(const std::string& path, const std::string& text) { return fixture::WriteFileBytes(path, text); }

bool WriteBmp8(const std::string& path, int w, int h) {
  fixture::Palette256 palette;
  for (int i = 0; i < 256; ++i) {
    // Entry 0 black, then a ramp of distinct colours.
    palette[i] = {static_cast<uint8_t>(i * 13), static_cast<uint8_t>(i * 91), static_cast<uint8_t>(i * 37)};
  }
  fixture::Image8 image(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.Set(x, y, static_cast<uint8_t>((x + y) % 16));
  return fixture::WriteBmp8(path, image, palette);
}

cStage WalkStage() {
  cStage s = fixture::Stage(24, 15);
  fixture::Fill(s, fixture::Block(1), 0, 14, 23, 14);
  fixture::Place(s, fixture::Hero(2), 2, 13);
  fixture::Place(s, fixture::Chara(3), 9, 13);
  fixture::Place(s, fixture::Chara(3), 12, 6);
  fixture::Place(s, fixture::Item(4), 6, 13);
  s.m_nSpeedLevel = 3;
  s.m_bShowStageBanner = 1;
  s.m_bTimeLimit = 1;
  s.m_nTimeLimit = 5;
  fixture::EncloseGrid(s);
  return s;
}

bool WriteProject(const std::string& root, const Options& options) {
  std::filesystem::create_directories(root + "/bmp/plt");
  fixture::Project project(root);
  project.systemData.m_strTitle = options.title;
  if (!project.WriteDatabase() || !project.WriteSystemData() || !project.WriteWorldMap() ||
      !project.WriteCommonPalette()) {
    return false;
  }
  for (int number : options.stageNumbers) {
    if (number <= 0) continue;
    cStage stage = fixture::Stage(30, 15);
    fixture::Place(stage, fixture::Block(1), 0, 14);
    fixture::Place(stage, fixture::Hero(2), 2, 13);
    if (!project.WriteStage(stage, options.stageName, number)) return false;
  }
  if (!WriteBmp8(root + "/bmp/plt/Palette.bmp", 16, 16) || !WriteBmp8(root + "/bmp/Debug.bmp", 128, 64)) return false;
  // Every image of the system image table, so that the screens find what they load: the title
  // picture at the screen's size, the others as small sheets.
  for (const BitmapEntry& entry : g_SystemBitmapTable) {
    std::string name = entry.szFileName;
    if (name.empty()) continue;
    for (char& c : name) c = c == '\\' ? '/' : c;
    const std::string path = root + "/" + name;
    if (std::filesystem::exists(path)) continue;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const bool screen = name == "bmp/Title.bmp";
    if (!WriteBmp8(path, screen ? 640 : 256, screen ? 480 : 256)) return false;
  }
  return WriteText(root + "/System.ini", options.ini);
}

}  // namespace appfixture
