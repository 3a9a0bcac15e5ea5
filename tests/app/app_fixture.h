// A project folder the whole player can start in: the fixture builder's database, settings,
// world map, common palette and stages, the palette and debug bitmaps the start-up loads, and a
// System.ini.
#pragma once

#include <string>

class cStage;

namespace appfixture {

struct Options {
  std::string ini = "Direct3D=1\nWindowMode=1\nVSync=0\nShowFps=0\nExit\n";
  std::string title = "Fixture Game";
  // Numbered versions of the stage "data\stg4\<stageName>.stg4" to write (none: no stage).
  int stageNumbers[2] = {2, 10};
  // The stage's name, Shift-JIS.
  std::string stageName = "free";
};

// Writes the project into root (created when missing); false when a file could not be written.
bool WriteProject(const std::string& root, const Options& options = Options());

// An 8-bit BMP of w x h pixels of palette index (x + y) % 16, with a 256-colour palette.
bool WriteBmp8(const std::string& path, int w, int h);

// A stage whose start shows the stage number (a replay shows its own banner in its place) and
// the start banner, with a hero on a floor, two characters, an item and a time limit of five
// seconds: the headless tool's and the soak's stage "walk".
cStage WalkStage();

// Writes text to a file; false on failure.
bool WriteText(const std::string& path, const std::string& text);

}  // namespace appfixture
