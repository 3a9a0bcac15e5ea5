#include "sample_game.h"

#include <filesystem>
#include <system_error>

#include "fixture/bmp8.h"

namespace sample {

namespace {

// Windowed under Direct3D, synchronised to the display, without the frame-rate line, and with
// the English texts of the system (the dialogs, the ranking window's title).
const char kSystemIni[] = "Direct3D=1\nWindowMode=1\nVSync=1\nShowFps=0\nEnglish=1\nExit\n";

}  // namespace

bool WriteSampleGame(const std::string& root, std::string* error) {
  auto fail = [&](const std::string& what) {
    if (error) *error = "cannot write " + what;
    return false;
  };
  std::error_code ec;
  std::filesystem::create_directories(root, ec);
  if (ec) return fail(root);

  fixture::Project project(root);
  BuildDatabase(project.database);
  BuildSystemData(project.systemData);
  BuildWorldMap(project.worldMap);
  if (!project.WriteDatabase()) return fail("the database");
  if (!project.WriteSystemData()) return fail("data/System.dat");
  if (!project.WriteWorldMap()) return fail("data/WorldMap.dat");
  if (!project.WriteCommonPalette()) return fail("data/CommonPalette.cplt4");
  for (size_t i = 0; i < Stages().size(); ++i) {
    cStage stage = BuildStage(i);
    if (!project.WriteStage(stage, Stages()[i].file, 0)) return fail(std::string("the stage ") + Stages()[i].file);
  }

  std::string failed;
  if (!WriteImages(root, &failed) || !WriteSounds(root, &failed) || !WriteMusic(root, &failed)) return fail(failed);
  if (!fixture::WriteFileBytes((std::filesystem::path(root) / "System.ini").string(), kSystemIni))
    return fail("System.ini");
  return true;
}

}  // namespace sample
