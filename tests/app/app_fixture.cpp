#include "app_fixture.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "fixture/fixture.h"
#include "project/stage.h"
#include "project/system_image.h"

namespace appfixture {

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

}  // namespace

bool WriteText(const std::string& path, const std::string& text) {
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), fp) == text.size();
  return std::fclose(fp) == 0 && ok;
}

bool WriteBmp8(const std::string& path, int w, int h) {
  const int stride = (w + 3) & ~3;
  const uint32_t offset = 14 + 40 + 256 * 4;
  std::vector<uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, offset + static_cast<uint32_t>(stride * h));
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, 40);
  Put32(b, static_cast<uint32_t>(w));
  Put32(b, static_cast<uint32_t>(h));
  Put16(b, 1);
  Put16(b, 8);
  Put32(b, 0);
  Put32(b, static_cast<uint32_t>(stride * h));
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, 256);
  Put32(b, 0);
  for (int i = 0; i < 256; ++i) {
    // Blue, green, red, reserved: entry 0 black, then a ramp of distinct colours.
    b.push_back(static_cast<uint8_t>(i * 37));
    b.push_back(static_cast<uint8_t>(i * 91));
    b.push_back(static_cast<uint8_t>(i * 13));
    b.push_back(0);
  }
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < stride; ++x) b.push_back(x < w ? static_cast<uint8_t>((x + y) % 16) : 0);
  }
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return false;
  const bool ok = std::fwrite(b.data(), 1, b.size(), fp) == b.size();
  return std::fclose(fp) == 0 && ok;
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
