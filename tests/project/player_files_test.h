// The fixture of the tests of the player's files (progress, replays, options): the logs and a
// main window of the test's thread, a project folder as the working folder with the player's
// folders, and the global data objects these files read put back to a fresh start before and
// after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fixture/fixture.h"
#include "support/temp_dir.h"

class PlayerFilesTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A stage of the given width with a hero, a block and an item.
  static cStage PlayableStage(int width);
  // The file of a slot on disk.
  std::string SlotFile(int slot) const;
  // The texts of the message boxes shown so far.
  std::string BoxTexts() const;

  CoreTestEnv env{true};
  fixture::Project project{env.dir() / "game"};
  ScopedChdir chdir{project.Root()};

 private:
  void ResetGlobals();
};
